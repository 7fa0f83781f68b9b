// Tests of the world's save records: the exact items of an object, the message list and the player; a save and
// load and save of a whole manager giving the same bytes; and saves that are cut short or do not hold together.
#include "tests/world/SaveBytes.h"
#include "tests/world/WorldTestSupport.h"

#include "engine/core/SerialStream.h"
#include "world/Player.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

using namespace worldtest;
using namespace savebytes;

namespace
{

// The save record of a static probe, item by item.
void ProbeRecord(Bytes& b, uint8_t kind, const std::string& name, uint32_t id, float x, float y, bool debug = false)
{
    Put(b, {8, 2, 8, 3}); // grid width and height
    for (int i = 0; i < 6; ++i)
        Put(b, {2, uint8_t(i == 1)}); // the six work flags: only "repairing" set
    Put(b, {2, 0});                   // waiting for death
    Text(b, 1, name);
    Tagged(b, 11, id);
    Put(b, {8, kind});
    F32(b, x);
    F32(b, y);
    F32(b, 0.0f);
    Tagged(b, 11, STATE_STARTUP);
    Put(b, {2, 1, 2, uint8_t(debug)}); // visible, debug break
    Tagged(b, 5, 0);                   // select level
    Tagged(b, 5, 2);                   // direction
    Tagged(b, 11, 103);                // no end message
    // The animated part: not animating, the frames and the animation signed, the play type unsigned; then the scene
    // part: six floats, the bone mask and the model handle signed.
    Put(b, {2, 0});
    for (uint8_t tag : {5, 5, 5, 11, 5})
        Tagged(b, tag, 0);
    for (int i = 0; i < 6; ++i)
        F32(b, 0.0f);
    Tagged(b, 5, 0x80000000);
    Tagged(b, 5, 0xFFFFFFFF);
}

// A manager record over the given objects (kind byte, name, id), with its own counts and id list.
struct Entry
{
    uint8_t kind;
    std::string name;
    uint32_t id;
    uint8_t typeByte;
};

Bytes ManagerRecord(const std::vector<Entry> pools[4], uint32_t nextID, int32_t countBias = 0,
                    const std::vector<std::pair<uint32_t, uint32_t>>& idListPatches = {})
{
    Bytes b;
    Text(b, 0, "Class name : ObjectManager");
    Tagged(b, 5, 216024);
    uint32_t total = 0;
    for (int p = 0; p < 4; ++p)
        total += uint32_t(pools[p].size());
    Tagged(b, 11, total + countBias);
    for (int p = 0; p < 4; ++p)
        Tagged(b, 11, uint32_t(pools[p].size()));
    std::vector<uint32_t> ids(18500, 0xFFFFFFFF);
    for (int p = 0; p < 4; ++p)
        for (size_t i = 0; i < pools[p].size(); ++i)
            ids[ObjectManager::kPoolFirstSlot[p] + i] = pools[p][i].id;
    for (auto [slot, id] : idListPatches)
        ids[slot] = id;
    Tagged(b, 6, 18500);
    for (uint32_t id : ids)
        U32(b, id);
    Tagged(b, 11, nextID);
    for (int p = 0; p < 4; ++p)
    {
        for (const Entry& e : pools[p])
        {
            Put(b, {8, e.typeByte});
            Text(b, 1, e.name);
            ProbeRecord(b, e.kind, e.name, e.id, e.name == "NAN" ? std::nanf("") : 32.0f * float(e.id % 16), 64.0f,
                        e.name == "DEBUG");
        }
    }
    return b;
}

// A park with objects of several kinds, some removed, pending messages and a player in debt.
void Populate(Park& park, Player& player)
{
    const uint8_t kinds[] = {OBJECT_BUILDING, OBJECT_GUEST, OBJECT_SCENERY,  OBJECT_LITTER, OBJECT_MECHANIC,
                             OBJECT_GUEST,    OBJECT_TABLE, OBJECT_BUILDING, OBJECT_ANIMAL, OBJECT_LITTER};
    int n = 0;
    for (uint8_t kind : kinds)
    {
        Probe* p = park.Make(kind, ("OBJ" + std::to_string(n)).c_str());
        p->SetWorldPosition({float(n * 40), float(n * 70), 0.0f});
        p->SetDirection(n % 4);
        p->SetGridW(uint8_t(n));
        p->SetRepairing(n % 2 == 1);
        p->SetState(uint32_t(n * 3));
        p->SetAnimationEndMessage(uint32_t(n + 40));
        ++n;
    }
    park.objects->RemoveObject(1);
    park.objects->RemoveObject(0);
    park.Frame(1.5f);
    park.messages->SendDelayed(Record(2, 3, 60, 7), 4.0f);
    MessageRecord r = Record(kWorldID, 5, 65, 9);
    r.dwFlags = 3;
    r.dwData2 = 11;
    r.fData = -2.5f;
    park.messages->SendDelayed(r, 0.25f);
    park.messages->SendDelayed(Record(kWorldID, kWorldID, MT_UPDATERATING), 10.0f);
    player.Cash = -1234.5f;
}

void SaveAll(SerialStream& s, Park& park, Player& player)
{
    park.objects->Dump(s);
    park.messages->Dump(s);
    player.Dump(s);
}

} // namespace

