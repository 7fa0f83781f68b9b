// The game window over SDL: creation in its mode, rectangle, picture scaling, coordinate conversion, focus and the
// window message queue.
#include "platform/Window.h"

#include "platform/Cursor.h"
#include "platform/Input.h"
#include "platform/Report.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <deque>

namespace platform
{
namespace
{

SDL_Window* g_window = nullptr;
WindowMode g_mode = WindowMode::Window;
// The mode and picture of the window that exists.
WindowMode g_windowMode = WindowMode::Window;
int g_pictureWidth = 0;
int g_pictureHeight = 0;
bool g_focused = true;
std::deque<WindowMessage> g_messages;

// A main loop that stops taking messages must not make the queue grow without end.
constexpr size_t kMaxQueuedMessages = 256;

int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int64_t CeilDiv(int64_t a, int64_t b)
{
    return -FloorDiv(-a, b);
}

int32_t ToInt(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// The picture's place in the window's own pixels; the whole window when it is not scaled.
Rect PictureInWindow()
{
    int w = 0, h = 0;
    SDL_GetWindowSize(g_window, &w, &h);
    if (g_windowMode == WindowMode::Window)
        return Rect{0, 0, g_pictureWidth, g_pictureHeight};
    return FitPicture(g_pictureWidth, g_pictureHeight, w, h);
}

} // namespace

void SetWindowMode(WindowMode mode)
{
    g_mode = mode;
}

WindowMode GetWindowMode()
{
    return g_mode;
}

void SetOpenGLAttributes()
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

bool CreateGameWindow(const char* title, int width, int height)
{
    if (g_window)
        return true;
    if (width <= 0 || height <= 0)
        return false;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    // The drawing layer renders into this window through OpenGL; where no GL is to be had the window is still
    // made, for input and message boxes.
    Uint32 flags = SDL_WINDOW_SHOWN | SDL_WINDOW_BORDERLESS;
    SDL_Rect area{0, 0, width, height};
    if (g_mode == WindowMode::FullScreen)
    {
        // Made at the screen's size: where no window manager takes it to full screen, SDL would leave the
        // window at the size it was made with.
        flags = SDL_WINDOW_SHOWN | SDL_WINDOW_FULLSCREEN_DESKTOP;
        if (SDL_GetDisplayBounds(0, &area) != 0)
            area = SDL_Rect{0, 0, width, height};
    }
    SetOpenGLAttributes();
    g_window = SDL_CreateWindow(title ? title : "", area.x, area.y, area.w, area.h, flags | SDL_WINDOW_OPENGL);
    if (!g_window)
        g_window = SDL_CreateWindow(title ? title : "", area.x, area.y, area.w, area.h, flags);
    if (!g_window)
    {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    // The game reads keys only and has nowhere to type text. SDL turns text input on with its video, and while it is
    // on an input method may take letter keys for the words it composes and the game would never see them.
    SDL_StopTextInput();
    g_windowMode = g_mode;
    g_pictureWidth = width;
    g_pictureHeight = height;
    g_focused = true;
    g_messages.clear();
    SetMessageBoxWindow(g_window);
    detail::ApplyCursorToWindow();
    return true;
}

void DestroyGameWindow()
{
    if (!g_window)
        return;
    SetMessageBoxWindow(nullptr);
    detail::OnWindowDestroyed();
    SDL_DestroyWindow(g_window);
    g_window = nullptr;
    g_pictureWidth = g_pictureHeight = 0;
    g_messages.clear();
    g_focused = true;
    detail::ForgetHeldInput();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool HasGameWindow()
{
    return g_window != nullptr;
}

void* GameWindowHandle()
{
    return g_window;
}

bool SetGameWindowBounds(int x, int y, int width, int height)
{
    if (!g_window || width <= 0 || height <= 0)
        return false;
    g_pictureWidth = width;
    g_pictureHeight = height;
    if (g_windowMode == WindowMode::FullScreen)
        return true;
    SDL_SetWindowPosition(g_window, x, y);
    SDL_SetWindowSize(g_window, width, height);
    return true;
}

bool GetPictureSize(int* width, int* height)
{
    if (width)
        *width = g_window ? g_pictureWidth : 0;
    if (height)
        *height = g_window ? g_pictureHeight : 0;
    return g_window != nullptr;
}

Rect FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight)
{
    if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0)
        return Rect{};
    // The scale is the smaller of areaWidth / pictureWidth and areaHeight / pictureHeight; the other side is
    // rounded to the nearest pixel.
    int64_t w = areaWidth, h = areaHeight;
    if (int64_t{areaWidth} * pictureHeight > int64_t{areaHeight} * pictureWidth)
        w = (int64_t{areaHeight} * pictureWidth * 2 + pictureHeight) / (int64_t{pictureHeight} * 2);
    else
        h = (int64_t{areaWidth} * pictureHeight * 2 + pictureWidth) / (int64_t{pictureWidth} * 2);
    const int64_t left = (areaWidth - w) / 2;
    const int64_t top = (areaHeight - h) / 2;
    return Rect{ToInt(left), ToInt(top), ToInt(left + w), ToInt(top + h)};
}

int GetSystemMetric(SystemMetric)
{
    return 0;
}

bool GetWindowRect(Rect* rect)
{
    if (!rect)
        return false;
    *rect = Rect{};
    if (!g_window)
        return false;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(g_window, &x, &y);
    SDL_GetWindowSize(g_window, &w, &h);
    *rect = Rect{x, y, x + w, y + h};
    return true;
}

bool GetWorkArea(Rect* rect)
{
    if (!rect)
        return false;
    *rect = Rect{};
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return false;
    int display = g_window ? SDL_GetWindowDisplayIndex(g_window) : 0;
    display = display < 0 ? 0 : display;
    SDL_Rect usable{};
    // A full-screen window covers the panels too: its work area is the whole display.
    const bool whole = g_window && g_windowMode == WindowMode::FullScreen;
    if ((whole ? SDL_GetDisplayBounds(display, &usable) : SDL_GetDisplayUsableBounds(display, &usable)) != 0)
        return false;
    *rect = Rect{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
    return true;
}

bool ScreenToClient(Point* point)
{
    if (!point)
        return false;
    if (!g_window)
        return true;
    detail::ScreenToWindow(point);
    const Rect fit = PictureInWindow();
    const int64_t fitWidth = fit.right - fit.left, fitHeight = fit.bottom - fit.top;
    if (fitWidth <= 0 || fitHeight <= 0)
        return true;
    point->x = ToInt(FloorDiv((int64_t{point->x} - fit.left) * g_pictureWidth, fitWidth));
    point->y = ToInt(FloorDiv((int64_t{point->y} - fit.top) * g_pictureHeight, fitHeight));
    return true;
}

bool ClientToScreen(Point* point)
{
    if (!point)
        return false;
    if (!g_window)
        return true;
    const Rect fit = PictureInWindow();
    const int64_t fitWidth = fit.right - fit.left, fitHeight = fit.bottom - fit.top;
    if (fitWidth > 0 && fitHeight > 0)
    {
        point->x = ToInt(fit.left + CeilDiv(int64_t{point->x} * fitWidth, g_pictureWidth));
        point->y = ToInt(fit.top + CeilDiv(int64_t{point->y} * fitHeight, g_pictureHeight));
    }
    detail::WindowToScreen(point);
    return true;
}

bool ShowStartupMessage(const char* title, const char* text)
{
    // SDL shows a box without a window of its own where the system has a display to show it on.
    return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title ? title : "", WrapMessageBoxText(text).c_str(),
                                    g_window) == 0;
}

bool IsWindowFocused()
{
    return g_focused;
}

bool PollWindowMessage(WindowMessage* message)
{
    if (g_messages.empty())
        return false;
    if (message)
        *message = g_messages.front();
    g_messages.pop_front();
    return true;
}

namespace detail
{

void PostWindowMessage(const WindowMessage& message)
{
    if (g_messages.size() >= kMaxQueuedMessages)
        g_messages.pop_front();
    g_messages.push_back(message);
}

void SetWindowFocused(bool focused)
{
    g_focused = focused;
}

void ScreenToWindow(Point* point)
{
    if (!point || !g_window)
        return;
    int x = 0, y = 0;
    SDL_GetWindowPosition(g_window, &x, &y);
    point->x -= x;
    point->y -= y;
}

void WindowToScreen(Point* point)
{
    if (!point || !g_window)
        return;
    int x = 0, y = 0;
    SDL_GetWindowPosition(g_window, &x, &y);
    point->x += x;
    point->y += y;
}

} // namespace detail

} // namespace platform
