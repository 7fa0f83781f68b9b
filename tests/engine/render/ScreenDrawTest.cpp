// Tests of the screen and immediate drawing: the vertices and indices of every drawing call, the order of batched
// and immediate draws, many rectangles drawn together, polygon sets placed in the world, texture coordinates mapped
// into a page, point and ray conversions against hand-computed values.
#include "DrawTestSupport.h"
#include "TextureTestFiles.h"
#include "engine/render/TextureManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{

using platform::PrimitiveType;
using platform::Vec3;
using rendertest::Decode;
using rendertest::SameVertices;

using ScreenDrawTest = rendertest::DrawTest;
using CV = ColourVertex;
const std::vector<uint32_t> kQuad = {0, 1, 2, 0, 2, 3};
constexpr uint32_t c = 0x80000000;

TEST_F(ScreenDrawTest, EveryCallDrawsOrBatchesItsVerticesAndIndices)
{
    const int32_t fill[4] = {10, 20, 40, 30}; // left, top, bottom, right
    const uint32_t xywh[4] = {5, 6, 10, 20};
    const struct
    {
        const char* name;
        std::function<void()> draw;
        int32_t batch, texture, material; // the batch the call leaves open (BATCH_NONE: drawn at once)
        std::vector<CV> vertices;         // two make a line, three a triangle, four a quad
    } cases[] = {
        // clang-format off
        {"triangle", [&] { gm.DrawTriangle(1, 2, 3, 4, 5, 6, 1, 2, 3); }, BATCH_NONE, 0, 1, {{1, 2, 0, 1}, {3, 4, 0, 2}, {5, 6, 0, 3}}},
        {"pixel", [&] { gm.DrawPixel(7, -3, c); }, BATCH_NONE, 0, 1, {{7, -3, 0, c}, {8, -3, 0, c}, {8, -2, 0, c}, {7, -2, 0, c}}},
        {"xywh", [&] { gm.DrawRectXYWH(xywh, c); }, BATCH_NONE, 0, 1, {{5, 6, 0, c}, {15, 6, 0, c}, {15, 26, 0, c}, {5, 26, 0, c}}},
        {"fill: x 10 to 30, y 20 to 40", [&] { gm.FillRect(fill, c); }, BATCH_NONE, 0, 1,
         {{10, 20, 0, c}, {30, 20, 0, c}, {30, 40, 0, c}, {10, 40, 0, c}}},
        {"world line", [&] { gm.DrawLine3D({1, 2, 3}, {-4, -5, -6}, c); }, BATCH_COLOURED_LINES, 0, 1, {{1, 2, 3, c}, {-4, -5, -6, c}}},
        {"ground quad", [&] { gm.DrawGroundQuad(10, 1, 20, 4, 6, c, 9); }, BATCH_COLOURED_TRIS, -1, 9,
         {{8, 1, 17, c}, {8, 1, 23, c}, {12, 1, 23, c}, {12, 1, 17, c}}},
        // clang-format on
    };
    for (const auto& k : cases)
    {
        SCOPED_TRACE(k.name);
        Dev()->ClearLog();
        k.draw();
        EXPECT_EQ(Draws().size(), k.batch == BATCH_NONE ? 1u : 0u);
        EXPECT_TRUE(gm.GetBatchKind() == k.batch && gm.GetBatchTexture() == k.texture &&
                    gm.GetBatchMaterial() == k.material);
        gm.BeginBatch(BATCH_NONE, 0, 1);
        ASSERT_EQ(Draws().size(), 1u);
        const bool line = k.vertices.size() == 2;
        EXPECT_EQ(Draws()[0].type, line ? PrimitiveType::LineList : PrimitiveType::TriangleList);
        const auto drawn = Decode<CV>(Draws()[0]);
        const size_t n = k.vertices.size();
        EXPECT_EQ(drawn.indices, n == 4 ? kQuad : std::vector<uint32_t>(kQuad.begin(), kQuad.begin() + n));
        EXPECT_TRUE(SameVertices(drawn.vertices, k.vertices));
    }
}

