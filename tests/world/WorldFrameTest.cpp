// Tests of the park's frame: the order of its steps, the pause, the game speeds, new hours and days with their
// messages and accounts, the research rating, the removal of flagged objects, and the rating and averages.
#include "tests/world/ParkTestSupport.h"

#include "engine/core/Cursor.h"
#include "engine/render/AnimationScheduler.h"
#include "gui/GUIManager.h"
#include "platform/Input.h"
#include "world/FloatingTextList.h"
#include "world/Player.h"

#include <gtest/gtest.h>

#include <tuple>

using parktest::JournalIndex;
using parktest::RecordingPark;
using parktest::Scenario;
using worldtest::Probe;

namespace
{

// A built park of a scenario with a 240 s day, with its park layer recording.
struct BuiltPark
{
    BuiltPark() : world(nullptr, nullptr, scenario.WriteStandardWorldFile().c_str(), false) {}

    Probe* Make(uint8_t kind, const char* name = "PROBE")
    {
        auto* probe = static_cast<Probe*>(g_pObjectManager->CreateObject(name, kind));
        probe->SetType(kind);
        return probe;
    }
    // Runs frames of `seconds` until the game time has advanced by `total`.
    void Run(float total, float seconds = 1.0f)
    {
        for (float done = 0.0f; done + 1e-4f < total; done += seconds)
            world.Update(seconds);
    }
    std::vector<std::string> Journal() const { return Probe::Journal(); }

    Scenario scenario;
    RecordingPark park;
    testsupport::RecordingReportSink reports;
    World world;
};

std::vector<uint32_t> ReceiversOf(uint32_t type)
{
    std::vector<uint32_t> receivers;
    for (const worldtest::Seen& seen : Probe::Delivered())
    {
        if (seen.type == type)
            receivers.push_back(seen.receiver);
    }
    return receivers;
}

} // namespace

TEST(WorldFrame, ManagersAndObjectsRunInOrderEachPoolFromItsLastSlotAndLitterIsNeverUpdated)
{
    BuiltPark p;
    ASSERT_TRUE(p.world.IsBuilt());
    Probe* guestA = p.Make(OBJECT_GUEST);
    Probe* building = p.Make(OBJECT_BUILDING);
    Probe* scenery = p.Make(OBJECT_SCENERY);
    Probe* guestB = p.Make(OBJECT_GUEST);
    Probe* litter = p.Make(OBJECT_LITTER);
    Probe* cleaner = p.Make(OBJECT_CLEANER);
    // Flagged for removal: two of each pool, made in turn.
    std::vector<Probe*> flagged;
    for (int round = 0; round < 2; ++round)
        for (uint8_t kind : {OBJECT_LITTER, OBJECT_GUEST, OBJECT_SCENERY, OBJECT_BUILDING})
            flagged.push_back(p.Make(kind));
    for (Probe* o : flagged)
        o->SetWaitingForDeath(true);
    // Just before 10:00, with a message due in the next frame.
    p.world.SetGameTime(99.8);
    g_pMessageHandler->SendDelayed(worldtest::Record(kWorldID, scenery->GetID(), 77), 0.1f);
    Probe::Journal().clear();
    p.park.research->spendPerSecond = 3.0f;
    auto id = [](Probe* o) { return std::to_string(o->GetID()); };
    std::vector<std::string> expected = {"research", "rescue", "update " + id(building), "update " + id(cleaner),
                                         "update " + id(scenery), "update " + id(guestB), "update " + id(guestA),
                                         "feedback",
                                         // The new hour to the hourly staff, then the messages that are due.
                                         "msg " + id(cleaner) + " 95", "msg " + id(scenery) + " 77"};
    // The removals: buildings, other objects, guests, then litter, each pool from its last slot down; for each the
    // feedback forgets it, its exit runs, it goes.
    for (size_t pool : {3u, 2u, 1u, 0u})
        for (size_t round : {1u, 0u})
        {
            const std::string gone = id(flagged[round * 4 + pool]);
            expected.insert(expected.end(), {"forget " + gone, "exit 0", "dtor " + gone});
        }
    p.world.Update(0.5f);
    EXPECT_EQ(p.Journal(), expected);
    EXPECT_EQ(JournalIndex("update " + id(litter)), -1);
    // Research spending comes off the cash: 3 a second for half a second.
    EXPECT_FLOAT_EQ(p.world.GetPlayer()->Cash, 25000.0f - 1.5f);
}

