// Tests of the variable texts and pictures (formats, ratings, smileys, indexed names) and the build panel's
// thumbnails (availability, counts and their colours, the choice of a thumbnail, their order at any scripted gap).
#include "gui/GUIManager.h"
#include "gui/GuiShell.h"
#include "gui/Image.h"
#include "gui/ImageList.h"
#include "gui/PanelData.h"
#include "gui/VariableWidgets.h"
#include "tests/gui/EmptyPanelData.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <string>
#include <vector>

namespace
{

class FigureData : public EmptyPanelData
{
public:
    bool GetFigure(PanelFigure figure, double* value) override
    {
        const auto it = figures.find(figure);
        if (it == figures.end())
            return false;
        *value = it->second;
        return true;
    }
    int32_t GetObjectiveState(int32_t n) override
    {
        return n >= 0 && n < static_cast<int32_t>(objectives.size()) ? objectives[static_cast<size_t>(n)] : -1;
    }
    int32_t GetBuildingRecordCount() override { return static_cast<int32_t>(records.size()); }
    bool GetBuildingRecord(int32_t i, BuildRecord* out) override
    {
        if (i < 0 || i >= GetBuildingRecordCount())
            return false;
        *out = records[static_cast<size_t>(i)].record;
        return true;
    }
    int32_t GetSceneryRecordCount() override { return static_cast<int32_t>(scenery.size()); }
    bool GetSceneryRecord(int32_t i, SceneryRecord* out) override
    {
        if (i < 0 || i >= GetSceneryRecordCount())
            return false;
        *out = scenery[static_cast<size_t>(i)];
        return true;
    }
    bool CheckBuildRequirement(int32_t i) override { return records[static_cast<size_t>(i)].requirement; }
    bool IsBuildTypeAtLimit(int32_t i) override { return records[static_cast<size_t>(i)].atLimit; }
    bool CanBuildType(int32_t i) override { return records[static_cast<size_t>(i)].canBuild; }
    int32_t CountBuildings(int32_t i) override { return records[static_cast<size_t>(i)].count; }
    int32_t CountFinishedBuildings(int32_t i) override { return records[static_cast<size_t>(i)].finished; }

    struct Record
    {
        BuildRecord record;
        bool requirement = false, atLimit = false, canBuild = true;
        int32_t count = 0, finished = 0;
    };
    std::map<PanelFigure, double> figures;
    std::vector<int32_t> objectives;
    std::vector<Record> records;
    std::vector<SceneryRecord> scenery;
};

using Shell = PanelDataShell;

class PanelValues : public ::testing::Test
{
protected:
    void SetUp() override { gui.SetShell(&shell); }
    void TearDown() override { gui.SetShell(nullptr); }

    std::string Text(const char* name, uint32_t* colour = nullptr)
    {
        Variable variable(0, 0, 100, 20, name, 0, 0xFF112233, 2);
        platform::WString text;
        uint32_t c = 0;
        int32_t indent = 0;
        variable.Compose(text, &c, &indent);
        if (colour)
            *colour = c;
        return std::string(text.begin(), text.end());
    }

