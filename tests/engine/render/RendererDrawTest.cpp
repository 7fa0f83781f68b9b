// Tests of immediate drawing and buffers on the recording device: dynamic stream wrap and discard, index
// rebasing, line lists, failed locks and draws, stream and texture bindings, and the managed buffers with their
// handle tables.
#include "engine/render/D3DRenderer.h"

#include "RenderTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{

using platform::LockFlags;
using rendertest::RecordingTest;

class RendererDrawTest : public RecordingTest
{
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        CreateRenderer();
        ASSERT_TRUE(renderer->BeginScene(0.0f, 0));
    }

    // Draws n coloured vertices as n / 3 triangles (vertex i carries colour i).
    void DrawTriangles(uint32_t n)
    {
        std::vector<ColourVertex> vertices(n);
        std::vector<uint16_t> indices(n);
        for (uint32_t i = 0; i < n; ++i)
        {
            vertices[i] = {static_cast<float>(i), 0.0f, 0.0f, i};
            indices[i] = static_cast<uint16_t>(i);
        }
        renderer->DrawPolsUntexCol(vertices.data(), n, indices.data(), n, 0);
    }

    // The locks of the colour stream's vertex buffer, in order.
    std::vector<platform::RecordingDevice::LockRecord> ColourLocks() const
    {
        std::vector<platform::RecordingDevice::LockRecord> out;
        const void* buffer = renderer->GetVertexStream(D3DRenderer::StreamColour)->m_pBuffer.get();
        for (const auto& lock : Device()->locks)
            if (lock.resource == buffer)
                out.push_back(lock);
        return out;
    }
};

constexpr uint32_t kDiscard = LockFlags::Discard | LockFlags::NoSysLock;
const ColourVertex kLine[2] = {{0, 0, 0, ~0u}, {1, 1, 0, ~0u}};
constexpr uint32_t kAppend = LockFlags::NoOverwrite | LockFlags::NoSysLock;

TEST_F(RendererDrawTest, DynamicStreamAppendsWrapsAndDiscards)
{
    DrawTriangles(1500); // first lock of the scene: discard, from 0
    DrawTriangles(90);   // fits behind: append at 1500
    DrawTriangles(3000); // 1590 + 3000 is not below 4000: wrap with a discard
    DrawTriangles(997);  // 3000 + 997 is below 4000: append
    DrawTriangles(3);    // 3997 + 3 ends exactly at the capacity, not below it: wrap
    renderer->EndFrame();
    ASSERT_TRUE(renderer->BeginScene(1.0f, 0));
    DrawTriangles(3); // a new scene discards again, though 3 more would fit behind the last batch

    const auto locks = ColourLocks();
    const uint32_t expected[][2] = {{0, kDiscard},   {1500, kAppend}, {0, kDiscard},
                                    {3000, kAppend}, {0, kDiscard},   {0, kDiscard}};
    ASSERT_EQ(locks.size(), 6u);
    for (size_t i = 0; i < locks.size(); ++i)
        EXPECT_TRUE(locks[i].offset == expected[i][0] * 16 && locks[i].flags == expected[i][1]) << i;
    // The index stream (32000 entries) appends all along and also starts the new scene with a discard.
    std::vector<platform::RecordingDevice::LockRecord> indexLocks;
    for (const auto& lock : Device()->locks)
        if (lock.resource == renderer->GetIndexStream()->m_pBuffer.get())
            indexLocks.push_back(lock);
    ASSERT_EQ(indexLocks.size(), 6u);
    EXPECT_TRUE(indexLocks[4].offset == 2u * (1500 + 90 + 3000 + 997) && indexLocks[4].flags == kAppend);
    // Three 16-bit indices.
    EXPECT_TRUE(indexLocks[5].offset == 0 && indexLocks[5].flags == kDiscard && indexLocks[5].size == 6);

    // The draws read their own vertices: indices were rebased to where each batch landed.
    const auto& draws = Device()->draws;
    ASSERT_EQ(draws.size(), 6u);
    EXPECT_TRUE(draws[1].minIndex == 1500 && draws[1].vertexNumbers.front() == 1500 && draws[1].primitiveCount == 30);
    ColourVertex first;
    std::memcpy(&first, draws[3].vertexBytes.data(), sizeof(first));
    EXPECT_EQ(first.colour, 0u);
    EXPECT_EQ(draws[3].vertexNumbers.back(), 3995u); // 332 whole triangles of the 997 vertices
}

