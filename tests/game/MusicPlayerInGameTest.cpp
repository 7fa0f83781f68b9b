// The park's music player in the running program, by the pointer: the toolbar's music button opens the play list
// with the sample's tracks written legibly in their rows; a row chosen and played becomes the current track, the
// volume buttons step the music's volume, a track deleted leaves the list, and OK closes it.
#include "engine/media/Jukebox.h"
#include "engine/media/SoundManager.h"
#include "game/Mp3Player.h"
#include "gui/ListBox.h"
#include "gui/Text.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

namespace
{

// The play list's corner on the screen; its rows 20 high from (10, 30) on it, 320 wide.
constexpr int kLeft = 200;
constexpr int kTop = 90;
constexpr int kRowTop = kTop + 30;
constexpr int kRowHeight = 20;

class MusicPlayerInGameTest : public gametest::FirstParkPointerTest
{
protected:
    Mp3Player& Player() const { return harness.GetGame().GetMp3Player(); }
    // The dark pixels of the list's row: its track's name written there shows some.
    static int RowTextPixels(const gametest::Frame& frame, int row)
    {
        const int top = kRowTop + row * kRowHeight;
        return gametest::CountNearRgb(frame, kLeft + 12, top, kLeft + 320, top + kRowHeight, 0x000000, 60);
    }
    // The font of the row's name.
    int32_t RowFont(int32_t row) const
    {
        for (const ListBox::Cell& cell : Player().GetList()->GetCells())
            if (cell.row == row)
                if (const auto* text = dynamic_cast<const Text*>(cell.widget.get()))
                    return text->GetFont();
        return -1;
    }
    // The row's second text, its track's time, as the list holds it.
    std::u16string RowTime(int32_t row) const
    {
        int texts = 0;
        for (const ListBox::Cell& cell : Player().GetList()->GetCells())
            if (cell.row == row && cell.inUse)
                if (const auto* text = dynamic_cast<const Text*>(cell.widget.get()); text && texts++ == 1)
                    return text->GetText();
        return u"(none)";
    }
};

TEST_F(MusicPlayerInGameTest, ThePlayListShowsItsTracksAndPlaysDeletesAndStepsTheVolume)
{
    Jukebox& jukebox = Player().GetJukebox();
    const int32_t tracks = jukebox.GetTrackCount();
    ASSERT_GE(tracks, 2) << "the sample's soundtrack has two tracks";

    ASSERT_TRUE(ClickCommand("ShowPlayList"));
    Run(5);
    ASSERT_TRUE(Gui().IsDialogOpen("PlayList"));
    ListBox* list = Player().GetList();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetRowCount(), tracks);
    gametest::Frame frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "play-list");
    // Each track's name is written in its row, the selected one's on its highlight too; below them, nothing.
    for (int row = 0; row < tracks; ++row)
        EXPECT_GT(RowTextPixels(frame, row), 30) << "row " << row;
    EXPECT_EQ(RowTextPixels(frame, tracks), 0);

    // Another row chosen and played: its track is the current one, written in the current track's font.
    const int32_t other = jukebox.GetCurrentTrack() == 0 ? 1 : 0;
    Click(kLeft + 100, kRowTop + other * kRowHeight + kRowHeight / 2);
    ASSERT_EQ(list->GetSelection(), std::vector<int32_t>{other});
    ASSERT_TRUE(ClickCommand("MP3_AmpPlay"));
    Run(2);
    EXPECT_EQ(jukebox.GetCurrentTrack(), other);
    EXPECT_EQ(RowFont(other), 1);
    EXPECT_EQ(RowFont(1 - other), 0);
    // Every row's time is written whole in its column, the current track's too.
    for (int32_t row = 0; row < tracks; ++row)
    {
        const int32_t seconds = jukebox.GetTrackTime(row) / 1000;
        ASSERT_GT(seconds, 0) << "the sample's tracks are measured";
        const std::string expected =
            std::to_string(seconds / 60) + ":" + (seconds % 60 < 10 ? "0" : "") + std::to_string(seconds % 60);
        EXPECT_EQ(RowTime(row), std::u16string(expected.begin(), expected.end())) << "row " << row;
    }

    // The volume: a step up, then two down.
    ASSERT_NE(g_pSoundManager, nullptr);
    SoundManager& sound = *g_pSoundManager;
    const float volume = sound.GetMusicVolume();
    ASSERT_GE(volume, 0.1f);
    ASSERT_LE(volume, 0.9f);
    ASSERT_TRUE(ClickCommand("MP3_VolUp"));
    EXPECT_NEAR(sound.GetMusicVolume(), volume + 0.1f, 1e-4f);
    ASSERT_TRUE(ClickCommand("MP3_VolDown"));
    ASSERT_TRUE(ClickCommand("MP3_VolDown"));
    EXPECT_NEAR(sound.GetMusicVolume(), volume - 0.1f, 1e-4f);

    // The chosen track deleted: one row fewer, the other track left.
    const std::string kept = jukebox.GetTrackFileName(1 - other);
    Click(kLeft + 100, kRowTop + other * kRowHeight + kRowHeight / 2);
    ASSERT_TRUE(ClickCommand("MP3_Delete"));
    Run(2);
    ASSERT_EQ(jukebox.GetTrackCount(), tracks - 1);
    EXPECT_EQ(list->GetRowCount(), tracks - 1);
    EXPECT_EQ(std::string(jukebox.GetTrackFileName(0)), kept);

    ASSERT_TRUE(ClickCommand("ExitPlayList"));
    Run(5);
    EXPECT_FALSE(Gui().IsDialogOpen("PlayList"));
    EXPECT_TRUE(running);
    ExpectNoReports();
}

// A row clicked with a Control key held joins the rows chosen before, whether the key went down frames before the
// click or in the same frame as it (a quick hand, a slow frame).
TEST_F(MusicPlayerInGameTest, AControlClickAddsItsRowEvenWhenControlWentDownWithTheClick)
{
    ASSERT_GE(Player().GetJukebox().GetTrackCount(), 2);
    ASSERT_TRUE(ClickCommand("ShowPlayList"));
    Run(5);
    ASSERT_TRUE(Gui().IsDialogOpen("PlayList"));
    ListBox* list = Player().GetList();
    ASSERT_NE(list, nullptr);
    const struct
    {
        unsigned long key;
        bool sameFrame;
    } cases[] = {{XK_Control_L, false}, {XK_Control_L, true}, {XK_Control_R, false}, {XK_Control_R, true}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << (c.key == XK_Control_L ? "left" : "right") << " Control"
                                          << (c.sameFrame ? ", with the click" : ", frames before"));
        Click(kLeft + 100, kRowTop + kRowHeight / 2);
        ASSERT_EQ(list->GetSelection(), std::vector<int32_t>{0});
        Move(kLeft + 100, kRowTop + kRowHeight + kRowHeight / 2);
        pointer->Key(c.key, true);
        if (!c.sameFrame)
            Settle();
        pointer->Button(1, true);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        Run(2);
        pointer->Button(1, false);
        Settle();
        pointer->Key(c.key, false);
        Settle();
        EXPECT_EQ(list->GetSelection(), (std::vector<int32_t>{0, 1}));
    }
}

} // namespace
