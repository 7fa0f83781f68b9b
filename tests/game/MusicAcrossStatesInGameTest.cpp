// The park's music in the running program across what the player does around it: the volume taken down to nothing
// and up again by the play list's buttons while a track plays, a track played to its end at no volume, the program
// losing and regaining the focus, a save loaded from the front end, and the park left for the menu.
#include "engine/core/GameOptions.h"
#include "engine/media/Jukebox.h"
#include "engine/media/SoundManager.h"
#include "game/Game.h"
#include "game/Mp3Player.h"
#include "gui/Button.h"
#include "gui/ListBox.h"
#include "platform/audio/Sound.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

class MusicAcrossStatesInGameTest : public gametest::ManualMixing<gametest::FirstParkPointerTest>
{
protected:
    Jukebox& Box() const { return harness.GetGame().GetMp3Player().GetJukebox(); }
    SoundManager& Sound() const { return harness.GetGame().GetSoundManager(); }
    // The mixer run for `ms` milliseconds of sound, as the device would in that time.
    static void Mix(int ms)
    {
        const int rate = platform::SoundGetOutputRate();
        ASSERT_GT(rate, 0);
        std::vector<int16_t> out(2 * 4096);
        for (long long left = static_cast<long long>(rate) * ms / 1000; left > 0; left -= 4096)
            platform::SoundRender(out.data(), static_cast<int>(std::min<long long>(left, 4096)));
    }
    // The current track played past its end (its measured time and half a second more), then a frame for the
    // jukebox to notice.
    void PlayToTheEnd()
    {
        Mix(Box().GetTrackTime(Box().GetCurrentTrack()) + 500);
        Run(1);
    }
};

TEST_F(MusicAcrossStatesInGameTest, TheMusicGoesOnAtNoVolumeThroughAFocusLossAndASaveLoadedAndStopsInTheMenu)
{
    Jukebox& box = Box();
    ASSERT_GE(box.GetTrackCount(), 2) << "the sample's soundtrack has two tracks";
    ASSERT_TRUE(box.IsPlaying() && box.IsStreamPlaying()) << "the park's music starts with the park";

    // The volume down to nothing by the play list's button, one tenth a press (from a half, five presses and one
    // more that finds nothing to take): the track plays on, silent, and at its end the next one starts.
    ASSERT_TRUE(ClickCommand("ShowPlayList"));
    Run(5);
    for (int press = 0; press < 6; ++press)
        ASSERT_TRUE(ClickCommand("MP3_VolDown"));
    EXPECT_EQ(Sound().GetMusicVolume(), 0.0f);
    EXPECT_EQ(harness.GetGame().GetOptions().m_fMusicVol, 0.0f);
    const int32_t first = box.GetCurrentTrack();
    Mix(200);
    Run(3);
    EXPECT_TRUE(box.IsStreamPlaying()) << "a track at no volume is not over";
    EXPECT_EQ(box.GetCurrentTrack(), first);
    PlayToTheEnd();
    const int32_t second = box.GetCurrentTrack();
    EXPECT_NE(second, first) << "the track that ended at no volume was not followed by the next";
    EXPECT_TRUE(box.IsStreamPlaying());
    // Up again by a press, while the track plays: the track plays on at a tenth.
    ASSERT_TRUE(ClickCommand("MP3_VolUp"));
    EXPECT_NEAR(Sound().GetMusicVolume(), 0.1f, 1e-6f);
    EXPECT_EQ(box.GetCurrentTrack(), second);
    EXPECT_TRUE(box.IsStreamPlaying());
    ASSERT_TRUE(ClickCommand("ExitPlayList"));
    Run(5);

    // The program loses the focus: the music holds still however long it is away, and goes on with the same track
    // when the program comes back.
    harness.GetGame().Deactivate();
    EXPECT_TRUE(Sound().IsStreamPaused());
    PlayToTheEnd();
    Run(10);
    EXPECT_EQ(box.GetCurrentTrack(), second) << "the music moved on while the program was away";
    harness.GetGame().Activate();
    Run(2);
    EXPECT_FALSE(Sound().IsStreamPaused());
    EXPECT_TRUE(box.IsStreamPlaying());
    EXPECT_EQ(box.GetCurrentTrack(), second);

    // A save loaded from the front end: the menu's theme in between, the park's music again after, at the volume
    // the player left.
    ASSERT_TRUE(harness.GetGame().SaveToSlot(0));
    ASSERT_TRUE(harness.LoadFromMainMenu(0, 1));
    Run(5);
    EXPECT_TRUE(box.IsPlaying() && box.IsStreamPlaying()) << "the loaded park has no music";
    EXPECT_NEAR(Sound().GetMusicVolume(), 0.1f, 1e-6f);
    const int32_t loaded = box.GetCurrentTrack();
    PlayToTheEnd();
    EXPECT_NE(box.GetCurrentTrack(), loaded) << "the loaded park's music did not go on to the next track";
    EXPECT_TRUE(box.IsStreamPlaying());

    // The park left for the menu: the park's music stops and stays stopped however long the menu shows.
    harness.SelectScreen(Game::kMainMenuScreen);
    Run(30);
    EXPECT_FALSE(box.IsPlaying());
    const int32_t atMenu = box.GetCurrentTrack();
    PlayToTheEnd();
    Run(5);
    EXPECT_FALSE(box.IsPlaying());
    EXPECT_EQ(box.GetCurrentTrack(), atMenu);
    EXPECT_TRUE(running);
    ExpectNoReports();
}

