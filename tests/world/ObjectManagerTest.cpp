// Tests of the object manager: ids, the four pools and their removal orders, full pools, lookups by id against a
// reference model, and the queries by name and kind.
#include "tests/world/WorldTestSupport.h"

#include "engine/core/SerialStream.h"
#include "platform/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    EXPECT_EQ(park.objects->GetNextFreeObjectID(), 4u);
    EXPECT_EQ(park.objects->GetNumActiveObjects(), 2u);
    // CreateObject leaves the kind byte and the state to its caller; the name is set.
    BaseObject* raw = park.objects->CreateObject("BENCH", OBJECT_SCENERY);
    EXPECT_EQ(raw->GetType(), 0u);
    EXPECT_EQ(raw->GetState(), uint32_t{STATE_NULL});
    EXPECT_STREQ(raw->GetName(), "BENCH");
    // Only the low byte of the kind counts.
    BaseObject* guest = park.objects->CreateObject("G", 0x103);
    ASSERT_NE(guest, nullptr);
    EXPECT_EQ(park.objects->GetSlot(guest->GetID()), 501u);
}

TEST(ObjectIds, RunOutBeforeTheIdsOfTheWorldAndOfNoObject)
{
    Park park;
    // Bring the counter near its end through a save: ids stand just below the World's.
    testsupport::TempDir dir;
    const std::string file = dir.File("ids.sav");
    {
        BinarySerialStream out(true, file.c_str());
        out.WriteClassHeader("ObjectManager", 216024);
        for (int i = 0; i < 5; ++i)
            out.WriteUInt("count", 0);
        std::vector<int32_t> ids(ObjectManager::kSlotCount, -1);
        out.WriteIntArray("ids", ids.data(), ObjectManager::kSlotCount);
        out.WriteUInt("next", 0xFFFFFFFC);
        ASSERT_TRUE(out.Close());
    }
    BinarySerialStream in(false, file.c_str());
    ASSERT_TRUE(park.objects->Load(in));
    EXPECT_EQ(park.Make(OBJECT_SCENERY)->GetID(), 0xFFFFFFFCu);
    EXPECT_EQ(park.Make(OBJECT_SCENERY)->GetID(), 0xFFFFFFFDu);
    park.TakeReports();
    EXPECT_EQ(park.Make(OBJECT_SCENERY), nullptr);
    EXPECT_EQ(park.Make(OBJECT_GUEST), nullptr);
    EXPECT_EQ(park.TakeReports(), (std::vector<std::string>{"ObjectManager::CreateObject - ran out of valid id's",
                                                            "ObjectManager::CreateObject - ran out of valid id's"}));
    EXPECT_EQ(park.objects->GetNumActiveObjects(), 2u);
    EXPECT_EQ(park.objects->GetObject(kWorldID), nullptr);
    EXPECT_EQ(park.objects->GetObject(kNoObjectID), nullptr);
}

TEST(ObjectPools, KindsGoToTheirPoolsAndRemovalsKeepThemPacked)
{
    Park park;
    std::vector<uint32_t> b, g, l, o;
    for (int i = 0; i < 3; ++i)
    {
        b.push_back(park.Make(OBJECT_BUILDING)->GetID());
        g.push_back(park.Make(OBJECT_GUEST)->GetID());
        l.push_back(park.Make(OBJECT_LITTER)->GetID());
        o.push_back(park.Make(static_cast<uint8_t>(OBJECT_TABLE + i))->GetID());
    }
    EXPECT_EQ(park.objects->GetSlot(b[2]), 2u);
    EXPECT_EQ(park.objects->GetSlot(g[0]), 500u);
    EXPECT_EQ(park.objects->GetSlot(l[1]), 2001u);
    EXPECT_EQ(park.objects->GetSlot(o[2]), 2502u);

    // The first building goes: the others move down, keeping their order.
    ASSERT_TRUE(park.objects->RemoveObject(b[0]));
    EXPECT_EQ(PoolIds(*park.objects, ObjectManager::POOL_BUILDING), (std::vector<uint32_t>{b[1], b[2]}));
    EXPECT_EQ(park.objects->GetSlot(b[2]), 1u);
    // The first guest goes: the last guest takes its slot.
    ASSERT_TRUE(park.objects->RemoveObject(g[0]));
    EXPECT_EQ(PoolIds(*park.objects, ObjectManager::POOL_GUEST), (std::vector<uint32_t>{g[2], g[1]}));
    EXPECT_EQ(park.objects->GetSlot(g[2]), 500u);
    // The same in the litter and other pools; removing the last one moves nothing.
    ASSERT_TRUE(park.objects->RemoveObject(l[0]));
    ASSERT_TRUE(park.objects->RemoveObject(o[2]));
    ASSERT_TRUE(park.objects->RemoveObject(o[0]));
    EXPECT_EQ(PoolIds(*park.objects, ObjectManager::POOL_LITTER), (std::vector<uint32_t>{l[2], l[1]}));
    EXPECT_EQ(PoolIds(*park.objects, ObjectManager::POOL_OTHER), (std::vector<uint32_t>{o[1]}));
    // Freed slots read empty; a removed id is gone and cannot be removed twice.
    EXPECT_EQ(park.objects->GetSlotID(2), kNoObjectID);
    EXPECT_EQ(park.objects->GetSlotID(501), g[1]);
    EXPECT_EQ(park.objects->GetSlotID(502), kNoObjectID);
    EXPECT_EQ(park.objects->GetObject(g[0]), nullptr);
    EXPECT_FALSE(park.objects->RemoveObject(g[0]));
    EXPECT_EQ(park.objects->GetNumActiveObjects(), 7u);
    // Removal deletes the object.
    EXPECT_NE(std::find(Probe::Journal().begin(), Probe::Journal().end(), "dtor " + std::to_string(o[0])),
              Probe::Journal().end());
}

