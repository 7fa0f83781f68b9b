// Show training in the running program: the sample park's show arena enters training, one move is trained by real
// arrow key presses on the game's window in time with the beat, Escape asks to quit and the answer resumes or ends
// the mode; the park comes back as it was, with the scheduler's old scores.
#include "engine/core/GameInput.h"
#include "engine/media/SoundEventManager.h"
#include "engine/media/SoundManager.h"
#include "game/Game.h"
#include "game/ShowTraining.h"
#include "game/ShowTrainingEntry.h"
#include "game/ToolModes.h"
#include "gui/GUIManager.h"
#include "park/BuildingObject.h"
#include "park/ShowScheduler.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "tests/game/XPointer.h"
#include "tests/support/TestSupport.h"
#include "world/CameraManager.h"
#include "world/ModelObjects.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace
{

using namespace showtraining;

// The sample show's actor is a yellow box (src/models/shows/show_jump.txt).
constexpr uint32_t kActorColour = 0xFFE0D020u;
// The sample's training banner and score meter (src/sprites/VA2IGSprites.txt).
constexpr int kBannerWidth = 360;
// The count-in's numbers.
constexpr uint32_t kCountIn = 0xFF733D;
constexpr uint32_t kBannerFace = 0xF0D060;
constexpr uint32_t kMeterFace = 0x30A030;
constexpr uint32_t kMeterEdge = 0x104010;

class ShowTrainingInGameTest : public gametest::PointerGameTest
{
protected:
    void Prepare() override
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        harness.RunFrames(3);
        const std::vector<BaseObject*> arenas = g_pObjectManager->GetBuildingsByName("ARENA");
        ASSERT_EQ(arenas.size(), 1u);
        arena = dynamic_cast<BuildingObject*>(arenas[0]);
        ASSERT_NE(arena, nullptr);
        ASSERT_NE(arena->GetScheduler(), nullptr);
    }
    TrainingMode* Mode() const { return dynamic_cast<TrainingMode*>(Gui().GetCurrentMode()); }

    // Starts training the arena's show and runs until the first key is scored: the mode, or null when it never got
    // there.
    TrainingMode* TrainUntilScoring()
    {
        if (!StartShowTraining(Gui(), arena->GetScheduler(), false))
            return nullptr;
        harness.RunFrames(1);
        TrainingMode* mode = Mode();
        if (!mode || !mode->IsStarted())
            return nullptr;
        for (int i = 0; i < 600 && mode->GetGame()->GetState() != kScoring; ++i)
            harness.RunFrames(1);
        return mode->GetGame()->GetState() == kScoring ? mode : nullptr;
    }

    // The HUD writes its lines (the move's number and name, and what to do) on the banner: each line's rectangle
    // shows only the banner's face and the black words, nothing of the park and no letters of the banner's own; the
    // name stands out in a large font. The score's white bar, drawn once a key was judged, ends within the meter.
    static void ExpectTheHudsWordsOnTheBannerAndTheScoreInTheMeter(const gametest::Frame& frame)
    {
        ASSERT_FALSE(frame.pixels.empty());
        const int w = static_cast<int>(frame.width), h = static_cast<int>(frame.height);
        const int x0 = (w - kBannerWidth) / 2;
        const struct
        {
            const char* line;
            int x, y, width, height;
        } lines[] = {{"first line", x0 + 77, 47, 239, 15},
                     {"move name", x0 + 77, 62, 238, 34},
                     {"second line", x0 + 12, 111, 335, 15}};
        for (const auto& l : lines)
        {
            int stray = 0;
            for (int y = l.y; y < l.y + l.height; ++y)
                for (int x = l.x; x < l.x + l.width; ++x)
                    if (!gametest::NearRgb(frame.At(x, y), kBannerFace, 24) &&
                        !gametest::NearRgb(frame.At(x, y), 0x000000, 40))
                        ++stray;
            EXPECT_LT(stray, l.width * l.height / 50) << "the " << l.line << " is not written on the banner alone";
        }
        // The move's name is written in the large font: its letters stand at least twice as tall as the first line's.
        const auto inkHeight = [&](int x, int y, int width, int height)
        {
            int top = -1, bottom = -1;
            for (int yy = y; yy < y + height; ++yy)
                for (int xx = x; xx < x + width; ++xx)
                    if (gametest::NearRgb(frame.At(xx, yy), 0x000000, 40))
                    {
                        top = top < 0 ? yy : top;
                        bottom = yy;
                    }
            return top < 0 ? 0 : bottom - top + 1;
        };
        const int firstLine = inkHeight(lines[0].x, lines[0].y, lines[0].width, lines[0].height);
        ASSERT_GT(firstLine, 0) << "no first line is written";
        EXPECT_GE(inkHeight(lines[1].x, lines[1].y, lines[1].width, lines[1].height), 2 * firstLine)
            << "the move's name is not written large";
        // ... centred on the banner's text column: its black pixels on the banner right of the icon (in the name's
        // band) balance round the column's middle.
        int inkLeft = w, inkRight = -1;
        for (int y = lines[1].y; y < lines[1].y + lines[1].height; ++y)
            for (int x = x0 + 70; x < x0 + kBannerWidth; ++x)
                if (gametest::NearRgb(frame.At(x, y), 0x000000, 40))
                {
                    inkLeft = std::min(inkLeft, x);
                    inkRight = std::max(inkRight, x);
                }
        EXPECT_NEAR((inkLeft + inkRight) / 2, lines[1].x + lines[1].width / 2, 3) << "the move's name is off centre";
        // The meter's row: the meter's face and edge to its right end, then the white bar's right end.
        const int row = h - 132 + 8;
        int meterEnd = -1, barEnd = -1;
        for (int x = w - 383; x < w; ++x)
        {
            const uint32_t pixel = frame.At(x, row);
            if (gametest::NearRgb(pixel, kMeterFace, 24) || gametest::NearRgb(pixel, kMeterEdge, 24))
                meterEnd = x;
            if (gametest::NearRgb(pixel, 0xFFFFFF, 8))
                barEnd = x;
        }
        ASSERT_GE(barEnd, 0) << "no score bar is drawn";
        EXPECT_LT(barEnd, meterEnd) << "the score bar runs past the meter";
    }

    BuildingObject* arena = nullptr;
};

