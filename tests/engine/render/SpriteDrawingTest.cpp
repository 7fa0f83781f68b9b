// Tests of the camera-facing quads on the recording device: single billboards and sprite meshes (corners, facing,
// colours lit and faded, the pull towards the eye, the near-black rule, the draw lists' batch form) and the colour
// waves.
#include "engine/render/SpriteDrawing.h"
#include "DrawTestSupport.h"
#include "engine/render/BillboardList.h"
#include "engine/render/DrawLists.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/MaterialTable.h"
#include "engine/render/OptModel.h"
#include "engine/render/Waveform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

using platform::Vec3;
using rendertest::Decode;

class SpriteDrawingTest : public rendertest::DrawTest
{
protected:
    D3DRenderer& R() { return *static_cast<D3DRenderer*>(gm.GetRenderer()); }
    uint32_t Lighting()
    {
        uint32_t on = 2;
        Dev()->GetRenderState(platform::RenderState::Lighting, &on);
        return on;
    }
    // The eye at the origin looking along +x: view x is world -z, view y world y, view z world x.
    void LookAlongX()
    {
        gm.SetViewMatrix(platform::MatrixLookAtLH({0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}), true);
    }
    const platform::Matrix& LastWorld() { return Dev()->transformWrites.back().matrix; }
};

TEST_F(SpriteDrawingTest, BillboardIsASquareInTheCameraPlaneAtItsPosition)
{
    LookAlongX();
    // Something batched in 2D is drawn first.
    gm.DrawRect(0, 0, 4, 4, 0xFFFFFFFF);
    gm.DrawBillboard({10.0f, 1.0f, -3.0f}, 2.0f, 0x80FF0000, 0, 8);
    ASSERT_EQ(Draws().size(), 2u);
    const auto quad = Decode<TexturedVertex>(Draws()[1]);
    const std::vector<TexturedVertex> corners = {{-2.0f, -2.0f, 0.0f, 0x80FF0000, 0.0f, 1.0f},
                                                 {2.0f, -2.0f, 0.0f, 0x80FF0000, 1.0f, 1.0f},
                                                 {2.0f, 2.0f, 0.0f, 0x80FF0000, 1.0f, 0.0f},
                                                 {-2.0f, 2.0f, 0.0f, 0x80FF0000, 0.0f, 0.0f}};
    EXPECT_TRUE(rendertest::SameVertices(quad.vertices, corners));
    EXPECT_EQ(quad.indices, (std::vector<uint32_t>{0, 2, 1, 0, 3, 2}));
    // Through the world matrix: the corners stand in the plane x = 10 around the position, right being -z.
    const platform::Matrix& world = LastWorld();
    const Vec3 expected[4] = {{10.0f, -1.0f, -1.0f}, {10.0f, -1.0f, -5.0f}, {10.0f, 3.0f, -5.0f}, {10.0f, 3.0f, -1.0f}};
    for (int i = 0; i < 4; ++i)
    {
        const Vec3 w = platform::Vec3TransformCoord({quad.vertices[i].x, quad.vertices[i].y, 0.0f}, world);
        EXPECT_NEAR(w.x, expected[i].x, 1e-4f) << i;
        EXPECT_NEAR(w.y, expected[i].y, 1e-4f) << i;
        EXPECT_NEAR(w.z, expected[i].z, 1e-4f) << i;
    }

    // The next billboard moves the world matrix again, even straight after the last.
    gm.DrawBillboard({20.0f, 0.0f, 0.0f}, 1.0f, 0xFFFFFFFF, 0, 8);
    EXPECT_TRUE(LastWorld().m[3][0] == 20.0f && LastWorld().m[3][2] == 0.0f);

    // Size 0: a quad of one point, still drawn.
    Dev()->ClearLog();
    gm.DrawBillboard({1.0f, 2.0f, 3.0f}, 0.0f, 0xFFFFFFFF, 0, 8);
    ASSERT_EQ(Draws().size(), 1u);
    for (const TexturedVertex& v : Decode<TexturedVertex>(Draws()[0]).vertices)
        EXPECT_TRUE(v.x == 0.0f && v.y == 0.0f && v.z == 0.0f);
}

