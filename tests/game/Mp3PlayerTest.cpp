// Tests of the music player's play list dialog with a real jukebox on the sound manager: the buttons that follow
// the selection, deleting the playing track, repeat, the filter modes' icons, moving, day and night music, and the
// tracks whose files are missing.
#include "game/Mp3Player.h"
#include "engine/core/GameOptions.h"
#include "engine/media/Jukebox.h"
#include "engine/media/SoundManager.h"
#include "game/Game.h"
#include "gui/Button.h"
#include "gui/GUIManager.h"
#include "gui/GuiCommands.h"
#include "gui/Image.h"
#include "gui/ListBox.h"
#include "gui/Text.h"
#include "platform/audio/Sound.h"
#include "tests/support/TestSupport.h"
#include "tools/soundtool/Tune.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace
{

// Silent MPEG-1 Layer III frames at 128 kbit/s, 44.1 kHz, 1,152 samples each (20: about half a second).
std::vector<uint8_t> SilentTrack(int frames = 20)
{
    std::vector<uint8_t> bytes;
    for (int i = 0; i < frames; ++i)
    {
        const uint8_t header[4] = {0xFF, 0xFB, 0x90, 0x44};
        bytes.insert(bytes.end(), header, header + 4);
        bytes.insert(bytes.end(), 417 - 4, 0x00);
    }
    return bytes;
}

const char* const kDialog = "DialogItem PlayList(0, 0, 400, 300, NONE, 1, 0)\n{\n"
                            "ListBox(10, 10, 330, 250, 332, 10, 346, 250, PlayList, 15, 10)\n"
                            "Button(10, 260, 40, 290, NONE, 0, NONE, MP3_MoveUp, NONE)\n"
                            "Button(50, 260, 80, 290, NONE, 0, NONE, MP3_MoveDown, NONE)\n"
                            "Button(90, 260, 120, 290, NONE, 0, NONE, MP3_Repeat, NONE)\n"
                            "Button(130, 260, 160, 290, NONE, 0, NONE, MP3_Sun, NONE)\n"
                            "}\n";

class Mp3PlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::SoundUseManualMixing(true);
        sound = std::make_unique<SoundManager>(true, "mp3playertest");
        for (int i = 0; i < 5; ++i)
            testsupport::WriteBytes(dir.File(Name(i)), SilentTrack());
        options = std::make_unique<GameOptions>(dir.File("options.ini"));
        options->ClearPlayList();
        // Tracks 0 to 4, alternately day and night music, and one whose file is missing.
        for (int i = 0; i < 5; ++i)
            options->AddPlayListEntry((dir.Path() + "/").c_str(), Name(i).c_str(), i % 2, -1);
        options->AddPlayListEntry((dir.Path() + "/").c_str(), "missing.mp3", 0, 666);
        Game::RegisterCommands();
        gui = std::make_unique<GUIManager>(nullptr);
        gui->LoadScriptText(kDialog, std::strlen(kDialog));
        player = std::make_unique<Mp3Player>(sound.get(), *options);
        player->SetFilterMode(Mp3Player::kFilterDayNight);
        player->Enable(true);
        ASSERT_NE(player->GetList(), nullptr);
    }
    void TearDown() override
    {
        player.reset();
        gui.reset();
        SetGuiCommandTables({}, {});
        options.reset();
        sound.reset();
        platform::SoundUseManualMixing(false);
    }
    static std::string Name(int i) { return "t" + std::to_string(i) + ".mp3"; }
    Jukebox& Box() const { return player->GetJukebox(); }
    ListBox& List() const { return *player->GetList(); }
    // The digits of the track files in list order.
    std::string Order() const
    {
        std::string names;
        for (int i = 0; i < Box().GetTrackCount(); ++i)
            names += Box().GetTrackFileName(i)[1];
        return names;
    }
    void Select(std::vector<int32_t> rows)
    {
        List().ClearSelection();
        for (size_t i = 0; i < rows.size(); ++i)
            List().Select(rows[i], i == 0);
    }
    int32_t ButtonState(const char* command) const
    {
        const GuiCommandHandler handler = ResolveGuiCommand(GetInGameCommands(), command);
        for (const auto& item : gui->GetItems())
            if (auto* button = dynamic_cast<Button*>(item.get()); button && button->GetCommand() == handler)
                return button->GetState();
        return -1;
    }
    int Images(const char* sprite) const
    {
        int n = 0;
        for (const auto& cell : List().GetCells())
            if (auto* image = dynamic_cast<Image*>(cell.widget.get()); image && cell.inUse)
                n += image->GetSpriteName() == sprite;
        return n;
    }
    // The colour of the first text cell of the row.
    uint32_t RowColour(int32_t row) const
    {
        for (const auto& cell : List().GetCells())
            if (auto* text = dynamic_cast<Text*>(cell.widget.get()); text && cell.inUse && cell.row == row)
                return text->GetColour();
        return 0xDEADBEEF;
    }

    testsupport::RecordingReportSink sink;
    testsupport::TempDir dir;
    std::unique_ptr<SoundManager> sound;
    std::unique_ptr<GameOptions> options;
    std::unique_ptr<GUIManager> gui;
    std::unique_ptr<Mp3Player> player;
};

