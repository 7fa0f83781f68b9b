// Tests for file and directory operations through the resolver, file times, date texts and atomic writes.
#include "platform/FileOps.h"

#include "platform/Paths.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <utime.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

class FileOpsTest : public ::testing::Test
{
protected:
    void SetUp() override { platform::InvalidatePathCache(); }

    std::string In(const std::string& rest) const { return m_dir.File(rest); }

    std::vector<std::string> Entries(const std::string& dir) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        return names;
    }

    testsupport::TempDir m_dir;
};

// Sets TZ for the test and restores it afterwards.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
        {
            m_hadOld = true;
            m_old = old;
        }
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_hadOld)
            ::setenv("TZ", m_old.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    bool m_hadOld = false;
    std::string m_old;
};

std::time_t UtcTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return ::timegm(&t);
}

} // namespace

TEST_F(FileOpsTest, FileExistsMatchesAnyCase)
{
    testsupport::WriteText(In("Park.DAT"), "x");
    EXPECT_TRUE(platform::FileExists(In("park.dat")));
    EXPECT_TRUE(platform::FileExists(m_dir.Path() + "\\PARK.dat"));
    EXPECT_FALSE(platform::FileExists(In("park.da")));
    EXPECT_FALSE(platform::FileExists(In("nodir/park.dat")));
}

TEST_F(FileOpsTest, WriteTimeIsTheFilesModificationTime)
{
    testsupport::WriteText(In("Save0.dat"), "x");
    struct utimbuf times = {1000000000, 1234567890};
    ASSERT_EQ(::utime(In("Save0.dat").c_str(), &times), 0);

    std::time_t when = 0;
    ASSERT_TRUE(platform::GetFileWriteTime(In("SAVE0.DAT"), &when));
    EXPECT_EQ(when, static_cast<std::time_t>(1234567890));

    std::time_t untouched = 77;
    EXPECT_FALSE(platform::GetFileWriteTime(In("save1.dat"), &untouched));
    EXPECT_EQ(untouched, 77);
}

TEST_F(FileOpsTest, LongDateAndTimeOfDayTexts)
{
    ScopedTimeZone utc("UTC");
    std::time_t when = UtcTime(2026, 12, 6, 17, 36, 25);
    EXPECT_EQ(platform::FormatLongDate(when), "Sunday, December 06, 2026");
    EXPECT_EQ(platform::FormatTimeOfDay(when), "5:36:25 PM");

    EXPECT_EQ(platform::FormatLongDate(UtcTime(2000, 2, 29, 0, 0, 0)), "Tuesday, February 29, 2000");
    EXPECT_EQ(platform::FormatTimeOfDay(UtcTime(2000, 2, 29, 0, 0, 0)), "12:00:00 AM");
    EXPECT_EQ(platform::FormatTimeOfDay(UtcTime(2000, 2, 29, 12, 5, 9)), "12:05:09 PM");
    EXPECT_EQ(platform::FormatTimeOfDay(UtcTime(2000, 2, 29, 9, 59, 59)), "9:59:59 AM");
    EXPECT_EQ(platform::FormatTimeOfDay(UtcTime(2000, 2, 29, 23, 0, 0)), "11:00:00 PM");
}

TEST_F(FileOpsTest, DatesFollowTheLocalTimeZone)
{
    ScopedTimeZone east("EST5");
    // 03:00 UTC on the first of January is still the last evening of the old year five hours west.
    std::time_t when = UtcTime(2021, 1, 1, 3, 0, 0);
    EXPECT_EQ(platform::FormatLongDate(when), "Thursday, December 31, 2020");
    EXPECT_EQ(platform::FormatTimeOfDay(when), "10:00:00 PM");
}

TEST_F(FileOpsTest, MakeDirectoryCreatesOnlyWhatIsMissing)
{
    EXPECT_TRUE(platform::MakeDirectory(In("savegames")));
    EXPECT_TRUE(fs::is_directory(In("savegames")));
    EXPECT_FALSE(platform::MakeDirectory(In("savegames")));
    EXPECT_FALSE(platform::MakeDirectory(In("SaveGames")));
    EXPECT_EQ(Entries(m_dir.Path()).size(), 1u);

    EXPECT_TRUE(platform::MakeDirectory(In("SAVEGAMES\\Slot1")));
    EXPECT_TRUE(fs::is_directory(In("savegames/Slot1")));

    EXPECT_FALSE(platform::MakeDirectory(In("missing/child")));
    EXPECT_FALSE(fs::exists(In("missing")));
}

