// Tests of the game window's modes: where a picture fits on a screen of another shape, and on a private X server the
// full-screen window: it covers the screen, screen points map to the picture's pixels and back, and a presented
// frame shows the picture scaled between black bars.
#include "platform/Window.h"
#include "platform/gfx/Device.h"
#include "tests/platform/XvfbServer.h"

#include <SDL.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

using namespace platform;

namespace
{

std::vector<int32_t> Corners(const Rect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

TEST(FitPicture, TheLargestPictureOfTheSameAspectCentredOnTheArea)
{
    struct Case
    {
        int pictureWidth, pictureHeight, areaWidth, areaHeight;
        std::vector<int32_t> expected; // left, top, right, bottom
    };
    // Worked by hand: the scale is the smaller of the two ratios; the spare room is split between the two bars.
    const Case cases[] = {
        {800, 600, 800, 600, {0, 0, 800, 600}},       // the same size
        {800, 600, 1024, 768, {0, 0, 1024, 768}},     // the same aspect, x 1.28
        {800, 600, 1600, 900, {200, 0, 1400, 900}},   // x 1.5: 1200 wide, 400 spare
        {800, 600, 1920, 1080, {240, 0, 1680, 1080}}, // x 1.8: 1440 wide, 480 spare
        {800, 600, 1280, 1024, {0, 32, 1280, 992}},   // x 1.6: 960 high, 64 spare
        {640, 480, 1366, 768, {171, 0, 1195, 768}},   // x 1.6: 1024 wide, 342 spare
        {800, 600, 100, 1000, {0, 462, 100, 537}},    // x 0.125: 75 high, 925 spare (462 above)
        {800, 600, 1000, 752, {0, 1, 1000, 751}},     // x 1.25: 750 high, 2 spare
        {800, 600, 1366, 767, {171, 0, 1194, 767}},   // x 1.27833: 1022.67 wide, to the nearest pixel 1023
        {0, 600, 800, 600, {0, 0, 0, 0}},             // no picture
        {800, 600, 0, 600, {0, 0, 0, 0}},             // no area
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message()
                     << c.pictureWidth << "x" << c.pictureHeight << " in " << c.areaWidth << "x" << c.areaHeight);
        EXPECT_EQ(Corners(FitPicture(c.pictureWidth, c.pictureHeight, c.areaWidth, c.areaHeight)), c.expected);
    }
}

TEST(GameWindow, APictureWithoutPixelsMakesNoWindow)
{
    sdltest::ScopedEnv driver("SDL_VIDEODRIVER", "offscreen");
    for (auto [w, h] : {std::pair{0, 600}, std::pair{800, 0}, std::pair{-1, 600}})
    {
        EXPECT_FALSE(CreateGameWindow("empty", w, h)) << w << "x" << h;
        EXPECT_FALSE(HasGameWindow());
    }
    // One pixel is a picture.
    ASSERT_TRUE(CreateGameWindow("one pixel", 1, 1));
    int w = 0, h = 0;
    EXPECT_TRUE(GetPictureSize(&w, &h));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(1, 1));
    DestroyGameWindow();
}

// The game reads keys and has no place to type text: its window leaves text input off, so an input method the player
// runs (one that composes letters into words) never takes the game's letter keys for itself.
TEST(GameWindow, TheWindowTakesKeysAndNoTypedText)
{
    sdltest::ScopedEnv driver("SDL_VIDEODRIVER", "offscreen");
    for (int round = 0; round < 2; ++round)
    {
        SCOPED_TRACE(round == 0 ? "first window" : "window made again");
        ASSERT_TRUE(CreateGameWindow("keys", 64, 48));
        EXPECT_FALSE(SDL_IsTextInputActive());
        EXPECT_EQ(SDL_EventState(SDL_TEXTINPUT, SDL_QUERY), SDL_DISABLE);
        EXPECT_EQ(SDL_EventState(SDL_TEXTEDITING, SDL_QUERY), SDL_DISABLE);
        DestroyGameWindow();
    }
}

