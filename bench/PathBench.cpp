// Benchmarks of the path search and of walkers on a 160 x 160 park with a generated footpath network (a grid of
// paths with gaps, queue stubs and buildings): searches between the entrance and buildings, across open ground and
// on the hard parks (a maze, a lake, walkers cut off, a U-shaped wall and a wider, deeper one); and 1,500 walkers
// stepping one frame at game speed 4.
#include "bench/PathParks.h"
#include "platform/Random.h"
#include "platform/Report.h"
#include "scripts/ObjectStates.h"
#include "world/MessageHandler.h"
#include "world/MovingObject.h"
#include "world/ObjectManager.h"
#include "world/Path.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <vector>

namespace
{

constexpr int32_t kSide = 160;
constexpr uint32_t kGround = 0x80000001u;
constexpr uint32_t kFootpath = 0x90000001u;

uint32_t Queue(uint32_t shape)
{
    return 0xC0000001u | shape << 8;
}

// The park: footpath every 8 cells both ways, one path cell in forty missing, and beside the paths 3 x 3
// buildings, each reached through a straight queue of three cells from the path; the entrance at the west edge.
struct Network
{
    Network()
    {
        std::mt19937 random(7);
        map = std::make_unique<WorldMap>(kSide, kSide, WorldMap::kDefaultCellSize, "");
        for (int32_t y = 0; y < kSide; ++y)
            for (int32_t x = 0; x < kSide; ++x)
            {
                const bool line = x % 8 == 0 || y % 8 == 0;
                map->GetCell({x, y})->m_uiFlags = line && random() % 40 != 0 ? kFootpath : kGround;
            }
        // In each block (between the lines) a building in its north-east corner and a queue from the west line.
        for (int32_t by = 0; by + 8 < kSide; by += 8)
            for (int32_t bx = 0; bx + 8 < kSide; bx += 8)
            {
                if (random() % 3 == 0)
                    continue;
                for (int32_t y = by + 3; y < by + 6; ++y)
                    for (int32_t x = bx + 4; x < bx + 7; ++x)
                        map->GetCell({x, y})->m_uiFlags = 0x00000003u;
                // Queue along y = by + 4 from x = bx + 1 to bx + 3: open east-west, the last one open west only.
                map->GetCell({bx, by + 4})->m_uiFlags = kFootpath;
                map->GetCell({bx + 1, by + 4})->m_uiFlags = Queue(3);
                map->GetCell({bx + 2, by + 4})->m_uiFlags = Queue(3);
                map->GetCell({bx + 3, by + 4})->m_uiFlags = Queue(6);
                buildings.push_back({bx + 3, by + 4});
                entries.push_back({bx, by + 4});
            }
        entrance = {0, 80};
        map->GetCell(entrance)->m_uiFlags = kFootpath;
        path = std::make_unique<Path>(*map);
        // Only the buildings whose queue starts on the footpath the entrance reaches take part.
        std::vector<bool> reached(static_cast<size_t>(kSide) * kSide, false);
        std::vector<GridPos> open = {entrance};
        reached[static_cast<size_t>(entrance.y) * kSide + entrance.x] = true;
        while (!open.empty())
        {
            const GridPos at = open.back();
            open.pop_back();
            for (int32_t d = 0; d < 8; d += 2)
            {
                const GridPos next = WorldMap::GetNeighbourPos(at, d);
                if (map->GetFlags(next) == kFootpath && !reached[static_cast<size_t>(next.y) * kSide + next.x])
                {
                    reached[static_cast<size_t>(next.y) * kSide + next.x] = true;
                    open.push_back(next);
                }
            }
        }
        for (size_t i = buildings.size(); i-- > 0;)
        {
            if (!reached[static_cast<size_t>(entries[i].y) * kSide + entries[i].x])
            {
                buildings.erase(buildings.begin() + static_cast<std::ptrdiff_t>(i));
                entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
    }

    std::unique_ptr<WorldMap> map;
    std::unique_ptr<Path> path;
    // The queue's last cell before each building, and the footpath cell where each queue starts.
    std::vector<GridPos> buildings;
    std::vector<GridPos> entries;
    GridPos entrance;
};

// Searches between the entrance and random buildings, and between random buildings, with one open list.
void BM_PavementSearch(benchmark::State& state)
{
    Network park;
    PathFinder& finder = park.path->GetFinder();
    std::mt19937 random(11);
    std::vector<std::pair<GridPos, GridPos>> pairs;
    for (int i = 0; i < 256; ++i)
    {
        const GridPos building = park.buildings[random() % park.buildings.size()];
        const GridPos other = park.buildings[random() % park.buildings.size()];
        pairs.push_back(i % 2 == 0 ? std::pair{park.entrance, building} : std::pair{other, building});
    }
    std::vector<GridPos> steps;
    // Each pair's fastest run, so that the worst pair is not a moment when the machine was busy elsewhere.
    std::vector<double> fastest(pairs.size(), 1e9);
    double total = 0.0;
    uint64_t expanded = 0, searches = 0, found = 0;
    uint32_t mostExpanded = 0;
    for (auto _ : state)
    {
        for (size_t i = 0; i < pairs.size(); ++i)
        {
            const auto& [from, to] = pairs[i];
            const auto start = std::chrono::steady_clock::now();
            const int32_t count = finder.Search(PATH_PAVEMENT, from, to, &steps);
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            fastest[i] = std::min(fastest[i], seconds);
            total += seconds;
            expanded += finder.GetExpandedCount();
            mostExpanded = std::max(mostExpanded, finder.GetExpandedCount());
            found += count > 0 ? 1 : 0;
            benchmark::DoNotOptimize(count);
        }
        searches += pairs.size();
    }
    state.SetItemsProcessed(static_cast<int64_t>(searches));
    state.counters["mean_us"] = total * 1e6 / static_cast<double>(searches);
    state.counters["worst_us"] = *std::max_element(fastest.begin(), fastest.end()) * 1e6;
    state.counters["expanded_mean"] = static_cast<double>(expanded) / static_cast<double>(searches);
    state.counters["expanded_worst"] = mostExpanded;
    state.counters["found_share"] = static_cast<double>(found) / static_cast<double>(searches);
}
BENCHMARK(BM_PavementSearch)->Unit(benchmark::kMicrosecond);

// Foot searches across open ground between random cells, round buildings scattered over a fifth of the park.
void BM_FootSearch(benchmark::State& state)
{
    Network park;
    WorldMap& map = *park.map;
    std::mt19937 random(5);
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x)
            map.GetCell({x, y})->m_uiFlags = kGround;
    for (int i = 0; i < 600; ++i)
    {
        const int32_t bx = static_cast<int32_t>(random() % (kSide - 3)),
                      by = static_cast<int32_t>(random() % (kSide - 3));
        for (int32_t y = by; y < by + 3; ++y)
            for (int32_t x = bx; x < bx + 3; ++x)
                map.GetCell({x, y})->m_uiFlags = 0x00000003u;
    }
    PathFinder& finder = park.path->GetFinder();
    std::vector<std::pair<GridPos, GridPos>> pairs;
    while (pairs.size() < 64)
    {
        const GridPos a = {static_cast<int32_t>(random() % kSide), static_cast<int32_t>(random() % kSide)};
        const GridPos b = {static_cast<int32_t>(random() % kSide), static_cast<int32_t>(random() % kSide)};
        if (map.GetFlags(a) == kGround && map.GetFlags(b) == kGround)
            pairs.push_back({a, b});
    }
    std::vector<GridPos> steps;
    std::vector<double> fastest(pairs.size(), 1e9);
    double total = 0.0;
    uint64_t expanded = 0, searches = 0;
    for (auto _ : state)
    {
        for (size_t i = 0; i < pairs.size(); ++i)
        {
            const auto& [from, to] = pairs[i];
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(finder.Search(PATH_FOOT, from, to, &steps));
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            fastest[i] = std::min(fastest[i], seconds);
            total += seconds;
            expanded += finder.GetExpandedCount();
        }
        searches += pairs.size();
    }
    state.counters["mean_us"] = total * 1e6 / static_cast<double>(searches);
    state.counters["worst_us"] = *std::max_element(fastest.begin(), fastest.end()) * 1e6;
    state.counters["expanded_mean"] = static_cast<double>(expanded) / static_cast<double>(searches);
}
BENCHMARK(BM_FootSearch)->Unit(benchmark::kMicrosecond);

// The longest search there is: the walker's cell walled in on open ground, so every other cell is expanded.
void BM_FailedSearch(benchmark::State& state)
{
    Network park;
    WorldMap& map = *park.map;
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x)
            map.GetCell({x, y})->m_uiFlags = kGround;
    for (int32_t d = 0; d < 8; d += 2)
        map.GetCell(WorldMap::GetNeighbourPos({80, 80}, d))->m_uiFlags = 0x00000003u;
    PathFinder& finder = park.path->GetFinder();
    std::vector<GridPos> steps;
    for (auto _ : state)
        benchmark::DoNotOptimize(finder.Search(PATH_FOOT, {80, 80}, {3, 150}, &steps));
    state.counters["expanded"] = finder.GetExpandedCount();
}
BENCHMARK(BM_FailedSearch)->Unit(benchmark::kMicrosecond);

// Every search of one hard park: the mean, the worst search's fastest run (so that a moment when the machine was
// busy elsewhere does not count as the worst search) and which search it is, and how many searches' fastest runs
// take over 200 us, the most any one search may take. It leaves out the walker's handling of the result (the step
// array is reused, as a walker's would not be).
void BM_HardPark(benchmark::State& state)
{
    std::vector<pathparks::Park> parks = pathparks::AllParks();
    pathparks::Park& park = parks[static_cast<size_t>(state.range(0))];
    PathFinder finder(*park.map);
    state.SetLabel(park.name);
    std::vector<GridPos> steps;
    std::vector<double> fastest(park.searches.size(), 1e9);
    double total = 0.0;
    uint64_t expanded = 0, searches = 0, found = 0;
    uint32_t mostExpanded = 0;
    for (auto _ : state)
    {
        for (size_t i = 0; i < park.searches.size(); ++i)
        {
            const pathparks::Search& search = park.searches[i];
            const auto start = std::chrono::steady_clock::now();
            const int32_t count = finder.Search(search.kind, search.from, search.to, &steps);
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            fastest[i] = std::min(fastest[i], seconds);
            total += seconds;
            expanded += finder.GetExpandedCount();
            mostExpanded = std::max(mostExpanded, finder.GetExpandedCount());
            found += count > 0 ? 1 : 0;
            benchmark::DoNotOptimize(count);
        }
        searches += park.searches.size();
    }
    state.counters["mean_us"] = total * 1e6 / static_cast<double>(searches);
    const auto worst = std::max_element(fastest.begin(), fastest.end());
    state.counters["worst_us"] = *worst * 1e6;
    state.counters["worst_search"] = static_cast<double>(worst - fastest.begin());
    state.counters["over_200us"] =
        static_cast<double>(std::count_if(fastest.begin(), fastest.end(), [](double s) { return s > 200e-6; }));
    state.counters["expanded_mean"] = static_cast<double>(expanded) / static_cast<double>(searches);
    state.counters["expanded_worst"] = mostExpanded;
    state.counters["found_share"] = static_cast<double>(found) / static_cast<double>(searches);
}
BENCHMARK(BM_HardPark)->DenseRange(0, 4)->ArgName("park")->Unit(benchmark::kMicrosecond);

class BenchWalker : public HumanObject
{
public:
    BenchWalker() : HumanObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    bool PostMessage(MessageRecord record) override { return g_pMessageHandler->Send(record); }
    bool PostDelayedMessage(MessageRecord record, float delay) override
    {
        return g_pMessageHandler->SendDelayed(record, delay);
    }
};

class FastWorld : public World
{
public:
    FastWorld() { m_fGameSpeed = 4.0f; }
};

class QuietReports : public platform::ReportSink
{
public:
    QuietReports() : m_previous(platform::SetReportSink(this)) {}
    ~QuietReports() override { platform::SetReportSink(m_previous); }
    void ShowMessageBox(const char*, const char*) override {}
    void DebugOutput(const char*) override {}

private:
    platform::ReportSink* m_previous;
};

// 1,500 guests walking the footpaths from queue to queue; one frame of 1/60 s at game speed 4. A walker that has
// arrived is sent to another building within the frame, as a guest's script would.
void BM_WalkersFrame(benchmark::State& state)
{
    QuietReports quiet;
    RegisterObjectKind(OBJECT_GUEST, []() -> BaseObject* { return new BenchWalker; });
    FastWorld world;
    Network park;
    MessageHandler messages;
    ObjectManager objects;
    std::mt19937 random(3);
    std::vector<MovingObject*> walkers;
    const auto send = [&](MovingObject* walker)
    {
        const GridPos to = park.entries[random() % park.entries.size()];
        const platform::Vec3 centre = WorldMap::GetCellCentre(to);
        MessageRecord record;
        record.dwSender = record.dwReciever = walker->GetID();
        record.dwType = MT_PAVEMENT2POINT;
        record.dwFlags = static_cast<uint32_t>(centre.x);
        record.dwData = static_cast<uint32_t>(centre.y);
        messages.Send(record);
    };
    for (int i = 0; i < 1500; ++i)
    {
        auto* walker = static_cast<MovingObject*>(objects.CreateObject("GUEST", OBJECT_GUEST));
        walker->SetType(OBJECT_GUEST);
        walker->SetWorldPosition(WorldMap::GetCellCentre(park.entries[random() % park.entries.size()]));
        walkers.push_back(walker);
        send(walker);
    }
    uint64_t orders = 0, frames = 0;
    for (auto _ : state)
    {
        world.AdvanceClock(1.0f / 60.0f);
        for (MovingObject* walker : walkers)
        {
            walker->Update();
            if (!walker->IsMoving())
            {
                send(walker);
                ++orders;
            }
        }
        messages.Update();
        ++frames;
    }
    state.counters["orders_per_frame"] = static_cast<double>(orders) / static_cast<double>(frames);
    ClearObjectKinds();
}
BENCHMARK(BM_WalkersFrame)->Unit(benchmark::kMillisecond);

} // namespace