TEST_F(FileOpsTest, RemoveDirectoryAndFileThroughAnyCase)
{
    fs::create_directory(In("Old"));
    testsupport::WriteText(In("Old/Note.txt"), "n");

    EXPECT_FALSE(platform::RemoveDirectory(In("old"))); // not empty yet
    EXPECT_FALSE(platform::RemoveFile(In("old")));      // a directory is not a file
    EXPECT_TRUE(platform::RemoveFile(In("OLD\\note.TXT")));
    EXPECT_FALSE(fs::exists(In("Old/Note.txt")));
    EXPECT_FALSE(platform::RemoveFile(In("old/note.txt")));

    EXPECT_TRUE(platform::RemoveDirectory(In("old")));
    EXPECT_FALSE(fs::exists(In("Old")));
    EXPECT_FALSE(platform::RemoveDirectory(In("old")));
}

TEST_F(FileOpsTest, CopyFileCopiesEveryByte)
{
    // Larger than one read chunk, with zero bytes and every byte value.
    std::vector<uint8_t> bytes(200000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
    testsupport::WriteBytes(In("Source.BIN"), bytes);

    EXPECT_TRUE(platform::CopyFile(In("source.bin"), In("Copy.bin")));
    EXPECT_EQ(testsupport::ReadBytes(In("Copy.bin")), bytes);
    EXPECT_EQ(testsupport::ReadBytes(In("Source.BIN")), bytes);

    testsupport::WriteText(In("Small.txt"), "small");
    EXPECT_TRUE(platform::CopyFile(In("small.txt"), In("COPY.BIN")));
    EXPECT_EQ(testsupport::ReadText(In("Copy.bin")), "small");
}

TEST_F(FileOpsTest, CopyFileFailsCleanly)
{
    EXPECT_FALSE(platform::CopyFile(In("missing.bin"), In("copy.bin")));
    EXPECT_FALSE(fs::exists(In("copy.bin")));

    testsupport::WriteText(In("a.txt"), "a");
    EXPECT_FALSE(platform::CopyFile(In("a.txt"), In("nodir/a.txt")));
    EXPECT_EQ(Entries(m_dir.Path()), std::vector<std::string>{"a.txt"});
}

TEST_F(FileOpsTest, WriteFileAtomicallyReplacesTheOldFileAndLeavesNoTemporary)
{
    testsupport::WriteText(In("Options.INI"), "an old and much longer text than the new one");
    const char text[] = "new";
    ASSERT_TRUE(platform::WriteFileAtomically(In("options.ini"), text, 3));

    EXPECT_EQ(Entries(m_dir.Path()), std::vector<std::string>{"Options.INI"});
    EXPECT_EQ(testsupport::ReadText(In("Options.INI")), "new");

    ASSERT_TRUE(platform::WriteFileAtomically(In("OPTIONS.ini"), text, 0));
    EXPECT_EQ(Entries(m_dir.Path()), std::vector<std::string>{"Options.INI"});
    EXPECT_EQ(testsupport::ReadBytes(In("Options.INI")).size(), 0u);
}

TEST_F(FileOpsTest, WriteFileAtomicallyCreatesANewFileUnderTheGivenName)
{
    std::vector<uint8_t> bytes = {0, 1, 2, 0xFF, '\r', '\n', 0};
    ASSERT_TRUE(platform::WriteFileAtomically(In("New.Dat"), bytes.data(), bytes.size()));
    EXPECT_EQ(Entries(m_dir.Path()), std::vector<std::string>{"New.Dat"});
    EXPECT_EQ(testsupport::ReadBytes(In("New.Dat")), bytes);
}

TEST_F(FileOpsTest, WriteFileAtomicallyIntoAMissingDirectoryFailsWithoutLeftovers)
{
    const char text[] = "x";
    EXPECT_FALSE(platform::WriteFileAtomically(In("nodir/file.txt"), text, 1));
    EXPECT_TRUE(Entries(m_dir.Path()).empty());

    // A directory in the way cannot be replaced by a file; it stays and nothing else is left behind.
    fs::create_directory(In("Busy"));
    EXPECT_FALSE(platform::WriteFileAtomically(In("busy"), text, 1));
    EXPECT_EQ(Entries(m_dir.Path()), std::vector<std::string>{"Busy"});
    EXPECT_TRUE(fs::is_directory(In("Busy")));
}

TEST_F(FileOpsTest, CurrentDirectoryIsTheProcessWorkingDirectory)
{
    testsupport::ScopedCurrentDir cwd(m_dir.Path());
    EXPECT_TRUE(fs::equivalent(platform::CurrentDirectory(), m_dir.Path()));
}
