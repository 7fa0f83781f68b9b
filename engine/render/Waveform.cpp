// Waveform table building and wave record evaluation, construction and compaction.
#include "engine/render/Waveform.h"

#include "platform/Random.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr uint32_t kTableShapeCount = 6;
constexpr unsigned int kNoiseSeed = 22323;
constexpr int kNoiseDiscards = 511;

float s_sine[kWaveTableSize];
float s_saw[kWaveTableSize];
float s_triangle[kWaveTableSize];
float s_square[kWaveTableSize];
float s_noise[kWaveTableSize];

// Shapes 0 and 1 share the sine table.
const float* s_tables[kTableShapeCount] = {};

// The values of the constant shapes: 6 and 9 give one, 7 and 8 zero.
constexpr float kConstantOne = 1.0f;
constexpr float kConstantZero = 0.0f;

constexpr float kFixedToFloat = 0.00390625f; // 1/256

uint16_t ReadU16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

void WriteU16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

// One wave's value before scaling. Shapes without a table are never looked up: undefined ones give 0.0.
float SampleShape(uint32_t shape, uint32_t frequency, uint32_t phase, uint32_t s)
{
    switch (shape)
    {
    case WAVE_ONE:
    case WAVE_ONE_B:
        return kConstantOne;
    case WAVE_ZERO_A:
    case WAVE_ZERO_B:
        return kConstantZero;
    default:
        break;
    }
    if (shape >= kTableShapeCount)
        return 0.0f;
    const float* table = s_tables[shape];
    if (!table)
        return 0.0f; // tables not built yet
    // frequency is a 1/4096-step rate per unit of s; the phase byte is 1/256 of a cycle (4096 << 12 per cycle).
    const uint32_t index = ((frequency * s + (phase << 16)) >> 12) % kWaveTableSize;
    return table[index];
}

float EvaluateOne(uint32_t shape, uint32_t frequency, uint32_t phase, int16_t amplitude, int16_t offset, uint32_t s)
{
    const float base = SampleShape(shape, frequency, phase, s);
    return (base * float(amplitude) + float(offset)) * kFixedToFloat;
}

int16_t ToFixed16(float value)
{
    const float scaled = value * 256.0f;
    if (std::isnan(scaled))
        return 0;
    return int16_t(std::clamp(scaled, -32768.0f, 32767.0f));
}

} // namespace

const uint32_t kAnimatorSlotTargets[kAnimatorSlotCount] = {
    0x8,      0x4,       0x2,       0x1,        0x80,       0x40,       0x20,       0x10,      0x800,
    0x400,    0x200,     0x100,     0x1000,     0x100000,   0x200000,   0x1000000,  0x2000000, 0x400000,
    0x800000, 0x4000000, 0x8000000, 0x40000000, 0x80000000, 0x10000000, 0x20000000,
};

WaveRecord ReadWaveRecord(const uint8_t* bytes)
{
    WaveRecord r;
    r.uTarget =
        uint32_t(bytes[0]) | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) | (uint32_t(bytes[3]) << 24);
    r.uShapeOp = bytes[4];
    r.uPhase1 = bytes[5];
    r.uFrequency1 = ReadU16(bytes + 6);
    r.iAmplitude1 = int16_t(ReadU16(bytes + 8));
    r.iOffset1 = int16_t(ReadU16(bytes + 10));
    r.uShape2 = bytes[12];
    r.uPhase2 = bytes[13];
    r.uFrequency2 = ReadU16(bytes + 14);
    r.iAmplitude2 = int16_t(ReadU16(bytes + 16));
    r.iOffset2 = int16_t(ReadU16(bytes + 18));
    return r;
}

void WriteWaveRecord(const WaveRecord& record, uint8_t* bytes)
{
    bytes[0] = uint8_t(record.uTarget);
    bytes[1] = uint8_t(record.uTarget >> 8);
    bytes[2] = uint8_t(record.uTarget >> 16);
    bytes[3] = uint8_t(record.uTarget >> 24);
    bytes[4] = record.uShapeOp;
    bytes[5] = record.uPhase1;
    WriteU16(bytes + 6, record.uFrequency1);
    WriteU16(bytes + 8, uint16_t(record.iAmplitude1));
    WriteU16(bytes + 10, uint16_t(record.iOffset1));
    bytes[12] = record.uShape2;
    bytes[13] = record.uPhase2;
    WriteU16(bytes + 14, record.uFrequency2);
    WriteU16(bytes + 16, uint16_t(record.iAmplitude2));
    WriteU16(bytes + 18, uint16_t(record.iOffset2));
}

