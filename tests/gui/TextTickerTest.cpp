// Tests of the text, the picture placeholder and the ticker list: a text's alignment flags, a placeholder that never
// becomes active, the ticker's row texts (day, time to the quarter hour), goto buttons only for objects, rows rebuilt
// only when the log changes, and a goto press selecting its object.
#include "WidgetTestSupport.h"

#include "engine/render/TextWriter.h"
#include "gui/ListBox.h"
#include "gui/ScrollBar.h"
#include "gui/Text.h"
#include "gui/TickerList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{

using widgettest::WidgetsTest;

TEST(TickerTime, HoursAndQuarterHours)
{
    struct Case
    {
        float hour;
        int32_t whole, minutes;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {{13.6f, 13, 30}, {0.0f, 0, 0},        {0.24f, 0, 0},           {0.25f, 0, 15},
                          {9.5f, 9, 30},   {23.99f, 23, 45},    {7.76f, 7, 45},          {-1.0f, 0, 0},
                          {nan, 0, 0},     {1e30f, 1000000, 0}, {2000000.5f, 1000000, 0}};
    // Hours past a million (a broken clock) read as exactly a million: the minutes do not run on past the hour.
    for (const Case& c : cases)
    {
        EXPECT_EQ(TickerList::HourOf(c.hour), c.whole) << c.hour;
        EXPECT_EQ(TickerList::QuarterMinuteOf(c.hour), c.minutes) << c.hour;
    }
    EXPECT_EQ(TickerList::RowText(u"Day", 0, 13.6f, u"A new guest"), u"Day 1: 13:30 - A new guest");
    EXPECT_EQ(TickerList::RowText(u"Jour", 41, 7.05f, u"x"), u"Jour 42: 07:00 - x");
}

// A log of messages the test writes; remembers the objects selected.
class FakeLog : public TickerSource
{
public:
    struct Message
    {
        std::u16string text;
        float hour;
        uint32_t day;
        uint32_t id;
    };
    const char16_t* FirstMessage(float& hour, uint32_t& day, uint32_t& id) override
    {
        at = 0;
        return Next(hour, day, id);
    }
    const char16_t* NextMessage(float& hour, uint32_t& day, uint32_t& id) override { return Next(hour, day, id); }
    void SelectObject(uint32_t id) override { selected.push_back(id); }
    const char16_t* Next(float& hour, uint32_t& day, uint32_t& id)
    {
        if (at >= messages.size())
            return nullptr;
        const Message& m = messages[at++];
        hour = m.hour;
        day = m.day;
        id = m.id;
        return m.text.c_str();
    }
    std::vector<Message> messages;
    std::vector<uint32_t> selected;
    size_t at = 0;
};

// The ticker's list box "TickerListBox800" from (0, 0) to (500, 96), rows 16 high.
class TickerTest : public WidgetsTest
{
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        Dialog("ListBox(0, 0, 500, 96, 502, 0, 516, 96, TickerListBox800, 16, 6)\n");
        list = static_cast<ListBox*>(gui->FindItem(WT_LISTBOX, TickerList::kListName));
        ASSERT_NE(list, nullptr);
        log.messages = {
            {u"Hello", 13.6f, 0, 5}, {u"Park news", 9.2f, 2, TickerList::kParkId}, {u"Gone", 1.0f, 3, 0xFFFFFFFF}};
        gui->GetTickerList().SetSource(&log);
    }
    void TearDown() override
    {
        gui->GetTickerList().SetSource(nullptr);
        WidgetsTest::TearDown();
    }
    std::vector<std::u16string> RowTexts() const
    {
        std::vector<std::u16string> rows;
        for (const auto& cell : list->GetCells())
            if (cell.kind == ListBox::Cell::TEXT)
                rows.push_back(static_cast<const Text*>(cell.widget.get())->GetText());
        return rows;
    }
    std::vector<int32_t> ButtonRows() const
    {
        std::vector<int32_t> rows;
        for (const auto& cell : list->GetCells())
            if (cell.kind == ListBox::Cell::BUTTON && cell.inUse)
                rows.push_back(cell.row);
        return rows;
    }
    FakeLog log;
    ListBox* list = nullptr;
};

TEST_F(TickerTest, EnabledItFillsItsListWithTheLogAndGotoButtonsForObjects)
{
    TickerList& ticker = gui->GetTickerList();
    EXPECT_TRUE(list->GetCells().empty()) << "nothing before it is enabled";
    ticker.Enable(true);
    EXPECT_FALSE(list->IsSelectable());
    EXPECT_EQ(ticker.GetRowCount(), 3);
    // The text table of the test has no "TICKER_DAY": the day word is empty.
    EXPECT_EQ(RowTexts(),
              (std::vector<std::u16string>{u" 1: 13:30 - Hello", u" 3: 09:00 - Park news", u" 4: 01:00 - Gone"}));
    EXPECT_EQ(ButtonRows(), std::vector<int32_t>{0});
    EXPECT_EQ(list->GetCells()[1].widget->GetRect().left, 410);
    // Disabled by a script reset, it lets go of the list.
    gui->Reset();
    EXPECT_FALSE(ticker.IsEnabled());
}

