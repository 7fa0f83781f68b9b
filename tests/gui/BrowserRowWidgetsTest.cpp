// Tests that the object browser's per-row buttons and number adjusters stay on their rows when the dialog holding the
// table is opened away from its home place, dragged, and given more rows between drags.
#include "gui/Button.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "gui/GuiParser.h"
#include "gui/GuiShell.h"
#include "gui/NumberAdjust.h"
#include "gui/ObjectBrowser.h"
#include "gui/PanelData.h"
#include "tests/gui/EmptyPanelData.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace
{

class Guest : public DialogListener
{
public:
    void GetVariable(const char*, platform::WString& text) override { text = u"1"; }
    void SetVariable(const char*, const DialogValue&) override {}
    void ResetPanelState() override {}
};

class Park : public EmptyPanelData
{
public:
    void ListGuests(std::vector<BrowserEntry>& out) override { out = guests; }
    DialogListener* FindObject(uint32_t id) override
    {
        const auto it = objects.find(id);
        return it == objects.end() ? nullptr : it->second.get();
    }
    void AddGuest(uint32_t id)
    {
        BrowserEntry e;
        e.id = id;
        e.kind = 3;
        guests.push_back(e);
        objects[id] = std::make_unique<Guest>();
    }
    std::vector<BrowserEntry> guests;
    std::map<uint32_t, std::unique_ptr<Guest>> objects;
};

using Shell = PanelDataShell;

// Rows are 10 pixels high; the go-to buttons start 4 pixels into their column, the adjusters at its left edge.
constexpr int32_t kRowHeight = 10;
constexpr int32_t kButtonContentX = 4;
const char* const kScript = "DialogItem Browser(100, 50, 400, 250, NONE, 1, 0)\n{\n"
                            "Table(10, 20, 210, 120, 215, 20, 225, 120, GUESTS, 10, 8, 1)\n{\n"
                            "<COL(0, 0, BUT_GOTO, 5, 60, 4, 0)>\n"
                            "<COL(0, 0, NUMADJ_PRICE, 60, 200, 0, 1)>\n}\n}\n";

struct Step
{
    int32_t dx = 0, dy = 0;  // the dialog is dragged by this much
    int32_t guestsAdded = 0; // then this many guests arrive and the table is refilled
};

struct Case
{
    const char* what;
    int32_t openDx, openDy; // where the dialog stands, from its home place, when it is first shown
    std::vector<Step> steps;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.what;
}

class RowWidgetsFollowTheDialog : public ::testing::TestWithParam<Case>
{
protected:
    void SetUp() override { gui.SetShell(&shell); }
    void TearDown() override { gui.SetShell(nullptr); }

    Park park;
    Shell shell{&park};
    GUIManager gui{nullptr};
};

TEST_P(RowWidgetsFollowTheDialog, EachRowsWidgetsStandOnThatRowOfTheirColumn)
{
    const Case& c = GetParam();
    park.AddGuest(1);
    park.AddGuest(2);
    const std::string text = kScript;
    GuiScript script = GuiParser(800, 600).Parse(text.data(), text.size());
    DialogItem* dialog = nullptr;
    Table* table = nullptr;
    for (const auto& item : script.items)
    {
        if (item->GetType() == WT_DIALOG)
            dialog = static_cast<DialogItem*>(item.get());
        else if (item->GetType() == WT_TABLE)
            table = static_cast<Table*>(item.get());
    }
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->GetColumns().size(), 2u);

    // Laid out at home and moved to its place, as a dialog is when it opens, then shown.
    dialog->Reposition(0, 0);
    dialog->Move(c.openDx, c.openDy);
    dialog->SetActive(true);
    uint32_t nextGuest = 3;
    for (const Step& step : c.steps)
    {
        dialog->Move(step.dx, step.dy);
        for (int32_t g = 0; g < step.guestsAdded; ++g)
            park.AddGuest(nextGuest++);
        if (step.guestsAdded > 0)
            table->Refresh();
    }

    const TableColumn& gotoColumn = *table->GetColumns()[0];
    const TableColumn& adjustColumn = *table->GetColumns()[1];
    const int32_t rows = static_cast<int32_t>(nextGuest - 1);
    ASSERT_EQ(gotoColumn.GetRowWidgets(), rows) << c.what;
    ASSERT_EQ(adjustColumn.GetRowWidgets(), rows) << c.what;
    for (int32_t k = 0; k < rows; ++k)
    {
        const GuiRect& button = gotoColumn.GetButton(static_cast<size_t>(k))->GetRect();
        EXPECT_EQ(button.left, gotoColumn.GetRect().left + kButtonContentX) << c.what << ", row " << k;
        EXPECT_EQ(button.top, gotoColumn.GetRect().top + k * kRowHeight) << c.what << ", row " << k;
        const GuiRect& adjust = adjustColumn.GetAdjuster(static_cast<size_t>(k))->GetRect();
        EXPECT_EQ(adjust.left, adjustColumn.GetRect().left) << c.what << ", row " << k;
        EXPECT_EQ(adjust.top, adjustColumn.GetRect().top + k * kRowHeight) << c.what << ", row " << k;
    }
    dialog->SetActive(false);
}

INSTANTIATE_TEST_SUITE_P(Dialog, RowWidgetsFollowTheDialog,
                         ::testing::Values(Case{"shown at home, dragged", 0, 0, {{30, 12, 0}}},
                                           Case{"shown at home, not dragged, more guests", 0, 0, {{0, 0, 2}}},
                                           Case{"shown where it was left, not dragged", 40, 10, {}},
                                           Case{"shown where it was left, dragged", 40, 10, {{30, 12, 0}}},
                                           Case{"shown where it was left, dragged back home", 40, 10, {{-40, -10, 0}}},
                                           Case{"dragged, more guests, dragged again", 0, 0, {{30, 0, 2}, {-20, 5, 0}}},
                                           Case{"shown where it was left, more guests, dragged twice",
                                                -25,
                                                15,
                                                {{0, 0, 1}, {10, 10, 0}, {5, -30, 0}}}));

} // namespace
