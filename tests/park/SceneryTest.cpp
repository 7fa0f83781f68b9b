// Tests of scenery: bench seats (a seat for each of two guests, none for a third, nothing given up that was never
// taken), the bin's FULL threshold and its one cleaning request, the footprint turned with the item, the litter an
// item sweeps away, demolition and its refund (a bench's sitter put back on the ground), the panel's keywords, and the
// save record (guests sitting on a bench sit on it again in the park loaded, a seat held for a guest gone is free).
#include "engine/core/SerialStream.h"
#include "engine/render/Scene.h"
#include "park/CleaningManager.h"
#include "scripts/ObjectStates.h"
#include "tests/park/GuestTestSupport.h"
#include "tests/world/SaveBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <tuple>
#include <vector>

using namespace guesttest;

namespace
{

// The cells whose object lists hold the item.
std::set<std::pair<int, int>> CellsHolding(GuestPark& park, const BaseObject* item)
{
    std::set<std::pair<int, int>> cells;
    for (uint32_t i = 0; i < park.map->GetCellCount(); ++i)
    {
        const MapCell& cell = park.map->CellAt(i);
        if (cell.ContainsObject(item))
            cells.insert({cell.m_x, cell.m_y});
    }
    return cells;
}

TEST(Scenery, ABenchSeatsTwoGuestsAndIgnoresWhatDoesNotFit)
{
    GuestPark park(48);
    Scenery* bench = park.Item("BENCH", 4, 7);
    ASSERT_EQ(bench->GetState(), uint32_t{STATE_NULL});
    WatchedGuest* guests[3] = {park.Guest(150.0f, 480.0f), park.Guest(150.0f, 480.0f), park.Guest(150.0f, 480.0f)};
    Scene& scene = *park.world->GetScene();
    EXPECT_EQ(bench->GetFreeSeatCount(), 2);

    // A guest that holds no seat gives nothing up: the count stays at nothing.
    park.Send(guests[0]->GetID(), bench->GetID(), MT_STATECHANGE, STATE_NULL);
    EXPECT_EQ(bench->GetSeatedCount(), 0);
    EXPECT_EQ(bench->GetState(), uint32_t{STATE_NULL});

    // Two seats; a third guest (two who chose it at once) is not seated.
    for (WatchedGuest* guest : guests)
        park.Send(guest->GetID(), bench->GetID(), MT_STATECHANGE, STATE_OCCUPIED);
    EXPECT_EQ(bench->GetSeatedCount(), 2);
    EXPECT_EQ(bench->GetFreeSeatCount(), 0);
    EXPECT_EQ(bench->GetState(), uint32_t{STATE_OCCUPIED});
    EXPECT_EQ(std::pair(bench->GetSeatedGuest(0), bench->GetSeatedGuest(1)),
              std::pair(guests[0]->GetID(), guests[1]->GetID()));
    // Seated: the guests ride on the bench's model, out of the scene.
    for (int i = 0; i < 2; ++i)
    {
        guests[i]->SetState(STATE_GUEST_HEADING_FOR_BENCH);
        park.Send(guests[i]->GetID(), bench->GetID(), MT_BENCH_ADD_GUEST);
        EXPECT_EQ(guests[i]->GetScene(), nullptr);
        EXPECT_EQ(bench->GetAttachment(static_cast<uint32_t>(i)), guests[i]);
        EXPECT_EQ(guests[i]->GetSeatHolder(), bench);
    }
    park.Send(guests[2]->GetID(), bench->GetID(), MT_BENCH_ADD_GUEST);
    EXPECT_EQ(guests[2]->GetScene(), &scene);

    // A state change from something that is not a guest, or the bench's own, is a state change.
    park.Frames(1);
    EXPECT_EQ(bench->GetSeatedCount(), 2);

    // The first gets up: the bench stays occupied; the second too: the bench is free.
    park.Send(guests[0]->GetID(), bench->GetID(), MT_STATECHANGE, STATE_NULL);
    EXPECT_EQ(std::pair(bench->GetSeatedCount(), bench->GetState()), std::pair(1, uint32_t{STATE_OCCUPIED}));
    EXPECT_EQ(guests[0]->GetScene(), &scene);
    EXPECT_EQ(bench->GetAttachment(0), nullptr);
    EXPECT_EQ(guests[0]->GetSeatHolder(), nullptr); // nothing holds it: its going touches no bench
    EXPECT_EQ(guests[1]->GetSeatHolder(), bench);
    park.Send(guests[1]->GetID(), bench->GetID(), MT_STATECHANGE, STATE_NULL);
    EXPECT_EQ(std::pair(bench->GetSeatedCount(), bench->GetState()), std::pair(0, uint32_t{STATE_NULL}));
    park.Send(guests[1]->GetID(), bench->GetID(), MT_STATECHANGE, STATE_NULL);
    EXPECT_EQ(bench->GetSeatedCount(), 0);
    EXPECT_TRUE(park.reports.boxes.empty());
}

TEST(Scenery, ABenchWhoseSitterHasMovedOnFreesTheSeatAndSaysSoOnce)
{
    GuestPark park(48);
    Scenery* bench = park.Item("BENCH", 4, 7);
    WatchedGuest* guest = park.Guest(150.0f, 480.0f);
    WatchedGuest* neighbour = park.Guest(150.0f, 480.0f);
    for (WatchedGuest* sitter : {guest, neighbour})
    {
        sitter->SetState(STATE_GUEST_HEADING_FOR_BENCH);
        park.Send(sitter->GetID(), bench->GetID(), MT_STATECHANGE, STATE_OCCUPIED);
        park.Send(sitter->GetID(), bench->GetID(), MT_BENCH_ADD_GUEST);
    }
    park.Frames(3);
    EXPECT_EQ(bench->GetSeatedCount(), 2);
    // The guest goes off to do something else without a word to the bench: its seat is free, its neighbour's not.
    guest->SetState(STATE_GUEST_WALK_AROUND);
    park.Frames(5);
    EXPECT_EQ(park.CountReports("Guest thinks they've no Longer got the scenery item locked!"), 1u);
    EXPECT_EQ(std::pair(bench->GetSeatedCount(), bench->GetState()), std::pair(1, uint32_t{STATE_OCCUPIED}));
    EXPECT_EQ(guest->GetScene(), park.world->GetScene());
    // The neighbour goes off too: the bench is free.
    neighbour->SetState(STATE_GUEST_WALK_AROUND);
    park.Frames(5);
    EXPECT_EQ(park.CountReports("Guest thinks they've no Longer got the scenery item locked!"), 2u);
    EXPECT_TRUE(park.reports.boxes.empty());
    EXPECT_EQ(std::pair(bench->GetSeatedCount(), bench->GetState()), std::pair(0, uint32_t{STATE_NULL}));
    // A seated guest that leaves the park takes itself off the bench's model.
    WatchedGuest* other = park.Guest(150.0f, 480.0f);
    other->SetState(STATE_GUEST_HEADING_FOR_BENCH);
    park.Send(other->GetID(), bench->GetID(), MT_STATECHANGE, STATE_OCCUPIED);
    park.Send(other->GetID(), bench->GetID(), MT_BENCH_ADD_GUEST);
    ASSERT_EQ(bench->GetAttachment(0), other);
    other->SetWaitingForDeath(true);
    park.Frames(1);
    EXPECT_EQ(bench->GetAttachment(0), nullptr);
}

TEST(Scenery, ABenchDemolishedUnderASeatedGuestPutsTheGuestBackOnTheGround)
{
    GuestPark park(48);
    Scenery* bench = park.Item("BENCH", 4, 7);
    WatchedGuest* guest = park.Guest(150.0f, 480.0f);
    Scene& scene = *park.world->GetScene();
    guest->SetState(STATE_GUEST_HEADING_FOR_BENCH);
    park.Send(guest->GetID(), bench->GetID(), MT_STATECHANGE, STATE_OCCUPIED);
    park.Send(guest->GetID(), bench->GetID(), MT_BENCH_ADD_GUEST);
    ASSERT_EQ(guest->GetScene(), nullptr);
    ASSERT_EQ(bench->GetFreeSeatCount(), 1); // the other seat is empty
    const uint32_t id = bench->GetID();
    bench->Demolish();
    // Back on the ground at once, and no longer carried by the bench in its last frame (drawn twice).
    EXPECT_EQ(guest->GetScene(), &scene);
    EXPECT_EQ(bench->GetAttachment(0), nullptr);
    EXPECT_EQ(guest->GetSeatHolder(), nullptr);
    park.Frames(1);
    EXPECT_EQ(park.objects->GetObject(id), nullptr);
    EXPECT_EQ(guest->GetScene(), &scene);
    EXPECT_TRUE(park.reports.boxes.empty());
}

TEST(Scenery, ABinIsFullAboveSevenTenthsAndAsksForACleanerOnce)
{
    // Capacity 10: a count above 7.0 becomes 10.
    const std::pair<int, int> counts[] = {{0, 0}, {7, 7}, {8, 10}, {10, 10}, {11, 10}, {6, 6}};
    for (const auto& [count, held] : counts)
    {
        GuestPark park(48);
        Scenery* bin = park.Item("Bin", 4, 7);
        bin->SetNumItems(count);
        EXPECT_EQ(bin->GetNumItems(), held) << count;
        park.Frames(3);
        EXPECT_EQ(park.Cleaning().HoldsRequest(bin->GetID()), held == 10) << count;
        park.Frames(3);
        if (held == 10)
        {
            EXPECT_EQ(park.Cleaning().GetPending().front().iCalls, 0) << count;
        }
        platform::WString text;
        bin->GetVariable("BIN_LITTER", text);
        EXPECT_EQ(text, platform::AnsiToWide(std::to_string(held).c_str()));
    }
}

// No item holds less than no litter, whether a script takes more out of a bin than it holds or a type's capacity is
// below 0; the park saved with such an item loads again.
TEST(Scenery, AnItemHoldsNoLessThanNoLitterAndItsParkLoadsAgain)
{
    const struct
    {
        const char* type;
        int capacity; // the type's capacity as the data give it, or 0 to leave the type as it is
        int count;    // what the item is then given, or 0 for nothing
    } cases[] = {
        {"Bin", 0, -3},
        {"PLANT", -4, 0},
    };
    for (const auto& k : cases)
    {
        SCOPED_TRACE(k.type);
        GuestPark park(48);
        if (k.capacity != 0)
            park.params->GetSceneryInfo(park.params->FindScenery(k.type)).iCapacity = k.capacity;
        Scenery* item = park.Item(k.type, 4, 7);
        if (k.count != 0)
            item->SetNumItems(k.count);
        EXPECT_EQ(item->GetNumItems(), 0);
        const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); });
        const bool loaded = savebytes::LoadFrom(saved, [&](SerialStream& s) { return park.objects->Load(s); });
        EXPECT_TRUE(loaded);
        const std::vector<BaseObject*> items = park.All(OBJECT_SCENERY);
        if (loaded && items.size() == 1u)
        {
            EXPECT_EQ(static_cast<Scenery*>(items[0])->GetNumItems(), 0);
        }
    }
}

