// The material table's set-up and the crossfade list (no records are added before the texture manager exists).
#include "engine/render/MaterialTable.h"

MaterialTable g_MaterialTable;
CrossfadeList g_CrossfadeList;

void MaterialTable::BuildDefaults()
{
    m_uExtraCount = 0;
    m_bDefaultsBuilt = true;
}

void MaterialTable::FreeAnimators()
{
    m_bDefaultsBuilt = false;
}

void CrossfadeList::SetFactor(float t)
{
    m_fLastFactor = t;
}

void CrossfadeList::Clear()
{
    m_uCount = 0;
    m_fLastFactor = -1.0f;
}