TEST_F(RendererDrawTest, WholeStreamDrawsButOneMoreDrawsNothingAndLinesIgnoreIndices)
{
    DrawTriangles(30);
    DrawTriangles(4000);
    ASSERT_EQ(Device()->draws.size(), 2u);
    EXPECT_EQ(ColourLocks().back().flags, kDiscard);
    DrawTriangles(4001);
    EXPECT_EQ(Device()->draws.size(), 2u);

    const ColourVertex vertices[5] = {};
    const uint16_t unused[5] = {4, 4, 4, 4, 4};
    Device()->ClearLog();
    renderer->DrawLineColList(nullptr, 5, unused, 5); // no vertices: nothing to draw
    renderer->DrawLineCol(nullptr);
    EXPECT_TRUE(Device()->locks.empty() && Device()->draws.empty());
    renderer->SetWorldMatrix(platform::MatrixTranslation(1, 2, 3), 5);
    renderer->DrawLineColList(vertices, 5, unused, 5);
    ASSERT_EQ(Device()->draws.size(), 1u);
    platform::Matrix world;
    Device()->GetTransform(platform::TransformType::World, &world);
    EXPECT_TRUE(platform::MatrixIsIdentity(world)); // line lists are given in world coordinates
    EXPECT_EQ(Device()->draws[0].vertexNumbers, (std::vector<uint32_t>{0, 1, 2, 3})); // whole pairs only
}

TEST_F(RendererDrawTest, FailedDrawsAreReportedAndFailedLocksDrawNothing)
{
    testsupport::RecordingReportSink sink;
    const TexturedVertex textured[4] = {};
    const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    Device()->FailNextDraws(1);
    renderer->DrawPolsTexCol(textured, 4, indices, 6, -1, -1);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, std::string("ERROR (") + platform::GfxResultText(platform::GfxResult::InvalidCall) +
                                      ")\n: DrawPolsTexCol::DrawIndexedPrimitive(StartVert=0, NumVerts=4, "
                                      "StartIndex=0, NumIndices=6)\n");
    EXPECT_EQ(renderer->GetStats(0).Get(RenderStats::DrawCalls), 1u); // failed draws still count

    Device()->ClearLog();
    Device()->FailNextBufferLocks(1);
    DrawTriangles(6);
    EXPECT_TRUE(Device()->draws.empty() && !renderer->GetVertexStream(D3DRenderer::StreamColour)->m_bLocked);
    EXPECT_FALSE(renderer->GetIndexStream()->m_bLocked);
    DrawTriangles(6);
    EXPECT_EQ(Device()->draws.size(), 1u);
    // More indices than the index stream holds: the vertices, already locked, are let go again.
    const std::vector<uint16_t> tooMany(32001, 0);
    const ColourVertex three[3] = {};
    renderer->DrawPolsUntexCol(three, 3, tooMany.data(), 32001, 0);
    EXPECT_TRUE(Device()->draws.size() == 1u && !renderer->GetVertexStream(D3DRenderer::StreamColour)->m_bLocked);
    DrawTriangles(6);
    EXPECT_EQ(Device()->draws.size(), 2u);
}

TEST_F(RendererDrawTest, StreamBindingIsSkippedWhenUnchangedAndForgottenOnRelease)
{
    using Op = platform::RecordingDevice::Op;
    DrawTriangles(3);
    DrawTriangles(3);
    EXPECT_TRUE(Device()->CountOps(Op::SetStreamSource) == 1 && Device()->CountOps(Op::SetVertexShader) == 1 &&
                Device()->CountOps(Op::SetIndices) == 1);

    // A managed buffer bound through SetStreams and then released: the memory must not claim it is bound.
    const uint32_t handle = renderer->CreateVertexBuffer(4, 10);
    VertexBuffer* vb = renderer->GetVertexBufferByHandle(handle);
    ASSERT_NE(vb, nullptr);
    renderer->SetStreams(vb->GetDeviceBuffer(), vb->GetFormat(), vb->GetStride(), nullptr, 0);
    EXPECT_TRUE(renderer->ReleaseVertexBuffer(handle) && renderer->GetStreamBinding().m_pVertexBuffer == nullptr);
    const uint32_t ib = renderer->CreateIndexBuffer(30);
    platform::IIndexBuffer* indexBuffer = renderer->GetIndexBufferByHandle(ib)->GetDeviceBuffer();
    renderer->SetStreams(nullptr, 0, 0, indexBuffer, 7);
    Device()->ClearLog();
    renderer->SetStreams(nullptr, 0, 0, indexBuffer, 9); // the same indices from another base vertex
    uint32_t base = 0;
    EXPECT_TRUE(Device()->GetIndices(&base) == indexBuffer && base == 9 && renderer->ReleaseIndexBuffer(ib));
    EXPECT_EQ(renderer->GetStreamBinding().m_pIndexBuffer, nullptr);

    // Releasing the dynamic streams forgets their bindings as well (a later buffer may take the address of a
    // released one), and the new streams are bound.
    DrawTriangles(3);
    ASSERT_NE(renderer->GetStreamBinding().m_pVertexBuffer, nullptr);
    renderer->ReleaseDynamicStreams();
    EXPECT_TRUE(!renderer->GetStreamBinding().m_pVertexBuffer && !renderer->GetStreamBinding().m_pIndexBuffer);
    Device()->ClearLog();
    DrawTriangles(3); // no streams: nothing to fill or draw
    renderer->DrawLineCol(kLine);
    EXPECT_TRUE(Device()->draws.empty());
    renderer->CreateDynamicStreams();
    Device()->ClearLog();
    DrawTriangles(3);
    EXPECT_EQ(Device()->CountOps(Op::SetStreamSource), 1u);
    // New streams start from their beginning with a discarding lock, even inside a scene.
    ASSERT_EQ(Device()->locks.size(), 2u);
    for (const auto& lock : Device()->locks)
        EXPECT_TRUE(lock.offset == 0 && lock.flags == kDiscard);
}

