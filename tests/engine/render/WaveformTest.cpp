// Tests of the waveform tables, wave record evaluation, construction and animator compaction.
#include "engine/render/Waveform.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{

class WaveformTest : public ::testing::Test
{
protected:
    void SetUp() override { BuildWaveformTables(); }
};

// A record with one wave and everything else zero.
WaveRecord OneWave(uint8_t shapeOp, uint8_t phase, uint16_t frequency, int16_t amplitude, int16_t offset)
{
    WaveRecord r = {};
    r.uShapeOp = shapeOp;
    r.uPhase1 = phase;
    r.uFrequency1 = frequency;
    r.iAmplitude1 = amplitude;
    r.iOffset1 = offset;
    return r;
}

void SetSecond(WaveRecord& r, uint8_t shape, uint8_t phase, uint16_t frequency, int16_t amplitude, int16_t offset)
{
    r.uShape2 = shape;
    r.uPhase2 = phase;
    r.uFrequency2 = frequency;
    r.iAmplitude2 = amplitude;
    r.iOffset2 = offset;
}

// The runtime generator, written out independently: seed 22323, 511 draws thrown away, then 4096 kept.
std::vector<int> ExpectedNoiseDraws()
{
    uint32_t state = 22323;
    auto next = [&state]()
    {
        state = state * 214013u + 2531011u;
        return int((state >> 16) & 0x7FFF);
    };
    for (int i = 0; i < 511; ++i)
        next();
    std::vector<int> draws(4096);
    for (int& d : draws)
        d = next();
    return draws;
}

} // namespace

