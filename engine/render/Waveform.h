// Waveform tables and the 20-byte wave records that drive bone transforms and material channels over time.
#pragma once

#include <cstdint>
#include <memory>

// Entries in each waveform table; a wave's phase runs over one table per cycle.
constexpr uint32_t kWaveTableSize = 4096;

// Shapes of a wave (the low 5 bits of a shape byte). 0 to 5 read a table, 6 to 9 are constants, 10 to 31 are
// not defined and evaluate as a flat 0.0 wave.
enum WaveShape : uint8_t
{
    WAVE_SINE = 0,
    WAVE_SINE_ALT = 1,
    WAVE_SAW = 2,
    WAVE_TRIANGLE = 3,
    WAVE_SQUARE = 4,
    WAVE_NOISE = 5,
    WAVE_ONE = 6,
    WAVE_ZERO_A = 7,
    WAVE_ZERO_B = 8,
    WAVE_ONE_B = 9,
    WAVE_SHAPE_COUNT = 10,
};

// How the two waves of a record combine (the high 3 bits of the first shape byte).
enum WaveCombine : uint8_t
{
    WAVE_COMBINE_FIRST = 0,
    WAVE_COMBINE_SECOND = 1,
    WAVE_COMBINE_ADD = 2,
    WAVE_COMBINE_SUBTRACT = 3,    // a - b
    WAVE_COMBINE_REVERSE_SUB = 4, // b - a
    WAVE_COMBINE_MULTIPLY = 5,
    WAVE_COMBINE_MIN = 6,
    WAVE_COMBINE_MAX = 7,
};

// Target bits of a bone wave: the result replaces that component of the bone's local transform.
enum BoneWaveTarget : uint32_t
{
    BONE_WAVE_POS_X = 0x001,
    BONE_WAVE_POS_Y = 0x002,
    BONE_WAVE_POS_Z = 0x004,
    BONE_WAVE_ROT_X = 0x010,
    BONE_WAVE_ROT_Y = 0x020,
    BONE_WAVE_ROT_Z = 0x040,
    BONE_WAVE_SCALE_X = 0x100,
    BONE_WAVE_SCALE_Y = 0x200,
    BONE_WAVE_SCALE_Z = 0x400,
};

// One wave record, laid out as in model files (little-endian, 20 bytes). Amplitudes and offsets are value x 256;
// phases are 1/256 of a cycle.
struct WaveRecord
{
    uint32_t uTarget; // which components the result drives
    uint8_t uShapeOp; // shape 1 (low 5 bits) and combine operation (high 3 bits)
    uint8_t uPhase1;
    uint16_t uFrequency1;
    int16_t iAmplitude1;
    int16_t iOffset1;
    uint8_t uShape2; // shape 2 (low 5 bits); the whole byte 0 means there is no second wave
    uint8_t uPhase2;
    uint16_t uFrequency2;
    int16_t iAmplitude2;
    int16_t iOffset2;

    uint8_t Shape1() const { return uShapeOp & 0x1F; }
    uint8_t Combine() const { return uShapeOp >> 5; }
    uint8_t Shape2() const { return uShape2 & 0x1F; }
    bool HasSecondWave() const { return uShape2 != 0; }
};

static_assert(sizeof(WaveRecord) == 20, "wave records are 20 bytes");

constexpr uint32_t kWaveRecordSize = 20;

// Decodes / encodes the 20-byte little-endian form.
WaveRecord ReadWaveRecord(const uint8_t* bytes);
void WriteWaveRecord(const WaveRecord& record, uint8_t* bytes);

// Builds the five tables (sine, saw, triangle, square, noise) and the shape-to-table map. Called whenever the
// renderer creates its device. Reseeds the shared random generator (seed 22323) to make the noise repeatable.
void BuildWaveformTables();

// The table a shape reads (shapes 0 to 5), or null for shapes that have none.
const float* GetWaveformTable(uint32_t shape);

// True when the shape is one of the ten defined ones (0 to 9).
inline bool IsWaveShapeDefined(uint32_t shape)
{
    return shape < WAVE_SHAPE_COUNT;
}

// True when every shape the record uses is defined; records failing this still evaluate safely.
bool IsWaveRecordValid(const WaveRecord& record);

// The record's value at time t: waves sampled with integer phase arithmetic, then combined.
float EvaluateWave(const WaveRecord& record, uint32_t t);

// True, with `value` set to offset 1 / 256, when the first wave cannot change with time (amplitude 0 and not one
// of the engine-wide constant shapes 7 and 8). The second wave is not considered.
bool IsConstantWave(const WaveRecord& record, float* value);

// Fills the first wave of a record from float values: amplitude and offset x 256 (truncated, limited to the
// 16-bit range), frequency x 0.4 x 4096 limited to 0..65535, phase x 256 limited to 0..255. The target and the
// second wave are left as they were.
void MakeWave(WaveRecord* record, uint8_t shapeByte, float amplitude, float frequency, float phase, float offset);

// Material animators: an authored material carries this many fixed slots, each driving one target.
constexpr int kAnimatorSlotCount = 25;
extern const uint32_t kAnimatorSlotTargets[kAnimatorSlotCount];

// The used slots of a material (shape byte not 0), in slot order, each with its target mask replaced by its
// slot's target. No list when no slot is used.
struct AnimatorList
{
    int32_t iCount = 0;
    std::unique_ptr<WaveRecord[]> pRecords;
};

AnimatorList CompactAnimators(const WaveRecord (&slots)[kAnimatorSlotCount]);
