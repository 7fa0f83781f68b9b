// The game window: full screen with the picture scaled to it, or a borderless window of the picture's size; its
// rectangle in screen coordinates, the mapping between the screen and the picture, and the window messages.
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

// How the game window is shown. Whatever the mode, the game draws a picture of its own resolution; the client
// coordinates of this layer (mouse positions, ScreenToClient) are that picture's pixels.
enum class WindowMode
{
    // A borderless window exactly the picture's size at the top-left of the screen (tests, tools, development).
    Window,
    // The whole screen of the desktop; the picture is scaled to it keeping its aspect, centred between black bars.
    FullScreen,
};

// The mode the next CreateGameWindow makes; Window until set.
void SetWindowMode(WindowMode mode);
WindowMode GetWindowMode();

// Asks SDL for the OpenGL the drawing layer makes its contexts with (2.1 compatibility, 8-bit RGBA, double
// buffered, no depth or stencil in the window's own buffer). Set before the game window is made as well as before
// each context, so the window's surface matches the context made on it (drivers such as SDL's offscreen one refuse
// a context whose buffer differs from the surface's).
void SetOpenGLAttributes();

// Creates the one game window (shown, in the mode set) for a picture of width x height, and starts the video
// subsystem; message boxes are then shown over it. False when the window cannot be made; true when it exists
// already.
bool CreateGameWindow(const char* title, int width = kDefaultWindowWidth, int height = kDefaultWindowHeight);

// Destroys the window (nothing when there is none); forgets the held keys and buttons with it.
void DestroyGameWindow();

bool HasGameWindow();

// The SDL_Window* for the drawing layer; null without a window.
void* GameWindowHandle();

// Sets the picture's size (the client size in pixels). A window in Window mode is moved to the screen position
// (x, y) and sized to the picture; a full-screen window stays where it is and scales the new picture.
bool SetGameWindowBounds(int x, int y, int width, int height);

// The picture's size; false (and 0 x 0) without a window.
bool GetPictureSize(int* width, int* height);

// Where a picture of pictureWidth x pictureHeight goes in an area of areaWidth x areaHeight: as large as fits
// keeping its aspect, centred (right and bottom exclusive). Empty when either is empty.
Rect FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);

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

// The usable desktop area (screen coordinates) of the display holding the window (the whole display for a
// full-screen window); false and an empty rectangle while no video is running.
bool GetWorkArea(Rect* rect);

// Converts between screen coordinates and the picture's pixels (unchanged without a window). A screen point maps
// to the picture pixel under it (points on the bars map outside the picture); a picture pixel maps to the first
// screen point that maps back to it.
bool ScreenToClient(Point* point);
bool ClientToScreen(Point* point);

// Shows a message box before (or without) a window, where a display is available; false when none was shown.
bool ShowStartupMessage(const char* title, const char* text);

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
// Between screen coordinates and the window's own pixels (SDL's event and warp coordinates), without scaling.
void ScreenToWindow(Point* point);
void WindowToScreen(Point* point);
} // namespace detail

} // namespace platform
