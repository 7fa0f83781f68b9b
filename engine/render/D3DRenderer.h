// The renderer on the platform's drawing device: device life, frame and scene, states, textures, immediate
// drawing through dynamic streams, and the managed vertex and index buffers with their handles.
#pragma once

#include "engine/render/RenderBuffers.h"
#include "engine/render/RenderStateCache.h"
#include "engine/render/Renderer.h"
#include "platform/gfx/Device.h"

#include <cstdint>
#include <memory>
#include <vector>

struct MeshRecord;
struct OptMesh;
struct OptMeshLOD;

// Engine-wide words of the renderer: frames begun, and the word the material code reads (set to 1 when the
// device is created).
extern uint32_t g_uRenderFrameCount;
extern uint32_t g_uMaterialStateWord;

// One slot of the renderer's texture table.
struct DeviceTextureEntry
{
    platform::TexturePtr m_pTexture;
    bool m_bChanged = false; // level 0 was written since the mip levels were last rebuilt
};

// An append-only ring of vertices of one layout in a write-only dynamic buffer of the default pool; a new one
// starts empty and discards at its first lock.
struct DynamicVertexStream
{
    platform::VertexBufferPtr m_pBuffer;
    uint32_t m_uCapacity = 0;
    uint32_t m_uNext = 0;
    uint32_t m_uStride = 0;
    bool m_bLocked = false;
    bool m_bDiscard = true;
};

// The same for 16-bit indices.
struct DynamicIndexStream
{
    platform::IndexBufferPtr m_pBuffer;
    uint32_t m_uCapacity = 0;
    uint32_t m_uNext = 0;
    bool m_bLocked = false;
    bool m_bDiscard = true;
};

// The last stream and index bindings made through SetStreams.
struct StreamBinding
{
    platform::IVertexBuffer* m_pVertexBuffer = nullptr;
    platform::IIndexBuffer* m_pIndexBuffer = nullptr;
    int64_t m_iBaseVertex = -1;
};

class D3DRenderer : public Renderer
{
public:
    static constexpr uint32_t kTextureCapacity = 2000;
    static constexpr uint32_t kDynamicCapacity = 4000;
    static constexpr uint32_t kIndexCapacityFactor = 8;
    static constexpr uint32_t kTexturePipes = 8;
    static constexpr uint32_t kMinTextureSize = 256;
    // Initial room of the buffer handle tables; they grow when a handle does not fit.
    static constexpr uint32_t kIndexTableSize = 100;
    static constexpr uint32_t kVertexTableSize = 51;
    // The world-matrix tags with a meaning of their own.
    static constexpr uint32_t kTagIdentity = 0;
    static constexpr uint32_t kTagAlways = 5;

    // The dynamic streams, by layout.
    enum StreamIndex
    {
        StreamColour = 0,
        StreamNormalTex = 1,
        StreamLitTex = 2,
        StreamTextured = 3,
        StreamCount = 4,
    };

    D3DRenderer();
    ~D3DRenderer() override;
    D3DRenderer(const D3DRenderer&) = delete;
    D3DRenderer& operator=(const D3DRenderer&) = delete;

