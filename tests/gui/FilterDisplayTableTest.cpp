// The object browser's filter display table, row by row: what a filter cell shows for every filter id.
#include "gui/ObjectBrowser.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace
{

struct Row
{
    int32_t mode;
    std::string keyword;
    int32_t style; // 0 for a text or nothing
};

// The table as the game's documentation lists it; ids 23 to 26 and 28 to 31 all show the day's income, and 0, 27
// and everything past 36 show nothing.
std::map<int32_t, Row> DocumentedRows()
{
    std::map<int32_t, Row> rows = {
        {1, {browser::FM_BAR, "GUEST_HAPPY_VALUE", 1}},
        {3, {browser::FM_BAR, "GUEST_HAPPY_VALUE", 1}},
        {4, {browser::FM_BAR, "GUEST_HAPPY_VALUE", 1}},
        {2, {browser::FM_TEXT, "GUEST_CASH", 0}},
        {5, {browser::FM_BAR, "GUEST_DESIRE_TOILET", 2}},
        {6, {browser::FM_BAR, "GUEST_OPINION_PRICE", 1}},
        {7, {browser::FM_BAR, "GUEST_OPINION_CROWDING", 1}},
        {8, {browser::FM_BAR, "GUEST_OPINION_BEAUTY", 1}},
        {9, {browser::FM_BAR, "GUEST_OPINION_CLEANLINESS", 1}},
        {10, {browser::FM_BAR, "GUEST_OPINION_VARIETY", 1}},
        {11, {browser::FM_BAR, "GUEST_OPINION_WELFARE", 1}},
        {12, {browser::FM_NOTHING, "BUILDING_REPAIRSTATE", 0}},
        {13, {browser::FM_TEXT, "BUILDING_REPAIRSTATE_%", 0}},
        {22, {browser::FM_TEXT, "BUILDING_FAULTS", 0}},
        {14, {browser::FM_TEXT, "BUILDING_INCOMETODAY$", 0}},
        {15, {browser::FM_TEXT, "BUILDING_COSTTODAY$", 0}},
        {16, {browser::FM_TEXT, "BUILDING_PROFITTODAY$", 0}},
        {17, {browser::FM_TEXT, "BUILDING_AVERAGEPROFIT$", 0}},
        {20, {browser::FM_TEXT, "BUILDING_AGE", 0}},
        {21, {browser::FM_TEXT, "BUILDING_NUMVISITS", 0}},
        {18, {browser::FM_TEXT, "BUILDING_OPEN", 0}},
        {19, {browser::FM_TEXT, "BUILDING_OPEN", 0}},
        {32, {browser::FM_TEXT, "ANIMAL_HEALTH_LEVEL", 0}},
        {33, {browser::FM_BAR, "ANIMAL_HEALTH", 1}},
        {34, {browser::FM_BAR, "ANIMAL_OPINION_FOOD", 1}},
        {35, {browser::FM_BAR, "ANIMAL_OPINION_CROWDING", 1}},
        {36, {browser::FM_BAR, "ANIMAL_OPINION_CLEANLINESS", 1}},
    };
    for (int32_t id : {23, 24, 25, 26, 28, 29, 30, 31})
        rows[id] = {browser::FM_TEXT, "BUILDING_INCOMETODAY$", 0};
    return rows;
}

TEST(FilterDisplayTable, EveryIdShowsItsDocumentedRowAndNoOtherIdShowsAnything)
{
    const std::map<int32_t, Row> rows = DocumentedRows();
    ASSERT_EQ(rows.size(), 35u);
    for (int32_t id = -2; id <= 40; ++id)
    {
        const browser::FilterDisplay* d = browser::FindFilterDisplay(id);
        const auto it = rows.find(id);
        if (it == rows.end())
        {
            EXPECT_EQ(d, nullptr) << id;
            continue;
        }
        ASSERT_NE(d, nullptr) << id;
        EXPECT_EQ(d->id, id);
        EXPECT_EQ(d->mode, it->second.mode) << id;
        EXPECT_EQ(it->second.keyword, d->keyword) << id;
        if (d->mode == browser::FM_BAR)
        {
            EXPECT_EQ(d->style, it->second.style) << id;
        }
    }
}

} // namespace
