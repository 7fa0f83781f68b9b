// Tests of the building: its states from construction to demolition, opening and closing, the guest's visit and
// the sale, the day's close, queue path changes, its components, points and flags, and data that asks for more
// than the building holds.
#include "park/AnimalPathComponent.h"
#include "park/ConstructionManager.h"
#include "park/CrowdFiller.h"
#include "park/Money.h"
#include "park/QueueComponent.h"
#include "park/RideComponent.h"
#include "park/ShowScheduler.h"
#include "scripts/ObjectStates.h"
#include "tests/engine/render/DrawTestSupport.h"
#include "tests/park/BuildingTestSupport.h"
#include "tests/world/SaveBytes.h"
#include "world/Player.h"

#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <sstream>

using namespace bldtest;

namespace
{

using std::pair;
using std::tuple;

// A shop three cells wide and two deep: serve cell above the right-hand column (I), queue entry under it (Q),
// serve-out to the right (O); the hall is served both ways there (S). One cell served from its left (I), from its
// left both ways (S), or not at all.
const char* const kShopRows[] = {"000I0", "0LLQO", "0LLL0", "00000"};
const char* const kSmallRows[] = {"000", "IQ0", "000"};
const char* const kStandRows[] = {"000", "SQ0", "000"};
const char* const kWallRows[] = {"000", "0L0", "000"};
const char* const kHallRows[] = {"000S0", "0LLQO", "0LLL0", "00000"};

// A building type from "FIELD=value" words (no ride or table model, a serve time of 2 to 4 s) with a map grid of
// w x h cells from the rows; a word "LIST=n,x,y" gives the grid n points of the list (its keyword in the
// singular: STAFFPOINT) from (x, y), one map unit apart.
std::string Building(const std::string& name, int w, int h, const char* const* rows, const std::string& fields)
{
    std::vector<std::pair<std::string, std::string>> type = {
        {"RIDE_MODEL", "NONE"}, {"TABLE_MODEL", "NONE"}, {"SERVE_TIME_MIN", "2"}, {"SERVE_TIME_MAX", "4"}};
    std::vector<std::pair<std::string, std::string>> grid = {{"WIDTH", std::to_string(w)},
                                                             {"HEIGHT", std::to_string(h)}};
    for (int r = 0; r < h + 2; ++r)
        grid.push_back({"FLAGROW" + std::to_string(r), rows[r]});
    std::istringstream words(fields);
    for (std::string word; words >> word;)
    {
        const std::string field = word.substr(0, word.find('=')), value = word.substr(word.find('=') + 1);
        int n = 0;
        float x = 0, y = 0;
        if (std::sscanf(value.c_str(), "%d,%f,%f", &n, &x, &y) < 3)
        {
            type.push_back({field, value});
            continue;
        }
        grid.push_back({"NUM_" + field + "S", std::to_string(n)});
        for (int i = 0; i < n; ++i)
            grid.insert(grid.end(), {{field + "X", std::to_string(x + i)}, {field + "Y", std::to_string(y)}});
    }
    return Record("BUILD", name, type) + Record("MAPGRID", "MAP" + name, grid);
}

// The point lists of the hall: list i has i + 1 points from (8 i, 16).
const char* const kHallLists[] = {"VIEWPOINT",     "2VIEWPOINT",  "INWALKPOINT",  "OUTWALKPOINT",
                                  "THRUWALKPOINT", "MECHINPOINT", "MECHOUTPOINT", "ZOOINPOINT",
                                  "ZOOOUTPOINT",   "EATPOINT",    "EATNODE",      "INTERESTPOINT"};

std::string Tables()
{
    std::string hall;
    for (int i = 0; i < 12; ++i)
        hall += " " + std::string(kHallLists[i]) + "=" + std::to_string(i + 1) + "," + std::to_string(8 * i) + ",16";
    return Building("SHOP", 3, 2, kShopRows,
                    "ATTRACT_CAT_1=SNACKS COST2BUILD=1000 GUESTCAPACITY=6 ATTRACT_PRICE_1=2.50 ATTRACT_COST_1=1.00 "
                    "HAS_STAFF=Yes STAFF_ID=SERVE1 STAFFPOINT=1,48,96 TABLEPOINT=2,24,40") +
           Building("CAFE", 3, 2, kShopRows, "ATTRACT_CAT_1=MEALS GUESTCAPACITY=6 TABLEPOINT=1,24,40") +
           Building("HALL", 3, 2, kHallRows, hall) +
           Building("KIOSK", 1, 1, kSmallRows, "GUESTCAPACITY=2 ATTRACT_BASE_INTEN_1=0.3") +
           Building("RESTSMALL", 1, 1, kSmallRows, "ATTRACT_CAT_1=TOILET GUESTCAPACITY=4 ATTRACT_PRICE_1=1") +
           Building("RIDE", 1, 1, kSmallRows, "ATTRACT_CAT_1=RIDE GUESTCAPACITY=10 SERVE_AT_ONCE=Yes") +
           Building("POOL", 1, 1, kSmallRows,
                    "ATTRACT_CAT_1=ANIMAL ANIMAL_1=FISH MAXIMUM_ANIMAL_IN=5 ATTRACT_BASE_INTEN_1=0.3 VIEWPOINT=2,8,8") +
           Building("HUGE", 1, 1, kSmallRows,
                    "HAS_STAFF=Yes STAFF_ID=CLEANER ANIMAL_1=FISH ANIMAL_1_FIXED=25 MAXIMUM_ANIMAL_IN=100 "
                    "TABLEPOINT=20,8,8 EATPOINT=30,8,8 VIEWPOINT=12,8,8 2VIEWPOINT=12,8,8") +
           Building("ARENA", 1, 1, kSmallRows,
                    "ATTRACT_CAT_1=SHOW GUESTCAPACITY=1 SERVE_AT_ONCE=Yes HAS_CROWD=Yes HAS_SCHEDULER=Yes "
                    "SHOW_NAME=SPLASH ANIMAL_1=FISH ANIMAL_1_FIXED=1 ANIMAL_2=CRAB ANIMAL_2_FIXED=1 ANIMAL_3=FISH "
                    "MAXIMUM_ANIMAL_IN=10 RIDE_TYPE=Anim SPAWNPOINT=2,4,20") +
           Building("STAND", 1, 1, kStandRows, "HAS_STAFF=Yes STAFF_ID=CLEANER") +
           Building("STAFFSMALL", 1, 1, kSmallRows, "") + Building("GATE", 1, 1, kSmallRows, "SHOWENTER=Yes") +
           Building("WALL", 1, 1, kWallRows, "SHOWENTER=Yes") + Record("SCENERY", "ENTER1", "") +
           Record("SCENERY", "ENTER2", "") + Record("SCENERY", "ENTER3", "") +
           Record("ANIMAL", "FISH", {{"COST", "100"}, {"INTENSITY", "1.5"}, {"NUM_PATHS", "40"}}) +
           Record("ANIMAL", "CRAB", {{"INTENSITY", "1"}, {"NUM_PATHS", "2"}, {"USEPOINTS", "Yes"}});
}

// A point's map position; the centre of a grid cell in map units.
const auto XY = [](const platform::Vec3& v) { return pair(v.x, v.y); };
const auto Centre = [](int x, int y) { return pair(x * 32 + 16.0f, y * 64 + 32.0f); };

// A park with the types above and a footpath along y = 7 and x = 1.
class Buildings : public testing::Test
{
protected:
    Buildings() : park(Tables(), 48)
    {
        park.params->AddBuiltInStaff();
        for (int i = 0; i < 48; ++i)
            park.Footpath(i, 7), park.Footpath(1, i);
    }
    // The shop at (4, 4): body x 4..6, y 4..5; serve cell (6, 6) under the footpath at (6, 7).
    BuildingObject* Shop() { return park.Build("SHOP", 4, 4); }
    // A one-cell building at (2, y), served from the footpath cell (1, y).
    BuildingObject* Small(const char* type, int y, uint32_t age = 0)
    {
        park.world->RequestBuilding(type, 2, y, 0, -1.0f, age, false);
        return dynamic_cast<BuildingObject*>(park.objects->GetBuildingsByName(type).back());
    }
    uint32_t Guest() { return park.Make(OBJECT_GUEST)->GetID(); }
    BaseObject* Object(uint32_t id) { return park.objects->GetObject(id); }
    // The delay of the last message of the type pending for the receiver; -1 when none is.
    float Delay(uint32_t type, uint32_t receiver)
    {
        float delay = -1.0f;
        for (const MessageRecord& m : park.messages->GetPendingMessages())
            delay = m.dwType == type && m.dwReciever == receiver ? m.fTime - park.world->GetGameTime() : delay;
        return delay;
    }
    // Whether the building offers the guest its price (from itself, at its price).
    bool Offered(BuildingObject* b, uint32_t guest)
    {
        park.Send(guest, b->GetID(), MT_REQUEST_COMMOD);
        const std::vector<Received> price = Taken(MT_COMMOD_PRICE, guest);
        return !price.empty() && price[0].sender == b->GetID() && price[0].fData == b->GetAttractionPrice();
    }

