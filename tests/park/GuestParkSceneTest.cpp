// The guest park of the sample data in the game's World, run for two game days from a fixed seed: guests arrive
// through the entrance, walk to the cafe, queue, pay, eat at its tables, bin their litter or drop it, rest on the
// benches and leave; the same seed gives the same park.
#include "engine/core/GameParameters.h"
#include "engine/core/TextTable.h"
#include "engine/render/ModelManager.h"
#include "park/BuildingObject.h"
#include "park/GuestObject.h"
#include "park/ParkLayer.h"
#include "park/ResearchManager.h"
#include "park/SceneryObject.h"
#include "park/TableObject.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "tests/support/TestSupport.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

namespace
{

// What two days of the park came to.
struct Outcome
{
    int arrived = 0;
    int departed = 0;
    int cafeSales = 0;
    int queued = 0;  // guests seen in the cafe's queue
    int seated = 0;  // guests seen seated at a table
    int rested = 0;  // guests seen seated on a bench
    int binned = 0;  // litter taken to bins
    int dropped = 0; // litter on the ground at the end
    float cash = 0.0f;
    std::string boxes;
    std::string debug;

    auto Tie() const { return std::tie(arrived, departed, cafeSales, queued, seated, rested, binned, dropped, cash); }
};

Outcome RunTwoDays(unsigned seed)
{
    testsupport::ScopedCurrentDir cwd(TW_SOURCE_DIR "/sample-data");
    testsupport::RecordingReportSink reports;
    GameParameters parameters("data/script/gameparameters.pis");
    TextTable texts("data/text_uk.uni");
    ClearObjectKinds();
    RegisterParkLayer();
    g_ModelManager.Init(1000, false);
    platform::SRand(seed);
    Outcome out;
    {
        World world(nullptr, nullptr, "data/Scenario/GuestPark/GuestPark.pis", false);
        if (!world.IsBuilt())
        {
            out.boxes = "not built";
            return out;
        }
        // The research budget is set to nothing: the cash counts the park's sales alone.
        GetResearchManager()->SetSliderValue(0.0f);
        world.SetGameSpeedLevel(2);
        auto* cafe = dynamic_cast<BuildingObject*>(g_pObjectManager->GetBuildingsByName("CAFE").at(0));
        std::set<uint32_t> queued, seated, rested;
        uint32_t lastSales = 0;
        int binned = 0;
        std::vector<int> bins;
        const float cash = world.GetPlayer()->Cash;
        for (int frame = 0; world.GetGameDay() < 2 && frame < 40000; ++frame)
        {
            world.Update(1.0f / 30.0f);
            for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
            {
                auto* guest = static_cast<GuestObject*>(object);
                const uint32_t state = guest->GetState();
                if (state == STATE_GUEST_JOIN_QUEUE && guest->GetDestObjectID() == cafe->GetID())
                    queued.insert(guest->GetID());
                if (state == STATE_GUEST_AT_TABLE && dynamic_cast<TableObject*>(guest->GetSeatHolder()))
                    seated.insert(guest->GetID());
                if (state == STATE_GUEST_HEADING_FOR_BENCH && dynamic_cast<Scenery*>(guest->GetSeatHolder()))
                    rested.insert(guest->GetID());
            }
            // Sales of the day so far (the count starts again each morning).
            const uint32_t sales = cafe->GetVisitsToday();
            out.cafeSales += static_cast<int>(sales >= lastSales ? sales - lastSales : sales);
            lastSales = sales;
            const std::vector<Scenery*>& allBins = Scenery::GetBins();
            bins.resize(allBins.size(), 0);
            for (size_t i = 0; i < allBins.size(); ++i)
            {
                binned += std::max(allBins[i]->GetNumItems() - bins[i], 0);
                bins[i] = allBins[i]->GetNumItems();
            }
        }
        out.arrived = world.m_TotalGuestArrive[0] + world.m_TotalGuestArrive[1];
        out.departed = world.m_TotalGuestDepart[0] + world.m_TotalGuestDepart[1];
        out.queued = static_cast<int>(queued.size());
        out.seated = static_cast<int>(seated.size());
        out.rested = static_cast<int>(rested.size());
        out.binned = binned;
        out.dropped = static_cast<int>(g_pObjectManager->CountObjectsOfKind(OBJECT_LITTER));
        out.cash = world.GetPlayer()->Cash - cash;
        if (world.GetGameDay() < 2)
            out.boxes = "the two days did not pass";
    }
    UnregisterParkLayer();
    for (const auto& box : reports.boxes)
        out.boxes += box.text + "\n";
    out.debug = reports.debug;
    return out;
}

TEST(GuestParkScene, GuestsArriveQueueBuyEatLitterRestAndLeaveOverTwoDays)
{
    const Outcome a = RunTwoDays(7);
    // Nothing for a message box: every report of the run is of the debugger's level.
    EXPECT_EQ(a.boxes, "");
    // Through the entrance (the four the world script places are in the park before it opens).
    EXPECT_GT(a.arrived, 20);
    EXPECT_GT(a.departed, 10);
    EXPECT_GT(a.queued, 3);
    EXPECT_GT(a.cafeSales, 5);
    EXPECT_GT(a.seated, 3);
    EXPECT_GT(a.rested, 0);
    EXPECT_GT(a.binned + a.dropped, 0);
    EXPECT_GT(a.dropped, 0);
    // Each meal is four dollars less one and a half of cost; the park's other costs are nothing.
    EXPECT_FLOAT_EQ(a.cash, 2.5f * static_cast<float>(a.cafeSales));
    // The same seed, the same two days.
    const Outcome b = RunTwoDays(7);
    EXPECT_EQ(a.Tie(), b.Tie());
}

} // namespace
