// Tests for the case-insensitive path resolver: normalising, resolving for reading and writing, stale caches.
#include "platform/Paths.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
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
