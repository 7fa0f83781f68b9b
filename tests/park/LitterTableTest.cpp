// Tests of litter (where a piece lies, its one cleaning request, its sweeping, in full after one demolished under its
// cleaner, and its save record) and of tables (four chairs, reserving, seating and serving a guest, releasing,
// re-attaching after a load, the save record and a model that cannot be loaded).
#include "engine/core/SerialStream.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "park/CleanerObject.h"
#include "park/CleaningManager.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "scripts/ScriptManager.h"
#include "tests/park/GuestTestSupport.h"
#include "tests/world/SaveBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <tuple>
#include <vector>

using namespace guesttest;

namespace
{

TEST(Litter, LiesWithinAQuarterCellOfItsCellsMiddleAndAsksForACleanerOnce)
{
    GuestPark park(48);
    for (int i = 0; i < 40; ++i)
    {
        const int x = 3 + i % 10, y = 10 + i / 10;
        LitterObject* piece = park.Litter(x, y, ("Litter0" + std::to_string(i % 5 + 1)).c_str());
        ASSERT_NE(piece, nullptr);
        const platform::Vec3 centre = WorldMap::GetCellCentre({x, y});
        const platform::Vec3& at = piece->GetWorldPosition();
        EXPECT_TRUE(at.x >= centre.x - 16.0f && at.x <= centre.x + 15.0f) << at.x;
        EXPECT_TRUE(at.y >= centre.y - 16.0f && at.y <= centre.y + 15.0f) << at.y;
        EXPECT_EQ(piece->GetGridPos(), (GridPos{x, y}));
        EXPECT_EQ(piece->GetState(), uint32_t{STATE_NULL});
        EXPECT_TRUE(piece->IsCalledCleaning());
        EXPECT_EQ(piece->GetPosition().x, WorldMap::WorldToScene(at).x);
    }
    EXPECT_EQ(park.Cleaning().GetPending().size(), 40u);
    // Started again, a piece does not ask twice; nor does one that is occupied or being cleaned when it starts.
    LitterObject* piece = park.Litter(5, 20);
    park.Send(kWorldID, piece->GetID(), MT_STATECHANGE, STATE_STARTUP);
    EXPECT_EQ(park.Cleaning().GetPending().size(), 41u);
    EXPECT_EQ(park.Cleaning().GetPending().back().iCalls, 0);
    for (bool occupied : {true, false})
    {
        auto* busy = static_cast<LitterObject*>(park.objects->CreateObject("Litter01", OBJECT_LITTER));
        busy->SetType(OBJECT_LITTER);
        busy->SetWorldPosition(WorldMap::GridToWorld({6, 21}));
        if (occupied)
            busy->SetState(STATE_OCCUPIED);
        else
            busy->SetCleaning(true);
        const size_t before = park.Cleaning().GetPending().size();
        busy->OnStateEntry(STATE_STARTUP);
        EXPECT_EQ(park.Cleaning().GetPending().size(), before) << occupied;
    }
}

TEST(Litter, SweptItCancelsItsRequestTellsEveryCleanerAndGoes)
{
    GuestPark park(48);
    Stub* cleaners[2] = {park.Make(OBJECT_CLEANER, "CLEANER"), park.Make(OBJECT_CLEANER, "CLEANER")};
    LitterObject* piece = park.Litter(5, 20);
    const uint32_t id = piece->GetID();
    park.Send(cleaners[0]->GetID(), id, MT_STATECHANGE, STATE_DEMOLISHED);
    EXPECT_TRUE(piece->IsWaitingForDeath());
    EXPECT_FALSE(park.Cleaning().HoldsRequest(id));
    for (Stub* cleaner : cleaners)
    {
        const auto told = bldtest::Taken(MT_BUILDING_BEING_REMOVED, cleaner->GetID());
        ASSERT_EQ(told.size(), 1u);
        EXPECT_EQ(told[0].sender, id);
    }
    park.Frames(1);
    EXPECT_EQ(park.objects->GetObject(id), nullptr);
    EXPECT_EQ(park.map->GetCell({5, 20})->CountObjects(), 0u);
}

// A cleaner of the sample park's script beside two pieces of litter in one cell: how long it stood at each piece it
// swept, in game seconds from its start on the piece to the piece's going, in sweeping order, and what the cleaning
// board and the park hold once both are gone.
struct Sweeps
{
    std::vector<double> seconds;
    size_t pending = 0;
    size_t assigned = 0;
    size_t litterLeft = 0;
};

// The player demolishes the first piece `demolishAfter` game seconds into its sweep (never, when negative).
Sweeps SweepTwoPieces(double demolishAfter)
{
    // The same pieces, lying at the same spots, in every run.
    platform::SRand(7);
    GuestPark park(48);
    park.params->AddBuiltInStaff();
    RegisterObjectKind(OBJECT_CLEANER, []() -> BaseObject* { return new CleanerObject; });
    EXPECT_TRUE(park.world->GetScriptManager().LoadScript("CleanerLogic", "data/Scripts/CleanerLogic.pis"));
    const uint32_t ids[2] = {park.Litter(5, 7)->GetID(), park.Litter(5, 7)->GetID()};
    const platform::Vec3 first = park.objects->GetObject(ids[0])->GetWorldPosition();
    auto* cleaner = static_cast<CleanerObject*>(park.objects->CreateObject("CLEANER", OBJECT_CLEANER));
    cleaner->SetType(OBJECT_CLEANER);
    cleaner->SetWorldPosition({first.x - 4.0f, first.y, 0.0f});
    park.Send(kWorldID, cleaner->GetID(), MT_STATECHANGE, STATE_STARTUP);
    Sweeps sweeps;
    std::map<uint32_t, double> started;
    std::set<uint32_t> gone;
    bool demolished = false;
    for (int frame = 0; frame < 30 * 60 && gone.size() < 2; ++frame)
    {
        const double now = park.world->GetGameTimeExact();
        if (cleaner->GetState() == STATE_CLEANER_CLEAN_LITTER && !started.contains(cleaner->GetDestObjectID()))
            started[cleaner->GetDestObjectID()] = now;
        for (uint32_t id : ids)
        {
            const BaseObject* piece = park.objects->GetObject(id);
            if (gone.contains(id) || (piece && !piece->IsWaitingForDeath()))
                continue;
            gone.insert(id);
            if (!(id == ids[0] && demolished))
                sweeps.seconds.push_back(started.contains(id) ? now - started[id] : -1.0);
        }
        if (!demolished && demolishAfter >= 0.0 && started.contains(ids[0]) && now - started[ids[0]] >= demolishAfter)
        {
            demolished = true;
            park.Send(kWorldID, ids[0], MT_STATECHANGE, STATE_DEMOLISHED);
        }
        park.Frames(1, 1.0f / 30.0f);
    }
    park.Frames(1, 1.0f / 30.0f);
    sweeps.pending = park.Cleaning().GetPending().size();
    sweeps.assigned = park.Cleaning().GetAssigned().size();
    sweeps.litterLeft = park.All(OBJECT_LITTER).size();
    return sweeps;
}

// Litter demolished under a cleaner ends its sweep there and then, once: the piece it sweeps next is swept as long
// as one never disturbed, whenever in the first sweep the demolition came (soon enough for the second sweep to start
// before the first would have ended).
TEST(Litter, APieceSweptAfterOneDemolishedUnderItsCleanerIsSweptInFull)
{
    const Sweeps plain = SweepTwoPieces(-1.0);
    ASSERT_EQ(plain.seconds.size(), 2u);
    ASSERT_GT(plain.seconds[0], 0.0);
    ASSERT_NEAR(plain.seconds[1], plain.seconds[0], 1e-6);
    for (double demolishAfter : {0.1, 0.25, 0.4, 0.55})
    {
        const Sweeps after = SweepTwoPieces(demolishAfter);
        ASSERT_EQ(after.seconds.size(), 1u) << demolishAfter;
        EXPECT_NEAR(after.seconds[0], plain.seconds[0], 1e-6) << demolishAfter;
        EXPECT_EQ(std::tuple(after.pending, after.assigned, after.litterLeft), std::tuple(0u, 0u, 0u)) << demolishAfter;
    }
}

TEST(Litter, ASavedPieceLiesWhereItWasWithANewTurn)
{
    GuestPark park(48);
    LitterObject* before = park.Litter(5, 20, "Litter03");
    const platform::Vec3 where = before->GetWorldPosition();
    const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { before->Dump(s); });
    auto* after = static_cast<LitterObject*>(park.objects->CreateObject("Litter03", OBJECT_LITTER));
    ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return after->Load(s); }));
    EXPECT_EQ(std::pair(after->GetWorldPosition().x, after->GetWorldPosition().y), std::pair(where.x, where.y));
    EXPECT_EQ(after->GetPosition().x, WorldMap::WorldToScene(where).x);
    EXPECT_EQ(after->GetPosition().z, WorldMap::WorldToScene(where).z);
    // Saved again it is the same record but for its turn, drawn afresh (a whole degree of a full turn): the scene
    // part ends the record with the turn's three angles, the place's three values and two words.
    savebytes::Bytes again = savebytes::Saved([&](SerialStream& s) { after->Dump(s); });
    ASSERT_EQ(again.size(), saved.size());
    const size_t turn = saved.size() - 8 * 5 + 5;
    float degrees = 0.0f;
    std::memcpy(&degrees, &again[turn + 1], 4);
    degrees = degrees / (2.0f * 3.14159265f) * 360.0f;
    EXPECT_NEAR(degrees, std::round(degrees), 1e-3f);
    std::copy(saved.begin() + turn, saved.begin() + turn + 5, again.begin() + turn);
    EXPECT_EQ(again, saved);
    // A record cut short is refused.
    const savebytes::Bytes cut(saved.begin(), saved.begin() + 10);
    auto* none = static_cast<LitterObject*>(park.objects->CreateObject("Litter03", OBJECT_LITTER));
    EXPECT_FALSE(savebytes::LoadFrom(cut, [&](SerialStream& s) { return none->Load(s); }));
}

