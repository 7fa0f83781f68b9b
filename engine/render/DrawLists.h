// The per-frame model draw lists: the sorted model draw list and the material buckets, with their matrix pools.
#pragma once

#include "engine/render/ModelDrawTypes.h"
#include "engine/render/RadixSorter.h"
#include "platform/gfx/Math.h"

#include <cstdint>
#include <memory>

class Renderer;

// Flipped by every MaterialBuckets::Draw; drawing code that caches per frame compares it.
extern uint32_t g_uDrawFrameParity;

// Draws the mesh kinds the lists do not hand to the renderer themselves: the sprite meshes (kinds 1 and 2; line
// sets have their own drawing). The graphics manager installs one; records of those kinds are skipped without.
class SpecialMeshDrawer
{
public:
    virtual ~SpecialMeshDrawer() = default;
    // An optimised mesh of kind 1 (mode 0) or 2 (mode 1) with its chained instances (the override chain with
    // `overrides`).
    virtual void DrawOptRecord(const OptMeshLOD& level, const OptMesh& mesh, uint32_t mode, bool overrides,
                               bool shadowDark) = 0;
    // A source-form part of kind 1 (mode 0) or 2 (mode 1).
    virtual void DrawBatchRecord(const ModelBatchEntry& entry, uint32_t mode) = 0;
};

// Per-frame world matrices handed to model drawing, and the chain entries of the queued instances.
class MatrixPool
{
public:
    static constexpr uint32_t kCapacity = 20000;

    MatrixPool();
    ~MatrixPool();
    MatrixPool(const MatrixPool&) = delete;
    MatrixPool& operator=(const MatrixPool&) = delete;

    // The matrix at the next index, the same one until it is committed; null when every matrix of the frame is
    // taken.
    platform::Matrix* Acquire();
    // Moves past the acquired matrix.
    void Commit();
    // The next chain entry (cleared), or null when all are in use.
    DrawInstance* AllocEntry();
    // Next index, entry count and pending flag to 0.
    void Reset();
    uint32_t GetNextIndex() const { return m_uNextIndex; }
    uint32_t GetEntryCount() const { return m_uEntryCount; }

private:
    std::unique_ptr<platform::Matrix[]> m_pMatrices;
    std::unique_ptr<DrawInstance[]> m_pEntries;
    uint32_t m_uNextIndex = 0;
    uint32_t m_uEntryCount = 0;
    bool m_bPending = false;
};

// Optimised mesh levels sorted by their state key, each with its chain of instances. Records are added by model
// submission; the graphics manager resets the list at every frame start and end.
class ModelDrawList
{
public:
    static constexpr uint32_t kCapacity = 10000;

    ModelDrawList();
    ~ModelDrawList();
    ModelDrawList(const ModelDrawList&) = delete;
    ModelDrawList& operator=(const ModelDrawList&) = delete;

    // Queues one draw of the level with the matrix (from this list's pool) and tag. A full list, an exhausted
    // pool or a missing matrix drops the draw (counted); false then.
    bool Add(OptMeshLOD* level, OptMesh* mesh, const platform::Matrix* matrix, uint8_t override, uint16_t tag);
    // Draws every record in key order (transparent ones last, with the fog pushed out).
    void Draw(Renderer* renderer, bool shadowDark);
    // Empties the instance chains of every recorded level.
    void ClearChains();
    // Chains, pool and records emptied.
    void Reset();
    // Draws dropped since the last ClearDropped.
    uint32_t GetDropped() const { return m_uDropped; }
    void ClearDropped() { m_uDropped = 0; }
    void SetSpecialDrawer(SpecialMeshDrawer* drawer) { m_pSpecial = drawer; }

    uint32_t GetCount() const { return m_uCount; }
    MatrixPool& GetMatrixPool() { return m_pool; }
    uint64_t GetKey(uint32_t i) const { return m_pKeys[i]; }

    // The state key of a level drawn with an override: texture numbers and material parts, the sort class in
    // the top bits.
    static uint64_t KeyOf(const OptMeshLOD& level, uint8_t sortClass);
    // The sort class a level is drawn in under an override.
    static uint8_t SortClassFor(uint8_t sortClass, uint8_t override);

private:
    struct Record
    {
        OptMeshLOD* m_pLevel;
        OptMesh* m_pMesh;
        uint32_t m_uOverride;
    };

    MatrixPool m_pool;
    RadixSorter m_sorter;
    std::unique_ptr<uint64_t[]> m_pKeys;
    std::unique_ptr<Record[]> m_pRecords;
    uint32_t m_uCount = 0;
    uint32_t m_uDropped = 0;
    SpecialMeshDrawer* m_pSpecial = nullptr;
};

// Source-form mesh records grouped by stage-0 texture and blend mode, for batch drawing and the shadow pass.
class MaterialBuckets
{
public:
    static constexpr uint32_t kRecordCapacity = 20000;
    static constexpr uint32_t kSlotCapacity = 2000;
    enum List
    {
        Opaque = 0,
        Second = 1,
        Third = 2,
        Blended = 3,
        ListCount = 4,
    };

    MaterialBuckets();
    ~MaterialBuckets();
    MaterialBuckets(const MaterialBuckets&) = delete;
    MaterialBuckets& operator=(const MaterialBuckets&) = delete;

    // A new matrix from the pool, which the following Adds use; null (and every Add dropped) when the frame's
    // matrices are used up.
    platform::Matrix* AcquireMatrix();
    // A record of the level with the current matrix; false (counted as dropped) when the records or matrices are
    // used up. A level whose stage-0 texture is outside the slots is recorded but never drawn.
    bool Add(const SubModel* mesh, const SubModelLOD* level, uint32_t a, uint32_t b, bool shadow);
    void Draw(Renderer* renderer);
    void DrawShadows(Renderer* renderer, bool enabled);
    // Frame start: pool, current matrix, heads and records cleared.
    void Reset();
    // Frame end: pool and record count cleared.
    void EndFrame();
    uint32_t GetDropped() const { return m_uDropped; }
    void ClearDropped() { m_uDropped = 0; }
    void SetSpecialDrawer(SpecialMeshDrawer* drawer) { m_pSpecial = drawer; }

    uint32_t GetCount() const { return m_uCount; }
    const ModelBatchEntry* GetHead(List list, uint32_t slot) const { return m_apHeads[list][slot]; }
    // Which list a level goes in.
    static List ListFor(const SubModelLOD& level);

private:
    // Draws one list of one slot and empties it.
    void DrawList(Renderer* renderer, List list, uint32_t slot);
    // Draws the run that starts at `entry` (same level, and same material unless `levelOnly`); returns the entry
    // after it.
    ModelBatchEntry* DrawRun(Renderer* renderer, ModelBatchEntry* entry, bool levelOnly);

    MatrixPool m_pool;
    platform::Matrix* m_pCurrent = nullptr;
    std::unique_ptr<ModelBatchEntry*[]> m_apHeads[ListCount];
    std::unique_ptr<ModelBatchEntry[]> m_pRecords;
    uint32_t m_uCount = 0;
    uint32_t m_uDropped = 0;
    SpecialMeshDrawer* m_pSpecial = nullptr;
};
