// The built-in materials on the OpenGL back end, headless, checked by pixels: a screen-covering quad of one vertex
// colour with two flat-coloured textures, drawn through each material over a known background; the pixel is worked
// by hand from the material's row (stage operations, alpha test, blend mode); and the shadow pass's stencil, by
// two overlapping shadows.
#include "DrawTestSupport.h"

#include "engine/render/TextureManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace
{

constexpr uint32_t kSide = 64;

// Colours as four floats 0..1, alpha last; every input is a multiple of 0x11 so that 4-bit textures keep it.
using Colour = std::array<float, 4>;

Colour Of(uint32_t argb)
{
    return {((argb >> 16) & 255) / 255.0f, ((argb >> 8) & 255) / 255.0f, (argb & 255) / 255.0f, (argb >> 24) / 255.0f};
}

float Sat(float v)
{
    return std::clamp(v, 0.0f, 1.0f);
}

uint32_t Rgb(const Colour& c)
{
    uint32_t out = 0xFF000000u;
    for (int i = 0; i < 3; ++i)
        out |= static_cast<uint32_t>(std::lround(Sat(c[i]) * 255.0f)) << (16 - 8 * i);
    return out;
}

const Colour kBack = Of(0xFF204080);   // the cleared background
const Colour kVertex = Of(0x88CC4422); // the quad's vertex colour
const Colour kFirst = Of(0xCC448866);  // stage 0's texture
const Colour kSecond = Of(0x44886644); // stage 1's texture

// Channel by channel, on red, green and blue.
template <class F> Colour Each(F f)
{
    Colour c{};
    for (int i = 0; i < 3; ++i)
        c[i] = Sat(f(i));
    return c;
}

Colour Mul(const Colour& a, const Colour& b)
{
    return Each([&](int i) { return a[i] * b[i]; });
}

Colour AddSigned(const Colour& a, const Colour& b)
{
    return Each([&](int i) { return a[i] + b[i] - 0.5f; });
}

// Blend mode 4: the colour over the background by its alpha.
Colour Over(const Colour& c, float alpha)
{
    return Each([&](int i) { return c[i] * alpha + kBack[i] * (1.0f - alpha); });
}

D3DRenderer& R()
{
    return *static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer());
}

// A page-filling texture of one colour (it wraps onto itself however its coordinates are scaled or moved).
int32_t FlatTexture(const char* name, uint32_t argb)
{
    const uint32_t side = g_TextureManager.GetPageSize();
    const uint32_t slot = g_TextureManager.CreateTexture(side, side, name);
    std::vector<uint32_t> texels(static_cast<size_t>(side) * side, argb);
    EXPECT_TRUE(g_TextureManager.UpdateTexture(slot, texels.data(), side, side, 4));
    return static_cast<int32_t>(slot);
}