// A guest of the park beside a cafe with two tables.
struct Cafe
{
    GuestPark park{48};
    BuildingObject* cafe = park.Shop("CAFE", 2, 10);
    TableObject* Table(int i) const
    {
        return dynamic_cast<TableObject*>(park.objects->GetObject(cafe->GetTable(static_cast<uint32_t>(i))));
    }
};

TEST(Table, AFifthGuestFindsNoChairAndAFreedChairIsTheFirstGivenAgain)
{
    Cafe c;
    c.park.Frames(2);
    ASSERT_EQ(c.cafe->GetTableCount(), 2u);
    TableObject* table = c.Table(0);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->GetOwner(), c.cafe->GetID());
    EXPECT_EQ(std::string(table->GetModelName()), "table_round");
    // Named by the keyword its building asked for.
    EXPECT_STREQ(table->GetName(), "table");
    EXPECT_TRUE(table->IsFree());
    for (uint32_t guest = 100; guest < 104; ++guest)
        EXPECT_TRUE(table->ReserveSeat(guest));
    EXPECT_FALSE(table->ReserveSeat(104));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(table->GetChair(i).ChairOccupier, 100u + i);
    EXPECT_EQ(std::pair(table->GetGuestsAdded(), table->GetGuestsRemoved()), std::pair(4, 0));
    EXPECT_FALSE(table->ReleaseSeat(104));
    EXPECT_TRUE(table->ReleaseSeat(101));
    EXPECT_EQ(table->GetGuestsRemoved(), 1);
    EXPECT_TRUE(table->ReserveSeat(105));
    EXPECT_EQ(table->GetChair(1).ChairOccupier, 105u);
    EXPECT_FALSE(table->IsFree());
}

