// Tests of the per-frame model draw lists: matrix pools and their limit, the sorted model list (records, chains,
// keys, override classes, draw order, the fog push before transparent levels) and the material buckets (lists by
// blend mode, runs, shadow runs and the record limit), drawn through the renderer on the recording device.
#include "engine/render/DrawLists.h"
#include "DrawTestSupport.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/MeshManager.h"
#include "engine/render/OptModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>

namespace
{

using platform::Matrix;
using platform::Vec3;

TEST(MatrixPoolTest, HandsOutEachMatrixOnceAndStopsAtTheLimit)
{
    MatrixPool pool;
    Matrix* a = pool.Acquire();
    EXPECT_EQ(pool.Acquire(), a); // not committed yet
    pool.Commit();
    Matrix* b = pool.Acquire();
    EXPECT_EQ(b, a + 1);
    pool.Commit();
    pool.Commit(); // nothing pending: no step
    EXPECT_EQ(pool.GetNextIndex(), 2u);
    for (uint32_t i = 2; i < MatrixPool::kCapacity; ++i)
    {
        ASSERT_NE(pool.Acquire(), nullptr);
        pool.Commit();
    }
    EXPECT_EQ(pool.Acquire(), nullptr);
    pool.Commit();
    EXPECT_EQ(pool.GetNextIndex(), MatrixPool::kCapacity);

    for (uint32_t i = 0; i < MatrixPool::kCapacity; ++i)
        ASSERT_NE(pool.AllocEntry(), nullptr);
    EXPECT_EQ(pool.AllocEntry(), nullptr);
    pool.Reset();
    EXPECT_TRUE(pool.Acquire() == a && pool.GetEntryCount() == 0u);
}

// Key layout worked out by hand: texture numbers -1 (no texture) give 0xFFF; a set number of 5 at bits 10-19 of
// the low word, 6 at bits 0-9; state set 3 at bits 12-21 and class 0x11 at bits 27-31 of the high word.
TEST(ModelDrawListKeyTest, KeyAndOverrideClass)
{
    OptMeshLOD level;
    level.m_parts = {3, 5, 6};
    const uint64_t key = ModelDrawList::KeyOf(level, 0x11);
    EXPECT_EQ(static_cast<uint32_t>(key), 0xFFF00000u | (5u << 10) | 6u);
    EXPECT_EQ(static_cast<uint32_t>(key >> 32), (0x11u << 27) | (3u << 12) | 0xFFFu);
    EXPECT_TRUE(ModelDrawList::SortClassFor(0x11, 3) == 0x0D && ModelDrawList::SortClassFor(0x11, 7) == 0x11);
    EXPECT_TRUE(ModelDrawList::SortClassFor(0x11, 25) == 0x11 && ModelDrawList::SortClassFor(0x12, 0) == 0x12);
    EXPECT_EQ(ModelDrawList::SortClassFor(0x02, 1), 0x0E);
}

class DrawListsTest : public rendertest::DrawTest
{
protected:
    D3DRenderer& R() { return *static_cast<D3DRenderer*>(gm.GetRenderer()); }

    // A registered part of 90 vertices (drawn one instance a draw after its own world matrix).
    struct Part
    {
        OptMesh mesh;
        OptMeshLOD level;
    };
    Part* MakePart(uint8_t sortClass, uint32_t diffuse)
    {
        parts.emplace_back();
        Part& p = parts.back();
        std::vector<LitTexVertex> vertices(90, LitTexVertex{});
        std::vector<uint16_t> indices(90);
        for (uint16_t i = 0; i < 90; ++i)
            indices[i] = i;
        const uint32_t handle = g_MeshManager.Register(1, 4, 90, vertices.data(), 90, indices.data());
        p.mesh.m_uVertexHandle = p.level.m_uIndexHandle = handle;
        p.level.m_uVertexCount = 90;
        p.level.m_uIndexCount = 90;
        p.level.m_uSortClass = sortClass;
        SMaterial material;
        material.m_uDiffuse = diffuse;
        InternMaterial(material, &p.level.m_parts, false);
        return &p;
    }