TEST_F(ShowTrainingInGameTest, TrainsTheFirstMoveByKeysThenQuitsKeepingTheOldScores)
{
    ShowScheduler& scheduler = *arena->GetScheduler();
    const std::vector<float> oldScores = scheduler.GetScores();
    ASSERT_FALSE(oldScores.empty());
    const size_t boxes = harness.Reports().boxes.size();
    const size_t debugLength = harness.Reports().debug.size();
    ASSERT_TRUE(StartShowTraining(Gui(), &scheduler, false));
    harness.RunFrames(1);
    ASSERT_EQ(Gui().GetMode(), MODE_TRAINING);
    TrainingMode* mode = Mode();
    ASSERT_NE(mode, nullptr);
    ASSERT_TRUE(mode->IsStarted());
    EXPECT_TRUE(g_pWorld->IsPaused());
    // The crowd falls silent; the training's own sounds are not muted with it.
    ASSERT_NE(g_pSoundEventManager, nullptr);
    EXPECT_TRUE(g_pSoundEventManager->IsCrowdMuted());

    // Set-up and count-in: at most the opening animation and five seconds. Each number of the count-in is shown
    // large in the middle of the screen, in the colour of its "get ready".
    int countInPixels = -1;
    int readyPixels = -1;
    for (int i = 0; i < 600 && mode->GetGame()->GetState() != kScoring; ++i)
    {
        harness.RunFrames(1);
        if (countInPixels < 0 && mode->GetGame()->GetState() == kReady && mode->GetGame()->GetCountIn() == 2)
        {
            const gametest::Frame frame = harness.Screenshot();
            ASSERT_FALSE(frame.pixels.empty());
            gametest::GameHarness::Keep(frame, "show-training-count-in");
            const int middle = static_cast<int>(frame.width) / 2;
            countInPixels = gametest::CountNearRgb(frame, middle - 82, 200, middle + 82, 320, kCountIn, 40);
            readyPixels = gametest::CountNearRgb(frame, 0, 150, static_cast<int>(frame.width), 170, kCountIn, 40);
        }
    }
    ASSERT_EQ(mode->GetGame()->GetState(), kScoring);
    EXPECT_GT(countInPixels, 1000) << "the count-in's number is not shown large";
    EXPECT_GT(readyPixels, 40) << "the count-in's line asking the player to get ready is not written above the number";

    // The sample's first move, JUMP, is trained by "1234": up, left, down, right, one a beat.
    const unsigned long keys[] = {XK_Up, XK_Left, XK_Down, XK_Right};
    const float start = mode->GetGame()->GetTime();
    for (int beat = 0; beat < 4; ++beat)
    {
        // Up to the frame before the beat, then the key: the game sees it within a frame of the beat.
        const float due = start + static_cast<float>(beat) * 0.625f;
        while (mode->GetGame()->GetTime() + 0.033f < due)
            harness.RunFrames(1);
        Key(keys[beat]);
    }
    for (int i = 0; i < 60 && mode->GetGame()->GetState() == kScoring; ++i)
        harness.RunFrames(1);
    EXPECT_EQ(mode->GetGame()->GetState(), kAdded);
    EXPECT_EQ(mode->GetGame()->GetKeysJudged(), 4);
    // Each key within two frames of its beat: at least 1 - 0.066 / 0.3125 each.
    EXPECT_GE(mode->GetGame()->GetScores()[0], 0.78f);
    // The added move is performed: the actor (the sample's yellow box) jumps in the arena's pool.
    for (int i = 0; i < 30 && mode->GetGame()->GetSubState() < 2; ++i)
        harness.RunFrames(1);
    ASSERT_GE(mode->GetGame()->GetSubState(), 2);
    harness.RunFrames(5);
    const gametest::Frame frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "show-training");
    EXPECT_GT(gametest::ShadesNear(frame, arena->GetPosition(), kActorColour, 120), 20);
    ExpectTheHudsWordsOnTheBannerAndTheScoreInTheMeter(frame);
    EXPECT_NE(mode->GetActor()->GetModel(), 0u);
    // The actor stands where the arena stands, turned as it is.
    const platform::Vec3 &at = mode->GetActor()->GetPosition(), &turn = mode->GetActor()->GetOrientation();
    EXPECT_FLOAT_EQ(at.x, arena->GetPosition().x);
    EXPECT_FLOAT_EQ(at.y, arena->GetPosition().y);
    EXPECT_FLOAT_EQ(at.z, arena->GetPosition().z);
    EXPECT_FLOAT_EQ(turn.x, arena->GetOrientation().x);
    EXPECT_FLOAT_EQ(turn.y, arena->GetOrientation().y);
    EXPECT_FLOAT_EQ(turn.z, arena->GetOrientation().z);

    // Escape asks to quit and freezes the game; resuming goes on where it stopped.
    Key(XK_Escape);
    ASSERT_TRUE(mode->IsQuitPending());
    const float frozen = mode->GetGame()->GetTime();
    harness.RunFrames(10);
    EXPECT_EQ(mode->GetGame()->GetTime(), frozen);
    mode->AnswerQuit(false);
    EXPECT_FALSE(mode->IsQuitPending());
    harness.RunFrames(10);
    EXPECT_GT(mode->GetGame()->GetTime(), frozen);

    // Quitting ends the mode: the park is back, the scheduler keeps its old scores.
    Key(XK_Escape);
    ASSERT_TRUE(mode->IsQuitPending());
    mode->AnswerQuit(true);
    harness.RunFrames(2);
    EXPECT_EQ(Gui().GetMode(), MODE_SELECT);
    EXPECT_FALSE(Gui().IsLocked());
    EXPECT_FALSE(g_pWorld->IsPaused());
    EXPECT_EQ(scheduler.GetScores(), oldScores);
    EXPECT_FALSE(g_pSoundEventManager->IsCrowdMuted());
    EXPECT_TRUE(running);
    // Training the sample's show reports nothing: its sprites, sounds and texts are all there.
    EXPECT_EQ(harness.Reports().boxes.size(), boxes);
    EXPECT_EQ(harness.Reports().debug.substr(debugLength), "");
}

