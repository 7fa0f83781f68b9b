// Tests of device enumeration and creation: the adapter table and its log, format and depth choices, vertex
// processing fallback, the texture memory test and the paths without a device.
#include "engine/render/DeviceEnum.h"

#include "RenderTestSupport.h"
#include "engine/render/D3DRenderer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{

using platform::PixelFormat;
using rendertest::RecordingTest;

class DeviceEnumTest : public RecordingTest
{
protected:
    platform::RecordingAdapter& Adapter() { return hook.config.adapters[0]; }
};

TEST_F(DeviceEnumTest, LogsEachSizeAndDepthOnceAndRunsOnlyOnce)
{
    Adapter().modes = {
        {640, 480, 60, PixelFormat::R5G6B5},   {640, 480, 75, PixelFormat::R5G6B5},
        {640, 480, 60, PixelFormat::X1R5G5B5}, {640, 480, 60, PixelFormat::X8R8G8B8},
        {800, 600, 60, PixelFormat::R8G8B8},   {800, 600, 60, PixelFormat::A8R8G8B8},
    };
    Adapter().renderTargetFormats = {PixelFormat::R5G6B5, PixelFormat::A4R4G4B4};
    ASSERT_TRUE(EnumerateDevices(nullptr));

    ASSERT_EQ(g_AdapterTable.m_uCount, 1u);
    const AdapterInfo& info = g_AdapterTable.m_aAdapters[0];
    EXPECT_TRUE(info.m_bHardwareTransform);
    ASSERT_EQ(info.m_uModeCount, 3u);
    const uint32_t expected[3][4] = {{640, 480, 16, 0}, {640, 480, 32, 3}, {800, 600, 32, 5}};
    for (int i = 0; i < 3; ++i)
    {
        const auto& m = info.m_aModes[i];
        EXPECT_EQ((std::vector<uint32_t>{m.m_uWidth, m.m_uHeight, m.m_uBitsPerPixel, m.m_uModeIndex}),
                  (std::vector<uint32_t>(expected[i], expected[i] + 4)));
        EXPECT_EQ(m.m_uRenderTargetFlags, uint32_t(RT_R5G6B5 | RT_A4R4G4B4));
    }

    const std::string log = testsupport::ReadText(dir.File("D3DEnum.txt"));
    EXPECT_EQ(log, "ENUMERATING D3D DEVICES\n***********************\n\n\nCreating D3D8 Object\n"
                   "\nD3D8 Object Created\n\nNumber of display Adapters  :- 1\n\nAdapter #0\n"
                   "recording.drv\nRecording Test Adapter\nDevice Validated\nAvailable Video Modes = 6\n"
                   "Vid Mode 640 X 480 X 16\nVid Mode 640 X 480 X 32\nVid Mode 800 X 600 X 32\n"
                   "Valid Video Modes = 3\n");

    std::remove(dir.File("D3DEnum.txt").c_str());
    EXPECT_TRUE(EnumerateDevices(nullptr) && std::fopen(dir.File("D3DEnum.txt").c_str(), "r") == nullptr);
}

TEST_F(DeviceEnumTest, UnterminatedAdapterNamesAreCutToTheirFields)
{
    auto& identifier = Adapter().identifier;
    std::memset(identifier.driver, 'd', sizeof(identifier.driver));
    std::memset(identifier.description, 'e', sizeof(identifier.description));
    ASSERT_TRUE(EnumerateDevices(nullptr));
    const AdapterInfo& info = g_AdapterTable.m_aAdapters[0];
    EXPECT_EQ(std::string(info.m_szDriver), std::string(511, 'd'));
    EXPECT_EQ(std::string(info.m_szDescription), std::string(511, 'e'));
    EXPECT_NE(testsupport::ReadText(dir.File("D3DEnum.txt"))
                  .find("Adapter #0\n" + std::string(511, 'd') + "\n" + std::string(511, 'e') + "\nDevice Validated\n"),
              std::string::npos);
}

