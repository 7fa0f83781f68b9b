// Buildings the player places on open ground, as the build tool places them, joined to the park by footpath laid as
// the path tool lays it: every sample type that serves guests, turned each of the four ways, with a footpath cell on
// each open side of its serving cell, traces its queue to the footpath, and one that needs no animals opens by
// itself; and each kind of building guests use, joined to the park's footpath by the shortest path from its serving
// cell, has guests on its first day.
#include "park/BuildingObject.h"
#include "park/QueueComponent.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "tests/park/SampleParkTest.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/PathTileSet.h"
#include "world/Player.h"
#include "world/QueueShapes.h"
#include "world/WorldMap.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace
{

using PlacedBuildingQueue = SampleParkTest;

constexpr uint32_t kTaken = CELL_BUILDING | CELL_FOOTPATH | CELL_QUEUE | CELL_CONNECTION | CELL_NO_JOIN;

bool OpenGround(const GridPos& cell)
{
    const uint32_t flags = g_pWorldMap->GetFlags(cell);
    return g_pWorldMap->IsValidGridPos(cell) && (flags & CELL_WALKABLE) != 0 && (flags & kTaken) == 0;
}

// The middle of the first 8 x 8 square of open ground (room for a building, its ring and a footpath cell whichever
// way it is turned); (-1, -1) when none is left.
GridPos FreeSpot()
{
    for (int32_t y = 1; y + 9 < g_pWorldMap->GetHeight(); ++y)
        for (int32_t x = 1; x + 9 < g_pWorldMap->GetWidth(); ++x)
        {
            bool open = true;
            for (int32_t dy = 0; dy < 8 && open; ++dy)
                for (int32_t dx = 0; dx < 8 && open; ++dx)
                    open = OpenGround({x + dx, y + dy});
            if (open)
                return {x + 4, y + 4};
        }
    return {-1, -1};
}

// The types of the sample's tables whose map grid has a cell where guests are served.
std::vector<std::string> ServingTypes()
{
    std::vector<std::string> types;
    for (uint32_t i = 0; i < g_pWorldParams->GetBuildingCount(); ++i)
    {
        const BuildingInfo& info = g_pWorldParams->GetBuildingInfo(static_cast<int32_t>(i));
        const MapGridInfo* grid = info.pMapGrid;
        if (!grid)
            continue;
        bool serves = false;
        for (int32_t x = 0; x < MapGridInfo::kGridSize; ++x)
            for (int32_t y = 0; y < MapGridInfo::kGridSize; ++y)
                serves = serves || grid->flags[x][y] == kCellIn || grid->flags[x][y] == kCellBlocked;
        if (serves)
            types.emplace_back(info.keyword);
    }
    return types;
}

// A building of the type placed on the first open ground as the build tool places it (the park given the money
// for it) and built over a second; null when there is no open ground left or nothing was placed.
BuildingObject* PlaceOnOpenGround(World& world, const char* type, uint32_t rotation)
{
    const GridPos at = FreeSpot();
    if (at.x == -1)
        return nullptr;
    const std::vector<BaseObject*> existing = g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING);
    const std::set<BaseObject*> before(existing.begin(), existing.end());
    world.GetPlayer()->Cash = 1e6f;
    world.RequestBuilding(type, at.x, at.y, rotation, -1.0f, 0, false);
    for (int frame = 0; frame < 30; ++frame)
        world.Update(1.0f / 30.0f);
    for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING))
        if (!before.count(object))
            return static_cast<BuildingObject*>(object);
    return nullptr;
}

void SendPathChange(World& world, uint32_t type, const GridPos& cell)
{
    MessageRecord record;
    record.dwSender = record.dwReciever = 0xFFFFFFFFu;
    record.dwType = type;
    record.dwFlags = static_cast<uint32_t>(cell.x);
    record.dwData = static_cast<uint32_t>(cell.y);
    world.SendToAllBuildings(record);
    world.Update(1.0f / 30.0f);
}

// Whether the queue cell's own openings (the rails drawn round it) lead to a footpath cell.
bool OpensOntoFootpath(const GridPos& cell)
{
    const uint8_t openings = queueshape::kStrict[QueueShapeOf(g_pWorldMap->GetFlags(cell))];
    for (int32_t side = 0; side < 4; ++side)
        if (queueshape::IsOpen(openings, side) &&
            (g_pWorldMap->GetFlags(WorldMap::GetNeighbourPos(cell, side * 2)) & CELL_FOOTPATH))
            return true;
    return false;
}

