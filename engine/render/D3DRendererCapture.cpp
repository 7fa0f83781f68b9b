// The renderer's screen capture: screenshot files, front- and back-buffer read-back and images copied onto the
// render target.
#include "engine/render/D3DRenderer.h"

#include "engine/render/Screenshot.h"

#include <algorithm>
#include <cstring>
#include <vector>

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
    // A frame with fewer pixels than its size promises is not read from: nothing is captured.
    if (platform::GfxFailed(m_pDevice->ReadFrontBuffer(&pixels, &width, &height)) ||
        pixels.size() < static_cast<size_t>(width) * height)
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