TEST(SaveRecords, AnObjectIsWrittenItemByItemWithItsTags)
{
    Park park;
    Probe* p = park.Make(OBJECT_TABLE, "TABLE_A");
    p->SetGridW(2);
    p->SetGridH(3);
    p->SetRepairing(true);
    p->SetDirection(2);
    p->SetState(STATE_STARTUP);
    p->SetWorldPosition({96.0f, 128.0f, 5.0f});
    Bytes expected;
    ProbeRecord(expected, OBJECT_TABLE, "TABLE_A", 0, 96.0f, 128.0f);
    EXPECT_EQ(Saved([&](SerialStream& s) { p->Dump(s); }), expected);
}

TEST(SaveRecords, MessageListAndPlayerRecordsAreWrittenItemByItem)
{
    Park park;
    park.Frame(2.0f);
    MessageRecord r = Record(1, 2, 3, 4);
    r.dwFlags = 5;
    r.dwData2 = 6;
    r.fData = 0.5f;
    park.messages->SendDelayed(r, 1.0f);
    Bytes expected;
    Text(expected, 0, "Class name : MessageHandler");
    Tagged(expected, 5, 8);
    Tagged(expected, 5, 1);
    for (uint32_t v : {1u, 2u, 3u, 5u, 4u})
        Tagged(expected, 11, v);
    F32(expected, 0.5f);
    F32(expected, 3.0f);
    Tagged(expected, 11, 6);
    EXPECT_EQ(Saved([&](SerialStream& s) { park.messages->Dump(s); }), expected);

    Player player(u"Test Player");
    EXPECT_EQ(player.Cash, 0.0f);
    player.Cash = 25000.0f;
    expected.clear();
    Text(expected, 0, "Class name : Player");
    Tagged(expected, 5, 132);
    Tagged(expected, 7, 11);
    for (char c : std::string("Test Player"))
        Put(expected, {uint8_t(c), 0});
    F32(expected, 25000.0f);
    EXPECT_EQ(Saved([&](SerialStream& s) { player.Dump(s); }), expected);
}

TEST(SaveRecords, AManagerRecordBuiltByHandLoadsIntoItsPoolsAndMapCells)
{
    Park park;
    std::vector<Entry> pools[4];
    pools[0] = {{OBJECT_BUILDING, "SHOP", 4, 2}, {OBJECT_BUILDING, "DEBUG", 2, 2}};
    pools[1] = {{OBJECT_GUEST, "GUEST", 7, 99}}; // the guest pool makes guests whatever the type byte says
    pools[3] = {{OBJECT_ANIMAL, "DOLPHIN", 5, OBJECT_ANIMAL}, {OBJECT_SCENERY, "BENCH", 1, OBJECT_SCENERY}};
    ASSERT_TRUE(LoadFrom(ManagerRecord(pools, 8), [&](SerialStream& s) { return park.objects->Load(s); }));
    EXPECT_EQ(std::tuple(park.objects->GetNumActiveObjects(), park.objects->GetSlot(2), park.objects->GetSlot(7),
                         park.objects->GetSlot(1), std::string(park.objects->GetObject(5)->GetName()),
                         park.objects->GetObject(4)->GetState()),
              std::tuple(5u, 1u, 500u, 2501u, std::string("DOLPHIN"), uint32_t{STATE_STARTUP}));
    // Loaded objects stand in the cell of their saved position.
    EXPECT_TRUE(park.map->GetCell({5, 1})->ContainsObject(park.objects->GetObject(5)));
    // A saved one-shot debug flag is cleared by the next update, and by creation.
    for (bool update : {true, false})
    {
        ASSERT_TRUE(LoadFrom(ManagerRecord(pools, 8), [&](SerialStream& s) { return park.objects->Load(s); }));
        BaseObject* debug = park.objects->GetObject(2);
        ASSERT_TRUE(debug->IsDebugBreak());
        if (update)
            EXPECT_TRUE(debug->Update());
        else
            debug->Create("DEBUG");
        EXPECT_FALSE(debug->IsDebugBreak());
    }
    // The counter goes on from the saved value.
    EXPECT_EQ(park.Make(OBJECT_SCENERY)->GetID(), 8u);
}

