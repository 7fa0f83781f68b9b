// The graphics manager's camera-facing quads: single billboards, the billboard list's batches, sprite meshes and
// the colour waves of their materials.
#include "engine/render/SpriteDrawing.h"

#include "engine/render/D3DRenderer.h"
#include "engine/render/DrawLists.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/MaterialTable.h"
#include "engine/render/OptModel.h"
#include "engine/render/TextureManager.h"
#include "engine/render/Waveform.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using platform::Matrix;
using platform::Vec3;

namespace
{

// The renderer's world-matrix tags used here: the inverse view (vertices in view space) and "always set".
constexpr uint32_t kTagInverseView = 2;
constexpr uint32_t kTagAlways = D3DRenderer::kTagAlways;

// Where a slot's image lies in its page: left, top, width, height in texture coordinates.
struct PageRect
{
    float left = 0.0f, top = 0.0f, width = 1.0f, height = 1.0f;
};

PageRect PageRectOf(int32_t slot)
{
    PageRect rect;
    if (slot > 0)
        g_TextureManager.GetTexCoords(static_cast<uint32_t>(slot), &rect.left, &rect.top, &rect.width, &rect.height);
    return rect;
}

// Four corners about (x, y) at depth z, bottom-left first and anticlockwise, so the image stands upright.
void WriteQuad(TexturedVertex* v, float x, float y, float z, float s, uint32_t colour, const PageRect& r)
{
    const float right = r.left + r.width, bottom = r.top + r.height;
    v[0] = {x - s, y - s, z, colour, r.left, bottom};
    v[1] = {x + s, y - s, z, colour, right, bottom};
    v[2] = {x + s, y + s, z, colour, right, r.top};
    v[3] = {x - s, y + s, z, colour, r.left, r.top};
}

// The camera's rotation (the inverse view without its translation) moved to the point.
Matrix FacingMatrix(const Matrix& inverseView, const Vec3& at)
{
    Matrix m = inverseView;
    m.m[3][0] = at.x;
    m.m[3][1] = at.y;
    m.m[3][2] = at.z;
    return m;
}

// The point moved `distance` towards the origin along the line to it; a point at the origin stays.
Vec3 PullTowardsOrigin(const Vec3& p, float distance)
{
    const float length = platform::Vec3Length(p);
    if (!(length > 0.0f))
        return p;
    return p - p * (distance / length);
}

uint32_t Channel(uint32_t colour, int shift)
{
    return (colour >> shift) & 0xFF;
}

constexpr uint32_t kParticleSize = sizeof(SpriteParticle);

SpriteParticle ReadParticle(const uint8_t* records, uint32_t i)
{
    SpriteParticle particle;
    std::memcpy(&particle, records + static_cast<size_t>(i) * kParticleSize, kParticleSize);
    return particle;
}

// What a sprite material gives its particles: the diffuse colour modulated by the scene light plus the second
// colour (after the colour waves at the time), and the diffuse alpha.
struct SpriteColours
{
    uint32_t lit;
    uint32_t alpha;
};

SpriteColours LitSpriteColours(uint32_t diffuse, uint32_t second, uint32_t third, const WaveRecord* waves,
                               uint32_t waveCount, uint32_t time, uint32_t sceneLight)
{
    GraphicsManager::ApplyColourWaves(time, waves, waveCount, &diffuse, &second, &third);
    uint32_t lit = 0;
    for (int shift = 0; shift < 24; shift += 8)
        lit |= (Channel(diffuse, shift) * Channel(sceneLight, shift) / 256) << shift;
    return {AddSaturated(lit, second), diffuse >> 24};
}

// A particle's colour: its own plus the lit colour, with the diffuse alpha. Oriented, the alpha fades with how
// squarely its normal (carried into view space by `toView`) faces the eye; false when it faces away.
bool ParticleColour(const SpriteParticle& particle, const SpriteColours& colours, bool oriented, const Matrix& toView,
                    uint32_t* colour)
{
    *colour = (AddSaturated(particle.colour, colours.lit) & 0x00FFFFFFu) | (colours.alpha << 24);
    if (!oriented)
        return true;
    const Vec3 n =
        platform::Vec3Normalize(platform::Vec3TransformNormal({particle.nx, particle.ny, particle.nz}, toView));
    // Facing away (or a normal without a length): not drawn.
    const float f = -n.z;
    if (!(f >= 0.0f))
        return false;
    const uint32_t alpha = static_cast<uint32_t>(std::lround(std::min(f, 1.0f) * 255.0f)) * colours.alpha / 256;
    *colour = (*colour & 0x00FFFFFFu) | (alpha << 24);
    return true;
}

uint32_t ColourOfBytes(const uint8_t (&bgra)[4])
{
    return static_cast<uint32_t>(bgra[0]) | static_cast<uint32_t>(bgra[1]) << 8 | static_cast<uint32_t>(bgra[2]) << 16 |
           static_cast<uint32_t>(bgra[3]) << 24;
}

// The sprite meshes of the draw lists, drawn through the graphics manager.
class SpriteMeshDrawer : public SpecialMeshDrawer
{
public:
    void DrawOptRecord(const OptMeshLOD& level, const OptMesh& mesh, uint32_t mode, bool overrides,
                       bool shadowDark) override
    {
        g_GraphicsManager.DrawSpriteMeshBatch(level, mesh, mode, overrides, shadowDark);
    }
    void DrawBatchRecord(const ModelBatchEntry& entry, uint32_t mode) override
    {
        if (!entry.m_pMesh || !entry.m_pLevel || !entry.m_pMatrix)
            return;
        const SubModel& sub = *entry.m_pMesh;
        const uint32_t count =
            std::min<uint32_t>(sub.m_uRecordCount, static_cast<uint32_t>(sub.m_records.size() / kParticleSize));
        const SMaterial* override =
            entry.m_uMaterial != 0 ? g_MaterialTable.GetMaterial(static_cast<int32_t>(entry.m_uMaterial)) : nullptr;
        g_GraphicsManager.DrawSpriteRecords(sub.m_records.data(), count,
                                            override ? *override : entry.m_pLevel->m_material, *entry.m_pMatrix,
                                            mode == 1);
    }
};

} // namespace

