// The records that carry model draws from the draw lists to the renderer: queued instances of an optimised mesh
// level, the level with its mesh, and the chained entries of a batch of source-form model parts.
#pragma once

#include "platform/gfx/Math.h"

#include <cstdint>

struct OptMesh;
struct OptMeshLOD;
struct SubModel;
struct SubModelLOD;

// One queued draw of an optimised mesh level. The two pass bytes are the draw's tag: bit 0x40 of the first hides
// the instance in the normal pass, bit 0x40 of the second in the shadow pass.
struct DrawInstance
{
    static constexpr uint8_t kHidden = 0x40;

    const platform::Matrix* m_pMatrix = nullptr; // world matrix, owned by the caller (a matrix pool)
    DrawInstance* m_pNext = nullptr;
    uint8_t m_uOverride = 0; // material override (0 none)
    uint8_t m_uSpare = 0;
    uint8_t m_auPass[2] = {};

    bool IsHidden(bool shadowPass) const { return (m_auPass[shadowPass ? 1 : 0] & kHidden) != 0; }
    void SetTag(uint16_t tag)
    {
        m_auPass[0] = static_cast<uint8_t>(tag & 0xFF);
        m_auPass[1] = static_cast<uint8_t>(tag >> 8);
    }
};

// A level of an optimised mesh and the mesh it belongs to.
struct OptMeshLODPair
{
    const OptMeshLOD* m_pLevel = nullptr;
    const OptMesh* m_pMesh = nullptr;
};

// One part of a model in its source form, placed by a world matrix; entries with the same part, level and
// material are chained and drawn together.
struct ModelBatchEntry
{
    const platform::Matrix* m_pMatrix = nullptr;
    const SubModel* m_pMesh = nullptr;
    const SubModelLOD* m_pLevel = nullptr;
    uint32_t m_uMaterial = 0; // 0: the level's own material; N: material table entry N
    uint32_t m_uValueB = 0;
    uint8_t m_bShadow = 0; // casts a shadow
    ModelBatchEntry* m_pNext = nullptr;
};

// Mesh levels of this many vertices or fewer are transformed on the processor and drawn in batches.
constexpr uint32_t kBatchedVertexLimit = 80;
