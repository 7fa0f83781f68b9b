// Tests of the waveform tables, wave record evaluation, construction, byte layout and animator compaction.
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

// A record with its target zero; without a second shape there is no second wave.
WaveRecord Wave(uint8_t shapeOp, uint8_t phase, uint16_t frequency, int16_t amplitude, int16_t offset,
                uint8_t shape2 = 0, uint8_t phase2 = 0, uint16_t frequency2 = 0, int16_t amplitude2 = 0,
                int16_t offset2 = 0)
{
    return {0, shapeOp, phase, frequency, amplitude, offset, shape2, phase2, frequency2, amplitude2, offset2};
}

uint8_t ShapeOp(uint8_t shape, uint8_t op)
{
    return uint8_t(shape | (op << 5));
}

// The runtime generator, written out independently: seed 22323, 511 draws thrown away, then 4096 kept.
std::vector<float> ExpectedNoise()
{
    uint32_t state = 22323;
    auto next = [&state]()
    {
        state = state * 214013u + 2531011u;
        return int((state >> 16) & 0x7FFF);
    };
    for (int i = 0; i < 511; ++i)
        next();
    std::vector<float> noise(4096);
    for (float& n : noise)
        n = float(next()) * 6.103702e-5f - 1.0f;
    return noise;
}

} // namespace