    BuildingPark park;
};

TEST_F(Buildings, AreBuiltOpenAndHireTheirServersAndTables)
{
    BuildingObject* shop = Shop();
    ASSERT_NE(shop, nullptr);
    EXPECT_EQ(tuple(shop->GetState(), shop->IsUnderConstruction(), shop->IsOpen(), shop->IsSoundPlaying(),
                    park.Construction().IsBuildingReady(shop->GetID()), shop->IsStaffRoom(), shop->IsToilet(),
                    Small("STAFFSMALL", 30)->IsStaffRoom(), Small("RESTSMALL", 33)->IsToilet()),
              tuple(uint32_t{STATE_NULL}, false, true, true, true, false, false, true, true));
    // Serve cell (6, 6) under the footpath: a queue of one cell, three places, starting on the footpath; guests are
    // served at the serve cell's centre and leave from the serve-out cell's.
    ASSERT_NE(shop->GetQueue(), nullptr);
    EXPECT_EQ(tuple(shop->GetQueuePointCount(), shop->m_InsideQueueGrid), tuple(3, GridPos{6, 5}));
    platform::Vec3 in, out, start;
    ASSERT_TRUE(shop->GetQueueStartPosition(start));
    shop->GetServeInPosition(in);
    shop->GetServeOutPosition(out);
    EXPECT_EQ(tuple(XY(start), XY(in), XY(out)), tuple(Centre(6, 7), Centre(6, 6), Centre(7, 5)));
    // One server of a male staff type at its staff point (48, 96) from the footprint corner (128, 256), and a
    // table at each of the two table points.
    EXPECT_EQ(tuple(shop->GetServerCount(), shop->GetMaleServerCount(), shop->GetTableCount()), tuple(1u, 1, 2u));
    // The model stands at the footprint's centre: map (128 + 48, 256 + 64) in scene units. The breakdown check
    // comes half a game day (of 240 s) later.
    EXPECT_EQ(tuple(XY(Object(shop->GetServer(0))->GetWorldPosition()), shop->GetPosition().x, shop->GetPosition().z,
                    Delay(MT_UPDATE_BREAKDOWN, shop->GetID())),
              tuple(pair(176.0f, 352.0f), 176 / 8.0f + 512, 320 / 16.0f + 512, 120.0f));
    // A server reported with data set is not one of the building's; the message is taken all the same.
    EXPECT_TRUE(park.Send(park.Make(OBJECT_SERVER, "SERVE1")->GetID(), shop->GetID(), MT_STAFF_CREATED, 1));
    EXPECT_EQ(shop->GetServerCount(), 1u);

    // Served both ways from one cell: a two-way queue, guests leave where they came; a server without staff
    // points stands at that cell's point in the middle of its top edge.
    BuildingObject* stand = Small("STAND", 10);
    stand->GetServeOutPosition(out);
    EXPECT_EQ(tuple(stand->GetQueue()->IsTwoWay(), stand->m_ServeInOutGrid, XY(out)),
              tuple(true, GridPos{1, 10}, Centre(1, 10)));
    EXPECT_EQ(XY(Object(stand->GetServer(0))->GetWorldPosition()), XY(WorldMap::GetCellPoint({1, 10}, 0)));
    // A server of a staff type the tables do not know counts as the hired type's sex.
    park.Send(park.Make(OBJECT_SERVER, "NOBODY")->GetID(), stand->GetID(), MT_STAFF_CREATED);
    EXPECT_EQ(pair(stand->GetFemaleServerCount(), stand->GetMaleServerCount()), pair(2, 0));
}

TEST_F(Buildings, GoThroughTheWholeCycleFromBuildToRefund)
{
    BuildingObject* shop = Shop();
    const uint32_t id = shop->GetID(), server = shop->GetServer(0), table = shop->GetTable(0);
    // Finished buildings count for the world script.
    const int32_t type = park.params->FindBuilding("SHOP");
    ConstructionManager& records = park.Construction();
    EXPECT_EQ(tuple(records.GetConstructionCount(), park.world->CountFinishedBuildings(type),
                    park.map->GetFlags({5, 4}) & CELL_BUILDING),
              tuple(1, 1u, uint32_t{CELL_BUILDING}));

    const uint32_t guest = Guest(), leaver = Guest(), other = Guest();
    park.Send(guest, id, MT_PRICE_OK);
    shop->AddLeaver(leaver);
    shop->AddLeaver(other);
    shop->SetNumRestStaff(1);
    static_cast<Stub*>(Object(table))->ReserveSeat(guest);
    shop->Sell();
    shop->Sell();
    // Sold once: the second sale closes nothing again.
    EXPECT_EQ(tuple(shop->GetState(), shop->IsBeingDemolished(), shop->IsUnderConstruction(),
                    park.world->CountFinishedBuildings(type), records.GetRecordCount(), records.IsBuildingReady(id),
                    Taken(MT_BUILDING_BEING_REMOVED, guest).size(), Taken(MT_BUILDING_CLOSING, guest).size()),
              tuple(uint32_t{STATE_DEMOLISHING}, true, false, 0u, size_t{1}, false, size_t{1}, size_t{1}));
    // It waits for all inside to go, one at a time: a leaver leaves the park, another the building, a resting
    // worker gets up, the guest leaves its seat and the building.
    const float cash = park.Cash();
    for (const auto& going :
         std::vector<std::function<void()>>{[&] { park.objects->RemoveObject(leaver); },
                                            [&] { shop->RemoveLeaver(other); }, [&] { shop->SetNumRestStaff(0); },
                                            [&] { shop->RemoveGuest(guest); }})
    {
        park.Frames(2);
        EXPECT_EQ(pair(shop->GetState(), park.Cash()), pair(uint32_t{STATE_DEMOLISHING}, cash));
        going();
    }
    EXPECT_TRUE(static_cast<Stub*>(Object(table))->IsFree());
    park.Frames(1);
    // Gone in the same frame, with its server and tables, and three quarters of its cost paid back.
    EXPECT_EQ(tuple(Object(id), Object(server), Object(table), park.Cash(), park.world->m_fDemolishIncomeToday,
                    park.world->m_fIncomeToday, records.GetRecordCount(), records.GetConstructionCount()),
              tuple(nullptr, nullptr, nullptr, cash + 750.0f, 750.0f, 750.0f, size_t{0}, 2));
    // The ground is ground again; the queue and entry cells are gone.
    for (GridPos cell : {GridPos{4, 4}, GridPos{6, 5}, GridPos{6, 6}})
        EXPECT_EQ(park.map->GetFlags(cell) & (CELL_BUILDING | CELL_QUEUE | CELL_WALKABLE), CELL_WALKABLE) << cell.x;
}

TEST_F(Buildings, StayClosedUntilTheyCanOpen)
{
    // A toilet whose serve cell (1, 20) leads to no footpath until one is laid beside it.
    for (int y = 19; y <= 21; ++y)
        park.map->GetCell({1, y})->m_uiFlags &= ~CELL_FOOTPATH;
    BuildingObject* toilet = Small("RESTSMALL", 20);
    platform::Vec3 start;
    EXPECT_EQ(tuple(toilet->GetQueue()->IsValid(), toilet->IsOpen(), toilet->IsUserClosed(),
                    toilet->GetQueueStartPosition(start)),
              tuple(false, false, false, false));
    park.tiles->PlacePathTile({0, 20});
    park.Send(kNoObjectID, toilet->GetID(), MT_PATH_PLACED, 20, 0);
    EXPECT_EQ(pair(toilet->IsOpen(), toilet->GetQueue()->GetStartCell()), pair(true, GridPos{0, 20}));

    // An exhibit opens when its first animal comes, for the animal's cost; 1.5 + 1.5 + 1.5 fits under 5, a fourth
    // would not; a slot the type does not have holds nothing.
    BuildingObject* pool = Small("POOL", 16);
    pool->Open();
    EXPECT_FALSE(pool->IsOpen());
    const float cash = park.Cash();
    ASSERT_TRUE(pool->CanAdoptAnimal(0));
    pool->AdoptAnimal(0);
    EXPECT_EQ(tuple(park.Cash(), pool->GetAnimalCount(), Object(pool->GetAnimal(0))->GetType(), pool->IsOpen()),
              tuple(cash - 100.0f, 1, OBJECT_ANIMAL, true));
    // A type that takes no animals has no load.
    EXPECT_EQ(tuple(pool->GetAnimalIntensity(), pool->GetAnimalLoad(), toilet->GetAnimalLoad()),
              tuple(1.5f, 1.5f / 5.0f, 0.0f));
    for (uint32_t slot : {0, 0, 1})
        pool->AdoptAnimal(slot);
    EXPECT_EQ(tuple(pool->CanAdoptAnimal(0), pool->CanAdoptAnimal(1), pool->GetAnimalCount()), tuple(false, false, 3));
    // Each new day a building with animals calls its zookeeper at a random moment of the coming day.
    park.Send(kWorldID, pool->GetID(), MT_NEW_DAY);
    const float call = Delay(MT_CALL_ZOO, pool->GetID());
    EXPECT_TRUE(call >= 0.0f && call <= 240.0f) << call;
    // Sold, its animals are hidden at once and go with it.
    const uint32_t fish = pool->GetAnimal(0);
    pool->Sell();
    EXPECT_FALSE(Object(fish)->IsVisible());
    park.Frames(2);
    EXPECT_EQ(Object(fish), nullptr);
}

TEST_F(Buildings, PayOnlyForTheAnimalsTheWorldMakes)
{
    // A pool adopts a fish (COST 100) when asked; an arena adopts its fixed fish and crab (no COST: 0) when it is
    // built. Costs are paid in whole cents, one that is no number costs nothing and a huge one is held at
    // 2,000,000,000 dollars. Without a class for animals the World makes none, and nothing is paid.
    AnimalInfo& fish = park.params->GetAnimalInfo(park.params->FindAnimal("FISH"));
    const struct
    {
        const char* type;
        bool animalsExist;
        float cost;
        float paid;
        int32_t held;
    } cases[] = {{"POOL", true, 100.0f, 100.0f, 1}, {"POOL", true, 2.004f, 2.0f, 1},
                 {"POOL", true, NAN, 0.0f, 1},      {"POOL", true, 1e30f, 2e9f, 1},
                 {"POOL", false, 100.0f, 0.0f, 0},  {"ARENA", true, 100.0f, 100.0f, 2},
                 {"ARENA", false, 100.0f, 0.0f, 0}};
    int y = 6;
    for (const auto& c : cases)
    {
        const ObjectFactory stub = []() -> BaseObject* { return new Stub; };
        RegisterObjectKind(OBJECT_ANIMAL, c.animalsExist ? stub : nullptr);
        fish.fCost = c.cost;
        park.world->GetPlayer()->Cash = 0.0f;
        BuildingObject* b = park.Build(c.type, 20, y += 3);
        if (std::string(c.type) == "POOL")
            b->AdoptAnimal(0);
        EXPECT_EQ(tuple(-park.Cash(), b->GetAnimalCount(), park.objects->GetObjectsOfKind(OBJECT_ANIMAL).size()),
                  tuple(c.paid, c.held, static_cast<size_t>(c.held)))
            << c.type << " " << c.cost << " " << c.animalsExist;
        for (BaseObject* animal : park.objects->GetObjectsOfKind(OBJECT_ANIMAL))
            park.objects->RemoveObject(animal->GetID());
    }
    // Each refusal (the pool's fish, the arena's fish and crab) is told to the debugger, not to the player.
    EXPECT_EQ(park.CountReports("was made for"), 3u);
    EXPECT_NE(park.reports.debug.find("no FISH was made for POOL: nothing is paid"), std::string::npos);
    for (const auto& box : park.reports.boxes)
        EXPECT_EQ(box.text.find("was made for"), std::string::npos) << box.text;
}

TEST_F(Buildings, TakeCreationReportsOnlyFromTheKindOfObjectTheyOrdered)
{
    // Each report from an object of another kind, or from an id of no object, is ignored; from the kind the
    // building ordered it takes the object once, however often it reports. An entrance is taken only by a type
    // that has one.
    BuildingObject* shop = Shop();
    BuildingObject* pool = Small("POOL", 16);
    BuildingObject* gate = Small("GATE", 10);
    const auto count = [](uint32_t message, BuildingObject* b, uint32_t sender) -> int64_t
    {
        return message == MT_STAFF_CREATED   ? b->GetServerCount()
               : message == MT_TABLE_CREATED ? b->GetTableCount()
               : message == MT_ANIMAL_CREATED
                   ? b->GetAnimalCount()
                   : static_cast<int64_t>(b->GetEntranceID() == static_cast<int32_t>(sender));
    };
    const struct
    {
        uint32_t message;
        BuildingObject* building;
        uint8_t kind;
        const char* name;
        int64_t added;
    } cases[] = {{MT_STAFF_CREATED, shop, OBJECT_GUEST, "SERVE1", 0},
                 {MT_STAFF_CREATED, shop, OBJECT_TABLE, "SERVE1", 0},
                 {MT_STAFF_CREATED, shop, 0, "", 0},
                 {MT_STAFF_CREATED, shop, OBJECT_SERVER, "SERVE1", 1},
                 {MT_TABLE_CREATED, shop, OBJECT_SERVER, "table", 0},
                 {MT_TABLE_CREATED, shop, 0, "", 0},
                 {MT_TABLE_CREATED, shop, OBJECT_TABLE, "table", 1},
                 {MT_ANIMAL_CREATED, pool, OBJECT_GUEST, "FISH", 0},
                 {MT_ANIMAL_CREATED, pool, OBJECT_SCENERY, "FISH", 0},
                 {MT_ANIMAL_CREATED, pool, OBJECT_ANIMAL, "FISH", 1},
                 {MT_SCENERY_ENTER_CREATED, gate, OBJECT_GUEST, "ENTER1", 0},
                 {MT_SCENERY_ENTER_CREATED, shop, OBJECT_SCENERY, "ENTER1", 0},
                 {MT_SCENERY_ENTER_CREATED, gate, OBJECT_SCENERY, "ENTER1", 1}};
    for (const auto& c : cases)
    {
        const uint32_t sender = c.kind ? park.Make(c.kind, c.name)->GetID() : 99999u;
        const int64_t before = count(c.message, c.building, sender);
        // Taken or ignored, the building answers that it took the report.
        for (int i = 0; i < 2; ++i)
            EXPECT_TRUE(c.building->Message({sender, c.building->GetID(), c.message}));
        EXPECT_EQ(count(c.message, c.building, sender) - before, c.added)
            << c.message << " " << c.building->GetName() << " kind " << int(c.kind);
    }
    // The entrance item the gate took is hidden: the building shows its own.
    BaseObject* taken = Object(static_cast<uint32_t>(gate->GetEntranceID()));
    ASSERT_NE(taken, nullptr);
    EXPECT_FALSE(taken->IsVisible());
}

TEST_F(Buildings, IgnoreStateChangesTheirLifecycleDoesNotExpect)
{
    // A stand (one server, refund 300) is started by the World once; it finishes its construction, is occupied
    // and freed, sold and emptied by its own messages. A change from anyone else, or one its state does not
    // lead to, is ignored: it hires no second server, it is not pulled down or refunded, it enters no state it
    // does not have.
    park.params->GetBuildingInfo(park.params->FindBuilding("STAND")).iCost2Build = 400;
    enum From
    {
        WORLD,
        SELF,
        GUEST
    };
    const struct
    {
        bool sold;
        From from;
        uint32_t state;
        uint32_t after;
    } cases[] = {{false, WORLD, STATE_STARTUP, STATE_NULL},         {false, SELF, STATE_STARTUP, STATE_NULL},
                 {false, WORLD, STATE_DEMOLISHED, STATE_NULL},      {false, SELF, STATE_DEMOLISHED, STATE_NULL},
                 {false, GUEST, STATE_DEMOLISHING, STATE_NULL},     {false, WORLD, STATE_DEMOLISHING, STATE_NULL},
                 {false, SELF, STATE_DO_NOTHING, STATE_NULL},       {false, SELF, STATE_GUEST_JOIN_QUEUE, STATE_NULL},
                 {false, GUEST, STATE_OCCUPIED, STATE_NULL},        {false, SELF, STATE_OCCUPIED, STATE_OCCUPIED},
                 {true, SELF, STATE_DEMOLISHED, STATE_DEMOLISHING}, {true, SELF, STATE_DEMOLISHING, STATE_DEMOLISHING},
                 {true, WORLD, STATE_STARTUP, STATE_DEMOLISHING},   {true, SELF, STATE_NULL, STATE_DEMOLISHING}};
    int x = 2;
    for (const auto& c : cases)
    {
        BuildingObject* stand = park.Build("STAND", x += 3, 20);
        const uint32_t id = stand->GetID(), guest = Guest();
        if (c.sold)
        {
            // A guest inside keeps it from being emptied.
            park.Send(guest, id, MT_PRICE_OK);
            stand->Sell();
        }
        const float cash = park.Cash();
        const uint32_t from = c.from == WORLD ? kWorldID : c.from == SELF ? id : guest;
        park.Send(from, id, MT_STATECHANGE, c.state);
        // Only a sale tells those in the park that it is going, once.
        EXPECT_EQ(tuple(stand->GetState(), stand->GetServerCount(), Taken(MT_BUILDING_BEING_REMOVED, guest).size()),
                  tuple(c.after, 1u, size_t{c.sold}))
            << x;
        park.Frames(1);
        EXPECT_EQ(tuple(Object(id) == stand, park.Cash()), tuple(true, cash)) << x;
    }
    // Each change ignored is told to the debugger, not to the player: all but the occupation.
    EXPECT_EQ(park.CountReports("ignores message 5"), std::size(cases) - 1);
    for (const auto& box : park.reports.boxes)
        EXPECT_EQ(box.text.find("ignores"), std::string::npos) << box.text;
    // Freed again by its own message, the occupied stand works on.
    auto* occupied = static_cast<BuildingObject*>(park.objects->GetBuildingsByName("STAND")[9]);
    ASSERT_EQ(occupied->GetState(), static_cast<uint32_t>(STATE_OCCUPIED));
    park.Send(occupied->GetID(), occupied->GetID(), MT_STATECHANGE, STATE_NULL);
    EXPECT_EQ(occupied->GetState(), static_cast<uint32_t>(STATE_NULL));
}

TEST_F(Buildings, KeepTheirOneBreakdownChainAndAreNotStartedAgainWhenLoaded)
{
    BuildingObject* stand = park.Build("STAND", 30, 20);
    const uint32_t id = stand->GetID();
    const auto checks = [&]
    {
        size_t n = 0;
        for (const MessageRecord& m : park.messages->GetPendingMessages())
            n += m.dwType == MT_UPDATE_BREAKDOWN && m.dwReciever == id ? 1 : 0;
        return n;
    };
    ASSERT_EQ(checks(), 1u);
    const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); });
    ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return park.objects->Load(s); }));
    auto* loaded = dynamic_cast<BuildingObject*>(Object(id));
    ASSERT_NE(loaded, nullptr);
    const uint32_t servers = loaded->GetServerCount();
    // The World's start is for new buildings: the loaded stand hires no server and stays as it was.
    park.Send(kWorldID, id, MT_STATECHANGE, STATE_STARTUP);
    EXPECT_EQ(tuple(loaded->GetState(), loaded->GetServerCount()), tuple(uint32_t{STATE_NULL}, servers));
    // The check saved with the game comes half a day after the building was finished and posts the next.
    const float start = park.world->GetGameTime();
    while (park.world->GetGameTime() < start + 130.0f)
        park.Frames(1, 2.0f);
    EXPECT_EQ(checks(), 1u);
}