// Every track of the play list gone from the data set (a broken install): the park runs without music, the play list
// opens empty with its track buttons greyed, and pressing them anyway does nothing.
TEST_F(MusicAcrossStatesInGameTest, WithNoTrackLeftThePlayListIsEmptyAndItsButtonsDoNothing)
{
    harness.Stop();
    namespace fs = std::filesystem;
    for (const auto& entry : fs::directory_iterator(harness.DataFolder() + "/data/soundtrack"))
        if (entry.path().filename().string().rfind("track", 0) == 0)
            fs::remove(entry.path());
    std::string why;
    ASSERT_TRUE(harness.Start(&why)) << why;
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    harness.RunFrames(10);
    pointer->MoveTo(400, 300);
    Settle();
    offsetX = 400 - g_pGameInput->GetMouseX();
    offsetY = 300 - g_pGameInput->GetMouseY();

    Jukebox& box = Box();
    EXPECT_EQ(box.GetTrackCount(), 0);
    EXPECT_EQ(harness.GetGame().GetOptions().GetPlayListCount(), 0);
    EXPECT_FALSE(box.IsPlaying());
    EXPECT_FALSE(Sound().IsStreamPlaying()) << "the menu's theme plays on in the park";
    ASSERT_TRUE(ClickCommand("ShowPlayList"));
    Run(5);
    ASSERT_NE(harness.GetGame().GetMp3Player().GetList(), nullptr);
    EXPECT_EQ(harness.GetGame().GetMp3Player().GetList()->GetRowCount(), 0);
    for (const char* command : Mp3Player::kButtons)
    {
        Button* button = Bound(command);
        ASSERT_NE(button, nullptr) << command;
        EXPECT_EQ(button->GetState(), Button::STATE_DISABLED) << command;
        ClickCommand(command);
        Run(2);
    }
    for (int32_t n = Mp3Player::CMD_SUN; n <= Mp3Player::CMD_PAUSE; ++n)
        harness.GetGame().GetMp3Player().Command(n);
    Run(5);
    EXPECT_EQ(box.GetTrackCount(), 0);
    EXPECT_FALSE(box.IsPlaying());
    ASSERT_TRUE(ClickCommand("ExitPlayList"));
    Run(5);
    EXPECT_FALSE(Gui().IsDialogOpen("PlayList"));
    EXPECT_TRUE(running);
    ExpectNoReports();
}

} // namespace
