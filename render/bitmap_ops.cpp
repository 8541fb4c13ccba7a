#include "render/bitmap_ops.h"

#include "render/pixel_rows.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace kelmar {
namespace {

// A copy after clipping: w x h pixels from (sx, sy) of the source to
// (dx, dy) of the destination, all inside both bitmaps.
struct Span {
    int32_t sx, sy, dx, dy, w, h;
};

// Clips in 64 bits so that rectangles near the int32 limits cannot overflow.
bool ClipSpan(const Bitmap& dst, int32_t dx, int32_t dy, const Bitmap& src, const Rect& srcRect,
              Span& span) {
    int64_t sx = srcRect.Left, sy = srcRect.Top;
    int64_t w = int64_t{srcRect.Right} - srcRect.Left;
    int64_t h = int64_t{srcRect.Bottom} - srcRect.Top;
    int64_t tx = dx, ty = dy;
    if (sx < 0) {
        tx -= sx;
        w += sx;
        sx = 0;
    }
    if (sy < 0) {
        ty -= sy;
        h += sy;
        sy = 0;
    }
    if (tx < 0) {
        sx -= tx;
        w += tx;
        tx = 0;
    }
    if (ty < 0) {
        sy -= ty;
        h += ty;
        ty = 0;
    }
    w = std::min({w, int64_t{src.width()} - sx, int64_t{dst.width()} - tx});
    h = std::min({h, int64_t{src.height()} - sy, int64_t{dst.height()} - ty});
    if (w <= 0 || h <= 0) {
        return false;
    }
    span = {static_cast<int32_t>(sx), static_cast<int32_t>(sy), static_cast<int32_t>(tx),
            static_cast<int32_t>(ty), static_cast<int32_t>(w),  static_cast<int32_t>(h)};
    return true;
}

// Copies n bytes between buffers that do not overlap. The composition
// copies thousands of short rows (a face row is 38 to 152 bytes, the frame
// beside a face a few bytes), where the call into the library memcpy costs
// more than the copy: short lengths are done inline in pieces of 16, 8, 4 or
// 1 bytes, the last piece overlapping the one before.
inline void CopyRowBytes(uint8_t* to, const uint8_t* from, std::size_t n) {
    if (n > 256) {
        std::memcpy(to, from, n);
    } else if (n >= 16) {
        std::size_t i = 0;
        for (; i + 16 < n; i += 16) {
            std::memcpy(to + i, from + i, 16);
        }
        std::memcpy(to + n - 16, from + n - 16, 16);
    } else if (n >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else {
        for (std::size_t i = 0; i < n; ++i) {
            to[i] = from[i];
        }
    }
}

// Mask of the bits of a raw value that carry colour (colour value 0 test).
uint32_t ColourMask(PixelFormatSetting format) {
    switch (format) {
    case PixelFormatSetting::Bits15:
        return 0x7FFF;
    case PixelFormatSetting::Bits32:
    case PixelFormatSetting::Device:
        return 0x00FFFFFF;
    default:
        return 0xFFFFFFFF;
    }
}

enum class Op { Copy, Transparent, Merge };

// The slow path: pixel by pixel through raw values, for copies between
// bitmaps of different formats.
void PixelwiseSpan(Bitmap& dst, const Bitmap& src, const Span& s, Op op) {
    const PixelFormatSetting sf = src.format();
    const PixelFormatSetting df = dst.format();
    const bool same = sf == df;
    const uint32_t srcMask = ColourMask(sf);
    for (int32_t y = 0; y < s.h; ++y) {
        for (int32_t x = 0; x < s.w; ++x) {
            const uint32_t raw = src.rawPixel(s.sx + x, s.sy + y);
            if (op == Op::Transparent && (raw & srcMask) == 0) {
                continue;
            }
            const uint32_t value = same ? raw : EncodeColour(df, DecodeColour(sf, raw));
            if (op == Op::Merge) {
                const uint32_t old = dst.rawPixel(s.dx + x, s.dy + y);
                dst.setRawPixel(s.dx + x, s.dy + y, ~value | old);
            } else {
                dst.setRawPixel(s.dx + x, s.dy + y, value);
            }
        }
    }
}

void CopyBytes(Bitmap& dst, const Bitmap& src, const Span& s, int bytesPerPixel) {
    const std::size_t n = static_cast<std::size_t>(s.w) * bytesPerPixel;
    uint8_t* to = dst.row(s.dy) + static_cast<std::ptrdiff_t>(s.dx) * bytesPerPixel;
    const uint8_t* from = src.row(s.sy) + static_cast<std::ptrdiff_t>(s.sx) * bytesPerPixel;
    const std::ptrdiff_t toStride = dst.stride();
    const std::ptrdiff_t fromStride = src.stride();
    if (&dst == &src) {
        for (int32_t y = 0; y < s.h; ++y, to += toStride, from += fromStride) {
            std::memmove(to, from, n); // a copy within one bitmap may overlap
        }
        return;
    }
    for (int32_t y = 0; y < s.h; ++y, to += toStride, from += fromStride) {
        CopyRowBytes(to, from, n);
    }
}

void MergeBytes(Bitmap& dst, const Bitmap& src, const Span& s, int bytesPerPixel) {
    const std::size_t n = static_cast<std::size_t>(s.w) * bytesPerPixel;
    for (int32_t y = 0; y < s.h; ++y) {
        uint8_t* d = dst.row(s.dy + y) + s.dx * bytesPerPixel;
        const uint8_t* p = src.row(s.sy + y) + s.sx * bytesPerPixel;
        std::size_t i = 0;
        for (; i + 8 <= n; i += 8) { // eight bytes at a time; the rule is bitwise
            uint64_t a, b;
            std::memcpy(&a, p + i, 8);
            std::memcpy(&b, d + i, 8);
            b |= ~a;
            std::memcpy(d + i, &b, 8);
        }
        for (; i < n; ++i) {
            d[i] = static_cast<uint8_t>(~p[i] | d[i]);
        }
    }
}

void Transparent32(Bitmap& dst, const Bitmap& src, const Span& s) {
    for (int32_t y = 0; y < s.h; ++y) {
        uint8_t* d = dst.row(s.dy + y) + 4 * s.dx;
        const uint8_t* p = src.row(s.sy + y) + 4 * s.sx;
        for (int32_t x = 0; x < s.w; ++x) {
            uint32_t v;
            std::memcpy(&v, p + 4 * x, 4);
            if (v & 0x00FFFFFFu) {
                std::memcpy(d + 4 * x, &v, 4);
            }
        }
    }
}

void Transparent24(Bitmap& dst, const Bitmap& src, const Span& s) {
    for (int32_t y = 0; y < s.h; ++y) {
        uint8_t* d = dst.row(s.dy + y) + 3 * s.dx;
        const uint8_t* p = src.row(s.sy + y) + 3 * s.sx;
        for (int32_t x = 0; x < 3 * s.w; x += 3) {
            if (p[x] | p[x + 1] | p[x + 2]) {
                d[x] = p[x];
                d[x + 1] = p[x + 1];
                d[x + 2] = p[x + 2];
            }
        }
    }
}

void Transparent16(Bitmap& dst, const Bitmap& src, const Span& s, uint16_t mask) {
    for (int32_t y = 0; y < s.h; ++y) {
        uint8_t* d = dst.row(s.dy + y) + 2 * s.dx;
        const uint8_t* p = src.row(s.sy + y) + 2 * s.sx;
        for (int32_t x = 0; x < 2 * s.w; x += 2) {
            if ((p[x] | (p[x + 1] << 8)) & mask) {
                d[x] = p[x];
                d[x + 1] = p[x + 1];
            }
        }
    }
}

void Transparent8(Bitmap& dst, const Bitmap& src, const Span& s) {
    for (int32_t y = 0; y < s.h; ++y) {
        uint8_t* d = dst.row(s.dy + y) + s.dx;
        const uint8_t* p = src.row(s.sy + y) + s.sx;
        for (int32_t x = 0; x < s.w; ++x) {
            if (p[x]) {
                d[x] = p[x];
            }
        }
    }
}

// d[k] := (s[k] << 4) | (s[k + 1] >> 4) for k < count: a row of 4-bit
// pixels moved left by one pixel (reads s[0] .. s[count]). Eight bytes at a
// time as one big-endian word, as rows are shifted like this whenever a tile
// lands on the other nibble of a byte than its picture.
void ShiftNibblesLeft(uint8_t* d, const uint8_t* s, int32_t count) {
    static_assert(std::endian::native == std::endian::little);
    int32_t k = 0;
    for (; k + 8 <= count; k += 8) {
        uint64_t v;
        std::memcpy(&v, s + k, 8);
        v = (__builtin_bswap64(v) << 4) | (s[k + 8] >> 4);
        v = __builtin_bswap64(v);
        std::memcpy(d + k, &v, 8);
    }
    for (; k < count; ++k) {
        d[k] = static_cast<uint8_t>((s[k] << 4) | (s[k + 1] >> 4));
    }
}

// Copies n 4-bit pixels from pixel sx of one row to pixel tx of another.
void CopyNibbles(uint8_t* to, int32_t tx, const uint8_t* from, int32_t sx, int32_t n) {
    auto put = [&](int32_t x, uint8_t v) {
        uint8_t& byte = to[x >> 1];
        byte = (x & 1) ? static_cast<uint8_t>((byte & 0xF0) | v)
                       : static_cast<uint8_t>((byte & 0x0F) | (v << 4));
    };
    auto get = [&](int32_t x) -> uint8_t {
        return (x & 1) ? (from[x >> 1] & 0x0F) : (from[x >> 1] >> 4);
    };
    if ((sx & 1) != (tx & 1)) {
        // After at most one single pixel the source starts mid-byte and the
        // destination on a byte: each destination byte joins the low nibble
        // of one source byte with the high nibble of the next.
        int32_t i = 0;
        if (tx & 1) {
            put(tx, get(sx));
            i = 1;
        }
        const uint8_t* s = from + ((sx + i) >> 1);
        uint8_t* d = to + ((tx + i) >> 1);
        const int32_t pairs = (n - i) / 2;
        ShiftNibblesLeft(d, s, pairs);
        i += 2 * pairs;
        if (i < n) {
            put(tx + i, get(sx + i));
        }
        return;
    }
    int32_t i = 0;
    if (sx & 1) {
        put(tx, get(sx));
        i = 1;
    }
    const int32_t whole = (n - i) / 2;
    CopyRowBytes(to + ((tx + i) >> 1), from + ((sx + i) >> 1), static_cast<std::size_t>(whole));
    i += 2 * whole;
    if (i < n) {
        put(tx + i, get(sx + i));
    }
}

// Bits4: the source pixels of one row are first lined up with the nibble
// parity of the destination in `line`, then combined with whole destination
// bytes under a mask of the nibbles that belong to the span.
void Nibbles4(Bitmap& dst, const Bitmap& src, const Span& s, Op op) {
    if (op == Op::Copy) {
        for (int32_t y = 0; y < s.h; ++y) {
            CopyNibbles(dst.row(s.dy + y), s.dx, src.row(s.sy + y), s.sx, s.w);
        }
        return;
    }
    const int32_t dpar = s.dx & 1;
    const int32_t spar = s.sx & 1;
    const int32_t nbytes = (dpar + s.w + 1) / 2;
    const int32_t base = s.sx >> 1;
    const int32_t srcBytes = src.stride();
    thread_local std::vector<uint8_t> line;
    line.resize(static_cast<std::size_t>(nbytes));
    const uint8_t firstMask = dpar ? 0x0F : 0xFF;
    const uint8_t lastMask = ((dpar + s.w) & 1) ? 0xF0 : 0xFF;
    for (int32_t y = 0; y < s.h; ++y) {
        const uint8_t* p = src.row(s.sy + y);
        auto at = [&](int32_t i) -> uint32_t { return i >= 0 && i < srcBytes ? p[i] : 0; };
        if (spar == dpar) {
            std::memcpy(line.data(), p + base, static_cast<std::size_t>(nbytes));
        } else if (dpar == 0) {
            for (int32_t k = 0; k < nbytes; ++k) {
                line[k] = static_cast<uint8_t>((at(base + k) << 4) | (at(base + k + 1) >> 4));
            }
        } else {
            for (int32_t k = 0; k < nbytes; ++k) {
                line[k] = static_cast<uint8_t>((at(base + k - 1) << 4) | (at(base + k) >> 4));
            }
        }
        uint8_t* d = dst.row(s.dy + y) + (s.dx >> 1);
        for (int32_t k = 0; k < nbytes; ++k) {
            uint8_t m = 0xFF;
            if (k == 0) {
                m &= firstMask;
            }
            if (k == nbytes - 1) {
                m &= lastMask;
            }
            const uint8_t t = line[k];
            switch (op) {
            case Op::Copy:
                d[k] = static_cast<uint8_t>((d[k] & ~m) | (t & m));
                break;
            case Op::Transparent:
                m &= static_cast<uint8_t>(((t & 0xF0) ? 0xF0 : 0) | ((t & 0x0F) ? 0x0F : 0));
                d[k] = static_cast<uint8_t>((d[k] & ~m) | (t & m));
                break;
            case Op::Merge:
                d[k] = static_cast<uint8_t>(d[k] | (~t & m));
                break;
            }
        }
    }
}

void Run(Bitmap& dst, int32_t dx, int32_t dy, const Bitmap& src, const Rect& srcRect, Op op) {
    Span s;
    if (!ClipSpan(dst, dx, dy, src, srcRect, s)) {
        return;
    }
    const PixelFormatSetting f = dst.format();
    if (src.format() != f) {
        PixelwiseSpan(dst, src, s, op);
        return;
    }
    switch (f) {
    case PixelFormatSetting::Bits4:
        Nibbles4(dst, src, s, op);
        return;
    case PixelFormatSetting::Bits8:
        op == Op::Copy          ? CopyBytes(dst, src, s, 1)
        : op == Op::Transparent ? Transparent8(dst, src, s)
                                : MergeBytes(dst, src, s, 1);
        return;
    case PixelFormatSetting::Bits15:
    case PixelFormatSetting::Bits16:
        op == Op::Copy ? CopyBytes(dst, src, s, 2)
        : op == Op::Transparent
            ? Transparent16(dst, src, s, f == PixelFormatSetting::Bits15 ? 0x7FFF : 0xFFFF)
            : MergeBytes(dst, src, s, 2);
        return;
    case PixelFormatSetting::Bits24:
        op == Op::Copy          ? CopyBytes(dst, src, s, 3)
        : op == Op::Transparent ? Transparent24(dst, src, s)
                                : MergeBytes(dst, src, s, 3);
        return;
    default:
        op == Op::Copy          ? CopyBytes(dst, src, s, 4)
        : op == Op::Transparent ? Transparent32(dst, src, s)
                                : MergeBytes(dst, src, s, 4);
        return;
    }
}

} // namespace

Bitmap ConvertedBitmap(const Bitmap& source, PixelFormatSetting format, ColourKey key) {
    format = NormalizePixelFormat(format);
    if (format == source.format()) {
        return source;
    }
    Bitmap out(source.width(), source.height(), format);
    std::vector<uint32_t> line(static_cast<std::size_t>(source.width()));
    for (int32_t y = 0; y < source.height(); ++y) {
        DecodeRow(source.format(), source.row(y), 0, source.width(), line.data());
        EncodeRow(format, line.data(), 0, source.width(), out.row(y), key);
    }
    return out;
}

void ConvertBitmap(Bitmap& bitmap, PixelFormatSetting format, ColourKey key) {
    if (NormalizePixelFormat(format) != bitmap.format()) {
        bitmap = ConvertedBitmap(bitmap, format, key);
    }
}

void CopyRect(Bitmap& dst, int32_t dx, int32_t dy, const Bitmap& src, const Rect& srcRect) {
    Run(dst, dx, dy, src, srcRect, Op::Copy);
}

void CopyTransparent(Bitmap& dst, int32_t dx, int32_t dy, const Bitmap& src, const Rect& srcRect) {
    Run(dst, dx, dy, src, srcRect, Op::Transparent);
}

void MergePaint(Bitmap& dst, int32_t dx, int32_t dy, const Bitmap& src, const Rect& srcRect) {
    Run(dst, dx, dy, src, srcRect, Op::Merge);
}

namespace {

// FindOpaqueRuns with `opaque(row, x)` telling whether pixel x of a stored
// row has a colour value other than 0; read straight from the row bytes, as
// the runs are found at every composition.
template <typename Opaque> void ScanRuns(const Bitmap& src, OpaqueRuns& runs, Opaque opaque) {
    runs.RowStart.clear();
    runs.Runs.clear();
    const int32_t width = src.width();
    for (int32_t y = 0; y < src.height(); ++y) {
        runs.RowStart.push_back(static_cast<int32_t>(runs.Runs.size()));
        const uint8_t* row = src.row(y);
        int32_t x = 0;
        while (x < width) {
            while (x < width && !opaque(row, x)) {
                ++x;
            }
            const int32_t begin = x;
            while (x < width && opaque(row, x)) {
                ++x;
            }
            if (x > begin) {
                runs.Runs.push_back({begin, x});
            }
        }
    }
    runs.RowStart.push_back(static_cast<int32_t>(runs.Runs.size()));
}

} // namespace

void FindOpaqueRuns(const Bitmap& src, OpaqueRuns& runs) {
    switch (src.format()) {
    case PixelFormatSetting::Bits4:
        ScanRuns(src, runs, [](const uint8_t* row, int32_t x) {
            return ((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)) != 0;
        });
        return;
    case PixelFormatSetting::Bits8:
        ScanRuns(src, runs, [](const uint8_t* row, int32_t x) { return row[x] != 0; });
        return;
    case PixelFormatSetting::Bits15:
        ScanRuns(src, runs, [](const uint8_t* row, int32_t x) {
            return (row[2 * x] | (row[2 * x + 1] & 0x7F)) != 0; // spare bit ignored
        });
        return;
    case PixelFormatSetting::Bits16:
        ScanRuns(src, runs,
                 [](const uint8_t* row, int32_t x) { return (row[2 * x] | row[2 * x + 1]) != 0; });
        return;
    case PixelFormatSetting::Bits24:
        ScanRuns(src, runs, [](const uint8_t* row, int32_t x) {
            return (row[3 * x] | row[3 * x + 1] | row[3 * x + 2]) != 0;
        });
        return;
    default: // Bits32, Device: the fourth byte is no colour
        ScanRuns(src, runs, [](const uint8_t* row, int32_t x) {
            return (row[4 * x] | row[4 * x + 1] | row[4 * x + 2]) != 0;
        });
        return;
    }
}

void CutOpaqueRuns(const OpaqueRuns& runs, const Rect& hole, OpaqueRuns& out) {
    out.RowStart.clear();
    out.Runs.clear();
    const int32_t rows = static_cast<int32_t>(runs.RowStart.size()) - 1;
    for (int32_t y = 0; y < rows; ++y) {
        out.RowStart.push_back(static_cast<int32_t>(out.Runs.size()));
        const bool inHole = y >= hole.Top && y < hole.Bottom && hole.Left < hole.Right;
        for (int32_t i = runs.RowStart[y]; i < runs.RowStart[y + 1]; ++i) {
            const OpaqueRuns::Run run = runs.Runs[i];
            if (!inHole || run.End <= hole.Left || run.Begin >= hole.Right) {
                out.Runs.push_back(run);
                continue;
            }
            if (run.Begin < hole.Left) {
                out.Runs.push_back({run.Begin, hole.Left});
            }
            if (run.End > hole.Right) {
                out.Runs.push_back({hole.Right, run.End});
            }
        }
    }
    out.RowStart.push_back(static_cast<int32_t>(out.Runs.size()));
}

namespace {

// CopyOpaqueRuns of a picture that lies wholly inside `dst`, in a format of
// `Bytes` whole bytes per pixel: no clipping, one short copy per run. The
// composition draws up to 144 frames of a hundred-odd runs each, so the work
// per run is what counts.
template <int Bytes>
void CopyRunsInside(Bitmap& dst, int32_t dx, int32_t dy, const Bitmap& src,
                    const OpaqueRuns& runs) {
    uint8_t* to = dst.row(dy) + static_cast<std::ptrdiff_t>(dx) * Bytes;
    const uint8_t* from = src.bits();
    const std::ptrdiff_t toStride = dst.stride();
    const std::ptrdiff_t fromStride = src.stride();
    const int32_t* rowStart = runs.RowStart.data();
    const OpaqueRuns::Run* run = runs.Runs.data();
    for (int32_t y = 0; y < src.height(); ++y, to += toStride, from += fromStride) {
        const OpaqueRuns::Run* end = runs.Runs.data() + rowStart[y + 1];
        for (; run != end; ++run) {
            const std::ptrdiff_t begin = static_cast<std::ptrdiff_t>(run->Begin) * Bytes;
            CopyRowBytes(to + begin, from + begin,
                         static_cast<std::size_t>(run->End - run->Begin) * Bytes);
        }
    }
}

} // namespace

void CopyOpaqueRuns(Bitmap& dst, int32_t dx, int32_t dy, const Bitmap& src,
                    const OpaqueRuns& runs) {
    if (src.format() != dst.format() ||
        runs.RowStart.size() != static_cast<std::size_t>(src.height()) + 1) {
        CopyTransparent(dst, dx, dy, src, {0, 0, src.width(), src.height()});
        return;
    }
    const bool inside = dx >= 0 && dy >= 0 && int64_t{dx} + src.width() <= dst.width() &&
                        int64_t{dy} + src.height() <= dst.height() && &dst != &src;
    if (inside && !src.isEmpty()) {
        switch (StorageBitsPerPixel(dst.format())) {
        case 8:
            CopyRunsInside<1>(dst, dx, dy, src, runs);
            return;
        case 16:
            CopyRunsInside<2>(dst, dx, dy, src, runs);
            return;
        case 24:
            CopyRunsInside<3>(dst, dx, dy, src, runs);
            return;
        case 32:
            CopyRunsInside<4>(dst, dx, dy, src, runs);
            return;
        default:
            break; // Bits4: nibbles, below
        }
    }
    const int64_t firstRow = std::max<int64_t>(0, -int64_t{dy});
    const int64_t lastRow = std::min<int64_t>(src.height(), int64_t{dst.height()} - dy);
    const int64_t minX = -int64_t{dx};              // first source column on dst
    const int64_t maxX = int64_t{dst.width()} - dx; // one past the last
    const int bits = StorageBitsPerPixel(dst.format());
    for (int64_t y = firstRow; y < lastRow; ++y) {
        const uint8_t* from = src.row(static_cast<int32_t>(y));
        uint8_t* to = dst.row(static_cast<int32_t>(y + dy));
        for (int32_t i = runs.RowStart[y]; i < runs.RowStart[y + 1]; ++i) {
            const int64_t begin = std::max<int64_t>(runs.Runs[i].Begin, minX);
            const int64_t end = std::min<int64_t>(runs.Runs[i].End, maxX);
            if (begin >= end) {
                continue;
            }
            const auto sx = static_cast<int32_t>(begin);
            const auto tx = static_cast<int32_t>(begin + dx);
            const auto n = static_cast<int32_t>(end - begin);
            if (bits == 4) {
                CopyNibbles(to, tx, from, sx, n);
            } else {
                const int bytes = bits / 8;
                CopyRowBytes(to + tx * bytes, from + sx * bytes,
                             static_cast<std::size_t>(n) * bytes);
            }
        }
    }
}

void FillRect(Bitmap& dst, const Rect& rect, Rgb colour) {
    const uint32_t value = EncodeColour(dst.format(), colour);
    const int32_t left = std::max(rect.Left, 0);
    const int32_t top = std::max(rect.Top, 0);
    const int32_t right = std::min(rect.Right, dst.width());
    const int32_t bottom = std::min(rect.Bottom, dst.height());
    for (int32_t y = top; y < bottom; ++y) {
        for (int32_t x = left; x < right; ++x) {
            dst.setRawPixel(x, y, value);
        }
    }
}

} // namespace kelmar
