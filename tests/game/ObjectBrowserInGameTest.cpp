// The object browser in the running program, by the pointer: the park's lists of guests, buildings, animals and
// staff on their pages, each filter chosen from its drop-down list reordering its rows and naming its figure, a row's
// button opening that object's panel, and the staff button opening the staff page, which hires.
#include "engine/core/TextFormat.h"
#include "engine/core/TextTable.h"
#include "gui/ComboBox.h"
#include "gui/ObjectBrowser.h"
#include "gui/VariableWidgets.h"
#include "park/AnimalObject.h"
#include "park/BuildingObject.h"
#include "park/GuestObject.h"
#include "park/StaffObject.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

// The browser's pages start at (28, 120) on the screen; their tables' rows are 20 high from 162; a row's button
// stands in its column from x 398; the headers of the four pages lie along y 94 to 116.
constexpr int kRowTop = 162;
constexpr int kGotoX = 404;
constexpr int kHeaderY = 105;
constexpr int kHeaderX[4] = {73, 167, 261, 355};
constexpr int kGuestsPage = 0, kBuildingsPage = 1, kAnimalsPage = 2, kStaffPage = 3;
// The combo boxes' kinds: guests, buildings, staff and animals.
constexpr int32_t kGuestFilter = 0, kBuildingFilter = 2, kStaffFilter = 3, kAnimalFilter = 4;

class ObjectBrowserInGameTest : public gametest::FirstParkPointerTest
{
protected:
    template <typename W> W* Find(int32_t type, bool (*match)(const W&, int32_t), int32_t key) const
    {
        for (const auto& item : Gui().GetItems())
            if (item->GetType() == type && match(*static_cast<W*>(item.get()), key))
                return static_cast<W*>(item.get());
        return nullptr;
    }
    Table* TableOf(int32_t source) const
    {
        return Find<Table>(
            WT_TABLE, [](const Table& t, int32_t s) { return t.GetSource() == s; }, source);
    }
    ComboBox* ComboOf(int32_t kind) const
    {
        return Find<ComboBox>(
            WT_COMBOBOX, [](const ComboBox& c, int32_t k) { return c.GetKind() == k; }, kind);
    }
    // The browser's page shown now (-1 without one).
    int32_t CurrentPage() const
    {
        const Widget* browser = Gui().FindItem(WT_DIALOG, "ObjectBrowser");
        for (const auto& item : Gui().GetItems())
            if (browser && item->GetType() == WT_TABWINDOW && item->GetDialogIndex() == browser->GetDialogIndex())
            {
                const auto* window = static_cast<const TabWindow*>(item.get());
                const std::vector<Tab*> tabs = window->GetTabs();
                return static_cast<int32_t>(std::find(tabs.begin(), tabs.end(), window->GetCurrent()) - tabs.begin());
            }
        return -1;
    }
    // Opens the drop-down list of the combo box and clicks the entry of that value.
    void Choose(int32_t kind, int32_t value)
    {
        ComboBox* combo = ComboOf(kind);
        ASSERT_NE(combo, nullptr);
        const GuiRect box = combo->GetRect();
        Click((box.left + box.right) / 2, (box.top + box.bottom) / 2);
        Run(2);
        ASSERT_TRUE(combo->IsOpen()) << "the list did not drop down";
        const std::vector<ComboBox::Entry>& entries = combo->GetEntries();
        const auto entry =
            std::find_if(entries.begin(), entries.end(), [&](const ComboBox::Entry& e) { return e.value == value; });
        ASSERT_NE(entry, entries.end());
        const int32_t index = static_cast<int32_t>(entry - entries.begin());
        const GuiRect panel = combo->GetPanel()->GetRect();
        const int32_t shown = (panel.bottom - panel.top - 2) / combo->GetRowHeight();
        // The wheel over the list scrolls it until the entry shows.
        Move((panel.left + panel.right) / 2 - 20, (panel.top + panel.bottom) / 2);
        for (int turn = 0; turn < 40 && (index < combo->GetFirst() || index >= combo->GetFirst() + shown); ++turn)
        {
            const unsigned wheel = index < combo->GetFirst() ? 4 : 5;
            pointer->Button(wheel, true);
            pointer->Button(wheel, false);
            Settle();
        }
        const int32_t row = index - combo->GetFirst();
        ASSERT_TRUE(row >= 0 && row < shown) << "the entry does not show in the list";
        const int32_t y = panel.top + 1 + row * combo->GetRowHeight() + combo->GetRowHeight() / 2;
        Click((panel.left + panel.right) / 2 - 20, y);
        Run(2);
        EXPECT_FALSE(combo->IsOpen());
    }
    void ClickGoto(int row) { Click(kGotoX, kRowTop + 20 * row + 7); }
    void ClickPage(int page)
    {
        Click(kHeaderX[page], kHeaderY);
        Run(2);
    }
    // The rows of the table as objects of the type.
    template <typename T> std::vector<T*> Rows(int32_t source) const
    {
        std::vector<T*> rows;
        for (uint32_t id : TableOf(source)->GetRowIds())
            rows.push_back(dynamic_cast<T*>(g_pObjectManager->GetObject(id)));
        return rows;
    }
    // The objects of the kind that are not on their way out of the park.
    static size_t Count(uint8_t kind)
    {
        size_t n = 0;
        for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(kind))
            n += object->IsWaitingForDeath() ? 0 : 1;
        return n;
    }
    // The brown text pixels along a row of the table, between two x on the screen.
    int RowWritten(const gametest::Frame& frame, int row, int left, int right) const
    {
        const int top = kRowTop + 20 * row;
        return gametest::CountNearRgb(frame, left, top, right, top + 20, gametest::kPanelText, 24);
    }
};