TEST_F(RendererDrawTest, TexturePipesBindOnChangeAndAgainAfterRelease)
{
    using Op = platform::RecordingDevice::Op;
    testsupport::RecordingReportSink sink;
    ASSERT_TRUE(renderer->ReserveTexture(8, 8, 4, 7));
    const TexturedVertex vertices[3] = {};
    const uint16_t tri[3] = {0, 1, 2};
    renderer->DrawPolsTexColTPage(vertices, 3, tri, 3, 7);
    renderer->DrawPolsTexColTPage(vertices, 3, tri, 3, 7);
    EXPECT_EQ(Device()->CountOps(Op::SetTexture), 1u);

    // The device lets go of a destroyed texture; one reserved again under the number must be bound.
    renderer->ReleaseTexture(7);
    ASSERT_TRUE(renderer->ReserveTexture(8, 8, 4, 7));
    renderer->DrawPolsTexColTPage(vertices, 3, tri, 3, 7);
    EXPECT_TRUE(Device()->GetTexture(0) == renderer->GetTexture(7) && Device()->GetTexture(0));

    // A page draw has no second texture, whatever an earlier draw asked for.
    renderer->SetDeviceTexturePipe(1, 7);
    renderer->DrawPolsTexColTPage(vertices, 3, tri, 3, 7);
    EXPECT_EQ(Device()->draws.back().textures[1], nullptr);

    renderer->DrawPolsTexColTPage(vertices, 3, tri, 3, 2000);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, "D3D:SetTexture() :- Out of range Pipe 0, Texture Num 2000\n");
}

TEST_F(RendererDrawTest, TexturedDrawsUseTheirOwnStreamAndLayout)
{
    const uint16_t tri[3] = {2, 1, 0};
    NormalTexVertex normals[3] = {};
    for (int i = 0; i < 3; ++i)
        normals[i] = {float(i), 0, 0, 0, 1, 0, 0.5f, float(i)};
    renderer->DrawPolsTexNormal(normals, 3, tri, 3, 1, 2);
    TexturedVertex textured[3] = {};
    textured[2].colour = 0xFF00FF00;
    renderer->DrawPolsTexCol(textured, 3, tri, 3, 2, -1);

    const auto& draws = Device()->draws;
    ASSERT_EQ(draws.size(), 2u);
    // Position, normal and one coordinate pair: 32 bytes; the indices kept their order.
    EXPECT_TRUE(draws[0].fvf == kFvfNormalTexVertex && draws[0].stride == 32 &&
                draws[0].stream == renderer->GetVertexStream(D3DRenderer::StreamNormalTex)->m_pBuffer.get());
    EXPECT_EQ(draws[0].vertexNumbers, (std::vector<uint32_t>{2, 1, 0}));
    NormalTexVertex first;
    std::memcpy(&first, draws[0].vertexBytes.data(), sizeof(first));
    EXPECT_TRUE(first.x == 2 && first.ny == 1 && first.v == 2);
    // Position, colour and one pair: 24 bytes, on the textured stream.
    EXPECT_TRUE(draws[1].fvf == kFvfTexturedVertex && draws[1].stride == 24 &&
                draws[1].stream == renderer->GetVertexStream(D3DRenderer::StreamTextured)->m_pBuffer.get());
    TexturedVertex last;
    std::memcpy(&last, draws[1].vertexBytes.data(), sizeof(last));
    EXPECT_TRUE(last.colour == 0xFF00FF00u && renderer->GetStats(0).Get(RenderStats::Triangles) == 2u);

    // Nothing to draw: no vertices, fewer than three indices, or no index list.
    renderer->DrawPolsTexNormal(normals, 0, tri, 3, 1, 2);
    renderer->DrawPolsTexNormal(normals, 3, tri, 2, 1, 2);
    renderer->DrawPolsTexNormal(normals, 3, nullptr, 3, 1, 2);
    EXPECT_EQ(draws.size(), 2u);
}