    // Adds an instance at x through the list's pool.
    bool Add(Part* p, float x, uint8_t override = 0)
    {
        Matrix* m = list().GetMatrixPool().Acquire();
        if (!m)
            return list().Add(&p->level, &p->mesh, nullptr, override, 0);
        *m = platform::MatrixTranslation(x, 0, 0);
        return list().Add(&p->level, &p->mesh, m, override, 0);
    }

    // The x of every world matrix written, in order.
    std::vector<float> DrawnX()
    {
        std::vector<float> out;
        for (const auto& w : Dev()->transformWrites)
            if (w.type == platform::TransformType::World && !platform::MatrixIsIdentity(w.matrix))
                out.push_back(w.matrix.m[3][0]);
        return out;
    }

    ModelDrawList& list() { return *gm.GetModelDrawList(); }
    MaterialBuckets& buckets() { return *gm.GetMaterialBuckets(); }
    std::deque<Part> parts;
};

TEST_F(DrawListsTest, OneRecordPerLevelAndChainWithTheInstancesChained)
{
    Part* p = MakePart(0, 0xFF111111);
    EXPECT_TRUE(Add(p, 1) && Add(p, 2) && list().GetCount() == 1u);
    ASSERT_NE(p->level.m_pInstances, nullptr);
    EXPECT_EQ(p->level.m_pInstances->m_pMatrix->m[3][0], 2.0f);
    ASSERT_NE(p->level.m_pInstances->m_pNext, nullptr);
    EXPECT_TRUE(p->level.m_pInstances->m_pNext->m_pNext == nullptr && Add(p, 3, 4) && list().GetCount() == 2u);
    EXPECT_EQ(p->level.m_pOverrideInstances->m_uOverride, 4);
    list().ClearChains();
    EXPECT_TRUE(p->level.m_pInstances == nullptr && p->level.m_pOverrideInstances == nullptr);
}

// Levels are drawn by key: opaque classes first (state set, then textures and the other sets), transparent ones
// last with the fog pushed out 100 times for them and the stored fog sent again after them.
TEST_F(DrawListsTest, DrawsInKeyOrderWithTransparentLevelsLast)
{
    gm.SetFog(10.0f, 20.0f, 0);
    const float plainFogEnd = R().GetFogEnd();
    Dev()->ClearLog();
    Part* glass = MakePart(16, 0xFF0000FF);
    Part* b = MakePart(0, 0xFF00FF00);
    Part* a = MakePart(0, 0xFFFF0000);
    Part* late = MakePart(2, 0xFFFF0000);
    ASSERT_NE(a->level.m_parts.m_iLightingSet, b->level.m_parts.m_iLightingSet);
    Add(glass, 1);
    Add(b, 2);
    Add(a, 3);
    Add(late, 4);
    Add(b, 5);
    list().Draw(&R(), false);

    // Within class 0 only the lighting set differs: the smaller number first.
    const bool aFirst = a->level.m_parts.m_iLightingSet < b->level.m_parts.m_iLightingSet;
    const std::vector<float> expected = aFirst ? std::vector<float>{3, 5, 2, 4, 1} : std::vector<float>{5, 2, 3, 4, 1};
    EXPECT_EQ(DrawnX(), expected);
    std::vector<float> fogEnds;
    for (const auto& write : Dev()->renderStateWrites)
        if (write.state == platform::RenderState::FogEnd)
            fogEnds.push_back(platform::BitsFloat(write.value));
    EXPECT_EQ(fogEnds, (std::vector<float>{plainFogEnd * 100.0f, plainFogEnd}));
    EXPECT_FLOAT_EQ(R().GetFogEnd(), plainFogEnd);

    // Without a transparent level the fog stays.
    gm.SetFog(10.0f, 20.0f, 0);
    list().Reset();
    Add(a, 1);
    list().Draw(&R(), false);
    EXPECT_FLOAT_EQ(R().GetFogEnd(), plainFogEnd);
}

// Equal keys keep the order they were added in.
TEST_F(DrawListsTest, EqualKeysKeepTheirOrder)
{
    Part* p = MakePart(0, 0xFF123456);
    Part* q = MakePart(0, 0xFF123456); // the same material: the same parts and key
    ASSERT_EQ(ModelDrawList::KeyOf(p->level, 0), ModelDrawList::KeyOf(q->level, 0));
    Add(q, 7);
    Add(p, 8);
    list().Draw(&R(), false);
    EXPECT_EQ(DrawnX(), (std::vector<float>{7, 8}));
}

// A full list, a used-up pool and missing matrices drop draws and count them for the frame.
TEST_F(DrawListsTest, LimitsDropAndCount)
{
    std::vector<OptMeshLOD> levels(ModelDrawList::kCapacity + 1);
    OptMesh mesh;
    for (uint32_t i = 0; i < ModelDrawList::kCapacity; ++i)
    {
        Matrix* m = list().GetMatrixPool().Acquire();
        ASSERT_TRUE(list().Add(&levels[i], &mesh, m, 0, 0));
    }
    Matrix* m = list().GetMatrixPool().Acquire();
    EXPECT_TRUE(!(list().Add(&levels.back(), &mesh, m, 0, 0)) && list().GetCount() == ModelDrawList::kCapacity);
    EXPECT_EQ(gm.GetDroppedModelDraws(), 1u);
    // Draws without a level, mesh or matrix are dropped too.
    list().Reset();
    Matrix* spare = list().GetMatrixPool().Acquire();
    EXPECT_TRUE(!(list().Add(nullptr, &mesh, spare, 0, 0)) && !(list().Add(&levels[0], nullptr, spare, 0, 0)));
    EXPECT_TRUE(!(list().Add(&levels[0], &mesh, nullptr, 0, 0)) && list().GetCount() == 0u);
    EXPECT_EQ(gm.GetDroppedModelDraws(), 4u);
    gm.GetModelDrawList()->ClearDropped();
    gm.GetMaterialBuckets()->ClearDropped();
    EXPECT_FALSE(list().Add(&levels[0], &mesh, nullptr, 0, 0));

    // 20,000 chain entries: the 20,001st draw of one level is dropped.
    list().Reset();
    for (uint32_t i = 0; i < MatrixPool::kCapacity; ++i)
        ASSERT_TRUE(list().Add(&levels[0], &mesh, list().GetMatrixPool().Acquire(), 0, 0));
    EXPECT_FALSE(list().Add(&levels[0], &mesh, list().GetMatrixPool().Acquire(), 0, 0));
    EXPECT_EQ(gm.GetDroppedModelDraws(), 2u);

    // The buckets: 20,000 matrices, then every Add is dropped.
    SubModel sub;
    sub.m_levels.resize(1);
    for (uint32_t i = 0; i < MatrixPool::kCapacity; ++i)
        ASSERT_NE(buckets().AcquireMatrix(), nullptr);
    EXPECT_TRUE(buckets().Add(&sub, &sub.m_levels[0], 0, 0, false) && buckets().AcquireMatrix() == nullptr);
    EXPECT_TRUE(!(buckets().Add(&sub, &sub.m_levels[0], 0, 0, false)) && gm.GetDroppedModelDraws() == 3u);

    // And 20,000 records.
    buckets().Reset();
    buckets().AcquireMatrix();
    for (uint32_t i = 0; i < MaterialBuckets::kRecordCapacity; ++i)
        ASSERT_TRUE(buckets().Add(&sub, &sub.m_levels[0], 0, 0, false));
    EXPECT_EQ(buckets().GetCount(), MaterialBuckets::kRecordCapacity);
    EXPECT_TRUE(!(buckets().Add(&sub, &sub.m_levels[0], 0, 0, false)) && gm.GetDroppedModelDraws() == 4u);

    // The count belongs to the frame.
    gm.EndFrame();
    ASSERT_TRUE(gm.BeginFrame(1));
    EXPECT_TRUE(gm.GetDroppedModelDraws() == 0u && list().GetCount() == 0u);
}

// A frame that was never drawn leaves no chains behind.
TEST_F(DrawListsTest, ResetEmptiesChains)
{
    Part* p = MakePart(0, 0xFF00FF00);
    Add(p, 1);
    gm.EndFrame();
    EXPECT_EQ(p->level.m_pInstances, nullptr);
}

// ---- material buckets

struct Quad
{
    SubModel sub;
    Quad(uint8_t blend, int32_t slot, uint8_t firstByte = 0)
    {
        const Vec3 positions[4] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}};
        const Vec3 normals[4] = {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}};
        const platform::Vec2 uvs[4] = {};
        const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
        sub.m_levels.resize(1);
        sub.SetPositions(positions, 4);
        sub.SetNormals(normals, 4);
        sub.SetTexCoords(uvs, 4);
        sub.SetIndices(0, indices, 6);
        sub.m_levels[0].m_material.m_uBlendMode = blend;
        sub.m_levels[0].m_material.m_aStages[0].m_iTexture = slot;
        sub.m_levels[0].m_auBytes[0] = firstByte;
    }
    const SubModelLOD* Level() const { return &sub.m_levels[0]; }
};

