// Tests of object creation by request: each kind of request makes its object where it asks, starts it and answers
// the requester; bad requests are refused whole; the litter limit; requests made while paused; and the World's
// other control messages.
#include "tests/world/ParkTestSupport.h"
#include "tests/world/SaveBytes.h"

#include "world/GameShell.h"
#include "world/StaticObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <tuple>

using parktest::RecordingPark;
using parktest::Scenario;
using worldtest::Probe;

namespace
{

struct BuiltPark
{
    BuiltPark() : world(nullptr, nullptr, scenario.WriteStandardWorldFile().c_str(), false)
    {
        requester = static_cast<Probe*>(g_pObjectManager->CreateObject("ASKER", OBJECT_SCENERY));
        requester->SetType(OBJECT_SCENERY);
        Probe::Delivered().clear();
    }

    // Sends the request from the requester; the new object, or null when none was made.
    template <typename Request> BaseObject* Ask(uint32_t kind, const Request& request)
    {
        const uint32_t before = g_pObjectManager->GetNextFreeObjectID();
        const bool made = g_pMessageHandler->SendToWorld(CreationRecord(kind, requester->GetID()), &request);
        BaseObject* object = g_pObjectManager->GetObject(before);
        EXPECT_EQ(made, object != nullptr);
        return made ? object : nullptr;
    }
    // The data of the messages of a type delivered to a receiver.
    static std::vector<uint32_t> DataOf(uint32_t receiver, uint32_t type)
    {
        std::vector<uint32_t> data;
        for (const worldtest::Seen& seen : Probe::Delivered())
        {
            if (seen.receiver == receiver && seen.type == type)
                data.push_back(seen.data);
        }
        return data;
    }

    Scenario scenario;
    RecordingPark park;
    testsupport::RecordingReportSink reports;
    World world;
    Probe* requester = nullptr;
};

template <typename Request> Request Named(const char* keyword)
{
    Request request;
    std::strncpy(request.szKeyword, keyword, sizeof request.szKeyword - 1);
    return request;
}

} // namespace