TEST_F(ScreenDrawTest, ImmediateDrawsComeAfterTheBatchBeforeThemAndEmptySetsDoNothing)
{
    const int32_t fill[4] = {0, 0, 8, 8};
    const CV tri[3] = {{0, 0, 0, 7}, {1, 0, 0, 7}, {0, 1, 0, 7}};
    const uint16_t indices[3] = {0, 1, 2};
    gm.DrawLine(0, 0, 5, 0, 1);
    gm.DrawLine(0, 1, 5, 1, 2); // joins the first
    gm.DrawPolysAt(tri, 0, indices, 3, {1, 2, 3}, 4);
    EXPECT_TRUE(Dev()->ops.empty()); // no vertices: not even the lines are drawn
    gm.FillRect(fill, 3);
    gm.DrawLine(0, 2, 5, 2, 4);
    gm.DrawPolysAt(tri, 3, indices, 3, {1, 2, 3}, 4);
    const TexturedVertex textured[3] = {{0, 0, 0, 8, 0, 0}, {1, 0, 0, 8, 1, 0}, {0, 1, 0, 8, 0, 1}};
    gm.DrawLine(0, 3, 5, 3, 9);
    gm.DrawTexturedPolysAt(textured, 3, indices, 3, -1, -1, {4, 5, 6}, 4);

    ASSERT_EQ(Draws().size(), 6u);
    EXPECT_EQ(Draws()[0].primitiveCount, 2u); // both lines
    const uint32_t colours[3] = {3, 4, 7};
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(Decode<CV>(Draws()[i]).vertices[0].colour, colours[i - 1]);
    EXPECT_EQ(Decode<CV>(Draws()[4]).vertices[0].colour, 9u); // the line pending before the textured set
    EXPECT_EQ(Decode<TexturedVertex>(Draws()[5]).vertices[0].colour, 8u);
    // The sets are placed by their world matrix: translations (1, 2, 3), then (4, 5, 6).
    std::vector<float> placed; // the z of every world matrix that moves something
    for (const auto& write : Dev()->transformWrites)
        if (write.type == platform::TransformType::World && write.matrix.m[3][2] != 0.0f)
            placed.push_back(write.matrix.m[3][2]);
    EXPECT_EQ(placed, (std::vector<float>{3.0f, 6.0f}));
    EXPECT_EQ(Dev()->transformWrites.back().matrix.m[3][0], 4.0f);

    // A draw at once closes the open batch and leaves none: no kind, texture 0 and material 1, as at the start.
    gm.DrawGroundQuad(10, 1, 20, 4, 6, 5, 9);
    ASSERT_TRUE(gm.GetBatchKind() == BATCH_COLOURED_TRIS && gm.GetBatchTexture() == -1 && gm.GetBatchMaterial() == 9);
    gm.FillRect(fill, 3);
    EXPECT_TRUE(gm.GetBatchKind() == BATCH_NONE && gm.GetBatchTexture() == 0 && gm.GetBatchMaterial() == 1);
}

// Many rectangles at once: the vertices DrawRect gives each in turn, with the quad's indices moved on by four a
// rectangle, in a draw for every 500; an open batch drawn first, none left open; nothing for no rectangles.
TEST_F(ScreenDrawTest, RectanglesDrawnTogetherGiveEachRectanglesQuadInTurn)
{
    for (const size_t count : {size_t{0}, size_t{1}, size_t{499}, size_t{500}, size_t{501}, size_t{1201}})
    {
        SCOPED_TRACE(count);
        std::vector<ColourRect> rects;
        std::vector<CV> one;
        Dev()->ClearLog();
        for (size_t i = 0; i < count; ++i)
        {
            const float x = static_cast<float>(i % 97), y = static_cast<float>(i / 97);
            rects.push_back({x, y, x + 1.5f, y + 2.0f, static_cast<uint32_t>(0xFF000000u + i)});
            gm.DrawRect(x, y, x + 1.5f, y + 2.0f, static_cast<uint32_t>(0xFF000000u + i));
        }
        for (const auto& draw : Draws())
        {
            const auto drawn = Decode<CV>(draw);
            one.insert(one.end(), drawn.vertices.begin(), drawn.vertices.end());
        }
        Dev()->ClearLog();
        gm.DrawLine(0, 0, 5, 0, 1); // an open batch
        gm.DrawRects(rects);
        EXPECT_EQ(gm.GetBatchKind(), BATCH_NONE);
        const size_t draws = (count + 499) / 500;
        ASSERT_EQ(Draws().size(), 1 + draws);
        EXPECT_EQ(Draws()[0].type, PrimitiveType::LineList);
        std::vector<CV> together;
        for (size_t d = 1; d <= draws; ++d)
        {
            const auto drawn = Decode<CV>(Draws()[d]);
            const size_t quads = std::min<size_t>(500, count - (d - 1) * 500);
            ASSERT_EQ(drawn.indices.size(), quads * 6);
            for (size_t q = 0; q < quads; ++q)
                for (size_t k = 0; k < 6; ++k)
                    ASSERT_EQ(drawn.indices[q * 6 + k], 4 * q + kQuad[k]) << q;
            together.insert(together.end(), drawn.vertices.begin(), drawn.vertices.end());
        }
        EXPECT_TRUE(SameVertices(together, one));
    }
}