TEST(GLMaterialPixelsTest, BuiltInMaterialsDrawWhatTheirRowsAskFor)
{
    rendertest::GLGraphics gl(kSide);
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL context";
    const int32_t first = FlatTexture("first", 0xCC448866);
    const int32_t second = FlatTexture("second", 0x44886644);

    // Stage 0's texture times the vertex colour, in colour and alpha (alpha CC x 88 = 6C).
    const Colour modulated = Mul(kFirst, kVertex);
    const float modulatedAlpha = kFirst[3] * kVertex[3];
    // Colour operation 8: the texture alone at stage 0; stage 1 adds its texture signed; stage 2 multiplies the
    // vertex colour in, colour and alpha (alpha CC x 88).
    const Colour selectThenSigned = Mul(AddSigned(kSecond, kFirst), kVertex);
    const struct
    {
        int32_t material;
        Colour expected;
        const char* why;
    } rows[] = {
        {1, Over(modulated, modulatedAlpha), "texture x vertex, blended by its alpha"},
        {2, Over(modulated, modulatedAlpha), "the same with point sampling"},
        {29, Over(modulated, modulatedAlpha), "defaults"},
        {3, Over(kVertex, kVertex[3]), "the vertex colour alone, depth always"},
        {4, kBack, "alpha 6C fails the test (greater than 7F)"},
        {5, modulated, "texture x vertex, opaque"},
        {6, Over(kVertex, kVertex[3]), "the vertex colour, blended"},
        {8, Each([&](int i) { return kBack[i] + modulated[i] * modulatedAlpha; }), "added by its alpha"},
        {27, Over(modulated, modulatedAlpha), "no depth write"},
        {11, modulated, "the texture's alpha CC passes the test; opaque"},
        {16, Over(modulated, kFirst[3]), "the texture's alpha passes reference 100 and blends"},
        {17, Mul(kBack, kVertex), "the background times the vertex colour"},
        {18, Mul(kBack, kVertex), "the same after the texture's alpha passes the test"},
        {10, Over(modulated, modulatedAlpha), "no depth write"},
        {12, selectThenSigned, "alpha 6C passes reference 90; opaque"},
        {13, Over(selectThenSigned, modulatedAlpha), "blended by the alpha of stage 2"},
        {20, Each([&](int i) { return modulated[i] * kBack[i] + kBack[i]; }), "times the background, added"},
        {15, Each([&](int i) { return kBack[i] + modulated[i] * kVertex[3]; }), "added by the vertex alpha"},
        {19, Each([&](int i) { return kBack[i] + kSecond[i] * modulated[i]; }), "both textures and the vertex, added"},
        {21, Over(kVertex, kVertex[3]), "the vertex colour, blended"},
        {22,
         Over(Mul(Each([&](int i) { return kSecond[i] * kSecond[3] + kFirst[i] * (1.0f - kSecond[3]); }), kVertex),
              modulatedAlpha),
         "stage 1 blends by its texture's alpha, stage 2 multiplies the vertex in"},
        {23, Over(AddSigned(kSecond, AddSigned(kFirst, kVertex)), kVertex[3]), "two signed additions"},
        {24, kBack, "alpha CC x 88 x 44 fails the test"},
        {25, Over(modulated, modulatedAlpha), "defaults"},
        {26, kVertex, "the vertex colour, opaque"},
        {28, Over(kVertex, kVertex[3]), "the vertex colour, blended"},
    };

    GraphicsManager& gm = g_GraphicsManager;
    const uint32_t colour = 0x88CC4422;
    const TexturedVertex quad[4] = {{0, 0, 0.5f, colour, 0, 0},
                                    {kSide, 0, 0.5f, colour, 1, 0},
                                    {kSide, kSide, 0.5f, colour, 1, 1},
                                    {0, kSide, 0.5f, colour, 0, 1}};
    const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(std::string("material ") + std::to_string(row.material) + ": " + row.why);
        gm.SetClearMode(true, 0xFF204080);
        ASSERT_TRUE(gm.BeginFrame(0));
        gm.Begin2D();
        gm.DrawTexturedPolysAt(quad, 4, indices, 6, first, second, {0.0f, 0.0f, 0.0f}, row.material);
        gm.EndFrame();
        uint32_t w = 0, h = 0;
        const std::unique_ptr<uint32_t[]> pixels = R().ReadBackBuffer(&w, &h);
        gm.Present();
        ASSERT_TRUE(pixels && w == kSide && h == kSide);
        const uint32_t pixel = pixels[32 * kSide + 32];
        EXPECT_TRUE(rendertest::NearRgb(pixel, Rgb(row.expected), 3))
            << std::hex << pixel << " expected " << Rgb(row.expected);
    }
}

} // namespace

namespace
{

// The shadow pass on the OpenGL back end: two shadows of darkness 0x80 overlap in the middle of a white frame; each
// pixel under either is the white times 1 - 0x80 / 255, the overlap no darker.
TEST(GLMaterialPixelsTest, OverlappingShadowsDarkenEachPixelOnce)
{
    rendertest::GLGraphics gl(kSide);
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL context";
    GraphicsManager& gm = g_GraphicsManager;
    gm.SetClearMode(true, 0xFFFFFFFF);
    gm.SetProjection(90.0f, 1.0f, 1.0f, 100.0f);
    gm.SetViewMatrix(platform::MatrixIdentity(), true);
    ASSERT_TRUE(gm.BeginFrame(0));
    R().SetLight(0xFF000000, 0xFF808080, 0, {0.0f, -1.0f, 0.0f}, 0x80000000);
    R().BeginShadowPass(true, false);
    // At z = 10 the screen point of (X, Y) is (32 + 3.2 X, 32 - 3.2 Y): the first covers x 0 to 40, the second 24
    // to 64, both the full height; corners clockwise on the screen.
    auto quad = [](float x0, float x1)
    {
        const uint32_t c = 0xFF00FF00; // the shadow takes no vertex colour
        const ColourVertex v[4] = {{x0, 10, 10, c}, {x1, 10, 10, c}, {x1, -10, 10, c}, {x0, -10, 10, c}};
        const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
        R().DrawPolsUntexCol(v, 4, indices, 6, 0);
    };
    quad(-10.0f, 2.5f);
    quad(-2.5f, 10.0f);
    R().BeginShadowPass(false, false);
    gm.EndFrame();
    uint32_t w = 0, h = 0;
    const std::unique_ptr<uint32_t[]> pixels = R().ReadBackBuffer(&w, &h);
    gm.Present();
    ASSERT_TRUE(pixels && w == kSide && h == kSide);
    const uint32_t shade = Rgb(Each([](int) { return 1.0f - 128.0f / 255.0f; }));
    for (int x : {10, 32, 50})
        EXPECT_TRUE(rendertest::NearRgb(pixels[32 * kSide + x], shade, 3))
            << x << ": " << std::hex << pixels[32 * kSide + x];
}

} // namespace
