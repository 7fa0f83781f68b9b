// Tests of guest arrivals (the timer, the target and interval, the requests through the entrance) and of the
// floating texts (rising, fading, standing still, expiring).
#include "tests/world/ParkTestSupport.h"

#include "platform/Random.h"
#include "scripts/WorldParams.h"
#include "world/FloatingTextList.h"
#include "world/GuestArrivals.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

using parktest::RecordingPark;
using parktest::Scenario;
using worldtest::Probe;

namespace
{

struct ArrivalPark
{
    ArrivalPark() : world(nullptr, nullptr, scenario.WriteStandardWorldFile().c_str(), false) {}

    Probe* MakeBuilding(const char* name)
    {
        auto* probe = static_cast<Probe*>(g_pObjectManager->CreateObject(name, OBJECT_BUILDING));
        probe->SetType(OBJECT_BUILDING);
        return probe;
    }
    GuestArrivals& Arrivals() { return *world.GetGuestArrivals(); }

    Scenario scenario;
    RecordingPark park;
    testsupport::RecordingReportSink reports;
    World world;
};

} // namespace

TEST(GuestArrivals, TheFirstGuestComesAfterEightSecondsThenEveryHalfDayOverTheTarget)
{
    platform::SRand(7);
    ArrivalPark p;
    p.MakeBuilding("KIOSK");
    p.MakeBuilding("ENTRANCE");
    p.world.m_iParkRating = 50;
    p.Arrivals().Update(7.9f);
    EXPECT_EQ(p.world.m_NumGuests, 0);
    p.Arrivals().Update(0.1f);
    ASSERT_EQ(p.world.m_NumGuests, 1);
    // 50 x 0.01 x 2 buildings x 20 = 20; half of a 240 s day over 20 guests is 6 s.
    EXPECT_EQ(p.Arrivals().GetTarget(), 20);
    EXPECT_FLOAT_EQ(p.Arrivals().GetInterval(), 6.0f);
    EXPECT_FLOAT_EQ(p.Arrivals().GetCountdown(), 6.0f);
    // The guest comes through the entrance at the arrival point, as one of the scenario's guest types.
    const std::vector<BaseObject*> guests = g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST);
    ASSERT_EQ(guests.size(), 1u);
    EXPECT_EQ(std::tuple(guests[0]->GetWorldPosition().x, guests[0]->GetWorldPosition().y),
              std::tuple(2048.0f, 2048.0f));
    EXPECT_TRUE(std::string(guests[0]->GetName()) == "MAN" || std::string(guests[0]->GetName()) == "WOMAN");
    bool entered = false;
    for (const worldtest::Seen& seen : Probe::Delivered())
        entered |= seen.receiver == guests[0]->GetID() && seen.type == MT_STATECHANGE && seen.data == STATE_STARTUP;
    EXPECT_TRUE(entered);
    // Through the World's frame: one more guest per interval, both guest types over time.
    for (int i = 0; i < 10 * 6; ++i)
        p.world.Update(1.0f);
    EXPECT_EQ(p.world.m_NumGuests, 11);
    std::set<std::string> types;
    for (BaseObject* guest : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
        types.insert(guest->GetName());
    EXPECT_EQ(types, (std::set<std::string>{"MAN", "WOMAN"}));
}

TEST(GuestArrivals, TheTargetFollowsRatingBuildingsAndUnhappyDeparturesWithinItsBounds)
{
    ArrivalPark p;
    // rating x 0.01 x buildings x 20 - unhappy departures today, cut to a whole number within 20 to 1490; the
    // interval is half the 240 s day over the target.
    const struct
    {
        uint32_t buildings;
        int rating, unhappyMen, unhappyWomen, target;
    } rows[] = {
        {10, 50, 0, 0, 100}, {10, 50, 10, 20, 70}, {10, 0, 0, 0, 20},  {10, 100, 0, 0, 200}, {10, 50, 100, 0, 20},
        {10, 7, 0, 0, 20},   {10, 11, 0, 0, 22},   {120, 1, 0, 0, 24}, {120, 3, 1, 0, 71},   {500, 100, 0, 0, 1490},
    };
    for (const auto& row : rows)
    {
        while (g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING) < row.buildings)
            p.MakeBuilding("KIOSK");
        p.world.m_iParkRating = row.rating;
        p.world.m_TodayGuestUnhappyDepart[0] = row.unhappyMen;
        p.world.m_TodayGuestUnhappyDepart[1] = row.unhappyWomen;
        p.Arrivals().Recompute();
        EXPECT_EQ(p.Arrivals().GetTarget(), row.target) << row.buildings << " " << row.rating;
        EXPECT_FLOAT_EQ(p.Arrivals().GetInterval(), 120.0f / static_cast<float>(row.target));
    }
}

