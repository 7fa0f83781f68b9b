// Tests of the guest icon and building flag textures, loaded through the texture manager on the recording device.
#include "scripts/WorldParams.h"
#include "tests/engine/render/TextureTestFiles.h"

#include <gtest/gtest.h>

namespace
{

class IconTextures : public texturetest::TextureTest
{
};

} // namespace

TEST_F(IconTextures, EachIconAndFlagIsItsOwnFile)
{
    // Every file has a colour of its own, so that no two share a slot by content.
    const char* flags[] = {"bf_spanner.tga", "bf_animal.tga", "bf_feet.tga", "bf_closed.tga"};
    uint32_t colour = 0xFF000010;
    for (int n = 0; n < 12; ++n)
        Write("Data/GUI/n_0" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ".tga",
              texturetest::MakeTGA(4, 4, std::vector<uint32_t>(16, colour++)));
    for (const char* flag : flags)
        Write(std::string("Data/GUI/") + flag, texturetest::MakeTGA(4, 4, std::vector<uint32_t>(16, colour++)));

    // The whole load, with no data script present: only the textures come in.
    WorldParams params(WorldParams::kBuildingsFile, "data\\script\\guests.pis");
    EXPECT_EQ(params.GetBuildingCount(), 0u);
    for (int n = 0; n < 12; ++n)
    {
        const std::string name = "Data/GUI/n_0" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ".tga";
        const uint32_t slot = params.GetGuestIconTexture(n);
        ASSERT_NE(slot, 0u) << name;
        EXPECT_EQ(g_TextureManager.Find(name.c_str()), slot) << name;
        EXPECT_EQ(g_TextureManager.GetSlot(slot)->m_bKeepPixels, 0) << name;
    }
    for (int n = 0; n < 4; ++n)
    {
        const std::string name = std::string("Data/GUI/") + flags[n];
        const uint32_t slot = params.GetBuildingFlagTexture(n);
        ASSERT_NE(slot, 0u) << name;
        EXPECT_EQ(g_TextureManager.Find(name.c_str()), slot) << name;
        EXPECT_EQ(g_TextureManager.GetSlot(slot)->m_bKeepPixels, 0) << name;
    }
}
