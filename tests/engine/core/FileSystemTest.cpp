// Tests of the file services: plain and scrambled reads and writes, .ble names, dates, delete and mkdir.
#include "engine/core/FileSystem.h"

#include "engine/core/EngineCore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <utime.h>
#include <vector>

namespace
{

using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

// Frees a buffer handed out by the readers.
struct BufferDeleter
{
    void operator()(char* p) const { delete[] p; }
};
using Buffer = std::unique_ptr<char, BufferDeleter>;

std::vector<uint8_t> Bytes(const char* data, size_t size)
{
    const uint8_t* p = reinterpret_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(p, p + size);
}

// A service whose size query claims more bytes than the file holds, as when a file shrinks between the size
// query and the read.
class OverstatingFileSystem : public FileSystem
{
public:
    uint32_t GetFileSize(const char* fileName) override
    {
        uint32_t real = FileSystem::GetFileSize(fileName);
        return real ? real + 16 : 0;
    }
};

TEST(FileSystemScrambled, ReadComplementsEveryByteAndAddsFullStop)
{
    TempDir dir;
    WriteBytes(dir.File("abc.ble"), {0x9E, 0x9D, 0x9C});
    FileSystem files;
    EXPECT_EQ(files.GetFileSize(dir.File("abc.ble").c_str()), 3u);
    Buffer buffer(files.ReadBleFile(dir.File("abc.ble").c_str()));
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(Bytes(buffer.get(), 4), (std::vector<uint8_t>{0x61, 0x62, 0x63, 0x2E}));
}

TEST(FileSystemScrambled, WriteProducesComplementedFileAndLeavesCallerBufferComplemented)
{
    TempDir dir;
    FileSystem files;
    char text[] = {'a', 'b', 'c'};
    ASSERT_TRUE(files.WriteBleFile(dir.File("out.ble").c_str(), text, 3));
    EXPECT_EQ(ReadBytes(dir.File("out.ble")), (std::vector<uint8_t>{0x9E, 0x9D, 0x9C}));
    EXPECT_EQ(Bytes(text, 3), (std::vector<uint8_t>{0x9E, 0x9D, 0x9C}));
}

TEST(FileSystemScrambled, RoundTripGivesBackEveryByteValue)
{
    TempDir dir;
    FileSystem files;
    std::vector<char> original(256 * 3);
    for (size_t i = 0; i < original.size(); ++i)
        original[i] = static_cast<char>(i * 7);
    std::vector<char> scratch = original;
    ASSERT_TRUE(files.WriteBleFile(dir.File("all.ble").c_str(), scratch.data(), static_cast<uint32_t>(scratch.size())));

    uint32_t size = files.GetFileSize(dir.File("all.ble").c_str());
    ASSERT_EQ(size, original.size());
    Buffer buffer(files.ReadBleFile(dir.File("all.ble").c_str()));
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(std::vector<char>(buffer.get(), buffer.get() + size), original);
    EXPECT_EQ(buffer.get()[size], '.');

    uint32_t sizedCount = 0;
    Buffer sized(files.ReadBleFileSized(dir.File("all.ble").c_str(), &sizedCount));
    ASSERT_NE(sized, nullptr);
    EXPECT_EQ(sizedCount, original.size());
    EXPECT_EQ(std::vector<char>(sized.get(), sized.get() + sizedCount), original);
}

TEST(FileSystemScrambled, EmptyAndMissingFilesReadAsNull)
{
    TempDir dir;
    WriteBytes(dir.File("empty.ble"), {});
    FileSystem files;
    EXPECT_EQ(files.ReadBleFile(dir.File("empty.ble").c_str()), nullptr);
    EXPECT_EQ(files.ReadBleFile(dir.File("missing.ble").c_str()), nullptr);
    uint32_t size = 99;
    EXPECT_EQ(files.ReadBleFileSized(dir.File("missing.ble").c_str(), &size), nullptr);
    EXPECT_EQ(size, 0u);
}

TEST(FileSystemScrambled, WriteIntoMissingDirectoryFails)
{
    TempDir dir;
    FileSystem files;
    char text[] = {'x'};
    EXPECT_FALSE(files.WriteBleFile(dir.File("nowhere/out.ble").c_str(), text, 1));
}

TEST(FileSystemPlain, LoadFileEndsInFullStopNotZero)
{
    TempDir dir;
    WriteBytes(dir.File("data.bin"), {0x00, 0xFF, 0x41});
    FileSystem files;
    Buffer buffer(files.LoadFile(dir.File("data.bin").c_str()));
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(Bytes(buffer.get(), 4), (std::vector<uint8_t>{0x00, 0xFF, 0x41, 0x2E}));

    uint32_t size = 0;
    Buffer sized(files.LoadFileSized(dir.File("data.bin").c_str(), &size));
    ASSERT_NE(sized, nullptr);
    EXPECT_EQ(size, 3u);
}

TEST(FileSystemPlain, EmptyMissingAndDirectoryGiveZeroSizeAndNull)
{
    TempDir dir;
    WriteBytes(dir.File("empty.bin"), {});
    std::filesystem::create_directory(dir.File("folder"));
    FileSystem files;
    for (const char* name : {"empty.bin", "missing.bin", "folder"})
    {
        SCOPED_TRACE(name);
        EXPECT_EQ(files.GetFileSize(dir.File(name).c_str()), 0u);
        EXPECT_EQ(files.LoadFile(dir.File(name).c_str()), nullptr);
    }
    EXPECT_EQ(files.GetFileSize(nullptr), 0u);
    EXPECT_EQ(files.LoadFile(nullptr), nullptr);
}

TEST(FileSystemPlain, ShortReadHandsOutNoBuffer)
{
    TempDir dir;
    WriteBytes(dir.File("short.bin"), {1, 2, 3, 4});
    OverstatingFileSystem files;
    EXPECT_EQ(files.LoadFile(dir.File("short.bin").c_str()), nullptr);
    EXPECT_EQ(files.ReadBleFile(dir.File("short.bin").c_str()), nullptr);
}

TEST(FileSystemPlain, WriteFileWritesBytesAsTheyAre)
{
    TempDir dir;
    FileSystem files;
    const uint8_t data[] = {0x10, 0x00, 0xEE};
    ASSERT_TRUE(files.WriteFile(dir.File("raw.bin").c_str(), data, 3));
    EXPECT_EQ(ReadBytes(dir.File("raw.bin")), (std::vector<uint8_t>{0x10, 0x00, 0xEE}));

    // A second write truncates what was there.
    ASSERT_TRUE(files.WriteFile(dir.File("raw.bin").c_str(), data, 1));
    EXPECT_EQ(ReadBytes(dir.File("raw.bin")), (std::vector<uint8_t>{0x10}));

    ASSERT_TRUE(files.WriteFile(dir.File("zero.bin").c_str(), data, 0));
    EXPECT_TRUE(std::filesystem::exists(dir.File("zero.bin")));
    EXPECT_EQ(std::filesystem::file_size(dir.File("zero.bin")), 0u);

    EXPECT_FALSE(files.WriteFile(dir.File("missing/raw.bin").c_str(), data, 3));
    EXPECT_FALSE(files.WriteFile(nullptr, data, 3));
}

TEST(FileSystemNames, OtherLetterCaseAndBackslashesResolve)
{
    TempDir dir;
    std::filesystem::create_directories(dir.File("Data/Script"));
    WriteBytes(dir.File("Data/Script/Objects.ble"), {0x9E});
    testsupport::ScopedCurrentDir cwd(dir.Path());
    FileSystem files;
    EXPECT_EQ(files.GetFileSize("data\\script\\OBJECTS.BLE"), 1u);
    Buffer buffer(files.ReadBleFile("DATA\\Script\\objects.ble"));
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer.get()[0], 'a');

