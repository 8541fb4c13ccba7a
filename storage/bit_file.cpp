#include "storage/bit_file.h"

#include "storage/regular_file.h"
#include "storage/storage_error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelmar {
namespace {

IoError readError(const BitFile& bitFile, int errorNumber) {
    return IoError("Fehler beim Lesen von " + QuotedFileName(bitFile.fileName) + ": " +
                   GermanErrorText(errorNumber) + ".");
}

IoError writeError(const BitFile& bitFile, int errorNumber) {
    return IoError("Fehler beim Schreiben von " + QuotedFileName(bitFile.fileName) + ": " +
                   GermanErrorText(errorNumber) + ".");
}

// Releases handle and buffer; returns the errno of a failed close, else 0.
int release(BitFile& bitFile) {
    int error = 0;
    if (bitFile.file >= 0 && ::close(bitFile.file) != 0) {
        error = errno;
    }
    bitFile.file = -1;
    bitFile.buffer.reset();
    return error;
}

void writeBlock(BitFile& bitFile, int32_t count) {
    int32_t done = 0;
    while (done < count) {
        const ssize_t written = ::write(bitFile.file, bitFile.buffer.get() + done,
                                        static_cast<std::size_t>(count - done));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            throw writeError(bitFile, written < 0 ? errno : EIO);
        }
        done += static_cast<int32_t>(written);
    }
}

