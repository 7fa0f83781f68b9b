// The per-frame model draw lists: the sorted model draw list and the material buckets, with their matrix pools.
#pragma once

#include "platform/gfx/Math.h"

#include <cstdint>
#include <memory>

// Per-frame world matrices handed to model drawing.
class MatrixPool
{
public:
    static constexpr uint32_t kCapacity = 20000;

    MatrixPool();
    ~MatrixPool();
    MatrixPool(const MatrixPool&) = delete;
    MatrixPool& operator=(const MatrixPool&) = delete;

    // Next index, entry count and pending flag to 0.
    void Reset();
    uint32_t GetNextIndex() const { return m_uNextIndex; }

private:
    std::unique_ptr<platform::Matrix[]> m_pMatrices;
    uint32_t m_uNextIndex = 0;
    uint32_t m_uEntryCount = 0;
    bool m_bPending = false;
};

// Submeshes sorted by their state key. Records are added by model submission; the graphics manager resets the
// list at every frame start and end.
class ModelDrawList
{
public:
    static constexpr uint32_t kCapacity = 10000;

    void Reset();
    uint32_t GetCount() const { return m_uCount; }
    MatrixPool& GetMatrixPool() { return m_pool; }

private:
    MatrixPool m_pool;
    uint32_t m_uCount = 0;
};

// Mesh records grouped by stage-0 texture and blend mode.
class MaterialBuckets
{
public:
    static constexpr uint32_t kRecordCapacity = 20000;

    // Frame start: pool, heads and records cleared.
    void Reset();
    // Frame end: pool and record count cleared.
    void EndFrame();
    uint32_t GetCount() const { return m_uCount; }

private:
    MatrixPool m_pool;
    uint32_t m_uCount = 0;
};
