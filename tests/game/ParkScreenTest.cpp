// Tests of the park screen in the running program: the real Game, in its window on a private X server, enters the
// sample park. Its frames show the park's ground and its buildings where they stand (and no longer once one is
// gone); the World is built on entry and destroyed on leaving, again on every entry; a scenario that cannot be
// built sends the player back to the front end; the credits screen takes the front end's tool mode.
#include "engine/core/EngineCore.h"
#include "engine/core/EngineInput.h"
#include "engine/core/GameInput.h"
#include "engine/media/SoundManager.h"
#include "engine/render/GraphicsManager.h"
#include "game/Game.h"
#include "game/Screens.h"
#include "gui/GUIManager.h"
#include "platform/Cursor.h"
#include "scripts/ObjectStates.h"
#include "tests/game/GameHarness.h"
#include "tests/platform/SdlTestEvents.h"
#include "world/BaseObject.h"
#include "world/CameraManager.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/ParkServices.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>

namespace
{

using gametest::CountShades;
using gametest::Frame;
using gametest::GameHarness;
using gametest::IsShadeOf;
using gametest::ShadesNear;

// The colours the sample data gives the ground and the two buildings' bodies (0xRRGGBB).
constexpr uint32_t kSand = 0xC8B47E;           // src/textures/DesertDistant.txt, letter s
constexpr uint32_t kStaffGreen = 0x709070;     // src/models/STAFFSMALL.txt, bone Body
constexpr uint32_t kFunHouseOrange = 0xE06010; // src/models/FUNHOUSE.txt
constexpr uint32_t kPlaceholder = 0xFF00FF;    // src/models/Alert.txt, shown for a model that is missing

// Whether most of the 5 x 5 pixels round the screen point of a scene point are of that colour.
bool ShowsAt(const Frame& frame, const platform::Vec3& scene, uint32_t colour)
{
    return gametest::ShadesNear(frame, scene, colour, 2) > 12;
}

// The middle of a building's body: its position raised by half the body's height.
platform::Vec3 BodyCentre(const BaseObject& building, float height)
{
    platform::Vec3 at = building.GetPosition();
    at.y += height / 2.0f;
    return at;
}

// A point of a building's roof (the top of its body, 3.8 from the middle to each side) 3 units from the middle
// towards the camera's eye: the part of the body the sun lights whatever the time of day (the sun stands towards +z
// and its light always falls on the roof), and which nothing on the roof hides from the eye.
platform::Vec3 RoofTowardsEye(const BaseObject& building, float height)
{
    const platform::Vec3 at = building.GetPosition();
    const platform::Vec3 eye = g_GraphicsManager.GetEyePosition();
    const platform::Vec3 towards = platform::Vec3Normalize({eye.x - at.x, 0.0f, eye.z - at.z});
    return {at.x + 3.0f * towards.x, at.y + height, at.z + 3.0f * towards.z};
}

// The middle of the side of a building's body (3.8 from the middle, `height` high) that faces the camera's eye:
// the side turned from the sun, which stands towards +z while the camera looks towards it.
platform::Vec3 SideTowardsEye(const BaseObject& building, float height)
{
    const platform::Vec3 at = building.GetPosition();
    const platform::Vec3 eye = g_GraphicsManager.GetEyePosition();
    const float dx = eye.x - at.x, dz = eye.z - at.z;
    if (std::fabs(dx) > std::fabs(dz))
        return {at.x + std::copysign(3.8f, dx), at.y + height / 2.0f, at.z};
    return {at.x, at.y + height / 2.0f, at.z + std::copysign(3.8f, dz)};
}

BaseObject* OnlyBuilding(const char* name)
{
    const std::vector<BaseObject*> found = g_pObjectManager->GetBuildingsByName(name);
    return found.size() == 1 ? found[0] : nullptr;
}

class ParkScreenTest : public gametest::StartedGameTest<>
{
};

TEST_F(ParkScreenTest, TheSampleParkShowsItsGroundAndItsBuildingsWhereTheyStand)
{
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    harness.RunFrames(3);
    Frame frame = harness.Screenshot();
    GameHarness::Keep(frame, "park");
    ASSERT_EQ(frame.pixels.size(), 800u * 600u);

    // The ground covers most of the frame, and every model in view is the sample's own, not the placeholder (the
    // rails of the queue cell at the end of the side path among them).
    EXPECT_GT(CountShades(frame, kSand), static_cast<int>(frame.pixels.size() * 4 / 10));
    EXPECT_EQ(CountShades(frame, kPlaceholder), 0);
    // Each building shows in its body's colour where it stands (the staff room's body is 2.5 high, the fun house's 6),
    // on the roof the sun lights.
    BaseObject* staffRoom = OnlyBuilding("STAFFSMALL");
    BaseObject* funHouse = OnlyBuilding("FUNHOUSE");
    ASSERT_TRUE(staffRoom && funHouse);
    EXPECT_TRUE(ShowsAt(frame, RoofTowardsEye(*staffRoom, 2.5f), kStaffGreen));
    EXPECT_TRUE(ShowsAt(frame, RoofTowardsEye(*funHouse, 6.0f), kFunHouseOrange));
    EXPECT_FALSE(ShowsAt(frame, RoofTowardsEye(*staffRoom, 2.5f), kFunHouseOrange));
    // The sides the sun does not light show their colour darker, not black: the day's light colour lights every
    // face a little.
    EXPECT_TRUE(ShowsAt(frame, SideTowardsEye(*funHouse, 6.0f), kFunHouseOrange));
    EXPECT_TRUE(ShowsAt(frame, SideTowardsEye(*staffRoom, 2.5f), kStaffGreen));
    const platform::Vec3 oldPlace = BodyCentre(*funHouse, 6.0f);

    // The fun house is demolished: the ground shows where it stood, and its colour nowhere.
    MessageRecord kill;
    kill.dwSender = kill.dwReciever = kWorldID;
    kill.dwType = MT_KILLOBJECT;
    kill.dwData = funHouse->GetID();
    g_pMessageHandler->Send(kill);
    harness.RunFrames(2);
    frame = harness.Screenshot();
    GameHarness::Keep(frame, "park-without-fun-house");
    ASSERT_EQ(OnlyBuilding("FUNHOUSE"), nullptr);
    EXPECT_EQ(CountShades(frame, kFunHouseOrange), 0);
    EXPECT_TRUE(ShowsAt(frame, {oldPlace.x, 0.0f, oldPlace.z}, kSand));
    EXPECT_TRUE(ShowsAt(frame, RoofTowardsEye(*staffRoom, 2.5f), kStaffGreen));

    // A new one west of the avenue shows there.
    g_pWorld->RequestBuilding("FUNHOUSE", 58, 21, 0, -1.0f, 0, false);
    harness.RunFrames(2);
    frame = harness.Screenshot();
    GameHarness::Keep(frame, "park-with-new-fun-house");
    funHouse = OnlyBuilding("FUNHOUSE");
    ASSERT_NE(funHouse, nullptr);
    EXPECT_LT(funHouse->GetPosition().x, oldPlace.x);
    EXPECT_TRUE(ShowsAt(frame, RoofTowardsEye(*funHouse, 6.0f), kFunHouseOrange));
    EXPECT_TRUE(ShowsAt(frame, {oldPlace.x, 0.0f, oldPlace.z}, kSand));
}

TEST_F(ParkScreenTest, TheWorldIsBuiltOnEntryRunByTheFramesAndDestroyedOnLeavingEveryTime)
{
    Game& game = harness.GetGame();
    WorldTestScreen& park = game.GetWorldScreen();
    EXPECT_EQ(g_pWorld, nullptr);
    for (int entry = 0; entry < 2; ++entry)
    {
        SCOPED_TRACE(entry);
        harness.RunFrames(1);
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        EXPECT_EQ(park.GetWorld(), g_pWorld);
        EXPECT_TRUE(g_pWorld->IsBuilt() && park.IsActive());
        // The world script's five buildings stand and its objective is set.
        EXPECT_EQ(g_pWorld->m_NumBuildings, 5);
        EXPECT_EQ(g_pWorld->m_iObjectiveCount, 1);
        // The park classes are registered while it exists.
        EXPECT_TRUE(GetObjectFactory(OBJECT_BUILDING) && GetParkServices());
        // The park runs one frame on entry, the last pass's time (a 720 s day opens at 09:00, 270 s in; the
        // entering pass itself takes no time), and one in every pass after it, each the driven clock's step.
        const float step = GameHarness::kFrameMilliseconds / 1000.0f;
        EXPECT_NEAR(g_pWorld->GetGameTime(), 270.0f + step, 0.002f);
        const float start = g_pWorld->GetGameTime();
        harness.RunFrames(30);
        EXPECT_NEAR(g_pWorld->GetGameTime() - start, 30 * step, 0.05f);
        EXPECT_EQ(game.GetGUIManager().GetRequestedMode(), 4); // the select tool
        EXPECT_EQ(game.GetGUIManager().GetScriptName(), "data/script/gui/GUI.PIS");
        // Leaving stops the camera following an object of the park.
        g_pCameraManager->TrackObject(g_pWorld->GetLastCreatedBuilding()->GetID());

        harness.SelectScreen(Game::kMainMenuScreen);
        EXPECT_EQ(g_pWorld, nullptr);
        EXPECT_EQ(park.GetWorld(), nullptr);
        EXPECT_FALSE(park.IsActive());
        EXPECT_EQ(g_pCameraManager->GetTrackedObject(), 0xFFFFFFFFu);
        // And the park layer's registrations are taken back.
        EXPECT_EQ(GetObjectFactory(OBJECT_BUILDING), nullptr);
        EXPECT_EQ(GetParkServices(), nullptr);
    }
}

TEST_F(ParkScreenTest, TheParksDebugLinesAreDrawnOverItsFrameWhenAskedFor)
{
    // The pixels that differ between two frames in the top quarter (above the buildings, whose status flags pulse).
    const auto changedAtTheTop = [](const Frame& a, const Frame& b)
    {
        int changed = 0;
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 800; ++x)
                changed += a.At(x, y) != b.At(x, y) ? 1 : 0;
        return changed;
    };
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    harness.RunFrames(2);
    const Frame before = harness.Screenshot();
    ASSERT_EQ(before.pixels.size(), 800u * 600u);
    harness.RunFrames(1);
    ASSERT_EQ(changedAtTheTop(harness.Screenshot(), before), 0);
    g_pWorld->SetDebugDisplay(0, true);
    ASSERT_FALSE(g_pWorld->GetDebugInfoLines().empty());
    harness.RunFrames(1);
    EXPECT_GT(changedAtTheTop(harness.Screenshot(), before), 500);
}

