// The per-frame model draw lists: matrix pools, the key-sorted model draw list and the material buckets.
#include "engine/render/DrawLists.h"

#include "engine/render/GraphicsManager.h"
#include "engine/render/LineSegments.h"
#include "engine/render/OptModel.h"
#include "engine/render/Renderer.h"
#include "engine/render/TextureSlots.h"
#include "engine/render/TmFormat.h"

#include <algorithm>

uint32_t g_uDrawFrameParity = 0;

namespace
{

// The sort class from which a level is transparent (drawn after every opaque level).
constexpr uint8_t kTransparentClass = 16;

constexpr uint64_t Bits(int32_t value, uint32_t width, uint32_t shift)
{
    return (static_cast<uint64_t>(static_cast<uint32_t>(value)) & ((1u << width) - 1)) << shift;
}

// The material table entries the shadow pass draws with.
constexpr uint32_t kShadowMaterial = 0x11;
constexpr uint32_t kTexturedShadowMaterial = 0x12;

} // namespace

// ---- MatrixPool

MatrixPool::MatrixPool() : m_pMatrices(new platform::Matrix[kCapacity]), m_pEntries(new DrawInstance[kCapacity]) {}

MatrixPool::~MatrixPool() = default;

platform::Matrix* MatrixPool::Acquire()
{
    if (m_uNextIndex >= kCapacity)
        return nullptr;
    m_bPending = true;
    return &m_pMatrices[m_uNextIndex];
}

void MatrixPool::Commit()
{
    if (m_bPending && m_uNextIndex < kCapacity)
        ++m_uNextIndex;
    m_bPending = false;
}

DrawInstance* MatrixPool::AllocEntry()
{
    if (m_uEntryCount >= kCapacity)
        return nullptr;
    DrawInstance* entry = &m_pEntries[m_uEntryCount++];
    *entry = DrawInstance{};
    return entry;
}

void MatrixPool::Reset()
{
    m_uNextIndex = 0;
    m_uEntryCount = 0;
    m_bPending = false;
}

// ---- ModelDrawList

ModelDrawList::ModelDrawList() : m_pKeys(new uint64_t[kCapacity]), m_pRecords(new Record[kCapacity])
{
    // The sorter's index arrays are sized once, so that no frame allocates.
    m_sorter.Sort(m_pKeys.get(), 0, 8, kCapacity);
}

ModelDrawList::~ModelDrawList() = default;

uint8_t ModelDrawList::SortClassFor(uint8_t sortClass, uint8_t override)
{
    sortClass &= 0x1F;
    if (override != 0 && override != 7 && override != 25)
        sortClass = static_cast<uint8_t>((sortClass & 3) | 12);
    return sortClass;
}

uint64_t ModelDrawList::KeyOf(const OptMeshLOD& level, uint8_t sortClass)
{
    const uint64_t low = Bits(DeviceTextureForSlot(level.m_aiTexture[0]), 12, 20) |
                         Bits(level.m_parts.m_iTextureTransformSet, 10, 10) | Bits(level.m_parts.m_iLightingSet, 10, 0);
    const uint64_t high = Bits(sortClass, 5, 27) | Bits(level.m_parts.m_iStateSet, 10, 12) |
                          Bits(DeviceTextureForSlot(level.m_aiTexture[1]), 12, 0);
    return low | high << 32;
}

bool ModelDrawList::Add(OptMeshLOD* level, OptMesh* mesh, const platform::Matrix* matrix, uint8_t override,
                        uint16_t tag)
{
    if (!level || !mesh || !matrix || m_uCount >= kCapacity)
    {
        ++m_uDropped;
        return false;
    }
    m_pool.Commit();
    DrawInstance* entry = m_pool.AllocEntry();
    if (!entry)
    {
        ++m_uDropped;
        return false;
    }
    DrawInstance** head = override != 0 ? &level->m_pOverrideInstances : &level->m_pInstances;
    if (!*head)
    {
        m_pRecords[m_uCount] = {level, mesh, override};
        m_pKeys[m_uCount] = KeyOf(*level, SortClassFor(level->m_uSortClass, override));
        ++m_uCount;
    }
    entry->m_pMatrix = matrix;
    entry->m_uOverride = override;
    entry->SetTag(tag);
    entry->m_pNext = *head;
    *head = entry;
    return true;
}

