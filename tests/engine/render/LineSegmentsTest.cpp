// Tests of the thick lines: 12-bit colours, the growing segment list, ribbon geometry worked out by hand for a
// camera looking along +z, end-on segments, the batch limit, and the line sets of model parts.
#include "engine/render/LineSegments.h"
#include "DrawTestSupport.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/OptModel.h"
#include "engine/render/TmFormat.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

using platform::Vec3;

TEST(LineColourTest, PacksTheHighNibbles)
{
    EXPECT_EQ(PackLineColour(0x80FF7F3C), 0xF73u);
    EXPECT_EQ(UnpackLineColour(0xF73), 0xFFF07030u);
    EXPECT_EQ(PackLineColour(0x00000000), 0u);
    EXPECT_EQ(UnpackLineColour(0x000), 0xFF000000u);
    EXPECT_EQ(PackLineColour(0xFF102030), 0x123u);
}

TEST(LineSegmentListTest, GrowsByAHundredAndKeepsItsEntries)
{
    LineSegmentList list;
    EXPECT_EQ(list.GetCapacity(), 1000u);
    for (int i = 0; i < 1001; ++i)
        list.Add({float(i), 0, 0}, {0, float(i), 0}, 0.5f, 0xFFFFFFFF, 0xFF0000FF);
    EXPECT_EQ(list.GetCount(), 1001u);
    EXPECT_EQ(list.GetCapacity(), 1100u);
    EXPECT_EQ(list.Get(999).m_fStart[0], 999.0f);
    EXPECT_EQ(list.Get(1000).m_fEnd[1], 1000.0f);
    EXPECT_EQ(list.Get(1000).m_uStartColour, 0xFFFu);
    EXPECT_EQ(list.Get(1000).m_uEndColour, 0x00Fu);
    list.Reset();
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetCapacity(), 1100u);
}

class RibbonTest : public rendertest::DrawTest
{
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        LookAlongZ();
        Dev()->ClearLog();
    }
};

// A segment across the view at z = 20: the ribbon's sides are half its width above and below, the caps reach half
// its width beyond each end; colours by end.
TEST_F(RibbonTest, RibbonFacesTheCamera)
{
    gm.GetLineSegments()->Add({-1, 10, 20}, {1, 10, 20}, 0.5f, 0xFFFF0000, 0xFF00FF00);
    gm.DrawLineSegments(4, false);
    ASSERT_EQ(Draws().size(), 1u);
    const auto decoded = rendertest::Decode<TexturedVertex>(Draws()[0]);
    const std::vector<TexturedVertex> expected = {
        {-1.5f, 10, 20, 0xFFF00000, 0, 1},   {-1, 9.5f, 20, 0xFFF00000, 0.5f, 1}, {-1, 10.5f, 20, 0xFFF00000, 0, 0.5f},
        {1, 10.5f, 20, 0xFF00F000, 0.5f, 0}, {1, 9.5f, 20, 0xFF00F000, 1, 0.5f},  {1.5f, 10, 20, 0xFF00F000, 1, 0},
    };
    EXPECT_TRUE(rendertest::SameVertices(decoded.vertices, expected));
    const std::vector<uint32_t> indices = {0, 2, 1, 2, 4, 1, 2, 3, 4, 3, 5, 4};
    EXPECT_EQ(decoded.indices, indices);
}

// Seen end-on the ribbon collapses onto its two end points.
TEST_F(RibbonTest, EndOnSegmentsCoverNothing)
{
    gm.BeginRibbons(-1, 0);
    gm.AddRibbon({0, 10, 20}, {0, 10, 30}, 2.0f, 0xFFFFFFFF, 0xFFFFFFFF);
    gm.FlushRibbons();
    ASSERT_EQ(Draws().size(), 1u);
    const auto decoded = rendertest::Decode<TexturedVertex>(Draws()[0]);
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_EQ(decoded.vertices[i].x, 0.0f);
        EXPECT_EQ(decoded.vertices[i].z, i < 3 ? 20.0f : 30.0f);
    }
}

// 198 ribbons fill a batch: the 199th draws them first.
TEST_F(RibbonTest, BatchesOf198)
{
    gm.BeginRibbons(-1, 0);
    for (int i = 0; i < 199; ++i)
        gm.AddRibbon({-1, 10, 20.0f + i}, {1, 10, 20.0f + i}, 0.1f, 0xFFFFFFFF, 0xFFFFFFFF);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].numVertices, 198u * 6);
    EXPECT_EQ(Draws()[0].primitiveCount, 198u * 4);
    // Ribbon r takes vertices 6 r to 6 r + 5.
    const auto decoded = rendertest::Decode<TexturedVertex>(Draws()[0]);
    EXPECT_FLOAT_EQ(decoded.vertices[5].z, 20.0f);
    EXPECT_FLOAT_EQ(decoded.vertices[6].z, 21.0f);
    EXPECT_FLOAT_EQ(decoded.vertices[6 * 197].z, 217.0f);
    EXPECT_EQ(gm.GetRibbonCount(), 1u);
    gm.FlushRibbons();
    EXPECT_EQ(Draws().size(), 2u);
    gm.FlushRibbons(); // nothing left: no draw
    EXPECT_EQ(Draws().size(), 2u);
}

