// The renderer's operations for materials, material parts, the shadow pass and mesh locks: whole materials,
// texture-transform and lighting sets, the built-in material table's state sets, and the mesh locks.
#include "engine/render/D3DRenderer.h"

#include "engine/render/MaterialParts.h"
#include "engine/render/MaterialStates.h"
#include "engine/render/MaterialTable.h"
#include "engine/render/MeshManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using platform::RenderState;

namespace
{

// The built-in material whose parts wireframe mode draws with.
constexpr int32_t kWireframeMaterial = 26;

// One texture-stage operation with its two arguments.
struct StageOp
{
    uint32_t op;
    uint32_t arg1;
    uint32_t arg2;
};

struct StageOps
{
    StageOp colour;
    StageOp alpha;
};

using Op = platform::TextureOp;
using Arg = platform::TextureArg;

constexpr StageOp kDisabled = {Op::Disable, Arg::Current, Arg::Texture};

// Stage 0 combines its texture with the vertex colour; colour operation 8 takes the texture alone (colour and
// alpha) and leaves the vertex colour to stage 2.
StageOps Stage0Ops(uint8_t colourOp, uint8_t alphaOp)
{
    static const StageOp kColour[kMaxColourOp0 + 1] = {
        {Op::SelectArg1, Arg::Diffuse, Arg::Diffuse},
        {Op::SelectArg1, Arg::Texture, Arg::Diffuse},
        {Op::Modulate, Arg::Texture, Arg::Diffuse},
        {Op::Modulate2x, Arg::Texture, Arg::Diffuse},
        {Op::Add, Arg::Texture, Arg::Diffuse},
        {Op::AddSigned, Arg::Texture, Arg::Diffuse},
        {Op::BlendDiffuseAlpha, Arg::Texture, Arg::Diffuse},
        {Op::BlendTextureAlpha, Arg::Texture, Arg::Diffuse},
        {Op::SelectArg1, Arg::Texture, Arg::Diffuse},
    };
    static const StageOp kAlpha[kMaxAlphaOp0 + 1] = {
        {Op::SelectArg1, Arg::Diffuse, Arg::Diffuse}, {Op::SelectArg1, Arg::Texture, Arg::Diffuse},
        {Op::Modulate, Arg::Texture, Arg::Diffuse},   {Op::Modulate2x, Arg::Texture, Arg::Diffuse},
        {Op::Add, Arg::Texture, Arg::Diffuse},        {Op::AddSigned, Arg::Texture, Arg::Diffuse},
    };
    // Values outside the tables are taken as the material default, texture times vertex colour.
    StageOps ops = {kColour[colourOp <= kMaxColourOp0 ? colourOp : 2], kAlpha[alphaOp <= kMaxAlphaOp0 ? alphaOp : 2]};
    if (colourOp == 8)
        ops.alpha = {Op::SelectArg1, Arg::Texture, Arg::Diffuse};
    return ops;
}

// Stage 1 combines its texture with the result of stage 0. A disabled colour disables the alpha too; without
// material quality the generated coordinates (reflection and normal maps) are off, and so is the stage.
StageOps Stage1Ops(const StateSet& set, uint32_t materialQuality)
{
    static const StageOp kColour[kMaxColourOp1 + 1] = {
        kDisabled,
        {Op::SelectArg1, Arg::Current, Arg::Texture},
        {Op::SelectArg1, Arg::Texture, Arg::Current},
        {Op::Modulate, Arg::Texture, Arg::Current},
        {Op::Modulate2x, Arg::Texture, Arg::Current},
        {Op::Add, Arg::Texture, Arg::Current},
        {Op::AddSigned, Arg::Texture, Arg::Current},
        {Op::BlendDiffuseAlpha, Arg::Texture, Arg::Current},
        {Op::BlendTextureAlpha, Arg::Texture, Arg::Current},
        {Op::BlendCurrentAlpha, Arg::Texture, Arg::Current},
    };
    static const StageOp kAlpha[kMaxAlphaOp1 + 1] = {
        {Op::Disable, Arg::Texture, Arg::Current},    {Op::SelectArg1, Arg::Current, Arg::Current},
        {Op::SelectArg1, Arg::Texture, Arg::Current}, {Op::Modulate, Arg::Texture, Arg::Current},
        {Op::Modulate2x, Arg::Texture, Arg::Current}, {Op::Add, Arg::Texture, Arg::Current},
        {Op::AddSigned, Arg::Texture, Arg::Current},  {Op::BlendCurrentAlpha, Arg::Texture, Arg::Current},
    };
    uint8_t colourOp = set.m_uColourOp1 <= kMaxColourOp1 ? set.m_uColourOp1 : 0;
    uint8_t alphaOp = set.m_uAlphaOp1 <= kMaxAlphaOp1 ? set.m_uAlphaOp1 : 0;
    if (materialQuality == 0 && (set.m_uCoordKind1 == 2 || set.m_uCoordKind1 == 3))
        colourOp = alphaOp = 0;
    if (colourOp == 0)
        alphaOp = 0;
    return {kColour[colourOp], kAlpha[alphaOp]};
}

// Stage 2 brings back the vertex colour after a stage 0 that took the texture alone.
StageOps Stage2Ops(uint8_t colourOp0)
{
    if (colourOp0 != 8)
        return {kDisabled, kDisabled};
    const StageOp modulate = {Op::Modulate, Arg::Current, Arg::Diffuse};
    return {modulate, modulate};
}

// Filter bits 0-1: 0 linear, 1 point, else unchanged. Mip bits 2-3: 0 point (linear when filtering is asked
// for), 4 linear, 8 none, 12 unchanged. The bias is the signed byte x 0.05 - 0.6.
void ApplySampling(RenderStateCache& states, uint32_t stage, uint8_t sampling, int8_t mipBias, bool filter)
{
    using platform::TextureFilter;
    using platform::TextureStageState;
    const uint32_t minMag[4] = {TextureFilter::Linear, TextureFilter::Point, 0, 0};
    if ((sampling & 3) < 2)
    {
        states.SetStage(stage, TextureStageState::MinFilter, minMag[sampling & 3]);
        states.SetStage(stage, TextureStageState::MagFilter, minMag[sampling & 3]);
    }
    const uint32_t mip[3] = {filter ? TextureFilter::Linear : TextureFilter::Point, TextureFilter::Linear,
                             TextureFilter::None};
    if ((sampling & 12) != 12)
        states.SetStage(stage, TextureStageState::MipFilter, mip[(sampling >> 2) & 3]);
    states.SetStage(stage, TextureStageState::MipMapLodBias,
                    platform::FloatBits(static_cast<float>(mipBias) * 0.05f - 0.6f));
}

} // namespace