// A data set without the large font still names the move on the banner, in the GUI's font; the missing font is
// reported by name.
TEST_F(ShowTrainingInGameTest, WithoutTheLargeFontTheMoveIsStillNamed)
{
    for (const char* file : {"GuiFont20b.Dat", "GuiFont20b.tga", "GuiFont20bTexCoord.Dat"})
        ASSERT_TRUE(std::filesystem::remove(harness.DataFolder() + "/data/Fonts/" + file)) << file;
    ASSERT_TRUE(StartShowTraining(Gui(), arena->GetScheduler(), false));
    harness.RunFrames(1);
    TrainingMode* mode = Mode();
    ASSERT_NE(mode, nullptr);
    for (int i = 0; i < 600 && mode->GetGame()->GetState() < kReady; ++i)
        harness.RunFrames(1);
    ASSERT_GE(mode->GetGame()->GetState(), kReady);
    harness.RunFrames(2);
    const gametest::Frame frame = harness.Screenshot();
    ASSERT_FALSE(frame.pixels.empty());
    const int x0 = (static_cast<int>(frame.width) - kBannerWidth) / 2;
    EXPECT_GT(gametest::CountNearRgb(frame, x0 + 77, 62, x0 + 77 + 238, 62 + 34, 0x000000, 40), 20)
        << "the move's name is not written";
    bool named = false;
    for (const auto& box : harness.Reports().boxes)
        named = named || box.text.find("GuiFont20b") != std::string::npos;
    EXPECT_TRUE(named || harness.Reports().debug.find("GuiFont20b") != std::string::npos)
        << "the missing font is not reported";
}

