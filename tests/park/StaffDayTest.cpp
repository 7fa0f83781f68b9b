// Staff at work on their own through whole days of the sample's first scenario with its guests: every job on the
// boards has one worker and every worker at a job holds it, no job names an object that has gone, nobody stays at one
// job for hours, litter is swept and breakdowns are repaired, buildings sold and staff dismissed in the middle of a
// job included; a day's wages are every hour's.
#include "park/BuildingObject.h"
#include "park/CleaningManager.h"
#include "park/ParkManagers.h"
#include "park/RepairManager.h"
#include "park/StaffObject.h"
#include "scripts/ObjectStates.h"
#include "tests/park/SampleParkTest.h"
#include "world/ObjectManager.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace
{

constexpr const char* kFirst = "data/Scenario/Scenario1/Scenario1.pis";

bool AtJob(uint8_t kind, uint32_t state)
{
    if (kind == OBJECT_CLEANER)
        return state >= STATE_CLEANER_GO_LITTER && state <= STATE_CLEANER_CLEAN_TOILET;
    return state == STATE_MECHANIC_GO_REPAIR || state == STATE_MECHANIC_REPAIR;
}

// What the watch saw go wrong, each kind of fault once with the first case of it.
struct Faults
{
    std::map<std::string, std::string> seen;
    void Add(const std::string& what, const std::string& detail) { seen.emplace(what, detail); }
};

// Watches the park frame by frame: the boards against the workers, and how long each worker keeps one job.
class Watch
{
public:
    explicit Watch(Faults& faults) : m_faults(faults) {}

    void Frame(const World& world)
    {
        const float now = world.GetGameTime();
        const CleaningManager* cleaning = GetCleaningManager();
        const RepairManager* boards[] = {GetMechanicsRepair(), GetZooRepair()};
        std::map<uint32_t, int> cleaners, workers[2];
        for (uint8_t kind : {OBJECT_CLEANER, OBJECT_MECHANIC, OBJECT_ZOOKEEPER})
            for (BaseObject* each : g_pObjectManager->GetObjectsOfKind(kind))
            {
                const auto* object = static_cast<const StaffObject*>(each);
                const uint32_t state = object->GetState();
                const uint32_t job = object->GetDestObjectID();
                const std::string who = std::string(StateName(state)) + " of " + std::to_string(object->GetID());
                if (AtJob(kind, state))
                {
                    if (!g_pObjectManager->GetObject(job))
                        m_faults.Add("a worker at a job whose object has gone", who);
                    bool held = false;
                    if (kind == OBJECT_CLEANER)
                    {
                        ++cleaners[job];
                        for (const CleaningManager::Job& j : cleaning->GetAssigned())
                            held = held || j.CleaningID == job;
                    }
                    else
                    {
                        const int board = kind == OBJECT_MECHANIC ? 0 : 1;
                        ++workers[board][job];
                        for (const RepairManager::Job& j : boards[board]->GetAssigned())
                            held = held || j.RepairID == job;
                    }
                    if (!held)
                        m_faults.Add("a worker at a job its board does not hold", who);
                }
                auto& [doing, since] = m_doing[object->GetID()];
                const uint64_t key = (uint64_t{state} << 32) | job;
                if (key != doing)
                {
                    doing = key;
                    since = now;
                }
                else if (AtJob(kind, state) && now - since > 3.0f * Hour(world))
                    m_faults.Add("a worker three hours at one job", who);
            }
        for (const CleaningManager::Job& j : cleaning->GetAssigned())
        {
            if (!g_pObjectManager->GetObject(j.CleaningID))
                m_faults.Add("a cleaning job on an object that has gone", std::to_string(j.CleaningID));
            if (cleaners[j.CleaningID] != 1)
                m_faults.Add("a cleaning job without exactly one cleaner",
                             std::to_string(j.CleaningID) + ": " + std::to_string(cleaners[j.CleaningID]));
        }
        for (int board = 0; board < 2; ++board)
            for (const RepairManager::Job& j : boards[board]->GetAssigned())
            {
                if (!g_pObjectManager->GetObject(j.RepairID))
                    m_faults.Add("a repair job on an object that has gone", std::to_string(j.RepairID));
                if (workers[board][j.RepairID] != 1)
                    m_faults.Add("a repair job without exactly one worker",
                                 std::to_string(j.RepairID) + ": " + std::to_string(workers[board][j.RepairID]));
            }
        // Litter lies until it is swept; a broken building stands until it is repaired.
        std::set<uint32_t> lying;
        for (BaseObject* litter : g_pObjectManager->GetObjectsOfKind(OBJECT_LITTER))
        {
            lying.insert(litter->GetID());
            m_litter.emplace(litter->GetID(), now);
            if (!litter->IsWaitingForDeath() && !cleaning->HoldsRequest(litter->GetID()))
                m_faults.Add("litter nobody was asked to sweep", std::to_string(litter->GetID()));
        }
        for (auto it = m_litter.begin(); it != m_litter.end();)
        {
            if (lying.count(it->first) == 0)
            {
                ++m_swept;
                it = m_litter.erase(it);
            }
            else
            {
                if (now - it->second > 12.0f * Hour(world))
                    m_faults.Add("litter lying half a day", std::to_string(it->first));
                ++it;
            }
        }
        for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING))
        {
            auto* building = static_cast<BuildingObject*>(object);
            if (!building->IsBrokenDown())
            {
                if (m_broken.erase(building->GetID()) > 0)
                    ++m_repaired;
                continue;
            }
            const float since = m_broken.emplace(building->GetID(), now).first->second;
            if (now - since > 12.0f * Hour(world))
                m_faults.Add("a building broken down half a day", building->GetName());
        }
    }

    int Swept() const { return m_swept; }
    int Repaired() const { return m_repaired; }