TEST_F(ParkScreenTest, AParkBuiltForASavedGameIsLeftForTheLoadToFinish)
{
    Game& game = harness.GetGame();
    game.SelectScreen(Game::kWorldTestScreen);
    game.GetWorldScreen().SetLoadPending(true);
    harness.RunFrames(1);
    ASSERT_NE(g_pWorld, nullptr);
    // No first frame has run (a 720 s day opens at 09:00, 270 s in), and the front end's tool mode stays.
    EXPECT_EQ(g_pWorld->GetGameTime(), 270.0f);
    EXPECT_EQ(game.GetGUIManager().GetRequestedMode(), 6);
}

TEST_F(ParkScreenTest, AScenarioThatCannotBeBuiltSendsThePlayerBackToTheFrontEnd)
{
    Game& game = harness.GetGame();
    // Scenario 2's file names no park location.
    {
        std::ofstream file(harness.DataFolder() + "/data/Scenario/Scenario2/Scenario2.pis", std::ios::trunc);
        file << "'WORLD_SCRIPT' \"data/Scenario/Scenario2/World.pis\"\n";
    }
    harness.EnterPark(1);
    ASSERT_FALSE(harness.Reports().boxes.empty());
    EXPECT_EQ(harness.Reports().boxes[0].text,
              "no WORLD_LEVEL in world script - data/Scenario//Scenario2/Scenario2.pis");
    EXPECT_EQ(g_pWorld, nullptr);
    EXPECT_EQ(game.GetWorldScreen().GetWorld(), nullptr);
    harness.RunFrames(1);
    EXPECT_EQ(game.GetCurrentScreen(), game.GetScreen(Game::kMainMenuScreen));
    EXPECT_FALSE(game.GetWorldScreen().IsActive());
    // The sample scenario still opens after it.
    harness.EnterPark(0);
    EXPECT_NE(g_pWorld, nullptr);
}

