// Tests of the fuzz seed collection in the test support: files a test leaves in its temporary folder are copied
// to the folder TW_FUZZ_SEEDS names, under their content's hash and their own name.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace
{

// Sets TW_FUZZ_SEEDS for its lifetime (restoring what was there).
class ScopedSeeds
{
public:
    explicit ScopedSeeds(const std::string& folder)
    {
        if (const char* old = std::getenv("TW_FUZZ_SEEDS"))
            m_old = std::make_unique<std::string>(old);
        setenv("TW_FUZZ_SEEDS", folder.c_str(), 1);
    }
    ~ScopedSeeds()
    {
        if (m_old)
            setenv("TW_FUZZ_SEEDS", m_old->c_str(), 1);
        else
            unsetenv("TW_FUZZ_SEEDS");
    }

private:
    std::unique_ptr<std::string> m_old;
};

// The seed folder's files: name after the hash prefix -> content; the prefix must be 16 hex digits and a dash.
std::multimap<std::string, std::string> Seeds(const std::string& folder)
{
    std::multimap<std::string, std::string> seeds;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        const std::string name = entry.path().filename().string();
        EXPECT_GT(name.size(), 17u) << name;
        EXPECT_EQ(name.find_first_not_of("0123456789abcdef"), 16u) << name;
        EXPECT_EQ(name[16], '-') << name;
        seeds.emplace(name.substr(17), testsupport::ReadText(entry.path().string()));
    }
    return seeds;
}

} // namespace

TEST(FuzzSeeds, SmallFilesOfATestFolderAreKeptOnceUnderTheirNames)
{
    testsupport::TempDir seeds;
    ScopedSeeds scoped(seeds.Path());
    for (int round = 0; round < 2; ++round)
    {
        testsupport::TempDir dir;
        testsupport::WriteText(dir.File("a.tga"), "pixels");
        std::filesystem::create_directories(dir.Path() + "/data/script");
        testsupport::WriteText(dir.Path() + "/data/script/list.ble", "tokens");
        testsupport::WriteText(dir.File("big.bin"), std::string((256u << 10) + 1, 'x'));
        testsupport::WriteText(dir.File("edge.bin"), std::string(256u << 10, 'y'));
    }
    const auto kept = Seeds(seeds.Path());
    // The same files twice fold into one seed each; a file over 256 KiB is left out.
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept.find("a.tga")->second, "pixels");
    EXPECT_EQ(kept.find("list.ble")->second, "tokens");
    EXPECT_EQ(kept.find("edge.bin")->second.size(), 256u << 10);
    EXPECT_EQ(kept.count("big.bin"), 0u);
}

TEST(FuzzSeeds, DifferentContentUnderOneNameGivesTwoSeedsAndAFolderGivesAtMost64)
{
    testsupport::TempDir seeds;
    ScopedSeeds scoped(seeds.Path());
    for (const char* text : {"one", "two"})
    {
        testsupport::TempDir dir;
        testsupport::WriteText(dir.File("same.txt"), text);
    }
    {
        testsupport::TempDir dir;
        for (int i = 0; i < 70; ++i)
            testsupport::WriteText(dir.File("f" + std::to_string(i) + ".dat"), std::to_string(i));
    }
    const auto kept = Seeds(seeds.Path());
    EXPECT_EQ(kept.count("same.txt"), 2u);
    EXPECT_EQ(kept.size(), 2u + 64u);
}

TEST(FuzzSeeds, NothingIsKeptWithoutTheVariable)
{
    testsupport::TempDir seeds;
    {
        ScopedSeeds scoped(seeds.Path());
        unsetenv("TW_FUZZ_SEEDS");
        testsupport::TempDir dir;
        testsupport::WriteText(dir.File("a.txt"), "x");
    }
    EXPECT_TRUE(std::filesystem::is_empty(seeds.Path()));
}