// A track's time is measured from its file whatever time the options held for it, and the options keep it in whole
// seconds: 1,145 frames are 29.91 s, which the options hold as 29.
TEST_F(Mp3PlayerTest, EachTrackIsMeasuredAndTheOptionsKeepItsTimeInWholeSeconds)
{
    constexpr int kFrames = 1145;
    testsupport::WriteBytes(dir.File("long.mp3"), SilentTrack(kFrames));
    options->ClearPlayList();
    options->AddPlayListEntry((dir.Path() + "/").c_str(), "long.mp3", 0, 666);
    Mp3Player measured(sound.get(), *options);
    ASSERT_EQ(measured.GetJukebox().GetTrackCount(), 1);
    const double seconds = kFrames * 1152.0 / 44100.0;
    EXPECT_NEAR(measured.GetJukebox().GetTrackTime(0), seconds * 1000.0, 100.0);
    ASSERT_EQ(options->GetPlayListCount(), 1);
    EXPECT_EQ(options->GetPlayListTime(0), static_cast<int32_t>(seconds));
}

TEST_F(Mp3PlayerTest, TracksWithoutTheirFileAreDroppedFromTheJukeboxAndTheOptions)
{
    EXPECT_EQ(Box().GetTrackCount(), 5);
    ASSERT_EQ(options->GetPlayListCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(std::string(options->GetPlayListFile(i)), Name(i));
    EXPECT_EQ(List().GetRowCount(), 5);
}

TEST_F(Mp3PlayerTest, TwoSelectedRowsDisableMovingAndRepeatOneEnablesThemAgain)
{
    const struct
    {
        std::vector<int32_t> rows;
        bool disabled;
    } steps[] = {{{1}, false}, {{1, 3}, true}, {{0, 2, 4}, true}, {{2}, false}};
    for (const auto& step : steps)
    {
        Select(step.rows);
        player->Update(0.0f);
        for (const char* command : {"MP3_MoveUp", "MP3_MoveDown", "MP3_Repeat"})
            EXPECT_EQ(ButtonState(command) == Button::STATE_DISABLED, step.disabled)
                << command << " with " << step.rows.size() << " rows";
    }
    EXPECT_NE(ButtonState("MP3_Sun"), Button::STATE_DISABLED);
}

TEST_F(Mp3PlayerTest, DeletingThePlayingTrackStartsTheOneThatTookItsPlace)
{
    const struct
    {
        std::vector<int32_t> rows;
        int32_t current;
        bool play;
        std::string order;
        char nowFile;  // digit of the current track's file afterwards
        bool playing;  // the stream plays afterwards
        int32_t shown; // the row selected afterwards
    } cases[] = {
        {{1}, 1, true, "0234", '2', true, 1},     // the playing track goes: its follower plays
        {{1, 2}, 2, true, "034", '3', true, 1},   // two go, the current among them
        {{0}, 3, true, "1234", '3', true, 0},     // a track before the current one: the same track plays on
        {{3, 4}, 1, false, "012", '1', false, 2}, // not playing: nothing starts; the last row is shown
        {{4}, 4, false, "0123", '3', false, 3},   // the last track, not playing
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.order);
        Box().ClearTracks();
        for (int i = 0; i < 5; ++i)
            Box().AddTrack((dir.Path() + "/").c_str(), Name(i).c_str(), 0, -1);
        player->SetFilterMode(Mp3Player::kFilterAll);
        Box().SetCurrentTrack(c.current);
        if (c.play)
            Box().PlayCurrentTrack(false);
        else
            Box().Stop();
        player->FillList(true);
        Select(c.rows);
        player->Command(Mp3Player::CMD_DELETE);
        EXPECT_EQ(Order(), c.order);
        EXPECT_EQ(Box().GetTrackFileName(Box().GetCurrentTrack())[1], c.nowFile);
        EXPECT_EQ(Box().IsStreamPlaying(), c.playing);
        ASSERT_EQ(List().GetSelection().size(), 1u);
        EXPECT_EQ(List().GetSelection()[0], c.shown);
        EXPECT_EQ(options->GetPlayListCount(), static_cast<int32_t>(c.order.size()));
    }
}