TEST_F(PlacedBuildingQueue, EveryServingTypeJoinedToAFootpathTracesItsQueueAndOpens)
{
    std::vector<std::string> types;
    {
        World world(nullptr, nullptr, "data/Scenario/SandScenario1/SandScenario1.pis", false);
        ASSERT_TRUE(world.IsBuilt());
        types = ServingTypes();
    }
    ASSERT_GE(types.size(), 8u);
    for (const std::string& type : types)
    {
        World world(nullptr, nullptr, "data/Scenario/SandScenario1/SandScenario1.pis", false);
        ASSERT_TRUE(world.IsBuilt());
        world.Update(1.0f / 30.0f);
        for (uint32_t rotation = 0; rotation < 4; ++rotation)
        {
            SCOPED_TRACE(type + " turned " + std::to_string(rotation));
            BuildingObject* building = PlaceOnOpenGround(world, type.c_str(), rotation);
            ASSERT_NE(building, nullptr) << "not placed";
            ASSERT_NE(building->GetQueue(), nullptr);
            const QueueComponent& queue = *building->GetQueue();
            const GridPos serve =
                building->m_ServeInGrid.x != -1 ? building->m_ServeInGrid : building->m_ServeInOutGrid;
            ASSERT_TRUE(g_pWorldMap->GetFlags(serve) & CELL_QUEUE) << "the serving cell is no queue path";
            // The player lays a footpath cell beside the serving cell, or beside the out cell, on each open side in
            // turn, and bulldozes it again. Whenever the serving cell then opens onto a footpath, the queue is
            // traced to one and the building opens.
            std::vector<GridPos> fronts = {serve};
            if (building->m_bHasOutGrid)
                fronts.push_back(building->m_ServeOutGrid);
            int joins = 0;
            for (const GridPos& front : fronts)
                for (int32_t side = 0; side < 4; ++side)
                {
                    const GridPos path = WorldMap::GetNeighbourPos(front, side * 2);
                    if (!OpenGround(path))
                        continue;
                    SCOPED_TRACE("footpath laid at " + std::to_string(path.x) + ", " + std::to_string(path.y));
                    ASSERT_TRUE(g_pPathTileSet->PlacePathTile(path));
                    SendPathChange(world, MT_PATH_PLACED, path);
                    if (OpensOntoFootpath(serve))
                    {
                        ++joins;
                        EXPECT_TRUE(queue.IsValid())
                            << "the serving cell (shape " << QueueShapeOf(g_pWorldMap->GetFlags(serve))
                            << ") opens onto a footpath but its queue is not traced";
                        EXPECT_TRUE(g_pWorldMap->GetFlags(queue.GetStartCell()) & CELL_FOOTPATH);
                        if (!building->GetInfo().bHasAnimals)
                        {
                            EXPECT_TRUE(building->IsOpen()) << "not open";
                        }
                    }
                    ASSERT_TRUE(g_pPathTileSet->RemovePathTile(path));
                    SendPathChange(world, MT_PATH_REMOVED, path);
                    if (!OpensOntoFootpath(serve))
                    {
                        EXPECT_FALSE(queue.IsValid()) << "traced to a footpath that is gone";
                        EXPECT_FALSE(building->IsOpen());
                    }
                }
            EXPECT_GE(joins, 1) << "no footpath laid beside it joins its serving cell";
        }
    }
}

// The cells of the shortest footpath from beside the serving cell over open ground to the park's footpath (not the
// building's own out cell); empty when there is none.
std::vector<GridPos> RouteToFootpath(const GridPos& serve, const GridPos& out)
{
    std::map<std::pair<int32_t, int32_t>, GridPos> from;
    std::deque<GridPos> open;
    for (int32_t side = 0; side < 4; ++side)
    {
        const GridPos next = WorldMap::GetNeighbourPos(serve, side * 2);
        if (OpenGround(next) && from.emplace(std::pair{next.x, next.y}, GridPos{-1, -1}).second)
            open.push_back(next);
    }
    while (!open.empty())
    {
        const GridPos cell = open.front();
        open.pop_front();
        for (int32_t side = 0; side < 4; ++side)
        {
            const GridPos next = WorldMap::GetNeighbourPos(cell, side * 2);
            if (next != out && g_pWorldMap->IsValidGridPos(next) && (g_pWorldMap->GetFlags(next) & CELL_FOOTPATH) &&
                !(g_pWorldMap->GetFlags(next) & CELL_BUILDING))
            {
                std::vector<GridPos> route;
                for (GridPos c = cell; c.x != -1; c = from.at({c.x, c.y}))
                    route.push_back(c);
                return route;
            }
            if (OpenGround(next) && from.emplace(std::pair{next.x, next.y}, cell).second)
                open.push_back(next);
        }
    }
    return {};
}

TEST_F(PlacedBuildingQueue, EveryKindOfBuildingGuestsUseHasGuestsOnItsFirstDayOnceJoinedToThePark)
{
    // The sample's shops, food, rides, toilet and information booth, each in a park of its own: the reef's bare
    // shore, where guests come in on a cross of footpath and nothing else serves them.
    const char* const types[] = {"ICEKIOSK",  "CAFE",     "DINER",     "FUNHOUSE",
                                 "SWANBOATS", "GIFTSHOP", "RESTSMALL", "INFORMATION"};
    uint32_t rotation = 0;
    for (const char* type : types)
    {
        SCOPED_TRACE(type);
        World world(nullptr, nullptr, "data/Scenario/Scenario9/Scenario9.pis", false);
        ASSERT_TRUE(world.IsBuilt());
        world.Update(1.0f / 30.0f);
        BuildingObject* building = PlaceOnOpenGround(world, type, rotation++ % 4);
        ASSERT_NE(building, nullptr) << "not placed";
        const GridPos serve = building->m_ServeInGrid.x != -1 ? building->m_ServeInGrid : building->m_ServeInOutGrid;
        const std::vector<GridPos> route = RouteToFootpath(serve, building->m_ServeOutGrid);
        ASSERT_FALSE(route.empty()) << "no way to the park's footpath";
        for (const GridPos& cell : route)
        {
            ASSERT_TRUE(g_pPathTileSet->PlacePathTile(cell));
            SendPathChange(world, MT_PATH_PLACED, cell);
        }
        ASSERT_TRUE(building->IsOpen());
        // The day runs until the evening, before its figures are cleared at midnight.
        world.SetGameSpeedLevel(2);
        for (int frame = 0; frame < 30 * world.GetDayLength() && world.GetGameDayTime() < 20.0f; ++frame)
            world.Update(1.0f / 30.0f);
        ASSERT_EQ(world.GetGameDay(), 0);
        EXPECT_GT(world.m_NumGuests, 5);
        EXPECT_GT(building->GetVisitsToday(), 0u) << "no guest used it";
    }
}

} // namespace
