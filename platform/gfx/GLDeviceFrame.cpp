// The GL device's framebuffers: making them, clearing, presenting to the window and reading or writing pixels.
#include "platform/Window.h"
#include "platform/gfx/GLDevice.h"

#include <algorithm>

namespace platform
{

bool GLDevice::MakeFramebuffers()
{
    GLApi& gl = Gl();
    GLsizei w = static_cast<GLsizei>(m_params.backBufferWidth), h = static_cast<GLsizei>(m_params.backBufferHeight);
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384)
        return false;
    gl.GenFramebuffers(1, &m_backFbo);
    gl.GenRenderbuffers(1, &m_backColour);
    gl.BindRenderbuffer(GL_RENDERBUFFER, m_backColour);
    gl.RenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
    m_shadow.BindFramebuffer(GL_FRAMEBUFFER, m_backFbo);
    gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_backColour);
    m_bHasDepth = m_params.enableAutoDepthStencil && IsDepthFormat(m_params.autoDepthStencilFormat);
    m_bHasStencil = m_bHasDepth && FormatHasStencil(m_params.autoDepthStencilFormat);
    if (m_bHasDepth)
    {
        GLenum depthFormat = GL_DEPTH24_STENCIL8;
        if (m_params.autoDepthStencilFormat == PixelFormat::D16)
            depthFormat = GL_DEPTH_COMPONENT16;
        else if (m_params.autoDepthStencilFormat == PixelFormat::D24X8 ||
                 m_params.autoDepthStencilFormat == PixelFormat::D32)
            depthFormat = GL_DEPTH_COMPONENT24;
        gl.GenRenderbuffers(1, &m_backDepth);
        gl.BindRenderbuffer(GL_RENDERBUFFER, m_backDepth);
        gl.RenderbufferStorage(GL_RENDERBUFFER, depthFormat, w, h);
        gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_backDepth);
        if (depthFormat == GL_DEPTH24_STENCIL8)
            gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, m_backDepth);
    }
    bool ok = gl.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;

    gl.GenFramebuffers(1, &m_frontFbo);
    gl.GenRenderbuffers(1, &m_frontColour);
    gl.BindRenderbuffer(GL_RENDERBUFFER, m_frontColour);
    gl.RenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
    m_shadow.BindFramebuffer(GL_FRAMEBUFFER, m_frontFbo);
    gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_frontColour);
    return ok && gl.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void GLDevice::DeleteFramebuffers()
{
    GLApi& gl = Gl();
    m_shadow.BindFramebuffer(GL_FRAMEBUFFER, 0);
    GLuint fbos[] = {m_backFbo, m_frontFbo};
    GLuint rbs[] = {m_backColour, m_backDepth, m_frontColour};
    gl.DeleteFramebuffers(2, fbos);
    gl.DeleteRenderbuffers(3, rbs);
    m_backFbo = m_frontFbo = m_backColour = m_backDepth = m_frontColour = 0;
}

// ---------------------------------------------------------------- frame

GfxResult GLDevice::Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t colour, float z, uint32_t stencil)
{
    MakeCurrent();
    GLApi& gl = Gl();
    if ((flags & ClearFlags::ZBuffer) && !m_bHasDepth)
        return GfxResult::InvalidCall;
    if ((flags & ClearFlags::Stencil) && !m_bHasStencil)
        return GfxResult::InvalidCall;
    GLbitfield mask = 0;
    if (flags & ClearFlags::Target)
    {
        mask |= GL_COLOR_BUFFER_BIT;
        gl.ClearColor(((colour >> 16) & 255) / 255.0f, ((colour >> 8) & 255) / 255.0f, (colour & 255) / 255.0f,
                      (colour >> 24) / 255.0f);
        m_shadow.ColourMask(true, true, true, true);
    }
    if (flags & ClearFlags::ZBuffer)
    {
        mask |= GL_DEPTH_BUFFER_BIT;
        gl.ClearDepth(std::clamp(z, 0.0f, 1.0f));
        m_shadow.DepthMask(true);
    }
    if (flags & ClearFlags::Stencil)
    {
        mask |= GL_STENCIL_BUFFER_BIT;
        gl.ClearStencil(static_cast<GLint>(stencil));
        m_shadow.StencilMask(0xFFFFFFFFu);
    }
    if (!mask)
        return GfxResult::Ok;
    m_shadow.BindFramebuffer(GL_FRAMEBUFFER, m_backFbo);
    m_shadow.Enable(GL_SCISSOR_TEST, true);
    int32_t height = static_cast<int32_t>(m_params.backBufferHeight);
    Rect view{static_cast<int32_t>(m_viewport.X), static_cast<int32_t>(m_viewport.Y),
              static_cast<int32_t>(m_viewport.X + m_viewport.Width),
              static_cast<int32_t>(m_viewport.Y + m_viewport.Height)};
    uint32_t n = rects && count ? count : 1;
    for (uint32_t i = 0; i < n; ++i)
    {
        Rect r = rects && count ? rects[i] : view;
        Rect c{std::max(r.left, view.left), std::max(r.top, view.top), std::min(r.right, view.right),
               std::min(r.bottom, view.bottom)};
        if (c.left >= c.right || c.top >= c.bottom)
            continue;
        gl.Scissor(c.left, height - c.bottom, c.right - c.left, c.bottom - c.top);
        gl.Clear(mask);
    }
    m_shadow.Enable(GL_SCISSOR_TEST, false);
    // The write masks come back from the device state at the next draw, through the shadow.
    return GfxResult::Ok;
}

