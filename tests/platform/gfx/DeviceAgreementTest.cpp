// The recording and the OpenGL back ends side by side: each case runs on both devices (the OpenGL one where a
// context can be made) and both must give the result worked out from the device rules.
#include "GLDeviceTestSupport.h"
#include "platform/gfx/RecordingDevice.h"

#include <algorithm>
#include <functional>
#include <string>

namespace
{

using namespace platform;

constexpr uint32_t kSide = 64;

// Both back ends at kSide x kSide with a depth and stencil buffer; the OpenGL one is missing where no GL context
// can be made at all.
struct BothDevices
{
    BothDevices()
    {
        PresentParams params;
        params.backBufferWidth = params.backBufferHeight = kSide;
        params.backBufferFormat = PixelFormat::A8R8G8B8;
        params.autoDepthStencilFormat = PixelFormat::D24S8;
        PresentParams recParams = params;
        EXPECT_EQ(recording.CreateDevice(0, DeviceType::Hal, nullptr, 0, &recParams, &devices[0]), GfxResult::Ok);
        gl = CreateOpenGLSystem();
        if (gl && gl->CreateDevice(0, DeviceType::Hal, nullptr, CreateFlags::HardwareVertexProcessing, &params,
                                   &devices[1]) != GfxResult::Ok)
            devices[1].reset();
        // Where SDL makes GL contexts, a device that cannot be made is a fault, not a reason to compare less.
        if (!devices[1] && gltest::SdlMakesGLContexts())
            ADD_FAILURE() << "SDL makes GL contexts here, but the OpenGL device could not be made";
    }
    // Runs the check on each device there is, naming the back end in failures.
    void ForEach(const std::function<void(IDevice&)>& check)
    {
        const char* names[2] = {"recording", "OpenGL"};
        for (int i = 0; i < 2; ++i)
        {
            if (!devices[i])
                continue;
            SCOPED_TRACE(names[i]);
            check(*devices[i]);
        }
    }

    RecordingSystem recording;
    GraphicsSystemPtr gl;
    DevicePtr devices[2];
};

TEST(DeviceAgreementTest, ViewportsOutsideTheTargetAreRefusedAlike)
{
    BothDevices both;
    const Viewport kept = {8, 8, 32, 32, 0.0f, 1.0f};
    const struct
    {
        const char* name;
        Viewport viewport;
        bool accepted;
    } cases[] = {
        {"whole target", {0, 0, kSide, kSide, 0.0f, 1.0f}, true},
        {"corner with a depth range", {16, 16, 16, 16, 0.25f, 0.75f}, true},
        {"no width", {0, 0, 0, kSide, 0.0f, 1.0f}, true},
        {"no height", {10, 10, 20, 0, 0.0f, 1.0f}, true},
        {"empty at the far corner", {kSide, kSide, 0, 0, 0.0f, 1.0f}, true},
        {"past the right edge", {40, 0, 25, 10, 0.0f, 1.0f}, false},
        {"past the bottom edge", {0, 60, 10, 5, 0.0f, 1.0f}, false},
        {"depth below 0", {0, 0, 8, 8, -0.5f, 1.0f}, false},
        {"depth above 1", {0, 0, 8, 8, 0.0f, 1.5f}, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        both.ForEach(
            [&](IDevice& device)
            {
                ASSERT_OK(device.SetViewport(kept));
                EXPECT_EQ(device.SetViewport(c.viewport) == GfxResult::Ok, c.accepted);
                // A refused viewport leaves the one before it.
                Viewport now;
                ASSERT_OK(device.GetViewport(&now));
                const Viewport& expected = c.accepted ? c.viewport : kept;
                EXPECT_TRUE(now.X == expected.X && now.Y == expected.Y && now.Width == expected.Width &&
                            now.Height == expected.Height && now.MinZ == expected.MinZ && now.MaxZ == expected.MaxZ);
            });
    }
}

// Every pixel of the back buffer that is not black.
int LitPixels(IDevice& device)
{
    std::vector<uint32_t> pixels;
    uint32_t w = 0, h = 0;
    EXPECT_EQ(device.ReadBackBuffer(&pixels, &w, &h), GfxResult::Ok);
    EXPECT_EQ(w * h, kSide * kSide);
    return static_cast<int>(
        std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) { return (p & 0xFFFFFF) != 0; }));
}

