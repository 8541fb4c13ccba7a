#include "storage/bit_file.h"
#include "storage/storage_error.h"
#include "tests/storage/temp_folder.h"

#include <gtest/gtest.h>

namespace kelmar {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

struct BitWrite {
    uint16_t value;
    int bits;
};

struct PackCase {
    const char* name;
    std::vector<BitWrite> writes;
    std::vector<uint8_t> bytes;
};

class BitPacking : public ::testing::TestWithParam<PackCase> {};

// Writing gives exactly the bytes, and reading the same widths gives the values back.
TEST_P(BitPacking, PacksMostSignificantBitFirstAndReadsBack) {
    const PackCase& c = GetParam();
    TempFolder folder;
    const std::string path = folder.file("bits");
    BitFile file;
    ASSERT_TRUE(Open(file, path, kBitFileWrite));
    for (const BitWrite& w : c.writes) {
        WriteBits(file, w.value, w.bits);
    }
    Close(file);
    EXPECT_EQ(ReadBytes(path), c.bytes);

    ASSERT_TRUE(Open(file, path, kBitFileRead));
    for (const BitWrite& w : c.writes) {
        EXPECT_EQ(ReadBits(file, w.bits), w.value) << w.bits << " bits";
    }
    Close(file);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, BitPacking,
    ::testing::Values(PackCase{"OneTenFive", {{1, 1}, {5, 10}, {0, 5}}, {0x80, 0xA0}},
                      PackCase{"ThreeBitsPaddedWithZeros", {{5, 3}}, {0xA0}},
                      PackCase{"SixteenBitsWhole", {{0xBEEF, 16}}, {0xBE, 0xEF}},
                      PackCase{"OddWidthsAcrossBytes",
                               {{1, 1}, {532, 10}, {378, 10}, {5, 4}, {42, 6}, {1, 1}},
                               {0xC2, 0x8B, 0xD2, 0xD5}},
                      PackCase{"NothingPendingWritesNothing", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BitFile, SixteenBitValuesGoLowByteFirstAndOnlyTheirLowSixteenBits) {
    TempFolder folder;
    const std::string path = folder.file("words");
    BitFile file;
    ASSERT_TRUE(Open(file, path, kBitFileWrite));
    Write16(file, 0x1234);
    Write16(file, 0x12345);
    WriteRaw32(file, 0x524D4C4B);
    Close(file);
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{0x34, 0x12, 0x45, 0x23, 'K', 'L', 'M', 'R'}));

    ASSERT_TRUE(Open(file, path, kBitFileRead));
    EXPECT_EQ(Read16(file), 0x1234);
    EXPECT_EQ(Read16(file), 0x2345);
    EXPECT_EQ(ReadRaw32(file), 0x524D4C4Bu);
    EXPECT_FALSE(file.overrun);
}

// Reading a file of `size` bytes: every byte comes back, then 246; the end is
// known without a further block read once the last byte is taken.
class BlockBoundary : public ::testing::TestWithParam<int> {};

TEST_P(BlockBoundary, EveryByteThenTheValueAfterTheEnd) {
    const int size = GetParam();
    TempFolder folder;
    const std::string path = folder.file("block");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    for (int i = 0; i < size; ++i) {
        bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 7 + 3);
    }
    WriteBytes(path, bytes);

    BitFile file;
    ASSERT_TRUE(Open(file, path, kBitFileRead));
    for (int i = 0; i < size; ++i) {
        ASSERT_EQ(ReadByte(file), bytes[static_cast<size_t>(i)]) << "byte " << i;
        EXPECT_EQ(file.exhausted, i == size - 1) << "byte " << i;
    }
    EXPECT_FALSE(file.overrun);
    EXPECT_EQ(ReadByte(file), kBitFilePastEndByte);
    EXPECT_EQ(ReadBits(file, 16), 0xF6F6);
    EXPECT_TRUE(file.overrun);
    Close(file);
    EXPECT_EQ(ReadBytes(path), bytes) << "reading must not change the file";
}

INSTANTIATE_TEST_SUITE_P(Sizes, BlockBoundary, ::testing::Values(0, 1, 1024, 1025));

TEST(BitFile, FullBlocksAreWrittenAtOnceAndThePartialBlockByClose) {
    TempFolder folder;
    const std::string path = folder.file("blocks");
    BitFile file;
    ASSERT_TRUE(Open(file, path, kBitFileWrite));
    for (int i = 0; i < 1025; ++i) {
        WriteByte(file, static_cast<uint8_t>(i));
    }
    EXPECT_EQ(ReadBytes(path).size(), 1024u);
    Close(file);
    const auto bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 1025u);
    EXPECT_EQ(bytes[1023], 0xFF);
    EXPECT_EQ(bytes[1024], 0x00);
}

TEST(BitFile, OpenFailsWithoutBufferForMissingFilesFoldersAndDirectories) {
    TempFolder folder;
    BitFile file;
    EXPECT_FALSE(Open(file, folder.file("missing"), kBitFileRead));
    EXPECT_FALSE(Open(file, folder.file("no/such/folder"), kBitFileWrite));
    EXPECT_FALSE(Open(file, folder.path().string(), kBitFileRead));
    EXPECT_FALSE(IsOpen(file));
    EXPECT_EQ(file.buffer, nullptr);
}

TEST(BitFile, AWriteFailureIsRaisedAndStillReleasesTheFile) {
    BitFile file;
    ASSERT_TRUE(Open(file, "/dev/full", kBitFileWrite));
    WriteByte(file, 1);
    EXPECT_THROW(Close(file), IoError);
    EXPECT_FALSE(IsOpen(file));
    EXPECT_EQ(file.buffer, nullptr);

    ASSERT_TRUE(Open(file, "/dev/full", kBitFileWrite));
    try {
        for (int i = 0; i < kBitFileBlockSize; ++i) {
            WriteByte(file, 0);
        }
        FAIL() << "a full block must be written, and fail, at once";
    } catch (const IoError& error) {
        EXPECT_NE(std::string(error.what()).find("Fehler beim Schreiben von \u201E/dev/full\u201C"),
                  std::string::npos)
            << error.what();
    }
}

} // namespace
} // namespace kelmar