TEST_F(Buildings, HearServedGuestsEndedRidesAndNewDaysOnlyFromWhoTellsThem)
{
    // A served guest is reported by the shop's server (the queue moves on), a ride's end by the building itself
    // (the new start level takes effect), the new day by the World (the building ages); from anyone else these
    // change nothing.
    BuildingObject* shop = Shop();
    BuildingObject* ride = Small("RIDE", 20);
    ride->SetRideStartLevel(0.25f);
    for (int i = 0; i < 3; ++i)
        shop->JoinQueue(Guest());
    const uint32_t stranger = Guest();
    const struct
    {
        BuildingObject* building;
        uint32_t message;
        uint32_t from;
        float moved;
    } cases[] = {{shop, MT_GUEST_SERVED, stranger, 0.0f},         {shop, MT_GUEST_SERVED, kWorldID, 0.0f},
                 {shop, MT_GUEST_SERVED, kNoObjectID, 0.0f},      {shop, MT_GUEST_SERVED, shop->GetServer(0), -1.0f},
                 {ride, MT_RIDE_COMPLETE, stranger, 0.0f},        {ride, MT_RIDE_COMPLETE, kWorldID, 0.0f},
                 {ride, MT_RIDE_COMPLETE, ride->GetID(), -0.25f}, {shop, MT_NEW_DAY, stranger, 0.0f},
                 {shop, MT_NEW_DAY, shop->GetID(), 0.0f},         {shop, MT_NEW_DAY, kWorldID, 1.0f}};
    const auto measure = [](uint32_t message, BuildingObject* b)
    {
        return message == MT_GUEST_SERVED    ? static_cast<float>(b->GetQueue()->GetGuests().size())
               : message == MT_RIDE_COMPLETE ? b->GetCurrentRideStartLevel()
                                             : static_cast<float>(b->GetBuildingAge());
    };
    for (const auto& c : cases)
    {
        const float before = measure(c.message, c.building);
        park.Send(c.from, c.building->GetID(), c.message);
        EXPECT_EQ(measure(c.message, c.building) - before, c.moved) << c.message << " from " << c.from;
    }
}

