// The renderer's device life: creation and release, lost-device reset, frame and scene, clear and present,
// matrices, viewport, light, fog, wireframe, quality, statistics and the render-state reset.
#include "engine/render/D3DRenderer.h"

#include "engine/core/Logger.h"
#include "engine/render/DeviceEnum.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/MeshManager.h"
#include "engine/render/Waveform.h"
#include "platform/Report.h"
#include "platform/Time.h"

#include <cmath>

using platform::GfxResult;
using platform::RenderState;
using platform::TextureStageState;

uint32_t g_uRenderFrameCount = 0;
uint32_t g_uMaterialStateWord = 0;

namespace
{

platform::ColourValue ColourFromArgb(uint32_t argb)
{
    platform::ColourValue c;
    c.a = static_cast<float>((argb >> 24) & 0xFF) / 255.0f;
    c.r = static_cast<float>((argb >> 16) & 0xFF) / 255.0f;
    c.g = static_cast<float>((argb >> 8) & 0xFF) / 255.0f;
    c.b = static_cast<float>(argb & 0xFF) / 255.0f;
    return c;
}

platform::Vec3 Normalised(platform::Vec3 v)
{
    const float len = platform::Vec3Length(v);
    if (len < 0.0001f)
        return v;
    return v * (1.0f / len);
}

uint32_t TruncateToPixels(float value)
{
    if (!(value > 0.0f))
        return 0;
    if (value >= 4294967040.0f)
        return 0xFFFFFF00u;
    return static_cast<uint32_t>(value);
}

} // namespace

D3DRenderer* CreateD3DRenderer()
{
    return new D3DRenderer();
}

D3DRenderer::D3DRenderer() : m_identity(platform::MatrixIdentity()), m_viewRotation(platform::MatrixIdentity()) {}

D3DRenderer::~D3DRenderer()
{
    // The buffers and the textures may outlive the device; they then only hold memory until they go here.
    m_indexBuffers.clear();
    m_vertexBuffers.clear();
    m_apStreams[0].reset();
    m_apStreams[1].reset();
    m_apStreams[2].reset();
    m_apStreams[3].reset();
    m_pIndexStream.reset();
    m_pTextures.reset();
    m_states.Attach(nullptr);
    m_pDevice.reset();
    m_pSystem.reset();
}

// ---- device creation and release

void D3DRenderer::CreateDeviceObjects(void* window)
{
    EnumerateDevices(nullptr);

    m_pSystem = platform::CreateGraphicsSystem();
    if (!m_pSystem)
    {
        char text[1024];
        ShowDirectXFailure(text, sizeof(text));
        platform::ExitProcess(-1);
    }

    BuildPresentParams(*m_pSystem, m_settings, window, &m_presentParams, &m_bStencil);
    m_caps = platform::DeviceCaps{};
    m_pSystem->GetDeviceCaps(m_settings.m_uAdapter, platform::DeviceType::Hal, &m_caps);

    GfxResult result =
        CreateDeviceForCaps(*m_pSystem, m_settings.m_uAdapter, window, m_caps, &m_presentParams, &m_pDevice);
    if (CheckD3DResult(result, "COULDNT CREATE D3D DEVICE") || !m_pDevice)
    {
        // Nothing in the engine can draw without a device: say so the way a missing graphics system is said,
        // then stop instead of running on with none.
        GetLogger()->Report(1, "COULDNT CREATE D3D DEVICE (%s)", GetD3DErrorText());
        char text[1024];
        ShowDirectXFailure(text, sizeof(text));
        platform::ExitProcess(-1);
    }
    m_states.Attach(m_pDevice.get());

    platform::Viewport viewport = {0, 0, m_settings.m_uWidth, m_settings.m_uHeight, 0.0f, 1.0f};
    m_pDevice->SetViewport(viewport);
    if (!platform::GfxFailed(m_pDevice->BeginScene()))
    {
        m_pDevice->Clear(0, nullptr, platform::ClearFlags::Target, 0, 1.0f, 0);
        m_pDevice->EndScene();
        m_pDevice->Present();
    }

    bool used16 = false;
    const uint32_t count = CountTestTextures(*m_pDevice, &used16);
    m_uTextureMemoryMB = used16 ? count / 6 : count / 3;
}