// On SDL's offscreen driver (EGL) a context is refused unless its buffer matches the window's surface: the game
// window is made for the drawing layer's OpenGL, so a device is made on it and its frame holds what was drawn.
TEST(GameWindow, TheDrawingLayersDeviceIsMadeOnTheOffscreenGameWindow)
{
    sdltest::ScopedEnv driver("SDL_VIDEODRIVER", "offscreen");
    sdltest::ScopedEnv software("LIBGL_ALWAYS_SOFTWARE", "1");
    // The window is made first, with SDL's attributes as a fresh program has them, as the program makes it.
    SDL_GL_ResetAttributes();
    ASSERT_TRUE(CreateGameWindow("gl", 64, 48));
    GraphicsSystemPtr system = CreateOpenGLSystem();
    ASSERT_TRUE(system);
    PresentParams params;
    params.backBufferWidth = 64;
    params.backBufferHeight = 48;
    params.backBufferFormat = PixelFormat::A8R8G8B8;
    params.windowed = true;
    {
        // A context of its own (on a hidden window made for it) shows whether the machine has GL here at all.
        PresentParams probeParams = params;
        DevicePtr probe;
        if (system->CreateDevice(0, DeviceType::Hal, nullptr, CreateFlags::HardwareVertexProcessing, &probeParams,
                                 &probe) != GfxResult::Ok)
        {
            DestroyGameWindow();
            GTEST_SKIP() << "no OpenGL context on the offscreen driver";
        }
    }
    DevicePtr device;
    ASSERT_EQ(system->CreateDevice(0, DeviceType::Hal, GameWindowHandle(), CreateFlags::HardwareVertexProcessing,
                                   &params, &device),
              GfxResult::Ok);
    ASSERT_TRUE(device);
    const Rect whole{0, 0, 64, 48}, corner{0, 0, 8, 8};
    ASSERT_EQ(device->BeginScene(), GfxResult::Ok);
    ASSERT_EQ(device->Clear(1, &whole, ClearFlags::Target, 0xFF3080C0u, 1.0f, 0), GfxResult::Ok);
    ASSERT_EQ(device->Clear(1, &corner, ClearFlags::Target, 0xFFFF0000u, 1.0f, 0), GfxResult::Ok);
    ASSERT_EQ(device->EndScene(), GfxResult::Ok);
    std::vector<uint32_t> pixels;
    uint32_t width = 0, height = 0;
    ASSERT_EQ(device->ReadBackBuffer(&pixels, &width, &height), GfxResult::Ok);
    ASSERT_EQ(std::make_pair(width, height), std::make_pair(64u, 48u));
    ASSERT_EQ(pixels.size(), size_t{64 * 48});
    // Rows top to bottom: the red corner at the top left, the blue-grey clear elsewhere.
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(pixels[7 * 64 + 7] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(pixels[8 * 64 + 8] & 0xFFFFFF, 0x3080C0u);
    EXPECT_EQ(pixels[47 * 64 + 63] & 0xFFFFFF, 0x3080C0u);
    EXPECT_EQ(device->Present(), GfxResult::Ok);
    device.reset();
    DestroyGameWindow();
}

// The full-screen window on a 16:9 screen of 1600 x 900 with an 800 x 600 picture: scaled by 1.5 to 1200 x 900,
// between bars 200 wide.
class FullScreenWindowTest : public sdltest::X11WindowTest
{
protected:
    static constexpr int kScreenW = 1600, kScreenH = 900;
    FullScreenWindowTest() : X11WindowTest(kScreenW, kScreenH, WindowMode::FullScreen) {}

    // The picture pixel under a screen point, from the scale and the bar, by floating point.
    static std::pair<int, int> Expected(int screenX, int screenY)
    {
        return {static_cast<int>(std::floor((screenX - 200) / 1.5)), static_cast<int>(std::floor(screenY / 1.5))};
    }
};

TEST_F(FullScreenWindowTest, TheWindowCoversTheScreenAndItsPointsMapToThePicture)
{
    Rect rect;
    ASSERT_TRUE(GetWindowRect(&rect));
    EXPECT_EQ(Corners(rect), std::vector<int32_t>({0, 0, kScreenW, kScreenH}));
    // A panel on the desktop takes its top 30 rows: the full-screen window covers it all the same, and a window
    // of the picture's size keeps clear of it.
    Display* x11 = XOpenDisplay(DisplayName().c_str());
    ASSERT_NE(x11, nullptr);
    const long workArea[4] = {0, 30, kScreenW, kScreenH - 30};
    XChangeProperty(x11, DefaultRootWindow(x11), XInternAtom(x11, "_NET_WORKAREA", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(workArea), 4);
    XSync(x11, False);
    XCloseDisplay(x11);
    ASSERT_TRUE(GetWorkArea(&rect));
    EXPECT_EQ(Corners(rect), std::vector<int32_t>({0, 0, kScreenW, kScreenH}));
    DestroyGameWindow();
    ASSERT_TRUE(CreateGameWindow("plain window"));
    ASSERT_TRUE(GetWorkArea(&rect));
    EXPECT_EQ(Corners(rect), std::vector<int32_t>({0, 30, kScreenW, kScreenH}));
    DestroyGameWindow();
    SetWindowMode(WindowMode::FullScreen);
    ASSERT_TRUE(CreateGameWindow("x11 input test"));
    SetWindowMode(WindowMode::Window);
    int w = 0, h = 0;
    ASSERT_TRUE(GetPictureSize(&w, &h));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(800, 600));

    // Sizing the window for a picture changes the picture; the window still covers the screen.
    ASSERT_TRUE(SetGameWindowBounds(40, 50, 640, 480));
    ASSERT_TRUE(GetWindowRect(&rect));
    EXPECT_EQ(Corners(rect), std::vector<int32_t>({0, 0, kScreenW, kScreenH}));
    ASSERT_TRUE(GetPictureSize(&w, &h));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(640, 480));
    // 640 x 480 on 1600 x 900 is x 1.875: 1200 wide again, so the same bars.
    Point p{800, 450};
    ASSERT_TRUE(ScreenToClient(&p));
    EXPECT_EQ(std::make_pair(p.x, p.y), std::make_pair(320, 240));
    ASSERT_TRUE(SetGameWindowBounds(0, 0, 800, 600));

    const std::pair<int, int> screenPoints[] = {{200, 0},    {800, 450}, {1399, 899}, {201, 1},   {202, 2},
                                                {1000, 300}, {100, 450}, {1400, 450}, {1599, 10}, {0, 0}};
    for (auto [x, y] : screenPoints)
    {
        Point q{x, y};
        ASSERT_TRUE(ScreenToClient(&q));
        EXPECT_EQ(std::make_pair(q.x, q.y), Expected(x, y)) << x << "," << y;
    }
    // Each picture pixel of a row and a column goes to a screen point that maps back to it, inside its scaled
    // pixel.
    for (int i = 0; i < 800; ++i)
    {
        Point q{i, i % 600};
        ASSERT_TRUE(ClientToScreen(&q));
        EXPECT_GE(q.x, 200 + i * 1.5);
        EXPECT_LT(q.x, 200 + (i + 1) * 1.5);
        EXPECT_EQ(Expected(q.x, q.y), std::make_pair(i, i % 600)) << i;
    }
}