TEST_F(WaveformTest, TablesFollowTheirDefiningFormulas)
{
    const float* sine = GetWaveformTable(WAVE_SINE);
    ASSERT_NE(sine, nullptr);
    EXPECT_NEAR(sine[512], std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(sine[3072], -1.0f, 1e-6f);
    EXPECT_NEAR(GetWaveformTable(WAVE_SAW)[1000], 2000.0f / 4095.0f - 1.0f, 1e-6f); // 2i/4095 - 1
    // Triangle: -1 at 0, +1 at 2048, falling back towards -1.
    const float* tri = GetWaveformTable(WAVE_TRIANGLE);
    EXPECT_FLOAT_EQ(tri[2048], 1.0f);
    EXPECT_FLOAT_EQ(tri[4095], -1023.0f / 1024.0f);
    // Square: -1 for the first half, +1 for the second.
    EXPECT_TRUE(GetWaveformTable(WAVE_SQUARE)[2047] == -1.0f && GetWaveformTable(WAVE_SQUARE)[2048] == 1.0f);

    // Noise: the seeded runtime sequence, the same again when the tables are rebuilt (a new device).
    const std::vector<float> expected = ExpectedNoise();
    for (int pass = 0; pass < 2; ++pass, BuildWaveformTables())
    {
        const float* noise = GetWaveformTable(WAVE_NOISE);
        ASSERT_NE(noise, nullptr);
        for (uint32_t i = 0; i < kWaveTableSize; ++i)
            ASSERT_FLOAT_EQ(noise[i], expected[i]) << "pass " << pass << " entry " << i;
    }
}

TEST_F(WaveformTest, EvaluationScalesShiftsAndAdvancesThePhase)
{
    // Frequency 0 reads entry phase x 16 whatever the time; amplitude 256 is 1.0.
    EXPECT_FLOAT_EQ(EvaluateWave(Wave(WAVE_SINE, 64, 0, 256, 0), 0xFFFFFFFFu), 1.0f);
    EXPECT_FLOAT_EQ(EvaluateWave(Wave(WAVE_NOISE, 1, 0, 256, 0), 7), ExpectedNoise()[16]);
    // (base x amplitude + offset) / 256; constant shapes leave only the offset (6 and 9 are one, 7 and 8 zero).
    EXPECT_FLOAT_EQ(EvaluateWave(Wave(WAVE_TRIANGLE, 128, 0, -128, 64), 0), -0.25f);
    EXPECT_FLOAT_EQ(EvaluateWave(Wave(WAVE_ONE, 99, 4000, 384, 128), 55), 2.0f);
    EXPECT_FLOAT_EQ(EvaluateWave(Wave(WAVE_ZERO_B, 3, 100, 384, -64), 55), -0.25f);

    // s = t x 4096 / 50; index = (frequency x s + phase << 16) >> 12 modulo 4096.
    const WaveRecord saw = Wave(WAVE_SAW, 0, 4096, 256, 0);
    EXPECT_NEAR(EvaluateWave(saw, 1), 2 * 81.0f / 4095.0f - 1.0f, 1e-6f); // s = 81
    EXPECT_FLOAT_EQ(EvaluateWave(saw, 50), -1.0f);                        // a whole cycle
    EXPECT_NEAR(EvaluateWave(Wave(WAVE_SAW, 64, 4096, 256, 0), 1), 2 * 1105.0f / 4095.0f - 1.0f, 1e-6f);
    // t x 4096 wraps at 32 bits: t = 2^20 + 1 gives 4096 + 2^32, wrapped to 4096, s = 81.
    EXPECT_NEAR(EvaluateWave(saw, (1u << 20) + 1), 2 * 81.0f / 4095.0f - 1.0f, 1e-6f);

    // Shape 6 is one: amplitude 512 gives 2.0, 768 gives 3.0. Both orders, so that the smaller and the larger
    // come once from each wave.
    const struct
    {
        int16_t amplitudeA, amplitudeB;
        float expected[8]; // first, second, a + b, a - b, b - a, a x b, smaller, larger
    } cases[] = {{512, 768, {2.0f, 3.0f, 5.0f, -1.0f, 1.0f, 6.0f, 2.0f, 3.0f}},
                 {768, 512, {3.0f, 2.0f, 5.0f, 1.0f, -1.0f, 6.0f, 2.0f, 3.0f}}};
    for (const auto& c : cases)
        for (uint8_t op = 0; op < 8; ++op)
        {
            const WaveRecord r = Wave(ShapeOp(WAVE_ONE, op), 0, 0, c.amplitudeA, 0, WAVE_ONE, 0, 0, c.amplitudeB, 0);
            EXPECT_FLOAT_EQ(EvaluateWave(r, 10), c.expected[op]) << "operation " << int(op) << ", a " << c.amplitudeA;
        }
    // A zero second shape byte means no second wave, whatever its other fields; 0x20 (shape 0) still counts.
    const uint8_t second = ShapeOp(WAVE_ONE, WAVE_COMBINE_SECOND);
    EXPECT_FLOAT_EQ(EvaluateWave(Wave(second, 0, 0, 256, 0, 0, 200, 9999, 5000, -5000), 1234), 1.0f);
    EXPECT_FLOAT_EQ(EvaluateWave(Wave(second, 0, 0, 256, 0, 0x20, 64, 0, 512, 0), 1234), 2.0f);

    for (uint32_t shape : {6u, 10u, 31u, 255u})
        EXPECT_EQ(GetWaveformTable(shape), nullptr) << "shape " << shape;
    // Shapes 10 to 31 read no table: the wave is flat zero and only the offset remains.
    for (uint8_t shape : {10, 31})
    {
        const WaveRecord r = Wave(uint8_t(shape | 0xE0), 255, 65535, 32767, 512);
        EXPECT_FLOAT_EQ(EvaluateWave(r, 777777), 2.0f) << "shape " << int(shape);
        EXPECT_FALSE(IsWaveRecordValid(r));
    }
    // The same for the second wave: b = -1.0 from its offset, and a + b.
    WaveRecord r = Wave(ShapeOp(WAVE_ONE, WAVE_COMBINE_ADD), 0, 0, 256, 0, 31, 17, 4000, 32767, -256);
    EXPECT_FLOAT_EQ(EvaluateWave(r, 99), 0.0f);
    EXPECT_FALSE(IsWaveRecordValid(r));
    r.uShape2 = WAVE_NOISE;
    EXPECT_TRUE(IsWaveRecordValid(r));
}

TEST(WaveformMakeTest, MakeWaveConvertsAndLimitsEachField)
{
    WaveRecord r = Wave(0, 0, 0, 0, 0, WAVE_SQUARE, 7, 8, 9, 10);
    r.uTarget = 0x200;
    MakeWave(&r, ShapeOp(WAVE_TRIANGLE, WAVE_COMBINE_MULTIPLY), 1.5f, 1.0f, 0.25f, -0.5f);
    EXPECT_TRUE(r.uShapeOp == ShapeOp(WAVE_TRIANGLE, WAVE_COMBINE_MULTIPLY) && r.iAmplitude1 == 384 &&
                r.iOffset1 == -128);
    // 1 x 0.4 x 4096 = 1638.4; the target and the second wave are untouched.
    EXPECT_TRUE(r.uFrequency1 == 1638 && r.uPhase1 == 64 && r.uTarget == 0x200u && r.iOffset2 == 10);

    // Truncation toward zero; values beyond 16 bits keep their sign at the limit; a whole cycle is phase 255.
    MakeWave(&r, WAVE_SINE_ALT, 1.75f / 256.0f, 100.0f, 1.0f, -1.75f / 256.0f);
    EXPECT_TRUE(r.iAmplitude1 == 1 && r.iOffset1 == -1 && r.uFrequency1 == 65535 && r.uPhase1 == 255);
    MakeWave(&r, WAVE_SINE_ALT, 200.0f, -3.0f, -0.5f, -200.0f);
    EXPECT_TRUE(r.iAmplitude1 == 32767 && r.iOffset1 == -32768 && r.uFrequency1 == 0 && r.uPhase1 == 0);

    // A wave is constant when its first amplitude is 0 and its shape is not a constant one; the second wave does
    // not count, even when it varies.
    float value = -99.0f;
    // constant shapes are not.
    EXPECT_TRUE(!(IsConstantWave(Wave(WAVE_SINE, 0, 0, 1, 384), &value)) &&
                !(IsConstantWave(Wave(WAVE_ZERO_A, 0, 0, 0, 384), &value)));
    EXPECT_FLOAT_EQ(value, -99.0f);
    // The second wave does not count, even when it varies.
    EXPECT_TRUE(
        IsConstantWave(Wave(ShapeOp(WAVE_SAW, WAVE_COMBINE_ADD), 0, 0, 0, 384, WAVE_SINE, 0, 3000, 256, 0), &value));
    EXPECT_FLOAT_EQ(value, 1.5f);
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
    EXPECT_TRUE(r.uTarget == 0x80100201u && r.Shape1() == 3 && r.Combine() == 2 && r.uFrequency1 == 0x1234 &&
                r.iAmplitude1 == -256 && r.Shape2() == 4 && r.iAmplitude2 == -32767 && r.iOffset2 == 32767);
    uint8_t out[20] = {};
    WriteWaveRecord(r, out);
    EXPECT_EQ(0, std::memcmp(out, bytes, 20));

    WaveRecord slots[kAnimatorSlotCount] = {};
    // A slot with everything set but its shape byte is unused: no list at all.
    slots[3].uTarget = 0xFFFFFFFF, slots[3].iAmplitude1 = 256;
    EXPECT_EQ(CompactAnimators(slots).pRecords, nullptr);

    slots[0] = Wave(WAVE_SAW, 1, 2, 3, 4);
    slots[12] = Wave(0x20, 5, 6, 7, 8); // shape 0 with an operation: the byte is not 0, so in use
    slots[24] = Wave(WAVE_NOISE, 13, 14, 15, 16);
    slots[24].uTarget = 0x1234; // replaced by the slot's target
    const AnimatorList list = CompactAnimators(slots);
    ASSERT_TRUE(list.iCount == 3 && list.pRecords != nullptr);
    // Slot 0 drives the first colour's 0x8, slot 12 the specular power, slot 24 layer 1's bit 29.
    EXPECT_TRUE(list.pRecords[0].uTarget == 0x8u && list.pRecords[1].uTarget == 0x1000u &&
                list.pRecords[2].uTarget == 0x20000000u && list.pRecords[1].uShapeOp == 0x20);

    // The slots' targets together set every colour byte, the specular power and layer bits 20 to 31 once.
    uint32_t seen = 0;
    for (int i = 0; i < kAnimatorSlotCount; ++i)
    {
        EXPECT_TRUE(std::popcount(kAnimatorSlotTargets[i]) == 1 && !(seen & kAnimatorSlotTargets[i])) << i;
        seen |= kAnimatorSlotTargets[i];
    }
    EXPECT_EQ(seen, 0xFFF00000u | 0x1000u | 0xFFFu);
}