// The two-texture draws bind both slots' page textures, each on its own pipe.
TEST_F(ScreenDrawTest, TwoTextureDrawsBindBothTextures)
{
    ASSERT_TRUE(g_TextureManager.Init());
    const int32_t first = static_cast<int32_t>(g_TextureManager.CreateTexture(256, 256, "first"));
    const int32_t second = static_cast<int32_t>(g_TextureManager.CreateTexture(256, 256, "second"));
    D3DRenderer& r = *static_cast<D3DRenderer*>(gm.GetRenderer());
    platform::ITexture* const expected[2] = {r.GetTexture(DeviceTextureForSlot(first)),
                                             r.GetTexture(DeviceTextureForSlot(second))};
    ASSERT_TRUE(expected[0] && expected[1] && expected[0] != expected[1]);
    const TexturedVertex textured[3] = {};
    const NormalTexVertex normals[3] = {};
    const uint16_t tri[3] = {0, 1, 2};
    r.DrawPolsTexCol(textured, 3, tri, 3, first, second);
    r.DrawPolsTexNormal(normals, 3, tri, 3, second, first);
    ASSERT_EQ(Draws().size(), 2u);
    EXPECT_TRUE(Draws()[0].textures[0] == expected[0] && Draws()[0].textures[1] == expected[1]);
    EXPECT_TRUE(Draws()[1].textures[0] == expected[1] && Draws()[1].textures[1] == expected[0]);
    g_TextureManager.Shutdown();
}

TEST_F(ScreenDrawTest, TexturedCallsMapTextureCoordinatesIntoTheSlotsPage)
{
    ASSERT_TRUE(g_TextureManager.Init());
    // Two 64 x 64 DDTs of 32-bit texels that may share a page.
    texturetest::DDTSpec spec;
    spec.width = spec.height = 64;
    spec.ownPage = 0;
    for (const char* name : {"a.ddt", "b.ddt"})
        testsupport::WriteBytes(dir.File(name), texturetest::MakeDDT(spec, std::vector<uint8_t>(64 * 64 * 4, 0x80)));
    ASSERT_NE(g_TextureManager.Load("a.ddt", false, false), 0u);
    const int32_t s = static_cast<int32_t>(g_TextureManager.Load("b.ddt", false, false));
    // The second image lies beside the first on a shared 256 x 256 page, at (64, 0): u' = u / 4 + 1/4, v' = v / 4.
    const TexturePlacement p = g_TextureManager.GetPlacement(s);
    ASSERT_EQ(p.m_fUScale + p.m_fUOffset + p.m_fVScale + p.m_fVOffset, 0.75f);

    gm.DrawTexturedRect(10, 20, 30, 40, 0, 0, 1, 1, 5, s, 2);
    EXPECT_TRUE(gm.GetBatchKind() == BATCH_TEXTURED_TRIS && gm.GetBatchTexture() == s && gm.GetBatchMaterial() == 2);
    gm.DrawTexturedQuad(1, 2, 3, 4, 5, 6, 7, 8, 0.5f, 0.5f, 1, 1, 6, s, 2);
    gm.BeginBatch(BATCH_NONE, 0, 1);
    ASSERT_EQ(Draws().size(), 1u);
    // clang-format off
    EXPECT_TRUE(SameVertices(Decode<TexturedVertex>(Draws()[0]).vertices,
        {{10, 20, 0, 5, 0.25f, 0}, {30, 20, 0, 5, 0.5f, 0}, {30, 40, 0, 5, 0.5f, 0.25f}, {10, 40, 0, 5, 0.25f, 0.25f},
         {1, 2, 0, 6, 0.375f, 0.125f}, {3, 4, 0, 6, 0.5f, 0.125f}, {5, 6, 0, 6, 0.5f, 0.25f}, {7, 8, 0, 6, 0.375f, 0.25f}}));
    // clang-format on

    g_TextureManager.Shutdown();
}