// Deleting rows far down a long list selects and scrolls into view the row that now holds the last deleted place.
TEST_F(Mp3PlayerTest, DeletingFarDownShowsTheRowThatTookTheLastDeletedPlace)
{
    // Twenty tracks in a list that shows ten rows.
    for (int i = 0; i < 15; ++i)
        ASSERT_TRUE(Box().AddTrack((dir.Path() + "/").c_str(), Name(i % 5).c_str(), 0, 1000));
    player->FillList(true);
    ASSERT_EQ(List().GetRowCount(), 20);
    List().SetFirst(0);
    Select({15, 16});
    player->Command(Mp3Player::CMD_DELETE);
    // The last deleted place, 16, moved up by one less than the two deleted: row 15.
    ASSERT_EQ(List().GetSelection(), std::vector<int32_t>{15});
    EXPECT_LE(List().GetFirst(), 15);
    EXPECT_GT(List().GetFirst() + 10, 15);
}

TEST_F(Mp3PlayerTest, RepeatGreysTheOtherRowsAndMovesToItsTrack)
{
    Select({2});
    player->Command(Mp3Player::CMD_REPEAT);
    EXPECT_TRUE(Box().GetTrackRepeat(2));
    EXPECT_EQ(Box().GetCurrentTrack(), 2);
    EXPECT_TRUE(Box().IsStreamPlaying());
    EXPECT_EQ(Images("UI3_mp3_icon_repeat"), 1);
    for (int32_t row = 0; row < 5; ++row)
    {
        // Grey, and not see-through: a zero alpha draws nothing.
        EXPECT_EQ(RowColour(row) & 0xFFFFFFu, row == 2 ? 0u : 0x808080u) << row;
        EXPECT_EQ(RowColour(row) >> 24, 0xFFu) << row;
    }
    // Another track's repeat clears this one; the same track again switches it off.
    Select({4});
    player->Command(Mp3Player::CMD_REPEAT);
    EXPECT_FALSE(Box().GetTrackRepeat(2));
    EXPECT_TRUE(Box().GetTrackRepeat(4));
    Select({4});
    player->Command(Mp3Player::CMD_REPEAT);
    EXPECT_FALSE(Box().GetTrackRepeat(4));
    EXPECT_EQ(Images("UI3_mp3_icon_repeat"), 0);
    EXPECT_EQ(RowColour(0), 0xFF000000u);
}

// A row's cells stand where the list's columns are: the name at 0 (240 wide), the repeat icon at 240, the sun or moon
// at 255, the time at 285 (35 wide).
TEST_F(Mp3PlayerTest, EachRowsCellsStandInTheirColumns)
{
    Select({1});
    player->Command(Mp3Player::CMD_REPEAT);
    const struct
    {
        const char* what; // a sprite, or "name" / "time" for the row's first and second text
        int32_t x, width;
    } columns[] = {
        {"name", 0, 240}, {"UI3_mp3_icon_repeat", 240, -1}, {"UI3_mp3_icon_moon", 255, -1}, {"time", 285, 35}};
    for (const auto& c : columns)
    {
        int texts = 0;
        bool found = false;
        for (const auto& cell : List().GetCells())
        {
            if (!cell.inUse || cell.row != 1)
                continue;
            if (auto* image = dynamic_cast<Image*>(cell.widget.get()); image && image->GetSpriteName() == c.what)
            {
                EXPECT_EQ(cell.x, c.x) << c.what;
                found = true;
            }
            if (auto* text = dynamic_cast<Text*>(cell.widget.get()))
            {
                if (std::string(c.what) == (texts == 0 ? "name" : "time"))
                {
                    EXPECT_EQ(cell.x, c.x) << c.what;
                    EXPECT_EQ(text->GetRect().right - text->GetRect().left, c.width) << c.what;
                    found = true;
                }
                ++texts;
            }
        }
        EXPECT_TRUE(found) << c.what;
    }
}

