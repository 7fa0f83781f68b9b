// Tests for the case-insensitive path resolver: normalising, resolving for reading and writing, stale caches.
#include "platform/Paths.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

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
        fs::create_directories(m_dir.File("Data/Sub"));
        testsupport::WriteText(m_dir.File("Data/Sub/File.TXT"), "content");
        platform::InvalidatePathCache();
    }

    std::string Root() const { return m_dir.Path(); }
    std::string In(const std::string& rest) const { return m_dir.File(rest); }

    size_t EntryCount(const std::string& dir) const
    {
        size_t n = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir))
            ++n;
        return n;
    }

    testsupport::TempDir m_dir;
};

} // namespace

TEST(PathsNormalizeTest, FoldsSeparatorsAndDropsDotComponents)
{
    EXPECT_EQ(NormalizePath("data\\sub\\file.txt"), "data/sub/file.txt");
    EXPECT_EQ(NormalizePath("data//sub\\\\file.txt"), "data/sub/file.txt");
    EXPECT_EQ(NormalizePath("./data/./sub/."), "data/sub");
    EXPECT_EQ(NormalizePath(".\\data\\"), "data");
    EXPECT_EQ(NormalizePath("/abs//path/"), "/abs/path");
    EXPECT_EQ(NormalizePath("\\\\abs"), "/abs");
    EXPECT_EQ(NormalizePath("/"), "/");
    EXPECT_EQ(NormalizePath("a/../b"), "a/../b"); // ".." is a real step and stays
    EXPECT_EQ(NormalizePath(""), "");
}

TEST(PathsNormalizeTest, OnlyDotComponentsMeanTheCurrentDirectory)
{
    EXPECT_EQ(NormalizePath("."), ".");
    EXPECT_EQ(NormalizePath("./"), ".");
    EXPECT_EQ(NormalizePath(".\\.\\"), ".");
}

TEST_F(PathsTest, ResolvesEveryComponentWithoutRegardToCase)
{
    const std::string real = In("Data/Sub/File.TXT");
    EXPECT_EQ(ResolveExisting(In("Data/Sub/File.TXT")), real);
    EXPECT_EQ(ResolveExisting(In("data/sub/file.txt")), real);
    EXPECT_EQ(ResolveExisting(In("DATA/SUB/FILE.TXT")), real);
    EXPECT_EQ(ResolveExisting(In("dAtA/sUb/fIlE.tXt")), real);
    EXPECT_EQ(ResolveExisting(In("data")), In("Data"));
}

TEST_F(PathsTest, AcceptsBackslashesDoubledSeparatorsAndDots)
{
    const std::string real = In("Data/Sub/File.TXT");
    EXPECT_EQ(ResolveExisting(Root() + "\\DATA\\sub\\file.txt"), real);
    EXPECT_EQ(ResolveExisting(Root() + "//data///sub//FILE.txt"), real);
    EXPECT_EQ(ResolveExisting(Root() + "/./data/./sub/./file.txt"), real);
    EXPECT_EQ(ResolveExisting(Root() + "\\.\\data\\\\.\\sub\\file.TXT"), real);
}

TEST_F(PathsTest, ResolvesRelativeNamesFromTheCurrentDirectory)
{
    testsupport::ScopedCurrentDir cwd(Root());
    EXPECT_EQ(ResolveExisting("data\\sub\\FILE.TXT"), "Data/Sub/File.TXT");
    EXPECT_EQ(ResolveExisting(".\\DATA\\Sub\\file.txt"), "Data/Sub/File.TXT");
    EXPECT_EQ(ResolveForWrite("DATA\\new.bin"), "Data/new.bin");
}

TEST_F(PathsTest, DotDotStepsOutOfADirectory)
{
    std::string resolved = ResolveExisting(In("DATA/sub/../SUB/file.txt"));
    ASSERT_FALSE(resolved.empty());
    EXPECT_TRUE(fs::equivalent(resolved, In("Data/Sub/File.TXT")));
}

TEST_F(PathsTest, MissingNamesResolveToNothing)
{
    EXPECT_EQ(ResolveExisting(In("data/sub/other.txt")), "");
    EXPECT_EQ(ResolveExisting(In("data/nodir/file.txt")), "");
    EXPECT_EQ(ResolveExisting(In("data/sub/file.txt/deeper")), "");
    EXPECT_EQ(ResolveExisting(""), "");
}

TEST_F(PathsTest, PrefersTheExactNameWhenTwoDifferOnlyInCase)
{
    testsupport::WriteText(In("Data/Sub/file.txt"), "lower");
    if (EntryCount(In("Data/Sub")) != 2)
        GTEST_SKIP() << "the temporary folder's file system ignores case";
    EXPECT_EQ(ResolveExisting(In("data/sub/file.txt")), In("Data/Sub/file.txt"));
    EXPECT_EQ(ResolveExisting(In("data/sub/File.TXT")), In("Data/Sub/File.TXT"));
}

