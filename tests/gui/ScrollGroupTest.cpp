// Tests of the scroll group: the items that fit from the first on, an item taller than the group, the scroll bar at
// its right edge while items do not fit, the top item kept within the list, selection by press and by number, and
// scrolling an item into view.
#include "WidgetTestSupport.h"

#include "gui/ScrollBar.h"
#include "gui/ScrollGroup.h"
#include "gui/Text.h"

#include <gtest/gtest.h>

namespace
{

using widgettest::WidgetsTest;

// Group G from (0, 0) to (200, 100), filled with text items of the heights given.
class ScrollGroupTest : public WidgetsTest
{
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        Dialog("ScrollGroup(0, 0, 200, 100, G)\n");
        group = static_cast<ScrollGroup*>(gui->FindItem(WT_SCROLLGROUP, "G"));
        ASSERT_NE(group, nullptr);
    }
    void Fill(std::initializer_list<int32_t> heights)
    {
        for (int32_t h : heights)
            group->AddItem(std::make_unique<Text>(0, 0, 150, h, u"item", 0, 0xFF000000, 2));
    }
    // The tops of the items shown.
    std::vector<int32_t> Tops() const
    {
        std::vector<int32_t> tops;
        for (int32_t i = group->GetFirst(); i < group->GetFirst() + group->GetShownCount(); ++i)
            tops.push_back(group->GetItem(i)->GetRect().top);
        return tops;
    }
    uint32_t ColourOf(int32_t n) const { return static_cast<Text*>(group->GetItem(n))->GetColour(); }
    ScrollGroup* group = nullptr;
};

TEST_F(ScrollGroupTest, ItemsStackFromTheTopAsFarAsTheyFitAndTheBarComesWhenTheyDoNot)
{
    Fill({30, 30});
    EXPECT_EQ(Tops(), (std::vector<int32_t>{0, 30}));
    EXPECT_EQ(group->GetScrollBar(), nullptr);
    Fill({40});
    EXPECT_EQ(Tops(), (std::vector<int32_t>{0, 30, 60}));
    EXPECT_EQ(group->GetLast(), 2);
    EXPECT_EQ(group->GetScrollBar(), nullptr);
    Fill({10});
    ASSERT_NE(group->GetScrollBar(), nullptr);
    EXPECT_EQ(group->GetScrollBar()->GetRect().left, 186);
    EXPECT_EQ(group->GetScrollBar()->GetRect().right, 200);
    EXPECT_EQ(group->GetScrollBar()->GetVisible(), 3u);
    // Scrolled by one: three items from the second fit (30 + 40 + 10).
    group->SetTopItem(1);
    EXPECT_EQ(Tops(), (std::vector<int32_t>{0, 30, 70}));
    group->Clear();
    EXPECT_EQ(group->GetItemCount(), 0);
    EXPECT_EQ(group->GetScrollBar(), nullptr);
}

TEST_F(ScrollGroupTest, AnItemTallerThanTheGroupIsNeverShown)
{
    Fill({150, 20});
    EXPECT_EQ(group->GetShownCount(), 0);
    EXPECT_EQ(group->GetLast(), group->GetFirst());
    group->SetTopItem(1);
    EXPECT_EQ(Tops(), std::vector<int32_t>{0});
}

TEST_F(ScrollGroupTest, TheWheelBringsEveryItemIntoViewWhateverTheHeightsBeforeIt)
{
    struct Case
    {
        std::vector<int32_t> heights; // each no taller than the group's 100 pixels
    };
    const Case cases[] = {
        {{10, 10, 10, 10, 10, 90, 90}},
        {{50, 50, 20, 20, 20, 20, 20, 90}},
        {{30, 30, 30, 30, 30, 30}},
        {{90, 10, 10, 10, 10, 10}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::PrintToString(c.heights));
        group->Clear();
        for (int32_t h : c.heights)
            group->AddItem(std::make_unique<Text>(0, 0, 150, h, u"item", 0, 0xFF000000, 2));
        ASSERT_NE(group->GetScrollBar(), nullptr);
        // The wheel over the group, down a row at a time until nothing moves any more, then back up to the top.
        std::vector<bool> seen(c.heights.size(), false);
        auto look = [&]
        {
            for (int32_t i = group->GetFirst(); i < group->GetFirst() + group->GetShownCount(); ++i)
                seen[static_cast<size_t>(i)] = true;
        };
        Step(50, 50);
        look();
        for (size_t i = 0; i < c.heights.size() + 2; ++i)
        {
            Step(50, 50, ME_NONE, -1);
            look();
        }
        EXPECT_EQ(group->GetFirst() + group->GetShownCount(), static_cast<int32_t>(c.heights.size()))
            << "the bottom of the list shows its last item";
        for (size_t i = 0; i < seen.size(); ++i)
            EXPECT_TRUE(seen[i]) << "item " << i;
        for (size_t i = 0; i < c.heights.size() + 2; ++i)
            Step(50, 50, ME_NONE, 1);
        EXPECT_EQ(group->GetFirst(), 0);
    }
}