bool D3DRenderer::CreateDevice(void* window, const RendererSettings& settings)
{
    m_uNextBufferHandle = 1;
    g_uMaterialStateWord = 1;
    m_bShadowPass = false;
    m_bTexturedShadow = false;
    for (uint32_t pipe = 0; pipe < kTexturePipes; ++pipe)
    {
        m_aiRequestedTexture[pipe] = 0;
        m_aiBoundTexture[pipe] = 0;
    }

    m_settings = settings;
    ForgetBindings();
    CreateDeviceObjects(window);

    BuildWaveformTables();

    m_uTextureCapacity = kTextureCapacity;
    m_pTextures.reset(new DeviceTextureEntry[kTextureCapacity]);

    ResetRenderStates();
    SetLight(0xFF3F3F3F, 0xFFFFFFFF, 0, platform::Vec3Normalize({0.0f, 100.0f, 0.0f}), 0xFFFFFFFF);
    SetTexturePipe(0, -1);
    SetTexturePipe(1, -1);
    ApplyTexturePipes();

    m_fFogStart = 0.0f;
    m_fFogEnd = 0.0f;
    m_uTextureBytes = 0;

    if (!g_MeshManager.Open(this))
        return false;

    CreateDynamicStreams();

    platform::DeviceCaps caps;
    if (!platform::GfxFailed(m_pDevice->GetDeviceCaps(&caps)))
        m_caps = caps;
    m_bHardwareTnL = m_caps.hwTransformAndLight;
    m_bPureDevice = m_caps.pureDevice;
    m_uMaxTextureWidth = m_caps.maxTextureWidth < kMinTextureSize ? kMinTextureSize : m_caps.maxTextureWidth;
    m_uMaxTextureHeight = m_caps.maxTextureHeight < kMinTextureSize ? kMinTextureSize : m_caps.maxTextureHeight;

    m_bFilter = false;
    m_uMaterialQuality = 2;
    return true;
}

void D3DRenderer::Release()
{
    if (m_pDevice)
        for (uint32_t stage = 0; stage < kTexturePipes; ++stage)
            m_pDevice->SetTexture(stage, nullptr);
    UnlockMeshVertices();
    UnlockMeshIndices();
    g_MeshManager.Close();
    if (m_pDevice)
    {
        m_pDevice->SetStreamSource(0, nullptr, 0);
        m_pDevice->SetIndices(nullptr, 0);
    }
    ReleaseDynamicStreams();
    ForgetBindings();
    m_states.Attach(nullptr);
    m_pDevice.reset();
    m_pSystem.reset();
    m_pTextures.reset();
    m_uTextureCapacity = 0;
}

void D3DRenderer::ForgetBindings()
{
    m_binding = StreamBinding{};
    for (uint32_t pipe = 0; pipe < kTexturePipes; ++pipe)
        m_aiBoundTexture[pipe] = -1;
    m_uLastWorldTag = kNoTag;
}

void D3DRenderer::ForgetMaterialParts()
{
    m_iStateSet = -1;
    m_iTexTransformSet = -1;
    m_iTexTransformArg0 = -1;
    m_iTexTransformArg1 = -1;
    m_iLightingSet = -1;
    m_pMaterial = nullptr;
}

void D3DRenderer::DeleteBufferObject(BufferObject* object)
{
    delete object;
}

void D3DRenderer::SetQuality(bool filter, uint32_t materialQuality)
{
    m_bFilter = filter;
    m_uMaterialQuality = materialQuality;
}

void D3DRenderer::GetDeviceInfo(DeviceInfo* out)
{
    if (!out)
        return;
    *out = DeviceInfo{};
    out->m_uMaxTextureWidth = m_uMaxTextureWidth;
    out->m_uMaxTextureHeight = m_uMaxTextureHeight;
    out->m_bHardwareTnL = m_bHardwareTnL ? 1 : 0;
    out->m_bPureDevice = m_bPureDevice ? 1 : 0;
    out->m_bStencil = m_bStencil ? 1 : 0;
}

bool D3DRenderer::ValidateStateSet(const StateSet& set)
{
    if (!m_pDevice)
        return false;
    ApplyStateSet(set);
    platform::ITexture* texture = GetTexture(1);
    m_pDevice->SetTexture(0, texture);
    m_aiBoundTexture[0] = 1;
    if (set.m_uColourOp1 != 0)
    {
        m_pDevice->SetTexture(1, texture);
        m_aiBoundTexture[1] = 1;
    }
    uint32_t passes = 0;
    const bool valid = !platform::GfxFailed(m_pDevice->ValidateDevice(&passes));
    ResetRenderStates();
    return valid;
}