TEST_F(ParkScreenTest, TheCreditsAfterAWonParkUseTheFrontEndsToolMode)
{
    Game& game = harness.GetGame();
    harness.EnterPark(0);
    ASSERT_EQ(game.GetGUIManager().GetRequestedMode(), 4);
    harness.SelectScreen(Game::kGameWonScreen);
    EXPECT_EQ(g_pWorld, nullptr);
    EXPECT_EQ(game.GetGUIManager().GetRequestedMode(), 6);
}

// A park that opens while the program is in the background (the player looked away while it was loading) stays
// still and quiet until the player comes back, as one that was running when the player looked away does; coming back
// shows the pause box.
TEST_F(ParkScreenTest, AParkOpenedWhileTheProgramIsInTheBackgroundStartsPaused)
{
    Game& game = harness.GetGame();
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    game.ScanSaveGames();
    ASSERT_TRUE(game.SaveToSlot(0));
    harness.SelectScreen(Game::kMainMenuScreen);
    ASSERT_EQ(g_pWorld, nullptr);
    struct Case
    {
        const char* what;
        bool load;
    };
    for (const Case& c : {Case{"a new park", false}, Case{"a saved park", true}})
    {
        SCOPED_TRACE(c.what);
        game.Deactivate();
        ASSERT_TRUE(game.IsDeactivated());
        if (c.load)
        {
            game.ScanSaveGames();
            ASSERT_EQ(game.GetSaveGameCount(), 1);
            game.RequestLoad(0);
            harness.RunFrames(1);
        }
        else
            harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        const float opened = g_pWorld->GetGameTime();
        harness.RunFrames(30);
        EXPECT_TRUE(g_pWorld->IsPaused());
        EXPECT_EQ(g_pWorld->GetGameTime(), opened);
        const SoundManager& sound = game.GetSoundManager();
        EXPECT_TRUE(!sound.IsStreamPlaying() || sound.IsStreamPaused()) << "the park's music plays";
        game.Activate();
        harness.RunFrames(2);
        EXPECT_TRUE(game.GetGUIManager().IsDialogOpen("PauseBox"));
        EXPECT_TRUE(g_pWorld->IsPaused());
        harness.SelectScreen(Game::kMainMenuScreen);
    }
}

