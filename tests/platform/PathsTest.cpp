// Tests for the case-insensitive path resolver: normalising, resolving for reading and writing, stale caches.
#include "platform/Paths.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iterator>

namespace fs = std::filesystem;
using platform::NormalizePath;
using platform::OpenFile;
using platform::ResolveExisting;
using platform::ResolveForWrite;

namespace
{

// A tree with mixed-case names: Data/Sub/File.TXT holding "content".
class PathsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(In("Data/Sub"));
        testsupport::WriteText(In("Data/Sub/File.TXT"), "content");
        platform::InvalidatePathCache();
    }

    std::string In(const std::string& rest) const { return m_dir.File(rest); }
    long EntryCount(const std::string& dir) const
    {
        return std::distance(fs::directory_iterator(In(dir)), fs::directory_iterator());
    }

    testsupport::TempDir m_dir;
};

} // namespace

TEST(PathsNormalizeTest, FoldsSeparatorsAndDropsDotComponents)
{
    EXPECT_EQ(NormalizePath("data\\sub//\\file.txt"), "data/sub/file.txt");
    EXPECT_EQ(NormalizePath("./data/./sub/."), "data/sub");
    EXPECT_EQ(NormalizePath("\\\\abs\\"), "/abs");
    EXPECT_EQ(NormalizePath("/"), "/");
    EXPECT_EQ(NormalizePath("a/../b"), "a/../b"); // ".." is a real step and stays
    EXPECT_EQ(NormalizePath(".\\.\\"), ".");      // only dots still name the current directory
    EXPECT_EQ(NormalizePath(""), "");
}

TEST_F(PathsTest, ResolvesAnySpellingOfAnExistingName)
{
    for (const char* name :
         {"/dAtA/sUb/fIlE.tXt", "\\DATA\\sub\\file.txt", "//data///sub//FILE.txt", "/./data/./sub/./file.txt"})
        EXPECT_EQ(ResolveExisting(m_dir.Path() + name), In("Data/Sub/File.TXT")) << name;
    EXPECT_EQ(ResolveExisting(In("DATA/sub/../SUB/file.txt")), In("Data/Sub/../Sub/File.TXT"));
    EXPECT_EQ(ResolveExisting(In("data")), In("Data"));

    testsupport::ScopedCurrentDir cwd(m_dir.Path());
    EXPECT_EQ(ResolveExisting(".\\data\\sub\\FILE.TXT"), "Data/Sub/File.TXT");
    EXPECT_EQ(ResolveForWrite("DATA\\new.bin"), "Data/new.bin");
}

TEST_F(PathsTest, MissingNamesAndMissingDirectoriesResolveToNothing)
{
    EXPECT_EQ(ResolveExisting(In("data/sub/other.txt")), "");
    EXPECT_EQ(ResolveExisting(In("data/sub/file.txt/deeper")), "");
    EXPECT_EQ(ResolveExisting(""), "");
    EXPECT_EQ(ResolveForWrite(In("data/nodir/deeper/file.txt")), "");
    EXPECT_EQ(OpenFile(In("data/nodir/file.txt"), "wb"), nullptr);
    EXPECT_EQ(OpenFile(In("data/sub/missing.txt"), "r+b"), nullptr);
    EXPECT_EQ(OpenFile(In("data/sub/file.txt"), nullptr), nullptr);
    EXPECT_EQ(EntryCount("Data") + EntryCount("Data/Sub"), 2);
}

TEST_F(PathsTest, PrefersTheExactNameWhenTwoDifferOnlyInCase)
{
    testsupport::WriteText(In("Data/Sub/file.txt"), "lower");
    if (EntryCount("Data/Sub") != 2)
        GTEST_SKIP() << "the temporary folder's file system ignores case";
    EXPECT_EQ(ResolveExisting(In("data/sub/file.txt")), In("Data/Sub/file.txt"));
    EXPECT_EQ(ResolveExisting(In("data/sub/File.TXT")), In("Data/Sub/File.TXT"));
}

TEST_F(PathsTest, WritesReuseAnExistingFileOfAnotherCaseOrKeepTheGivenLeaf)
{
    EXPECT_EQ(ResolveForWrite(In("DATA/SUB/NewFile.Bin")), In("Data/Sub/NewFile.Bin"));
    for (const char* mode : {"wb", "a"})
    {
        FILE* file = OpenFile(In("DATA\\SUB\\file.txt"), mode);
        ASSERT_NE(file, nullptr);
        std::fputs(mode[0] == 'w' ? "re" : "written", file);
        std::fclose(file);
    }
    EXPECT_EQ(EntryCount("Data/Sub"), 1);
    EXPECT_EQ(testsupport::ReadText(In("Data/Sub/File.TXT")), "rewritten");
}

