// The sample scenario's lagoon and show arena in a real World built from the sample data: the dolphins swim their
// paths, and an audience of stand-in guests (which answer the building's guest messages as guests do, joining the
// crowd when they are on the ride) fills the stands; the show runs its programme from the opening to the closing
// move on the actor while the crowd cheers, and sends its audience off at the end.
#include "engine/core/GameParameters.h"
#include "engine/core/TextTable.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/ModelManager.h"
#include "park/AnimalObject.h"
#include "park/AnimalPathComponent.h"
#include "park/BuildingObject.h"
#include "park/CrowdFiller.h"
#include "park/ParkLayer.h"
#include "park/QueueComponent.h"
#include "park/RideComponent.h"
#include "park/ShowScheduler.h"
#include "platform/Random.h"
#include "platform/Strings.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "tests/support/TestSupport.h"
#include "world/MessageHandler.h"
#include "world/ModelObjects.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/PathTileSet.h"
#include "world/Player.h"
#include "world/StaticObject.h"
#include "world/World.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <cfloat>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace
{

using std::tuple;

BuildingObject* Only(const char* name)
{
    const std::vector<BaseObject*> found = g_pObjectManager->GetBuildingsByName(name);
    return found.size() == 1 ? dynamic_cast<BuildingObject*>(found[0]) : nullptr;
}

// A guest of the audience as a guest's script answers the building: it accepts the price offered, confirms when
// asked in, joins the crowd when it is on the ride and leaves it (and the building) when it is sent off.
class Spectator : public StaticObject
{
public:
    Spectator() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    bool Message(const MessageRecord& record) override
    {
        auto* building = dynamic_cast<BuildingObject*>(g_pObjectManager->GetObject(record.dwSender));
        switch (record.dwType)
        {
        case MT_COMMOD_PRICE:
            Answer(record.dwSender, MT_PRICE_OK);
            return true;
        case MT_ENTER_BUILDING:
            Answer(record.dwSender, MT_IM_READY);
            return true;
        case MT_PUT_ON_RIDE:
            if (auto* arena = Only("ARENA"))
                arena->AddToCrowd(m_dwID), onRide = true;
            return true;
        case MT_SERVED_COMMOD:
            if (building)
            {
                building->RemoveFromCrowd(m_dwID);
                building->RemoveGuest(m_dwID);
            }
            sentOff = record.dwFlags == 99 && record.dwData == 99;
            return true;
        default:
            return StaticObject::Message(record);
        }
    }
    void Answer(uint32_t building, uint32_t type)
    {
        MessageRecord record;
        record.dwSender = m_dwID;
        record.dwReciever = building;
        record.dwType = type;
        PostMessage(record);
    }

    bool onRide = false;
    bool sentOff = false;
};

// A stand-in guest in the park.
Spectator* NewSpectator()
{
    auto* guest = static_cast<Spectator*>(g_pObjectManager->CreateObject("VISITOR", OBJECT_GUEST));
    guest->SetType(OBJECT_GUEST);
    return guest;
}

// Stand-in guests, each asking the building in.
std::vector<Spectator*> Audience(BuildingObject& building, int count)
{
    std::vector<Spectator*> audience;
    for (int i = 0; i < count; ++i)
    {
        audience.push_back(NewSpectator());
        audience.back()->Answer(building.GetID(), MT_REQUEST_COMMOD);
    }
    return audience;
}

// The world run for a number of seconds at thirty frames a second.
void RunFor(World& world, float seconds)
{
    for (int i = 0; i < static_cast<int>(seconds * 30.0f); ++i)
        world.Update(1.0f / 30.0f);
}

// The park's one building of that name once the built park has run its first second; null if the park was not built
// or has no such building.
BuildingObject* AfterFirstSecond(World& world, const char* name)
{
    BuildingObject* building = world.IsBuilt() ? Only(name) : nullptr;
    if (building)
        RunFor(world, 1.0f);
    return building;
}

} // namespace

// The park classes, the stand-in guests and the models for a World of the sample data; no message box may be
// reported.
class AnimalSamplePark : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearObjectKinds();
        RegisterParkLayer();
        RegisterObjectKind(OBJECT_GUEST, []() -> BaseObject* { return new Spectator; });
        g_ModelManager.Init(1000, false);
        // The animation clock as a park played long before may leave it.
        g_AnimationScheduler.Clear();
        g_AnimationScheduler.Update(50000000);
        platform::SRand(2);
    }
    void TearDown() override
    {
        for (const auto& box : reports.boxes)
            ADD_FAILURE() << box.text;
        UnregisterParkLayer();
        g_ModelManager.Shutdown();
    }

    testsupport::ScopedCurrentDir cwd{std::string(TW_SOURCE_DIR) + "/sample-data"};
    testsupport::RecordingReportSink reports;
    GameParameters parameters{"data/script/gameparameters.pis"};
};

