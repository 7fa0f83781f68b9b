// The billboard list: entries appended through the frame, sorted by their 8-byte key and drawn in batches.
#include "engine/render/BillboardList.h"

#include "engine/render/GraphicsManager.h"

#include <algorithm>

BillboardList g_BillboardList;

void BillboardList::Add(const platform::Vec3& position, float size, uint32_t colour, uint32_t texture,
                        uint32_t material)
{
    if (m_uCount == m_uCapacity)
    {
        const uint32_t capacity = m_uCapacity + kGrowth;
        auto grown = std::make_unique<BillboardEntry[]>(capacity);
        std::copy(m_pEntries.get(), m_pEntries.get() + m_uCount, grown.get());
        m_pEntries = std::move(grown);
        m_uCapacity = capacity;
    }
    m_pEntries[m_uCount++] = {texture, material, colour, 0, position.x, position.y, position.z, size};
}

void BillboardList::Draw(GraphicsManager& graphics)
{
    if (m_uCount == 0)
        return;
    // The key is the entry's first 8 bytes read as one number: the material word is the high half.
    const uint32_t* order = m_sorter.Sort(m_pEntries.get(), 8, sizeof(BillboardEntry), m_uCount);
    graphics.DrawBillboardEntries(m_pEntries.get(), order, m_uCount);
    m_uCount = 0;
}

void BillboardList::Draw()
{
    Draw(g_GraphicsManager);
}
