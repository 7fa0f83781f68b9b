// The game window over SDL: creation, rectangle, coordinate conversion, focus and the window message queue.
#include "platform/Window.h"

#include "platform/Cursor.h"
#include "platform/Input.h"
#include "platform/Report.h"

#include <SDL.h>

#include <deque>

namespace platform
{
namespace
{

SDL_Window* g_window = nullptr;
bool g_focused = true;
std::deque<WindowMessage> g_messages;

// A main loop that stops taking messages must not make the queue grow without end.
constexpr size_t kMaxQueuedMessages = 256;

} // namespace

bool CreateGameWindow(const char* title, int width, int height)
{
    if (g_window)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    // The drawing layer renders into this window through OpenGL; where no GL is to be had the window is still
    // made, for input and message boxes.
    const Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN;
    g_window = SDL_CreateWindow(title ? title : "", 0, 0, width, height, flags | SDL_WINDOW_OPENGL);
    if (!g_window)
        g_window = SDL_CreateWindow(title ? title : "", 0, 0, width, height, flags);
    if (!g_window)
    {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
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
    SDL_SetWindowPosition(g_window, x, y);
    SDL_SetWindowSize(g_window, width, height);
    return true;
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
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(display < 0 ? 0 : display, &usable) != 0)
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
    int x = 0, y = 0;
    SDL_GetWindowPosition(g_window, &x, &y);
    point->x -= x;
    point->y -= y;
    return true;
}

bool ClientToScreen(Point* point)
{
    if (!point)
        return false;
    if (!g_window)
        return true;
    int x = 0, y = 0;
    SDL_GetWindowPosition(g_window, &x, &y);
    point->x += x;
    point->y += y;
    return true;
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

} // namespace detail

} // namespace platform