TEST(Table, AServedGuestSitsAtItsChairEatsAndIsHandedItsMeal)
{
    Cafe c;
    c.park.Frames(2);
    TableObject* table = c.Table(0);
    WatchedGuest* guest = c.park.Guest(40.0f, 672.0f);
    WatchedGuest* other = c.park.Guest(40.0f, 672.0f);
    Scene* scene = c.park.world->GetScene();
    // A serve for a guest that holds no chair does nothing.
    c.park.Send(c.cafe->GetID(), table->GetID(), MT_SERVE_GUEST, guest->GetID());
    EXPECT_TRUE(guest->got.empty());
    ASSERT_TRUE(table->ReserveSeat(other->GetID()));
    ASSERT_TRUE(table->ReserveSeat(guest->GetID()));
    // The reserved guest is not yet seated; released now it stays where it is, in the scene.
    EXPECT_TRUE(table->ReleaseSeat(other->GetID()));
    EXPECT_EQ(other->GetScene(), scene);
    c.park.Send(c.cafe->GetID(), table->GetID(), MT_SERVE_GUEST, guest->GetID());
    EXPECT_TRUE(table->GetChair(1).ChairSeated);
    EXPECT_EQ(guest->GetState(), uint32_t{STATE_GUEST_AT_TABLE});
    EXPECT_EQ(guest->GetScene(), nullptr);
    EXPECT_EQ(table->GetAttachment(1), guest);
    // The meal comes 20 game seconds later.
    c.park.Frames(199, 0.1f);
    EXPECT_TRUE(guest->Got(MT_SERVED_COMMOD).empty());
    c.park.Frames(2, 0.1f);
    ASSERT_EQ(guest->Got(MT_SERVED_COMMOD).size(), 1u);
    EXPECT_EQ(guest->Got(MT_SERVED_COMMOD)[0].dwSender, table->GetID());
    // The guest says how it was: its chair is free and it stands in the scene again.
    c.park.Send(guest->GetID(), table->GetID(), MT_COMMOD_QUALITY);
    EXPECT_EQ(table->GetChair(1).ChairOccupier, kNoObjectID);
    EXPECT_EQ(guest->GetScene(), scene);
    EXPECT_EQ(table->GetAttachment(1), nullptr);
    EXPECT_TRUE(table->Message({c.cafe->GetID(), table->GetID(), MT_CONSTRUCT}));
}