TEST(SaveRoundTrip, SaveLoadSaveGivesTheSameBytes)
{
    Bytes first;
    {
        Park park;
        Player player(u"Test Player");
        Populate(park, player);
        first = Saved([&](SerialStream& s) { SaveAll(s, park, player); });
    }
    Park park;
    Player player(u"Someone Else");
    ASSERT_TRUE(LoadFrom(first, [&](SerialStream& s)
                         { return park.objects->Load(s) && park.messages->Load(s) && player.Load(s); }));
    EXPECT_EQ(Saved([&](SerialStream& s) { SaveAll(s, park, player); }), first);
    // What the bytes stand for survived too.
    EXPECT_EQ(std::tuple(player.Cash, std::u16string(player.Name), park.objects->GetObject(0),
                         park.objects->GetNextFreeObjectID(), park.objects->GetPoolCount(ObjectManager::POOL_OTHER)),
              std::tuple(-1234.5f, std::u16string(u"Test Player"), nullptr, 10u, 4u));
    ASSERT_EQ(park.messages->GetPendingMessages().size(), 3u);
    EXPECT_EQ(std::pair(park.messages->GetPendingMessages()[1].fTime, park.messages->GetPendingMessages()[1].dwData2),
              std::pair(1.75f, 11u));
    BaseObject* mechanic = park.objects->GetObject(4);
    ASSERT_NE(mechanic, nullptr);
    EXPECT_EQ(std::pair(mechanic->GetDirection(), mechanic->GetAnimationEndMessage()), std::pair(0, 44u));
    EXPECT_TRUE(park.map->GetCell(WorldMap::WorldToGrid({160.0f, 280.0f, 0.0f}))->ContainsObject(mechanic));
}

TEST(SaveHostile, EveryCutShortSaveFailsCleanly)
{
    Bytes whole;
    {
        Park park;
        Player player(u"Test Player");
        Populate(park, player);
        whole = Saved([&](SerialStream& s) { SaveAll(s, park, player); });
    }
    // Every byte outside the id list, and a sample of the id list's 74,000 bytes.
    const size_t listStart = 31 + 5 + 25, listEnd = listStart + 5 + 4 * ObjectManager::kSlotCount;
    for (size_t cut = 0; cut < whole.size(); cut += (cut > listStart + 8 && cut + 8 < listEnd) ? 1999 : 1)
    {
        Park park;
        Probe* keep = park.Make(OBJECT_GUEST, "KEEP");
        keep->SetWorldPosition({0.0f, 0.0f, 0.0f});
        Player player(u"Keep");
        player.Cash = 5.0f;
        Bytes part(whole.begin(), whole.begin() + cut);
        bool managerOk = false, messagesOk = false, playerOk = false;
        LoadFrom(part,
                 [&](SerialStream& s)
                 {
                     managerOk = park.objects->Load(s);
                     messagesOk = managerOk && park.messages->Load(s);
                     playerOk = messagesOk && player.Load(s);
                     return playerOk;
                 });
        ASSERT_FALSE(playerOk) << cut;
        if (!managerOk)
        {
            // Nothing of the failed load stays: the old object is still the only one, in its cell.
            ASSERT_EQ(park.objects->GetNumActiveObjects(), 1u) << cut;
            ASSERT_EQ(park.objects->GetObject(0), keep) << cut;
            uint32_t inCells = 0;
            for (int y = 0; y < 16; ++y)
            {
                for (int x = 0; x < 16; ++x)
                    inCells += park.map->GetCell({x, y})->CountObjects();
            }
            ASSERT_EQ(inCells, 1u) << cut;
        }
        if (managerOk && !messagesOk)
        {
            ASSERT_TRUE(park.messages->GetPendingMessages().empty()) << cut;
        }
        if (messagesOk)
        {
            ASSERT_EQ(std::u16string(player.Name), u"Keep") << cut;
            ASSERT_EQ(player.Cash, 5.0f) << cut;
        }
        ASSERT_GE(park.reports.boxes.size(), 1u) << cut;
    }
}

