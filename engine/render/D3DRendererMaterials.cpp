// The renderer's operations for model drawing, materials, material parts, the shadow pass, screen capture and mesh
// locks. Model drawing and the material tables come with the model and material code; until then these keep only
// the states and memories the frame cycle relies on.
#include "engine/render/D3DRenderer.h"

#include "engine/render/MaterialParts.h"
#include "engine/render/Screenshot.h"

#include <algorithm>
#include <cstring>

using platform::RenderState;

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

void D3DRenderer::UseMaterial(int32_t, int32_t, int32_t, bool lit)
{
    if (!lit)
        m_states.Set(RenderState::Lighting, 0);
}

void D3DRenderer::SetTexCoordSet(int32_t stateSetNumber)
{
    if (stateSetNumber == m_iStateSet)
        return;
    m_iStateSet = stateSetNumber;
    m_pStats->Add(RenderStats::StateSetChanges, 1);
}

void D3DRenderer::ApplyStateSet(const StateSet& set)
{
    SetBlendMode(set.m_uBlendMode);
    m_states.Set(RenderState::ZWriteEnable, (set.m_uDepthAlphaFlags & 1) ? 1 : 0);
    const bool alphaTest = (set.m_uDepthAlphaFlags & 2) != 0;
    m_states.Set(RenderState::AlphaTestEnable, alphaTest ? 1 : 0);
    if (alphaTest)
    {
        m_states.Set(RenderState::AlphaFunc, platform::CompareFunc::Greater);
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

// ---- screen capture

bool D3DRenderer::SaveScreenshot(const char* fileName)
{
    if (!m_pDevice)
        return false;
    switch (GetScreenshotFileType(fileName))
    {
    case ScreenshotFileType::DDS:
    case ScreenshotFileType::BMP:
    {
        std::vector<uint32_t> pixels;
        uint32_t width = 0;
        uint32_t height = 0;
        if (platform::GfxFailed(m_pDevice->ReadFrontBuffer(&pixels, &width, &height)) ||
            pixels.size() < static_cast<size_t>(width) * height)
            return false;
        return SaveScreenshotFile(fileName, width, height, pixels.data());
    }
    case ScreenshotFileType::JPG:
    {
        const uint32_t width = m_settings.m_uWidth;
        const uint32_t height = m_settings.m_uHeight;
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
        CaptureFrontBuffer(pixels.data(), static_cast<uint32_t>(pixels.size() * 4));
        return WriteScreenshotJPEG(fileName, width, height, width, pixels.data());
    }
    default:
        return false;
    }
}

bool D3DRenderer::CaptureFrontBuffer(void* destination, uint32_t size)
{
    if (!m_pDevice || !destination)
        return true;
    std::vector<uint32_t> pixels;
    uint32_t width = 0;
    uint32_t height = 0;
    if (platform::GfxFailed(m_pDevice->ReadFrontBuffer(&pixels, &width, &height)))
        return true;
    // The settings' width x height pixels, as far as the frame and the destination hold them.
    const uint32_t rows = std::min(height, m_settings.m_uHeight);
    const uint32_t columns = std::min(width, m_settings.m_uWidth);
    uint8_t* out = static_cast<uint8_t*>(destination);
    const size_t rowBytes = static_cast<size_t>(m_settings.m_uWidth) * 4;
    for (uint32_t row = 0; row < rows; ++row)
    {
        const size_t offset = row * rowBytes;
        if (offset + static_cast<size_t>(columns) * 4 > size)
            break;
        std::memcpy(out + offset, pixels.data() + static_cast<size_t>(row) * width, static_cast<size_t>(columns) * 4);
    }
    return true;
}

std::unique_ptr<uint32_t[]> D3DRenderer::ReadBackBuffer(uint32_t* width, uint32_t* height)
{
    if (!m_pDevice)
        return nullptr;
    std::vector<uint32_t> pixels;
    uint32_t w = 0;
    uint32_t h = 0;
    if (platform::GfxFailed(m_pDevice->ReadBackBuffer(&pixels, &w, &h)) || pixels.size() < static_cast<size_t>(w) * h)
        return nullptr;
    std::unique_ptr<uint32_t[]> block(new uint32_t[static_cast<size_t>(w) * h]);
    std::copy(pixels.begin(), pixels.begin() + static_cast<ptrdiff_t>(w) * h, block.get());
    if (width)
        *width = w;
    if (height)
        *height = h;
    return block;
}

void D3DRenderer::BlitToRenderTarget(const uint32_t* pixels, uint32_t width, uint32_t height)
{
    if (m_pDevice && pixels)
        m_pDevice->WriteBackBuffer(pixels, width, height, 0xFFFF00FF);
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