TEST(Table, ASavedTableSeatsItsGuestsAgainAndAMissingModelShowsThePlaceholder)
{
    Cafe c;
    c.park.Frames(2);
    WatchedGuest* guest = c.park.Guest(40.0f, 672.0f);
    ASSERT_TRUE(c.Table(1)->ReserveSeat(guest->GetID()));
    c.park.Send(c.cafe->GetID(), c.Table(1)->GetID(), MT_SERVE_GUEST, guest->GetID());
    const uint32_t guestId = guest->GetID();
    const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { c.park.objects->Dump(s); });
    ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return c.park.objects->Load(s); }));
    EXPECT_EQ(savebytes::Saved([&](SerialStream& s) { c.park.objects->Dump(s); }), saved);
    // Every object is a new one now; the tables in the order they were made.
    auto* table = dynamic_cast<TableObject*>(c.park.All(OBJECT_TABLE).at(1));
    auto* loaded = dynamic_cast<GuestObject*>(c.park.objects->GetObject(guestId));
    ASSERT_TRUE(table && loaded);
    // The loaded guest stands in the scene until the table takes it on again.
    c.park.world->GetScene()->AddObject(loaded);
    table->ReattachSeatedGuests();
    EXPECT_EQ(table->GetAttachment(0), loaded);
    EXPECT_EQ(loaded->GetScene(), nullptr);
    EXPECT_EQ(loaded->GetSeatHolder(), table);

    // Loaded as a saved game is, the buildings' finishing step after a load seats the guest again: nobody calls
    // the table.
    ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return c.park.objects->Load(s); }));
    for (BaseObject* building : c.park.All(OBJECT_BUILDING))
        building->PostLoad();
    auto* again = dynamic_cast<TableObject*>(c.park.All(OBJECT_TABLE).at(1));
    auto* sitter = dynamic_cast<GuestObject*>(c.park.objects->GetObject(guestId));
    ASSERT_TRUE(again && sitter);
    EXPECT_EQ(again->GetAttachment(0), sitter);
    EXPECT_EQ(sitter->GetScene(), nullptr);
    EXPECT_EQ(sitter->GetSeatHolder(), again);
    // Done eating, the guest stands in the scene again.
    c.park.Send(guestId, again->GetID(), MT_COMMOD_QUALITY);
    EXPECT_EQ(sitter->GetScene(), c.park.world->GetScene());
    EXPECT_EQ(again->GetAttachment(0), nullptr);
    table = again;

    // A table whose model is missing (or named longer than a model name may be) still loads and shows the
    // placeholder; the game goes on.
    for (const char* model : {"no_such_table", "a_table_model_name_far_too_long"})
    {
        table->SetModelName(model);
        EXPECT_EQ(std::strlen(table->GetModelName()), std::min<size_t>(std::strlen(model), 19));
        const savebytes::Bytes missing = savebytes::Saved([&](SerialStream& s) { table->Dump(s); });
        auto* copy = static_cast<TableObject*>(c.park.objects->CreateObject("table", OBJECT_TABLE));
        ASSERT_TRUE(savebytes::LoadFrom(missing, [&](SerialStream& s) { return copy->Load(s); })) << model;
        EXPECT_EQ(std::string(g_ModelManager.GetName(copy->GetModel())), ModelManager::kPlaceholderName);
        EXPECT_EQ(std::string(copy->GetModelName()), std::string(model).substr(0, 19));
        EXPECT_TRUE(c.park.reports.boxes.empty());
        // Cut short, the record is refused.
        const savebytes::Bytes cut(missing.begin(), missing.begin() + 60);
        auto* short_ = static_cast<TableObject*>(c.park.objects->CreateObject("table", OBJECT_TABLE));
        EXPECT_FALSE(savebytes::LoadFrom(cut, [&](SerialStream& s) { return short_->Load(s); }));
        c.park.reports.boxes.clear();
    }
}

