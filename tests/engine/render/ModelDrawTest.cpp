// Tests of model drawing on the recording device: optimised levels from the shared buffers and in processor
// batches, hidden instances, material overrides and the highlight, source-form batches, and skipped batches when
// a dynamic buffer cannot be locked.
#include "DrawTestSupport.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/MaterialTable.h"
#include "engine/render/MeshManager.h"
#include "engine/render/ModelDrawTypes.h"
#include "engine/render/OptModel.h"

#include <gtest/gtest.h>

#include <deque>

namespace
{

using platform::Matrix;
using platform::RecordingDevice;
using platform::Vec3;

// A part of n vertices laid along x (vertex i at (i, 0, 0), normal (0, 1, 0)) and triangles (0, i, i + 1).
struct TestPart
{
    OptMesh mesh;
    OptMeshLOD level;

    TestPart(uint32_t n, bool registered)
    {
        std::vector<LitTexVertex> vertices(n);
        for (uint32_t i = 0; i < n; ++i)
        {
            vertices[i] = {float(i), 0, 0, 0, 1, 0, 0xFF000000u + i, 0, 0.5f, float(i)};
            mesh.m_positions.push_back({float(i), 0, 0});
            mesh.m_normals.push_back({0, 1, 0});
            mesh.m_vertices.push_back({0xFF000000u + i, 0, 0.5f, float(i)});
        }
        for (uint32_t i = 1; i + 1 < n; ++i)
            level.m_indices.insert(level.m_indices.end(), {0, uint16_t(i), uint16_t(i + 1)});
        level.m_uVertexCount = n, level.m_uIndexCount = static_cast<uint32_t>(level.m_indices.size());
        if (registered)
        {
            const uint32_t handle =
                g_MeshManager.Register(1, 4, n, vertices.data(), level.m_uIndexCount, level.m_indices.data());
            mesh.m_uVertexHandle = level.m_uIndexHandle = handle;
        }
    }
};

class ModelDrawTest : public rendertest::DrawTest
{
protected:
    D3DRenderer& R() { return *static_cast<D3DRenderer*>(gm.GetRenderer()); }

    // Queues an instance placed at (x, y, z) on a chain.
    DrawInstance* Queue(DrawInstance** head, float x, float y, float z, uint16_t tag = 0, uint8_t override = 0)
    {
        matrices.push_back(platform::MatrixTranslation(x, y, z));
        instances.push_back({});
        DrawInstance* d = &instances.back();
        d->m_pMatrix = &matrices.back();
        d->SetTag(tag);
        d->m_uOverride = override, d->m_pNext = *head;
        *head = d;
        return d;
    }

    std::vector<Matrix> WorldWrites()
    {
        std::vector<Matrix> out;
        for (const auto& w : Dev()->transformWrites)
            if (w.type == platform::TransformType::World)
                out.push_back(w.matrix);
        return out;
    }

    uint32_t Stat(RenderStats::Counter c)
    {
        RenderStats stats;
        R().GetFrameStats(&stats);
        return stats.Get(c);
    }

