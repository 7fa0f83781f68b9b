// Tests of the object manager: ids, the four pools and their removal orders against a reference model, full pools,
// unknown kinds, and the queries by name and kind.
#include "tests/world/WorldTestSupport.h"

#include "engine/core/SerialStream.h"
#include "platform/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

using namespace worldtest;

namespace
{

std::vector<uint32_t> PoolIds(const ObjectManager& m, ObjectManager::Pool pool)
{
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < m.GetPoolCount(pool); ++i)
        ids.push_back(m.GetPoolObject(pool, i)->GetID());
    return ids;
}

std::vector<uint32_t> Ids(const std::vector<BaseObject*>& objects)
{
    std::vector<uint32_t> ids;
    for (const BaseObject* o : objects)
        ids.push_back(o->GetID());
    return ids;
}

} // namespace

TEST(ObjectIds, CountUpFromZeroAcrossKindsAndAreNeverGivenTwice)
{
    Park park;
    EXPECT_EQ(park.Make(OBJECT_GUEST)->GetID(), 0u);
    EXPECT_EQ(park.Make(OBJECT_BUILDING)->GetID(), 1u);
    EXPECT_EQ(park.Make(OBJECT_LITTER)->GetID(), 2u);
    ASSERT_TRUE(park.objects->RemoveObject(2));
    ASSERT_TRUE(park.objects->RemoveObject(1));
    EXPECT_EQ(park.Make(OBJECT_TABLE)->GetID(), 3u);
    EXPECT_EQ(park.objects->GetNumActiveObjects(), 2u);
    // CreateObject leaves the kind byte and the state to its caller; the name is set; only the kind's low byte
    // counts.
    BaseObject* raw = park.objects->CreateObject("BENCH", OBJECT_SCENERY);
    EXPECT_EQ(std::tuple(raw->GetType(), raw->GetState(), std::string(raw->GetName())),
              std::tuple(uint8_t{0}, uint32_t{STATE_NULL}, std::string("BENCH")));
    EXPECT_EQ(park.objects->GetSlot(park.objects->CreateObject("G", 0x103)->GetID()), 501u);
}

TEST(ObjectIds, RunOutBeforeTheIdsThatStandForThePlayerTheWorldAndNoObject)
{
    Park park;
    // Bring the counter near its end through a save.
    testsupport::TempDir dir;
    const std::string file = dir.File("ids.sav");
    {
        BinarySerialStream out(true, file.c_str());
        out.WriteClassHeader("ObjectManager", 216024);
        for (int i = 0; i < 5; ++i)
            out.WriteUInt("count", 0);
        std::vector<int32_t> ids(ObjectManager::kSlotCount, -1);
        out.WriteIntArray("ids", ids.data(), ObjectManager::kSlotCount);
        out.WriteUInt("next", 0xFFFFFFFB);
        ASSERT_TRUE(out.Close());
    }
    BinarySerialStream in(false, file.c_str());
    ASSERT_TRUE(park.objects->Load(in));
    EXPECT_EQ(park.Make(OBJECT_SCENERY)->GetID(), 0xFFFFFFFBu);
    EXPECT_EQ(park.Make(OBJECT_SCENERY)->GetID(), 0xFFFFFFFCu);
    park.TakeReports();
    // 0xFFFFFFFD sends the player's demolitions past the pause, 0xFFFFFFFE is the World, 0xFFFFFFFF no object.
    EXPECT_EQ(park.objects->CreateObject("S", OBJECT_SCENERY), nullptr);
    EXPECT_EQ(park.objects->CreateObject("G", OBJECT_GUEST), nullptr);
    EXPECT_EQ(park.TakeReports(), (std::vector<std::string>{"ObjectManager::CreateObject - ran out of valid id's",
                                                            "ObjectManager::CreateObject - ran out of valid id's"}));
    EXPECT_EQ(park.objects->GetNumActiveObjects(), 2u);
    for (uint32_t id : {kPlayerDemolishID, kWorldID, kNoObjectID})
        EXPECT_EQ(park.objects->GetObject(id), nullptr);
}

