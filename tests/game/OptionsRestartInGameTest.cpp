// The options dialog in the running program, set by the pointer in the park, then the program closed and started
// again: every setting comes back from the options file and takes effect (the volumes, the video settings the
// renderer uses, the dialog's boxes and the place the dialog was dragged to).
#include "engine/core/GameOptions.h"
#include "engine/media/SoundManager.h"
#include "engine/render/GraphicsManager.h"
#include "game/Game.h"
#include "gui/CheckBox.h"
#include "gui/ComboBox.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "platform/Strings.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "tests/support/TestSupport.h"
#include "world/CameraKinds.h"
#include "world/CameraManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

// A slider's value for a press `offset` pixels from its left end: its knob (12 wide) travels the slider's width
// less the knob, and the value is kept in whole hundredths, cut down.
double SliderValue(int offset, int width)
{
    return std::floor(100.0 * offset / (width - 12)) / 100.0;
}

// Where the options dialog's widgets lie on the screen with the dialog at its first place, (180, 140): its pages
// from (188, 202), their headers at y 176 to 198.
constexpr int kPageLeft = 188;
constexpr int kPageTop = 202;
// The sound page's sliders, 214 wide, and the video page's, 134 wide, from x 196 on the page.
constexpr int kSliderLeft = kPageLeft + 196;
constexpr int kMusicPress = 30, kEffectsPress = 160;
constexpr int kDrawDistPress = 100, kDetailPress = 20;
// The dialog is dragged by its title strip by this much.
constexpr int kDragX = -50, kDragY = -30;

class OptionsRestartInGameTest : public gametest::ManualMixing<gametest::PointerGameTest>
{
protected:
    void Prepare() override { EnterPark(); }

    void EnterPark()
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        harness.RunFrames(10);
    }

    // The pointer's offset measured again, as at the start (after the game has been started anew).
    void Measure()
    {
        pointer->MoveTo(400, 300);
        Settle();
        offsetX = 400 - g_pGameInput->GetMouseX();
        offsetY = 300 - g_pGameInput->GetMouseY();
    }

    DialogItem* Options() const
    {
        for (const GUIManager::DialogEntry& entry : Gui().GetOpenList())
            if (entry.state != GUIManager::ENTRY_CLOSING && std::string(entry.dialog->GetName()) == "InGameOptions")
                return entry.dialog;
        return nullptr;
    }

    template <class W> std::vector<W*> Shown(int type) const
    {
        std::vector<W*> found;
        for (const auto& item : Gui().GetItems())
            if (item->GetType() == type && item->IsActive())
                found.push_back(static_cast<W*>(item.get()));
        return found;
    }

    // How far the view's point moves over n frames with the pointer resting on the window's right edge.
    float EdgeScrolled(int n)
    {
        Move(799, 300);
        auto& camera = *static_cast<TrackingCamera*>(g_pCameraManager->GetCurrentCamera());
        const platform::Vec3 before = camera.GetDestLookAt();
        Run(n);
        const float moved = platform::Vec3Length(camera.GetDestLookAt() - before);
        Move(400, 300);
        return moved;
    }

    ComboBox* Combo(int kind) const
    {
        for (ComboBox* box : Shown<ComboBox>(WT_COMBOBOX))
            if (box->GetKind() == kind)
                return box;
        return nullptr;
    }
};