TEST(WorldFrame, WhilePausedTheClockObjectsAndResearchStandButMessagesAndRemovalsGoOn)
{
    BuiltPark p;
    Probe* guest = p.Make(OBJECT_GUEST);
    Probe* doomed = p.Make(OBJECT_LITTER);
    p.world.Update(1.0f);
    p.park.research->spendPerSecond = 100.0f;
    p.world.SetPaused(true);
    Probe::Journal().clear();
    const float before = p.world.GetGameTime();
    doomed->SetWaitingForDeath(true);
    const uint32_t doomedId = doomed->GetID();
    p.world.GetFloatingTexts()->Add(0, 0, 0, u"$5", 0xFF000000u, 1, before - 1.0f, 2.0f);
    p.world.Update(1.0f);
    EXPECT_EQ(p.world.GetGameTime(), before);
    EXPECT_EQ(p.world.GetGameDeltaTime(), 0.0f);
    EXPECT_EQ(JournalIndex("update " + std::to_string(guest->GetID())), -1);
    EXPECT_FLOAT_EQ(p.world.GetPlayer()->Cash, 25000.0f);
    // The litter was removed in the same frame as it was flagged.
    EXPECT_EQ(g_pObjectManager->GetObject(doomedId), nullptr);
    EXPECT_NE(JournalIndex("dtor " + std::to_string(doomedId)), -1);
    // The texts neither rise nor expire.
    ASSERT_EQ(p.world.GetFloatingTexts()->GetTexts().size(), 1u);
    EXPECT_EQ(p.world.GetFloatingTexts()->GetTexts()[0].colour >> 24, 127u);
    p.world.SetPaused(false);
    p.world.Update(1.0f);
    EXPECT_NE(JournalIndex("update " + std::to_string(guest->GetID())), -1);
    // At its last moment it is still there, on the next frame it is gone.
    EXPECT_EQ(p.world.GetFloatingTexts()->GetTexts().size(), 1u);
    p.world.Update(0.01f);
    EXPECT_TRUE(p.world.GetFloatingTexts()->GetTexts().empty());
}

TEST(WorldFrame, GameSpeedsMultiplyTheFrameTimeUpToFourGameSecondsAFrame)
{
    BuiltPark p;
    const std::tuple<int, float, float> cases[] = {{0, 1.0f, 1.0f}, {1, 1.0f, 2.0f}, {2, 1.0f, 4.0f},
                                                   {2, 1.5f, 4.0f}, {1, 2.0f, 4.0f}, {0, 10.0f, 4.0f},
                                                   {5, 0.5f, 2.0f}, {-3, 0.5f, 0.5f}};
    for (const auto& [level, frame, expected] : cases)
    {
        p.world.SetGameSpeedLevel(level);
        const float before = p.world.GetGameTime();
        p.world.Update(frame);
        EXPECT_FLOAT_EQ(p.world.GetGameDeltaTime(), expected) << level << " " << frame;
        EXPECT_FLOAT_EQ(p.world.GetGameTime() - before, expected);
        // The animations' clock follows the game time in sixtieths of a second.
        EXPECT_EQ(g_AnimationScheduler.GetTime(), static_cast<uint32_t>(p.world.GetGameTime() * 60.0f));
    }
    EXPECT_EQ(p.world.GetGameSpeedLevel(), 0);
}