TEST_F(AnimalSamplePark, TheDolphinsSwimAndAShowRunsForAnAudienceSeatedInItsCrowd)
{
    {
        World world(nullptr, nullptr, "data/Scenario/QuietPark/QuietPark.pis", false);
        ASSERT_TRUE(world.IsBuilt());
        // The paths the dolphins took as the park was built run their 4 s (240 ticks) on the park's own clock.
        BuildingObject* lagoon = Only("LAGOON");
        ASSERT_NE(lagoon, nullptr);
        for (uint32_t slot = 0; slot < 2; ++slot)
        {
            const ModelObject* lap = lagoon->GetAnimalPath(0)->GetPathModel(0, slot);
            ASSERT_NE(lap, nullptr) << slot;
            EXPECT_EQ(lap->GetLastFrame() - world.GetAnimationTime(), 240u) << slot;
        }
        const auto frames = [&](float seconds) { RunFor(world, seconds); };
        BuildingObject* arena = Only("ARENA");
        ASSERT_NE(arena, nullptr);
        // The lagoon holds its two dolphins on paths of their own (at first their move paths), the arena its one;
        // both are open.
        frames(1.0f);
        const AnimalPathComponent& lagoonPaths = *lagoon->GetAnimalPath(0);
        EXPECT_EQ(tuple(lagoon->GetAnimalCount(), lagoonPaths.GetAnimals().size(), arena->GetAnimalCount(),
                        lagoon->IsOpen(), arena->IsOpen()),
                  tuple(2, size_t{2}, 1, true, true));
        for (uint32_t i = 0; i < 2; ++i)
        {
            auto* dolphin = dynamic_cast<AnimalObject*>(g_pObjectManager->GetObject(lagoon->GetAnimal(i)));
            ASSERT_NE(dolphin, nullptr);
            EXPECT_EQ(tuple(dolphin->GetState(), lagoonPaths.GetPath(dolphin->GetID()), dolphin->GetPathSlot()),
                      tuple(static_cast<uint32_t>(STATE_ANIMAL_MOVEAROUND), 0, i));
        }
        // They swim: a path carries each one round the lagoon and starts again.
        const ModelObject* path = lagoonPaths.GetPathModel(0, 0);
        ASSERT_NE(path, nullptr);
        frames(10.0f);
        EXPECT_GE(lagoonPaths.GetPath(lagoon->GetAnimal(0)), 0);

        // Four guests, half the arena's capacity (mrvbuildings.pis: 8), start its show: each paid and is on the
        // ride, three seated figures for each in the stands.
        ShowScheduler& show = *arena->GetScheduler();
        CrowdFiller& crowd = *arena->GetCrowd();
        const std::vector<Spectator*> audience = Audience(*arena, 4);
        for (Spectator* guest : audience)
            EXPECT_TRUE(guest->onRide);
        EXPECT_EQ(tuple(arena->GetRide()->GetRiderCount(), arena->GetRide()->IsRunning(), crowd.GetFigureCount()),
                  tuple(4u, true, 12));
        // The dolphin goes to perform at the end of its lap and starts the show; it runs the opening, the three
        // trained moves of the programme (one of two animations) and the closing, each cheered by some of the crowd.
        const uint32_t cheer = crowd.GetAnimations()[1].second;
        std::vector<std::string> played;
        bool cheered = false, started = false;
        for (int i = 0; i < 30 * 90 && !(started && !show.IsShowRunning()); ++i)
        {
            world.Update(1.0f / 30.0f);
            started = started || show.IsShowRunning();
            if (show.GetActor())
            {
                const std::string name = g_ModelManager.GetName(show.GetActor()->GetModel());
                const std::string file = name.substr(name.find_last_of('/') + 1);
                if (played.empty() || played.back() != file)
                    played.push_back(file);
            }
            for (int f = 0; f < crowd.GetFigureCount(); ++f)
                cheered = cheered || crowd.GetFigure(f)->GetCurrentAnimation() == cheer;
        }
        EXPECT_EQ(played, (std::vector<std::string>{"show_start.tm", "jump.tm", "spin_start.tm", "spin_end.tm",
                                                    "wave.tm", "show_end.tm"}));
        EXPECT_TRUE(cheered);
        EXPECT_NEAR(arena->GetShowScore(), 0.083f * 0.75f * 3, 1e-6f);
        // Over: the ride ends and the audience is sent off one by one, leaving the stands empty; the dolphin swims
        // on.
        frames(12.0f);
        for (Spectator* guest : audience)
            EXPECT_TRUE(guest->sentOff);
        auto* performer = dynamic_cast<AnimalObject*>(g_pObjectManager->GetObject(arena->GetAnimal(0)));
        EXPECT_EQ(tuple(arena->GetRide()->IsRunning(), crowd.GetFigureCount(), arena->GetGuestList().size(),
                        performer->GetState()),
                  tuple(false, 0, size_t{0}, static_cast<uint32_t>(STATE_ANIMAL_MOVEAROUND)));

        // Sold, the lagoon goes with its two dolphins, and the player gets what the confirmation offered: 3/4 of
        // the lagoon's cost and 3/4 of each dolphin's (sample-data/src/data/script/mrvbuildings.pis: the lagoon
        // costs 3000; mrvanimals.pis: a dolphin 1200), booked as the day's income from demolitions.
        constexpr float kPaid = 0.75f * 3000.0f + 2 * 0.75f * 1200.0f;
        TextTable texts("data/text_uk.uni");
        platform::WString offer;
        lagoon->GetVariable("BUILDING_CONFIRM_DEMOLISH", offer);
        EXPECT_EQ(platform::WideToUtf8(offer.c_str()),
                  "Sell this building for $" + std::to_string(static_cast<int>(kPaid)) + "?");
        const uint32_t lagoonId = lagoon->GetID(), first = lagoon->GetAnimal(0), second = lagoon->GetAnimal(1);
        const float cash = world.GetPlayer()->Cash, demolished = world.m_fDemolishIncomeToday;
        lagoon->Sell();
        frames(0.5f);
        EXPECT_EQ(tuple(g_pObjectManager->GetObject(lagoonId), g_pObjectManager->GetObject(first),
                        g_pObjectManager->GetObject(second), world.m_fDemolishIncomeToday - demolished),
                  tuple(nullptr, nullptr, nullptr, kPaid));
        // The cash, a float of six figures, keeps the sum to within a few cents.
        EXPECT_NEAR(world.GetPlayer()->Cash - cash, kPaid, 0.05f);
    }
}

