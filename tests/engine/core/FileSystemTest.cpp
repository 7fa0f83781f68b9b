// Tests of the file services: plain and scrambled reads and writes, .ble names, dates, delete and mkdir.
#include "engine/core/FileSystem.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <utime.h>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

class FileSystemTest : public ::testing::Test
{
protected:
    std::string Path(const char* name) const { return m_dir.File(name); }

    // The bytes a reader hands out, its final mark included; nullopt (with a size of 0) for no buffer.
    std::optional<Bytes> Read(const char* name, bool scrambled)
    {
        uint32_t size = 99;
        std::string path = Path(name);
        char* buffer =
            scrambled ? files.ReadBleFileSized(path.c_str(), &size) : files.LoadFileSized(path.c_str(), &size);
        if (!buffer)
        {
            EXPECT_EQ(size, 0u);
            return std::nullopt;
        }
        Bytes bytes(buffer, buffer + size + 1);
        delete[] buffer;
        return bytes;
    }

    testsupport::TempDir m_dir;
    FileSystem files;
};

TEST_F(FileSystemTest, ScrambledFilesHoldTheComplementOfEveryByte)
{
    WriteBytes(Path("abc.ble"), {0x9E, 0x9D, 0x9C});
    EXPECT_EQ(files.GetFileSize(Path("abc.ble").c_str()), 3u);
    EXPECT_EQ(Read("abc.ble", true), (Bytes{0x61, 0x62, 0x63, 0x2E}));

    // The writer leaves the caller's buffer complemented.
    char text[] = {'a', 'b', 'c'};
    ASSERT_TRUE(files.WriteBleFile(Path("out.ble").c_str(), text, 3));
    EXPECT_EQ(ReadBytes(Path("out.ble")), (Bytes{0x9E, 0x9D, 0x9C}));
    EXPECT_EQ(Bytes(text, text + 3), (Bytes{0x9E, 0x9D, 0x9C}));
    EXPECT_FALSE(files.WriteBleFile(Path("nowhere/out.ble").c_str(), text, 1));

    // Every byte value survives a round trip.
    Bytes original(256 * 3);
    for (size_t i = 0; i < original.size(); ++i)
        original[i] = static_cast<uint8_t>(i * 7);
    Bytes scratch = original;
    ASSERT_TRUE(files.WriteBleFile(Path("all.ble").c_str(), reinterpret_cast<char*>(scratch.data()), 768));
    original.push_back('.');
    EXPECT_EQ(Read("all.ble", true), original);
}

TEST_F(FileSystemTest, PlainFilesLoadWithAFinalFullStopAndWritesTruncate)
{
    const uint8_t data[] = {0x00, 0xFF, 0x41};
    ASSERT_TRUE(files.WriteFile(Path("data.bin").c_str(), data, 3));
    EXPECT_EQ(Read("data.bin", false), (Bytes{0x00, 0xFF, 0x41, 0x2E}));
    ASSERT_TRUE(files.WriteFile(Path("data.bin").c_str(), data, 1));
    EXPECT_EQ(ReadBytes(Path("data.bin")), Bytes{0x00});
    ASSERT_TRUE(files.WriteFile(Path("zero.bin").c_str(), data, 0));
    EXPECT_EQ(std::filesystem::file_size(Path("zero.bin")), 0u);
    EXPECT_FALSE(files.WriteFile(Path("missing/raw.bin").c_str(), data, 3));
    EXPECT_FALSE(files.WriteFile(nullptr, data, 3));
}

TEST_F(FileSystemTest, EmptyMissingDirectoryAndShortReadsHandOutNoBuffer)
{
    WriteBytes(Path("empty.bin"), {});
    std::filesystem::create_directory(Path("folder"));
    for (const char* name : {"empty.bin", "missing.bin", "folder"})
    {
        SCOPED_TRACE(name);
        EXPECT_EQ(files.GetFileSize(Path(name).c_str()), 0u);
        EXPECT_EQ(Read(name, false), std::nullopt);
        EXPECT_EQ(Read(name, true), std::nullopt);
    }
    EXPECT_EQ(files.LoadFile(nullptr), nullptr);

    // A size query that claims more bytes than the file holds, as when a file shrinks in between.
    struct Overstating : FileSystem
    {
        uint32_t GetFileSize(const char* fileName) override { return FileSystem::GetFileSize(fileName) + 16; }
    } overstating;
    WriteBytes(Path("short.bin"), {1, 2, 3, 4});
    EXPECT_EQ(overstating.LoadFile(Path("short.bin").c_str()), nullptr);
    EXPECT_EQ(overstating.ReadBleFile(Path("short.bin").c_str()), nullptr);
}