TEST(ObjectPools, AFullPoolRefusesWhileOtherPoolsGoOn)
{
    Park park;
    for (int i = 0; i < 499; ++i)
        ASSERT_NE(park.Make(OBJECT_BUILDING), nullptr);
    EXPECT_TRUE(park.TakeReports().empty());
    // The 500th fills the pool and says so.
    ASSERT_NE(park.Make(OBJECT_BUILDING), nullptr);
    EXPECT_EQ(park.TakeReports(),
              (std::vector<std::string>{"ObjectManager::CreateObject - ran out of slots for building objects"}));
    // A 501st is refused with nothing written past the pool: the first guest slot stays free.
    EXPECT_EQ(park.Make(OBJECT_BUILDING), nullptr);
    EXPECT_EQ(park.objects->GetPoolCount(ObjectManager::POOL_BUILDING), 500u);
    EXPECT_EQ(park.objects->GetSlotID(500), kNoObjectID);
    EXPECT_EQ(park.objects->GetNextFreeObjectID(), 500u);
    park.TakeReports();
    // Other kinds are still made, each creation reminding that the building pool is full.
    Probe* guest = park.Make(OBJECT_GUEST);
    ASSERT_NE(guest, nullptr);
    EXPECT_EQ(guest->GetID(), 500u);
    EXPECT_EQ(park.objects->GetSlot(500), 500u);
    EXPECT_EQ(park.TakeReports(),
              (std::vector<std::string>{"ObjectManager::CreateObject - ran out of slots for building objects"}));
    // Once a building goes there is room again.
    ASSERT_TRUE(park.objects->RemoveObject(10));
    EXPECT_NE(park.Make(OBJECT_BUILDING), nullptr);

    for (int i = 0; i < 500; ++i)
        ASSERT_NE(park.Make(OBJECT_LITTER), nullptr);
    park.TakeReports();
    EXPECT_EQ(park.Make(OBJECT_LITTER), nullptr);
    EXPECT_EQ(park.TakeReports(),
              (std::vector<std::string>{"ObjectManager::CreateObject - ran out of slots for litter"}));
    EXPECT_EQ(park.objects->GetSlotID(2500), kNoObjectID);
}

TEST(ObjectPools, TheGuestAndOtherPoolsHoldTheirCapacityAndNoMore)
{
    Park park;
    for (uint32_t i = 0; i < ObjectManager::kPoolCapacity[ObjectManager::POOL_GUEST]; ++i)
        ASSERT_NE(park.Make(OBJECT_GUEST), nullptr);
    EXPECT_EQ(park.Make(OBJECT_GUEST), nullptr);
    EXPECT_EQ(park.CountReports("ran out of slots for guest objects"), 2u);
    for (uint32_t i = 0; i < 16000; ++i)
        ASSERT_NE(park.objects->CreateObject("S", OBJECT_SCENERY), nullptr);
    EXPECT_EQ(park.objects->GetSlot(park.objects->GetNextFreeObjectID() - 1), 18499u);
    park.TakeReports();
    EXPECT_EQ(park.objects->CreateObject("S", OBJECT_ANIMAL), nullptr);
    EXPECT_EQ(park.TakeReports(),
              (std::vector<std::string>{"ObjectManager::CreateObject - ran out of slots for other objects"}));
}

TEST(ObjectPools, UnknownKindsAndKindsWithoutAClassAreRefused)
{
    Park park;
    EXPECT_EQ(park.objects->CreateObject("X", 0), nullptr);
    EXPECT_EQ(park.objects->CreateObject("X", 11), nullptr);
    EXPECT_EQ(park.TakeReports(),
              (std::vector<std::string>{"ObjectManager::CreateObject - unrecognised type for creation",
                                        "ObjectManager::CreateObject - unrecognised type for creation"}));
    RegisterObjectKind(OBJECT_ANIMAL, nullptr);
    EXPECT_EQ(park.objects->CreateObject("X", OBJECT_ANIMAL), nullptr);
    EXPECT_EQ(park.CountReports("no class for type 9"), 1u);
    EXPECT_EQ(park.objects->GetNumActiveObjects(), 0u);
    EXPECT_EQ(park.objects->GetNextFreeObjectID(), 0u);
}