// An item added while the group is scrolled down keeps the bar: what counts is how many items fit, not how far down
// the group shows.
TEST_F(ScrollGroupTest, AnItemAddedWhileScrolledDownKeepsTheScrollBar)
{
    Fill({30, 30, 30, 30, 30});
    ASSERT_NE(group->GetScrollBar(), nullptr);
    group->SetTopItem(2);
    ASSERT_EQ(Tops(), (std::vector<int32_t>{0, 30, 60}));
    Fill({30});
    ASSERT_NE(group->GetScrollBar(), nullptr);
    EXPECT_EQ(group->GetScrollBar()->GetCount(), 6u);
    EXPECT_EQ(group->GetFirst(), 2);
}

TEST_F(ScrollGroupTest, TheTopItemStaysWithinTheList)
{
    Fill({30, 30, 30, 30, 30});
    struct Case
    {
        int32_t top, first;
    };
    const Case cases[] = {{-3, 0}, {2, 2}, {4, 4}, {9, 4}, {0, 0}};
    for (const Case& c : cases)
    {
        group->SetTopItem(c.top);
        EXPECT_EQ(group->GetFirst(), c.first) << c.top;
        EXPECT_EQ(group->GetScrollBar()->GetFirst(), std::min<uint32_t>(c.first, 2)) << c.top;
    }
    // The bar's arrows move the items (its down arrow at y 86 to 100).
    Click(193, 93);
    EXPECT_EQ(group->GetFirst(), 1);
    EXPECT_EQ(Tops(), (std::vector<int32_t>{0, 30, 60}));
}

TEST_F(ScrollGroupTest, SelectionPaintsOneItemAndAPressBelowTheItemsKeepsIt)
{
    group->SelectItem(3); // an empty group selects nothing
    EXPECT_EQ(group->GetSelected(), 0);
    Fill({30, 30, 30, 30, 30});
    EXPECT_EQ(ColourOf(0), ScrollGroup::kUnselectedColour);
    group->SelectItem(99);
    EXPECT_EQ(group->GetSelected(), 4);
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_EQ(ColourOf(i), i == 4 ? ScrollGroup::kSelectedColour : ScrollGroup::kUnselectedColour) << i;
    // Presses: on the second item shown, then below the last item shown (y 90 to 100 holds none).
    group->SetTopItem(1);
    Click(50, 45);
    EXPECT_EQ(group->GetSelected(), 2);
    Click(50, 95);
    EXPECT_EQ(group->GetSelected(), 2);
    EXPECT_EQ(ColourOf(2), ScrollGroup::kSelectedColour);
    // A group that is not selectable keeps its colours.
    group->SetSelectable(false);
    group->SelectItem(0);
    EXPECT_EQ(group->GetSelected(), 2);
}

TEST_F(ScrollGroupTest, EnsureVisibleScrollsTheLeastThatShowsTheItem)
{
    Fill({30, 30, 30, 30, 30, 30});
    struct Case
    {
        int32_t item, first;
    };
    // Three items fit: the last shown is first + 2.
    const Case cases[] = {{2, 1}, {3, 2}, {5, 3}, {0, 0}, {1, 0}, {7, 3}};
    for (const Case& c : cases)
    {
        group->EnsureVisible(c.item);
        EXPECT_EQ(group->GetFirst(), c.first) << c.item;
    }
}

} // namespace