TEST_F(ShowTrainingInGameTest, RefusedForAShowWithoutScheduledMovesOrForAnotherObject)
{
    EXPECT_FALSE(StartShowTraining(Gui(), nullptr, false));
    EXPECT_FALSE(StartShowTraining(Gui(), arena, false));
    harness.RunFrames(1);
    EXPECT_NE(Gui().GetMode(), MODE_TRAINING);

    // The mode asked for with no show building in the selection: the select tool comes back, the park untouched.
    const bool paused = g_pWorld->IsPaused();
    Gui().SetSelection(ShowScheduler::kBuildingSelection, -1);
    Gui().SetSelection(ShowScheduler::kTrainSelection, 1);
    Gui().SetMode(MODE_TRAINING);
    harness.RunFrames(1);
    ASSERT_NE(Mode(), nullptr);
    EXPECT_FALSE(Mode()->IsStarted());
    harness.RunFrames(1);
    EXPECT_EQ(Gui().GetMode(), MODE_SELECT);
    EXPECT_FALSE(Gui().IsLocked());
    EXPECT_EQ(g_pWorld->IsPaused(), paused);
}

// The park stays paused and hidden under the training and its preview: the pause key, pressed while a move is
// trained, while the quit question waits or while the preview plays, does not set the park running behind them.
TEST_F(ShowTrainingInGameTest, ThePauseKeyDoesNotSetTheParkRunningBehindTheTraining)
{
    for (const bool preview : {false, true})
    {
        SCOPED_TRACE(preview ? "preview" : "training");
        ASSERT_FALSE(g_pWorld->IsPaused());
        ASSERT_TRUE(StartShowTraining(Gui(), arena->GetScheduler(), preview));
        harness.RunFrames(1);
        TrainingMode* mode = Mode();
        ASSERT_NE(mode, nullptr);
        ASSERT_TRUE(mode->IsStarted());
        const float parkTime = g_pWorld->m_fGameTime;
        for (int press = 0; press < 3; ++press)
        {
            Key(XK_p);
            harness.RunFrames(3);
            EXPECT_TRUE(g_pWorld->IsPaused()) << "after " << press + 1 << " presses";
        }
        if (!preview)
        {
            Key(XK_Escape);
            ASSERT_TRUE(mode->IsQuitPending());
            Key(XK_p);
            harness.RunFrames(3);
            EXPECT_TRUE(g_pWorld->IsPaused()) << "while the quit question waits";
            mode->AnswerQuit(true);
        }
        else
            Key(XK_Escape);
        EXPECT_EQ(g_pWorld->m_fGameTime, parkTime) << "the park's clock ran under the training";
        harness.RunFrames(2);
        ASSERT_EQ(Gui().GetMode(), MODE_SELECT);
        // The park runs again as it did before, with no pause box left over.
        EXPECT_FALSE(g_pWorld->IsPaused());
        EXPECT_FALSE(Gui().IsDialogOpen("PauseBox"));
        Gui().CloseAllDialogs();
        harness.RunFrames(2);
    }
    EXPECT_TRUE(running);
}