    // Writing under another case reuses the existing file rather than making a second one.
    char text[] = {'b'};
    ASSERT_TRUE(files.WriteBleFile("data\\SCRIPT\\objects.BLE", text, 1));
    EXPECT_EQ(ReadBytes(dir.File("Data/Script/Objects.ble")), (std::vector<uint8_t>{0x9D}));
}

TEST(FileSystemNames, BleNameReplacesLastFourCharacters)
{
    EXPECT_EQ(BleFileName("data/script/gameparameters.pis"), "data/script/gameparameters.ble");
    EXPECT_EQ(BleFileName("Data\\Text.TXT"), "Data\\Text.ble");
    // A two-letter extension loses one character of the stem.
    EXPECT_EQ(BleFileName("model.tm"), "mode.ble");
    EXPECT_EQ(BleFileName("abcd"), ".ble");
}

TEST(FileSystemNames, ShortNamesGetBleAppended)
{
    EXPECT_EQ(BleFileName("abc"), "abc.ble");
    EXPECT_EQ(BleFileName("a"), "a.ble");
    EXPECT_EQ(BleFileName(""), ".ble");
    EXPECT_EQ(BleFileName(nullptr), "");

    TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.Path());
    FileSystem files;
    char text[] = {'h', 'i'};
    std::string name = BleFileName("ab");
    ASSERT_TRUE(files.WriteBleFile(name.c_str(), text, 2));
    Buffer buffer(files.ReadBleFile("AB.BLE"));
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(std::string(buffer.get(), 3), "hi.");
}

TEST(FileSystemFiles, DeleteFile)
{
    TempDir dir;
    WriteBytes(dir.File("Gone.dat"), {1});
    FileSystem files;
    EXPECT_TRUE(files.DeleteFile(dir.File("gone.DAT").c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir.File("Gone.dat")));
    EXPECT_FALSE(files.DeleteFile(dir.File("gone.dat").c_str()));
    EXPECT_FALSE(files.DeleteFile(nullptr));
}