TEST(SaveHostile, ManagerRecordsThatDoNotHoldTogetherAreRefused)
{
    const std::vector<Entry> good[4] = {{{OBJECT_BUILDING, "B", 0, 2}}, {}, {}, {{OBJECT_TABLE, "T", 1, 4}}};
    // Each pool, the saved next id, and changes: the total off by one, id-list entries set (slot, id).
    using Pools = std::vector<std::vector<Entry>>;
    const struct
    {
        const char* what;
        Pools pools;
        uint32_t nextID;
        int32_t countBias;
        std::vector<std::pair<uint32_t, uint32_t>> ids;
    } cases[] = {
        {"total that is not the sum", {good[0], {}, {}, good[3]}, 2, 1, {}},
        {"other-pool kind that is a building", {{}, {}, {}, {{OBJECT_BUILDING, "B", 0, 2}}}, 1, 0, {}},
        {"other-pool kind 0", {{}, {}, {}, {{OBJECT_TABLE, "T", 0, 0}}}, 1, 0, {}},
        {"other-pool kind 11", {{}, {}, {}, {{OBJECT_TABLE, "T", 0, 11}}}, 1, 0, {}},
        {"scenery in the guest pool", {{}, {{OBJECT_SCENERY, "S", 0, 3}}, {}, {}}, 1, 0, {}},
        {"kind 255 in the building pool", {{{255, "B", 0, 2}}, {}, {}, {}}, 1, 0, {}},
        {"kind 126 in the litter pool", {{}, {}, {{126, "L", 0, 10}}, {}}, 1, 0, {}},
        {"an animal saved as a table", {{}, {}, {}, {{OBJECT_ANIMAL, "T", 0, OBJECT_TABLE}}}, 1, 0, {}},
        {"object id not in the id list", {good[0], {}, {}, good[3]}, 2, 0, {{2500, 7}}},
        {"repeated id", {{{OBJECT_BUILDING, "B", 0, 2}, {OBJECT_BUILDING, "C", 0, 2}}, {}, {}, {}}, 3, 0, {}},
        {"id at the next free id", {good[0], {}, {}, good[3]}, 1, 0, {}},
        {"next id of the player's demolitions", {good[0], {}, {}, good[3]}, 0xFFFFFFFE, 0, {}},
        {"position that is not a number", {{{OBJECT_BUILDING, "NAN", 0, 2}}, {}, {}, {}}, 1, 0, {}},
    };
    for (const auto& c : cases)
    {
        Park park;
        Probe* keep = park.Make(OBJECT_LITTER, "KEEP");
        const std::vector<Entry> pools[4] = {c.pools[0], c.pools[1], c.pools[2], c.pools[3]};
        EXPECT_FALSE(LoadFrom(ManagerRecord(pools, c.nextID, c.countBias, c.ids),
                              [&](SerialStream& s) { return park.objects->Load(s); }))
            << c.what;
        EXPECT_EQ(std::tuple(park.CountReports("ObjectManager::Load"), park.objects->GetNumActiveObjects(),
                             park.objects->GetObject(0), park.objects->GetNextFreeObjectID()),
                  std::tuple(1u, 1u, keep, 1u))
            << c.what;
    }
    // A building count above the pool: the second count item, 31 + 5 + 5 bytes in, payload after its tag (501).
    Park park;
    Bytes b = ManagerRecord(good, 2);
    b[31 + 5 + 5 + 1] = 0xF5;
    b[31 + 5 + 5 + 2] = 0x01;
    EXPECT_FALSE(LoadFrom(b, [&](SerialStream& s) { return park.objects->Load(s); }));
    // The unaltered record loads, so the cases above fail for their own fault alone; so does one whose ids are
    // all used up.
    EXPECT_TRUE(LoadFrom(ManagerRecord(good, 2), [&](SerialStream& s) { return park.objects->Load(s); }));
    EXPECT_TRUE(LoadFrom(ManagerRecord(good, 0xFFFFFFFD), [&](SerialStream& s) { return park.objects->Load(s); }));
    EXPECT_EQ(park.objects->GetNextFreeObjectID(), 0xFFFFFFFDu);
    // A kind whose class is missing cannot be loaded either.
    Park other;
    RegisterObjectKind(OBJECT_TABLE, nullptr);
    EXPECT_FALSE(LoadFrom(ManagerRecord(good, 2), [&](SerialStream& s) { return other.objects->Load(s); }));
    EXPECT_EQ(other.CountReports("no class"), 1u);
}

