// Material parts: normalising a material, splitting it into its state, texture-transform and lighting sets, the
// engine-wide tables that intern them and the channel store their animated channels live in.
#include "engine/render/MaterialParts.h"

#include "engine/render/GraphicsManager.h"

#include <algorithm>
#include <cmath>

ChannelStore g_ChannelStore;
StateSetTable g_StateSetTable;
TextureTransformSetTable g_TextureTransformSetTable;
LightingSetTable g_LightingSetTable;

namespace
{

bool IsOpaqueBlend(uint8_t blendMode)
{
    return blendMode == 0 || blendMode == 1 || blendMode == 2 || blendMode == 8;
}

// The colour byte a channel bit drives: its colour word and the byte within it (0 blue to 3 alpha). The bits run
// diffuse, specular, self-illumination in groups of four.
uint32_t* ColourOf(SMaterial* m, uint32_t group)
{
    switch (group)
    {
    case 0:
        return &m->m_uDiffuse;
    case 1:
        return &m->m_uSpecular;
    default:
        return &m->m_uSelfIllumination;
    }
}

void SetByte(uint32_t* word, uint32_t index, uint8_t value)
{
    const uint32_t shift = index * 8;
    *word = (*word & ~(0xFFu << shift)) | (uint32_t{value} << shift);
}

// The integer part of a channel value as a colour byte.
uint8_t ColourByte(float value)
{
    const float whole = std::trunc(value);
    return static_cast<uint8_t>(std::clamp(whole, 0.0f, 255.0f));
}

// 8 bits to 4, spread back over 8: c becomes (c & 0xF0) + (c >> 4).
uint8_t Quantise(uint8_t c)
{
    return static_cast<uint8_t>((c & 0xF0) + (c >> 4));
}

// The power of two from 128 down to 1 nearest the power; on a tie the larger.
float SnapPower(float power)
{
    float best = 128.0f;
    for (float candidate = 64.0f; candidate >= 1.0f; candidate *= 0.5f)
        if (std::fabs(power - candidate) < std::fabs(power - best))
            best = candidate;
    return best;
}

// Texture modes that generate their coordinates: 3 reflection, 4 normal (after normalising).
bool GeneratesCoordinates(uint16_t mode)
{
    return mode == 3 || mode == 4;
}

} // namespace

// ---- the channel store

int32_t ChannelStore::Store(const MaterialChannel* run, uint32_t count)
{
    if (count == 0)
        return 0;
    if (!run)
        return -1;
    const size_t bytes = sizeof(MaterialChannel) * count;
    for (size_t first = 0; first + count <= m_records.size(); ++first)
        if (std::memcmp(&m_records[first], run, bytes) == 0)
            return static_cast<int32_t>(first);
    if (m_records.size() + count > kCapacity)
        return -1;
    if (m_records.capacity() == 0)
        m_records.reserve(kCapacity);
    const int32_t first = static_cast<int32_t>(m_records.size());
    m_records.insert(m_records.end(), run, run + count);
    return first;
}

const MaterialChannel* ChannelStore::Get(int32_t first, uint32_t count) const
{
    if (count == 0 || first < 0 || static_cast<size_t>(first) + count > m_records.size())
        return nullptr;
    return &m_records[static_cast<size_t>(first)];
}

// ---- normalising and splitting

void NormaliseMaterial(SMaterial* m)
{
    // Constant colour and power channels become fixed values.
    std::vector<MaterialChannel> kept;
    for (const MaterialChannel& channel : m->m_channels)
    {
        float value = 0.0f;
        if (!(channel.uTarget & ChannelBits::kLighting) || !IsConstantWave(channel, &value))
        {
            kept.push_back(channel);
            continue;
        }
        for (uint32_t bit = 0; bit < 12; ++bit)
            if (channel.uTarget & (1u << bit))
                SetByte(ColourOf(m, bit / 4), bit % 4, ColourByte(value));
        if (channel.uTarget & ChannelBits::kPower)
            m->m_fSpecularPower = value;
    }
    m->m_channels = std::move(kept);

    MaterialStage& s0 = m->m_aStages[0];
    MaterialStage& s1 = m->m_aStages[1];
    if (s0.m_uTextureMode == 0)
    {
        s0.m_uSampling = 0;
        s1.m_uTextureMode = 0;
    }
    if (s1.m_uTextureMode == 0)
    {
        s1.m_iTexture = 0;
        s1.m_uColourOp = 0;
        s1.m_uAlphaOp = 0;
    }
    if (s1.m_uColourOp == 0 || s1.m_uAlphaOp == 0)
        s1.m_uTextureMode = 0;
    for (MaterialStage& stage : m->m_aStages)
    {
        if (stage.m_uTextureMode == 2)
            stage.m_uTextureMode = 1;
        else if (stage.m_uTextureMode == 5)
            stage.m_uTextureMode = 3;
        else if (stage.m_uTextureMode == 6)
            stage.m_uTextureMode = 4;
    }
    // A texture-only stage 0 shows none of the lighting colours.
    if (s0.m_uColourOp == 1)
    {
        m->m_uDiffuse |= 0x00FFFFFF;
        m->m_uSelfIllumination = 0;
        m->m_uSpecular = 0;
        m->m_fSpecularPower = 0.0f;
    }
    if (s0.m_uAlphaOp == 1)
        m->m_uDiffuse |= 0xFF000000;
}

