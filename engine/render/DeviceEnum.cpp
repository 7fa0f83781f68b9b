// Device enumeration into the adapter table and "D3DEnum.txt", format choice, presentation parameters, device
// creation with the vertex-processing fallback, and the texture memory test.
#include "engine/render/DeviceEnum.h"

#include "engine/core/EngineCore.h"
#include "engine/core/TextSystem.h"
#include "platform/Paths.h"
#include "platform/Report.h"
#include "platform/Strings.h"
#include "platform/gfx/TextureUtil.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

using platform::DeviceType;
using platform::GfxResult;
using platform::PixelFormat;

AdapterTable g_AdapterTable;

namespace
{

bool s_bEnumerated = false;
bool s_bDesktopRead = false;
PixelFormat s_desktopFormat = PixelFormat::Unknown;
char s_szErrorText[256] = {};

constexpr uint32_t kMaxTestTextures = 1000;

void LogLine(FILE* file, const char* format, ...) __attribute__((format(printf, 2, 3)));

void LogLine(FILE* file, const char* format, ...)
{
    if (!file)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(file, format, args);
    va_end(args);
}

uint32_t ModeBitsPerPixel(PixelFormat format)
{
    switch (format)
    {
    case PixelFormat::R5G6B5:
    case PixelFormat::X1R5G5B5:
        return 16;
    case PixelFormat::X8R8G8B8:
    case PixelFormat::A8R8G8B8:
        return 32;
    default:
        return 0;
    }
}

bool IsAdapterValid(platform::IGraphicsSystem& system, uint32_t adapter)
{
    static const PixelFormat kPairs[][2] = {
        {PixelFormat::R5G6B5, PixelFormat::R5G6B5},
        {PixelFormat::X1R5G5B5, PixelFormat::X1R5G5B5},
        {PixelFormat::X8R8G8B8, PixelFormat::X8R8G8B8},
        {PixelFormat::X8R8G8B8, PixelFormat::A8R8G8B8},
    };
    for (const auto& pair : kPairs)
        if (!platform::GfxFailed(system.CheckDeviceType(adapter, DeviceType::Hal, pair[0], pair[1], false)))
            return true;
    return false;
}

void SummariseCaps(const platform::DeviceCaps& caps, AdapterCaps* out)
{
    *out = AdapterCaps{};
    out->m_bCanRenderWindowed = caps.canRenderWindowed;
    if (caps.hwTransformAndLight)
        out->m_iScore += 10000;
    if (!caps.separateTextureMemories)
        out->m_iScore += 600;
    if (caps.textureNonLocalVidMem)
        out->m_iScore += 600;
    out->m_bAnisotropy = caps.rasterAnisotropy;
    out->m_bTrilinear = caps.filterMipLinear;
    out->m_bMipBias = caps.rasterMipMapLodBias;
    out->m_bHiddenSurfaceRemoval = caps.rasterZBufferLessHsr;
}

// The display modes of one adapter: 16 and 32-bit modes, each size and depth once, with their render targets.
void EnumerateModes(platform::IGraphicsSystem& system, uint32_t adapter, AdapterInfo* info, FILE* file)
{
    static const struct
    {
        PixelFormat format;
        uint32_t flag;
    } kTargets[] = {
        {PixelFormat::A8R8G8B8, RT_A8R8G8B8}, {PixelFormat::X8R8G8B8, RT_X8R8G8B8},
        {PixelFormat::R5G6B5, RT_R5G6B5},     {PixelFormat::X1R5G5B5, RT_X1R5G5B5},
        {PixelFormat::A1R5G5B5, RT_A1R5G5B5}, {PixelFormat::A4R4G4B4, RT_A4R4G4B4},
    };

    const uint32_t modeCount = system.GetAdapterModeCount(adapter);
    LogLine(file, "Available Video Modes = %d\n", static_cast<int>(modeCount));
    info->m_uModeCount = 0;
    for (uint32_t m = 0; m < modeCount && info->m_uModeCount < AdapterInfo::kMaxModes; ++m)
    {
        platform::DisplayMode mode;
        if (platform::GfxFailed(system.EnumAdapterModes(adapter, m, &mode)))
            continue;
        const uint32_t bits = ModeBitsPerPixel(mode.format);
        if (bits == 0)
            continue;
        bool seen = false;
        for (uint32_t i = 0; i < info->m_uModeCount && !seen; ++i)
        {
            const DisplayModeInfo& stored = info->m_aModes[i];
            seen = stored.m_uWidth == mode.width && stored.m_uHeight == mode.height && stored.m_uBitsPerPixel == bits;
        }
        if (seen)
            continue;
        DisplayModeInfo& entry = info->m_aModes[info->m_uModeCount++];
        entry.m_uWidth = mode.width;
        entry.m_uHeight = mode.height;
        entry.m_uBitsPerPixel = bits;
        entry.m_uModeIndex = m;
        LogLine(file, "Vid Mode %d X %d X %d\n", static_cast<int>(mode.width), static_cast<int>(mode.height),
                static_cast<int>(bits));
        for (const auto& target : kTargets)
            if (!platform::GfxFailed(system.CheckDeviceFormat(adapter, DeviceType::Hal, mode.format,
                                                              platform::Usage::RenderTarget,
                                                              platform::ResourceType::Surface, target.format)))
                entry.m_uRenderTargetFlags |= target.flag;
    }
}

} // namespace