TEST_F(PathsTest, WritesKeepTheGivenLeafWhenNothingMatches)
{
    EXPECT_EQ(ResolveForWrite(In("DATA/SUB/NewFile.Bin")), In("Data/Sub/NewFile.Bin"));
    EXPECT_EQ(ResolveForWrite(Root() + "\\data\\NEW.txt"), In("Data/NEW.txt"));
}

TEST_F(PathsTest, WritesReuseAnExistingFileOfAnotherCase)
{
    EXPECT_EQ(ResolveForWrite(In("data/sub/FILE.txt")), In("Data/Sub/File.TXT"));

    FILE* file = OpenFile(In("DATA\\SUB\\file.txt"), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("rewritten", file);
    std::fclose(file);
    EXPECT_EQ(EntryCount(In("Data/Sub")), 1u);
    EXPECT_EQ(testsupport::ReadText(In("Data/Sub/File.TXT")), "rewritten");
}

TEST_F(PathsTest, WritesIntoMissingDirectoriesFail)
{
    EXPECT_EQ(ResolveForWrite(In("nodir/file.txt")), "");
    EXPECT_EQ(ResolveForWrite(In("data/nodir/deeper/file.txt")), "");
    EXPECT_EQ(OpenFile(In("data/nodir/file.txt"), "wb"), nullptr);
    EXPECT_FALSE(fs::exists(In("Data/nodir")));
}

TEST_F(PathsTest, OpenFileReadsThroughAnyCaseAndRefusesMissingFiles)
{
    FILE* file = OpenFile(In("data\\SUB\\file.txt"), "rb");
    ASSERT_NE(file, nullptr);
    char text[16] = {};
    size_t n = std::fread(text, 1, sizeof(text) - 1, file);
    std::fclose(file);
    EXPECT_EQ(std::string(text, n), "content");

    EXPECT_EQ(OpenFile(In("data/sub/missing.txt"), "rb"), nullptr);
    EXPECT_EQ(OpenFile(In("data/sub/missing.txt"), "r+b"), nullptr);
    EXPECT_FALSE(fs::exists(In("Data/Sub/missing.txt")));
    EXPECT_EQ(OpenFile(In("data/sub/file.txt"), ""), nullptr);
    EXPECT_EQ(OpenFile(In("data/sub/file.txt"), nullptr), nullptr);
}

TEST_F(PathsTest, AppendModeExtendsTheExistingFileOfAnotherCase)
{
    FILE* file = OpenFile(In("DATA/SUB/FILE.TXT"), "a");
    ASSERT_NE(file, nullptr);
    std::fputs("+more", file);
    std::fclose(file);
    EXPECT_EQ(EntryCount(In("Data/Sub")), 1u);
    EXPECT_EQ(testsupport::ReadText(In("Data/Sub/File.TXT")), "content+more");
}

TEST_F(PathsTest, FileCreatedAfterALookupIsFound)
{
    // The first lookups read and cache the listings of Data and Data/Sub.
    ASSERT_EQ(ResolveExisting(In("data/sub/other.txt")), "");
    ASSERT_EQ(ResolveForWrite(In("data/newdir/x.txt")), "");

    testsupport::WriteText(In("Data/Sub/Other.Txt"), "new");
    fs::create_directory(In("Data/NewDir"));

    EXPECT_EQ(ResolveExisting(In("data/sub/OTHER.TXT")), In("Data/Sub/Other.Txt"));
    EXPECT_EQ(ResolveForWrite(In("data/newdir/x.txt")), In("Data/NewDir/x.txt"));
    EXPECT_EQ(ResolveForWrite(In("DATA/SUB/other.txt")), In("Data/Sub/Other.Txt"));
}

TEST_F(PathsTest, FileDeletedAfterALookupIsNoLongerFound)
{
    ASSERT_EQ(ResolveExisting(In("data/sub/file.txt")), In("Data/Sub/File.TXT"));
    fs::remove(In("Data/Sub/File.TXT"));

    EXPECT_EQ(ResolveExisting(In("data/sub/file.txt")), "");
    // The write goes to the name as given, not to the forgotten file's spelling.
    EXPECT_EQ(ResolveForWrite(In("data/sub/file.txt")), In("Data/Sub/file.txt"));
}

TEST_F(PathsTest, FileRenamedToAnotherCaseAfterALookupIsFoundUnderItsNewName)
{
    ASSERT_EQ(ResolveExisting(In("data/sub/file.txt")), In("Data/Sub/File.TXT"));
    fs::rename(In("Data/Sub/File.TXT"), In("Data/Sub/FILE.txt"));
    fs::rename(In("Data/Sub"), In("Data/SUB"));

    EXPECT_EQ(ResolveExisting(In("data/sub/file.txt")), In("Data/SUB/FILE.txt"));
}

TEST_F(PathsTest, InvalidatedCacheStillResolves)
{
    ASSERT_EQ(ResolveExisting(In("data/sub/file.txt")), In("Data/Sub/File.TXT"));
    platform::InvalidatePathCache();
    EXPECT_EQ(ResolveExisting(In("DATA/SUB/FILE.TXT")), In("Data/Sub/File.TXT"));
}
