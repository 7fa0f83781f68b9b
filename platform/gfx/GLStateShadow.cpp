// The GL device's shadow of GL state: each setter compares with what GL was last given and sends only a change.
#include "platform/gfx/GLStateShadow.h"

#include <cstring>

namespace platform
{

namespace
{

// True (and the value noted) when GL must be given the value: for the arrays and current values a draw sets.
template <class T> bool Differs(std::optional<T>& known, const T& value)
{
    if (known && *known == value)
        return false;
    known = value;
    return true;
}

std::array<float, 16> MatrixValues(const Matrix& matrix)
{
    std::array<float, 16> values;
    std::memcpy(values.data(), matrix.Data(), sizeof(values));
    return values;
}

} // namespace

template <class T> bool GLStateShadow::Changed(std::optional<T>& known, const T& value)
{
    if (!Differs(known, value))
        return false;
    ++m_uStateSent;
    return true;
}

void GLStateShadow::Forget()
{
    m_known = Known{};
    ++m_uStateSent;
}

int GLStateShadow::CapIndex(GLenum cap)
{
    static const GLenum kCaps[] = {GL_DEPTH_TEST,     GL_POLYGON_OFFSET_FILL, GL_STENCIL_TEST, GL_ALPHA_TEST,
                                   GL_BLEND,          GL_CULL_FACE,           GL_FOG,          GL_LIGHTING,
                                   GL_COLOR_MATERIAL, GL_COLOR_SUM,           GL_NORMALIZE,    GL_SCISSOR_TEST};
    static_assert(std::size(kCaps) + 8 == kCapCount, "every capability and light has a place");
    if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + 8)
        return static_cast<int>(std::size(kCaps) + (cap - GL_LIGHT0));
    for (size_t i = 0; i < std::size(kCaps); ++i)
    {
        if (kCaps[i] == cap)
            return static_cast<int>(i);
    }
    return -1;
}

void GLStateShadow::Enable(GLenum cap, bool on)
{
    int index = CapIndex(cap);
    if (index < 0)
        ++m_uStateSent; // not kept: always sent
    else if (!Changed(m_known.caps[index], on))
        return;
    on ? Gl().Enable(cap) : Gl().Disable(cap);
}

void GLStateShadow::EnableOnUnit(uint32_t unit, GLenum cap, bool on)
{
    Unit& u = m_known.units[unit];
    std::optional<bool>& known = cap == GL_TEXTURE_2D      ? u.texture2D
                                 : cap == GL_TEXTURE_GEN_S ? u.genS
                                 : cap == GL_TEXTURE_GEN_T ? u.genT
                                                           : u.genR;
    if (!Changed(known, on))
        return;
    ActiveUnit(unit);
    on ? Gl().Enable(cap) : Gl().Disable(cap);
}

void GLStateShadow::ActiveUnit(uint32_t unit)
{
    if (Changed(m_known.activeUnit, unit))
        Gl().ActiveTexture(GL_TEXTURE0 + unit);
}

void GLStateShadow::ClientUnit(uint32_t unit)
{
    if (Differs(m_known.clientUnit, unit))
        Gl().ClientActiveTexture(GL_TEXTURE0 + unit);
}

void GLStateShadow::BindTexture(uint32_t unit, GLuint name)
{
    if (!Changed(m_known.units[unit].texture, name))
        return;
    ActiveUnit(unit);
    Gl().BindTexture(GL_TEXTURE_2D, name);
}

void GLStateShadow::TextureDeleted(GLuint name)
{
    for (Unit& unit : m_known.units)
    {
        if (unit.texture == name)
            unit.texture = 0u;
    }
}

void GLStateShadow::BindFramebuffer(GLenum target, GLuint framebuffer)
{
    bool read = target != GL_DRAW_FRAMEBUFFER, draw = target != GL_READ_FRAMEBUFFER;
    bool readChanged = read && m_known.readFramebuffer != framebuffer;
    bool drawChanged = draw && m_known.drawFramebuffer != framebuffer;
    if (!readChanged && !drawChanged)
        return;
    ++m_uStateSent;
    if (read)
        m_known.readFramebuffer = framebuffer;
    if (draw)
        m_known.drawFramebuffer = framebuffer;
    Gl().BindFramebuffer(target, framebuffer);
}

void GLStateShadow::DepthFunc(GLenum func)
{
    if (Changed(m_known.depthFunc, func))
        Gl().DepthFunc(func);
}

void GLStateShadow::DepthMask(bool write)
{
    if (Changed(m_known.depthMask, write))
        Gl().DepthMask(write ? GL_TRUE : GL_FALSE);
}

void GLStateShadow::PolygonOffset(float units)
{
    if (Changed(m_known.polygonOffset, units))
        Gl().PolygonOffset(0.0f, units);
}

void GLStateShadow::StencilFunc(GLenum func, GLint ref, GLuint mask)
{
    if (Changed(m_known.stencilFunc, {func, static_cast<GLuint>(ref), mask}))
        Gl().StencilFunc(func, ref, mask);
}