void ShowDirectXFailure(char* text, int size)
{
    char caption[1024] = {};
    text[0] = 0;
    TextSystem* texts = g_pEngineCore ? g_pEngineCore->m_pTextSystem : nullptr;
    if (texts)
    {
        texts->GetText("ID_GENERAL_DIRECTX_FAIL", text, size);
        texts->GetText("ID_GAME_TITLE", caption, sizeof(caption));
    }
    platform::ShowMessageBox(caption, text);
}

bool CheckD3DResult(GfxResult result, const char* context)
{
    (void)context;
    if (!platform::GfxFailed(result))
        return false;
    platform::CopyString(s_szErrorText, sizeof(s_szErrorText), platform::GfxResultText(result));
    return true;
}

const char* GetD3DErrorText()
{
    return s_szErrorText;
}

uint32_t MemoryClassFromMegabytes(float megabytes)
{
    if (megabytes <= 20.0f)
        return 0;
    if (megabytes <= 33.0f)
        return 1;
    if (megabytes <= 70.0f)
        return 2;
    if (megabytes <= 100.0f)
        return 3;
    return 4;
}

void ResetDeviceEnumeration()
{
    s_bEnumerated = false;
    s_bDesktopRead = false;
    s_desktopFormat = PixelFormat::Unknown;
}

PixelFormat ChooseBackBufferFormat(platform::IGraphicsSystem& system, const RendererSettings& settings)
{
    const uint32_t adapter = settings.m_uAdapter;
    if (settings.m_bWindowed)
    {
        if (!s_bDesktopRead)
        {
            platform::DisplayMode desktop;
            if (!platform::GfxFailed(system.GetAdapterDisplayMode(adapter, &desktop)))
            {
                s_desktopFormat = desktop.format;
                s_bDesktopRead = true;
            }
        }
        return s_desktopFormat;
    }
    auto fullScreenOk = [&](PixelFormat display, PixelFormat back)
    { return !platform::GfxFailed(system.CheckDeviceType(adapter, DeviceType::Hal, display, back, false)); };
    if (settings.m_uColourDepth == 16)
    {
        if (fullScreenOk(PixelFormat::R5G6B5, PixelFormat::R5G6B5))
            return PixelFormat::R5G6B5;
        if (fullScreenOk(PixelFormat::X1R5G5B5, PixelFormat::X1R5G5B5))
            return PixelFormat::X1R5G5B5;
        return PixelFormat::Unknown;
    }
    if (fullScreenOk(PixelFormat::X8R8G8B8, PixelFormat::X8R8G8B8))
        return PixelFormat::X8R8G8B8;
    return PixelFormat::A8R8G8B8;
}