TEST_F(RendererDrawTest, BufferLocksAppendFromTheStartAndReadBack)
{
    VertexBuffer* vb = renderer->GetVertexBufferByHandle(renderer->CreateVertexBuffer(1, 1000));
    ASSERT_NE(vb, nullptr);
    // A managed buffer of plain usage (0); the dynamic streams are write-only and dynamic (0x208), in the default
    // pool, 4000 vertices of 16 bytes for the coloured one.
    platform::BufferDesc desc;
    ASSERT_EQ(vb->GetDeviceBuffer()->GetDesc(&desc), platform::GfxResult::Ok);
    EXPECT_TRUE(desc.usage == 0 && desc.pool == platform::Pool::Managed && desc.size == 1000u * 24u);
    ASSERT_EQ(renderer->GetVertexStream(D3DRenderer::StreamColour)->m_pBuffer->GetDesc(&desc), platform::GfxResult::Ok);
    EXPECT_TRUE(desc.usage == 0x208 && desc.pool == platform::Pool::Default && desc.size == 4000u * 16u);
    ASSERT_EQ(renderer->GetIndexStream()->m_pBuffer->GetDesc(&desc), platform::GfxResult::Ok);
    EXPECT_TRUE(desc.usage == 0x208 && desc.format == platform::PixelFormat::Index16 && desc.size == 64000u);
    uint32_t start = 99;
    ASSERT_NE(vb->Lock(100, &start), nullptr);
    vb->Unlock();
    auto* data = static_cast<TexturedVertex*>(vb->Lock(100, &start));
    ASSERT_TRUE(data && start == 100);
    data[5].colour = 0xFEEDBEEF;
    vb->Unlock();
    auto* read = static_cast<const TexturedVertex*>(vb->LockRange(1, 105));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->colour, 0xFEEDBEEFu);
    vb->Unlock();
    ASSERT_NE(vb->LockRange(1, 999), nullptr); // the last vertex
    vb->Unlock();
    EXPECT_EQ(vb->LockRange(2, 999), nullptr); // past the end

    EXPECT_TRUE(vb->Lock(800, &start) && start == 0); // 200 + 800 is not below 1000: from the start
    vb->Unlock();
    EXPECT_EQ(vb->Lock(1001, &start), nullptr);
    ASSERT_NE(vb->Lock(1, &start), nullptr);
    EXPECT_EQ(vb->LockRange(1, 0), nullptr); // already locked
    vb->Unlock();

    // A buffer its device could not make locks nothing.
    VertexBuffer orphan(10, 1, nullptr);
    EXPECT_TRUE(!orphan.Lock(2, &start) && !orphan.LockRange(2, 0));
}

TEST_F(RendererDrawTest, HandleTablesGrowPastTheirFirstSizeAndRefuseUnknownHandles)
{
    std::vector<uint32_t> handles;
    for (int i = 0; i < 120; ++i)
        handles.push_back(i % 2 ? renderer->CreateIndexBuffer(6) : renderer->CreateVertexBuffer(0, 6));
    EXPECT_EQ(handles.back(), 120u); // one counter, never reused
    EXPECT_TRUE(renderer->GetVertexBufferByHandle(handles[118]) && renderer->GetIndexBufferByHandle(handles[119]));
    // A handle is found only in its own table; unknown handles are refused, not indexed.
    EXPECT_TRUE(!renderer->GetIndexBufferByHandle(handles[0]) && !renderer->GetVertexBufferByHandle(0) &&
                !renderer->GetIndexBufferByHandle(0xFFFFFFFF));
    EXPECT_TRUE(renderer->ReleaseVertexBuffer(100000));
    const uint32_t live = Device()->LiveIndexBuffers();
    EXPECT_TRUE(renderer->ReleaseIndexBuffer(2));
    EXPECT_TRUE(renderer->ReleaseIndexBuffer(2)); // already empty: nothing to do
    EXPECT_EQ(Device()->LiveIndexBuffers(), live - 1);

    // Buffers outlive a re-created device with their handles; the counter starts again.
    renderer->EndFrame();
    renderer->Release();
    renderer->CreateDevice(nullptr, RendererSettings{});
    EXPECT_TRUE(renderer->GetNextBufferHandle() == 1u && renderer->GetVertexBufferByHandle(handles[0]) != nullptr);
    EXPECT_NE(renderer->CreateVertexBuffer(0, 10), handles[0]);
}

} // namespace
