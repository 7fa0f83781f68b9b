// The graphics manager: creation with its renderer, video settings, shutdown, the frame cycle, projection and
// view, viewport, fog and the directional light with its flat-shadow projection (2D drawing: GraphicsManager2D).
#include "engine/render/GraphicsManager.h"

#include "engine/core/Logger.h"
#include "engine/render/D3DRenderer.h"
#include "engine/render/DrawLists.h"
#include "engine/render/EffectSchedulerBase.h"
#include "engine/render/LineSegments.h"
#include "engine/render/MaterialTable.h"
#include "engine/render/ModelHelpers.h"
#include "engine/render/SpriteDrawing.h"
#include "platform/Report.h"

#include <algorithm>
#include <cmath>

using platform::Matrix;
using platform::Vec3;

GraphicsManager g_GraphicsManager;
ViewCache g_ViewCache;

namespace
{

constexpr float kDegreesToRadians = 0.017453292f;
// The material the screen pass starts from: plain alpha blending of vertex colours, unlit.
constexpr int32_t kScreenMaterial = 1;

uint32_t Channel(uint32_t colour, int shift)
{
    return (colour >> shift) & 0xFF;
}

} // namespace

uint32_t AddSaturated(uint32_t a, uint32_t b)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= std::min<uint32_t>(Channel(a, shift) + Channel(b, shift), 255) << shift;
    return out;
}

uint32_t TruncateChannel(float value)
{
    return std::isnan(value) ? 0u : static_cast<uint32_t>(std::clamp(value, 0.0f, 255.0f));
}

// The batch stores and the text queue are made once here; nothing is allocated while drawing.
GraphicsManager::GraphicsManager()
    : m_pBatch(std::make_unique<BatchStore>()), m_pTextQueue(std::make_unique<TextQueue>())
{
}

GraphicsManager::~GraphicsManager() = default;

// ---- set-up and renderer creation