TEST(WorldFrame, NewHoursGoToTheHourlyStaffAndNewDaysToEveryoneInOrder)
{
    BuiltPark p;
    Probe* guest = p.Make(OBJECT_GUEST);
    Probe* animal = p.Make(OBJECT_ANIMAL);
    Probe* mechanic = p.Make(OBJECT_MECHANIC);
    Probe* server = p.Make(OBJECT_SERVER);
    Probe* building = p.Make(OBJECT_BUILDING);
    Probe* zookeeper = p.Make(OBJECT_ZOOKEEPER);
    Probe* cleaner = p.Make(OBJECT_CLEANER);
    p.Make(OBJECT_SCENERY);
    p.Make(OBJECT_LITTER);
    std::vector<uint32_t> senders;
    mechanic->onMessage = [&senders](Probe&, const MessageRecord& record)
    {
        senders.push_back(record.dwSender);
        return true;
    };
    Probe::Delivered().clear();
    // 09:00 to 09:55 (a game hour is 10 s): no new hour.
    p.Run(9.0f);
    EXPECT_TRUE(ReceiversOf(MT_NEW_HOUR).empty());
    p.world.Update(1.0f); // 10:00
    EXPECT_EQ(ReceiversOf(MT_NEW_HOUR),
              (std::vector<uint32_t>{mechanic->GetID(), zookeeper->GetID(), cleaner->GetID()}));
    EXPECT_TRUE(ReceiversOf(MT_NEW_DAY).empty());
    Probe::Delivered().clear();
    // On to midnight: 13 more hours, 11:00 to 23:00; 24:00 of day 0 is the next day's first hour, which comes with
    // the day's turn.
    p.Run(140.0f, 4.0f);
    EXPECT_EQ(p.world.GetGameDay(), 0);
    EXPECT_EQ(ReceiversOf(MT_NEW_HOUR).size(), 3u * 13u);
    EXPECT_TRUE(ReceiversOf(MT_NEW_DAY).empty());
    Probe::Delivered().clear();
    p.world.Update(1.0f); // day 1, 00:06
    EXPECT_EQ(p.world.GetGameDay(), 1);
    EXPECT_EQ(ReceiversOf(MT_NEW_DAY),
              (std::vector<uint32_t>{building->GetID(), server->GetID(), mechanic->GetID(), cleaner->GetID(),
                                     zookeeper->GetID(), guest->GetID(), animal->GetID()}));
    // The day's message carries the new day; the hour's comes after every day message.
    for (const worldtest::Seen& seen : Probe::Delivered())
        EXPECT_EQ(seen.data, 1u);
    ASSERT_EQ(Probe::Delivered().size(), 10u);
    EXPECT_EQ(Probe::Delivered()[7].type, uint32_t{MT_NEW_HOUR});
    // Both come from the World.
    EXPECT_EQ(senders, std::vector<uint32_t>(1 + 13 + 2, kWorldID));
}

// However short the game hour against the longest frame (four game seconds), every hour that passes reaches the
// hourly staff, who are paid by it: a whole day's frames bring each of them 24 hours. So do frames that end exactly
// on the hours, midnight among them (as the fastest speeds' whole-second frames do), with no 25th hour for the
// midnight the clock reads as 24:00.
TEST(WorldFrame, EveryHourAFrameCrossesReachesTheHourlyStaffHoweverShortTheDay)
{
    struct Row
    {
        int dayLength;
        float frame;
        bool onTheHours; // the frames end exactly on hours (from 09:00), or a quarter of an hour past them
        int days;
    };
    const Row rows[] = {{24, 4.0f, false, 1}, {48, 4.0f, false, 1}, {72, 4.0f, false, 1}, {240, 4.0f, false, 1},
                        {48, 1.0f, false, 1}, {48, 1.0f, true, 3},  {48, 2.0f, true, 3},  {48, 4.0f, true, 3}};
    for (const Row& row : rows)
    {
        SCOPED_TRACE(testing::Message() << "a " << row.dayLength << " s day in frames of " << row.frame << " s"
                                        << (row.onTheHours ? " on the hours" : ""));
        Scenario scenario(row.dayLength);
        RecordingPark park;
        testsupport::RecordingReportSink reports;
        World world(nullptr, nullptr, scenario.WriteStandardWorldFile().c_str(), false);
        ASSERT_TRUE(world.IsBuilt());
        auto* cleaner = static_cast<Probe*>(g_pObjectManager->CreateObject("PROBE", OBJECT_CLEANER));
        cleaner->SetType(OBJECT_CLEANER);
        Probe::Delivered().clear();
        // A quarter of an hour in first, so that no hour falls on the end of a frame, unless the frames are to end
        // on the hours; then whole days.
        if (!row.onTheHours)
        {
            world.Update(static_cast<float>(row.dayLength) / 24.0f / 4.0f);
            ASSERT_TRUE(ReceiversOf(MT_NEW_HOUR).empty());
        }
        const int frames = static_cast<int>(static_cast<float>(row.days * row.dayLength) / row.frame + 0.5f);
        for (int i = 0; i < frames; ++i)
            world.Update(row.frame);
        EXPECT_EQ(world.GetGameDay(), row.days);
        EXPECT_EQ(ReceiversOf(MT_NEW_HOUR).size(), 24u * static_cast<size_t>(row.days));
        EXPECT_EQ(ReceiversOf(MT_NEW_DAY).size(), static_cast<size_t>(row.days));
    }
}

