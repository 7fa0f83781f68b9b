// Tests of the byte streams: little-endian reads, seeking, refused reads past the end, missing files.
#include "engine/core/Stream.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{

// One value of every width, little-endian: u8 1, s8 -1, u16 0x1234, s16 -2, u32 0x12345678, s32 -1, float 1.0
// (IEEE single 0x3F800000), then the block "xyz".
const std::vector<uint8_t> kValues = {0x01, 0xFF, 0x34, 0x12, 0xFE, 0xFF, 0x78, 0x56, 0x34, 0x12, 0xFF,
                                      0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F, 'x',  'y',  'z'};

void ExpectValueSequence(Stream& s)
{
    EXPECT_EQ(s.ReadUInt8(), 1u);
    EXPECT_EQ(s.ReadInt8(), -1);
    EXPECT_EQ(s.ReadUInt16(), 0x1234u);
    EXPECT_EQ(s.ReadInt16(), -2);
    EXPECT_EQ(s.ReadUInt32(), 0x12345678u);
    EXPECT_EQ(s.ReadInt32(), -1);
    EXPECT_EQ(s.ReadFloat(), 1.0f);
    char block[3] = {};
    EXPECT_EQ(s.Read(block, 3), 3u);
    EXPECT_EQ(std::memcmp(block, "xyz", 3), 0);
    EXPECT_TRUE(s.Good());
}

TEST(FileStreamTest, ReadsLittleEndianValuesFromCallersBuffer)
{
    FileStream s(kValues.data(), static_cast<uint32_t>(kValues.size()));
    EXPECT_TRUE(s.IsOpen());
    ExpectValueSequence(s);
    EXPECT_EQ(s.Tell(), kValues.size());
    EXPECT_EQ(s.Remaining(), 0u);
}

TEST(FileStreamTest, SeekAndSkipMoveThePosition)
{
    FileStream s(kValues.data(), static_cast<uint32_t>(kValues.size()));
    EXPECT_EQ(s.Seek(6), 0);
    EXPECT_EQ(s.ReadUInt32(), 0x12345678u);
    // Skip returns its argument and may go backwards.
    EXPECT_EQ(s.Skip(-4), -4);
    EXPECT_EQ(s.ReadUInt16(), 0x5678u);
    EXPECT_EQ(s.Skip(8), 8);
    EXPECT_EQ(s.ReadUInt16(), 0x3F80u);
    // The three block reads copy alike.
    uint8_t u[1];
    EXPECT_EQ(s.Read(u, 1), 1u);
    EXPECT_EQ(u[0], 'x');
    char pair[2] = {};
    EXPECT_EQ(s.Read(static_cast<void*>(pair), 2), 2u);
    EXPECT_EQ(pair[0], 'y');
    EXPECT_EQ(pair[1], 'z');
    EXPECT_TRUE(s.Good());
}

TEST(FileStreamTest, ReadsPastTheEndAreRefused)
{
    const uint8_t bytes[] = {0x11, 0x22, 0x33};
    FileStream s(bytes, sizeof bytes);
    EXPECT_EQ(s.ReadUInt16(), 0x2211u);
    EXPECT_TRUE(s.Good());
    // One byte left: a 4-byte value is refused whole rather than assembled from bytes beyond the data.
    EXPECT_EQ(s.ReadUInt32(), 0u);
    EXPECT_TRUE(s.IsFailed());
    EXPECT_EQ(s.Tell(), 3u);
    EXPECT_EQ(s.ReadUInt8(), 0u);
    EXPECT_EQ(s.ReadFloat(), 0.0f);

    FileStream blocks(bytes, sizeof bytes);
    char dst[5];
    std::memset(dst, 0x7F, sizeof dst);
    EXPECT_EQ(blocks.Read(dst, 5), 3u);
    EXPECT_EQ(dst[2], 0x33);
    EXPECT_EQ(dst[3], 0);
    EXPECT_EQ(dst[4], 0);
    EXPECT_TRUE(blocks.IsFailed());
}

TEST(FileStreamTest, SeeksOutsideTheDataAreClampedAndFlagged)
{
    const uint8_t bytes[] = {1, 2, 3, 4};
    FileStream s(bytes, sizeof bytes);
    EXPECT_EQ(s.Seek(4), 0);
    EXPECT_TRUE(s.Good());
    EXPECT_EQ(s.Seek(9), -1);
    EXPECT_EQ(s.Tell(), 4u);
    EXPECT_TRUE(s.IsFailed());

    FileStream back(bytes, sizeof bytes);
    back.Skip(-3);
    EXPECT_EQ(back.Tell(), 0u);
    EXPECT_TRUE(back.IsFailed());
}

