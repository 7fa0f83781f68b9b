// The material parts: a material split into three small records (state set, texture-transform set, lighting set)
// that the engine interns in engine-wide tables, so that the renderer compares materials by number; and the
// channel store that holds the parts' animated channels.
#pragma once

#include "engine/render/Material.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

// Sixteen bytes; the texture-coordinate kinds are 0 none, 1 texture matrix, 2 camera-space reflection vector,
// 3 camera-space normal.
struct StateSet
{
    uint8_t m_uBlendMode;
    uint8_t m_uAlphaRef;
    uint8_t m_uDepthCompare;
    uint8_t m_uDepthAlphaFlags; // bit 0 depth write, bit 1 alpha test
    uint8_t m_uSampling0;
    uint8_t m_uColourOp0;
    uint8_t m_uAlphaOp0;
    int8_t m_iMipBias0;
    uint8_t m_uSampling1;
    uint8_t m_uColourOp1;
    uint8_t m_uAlphaOp1;
    int8_t m_iMipBias1;
    uint8_t m_auUnused[2];
    uint8_t m_uCoordKind0;
    uint8_t m_uCoordKind1;
};

// The texture matrices of a material: the coordinate kinds of both stages and the run of channels that move them.
struct TextureTransformSet
{
    uint8_t m_uChannelCount;
    uint8_t m_uCoordKind0;
    uint8_t m_uCoordKind1;
    uint8_t m_uUnused;
    int32_t m_iChannelFirst; // place of the run in the channel store
};

// The lighting material: colours as bytes blue, green, red, alpha; the power; the run of channels that animate them.
struct LightingSet
{
    uint8_t m_auDiffuse[4];
    uint8_t m_auSelfIllumination[4];
    uint8_t m_auSpecular[4];
    float m_fPower;
    uint32_t m_uChannelCount;
    int32_t m_iChannelFirst;
};

static_assert(sizeof(StateSet) == 16);
static_assert(sizeof(TextureTransformSet) == 8);
static_assert(sizeof(LightingSet) == 24);

// The largest value each state-set field has a meaning for; larger values are taken as the material defaults.
constexpr uint8_t kMaxColourOp0 = 8;
constexpr uint8_t kMaxAlphaOp0 = 5;
constexpr uint8_t kMaxColourOp1 = 9;
constexpr uint8_t kMaxAlphaOp1 = 7;
constexpr uint8_t kMaxDepthCompare = 6;

// The part numbers of a material (-1: no such part).
struct MaterialPartNumbers
{
    int32_t m_iStateSet = -1;
    int32_t m_iTextureTransformSet = -1;
    int32_t m_iLightingSet = -1;
};

// Runs of material channels, stored once each: a run that already stands somewhere, record for record, is found
// there instead of being stored again. Holds at most kCapacity records; entries are never removed.
class ChannelStore
{
public:
    static constexpr uint32_t kCapacity = 10000;

    // The place of the run (0 for an empty run); -1 when it is not stored already and does not fit.
    int32_t Store(const MaterialChannel* run, uint32_t count);
    // The run at that place, or null when it lies outside what is stored.
    const MaterialChannel* Get(int32_t first, uint32_t count) const;
    uint32_t GetCount() const { return static_cast<uint32_t>(m_records.size()); }
    // Forgets the records stored after the first `count`: those of a load that was refused before anything used
    // them.
    void Truncate(uint32_t count) { m_records.resize(std::min<size_t>(count, m_records.size())); }

private:
    std::vector<MaterialChannel> m_records;
};

extern ChannelStore g_ChannelStore;

// Every distinct record of one kind the engine has seen, by number: equal records (byte for byte) share one
// number, and entries are never removed, so a number stays valid for the program's life. A lookup tries the
// last hit, then the entries with the same byte sum.
template <class Key> class PartTable
{
public:
    static constexpr uint32_t kGrowth = 256;

    int32_t Intern(const Key& key)
    {
        const uint32_t sum = ByteSum(key);
        if (m_iLastHit >= 0 && Same(m_keys[static_cast<size_t>(m_iLastHit)], key))
            return m_iLastHit;
        for (size_t i = 0; i < m_keys.size(); ++i)
        {
            if (m_sums[i] == sum && Same(m_keys[i], key))
            {
                m_iLastHit = static_cast<int32_t>(i);
                return m_iLastHit;
            }
        }
        if (m_keys.size() == m_keys.capacity())
            m_keys.reserve(m_keys.size() + kGrowth);
        m_keys.push_back(key);
        m_sums.push_back(sum);
        m_iLastHit = static_cast<int32_t>(m_keys.size() - 1);
        return m_iLastHit;
    }
    // The record of a number; null for a number the table does not hold.
    const Key* Get(int32_t number) const
    {
        if (number < 0 || static_cast<size_t>(number) >= m_keys.size())
            return nullptr;
        return &m_keys[static_cast<size_t>(number)];
    }
    uint32_t GetCount() const { return static_cast<uint32_t>(m_keys.size()); }
    uint32_t GetCapacity() const { return static_cast<uint32_t>(m_keys.capacity()); }

private:
    static bool Same(const Key& a, const Key& b) { return std::memcmp(&a, &b, sizeof(Key)) == 0; }
    static uint32_t ByteSum(const Key& key)
    {
        uint8_t bytes[sizeof(Key)];
        std::memcpy(bytes, &key, sizeof(Key));
        uint32_t sum = 0;
        for (uint8_t b : bytes)
            sum += b;
        return sum;
    }

    std::vector<Key> m_keys;
    std::vector<uint32_t> m_sums;
    int32_t m_iLastHit = -1;
};

using StateSetTable = PartTable<StateSet>;
using TextureTransformSetTable = PartTable<TextureTransformSet>;
using LightingSetTable = PartTable<LightingSet>;

extern StateSetTable g_StateSetTable;
extern TextureTransformSetTable g_TextureTransformSetTable;
extern LightingSetTable g_LightingSetTable;

// A material made ready for interning: constant colour and power channels folded into the fixed values, unused
// stage-1 settings cleared, texture modes 2, 5 and 6 taken as 1, 3 and 4, and the colours a texture-only stage 0
// hides set to white.
void NormaliseMaterial(SMaterial* material);

// The parts of a normalised material, made canonical (settings that cannot change the picture are cleared).
// Operation, depth and texture-mode values beyond their tables are taken as the defaults.
StateSet MakeStateSet(const SMaterial& material);
// The texture channels of the material (those touching a stage drawn by generated coordinates lose that stage's
// bits), in order.
std::vector<MaterialChannel> TextureChannels(const SMaterial& material);
// The lighting channels (those driving a colour or the power), in order.
std::vector<MaterialChannel> LightingChannels(const SMaterial& material);
// The lighting set of a normalised material without its channel run: the power snapped to a power of two from 1
// to 128 (the specular colour a grey of its brightest channel), or no highlight at all; colours quantised to
// 4 bits a channel.
LightingSet MakeLightingSet(const SMaterial& material);

// The state set when the renderer (if any) can draw it on its device; otherwise the plain textured set it falls
// back to (stage 0 texture times vertex colour, no stage 1).
StateSet ValidatedStateSet(const StateSet& set);

// Interns a copy of the material: normalised, split into its three parts, each looked up in its table (and
// appended when new). With `validate` the renderer, when there is one, checks that its device can draw the
// state set; one it refuses is replaced by a plain textured set. False when a channel run did not fit in the
// channel store: the parts are then interned without those channels.
bool InternMaterial(const SMaterial& material, MaterialPartNumbers* parts, bool validate);