TEST_F(AnimalSamplePark, AnimalsWhoseSaleValuesAddUpToNoNumberAreNotPaidForWithTheirBuilding)
{
    World world(nullptr, nullptr, "data/Scenario/QuietPark/QuietPark.pis", false);
    ASSERT_TRUE(world.IsBuilt());
    // A data set's dolphin of the largest cost: each of the lagoon's two is worth 3/4 of it, and the two together
    // more than a float holds. The lagoon (3000) alone is paid for.
    WorldParams& params = *world.GetWorldParams();
    params.GetAnimalInfo(params.FindAnimal("DOLPHIN")).fCost = FLT_MAX;
    BuildingObject* lagoon = Only("LAGOON");
    ASSERT_NE(lagoon, nullptr);
    ASSERT_EQ(lagoon->GetAnimalCount(), 2);
    const float cash = world.GetPlayer()->Cash;
    lagoon->Sell();
    for (int i = 0; i < 15; ++i)
        world.Update(1.0f / 30.0f);
    EXPECT_EQ(tuple(Only("LAGOON"), world.m_fDemolishIncomeToday), tuple(nullptr, 0.75f * 3000.0f));
    EXPECT_NEAR(world.GetPlayer()->Cash - cash, 0.75f * 3000.0f, 0.05f);
}

namespace
{

// The sample park's arena with `guests` seated in its audience (the show starts at four), run on until its show is
// under way when `midShow` asks for it.
void SeatAudience(World& world, int guests, bool midShow, BuildingObject** arenaOut, std::vector<Spectator*>* audience)
{
    BuildingObject* arena = AfterFirstSecond(world, "ARENA");
    ASSERT_NE(arena, nullptr);
    *arenaOut = arena;
    *audience = Audience(*arena, guests);
    ASSERT_EQ(tuple(arena->GetRide()->GetRiderCount(), arena->GetRide()->IsRunning()),
              tuple(static_cast<uint32_t>(guests), guests == 4));
    ShowScheduler& show = *arena->GetScheduler();
    for (int i = 0; i < 30 * 90 && midShow && !show.IsShowRunning(); ++i)
        world.Update(1.0f / 30.0f);
    ASSERT_EQ(show.IsShowRunning(), midShow);
}

// The audiences an arena is sold under: too few for the show to start (it starts at four, half the arena's
// capacity), enough and waiting for it, and watching it.
constexpr struct
{
    int guests;
    bool midShow;
} kSeatedAudiences[] = {{2, false}, {4, false}, {4, true}};

// How many of the audience were sent off.
int SentOff(const std::vector<Spectator*>& audience)
{
    return static_cast<int>(
        std::count_if(audience.begin(), audience.end(), [](const Spectator* g) { return g->sentOff; }));
}

} // namespace

