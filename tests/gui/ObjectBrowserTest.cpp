// Tests of the object browser: filters and stable sort orders, the table's refresh, selection and published slots,
// the per-row adjusters, rows whose object went away between refills, and rows and columns placed in order at any
// height and offsets a script writes.
#include "gui/ObjectBrowser.h"
#include "engine/core/GameClock.h"
#include "gui/Button.h"
#include "gui/GUIManager.h"
#include "gui/GuiParser.h"
#include "gui/GuiShell.h"
#include "gui/Image.h"
#include "gui/NumberAdjust.h"
#include "gui/PanelData.h"
#include "gui/ScrollBar.h"
#include "tests/gui/EmptyPanelData.h"
#include "tests/gui/WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{

// An object that records the keywords it was asked for.
class FakeObject : public DialogListener
{
public:
    void GetVariable(const char* keyword, platform::WString& text) override
    {
        asked.push_back(keyword);
        text = u"1.5";
    }
    void SetVariable(const char* keyword, const DialogValue&) override { written.push_back(keyword); }
    void ResetPanelState() override {}
    std::vector<std::string> asked;
    std::vector<std::string> written;
};

// Panel data over a hand-made park.
class FakePanelData : public EmptyPanelData
{
public:
    void ListGuests(std::vector<BrowserEntry>& out) override
    {
        ++listed;
        out = guests;
    }
    void ListBuildings(std::vector<BrowserEntry>& out) override { out = buildings; }
    void ListStaff(std::vector<BrowserEntry>& out) override { out = staff; }
    void ListAnimals(std::vector<BrowserEntry>& out) override { out = animals; }
    DialogListener* FindObject(uint32_t id) override
    {
        const auto it = objects.find(id);
        return it == objects.end() ? nullptr : it->second.get();
    }
    uint32_t GetObjectId(DialogListener* object) override
    {
        for (auto& [id, o] : objects)
            if (o.get() == object)
                return id;
        return kNoObjectId;
    }
    void OpenObjectPanel(uint32_t id) override { opened.push_back(id); }
    int32_t GetAvailableAnimalCount(DialogListener*) override { return availableAnimals; }
    bool GetBuildingAnimals(DialogListener*, std::vector<uint32_t>& out) override
    {
        out = buildingAnimals;
        return true;
    }

    // A guest with an object behind it.
    void AddGuest(uint32_t id, float happiness = 0.5f)
    {
        BrowserEntry e;
        e.id = id;
        e.kind = 3;
        e.happiness = happiness;
        guests.push_back(e);
        objects[id] = std::make_unique<FakeObject>();
    }

    std::vector<BrowserEntry> guests, buildings, staff, animals;
    std::map<uint32_t, std::unique_ptr<FakeObject>> objects;
    std::vector<uint32_t> opened;
    int listed = 0;
    int32_t availableAnimals = 0;
    std::vector<uint32_t> buildingAnimals;
};

using FakeShell = PanelDataShell;

// ---- filters and sorts

BrowserEntry Guest(uint32_t id, int gender, float happiness, float cash)
{
    BrowserEntry e;
    e.id = id;
    e.kind = 3;
    e.gender = gender;
    e.happiness = happiness;
    e.cash = cash;
    return e;
}

struct RowCase
{
    const char* what;
    int32_t source;
    int32_t filter;
    std::vector<uint32_t> expected;
};

// Guests 1..5 in pool order: (gender, happiness, cash); guest 6 is flagged for removal and never listed.
std::vector<BrowserEntry> SampleGuests()
{
    std::vector<BrowserEntry> g = {Guest(1, 0, 0.2f, 10.0f), Guest(2, 1, 0.9f, 50.0f), Guest(3, 0, 0.9f, 5.0f),
                                   Guest(4, 1, 0.4f, 50.0f), Guest(5, 0, 0.7f, 20.0f), Guest(6, 0, 1.0f, 99.0f)};
    g[5].removed = true;
    g[0].toiletDesire = 0.1f, g[1].toiletDesire = 0.8f, g[2].toiletDesire = 0.3f, g[3].toiletDesire = 0.8f,
    g[4].toiletDesire = 0.0f;
    g[0].opinion[BrowserEntry::GO_PRICE] = 0.9f;
    g[3].opinion[BrowserEntry::GO_PRICE] = 0.5f;
    return g;
}

class GuestRows : public ::testing::TestWithParam<RowCase>
{
};

