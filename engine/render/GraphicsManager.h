// The graphics manager: the engine's one drawing front. It owns the renderer, the camera, projection and viewport
// state, fog and light, the clear settings and the per-frame draw lists, and runs the frame cycle.
#pragma once

#include "engine/render/DrawBatcher.h"
#include "engine/render/RenderTypes.h"
#include "engine/render/Renderer.h"
#include "platform/gfx/Math.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class MaterialBuckets;
class ModelDrawList;
class LineSegmentList;
struct BillboardEntry;
struct SpriteParticle;
struct WaveRecord;
struct SMaterial;
class SceneObject;
struct SubModel;
struct ModelBatchEntry;
struct OptMesh;
struct OptMeshLOD;
struct OrientedBox;

// Clip codes of the culling tests: crossings of the view's planes, entirely outside the view, crossing the ground
// footprint, entirely outside the footprint; 0 is fully visible.
namespace ClipCode
{
constexpr uint32_t kTop = 0x01;
constexpr uint32_t kBottom = 0x02;
constexpr uint32_t kLeft = 0x04;
constexpr uint32_t kRight = 0x08;
constexpr uint32_t kNear = 0x10;
constexpr uint32_t kFar = 0x20;
constexpr uint32_t kOutside = 0x40;
constexpr uint32_t kView = 0x3F;
constexpr uint32_t kGround = 0x3F00;
constexpr uint32_t kOutsideGround = 0x4000;
} // namespace ClipCode

// Planes published for other drawing code: where the sky meets the ground and the near edge of the footprint.
extern platform::Plane g_HorizonPlane;
extern platform::Plane g_GroundLimitPlane;

// The last view matrix handed to the renderer, for code that needs it without the graphics manager.
struct ViewCache
{
    platform::Matrix m_view = platform::MatrixIdentity();
};

extern ViewCache g_ViewCache;

class GraphicsManager
{
public:
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

    // ---- the draw batcher and the text queue
    // Makes the pending batch one of that kind, texture slot and material, drawing what is pending first when the
    // state differs or the batch is nearly full. (BATCH_NONE, 0, 1) draws whatever is pending and leaves no batch
    // open: everything that draws directly or changes transforms calls it first.
    void BeginBatch(int32_t kind, int32_t texture, int32_t material);
    // Empties the text queue (run count, quad count, pool) and closes any open run.
    void ResetTextQueue();
    // Opens a text run anchored at a world point: until EndTextQueue, DrawTexturedRect queues its quads here in
    // the run's colour and texture. With 2000 runs queued the run is not kept and its quads are dropped.
    void BeginTextQueue(const platform::Vec3& anchor, uint32_t colour, int32_t texture);
    void EndTextQueue();
    // A quad of the open run, offset from the anchor's screen point (texture coordinates already in the page).
    void AddTextQuad(float x0, float y0, float x1, float y1, float tx0, float ty0, float tx1, float ty1);
    // Draws every queued run, one draw call per quad; called after Begin2D.
    void DrawQueuedText();

    // ---- immediate screen drawing (drawn at once under the renderer's current material and transforms)
    void DrawPixel(int32_t x, int32_t y, uint32_t colour);
    void DrawTriangle(float x1, float y1, float x2, float y2, float x3, float y3, uint32_t c1, uint32_t c2,
                      uint32_t c3);
    void DrawRect(float x0, float y0, float x1, float y1, uint32_t colour);
    // {x, y, width, height}.
    void DrawRectXYWH(const uint32_t rect[4], uint32_t colour);
    // {left, top, bottom, right}: note the order.
    void FillRect(const int32_t rect[4], uint32_t colour);
    // Many rectangles: the picture of DrawRect for each in turn, in a draw for every 500 of them.
    void DrawRects(std::span<const ColourRect> rects);
    static constexpr size_t kRectsPerDraw = 500;

