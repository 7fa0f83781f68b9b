// Test helpers: a headless game window and SDL input events pushed into the queue the way a real device sends them.
#pragma once

#include "platform/Cursor.h"
#include "platform/Input.h"
#include "platform/Window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace sdltest
{

// Creates the game window under the offscreen video driver (or dummy when offscreen is missing), unless the
// environment already names a driver.
inline bool StartHeadlessWindow()
{
    ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (platform::CreateGameWindow("input test"))
        return true;
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    return platform::CreateGameWindow("input test");
}

// Empties the event queue and the window messages so a test starts from quiet input.
inline void Drain()
{
    platform::PumpEvents();
    while (platform::PollWindowMessage(nullptr))
    {
    }
}

inline void Push(SDL_Event& event)
{
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

// A key event; the scancode is stored as the raw number an event may carry, in range or not.
inline void PushRawKey(int32_t scancode, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    static_assert(sizeof scancode == sizeof event.key.keysym.scancode);
    std::memcpy(&event.key.keysym.scancode, &scancode, sizeof scancode);
    Push(event);
}

inline void PushKey(SDL_Scancode scancode, bool down)
{
    PushRawKey(scancode, down);
}

// Motion to a client position, with the raw movement that brought the mouse there.
inline void PushMotion(int x, int y, int xrel, int yrel)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    event.motion.xrel = xrel;
    event.motion.yrel = yrel;
    Push(event);
}

inline void PushButton(uint8_t button, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    Push(event);
}

// Whole notches, or the fraction of a notch a smooth wheel sends; a flipped wheel reports the other way round.
inline void PushWheel(int notches, float precise = 0.0f, bool flipped = false)
{
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = notches;
    event.wheel.preciseY = precise;
    event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    Push(event);
}

// A window event: SDL_WINDOWEVENT_CLOSE, SDL_WINDOWEVENT_FOCUS_GAINED, ...
inline void PushWindowEvent(uint8_t id)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = id;
    Push(event);
}

inline void PushQuit()
{
    SDL_Event event{};
    event.type = SDL_QUIT;
    Push(event);
}

inline void PushFocus(bool gained)
{
    PushWindowEvent(gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST);
}

// A fixture with the game window up, the cursor at a known place and the display count put back afterwards.
class HeadlessWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(StartHeadlessWindow()) << SDL_GetError();
        m_displayCount = platform::GetCursorDisplayCount();
        platform::SetCursorPos(400, 300);
        Drain();
    }

    void TearDown() override
    {
        platform::ClipCursor(nullptr);
        while (platform::GetCursorDisplayCount() != m_displayCount)
            platform::ShowCursor(platform::GetCursorDisplayCount() < m_displayCount);
        platform::DestroyGameWindow();
    }

private:
    int m_displayCount = 0;
};

} // namespace sdltest
