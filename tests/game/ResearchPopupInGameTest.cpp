// Research done in the running program: with the research pop-ups on, the item completed in the first scenario's
// park opens "ResearchDone" showing that item's completion message, and its close button closes it; with them
// off nothing opens.
#include "engine/core/GameOptions.h"
#include "engine/core/TextTable.h"
#include "park/ParkManagers.h"
#include "park/ResearchManager.h"
#include "scripts/WorldParams.h"
#include "tests/game/PointerGameTest.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

class ResearchPopupInGameTest : public gametest::PointerGameTest
{
protected:
    void Prepare() override
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        ASSERT_NE(GetResearchManager(), nullptr);
        ASSERT_NE(g_pWorldParams, nullptr);
        ASSERT_GE(g_pWorldParams->GetResearchCount(), 2u);
    }
    // Completes the current research item with one large slice and lets the GUI take it in.
    void CompleteOne()
    {
        ResearchManager& research = *GetResearchManager();
        research.SetSliderValue(1.0f);
        research.Update(1.0e6f);
        running = harness.RunFrames(5) && running;
    }
};

TEST_F(ResearchPopupInGameTest, TheCompletedItemsMessageShowsWhenThePopUpsAreOn)
{
    GameOptions& options = harness.GetGame().GetOptions();
    for (const bool popups : {true, false})
    {
        SCOPED_TRACE(popups);
        options.m_bResearchPopups = popups;
        const int32_t item = GetResearchManager()->GetCurrentResearch();
        CompleteOne();
        ASSERT_EQ(Gui().IsDialogOpen("ResearchDone"), popups);
        if (!popups)
            continue;
        // Its message is the item's completion text, which the dialog reads from its value 0.
        const char* key = g_pWorldParams->GetResearchInfo(item).szCompleteMess;
        ASSERT_GE(g_pTextTable->FindIndex(key), 0) << key;
        EXPECT_EQ(std::u16string(g_pTextTable->GetTextByIndex(Gui().GetDialogValue(0))),
                  std::u16string(g_pTextTable->GetText(key)));
        gametest::GameHarness::Keep(harness.Screenshot(), "research-done");
        // Its close button (the dialog at 200, 250; the button at 180, 58 to 220, 82).
        Click(200 + 200, 250 + 70);
        running = harness.RunFrames(5) && running;
        EXPECT_FALSE(Gui().IsDialogOpen("ResearchDone"));
    }
    EXPECT_TRUE(running);
}

} // namespace
