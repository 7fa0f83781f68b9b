// Device enumeration and creation: the usable adapters with their display modes (logged to "D3DEnum.txt"), the
// back-buffer and depth formats, the presentation parameters and the texture memory test.
#pragma once

#include "engine/render/RenderTypes.h"
#include "platform/gfx/Device.h"

#include <cstdint>

// Render-target support flags of a display mode.
enum RenderTargetFlag : uint32_t
{
    RT_X1R5G5B5 = 0x01,
    RT_A1R5G5B5 = 0x02,
    RT_A4R4G4B4 = 0x04,
    RT_R5G6B5 = 0x08,
    RT_A8R8G8B8 = 0x10,
    RT_X8R8G8B8 = 0x20,
};

struct DisplayModeInfo
{
    uint32_t m_uWidth;
    uint32_t m_uHeight;
    uint32_t m_uBitsPerPixel; // 16 or 32
    uint32_t m_uModeIndex;    // the system's mode number
    uint32_t m_uRenderTargetFlags;
};

// Summary of an adapter's capabilities.
struct AdapterCaps
{
    bool m_bCanRenderWindowed;
    int32_t m_iScore; // +10000 hardware transform, +600 shared texture memory, +600 non-local texture memory
    bool m_bAnisotropy;
    bool m_bTrilinear;
    bool m_bMipBias;
    bool m_bHiddenSurfaceRemoval;
};

struct AdapterInfo
{
    static constexpr uint32_t kMaxModes = 512;

    uint32_t m_uOrdinal;
    char m_szDescription[512];
    char m_szDriver[512];
    bool m_bValid;
    uint32_t m_uMemoryClass; // 0 to 4 from the texture memory test; 0 when no test ran
    bool m_bHardwareTransform;
    uint32_t m_uModeCount;
    DisplayModeInfo m_aModes[kMaxModes];
    AdapterCaps m_caps;
};

struct AdapterTable
{
    static constexpr uint32_t kMaxAdapters = 8;

    AdapterInfo m_aAdapters[kMaxAdapters];
    uint32_t m_uCount;
};

// The usable adapters; the display takes the first one's ordinal.
extern AdapterTable g_AdapterTable;

// Lists the adapters into g_AdapterTable and "D3DEnum.txt" once per run (later calls return true at once). With a
// window it also runs the texture memory test per adapter. False when no graphics system exists (after a message
// box naming the failure).
bool EnumerateDevices(void* window);

// Forgets that the enumeration ran and the desktop format read (for tests that enumerate again).
void ResetDeviceEnumeration();

// True for a failing result, whose text is then kept for GetD3DErrorText; false for success. Shows nothing.
bool CheckD3DResult(platform::GfxResult result, const char* context);
const char* GetD3DErrorText();

// The memory class of a measured texture memory: 0 up to 20 MB, 1 up to 33, 2 up to 70, 3 up to 100, 4 above.
uint32_t MemoryClassFromMegabytes(float megabytes);

// The back-buffer format for the settings; windowed presentation uses the desktop format, read once per run.
platform::PixelFormat ChooseBackBufferFormat(platform::IGraphicsSystem& system, const RendererSettings& settings);

// The first depth format of the candidate list for the colour depth that matches the back-buffer format;
// Unknown when none does. `stencil` is set when the chosen format has stencil bits.
platform::PixelFormat ChooseDepthFormat(platform::IGraphicsSystem& system, const RendererSettings& settings,
                                        platform::PixelFormat backBuffer, bool* stencil);

// Formats and presentation parameters for the settings and the window. A depth format of Unknown (no candidate
// matched) turns the automatic depth buffer off.
void BuildPresentParams(platform::IGraphicsSystem& system, const RendererSettings& settings, void* window,
                        platform::PresentParams* params, bool* stencil);

// Creates the device with hardware vertex processing on a pure device when the capabilities have hardware
// transform (and again with software vertex processing when that fails), else with software processing.
platform::GfxResult CreateDeviceForCaps(platform::IGraphicsSystem& system, uint32_t adapter, void* window,
                                        const platform::DeviceCaps& caps, platform::PresentParams* params,
                                        platform::DevicePtr* device);

// Creates 256 x 256 full-chain textures in the default pool until one fails or 1000 exist, then releases them,
// last first. Returns how many were made; `used16Bit` is set when A8R8G8B8 was not usable and A4R4G4B4 was used.
uint32_t CountTestTextures(platform::IDevice& device, bool* used16Bit);

// Creates a test device for the settings on the adapter and measures its texture memory in megabytes
// (count x 1/3, halved for the 16-bit format). The device stays in `device` for the caller to release; false when
// it could not be made (megabytes 0).
bool MeasureTextureMemory(uint32_t adapter, platform::IGraphicsSystem& system, platform::DevicePtr* device,
                          platform::PresentParams* params, void* window, const RendererSettings& settings,
                          float* megabytes);

// Looks up the texts of "ID_GENERAL_DIRECTX_FAIL" and "ID_GAME_TITLE" and shows them in a message box.
void ShowDirectXFailure(char* text, int size);
