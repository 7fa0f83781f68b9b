// Tests of the billboard list on the recording device: order by key with equal keys in insertion order, batches
// of at most 50 quads split at every texture or material change, growth, and quads facing the camera.
#include "engine/render/BillboardList.h"
#include "DrawTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace
{

using rendertest::Decode;

class BillboardListTest : public rendertest::DrawTest
{
protected:
    // The quads of every draw, each quad named by the low 16 bits of its colour.
    std::vector<std::vector<uint32_t>> DrawnQuads()
    {
        std::vector<std::vector<uint32_t>> out;
        for (const auto& draw : Draws())
        {
            const auto decoded = Decode<TexturedVertex>(draw);
            std::vector<uint32_t> quads;
            for (size_t v = 0; v < decoded.vertices.size(); v += 4)
                quads.push_back(decoded.vertices[v].colour & 0xFFFF);
            out.push_back(quads);
        }
        return out;
    }

    BillboardList list;
};

TEST_F(BillboardListTest, EntriesComeOutByMaterialThenTextureInBatchesOfOneKey)
{
    // (texture, material) of each entry; the entry's number rides in its colour.
    const std::vector<std::pair<uint32_t, uint32_t>> keys = {{2, 1}, {1, 4}, {2, 1}, {1, 1},    {3, 8},
                                                             {1, 4}, {2, 8}, {1, 1}, {0x100, 1}};
    for (uint32_t i = 0; i < keys.size(); ++i)
        list.Add({float(i), 0.0f, 10.0f}, 1.0f, 0xFF000000u | i, keys[i].first, keys[i].second);
    list.Draw(gm);

    // By material, then texture: textures 1 and 2 of material 1 apart and the texture above 255 after them; equal
    // keys in the order added.
    EXPECT_EQ(DrawnQuads(), (std::vector<std::vector<uint32_t>>{{3, 7}, {0, 2}, {8}, {1, 5}, {6}, {4}}));
    EXPECT_EQ(list.GetCount(), 0u);
}

TEST_F(BillboardListTest, FiftyQuadsPerDrawWithTheSharedQuadIndices)
{
    for (uint32_t i = 0; i < 120; ++i)
        list.Add({0.0f, 0.0f, 10.0f}, 1.0f, 0xFF000000u | i, 5, 8);
    list.Add({0.0f, 0.0f, 10.0f}, 1.0f, 0xFF000000u | 120, 5, 9);
    list.Draw(gm);

    const auto quads = DrawnQuads();
    ASSERT_EQ(quads.size(), 4u);
    const size_t sizes[4] = {50, 50, 20, 1};
    uint32_t next = 0;
    for (size_t d = 0; d < 4; ++d)
    {
        ASSERT_EQ(quads[d].size(), sizes[d]);
        for (uint32_t id : quads[d])
            EXPECT_EQ(id, next++);
        EXPECT_EQ(Draws()[d].primitiveCount, sizes[d] * 2);
    }
    // Each quad: bottom-left, top-right, bottom-right, then bottom-left, top-left, top-right.
    const auto decoded = Decode<TexturedVertex>(Draws()[0]);
    ASSERT_EQ(decoded.indices.size(), 300u);
    EXPECT_EQ(std::vector<uint32_t>(decoded.indices.end() - 6, decoded.indices.end()),
              (std::vector<uint32_t>{196, 198, 197, 196, 199, 198}));
}

TEST_F(BillboardListTest, GrowsByAHundredAndNeverShrinks)
{
    EXPECT_EQ(list.GetCapacity(), 0u);
    list.Draw(gm);
    EXPECT_TRUE(Draws().empty());
    for (uint32_t i = 0; i < 100; ++i)
        list.Add({0.0f, 0.0f, 0.0f}, 1.0f, i, 1, 1);
    EXPECT_EQ(list.GetCapacity(), 100u);
    list.Add({1.0f, 2.0f, 3.0f}, 4.0f, 0x12345678, 7, 9);
    EXPECT_EQ(list.GetCapacity(), 200u);
    ASSERT_EQ(list.GetCount(), 101u);
    // The entries already written survive the move, and the new one has its zero word.
    EXPECT_EQ(list.GetEntries()[99].colour, 99u);
    const BillboardEntry& e = list.GetEntries()[100];
    EXPECT_TRUE(e.texture == 7 && e.material == 9 && e.colour == 0x12345678 && e.zero == 0 && e.size == 4 && e.z == 3);
    list.Draw(gm);
    EXPECT_TRUE(list.GetCount() == 0u && list.GetCapacity() == 200u);
}

TEST_F(BillboardListTest, QuadsFaceTheCameraPulledTowardsIt)
{
    // The eye at the origin looking along +x: view x is world -z, view y world y, view z world x.
    gm.SetViewMatrix(platform::MatrixLookAtLH({0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}), true);
    list.Add({10.0f, 1.0f, -3.0f}, 2.0f, 0xFF00FF00, 0, 4);
    list.Draw(gm);

    ASSERT_EQ(Draws().size(), 1u);
    const auto decoded = Decode<TexturedVertex>(Draws()[0]);
    ASSERT_EQ(decoded.vertices.size(), 4u);
    // In view space the centre is (3, 1, 10), pulled 1 unit (half the size) towards the eye.
    const float d = std::sqrt(9.0f + 1.0f + 100.0f);
    const float k = (d - 1.0f) / d;
    const float cx = 3.0f * k, cy = 1.0f * k, cz = 10.0f * k;
    const std::vector<TexturedVertex> expected = {{cx - 2.0f, cy - 2.0f, cz, 0xFF00FF00, 0.0f, 1.0f},
                                                  {cx + 2.0f, cy - 2.0f, cz, 0xFF00FF00, 1.0f, 1.0f},
                                                  {cx + 2.0f, cy + 2.0f, cz, 0xFF00FF00, 1.0f, 0.0f},
                                                  {cx - 2.0f, cy + 2.0f, cz, 0xFF00FF00, 0.0f, 0.0f}};
    EXPECT_TRUE(rendertest::SameVertices(decoded.vertices, expected));

    // The world matrix undoes the view: every corner lies in the plane x = 10k facing the eye.
    ASSERT_FALSE(Dev()->transformWrites.empty());
    const platform::Matrix& world = Dev()->transformWrites.back().matrix;
    for (const TexturedVertex& v : decoded.vertices)
    {
        const platform::Vec3 w = platform::Vec3TransformCoord({v.x, v.y, v.z}, world);
        EXPECT_NEAR(w.x, cz, 1e-4f);
        EXPECT_NEAR(std::fabs(w.y - cy), 2.0f, 1e-4f);
        EXPECT_NEAR(std::fabs(w.z + cx), 2.0f, 1e-4f);
    }
}

} // namespace
