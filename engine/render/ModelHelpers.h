// Lookup tables kept beside the model code: the 320-entry sine table and the 4-bit colour product table.
#pragma once

#include <cstdint>

constexpr int kModelSineEntries = 320;
constexpr float kModelSineStep = 0.02453125f;

// Builds both tables; run by the graphics manager when it is created.
void BuildModelHelperTables();

// sin(i x 0.02453125) for i from 0 to 319 (0 before the tables are built).
float ModelSine(int i);
// i x j x 255 / 225, truncated, for 4-bit channel values i and j.
uint8_t ModelColourProduct4(int i, int j);