void D3DRenderer::SetMaterial(const SMaterial* material, bool lit)
{
    using namespace platform;
    m_iStateSet = -1;
    m_iTexTransformSet = -1;
    m_iLightingSet = -1;
    if (m_bWireframe)
        material = g_MaterialTable.GetMaterial(MaterialTable::kWireframe);
    if (!material || (material == m_pMaterial && lit == m_bMaterialLit))
        return;
    m_pMaterial = material;
    m_bMaterialLit = lit;
    m_pStats->Add(RenderStats::MaterialChanges, 1);
    const bool shadow = material == g_MaterialTable.GetMaterial(MaterialTable::kShadow) ||
                        material == g_MaterialTable.GetMaterial(MaterialTable::kTexturedShadow);
    const uint32_t t = WaveClock(m_fFrameTime);

    // The lighting material.
    MaterialDesc lighting =
        shadow ? ShadowMaterial(m_uAmbient >> 24) : MaterialLighting(*material, t, m_afEmissiveScale);
    if (m_uMaterialQuality < 2)
    {
        lighting.specular = ColourValue{};
        lighting.power = 0.0f;
    }
    m_states.Set(RenderState::SpecularEnable, lighting.power >= 0.01f ? 1 : 0);
    m_states.Set(RenderState::Lighting, lit ? 1 : 0);
    if (lit && m_pDevice)
        m_pDevice->SetMaterial(lighting);

    // Textures, their coordinates and matrices.
    Matrix channel[2];
    bool animated[2];
    ChannelMatrices(material->m_channels.data(), static_cast<uint32_t>(material->m_channels.size()), t, channel,
                    animated);
    const auto setTransform = [this](uint32_t stage, const Matrix& matrix)
    {
        if (m_pDevice)
            m_pDevice->SetTransform(TextureTransformOf(stage), matrix);
    };
    const MaterialStage& s0 = material->m_aStages[0];
    uint32_t coordIndex[2] = {0, 0};
    uint32_t transformFlags[2] = {TextureTransform::Disable, TextureTransform::Disable};
    bool localViewer = false;
    for (uint32_t stage = 0; stage < 2; ++stage)
    {
        const MaterialStage& s = material->m_aStages[stage];
        switch (s.m_uTextureMode)
        {
        case 0:
            if (stage == 0)
                SetTexturePipe(0, -1);
            break;
        case 1:
            SetTexturePipe(stage, s.m_iTexture);
            if (stage == 0 && animated[0])
            {
                setTransform(0, channel[0]);
                transformFlags[0] = TextureTransform::Count2;
            }
            else if (stage == 1 && s0.m_iTexture > 0)
            {
                // Stage 1 reads stage 0's coordinates: out of the first texture's page, animated, into its own.
                const Matrix undo = InverseRectMatrix(PageRectOf(s0.m_iTexture));
                const Matrix into = RectMatrix(PageRectOf(s.m_iTexture));
                setTransform(1, animated[1] ? undo * channel[1] * into : undo * into);
                transformFlags[1] = TextureTransform::Count2;
            }
            break;
        case 3:
        case 4:
        case 5:
        case 6:
        {
            const bool reflection = s.m_uTextureMode == 3 || s.m_uTextureMode == 5;
            coordIndex[stage] = reflection ? TexCoordGen::CameraSpaceReflectionVector : TexCoordGen::CameraSpaceNormal;
            setTransform(stage, GeneratedPageMatrix(PageRectOf(s.m_iTexture), reflection));
            transformFlags[stage] = TextureTransform::Count2;
            localViewer = true;
            SetTexturePipe(stage, s.m_iTexture);
            break;
        }
        default: // 2 and unknown modes keep the bound texture
            break;
        }
    }
    m_states.Set(RenderState::LocalViewer, localViewer ? 1 : 0);
    for (uint32_t stage = 0; stage < 2; ++stage)
    {
        m_states.SetStage(stage, TextureStageState::TextureTransformFlags, transformFlags[stage]);
        m_states.SetStage(stage, TextureStageState::TexCoordIndex, coordIndex[stage]);
    }
    ApplyTexturePipes();

    // Stage operations, sampling, blending, depth and alpha test as a state set of the material's own values.
    StateSet set{};
    set.m_uBlendMode = material->m_uBlendMode;
    set.m_uAlphaRef = material->m_uAlphaRef;
    set.m_uDepthCompare = material->m_uDepthCompare;
    set.m_uDepthAlphaFlags = material->m_uDepthAlphaFlags;
    set.m_uSampling0 = s0.m_uSampling;
    set.m_uColourOp0 = static_cast<uint8_t>(std::min<uint16_t>(s0.m_uColourOp, 255));
    set.m_uAlphaOp0 = static_cast<uint8_t>(std::min<uint16_t>(s0.m_uAlphaOp, 255));
    set.m_iMipBias0 = s0.m_iMipBias;
    const MaterialStage& s1 = material->m_aStages[1];
    set.m_uSampling1 = s1.m_uSampling;
    set.m_uColourOp1 = static_cast<uint8_t>(std::min<uint16_t>(s1.m_uColourOp, 255));
    set.m_uAlphaOp1 = set.m_uColourOp1 == 0 ? 0 : static_cast<uint8_t>(std::min<uint16_t>(s1.m_uAlphaOp, 255));
    set.m_iMipBias1 = s1.m_iMipBias;
    ApplyStateSet(set);

    // The shadows take their darkness from the material alone and darken each pixel once.
    m_states.Set(RenderState::ColourVertex, shadow ? 0 : 1);
    m_states.Set(RenderState::AmbientMaterialSource, shadow ? MaterialSource::Material : MaterialSource::Colour1);
    m_states.Set(RenderState::Ambient, shadow ? 0 : m_uAmbient & 0x00FFFFFF);
    if (shadow && !m_bWireframe)
    {
        m_states.Set(RenderState::StencilEnable, 1);
        m_states.Set(RenderState::StencilFunc, CompareFunc::Greater);
        m_states.Set(RenderState::StencilPass, StencilOp::Replace);
        m_states.Set(RenderState::StencilRef, 1);
        m_states.Set(RenderState::StencilMask, 0xFFFFFFFF);
    }
    else
    {
        m_states.Set(RenderState::StencilEnable, 0);
    }
}