    // ---- the Renderer interface
    uint32_t GetMaxDynamicVertices() override { return 120000; }
    uint32_t CreateIndexBuffer(uint32_t indexCount) override;
    bool ReleaseIndexBuffer(uint32_t handle) override;
    IndexBuffer* GetIndexBufferByHandle(uint32_t handle) override;
    uint32_t GetMaxIndexValue(uint32_t) override { return 65535; }
    uint32_t CreateVertexBuffer(uint32_t kind, uint32_t vertexCount) override;
    bool ReleaseVertexBuffer(uint32_t handle) override;
    VertexBuffer* GetVertexBufferByHandle(uint32_t handle) override;
    bool CreateDevice(void* window, const RendererSettings& settings) override;
    void Release() override;
    void Reserved12() override {}
    void DeleteBufferObject(BufferObject* object) override;
    void SetQuality(bool filter, uint32_t materialQuality) override;
    void GetDeviceInfo(DeviceInfo* out) override;
    bool ValidateStateSet(const StateSet& set) override;
    bool BeginFrame() override;
    bool BeginScene(float frameTime, uint32_t unused) override;
    void EndFrame() override;
    void BeginSecondPass() override;
    void Reserved21() override {}
    void Clear(bool target, uint32_t colour) override;
    void Present() override;
    void SetViewMatrix(const platform::Matrix& matrix) override;
    void SetWorldMatrix(const platform::Matrix& matrix, uint32_t tag) override;
    void SetProjectionMatrix(const platform::Matrix& matrix) override;
    void SetDepthRange(float minZ, float maxZ) override;
    void SetViewport(float left, float right, float top, float bottom) override;
    void SetLight(uint32_t emissiveScale, uint32_t diffuse, uint32_t specular, const platform::Vec3& direction,
                  uint32_t ambient) override;
    void SetFog(float start, float end, uint32_t colour) override;
    bool ReserveTexture(uint32_t width, uint32_t height, uint32_t formatCode, int32_t textureNumber) override;
    void ReleaseTexture(int32_t textureNumber) override;
    bool UpdateTexture(const void* pixels, uint32_t width, uint32_t height, uint32_t formatCode,
                       int32_t textureNumber) override;
    bool UpdateTexture(const void* pixels, uint32_t width, uint32_t height, uint32_t formatCode, int32_t textureNumber,
                       bool withMipData) override;
    bool UpdateTextureSubRegion(const void* pixels, uint32_t width, uint32_t height, uint32_t x, uint32_t y,
                                uint32_t formatCode, int32_t textureNumber) override;
    bool ReadTexture(void* destination, uint32_t destinationSize, int32_t textureNumber) override;
    void RebuildChangedTextures() override;
    void LockTexture(int32_t textureNumber, void** bits, int32_t* pitch) override;
    void UnlockTexture(int32_t textureNumber) override;
    void RebuildMipLevels(int32_t textureNumber, bool discardManaged) override;
    void DrawLineColList(const ColourVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                         uint32_t indexCount) override;
    void DrawPolsUntexCol(const ColourVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                          uint32_t indexCount, uint32_t unused) override;
    void DrawLineCol(const ColourVertex* twoVertices) override;
    void DrawPolsTexCol(const TexturedVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                        uint32_t indexCount, int32_t texture, int32_t secondTexture) override;
    void DrawPolsTexNormal(const NormalTexVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                           uint32_t indexCount, int32_t texture, int32_t secondTexture) override;
    void DrawPolsTexColTPage(const TexturedVertex* vertices, uint32_t vertexCount, const uint16_t* indices,
                             uint32_t indexCount, int32_t textureNumber) override;
    void DrawModelBatch(const ModelBatchEntry* entry, uint32_t count) override;
    void DrawOptModelLOD(const OptMeshLODPair* pair) override;
    void DrawOptModelLOD_MatOveride(const OptMeshLODPair* pair) override;
    void SetWireframe(uint32_t mustBeZero, bool on) override;
    void SetMaterial(const SMaterial* material, bool lit) override;
    void UseMaterial(int32_t materialNumber, int32_t texture, int32_t secondTexture, bool lit) override;
    void SetTexCoordSet(int32_t stateSetNumber) override;
    void ApplyStateSet(const StateSet& set) override;
    void SetTextureTransformSet(int32_t setNumber, int32_t texture, int32_t secondTexture) override;
    void SetLightingSet(int32_t setNumber) override;
    void BeginShadowPass(bool on, bool textured) override;
    bool HasStencil() override { return m_bStencil; }
    bool SaveScreenshot(const char* fileName) override;
    bool CaptureFrontBuffer(void* destination, uint32_t size) override;
    std::unique_ptr<uint32_t[]> ReadBackBuffer(uint32_t* width, uint32_t* height) override;
    void GetFrameStats(RenderStats* out) override;
    void BlitToRenderTarget(const uint32_t* pixels, uint32_t width, uint32_t height) override;
    void* LockMeshVertices(uint32_t meshHandle, uint32_t count) override;
    void UnlockMeshVertices() override;
    uint16_t* LockMeshIndices(uint32_t meshHandle, uint32_t count) override;
    void UnlockMeshIndices() override;
    void SetTextureClamp(bool clamp) override;

    // ---- operations outside the interface
    // Requests a texture manager slot on a pipe (-1 none; wireframe mode requests none).
    void SetTexturePipe(uint32_t pipe, int32_t slot);
    // Requests a renderer texture number on a pipe as it is.
    void SetDeviceTexturePipe(uint32_t pipe, int32_t textureNumber);
    // Binds the requested textures of pipes 0 and 1 where they changed.
    void ApplyTexturePipes();
    // Binds a vertex buffer and an index buffer, skipping what is bound already.
    void SetStreams(platform::IVertexBuffer* vertexBuffer, uint32_t format, uint32_t stride,
                    platform::IIndexBuffer* indexBuffer, uint32_t baseVertexIndex);
    // Blend enable, source and destination factors of a blend mode (0 to 9, 11, 12); other modes change nothing.
    void SetBlendMode(uint32_t mode);
    void CreateDynamicStreams();
    void ReleaseDynamicStreams();
    // Writes and remembers every remembered state with its start value, and writes the start values of a few
    // states that are not remembered; forgets the remembered material and material parts.
    void ResetRenderStates();
    // The next draws glow with their own diffuse colour times a factor pulsing with the frame time (the selected
    // object); off restores the light and the emissive scale.
    void SetHighlight(bool on);