TEST_F(PathsTest, CachedListingsNeverHideChangesMadeAfterALookup)
{
    // The first lookups read and cache the listings of Data and Data/Sub.
    ASSERT_EQ(ResolveExisting(In("data/sub/other.txt")), "");
    ASSERT_EQ(ResolveForWrite(In("data/newdir/x.txt")), "");
    testsupport::WriteText(In("Data/Sub/Other.Txt"), "new");
    fs::create_directory(In("Data/NewDir"));
    EXPECT_EQ(ResolveExisting(In("data/sub/OTHER.TXT")), In("Data/Sub/Other.Txt"));
    EXPECT_EQ(ResolveForWrite(In("data/newdir/x.txt")), In("Data/NewDir/x.txt"));

    // Renamed to another case: found under its new name.
    fs::rename(In("Data/Sub/File.TXT"), In("Data/Sub/FILE.txt"));
    fs::rename(In("Data/Sub"), In("Data/SUB"));
    EXPECT_EQ(ResolveExisting(In("data/sub/file.txt")), In("Data/SUB/FILE.txt"));

    // Deleted: not found, and a write goes to the name as given, not to the forgotten spelling.
    fs::remove(In("Data/SUB/FILE.txt"));
    EXPECT_EQ(ResolveExisting(In("data/sub/file.txt")), "");
    EXPECT_EQ(ResolveForWrite(In("data/sub/file.txt")), In("Data/SUB/file.txt"));
}

namespace
{

// Puts the times of every entry below `root` (and of root) an hour back, as for a data set installed long ago.
void AgeTree(const std::string& root)
{
    const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& entry : fs::recursive_directory_iterator(root))
        fs::last_write_time(entry.path(), hourAgo);
    fs::last_write_time(root, hourAgo);
}

} // namespace