// A part's line records placed by its matrix, tinted by the material colour made opaque (saturating).
TEST_F(RibbonTest, LineSetsOfModelParts)
{
    SubModel sub;
    sub.m_uVertexKind = 4;
    sub.m_uRecordCount = 1;
    const float record[7] = {-1, 0, 0, 1, 0, 0, 0.5f};
    const uint32_t colour = 0x00F01010;
    sub.m_records.resize(32);
    std::memcpy(sub.m_records.data(), record, sizeof(record));
    std::memcpy(sub.m_records.data() + 28, &colour, 4);
    sub.m_levels.resize(1);
    sub.m_levels[0].m_material.m_uDiffuse = 0x00202020;
    const platform::Matrix place = platform::MatrixTranslation(0, 10, 20);
    ModelBatchEntry entry = {&place, &sub, &sub.m_levels[0], 0, 0, 0, nullptr};
    gm.DrawLineSet(entry);
    ASSERT_EQ(Draws().size(), 1u);
    const auto decoded = rendertest::Decode<TexturedVertex>(Draws()[0]);
    EXPECT_FLOAT_EQ(decoded.vertices[0].x, -1.5f);
    EXPECT_FLOAT_EQ(decoded.vertices[0].y, 10.0f);
    EXPECT_EQ(decoded.vertices[0].colour, 0xFFFF3030u);
    EXPECT_EQ(decoded.vertices[5].colour, 0xFFFF3030u);

    // Additive lines of a black material in a dark frame are skipped.
    Dev()->ClearLog();
    sub.m_levels[0].m_material.m_uDiffuse = 0xFF000000;
    gm.SetLight({0, -1, 0}, 0, 0xFFFFFFFF, 0, 0x1F1F1F);
    for (uint8_t blend : {1, 9})
    {
        sub.m_levels[0].m_material.m_uBlendMode = blend;
        gm.DrawLineSet(entry);
    }
    EXPECT_TRUE(Draws().empty());
    sub.m_levels[0].m_material.m_uBlendMode = 8; // not additive: drawn
    gm.DrawLineSet(entry);
    EXPECT_EQ(Draws().size(), 1u);
    Dev()->ClearLog();
    sub.m_levels[0].m_material.m_uBlendMode = 1;
    gm.SetLight({0, -1, 0}, 0, 0xFFFFFFFF, 0, 0xFFFFFFFF);
    gm.DrawLineSet(entry);
    EXPECT_EQ(Draws().size(), 1u);

    // More records claimed than stored: only the stored ones are drawn.
    Dev()->ClearLog();
    sub.m_uRecordCount = 50;
    gm.DrawLineSet(entry);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].numVertices, 6u);
}

// An optimised line mesh: its records for every chained instance, opaque in their own colour.
TEST_F(RibbonTest, LineMeshesDrawForEachInstance)
{
    OptMesh mesh;
    mesh.m_uKind = 3;
    const float record[7] = {-1, 0, 0, 1, 0, 0, 0.5f};
    const uint32_t colour = 0x00123456;
    mesh.m_records.resize(32);
    std::memcpy(mesh.m_records.data(), record, sizeof(record));
    std::memcpy(mesh.m_records.data() + 28, &colour, 4);
    OptMeshLOD level;
    const platform::Matrix at[2] = {platform::MatrixTranslation(0, 10, 20), platform::MatrixTranslation(0, 12, 20)};
    DrawInstance instances[2];
    instances[0].m_pMatrix = &at[0];
    instances[1].m_pMatrix = &at[1];
    instances[0].m_pNext = &instances[1];
    level.m_pOverrideInstances = &instances[0];
    gm.DrawModelLines(level, mesh, false); // the plain list is empty
    gm.FlushRibbons();
    EXPECT_TRUE(Draws().empty());
    gm.DrawModelLines(level, mesh, true);
    ASSERT_EQ(Draws().size(), 1u);
    const auto decoded = rendertest::Decode<TexturedVertex>(Draws()[0]);
    ASSERT_EQ(decoded.vertices.size(), 12u);
    EXPECT_FLOAT_EQ(decoded.vertices[0].y, 10.0f);
    EXPECT_FLOAT_EQ(decoded.vertices[6].y, 12.0f);
    EXPECT_EQ(decoded.vertices[11].colour, 0xFF123456u);
}