TEST(MaterialBucketsListTest, BlendModesChooseTheList)
{
    for (uint8_t blend : {0, 2, 8})
        EXPECT_EQ(MaterialBuckets::ListFor(*Quad(blend, 1).Level()), MaterialBuckets::Opaque);
    for (uint8_t blend : {1, 9})
        EXPECT_EQ(MaterialBuckets::ListFor(*Quad(blend, 1).Level()), MaterialBuckets::Blended);
    for (uint8_t blend : {3, 4, 5, 6, 7, 10})
    {
        EXPECT_EQ(MaterialBuckets::ListFor(*Quad(blend, 1, 0).Level()), MaterialBuckets::Second);
        EXPECT_EQ(MaterialBuckets::ListFor(*Quad(blend, 1, 9).Level()), MaterialBuckets::Third);
    }
}

class BucketsTest : public DrawListsTest
{
protected:
    void AddAt(const Quad& q, float x, uint32_t a = 0, bool shadow = true)
    {
        *buckets().AcquireMatrix() = platform::MatrixTranslation(x, 0, 0);
        buckets().Add(&q.sub, q.Level(), a, 0, shadow);
    }
    // The x of vertex 0 of every instance of every draw, draw by draw.
    std::vector<std::vector<float>> DrawnQuads()
    {
        std::vector<std::vector<float>> out;
        for (const auto& draw : Draws())
        {
            const auto decoded = rendertest::Decode<LitTexVertex>(draw);
            out.emplace_back();
            for (size_t v = 0; v < decoded.vertices.size(); v += 4)
                out.back().push_back(decoded.vertices[v].x);
        }
        return out;
    }
};

