// The graphics manager: the engine's one drawing front. It owns the renderer, the camera, projection and viewport
// state, fog and light, the clear settings and the per-frame draw lists, and runs the frame cycle.
#pragma once

#include "engine/render/RenderTypes.h"
#include "engine/render/Renderer.h"
#include "platform/gfx/Math.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class MaterialBuckets;
class ModelDrawList;
class LineSegmentList;

// The last view matrix handed to the renderer, for code that needs it without the graphics manager.
struct ViewCache
{
    platform::Matrix m_view = platform::MatrixIdentity();
};

extern ViewCache g_ViewCache;

class GraphicsManager
{
public:
    static constexpr int kBillboardVertices = 200;
    static constexpr int kQuadCount = 50;
    static constexpr int kRibbonCount = 200;
    static constexpr uint32_t kLineSegmentCapacity = 1000;
    static constexpr float kDefaultFieldOfView = 90.0f;
    static constexpr float kDefaultAspect = 1.3333334f;
    static constexpr uint32_t kDefaultClearColour = 0xFF202020;

    // Only the flags are cleared; everything else is set by Create.
    GraphicsManager();
    ~GraphicsManager();
    GraphicsManager(const GraphicsManager&) = delete;
    GraphicsManager& operator=(const GraphicsManager&) = delete;

    // ---- set-up and renderer creation
    // Creates the renderer and its device for the window (null: a device without a visible window) and sets
    // every default. A renderer that cannot be made ends the program with exit code 1.
    void Create(const RendererSettings& settings, void* window);
    // Takes the game's video settings and derives the view range, detail and shadow factors from them.
    void ApplyVideoSettings(const VideoSettings& settings);
    // Releases the lists, the device and the renderer.
    void Shutdown();
    Renderer* GetRenderer() const { return m_pRenderer.get(); }
    // Has the renderer fill the four-word device information record.
    void GetDeviceInfo(DeviceInfo* out);

    // ---- frame
    // False when the renderer cannot draw this frame (nothing is reset then).
    bool BeginFrame(uint32_t frameTime);
    void EndFrame();
    void Present();
    // Switches to screen-space drawing: pixels from the top-left corner, y downwards.
    void Begin2D();
    void SetClearMode(bool clearTarget, uint32_t colour);
    // Asks for a screenshot of the next presented frame.
    void RequestScreenshot(const char* fileName);

    // ---- view
    void SetProjection(float fieldOfView, float aspect, float nearZ, float farZ);
    void ApplyProjection();
    void SetViewMatrix(const platform::Matrix& matrix, bool computeInverse);
    void SendViewMatrix();
    void SetEyePosition(const platform::Vec3& eye) { m_eye = eye; }
    void SetFrustumRange(bool toDrawDistance);
    // Pixels, handed to the renderer's viewport as they are.
    void SetViewport(float left, float right, float top, float bottom);
    // The part of the screen the projections cover, as fractions (0, 1, 0, 1 is the whole screen).
    void SetViewFractions(float left, float right, float top, float bottom);

    // ---- fog and light
    // A negative start keeps the stored fog and sends it again.
    void SetFog(float start, float range, uint32_t colour);
    void ApplyFogScale(float scale);
    void ApplyShadowFog();
    // The sky's light: the direction the light travels, the light colour (plus the base colour, the renderer's
    // emissive scale), the diffuse and ambient colours and the frame's colour mask.
    void SetLight(const platform::Vec3& direction, uint32_t lightColour, uint32_t diffuse, uint32_t ambient,
                  uint32_t colourMask);
    void SetLightBaseColour(uint32_t colour) { m_uLightBaseColour = colour; }
    // The lit colour of a surface with that normal (XRGB, alpha 0).
    uint32_t GetLitColour(const platform::Vec3& normal) const;
    void FilterDirtyTextures();

    // ---- state read by drawing code and tests
    const RendererSettings& GetSettings() const { return m_settings; }
    const VideoSettings& GetVideoSettings() const { return m_video; }
    const platform::Matrix& GetViewMatrix() const { return m_view; }
    const platform::Matrix& GetInverseViewMatrix() const { return m_inverseView; }
    const platform::Matrix& GetProjectionMatrix() const { return m_projection; }
    const platform::Matrix& GetOrthoMatrix() const { return m_ortho; }
    const platform::Vec3& GetEyePosition() const { return m_eye; }
    const platform::Vec3& GetRightAxis() const { return m_right; }
    const platform::Vec3& GetUpAxis() const { return m_up; }
    const platform::Vec3& GetForwardAxis() const { return m_forward; }
    float GetFieldOfView() const { return m_fFieldOfView; }
    float GetAspect() const { return m_fAspect; }
    float GetNear() const { return m_fNear; }
    float GetFar() const { return m_fFar; }
    float GetDrawDistance() const { return m_fDrawDistance; }
    float GetShadowDistance() const { return m_fShadowDistance; }
    const float* GetCullFactors() const { return m_afCullFactor; }
    float GetFrustumDistance() const { return m_fFrustumDistance; }
    float GetFogStart() const { return m_fFogStart; }
    float GetFogRange() const { return m_fFogRange; }
    uint32_t GetFogColour() const { return m_uFogColour; }
    void SetFogRangeScaling(bool on) { m_bFogRangeScaling = on; }
    const platform::Vec3& GetLightDirection() const { return m_lightDirection; }
    const platform::Matrix& GetShadowMatrix() const { return m_shadowMatrix; }
    const platform::Matrix& GetLightViewMatrix() const { return m_lightView; }
    float GetShadowLengthFactor() const { return m_fShadowLength; }
    uint32_t GetShadowDarkness() const { return m_uShadowDarkness; }
    uint32_t GetLitViewColour() const { return m_uLitViewColour; }
    const platform::Vec3& GetFarSunPoint() const { return m_farSunPoint; }
    uint32_t GetColourMask() const { return m_uColourMask; }
    uint32_t GetHighlightColour() const { return m_uHighlightColour; }
    bool IsSceneOpen() const { return m_bSceneOpen; }
    bool Is3DMode() const { return m_b3DMode; }
    uint32_t GetFrameTime() const { return m_uFrameTime; }
    bool GetClearFlag() const { return m_bClear; }
    uint32_t GetClearColour() const { return m_uClearColour; }
    float GetViewRangeFactor() const { return m_fViewRangeFactor; }
    float GetDetailFactor() const { return m_fDetailFactor; }
    bool AreShadowsOn() const { return m_bShadowsOn; }
    float GetShadowFactor() const { return m_fShadowFactor; }
    const platform::Viewport& GetViewportRecord(int i) const { return m_aViewport[i ? 1 : 0]; }
    const uint16_t* GetQuadIndices() const { return m_auQuadIndices; }
    // The per-frame counters and totals the drawing code counts (cleared at every frame start).
    uint32_t m_auFrameCounter[3] = {};
    uint32_t m_auFrameTotal[3] = {};