TEST_F(RibbonTest, BoxOutlineHasTwelveEdges)
{
    OrientedBox box;
    box.m_centre = {0, 10, 20};
    box.m_halfSize = {1, 2, 3};
    box.m_orientation = platform::MatrixIdentity();
    gm.DrawBoxOutline(box, 0xFFFFFFFF);
    gm.BeginBatch(BATCH_NONE, 0, 1);
    uint32_t lines = 0;
    for (const auto& draw : Draws())
        lines += draw.primitiveCount;
    EXPECT_EQ(lines, 12u);
}

// Lines on the OpenGL back end keep their own state whatever the draw before them left: the scene's white segment
// (material 0, which the table does not hold) writes depth, so the ground drawn behind it afterwards leaves it
// alone, and a line mesh comes out in its line colour plus its material colour, unlit.
TEST(LineGLTest, LinesKeepTheirStateWhateverWasDrawnBefore)
{
    constexpr uint32_t kSide = 64;
    rendertest::GLGraphics gl(kSide);
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL context";
    GraphicsManager& gm = g_GraphicsManager;
    Renderer& r = *gm.GetRenderer();
    gm.SetClearMode(true, 0xFF204080);
    gm.SetProjection(90.0f, 1.0f, 1.0f, 100.0f);
    gm.SetViewMatrix(platform::MatrixIdentity(), true);
    gm.SetEyePosition({0, 0, 0});

    // A line mesh: one wire of colour 0x804000 in a material of colour 0x110022.
    OptMesh wire;
    wire.m_uKind = 3;
    const float record[7] = {-2, 0, 0, 2, 0, 0, 0.5f};
    const uint32_t wireColour = 0x00804000;
    wire.m_records.resize(32);
    std::memcpy(wire.m_records.data(), record, sizeof(record));
    std::memcpy(wire.m_records.data() + 28, &wireColour, 4);
    OptMeshLOD level;
    SMaterial material;
    material.m_uDiffuse = 0xFF110022;
    material.m_uBlendMode = 0;
    material.m_aStages[0] = {0, 0, 0, -1, 0, 0};
    InternMaterial(material, &level.m_parts, false);
    const platform::Matrix wireAt = platform::MatrixTranslation(0, -1, 10);
    DrawInstance instance;
    instance.m_pMatrix = &wireAt;
    level.m_pInstances = &instance;

    // A quad in the plane z, clockwise on the screen.
    const auto quad = [&](float x0, float y0, float x1, float y1, float z, uint32_t colour)
    {
        const TexturedVertex v[4] = {
            {x0, y1, z, colour, 0, 0}, {x1, y1, z, colour, 0, 0}, {x1, y0, z, colour, 0, 0}, {x0, y0, z, colour, 0, 0}};
        const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
        r.SetWorldMatrix(platform::MatrixIdentity(), 5);
        r.DrawPolsTexCol(v, 4, indices, 6, -1, -1);
    };
    // What each frame draws last (and the next frame's lines come after): nothing, an additive pane that writes
    // no depth (material 8), a lit opaque quad (material 5), an alpha-blended quad (material 7).
    const struct
    {
        int32_t material;
        bool lit;
    } lastDraws[] = {{-1, false}, {8, false}, {5, true}, {7, true}, {-1, false}};
    for (const auto& last : lastDraws)
    {
        ASSERT_TRUE(gm.BeginFrame(0));
        // The screen point of (X, Y, Z) is (32 + 32 X / Z, 32 - 32 Y / Z): the segment covers rows 27 to 30 around
        // column 32, the wire rows 34 to 37.
        gm.GetLineSegments()->Add({-2, 1, 10}, {2, 1, 10}, 0.5f, 0xFFFFFFFF, 0xFFFFFFFF);
        gm.DrawLineSegments(0, false);
        gm.DrawModelLines(level, wire, false);
        // The ground, behind both, drawn afterwards as the model pass does.
        r.UseMaterial(5, -1, -1, false);
        quad(-40, -40, 40, 40, 20, 0xFF00FF00);
        if (last.material >= 0)
        {
            r.UseMaterial(last.material, -1, -1, last.lit);
            quad(-20, -20, -12, -12, 5, 0x80FF00FF); // bottom left, away from the lines
        }
        gm.EndFrame();

        uint32_t w = 0, h = 0;
        const std::unique_ptr<uint32_t[]> pixels = r.ReadBackBuffer(&w, &h);
        ASSERT_TRUE(pixels && w == kSide && h == kSide);
        const auto at = [&](int x, int y) { return pixels[y * kSide + x]; };
        // White packs to 12 bits as F0F0F0; the wire is 0x804000 + 0x110022 = 0x914022; the ground is green.
        EXPECT_TRUE(rendertest::NearRgb(at(32, 29), 0xF0F0F0)) << last.material << " " << std::hex << at(32, 29);
        EXPECT_TRUE(rendertest::NearRgb(at(32, 35), 0x914022)) << last.material << " " << std::hex << at(32, 35);
        EXPECT_TRUE(rendertest::NearRgb(at(32, 20), 0x00FF00)) << last.material << " " << std::hex << at(32, 20);
        gm.Present();
    }
}

} // namespace