TEST(WorldFrame, TheEndOfADayKeepsTheHistoriesAndClearsTheDailyAccounts)
{
    BuiltPark p;
    World& w = p.world;
    w.m_TodayGuestDepart[0] = w.m_TotalGuestDepart[0] = 3;
    w.m_TodayGuestUnhappyDepart[1] = 2;
    w.m_TodayGuestArrive[1] = 7;
    w.m_fWagesCostToday = 20.0f;
    w.m_fAnimalIncomeTotal = 12.0f;
    // A history from before (as a saved game brings): the averages cover only the days this park has counted.
    w.m_fProfitRecord[0] = 1000.0f;
    w.m_fProfitRecord[127] = 5000.0f;
    // Two days, with profits of 100 and 300: after 15 hours to midnight the day turns, then a whole day more.
    const std::tuple<float, float, float, float, float, float, float> days[] = {
        // income, costs, hours run | profit record 0, 1, 2 and 127, average profit
        {150.0f, 50.0f, 151.0f, 100.0f, 1000.0f, 0.0f, 100.0f},
        {400.0f, 100.0f, 240.0f, 300.0f, 100.0f, 1000.0f, 200.0f},
    };
    int day = 0;
    for (const auto& [income, costs, seconds, first, second, third, average] : days)
    {
        w.m_fIncomeToday = income;
        w.m_fCostsToday = costs;
        p.Run(seconds, 4.0f);
        ASSERT_EQ(w.GetGameDay(), ++day);
        EXPECT_EQ(std::tuple(w.m_fProfitRecord[0], w.m_fProfitRecord[1], w.m_fProfitRecord[2], w.m_fProfitRecord[127],
                             w.m_fAverageProfit, w.m_fIncomeRecord[0], w.m_fCostRecord[0]),
                  std::tuple(first, second, day == 1 ? 0.0f : third, 0.0f, average, income, costs))
            << day;
        EXPECT_EQ(std::tuple(w.m_fIncomeToday, w.m_fCostsToday, w.m_fWagesCostToday, w.m_fAnimalIncomeTotal),
                  std::tuple(0.0f, 0.0f, 0.0f, 12.0f));
    }
    EXPECT_EQ(std::tuple(w.m_fAverageIncome, w.m_fAverageCost), std::tuple(275.0f, 75.0f));
    EXPECT_EQ(std::tuple(w.m_TodayGuestDepart[0], w.m_TodayGuestUnhappyDepart[1], w.m_TodayGuestArrive[1],
                         w.m_TotalGuestDepart[0]),
              std::tuple(0, 0, 0, 3));
}

TEST(WorldFrame, TheResearchRatingStepsATenthAnHourTowardsItsTarget)
{
    BuiltPark p;
    // Budget per day / 250 is the target; a target within a tenth is taken at once; a lower one is stepped down.
    const std::tuple<float, int, float> rows[] = {
        {250.0f, 1, 0.1f}, {250.0f, 4, 0.5f},  {250.0f, 5, 1.0f},
        {250.0f, 1, 1.0f}, {240.0f, 1, 0.96f}, {0.0f, 1, 0.86f},
    };
    for (const auto& [budget, hours, rating] : rows)
    {
        p.park.research->budget = budget;
        p.Run(10.0f * static_cast<float>(hours), 2.0f);
        EXPECT_NEAR(p.world.m_fCurrentResearchRating, rating, 1e-5f) << budget << " " << hours;
        EXPECT_EQ(p.world.m_fTargetResearchRating, budget / 250.0f);
    }
}

