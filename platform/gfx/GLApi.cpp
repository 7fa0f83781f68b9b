// Loads the OpenGL entry points through SDL and notes which optional features the context has.
#include "platform/gfx/GLApi.h"
#include "platform/gfx/GLCallCount.h"

#include <SDL.h>

#include <cstring>
#include <map>

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

// ---------------------------------------------------------------- counting calls

namespace
{

GLApi g_countedApi;                       // the real entry points while a count lives
std::map<std::string, uint64_t> g_counts; // calls by entry point
bool g_counting = false;

// A stand-in for one entry point: counts the call and passes it on.
template <auto kMember, class F> struct CountingCall;
template <auto kMember, class R, class... Args> struct CountingCall<kMember, R(APIENTRY*)(Args...)>
{
    static inline uint64_t* count = nullptr;
    static R APIENTRY Call(Args... args)
    {
        ++*count;
        return (g_countedApi.*kMember)(args...);
    }
};

} // namespace

GLCallCount::GLCallCount()
{
    if (g_counting)
        return;
    g_counting = m_bCounting = true;
    g_counts.clear();
    GLApi& api = Gl();
    g_countedApi = api;
#define TW_GL_COUNT(ret, name, params)                                                                                 \
    if (api.name)                                                                                                      \
    {                                                                                                                  \
        using Entry = CountingCall<&GLApi::name, decltype(api.name)>;                                                  \
        Entry::count = &g_counts[#name];                                                                               \
        api.name = &Entry::Call;                                                                                       \
    }
    TW_GL_CORE_FUNCTIONS(TW_GL_COUNT)
    TW_GL_OPTIONAL_FUNCTIONS(TW_GL_COUNT)
#undef TW_GL_COUNT
}

GLCallCount::~GLCallCount()
{
    if (!m_bCounting)
        return;
    // Entry points loaded while counting (a new device) are the real ones already.
    GLApi& api = Gl();
#define TW_GL_RESTORE(ret, name, params)                                                                               \
    if (api.name == &CountingCall<&GLApi::name, decltype(api.name)>::Call)                                             \
        api.name = g_countedApi.name;
    TW_GL_CORE_FUNCTIONS(TW_GL_RESTORE)
    TW_GL_OPTIONAL_FUNCTIONS(TW_GL_RESTORE)
#undef TW_GL_RESTORE
    g_counting = false;
}

uint64_t GLCallCount::Total() const
{
    uint64_t total = 0;
    for (const auto& entry : g_counts)
        total += entry.second;
    return total;
}

uint64_t GLCallCount::Of(const std::string& name) const
{
    auto found = g_counts.find(name);
    return found == g_counts.end() ? 0 : found->second;
}

void GLCallCount::Reset()
{
    for (auto& entry : g_counts)
        entry.second = 0;
}

} // namespace platform
