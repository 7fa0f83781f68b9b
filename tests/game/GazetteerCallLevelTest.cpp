// The guide's animal call in the running program: it is heard at the player's effects level from its first frame,
// while the music and the other effects are held down beneath it.
#include "engine/core/GameOptions.h"
#include "engine/media/SoundManager.h"
#include "game/Game.h"
#include "gui/GuiCommands.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"

#include <gtest/gtest.h>

namespace
{

class GazetteerCallLevelTest : public gametest::ManualMixing<gametest::FirstParkPointerTest>
{
};

TEST_F(GazetteerCallLevelTest, TheCallPlaysAtTheEffectsLevelFromItsStartWhileTheRestIsTurnedDown)
{
    ASSERT_NE(g_pSoundManager, nullptr);
    // Channel levels run 0..255: a level of v is sent as v x 255, cut to a whole number.
    struct Case
    {
        float effects;
        int channel;
    };
    const Case cases[] = {{0.8f, 204}, {0.5f, 127}, {1.0f, 255}};
    GameOptions& options = harness.GetGame().GetOptions();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.effects);
        options.m_fEffectsVol = c.effects;
        g_pSoundManager->SetSfxVolume(c.effects);
        ResolveGuiCommand(GetInGameCommands(), "ShowAnimalGaz")(0);
        Run(2);
        ASSERT_TRUE(Gui().IsDialogOpen("Gazetteer"));
        ResolveGuiCommand(GetInGameCommands(), "PlayGazSound")(0);
        const int slot = g_pSoundManager->FindSample("GAZSOUND_0");
        ASSERT_NE(slot, -1) << "the orca's call does not play";
        EXPECT_LT(g_pSoundManager->GetSfxVolume(), c.effects) << "the other effects are not turned down";
        EXPECT_EQ(g_pSoundManager->GetSampleVolume(slot), c.channel) << "as it starts";
        Run(2);
        ASSERT_EQ(g_pSoundManager->FindSample("GAZSOUND_0"), slot);
        EXPECT_EQ(g_pSoundManager->GetSampleVolume(slot), c.channel) << "two frames on";
        g_pSoundManager->StopSample(slot);
        ResolveGuiCommand(GetInGameCommands(), "CloseAnimalGaz")(0);
        Run(3);
        ASSERT_FALSE(Gui().IsDialogOpen("Gazetteer"));
    }
    EXPECT_TRUE(running);
}

} // namespace