TEST(WorldFrame, RemovedGuestsCountAsDeparturesOnlyWhenLeavingAndBuildingsLowerTheirCount)
{
    BuiltPark p;
    p.world.m_NumGuests = 3;
    p.world.m_NumBuildings = 1;
    // A woman leaving early, a man leaving content, and a woman who is not leaving.
    const std::tuple<uint32_t, int32_t, bool> guests[] = {
        {STATE_GUEST_LEAVING_WORLD, 1, true}, {STATE_GUEST_LEAVING_WORLD, 0, false}, {STATE_STARTUP, 1, true}};
    for (const auto& [state, gender, early] : guests)
    {
        Probe* guest = p.Make(OBJECT_GUEST);
        guest->SetState(state);
        p.park.guests[guest->GetID()].gender = gender;
        p.park.guests[guest->GetID()].leavingEarly = early;
        guest->SetWaitingForDeath(true);
    }
    p.Make(OBJECT_BUILDING)->SetWaitingForDeath(true);
    p.world.Update(0.1f);
    const World& w = p.world;
    EXPECT_EQ(std::tuple(w.m_NumGuests, w.m_NumBuildings, g_pObjectManager->GetNumActiveObjects()),
              std::tuple(0, 0, 0u));
    for (int g = 0; g < 2; ++g)
        EXPECT_EQ(std::tuple(w.m_TotalGuestUnhappyDepart[g], w.m_TodayGuestUnhappyDepart[g], w.m_TotalGuestDepart[g],
                             w.m_TodayGuestDepart[g]),
                  std::tuple(g, g, 1, 1))
            << g;
}

TEST(WorldFrame, TheRatingAddsHappinessResearchRescuesAndShowsAndRepeatsEveryTenSeconds)
{
    BuiltPark p;
    Probe* show = p.Make(OBJECT_BUILDING, "KAIKOADV");
    Probe* gala = p.Make(OBJECT_BUILDING, "AQUAGALA");
    p.Make(OBJECT_BUILDING, "KIOSK");
    std::vector<Probe*> guests;
    for (int i = 0; i < 100; ++i)
        guests.push_back(p.Make(OBJECT_GUEST));
    // happiness x 70 + research x 10 + rescue ratio (0 to 1) x 10 + mean show rating x 10, cut to a whole number;
    // 96 or more is 100.
    const struct
    {
        float happiness, research, ratio, show, gala;
        int rating;
    } rows[] = {
        {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 100},
        {0.875f, 1.0f, 1.0f, 1.0f, 1.0f, 91},
        {0.875f, 1.0f, 3.0f, 0.5f, 0.25f, 85},
        {0.875f, 1.0f, -1.0f, 0.5f, 0.25f, 75},
        {0.875f, 1.0f, 0.5f, 0.5f, 0.25f, 80},
        {0.9375f, 1.0f, 1.0f, 1.0f, 1.0f, 95},
        // Happiness a script has set far beyond 1 (or below 0) rates as the most (or the least) there is.
        {1.0e30f, 0.0f, 0.0f, 0.0f, 0.0f, 100},
        {-1.0e30f, 1.0f, 1.0f, 1.0f, 1.0f, 0},
        {0.953125f, 1.0f, 1.0f, 1.0f, 1.0f, 100},
        {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0},
    };
    for (const auto& row : rows)
    {
        for (Probe* g : guests)
            p.park.guests[g->GetID()].happiness = row.happiness;
        p.world.m_fCurrentResearchRating = row.research;
        p.park.rescue->ratio = row.ratio;
        p.park.showRatings[show->GetID()] = row.show;
        p.park.showRatings[gala->GetID()] = row.gala;
        p.world.HandleMessage(worldtest::Record(kWorldID, kWorldID, MT_UPDATERATING), nullptr);
        EXPECT_EQ(p.world.GetParkRating(), row.rating) << row.happiness << " " << row.ratio;
    }
    // The frame's own rating message at 100 s recomputes it and posts the next for 110 s.
    p.park.rescue->ratio = 1.0f;
    p.park.showRatings[show->GetID()] = p.park.showRatings[gala->GetID()] = 0.75f;
    p.park.research->budget = 250.0f;
    p.world.m_fCurrentResearchRating = 1.0f;
    p.Run(10.0f, 2.0f);
    EXPECT_EQ(p.world.GetParkRating(), 10 + 10 + 7);
    bool next = false;
    for (const MessageRecord& r : g_pMessageHandler->GetPendingMessages())
        next |= r.dwType == MT_UPDATERATING && r.fTime > 109.9f && r.fTime < 110.1f && r.dwSender == kWorldID &&
                r.dwReciever == kWorldID;
    EXPECT_TRUE(next);
}

