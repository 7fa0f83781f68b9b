// Tests for file and directory operations through the resolver, file times, date texts and atomic writes.
#include "platform/FileOps.h"

#include "platform/Paths.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <utime.h>
#include <vector>

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace
{

class FileOpsTest : public ::testing::Test
{
protected:
    void SetUp() override { platform::InvalidatePathCache(); }

    std::string In(const std::string& rest) const { return m_dir.File(rest); }

    Names Entries() const
    {
        Names names;
        for (const auto& entry : fs::directory_iterator(m_dir.Path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    testsupport::TempDir m_dir;
};

std::time_t Utc(const char* text)
{
    std::tm t{};
    ::strptime(text, "%Y-%m-%d %H:%M:%S", &t);
    return ::timegm(&t);
}

bool WritesTwoKilobytes(const std::string& path)
{
    std::vector<char> bytes(2048, 'n');
    return platform::WriteFileAtomically(path, bytes.data(), bytes.size());
}

TEST_F(FileOpsTest, AWriteThatFailsOrIsGivenUpLeavesTheOldFileWhole)
{
    const std::string old = "the last good options";
    testsupport::WriteText(In("Options.ini"), old);

    // The disk fills part-way through: reported, and the old file is intact.
    EXPECT_FALSE(testsupport::RunWithFileSizeLimit(512, WritesTwoKilobytes, In("options.ini")));
    EXPECT_EQ(testsupport::ReadText(In("Options.ini")), old);

    // A writer that finds its own data bad, or stops before committing, replaces nothing.
    {
        platform::ReplacingFile file;
        ASSERT_TRUE(file.Open(In("OPTIONS.INI")));
        std::fputs("half", file.Get());
        EXPECT_FALSE(file.Commit(false));
    }
    {
        platform::ReplacingFile file;
        ASSERT_TRUE(file.Open(In("Options.ini")));
        std::fputs("half", file.Get());
    }
    EXPECT_EQ(testsupport::ReadText(In("Options.ini")), old);
    EXPECT_EQ(Entries(), Names{"Options.ini"});

    // A device is written in place and never replaced by a rename.
    if (fs::exists("/dev/full"))
    {
        EXPECT_FALSE(platform::WriteFileAtomically("/dev/full", "x", 1));
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
    if (fs::exists("/dev/null"))
    {
        EXPECT_TRUE(platform::WriteFileAtomically("/dev/null", "x", 1));
        EXPECT_TRUE(fs::is_character_file("/dev/null"));
    }
}

} // namespace

TEST_F(FileOpsTest, ExistenceAndWriteTimeThroughAnyCase)
{
    testsupport::WriteText(In("Save0.DAT"), "x");
    struct utimbuf times = {1000000000, 1234567890};
    ASSERT_EQ(::utime(In("Save0.DAT").c_str(), &times), 0);
    EXPECT_TRUE(platform::FileExists(m_dir.Path() + "\\SAVE0.dat"));
    EXPECT_FALSE(platform::FileExists(In("save0.da")));

    std::time_t when = 0;
    ASSERT_TRUE(platform::GetFileWriteTime(In("save0.dat"), &when));
    EXPECT_EQ(when, static_cast<std::time_t>(1234567890));
    EXPECT_FALSE(platform::GetFileWriteTime(In("save1.dat"), &when));
}

TEST_F(FileOpsTest, LongDateAndTimeOfDayTextsFollowTheLocalTimeZone)
{
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    // EST5: 03:00 UTC on New Year's Day is still the old year's last evening five hours west.
    const char* const rows[][4] = {
        {"UTC", "2026-12-06 17:36:25", "Sunday, December 06, 2026", "5:36:25 PM"},
        {"UTC", "2000-02-29 00:05:09", "Tuesday, February 29, 2000", "12:05:09 AM"},
        {"EST5", "2021-01-01 17:00:00", "Friday, January 01, 2021", "12:00:00 PM"},
        {"EST5", "2021-01-01 03:00:00", "Thursday, December 31, 2020", "10:00:00 PM"},
    };
    for (const auto& row : rows)
    {
        ::setenv("TZ", row[0], 1);
        ::tzset();
        EXPECT_EQ(platform::FormatLongDate(Utc(row[1])), row[2]);
        EXPECT_EQ(platform::FormatTimeOfDay(Utc(row[1])), row[3]);
    }
    old ? ::setenv("TZ", saved.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
}

TEST_F(FileOpsTest, DirectoriesAndFilesAreMadeAndRemovedThroughAnyCase)
{
    EXPECT_TRUE(platform::MakeDirectory(In("SaveGames")));
    EXPECT_FALSE(platform::MakeDirectory(In("SAVEGAMES"))); // exists already, in another case
    EXPECT_TRUE(platform::MakeDirectory(In("savegames\\Slot1")));
    EXPECT_FALSE(platform::MakeDirectory(In("missing/child")));
    EXPECT_EQ(Entries(), Names{"SaveGames"});

    testsupport::WriteText(In("SaveGames/Slot1/Note.txt"), "n");
    EXPECT_FALSE(platform::RemoveDirectory(In("savegames/slot1"))); // not empty yet
    EXPECT_FALSE(platform::RemoveFile(In("savegames/slot1")));      // a directory is not a file
    EXPECT_TRUE(platform::RemoveFile(In("SAVEGAMES\\SLOT1\\note.TXT")));
    EXPECT_TRUE(platform::RemoveDirectory(In("savegames/slot1")));
    EXPECT_FALSE(fs::exists(In("SaveGames/Slot1")));
}

TEST_F(FileOpsTest, CopyFileCopiesEveryByteOrFailsCleanly)
{
    // Larger than one read chunk, with every byte value; the copy replaces a target of another case.
    std::vector<uint8_t> bytes(200000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
    testsupport::WriteBytes(In("Source.BIN"), bytes);
    testsupport::WriteText(In("Copy.bin"), "old");
    EXPECT_TRUE(platform::CopyFile(In("source.bin"), In("COPY.BIN")));
    EXPECT_EQ(testsupport::ReadBytes(In("Copy.bin")), bytes);

    EXPECT_FALSE(platform::CopyFile(In("missing.bin"), In("other.bin")));
    EXPECT_FALSE(platform::CopyFile(In("source.bin"), In("nodir/a.bin")));
    EXPECT_EQ(Entries().size(), 2u);
}

TEST_F(FileOpsTest, WriteFileAtomicallyReplacesTheFileAndLeavesNoTemporary)
{
    testsupport::WriteText(In("Options.INI"), "an old and much longer text than the new one");
    ASSERT_TRUE(platform::WriteFileAtomically(In("options.ini"), "new", 3));
    EXPECT_EQ(Entries(), Names{"Options.INI"});
    EXPECT_EQ(testsupport::ReadText(In("Options.INI")), "new");
    ASSERT_TRUE(platform::WriteFileAtomically(In("OPTIONS.ini"), "", 0));
    EXPECT_EQ(testsupport::ReadText(In("Options.INI")), "");

    // Failures leave nothing behind: a missing directory, a directory in the way.
    EXPECT_FALSE(platform::WriteFileAtomically(In("nodir/file.txt"), "x", 1));
    fs::create_directory(In("Busy"));
    EXPECT_FALSE(platform::WriteFileAtomically(In("busy"), "x", 1));
    EXPECT_TRUE(fs::is_directory(In("Busy")));
    EXPECT_EQ(Entries().size(), 2u);
}

// Files the program makes, whole or through an open file, may be read and written by everyone the user's umask lets:
// a save or options file that its own user cannot read back is lost to the next start.
TEST_F(FileOpsTest, NewFilesTakeReadAndWriteForEveryoneTheUmaskAllows)
{
    const mode_t mask = ::umask(027);
    const auto modeOf = [](const std::string& path)
    {
        struct stat info
        {
        };
        return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0u;
    };
    const std::string whole = In("save0.dat");
    ASSERT_TRUE(platform::WriteFileAtomically(whole, "x", 1));
    FILE* opened = platform::OpenFile(In("TexLog.txt"), "wb");
    ASSERT_NE(opened, nullptr);
    std::fclose(opened);
    ::umask(mask);
    EXPECT_EQ(modeOf(whole), 0640u);
    EXPECT_EQ(modeOf(In("TexLog.txt")), 0640u);
}

// Opening a path as fopen's modes say, on a file that is there: read, truncate, append, or refuse to make it anew.
TEST_F(FileOpsTest, EachOpeningModeTreatsAFileThatIsThereAsFopenWould)
{
    const struct
    {
        const char* mode;
        bool opens;
        const char* written; // what a write of "new" leaves in the file holding "old" (null: no write)
    } cases[] = {
        {"rb", true, nullptr},   {"wb", true, "new"},  {"ab", true, "oldnew"},
        {"wbx", false, nullptr}, {"r+b", true, "new"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.mode);
        const std::string path = In("file.txt");
        testsupport::WriteText(path, "old");
        FILE* file = platform::OpenPath(path, c.mode);
        EXPECT_EQ(file != nullptr, c.opens);
        if (!file)
        {
            EXPECT_EQ(testsupport::ReadText(path), "old");
            continue;
        }
        if (c.written)
        {
            EXPECT_EQ(std::fwrite("new", 1, 3, file), 3u);
        }
        std::fclose(file);
        EXPECT_EQ(testsupport::ReadText(path), c.written ? c.written : "old");
    }
}
