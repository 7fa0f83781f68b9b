// The OpenGL entry points the GL device uses, loaded at run time through SDL (nothing links against libGL).
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

namespace platform
{

// X(return type, name without the gl prefix, parameter list)
#define TW_GL_CORE_FUNCTIONS(X)                                                                                        \
    X(void, Enable, (GLenum))                                                                                          \
    X(void, Disable, (GLenum))                                                                                         \
    X(GLenum, GetError, (void))                                                                                        \
    X(const GLubyte*, GetString, (GLenum))                                                                             \
    X(void, GetIntegerv, (GLenum, GLint*))                                                                             \
    X(void, GetFloatv, (GLenum, GLfloat*))                                                                             \
    X(void, Clear, (GLbitfield))                                                                                       \
    X(void, ClearColor, (GLfloat, GLfloat, GLfloat, GLfloat))                                                          \
    X(void, ClearDepth, (GLdouble))                                                                                    \
    X(void, ClearStencil, (GLint))                                                                                     \
    X(void, Viewport, (GLint, GLint, GLsizei, GLsizei))                                                                \
    X(void, Scissor, (GLint, GLint, GLsizei, GLsizei))                                                                 \
    X(void, DepthRange, (GLdouble, GLdouble))                                                                          \
    X(void, MatrixMode, (GLenum))                                                                                      \
    X(void, LoadMatrixf, (const GLfloat*))                                                                             \
    X(void, MultMatrixf, (const GLfloat*))                                                                             \
    X(void, LoadIdentity, (void))                                                                                      \
    X(void, Lightfv, (GLenum, GLenum, const GLfloat*))                                                                 \
    X(void, Lightf, (GLenum, GLenum, GLfloat))                                                                         \
    X(void, LightModelfv, (GLenum, const GLfloat*))                                                                    \
    X(void, LightModeli, (GLenum, GLint))                                                                              \
    X(void, Materialfv, (GLenum, GLenum, const GLfloat*))                                                              \
    X(void, Materialf, (GLenum, GLenum, GLfloat))                                                                      \
    X(void, ColorMaterial, (GLenum, GLenum))                                                                           \
    X(void, Color4f, (GLfloat, GLfloat, GLfloat, GLfloat))                                                             \
    X(void, Normal3f, (GLfloat, GLfloat, GLfloat))                                                                     \
    X(void, Fogi, (GLenum, GLint))                                                                                     \
    X(void, Fogf, (GLenum, GLfloat))                                                                                   \
    X(void, Fogfv, (GLenum, const GLfloat*))                                                                           \
    X(void, Hint, (GLenum, GLenum))                                                                                    \
    X(void, AlphaFunc, (GLenum, GLclampf))                                                                             \
    X(void, BlendFunc, (GLenum, GLenum))                                                                               \
    X(void, DepthFunc, (GLenum))                                                                                       \
    X(void, DepthMask, (GLboolean))                                                                                    \
    X(void, ColorMask, (GLboolean, GLboolean, GLboolean, GLboolean))                                                   \
    X(void, StencilFunc, (GLenum, GLint, GLuint))                                                                      \
    X(void, StencilOp, (GLenum, GLenum, GLenum))                                                                       \
    X(void, StencilMask, (GLuint))                                                                                     \
    X(void, CullFace, (GLenum))                                                                                        \
    X(void, FrontFace, (GLenum))                                                                                       \
    X(void, PolygonMode, (GLenum, GLenum))                                                                             \
    X(void, PolygonOffset, (GLfloat, GLfloat))                                                                         \
    X(void, ShadeModel, (GLenum))                                                                                      \
    X(void, PointSize, (GLfloat))                                                                                      \
    X(void, TexEnvi, (GLenum, GLenum, GLint))                                                                          \
    X(void, TexEnvf, (GLenum, GLenum, GLfloat))                                                                        \
    X(void, TexEnvfv, (GLenum, GLenum, const GLfloat*))                                                                \
    X(void, TexGeni, (GLenum, GLenum, GLint))                                                                          \
    X(void, TexGenfv, (GLenum, GLenum, const GLfloat*))                                                                \
    X(void, TexParameteri, (GLenum, GLenum, GLint))                                                                    \
    X(void, TexParameterf, (GLenum, GLenum, GLfloat))                                                                  \
    X(void, TexParameterfv, (GLenum, GLenum, const GLfloat*))                                                          \
    X(void, GenTextures, (GLsizei, GLuint*))                                                                           \
    X(void, DeleteTextures, (GLsizei, const GLuint*))                                                                  \
    X(void, BindTexture, (GLenum, GLuint))                                                                             \
    X(void, TexImage2D, (GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*))                  \
    X(void, TexSubImage2D, (GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*))               \
    X(void, PixelStorei, (GLenum, GLint))                                                                              \
    X(void, ReadPixels, (GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*))                                       \
    X(void, EnableClientState, (GLenum))                                                                               \
    X(void, DisableClientState, (GLenum))                                                                              \
    X(void, VertexPointer, (GLint, GLenum, GLsizei, const void*))                                                      \
    X(void, NormalPointer, (GLenum, GLsizei, const void*))                                                             \
    X(void, ColorPointer, (GLint, GLenum, GLsizei, const void*))                                                       \
    X(void, TexCoordPointer, (GLint, GLenum, GLsizei, const void*))                                                    \
    X(void, DrawArrays, (GLenum, GLint, GLsizei))                                                                      \
    X(void, DrawElements, (GLenum, GLsizei, GLenum, const void*))                                                      \
    X(void, Finish, (void))                                                                                            \
    X(void, Flush, (void))                                                                                             \
    X(void, ActiveTexture, (GLenum))                                                                                   \
    X(void, ClientActiveTexture, (GLenum))                                                                             \
    X(void, MultiTexCoord4f, (GLenum, GLfloat, GLfloat, GLfloat, GLfloat))                                             \
    X(void, CompressedTexImage2D, (GLenum, GLint, GLenum, GLsizei, GLsizei, GLint, GLsizei, const void*))              \
    X(void, DrawRangeElements, (GLenum, GLuint, GLuint, GLsizei, GLenum, const void*))                                 \
    X(void, SecondaryColorPointer, (GLint, GLenum, GLsizei, const void*))                                              \
    X(void, FogCoordPointer, (GLenum, GLsizei, const void*))                                                           \
    X(void, BlendEquation, (GLenum))                                                                                   \
    X(void, GenFramebuffers, (GLsizei, GLuint*))                                                                       \
    X(void, DeleteFramebuffers, (GLsizei, const GLuint*))                                                              \
    X(void, BindFramebuffer, (GLenum, GLuint))                                                                         \
    X(void, FramebufferRenderbuffer, (GLenum, GLenum, GLenum, GLuint))                                                 \
    X(void, FramebufferTexture2D, (GLenum, GLenum, GLenum, GLuint, GLint))                                             \
    X(GLenum, CheckFramebufferStatus, (GLenum))                                                                        \
    X(void, GenRenderbuffers, (GLsizei, GLuint*))                                                                      \
    X(void, DeleteRenderbuffers, (GLsizei, const GLuint*))                                                             \
    X(void, BindRenderbuffer, (GLenum, GLuint))                                                                        \
    X(void, RenderbufferStorage, (GLenum, GLenum, GLsizei, GLsizei))                                                   \
    X(void, BlitFramebuffer, (GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLbitfield, GLenum))

// Entry points that may be missing; the device works without them.
#define TW_GL_OPTIONAL_FUNCTIONS(X)                                                                                    \
    X(void, GenSamplers, (GLsizei, GLuint*))                                                                           \
    X(void, DeleteSamplers, (GLsizei, const GLuint*))                                                                  \
    X(void, BindSampler, (GLuint, GLuint))                                                                             \
    X(void, SamplerParameteri, (GLuint, GLenum, GLint))                                                                \
    X(void, SamplerParameterf, (GLuint, GLenum, GLfloat))                                                              \
    X(void, SamplerParameterfv, (GLuint, GLenum, const GLfloat*))                                                      \
    X(void, ProvokingVertex, (GLenum))

struct GLApi
{
#define TW_GL_MEMBER(ret, name, params) ret(APIENTRY* name) params = nullptr;
    TW_GL_CORE_FUNCTIONS(TW_GL_MEMBER)
    TW_GL_OPTIONAL_FUNCTIONS(TW_GL_MEMBER)
#undef TW_GL_MEMBER

    bool loaded = false;
    bool s3tc = false;        // compressed DXT uploads
    bool anisotropic = false; // GL_TEXTURE_MAX_ANISOTROPY
    bool mirrorClamp = false; // GL_MIRROR_CLAMP_TO_EDGE
    bool samplers = false;    // sampler objects
    GLint maxTextureSize = 0;
    GLint maxTextureUnits = 0;
    GLfloat maxAnisotropy = 1.0f;

    // Loads every entry point through the current context; false when a required one is missing.
    bool Load();
};

// The process's table (entry points do not depend on the context with SDL's loaders).
GLApi& Gl();

} // namespace platform