void D3DRenderer::SetHighlight(bool on)
{
    if (on && !m_bHighlight)
    {
        std::copy(m_afEmissiveScale, m_afEmissiveScale + 4, m_afSavedEmissiveScale);
        const float pulse = 0.5f + 0.2f * std::sin(0.2f * m_fFrameTime);
        m_afEmissiveScale[0] = m_afEmissiveScale[1] = m_afEmissiveScale[2] = pulse;
        platform::LightDesc dark = m_light;
        dark.diffuse.r = dark.diffuse.g = dark.diffuse.b = 0.0f;
        dark.ambient.r = dark.ambient.g = dark.ambient.b = 0.0f;
        if (m_pDevice)
            m_pDevice->SetLight(0, dark);
        m_bHighlight = true;
    }
    else if (!on && m_bHighlight)
    {
        if (m_pDevice)
            m_pDevice->SetLight(0, m_light);
        std::copy(m_afSavedEmissiveScale, m_afSavedEmissiveScale + 4, m_afEmissiveScale);
        m_bHighlight = false;
    }
    m_iLightingSet = -1;
    ForgetWholeMaterial();
}

void D3DRenderer::UseMaterial(int32_t materialNumber, int32_t texture, int32_t secondTexture, bool lit)
{
    ForgetWholeMaterial();
    const MaterialPartNumbers parts = g_MaterialTable.GetParts(materialNumber);
    SetTexCoordSet(parts.m_iStateSet);
    SetTextureTransformSet(parts.m_iTextureTransformSet, texture, secondTexture);
    if (lit)
        SetLightingSet(parts.m_iLightingSet);
    else
        m_states.Set(RenderState::Lighting, 0);
}