SpecialMeshDrawer& GetSpriteMeshDrawer()
{
    static SpriteMeshDrawer drawer;
    return drawer;
}

bool GraphicsManager::SpriteAddsNothing(uint32_t diffuse, uint32_t blendMode) const
{
    const uint32_t shadow = GetShadowColour();
    const bool dark = Channel(shadow, 0) < 32 && Channel(shadow, 8) < 32 && Channel(shadow, 16) < 32;
    return dark && (diffuse & 0x00FFFFFFu) == 0 && (blendMode == 1 || blendMode == 9);
}

void GraphicsManager::DrawBillboard(const Vec3& position, float size, uint32_t colour, int32_t texture,
                                    int32_t material)
{
    FlushBatch();
    Renderer* renderer = m_pRenderer.get();
    if (!renderer)
        return;
    TexturedVertex vertices[4];
    WriteQuad(vertices, 0.0f, 0.0f, 0.0f, size, colour, PageRectOf(texture));
    renderer->SetWorldMatrix(FacingMatrix(m_inverseView, position), kTagAlways);
    renderer->UseMaterial(material, texture, -1, false);
    renderer->DrawPolsTexCol(vertices, 4, kBillboardIndices, 6, texture, -1);
}

void GraphicsManager::DrawBillboardEntries(const BillboardEntry* entries, const uint32_t* order, uint32_t count)
{
    Renderer* renderer = m_pRenderer.get();
    if (count == 0 || !entries || !order || !renderer)
        return;
    FlushBatch();
    // Vertices are written in view space: the world matrix undoes the view.
    renderer->SetWorldMatrix(m_inverseView, kTagInverseView);

    const BillboardEntry& first = entries[order[0]];
    uint32_t texture = first.texture;
    uint32_t material = first.material;
    renderer->UseMaterial(static_cast<int32_t>(material), static_cast<int32_t>(texture), -1, false);
    PageRect rect = PageRectOf(static_cast<int32_t>(texture));

    constexpr uint32_t kCapacity = kQuadCount * 4;
    uint32_t waiting = 0;
    const auto drawWaiting = [&]()
    {
        if (waiting > 0)
            renderer->DrawPolsTexCol(m_aBillboardVertices, waiting, m_auQuadIndices, waiting * 3 / 2,
                                     static_cast<int32_t>(texture), -1);
        waiting = 0;
    };

    for (uint32_t i = 0; i < count; ++i)
    {
        const BillboardEntry& e = entries[order[i]];
        if (e.texture != texture || e.material != material || waiting == kCapacity)
        {
            drawWaiting();
            if (e.material != material)
                renderer->UseMaterial(static_cast<int32_t>(e.material), static_cast<int32_t>(e.texture), -1, false);
            texture = e.texture;
            material = e.material;
            rect = PageRectOf(static_cast<int32_t>(texture));
        }
        Vec3 p;
        TransformPoint({e.x, e.y, e.z}, m_view, &p);
        p = PullTowardsOrigin(p, e.size * 0.5f);
        WriteQuad(m_aBillboardVertices + waiting, p.x, p.y, p.z, e.size, e.colour, rect);
        waiting += 4;
    }
    drawWaiting();
}