    FigureData data;
    Shell shell{&data};
    GUIManager gui{nullptr};
};

TEST(RatingRow, StarsFromTheTensAndTwenties)
{
    struct Case
    {
        int32_t value;
        int32_t stars[5];
    };
    // Star i is full from 20(i+1), half from 20i+10.
    const Case cases[] = {
        {0, {0, 0, 0, 0, 0}},  {9, {0, 0, 0, 0, 0}},  {10, {1, 0, 0, 0, 0}}, {35, {2, 1, 0, 0, 0}},
        {40, {2, 2, 0, 0, 0}}, {90, {2, 2, 2, 2, 1}}, {99, {2, 2, 2, 2, 1}}, {100, {2, 2, 2, 2, 2}},
    };
    for (const Case& c : cases)
        for (int32_t i = 0; i < 5; ++i)
            EXPECT_EQ(varimage::StarDirection(c.value, i), c.stars[i]) << c.value << " star " << i;
}

TEST(Smiley, FramesOfHappiness)
{
    // A happiness far past 1 (set by a behaviour script or read from a save) is the happiest face, one that is no
    // number the saddest.
    const std::pair<float, int32_t> cases[] = {{0.0f, 0},
                                               {0.19f, 0},
                                               {0.2f, 1},
                                               {0.5f, 2},
                                               {0.99f, 4},
                                               {1.0f, 4},
                                               {-1.0f, 0},
                                               {1.0e10f, 4},
                                               {std::numeric_limits<float>::infinity(), 4},
                                               {-std::numeric_limits<float>::infinity(), 0},
                                               {std::numeric_limits<float>::quiet_NaN(), 0}};
    for (const auto& [happiness, frame] : cases)
        EXPECT_EQ(varimage::SmileyFrame(happiness), frame) << happiness;
}

TEST(UnhappyShare, PercentOfDeparturesAndNoneWithoutDepartures)
{
    const struct
    {
        int32_t unhappy;
        int32_t departed;
        int32_t percent;
    } cases[] = {{0, 0, 0}, {3, 0, 0}, {1, 4, 25}, {2, 3, 66}, {7, 7, 100}, {0, 9, 0}, {3, 10, 30}};
    for (const auto& c : cases)
        EXPECT_EQ(varimage::UnhappyShare(c.unhappy, c.departed), c.percent) << c.unhappy << "/" << c.departed;
}

TEST_F(PanelValues, MoneyTimeAndDayFormats)
{
    data.figures[PF_CASH] = -12.4;
    data.figures[PF_DAY_TIME] = 13.6;
    data.figures[PF_GAME_DAY] = 0;
    data.figures[PF_NUM_GUESTS] = 42;
    uint32_t colour = 0;
    EXPECT_EQ(Text("PlayerMoney$", &colour), "$-12");
    EXPECT_EQ(colour, Variable::kRed);
    EXPECT_EQ(Text("PlayerMoney", &colour), "-12");
    EXPECT_EQ(colour, 0xFF112233u);
    EXPECT_EQ(Text("Time"), "13:30");
    EXPECT_EQ(Text("GameDay"), "1");
    EXPECT_EQ(Text("NumGuests"), "42");
    data.figures[PF_DAY_TIME] = 7.99;
    EXPECT_EQ(Text("Time"), "7:45");
    data.figures[PF_DAY_TIME] = 0.2;
    EXPECT_EQ(Text("Time"), "0:00");
}

TEST_F(PanelValues, ProfitIsRedOnlyWhenNegative)
{
    data.figures[PF_INCOME_TODAY] = 100.0;
    data.figures[PF_COSTS_TODAY] = 150.0;
    uint32_t colour = 0;
    EXPECT_EQ(Text("WORLD_PROFIT_$", &colour), "$-50");
    EXPECT_EQ(colour, Variable::kRed);
    EXPECT_EQ(Text("WORLD_COST_$", &colour), "$150");
    EXPECT_EQ(colour, 0xFF112233u);
}

TEST_F(PanelValues, DollarFiguresAndWhichTurnRedBelowZero)
{
    const struct
    {
        const char* name;
        PanelFigure figure;
        bool red;
    } cases[] = {
        {"PlayerMoney$", PF_CASH, true},
        {"WORLD_INCOME_$", PF_INCOME_TODAY, true},
        {"WORLD_INCOME_DEMOLISH_$", PF_DEMOLISH_INCOME_TODAY, false},
        {"WORLD_INCOME_ATTRACT_$", PF_ATTRACT_INCOME_TODAY, true},
        {"WORLD_INCOME_RETAIL_$", PF_RETAIL_INCOME_TODAY, true},
        {"WORLD_COST_$", PF_COSTS_TODAY, false},
        {"WORLD_COST_CON_$", PF_CONSTRUCT_COST_TODAY, false},
        {"WORLD_COST_WAGES_$", PF_WAGES_COST_TODAY, false},
        {"WORLD_COST_STOCK_$", PF_STOCK_COST_TODAY, false},
        {"WORLD_COST_SCEN_$", PF_SCENERY_COST_TODAY, false},
        {"WORLD_PROFIT_AVG_$", PF_AVERAGE_PROFIT, true},
        {"WORLD_COST_AVG_$", PF_AVERAGE_COST, false},
        {"WORLD_INCOME_AVG_$", PF_AVERAGE_INCOME, true},
    };
    for (const auto& c : cases)
    {
        data.figures.clear();
        data.figures[c.figure] = -7.6;
        uint32_t colour = 0;
        EXPECT_EQ(Text(c.name, &colour), "$-8") << c.name;
        EXPECT_EQ(colour, c.red ? Variable::kRed : 0xFF112233u) << c.name;
        data.figures[c.figure] = 2.0;
        EXPECT_EQ(Text(c.name, &colour), "$2") << c.name;
        EXPECT_EQ(colour, 0xFF112233u) << c.name;
    }
}

TEST_F(PanelValues, CountsFromTheirFigures)
{
    const struct
    {
        const char* name;
        PanelFigure figure;
    } cases[] = {
        {"NumGuests", PF_NUM_GUESTS},
        {"LITTER_COUNT_NOFORMAT", PF_LITTER_COUNT},
        {"BUILDING_COUNT", PF_BUILDING_COUNT},
        {"STAFF_COUNT", PF_STAFF_COUNT},
        {"BUILDING_CONSTRUCTED", PF_BUILDINGS_CONSTRUCTED},
        {"BUILDING_DIFF_CONSTRUCTED", PF_DIFF_BUILDINGS_CONSTRUCTED},
        {"MECHANIC_COUNT", PF_MECHANIC_COUNT},
        {"CLEANER_COUNT", PF_CLEANER_COUNT},
        {"WORLD_RIDES_BUILT", PF_RIDES_BUILT},
        {"WORLD_AMUSEMENT_BUILT", PF_AMUSEMENT_BUILT},
    };
    for (const auto& c : cases)
    {
        data.figures.clear();
        data.figures[c.figure] = 17;
        EXPECT_EQ(Text(c.name), "17") << c.name;
    }
    data.figures[PF_LOWEST_GUEST_AVERAGE] = 0.5;
    EXPECT_EQ(Text("LOWEST_GUEST_AV"), "2.5");
    data.figures[PF_ANIMAL_HAPPY] = 0.125;
    EXPECT_EQ(Text("ANIMAL_HAPPINESS"), "0.12");
    data.figures[PF_ANIMAL_INCOME_TOTAL] = 99.9;
    EXPECT_EQ(Text("ANIMAL_ATTRACT_TOTAL"), "$99");
}

TEST_F(PanelValues, ObjectivesDoneCountsMetObjectives)
{
    data.figures[PF_OBJECTIVE_COUNT] = 3;
    data.objectives = {1, 2, 1};
    EXPECT_EQ(Text("OBJECTIVES_DONE"), "2");
}

TEST_F(PanelValues, UnhappyLeaversAndMessageSlotsOutOfRange)
{
    data.figures[PF_UNHAPPY_TOTAL_0] = 3;
    data.figures[PF_UNHAPPY_TOTAL_1] = 4;
    EXPECT_EQ(Text("UNHAPPY_LEAVERS"), "7");
    // A dialog value slot past the five there are shows nothing (and reads nothing past them).
    EXPECT_EQ(Text("MessageText_9"), "");
    EXPECT_EQ(Text("MessageText_4"), "");
}

TEST_F(PanelValues, IndexedPicturesOutsideTheObjectivesDrawNothing)
{
    data.figures[PF_OBJECTIVE_COUNT] = 5;
    data.objectives = {1, 0, 2, 1, 1};
    struct Case
    {
        const char* name;
        size_t steps;
        bool cached;
    };
    const Case cases[] = {
        {"OBJ_ICON_7", 0, true},           {"OBJ_ICON_2", 1, true},       {"PROGRESS_TICK_0", 1, false},
        {"PROGRESS_TICK_1", 0, false},     {"PROGRESS_TICK_9", 0, false}, {"PROGRESS_BACK_3", 1, false},
        {"PROGRESS_BACK_99999", 0, false}, {"PROGRESS_BACK_", 0, false},  {"PROGRESS_TICK_x", 0, false},
    };
    for (const Case& c : cases)
    {
        VariableImage image(0, 0, 10, 10, c.name);
        EXPECT_EQ((c.cached ? image.PlanDrawCached() : image.PlanDraw()).size(), c.steps) << c.name;
    }
    VariableImage icon(0, 0, 10, 10, "OBJ_ICON_2");
    const auto steps = icon.PlanDrawCached();
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].frame, 2);
}