TEST_F(Buildings, AnswerTheirPointsForEachKindOfWalker)
{
    // The hall turned a quarter at (20, 20): the last point of each list (numbered as in kHallLists) placed at the
    // turned footprint, and none beyond it. Mechanics and cleaners walk the MECH lists, zookeepers the ZOO lists,
    // others the guests'; staff walk through no building.
    BuildingObject* hall = park.Build("HALL", 20, 20, 1);
    using BO = BuildingObject;
    const auto check = [&](int32_t count, int list, const std::function<bool(int32_t, platform::Vec3&)>& get)
    {
        platform::Vec3 p{};
        const auto last = WorldMap::FootprintLocalToWorld(20, 20, 3, 2, 9.0f * list, 16.0f, 1);
        EXPECT_EQ(count, list + 1) << list;
        EXPECT_TRUE(list < 0 || (get(list, p) && XY(p) == XY(last) && !get(list + 1, p))) << list;
    };
    const uint8_t kinds[4] = {OBJECT_GUEST, OBJECT_MECHANIC, OBJECT_CLEANER, OBJECT_ZOOKEEPER};
    const std::tuple<int32_t (BO::*)(uint8_t), bool (BO::*)(uint8_t, int32_t, platform::Vec3&), std::array<int, 4>>
        walkers[] = {{&BO::GetInWalkPointCount, &BO::GetInWalkPoint, {2, 5, 5, 7}},
                     {&BO::GetOutWalkPointCount, &BO::GetOutWalkPoint, {3, 6, 6, 8}},
                     {&BO::GetThruWalkPointCount, &BO::GetThruWalkPoint, {4, -1, -1, -1}}};
    for (const auto& [count, get, lists] : walkers)
    {
        for (int k = 0; k < 4; ++k)
            check((hall->*count)(kinds[k]), lists[k],
                  [&](int32_t i, platform::Vec3& p) { return (hall->*get)(kinds[k], i, p); });
    }
    const std::tuple<int32_t, bool (BO::*)(int32_t, platform::Vec3&) const, int> others[] = {
        {hall->GetViewPointCount(false), &BO::GetViewPoint, 0},
        {hall->GetViewPointCount(true), &BO::GetViewPoint2, 1},
        {hall->GetEatPointCount(), &BO::GetEatPoint, 9},
        {hall->GetEatNodeCount(), &BO::GetEatNode, 10},
        {hall->GetInterestPointCount(), &BO::GetInterestPoint, 11}};
    for (const auto& [count, get, list] : others)
        check(count, list, [&](int32_t i, platform::Vec3& p) { return (hall->*get)(i, p); });
}

// Opening shows the building's servers that are still there: a server removed from the park while the building
// was closed is passed over, the others come back into sight.
TEST_F(Buildings, OpeningShowsTheServersThatAreStillThere)
{
    BuildingObject* shop = Shop();
    Stub* second = park.Make(OBJECT_SERVER, "SERVE1");
    Stub* gone = park.Make(OBJECT_SERVER, "SERVE1");
    for (Stub* server : {second, gone})
        park.Send(server->GetID(), shop->GetID(), MT_STAFF_CREATED);
    ASSERT_EQ(shop->GetServerCount(), 3u);
    shop->Close();
    EXPECT_EQ(pair(Object(shop->GetServer(0))->IsVisible(), second->IsVisible()), pair(false, false));
    ASSERT_TRUE(park.objects->RemoveObject(shop->GetServer(2)));
    shop->Open();
    EXPECT_EQ(tuple(shop->IsOpen(), Object(shop->GetServer(0))->IsVisible(), second->IsVisible()),
              tuple(true, true, true));
    shop->Close();
    EXPECT_EQ(pair(shop->IsOpen(), second->IsVisible()), pair(false, false));
}

TEST_F(Buildings, CloseOpenAndAnswerQueuePathChanges)
{
    BuildingObject* shop = Shop();
    const uint32_t guest = Guest(), id = shop->GetID();
    // Three places in the queue: room until three have joined.
    for (uint32_t other : {Guest(), guest, Guest()})
    {
        EXPECT_TRUE(shop->IsQueueNotFull());
        shop->JoinQueue(other);
    }
    EXPECT_EQ(pair(shop->IsQueueNotFull(), shop->GetQueuePosition(guest)), pair(false, 1));
    shop->LeaveQueue(guest);
    EXPECT_EQ(shop->GetQueue()->GetGuests().size(), 2u);
    shop->Close();
    EXPECT_EQ(tuple(shop->GetOpenStatus(), shop->IsUserClosed(), shop->GetQueue()->GetGuests().size(),
                    Taken(MT_BUILDING_CLOSING, guest).size(), Object(shop->GetServer(0))->IsVisible()),
              tuple(1u, true, size_t{0}, size_t{1}, false));
    // A server that reports while the building is closed stays out of sight.
    Stub* late = park.Make(OBJECT_SERVER, "SERVE1");
    park.Send(late->GetID(), id, MT_STAFF_CREATED);
    EXPECT_FALSE(late->IsVisible());
    // The path at the queue's start goes: a building the player closed stays closed.
    park.map->GetCell({6, 7})->m_uiFlags &= ~CELL_FOOTPATH;
    park.Send(kNoObjectID, id, MT_PATH_REMOVED, 7, 6);
    EXPECT_FALSE(shop->IsOpen());
    park.Footpath(6, 7);
    shop->Open();
    EXPECT_EQ(pair(shop->IsOpen(), Object(shop->GetServer(0))->IsVisible()), pair(true, true));
    // Its sound plays while it is open.
    for (const bool open : {false, true})
    {
        open ? shop->Open() : shop->Close();
        park.Frames(1);
        EXPECT_EQ(shop->IsSoundPlaying(), open);
    }

    // A path taken up away from its queue's start leaves it open. Its serve cell taken up: bad queue and closing
    // go out in that order, and it stays shut.
    park.Send(kNoObjectID, id, MT_PATH_REMOVED, 7, 9);
    EXPECT_TRUE(shop->IsOpen());
    Inbox().clear();
    park.map->GetCell({6, 6})->m_uiFlags &= ~CELL_QUEUE;
    park.Send(kNoObjectID, id, MT_QUEUE_REMOVED, 6, 6);
    EXPECT_EQ(pair(shop->IsOpen(), shop->IsUserClosed()), pair(false, false));
    std::vector<uint32_t> told;
    for (const Received& r : Inbox())
        told.insert(told.end(), r.receiver == guest, r.type);
    EXPECT_EQ(told, (std::vector<uint32_t>{MT_BUILDING_BAD_QUEUE, MT_BUILDING_CLOSING}));
    // A cell of no queue of its own leaves it alone; a laid queue cell reopens it; a path laid while the queue is
    // good leaves the player's closing alone.
    park.Send(kNoObjectID, id, MT_QUEUE_REMOVED, 2, 2);
    park.map->GetCell({6, 6})->m_uiFlags |= CELL_QUEUE;
    park.Send(kNoObjectID, id, MT_QUEUE_PLACED, 6, 6);
    EXPECT_TRUE(shop->IsOpen());
    shop->Close();
    park.Send(kNoObjectID, id, MT_PATH_PLACED, 7, 7);
    EXPECT_FALSE(shop->IsOpen());
}

// The player closes a shop, then takes up a cell of its queue (the footpath at its start, or its serve cell) and
// lays it again: the shop stays closed, flagged as closed by the player, not as having a bad queue, and its queue
// starts where it did; it opens when the player opens it.
TEST_F(Buildings, APlayerClosedBuildingWhoseQueueIsMendedIsFlaggedClosedNotBadQueue)
{
    // The cell taken up and laid again, below the shop's body: its serve cell 2 rows below, the footpath 3.
    const struct
    {
        int32_t below;
        uint32_t flag, removed, placed;
    } cases[] = {{3, CELL_FOOTPATH, MT_PATH_REMOVED, MT_PATH_PLACED},
                 {2, CELL_QUEUE, MT_QUEUE_REMOVED, MT_QUEUE_PLACED}};
    int y = 10;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.removed);
        park.Footpath(6, (y += 6) + 3);
        BuildingObject* shop = park.Build("SHOP", 4, y);
        ASSERT_TRUE(shop->IsOpen());
        const uint32_t id = shop->GetID();
        const GridPos cell{6, y + c.below};
        const uint32_t cellX = static_cast<uint32_t>(cell.x), cellY = static_cast<uint32_t>(cell.y);
        shop->Close();
        int32_t flags[4];
        park.map->GetCell(cell)->m_uiFlags &= ~c.flag;
        park.Send(kNoObjectID, id, c.removed, cellY, cellX);
        EXPECT_EQ(std::vector<int32_t>(flags, flags + shop->GetStatusFlags(flags)), std::vector<int32_t>{2});
        park.map->GetCell(cell)->m_uiFlags |= c.flag;
        park.Send(kNoObjectID, id, c.placed, cellY, cellX);
        EXPECT_EQ(std::vector<int32_t>(flags, flags + shop->GetStatusFlags(flags)), std::vector<int32_t>{3});
        EXPECT_EQ(tuple(shop->IsOpen(), shop->IsUserClosed(), shop->GetQueue()->GetStartCell()),
                  tuple(false, true, GridPos{6, y + 3}));
        shop->Open();
        EXPECT_TRUE(shop->IsOpen());
    }
}

