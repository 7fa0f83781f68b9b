// What the GL device last sent to GL, so that a draw sends only the state that changed. Every value starts unknown
// (sent at its first use); whatever changes GL state without going through the shadow must make it forget.
#pragma once

#include "platform/gfx/Device.h"
#include "platform/gfx/GLApi.h"

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace platform
{

class GLStateShadow
{
public:
    // Everything unknown: the next use of each value sends it.
    void Forget();
    // Counts what was sent or forgotten, arrays and current values left out: unchanged between two draws, GL's
    // state is what the first draw left.
    uint64_t StateSent() const { return m_uStateSent; }

    // Capabilities of the context (depth, stencil, alpha and scissor tests, blending, culling, polygon offset, fog,
    // lighting, lights, colour material, colour sum, normalising).
    void Enable(GLenum cap, bool on);
    // Capabilities of a texture unit: GL_TEXTURE_2D and GL_TEXTURE_GEN_S/T/R.
    void EnableOnUnit(uint32_t unit, GLenum cap, bool on);

    void ActiveUnit(uint32_t unit);
    // Binds the texture on the unit; the active unit changes only when the binding does (edits of the bound
    // texture must make its unit active themselves).
    void BindTexture(uint32_t unit, GLuint name);
    // The texture was deleted: units that had it bound hold texture 0 now.
    void TextureDeleted(GLuint name);
    // GL_FRAMEBUFFER binds both the read and the draw framebuffer.
    void BindFramebuffer(GLenum target, GLuint framebuffer);

    void DepthFunc(GLenum func);
    void DepthMask(bool write);
    void PolygonOffset(float units);
    void StencilFunc(GLenum func, GLint ref, GLuint mask);
    void StencilOp(GLenum fail, GLenum depthFail, GLenum pass);
    void StencilMask(GLuint mask);
    void AlphaFunc(GLenum func, float ref);
    void BlendFunc(GLenum source, GLenum destination);
    void BlendEquation(GLenum equation);
    void ColourMask(bool red, bool green, bool blue, bool alpha);
    void CullFace(GLenum face);
    void PolygonMode(GLenum mode);
    void ShadeModel(GLenum mode);
    void PointSize(float size);
    void Viewport(GLint x, GLint y, GLsizei width, GLsizei height);
    void DepthRange(float nearZ, float farZ);

    // Fog: GL_FOG_COORD_SRC and GL_FOG_MODE (integers), GL_FOG_START, GL_FOG_END and GL_FOG_DENSITY (floats).
    void Fogi(GLenum name, GLint value);
    void Fogf(GLenum name, float value);
    void FogColour(const std::array<float, 4>& colour);
    // Light model: GL_LIGHT_MODEL_LOCAL_VIEWER and GL_LIGHT_MODEL_COLOR_CONTROL, and the global ambient colour.
    void LightModeli(GLenum name, GLint value);
    void LightModelAmbient(const std::array<float, 4>& colour);

    // Loads a matrix into GL_PROJECTION, GL_MODELVIEW or the texture matrix of a unit (mode GL_TEXTURE).
    void LoadMatrix(GLenum mode, const Matrix& matrix, uint32_t unit = 0);

    // Texture environment of a unit: the combiner's integer parameters, its two scales and its constant colour.
    void TexEnvi(uint32_t unit, GLenum name, GLint value);
    void TexEnvf(uint32_t unit, GLenum name, float value);
    void TexEnvColour(uint32_t unit, const std::array<float, 4>& colour);
    void TexGenMode(uint32_t unit, GLenum coord, GLint mode);

    // Client arrays: GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_SECONDARY_COLOR_ARRAY, GL_FOG_COORD_ARRAY, and the texture
    // coordinate array of a unit. A draw with an array on leaves the matching current value undefined.
    void ClientArray(GLenum array, bool on);
    void TexCoordArray(uint32_t unit, bool on);
    void VertexPointer(GLint size, GLsizei stride, const void* pointer);
    void NormalPointer(GLsizei stride, const void* pointer);
    void ColourPointer(GLsizei stride, const void* pointer);
    void SecondaryColourPointer(GLsizei stride, const void* pointer);
    void FogCoordPointer(const void* pointer);
    void TexCoordPointer(uint32_t unit, GLsizei stride, const void* pointer);
    // Current values, used where the matching array is off.
    void Colour(const std::array<float, 4>& colour);
    void Normal(const std::array<float, 3>& normal);
    void TexCoord(uint32_t unit, const std::array<float, 4>& coord);

private:
    struct Pointer
    {
        GLint size = 0;
        GLsizei stride = 0;
        const void* data = nullptr;
        bool operator==(const Pointer&) const = default;
    };
    static constexpr uint32_t kCapCount = 20;
    static constexpr uint32_t kEnvCount = 17;
    template <class T> bool Changed(std::optional<T>& known, const T& value);
    static int CapIndex(GLenum cap);
    static int EnvIndex(GLenum name);
    void ClientUnit(uint32_t unit);

    struct Unit
    {
        std::optional<GLuint> texture;
        std::optional<bool> texture2D, genS, genT, genR;
        std::optional<GLint> genMode[3];
        std::optional<float> env[kEnvCount]; // integers are exact in a float
        std::optional<std::array<float, 4>> envColour;
        std::optional<std::array<float, 16>> matrix;
        std::optional<bool> coordArray;
        std::optional<Pointer> coordPointer;
        std::optional<std::array<float, 4>> coord;
    };
    struct Known
    {
        std::optional<bool> caps[kCapCount];
        std::optional<uint32_t> activeUnit, clientUnit;
        std::optional<GLuint> readFramebuffer, drawFramebuffer;
        std::optional<GLenum> depthFunc, blendEquation, cullFace, polygonMode, shadeModel, matrixMode;
        std::optional<bool> depthMask;
        std::optional<float> polygonOffset, pointSize;
        std::optional<std::array<GLuint, 3>> stencilFunc, stencilOp;
        std::optional<GLuint> stencilMask;
        std::optional<std::pair<GLenum, float>> alphaFunc;
        std::optional<std::pair<GLenum, GLenum>> blendFunc;
        std::optional<uint32_t> colourMask;
        std::optional<std::array<GLint, 4>> viewport;
        std::optional<std::pair<float, float>> depthRange;
        std::optional<GLint> fogCoordSource, fogMode, localViewer, colourControl;
        std::optional<float> fogStart, fogEnd, fogDensity;
        std::optional<std::array<float, 4>> fogColour, ambient;
        std::optional<std::array<float, 16>> projection, modelView;
        std::optional<bool> normalArray, colourArray, secondaryArray, fogArray;
        std::optional<Pointer> vertexPointer, normalPointer, colourPointer, secondaryPointer, fogPointer;
        std::optional<std::array<float, 4>> colour;
        std::optional<std::array<float, 3>> normal;
        Unit units[kMaxTextureStages];
    };
    Known m_known;
    uint64_t m_uStateSent = 0;
};

} // namespace platform