// ---- frame and scene

bool D3DRenderer::BeginFrame()
{
    if (!m_pDevice)
        return false;
    const GfxResult status = m_pDevice->TestCooperativeLevel();
    if (status == GfxResult::Ok)
        return true;
    if (status == GfxResult::DeviceLost)
    {
        platform::SleepMs(10);
        return false;
    }
    if (status != GfxResult::DeviceNotReset)
        return false;

    ReleaseDynamicStreams();
    ForgetBindings();
    platform::PresentParams params = m_presentParams;
    if (platform::GfxFailed(m_pDevice->Reset(params)))
        return false;
    CreateDynamicStreams();
    ResetRenderStates();
    return true;
}

bool D3DRenderer::BeginScene(float frameTime, uint32_t)
{
    ++g_uRenderFrameCount;
    ForgetMaterialParts();
    m_iModelBatchWord = -1;
    m_aStats[0].Clear();
    m_aStats[1].Clear();
    m_pStats = &m_aStats[0];
    m_pStats->m_auCounter[RenderStats::TextureMemory] = m_uTextureBytes;
    m_fFrameTime = frameTime;

    if (!m_pDevice || platform::GfxFailed(m_pDevice->BeginScene()))
        return false;

    for (auto& stream : m_apStreams)
        if (stream)
            stream->m_bDiscard = true;
    if (m_pIndexStream)
        m_pIndexStream->m_bDiscard = true;

    SetWorldMatrix(platform::MatrixIdentity(), kTagIdentity);
    m_identity = platform::MatrixIdentity();
    SetLight(0xFF7F7F7F, 0xFFFFFFFF, 0xFFFFFFFF, platform::Vec3Normalize({100.0f, -100.0f, 100.0f}), 0xFFFFFFFF);
    platform::Viewport viewport = {0, 0, m_settings.m_uWidth, m_settings.m_uHeight, 0.0f, 1.0f};
    m_pDevice->SetViewport(viewport);
    m_bShadowPass = false;
    if (m_bWireframe)
        SetWireframe(0, true);
    m_states.Set(RenderState::AmbientMaterialSource, platform::MaterialSource::Colour1);
    return true;
}

void D3DRenderer::EndFrame()
{
    for (uint32_t pipe = 0; pipe < kTexturePipes; ++pipe)
        SetTexturePipe(pipe, -1);
    if (m_pDevice)
        m_pDevice->EndScene();
}

void D3DRenderer::BeginSecondPass()
{
    m_pStats = &m_aStats[1];
    ForgetMaterialParts();
}

void D3DRenderer::GetFrameStats(RenderStats* out)
{
    if (out)
        *out = m_aStats[0];
}

void D3DRenderer::CountDraw(uint32_t vertices, uint32_t triangles)
{
    m_pStats->Add(RenderStats::DrawCalls, 1);
    m_pStats->Add(RenderStats::Vertices, vertices);
    m_pStats->Add(RenderStats::Triangles, triangles);
}

void D3DRenderer::Clear(bool target, uint32_t colour)
{
    if (!m_pDevice)
        return;
    uint32_t flags = platform::ClearFlags::ZBuffer;
    if (m_bStencil)
        flags |= platform::ClearFlags::Stencil;
    if (target)
        flags |= platform::ClearFlags::Target;
    m_pDevice->Clear(0, nullptr, flags, colour, 1.0f, 0);
}

void D3DRenderer::Present()
{
    if (m_pDevice)
        m_pDevice->Present();
}

// ---- matrices and viewport

void D3DRenderer::SetViewMatrix(const platform::Matrix& matrix)
{
    if (m_pDevice)
        m_pDevice->SetTransform(platform::TransformType::View, matrix);
    platform::Matrix rotation = matrix;
    rotation.m[3][0] = 0.0f;
    rotation.m[3][1] = 0.0f;
    rotation.m[3][2] = 0.0f;
    m_viewRotation = platform::MatrixTranspose(rotation);
}