    std::deque<Matrix> matrices;
    std::deque<DrawInstance> instances;
    testsupport::RecordingReportSink sink;
};

// Parts of more than 80 vertices: one draw per visible instance from the shared buffers, each after its own world
// matrix; instances hidden in the pass are left out.
TEST_F(ModelDrawTest, LargePartsDrawEachInstanceFromTheSharedBuffers)
{
    TestPart part(81, true);
    Queue(&part.level.m_pInstances, 1, 2, 3);
    Queue(&part.level.m_pInstances, 4, 5, 6, 0x0040); // hidden in the normal pass
    Queue(&part.level.m_pInstances, 7, 8, 9, 0x4000); // hidden in the shadow pass only
    const uint32_t drawsBefore = Stat(RenderStats::DrawCalls);
    const OptMeshLODPair pair = {&part.level, &part.mesh};
    R().DrawOptModelLOD(&pair);

    const MeshRecord* record = g_MeshManager.GetMesh(part.mesh.m_uVertexHandle);
    ASSERT_TRUE(record != nullptr && Draws().size() == 2u);
    for (const auto& draw : Draws())
    {
        EXPECT_TRUE(draw.kind == RecordingDevice::DrawKind::IndexedPrimitive && draw.minIndex == 0u &&
                    draw.numVertices == 81u && draw.startIndex == record->m_uFirstIndex);
        // 79 triangles.
        EXPECT_TRUE(draw.primitiveCount == 79u && draw.baseVertexIndex == record->m_uBaseVertex && draw.stride == 40u);
    }
    const std::vector<Matrix> world = WorldWrites();
    ASSERT_EQ(world.size(), 2u);
    // Newest first along the chain.
    EXPECT_TRUE(world[0].m[3][0] == 7.0f && world[1].m[3][2] == 3.0f &&
                Stat(RenderStats::DrawCalls) - drawsBefore == 2u);

    // A failed draw is reported in a message box with its numbers, and counted all the same: a part drawn from the
    // shared buffers and a small part batched through the dynamic ones.
    struct Failing
    {
        uint32_t vertices;
        bool registered;
        const char* name;
    };
    for (const Failing& c :
         {Failing{81, true, "DrawOptModelLOD (Static)"}, Failing{80, false, "DrawOptModelLOD (Dynamic)"}})
    {
        TestPart failing(c.vertices, c.registered);
        Queue(&failing.level.m_pInstances, 0, 0, 0);
        Dev()->FailNextDraws(1);
        const uint32_t failedBefore = Stat(RenderStats::DrawCalls);
        const size_t boxesBefore = sink.boxes.size();
        const OptMeshLODPair failed = {&failing.level, &failing.mesh};
        R().DrawOptModelLOD(&failed);
        EXPECT_EQ(Stat(RenderStats::DrawCalls) - failedBefore, 1u) << c.name;
        ASSERT_EQ(sink.boxes.size(), boxesBefore + 1) << c.name;
        EXPECT_NE(sink.boxes.back().text.find(c.name), std::string::npos) << sink.boxes.back().text;
        EXPECT_NE(sink.boxes.back().text.find("NumVerts=" + std::to_string(c.vertices)), std::string::npos)
            << sink.boxes.back().text;
    }
}

// Parts of 80 vertices or fewer are transformed here: 4000 vertices a draw, so 50 instances of 80 vertices; the
// vertices carry position, normal, colour, specular 0 and the texture coordinates, the indices are rebased;
// instances hidden in the pass (one in ten here, placed far below) take no room.
TEST_F(ModelDrawTest, SmallPartsAreBatchedUpToTheVertexLimit)
{
    TestPart part(80, false);
    for (int i = 0; i < 120; ++i)
    {
        Queue(&part.level.m_pInstances, float(100 * i), 0, 0);
        if (i % 10 == 5)
            Queue(&part.level.m_pInstances, 0, -1000, 0, 0x40);
    }
    R().SetWorldMatrix(platform::MatrixTranslation(5, 5, 5), D3DRenderer::kTagAlways);
    const OptMeshLODPair pair = {&part.level, &part.mesh};
    R().DrawOptModelLOD(&pair);

    ASSERT_EQ(Draws().size(), 3u);
    const uint32_t expected[3] = {50, 50, 20};
    for (int d = 0; d < 3; ++d)
    {
        EXPECT_TRUE(Draws()[d].numVertices == expected[d] * 80 && Draws()[d].primitiveCount == expected[d] * 78 &&
                    Draws()[d].fvf == kFvfLitTexVertex);
        for (const LitTexVertex& v : rendertest::Decode<LitTexVertex>(Draws()[d]).vertices)
            ASSERT_EQ(v.y, 0.0f) << d;
    }
    // The first draw holds the newest instances: instance 119 first, at x = 11900.
    const auto decoded = rendertest::Decode<LitTexVertex>(Draws()[0]);
    ASSERT_EQ(decoded.vertices.size(), 4000u);
    EXPECT_FLOAT_EQ(decoded.vertices[5].x, 11905.0f);
    EXPECT_FLOAT_EQ(decoded.vertices[80 + 5].x, 11805.0f);
    EXPECT_TRUE(decoded.vertices[5].diffuse == 0xFF000005u && decoded.vertices[5].specular == 0u);
    EXPECT_FLOAT_EQ(decoded.vertices[5].ny, 1.0f);
    EXPECT_FLOAT_EQ(decoded.vertices[5].v, 5.0f);
    // Triangle 0 of the second instance: its vertices 0, 1, 2 numbered after the first instance's 80.
    EXPECT_TRUE(decoded.indices[78 * 3] == 80u && decoded.indices[78 * 3 + 2] == 82u);
    // The world matrix is the identity while batching.
    const std::vector<Matrix> world = WorldWrites();
    ASSERT_TRUE(!(world.empty()) && platform::MatrixIsIdentity(world.back()));

    // Without processor arrays the part is read back from its registered range, in the 40-byte layout.
    {
        Dev()->ClearLog();
        TestPart part(6, true);
        part.mesh.m_positions.clear();
        part.level.m_indices.clear();
        Matrix turn = platform::MatrixRotationY(1.5707964f); // x becomes -z
        turn.m[3][1] = 10.0f;
        matrices.push_back(turn);
        instances.push_back({});
        instances.back().m_pMatrix = &matrices.back(), part.level.m_pInstances = &instances.back();
        const OptMeshLODPair pair = {&part.level, &part.mesh};
        R().DrawOptModelLOD(&pair);
        ASSERT_EQ(Draws().size(), 1u);
        const auto decoded = rendertest::Decode<LitTexVertex>(Draws()[0]);
        ASSERT_EQ(decoded.vertices.size(), 6u);
        EXPECT_NEAR(decoded.vertices[3].x, 0.0f, 1e-4f);
        EXPECT_NEAR(decoded.vertices[3].y, 10.0f, 1e-4f);
        EXPECT_NEAR(decoded.vertices[3].z, -3.0f, 1e-4f);
        EXPECT_EQ(decoded.indices.size(), 12u);

        // A range that cannot be read back draws nothing.
        Dev()->ClearLog();
        part.mesh.m_uVertexHandle = 999;
        R().DrawOptModelLOD(&pair);
        EXPECT_TRUE(Draws().empty());
    }

    // Many indices over few vertices: the 32,000-index buffer bounds a batch too (3,000 indices: 10 a draw), and a
    // part whose indices alone do not fit is not drawn.
    {
        Dev()->ClearLog();
        TestPart part(3, false);
        part.level.m_indices.assign(3000, 0);
        for (size_t i = 0; i < part.level.m_indices.size(); ++i)
            part.level.m_indices[i] = static_cast<uint16_t>(i % 3);
        part.level.m_uIndexCount = 3000;
        for (int i = 0; i < 25; ++i)
            Queue(&part.level.m_pInstances, float(i), 0, 0);
        const OptMeshLODPair pair = {&part.level, &part.mesh};
        R().DrawOptModelLOD(&pair);
        ASSERT_TRUE(Draws().size() == 3u && Draws()[0].primitiveCount == 10000u && Draws()[2].primitiveCount == 5000u);

        Dev()->ClearLog();
        part.level.m_indices.assign(33000, 0);
        part.level.m_uIndexCount = 33000;
        R().DrawOptModelLOD(&pair);
        EXPECT_TRUE(Draws().empty());
    }

    // A dynamic buffer that cannot be locked skips its batch; the batches after it are drawn.
    {
        TestPart part(80, false);
        for (int i = 0; i < 60; ++i)
            Queue(&part.level.m_pInstances, float(i), 0, 0);
        Dev()->FailNextBufferLocks(1);
        const OptMeshLODPair pair = {&part.level, &part.mesh};
        R().DrawOptModelLOD(&pair);
        ASSERT_EQ(Draws().size(), 1u);
        EXPECT_TRUE(Draws()[0].numVertices == 10u * 80 &&
                    !(R().GetVertexStream(D3DRenderer::StreamLitTex)->m_bLocked) && !(R().GetIndexStream()->m_bLocked));

        // The index lock failing (its buffer is held here) releases the vertex lock too: the next draw goes through.
        platform::IIndexBuffer* indices = R().GetIndexStream()->m_pBuffer.get();
        void* held = nullptr;
        ASSERT_EQ(indices->Lock(0, 2, &held, 0), platform::GfxResult::Ok);
        Dev()->ClearLog();
        R().DrawOptModelLOD(&pair);
        EXPECT_TRUE(Draws().empty() && !(R().GetVertexStream(D3DRenderer::StreamLitTex)->m_bLocked));
        indices->Unlock();
        R().DrawOptModelLOD(&pair);
        EXPECT_EQ(Draws().size(), 2u);
    }
}

// Parts whose indices reach past their vertices are not drawn at all.
TEST_F(ModelDrawTest, IndicesBeyondTheVerticesAreRefused)
{
    TestPart part(10, false);
    Queue(&part.level.m_pInstances, 0, 0, 0);
    const OptMeshLODPair pair = {&part.level, &part.mesh};
    for (size_t bad : {size_t{0}, size_t{4}, part.level.m_indices.size() - 1})
    {
        const uint16_t kept = part.level.m_indices[bad];
        part.level.m_indices[bad] = 10;
        R().DrawOptModelLOD(&pair);
        EXPECT_TRUE(Draws().empty()) << bad;
        part.level.m_indices[bad] = kept;
    }
    R().DrawOptModelLOD(&pair);
    EXPECT_EQ(Draws().size(), 1u);

    // Fewer than three indices make no triangle: nothing is drawn.
    Dev()->ClearLog();
    part.level.m_indices.resize(2);
    part.level.m_uIndexCount = 2;
    R().DrawOptModelLOD(&pair);
    EXPECT_TRUE(Draws().empty());

    // An instance list whose instances are all hidden draws nothing and counts nothing.
    for (uint32_t n : {12u, 90u})
    {
        TestPart hidden(n, true);
        Queue(&hidden.level.m_pInstances, 1, 0, 0, 0x40);
        Queue(&hidden.level.m_pInstances, 2, 0, 0, 0x40);
        const uint32_t before = Stat(RenderStats::DrawCalls);
        const OptMeshLODPair hiddenPair = {&hidden.level, &hidden.mesh};
        R().DrawOptModelLOD(&hiddenPair);
        EXPECT_TRUE(Draws().empty()) << n;
        EXPECT_EQ(Stat(RenderStats::DrawCalls), before);
    }
}

// Overrides draw one instance a call: 0 plainly, 7 with the pulsing highlight around the draw, N with the parts
// of material-table entry N while the level's textures stay; the shadow pass ignores the override.
TEST_F(ModelDrawTest, OverridesDrawInstanceByInstance)
{
    TestPart part(20, false);
    SMaterial own;
    own.m_uDiffuse = 0xFF102030;
    own.m_uBlendMode = 9; // a state set no table entry has
    ASSERT_TRUE(InternMaterial(own, &part.level.m_parts, false));
    const MaterialPartNumbers table3 = g_MaterialTable.GetParts(3);
    ASSERT_NE(table3.m_iLightingSet, part.level.m_parts.m_iLightingSet);

    const OptMeshLODPair pair = {&part.level, &part.mesh};
    for (uint8_t override : {3, 7, 0})
    {
        SCOPED_TRACE(int(override));
        const MaterialPartNumbers parts = override == 3 ? table3 : part.level.m_parts;
        ASSERT_NE(g_MaterialTable.GetParts(override == 3 ? 7 : override).m_iStateSet, parts.m_iStateSet);
        R().ResetRenderStates();
        Dev()->ClearLog();
        part.level.m_pOverrideInstances = nullptr;
        Queue(&part.level.m_pOverrideInstances, 1, 0, 0, 0, override);
        R().DrawOptModelLOD_MatOveride(&pair);
        ASSERT_TRUE(Draws().size() == 1u && R().GetRememberedStateSet() == parts.m_iStateSet);
        // The highlight darkens the light for its draw and gives it back after: two light writes, the first dark.
        ASSERT_TRUE(Dev()->lights.size() == (override == 7 ? 2u : 0u) &&
                    (override != 7 || Dev()->lights[0].second.diffuse.r == 0.0f));
    }

    Dev()->ClearLog();
    R().BeginShadowPass(true, false);
    Dev()->ClearLog();
    part.level.m_pOverrideInstances = nullptr;
    Queue(&part.level.m_pOverrideInstances, 1, 0, 0, 0, 7);
    R().DrawOptModelLOD_MatOveride(&pair);
    R().BeginShadowPass(false, false);
    EXPECT_TRUE(Draws().size() == 1u && Dev()->lights.empty());
}

// A source-form batch: small parts transformed entry by entry with their colours (0 without) and texture
// coordinates; large registered parts one draw an entry from the shared buffers. Override N applies material
// table entry N and forgets it; override 0 applies the level's own material.
TEST_F(ModelDrawTest, SourceBatchesByPartSize)
{
    SubModel sub;
    const Vec3 positions[4] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}};
    const Vec3 normals[4] = {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}};
    const platform::Vec2 uvs[4] = {{0, 0}, {1, 0}, {1, 1}, {0.25f, 1}};
    const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    sub.m_levels.resize(1);
    ASSERT_TRUE(sub.SetPositions(positions, 4) && sub.SetNormals(normals, 4) && sub.SetTexCoords(uvs, 4) &&
                sub.SetIndices(0, indices, 6));
    Matrix m[3] = {platform::MatrixTranslation(10, 0, 0), platform::MatrixTranslation(20, 0, 0),
                   platform::MatrixTranslation(30, 0, 0)};
    ModelBatchEntry e[3];
    for (int i = 0; i < 3; ++i)
        e[i] = {&m[i], &sub, &sub.m_levels[0], 3, 0, 0, i < 2 ? &e[i + 1] : nullptr};
    R().DrawModelBatch(nullptr, 3);
    R().DrawModelBatch(e, 0);
    EXPECT_TRUE(Draws().empty());
    R().DrawModelBatch(e, 3);
    ASSERT_EQ(Draws().size(), 1u);
    auto decoded = rendertest::Decode<LitTexVertex>(Draws()[0]);
    ASSERT_EQ(decoded.vertices.size(), 12u);
    EXPECT_FLOAT_EQ(decoded.vertices[4 + 2].x, 21.0f);
    EXPECT_FLOAT_EQ(decoded.vertices[8 + 3].x, 30.0f);
    EXPECT_FLOAT_EQ(decoded.vertices[3].u, 0.25f);
    EXPECT_TRUE(decoded.vertices[3].diffuse == 0u && R().GetRememberedMaterial() == nullptr);

    const uint32_t colours[4] = {1, 2, 3, 0xFFABCDEF};
    ASSERT_TRUE(sub.SetColours(colours, 4));
    e[0].m_uMaterial = 0;
    Dev()->ClearLog();
    R().DrawModelBatch(e, 1);
    ASSERT_EQ(Draws().size(), 1u);
    decoded = rendertest::Decode<LitTexVertex>(Draws()[0]);
    EXPECT_TRUE(decoded.vertices[3].diffuse == 0xFFABCDEFu &&
                R().GetRememberedMaterial() == (&sub.m_levels[0].m_material));

    // A large registered part: one draw for each of the entries asked for.
    TestPart big(100, true);
    SubModel large;
    large.m_levels.resize(1);
    large.m_levels[0].m_uVertexCount = 100, large.m_levels[0].m_indices = big.level.m_indices;
    large.m_levels[0].m_uMeshHandle = big.mesh.m_uVertexHandle;
    for (int i = 0; i < 3; ++i)
    {
        e[i].m_pMesh = &large, e[i].m_pLevel = &large.m_levels[0];
    }
    Dev()->ClearLog();
    const uint32_t before = Stat(RenderStats::DrawCalls);
    R().DrawModelBatch(e, 2);
    ASSERT_TRUE(Draws().size() == 2u && Draws()[1].primitiveCount == 98u &&
                Stat(RenderStats::DrawCalls) - before == 2u);
    const std::vector<Matrix> world = WorldWrites();
    ASSERT_TRUE(world.size() == 2u && world[1].m[3][0] == 20.0f);
}