TEST_F(Mp3PlayerTest, FilterModesShowOrHideTheSunAndMoonIcons)
{
    // Tracks 0, 2 and 4 are day music, 1 and 3 night music.
    EXPECT_EQ(Images("UI3_mp3_icon_sun"), 3);
    EXPECT_EQ(Images("UI3_mp3_icon_moon"), 2);
    player->Command(Mp3Player::CMD_FILTER_ALL);
    EXPECT_EQ(Images("UI3_mp3_icon_sun") + Images("UI3_mp3_icon_moon"), 0);
    EXPECT_EQ(ButtonState("MP3_Sun"), Button::STATE_DISABLED);
    EXPECT_EQ(Box().GetAttributeFilter(), Jukebox::kFilterAll);
    EXPECT_EQ(options->m_iPlayMode, 0);
    player->Command(Mp3Player::CMD_FILTER_DAY_NIGHT);
    EXPECT_EQ(Images("UI3_mp3_icon_sun"), 3);
    EXPECT_NE(ButtonState("MP3_Sun"), Button::STATE_DISABLED);
    EXPECT_EQ(options->m_iPlayMode, 1);
    // Marking rows as night music.
    Select({0, 2});
    player->Command(Mp3Player::CMD_MOON);
    EXPECT_EQ(Images("UI3_mp3_icon_moon"), 4);
    EXPECT_EQ(options->GetPlayListAttribute(2), 1);
}

// Shuffle with two or more rows selected mixes only those tracks among their own places; with fewer it mixes the whole
// list.
TEST_F(Mp3PlayerTest, ShuffleMixesTheSelectedTracksOnlyWhenTwoOrMoreAreSelected)
{
    ASSERT_EQ(Order(), "01234");
    const struct
    {
        std::vector<int32_t> rows;
        bool wholeList;
    } cases[] = {{{1, 3}, false}, {{0, 2, 4}, false}, {{2}, true}, {{}, true}};
    for (const auto& c : cases)
    {
        bool othersMoved = false, selectedMoved = false;
        for (int i = 0; i < 20; ++i)
        {
            const std::string before = Order();
            Select(c.rows);
            player->Command(Mp3Player::CMD_SHUFFLE);
            const std::string after = Order();
            for (size_t r = 0; r < before.size(); ++r)
            {
                const bool selected = std::find(c.rows.begin(), c.rows.end(), static_cast<int32_t>(r)) != c.rows.end();
                if (!selected)
                    othersMoved = othersMoved || after[r] != before[r];
                else
                    selectedMoved = selectedMoved || after[r] != before[r];
            }
            std::string a = before, b = after;
            std::sort(a.begin(), a.end());
            std::sort(b.begin(), b.end());
            ASSERT_EQ(a, b) << "a shuffle loses or repeats no track";
        }
        EXPECT_EQ(othersMoved, c.wholeList) << c.rows.size() << " rows selected";
        if (c.rows.size() >= 2)
        {
            EXPECT_TRUE(selectedMoved) << c.rows.size() << " rows selected";
        }
    }
}

TEST_F(Mp3PlayerTest, MovingATrackKeepsItSelected)
{
    const struct
    {
        int32_t command;
        int32_t row;
        std::string order;
        int32_t selected;
    } cases[] = {{Mp3Player::CMD_MOVE_UP, 2, "02134", 1},
                 {Mp3Player::CMD_MOVE_UP, 0, "01234", 0},
                 {Mp3Player::CMD_MOVE_DOWN, 1, "02134", 2},
                 {Mp3Player::CMD_MOVE_DOWN, 4, "01234", 4}};
    for (const auto& c : cases)
    {
        Box().ClearTracks();
        for (int i = 0; i < 5; ++i)
            Box().AddTrack((dir.Path() + "/").c_str(), Name(i).c_str(), 0, -1);
        player->FillList(true);
        Select({c.row});
        player->Command(c.command);
        EXPECT_EQ(Order(), c.order) << c.row;
        EXPECT_EQ(List().GetSelection(), std::vector<int32_t>{c.selected}) << c.row;
    }
}

