// The per-frame model draw lists' storage and resets.
#include "engine/render/DrawLists.h"

MatrixPool::MatrixPool() : m_pMatrices(new platform::Matrix[kCapacity]) {}

MatrixPool::~MatrixPool() = default;

void MatrixPool::Reset()
{
    m_uNextIndex = 0;
    m_uEntryCount = 0;
    m_bPending = false;
}

void ModelDrawList::Reset()
{
    m_pool.Reset();
    m_uCount = 0;
}

void MaterialBuckets::Reset()
{
    m_pool.Reset();
    m_uCount = 0;
}

void MaterialBuckets::EndFrame()
{
    m_pool.Reset();
    m_uCount = 0;
}