void GLStateShadow::StencilOp(GLenum fail, GLenum depthFail, GLenum pass)
{
    if (Changed(m_known.stencilOp, {fail, depthFail, pass}))
        Gl().StencilOp(fail, depthFail, pass);
}

void GLStateShadow::StencilMask(GLuint mask)
{
    if (Changed(m_known.stencilMask, mask))
        Gl().StencilMask(mask);
}

void GLStateShadow::AlphaFunc(GLenum func, float ref)
{
    if (Changed(m_known.alphaFunc, {func, ref}))
        Gl().AlphaFunc(func, ref);
}

void GLStateShadow::BlendFunc(GLenum source, GLenum destination)
{
    if (Changed(m_known.blendFunc, {source, destination}))
        Gl().BlendFunc(source, destination);
}

void GLStateShadow::BlendEquation(GLenum equation)
{
    if (Changed(m_known.blendEquation, equation))
        Gl().BlendEquation(equation);
}

void GLStateShadow::ColourMask(bool red, bool green, bool blue, bool alpha)
{
    uint32_t mask = (red ? 1u : 0u) | (green ? 2u : 0u) | (blue ? 4u : 0u) | (alpha ? 8u : 0u);
    if (Changed(m_known.colourMask, mask))
        Gl().ColorMask(red, green, blue, alpha);
}

void GLStateShadow::CullFace(GLenum face)
{
    if (Changed(m_known.cullFace, face))
        Gl().CullFace(face);
}

void GLStateShadow::PolygonMode(GLenum mode)
{
    if (Changed(m_known.polygonMode, mode))
        Gl().PolygonMode(GL_FRONT_AND_BACK, mode);
}

void GLStateShadow::ShadeModel(GLenum mode)
{
    if (Changed(m_known.shadeModel, mode))
        Gl().ShadeModel(mode);
}

void GLStateShadow::PointSize(float size)
{
    if (Changed(m_known.pointSize, size))
        Gl().PointSize(size);
}

void GLStateShadow::Viewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    if (Changed(m_known.viewport, {x, y, width, height}))
        Gl().Viewport(x, y, width, height);
}

void GLStateShadow::DepthRange(float nearZ, float farZ)
{
    if (Changed(m_known.depthRange, {nearZ, farZ}))
        Gl().DepthRange(nearZ, farZ);
}

void GLStateShadow::Fogi(GLenum name, GLint value)
{
    std::optional<GLint>& known = name == GL_FOG_MODE ? m_known.fogMode : m_known.fogCoordSource;
    if (Changed(known, value))
        Gl().Fogi(name, value);
}

void GLStateShadow::Fogf(GLenum name, float value)
{
    std::optional<float>& known = name == GL_FOG_START ? m_known.fogStart
                                  : name == GL_FOG_END ? m_known.fogEnd
                                                       : m_known.fogDensity;
    if (Changed(known, value))
        Gl().Fogf(name, value);
}

void GLStateShadow::FogColour(const std::array<float, 4>& colour)
{
    if (Changed(m_known.fogColour, colour))
        Gl().Fogfv(GL_FOG_COLOR, colour.data());
}

void GLStateShadow::LightModeli(GLenum name, GLint value)
{
    std::optional<GLint>& known = name == GL_LIGHT_MODEL_LOCAL_VIEWER ? m_known.localViewer : m_known.colourControl;
    if (Changed(known, value))
        Gl().LightModeli(name, value);
}

void GLStateShadow::LightModelAmbient(const std::array<float, 4>& colour)
{
    if (Changed(m_known.ambient, colour))
        Gl().LightModelfv(GL_LIGHT_MODEL_AMBIENT, colour.data());
}

void GLStateShadow::LoadMatrix(GLenum mode, const Matrix& matrix, uint32_t unit)
{
    std::optional<std::array<float, 16>>& known = mode == GL_PROJECTION  ? m_known.projection
                                                  : mode == GL_MODELVIEW ? m_known.modelView
                                                                         : m_known.units[unit].matrix;
    if (!Changed(known, MatrixValues(matrix)))
        return;
    if (mode == GL_TEXTURE)
        ActiveUnit(unit);
    if (Changed(m_known.matrixMode, mode))
        Gl().MatrixMode(mode);
    Gl().LoadMatrixf(matrix.Data());
}

int GLStateShadow::EnvIndex(GLenum name)
{
    static const GLenum kNames[kEnvCount] = {
        GL_COMBINE_RGB,    GL_COMBINE_ALPHA,  GL_SRC0_RGB,     GL_SRC1_RGB,     GL_SRC2_RGB,        GL_SRC0_ALPHA,
        GL_SRC1_ALPHA,     GL_SRC2_ALPHA,     GL_OPERAND0_RGB, GL_OPERAND1_RGB, GL_OPERAND2_RGB,    GL_OPERAND0_ALPHA,
        GL_OPERAND1_ALPHA, GL_OPERAND2_ALPHA, GL_RGB_SCALE,    GL_ALPHA_SCALE,  GL_TEXTURE_ENV_MODE};
    for (uint32_t i = 0; i < kEnvCount; ++i)
    {
        if (kNames[i] == name)
            return static_cast<int>(i);
    }
    return -1;
}