// A damaged save names in a bench's seat a guest who sits at a restaurant's table. Whether the bench finds its
// sitter gone or is demolished, the guest stays on the table it sits at: out of the park's scene, the table its seat.
TEST(Scenery, ABenchLeavesAGuestItDoesNotCarryAtItsTable)
{
    for (const bool demolished : {false, true})
    {
        SCOPED_TRACE(demolished ? "the bench demolished" : "the bench's frame");
        GuestPark park(48);
        BuildingObject* cafe = park.Shop("CAFE", 2, 10);
        park.Frames(2);
        const uint32_t benchId = park.Item("BENCH", 4, 7)->GetID();
        const uint32_t guestId = park.Guest(40.0f, 672.0f)->GetID();
        // The bench's record names the guest, who is then seated at the cafe's first table.
        park.Send(guestId, benchId, MT_STATECHANGE, STATE_OCCUPIED);
        auto* table = dynamic_cast<TableObject*>(park.objects->GetObject(cafe->GetTable(0)));
        ASSERT_TRUE(table && table->ReserveSeat(guestId));
        park.Send(cafe->GetID(), table->GetID(), MT_SERVE_GUEST, guestId);
        const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); });
        ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return park.objects->Load(s); }));
        for (BaseObject* building : park.All(OBJECT_BUILDING))
            building->PostLoad();
        auto* bench = static_cast<Scenery*>(park.objects->GetObject(benchId));
        auto* sitter = dynamic_cast<GuestObject*>(park.objects->GetObject(guestId));
        auto* seat = dynamic_cast<TableObject*>(park.All(OBJECT_TABLE).at(0));
        ASSERT_TRUE(bench && sitter && seat);
        ASSERT_EQ(bench->GetSeatedGuest(0), guestId);
        ASSERT_EQ(sitter->GetSeatHolder(), seat);
        if (demolished)
            bench->Demolish();
        park.Frames(2);
        EXPECT_EQ(sitter->GetSeatHolder(), seat);
        EXPECT_EQ(sitter->GetScene(), nullptr);
        EXPECT_EQ(seat->GetAttachment(0), sitter);
    }
}

