// A buffered file of raw bytes with a bit packer on top; the saved-game
// format is written and read through it.
//
// The file moves in blocks of kBitFileBlockSize bytes. Values of 1..16 bits
// are packed most significant bit first: the first bit written is bit 7 of
// the first byte, so writing 1 (1 bit), 5 (10 bits), 0 (5 bits) gives the
// bytes 0x80 0xA0. Write16/Read16 put the low byte first; WriteRaw32 /
// ReadRaw32 go straight to the byte buffer, lowest byte first, and stay in
// step with the bit operations only at a byte boundary (pending == 0).
//
// Calling order: Open, then only writing operations (mode 1) or only reading
// operations (mode 0), then Close. Reading past the end of the file is no
// error: every such byte is kBitFilePastEndByte (246).
//
// Errors: Open returns false (no buffer, still closed) when the file cannot be
// opened. Every later file-system failure (block read, block write, close)
// throws IoError with a German message naming the file. The buffer and the
// file handle are released by Close and, on any error path, by the
// destructor.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kelmar {

constexpr int kBitFileBlockSize = 1024;
constexpr uint8_t kBitFilePastEndByte = 246;
constexpr uint8_t kBitFileRead = 0;
constexpr uint8_t kBitFileWrite = 1;

struct BitFile {
    uint8_t mode = kBitFileRead;       // 1 = open for writing, 0 = open for reading
    int file = -1;                     // POSIX descriptor; -1 while closed
    bool endSeen = false;              // reading: the last block read reached the end of the file
    std::unique_ptr<uint8_t[]> buffer; // kBitFileBlockSize bytes while open, null while closed
    int32_t position = 0;              // index in buffer of the next byte to put or take
    int32_t filled = 0;                // reading: valid bytes in buffer
    uint32_t accumulator = 0;          // the low `pending` bits are not yet written / handed out
    uint8_t pending = 0;               // bits held in accumulator; 0..7 between calls
    bool exhausted = false;            // reading: the last byte of the file has been taken
    // Reading: at least one kBitFilePastEndByte was handed out because the file
    // had ended. Lets a reader tell a complete file from a truncated one.
    bool overrun = false;
    std::string fileName; // for error messages only

    BitFile() = default;
    BitFile(const BitFile&) = delete;
    BitFile& operator=(const BitFile&) = delete;
    // Releases the handle and the buffer without writing anything out.
    ~BitFile();
};

// Opens `fileName` for writing (mode 1: created, or truncated if it exists)
// or reading (mode 0: must exist). Never blocks: a pipe without a reader
// fails for writing; for reading only a regular file is opened, a pipe,
// device or socket fails with kNotRegularFile (storage_error.h). A folder
// fails with EISDIR. On success resets every field and
// allocates the buffer. Returns false when the file cannot be opened; errno
// then tells why. An already open BitFile is closed first without writing.
bool Open(BitFile& bitFile, const std::string& fileName, uint8_t mode);

// Writing: FlushBits, writes the first `position` bytes and syncs the file to
// disk. Both modes: closes the file and releases the buffer. Does nothing when
// closed. Throws IoError if writing or closing fails; the BitFile is closed
// either way.
void Close(BitFile& bitFile);

bool IsOpen(const BitFile& bitFile);

void WriteByte(BitFile& bitFile, uint8_t byte);
uint8_t ReadByte(BitFile& bitFile);

// Appends the low n bits of value (1 <= n <= 16). The value is not masked:
// it must be below 2^n, higher bits would merge into the pending bits.
void WriteBits(BitFile& bitFile, uint16_t value, int n);
// The next n bits (1 <= n <= 16) of the stream.
uint16_t ReadBits(BitFile& bitFile, int n);

void Write8(BitFile& bitFile, uint8_t value);
uint8_t Read8(BitFile& bitFile);
// Low byte first, each through Write8 / Read8. Only the low 16 bits of a
// larger value are written.
void Write16(BitFile& bitFile, uint32_t value);
uint16_t Read16(BitFile& bitFile);
// Four raw bytes, lowest first, bypassing the accumulator.
void WriteRaw32(BitFile& bitFile, uint32_t value);
uint32_t ReadRaw32(BitFile& bitFile);

// Writes the pending bits of a partial byte at the top of one byte (the rest
// zero); writes nothing when no bit is pending.
void FlushBits(BitFile& bitFile);

} // namespace kelmar