WaveRecord ConstantWave(uint32_t target, int16_t offset)
{
    WaveRecord w = {};
    w.uTarget = target;
    w.uShapeOp = WAVE_SINE;
    w.iOffset1 = offset; // value x 256; amplitude 0 keeps it constant
    return w;
}

TEST(ColourWavesTest, FlagBitsPickTheColourAndTheByte)
{
    uint32_t first = 0x11223344, second = 0x55667788, third = 0x99AABBCC;
    // 0.5 x 255 = 127.5 gives 0x7F; 2.0 saturates at 0xFF; -1.0 gives 0 (in byte 2 of the first, byte 0 of the
    // third).
    const WaveRecord waves[3] = {ConstantWave(0x011, 128), ConstantWave(0x800, 512), ConstantWave(0x104, -256)};
    EXPECT_TRUE(GraphicsManager::ApplyColourWaves(0, waves, 3, &first, &second, &third) == 0 && first == 0x1100337Fu);
    EXPECT_TRUE(second == 0x5566777Fu && third == 0xFFAABB00u);
    // Bits above the third colour (the specular power and the texture channels) write nothing.
    uint32_t a = 0, b = 0, c = 0;
    const WaveRecord power = ConstantWave(0xFFFFF000u | 0x2, 128);
    GraphicsManager::ApplyColourWaves(0, &power, 1, &a, &b, &c);
    EXPECT_TRUE(a == 0x7F00u && (b | c) == 0u);
    // A colour left out is not written; the others still are.
    uint32_t only = 0;
    GraphicsManager::ApplyColourWaves(0, waves, 3, nullptr, &only, nullptr);
    EXPECT_EQ(only, 0x7Fu);
}

