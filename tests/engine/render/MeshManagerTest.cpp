// Tests of the mesh manager on the recording device: registration into shared buffers by vertex kind, the
// 65,535-vertex and 120,000-index buffers and their strict room rule, the handle limit, the renderer's mesh locks,
// and closing and opening again with the device.
#include "engine/render/MeshManager.h"
#include "RenderTestSupport.h"

#include <gtest/gtest.h>

#include <numeric>

namespace
{

class MeshManagerTest : public rendertest::RecordingTest
{
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        CreateRenderer(); // opens the manager
    }

    // A mesh of `vertices` 40-byte vertices (kind 4) and `indices` indices, the data counting up from `first`.
    uint32_t Register(uint32_t vertices, uint32_t indices, uint16_t first = 0)
    {
        std::vector<uint32_t> vertexWords(static_cast<size_t>(vertices) * 10);
        std::iota(vertexWords.begin(), vertexWords.end(), first);
        std::vector<uint16_t> indexList(indices);
        std::iota(indexList.begin(), indexList.end(), first);
        return g_MeshManager.Register(1, 4, vertices, vertexWords.data(), indices, indexList.data());
    }

    testsupport::RecordingReportSink sink;
};

// Meshes go into the first buffer of their kind with more room than they need; a full buffer (or one with
// exactly the room needed) gets a new one after it.
TEST_F(MeshManagerTest, MeshesShareBuffersByKindWhileThereIsRoom)
{
    EXPECT_EQ(g_MeshManager.GetMeshCount(), 1u);
    const uint32_t first = Register(60000, 100000);
    EXPECT_EQ(first, 1u);
    // 5,535 vertices and exactly 20,000 indices are left: new buffers for both.
    const uint32_t second = Register(10000, 20000);
    // Back into the first buffers, which have room for these.
    const uint32_t third = Register(5000, 19999, 7);
    // Too many vertices for what the first vertex buffer has left: the second one.
    const uint32_t fourth = Register(6000, 3);
    EXPECT_TRUE(g_MeshManager.GetVertexBufferCount() == 2u && g_MeshManager.GetIndexBufferCount() == 2u);
    const MeshRecord* a = g_MeshManager.GetMesh(first);
    const MeshRecord* b = g_MeshManager.GetMesh(second);
    const MeshRecord* c = g_MeshManager.GetMesh(third);
    const MeshRecord* d = g_MeshManager.GetMesh(fourth);
    ASSERT_TRUE(a && b && c && d);
    EXPECT_TRUE(a->m_uVertexBuffer != b->m_uVertexBuffer && a->m_uIndexBuffer != b->m_uIndexBuffer &&
                c->m_uVertexBuffer == a->m_uVertexBuffer && c->m_uBaseVertex == 60000u &&
                c->m_uIndexBuffer == a->m_uIndexBuffer && c->m_uFirstIndex == 100000u &&
                d->m_uVertexBuffer == b->m_uVertexBuffer && d->m_uBaseVertex == 10000u);
    EXPECT_EQ(d->m_uIndexBuffer, b->m_uIndexBuffer); // one index left in the first
    EXPECT_TRUE(c->m_uVertexKind == 4u && c->m_uVertexCount == 5000u && c->m_uIndexCount == 19999u &&
                g_MeshManager.GetVerticesRegistered() == 81000u && g_MeshManager.GetIndicesRegistered() == 140002u);

    // The data read back where the record says it is; one lock of each kind at a time.
    const auto* vertices = static_cast<const uint32_t*>(renderer->LockMeshVertices(third, 2));
    ASSERT_TRUE(vertices != nullptr &&
                (vertices[0] == 7u && vertices[19] == 26u && renderer->LockMeshVertices(first, 1) == nullptr));
    renderer->UnlockMeshVertices();
    ASSERT_NE(renderer->LockMeshVertices(first, 1), nullptr); // the same buffer, free again
    renderer->UnlockMeshVertices();
    const uint16_t* indices = renderer->LockMeshIndices(third, 3);
    ASSERT_TRUE(indices != nullptr && indices[2] == 9u);
    renderer->UnlockMeshIndices();
    ASSERT_NE(renderer->LockMeshIndices(first, 3), nullptr);
    renderer->UnlockMeshIndices();
    EXPECT_EQ(renderer->LockMeshIndices(999, 1), nullptr); // an empty record has nothing to lock

    // Another kind takes buffers of its own.
    const uint32_t colours[4] = {1, 2, 3, 4};
    const uint32_t kind0 = g_MeshManager.Register(1, 0, 1, colours, 0, nullptr);
    EXPECT_TRUE(g_MeshManager.GetMesh(kind0)->m_uVertexBuffer != a->m_uVertexBuffer &&
                g_MeshManager.GetVertexBufferCount() == 3u && sink.boxes.empty());
}