TEST_F(ObjectBrowserInGameTest, TheGuestsPageListsTheGuestsInTheOrderOfTheChosenFilter)
{
    g_pWorld->SetGameSpeedLevel(2);
    const auto ofGender = [](int32_t gender)
    {
        size_t n = 0;
        for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
            n += !object->IsWaitingForDeath() && static_cast<GuestObject*>(object)->GetGender() == gender ? 1 : 0;
        return n;
    };
    for (int i = 0; i < 6000 && (Count(OBJECT_GUEST) < 3 || ofGender(0) == 0 || ofGender(1) == 0); i += 30)
        Run(30);
    ASSERT_GE(Count(OBJECT_GUEST), 3u) << "too few guests came in";
    ASSERT_TRUE(ofGender(0) > 0 && ofGender(1) > 0) << "no men or no women came in";
    g_pWorld->SetPaused(true);

    ASSERT_TRUE(ClickCommand("ObjectBrowser"));
    Run(3);
    ASSERT_TRUE(Gui().IsDialogOpen("ObjectBrowser"));
    EXPECT_EQ(CurrentPage(), kGuestsPage);
    Table* guests = TableOf(0);
    ASSERT_NE(guests, nullptr);
    const size_t count = Count(OBJECT_GUEST);
    EXPECT_EQ(guests->GetRowIds().size(), count);
    EXPECT_EQ(Written("OB_GUEST_NUM"), std::u16string(FormatTableText("OB_NUM_GUESTS", {int32_t(count)})));

    // Toilet need chosen from the filter's list: the guest filter is 5, the rows run from the most pressing need
    // down, and the heading names the figure.
    Choose(kGuestFilter, 5);
    EXPECT_EQ(Gui().GetSelection(1), 5);
    const std::vector<GuestObject*> rows = Rows<GuestObject>(0);
    ASSERT_EQ(rows.size(), count);
    for (size_t i = 1; i < rows.size(); ++i)
    {
        ASSERT_NE(rows[i], nullptr);
        EXPECT_GE(rows[i - 1]->GetDesire(GuestObject::DESIRE_TOILET), rows[i]->GetDesire(GuestObject::DESIRE_TOILET))
            << "row " << i;
    }
    EXPECT_EQ(Written("OB_FILTER_HEADING"), TableText("OB_GF_BLADDER"));
    Run(1);
    const gametest::Frame frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "object-browser-guests");
    EXPECT_TRUE(gametest::NearRgb(frame.At(240, 390), gametest::kPanelSand, 12));
    for (int row = 0; row < 3; ++row)
        EXPECT_GT(RowWritten(frame, row, 30, 220), 30) << "row " << row << "'s name is not written";

    // Men only, then women only: each list holds the guests of its gender.
    for (const int32_t gender : {0, 1})
    {
        Choose(kGuestFilter, 3 + gender);
        EXPECT_EQ(Gui().GetSelection(1), 3 + gender);
        const std::vector<GuestObject*> kept = Rows<GuestObject>(0);
        EXPECT_EQ(kept.size(), ofGender(gender)) << "gender " << gender;
        for (const GuestObject* guest : kept)
            EXPECT_EQ(guest->GetGender(), gender);
    }
    Choose(kGuestFilter, 5);

    // The second row's button opens that guest's panel.
    ClickGoto(1);
    Run(5);
    EXPECT_EQ(OpenFor("GuestPanel"), static_cast<DialogListener*>(rows[1]));
    ExpectNoReports();
    EXPECT_TRUE(running);
}

