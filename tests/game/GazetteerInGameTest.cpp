// The guide to sea animals in the running program, by the pointer: the toolbar's guide button opens it on its first
// animal with its name, picture and texts; its sound button plays the animal's call, and is greyed for an animal with
// no call; a row chosen in its list shows that animal's page; a dolphin's panel opens it on the dolphin's own page.
#include "engine/core/GameOptions.h"
#include "engine/core/TextTable.h"
#include "engine/media/SoundManager.h"
#include "game/Game.h"
#include "gui/GazetteerList.h"
#include "gui/GuiCommands.h"
#include "gui/ListBox.h"
#include "gui/ScrollBar.h"
#include "gui/VariableWidgets.h"
#include "park/AnimalObject.h"
#include "scripts/WorldParams.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// The guide's corner on the screen; its list's rows 20 high from (10, 34) on it; its picture at (220, 60).
constexpr int kLeft = 100;
constexpr int kTop = 60;

class GazetteerInGameTest : public gametest::ManualMixing<gametest::FirstParkPointerTest>
{
protected:
    ListBox* List() const { return static_cast<ListBox*>(Gui().FindItem(WT_LISTBOX, "GazetteerListBox")); }

    // Sets the player's music and effects levels, opens the guide, plays its call and opens the options over it.
    void OpenTheOptionsOverTheGuidesCall(float music, float effects)
    {
        GameOptions& options = harness.GetGame().GetOptions();
        ASSERT_NE(g_pSoundManager, nullptr);
        options.m_fMusicVol = music;
        options.m_fEffectsVol = effects;
        g_pSoundManager->SetMusicVolume(options.m_fMusicVol);
        g_pSoundManager->SetSfxVolume(options.m_fEffectsVol);
        ResolveGuiCommand(GetInGameCommands(), "ShowAnimalGaz")(0);
        Run(2);
        ResolveGuiCommand(GetInGameCommands(), "PlayGazSound")(0);
        ResolveGuiCommand(GetInGameCommands(), "InGameOptions")(0);
        Run(2);
        ASSERT_TRUE(Gui().IsDialogOpen("Gazetteer"));
        ASSERT_TRUE(Gui().IsDialogOpen("InGameOptions"));
    }
};