TEST_F(Mp3PlayerTest, NightfallSwitchesAPlayingDayTrackToNightMusic)
{
    player->SetDayNight(false);
    Box().SetCurrentTrack(0);
    Box().PlayCurrentTrack(false);
    player->SetDayNight(true);
    EXPECT_EQ(Box().GetAttributeFilter(), 1);
    EXPECT_TRUE(Box().IsStreamPlaying());
    EXPECT_EQ(Box().GetTrackAttribute(Box().GetCurrentTrack()), 1);
    // Morning returns to the day track it left, then on to the next day track.
    player->SetDayNight(false);
    EXPECT_EQ(Box().GetAttributeFilter(), 0);
    EXPECT_EQ(Box().GetCurrentTrack(), 2);
    EXPECT_TRUE(Box().IsStreamPlaying());
}

// The time of day changes the music only when the list holds both day and night tracks: with one kind alone the
// playing track plays on.
TEST_F(Mp3PlayerTest, DayAndNightLeaveTheTrackPlayingWhenTheListHasOneKindOnly)
{
    const struct
    {
        int32_t attribute; // of every track
        bool night;        // the time of day that comes
    } cases[] = {{1, false}, {0, true}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.attribute);
        for (int32_t i = 0; i < Box().GetTrackCount(); ++i)
            Box().SetTrackAttribute(i, c.attribute);
        player->SetDayNight(!c.night);
        Box().SetCurrentTrack(3);
        Box().PlayCurrentTrack(false);
        player->SetDayNight(c.night);
        EXPECT_EQ(Box().GetAttributeFilter(), c.night ? 1 : 0);
        EXPECT_EQ(Box().GetCurrentTrack(), 3);
        EXPECT_TRUE(Box().IsStreamPlaying());
        // Nor does the next change of the day return to a remembered track.
        player->SetDayNight(!c.night);
        EXPECT_EQ(Box().GetCurrentTrack(), 3);
    }
}

TEST_F(Mp3PlayerTest, ResetBringsBackTheDefaultPlayListWithoutItsMissingFiles)
{
    player->Command(Mp3Player::CMD_REBUILD);
    EXPECT_EQ(Box().GetTrackCount(), 5);
    player->Update(0.0f);
    // The default list names tracks under data\soundtrack that this folder does not have.
    EXPECT_EQ(Box().GetTrackCount(), 0);
    EXPECT_EQ(options->GetPlayListCount(), 0);
    EXPECT_EQ(List().GetRowCount(), 0);
    player->Update(0.0f);
    EXPECT_EQ(ButtonState("MP3_MoveUp"), Button::STATE_DISABLED);
    player->Command(Mp3Player::CMD_PLAY); // nothing to play, nothing breaks
    EXPECT_FALSE(Box().IsStreamPlaying());
}

// Reset (command 15) in the sample data: the default list's shipped tracks come back and every button the empty list
// had disabled works again.
TEST_F(Mp3PlayerTest, ResetToTheShippedTracksEnablesEveryButtonAgain)
{
    const char* const buttons[] = {"MP3_MoveUp", "MP3_MoveDown", "MP3_Repeat", "MP3_Sun"};
    Select({0, 1, 2, 3, 4});
    player->Command(Mp3Player::CMD_DELETE);
    player->Update(0.0f);
    ASSERT_EQ(Box().GetTrackCount(), 0);
    for (const char* button : buttons)
        EXPECT_EQ(ButtonState(button), Button::STATE_DISABLED) << button;
    testsupport::ScopedCurrentDir here(std::string(TW_SOURCE_DIR) + "/sample-data");
    player->Command(Mp3Player::CMD_RESET);
    EXPECT_EQ(Box().GetTrackCount(), 2);
    EXPECT_EQ(List().GetRowCount(), 2);
    // The first shipped track is the one chosen.
    EXPECT_EQ(List().GetSelectedRows(), std::vector<int32_t>{0});
    for (const char* button : buttons)
        EXPECT_NE(ButtonState(button), Button::STATE_DISABLED) << button;
}

