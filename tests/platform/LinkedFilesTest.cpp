// Tests that a file written whole through a symbolic link keeps the link and replaces the file it leads to.
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace
{

TEST(LinkedFiles, AWriteThroughALinkKeepsTheLinkAndReplacesTheFileItLeadsTo)
{
    struct Case
    {
        const char* what;
        const char* linkTo; // relative to the link's folder
        const char* file;   // the file the link finally leads to, relative to the top folder
        const char* named;  // the name written, relative to the link's folder
    };
    const Case cases[] = {
        {"a link to a file in another folder", "../kept/MRV2.ini", "kept/MRV2.ini", "MRV2.ini"},
        {"named in other letters", "../kept/MRV2.ini", "kept/MRV2.ini", "mrv2.INI"},
        {"a link to a file beside it", "progress.bin", "user/progress.bin", "MRV2.ini"},
        {"a link to a link", "../kept/second", "kept/MRV2.ini", "MRV2.ini"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        testsupport::TempDir top;
        fs::create_directories(top.File("user"));
        fs::create_directories(top.File("kept"));
        testsupport::WriteText(top.File(c.file), "the old options");
        fs::create_symlink("MRV2.ini", top.File("kept/second"));
        const std::string link = top.File("user/MRV2.ini");
        fs::create_symlink(c.linkTo, link);
        platform::InvalidatePathCache();

        ASSERT_TRUE(platform::WriteFileAtomically(top.File("user/") + c.named, "new", 3));
        EXPECT_TRUE(fs::is_symlink(link)) << "the link is still a link";
        EXPECT_EQ(testsupport::ReadText(top.File(c.file)), "new");
        EXPECT_EQ(testsupport::ReadText(link), "new");
        for (const char* folder : {"user", "kept"})
            for (const auto& entry : fs::directory_iterator(top.File(folder)))
                EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
    }
}

} // namespace

namespace
{

TEST(LinkedFiles, ALinkLeftWhereTheTemporaryFileGoesIsNeitherWrittenThroughNorKept)
{
    struct Case
    {
        const char* what;
        const char* leftOver; // what the link at "save0.dat.tmp" leads to
    };
    const Case cases[] = {
        {"a link to another save", "save1.dat"},
        {"a link to the target itself", "save0.dat"},
        {"a link to nothing", "missing.dat"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        testsupport::TempDir dir;
        testsupport::WriteText(dir.File("save0.dat"), "the old save 0");
        testsupport::WriteText(dir.File("save1.dat"), "save 1");
        fs::create_symlink(c.leftOver, dir.File("save0.dat.tmp"));
        platform::InvalidatePathCache();

        ASSERT_TRUE(platform::WriteFileAtomically(dir.File("save0.dat"), "new", 3));
        EXPECT_FALSE(fs::is_symlink(dir.File("save0.dat")));
        EXPECT_EQ(testsupport::ReadText(dir.File("save0.dat")), "new");
        EXPECT_EQ(testsupport::ReadText(dir.File("save1.dat")), "save 1") << "no other file is written";
        EXPECT_FALSE(fs::exists(dir.File("missing.dat")));
        EXPECT_FALSE(fs::exists(fs::symlink_status(dir.File("save0.dat.tmp"))));
    }
}

} // namespace