TEST(Scenery, AnItemTurnedAcrossCoversItsFootprintTurnedAndDemolishedLeavesNoTrace)
{
    // WIDE is 1 x 3 and marks its cells; turned to an odd direction it covers 3 x 1.
    struct Case
    {
        int direction;
        std::set<std::pair<int, int>> cells;
    };
    const Case cases[] = {{0, {{10, 10}, {10, 11}, {10, 12}}},
                          {1, {{10, 10}, {11, 10}, {12, 10}}},
                          {2, {{10, 10}, {10, 11}, {10, 12}}},
                          {3, {{10, 10}, {11, 10}, {12, 10}}}};
    for (const Case& c : cases)
    {
        GuestPark park(48);
        const float cash = park.Cash();
        Scenery* wide = park.Item("WIDE", 10, 10, c.direction);
        EXPECT_EQ(CellsHolding(park, wide), c.cells) << c.direction;
        // Turned by quarter turns about the vertical axis.
        EXPECT_NEAR(wide->GetOrientation().y, c.direction * 1.5707963f, 1e-5f) << c.direction;
        EXPECT_EQ(std::pair(wide->GetOrientation().x, wide->GetOrientation().z), std::pair(0.0f, 0.0f));
        // It has two seats at most: any other seat holds nobody.
        for (int32_t seat : {-1, 2, 7})
            EXPECT_EQ(wide->GetSeatedGuest(seat), kNoObjectID) << seat;
        for (const auto& [x, y] : c.cells)
            EXPECT_NE(park.map->GetFlags({x, y}) & CELL_SCENERY_GROUND, 0u) << c.direction;
        // Demolished, twice over before it goes: a fifth of 50 comes back once.
        wide->Demolish();
        wide->Demolish();
        EXPECT_FLOAT_EQ(park.Cash() - cash, 10.0f) << c.direction;
        const uint32_t id = wide->GetID();
        park.Frames(1);
        EXPECT_EQ(park.objects->GetObject(id), nullptr);
        for (uint32_t i = 0; i < park.map->GetCellCount(); ++i)
        {
            EXPECT_EQ(park.map->CellAt(i).m_uiFlags & CELL_SCENERY_GROUND, 0u);
            EXPECT_EQ(park.map->CellAt(i).CountObjects(), 0u);
        }
    }
}

