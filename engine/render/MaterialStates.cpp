// Texture matrices and lighting materials for the renderer's material operations.
#include "engine/render/MaterialStates.h"

#include "engine/render/TextureManager.h"

#include <algorithm>
#include <cmath>

namespace
{

// The float slots a channel bit drives in a device material (lighting channels only).
void ApplyLightingChannel(platform::MaterialDesc* m, platform::ColourValue* self, uint32_t mask, float value)
{
    using namespace ChannelBits;
    const struct
    {
        uint32_t bit;
        float* target;
    } targets[] = {
        {kDiffuseBlue, &m->diffuse.b},
        {kDiffuseGreen, &m->diffuse.g},
        {kDiffuseRed, &m->diffuse.r},
        {kDiffuseAlpha, &m->diffuse.a},
        {kSpecularBlue, &m->specular.b},
        {kSpecularGreen, &m->specular.g},
        {kSpecularRed, &m->specular.r},
        {kSelfBlue, &self->b},
        {kSelfGreen, &self->g},
        {kSelfRed, &self->r},
        {kPower, &m->power},
    };
    for (const auto& target : targets)
        if (mask & target.bit)
            *target.target = value;
}

void SetEmissive(platform::MaterialDesc* m, const platform::ColourValue& self, const float scale[3])
{
    m->emissive.r = std::min(1.0f, m->diffuse.r * scale[0] + self.r);
    m->emissive.g = std::min(1.0f, m->diffuse.g * scale[1] + self.g);
    m->emissive.b = std::min(1.0f, m->diffuse.b * scale[2] + self.b);
    m->emissive.a = 0.0f;
    m->ambient = platform::ColourValue{};
}

platform::ColourValue Argb(uint32_t argb)
{
    platform::ColourValue c;
    c.a = static_cast<float>((argb >> 24) & 0xFF) / 255.0f;
    c.r = static_cast<float>((argb >> 16) & 0xFF) / 255.0f;
    c.g = static_cast<float>((argb >> 8) & 0xFF) / 255.0f;
    c.b = static_cast<float>(argb & 0xFF) / 255.0f;
    return c;
}

// A lighting-set byte back to a colour component: the 4-bit value spread over 0 to 255 + 15.
float SetByte(uint8_t b)
{
    return static_cast<float>(b + b / 16) / 255.0f;
}

} // namespace

PageRect PageRectOf(int32_t slot)
{
    PageRect rect;
    if (slot > 0)
        g_TextureManager.GetTexCoords(static_cast<uint32_t>(slot), &rect.m_fLeft, &rect.m_fTop, &rect.m_fWidth,
                                      &rect.m_fHeight);
    return rect;
}

platform::Matrix RectMatrix(const PageRect& rect)
{
    platform::Matrix m = platform::MatrixIdentity();
    m.m[0][0] = rect.m_fWidth;
    m.m[1][1] = rect.m_fHeight;
    m.m[2][0] = rect.m_fLeft;
    m.m[2][1] = rect.m_fTop;
    return m;
}

platform::Matrix InverseRectMatrix(const PageRect& rect)
{
    platform::Matrix m = platform::MatrixIdentity();
    if (rect.m_fWidth == 0.0f || rect.m_fHeight == 0.0f)
        return m;
    m.m[0][0] = 1.0f / rect.m_fWidth;
    m.m[1][1] = 1.0f / rect.m_fHeight;
    m.m[2][0] = -rect.m_fLeft / rect.m_fWidth;
    m.m[2][1] = -rect.m_fTop / rect.m_fHeight;
    return m;
}

platform::Matrix GeneratedPageMatrix(const PageRect& rect, bool reflection)
{
    platform::Matrix m = platform::MatrixIdentity();
    m.m[0][0] = 0.49f * rect.m_fWidth;
    m.m[1][1] = 0.49f * rect.m_fHeight;
    m.m[3][0] = rect.m_fLeft + (reflection ? 0.5f * rect.m_fWidth : 0.5f);
    m.m[3][1] = rect.m_fTop + (reflection ? 0.5f * rect.m_fHeight : 0.5f);
    return m;
}