TEST(DeviceAgreementTest, AnEmptyViewportDrawsAndClearsNothing)
{
    BothDevices both;
    struct Vertex
    {
        float x, y, z;
        uint32_t colour;
    };
    // A white square over the whole view, unlit, in front of the cleared depth.
    const Vertex square[4] = {
        {-1, 1, 0.5f, 0xFFFFFFFFu}, {1, 1, 0.5f, 0xFFFFFFFFu}, {-1, -1, 0.5f, 0xFFFFFFFFu}, {1, -1, 0.5f, 0xFFFFFFFFu}};
    for (const Viewport& empty : {Viewport{0, 0, 0, kSide, 0.0f, 1.0f}, Viewport{8, 8, 32, 0, 0.0f, 1.0f}})
    {
        both.ForEach(
            [&](IDevice& device)
            {
                ASSERT_OK(device.SetViewport({0, 0, kSide, kSide, 0.0f, 1.0f}));
                ASSERT_OK(device.Clear(0, nullptr, ClearFlags::Target | ClearFlags::ZBuffer, 0xFF000000u, 1.0f, 0));
                ASSERT_OK(device.SetViewport(empty));
                ASSERT_OK(device.Clear(0, nullptr, ClearFlags::Target, 0xFFFFFFFFu, 1.0f, 0));
                ASSERT_OK(device.BeginScene());
                ASSERT_OK(device.SetRenderState(RenderState::Lighting, 0));
                ASSERT_OK(device.SetTextureStageState(0, TextureStageState::ColourOp, TextureOp::SelectArg1));
                ASSERT_OK(device.SetTextureStageState(0, TextureStageState::ColourArg1, TextureArg::Diffuse));
                ASSERT_OK(device.SetVertexShader(Fvf::XYZ | Fvf::Diffuse));
                ASSERT_OK(device.DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, square, sizeof(Vertex)));
                EXPECT_EQ(LitPixels(device), 0);
                // The same draw in the whole view covers it all.
                ASSERT_OK(device.SetViewport({0, 0, kSide, kSide, 0.0f, 1.0f}));
                ASSERT_OK(device.DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, square, sizeof(Vertex)));
                ASSERT_OK(device.EndScene());
            });
        if (both.devices[1])
        {
            EXPECT_EQ(LitPixels(*both.devices[1]), static_cast<int>(kSide * kSide));
        }
    }
}

TEST(DeviceAgreementTest, ClearsReachOnlyThePixelsInsideTheViewport)
{
    BothDevices both;
    const Viewport view = {16, 16, 32, 32, 0.0f, 1.0f}; // pixels 16..47 each way
    const struct
    {
        const char* name;
        bool whole;    // no rectangles: the viewport
        Rect rect;     // else this one
        Rect expected; // the pixels that change (left, top, right, bottom; right and bottom outside)
    } cases[] = {
        {"the viewport", true, {}, {16, 16, 48, 48}},
        {"over the top-left corner", false, {0, 0, 24, 20}, {16, 16, 24, 20}},
        {"over the bottom-right corner", false, {40, 44, 64, 64}, {40, 44, 48, 48}},
        {"inside", false, {20, 30, 22, 31}, {20, 30, 22, 31}},
        {"beside it", false, {0, 0, 10, 64}, {0, 0, 0, 0}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        both.ForEach(
            [&](IDevice& device)
            {
                ASSERT_OK(device.SetViewport({0, 0, kSide, kSide, 0.0f, 1.0f}));
                ASSERT_OK(device.Clear(0, nullptr, ClearFlags::Target, 0xFF000000u, 1.0f, 0));
                ASSERT_OK(device.SetViewport(view));
                ASSERT_OK(device.Clear(c.whole ? 0 : 1, c.whole ? nullptr : &c.rect, ClearFlags::Target, 0xFFFFFFFFu,
                                       1.0f, 0));
                std::vector<uint32_t> pixels;
                uint32_t w = 0, h = 0;
                ASSERT_OK(device.ReadBackBuffer(&pixels, &w, &h));
                ASSERT_EQ(w * h, kSide * kSide);
                int wrong = 0;
                for (int32_t y = 0; y < static_cast<int32_t>(kSide); ++y)
                {
                    for (int32_t x = 0; x < static_cast<int32_t>(kSide); ++x)
                    {
                        const bool inside = x >= c.expected.left && x < c.expected.right && y >= c.expected.top &&
                                            y < c.expected.bottom;
                        if ((pixels[static_cast<size_t>(y) * kSide + x] == 0xFFFFFFFFu) != inside)
                            ++wrong;
                    }
                }
                EXPECT_EQ(wrong, 0);
            });
    }
}

} // namespace