TEST_F(PanelValues, RatingRowOfTheParkRating)
{
    data.figures[PF_PARK_RATING] = 35;
    VariableImage image(0, 0, 10, 10, "STAR_RATING_UI2");
    const auto steps = image.PlanDraw();
    ASSERT_EQ(steps.size(), 5u);
    const int32_t expected[] = {2, 1, 0, 0, 0};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(steps[i].direction, expected[i]);
}

TEST_F(PanelValues, BeautyAbove94CountsAsFull)
{
    data.figures[PF_BEAUTY] = 0.95;
    data.figures[PF_ANIMAL_HAPPY] = 0.95;
    VariableImage beauty(0, 0, 10, 10, "BEAUTY_STARS");
    VariableImage animals(0, 0, 10, 10, "AV_ANIMAL_HAPPY");
    EXPECT_EQ(beauty.PlanDraw().back().direction, 2);
    EXPECT_EQ(animals.PlanDraw().back().direction, 1);
}

TEST_F(PanelValues, SceneryRatingZeroDrawsNoBlocksBuildingIntensityZeroFiveEmpty)
{
    SceneryRecord plain, pretty;
    plain.rating = 0.0f;
    pretty.rating = 0.55f;
    data.scenery = {plain, pretty};
    data.records.push_back({});
    data.records.back().record.intensity = 0.0f;
    VariableImage scenery(0, 0, 10, 10, "SP_ITEM_RATING");
    VariableImage building(0, 0, 10, 10, "BUILD_INTEN_STARS");
    gui.SetSelection(5, 0);
    EXPECT_TRUE(scenery.PlanDraw().empty());
    gui.SetSelection(5, -1);
    EXPECT_TRUE(scenery.PlanDraw().empty());
    gui.SetSelection(5, 1);
    const auto blocks = scenery.PlanDraw();
    ASSERT_EQ(blocks.size(), 5u);
    // 55: two full blocks, then a half (50 to 59), then two empty.
    const int32_t expected[] = {2, 2, 1, 0, 0};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(blocks[i].direction, expected[i]);
    gui.SetSelection(0, 0);
    const auto stars = building.PlanDraw();
    ASSERT_EQ(stars.size(), 5u);
    for (const auto& star : stars)
        EXPECT_EQ(star.direction, 0);
}

