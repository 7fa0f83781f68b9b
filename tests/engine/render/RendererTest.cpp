// Tests of the renderer's device life on the recording device: the render-state memory and its reset, fog, blend
// modes, world-matrix tags, lost-device reset, frame statistics, clearing, light and device information.
#include "engine/render/D3DRenderer.h"

#include "RenderTestSupport.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/MeshManager.h"
#include "engine/render/Waveform.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace
{

using platform::RenderState;
using platform::TextureStageState;
using rendertest::RecordingTest;
using Op = platform::RecordingDevice::Op;

class RendererTest : public RecordingTest
{
};

const ColourVertex kQuad[4] = {
    {0, 0, 0, 0xFFFF0000}, {1, 0, 0, 0xFFFF0000}, {1, 1, 0, 0xFFFF0000}, {0, 1, 0, 0xFFFF0000}};
const uint16_t kQuadIndices[6] = {0, 1, 2, 0, 2, 3};

TEST_F(RendererTest, ResetWritesAndRemembersEveryStateAndTheCacheWritesOnlyChanges)
{
    D3DRenderer& r = CreateRenderer();
    r.ResetRenderStates();
    platform::RecordingDevice* d = Device();
    EXPECT_EQ(d->RenderStateWritesOf(RenderState::CullMode), std::vector<uint32_t>{platform::CullMode::CCW});
    EXPECT_EQ(d->RenderStateWritesOf(RenderState::StencilFunc), std::vector<uint32_t>{platform::CompareFunc::Greater});
    for (uint32_t i = 0; i < platform::kRenderStateCount; ++i)
    {
        const auto state = static_cast<RenderState>(i);
        EXPECT_TRUE(!RenderStateCache::IsRemembered(state) || d->RenderStateWritesOf(state).size() == 1u) << i;
    }
    for (uint32_t stage = 0; stage < 4; ++stage)
        EXPECT_EQ(d->StageStateWritesOf(stage, TextureStageState::MipMapLodBias),
                  std::vector<uint32_t>{platform::FloatBits(-0.6f)});

    // Remembered: the same value again costs nothing, a new value is written once; the others always go out.
    RenderStateCache& cache = r.GetStateCache();
    d->ClearLog();
    EXPECT_FALSE(cache.Set(RenderState::ZFunc, platform::CompareFunc::LessEqual));
    EXPECT_FALSE(cache.SetStage(3, TextureStageState::AddressU, platform::TextureAddress::Wrap));
    EXPECT_TRUE(cache.Set(RenderState::ZFunc, platform::CompareFunc::Less));
    EXPECT_TRUE(!(cache.Set(RenderState::ZFunc, platform::CompareFunc::Less)) && cache.Set(RenderState::LastPixel, 1));
    EXPECT_TRUE(cache.SetStage(4, TextureStageState::AddressU, platform::TextureAddress::Wrap));
    EXPECT_TRUE(cache.SetStage(4, TextureStageState::AddressU, platform::TextureAddress::Wrap)); // not remembered
    EXPECT_EQ(d->RenderStateWritesOf(RenderState::ZFunc), std::vector<uint32_t>{platform::CompareFunc::Less});
    EXPECT_TRUE(d->renderStateWrites.size() == 2u && d->stageStateWrites.size() == 2u);
    // A state number past the table is neither written nor remembered.
    d->ClearLog();
    EXPECT_FALSE(cache.Set(static_cast<RenderState>(platform::kRenderStateCount), 1));
    EXPECT_FALSE(cache.SetStage(0, static_cast<TextureStageState>(platform::kTextureStageStateCount), 1));
    EXPECT_FALSE(cache.GetStage(RenderStateCache::kStages, TextureStageState::AddressU, nullptr));
    EXPECT_TRUE(cache.GetStage(RenderStateCache::kStages - 1, TextureStageState::AddressU, nullptr));
    EXPECT_TRUE(d->renderStateWrites.empty() && d->stageStateWrites.empty());
    // A device attached afresh holds none of the remembered values: they are written again.
    cache.Attach(d);
    EXPECT_TRUE(cache.Set(RenderState::ZFunc, platform::CompareFunc::Less));
    EXPECT_TRUE(cache.SetStage(3, TextureStageState::AddressU, platform::TextureAddress::Wrap));
}

TEST_F(RendererTest, FogAndBlendModesWriteOnlyWhatChanges)
{
    D3DRenderer& r = CreateRenderer();
    platform::RecordingDevice* d = Device();
    r.SetFog(0.0f, 200.0f, 0x00406080); // a start of 0 is fog on
    EXPECT_EQ(d->RenderStateWritesOf(RenderState::FogEnable), std::vector<uint32_t>{1});
    EXPECT_EQ(d->RenderStateWritesOf(RenderState::FogEnd), std::vector<uint32_t>{platform::FloatBits(200.0f)});
    EXPECT_EQ(d->RenderStateWritesOf(RenderState::FogVertexMode), std::vector<uint32_t>{platform::FogMode::Linear});
    EXPECT_TRUE(d->RenderStateWritesOf(RenderState::FogTableMode).empty()); // none already
    d->ClearLog();
    r.SetFog(0.0f, 200.0f, 0x00406080);
    EXPECT_TRUE(d->renderStateWrites.empty());
    r.SetFog(-1.0f, 50.0f, 0x00FFFFFF); // a negative start turns fog off and writes nothing else
    EXPECT_EQ(d->renderStateWrites.size(), 1u);
    EXPECT_EQ(d->RenderStateWritesOf(RenderState::FogEnable), std::vector<uint32_t>{0});

    using platform::BlendFactor;
    // clang-format off
    const uint32_t table[][4] = {
        {0, 0, BlendFactor::One, BlendFactor::Zero}, {1, 1, BlendFactor::One, BlendFactor::One},
        {2, 1, BlendFactor::Zero, BlendFactor::One}, {3, 1, BlendFactor::SrcColour, BlendFactor::SrcAlpha},
        {4, 1, BlendFactor::SrcAlpha, BlendFactor::InvSrcAlpha},
        {0, 0, BlendFactor::One, BlendFactor::Zero}, // blending off between the modes that keep it on
        {5, 1, BlendFactor::InvSrcAlpha, BlendFactor::SrcAlpha}, {6, 1, BlendFactor::SrcAlpha, BlendFactor::SrcAlpha},
        {7, 1, BlendFactor::InvSrcAlpha, BlendFactor::InvSrcAlpha}, {0, 0, BlendFactor::One, BlendFactor::Zero},
        {8, 1, BlendFactor::SrcColour, BlendFactor::Zero}, {9, 1, BlendFactor::SrcAlpha, BlendFactor::One},
        {0, 0, BlendFactor::One, BlendFactor::Zero}, {11, 1, BlendFactor::Zero, BlendFactor::SrcColour},
        {12, 1, BlendFactor::DestColour, BlendFactor::One},
    };
    // clang-format on
    for (const auto& row : table)
    {
        r.SetBlendMode(row[0]);
        uint32_t got[3] = {99, 99, 99};
        d->GetRenderState(RenderState::AlphaBlendEnable, &got[0]);
        d->GetRenderState(RenderState::SrcBlend, &got[1]);
        d->GetRenderState(RenderState::DestBlend, &got[2]);
        EXPECT_TRUE(got[0] == row[1] && got[1] == row[2] && got[2] == row[3]) << "mode " << row[0];
    }
    d->ClearLog();
    r.SetBlendMode(12);
    r.SetBlendMode(10); // unused and unknown modes change nothing
    r.SetBlendMode(13);
    EXPECT_TRUE(d->renderStateWrites.empty());
}

TEST_F(RendererTest, SceneStartViewsTheWholeScreenAgainOutsideTheShadowPass)
{
    D3DRenderer& r = CreateRenderer();
    // The device's creation made the wave tables: the saw rises from -1.
    ASSERT_NE(GetWaveformTable(WAVE_SAW), nullptr);
    EXPECT_EQ(GetWaveformTable(WAVE_SAW)[0], -1.0f);
    ASSERT_TRUE(r.BeginScene(0.0f, 0));
    r.BeginShadowPass(true, false);
    ASSERT_TRUE(r.IsShadowPass());
    r.EndFrame();
    r.SetViewport(10.0f, 110.0f, 20.0f, 70.0f);
    platform::Viewport viewport;
    Device()->GetViewport(&viewport);
    EXPECT_TRUE(viewport.X == 10 && viewport.Y == 20 && viewport.Width == 100 && viewport.Height == 50);
    r.SetViewport(50.0f, 10.0f, 70.0f, 70.0f); // right of its right edge, no height: empty
    Device()->GetViewport(&viewport);
    EXPECT_TRUE(viewport.X == 50 && viewport.Y == 70 && viewport.Width == 0 && viewport.Height == 0);
    ASSERT_TRUE(r.BeginScene(0.0f, 0));
    Device()->GetViewport(&viewport);
    EXPECT_TRUE(viewport.X == 0 && viewport.Y == 0 && viewport.Width == 800 && viewport.Height == 600);
    EXPECT_FALSE(r.IsShadowPass());
}

TEST_F(RendererTest, DepthRangeClampAndStateValidation)
{
    using platform::TextureAddress;
    D3DRenderer& r = CreateRenderer();
    platform::RecordingDevice* d = Device();
    r.SetDepthRange(0.25f, 0.5f);
    platform::Viewport viewport;
    d->GetViewport(&viewport);
    EXPECT_TRUE(viewport.X == 0 && viewport.Width == 800 && viewport.Height == 600 && viewport.MinZ == 0.25f &&
                viewport.MaxZ == 0.5f);

    // Clamping applies to the first two stages only, in both directions.
    r.SetTextureClamp(true);
    for (uint32_t stage = 0; stage < 3; ++stage)
        for (auto state : {TextureStageState::AddressU, TextureStageState::AddressV})
            EXPECT_EQ(d->StageStateWritesOf(stage, state),
                      stage < 2 ? std::vector<uint32_t>{TextureAddress::Clamp} : std::vector<uint32_t>{})
                << stage;
    r.SetTextureClamp(false);
    EXPECT_EQ(d->StageStateWritesOf(1, TextureStageState::AddressV).back(), uint32_t(TextureAddress::Wrap));

    // Validation binds texture 1 on the stages the set uses, asks the device, and leaves the starting state.
    ASSERT_TRUE(r.ReserveTexture(8, 8, 4, 1));
    StateSet set{};
    set.m_uColourOp1 = 1;
    r.SetWireframe(0, true);
    d->ClearLog();
    EXPECT_TRUE(r.ValidateStateSet(set) && d->CountOps(Op::ValidateDevice) == 1u);
    ASSERT_EQ(d->textureBinds.size(), 2u);
    EXPECT_TRUE(d->textureBinds[0].texture == r.GetTexture(1) && d->textureBinds[1].texture == r.GetTexture(1));
    EXPECT_EQ(d->RenderStateWritesOf(RenderState::FillMode).back(), uint32_t(platform::FillMode::Solid));
    // What validation bound is known to be bound: asking for it again costs nothing.
    r.SetDeviceTexturePipe(0, 1);
    r.SetDeviceTexturePipe(1, 1);
    d->ClearLog();
    r.ApplyTexturePipes();
    EXPECT_TRUE(d->textureBinds.empty());
    set.m_uColourOp1 = 0;
    hook.config.failValidateDevice = true;
    renderer->Release();
    CreateRenderer();
    ASSERT_TRUE(renderer->ReserveTexture(8, 8, 4, 1));
    Device()->ClearLog();
    EXPECT_TRUE(!renderer->ValidateStateSet(set) && Device()->textureBinds.size() == 1u);
}

TEST_F(RendererTest, WorldMatrixTagsSkipRepeats)
{
    D3DRenderer& r = CreateRenderer();
    platform::RecordingDevice* d = Device();
    const platform::Matrix m = platform::MatrixTranslation(1, 2, 3);
    r.SetWorldMatrix(m, 3);
    r.SetWorldMatrix(platform::MatrixIdentity(), 3);
    EXPECT_EQ(d->CountOps(Op::SetTransform), 1u);
    r.SetWorldMatrix(m, 5);
    r.SetWorldMatrix(m, 5);
    EXPECT_EQ(d->CountOps(Op::SetTransform), 3u);
    r.SetWorldMatrix(m, 0); // tag 0 sets the identity whatever is given
    platform::Matrix world;
    d->GetTransform(platform::TransformType::World, &world);
    EXPECT_TRUE(platform::MatrixIsIdentity(world));
}

TEST_F(RendererTest, LostDeviceIsResetWithStreamsAndStatesRebuilt)
{
    D3DRenderer& r = CreateRenderer();
    platform::RecordingDevice* d = Device();
    const uint32_t vb = r.CreateVertexBuffer(0, 100);
    ASSERT_TRUE(r.ReserveTexture(8, 8, 4, 7));
    const TexturedVertex tex[3] = {};
    const uint16_t tri[3] = {0, 1, 2};
    ASSERT_TRUE(r.BeginScene(0.0f, 0));
    r.DrawPolsUntexCol(kQuad, 4, kQuadIndices, 6, 0);
    r.DrawPolsTexColTPage(tex, 3, tri, 3, 7);
    r.EndFrame();

    d->InjectDeviceLost(1);
    EXPECT_FALSE(r.BeginFrame()); // lost: skip the frame
    EXPECT_EQ(d->resetCount, 0u);
    d->FailNextResets(1);
    EXPECT_FALSE(r.BeginFrame()); // can be reset, but the reset fails: tried again next frame
    d->ClearLog();
    EXPECT_TRUE(r.BeginFrame() && d->resetCount == 1u);

    // The default-pool streams were released before the reset and made again after it; states are rewritten;
    // the managed buffer lives on.
    EXPECT_EQ(d->LiveDefaultPoolResources(), 5u);
    EXPECT_EQ(d->RenderStateWritesOf(RenderState::ZEnable), std::vector<uint32_t>{1});
    ASSERT_NE(r.GetVertexBufferByHandle(vb), nullptr);
    EXPECT_NE(r.GetVertexBufferByHandle(vb)->GetDeviceBuffer(), nullptr);
    EXPECT_EQ(r.GetStreamBinding().m_pVertexBuffer, nullptr);

    ASSERT_TRUE(r.BeginScene(0.0f, 0));
    r.DrawPolsUntexCol(kQuad, 4, kQuadIndices, 6, 0);
    uint32_t stride = 0;
    EXPECT_EQ(d->GetStreamSource(&stride), r.GetVertexStream(D3DRenderer::StreamColour)->m_pBuffer.get());
    EXPECT_TRUE(stride == 16u && d->GetIndices(nullptr) == r.GetIndexStream()->m_pBuffer.get());
    // The reset let go of the bound texture: the same number is bound again.
    r.DrawPolsTexColTPage(tex, 3, tri, 3, 7);
    EXPECT_EQ(d->draws.back().textures[0], r.GetTexture(7));
}

TEST_F(RendererTest, FrameStatisticsCountTheMainAndSecondPass)
{
    D3DRenderer& r = CreateRenderer();
    ASSERT_TRUE(r.ReserveTexture(300, 200, 4, 5) && r.BeginScene(0.0f, 0));
    r.DrawPolsUntexCol(kQuad, 4, kQuadIndices, 6, 0);
    const TexturedVertex tex[3] = {};
    const uint16_t tri[3] = {0, 1, 2};
    r.DrawPolsTexColTPage(tex, 3, tri, 3, 5);
    r.DrawLineCol(kQuad);
    r.BeginSecondPass();
    r.DrawPolsUntexCol(kQuad, 4, kQuadIndices, 6, 0);

    RenderStats main;
    r.GetFrameStats(&main);
    EXPECT_TRUE(main.Get(RenderStats::DrawCalls) == 3u && main.Get(RenderStats::Vertices) == (4u + 3u + 2u));
    EXPECT_EQ(main.Get(RenderStats::Triangles), 2u + 1u);
    EXPECT_EQ(main.Get(RenderStats::TextureBinds0), 2u); // texture 5, then none for the line
    EXPECT_EQ(main.Get(RenderStats::TextureMemory), 512u * 256u * 32u * 4u / 24u);
    EXPECT_EQ(r.GetStats(1).Get(RenderStats::DrawCalls), 1u);

    r.EndFrame();
    ASSERT_TRUE(r.BeginScene(1.0f, 0));
    r.GetFrameStats(&main);
    EXPECT_TRUE(main.Get(RenderStats::DrawCalls) == 0u && r.GetStats(1).Get(RenderStats::DrawCalls) == 0u);
    r.DrawPolsUntexCol(kQuad, 4, kQuadIndices, 6, 0); // a new scene counts into the main pass again
    EXPECT_TRUE(r.GetStats(0).Get(RenderStats::DrawCalls) == 1u && r.GetStats(1).Get(RenderStats::DrawCalls) == 0u);
}

TEST_F(RendererTest, ClearTakesStencilOnlyWhenTheDepthFormatHasIt)
{
    using platform::ClearFlags;
    for (auto [depth, flags] : {std::pair{platform::PixelFormat::D16, uint32_t(ClearFlags::ZBuffer)},
                                {platform::PixelFormat::D24S8, uint32_t(ClearFlags::ZBuffer | ClearFlags::Stencil)}})
    {
        hook.config.adapters[0].depthFormats = {depth};
        CreateRenderer().Clear(true, 0xFF123456);
        ASSERT_EQ(Device()->clears.size(), 1u);
        EXPECT_EQ(Device()->clears[0].flags, flags | ClearFlags::Target);
        EXPECT_EQ(Device()->clears[0].colour, 0xFF123456u);
        renderer->Release();
    }
}

TEST_F(RendererTest, LightIsNormalisedAndAmbientGoesThroughTheStateMemory)
{
    D3DRenderer& r = CreateRenderer();
    platform::RecordingDevice* d = Device();
    r.SetLight(0x80FF4020, 0xFFFFFFFF, 0, {0.0f, -3.0f, 4.0f}, 0x7F102030);
    platform::LightDesc light;
    ASSERT_EQ(d->GetLight(0, &light), platform::GfxResult::Ok);
    EXPECT_TRUE(d->IsLightEnabled(0));
    EXPECT_FLOAT_EQ(light.direction.y, -0.6f);
    EXPECT_FLOAT_EQ(light.direction.z, 0.8f);
    EXPECT_EQ(d->RenderStateWritesOf(RenderState::Ambient), std::vector<uint32_t>{0x00102030});
    // The emissive scale holds the first argument's red, green, blue and alpha bytes as fractions.
    const float scale[4] = {1.0f, 64 / 255.0f, 32 / 255.0f, 128 / 255.0f};
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(r.GetEmissiveScale()[i], scale[i]) << i;
    d->ClearLog();
    r.SetLight(0x80FF4000, 0xFFFFFFFF, 0, {0.0f, 0.0f, 0.0f}, 0x00102030); // a zero vector stays as it is
    d->GetLight(0, &light);
    EXPECT_TRUE(light.direction.y == 0.0f && d->RenderStateWritesOf(RenderState::Ambient).empty());
}

TEST_F(RendererTest, DeviceInfoNeverReportsTexturesBelow256NorCapabilitiesWithoutADevice)
{
    DeviceInfo info;
    D3DRenderer().GetDeviceInfo(&info);
    EXPECT_TRUE(info.m_uMaxTextureWidth == 256u && info.m_uMaxTextureHeight == 256u);
    EXPECT_EQ(info.m_bHardwareTnL + info.m_bPureDevice + info.m_bStencil, 0);

    hook.config.adapters[0].caps.maxTextureWidth = 128;
    CreateRenderer().GetDeviceInfo(&info);
    EXPECT_EQ(g_AdapterTable.m_uCount, 1u); // making the device enumerated the adapters first
    EXPECT_TRUE(renderer->GetRequestedTexture(0) == -1 && renderer->GetRequestedTexture(1) == -1);
    EXPECT_TRUE(info.m_uMaxTextureWidth == 256u && info.m_uMaxTextureHeight == 2048u);
    EXPECT_EQ(info.m_bHardwareTnL + info.m_bPureDevice + info.m_bStencil, 3);
}

TEST_F(RendererTest, FrameEndDropsEveryTextureRequestAndANewDeviceStartsWithoutFog)
{
    D3DRenderer& r = CreateRenderer();
    ASSERT_TRUE(r.BeginScene(0.0f, 0));
    for (uint32_t pipe = 0; pipe < D3DRenderer::kTexturePipes; ++pipe)
        r.SetDeviceTexturePipe(pipe, static_cast<int32_t>(pipe + 3));
    r.EndFrame();
    for (uint32_t pipe = 0; pipe < D3DRenderer::kTexturePipes; ++pipe)
        EXPECT_EQ(r.GetRequestedTexture(pipe), -1) << pipe;

    r.SetFog(10.0f, 50.0f, 0x00FFFFFF);
    ASSERT_TRUE(r.ReserveTexture(64, 64, 4, 9));
    r.Release();
    EXPECT_EQ(r.GetTexture(0), nullptr); // no table without a device
    ASSERT_TRUE(r.CreateDevice(nullptr, RendererSettings{}));
    EXPECT_TRUE(r.GetFogStart() == 0.0f && r.GetFogEnd() == 0.0f);
    ASSERT_TRUE(r.BeginScene(0.0f, 0)); // the textures of the old device count no more
    EXPECT_EQ(r.GetStats(0).Get(RenderStats::TextureMemory), 0u);
}

TEST_F(RendererTest, WireframeChangesFillAndCullAndDropsTextureRequests)
{
    D3DRenderer& r = CreateRenderer();
    platform::RecordingDevice* d = Device();
    r.SetWireframe(0, true);
    EXPECT_EQ(d->RenderStateWritesOf(RenderState::FillMode), std::vector<uint32_t>{platform::FillMode::Wireframe});
    r.SetTexturePipe(0, 12);
    EXPECT_EQ(r.GetRequestedTexture(0), -1);
    r.SetWireframe(0, false);
    EXPECT_EQ(d->RenderStateWritesOf(RenderState::CullMode),
              (std::vector<uint32_t>{platform::CullMode::None, platform::CullMode::CCW}));
}

TEST_F(RendererTest, CreateDeviceFailsWhileTheMeshManagerIsOpen)
{
    ASSERT_TRUE(g_MeshManager.Open(nullptr));
    D3DRenderer r;
    EXPECT_FALSE(r.CreateDevice(nullptr, RendererSettings{}));
    g_MeshManager.Close();
    r.Release();
}

} // namespace