TEST(Scenery, PlacingAnItemSweepsAwayTheLitterUnderItButWhatIsBeingCleaned)
{
    struct Case
    {
        const char* type;
        bool cleaning; // the litter at (11, 11) is being cleaned
        int left;
    };
    // Litter on the four cells of a 2 x 2 item and one beside it.
    const Case cases[] = {{"BIG", false, 1}, {"BIG", true, 2}, {"AUTO", false, 5}};
    for (const Case& c : cases)
    {
        GuestPark park(48);
        std::vector<LitterObject*> litter;
        for (const GridPos cell : {GridPos{10, 10}, GridPos{11, 10}, GridPos{10, 11}, GridPos{11, 11}, GridPos{12, 10}})
            litter.push_back(park.Litter(cell.x, cell.y));
        if (c.cleaning)
        {
            // A cleaner takes the job of the piece at (11, 11) and starts on it.
            CleaningManager& board = park.Cleaning();
            board.CancelCleaning(litter[3]->GetID());
            board.AddAssigned(litter[3]->GetID(), false);
            board.SetCleaningStarted(litter[3]->GetID());
        }
        Stub* cleaner = park.Make(OBJECT_CLEANER, "CLEANER");
        park.Item(c.type, 10, 10);
        park.Frames(1);
        EXPECT_EQ(park.All(OBJECT_LITTER).size(), static_cast<size_t>(c.left)) << c.type << c.cleaning;
        // Every cleaner is told of each piece that went.
        EXPECT_EQ(bldtest::Taken(MT_BUILDING_BEING_REMOVED, cleaner->GetID()).size() / 2,
                  static_cast<size_t>(5 - c.left))
            << c.type << c.cleaning;
    }
}

TEST(Scenery, APanelReadsTheCleaningStateAndItemsOpenTheirMenus)
{
    GuestPark park(48);
    Scenery* bin = park.Item("Bin", 4, 7);
    platform::WString text;
    bin->GetVariable("SCENERY_CLEANINGSTATUS", text);
    // No cleaner in the park: the manager says so.
    EXPECT_EQ(text, u"no cleaners");
    bin->GetVariable("BI_CALL_CLEANER_STATE", text);
    EXPECT_EQ(text, u"0");
    park.Make(OBJECT_CLEANER, "CLEANER");
    bin->GetVariable("SCENERY_CLEANINGSTATUS", text);
    EXPECT_EQ(text, u"clean");
    bin->SetNumItems(10);
    park.Frames(1);
    bin->GetVariable("SCENERY_CLEANINGSTATUS", text);
    EXPECT_EQ(text, u"wanted");
    bin->GetVariable("BI_CALL_CLEANER_STATE", text);
    EXPECT_EQ(text, u"1");
    bin->SetCleanerCalledByPlayer(true);
    bin->GetVariable("BI_CALL_CLEANER_STATE", text);
    EXPECT_EQ(text, u"0");
    text = u"kept";
    bin->GetVariable("BUILDING_NAME", text);
    EXPECT_EQ(text, u"kept");
    EXPECT_EQ(park.CountReports("Scenery::GetVariable - data keyword not recognised - BUILDING_NAME"), 1u);

    bin->OnSelected(true, false);
    ASSERT_EQ(park.gui.opened.size(), 1u);
    EXPECT_EQ(park.gui.opened[0].first, "Bin_Menu");
    EXPECT_TRUE(bin->IsSelectable());
    Scenery* plant = park.Item("PLANT", 6, 7);
    EXPECT_FALSE(plant->IsSelectable());
    plant->SetCanSelect(true);
    EXPECT_TRUE(plant->IsSelectable());
}

