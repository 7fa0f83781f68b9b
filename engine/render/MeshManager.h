// The mesh manager: the static geometry of the loaded models packed into a few shared device buffers, one mesh
// handle per registered mesh.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class Renderer;

// One registered mesh: a vertex range in a vertex buffer of its kind and an index range in an index buffer.
struct MeshRecord
{
    uint32_t m_uHandle = 0;
    uint32_t m_uFlags = 0; // bit 0: static geometry copied into the shared buffers
    uint32_t m_uVertexKind = 0;
    uint32_t m_uIndexCount = 0;
    uint32_t m_uVertexCount = 0;
    std::unique_ptr<uint8_t[]> m_pOwnedA; // never set by registration; freed by Unregister
    std::unique_ptr<uint8_t[]> m_pOwnedB;
    uint32_t m_uVertexBuffer = 0; // renderer handles
    uint32_t m_uIndexBuffer = 0;
    uint32_t m_uFirstIndex = 0;
    uint32_t m_uBaseVertex = 0;
};

class MeshManagerBase
{
public:
    virtual ~MeshManagerBase() = default;
};

class MeshManager : public MeshManagerBase
{
public:
    static constexpr uint32_t kMaxMeshes = 20000;
    static constexpr uint32_t kVertexKinds = 6;

    // Bytes of one vertex of a kind (0 for kinds without a layout).
    static uint32_t VertexSize(uint32_t kind);

    MeshManager() = default;
    ~MeshManager() override = default;
    MeshManager(const MeshManager&) = delete;
    MeshManager& operator=(const MeshManager&) = delete;

    // False when already open; otherwise takes the renderer, makes a fresh (zeroed) record table, clears the
    // statistics and sets the next handle to 1.
    virtual bool Open(Renderer* renderer);
    // False when not open; otherwise unregisters every mesh, releases every buffer, frees the record table and
    // closes. False also when an unregistration failed.
    virtual bool Close();
    // The new mesh's handle, or 0 (with a log message) when the manager is closed, the flags have neither bit 0
    // nor bit 1, the handles are used up, the kind has no layout or the data cannot be stored.
    virtual uint32_t Register(uint32_t flags, uint32_t vertexKind, uint32_t vertexCount, const void* vertices,
                              uint32_t indexCount, const uint16_t* indices);
    virtual bool Reserved() { return true; }
    // Forgets a mesh (its buffer space stays taken); false when closed or the handle is out of range.
    virtual bool Unregister(uint32_t handle);
    // The record of a handle; null when closed or the handle is out of range.
    virtual MeshRecord* GetMesh(uint32_t handle);
    virtual bool IsOpen() const { return m_bOpen; }
    // The next mesh handle (handles start at 1).
    virtual uint32_t GetMeshCount() const { return m_uNextHandle; }
    virtual uint32_t GetIndexBufferCount() const { return static_cast<uint32_t>(m_indexBuffers.size()); }
    virtual uint32_t GetVertexBufferCount() const { return m_uVertexBuffersCreated; }
    // Indices and vertices copied into the buffers, and those of the meshes still registered.
    virtual uint32_t GetIndicesRegistered() const { return m_uIndicesRegistered; }
    virtual uint32_t GetIndicesLeft() const { return m_uIndicesLeft; }
    virtual uint32_t GetVerticesRegistered() const { return m_uVerticesRegistered; }
    virtual uint32_t GetVerticesLeft() const { return m_uVerticesLeft; }

private:
    // The first buffer of the list with more room than `count` (creating one when none has it); 0 on failure.
    uint32_t FindIndexBuffer(uint32_t count);
    uint32_t FindVertexBuffer(uint32_t kind, uint32_t count);

    Renderer* m_pRenderer = nullptr;
    bool m_bOpen = false;
    uint32_t m_uNextHandle = 0;
    std::unique_ptr<MeshRecord[]> m_pRecords;
    std::vector<uint32_t> m_indexBuffers;
    std::vector<uint32_t> m_vertexBuffers[kVertexKinds];
    uint32_t m_uVertexBuffersCreated = 0;
    uint32_t m_uIndicesRegistered = 0;
    uint32_t m_uVerticesRegistered = 0;
    uint32_t m_uIndicesLeft = 0;
    uint32_t m_uVerticesLeft = 0;
};

extern MeshManager g_MeshManager;