TEST(WorldCreation, EveryKindOfRequestMakesItsObjectStartsItAndAnswersTheRequester)
{
    BuiltPark p;
    auto bench = Named<SceneryCreationRequest>("BENCH");
    bench.iGridX = 5;
    bench.iGridY = 7;
    bench.bHasDirection = 1;
    bench.bDirection = 3;
    auto bare = bench;
    bare.bHasDirection = 0;
    auto woman = Named<GuestCreationRequest>("WOMAN");
    woman.position = {300.0f, 700.0f, 0.0f};
    woman.bStartsAtEntrance = 0;
    auto man = Named<GuestCreationRequest>("MAN");
    man.position = {300.0f, 700.0f, 0.0f};
    auto table = Named<TableCreationRequest>("TABLE");
    std::strcpy(table.szModel, "table_a");
    table.position = {64.0f, 64.0f, 0.0f};
    auto server = Named<ServerCreationRequest>("SERVE1");
    server.position = {96.0f, 128.0f, 0.0f};
    auto animal = Named<AnimalCreationRequest>("DOLPHIN");
    animal.position = {640.0f, 1280.0f, 0.0f};
    animal.iDirection = 2;
    auto litter = Named<LitterCreationRequest>("LITTER_1");
    litter.iGridX = litter.iGridY = 127;
    auto staff = Named<StaffCreationRequest>("MECHANIC");
    staff.dwBuilding = 1;
    // Each object where it asked (a cell's corner is 32 map units per cell along x and 64 along y), with its kind
    // and direction, started through a state change and announced to the requester, in the order they were made.
    const std::tuple<BaseObject*, uint8_t, float, float, int, uint32_t> made[] = {
        {p.Ask(OBJECT_SCENERY, bench), OBJECT_SCENERY, 160.0f, 448.0f, 3, STATE_STARTUP},
        {p.Ask(OBJECT_SCENERY, bare), OBJECT_SCENERY, 160.0f, 448.0f, 0, STATE_STARTUP},
        {p.Ask(OBJECT_GUEST, woman), OBJECT_GUEST, 300.0f, 700.0f, 0, STATE_STARTUP_NO_ENTRANCE},
        {p.Ask(OBJECT_GUEST, man), OBJECT_GUEST, 300.0f, 700.0f, 0, STATE_STARTUP},
        {p.Ask(OBJECT_TABLE, table), OBJECT_TABLE, 64.0f, 64.0f, 0, STATE_STARTUP},
        {p.Ask(OBJECT_SERVER, server), OBJECT_SERVER, 96.0f, 128.0f, 0, STATE_STARTUP},
        {p.Ask(OBJECT_ANIMAL, animal), OBJECT_ANIMAL, 640.0f, 1280.0f, 2, STATE_STARTUP},
        {p.Ask(OBJECT_LITTER, litter), OBJECT_LITTER, 127.0f * 32, 127.0f * 64, 0, STATE_STARTUP},
        {p.Ask(OBJECT_MECHANIC, staff), OBJECT_MECHANIC, 0.0f, 0.0f, 0, STATE_STARTUP},
        {p.Ask(OBJECT_CLEANER, staff), OBJECT_CLEANER, 0.0f, 0.0f, 0, STATE_STARTUP},
        {p.Ask(OBJECT_ZOOKEEPER, staff), OBJECT_ZOOKEEPER, 0.0f, 0.0f, 0, STATE_STARTUP},
    };
    std::vector<uint32_t> ids;
    for (const auto& [object, kind, x, y, direction, state] : made)
    {
        ASSERT_NE(object, nullptr) << int{kind};
        ids.push_back(object->GetID());
        const bool placed = kind < OBJECT_MECHANIC || kind > OBJECT_ZOOKEEPER;
        EXPECT_EQ(std::tuple(object->GetType(), placed ? object->GetWorldPosition().x : x,
                             placed ? object->GetWorldPosition().y : y, object->GetDirection(),
                             BuiltPark::DataOf(object->GetID(), MT_STATECHANGE)),
                  std::tuple(kind, x, y, direction, std::vector<uint32_t>{state}))
            << int{kind};
    }
    EXPECT_EQ(BuiltPark::DataOf(p.requester->GetID(), MT_OBJECTCREATED), ids);
    EXPECT_EQ(p.world.m_NumGuests, 2);
    // The park class had its say on each.
    ASSERT_EQ(p.park.setUps.size(), 11u);
    EXPECT_EQ(p.park.setUps[3], std::make_pair(ids[3], uint8_t{OBJECT_GUEST}));
}

TEST(WorldCreation, ABuildingTakesItsFootprintTurnedByItsRotationAndBecomesTheLastBuilding)
{
    BuiltPark p;
    // The 2 x 3 kiosk at a corner cell, turned: odd turns swap its width and height, and the footprint must fit
    // the 128 x 128 map (2 wide at x 126 ends on the last column, at 127 it would not).
    const std::tuple<int32_t, int32_t, int32_t, bool, int, int> rows[] = {
        {10, 20, 1, true, 3, 2},           {10, 20, 2, true, 2, 3},    {126, 125, 0, true, 2, 3},
        {127, 125, 0, false, 0, 0},        {126, 126, 0, false, 0, 0}, {125, 126, 3, true, 3, 2},
        {0x7FFFFFFF, 126, 3, false, 0, 0},
    };
    int built = 0;
    for (const auto& [x, y, rotation, fits, w, h] : rows)
    {
        auto kiosk = Named<BuildingCreationRequest>("KIOSK");
        kiosk.iGridX = x;
        kiosk.iGridY = y;
        kiosk.iRotation = rotation;
        auto* made = dynamic_cast<StaticObject*>(p.Ask(OBJECT_BUILDING, kiosk));
        ASSERT_EQ(made != nullptr, fits) << x << " " << y << " " << rotation;
        if (!made)
            continue;
        ++built;
        EXPECT_EQ(std::tuple(made->GetGridW(), made->GetGridH(), made->GetDirection(), made->GetWorldPosition().x,
                             made->GetWorldPosition().y, p.world.GetLastCreatedBuilding(), p.world.m_NumBuildings),
                  std::tuple(w, h, rotation, 32.0f * x, 64.0f * y, made, built));
    }
}

