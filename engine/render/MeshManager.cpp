// The mesh manager's open and close.
#include "engine/render/MeshManager.h"

MeshManager g_MeshManager;

bool MeshManager::Open()
{
    if (m_bOpen)
        return false;
    m_uNextHandle = 1;
    m_bOpen = true;
    return true;
}

bool MeshManager::Close()
{
    if (!m_bOpen)
        return false;
    m_bOpen = false;
    return true;
}