void ModelDrawList::Draw(Renderer* renderer, bool shadowDark)
{
    if (m_uCount == 0)
        return;
    const uint32_t* order = m_sorter.Sort(m_pKeys.get(), 8, 8, m_uCount);
    bool fogPushed = false;
    for (uint32_t i = 0; i < m_uCount; ++i)
    {
        const Record& record = m_pRecords[order[i]];
        if (!fogPushed && (record.m_pLevel->m_uSortClass & 0x1F) >= kTransparentClass)
        {
            g_GraphicsManager.ApplyFogScale(100.0f);
            fogPushed = true;
        }
        const OptMeshLODPair pair = {record.m_pLevel, record.m_pMesh};
        switch (record.m_pMesh->m_uKind)
        {
        case 0:
            if (!renderer)
                break;
            if (record.m_uOverride != 0)
                renderer->DrawOptModelLOD_MatOveride(&pair);
            else
                renderer->DrawOptModelLOD(&pair);
            break;
        case 1:
        case 2:
            if (m_pSpecial)
                m_pSpecial->DrawOptRecord(*record.m_pLevel, *record.m_pMesh, record.m_pMesh->m_uKind - 1u,
                                          record.m_uOverride != 0, shadowDark);
            break;
        case 3:
            DrawOptMeshLines(*record.m_pLevel, *record.m_pMesh, record.m_uOverride != 0);
            break;
        default:
            break;
        }
    }
    // The stored fog again, so that what is drawn next (and the next frame) is fogged as before.
    if (fogPushed)
        g_GraphicsManager.SetFog(-1.0f, 0.0f, 0);
}

void ModelDrawList::ClearChains()
{
    for (uint32_t i = 0; i < m_uCount; ++i)
    {
        m_pRecords[i].m_pLevel->m_pInstances = nullptr;
        m_pRecords[i].m_pLevel->m_pOverrideInstances = nullptr;
    }
}

void ModelDrawList::Reset()
{
    // Chains left from a frame that was not drawn would point into the emptied pool.
    ClearChains();
    m_pool.Reset();
    m_uCount = 0;
}

// ---- MaterialBuckets

MaterialBuckets::MaterialBuckets() : m_pRecords(new ModelBatchEntry[kRecordCapacity])
{
    for (auto& heads : m_apHeads)
        heads.reset(new ModelBatchEntry*[kSlotCapacity]());
}

MaterialBuckets::~MaterialBuckets() = default;

platform::Matrix* MaterialBuckets::AcquireMatrix()
{
    m_pCurrent = m_pool.Acquire();
    m_pool.Commit();
    return m_pCurrent;
}

MaterialBuckets::List MaterialBuckets::ListFor(const SubModelLOD& level)
{
    switch (level.m_material.m_uBlendMode)
    {
    case 0:
    case 2:
    case 8:
        return Opaque;
    case 1:
    case 9:
        return Blended;
    default:
        return level.m_auBytes[0] == 0 ? Second : Third;
    }
}

bool MaterialBuckets::Add(const SubModel* mesh, const SubModelLOD* level, uint32_t a, uint32_t b, bool shadow)
{
    if (!mesh || !level || !m_pCurrent || m_uCount >= kRecordCapacity)
    {
        ++m_uDropped;
        return false;
    }
    ModelBatchEntry* record = &m_pRecords[m_uCount++];
    *record = {m_pCurrent, mesh, level, a, b, static_cast<uint8_t>(shadow ? 1 : 0), nullptr};

    const int32_t slot = level->m_material.m_aStages[0].m_iTexture;
    if (slot < 0 || slot >= static_cast<int32_t>(kSlotCapacity))
        return true;
    // Ascending level addresses, so that records of one level stay together (the newest first).
    ModelBatchEntry** link = &m_apHeads[ListFor(*level)][slot];
    while (*link && (*link)->m_pLevel < level)
        link = &(*link)->m_pNext;
    record->m_pNext = *link;
    *link = record;
    return true;
}