TEST(ObjectPools, FullPoolsRefuseWithAReportAtEveryCreationWhileOtherPoolsGoOn)
{
    // Each pool filled to its capacity: the creation that fills it reports it, a further one is refused with
    // nothing written past the pool and reported again, other kinds are still made (without a word of the full
    // pool), and a removal makes room again.
    const struct
    {
        uint8_t kind, other;
        const char* report;
    } pools[] = {{OBJECT_BUILDING, OBJECT_GUEST, "ran out of slots for building objects"},
                 {OBJECT_GUEST, OBJECT_LITTER, "ran out of slots for guest objects"},
                 {OBJECT_LITTER, OBJECT_SCENERY, "ran out of slots for litter"},
                 {OBJECT_ANIMAL, OBJECT_BUILDING, "ran out of slots for other objects"}};
    for (const auto& p : pools)
    {
        Park park;
        const auto pool = ObjectManager::PoolOfKind(p.kind);
        const uint32_t capacity = ObjectManager::kPoolCapacity[pool];
        for (uint32_t i = 0; i + 1 < capacity; ++i)
            ASSERT_NE(park.objects->CreateObject("X", p.kind), nullptr);
        EXPECT_EQ(park.CountReports(p.report), 0u);
        ASSERT_NE(park.objects->CreateObject("X", p.kind), nullptr);
        EXPECT_EQ(park.CountReports(p.report), 1u);
        EXPECT_EQ(park.objects->CreateObject("X", p.kind), nullptr);
        EXPECT_EQ(park.objects->GetPoolCount(pool), capacity);
        const uint32_t past = ObjectManager::kPoolFirstSlot[pool] + capacity;
        EXPECT_EQ(park.objects->GetSlotID(past), kNoObjectID) << p.report;
        EXPECT_EQ(park.objects->GetNextFreeObjectID(), capacity);
        BaseObject* other = park.objects->CreateObject("Y", p.other);
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(park.objects->GetSlot(other->GetID()),
                  ObjectManager::kPoolFirstSlot[ObjectManager::PoolOfKind(p.other)]);
        EXPECT_EQ(park.CountReports(p.report), 2u);
        ASSERT_TRUE(park.objects->RemoveObject(10));
        EXPECT_NE(park.objects->CreateObject("X", p.kind), nullptr);
    }
    EXPECT_EQ(ObjectManager::kPoolFirstSlot[ObjectManager::POOL_OTHER] +
                  ObjectManager::kPoolCapacity[ObjectManager::POOL_OTHER],
              ObjectManager::kSlotCount);
}

// A park at one pool's limit goes on making the objects of the other pools (guests arriving, litter dropped,
// scenery placed, staff hired) without a message box about the full pool at each of them; a creation into the full
// pool is still refused with the report.
TEST(ObjectPools, AFullPoolIsNoNewsToTheCreationsOfOtherPools)
{
    const uint8_t kinds[] = {OBJECT_SCENERY,  OBJECT_BUILDING, OBJECT_GUEST,     OBJECT_TABLE,  OBJECT_SERVER,
                             OBJECT_MECHANIC, OBJECT_CLEANER,  OBJECT_ZOOKEEPER, OBJECT_ANIMAL, OBJECT_LITTER};
    const struct
    {
        uint8_t kind;
        const char* report;
    } pools[] = {{OBJECT_BUILDING, "ran out of slots for building objects"},
                 {OBJECT_GUEST, "ran out of slots for guest objects"},
                 {OBJECT_LITTER, "ran out of slots for litter"},
                 {OBJECT_SCENERY, "ran out of slots for other objects"}};
    for (const auto& p : pools)
    {
        Park park;
        const auto pool = ObjectManager::PoolOfKind(p.kind);
        while (park.objects->GetPoolCount(pool) < ObjectManager::kPoolCapacity[pool])
            ASSERT_NE(park.objects->CreateObject("X", p.kind), nullptr);
        ASSERT_EQ(park.CountReports(p.report), 1u) << p.report;
        size_t made = 0;
        for (uint8_t kind : kinds)
        {
            if (ObjectManager::PoolOfKind(kind) == pool)
                continue;
            for (int i = 0; i < 3; ++i)
                made += park.objects->CreateObject("Y", kind) != nullptr ? 1 : 0;
        }
        EXPECT_GE(made, size_t{6}) << p.report;
        EXPECT_EQ(park.CountReports(p.report), 1u) << p.report;
        EXPECT_EQ(park.reports.boxes.size(), 1u) << p.report;
        EXPECT_EQ(park.objects->CreateObject("X", p.kind), nullptr) << p.report;
        EXPECT_EQ(park.CountReports(p.report), 2u) << p.report;
    }
}

