// The OpenGL back end of the drawing device: a 2.1 compatibility context through SDL, rendering into an
// off-screen framebuffer at the game's resolution that Present scales to the window; the fixed-function state
// of the device maps onto GL's fixed-function pipeline (texture combiners, fog, lighting, texgen). This file
// holds the device's life: making it, its fixed GL setup, reset, status and the bindings it keeps.
#include "platform/gfx/GLDevice.h"

#include <algorithm>

namespace platform
{

// ---------------------------------------------------------------- device life

GLDevice::GLDevice(uint32_t adapter, SDL_Window* window, bool ownWindow, SDL_GLContext context,
                   const PresentParams& params)
    : DeviceBase(adapter, params), m_pWindow(window), m_bOwnWindow(ownWindow), m_context(context)
{
}

GLDevice::~GLDevice()
{
    MakeCurrent();
    for (GLResource* resource : m_resources)
    {
        resource->ReleaseGL();
        resource->device = nullptr;
    }
    m_resources.clear();
    if (Gl().loaded)
    {
        DeleteFramebuffers();
        if (m_whiteTexture)
            Gl().DeleteTextures(1, &m_whiteTexture);
        if (Gl().samplers)
            Gl().DeleteSamplers(static_cast<GLsizei>(kMaxTextureStages), m_aSamplers);
    }
    SDL_GL_MakeCurrent(m_pWindow, nullptr);
    SDL_GL_DeleteContext(m_context);
    if (m_bOwnWindow)
        SDL_DestroyWindow(m_pWindow);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void GLDevice::MakeCurrent()
{
    if (SDL_GL_GetCurrentContext() != m_context)
        SDL_GL_MakeCurrent(m_pWindow, m_context);
}

bool GLDevice::Init()
{
    GLApi& gl = Gl();
    m_uUnits = static_cast<uint32_t>(std::clamp<GLint>(gl.maxTextureUnits, 1, static_cast<GLint>(kMaxTextureStages)));

    m_caps = DeviceCaps{};
    m_caps.deviceType = DeviceType::Hal;
    m_caps.adapterOrdinal = m_uAdapter;
    m_caps.canRenderWindowed = true;
    m_caps.hwTransformAndLight = true;
    m_caps.pureDevice = true;
    m_caps.textureNonLocalVidMem = true;
    m_caps.rasterAnisotropy = gl.anisotropic;
    m_caps.rasterMipMapLodBias = true;
    m_caps.filterMipLinear = true;
    m_caps.stencil = true;
    uint32_t maxSize = static_cast<uint32_t>(std::clamp<GLint>(gl.maxTextureSize, 256, 4096));
    m_caps.maxTextureWidth = maxSize;
    m_caps.maxTextureHeight = maxSize;
    m_caps.maxAnisotropy = static_cast<uint32_t>(std::max(1.0f, gl.maxAnisotropy));
    m_caps.maxTextureBlendStages = m_uUnits;
    m_caps.maxSimultaneousTextures = m_uUnits;
    for (uint32_t op :
         {TextureOp::Disable, TextureOp::SelectArg1, TextureOp::SelectArg2, TextureOp::Modulate, TextureOp::Modulate2x,
          TextureOp::Modulate4x, TextureOp::Add, TextureOp::AddSigned, TextureOp::AddSigned2x, TextureOp::Subtract,
          TextureOp::BlendDiffuseAlpha, TextureOp::BlendTextureAlpha, TextureOp::BlendFactorAlpha,
          TextureOp::BlendCurrentAlpha, TextureOp::DotProduct3, TextureOp::Lerp})
        m_caps.textureOpCaps |= 1u << (op - 1);

    if (!MakeFramebuffers())
        return false;
    InitGLState();
    ResetStates();
    // The first frame starts black, as a fresh swap chain does.
    Gl().ClearColor(0, 0, 0, 0);
    for (GLuint fbo : {m_frontFbo, m_backFbo})
    {
        m_shadow.BindFramebuffer(GL_FRAMEBUFFER, fbo);
        Gl().Clear(GL_COLOR_BUFFER_BIT);
    }
    return Gl().GetError() == GL_NO_ERROR;
}

void GLDevice::InitGLState()
{
    GLApi& gl = Gl();
    gl.Disable(GL_DITHER);
    gl.FrontFace(GL_CW); // front faces turn clockwise on the screen, as the device's do
    gl.Hint(GL_FOG_HINT, GL_NICEST);
    gl.Hint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl.PixelStorei(GL_PACK_ALIGNMENT, 4);
    if (gl.ProvokingVertex)
        gl.ProvokingVertex(GL_FIRST_VERTEX_CONVENTION); // flat shading takes the first vertex's colour
    gl.LightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
    gl.EnableClientState(GL_VERTEX_ARRAY);

    // A white texture stands in on stages that have none, so that their operations still run. It and the
    // sampler objects outlive a reset.
    if (!m_whiteTexture)
    {
        gl.GenTextures(1, &m_whiteTexture);
        gl.ActiveTexture(GL_TEXTURE0);
        gl.BindTexture(GL_TEXTURE_2D, m_whiteTexture);
        const uint32_t white = 0xFFFFFFFFu;
        gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &white);
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    }
    if (gl.samplers && !m_aSamplers[0])
        gl.GenSamplers(static_cast<GLsizei>(kMaxTextureStages), m_aSamplers);

    // Eye planes for camera-space positions, given with an identity modelview so they stay as they are.
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    static const GLfloat planes[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
    for (uint32_t unit = 0; unit < m_uUnits; ++unit)
    {
        gl.ActiveTexture(GL_TEXTURE0 + unit);
        gl.TexGenfv(GL_S, GL_EYE_PLANE, planes[0]);
        gl.TexGenfv(GL_T, GL_EYE_PLANE, planes[1]);
        gl.TexGenfv(GL_R, GL_EYE_PLANE, planes[2]);
        gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        // Each unit keeps its own sampler object; with them switched off the textures' own parameters count.
        if (m_aSamplers[0])
            gl.BindSampler(unit, gl.samplers ? m_aSamplers[unit] : 0);
    }
    // From here on state goes through the shadow, which knows nothing yet.
    m_shadow.Forget();
    for (uint32_t unit = 0; unit < kMaxTextureStages; ++unit)
    {
        m_apSamplerTexture[unit] = nullptr;
        m_aSamplerKeys[unit].reset();
    }
    m_whiteSampling.reset();
}

void GLDevice::ResetStates()
{
    ResetFixedStates();
    for (uint32_t s = 0; s < kMaxTextureStages; ++s)
    {
        m_apTextures[s] = nullptr;
        m_abCombinerDirty[s] = true;
        m_abCoordsDirty[s] = true;
        m_abSamplerDirty[s] = true;
    }
    m_pStream = nullptr;
    m_uStride = 0;
    m_pIndices = nullptr;
    m_uBaseVertex = 0;
    m_bMatricesDirty = m_bLightsDirty = m_bMaterialDirty = true;
    m_iLastPretransformed = -1;
    m_uTrackedMaterial = 0;
    m_bStatesChanged = true;
}

void GLDevice::Forget(GLResource* resource)
{
    m_resources.erase(std::remove(m_resources.begin(), m_resources.end(), resource), m_resources.end());
    m_bStatesChanged = true; // a texture it had may be gone from the stages
    for (GLTexture*& t : m_apTextures)
    {
        if (t == resource)
            t = nullptr;
    }
    for (GLTexture*& t : m_apSamplerTexture)
    {
        if (t == resource)
            t = nullptr;
    }
    if (m_pStream == resource)
        m_pStream = nullptr;
    if (m_pIndices == resource)
        m_pIndices = nullptr;
    resource->device = nullptr;
}

// ---------------------------------------------------------------- status and resources

GfxResult GLDevice::TestCooperativeLevel()
{
    // A GL context is not taken away by mode switches: the device is never lost.
    return GfxResult::Ok;
}

GfxResult GLDevice::Reset(const PresentParams& params)
{
    MakeCurrent();
    for (const GLResource* r : m_resources)
    {
        if (r->pool == Pool::Default)
            return GfxResult::InvalidCall;
    }
    PresentParams next = params;
    if (next.backBufferFormat == PixelFormat::Unknown)
        next.backBufferFormat = PixelFormat::X8R8G8B8;
    if (next.backBufferWidth == 0 || next.backBufferHeight == 0)
        return GfxResult::InvalidCall;
    next.deviceWindow = m_params.deviceWindow;
    PresentParams old = m_params;
    DeleteFramebuffers();
    m_params = next;
    if (!MakeFramebuffers())
    {
        DeleteFramebuffers();
        m_params = old;
        MakeFramebuffers();
        return GfxResult::NotAvailable;
    }
    InitGLState();
    ResetStates();
    return GfxResult::Ok;
}

GfxResult GLDevice::GetDisplayMode(DisplayMode* mode) const
{
    if (!mode)
        return GfxResult::InvalidCall;
    if (!m_params.windowed)
    {
        *mode = {m_params.backBufferWidth, m_params.backBufferHeight, m_params.fullScreenRefreshRate,
                 m_params.backBufferFormat};
        return GfxResult::Ok;
    }
    SDL_DisplayMode desktop;
    int display = std::max(0, SDL_GetWindowDisplayIndex(m_pWindow));
    if (SDL_GetDesktopDisplayMode(display, &desktop) != 0)
        return GfxResult::NotAvailable;
    *mode = {static_cast<uint32_t>(desktop.w), static_cast<uint32_t>(desktop.h),
             static_cast<uint32_t>(desktop.refresh_rate), PixelFormat::X8R8G8B8};
    return GfxResult::Ok;
}

uint32_t GLDevice::GetAvailableTextureMem() const
{
    return static_cast<uint32_t>(kDefaultPoolBudget - std::min(kDefaultPoolBudget, m_uVideoUsed));
}

GfxResult GLDevice::ValidateDevice(uint32_t* passes)
{
    if (passes)
        *passes = 1;
    // Every operation the combiners cannot do exactly is still drawn approximately; one pass always.
    for (uint32_t s = 0; s < kMaxTextureStages; ++s)
    {
        uint32_t op = Tss(s, TextureStageState::ColourOp);
        if (op == TextureOp::Disable)
            break;
        if (s >= m_uUnits)
            return GfxResult::NotAvailable; // more stages than texture units
    }
    return GfxResult::Ok;
}

} // namespace platform
