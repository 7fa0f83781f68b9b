// The radar's draw list, rebuilt in every frame the radar shows, allocates nothing once its lists have their room.
#include "gui/Radar.h"
#include "tests/allocations/CountedNew.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <numbers>

namespace
{

constexpr float kMapW = 128.0f * 32.0f;
constexpr float kMapH = 128.0f * 64.0f;

// A park of a few buildings, staff and guests seen from an eye somewhere over it.
RadarView Park(float eyeX, float eyeY, float heading)
{
    RadarView view;
    view.mapWidth = kMapW;
    view.mapHeight = kMapH;
    for (int i = 0; i < 20; ++i)
    {
        const float x = static_cast<float>(i) * kMapW / 20.0f, y = static_cast<float>(i % 5) * kMapH / 5.0f;
        view.buildings.push_back({x, y, x + 96.0f, y + 192.0f});
        view.staff.push_back({x + 10.0f, y + 10.0f});
        view.guests.push_back({x + 20.0f, y + 30.0f});
    }
    view.hasCamera = true;
    view.camera = {eyeX, eyeY};
    view.heading = heading;
    return view;
}

TEST(RadarAllocation, ARebuiltDrawListAllocatesNothingWhereverTheConeIsCut)
{
    const RadarGeometry geometry{{12, 8, 156, 152}, kMapW, kMapH};
    constexpr float kQuarter = std::numbers::pi_v<float> / 2.0f;
    // The cone whole inside the picture's middle, cut by one side, by a corner, and pointing away from the picture.
    const struct
    {
        const char* what;
        RadarView view;
    } cases[] = {
        {"in the middle", Park(kMapW / 2, kMapH / 2, 0.0f)},
        {"by the left side, looking left", Park(0.0f, kMapH / 2, -kQuarter)},
        {"in the top right corner, looking up", Park(kMapW, kMapH, 0.0f)},
        {"beyond the bottom, looking down", Park(kMapW / 2, -kMapH, 2.0f * kQuarter)},
    };
    RadarDrawList list;
    // The lists take their room in the first frames.
    for (const auto& c : cases)
        Radar::BuildDrawList(geometry, c.view, list);
    for (const auto& c : cases)
    {
        Radar::BuildDrawList(geometry, c.view, list);
        const size_t triangles = list.coneTriangles.size();
        testsupport::CountedAllocations counted;
        Radar::BuildDrawList(geometry, c.view, list);
        EXPECT_EQ(counted.Count(), 0u) << c.what;
        // The frame drew what it drew before: its rectangles and the same cone.
        EXPECT_FALSE(list.rects.empty()) << c.what;
        EXPECT_EQ(list.coneTriangles.size(), triangles) << c.what;
    }
}

} // namespace
