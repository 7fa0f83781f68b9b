// Tests of device enumeration and creation: the adapter table and its log, format and depth choices, vertex
// processing fallback, the texture memory test and the paths without a device.
#include "engine/render/DeviceEnum.h"

#include "RenderTestSupport.h"
#include "engine/render/D3DRenderer.h"

#include <gtest/gtest.h>

#include <cstdio>
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
    EXPECT_TRUE(EnumerateDevices(nullptr));
    EXPECT_EQ(std::fopen(dir.File("D3DEnum.txt").c_str(), "r"), nullptr);
}

TEST_F(DeviceEnumTest, InvalidAdapterIsLoggedNotStoredAndScoresFollowCaps)
{
    platform::RecordingAdapter second = Adapter();
    Adapter().deviceTypes.clear();
    second.caps.hwTransformAndLight = false;
    second.caps.separateTextureMemories = false;
    second.caps.textureNonLocalVidMem = true;
    hook.config.adapters.push_back(second);
    ASSERT_TRUE(EnumerateDevices(nullptr));

    ASSERT_EQ(g_AdapterTable.m_uCount, 1u);
    const AdapterInfo& info = g_AdapterTable.m_aAdapters[0];
    EXPECT_EQ(info.m_uOrdinal, 1u);
    EXPECT_EQ(info.m_caps.m_iScore, 1200);
    EXPECT_FALSE(info.m_bHardwareTransform);
    const std::string log = testsupport::ReadText(dir.File("D3DEnum.txt"));
    EXPECT_NE(log.find("Adapter #0\nrecording.drv\nRecording Test Adapter\nDevice is Not Valid\nThis device is not HAL "
                       "or dest not support D3DFMT_R5G6B5 or D3DFMT_X1R5G5B5\n\nAdapter #1\n"),
              std::string::npos);
}

TEST_F(DeviceEnumTest, NoGraphicsSystemShowsBoxAndClosesLog)
{
    testsupport::RecordingReportSink sink;
    platform::SetGraphicsSystemFactory([] { return platform::GraphicsSystemPtr(); });
    EXPECT_FALSE(EnumerateDevices(nullptr));
    EXPECT_EQ(sink.boxes.size(), 1u);
    const std::string log = testsupport::ReadText(dir.File("D3DEnum.txt"));
    const std::string tail = "\nCreating D3D8 Object\n\n\n\n";
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
}

struct FormatCase
{
    uint8_t depth;
    bool windowed;
    std::vector<std::pair<PixelFormat, PixelFormat>> deviceTypes;
    std::vector<PixelFormat> depthFormats;
    PixelFormat backBuffer;
    PixelFormat depthFormat;
    bool stencil;
};

TEST_F(DeviceEnumTest, BackBufferAndDepthFormatsFollowTheCandidateLists)
{
    const FormatCase cases[] = {
        {16,
         false,
         {{PixelFormat::X1R5G5B5, PixelFormat::X1R5G5B5}},
         {PixelFormat::D32, PixelFormat::D16},
         PixelFormat::X1R5G5B5,
         PixelFormat::D16,
         false},
        {16,
         false,
         {{PixelFormat::R5G6B5, PixelFormat::R5G6B5}, {PixelFormat::X1R5G5B5, PixelFormat::X1R5G5B5}},
         {PixelFormat::D16, PixelFormat::D15S1},
         PixelFormat::R5G6B5,
         PixelFormat::D15S1,
         true},
        {32, false, {}, {PixelFormat::D32, PixelFormat::D24X4S4}, PixelFormat::A8R8G8B8, PixelFormat::D24X4S4, true},
        {32, true, {}, {}, PixelFormat::X8R8G8B8, PixelFormat::Unknown, false},
    };
    for (const FormatCase& c : cases)
    {
        ResetDeviceEnumeration();
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
        EXPECT_EQ(params.backBufferFormat, c.backBuffer);
        EXPECT_EQ(params.autoDepthStencilFormat, c.depthFormat);
        EXPECT_EQ(params.enableAutoDepthStencil, c.depthFormat != PixelFormat::Unknown);
        EXPECT_EQ(stencil, c.stencil);
        EXPECT_EQ(params.windowed, c.windowed);
        EXPECT_EQ(params.swapEffect, platform::SwapEffect::Discard);
    }
    // A lockable back buffer is copied on present.
    platform::RecordingSystem system;
    RendererSettings settings;
    settings.m_bLockableBackBuffer = true;
    platform::PresentParams params;
    BuildPresentParams(system, settings, nullptr, &params, nullptr);
    EXPECT_EQ(params.swapEffect, platform::SwapEffect::Copy);
    EXPECT_EQ(params.flags, uint32_t(platform::PresentFlags::LockableBackBuffer));
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

    caps.hwTransformAndLight = false;
    system.createFlagsSeen.clear();
    device.reset();
    CreateDeviceForCaps(system, 0, nullptr, caps, &params, &device);
    EXPECT_EQ(system.createFlagsSeen, std::vector<uint32_t>{CreateFlags::SoftwareVertexProcessing});
}

TEST_F(DeviceEnumTest, TextureMemoryCountsDefaultPoolTextures)
{
    struct
    {
        uint32_t limit;
        uint32_t memoryClass;
    } cases[] = {{57, 0}, {63, 1}};
    for (const auto& c : cases)
    {
        platform::RecordingSystem system;
        system.config.defaultPoolTextureLimit = c.limit;
        platform::DevicePtr device;
        platform::PresentParams params;
        float megabytes = 0.0f;
        RendererSettings settings;
        ASSERT_TRUE(MeasureTextureMemory(0, system, &device, &params, nullptr, settings, &megabytes));
        EXPECT_NEAR(megabytes, c.limit / 3.0f, 0.001f);
        EXPECT_EQ(MemoryClassFromMegabytes(megabytes), c.memoryClass);
        // Every test texture is gone again.
        EXPECT_EQ(static_cast<platform::RecordingDevice*>(device.get())->LiveTextures(), 0u);
    }
    const float bounds[][2] = {{20.0f, 0}, {20.5f, 1}, {33.0f, 1}, {70.0f, 2}, {100.0f, 3}, {100.5f, 4}};
    for (const auto& b : bounds)
        EXPECT_EQ(MemoryClassFromMegabytes(b[0]), static_cast<uint32_t>(b[1])) << b[0];

    // The renderer keeps the estimate of its device: 10 textures of a third of a megabyte.
    hook.config.defaultPoolTextureLimit = 10;
    EXPECT_EQ(CreateRenderer().GetTextureMemoryMB(), 3u);
    EXPECT_EQ(Device()->LiveTextures(), 0u);
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