TEST(Scenery, ASavedItemLoadsAsItWasSavedAndTakesItsCellsBack)
{
    for (int direction : {0, 1})
    {
        GuestPark park(48);
        park.Item("WIDE", 20, 20, direction)->SetNumItems(3);
        park.Item("Bin", 4, 7)->SetNumItems(8);
        const std::set<std::pair<int, int>> cells = CellsHolding(park, park.All(OBJECT_SCENERY)[0]);
        const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); });

        // Every object is made again from the save, in place of those there were.
        ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return park.objects->Load(s); })) << direction;
        EXPECT_EQ(savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); }), saved) << direction;
        const std::vector<BaseObject*> items = park.All(OBJECT_SCENERY);
        ASSERT_EQ(items.size(), 2u);
        auto* wide = static_cast<Scenery*>(items[0]);
        EXPECT_EQ(CellsHolding(park, wide), cells) << direction;
        EXPECT_EQ(static_cast<Scenery*>(items[1])->GetNumItems(), 10);
        EXPECT_EQ(Scenery::GetBins(), std::vector<Scenery*>{static_cast<Scenery*>(items[1])});
        // Demolished, the loaded item leaves nothing behind in any cell.
        for (BaseObject* item : items)
            item->Demolish();
        park.Frames(1);
        for (uint32_t i = 0; i < park.map->GetCellCount(); ++i)
            EXPECT_EQ(park.map->CellAt(i).CountObjects(), 0u) << direction;
    }
}

TEST(Scenery, AnItemThatGoesWithoutDemolitionLeavesEveryCellItStoodOn)
{
    GuestPark park(48);
    Scenery* wide = park.Item("WIDE", 20, 20, 1);
    ASSERT_EQ(CellsHolding(park, wide).size(), 3u);
    park.Send(kWorldID, kWorldID, MT_KILLOBJECT, wide->GetID());
    park.Frames(1);
    for (uint32_t i = 0; i < park.map->GetCellCount(); ++i)
        EXPECT_EQ(park.map->CellAt(i).CountObjects(), 0u);
}

TEST(Scenery, ASavedItemWhoseSeatsDoNotHoldTogetherIsRefused)
{
    GuestPark park(48);
    Scenery* bench = park.Item("BENCH", 4, 7);
    const savebytes::Bytes good = savebytes::Saved([&](SerialStream& s) { bench->Dump(s); });
    // The record: the seat array (tag, count, two ids), then the litter, the seats taken, the seats, the free seat.
    const size_t seatArray = 1 + 4 + 8;
    struct Case
    {
        size_t offset; // of a 32-bit value after its tag
        uint32_t value;
    };
    const Case cases[] = {{seatArray + 5 + 1, 1},       // one seat taken, none held
                          {seatArray + 10 + 1, 3},      // three seats
                          {seatArray + 10 + 1, 0},      // none
                          {seatArray + 15 + 1, 7},      // a free seat beyond the seats
                          {seatArray + 1, 0xFFFFFFFF}}; // litter below nothing
    for (const Case& c : cases)
    {
        savebytes::Bytes bad = good;
        for (int i = 0; i < 4; ++i)
            bad[c.offset + i] = static_cast<uint8_t>(c.value >> (8 * i));
        auto* copy = static_cast<Scenery*>(park.objects->CreateObject("BENCH", OBJECT_SCENERY));
        EXPECT_FALSE(savebytes::LoadFrom(bad, [&](SerialStream& s) { return copy->Load(s); })) << c.offset;
    }
    savebytes::Bytes cut(good.begin(), good.begin() + 20);
    auto* copy = static_cast<Scenery*>(park.objects->CreateObject("BENCH", OBJECT_SCENERY));
    EXPECT_FALSE(savebytes::LoadFrom(cut, [&](SerialStream& s) { return copy->Load(s); }));
}

// A bench type's model, and whether it has places for two seated guests (a missing one has the lamp stand in,
// which has none).
struct BenchModel
{
    const char* model;
    bool carried;
};
constexpr BenchModel kBenchModels[] = {
    {"bench_wood", true},
    {"no_such_bench", false},
};

} // namespace