// The player looks away from the program and back while a show is trained: the training goes on as it was, with no
// pause box hidden behind it to take the pointer from its quit question, and the park runs again after it.
TEST_F(ShowTrainingInGameTest, LookingAwayAndBackLeavesNoHiddenPauseBoxBehindTheTraining)
{
    Game& game = harness.GetGame();
    ASSERT_TRUE(StartShowTraining(Gui(), arena->GetScheduler(), false));
    harness.RunFrames(1);
    TrainingMode* mode = Mode();
    ASSERT_NE(mode, nullptr);
    ASSERT_TRUE(mode->IsStarted());
    ASSERT_TRUE(Gui().IsLocked());
    // The park's music waits while the show is trained.
    ASSERT_TRUE(game.GetSoundManager().IsStreamPaused());
    const float parkTime = g_pWorld->m_fGameTime;
    game.Deactivate();
    harness.RunFrames(2);
    game.Activate();
    harness.RunFrames(2);
    EXPECT_TRUE(g_pWorld->IsPaused());
    EXPECT_TRUE(game.GetSoundManager().IsStreamPaused()) << "the park's music plays under the training";
    EXPECT_FALSE(Gui().IsDialogOpen("PauseBox")) << "a pause box the training hides has opened";
    EXPECT_FALSE(Gui().IsModalDialogOpen());
    Key(XK_Escape);
    ASSERT_TRUE(mode->IsQuitPending());
    mode->AnswerQuit(true);
    EXPECT_EQ(g_pWorld->m_fGameTime, parkTime) << "the park's clock ran under the training";
    harness.RunFrames(2);
    ASSERT_EQ(Gui().GetMode(), MODE_SELECT);
    EXPECT_FALSE(g_pWorld->IsPaused());
    EXPECT_FALSE(Gui().IsDialogOpen("PauseBox"));
    EXPECT_FALSE(game.GetSoundManager().IsStreamPaused()) << "the park's music stays silent after the training";
    EXPECT_TRUE(running);
}

// The park's toolbar is hidden while a show is trained, and its buttons take no clicks there: none opens a panel
// or a question the player cannot see behind the training, nor one that waits for the player after it.
TEST_F(ShowTrainingInGameTest, TheHiddenToolbarTakesNoClicks)
{
    ASSERT_TRUE(StartShowTraining(Gui(), arena->GetScheduler(), false));
    harness.RunFrames(1);
    TrainingMode* mode = Mode();
    ASSERT_NE(mode, nullptr);
    ASSERT_TRUE(mode->IsStarted());
    // Where the sample's toolbar buttons stand (src/data/script/gui/GUI.pis), and what each would open; the quit
    // button's question is modal, so it comes last.
    const struct
    {
        const char* button;
        int x, y;
        const char* dialog;
    } buttons[] = {{"lists", 620, 518, "ObjectBrowser"},
                   {"research", 760, 548, "ResearchMenu"},
                   {"money", 760, 518, "MoneyPanel"},
                   {"quit", 760, 578, "ExitConfirmBox"}};
    for (const auto& b : buttons)
    {
        Click(b.x, b.y);
        harness.RunFrames(3);
        EXPECT_FALSE(Gui().IsDialogOpen(b.dialog)) << "the hidden " << b.button << " button opened " << b.dialog;
    }
    EXPECT_FALSE(Gui().IsModalDialogOpen());
    EXPECT_EQ(Gui().GetMode(), MODE_TRAINING);
    Key(XK_Escape);
    ASSERT_TRUE(mode->IsQuitPending());
    mode->AnswerQuit(true);
    harness.RunFrames(2);
    ASSERT_EQ(Gui().GetMode(), MODE_SELECT);
    for (const auto& b : buttons)
        EXPECT_FALSE(Gui().IsDialogOpen(b.dialog)) << b.dialog << " waits after the training";
    EXPECT_TRUE(running);
}

