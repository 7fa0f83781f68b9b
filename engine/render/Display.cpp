// The display: window sizing, renderer and texture system start-up, and the 16-bit overlay surfaces.
#include "engine/render/Display.h"

#include "engine/core/GameOptions.h"
#include "engine/core/Logger.h"
#include "engine/render/DeviceEnum.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/RenderTypes.h"
#include "engine/render/TextureManager.h"
#include "engine/render/TextureSlots.h"
#include "platform/Report.h"
#include "platform/image/ColourChannels.h"

#include <algorithm>

Display* g_pDisplay = nullptr;

namespace
{

// An X1R5G5B5 pixel as opaque A8R8G8B8; the colour key becomes 0 (fully transparent).
uint32_t ExpandPixel(uint16_t pixel, uint16_t colourKey)
{
    if (pixel == colourKey)
        return 0;
    return platform::Argb1555(pixel, false);
}

// The work area the window is kept on; without video the desktop is taken to start at 0, 0.
platform::Rect WorkArea()
{
    platform::Rect area{};
    platform::GetWorkArea(&area);
    return area;
}

} // namespace

Display::Display(void* window, uint32_t width, uint32_t height, bool windowed, const GameOptions* options)
    : m_bWindowed(windowed), m_uWidth(width), m_uHeight(height), m_pWindow(window), m_pOptions(options),
      m_pStaging(std::make_unique<uint32_t[]>(kMaxSurfaceSize * kMaxSurfaceSize))
{
    g_pDisplay = this;
    m_bRendererReady = InitRenderer(window, windowed, width, height);
    g_TextureManager.Init(kTextureSlots);
}

Display::~Display()
{
    m_surfaces.clear();
    g_TextureManager.Shutdown();
    g_GraphicsManager.Shutdown();
    m_iCurrent = -1;
    m_bLocked = false;
    if (g_pDisplay == this)
        g_pDisplay = nullptr;
}

bool Display::InitRenderer(void* window, bool windowed, uint32_t width, uint32_t height)
{
    if (!EnumerateDevices(window))
    {
        if (window && window == platform::GameWindowHandle())
            platform::DestroyGameWindow();
        platform::ExitProcess(-1);
    }

    RendererSettings settings;
    settings.m_uKind = 0;
    if (m_pOptions)
    {
        int32_t resWidth = 0;
        int32_t resHeight = 0;
        m_pOptions->GetResolution(&resWidth, &resHeight);
        settings.m_uWidth = static_cast<uint32_t>(resWidth);
        settings.m_uHeight = static_cast<uint32_t>(resHeight);
        settings.m_uColourDepth = static_cast<uint8_t>(m_pOptions->m_iDisplayBPP);
        settings.m_uOption1 = static_cast<uint32_t>(m_pOptions->m_iTextureQuality);
        settings.m_uOption2 = static_cast<uint32_t>(m_pOptions->m_iTextureDepth);
    }
    settings.m_uDepth16 = 16;
    settings.m_uDepth32 = 32;
    settings.m_bWindowed = windowed;
    settings.m_uAdapter = g_AdapterTable.m_uCount > 0 ? g_AdapterTable.m_aAdapters[0].m_uOrdinal : 0;
    settings.m_bLockableBackBuffer = false;

    if (window && window == platform::GameWindowHandle())
        SizeWindow(width, height);

    m_uColourKey = kColourKey;
    g_GraphicsManager.Create(settings, window);
    return true;
}

// Sizes the window for a client area of width x height without moving it, then keeps its top-left corner on the
// work area.
void Display::SizeWindow(uint32_t width, uint32_t height)
{
    const int32_t frame = platform::GetSystemMetric(platform::SystemMetric::FrameWidth);
    const int32_t frameHeight = platform::GetSystemMetric(platform::SystemMetric::FrameHeight);
    const int32_t caption = platform::GetSystemMetric(platform::SystemMetric::CaptionHeight);
    platform::Rect wanted{0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height)};
    wanted.left -= frame;
    wanted.right += frame;
    wanted.top -= frameHeight + caption;
    wanted.bottom += frameHeight;

    platform::Rect rect;
    platform::GetWindowRect(&rect);
    platform::SetGameWindowBounds(rect.left, rect.top, wanted.right - wanted.left, wanted.bottom - wanted.top);

    const platform::Rect work = WorkArea();
    platform::GetWindowRect(&rect);
    const int32_t x = std::max(rect.left, work.left);
    const int32_t y = std::max(rect.top, work.top);
    if (x != rect.left || y != rect.top)
        platform::SetGameWindowBounds(x, y, rect.right - rect.left, rect.bottom - rect.top);

    platform::Point origin;
    platform::ClientToScreen(&origin);
    m_clientRect = platform::Rect{origin.x, origin.y, origin.x + static_cast<int32_t>(width),
                                  origin.y + static_cast<int32_t>(height)};
}