TEST_F(ObjectBrowserInGameTest, TheBuildingsAndAnimalsPagesListTheirsAndOpenTheirPanels)
{
    ASSERT_TRUE(ClickCommand("ObjectBrowser"));
    Run(3);
    ClickPage(kBuildingsPage);
    ASSERT_EQ(CurrentPage(), kBuildingsPage);
    Table* buildings = TableOf(1);
    ASSERT_NE(buildings, nullptr);
    const size_t count = Count(OBJECT_BUILDING);
    ASSERT_GE(count, 4u);
    ASSERT_EQ(buildings->GetRowIds().size(), count);
    EXPECT_EQ(Written("OB_BUILDING_NUM"), std::u16string(FormatTableText("OB_NUM_BUILDINGS", {int32_t(count)})));
    // All, by name: in the order of their names.
    std::vector<std::u16string> names;
    for (BuildingObject* building : Rows<BuildingObject>(1))
        names.push_back(Value(building, "BUILDING_NAME"));
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_NE(names.front(), names.back());

    // By repair: the building in the worst repair first (the last by name, broken down), its repair written in the
    // filter's column.
    BuildingObject* broken = Rows<BuildingObject>(1).back();
    broken->BreakDownByWear();
    ASSERT_TRUE(broken->IsBrokenDown());
    Choose(kBuildingFilter, 13);
    EXPECT_EQ(Gui().GetSelection(2), 13);
    EXPECT_EQ(Written("OB_FILTER_HEADING"), TableText("OB_BF_REPAIR"));
    const std::vector<BuildingObject*> byRepair = Rows<BuildingObject>(1);
    ASSERT_EQ(byRepair.size(), count);
    EXPECT_EQ(byRepair.front(), broken);
    for (size_t i = 1; i < byRepair.size(); ++i)
        EXPECT_LE(byRepair[i - 1]->GetRepairCondition(), byRepair[i]->GetRepairCondition()) << "row " << i;
    Run(1);
    gametest::Frame frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "object-browser-buildings");
    EXPECT_GT(RowWritten(frame, 0, 258, 396), 20) << "the repair figure is not written";

    // Closed buildings only (the last entry of the list, scrolled to): the broken one, closed by its fault.
    Choose(kBuildingFilter, 19);
    EXPECT_EQ(Gui().GetSelection(2), 19);
    EXPECT_EQ(Rows<BuildingObject>(1), std::vector<BuildingObject*>{broken});
    Choose(kBuildingFilter, 13);

    // Back on the guests page its heading names the guests' filter again, not the buildings'.
    ClickPage(kGuestsPage);
    EXPECT_EQ(Written("OB_FILTER_HEADING"), TableText("OB_GF_HAPPY"));
    ClickPage(kBuildingsPage);
    EXPECT_EQ(Written("OB_FILTER_HEADING"), TableText("OB_BF_REPAIR"));

    // The first row's button opens that building's panel.
    ClickGoto(0);
    Run(5);
    bool opened = false;
    for (const GUIManager::DialogEntry& entry : Gui().GetOpenList())
        opened = opened || entry.listener == static_cast<DialogListener*>(byRepair.front());
    EXPECT_TRUE(opened) << "no panel of the first building opened";
    Gui().CloseAllDialogs();
    Run(3);

    // The animals: each of the park's on a row with its smiley; a row's button opens the animal's panel.
    ASSERT_TRUE(ClickCommand("ObjectBrowser"));
    Run(3);
    ClickPage(kAnimalsPage);
    ASSERT_EQ(CurrentPage(), kAnimalsPage);
    const size_t animals = Count(OBJECT_ANIMAL);
    ASSERT_GE(animals, 2u);
    ASSERT_EQ(TableOf(5)->GetRowIds().size(), animals);
    Choose(kAnimalFilter, 33);
    EXPECT_EQ(Gui().GetSelection(12), 33);
    EXPECT_EQ(Written("OB_FILTER_HEADING"), TableText("OB_AF_HAPPY"));
    Run(1);
    frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "object-browser-animals");
    for (int row = 0; row < static_cast<int>(animals); ++row)
        EXPECT_GT(RowWritten(frame, row, 30, 230), 20) << "animal " << row << "'s name is not written";
    const std::vector<AnimalObject*> rows5 = Rows<AnimalObject>(5);
    ClickGoto(1);
    Run(5);
    EXPECT_EQ(OpenFor("ANIMAL_Menu"), static_cast<DialogListener*>(rows5[1]));
    ExpectNoReports();
    EXPECT_TRUE(running);
}