TEST_F(Buildings, PlaceTheirEntranceWhereTheirQueueMeetsThePath)
{
    BuildingObject* gate = Small("GATE", 10);
    BaseObject* entrance = Object(static_cast<uint32_t>(gate->GetEntranceID()));
    ASSERT_NE(entrance, nullptr);
    const std::string name = entrance->GetName();
    EXPECT_TRUE(name == "ENTER1" || name == "ENTER2" || name == "ENTER3") << name;
    // Shown on the footpath cell (1, 10) where the queue starts.
    EXPECT_EQ(tuple(entrance->GetType(), WorldMap::WorldToGrid(entrance->GetWorldPosition()), entrance->IsVisible()),
              tuple(OBJECT_SCENERY, GridPos{1, 10}, true));
    // No queue start, no entrance to see; a queue cell taken up from the broken queue has it checked again.
    park.map->GetCell({1, 10})->m_uiFlags &= ~CELL_FOOTPATH;
    park.Send(kNoObjectID, gate->GetID(), MT_PATH_REMOVED, 10, 1);
    EXPECT_FALSE(entrance->IsVisible());
    park.Footpath(1, 10);
    park.Send(kNoObjectID, gate->GetID(), MT_QUEUE_REMOVED, 10, 1);
    EXPECT_EQ(pair(gate->GetQueue()->IsValid(), entrance->IsVisible()), pair(true, true));
    // Off the paths, the entrance waits hidden where the building stands.
    BuildingObject* lost = park.Build("GATE", 20, 20);
    BaseObject* waiting = park.objects->GetObjectsOfKind(OBJECT_SCENERY).back();
    EXPECT_EQ(tuple(lost->GetEntranceID(), waiting->IsVisible(), WorldMap::WorldToGrid(waiting->GetWorldPosition())),
              tuple(static_cast<int32_t>(waiting->GetID()), false, GridPos{20, 20}));
    // A building without a queue can have no entrance: it goes at once. Sold, a building's entrance goes.
    BuildingObject* wall = Small("WALL", 20);
    const std::vector<BaseObject*> scenery = park.objects->GetObjectsOfKind(OBJECT_SCENERY);
    EXPECT_EQ(pair(wall->GetEntranceID(), scenery.back()->IsWaitingForDeath()), pair(-1, true));
    gate->Sell();
    EXPECT_EQ(pair(entrance->IsWaitingForDeath(), gate->GetEntranceID()), pair(true, -1));
}

// A footpath or queue laid back where a broken queue met the paths shows the entrance again on that cell.
TEST_F(Buildings, ShowTheirEntranceAgainWhenTheirQueueMeetsAPathLaidBack)
{
    for (const uint32_t laid : {MT_PATH_PLACED, MT_QUEUE_PLACED})
    {
        SCOPED_TRACE(laid);
        const int32_t y = laid == MT_PATH_PLACED ? 10 : 16;
        BuildingObject* gate = Small("GATE", y);
        BaseObject* entrance = Object(static_cast<uint32_t>(gate->GetEntranceID()));
        ASSERT_NE(entrance, nullptr);
        park.map->GetCell({1, y})->m_uiFlags &= ~CELL_FOOTPATH;
        park.Send(kNoObjectID, gate->GetID(), MT_PATH_REMOVED, y, 1);
        ASSERT_FALSE(entrance->IsVisible());
        ASSERT_FALSE(gate->GetQueue()->IsValid());
        park.Footpath(1, y);
        park.Send(kNoObjectID, gate->GetID(), laid, y, 1);
        EXPECT_EQ(tuple(gate->GetQueue()->IsValid(), entrance->IsVisible(),
                        WorldMap::WorldToGrid(entrance->GetWorldPosition())),
                  tuple(true, true, GridPos{1, y}));
    }
}

TEST_F(Buildings, OfferTheirPriceOnlyWhenTheyCanTakeTheGuest)
{
    BuildingObject* shop = Shop();
    BuildingObject* cafe = park.Build("CAFE", 4, 10);
    BuildingObject* kiosk = Small("KIOSK", 16);
    // The shop's one server takes one guest at a time.
    const uint32_t first = Guest(), second = Guest();
    EXPECT_TRUE(Offered(shop, first));
    park.Send(first, shop->GetID(), MT_PRICE_OK);
    EXPECT_EQ(Taken(MT_IM_READY, first).at(0).data, shop->GetServer(0));
    EXPECT_FALSE(Offered(shop, second));
    park.Send(second, shop->GetID(), MT_PRICE_OK);
    EXPECT_EQ(pair(Taken(MT_IM_READY, second).size(), shop->GetGuestList().size()), pair(size_t{0}, size_t{2}));
    park.Send(shop->GetServer(0), shop->GetID(), MT_GUEST_SERVED);
    EXPECT_TRUE(Offered(shop, Guest()));
    // The cafe's one table seats four; a guest who turns the price down gives the seat back.
    uint32_t seated = kNoObjectID;
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Offered(cafe, seated = Guest())) << i;
    EXPECT_FALSE(Offered(cafe, Guest()));
    // With it the queue moves on.
    cafe->JoinQueue(seated);
    cafe->JoinQueue(Guest());
    park.Send(seated, cafe->GetID(), MT_PRICE_NOT_OK);
    EXPECT_EQ(pair(Offered(cafe, Guest()), cafe->GetQueue()->GetGuests().size()), pair(true, size_t{1}));
    // The kiosk takes as many as its capacity, 2.
    for (uint32_t guest : {Guest(), Guest()})
    {
        EXPECT_TRUE(Offered(kiosk, guest));
        park.Send(guest, kiosk->GetID(), MT_PRICE_OK);
        EXPECT_EQ(Taken(MT_ENTER_BUILDING, guest).at(0).data, kiosk->GetID());
    }
    EXPECT_FALSE(Offered(kiosk, Guest()));
}

// A guest taken out of the park leaves no trace at the building: its seat, its place inside, its place among the
// leavers and its place in the queue go, and another guest gets the seat.
TEST_F(Buildings, LetGoOfAGuestTakenOutOfThePark)
{
    BuildingObject* cafe = park.Build("CAFE", 4, 10);
    std::vector<uint32_t> seated;
    for (int i = 0; i < 4; ++i)
    {
        seated.push_back(Guest());
        ASSERT_TRUE(Offered(cafe, seated.back())) << i;
        park.Send(seated.back(), cafe->GetID(), MT_PRICE_OK);
    }
    const uint32_t queued = Guest(), leaving = Guest(), waiting = Guest();
    cafe->JoinQueue(queued);
    cafe->JoinQueue(waiting);
    cafe->AddLeaver(leaving);
    EXPECT_FALSE(Offered(cafe, Guest())) << "the table is not full";
    for (uint32_t gone : {seated[0], queued, leaving})
        cafe->ForgetGuest(gone);
    EXPECT_EQ(cafe->GetGuestList(), (std::vector<uint32_t>{seated[1], seated[2], seated[3]}));
    EXPECT_TRUE(cafe->GetLeavingList().empty());
    EXPECT_EQ(cafe->GetQueue()->GetGuests(), std::vector<uint32_t>{waiting});
    EXPECT_TRUE(Offered(cafe, Guest()));
}

// A shop's server taken by a guest who is then taken out of the park is free for the next guest: whether the guest
// was on its way to the counter, paid and being served, or on its way when the park was saved and loaded (the
// server is known again from the guest's payment); one who goes from the queue leaves the server to the guest it
// serves.
TEST_F(Buildings, AServersGuestTakenOutOfTheParkLeavesTheServerFree)
{
    enum Phase
    {
        ON_ITS_WAY,
        BEING_SERVED,
        PAID_AFTER_A_LOAD,
    };
    struct Holding
    {
        Holding() { Stub::serversHold = true; }
        ~Holding() { Stub::serversHold = false; }
    } holding;
    int y = 10;
    for (const Phase phase : {ON_ITS_WAY, BEING_SERVED, PAID_AFTER_A_LOAD})
    {
        SCOPED_TRACE(phase);
        BuildingObject* shop = park.Build("SHOP", 4, y += 6);
        const uint32_t id = shop->GetID();
        ASSERT_GE(shop->GetServerCount(), 1u);
        const uint32_t served = Guest(), queued = Guest();
        ASSERT_TRUE(Offered(shop, served));
        park.Send(served, id, MT_PRICE_OK);
        if (phase == PAID_AFTER_A_LOAD)
        {
            const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); });
            ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return park.objects->Load(s); }));
            shop = dynamic_cast<BuildingObject*>(Object(id));
            ASSERT_NE(shop, nullptr);
        }
        if (phase != ON_ITS_WAY)
            park.Send(served, id, MT_IM_READY, shop->GetServer(0));
        shop->JoinQueue(queued);
        ASSERT_TRUE(shop->IsServerBusy(0));
        EXPECT_FALSE(Offered(shop, Guest())) << "the one server is busy";
        shop->ForgetGuest(queued);
        EXPECT_TRUE(shop->IsServerBusy(0)) << "a queued guest has no server";
        shop->ForgetGuest(served);
        EXPECT_FALSE(shop->IsServerBusy(0));
        EXPECT_TRUE(Offered(shop, Guest()));
    }
}