TEST(GuestArrivals, NoOpenEntranceNoTypesOrAFullParkBringNoGuestButTheTimerGoesOn)
{
    ArrivalPark p;
    p.MakeBuilding("KIOSK");
    // No entrance at all.
    p.Arrivals().Update(8.0f);
    EXPECT_EQ(p.world.m_NumGuests, 0);
    EXPECT_FLOAT_EQ(p.Arrivals().GetCountdown(), 6.0f);
    // A closed entrance.
    p.MakeBuilding("ENTRANCE");
    p.park.entranceOpen = false;
    p.Arrivals().Update(6.0f);
    EXPECT_EQ(p.world.m_NumGuests, 0);
    // Open, but the park already holds its target.
    p.park.entranceOpen = true;
    p.world.m_NumGuests = 20;
    p.Arrivals().Update(6.0f);
    EXPECT_EQ(p.world.m_NumGuests, 20);
    p.world.m_NumGuests = 19;
    p.Arrivals().Update(6.0f);
    EXPECT_EQ(p.world.m_NumGuests, 20);
}

TEST(GuestArrivals, WithoutGuestTypesOrTablesNobodyIsAskedFor)
{
    {
        Scenario scenario;
        parktest::WriteScrambled(scenario.Dir().File("data/script/guestextra.ble"), "// no guests\n");
        RecordingPark park;
        testsupport::RecordingReportSink reports;
        World world(nullptr, nullptr, scenario.WriteStandardWorldFile().c_str(), false);
        ASSERT_EQ(g_pWorldParams->GetGuestCount(), 0u);
        g_pObjectManager->CreateObject("ENTRANCE", OBJECT_BUILDING)->SetType(OBJECT_BUILDING);
        for (int i = 0; i < 30; ++i)
            world.Update(1.0f);
        EXPECT_EQ(std::tuple(world.m_NumGuests, g_pObjectManager->GetPoolCount(ObjectManager::POOL_GUEST)),
                  std::tuple(0, 0u));
    }
    // A park of the object framework alone: a World, messages and objects, but no tables of guest types.
    worldtest::Park park;
    park.Make(OBJECT_BUILDING, "ENTRANCE");
    GuestArrivals arrivals;
    arrivals.Update(8.0f);
    EXPECT_EQ(g_pObjectManager->GetPoolCount(ObjectManager::POOL_GUEST), 0u);
    EXPECT_TRUE(park.TakeReports().empty());
}

TEST(FloatingTexts, ARisingTextClimbsAndFadesOverItsTimeAStillOneWaitsAndBothGo)
{
    FloatingTextList list;
    std::u16string text = u"+$250";
    list.Add(100.0f, 3.0f, 200.0f, text.c_str(), 0xFF20C040u, FloatingTextList::kRising, 10.0f, 2.0f);
    list.Add(1.0f, 2.0f, 3.0f, u"here", 0x80FFFFFFu, 0, 10.0f, 4.0f);
    list.Add(0, 0, 0, nullptr, 0xFF0000FFu, FloatingTextList::kRising, 10.0f, 20.0f);
    text[0] = u'-'; // the list keeps its own copy
    // time | texts | the first text: its text, colour and height (the rising one climbs 10 units and fades out,
    // its alpha cut to a whole number; read before it started, a text sinks but is never more than opaque)
    const std::tuple<float, size_t, std::u16string, uint32_t, float> steps[] = {
        {9.0f, 3, u"+$250", 0xFF20C040u, -2.0f},  {11.0f, 3, u"+$250", 0x7F20C040u, 8.0f},
        {11.5f, 3, u"+$250", 0x3F20C040u, 10.5f}, {12.0f, 3, u"+$250", 0x0020C040u, 13.0f},
        {12.001f, 2, u"here", 0x80FFFFFFu, 2.0f}, {14.0f, 2, u"here", 0x80FFFFFFu, 2.0f},
        {14.5f, 1, u"", 0xC50000FFu, 2.25f},
    };
    for (const auto& [time, count, first, colour, y] : steps)
    {
        list.Update(time);
        ASSERT_EQ(list.GetTexts().size(), count) << time;
        const FloatingText& t = list.GetTexts()[0];
        EXPECT_EQ(std::tuple(t.text, t.colour), std::tuple(first, colour)) << time;
        EXPECT_FLOAT_EQ(t.y, y) << time;
    }
    EXPECT_EQ(std::tuple(list.GetTexts()[0].x, list.GetTexts()[0].z), std::tuple(0.0f, 0.0f));
    // A text with no time at all goes as soon as time passes.
    list.Add(0, 0, 0, u"x", 0xFFFFFFFFu, FloatingTextList::kRising, 15.0f, 0.0f);
    list.Update(15.0f);
    EXPECT_EQ(list.GetTexts().size(), 2u);
    list.Update(15.5f);
    EXPECT_EQ(list.GetTexts().size(), 1u);
}