// True when the descriptor's position is at (or past) the end of a regular
// file. For other kinds of file the end shows as an empty read instead.
bool atEndOfFile(const BitFile& bitFile) {
    struct stat info {};
    if (::fstat(bitFile.file, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    const off_t here = ::lseek(bitFile.file, 0, SEEK_CUR);
    return here >= 0 && here >= info.st_size;
}

void refill(BitFile& bitFile) {
    int32_t got = 0;
    bool hitEnd = false;
    while (got < kBitFileBlockSize) {
        const ssize_t n = ::read(bitFile.file, bitFile.buffer.get() + got,
                                 static_cast<std::size_t>(kBitFileBlockSize - got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw readError(bitFile, errno);
        }
        if (n == 0) {
            hitEnd = true;
            break;
        }
        got += static_cast<int32_t>(n);
    }
    bitFile.filled = got;
    bitFile.position = 0;
    if (hitEnd || atEndOfFile(bitFile)) {
        bitFile.endSeen = true;
    }
}

// Created or truncated. O_NONBLOCK: a pipe without a reader fails at once
// (ENXIO) instead of waiting for one. (The game writes only the temporary
// file it has just made; tests write to /dev/full.)
int openForWriting(const std::string& fileName) {
    const int fd =
        ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    return fd < 0 ? -1 : SettleNonBlockingOpen(fd, false);
}

} // namespace

BitFile::~BitFile() {
    release(*this);
}

bool IsOpen(const BitFile& bitFile) {
    return bitFile.file >= 0;
}

bool Open(BitFile& bitFile, const std::string& fileName, uint8_t mode) {
    release(bitFile);
    const int fd =
        mode == kBitFileWrite ? openForWriting(fileName) : OpenRegularFileForReading(fileName);
    if (fd < 0) {
        return false;
    }
    bitFile.mode = mode == kBitFileWrite ? kBitFileWrite : kBitFileRead;
    bitFile.file = fd;
    bitFile.endSeen = false;
    bitFile.buffer = std::make_unique<uint8_t[]>(kBitFileBlockSize);
    bitFile.position = 0;
    bitFile.filled = 0;
    bitFile.accumulator = 0;
    bitFile.pending = 0;
    bitFile.exhausted = false;
    bitFile.overrun = false;
    bitFile.fileName = fileName;
    return true;
}

void Close(BitFile& bitFile) {
    if (!IsOpen(bitFile)) {
        return;
    }
    if (bitFile.mode == kBitFileWrite) {
        try {
            FlushBits(bitFile);
            writeBlock(bitFile, bitFile.position);
            bitFile.position = 0;
            // The file is about to replace an older one; it must be on disk.
            if (::fsync(bitFile.file) != 0 && errno != EINVAL) {
                throw writeError(bitFile, errno);
            }
        } catch (...) {
            release(bitFile);
            throw;
        }
    }
    const int error = release(bitFile);
    if (error != 0) {
        throw bitFile.mode == kBitFileWrite ? writeError(bitFile, error)
                                            : readError(bitFile, error);
    }
}

void WriteByte(BitFile& bitFile, uint8_t byte) {
    bitFile.buffer[static_cast<std::size_t>(bitFile.position)] = byte;
    ++bitFile.position;
    if (bitFile.position >= kBitFileBlockSize) {
        writeBlock(bitFile, kBitFileBlockSize);
        bitFile.position = 0;
    }
}

uint8_t ReadByte(BitFile& bitFile) {
    if (bitFile.exhausted) {
        bitFile.overrun = true;
        return kBitFilePastEndByte;
    }
    if (bitFile.position >= bitFile.filled) {
        refill(bitFile);
    }
    if (bitFile.position >= bitFile.filled) {
        bitFile.exhausted = true;
        bitFile.overrun = true;
        return kBitFilePastEndByte;
    }
    const uint8_t byte = bitFile.buffer[static_cast<std::size_t>(bitFile.position)];
    ++bitFile.position;
    if (bitFile.position >= bitFile.filled && bitFile.endSeen) {
        bitFile.exhausted = true;
    }
    return byte;
}

void WriteBits(BitFile& bitFile, uint16_t value, int n) {
    bitFile.accumulator = (bitFile.accumulator << n) | value;
    bitFile.pending = static_cast<uint8_t>(bitFile.pending + n);
    while (bitFile.pending >= 8) {
        WriteByte(bitFile, static_cast<uint8_t>(bitFile.accumulator >> (bitFile.pending - 8)));
        bitFile.pending = static_cast<uint8_t>(bitFile.pending - 8);
    }
}

uint16_t ReadBits(BitFile& bitFile, int n) {
    while (bitFile.pending < n) {
        bitFile.accumulator = (bitFile.accumulator << 8) | ReadByte(bitFile);
        bitFile.pending = static_cast<uint8_t>(bitFile.pending + 8);
    }
    const uint32_t mask = (1u << n) - 1u;
    const auto value = static_cast<uint16_t>((bitFile.accumulator >> (bitFile.pending - n)) & mask);
    bitFile.pending = static_cast<uint8_t>(bitFile.pending - n);
    return value;
}

void Write8(BitFile& bitFile, uint8_t value) {
    WriteBits(bitFile, value, 8);
}

uint8_t Read8(BitFile& bitFile) {
    return static_cast<uint8_t>(ReadBits(bitFile, 8));
}

void Write16(BitFile& bitFile, uint32_t value) {
    Write8(bitFile, static_cast<uint8_t>(value & 0xFF));
    Write8(bitFile, static_cast<uint8_t>((value >> 8) & 0xFF));
}

uint16_t Read16(BitFile& bitFile) {
    const uint16_t low = Read8(bitFile);
    const uint16_t high = Read8(bitFile);
    return static_cast<uint16_t>(low | (high << 8));
}

void WriteRaw32(BitFile& bitFile, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        WriteByte(bitFile, static_cast<uint8_t>(value >> shift));
    }
}

uint32_t ReadRaw32(BitFile& bitFile) {
    uint32_t value = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        value |= static_cast<uint32_t>(ReadByte(bitFile)) << shift;
    }
    return value;
}

void FlushBits(BitFile& bitFile) {
    if (bitFile.pending > 0) {
        WriteByte(bitFile, static_cast<uint8_t>(bitFile.accumulator << (8 - bitFile.pending)));
    }
    bitFile.pending = 0;
}

} // namespace kelmar
