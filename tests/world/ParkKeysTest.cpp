// The park's in-game keys reaching the GUI (the menus, the panels, the pause box), the money chord, and the
// removal step closing the panels of the objects it removes.
#include "tests/world/ParkTestSupport.h"
#include "tests/world/WorldTestSupport.h"

#include "engine/core/Cursor.h"
#include "gui/GUIManager.h"
#include "platform/Input.h"
#include "world/CameraManager.h"
#include "world/Player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

using parktest::RecordingPark;
using parktest::Scenario;

namespace
{

class DrivenWorld : public World
{
public:
    using World::OnDebugKey;
    using World::OnKeyPressed;
    using World::StepDebugChords;
    using World::StepMoneyChord;
    using World::World;
};

const char kPanels[] = "DialogItem PauseBox(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n"
                       "DialogItem LoadGameMenu(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n"
                       "DialogItem SaveGameMenu(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n"
                       "DialogItem InGameOptions(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n"
                       "DialogItem BuildPanel(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n"
                       "DialogItem SceneryPanel(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n";

std::vector<std::string> OpenDialogs(const GUIManager& gui)
{
    std::vector<std::string> names;
    for (const char* name : {"PauseBox", "LoadGameMenu", "SaveGameMenu", "InGameOptions", "BuildPanel", "SceneryPanel"})
        if (gui.IsDialogOpen(name))
            names.push_back(name);
    return names;
}

} // namespace

TEST(ParkKeys, EachInGameKeyOpensItsMenuOrPanelAndThePauseKeyThePauseBox)
{
    Scenario scenario;
    RecordingPark park;
    testsupport::RecordingReportSink reports;
    Cursor cursor;
    DrivenWorld world(&cursor, nullptr, scenario.WriteStandardWorldFile().c_str(), false);
    GUIManager gui(nullptr);
    gui.LoadScriptText(kPanels, sizeof kPanels - 1);

    using Open = std::vector<std::string>;
    const struct
    {
        int key;
        Open open;
        bool paused;
    } steps[] = {
        {platform::kKeyF5, {"LoadGameMenu"}, false},  {platform::kKeyF5, {}, false},
        {platform::kKeyF4, {"SaveGameMenu"}, false},  {platform::kKeyF4, {}, false},
        {platform::kKeyF2, {"InGameOptions"}, false}, {platform::kKeyF2, {}, false},
        {platform::kKeyP, {"PauseBox"}, true},        {platform::kKeyP, {}, false},
        {platform::kKeyB, {"BuildPanel"}, false},     {platform::kKeyS, {"SceneryPanel"}, false},
    };
    for (const auto& step : steps)
    {
        world.OnKeyPressed(step.key);
        EXPECT_EQ(OpenDialogs(gui), step.open) << "key " << step.key;
        EXPECT_EQ(world.IsPaused(), step.paused) << "key " << step.key;
    }
}

TEST(ParkKeys, TheMoneyChordNeedsItsModifierHeldAndItsKeyPressed)
{
    Scenario scenario;
    RecordingPark park;
    testsupport::RecordingReportSink reports;
    Cursor cursor;
    DrivenWorld world(&cursor, nullptr, scenario.WriteStandardWorldFile().c_str(), false);
    ASSERT_NE(world.GetPlayer(), nullptr);
    const float start = world.GetPlayer()->Cash;
    const struct
    {
        bool held, pressed;
        float added;
    } steps[] = {{false, true, 0.0f}, {true, false, 0.0f}, {true, true, 5000.0f}, {true, true, 5000.0f}};
    float expected = start;
    for (const auto& step : steps)
    {
        world.StepMoneyChord(step.held, step.pressed);
        expected += step.added;
        EXPECT_FLOAT_EQ(world.GetPlayer()->Cash, expected) << step.held << step.pressed;
    }
    // The chord's keys clash with no in-game key.
    for (int key : World::kParkKeys)
        for (int chord : World::kMoneyChord)
            EXPECT_NE(key, chord);
}

TEST(ParkKeys, RemovingAnObjectClosesItsPanelsAndNoOthers)
{
    worldtest::Park park;
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.Path());
    GUIManager gui(nullptr);
    const char script[] = "DialogItem GuestPanel(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n"
                          "DialogItem OtherPanel(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n";
    gui.LoadScriptText(script, sizeof script - 1);
    worldtest::Probe* going = park.Make(OBJECT_GUEST);
    worldtest::Probe* staying = park.Make(OBJECT_GUEST);
    ASSERT_TRUE(gui.OpenDialog("GuestPanel", going));
    ASSERT_TRUE(gui.OpenDialog("OtherPanel", staying));
    going->SetWaitingForDeath(true);
    park.world->Update(0.0f);
    EXPECT_FALSE(gui.IsDialogOpen("GuestPanel"));
    EXPECT_TRUE(gui.IsDialogOpen("OtherPanel"));
}