    // ---- batched drawing
    // A one-pixel screen line; returns 2.
    int DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
    // A line in world coordinates.
    void DrawLine3D(const platform::Vec3& from, const platform::Vec3& to, uint32_t colour);
    // A flat quad at height y, centred on (x, z).
    void DrawGroundQuad(float x, float y, float z, float width, float depth, uint32_t colour, int32_t material);
    // A screen rectangle textured with the slot's rectangle (u, v in the texture's own 0 to 1 range). While a text
    // run is open it is queued to the run instead, and colour, slot and material are not used.
    void DrawTexturedRect(float x0, float y0, float x1, float y1, float tu0, float tv0, float tu1, float tv1,
                          uint32_t colour, int32_t slot, int32_t material);
    // The same for a quadrilateral with corners in order; always batched.
    void DrawTexturedQuad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, float tu0,
                          float tv0, float tu1, float tv1, uint32_t colour, int32_t slot, int32_t material);
    // A shaded box (24 vertices, 36 indices) in world coordinates, lit by the light direction.
    void DrawShadedBox(const DebugBox& box);
    // Queues a box for the start of the next 2D pass; false when 100 are queued.
    bool QueueDebugBox(const DebugBox& box);
    // Draws the queued boxes, first to last, and empties the queue (Begin2D does this).
    void DrawDebugBoxes();

    // ---- polygon sets placed at a world position (nothing happens for 0 vertices)
    void DrawPolysAt(const ColourVertex* vertices, uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                     const platform::Vec3& position, int32_t material);
    void DrawTexturedPolysAt(const TexturedVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                             uint32_t indexCount, int32_t texture1, int32_t texture2, const platform::Vec3& position,
                             int32_t material);

    // ---- camera-facing quads (SpriteDrawing.cpp); each draws at once, after closing the pending batch
    // A square of half-width `size` centred on the position, turned to face the camera.
    void DrawBillboard(const platform::Vec3& position, float size, uint32_t colour, int32_t texture, int32_t material);
    // The billboard list's entries in the given order, 50 quads per draw, a new draw whenever the texture or the
    // material changes.
    void DrawBillboardEntries(const BillboardEntry* entries, const uint32_t* order, uint32_t count);
    // The particles of a sprite mesh, one quad each, in the material's colours through the bone matrix; with
    // `oriented`, particles whose normal faces away are skipped and the others fade with the angle. Nothing is
    // drawn for an additive black material in a dark scene (see SpriteAddsNothing).
    void DrawSpriteMesh(const SpriteParticle* particles, uint32_t count, int32_t material, const platform::Matrix& bone,
                        bool oriented);
    // The same for particle records (32 bytes each, as SpriteParticle) in a material of their own.
    void DrawSpriteRecords(const uint8_t* records, uint32_t count, const SMaterial& material,
                           const platform::Matrix& bone, bool oriented);
    // The draw list's form of a sprite mesh: the particles of every instance chained on the level (its override
    // chain with `overrides`; hidden instances left out), in the level's material parts and colours, 50 quads a
    // draw in view space; mode 1 draws them oriented as above. With `skipDark` the near-black rule applies.
    void DrawSpriteMeshBatch(const OptMeshLOD& level, const OptMesh& mesh, uint32_t mode, bool overrides,
                             bool skipDark);
    // An additive (blend 1 or 9) material of black diffuse colour in a scene whose shadow colour is dark (each of
    // R, G, B below 32): its sprites would add nothing.
    bool SpriteAddsNothing(uint32_t diffuse, uint32_t blendMode) const;
    // Writes the waves' values at the time into the bytes of the three colours their flag words name;
    // returns 0.
    static int ApplyColourWaves(uint32_t time, const WaveRecord* waves, uint32_t count, uint32_t* first,
                                uint32_t* second, uint32_t* third);
    // The scene light colour sprite meshes are lit by (the light colour plus the base colour, as sent).
    uint32_t GetSceneLightColour() const { return m_uSceneLight; }

    // ---- thick lines: camera-facing ribbons (GraphicsManagerLines.cpp)
    // Draws the frame's line segment list (kept until the next frame start); the special flag draws them with
    // material 0x11, else with the blend kind's material.
    void DrawLineSegments(int32_t blendKind, bool special);
    // Opens a ribbon batch (world matrix the identity) with a texture slot (-1 none).
    void BeginRibbons(int32_t texture, uint32_t colour);
    // A ribbon from start to end, its colour blending from c1 to c2; the batch is drawn first when nearly full.
    void AddRibbon(const platform::Vec3& start, const platform::Vec3& end, float width, uint32_t c1, uint32_t c2);
    void FlushRibbons();
    uint32_t GetRibbonCount() const { return m_uRibbonCount; }
    // The line records (start, end, width, colour) of a source-form part, placed by the entry's matrix.
    void DrawLineSet(const ModelBatchEntry& entry);
    // The line records of an optimised line mesh, for each of its chained instances.
    void DrawModelLines(const OptMeshLOD& level, const OptMesh& mesh, bool overrides);
    // The twelve edges of an oriented box as 3D lines.
    void DrawBoxOutline(const OrientedBox& box, uint32_t colour);

    // ---- the view frustum and culling (world space; the ground footprint is a set of lines a x + b z > c)
    bool IsFrustumValid() const { return m_bFootprintValid; }
    bool IsHorizonVisible() const { return m_bHorizonVisible; }
    const platform::Vec3* GetFrustumCorners() const { return m_aFrustumCorner; }
    // Near, far, left, right, top, bottom; each facing into the frustum.
    const platform::Plane* GetFrustumPlanes() const { return m_aFrustumPlane; }
    uint32_t GetGroundLineCount() const { return m_uGroundLines; }
    const float* GetGroundLine(uint32_t i) const { return m_afGroundLine[i]; }
    // False when no corner of the ground rectangle is strictly inside some footprint line.
    bool IsRectVisible(float x0, float x1, float z0, float z1) const;
    // A sphere in view space against the view (clip code, view part).
    uint32_t TestSphere(const platform::Vec3& centre, float radius) const;
    // A ground circle against the footprint (footprint part).
    uint32_t TestCircle(const platform::Vec3& point, float radius) const;
    // Eight view-space points against the view (view part).
    uint32_t TestPoints(const platform::Vec3* points, uint32_t count) const;
    // Ground points (x, z taken) against the footprint (footprint part).
    uint32_t TestGroundPoints(const platform::Vec3* points, uint32_t count) const;
    // Eight world corners; only the parts the request asks for (ClipCode::kView, ClipCode::kGround) are run.
    uint32_t TestBox(const platform::Vec3* corners, uint32_t request) const;
    uint32_t TestBoxCorners(const platform::Vec3& min, const platform::Vec3& max, uint32_t request) const;
    // A scene object by its bounding sphere, refined by its model's box when the sphere crosses.
    uint32_t TestObject(const SceneObject& object, uint32_t request) const;

    // ---- points and rays (no drawing)
    // Screen x, y and depth of a world point through the whole-screen viewport.
    void ProjectToScreen(const platform::Vec3& point, platform::Vec3* out) const;
    void ProjectToScreenWorld(const platform::Vec3& point, const platform::Matrix& world, platform::Vec3* out) const;
    // The point through the view matrix (no division by w).
    void TransformToView(const platform::Vec3& point, platform::Vec3* out) const;
    // The ground point (y = 0) under a screen point where the view ray falls to height h; false (out unchanged)
    // when the eye is not above h or the ray does not fall steeply enough.
    bool PickGroundPoint(int16_t x, int16_t y, float h, platform::Vec3* out) const;
    // From the eye towards the world point under the screen point (unit direction).
    void GetPickRay(int16_t x, int16_t y, platform::Vec3* origin, platform::Vec3* direction) const;
    // From the eye towards a world point (unit direction).
    void GetRayTowards(const platform::Vec3& point, platform::Vec3* origin, platform::Vec3* direction) const;
    // (0, false) solid, (0, true) wireframe.
    void SetFillMode(uint32_t a, bool b);

    // ---- models: submission bone by bone into the draw lists, and ray picking (GraphicsManagerModels.cpp)
    // Draws a model at the position with the orientation (x pitch, y yaw, z roll): bones whose toggle bits share
    // no bit with the mask are left out with their subtrees; objects in the attachment slots (null: empty) are
    // placed on their points and drawn; a non-zero override material draws every mesh with that material.
    void DrawModel(uint32_t model, uint32_t drawParam, const platform::Vec3& position,
                   const platform::Vec3& orientation, uint32_t boneMask, SceneObject* const* attached,
                   uint32_t attachedCount, uint32_t overrideMaterial);
    // Draws a model posed by an animation (a model with key lists; 0 or -1 for none) started at `start`.
    void DrawAnimatedModel(uint32_t model, uint32_t animation, uint32_t drawParam, uint32_t start,
                           const platform::Vec3& position, const platform::Vec3& orientation,
                           uint32_t overrideMaterial);
    void DrawAnimatedModelAttached(uint32_t model, uint32_t animation, uint32_t drawParam, uint32_t start,
                                   const platform::Vec3& position, const platform::Vec3& orientation,
                                   uint32_t overrideMaterial, SceneObject* const* attached, uint32_t attachedCount);
    // The model pass: draws and empties the draw lists filled since the frame began.
    void DrawSceneModels(Renderer* renderer);
    // The ambient-and-shadow colour: the ambient light in the low 24 bits, the shadow darkness on top.
    uint32_t GetShadowColour() const;
    // The main pass (0) with shadows enabled and a light that casts them.
    bool ShadowsActive(uint32_t pass) const;
    // Shadows are on and the frustum was last built out to the shadow distance.
    bool ShadowsActiveForView() const { return m_bShadowsOn && m_bShadowRange; }
    // A level every mesh is drawn at where it has one (-1: chosen by distance).
    void SetForcedLevel(int32_t level) { m_iForcedLevel = level; }
    // Replaces the view depth of source-form models in the level choice (0: none).
    void SetDepthOverride(float depth) { m_fDepthOverride = depth; }
    // The ray parameter of the nearest triangle of the posed model (ray in the model's own space), 0 for none.
    float IntersectModel(uint32_t model, uint32_t animation, uint32_t start, uint32_t boneMask, uint32_t extra,
                         const platform::Vec3& origin, const platform::Vec3& direction);
    // The nearest hit of the ray on an indexed triangle list, starting from `nearest`; triangles with an index
    // at or beyond the vertex count are passed over.
    static float IntersectTriangles(const platform::Vec3* positions, uint32_t vertexCount, const uint16_t* indices,
                                    uint32_t indexCount, const platform::Vec3& origin, const platform::Vec3& direction,
                                    float nearest);
    // Counters of the model submission since the frame began.
    uint32_t GetModelsDrawn() const { return m_auFrameCounter[0]; }
    uint32_t GetMeshesConsidered() const { return m_auFrameCounter[1]; }
    uint32_t GetBoneMatricesSubmitted() const { return m_auFrameCounter[2]; }
    bool WasLastModelOptimised() const { return m_bLastModelOptimised; }

    // ---- batch and queue state (for tests and diagnostics)
    int32_t GetBatchKind() const { return m_iBatchKind; }
    int32_t GetBatchVertexCount() const { return m_iBatchVertices; }
    int32_t GetBatchIndexCount() const { return m_iBatchIndices; }
    int32_t GetBatchTexture() const { return m_iBatchTexture; }
    int32_t GetBatchMaterial() const { return m_iBatchMaterial; }
    bool IsTextQueueOpen() const { return m_bTextQueueOpen; }
    const TextQueue& GetTextQueue() const { return *m_pTextQueue; }
    uint32_t GetDebugBoxCount() const { return m_uDebugBoxes; }

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
    const std::vector<TexturedVertex>& GetRibbonVertices() const { return m_ribbonVertices; }
    const std::vector<uint16_t>& GetRibbonIndices() const { return m_ribbonIndices; }
    // The per-frame counters and totals the drawing code counts (cleared at every frame start).
    uint32_t m_auFrameCounter[3] = {};
    uint32_t m_auFrameTotal[3] = {};

    MaterialBuckets* GetMaterialBuckets() const { return m_pBuckets.get(); }
    ModelDrawList* GetModelDrawList() const { return m_pModelList.get(); }
    LineSegmentList* GetLineSegments() const { return m_pLineSegments.get(); }
    // Model draws the full draw lists dropped since the frame began.
    uint32_t GetDroppedModelDraws() const;