TEST_F(DeviceEnumTest, InvalidAdapterIsLoggedNotStoredAndScoresFollowCaps)
{
    platform::RecordingAdapter second = Adapter();
    Adapter().deviceTypes.clear();
    second.caps.hwTransformAndLight = false;
    second.caps.separateTextureMemories = false;
    second.caps.textureNonLocalVidMem = true;
    second.caps.canRenderWindowed = true;
    second.caps.rasterAnisotropy = true;
    second.caps.filterMipLinear = true;
    second.caps.rasterMipMapLodBias = true;
    second.caps.rasterZBufferLessHsr = true;
    hook.config.adapters.push_back(second);
    ASSERT_TRUE(EnumerateDevices(nullptr) && g_AdapterTable.m_uCount == 1u);
    const AdapterInfo& info = g_AdapterTable.m_aAdapters[0];
    EXPECT_TRUE(info.m_uOrdinal == 1u && info.m_caps.m_iScore == 1200 && !info.m_bHardwareTransform);
    const AdapterCaps& caps = info.m_caps;
    EXPECT_TRUE(caps.m_bCanRenderWindowed && caps.m_bAnisotropy && caps.m_bTrilinear && caps.m_bMipBias &&
                caps.m_bHiddenSurfaceRemoval);
    EXPECT_NE(testsupport::ReadText(dir.File("D3DEnum.txt"))
                  .find("Adapter #0\nrecording.drv\nRecording Test Adapter\nDevice is Not Valid\nThis device is not "
                        "HAL or dest not support D3DFMT_R5G6B5 or D3DFMT_X1R5G5B5\n\nAdapter #1\n"),
              std::string::npos);
}

TEST_F(DeviceEnumTest, NoGraphicsSystemShowsBoxClosesLogAndIsTriedAgain)
{
    testsupport::RecordingReportSink sink;
    platform::SetGraphicsSystemFactory([] { return platform::GraphicsSystemPtr(); });
    EXPECT_TRUE(!EnumerateDevices(nullptr) && sink.boxes.size() == 1u);
    const std::string log = testsupport::ReadText(dir.File("D3DEnum.txt"));
    EXPECT_TRUE(log.ends_with("\nCreating D3D8 Object\n\n\n\n")) << log;

    // Without the text service the box is empty, whatever the buffer held.
    char text[16];
    std::memset(text, 'x', sizeof(text));
    ShowDirectXFailure(text, sizeof(text));
    ASSERT_EQ(sink.boxes.size(), 2u);
    EXPECT_EQ(sink.boxes[1].text, "");
    sink.boxes.pop_back();

    // A failed enumeration is not a finished one: the next call fails again, and succeeds once graphics exist.
    EXPECT_TRUE(!EnumerateDevices(nullptr) && sink.boxes.size() == 2u);
    platform::InstallRecordingSystemFactory(&hook);
    EXPECT_TRUE(EnumerateDevices(nullptr) && g_AdapterTable.m_uCount == 1u);
}

TEST_F(DeviceEnumTest, BackBufferAndDepthFormatsFollowTheCandidateLists)
{
    const struct
    {
        uint8_t depth;
        bool windowed;
        std::vector<std::pair<PixelFormat, PixelFormat>> deviceTypes;
        std::vector<PixelFormat> depthFormats;
        PixelFormat backBuffer, depthFormat;
        bool stencil;
    } cases[] = {
        {16,
         false,
         {{PixelFormat::X1R5G5B5, PixelFormat::X1R5G5B5}},
         {PixelFormat::D32, PixelFormat::D16},
         PixelFormat::X1R5G5B5,
         PixelFormat::D16,
         false},
        {32, false, {}, {PixelFormat::D32, PixelFormat::D24X4S4}, PixelFormat::A8R8G8B8, PixelFormat::D24X4S4, true},
        {32, true, {}, {}, PixelFormat::X8R8G8B8, PixelFormat::Unknown, false},
        {16,
         false,
         {{PixelFormat::R5G6B5, PixelFormat::R5G6B5}},
         {PixelFormat::D16, PixelFormat::D15S1},
         PixelFormat::R5G6B5,
         PixelFormat::D15S1,
         true},
    };
    for (const auto& c : cases)
    {
        platform::RecordingConfig config;
        config.adapters.push_back(platform::DefaultRecordingAdapter());
        config.adapters[0].deviceTypes = c.deviceTypes;
        config.adapters[0].depthFormats = c.depthFormats;
        platform::RecordingSystem system(config);
        RendererSettings settings;
        settings.m_uColourDepth = c.depth;
        settings.m_bWindowed = c.windowed;
        platform::PresentParams params;
        bool stencil = !c.stencil;
        BuildPresentParams(system, settings, nullptr, &params, &stencil);
        EXPECT_TRUE(params.backBufferFormat == c.backBuffer && params.windowed == c.windowed);
        EXPECT_EQ(params.autoDepthStencilFormat, c.depthFormat);
        EXPECT_TRUE(params.enableAutoDepthStencil == (c.depthFormat != PixelFormat::Unknown) && stencil == c.stencil);
    }
    // A back buffer to be read keeps its pixels after presenting: copied, not discarded.
    platform::RecordingSystem system;
    for (bool lockable : {true, false})
    {
        RendererSettings settings;
        settings.m_bLockableBackBuffer = lockable;
        platform::PresentParams params;
        int window = 0;
        BuildPresentParams(system, settings, &window, &params, nullptr);
        EXPECT_EQ(params.deviceWindow, &window);
        EXPECT_EQ(params.swapEffect, lockable ? platform::SwapEffect::Copy : platform::SwapEffect::Discard);
        EXPECT_EQ(params.flags, lockable ? uint32_t(platform::PresentFlags::LockableBackBuffer) : 0u);
        EXPECT_TRUE(params.backBufferWidth == 800 && params.backBufferHeight == 600 && params.backBufferCount == 1);
    }
}

