// Tests of the date and hour of day a rescue team's report line shows, for day lengths that 24 divides and ones
// that it does not.
#include "engine/core/GameParameters.h"
#include "engine/core/TextTable.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/ModelManager.h"
#include "park/ParkLayer.h"
#include "park/ParkManagers.h"
#include "park/RescueManager.h"
#include "platform/Random.h"
#include "tests/support/TestSupport.h"
#include "world/ObjectKinds.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{

std::string Narrow(const platform::WString& text)
{
    return std::string(text.begin(), text.end());
}

// The line a team despatched at a game time dates its start with, in a park whose day lasts `dayLength` seconds.
std::string StartLineDate(int dayLength, float despatchTime)
{
    testsupport::TempDir dir;
    testsupport::WriteText(dir.File("gameparameters.pis"),
                           "'iDAY_LENGTH_IN_SECONDS' " + std::to_string(dayLength) + "\r\n");
    testsupport::ScopedCurrentDir cwd{std::string(TW_SOURCE_DIR) + "/sample-data"};
    GameParameters parameters{dir.File("gameparameters.pis").c_str()};
    TextTable texts{"data/text_uk.uni"};
    ClearObjectKinds();
    RegisterParkLayer();
    g_ModelManager.Init(1000, false);
    g_AnimationScheduler.Clear();
    platform::SRand(5);
    std::string date;
    {
        World world(nullptr, nullptr, "data/Scenario/QuietPark/QuietPark.pis", false);
        EXPECT_TRUE(world.IsBuilt());
        EXPECT_EQ(world.GetDayLength(), dayLength);
        RescueManager* rescue = GetRescueManager();
        if (world.IsBuilt() && rescue)
        {
            rescue->OfferRescue();
            world.SetGameTime(despatchTime);
            EXPECT_TRUE(rescue->DespatchTeam());
            platform::WString text;
            rescue->GetVariable("AR_RD_DAY1_1", text);
            date = Narrow(text);
        }
    }
    UnregisterParkLayer();
    g_ModelManager.Shutdown();
    ClearObjectKinds();
    return date;
}

} // namespace

// The report line tells the hour of day as the park's clock does: the time into the day as a share of 24 hours,
// the minutes cut down to the quarter. The sample's date text is "Day %d %02d:%02d".
TEST(RescueReportTime, AReportLineShowsTheHourOfDayOfTheParksClock)
{
    testsupport::RecordingReportSink reports;
    struct Case
    {
        int dayLength;
        float time;
        const char* date;
    };
    const Case cases[] = {
        // 720 s a day, 30 s an hour: 200 s into day 2 is 6 h 40 min.
        {720, 920.0f, "Day 2 06:30"},
        // 1000 s a day: 900 s into day 3 is 0.9 of a day, 21.6 h, 21:36.
        {1000, 2900.0f, "Day 3 21:30"},
        // 999 s into day 1 is 23.976 h, 23:58: still the day's last hour, never a 25th.
        {1000, 999.0f, "Day 1 23:45"},
        // 900 s a day: 880 s into day 2 is 23.47 h, 23:28.
        {900, 1780.0f, "Day 2 23:15"},
        // Half of a 900 s day is noon.
        {900, 450.0f, "Day 1 12:00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StartLineDate(c.dayLength, c.time), c.date) << c.dayLength << " s a day, at " << c.time;
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}