// The arena's only dolphin is sold while an audience sits waiting for its show: too few for the show to start (it
// starts at four, half the arena's capacity), waiting for it to begin, or watching it. A show under way plays to its
// end; one not begun never will: the audience is sent off at once. Either way the arena, with nothing left to show,
// takes nobody more until a new dolphin arrives, which opens it again.
TEST_F(AnimalSamplePark, AnArenaWhosePerformerIsSoldSendsItsAudienceOffAndWaitsForANewOne)
{
    for (const auto& [guests, midShow] : kSeatedAudiences)
    {
        SCOPED_TRACE(std::to_string(guests) + (midShow ? " guests, sold during the show" : " guests, sold before it"));
        World world(nullptr, nullptr, "data/Scenario/QuietPark/QuietPark.pis", false);
        const auto frames = [&](float seconds) { RunFor(world, seconds); };
        BuildingObject* arena = nullptr;
        std::vector<Spectator*> audience;
        ASSERT_NO_FATAL_FAILURE(SeatAudience(world, guests, midShow, &arena, &audience));
        ASSERT_EQ(tuple(arena->GetAnimalCount(), arena->IsOpen()), tuple(1, true));

        // One more waits in the queue.
        Spectator* queued = NewSpectator();
        ASSERT_NE(arena->GetQueue(), nullptr);
        arena->GetQueue()->Join(queued->GetID());

        auto* dolphin = dynamic_cast<AnimalObject*>(g_pObjectManager->GetObject(arena->GetAnimal(0)));
        ASSERT_NE(dolphin, nullptr);
        dolphin->Sell();
        EXPECT_TRUE(arena->GetQueue()->GetGuests().empty()) << "a closed arena keeps no queue";
        frames(60.0f);
        EXPECT_EQ(tuple(SentOff(audience), arena->GetRide()->IsRunning(), arena->GetCrowd()->GetFigureCount(),
                        arena->GetAnimalCount(), arena->IsOpen()),
                  tuple(guests, false, 0, 0, false));

        // A new dolphin for the arena opens it again.
        world.GetPlayer()->Cash = 1e6f;
        arena->AdoptAnimal(0);
        frames(2.0f);
        EXPECT_EQ(tuple(arena->GetAnimalCount(), arena->IsOpen()), tuple(1, true));
    }
}

// The lagoon stays open while it has a dolphin left, and closes with the last one gone.
TEST_F(AnimalSamplePark, AnExhibitClosesOnlyWithItsLastAnimalGone)
{
    World world(nullptr, nullptr, "data/Scenario/QuietPark/QuietPark.pis", false);
    BuildingObject* lagoon = AfterFirstSecond(world, "LAGOON");
    ASSERT_NE(lagoon, nullptr);
    ASSERT_EQ(tuple(lagoon->GetAnimalCount(), lagoon->IsOpen()), tuple(2, true));
    for (const bool openAfter : {true, false})
    {
        auto* dolphin = dynamic_cast<AnimalObject*>(g_pObjectManager->GetObject(lagoon->GetAnimal(0)));
        ASSERT_NE(dolphin, nullptr);
        dolphin->Sell();
        RunFor(world, 1.0f);
        EXPECT_EQ(lagoon->IsOpen(), openAfter) << lagoon->GetAnimalCount() << " dolphins left";
    }
}

