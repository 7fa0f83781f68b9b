// Tests of the draw batcher, the text queue and the debug boxes on the recording device: when a batch is drawn and
// what it holds, queued text quads, the full run table, the bounded stores and the shaded boxes.
#include "DrawTestSupport.h"
#include "engine/render/MaterialTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace
{

using platform::Vec3;
using rendertest::Decode;
using rendertest::SameVertices;

class DrawBatcherTest : public rendertest::DrawTest
{
protected:
    void Rect(int32_t slot, int32_t material) { gm.DrawTexturedRect(0, 0, 10, 10, 0, 0, 1, 1, ~0u, slot, material); }
    void Line() { gm.DrawLine(0, 0, 1, 1, ~0u); }
    void Box() { gm.DrawShadedBox({0, 0, 0, 1, 1, 1, ~0u}); }
    void Flush() { gm.BeginBatch(BATCH_NONE, 0, 1); }
    void QueueRun(const Vec3& anchor, uint32_t colour, int quads = 1, int32_t texture = -1)
    {
        gm.BeginTextQueue(anchor, colour, texture);
        for (int q = 0; q < quads; ++q) // the call's own colour, slot and material are not used
            gm.DrawTexturedRect(-10, -5, 10, 5, 0, 0, 1, 1, 0xFF123456, -1, 3);
        gm.EndTextQueue();
    }
};

TEST_F(DrawBatcherTest, BatchIsDrawnOnStateChangeOrOnceItHolds1900Vertices)
{
    // clang-format off
    const struct
    {
        const char* name;
        std::function<void()> first, next;
        int nexts;
        size_t draws;           // before the closing flush
        uint32_t drawnVertices; // by the first draw
    } cases[] = {
        {"same state", [this] { Rect(-1, 2); }, [this] { Rect(-1, 2); }, 1, 0, 0},
        {"other texture", [this] { Rect(-1, 2); }, [this] { Rect(5, 2); }, 1, 1, 4},
        {"other kind", [this] { Rect(-1, 2); }, [this] { Line(); }, 1, 1, 4},
        {"1898 + 2 vertices", [this] { Line(); }, [this] { Line(); }, 949, 0, 0},
        {"1900 + 2 vertices", [this] { Line(); }, [this] { Line(); }, 950, 1, 1900},
        // 80 boxes hold 1920 vertices and 2880 indices; the 81st draws them.
        {"1920 + 24 vertices", [this] { Box(); }, [this] { Box(); }, 80, 1, 1920},
    };
    // clang-format on
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        Dev()->ClearLog();
        c.first();
        for (int i = 0; i < c.nexts; ++i)
            c.next();
        ASSERT_EQ(Draws().size(), c.draws);
        EXPECT_EQ(c.draws ? Draws()[0].numVertices : 0u, c.drawnVertices);
        Flush();
        EXPECT_EQ(gm.GetBatchKind(), BATCH_NONE);
    }
    // Boxes are drawn in material 1 (whose state set differs from material 2's).
    Rect(-1, 2);
    Flush();
    const auto& renderer = *static_cast<D3DRenderer*>(gm.GetRenderer());
    ASSERT_NE(g_MaterialTable.GetParts(1).m_iStateSet, g_MaterialTable.GetParts(2).m_iStateSet);
    Box();
    EXPECT_TRUE(gm.GetBatchKind() == BATCH_COLOURED_TRIS && gm.GetBatchTexture() == 0 && gm.GetBatchMaterial() == 1);
    Flush();
    EXPECT_EQ(renderer.GetRememberedStateSet(), g_MaterialTable.GetParts(1).m_iStateSet);
    // Two rectangles of one state are one draw of both quads; with nothing pending a flush calls nothing.
    Dev()->ClearLog();
    Rect(-1, 2);
    Rect(-1, 2);
    Flush();
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Decode<TexturedVertex>(Draws()[0]).indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}));
    Dev()->ClearLog();
    Flush();
    EXPECT_TRUE(Dev()->ops.empty());
}