void GraphicsManager::Create(const RendererSettings& settings, void* window)
{
    BuildModelHelperTables();

    m_fDetailFactor = 1.0f;
    m_fViewRangeFactor = 1.0f;
    m_fShadowFactor = 1.0f;
    m_bShadowsOn = true;

    if (settings.m_uKind == 0)
        m_pRenderer.reset(CreateD3DRenderer());
    if (!m_pRenderer)
    {
        GetLogger()->Report(0, "Failed to create D3D renderer");
        platform::ExitProcess(1);
    }

    m_settings = settings;
    // The texture manager starts before the game hands over its video settings: until then the texture quality
    // is the options' one, which the display passes in the first option word.
    m_video.m_uTextureQuality = settings.m_uOption1;
    m_pRenderer->CreateDevice(window, m_settings);

    m_fFieldOfView = kDefaultFieldOfView;
    m_fAspect = kDefaultAspect;
    m_bClear = true;
    m_uClearColour = kDefaultClearColour;
    m_lightDirection = platform::Vec3Normalize({5.0f, 7.0f, 11.0f});

    g_MaterialTable.BuildDefaults();

    const platform::Viewport whole = {0, 0, settings.m_uWidth, settings.m_uHeight, 0.0f, 1.0f};
    m_aViewport[0] = whole;
    m_aViewport[1] = whole;

    m_pBuckets = std::make_unique<MaterialBuckets>();
    m_pModelList = std::make_unique<ModelDrawList>();
    m_pBuckets->SetSpecialDrawer(&GetSpriteMeshDrawer());
    m_pModelList->SetSpecialDrawer(&GetSpriteMeshDrawer());
    m_pLineSegments = std::make_unique<LineSegmentList>(kLineSegmentCapacity);

    m_afViewFraction[0] = 0.0f;
    m_afViewFraction[1] = 1.0f;
    m_afViewFraction[2] = 0.0f;
    m_afViewFraction[3] = 1.0f;
    m_bFogRangeScaling = true;
    m_fViewRangeA = 1.0f;
    m_fViewRangeB = 1.0f;
    m_uFogBaseA = 0xFFFFFF;
    m_uFogBaseB = 0;
    m_fFogStart = 0.0f;
    m_fFogRange = 0.0f;
    m_uFogColour = 0;

    // No batch, no queued text and no debug boxes are carried over from an earlier device.
    m_iBatchKind = BATCH_NONE;
    m_iBatchVertices = 0;
    m_iBatchIndices = 0;
    m_iBatchTexture = 0;
    m_iBatchMaterial = 1;
    ResetTextQueue();
    m_uDebugBoxes = 0;

    for (int q = 0; q < kQuadCount; ++q)
    {
        const uint16_t v = static_cast<uint16_t>(4 * q);
        const uint16_t quad[6] = {v, static_cast<uint16_t>(v + 2), static_cast<uint16_t>(v + 1),
                                  v, static_cast<uint16_t>(v + 3), static_cast<uint16_t>(v + 2)};
        std::copy(quad, quad + 6, m_auQuadIndices + 6 * q);
    }

    // The ribbon batch: fixed texture coordinates and the four triangles of every ribbon.
    static const float kRibbonUV[6][2] = {{0.0f, 1.0f}, {0.5f, 1.0f}, {0.0f, 0.5f},
                                          {0.5f, 0.0f}, {1.0f, 0.5f}, {1.0f, 0.0f}};
    static const uint16_t kRibbonIndices[12] = {0, 2, 1, 2, 4, 1, 2, 3, 4, 3, 5, 4};
    m_ribbonVertices.assign(kRibbonCount * 6, TexturedVertex{});
    m_ribbonIndices.assign(kRibbonCount * 12, 0);
    for (int r = 0; r < kRibbonCount; ++r)
    {
        for (int i = 0; i < 6; ++i)
        {
            m_ribbonVertices[6 * r + i].u = kRibbonUV[i][0];
            m_ribbonVertices[6 * r + i].v = kRibbonUV[i][1];
        }
        for (int i = 0; i < 12; ++i)
            m_ribbonIndices[12 * r + i] = static_cast<uint16_t>(6 * r + kRibbonIndices[i]);
    }
}

void GraphicsManager::ApplyVideoSettings(const VideoSettings& settings)
{
    m_video = settings;
    m_fViewRangeFactor = 0.73f * settings.m_fDrawDist + 0.12f;
    m_fViewRangeA = m_fViewRangeFactor;
    m_fViewRangeB = m_fViewRangeFactor;
    m_fDetailFactor = settings.m_fObjectDetail * settings.m_fObjectDetail * 4.0f + 0.6f;
    m_bShadowsOn = settings.m_fShadowDrawDist >= 0.1f;
    if (m_pRenderer && !m_pRenderer->HasStencil())
        m_bShadowsOn = false;
    m_fShadowFactor = settings.m_fShadowDrawDist * settings.m_fShadowDrawDist;
    if (m_pRenderer)
        m_pRenderer->SetQuality(settings.m_uFilterType != 0, settings.m_uMaterialQuality);
}

void GraphicsManager::Shutdown()
{
    m_pBuckets.reset();
    m_pModelList.reset();
    m_pLineSegments.reset();
    if (g_pEffectScheduler)
        g_pEffectScheduler->Close();
    if (m_pRenderer)
        m_pRenderer->Release();
    g_CrossfadeList.Clear();
    g_MaterialTable.FreeAnimators();
    m_ribbonVertices.clear();
    m_ribbonVertices.shrink_to_fit();
    m_ribbonIndices.clear();
    m_ribbonIndices.shrink_to_fit();
    m_pRenderer.reset();
    m_bSceneOpen = false;
}

void GraphicsManager::GetDeviceInfo(DeviceInfo* out)
{
    if (m_pRenderer)
        m_pRenderer->GetDeviceInfo(out);
}

// ---- frame