TEST(ObjectLookup, FindsEveryObjectByIdThroughRandomCreationsAndRemovals)
{
    Park park;
    platform::SRand(7);
    // The reference: which ids live, and the order of each pool as the rules say it must be.
    std::map<uint32_t, uint8_t> live;
    std::vector<uint32_t> reference[ObjectManager::POOL_COUNT];
    const uint8_t kinds[] = {OBJECT_BUILDING, OBJECT_GUEST, OBJECT_LITTER, OBJECT_SCENERY, OBJECT_ANIMAL};
    for (int step = 0; step < 6000; ++step)
    {
        if (live.empty() || platform::Rand() % 3 != 0)
        {
            const uint8_t kind = kinds[platform::Rand() % 5];
            Probe* p = park.Make(kind);
            if (!p)
                continue;
            live[p->GetID()] = kind;
            reference[ObjectManager::PoolOfKind(kind)].push_back(p->GetID());
        }
        else
        {
            auto it = live.begin();
            std::advance(it, platform::Rand() % live.size());
            const uint32_t id = it->first;
            auto& pool = reference[ObjectManager::PoolOfKind(it->second)];
            const size_t at = std::find(pool.begin(), pool.end(), id) - pool.begin();
            if (ObjectManager::PoolOfKind(it->second) == ObjectManager::POOL_BUILDING)
                pool.erase(pool.begin() + at);
            else
            {
                pool[at] = pool.back();
                pool.pop_back();
            }
            live.erase(it);
            ASSERT_TRUE(park.objects->RemoveObject(id));
        }
    }
    for (uint32_t pool = 0; pool < ObjectManager::POOL_COUNT; ++pool)
        EXPECT_EQ(PoolIds(*park.objects, ObjectManager::Pool(pool)), reference[pool]);
    for (uint32_t id = 0; id < park.objects->GetNextFreeObjectID(); ++id)
    {
        BaseObject* o = park.objects->GetObject(id);
        if (live.count(id))
        {
            ASSERT_NE(o, nullptr);
            EXPECT_EQ(o->GetID(), id);
            EXPECT_EQ(park.objects->GetSlotID(park.objects->GetSlot(id)), id);
        }
        else
            EXPECT_EQ(o, nullptr) << id;
    }
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
    EXPECT_EQ(Ids(park.objects->GetStaffObjects()),
              (std::vector<uint32_t>{keeper->GetID(), mechanic->GetID(), cleaner->GetID()}));
    EXPECT_EQ(park.objects->GetStaffIds(), Ids(park.objects->GetStaffObjects()));
    // Pool kinds are their pools, other kinds go by the kind byte over every pool.
    EXPECT_EQ(Ids(park.objects->GetObjectsOfKind(OBJECT_BUILDING)),
              (std::vector<uint32_t>{b1->GetID(), b2->GetID(), b3->GetID()}));
    EXPECT_EQ(Ids(park.objects->GetObjectsOfKind(OBJECT_SERVER)), (std::vector<uint32_t>{server->GetID()}));
    EXPECT_EQ(park.objects->GetIdsOfKind(OBJECT_GUEST).size(), 2u);
    EXPECT_EQ(park.objects->CountObjectsOfKind(OBJECT_BUILDING), 3u);
    EXPECT_EQ(park.objects->CountObjectsOfKind(OBJECT_SCENERY), 1u);
    EXPECT_EQ(park.objects->CountObjectsOfKind(OBJECT_ANIMAL), 0u);
    // A query's result is the caller's: a second query and a removal leave it alone.
    std::vector<BaseObject*> first = park.objects->GetObjectsOfKind(OBJECT_BUILDING);
    park.objects->GetObjectsByName("EXIT");
    park.objects->RemoveObject(guest->GetID());
    EXPECT_EQ(Ids(first), (std::vector<uint32_t>{b1->GetID(), b2->GetID(), b3->GetID()}));
}

namespace
{

class Panel : public Probe
{
public:
    void Open() { m_SelectLevel = 2; }
    void ClosePanel() override { m_SelectLevel = 0; }
};

} // namespace

TEST(ObjectQueries, ClosePanelsOfKindClosesThatKindOnly)
{
    Park park;
    for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
        RegisterObjectKind(kind, []() -> BaseObject* { return new Panel; });
    std::vector<Panel*> panels;
    for (uint8_t kind : {OBJECT_MECHANIC, OBJECT_SERVER, OBJECT_GUEST, OBJECT_CLEANER, OBJECT_SCENERY})
    {
        panels.push_back(static_cast<Panel*>(park.Make(kind)));
        panels.back()->Open();
    }
    auto levels = [&]
    {
        std::vector<int32_t> v;
        for (Panel* p : panels)
            v.push_back(p->GetSelectLevel());
        return v;
    };
    park.objects->ClosePanelsOfKind(OBJECT_SERVER);
    EXPECT_EQ(levels(), (std::vector<int32_t>{2, 0, 2, 2, 2}));
    park.objects->ClosePanelsOfKind(OBJECT_GUEST);
    EXPECT_EQ(levels(), (std::vector<int32_t>{2, 0, 0, 2, 2}));
    park.objects->CloseStaffPanels();
    EXPECT_EQ(levels(), (std::vector<int32_t>{0, 0, 0, 0, 2}));
}