// Two guests wait in the arena for others to start its show (at four, half its capacity) when the player closes it,
// or the footpath its queue starts from is bulldozed: nobody more can come, so the show starts for the two there are,
// and they are sent off after it.
TEST_F(AnimalSamplePark, AnArenaClosedWhileItsAudienceWaitsForMoreGivesTheShowToThoseThere)
{
    for (const bool byPlayer : {true, false})
    {
        SCOPED_TRACE(byPlayer ? "closed by the player" : "its footpath bulldozed");
        World world(nullptr, nullptr, "data/Scenario/QuietPark/QuietPark.pis", false);
        BuildingObject* arena = AfterFirstSecond(world, "ARENA");
        ASSERT_NE(arena, nullptr);
        ASSERT_TRUE(arena->IsOpen());
        const std::vector<Spectator*> audience = Audience(*arena, 2);
        ASSERT_EQ(tuple(arena->GetRide()->GetRiderCount(), arena->GetRide()->IsRunning()), tuple(2u, false));
        if (byPlayer)
        {
            arena->Close();
        }
        else
        {
            ASSERT_TRUE(arena->GetQueue()->IsValid());
            const GridPos cell = arena->GetQueue()->GetStartCell();
            ASSERT_TRUE(g_pPathTileSet->RemovePathTile(cell));
            MessageRecord removed;
            removed.dwSender = removed.dwReciever = kNoObjectID;
            removed.dwType = MT_PATH_REMOVED;
            removed.dwFlags = static_cast<uint32_t>(cell.x);
            removed.dwData = static_cast<uint32_t>(cell.y);
            world.SendToAllBuildings(removed);
        }
        ASSERT_FALSE(arena->IsOpen());
        bool shown = false;
        for (int i = 0; i < 30 * 120; ++i)
        {
            world.Update(1.0f / 30.0f);
            shown = shown || arena->GetScheduler()->IsShowRunning();
        }
        int sentOff = 0;
        for (Spectator* guest : audience)
            sentOff += guest->sentOff ? 1 : 0;
        EXPECT_EQ(tuple(shown, sentOff, arena->GetRide()->IsRunning(), arena->GetRide()->GetRiderCount()),
                  tuple(true, 2, false, 0u));
    }
}

// Two dolphins perform in the arena. One of them is playing when an audience sits down, and the other starts the
// show. The show over and its audience sent off, the one that was playing swims on: no show starts again for the
// empty stands.
TEST_F(AnimalSamplePark, ADolphinCalledToAShowThatIsOverStartsNoShowForEmptyStands)
{
    World world(nullptr, nullptr, "data/Scenario/QuietPark/QuietPark.pis", false);
    BuildingObject* arena = AfterFirstSecond(world, "ARENA");
    ASSERT_NE(arena, nullptr);
    world.GetPlayer()->Cash = 1e6f;
    arena->AdoptAnimal(0);
    RunFor(world, 2.0f);
    ASSERT_EQ(arena->GetAnimalCount(), 2);
    auto* playing = dynamic_cast<AnimalObject*>(g_pObjectManager->GetObject(arena->GetAnimal(1)));
    ASSERT_NE(playing, nullptr);
    MessageRecord play;
    play.dwSender = play.dwReciever = playing->GetID();
    play.dwType = MT_STATECHANGE;
    play.dwData = STATE_ANIMAL_PLAY;
    g_pMessageHandler->Send(play);
    ASSERT_EQ(playing->GetState(), static_cast<uint32_t>(STATE_ANIMAL_PLAY));
    const std::vector<Spectator*> audience = Audience(*arena, 4);
    ASSERT_TRUE(arena->GetRide()->IsRunning());
    // Three minutes: the show (well under one) and long after.
    const ShowScheduler& show = *arena->GetScheduler();
    int shows = 0, emptyShows = 0;
    bool running = false;
    for (int i = 0; i < 30 * 180; ++i)
    {
        world.Update(1.0f / 30.0f);
        if (show.IsShowRunning() && !running)
        {
            ++shows;
            emptyShows += arena->GetRide()->GetRiderCount() == 0 ? 1 : 0;
        }
        running = show.IsShowRunning();
    }
    int sentOff = 0;
    for (const Spectator* guest : audience)
        sentOff += guest->sentOff ? 1 : 0;
    EXPECT_EQ(tuple(shows, emptyShows, sentOff, playing->IsShowTime()), tuple(1, 0, 4, false));
}

// The arena is sold while an audience sits in it: too few for the show to start, waiting for the show to begin, or
// watching it. Nobody is left sitting in a building that is going: the audience is sent off and the arena goes
// with its dolphin.
TEST_F(AnimalSamplePark, AnArenaSoldWithAnAudienceInItSendsItOffAndGoes)
{
    for (const auto& [guests, midShow] : kSeatedAudiences)
    {
        SCOPED_TRACE(std::to_string(guests) + (midShow ? " guests, sold during the show" : " guests, sold before it"));
        World world(nullptr, nullptr, "data/Scenario/QuietPark/QuietPark.pis", false);
        BuildingObject* arena = nullptr;
        std::vector<Spectator*> audience;
        ASSERT_NO_FATAL_FAILURE(SeatAudience(world, guests, midShow, &arena, &audience));
        const uint32_t arenaId = arena->GetID(), dolphin = arena->GetAnimal(0);
        arena->Sell();
        RunFor(world, 120.0f);
        EXPECT_EQ(tuple(SentOff(audience), g_pObjectManager->GetObject(arenaId), g_pObjectManager->GetObject(dolphin)),
                  tuple(guests, nullptr, nullptr));
    }
}
