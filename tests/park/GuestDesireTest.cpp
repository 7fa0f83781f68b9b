// Tests of the guests' desires and their choice of a destination: growth, which desire is served (cash, then the
// toilet, then the strongest, ties to the lower index), the distance bands, intensity and repeat scores and ties
// between buildings, retail and the map, the seat for a rest, leaving, and desires no building serves.
#include "park/FeedbackManager.h"
#include "platform/Random.h"
#include "scripts/ObjectScriptVocabulary.h"
#include "scripts/ObjectStates.h"
#include "tests/park/GuestTestSupport.h"
#include "world/CreationRequests.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <tuple>

using namespace guesttest;

namespace
{

using D = GuestObject;

// The building the guest was sent to (the last MT_PAVEMENT2OBJECT it was told), or none.
uint32_t SentTo(const WatchedGuest& guest)
{
    const auto orders = guest.Got(MT_PAVEMENT2OBJECT);
    return orders.empty() ? kNoObjectID : orders.back().dwData;
}

void SetDesires(GuestObject& guest, std::initializer_list<std::pair<int32_t, float>> levels)
{
    for (int32_t d = 0; d < D::DESIRE_COUNT; ++d)
        guest.SetDesire(d, 0.0f);
    for (const auto& [d, level] : levels)
        guest.SetDesire(d, level);
}

TEST(GuestDesires, TheDesireServedIsCashThenTheToiletThenTheStrongest)
{
    struct Case
    {
        const char* what;
        std::initializer_list<std::pair<int32_t, float>> levels;
        float cash;
        bool needCash;
        int32_t chosen;
    };
    const Case cases[] = {
        {"all at nothing", {}, 60.0f, false, D::DESIRE_MEALS},
        {"the strongest", {{D::DESIRE_RIDE, 0.4f}, {D::DESIRE_AMUSEMENT, 0.3f}}, 60.0f, false, D::DESIRE_RIDE},
        {"a tie goes to the lower index",
         {{D::DESIRE_RIDE, 0.7f}, {D::DESIRE_SNACKS, 0.7f}},
         60.0f,
         false,
         D::DESIRE_SNACKS},
        {"toilet at 0.6 does not press",
         {{D::DESIRE_TOILET, 0.6f}, {D::DESIRE_RIDE, 0.7f}},
         60.0f,
         false,
         D::DESIRE_RIDE},
        {"toilet at 0.61 does", {{D::DESIRE_TOILET, 0.61f}, {D::DESIRE_RIDE, 0.7f}}, 60.0f, false, D::DESIRE_TOILET},
        {"cash at 20 is enough", {}, 20.0f, false, D::DESIRE_MEALS},
        {"below 20 it is not", {{D::DESIRE_TOILET, 0.9f}}, 19.99f, false, D::DESIRE_CASH},
        {"a guest out of cash wants cash", {{D::DESIRE_TOILET, 0.9f}}, 60.0f, true, D::DESIRE_CASH},
        {"the strongest over an easy toilet",
         {{D::DESIRE_ANIMAL_SHOW, 0.9f}, {D::DESIRE_TOILET, 0.5f}},
         60.0f,
         false,
         D::DESIRE_ANIMAL_SHOW},
    };
    for (const Case& c : cases)
    {
        GuestPark park;
        std::vector<BuildingObject*> shops;
        for (const char* type : {"FOOD", "SNACK", "ZOO", "SHOW", "FUN", "RIDE", "GIFTS", "RESTSMALL", "BANK"})
            shops.push_back(park.Shop(type, 2, 10 + static_cast<int>(shops.size())));
        WatchedGuest* guest = park.Guest(40.0f, 480.0f);
        SetDesires(*guest, c.levels);
        guest->SetCash(c.cash);
        if (c.needCash)
            guest->CallScriptFunction(SF_OutOfCash);
        guest->SearchDesire();
        EXPECT_EQ(guest->GetActivityDesire(), c.chosen) << c.what;
        // Sent to the one building of the desire's category.
        const int32_t category = GuestObject::GetDesireCategory(c.chosen);
        uint32_t expected = kNoObjectID;
        for (BuildingObject* shop : shops)
            expected = shop->GetInfo().iAttractCategory == category ? shop->GetID() : expected;
        EXPECT_EQ(SentTo(*guest), expected) << c.what;
        EXPECT_EQ(guest->GetState(), uint32_t{STATE_GUEST_HEADING_DESIRE}) << c.what;
    }
}

TEST(GuestDesires, ABuildingsDistanceFallsIntoBandsOfTheSquaredDistanceWithYCountedHalf)
{
    // The building's corner is the origin of dx and dy; d2 = dx^2 + (dy / 2)^2 against 2048 x 441, x 1764, x 4096.
    struct Case
    {
        float dx;
        float dy;
        float band;
    };
    const Case cases[] = {{672.0f, 0.0f, 1.0f},   {950.0f, 0.0f, 1.0f},   {951.0f, 0.0f, 0.66f},
                          {0.0f, 1900.0f, 1.0f},  {0.0f, 1902.0f, 0.66f}, {1900.0f, 0.0f, 0.66f},
                          {1901.0f, 0.0f, 0.33f}, {2896.0f, 0.0f, 0.33f}, {2897.0f, 0.0f, 0.0f}};
    for (const Case& c : cases)
    {
        GuestPark park(128);
        BuildingObject* ride = park.Shop("RIDE", 2, 2);
        const platform::Vec3 at = ride->GetWorldPosition();
        WatchedGuest* guest = park.Guest(at.x + c.dx, at.y + c.dy);
        SetDesires(*guest, {{D::DESIRE_RIDE, 1.0f}});
        guest->SearchDesire();
        ASSERT_EQ(guest->GetCandidateCount(), 1u) << c.dx << " " << c.dy;
        const D::Candidate& scored = guest->GetCandidates()[0];
        EXPECT_FLOAT_EQ(scored.distance, c.band) << c.dx << " " << c.dy;
        // Intensity 0.5 suits the preference 0.5 exactly; never visited.
        EXPECT_FLOAT_EQ(scored.total, c.band + 1.0f + 1.0f) << c.dx << " " << c.dy;
    }
}

TEST(GuestDesires, IntensityAndVisitsScoreABuildingAndTheFirstOfEqualOnesWins)
{
    struct Case
    {
        const char* what;
        float preference;
        int visitsToFirst;
        int visitsToSecond;
        int chosen;
        float firstTotal;
    };
    // Both rides have the intensity 0.5 and stand as near; the preference moves the intensity score of both.
    const Case cases[] = {
        {"equal: the first in the pool", 0.5f, 0, 0, 0, 3.0f},
        {"the first visited once", 0.5f, 1, 0, 1, 1.0f + 0.5f + 1.0f},
        {"both visited, the first less", 0.2f, 1, 3, 0, 1.0f + 0.7f + 0.5f},
        {"a far preference lowers both alike", 1.0f, 2, 2, 0, 1.0f + 0.5f + 1.0f / 3.0f},
    };
    for (const Case& c : cases)
    {
        GuestPark park;
        BuildingObject* rides[2] = {park.Shop("RIDE", 2, 10), park.Shop("RIDE", 2, 11)};
        park.params->GetGuestInfo(park.params->FindGuest("MAN")).fRidePrefInten = c.preference;
        WatchedGuest* guest = park.Guest(48.0f, 672.0f);
        const int visits[2] = {c.visitsToFirst, c.visitsToSecond};
        for (int r = 0; r < 2; ++r)
        {
            guest->SetDestObject(rides[r]->GetID());
            for (int v = 0; v < visits[r]; ++v)
                guest->AddVisit();
        }
        guest->SetDestObject(kNoObjectID);
        SetDesires(*guest, {{D::DESIRE_RIDE, 1.0f}});
        guest->SearchDesire();
        EXPECT_EQ(SentTo(*guest), rides[c.chosen]->GetID()) << c.what;
        ASSERT_EQ(guest->GetCandidateCount(), 2u);
        EXPECT_NEAR(guest->GetCandidates()[0].total, c.firstTotal, 1e-5f) << c.what;
    }
}

TEST(GuestDesires, GrowWithGameTimeUpToOneAndAreDrawnAgainWhenServed)
{
    GuestPark park;
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    const float day = static_cast<float>(park.world->GetDayLength());
    for (int32_t d = 0; d < D::DESIRE_COUNT; ++d)
    {
        const float rate = guest->GetDesireRate(d);
        if (d == D::DESIRE_TOILET || d == D::DESIRE_CASH)
            EXPECT_EQ(rate, 0.0f) << d;
        else
            EXPECT_TRUE(rate * day >= 0.25f - 1e-6f && rate * day <= 0.75f + 1e-6f) << d << " " << rate * day;
    }
    SetDesires(*guest, {{D::DESIRE_MEALS, 0.5f}, {D::DESIRE_TOILET, 0.3f}, {D::DESIRE_REST, 0.99f}});
    const float meals = guest->GetDesireRate(D::DESIRE_MEALS);
    guest->GrowDesires(10.0f);
    EXPECT_FLOAT_EQ(guest->GetDesire(D::DESIRE_MEALS), 0.5f + meals * 10.0f);
    EXPECT_FLOAT_EQ(guest->GetDesire(D::DESIRE_TOILET), 0.3f);
    EXPECT_FLOAT_EQ(guest->GetDesire(D::DESIRE_CASH), 0.0f);
    guest->GrowDesires(day);
    EXPECT_FLOAT_EQ(guest->GetDesire(D::DESIRE_REST), 1.0f);

    // While the park is paused the frame's time is nothing: the desires stand still.
    const float before = guest->GetDesire(D::DESIRE_SNACKS);
    park.world->SetPaused(true);
    park.Frames(5, 1.0f);
    EXPECT_EQ(guest->GetDesire(D::DESIRE_SNACKS), before);
    park.world->SetPaused(false);

    platform::SRand(3);
    guest->DrawDesireRate(D::DESIRE_REST);
    EXPECT_EQ(guest->GetDesire(D::DESIRE_REST), 0.0f);
    EXPECT_GT(guest->GetDesire(D::DESIRE_MEALS), 0.0f);
    // The rates are drawn again, each within its day's range.
    platform::SRand(3);
    const float r = static_cast<float>(platform::Rand()) / 32767.0f;
    EXPECT_NEAR(guest->GetDesireRate(D::DESIRE_MEALS) * day, 0.25f + r * 0.5f, 1e-5f);
}

TEST(GuestDesires, AGuestLeavesAfterADayOrWhenUnhappy)
{
    struct Case
    {
        int hours;
        float happiness;
        uint32_t state;
        bool early;
    };
    const Case cases[] = {{23, 0.5f, STATE_GUEST_HEADING_DESIRE, false},
                          {24, 0.5f, STATE_GUEST_LEAVING_WORLD, false},
                          {0, 0.19f, STATE_GUEST_LEAVING_WORLD, true},
                          {0, 0.2f, STATE_GUEST_HEADING_DESIRE, false},
                          {30, 0.1f, STATE_GUEST_LEAVING_WORLD, true}};
    for (const Case& c : cases)
    {
        GuestPark park;
        park.Shop("FOOD", 2, 10);
        WatchedGuest* guest = park.Guest(40.0f, 480.0f);
        // An hour of a 240 s day is 10 game seconds.
        park.world->SetGameTime(guest->GetTimeArrived() + 10.0 * c.hours + 5.0);
        for (int o = 0; o < D::OPINION_COUNT; ++o)
            guest->SetOpinion(o, c.happiness);
        guest->UpdateHappiness();
        SetDesires(*guest, {{D::DESIRE_MEALS, 0.9f}});
        guest->SearchDesire();
        EXPECT_EQ(guest->GetHoursInPark(), c.hours);
        EXPECT_EQ(guest->GetState(), c.state) << c.hours << " " << c.happiness;
        EXPECT_EQ(guest->IsLeavingEarly(), c.early) << c.hours << " " << c.happiness;
        if (c.state == STATE_GUEST_LEAVING_WORLD)
        {
            EXPECT_EQ(guest->GetIcon(), D::kIconLeaving);
        }
        // The thumbs go down two and a half seconds after the decision to leave early.
        park.Frames(24, 0.1f);
        EXPECT_TRUE(guest->Got(MT_THUMBS_DOWN).empty());
        park.Frames(2, 0.1f);
        EXPECT_EQ(guest->Got(MT_THUMBS_DOWN).size(), c.early ? 1u : 0u);
    }
}

// However long a stay has been, more hours than a count holds included, the guest has been in the park for more than
// a day and goes home.
TEST(GuestDesires, AStayLongerThanAnyCountOfHoursStillEndsTheVisit)
{
    struct Case
    {
        const char* what;
        int32_t hoursBeforeArrival;
        double secondsSinceArrival;
    };
    // An hour of a 240 s day is 10 game seconds: 3e10 seconds are 3e9 hours.
    const Case cases[] = {{"a day and an hour", 0, 250.0},
                          {"three thousand million hours", 0, 3.0e10},
                          {"every hour a request can give", INT32_MAX, 5.0}};
    for (const Case& c : cases)
    {
        GuestPark park;
        park.Shop("FOOD", 2, 10);
        WatchedGuest* guest = park.Guest(40.0f, 480.0f);
        GuestCreationRequest request;
        request.iHoursInPark = c.hoursBeforeArrival;
        guest->SetUpFromRequest(OBJECT_GUEST, &request);
        park.world->SetGameTime(park.world->GetGameTime() + c.secondsSinceArrival);
        EXPECT_GT(guest->GetHoursInPark(), D::kLongestStay) << c.what;
        ScriptOperand leave;
        leave.id = SV_ShouldLeavePark;
        EXPECT_NE(ScriptValueToInt(guest->GetScriptVariable(leave)), 0u) << c.what;
        SetDesires(*guest, {{D::DESIRE_MEALS, 0.9f}});
        guest->SearchDesire();
        EXPECT_EQ(guest->GetState(), uint32_t{STATE_GUEST_LEAVING_WORLD}) << c.what;
    }
}

TEST(GuestDesires, ADesireNoBuildingServesCostsOpinionsAndIsCounted)
{
    GuestPark park;
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    for (int o = 0; o < D::OPINION_COUNT; ++o)
        guest->SetOpinion(o, 0.5f);
    guest->SetOpinion(D::OPINION_BEAUTY, 0.03f);
    guest->UpdateHappiness();
    SetDesires(*guest, {{D::DESIRE_RIDE, 0.8f}, {D::DESIRE_SNACKS, 0.4f}});
    guest->SearchDesire();
    // Every opinion loses the variety effect (0.05), beauty no further than nothing.
    EXPECT_FLOAT_EQ(guest->GetOpinion(D::OPINION_VARIETY), 0.45f);
    EXPECT_FLOAT_EQ(guest->GetOpinion(D::OPINION_PRICE), 0.45f);
    EXPECT_FLOAT_EQ(guest->GetOpinion(D::OPINION_BEAUTY), 0.0f);
    EXPECT_NEAR(guest->GetHappiness(), (0.45f * 5.0f) / 6.0f, 1e-6f);
    EXPECT_EQ(guest->GetDesire(D::DESIRE_RIDE), 0.0f);
    EXPECT_EQ(park.Feedback().GetMissedDesireCount(D::DESIRE_RIDE), 1u);
    EXPECT_TRUE(guest->IsLastBad());
    EXPECT_EQ(guest->GetState(), uint32_t{STATE_NULL});
    // Its thoughts: the desire, then that it was missed (the newest first).
    EXPECT_EQ(std::u16string(park.texts->GetTextByIndex(guest->GetThought(1))).substr(0, 11), u"DESIRE_RIDE");
    EXPECT_EQ(std::u16string(park.texts->GetTextByIndex(guest->GetThought(0))).substr(0, 13), u"MISSED_DESIRE");

    // No cash and nowhere to get it: the guest gives up at once.
    guest->SetCash(5.0f);
    guest->SearchDesire();
    EXPECT_EQ(guest->GetState(), uint32_t{STATE_GUEST_LEAVING_WORLD});
    EXPECT_TRUE(guest->IsLeavingEarly());
    EXPECT_EQ(guest->GetHappiness(), 0.0f);
    EXPECT_EQ(park.Feedback().GetMissedDesireCount(D::DESIRE_CASH), 1u);
}

TEST(GuestDesires, RetailSellsMapsAtInformationAndSouvenirsAtShops)
{
    struct Case
    {
        bool map;
        bool shop;
        bool information;
        int seed;
        const char* goesTo; // null: missed
        bool buyingMap;
    };
    // A seed whose first draw is even, and one whose first draw is odd: the coin of a guest without a map.
    int even = 1, odd = 1;
    while (platform::RandomGenerator(static_cast<uint32_t>(even)).Next() % 2 != 0)
        ++even;
    while (platform::RandomGenerator(static_cast<uint32_t>(odd)).Next() % 2 == 0)
        ++odd;
    const Case cases[] = {
        {false, true, true, even, "GIFTS", false}, {false, true, true, odd, "INFORMATION", true},
        {true, true, true, 1, "GIFTS", false},     {true, false, true, 1, nullptr, false},
        {false, true, false, 2, "GIFTS", false},   {false, false, true, 2, "INFORMATION", true},
        {false, true, false, 3, "GIFTS", false},   {false, false, true, 3, "INFORMATION", true},
    };
    for (const Case& c : cases)
    {
        GuestPark park;
        BuildingObject* gifts = c.shop ? park.Shop("GIFTS", 2, 10) : nullptr;
        BuildingObject* info = c.information ? park.Shop("INFORMATION", 2, 11) : nullptr;
        WatchedGuest* guest = park.Guest(40.0f, 480.0f);
        guest->SetHasMap(c.map);
        SetDesires(*guest, {{D::DESIRE_RETAIL, 0.9f}});
        platform::SRand(static_cast<unsigned>(c.seed));
        guest->SearchDesire();
        const uint32_t expected = !c.goesTo                          ? kNoObjectID
                                  : std::string(c.goesTo) == "GIFTS" ? gifts->GetID()
                                                                     : info->GetID();
        EXPECT_EQ(SentTo(*guest), expected) << c.map << c.shop << c.information << c.seed;
        EXPECT_EQ(guest->IsBuyingMap(), c.buyingMap) << c.map << c.shop << c.information << c.seed;
    }
}

TEST(GuestDesires, ARestIsTakenOnTheNearestFreeSeatWithinReach)
{
    struct Case
    {
        const char* what;
        int seats;          // benches at (4, 7) and (20, 7), the nearer first when 2
        int takenNear;      // guests already on the near bench
        bool farOnly;       // only the far bench, beyond reach
        int binLitter;      // -1: no bin seat; else a bin seat (capacity 2) with this litter at (3, 7)
        const char* chosen; // "near", "far", "bin", "none" (missed), "kept" (found, nothing sent)
    };
    const Case cases[] = {
        {"the nearer of two", 2, 0, false, -1, "near"},
        {"a full bench is passed over", 2, 2, false, -1, "far"},
        {"one guest leaves a seat free", 2, 1, false, -1, "near"},
        {"beyond reach there is no seat", 1, 0, true, -1, "none"},
        {"a bin seat with room", 0, 0, false, 1, "bin"},
        {"a full bin seat is kept without a word", 0, 0, false, 2, "kept"},
    };
    for (const Case& c : cases)
    {
        GuestPark park;
        Scenery* near = c.seats >= 1 && !c.farOnly ? park.Item("BENCH", 4, 7) : nullptr;
        Scenery* far = c.seats >= 2 || c.farOnly ? park.Item("BENCH", c.farOnly ? 44 : 20, 7) : nullptr;
        Scenery* bin = c.binLitter >= 0 ? park.Item("BinSeat", 3, 7) : nullptr;
        if (bin)
            bin->SetNumItems(c.binLitter);
        for (int i = 0; i < c.takenNear; ++i)
            park.Send(park.Guest(160.0f, 480.0f)->GetID(), near->GetID(), MT_STATECHANGE, STATE_OCCUPIED);
        WatchedGuest* guest = park.Guest(48.0f, 480.0f);
        SetDesires(*guest, {{D::DESIRE_REST, 0.9f}});
        guest->SearchDesire();
        const std::string chosen = c.chosen;
        Scenery* seat = chosen == "near" ? near : chosen == "far" ? far : chosen == "bin" ? bin : nullptr;
        if (seat)
        {
            EXPECT_EQ(guest->GetState(), uint32_t{STATE_GUEST_HEADING_FOR_BENCH}) << c.what;
            EXPECT_EQ(guest->GetDestObjectID(), seat->GetID()) << c.what;
            EXPECT_EQ(seat->GetSeatedGuest(c.takenNear && seat == near ? c.takenNear : 0), guest->GetID()) << c.what;
            const auto walks = guest->Got(MT_PAVEMENT2POINT);
            ASSERT_EQ(walks.size(), 1u) << c.what;
            const platform::Vec3 centre = WorldMap::GetCellPoint(seat->GetGridPos(), 4);
            EXPECT_EQ(std::pair(walks[0].dwFlags, walks[0].dwData),
                      std::pair(static_cast<uint32_t>(centre.x), static_cast<uint32_t>(centre.y)))
                << c.what;
            EXPECT_EQ(guest->GetActivityDesire(), D::DESIRE_REST) << c.what;
        }
        else
        {
            EXPECT_EQ(guest->GetState(), uint32_t{STATE_NULL}) << c.what;
            EXPECT_TRUE(guest->Got(MT_PAVEMENT2POINT).empty()) << c.what;
            // Missed: the desire starts again from nothing; kept: it stays.
            EXPECT_EQ(guest->GetDesire(D::DESIRE_REST) == 0.0f, chosen == "none") << c.what;
        }
    }
}

// The table from a desire to the kind of building that serves it, the icon shown over the guest and the thought it
// has as it sets off; the trip starts with no verdict yet and the guest type's variety gain (0.04).
TEST(GuestDesires, EveryDesireGoesToItsOwnKindOfBuildingWithItsIconAndThought)
{
    struct Case
    {
        int32_t desire;
        bool hasMap;
        const char* building;
        int32_t icon;
        const char16_t* thought;
    };
    const Case cases[] = {
        {D::DESIRE_MEALS, false, "FOOD", 0, u"DESIRE_MEALS"},
        {D::DESIRE_SNACKS, false, "SNACK", 0, u"DESIRE_SNACKS"},
        {D::DESIRE_ANIMAL_ATTRACT, false, "ZOO", 4, u"DESIRE_ANIMAL_ATTRACT"},
        {D::DESIRE_ANIMAL_SHOW, false, "SHOW", 4, u"DESIRE_ANIMAL_SHOW"},
        {D::DESIRE_AMUSEMENT, false, "FUN", 5, u"DESIRE_AMUSEMENT"},
        {D::DESIRE_RIDE, false, "RIDE", 3, u"DESIRE_RIDE"},
        {D::DESIRE_RETAIL, true, "GIFTS", 7, u"DESIRE_RETAIL"},
        {D::DESIRE_RETAIL, false, "INFORMATION", 8, u"DESIRE_MAP"},
        {D::DESIRE_TOILET, false, "RESTSMALL", 2, u"DESIRE_TOILET"},
        {D::DESIRE_CASH, false, "BANK", 6, u"DESIRE_CASH"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.building);
        GuestPark park;
        std::map<std::string, uint32_t> ids;
        int y = 10;
        // A guest without a map buys one at the information booth when that is the only retail building.
        const char* retail = std::string(c.building) == "INFORMATION" ? "INFORMATION" : "GIFTS";
        for (const char* type : {"FOOD", "SNACK", "ZOO", "SHOW", "FUN", "RIDE", retail, "RESTSMALL", "BANK"})
            ids[type] = park.Shop(type, 2, y++)->GetID();
        // An animal attraction without animals is closed.
        static_cast<BuildingObject*>(park.objects->GetObject(ids["ZOO"]))->AdoptAnimal(0);
        WatchedGuest* guest = park.Guest(40.0f, 480.0f);
        SetDesires(*guest, {{c.desire, 0.9f}});
        if (c.desire == D::DESIRE_CASH)
            guest->SetCash(10.0f);
        guest->SetHasMap(c.hasMap);
        guest->SetActivityScore(5);
        guest->SearchDesire();
        ASSERT_EQ(guest->GetState(), uint32_t{STATE_GUEST_HEADING_DESIRE});
        EXPECT_EQ(SentTo(*guest), ids[c.building]);
        EXPECT_EQ(guest->GetActivityDesire(), c.desire);
        EXPECT_EQ(guest->GetIconTime() > 0.0f ? guest->GetIcon() : -1, c.icon);
        const std::u16string thought = park.texts->GetTextByIndex(guest->GetThought(0));
        EXPECT_EQ(thought.substr(0, thought.find(u' ')), c.thought);
        EXPECT_EQ(guest->GetActivityScore(), 0);
        EXPECT_FLOAT_EQ(guest->GetVarietyScore(), 0.04f);
    }
}

// Closed buildings and toilets too smelly to use are no candidates; a toilet or a cash machine is scored by its
// distance alone (repeat 1, intensity 0), where every other building also counts its intensity and past visits.
TEST(GuestDesires, OnlyOpenBuildingsAndUsableToiletsAreCandidatesAndToiletsCountNoVisits)
{
    struct Case
    {
        const char* what;
        const char* type;
        int32_t desire;
        bool nearClosed;
        bool nearSmelly;
        int nearVisits;
        bool far;           // a second one of the type, 38 cells to the east (distance 0.66)
        const char* chosen; // "near", "far" or "none"
        float nearTotal;    // when the near one is a candidate
    };
    const Case cases[] = {
        {"an open shop", "FOOD", D::DESIRE_MEALS, false, false, 0, false, "near", 1.0f + 1.0f + 1.0f},
        {"a closed shop only", "FOOD", D::DESIRE_MEALS, true, false, 0, false, "none", 0.0f},
        {"a closed shop is passed for a farther one", "FOOD", D::DESIRE_MEALS, true, false, 0, true, "far", 0.0f},
        {"a shop visited three times", "FOOD", D::DESIRE_MEALS, false, false, 3, true, "far", 0.25f + 1.0f + 1.0f},
        {"a clean toilet", "RESTSMALL", D::DESIRE_TOILET, false, false, 0, false, "near", 1.0f + 0.0f + 1.0f},
        {"a smelly toilet only", "RESTSMALL", D::DESIRE_TOILET, false, true, 0, false, "none", 0.0f},
        {"a smelly toilet is passed", "RESTSMALL", D::DESIRE_TOILET, false, true, 0, true, "far", 0.0f},
        {"a closed toilet is passed", "RESTSMALL", D::DESIRE_TOILET, true, false, 0, true, "far", 0.0f},
        {"a toilet visited three times", "RESTSMALL", D::DESIRE_TOILET, false, false, 3, true, "near", 2.0f},
        {"a cash machine visited three times", "BANK", D::DESIRE_CASH, false, false, 3, true, "near", 2.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        GuestPark park;
        BuildingObject* near = park.Shop(c.type, 2, 10);
        // Served from a footpath cell to its west, as the near one.
        park.Footpath(39, 10);
        BuildingObject* far = c.far ? park.Shop(c.type, 40, 10) : nullptr;
        WatchedGuest* guest = park.Guest(40.0f, 480.0f);
        if (c.nearClosed)
            near->Close();
        // Each use takes 0.04 of the cleanliness: 25 leave nothing.
        for (int use = 0; c.nearSmelly && use < 26; ++use)
            park.Send(guest->GetID(), near->GetID(), MT_REQUEST_COMMOD);
        ASSERT_EQ(near->IsTooStinky(), c.nearSmelly);
        guest->SetDestObject(near->GetID());
        for (int v = 0; v < c.nearVisits; ++v)
            guest->AddVisit();
        guest->SetDestObject(kNoObjectID);
        SetDesires(*guest, {{c.desire, 0.9f}});
        if (c.desire == D::DESIRE_CASH)
            guest->SetCash(10.0f);
        guest->SearchDesire();
        const std::string chosen = c.chosen;
        const uint32_t expected = chosen == "near" ? near->GetID() : chosen == "far" ? far->GetID() : kNoObjectID;
        EXPECT_EQ(SentTo(*guest), expected);
        const bool nearIsCandidate = !c.nearClosed && !c.nearSmelly;
        EXPECT_EQ(guest->GetCandidateCount(), (nearIsCandidate ? 1u : 0u) + (c.far ? 1u : 0u));
        if (nearIsCandidate && guest->GetCandidateCount() > 0)
        {
            EXPECT_EQ(guest->GetCandidates()[0].building, near);
            EXPECT_NEAR(guest->GetCandidates()[0].total, c.nearTotal, 1e-5f);
        }
        if (chosen == "none")
        {
            EXPECT_EQ(guest->GetState(), uint32_t{STATE_NULL});
            EXPECT_EQ(guest->GetDesire(c.desire), 0.0f);
        }
    }
}

// An hour in the park is the day length divided by 24 in whole seconds, and the hours are whole ones: a guest with more
// than 23 of them goes home.
TEST(GuestDesires, TheHoursInTheParkAreWholeHoursOfAWholeNumberOfSeconds)
{
    struct Case
    {
        int32_t dayLength;
        double seconds; // since the guest arrived
        int32_t hours;
    };
    const Case cases[] = {
        {240, 235.0, 23},  // hours of 10 s
        {240, 240.0, 24},  //
        {250, 239.5, 23},  // 250 / 24 is 10 whole seconds, not 10.42
        {250, 240.0, 24},  //
        {47, 1.5, 1},      // 47 / 24 is 1 whole second
        {24, 23.5, 23},    // the shortest day: hours of a second
        {24, 24.0, 24},    //
        {1000, 983.5, 23}, // 1000 / 24 is 41 whole seconds: 23 x 41 = 943, 24 x 41 = 984
        {1000, 984.0, 24}, //
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.dayLength) + " " + std::to_string(c.seconds));
        GuestPark park;
        park.Shop("FOOD", 2, 10);
        park.world->m_iDayLength = c.dayLength;
        park.world->SetGameTime(0.0);
        WatchedGuest* guest = park.Guest(40.0f, 480.0f);
        ASSERT_EQ(guest->GetTimeArrived(), 0.0f);
        park.world->SetGameTime(c.seconds);
        EXPECT_EQ(guest->GetHoursInPark(), c.hours);
        ScriptOperand leave;
        leave.id = SV_ShouldLeavePark;
        EXPECT_EQ(ScriptValueToInt(guest->GetScriptVariable(leave)) != 0, c.hours > 23);
        SetDesires(*guest, {{D::DESIRE_MEALS, 0.9f}});
        guest->SearchDesire();
        EXPECT_EQ(guest->GetState(), c.hours > 23 ? STATE_GUEST_LEAVING_WORLD : STATE_GUEST_HEADING_DESIRE);
    }
}

} // namespace