bool GraphicsManager::BeginFrame(uint32_t frameTime)
{
    if (!m_pRenderer || !m_pRenderer->BeginFrame())
        return false;

    m_uFrameTime = frameTime;
    if (m_pBuckets)
    {
        m_pBuckets->Reset();
        m_pBuckets->ClearDropped();
    }
    if (m_pModelList)
    {
        m_pModelList->Reset();
        m_pModelList->ClearDropped();
    }
    if (m_pLineSegments)
        m_pLineSegments->Reset();
    for (uint32_t& counter : m_auFrameCounter)
        counter = 0;
    ResetTextQueue();

    m_pRenderer->Clear(m_bClear, m_uClearColour);
    m_bSceneOpen = m_pRenderer->BeginScene(static_cast<float>(frameTime), 0);

    const Matrix view = m_view;
    SetViewMatrix(view, true);
    ApplyProjection();
    SendViewMatrix();

    const double wave = 0.5 + 0.2 * std::sin(0.2 * static_cast<double>(frameTime));
    const uint32_t g = static_cast<uint32_t>(255.0 * wave);
    m_uHighlightColour = 0xFF000000u + g * 0x010101u;
    for (uint32_t& total : m_auFrameTotal)
        total = 0;
    m_uColourMask = 0xFFFFFFFF;
    return m_bSceneOpen;
}

void GraphicsManager::EndFrame()
{
    if (m_pBuckets)
        m_pBuckets->EndFrame();
    if (m_pModelList)
        m_pModelList->Reset();
    FlushBatch();
    if (m_bSceneOpen)
    {
        if (m_pRenderer)
            m_pRenderer->EndFrame();
        m_bSceneOpen = false;
    }
}

uint32_t GraphicsManager::GetDroppedModelDraws() const
{
    return (m_pBuckets ? m_pBuckets->GetDropped() : 0) + (m_pModelList ? m_pModelList->GetDropped() : 0);
}

void GraphicsManager::Present()
{
    if (!m_pRenderer)
        return;
    m_pRenderer->Present();
    if (!m_szScreenshotRequest.empty())
    {
        m_pRenderer->SaveScreenshot(m_szScreenshotRequest.c_str());
        m_szScreenshotRequest.clear();
    }
}

void GraphicsManager::RequestScreenshot(const char* fileName)
{
    m_szScreenshotRequest = fileName ? fileName : "";
}

void GraphicsManager::Begin2D()
{
    DrawDebugBoxes();
    m_b3DMode = false;
    FlushBatch();

    // Screen pixels of the covered part of the screen, y downwards: the top edge maps to the top of the view.
    const float width = static_cast<float>(m_settings.m_uWidth);
    const float height = static_cast<float>(m_settings.m_uHeight);
    const float left = width * m_afViewFraction[0];
    const float right = width * m_afViewFraction[1];
    const float top = height * m_afViewFraction[2];
    const float bottom = height * m_afViewFraction[3];
    m_ortho = platform::MatrixOrthoOffCenterLH(left, right, bottom, top, 0.0f, 1.0f);
    if (!m_pRenderer)
        return;
    m_pRenderer->SetProjectionMatrix(m_ortho);
    m_pRenderer->SetViewMatrix(m_identityView);
    m_pRenderer->SetWorldMatrix(m_identityView, D3DRenderer::kTagIdentity);
    // The immediate screen draws take the states the renderer holds: not the lighting, blending or alpha test
    // that the 3D pass left, but the screen's own.
    m_pRenderer->UseMaterial(kScreenMaterial, -1, -1, false);
}

void GraphicsManager::SetClearMode(bool clearTarget, uint32_t colour)
{
    m_bClear = clearTarget;
    m_uClearColour = colour;
}

// ---- view

void GraphicsManager::SetProjection(float fieldOfView, float aspect, float nearZ, float farZ)
{
    m_fFieldOfView = fieldOfView;
    m_fAspect = aspect;
    m_fNear = nearZ;
    m_fFar = farZ;
}