PixelFormat ChooseDepthFormat(platform::IGraphicsSystem& system, const RendererSettings& settings,
                              PixelFormat backBuffer, bool* stencil)
{
    static const PixelFormat k16[] = {PixelFormat::D24S8, PixelFormat::D15S1, PixelFormat::D16, PixelFormat::D24X8,
                                      PixelFormat::D32};
    static const PixelFormat k32[] = {PixelFormat::D24S8, PixelFormat::D24X4S4, PixelFormat::D32, PixelFormat::D24X8,
                                      PixelFormat::D16};
    const auto& candidates = settings.m_uColourDepth == 16 ? k16 : k32;
    if (stencil)
        *stencil = false;
    for (const PixelFormat candidate : candidates)
    {
        if (!platform::GfxFailed(
                system.CheckDepthStencilMatch(settings.m_uAdapter, DeviceType::Hal, backBuffer, backBuffer, candidate)))
        {
            if (stencil)
                *stencil = platform::FormatHasStencil(candidate);
            return candidate;
        }
    }
    return PixelFormat::Unknown;
}

void BuildPresentParams(platform::IGraphicsSystem& system, const RendererSettings& settings, void* window,
                        platform::PresentParams* params, bool* stencil)
{
    *params = platform::PresentParams{};
    params->backBufferFormat = ChooseBackBufferFormat(system, settings);
    params->windowed = settings.m_bWindowed; // full screen at the default refresh rate and presentation interval
    params->autoDepthStencilFormat = ChooseDepthFormat(system, settings, params->backBufferFormat, stencil);
    // Without a matching depth format the device draws without a depth buffer rather than with one the
    // adapter refused.
    params->enableAutoDepthStencil = params->autoDepthStencilFormat != PixelFormat::Unknown;
    params->backBufferWidth = settings.m_uWidth;
    params->backBufferHeight = settings.m_uHeight;
    if (settings.m_bLockableBackBuffer)
    {
        params->swapEffect = platform::SwapEffect::Copy;
        params->flags = platform::PresentFlags::LockableBackBuffer;
    }
    else
    {
        params->swapEffect = platform::SwapEffect::Discard;
        params->flags = platform::PresentFlags::None;
    }
    params->deviceWindow = window;
}

GfxResult CreateDeviceForCaps(platform::IGraphicsSystem& system, uint32_t adapter, void* window,
                              const platform::DeviceCaps& caps, platform::PresentParams* params,
                              platform::DevicePtr* device)
{
    if (caps.hwTransformAndLight)
    {
        platform::PresentParams tried = *params;
        GfxResult result = system.CreateDevice(
            adapter, DeviceType::Hal, window,
            platform::CreateFlags::HardwareVertexProcessing | platform::CreateFlags::PureDevice, &tried, device);
        if (!platform::GfxFailed(result))
        {
            *params = tried;
            return result;
        }
    }
    return system.CreateDevice(adapter, DeviceType::Hal, window, platform::CreateFlags::SoftwareVertexProcessing,
                               params, device);
}

uint32_t CountTestTextures(platform::IDevice& device, bool* used16Bit)
{
    uint32_t width = 256;
    uint32_t height = 256;
    uint32_t levels = 0;
    PixelFormat format = PixelFormat::A8R8G8B8;
    // Without 32-bit textures the test runs on 16-bit ones, which count half.
    const bool is16 = platform::GfxFailed(platform::CheckTextureRequirements(
                          device, &width, &height, &levels, platform::Usage::None, &format, platform::Pool::Default)) ||
                      format != PixelFormat::A8R8G8B8;
    const PixelFormat testFormat = is16 ? PixelFormat::A4R4G4B4 : PixelFormat::A8R8G8B8;

    std::vector<platform::TexturePtr> textures;
    textures.reserve(kMaxTestTextures);
    while (textures.size() < kMaxTestTextures)
    {
        platform::TexturePtr texture;
        if (platform::GfxFailed(platform::CreateTextureFitted(device, 256, 256, 0, platform::Usage::None, testFormat,
                                                              platform::Pool::Default, &texture)) ||
            !texture)
            break;
        textures.push_back(std::move(texture));
    }
    const uint32_t count = static_cast<uint32_t>(textures.size());
    while (!textures.empty())
        textures.pop_back();
    if (used16Bit)
        *used16Bit = is16;
    return count;
}