void GLStateShadow::TexEnvi(uint32_t unit, GLenum name, GLint value)
{
    int index = EnvIndex(name);
    if (index < 0)
        ++m_uStateSent;
    else if (!Changed(m_known.units[unit].env[index], static_cast<float>(value)))
        return;
    ActiveUnit(unit);
    Gl().TexEnvi(GL_TEXTURE_ENV, name, value);
}

void GLStateShadow::TexEnvf(uint32_t unit, GLenum name, float value)
{
    int index = EnvIndex(name);
    if (index < 0)
        ++m_uStateSent;
    else if (!Changed(m_known.units[unit].env[index], value))
        return;
    ActiveUnit(unit);
    Gl().TexEnvf(GL_TEXTURE_ENV, name, value);
}

void GLStateShadow::TexEnvColour(uint32_t unit, const std::array<float, 4>& colour)
{
    if (!Changed(m_known.units[unit].envColour, colour))
        return;
    ActiveUnit(unit);
    Gl().TexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, colour.data());
}

void GLStateShadow::TexGenMode(uint32_t unit, GLenum coord, GLint mode)
{
    int index = coord == GL_S ? 0 : coord == GL_T ? 1 : 2;
    if (!Changed(m_known.units[unit].genMode[index], mode))
        return;
    ActiveUnit(unit);
    Gl().TexGeni(coord, GL_TEXTURE_GEN_MODE, mode);
}

void GLStateShadow::ClientArray(GLenum array, bool on)
{
    std::optional<bool>& known = array == GL_NORMAL_ARRAY      ? m_known.normalArray
                                 : array == GL_COLOR_ARRAY     ? m_known.colourArray
                                 : array == GL_FOG_COORD_ARRAY ? m_known.fogArray
                                                               : m_known.secondaryArray;
    if (on && array == GL_COLOR_ARRAY)
        m_known.colour.reset();
    if (on && array == GL_NORMAL_ARRAY)
        m_known.normal.reset();
    if (!Differs(known, on))
        return;
    on ? Gl().EnableClientState(array) : Gl().DisableClientState(array);
}

void GLStateShadow::TexCoordArray(uint32_t unit, bool on)
{
    Unit& u = m_known.units[unit];
    if (on)
        u.coord.reset();
    if (!Differs(u.coordArray, on))
        return;
    ClientUnit(unit);
    on ? Gl().EnableClientState(GL_TEXTURE_COORD_ARRAY) : Gl().DisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void GLStateShadow::VertexPointer(GLint size, GLsizei stride, const void* pointer)
{
    if (Differs(m_known.vertexPointer, {size, stride, pointer}))
        Gl().VertexPointer(size, GL_FLOAT, stride, pointer);
}

void GLStateShadow::NormalPointer(GLsizei stride, const void* pointer)
{
    if (Differs(m_known.normalPointer, {3, stride, pointer}))
        Gl().NormalPointer(GL_FLOAT, stride, pointer);
}

void GLStateShadow::ColourPointer(GLsizei stride, const void* pointer)
{
    if (Differs(m_known.colourPointer, {GL_BGRA, stride, pointer}))
        Gl().ColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, pointer);
}

void GLStateShadow::SecondaryColourPointer(GLsizei stride, const void* pointer)
{
    if (Differs(m_known.secondaryPointer, {GL_BGRA, stride, pointer}))
        Gl().SecondaryColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, pointer);
}

void GLStateShadow::FogCoordPointer(const void* pointer)
{
    if (Differs(m_known.fogPointer, {1, 0, pointer}))
        Gl().FogCoordPointer(GL_FLOAT, 0, pointer);
}

void GLStateShadow::TexCoordPointer(uint32_t unit, GLsizei stride, const void* pointer)
{
    if (!Differs(m_known.units[unit].coordPointer, {2, stride, pointer}))
        return;
    ClientUnit(unit);
    Gl().TexCoordPointer(2, GL_FLOAT, stride, pointer);
}

void GLStateShadow::Colour(const std::array<float, 4>& colour)
{
    if (Differs(m_known.colour, colour))
        Gl().Color4f(colour[0], colour[1], colour[2], colour[3]);
}

void GLStateShadow::Normal(const std::array<float, 3>& normal)
{
    if (Differs(m_known.normal, normal))
        Gl().Normal3f(normal[0], normal[1], normal[2]);
}

void GLStateShadow::TexCoord(uint32_t unit, const std::array<float, 4>& coord)
{
    if (Differs(m_known.units[unit].coord, coord))
        Gl().MultiTexCoord4f(GL_TEXTURE0 + unit, coord[0], coord[1], coord[2], coord[3]);
}

} // namespace platform
