// The animal care centre's rescue panel in the running program, by the pointer: a click on the centre opens it with
// the rescue manager behind it; the teams' rows, the offer marked on the coast with its sign and fee, the send
// button that sends a team (and greys until the next offer), the team's mission and time on its row, and the sell
// button that asks first.
#include "engine/core/GameOptions.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"
#include "park/BuildingObject.h"
#include "park/ParkManagers.h"
#include "park/RescueManager.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace
{

// The panel's corner on the screen; the map at (10, 34) to (250, 204) on it, the teams' rows 32 apart from 250.
constexpr int kPanelLeft = 180;
constexpr int kPanelTop = 60;
constexpr int kMapLeft = kPanelLeft + 10;
constexpr int kMapTop = kPanelTop + 34;
constexpr uint32_t kBlob = 0xC03030;

class RescuePanelInGameTest : public gametest::FirstParkPointerTest
{
protected:
    void Prepare() override
    {
        FirstParkPointerTest::Prepare();
        if (HasFatalFailure())
            return;
        ASSERT_NE(GetRescueManager(), nullptr);
        // The care centre on open ground west of the staff room, built by the park's own command.
        g_pWorld->RequestBuilding("ANIMALCARE", 54, 12, 0, 0.0f, 0, false);
        harness.RunFrames(10);
    }
    // The brown text pixels of a team's row (0 to 2), its first or second line, between two x on the panel.
    int TeamRowWritten(const gametest::Frame& frame, int team, int line, int left, int right) const
    {
        const int top = kPanelTop + 250 + 32 * team + 15 * line;
        return gametest::CountNearRgb(frame, kPanelLeft + left, top, kPanelLeft + right, top + 14, gametest::kPanelText,
                                      24);
    }
};

TEST_F(RescuePanelInGameTest, TheCentresPanelOffersSendsATeamAndSellsTheCentre)
{
    const std::vector<BaseObject*> centres = g_pObjectManager->GetBuildingsByName("ANIMALCARE");
    ASSERT_EQ(centres.size(), 1u) << "the care centre was not built";
    auto* centre = static_cast<BuildingObject*>(centres[0]);
    EXPECT_EQ(std::string(g_ModelManager.GetName(centre->GetModel())), "Data/Models/D_Ezize/ANIMALCARE.tm")
        << "the centre stands as the placeholder";
    RescueManager& rescue = *GetRescueManager();
    harness.GetGame().GetOptions().m_bConservationPopups = false;

    // Seen from above and clicked where it stands.
    g_pWorld->SetPaused(true);
    platform::Vec3 middle = centre->GetPosition();
    middle.y += 1.0f;
    gametest::GameHarness::PlaceCamera({middle.x, middle.y + 10.0f, middle.z + 14.0f}, middle);
    Run(3);
    platform::Vec3 screen;
    g_GraphicsManager.ProjectToScreen(middle, &screen);
    Click(static_cast<int>(std::lround(screen.x)), static_cast<int>(std::lround(screen.y)));
    Run(5);
    ASSERT_EQ(OpenFor("AnimalRescue"), static_cast<DialogListener*>(&rescue));

    // No offer: nothing marked, the send button greyed; the first team waits at the park, the others are still to be
    // researched.
    ASSERT_EQ(rescue.GetTeamCount(), 1);
    Button* send = Bound("DispatchRescue");
    ASSERT_NE(send, nullptr);
    EXPECT_EQ(send->GetState(), Button::STATE_DISABLED);
    gametest::Frame frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "rescue-panel");
    EXPECT_TRUE(gametest::NearRgb(frame.At(kPanelLeft + 380, kPanelTop + 180), gametest::kPanelSand, 12));
    EXPECT_EQ(gametest::CountNearRgb(frame, kMapLeft, kMapTop, kMapLeft + 240, kMapTop + 170, kBlob, 16), 0);
    for (int team = 0; team < 3; ++team)
        EXPECT_GT(TeamRowWritten(frame, team, team == 0 ? 0 : 1, 10, 300), 20) << "team " << team + 1;
    EXPECT_EQ(Value(&rescue, "AR_RD_NOTBUSY_2"), Value(&rescue, "AR_RD_NOTBUSY_3"));

    // Whatever rescue is offered, its title, what it is about and its fee fit their rows.
    for (int offer = 0; offer < 24; ++offer)
    {
        rescue.OfferRescue();
        Run(2);
        EXPECT_EQ(CutVariables(), "") << "offer " << offer;
    }
    // An offer: its place marked on the coast, its sign, its fee; the send button sends the team and charges the fee.
    rescue.OfferRescue();
    Run(3);
    int32_t x = 0, y = 0;
    ASSERT_TRUE(rescue.GetOfferedLocation(&x, &y));
    EXPECT_EQ(send->GetState(), Button::STATE_NORMAL);
    frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "rescue-offered-panel");
    EXPECT_GT(
        gametest::CountNearRgb(frame, kMapLeft + x - 4, kMapTop + y - 4, kMapLeft + x + 4, kMapTop + y + 4, kBlob, 16),
        20)
        << "the offer is not marked at " << x << ", " << y;
    EXPECT_GT(gametest::CountNearRgb(frame, kPanelLeft + 260, kPanelTop + 36, kPanelLeft + 430, kPanelTop + 50,
                                     gametest::kPanelText, 24),
              30)
        << "the offer's title is not written";
    EXPECT_GT(gametest::CountNearRgb(frame, kPanelLeft + 10, kPanelTop + 208, kPanelLeft + 430, kPanelTop + 222,
                                     gametest::kPanelText, 24),
              30)
        << "what the offer is about is not written";
    const std::u16string fee = Value(&rescue, "AR_FEE_AMOUNT");
    ASSERT_GT(fee.size(), 1u);
    const float cost = std::stof(std::string(fee.begin() + 1, fee.end()));
    const float cash = g_pWorld->GetPlayer()->Cash;
    const GuiRect r = send->GetRect();
    Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Run(3);
    EXPECT_TRUE(rescue.IsTeamBusy(0));
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, cash - cost);
    EXPECT_EQ(send->GetState(), Button::STATE_DISABLED);
    // The team's row: its mission and the time it still needs, on its second line.
    frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "rescue-team-out");
    EXPECT_GT(TeamRowWritten(frame, 0, 1, 10, 250), 20) << "the team's mission is not written";
    EXPECT_GT(TeamRowWritten(frame, 0, 1, 330, 430), 10) << "the team's time is not written";
    EXPECT_FALSE(Value(&rescue, "AR_RD_ETA_1").empty());
    EXPECT_EQ(CutVariables(), "");

    // Sell asks first, about the centre.
    ASSERT_TRUE(ClickCommand("SellRescueButton"));
    Run(3);
    EXPECT_EQ(OpenFor("ConfirmDemolish"), static_cast<DialogListener*>(centre));
    EXPECT_TRUE(Gui().IsModalDialogOpen());
    ExpectNoReports();
    EXPECT_TRUE(running);
}

} // namespace
