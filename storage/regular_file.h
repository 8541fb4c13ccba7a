// Opening the files the game reads without ever blocking. A named pipe, a
// device or a socket under the name of the settings file or a saved game
// would otherwise stop the program in open() or read() for good; such a name
// is refused like a file that cannot be opened.
#pragma once

#include <cstddef>
#include <string>

namespace kelmar {

// Opens `path` read-only, close-on-exec, without waiting for a writer, and
// returns the descriptor in blocking mode. Returns -1 with errno set when the
// open fails, EISDIR for a folder and kNotRegularFile (storage_error.h) for
// anything else that is not a regular file.
int OpenRegularFileForReading(const std::string& path);

// Finishes an open made with O_NONBLOCK: returns `fd` in blocking mode, or
// closes it and returns -1 with errno set (EISDIR for a folder; with
// `regularOnly`, kNotRegularFile for anything else but a regular file).
int SettleNonBlockingOpen(int fd, bool regularOnly);

struct FileBytes {
    int error = 0; // 0, or the errno of the failure (ENOENT: there is no file)
    std::string bytes;
};

// The first `limit` bytes of the regular file at `path`. Any failure, also a
// read error after some bytes, gives `error` and no bytes.
FileBytes ReadRegularFile(const std::string& path, std::size_t limit);

} // namespace kelmar
