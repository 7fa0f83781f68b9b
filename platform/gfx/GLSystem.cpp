// The OpenGL graphics system: the one adapter SDL's display offers, its modes and capabilities, and making devices.
#include "platform/gfx/GLDevice.h"

#include "platform/Strings.h"
#include "platform/Window.h"
#include "platform/gfx/TextureUtil.h"

#include <algorithm>
#include <memory>
#include <string>

namespace platform
{

namespace
{

// Standard sizes offered besides the display's own modes: the game renders off-screen at any of them.
const uint32_t kStandardModes[][2] = {{640, 480},  {800, 600},   {1024, 768},  {1152, 864},
                                      {1280, 960}, {1280, 1024}, {1600, 1200}, {1920, 1080}};

class GLSystem final : public IGraphicsSystem
{
public:
    GLSystem()
    {
        m_bVideo = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        if (!m_bVideo)
            return;
        std::vector<std::pair<uint32_t, uint32_t>> sizes;
        int count = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < count; ++i)
        {
            SDL_DisplayMode mode;
            if (SDL_GetDisplayMode(0, i, &mode) == 0 && mode.w > 0 && mode.h > 0)
                sizes.push_back({static_cast<uint32_t>(mode.w), static_cast<uint32_t>(mode.h)});
        }
        for (const auto& size : kStandardModes)
            sizes.push_back({size[0], size[1]});
        std::sort(sizes.begin(), sizes.end());
        sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
        for (PixelFormat format : {PixelFormat::R5G6B5, PixelFormat::X8R8G8B8})
        {
            for (const auto& size : sizes)
                m_modes.push_back({size.first, size.second, 60, format});
        }
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(0, &desktop) == 0)
            m_desktop = {static_cast<uint32_t>(desktop.w), static_cast<uint32_t>(desktop.h),
                         static_cast<uint32_t>(desktop.refresh_rate), PixelFormat::X8R8G8B8};
        else
            m_desktop = {1024, 768, 60, PixelFormat::X8R8G8B8};
    }
    ~GLSystem() override
    {
        if (m_bVideo)
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    uint32_t GetAdapterCount() override { return m_bVideo ? 1 : 0; }
    GfxResult GetAdapterIdentifier(uint32_t adapter, AdapterIdentifier* identifier) override
    {
        if (adapter >= GetAdapterCount() || !identifier)
            return GfxResult::InvalidCall;
        *identifier = AdapterIdentifier{};
        const char* driver = SDL_GetCurrentVideoDriver();
        FormatString(identifier->driver, sizeof(identifier->driver), "OpenGL (%s)", driver ? driver : "none");
        const DeviceCaps& caps = ProbeCaps();
        (void)caps;
        CopyString(identifier->description, sizeof(identifier->description),
                   m_renderer.empty() ? "OpenGL display adapter" : m_renderer.c_str());
        return GfxResult::Ok;
    }
    uint32_t GetAdapterModeCount(uint32_t adapter) override
    {
        return adapter < GetAdapterCount() ? static_cast<uint32_t>(m_modes.size()) : 0;
    }
    GfxResult EnumAdapterModes(uint32_t adapter, uint32_t mode, DisplayMode* out) override
    {
        if (adapter >= GetAdapterCount() || mode >= m_modes.size() || !out)
            return GfxResult::InvalidCall;
        *out = m_modes[mode];
        return GfxResult::Ok;
    }
    GfxResult GetAdapterDisplayMode(uint32_t adapter, DisplayMode* out) override
    {
        if (adapter >= GetAdapterCount() || !out)
            return GfxResult::InvalidCall;
        *out = m_desktop;
        return GfxResult::Ok;
    }
    GfxResult CheckDeviceType(uint32_t adapter, DeviceType type, PixelFormat display, PixelFormat back,
                              bool windowed) override
    {
        if (adapter >= GetAdapterCount())
            return GfxResult::InvalidCall;
        if (type != DeviceType::Hal)
            return GfxResult::NotAvailable;
        if (windowed && display != m_desktop.format)
            return GfxResult::NotAvailable;
        bool ok =
            (display == PixelFormat::R5G6B5 && back == PixelFormat::R5G6B5) ||
            (display == PixelFormat::X1R5G5B5 && back == PixelFormat::X1R5G5B5) ||
            (display == PixelFormat::X8R8G8B8 && (back == PixelFormat::X8R8G8B8 || back == PixelFormat::A8R8G8B8));
        return ok ? GfxResult::Ok : GfxResult::NotAvailable;
    }
    GfxResult CheckDeviceFormat(uint32_t adapter, DeviceType, PixelFormat, uint32_t usage, ResourceType,
                                PixelFormat format) override
    {
        if (adapter >= GetAdapterCount())
            return GfxResult::InvalidCall;
        if (usage & Usage::DepthStencil)
            return IsUsableDepth(format) ? GfxResult::Ok : GfxResult::NotAvailable;
        if (usage & Usage::RenderTarget)
        {
            bool ok = format == PixelFormat::A8R8G8B8 || format == PixelFormat::X8R8G8B8 ||
                      format == PixelFormat::R5G6B5 || format == PixelFormat::X1R5G5B5 ||
                      format == PixelFormat::A1R5G5B5 || format == PixelFormat::A4R4G4B4;
            return ok ? GfxResult::Ok : GfxResult::NotAvailable;
        }
        bool colour = FormatBitsPerPixel(format) != 0 && !IsDepthFormat(format) && format != PixelFormat::Index16 &&
                      format != PixelFormat::Index32;
        return colour ? GfxResult::Ok : GfxResult::NotAvailable;
    }
    GfxResult CheckDepthStencilMatch(uint32_t adapter, DeviceType, PixelFormat, PixelFormat, PixelFormat depth) override
    {
        if (adapter >= GetAdapterCount())
            return GfxResult::InvalidCall;
        return IsUsableDepth(depth) ? GfxResult::Ok : GfxResult::NotAvailable;
    }
    GfxResult GetDeviceCaps(uint32_t adapter, DeviceType type, DeviceCaps* caps) override
    {
        if (adapter >= GetAdapterCount() || !caps)
            return GfxResult::InvalidCall;
        if (type != DeviceType::Hal)
            return GfxResult::NotAvailable;
        *caps = ProbeCaps();
        return GfxResult::Ok;
    }
    GfxResult CreateDevice(uint32_t adapter, DeviceType type, void* window, uint32_t createFlags, PresentParams* params,
                           DevicePtr* device) override;

private:
    static bool IsUsableDepth(PixelFormat f)
    {
        return f == PixelFormat::D16 || f == PixelFormat::D24S8 || f == PixelFormat::D24X8 || f == PixelFormat::D32;
    }

    // The capabilities of a device made on this adapter, learnt once from a short-lived hidden context.
    const DeviceCaps& ProbeCaps()
    {
        if (m_bProbed)
            return m_caps;
        m_bProbed = true;
        m_caps = DeviceCaps{};
        m_caps.hwTransformAndLight = true;
        m_caps.pureDevice = true;
        m_caps.textureNonLocalVidMem = true;
        m_caps.canRenderWindowed = true;
        m_caps.rasterMipMapLodBias = true;
        m_caps.filterMipLinear = true;
        m_caps.stencil = true;
        m_caps.maxTextureWidth = m_caps.maxTextureHeight = 2048;
        m_caps.maxTextureBlendStages = m_caps.maxSimultaneousTextures = 4;
        PresentParams probe;
        probe.backBufferWidth = 64;
        probe.backBufferHeight = 64;
        probe.backBufferFormat = PixelFormat::X8R8G8B8;
        DevicePtr device;
        if (CreateDevice(0, DeviceType::Hal, nullptr, CreateFlags::HardwareVertexProcessing, &probe, &device) ==
                GfxResult::Ok &&
            device)
        {
            device->GetDeviceCaps(&m_caps);
            const GLubyte* renderer = Gl().GetString(GL_RENDERER);
            if (renderer)
                m_renderer = reinterpret_cast<const char*>(renderer);
        }
        return m_caps;
    }

    bool m_bVideo = false;
    bool m_bProbed = false;
    DeviceCaps m_caps;
    std::string m_renderer;
    std::vector<DisplayMode> m_modes;
    DisplayMode m_desktop;
};

GfxResult GLSystem::CreateDevice(uint32_t adapter, DeviceType type, void* window, uint32_t, PresentParams* params,
                                 DevicePtr* device)
{
    if (!params || !device || adapter >= GetAdapterCount() || type != DeviceType::Hal)
        return GfxResult::InvalidCall;
    device->reset();
    if (params->backBufferFormat == PixelFormat::Unknown)
        params->backBufferFormat = m_desktop.format;
    if (params->backBufferWidth == 0 || params->backBufferHeight == 0)
    {
        params->backBufferWidth = m_desktop.width;
        params->backBufferHeight = m_desktop.height;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return GfxResult::NotAvailable;

    SetOpenGLAttributes();

    SDL_Window* target = static_cast<SDL_Window*>(window ? window : params->deviceWindow);
    bool own = false;
    if (target && !(SDL_GetWindowFlags(target) & SDL_WINDOW_OPENGL))
    {
        SDL_Log("The game window was not made for OpenGL; drawing off-screen only.");
        target = nullptr;
    }
    if (!target)
    {
        target = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 16, 16,
                                  SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        own = true;
    }
    if (!target)
    {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return GfxResult::NotAvailable;
    }
    SDL_GLContext context = SDL_GL_CreateContext(target);
    // SDL may have unloaded and loaded the GL library again since the last context: fetch the entry points anew.
    if (!context || SDL_GL_MakeCurrent(target, context) != 0 || !Gl().Load())
    {
        if (context)
            SDL_GL_DeleteContext(context);
        if (own)
            SDL_DestroyWindow(target);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return GfxResult::NotAvailable;
    }
    SDL_GL_SetSwapInterval(own ? 0 : (params->windowed ? 0 : 1));
    auto made = std::make_unique<GLDevice>(adapter, target, own, context, *params);
    if (!made->Init())
        return GfxResult::NotAvailable; // the device's destructor gives everything back
    *device = std::move(made);
    return GfxResult::Ok;
}

} // namespace

GraphicsSystemPtr CreateOpenGLSystem()
{
    return std::make_unique<GLSystem>();
}

} // namespace platform
