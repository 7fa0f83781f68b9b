// The state file a watcher outside the program reads: written whole, only when the state changed, no more often
// than its interval, the last state always on Flush; the message boxes counted and passed on; and the state read
// from the running sample park.
#include "game/StateDump.h"
#include "platform/Report.h"
#include "tests/game/GameHarness.h"
#include "tests/support/TestSupport.h"

#include "world/World.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace
{

struct Offer
{
    const char* text;
    uint32_t now;
};

struct StateFileCase
{
    const char* name;
    std::vector<Offer> offers;
    bool flush;
    const char* expected; // the file's text afterwards, null when none was written
    uint32_t writes;
};

class StateFileTest : public ::testing::TestWithParam<StateFileCase>
{
};

TEST_P(StateFileTest, WritesChangesNoMoreOftenThanItsInterval)
{
    const StateFileCase& c = GetParam();
    testsupport::TempDir dir;
    const std::string path = dir.File("state.txt");
    StateFile file(path, 100);
    for (const Offer& offer : c.offers)
        file.Offer(offer.text, offer.now);
    if (c.flush)
        file.Flush();
    if (c.expected)
        EXPECT_EQ(testsupport::ReadText(path), c.expected);
    else
        EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(file.Writes(), c.writes);
    // Nothing but the file itself is left in the folder.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        ++entries;
    EXPECT_EQ(entries, c.expected ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StateFileTest,
    ::testing::Values(StateFileCase{"nothing", {}, true, nullptr, 0},
                      StateFileCase{"first", {{"a\n", 5}}, false, "a\n", 1},
                      StateFileCase{"same", {{"a\n", 5}, {"a\n", 500}, {"a\n", 900}}, true, "a\n", 1},
                      StateFileCase{"tooSoon", {{"a\n", 5}, {"b\n", 104}}, false, "a\n", 1},
                      StateFileCase{"tooSoonFlushed", {{"a\n", 5}, {"b\n", 104}}, true, "b\n", 2},
                      StateFileCase{"afterInterval", {{"a\n", 5}, {"b\n", 105}}, false, "b\n", 2},
                      StateFileCase{"lastOfMany", {{"a\n", 5}, {"b\n", 50}, {"c\n", 60}}, true, "c\n", 2},
                      StateFileCase{"backBeforeFlush", {{"a\n", 5}, {"b\n", 50}, {"a\n", 60}}, true, "a\n", 1},
                      StateFileCase{"clockWrapped", {{"a\n", 0xFFFFFFF0u}, {"b\n", 0x60}}, false, "b\n", 2}),
    [](const ::testing::TestParamInfo<StateFileCase>& info) { return std::string(info.param.name); });

TEST(StateFileTest, AFolderThatCannotBeWrittenLeavesNothingWritten)
{
    testsupport::TempDir dir;
    StateFile file(dir.File("missing/state.txt"), 100);
    file.Offer("a\n", 1);
    file.Flush();
    EXPECT_EQ(file.Writes(), 0u);
}

TEST(ReportCounterTest, CountsTheBoxesPassesEveryReportOnAndStepsAsideAtTheEnd)
{
    testsupport::RecordingReportSink recorder;
    {
        ReportCounter counter;
        platform::ShowMessageBox("Error", "one");
        platform::DebugOutput("line\n");
        platform::ShowMessageBox("Error", "two");
        EXPECT_EQ(counter.Boxes(), 2u);
        ASSERT_EQ(recorder.boxes.size(), 2u);
        EXPECT_EQ(recorder.boxes[1].text, "two");
        EXPECT_EQ(recorder.debug, "line\n");
    }
    platform::ShowMessageBox("Error", "three");
    EXPECT_EQ(recorder.boxes.size(), 3u) << "the recorder is the sink again";
}

// The value after a field's name on its line, or "" when the line is missing.
std::string Field(const std::string& text, const std::string& name)
{
    const std::string key = "\n" + name + " ";
    const std::string padded = "\n" + text;
    const size_t at = padded.find(key);
    if (at == std::string::npos)
        return "";
    const size_t from = at + key.size();
    return padded.substr(from, padded.find('\n', from) - from);
}

TEST(ShownStateTest, EveryFieldOnItsOwnLine)
{
    ShownState s;
    s.screen = 1;
    s.page = "MainMenu";
    s.open = {"BuildPanel", "PauseBox"};
    s.park = true;
    s.cash = 9400.5f;
    s.day = 2;
    s.guests = 7;
    s.arrived = 9;
    s.departed = 2;
    s.incomeToday = 31.25f;
    s.retailToday = 12.5f;
    s.exhibits = 8.0f;
    s.buildings = 5;
    s.staff = 3;
    s.footpath = 11;
    s.mode = 4;
    s.cursorX = 64;
    s.cursorY = 30;
    s.boxes = 1;
    s.passes = 77;
    const std::string text = FormatShownState(s);
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"screen", "1"},     {"page", "MainMenu"}, {"open", "BuildPanel PauseBox"},
        {"park", "1"},       {"cash", "9400.50"},  {"day", "2"},
        {"guests", "7"},     {"arrived", "9"},     {"departed", "2"},
        {"income", "31.25"}, {"retail", "12.50"},  {"exhibits", "8.00"},
        {"buildings", "5"},  {"staff", "3"},       {"footpath", "11"},
        {"mode", "4"},       {"cursor", "64 30"},  {"boxes", "1"},
        {"passes", "77"}};
    for (const auto& [name, value] : expected)
        EXPECT_EQ(Field(text, name), value) << name;
    EXPECT_EQ(text.back(), '\n');
}

TEST(ShownStateTest, NoGameNoParkNoPage)
{
    const ShownState s = ReadShownState();
    EXPECT_EQ(s.screen, -1);
    EXPECT_FALSE(s.park);
    EXPECT_EQ(Field(FormatShownState(s), "page"), "-");
}

// The first scenario's world script makes five buildings (the entrance, a staff room, a fun house, a lagoon and an
// arena) and lays six cells of footpath east from the avenue; no guest has come in after three frames.
TEST(ShownStateTest, TheRunningSampleParkAsItsWorldScriptBuiltIt)
{
    gametest::GameHarness harness;
    if (!harness.XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    std::string why;
    ASSERT_TRUE(harness.Start(&why)) << why;
    harness.EnterPark(0);
    harness.RunFrames(3);
    const ShownState s = ReadShownState();
    EXPECT_TRUE(s.park);
    EXPECT_EQ(s.screen, 0);
    EXPECT_EQ(s.buildings, 5u);
    EXPECT_GE(s.footpath, 6u);
    EXPECT_EQ(s.guests, 0);
    // The animal attractions' takings come from the park, apart from the day's income.
    g_pWorld->m_fAnimalIncomeTotal = 12.5f;
    g_pWorld->m_fIncomeToday = 3.0f;
    const ShownState taken = ReadShownState();
    EXPECT_FLOAT_EQ(taken.exhibits, 12.5f);
    EXPECT_FLOAT_EQ(taken.incomeToday, 3.0f);
}

} // namespace