TEST_F(Mp3PlayerTest, TheVolumeButtonsStepTheMusicVolumeByATenthWithinTheRange)
{
    // (volume before, presses: +1 up, -1 down, volume after)
    const struct
    {
        float before;
        std::vector<int> presses;
        float after;
    } cases[] = {
        {0.5f, {+1}, 0.6f},         {0.5f, {-1}, 0.4f},
        {0.95f, {+1}, 1.0f},        {1.0f, {+1, +1}, 1.0f},
        {0.05f, {-1}, 0.0f},        {0.0f, {-1, -1, +1}, 0.1f},
        {0.3f, {+1, +1, +1}, 0.6f}, {0.7f, {-1, -1, -1, -1, -1, -1, -1}, 0.0f},
    };
    for (const auto& c : cases)
    {
        sound->SetMusicVolume(c.before);
        for (int press : c.presses)
            player->ChangeVolume(press * Mp3Player::kVolumeStep);
        EXPECT_NEAR(sound->GetMusicVolume(), c.after, 1e-5f) << c.before << " x" << c.presses.size();
        EXPECT_NEAR(options->m_fMusicVol, c.after, 1e-5f) << c.before << " x" << c.presses.size();
    }
}

TEST_F(Mp3PlayerTest, ThePlayListDialogOpensFilledAndClosingItWritesTheOptions)
{
    player->Enable(false); // the fixture filled the list without opening the dialog
    std::remove(dir.File("options.ini").c_str());
    ASSERT_FALSE(gui->IsDialogOpen("PlayList"));

    EXPECT_TRUE(player->ToggleDialog());
    EXPECT_TRUE(gui->IsDialogOpen("PlayList"));
    EXPECT_TRUE(player->IsDialogOpen());
    ASSERT_NE(player->GetList(), nullptr);
    EXPECT_EQ(List().GetRowCount(), 5); // the five tracks whose files exist

    EXPECT_FALSE(player->ToggleDialog());
    EXPECT_FALSE(gui->IsDialogOpen("PlayList"));
    EXPECT_FALSE(player->IsDialogOpen());
    EXPECT_TRUE(std::filesystem::exists(dir.File("options.ini")));

    EXPECT_TRUE(player->ToggleDialog()); // and open again
    EXPECT_TRUE(gui->IsDialogOpen("PlayList"));

    // Closed with every other dialog: one press opens it again.
    gui->CloseAllDialogs();
    ASSERT_FALSE(gui->IsDialogOpen("PlayList"));
    EXPECT_TRUE(player->ToggleDialog());
    EXPECT_TRUE(gui->IsDialogOpen("PlayList"));
    EXPECT_TRUE(player->IsDialogOpen());
}

// Closing the play list when the options file cannot be written (a folder in the way of the file written first):
// one report naming the file, and the file keeps what it held.
TEST_F(Mp3PlayerTest, ClosingThePlayListTellsWhenTheOptionsCannotBeWritten)
{
    player->Enable(false);
    ASSERT_TRUE(player->ToggleDialog());
    const std::string file = dir.File("options.ini");
    testsupport::WriteText(file, "kept");
    std::filesystem::create_directories(file + ".tmp/in-the-way");
    sink.boxes.clear();
    EXPECT_FALSE(player->ToggleDialog());
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_NE(sink.boxes[0].text.find(file), std::string::npos) << sink.boxes[0].text;
    EXPECT_EQ(testsupport::ReadText(file), "kept");
    std::filesystem::remove_all(file + ".tmp");
}

TEST_F(Mp3PlayerTest, AScriptWithoutThePlayListLeavesThePlayerClosed)
{
    player->Enable(false);
    const char* const other = "DialogItem Other(0, 0, 100, 100, NONE, 1, 0)\n{\n}\n";
    gui->LoadScriptText(other, std::strlen(other));
    EXPECT_FALSE(player->ToggleDialog());
    EXPECT_FALSE(player->IsDialogOpen());
    EXPECT_EQ(player->GetList(), nullptr);
}

TEST_F(Mp3PlayerTest, TheParksScriptHasThePlayListWithEveryButton)
{
    player->Enable(false);
    const std::string script =
        testsupport::ReadText(std::string(TW_SOURCE_DIR) + "/sample-data/src/data/script/gui/GUI.pis");
    ASSERT_FALSE(script.empty());
    gui->LoadScriptText(script.c_str(), script.size());
    ASSERT_TRUE(player->ToggleDialog());
    EXPECT_EQ(List().GetRowCount(), 5);
    for (const char* command : {"MP3_Sun", "MP3_Moon", "MP3_Repeat", "MP3_Shuffle", "MP3_Delete", "MP3_MoveUp",
                                "MP3_MoveDown", "MP3_AmpPlay", "MP3_VolUp", "MP3_VolDown", "ExitPlayList"})
        EXPECT_NE(ButtonState(command), -1) << command << " has no button";
}

