// Building a park: the loading bar's rectangle for the progress made, and the park's texture bank, attached to
// the texture manager only while it holds textures and detached when it goes.
#include "tests/support/TestSupport.h"

#include "engine/render/TextureBank.h"
#include "engine/render/TextureManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{

TEST(ParkLoading, TheLoadingBarGrowsAcrossItsRowWithTheProgress)
{
    // The bar's row on an 800 x 600 screen: from x 245 and y 442.98, 25.98 high, at most 474 long.
    const struct
    {
        float progress;
        float right;
    } cases[] = {{0.0f, 245.0f},          {0.5f, 245.0f + 237.0f}, {1.0f, 245.0f + 474.0f},
                 {2.0f, 245.0f + 474.0f}, {-1.0f, 245.0f},         {std::nanf(""), 245.0f}};
    for (const auto& c : cases)
    {
        float bar[4] = {-1, -1, -1, -1};
        World::LoadingBarRect(800.0f, 600.0f, c.progress, bar);
        EXPECT_FLOAT_EQ(bar[0], 245.0f) << c.progress;
        EXPECT_NEAR(bar[1], 442.98f, 1e-3) << c.progress;
        EXPECT_NEAR(bar[2], c.right, 1e-3) << c.progress;
        EXPECT_NEAR(bar[3], 442.98f + 25.98f, 1e-3) << c.progress;
    }
    // It scales with the screen: at 1024 x 768 the full bar ends at 0.89875 of the width.
    float bar[4];
    World::LoadingBarRect(1024.0f, 768.0f, 1.0f, bar);
    EXPECT_NEAR(bar[2], 1024.0f * 0.89875f, 1e-3);
}

void WriteBank(const std::filesystem::path& folder, const char* name, const std::vector<uint8_t>& bytes)
{
    std::filesystem::create_directories(folder);
    std::vector<uint8_t> index(4 + 40, 0);
    index[0] = 1;                                  // one record
    index[8] = static_cast<uint8_t>(bytes.size()); // offset 0, size
    std::memcpy(&index[12], name, std::strlen(name));
    std::ofstream(folder / "MRV2TEX.HDR", std::ios::binary)
        .write(reinterpret_cast<const char*>(index.data()), static_cast<std::streamsize>(index.size()));
    std::ofstream(folder / "MRV2TEX.GTB", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(ParkLoading, TheTextureBankServesTexturesOnlyWhileTheParkIsBuiltAndOnlyWhenItHoldsAny)
{
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.Path());
    ASSERT_EQ(g_TextureManager.GetTextureBank(), nullptr);
    {
        // No bank in the data: the textures stay with their own files.
        const ParkTextureBank bank;
        EXPECT_FALSE(bank.IsAttached());
        EXPECT_EQ(g_TextureManager.GetTextureBank(), nullptr);
    }
    WriteBank(std::filesystem::path(dir.Path()) / "Data" / "Textures", "ROCK.DDT", {1, 2, 3, 4, 5});
    {
        const ParkTextureBank bank;
        EXPECT_TRUE(bank.IsAttached());
        const TextureBank* served = g_TextureManager.GetTextureBank();
        ASSERT_NE(served, nullptr);
        uint32_t size = 0;
        const uint8_t* bytes = served->Find("rock.ddt", &size);
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(size, 5u);
        EXPECT_EQ(bytes[4], 5);
    }
    EXPECT_EQ(g_TextureManager.GetTextureBank(), nullptr);
}

} // namespace
