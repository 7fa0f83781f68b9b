// A park played for years in one sitting at the top speed: every day still turns through all its hours, the shops and
// the show keep trading as in the first month, the waiting messages do not pile up, and the park saved at the end
// loads back on the same day with the same cash and guests.
#include "tests/park/SampleParkTest.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/Player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace
{

using ParkYears = SampleParkTest;

constexpr const char* kShowPark = "data/Scenario/Scenario1/Scenario1.pis";
// Half a second a frame at four times the speed: two game seconds a frame.
constexpr float kFrame = 0.5f;
constexpr int kMonth = 30;

// Days the park is played: two years, a season under the sanitizers and in a debug build.
int Days()
{
    if (const char* text = std::getenv("TW_PARK_DAYS"))
        return std::max(std::atoi(text), 3 * kMonth);
#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
    return 3 * kMonth;
#else
    return 2 * 365;
#endif
}

struct Day
{
    uint32_t hours = 0; // a bit for each hour of the day the clock showed
    float income = 0.0f;
    size_t waiting = 0;
};

TEST_F(ParkYears, AParkPlayedForYearsKeepsItsDaysTradeAndMessagesAndSavesAtTheEnd)
{
    testsupport::RecordingReportSink reports;
    auto world = std::make_unique<World>(nullptr, nullptr, kShowPark, false);
    ASSERT_TRUE(world->IsBuilt());
    world->SetGameSpeedLevel(2);
    world->RequestStaff(OBJECT_CLEANER, "CLEANER");
    world->RequestStaff(OBJECT_MECHANIC, "MECHANIC");
    world->RequestStaff(OBJECT_ZOOKEEPER, "ZOOKEEPER");

    const int days = Days();
    std::vector<Day> played;
    int32_t day = world->GetGameDay();
    Day today;
    // A day of the longest frames is a few thousand frames: a clock that stopped ends the walk.
    const long mostFrames = static_cast<long>(days + 1) * static_cast<long>(world->GetDayLength()) * 2;
    for (long frame = 0; static_cast<int>(played.size()) < days && frame < mostFrames; ++frame)
    {
        ASSERT_FALSE(world->m_bForcedPaused) << "the scenario ended on day " << world->GetGameDay();
        world->Update(kFrame);
        if (world->GetHour() >= 0 && world->GetHour() < 24)
            today.hours |= 1u << world->GetHour();
        if (world->GetGameDay() == day)
            continue;
        ASSERT_EQ(world->GetGameDay(), day + 1) << "a day was skipped";
        day = world->GetGameDay();
        today.income = world->m_fIncomeRecord[0];
        today.waiting = g_pMessageHandler->GetPendingMessages().size();
        played.push_back(today);
        today = Day{};
    }
    ASSERT_EQ(static_cast<int>(played.size()), days) << "the clock stopped on day " << world->GetGameDay();

    // The first day starts at nine in the morning; every later one turns through all its hours.
    for (size_t i = 1; i < played.size(); ++i)
    {
        ASSERT_EQ(played[i].hours, (1u << 24) - 1) << "day " << i;
    }
    const auto income = [&](size_t from)
    {
        float sum = 0.0f;
        for (size_t i = from; i < from + kMonth; ++i)
            sum += played[i].income;
        return sum;
    };
    const auto waiting = [&](size_t from)
    {
        size_t most = 0;
        for (size_t i = from; i < from + kMonth; ++i)
            most = std::max(most, played[i].waiting);
        return most;
    };
    const float firstMonth = income(1);
    const float lastMonth = income(played.size() - kMonth);
    ASSERT_GT(firstMonth, 0.0f);
    EXPECT_GT(lastMonth, firstMonth / 2.0f) << "the park's trade faded over the years";
    EXPECT_LE(waiting(played.size() - kMonth), 2 * waiting(1) + 10) << "waiting messages piled up";

    // The park saved years on loads back as it stood.
    const int32_t savedDay = world->GetGameDay();
    const double savedTime = world->GetGameTimeExact();
    const float savedCash = world->GetPlayer()->Cash;
    const int32_t savedGuests = world->m_NumGuests;
    const std::vector<uint8_t> bytes = Save(*world);
    world.reset();
    std::unique_ptr<World> loaded = Load(bytes, kShowPark);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetGameDay(), savedDay);
    // The save holds the clock in single precision: a step of it this late is a fraction of a second.
    EXPECT_NEAR(loaded->GetGameTimeExact(), savedTime, 1.0);
    EXPECT_EQ(loaded->GetPlayer()->Cash, savedCash);
    EXPECT_EQ(loaded->m_NumGuests, savedGuests);
    for (int frame = 0; frame < 2 * loaded->GetDayLength(); ++frame)
        loaded->Update(kFrame);
    EXPECT_GT(loaded->GetGameDay(), savedDay);
    EXPECT_TRUE(reports.boxes.empty()) << reports.boxes.front().text;
}

} // namespace