// Looking away and back leaves the park's music as the player had it: playing music plays on, music the player paused
// stays paused.
TEST_F(ParkScreenTest, LookingAwayAndBackLeavesTheMusicAsThePlayerHadIt)
{
    Game& game = harness.GetGame();
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    SoundManager& sound = game.GetSoundManager();
    ASSERT_TRUE(sound.IsStreamPlaying()) << "the park has no music";
    for (const bool pausedBefore : {true, false})
    {
        SCOPED_TRACE(pausedBefore ? "music paused before" : "music playing before");
        if (pausedBefore)
            sound.PauseStream();
        ASSERT_EQ(sound.IsStreamPaused(), pausedBefore);
        game.Deactivate();
        harness.RunFrames(5);
        EXPECT_TRUE(sound.IsStreamPaused()) << "the music plays in the background";
        game.Activate();
        harness.RunFrames(2);
        EXPECT_EQ(sound.IsStreamPaused(), pausedBefore);
        sound.ResumeStream();
        game.GetGUIManager().CloseAllDialogs();
        harness.RunFrames(2);
    }
}

TEST_F(ParkScreenTest, TheProgramShutsDownAndStartsAgainWithItsParkInTheSameProcess)
{
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    harness.Stop();
    // The Game, the park and the engine are gone; the options were written on the way out.
    EXPECT_TRUE(g_pGame == nullptr && g_pWorld == nullptr && g_pEngineCore == nullptr);
    EXPECT_TRUE(std::filesystem::exists(harness.UserFolder() + "/MRV2.ini"));
    EXPECT_FALSE(std::filesystem::exists(harness.DataFolder() + "/MRV2.ini"));
    std::string why;
    ASSERT_TRUE(harness.Start(&why)) << why;
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    harness.RunFrames(2);
    EXPECT_TRUE(ShowsAt(harness.Screenshot(), RoofTowardsEye(*OnlyBuilding("FUNHOUSE"), 6.0f), kFunHouseOrange));
}

