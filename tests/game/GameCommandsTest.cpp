// Tests of the game's command table: the panel buttons open their dialog and a second press closes it.
#include "game/Game.h"
#include "gui/GUIManager.h"
#include "gui/GuiCommands.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

TEST(GameCommands, EachPanelButtonOpensItsDialogAndASecondPressClosesIt)
{
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.Path());
    testsupport::RecordingReportSink reports;
    Game::RegisterCommands();
    GUIManager gui(nullptr);
    const std::string script = "Font(GuiFont7)\n"
                               "DialogItem MoneyPanel(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n"
                               "DialogItem IslandStatus(100, 0, 199, 99, NONE, 2, 0)\n{\n}\n"
                               "DialogItem TrainDisclaim(200, 0, 299, 99, NONE, 3, 0)\n{\n}\n";
    gui.LoadScriptText(script.data(), script.size());
    // The command's name and the dialog it toggles.
    const std::pair<const char*, const char*> cases[] = {
        {"MoneyPanel", "MoneyPanel"},
        {"IslandStatus", "IslandStatus"},
        {"TrainDisclaim", "TrainDisclaim"},
    };
    for (const auto& [command, dialog] : cases)
    {
        SCOPED_TRACE(command);
        const GuiCommandHandler handler = ResolveGuiCommand(GetInGameCommands(), command);
        ASSERT_NE(handler, nullptr);
        EXPECT_FALSE(gui.IsDialogOpen(dialog));
        handler(0);
        EXPECT_TRUE(gui.IsDialogOpen(dialog));
        handler(0);
        EXPECT_FALSE(gui.IsDialogOpen(dialog)) << "a second press closes it";
    }
    SetGuiCommandTables({}, {});
}

} // namespace