    // ---- inspection
    platform::IDevice* GetDevice() const { return m_pDevice.get(); }
    const RendererSettings& GetSettings() const { return m_settings; }
    const platform::PresentParams& GetPresentParams() const { return m_presentParams; }
    RenderStateCache& GetStateCache() { return m_states; }
    const StreamBinding& GetStreamBinding() const { return m_binding; }
    const DynamicVertexStream* GetVertexStream(StreamIndex index) const { return m_apStreams[index].get(); }
    const DynamicIndexStream* GetIndexStream() const { return m_pIndexStream.get(); }
    const RenderStats& GetStats(int record) const { return m_aStats[record ? 1 : 0]; }
    uint32_t GetTextureMemoryEstimate() const { return m_uTextureBytes; }
    uint32_t GetTextureMemoryMB() const { return m_uTextureMemoryMB; }
    int32_t GetBoundTexture(uint32_t pipe) const { return pipe < kTexturePipes ? m_aiBoundTexture[pipe] : 0; }
    int32_t GetRequestedTexture(uint32_t pipe) const { return pipe < kTexturePipes ? m_aiRequestedTexture[pipe] : 0; }
    platform::ITexture* GetTexture(int32_t textureNumber) const;
    bool IsWireframe() const { return m_bWireframe; }
    bool GetFilter() const { return m_bFilter; }
    uint32_t GetMaterialQuality() const { return m_uMaterialQuality; }
    const float* GetEmissiveScale() const { return m_afEmissiveScale; }
    uint32_t GetAmbientArgument() const { return m_uAmbient; }
    float GetFogStart() const { return m_fFogStart; }
    float GetFogEnd() const { return m_fFogEnd; }
    uint32_t GetFogColour() const { return m_uFogColour; }
    float GetFrameTime() const { return m_fFrameTime; }
    const platform::Matrix& GetViewRotation() const { return m_viewRotation; }
    uint32_t GetNextBufferHandle() const { return m_uNextBufferHandle; }
    bool IsShadowPass() const { return m_bShadowPass; }
    int32_t GetRememberedStateSet() const { return m_iStateSet; }
    const SMaterial* GetRememberedMaterial() const { return m_pMaterial; }

    // Bytes a texture of that size and format counts in the texture memory estimate.
    static uint32_t TextureMemoryBytes(platform::PixelFormat format, uint32_t width, uint32_t height);
    // The device format of a format code; Unknown for codes outside 1 to 9.
    static platform::PixelFormat FormatFromCode(uint32_t formatCode);

private:
    // The device creation steps: formats, presentation parameters, the device with its fallback, the first clear
    // and the texture memory test. A device that cannot be made ends the program like a missing graphics system.
    void CreateDeviceObjects(void* window);
    void ForgetMaterialParts();
    // Other drawing changed the device behind the remembered whole material: the next SetMaterial applies in full.
    void ForgetWholeMaterial() { m_pMaterial = nullptr; }
    void ForgetBindings();
    DeviceTextureEntry* TextureEntry(int32_t textureNumber) const;

    // Reserves n items at the end of a stream (from its start after a discard or when they do not fit) and locks
    // them; null when nothing was locked.
    void* AppendLock(DynamicVertexStream* stream, uint32_t n, uint32_t* start);
    uint16_t* AppendLock(DynamicIndexStream* stream, uint32_t n, uint32_t* start);

    // What an immediate draw needs: the filled stream ranges.
    struct ImmediateDraw
    {
        uint32_t m_uStartVertex = 0;
        uint32_t m_uStartIndex = 0;
    };
    // Copies the vertices and the rebased indices (or 0 to m - 1 when `indices` is null) into the streams and
    // binds them; false when either lock failed (nothing is drawn then).
    bool FillStreams(StreamIndex streamIndex, uint32_t format, const void* vertices, uint32_t vertexCount,
                     const uint16_t* indices, uint32_t indexCount, ImmediateDraw* draw);
    void CountDraw(uint32_t vertices, uint32_t triangles);
    // Draws the filled streams as indexed triangles with the texture pipes set, reporting a failure in the
    // textured draws' words (`operation` names the draw), and counts the draw.
    void DrawTexturedTriangles(const char* operation, const ImmediateDraw& draw, uint32_t vertexCount,
                               uint32_t indexCount);