// The right button held in the park turns the camera: the cursor is hidden and held in place. Leaving the park while
// it is still held, or in the very pass it is let go, gives the front end its cursor back, seen and free to move.
TEST_F(ParkScreenTest, LeavingTheParkWhileTheRightButtonTurnsTheCameraGivesTheFrontEndItsCursor)
{
    Game& game = harness.GetGame();
    constexpr uint8_t kRight = 3;
    for (bool letGoAsItGoes : {false, true})
    {
        SCOPED_TRACE(letGoAsItGoes ? "let go as the park goes" : "held as the park goes");
        harness.RunFrames(1);
        ASSERT_TRUE(platform::IsCursorVisible());
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        harness.RunFrames(2);
        sdltest::PushButton(kRight, true);
        harness.RunFrames(2);
        ASSERT_EQ(game.GetInput().GetRightButton(), GameInput::kHeld);
        // Turning: the cursor is out of sight and pinned.
        ASSERT_FALSE(platform::IsCursorVisible());
        ASSERT_TRUE(game.GetInput().IsLocked());

        if (letGoAsItGoes)
            sdltest::PushButton(kRight, false);
        harness.SelectScreen(Game::kMainMenuScreen);
        ASSERT_EQ(g_pWorld, nullptr);
        if (!letGoAsItGoes)
            sdltest::PushButton(kRight, false);
        harness.RunFrames(2);
        EXPECT_TRUE(platform::IsCursorVisible());
        EXPECT_FALSE(game.GetInput().IsLocked());
        EXPECT_FALSE(g_pEngineCore->m_pInput->IsMouseGrabbed());
    }
}

TEST(ParkScreen, TheScenarioFileIsNamedByItsNumberCountedFromOne)
{
    struct Case
    {
        int32_t index;
        bool sandbox;
        const char* file;
    };
    const Case cases[] = {
        {0, false, "data/Scenario//Scenario1/Scenario1.pis"},
        {2, false, "data/Scenario//Scenario3/Scenario3.pis"},
        {11, false, "data/Scenario//Scenario12/Scenario12.pis"},
        {0, true, "data/Scenario//SandScenario1/SandScenario1.pis"},
        {2, true, "data/Scenario//SandScenario3/SandScenario3.pis"},
        // A damaged save's scenario number names a file no data set has, counted on past the largest index.
        {INT32_MAX, false, "data/Scenario//Scenario2147483648/Scenario2147483648.pis"},
        {INT32_MAX, true, "data/Scenario//SandScenario2147483648/SandScenario2147483648.pis"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WorldTestScreen::ScenarioFileName(c.index, c.sandbox), c.file) << c.index << " " << c.sandbox;
}

} // namespace