TEST_F(TickerTest, TheRowsAreRebuiltOnlyWhenTheLogChanges)
{
    TickerList& ticker = gui->GetTickerList();
    ticker.Enable(true);
    const uint32_t built = ticker.GetRebuildCount();
    for (int i = 0; i < 20; ++i)
        Step(900, 900);
    EXPECT_EQ(ticker.GetRebuildCount(), built);
    struct Change
    {
        const char* what;
        std::function<void()> change;
        size_t rows;
    };
    const Change changes[] = {
        {"a new message",
         [&] {
             log.messages.push_back({u"Later", 10.0f, 4, 9});
         },
         4},
        {"the oldest dropped", [&] { log.messages.erase(log.messages.begin()); }, 3},
        {"a text changed", [&] { log.messages[0].text = u"Changed"; }, 3},
        {"an object gone", [&] { log.messages.back().id = 0xFFFFFFFF; }, 3},
        {"all gone", [&] { log.messages.clear(); }, 0},
    };
    for (const Change& c : changes)
    {
        const uint32_t before = ticker.GetRebuildCount();
        c.change();
        Step(900, 900);
        Step(900, 900);
        EXPECT_EQ(ticker.GetRebuildCount(), before + 1) << c.what;
        EXPECT_EQ(RowTexts().size(), c.rows) << c.what;
    }
    EXPECT_TRUE(ButtonRows().empty());
}

TEST_F(TickerTest, ALogScrolledByThePlayerStaysWhereItWasWhenAMessageComes)
{
    // Twenty messages in six rows shown; the wheel over the list takes the view down row by row.
    log.messages.clear();
    for (uint32_t i = 0; i < 20; ++i)
        log.messages.push_back({u"Message", 10.0f, i, TickerList::kParkId});
    gui->GetTickerList().Enable(true);
    Step(100, 40);
    for (int i = 0; i < 10; ++i)
        Step(100, 40, ME_NONE, -1);
    ASSERT_EQ(list->GetFirst(), 10);
    struct Change
    {
        const char* what;
        std::function<void()> change;
        int32_t first; // the first row shown afterwards
    };
    const Change changes[] = {
        {"a new message",
         [&] {
             log.messages.push_back({u"Later", 11.0f, 20, TickerList::kParkId});
         },
         10},
        {"a text changed", [&] { log.messages[3].text = u"Changed"; }, 10},
        // Fewer rows than the view needs from there: the last full view.
        {"most dropped", [&] { log.messages.resize(12); }, 6},
        {"all but a view's worth dropped", [&] { log.messages.resize(6); }, 0},
    };
    for (const Change& c : changes)
    {
        c.change();
        Step(100, 40);
        Step(100, 40);
        EXPECT_EQ(list->GetFirst(), c.first) << c.what;
        if (list->GetScrollBar())
        {
            EXPECT_EQ(list->GetScrollBar()->GetFirst(), static_cast<uint32_t>(c.first)) << c.what;
        }
    }
}

TEST_F(TickerTest, AGotoPressSelectsItsObject)
{
    gui->GetTickerList().Enable(true);
    // The goto button of row 0: x 410 to 424, y 0 to 14.
    Click(417, 7);
    EXPECT_EQ(log.selected, std::vector<uint32_t>{5});
    Step(900, 900);
    EXPECT_EQ(log.selected.size(), 1u);
    // A disabled ticker selects nothing.
    gui->GetTickerList().Enable(false);
    Click(417, 7);
    EXPECT_EQ(log.selected.size(), 1u);
}

// ---- Text and TGA

TEST_F(WidgetsTest, ATextAlignsByTheFirstOfItsFlagsOrLeavesTheWriterAsItWas)
{
    Dialog("Text(0, 0, 100, 20, NO_SUCH_TEXT, 0, 4278190080, 3)\nText(0, 30, 100, 50, X, 0, 4278190080, 6)\n"
           "Text(0, 60, 100, 80, X, 0, 4278190080, 4)\nText(0, 90, 100, 110, X, 0, 4278190080, 0)\n"
           "TGA(0, 120, 50, 150, picture.tga)\n");
    const auto texts = widgettest::ItemsOf<Text>(*gui, WT_TEXT);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_TRUE(texts[0]->GetText().empty()) << "an id the table lacks reads as the empty text";
    TextWriter* writer = gui->GetTextWriter(0);
    ASSERT_NE(writer, nullptr);
    struct Case
    {
        size_t text;
        int before, after;
    };
    const Case cases[] = {{0, TextWriter::kAlignLeft, TextWriter::kAlignRight},
                          {1, TextWriter::kAlignRight, TextWriter::kAlignLeft},
                          {2, TextWriter::kAlignLeft, TextWriter::kAlignCentre},
                          {3, TextWriter::kAlignRight, TextWriter::kAlignRight},
                          {3, TextWriter::kAlignCentre, TextWriter::kAlignCentre}};
    for (const Case& c : cases)
    {
        writer->SetAlignment(c.before);
        texts[c.text]->Draw();
        EXPECT_EQ(writer->GetAlignment(), c.after) << c.text;
        EXPECT_EQ(writer->GetY(), texts[c.text]->GetRect().top) << c.text;
        EXPECT_EQ(writer->GetColour(), 0xFF000000u) << c.text;
    }
    // The placeholder keeps its file and never becomes active.
    const auto tgas = widgettest::ItemsOf<TGA>(*gui, WT_TGA);
    ASSERT_EQ(tgas.size(), 1u);
    EXPECT_EQ(tgas[0]->GetFile(), "picture.tga");
    EXPECT_FALSE(tgas[0]->IsActive());
}

} // namespace