TEST_F(PathsTest, AStampStaysCurrentUntilTheEntryItWasTakenOfChanges)
{
    struct Case
    {
        const char* name;             // what is looked for
        std::function<void()> change; // what happens after the stamp is taken
        bool current;                 // the stamp is still current afterwards
    };
    const Case cases[] = {
        // A missing file in an existing folder depends on that folder: a file added there, or any other entry,
        // changes it; a change elsewhere does not.
        {"data/sub/missing.mp3", [this] { testsupport::WriteText(In("Data/Sub/Missing.MP3"), "x"); }, false},
        {"data/sub/missing.mp3", [this] { testsupport::WriteText(In("Data/Sub/other.txt"), "x"); }, false},
        {"data/sub/missing.mp3", [this] { testsupport::WriteText(In("Data/elsewhere.txt"), "x"); }, true},
        {"data/sub/missing.mp3", [] {}, true},
        // A missing folder on the way depends on the deepest folder there is.
        {"data/soundtrack/theme.mp3", [this] { fs::create_directory(In("Data/SoundTrack")); }, false},
        {"data/soundtrack/theme.mp3", [this] { testsupport::WriteText(In("Data/Sub/x.txt"), "x"); }, true},
        // A file that is there depends on itself: rewritten, replaced by another file, or removed.
        {"data/sub/file.txt", [this] { testsupport::WriteText(In("Data/Sub/File.TXT"), "longer"); }, false},
        {"data/sub/file.txt",
         [this]
         {
             testsupport::WriteText(In("Data/Sub/new.txt"), "content");
             fs::rename(In("Data/Sub/new.txt"), In("Data/Sub/File.TXT"));
         },
         false},
        {"data/sub/file.txt", [this] { fs::remove(In("Data/Sub/File.TXT")); }, false},
        {"data/sub/file.txt", [this] { testsupport::WriteText(In("Data/Sub/other.txt"), "x"); }, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        fs::remove_all(In("Data"));
        fs::create_directories(In("Data/Sub"));
        testsupport::WriteText(In("Data/Sub/File.TXT"), "content");
        AgeTree(In("Data"));
        const platform::PathStamp stamp = platform::StampPath(In(c.name));
        c.change();
        EXPECT_EQ(platform::IsStampCurrent(stamp), c.current);
    }

    // An entry changed within a file system's tick of the stamp may change again unseen: such a stamp is never
    // current, until one is taken of it later.
    fs::create_directory(In("Data/Fresh"));
    const platform::PathStamp fresh = platform::StampPath(In("data/fresh/missing.mp3"));
    EXPECT_EQ(fresh.path, In("Data/Fresh"));
    EXPECT_FALSE(platform::IsStampCurrent(fresh));
    platform::PathStamp settled = fresh;
    settled.takenNs = fresh.modifiedNs + platform::kStampTickNs + 1;
    EXPECT_TRUE(platform::IsStampCurrent(settled));
    settled.takenNs = fresh.modifiedNs + platform::kStampTickNs - 1;
    EXPECT_FALSE(platform::IsStampCurrent(settled));
    // A folder last changed three seconds ago is past any tick: its stamp, taken now, vouches for it.
    fs::last_write_time(In("Data/Fresh"), fs::file_time_type::clock::now() - std::chrono::seconds(3));
    EXPECT_TRUE(platform::IsStampCurrent(platform::StampPath(In("data/fresh/missing.mp3"))));
}

TEST_F(PathsTest, ALookupOfAMissingNameReadsTheListingAgainAndAStampCheckReadsNone)
{
    ASSERT_EQ(ResolveExisting(In("data/soundtrack/theme.mp3")), "");
    uint64_t before = platform::GetDirectoryScanCount();
    ASSERT_EQ(ResolveExisting(In("data/soundtrack/theme.mp3")), "");
    // "Data" was listed again, to find a folder made since the first lookup.
    EXPECT_EQ(platform::GetDirectoryScanCount(), before + 1);
    AgeTree(In("Data"));
    const platform::PathStamp stamp = platform::StampPath(In("data/soundtrack/theme.mp3"));
    before = platform::GetDirectoryScanCount();
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(platform::IsStampCurrent(stamp));
    EXPECT_EQ(platform::GetDirectoryScanCount(), before);
}

TEST(UserFolder, FilesGoToTheFolderSetElseTheWorkingFolder)
{
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.Path());
    EXPECT_EQ(platform::GetUserFolder(), fs::current_path().string());
    EXPECT_EQ(platform::UserFile("sp.bin"), fs::current_path().string() + "/sp.bin");
    platform::SetUserFolder("/home/someone/.local/share/tidewell");
    EXPECT_EQ(platform::UserFile("MRV2.ini"), "/home/someone/.local/share/tidewell/MRV2.ini");
    platform::SetUserFolder("/");
    EXPECT_EQ(platform::UserFile("MRV2.ini"), "/MRV2.ini");
    platform::SetUserFolder("");
    EXPECT_EQ(platform::GetUserFolder(), fs::current_path().string());
}

TEST(UserFolder, TheDataHomeFollowsTheXdgRules)
{
    struct Case
    {
        const char* xdg;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/data/home", "/home/a", "/data/home"},
        {nullptr, "/home/a", "/home/a/.local/share"},
        {"", "/home/a/", "/home/a/.local/share"},
        {"relative/dir", "/home/a", "/home/a/.local/share"}, // a relative $XDG_DATA_HOME is ignored
        {nullptr, nullptr, ""},
        {"", "", ""},
        {"/x", nullptr, "/x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::XdgDataHome(c.xdg, c.home), c.expected)
            << (c.xdg ? c.xdg : "(none)") << " " << (c.home ? c.home : "(none)");
}

TEST(UserFolder, MakeFoldersMakesEveryMissingParent)
{
    testsupport::TempDir dir;
    EXPECT_TRUE(platform::MakeFolders(dir.File("a/b/c")));
    EXPECT_TRUE(fs::is_directory(dir.File("a/b/c")));
    EXPECT_EQ(fs::status(dir.File("a/b")).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_TRUE(platform::MakeFolders(dir.File("a/b/c/"))); // there already
    EXPECT_TRUE(platform::MakeFolders(dir.File("a//b/./d")));
    EXPECT_TRUE(fs::is_directory(dir.File("a/b/d")));
    testsupport::WriteText(dir.File("file"), "x");
    EXPECT_FALSE(platform::MakeFolders(dir.File("file")));
    EXPECT_FALSE(platform::MakeFolders(dir.File("file/sub")));
    EXPECT_FALSE(platform::MakeFolders(""));
    {
        testsupport::ScopedCurrentDir cwd(dir.Path());
        EXPECT_TRUE(platform::MakeFolders("rel/x"));
    }
    EXPECT_TRUE(fs::is_directory(dir.File("rel/x")));
}
