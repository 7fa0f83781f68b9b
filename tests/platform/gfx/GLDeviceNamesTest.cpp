// Tests that the OpenGL device gives back every framebuffer, renderbuffer and texture name it asks GL for: the
// names are followed from their making to their deleting through the entry-point table.
#include "platform/gfx/GLApi.h"
#include "tests/platform/gfx/GLDeviceTestSupport.h"

#include <functional>
#include <set>
#include <string>

namespace
{

using namespace gltest;

enum NameKind
{
    kFramebuffer,
    kRenderbuffer,
    kTexture,
    kNameKinds
};

const char* const kKindNames[kNameKinds] = {"framebuffer", "renderbuffer", "texture"};

// While one lives, the names GL hands out through the three Gen entry points are kept as live until a Delete
// entry point names them; the real entry points do the work. Make it after the device (making a device loads the
// entry points anew).
class NameLedger
{
public:
    NameLedger()
    {
        GLApi& gl = Gl();
        s_real = gl;
        for (std::set<GLuint>& names : s_live)
            names.clear();
        gl.GenFramebuffers = &Gen<kFramebuffer>;
        gl.DeleteFramebuffers = &Delete<kFramebuffer>;
        gl.GenRenderbuffers = &Gen<kRenderbuffer>;
        gl.DeleteRenderbuffers = &Delete<kRenderbuffer>;
        gl.GenTextures = &Gen<kTexture>;
        gl.DeleteTextures = &Delete<kTexture>;
    }
    ~NameLedger()
    {
        GLApi& gl = Gl();
        gl.GenFramebuffers = s_real.GenFramebuffers;
        gl.DeleteFramebuffers = s_real.DeleteFramebuffers;
        gl.GenRenderbuffers = s_real.GenRenderbuffers;
        gl.DeleteRenderbuffers = s_real.DeleteRenderbuffers;
        gl.GenTextures = s_real.GenTextures;
        gl.DeleteTextures = s_real.DeleteTextures;
    }
    NameLedger(const NameLedger&) = delete;
    NameLedger& operator=(const NameLedger&) = delete;

    // Names of the kind made since the ledger began and not deleted yet.
    size_t Live(NameKind kind) const { return s_live[kind].size(); }

private:
    template <NameKind K> static void APIENTRY Gen(GLsizei n, GLuint* names)
    {
        auto real = K == kFramebuffer    ? s_real.GenFramebuffers
                    : K == kRenderbuffer ? s_real.GenRenderbuffers
                                         : s_real.GenTextures;
        real(n, names);
        for (GLsizei i = 0; i < n; ++i)
            s_live[K].insert(names[i]);
    }
    template <NameKind K> static void APIENTRY Delete(GLsizei n, const GLuint* names)
    {
        auto real = K == kFramebuffer    ? s_real.DeleteFramebuffers
                    : K == kRenderbuffer ? s_real.DeleteRenderbuffers
                                         : s_real.DeleteTextures;
        for (GLsizei i = 0; i < n; ++i)
            s_live[K].erase(names[i]);
        real(n, names);
    }

    static inline GLApi s_real;
    static inline std::set<GLuint> s_live[kNameKinds];
};

// Each step of a device's life, then the device's end: a step that makes names for its own use gives them back
// before it returns; what the device keeps (its framebuffers, textures still held) goes when the device does.
TEST_F(GLDeviceTest, EveryNameTheDeviceAsksGLForIsGivenBack)
{
    NameLedger ledger;
    const uint32_t image[6] = {0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFFA0B0C0u, 0xFFD0E0F0u, 0xFF000000u};
    const struct
    {
        const char* step;
        std::function<void()> run;
    } steps[] = {
        {"a copy into the back buffer", [&] { ASSERT_OK(m_device->WriteBackBuffer(image, 3, 2, 0)); }},
        {"a keyed copy of a single row", [&] { ASSERT_OK(m_device->WriteBackBuffer(image, 6, 1, 0xFF000000u)); }},
        {"a texture made and released", [&] { MakeTexture(2, 2, PixelFormat::A8R8G8B8, image).reset(); }},
        {"a read of both buffers",
         [&]
         {
             std::vector<uint32_t> pixels;
             uint32_t w = 0, h = 0;
             ASSERT_OK(m_device->ReadBackBuffer(&pixels, &w, &h));
             ASSERT_OK(m_device->ReadFrontBuffer(&pixels, &w, &h));
         }},
    };
    for (const auto& s : steps)
    {
        s.run();
        for (int kind = 0; kind < kNameKinds; ++kind)
            EXPECT_EQ(ledger.Live(NameKind(kind)), 0u) << s.step << " kept a " << kKindNames[kind];
    }

    // A reset to another size makes the framebuffers anew; a texture is held on; all of it goes with the device.
    ASSERT_OK(m_device->EndScene());
    PresentParams params = m_device->GetPresentParams();
    params.backBufferWidth = 24;
    params.backBufferHeight = 40;
    ASSERT_OK(m_device->Reset(params));
    TexturePtr held = MakeTexture(4, 4, PixelFormat::A8R8G8B8, std::vector<uint32_t>(16, 0xFF00FF00u).data());
    ASSERT_OK(m_device->WriteBackBuffer(image, 2, 3, 0));
    EXPECT_GT(ledger.Live(kFramebuffer) + ledger.Live(kRenderbuffer) + ledger.Live(kTexture), 0u);
    m_device.reset();
    held.reset();
    for (int kind = 0; kind < kNameKinds; ++kind)
        EXPECT_EQ(ledger.Live(NameKind(kind)), 0u) << "the device's end left a " << kKindNames[kind];
}

} // namespace