private:
    void UpdateDerivedValues();
    void SendFog(float start, float range, uint32_t colour);
    // Rebuilds the frustum out to the distance (corners, planes and ground lines come with the culling code).
    void BuildFrustum(float distance);
    // The line where a plane meets the ground, oriented so that the plane's inner side is a x + b z > c; false
    // when the plane is (nearly) parallel to the ground.
    static bool GroundLine(const platform::Plane& plane, float line[3]);
    void AddGroundLine(const float line[3]);
    // Draws whatever the batch holds and leaves no batch open.
    void FlushBatch() { BeginBatch(BATCH_NONE, 0, 1); }
    // Makes room for a primitive of that many vertices and indices in the open batch (drawing it first when it
    // could not hold them) and returns the vertex number the primitive starts at.
    int32_t ReserveBatch(int32_t vertices, int32_t indices);
    // Appends the indices of one primitive, offset by its first vertex, and advances the counts.
    void AppendBatchIndices(const uint16_t* local, int32_t count, int32_t first, int32_t vertices);
    void AppendColouredQuad(const ColourVertex (&corners)[4]);
    void AppendTexturedQuad(const float (&xy)[4][2], float u0, float v0, float u1, float v1, uint32_t colour);

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
    platform::Vec3 m_aFrustumCorner[8] = {};
    platform::Plane m_aFrustumPlane[6] = {};
    static constexpr uint32_t kMaxGroundLines = 5;
    float m_afGroundLine[kMaxGroundLines][3] = {};
    uint32_t m_uGroundLines = 0;
    bool m_bFootprintValid = false;
    bool m_bHorizonVisible = false;

    platform::Vec3 m_lightDirection = {0.0f, 1.0f, 0.0f};
    platform::Matrix m_lightView = platform::MatrixIdentity();
    platform::Matrix m_lightViewInverse = platform::MatrixIdentity();
    platform::Matrix m_shadowMatrix = platform::MatrixIdentity();
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

    bool m_bClear = true;
    uint32_t m_uClearColour = kDefaultClearColour;

    uint16_t m_auQuadIndices[kQuadCount * 6] = {};

    VideoSettings m_video;
    float m_fViewRangeFactor = 1.0f;
    float m_fDetailFactor = 1.0f;
    bool m_bShadowsOn = true;
    float m_fShadowFactor = 1.0f;

    // The pending batch.
    int32_t m_iBatchKind = BATCH_NONE;
    int32_t m_iBatchVertices = 0;
    int32_t m_iBatchIndices = 0;
    int32_t m_iBatchTexture = 0;
    int32_t m_iBatchMaterial = 1;
    bool m_bTextQueueOpen = false;
    std::unique_ptr<BatchStore> m_pBatch;
    std::unique_ptr<TextQueue> m_pTextQueue;
    static constexpr uint32_t kDebugBoxCapacity = 100;
    DebugBox m_aDebugBoxes[kDebugBoxCapacity] = {};
    uint32_t m_uDebugBoxes = 0;

    // The quads of the billboard list waiting for their draw.
    TexturedVertex m_aBillboardVertices[kQuadCount * 4] = {};
    uint32_t m_uSceneLight = 0xFFFFFFFF;

    std::unique_ptr<MaterialBuckets> m_pBuckets;
    std::unique_ptr<ModelDrawList> m_pModelList;
    std::unique_ptr<LineSegmentList> m_pLineSegments;
    // The ribbon batch of the thick lines: 200 ribbons of 6 vertices and 12 indices.
    std::vector<TexturedVertex> m_ribbonVertices;
    std::vector<uint16_t> m_ribbonIndices;
    uint32_t m_uRibbonCount = 0;
    int32_t m_iRibbonTexture = -1;
    // DrawRects' vertices and indices, grown to the largest draw and kept.
    std::vector<ColourVertex> m_rectVertices;
    std::vector<uint16_t> m_rectIndices;
    // Model submission state.
    bool m_bShadowRange = false;
    bool m_bLastModelOptimised = false;
    int32_t m_iForcedLevel = -1;
    float m_fDepthOverride = 0.0f;
};

extern GraphicsManager g_GraphicsManager;

// A colour channel from a float: truncated and limited to 0..255; not a number gives 0.
uint32_t TruncateChannel(float value);

// Two colours added channel by channel (alpha included), each channel saturating at 255.
uint32_t AddSaturated(uint32_t a, uint32_t b);

// The point through the matrix, x, y and z kept, no division by w.
void TransformPoint(const platform::Vec3& point, const platform::Matrix& matrix, platform::Vec3* out);