TEST(SaveHostile, MessageCountsAreTrustedOnlyAsFarAsTheStreamGoes)
{
    Park park;
    park.messages->SendDelayed(Record(1, 2, 3), 1.0f);
    auto list = [](int32_t count, int records)
    {
        Bytes b;
        Text(b, 0, "Class name : MessageHandler");
        Tagged(b, 5, 8);
        Tagged(b, 5, uint32_t(count));
        for (int i = 0; i < records; ++i)
        {
            for (uint32_t v : {9u, 9u, 9u, 9u, 9u})
                Tagged(b, 11, v);
            F32(b, 1.0f);
            F32(b, 2.0f);
            Tagged(b, 11, 9);
        }
        return b;
    };
    EXPECT_FALSE(LoadFrom(list(0x7FFFFFFF, 2), [&](SerialStream& s) { return park.messages->Load(s); }));
    ASSERT_EQ(park.messages->GetPendingMessages().size(), 1u);
    EXPECT_EQ(std::pair(park.messages->GetPendingMessages()[0].dwType, park.CountReports("MessageHandler::Load")),
              std::pair(3u, size_t{1}));
    // A count below 1 is an empty list.
    EXPECT_TRUE(LoadFrom(list(-5, 0), [&](SerialStream& s) { return park.messages->Load(s); }));
    EXPECT_TRUE(park.messages->GetPendingMessages().empty());
    EXPECT_TRUE(LoadFrom(list(2, 2), [&](SerialStream& s) { return park.messages->Load(s); }));
    EXPECT_EQ(park.messages->GetPendingMessages().size(), 2u);
}

TEST(PlayerAccount, NamesAreCutToSixtyThreeCharacters)
{
    const std::u16string longName(80, u'x');
    Player player(longName.c_str());
    EXPECT_EQ(std::u16string(player.Name), std::u16string(63, u'x'));
    Player none(nullptr);
    EXPECT_EQ(none.Name[0], u'\0');
    // A saved name longer than the field loads cut to fit.
    Bytes b;
    Text(b, 0, "Class name : Player");
    Tagged(b, 5, 132);
    Tagged(b, 7, 70);
    for (int i = 0; i < 70; ++i)
        Put(b, {'y', 0});
    F32(b, -3.0f);
    EXPECT_TRUE(LoadFrom(b, [&](SerialStream& s) { return player.Load(s); }));
    EXPECT_EQ(std::u16string(player.Name), std::u16string(63, u'y'));
    EXPECT_EQ(player.Cash, -3.0f);
    // A record cut short changes nothing and says so.
    testsupport::RecordingReportSink reports;
    b.resize(b.size() - 2);
    EXPECT_FALSE(LoadFrom(b, [&](SerialStream& s) { return player.Load(s); }));
    EXPECT_EQ(player.Cash, -3.0f);
    ASSERT_EQ(reports.boxes.size(), 1u);
    EXPECT_EQ(reports.boxes[0].text, "Player::Load - the saved account is cut short");
}

TEST(PlayerAccount, CashThatIsNoNumberIsRefused)
{
    // Cash that is not a finite number would stop every purchase (or allow every one) for good: such a record is
    // refused with a report, and the account keeps what it had.
    testsupport::RecordingReportSink reports;
    for (const float cash :
         {std::nanf(""), std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()})
    {
        Player player(u"P");
        player.Cash = 120.0f;
        Bytes b;
        Text(b, 0, "Class name : Player");
        Tagged(b, 5, 132);
        Tagged(b, 7, 1);
        Put(b, {'Q', 0});
        F32(b, cash);
        const size_t before = reports.boxes.size();
        EXPECT_FALSE(LoadFrom(b, [&](SerialStream& s) { return player.Load(s); })) << cash;
        EXPECT_EQ(player.Cash, 120.0f) << cash;
        EXPECT_EQ(std::u16string(player.Name), u"P") << cash;
        EXPECT_EQ(reports.boxes.size(), before + 1) << cash;
    }
}