int GraphicsManager::ApplyColourWaves(uint32_t time, const WaveRecord* waves, uint32_t count, uint32_t* first,
                                      uint32_t* second, uint32_t* third)
{
    uint32_t* colours[3] = {first, second, third};
    for (uint32_t w = 0; w < count && waves; ++w)
    {
        const uint32_t value = TruncateChannel(EvaluateWave(waves[w], time) * 255.0f);
        for (uint32_t bit = 0; bit < 12; ++bit)
        {
            uint32_t* colour = colours[bit / 4];
            if (!(waves[w].uTarget & (1u << bit)) || !colour)
                continue;
            const uint32_t shift = 8 * (bit % 4);
            *colour = (*colour & ~(0xFFu << shift)) | (value << shift);
        }
    }
    return 0;
}

void GraphicsManager::DrawSpriteMesh(const SpriteParticle* particles, uint32_t count, int32_t material,
                                     const Matrix& bone, bool oriented)
{
    static const SMaterial kPlain;
    const SMaterial* m = g_MaterialTable.GetMaterial(material);
    DrawSpriteRecords(reinterpret_cast<const uint8_t*>(particles), count, m ? *m : kPlain, bone, oriented);
}

void GraphicsManager::DrawSpriteRecords(const uint8_t* records, uint32_t count, const SMaterial& material,
                                        const Matrix& bone, bool oriented)
{
    Renderer* renderer = m_pRenderer.get();
    if (count == 0 || !records || !renderer || SpriteAddsNothing(material.m_uDiffuse, material.m_uBlendMode))
        return;
    FlushBatch();
    // Unlit: the particles carry their colours (the lighting switch also holds when the material was applied lit).
    renderer->SetMaterial(&material, false);
    renderer->SetLightingSet(-1);

    const SpriteColours colours = LitSpriteColours(
        material.m_uDiffuse, material.m_uSpecular, material.m_uSelfIllumination, material.m_channels.data(),
        static_cast<uint32_t>(material.m_channels.size()), m_uFrameTime, m_uSceneLight);
    const int32_t texture = material.m_aStages[0].m_iTexture;
    const PageRect rect = PageRectOf(texture);
    const Matrix boneView = platform::MatrixMultiply(bone, m_view);
    const Vec3 eye = {m_inverseView.m[3][0], m_inverseView.m[3][1], m_inverseView.m[3][2]};

    for (uint32_t i = 0; i < count; ++i)
    {
        const SpriteParticle particle = ReadParticle(records, i);
        uint32_t colour = 0;
        if (!ParticleColour(particle, colours, oriented, boneView, &colour))
            continue;
        Vec3 p;
        TransformPoint({particle.x, particle.y, particle.z}, bone, &p);
        p = eye + PullTowardsOrigin(p - eye, particle.size * 0.5f);

        TexturedVertex vertices[4];
        WriteQuad(vertices, 0.0f, 0.0f, 0.0f, particle.size, colour, rect);
        renderer->SetWorldMatrix(FacingMatrix(m_inverseView, p), kTagAlways);
        renderer->DrawPolsTexCol(vertices, 4, kBillboardIndices, 6, texture, -1);
    }
}

