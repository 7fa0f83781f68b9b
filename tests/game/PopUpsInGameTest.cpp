// The park's pop-ups in the running program. Research done: with the research pop-ups on, the item completed in the
// first scenario's park opens "ResearchDone" showing that item's completion message, and its close button closes
// it; with them off nothing opens. A rescue offered: "RescuePopup" opens holding the mouse, shows the offer's
// message, and its send button sends a team.
#include "engine/core/GameOptions.h"
#include "engine/core/TextTable.h"
#include "engine/render/TextWriter.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "gui/VariableWidgets.h"
#include "park/ParkManagers.h"
#include "park/RescueManager.h"
#include "park/ResearchManager.h"
#include "scripts/WorldParams.h"
#include "tests/game/PointerGameTest.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

class PopUpsInGameTest : public gametest::PointerGameTest
{
protected:
    void Prepare() override
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        ASSERT_NE(GetResearchManager(), nullptr);
        ASSERT_NE(GetRescueManager(), nullptr);
        ASSERT_NE(g_pWorldParams, nullptr);
        ASSERT_GE(g_pWorldParams->GetResearchCount(), 2u);
    }
    // How much wider than its message box, in the box's font, a pop-up's message is (0 when it fits): a message
    // that does not fit is cut at both ends.
    int MessageOverflow(const char* dialog, const char16_t* text) const
    {
        const auto* box = dynamic_cast<const DialogItem*>(Gui().FindItem(WT_DIALOG, dialog));
        const Variable* message = nullptr;
        for (const Widget* child : box ? box->GetChildren() : std::vector<Widget*>{})
            if (child->GetType() == WT_VARIABLE)
                message = static_cast<const Variable*>(child);
        TextWriter* writer = message ? Gui().GetTextWriter(message->GetFont()) : nullptr;
        if (!writer)
            return -1;
        return std::max(0, writer->GetTextWidth(text) - (message->GetRect().right - message->GetRect().left));
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

TEST_F(PopUpsInGameTest, TheCompletedItemsMessageShowsWhenThePopUpsAreOn)
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
        // Every item's message fits the box, not only this one's.
        for (uint32_t i = 0; i < g_pWorldParams->GetResearchCount(); ++i)
        {
            const char* each = g_pWorldParams->GetResearchInfo(static_cast<int32_t>(i)).szCompleteMess;
            EXPECT_EQ(MessageOverflow("ResearchDone", g_pTextTable->GetText(each)), 0) << each;
        }
        gametest::GameHarness::Keep(harness.Screenshot(), "research-done");
        // Its close button (the dialog at 200, 250; the button at 180, 58 to 220, 82).
        Click(200 + 200, 250 + 70);
        running = harness.RunFrames(5) && running;
        EXPECT_FALSE(Gui().IsDialogOpen("ResearchDone"));
    }
    EXPECT_TRUE(running);
}

TEST_F(PopUpsInGameTest, AnOfferedRescueAsksWithItsMessageAndTheSendButtonSendsATeam)
{
    harness.GetGame().GetOptions().m_bConservationPopups = true;
    RescueManager& rescue = *GetRescueManager();
    ASSERT_GE(rescue.GetTeamCount(), 1);
    ASSERT_FALSE(rescue.IsTeamBusy(0));
    rescue.OfferRescue();
    running = harness.RunFrames(5) && running;
    ASSERT_TRUE(Gui().IsDialogOpen("RescuePopup"));
    EXPECT_EQ(OpenFor("RescuePopup"), static_cast<DialogListener*>(&rescue));
    EXPECT_TRUE(Gui().IsModalDialogOpen());
    ASSERT_GE(g_pTextTable->FindIndex("AR_POPUP_MESSAGE"), 0);
    EXPECT_EQ(std::u16string(g_pTextTable->GetTextByIndex(Gui().GetDialogValue(4))),
              std::u16string(g_pTextTable->GetText("AR_POPUP_MESSAGE")));
    EXPECT_EQ(MessageOverflow("RescuePopup", g_pTextTable->GetText("AR_POPUP_MESSAGE")), 0);
    gametest::GameHarness::Keep(harness.Screenshot(), "rescue-offered");
    // Send (the dialog at 200, 250; the button at 60, 54 to 180, 78) sends the first team.
    Click(200 + 120, 250 + 66);
    running = harness.RunFrames(5) && running;
    EXPECT_TRUE(rescue.IsTeamBusy(0));
    EXPECT_TRUE(running);
}

} // namespace