TEST_F(PanelValues, DebtBackingOnlyBelowZero)
{
    VariableImage image(0, 0, 10, 10, "BAR_CASH_BACKING");
    data.figures[PF_CASH] = 0.0;
    EXPECT_TRUE(image.PlanDraw().empty());
    data.figures[PF_CASH] = -0.5;
    EXPECT_EQ(image.PlanDraw().size(), 1u);
}

// ---- build panel

BuildRecord Record(int32_t type, const char* keyword, int32_t frame, bool inPanel = true)
{
    BuildRecord r;
    r.type = type;
    r.keyword = keyword;
    r.thumbFrame = frame;
    r.inBuildPanel = inPanel;
    return r;
}

TEST_F(PanelValues, BuildThumbnailsGreyAvailableAndCountColours)
{
    // Type 2 (food) is the food list's; the other types and those out of the panel are not listed.
    auto add = [&](BuildRecord r, bool requirement, bool atLimit, bool canBuild, int32_t count, int32_t finished)
    {
        FigureData::Record rec;
        rec.record = std::move(r);
        rec.requirement = requirement, rec.atLimit = atLimit, rec.canBuild = canBuild;
        rec.count = count, rec.finished = finished;
        data.records.push_back(rec);
    };
    add(Record(2, "kiosk", 4), false, false, true, 0, 0);         // available, none built: red
    add(Record(2, "cafe", 5), false, false, true, 3, 2);          // one under construction: orange
    add(Record(2, "grill", 6), false, false, true, 3, 3);         // all finished: black
    add(Record(2, "bistro", 7), false, true, true, 1, 1);         // at its limit: grey
    add(Record(2, "diner", 8), true, false, true, 0, 0);          // requirement not met: grey
    add(Record(2, "locked", 9), false, false, false, 0, 0);       // not buildable now: left out
    add(Record(1, "coaster", 1), false, false, true, 0, 0);       // another type
    add(Record(2, "hidden", 2, false), false, false, true, 0, 0); // not in the panel
    ImageList list(0, 0, 300, 200, 2, 2, "BUILD_FOOD_SMALL", "NONE");
    list.SetActive(true);
    const auto& e = list.GetEntries();
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[0].name, "FAN_KIOSK");
    EXPECT_STREQ(e[0].sprite, "UI3_bp_thumb");
    EXPECT_EQ(e[0].colour, 0xFFFF0000u);
    EXPECT_EQ(std::string(e[0].count.begin(), e[0].count.end()), "0");
    EXPECT_EQ(e[1].colour, 0xFFFF8000u);
    EXPECT_EQ(std::string(e[1].count.begin(), e[1].count.end()), "3");
    EXPECT_EQ(e[2].colour, 0xFF000000u);
    for (size_t i = 3; i < 5; ++i)
    {
        EXPECT_STREQ(e[i].sprite, "UI3_bp_thumb_grey");
        EXPECT_FALSE(e[i].showCount);
    }
    EXPECT_EQ(e[3].item, 3);
    EXPECT_EQ(e[4].frame, 8);
    // The first thumbnail is chosen on activation: its record goes to slot 0.
    EXPECT_EQ(gui.GetSelection(0), 0);
    EXPECT_EQ(list.GetLabels().size(), 3u);
    // Shown again while shown (its page chosen again), it keeps one count a thumbnail.
    list.SetActive(true);
    EXPECT_EQ(list.GetLabels().size(), 3u);
}