TEST_F(SpriteDrawingTest, SpriteMeshParticlesAreLitFadedAndPulledTowardsTheEye)
{
    LookAlongX();
    // Light 0x80 per channel: the diffuse 0xFF x 0x80 / 256 = 0x7F, plus the second colour 0x102030.
    gm.SetLightBaseColour(0);
    gm.SetLight({0.0f, -1.0f, 0.0f}, 0x00808080, 0, 0, 0xFFFFFFFF);
    MaterialDescription description;
    description.m_material.m_uDiffuse = 0x80FFFFFF;
    description.m_material.m_uSpecular = 0x00102030;
    g_MaterialTable.Register(60, description);

    // Facing the eye, facing away, and at 45 degrees (up and towards the eye).
    const float r = std::sqrt(0.5f);
    // The fourth stands edge-on: drawn, fully faded.
    const SpriteParticle particles[4] = {{10.0f, 0.0f, 0.0f, 2.0f, -1.0f, 0.0f, 0.0f, 0x00101010},
                                         {10.0f, 0.0f, 0.0f, 2.0f, 1.0f, 0.0f, 0.0f, 0x00101010},
                                         {10.0f, 0.0f, 0.0f, 2.0f, -r, r, 0.0f, 0x00F0F0F0},
                                         {10.0f, 0.0f, 0.0f, 2.0f, 0.0f, 1.0f, 0.0f, 0x00101010}};
    gm.DrawSpriteMesh(particles, 0, 60, platform::MatrixTranslation(0.0f, 5.0f, 0.0f), true);
    EXPECT_TRUE(Draws().empty());

    gm.DrawSpriteMesh(particles, 4, 60, platform::MatrixTranslation(0.0f, 5.0f, 0.0f), true);
    ASSERT_EQ(Draws().size(), 3u);
    EXPECT_EQ(Decode<TexturedVertex>(Draws()[2]).vertices[0].colour, 0x009FAFBFu);
    // 0x7F7F7F + 0x102030 + 0x101010 = 0x9FAFBF; alpha round(255) x 0x80 / 256 = 127.
    EXPECT_EQ(Decode<TexturedVertex>(Draws()[0]).vertices[0].colour, 0x7F9FAFBFu);
    // Channels saturate; alpha round(180.3) x 0x80 / 256 = 90.
    EXPECT_EQ(Decode<TexturedVertex>(Draws()[1]).vertices[0].colour, 0x5AFFFFFFu);
    // The last quad's centre: (10, 5, 0) through the bone, pulled 1 unit towards the eye at the origin.
    const float k = 1.0f - 1.0f / std::sqrt(125.0f);
    EXPECT_NEAR(LastWorld().m[3][0], 10.0f * k, 1e-4f);
    EXPECT_NEAR(LastWorld().m[3][1], 5.0f * k, 1e-4f);
    EXPECT_NEAR(LastWorld().m[3][2], 0.0f, 1e-4f);

    // Unoriented: every particle drawn, with the material's alpha; unlit even after the material was applied lit.
    Dev()->ClearLog();
    gm.GetRenderer()->SetMaterial(g_MaterialTable.GetMaterial(60), true);
    gm.DrawSpriteMesh(particles, 3, 60, platform::MatrixIdentity(), false);
    EXPECT_EQ(Lighting(), 0u);
    ASSERT_EQ(Draws().size(), 3u);
    EXPECT_EQ(Decode<TexturedVertex>(Draws()[1]).vertices[0].colour, 0x809FAFBFu);

    // A particle at the eye itself stays there: there is no way towards it to pull along.
    Dev()->ClearLog();
    const SpriteParticle atEye[1] = {{0.0f, 0.0f, 0.0f, 2.0f, 0.0f, 0.0f, 0.0f, 0x00101010}};
    gm.DrawSpriteMesh(atEye, 1, 60, platform::MatrixIdentity(), false);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(std::vector<float>({LastWorld().m[3][0], LastWorld().m[3][1], LastWorld().m[3][2]}),
              std::vector<float>({0.0f, 0.0f, 0.0f}));
}

// Sprite meshes of optimised models as the draw list holds them: particle records of one level with its
// material parts, drawn for each chained instance.
struct SpriteLevel
{
    OptMesh mesh;
    OptMeshLOD level;
    SpriteLevel(uint8_t kind, const std::vector<SpriteParticle>& particles, uint32_t diffuse, uint8_t blend)
    {
        mesh.m_uKind = kind;
        mesh.m_records.resize(particles.size() * sizeof(SpriteParticle));
        std::memcpy(mesh.m_records.data(), particles.data(), mesh.m_records.size());
        SMaterial material;
        material.m_uDiffuse = diffuse;
        material.m_uBlendMode = blend;
        InternMaterial(material, &level.m_parts, false);
    }
};

