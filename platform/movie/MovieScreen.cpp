// The movie's screen: an SDL renderer and one streaming texture on the game window.
#include "platform/movie/MovieScreen.h"

#include <SDL.h>

namespace platform
{

struct MovieScreen::Impl
{
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int32_t textureWidth = 0;
    int32_t textureHeight = 0;
    bool hasPicture = false;
    SDL_Rect lastDestination{};

    ~Impl()
    {
        if (texture)
            SDL_DestroyTexture(texture);
        if (renderer)
            SDL_DestroyRenderer(renderer);
    }

    bool Upload(const MovieFrame& frame)
    {
        if (!texture || textureWidth != frame.width || textureHeight != frame.height)
        {
            if (texture)
                SDL_DestroyTexture(texture);
            texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, frame.width,
                                        frame.height);
            textureWidth = texture ? frame.width : 0;
            textureHeight = texture ? frame.height : 0;
            if (!texture)
                return false;
            SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);
        }
        return SDL_UpdateTexture(texture, nullptr, frame.pixels.data(), frame.width * 4) == 0;
    }

    bool Draw()
    {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        if (SDL_RenderClear(renderer) != 0)
            return false;
        return SDL_RenderCopy(renderer, texture, nullptr, &lastDestination) == 0;
    }
};

std::unique_ptr<MovieScreen> MovieScreen::Create(void* window, bool windowed, int32_t width, int32_t height)
{
    if (!window || width <= 0 || height <= 0)
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->window = static_cast<SDL_Window*>(window);
    impl->renderer = SDL_CreateRenderer(impl->window, -1, 0);
    if (!impl->renderer)
        impl->renderer = SDL_CreateRenderer(impl->window, -1, SDL_RENDERER_SOFTWARE);
    if (!impl->renderer)
        return nullptr;
    // Full-screen placement works in the movie's own screen size, stretched over the whole window.
    if (!windowed && SDL_RenderSetLogicalSize(impl->renderer, width, height) != 0)
        return nullptr;
    return std::unique_ptr<MovieScreen>(new MovieScreen(std::move(impl)));
}

MovieScreen::MovieScreen(std::unique_ptr<Impl> impl) : m_pImpl(std::move(impl)) {}

MovieScreen::~MovieScreen() = default;

bool MovieScreen::Show(const MovieFrame& frame, const Rect& destination)
{
    Impl& d = *m_pImpl;
    if (frame.width <= 0 || frame.height <= 0 ||
        frame.pixels.size() < static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height))
        return false;
    if (destination.right <= destination.left || destination.bottom <= destination.top)
        return false;
    if (!d.Upload(frame))
        return false;
    d.lastDestination = SDL_Rect{destination.left, destination.top, destination.right - destination.left,
                                 destination.bottom - destination.top};
    d.hasPicture = true;
    if (!d.Draw())
        return false;
    SDL_RenderPresent(d.renderer);
    return true;
}

void MovieScreen::RestoreDisplayMode()
{
    SDL_RenderSetLogicalSize(m_pImpl->renderer, 0, 0);
}

uint32_t MovieScreen::ReadPixel(int32_t x, int32_t y)
{
    Impl& d = *m_pImpl;
    if (!d.hasPicture || !d.texture)
        return 0;
    // What was presented is gone from the back buffer; draw it again and read before presenting.
    if (!d.Draw())
        return 0;
    int outputWidth = 0, outputHeight = 0;
    if (SDL_GetRendererOutputSize(d.renderer, &outputWidth, &outputHeight) != 0)
        return 0;
    if (x < 0 || y < 0 || x >= outputWidth || y >= outputHeight)
        return 0;
    SDL_Rect pixel{x, y, 1, 1};
    uint32_t colour = 0;
    if (SDL_RenderReadPixels(d.renderer, &pixel, SDL_PIXELFORMAT_ARGB8888, &colour, 4) != 0)
        return 0;
    return colour;
}

} // namespace platform
