// Tests of the scenario progress: the 48-byte file both ways, damaged files read as a first start, the rules that
// complete and open scenarios (bounds included), the unlock of every scenario, and the rows of the scenario list.
#include "game/ScenarioProgress.h"

#include "engine/core/TextTable.h"
#include "gui/ListRows.h"
#include "tests/game/ProgressFileBytes.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

using progressfile::FileOf;
using progressfile::Flags;
using progressfile::kFirstStart;

Flags FlagsOf(const ScenarioProgress& progress)
{
    Flags flags{};
    for (int i = 0; i < 12; ++i)
        flags[i] = progress.GetFlag(i);
    return flags;
}

// A progress read from a file holding these flags.
ScenarioProgress With(const Flags& flags, const testsupport::TempDir& dir)
{
    testsupport::WriteBytes(dir.File("sp.bin"), FileOf(flags));
    ScenarioProgress progress;
    EXPECT_TRUE(progress.Read(dir.File("sp.bin").c_str()));
    return progress;
}

class ScenarioProgressTest : public ::testing::Test
{
protected:
    testsupport::TempDir dir;
    testsupport::RecordingReportSink reports;
};

TEST_F(ScenarioProgressTest, TheFileIsTwelveLittleEndianFlagsBothWays)
{
    const Flags flags = {12, 10, 2, 1, 9, 8, 4, 1, 0x00000002, 10, 1, 4};
    ScenarioProgress progress = With(flags, dir);
    EXPECT_EQ(FlagsOf(progress), flags);
    ASSERT_TRUE(progress.Write(dir.File("out.bin").c_str()));
    EXPECT_EQ(testsupport::ReadBytes(dir.File("out.bin")), FileOf(flags));
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.bin.tmp")));
    EXPECT_TRUE(reports.debug.empty());
}

TEST_F(ScenarioProgressTest, AMissingFileOrOneCutShortAtAnyByteReadsAsAFirstStart)
{
    const std::vector<uint8_t> good = FileOf({10, 2, 1, 1, 4, 1, 1, 1, 4, 1, 1, 1});
    for (size_t length = 0; length <= good.size(); ++length)
    {
        SCOPED_TRACE(length);
        const bool missing = length == good.size();
        std::filesystem::remove(dir.File("sp.bin"));
        if (!missing)
            testsupport::WriteBytes(dir.File("sp.bin"), std::vector<uint8_t>(good.begin(), good.begin() + length));
        reports.debug.clear();
        ScenarioProgress progress;
        progress.Complete(0, 1); // something to forget
        EXPECT_FALSE(progress.Read(dir.File("sp.bin").c_str()));
        EXPECT_EQ(FlagsOf(progress), kFirstStart);
        // A file cut short is told of; no file at all is a first start.
        EXPECT_EQ(!reports.debug.empty(), !missing) << reports.debug;
    }
}