// Nothing is drawn of an additive black sprite material in a scene whose shadow colour is dark, in every form;
// the draw list's form applies the rule only when asked to.
TEST_F(SpriteDrawingTest, AdditiveBlackSpritesInADarkSceneDrawNothing)
{
    LookAlongX();
    const SpriteParticle particle = {10.0f, 0.0f, 0.0f, 1.0f, -1.0f, 0.0f, 0.0f, 0x00FFFFFF};
    const platform::Matrix place = platform::MatrixIdentity();
    // clang-format off
    const struct { uint32_t ambient, diffuse; uint8_t blend; bool drawn; } cases[] = {
        {0x1F1F1F, 0xFF000000, 1, false}, {0x001F00, 0x80000000, 9, false}, // the alpha does not count
        {0x1F201F, 0xFF000000, 1, true},                                    // the scene's green is 32
        {0x1F1F1F, 0xFF000011, 9, true},  {0x1F1F1F, 0xFF110000, 1, true},  // not black
        {0x1F1F1F, 0xFF000000, 4, true},  {0x1F1F1F, 0xFF000000, 8, true},  // not additive
    };
    // clang-format on
    for (const auto& c : cases)
    {
        gm.SetLight({0.0f, -1.0f, 0.0f}, 0, 0, c.ambient, 0xFFFFFFFF);
        MaterialDescription description;
        description.m_material.m_uDiffuse = c.diffuse;
        description.m_material.m_uBlendMode = c.blend;
        g_MaterialTable.Register(61, description);
        SpriteLevel sprites(1, {particle}, c.diffuse, c.blend);
        DrawInstance instance;
        instance.m_pMatrix = &place;
        sprites.level.m_pInstances = &instance;
        Dev()->ClearLog();
        gm.DrawSpriteMesh(&particle, 1, 61, place, false);
        gm.DrawSpriteMeshBatch(sprites.level, sprites.mesh, 0, false, true);
        EXPECT_EQ(Draws().size(), c.drawn ? 2u : 0u)
            << std::hex << c.ambient << " " << c.diffuse << " " << int(c.blend);
        gm.DrawSpriteMeshBatch(sprites.level, sprites.mesh, 0, false, false);
        EXPECT_EQ(Draws().size(), c.drawn ? 3u : 1u);
    }
}

// The draw list's form: every instance's particles in view space, pulled half their size towards the eye, lit by
// the level's colours, 50 quads a draw; hidden instances and (oriented) particles facing away left out.
TEST_F(SpriteDrawingTest, SpriteMeshBatchDrawsEveryInstanceInViewSpace)
{
    gm.SetViewMatrix(platform::MatrixIdentity(), true);
    gm.SetLightBaseColour(0);
    gm.SetLight({0.0f, -1.0f, 0.0f}, 0x00808080, 0, 0x202020, 0xFFFFFFFF);
    std::vector<SpriteParticle> particles(60, SpriteParticle{0, 0, 0, 1, 0, 0, -1, 0x00102030});
    particles[1].nz = 1; // facing away from the eye
    SpriteLevel sprites(2, particles, 0xFF888888, 4);
    const platform::Matrix at[3] = {platform::MatrixTranslation(1, 2, 10), platform::MatrixTranslation(0, 0, 20),
                                    platform::MatrixTranslation(0, 0, 30)};
    DrawInstance instances[3];
    for (int i = 0; i < 3; ++i)
    {
        instances[i].m_pMatrix = &at[i];
        instances[i].m_pNext = i < 2 ? &instances[i + 1] : nullptr;
    }
    instances[1].SetTag(DrawInstance::kHidden);
    sprites.level.m_pOverrideInstances = &instances[0];
    gm.DrawSpriteMeshBatch(sprites.level, sprites.mesh, 0, false, false); // the plain chain is empty
    EXPECT_TRUE(Draws().empty());

    // Oriented: 59 particles of the first and the third instance, 50 quads then 68, after the pending 2D batch,
    // in the level's texture-transform set and unlit.
    gm.DrawLine(0, 0, 4, 4, 0xFFFFFFFF);
    gm.DrawSpriteMeshBatch(sprites.level, sprites.mesh, 1, true, false);
    ASSERT_EQ(Draws().size(), 4u);
    EXPECT_EQ(Draws()[0].type, platform::PrimitiveType::LineList);
    Dev()->draws.erase(Dev()->draws.begin());
    R().SetTextureTransformSet(-1, -1, -1);
    const uint32_t sets = R().GetStats(0).Get(RenderStats::TextureTransformChanges);
    gm.DrawSpriteMeshBatch(sprites.level, sprites.mesh, 1, true, false);
    EXPECT_EQ(R().GetStats(0).Get(RenderStats::TextureTransformChanges), sets + 1);
    EXPECT_EQ(Lighting(), 0u);
    Dev()->draws.resize(3);
    EXPECT_TRUE(Draws()[0].numVertices == 200u && Draws()[1].numVertices == 200u && Draws()[2].numVertices == 72u);
    const auto first = Decode<TexturedVertex>(Draws()[0]);
    ASSERT_EQ(first.indices.size(), 300u);
    EXPECT_EQ(std::vector<uint32_t>(first.indices.end() - 6, first.indices.end()),
              (std::vector<uint32_t>{196, 198, 197, 196, 199, 198}));
    // (1, 2, 10) pulled 0.5 towards the eye at the origin; corners 1 either side.
    const float k = 1.0f - 0.5f / std::sqrt(105.0f);
    EXPECT_NEAR(first.vertices[0].x, k - 1.0f, 1e-5f);
    EXPECT_NEAR(first.vertices[0].y, 2.0f * k - 1.0f, 1e-5f);
    EXPECT_NEAR(first.vertices[2].x, k + 1.0f, 1e-5f);
    EXPECT_NEAR(first.vertices[2].z, 10.0f * k, 1e-5f);
    // 0x88 x 0x80 / 256 = 0x44 a channel, plus the particle's 0x102030; facing the eye squarely, the alpha is
    // 255 x 255 / 256 = 254.
    EXPECT_EQ(first.vertices[0].colour, 0xFE546474u);
    const auto last = Decode<TexturedVertex>(Draws()[2]);
    EXPECT_NEAR(last.vertices[0].z, 29.5f, 1e-5f);
}