TEST_F(GazetteerInGameTest, TheGuideShowsEachAnimalsPageAndADolphinsPanelOpensItOnTheDolphin)
{
    ASSERT_TRUE(ClickCommand("ShowGazetteer"));
    Run(5);
    ASSERT_TRUE(Gui().IsDialogOpen("Gazetteer"));
    EXPECT_TRUE(Gui().IsModalDialogOpen());
    ListBox* list = List();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetRowCount(), 16);
    EXPECT_EQ(Gui().GetSelection(13), 0);
    EXPECT_EQ(Written("GAZ_ANIMAL"), TableText("GAZ_ANIMAL_0"));
    gametest::Frame frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "gazetteer");
    // The page: its picture (not the sand), the animal's name, where it lives, in the panel's brown.
    EXPECT_FALSE(gametest::NearRgb(frame.At(kLeft + 300, kTop + 100), gametest::kPanelSand, 24));
    EXPECT_GT(gametest::CountNearRgb(frame, kLeft + 220, kTop + 34, kLeft + 590, kTop + 54, gametest::kPanelText, 24),
              30);
    EXPECT_GT(gametest::CountNearRgb(frame, kLeft + 220, kTop + 210, kLeft + 590, kTop + 260, gametest::kPanelText, 24),
              30);
    // The orca calls: its listen button, clicked, plays the orca's call from the sample bank with the music and
    // the effects turned down meanwhile, and stays greyed while the call plays.
    Button* listen = Bound("PlayGazSound");
    ASSERT_NE(listen, nullptr);
    ASSERT_NE(g_pSoundManager, nullptr);
    EXPECT_NE(listen->GetState(), Button::STATE_DISABLED);
    EXPECT_EQ(g_pSoundManager->FindSample("GAZSOUND_0"), -1);
    const float music = g_pSoundManager->GetMusicVolume();
    const GuiRect button = listen->GetRect();
    Click((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    Run(2);
    EXPECT_NE(g_pSoundManager->FindSample("GAZSOUND_0"), -1) << "the orca's call does not play";
    EXPECT_LT(g_pSoundManager->GetMusicVolume(), music);
    EXPECT_EQ(listen->GetState(), Button::STATE_DISABLED);
    // A silent animal, the reef shark: greyed.
    Gui().GetGazetteerList().SelectAnimal(12);
    Run(60);
    EXPECT_EQ(Gui().GetSelection(13), 12);
    EXPECT_EQ(g_pSoundManager->HasSample("GAZSOUND_12"), false);
    EXPECT_EQ(listen->GetState(), Button::STATE_DISABLED);

    // The fifth row: the list's fifth animal, number 14.
    Click(kLeft + 60, kTop + 34 + 4 * 20 + 10);
    Run(3);
    EXPECT_EQ(Gui().GetSelection(13), 14);
    EXPECT_EQ(Written("GAZ_ANIMAL"), TableText("GAZ_ANIMAL_14"));
    // Every animal's page: its name, where it lives and what it eats fit their boxes.
    for (int32_t animal = 0; animal < list->GetRowCount(); ++animal)
    {
        Gui().GetGazetteerList().SelectAnimal(animal);
        Run(2);
        EXPECT_EQ(CutVariables(), "") << "page " << animal;
    }
    ASSERT_TRUE(ClickCommand("CloseAnimalGaz"));
    Run(5);
    EXPECT_FALSE(Gui().IsDialogOpen("Gazetteer"));

    // A dolphin's panel: its about button opens the guide at the dolphin's page, beside the panel.
    const std::vector<BaseObject*> animals = g_pObjectManager->GetObjectsOfKind(OBJECT_ANIMAL);
    ASSERT_FALSE(animals.empty());
    auto* dolphin = static_cast<AnimalObject*>(animals[0]);
    const int32_t page = dolphin->GetAnimalInfo().iGazNumber;
    ASSERT_NE(page, dolphin->GetAnimalInfo().id) << "the sample's numbers no longer tell the two apart";
    dolphin->OnSelected(true, false);
    Run(5);
    ASSERT_EQ(OpenFor("ANIMAL_Menu"), static_cast<DialogListener*>(dolphin));
    ASSERT_TRUE(ClickCommand("ShowAnimalGaz"));
    Run(5);
    ASSERT_TRUE(Gui().IsDialogOpen("Gazetteer"));
    EXPECT_FALSE(Gui().IsModalDialogOpen());
    EXPECT_EQ(Gui().GetSelection(13), page);
    EXPECT_EQ(Written("GAZ_ANIMAL"), TableText("GAZ_ANIMAL_" + std::to_string(page)));
    ASSERT_EQ(list->GetSelection().size(), 1u);
    EXPECT_EQ(TableText("GAZ_ANIMAL_" + std::to_string(page)), Written("GAZ_ANIMAL"));
    ExpectNoReports();
    EXPECT_TRUE(running);
}

// The guide's listen button turns the music and the effects down while the call plays; however the guide then goes
// (its close button, the about button or the toolbar's guide button pressed again, the park left), both come back to
// the options' levels.
TEST_F(GazetteerInGameTest, TheMusicAndEffectsComeBackHoweverTheGuideCloses)
{
    struct Case
    {
        const char* route;
        const char* command; // the command that closes the guide
        bool leavesPark;
    };
    const Case cases[] = {
        {"its close button", "CloseAnimalGaz", false},
        {"the about button again", "ShowAnimalGaz", false},
        {"the toolbar's guide button", "ShowGazetteer", false},
        {"the park left for the menu", "ExitGameConfirm", true},
    };
    const GameOptions& options = harness.GetGame().GetOptions();
    ASSERT_NE(g_pSoundManager, nullptr);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.route);
        ResolveGuiCommand(GetInGameCommands(), "ShowAnimalGaz")(0);
        Run(2);
        ASSERT_TRUE(Gui().IsDialogOpen("Gazetteer"));
        ASSERT_FALSE(Gui().IsModalDialogOpen());
        ResolveGuiCommand(GetInGameCommands(), "PlayGazSound")(0);
        Run(2);
        ASSERT_LT(g_pSoundManager->GetMusicVolume(), options.m_fMusicVol);
        ASSERT_LT(g_pSoundManager->GetSfxVolume(), options.m_fEffectsVol);
        ResolveGuiCommand(GetInGameCommands(), c.command)(0);
        Run(3);
        EXPECT_FALSE(Gui().IsDialogOpen("Gazetteer"));
        EXPECT_EQ(g_pWorld == nullptr, c.leavesPark);
        EXPECT_FLOAT_EQ(g_pSoundManager->GetMusicVolume(), options.m_fMusicVol);
        EXPECT_FLOAT_EQ(g_pSoundManager->GetSfxVolume(), options.m_fEffectsVol);
    }
    EXPECT_TRUE(running);
}

