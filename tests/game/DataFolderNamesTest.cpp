// Tests that the data folder is found, and can be entered, however the player spells its name.
#include "game/Program.h"
#include "platform/Paths.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{

TEST(DataFolderNames, AFolderNamedInOtherLettersWithASlashOrThroughALinkIsFoundAsTheSystemKnowsIt)
{
    testsupport::TempDir top, elsewhere;
    fs::create_directories(top.File("Games/Tidewell/Data/Script"));
    testsupport::WriteText(top.File("Games/Tidewell/Data/Script/GameParameters.pis"), "");
    fs::create_directory_symlink(top.File("Games/Tidewell"), top.File("Linked"));
    const fs::path data = top.File("Games/Tidewell");
    if (fs::exists(top.File("games/tidewell")))
        GTEST_SKIP() << "the temporary folder's file system ignores case";

    struct Case
    {
        const char* what;
        std::string named; // relative names are taken from the top folder
    };
    const Case cases[] = {
        {"as spelt", top.File("Games/Tidewell")},
        {"in other letters", top.File("GAMES/tidewell")},
        {"with a trailing slash", top.File("games/TIDEWELL/")},
        {"relative, in other letters", "games/tidewell"},
        {"relative, through ./", "./Games/TideWell"},
        {"through a link, in other letters", top.File("LINKED")},
    };
    testsupport::ScopedCurrentDir inTop(top.Path());
    platform::InvalidatePathCache();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<std::string> looked;
        const std::string found = FindDataFolder(c.named, elsewhere.Path(), "", &looked);
        EXPECT_EQ(looked, std::vector<std::string>{c.named}) << "the folder named is the one looked in";
        ASSERT_FALSE(found.empty());
        // The program enters the folder it found by the system's own calls, which know no other spelling.
        std::error_code error;
        EXPECT_TRUE(fs::is_directory(found, error)) << found;
        EXPECT_TRUE(fs::equivalent(found, data, error)) << found;
    }
}

} // namespace