// A guest at the shop's counter is still being served when its queue is emptied (the player closes and opens the
// shop again, or takes the footpath at the queue's start away and lays it again), and new guests queue meanwhile. The
// server's report on that guest takes no new guest from the queue: each guest leaves the queue when its own service
// is reported.
TEST_F(Buildings, AServersReportTakesFromTheQueueOnlyTheGuestItServed)
{
    enum Between
    {
        NOTHING,
        CLOSED_AND_OPENED,
        QUEUE_START_RELAID,
    };
    struct Holding
    {
        Holding() { Stub::serversHold = true; }
        ~Holding() { Stub::serversHold = false; }
    } holding;
    const struct
    {
        Between between;
        bool nextAtCounter; // the next guest is given the counter before the first one's report
    } cases[] = {{NOTHING, false},
                 {CLOSED_AND_OPENED, false},
                 {QUEUE_START_RELAID, false},
                 {CLOSED_AND_OPENED, true},
                 {QUEUE_START_RELAID, true}};
    int y = 10;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.between) + (c.nextAtCounter ? " next at the counter" : ""));
        // Served at (6, y + 2), under a footpath cell.
        park.Footpath(6, (y += 6) + 3);
        BuildingObject* shop = park.Build("SHOP", 4, y);
        const uint32_t id = shop->GetID(), server = shop->GetServer(0);
        const GridPos start = shop->GetQueue()->GetStartCell();
        const auto serve = [&](uint32_t guest)
        {
            ASSERT_TRUE(Offered(shop, guest));
            park.Send(guest, id, MT_PRICE_OK);
            park.Send(guest, id, MT_IM_READY, server);
        };
        const uint32_t first = Guest();
        shop->JoinQueue(first);
        serve(first);
        if (c.between == CLOSED_AND_OPENED)
        {
            shop->Close();
            shop->Open();
        }
        else if (c.between == QUEUE_START_RELAID)
        {
            // As the path tool tells the buildings: the cell in the flags and the data.
            const uint32_t cellX = static_cast<uint32_t>(start.x), cellY = static_cast<uint32_t>(start.y);
            park.map->GetCell(start)->m_uiFlags &= ~CELL_FOOTPATH;
            park.Send(kNoObjectID, id, MT_PATH_REMOVED, cellY, cellX);
            ASSERT_FALSE(shop->IsOpen());
            park.Footpath(start.x, start.y);
            park.Send(kNoObjectID, id, MT_PATH_PLACED, cellY, cellX);
        }
        ASSERT_TRUE(shop->IsOpen());
        const uint32_t next = Guest(), last = Guest();
        shop->JoinQueue(next);
        shop->JoinQueue(last);
        if (c.nextAtCounter)
            serve(next);
        park.Send(server, id, MT_GUEST_SERVED);
        if (c.nextAtCounter)
            park.Send(server, id, MT_GUEST_SERVED);
        const std::vector<uint32_t> left =
            c.nextAtCounter ? std::vector<uint32_t>{last} : std::vector<uint32_t>{next, last};
        EXPECT_EQ(shop->GetQueue()->GetGuests(), left);
    }
}

TEST_F(Buildings, BookEachSaleIntoTheRightTotalsAndServeTheGuest)
{
    // Where the price goes (I park income, A attraction income, R retail income, N animal income), and how the
    // guest is served: by the server (S), every table (T), on the ride (R), or by the building itself after a delay
    // in the range (SERVE_TIME_MIN to _MAX, 2 to 4 s, or 0.1 s where guests watch from view points).
    const std::tuple<const char*, float, float, std::string, char, float, float> sales[] = {
        {"SHOP", 5.0f, 1.5f, "IR", 'S', 0, 0},       {"CAFE", 4.0f, 0.0f, "IR", 'T', 0, 0},
        {"RESTSMALL", 1.0f, 0.25f, "IA", 'D', 2, 4}, {"RIDE", 3.0f, 0.0f, "IA", 'R', 0, 0},
        {"POOL", 6.0f, 0.5f, "N", 'D', 0.1f, 0.1f},  {"KIOSK", 5.999f, 0.0f, "I", 'D', 2, 4}};
    World& w = *park.world;
    const auto totals = [&]
    {
        return std::vector<float>{park.Cash(),
                                  w.m_fIncomeToday,
                                  w.m_fAttractIncomeToday,
                                  w.m_fRetailIncomeToday,
                                  w.m_fAnimalIncomeTotal,
                                  w.m_fCostsToday,
                                  w.m_fStockCostToday};
    };
    int y = 10;
    for (const auto& [type, price, cost, to, service, low, high] : sales)
    {
        BuildingObject* b = park.Build(type, 4, y += 4);
        park.params->GetBuildingInfo(park.params->FindBuilding(type)).fAttractCost = cost;
        b->SetAttractionPrice(price);
        std::vector<float> moved = totals();
        const uint32_t guest = Guest();
        Inbox().clear();
        park.Send(guest, b->GetID(), MT_PRICE_OK);
        park.Send(guest, b->GetID(), MT_IM_READY, b->GetServer(0));
        // Booked in whole cents: 5.999 as 6.00.
        const float p = std::round(price * 100.0f) / 100.0f;
        const auto in = [&, p = p](char c) { return to.find(c) == std::string::npos ? 0.0f : p; };
        for (size_t i = 0; i < moved.size(); ++i)
            moved[i] = totals()[i] - moved[i];
        EXPECT_EQ(moved, (std::vector<float>{p - cost, in('I'), in('A'), in('R'), in('N'), cost, cost})) << type;
        EXPECT_EQ(tuple(b->GetIncomeToday(), b->GetCostToday(), b->GetVisitsToday()), tuple(p, cost, 1u));
        // Served at once (the server free again), or later.
        const std::vector<Received> serve = Taken(MT_SERVE_GUEST);
        const uint32_t by = service == 'S' ? b->GetServer(0) : b->GetTable(0);
        const float delay = Delay(MT_SERVED_COMMOD, guest);
        EXPECT_EQ(tuple(serve.size(), b->IsServerBusy(0), b->GetRide()->GetRiderCount(), delay >= 0.0f),
                  tuple(size_t{service == 'S' || service == 'T'}, false, service == 'R' ? 1u : 0u, service == 'D'))
            << type;
        EXPECT_TRUE(serve.empty() || (serve[0].receiver == by && serve[0].data == guest)) << type;
        EXPECT_TRUE(service != 'D' || (delay >= low - 1e-4f && delay <= high + 1e-4f)) << type << " " << delay;
    }
}

TEST_F(Buildings, StartARideAtItsStartLevel)
{
    // Capacity 10: the price is offered while fewer than trunc(10 x level) guests (at least 1) have taken it, and
    // the ride starts when that many have paid; a running ride offers nothing. A level the panel sets beyond 1
    // starts it when full, one below nothing with the first guest.
    int y = 6;
    for (const auto& [level, offered] : {pair(0.5f, 5u),
                                         {0.05f, 1u},
                                         {1.0f, 10u},
                                         {0.7f, 7u},
                                         {3.0f, 10u},
                                         {1e30f, 10u},
                                         {FLT_MAX, 10u},
                                         {-1e30f, 1u}})
    {
        BuildingObject* ride = Small("RIDE", y += 4);
        ride->SetRideStartLevel(level);
        // The ride's end is the building's own message.
        park.Send(ride->GetID(), ride->GetID(), MT_RIDE_COMPLETE);
        EXPECT_EQ(ride->GetCurrentRideStartLevel(), level);
        std::vector<uint32_t> takers;
        for (int i = 0; i < 12; ++i)
        {
            const uint32_t guest = Guest();
            takers.insert(takers.end(), Offered(ride, guest), guest);
            park.Send(guest, ride->GetID(), MT_PRICE_OK);
        }
        EXPECT_EQ(takers.size(), offered) << level;
        for (uint32_t guest : takers)
        {
            EXPECT_TRUE(ride->IsRideIdle() && !ride->GetRide()->IsRunning()) << level;
            park.Send(guest, ride->GetID(), MT_IM_READY);
        }
        EXPECT_TRUE(!ride->IsRideIdle() && ride->GetRide()->IsRunning()) << level;
        EXPECT_FALSE(Offered(ride, Guest()));
    }
}

