// The whole road of a model on the OpenGL back end, headless: a .tm file with a textured, lit square is loaded
// (texture placed on its page, vertices registered in the shared buffers, material interned), drawn from the
// shared buffers with its material parts, and checked by pixels under a light head-on and at 60 degrees.
#include "DrawTestSupport.h"
#include "TextureTestFiles.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/MeshManager.h"
#include "engine/render/ModelManager.h"
#include "tools/tmtool/TmText.h"
#include "tools/tmtool/TmWriter.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{

constexpr uint32_t kSide = 64;

// A square 16 units wide at z = 10, facing the eye at the origin (clockwise seen from there), textured edge to
// edge; white diffuse, texture times the lit colour.
const char* const kSquare = R"(model
    bone "Root"
        submodel "Square"
            vertex -8 8 10 0 0 -1 0 0
            vertex 8 8 10 0 0 -1 1 0
            vertex 8 -8 10 0 0 -1 1 1
            vertex -8 -8 10 0 0 -1 0 1
            level 0
                indices 0 1 2 0 2 3
                material
                    layer 0 mode 1 sampling 0 bias 0 colourop 2 alphaop 2 texture "art\\halves.tga"
                    blend 0
                end
            end
        end
    end
end
)";

// Draws level 0 of the model's first mesh from the shared buffers with its material parts.
void DrawSquare(D3DRenderer& r, const OptModel& model)
{
    const OptMesh& mesh = model.m_bones[0].m_meshes[0];
    const OptMeshLOD& level = mesh.m_levels[0];
    const MeshRecord* vertices = g_MeshManager.GetMesh(mesh.m_uVertexHandle);
    const MeshRecord* indices = g_MeshManager.GetMesh(level.m_uIndexHandle);
    ASSERT_TRUE(vertices && indices);
    VertexBuffer* vb = r.GetVertexBufferByHandle(vertices->m_uVertexBuffer);
    IndexBuffer* ib = r.GetIndexBufferByHandle(indices->m_uIndexBuffer);
    ASSERT_TRUE(vb && ib);
    r.SetStreams(vb->GetDeviceBuffer(), vb->GetFormat(), vb->GetStride(), ib->GetDeviceBuffer(),
                 vertices->m_uBaseVertex);
    r.SetTexturePipe(0, level.m_aiTexture[0]);
    r.SetTexturePipe(1, level.m_aiTexture[1]);
    r.SetTexCoordSet(level.m_parts.m_iStateSet);
    r.SetTextureTransformSet(level.m_parts.m_iTextureTransformSet, level.m_aiTexture[0], level.m_aiTexture[1]);
    r.SetLightingSet(level.m_parts.m_iLightingSet);
    r.ApplyTexturePipes();
    r.SetWorldMatrix(platform::MatrixIdentity(), D3DRenderer::kTagAlways);
    ASSERT_FALSE(platform::GfxFailed(r.GetDevice()->DrawIndexedPrimitive(
        platform::PrimitiveType::TriangleList, 0, level.m_uVertexCount, indices->m_uFirstIndex, 2)));
}

TEST(GLModelTest, LitTexturedModelFromItsFile)
{
    rendertest::GLGraphics gl(kSide);
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL context";
    // A 32 x 32 texture: the left half blue, the right half yellow.
    std::vector<uint32_t> texels(32 * 32);
    for (size_t i = 0; i < texels.size(); ++i)
        texels[i] = (i % 32) < 16 ? 0xFF0000FF : 0xFFFFFF00;
    std::filesystem::create_directories(gl.dir.File("art"));
    testsupport::WriteBytes(gl.dir.File("art/halves.tga"), texturetest::MakeTGA(32, 32, texels));
    SModel source;
    std::string error;
    ASSERT_TRUE(tmtool::ParseModelText(kSquare, &source, &error)) << error;
    testsupport::WriteBytes(gl.dir.File("square.tm"), tmtool::WriteTmModel(source));

    g_ModelManager.Init(8, true);
    const OptModel* model = g_ModelManager.GetOptModel(g_ModelManager.Load("square.tm"));
    ASSERT_NE(model, nullptr);
    ASSERT_GT(model->m_bones[0].m_meshes[0].m_levels[0].m_aiTexture[0], 0);

    GraphicsManager& gm = g_GraphicsManager;
    D3DRenderer& r = *static_cast<D3DRenderer*>(gm.GetRenderer());
    gm.SetClearMode(true, 0xFF204080);
    gm.SetProjection(90.0f, 1.0f, 1.0f, 100.0f);
    gm.SetViewMatrix(platform::MatrixIdentity(), true);

    // Light 0x80 in every channel; the lit colour is the light x the diffuse 255 read back as (255 + 15) / 255,
    // times the cosine of the angle: 0x80 / 255 x 270 / 255 = 0.5315 head-on (136), half that at 60 degrees (68).
    // No emissive scale, no vertex colours for the ambient part, no highlight.
    const struct
    {
        platform::Vec3 direction;
        uint32_t lit;
    } lights[] = {{{0.0f, 0.0f, 1.0f}, 136}, {{0.0f, -0.8660254f, 0.5f}, 68}};
    for (const auto& light : lights)
    {
        SCOPED_TRACE(light.lit);
        ASSERT_TRUE(gm.BeginFrame(0));
        r.SetLight(0xFF000000, 0xFF808080, 0, light.direction, 0);
        DrawSquare(r, *model);
        gm.EndFrame();
        uint32_t w = 0, h = 0;
        const std::unique_ptr<uint32_t[]> pixels = r.ReadBackBuffer(&w, &h);
        ASSERT_TRUE(pixels && w == kSide && h == kSide);
        // The square covers the middle 80% of the view; quarter-way across lies on each half of the texture.
        EXPECT_TRUE(rendertest::NearRgb(pixels[32 * kSide + 20], light.lit, 3)) << std::hex << pixels[32 * kSide + 20];
        const uint32_t yellow = light.lit << 16 | light.lit << 8;
        EXPECT_TRUE(rendertest::NearRgb(pixels[32 * kSide + 44], yellow, 3)) << std::hex << pixels[32 * kSide + 44];
        EXPECT_TRUE(rendertest::NearRgb(pixels[2 * kSide + 2], 0x204080)) << std::hex << pixels[2 * kSide + 2];
        gm.Present();
    }
}

} // namespace
