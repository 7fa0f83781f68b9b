// The model helpers' lookup tables.
#include "engine/render/ModelHelpers.h"

#include <cmath>

namespace
{
float s_aSine[kModelSineEntries];
uint8_t s_aColour4[16][16];
} // namespace

void BuildModelHelperTables()
{
    for (int i = 0; i < kModelSineEntries; ++i)
        s_aSine[i] = std::sin(static_cast<float>(i) * kModelSineStep);
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 16; ++j)
            s_aColour4[i][j] = static_cast<uint8_t>(i * j * 255 / 225);
}

float ModelSine(int i)
{
    if (i < 0 || i >= kModelSineEntries)
        return 0.0f;
    return s_aSine[i];
}

uint8_t ModelColourProduct4(int i, int j)
{
    if (i < 0 || i > 15 || j < 0 || j > 15)
        return 0;
    return s_aColour4[i][j];
}