void D3DRenderer::SetTexCoordSet(int32_t stateSetNumber)
{
    using namespace platform;
    if (m_bWireframe)
        stateSetNumber = g_MaterialTable.GetParts(kWireframeMaterial).m_iStateSet;
    const StateSet* set = g_StateSetTable.Get(stateSetNumber);
    if (!set || stateSetNumber == m_iStateSet)
        return;
    ForgetWholeMaterial();
    m_iStateSet = stateSetNumber;
    m_pStats->Add(RenderStats::StateSetChanges, 1);
    ApplyStateSet(*set);

    // Texture coordinates of stages 0 and 1 by their kinds; without material quality the generated ones are off.
    const uint8_t kinds[2] = {set->m_uCoordKind0, set->m_uCoordKind1};
    bool localViewer = false;
    for (uint32_t stage = 0; stage < 2; ++stage)
    {
        uint8_t kind = kinds[stage];
        if (kind > 3 || (m_uMaterialQuality == 0 && kind >= 2))
            kind = 0;
        static const uint32_t kCoordIndex[4] = {0, 0, TexCoordGen::CameraSpaceReflectionVector,
                                                TexCoordGen::CameraSpaceNormal};
        m_states.SetStage(stage, TextureStageState::TexCoordIndex, kCoordIndex[kind]);
        m_states.SetStage(stage, TextureStageState::TextureTransformFlags,
                          kind == 0 ? TextureTransform::Disable : TextureTransform::Count2);
        localViewer = localViewer || kind == 2;
    }
    // One device state serves both stages: a reflection on either keeps it on.
    m_states.Set(RenderState::LocalViewer, localViewer ? 1 : 0);
}