std::vector<MaterialChannel> TextureChannels(const SMaterial& m)
{
    std::vector<MaterialChannel> run;
    for (MaterialChannel channel : m.m_channels)
    {
        for (int stage = 0; stage < 2; ++stage)
            if (GeneratesCoordinates(m.m_aStages[stage].m_uTextureMode))
                channel.uTarget &= ~ChannelBits::kStage[stage];
        if (channel.uTarget & ChannelBits::kTexture)
            run.push_back(channel);
    }
    return run;
}

std::vector<MaterialChannel> LightingChannels(const SMaterial& m)
{
    std::vector<MaterialChannel> run;
    for (const MaterialChannel& channel : m.m_channels)
        if (channel.uTarget & ChannelBits::kLighting)
            run.push_back(channel);
    return run;
}

StateSet MakeStateSet(const SMaterial& material)
{
    MaterialFields m = material;
    MaterialStage& s0 = m.m_aStages[0];
    MaterialStage& s1 = m.m_aStages[1];

    // Values with no meaning are taken as the defaults.
    if (s0.m_uColourOp > kMaxColourOp0)
        s0.m_uColourOp = 2;
    if (s0.m_uAlphaOp > kMaxAlphaOp0)
        s0.m_uAlphaOp = 2;
    if (s1.m_uColourOp > kMaxColourOp1)
        s1.m_uColourOp = 0;
    if (s1.m_uAlphaOp > kMaxAlphaOp1)
        s1.m_uAlphaOp = 0;
    if (m.m_uDepthCompare > kMaxDepthCompare)
        m.m_uDepthCompare = 1;

    // Coordinate kinds: reflection and normal maps generate them; otherwise a texture matrix when stage 0 is
    // textured and animated, or stage 1 is animated or drawn at all.
    bool animated[2] = {false, false};
    for (const MaterialChannel& channel : TextureChannels(material))
        for (int stage = 0; stage < 2; ++stage)
            animated[stage] = animated[stage] || (channel.uTarget & ChannelBits::kStage[stage]) != 0;
    uint8_t kinds[2];
    for (int stage = 0; stage < 2; ++stage)
    {
        const uint16_t mode = m.m_aStages[stage].m_uTextureMode;
        if (mode == 3)
            kinds[stage] = 2;
        else if (mode == 4)
            kinds[stage] = 3;
        else if (stage == 0)
            kinds[stage] = (animated[stage] && mode != 0) ? 1 : 0;
        else
            kinds[stage] = (animated[stage] || mode != 0) ? 1 : 0;
    }

    StateSet set{};
    set.m_uBlendMode = m.m_uBlendMode;
    set.m_uDepthCompare = m.m_uDepthCompare;
    set.m_uDepthAlphaFlags = m.m_uDepthAlphaFlags & 3;
    const bool alphaTest = (set.m_uDepthAlphaFlags & 2) != 0;
    set.m_uAlphaRef = alphaTest ? m.m_uAlphaRef : 0;
    set.m_uSampling0 = s0.m_uSampling;
    set.m_uColourOp0 = static_cast<uint8_t>(s0.m_uColourOp);
    set.m_uAlphaOp0 = static_cast<uint8_t>(s0.m_uAlphaOp);
    set.m_uCoordKind0 = kinds[0];
    set.m_uCoordKind1 = kinds[1];
    if (s1.m_uColourOp != 0 && s1.m_uAlphaOp != 0)
    {
        set.m_uSampling1 = s1.m_uSampling;
        set.m_uColourOp1 = static_cast<uint8_t>(s1.m_uColourOp);
        set.m_uAlphaOp1 = static_cast<uint8_t>(s1.m_uAlphaOp);
        // Without alpha test an opaque blend never reads alpha, and only stage 1's alpha reaches the blend.
        if (!alphaTest)
        {
            if (IsOpaqueBlend(set.m_uBlendMode))
                set.m_uAlphaOp1 = 2;
            if (set.m_uAlphaOp1 == 2 && set.m_uColourOp1 != 9)
                set.m_uAlphaOp0 = 1;
        }
    }
    else if (IsOpaqueBlend(set.m_uBlendMode) && !alphaTest)
    {
        set.m_uAlphaOp0 = 1;
    }
    // Additive blends draw without writing depth.
    if (set.m_uBlendMode == 1 || set.m_uBlendMode == 9)
        set.m_uDepthAlphaFlags &= static_cast<uint8_t>(~1u);
    return set;
}