TEST_P(GuestRows, KeepAndOrder)
{
    const RowCase& c = GetParam();
    std::vector<BrowserEntry> entries = SampleGuests();
    std::vector<uint32_t> ids;
    browser::SelectRows(c.source, c.filter, entries, ids);
    EXPECT_EQ(ids, c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Filters, GuestRows,
                         ::testing::Values(RowCase{"no filter keeps pool order", 0, 0, {1, 2, 3, 4, 5}},
                                           // Happiness 0.9 (2, 3 in pool order), 0.7, 0.4, 0.2.
                                           RowCase{"all by happiness, ties in pool order", 0, 1, {2, 3, 5, 4, 1}},
                                           // Cash 50 (2, 4), 20, 10, 5.
                                           RowCase{"richest first, equal cash in pool order", 0, 2, {2, 4, 5, 1, 3}},
                                           RowCase{"male guests by happiness", 0, 3, {3, 5, 1}},
                                           RowCase{"female guests by happiness", 0, 4, {2, 4}},
                                           RowCase{"toilet desire", 0, 5, {2, 4, 3, 1, 5}},
                                           RowCase{"price opinion", 0, 6, {1, 4, 2, 3, 5}},
                                           RowCase{"an unknown filter sorts by happiness", 0, 99, {2, 3, 5, 4, 1}}));

BrowserEntry Building(uint32_t id, const char16_t* name, int category, float income, float repair, bool open)
{
    BrowserEntry e;
    e.id = id;
    e.kind = 2;
    e.name = name;
    e.category = category;
    e.incomeToday = income;
    e.repairState = repair;
    e.open = open;
    return e;
}

std::vector<BrowserEntry> SampleBuildings()
{
    std::vector<BrowserEntry> b = {
        Building(10, u"Kiosk", 3, 30.0f, 0.8f, true),   Building(11, u"Bench", 5, 90.0f, 0.2f, false),
        Building(12, u"Arena", 9, 60.0f, 0.9f, true),   Building(13, u"Garden", 5, 10.0f, 0.5f, true),
        Building(14, u"Toilet", 8, 60.0f, 1.0f, false),
    };
    b[0].costToday = 5.0f, b[1].costToday = 50.0f, b[2].costToday = 1.0f;
    b[0].age = 3, b[1].age = 7, b[2].age = 7, b[3].age = 1;
    b[0].faults = 2, b[4].faults = 4;
    b[0].visitsToday = 12, b[2].visitsToday = 40, b[3].visitsToday = 99;
    b[0].userBuild = b[2].userBuild = b[4].userBuild = true;
    b[3].userBuild = true, b[3].staffRoom = true;
    return b;
}

class BuildingRows : public ::testing::TestWithParam<RowCase>
{
};

TEST_P(BuildingRows, KeepAndOrder)
{
    const RowCase& c = GetParam();
    std::vector<BrowserEntry> entries = SampleBuildings();
    std::vector<uint32_t> ids;
    browser::SelectRows(c.source, c.filter, entries, ids);
    EXPECT_EQ(ids, c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Filters, BuildingRows,
                         ::testing::Values(RowCase{"pool order", 1, 0, {10, 11, 12, 13, 14}},
                                           RowCase{"by name", 1, 12, {12, 11, 13, 10, 14}},
                                           RowCase{"worst repair first", 1, 13, {11, 13, 10, 12, 14}},
                                           RowCase{"income without category 5", 1, 14, {12, 14, 10}},
                                           RowCase{"costs keep category 5", 1, 15, {11, 10, 12, 13, 14}},
                                           RowCase{"open by name", 1, 18, {12, 13, 10}},
                                           RowCase{"closed by name", 1, 19, {11, 14}},
                                           RowCase{"oldest first, ties in pool order", 1, 20, {11, 12, 10, 13, 14}},
                                           RowCase{"player-built, no staff rooms, by visits", 1, 21, {12, 10, 14}},
                                           RowCase{"faults", 1, 22, {14, 10, 11, 12, 13}},
                                           RowCase{"category 5 only, by income", 1, 27, {11, 13}},
                                           RowCase{"category 8 only", 1, 30, {14}}));

BrowserEntry Staff(uint32_t id, int kind, const char16_t* title, bool sacked = false)
{
    BrowserEntry e;
    e.id = id;
    e.kind = kind;
    e.name = title;
    e.sacked = sacked;
    return e;
}

class StaffRows : public ::testing::TestWithParam<RowCase>
{
};

TEST_P(StaffRows, KeepAndOrder)
{
    const RowCase& c = GetParam();
    std::vector<BrowserEntry> entries = {Staff(40, 7, u"Cleaner"), Staff(21, 6, u"Mechanic"), Staff(30, 7, u"Cleaner"),
                                         Staff(35, 8, u"Keeper"), Staff(22, 7, u"Cleaner", true)};
    std::vector<uint32_t> ids;
    browser::SelectRows(c.source, c.filter, entries, ids);
    EXPECT_EQ(ids, c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Filters, StaffRows,
                         ::testing::Values(RowCase{"cleaners, oldest hire first, dismissed left out", 3, 0, {30, 40}},
                                           RowCase{"mechanics", 3, 1, {21}}, RowCase{"zookeepers", 3, 2, {35}},
                                           RowCase{
                                               "all by job title, equal titles in list order", 3, 3, {40, 30, 35, 21}},
                                           RowCase{"a filter above 3 keeps nobody", 3, 4, {}}));

class AnimalRows : public ::testing::TestWithParam<RowCase>
{
};

TEST_P(AnimalRows, KeepAndOrder)
{
    const RowCase& c = GetParam();
    std::vector<BrowserEntry> entries(4);
    const char16_t* names[] = {u"Orca", u"Dolphin", u"Seal", u"Bass"};
    const float happy[] = {0.3f, 0.8f, 0.5f, 0.9f};
    const float food[] = {0.9f, 0.1f, 0.5f, 0.2f};
    for (size_t i = 0; i < 4; ++i)
    {
        entries[i].id = static_cast<uint32_t>(60 + i);
        entries[i].kind = i == 3 ? 1 : 9; // the last is no animal
        entries[i].name = names[i];
        entries[i].happiness = happy[i];
        entries[i].animalOpinion[0] = food[i];
    }
    std::vector<uint32_t> ids;
    browser::SelectRows(c.source, c.filter, entries, ids);
    EXPECT_EQ(ids, c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Filters, AnimalRows,
                         ::testing::Values(RowCase{"unsorted", 5, 0, {60, 61, 62}},
                                           RowCase{"by name", 5, 32, {61, 60, 62}},
                                           RowCase{"by happiness", 5, 33, {61, 62, 60}},
                                           RowCase{"by food opinion", 5, 34, {60, 62, 61}}));

// A key that is no number (a value gone bad) stands after every number, whichever way the order runs; the numbers
// keep their order around it.
TEST(NotANumberKeys, StandLastAndLeaveTheOthersInOrder)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case
    {
        const char* what;
        int32_t source;
        int32_t filter;
        std::vector<float> keys; // in pool order, ids 1 upwards
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {"guests by cash, largest first", 0, 2, {10.0f, nan, 30.0f, 20.0f}, {3, 4, 1, 2}},
        {"guests by happiness, a bad key first in the pool", 0, 1, {nan, 0.2f, 0.9f, 0.5f}, {3, 4, 2, 1}},
        {"buildings by repair state, smallest first", 1, 13, {0.5f, nan, 0.9f, 0.1f}, {4, 1, 3, 2}},
        {"buildings by income, two bad keys", 1, 14, {nan, 5.0f, nan, 7.0f}, {4, 2, 1, 3}},
        {"animals by happiness", 5, 33, {0.3f, nan, 0.8f, 0.5f}, {3, 4, 1, 2}},
    };
    for (const Case& c : cases)
    {
        std::vector<BrowserEntry> entries(c.keys.size());
        for (size_t i = 0; i < entries.size(); ++i)
        {
            BrowserEntry& e = entries[i];
            e.id = static_cast<uint32_t>(i + 1);
            e.kind = c.source == 0 ? 3 : c.source == 1 ? 2 : 9;
            e.happiness = e.cash = e.repairState = e.incomeToday = c.keys[i];
        }
        std::vector<uint32_t> ids;
        browser::SelectRows(c.source, c.filter, entries, ids);
        EXPECT_EQ(ids, c.expected) << c.what;
    }
}

TEST(FilterDisplay, CellsAndHeadings)
{
    struct Case
    {
        int32_t id;
        int32_t mode;
        const char* keyword;
        const char* heading;
    };
    const Case cases[] = {
        {2, browser::FM_TEXT, "GUEST_CASH", "OB_GF_CASH"},
        {5, browser::FM_BAR, "GUEST_DESIRE_TOILET", "OB_GF_BLADDER"},
        {12, browser::FM_NOTHING, "BUILDING_REPAIRSTATE", nullptr},
        {27, -1, nullptr, nullptr},
        {26, browser::FM_TEXT, "BUILDING_INCOMETODAY$", "OB_BF_INCOME"},
        {36, browser::FM_BAR, "ANIMAL_OPINION_CLEANLINESS", "OB_AF_CLEANLINESS"},
    };
    for (const Case& c : cases)
    {
        const browser::FilterDisplay* d = browser::FindFilterDisplay(c.id);
        if (c.mode < 0)
            EXPECT_EQ(d, nullptr) << c.id;
        else
        {
            ASSERT_NE(d, nullptr) << c.id;
            EXPECT_EQ(d->mode, c.mode) << c.id;
            EXPECT_STREQ(d->keyword, c.keyword) << c.id;
        }
        const char* heading = browser::FilterTextKey(c.id);
        if (c.heading)
            EXPECT_STREQ(heading, c.heading) << c.id;
        else
            EXPECT_EQ(heading, nullptr) << c.id;
    }
}

TEST(FilterDisplay, EveryHeadingKey)
{
    // Ids 0, 12 and 27 have no heading; ids 23 to 26 and 28 to 31 all head with the income.
    std::map<int32_t, std::string> expected = {
        {1, "OB_GF_HAPPY"},        {2, "OB_GF_CASH"},         {3, "OB_GF_HAPPY"},    {4, "OB_GF_HAPPY"},
        {5, "OB_GF_BLADDER"},      {6, "OB_GF_PRICE"},        {7, "OB_GF_QUEUING"},  {8, "OB_GF_BEAUTY"},
        {9, "OB_GF_CLEANLINESS"},  {10, "OB_GF_VARIETY"},     {11, "OB_GF_WELFARE"}, {13, "OB_BF_REPAIR"},
        {14, "OB_BF_INCOME"},      {15, "OB_BF_COSTS"},       {16, "OB_BF_PROFIT"},  {17, "OB_BF_AVPROFIT"},
        {18, "OB_BH_OPEN_STATUS"}, {19, "OB_BH_OPEN_STATUS"}, {20, "OB_BF_AGE"},     {21, "OB_BF_CUSTOMERS_TODAY"},
        {22, "OB_BF_FAULTS"},      {32, "OB_AF_ALL"},         {33, "OB_AF_HAPPY"},   {34, "OB_AF_FOOD"},
        {35, "OB_AF_CROWDING"},    {36, "OB_AF_CLEANLINESS"},
    };
    for (int32_t id : {23, 24, 25, 26, 28, 29, 30, 31})
        expected[id] = "OB_BF_INCOME";
    for (int32_t id = -1; id <= 40; ++id)
    {
        const char* key = browser::FilterTextKey(id);
        const auto it = expected.find(id);
        if (it == expected.end())
            EXPECT_EQ(key, nullptr) << id;
        else
        {
            ASSERT_NE(key, nullptr) << id;
            EXPECT_EQ(it->second, key) << id;
        }
    }
}

TEST(FilterCell, GuestFilterTwoShowsCashTextAndBuildingFilter27Nothing)
{
    GuestFilterCell cell(0, 0, 50, 13);
    cell.SetFilter(2);
    EXPECT_EQ(cell.GetMode(), browser::FM_TEXT);
    EXPECT_STREQ(cell.GetKeyword(), "GUEST_CASH");
    EXPECT_EQ(browser::GetCurrentFilter(), 2);
    cell.SetFilter(5);
    EXPECT_EQ(cell.GetMode(), browser::FM_BAR);
    EXPECT_NE(cell.GetBar(), nullptr);
    cell.SetFilter(27);
    EXPECT_EQ(cell.GetMode(), browser::FM_NOTHING);
    EXPECT_EQ(cell.GetBar(), nullptr);
}

// A filter bar spans its cell wherever the dialog was dragged when the bar was made: when the dialog is laid out at
// its home place again (as it is each time it opens) and moved, the bar stays in its cell.
TEST(FilterCell, BarStaysInItsCellWhenTheDialogIsLaidOutAgain)
{
    struct Case
    {
        const char* what;
        int32_t dragBefore; // x the dialog was dragged by before the bar was made
        int32_t dragAfter;  // x it was dragged by after
        int32_t openAt;     // x offset from its home place when it is opened again
    };
    const Case cases[] = {
        {"made at home", 0, 40, 0},
        {"made after a drag, opened at home", 60, 0, 0},
        {"made after a drag, opened elsewhere", 60, 25, 30},
        {"made after a drag back left", -15, 0, 45},
    };
    constexpr int32_t kLeft = 230, kTop = 42, kRight = 370, kBottom = 55;
    for (const Case& c : cases)
    {
        GuestFilterCell cell(kLeft, kTop, kRight, kBottom);
        cell.SetFilter(0);
        cell.Move(c.dragBefore, 0);
        cell.SetFilter(1); // happiness: a bar
        ASSERT_NE(cell.GetBar(), nullptr) << c.what;
        EXPECT_EQ(cell.GetBar()->GetRect().left, kLeft + c.dragBefore) << c.what;
        cell.Move(c.dragAfter, 0);
        EXPECT_EQ(cell.GetBar()->GetRect().left, kLeft + c.dragBefore + c.dragAfter) << c.what;
        cell.Reposition(c.openAt, 0);
        EXPECT_EQ(cell.GetBar()->GetRect().left, kLeft + c.openAt) << c.what;
        EXPECT_EQ(cell.GetBar()->GetRect().right, kRight + c.openAt) << c.what;
    }
}

// A filter column's cell and its bar stand in the column: when the dialog is laid out again (as it is each time it
// opens), at its home place or away from it, after any drag, they go back with the column.
TEST(FilterCell, FilterColumnLaysItsCellOutWithTheColumn)
{
    struct Case
    {
        const char* what;
        int32_t dragX, dragY; // the dialog was dragged by this much before it was laid out again
        int32_t openX, openY; // laid out this far from its home place
    };
    const Case cases[] = {
        {"never dragged, laid out away from home", 0, 0, 30, 12},
        {"dragged, laid out at home", 60, 20, 0, 0},
        {"dragged, laid out elsewhere", -15, 8, 45, -6},
    };
    constexpr int32_t kLeft = 230, kTop = 42, kRight = 370, kBottom = 142, kContentX = 5, kLineHeight = 13;
    for (const Case& c : cases)
    {
        TableColumn column(kLeft, kTop, kRight, kBottom, "FILTER_GUEST", 0, 0, kContentX, false);
        GuestFilterCell* cell = column.GetFilterCell();
        ASSERT_NE(cell, nullptr) << c.what;
        cell->SetFilter(1); // happiness: a bar
        ASSERT_NE(cell->GetBar(), nullptr) << c.what;
        column.Move(c.dragX, c.dragY);
        column.Reposition(c.openX, c.openY);
        // The bar spans the cell: the column's row from its content offset to its right edge, one line high.
        const GuiRect& bar = cell->GetBar()->GetRect();
        EXPECT_EQ(bar.left, kLeft + kContentX + c.openX) << c.what;
        EXPECT_EQ(bar.right, kRight + c.openX) << c.what;
        EXPECT_EQ(bar.top, kTop + c.openY) << c.what;
        EXPECT_EQ(bar.bottom, kTop + kLineHeight + c.openY) << c.what;
    }
}

// ---- the table

class TableTest : public ::testing::Test
{
protected:
    void SetUp() override { gui.SetShell(&shell); }
    void TearDown() override { gui.SetShell(nullptr); }

    // Guests 1 and 2 in a table of price adjusters, active; then guest 1 leaves the park and its object is deleted
    // before the next refill.
    void TwoGuestsTheFirstGone(Table& table, TableColumn& column)
    {
        table.AddChild(&column);
        table.SetActive(true);
        data.objects.erase(1);
        data.guests.erase(data.guests.begin());
    }

    // An exhibit's dialog with its animals table, opened on `building` and updated once; the table.
    Table* OpenExhibitTable(FakeObject& building, GuiMouse& mouse)
    {
        const std::string script = "DialogItem Tank(0, 0, 300, 300, NONE, 1, 0)\n{\n"
                                   "Table(0, 0, 100, 100, 100, 0, 110, 100, BUILDINGANIMALS, 10, 5, 1)\n{\n}\n}\n";
        gui.LoadScriptText(script.data(), script.size());
        if (!gui.OpenDialog("Tank", &building))
            return nullptr;
        gui.Update(0.1f, mouse);
        return static_cast<Table*>(gui.FindItem(WT_TABLE, "BUILDINGANIMALS"));
    }

    FakePanelData data;
    FakeShell shell{&data};
    GUIManager gui{nullptr};
};

TEST_F(TableTest, NamesChooseSourcesAndRowKinds)
{
    struct Case
    {
        const char* name;
        int32_t source;
        bool perObject;
    };
    const Case cases[] = {{"GUESTS", 0, true},          {"BUILDINGS", 1, true},
                          {"ATTRACTIONS", 2, false},    {"STAFF_LIST", 3, true},
                          {"BUILDINGANIMALS", 4, true}, {"ANIMALS", 5, true},
                          {"GUESTVISITED", 6, false},   {"AVAILABLE_ANIMALS", 7, false},
                          {"DEBUG_INFO", 8, false},     {"SENT_INFO", 9, false},
                          {"guests", -1, false}};
    for (const Case& c : cases)
    {
        Table table({0, 0, 100, 100}, {100, 0, 110, 100}, c.name, 10, 8, true);
        EXPECT_EQ(table.GetSource(), c.source) << c.name;
        EXPECT_EQ(table.IsPerObject(), c.perObject) << c.name;
    }
}

TEST_F(TableTest, RefillsAtMostOncePerFourSecondsAndAtOnceOnActivation)
{
    data.AddGuest(1);
    Table table({0, 0, 100, 80}, {100, 0, 110, 80}, "GUESTS", 10, 8, false);
    table.SetActive(true);
    EXPECT_EQ(data.listed, 1);
    EXPECT_EQ(table.GetRowCount(), 1);
    data.AddGuest(2);
    table.Update(3.9f);
    EXPECT_EQ(data.listed, 1);
    EXPECT_EQ(table.GetRowCount(), 1);
    table.Update(0.2f);
    EXPECT_EQ(data.listed, 2);
    EXPECT_EQ(table.GetRowCount(), 2);
    // Off and on again: a fresh refill at once.
    table.SetActive(false);
    EXPECT_EQ(table.GetRowCount(), 0);
    table.SetActive(true);
    EXPECT_EQ(data.listed, 3);
}

TEST_F(TableTest, PublishesCountAndSelectionAndClampsTheSelection)
{
    for (uint32_t id = 1; id <= 10; ++id)
        data.AddGuest(id);
    Table table({0, 0, 100, 80}, {100, 0, 110, 80}, "GUESTS", 10, 8, true);
    gui.SetSelection(1, 0);
    table.SetActive(true);
    EXPECT_EQ(gui.GetSelection(6), 10);
    // Ten rows, eight visible: a scroll bar.
    ASSERT_NE(table.GetScrollBar(), nullptr);
    // No selection: row 0 is selected at the refill.
    EXPECT_EQ(table.GetSelectedRow(), 0);
    // A press below the last drawn row selects row 7 (y 75 / 10).
    table.OnMouse(5, 75, ME_PRESSED);
    EXPECT_EQ(table.GetSelectedRow(), 7);
    EXPECT_EQ(gui.GetSelection(10), 8);
    // Down to three rows: the selection is held on the last row and the scroll bar goes.
    data.guests.resize(3);
    table.Update(4.0f);
    EXPECT_EQ(table.GetSelectedRow(), 2);
    EXPECT_EQ(table.GetScrollBar(), nullptr);
    EXPECT_EQ(table.GetTopRow(), 0);
    EXPECT_EQ(gui.GetSelection(6), 3);
    data.guests.clear();
    table.Update(4.0f);
    EXPECT_EQ(table.GetSelectedRow(), -1);
}

// A press on the table selects the row shown under it; a press below the rows shown (on the table's bottom edge, or in
// the room a table leaves below its rows) selects the last row shown, never a hidden row below it.
TEST_F(TableTest, APressSelectsARowShown)
{
    struct Case
    {
        const char* what;
        uint32_t guests;
        int32_t bottom;   // the table's bottom edge (rows of 10 from y 0, 8 shown)
        int32_t scrolled; // rows scrolled down
        int32_t y;
        int32_t row; // the row selected: the one shown at y, or the last one shown
    };
    const Case cases[] = {
        {"on the first row", 10, 80, 0, 3, 0},
        {"on the last row shown", 10, 80, 0, 75, 7},
        {"on the bottom edge", 10, 80, 0, 80, 7},
        {"scrolled, on the bottom edge", 10, 80, 2, 80, 9},
        {"scrolled one, on the bottom edge", 12, 80, 1, 80, 8},
        {"below the rows of a taller table", 12, 120, 0, 95, 7},
        {"below the few rows there are", 3, 80, 0, 60, 2},
    };
    for (const Case& c : cases)
    {
        data.guests.clear();
        for (uint32_t id = 1; id <= c.guests; ++id)
            data.AddGuest(id);
        Table table({0, 0, 100, c.bottom}, {100, 0, 110, c.bottom}, "GUESTS", 10, 8, true);
        gui.SetSelection(1, 0);
        table.SetActive(true);
        for (int32_t i = 0; i < c.scrolled; ++i)
            table.OnMouseWheel(5, 5, -1);
        table.Update(0.0f);
        ASSERT_EQ(table.GetTopRow(), c.scrolled) << c.what;
        table.OnMouse(5, c.y, ME_PRESSED);
        EXPECT_EQ(table.GetSelectedRow(), c.row) << c.what;
        EXPECT_EQ(gui.GetSelection(10), c.row + 1) << c.what; // guest ids count from 1 in pool order
        table.SetActive(false);
    }
}

TEST_F(TableTest, WheelOverTheTableScrolls)
{
    for (uint32_t id = 1; id <= 10; ++id)
        data.AddGuest(id);
    Table table({0, 0, 100, 80}, {100, 0, 110, 80}, "GUESTS", 10, 8, false);
    table.SetActive(true);
    EXPECT_TRUE(table.OnMouseWheel(5, 5, -1));
    table.Update(0.0f);
    EXPECT_EQ(table.GetTopRow(), 1);
    EXPECT_FALSE(table.OnMouseWheel(500, 500, -1));
}

TEST_F(TableTest, RowHeightZeroIgnoresPresses)
{
    data.AddGuest(1);
    Table table({0, 0, 100, 80}, {100, 0, 110, 80}, "GUESTS", 0, 8, true);
    table.SetActive(true);
    table.OnMouse(5, 40, ME_PRESSED);
    EXPECT_EQ(table.GetSelectedRow(), 0);
}

// However tall a script makes a table's rows, the buttons of a column stand one below the other from the table's
// top, row by row.
TEST_F(TableTest, RowsOfAnyScriptedHeightStandInOrderDownTheTable)
{
    for (uint32_t id = 1; id <= 3; ++id)
        data.AddGuest(id);
    for (const int32_t rowHeight : {10, 2000000000, 2147483647})
    {
        Table table({0, 20, 100, 80}, {100, 20, 110, 80}, "GUESTS", rowHeight, 8, false);
        TableColumn column(0, 20, 100, 80, "BUT_GOTO", 0, 0, 0, false);
        table.AddChild(&column);
        table.SetActive(true);
        ASSERT_EQ(column.GetRowWidgets(), 3) << rowHeight;
        EXPECT_EQ(column.GetButton(0)->GetRect().top, 20) << rowHeight;
        for (size_t k = 1; k < 3; ++k)
        {
            EXPECT_GT(column.GetButton(k)->GetRect().top, column.GetButton(k - 1)->GetRect().top) << rowHeight;
            EXPECT_GE(column.GetButton(k)->GetRect().top, column.GetButton(k - 1)->GetRect().bottom) << rowHeight;
        }
    }
}

// A table shows as many rows as its script asks for, or fewer when it holds fewer: none when the script asks for
// none or fewer than none.
TEST_F(TableTest, ShowsTheRowsItsScriptAsksForAndNoneForNone)
{
    for (uint32_t id = 1; id <= 3; ++id)
        data.AddGuest(id);
    // (rows asked for, rows shown of three)
    const std::pair<int32_t, int32_t> cases[] = {{-3, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 3}, {8, 3}};
    for (const auto& [asked, shown] : cases)
    {
        Table table({0, 20, 100, 80}, {100, 20, 110, 80}, "GUESTS", 10, asked, false);
        TableColumn column(0, 20, 100, 80, "BUT_GOTO", 0, 0, 0, false);
        table.AddChild(&column);
        table.SetActive(true);
        EXPECT_EQ(column.GetRowWidgets(), shown) << asked;
    }
}

// A column stands from the table's left edge plus its left offset to the table's left edge plus its right offset,
// and a row's button stands from the column's left edge plus the content offset: however large the offsets a script
// writes, the column and its buttons stand right of the table's left edge, never wrapped round to its left.
TEST_F(TableTest, AColumnOfAnyScriptedOffsetsStandsRightOfTheTablesLeftEdge)
{
    data.AddGuest(1);
    data.AddGuest(2);
    struct Case
    {
        const char* left;
        const char* right;
        const char* content;
    };
    const Case cases[] = {{"5", "100", "2"},
                          {"2147483647", "2147483647", "0"},
                          {"4294967295", "4294967295", "4294967295"},
                          {"0", "100", "2147483647"}};
    for (const Case& c : cases)
    {
        const std::string text = std::string("DialogItem D(0, 0, 400, 300, NONE, 1, 0)\n{\n"
                                             "Table(10, 20, 210, 120, 215, 20, 225, 120, GUESTS, 10, 8, 1)\n{\n"
                                             "<COL(0, 0, BUT_GOTO, ") +
                                 c.left + ", " + c.right + ", " + c.content + ", 0)>\n}\n}\n";
        const GuiScript script = GuiParser(800, 600).Parse(text.data(), text.size());
        Table* table = nullptr;
        for (const auto& item : script.items)
            if (item->GetType() == WT_TABLE)
                table = static_cast<Table*>(item.get());
        ASSERT_NE(table, nullptr) << c.left;
        ASSERT_EQ(table->GetColumns().size(), 1u) << c.left;
        TableColumn& column = *table->GetColumns()[0];
        const GuiRect& t = table->GetRect();
        EXPECT_GE(column.GetRect().left, t.left) << c.left;
        EXPECT_GE(column.GetRect().right, t.left) << c.right;
        table->SetActive(true);
        ASSERT_NE(column.GetButton(0), nullptr) << c.content;
        EXPECT_GE(column.GetButton(0)->GetRect().left, column.GetRect().left) << c.content;
        table->SetActive(false);
    }
    // Offsets as written when they are small: the first case.
    const std::string text = "Table(10, 20, 210, 120, 215, 20, 225, 120, GUESTS, 10, 8, 1)\n{\n"
                             "<COL(0, 0, BUT_GOTO, 5, 100, 2, 0)>\n}\n";
    const GuiScript script = GuiParser(800, 600).Parse(text.data(), text.size());
    const auto* table = static_cast<const Table*>(script.items.front().get());
    ASSERT_EQ(table->GetColumns().size(), 1u);
    EXPECT_EQ(table->GetColumns()[0]->GetRect().left, 15);
    EXPECT_EQ(table->GetColumns()[0]->GetRect().right, 110);
}

TEST_F(TableTest, AvailableAnimalsPublishesTheRowInSlot11)
{
    data.availableAnimals = 3;
    FakeObject building;
    // Without a dialog object the table stays empty and publishes no selection.
    Table table({0, 0, 100, 80}, {100, 0, 110, 80}, "AVAILABLE_ANIMALS", 10, 8, true);
    table.SetActive(true);
    EXPECT_EQ(table.GetRowCount(), 0);
    EXPECT_EQ(gui.GetSelection(11), -1);
    EXPECT_EQ(gui.GetSelection(10), -1);
}

TEST_F(TableTest, AvailableAnimalsOfTheDialogsBuildingPublishTheRowInSlot11)
{
    data.availableAnimals = 3;
    FakeObject building;
    const std::string script = "DialogItem Adopt(0, 0, 300, 300, NONE, 1, 0)\n{\n"
                               "Table(0, 0, 100, 100, 100, 0, 110, 100, AVAILABLE_ANIMALS, 10, 5, 1)\n{\n}\n}\n";
    gui.LoadScriptText(script.data(), script.size());
    gui.SetShell(&shell);
    ASSERT_TRUE(gui.OpenDialog("Adopt", &building));
    GuiMouse mouse;
    for (int i = 0; i < 3; ++i)
        gui.Update(0.1f, mouse);
    auto* table = static_cast<Table*>(gui.FindItem(WT_TABLE, "AVAILABLE_ANIMALS"));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->GetRowCount(), 3);
    // The first row is selected at the refill and published in slot 11, not as an object in slot 10.
    EXPECT_EQ(gui.GetSelection(11), 0);
    gui.SetSelection(10, 1234);
    mouse.x = 20;
    mouse.y = 25;
    mouse.first = ME_PRESSED;
    gui.Update(0.1f, mouse);
    EXPECT_EQ(table->GetSelectedRow(), 2);
    EXPECT_EQ(gui.GetSelection(11), 2);
    EXPECT_EQ(gui.GetSelection(10), 1234);
    gui.CloseAllDialogs();
}

// A building's animals table lists the animals of the dialog's building that still have objects, once each, however
// many times it is filled again.
TEST_F(TableTest, ABuildingsAnimalsAreListedOnceEachAtEveryRefill)
{
    for (uint32_t id : {11u, 12u})
        data.objects[id] = std::make_unique<FakeObject>();
    data.buildingAnimals = {11, 13, 12}; // 13 has no object
    FakeObject building;
    GuiMouse mouse;
    Table* table = OpenExhibitTable(building, mouse);
    ASSERT_NE(table, nullptr);
    // Refills come every few seconds: three of them, each seeing the same two animals.
    for (int refill = 0; refill < 3; ++refill)
    {
        for (int i = 0; i < 3; ++i)
            gui.Update(2.0f, mouse);
        EXPECT_EQ(table->GetRowIds(), (std::vector<uint32_t>{11, 12})) << "refill " << refill;
        EXPECT_EQ(table->GetRowCount(), 2) << "refill " << refill;
    }
    gui.CloseAllDialogs();
}

TEST_F(TableTest, CachedFilterBarsStandOnTheirRows)
{
    for (uint32_t id = 1; id <= 3; ++id)
        data.AddGuest(id);
    gui.SetSelection(1, 1); // happiness: a bar
    Table table({0, 40, 100, 120}, {100, 40, 110, 120}, "GUESTS", 12, 5, false);
    TableColumn column(0, 40, 100, 120, "FILTER_GUEST", 0xFF000000, 0, 0, false);
    table.AddChild(&column);
    table.SetActive(true);
    ASSERT_NE(column.GetFilterCell(), nullptr);
    ASSERT_NE(column.GetFilterCell()->GetBar(), nullptr);
    table.DrawCached();
    // The last row drawn is the third: 40 + 2 x 12.
    EXPECT_EQ(column.GetFilterCell()->GetBar()->GetRect().top, 64);
    table.Draw();
    EXPECT_EQ(column.GetFilterCell()->GetBar()->GetRect().top, 64);
    table.SetActive(false);
}

TEST_F(TableTest, AdjusterColumnBindsRowsByIndex)
{
    for (uint32_t id = 1; id <= 4; ++id)
        data.AddGuest(id);
    Table table({0, 0, 100, 80}, {100, 0, 110, 80}, "GUESTS", 10, 8, false);
    TableColumn column(0, 0, 100, 80, "NUMADJ_PRICE", 0xFF000000, 0, 0, false);
    table.AddChild(&column);
    data.guests.resize(2);
    table.SetActive(true);
    EXPECT_EQ(column.GetRowWidgets(), 2);
    table.Update(0.0f);
    EXPECT_EQ(data.objects[2]->asked.back(), "PRICE_1");
    data.AddGuest(5); // guests 1, 2 and 5 (3 and 4 are no longer listed)
    data.guests.push_back(data.guests.back());
    data.guests.back().id = 3;
    table.Update(4.0f);
    EXPECT_EQ(column.GetRowWidgets(), 4);
    // The third and fourth rows' adjusters ask for PRICE_2 and PRICE_3.
    EXPECT_EQ(data.objects[5]->asked.back(), "PRICE_2");
    EXPECT_EQ(data.objects[3]->asked.back(), "PRICE_3");
    table.SetActive(false);
}

TEST_F(TableTest, AGuestRemovedBetweenRefillsIsNeverRead)
{
    data.AddGuest(1);
    data.AddGuest(2);
    Table table({0, 0, 100, 80}, {100, 0, 110, 80}, "GUESTS", 10, 8, false);
    TableColumn column(0, 0, 100, 80, "NUMADJ_PRICE", 0xFF000000, 0, 0, false);
    TwoGuestsTheFirstGone(table, column);
    table.Update(0.5f);
    table.DrawCached();
    table.Draw();
    EXPECT_EQ(table.GetRowIds().size(), 2u);
    EXPECT_FALSE(data.objects[2]->asked.empty());
    table.Update(4.0f);
    EXPECT_EQ(table.GetRowIds(), std::vector<uint32_t>{2});
    table.SetActive(false);
}

// The row the player pressed stays on its object when a refill puts that object on another row: a staff member ahead
// of it dismissed, a guest ahead of it gone, or the guests sorted again as their figures changed. The id published for
// the panel's buttons (Dismiss) is still the one pressed.
TEST_F(TableTest, TheSelectionFollowsItsObjectToItsNewRow)
{
    struct Case
    {
        const char* what;
        const char* table;
        int32_t slot, filter;
        std::vector<BrowserEntry> before, after;
        uint32_t pressed; // the object on row 1, pressed
        int32_t row;      // its row after the refill
    };
    BrowserEntry happy = Guest(11, 0, 0.9f, 0.0f), glad = Guest(12, 0, 0.6f, 0.0f), sad = Guest(13, 0, 0.2f, 0.0f);
    BrowserEntry gladder = glad, sadder = happy;
    gladder.happiness = 0.95f, sadder.happiness = 0.1f;
    const Case cases[] = {
        {"a cleaner ahead dismissed",
         "STAFF_LIST",
         9,
         3,
         {Staff(3, 7, u"Cleaner"), Staff(5, 6, u"Mechanic"), Staff(7, 6, u"Mechanic")},
         {Staff(3, 7, u"Cleaner", true), Staff(5, 6, u"Mechanic"), Staff(7, 6, u"Mechanic")},
         5,
         0},
        {"a guest ahead gone", "GUESTS", 1, 0, {happy, glad, sad}, {glad, sad}, 12, 0},
        {"the guests sorted again", "GUESTS", 1, 1, {happy, glad, sad}, {sadder, gladder, sad}, 12, 0},
        {"a new hire ahead",
         "STAFF_LIST",
         9,
         0,
         {Staff(3, 7, u"Cleaner"), Staff(5, 7, u"Cleaner")},
         {Staff(2, 7, u"Cleaner"), Staff(3, 7, u"Cleaner"), Staff(5, 7, u"Cleaner")},
         5,
         2},
    };
    for (const Case& c : cases)
    {
        data.guests.clear(), data.staff.clear(), data.objects.clear();
        std::vector<BrowserEntry>& pool = c.slot == 9 ? data.staff : data.guests;
        pool = c.before;
        for (const BrowserEntry& e : c.before)
            data.objects[e.id] = std::make_unique<FakeObject>();
        gui.SetSelection(c.slot, c.filter);
        Table table({0, 0, 100, 80}, {100, 0, 110, 80}, c.table, 10, 8, true);
        table.SetActive(true);
        table.OnMouse(5, 15, ME_PRESSED);
        ASSERT_EQ(table.GetSelectedRow(), 1) << c.what;
        ASSERT_EQ(gui.GetSelection(10), static_cast<int32_t>(c.pressed)) << c.what;
        pool = c.after;
        for (const BrowserEntry& e : c.after)
            if (!data.objects.count(e.id))
                data.objects[e.id] = std::make_unique<FakeObject>();
        table.Update(4.0f);
        ASSERT_LT(table.GetSelectedRow(), static_cast<int32_t>(table.GetRowIds().size())) << c.what;
        EXPECT_EQ(table.GetSelectedRow(), c.row) << c.what;
        EXPECT_EQ(table.GetRowIds()[static_cast<size_t>(std::max(table.GetSelectedRow(), 0))], c.pressed) << c.what;
        EXPECT_EQ(gui.GetSelection(10), static_cast<int32_t>(c.pressed)) << c.what;
        table.SetActive(false);
    }
}

// An exhibit's chosen animal stays chosen when others leave or join the exhibit around it, whichever row it moves
// to: Sell acts on the one chosen.
TEST_F(TableTest, AnExhibitsChosenAnimalStaysChosenWhenOthersLeaveOrJoin)
{
    struct Case
    {
        const char* what;
        std::vector<uint32_t> before;
        int32_t chosenRow;
        std::vector<uint32_t> after;
        int32_t row; // where the chosen animal is listed afterwards
    };
    const Case cases[] = {
        {"one above leaves", {11, 12, 13}, 1, {12, 13}, 0},
        {"one joins above the first", {11, 12}, 0, {13, 11, 12}, 1},
        {"one between leaves the last", {11, 12, 13}, 2, {11, 13}, 1},
        {"one below leaves", {11, 12, 13}, 0, {11, 13}, 0},
    };
    for (const Case& c : cases)
    {
        data.objects.clear();
        for (uint32_t id : {11u, 12u, 13u})
            data.objects[id] = std::make_unique<FakeObject>();
        data.buildingAnimals = c.before;
        FakeObject building;
        GuiMouse mouse;
        Table* table = OpenExhibitTable(building, mouse);
        ASSERT_NE(table, nullptr) << c.what;
        // Rows are 10 high from the top of the table.
        table->OnMouse(5, 10 * c.chosenRow + 5, ME_PRESSED);
        const uint32_t chosen = c.before[static_cast<size_t>(c.chosenRow)];
        ASSERT_EQ(gui.GetSelection(10), static_cast<int32_t>(chosen)) << c.what;
        data.buildingAnimals = c.after;
        for (uint32_t id : c.before)
            if (std::find(c.after.begin(), c.after.end(), id) == c.after.end())
                data.objects.erase(id);
        for (int i = 0; i < 3; ++i)
            gui.Update(2.0f, mouse);
        ASSERT_EQ(table->GetRowIds(), c.after) << c.what;
        EXPECT_EQ(table->GetSelectedRow(), c.row) << c.what;
        EXPECT_EQ(gui.GetSelection(10), static_cast<int32_t>(chosen)) << c.what;
        gui.CloseAllDialogs();
    }
}

// A step pressed on the adjuster of a row whose guest has left is dropped: it does not land on the guest that takes
// the row at the next refill.
TEST_F(TableTest, AStepPressedOnARowWhoseObjectWentIsDropped)
{
    GameClock clock(0);
    data.AddGuest(1);
    data.AddGuest(2);
    Table table({0, 0, 100, 80}, {100, 0, 110, 80}, "GUESTS", 10, 8, false);
    // Decimal adjusters: the increment of row 0 spans x 67 to 75, y 0 to 10.
    TableColumn column(0, 0, 100, 80, "NUMADJ_PRICE", 0xFF000000, 0, 0, false);
    TwoGuestsTheFirstGone(table, column);
    table.OnMouse(70, 5, ME_NONE);
    table.OnMouse(70, 5, ME_PRESSED);
    clock.Update(200);
    table.Update(0.2f);
    clock.Update(400);
    table.Update(4.0f);
    ASSERT_EQ(table.GetRowIds(), std::vector<uint32_t>{2});
    clock.Update(600);
    table.Update(0.2f);
    EXPECT_TRUE(data.objects[2]->written.empty());
    table.SetActive(false);
}

// A text column's name is shortened to the room right of its content offset: every glyph of a long name lies whole
// inside the column. The test font's glyphs are 6 wide; the column is 60 wide with its text 4 in, so 56 pixels
// take nine glyphs: six letters and "...".
class TextColumnTest : public widgettest::WidgetsTest
{
};

TEST_F(TextColumnTest, ALongNameIsShortenedToTheRoomRightOfItsOffset)
{
    class Named : public DialogListener
    {
    public:
        void GetVariable(const char*, platform::WString& text) override { text = u"Bartholomew Fitzgerald"; }
        void SetVariable(const char*, const DialogValue&) override {}
        void ResetPanelState() override {}
    } guest;
    Dialog("");
    // clang-format off
    const struct { int32_t contentX, glyphs, firstLeft; } cases[] = {
        {4, 9, 14},  // 56 pixels: nine glyphs
        {0, 10, 10}, // no offset: the whole 60 pixels
        {13, 7, 23}, // 47 pixels: seven glyphs
    };
    // clang-format on
    for (const auto& c : cases)
    {
        TableColumn column(10, 20, 70, 120, "VAR_GUEST_NAME", 0xFF000000, 0, c.contentX, false);
        column.SetRowHeight(10);
        column.ResetRows();
        widgettest::GuiDevice()->ClearLog();
        widgettest::GuiDevice()->BeginScene();
        column.DrawRow(&guest, false);
        g_GraphicsManager.BeginBatch(BATCH_NONE, 0, 1);
        widgettest::GuiDevice()->EndScene();
        std::vector<std::pair<float, float>> glyphs; // left and right of every textured quad
        for (const auto& [topLeft, bottomRight] : widgettest::TexturedQuads())
            glyphs.emplace_back(topLeft.x, bottomRight.x);
        std::vector<std::pair<float, float>> expected;
        for (int g = 0; g < c.glyphs; ++g)
            expected.emplace_back(static_cast<float>(c.firstLeft + 6 * g), static_cast<float>(c.firstLeft + 6 * g + 6));
        EXPECT_EQ(glyphs, expected) << "content offset " << c.contentX;
    }
}

// A press on a row's go-to button or price step acts on the object the row showed when it was pressed. When the rows
// are rebuilt between the press and its firing (at the four-second refill, or when the open dialogs are refreshed as
// an object is removed) and the row goes to another guest (the pressed one left, or the order changed), the press is
// dropped and never acts on that other guest. A press made after the rows were rebuilt acts on the guest shown then.
enum PressOrder
{
    PRESS_THEN_REFILL,  // pressed, then the table's own refill, and the press is due
    PRESS_THEN_REFRESH, // pressed, then the open dialogs are refreshed, and the press is due
    REFRESH_THEN_PRESS, // the open dialogs are refreshed, then pressed, and the press is due
};

struct PressCase
{
    const char* what;
    const char* column;
    int32_t x; // inside row 0's button (the go-to button spans the column; the increment x 67 to 75)
    void (*change)(FakePanelData& data);
    PressOrder order;
    uint32_t actsOn; // the guest the press acts on; 0 for none
};
void PrintTo(const PressCase& c, std::ostream* os)
{
    *os << c.what;
}

class RowPress : public TableTest, public ::testing::WithParamInterface<PressCase>
{
};

TEST_P(RowPress, ActsOnlyOnTheObjectPressed)
{
    const PressCase& c = GetParam();
    GameClock clock(0);
    data.AddGuest(1, 0.9f);
    data.AddGuest(2, 0.5f);
    gui.SetSelection(1, 1); // by happiness, happiest first
    Table table({0, 0, 100, 80}, {100, 0, 110, 80}, "GUESTS", 10, 8, false);
    TableColumn column(0, 0, 100, 80, c.column, 0xFF000000, 0, 0, false);
    table.AddChild(&column);
    table.SetActive(true);
    ASSERT_EQ(table.GetRowIds(), (std::vector<uint32_t>{1, 2}));
    auto press = [&]
    {
        table.OnMouse(c.x, 5, ME_NONE);
        table.OnMouse(c.x, 5, ME_PRESSED);
    };
    if (c.order == REFRESH_THEN_PRESS)
    {
        c.change(data);
        table.Refresh();
        press();
    }
    else
    {
        press();
        c.change(data);
        if (c.order == PRESS_THEN_REFRESH)
            table.Refresh();
    }
    clock.Update(200);
    table.Update(c.order == PRESS_THEN_REFILL ? 4.0f : 0.0f); // the press is due
    const bool adjust = column.GetCellKind() == TableColumn::CELL_ADJUST;
    auto actedOn = [&](uint32_t id)
    {
        if (!adjust)
            return std::find(data.opened.begin(), data.opened.end(), id) != data.opened.end();
        const auto it = data.objects.find(id);
        return it != data.objects.end() && !it->second->written.empty();
    };
    for (uint32_t id : {1u, 2u})
        EXPECT_EQ(actedOn(id), id == c.actsOn) << c.what << ", guest " << id;
    table.SetActive(false);
}

void Unchanged(FakePanelData&) {}
void FirstLeaves(FakePanelData& data)
{
    data.guests[0].removed = true;
}
void FirstDeleted(FakePanelData& data)
{
    data.objects.erase(1);
    data.guests.erase(data.guests.begin());
}
void FirstSaddened(FakePanelData& data)
{
    data.guests[0].happiness = 0.1f;
}

INSTANTIATE_TEST_SUITE_P(
    TableTest, RowPress,
    ::testing::Values(
        PressCase{"go-to, row unchanged", "BUT_GOTO", 50, Unchanged, PRESS_THEN_REFILL, 1},
        PressCase{"go-to, guest left", "BUT_GOTO", 50, FirstLeaves, PRESS_THEN_REFILL, 0},
        PressCase{"go-to, guest deleted", "BUT_GOTO", 50, FirstDeleted, PRESS_THEN_REFILL, 0},
        PressCase{"go-to, order changed", "BUT_GOTO", 50, FirstSaddened, PRESS_THEN_REFILL, 0},
        PressCase{"go-to, guest deleted, refreshed", "BUT_GOTO", 50, FirstDeleted, PRESS_THEN_REFRESH, 0},
        PressCase{"go-to, unchanged, refreshed", "BUT_GOTO", 50, Unchanged, PRESS_THEN_REFRESH, 1},
        PressCase{"go-to pressed after the refresh", "BUT_GOTO", 50, FirstDeleted, REFRESH_THEN_PRESS, 2},
        PressCase{"go-to pressed after a new order", "BUT_GOTO", 50, FirstSaddened, REFRESH_THEN_PRESS, 2},
        PressCase{"step, row unchanged", "NUMADJ_PRICE", 70, Unchanged, PRESS_THEN_REFILL, 1},
        PressCase{"step, guest left", "NUMADJ_PRICE", 70, FirstLeaves, PRESS_THEN_REFILL, 0},
        PressCase{"step, guest deleted", "NUMADJ_PRICE", 70, FirstDeleted, PRESS_THEN_REFILL, 0},
        PressCase{"step, order changed", "NUMADJ_PRICE", 70, FirstSaddened, PRESS_THEN_REFILL, 0},
        PressCase{"step, guest left, refreshed", "NUMADJ_PRICE", 70, FirstLeaves, PRESS_THEN_REFRESH, 0},
        PressCase{"step pressed after the refresh", "NUMADJ_PRICE", 70, FirstLeaves, REFRESH_THEN_PRESS, 2}));

TEST(TableScript, ColumnsStandInTheTableBuiltLast)
{
    const std::string text = "DialogItem D(0, 0, 400, 300, NONE, 1, 0)\n{\n"
                             "Table(10, 20, 210, 120, 215, 20, 225, 120, GUESTS, 10, 8, 1)\n{\n"
                             "<COL(0, 4278190080, VAR_GUEST_NAME, 5, 100, 2, 0)>\n"
                             "<COL(0, 4278190080, NUMADJ_PRICE, 100, 180, 0, 1, TIP)>\n}\n}\n";
    const GuiScript script = GuiParser(800, 600).Parse(text.data(), text.size());
    Table* table = nullptr;
    for (const auto& item : script.items)
        if (item->GetType() == WT_TABLE)
            table = static_cast<Table*>(item.get());
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->GetColumns().size(), 2u);
    const TableColumn* first = table->GetColumns()[0];
    EXPECT_EQ(first->GetCellKind(), TableColumn::CELL_TEXT);
    EXPECT_STREQ(first->GetName(), "GUEST_NAME");
    // Left and right count from the table's left edge; the column spans the table's height.
    EXPECT_EQ(first->GetRect().left, table->GetRect().left + 5);
    EXPECT_EQ(first->GetRect().right, table->GetRect().left + 100);
    EXPECT_EQ(first->GetRect().top, table->GetRect().top);
    EXPECT_EQ(first->GetRect().bottom, table->GetRect().bottom);
    EXPECT_EQ(table->GetColumns()[1]->GetCellKind(), TableColumn::CELL_ADJUST);
    EXPECT_STREQ(table->GetColumns()[1]->GetTooltip(), "TIP");
    EXPECT_TRUE(script.skipped.empty());
}

} // namespace