// A bin saved fuller than its type now holds (the data lowered the capacity since) loads full: it asks for a cleaner
// and is emptied as any full bin, instead of standing overfull for good, refused by every guest and never cleaned.
// A bin the data made larger keeps its litter and is not full.
TEST(Scenery, ABinSavedFullerThanItsTypeNowHoldsLoadsFullAndAsksForACleaner)
{
    const struct
    {
        int saved;    // litter held when saved, at a capacity of 10
        int capacity; // the type's capacity when loaded
        int held;     // litter the loaded bin holds
        bool full;    // the loaded bin asks for a cleaner
    } cases[] = {
        {10, 6, 6, true},
        {10, 1, 1, true},
        {10, 20, 10, false},
        {3, 10, 3, false},
    };
    for (const auto& k : cases)
    {
        SCOPED_TRACE(testing::Message() << k.saved << " saved, capacity " << k.capacity);
        GuestPark park(48);
        SceneryInfo& type = park.params->GetSceneryInfo(park.params->FindScenery("Bin"));
        ASSERT_EQ(type.iCapacity, 10);
        park.Item("Bin", 4, 7)->SetNumItems(k.saved);
        const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); });
        type.iCapacity = k.capacity;
        ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return park.objects->Load(s); }));
        const std::vector<BaseObject*> items = park.All(OBJECT_SCENERY);
        ASSERT_EQ(items.size(), 1u);
        auto* bin = static_cast<Scenery*>(items[0]);
        EXPECT_EQ(bin->GetNumItems(), k.held);
        park.Frames(3);
        EXPECT_EQ(park.Cleaning().HoldsRequest(bin->GetID()), k.full);
    }
}

// A guest sitting down rides on the bench's model at its seat, out of the park's scene. A bench whose model has no
// place for the seat (its own model missing, the lamp standing in) cannot carry the guest: the guest stays in the
// scene, drawn where it sits, instead of vanishing from the park until it gets up.
TEST(Scenery, ASeatedGuestRidesOnTheBenchOnlyWhenItsModelHasTheSeat)
{
    for (const BenchModel& k : kBenchModels)
    {
        SCOPED_TRACE(k.model);
        GuestPark park(48);
        SceneryInfo& type = park.params->GetSceneryInfo(park.params->FindScenery("BENCH"));
        std::snprintf(type.szModel, sizeof type.szModel, "%s", k.model);
        Scenery* bench = park.Item("BENCH", 4, 7);
        ASSERT_NE(bench, nullptr);
        Scene* scene = park.world->GetScene();
        WatchedGuest* guest = park.Guest(150.0f, 480.0f);
        park.Send(guest->GetID(), bench->GetID(), MT_STATECHANGE, STATE_OCCUPIED);
        guest->SetState(STATE_GUEST_HEADING_FOR_BENCH);
        park.Send(guest->GetID(), bench->GetID(), MT_BENCH_ADD_GUEST);
        EXPECT_EQ(bench->GetSeatedGuest(0), guest->GetID());
        EXPECT_EQ(bench->GetAttachment(0) == guest, k.carried);
        EXPECT_EQ(guest->GetScene(), k.carried ? nullptr : scene);
        // Up again, the guest stands in the scene either way.
        park.Send(guest->GetID(), bench->GetID(), MT_STATECHANGE, STATE_NULL);
        EXPECT_EQ(guest->GetScene(), scene);
        EXPECT_EQ(guest->GetSeatHolder(), nullptr);
        EXPECT_EQ(bench->GetSeatedCount(), 0);
    }
}

namespace
{

// Guests sent from the footpath at (1, 7) to take a rest, as the sample guests' own script has them do it.
std::vector<WatchedGuest*> RestingGuests(GuestPark& park, int count)
{
    std::vector<WatchedGuest*> guests;
    for (int i = 0; i < count; ++i)
    {
        WatchedGuest* guest = park.Guest(1 * 32 + 16, 7 * 64 + 32);
        for (int32_t d = 0; d < GuestObject::DESIRE_COUNT; ++d)
            guest->SetDesire(d, d == GuestObject::DESIRE_REST ? 0.9f : 0.0f);
        guests.push_back(guest);
    }
    return guests;
}

void SendToRest(GuestPark& park, WatchedGuest* guest)
{
    park.Send(guest->GetID(), guest->GetID(), MT_STATECHANGE, STATE_GUEST_SEARCH_DESIRE);
}

// A park of real guests on the sample script with the bench type drawn by the model given.
void SetUpBenchPark(GuestPark& park, const char* model)
{
    park.script.Load("data/Scripts/GuestLogic.pis");
    ASSERT_GT(park.script.GetNumStates(), 10u);
    SceneryInfo& type = park.params->GetSceneryInfo(park.params->FindScenery("BENCH"));
    std::snprintf(type.szModel, sizeof type.szModel, "%s", model);
}

} // namespace