// A device that takes every write into the stream's buffer and refuses it when the buffer reaches it at close:
// both writers must report that failure rather than success.
TEST_F(FileSystemTest, AWriteRefusedWhenTheFileIsClosedIsAFailedWrite)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full on this system";
    char text[] = {'a', 'b', 'c'};
    EXPECT_FALSE(files.WriteBleFile("/dev/full", text, 3));
    EXPECT_FALSE(files.WriteFile("/dev/full", text, 3));
}

TEST_F(FileSystemTest, BleNamesReplaceTheLastFourCharactersAndNeverUnderrun)
{
    const std::pair<const char*, const char*> rows[] = {
        {"data/script/gameparameters.pis", "data/script/gameparameters.ble"},
        {"model.tm", "mode.ble"},
        {"abcd", ".ble"},
        {"abc", "abc.ble"},
        {"", ".ble"},
    };
    for (const auto& [name, expected] : rows)
        EXPECT_EQ(BleFileName(name), expected) << name;
    EXPECT_EQ(BleFileName(nullptr), "");
}

TEST_F(FileSystemTest, NamesResolveInAnyCaseWithBackslashes)
{
    std::filesystem::create_directories(Path("Data/Script"));
    WriteBytes(Path("Data/Script/Objects.ble"), {0x9E});
    testsupport::ScopedCurrentDir cwd(m_dir.Path());
    EXPECT_EQ(files.GetFileSize("DATA\\Script\\objects.ble"), 1u);
    // Writing under another case reuses the existing file rather than making a second one.
    char text[] = {'b'};
    ASSERT_TRUE(files.WriteBleFile("data\\SCRIPT\\objects.BLE", text, 1));
    EXPECT_EQ(ReadBytes(Path("Data/Script/Objects.ble")), Bytes{0x9D});

    EXPECT_TRUE(files.DeleteFile("data/script/OBJECTS.BLE"));
    EXPECT_FALSE(std::filesystem::exists(Path("Data/Script/Objects.ble")));
    EXPECT_FALSE(files.DeleteFile("data/script/objects.ble"));
    EXPECT_FALSE(files.DeleteFile(nullptr));
}

TEST_F(FileSystemTest, CreateDirectoryOnlyWhenNew)
{
    EXPECT_TRUE(files.CreateDirectory(Path("Saves").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(Path("Saves")));
    EXPECT_FALSE(files.CreateDirectory(Path("Saves").c_str()));
    EXPECT_FALSE(files.CreateDirectory(Path("SAVES").c_str()));
    EXPECT_FALSE(files.CreateDirectory(Path("missing/inner").c_str()));
}

// Each text keeps its own buffer, overwritten by the next call of the same operation. In UTC, the texts follow
// from the file's time alone.
TEST_F(FileSystemTest, DateAndTimeTextsOfTheLastWrite)
{
    const char* oldTz = std::getenv("TZ");
    struct Restore
    {
        std::optional<std::string> tz;
        ~Restore()
        {
            tz ? ::setenv("TZ", tz->c_str(), 1) : ::unsetenv("TZ");
            ::tzset();
        }
    } restore{oldTz ? std::optional<std::string>(oldTz) : std::nullopt};
    ::setenv("TZ", "UTC", 1);
    ::tzset();

    for (const auto& [name, when] : {std::pair("a.dat", 1796578585), std::pair("b.dat", 1796634062)})
    {
        WriteBytes(Path(name), {1}); // 2026-12-06 17:36:25 and 2026-12-07 09:01:02 UTC
        struct utimbuf times = {when, when};
        ASSERT_EQ(::utime(Path(name).c_str(), &times), 0);
    }
    const char* date = files.GetFileDateText(Path("A.DAT").c_str());
    const char* time = files.GetFileTimeText(Path("a.dat").c_str());
    ASSERT_TRUE(date && time);
    EXPECT_STREQ(date, "Sunday, December 06, 2026");
    EXPECT_STREQ(time, "5:36:25 PM");
    EXPECT_EQ(files.GetFileTimeText(Path("b.dat").c_str()), time);
    EXPECT_STREQ(time, "9:01:02 AM");
    EXPECT_STREQ(date, "Sunday, December 06, 2026");
    EXPECT_EQ(files.GetFileDateText(Path("missing.dat").c_str()), nullptr);
    EXPECT_EQ(files.GetFileTimeText(nullptr), nullptr);
}

} // namespace