// The question Escape asks is seen over the training, though every other dialog is hidden while it runs: its
// white line of words (the sample's "TrainQuitConfirm" at 250, 230, its text 10 px in, 30 px high) shows on the
// screen, and goes with the answer.
TEST_F(ShowTrainingInGameTest, TheQuitQuestionIsSeenOverTheTraining)
{
    ASSERT_NE(TrainUntilScoring(), nullptr);
    const auto whites = [](const gametest::Frame& frame)
    {
        int count = 0;
        for (int y = 240; y < 270; ++y)
            for (int x = 260; x < 540; ++x)
                if (frame.Contains(x, y) && (frame.At(x, y) & 0xF0F0F0) == 0xF0F0F0)
                    ++count;
        return count;
    };
    const gametest::Frame before = harness.Screenshot();
    ASSERT_EQ(std::pair(before.width, before.height), std::pair(800u, 600u));
    Key(XK_Escape);
    ASSERT_TRUE(Mode()->IsQuitPending());
    harness.RunFrames(2);
    const int asked = whites(harness.Screenshot());
    EXPECT_GT(asked, whites(before) + 50);
    Mode()->AnswerQuit(false);
    harness.RunFrames(2);
    EXPECT_LT(whites(harness.Screenshot()), asked - 50);
}

// The radar is hidden while a show is trained, and a click where its map lies leaves the camera on the arena.
TEST_F(ShowTrainingInGameTest, TheHiddenRadarDoesNotTurnTheCameraAway)
{
    // The camera has settled on the arena once the keys are scored.
    ASSERT_NE(TrainUntilScoring(), nullptr);
    harness.RunFrames(5);
    const platform::Vec3 eye = g_pCameraManager->GetEye(), look = g_pCameraManager->GetLookAt();
    // The radar's map stands in the top left corner of the park's screen.
    for (const int at : {30, 60})
    {
        Click(at, at);
        harness.RunFrames(10);
        for (const auto& [was, now] :
             {std::pair{eye, g_pCameraManager->GetEye()}, std::pair{look, g_pCameraManager->GetLookAt()}})
        {
            EXPECT_NEAR(now.x, was.x, 1e-2f) << "after a click at " << at;
            EXPECT_NEAR(now.y, was.y, 1e-2f) << "after a click at " << at;
            EXPECT_NEAR(now.z, was.z, 1e-2f) << "after a click at " << at;
        }
    }
    EXPECT_EQ(Gui().GetMode(), MODE_TRAINING);
    EXPECT_TRUE(running);
}

TEST_F(ShowTrainingInGameTest, ThePreviewEndsOnEscape)
{
    ASSERT_TRUE(StartShowTraining(Gui(), arena->GetScheduler(), true));
    harness.RunFrames(1);
    TrainingMode* mode = Mode();
    ASSERT_NE(mode, nullptr);
    ASSERT_TRUE(mode->IsStarted());
    EXPECT_TRUE(mode->GetGame()->IsPreview());
    EXPECT_EQ(mode->GetGame()->GetState(), kPreview);
    EXPECT_TRUE(Gui().IsLocked());
    harness.RunFrames(10);
    Key(XK_Escape);
    harness.RunFrames(1);
    EXPECT_EQ(Gui().GetMode(), MODE_SELECT);
    EXPECT_FALSE(Gui().IsLocked());
    EXPECT_FALSE(g_pWorld->IsPaused());
}