void D3DRenderer::SetWorldMatrix(const platform::Matrix& matrix, uint32_t tag)
{
    if (!m_pDevice)
        return;
    if (tag == kTagAlways)
        m_pDevice->SetTransform(platform::TransformType::World, matrix);
    else if (tag == m_uLastWorldTag)
        return;
    else if (tag == kTagIdentity)
        m_pDevice->SetTransform(platform::TransformType::World, m_identity);
    else
        m_pDevice->SetTransform(platform::TransformType::World, matrix);
    m_uLastWorldTag = tag;
}

void D3DRenderer::SetProjectionMatrix(const platform::Matrix& matrix)
{
    if (m_pDevice)
        m_pDevice->SetTransform(platform::TransformType::Projection, matrix);
}

void D3DRenderer::SetDepthRange(float minZ, float maxZ)
{
    if (!m_pDevice)
        return;
    platform::Viewport viewport = {0, 0, m_settings.m_uWidth, m_settings.m_uHeight, minZ, maxZ};
    m_pDevice->SetViewport(viewport);
}

void D3DRenderer::SetViewport(float left, float right, float top, float bottom)
{
    if (!m_pDevice)
        return;
    const uint32_t x = TruncateToPixels(left);
    const uint32_t y = TruncateToPixels(top);
    const uint32_t r = TruncateToPixels(right);
    const uint32_t b = TruncateToPixels(bottom);
    platform::Viewport viewport = {x, y, r > x ? r - x : 0, b > y ? b - y : 0, 0.0f, 1.0f};
    m_pDevice->SetViewport(viewport);
}

// ---- light, fog, wireframe

void D3DRenderer::SetLight(uint32_t emissiveScale, uint32_t diffuse, uint32_t specular, const platform::Vec3& direction,
                           uint32_t ambient)
{
    m_light = platform::LightDesc{};
    m_light.type = platform::LightType::Directional;
    m_light.diffuse = ColourFromArgb(diffuse);
    m_light.specular = ColourFromArgb(specular);
    m_light.ambient = ColourFromArgb(ambient);
    m_light.ambient.a = 0.0f;
    m_light.direction = Normalised(direction);
    m_light.position = {0.0f, 0.0f, 0.0f};

    const platform::ColourValue scale = ColourFromArgb(emissiveScale);
    m_afEmissiveScale[0] = scale.r;
    m_afEmissiveScale[1] = scale.g;
    m_afEmissiveScale[2] = scale.b;
    m_afEmissiveScale[3] = scale.a;
    m_uAmbient = ambient;

    if (m_pDevice)
    {
        m_pDevice->SetLight(0, m_light);
        m_pDevice->LightEnable(0, true);
    }
    m_states.Set(RenderState::Ambient, ambient & 0x00FFFFFF);
}

void D3DRenderer::SetFog(float start, float end, uint32_t colour)
{
    m_fFogStart = start;
    m_fFogEnd = end;
    m_uFogColour = colour;
    if (start < 0.0f)
    {
        m_states.Set(RenderState::FogEnable, 0);
        return;
    }
    m_states.Set(RenderState::FogEnable, 1);
    m_states.Set(RenderState::FogColour, colour);
    m_states.Set(RenderState::FogTableMode, platform::FogMode::None);
    m_states.Set(RenderState::FogVertexMode, platform::FogMode::Linear);
    m_states.SetFloat(RenderState::FogStart, start);
    m_states.SetFloat(RenderState::FogEnd, end);
}

void D3DRenderer::SetWireframe(uint32_t mustBeZero, bool on)
{
    if (mustBeZero != 0)
        return;
    m_bWireframe = on;
    if (on)
    {
        m_states.Set(RenderState::FillMode, platform::FillMode::Wireframe);
        m_states.Set(RenderState::CullMode, platform::CullMode::None);
    }
    else
    {
        m_states.Set(RenderState::FillMode, platform::FillMode::Solid);
        m_states.Set(RenderState::CullMode, platform::CullMode::CCW);
    }
}

void D3DRenderer::SetTextureClamp(bool clamp)
{
    const uint32_t mode = clamp ? platform::TextureAddress::Clamp : platform::TextureAddress::Wrap;
    for (uint32_t stage = 0; stage < 2; ++stage)
    {
        m_states.SetStage(stage, TextureStageState::AddressU, mode);
        m_states.SetStage(stage, TextureStageState::AddressV, mode);
    }
}