TEST_F(Buildings, CloseTheDayIntoTheirProfitRecordAndShowItAsMoney)
{
    // The average is the mean of the days the record holds: the last min(age, 64) days' profits, the days before
    // the building's first in the park counting as nothing; at age 0 there is none. A negative age from the world
    // script wraps to the top of the range. The attraction, 0.3 at first, loses 0.02 a day, never below nothing; a
    // negative age counts as none.
    int y = 8;
    for (const auto& [age, average, attraction] :
         {tuple(0u, 15.0f, 0.3f), {0xFFFFFFFFu, 20.0f, 0.3f}, {98u, 30.0f / 64.0f, 0.0f}, {3u, 6.0f, 0.24f}})
    {
        BuildingObject* kiosk = Small("KIOSK", y += 3, age);
        EXPECT_NEAR(kiosk->GetAttraction(), attraction, 1e-6f) << age;
        for (float profit : {10.0f, 20.0f})
        {
            kiosk->SetAttractionPrice(profit);
            park.Send(Guest(), kiosk->GetID(), MT_IM_READY);
            // The day closes before the building's next update: the sale still counts.
            park.Send(kWorldID, kiosk->GetID(), MT_NEW_DAY);
        }
        EXPECT_EQ(tuple(kiosk->GetBuildingAge(), kiosk->GetProfitRecord(0), kiosk->GetProfitRecord(1),
                        kiosk->GetIncomeToday(), kiosk->GetVisitsToday()),
                  tuple(static_cast<int32_t>(age + 2), 20.0f, 10.0f, 0.0f, 0u));
        EXPECT_FLOAT_EQ(kiosk->GetAverageProfit(), average) << age;
    }
    // 65 days of 1.00 fill the 64 days of the record: the mean of a steady 1.00 a day stays 1.00.
    BuildingObject* kiosk = Small("KIOSK", 30);
    kiosk->SetAttractionPrice(1.0f);
    for (int day = 0; day < 65; ++day)
        park.Send(Guest(), kiosk->GetID(), MT_IM_READY), park.Send(kWorldID, kiosk->GetID(), MT_NEW_DAY);
    EXPECT_EQ(tuple(kiosk->GetProfitRecord(63), kiosk->GetProfitRecord(64)), tuple(1.0f, 0.0f));
    EXPECT_FLOAT_EQ(kiosk->GetAverageProfit(), 1.0f);
    // Without animals it calls no zookeeper; the panel shows the figures in money text ((7.50 + 63 x 1.00) / 64);
    // being pulled down, it closes no day.
    kiosk->SetAttractionPrice(7.5f);
    park.Send(Guest(), kiosk->GetID(), MT_IM_READY);
    park.Send(kWorldID, kiosk->GetID(), MT_NEW_DAY);
    kiosk->Sell();
    park.Send(kWorldID, kiosk->GetID(), MT_NEW_DAY);
    platform::WString text;
    kiosk->GetVariable("BUILDING_AVERAGEPROFIT$", text);
    EXPECT_EQ(tuple(Delay(MT_CALL_ZOO, kiosk->GetID()), text, kiosk->GetBuildingAge()), tuple(-1.0f, u"$1.10", 66));
    // Money is rounded to cents before it is shown.
    const std::pair<float, const char16_t*> money[] = {
        {12.5f, u"$12.50"},           {-3.25f, u"-$3.25"},  {-0.004f, u"-$0.00"}, {0.0f, u"$0.00"},
        {5.999f, u"$6.00"},           {-1.995f, u"-$2.00"}, {0.07f, u"$0.07"},    {2.0049f, u"$2.00"},
        {1234567.0f, u"$1234567.00"}, {NAN, u"$0.00"}};
    for (const auto& [dollars, shown] : money)
        EXPECT_EQ(FormatMoney(dollars), shown) << dollars;
    EXPECT_EQ(pair(RoundToCents(2.0049f), RoundToCents(-2.006f)), pair(2.0f, -2.01f));
}

TEST_F(Buildings, PulseTheFlagsOfWhatKeepsThemShut)
{
    BuildingObject* shop = Shop();
    // Frames of 0.5 s move the flags' alpha by trunc(0.5 / 1.5 x 255) = 85; a paused game moves it not at all.
    std::vector<int> alpha;
    for (int i = 0; i < 12; ++i)
    {
        park.world->SetPaused(i >= 9);
        park.Frames(1, 0.5f);
        alpha.push_back(shop->GetFlagAlpha());
    }
    EXPECT_EQ(alpha, (std::vector<int>{170, 85, 0, 0, 85, 170, 255, 255, 170, 170, 170, 170}));
    park.world->SetPaused(false);
    // Status flags, bottom first: 2 feet (bad queue), 0 spanner (broken down), 1 animal (none held), 3 closed (by
    // the player, when nothing else keeps it shut).
    const struct
    {
        const char* type;
        bool broken, playerClosed, badQueue;
        std::vector<int32_t> flags;
    } cases[] = {{"KIOSK", false, false, false, {}}, {"KIOSK", false, true, false, {3}},
                 {"KIOSK", true, true, false, {0}},  {"KIOSK", false, true, true, {2}},
                 {"POOL", false, true, false, {1}},  {"POOL", true, false, true, {2, 0, 1}}};
    int y = 8;
    for (const auto& c : cases)
    {
        BuildingObject* b = park.Build(c.type, 2, y += 3, 0, c.broken);
        EXPECT_EQ(b->GetRepairState(), c.broken ? 3u : 0u);
        if (c.playerClosed)
            b->Close();
        park.map->GetCell({1, y})->m_uiFlags &= c.badQueue ? ~CELL_FOOTPATH : ~0u;
        b->GetQueue()->Rebuild();
        int32_t flags[4];
        EXPECT_EQ(std::vector<int32_t>(flags, flags + b->GetStatusFlags(flags)), c.flags) << c.type << " " << y;
        // It opens when nothing but the player keeps it shut.
        b->Open();
        EXPECT_EQ(b->IsOpen(), c.flags.empty() || c.flags == std::vector<int32_t>{3}) << c.type << " " << y;
    }
}

TEST_F(Buildings, HoldTheirShowsComponentsAndAnimals)
{
    BuildingObject* arena = park.Build("ARENA", 20, 20, 1);
    park.Footpath(arena->m_ServeInGrid.x, arena->m_ServeInGrid.y);
    arena->Open();
    ASSERT_TRUE(arena->IsOpen());
    // The ride, the show and a path for each slot of an animal that does not walk by points stand with the
    // building, turned as it is; the paths show, no show or ride runs.
    RideComponent& ride = *arena->GetRide();
    ShowScheduler& show = *arena->GetScheduler();
    CrowdFiller& crowd = *arena->GetCrowd();
    const AnimalPathComponent& path = *arena->GetAnimalPath(0);
    const platform::Vec3 at = arena->GetPosition();
    const auto placed = [&](const platform::Vec3& p, const platform::Vec3& o)
    { return p.x == at.x && p.y == at.y && p.z == at.z && o.x == 0.0f && o.y == arena->GetRotation() && o.z == 0.0f; };
    EXPECT_EQ(tuple(ride.GetOwner(), ride.GetRideType(), ride.GetCapacity(), show.GetOwner(), show.GetShowName(),
                    crowd.GetOwner(), arena->GetAnimalPathCount(), arena->GetAnimalPath(2), path.IsVisible(),
                    show.IsShowRunning(), ride.IsRunning()),
              tuple(arena->GetID(), 2, 1, arena->GetID(), "SPLASH", arena->GetID(), 2u, nullptr, true, false, false));
    EXPECT_TRUE(placed(ride.GetPosition(), ride.GetOrientation()) &&
                placed(show.GetPosition(), show.GetOrientation()) && placed(path.GetPosition(), path.GetOrientation()));
    // Its fixed animals: the fish at the footprint's centre, the crab at the spawn point numbered by the animals
    // already held; the fish is given to the paths of its type (the crab walks by points). Two crabs at most.
    ASSERT_EQ(arena->GetAnimalCount(), 2);
    const uint32_t fish = arena->GetAnimal(0), crab = arena->GetAnimal(1);
    const platform::Vec3 centre = WorldMap::WorldToScene(Object(fish)->GetWorldPosition());
    EXPECT_EQ(tuple(std::string(Object(fish)->GetName()), centre.x, centre.z, arena->GetAnimalIntensity(),
                    arena->GetAttraction(), XY(Object(crab)->GetWorldPosition()), arena->CanAdoptAnimal(1)),
              tuple("FISH", at.x, at.z, 2.5f, 2.5f, XY(WorldMap::FootprintLocalToWorld(20, 20, 1, 1, 5, 20, 1)), true));
    arena->AdoptAnimal(1);
    EXPECT_EQ(tuple(arena->CanAdoptAnimal(1), arena->CanAdoptAnimal(0), arena->CanAdoptAnimal(2), path.GetAnimals(),
                    arena->GetAnimalPath(1)->GetAnimals()),
              tuple(false, true, true, std::vector<uint32_t>{fish}, std::vector<uint32_t>{fish}));
    // Animals ask for their paths; the paths hide and show.
    std::vector<int32_t> paths;
    for (uint32_t message : {MT_ANIMAL_EAT_PATH, MT_ANIMAL_REST_PATH, MT_ANIMAL_PLAY_PATH, MT_ANIMAL_MOVE_PATH,
                             MT_HIDE_ANIMAL_PATHS, MT_SHOW_ANIMAL_PATHS})
    {
        park.Send(fish, arena->GetID(), message);
        paths.push_back(message == MT_HIDE_ANIMAL_PATHS || message == MT_SHOW_ANIMAL_PATHS ? path.IsVisible()
                                                                                           : path.GetPath(fish));
    }
    EXPECT_EQ(paths, (std::vector<int32_t>{1, 3, 2, 0, false, true}));
    // The show: the audience's ride starts with its one guest and the animals go to perform. The arena's model
    // has no seats, so no figure sits down. Its show has no moves: it is over as it starts, the animals hear it is
    // over and the ride ends.
    arena->AddToCrowd(Guest());
    const uint32_t guest = Guest();
    park.Send(guest, arena->GetID(), MT_PRICE_OK);
    park.Send(guest, arena->GetID(), MT_IM_READY);
    EXPECT_EQ(tuple(crowd.GetFigureCount(), ride.IsRunning(), static_cast<Stub*>(Object(fish))->showTimes,
                    static_cast<Stub*>(Object(crab))->showTimes),
              tuple(0, true, 1, 1));
    park.Send(kNoObjectID, arena->GetID(), MT_SHOW_STARTING);
    arena->RemoveFromCrowd(Guest());
    park.Frames(4, 0.25f);
    EXPECT_EQ(tuple(show.IsShowRunning(), Taken(MT_ANIMAL_SHOW_FINISHED, fish).size(),
                    Taken(MT_ANIMAL_SHOW_FINISHED, crab).size(), ride.IsRunning(), crowd.GetFigureCount()),
              tuple(false, size_t{1}, size_t{1}, false, 0));
}

