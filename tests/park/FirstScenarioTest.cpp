// The sample's first scenario played for two days at top speed: guests come in through its entrance, ride the fun
// house, watch the lagoon's dolphins from its view points, sit in the arena's crowd for a show, buy at a kiosk placed
// as the build tool places one, and go home; the kiosk's takings are its sales at its
// price; its paths look the same once the park is saved and loaded.
#include "park/BuildingObject.h"
#include "park/CrowdFiller.h"
#include "park/QueueComponent.h"
#include "park/RideComponent.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldParamsRecords.h"
#include "tests/park/SampleParkTest.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/WorldMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace
{

// A building's visits and takings over days: a day's figures are counted when they fall back at midnight.
struct Takings
{
    uint32_t visits = 0;
    float income = 0.0f;
    uint32_t lastVisits = 0;
    float lastIncome = 0.0f;

    void Watch(const BuildingObject& b)
    {
        if (b.GetVisitsToday() < lastVisits || b.GetIncomeToday() < lastIncome)
        {
            visits += lastVisits;
            income += lastIncome;
        }
        lastVisits = b.GetVisitsToday();
        lastIncome = b.GetIncomeToday();
    }
    uint32_t Visits() const { return visits + lastVisits; }
    float Income() const { return income + lastIncome; }
};

BuildingObject* OnlyBuilding(const char* type)
{
    const std::vector<BaseObject*> found = g_pObjectManager->GetBuildingsByName(type);
    return found.size() == 1 ? dynamic_cast<BuildingObject*>(found[0]) : nullptr;
}

} // namespace

using FirstScenario = SampleParkTest;

TEST_F(FirstScenario, GuestsRideWatchTheAnimalsSeeAShowBuyAtAPlacedKioskAndGoHomeOverTwoDays)
{
    testsupport::RecordingReportSink reports;
    World world(nullptr, nullptr, "data/Scenario/Scenario1/Scenario1.pis", false);
    ASSERT_TRUE(world.IsBuilt());
    // Just below the cross path, its serve cell on the path, where the build tool puts it for a click on (63, 34).
    BuildingCreationRequest request;
    std::snprintf(request.szKeyword, sizeof request.szKeyword, "%s", "ICEKIOSK");
    request.iGridX = 62;
    request.iGridY = 33;
    request.iRotation = 0;
    g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_BUILDING), &request);
    world.SetGameSpeedLevel(2);
    world.Update(1.0f / 30.0f);
    BuildingObject* kiosk = OnlyBuilding("ICEKIOSK");
    BuildingObject* funHouse = OnlyBuilding("FUNHOUSE");
    ASSERT_NE(kiosk, nullptr);
    ASSERT_NE(funHouse, nullptr);
    EXPECT_TRUE(kiosk->IsOpen());
    EXPECT_TRUE(funHouse->IsOpen()) << "the fun house's queue does not reach a footpath";
    BuildingObject* staffRoom = OnlyBuilding("STAFFSMALL");
    ASSERT_NE(staffRoom, nullptr);
    EXPECT_TRUE(staffRoom->IsOpen()) << "the staff room's queue does not reach a footpath";
    BuildingObject* lagoon = OnlyBuilding("LAGOON");
    BuildingObject* arena = OnlyBuilding("ARENA");
    ASSERT_NE(lagoon, nullptr);
    ASSERT_NE(arena, nullptr);
    ASSERT_NE(arena->GetRide(), nullptr);
    ASSERT_NE(arena->GetCrowd(), nullptr);
    Takings sold, rides, watched, shows;
    int32_t most = 0, mostWatching = 0, mostInCrowd = 0;
    for (int frame = 0; world.GetGameDay() < 2 && frame < 30 * 2 * world.GetDayLength(); ++frame)
    {
        world.Update(1.0f / 30.0f);
        sold.Watch(*kiosk);
        rides.Watch(*funHouse);
        watched.Watch(*lagoon);
        shows.Watch(*arena);
        most = std::max(most, world.m_NumGuests);
        mostWatching =
            std::max(mostWatching, int{lagoon->IsViewPointInUse(false, 0)} + int{lagoon->IsViewPointInUse(false, 1)});
        if (arena->GetRide()->IsRunning())
            mostInCrowd = std::max(mostInCrowd, arena->GetCrowd()->GetFigureCount());
    }
    EXPECT_EQ(world.GetGameDay(), 2);
    EXPECT_GT(world.m_TotalGuestArrive[0] + world.m_TotalGuestArrive[1], 0);
    EXPECT_GT(world.m_TotalGuestDepart[0] + world.m_TotalGuestDepart[1], 0);
    EXPECT_GT(most, 1) << "guests came in one at a time";
    EXPECT_GT(sold.Visits(), 0u) << "nobody bought at the kiosk";
    EXPECT_FLOAT_EQ(sold.Income(), static_cast<float>(sold.Visits()) * kiosk->GetInfo().fAttractPrice);
    EXPECT_GT(rides.Visits(), 0u) << "nobody rode the fun house";
    EXPECT_FLOAT_EQ(rides.Income(), static_cast<float>(rides.Visits()) * funHouse->GetInfo().fAttractPrice);
    EXPECT_GT(watched.Visits(), 0u) << "nobody came to the lagoon";
    EXPECT_FLOAT_EQ(watched.Income(), static_cast<float>(watched.Visits()) * lagoon->GetInfo().fAttractPrice);
    EXPECT_GT(mostWatching, 0) << "nobody watched the dolphins from the lagoon's view points";
    EXPECT_GT(shows.Visits(), 0u) << "nobody saw a show at the arena";
    EXPECT_FLOAT_EQ(shows.Income(), static_cast<float>(shows.Visits()) * arena->GetInfo().fAttractPrice);
    EXPECT_GT(mostInCrowd, 0) << "the show ran before an empty crowd";
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

