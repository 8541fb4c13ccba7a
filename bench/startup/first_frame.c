/* Starts a program and reports, in ms after its exec, when its top-level
 * window whose name starts with NAME was mapped and when the first frame was painted into it.
 *
 *   first_frame NAME X Y W H PROGRAM [ARGS...]
 *
 * X, Y, W, H: a rectangle of the window (window coordinates) that shows a
 * picture once painted. "Painted" means that a grid of 8 x 8 points in that
 * rectangle shows at least 8 different colours: an unpainted window is one
 * flat colour (its background or the root's), a painted picture is not.
 * Prints "mapped_ms painted_ms pid" on stdout and leaves the program
 * running; exits 1 (and kills the program) if nothing shows within 10 s.
 * The probe looks every 0.5 ms (pending map events, then a small image of the
 * rectangle), so it costs the starting program little CPU. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

/* The title's raw bytes: a title with letters outside Latin-1 (the en dash
 * before the layout's name) is not a STRING property, which XFetchName
 * refuses; its ASCII start reads the same in every encoding. */
static int has_name(Display* d, Window w, const char* name) {
    XTextProperty title;
    if (!XGetWMName(d, w, &title) || !title.value) {
        return 0;
    }
    const size_t length = strlen(name);
    int match = title.nitems >= length && strncmp((const char*)title.value, name, length) == 0;
    XFree(title.value);
    return match;
}

/* The mapped top-level window whose name starts with `name` (the title
 * goes on with the layout's name), or 0. */
static Window find_window(Display* d, const char* name) {
    Window root_ret, parent, *children = NULL;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root_ret, &parent, &children, &count)) {
        return 0;
    }
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes a;
        if (XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable &&
            has_name(d, children[i], name)) {
            found = children[i];
        }
    }
    if (children) {
        XFree(children);
    }
    return found;
}

static int distinct_colours(Display* d, Window w, int x, int y, int width, int height) {
    XImage* img = XGetImage(d, w, x, y, (unsigned)width, (unsigned)height, AllPlanes, ZPixmap);
    if (!img) {
        return 0;
    }
    unsigned long seen[64];
    int n = 0;
    for (int gy = 0; gy < 8; ++gy) {
        for (int gx = 0; gx < 8; ++gx) {
            unsigned long p = XGetPixel(img, gx * (width - 1) / 7, gy * (height - 1) / 7);
            int known = 0;
            for (int k = 0; k < n && !known; ++k) {
                known = seen[k] == p;
            }
            if (!known) {
                seen[n++] = p;
            }
        }
    }
    XDestroyImage(img);
    return n;
}

int main(int argc, char** argv) {
    if (argc < 7) {
        fprintf(stderr, "usage: %s NAME X Y W H PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const char* name = argv[1];
    int x = atoi(argv[2]), y = atoi(argv[3]), w = atoi(argv[4]), h = atoi(argv[5]);
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "cannot open display\n");
        return 2;
    }
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);

    double t0 = now_ms();
    pid_t pid = fork();
    if (pid == 0) {
        /* The caller reads our stdout to its end: the program must not hold it. */
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(argv[6], argv + 6);
        _exit(127);
    }
    Window win = 0;
    double mapped = -1, painted = -1;
    while (now_ms() - t0 < 10000 && painted < 0) {
        struct timespec nap = {0, 500000};
        if (!win) {
            while (!win && XPending(d)) {
                XEvent ev;
                XNextEvent(d, &ev);
                if (ev.type == MapNotify) {
                    win = find_window(d, name);
                }
            }
            if (win) {
                mapped = now_ms() - t0;
            } else {
                nanosleep(&nap, NULL);
                continue;
            }
        }
        if (distinct_colours(d, win, x, y, w, h) >= 8) {
            painted = now_ms() - t0;
            break;
        }
        nanosleep(&nap, NULL);
    }
    if (painted < 0) {
        kill(pid, SIGKILL);
        fprintf(stderr, "no painted window within 10 s\n");
        return 1;
    }
    printf("%.1f %.1f %d\n", mapped, painted, (int)pid);
    return 0;
}
