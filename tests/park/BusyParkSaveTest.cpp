// A busy park saved in the middle of play and loaded into a fresh park: guests walking, queuing and inside the
// buildings, staff on their way to jobs, a building broken down, a show on, litter, research and a rescue; what
// comes back is what was saved, saving it again gives the same items, and both parks run on alike.
#include "engine/core/SerialStream.h"
#include "park/BuildingObject.h"
#include "park/GuestObject.h"
#include "park/QueueComponent.h"
#include "park/RescueManager.h"
#include "park/ResearchManager.h"
#include "park/ShowScheduler.h"
#include "park/StaffObject.h"
#include "park/TableObject.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "tests/park/SampleParkTest.h"
#include "tests/world/SaveBytes.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/MovingObject.h"
#include "world/ObjectManager.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace
{

std::vector<std::string> Items(const World& world)
{
    savebytes::ItemLines lines;
    world.Dump(lines);
    // Not saved, but rebuilt from what is: the research's staff factors, each queue's traced cells, and the
    // objects each map cell lists, in id order (a queue of a building coming down is not traced again). (The park
    // rating is taken afresh at a load, not kept from the last hourly step.)
    if (const ResearchManager* research = GetResearchManager())
        for (float factor : {research->GetStaffRecovery(), research->GetCleanerTraining(),
                             research->GetMechanicTraining(), research->GetCarerTraining()})
            lines.lines.push_back("staff factor = " + std::to_string(factor));
    for (uint8_t kind : {OBJECT_GUEST, OBJECT_TABLE, OBJECT_SERVER, OBJECT_CLEANER, OBJECT_MECHANIC, OBJECT_ZOOKEEPER,
                         OBJECT_ANIMAL, OBJECT_BUILDING})
        for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(kind))
            lines.lines.push_back(std::to_string(object->GetID()) +
                                  " in the scene, attachments = " + std::to_string(object->GetScene() != nullptr) +
                                  " " + std::to_string(object->GetAttachmentCount()));
    for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING))
        if (const QueueComponent* queue = static_cast<BuildingObject*>(object)->GetQueue();
            queue && !static_cast<BuildingObject*>(object)->IsBeingDemolished())
        {
            std::string text = std::string(object->GetName()) + " queue cells =";
            for (const GridPos& cell : queue->GetTracedCells())
                text += " " + std::to_string(cell.x) + "," + std::to_string(cell.y);
            lines.lines.push_back(text);
        }
    const WorldMap& map = *world.GetWorldMap();
    for (uint32_t i = 0; i < map.GetCellCount(); ++i)
    {
        std::vector<uint32_t> ids;
        for (const BaseObject* object : map.CellAt(i).GetObjectList())
            ids.push_back(object->GetID());
        if (ids.empty())
            continue;
        std::sort(ids.begin(), ids.end());
        std::string text = "cell " + std::to_string(i) + " objects =";
        for (uint32_t id : ids)
            text += " " + std::to_string(id);
        lines.lines.push_back(text);
    }
    return lines.lines;
}

class BusyParkSave : public SampleParkTest
{
protected:
    static constexpr const char* kOpenPark = "data/Scenario/Scenario1/Scenario1.pis";
    static constexpr const char* kGuestPark = "data/Scenario/GuestPark/GuestPark.pis";
    // A frame time a float holds exactly: the clock and timers after a load are floats.
    static constexpr float kFrame = 1.0f / 32.0f;

