// The front end's pages left and come back to by the pointer in the real program: what the main menu opened (its
// own dialog, the options) goes with the menu's page, and comes back once when the menu does.
#include "game/Game.h"
#include "gui/GUIManager.h"
#include "gui/ScreenListBox.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using gametest::GameHarness;

class FrontEndRoundsTest : public gametest::FrontEndPointerTest
{
protected:
    // The names of the dialogs open and not closing, front first.
    std::vector<std::string> OpenDialogs() const
    {
        std::vector<std::string> names;
        for (const GUIManager::DialogEntry& entry : Gui().GetOpenList())
            if (entry.state != GUIManager::ENTRY_CLOSING)
                names.emplace_back(entry.dialog->GetName());
        return names;
    }
};

// Each of the menu's page buttons, pressed while the options (opened from the menu's dialog) are up: the page it
// leads to shows without them, and its back button brings the menu with its one dialog, the options still gone.
TEST_F(FrontEndRoundsTest, TheOptionsOpenedFromTheMenuGoWithTheMenusPage)
{
    struct Case
    {
        const char* button;
        int y;            // the button's middle on the menu (MainMenu.pis), x 88
        const char* page; // the page it leads to
    };
    const Case cases[] = {
        {"start", 174, "StartScreen"},
        {"load", 254, "LoadScreen"},
        {"credits", 334, "CreditScreen"},
        {"exit", 414, "ExitScreen"},
    };
    Wait(1.5f);
    ASSERT_EQ(Page(), "MainMenu");
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.button);
        // The menu's Options button (MainMenu.pis: the dialog at (240, 110), the button at (60, 70) in it).
        Click(400, 197);
        Wait(0.5f);
        ASSERT_TRUE(Gui().IsDialogOpen("InGameOptions"));
        Click(88, c.y);
        Wait(1.5f);
        ASSERT_EQ(Page(), c.page);
        EXPECT_EQ(OpenDialogs(), std::vector<std::string>{}) << "a dialog of the menu stays over " << c.page;
        if (std::string(c.page) == "StartScreen")
        {
            // The scenario list's fifth row, where the options' panel stood: the press reaches the list.
            auto* list = dynamic_cast<ScreenListBox*>(Gui().FindItem(WT_SCREENLISTBOX, "ScenarioListBox"));
            ASSERT_NE(list, nullptr);
            Click(300, 110 + 4 * 18 + 9);
            Wait(0.3f);
            EXPECT_EQ(list->GetSelectedRows(), std::vector<int32_t>{4});
        }
        // Back (every page's button at (40, 520)).
        Click(88, 544);
        Wait(1.5f);
        ASSERT_EQ(Page(), "MainMenu");
        EXPECT_EQ(OpenDialogs(), std::vector<std::string>{"MainMenu"});
    }
    EXPECT_TRUE(running);
}

} // namespace