// Two guests sitting side by side on a bench when the park is saved, and a third on its way to another bench, are
// loaded into a fresh park as they were: the two sit on the bench's model at their seats, out of the park's scene,
// the bench their seat holder and its seats as taken as before; the third still stands in the scene, its seat kept
// for it. When they get up they stand in the scene again, and the third sits down when it reaches its bench. A bench
// whose model has no place for a seat carries nobody, before the save or after: its guests stay in the scene.
TEST(Scenery, GuestsSavedSittingOnABenchLoadSittingOnIt)
{
    for (const BenchModel& k : kBenchModels)
    {
        SCOPED_TRACE(k.model);
        savebytes::Bytes saved;
        uint32_t benchId = kNoObjectID, otherId = kNoObjectID, sitters[2] = {}, walker = kNoObjectID;
        {
            GuestPark park(48);
            SetUpBenchPark(park, k.model);
            Scenery* bench = park.Item("BENCH", 4, 7);
            Scenery* other = park.Item("BENCH", 9, 7);
            ASSERT_TRUE(bench && other);
            benchId = bench->GetID();
            otherId = other->GetID();
            const std::vector<WatchedGuest*> guests = RestingGuests(park, 3);
            // The first two choose the nearer bench together, one seat each, and walk to it.
            SendToRest(park, guests[0]);
            SendToRest(park, guests[1]);
            ASSERT_EQ(std::pair(bench->GetSeatedGuest(0), bench->GetSeatedGuest(1)),
                      std::pair(guests[0]->GetID(), guests[1]->GetID()));
            const auto arrived = [](const WatchedGuest* guest) { return !guest->Got(MT_MOVEIMHERE).empty(); };
            for (int frame = 0; frame < 3000 && !(arrived(guests[0]) && arrived(guests[1])); ++frame)
                park.Frames(1, 0.1f);
            ASSERT_TRUE(arrived(guests[0]) && arrived(guests[1]));
            park.Frames(1, 0.1f);
            for (int i = 0; i < 2; ++i)
            {
                sitters[i] = guests[static_cast<size_t>(i)]->GetID();
                ASSERT_EQ(guests[static_cast<size_t>(i)]->GetState(), uint32_t{STATE_GUEST_HEADING_FOR_BENCH});
                ASSERT_EQ(bench->GetAttachment(static_cast<uint32_t>(i)) == guests[static_cast<size_t>(i)], k.carried);
            }
            // The third finds the bench full and heads for the other one; the park is saved before it gets there.
            SendToRest(park, guests[2]);
            walker = guests[2]->GetID();
            ASSERT_EQ(other->GetSeatedGuest(0), walker);
            ASSERT_EQ(guests[2]->GetScene(), park.world->GetScene());
            // The objects and the messages on their way (each sitter's time to get up) are saved as a park's are.
            saved = savebytes::Saved(
                [&](SerialStream& s)
                {
                    park.objects->Dump(s);
                    park.messages->Dump(s);
                });
        }

        GuestPark fresh(48);
        SetUpBenchPark(fresh, k.model);
        ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s)
                                        { return fresh.objects->Load(s) && fresh.messages->Load(s); }));
        // Every object's finishing step once everything has loaded, as the World takes it: the buildings first.
        for (uint8_t kind : {OBJECT_BUILDING, OBJECT_SCENERY, OBJECT_GUEST})
            for (BaseObject* object : fresh.All(kind))
                object->PostLoad();
        Scene* scene = fresh.world->GetScene();
        auto* bench = dynamic_cast<Scenery*>(fresh.objects->GetObject(benchId));
        auto* other = dynamic_cast<Scenery*>(fresh.objects->GetObject(otherId));
        ASSERT_TRUE(bench && other);
        for (int i = 0; i < 2; ++i)
        {
            SCOPED_TRACE(i == 0 ? "the first seat" : "the second seat");
            auto* sitter = dynamic_cast<GuestObject*>(fresh.objects->GetObject(sitters[i]));
            ASSERT_NE(sitter, nullptr);
            EXPECT_EQ(bench->GetSeatedGuest(i), sitters[i]);
            EXPECT_EQ(bench->GetAttachment(static_cast<uint32_t>(i)) == sitter, k.carried);
            EXPECT_EQ(sitter->GetScene(), k.carried ? nullptr : scene);
            EXPECT_EQ(sitter->GetSeatHolder(), k.carried ? bench : nullptr);
        }
        EXPECT_EQ(std::tuple(bench->GetSeatedCount(), bench->GetFreeSeatCount(), bench->GetState()),
                  std::tuple(2, 0, uint32_t{STATE_OCCUPIED}));
        // The guest on its way is not sat down by the load.
        auto* walking = dynamic_cast<GuestObject*>(fresh.objects->GetObject(walker));
        ASSERT_NE(walking, nullptr);
        EXPECT_EQ(std::tuple(other->GetSeatedGuest(0), other->GetSeatedCount(), other->GetFreeSeatCount()),
                  std::tuple(walker, 1, 1));
        EXPECT_EQ(other->GetAttachment(0), nullptr);
        EXPECT_EQ(walking->GetScene(), scene);
        EXPECT_EQ(walking->GetSeatHolder(), nullptr);

        // The park runs on, its guests on the script they ran before: the two get up into the scene and the bench is
        // free; the third sits down on the other bench and gets up in its turn.
        for (BaseObject* guest : fresh.All(OBJECT_GUEST))
            static_cast<GuestObject*>(guest)->SetScript(&fresh.script);
        const auto up = [&](uint32_t id)
        { return fresh.objects->GetObject(id)->GetState() != STATE_GUEST_HEADING_FOR_BENCH; };
        bool walkerSat = false;
        for (int frame = 0; frame < 3000 && !(up(sitters[0]) && up(sitters[1]) && up(walker)); ++frame)
        {
            fresh.Frames(1, 0.1f);
            walkerSat = walkerSat || (other->GetAttachment(0) == walking && walking->GetScene() == nullptr);
        }
        ASSERT_TRUE(up(sitters[0]) && up(sitters[1]) && up(walker));
        for (const uint32_t id : {sitters[0], sitters[1], walker})
        {
            auto* guest = static_cast<GuestObject*>(fresh.objects->GetObject(id));
            EXPECT_EQ(guest->GetScene(), scene);
            EXPECT_EQ(guest->GetSeatHolder(), nullptr);
        }
        EXPECT_EQ(std::tuple(bench->GetAttachment(0), bench->GetAttachment(1)), std::tuple(nullptr, nullptr));
        for (const Scenery* seat : {bench, other})
            EXPECT_EQ(std::pair(seat->GetSeatedCount(), seat->GetState()), std::pair(0, uint32_t{STATE_NULL}));
        EXPECT_EQ(walkerSat, k.carried);
        EXPECT_EQ(fresh.CountReports("no Longer got the scenery item locked"), 0u);
        EXPECT_TRUE(fresh.reports.boxes.empty());
    }
}