void D3DRenderer::ApplyStateSet(const StateSet& set)
{
    using namespace platform;
    const StageOps stages[3] = {
        Stage0Ops(set.m_uColourOp0, set.m_uAlphaOp0),
        Stage1Ops(set, m_uMaterialQuality),
        Stage2Ops(set.m_uColourOp0),
    };
    // The stages in order; the first one disabled ends the chain and the later ones are not written.
    for (uint32_t stage = 0; stage < 3; ++stage)
    {
        const StageOps& ops = stages[stage];
        if (ops.colour.op == TextureOp::Disable || ops.alpha.op == TextureOp::Disable)
        {
            m_states.SetStage(stage, TextureStageState::ColourOp, TextureOp::Disable);
            m_states.SetStage(stage, TextureStageState::AlphaOp, TextureOp::Disable);
            break;
        }
        m_states.SetStage(stage, TextureStageState::ColourOp, ops.colour.op);
        m_states.SetStage(stage, TextureStageState::ColourArg1, ops.colour.arg1);
        m_states.SetStage(stage, TextureStageState::ColourArg2, ops.colour.arg2);
        m_states.SetStage(stage, TextureStageState::AlphaOp, ops.alpha.op);
        m_states.SetStage(stage, TextureStageState::AlphaArg1, ops.alpha.arg1);
        m_states.SetStage(stage, TextureStageState::AlphaArg2, ops.alpha.arg2);
    }

    ApplySampling(m_states, 0, set.m_uSampling0, set.m_iMipBias0, m_bFilter);
    ApplySampling(m_states, 1, set.m_uSampling1, set.m_iMipBias1, m_bFilter);

    SetBlendMode(set.m_uBlendMode);
    static const uint32_t kDepthCompare[kMaxDepthCompare + 1] = {
        CompareFunc::Less,    CompareFunc::LessEqual,    CompareFunc::Always, CompareFunc::Equal,
        CompareFunc::Greater, CompareFunc::GreaterEqual, CompareFunc::Never};
    // A compare value with no meaning leaves the depth function as it is.
    if (set.m_uDepthCompare <= kMaxDepthCompare)
        m_states.Set(RenderState::ZFunc, kDepthCompare[set.m_uDepthCompare]);
    m_states.Set(RenderState::ZWriteEnable, (set.m_uDepthAlphaFlags & 1) ? 1 : 0);
    const bool alphaTest = (set.m_uDepthAlphaFlags & 2) != 0;
    m_states.Set(RenderState::AlphaTestEnable, alphaTest ? 1 : 0);
    if (alphaTest)
    {
        m_states.Set(RenderState::AlphaFunc, CompareFunc::Greater);
        m_states.Set(RenderState::AlphaRef, set.m_uAlphaRef);
    }
}

void D3DRenderer::SetTextureTransformSet(int32_t setNumber, int32_t texture, int32_t secondTexture)
{
    using namespace platform;
    if (m_bWireframe)
        setNumber = g_MaterialTable.GetParts(kWireframeMaterial).m_iTextureTransformSet;
    if (setNumber == m_iTexTransformSet && texture == m_iTexTransformArg0 && secondTexture == m_iTexTransformArg1)
        return;
    ForgetWholeMaterial();
    m_iTexTransformSet = setNumber;
    m_iTexTransformArg0 = texture;
    m_iTexTransformArg1 = secondTexture;
    m_pStats->Add(RenderStats::TextureTransformChanges, 1);
    const TextureTransformSet* set = g_TextureTransformSetTable.Get(setNumber);
    if (!set || !m_pDevice)
        return;

    Matrix channel[2];
    bool animated[2];
    ChannelMatrices(g_ChannelStore.Get(set->m_iChannelFirst, set->m_uChannelCount), set->m_uChannelCount,
                    WaveClock(m_fFrameTime), channel, animated);
    // Normal maps draw as reflections without material quality.
    const auto pageMapped = [this](uint8_t kind) { return kind == 2 || (kind == 3 && m_uMaterialQuality == 0); };
    if (set->m_uCoordKind0 == 1)
        m_pDevice->SetTransform(TransformType::Texture0, channel[0]);
    else if (pageMapped(set->m_uCoordKind0))
        m_pDevice->SetTransform(TransformType::Texture0, GeneratedPageMatrix(PageRectOf(texture), true));

    if (pageMapped(set->m_uCoordKind1))
    {
        m_pDevice->SetTransform(TransformType::Texture1, GeneratedPageMatrix(PageRectOf(secondTexture), true));
    }
    else if (secondTexture != 0 && secondTexture != -1)
    {
        // Stage 1 reads stage 0's coordinates: out of the first texture's page, animated, into its own.
        const Matrix undo = InverseRectMatrix(PageRectOf(texture));
        const Matrix into = RectMatrix(PageRectOf(secondTexture));
        m_pDevice->SetTransform(TransformType::Texture1,
                                set->m_uCoordKind1 == 1 ? undo * channel[1] * into : undo * into);
    }
}