void GraphicsManager::DrawSpriteMeshBatch(const OptMeshLOD& level, const OptMesh& mesh, uint32_t mode, bool overrides,
                                          bool skipDark)
{
    Renderer* renderer = m_pRenderer.get();
    const uint32_t count = static_cast<uint32_t>(mesh.m_records.size() / kParticleSize);
    const DrawInstance* first = overrides ? level.m_pOverrideInstances : level.m_pInstances;
    if (!renderer || count == 0 || !first)
        return;
    const LightingSet* lighting = g_LightingSetTable.Get(level.m_parts.m_iLightingSet);
    const StateSet* state = g_StateSetTable.Get(level.m_parts.m_iStateSet);
    const uint32_t diffuse = lighting ? ColourOfBytes(lighting->m_auDiffuse) : 0xFFFFFFFFu;
    if (skipDark && SpriteAddsNothing(diffuse, state ? state->m_uBlendMode : 0))
        return;
    FlushBatch();
    renderer->SetTexCoordSet(level.m_parts.m_iStateSet);
    renderer->SetTextureTransformSet(level.m_parts.m_iTextureTransformSet, level.m_aiTexture[0], level.m_aiTexture[1]);
    renderer->SetLightingSet(-1);
    // Vertices are written in view space: the world matrix undoes the view.
    renderer->SetWorldMatrix(m_inverseView, kTagInverseView);

    const WaveRecord* waves =
        lighting ? g_ChannelStore.Get(lighting->m_iChannelFirst, lighting->m_uChannelCount) : nullptr;
    const SpriteColours colours = LitSpriteColours(diffuse, lighting ? ColourOfBytes(lighting->m_auSpecular) : 0,
                                                   lighting ? ColourOfBytes(lighting->m_auSelfIllumination) : 0, waves,
                                                   waves ? lighting->m_uChannelCount : 0, m_uFrameTime, m_uSceneLight);
    const int32_t texture = level.m_aiTexture[0];
    const PageRect rect = PageRectOf(texture);

    constexpr uint32_t kCapacity = kQuadCount * 4;
    uint32_t waiting = 0;
    const auto drawWaiting = [&]()
    {
        if (waiting > 0)
            renderer->DrawPolsTexCol(m_aBillboardVertices, waiting, m_auQuadIndices, waiting * 3 / 2, texture, -1);
        waiting = 0;
    };
    for (const DrawInstance* instance = first; instance; instance = instance->m_pNext)
    {
        if (!instance->m_pMatrix || instance->IsHidden(false))
            continue;
        const Matrix toView = platform::MatrixMultiply(*instance->m_pMatrix, m_view);
        for (uint32_t i = 0; i < count; ++i)
        {
            const SpriteParticle particle = ReadParticle(mesh.m_records.data(), i);
            uint32_t colour = 0;
            if (!ParticleColour(particle, colours, mode == 1, toView, &colour))
                continue;
            Vec3 p;
            TransformPoint({particle.x, particle.y, particle.z}, toView, &p);
            p = PullTowardsOrigin(p, particle.size * 0.5f);
            WriteQuad(m_aBillboardVertices + waiting, p.x, p.y, p.z, particle.size, colour, rect);
            waiting += 4;
            if (waiting == kCapacity)
                drawWaiting();
        }
    }
    drawWaiting();
}