    static BuildingObject* Building(const char* name)
    {
        auto found = g_pObjectManager->GetBuildingsByName(name);
        return found.empty() ? nullptr : static_cast<BuildingObject*>(found[0]);
    }
    static void Litter(int x, int y, int n)
    {
        for (int i = 0; i < n; ++i)
        {
            LitterCreationRequest litter;
            std::snprintf(litter.szKeyword, sizeof litter.szKeyword, "Litter0%d", i % 4 + 1);
            litter.iGridX = x + i;
            litter.iGridY = y;
            g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_LITTER), &litter);
        }
    }
    static void Run(World& world, int frames, uint32_t seed)
    {
        platform::SRand(seed);
        for (int i = 0; i < frames; ++i)
            world.Update(kFrame);
    }

    // Saves the park; the original runs on for `steps` times `frames` frames, its items kept after each; then the
    // save is loaded into a fresh park of the same scenario, which must save the same items and bytes, and runs
    // the same frames from the same random numbers. The first step at which the two parks part, with the items
    // that differ; empty when they never do. The loaded park then takes the original's place.
    std::string RoundTrip(std::unique_ptr<World>& original, const char* scenario, int steps, int frames)
    {
        // The save holds the clock as a float: the original runs on from that same time, so that neither park
        // passes a timed step a frame before the other.
        original->SetGameTime(static_cast<double>(original->GetGameTime()));
        const std::vector<std::string> before = Items(*original);
        const Bytes saved = Save(*original);
        // Which of two new squares a guest rates is drawn when the guest is made and not saved: the loaded guests
        // are given the original's.
        std::map<uint32_t, bool> toggles;
        for (BaseObject* guest : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
            toggles[guest->GetID()] = static_cast<GuestObject*>(guest)->GetSurroundingsToggle();
        std::vector<std::vector<std::string>> ran;
        for (int i = 0; i < steps; ++i)
        {
            Run(*original, frames, 100 + static_cast<uint32_t>(i));
            // A park saved paused is played on after the first step.
            original->SetPaused(false);
            ran.push_back(Items(*original));
        }
        original.reset();
        std::unique_ptr<World> copy = Load(saved, scenario);
        if (!copy)
            return "the save does not load";
        for (BaseObject* guest : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
            static_cast<GuestObject*>(guest)->SetSurroundingsToggle(toggles[guest->GetID()]);
        std::string parted = savebytes::ItemDifferences(before, Items(*copy));
        if (!parted.empty())
            return "loaded: " + parted;
        if (Save(*copy) != saved)
            return "saved again: other bytes";
        for (int i = 0; i < steps; ++i)
        {
            Run(*copy, frames, 100 + static_cast<uint32_t>(i));
            copy->SetPaused(false);
            parted = savebytes::ItemDifferences(ran[static_cast<size_t>(i)], Items(*copy));
            if (const char* keep = std::getenv("TW_SAVE_SWEEP_KEEP"); keep && !parted.empty())
            {
                for (const auto& [name, lines] :
                     {std::pair("before", before), std::pair("original", ran[i]), std::pair("loaded", Items(*copy))})
                {
                    std::FILE* file = std::fopen((std::string(keep) + "/" + name + ".txt").c_str(), "w");
                    for (const std::string& line : lines)
                        std::fprintf(file, "%s\n", line.c_str());
                    std::fclose(file);
                }
            }
            if (!parted.empty())
                return "after " + std::to_string((i + 1) * frames) + " frames: " + parted;
        }
        // The loaded park is the one that plays on.
        original = std::move(copy);
        return "";
    }
    using Bytes = std::vector<uint8_t>;

    // Saves the park every `gap` frames (with what is going on then named), loads it and compares the two for
    // 1200 frames each time. Before each save the player may act (`act`, given the save's number).
    void Sweep(std::unique_ptr<World>& world, const char* scenario, int saves, int gap,
               const std::function<void(World&, int)>& act = {})
    {
        for (int k = 0; k < saves && world; ++k)
        {
            if (act)
                act(*world, k);
            SCOPED_TRACE("save " + std::to_string(k) + " at " + std::to_string(world->GetGameTime()) + ": " +
                         Situation());
            const bool fine = std::getenv("TW_SAVE_SWEEP_FINE") != nullptr;
            if (std::getenv("TW_SAVE_SWEEP_SHOW"))
                std::printf("save %d at %.2f: %s\n", k, static_cast<double>(world->GetGameTime()), Situation().c_str());
            const std::string parted = RoundTrip(world, scenario, fine ? 1200 : 4, fine ? 1 : 300);
            EXPECT_EQ(parted, "");
            if (!parted.empty() || !world)
                return;
            Run(*world, gap, 50 + static_cast<uint32_t>(k));
        }
    }

    // What the staff and the buildings are doing.
    static std::string Situation()
    {
        std::string text;
        for (uint8_t kind : {OBJECT_CLEANER, OBJECT_MECHANIC, OBJECT_ZOOKEEPER, OBJECT_SERVER})
            for (BaseObject* staff : g_pObjectManager->GetObjectsOfKind(kind))
                text += std::string(StateName(staff->GetState())) + " to " +
                        std::to_string(static_cast<MovingObject*>(staff)->GetDestObjectID()) + "; ";
        for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING))
        {
            auto* building = static_cast<BuildingObject*>(object);
            text += building->GetName() + std::string(building->IsBrokenDown() ? " broken" : "") +
                    (building->GetScheduler() && building->GetScheduler()->IsShowRunning() ? " show" : "") + " q" +
                    std::to_string(building->GetQueue() ? building->GetQueue()->GetGuests().size() : 0) + " in" +
                    std::to_string(building->GetGuestList().size()) + "; ";
        }
        return text + std::to_string(g_pObjectManager->CountObjectsOfKind(OBJECT_GUEST)) + " guests, " +
               std::to_string(g_pObjectManager->CountObjectsOfKind(OBJECT_LITTER)) + " litter";
    }
};

} // namespace

