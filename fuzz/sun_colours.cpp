// Fuzz target: the sun-colour image the sky reads its day from. Whatever the file, the sky either takes its tables
// or keeps a fixed daylight, and every time of day then gives finite colours, a sun angle within a turn and a
// unit sun direction.
#include "fuzz/FuzzSupport.h"
#include "world/SkyDome.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteFile("sun.tga", data, size);
    static SkyDome sky;
    const bool read = sky.LoadColourImage("sun.tga");
    if (read != sky.HasDayTables())
        __builtin_trap();
    if (read && !(sky.GetSunrise() >= 0 && sky.GetSunrise() < sky.GetSunset() && sky.GetSunset() < 384))
        __builtin_trap();
    for (float f : {0.0f, 0.1f, 0.25f, 0.4999f, 0.5f, 0.75f, 0.999f, 1.0f, 1.5f})
    {
        const float angle = sky.SunAngleFor(f);
        if (!(angle >= 0.0f && angle <= 360.0f))
            __builtin_trap();
        const platform::Vec3 sun = SkyDome::SunDirectionForAngle(angle);
        if (!(std::fabs(platform::Vec3Length(sun) - 1.0f) < 1e-4f))
            __builtin_trap();
        const auto numbers = sky.NumbersFor(f);
        if (!(numbers[0] >= 0.0f && numbers[0] <= 255.0f && numbers[1] >= 0.0f && numbers[1] <= 255.0f))
            __builtin_trap();
        for (uint32_t colour : sky.ColoursFor(f))
            if ((colour >> 24) != 0xFF)
                __builtin_trap();
    }
    return 0;
}
