// The material record of model parts and of the material table, and the bits its animated channels drive.
#pragma once

#include "engine/render/Waveform.h"

#include <cstdint>
#include <vector>

// One texture stage of a material.
struct MaterialStage
{
    uint16_t m_uTextureMode; // 0 none, 1 texture, 2 keep the bound texture, 3 and 5 reflection map, 4 and 6 normal map
    uint8_t m_uSampling;     // bits 0-1 filter (0 linear, 1 point), bits 2-3 mip filter (0 default, 4 linear, 8 none)
    int8_t m_iMipBias;       // device bias = value x 0.05 - 0.6
    int32_t m_iTexture;      // texture manager number, -1 none
    uint16_t m_uColourOp;
    uint16_t m_uAlphaOp;
};

// The fields of a material the renderer draws by, with the values every built-in material starts from.
struct MaterialFields
{
    uint32_t m_uDiffuse = 0xFFFFFFFF; // ARGB
    uint32_t m_uSelfIllumination = 0;
    uint32_t m_uSpecular = 0;
    float m_fSpecularPower = 0.0f;
    MaterialStage m_aStages[2] = {{1, 0, 0, -1, 2, 2}, {0, 0, 0, -1, 0, 0}};
    uint8_t m_uBlendMode = 4;
    uint8_t m_uDepthCompare = 1;
    uint8_t m_uAlphaRef = 127;
    uint8_t m_uDepthAlphaFlags = 1; // bit 0 depth write, bit 1 alpha test
};

// An animated channel: a wave whose target mask says which material values it replaces.
using MaterialChannel = WaveRecord;

// A material: its fields and its animated channels, evaluated at the frame time whenever it is applied.
struct SMaterial : MaterialFields
{
    std::vector<MaterialChannel> m_channels;
};

// What a channel's mask bits drive (colours are 0.0 to 1.0, angles in radians).
namespace ChannelBits
{
constexpr uint32_t kDiffuseBlue = 0x1;
constexpr uint32_t kDiffuseGreen = 0x2;
constexpr uint32_t kDiffuseRed = 0x4;
constexpr uint32_t kDiffuseAlpha = 0x8;
constexpr uint32_t kSpecularBlue = 0x10;
constexpr uint32_t kSpecularGreen = 0x20;
constexpr uint32_t kSpecularRed = 0x40;
constexpr uint32_t kSelfBlue = 0x100;
constexpr uint32_t kSelfGreen = 0x200;
constexpr uint32_t kSelfRed = 0x400;
constexpr uint32_t kPower = 0x1000;
// The colour bits: four per colour (diffuse, specular, self-illumination).
constexpr uint32_t kColours = 0xFFF;
constexpr uint32_t kLighting = kColours | kPower;

// Texture stage s (0 or 1): offset u and v, scale u and v, rotation.
constexpr uint32_t kOffsetU[2] = {0x100000, 0x4000000};
constexpr uint32_t kOffsetV[2] = {0x200000, 0x8000000};
constexpr uint32_t kScaleU[2] = {0x400000, 0x10000000};
constexpr uint32_t kScaleV[2] = {0x800000, 0x20000000};
constexpr uint32_t kRotation[2] = {0x1000000, 0x40000000};
// Every bit of a stage: bits 20 to 25 for stage 0, 26 to 31 for stage 1.
constexpr uint32_t kStage[2] = {0x03F00000, 0xFC000000};
constexpr uint32_t kTexture = kStage[0] | kStage[1];
} // namespace ChannelBits