TEST_F(ScreenDrawTest, PointsProjectAndScreenPointsGiveGroundPointsAndRays)
{
    LookAlongZ();
    Vec3 out;
    gm.ProjectToScreen({-2, 11, 2}, &out);
    EXPECT_NEAR(platform::Vec3Length(out - Vec3{100, 150, 0.505f}), 0.0f, 1e-3f);
    gm.ProjectToScreenWorld({0, 10, 5}, platform::MatrixTranslation(5, 5, 0), &out);
    EXPECT_NEAR(platform::Vec3Length(out - Vec3{700, 0, 0.808f}), 0.0f, 1e-3f);
    gm.TransformToView({1, 2, 3}, &out);
    EXPECT_TRUE(out.x == 1 && out.y == -8 && out.z == 3);
    // w = 3 here, and nothing is divided by it.
    TransformPoint({1, 2, 3}, {{{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 1}, {1, 1, 1, 0}}}, &out);
    EXPECT_TRUE(out.x == 3 && out.y == 7 && out.z == 13);

    // Under screen (x, y) lies the camera-space direction (x - 400, 300 - y, 400 / tan 35 degrees); the view has no
    // rotation, so the ray from the eye (0, 10, 0) runs along it.
    const float depth = static_cast<float>(400.0 / std::tan(35.0 * 3.14159265358979323846 / 180.0));
    const struct
    {
        int16_t x, y;
        float h;
        bool hit;
    } cases[] = {{100, 450, 2, true}, {400, 300, 0, false}, {400, 600, 10, false}};
    for (const auto& k : cases)
    {
        SCOPED_TRACE(testing::Message() << k.x << ", " << k.y << ", h " << k.h);
        const float dx = k.x - 400.0f, dy = 300.0f - k.y, t = (10.0f - k.h) / -dy;
        Vec3 ground = {-1, -1, -1};
        ASSERT_EQ(gm.PickGroundPoint(k.x, k.y, k.h, &ground), k.hit);
        const Vec3 expected = k.hit ? Vec3{t * dx, 0, t * depth} : Vec3{-1, -1, -1}; // a miss leaves out as it was
        EXPECT_NEAR(platform::Vec3Length(ground - expected), 0.0f, 1e-3f);
        Vec3 origin, direction;
        gm.GetPickRay(k.x, k.y, &origin, &direction);
        EXPECT_EQ(origin.y, 10.0f);
        EXPECT_NEAR(platform::Vec3Length(direction - platform::Vec3Normalize({dx, dy, depth})), 0.0f, 1e-5f);
    }
    // The eye moved sideways (the view kept): the ground point moves with it.
    gm.SetEyePosition({5, 10, -3});
    Vec3 moved;
    ASSERT_TRUE(gm.PickGroundPoint(100, 450, 2, &moved));
    const float t = 8.0f / 150.0f;
    EXPECT_NEAR(platform::Vec3Length(moved - Vec3{5 - 300 * t, 0, -3 + depth * t}), 0.0f, 1e-3f);
    gm.SetEyePosition({0, 10, 0});
    Vec3 origin, direction;
    gm.GetRayTowards({3, 14, 0}, &origin, &direction);
    EXPECT_NEAR(platform::Vec3Length(direction - Vec3{0.6f, 0.8f, 0}), 0.0f, 1e-6f);
    gm.GetRayTowards({0, 10, 0}, &origin, &direction); // too short to normalise: left as it is
    EXPECT_EQ(platform::Vec3Length(direction), 0.0f);
}

} // namespace