// The lists hand their sprite meshes to the graphics manager: the sorted list's levels of kinds 1 and 2, the
// buckets' source-form parts of vertex kinds 1 and 2 (one quad a draw).
TEST_F(SpriteDrawingTest, DrawListsDrawTheirSpriteMeshes)
{
    gm.SetViewMatrix(platform::MatrixIdentity(), true);
    const std::vector<SpriteParticle> particles(3, SpriteParticle{0, 0, 0, 1, 0, 0, -1, 0xFFFFFFFF});
    SpriteLevel plain(1, particles, 0xFFFFFFFF, 4), oriented(2, particles, 0xFFFFFFFF, 4);
    ModelDrawList& list = *gm.GetModelDrawList();
    for (SpriteLevel* s : {&plain, &oriented})
    {
        platform::Matrix* m = list.GetMatrixPool().Acquire();
        *m = platform::MatrixTranslation(0, 0, 10);
        ASSERT_TRUE(list.Add(&s->level, &s->mesh, m, 0, 0));
    }
    list.Draw(gm.GetRenderer(), false);
    list.ClearChains();
    ASSERT_EQ(Draws().size(), 2u);
    EXPECT_EQ(Draws()[0].numVertices + Draws()[1].numVertices, 24u);

    // In a dark scene, in an additive black material of their own: the part drawn in material 1 (white) instead
    // shows, the other adds nothing.
    Dev()->ClearLog();
    gm.SetLight({0.0f, -1.0f, 0.0f}, 0, 0, 0, 0xFFFFFFFF);
    MaterialBuckets& buckets = *gm.GetMaterialBuckets();
    SubModel parts[2];
    for (uint32_t kind : {1u, 2u})
    {
        SubModel& sub = parts[kind - 1];
        sub.m_uVertexKind = kind;
        sub.m_uRecordCount = 3;
        sub.m_records = plain.mesh.m_records;
        sub.m_levels.resize(1);
        sub.m_levels[0].m_material.m_aStages[0].m_iTexture = 0;
        sub.m_levels[0].m_material.m_uDiffuse = 0xFF000000;
        sub.m_levels[0].m_material.m_uBlendMode = 1;
        *buckets.AcquireMatrix() = platform::MatrixTranslation(0, 0, 10);
        ASSERT_TRUE(buckets.Add(&sub, &sub.m_levels[0], kind == 1 ? 1 : 0, 0, false));
    }
    buckets.Draw(gm.GetRenderer());
    EXPECT_EQ(Draws().size(), 3u);
}

} // namespace