void GraphicsManager::UpdateDerivedValues()
{
    m_fDrawDistance = m_fViewRangeB * m_fFogRange;
    m_fShadowDistance = m_fDrawDistance * m_fShadowFactor;
    const float t = std::tan(m_fFieldOfView * 0.5f * kDegreesToRadians);
    m_afCullFactor[0] = 1.0f / (m_fAspect * t);
    m_afCullFactor[1] = 1.0f / t;
    m_afCullFactor[2] = 1.0f / std::sin(std::atan(m_fAspect * t));
    m_afCullFactor[3] = 1.0f / std::sin(std::atan(t));
    BuildFrustum(m_fDrawDistance);
}

void GraphicsManager::ApplyProjection()
{
    m_b3DMode = true;
    const float h = std::tan(m_fFieldOfView * 0.5f * kDegreesToRadians) * m_fNear;
    const float w = h * m_fAspect;
    const float left = -w + 2.0f * w * m_afViewFraction[0];
    const float right = -w + 2.0f * w * m_afViewFraction[1];
    const float bottom = -h + 2.0f * h * m_afViewFraction[2];
    const float top = -h + 2.0f * h * m_afViewFraction[3];
    m_projection = platform::MatrixPerspectiveOffCenterLH(left, right, bottom, top, m_fNear, m_fFar);
    // The frustum is built from the new projection.
    UpdateDerivedValues();
    if (m_pRenderer)
        m_pRenderer->SetProjectionMatrix(m_projection);
}

void GraphicsManager::SetViewMatrix(const Matrix& matrix, bool computeInverse)
{
    m_view = matrix;
    if (computeInverse && !platform::MatrixInverse(m_view, &m_inverseView))
        m_inverseView = platform::MatrixIdentity();
    m_right = {m_view.m[0][0], m_view.m[1][0], m_view.m[2][0]};
    m_up = {m_view.m[0][1], m_view.m[1][1], m_view.m[2][1]};
    m_forward = {m_view.m[0][2], m_view.m[1][2], m_view.m[2][2]};
    UpdateDerivedValues();
}

void GraphicsManager::SendViewMatrix()
{
    if (m_pRenderer)
        m_pRenderer->SetViewMatrix(m_view);
    g_ViewCache.m_view = m_view;
}

void GraphicsManager::SetFrustumRange(bool toDrawDistance)
{
    m_bShadowRange = !toDrawDistance;
    BuildFrustum(toDrawDistance ? m_fDrawDistance : m_fShadowDistance);
}

void GraphicsManager::SetViewport(float left, float right, float top, float bottom)
{
    if (m_pRenderer)
        m_pRenderer->SetViewport(left, right, top, bottom);
}

void GraphicsManager::SetViewFractions(float left, float right, float top, float bottom)
{
    m_afViewFraction[0] = left;
    m_afViewFraction[1] = right;
    m_afViewFraction[2] = top;
    m_afViewFraction[3] = bottom;
}

// ---- fog

void GraphicsManager::SendFog(float start, float range, uint32_t colour)
{
    if (m_pRenderer)
        m_pRenderer->SetFog(start, range, colour);
}

void GraphicsManager::SetFog(float start, float range, uint32_t colour)
{
    if (start >= 0.0f)
    {
        uint32_t c = 0;
        for (int shift = 0; shift < 24; shift += 8)
        {
            const uint32_t scaled = Channel(colour, shift) * Channel(m_uFogBaseA, shift) / 256;
            c |= std::min<uint32_t>(scaled + Channel(m_uFogBaseB, shift), 255) << shift;
        }
        m_fFogStart = start;
        m_uFogColour = c;
        m_fFogRange = range * 8.0f;
    }
    if (m_bFogRangeScaling)
        SendFog(m_fViewRangeA * m_fFogStart, m_fViewRangeB * m_fFogRange, m_uFogColour);
    else
        SendFog(m_fFogStart * 100.0f, m_fFogRange * 100.0f, m_uFogColour);
}

