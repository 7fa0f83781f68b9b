// The game window: a borderless SDL window, its rectangle in screen coordinates and the window messages.
#pragma once

#include <cstdint>

namespace platform
{

// A rectangle with exclusive right and bottom edges, as window rectangles are given.
struct Rect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct Point
{
    int32_t x = 0;
    int32_t y = 0;
};

constexpr int kDefaultWindowWidth = 800;
constexpr int kDefaultWindowHeight = 600;

// Creates the one game window (borderless, at the top-left of the screen, shown) and starts the video
// subsystem; message boxes are then shown over it. False when the window cannot be made; true when it exists
// already.
bool CreateGameWindow(const char* title, int width = kDefaultWindowWidth, int height = kDefaultWindowHeight);

// Destroys the window (nothing when there is none); forgets the held keys and buttons with it.
void DestroyGameWindow();

bool HasGameWindow();

// The SDL_Window* for the drawing layer; null without a window.
void* GameWindowHandle();

// Moves and sizes the window (screen coordinates of its top-left corner, client size in pixels).
bool SetGameWindowBounds(int x, int y, int width, int height);

// The frame and caption sizes a framed window would have. The game window is borderless, so all are 0.
enum class SystemMetric
{
    FrameWidth,
    FrameHeight,
    CaptionHeight,
};
int GetSystemMetric(SystemMetric metric);

// The window's rectangle in screen coordinates (right = left + width). False and an empty rectangle
// without a window.
bool GetWindowRect(Rect* rect);

// The usable desktop area (screen coordinates) of the display holding the window; false and an empty rectangle
// while no video is running.
bool GetWorkArea(Rect* rect);

// Converts between screen and client coordinates of the game window (unchanged without a window).
bool ScreenToClient(Point* point);
bool ClientToScreen(Point* point);

// True while the window has the keyboard focus (and always while no focus change has been seen).
bool IsWindowFocused();

// What the event pump hands to the main loop besides input.
struct WindowMessage
{
    enum Type
    {
        Close,    // the user asked the window to close (or the process to quit)
        Activate, // the window gained (active = true) or lost (active = false) the focus
    };
    Type type = Close;
    bool active = false;
};

// Takes the oldest window message the event pump has queued; false when none is waiting.
bool PollWindowMessage(WindowMessage* message);

namespace detail
{
// Called by the event pump.
void PostWindowMessage(const WindowMessage& message);
void SetWindowFocused(bool focused);
} // namespace detail

} // namespace platform
