// Records shared by the graphics manager and the renderer: creation settings, video settings, device
// information, frame statistics and the vertex layouts of immediate drawing.
#pragma once

#include <cstdint>

// The creation record of the graphics manager and the renderer (filled by the display, copied whole into both).
struct RendererSettings
{
    uint32_t m_uKind = 0;        // 0 = the device renderer; the only kind
    uint32_t m_uWidth = 800;     // back-buffer width in pixels
    uint32_t m_uHeight = 600;    // back-buffer height in pixels
    uint8_t m_uColourDepth = 32; // 16 selects the 16-bit formats, anything else the 32-bit ones
    uint8_t m_uDepth16 = 16;     // constant
    uint8_t m_uDepth32 = 32;     // constant
    bool m_bWindowed = true;     // windowed presentation on the desktop format
    uint32_t m_uAdapter = 0;     // adapter ordinal
    uint32_t m_uOption1 = 0;     // the options' texture quality: the graphics manager's until video settings come
    uint32_t m_uOption2 = 0;     // copied from the options; not read by the renderer
    bool m_bLockableBackBuffer = false;
};

// The game's video settings record, handed to GraphicsManager::ApplyVideoSettings.
struct VideoSettings
{
    uint32_t m_uResWidth = 800;
    uint32_t m_uResHeight = 600;
    uint32_t m_uDisplayBPP = 32;
    uint32_t m_uFlag = 1; // always 1
    uint32_t m_uFilterType = 0;
    uint32_t m_uMaterialQuality = 2;
    float m_fObjectDetail = 0.5f;
    float m_fDrawDist = 0.5f;
    float m_fShadowDrawDist = 0.5f;
    uint32_t m_uTextureQuality = 0;
};

// The renderer's four-word device information record (the texture manager reads the first two words).
struct DeviceInfo
{
    uint32_t m_uMaxTextureWidth = 0;
    uint32_t m_uMaxTextureHeight = 0;
    // The third word: hardware transform flag (lowest byte), pure device flag (next byte), stencil flag.
    uint8_t m_bHardwareTnL = 0;
    uint8_t m_bPureDevice = 0;
    uint8_t m_bStencil = 0;
    uint8_t m_uPad = 0;
    uint32_t m_uReserved = 0; // always 0
};

// Frame statistics: 29 counters, cleared at every scene start. Indices of the counters kept by the renderer's
// device, texture and primitive code; the others belong to model drawing and materials.
struct RenderStats
{
    static constexpr int kCounterCount = 29;
    enum Counter
    {
        Triangles = 1,
        Vertices = 2,
        TextureBinds0 = 3,
        TextureBinds1 = 4,
        MaterialChanges = 18,
        StateSetChanges = 19,
        TextureTransformChanges = 20,
        LightingChanges = 21,
        DrawCalls = 27,
        TextureMemory = 28,
    };

    uint32_t m_auCounter[kCounterCount] = {};

    uint32_t Get(Counter c) const { return m_auCounter[c]; }
    void Add(Counter c, uint32_t n) { m_auCounter[c] += n; }
    void Clear()
    {
        for (uint32_t& c : m_auCounter)
            c = 0;
    }
};

// ---- vertex layouts (little-endian, packed 32-bit fields)

// Position and colour (ARGB, alpha in the top byte).
struct ColourVertex
{
    float x, y, z;
    uint32_t colour;
};

// A screen rectangle filled in one colour, by its corners.
struct ColourRect
{
    float x0, y0, x1, y1;
    uint32_t colour;
};

// Position, colour and one texture-coordinate pair.
struct TexturedVertex
{
    float x, y, z;
    uint32_t colour;
    float u, v;
};

// Position, normal and one texture-coordinate pair.
struct NormalTexVertex
{
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};

// Position, normal, diffuse and specular colours and one texture-coordinate pair.
struct LitTexVertex
{
    float x, y, z;
    float nx, ny, nz;
    uint32_t diffuse;
    uint32_t specular;
    float u, v;
};

// Position, normal and colour (vertex kind 2).
struct ColourNormalVertex
{
    float x, y, z;
    float nx, ny, nz;
    uint32_t colour;
};

// Position, diffuse and specular colours and one texture-coordinate pair (vertex kind 5).
struct SpecularTexVertex
{
    float x, y, z;
    uint32_t diffuse;
    uint32_t specular;
    float u, v;
};

static_assert(sizeof(ColourVertex) == 16);
static_assert(sizeof(TexturedVertex) == 24);
static_assert(sizeof(NormalTexVertex) == 32);
static_assert(sizeof(LitTexVertex) == 40);
static_assert(sizeof(ColourNormalVertex) == 28);
static_assert(sizeof(SpecularTexVertex) == 28);

// Vertex format codes of the layouts.
constexpr uint32_t kFvfColourVertex = 0x42;
constexpr uint32_t kFvfTexturedVertex = 0x142;
constexpr uint32_t kFvfColourNormalVertex = 0x52;
constexpr uint32_t kFvfNormalTexVertex = 0x112;
constexpr uint32_t kFvfLitTexVertex = 0x1D2;
constexpr uint32_t kFvfSpecularTexVertex = 0x1C2;

// Vertex kinds of the vertex buffers: 0 ColourVertex, 1 TexturedVertex, 2 ColourNormalVertex, 3 NormalTexVertex,
// 4 LitTexVertex, 5 SpecularTexVertex. Any other kind has format code 0.
uint32_t VertexKindFormat(uint32_t kind);