// Each of the four building lists, opened, chooses its first thumbnail: that building's record goes to slot 0, and
// the scenery slot is left alone. Each type has one record; before each list opens, slot 0 holds a value that no
// record has.
TEST_F(PanelValues, EachBuildingListPutsItsChosenRecordInSlotZero)
{
    struct Case
    {
        const char* category;
        int32_t type; // the building type the list shows
    };
    const Case cases[] = {
        {"BUILD_ANIMAL_SMALL", 0}, {"BUILD_FOOD_SMALL", 2}, {"BUILD_RIDES_SMALL", 1}, {"BUILD_PARK_SMALL", 3}};
    const char* const keywords[] = {"tank", "coaster", "kiosk", "office"};
    for (int32_t type = 0; type < 4; ++type)
    {
        FigureData::Record rec;
        rec.record = Record(type, keywords[type], type);
        rec.canBuild = true;
        data.records.push_back(rec);
    }
    for (const Case& c : cases)
    {
        gui.SetSelection(0, -7);
        gui.SetSelection(5, 42);
        ImageList list(0, 0, 300, 200, 2, 2, c.category, "NONE");
        list.SetActive(true);
        ASSERT_EQ(list.GetEntries().size(), 1u) << c.category;
        EXPECT_EQ(gui.GetSelection(0), c.type) << c.category;
        EXPECT_EQ(gui.GetSelection(5), 42) << c.category;
    }
}