GfxResult GLDevice::Present()
{
    MakeCurrent();
    if (m_bInScene)
        return GfxResult::InvalidCall;
    GLApi& gl = Gl();
    GLint w = static_cast<GLint>(m_params.backBufferWidth), h = static_cast<GLint>(m_params.backBufferHeight);
    m_shadow.Enable(GL_SCISSOR_TEST, false);
    m_shadow.BindFramebuffer(GL_READ_FRAMEBUFFER, m_backFbo);
    m_shadow.BindFramebuffer(GL_DRAW_FRAMEBUFFER, m_frontFbo);
    gl.BlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    if (!m_bOwnWindow)
    {
        int ww = 0, wh = 0;
        SDL_GL_GetDrawableSize(m_pWindow, &ww, &wh);
        m_shadow.BindFramebuffer(GL_READ_FRAMEBUFFER, m_frontFbo);
        m_shadow.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        // The picture keeps its aspect on a window of another shape (a full screen): black bars fill the rest.
        const Rect fit = FitPicture(w, h, ww, wh);
        if (fit.right > fit.left && fit.bottom > fit.top)
        {
            if (fit.left > 0 || fit.top > 0 || fit.right < ww || fit.bottom < wh)
            {
                m_shadow.ColourMask(true, true, true, true);
                gl.ClearColor(0.0f, 0.0f, 0.0f, 1.0f);
                gl.Clear(GL_COLOR_BUFFER_BIT);
            }
            const bool same = fit.right - fit.left == w && fit.bottom - fit.top == h;
            // GL counts rows from the bottom.
            gl.BlitFramebuffer(0, 0, w, h, fit.left, wh - fit.bottom, fit.right, wh - fit.top, GL_COLOR_BUFFER_BIT,
                               same ? GL_NEAREST : GL_LINEAR);
        }
        SDL_GL_SwapWindow(m_pWindow);
    }
    return GfxResult::Ok; // draws and clears bind the back buffer themselves
}

// ---------------------------------------------------------------- read-back

namespace
{
GfxResult ReadFramebuffer(GLStateShadow& shadow, GLuint fbo, uint32_t w, uint32_t h, std::vector<uint32_t>* pixels)
{
    GLApi& gl = Gl();
    std::vector<uint32_t> rows(static_cast<size_t>(w) * h);
    shadow.BindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
    gl.ReadPixels(0, 0, static_cast<GLsizei>(w), static_cast<GLsizei>(h), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                  rows.data());
    pixels->resize(rows.size());
    // GL's rows run bottom to top.
    for (uint32_t y = 0; y < h; ++y)
        std::copy_n(&rows[static_cast<size_t>(h - 1 - y) * w], w, &(*pixels)[static_cast<size_t>(y) * w]);
    return gl.GetError() == GL_NO_ERROR ? GfxResult::Ok : GfxResult::DriverError;
}
} // namespace

GfxResult GLDevice::ReadBackBuffer(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height)
{
    if (!pixels || !width || !height)
        return GfxResult::InvalidCall;
    MakeCurrent();
    *width = m_params.backBufferWidth;
    *height = m_params.backBufferHeight;
    return ReadFramebuffer(m_shadow, m_backFbo, *width, *height, pixels);
}

GfxResult GLDevice::ReadFrontBuffer(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height)
{
    if (!pixels || !width || !height)
        return GfxResult::InvalidCall;
    MakeCurrent();
    *width = m_params.backBufferWidth;
    *height = m_params.backBufferHeight;
    return ReadFramebuffer(m_shadow, m_frontFbo, *width, *height, pixels);
}

GfxResult GLDevice::WriteBackBuffer(const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t colourKey)
{
    if (!pixels || width == 0 || height == 0)
        return GfxResult::InvalidCall;
    MakeCurrent();
    GLApi& gl = Gl();
    uint32_t w = std::min(width, m_params.backBufferWidth), h = std::min(height, m_params.backBufferHeight);
    // Bottom-up rows of opaque pixels, the key colour made transparent black.
    std::vector<uint32_t> rows(static_cast<size_t>(w) * h);
    for (uint32_t y = 0; y < h; ++y)
    {
        for (uint32_t x = 0; x < w; ++x)
        {
            uint32_t v = pixels[static_cast<size_t>(y) * width + x] | 0xFF000000u;
            if (colourKey && v == (colourKey | 0xFF000000u))
                v = 0;
            rows[static_cast<size_t>(h - 1 - y) * w + x] = v;
        }
    }
    GLuint texture = 0, fbo = 0;
    gl.GenTextures(1, &texture);
    m_shadow.BindTexture(0, texture);
    m_shadow.ActiveUnit(0);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(w), static_cast<GLsizei>(h), 0, GL_BGRA,
                  GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
    gl.GenFramebuffers(1, &fbo);
    m_shadow.BindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
    gl.FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    m_shadow.BindFramebuffer(GL_DRAW_FRAMEBUFFER, m_backFbo);
    m_shadow.Enable(GL_SCISSOR_TEST, false);
    GLint top = static_cast<GLint>(m_params.backBufferHeight);
    gl.BlitFramebuffer(0, 0, static_cast<GLint>(w), static_cast<GLint>(h), 0, top - static_cast<GLint>(h),
                       static_cast<GLint>(w), top, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    m_shadow.BindFramebuffer(GL_FRAMEBUFFER, m_backFbo);
    gl.DeleteFramebuffers(1, &fbo);
    gl.DeleteTextures(1, &texture);
    m_shadow.TextureDeleted(texture);
    return gl.GetError() == GL_NO_ERROR ? GfxResult::Ok : GfxResult::DriverError;
}

} // namespace platform