namespace
{

// The guests by what they are doing: walking to a building, in a queue, inside a building.
struct GuestsAt
{
    int heading = 0;
    int queuing = 0;
    int inside = 0;
};

GuestsAt WhereGuestsAre()
{
    GuestsAt at;
    for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
        at.heading += object->GetState() == STATE_GUEST_HEADING_DESIRE;
    for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING))
    {
        auto* building = static_cast<BuildingObject*>(object);
        if (building->GetQueue())
            at.queuing += static_cast<int>(building->GetQueue()->GetGuests().size());
        at.inside += static_cast<int>(building->GetGuestList().size());
    }
    return at;
}

} // namespace

// The open park: guests come in through the entrance and visit the fun house, the lagoon and the show; the player
// has hired a cleaner, a mechanic and a zookeeper, funds research, has a rescue team out, the fun house has broken
// down, litter lies on the cross path and the show is on. Saved then, the park loads and goes on as it would have.
TEST_F(BusyParkSave, AnOpenParkInFullSwingGoesOnAfterLoadingAsItWould)
{
    testsupport::RecordingReportSink reports;
    auto world = std::make_unique<World>(nullptr, nullptr, kOpenPark, false);
    ASSERT_TRUE(world->IsBuilt());
    GetResearchManager()->SetSliderValue(0.8f);
    world->RequestStaff(OBJECT_CLEANER, "CLEANER");
    world->RequestStaff(OBJECT_MECHANIC, "MECHANIC");
    world->RequestStaff(OBJECT_ZOOKEEPER, "ZOOKEEPER");
    Run(*world, 30 * 600, 5);
    ASSERT_GE(g_pObjectManager->CountObjectsOfKind(OBJECT_GUEST), 8u);
    Litter(66, 32, 5);
    BuildingObject* funhouse = Building("FUNHOUSE");
    BuildingObject* arena = Building("ARENA");
    ASSERT_NE(funhouse, nullptr);
    ASSERT_NE(arena, nullptr);
    ASSERT_NE(arena->GetScheduler(), nullptr);
    funhouse->BreakDownByWear();
    arena->GetScheduler()->StartShow();
    RescueManager& rescue = *GetRescueManager();
    rescue.OfferRescue();
    EXPECT_TRUE(rescue.DespatchTeam());
    // No more arrivals: the countdown to the next one is not part of a save.
    Building("ENTRANCE")->Close();
    Run(*world, 60, 6);
    const GuestsAt at = WhereGuestsAre();
    EXPECT_GT(at.inside, 0);
    EXPECT_TRUE(arena->GetScheduler()->IsShowRunning());
    EXPECT_TRUE(funhouse->IsBrokenDown());
    Sweep(world, kOpenPark, 14, 600);
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

// The guest park: guests queue for the cafe, wait at its counter and eat at its tables, use the toilet and drop
// litter; a server works the ice-cream kiosk the player built, the toilet has broken down. Saved then, it goes on
// as it would have.
TEST_F(BusyParkSave, AGuestParkWithQueuesAndTablesGoesOnAfterLoadingAsItWould)
{
    testsupport::RecordingReportSink reports;
    auto world = std::make_unique<World>(nullptr, nullptr, kGuestPark, false);
    ASSERT_TRUE(world->IsBuilt());
    // An ice-cream kiosk served by its own server from the cross path.
    world->RequestBuilding("ICEKIOSK", 61, 29, 0, 0.0f, 0, false);
    GetResearchManager()->SetSliderValue(0.5f);
    // Until guests queue and are inside the cafe.
    platform::SRand(9);
    GuestsAt at;
    for (int frame = 0; frame < 30 * 3000 && (at.queuing < 2 || at.inside < 1); ++frame)
    {
        world->Update(kFrame);
        if (frame % 30 == 0)
            at = WhereGuestsAre();
    }
    ASSERT_GE(at.queuing, 2);
    Litter(58, 32, 4);
    if (BuildingObject* toilet = Building("RESTSMALL"))
        toilet->BreakDownByWear();
    if (BuildingObject* entrance = Building("ENTRANCE"))
        entrance->Close();
    Run(*world, 30, 6);
    BuildingObject* kiosk = Building("ICEKIOSK");
    ASSERT_NE(kiosk, nullptr);
    EXPECT_EQ(g_pObjectManager->CountObjectsOfKind(OBJECT_SERVER), 1u);
    Sweep(world, kGuestPark, 30, 300);
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

// A long stretch of play in the open park, saved every few game seconds: two guests are asked for before each save
// (they stand in for the closed entrance), rides break down and are repaired, staff rest, the player builds and later
// sells a staff room, picks up the cleaner and drops it again, pauses, and the research budget runs at its most. Each
// save loads into a park that goes on as the original did.
TEST_F(BusyParkSave, ALongStretchOfPlaySavedEveryFewSecondsGoesOnAlike)
{
    testsupport::RecordingReportSink reports;
    auto world = std::make_unique<World>(nullptr, nullptr, kOpenPark, false);
    ASSERT_TRUE(world->IsBuilt());
    GetResearchManager()->SetSliderValue(1.0f);
    world->RequestStaff(OBJECT_CLEANER, "CLEANER");
    world->RequestStaff(OBJECT_MECHANIC, "MECHANIC");
    world->RequestStaff(OBJECT_ZOOKEEPER, "ZOOKEEPER");
    Run(*world, 30 * 300, 5);
    Building("ENTRANCE")->Close();
    uint32_t built = 0;
    Sweep(world, kOpenPark, 60, 300,
          [&](World& park, int k)
          {
              const uint32_t guests = g_pObjectManager->CountObjectsOfKind(OBJECT_GUEST);
              for (int i = 0; i < 2; ++i)
                  park.RequestGuest("VISITOR", 2100.0f + 16.0f * i, 1160.0f, 72);
              EXPECT_EQ(g_pObjectManager->CountObjectsOfKind(OBJECT_GUEST), guests + 2);
              if (k % 9 == 4)
                  Litter(60 + k % 8, 32, 3);
              if (k == 6)
              {
                  park.RequestBuilding("STAFFSMALL", 58, 34, 0, 0.0f, 0, false);
                  if (BaseObject* last = park.GetLastCreatedBuilding())
                      built = last->GetID();
              }
              if (k == 40 && built)
                  if (auto* staffRoom = dynamic_cast<BuildingObject*>(g_pObjectManager->GetObject(built)))
                      staffRoom->Sell();
              if (k % 10 == 7)
                  park.SetPaused(true);
              if (k % 12 == 3)
                  if (BaseObject* cleaner = g_pObjectManager->GetObjectsOfKind(OBJECT_CLEANER).at(0))
                      static_cast<StaffObject*>(cleaner)->PickUp();
              if (k % 12 == 4)
                  if (BaseObject* cleaner = g_pObjectManager->GetObjectsOfKind(OBJECT_CLEANER).at(0))
                      static_cast<StaffObject*>(cleaner)->DropAt({2080.0f, 1296.0f, 0.0f});
              if (k % 15 == 0)
              {
                  RescueManager& rescue = *GetRescueManager();
                  rescue.OfferRescue();
                  rescue.DespatchTeam();
              }
          });
    EXPECT_NE(built, 0u);
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

// The comparison the tests above rest on: a guest's souvenirs or a building's repair state changed between two
// saves is named; a clock value differing only in a float's last places is not.
TEST_F(BusyParkSave, TheComparisonNamesAChangedItem)
{
    testsupport::RecordingReportSink reports;
    auto world = std::make_unique<World>(nullptr, nullptr, kGuestPark, false);
    ASSERT_TRUE(world->IsBuilt());
    Run(*world, 30 * 60, 3);
    const std::vector<GuestObject*> guests = []
    {
        std::vector<GuestObject*> all;
        for (BaseObject* object : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
            all.push_back(static_cast<GuestObject*>(object));
        return all;
    }();
    ASSERT_FALSE(guests.empty());
    const std::vector<std::string> before = Items(*world);
    EXPECT_EQ(savebytes::ItemDifferences(before, Items(*world)), "");
    guests.back()->SetSouvenirs(guests.back()->GetSouvenirs() + 1);
    EXPECT_NE(savebytes::ItemDifferences(before, Items(*world)).find("m_iNumSouvenirs"), std::string::npos);
    guests.back()->SetSouvenirs(guests.back()->GetSouvenirs() - 1);
    Building("CAFE")->BreakDownByWear();
    EXPECT_NE(savebytes::ItemDifferences(before, Items(*world)).find("m_RepairState"), std::string::npos);
    EXPECT_TRUE(savebytes::ItemsAlike("m_fGameTime = 875.166687", "m_fGameTime = 875.166748"));
    EXPECT_FALSE(savebytes::ItemsAlike("m_fGameTime = 875.166687", "m_fGameTime = 875.2"));
    EXPECT_FALSE(savebytes::ItemsAlike("m_dwID = 38", "m_dwID = 39"));
}

// Saved on each frame around the end of a game day (the hour reaching 24, the new day's accounts and messages),
// the park loads and goes on as it would have.
TEST_F(BusyParkSave, SavedAroundTheEndOfADayItGoesOnAlike)
{
    testsupport::RecordingReportSink reports;
    auto world = std::make_unique<World>(nullptr, nullptr, kOpenPark, false);
    ASSERT_TRUE(world->IsBuilt());
    world->RequestStaff(OBJECT_CLEANER, "CLEANER");
    world->RequestStaff(OBJECT_MECHANIC, "MECHANIC");
    GetResearchManager()->SetSliderValue(0.6f);
    const float day = static_cast<float>(world->GetDayLength());
    while (world->GetGameTime() < day - 6 * kFrame)
        Run(*world, 1, 11);
    Building("ENTRANCE")->Close();
    const int32_t startDay = world->GetGameDay();
    bool atMidnight = false;
    for (int k = 0; k < 12 && world; ++k)
    {
        atMidnight = atMidnight || world->GetGameDayTime() == 24.0f;
        SCOPED_TRACE("saved at " + std::to_string(world->GetGameTime()) + ", hour " +
                     std::to_string(world->GetGameDayTime()));
        // Each loaded park is compared for one frame and plays on: the next save is a frame later.
        const std::string parted = RoundTrip(world, kOpenPark, 1, 1);
        EXPECT_EQ(parted, "");
        if (!parted.empty() || !world)
            break;
    }
    ASSERT_NE(world, nullptr);
    EXPECT_TRUE(atMidnight);
    EXPECT_EQ(RoundTrip(world, kOpenPark, 4, 300), "");
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(world->GetGameDay(), startDay + 1);
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

namespace
{

// A park a player saves in the middle of something: how the park is set going, and what must be under way at the
// moment of the first save.
struct MidActionCase
{
    const char* name;
    const char* scenario;
    // Sets the park going and brings it to the moment of the save; false when that moment never came.
    std::function<bool(World&)> reach;
    int saves;
    int gap;
};

std::ostream& operator<<(std::ostream& out, const MidActionCase& c)
{
    return out << c.name;
}

class MidActionSave : public BusyParkSave, public ::testing::WithParamInterface<MidActionCase>
{
public:
    static BuildingObject* Find(const char* name) { return Building(name); }
    static void Play(World& world, int frames, uint32_t seed) { Run(world, frames, seed); }
    static void Drop(int x, int y, int n) { Litter(x, y, n); }
    // Runs the park a frame at a time until `done` holds, at most `frames` frames.
    static bool RunUntil(World& world, int frames, const std::function<bool()>& done)
    {
        platform::SRand(21);
        for (int i = 0; i < frames; ++i)
        {
            if (done())
                return true;
            world.Update(kFrame);
        }
        return done();
    }
    static bool StaffHeadingTo(uint8_t kind, uint32_t id)
    {
        for (BaseObject* staff : g_pObjectManager->GetObjectsOfKind(kind))
            if (static_cast<MovingObject*>(staff)->GetDestObjectID() == id)
                return true;
        return false;
    }
    static uint32_t LitterHeadedFor()
    {
        for (BaseObject* litter : g_pObjectManager->GetObjectsOfKind(OBJECT_LITTER))
            if (StaffHeadingTo(OBJECT_CLEANER, litter->GetID()))
                return litter->GetID();
        return 0;
    }
};

// The swan boats' park with guests coming: the boats have riders aboard (and the staff are hired); the entrance is
// closed then, as arrivals are not part of a save.
bool BoatsWithRiders(World& world)
{
    world.RequestStaff(OBJECT_CLEANER, "CLEANER");
    world.RequestStaff(OBJECT_MECHANIC, "MECHANIC");
    BuildingObject* boats = MidActionSave::Find("SWANBOATS");
    if (!boats)
        return false;
    const bool riding = MidActionSave::RunUntil(world, 30 * 3000, [&] { return boats->GetGuestList().size() >= 2; });
    MidActionSave::Find("ENTRANCE")->Close();
    return riding;
}

const MidActionCase kMidActionCases[] = {
    {"TheSwanBoatsWithRidersAboard", "data/Scenario/Scenario4/Scenario4.pis", BoatsWithRiders, 10, 97},
    {"TheSwanBoatsBrokenDownWithTheMechanicOnTheWay", "data/Scenario/Scenario4/Scenario4.pis",
     [](World& world)
     {
         if (!BoatsWithRiders(world))
             return false;
         BuildingObject* boats = MidActionSave::Find("SWANBOATS");
         boats->BreakDownByWear();
         return MidActionSave::RunUntil(world, 30 * 600,
                                        [&] { return MidActionSave::StaffHeadingTo(OBJECT_MECHANIC, boats->GetID()); });
     },
     10, 61},
    {"TheSwanBoatsSoldWithRidersAboard", "data/Scenario/Scenario4/Scenario4.pis",
     [](World& world)
     {
         if (!BoatsWithRiders(world))
             return false;
         MidActionSave::Find("SWANBOATS")->Sell();
         return true;
     },
     12, 23},
    {"LitterWithTheCleanerOnItsWay", "data/Scenario/Scenario4/Scenario4.pis",
     [](World& world)
     {
         if (!BoatsWithRiders(world))
             return false;
         MidActionSave::Drop(60, 32, 4);
         return MidActionSave::RunUntil(world, 30 * 600, [] { return MidActionSave::LitterHeadedFor() != 0; });
     },
     10, 41},
    {"ABuildingPlacedInTheFrameOfTheSave", "data/Scenario/Scenario4/Scenario4.pis",
     [](World& world)
     {
         if (!BoatsWithRiders(world))
             return false;
         world.RequestBuilding("ICEKIOSK", 61, 29, 0, 0.0f, 0, false);
         return world.GetLastCreatedBuilding() != nullptr;
     },
     6, 31},
    {"TheCafeSoldWithGuestsAtItsTables", "data/Scenario/GuestPark/GuestPark.pis",
     [](World& world)
     {
         world.RequestStaff(OBJECT_CLEANER, "CLEANER");
         BuildingObject* cafe = MidActionSave::Find("CAFE");
         if (!cafe)
             return false;
         const auto seated = [cafe]
         {
             for (uint32_t id : cafe->TableIds())
                 if (auto* table = dynamic_cast<TableSeats*>(g_pObjectManager->GetObject(id));
                     table && !table->IsFree())
                     return true;
             return false;
         };
         const bool eating = MidActionSave::RunUntil(world, 30 * 3000, seated);
         MidActionSave::Find("ENTRANCE")->Close();
         if (!eating)
             return false;
         cafe->Sell();
         return true;
     },
     12, 17},
    {"AShowOnAtTheTopSpeed", "data/Scenario/Scenario1/Scenario1.pis",
     [](World& world)
     {
         world.RequestStaff(OBJECT_ZOOKEEPER, "ZOOKEEPER");
         MidActionSave::Play(world, 30 * 300, 5);
         MidActionSave::Find("ENTRANCE")->Close();
         world.SetGameSpeedLevel(2);
         BuildingObject* arena = MidActionSave::Find("ARENA");
         if (!arena || !arena->GetScheduler())
             return false;
         arena->GetScheduler()->StartShow();
         MidActionSave::Play(world, 20, 6);
         return arena->GetScheduler()->IsShowRunning();
     },
     10, 53},
};

// Saved at and just after moments where something is under way (riders aboard a boat ride, a mechanic walking to a
// breakdown, a ride being pulled down with its riders, a cleaner walking to litter, a building placed in the very
// frame, a cafe pulled down while guests eat at its tables, a show at the top speed), the park loads and goes on as
// the one that was not saved.
TEST_P(MidActionSave, GoesOnAfterLoadingAsItWould)
{
    testsupport::RecordingReportSink reports;
    const MidActionCase& c = GetParam();
    auto world = std::make_unique<World>(nullptr, nullptr, c.scenario, false);
    ASSERT_TRUE(world->IsBuilt());
    ASSERT_TRUE(c.reach(*world)) << Situation();
    // Saved on every third frame just after the moment (each loaded park compared over those frames and played
    // on), then every `gap` frames over a longer stretch.
    for (int k = 0; k < 24 && world; ++k)
    {
        SCOPED_TRACE("close save " + std::to_string(k) + ": " + Situation());
        EXPECT_EQ(RoundTrip(world, c.scenario, 1, 3), "");
    }
    ASSERT_NE(world, nullptr);
    Sweep(world, c.scenario, c.saves, c.gap);
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

INSTANTIATE_TEST_SUITE_P(Moments, MidActionSave, ::testing::ValuesIn(kMidActionCases),
                         [](const ::testing::TestParamInfo<MidActionCase>& info) { return info.param.name; });

} // namespace
