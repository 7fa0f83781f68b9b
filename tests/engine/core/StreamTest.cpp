// Tests of the byte streams: little-endian reads, seeking, refused reads past the end, missing files.
#include "engine/core/Stream.h"
#include "engine/core/EngineCore.h"
#include "engine/core/FileSystem.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <tuple>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace
{

// Bytes the program holds on the heap now (the sanitizer's count when it runs, the C library's otherwise).
size_t HeapBytesInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

// One value of every width, little-endian: u8 1, s8 -1, u16 0x1234, s16 -2, u32 0x12345678, s32 -1, float 1.0
// (IEEE single 0x3F800000), then the block "xyz".
const std::vector<uint8_t> kValues = {0x01, 0xFF, 0x34, 0x12, 0xFE, 0xFF, 0x78, 0x56, 0x34, 0x12, 0xFF,
                                      0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F, 'x',  'y',  'z'};

TEST(Stream, EveryKindReadsLittleEndianValuesAndSeeks)
{
    testsupport::TempDir dir;
    std::string path = dir.File("values.bin");
    testsupport::WriteBytes(path, kValues);
    // The caller's buffer stays the caller's: a stream that freed it would show under the sanitizer.
    FileStream inMemory(kValues.data(), static_cast<uint32_t>(kValues.size()));
    FileStream loaded(path.c_str());
    StdioStream open(path.c_str());
    for (Stream* s : std::initializer_list<Stream*>{&inMemory, &loaded, &open})
    {
        ASSERT_TRUE(s->IsOpen());
        EXPECT_EQ(s->ReadUInt8(), 1u);
        EXPECT_EQ(s->ReadInt8(), -1);
        EXPECT_EQ(s->ReadUInt16(), 0x1234u);
        EXPECT_EQ(s->ReadInt16(), -2);
        EXPECT_EQ(s->ReadUInt32(), 0x12345678u);
        EXPECT_EQ(s->ReadInt32(), -1);
        EXPECT_EQ(s->ReadFloat(), 1.0f);
        char block[3] = {};
        EXPECT_EQ(s->Read(block, 3), 3u);
        EXPECT_EQ(std::memcmp(block, "xyz", 3), 0);
        EXPECT_EQ(s->Seek(6), 0);
        EXPECT_EQ(s->ReadUInt32(), 0x12345678u);
        s->Skip(-4);
        EXPECT_EQ(s->ReadUInt16(), 0x5678u);
        EXPECT_TRUE(s->Good());
    }
    // A memory stream's skip returns its argument, a file stream's the seek's result.
    EXPECT_EQ(inMemory.Skip(-2), -2);
    EXPECT_EQ(open.Skip(-2), 0);
}

TEST(Stream, ReadsPastTheEndFailAndZeroWhatIsMissing)
{
    const uint8_t bytes[] = {0x11, 0x22, 0x33};
    FileStream s(bytes, sizeof bytes);
    EXPECT_EQ(s.ReadUInt16(), 0x2211u);
    // One byte left: a 4-byte value is refused whole rather than assembled from bytes beyond the data.
    EXPECT_EQ(s.ReadUInt32(), 0u);
    EXPECT_TRUE(s.IsFailed() && s.Tell() == 3u);

    // A file stream keeps the bytes that exist: only the low byte of the last value is there.
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir.File("short.bin"), {0x11, 0x22, 0x33});
    StdioStream file(dir.File("short.bin").c_str());
    EXPECT_EQ(file.Seek(2), 0);
    EXPECT_EQ(file.ReadUInt32(), 0x33u);
    EXPECT_TRUE(file.IsFailed());

    // Blocks copy what is there and zero the rest of the destination.
    FileStream blocks(bytes, sizeof bytes);
    file.Seek(0);
    for (Stream* stream : std::initializer_list<Stream*>{&blocks, &file})
    {
        char dst[5];
        std::memset(dst, 0x7F, sizeof dst);
        EXPECT_EQ(stream->Read(dst, 5), 3u);
        EXPECT_EQ(std::memcmp(dst, "\x11\x22\x33\0\0", 5), 0);
        EXPECT_TRUE(stream->IsFailed());
    }
}

TEST(FileStream, SeeksOutsideTheDataAreClampedAndFlagged)
{
    const uint8_t bytes[] = {1, 2, 3};
    FileStream seeks(bytes, sizeof bytes);
    EXPECT_EQ(seeks.Seek(3), 0);
    EXPECT_TRUE(seeks.Good());
    EXPECT_EQ(seeks.Seek(9), -1);
    EXPECT_TRUE(seeks.Tell() == 3u && seeks.IsFailed());
    FileStream back(bytes, sizeof bytes);
    back.Skip(-3);
    EXPECT_TRUE(back.Tell() == 0u && back.IsFailed());
}

// A seek answers 0 for every position from the start to the end of the data inclusive, -1 outside; the position
// is the one asked for, or the nearer end; only a refused seek marks the stream.
TEST(FileStream, SeekAnswersWhetherThePositionIsInsideTheData)
{
    const uint8_t bytes[] = {10, 11, 12, 13};
    const struct
    {
        int32_t offset;
        int32_t result;
        uint32_t position;
    } cases[] = {
        {0, 0, 0}, {1, 0, 1}, {3, 0, 3}, {4, 0, 4}, {5, -1, 4}, {-1, -1, 0}, {INT32_MIN, -1, 0}, {INT32_MAX, -1, 4},
    };
    for (const auto& c : cases)
    {
        FileStream s(bytes, sizeof bytes);
        s.ReadUInt16(); // seeks are from the start, not from here
        EXPECT_EQ(s.Seek(c.offset), c.result) << c.offset;
        EXPECT_EQ(s.Tell(), c.position) << c.offset;
        EXPECT_EQ(s.IsFailed(), c.result != 0) << c.offset;
        EXPECT_EQ(s.ReadUInt8(), c.position < sizeof bytes ? bytes[c.position] : 0) << c.offset;
    }
    // An empty buffer has one position, its start.
    FileStream empty(bytes, 0);
    EXPECT_EQ(std::tuple(empty.Seek(0), empty.Seek(1)), std::tuple(0, -1));
}