// A damaged save whose chairs hold what no chair may: after the load a chair holds only a guest of the park, who
// sits at one table at most. A chair seating the restaurant itself or held for a guest who is not in the park is
// free (and takes nothing out of the scene); a guest seated at both tables rides on one of them only, and the other
// table's chair is free.
TEST(Table, ALoadedChairHoldsOnlyAGuestOfTheParkAtOneTable)
{
    enum class Holder
    {
        Restaurant,
        MissingGuest,
        GuestOfBothTables,
    };
    const struct
    {
        const char* name;
        Holder holder;
        bool seated;
    } cases[] = {
        {"the restaurant seated", Holder::Restaurant, true},
        {"a missing guest seated", Holder::MissingGuest, true},
        {"a missing guest with the chair kept", Holder::MissingGuest, false},
        {"one guest seated at both tables", Holder::GuestOfBothTables, true},
    };
    constexpr uint32_t kMissing = 4000000;
    for (const auto& k : cases)
    {
        SCOPED_TRACE(k.name);
        Cafe c;
        c.park.Frames(2);
        WatchedGuest* guest = c.park.Guest(40.0f, 672.0f);
        const uint32_t cafeId = c.cafe->GetID(), guestId = guest->GetID();
        const uint32_t holder = k.holder == Holder::Restaurant     ? cafeId
                                : k.holder == Holder::MissingGuest ? kMissing
                                                                   : guestId;
        ASSERT_EQ(c.park.objects->GetObject(kMissing), nullptr);
        std::vector<TableObject*> holding = {c.Table(0)};
        if (k.holder == Holder::GuestOfBothTables)
            holding.push_back(c.Table(1));
        for (TableObject* table : holding)
        {
            ASSERT_TRUE(table->ReserveSeat(holder));
            if (k.seated)
                c.park.Send(cafeId, table->GetID(), MT_SERVE_GUEST, holder);
        }
        // Only the records are damaged: what rides on the tables now is put back as it was, but for the guest on
        // the last table that seated it.
        if (BaseObject* object = c.park.objects->GetObject(holder))
        {
            for (size_t i = 0; i + (k.holder == Holder::GuestOfBothTables ? 1 : 0) < holding.size(); ++i)
                holding[i]->RemoveAttachment(object);
            if (k.holder == Holder::Restaurant)
                c.park.world->GetScene()->AddObject(object);
        }
        const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { c.park.objects->Dump(s); });
        ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return c.park.objects->Load(s); }));
        Scene* scene = c.park.world->GetScene();
        // The restaurant stands in the scene as a loaded building does before its finishing step.
        BaseObject* cafe = c.park.objects->GetObject(cafeId);
        ASSERT_NE(cafe, nullptr);
        scene->AddObject(cafe);
        for (BaseObject* building : c.park.All(OBJECT_BUILDING))
            building->PostLoad();
        const std::vector<BaseObject*> tables = c.park.All(OBJECT_TABLE);
        ASSERT_EQ(tables.size(), 2u);
        EXPECT_EQ(cafe->GetScene(), scene);
        int ridden = 0;
        for (BaseObject* object : tables)
        {
            auto* table = static_cast<TableObject*>(object);
            bool carries = false;
            for (uint32_t i = 0; i < table->GetAttachmentCount(); ++i)
            {
                EXPECT_NE(table->GetAttachment(i), cafe);
                carries = carries || (table->GetAttachment(i) != nullptr &&
                                      table->GetAttachment(i) == c.park.objects->GetObject(guestId));
            }
            ridden += carries ? 1 : 0;
            // A table either seats the guest it carries or has every chair free.
            EXPECT_EQ(table->IsFree(), !carries);
        }
        if (k.holder == Holder::GuestOfBothTables)
        {
            EXPECT_EQ(ridden, 1);
            auto* sitter = dynamic_cast<GuestObject*>(c.park.objects->GetObject(guestId));
            ASSERT_NE(sitter, nullptr);
            EXPECT_EQ(sitter->GetScene(), nullptr);
            EXPECT_NE(sitter->GetSeatHolder(), nullptr);
        }
        else
            EXPECT_EQ(ridden, 0);
    }
}

} // namespace

