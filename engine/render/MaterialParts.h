// The state-set record of the material parts (blending, depth, alpha test, texture-stage operations).
#pragma once

#include <cstdint>

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

static_assert(sizeof(StateSet) == 16);
