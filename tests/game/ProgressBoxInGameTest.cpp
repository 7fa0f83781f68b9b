// The progress box beside the radar in the running program, for a scenario of one, two and three objectives: a row
// an objective, each written within the box, and an objective's box ticked once it is met, the others not.
#include "engine/render/TextWriter.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "gui/Text.h"
#include "platform/WideText.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// The sample's tick (UIS_progress_done) and the rows' dark grey.
constexpr uint32_t kTick = 0x50C050;
constexpr uint32_t kRowText = 0x303030;

struct Case
{
    int32_t row; // of the scenario list
    int32_t objectives;
};

class ProgressBoxInGameTest : public gametest::PointerGameTest, public ::testing::WithParamInterface<Case>
{
protected:
    void Prepare() override
    {
        harness.EnterPark(GetParam().row);
        ASSERT_NE(g_pWorld, nullptr);
        harness.RunFrames(3);
    }
};

TEST_P(ProgressBoxInGameTest, ShowsARowAnObjectiveAndTicksTheMetOne)
{
    const Case& c = GetParam();
    ASSERT_EQ(g_pWorld->m_iObjectiveCount, c.objectives);
    ASSERT_TRUE(Gui().IsProgressExtensionShown());
    EXPECT_EQ(Gui().GetProgressExtensionPicture(), "uis_progress_extension" + std::to_string(c.objectives));
    const DialogItem* dialog = Gui().GetProgressDialog();
    ASSERT_NE(dialog, nullptr);
    const GuiRect box = Gui().GetProgressExtensionRect();

    // One written row an objective, each inside the box, top to bottom.
    std::vector<GuiRect> rows;
    for (const Widget* child : dialog->GetChildren())
        if (child->GetType() == WT_TEXT)
        {
            const GuiRect& r = child->GetRect();
            EXPECT_TRUE(r.left >= box.left && r.right <= box.right && r.top >= box.top && r.bottom <= box.bottom)
                << "a row lies outside the progress box";
            const auto& text = static_cast<const Text&>(*child);
            EXPECT_FALSE(text.GetText().empty()) << "a row has no text";
            // Its words fit the row, in the row's font.
            const TextWriter* writer = Gui().GetTextWriter(text.GetFont());
            ASSERT_TRUE(writer && writer->GetFont());
            const gametest::TextLayout layout =
                gametest::LayOutText(*writer, text.GetText().c_str(), r.right - r.left, r.bottom - r.top);
            EXPECT_TRUE(layout.width <= r.right - r.left && layout.height <= r.bottom - r.top)
                << "\"" << platform::WideToUtf8(text.GetText().c_str()) << "\" is " << layout.width << " x "
                << layout.height << " in " << r.right - r.left << " x " << r.bottom - r.top;
            rows.push_back(r);
        }
    ASSERT_EQ(static_cast<int32_t>(rows.size()), c.objectives);

    // Nothing is met at the start; then the first objective is, and its box alone is ticked. The tick is drawn in
    // the rows' left margin, beside the row's words.
    const auto ticks = [&](const gametest::Frame& frame, const GuiRect& row)
    { return gametest::CountNearRgb(frame, box.left, row.top - 6, row.left, row.bottom + 2, kTick, 24); };
    gametest::Frame frame = harness.Screenshot();
    ASSERT_FALSE(frame.pixels.empty());
    for (size_t i = 0; i < rows.size(); ++i)
    {
        EXPECT_EQ(ticks(frame, rows[i]), 0) << "row " << i << " is ticked at the start";
        EXPECT_GT(gametest::CountNearRgb(frame, rows[i].left, rows[i].top, rows[i].right, rows[i].bottom, kRowText, 24),
                  20)
            << "row " << i << " shows no words";
    }
    g_pWorld->m_iObjectiveStatus[0] = 1;
    running = harness.RunFrames(3) && running;
    frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "progress-box-" + std::to_string(c.objectives));
    for (size_t i = 0; i < rows.size(); ++i)
    {
        if (i == 0)
            EXPECT_GT(ticks(frame, rows[i]), 40) << "the met objective is not ticked";
        else
            EXPECT_EQ(ticks(frame, rows[i]), 0) << "row " << i << " is ticked though not met";
    }
    EXPECT_TRUE(running);
    ExpectNoReports();
}

// Harbour Beginnings (one objective), The Lighthouse Pier (two) and Penguin Point (three).
INSTANTIATE_TEST_SUITE_P(SampleScenarios, ProgressBoxInGameTest, ::testing::Values(Case{0, 1}, Case{6, 2}, Case{7, 3}));

} // namespace
