// Tests of the building: its states from construction to demolition, opening and closing, the guest's visit and
// the sale, the day's close, queue path changes, and data that asks for more than the building holds.
#include "park/ConstructionManager.h"
#include "park/Money.h"
#include "park/QueueComponent.h"
#include "park/RideComponent.h"
#include "scripts/ObjectStates.h"
#include "tests/park/BuildingTestSupport.h"
#include "world/Player.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

using namespace bldtest;

namespace
{

// A shop three cells wide and two deep: serve cell above the right-hand column (I), queue entry under it (Q),
// serve-out to the right (O), a server and two tables.
const char* const kShopRows[] = {"000I0", "0LLQO", "0LLL0", "00000"};
// One cell, served from its left (a toilet, a ride, an animal exhibit).
const char* const kSmallRows[] = {"000", "IQ0", "000"};

std::string Grid(const std::string& name, int w, int h, const char* const* rows, const std::string& more = "")
{
    std::vector<std::pair<std::string, std::string>> f = {{"WIDTH", std::to_string(w)}, {"HEIGHT", std::to_string(h)}};
    for (int r = 0; r < h + 2; ++r)
    {
        // A building tile under every body cell.
        std::string plate = rows[r];
        for (char& c : plate)
            c = c == 'L' || c == 'Q' ? 'T' : '0';
        f.push_back({"FLAGROW" + std::to_string(r), rows[r]});
        f.push_back({"BASEPLATEROW" + std::to_string(r), plate});
    }
    return Record("MAPGRID", "MAP" + name, f) + more;
}

// `count` points of a list (its keyword in the singular: "STAFFPOINT") from (x, y), one map unit apart.
std::string Points(const std::string& grid, const std::string& list, int count, float x, float y)
{
    std::string text = "\"" + grid + "_NUM_" + list + "S\" \"" + std::to_string(count) + "\"\n";
    for (int i = 0; i < count; ++i)
        text += "\"" + grid + "_" + list + "X\" \"" + std::to_string(x + i) + "\"\n\"" + grid + "_" + list + "Y\" \"" +
                std::to_string(y) + "\"\n";
    return text;
}

// A building type from "FIELD=value" words, with no ride or table model and a serve time of 2 to 4 s.
std::string Type(const std::string& name, const std::string& fields)
{
    std::vector<std::pair<std::string, std::string>> f = {
        {"RIDE_MODEL", "NONE"}, {"TABLE_MODEL", "NONE"}, {"SERVE_TIME_MIN", "2"}, {"SERVE_TIME_MAX", "4"}};
    std::istringstream words(fields);
    for (std::string w; words >> w;)
        f.push_back({w.substr(0, w.find('=')), w.substr(w.find('=') + 1)});
    return Record("BUILD", name, f);
}

std::string Tables()
{
    return Type("SHOP", "ATTRACT_CAT_1=SNACKS COST2BUILD=1000 GUESTCAPACITY=6 ATTRACT_PRICE_1=2.50 "
                        "ATTRACT_COST_1=1.00 HAS_STAFF=Yes STAFF_ID=SERVE1") +
           Type("CAFE", "ATTRACT_CAT_1=MEALS COST2BUILD=640 GUESTCAPACITY=6") +
           Type("RESTSMALL", "ATTRACT_CAT_1=TOILET GUESTCAPACITY=4 ATTRACT_PRICE_1=1") +
           Type("RIDE", "ATTRACT_CAT_1=RIDE GUESTCAPACITY=10 SERVE_AT_ONCE=Yes") +
           Type("POOL", "ATTRACT_CAT_1=ANIMAL GUESTCAPACITY=10 ANIMAL_1=FISH MAXIMUM_ANIMAL_IN=5") +
           Type("HUGE", "HAS_STAFF=Yes STAFF_ID=CLEANER ANIMAL_1=FISH ANIMAL_1_FIXED=25 MAXIMUM_ANIMAL_IN=100") +
           Type("KIOSK", "GUESTCAPACITY=2") + Type("GATE", "SHOWENTER=Yes") + Record("SCENERY", "ENTER1", {}) +
           Record("SCENERY", "ENTER2", {}) + Record("SCENERY", "ENTER3", {}) +
           Record("ANIMAL", "FISH", {{"COST", "100"}, {"INTENSITY", "1.5"}, {"NUM_PATHS", "40"}}) +
           Grid("SHOP", 3, 2, kShopRows,
                Points("MAPSHOP", "STAFFPOINT", 1, 48, 96) + Points("MAPSHOP", "TABLEPOINT", 2, 24, 40) +
                    Points("MAPSHOP", "INWALKPOINT", 1, 80, 100)) +
           Grid("CAFE", 3, 2, kShopRows, Points("MAPCAFE", "TABLEPOINT", 1, 24, 40)) +
           Grid("RESTSMALL", 1, 1, kSmallRows) + Grid("RIDE", 1, 1, kSmallRows) + Grid("KIOSK", 1, 1, kSmallRows) +
           Grid("GATE", 1, 1, kSmallRows) + Grid("POOL", 1, 1, kSmallRows, Points("MAPPOOL", "VIEWPOINT", 2, 8, 8)) +
           Grid("HUGE", 1, 1, kSmallRows,
                Points("MAPHUGE", "TABLEPOINT", 20, 8, 8) + Points("MAPHUGE", "EATPOINT", 30, 8, 8) +
                    Points("MAPHUGE", "VIEWPOINT", 12, 8, 8));
}

// A park with the types above and a footpath along y = 7 and x = 1.
class Buildings : public testing::Test
{
protected:
    Buildings() : park(Tables(), 48)
    {
        park.params->AddBuiltInStaff();
        for (int i = 0; i < 48; ++i)
        {
            park.Footpath(i, 7);
            park.Footpath(1, i);
        }
    }
    // The shop at (4, 4): body x 4..6, y 4..5; serve cell (6, 6) under the footpath at (6, 7).
    BuildingObject* Shop() { return park.Build("SHOP", 4, 4); }
    // A one-cell building at (2, y), served from the footpath cell (1, y).
    BuildingObject* Small(const char* type, int y) { return park.Build(type, 2, y); }
    uint32_t Guest() { return park.Make(OBJECT_GUEST)->GetID(); }