// A guest taken out of the park (a script's kill) while at the fun house lets go of it: its place in the queue and
// inside go to others, so that the fun house goes on taking guests. The fun house takes one guest at a time, and
// its queue, a footpath cell, holds one.
TEST_F(FirstScenario, AGuestTakenOutOfTheParkAtTheFunHouseLeavesItsPlaceToOthers)
{
    for (const bool queued : {true, false})
    {
        SCOPED_TRACE(queued ? "taken out of the queue" : "taken out inside");
        testsupport::RecordingReportSink reports;
        World world(nullptr, nullptr, "data/Scenario/Scenario1/Scenario1.pis", false);
        ASSERT_TRUE(world.IsBuilt());
        world.SetGameSpeedLevel(2);
        g_pWorldParams->GetBuildingInfo(g_pWorldParams->FindBuilding("FUNHOUSE")).iGuestCapacity = 1;
        BuildingObject* funHouse = OnlyBuilding("FUNHOUSE");
        ASSERT_NE(funHouse, nullptr);
        ASSERT_NE(funHouse->GetQueue(), nullptr);
        const std::vector<uint32_t>& queue = funHouse->GetQueue()->GetGuests();
        const std::vector<uint32_t>& inside = funHouse->GetGuestList();
        platform::Vec3 start;
        ASSERT_TRUE(funHouse->GetQueueStartPosition(start));
        for (int i = 0; i < 16; ++i)
            world.RequestGuest("VISITOR", start.x + static_cast<float>(i % 4) * 8.0f, start.y, 0);
        // Until one guest is inside and one waits in the queue.
        const auto ready = [&] { return queue.size() == 1 && inside.size() == 1; };
        for (int frame = 0; !ready() && frame < 30 * world.GetDayLength(); ++frame)
            world.Update(1.0f / 30.0f);
        ASSERT_TRUE(ready()) << "nobody waited at the fun house";
        const uint32_t victim = queued ? queue[0] : inside[0];
        const uint32_t other = queued ? inside[0] : queue[0];
        MessageRecord kill;
        kill.dwSender = kill.dwReciever = kWorldID;
        kill.dwType = MT_KILLOBJECT;
        kill.dwData = victim;
        g_pMessageHandler->Send(kill);
        world.Update(1.0f / 30.0f);
        ASSERT_EQ(g_pObjectManager->GetObject(victim), nullptr);
        EXPECT_EQ(std::count(queue.begin(), queue.end(), victim), 0);
        EXPECT_EQ(std::count(inside.begin(), inside.end(), victim), 0);
        // Within three minutes of park time a guest who was not inside when the guest was taken out gets in.
        std::vector<uint32_t> entered;
        for (const float until = world.GetGameTime() + 180.0f; world.GetGameTime() < until && entered.empty();)
        {
            world.Update(1.0f / 30.0f);
            for (uint32_t guest : inside)
                if (guest != other && guest != victim)
                    entered.push_back(guest);
        }
        EXPECT_FALSE(entered.empty()) << "the fun house took nobody after the guest was taken out";
        for (const auto& box : reports.boxes)
            ADD_FAILURE() << box.text;
    }
}

