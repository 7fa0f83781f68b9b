// Tests of the GL device's state shadow on a live context: every value it keeps has a place of its own, so that
// setting one never hides a change of another, and a value given again is not sent again.
#include "platform/gfx/GLStateShadow.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/GLCallCount.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace platform;

namespace
{

// One value the shadow keeps: the GL entry point that sends it and how to set it to either of two values.
struct Slot
{
    std::string name;
    const char* entry;
    std::function<void(GLStateShadow&, int)> set;
};

std::vector<Slot> Slots()
{
    std::vector<Slot> slots;
    auto add = [&](std::string name, const char* entry, std::function<void(GLStateShadow&, int)> set) {
        slots.push_back({std::move(name), entry, std::move(set)});
    };
    for (GLenum cap :
         {GL_DEPTH_TEST, GL_POLYGON_OFFSET_FILL, GL_STENCIL_TEST, GL_ALPHA_TEST, GL_BLEND, GL_CULL_FACE, GL_FOG,
          GL_LIGHTING, GL_COLOR_MATERIAL, GL_COLOR_SUM, GL_NORMALIZE, GL_SCISSOR_TEST, GL_LIGHT0, GL_LIGHT7})
        add("cap " + std::to_string(cap), "Enable", [cap](GLStateShadow& s, int v) { s.Enable(cap, v != 0); });
    for (uint32_t unit : {0u, 1u})
    {
        const std::string u = " unit " + std::to_string(unit);
        for (GLenum cap : {GL_TEXTURE_2D, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R})
            add("unit cap " + std::to_string(cap) + u, "Enable",
                [cap, unit](GLStateShadow& s, int v) { s.EnableOnUnit(unit, cap, v != 0); });
        add("texture" + u, "BindTexture", [unit](GLStateShadow& s, int v) { s.BindTexture(unit, GLuint(v)); });
        for (GLenum coord : {GL_S, GL_T, GL_R})
            add("texgen " + std::to_string(coord) + u, "TexGeni",
                [coord, unit](GLStateShadow& s, int v)
                { s.TexGenMode(unit, coord, v ? GL_EYE_LINEAR : GL_NORMAL_MAP); });
        for (GLenum name : {GL_COMBINE_RGB, GL_COMBINE_ALPHA})
            add("env " + std::to_string(name) + u, "TexEnvi",
                [name, unit](GLStateShadow& s, int v) { s.TexEnvi(unit, name, v ? GL_ADD : GL_MODULATE); });
        for (GLenum name : {GL_SRC0_RGB, GL_SRC1_RGB, GL_SRC2_RGB, GL_SRC0_ALPHA, GL_SRC1_ALPHA, GL_SRC2_ALPHA})
            add("env " + std::to_string(name) + u, "TexEnvi",
                [name, unit](GLStateShadow& s, int v) { s.TexEnvi(unit, name, v ? GL_TEXTURE : GL_PREVIOUS); });
        for (GLenum name : {GL_OPERAND0_RGB, GL_OPERAND1_RGB, GL_OPERAND2_RGB, GL_OPERAND0_ALPHA, GL_OPERAND1_ALPHA,
                            GL_OPERAND2_ALPHA})
            add("env " + std::to_string(name) + u, "TexEnvi",
                [name, unit](GLStateShadow& s, int v)
                { s.TexEnvi(unit, name, v ? GL_SRC_ALPHA : GL_ONE_MINUS_SRC_ALPHA); });
        for (GLenum name : {GL_RGB_SCALE, GL_ALPHA_SCALE})
            add("env " + std::to_string(name) + u, "TexEnvf",
                [name, unit](GLStateShadow& s, int v) { s.TexEnvf(unit, name, v ? 2.0f : 4.0f); });
        add("env colour" + u, "TexEnvfv",
            [unit](GLStateShadow& s, int v) {
                s.TexEnvColour(unit, {float(v), 0.5f, 0.5f, 1.0f});
            });
        add("texture matrix" + u, "LoadMatrixf",
            [unit](GLStateShadow& s, int v)
            { s.LoadMatrix(GL_TEXTURE, MatrixScaling(float(v + 1), 1.0f, 1.0f), unit); });
        add("coordinate array" + u, "EnableClientState",
            [unit](GLStateShadow& s, int v) { s.TexCoordArray(unit, v != 0); });
    }
    for (GLenum name : {GL_FOG_COORD_SRC, GL_FOG_MODE})
        add("fog " + std::to_string(name), "Fogi",
            [name](GLStateShadow& s, int v)
            { s.Fogi(name, name == GL_FOG_MODE ? (v ? GL_EXP : GL_LINEAR) : (v ? GL_FOG_COORD : GL_FRAGMENT_DEPTH)); });
    for (GLenum name : {GL_FOG_START, GL_FOG_END, GL_FOG_DENSITY})
        add("fog " + std::to_string(name), "Fogf", [name](GLStateShadow& s, int v) { s.Fogf(name, v ? 2.0f : 4.0f); });
    for (GLenum name : {GL_LIGHT_MODEL_LOCAL_VIEWER, GL_LIGHT_MODEL_COLOR_CONTROL})
        add("light model " + std::to_string(name), "LightModeli",
            [name](GLStateShadow& s, int v) {
                s.LightModeli(
                    name, name == GL_LIGHT_MODEL_LOCAL_VIEWER ? v : (v ? GL_SEPARATE_SPECULAR_COLOR : GL_SINGLE_COLOR));
            });
    for (GLenum mode : {GL_PROJECTION, GL_MODELVIEW})
        add("matrix " + std::to_string(mode), "LoadMatrixf",
            [mode](GLStateShadow& s, int v) { s.LoadMatrix(mode, MatrixScaling(float(v + 1), 1.0f, 1.0f)); });
    for (GLenum array : {GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_SECONDARY_COLOR_ARRAY, GL_FOG_COORD_ARRAY})
        add("array " + std::to_string(array), "EnableClientState",
            [array](GLStateShadow& s, int v) { s.ClientArray(array, v != 0); });
    for (GLenum target : {GL_READ_FRAMEBUFFER, GL_DRAW_FRAMEBUFFER})
        add("framebuffer " + std::to_string(target), "BindFramebuffer",
            [target](GLStateShadow& s, int v) { s.BindFramebuffer(target, GLuint(v)); });
    return slots;
}

class GLStateShadowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A device makes the context current and loads GL; the shadow under test works beside it.
        m_system = CreateOpenGLSystem();
        PresentParams params;
        params.backBufferWidth = params.backBufferHeight = 16;
        if (!m_system || m_system->CreateDevice(0, DeviceType::Hal, nullptr, CreateFlags::HardwareVertexProcessing,
                                                &params, &m_device) != GfxResult::Ok)
            GTEST_SKIP() << "no OpenGL context can be made here";
    }

    GraphicsSystemPtr m_system;
    DevicePtr m_device;
};

TEST_F(GLStateShadowTest, EveryValueHasItsOwnPlace)
{
    std::vector<Slot> slots = Slots();
    for (const Slot& a : slots)
    {
        for (const Slot& b : slots)
        {
            if (&a == &b)
                continue;
            GLStateShadow shadow;
            a.set(shadow, 0);
            b.set(shadow, 1);
            GLCallCount calls;
            a.set(shadow, 1); // b holds 1: a must still be sent
            ASSERT_GE(calls.Of(a.entry), 1u) << a.name << " hidden by " << b.name;
            calls.Reset();
            a.set(shadow, 1);
            b.set(shadow, 1);
            ASSERT_EQ(calls.Total(), 0u) << a.name << " or " << b.name << " sent again";
        }
    }
}

TEST_F(GLStateShadowTest, ForgettingSendsEveryValueAgain)
{
    GLStateShadow shadow;
    for (const Slot& slot : Slots())
    {
        slot.set(shadow, 1);
        shadow.Forget();
        GLCallCount calls;
        slot.set(shadow, 1);
        EXPECT_GE(calls.Of(slot.entry), 1u) << slot.name;
    }
}

} // namespace
