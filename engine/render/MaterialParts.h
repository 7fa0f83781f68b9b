// The material parts: the state-set record (blending, depth, alpha test, texture-stage operations) and its
// engine-wide table, and the three part numbers a material is drawn by.
#pragma once

#include <cstdint>
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

static_assert(sizeof(StateSet) == 16);

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

// Every distinct state set the engine has seen, by number: equal records share one number, and entries are never
// removed, so a number stays valid for the program's life.
class StateSetTable
{
public:
    // The number of the record equal to `set`, appending it when there is none.
    int32_t Intern(const StateSet& set);
    // The record of a number; null for a number the table does not hold.
    const StateSet* Get(int32_t number) const;
    uint32_t GetCount() const { return static_cast<uint32_t>(m_sets.size()); }

private:
    std::vector<StateSet> m_sets;
    int32_t m_iLastHit = -1;
};

extern StateSetTable g_StateSetTable;