void GraphicsManager::ApplyFogScale(float scale)
{
    if (m_bFogRangeScaling)
        SendFog(m_fViewRangeA * m_fFogStart * scale, m_fViewRangeB * m_fFogRange * scale, 0);
    else
        SendFog(m_fFogStart * 100.0f, m_fFogRange * 100.0f, 0);
}

void GraphicsManager::ApplyShadowFog()
{
    SendFog(m_fViewRangeA * m_fFogStart * m_fShadowFactor, m_fViewRangeB * m_fFogRange * m_fShadowFactor, 0xFFFFFFFF);
}

// ---- light

void GraphicsManager::SetLight(const Vec3& direction, uint32_t lightColour, uint32_t diffuse, uint32_t ambient,
                               uint32_t colourMask)
{
    // A direction without a length or with a part that is not a finite number keeps the light where it was.
    const Vec3 normalised = platform::Vec3Normalize(direction);
    if (std::isfinite(normalised.x) && std::isfinite(normalised.y) && std::isfinite(normalised.z) &&
        platform::Vec3Length(normalised) > 0.0f)
        m_lightDirection = normalised;
    const Vec3 dir = m_lightDirection;

    m_lightView = platform::MatrixLookAtLH({0.0f, 0.0f, 0.0f}, dir, {0.0f, 1.0f, 0.0f});
    if (!platform::MatrixInverse(m_lightView, &m_lightViewInverse))
        m_lightViewInverse = platform::MatrixIdentity();

    // A light at or above the horizon casts no shadow: no offset, no darkness, and no division by its height.
    float k = 0.0f;
    if (dir.y > -0.1f)
    {
        m_uShadowDarkness = 0;
        m_fShadowLength = 0.0f;
    }
    else
    {
        k = -std::sqrt(std::max(0.0f, 1.0f - dir.y * dir.y)) / dir.y;
        const uint32_t darkness = static_cast<uint32_t>((-dir.y - 0.1f) * 381.0f);
        m_uShadowDarkness = std::min<uint32_t>(darkness, 127);
        m_fShadowLength = -1.0f / dir.y;
    }
    m_shadowMatrix = platform::MatrixIdentity();
    m_shadowMatrix.m[1][1] = 0.0f;
    m_shadowMatrix.m[3][1] = 0.025f;
    m_shadowMatrix.m[1][0] = k * dir.x;
    m_shadowMatrix.m[1][2] = k * dir.z;

    const uint32_t light = AddSaturated(lightColour, m_uLightBaseColour);
    m_uSceneLight = light;
    if (m_pRenderer)
        m_pRenderer->SetLight(light, diffuse, diffuse, dir, (m_uShadowDarkness << 24) | (ambient & 0x00FFFFFF));

    m_uAmbient = ambient;
    m_uDiffuse = diffuse;
    m_uColourMask = colourMask;

    m_uLitViewColour = GetLitColour(m_forward) | 0xFF000000u;

    const uint32_t sum = Channel(colourMask, 16) + Channel(colourMask, 8) + Channel(colourMask, 0);
    g_CrossfadeList.SetFactor(1.0f - static_cast<float>(sum) / 765.0f);

    m_farSunPoint = dir * 100000.0f;
}

uint32_t GraphicsManager::GetLitColour(const Vec3& normal) const
{
    const float d = platform::Vec3Dot(normal, m_lightDirection);
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
    {
        // A surface facing away (d at or below 0) gets no diffuse light.
        const uint32_t lit = TruncateChannel(static_cast<float>(Channel(m_uDiffuse, shift)) * d);
        const uint32_t value = std::min<uint32_t>(lit + Channel(m_uAmbient, shift), 255);
        out |= value << shift;
    }
    return out;
}

void GraphicsManager::FilterDirtyTextures()
{
    if (m_pRenderer)
        m_pRenderer->RebuildChangedTextures();
}
