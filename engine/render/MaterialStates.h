// What the renderer's material operations compute before writing device state: texture matrices from animated
// channels and texture-page rectangles, and lighting materials from materials and lighting sets.
#pragma once

#include "engine/render/Material.h"
#include "engine/render/MaterialParts.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Math.h"

#include <cstdint>

// Where a texture lies on its texture page (0 to 1); the whole page for no texture.
struct PageRect
{
    float m_fLeft = 0.0f;
    float m_fTop = 0.0f;
    float m_fWidth = 1.0f;
    float m_fHeight = 1.0f;
};

// The page rectangle of a texture manager slot; the whole page for -1, 0 and slots that hold nothing.
PageRect PageRectOf(int32_t slot);

// Texture matrices for two-component coordinates (u, v, 1): the translation is in the third row.
// The rectangle's mapping, u' = u x width + left, v' = v x height + top.
platform::Matrix RectMatrix(const PageRect& rect);
// Its undoing (the identity for an empty rectangle).
platform::Matrix InverseRectMatrix(const PageRect& rect);
// For coordinates generated in camera space (x, y, z, 1), the translation in the fourth row: the vector's -1..1
// scaled by 0.49 of the rectangle, centred on it for reflections and at its corner plus 0.5 for normals.
platform::Matrix GeneratedPageMatrix(const PageRect& rect, bool reflection);

// The channel transform of a stage: channels evaluated at time t, in order, each changing its stage's matrix:
// offsets set the translation, a rotation r sets the upper 2 x 2 part to (cos r, sin r / -sin r, cos r) and
// moves the translation by -(cos r - sin r) in u and -(cos r + sin r) in v, scales multiply the first column (u)
// or the second (v). `animated[s]` tells whether any channel touched stage s.
void ChannelMatrices(const MaterialChannel* channels, uint32_t count, uint32_t t, platform::Matrix out[2],
                     bool animated[2]);

// The device material of a whole material: colours / 255, channels at time t replacing what they drive, and the
// emissive colour min(1, diffuse x scale + self-illumination) for red, green and blue.
platform::MaterialDesc MaterialLighting(const SMaterial& material, uint32_t t, const float emissiveScale[3]);
// The device material of a lighting set: each byte b as (b + b / 16) / 255, channels at time t, then the set's
// power and the emissive colour as above.
platform::MaterialDesc LightingSetMaterial(const LightingSet& set, uint32_t t, const float emissiveScale[3]);
// The device material of the shadows: black but for an emissive grey of 1 - darkness / 255.
platform::MaterialDesc ShadowMaterial(uint32_t darkness);

// The renderer's frame time as the wave clock.
uint32_t WaveClock(float frameTime);