// In a textured shadow pass a batch is drawn with its level's stage-0 texture bound, even in a table material
// without textures, for small parts batched on the processor and large ones from the shared buffers alike.
TEST_F(ModelDrawTest, TexturedShadowBatchesBindTheirLevelsTexture)
{
    ASSERT_TRUE(g_TextureManager.Init());
    SubModel small;
    const Vec3 positions[4] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}};
    const Vec3 normals[4] = {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}};
    const platform::Vec2 uvs[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    small.m_levels.resize(1);
    ASSERT_TRUE(small.SetPositions(positions, 4) && small.SetNormals(normals, 4) && small.SetTexCoords(uvs, 4) &&
                small.SetIndices(0, indices, 6));
    TestPart big(100, true);
    SubModel large;
    large.m_levels.resize(1);
    large.m_levels[0].m_uVertexCount = 100, large.m_levels[0].m_indices = big.level.m_indices;
    large.m_levels[0].m_uMeshHandle = big.mesh.m_uVertexHandle;
    ASSERT_NE(g_MaterialTable.GetMaterial(1), nullptr);
    ASSERT_EQ(g_MaterialTable.GetMaterial(1)->m_aStages[0].m_iTexture, -1);

    const Matrix place = platform::MatrixIdentity();
    const std::pair<const char*, SubModel*> parts[] = {{"ShadowSmall", &small}, {"ShadowLarge", &large}};
    for (const auto& [name, sub] : parts)
    {
        SCOPED_TRACE(name);
        const int32_t slot = static_cast<int32_t>(g_TextureManager.CreateTexture(64, 64, name));
        platform::ITexture* const texture = R().GetTexture(DeviceTextureForSlot(slot));
        ASSERT_NE(texture, nullptr);
        sub->m_levels[0].m_material.m_aStages[0].m_iTexture = slot;
        ModelBatchEntry entry = {&place, sub, &sub->m_levels[0], 1, 0, 0, nullptr};
        R().BeginShadowPass(true, true);
        Dev()->ClearLog();
        R().DrawModelBatch(&entry, 1);
        R().BeginShadowPass(false, false);
        ASSERT_EQ(Draws().size(), 1u);
        EXPECT_EQ(Draws()[0].textures[0], texture);
    }
    g_TextureManager.Shutdown();
}

} // namespace