TEST(WorldCreation, BadRequestsAreRefusedWithAReportAndLeaveNothingBehind)
{
    BuiltPark p;
    const uint32_t objectsBefore = g_pObjectManager->GetNumActiveObjects();
    auto bench = Named<SceneryCreationRequest>("BENCH");
    std::vector<std::function<BaseObject*()>> bad;
    // Cells off the map; keywords unknown, empty or without an end; rotations beyond a quarter turn's range; a
    // model name without an end.
    for (const auto& [keyword, x, y] :
         {std::tuple("BENCH", 128, 0), {"BENCH", 0, -1}, {"NO_SUCH_THING", 0, 0}, {"", 0, 0}, {nullptr, 0, 0}})
    {
        auto request = bench;
        if (!keyword)
            std::memset(request.szKeyword, 'A', sizeof request.szKeyword);
        else
            std::strcpy(request.szKeyword, keyword);
        request.iGridX = x;
        request.iGridY = y;
        bad.push_back([&p, request] { return p.Ask(OBJECT_SCENERY, request); });
    }
    auto woman = Named<GuestCreationRequest>("WOMAN");
    woman.position = {-40.0f, 10.0f, 0.0f};
    bad.push_back([&] { return p.Ask(OBJECT_GUEST, woman); });
    bad.push_back([&] { return p.Ask(OBJECT_GUEST, Named<GuestCreationRequest>("MARTIAN")); });
    for (int32_t rotation : {-1, 4})
    {
        auto kiosk = Named<BuildingCreationRequest>("KIOSK");
        kiosk.iRotation = rotation;
        bad.push_back([&p, kiosk] { return p.Ask(OBJECT_BUILDING, kiosk); });
    }
    auto litter = Named<LitterCreationRequest>("LITTER_1");
    litter.iGridY = 128;
    bad.push_back([&] { return p.Ask(OBJECT_LITTER, litter); });
    auto animal = Named<AnimalCreationRequest>("DOLPHIN");
    animal.position = {0.0f, 64.0f * 128.0f, 0.0f};
    bad.push_back([&] { return p.Ask(OBJECT_ANIMAL, animal); });
    auto table = Named<TableCreationRequest>("TABLE");
    std::memset(table.szModel, 'M', sizeof table.szModel);
    bad.push_back([&] { return p.Ask(OBJECT_TABLE, table); });
    // Positions that are no number stand on no cell, whichever coordinate is broken.
    for (const platform::Vec3& position : {platform::Vec3{std::nanf(""), 64.0f, 0.0f}, {32.0f, std::nanf(""), 0.0f}})
    {
        auto guest = Named<GuestCreationRequest>("MAN");
        guest.position = position;
        bad.push_back([&p, guest] { return p.Ask(OBJECT_GUEST, guest); });
        auto server = Named<ServerCreationRequest>("SERVE1");
        server.position = position;
        bad.push_back([&p, server] { return p.Ask(OBJECT_SERVER, server); });
        auto dolphin = Named<AnimalCreationRequest>("DOLPHIN");
        dolphin.position = position;
        bad.push_back([&p, dolphin] { return p.Ask(OBJECT_ANIMAL, dolphin); });
        auto placed = Named<TableCreationRequest>("TABLE");
        std::strcpy(placed.szModel, "table_a");
        placed.position = position;
        bad.push_back([&p, placed] { return p.Ask(OBJECT_TABLE, placed); });
    }
    for (size_t i = 0; i < bad.size(); ++i)
        EXPECT_EQ(bad[i](), nullptr) << i;
    // Kinds outside 1 to 10; a request its class turns down is taken back out of the pool.
    for (uint32_t kind : {0u, 11u, 0x103u})
        EXPECT_FALSE(g_pMessageHandler->SendToWorld(CreationRecord(kind), &bench));
    p.park.acceptSetUp = false;
    EXPECT_EQ(p.Ask(OBJECT_GUEST, Named<GuestCreationRequest>("MAN")), nullptr);

    EXPECT_EQ(std::tuple(g_pObjectManager->GetNumActiveObjects(), p.world.m_NumGuests, p.world.m_NumBuildings,
                         g_pObjectManager->GetPoolCount(ObjectManager::POOL_GUEST)),
              std::tuple(objectsBefore, 0, 0, 0u));
    EXPECT_TRUE(BuiltPark::DataOf(p.requester->GetID(), MT_OBJECTCREATED).empty());
    // Every refusal was said, none as a message box.
    size_t refusals = 0;
    for (size_t at = p.reports.debug.find("refused"); at != std::string::npos;
         at = p.reports.debug.find("refused", at + 1))
        ++refusals;
    EXPECT_EQ(refusals, bad.size() + 3u + 1u);
    EXPECT_TRUE(p.reports.boxes.empty());
}