TEST(ParkKeys, TheDebugChordsSwitchTheDebugKeysOnAndOffWithBothModifiersHeld)
{
    Scenario scenario;
    RecordingPark park;
    testsupport::RecordingReportSink reports;
    Cursor cursor;
    DrivenWorld world(&cursor, nullptr, scenario.WriteStandardWorldFile().c_str(), false);
    const struct
    {
        bool held, on, off;
        bool keys;
    } steps[] = {{false, true, false, false}, {true, false, false, false}, {true, true, false, true},
                 {false, false, true, true},  {true, false, true, false},  {true, true, true, false}};
    for (const auto& step : steps)
    {
        world.StepDebugChords(step.held, step.on, step.off);
        EXPECT_EQ(world.AreDebugKeysOn(), step.keys) << step.held << step.on << step.off;
    }
    // The chords' keys and the debug keys clash with no park key, the money chord or each other.
    std::vector<int> taken(std::begin(World::kParkKeys), std::end(World::kParkKeys));
    taken.push_back(World::kMoneyChord[1]);
    for (int key : {World::kDebugOnKey, World::kDebugOffKey})
        for (int other : taken)
            EXPECT_NE(key, other);
    for (int key : World::kDebugKeys)
        for (int other : taken)
            EXPECT_NE(key, other);
    taken.insert(taken.end(), std::begin(World::kDebugKeys), std::end(World::kDebugKeys));
    std::sort(taken.begin(), taken.end());
    EXPECT_EQ(std::adjacent_find(taken.begin(), taken.end()), taken.end());
}

TEST(ParkKeys, WhileTheDebugKeysAreOnTheSpeedKeysDoubleAndHalveAndTheFlagKeysSwitch)
{
    Scenario scenario;
    RecordingPark park;
    testsupport::RecordingReportSink reports;
    Cursor cursor;
    DrivenWorld world(&cursor, nullptr, scenario.WriteStandardWorldFile().c_str(), false);
    // Off: the speed keys only step the speed level (1, 2, 4) and the debug keys do nothing.
    world.OnKeyPressed(platform::kKeyEquals);
    EXPECT_FLOAT_EQ(world.GetGameSpeed(), 2.0f);
    world.OnDebugKey(platform::kKeyF9);
    EXPECT_FALSE(world.IsDebugDisplayOn(0));
    world.OnKeyPressed(platform::kKeyMinus);
    EXPECT_FLOAT_EQ(world.GetGameSpeed(), 1.0f);

    world.StepDebugChords(true, true, false);
    ASSERT_TRUE(world.AreDebugKeysOn());
    // Level 0 to 1 makes 2, doubled 4; then the level stays at 2 (4), doubled 8.
    const struct
    {
        int key;
        float speed;
    } speeds[] = {{platform::kKeyEquals, 4.0f},
                  {platform::kKeyEquals, 8.0f},
                  {platform::kKeyMinus, 1.0f},
                  {platform::kKeyMinus, 0.5f},
                  {platform::kKeyMinus, 0.5f}};
    for (const auto& s : speeds)
    {
        world.OnKeyPressed(s.key);
        EXPECT_FLOAT_EQ(world.GetGameSpeed(), s.speed) << s.key;
    }
    // The debug step alone doubles up to 256 and then drops back to 16.
    for (float expected = 1.0f; expected <= 256.0f; expected *= 2.0f)
    {
        world.OnDebugKey(platform::kKeyEquals);
        EXPECT_FLOAT_EQ(world.GetGameSpeed(), expected);
    }
    world.OnDebugKey(platform::kKeyEquals);
    EXPECT_FLOAT_EQ(world.GetGameSpeed(), 16.0f);
    const struct
    {
        int key;
        bool first, second, wire;
    } flags[] = {{platform::kKeyF9, true, false, false},
                 {platform::kKeyF10, true, true, false},
                 {platform::kKeyF11, true, true, true},
                 {platform::kKeyF9, false, true, true},
                 {platform::kKeyF11, false, true, false}};
    for (const auto& f : flags)
    {
        world.OnDebugKey(f.key);
        EXPECT_EQ(world.IsDebugDisplayOn(0), f.first) << f.key;
        EXPECT_EQ(world.IsDebugDisplayOn(1), f.second) << f.key;
        EXPECT_EQ(world.IsWireframe(), f.wire) << f.key;
    }
}

TEST(ParkKeys, TheDebugCameraKeysMakeTrackingFreeAndMouseCamerasCurrent)
{
    Scenario scenario;
    RecordingPark park;
    testsupport::RecordingReportSink reports;
    Cursor cursor;
    CameraManager cameras;
    DrivenWorld world(&cursor, nullptr, scenario.WriteStandardWorldFile().c_str(), false);
    cameras.SetCamera(4, true);
    world.OnDebugKey(platform::kKeyF7);
    EXPECT_EQ(cameras.GetCurrentType(), 4) << "the debug keys are off";
    world.StepDebugChords(true, true, false);
    const struct
    {
        int key, type;
    } steps[] = {{platform::kKeyF7, 0}, {platform::kKeyF8, 2}, {platform::kKeyF6, 1}};
    for (const auto& s : steps)
    {
        world.OnDebugKey(s.key);
        EXPECT_EQ(cameras.GetCurrentType(), s.type) << s.key;
    }
}