// ---- surfaces

SoftSurface* Display::UsedSurface(int32_t index) const
{
    if (index < 0 || index >= static_cast<int32_t>(m_surfaces.size()))
        return nullptr;
    SoftSurface* surface = m_surfaces[static_cast<size_t>(index)].get();
    return surface->m_bInUse ? surface : nullptr;
}

const SoftSurface* Display::GetSurface(int32_t index) const
{
    if (index < 0 || index >= static_cast<int32_t>(m_surfaces.size()))
        return nullptr;
    return m_surfaces[static_cast<size_t>(index)].get();
}

int32_t Display::CreateSurface(uint32_t width, uint32_t height, const char* name, bool withTexture, bool)
{
    if (width > kMaxSurfaceSize || height > kMaxSurfaceSize)
    {
        GetLogger()->Report(1, "Display::CreateSurface : %u x %u is larger than %u x %u", width, height,
                            kMaxSurfaceSize, kMaxSurfaceSize);
        return -1;
    }

    int32_t index = -1;
    for (size_t i = 0; i < m_surfaces.size(); ++i)
    {
        if (!m_surfaces[i]->m_bInUse)
        {
            index = static_cast<int32_t>(i);
            break;
        }
    }
    if (index < 0)
    {
        m_surfaces.push_back(std::make_unique<SoftSurface>());
        index = static_cast<int32_t>(m_surfaces.size() - 1);
    }

    SoftSurface& surface = *m_surfaces[static_cast<size_t>(index)];
    surface.m_bInUse = true;
    surface.m_pPixels = std::make_unique<uint16_t[]>(static_cast<size_t>(width) * height);
    surface.m_uWidth = width;
    surface.m_uHeight = height;
    surface.m_uPitch = width * 2;
    surface.m_iX = 0;
    surface.m_iY = 0;
    surface.m_bBlank = false;
    surface.m_bDirty = true;
    surface.m_uTexture = 0;
    if (withTexture && name)
    {
        uint32_t textureWidth = 0;
        uint32_t textureHeight = 0;
        RoundUpTextureSize(width, height, &textureWidth, &textureHeight);
        // A texture of the name is taken when it has the size this surface uploads and draws with. Another
        // surface of the same name and another size (two screens' scripts may each hold a dialog of the name)
        // gets a texture of its own, known by the name and its size, so that neither is drawn squeezed or cut.
        const uint32_t found = g_TextureManager.Find(name);
        const TextureSlot* slot = g_TextureManager.GetSlot(found);
        if (found == 0)
            surface.m_uTexture = g_TextureManager.CreateTexture(textureWidth, textureHeight, name);
        else if (slot && slot->m_uWidth == textureWidth && slot->m_uHeight == textureHeight)
            surface.m_uTexture = found;
        else
        {
            g_TextureManager.Release(found);
            const std::string sized =
                std::string(name) + "@" + std::to_string(textureWidth) + "x" + std::to_string(textureHeight);
            surface.m_uTexture = g_TextureManager.Find(sized.c_str());
            if (surface.m_uTexture == 0)
                surface.m_uTexture = g_TextureManager.CreateTexture(textureWidth, textureHeight, sized.c_str());
        }
    }
    return index;
}

void Display::FreeSurface(int32_t index)
{
    SoftSurface* surface = UsedSurface(index);
    if (!surface)
        return;
    surface->m_pPixels.reset();
    surface->m_bInUse = false;
    surface->m_uWidth = 0;
    surface->m_uHeight = 0;
    surface->m_uPitch = 0;
    surface->m_uTexture = 0;
    surface->m_bBlank = false;
    surface->m_bDirty = false;
    // The current surface must not name a free record: a later lock would hand out freed pixels.
    if (index == m_iCurrent)
    {
        m_iCurrent = -1;
        m_bLocked = false;
    }
}