TEST(WorldCreation, ThePark490thLitterIsTheLast)
{
    BuiltPark p;
    auto litter = Named<LitterCreationRequest>("LITTER_1");
    for (int i = 0; i < 489; ++i)
    {
        litter.iGridX = i % 128;
        litter.iGridY = i / 128;
        ASSERT_TRUE(g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_LITTER), &litter));
    }
    EXPECT_NE(p.Ask(OBJECT_LITTER, litter), nullptr);
    Probe::Delivered().clear();
    EXPECT_EQ(p.Ask(OBJECT_LITTER, litter), nullptr);
    EXPECT_EQ(g_pObjectManager->CountObjectsOfKind(OBJECT_LITTER), 490u);
    EXPECT_TRUE(Probe::Delivered().empty());
    // The limit is silent: it is an everyday state of a busy park.
    EXPECT_EQ(p.reports.debug.find("LITTER_1"), std::string::npos);
}

TEST(WorldCreation, ARequestWhilePausedStartsTheObjectAtOnceButItsAnswerWaitsForTheClock)
{
    BuiltPark p;
    p.world.SetPaused(true);
    auto guest = Named<GuestCreationRequest>("MAN");
    BaseObject* man = p.Ask(OBJECT_GUEST, guest);
    ASSERT_NE(man, nullptr);
    EXPECT_TRUE(p.world.IsPaused());
    EXPECT_EQ(BuiltPark::DataOf(man->GetID(), MT_STATECHANGE), std::vector<uint32_t>{STATE_STARTUP});
    EXPECT_TRUE(BuiltPark::DataOf(p.requester->GetID(), MT_OBJECTCREATED).empty());
    p.world.Update(1.0f);
    EXPECT_TRUE(BuiltPark::DataOf(p.requester->GetID(), MT_OBJECTCREATED).empty());
    p.world.SetPaused(false);
    p.world.Update(0.1f);
    EXPECT_EQ(BuiltPark::DataOf(p.requester->GetID(), MT_OBJECTCREATED), std::vector<uint32_t>{man->GetID()});
}

// A game shell that keeps the scenarios it was told to unlock.
class UnlockingShell : public GameShell
{
public:
    UnlockingShell() { SetGameShell(this); }
    ~UnlockingShell() override { SetGameShell(nullptr); }
    float GetObjectDetail() const override { return 1.0f; }
    void CompleteScenario(uint32_t next) override { unlocked.push_back(next); }
    std::vector<uint32_t> unlocked;
};

