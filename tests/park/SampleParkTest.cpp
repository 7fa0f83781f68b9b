// The sample park built by the game's World from the sample data: the buildings its world script places are
// built and open; the diner serves test guests through its server, and is sold and demolished with its refund.
#include "engine/core/GameParameters.h"
#include "engine/render/ModelManager.h"
#include "park/ConstructionManager.h"
#include "park/ParkLayer.h"
#include "park/QueueComponent.h"
#include "park/ResearchManager.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "tests/park/BuildingTestSupport.h"
#include "world/Player.h"

#include <gtest/gtest.h>

using namespace bldtest;

namespace
{

using std::pair;
using std::tuple;

// The buildings of the sample world script, where their queues start (on the footpath the script lays) and how
// many places they have; none without a queue.
const tuple<const char*, GridPos, int32_t> kPlaced[] = {{"ENTRANCE", {}, 0},
                                                        {"DINER", {64, 45}, 3},
                                                        {"STAFFSMALL", {66, 45}, 1},
                                                        {"RESTSMALL", {60, 51}, 1},
                                                        {"INFORMATION", {60, 47}, 1}};

BuildingObject* Only(const char* type)
{
    const std::vector<BaseObject*> found = g_pObjectManager->GetBuildingsByName(type);
    return found.size() == 1 ? dynamic_cast<BuildingObject*>(found[0]) : nullptr;
}

} // namespace

TEST(SamplePark, ItsBuildingsAreBuiltOpenServeAndAreSoldForTheirRefund)
{
    testsupport::ScopedCurrentDir cwd(TW_SOURCE_DIR "/sample-data");
    testsupport::RecordingReportSink reports;
    GameParameters parameters("data/script/gameparameters.pis");
    Inbox().clear();
    ClearObjectKinds();
    RegisterParkLayer();
    // The park's buildings; every other kind a stand-in.
    for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
    {
        if (kind != OBJECT_BUILDING)
            RegisterObjectKind(kind, []() -> BaseObject* { return new Stub; });
    }
    g_ModelManager.Init(1000, false);
    {
        World world(nullptr, nullptr, "data/Scenario/SamplePark/SamplePark.pis", false);
        ASSERT_TRUE(world.IsBuilt()) << (reports.boxes.empty() ? reports.debug : reports.boxes[0].text);
        // The research budget is set to nothing: the cash counts the park's sales alone.
        GetResearchManager()->SetSliderValue(0.0f);
        for (int frame = 0; frame < 30; ++frame)
            world.Update(1.0f / 30.0f);
        EXPECT_EQ(world.m_NumBuildings, 5);
        for (const auto& [type, start, points] : kPlaced)
        {
            BuildingObject* b = Only(type);
            ASSERT_NE(b, nullptr) << type;
            // Each has a box model of its own.
            const QueueComponent* queue = b->GetQueue();
            EXPECT_EQ(tuple(b->GetState(), b->IsUnderConstruction(), b->IsOpen(),
                            std::string(g_ModelManager.GetName(b->GetModel())), queue != nullptr),
                      tuple(uint32_t{STATE_NULL}, false, true, std::string("Data/Models/D_Ezize/") + type + ".tm",
                            points > 0));
            EXPECT_TRUE(!queue ||
                        (queue->IsValid() && queue->GetStartCell() == start && b->GetQueuePointCount() == points))
                << type;
        }
        const int32_t entrance = world.GetWorldParams()->FindBuilding("ENTRANCE");
        const int32_t diners = world.GetWorldParams()->FindBuilding("DINER");
        EXPECT_EQ(world.CountFinishedBuildings(entrance), 1u);
        // Placed by the world script while the park was built: no construction counted.
        EXPECT_EQ(dynamic_cast<ConstructionManager&>(*world.GetManagers().construction).GetConstructionCount(), 0);

        // Two of the script's guests queue at the diner, pay and are served by its server.
        BuildingObject* diner = Only("DINER");
        ASSERT_EQ(pair(diner->GetServerCount(), diner->GetTableCount()), pair(1u, 2u));
        const uint32_t server = diner->GetServer(0);
        const std::vector<uint32_t> guests = g_pObjectManager->GetIdsOfKind(OBJECT_GUEST);
        ASSERT_GE(guests.size(), 2u);
        const float cash = world.GetPlayer()->Cash;
        for (uint32_t i = 0; i < 2; ++i)
        {
            const uint32_t guest = guests[i];
            diner->JoinQueue(guest);
            for (uint32_t type : {MT_REQUEST_COMMOD, MT_PRICE_OK, MT_IM_READY})
                g_pMessageHandler->Send({guest, diner->GetID(), type, 0, type == MT_IM_READY ? server : 0});
            EXPECT_EQ(pair(Taken(MT_COMMOD_PRICE, guest).size(), Taken(MT_IM_READY, guest).size()),
                      pair(size_t{1}, size_t{1}));
            world.Update(1.0f / 30.0f);
            diner->LeaveQueue(guest);
        }
        // Two meals at 5.00 that cost the park 2.00 each.
        EXPECT_EQ(tuple(Taken(MT_SERVE_GUEST, server).size(), diner->IsServerBusy(0), diner->GetVisitsToday(),
                        world.GetPlayer()->Cash - cash, diner->GetIncomeToday()),
                  tuple(size_t{2}, false, 2u, 6.0f, 10.0f));

        // Sold, it waits for its guests to leave, then goes with its server and tables for 3/4 of its cost.
        const uint32_t id = diner->GetID();
        const float beforeSale = world.GetPlayer()->Cash;
        diner->Sell();
        world.Update(1.0f / 30.0f);
        ASSERT_NE(g_pObjectManager->GetObject(id), nullptr);
        for (uint32_t i = 0; i < 2; ++i)
            diner->RemoveGuest(guests[i]);
        world.Update(1.0f / 30.0f);
        EXPECT_EQ(tuple(g_pObjectManager->GetObject(id), g_pObjectManager->GetObject(server),
                        world.CountBuildings(diners), world.m_NumBuildings, world.GetPlayer()->Cash - beforeSale,
                        world.m_fDemolishIncomeToday),
                  tuple(nullptr, nullptr, 0u, 4, 1125.0f, 1125.0f));
        // Its ground is walkable again and its queue cell gone; the avenue it stood by is still footpath.
        for (GridPos cell : {GridPos{62, 46}, GridPos{63, 48}, GridPos{63, 46}, GridPos{64, 46}})
            EXPECT_EQ(g_pWorldMap->GetFlags(cell) & (CELL_BUILDING | CELL_QUEUE), 0u) << cell.x << "," << cell.y;
        EXPECT_NE(g_pWorldMap->GetFlags({64, 45}) & CELL_FOOTPATH, 0u);

        // A type without a model of its own stands as the placeholder model, with a report.
        world.RequestBuilding("GARDEN", 70, 30, 0, -1.0f, 0, false);
        BuildingObject* garden = Only("GARDEN");
        ASSERT_NE(garden, nullptr);
        EXPECT_EQ(pair(garden->GetModel(), reports.debug.find("can't load the model of GARDEN") != std::string::npos),
                  pair(g_ModelManager.Load(ModelManager::kPlaceholderName), true));
    }
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
    UnregisterParkLayer();
}
