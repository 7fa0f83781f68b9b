// The mesh manager: shared static geometry of the loaded models, opened and closed with the device.
#pragma once

#include <cstdint>

// Only the open/close life is kept here so far: the renderer opens the manager when it creates the device
// and closes it when it releases the device; registration of meshes comes with the model loader.
class MeshManager
{
public:
    MeshManager() = default;
    virtual ~MeshManager() = default;
    MeshManager(const MeshManager&) = delete;
    MeshManager& operator=(const MeshManager&) = delete;

    // False when already open; otherwise the manager is open and the next mesh handle is 1.
    virtual bool Open();
    // False when not open; otherwise closes the manager.
    virtual bool Close();
    virtual bool IsOpen() const { return m_bOpen; }
    // The next mesh handle (handles start at 1).
    virtual uint32_t GetMeshCount() const { return m_uNextHandle; }

private:
    bool m_bOpen = false;
    uint32_t m_uNextHandle = 0;
};

extern MeshManager g_MeshManager;