// Polls `done` for up to two seconds.
bool WaitUntil(const std::function<bool()>& done)
{
    for (int i = 0; i < 200 && !done(); ++i)
        SDL_Delay(10);
    return done();
}

// Reads the screen's pixel (0xRRGGBB) from the X server.
uint32_t ScreenPixel(Display* x11, int x, int y)
{
    XImage* image = XGetImage(x11, DefaultRootWindow(x11), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return 0xDEADBEEF;
    const uint32_t pixel = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
}

TEST_F(FullScreenWindowTest, APresentedFrameShowsThePictureScaledBetweenBlackBars)
{
    GraphicsSystemPtr system = CreateOpenGLSystem();
    PresentParams params;
    params.backBufferWidth = 800;
    params.backBufferHeight = 600;
    params.backBufferFormat = PixelFormat::A8R8G8B8;
    params.windowed = false;
    DevicePtr device;
    ASSERT_TRUE(system);
    if (system->CreateDevice(0, DeviceType::Hal, GameWindowHandle(), CreateFlags::HardwareVertexProcessing, &params,
                             &device) != GfxResult::Ok)
        GTEST_SKIP() << "no OpenGL context can be made on the X server";
    // Left half red, right half blue, a green square at the picture's top-left corner.
    const Rect left{0, 0, 400, 600}, right{400, 0, 800, 600}, corner{0, 0, 40, 40};
    auto draw = [&]
    {
        ASSERT_EQ(device->BeginScene(), GfxResult::Ok);
        ASSERT_EQ(device->Clear(1, &left, ClearFlags::Target, 0xFFFF0000u, 1.0f, 0), GfxResult::Ok);
        ASSERT_EQ(device->Clear(1, &right, ClearFlags::Target, 0xFF0000FFu, 1.0f, 0), GfxResult::Ok);
        ASSERT_EQ(device->Clear(1, &corner, ClearFlags::Target, 0xFF00FF00u, 1.0f, 0), GfxResult::Ok);
        ASSERT_EQ(device->EndScene(), GfxResult::Ok);
        ASSERT_EQ(device->Present(), GfxResult::Ok);
    };
    Display* x11 = XOpenDisplay(DisplayName().c_str());
    ASSERT_NE(x11, nullptr);
    // First a picture as large as the screen, all white, so the bars of the next have something to hide.
    PresentParams large = params;
    large.backBufferWidth = kScreenW;
    large.backBufferHeight = kScreenH;
    ASSERT_EQ(device->Reset(large), GfxResult::Ok);
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_EQ(device->BeginScene(), GfxResult::Ok);
        ASSERT_EQ(device->Clear(0, nullptr, ClearFlags::Target, 0xFFFFFFFFu, 1.0f, 0), GfxResult::Ok);
        ASSERT_EQ(device->EndScene(), GfxResult::Ok);
        ASSERT_EQ(device->Present(), GfxResult::Ok);
    }
    XSync(x11, False);
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(x11, 100, 450) == 0xFFFFFF; }));
    ASSERT_EQ(device->Reset(params), GfxResult::Ok);
    struct Probe
    {
        int x, y;
        uint32_t colour;
    };
    // Screen points away from the edges of the scaled areas (the scaling blends across them): the red half is
    // screen x 200 to 800, the blue one 800 to 1400, the green square 60 x 60 at (200, 0).
    const Probe probes[] = {
        {100, 450, 0x000000}, {1500, 450, 0x000000}, {5, 5, 0x000000},    {1594, 894, 0x000000},
        {205, 450, 0xFF0000}, {795, 890, 0xFF0000},  {805, 10, 0x0000FF}, {1395, 890, 0x0000FF},
        {230, 30, 0x00FF00},  {255, 55, 0x00FF00},   {230, 70, 0xFF0000}, {270, 30, 0xFF0000},
    };
    bool all = false;
    for (int attempt = 0; attempt < 50 && !all; ++attempt)
    {
        draw();
        XSync(x11, False);
        all = true;
        for (const Probe& probe : probes)
            all = all && ScreenPixel(x11, probe.x, probe.y) == probe.colour;
    }
    for (const Probe& probe : probes)
        EXPECT_EQ(ScreenPixel(x11, probe.x, probe.y), probe.colour) << probe.x << "," << probe.y;
    XCloseDisplay(x11);
    device.reset();
}

} // namespace
