// The system cursor over SDL, with the position, clip, display count and shape kept here so it works headless.
#include "platform/Cursor.h"

#include "platform/Input.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace platform
{
namespace
{

Point g_position;
// The pointer is not known to be over the window: it left (SDL then stops reporting it, and reports the last
// position clamped to the window's edge), or it has not entered since the window was made. Over the window the
// motion events give the position; only outside is the driver asked, which costs a round trip to the server.
bool g_bOutside = true;
bool g_bClipped = false;
Rect g_clip;
bool g_bRelative = false;
int g_displayCount = 0;
CursorShape g_shape = CursorShape::Default;
SDL_Cursor* g_pArrow = nullptr;

SDL_Window* Window()
{
    return static_cast<SDL_Window*>(GameWindowHandle());
}

// Whether the video driver can tell where the pointer is on the whole screen. SDL's other drivers answer a
// global query with the position inside the window.
bool HasGlobalPointer()
{
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
    return Window() && driver && std::strcmp(driver, "x11") == 0;
}

Point ClampToClip(Point p)
{
    if (!g_bClipped)
        return p;
    p.x = std::clamp(p.x, g_clip.left, std::max(g_clip.left, g_clip.right - 1));
    p.y = std::clamp(p.y, g_clip.top, std::max(g_clip.top, g_clip.bottom - 1));
    return p;
}

void ApplyVisibility()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) && !g_bRelative)
        SDL_ShowCursor(g_displayCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

// Moves the SDL pointer where we keep it. A warp reports no movement to the devices: SDL sends the motion
// that follows a warp with no relative movement. Points outside the window are passed on only where the driver
// moves the pointer over the whole screen: elsewhere SDL would clamp them to the window's edge and its motion
// would then disagree with the position kept here.
void WarpWindowPointer()
{
    SDL_Window* window = Window();
    if (!window)
        return;
    Point client = g_position;
    detail::ScreenToWindow(&client);
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    if (client.x >= 0 && client.y >= 0 && client.x < width && client.y < height)
        SDL_WarpMouseInWindow(window, client.x, client.y);
    else if (HasGlobalPointer())
        SDL_WarpMouseGlobal(g_position.x, g_position.y);
}

void ApplyClip()
{
    SDL_Window* window = Window();
    if (!window)
        return;
    if (g_bClipped)
    {
        Point origin{g_clip.left, g_clip.top};
        detail::ScreenToWindow(&origin);
        SDL_Rect area{origin.x, origin.y, std::max(1, g_clip.right - g_clip.left),
                      std::max(1, g_clip.bottom - g_clip.top)};
        SDL_SetWindowMouseRect(window, &area);
        SDL_SetWindowGrab(window, SDL_TRUE);
        // A one-pixel clip only makes sense with raw movement; without relative mode (offscreen and dummy
        // drivers) the clip is kept by clamping alone.
        bool onePixel = area.w <= 1 || area.h <= 1;
        if (onePixel && !g_bRelative)
            g_bRelative = SDL_SetRelativeMouseMode(SDL_TRUE) == 0;
    }
    else
    {
        if (g_bRelative)
        {
            SDL_SetRelativeMouseMode(SDL_FALSE);
            g_bRelative = false;
            WarpWindowPointer();
        }
        SDL_SetWindowMouseRect(window, nullptr);
        SDL_SetWindowGrab(window, SDL_FALSE);
    }
    ApplyVisibility();
}

} // namespace

bool GetCursorPos(Point* screen)
{
    if (!screen)
        return false;
    PumpEvents();
    if (g_bOutside && HasGlobalPointer())
    {
        Point global;
        SDL_GetGlobalMouseState(&global.x, &global.y);
        g_position = ClampToClip(global);
    }
    *screen = g_position;
    return true;
}

bool SetCursorPos(int x, int y)
{
    g_position = ClampToClip(Point{x, y});
    if (!g_bRelative)
        WarpWindowPointer();
    return true;
}

bool ClipCursor(const Rect* rect)
{
    if (rect)
    {
        Rect clip = *rect;
        if (clip.right < clip.left)
            std::swap(clip.left, clip.right);
        if (clip.bottom < clip.top)
            std::swap(clip.top, clip.bottom);
        g_clip = clip;
        g_bClipped = true;
        g_position = ClampToClip(g_position);
    }
    else
    {
        g_bClipped = false;
        g_clip = Rect{};
    }
    ApplyClip();
    return true;
}

bool GetCursorClip(Rect* rect)
{
    if (rect)
        *rect = g_clip;
    return g_bClipped;
}

int ShowCursor(bool show)
{
    g_displayCount += show ? 1 : -1;
    ApplyVisibility();
    return g_displayCount;
}

int GetCursorDisplayCount()
{
    return g_displayCount;
}

bool IsCursorVisible()
{
    return g_displayCount >= 0;
}

bool SetArrowCursor()
{
    g_shape = CursorShape::Arrow;
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    if (!g_pArrow)
        g_pArrow = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    // Drivers without system cursors (offscreen, dummy) keep their default, which is the arrow anyway.
    if (g_pArrow)
        SDL_SetCursor(g_pArrow);
    return true;
}

CursorShape GetCursorShape()
{
    return g_shape;
}

namespace detail
{

void OnCursorMoved(int windowX, int windowY)
{
    Point p{windowX, windowY};
    WindowToScreen(&p);
    g_position = ClampToClip(p);
}

Point CursorPosition()
{
    return g_position;
}

void OnPointerInWindow(bool inside)
{
    g_bOutside = !inside;
}

void ApplyCursorToWindow()
{
    // Relative mode is off here: the last window's end turned it off (OnWindowDestroyed).
    g_bOutside = true;
    if (g_shape == CursorShape::Arrow)
        SetArrowCursor();
    ApplyClip();
}

void OnWindowDestroyed()
{
    // SDL cursors belong to the video subsystem that is about to stop.
    if (g_pArrow)
        SDL_FreeCursor(g_pArrow);
    g_pArrow = nullptr;
    if (g_bRelative)
        SDL_SetRelativeMouseMode(SDL_FALSE);
    g_bRelative = false;
}

} // namespace detail

} // namespace platform