// Records sit in their slot's list in ascending level order, one level's records together and newest first;
// runs of one level and one material are one batch; opaque lists draw first, then third, second and blended.
TEST_F(BucketsTest, ListsRunsAndOrder)
{
    std::deque<Quad> quads;
    quads.emplace_back(0, 5);    // opaque, slot 5
    quads.emplace_back(0, 5);    // opaque, slot 5, another level
    quads.emplace_back(4, 2, 0); // second
    quads.emplace_back(4, 2, 1); // third
    quads.emplace_back(1, 1);    // blended
    quads.emplace_back(0, -1);   // no texture: never drawn
    const Quad* lowFirst[2] = {&quads[0], &quads[1]};
    if (lowFirst[1]->Level() < lowFirst[0]->Level())
        std::swap(lowFirst[0], lowFirst[1]);

    AddAt(quads[4], 500);
    AddAt(quads[2], 300);
    AddAt(quads[3], 400);
    AddAt(*lowFirst[1], 200);
    AddAt(*lowFirst[0], 100);
    AddAt(*lowFirst[1], 210);
    AddAt(*lowFirst[0], 110);
    AddAt(*lowFirst[0], 120, 3); // another material: a run of its own
    AddAt(quads[5], 600);
    EXPECT_EQ(buckets().GetCount(), 9u);

    const MaterialBuckets::List lowList = MaterialBuckets::Opaque;
    const ModelBatchEntry* head = buckets().GetHead(lowList, 5);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->m_pLevel, lowFirst[0]->Level());

    buckets().Draw(&R());
    const std::vector<std::vector<float>> expected = {{120}, {110, 100}, {210, 200}, {400}, {300}, {500}};
    EXPECT_EQ(DrawnQuads(), expected);
    // The lists are emptied by drawing.
    EXPECT_EQ(buckets().GetHead(lowList, 5), nullptr);
    Dev()->ClearLog();
    buckets().Draw(&R());
    EXPECT_TRUE(Draws().empty());
}