TEST_F(OptionsRestartInGameTest, EverySettingMadeByThePointerComesBackAfterARestart)
{
    // At first the pointer on the window's edge scrolls the view.
    ASSERT_EQ(g_pCameraManager->GetCurrentType(), GameCamera::kTracking);
    ASSERT_GT(EdgeScrolled(5), 0.5f);

    // The options from the toolbar, at their first place.
    ASSERT_TRUE(ClickCommand("InGameOptions"));
    Run(5);
    ASSERT_NE(Options(), nullptr);
    ASSERT_EQ(std::pair(Options()->GetRect().left, Options()->GetRect().top), std::pair(180, 140));

    // The sound page: both volumes.
    Click(kSliderLeft + kMusicPress, kPageTop + 21);
    Click(kSliderLeft + kEffectsPress, kPageTop + 61);
    // The video page: draw distance, object detail, materials "Medium" (the list's first row, under the box at
    // y 302 to 319), texture filter "Trilinear" (the second row, under the box at y 342 to 359); rows 32 high.
    Click(343, 187);
    Click(kSliderLeft + kDrawDistPress, kPageTop + 21);
    Click(kSliderLeft + kDetailPress, kPageTop + 65);
    Click(515, 311);
    Click(450, 319 + 16);
    Click(515, 350);
    Click(450, 359 + 32 + 16);
    // The game page: edge scrolling off (its box ticked at first), the rescue messages "Off".
    Click(448, 187);
    Click(kPageLeft + 15, kPageTop + 19);
    Click(kPageLeft + 196 + 124, kPageTop + 50 + 12);
    // The dialog dragged by its title strip.
    Move(260, 150);
    Press(true);
    Move(260 + kDragX / 2, 150 + kDragY / 2);
    Move(260 + kDragX, 150 + kDragY);
    Press(false);
    ASSERT_EQ(std::pair(Options()->GetRect().left, Options()->GetRect().top), std::pair(180 + kDragX, 140 + kDragY));
    // Done.
    ASSERT_TRUE(ClickCommand("ExitOptions"));
    Run(5);
    EXPECT_EQ(Options(), nullptr);
    ExpectNoReports();

    // What each setting must come back as.
    const double music = SliderValue(kMusicPress, 214), effects = SliderValue(kEffectsPress, 214);
    const double drawDist = SliderValue(kDrawDistPress, 134), detail = SliderValue(kDetailPress, 134);
    constexpr int32_t kMedium = 1, kTrilinear = 1;
    // Done wrote them: the file holds the new values (floats as "%f").
    const std::string text = testsupport::ReadText(harness.UserFolder() + "/MRV2.ini");
    for (const std::string& line :
         {"MusicVol=" + platform::FormatFixed(static_cast<float>(music)),
          "EffectsVol=" + platform::FormatFixed(static_cast<float>(effects)),
          "DrawDist=" + platform::FormatFixed(static_cast<float>(drawDist)),
          "ObjectDetail=" + platform::FormatFixed(static_cast<float>(detail)), std::string("MaterialQuality=1"),
          std::string("FilterType=1"), std::string("NudgeScroll=0"), std::string("Conservation=0"),
          "DialogXPos3=" + std::to_string(180 + kDragX), "DialogYPos3=" + std::to_string(140 + kDragY)})
        EXPECT_NE(text.find(line + "\r\n"), std::string::npos) << line << " is not in\n" << text;

    // The program closed and started again, into the park.
    harness.Stop();
    std::string why;
    ASSERT_TRUE(harness.Start(&why)) << why;
    EnterPark();
    Measure();

    Game& game = harness.GetGame();
    const GameOptions& options = game.GetOptions();
    EXPECT_NEAR(options.m_fMusicVol, music, 1e-6);
    EXPECT_NEAR(options.m_fEffectsVol, effects, 1e-6);
    EXPECT_NEAR(options.m_fDrawDist, drawDist, 1e-6);
    EXPECT_NEAR(options.m_fObjectDetail, detail, 1e-6);
    EXPECT_EQ(std::tuple(options.m_iMaterialQuality, options.m_iFilterType, options.m_bNudgeScroll,
                         options.m_bConservationPopups),
              std::tuple(kMedium, kTrilinear, false, false));
    // They take effect: the sound's volumes and the renderer's settings.
    EXPECT_NEAR(game.GetSoundManager().GetMusicVolume(), music, 1e-6);
    EXPECT_NEAR(game.GetSoundManager().GetSfxVolume(), effects, 1e-6);
    const VideoSettings& video = g_GraphicsManager.GetVideoSettings();
    EXPECT_NEAR(video.m_fDrawDist, drawDist, 1e-6);
    EXPECT_NEAR(video.m_fObjectDetail, detail, 1e-6);
    EXPECT_EQ(std::tuple(video.m_uMaterialQuality, video.m_uFilterType), std::tuple(1u, 1u));

    // The options open where they were left and show what was chosen.
    ASSERT_TRUE(ClickCommand("InGameOptions"));
    Run(5);
    ASSERT_NE(Options(), nullptr);
    EXPECT_EQ(std::pair(Options()->GetRect().left, Options()->GetRect().top), std::pair(180 + kDragX, 140 + kDragY));
    Gui().SelectDialogTab("InGameOptions", 1);
    Run(3);
    ComboBox* materials = Combo(ComboBox::MATERIAL_QUALITY);
    ComboBox* filter = Combo(ComboBox::VIDEO_FILTER_TYPE);
    ASSERT_TRUE(materials && filter);
    EXPECT_EQ(std::pair(materials->GetSelected(), filter->GetSelected()), std::pair(0, 1))
        << "Medium is the materials' first row, Trilinear the filter's second";
    Gui().SelectDialogTab("InGameOptions", 2);
    Run(3);
    const std::vector<CheckBox*> boxes = Shown<CheckBox>(WT_CHECKBOX);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.front()->GetState(), 0) << "edge scrolling shows ticked";
    // And edge scrolling is off: the pointer on the window's edge leaves the view where it is.
    ASSERT_TRUE(ClickCommand("ExitOptions"));
    Run(5);
    ASSERT_EQ(g_pCameraManager->GetCurrentType(), GameCamera::kTracking);
    EXPECT_LT(EdgeScrolled(5), 0.01f);
    ExpectNoReports();
    EXPECT_TRUE(running);
}

// Done with the options file that cannot be written (a folder in the way of the file written first): the player is
// told, naming the file, and the file keeps what it held; once the way is clear, Done writes it.
TEST_F(OptionsRestartInGameTest, DoneTellsWhenTheOptionsCannotBeWrittenAndTheFileKeepsItsOldSettings)
{
    namespace fs = std::filesystem;
    const std::string file = harness.UserFolder() + "/MRV2.ini";
    ASSERT_TRUE(harness.GetGame().GetOptions().Save());
    const std::string before = testsupport::ReadText(file);
    ASSERT_NE(before.find("MusicVol=0.500000"), std::string::npos) << before;
    fs::create_directories(file + ".tmp/in-the-way");

    ASSERT_TRUE(ClickCommand("InGameOptions"));
    Run(5);
    Click(kSliderLeft + kMusicPress, kPageTop + 21);
    ASSERT_TRUE(ClickCommand("ExitOptions"));
    Run(5);
    ASSERT_EQ(harness.Reports().boxes.size(), 1u) << "the player is not told the options were not written";
    EXPECT_NE(harness.Reports().boxes[0].text.find(file), std::string::npos) << harness.Reports().boxes[0].text;
    EXPECT_EQ(testsupport::ReadText(file), before);

    fs::remove_all(file + ".tmp");
    ASSERT_TRUE(ClickCommand("InGameOptions"));
    Run(5);
    ASSERT_TRUE(ClickCommand("ExitOptions"));
    Run(5);
    EXPECT_EQ(harness.Reports().boxes.size(), 1u);
    const std::string line = "MusicVol=" + platform::FormatFixed(static_cast<float>(SliderValue(kMusicPress, 214)));
    EXPECT_NE(testsupport::ReadText(file).find(line + "\r\n"), std::string::npos);
    EXPECT_TRUE(running);
}

} // namespace
