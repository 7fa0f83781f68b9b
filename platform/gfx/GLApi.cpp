// Loads the OpenGL entry points through SDL and notes which optional features the context has.
#include "platform/gfx/GLApi.h"

#include <SDL.h>

#include <cstring>

namespace platform
{

namespace
{
bool HasExtension(const GLApi& gl, const char* name)
{
    // A 3.0+ compatibility context also answers GL_EXTENSIONS through GetString.
    const char* list = reinterpret_cast<const char*>(gl.GetString(GL_EXTENSIONS));
    if (list)
    {
        size_t length = std::strlen(name);
        for (const char* p = std::strstr(list, name); p; p = std::strstr(p + 1, name))
        {
            if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0'))
                return true;
        }
        return false;
    }
    return SDL_GL_ExtensionSupported(name) == SDL_TRUE;
}
} // namespace

bool GLApi::Load()
{
    bool ok = true;
#define TW_GL_LOAD(ret, name, params)                                                                                  \
    name = reinterpret_cast<ret(APIENTRY*) params>(SDL_GL_GetProcAddress("gl" #name));                                 \
    if (!name)                                                                                                         \
        ok = false;
    TW_GL_CORE_FUNCTIONS(TW_GL_LOAD)
#undef TW_GL_LOAD
#define TW_GL_LOAD_OPTIONAL(ret, name, params)                                                                         \
    name = reinterpret_cast<ret(APIENTRY*) params>(SDL_GL_GetProcAddress("gl" #name));
    TW_GL_OPTIONAL_FUNCTIONS(TW_GL_LOAD_OPTIONAL)
#undef TW_GL_LOAD_OPTIONAL
    if (!ok)
        return false;

    s3tc = HasExtension(*this, "GL_EXT_texture_compression_s3tc");
    anisotropic = HasExtension(*this, "GL_EXT_texture_filter_anisotropic") ||
                  HasExtension(*this, "GL_ARB_texture_filter_anisotropic");
    mirrorClamp = HasExtension(*this, "GL_ARB_texture_mirror_clamp_to_edge") ||
                  HasExtension(*this, "GL_EXT_texture_mirror_clamp") ||
                  HasExtension(*this, "GL_ATI_texture_mirror_once");
    samplers = GenSamplers && DeleteSamplers && BindSampler && SamplerParameteri && SamplerParameterf &&
               SamplerParameterfv && HasExtension(*this, "GL_ARB_sampler_objects");
    GetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    GetIntegerv(GL_MAX_TEXTURE_UNITS, &maxTextureUnits);
    if (anisotropic)
        GetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY, &maxAnisotropy);
    while (GetError() != GL_NO_ERROR)
    {
    }
    loaded = true;
    return true;
}

GLApi& Gl()
{
    static GLApi api;
    return api;
}

} // namespace platform