// The buildings by age and by faults: every row writes its figure in the filter's column, a new building and one
// without faults included.
TEST_F(ObjectBrowserInGameTest, TheBuildingsAgeAndFaultsFiltersWriteEveryRowsFigure)
{
    ASSERT_TRUE(ClickCommand("ObjectBrowser"));
    Run(3);
    ClickPage(kBuildingsPage);
    ASSERT_EQ(CurrentPage(), kBuildingsPage);
    const struct
    {
        int32_t filter;
        const char* heading;
        const char* keyword;
    } cases[] = {{20, "OB_BF_AGE", "BUILDING_AGE"}, {22, "OB_BF_FAULTS", "BUILDING_FAULTS"}};
    for (const auto& c : cases)
    {
        Choose(kBuildingFilter, c.filter);
        ASSERT_EQ(Gui().GetSelection(2), c.filter);
        EXPECT_EQ(Written("OB_FILTER_HEADING"), TableText(c.heading)) << c.heading;
        const std::vector<BuildingObject*> rows = Rows<BuildingObject>(1);
        ASSERT_GE(rows.size(), 4u);
        Run(1);
        const gametest::Frame frame = harness.Screenshot();
        ASSERT_FALSE(frame.pixels.empty());
        for (size_t row = 0; row < std::min<size_t>(rows.size(), 10); ++row)
        {
            EXPECT_NE(Value(rows[row], c.keyword), u"") << c.keyword << " of row " << row;
            EXPECT_GT(RowWritten(frame, static_cast<int>(row), 258, 396), 20)
                << c.keyword << " is not written in row " << row;
        }
    }
    EXPECT_TRUE(running);
}

TEST_F(ObjectBrowserInGameTest, TheStaffButtonOpensTheStaffPageWhichHiresAndFilters)
{
    ASSERT_TRUE(ClickCommand("StaffBrowser"));
    Run(3);
    ASSERT_TRUE(Gui().IsDialogOpen("ObjectBrowser"));
    EXPECT_EQ(CurrentPage(), kStaffPage);
    EXPECT_EQ(Gui().GetSelection(9), 3);
    Table* staff = TableOf(3);
    ASSERT_NE(staff, nullptr);
    EXPECT_TRUE(staff->GetRowIds().empty());
    // The page's buttons hire a mechanic, then a cleaner; the list takes them in at its next refill, by job title.
    ASSERT_TRUE(ClickCommand("HireNewMechanic"));
    ASSERT_TRUE(ClickCommand("HireNewCleaner"));
    Run(250);
    std::vector<StaffObject*> rows = Rows<StaffObject>(3);
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_TRUE(rows[0] && rows[1]);
    EXPECT_EQ(rows[0]->GetType(), OBJECT_CLEANER);
    EXPECT_EQ(rows[1]->GetType(), OBJECT_MECHANIC);
    EXPECT_EQ(Written("OB_STAFF_NUM"), std::u16string(FormatTableText("OB_NUM_STAFF", {int32_t(2)})));
    Run(1);
    const gametest::Frame frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "object-browser-staff");
    EXPECT_GT(RowWritten(frame, 0, 270, 396), 20) << "the job is not written";

    // Mechanics only, and the row's button opens the mechanic's panel.
    Choose(kStaffFilter, 1);
    EXPECT_EQ(Gui().GetSelection(9), 1);
    rows = Rows<StaffObject>(3);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->GetType(), OBJECT_MECHANIC);
    ClickGoto(0);
    Run(5);
    EXPECT_EQ(OpenFor("MECHANIC_Menu"), static_cast<DialogListener*>(rows[0]));

    // The lists' button closes the browser.
    ASSERT_TRUE(ClickCommand("ObjectBrowser"));
    Run(3);
    EXPECT_FALSE(Gui().IsDialogOpen("ObjectBrowser"));
    ExpectNoReports();
    EXPECT_TRUE(running);
}

