// The running program started on options files holding values no options dialog writes (out of every range, not
// numbers, NaN): it starts, draws the park and runs it without a report, and writes the file back whole.
#include "engine/core/GameOptions.h"
#include "game/Game.h"
#include "gui/GUIManager.h"
#include "tests/game/GameHarness.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <set>
#include <string>

namespace
{

struct OddOptions
{
    const char* name;
    const char* video; // the lines of the [Video] section
    const char* other; // further sections
};

void PrintTo(const OddOptions& options, std::ostream* out)
{
    *out << options.name;
}

const OddOptions kOddOptions[] = {
    {"Zeros",
     "DrawDist=0\nObjectDetail=0\nShadowDrawDist=0\nFilterType=0\nMaterialQuality=0\nTextureQuality=0\n"
     "TextureDepth=0\nDisplayBPP=0\n",
     "[Sound]\nMusicVol=0\nEffectsVol=0\n"},
    {"Negatives",
     "DrawDist=-5\nObjectDetail=-1e30\nShadowDrawDist=-0.1\nFilterType=-1\nMaterialQuality=-7\n"
     "TextureQuality=-1\nTextureDepth=-3\nDisplayBPP=-32\n",
     "[Sound]\nMusicVol=-1\nEffectsVol=-0.5\n[BuildingSettings]\nRoofMode=-9\n"},
    {"Huge",
     "DrawDist=1e300\nObjectDetail=99\nShadowDrawDist=inf\nFilterType=2147483647\nMaterialQuality=99\n"
     "TextureQuality=99\nTextureDepth=2147483647\nDisplayBPP=99999\n",
     "[Sound]\nMusicVol=1e9\nEffectsVol=inf\n[BuildingSettings]\nRoofMode=2147483647\n"},
    {"NotNumbers",
     "DrawDist=nan\nObjectDetail=-nan\nShadowDrawDist=NaN(1)\nFilterType=x\nMaterialQuality=\n"
     "TextureQuality=quality\nTextureDepth=0x10\nDisplayBPP=thirty-two\n",
     "[Sound]\nMusicVol=nan\nEffectsVol=loud\n[Mouse]\nSystemCursor=no\n"},
};

class OddOptionsInGameTest : public ::testing::TestWithParam<OddOptions>
{
protected:
    gametest::GameHarness harness;
};

TEST_P(OddOptionsInGameTest, TheParkRunsAndTheFileIsWrittenBackWhole)
{
    if (!harness.XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    const OddOptions& odd = GetParam();
    std::filesystem::create_directories(harness.UserFolder());
    std::ofstream(harness.UserFolder() + "/MRV2.ini") << "[Tidewell 2 Options]\nVersion=1\n[Video]\n"
                                                      << odd.video << odd.other;
    std::string why;
    ASSERT_TRUE(harness.Start(&why)) << why;
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    ASSERT_TRUE(harness.RunFrames(30));
    // A park is drawn: more than a handful of colours.
    const gametest::Frame frame = harness.Screenshot();
    std::set<uint32_t> colours;
    for (size_t i = 0; i < frame.pixels.size(); i += 13)
        colours.insert(frame.pixels[i] & 0xFFFFFF);
    EXPECT_GT(colours.size(), 50u);
    for (const auto& box : harness.Reports().boxes)
        ADD_FAILURE() << box.text;
    harness.Stop();
    // Written back whole: read again, it has its version, and every fraction is within 0 to 1.
    GameOptions again(harness.UserFolder() + "/MRV2.ini");
    EXPECT_TRUE(again.Load());
    for (float fraction :
         {again.m_fMusicVol, again.m_fEffectsVol, again.m_fDrawDist, again.m_fObjectDetail, again.m_fShadowDrawDist})
        EXPECT_TRUE(fraction >= 0.0f && fraction <= 1.0f) << fraction;
}

INSTANTIATE_TEST_SUITE_P(Files, OddOptionsInGameTest, ::testing::ValuesIn(kOddOptions),
                         [](const ::testing::TestParamInfo<OddOptions>& info) { return info.param.name; });

} // namespace