// Every footpath cell of the first scenario shows, from the start, the tile its neighbours give it: the tiles a
// loaded park works out again from the saved cells, the side path's end beside the queue cell the script lays after
// it too. The avenue runs through the park from the entrance's row to row 40, so each of its cells between has
// footpath on both sides along it.
TEST_F(FirstScenario, ItsPathsShowTheSameTilesBeforeAndAfterTheParkIsSavedAndLoaded)
{
    constexpr const char* kFirst = "data/Scenario/Scenario1/Scenario1.pis";
    testsupport::RecordingReportSink reports;
    struct Shown
    {
        uint32_t flags;
        uint8_t tile;
    };
    std::vector<Shown> before;
    std::vector<uint8_t> saved;
    {
        World world(nullptr, nullptr, kFirst, false);
        ASSERT_TRUE(world.IsBuilt());
        world.Update(1.0f / 30.0f);
        for (uint32_t i = 0; i < g_pWorldMap->GetCellCount(); ++i)
            before.push_back({g_pWorldMap->CellAt(i).m_uiFlags, g_pWorldMap->CellAt(i).m_uTileIndex});
        for (int32_t y = 17; y < 40; ++y)
        {
            const uint32_t flags = g_pWorldMap->GetFlags({64, y});
            EXPECT_EQ(flags & (CELL_FOOTPATH | 0x00110000u), CELL_FOOTPATH | 0x00110000u) << "avenue at row " << y;
        }
        saved = Save(world);
    }
    const std::unique_ptr<World> loaded = Load(saved, kFirst);
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(g_pWorldMap->GetCellCount(), before.size());
    int differ = 0;
    for (uint32_t i = 0; i < before.size(); ++i)
    {
        const MapCell& cell = g_pWorldMap->CellAt(i);
        const bool path = (cell.m_uiFlags & CELL_FOOTPATH) != 0;
        if (cell.m_uiFlags != before[i].flags || (path && cell.m_uTileIndex != before[i].tile))
        {
            if (++differ <= 5)
                ADD_FAILURE() << "cell " << cell.m_x << ", " << cell.m_y << ": flags " << std::hex << before[i].flags
                              << " then " << cell.m_uiFlags << ", tile " << std::dec << int{before[i].tile} << " then "
                              << int{cell.m_uTileIndex};
        }
    }
    EXPECT_EQ(differ, 0);
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

// What the park offers decides whether its guests stay: in the bare first scenario most guests leave unhappy; with a
// cafe, a toilet, a kiosk, the swan boats and a gift shop placed by their paths few do, the park fills, and its goal
// (fifty guests in the park at once) is met within two days. Only the food leaves litter: none in the bare park.
TEST_F(FirstScenario, AParkThatServesItsGuestsKeepsThemAndMeetsItsGoal)
{
    struct Placed
    {
        const char* type;
        int32_t x;
        int32_t y;
    };
    struct Case
    {
        const char* name;
        std::vector<Placed> placed;
        bool served;
    };
    // Each serve cell on a footpath: the cafe's and the toilet's on the cross path and the avenue, the others' on the
    // cross path.
    const Case cases[] = {
        {"bare", {}, false},
        {"served",
         {{"CAFE", 60, 30}, {"RESTSMALL", 65, 28}, {"ICEKIOSK", 70, 33}, {"SWANBOATS", 58, 33}, {"GIFTSHOP", 66, 33}},
         true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        testsupport::RecordingReportSink reports;
        World world(nullptr, nullptr, "data/Scenario/Scenario1/Scenario1.pis", false);
        ASSERT_TRUE(world.IsBuilt());
        for (const Placed& p : c.placed)
            world.RequestBuilding(p.type, p.x, p.y, 0, -1.0f, 0, false);
        world.SetGameSpeedLevel(2);
        world.Update(1.0f / 30.0f);
        for (const Placed& p : c.placed)
        {
            BuildingObject* placed = OnlyBuilding(p.type);
            ASSERT_NE(placed, nullptr) << p.type;
            EXPECT_TRUE(placed->IsOpen()) << p.type << " is not open: its serve cell is off the paths";
        }
        bool met = false;
        for (int frame = 0; world.GetGameDay() < 2 && frame < 30 * 2 * world.GetDayLength(); ++frame)
        {
            world.Update(1.0f / 30.0f);
            met = met || world.GetObjectiveStatus(0) == 1;
        }
        const int left = world.m_TotalGuestDepart[0] + world.m_TotalGuestDepart[1];
        const int unhappy = world.m_TotalGuestUnhappyDepart[0] + world.m_TotalGuestUnhappyDepart[1];
        // Wrappers come from what the guests ate; with no cleaner they stay where they fell.
        const size_t litter = g_pObjectManager->GetObjectsOfKind(OBJECT_LITTER).size();
        if (c.served)
        {
            EXPECT_LE(unhappy * 4, left) << unhappy << " of " << left << " left unhappy";
            EXPECT_TRUE(met) << "the park never held fifty guests";
            EXPECT_GT(litter, 0u) << "nobody dropped a wrapper";
        }
        else
        {
            EXPECT_GT(left, 10);
            EXPECT_GE(unhappy * 4, left * 3) << unhappy << " of " << left << " left unhappy";
            EXPECT_FALSE(met);
            EXPECT_EQ(litter, 0u) << "guests dropped litter where nothing is sold to eat";
        }
        for (const auto& box : reports.boxes)
            ADD_FAILURE() << box.text;
    }
}

// A building sold while guests are in it or at it lets them go back to the paths, and then goes itself: the arena in
// the middle of a show (its crowd, hidden in the stands, shown again), the lagoon while a guest watches from a view
// point, a cafe while a guest sits at its table.
TEST_F(FirstScenario, ABuildingSoldWithGuestsInItLetsThemGoAndGoes)
{
    struct Case
    {
        const char* type;
        // Whether a guest is in the building now, as the case needs.
        bool (*busy)(BuildingObject&);
    };
    const Case cases[] = {
        {"ARENA", [](BuildingObject& b) { return b.GetRide()->IsRunning() && b.GetCrowd()->GetFigureCount() > 0; }},
        {"LAGOON", [](BuildingObject& b) { return b.IsViewPointInUse(false, 0) || b.IsViewPointInUse(false, 1); }},
        {"CAFE",
         [](BuildingObject&)
         {
             const std::vector<BaseObject*> guests = g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST);
             return std::any_of(guests.begin(), guests.end(),
                                [](BaseObject* g) { return g->GetState() == STATE_GUEST_AT_TABLE; });
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.type);
        testsupport::RecordingReportSink reports;
        World world(nullptr, nullptr, "data/Scenario/Scenario1/Scenario1.pis", false);
        ASSERT_TRUE(world.IsBuilt());
        world.RequestBuilding("CAFE", 60, 30, 0, -1.0f, 0, false);
        world.SetGameSpeedLevel(2);
        world.Update(1.0f / 30.0f);
        BuildingObject* building = OnlyBuilding(c.type);
        ASSERT_NE(building, nullptr);
        bool busy = false;
        for (int frame = 0; !busy && frame < 30 * 2 * world.GetDayLength(); ++frame)
        {
            world.Update(1.0f / 30.0f);
            busy = c.busy(*building);
        }
        ASSERT_TRUE(busy) << "nobody came";
        // The arena's crowd: the guests hidden in its stands (elsewhere a hidden guest sits in the arena's).
        std::vector<uint32_t> hidden;
        for (BaseObject* guest : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
            if (!guest->IsVisible() && std::string(c.type) == "ARENA")
                hidden.push_back(guest->GetID());
        EXPECT_EQ(hidden.empty(), std::string(c.type) != "ARENA");
        const uint32_t id = building->GetID();
        building->Sell();
        for (int frame = 0; frame < 30 * 60 && g_pObjectManager->GetObject(id); ++frame)
            world.Update(1.0f / 30.0f);
        EXPECT_EQ(g_pObjectManager->GetObject(id), nullptr) << "still waiting for its guests a minute later";
        for (uint32_t guest : hidden)
        {
            if (const BaseObject* object = g_pObjectManager->GetObject(guest))
            {
                EXPECT_TRUE(object->IsVisible()) << "guest " << guest << " is still hidden";
            }
        }
        for (const auto& box : reports.boxes)
            ADD_FAILURE() << box.text;
    }
}