// Only the flags' bytes carry the progress: more after them, or a flag damaged into a value no rule sets, leaves
// every scenario as the file holds it, the won ones won.
TEST_F(ScenarioProgressTest, ALongerFileOrADamagedFlagKeepsTheWins)
{
    const Flags held = {12, 10, 2, 1, 4, 1, 1, 1, 4, 1, 1, 1};
    struct Case
    {
        const char* name;
        size_t at;     // the byte changed
        uint8_t value; // its new value
        bool appended; // a byte appended instead
        Flags read;
    };
    const Case cases[] = {
        {"a byte more", 0, 0x5A, true, held},
        {"flag 3", 4 * 3, 3, false, {12, 10, 2, 3, 4, 1, 1, 1, 4, 1, 1, 1}},
        {"high byte set", 4 * 7 + 3, 1, false, {12, 10, 2, 1, 4, 1, 1, 0x01000001, 4, 1, 1, 1}},
        {"third byte set", 4 * 6 + 2, 1, false, {12, 10, 2, 1, 4, 1, 0x00010001, 1, 4, 1, 1, 1}},
        {"second byte set", 4 * 5 + 1, 1, false, {12, 10, 2, 1, 4, 0x00000101, 1, 1, 4, 1, 1, 1}},
        {"flag 0", 4 * 11, 0, false, {12, 10, 2, 1, 4, 1, 1, 1, 4, 1, 1, 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = FileOf(held);
        if (c.appended)
            bytes.push_back(c.value);
        else
            bytes[c.at] = c.value;
        testsupport::WriteBytes(dir.File("sp.bin"), bytes);
        ScenarioProgress progress;
        EXPECT_TRUE(progress.Read(dir.File("sp.bin").c_str()));
        EXPECT_EQ(FlagsOf(progress), c.read);
        EXPECT_TRUE(progress.IsCompleted(0) && progress.IsCompleted(1));
    }
    // A damaged flag that is neither locked nor completed shows the scenario open: black, no picture.
    ScenarioProgress damaged = With({4, 3, 0, 1, 4, 1, 1, 1, 4, 1, 1, 1}, dir);
    EXPECT_FALSE(damaged.IsLocked(1) || damaged.IsCompleted(1) || damaged.IsLocked(2) || damaged.IsCompleted(2));
}

TEST_F(ScenarioProgressTest, WinningMarksTheScenarioAndOpensTheNextWithinBounds)
{
    struct Case
    {
        const char* name;
        Flags before;
        uint32_t current, next;
        Flags after;
        bool reported;
    };
    const Case cases[] = {
        {"scenario 2 opens 3",
         {4, 2, 1, 1, 4, 1, 1, 1, 4, 1, 1, 1},
         1,
         2,
         {4, 10, 2, 1, 4, 1, 1, 1, 4, 1, 1, 1},
         false},
        {"a won next keeps its flag",
         {4, 2, 9, 1, 4, 1, 1, 1, 4, 1, 1, 1},
         1,
         2,
         {4, 10, 9, 1, 4, 1, 1, 1, 4, 1, 1, 1},
         false},
        {"next open from the start",
         {12, 1, 1, 1, 4, 1, 1, 1, 4, 1, 1, 1},
         3,
         4,
         {12, 1, 1, 9, 2, 1, 1, 1, 4, 1, 1, 1},
         false},
        {"last scenario, next 11", kFirstStart, 11, 11, {4, 1, 1, 1, 4, 1, 1, 1, 4, 1, 1, 9}, false},
        {"next 12 is past the end", kFirstStart, 11, 12, {4, 1, 1, 1, 4, 1, 1, 1, 4, 1, 1, 9}, true},
        {"next far past the end", kFirstStart, 0, 0xFFFFFFFF, {12, 1, 1, 1, 4, 1, 1, 1, 4, 1, 1, 1}, true},
        {"no such current", kFirstStart, 12, 1, {4, 2, 1, 1, 4, 1, 1, 1, 4, 1, 1, 1}, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ScenarioProgress progress = With(c.before, dir);
        reports.debug.clear();
        progress.Complete(c.current, c.next);
        EXPECT_EQ(FlagsOf(progress), c.after);
        EXPECT_EQ(!reports.debug.empty(), c.reported);
    }
}

// A list that records its cells as text.
class RecordedList : public ListRows
{
public:
    void ClearRows() override { cells.clear(), rows = 0; }
    void AddTextItem(int32_t row, int32_t x, int32_t width, int32_t, int32_t flags, int32_t font, uint32_t colour,
                     const char16_t* text, bool newRow) override
    {
        Add(row, "text " + std::to_string(x) + "/" + std::to_string(width) + " " + std::to_string(flags) + "," +
                     std::to_string(font) + " " + std::to_string(colour) + " " +
                     std::string(text, text + std::char_traits<char16_t>::length(text)) + (newRow ? " new" : ""));
        rows += newRow;
    }
    void AddImageItem(int32_t row, int32_t x, const char* sprite) override
    {
        Add(row, "image " + std::to_string(x) + " " + sprite);
    }
    void SetSelected(int32_t row, bool exclusive) override
    {
        selected = exclusive ? std::vector<int32_t>{row} : selected;
    }
    const std::vector<int32_t>& GetSelectedRows() const override { return selected; }
    int32_t GetRowCount() const override { return rows; }
    void Add(int32_t row, const std::string& cell) { cells.push_back(std::to_string(row) + " " + cell); }

    std::vector<std::string> cells;
    std::vector<int32_t> selected = {7, 8};
    int32_t rows = 3;
};

TEST_F(ScenarioProgressTest, TheListShowsLockedCompletedAndOpenRowsThenTheSandboxes)
{
    // Texts written as the table file holds them: UTF-16 pairs of quoted id and text, scrambled.
    std::u16string table = u"\uFEFF\"MAINSS_LIST_LOCKED\" \"Shut\" \"MAINSS_LIST_COMPLETE\" \"Done\" "
                           u"\"MAINSS_SCENARIO2_TITLE\" \"Two\" \"MAINSS_SANDBOX3_TITLE\" \"Free\"";
    std::vector<uint8_t> bytes;
    for (char16_t u : table)
        bytes.insert(bytes.end(), {static_cast<uint8_t>(~u & 0xFF), static_cast<uint8_t>(~(u >> 8) & 0xFF)});
    testsupport::WriteBytes(dir.File("texts.ble"), bytes);
    TextTable texts(dir.File("texts.uni").c_str());

    ScenarioProgress progress = With({4, 1, 10, 9, 4, 1, 1, 1, 12, 2, 1, 1}, dir);
    RecordedList list;
    progress.FillList(list, texts);
    const std::string grey = std::to_string(0xFFB3B3B3u), green = std::to_string(0xFF089A08u),
                      black = std::to_string(0xFF000000u);
    const std::vector<std::string> expected = {
        "0 text 23/200 2,1 " + black + "  new",  "1 text 23/200 2,1 " + grey + " Two new",
        "1 text 264/200 2,1 " + grey + " Shut",  "1 image 4 uis_fef_lock_icon",
        "2 text 23/200 2,1 " + green + "  new",  "2 text 264/200 2,1 " + green + " Done",
        "2 image 4 uis_fef_tick_icon",           "3 text 23/200 2,1 " + green + "  new",
        "3 text 264/200 2,1 " + green + " Done", "3 image 4 uis_fef_tick_icon",
        "4 text 23/200 2,1 " + black + "  new",
    };
    ASSERT_GE(list.cells.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(list.cells.begin(), list.cells.begin() + expected.size()), expected);
    EXPECT_EQ(list.cells.back(), "14 text 23/200 2,1 " + black + " Free new");
    EXPECT_EQ(list.rows, 15);
    EXPECT_EQ(list.selected, std::vector<int32_t>{0});

    // First start: nine lock icons, no tick.
    RecordedList first;
    ScenarioProgress().FillList(first, texts);
    int locks = 0, ticks = 0;
    for (const std::string& cell : first.cells)
    {
        locks += cell.find("lock_icon") != std::string::npos;
        ticks += cell.find("tick_icon") != std::string::npos;
    }
    EXPECT_EQ(locks, 9);
    EXPECT_EQ(ticks, 0);
}

} // namespace
