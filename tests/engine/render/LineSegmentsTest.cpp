// Tests of the thick lines: 12-bit colours, the growing segment list, ribbon geometry worked out by hand for a
// camera looking along +z, end-on segments, the batch limit, the line sets of model parts in both forms, and on
// headless OpenGL lines that keep their own state whatever was drawn before them.
#include "engine/render/LineSegments.h"
#include "DrawTestSupport.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/OptModel.h"
#include "engine/render/TmFormat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

namespace
{

using platform::Vec3;

TEST(LineSegmentListTest, PacksTheHighNibblesAndGrowsByAHundred)
{
    EXPECT_TRUE(PackLineColour(0x80FF7F3C) == 0xF73 && PackLineColour(0) == 0 && PackLineColour(0xFF102030) == 0x123);
    EXPECT_TRUE(UnpackLineColour(0xF73) == 0xFFF07030u && UnpackLineColour(0) == 0xFF000000u);
    LineSegmentList list;
    EXPECT_EQ(list.GetCapacity(), 1000u);
    for (int i = 0; i < 1001; ++i)
        list.Add({float(i), 0, 0}, {0, float(i), 0}, 0.5f, 0xFFFFFFFF, 0xFF0000FF);
    EXPECT_TRUE(list.GetCount() == 1001 && list.GetCapacity() == 1100);
    EXPECT_TRUE(list.Get(999).m_fStart[0] == 999 && list.Get(1000).m_fEnd[1] == 1000);
    EXPECT_TRUE(list.Get(1000).m_uStartColour == 0xFFF && list.Get(1000).m_uEndColour == 0x00F);
    list.Reset();
    EXPECT_TRUE(list.GetCount() == 0 && list.GetCapacity() == 1100);
}

// One 32-byte line record: from (-1, 0, 0) to (1, 0, 0), width 0.5, in the colour.
std::vector<uint8_t> LineRecord(uint32_t colour)
{
    const float record[7] = {-1, 0, 0, 1, 0, 0, 0.5f};
    std::vector<uint8_t> bytes(32);
    std::memcpy(bytes.data(), record, sizeof(record));
    std::memcpy(bytes.data() + 28, &colour, 4);
    return bytes;
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
// its width beyond each end; colours by end. Seen end-on a ribbon collapses onto its two end points.
TEST_F(RibbonTest, RibbonFacesTheCamera)
{
    gm.GetLineSegments()->Add({-1, 10, 20}, {1, 10, 20}, 0.5f, 0xFFFF0000, 0xFF00FF00);
    gm.DrawLineSegments(4, false);
    ASSERT_EQ(Draws().size(), 1u);
    const auto decoded = rendertest::Decode<TexturedVertex>(Draws()[0]);
    EXPECT_TRUE(rendertest::SameVertices(decoded.vertices, {{-1.5f, 10, 20, 0xFFF00000, 0, 1},
                                                            {-1, 9.5f, 20, 0xFFF00000, 0.5f, 1},
                                                            {-1, 10.5f, 20, 0xFFF00000, 0, 0.5f},
                                                            {1, 10.5f, 20, 0xFF00F000, 0.5f, 0},
                                                            {1, 9.5f, 20, 0xFF00F000, 1, 0.5f},
                                                            {1.5f, 10, 20, 0xFF00F000, 1, 0}}));
    EXPECT_EQ(decoded.indices, (std::vector<uint32_t>{0, 2, 1, 2, 4, 1, 2, 3, 4, 3, 5, 4}));

    gm.BeginRibbons(-1, 0);
    gm.AddRibbon({0, 10, 20}, {0, 10, 30}, 2.0f, 0xFFFFFFFF, 0xFFFFFFFF);
    gm.FlushRibbons();
    ASSERT_EQ(Draws().size(), 2u);
    const auto endOn = rendertest::Decode<TexturedVertex>(Draws()[1]);
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(endOn.vertices[i].x == 0 && endOn.vertices[i].z == (i < 3 ? 20.0f : 30.0f)) << i;
}

// 198 ribbons fill a batch: the 199th draws them first.
TEST_F(RibbonTest, BatchesOf198)
{
    gm.BeginRibbons(-1, 0);
    for (int i = 0; i < 199; ++i)
        gm.AddRibbon({-1, 10, 20.0f + i}, {1, 10, 20.0f + i}, 0.1f, 0xFFFFFFFF, 0xFFFFFFFF);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_TRUE(Draws()[0].numVertices == 198 * 6 && Draws()[0].primitiveCount == 198 * 4);
    // Ribbon r takes vertices 6 r to 6 r + 5.
    const auto decoded = rendertest::Decode<TexturedVertex>(Draws()[0]);
    EXPECT_TRUE(decoded.vertices[5].z == 20 && decoded.vertices[6].z == 21 && decoded.vertices[6 * 197].z == 217);
    EXPECT_EQ(gm.GetRibbonCount(), 1u);
    gm.FlushRibbons();
    gm.FlushRibbons(); // nothing left: no draw
    EXPECT_EQ(Draws().size(), 2u);
}

// The line sets of model parts, source form and optimised: the records placed by each matrix (every chained
// instance of an optimised level), in the line colour plus the material colour made opaque (saturating); additive
// lines of a black material in a dark frame are skipped.
TEST_F(RibbonTest, LineSetsOfModelPartsInBothForms)
{
    SubModel sub;
    sub.m_uVertexKind = 4;
    sub.m_uRecordCount = 50; // more than stored: only the stored one is drawn
    sub.m_records = LineRecord(0x00F01010);
    sub.m_levels.resize(1);
    SMaterial& material = sub.m_levels[0].m_material;
    OptMesh mesh;
    mesh.m_uKind = 3;
    mesh.m_records = sub.m_records;
    OptMeshLOD level;
    const platform::Matrix at[2] = {platform::MatrixTranslation(0, 10, 20), platform::MatrixTranslation(0, 12, 20)};
    DrawInstance instances[2];
    instances[0] = {&at[0], &instances[1]};
    instances[1] = {&at[1], nullptr};
    level.m_pOverrideInstances = &instances[0];
    const ModelBatchEntry entry = {&at[0], &sub, &sub.m_levels[0], 0, 0, 0, nullptr};
    // clang-format off
    const struct { uint32_t mask, diffuse; uint8_t blend; uint32_t colour; } cases[] = {
        {0xFFFFFFFF, 0x00222222, 0, 0xFFFF3232}, {0x1F1F1F, 0xFF000000, 1, 0}, {0x1F1F1F, 0x00000000, 9, 0},
        {0x1F1F1F, 0xFF000000, 8, 0xFFF01010}, // not additive: drawn
        {0x1F1F1F, 0x00000011, 1, 0xFFF01021}, // not black
        {0xFF0000, 0x00000000, 1, 0xFFF01010}, // not a dark frame
    };
    // clang-format on
    for (const auto& c : cases)
    {
        gm.SetLight({0, -1, 0}, 0, 0xFFFFFFFF, 0, c.mask);
        material.m_uDiffuse = c.diffuse;
        material.m_uBlendMode = c.blend;
        InternMaterial(material, &level.m_parts, false);
        Dev()->ClearLog();
        gm.DrawLineSet(entry);
        // Whatever placed the last model, the lines are placed by their own matrices alone.
        gm.GetRenderer()->SetWorldMatrix(platform::MatrixTranslation(0, 100, 0), D3DRenderer::kTagAlways);
        gm.DrawModelLines(level, mesh, false); // the plain chain is empty
        gm.DrawModelLines(level, mesh, true);
        ASSERT_EQ(Draws().size(), c.colour ? 2u : 0u) << std::hex << c.mask << " " << c.diffuse;
        if (!c.colour)
            continue;
        const platform::RecordingDevice::TransformWrite* world = nullptr;
        for (const platform::RecordingDevice::TransformWrite& write : Dev()->transformWrites)
            if (write.type == platform::TransformType::World)
                world = &write;
        ASSERT_NE(world, nullptr);
        EXPECT_EQ(world->matrix.m[3][1], 0.0f) << "the model lines were drawn moved by the last model's matrix";
        const auto set = rendertest::Decode<TexturedVertex>(Draws()[0]);
        const auto lines = rendertest::Decode<TexturedVertex>(Draws()[1]);
        ASSERT_TRUE(set.vertices.size() == 6 && lines.vertices.size() == 12);
        EXPECT_TRUE(set.vertices[0].x == -1.5f && set.vertices[0].y == 10 && lines.vertices[6].y == 12);
        EXPECT_TRUE(set.vertices[5].colour == c.colour && lines.vertices[11].colour == c.colour)
            << std::hex << c.colour;
    }
    // A level without material parts is black, but not additive: drawn in a dark frame too.
    gm.SetLight({0, -1, 0}, 0, 0xFFFFFFFF, 0, 0x1F1F1F);
    level.m_parts = {};
    Dev()->ClearLog();
    gm.DrawModelLines(level, mesh, true);
    EXPECT_EQ(Draws().size(), 1u);
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
    // A line mesh: one wire of colour 0x804000 in a material of colour 0x110022, one unit below the eye.
    OptMesh wire;
    wire.m_uKind = 3;
    wire.m_records = LineRecord(0x00804000);
    OptMeshLOD level;
    SMaterial material;
    material.m_uDiffuse = 0xFF110022;
    material.m_uBlendMode = 0;
    material.m_aStages[0] = {0, 0, 0, -1, 0, 0};
    InternMaterial(material, &level.m_parts, false);
    const platform::Matrix wireAt = platform::MatrixTranslation(0, -1, 10);
    DrawInstance instance = {&wireAt};
    level.m_pInstances = &instance;
    // A quad in the plane z, clockwise on the screen.
    const auto quad = [&](float x0, float y0, float x1, float y1, float z, uint32_t c)
    {
        const TexturedVertex v[4] = {
            {x0, y1, z, c, 0, 0}, {x1, y1, z, c, 0, 0}, {x1, y0, z, c, 0, 0}, {x0, y0, z, c, 0, 0}};
        const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
        r.SetWorldMatrix(platform::MatrixIdentity(), 5);
        r.DrawPolsTexCol(v, 4, indices, 6, -1, -1);
    };
    // What is drawn just before the lines: nothing, an additive pane that writes no depth (material 8), a lit
    // opaque quad (material 5), an alpha-blended quad (material 7); each after a blue post in front of the
    // segment (columns 36 to 41, rows 26 to 30), which must stay in front of it.
    for (const auto& [material, lit] : {std::pair{-1, false}, {8, false}, {5, true}, {7, true}, {-1, false}})
    {
        ASSERT_TRUE(gm.BeginFrame(0));
        r.UseMaterial(5, -1, -1, false);
        quad(0.6f, 0.2f, 1.5f, 1.0f, 5, 0xFF0000FF);
        if (material >= 0)
        {
            r.UseMaterial(material, -1, -1, lit);
            quad(-20, -20, -12, -12, 5, 0x80FF00FF); // bottom left, away from the lines
        }
        // The screen point of (X, Y, Z) is (32 + 32 X / Z, 32 - 32 Y / Z): the segment covers rows 27 to 30 around
        // column 32, the wire rows 34 to 37.
        gm.GetLineSegments()->Add({-2, 1, 10}, {2, 1, 10}, 0.5f, 0xFFFFFFFF, 0xFFFFFFFF);
        gm.DrawLineSegments(0, false);
        gm.DrawModelLines(level, wire, false);
        // The ground, behind both, drawn afterwards as the model pass does.
        r.UseMaterial(5, -1, -1, false);
        quad(-40, -40, 40, 40, 20, 0xFF00FF00);
        gm.EndFrame();
        uint32_t w = 0, h = 0;
        const std::unique_ptr<uint32_t[]> pixels = r.ReadBackBuffer(&w, &h);
        ASSERT_TRUE(pixels && w == kSide && h == kSide);
        // White packs to 12 bits as F0F0F0; the wire is 0x804000 + 0x110022 = 0x914022; the ground is green.
        for (const auto& [x, y, rgb] :
             {std::tuple{32, 29, 0xF0F0F0u}, {32, 35, 0x914022u}, {32, 20, 0x00FF00u}, {38, 29, 0x0000FFu}})
            EXPECT_TRUE(rendertest::NearRgb(pixels[y * kSide + x], rgb)) << material << " " << std::hex << rgb;
        gm.Present();
    }
}

} // namespace