TEST(WorldFrame, TheGuestAveragesAreMeansAndWelfareCountsOnlyAnimalVisitors)
{
    BuiltPark p;
    auto averages = [&]
    {
        p.world.HandleMessage(worldtest::Record(kWorldID, kWorldID, MT_UPDATEAVERAGES), nullptr);
        std::vector<float> values;
        for (int i = 0; i < World::AV_COUNT; ++i)
            values.push_back(p.world.GetGuestAverage(i));
        return values;
    };
    // No guests: all 0. Price, queue, beauty, cleanliness and variety are means over the guests; welfare is the
    // mean of the guests who visited animals, 0.5 when none did.
    EXPECT_EQ(averages(), std::vector<float>(World::AV_COUNT, 0.0f));
    const std::tuple<float, float, float, float> guests[] = {{0.25f, 0.5f, 0.75f, 1.0f}, {0.75f, 0.0f, 0.25f, 0.0f}};
    for (const auto& [price, queue, variety, welfare] : guests)
    {
        GuestFigures& f = p.park.guests[p.Make(OBJECT_GUEST)->GetID()];
        std::tie(f.price, f.queue, f.variety, f.welfare) = std::tuple(price, queue, variety, welfare);
        f.beauty = 1.0f;
        f.cleanliness = 0.5f;
    }
    EXPECT_EQ(averages(), (std::vector<float>{0.5f, 0.25f, 1.0f, 0.5f, 0.5f, 0.5f}));
    for (bool both : {false, true})
    {
        for (auto& [id, figures] : p.park.guests)
            figures.visitedAnimals = both || id == p.park.guests.rbegin()->first;
        EXPECT_EQ(averages()[World::AV_WELFARE], both ? 0.5f : 0.0f) << both;
    }
}

TEST(WorldFrame, TheFrozenClockRunsOnUnscaledTimeEvenWhilePausedUnlessHeld)
{
    BuiltPark p;
    p.world.SetGameSpeedLevel(2);
    EXPECT_FLOAT_EQ(p.world.GetTimeInMinutes(), 90.0f * 60.0f);
    p.world.FreezeClock(1);
    p.world.SetPaused(true);
    p.world.Update(0.5f);
    EXPECT_FLOAT_EQ(p.world.GetTimeInMinutes(), 90.5f * 60.0f);
    p.world.SetClockFlag2(true);
    p.world.Update(0.5f);
    EXPECT_FLOAT_EQ(p.world.GetTimeInMinutes(), 90.5f * 60.0f);
    p.world.FreezeClock(0);
    EXPECT_FLOAT_EQ(p.world.GetTimeInMinutes(), 90.0f * 60.0f);
}

namespace
{

// A park whose key and mouse handling a test can drive.
class DrivenWorld : public World
{
public:
    using World::OnKeyPressed;
    using World::StepCursor;
    using World::World;
};

} // namespace