    BuildingPark park;
};

TEST_F(Buildings, AreBuiltOpenAndHireTheirServersAndTables)
{
    BuildingObject* shop = Shop();
    ASSERT_NE(shop, nullptr);
    EXPECT_EQ(shop->GetState(), static_cast<uint32_t>(STATE_NULL));
    EXPECT_FALSE(shop->IsUnderConstruction());
    EXPECT_TRUE(shop->IsOpen());
    EXPECT_EQ(park.Construction().GetRecordCount(), 1u);
    EXPECT_TRUE(park.Construction().IsBuildingReady(shop->GetID()));
    // Serve cell (6, 6) under the footpath: a queue of one cell, three places, starting on the footpath.
    ASSERT_NE(shop->GetQueue(), nullptr);
    EXPECT_TRUE(shop->GetQueue()->IsValid());
    EXPECT_EQ(shop->GetQueuePointCount(), 3);
    EXPECT_EQ(shop->GetQueue()->GetStartCell(), (GridPos{6, 7}));
    EXPECT_EQ(shop->m_InsideQueueGrid, (GridPos{6, 5}));
    EXPECT_EQ(shop->m_ServeOutGrid, (GridPos{7, 5}));
    // Guests are served at the centre of the serve cell and leave from the centre of the serve-out cell.
    platform::Vec3 in, out;
    shop->GetServeInPosition(in);
    shop->GetServeOutPosition(out);
    EXPECT_EQ(std::make_pair(in.x, in.y), std::make_pair(6 * 32.0f + 16.0f, 6 * 64.0f + 32.0f));
    EXPECT_EQ(std::make_pair(out.x, out.y), std::make_pair(7 * 32.0f + 16.0f, 5 * 64.0f + 32.0f));
    // One server of a male staff type and a table at each of the two table points.
    EXPECT_EQ(shop->GetServerCount(), 1u);
    EXPECT_EQ(shop->GetMaleServerCount(), 1);
    EXPECT_EQ(shop->GetTableCount(), 2u);
    EXPECT_EQ(park.objects->GetObject(shop->GetServer(0))->GetType(), OBJECT_SERVER);
    // The server stands at its staff point (48, 96) from the footprint corner (128, 256).
    EXPECT_EQ(park.objects->GetObject(shop->GetServer(0))->GetWorldPosition().x, 176.0f);
    EXPECT_EQ(park.objects->GetObject(shop->GetServer(0))->GetWorldPosition().y, 352.0f);
    // The model stands at the footprint's centre: map (128 + 48, 256 + 64) in scene units.
    EXPECT_EQ(shop->GetPosition().x, 176.0f / 8.0f + 512.0f);
    EXPECT_EQ(shop->GetPosition().z, 320.0f / 16.0f + 512.0f);
    // The breakdown check comes half a game day (of 240 s) later.
    bool breakdownCheck = false;
    for (const MessageRecord& m : park.messages->GetPendingMessages())
        breakdownCheck = breakdownCheck || (m.dwType == MT_UPDATE_BREAKDOWN && m.dwReciever == shop->GetID() &&
                                            std::fabs(m.fTime - park.world->GetGameTime() - 120.0f) < 1e-3f);
    EXPECT_TRUE(breakdownCheck);
    EXPECT_TRUE(shop->IsSoundPlaying());
}

TEST_F(Buildings, NumberTheirInstancesFromTheLowestFree)
{
    BuildingObject* first = Small("KIOSK", 10);
    BuildingObject* second = Small("KIOSK", 13);
    EXPECT_EQ(first->GetInstanceNumber(), 0u);
    EXPECT_EQ(second->GetInstanceNumber(), 1u);
    const uint32_t id = first->GetID();
    first->Sell();
    park.Frames(2);
    EXPECT_EQ(park.objects->GetObject(id), nullptr);
    EXPECT_EQ(Small("KIOSK", 16)->GetInstanceNumber(), 0u);
}

TEST_F(Buildings, GoThroughTheWholeCycleFromBuildToRefund)
{
    const int32_t constructions = park.Construction().GetConstructionCount();
    BuildingObject* shop = Shop();
    const uint32_t id = shop->GetID();
    const uint32_t server = shop->GetServer(0);
    const uint32_t table = shop->GetTable(0);
    EXPECT_EQ(park.Construction().GetConstructionCount(), constructions + 1);
    // Finished buildings count for the world script.
    const int32_t type = park.params->FindBuilding("SHOP");
    EXPECT_EQ(park.world->CountFinishedBuildings(type), 1u);
    EXPECT_TRUE(park.map->GetFlags({5, 4}) & CELL_BUILDING);

    const uint32_t guest = Guest();
    const uint32_t leaver = Guest();
    park.Send(guest, id, MT_PRICE_OK);
    shop->AddLeaver(leaver);
    shop->Sell();
    shop->Sell();
    EXPECT_EQ(shop->GetState(), static_cast<uint32_t>(STATE_DEMOLISHING));
    EXPECT_TRUE(shop->IsBeingDemolished());
    EXPECT_FALSE(shop->IsUnderConstruction());
    EXPECT_EQ(park.world->CountFinishedBuildings(type), 0u);
    EXPECT_EQ(park.Construction().GetRecordCount(), 1u);
    EXPECT_FALSE(park.Construction().IsBuildingReady(id));
    EXPECT_EQ(Taken(MT_BUILDING_BEING_REMOVED, guest).size(), 1u);
    // It waits for the guest inside to go.
    const float cash = park.Cash();
    park.Frames(3);
    EXPECT_EQ(shop->GetState(), static_cast<uint32_t>(STATE_DEMOLISHING));
    EXPECT_EQ(park.Cash(), cash);
    // The leaver leaves the park; the guest inside leaves the building.
    park.objects->RemoveObject(leaver);
    park.Frames(1);
    EXPECT_EQ(shop->GetState(), static_cast<uint32_t>(STATE_DEMOLISHING));
    shop->RemoveGuest(guest);
    park.Frames(1);
    // Gone in the same frame, with its server and tables, and three quarters of its cost paid back.
    EXPECT_EQ(park.objects->GetObject(id), nullptr);
    EXPECT_EQ(park.objects->GetObject(server), nullptr);
    EXPECT_EQ(park.objects->GetObject(table), nullptr);
    EXPECT_FLOAT_EQ(park.Cash(), cash + 750.0f);
    EXPECT_FLOAT_EQ(park.world->m_fDemolishIncomeToday, 750.0f);
    EXPECT_FLOAT_EQ(park.world->m_fIncomeToday, 750.0f);
    EXPECT_EQ(park.Construction().GetRecordCount(), 0u);
    EXPECT_EQ(park.Construction().GetConstructionCount(), constructions + 2);
    // The ground is ground again; the queue and entry cells are gone.
    for (GridPos cell : {GridPos{4, 4}, GridPos{6, 5}, GridPos{6, 6}})
    {
        EXPECT_EQ(park.map->GetFlags(cell) & (CELL_BUILDING | CELL_QUEUE), 0u) << cell.x << "," << cell.y;
        EXPECT_NE(park.map->GetFlags(cell) & CELL_WALKABLE, 0u) << cell.x << "," << cell.y;
    }
}

TEST_F(Buildings, StayClosedUntilTheyCanOpen)
{
    // A toilet whose serve cell (1, 20) leads to no footpath until one is laid beside it; an exhibit without its
    // animal.
    for (int y = 19; y <= 21; ++y)
        park.map->GetCell({1, y})->m_uiFlags &= ~CELL_FOOTPATH;
    BuildingObject* toilet = Small("RESTSMALL", 20);
    EXPECT_FALSE(toilet->GetQueue()->IsValid());
    EXPECT_FALSE(toilet->IsOpen());
    EXPECT_FALSE(toilet->IsUserClosed());
    park.tiles->PlacePathTile({0, 20});
    park.Send(kNoObjectID, toilet->GetID(), MT_PATH_PLACED, 20, 0);
    EXPECT_TRUE(toilet->IsOpen());
    EXPECT_EQ(toilet->GetQueue()->GetStartCell(), (GridPos{0, 20}));

    BuildingObject* pool = Small("POOL", 16);
    EXPECT_FALSE(pool->IsOpen());
    pool->Open();
    EXPECT_FALSE(pool->IsOpen());
    const float cash = park.Cash();
    ASSERT_TRUE(pool->CanAdoptAnimal(0));
    pool->AdoptAnimal(0);
    EXPECT_FLOAT_EQ(park.Cash(), cash - 100.0f);
    EXPECT_EQ(pool->GetAnimalCount(), 1);
    EXPECT_TRUE(pool->IsOpen());
    EXPECT_FLOAT_EQ(pool->GetAnimalIntensity(), 1.5f);
    EXPECT_FLOAT_EQ(pool->GetAnimalLoad(), 1.5f / 5.0f);
    // 1.5 + 1.5 + 1.5 fits under 5; a fourth would not.
    pool->AdoptAnimal(0);
    pool->AdoptAnimal(0);
    EXPECT_FALSE(pool->CanAdoptAnimal(0));
    EXPECT_FALSE(pool->CanAdoptAnimal(1));
    // Each new day a building with animals calls its zookeeper at a random moment of the coming day.
    const float now = park.world->GetGameTime();
    park.Send(kWorldID, pool->GetID(), MT_NEW_DAY);
    const MessageRecord& call = park.messages->GetPendingMessages().back();
    EXPECT_EQ(call.dwType, static_cast<uint32_t>(MT_CALL_ZOO));
    EXPECT_EQ(call.dwReciever, pool->GetID());
    EXPECT_GE(call.fTime, now);
    EXPECT_LE(call.fTime, now + 240.0f);
}

TEST_F(Buildings, CloseOpenAndAnswerQueuePathChanges)
{
    BuildingObject* shop = Shop();
    const uint32_t guest = Guest();
    shop->JoinQueue(guest);
    shop->Close();
    EXPECT_EQ(shop->GetOpenStatus(), 1u);
    EXPECT_TRUE(shop->IsUserClosed());
    EXPECT_TRUE(shop->GetQueue()->GetGuests().empty());
    EXPECT_EQ(Taken(MT_BUILDING_CLOSING, guest).size(), 1u);
    EXPECT_FALSE(park.objects->GetObject(shop->GetServer(0))->IsVisible());
    // The path at the queue's start goes: a building the player closed stays closed.
    park.map->GetCell({6, 7})->m_uiFlags &= ~CELL_FOOTPATH;
    park.Send(kNoObjectID, shop->GetID(), MT_PATH_REMOVED, 7, 6);
    EXPECT_FALSE(shop->IsOpen());
    park.Footpath(6, 7);
    shop->Open();
    EXPECT_TRUE(shop->IsOpen());
    EXPECT_TRUE(park.objects->GetObject(shop->GetServer(0))->IsVisible());

    // Its serve cell is taken up: bad queue and closing go out in that order, and it stays shut.
    Inbox().clear();
    shop->JoinQueue(guest);
    park.map->GetCell({6, 6})->m_uiFlags &= ~CELL_QUEUE;
    park.Send(kNoObjectID, shop->GetID(), MT_QUEUE_REMOVED, 6, 6);
    EXPECT_FALSE(shop->IsOpen());
    EXPECT_FALSE(shop->IsUserClosed());
    std::vector<uint32_t> told;
    for (const Received& r : Inbox())
    {
        if (r.receiver == guest)
            told.push_back(r.type);
    }
    EXPECT_EQ(told, (std::vector<uint32_t>{MT_BUILDING_BAD_QUEUE, MT_BUILDING_CLOSING}));
    // A cell of no queue of its own leaves it alone; a laid queue cell reopens it.
    park.Send(kNoObjectID, shop->GetID(), MT_QUEUE_REMOVED, 2, 2);
    park.map->GetCell({6, 6})->m_uiFlags |= CELL_QUEUE;
    park.Send(kNoObjectID, shop->GetID(), MT_QUEUE_PLACED, 6, 6);
    EXPECT_TRUE(shop->IsOpen());
}

TEST_F(Buildings, PlaceTheirEntranceWhereTheirQueueMeetsThePath)
{
    BuildingObject* gate = Small("GATE", 10);
    BaseObject* entrance = park.objects->GetObject(static_cast<uint32_t>(gate->GetEntranceID()));
    ASSERT_NE(entrance, nullptr);
    EXPECT_EQ(entrance->GetType(), OBJECT_SCENERY);
    const std::string name = entrance->GetName();
    EXPECT_TRUE(name == "ENTER1" || name == "ENTER2" || name == "ENTER3") << name;
    // On the footpath cell (1, 10) where the queue starts, shown.
    EXPECT_EQ(WorldMap::WorldToGrid(entrance->GetWorldPosition()), (GridPos{1, 10}));
    EXPECT_TRUE(entrance->IsVisible());
    // No queue start, no entrance to see; sold, the entrance goes.
    park.map->GetCell({1, 10})->m_uiFlags &= ~CELL_FOOTPATH;
    park.Send(kNoObjectID, gate->GetID(), MT_PATH_REMOVED, 10, 1);
    EXPECT_FALSE(entrance->IsVisible());
    gate->Sell();
    EXPECT_TRUE(entrance->IsWaitingForDeath());
    EXPECT_EQ(gate->GetEntranceID(), -1);
}

TEST_F(Buildings, OfferTheirPriceOnlyWhenTheyCanTakeTheGuest)
{
    BuildingObject* shop = Shop();
    BuildingObject* cafe = park.Build("CAFE", 4, 10);
    BuildingObject* kiosk = Small("KIOSK", 16);
    const auto offered = [&](BuildingObject* b)
    {
        const uint32_t guest = Guest();
        park.Send(guest, b->GetID(), MT_REQUEST_COMMOD);
        const std::vector<Received> price = Taken(MT_COMMOD_PRICE, guest);
        for (const Received& r : price)
            EXPECT_EQ(r.fData, b->GetAttractionPrice());
        return !price.empty();
    };
    // The shop's one server takes one guest at a time.
    EXPECT_TRUE(offered(shop));
    const uint32_t first = Guest();
    park.Send(first, shop->GetID(), MT_PRICE_OK);
    EXPECT_EQ(Taken(MT_IM_READY, first).at(0).data, shop->GetServer(0));
    EXPECT_FALSE(offered(shop));
    const uint32_t second = Guest();
    park.Send(second, shop->GetID(), MT_PRICE_OK);
    EXPECT_TRUE(Taken(MT_IM_READY, second).empty());
    EXPECT_EQ(shop->GetGuestList().size(), 2u);
    park.Send(shop->GetServer(0), shop->GetID(), MT_GUEST_SERVED);
    EXPECT_TRUE(offered(shop));
    // The cafe's one table seats four.
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(offered(cafe)) << i;
    EXPECT_FALSE(offered(cafe));
    // The kiosk takes as many as its capacity, 2.
    for (uint32_t guest : {Guest(), Guest()})
    {
        EXPECT_TRUE(offered(kiosk));
        park.Send(guest, kiosk->GetID(), MT_PRICE_OK);
        EXPECT_EQ(Taken(MT_ENTER_BUILDING, guest).at(0).data, kiosk->GetID());
    }
    EXPECT_FALSE(offered(kiosk));
}

TEST_F(Buildings, BookEachSaleIntoTheRightTotalsAndServeTheGuest)
{
    // How the guest is served: by the server, by every table, on the ride, or by the building itself after a delay
    // (SERVE_TIME_MIN to _MAX, 2 to 4 s, or 0.1 s where guests watch from view points).
    enum Service
    {
        BY_SERVER,
        BY_TABLE,
        ON_RIDE,
        DELAYED,
    };
    struct Sale
    {
        const char* type;
        float price;
        float cost;
        // Where the price goes: park income, attraction income, retail income, animal income.
        bool income, attraction, retail, animal;
        Service service;
        float low, high;
    };
    const Sale sales[] = {
        {"SHOP", 5.0f, 1.5f, true, false, true, false, BY_SERVER, 0, 0},
        {"CAFE", 4.0f, 0.0f, true, false, true, false, BY_TABLE, 0, 0},
        {"RESTSMALL", 1.0f, 0.25f, true, true, false, false, DELAYED, 2.0f, 4.0f},
        {"RIDE", 3.0f, 0.0f, true, true, false, false, ON_RIDE, 0, 0},
        {"POOL", 6.0f, 0.5f, false, false, false, true, DELAYED, 0.1f, 0.1f},
        {"KIOSK", 2.0f, 0.0f, true, false, false, false, DELAYED, 2.0f, 4.0f},
    };
    int y = 10;
    for (const Sale& s : sales)
    {
        BuildingObject* b = park.Build(s.type, 4, y += 4);
        ASSERT_NE(b, nullptr) << s.type;
        park.params->GetBuildingInfo(park.params->FindBuilding(s.type)).fAttractCost = s.cost;
        b->SetAttractionPrice(s.price);
        World& w = *park.world;
        const float before[] = {park.Cash(),
                                w.m_fIncomeToday,
                                w.m_fAttractIncomeToday,
                                w.m_fRetailIncomeToday,
                                w.m_fAnimalIncomeTotal,
                                w.m_fCostsToday,
                                w.m_fStockCostToday};
        const uint32_t guest = Guest();
        Inbox().clear();
        park.Send(guest, b->GetID(), MT_PRICE_OK);
        park.Send(guest, b->GetID(), MT_IM_READY, b->GetServer(0));
        EXPECT_FLOAT_EQ(b->GetIncomeToday(), s.price) << s.type;
        EXPECT_FLOAT_EQ(b->GetCostToday(), s.cost) << s.type;
        EXPECT_EQ(b->GetVisitsToday(), 1u) << s.type;
        EXPECT_FLOAT_EQ(park.Cash() - before[0], s.price - s.cost) << s.type;
        EXPECT_FLOAT_EQ(w.m_fIncomeToday - before[1], s.income ? s.price : 0.0f) << s.type;
        EXPECT_FLOAT_EQ(w.m_fAttractIncomeToday - before[2], s.attraction ? s.price : 0.0f) << s.type;
        EXPECT_FLOAT_EQ(w.m_fRetailIncomeToday - before[3], s.retail ? s.price : 0.0f) << s.type;
        EXPECT_FLOAT_EQ(w.m_fAnimalIncomeTotal - before[4], s.animal ? s.price : 0.0f) << s.type;
        EXPECT_FLOAT_EQ(w.m_fCostsToday - before[5], s.cost) << s.type;
        EXPECT_FLOAT_EQ(w.m_fStockCostToday - before[6], s.cost) << s.type;

        const std::vector<Received> serve = Taken(MT_SERVE_GUEST);
        EXPECT_EQ(serve.size(), s.service == BY_SERVER || s.service == BY_TABLE ? 1u : 0u) << s.type;
        if (!serve.empty())
        {
            EXPECT_EQ(serve[0].receiver, s.service == BY_SERVER ? b->GetServer(0) : b->GetTable(0)) << s.type;
            EXPECT_EQ(serve[0].data, guest) << s.type;
        }
        // The server served at once and is free again.
        EXPECT_FALSE(b->IsServerBusy(0)) << s.type;
        EXPECT_EQ(b->GetRide()->GetRiderCount(), s.service == ON_RIDE ? 1u : 0u) << s.type;
        const MessageRecord& last = park.messages->GetPendingMessages().back();
        const bool delayed = last.dwType == MT_SERVED_COMMOD && last.dwReciever == guest;
        EXPECT_EQ(delayed, s.service == DELAYED) << s.type;
        EXPECT_TRUE(Taken(MT_SERVED_COMMOD, guest).empty()) << s.type;
        if (delayed)
        {
            EXPECT_GE(last.fTime - w.GetGameTime(), s.low - 1e-4f) << s.type;
            EXPECT_LE(last.fTime - w.GetGameTime(), s.high + 1e-4f) << s.type;
        }
    }
    // A price of 5.999 is booked as 6.00.
    BuildingObject* kiosk = Small("KIOSK", 40);
    kiosk->SetAttractionPrice(5.999f);
    const float cash = park.Cash();
    park.Send(Guest(), kiosk->GetID(), MT_IM_READY);
    EXPECT_FLOAT_EQ(park.Cash() - cash, 6.0f);
}

TEST_F(Buildings, StartARideAtItsStartLevel)
{
    struct Case
    {
        float level;
        int offered;
        int startsAt;
    };
    // Capacity 10: the price is offered below trunc(10 x level) guests (at least 1), and the ride starts when that
    // many have paid.
    int y = 10;
    for (const Case& c : {Case{0.5f, 5, 5}, Case{0.05f, 1, 1}, Case{1.0f, 10, 10}})
    {
        BuildingObject* ride = Small("RIDE", y += 4);
        ride->SetRideStartLevel(c.level);
        park.Send(kNoObjectID, ride->GetID(), MT_RIDE_COMPLETE);
        int offered = 0;
        int started = 0;
        for (int i = 1; i <= 10 && !started; ++i)
        {
            const uint32_t guest = Guest();
            park.Send(guest, ride->GetID(), MT_REQUEST_COMMOD);
            offered += Taken(MT_COMMOD_PRICE, guest).empty() ? 0 : 1;
            park.Send(guest, ride->GetID(), MT_PRICE_OK);
            park.Send(guest, ride->GetID(), MT_IM_READY);
            started = ride->GetRide()->IsRunning() ? i : 0;
        }
        EXPECT_EQ(offered, c.offered) << c.level;
        EXPECT_EQ(started, c.startsAt) << c.level;
        ride->Sell();
    }
}

TEST_F(Buildings, CloseTheDayIntoTheirProfitRecord)
{
    BuildingObject* shop = Shop();
    const float profits[] = {10.0f, 20.0f};
    for (float profit : profits)
    {
        shop->SetAttractionPrice(profit + 1.0f);
        park.Send(Guest(), shop->GetID(), MT_IM_READY, shop->GetServer(0));
        // The day closes before the building's next update: the sale still counts.
        park.Send(kWorldID, shop->GetID(), MT_NEW_DAY);
    }
    EXPECT_EQ(shop->GetBuildingAge(), 2);
    EXPECT_FLOAT_EQ(shop->GetProfitRecord(0), 20.0f);
    EXPECT_FLOAT_EQ(shop->GetProfitRecord(1), 10.0f);
    EXPECT_FLOAT_EQ(shop->GetAverageProfit(), 15.0f);
    EXPECT_EQ(shop->GetIncomeToday(), 0.0f);
    EXPECT_EQ(shop->GetVisitsToday(), 0u);
    // Without animals it calls no zookeeper.
    for (const MessageRecord& m : park.messages->GetPendingMessages())
        EXPECT_NE(m.dwType, static_cast<uint32_t>(MT_CALL_ZOO));
    // The panel shows the figures in money text.
    platform::WString text;
    shop->GetVariable("BUILDING_AVERAGEPROFIT$", text);
    EXPECT_EQ(text, u"$15.00");
    // A building being pulled down closes no day.
    shop->Sell();
    park.Send(kWorldID, shop->GetID(), MT_NEW_DAY);
    EXPECT_EQ(shop->GetBuildingAge(), 2);
}

TEST_F(Buildings, PulseTheirFlagsOnceEveryGameSecondAndAHalf)
{
    BuildingObject* shop = Shop();
    // Frames of 0.5 s move the alpha by trunc(0.5 / 1.5 x 255) = 85.
    const int expected[] = {170, 85, 0, 0, 85, 170, 255, 255, 170};
    for (int alpha : expected)
    {
        park.Frames(1, 0.5f);
        EXPECT_EQ(shop->GetFlagAlpha(), alpha);
    }
    park.world->SetPaused(true);
    park.Frames(3, 0.5f);
    EXPECT_EQ(shop->GetFlagAlpha(), 170);
}

TEST_F(Buildings, KeepToTheirTablesWhenTheDataAsksForMore)
{
    BuildingObject* huge = Small("HUGE", 10);
    ASSERT_NE(huge, nullptr);
    EXPECT_EQ(huge->GetTableCount(), BuildingObject::kMaxTables);
    EXPECT_EQ(huge->GetAnimalCount(), static_cast<int32_t>(BuildingObject::kMaxAnimals));
    EXPECT_EQ(huge->GetEatPointCount(), BuildingObject::kMaxEatPoints);
    EXPECT_EQ(huge->GetViewPointCount(false), BuildingObject::kMaxViewPoints);
    platform::Vec3 point;
    EXPECT_FALSE(huge->GetEatPoint(BuildingObject::kMaxEatPoints, point));
    EXPECT_FALSE(huge->GetViewPoint(BuildingObject::kMaxViewPoints, point));
    EXPECT_GE(park.CountReports("HUGE"), 2u);
    // A server of a female staff type counts as one; more reports of new servers than slots are refused.
    EXPECT_EQ(huge->GetFemaleServerCount(), 1);
    for (uint32_t i = 0; i < BuildingObject::kMaxStaff + 3; ++i)
        park.Send(park.Make(OBJECT_SERVER, "SERVE1")->GetID(), huge->GetID(), MT_STAFF_CREATED);
    EXPECT_EQ(huge->GetServerCount(), BuildingObject::kMaxStaff);
    EXPECT_EQ(huge->GetServer(BuildingObject::kMaxStaff), kNoObjectID);
    EXPECT_EQ(huge->GetAnimal(-1), kNoObjectID);
    EXPECT_EQ(huge->GetAnimal(BuildingObject::kMaxAnimals), kNoObjectID);
    // Animals beyond 20 are not held.
    park.Send(park.Make(OBJECT_ANIMAL, "FISH")->GetID(), huge->GetID(), MT_ANIMAL_CREATED);
    EXPECT_EQ(huge->GetAnimalCount(), static_cast<int32_t>(BuildingObject::kMaxAnimals));
    // A show starting at a building without a show programme changes nothing.
    park.Send(kNoObjectID, huge->GetID(), MT_SHOW_STARTING);
    EXPECT_EQ(huge->GetState(), static_cast<uint32_t>(STATE_NULL));
}

TEST_F(Buildings, KeepTheLastTwentyOpinionsOfEachKind)
{
    struct Case
    {
        int32_t list;
        std::vector<int32_t> codes;
        // Mean of each list afterwards; every list starts with one 0.5.
        float means[3];
    };
    const Case cases[] = {
        {BuildingObject::OPINION_PRICE, std::vector<int32_t>(19, 0), {0.5f / 20.0f, 0.5f, 0.5f}},
        {BuildingObject::OPINION_QUEUING, std::vector<int32_t>(25, 2), {0.5f, 1.0f, 0.5f}},
        {BuildingObject::OPINION_WELFARE, {2, 0, 0, 7}, {0.5f, 0.5f, 2.0f / 5.0f}},
        {3, {0, 0}, {0.5f, 0.5f, 0.5f}},
    };
    int y = 10;
    for (const Case& c : cases)
    {
        BuildingObject* kiosk = Small("KIOSK", y += 3);
        for (int32_t code : c.codes)
            kiosk->AddOpinion(c.list, code);
        for (int32_t list = 0; list < 3; ++list)
            EXPECT_FLOAT_EQ(kiosk->GetOpinionMean(list), c.means[list]) << c.list << " " << list;
    }
}

TEST(BuildingData, WithoutMapGridsOrModelsBuildingsStillStand)
{
    // No map grid at all: every type shares the empty first grid, a footprint of no cells with no queue.
    BuildingPark park(Record("BUILD", "BARE", {{"GUESTCAPACITY", "1"}}));
    BuildingObject* bare = park.Build("BARE", 5, 5);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->GetQueue(), nullptr);
    EXPECT_TRUE(bare->IsOpen());
    EXPECT_FALSE(bare->IsQueueNotFull());
    platform::Vec3 point;
    EXPECT_FALSE(bare->GetInWalkPoint(OBJECT_GUEST, 0, point));
    EXPECT_EQ(bare->GetInWalkPointCount(OBJECT_GUEST), 0);
    bare->Sell();
    park.Frames(1);
    EXPECT_EQ(park.objects->GetObjectsOfKind(OBJECT_BUILDING).size(), 0u);
}

TEST(Money, RoundsToCentsBeforeItShowsThem)
{
    const struct
    {
        float dollars;
        const char16_t* text;
    } cases[] = {{12.5f, u"$12.50"}, {-3.25f, u"-$3.25"},          {-0.004f, u"-$0.00"},
                 {0.0f, u"$0.00"},   {5.999f, u"$6.00"},           {-1.995f, u"-$2.00"},
                 {0.07f, u"$0.07"},  {1234567.0f, u"$1234567.00"}, {NAN, u"$0.00"}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatMoney(c.dollars), c.text) << c.dollars;
    EXPECT_FLOAT_EQ(RoundToCents(2.0049f), 2.0f);
    EXPECT_FLOAT_EQ(RoundToCents(-2.006f), -2.01f);
}

} // namespace