// A block read with nowhere to put the bytes reads nothing, does not move, and fails the stream.
TEST(Stream, BlockReadsWithoutADestinationFailTheStream)
{
    testsupport::TempDir dir;
    std::string path = dir.File("values.bin");
    testsupport::WriteBytes(path, kValues);
    FileStream inMemory(kValues.data(), static_cast<uint32_t>(kValues.size()));
    FileStream loaded(path.c_str());
    StdioStream open(path.c_str());
    for (Stream* s : std::initializer_list<Stream*>{&inMemory, &loaded, &open})
    {
        ASSERT_TRUE(s->Good());
        EXPECT_EQ(s->Read(static_cast<void*>(nullptr), 4), 0u);
        EXPECT_TRUE(s->IsFailed());
        EXPECT_EQ(s->ReadUInt8(), 1u); // still at the start
    }
}

// The bytes a stream loads are its own and go with it: making and dropping many streams over a large file leaves
// the heap no larger than one copy of the file.
TEST(FileStream, TheLoadedBytesGoWithTheStream)
{
    testsupport::TempDir dir;
    const std::string path = dir.File("large.bin");
    constexpr size_t kSize = 4u << 20;
    testsupport::WriteBytes(path, std::vector<uint8_t>(kSize, 0x5A));
    const size_t before = HeapBytesInUse();
    for (int i = 0; i < 8; ++i)
    {
        FileStream s(path.c_str());
        ASSERT_TRUE(s.IsOpen() && s.GetSize() == kSize);
    }
    EXPECT_LT(HeapBytesInUse(), before + kSize);
}

TEST(Stream, MissingOrEmptyFileGivesAClosedFailedStreamThatReadsZeros)
{
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir.File("empty.bin"), {});
    FileStream missing(dir.File("missing.bin").c_str());
    FileStream empty(dir.File("empty.bin").c_str());
    StdioStream notThere(dir.File("missing.bin").c_str());
    for (Stream* s : std::initializer_list<Stream*>{&missing, &empty, &notThere})
    {
        EXPECT_TRUE(!s->IsOpen() && s->IsFailed());
        EXPECT_EQ(s->ReadUInt32(), 0u);
        char dst[2] = {'q', 'q'};
        EXPECT_EQ(s->Read(dst, 2), 0u);
        EXPECT_EQ(dst[0], 0);
    }
    EXPECT_EQ(notThere.Seek(0), -1);
}

// File services whose first size query cuts the file down afterwards, as when another program rewrites it while
// the stream is being opened.
class ShrinkingFiles : public FileSystem
{
public:
    uint32_t GetFileSize(const char* fileName) override
    {
        uint32_t size = FileSystem::GetFileSize(fileName);
        if (!m_bShrunk)
        {
            std::filesystem::resize_file(fileName, 2);
            m_bShrunk = true;
        }
        return size;
    }

private:
    bool m_bShrunk = false;
};

TEST(FileStream, AFileThatShrinksWhileOpeningNeverReadsPastItsBuffer)
{
    testsupport::TempDir dir;
    std::string path = dir.File("values.bin");
    testsupport::WriteBytes(path, kValues);
    ShrinkingFiles files;
    EngineCore core;
    core.m_pFileSystem = &files;
    g_pEngineCore = &core;
    FileStream stream(path.c_str());
    g_pEngineCore = nullptr;
    // Either the stream refuses the file or it holds exactly the bytes the file has left, never the old size.
    std::vector<uint8_t> block(kValues.size());
    EXPECT_LE(stream.Read(block.data(), static_cast<uint32_t>(block.size())), 2u);
    EXPECT_TRUE(stream.IsFailed());
}

} // namespace

// Reading no bytes asks for nothing, so it needs no destination: an empty section read into an empty vector (whose
// data() is null) leaves the stream good and where it was, for every kind of stream and with or without a buffer.
TEST(Stream, AnEmptyBlockReadNeedsNoDestination)
{
    testsupport::TempDir dir;
    std::string path = dir.File("values.bin");
    testsupport::WriteBytes(path, kValues);
    FileStream inMemory(kValues.data(), static_cast<uint32_t>(kValues.size()));
    FileStream loaded(path.c_str());
    StdioStream open(path.c_str());
    std::vector<uint8_t> none;
    uint8_t spare[1] = {0xAB};
    const struct
    {
        const char* what;
        void* destination;
    } rows[] = {{"empty vector", none.data()}, {"null", nullptr}, {"buffer", spare}};
    for (Stream* s : std::initializer_list<Stream*>{&inMemory, &loaded, &open})
    {
        for (const auto& row : rows)
        {
            EXPECT_EQ(s->Read(row.destination, 0), 0u) << row.what;
            EXPECT_EQ(s->Read(static_cast<uint8_t*>(row.destination), 0), 0u) << row.what;
            EXPECT_TRUE(s->Good()) << row.what;
        }
        EXPECT_EQ(spare[0], 0xAB);
        EXPECT_EQ(s->ReadUInt8(), 1u); // nothing was consumed
        EXPECT_TRUE(s->Good());
    }
}