void ChannelMatrices(const MaterialChannel* channels, uint32_t count, uint32_t t, platform::Matrix out[2],
                     bool animated[2])
{
    using namespace ChannelBits;
    for (int stage = 0; stage < 2; ++stage)
    {
        out[stage] = platform::MatrixIdentity();
        animated[stage] = false;
    }
    for (uint32_t i = 0; channels && i < count; ++i)
    {
        const MaterialChannel& channel = channels[i];
        for (int stage = 0; stage < 2; ++stage)
        {
            const uint32_t mask = channel.uTarget;
            if (!(mask & kStage[stage]))
                continue;
            animated[stage] = true;
            const float value = EvaluateWave(channel, t);
            platform::Matrix& m = out[stage];
            if (mask & kOffsetU[stage])
                m.m[2][0] = value;
            if (mask & kOffsetV[stage])
                m.m[2][1] = value;
            if (mask & kRotation[stage])
            {
                const float c = std::cos(value);
                const float s = std::sin(value);
                m.m[0][0] = c;
                m.m[0][1] = s;
                m.m[1][0] = -s;
                m.m[1][1] = c;
                m.m[2][0] -= c - s;
                m.m[2][1] -= c + s;
            }
            if (mask & kScaleU[stage])
            {
                m.m[0][0] *= value;
                m.m[1][0] *= value;
            }
            if (mask & kScaleV[stage])
            {
                m.m[0][1] *= value;
                m.m[1][1] *= value;
            }
        }
    }
}

platform::MaterialDesc MaterialLighting(const SMaterial& material, uint32_t t, const float emissiveScale[3])
{
    platform::MaterialDesc m;
    m.diffuse = Argb(material.m_uDiffuse);
    m.specular = Argb(material.m_uSpecular);
    m.power = material.m_fSpecularPower;
    platform::ColourValue self = Argb(material.m_uSelfIllumination);
    for (const MaterialChannel& channel : material.m_channels)
        if (channel.uTarget & ChannelBits::kLighting)
            ApplyLightingChannel(&m, &self, channel.uTarget, EvaluateWave(channel, t));
    SetEmissive(&m, self, emissiveScale);
    return m;
}

platform::MaterialDesc LightingSetMaterial(const LightingSet& set, uint32_t t, const float emissiveScale[3])
{
    platform::MaterialDesc m;
    m.diffuse = {SetByte(set.m_auDiffuse[2]), SetByte(set.m_auDiffuse[1]), SetByte(set.m_auDiffuse[0]),
                 SetByte(set.m_auDiffuse[3])};
    m.specular = {SetByte(set.m_auSpecular[2]), SetByte(set.m_auSpecular[1]), SetByte(set.m_auSpecular[0]), 0.0f};
    platform::ColourValue self = {SetByte(set.m_auSelfIllumination[2]), SetByte(set.m_auSelfIllumination[1]),
                                  SetByte(set.m_auSelfIllumination[0]), 0.0f};
    const MaterialChannel* channels = g_ChannelStore.Get(set.m_iChannelFirst, set.m_uChannelCount);
    for (uint32_t i = 0; channels && i < set.m_uChannelCount; ++i)
        ApplyLightingChannel(&m, &self, channels[i].uTarget, EvaluateWave(channels[i], t));
    // The set's own power stands, whatever a channel said.
    m.power = set.m_fPower;
    SetEmissive(&m, self, emissiveScale);
    return m;
}

platform::MaterialDesc ShadowMaterial(uint32_t darkness)
{
    platform::MaterialDesc m;
    const float grey = 1.0f - static_cast<float>(darkness & 0xFF) / 255.0f;
    m.emissive = {grey, grey, grey, 0.0f};
    return m;
}

uint32_t WaveClock(float frameTime)
{
    if (!(frameTime > 0.0f))
        return 0;
    if (frameTime >= 4294967040.0f)
        return 0xFFFFFF00u;
    return static_cast<uint32_t>(frameTime);
}