namespace
{

// After a reset both back ends hold what a fresh device holds: default states, identity transforms, the whole new
// back buffer as viewport, lights off, nothing bound; a reset is refused while a default-pool buffer lives or the
// new back buffer has no pixels.
TEST(DeviceAgreementTest, AResetGoesBackToAFreshDevicesState)
{
    BothDevices both;
    both.ForEach(
        [&](IDevice& device)
        {
            TexturePtr texture;
            ASSERT_OK(device.CreateTexture(4, 4, 1, 0, PixelFormat::A8R8G8B8, Pool::Managed, &texture));
            ASSERT_OK(device.SetTexture(1, texture.get()));
            ASSERT_OK(device.SetRenderState(RenderState::CullMode, CullMode::None));
            ASSERT_OK(device.SetRenderState(RenderState::FogEnable, 1));
            ASSERT_OK(device.SetTextureStageState(0, TextureStageState::ColourOp, TextureOp::Add));
            ASSERT_OK(device.SetTextureStageState(2, TextureStageState::TexCoordIndex, 0));
            ASSERT_OK(device.SetTransform(TransformType::View, MatrixTranslation(1, 2, 3)));
            ASSERT_OK(device.SetViewport({4, 4, 8, 8, 0.5f, 1.0f}));
            ASSERT_OK(device.LightEnable(3, true));

            PresentParams params = device.GetPresentParams();
            VertexBufferPtr dynamic;
            ASSERT_OK(device.CreateVertexBuffer(64, Usage::Dynamic, Fvf::XYZ, Pool::Default, &dynamic));
            EXPECT_EQ(device.Reset(params), GfxResult::InvalidCall);
            dynamic.reset();
            PresentParams empty = params;
            empty.backBufferWidth = 0;
            EXPECT_EQ(device.Reset(empty), GfxResult::InvalidCall);
            params.backBufferWidth = 32;
            params.backBufferHeight = 16;
            ASSERT_OK(device.Reset(params));

            for (uint32_t s = 0; s < kRenderStateCount; ++s)
            {
                uint32_t value = 0;
                ASSERT_OK(device.GetRenderState(static_cast<RenderState>(s), &value));
                EXPECT_EQ(value, DefaultRenderState(static_cast<RenderState>(s))) << "render state " << s;
            }
            for (uint32_t stage = 0; stage < kMaxTextureStages; ++stage)
            {
                for (uint32_t s = 0; s < kTextureStageStateCount; ++s)
                {
                    uint32_t value = 0;
                    ASSERT_OK(device.GetTextureStageState(stage, static_cast<TextureStageState>(s), &value));
                    EXPECT_EQ(value, DefaultTextureStageState(stage, static_cast<TextureStageState>(s)))
                        << "stage " << stage << " state " << s;
                }
                EXPECT_EQ(device.GetTexture(stage), nullptr) << stage;
            }
            Matrix view;
            ASSERT_OK(device.GetTransform(TransformType::View, &view));
            EXPECT_EQ(std::memcmp(view.Data(), MatrixIdentity().Data(), sizeof(Matrix)), 0);
            Viewport viewport;
            ASSERT_OK(device.GetViewport(&viewport));
            EXPECT_TRUE(viewport.X == 0 && viewport.Y == 0 && viewport.Width == 32 && viewport.Height == 16 &&
                        viewport.MinZ == 0.0f && viewport.MaxZ == 1.0f);
            std::vector<uint32_t> pixels;
            uint32_t w = 0, h = 0;
            ASSERT_OK(device.ReadBackBuffer(&pixels, &w, &h));
            EXPECT_TRUE(w == 32 && h == 16 && pixels.size() == 32u * 16u);
        });
}

} // namespace

namespace
{

// A draw reads its vertices by the layout set last: a layout without a position, or a stride shorter than the
// layout's vertex, is refused by both back ends; an empty draw of a known layout does nothing and succeeds.
TEST(DeviceAgreementTest, DrawsAreCheckedAgainstTheVertexLayoutAlike)
{
    const uint32_t colourFvf = Fvf::XYZ | Fvf::Diffuse; // 16 bytes a vertex
    const struct
    {
        const char* name;
        bool setLayout;
        uint32_t stride;
        uint32_t primitives;
        bool accepted;
    } cases[] = {
        {"the layout's own stride", true, 16, 1, true},
        {"a longer stride", true, 20, 1, true},
        {"a stride shorter than the vertex", true, 12, 1, false},
        {"no layout set", false, 16, 1, false},
        {"no primitives", true, 16, 0, true},
    };
    float vertices[3 * 5] = {};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        BothDevices both; // fresh devices: no layout set yet
        both.ForEach(
            [&](IDevice& device)
            {
                ASSERT_OK(device.BeginScene());
                if (c.setLayout)
                {
                    ASSERT_OK(device.SetVertexShader(colourFvf));
                }
                EXPECT_EQ(device.DrawPrimitiveUP(PrimitiveType::TriangleList, c.primitives, vertices, c.stride) ==
                              GfxResult::Ok,
                          c.accepted);
                ASSERT_OK(device.EndScene());
            });
    }
}

} // namespace
