// The park's in-game keys reaching the GUI (the menus, the panels, the pause box), the money chord, and the
// removal step closing the panels of the objects it removes.
#include "tests/world/ParkTestSupport.h"
#include "tests/world/WorldTestSupport.h"

#include "engine/core/Cursor.h"
#include "gui/GUIManager.h"
#include "platform/Input.h"
#include "world/Player.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using parktest::RecordingPark;
using parktest::Scenario;

namespace
{

class DrivenWorld : public World
{
public:
    using World::OnKeyPressed;
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