LightingSet MakeLightingSet(const SMaterial& m)
{
    LightingSet set{};
    std::memcpy(set.m_auDiffuse, &m.m_uDiffuse, 4);
    std::memcpy(set.m_auSelfIllumination, &m.m_uSelfIllumination, 4);
    const float power = m.m_fSpecularPower;
    if (power >= 1.0f && power <= 160.0f)
    {
        const uint8_t grey = Quantise(static_cast<uint8_t>(
            std::max({m.m_uSpecular & 0xFF, (m.m_uSpecular >> 8) & 0xFF, (m.m_uSpecular >> 16) & 0xFF})));
        set.m_auSpecular[0] = set.m_auSpecular[1] = set.m_auSpecular[2] = grey;
        set.m_fPower = SnapPower(power);
    }
    for (uint8_t& c : set.m_auDiffuse)
        c = Quantise(c);
    for (int i = 0; i < 3; ++i)
        set.m_auSelfIllumination[i] = Quantise(set.m_auSelfIllumination[i]);
    set.m_auSelfIllumination[3] = 0;
    return set;
}

StateSet ValidatedStateSet(const StateSet& set)
{
    Renderer* renderer = g_GraphicsManager.GetRenderer();
    if (!renderer || renderer->ValidateStateSet(set))
        return set;
    StateSet plain = set;
    plain.m_uColourOp0 = 2;
    plain.m_uSampling1 = 0;
    plain.m_uColourOp1 = 0;
    plain.m_uAlphaOp1 = 0;
    return plain;
}

bool InternMaterial(const SMaterial& material, MaterialPartNumbers* parts, bool validate)
{
    SMaterial m = material;
    NormaliseMaterial(&m);
    bool stored = true;

    StateSet state = MakeStateSet(m);
    if (validate)
        state = ValidatedStateSet(state);

    std::vector<MaterialChannel> texture = TextureChannels(m);
    if (texture.size() > 255)
        texture.resize(255);
    TextureTransformSet transform{};
    transform.m_uCoordKind0 = state.m_uCoordKind0;
    transform.m_uCoordKind1 = state.m_uCoordKind1;
    const int32_t textureRun = g_ChannelStore.Store(texture.data(), static_cast<uint32_t>(texture.size()));
    if (textureRun >= 0)
    {
        transform.m_uChannelCount = static_cast<uint8_t>(texture.size());
        transform.m_iChannelFirst = textureRun;
    }
    else
    {
        stored = false;
    }

    const std::vector<MaterialChannel> lighting = LightingChannels(m);
    LightingSet light = MakeLightingSet(m);
    const int32_t lightingRun = g_ChannelStore.Store(lighting.data(), static_cast<uint32_t>(lighting.size()));
    if (lightingRun >= 0)
    {
        light.m_uChannelCount = static_cast<uint32_t>(lighting.size());
        light.m_iChannelFirst = lightingRun;
    }
    else
    {
        stored = false;
    }

    if (parts)
    {
        parts->m_iStateSet = g_StateSetTable.Intern(state);
        parts->m_iTextureTransformSet = g_TextureTransformSetTable.Intern(transform);
        parts->m_iLightingSet = g_LightingSetTable.Intern(light);
    }
    return stored;
}