// However wide the gaps a script writes between thumbnails, the thumbnails stand in reading order from the list's
// top-left corner: each one right of the one before on its row, or on a row below it.
TEST_F(PanelValues, BuildThumbnailsOfAnyScriptedGapStandInReadingOrder)
{
    FigureData::Record rec;
    rec.record = Record(2, "kiosk", 4);
    rec.canBuild = true;
    data.records = {rec, rec, rec, rec};
    struct Case
    {
        int32_t hGap, vGap;
    };
    const Case cases[] = {
        {2, 2}, {2000000000, 2}, {2, 2000000000}, {2000000000, 2000000000}, {2147483647, 2147483647}, {-2147483647, 2}};
    for (const Case& c : cases)
    {
        ImageList list(10, 20, 300, 200, c.hGap, c.vGap, "BUILD_FOOD_SMALL", "NONE");
        list.SetActive(true);
        const auto& thumbs = list.GetThumbs();
        ASSERT_EQ(thumbs.size(), 4u) << c.hGap << " " << c.vGap;
        EXPECT_EQ(thumbs[0]->GetRect().left, 10) << c.hGap << " " << c.vGap;
        EXPECT_EQ(thumbs[0]->GetRect().top, 20) << c.hGap << " " << c.vGap;
        for (size_t i = 1; i < thumbs.size(); ++i)
        {
            const GuiRect& before = thumbs[i - 1]->GetRect();
            const GuiRect& at = thumbs[i]->GetRect();
            const bool sameRow = at.top == before.top && at.left >= before.right;
            const bool rowBelow = at.top >= before.bottom && at.top > before.top && at.left == 10;
            EXPECT_TRUE(sameRow || rowBelow) << c.hGap << " " << c.vGap << " thumbnail " << i << " at " << at.left
                                             << "," << at.top << " after " << before.left << "," << before.top;
        }
    }
}

// A dialog that moves (sliding in, or opened where the player left it) places its lists anew from their home: the
// thumbnails and their count labels go with the list, by as much as the list, so that what is drawn and what a
// click picks stay where the list is.
TEST_F(PanelValues, BuildThumbnailsFollowTheirListWhenItsDialogMoves)
{
    FigureData::Record rec;
    rec.record = Record(2, "kiosk", 4);
    rec.canBuild = true;
    data.records = {rec, rec, rec};
    ImageList list(10, 20, 300, 200, 2, 2, "BUILD_FOOD_SMALL", "NONE");
    list.SetActive(true);
    ASSERT_EQ(list.GetThumbs().size(), 3u);
    ASSERT_EQ(list.GetLabels().size(), 3u);
    std::vector<GuiRect> thumbs;
    for (const auto& thumb : list.GetThumbs())
        thumbs.push_back(thumb->GetRect());
    std::vector<std::pair<int32_t, int32_t>> labels;
    for (const BuildThumbLabel& label : list.GetLabels())
        labels.emplace_back(label.x, label.y);

    struct Step
    {
        int32_t dx, dy;
    };
    // Offsets from home, as a dialog's layout gives them: each is from home, not from the last.
    for (const Step step : {Step{790, 0}, Step{400, 0}, Step{37, -5}, Step{0, 0}})
    {
        list.Reposition(step.dx, step.dy);
        EXPECT_EQ(list.GetRect().left, 10 + step.dx);
        for (size_t i = 0; i < thumbs.size(); ++i)
        {
            const GuiRect& r = list.GetThumbs()[i]->GetRect();
            EXPECT_EQ(r.left, thumbs[i].left + step.dx) << "thumb " << i << " at offset " << step.dx;
            EXPECT_EQ(r.top, thumbs[i].top + step.dy) << "thumb " << i << " at offset " << step.dx;
            EXPECT_EQ(r.right, thumbs[i].right + step.dx) << "thumb " << i << " at offset " << step.dx;
            EXPECT_EQ(list.GetLabels()[i].x, labels[i].first + step.dx) << "label " << i;
            EXPECT_EQ(list.GetLabels()[i].y, labels[i].second + step.dy) << "label " << i;
        }
    }
}