TEST(ObjectPools, UnknownKindsAndKindsWithoutAClassAreRefused)
{
    Park park;
    EXPECT_EQ(park.objects->CreateObject("X", 0), nullptr);
    EXPECT_EQ(park.objects->CreateObject("X", 11), nullptr);
    EXPECT_EQ(park.CountReports("ObjectManager::CreateObject - unrecognised type for creation"), 2u);
    RegisterObjectKind(OBJECT_ANIMAL, nullptr);
    EXPECT_EQ(park.objects->CreateObject("X", OBJECT_ANIMAL), nullptr);
    EXPECT_EQ(park.CountReports("no class for type 9"), 1u);
    EXPECT_EQ(std::pair(park.objects->GetNumActiveObjects(), park.objects->GetNextFreeObjectID()), std::pair(0u, 0u));
}

TEST(ObjectPools, PoolsStayPackedInTheirOrderThroughRandomCreationsAndRemovals)
{
    Park park;
    platform::SRand(7);
    // The reference: which ids live, and the order of each pool as the rules say it must be: a removed building's
    // successors move down, in the other pools the last object takes the freed slot.
    std::map<uint32_t, uint8_t> live;
    std::vector<uint32_t> reference[ObjectManager::POOL_COUNT];
    const uint8_t kinds[] = {OBJECT_BUILDING, OBJECT_GUEST, OBJECT_LITTER, OBJECT_SCENERY, OBJECT_ANIMAL};
    for (int step = 0; step < 6000; ++step)
    {
        if (live.empty() || platform::Rand() % 3 != 0)
        {
            const uint8_t kind = kinds[platform::Rand() % 5];
            if (Probe* p = park.Make(kind))
            {
                live[p->GetID()] = kind;
                reference[ObjectManager::PoolOfKind(kind)].push_back(p->GetID());
            }
            continue;
        }
        auto it = live.begin();
        std::advance(it, platform::Rand() % live.size());
        const uint32_t id = it->first;
        auto& pool = reference[ObjectManager::PoolOfKind(it->second)];
        const auto at = std::find(pool.begin(), pool.end(), id);
        if (ObjectManager::PoolOfKind(it->second) == ObjectManager::POOL_BUILDING)
            pool.erase(at);
        else
        {
            *at = pool.back();
            pool.pop_back();
        }
        live.erase(it);
        ASSERT_TRUE(park.objects->RemoveObject(id));
        ASSERT_FALSE(park.objects->RemoveObject(id));
    }
    for (uint32_t pool = 0; pool < ObjectManager::POOL_COUNT; ++pool)
    {
        EXPECT_EQ(PoolIds(*park.objects, ObjectManager::Pool(pool)), reference[pool]);
        EXPECT_EQ(park.objects->GetSlotID(ObjectManager::kPoolFirstSlot[pool] + reference[pool].size()), kNoObjectID);
    }
    for (uint32_t id = 0; id < park.objects->GetNextFreeObjectID(); ++id)
    {
        BaseObject* o = park.objects->GetObject(id);
        ASSERT_EQ(o != nullptr, live.count(id) == 1) << id;
        EXPECT_EQ(park.objects->GetSlotID(park.objects->GetSlot(id)), o ? id : kNoObjectID);
    }
    EXPECT_EQ(park.objects->GetNumActiveObjects(), live.size());
    // Removal deletes the object.
    EXPECT_GT(std::count_if(Probe::Journal().begin(), Probe::Journal().end(),
                            [](const std::string& line) { return line.rfind("dtor", 0) == 0; }),
              1000);
}

