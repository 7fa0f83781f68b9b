// The logo movie player: plays one MPEG movie with its sound on the main window until it ends or the player
// presses Escape or Space. Every failure is silent: the player just becomes unusable.
#pragma once

#include <cstdint>
#include <memory>

namespace platform
{
class MovieScreen;
}

class MoviePlayer
{
public:
    // Stores the placement and sets up the screen on the window (an SDL_Window*, as platform::GameWindowHandle
    // gives it). Full-screen: the movie fills the window, which shows a width x height screen; windowed: it is
    // drawn into the window rectangle (x, y, x + width, y + height).
    MoviePlayer(void* window, int32_t x, int32_t y, int32_t width, int32_t height, bool windowed,
                bool restoreDisplayMode);
    ~MoviePlayer();
    MoviePlayer(const MoviePlayer&) = delete;
    MoviePlayer& operator=(const MoviePlayer&) = delete;

    // Opens the file and plays it to its end or to Escape or Space; returns when done. Nothing when the player
    // is not usable; a file that cannot be opened makes it unusable.
    void Play(const char* fileName);

    bool IsUsable() const { return m_bUsable; }
    // Pictures shown by the last Play, and whether a key ended it early.
    uint32_t GetFramesShown() const { return m_uFramesShown; }
    bool WasSkipped() const { return m_bSkipped; }

    // Plays pictures as fast as they decode instead of at the movie's speed, and without sound (tools and
    // tests).
    void SetUnpaced(bool unpaced) { m_bUnpaced = unpaced; }

private:
    void* m_pWindow;
    int32_t m_iX;
    int32_t m_iY;
    int32_t m_iWidth;
    int32_t m_iHeight;
    bool m_bWindowed;
    bool m_bUsable = true;
    bool m_bRestoreDisplayMode;
    bool m_bUnpaced = false;
    std::unique_ptr<platform::MovieScreen> m_pScreen;
    uint32_t m_uFramesShown = 0;
    bool m_bSkipped = false;
};