TEST_F(DrawBatcherTest, QueuedTextQuadsSitAroundTheAnchorsScreenPointOneDrawEach)
{
    LookAlongZ();
    QueueRun({0, 10, 5}, 0xFF00FF00, 2); // the screen centre, depth 1.01 x 4 / 5
    QueueRun({0, 10, -5}, 0xFFFF0000);   // behind the eye: dropped, still counted
    QueueRun({0, 10, 200}, 0xFFFF0000);  // beyond the far plane: the same
    QueueRun({0, 10, 5}, 0xFF0000FF, 0); // no quads: draws nothing
    const TextQueue& queue = gm.GetTextQueue();
    EXPECT_TRUE(queue.runCount == 4 && queue.quadCount == 4 && gm.GetBatchKind() == BATCH_NONE);

    gm.DrawQueuedText();
    ASSERT_EQ(Draws().size(), 2u);
    const float z = 1.01f * 4.0f / 5.0f;
    const uint32_t c = 0xFF00FF00;
    for (const auto& draw : Draws())
    {
        const auto quad = Decode<TexturedVertex>(draw);
        EXPECT_EQ(quad.indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
        EXPECT_TRUE(SameVertices(
            quad.vertices,
            {{390, 295, z, c, 0, 0}, {410, 295, z, c, 1, 0}, {410, 305, z, c, 1, 1}, {390, 305, z, c, 0, 1}}));
    }
    gm.EndFrame();
    ASSERT_TRUE(gm.BeginFrame(1)); // a new frame empties the queue
    EXPECT_EQ(queue.runCount + queue.quadCount, 0);
}

TEST_F(DrawBatcherTest, TextOnTheFarPlaneIsDroppedAndARunWithoutQuadsStillSelectsItsTexture)
{
    // Near 1 and far 2 make the depth 2 - 2 / z exactly: 0 at the near plane, 1 at the far one.
    gm.SetProjection(90.0f, 4.0f / 3.0f, 1.0f, 2.0f);
    gm.SetViewMatrix(platform::MatrixTranslation(0.0f, -10.0f, 0.0f), true);
    gm.ApplyProjection();
    QueueRun({0, 10, 2}, 0xFFFF0000, 1, 5);    // depth 1.0: dropped
    QueueRun({0, 10, 1.5f}, 0xFF00FF00, 1, 5); // depth 2/3: drawn
    QueueRun({0, 10, 1.5f}, 0xFF0000FF, 0, 7); // no quads
    const TextQueue& queue = gm.GetTextQueue();
    EXPECT_TRUE(queue.quadCount == 2 && queue.runs[0].vertexCount == 0);

    const auto& renderer = *static_cast<D3DRenderer*>(gm.GetRenderer());
    Rect(-1, 2); // pending in the batch: drawn first, under the texts
    const uint32_t before = renderer.GetStats(0).Get(RenderStats::TextureTransformChanges);
    gm.DrawQueuedText();
    ASSERT_EQ(Draws().size(), 2u);
    EXPECT_EQ(Decode<TexturedVertex>(Draws()[0]).vertices[0].colour, ~0u);
    const auto quad = Decode<TexturedVertex>(Draws()[1]);
    EXPECT_EQ(quad.vertices[0].colour, 0xFF00FF00u);
    EXPECT_NEAR(quad.vertices[0].z, 2.0f / 3.0f, 1e-6f);
    // The rectangle's untextured selection is the one the screen pass started with (no change); texture 5 for the
    // first run, kept for the second, then texture 7 for the empty third: two selections.
    EXPECT_EQ(renderer.GetStats(0).Get(RenderStats::TextureTransformChanges) - before, 2u);
}

// Coloured batches select their material with no texture: a line batch after a box batch of the same material
// selects nothing new, a textured batch of it selects its texture, and the next box batch no texture again.
TEST_F(DrawBatcherTest, ColouredBatchesSelectTheirMaterialWithoutTextures)
{
    const auto& renderer = *static_cast<D3DRenderer*>(gm.GetRenderer());
    const auto selections = [&] { return renderer.GetStats(0).Get(RenderStats::TextureTransformChanges); };
    Box(); // material 1, like the lines
    Flush();
    const uint32_t afterBox = selections();
    const struct
    {
        const char* name;
        std::function<void()> draw;
        uint32_t selections; // since the first box
    } steps[] = {
        {"line", [this] { Line(); }, 0}, {"textured", [this] { Rect(5, 1); }, 1}, {"box", [this] { Box(); }, 2}};
    for (const auto& step : steps)
    {
        step.draw();
        Flush();
        EXPECT_EQ(selections() - afterBox, step.selections) << step.name;
    }
}

TEST_F(DrawBatcherTest, FullRunTableDropsTheNextRunAndItsQuadsAndThePoolStopsAt5000Quads)
{
    LookAlongZ();
    for (int r = 0; r < TextQueue::kRunCapacity; ++r)
        QueueRun({0, 10, 5}, 0xFF00FF00);
    QueueRun({0, 10, 5}, 0xFFFF0000); // the 2001st run
    const TextQueue& queue = gm.GetTextQueue();
    EXPECT_TRUE(queue.runCount == 2000 && queue.poolVertices == 8000);
    gm.DrawQueuedText();
    ASSERT_EQ(Draws().size(), 2000u);
    for (const auto& draw : Draws())
        ASSERT_EQ(Decode<TexturedVertex>(draw).vertices[0].colour, 0xFF00FF00u);

    gm.ResetTextQueue();
    QueueRun({0, 10, 5}, 0xFF00FF00, TextQueue::kQuadCapacity + 3);
    EXPECT_TRUE(queue.quadCount == 5000 && queue.poolVertices == 20000 && queue.runs[0].vertexCount == 20000);
    gm.EndTextQueue(); // no run open: nothing counted
    EXPECT_EQ(queue.runCount, 1);
}

TEST_F(DrawBatcherTest, DebugBoxesAreShadedByTheLightAndDrawnAtTheStartOf2D)
{
    gm.SetLight({2, 3, 6}, 0, 0, 0, ~0u); // normalised to (2, 3, 6) / 7
    const DebugBox box = {1, 2, 3, 2, 4, 6, 0x80C86432};
    gm.DrawShadedBox(box);
    Flush();
    ASSERT_EQ(Draws().size(), 1u);
    const auto drawn = Decode<ColourVertex>(Draws()[0]);
    ASSERT_TRUE(drawn.vertices.size() == 24 && drawn.indices.size() == 36);
    // Faces +x, -z, -x, +z, -y, +y, four corners each on its face; bytes times 0.5 + 0.5 (n . light), alpha kept:
    // n . light is 2/7, -6/7, -2/7, 6/7, -3/7, 3/7, so 200, 100 and 50 become (+x) 128.6, 64.3, 32.1; (-z) 14.3,
    // 7.1, 3.6; (-x) 71.4, 35.7, 17.9; (+z) 185.7, 92.9, 46.4; (-y) 57.1, 28.6, 14.3; (+y) 142.9, 71.4, 35.7.
    const Vec3 normals[6] = {{1, 0, 0}, {0, 0, -1}, {-1, 0, 0}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}};
    const uint32_t colours[6] = {0x80804020, 0x800E0703, 0x80472311, 0x80B95C2E, 0x80391C0E, 0x808E4723};
    const Vec3 half = {1, 2, 3}; // the box's half size, and its centre too
    for (uint32_t f = 0; f < 6; ++f)
    {
        Vec3 corner[4];
        for (uint32_t c = 0; c < 4; ++c)
        {
            const ColourVertex& v = drawn.vertices[4 * f + c];
            corner[c] = Vec3{v.x, v.y, v.z} - half; // relative to the centre: each part is plus or minus half
            EXPECT_EQ(v.colour, colours[f]) << f;
            EXPECT_TRUE(std::fabs(corner[c].x) == half.x && std::fabs(corner[c].y) == half.y &&
                        std::fabs(corner[c].z) == half.z)
                << f << " " << c;
            EXPECT_FLOAT_EQ(platform::Vec3Dot(corner[c], normals[f]), std::fabs(platform::Vec3Dot(normals[f], half)))
                << f << " " << c;
        }
        // Both triangles (0, 1, 2) and (0, 2, 3) face out of the box and cover the whole face.
        for (const auto& [a, b] : {std::pair{1, 2}, std::pair{2, 3}})
        {
            const Vec3 cross = platform::Vec3Cross(corner[a] - corner[0], corner[b] - corner[0]);
            // The face's two full edges: 2 x 2 x the product of the halves across the normal.
            const float area = 4.0f * half.x * half.y * half.z / std::fabs(platform::Vec3Dot(normals[f], half));
            EXPECT_FLOAT_EQ(platform::Vec3Dot(cross, normals[f]), area) << f << " " << b;
        }
    }
    // The queue holds 100 boxes; Begin2D draws them (two batches) and empties it.
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(gm.QueueDebugBox(box));
    EXPECT_FALSE(gm.QueueDebugBox(box));
    Dev()->ClearLog();
    gm.Begin2D();
    EXPECT_EQ(gm.GetDebugBoxCount(), 0u);
    ASSERT_EQ(Draws().size(), 2u);
    EXPECT_EQ(Draws()[0].numVertices + Draws()[1].numVertices, 2400u);
}

} // namespace
