// Tests of what a guest's behaviour script calls and reads: walking onto and along footpaths (to the map's edge and
// no further), a place to eat, bins and litter, view and interest points, visits, the walking speed, the script
// variables and the functions a guest does not have.
#include "park/QueueComponent.h"
#include "platform/Random.h"
#include "scripts/ObjectScriptVocabulary.h"
#include "scripts/ObjectStates.h"
#include "scripts/ScriptTextHandles.h"
#include "tests/park/GuestTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <tuple>

using namespace guesttest;

namespace
{

using D = GuestObject;

ScriptValue Read(GuestObject& guest, uint32_t id)
{
    ScriptOperand operand;
    operand.id = id;
    return guest.GetScriptVariable(operand);
}

void Write(GuestObject& guest, uint32_t id, const ScriptValue& value)
{
    ScriptOperand operand;
    operand.id = id;
    guest.SetScriptVariable(operand, value);
}

std::pair<uint32_t, uint32_t> Point(const MessageRecord& record)
{
    return {record.dwFlags, record.dwData};
}

std::pair<uint32_t, uint32_t> CentreOf(int x, int y)
{
    return {static_cast<uint32_t>(x * 32 + 16), static_cast<uint32_t>(y * 64 + 32)};
}

TEST(GuestScript, GetonPathTakesTheFirstFootpathOfTheNearestRing)
{
    // Rings 1 to 25 round the guest's cell (20, 20), each tried in the directions +y, +x, -y, -x.
    struct Case
    {
        std::vector<GridPos> paths;
        GridPos expected; // (-1, -1): blocked
    };
    const Case cases[] = {
        {{{20, 23}, {23, 20}}, {20, 23}}, // the same ring: +y before +x
        {{{17, 20}, {20, 16}}, {17, 20}}, // ring 3 before ring 4
        {{{21, 21}}, {-1, -1}},           // diagonals are not looked at
        {{{20, 45}}, {20, 45}},           // ring 25
        {{{20, 46}}, {-1, -1}},           // ring 26 is too far
        {{{20, 20}, {20, 18}}, {20, 18}}, // the guest's own cell does not count
    };
    for (const Case& c : cases)
    {
        GuestPark park(48);
        for (uint32_t i = 0; i < park.map->GetCellCount(); ++i)
            park.map->CellAt(i).m_uiFlags &= ~CELL_FOOTPATH;
        for (const GridPos& p : c.paths)
            park.Footpath(p.x, p.y);
        WatchedGuest* guest = park.Guest(20 * 32 + 16, 20 * 64 + 32);
        guest->GetonPath();
        if (c.expected.x < 0)
        {
            ASSERT_EQ(guest->Got(MT_PATHBLOCKED).size(), 1u);
            EXPECT_EQ(Point(guest->Got(MT_PATHBLOCKED)[0]), std::pair(0u, 0u));
            EXPECT_TRUE(guest->Got(MT_MOVE2POINT).empty());
        }
        else
        {
            ASSERT_EQ(guest->Got(MT_MOVE2POINT).size(), 1u);
            EXPECT_EQ(Point(guest->Got(MT_MOVE2POINT)[0]), CentreOf(c.expected.x, c.expected.y));
        }
    }
}

TEST(GuestScript, GetConsumePointFindsAFootpathCellNearByOrGivesUpAfter64Draws)
{
    for (bool nearPath : {true, false})
    {
        GuestPark park(48);
        for (uint32_t i = 0; i < park.map->GetCellCount(); ++i)
            park.map->CellAt(i).m_uiFlags &= ~CELL_FOOTPATH;
        // A guest at (20, 20); footpath at (24, 18) (within the 16 x 16 draw) or at (40, 40) (out of it).
        if (nearPath)
            park.Footpath(24, 18);
        else
            park.Footpath(40, 40);
        WatchedGuest* guest = park.Guest(20 * 32 + 16, 20 * 64 + 32);
        platform::SRand(5);
        guest->GetConsumePoint();
        // Every draw takes two numbers: a guest that finds nothing has drawn 128.
        int drawsLeftToFind = 0;
        platform::RandomGenerator replay(5);
        for (int draw = 0; draw < 64; ++draw)
        {
            const int x = 20 + replay.Next() % 16 - 8, y = 20 + replay.Next() % 16 - 8;
            if (x == 24 && y == 18 && nearPath)
            {
                drawsLeftToFind = draw + 1;
                break;
            }
        }
        if (nearPath && drawsLeftToFind > 0)
        {
            ASSERT_EQ(guest->Got(MT_PAVEMENT2POINT).size(), 1u);
            EXPECT_EQ(Point(guest->Got(MT_PAVEMENT2POINT)[0]), CentreOf(24, 18));
        }
        else
        {
            ASSERT_EQ(guest->Got(MT_PATHBLOCKED).size(), 1u) << nearPath;
            EXPECT_EQ(Point(guest->Got(MT_PATHBLOCKED)[0]), std::pair(13u, 13u));
            // 64 draws of two numbers were taken.
            platform::RandomGenerator after(5);
            for (int i = 0; i < 128; ++i)
                after.Next();
            EXPECT_EQ(platform::Rand(), after.Next());
        }
    }
}

TEST(GuestScript, WalkingAlongAFootpathStopsAtItsEndAndAtTheMapsEdge)
{
    struct Case
    {
        const char* what;
        int guestX;
        int guestY;
        int32_t direction; // the one footpath side of the guest
        GridPos end;
    };
    // The map is 48 cells; the footpath row y = 7 runs right across it, the column x = 1 right along it.
    const Case cases[] = {{"east to the edge", 0, 7, 2, {47, 7}},
                          {"north to the edge", 1, 0, 0, {1, 47}},
                          {"west to the edge", 47, 7, 6, {0, 7}}};
    for (const Case& c : cases)
    {
        GuestPark park(48);
        // Only this footpath remains: the row or the column the case walks along.
        const bool row = c.direction == 2 || c.direction == 6;
        for (uint32_t i = 0; i < park.map->GetCellCount(); ++i)
        {
            MapCell& cell = park.map->CellAt(i);
            if (row ? cell.m_y != 7 : cell.m_x != 1)
                cell.m_uiFlags &= ~CELL_FOOTPATH;
        }
        WatchedGuest* guest = park.Guest(c.guestX * 32 + 16, c.guestY * 64 + 32);
        platform::SRand(9);
        guest->WalkAlongPath();
        // One open side: the draw picks it; then the jitter of x and y.
        platform::RandomGenerator replay(9);
        replay.Next();
        const int jx = replay.Next() % 20 - 10, jy = replay.Next() % 30 - 15;
        ASSERT_EQ(guest->Got(MT_PAVEMENT2POINT).size(), 1u) << c.what;
        EXPECT_EQ(Point(guest->Got(MT_PAVEMENT2POINT)[0]), std::pair(static_cast<uint32_t>(c.end.x * 32 + 16 + jx),
                                                                     static_cast<uint32_t>(c.end.y * 64 + 32 + jy)))
            << c.what;
        EXPECT_EQ(guest->GetWanderDir(), c.direction) << c.what;
        EXPECT_EQ(guest->GetActionState(), 0u);
    }
    // No footpath beside the guest: blocked.
    GuestPark park(48);
    WatchedGuest* guest = park.Guest(20 * 32 + 16, 20 * 64 + 32);
    guest->WalkAlongPath();
    ASSERT_EQ(guest->Got(MT_PATHBLOCKED).size(), 1u);
}

TEST(GuestScript, APathTurnTakesASideFootpathWhenThereIsOne)
{
    // Walking east (2) along y = 7 at x = 1, where the column x = 1 crosses: its sides are north (4, the side +2 is
    // direction 4) and south (0, the side +6).
    struct Case
    {
        bool north;
        bool south;
        unsigned seed;
        int32_t turn; // -1 none
    };
    int even = 1, odd = 1;
    while (platform::RandomGenerator(static_cast<uint32_t>(even)).Next() % 2 != 0)
        ++even;
    while (platform::RandomGenerator(static_cast<uint32_t>(odd)).Next() % 2 == 0)
        ++odd;
    const Case cases[] = {{true, true, static_cast<unsigned>(even), 4},
                          {true, true, static_cast<unsigned>(odd), 0},
                          {true, false, static_cast<unsigned>(odd), 4},
                          {false, true, static_cast<unsigned>(even), 0},
                          {false, false, 1, -1}};
    for (const Case& c : cases)
    {
        GuestPark park(48);
        if (!c.north)
            park.map->GetCell({1, 6})->m_uiFlags &= ~CELL_FOOTPATH;
        if (!c.south)
            park.map->GetCell({1, 8})->m_uiFlags &= ~CELL_FOOTPATH;
        WatchedGuest* guest = park.Guest(1 * 32 + 16, 7 * 64 + 32);
        guest->SetWanderDir(2);
        platform::SRand(c.seed);
        guest->CheckForPathTurn();
        if (c.turn < 0)
        {
            EXPECT_TRUE(guest->got.empty());
            EXPECT_EQ(guest->GetWanderDir(), 2);
            continue;
        }
        EXPECT_EQ(guest->Got(MT_MOVESTOP).size(), 1u);
        ASSERT_EQ(guest->Got(MT_PAVEMENT2POINT).size(), 1u);
        EXPECT_EQ(guest->GetWanderDir(), c.turn) << c.north << c.south;
        // Along the column to its end: y 0 going north, y 47 going south (give or take the jitter).
        const MessageRecord walk = guest->Got(MT_PAVEMENT2POINT)[0];
        const int y = static_cast<int>(walk.dwData) / 64;
        EXPECT_EQ(y, c.turn == 4 ? 0 : 47) << c.north << c.south;
    }
}

TEST(GuestScript, ANewOrderOnANewSquareEndsTheWalkAlongThePathAtOnce)
{
    GuestPark park(48);
    // On every new square the guest walks straight east instead.
    const char* text = "State STATE_NULL\n Message MT_MOVE_NEW_GRID_SQUARE\n  OnReceipt\n"
                       "   Message MT_MOVE_DIRECT_2POINT Me 480 400 ;\n  End\n End\nEnd\n";
    park.script.Compile(text, static_cast<uint32_t>(std::strlen(text)));
    WatchedGuest* guest = park.Guest(1 * 32 + 16, 20 * 64 + 32);
    park.Send(guest->GetID(), guest->GetID(), MT_PAVEMENT2POINT, 30 * 64 + 32, 1 * 32 + 16);
    park.Frames(1000, 0.1f);
    // The first square reached turned it east; it stands at the point it was sent to.
    ASSERT_EQ(guest->Got(MT_MOVE_NEW_GRID_SQUARE).size(), 1u);
    EXPECT_NEAR(guest->GetWorldPosition().x, 400.0f, 1.5f);
    EXPECT_NEAR(guest->GetWorldPosition().y, 480.0f, 1.5f);
}

TEST(GuestScript, ABinIsChosenByTheLitterChanceAmongThoseNearWithRoom)
{
    struct Case
    {
        float litter;
        int firstLitter;  // the bin at (4, 7)
        int secondLitter; // the bin at (6, 7)
        int chosen;       // 0, 1 or -1
    };
    // A type whose LITTER is no number ("nan" in its data): no draw is below it.
    const Case cases[] = {{0.0f, 0, 0, -1},
                          {1.0f, 0, 0, 0},
                          {1.0f, 10, 0, 1},
                          {1.0f, 10, 10, -1},
                          {std::numeric_limits<float>::quiet_NaN(), 0, 0, -1}};
    for (const Case& c : cases)
    {
        GuestPark park(48, c.litter);
        Scenery* bins[2] = {park.Item("Bin", 4, 7), park.Item("Bin", 6, 7)};
        bins[0]->SetNumItems(c.firstLitter);
        bins[1]->SetNumItems(c.secondLitter);
        // A third bin out of reach (more than 223 map units away).
        Scenery* far = park.Item("Bin", 20, 7);
        WatchedGuest* guest = park.Guest(5 * 32, 7 * 64 + 32);
        platform::SRand(1);
        guest->HeadForBin();
        if (c.chosen < 0)
        {
            EXPECT_EQ(guest->GetActionState(), 1u) << c.litter;
            EXPECT_TRUE(guest->Got(MT_MOVE2POINT).empty());
            continue;
        }
        EXPECT_EQ(guest->GetActionState(), 2u);
        EXPECT_EQ(guest->GetDestObjectID(), bins[c.chosen]->GetID());
        ASSERT_EQ(guest->Got(MT_MOVE2POINT).size(), 1u);
        const platform::Vec3 at = bins[c.chosen]->GetWorldPosition();
        EXPECT_EQ(Point(guest->Got(MT_MOVE2POINT)[0]),
                  std::pair(static_cast<uint32_t>(at.x), static_cast<uint32_t>(at.y)));
        EXPECT_NE(guest->GetDestObjectID(), far->GetID());
    }
}

TEST(GuestScript, LitterIsDroppedWhereTheGuestStandsWhileTheParkAllowsIt)
{
    for (bool allowed : {true, false})
    {
        GuestPark park(48);
        park.world->m_bAllowLitter = allowed;
        WatchedGuest* guest = park.Guest(10 * 32 + 5, 12 * 64 + 60);
        platform::SRand(4);
        guest->CreateLitter();
        const std::vector<BaseObject*> litter = park.All(OBJECT_LITTER);
        ASSERT_EQ(litter.size(), allowed ? 1u : 0u);
        if (!allowed)
            continue;
        // Litter0n with n drawn first, a quarter turn next.
        platform::RandomGenerator replay(4);
        const std::string name = "Litter0" + std::to_string(replay.Next() % 5 + 1);
        EXPECT_EQ(std::string(litter[0]->GetName()), name);
        EXPECT_EQ(litter[0]->GetDirection(), replay.Next() % 4);
        EXPECT_EQ(litter[0]->GetGridPos(), (GridPos{10, 12}));
    }
}

TEST(GuestScript, AViewPointIsTakenFreeAndFreedAndTheGuestFacesTheNearestInterestPoint)
{
    GuestPark park(48);
    BuildingObject* zoo = park.Shop("ZOO", 2, 10);
    WatchedGuest* a = park.Guest(40.0f, 640.0f);
    WatchedGuest* b = park.Guest(40.0f, 640.0f);
    WatchedGuest* c = park.Guest(40.0f, 640.0f);
    for (WatchedGuest* g : {a, b, c})
    {
        g->SetDestObject(zoo->GetID());
        g->FindViewPoint(false);
    }
    // Two view points: the third guest cannot move.
    EXPECT_EQ(std::tuple(a->GetPointUsing(), b->GetPointUsing(), c->GetPointUsing()), std::tuple(0, 1, -1));
    platform::Vec3 first;
    ASSERT_TRUE(zoo->GetViewPoint(0, first));
    ASSERT_EQ(a->Got(MT_MOVE_DIRECT_2POINT).size(), 1u);
    EXPECT_EQ(Point(a->Got(MT_MOVE_DIRECT_2POINT)[0]),
              std::pair(static_cast<uint32_t>(first.x), static_cast<uint32_t>(first.y)));
    EXPECT_EQ(c->Got(MT_CANT_MOVE).size(), 1u);
    a->CallScriptFunction(SF_FreeViewPoint);
    EXPECT_FALSE(zoo->IsViewPointInUse(false, 0));
    EXPECT_TRUE(zoo->IsViewPointInUse(false, 1));
    c->FindViewPoint(false);
    EXPECT_EQ(c->GetPointUsing(), 0);

    // Interest points at the corner and one cell on: a guest nearer the second faces it.
    platform::Vec3 far, nearPoint;
    ASSERT_TRUE(zoo->GetInterestPoint(0, far) && zoo->GetInterestPoint(1, nearPoint));
    WatchedGuest* watcher = park.Guest(nearPoint.x + 30.0f, nearPoint.y + 40.0f);
    watcher->SetDestObject(zoo->GetID());
    watcher->FaceInterestPoint();
    EXPECT_NEAR(watcher->GetOrientation().y, std::atan2(0.6f, 0.8f), 1e-5f);
}

// A guest taken out of the park while it stands at a view point, whichever way it goes, frees that point (of its own
// set, the other set untouched) for the next guest; a guest that freed its point first frees nothing more.
TEST(GuestScript, AGuestRemovedAtAViewPointGivesThePointBack)
{
    enum class Way
    {
        KillMe,     // its own script ends it
        KillObject, // the world is asked to end it
        Flagged,    // flagged for removal directly, as when what holds it goes
    };
    struct Case
    {
        Way way;
        bool second;
        bool freedFirst;
    };
    const Case cases[] = {
        {Way::KillMe, false, false},    {Way::KillMe, true, false},   {Way::KillObject, false, false},
        {Way::KillObject, true, false}, {Way::Flagged, false, false}, {Way::Flagged, true, false},
        {Way::KillMe, false, true},     {Way::KillMe, true, true},
    };
    for (const Case& c : cases)
    {
        const char* const ways[] = {"KillMe", "KillObject", "flagged"};
        const std::string what = std::string(ways[static_cast<int>(c.way)]) + (c.second ? " second" : " first") +
                                 (c.freedFirst ? " freed first" : "");
        GuestPark park(48);
        BuildingObject* zoo = park.Shop("ZOO", 2, 10);
        ASSERT_EQ(zoo->GetViewPointCount(c.second), 2) << what;
        WatchedGuest* leaver = park.Guest(40.0f, 640.0f);
        WatchedGuest* neighbour = park.Guest(40.0f, 640.0f);
        WatchedGuest* other = park.Guest(40.0f, 640.0f);
        WatchedGuest* next = park.Guest(40.0f, 640.0f);
        for (WatchedGuest* g : {leaver, neighbour, other, next})
            g->SetDestObject(zoo->GetID());
        // The leaver and its neighbour fill the set; another guest stands at the same first point of the other set.
        leaver->FindViewPoint(c.second);
        neighbour->FindViewPoint(c.second);
        other->FindViewPoint(!c.second);
        ASSERT_EQ(std::tuple(leaver->GetPointUsing(), neighbour->GetPointUsing(), other->GetPointUsing()),
                  std::tuple(0, 1, 0))
            << what;
        if (c.freedFirst)
        {
            leaver->CallScriptFunction(c.second ? SF_FreeViewPoint2 : SF_FreeViewPoint);
            // Taken again by another before the leaver goes: the leaver's going must not free it.
            next->FindViewPoint(c.second);
            ASSERT_EQ(next->GetPointUsing(), 0) << what;
        }
        const uint32_t id = leaver->GetID();
        switch (c.way)
        {
        case Way::KillMe:
            leaver->CallScriptFunction(SF_KillMe);
            break;
        case Way::KillObject:
            park.Send(kWorldID, kWorldID, MT_KILLOBJECT, id);
            break;
        case Way::Flagged:
            leaver->SetWaitingForDeath(true);
            break;
        }
        park.Frames(1);
        ASSERT_EQ(park.objects->GetObject(id), nullptr) << what;
        EXPECT_TRUE(zoo->IsViewPointInUse(c.second, 1)) << what;
        EXPECT_TRUE(zoo->IsViewPointInUse(!c.second, 0)) << what;
        if (c.freedFirst)
        {
            EXPECT_TRUE(zoo->IsViewPointInUse(c.second, 0)) << what;
            continue;
        }
        next->FindViewPoint(c.second);
        EXPECT_EQ(next->GetPointUsing(), 0) << what;
        EXPECT_TRUE(next->Got(MT_CANT_MOVE).empty()) << what;
    }
}

TEST(GuestScript, WalkSpeedIsJitteredByAQuarterAndSpeedsBelowFourAreKept)
{
    struct Case
    {
        int speed;
        int low;
        int high;
    };
    // Speed v + (rand % q) - q / 2 with q = v / 4.
    const Case cases[] = {{8, 7, 8}, {30, 27, 33}, {4, 4, 4}, {3, 3, 3}, {1, 1, 1}};
    for (const Case& c : cases)
    {
        GuestPark park(48);
        WatchedGuest* guest = park.Guest(40.0f, 480.0f);
        std::set<int> seen;
        for (unsigned seed = 1; seed < 60; ++seed)
        {
            platform::SRand(seed);
            Write(*guest, SV_WalkSpeed, ScriptValue::UInt(static_cast<uint32_t>(c.speed)));
            const float speed = guest->GetMaxVelocity();
            seen.insert(static_cast<int>(speed));
            EXPECT_EQ(speed, std::floor(speed));
            EXPECT_FLOAT_EQ(guest->GetMaxForce(), speed * 0.4f);
        }
        EXPECT_EQ(*seen.begin(), c.low) << c.speed;
        EXPECT_EQ(*seen.rbegin(), c.high) << c.speed;
    }
    GuestPark park(48);
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    Write(*guest, SV_QueueSpeed, ScriptValue::Float(12.5f));
    EXPECT_EQ(std::pair(guest->GetMaxVelocity(), guest->GetMaxForce()), std::pair(12.5f, 6.25f));
}

TEST(GuestScript, TheGuestsVariablesAnswerFromItsStateAndTheBuildingItDealsWith)
{
    GuestPark park(48);
    BuildingObject* food = park.Shop("FOOD", 2, 10);
    food->SetAttractionPrice(4.5f);
    Scenery* bin = park.Item("Bin", 5, 7);
    WatchedGuest* guest = park.Guest(1 * 32 + 16, 10 * 64 + 32);
    guest->SetDestObject(food->GetID());
    guest->CheckQueue();
    // MaxPrice: the listed 5 x 120 x 2 x 0.01.
    EXPECT_FLOAT_EQ(ScriptValueToFloat(Read(*guest, SV_MaxPrice)), 12.0f);
    EXPECT_FLOAT_EQ(ScriptValueToFloat(Read(*guest, SV_CommodPrice)), 4.5f);
    EXPECT_FLOAT_EQ(ScriptValueToFloat(Read(*guest, SV_Cash)), 60.0f);
    EXPECT_EQ(ScriptValueToInt(Read(*guest, SV_QueuePos)), 0u);
    EXPECT_EQ(ScriptValueToInt(Read(*guest, SV_IceDropScore)), 5u);
    EXPECT_FALSE(IsScriptValueTrue(Read(*guest, SV_NotOnPath)));
    EXPECT_FALSE(IsScriptValueTrue(Read(*guest, SV_ShouldLeavePark)));
    EXPECT_TRUE(IsScriptValueTrue(Read(*guest, SV_CanLeaveBuilding)));
    EXPECT_TRUE(IsScriptValueTrue(Read(*guest, SV_DesireViewPoints)));
    EXPECT_TRUE(IsScriptValueTrue(Read(*guest, SV_QueueOutOfBuilding)));
    EXPECT_EQ(std::string(Read(*guest, SV_DesiredCommodText).text), "MEALS");
    EXPECT_EQ(std::string(Read(*guest, SV_Walkanimation).text), "WALK_NORMAL");
    Write(*guest, SV_Walkanimation, ScriptValue::Text("WALK_HAPPY_TOO_LONG_A_NAME"));
    EXPECT_EQ(std::string(guest->GetWalkAnimation()), "WALK_HAPPY_TOO_");
    Write(*guest, SV_Cash, ScriptValue::Float(12.25f));
    EXPECT_FLOAT_EQ(guest->GetCash(), 12.25f);
    Write(*guest, SV_MyDir, ScriptValue::UInt(0xFFFFFFFFu));
    EXPECT_EQ(guest->GetDirection(), 7);

    // Off the footpath; the bin's litter read and written through the guest.
    guest->SetWorldPosition({300.0f, 1300.0f, 0.0f});
    EXPECT_TRUE(IsScriptValueTrue(Read(*guest, SV_NotOnPath)));
    guest->SetDestObject(bin->GetID());
    Write(*guest, SV_LitterInBin, ScriptValue::UInt(4));
    EXPECT_EQ(bin->GetNumItems(), 4);
    EXPECT_EQ(ScriptValueToInt(Read(*guest, SV_LitterInBin)), 4u);
    guest->SetDestObject(kNoObjectID);
    EXPECT_EQ(ScriptValueToInt(Read(*guest, SV_LitterInBin)), 0u);

    // The message being handled: a text travels as a handle in its data.
    const char* script = "State STATE_NULL\n Message MT_SPOT_OPINION\n  OnReceipt\n   Set Walkanimation MsgChar ;\n"
                         "  End\n End\nEnd\n";
    park.script.Compile(script, static_cast<uint32_t>(std::strlen(script)));
    WatchedGuest* reader = park.Guest(40.0f, 480.0f);
    park.Send(food->GetID(), reader->GetID(), MT_SPOT_OPINION, InternScriptText("WAVE"));
    EXPECT_EQ(std::string(reader->GetWalkAnimation()), "WAVE");
    park.Send(food->GetID(), reader->GetID(), MT_SPOT_OPINION, 0xABCDEF);
    EXPECT_EQ(std::string(reader->GetWalkAnimation()), "");
}

// IceDropScore is the guest type's LITTER x 10 cut to a whole number; a LITTER too large for any score reads as
// the greatest score a script word holds, one too far below nothing as the least.
TEST(GuestScript, TheIceDropScoreIsTenTimesTheLitterChanceCutToAWholeNumber)
{
    struct Case
    {
        float litter;
        uint32_t score;
    };
    const Case cases[] = {{0.0f, 0u},
                          {0.5f, 5u},
                          {0.99f, 9u},
                          {2.5f, 25u},
                          {1.0e8f, 1000000000u},
                          {1.0e10f, 0xFFFFFFFFu},
                          {std::numeric_limits<float>::max(), 0xFFFFFFFFu},
                          // Below nothing: the score's word as a signed whole number.
                          {-0.35f, static_cast<uint32_t>(-3)},
                          {-std::numeric_limits<float>::max(), 0x80000000u}};
    for (const Case& c : cases)
    {
        GuestPark park(48);
        WatchedGuest* guest = park.Guest(40.0f, 480.0f);
        park.params->GetGuestInfo(park.params->FindGuest("MAN")).fLitter = c.litter;
        EXPECT_EQ(ScriptValueToInt(Read(*guest, SV_IceDropScore)), c.score) << c.litter;
    }
}

TEST(GuestScript, AFunctionTheGuestDoesNotHaveIsReportedAndChangesNothing)
{
    for (uint32_t function : {42u, 60u, 81u, 85u, 200u})
    {
        GuestPark park(48);
        WatchedGuest* guest = park.Guest(40.0f, 480.0f);
        const float cash = guest->GetCash();
        guest->CallScriptFunction(function);
        EXPECT_EQ(park.CountReports("An invalid function has been called within the GuestObject"), 1u) << function;
        EXPECT_TRUE(park.reports.boxes.empty()) << function;
        EXPECT_EQ(guest->GetCash(), cash);
        EXPECT_TRUE(guest->got.empty());
    }
}

TEST(GuestScript, CashBladderVisitsAndTheEndOfAGuest)
{
    GuestPark park(48);
    BuildingObject* food = park.Shop("FOOD", 2, 10);
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    guest->CallScriptFunction(SF_OutOfCash);
    EXPECT_TRUE(guest->NeedsCash());
    guest->CallScriptFunction(SF_WithdrawCash);
    EXPECT_EQ(std::pair(guest->NeedsCash(), guest->GetCash()), std::pair(false, 110.0f));
    guest->SetDesire(D::DESIRE_TOILET, 0.5f);
    guest->CallScriptFunction(SF_AddToBladder);
    EXPECT_FLOAT_EQ(guest->GetDesire(D::DESIRE_TOILET), 0.75f);

    guest->SetDestObject(food->GetID());
    for (int i = 0; i < 3; ++i)
        guest->CallScriptFunction(SF_AddVisit);
    ASSERT_EQ(guest->GetVisitCount(), 1);
    EXPECT_EQ(guest->CountVisits(food->GetID()), 3);
    // The building goes: its visits are forgotten.
    park.Send(food->GetID(), guest->GetID(), MT_BUILDING_BEING_REMOVED);
    EXPECT_EQ(guest->GetVisitCount(), 0);

    // The entrance: the guest is put at its first exit point; the exit is the same building.
    BuildingObject* entrance = park.Shop("ENTRANCE", 30, 30);
    guest->CallScriptFunction(SF_FindEntrance);
    EXPECT_EQ(guest->GetDestObjectID(), entrance->GetID());
    platform::Vec3 out;
    ASSERT_TRUE(entrance->GetOutWalkPoint(OBJECT_GUEST, 0, out));
    EXPECT_EQ(std::pair(guest->GetWorldPosition().x, guest->GetWorldPosition().y), std::pair(out.x, out.y));

    const uint32_t id = guest->GetID();
    guest->CallScriptFunction(SF_KillMe);
    park.Frames(1);
    EXPECT_EQ(park.objects->GetObject(id), nullptr);
}

// A walking speed near the top of what a whole number holds, jitter and all, is a speed like any other too fast for a
// walk: the fastest walk there is, and the force that goes with it.
TEST(GuestScript, AWalkSpeedAtTheTopOfAWholeNumbersRangeIsTheFastestWalk)
{
    GuestPark park(48);
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    for (const uint32_t speed : {0x7FFFFFFFu, 0x7FFFFFF0u, 0x7FFF0000u})
    {
        for (unsigned seed = 1; seed < 20; ++seed)
        {
            platform::SRand(seed);
            Write(*guest, SV_WalkSpeed, ScriptValue::UInt(speed));
            EXPECT_EQ(guest->GetMaxVelocity(), MovingObject::kMaxSteer) << speed;
            EXPECT_FLOAT_EQ(guest->GetMaxForce(), MovingObject::kMaxSteer * 0.4f) << speed;
        }
    }
}

} // namespace