// The music player's volume buttons pressed while the guide has the music turned down step the player's own level,
// not the turned-down one: once the guide closes the music stands one step from where it was, and so does the option.
TEST_F(GazetteerInGameTest, TheMusicPlayersVolumeStepsFromThePlayersLevelWhileTheGuideHasItDown)
{
    struct Case
    {
        const char* button;
        float before, after;
    };
    const Case cases[] = {{"MP3_VolUp", 0.5f, 0.6f}, {"MP3_VolDown", 0.5f, 0.4f}, {"MP3_VolUp", 0.9f, 1.0f}};
    GameOptions& options = harness.GetGame().GetOptions();
    ASSERT_NE(g_pSoundManager, nullptr);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.button);
        options.m_fMusicVol = c.before;
        g_pSoundManager->SetMusicVolume(c.before);
        ResolveGuiCommand(GetInGameCommands(), "ShowAnimalGaz")(0);
        Run(2);
        ASSERT_TRUE(Gui().IsDialogOpen("Gazetteer"));
        ResolveGuiCommand(GetInGameCommands(), "PlayGazSound")(0);
        Run(2);
        ASSERT_LT(g_pSoundManager->GetMusicVolume(), c.before);
        ResolveGuiCommand(GetInGameCommands(), "ShowPlayList")(0);
        Run(2);
        ASSERT_TRUE(Gui().IsDialogOpen("PlayList"));
        ASSERT_TRUE(Gui().IsDialogOpen("Gazetteer"));
        ResolveGuiCommand(GetInGameCommands(), c.button)(0);
        EXPECT_NEAR(options.m_fMusicVol, c.after, 1e-5f);
        EXPECT_LT(g_pSoundManager->GetMusicVolume(), c.after) << "the guide's call is still on: the music stays down";
        ResolveGuiCommand(GetInGameCommands(), "ExitPlayList")(0);
        ResolveGuiCommand(GetInGameCommands(), "CloseAnimalGaz")(0);
        Run(3);
        EXPECT_FALSE(Gui().IsDialogOpen("Gazetteer"));
        EXPECT_NEAR(g_pSoundManager->GetMusicVolume(), c.after, 1e-5f);
    }
    EXPECT_TRUE(running);
}

// The options' audio reset pressed while the guide has the sound turned down sets the player's levels to the
// defaults (music 0.5, effects 0.75) and keeps the sound down under the guide's call; once the guide closes, the
// defaults are heard.
TEST_F(GazetteerInGameTest, TheAudioResetWhileTheGuideHasTheSoundDownKeepsItDown)
{
    GameOptions& options = harness.GetGame().GetOptions();
    ASSERT_NO_FATAL_FAILURE(OpenTheOptionsOverTheGuidesCall(0.9f, 0.2f));
    ResolveGuiCommand(GetInGameCommands(), "ResetAudioOptions")(0);
    Run(2);
    struct Case
    {
        const char* level;
        const float& option;
        float (SoundManager::*heard)() const;
        float reset;
    };
    const Case cases[] = {{"music", options.m_fMusicVol, &SoundManager::GetMusicVolume, 0.5f},
                          {"effects", options.m_fEffectsVol, &SoundManager::GetSfxVolume, 0.75f}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.level);
        EXPECT_FLOAT_EQ(c.option, c.reset);
        EXPECT_LT((g_pSoundManager->*c.heard)(), c.reset) << "the guide's call is still on: the sound stays down";
    }
    ResolveGuiCommand(GetInGameCommands(), "CloseAnimalGaz")(0);
    Run(3);
    EXPECT_FALSE(Gui().IsDialogOpen("Gazetteer"));
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.level);
        EXPECT_FLOAT_EQ((g_pSoundManager->*c.heard)(), c.reset);
    }
    EXPECT_TRUE(running);
}

// The options' volume sliders show and set the player's own levels while the guide has the sound turned down: a
// press that leaves the knob where it was keeps the player's level, and a level set then is the one heard once the
// guide closes.
TEST_F(GazetteerInGameTest, TheOptionsVolumeSlidersShowAndSetThePlayersLevelsWhileTheGuideHasThemDown)
{
    GameOptions& options = harness.GetGame().GetOptions();
    ASSERT_NO_FATAL_FAILURE(OpenTheOptionsOverTheGuidesCall(0.6f, 0.9f));
    ASSERT_LT(g_pSoundManager->GetMusicVolume(), 0.6f);
    struct Case
    {
        const char* variable;
        float* option;
        float shown, set;
    };
    const Case cases[] = {{"MUSIC_VOLUME", &options.m_fMusicVol, 0.6f, 0.3f},
                          {"EFFECTS_VOLUME", &options.m_fEffectsVol, 0.9f, 0.7f}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.variable);
        Slider* slider = nullptr;
        for (const auto& item : Gui().GetItems())
            if (item->GetType() == WT_SLIDER && static_cast<Slider*>(item.get())->GetVariable() == c.variable)
                slider = static_cast<Slider*>(item.get());
        ASSERT_NE(slider, nullptr);
        slider->Update(0.0f);
        EXPECT_NEAR(slider->GetValue(), c.shown, 1e-5f);
        slider->SetValue(c.set);
        EXPECT_NEAR(*c.option, c.set, 1e-5f);
    }
    // The guide's call is still on: both stay at a third of the new levels.
    EXPECT_NEAR(g_pSoundManager->GetMusicVolume(), 0.3f / 3.0f, 1e-4f);
    EXPECT_NEAR(g_pSoundManager->GetSfxVolume(), 0.7f / 3.0f, 1e-4f);
    ResolveGuiCommand(GetInGameCommands(), "CloseAnimalGaz")(0);
    Run(3);
    EXPECT_NEAR(g_pSoundManager->GetMusicVolume(), 0.3f, 1e-5f);
    EXPECT_NEAR(g_pSoundManager->GetSfxVolume(), 0.7f, 1e-5f);
    EXPECT_TRUE(running);
}

} // namespace