TEST_F(WaveformTest, TablesFollowTheirDefiningFormulas)
{
    const float* sine = GetWaveformTable(WAVE_SINE);
    ASSERT_NE(sine, nullptr);
    EXPECT_EQ(GetWaveformTable(WAVE_SINE_ALT), sine);
    EXPECT_NEAR(sine[512], std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(sine[1024], 1.0f, 1e-6f);
    EXPECT_NEAR(sine[3072], -1.0f, 1e-6f);
    // Saw: 2i/4095 - 1, from -1 up to +1.
    const float* saw = GetWaveformTable(WAVE_SAW);
    EXPECT_FLOAT_EQ(saw[0], -1.0f);
    EXPECT_NEAR(saw[1000], 2000.0f / 4095.0f - 1.0f, 1e-6f);
    // Triangle: -1 at 0, +1 at 2048, falling back towards -1.
    const float* tri = GetWaveformTable(WAVE_TRIANGLE);
    EXPECT_FLOAT_EQ(tri[0], -1.0f);
    EXPECT_FLOAT_EQ(tri[2048], 1.0f);
    EXPECT_FLOAT_EQ(tri[2560], 0.5f);
    EXPECT_FLOAT_EQ(tri[4095], -1023.0f / 1024.0f);
    // Square: -1 for the first half, +1 for the second.
    const float* square = GetWaveformTable(WAVE_SQUARE);
    EXPECT_EQ(square[2047], -1.0f);
    EXPECT_EQ(square[2048], 1.0f);

    // Noise: the seeded runtime sequence, the same again when the tables are rebuilt (a new device).
    const float* noise = GetWaveformTable(WAVE_NOISE);
    ASSERT_NE(noise, nullptr);
    const std::vector<int> draws = ExpectedNoiseDraws();
    for (uint32_t i = 0; i < kWaveTableSize; ++i)
        ASSERT_FLOAT_EQ(noise[i], float(draws[i]) * 6.103702e-5f - 1.0f) << "entry " << i;
    std::vector<float> first(noise, noise + kWaveTableSize);
    BuildWaveformTables();
    EXPECT_EQ(0, std::memcmp(first.data(), GetWaveformTable(WAVE_NOISE), sizeof(float) * kWaveTableSize));
}

TEST_F(WaveformTest, EachShapeAtChosenPhases)
{
    // Frequency 0 reads entry phase x 16 whatever the time; amplitude 256 is 1.0.
    for (uint32_t t : {0u, 49u, 0xFFFFFFFFu})
        EXPECT_FLOAT_EQ(EvaluateWave(OneWave(WAVE_SINE, 64, 0, 256, 0), t), 1.0f) << "t = " << t;
    EXPECT_NEAR(EvaluateWave(OneWave(WAVE_SINE_ALT, 32, 0, 256, 0), 7), std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(EvaluateWave(OneWave(WAVE_SAW, 128, 0, 256, 0), 7), 2 * 2048.0f / 4095.0f - 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(EvaluateWave(OneWave(WAVE_TRIANGLE, 128, 0, 256, 0), 7), 1.0f);
    EXPECT_FLOAT_EQ(EvaluateWave(OneWave(WAVE_SQUARE, 127, 0, 256, 0), 7), -1.0f);
    const std::vector<int> draws = ExpectedNoiseDraws();
    EXPECT_FLOAT_EQ(EvaluateWave(OneWave(WAVE_NOISE, 1, 0, 256, 0), 7), float(draws[16]) * 6.103702e-5f - 1.0f);

    // Amplitude and offset scale the table value: (base x amplitude + offset) / 256.
    EXPECT_FLOAT_EQ(EvaluateWave(OneWave(WAVE_SQUARE, 128, 0, 512, 256), 0), 3.0f);
    EXPECT_FLOAT_EQ(EvaluateWave(OneWave(WAVE_TRIANGLE, 128, 0, -128, 64), 0), -0.25f);

    // Constant shapes: 6 and 9 are one, 7 and 8 zero, so only the offset remains for them.
    EXPECT_FLOAT_EQ(EvaluateWave(OneWave(WAVE_ONE, 99, 4000, 384, 128), 55), 2.0f);
    EXPECT_FLOAT_EQ(EvaluateWave(OneWave(WAVE_ONE_B, 0, 0, -256, 0), 55), -1.0f);
    EXPECT_FLOAT_EQ(EvaluateWave(OneWave(WAVE_ZERO_A, 3, 100, 384, 128), 55), 0.5f);
    EXPECT_FLOAT_EQ(EvaluateWave(OneWave(WAVE_ZERO_B, 3, 100, 384, -64), 55), -0.25f);
}

TEST_F(WaveformTest, TimeAdvancesThePhaseInFixedPoint)
{
    // s = t x 4096 / 50; index = (frequency x s) >> 12 modulo 4096.
    // Frequency 4096 steps one entry per unit of s: t = 1 gives s = 81; t = 50 a whole cycle, back to entry 0.
    const WaveRecord saw = OneWave(WAVE_SAW, 0, 4096, 256, 0);
    EXPECT_NEAR(EvaluateWave(saw, 1), 2 * 81.0f / 4095.0f - 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(EvaluateWave(saw, 50), -1.0f);
    // Frequency 1 moves one entry per 4096 units of s: t = 49 (s = 4014) is still entry 0, t = 50 entry 1.
    const WaveRecord slow = OneWave(WAVE_SAW, 0, 1, 256, 0);
    EXPECT_FLOAT_EQ(EvaluateWave(slow, 49), -1.0f);
    EXPECT_NEAR(EvaluateWave(slow, 50), 2 * 1.0f / 4095.0f - 1.0f, 1e-6f);
    // The phase adds phase << 16 before the shift: 1024 entries for phase 64, on top of the time's steps.
    EXPECT_NEAR(EvaluateWave(OneWave(WAVE_SAW, 64, 4096, 256, 0), 1), 2 * (1024.0f + 81.0f) / 4095.0f - 1.0f, 1e-6f);
    // t x 4096 wraps at 32 bits: t = 2^20 + 1 gives (4096 + 2^32), wrapped to 4096, s = 81.
    EXPECT_NEAR(EvaluateWave(saw, (1u << 20) + 1), 2 * 81.0f / 4095.0f - 1.0f, 1e-6f);
    // frequency x s wraps too.
    const uint32_t t = 3000000;
    const uint32_t index = ((65535u * ((t * 4096u) / 50u)) >> 12) % 4096u;
    EXPECT_NEAR(EvaluateWave(OneWave(WAVE_SAW, 0, 65535, 256, 0), t), 2 * float(index) / 4095.0f - 1.0f, 1e-6f);
}

TEST_F(WaveformTest, SecondWaveCombinesByTheOperation)
{
    // a = 2.0 (shape 6, amplitude 512), b = 3.0 (shape 6 as the second wave, amplitude 768).
    const float expected[8] = {2.0f, 3.0f, 5.0f, -1.0f, 1.0f, 6.0f, 2.0f, 3.0f};
    for (uint8_t op = 0; op < 8; ++op)
    {
        WaveRecord r = OneWave(uint8_t(WAVE_ONE | (op << 5)), 0, 0, 512, 0);
        SetSecond(r, WAVE_ONE, 0, 0, 768, 0);
        EXPECT_FLOAT_EQ(EvaluateWave(r, 10), expected[op]) << "operation " << int(op);
    }
    // Min and max the other way round.
    WaveRecord r = OneWave(uint8_t(WAVE_ONE | (WAVE_COMBINE_MIN << 5)), 0, 0, 768, 0);
    SetSecond(r, WAVE_ONE, 0, 0, -256, 0);
    EXPECT_FLOAT_EQ(EvaluateWave(r, 10), -1.0f);
    r.uShapeOp = uint8_t(WAVE_ONE | (WAVE_COMBINE_MAX << 5));
    EXPECT_FLOAT_EQ(EvaluateWave(r, 10), 3.0f);

    // The second wave runs on its own phase and frequency: square at phase 128 is +1; 4 - 1 with b - a.
    WaveRecord mixed = OneWave(uint8_t(WAVE_ONE | (WAVE_COMBINE_REVERSE_SUB << 5)), 0, 0, 256, 0);
    SetSecond(mixed, WAVE_SQUARE, 128, 0, 1024, 0);
    EXPECT_FLOAT_EQ(EvaluateWave(mixed, 3), 3.0f);

    // A zero second shape byte means no second wave, whatever its other fields; 0x20 (shape 0) still counts.
    WaveRecord second = OneWave(uint8_t(WAVE_ONE | (WAVE_COMBINE_SECOND << 5)), 0, 0, 256, 0);
    SetSecond(second, 0, 200, 9999, 5000, -5000);
    EXPECT_FLOAT_EQ(EvaluateWave(second, 1234), 1.0f);
    SetSecond(second, 0x20, 64, 0, 512, 0);
    EXPECT_FLOAT_EQ(EvaluateWave(second, 1234), 2.0f);
}

TEST_F(WaveformTest, UndefinedShapesAreRefusedNotLookedUp)
{
    for (uint32_t shape = 6; shape < 40; ++shape)
        EXPECT_EQ(GetWaveformTable(shape), nullptr) << "shape " << shape;
    EXPECT_TRUE(IsWaveShapeDefined(9));
    EXPECT_FALSE(IsWaveShapeDefined(10));
    // Shapes 10 to 31 read no table: the wave is flat zero and only the offset remains.
    for (uint8_t shape = 10; shape < 32; ++shape)
    {
        const WaveRecord r = OneWave(uint8_t(shape | 0xE0), 255, 65535, 32767, 512);
        EXPECT_FLOAT_EQ(EvaluateWave(r, 777777), 2.0f) << "shape " << int(shape);
        EXPECT_FALSE(IsWaveRecordValid(r));
    }
    // The same for the second wave: b = -1.0 from its offset, and a + b.
    WaveRecord r = OneWave(uint8_t(WAVE_ONE | (WAVE_COMBINE_ADD << 5)), 0, 0, 256, 0);
    SetSecond(r, 31, 17, 4000, 32767, -256);
    EXPECT_FLOAT_EQ(EvaluateWave(r, 99), 0.0f);
    EXPECT_FALSE(IsWaveRecordValid(r));
    SetSecond(r, WAVE_NOISE, 17, 4000, 256, 0);
    EXPECT_TRUE(IsWaveRecordValid(r));
}

TEST(WaveformConstantTest, ConstantWhenTheFirstAmplitudeIsZero)
{
    float value = -99.0f;
    EXPECT_TRUE(IsConstantWave(OneWave(WAVE_SINE, 30, 5000, 0, 384), &value));
    EXPECT_FLOAT_EQ(value, 1.5f);
    value = -99.0f;
    EXPECT_FALSE(IsConstantWave(OneWave(WAVE_SINE, 0, 0, 1, 384), &value));
    EXPECT_FALSE(IsConstantWave(OneWave(WAVE_ZERO_A, 0, 0, 0, 384), &value));
    EXPECT_FALSE(IsConstantWave(OneWave(uint8_t(WAVE_ZERO_B | 0x40), 0, 0, 0, 384), &value));
    EXPECT_FLOAT_EQ(value, -99.0f);
    // The second wave does not count, even when it varies.
    WaveRecord r = OneWave(uint8_t(WAVE_SAW | (WAVE_COMBINE_ADD << 5)), 0, 0, 0, 256);
    SetSecond(r, WAVE_SINE_ALT, 0, 3000, 256, 0);
    EXPECT_TRUE(IsConstantWave(r, &value));
    EXPECT_FLOAT_EQ(value, 1.0f);
}

TEST_F(WaveformTest, MakeWaveConvertsAndLimitsEachField)
{
    WaveRecord r = {};
    r.uTarget = 0x200;
    SetSecond(r, WAVE_SQUARE, 7, 8, 9, 10);
    MakeWave(&r, uint8_t(WAVE_TRIANGLE | (WAVE_COMBINE_MULTIPLY << 5)), 1.5f, 1.0f, 0.25f, -0.5f);
    EXPECT_EQ(r.uShapeOp, uint8_t(WAVE_TRIANGLE | (WAVE_COMBINE_MULTIPLY << 5)));
    EXPECT_EQ(r.iAmplitude1, 384);
    EXPECT_EQ(r.iOffset1, -128);
    EXPECT_EQ(r.uFrequency1, 1638); // 1 x 0.4 x 4096 = 1638.4
    EXPECT_EQ(r.uPhase1, 64);
    // The target and the second wave are untouched.
    EXPECT_EQ(r.uTarget, 0x200u);
    EXPECT_EQ(r.uFrequency2, 8);
    EXPECT_EQ(r.iOffset2, 10);

    // Truncation toward zero in both directions.
    MakeWave(&r, WAVE_SINE_ALT, 1.75f / 256.0f, 0.0f, 0.0f, -1.75f / 256.0f);
    EXPECT_EQ(r.iAmplitude1, 1);
    EXPECT_EQ(r.iOffset1, -1);
    // Frequency 100 x 0.4 x 4096 is beyond 16 bits; negative values and phases become 0; a whole cycle is 255.
    MakeWave(&r, WAVE_SINE_ALT, 1.0f, 100.0f, -0.5f, 0.0f);
    EXPECT_EQ(r.uFrequency1, 65535);
    EXPECT_EQ(r.uPhase1, 0);
    MakeWave(&r, WAVE_SINE_ALT, 1.0f, -3.0f, 1.0f, 0.0f);
    EXPECT_EQ(r.uFrequency1, 0);
    EXPECT_EQ(r.uPhase1, 255);
    // Amplitudes and offsets beyond the 16-bit range keep their sign at the limit instead of wrapping.
    MakeWave(&r, WAVE_SINE_ALT, 200.0f, 0.0f, 0.0f, -200.0f);
    EXPECT_EQ(r.iAmplitude1, 32767);
    EXPECT_EQ(r.iOffset1, -32768);

    // A made wave evaluates to its float values.
    MakeWave(&r, WAVE_SQUARE, 2.0f, 0.0f, 0.5f, 0.75f);
    r.uShape2 = 0;
    EXPECT_FLOAT_EQ(EvaluateWave(r, 100), 2.75f);
}

TEST(WaveformRecordTest, TwentyByteLittleEndianLayout)
{
    const uint8_t bytes[20] = {0x01, 0x02, 0x10, 0x80, // target 0x80100201
                               0x43,                   // shape 3, operation 2
                               0x40, 0x34, 0x12,       // phase 64, frequency 0x1234
                               0x00, 0xFF,             // amplitude -256
                               0x80, 0x01,             // offset 384
                               0x24, 0x05,             // shape byte 0x24, phase 5
                               0xFF, 0xFF,             // frequency 65535
                               0x01, 0x80,             // amplitude -32767
                               0xFF, 0x7F};            // offset 32767
    const WaveRecord r = ReadWaveRecord(bytes);
    EXPECT_EQ(r.uTarget, 0x80100201u);
    EXPECT_EQ(r.Shape1(), 3);
    EXPECT_EQ(r.Combine(), 2);
    EXPECT_EQ(r.uFrequency1, 0x1234);
    EXPECT_EQ(r.iAmplitude1, -256);
    EXPECT_EQ(r.iOffset1, 384);
    EXPECT_EQ(r.Shape2(), 4);
    EXPECT_EQ(r.uPhase2, 5);
    EXPECT_EQ(r.iAmplitude2, -32767);
    EXPECT_EQ(r.iOffset2, 32767);
    uint8_t out[20] = {};
    WriteWaveRecord(r, out);
    EXPECT_EQ(0, std::memcmp(out, bytes, 20));
}

TEST(WaveformAnimatorTest, UsedSlotsKeepTheirOrderAndTakeTheirSlotTargets)
{
    WaveRecord slots[kAnimatorSlotCount] = {};
    // A slot with everything set but its shape byte is unused: no list at all.
    slots[3].uTarget = 0xFFFFFFFF;
    slots[3].iAmplitude1 = 256;
    const AnimatorList none = CompactAnimators(slots);
    EXPECT_EQ(none.iCount, 0);
    EXPECT_EQ(none.pRecords, nullptr);

    slots[0] = OneWave(WAVE_SAW, 1, 2, 3, 4);
    slots[12] = OneWave(0x20, 5, 6, 7, 8); // shape 0 with an operation: the byte is not 0, so in use
    slots[24] = OneWave(WAVE_NOISE, 13, 14, 15, 16);
    slots[24].uTarget = 0x1234; // replaced by the slot's target
    SetSecond(slots[24], WAVE_SQUARE, 17, 18, 19, 20);
    const AnimatorList list = CompactAnimators(slots);
    ASSERT_EQ(list.iCount, 3);
    ASSERT_NE(list.pRecords, nullptr);
    // Slot 0 drives the first colour's 0x8, slot 12 the specular power, slot 24 layer 1's bit 29.
    EXPECT_EQ(list.pRecords[0].uTarget, 0x8u);
    EXPECT_EQ(list.pRecords[1].uTarget, 0x1000u);
    EXPECT_EQ(list.pRecords[2].uTarget, 0x20000000u);
    EXPECT_EQ(list.pRecords[1].uShapeOp, 0x20);
    EXPECT_EQ(list.pRecords[2].iOffset2, 20);

    // The slots' targets together set every colour byte, the specular power and layer bits 20 to 31 once.
    uint32_t seen = 0;
    for (int i = 0; i < kAnimatorSlotCount; ++i)
    {
        EXPECT_EQ(seen & kAnimatorSlotTargets[i], 0u) << "slot " << i;
        EXPECT_EQ(std::popcount(kAnimatorSlotTargets[i]), 1) << "slot " << i;
        seen |= kAnimatorSlotTargets[i];
    }
    EXPECT_EQ(seen, 0xFFF00000u | 0x1000u | 0xFFFu);
    EXPECT_EQ(kAnimatorSlotTargets[3], 0x1u); // colour slots go from the high bit of each nibble down
}