bool MeasureTextureMemory(uint32_t adapter, platform::IGraphicsSystem& system, platform::DevicePtr* device,
                          platform::PresentParams* params, void* window, const RendererSettings& settings,
                          float* megabytes)
{
    *megabytes = 0.0f;
    RendererSettings test = settings;
    test.m_uAdapter = adapter;
    bool stencil = false;
    BuildPresentParams(system, test, window, params, &stencil);

    platform::DeviceCaps caps;
    system.GetDeviceCaps(adapter, DeviceType::Hal, &caps);
    GfxResult result = CreateDeviceForCaps(system, adapter, window, caps, params, device);
    if (CheckD3DResult(result, "MeasureTextureMemory") || !*device)
        return false;

    platform::Viewport viewport = {0, 0, test.m_uWidth, test.m_uHeight, 0.0f, 1.0f};
    (*device)->SetViewport(viewport);

    bool used16 = false;
    const uint32_t count = CountTestTextures(**device, &used16);
    float mb = static_cast<float>(count) * 0.33333334f;
    if (used16)
        mb *= 0.5f;
    *megabytes = mb;
    return true;
}

bool EnumerateDevices(void* window)
{
    if (s_bEnumerated)
        return true;

    FILE* file = platform::OpenFile(platform::UserFile("D3DEnum.txt"), "w");
    LogLine(file, "ENUMERATING D3D DEVICES\n***********************\n\n");
    LogLine(file, "\nCreating D3D8 Object\n");

    platform::GraphicsSystemPtr system = platform::CreateGraphicsSystem();
    if (!system)
    {
        char text[1024];
        ShowDirectXFailure(text, sizeof(text));
        LogLine(file, "\n%s\n\n", text);
        if (file)
            std::fclose(file);
        return false;
    }

    LogLine(file, "\nD3D8 Object Created\n\n");
    const uint32_t adapterCount = system->GetAdapterCount();
    LogLine(file, "Number of display Adapters  :- %d\n", static_cast<int>(adapterCount));
    std::memset(&g_AdapterTable, 0, sizeof(g_AdapterTable));

    for (uint32_t adapter = 0; adapter < adapterCount; ++adapter)
    {
        LogLine(file, "\nAdapter #%d\n", static_cast<int>(adapter));
        platform::AdapterIdentifier identifier;
        system->GetAdapterIdentifier(adapter, &identifier);
        identifier.driver[sizeof(identifier.driver) - 1] = 0;
        identifier.description[sizeof(identifier.description) - 1] = 0;
        LogLine(file, "%s\n%s\n", identifier.driver, identifier.description);

        const bool valid = IsAdapterValid(*system, adapter);
        LogLine(file, valid ? "Device Validated\n" : "Device is Not Valid\n");
        if (!valid || g_AdapterTable.m_uCount >= AdapterTable::kMaxAdapters)
        {
            LogLine(file, "This device is not HAL or dest not support D3DFMT_R5G6B5 or D3DFMT_X1R5G5B5\n");
            continue;
        }

        AdapterInfo& info = g_AdapterTable.m_aAdapters[g_AdapterTable.m_uCount++];
        info.m_uOrdinal = adapter;
        platform::CopyString(info.m_szDriver, sizeof(info.m_szDriver), identifier.driver);
        platform::CopyString(info.m_szDescription, sizeof(info.m_szDescription), identifier.description);
        info.m_bValid = true;
        platform::DeviceCaps caps;
        system->GetDeviceCaps(adapter, DeviceType::Hal, &caps);
        SummariseCaps(caps, &info.m_caps);
        info.m_bHardwareTransform = info.m_caps.m_iScore >= 5000;

        EnumerateModes(*system, adapter, &info, file);

        if (window)
        {
            RendererSettings test;
            test.m_uWidth = 640;
            test.m_uHeight = 480;
            test.m_uColourDepth = 16;
            test.m_bWindowed = true;
            test.m_bLockableBackBuffer = false;
            platform::DevicePtr device;
            platform::PresentParams params;
            float megabytes = 0.0f;
            if (MeasureTextureMemory(adapter, *system, &device, &params, window, test, &megabytes))
                info.m_uMemoryClass = MemoryClassFromMegabytes(megabytes);
            device.reset();
        }

        LogLine(file, "Valid Video Modes = %d\n", static_cast<int>(info.m_uModeCount));
    }

    system.reset();
    if (file)
        std::fclose(file);
    // Only a finished enumeration counts: without a graphics system the next call tries again.
    s_bEnumerated = true;
    return true;
}