void D3DRenderer::ResetRenderStates()
{
    using namespace platform;
    ForgetMaterialParts();

    m_states.Write(RenderState::ColourVertex, 1);
    m_states.Write(RenderState::ShadeMode, ShadeMode::Gouraud);
    m_states.Write(RenderState::Ambient, 0);
    m_states.Write(RenderState::FillMode, FillMode::Solid);
    m_states.Write(RenderState::DitherEnable, 1);
    m_states.Write(RenderState::CullMode, CullMode::CCW);
    m_states.Write(RenderState::SpecularEnable, 0);
    m_states.Write(RenderState::ZEnable, 1);
    m_states.Write(RenderState::ZWriteEnable, 1);
    m_states.Write(RenderState::ZFunc, CompareFunc::LessEqual);
    m_states.Write(RenderState::AlphaTestEnable, 0);
    m_states.Write(RenderState::AlphaRef, 0);
    m_states.Write(RenderState::AlphaFunc, CompareFunc::LessEqual);
    m_states.Write(RenderState::AlphaBlendEnable, 0);
    m_states.Write(RenderState::SrcBlend, BlendFactor::One);
    m_states.Write(RenderState::DestBlend, BlendFactor::Zero);
    m_states.Write(RenderState::FogEnable, 0);
    m_states.Write(RenderState::FogColour, 0);
    m_states.Write(RenderState::FogTableMode, FogMode::None);
    m_states.Write(RenderState::FogVertexMode, FogMode::None);
    m_states.Write(RenderState::FogStart, FloatBits(0.0f));
    m_states.Write(RenderState::FogEnd, FloatBits(0.0f));
    m_states.Write(RenderState::FogDensity, FloatBits(0.0f));
    m_states.Write(RenderState::Clipping, 1);
    m_states.Write(RenderState::Lighting, 1);
    m_states.Write(RenderState::LocalViewer, 0);
    m_states.Write(RenderState::NormalizeNormals, 0);
    m_states.Write(RenderState::StencilEnable, 0);
    m_states.Write(RenderState::StencilFunc, CompareFunc::Greater);
    m_states.Write(RenderState::StencilPass, StencilOp::Replace);
    m_states.Write(RenderState::StencilRef, 1);
    m_states.Write(RenderState::StencilMask, 0xFFFFFFFF);
    m_states.Write(RenderState::AmbientMaterialSource, MaterialSource::Colour1);

    for (uint32_t stage = 0; stage < RenderStateCache::kStages; ++stage)
    {
        m_states.WriteStage(stage, TextureStageState::MinFilter, TextureFilter::Linear);
        m_states.WriteStage(stage, TextureStageState::MagFilter, TextureFilter::Linear);
        m_states.WriteStage(stage, TextureStageState::MipFilter, TextureFilter::Point);
        m_states.WriteStage(stage, TextureStageState::MipMapLodBias, FloatBits(-0.6f));
        m_states.WriteStage(stage, TextureStageState::AddressU, TextureAddress::Wrap);
        m_states.WriteStage(stage, TextureStageState::AddressV, TextureAddress::Wrap);
        m_states.WriteStage(stage, TextureStageState::TextureTransformFlags, TextureTransform::Disable);
        m_states.WriteStage(stage, TextureStageState::TexCoordIndex, 0);
        m_states.WriteStage(stage, TextureStageState::ColourOp, TextureOp::Disable);
        m_states.WriteStage(stage, TextureStageState::ColourArg1, 0);
        m_states.WriteStage(stage, TextureStageState::ColourArg2, 0);
        m_states.WriteStage(stage, TextureStageState::AlphaOp, TextureOp::Disable);
        m_states.WriteStage(stage, TextureStageState::AlphaArg1, 0);
        m_states.WriteStage(stage, TextureStageState::AlphaArg2, 0);
    }

    // Written every time, not remembered.
    m_states.Write(RenderState::LastPixel, 1);
    m_states.Write(RenderState::EdgeAntialias, 0);
    m_states.Write(RenderState::RangeFogEnable, 0);
    m_states.Write(RenderState::ZBias, 0);
    m_states.Write(RenderState::TextureFactor, 0);
    m_states.Write(RenderState::VertexBlend, 0);
    m_states.Write(RenderState::PointSpriteEnable, 0);
    m_states.Write(RenderState::DiffuseMaterialSource, MaterialSource::Material);
    m_states.Write(RenderState::SpecularMaterialSource, MaterialSource::Material);
}