void D3DRenderer::SetLightingSet(int32_t setNumber)
{
    using namespace platform;
    if (m_bWireframe)
        setNumber = g_MaterialTable.GetParts(kWireframeMaterial).m_iLightingSet;
    // Lighting is switched here whatever the remembered material asked for.
    ForgetWholeMaterial();
    if (setNumber == -1)
    {
        m_states.Set(RenderState::Lighting, 0);
        m_iLightingSet = -1;
        return;
    }
    m_states.Set(RenderState::Lighting, 1);
    if (setNumber == m_iLightingSet)
        return;
    m_iLightingSet = setNumber;
    m_pStats->Add(RenderStats::LightingChanges, 1);
    const LightingSet* set = g_LightingSetTable.Get(setNumber);
    if (!set)
        return;
    MaterialDesc material = LightingSetMaterial(*set, WaveClock(m_fFrameTime), m_afEmissiveScale);
    if (m_uMaterialQuality < 2)
    {
        material.specular = ColourValue{};
        material.power = 0.0f;
    }
    // The state memory writes the highlight switch only when it changes.
    m_states.Set(RenderState::SpecularEnable, material.power >= 0.01f ? 1 : 0);
    if (m_pDevice)
        m_pDevice->SetMaterial(material);
}

void D3DRenderer::BeginShadowPass(bool on, bool textured)
{
    using namespace platform;
    ForgetWholeMaterial();
    if (on)
    {
        m_bShadowPass = true;
        m_bTexturedShadow = textured;
        const MaterialPartNumbers parts =
            g_MaterialTable.GetParts(textured ? MaterialTable::kTexturedShadow : MaterialTable::kShadow);
        SetTexCoordSet(parts.m_iStateSet);
        SetTextureTransformSet(parts.m_iTextureTransformSet, -1, -1);
        SetLightingSet(parts.m_iLightingSet);
        if (m_pDevice)
            m_pDevice->SetMaterial(ShadowMaterial(m_uAmbient >> 24));
        // The device material is no lighting set's: the next set is written whatever its number.
        m_iLightingSet = -1;
        m_states.Set(RenderState::ColourVertex, 0);
        m_states.Set(RenderState::AmbientMaterialSource, MaterialSource::Material);
        m_states.Set(RenderState::Ambient, 0);
        m_states.Set(RenderState::StencilEnable, 1);
        m_states.Set(RenderState::StencilFunc, CompareFunc::Greater);
        m_states.Set(RenderState::StencilPass, StencilOp::Replace);
        m_states.Set(RenderState::StencilRef, 1);
        m_states.Set(RenderState::StencilMask, 0xFFFFFFFF);
        return;
    }
    m_bShadowPass = false;
    m_states.Set(RenderState::ColourVertex, 1);
    m_states.Set(RenderState::AmbientMaterialSource, MaterialSource::Colour1);
    m_states.Set(RenderState::Ambient, m_uAmbient & 0x00FFFFFF);
    m_states.Set(RenderState::StencilEnable, 0);
}

// ---- mesh locks (the mesh records come with the mesh manager's registration)

void* D3DRenderer::LockMeshVertices(uint32_t meshHandle, uint32_t count)
{
    const MeshRecord* record = g_MeshManager.GetMesh(meshHandle);
    if (!record || m_pLockedMeshVertices)
        return nullptr;
    VertexBuffer* buffer = GetVertexBufferByHandle(record->m_uVertexBuffer);
    void* data = buffer ? buffer->LockRange(count, record->m_uBaseVertex) : nullptr;
    if (data)
        m_pLockedMeshVertices = buffer;
    return data;
}

void D3DRenderer::UnlockMeshVertices()
{
    if (m_pLockedMeshVertices)
        m_pLockedMeshVertices->Unlock();
    m_pLockedMeshVertices = nullptr;
}

uint16_t* D3DRenderer::LockMeshIndices(uint32_t meshHandle, uint32_t count)
{
    const MeshRecord* record = g_MeshManager.GetMesh(meshHandle);
    if (!record || m_pLockedMeshIndices)
        return nullptr;
    IndexBuffer* buffer = GetIndexBufferByHandle(record->m_uIndexBuffer);
    void* data = buffer ? buffer->LockRange(count, record->m_uFirstIndex) : nullptr;
    if (data)
        m_pLockedMeshIndices = buffer;
    return static_cast<uint16_t*>(data);
}

void D3DRenderer::UnlockMeshIndices()
{
    if (m_pLockedMeshIndices)
        m_pLockedMeshIndices->Unlock();
    m_pLockedMeshIndices = nullptr;
}