TEST(ObjectQueries, ByNameAndKindInPoolOrder)
{
    Park park;
    Probe* guest = park.Make(OBJECT_GUEST, "ENTRANCE");
    Probe* other = park.Make(OBJECT_SCENERY, "ENTRANCE");
    Probe* litter = park.Make(OBJECT_LITTER, "ENTRANCE");
    Probe* b1 = park.Make(OBJECT_BUILDING, "ENTRANCE");
    Probe* b2 = park.Make(OBJECT_BUILDING, "EXIT");
    Probe* b3 = park.Make(OBJECT_BUILDING, "ENTRANCE");
    park.Make(OBJECT_GUEST, "entrance");
    EXPECT_EQ(Ids(park.objects->GetObjectsByName("ENTRANCE")),
              (std::vector<uint32_t>{b1->GetID(), b3->GetID(), guest->GetID(), litter->GetID(), other->GetID()}));
    EXPECT_EQ(Ids(park.objects->GetBuildingsByName("ENTRANCE")), (std::vector<uint32_t>{b1->GetID(), b3->GetID()}));
    EXPECT_TRUE(park.objects->GetObjectsByName("ENTR").empty());
    Probe* server = park.Make(OBJECT_SERVER);
    Probe* keeper = park.Make(OBJECT_ZOOKEEPER);
    Probe* mechanic = park.Make(OBJECT_MECHANIC);
    Probe* cleaner = park.Make(OBJECT_CLEANER);
    EXPECT_EQ(park.objects->GetStaffIds(),
              (std::vector<uint32_t>{keeper->GetID(), mechanic->GetID(), cleaner->GetID()}));
    // Pool kinds are their pools, other kinds go by the kind byte over every pool.
    EXPECT_EQ(park.objects->GetIdsOfKind(OBJECT_BUILDING),
              (std::vector<uint32_t>{b1->GetID(), b2->GetID(), b3->GetID()}));
    EXPECT_EQ(park.objects->GetIdsOfKind(OBJECT_SERVER), (std::vector<uint32_t>{server->GetID()}));
    EXPECT_EQ(park.objects->GetIdsOfKind(OBJECT_GUEST).size(), 2u);
    EXPECT_EQ(std::tuple(park.objects->CountObjectsOfKind(OBJECT_BUILDING),
                         park.objects->CountObjectsOfKind(OBJECT_SCENERY),
                         park.objects->CountObjectsOfKind(OBJECT_ANIMAL)),
              std::tuple(3u, 1u, 0u));
    // A query's result is the caller's: a second query and a removal leave it alone.
    std::vector<BaseObject*> first = park.objects->GetObjectsOfKind(OBJECT_BUILDING);
    park.objects->GetObjectsByName("EXIT");
    park.objects->RemoveObject(b1->GetID());
    EXPECT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0], b1);
}

namespace
{

class Panel : public Probe
{
public:
    void ClosePanel() override { m_SelectLevel = 0; }
    void Open() { m_SelectLevel = 2; }
};

} // namespace

TEST(ObjectQueries, ClosePanelsOfKindClosesThatKindOnly)
{
    Park park;
    for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
        RegisterObjectKind(kind, []() -> BaseObject* { return new Panel; });
    std::vector<Panel*> panels;
    for (uint8_t kind : {OBJECT_MECHANIC, OBJECT_SERVER, OBJECT_GUEST, OBJECT_CLEANER, OBJECT_SCENERY})
        panels.emplace_back(static_cast<Panel*>(park.Make(kind)))->Open();
    std::string open;
    for (auto close : {std::function<void()>([&] { park.objects->ClosePanelsOfKind(OBJECT_SERVER); }),
                       std::function<void()>([&] { park.objects->ClosePanelsOfKind(OBJECT_GUEST); }),
                       std::function<void()>([&] { park.objects->CloseStaffPanels(); })})
    {
        close();
        for (Panel* p : panels)
            open += p->GetSelectLevel() ? '1' : '0';
        open += ' ';
    }
    EXPECT_EQ(open, "10111 10011 00001 ");
}