TEST(Mp3PlayerCommandsTest, ThePlayListAndVolumeButtonsHaveTheirCommands)
{
    Game::RegisterCommands();
    for (const char* name : {"ShowPlayList", "ExitPlayList", "MP3_VolUp", "MP3_VolDown"})
        EXPECT_NE(ResolveGuiCommand(GetInGameCommands(), name), nullptr) << name;
    SetGuiCommandTables({}, {});
}

// The sample's tunes by name with their lengths in seconds (a beat for each note and rest), read from the tune list
// the tracks are made from.
std::map<std::string, double> TuneLengths()
{
    std::vector<soundtool::Tune> tunes;
    std::string error;
    EXPECT_TRUE(soundtool::ParseTunes(
        testsupport::ReadText(std::string(TW_SOURCE_DIR) + "/sample-data/src/soundtrack/tunes.txt"), &tunes, &error))
        << error;
    std::map<std::string, double> lengths;
    for (const soundtool::Tune& tune : tunes)
        lengths[tune.name] = static_cast<double>(tune.notes.size()) * tune.beat;
    return lengths;
}

// The title the sample's title list gives a tune, or "" when it gives none.
std::string TuneTitle(const std::string& name)
{
    std::ifstream in(std::string(TW_SOURCE_DIR) + "/sample-data/src/soundtrack/titles.txt");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(name + " ", 0) == 0)
            return line.substr(name.size() + 1);
    return "";
}

// The play list a first start has (the options' defaults) in the sample data: the shipped tracks stay, in order, the
// default entries with no file are dropped from the options too, and the first track plays.
TEST(Mp3PlayerSampleData, TheDefaultPlayListPlaysTheShippedTracks)
{
    platform::SoundUseManualMixing(true);
    testsupport::RecordingReportSink sink;
    testsupport::TempDir dir;
    {
        auto sound = std::make_unique<SoundManager>(true, "mp3playertest");
        GameOptions options(dir.File("options.ini"));
        options.SetDefaultPlayList();
        testsupport::ScopedCurrentDir here(std::string(TW_SOURCE_DIR) + "/sample-data");
        Mp3Player player(sound.get(), options);
        Jukebox& box = player.GetJukebox();
        ASSERT_EQ(box.GetTrackCount(), 2);
        EXPECT_STREQ(box.GetTrackFileName(0), "track1.mp3");
        EXPECT_STREQ(box.GetTrackFileName(1), "track2.mp3");
        ASSERT_EQ(options.GetPlayListCount(), 2);
        EXPECT_STREQ(options.GetPlayListFile(1), "track2.mp3");
        // Each track's length is its tune's, as the tune list writes it (its notes and rests at one beat each),
        // give or take the encoder's padding; the options keep it in whole seconds.
        const std::map<std::string, double> tunes = TuneLengths();
        for (int32_t i = 0; i < 2; ++i)
        {
            const std::string name = std::string(box.GetTrackFileName(i)).substr(0, 6);
            ASSERT_EQ(tunes.count(name), 1u) << name;
            const double seconds = tunes.at(name);
            EXPECT_GE(box.GetTrackTime(i), static_cast<int32_t>(seconds * 1000.0) - 30) << i;
            EXPECT_LE(box.GetTrackTime(i), static_cast<int32_t>(seconds * 1000.0) + 150) << i;
            EXPECT_EQ(options.GetPlayListTime(i), box.GetTrackTime(i) / 1000) << i;
            // Its tag names it with the title the title list gives it.
            ASSERT_NE(box.GetTrackTitle(i), nullptr);
            EXPECT_EQ(box.GetTrackTitle(i), TuneTitle(name)) << i;
        }
        box.PlayFirstTrack();
        EXPECT_TRUE(box.IsStreamPlaying());
        EXPECT_FALSE(box.HasOpenFailed());
        box.Stop();
    }
    platform::SoundUseManualMixing(false);
}

} // namespace