TEST_F(Buildings, KeepToTheirTablesWhenTheDataAsksForMore)
{
    park.params->GetBuildingInfo(park.params->FindBuilding("HUGE")).iHasStaff = 12;
    BuildingObject* huge = Small("HUGE", 10);
    // At most 10 servers, 15 tables, 20 animals, 20 eat points and 10 view points, with reports.
    platform::Vec3 p;
    EXPECT_EQ(tuple(huge->GetTableCount(), huge->GetAnimalCount(), huge->CanAdoptAnimal(0), huge->GetEatPointCount(),
                    huge->GetViewPointCount(false)),
              tuple(15u, 20, false, 20, 10));
    EXPECT_EQ(tuple(huge->GetEatPoint(19, p), huge->GetEatPoint(20, p), huge->GetViewPoint(9, p),
                    huge->GetViewPoint(10, p), huge->GetViewPoint2(9, p), huge->GetViewPoint2(10, p),
                    huge->GetTable(14) != kNoObjectID, huge->GetTable(15)),
              tuple(true, false, true, false, true, false, true, kNoObjectID));
    const size_t reports = park.CountReports("HUGE");
    EXPECT_EQ(pair(huge->GetFemaleServerCount(), reports), pair(10, size_t{3}));
    // A table, a server, an animal beyond the tables are not kept but go (they would outlive the building);
    // with reports.
    Stub* table = park.Make(OBJECT_TABLE, "table");
    Stub* server = park.Make(OBJECT_SERVER, "SERVE1");
    Stub* animal = park.Make(OBJECT_ANIMAL, "FISH");
    park.Send(table->GetID(), huge->GetID(), MT_TABLE_CREATED);
    park.Send(server->GetID(), huge->GetID(), MT_STAFF_CREATED);
    park.Send(animal->GetID(), huge->GetID(), MT_ANIMAL_CREATED);
    huge->AdoptAnimal(0);
    EXPECT_EQ(tuple(huge->GetTableCount(), table->IsWaitingForDeath(), server->IsWaitingForDeath(),
                    animal->IsWaitingForDeath(), park.CountReports("HUGE")),
              tuple(15u, true, true, true, reports + 4));
    EXPECT_EQ(tuple(huge->GetServerCount(), huge->GetServer(10), huge->GetAnimal(-1), huge->GetAnimal(20),
                    huge->GetAnimalCount()),
              tuple(10u, kNoObjectID, kNoObjectID, kNoObjectID, 20));
    // A show starting at a building without a show programme changes nothing.
    park.Send(kNoObjectID, huge->GetID(), MT_SHOW_STARTING);
    EXPECT_EQ(huge->GetState(), static_cast<uint32_t>(STATE_NULL));
}

TEST_F(Buildings, NumberTheirInstancesAndKeepTheLastTwentyOpinionsOfEachKind)
{
    // Lists 0 price, 1 queuing, 2 welfare (3 none), each starting with one 0.5; codes 0 bad, 2 good, others 0.5.
    const tuple<int32_t, std::vector<int32_t>, std::vector<float>> cases[] = {
        {0, std::vector<int32_t>(19, 0), {0.5f / 20.0f, 0.5f, 0.5f, 0.5f}},
        {1, std::vector<int32_t>(25, 2), {0.5f, 1.0f, 0.5f, 0.5f}},
        {2, {2, 0, 0, 7}, {0.5f, 0.5f, 2.0f / 5.0f, 0.5f}},
        {3, {0, 0}, {0.5f, 0.5f, 0.5f, 0.5f}}};
    int y = 8;
    for (const auto& [list, codes, means] : cases)
    {
        BuildingObject* kiosk = Small("KIOSK", y += 3);
        std::vector<float> got;
        for (int32_t code : codes)
            kiosk->AddOpinion(list, code);
        for (int32_t mean = 0; mean < 4; ++mean)
            got.push_back(kiosk->GetOpinionMean(mean));
        EXPECT_EQ(got, means) << list;
    }
    // The kiosks are numbered from 0; the next after the first was sold takes the lowest free number.
    const std::vector<BaseObject*> kiosks = park.objects->GetBuildingsByName("KIOSK");
    EXPECT_EQ(static_cast<BuildingObject*>(kiosks[3])->GetInstanceNumber(), 3u);
    static_cast<BuildingObject*>(kiosks[0])->Sell();
    park.Frames(2);
    EXPECT_EQ(Small("KIOSK", 30)->GetInstanceNumber(), 0u);
}

class BuildingDrawing : public rendertest::DrawTest
{
protected:
    // How many vertices of each colour were drawn with the vertex format since the last look.
    std::map<uint32_t, size_t> Colours(uint32_t fvf)
    {
        gm.BeginBatch(BATCH_NONE, 0, 1);
        std::map<uint32_t, size_t> seen;
        for (const auto& draw : Draws())
        {
            if (draw.fvf == fvf && fvf == kFvfTexturedVertex)
                for (const auto& v : rendertest::Decode<TexturedVertex>(draw).vertices)
                    ++seen[v.colour];
            else if (draw.fvf == fvf)
                for (const auto& v : rendertest::Decode<ColourVertex>(draw).vertices)
                    ++seen[v.colour];
        }
        Dev()->ClearLog();
        return seen;
    }
};

TEST_F(BuildingDrawing, StacksItsFlagsOrMarksItsPointsInTheDebugView)
{
    BuildingPark park(Tables(), 48);
    // A pool off any path, broken and without animals: three flags, white with the flag alpha.
    park.Build("POOL", 30, 30, 0, true)->Render();
    // Laid over what is behind by its alpha (not added to it), and writing no depth: a flag's clear corners must not
    // cut holes in what is drawn after it.
    uint32_t depthWrite = 1, blend = 0, source = 0, destination = 0;
    ASSERT_EQ(Dev()->GetRenderState(platform::RenderState::ZWriteEnable, &depthWrite), platform::GfxResult::Ok);
    ASSERT_EQ(Dev()->GetRenderState(platform::RenderState::AlphaBlendEnable, &blend), platform::GfxResult::Ok);
    ASSERT_EQ(Dev()->GetRenderState(platform::RenderState::SrcBlend, &source), platform::GfxResult::Ok);
    ASSERT_EQ(Dev()->GetRenderState(platform::RenderState::DestBlend, &destination), platform::GfxResult::Ok);
    EXPECT_EQ(depthWrite, 0u);
    EXPECT_EQ(blend, 1u);
    EXPECT_EQ(source, platform::BlendFactor::SrcAlpha);
    EXPECT_EQ(destination, platform::BlendFactor::InvSrcAlpha);
    EXPECT_EQ(Colours(kFvfTexturedVertex), (std::map<uint32_t, size_t>{{0xFFFFFFFFu, 3 * 4}}));
    // The debug view marks each point of the hall with a two-line cross: in-walk red, through-walk 0xFFC80000,
    // out-walk blue, both view point lists grey, interest points yellow; then the queue's, white in and 0xFF00FFFF out.
    BuildingObject* hall = park.Build("HALL", 20, 20, 1);
    park.map->SetShowFlags(true);
    hall->Render();
    const size_t queue = hall->GetQueue()->GetTracedCells().size() * 3 * 4;
    EXPECT_EQ(Colours(kFvfColourVertex), (std::map<uint32_t, size_t>{{0xFFFF0000u, 3 * 4},
                                                                     {0xFFC80000u, 5 * 4},
                                                                     {0xFF0000FFu, 4 * 4},
                                                                     {0xFF808080u, 3 * 4},
                                                                     {0xFFFFFF00u, 12 * 4},
                                                                     {0xFFFFFFFFu, queue},
                                                                     {0xFF00FFFFu, queue}}));
    // Being pulled down, it shows no flags.
    park.map->SetShowFlags(false);
    hall->Sell();
    hall->Render();
    EXPECT_TRUE(Colours(kFvfTexturedVertex).empty());
}

TEST(BuildingData, WithoutMapGridsOrModelsBuildingsStillStand)
{
    // No map grid at all: every type shares the empty first grid, a footprint of no cells with no queue.
    BuildingPark park(Record("BUILD", "BARE", {{"GUESTCAPACITY", "1"}}));
    BuildingObject* bare = park.Build("BARE", 5, 5);
    ASSERT_NE(bare, nullptr);
    platform::Vec3 serve, point;
    bare->GetServeInPosition(serve);
    EXPECT_EQ(tuple(XY(serve), bare->GetQueue(), bare->IsOpen(), bare->IsQueueNotFull(),
                    bare->GetInWalkPoint(OBJECT_GUEST, 0, point), bare->GetInWalkPointCount(OBJECT_GUEST),
                    bare->GetQueuePointCount()),
              tuple(XY(bare->GetWorldPosition()), nullptr, true, false, false, 0, 0));
    // Its states: 0 working, 2 being built, 3 being pulled down, 4 pulled down, 5 occupied; no other.
    for (uint32_t state = 0; state < STATE_NUM_STATES; ++state)
        EXPECT_EQ(bare->IsStateSupported(state), state == 0 || (state >= 2 && state <= 5)) << state;
    bare->Sell();
    park.Frames(1);
    EXPECT_EQ(park.objects->GetObjectsOfKind(OBJECT_BUILDING).size(), 0u);
}

// A list whose count line promises more points than its lines give holds only the points given: the room left
// over is no point to walk to.
TEST(BuildingData, AListShortOfItsCountHoldsOnlyThePointsGiven)
{
    std::string tables = Building("PART", 1, 1, kSmallRows, "VIEWPOINT=2,8,8");
    const std::string promised = "\"MAPPART_NUM_VIEWPOINTS\"  \"2\"";
    const size_t at = tables.find(promised);
    ASSERT_NE(at, std::string::npos);
    tables.replace(at, promised.size(), "\"MAPPART_NUM_VIEWPOINTS\"  \"4\"");
    BuildingPark park(tables);
    BuildingObject* part = park.Build("PART", 5, 5);
    ASSERT_NE(part, nullptr);
    platform::Vec3 point{};
    EXPECT_EQ(tuple(part->GetViewPointCount(false), part->GetViewPoint(1, point), part->GetViewPoint(2, point),
                    part->GetViewPoint(3, point)),
              tuple(2, true, false, false));
}

} // namespace