TEST(FileStreamTest, CallersBufferOutlivesTheStream)
{
    // A heap buffer, so a stream that freed it would show up as a use-after-free or double free.
    char* buffer = new char[4]{'a', 'b', 'c', 'd'};
    {
        FileStream s(buffer, 4);
        EXPECT_EQ(s.ReadUInt8(), 'a');
    }
    EXPECT_EQ(buffer[3], 'd');
    delete[] buffer;
}

TEST(FileStreamTest, LoadsWholeFileThroughFileServices)
{
    testsupport::TempDir dir;
    std::string path = dir.File("values.bin");
    testsupport::WriteBytes(path, kValues);
    FileStream s(path.c_str());
    ASSERT_TRUE(s.IsOpen());
    EXPECT_EQ(s.GetSize(), kValues.size());
    ExpectValueSequence(s);
    EXPECT_EQ(s.ReadUInt8(), 0u);
    EXPECT_TRUE(s.IsFailed());
}

TEST(FileStreamTest, MissingOrEmptyFileGivesAClosedFailedStream)
{
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir.File("empty.bin"), {});
    for (const std::string& path : {dir.File("missing.bin"), dir.File("empty.bin")})
    {
        FileStream s(path.c_str());
        EXPECT_FALSE(s.IsOpen()) << path;
        EXPECT_TRUE(s.IsFailed()) << path;
        EXPECT_EQ(s.GetSize(), 0u);
        EXPECT_EQ(s.ReadUInt32(), 0u);
        char dst[2] = {'q', 'q'};
        EXPECT_EQ(s.Read(dst, 2), 0u);
        EXPECT_EQ(dst[0], 0);
    }
}

TEST(StdioStreamTest, ReadsValuesAndSeeks)
{
    testsupport::TempDir dir;
    std::string path = dir.File("values.bin");
    testsupport::WriteBytes(path, kValues);
    StdioStream s(path.c_str());
    ASSERT_TRUE(s.IsOpen());
    ExpectValueSequence(s);
    EXPECT_EQ(s.Seek(2), 0);
    EXPECT_EQ(s.ReadUInt16(), 0x1234u);
    EXPECT_EQ(s.Skip(2), 0);
    EXPECT_EQ(s.ReadUInt32(), 0x12345678u);
    EXPECT_EQ(s.Skip(-4), 0);
    EXPECT_EQ(s.ReadInt32(), 0x12345678);
    EXPECT_TRUE(s.Good());
}

TEST(StdioStreamTest, ReadsPastTheEndGiveZerosInTheMissingBytes)
{
    testsupport::TempDir dir;
    std::string path = dir.File("short.bin");
    testsupport::WriteBytes(path, {0x34, 0x12, 0x56});
    StdioStream s(path.c_str());
    EXPECT_EQ(s.ReadUInt16(), 0x1234u);
    EXPECT_TRUE(s.Good());
    // Only the low byte exists; the missing three read as zero.
    EXPECT_EQ(s.ReadUInt32(), 0x56u);
    EXPECT_TRUE(s.IsFailed());
    EXPECT_EQ(s.ReadInt16(), 0);
    EXPECT_EQ(s.ReadFloat(), 0.0f);

    s.Seek(1);
    uint8_t block[4];
    std::memset(block, 0xEE, sizeof block);
    EXPECT_EQ(s.Read(block, 4), 2u);
    EXPECT_EQ(block[0], 0x12);
    EXPECT_EQ(block[1], 0x56);
    EXPECT_EQ(block[2], 0);
    EXPECT_EQ(block[3], 0);
}

TEST(StdioStreamTest, MissingFileGivesAClosedFailedStream)
{
    testsupport::TempDir dir;
    StdioStream s(dir.File("missing.bin").c_str());
    EXPECT_FALSE(s.IsOpen());
    EXPECT_TRUE(s.IsFailed());
    EXPECT_EQ(s.Seek(0), -1);
    EXPECT_EQ(s.ReadUInt32(), 0u);
    EXPECT_EQ(s.ReadInt8(), 0);
}

} // namespace