void BuildWaveformTables()
{
    platform::SRand(kNoiseSeed);
    for (int i = 0; i < kNoiseDiscards; ++i)
        platform::Rand();

    for (uint32_t i = 0; i < kWaveTableSize; ++i)
    {
        const float fi = float(i);
        s_sine[i] = std::sin(fi * (1.0f / 4096.0f) * 6.2831855f);
        s_saw[i] = fi * 0.00024420026f * 2.0f - 1.0f;
        float v = fi / 1024.0f - 1.0f;
        if (v > 1.0f)
            v = 2.0f - v;
        s_triangle[i] = v;
        s_square[i] = i < kWaveTableSize / 2 ? -1.0f : 1.0f;
        s_noise[i] = float(platform::Rand()) * 6.103702e-5f - 1.0f;
    }

    s_tables[WAVE_SINE] = s_sine;
    s_tables[WAVE_SINE_ALT] = s_sine;
    s_tables[WAVE_SAW] = s_saw;
    s_tables[WAVE_TRIANGLE] = s_triangle;
    s_tables[WAVE_SQUARE] = s_square;
    s_tables[WAVE_NOISE] = s_noise;
}

const float* GetWaveformTable(uint32_t shape)
{
    return shape < kTableShapeCount ? s_tables[shape] : nullptr;
}

bool IsWaveRecordValid(const WaveRecord& record)
{
    if (!IsWaveShapeDefined(record.Shape1()))
        return false;
    return !record.HasSecondWave() || IsWaveShapeDefined(record.Shape2());
}

float EvaluateWave(const WaveRecord& record, uint32_t t)
{
    const uint32_t s = (t * 4096u) / 50u;
    const float a =
        EvaluateOne(record.Shape1(), record.uFrequency1, record.uPhase1, record.iAmplitude1, record.iOffset1, s);
    if (!record.HasSecondWave())
        return a;
    const float b =
        EvaluateOne(record.Shape2(), record.uFrequency2, record.uPhase2, record.iAmplitude2, record.iOffset2, s);
    switch (record.Combine())
    {
    case WAVE_COMBINE_FIRST:
        return a;
    case WAVE_COMBINE_SECOND:
        return b;
    case WAVE_COMBINE_ADD:
        return a + b;
    case WAVE_COMBINE_SUBTRACT:
        return a - b;
    case WAVE_COMBINE_REVERSE_SUB:
        return b - a;
    case WAVE_COMBINE_MULTIPLY:
        return a * b;
    // The smaller and the larger both give a when the two are equal.
    case WAVE_COMBINE_MIN:
        return std::min(a, b);
    default: // WAVE_COMBINE_MAX: the 3-bit field has no other value
        return std::max(a, b);
    }
}

bool IsConstantWave(const WaveRecord& record, float* value)
{
    const uint8_t shape = record.Shape1();
    if (shape == WAVE_ZERO_A || shape == WAVE_ZERO_B || record.iAmplitude1 != 0)
        return false;
    if (value)
        *value = float(record.iOffset1) * kFixedToFloat;
    return true;
}

void MakeWave(WaveRecord* record, uint8_t shapeByte, float amplitude, float frequency, float phase, float offset)
{
    record->uShapeOp = shapeByte;
    record->iOffset1 = ToFixed16(offset);
    record->iAmplitude1 = ToFixed16(amplitude);

    const double rate = double(frequency) * 0.4 * 4096.0;
    if (rate >= 65535.0)
        record->uFrequency1 = 65535;
    else if (rate > 0.0)
        record->uFrequency1 = uint16_t(rate);
    else
        record->uFrequency1 = 0; // negative, zero or not a number

    const float cycle = phase * 256.0f;
    if (cycle >= 255.0f)
        record->uPhase1 = 255;
    else if (cycle > 0.0f)
        record->uPhase1 = uint8_t(cycle);
    else
        record->uPhase1 = 0;
}

AnimatorList CompactAnimators(const WaveRecord (&slots)[kAnimatorSlotCount])
{
    AnimatorList list;
    for (const WaveRecord& slot : slots)
    {
        if (slot.uShapeOp != 0)
            ++list.iCount;
    }
    if (list.iCount == 0)
        return list;
    list.pRecords = std::make_unique<WaveRecord[]>(size_t(list.iCount));
    int32_t n = 0;
    for (int i = 0; i < kAnimatorSlotCount; ++i)
    {
        if (slots[i].uShapeOp == 0)
            continue;
        list.pRecords[n] = slots[i];
        list.pRecords[n].uTarget = kAnimatorSlotTargets[i];
        ++n;
    }
    return list;
}
