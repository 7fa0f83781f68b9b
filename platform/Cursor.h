// The system cursor: position, warp, clipping, the show/hide display count and the shape; works without a window.
#pragma once

#include "platform/Window.h"

namespace platform
{

// The cursor position in screen coordinates (drains the event queue first): as the event pump last saw it while
// the pointer is over the window; while it is outside, where the video driver says it is (the X11 driver can
// tell; elsewhere the last position seen stands).
bool GetCursorPos(Point* screen);

// Moves the cursor to a screen position (kept inside the clip rectangle when one is set). The pointer itself
// follows where the video driver allows: inside the window always, elsewhere on the screen under X11.
bool SetCursorPos(int x, int y);

// Confines the cursor to a screen rectangle (right and bottom exclusive), or frees it with null. A confined
// cursor is moved inside at once and stays there; the mouse devices still report the raw movement. A clip of
// one pixel uses SDL's relative mouse mode where the video driver offers it.
bool ClipCursor(const Rect* rect);
// The current clip; false when the cursor is free.
bool GetCursorClip(Rect* rect);

// The display count: starts at 0, +1 for show, -1 for hide; the cursor is visible while it is not negative.
// Returns the new count.
int ShowCursor(bool show);
int GetCursorDisplayCount();
bool IsCursorVisible();

enum class CursorShape
{
    Default, // nothing has been set yet
    Arrow,
};

// Makes the standard arrow the current cursor.
bool SetArrowCursor();
CursorShape GetCursorShape();

namespace detail
{
// The event pump reports cursor motion in the window's own pixels (before any scaling of the picture).
void OnCursorMoved(int windowX, int windowY);
// The cursor position in screen coordinates as last seen, without taking new events.
Point CursorPosition();
// The event pump reports the pointer entering (true) or leaving (false) the game window.
void OnPointerInWindow(bool inside);
// Applies visibility, shape and clip to a window that was just created.
void ApplyCursorToWindow();
// Frees the SDL cursor resources before the window and the video subsystem go away.
void OnWindowDestroyed();
} // namespace detail

} // namespace platform