TEST(WorldFrame, ThePauseKeyTogglesUnlessTheScriptPausedAndTheSpeedKeysStepWithinTheTable)
{
    Scenario scenario;
    RecordingPark park;
    testsupport::RecordingReportSink reports;
    Cursor cursor;
    DrivenWorld world(&cursor, nullptr, scenario.WriteStandardWorldFile().c_str(), false);
    // The pause key toggles, but not while the script's pause holds; other keys leave it; the speed keys step
    // through the table's three speeds.
    const std::tuple<int, bool, bool, float> keys[] = {
        {platform::kKeyP, false, true, 1.0f},       {platform::kKeyP, false, false, 1.0f},
        {platform::kKeyP, true, false, 1.0f},       {platform::kKeyA, false, false, 1.0f},
        {platform::kKeyEquals, false, false, 2.0f}, {platform::kKeyEquals, false, false, 4.0f},
        {platform::kKeyEquals, false, false, 4.0f}, {platform::kKeyMinus, false, false, 2.0f},
        {platform::kKeyMinus, false, false, 1.0f},  {platform::kKeyMinus, false, false, 1.0f},
    };
    for (const auto& [key, forced, paused, speed] : keys)
    {
        world.m_bForcedPaused = forced;
        world.OnKeyPressed(key);
        EXPECT_EQ(std::tuple(world.IsPaused(), world.GetGameSpeed()), std::tuple(paused, speed)) << key;
    }
    // Holding the right button: the turning cursor, locked, set once; letting go: the normal one, free, once.
    for (const auto& [held, mode, locked] :
         {std::tuple(true, 3, true), {true, 5, true}, {false, 0, false}, {false, 6, false}})
    {
        world.StepCursor(held);
        EXPECT_EQ(std::tuple(cursor.GetMode(), cursor.IsLocked()), std::tuple(mode, locked)) << held;
        cursor.SetMode(held ? 5 : 6);
    }
}

TEST(WorldFrame, TheRightButtonTurnsTheCursorForTheSelectToolOnlyAndNeverFromTheToolbar)
{
    Scenario scenario;
    RecordingPark park;
    testsupport::RecordingReportSink reports;
    Cursor cursor;
    DrivenWorld world(&cursor, nullptr, scenario.WriteStandardWorldFile().c_str(), false);
    GUIManager gui(nullptr);
    // A toolbar of one button over the screen's corner, (0, 0) to (50, 50).
    static const char kToolbar[] = "MainItem\n{\nButton(0, 0, 50, 50, NONE, 0, None, NONE, NONE)\n}\n";
    gui.LoadScriptText(kToolbar, sizeof kToolbar - 1);
    constexpr int32_t kBuildMode = 1;
    constexpr int32_t kUntouched = 7;
    struct Frame
    {
        bool overToolbar;
        bool held;
        int32_t mode; // the cursor's mode after the frame
        bool locked;
    };
    // Held away from the toolbar the cursor locks, turning only in select mode; pressed over the toolbar nothing
    // happens until the pointer leaves it with the button still held; letting go always frees the normal cursor.
    const struct
    {
        const char* what;
        int32_t guiMode;
        std::vector<Frame> frames;
    } rows[] = {
        {"select tool",
         GUIManager::kSelectMode,
         {{false, true, 3, true}, {false, true, 3, true}, {false, false, 0, false}}},
        {"build tool", kBuildMode, {{false, true, kUntouched, true}, {false, false, 0, false}}},
        {"over the toolbar",
         GUIManager::kSelectMode,
         {{true, true, kUntouched, false}, {true, false, kUntouched, false}}},
        {"pressed over the toolbar, then off it",
         GUIManager::kSelectMode,
         {{true, true, kUntouched, false}, {false, true, 3, true}, {true, true, 3, true}, {true, false, 0, false}}},
    };
    for (const auto& row : rows)
    {
        gui.SetMode(row.guiMode);
        cursor.SetMode(kUntouched);
        int n = 0;
        for (const Frame& frame : row.frames)
        {
            GuiMouse mouse;
            mouse.x = mouse.y = frame.overToolbar ? 20 : 300;
            gui.Update(0.0f, mouse);
            ASSERT_EQ(gui.IsMouseOverToolbar(), frame.overToolbar) << row.what;
            world.StepCursor(frame.held);
            EXPECT_EQ(std::tuple(cursor.GetMode(), cursor.IsLocked()), std::tuple(frame.mode, frame.locked))
                << row.what << ", frame " << n++;
        }
    }
}
