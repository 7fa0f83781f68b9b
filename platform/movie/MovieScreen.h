// Where the movie's pictures are shown: an SDL renderer on the game window, scaling each frame into a
// rectangle, with the full-screen placement given as a logical screen size.
#pragma once

#include "platform/Window.h"
#include "platform/movie/MovieStream.h"

#include <cstdint>
#include <memory>

namespace platform
{

class MovieScreen
{
public:
    // Puts a renderer on the window (an SDL_Window*, as GameWindowHandle gives it). Full-screen: the screen
    // becomes width x height logical pixels over the whole window; windowed: rectangles are window pixels.
    // Null when there is no window or no renderer can be made on it.
    static std::unique_ptr<MovieScreen> Create(void* window, bool windowed, int32_t width, int32_t height);
    ~MovieScreen();
    MovieScreen(const MovieScreen&) = delete;
    MovieScreen& operator=(const MovieScreen&) = delete;

    // Scales the frame into the destination rectangle (right and bottom exclusive) on a black screen and
    // shows it. False when the frame is empty or the drawing fails.
    bool Show(const MovieFrame& frame, const Rect& destination);

    // Leaves the full-screen logical size, so the window shows its own pixels again.
    void RestoreDisplayMode();

    // The colour (0xAARRGGBB) of the last picture shown at a pixel of the window's output (full-screen
    // scaling applied); 0 when it cannot be read. For checking what reached the screen.
    uint32_t ReadPixel(int32_t x, int32_t y);

    struct Impl;

private:
    explicit MovieScreen(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_pImpl;
};

} // namespace platform