// A served guest rides on the table's model at its chair, out of the park's scene, and is set down again after a
// load. A table whose model has no place for the chair (its model missing, the placeholder standing in) cannot carry
// the guest: the guest stays in the scene, drawn where it eats, instead of vanishing from the park for its meal.
TEST(Table, AServedGuestRidesOnTheTableOnlyWhenItsModelHasTheChair)
{
    const struct
    {
        const char* model; // the table's model
        bool carried;      // the model has a place at each chair
    } cases[] = {
        {"table_round", true},
        {"no_such_table", false},
    };
    for (const auto& k : cases)
    {
        SCOPED_TRACE(k.model);
        Cafe c;
        c.park.Frames(2);
        Scene* scene = c.park.world->GetScene();
        TableObject* table = c.Table(0);
        table->SetModelName(k.model);
        WatchedGuest* guest = c.park.Guest(40.0f, 672.0f);
        const uint32_t guestId = guest->GetID();
        ASSERT_TRUE(table->ReserveSeat(guestId));
        c.park.Send(c.cafe->GetID(), table->GetID(), MT_SERVE_GUEST, guestId);
        EXPECT_TRUE(table->GetChair(0).ChairSeated);
        EXPECT_EQ(guest->GetState(), uint32_t{STATE_GUEST_AT_TABLE});
        EXPECT_EQ(table->GetAttachment(0) == guest, k.carried);
        EXPECT_EQ(guest->GetScene(), k.carried ? nullptr : scene);

        // Saved and loaded, the seated guest is taken on again as far as the model can carry it.
        const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { c.park.objects->Dump(s); });
        ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return c.park.objects->Load(s); }));
        auto* loadedTable = dynamic_cast<TableObject*>(c.park.All(OBJECT_TABLE).at(0));
        auto* loaded = dynamic_cast<GuestObject*>(c.park.objects->GetObject(guestId));
        ASSERT_TRUE(loadedTable && loaded);
        scene->AddObject(loaded);
        loadedTable->ReattachSeatedGuests();
        EXPECT_TRUE(loadedTable->GetChair(0).ChairSeated);
        EXPECT_EQ(loadedTable->GetAttachment(0) == loaded, k.carried);
        EXPECT_EQ(loaded->GetScene(), k.carried ? nullptr : scene);

        // Done eating, the guest stands in the scene either way.
        c.park.Send(guestId, loadedTable->GetID(), MT_COMMOD_QUALITY);
        EXPECT_EQ(loaded->GetScene(), scene);
        EXPECT_EQ(loaded->GetSeatHolder(), nullptr);
    }
}