// A park GUI whose script has no quit question for the training: the park's script is read with that dialog under
// another name (the scrambled file holds every byte inverted).
class ShowTrainingWithoutQuitQuestionTest : public ShowTrainingInGameTest
{
protected:
    void Prepare() override
    {
        const std::string file = harness.DataFolder() + "/data/script/gui/GUI.ble";
        std::vector<uint8_t> bytes = testsupport::ReadBytes(file);
        ASSERT_FALSE(bytes.empty());
        std::string text(bytes.size(), '\0');
        std::transform(bytes.begin(), bytes.end(), text.begin(), [](uint8_t b) { return static_cast<char>(~b); });
        const std::string from = "DialogItem TrainQuitConfirm(", to = "DialogItem TrainQuitUnasked(";
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, from.size(), to);
        std::transform(text.begin(), text.end(), bytes.begin(), [](char c) { return static_cast<uint8_t>(~c); });
        testsupport::WriteBytes(file, bytes);
        ShowTrainingInGameTest::Prepare();
    }
};

// Escape cannot ask whether to quit: the training does not freeze for good with nobody to answer, it ends, and the
// park comes back with the scheduler's old scores.
TEST_F(ShowTrainingWithoutQuitQuestionTest, EscapeLeavesTheTrainingKeepingTheOldScores)
{
    ShowScheduler& scheduler = *arena->GetScheduler();
    const std::vector<float> oldScores = scheduler.GetScores();
    ASSERT_NE(TrainUntilScoring(), nullptr);
    Key(XK_Escape);
    harness.RunFrames(2);
    EXPECT_FALSE(Gui().IsDialogOpen(TrainingMode::kQuitDialog));
    EXPECT_EQ(Gui().GetMode(), MODE_SELECT);
    EXPECT_FALSE(Gui().IsLocked());
    EXPECT_FALSE(g_pWorld->IsPaused());
    EXPECT_EQ(scheduler.GetScores(), oldScores);
    EXPECT_TRUE(running);
}

} // namespace

// The park's music, paused by the player or playing, waits while a show is trained or previewed; after it, the music
// is as the player left it: music the player paused is not set playing by the training's end.
TEST_F(ShowTrainingInGameTest, TheParkMusicIsLeftAsThePlayerSetIt)
{
    Game& game = harness.GetGame();
    SoundManager& sound = game.GetSoundManager();
    ASSERT_FALSE(sound.IsStreamPaused());
    ASSERT_TRUE(sound.IsStreamPlaying()) << "the park has no music to pause";
    for (const bool preview : {false, true})
    {
        for (const bool pausedBefore : {true, false})
        {
            SCOPED_TRACE(std::string(preview ? "preview" : "training") +
                         (pausedBefore ? ", music paused before" : ", music playing before"));
            if (pausedBefore)
                sound.PauseStream();
            ASSERT_EQ(sound.IsStreamPaused(), pausedBefore);
            ASSERT_TRUE(StartShowTraining(Gui(), arena->GetScheduler(), preview));
            harness.RunFrames(1);
            TrainingMode* mode = Mode();
            ASSERT_NE(mode, nullptr);
            ASSERT_TRUE(mode->IsStarted());
            EXPECT_TRUE(sound.IsStreamPaused()) << "the park's music plays under the training";
            Key(XK_Escape);
            if (!preview)
            {
                ASSERT_TRUE(mode->IsQuitPending());
                mode->AnswerQuit(true);
            }
            harness.RunFrames(2);
            ASSERT_EQ(Gui().GetMode(), MODE_SELECT);
            EXPECT_EQ(sound.IsStreamPaused(), pausedBefore);
            sound.ResumeStream();
            Gui().CloseAllDialogs();
            harness.RunFrames(2);
        }
    }
    EXPECT_TRUE(running);
}
