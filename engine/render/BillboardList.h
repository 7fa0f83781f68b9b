// The billboard list: camera-facing markers collected through a frame, drawn sorted by texture and material.
#pragma once

#include "engine/render/RadixSorter.h"
#include "engine/render/SpriteDrawing.h"
#include "platform/gfx/Math.h"

#include <cstdint>
#include <memory>

class GraphicsManager;

class BillboardList
{
public:
    static constexpr uint32_t kGrowth = 100;

    // Appends an entry; the array grows by 100 entries when full and never shrinks.
    void Add(const platform::Vec3& position, float size, uint32_t colour, uint32_t texture, uint32_t material);
    // Sorts the entries (material, then texture within it; equal keys in the order added), draws them through the
    // graphics manager and empties the list.
    void Draw(GraphicsManager& graphics);
    void Draw();

    uint32_t GetCount() const { return m_uCount; }
    uint32_t GetCapacity() const { return m_uCapacity; }
    const BillboardEntry* GetEntries() const { return m_pEntries.get(); }

private:
    std::unique_ptr<BillboardEntry[]> m_pEntries;
    uint32_t m_uCount = 0;
    uint32_t m_uCapacity = 0;
    RadixSorter m_sorter;
};

// The program's one billboard list.
extern BillboardList g_BillboardList;