    // ---- model drawing (D3DRendererModels.cpp)
    // How a failed model draw is reported.
    enum class ModelDrawKind
    {
        OptStatic,
        OptDynamic,
        OverrideStatic,
        OverrideDynamic,
        BatchStatic,
        BatchDynamic,
    };
    // The vertices and indices of a part drawn by processor batching.
    struct BatchSource
    {
        const platform::Vec3* m_pPositions = nullptr;
        const platform::Vec3* m_pNormals = nullptr;
        const uint32_t* m_pColours = nullptr; // null: 0
        const platform::Vec2* m_pUVs = nullptr;
        const uint16_t* m_pIndices = nullptr;
        uint32_t m_uVertexCount = 0;
        uint32_t m_uIndexCount = 0;
    };
    // Binds a level's textures and applies its material parts (or what the shadow pass needs of it).
    void BindOptLevel(const OptMeshLOD& level, int32_t materialNumber);
    // The processor copy of an optimised part (from its arrays or a lock of its ranges); false when it cannot be
    // read. Locks taken are released by ReleaseOptSource.
    bool GatherOptSource(const OptMeshLOD& level, const OptMesh& mesh, BatchSource* source);
    void ReleaseOptSource();
    // Draws `count` placements of a batched part; `next` yields each placement's matrix.
    template <class Next> void DrawBatched(const BatchSource& source, uint32_t count, Next next, ModelDrawKind kind);
    // Binds the shared buffers of a registered vertex range and index range; the index range's record, or null
    // when either range or buffer is missing.
    const MeshRecord* BindMeshBuffers(uint32_t vertexHandle, uint32_t indexHandle);
    void DrawStaticPart(const MeshRecord& indexRange, const platform::Matrix& matrix, uint32_t vertexCount,
                        uint32_t indexCount, ModelDrawKind kind);
    void ReportModelDraw(ModelDrawKind kind, uint32_t startVertex, uint32_t vertices, uint32_t startIndex,
                         uint32_t indices);
    bool m_bSourceLockedVertices = false;
    bool m_bSourceLockedIndices = false;

    RendererSettings m_settings;
    uint32_t m_uMaxTextureWidth = kMinTextureSize;
    uint32_t m_uMaxTextureHeight = kMinTextureSize;
    bool m_bHardwareTnL = false;
    bool m_bPureDevice = false;
    bool m_bStencil = false;
    platform::GraphicsSystemPtr m_pSystem;
    platform::DevicePtr m_pDevice;
    platform::DeviceCaps m_caps;
    platform::PresentParams m_presentParams;
    uint32_t m_uTextureMemoryMB = 0; // from the texture memory test at device creation

    std::unique_ptr<DynamicVertexStream> m_apStreams[StreamCount];
    std::unique_ptr<DynamicIndexStream> m_pIndexStream;

    uint32_t m_uTextureCapacity = 0;
    std::unique_ptr<DeviceTextureEntry[]> m_pTextures;

    platform::LightDesc m_light;
    float m_afEmissiveScale[4] = {};
    uint32_t m_uAmbient = 0;

    uint32_t m_uDynamicCapacity = kDynamicCapacity;
    float m_fFrameTime = 0.0f;

    int32_t m_iStateSet = -1;
    int32_t m_iTexTransformSet = -1;
    int32_t m_iTexTransformArg0 = -1;
    int32_t m_iTexTransformArg1 = -1;
    int32_t m_iLightingSet = -1;
    const SMaterial* m_pMaterial = nullptr;
    bool m_bMaterialLit = false; // whether the remembered material was applied lit

    RenderStats m_aStats[2];
    RenderStats* m_pStats = &m_aStats[0];
    uint32_t m_uTextureBytes = 0;

    int32_t m_aiRequestedTexture[kTexturePipes] = {};
    int32_t m_aiBoundTexture[kTexturePipes] = {};

    float m_fFogStart = 0.0f;
    float m_fFogEnd = 0.0f;
    uint32_t m_uFogColour = 0;

    platform::Matrix m_identity;
    platform::Matrix m_viewRotation;

    bool m_bShadowPass = false;
    bool m_bTexturedShadow = false;
    int32_t m_iModelBatchWord = -1;

    uint32_t m_uNextBufferHandle = 1;
    std::vector<std::unique_ptr<IndexBuffer>> m_indexBuffers;
    std::vector<std::unique_ptr<VertexBuffer>> m_vertexBuffers;

    RenderStateCache m_states;
    StreamBinding m_binding;
    // The tag of the last world matrix set; kNoTag after the device lost its transforms.
    static constexpr uint32_t kNoTag = 0xFFFFFFFF;
    uint32_t m_uLastWorldTag = 0;

    bool m_bWireframe = false;
    bool m_bFilter = false;
    uint32_t m_uMaterialQuality = 2;

    // The emissive scale saved while the highlight is on.
    float m_afSavedEmissiveScale[4] = {};
    bool m_bHighlight = false;
    // The mesh buffers locked through LockMeshVertices and LockMeshIndices.
    VertexBuffer* m_pLockedMeshVertices = nullptr;
    IndexBuffer* m_pLockedMeshIndices = nullptr;
};

// Allocates and constructs a renderer (CreateDevice sets its state).
D3DRenderer* CreateD3DRenderer();