TEST_F(PanelValues, SceneryThumbnailsChooseTheirToolMode)
{
    auto tree = [](const char* keyword, bool available)
    {
        SceneryRecord r;
        r.category = 4;
        r.keyword = keyword;
        r.available = available;
        return r;
    };
    data.scenery = {tree("palm", true), tree("oak", false), tree("pine", true)};
    SceneryRecord path;
    path.category = 1;
    path.pathStyle = 2;
    path.keyword = "boardwalk";
    data.scenery.push_back(path);
    ImageList trees(0, 0, 300, 200, 2, 2, "BUILD_TREES_SMALL", "NONE");
    trees.SetActive(true);
    const auto& e = trees.GetEntries();
    ASSERT_EQ(e.size(), 3u); // palm, pine and the random entry
    EXPECT_EQ(e[1].name, "SP_DESC_PINE");
    EXPECT_EQ(e[2].item, -1);
    EXPECT_EQ(e[2].frame, 15);
    EXPECT_EQ(gui.GetSelection(5), 0);
    EXPECT_EQ(gui.GetRequestedMode(), 2);
    // The random entry: slot 5 -1, slot 14 the tree category, the scenery brush.
    trees.Select(2);
    trees.ApplySelection();
    EXPECT_EQ(gui.GetSelection(5), -1);
    EXPECT_EQ(gui.GetSelection(14), 4);
    EXPECT_EQ(gui.GetRequestedMode(), 10);

    ImageList paths(0, 0, 300, 200, 2, 2, "BUILD_PATHS_SMALL", "NONE");
    paths.SetActive(true);
    ASSERT_EQ(paths.GetEntries().size(), 1u);
    EXPECT_EQ(paths.GetEntries()[0].frame, 1);
    EXPECT_EQ(gui.GetSelection(5), 3);
    EXPECT_EQ(gui.GetSelection(14), 1);
    EXPECT_EQ(gui.GetRequestedMode(), 9);
}

// Pressing the header of the page already shown chooses the page's thumbnail again: after the bulldozer cleared it,
// the first thumbnail and its tool come back; a chosen thumbnail is chosen again, with its tool.
TEST_F(PanelValues, PressingTheShownPagesHeaderChoosesItsThumbnailAgain)
{
    auto tree = [](const char* keyword)
    {
        SceneryRecord r;
        r.category = 4;
        r.keyword = keyword;
        r.available = true;
        return r;
    };
    data.scenery = {tree("palm"), tree("pine")};
    ImageList trees(0, 0, 300, 200, 2, 2, "BUILD_TREES_SMALL", "NONE");
    trees.SetActive(true);
    struct Case
    {
        const char* what;
        int32_t before; // the list's selection before the press
        int32_t selected;
        int32_t slot5;
        int32_t mode;
    };
    const Case cases[] = {
        {"cleared by the bulldozer", -1, 0, 0, 2},
        {"the second tree", 1, 1, 1, 2},
        {"the random entry", 2, 2, -1, 10},
    };
    for (const Case& c : cases)
    {
        trees.Select(c.before);
        gui.SetSelection(5, 99);
        gui.SetMode(8);
        trees.OnTabClicked();
        EXPECT_EQ(trees.GetSelected(), c.selected) << c.what;
        EXPECT_EQ(gui.GetSelection(5), c.slot5) << c.what;
        EXPECT_EQ(gui.GetRequestedMode(), c.mode) << c.what;
    }
}

TEST_F(PanelValues, CategoryNamesAreExact)
{
    EXPECT_EQ(ImageList::KindOfCategory("BUILD_ANIMAL_SMALL"), 0);
    EXPECT_EQ(ImageList::KindOfCategory("BUILD_RIDES_SMALL"), 2);
    EXPECT_EQ(ImageList::KindOfCategory("BUILD_SHRUBS_SMALL"), 9);
    EXPECT_EQ(ImageList::KindOfCategory("build_animal_small"), -1);
}

} // namespace
