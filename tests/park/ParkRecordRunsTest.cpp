// A loaded park runs: a park record whose game speed would hold the clock still, or that says the park is still
// starting up, is refused with a report; the speeds a running park can have load and the clock moves on.
#include "tests/park/SampleParkTest.h"
#include "tests/support/TestSupport.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

class ParkRecordRuns : public SampleParkTest
{
protected:
    // The sample park run for a few game seconds and saved.
    Bytes ParkSave()
    {
        World world(nullptr, nullptr, kScenario, false);
        EXPECT_TRUE(world.IsBuilt());
        if (!world.IsBuilt())
            return {};
        for (int i = 0; i < 5; ++i)
            world.Update(1.0f);
        return Save(world);
    }

    // Where the World record begins: its banner item (tag and length before the text).
    static size_t WorldRecordAt(const Bytes& bytes)
    {
        const std::string banner = "Class name : World";
        const auto found = std::search(bytes.begin(), bytes.end(), banner.begin(), banner.end());
        return found == bytes.end() ? std::string::npos : static_cast<size_t>(found - bytes.begin()) - 5;
    }
};

// Item offsets in the World record, counted from the stream format: the banner (tag, length, 18 characters), the
// size item, then four-byte items of five bytes each and one-byte items of two.
constexpr size_t kBannerItem = 5 + 18;
constexpr size_t kSpeedAt = kBannerItem + 5 + 7 * 5; // after the size, the start time, the game time, the day,
                                                     // the three hours and the frame's game time
constexpr size_t kStartupAt = kSpeedAt + 5 + 5 + 5;  // after the speed, its level and the next staff feedback time

TEST_F(ParkRecordRuns, ASpeedThatStopsTheClockOrAParkStillStartingUpIsRefused)
{
    testsupport::RecordingReportSink reports;
    const Bytes saved = ParkSave();
    ASSERT_FALSE(saved.empty());
    const size_t world = WorldRecordAt(saved);
    ASSERT_NE(world, std::string::npos);
    ASSERT_EQ(saved[world + kSpeedAt], 3u) << "the speed is not a float item";
    ASSERT_EQ(saved[world + kStartupAt], 2u) << "the start flag is not a bool item";

    struct Case
    {
        const char* what;
        float speed;
        uint8_t startingUp;
        bool loads;
    };
    // The speed keys give 1, 2 and 4 times, and the debug keys halve down to a half and double up to 512.
    const Case cases[] = {
        {"normal speed", 1.0f, 0, true},     {"four times", 4.0f, 0, true},         {"half speed", 0.5f, 0, true},
        {"512 times", 512.0f, 0, true},      {"speed zero", 0.0f, 0, false},        {"negative zero", -0.0f, 0, false},
        {"negative speed", -2.0f, 0, false}, {"still starting up", 1.0f, 1, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Bytes changed = saved;
        std::memcpy(&changed[world + kSpeedAt + 1], &c.speed, 4);
        changed[world + kStartupAt + 1] = c.startingUp;
        const size_t before = reports.boxes.size();
        std::unique_ptr<World> loaded = Load(changed);
        EXPECT_EQ(loaded != nullptr, c.loads);
        EXPECT_EQ(reports.boxes.size() > before, !c.loads);
        if (!loaded)
            continue;
        EXPECT_FALSE(loaded->IsStartingUp());
        const float start = loaded->GetGameTime();
        for (int f = 0; f < 10; ++f)
            loaded->Update(0.1f);
        EXPECT_GT(loaded->GetGameTime(), start) << "the loaded park's clock stands still";
    }
}

} // namespace