// A windowed back buffer takes the desktop's format, read once per run: a later desktop change is not seen until
// the reading is forgotten, and a read that fails after that leaves no format rather than the forgotten one.
TEST_F(DeviceEnumTest, TheDesktopFormatIsReadOncePerRunUntilForgotten)
{
    platform::RecordingConfig config;
    config.adapters.push_back(platform::DefaultRecordingAdapter());
    platform::RecordingSystem system(config);
    const struct
    {
        const char* step;
        bool forget;
        PixelFormat desktop;
        uint32_t adapter; // 1: no such adapter, its display mode cannot be read
        PixelFormat expected;
    } steps[] = {
        {"first read", false, PixelFormat::X8R8G8B8, 0, PixelFormat::X8R8G8B8},
        {"desktop changed", false, PixelFormat::R5G6B5, 0, PixelFormat::X8R8G8B8},
        {"forgotten", true, PixelFormat::R5G6B5, 0, PixelFormat::R5G6B5},
        {"forgotten, read fails", true, PixelFormat::R5G6B5, 1, PixelFormat::Unknown},
    };
    for (const auto& s : steps)
    {
        if (s.forget)
            ResetDeviceEnumeration();
        system.config.adapters[0].desktop.format = s.desktop;
        RendererSettings settings;
        settings.m_bWindowed = true;
        settings.m_uAdapter = s.adapter;
        EXPECT_EQ(ChooseBackBufferFormat(system, settings), s.expected) << s.step;
    }
}

TEST_F(DeviceEnumTest, HardwareVertexProcessingFallsBackToSoftware)
{
    using platform::CreateFlags;
    platform::RecordingSystem system;
    system.config.failHardwareVertexProcessing = true;
    platform::DeviceCaps caps;
    system.GetDeviceCaps(0, platform::DeviceType::Hal, &caps);
    platform::PresentParams params;
    platform::DevicePtr device;
    EXPECT_EQ(CreateDeviceForCaps(system, 0, nullptr, caps, &params, &device), platform::GfxResult::Ok);
    EXPECT_EQ(system.createFlagsSeen,
              (std::vector<uint32_t>{CreateFlags::HardwareVertexProcessing | CreateFlags::PureDevice,
                                     CreateFlags::SoftwareVertexProcessing}));
}

TEST_F(DeviceEnumTest, TextureMemoryCountsDefaultPoolTextures)
{
    platform::RecordingSystem system;
    system.config.defaultPoolTextureLimit = 63;
    platform::DevicePtr device;
    platform::PresentParams params;
    float megabytes = 0.0f;
    ASSERT_TRUE(MeasureTextureMemory(0, system, &device, &params, nullptr, RendererSettings{}, &megabytes));
    EXPECT_NEAR(megabytes, 21.0f, 0.001f); // 63 textures of a third of a megabyte
    EXPECT_EQ(static_cast<platform::RecordingDevice*>(device.get())->LiveTextures(), 0u); // every one gone again
    for (auto [mb, memoryClass] : {std::pair{20.0f, 0u}, {20.5f, 1u}, {70.0f, 2u}, {100.0f, 3u}, {100.5f, 4u}})
        EXPECT_EQ(MemoryClassFromMegabytes(mb), memoryClass) << mb;

    // Enumerating with a window measures each adapter the same way: 63 textures, class 1.
    hook.config.defaultPoolTextureLimit = 63;
    int window = 0;
    ASSERT_TRUE(EnumerateDevices(&window));
    EXPECT_EQ(g_AdapterTable.m_aAdapters[0].m_uMemoryClass, 1u);
    ResetDeviceEnumeration();

    // The renderer keeps the estimate of its device: 10 textures of a third of a megabyte.
    hook.config.defaultPoolTextureLimit = 10;
    EXPECT_EQ(CreateRenderer().GetTextureMemoryMB(), 3u);
}

TEST_F(DeviceEnumTest, FailedDeviceCreationEndsTheProgramLikeNoGraphics)
{
    hook.config.failCreateDevice = true;
    EXPECT_EXIT(
        {
            D3DRenderer r;
            r.CreateDevice(nullptr, RendererSettings{});
        },
        ::testing::ExitedWithCode(255), "COULDNT CREATE D3D DEVICE");
}

} // namespace