void Display::ClearSurface(int32_t index)
{
    SoftSurface* surface = UsedSurface(index);
    if (!surface)
        return;
    if (!surface->m_bBlank && surface->m_pPixels)
        std::fill_n(surface->m_pPixels.get(), static_cast<size_t>(surface->m_uWidth) * surface->m_uHeight,
                    m_uColourKey);
    surface->m_bBlank = true;
}

void Display::SelectSurface(int32_t index)
{
    m_iCurrent = UsedSurface(index) ? index : -1;
}

void Display::SetSurfacePosition(int32_t index, int32_t x, int32_t y)
{
    if (SoftSurface* surface = UsedSurface(index))
    {
        surface->m_iX = x;
        surface->m_iY = y;
    }
}

void Display::MarkSurfaceDirty(int32_t index)
{
    if (SoftSurface* surface = UsedSurface(index))
        surface->m_bDirty = true;
}

void Display::FillStaging(const SoftSurface& surface, uint32_t textureWidth, uint32_t textureHeight)
{
    uint32_t* row = m_pStaging.get();
    const uint16_t* source = surface.m_pPixels.get();
    for (uint32_t y = 0; y < textureHeight; ++y, row += textureWidth)
    {
        uint32_t x = 0;
        if (y < surface.m_uHeight)
        {
            for (; x < surface.m_uWidth; ++x)
                row[x] = ExpandPixel(*source++, m_uColourKey);
        }
        // The rectangle samples one texel beyond the image: the padding is transparent, not left over from
        // another surface's upload.
        std::fill(row + x, row + textureWidth, 0u);
    }
}

void Display::DrawSurface(int32_t x, int32_t y, int32_t index)
{
    SoftSurface* surface = UsedSurface(index);
    if (!surface || surface->m_uTexture == 0)
        return;

    uint32_t textureWidth = 0;
    uint32_t textureHeight = 0;
    RoundUpTextureSize(surface->m_uWidth, surface->m_uHeight, &textureWidth, &textureHeight);

    if (surface->m_bDirty && surface->m_pPixels)
    {
        FillStaging(*surface, textureWidth, textureHeight);
        g_TextureManager.UpdateTexture(surface->m_uTexture, m_pStaging.get(), textureWidth, textureHeight,
                                       kTextureFormatA8R8G8B8);
        surface->m_bDirty = false;
    }

    const float left = static_cast<float>(x);
    const float top = static_cast<float>(y);
    const float width = static_cast<float>(surface->m_uWidth);
    const float height = static_cast<float>(surface->m_uHeight);
    g_GraphicsManager.DrawTexturedRect(left, top, left + width, top + height, 0.0f, 0.0f,
                                       (width + 1.0f) / static_cast<float>(textureWidth),
                                       (height + 1.0f) / static_cast<float>(textureHeight), 0xFFFFFFFF,
                                       static_cast<int32_t>(surface->m_uTexture), kSurfaceMaterial);
}

// ---- the current surface

void Display::FillSurface(uint8_t red, uint8_t green, uint8_t blue)
{
    SoftSurface* surface = CurrentSurface();
    if (!surface || !surface->m_pPixels)
        return;
    const uint16_t colour = static_cast<uint16_t>(((red & 0xF8) << 7) | ((green & 0xF8) << 2) | (blue >> 3));
    std::fill_n(surface->m_pPixels.get(), static_cast<size_t>(surface->m_uWidth) * surface->m_uHeight, colour);
    // Keep the blank flag true to its meaning, so a later clear is not skipped over a filled surface.
    surface->m_bBlank = colour == m_uColourKey;
}

uint16_t* Display::LockSurface()
{
    SoftSurface* surface = CurrentSurface();
    if (!surface)
        return nullptr;
    surface->m_bBlank = false;
    m_bLocked = true;
    return surface->m_pPixels.get();
}

uint32_t Display::GetSurfacePitch() const
{
    const SoftSurface* surface = CurrentSurface();
    return surface ? surface->m_uPitch : 0;
}

void Display::GetSurfacePosition(platform::Point* out) const
{
    if (!out)
        return;
    const SoftSurface* surface = CurrentSurface();
    out->x = surface ? surface->m_iX : 0;
    out->y = surface ? surface->m_iY : 0;
}