private:
    static float Hour(const World& world) { return static_cast<float>(world.GetDayLength()) / 24.0f; }

    Faults& m_faults;
    std::map<uint32_t, std::pair<uint64_t, float>> m_doing;
    std::map<uint32_t, float> m_litter;
    std::map<uint32_t, float> m_broken;
    int m_swept = 0;
    int m_repaired = 0;
};

// Something done once to a worker in a state, from the second day on.
struct Event
{
    const char* name;
    uint8_t kind;
    uint32_t state;
    std::function<void(StaffObject&)> act;
    bool done = false;
};

void SellJob(StaffObject& worker)
{
    if (auto* building = dynamic_cast<BuildingObject*>(g_pObjectManager->GetObject(worker.GetDestObjectID())))
        building->Sell();
}

// Runs the park at top speed until the day given, keeping it going when its goal is met.
void RunUntil(World& world, int day, Watch& watch, std::vector<Event>& events,
              const std::function<void()>& onFrame = {})
{
    for (int frame = 0; world.GetGameDay() < day && frame < 30 * 2 * day * world.GetDayLength(); ++frame)
    {
        for (Event& e : events)
            for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(e.kind))
                if (!e.done && world.GetGameDay() >= 1 && object->GetState() == e.state)
                {
                    e.act(*static_cast<StaffObject*>(object));
                    e.done = true;
                }
        if (world.IsPaused())
            world.SetPaused(false);
        const int before = world.GetGameDay();
        world.Update(1.0f / 30.0f);
        ASSERT_GE(world.GetGameDay(), before);
        watch.Frame(world);
        if (onFrame && world.GetGameDay() == before)
            onFrame();
    }
    ASSERT_EQ(world.GetGameDay(), day);
}

} // namespace

using StaffDay = SampleParkTest;

TEST_F(StaffDay, EveryJobHasOneWorkerAndIsDoneThroughDaysOfAServedParkAndAfterItsLoad)
{
    testsupport::RecordingReportSink reports;
    Faults faults;
    Watch watch(faults);
    std::vector<Event> events = {
        {"the toilet sold while a cleaner cleans it", OBJECT_CLEANER, STATE_CLEANER_CLEAN_TOILET, SellJob},
        {"a building sold while a mechanic works on it", OBJECT_MECHANIC, STATE_MECHANIC_REPAIR, SellJob},
        {"an exhibit sold while a zookeeper visits it", OBJECT_ZOOKEEPER, STATE_MECHANIC_REPAIR, SellJob},
        {"a cleaner dismissed on the way to litter", OBJECT_CLEANER, STATE_CLEANER_GO_LITTER,
         [](StaffObject& s) { s.Dismiss(); }},
        {"a mechanic dismissed on the way to a job", OBJECT_MECHANIC, STATE_MECHANIC_GO_REPAIR,
         [](StaffObject& s) { s.Dismiss(); }},
    };
    std::vector<uint8_t> saved;
    {
        World world(nullptr, nullptr, kFirst, false);
        ASSERT_TRUE(world.IsBuilt());
        // Food, a toilet and rides by the paths: litter, a dirty toilet, wear and breakdowns.
        world.RequestBuilding("CAFE", 60, 30, 0, -1.0f, 0, false);
        world.RequestBuilding("RESTSMALL", 65, 28, 0, -1.0f, 0, false);
        world.RequestBuilding("ICEKIOSK", 70, 33, 0, -1.0f, 0, false);
        world.RequestBuilding("SWANBOATS", 58, 33, 0, -1.0f, 0, false);
        world.RequestBuilding("GIFTSHOP", 66, 33, 0, -1.0f, 0, false);
        world.SetGameSpeedLevel(2);
        world.Update(1.0f / 30.0f);
        for (int i = 0; i < 4; ++i)
            world.RequestStaff(OBJECT_CLEANER, "CLEANER");
        for (int i = 0; i < 3; ++i)
            world.RequestStaff(OBJECT_MECHANIC, "MECHANIC");
        world.RequestStaff(OBJECT_ZOOKEEPER, "ZOOKEEPER");
        world.Update(1.0f / 30.0f);
        ASSERT_EQ(g_pObjectManager->GetStaffIds().size(), 8u);
        RunUntil(world, 2, watch, events);
        // The third day nobody is hired or dismissed: by its last frame it has cost 24 hours of every worker's wage.
        float hourly = 0.0f;
        for (BaseObject* staff : g_pObjectManager->GetStaffObjects())
            hourly += static_cast<float>(static_cast<StaffObject*>(staff)->GetWage());
        ASSERT_GT(hourly, 0.0f);
        float wages = -1.0f;
        RunUntil(world, 3, watch, events, [&] { wages = world.m_fWagesCostToday; });
        EXPECT_FLOAT_EQ(wages, 24.0f * hourly);
        saved = Save(world);
    }
    for (const Event& e : events)
        EXPECT_TRUE(e.done) << "never came about: " << e.name;
    const std::unique_ptr<World> loaded = Load(saved, kFirst);
    ASSERT_NE(loaded, nullptr);
    RunUntil(*loaded, 5, watch, events);
    for (const auto& [what, detail] : faults.seen)
        ADD_FAILURE() << what << " (" << detail << ")";
    EXPECT_GT(watch.Swept(), 20) << "little litter was swept";
    EXPECT_GT(watch.Repaired(), 0) << "no breakdown was repaired";
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}
