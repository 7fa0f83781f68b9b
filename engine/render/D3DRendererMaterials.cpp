// The renderer's operations for model drawing, materials, material parts, the shadow pass and mesh locks. The
// material-table entries are drawn through their state sets (blending, depth, alpha test, texture-stage operations
// and sampling); model drawing, whole materials, texture-transform and lighting sets come with the model and
// material code and until then keep only the states and memories the frame cycle relies on.
#include "engine/render/D3DRenderer.h"

#include "engine/render/MaterialParts.h"
#include "engine/render/MaterialTable.h"

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

void D3DRenderer::DrawModelBatch(const ModelBatchEntry*, uint32_t) {}

void D3DRenderer::DrawOptModelLOD(const OptMeshLODPair*) {}

void D3DRenderer::DrawOptModelLOD_MatOveride(const OptMeshLODPair*) {}

void D3DRenderer::SetMaterial(const SMaterial* material, bool lit)
{
    m_iStateSet = -1;
    m_iTexTransformSet = -1;
    m_iLightingSet = -1;
    m_states.Set(RenderState::Lighting, lit ? 1 : 0);
    m_pMaterial = material;
}

void D3DRenderer::UseMaterial(int32_t materialNumber, int32_t texture, int32_t secondTexture, bool lit)
{
    const MaterialPartNumbers parts = g_MaterialTable.GetParts(materialNumber);
    SetTexCoordSet(parts.m_iStateSet);
    SetTextureTransformSet(parts.m_iTextureTransformSet, texture, secondTexture);
    if (!lit)
        m_states.Set(RenderState::Lighting, 0);
    else if (parts.m_iLightingSet >= 0)
        SetLightingSet(parts.m_iLightingSet);
    else
        m_states.Set(RenderState::Lighting, 1); // no lighting set yet: lit by the device material as it stands
}

void D3DRenderer::SetTexCoordSet(int32_t stateSetNumber)
{
    using namespace platform;
    if (m_bWireframe)
        stateSetNumber = g_MaterialTable.GetParts(kWireframeMaterial).m_iStateSet;
    const StateSet* set = g_StateSetTable.Get(stateSetNumber);
    if (!set || stateSetNumber == m_iStateSet)
        return;
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
    if (setNumber == m_iTexTransformSet && texture == m_iTexTransformArg0 && secondTexture == m_iTexTransformArg1)
        return;
    m_iTexTransformSet = setNumber;
    m_iTexTransformArg0 = texture;
    m_iTexTransformArg1 = secondTexture;
    m_pStats->Add(RenderStats::TextureTransformChanges, 1);
}

void D3DRenderer::SetLightingSet(int32_t setNumber)
{
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
}

void D3DRenderer::BeginShadowPass(bool on, bool textured)
{
    using namespace platform;
    if (on)
    {
        m_bShadowPass = true;
        m_bTexturedShadow = textured;
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

void* D3DRenderer::LockMeshVertices(uint32_t, uint32_t)
{
    return nullptr;
}

void D3DRenderer::UnlockMeshVertices() {}

uint16_t* D3DRenderer::LockMeshIndices(uint32_t, uint32_t)
{
    return nullptr;
}

void D3DRenderer::UnlockMeshIndices() {}