// A bench saved holding a seat for a guest no longer in the park (a damaged save) has that seat free again once the
// park has loaded, and says so once: the other seat keeps its sitter, and a bench left with nobody is free.
TEST(Scenery, ABenchSeatHeldForAGuestNoLongerInTheParkIsFreeAfterALoad)
{
    for (const bool neighbour : {false, true})
    {
        SCOPED_TRACE(neighbour ? "beside a seated guest" : "alone on the bench");
        savebytes::Bytes saved;
        uint32_t benchId = kNoObjectID, goneId = kNoObjectID, stayingId = kNoObjectID;
        {
            GuestPark park(48);
            Scenery* bench = park.Item("BENCH", 4, 7);
            ASSERT_NE(bench, nullptr);
            benchId = bench->GetID();
            std::vector<WatchedGuest*> sitters = {park.Guest(150.0f, 480.0f)};
            if (neighbour)
                sitters.push_back(park.Guest(150.0f, 480.0f));
            for (WatchedGuest* sitter : sitters)
                park.Send(sitter->GetID(), bench->GetID(), MT_STATECHANGE, STATE_OCCUPIED);
            goneId = sitters[0]->GetID();
            if (neighbour)
                stayingId = sitters[1]->GetID();
            // The first guest goes from the park at once, without a word to the bench.
            ASSERT_TRUE(park.objects->RemoveObject(goneId));
            ASSERT_EQ(bench->GetSeatedGuest(0), goneId);
            saved = savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); });
        }
        GuestPark fresh(48);
        ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return fresh.objects->Load(s); }));
        ASSERT_EQ(fresh.objects->GetObject(goneId), nullptr);
        for (uint8_t kind : {OBJECT_BUILDING, OBJECT_SCENERY, OBJECT_GUEST})
            for (BaseObject* object : fresh.All(kind))
                object->PostLoad();
        auto* bench = dynamic_cast<Scenery*>(fresh.objects->GetObject(benchId));
        ASSERT_NE(bench, nullptr);
        EXPECT_EQ(std::pair(bench->GetSeatedGuest(0), bench->GetSeatedGuest(1)), std::pair(kNoObjectID, stayingId));
        EXPECT_EQ(bench->GetSeatedCount(), neighbour ? 1 : 0);
        EXPECT_EQ(bench->GetFreeSeatCount(), neighbour ? 1 : 2);
        EXPECT_EQ(bench->GetState(), neighbour ? uint32_t{STATE_OCCUPIED} : uint32_t{STATE_NULL});
        // Said once, in the debug output (a line of its own), not in a box.
        EXPECT_EQ(fresh.CountReports("held for " + std::to_string(goneId) + "\n"), 1u);
        EXPECT_TRUE(fresh.reports.boxes.empty());
    }
}