// What Register refuses, with its message, and a mesh of flags 2 only, which is recorded without any data.
TEST_F(MeshManagerTest, RefusalsAndTheHandleLimit)
{
    EXPECT_EQ(g_MeshManager.Register(4, 4, 3, nullptr, 3, nullptr), 0u);
    const uint32_t words[10] = {};
    EXPECT_TRUE(g_MeshManager.Register(1, 6, 1, words, 0, nullptr) == 0u &&
                g_MeshManager.Register(1, 4, 3, nullptr, 0, nullptr) == 0u);
    ASSERT_TRUE(sink.boxes.size() == 3u && sink.boxes[0].text == "Mesh Manager :Register(): Illegal Flags");
    // A vertex kind without a size and vertices that are missing are refused as such, and take no handle or room.
    for (size_t i : {1u, 2u})
        EXPECT_EQ(sink.boxes[i].text, "Mesh Manager :Register(): Illegal Vertex Data") << i;
    EXPECT_TRUE(g_MeshManager.GetMeshCount() == 1u && g_MeshManager.GetVerticesLeft() == 0u &&
                g_MeshManager.GetVertexBufferCount() == 0u);

    const uint32_t plain = g_MeshManager.Register(2, 4, 10, nullptr, 30, nullptr);
    ASSERT_NE(plain, 0u);
    EXPECT_TRUE(g_MeshManager.GetMesh(plain)->m_uVertexCount == 10u && g_MeshManager.GetIndexBufferCount() == 0u &&
                g_MeshManager.GetVerticesRegistered() == 0u);

    // A buffer holds 65,535 vertices and 120,000 indices, and never quite fills: such meshes are refused.
    EXPECT_TRUE(Register(65535, 3) == 0u && Register(3, 120000) == 0u && Register(65534, 119999) != 0u);

    // Every vertex kind copies its own vertex size: 16, 24, 28, 32, 40 and 28 bytes.
    const uint32_t sizes[MeshManager::kVertexKinds] = {16, 24, 28, 32, 40, 28};
    for (uint32_t kind = 0; kind < MeshManager::kVertexKinds; ++kind)
    {
        EXPECT_EQ(MeshManager::VertexSize(kind), sizes[kind]);
        std::vector<uint8_t> bytes(sizes[kind] * 2);
        std::iota(bytes.begin(), bytes.end(), static_cast<uint8_t>(kind * 16 + 1));
        const uint32_t handle = g_MeshManager.Register(1, kind, 2, bytes.data(), 0, nullptr);
        ASSERT_NE(handle, 0u) << kind;
        const auto* read = static_cast<const uint8_t*>(renderer->LockMeshVertices(handle, 2));
        ASSERT_TRUE(read != nullptr && std::vector<uint8_t>(read, read + bytes.size()) == bytes) << kind;
        renderer->UnlockMeshVertices();
    }
    EXPECT_EQ(MeshManager::VertexSize(6), 0u);

    while (g_MeshManager.GetMeshCount() < MeshManager::kMaxMeshes)
        ASSERT_NE(g_MeshManager.Register(2, 0, 0, nullptr, 0, nullptr), 0u);
    sink.boxes.clear();
    EXPECT_EQ(g_MeshManager.Register(2, 0, 0, nullptr, 0, nullptr), 0u);
    ASSERT_TRUE(sink.boxes.size() == 1u &&
                sink.boxes[0].text == "Mesh Manager :Register(): Exceeded Number of Meshes" &&
                g_MeshManager.GetMesh(MeshManager::kMaxMeshes) == nullptr);
}

// Unregistering keeps the space but counts the mesh out; closing frees the records and the buffers, and a device
// made again opens the manager with a fresh table.
TEST_F(MeshManagerTest, CloseAndOpenAgainWithTheDevice)
{
    const uint32_t a = Register(10, 30);
    Register(20, 60);
    EXPECT_TRUE(g_MeshManager.GetVerticesLeft() == 30u && g_MeshManager.Unregister(a) &&
                g_MeshManager.GetVerticesLeft() == 20u && g_MeshManager.GetIndicesLeft() == 60u &&
                g_MeshManager.GetVerticesRegistered() == 30u && g_MeshManager.GetMesh(a)->m_uHandle == 0u &&
                !(g_MeshManager.Unregister(MeshManager::kMaxMeshes)));

    // Closing releases the shared buffers (one of each here).
    const uint32_t vertexBuffers = Device()->LiveVertexBuffers();
    const uint32_t indexBuffers = Device()->LiveIndexBuffers();
    EXPECT_TRUE(g_MeshManager.Close() && Device()->LiveVertexBuffers() == vertexBuffers - 1 &&
                Device()->LiveIndexBuffers() == indexBuffers - 1);
    ASSERT_TRUE(g_MeshManager.Open(renderer.get()) && g_MeshManager.GetMesh(2)->m_uVertexCount == 0u);

    renderer->Release();
    EXPECT_TRUE(!(g_MeshManager.IsOpen()) && g_MeshManager.GetMesh(1) == nullptr && !(g_MeshManager.Unregister(1)) &&
                !(g_MeshManager.Close()));
    sink.boxes.clear();
    EXPECT_EQ(Register(3, 3), 0u);
    ASSERT_TRUE(sink.boxes.size() == 1u && sink.boxes[0].text == "Mesh Manager :Register(): Not Open");

    ASSERT_TRUE(renderer->CreateDevice(nullptr, RendererSettings{}) && g_MeshManager.IsOpen() &&
                !(g_MeshManager.Open(renderer.get())));
    const uint32_t again = Register(4, 6, 3);
    EXPECT_TRUE(again == 1u && g_MeshManager.GetMesh(2)->m_uVertexCount == 0u);
    const auto* vertices = static_cast<const uint32_t*>(renderer->LockMeshVertices(again, 4));
    ASSERT_TRUE(vertices != nullptr && vertices[0] == 3u);
    renderer->UnlockMeshVertices();
}

} // namespace