TEST(FileSystemFiles, CreateDirectoryOnlyWhenNew)
{
    TempDir dir;
    FileSystem files;
    EXPECT_TRUE(files.CreateDirectory(dir.File("Saves").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("Saves")));
    EXPECT_FALSE(files.CreateDirectory(dir.File("Saves").c_str()));
    EXPECT_FALSE(files.CreateDirectory(dir.File("SAVES").c_str()));
    EXPECT_FALSE(files.CreateDirectory(dir.File("missing/inner").c_str()));
    EXPECT_FALSE(files.CreateDirectory(nullptr));
}

// Runs the date and time texts in UTC so the expected texts follow from the file's time alone.
class FileSystemDates : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const char* tz = std::getenv("TZ"))
        {
            m_hadTz = true;
            m_oldTz = tz;
        }
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }

    void TearDown() override
    {
        if (m_hadTz)
            ::setenv("TZ", m_oldTz.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

    // Sets the file's last-write time to the given UTC calendar time.
    static void SetWriteTime(const std::string& path, std::chrono::year_month_day day, std::chrono::hours h,
                             std::chrono::minutes m, std::chrono::seconds s)
    {
        auto when = std::chrono::sys_days(day) + h + m + s;
        std::time_t seconds = static_cast<std::time_t>(when.time_since_epoch().count());
        struct utimbuf times = {seconds, seconds};
        ASSERT_EQ(::utime(path.c_str(), &times), 0);
    }

private:
    bool m_hadTz = false;
    std::string m_oldTz;
};

TEST_F(FileSystemDates, AfternoonTimeAndLongDate)
{
    using namespace std::chrono;
    TempDir dir;
    WriteBytes(dir.File("save.dat"), {1});
    SetWriteTime(dir.File("save.dat"), year(2026) / December / 6, hours(17), minutes(36), seconds(25));
    FileSystem files;
    const char* date = files.GetFileDateText(dir.File("SAVE.DAT").c_str());
    const char* time = files.GetFileTimeText(dir.File("save.dat").c_str());
    ASSERT_NE(date, nullptr);
    ASSERT_NE(time, nullptr);
    // The two texts live in separate buffers: reading the time leaves the date as it was.
    EXPECT_STREQ(date, "Sunday, December 06, 2026");
    EXPECT_STREQ(time, "5:36:25 PM");
}

TEST_F(FileSystemDates, MidnightHourIsTwelveAm)
{
    using namespace std::chrono;
    TempDir dir;
    WriteBytes(dir.File("early.dat"), {1});
    SetWriteTime(dir.File("early.dat"), year(2024) / February / 29, hours(0), minutes(5), seconds(9));
    FileSystem files;
    const char* time = files.GetFileTimeText(dir.File("early.dat").c_str());
    ASSERT_NE(time, nullptr);
    EXPECT_STREQ(time, "12:05:09 AM");
    const char* date = files.GetFileDateText(dir.File("early.dat").c_str());
    ASSERT_NE(date, nullptr);
    EXPECT_STREQ(date, "Thursday, February 29, 2024");
}

TEST_F(FileSystemDates, NextCallOverwritesTheSameBuffer)
{
    using namespace std::chrono;
    TempDir dir;
    WriteBytes(dir.File("a.dat"), {1});
    WriteBytes(dir.File("b.dat"), {1});
    SetWriteTime(dir.File("a.dat"), year(2026) / December / 6, hours(12), minutes(0), seconds(0));
    SetWriteTime(dir.File("b.dat"), year(2026) / December / 7, hours(9), minutes(1), seconds(2));
    FileSystem files;
    const char* first = files.GetFileTimeText(dir.File("a.dat").c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "12:00:00 PM");
    const char* second = files.GetFileTimeText(dir.File("b.dat").c_str());
    EXPECT_EQ(second, first);
    EXPECT_STREQ(first, "9:01:02 AM");
}

TEST_F(FileSystemDates, MissingFileGivesNull)
{
    TempDir dir;
    FileSystem files;
    EXPECT_EQ(files.GetFileDateText(dir.File("missing.dat").c_str()), nullptr);
    EXPECT_EQ(files.GetFileTimeText(dir.File("missing.dat").c_str()), nullptr);
    EXPECT_EQ(files.GetFileDateText(nullptr), nullptr);
}

TEST(FileSystemRoot, StandAloneUntilTheRootHasFileServices)
{
    EngineCore* saved = g_pEngineCore;
    g_pEngineCore = nullptr;
    FileSystem* standalone = GetFileSystem();
    ASSERT_NE(standalone, nullptr);
    EXPECT_EQ(GetFileSystem(), standalone);

    EngineCore core;
    g_pEngineCore = &core;
    EXPECT_EQ(GetFileSystem(), standalone);
    FileSystem own;
    core.m_pFileSystem = &own;
    EXPECT_EQ(GetFileSystem(), &own);
    core.m_pFileSystem = nullptr;
    g_pEngineCore = saved;
}

} // namespace