    MaterialBuckets* GetMaterialBuckets() const { return m_pBuckets.get(); }
    ModelDrawList* GetModelDrawList() const { return m_pModelList.get(); }
    LineSegmentList* GetLineSegments() const { return m_pLineSegments.get(); }

private:
    void UpdateDerivedValues();
    void SendFog(float start, float range, uint32_t colour);
    // Rebuilds the frustum out to the distance (corners, planes and ground lines come with the culling code).
    void BuildFrustum(float distance);
    // The per-frame hand-offs of the batcher, the text queue and the debug boxes (the batcher's code fills them).
    void ResetTextQueue() {}
    void FlushBatch() {}
    void DrawDebugBoxes() {}

    std::string m_szScreenshotRequest;
    bool m_bSceneOpen = false;
    RendererSettings m_settings;
    std::unique_ptr<Renderer> m_pRenderer;

    platform::Matrix m_view = platform::MatrixIdentity();
    platform::Matrix m_inverseView = platform::MatrixIdentity();
    platform::Matrix m_projection = platform::MatrixIdentity();
    platform::Matrix m_identityView = platform::MatrixIdentity();
    platform::Matrix m_ortho = platform::MatrixIdentity();
    platform::Vec3 m_eye = {0.0f, 0.0f, 0.0f};
    platform::Vec3 m_right = {1.0f, 0.0f, 0.0f};
    platform::Vec3 m_up = {0.0f, 1.0f, 0.0f};
    platform::Vec3 m_forward = {0.0f, 0.0f, 1.0f};

    float m_fFieldOfView = kDefaultFieldOfView;
    float m_fAspect = kDefaultAspect;
    float m_fNear = 1.0f;
    float m_fFar = 4000.0f;
    float m_fDrawDistance = 0.0f;
    float m_fShadowDistance = 0.0f;
    float m_fFrustumDistance = 0.0f;
    float m_afCullFactor[4] = {};

    platform::Vec3 m_lightDirection = {0.0f, 1.0f, 0.0f};
    platform::Matrix m_lightView = platform::MatrixIdentity();
    platform::Matrix m_lightViewInverse = platform::MatrixIdentity();
    platform::Matrix m_shadowMatrix = platform::MatrixIdentity();
    float m_afShadowSlope[2] = {};
    float m_fShadowLength = 0.0f;
    uint32_t m_uShadowDarkness = 0;
    uint32_t m_uLightBaseColour = 0;
    uint32_t m_uAmbient = 0;
    uint32_t m_uDiffuse = 0;
    uint32_t m_uColourMask = 0xFFFFFFFF;
    uint32_t m_uLitViewColour = 0;
    platform::Vec3 m_farSunPoint = {0.0f, 0.0f, 0.0f};
    uint32_t m_uHighlightColour = 0;

    float m_fFogStart = 0.0f;
    float m_fFogRange = 0.0f;
    uint32_t m_uFogColour = 0;
    uint32_t m_uFogBaseA = 0xFFFFFF;
    uint32_t m_uFogBaseB = 0;
    bool m_bFogRangeScaling = true;
    float m_fViewRangeA = 1.0f;
    float m_fViewRangeB = 1.0f;

    float m_afViewFraction[4] = {0.0f, 1.0f, 0.0f, 1.0f}; // left, right, top, bottom
    platform::Viewport m_aViewport[2] = {};

    bool m_b3DMode = false;
    uint32_t m_uFrameTime = 0;
    uint32_t m_uCounterWord = 0;

    bool m_bClear = true;
    uint32_t m_uClearColour = kDefaultClearColour;

    std::vector<TexturedVertex> m_billboardVertices;
    uint16_t m_auQuadIndices[kQuadCount * 6] = {};

    VideoSettings m_video;
    float m_fViewRangeFactor = 1.0f;
    float m_fDetailFactor = 1.0f;
    bool m_bShadowsOn = true;
    float m_fShadowFactor = 1.0f;

    std::unique_ptr<MaterialBuckets> m_pBuckets;
    std::unique_ptr<ModelDrawList> m_pModelList;
    std::unique_ptr<LineSegmentList> m_pLineSegments;
    // The ribbon batch of the thick lines: 200 ribbons of 6 vertices and 12 indices.
    std::vector<TexturedVertex> m_ribbonVertices;
    std::vector<uint16_t> m_ribbonIndices;
};

extern GraphicsManager g_GraphicsManager;