ModelBatchEntry* MaterialBuckets::DrawRun(Renderer* renderer, ModelBatchEntry* entry, bool levelOnly)
{
    uint32_t count = 1;
    ModelBatchEntry* next = entry->m_pNext;
    while (next && next->m_pLevel == entry->m_pLevel && (levelOnly || next->m_uMaterial == entry->m_uMaterial))
    {
        ++count;
        next = next->m_pNext;
    }
    if (renderer)
        renderer->DrawModelBatch(entry, count);
    return next;
}

void MaterialBuckets::DrawList(Renderer* renderer, List list, uint32_t slot)
{
    ModelBatchEntry* entry = m_apHeads[list][slot];
    m_apHeads[list][slot] = nullptr;
    while (entry)
    {
        switch (entry->m_pMesh->m_uVertexKind)
        {
        case 0:
            entry = DrawRun(renderer, entry, false);
            continue;
        case 1:
        case 2:
            if (m_pSpecial)
                m_pSpecial->DrawBatchRecord(*entry, entry->m_pMesh->m_uVertexKind - 1u);
            break;
        case 4:
            DrawSubModelLines(*entry);
            break;
        default:
            break;
        }
        entry = entry->m_pNext;
    }
}

void MaterialBuckets::Draw(Renderer* renderer)
{
    g_GraphicsManager.SetFog(-1.0f, 0.0f, 0);
    g_uDrawFrameParity ^= 1;
    for (uint32_t slot = 0; slot < kSlotCapacity; ++slot)
        if (m_apHeads[Opaque][slot])
            DrawList(renderer, Opaque, slot);
    for (uint32_t slot = 0; slot < kSlotCapacity; ++slot)
        if (m_apHeads[Third][slot])
            DrawList(renderer, Third, slot);
    for (uint32_t slot = 0; slot < kSlotCapacity; ++slot)
        if (m_apHeads[Second][slot])
            DrawList(renderer, Second, slot);
    g_GraphicsManager.ApplyFogScale(5.0f);
    for (uint32_t slot = 0; slot < kSlotCapacity; ++slot)
        if (m_apHeads[Blended][slot])
            DrawList(renderer, Blended, slot);
    g_GraphicsManager.SetFog(-1.0f, 0.0f, 0);
}

void MaterialBuckets::DrawShadows(Renderer* renderer, bool enabled)
{
    if (enabled)
    {
        g_GraphicsManager.ApplyShadowFog();
        for (uint32_t slot = 0; slot < kSlotCapacity; ++slot)
        {
            ModelBatchEntry* entry = m_apHeads[Opaque][slot];
            while (entry)
            {
                if (!entry->m_bShadow)
                    break;
                const bool alphaTest = (entry->m_pLevel->m_material.m_uDepthAlphaFlags & 2) != 0;
                // Every record of the run takes the shadow material, so that the batch draws them alike.
                for (ModelBatchEntry* e = entry; e && e->m_pLevel == entry->m_pLevel; e = e->m_pNext)
                    e->m_uMaterial = alphaTest ? kTexturedShadowMaterial : kShadowMaterial;
                entry = DrawRun(renderer, entry, true);
            }
        }
    }
    for (uint32_t slot = 0; slot < kSlotCapacity; ++slot)
        m_apHeads[Opaque][slot] = nullptr;
    g_GraphicsManager.SetFog(-1.0f, 0.0f, 0);
}

void MaterialBuckets::Reset()
{
    m_pool.Reset();
    m_pCurrent = nullptr;
    for (auto& heads : m_apHeads)
        std::fill(heads.get(), heads.get() + kSlotCapacity, nullptr);
    m_uCount = 0;
}

void MaterialBuckets::EndFrame()
{
    m_pool.Reset();
    m_pCurrent = nullptr;
    m_uCount = 0;
}