// A staff member chosen on the list stays chosen, and lit, when one above it is dismissed: the list closes up and the
// choice goes with its member to its new row, not to whoever takes its old one.
TEST_F(ObjectBrowserInGameTest, TheChosenStaffMemberStaysChosenWhenOneAboveIsDismissed)
{
    ASSERT_TRUE(ClickCommand("StaffBrowser"));
    Run(3);
    ASSERT_EQ(CurrentPage(), kStaffPage);
    Table* staff = TableOf(3);
    ASSERT_NE(staff, nullptr);
    ASSERT_TRUE(ClickCommand("HireNewCleaner"));
    ASSERT_TRUE(ClickCommand("HireNewMechanic"));
    ASSERT_TRUE(ClickCommand("HireNewMechanic"));
    Run(250);
    std::vector<StaffObject*> rows = Rows<StaffObject>(3);
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_TRUE(rows[0] && rows[1] && rows[2]);
    ASSERT_EQ(rows[0]->GetType(), OBJECT_CLEANER);
    StaffObject* const cleaner = rows[0];
    StaffObject* const chosen = rows[2];
    g_pWorld->SetPaused(true);

    // The cleaner's panel from its row's button, then the last mechanic's row chosen by a press on its name.
    ClickGoto(0);
    Run(5);
    ASSERT_EQ(OpenFor("CLEANER_Menu"), static_cast<DialogListener*>(cleaner));
    Click(100, kRowTop + 20 * 2 + 7);
    Run(2);
    ASSERT_EQ(staff->GetSelectedRow(), 2);
    ASSERT_EQ(Gui().GetSelection(10), static_cast<int32_t>(chosen->GetID()));

    // The cleaner dismissed from its panel: two rows are left, the chosen mechanic on one of them, chosen and lit.
    ASSERT_TRUE(ClickCommand("StaffFire"));
    Run(3);
    ASSERT_EQ(OpenFor("ConfirmDismiss"), static_cast<DialogListener*>(cleaner));
    ASSERT_TRUE(ClickCommand("DismissConfirm"));
    Run(5);
    rows = Rows<StaffObject>(3);
    ASSERT_EQ(rows.size(), 2u);
    const auto at = std::find(rows.begin(), rows.end(), chosen);
    ASSERT_NE(at, rows.end());
    const int row = static_cast<int>(at - rows.begin());
    EXPECT_EQ(staff->GetSelectedRow(), row);
    EXPECT_EQ(Gui().GetSelection(10), static_cast<int32_t>(chosen->GetID()));
    Run(1);
    const gametest::Frame frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "object-browser-staff-chosen");
    const auto lit = [&](int r)
    { return gametest::CountNearRgb(frame, 30, kRowTop + 20 * r, 240, kRowTop + 20 * r + 18, 0x1ADB7B, 24); };
    EXPECT_GT(lit(row), 200) << "the chosen member's row is not lit";
    EXPECT_EQ(lit(1 - row), 0) << "the other member's row is lit";
    ExpectNoReports();
    EXPECT_TRUE(running);
}

} // namespace
