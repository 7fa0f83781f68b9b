// The render-state memory: write-on-change for the remembered render and texture-stage states.
#include "engine/render/RenderStateCache.h"

using platform::RenderState;
using platform::TextureStageState;

namespace
{

uint32_t Index(RenderState state)
{
    return static_cast<uint32_t>(state);
}

uint32_t Index(TextureStageState state)
{
    return static_cast<uint32_t>(state);
}

} // namespace

bool RenderStateCache::IsRemembered(RenderState state)
{
    switch (state)
    {
    case RenderState::ColourVertex:
    case RenderState::Ambient:
    case RenderState::ZEnable:
    case RenderState::FillMode:
    case RenderState::ShadeMode:
    case RenderState::ZWriteEnable:
    case RenderState::AlphaTestEnable:
    case RenderState::AlphaRef:
    case RenderState::AlphaFunc:
    case RenderState::AlphaBlendEnable:
    case RenderState::SrcBlend:
    case RenderState::DestBlend:
    case RenderState::CullMode:
    case RenderState::ZFunc:
    case RenderState::DitherEnable:
    case RenderState::SpecularEnable:
    case RenderState::FogEnable:
    case RenderState::FogColour:
    case RenderState::FogTableMode:
    case RenderState::FogVertexMode:
    case RenderState::Clipping:
    case RenderState::Lighting:
    case RenderState::LocalViewer:
    case RenderState::NormalizeNormals:
    case RenderState::StencilEnable:
    case RenderState::AmbientMaterialSource:
    case RenderState::StencilFunc:
    case RenderState::StencilPass:
    case RenderState::StencilRef:
    case RenderState::StencilMask:
    case RenderState::FogStart:
    case RenderState::FogEnd:
    case RenderState::FogDensity:
        return true;
    default:
        return false;
    }
}

bool RenderStateCache::IsRemembered(uint32_t stage, TextureStageState state)
{
    if (stage >= kStages)
        return false;
    switch (state)
    {
    case TextureStageState::TextureTransformFlags:
    case TextureStageState::TexCoordIndex:
    case TextureStageState::AddressU:
    case TextureStageState::AddressV:
    case TextureStageState::ColourOp:
    case TextureStageState::ColourArg1:
    case TextureStageState::ColourArg2:
    case TextureStageState::AlphaOp:
    case TextureStageState::AlphaArg1:
    case TextureStageState::AlphaArg2:
    case TextureStageState::MinFilter:
    case TextureStageState::MagFilter:
    case TextureStageState::MipFilter:
    case TextureStageState::MipMapLodBias:
        return true;
    default:
        return false;
    }
}

void RenderStateCache::Attach(platform::IDevice* device)
{
    m_pDevice = device;
    Forget();
}

void RenderStateCache::Forget()
{
    for (bool& known : m_abRenderKnown)
        known = false;
    for (auto& stage : m_abStageKnown)
        for (bool& known : stage)
            known = false;
}

bool RenderStateCache::Set(RenderState state, uint32_t value)
{
    const uint32_t i = Index(state);
    if (i >= platform::kRenderStateCount)
        return false;
    if (IsRemembered(state) && m_abRenderKnown[i] && m_auRender[i] == value)
        return false;
    Write(state, value);
    return true;
}

bool RenderStateCache::SetStage(uint32_t stage, TextureStageState state, uint32_t value)
{
    const uint32_t i = Index(state);
    if (i >= platform::kTextureStageStateCount || stage >= platform::kMaxTextureStages)
        return false;
    if (IsRemembered(stage, state) && m_abStageKnown[stage][i] && m_auStage[stage][i] == value)
        return false;
    WriteStage(stage, state, value);
    return true;
}

void RenderStateCache::Write(RenderState state, uint32_t value)
{
    const uint32_t i = Index(state);
    if (i >= platform::kRenderStateCount)
        return;
    if (m_pDevice)
        m_pDevice->SetRenderState(state, value);
    if (IsRemembered(state))
    {
        m_auRender[i] = value;
        m_abRenderKnown[i] = true;
    }
}

void RenderStateCache::WriteStage(uint32_t stage, TextureStageState state, uint32_t value)
{
    const uint32_t i = Index(state);
    if (i >= platform::kTextureStageStateCount || stage >= platform::kMaxTextureStages)
        return;
    if (m_pDevice)
        m_pDevice->SetTextureStageState(stage, state, value);
    if (IsRemembered(stage, state))
    {
        m_auStage[stage][i] = value;
        m_abStageKnown[stage][i] = true;
    }
}

bool RenderStateCache::Get(RenderState state, uint32_t* value) const
{
    const uint32_t i = Index(state);
    if (i >= platform::kRenderStateCount || !m_abRenderKnown[i])
        return false;
    if (value)
        *value = m_auRender[i];
    return true;
}

bool RenderStateCache::GetStage(uint32_t stage, TextureStageState state, uint32_t* value) const
{
    const uint32_t i = Index(state);
    if (stage >= kStages || i >= platform::kTextureStageStateCount || !m_abStageKnown[stage][i])
        return false;
    if (value)
        *value = m_auStage[stage][i];
    return true;
}