TEST(WorldCreation, ControlMessagesRemoveObjectsAndEverythingElseIsTaken)
{
    BuiltPark p;
    UnlockingShell shell;
    p.world.HandleMessage(worldtest::Record(kWorldID, kWorldID, MT_UNLOCK_SCENARIO, 4), nullptr);
    EXPECT_EQ(shell.unlocked, std::vector<uint32_t>{4});
    auto guest = Named<GuestCreationRequest>("MAN");
    BaseObject* man = p.Ask(OBJECT_GUEST, guest);
    const uint32_t id = man->GetID();
    for (uint32_t type : {uint32_t{MT_OBJECTCREATED}, uint32_t{MT_STATECHANGE}, uint32_t{MT_UNLOCK_SCENARIO}, 33u})
        EXPECT_TRUE(p.world.HandleMessage(worldtest::Record(id, kWorldID, type, 1), nullptr));
    EXPECT_NE(g_pObjectManager->GetObject(id), nullptr);
    // A kill naming no object is taken and ignored.
    for (uint32_t victim : {id + 100, id})
        EXPECT_TRUE(p.world.HandleMessage(worldtest::Record(id, kWorldID, MT_KILLOBJECT, victim), nullptr));
    EXPECT_EQ(p.world.m_NumGuests, 1);
    p.world.Update(0.1f);
    EXPECT_EQ(g_pObjectManager->GetObject(id), nullptr);
    EXPECT_EQ(p.world.m_NumGuests, 0);
}

TEST(WorldCreation, ASavedObjectListMustFitItsPools)
{
    // 500 buildings and one more object of the building kind saved in the guests' pool: refused for its kind. Counted
    // as a 501st building instead (the total and the id list still agree), every kind fits its pool but the list
    // would run into the guests' slots: refused for the count.
    worldtest::Park park;
    for (int i = 0; i < 501; ++i)
        park.Make(i < 500 ? OBJECT_BUILDING : OBJECT_GUEST, "B")->SetType(OBJECT_BUILDING);
    park.TakeReports();
    savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); });
    const auto load = [&](const savebytes::Bytes& bytes)
    {
        worldtest::Park other;
        const bool loaded = savebytes::LoadFrom(bytes, [&](SerialStream& s) { return other.objects->Load(s); });
        return std::tuple(loaded, other.objects->GetPoolCount(ObjectManager::POOL_BUILDING));
    };
    EXPECT_EQ(load(saved), std::tuple(false, 0u));
    // The counts follow the class banner (31 bytes) and the size (5): the total, then buildings and guests, each
    // a tag and four bytes.
    saved[31 + 5 + 5 + 1] = 0xF5; // 501 buildings
    saved[31 + 5 + 10 + 1] = 0;   // no guests
    EXPECT_EQ(load(saved), std::tuple(false, 0u));
}

TEST(WorldCreation, ARefusedBuildingRequestLeavesNoLastBuilding)
{
    // After a kiosk is made, each of these requests is refused: an animal adopted next has no building to go to,
    // not the kiosk made before.
    const struct
    {
        const char* what;
        const char* keyword;
        int32_t x, y, rotation;
        bool refusedByClass;
    } cases[] = {
        {"footprint off the map", "KIOSK", 127, 125, 0, false},
        {"unknown keyword", "KIOSKK", 10, 10, 0, false},
        {"rotation out of range", "KIOSK", 10, 10, 4, false},
        {"turned down by its class", "KIOSK", 10, 10, 0, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        BuiltPark p;
        auto kiosk = Named<BuildingCreationRequest>("KIOSK");
        kiosk.iGridX = 40;
        kiosk.iGridY = 40;
        BaseObject* made = p.Ask(OBJECT_BUILDING, kiosk);
        ASSERT_NE(made, nullptr);
        ASSERT_EQ(p.world.GetLastCreatedBuilding(), made);
        auto request = Named<BuildingCreationRequest>(c.keyword);
        request.iGridX = c.x;
        request.iGridY = c.y;
        request.iRotation = c.rotation;
        p.park.acceptSetUp = !c.refusedByClass;
        EXPECT_EQ(p.Ask(OBJECT_BUILDING, request), nullptr);
        EXPECT_EQ(p.world.GetLastCreatedBuilding(), nullptr);
        // The next building made is the last again.
        p.park.acceptSetUp = true;
        kiosk.iGridX = 50;
        BaseObject* next = p.Ask(OBJECT_BUILDING, kiosk);
        ASSERT_NE(next, nullptr);
        EXPECT_EQ(p.world.GetLastCreatedBuilding(), next);
    }
}