// Parts of the line kind are drawn as ribbons, one batch a record.
TEST_F(BucketsTest, LinePartsDrawAsRibbons)
{
    Quad lines(0, 6);
    lines.sub.m_uVertexKind = 4;
    lines.sub.m_uRecordCount = 1;
    const float record[8] = {-1, 0, 0, 1, 0, 0, 0.5f, 0};
    lines.sub.m_records.resize(32);
    std::memcpy(lines.sub.m_records.data(), record, sizeof(record));
    LookAlongZ();
    AddAt(lines, 0);
    Dev()->ClearLog();
    buckets().Draw(&R());
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].numVertices, 6u);
}

// The shadow pass draws the opaque lists by level with the shadow materials, stops a slot at a record that casts
// no shadow, and empties the opaque lists whether it is enabled or not.
TEST_F(BucketsTest, ShadowRunsByLevel)
{
    Quad plain(0, 3);
    Quad cutout(0, 4);
    cutout.sub.m_levels[0].m_material.m_uDepthAlphaFlags = 3;
    AddAt(plain, 10, 0);
    AddAt(plain, 20, 5); // another material, the same level: one shadow run
    AddAt(cutout, 30);
    AddAt(cutout, 40, 0, false); // newest first: this one ends the slot's walk
    gm.SetFog(10.0f, 20.0f, 0);
    const uint32_t fogColour = R().GetFogColour();
    R().BeginShadowPass(true, false);
    Dev()->ClearLog();
    buckets().DrawShadows(&R(), true);
    R().BeginShadowPass(false, false);
    EXPECT_EQ(R().GetFogColour(), fogColour); // the stored fog is sent again after the shadows' white fog
    EXPECT_EQ(DrawnQuads(), (std::vector<std::vector<float>>{{20, 10}}));
    EXPECT_EQ(buckets().GetHead(MaterialBuckets::Opaque, 3), nullptr);
    EXPECT_EQ(buckets().GetHead(MaterialBuckets::Opaque, 4), nullptr);

    // Reset empties every slot's lists, slot 0 too.
    Quad first(4, 0);
    AddAt(first, 1);
    ASSERT_NE(buckets().GetHead(MaterialBuckets::Second, 0), nullptr);
    buckets().Reset();
    EXPECT_EQ(buckets().GetHead(MaterialBuckets::Second, 0), nullptr);
    AddAt(cutout, 30);
    Dev()->ClearLog();
    buckets().DrawShadows(&R(), false);
    EXPECT_TRUE(Draws().empty() && buckets().GetHead(MaterialBuckets::Opaque, 4) == nullptr);

    // A cut-out level casts with the textured shadow material (table entry 18).
    buckets().Reset();
    AddAt(cutout, 30);
    const ModelBatchEntry* entry = buckets().GetHead(MaterialBuckets::Opaque, 4);
    ASSERT_NE(entry, nullptr);
    buckets().DrawShadows(&R(), true);
    EXPECT_EQ(entry->m_uMaterial, 0x12u);
}

} // namespace
