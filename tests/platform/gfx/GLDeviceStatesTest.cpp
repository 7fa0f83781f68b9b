// Tests of the OpenGL device's fixed-function states, headless: texture stages and formats, sampling, blending,
// lighting and fog, checked pixel by pixel against values worked out by hand.
#include "platform/gfx/GLApi.h"
#include "platform/gfx/TextureUtil.h"
#include "tests/platform/gfx/GLDeviceTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

using namespace platform;
using namespace gltest;

namespace
{

TEST_F(GLDeviceTest, LitAndFoggedTriangleFollowsTheLightingAndFogFormulas)
{
    // The camera stands at x = -5 looking along +x; the triangle lies in the plane x = 0 facing it.
    ASSERT_OK(m_device->SetTransform(TransformType::View, MatrixLookAtLH({-5, 0, 0}, {0, 0, 0}, {0, 1, 0})));
    ASSERT_OK(m_device->SetTransform(TransformType::Projection, MatrixOrthoLH(4.0f, 4.0f, 0.1f, 20.0f)));
    MaterialDesc material;
    material.diffuse = {1.0f, 0.5f, 0.25f, 1.0f};
    material.ambient = {0.5f, 0.5f, 0.5f, 1.0f};
    ASSERT_OK(m_device->SetMaterial(material));
    LightDesc light;
    light.type = LightType::Directional;
    light.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    light.direction = Vec3Normalize({1.0f, -1.0f, 0.0f}); // down and away from the camera
    ASSERT_OK(m_device->SetLight(0, light));
    ASSERT_OK(m_device->LightEnable(0, true));
    Rs(RenderState::Ambient, 0x00404040u);
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Diffuse);

    struct LitVertex
    {
        float x, y, z, nx, ny, nz;
    };
    // Screen right is world -z from this camera; bottom-left, top, bottom-right is clockwise.
    LitVertex v[3] = {{0, -1.5f, 1.5f, -1, 0, 0}, {0, 1.5f, 0, -1, 0, 0}, {0, -1.5f, -1.5f, -1, 0, 0}};
    ASSERT_OK(m_device->SetVertexShader(Fvf::XYZ | Fvf::Normal));
    ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleList, 1, v, sizeof(LitVertex)));
    // colour = global ambient x material ambient + material diffuse x light diffuse x max(0, N . -direction)
    float nDotL = 1.0f / std::sqrt(2.0f), ambient = 64.0f / 255.0f * 0.5f;
    float lit[3] = {ambient + 1.0f * nDotL, ambient + 0.5f * nDotL, ambient + 0.25f * nDotL};
    EXPECT_TRUE(ColourNear(Pixel(32, 36), Rgb(lit[0], lit[1], lit[2]), 3));

    // Linear fog by eye depth: the triangle is 5 away, fog from 2 to 8 leaves half of its colour.
    Rs(RenderState::FogEnable, 1);
    Rs(RenderState::FogColour, 0x0000FF00u);
    Rs(RenderState::FogTableMode, FogMode::None);
    Rs(RenderState::FogVertexMode, FogMode::Linear);
    Rs(RenderState::FogStart, FloatBits(2.0f));
    Rs(RenderState::FogEnd, FloatBits(8.0f));
    ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleList, 1, v, sizeof(LitVertex)));
    EXPECT_TRUE(ColourNear(Pixel(32, 36), Rgb(0.5f * lit[0], 0.5f * lit[1] + 0.5f, 0.5f * lit[2]), 3));
}

TEST_F(GLDeviceTest, TwoTextureStagesModulateThenAdd)
{
    const uint32_t texels[4] = {0xFFC86432u, 0xFF00FF00u, 0xFFFFFFFFu, 0xFF285078u};
    const uint32_t added = 0xFF141E28u, diffuse = 0xFF80FF40u;
    TexturePtr first = MakeTexture(2, 2, PixelFormat::A8R8G8B8, texels);
    TexturePtr second = MakeTexture(1, 1, PixelFormat::A8R8G8B8, &added);
    ASSERT_TRUE(first && second);
    ModulateThenAdd(first.get(), second.get());
    ASSERT_OK(DrawFull(diffuse));
    // texel x diffuse / 255 + added, per channel: (C8*80, 64*FF, 32*40) + (14, 1E, 28) and white x diffuse + added.
    EXPECT_TRUE(ColourNear(Pixel(16, 16), 0xFF788234u, 2));
    EXPECT_TRUE(ColourNear(Pixel(16, 48), 0xFF94FF68u, 2)); // green saturates
    // Stage 1 disabled ends the chain: the modulated colour alone (C8*80, 64*FF, 32*40 over 255).
    Tss(1, TextureStageState::ColourOp, TextureOp::Disable);
    ASSERT_OK(DrawFull(diffuse));
    EXPECT_TRUE(ColourNear(Pixel(16, 16), 0xFF64640Du, 2));

    // A texel written through a rectangle lock shows at the next draw.
    LockedRect locked;
    Rect one{1, 1, 2, 2};
    ASSERT_OK(first->LockRect(0, &locked, &one, 0));
    *static_cast<uint32_t*>(locked.bits) = 0xFF0000FFu;
    ASSERT_OK(first->UnlockRect(0));
    ASSERT_OK(DrawFull(diffuse));
    EXPECT_TRUE(ColourNear(Pixel(48, 48), 0xFF000040u, 2));
}

TEST_F(GLDeviceTest, TextureFormatsUploadFromTheirOwnLayouts)
{
    auto repeat = [](std::vector<uint8_t> texel)
    {
        std::vector<uint8_t> all;
        for (int i = 0; i < 16; ++i)
            all.insert(all.end(), texel.begin(), texel.end());
        return all;
    };
    const struct
    {
        PixelFormat format;
        std::vector<uint8_t> block; // one texel repeated over 4 x 4, or one DXT block
        uint32_t expected, tolerance;
    } cases[] = {
        {PixelFormat::A8R8G8B8, repeat({0x40, 0x80, 0xFF, 0x80}), 0x80FF8040u, 0},
        {PixelFormat::R5G6B5, repeat({0x1F, 0xF8}), 0xFFFF00FFu, 0}, // red 31, green 0, blue 31
        {PixelFormat::A4R4G4B4, repeat({0x0F, 0x8F}), 0x88FF00FFu, 0},
        {PixelFormat::X4R4G4B4, repeat({0x0F, 0x0F}), 0xFFFF00FFu, 0}, // the top nibble is not alpha
        {PixelFormat::X8R8G8B8, repeat({0x40, 0x80, 0xFF, 0x00}), 0xFFFF8040u, 0},
        {PixelFormat::R8G8B8, repeat({0x40, 0x80, 0xFF}), 0xFFFF8040u, 0},
        {PixelFormat::X1R5G5B5, repeat({0x1F, 0x7C}), 0xFFFF00FFu, 0}, // red 31, blue 31, top bit not alpha
        {PixelFormat::A1R5G5B5, repeat({0xE0, 0x03}), 0x0000FF00u, 0}, // green 31, alpha 0
        {PixelFormat::A1R5G5B5, repeat({0x1F, 0x80}), 0xFF0000FFu, 0}, // blue 31, alpha 1
        // DXT1: colours red and blue, every index 2 = two thirds red and one third blue.
        {PixelFormat::DXT1, {0x00, 0xF8, 0x1F, 0x00, 0xAA, 0xAA, 0xAA, 0xAA}, 0xFFAA0055u, 3},
        // DXT3: every alpha 8 of 15 (88), colours red and blue, every index 0 = red.
        {PixelFormat::DXT3,
         {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0},
         0x88FF0000u,
         2},
        // DXT5: alpha endpoints 255 and 0, every index 2 = (6 x 255 + 0) / 7; white colour block.
        {PixelFormat::DXT5,
         {0xFF, 0, 0x92, 0x24, 0x49, 0x92, 0x24, 0x49, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0},
         0xDAFFFFFFu,
         2},
    };
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::AlphaOp, TextureOp::SelectArg1);
    for (const auto& c : cases)
    {
        TexturePtr texture = MakeTexture(4, 4, c.format, c.block.data());
        ASSERT_TRUE(texture);
        ASSERT_OK(m_device->SetTexture(0, texture.get()));
        ASSERT_OK(DrawFull(0xFFFFFFFFu));
        EXPECT_TRUE(ColourNear(Pixel(30, 30), c.expected, c.tolerance, true)) << FormatName(c.format);
    }
    // A context without compressed formats gets the blocks decoded first: the same colours.
    const bool s3tc = Gl().s3tc;
    Gl().s3tc = false;
    for (const auto& c : cases)
    {
        if (!IsBlockCompressed(c.format))
            continue;
        TexturePtr texture = MakeTexture(4, 4, c.format, c.block.data());
        ASSERT_OK(m_device->SetTexture(0, texture.get()));
        ASSERT_OK(DrawFull(0xFFFFFFFFu));
        EXPECT_TRUE(ColourNear(Pixel(30, 30), c.expected, c.tolerance, true)) << "decoded " << FormatName(c.format);
    }
    Gl().s3tc = s3tc;
}

TEST_F(GLDeviceTest, AlphaTestBlendingAndStencil)
{
    UseVertexColour();
    ClearTo(0xFF0000FFu);
    // Alpha test: greater than 0x80 passes 0x81 and rejects 0x7F.
    Rs(RenderState::AlphaTestEnable, 1);
    Rs(RenderState::AlphaFunc, CompareFunc::Greater);
    Rs(RenderState::AlphaRef, 0x80);
    ASSERT_OK(DrawRect(0, 0, 32, 64, 0x7FFF0000u));
    ASSERT_OK(DrawRect(32, 0, 64, 64, 0x81FF0000u));
    EXPECT_TRUE(ColourNear(Pixel(10, 10), 0xFF0000FFu, 0));
    EXPECT_TRUE(ColourNear(Pixel(50, 10), 0xFFFF0000u, 0));
    Rs(RenderState::AlphaTestEnable, 0);

    // Source alpha blending: a quarter of red over blue.
    ClearTo(0xFF0000FFu);
    Rs(RenderState::AlphaBlendEnable, 1);
    Rs(RenderState::SrcBlend, BlendFactor::SrcAlpha);
    Rs(RenderState::DestBlend, BlendFactor::InvSrcAlpha);
    ASSERT_OK(DrawRect(0, 0, 64, 64, 0x40FF0000u));
    EXPECT_TRUE(ColourNear(Pixel(20, 20), Rgb(64.0f / 255.0f, 0.0f, 191.0f / 255.0f), 2));

    // Stencil Greater + Replace: two half-dark shadows overlapping in the middle darken it only once.
    ASSERT_OK(m_device->Clear(0, nullptr, ClearFlags::Target | ClearFlags::Stencil, 0xFFFFFFFFu, 1.0f, 0));
    Rs(RenderState::StencilEnable, 1);
    Rs(RenderState::StencilFunc, CompareFunc::Greater);
    Rs(RenderState::StencilPass, StencilOp::Replace);
    Rs(RenderState::StencilRef, 1);
    ASSERT_OK(DrawRect(0, 0, 40, 64, 0x80000000u));
    ASSERT_OK(DrawRect(24, 0, 64, 64, 0x80000000u));
    EXPECT_TRUE(ColourNear(Pixel(10, 10), Grey(127), 2));
    EXPECT_TRUE(ColourNear(Pixel(32, 10), Grey(127), 2));
    Rs(RenderState::StencilEnable, 0);

    // Blend operations on source (80, 40, C0) and destination (40, 80, 40), both factors one.
    Rs(RenderState::SrcBlend, BlendFactor::One);
    Rs(RenderState::DestBlend, BlendFactor::One);
    const struct
    {
        uint32_t op, expected;
    } ops[] = {
        {BlendOp::Add, 0xC0C0FF}, {BlendOp::Subtract, 0x400080}, {BlendOp::RevSubtract, 0x004000},
        {BlendOp::Min, 0x404040}, {BlendOp::Max, 0x8080C0},
    };
    for (const auto& o : ops)
    {
        Rs(RenderState::BlendOp, o.op);
        ClearTo(0xFF408040u);
        ASSERT_OK(DrawRect(0, 0, 64, 64, 0xFF8040C0u));
        EXPECT_TRUE(ColourNear(Pixel(20, 20), 0xFF000000u | o.expected, 1)) << "blend op " << o.op;
    }
    Rs(RenderState::BlendOp, BlendOp::Add);

    // Destination alpha needs alpha bits in the target: a target alpha of 0x80 halves white.
    ClearTo(0x80000000u);
    Rs(RenderState::SrcBlend, BlendFactor::DestAlpha);
    Rs(RenderState::DestBlend, BlendFactor::Zero);
    ASSERT_OK(DrawRect(0, 0, 64, 64, 0xFFFFFFFFu));
    EXPECT_TRUE(ColourNear(Pixel(20, 20), Grey(128), 2));
}

TEST_F(GLDeviceTest, TextureMatricesSeeTheDeviceCoordinateConventions)
{
    const uint32_t texels[2] = {0xFFFF0000u, 0xFF00FF00u}; // red left, green right
    TexturePtr texture = MakeTexture(2, 1, PixelFormat::A8R8G8B8, texels);
    ASSERT_TRUE(texture);
    ASSERT_OK(m_device->SetTexture(0, texture.get()));
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::TextureTransformFlags, TextureTransform::Count2);
    UseOrthoCamera();
    ASSERT_OK(m_device->SetVertexShader(Fvf::XYZ | Fvf::Normal | Fvf::Tex1));
    auto draw = [&](const Matrix& matrix, float nz)
    {
        EXPECT_EQ(m_device->SetTransform(TransformType::Texture0, matrix), GfxResult::Ok);
        struct
        {
            float x, y, z, nx, ny, nz, u, v;
        } v[4] = {{-1, 1, 1, 0, 0, nz, 0.25f, 0},
                  {1, 1, 1, 0, 0, nz, 0.25f, 0},
                  {-1, -1, 1, 0, 0, nz, 0.25f, 0},
                  {1, -1, 1, 0, 0, nz, 0.25f, 0}};
        EXPECT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(v[0])), GfxResult::Ok);
        return Pixel(32, 32);
    };
    // Two-component coordinates enter the matrix as (u, v, 1, 0): the third row moves u = 0.25 to 0.75; a new
    // matrix alone shows at the next draw.
    Matrix m = MatrixIdentity();
    m.m[2][0] = 0.5f;
    EXPECT_TRUE(ColourNear(draw(m, -1), 0xFF00FF00u, 0));
    EXPECT_TRUE(ColourNear(draw(MatrixIdentity(), -1), 0xFFFF0000u, 0));
    // Camera-space positions enter as (x, y, z, 1): u = 0.25 x + 0.5 is red left of the middle, green right of it.
    Tss(0, TextureStageState::TexCoordIndex, TexCoordGen::CameraSpacePosition);
    Matrix position = MatrixIdentity();
    position.m[0][0] = 0.25f;
    position.m[3][0] = 0.5f;
    draw(position, -1);
    EXPECT_TRUE(ColourNear(Pixel(16, 32), 0xFFFF0000u, 0));
    EXPECT_TRUE(ColourNear(Pixel(48, 32), 0xFF00FF00u, 0));
    // The same along v from y: a 1 x 2 texture, green above red, and v = 0.25 y + 0.5 (y up) put red at the top
    // of the screen and green at the bottom.
    const uint32_t upright[2] = {0xFF00FF00u, 0xFFFF0000u};
    TexturePtr column = MakeTexture(1, 2, PixelFormat::A8R8G8B8, upright);
    ASSERT_OK(m_device->SetTexture(0, column.get()));
    position = MatrixIdentity();
    position.m[1][1] = 0.25f;
    position.m[3][1] = 0.5f;
    draw(position, -1);
    EXPECT_TRUE(ColourNear(Pixel(32, 16), 0xFFFF0000u, 0));
    EXPECT_TRUE(ColourNear(Pixel(32, 48), 0xFF00FF00u, 0));
    ASSERT_OK(m_device->SetTexture(0, texture.get()));
    // Camera-space normals enter as (x, y, z, 1), z < 0 towards the camera: u = 0.49 z + 0.5.
    Tss(0, TextureStageState::TexCoordIndex, TexCoordGen::CameraSpaceNormal);
    m = MatrixIdentity();
    m.m[0][0] = 0.0f;
    m.m[2][0] = 0.49f;
    m.m[3][0] = 0.5f;
    EXPECT_TRUE(ColourNear(draw(m, -1), 0xFFFF0000u, 0));
    EXPECT_TRUE(ColourNear(draw(m, 1), 0xFF00FF00u, 0));
    // The stage switched off and on again generates its coordinates as before.
    Tss(0, TextureStageState::ColourOp, TextureOp::Disable);
    draw(m, -1);
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    EXPECT_TRUE(ColourNear(draw(m, -1), 0xFFFF0000u, 0));

    // Projected: the third result divides the others. (0.25 + 0.5, v, 2) gives u = 0.375; unprojected 0.75.
    Tss(0, TextureStageState::TexCoordIndex, 0);
    m = MatrixIdentity();
    m.m[2][0] = 0.5f;
    m.m[2][2] = 2.0f;
    for (auto [flags, colour] : {std::pair{TextureTransform::Count3 | TextureTransform::Projected, 0xFFFF0000u},
                                 {TextureTransform::Count3, 0xFF00FF00u}})
    {
        Tss(0, TextureStageState::TextureTransformFlags, flags);
        EXPECT_TRUE(ColourNear(draw(m, -1), colour, 0)) << "flags " << flags;
    }
}

// The texture's levels are red, green | black and blue: the largest level a stage may use picks one, even
// magnified, and its filter applies.
TEST_F(GLDeviceTest, MaxMipLevelChoosesTheLargestLevelUsed)
{
    TexturePtr texture;
    ASSERT_OK(m_device->CreateTexture(4, 4, 3, 0, PixelFormat::A8R8G8B8, Pool::Managed, &texture));
    const uint32_t colours[3] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
    for (uint32_t level = 0; level < 3; ++level)
    {
        LockedRect locked;
        ASSERT_OK(texture->LockRect(level, &locked, nullptr, 0));
        uint32_t side = 4 >> level;
        for (uint32_t y = 0; y < side; ++y)
        {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + y * locked.pitch);
            std::fill_n(row, side, colours[level]);
            if (level == 1)
                row[1] = 0xFF000000u;
        }
        ASSERT_OK(texture->UnlockRect(level));
    }
    ASSERT_OK(m_device->SetTexture(0, texture.get()));
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Texture);
    for (TextureStageState filter :
         {TextureStageState::MinFilter, TextureStageState::MagFilter, TextureStageState::MipFilter})
        Tss(0, filter, TextureFilter::Point);
    // Pixel 8 samples u = 8.5 / 64: in level 1 texel coordinate 0.27, the green texel's (linear: 0.77 of it, the rest
    // the black one wrapped round).
    for (uint32_t level = 0; level < 3; ++level)
    {
        Tss(0, TextureStageState::MaxMipLevel, level);
        ASSERT_OK(DrawFull(0xFFFFFFFFu));
        EXPECT_TRUE(ColourNear(Pixel(8, 32), colours[level], 0)) << "level " << level;
    }
    Tss(0, TextureStageState::MaxMipLevel, 1);
    Tss(0, TextureStageState::MinFilter, TextureFilter::Linear);
    ASSERT_OK(DrawFull(0xFFFFFFFFu));
    EXPECT_TRUE(ColourNear(Pixel(8, 32), Rgb(0.0f, 0.766f, 0.0f), 2));
    // Squeezed into one pixel the texture is minified to its smallest level, unless mipmaps are off.
    Tss(0, TextureStageState::MaxMipLevel, 0);
    Tss(0, TextureStageState::MinFilter, TextureFilter::Point);
    for (auto [mip, colour] : {std::pair{TextureFilter::Point, 0xFF0000FFu}, {TextureFilter::None, 0xFFFF0000u}})
    {
        Tss(0, TextureStageState::MipFilter, mip);
        ASSERT_OK(DrawRect(40, 40, 41, 41, 0xFFFFFFFFu));
        EXPECT_TRUE(ColourNear(Pixel(40, 40), colour, 0)) << "mip filter " << mip;
    }
    // Half a level down from the largest: linear mip filtering weighs levels 0 and 1 (its green texel) evenly,
    // point takes level 0.
    Tss(0, TextureStageState::MipMapLodBias, FloatBits(4.5f)); // 64 pixels over 4 texels: level -4, +4.5
    for (auto [mip, colour] : {std::pair{TextureFilter::Point, 0xFFFF0000u}, {TextureFilter::Linear, 0xFF808000u}})
    {
        Tss(0, TextureStageState::MipFilter, mip);
        ASSERT_OK(DrawFull(0xFFFFFFFFu));
        EXPECT_TRUE(ColourNear(Pixel(8, 32), colour, 2)) << "mip filter " << mip;
    }
    Tss(0, TextureStageState::MipMapLodBias, 0);
    // A level bias of -2 brings it back to the largest level.
    Tss(0, TextureStageState::MipFilter, TextureFilter::Point);
    Tss(0, TextureStageState::MipMapLodBias, FloatBits(-2.0f));
    ASSERT_OK(DrawRect(40, 40, 41, 41, 0xFFFFFFFFu));
    EXPECT_TRUE(ColourNear(Pixel(40, 40), 0xFFFF0000u, 0));
    Tss(0, TextureStageState::MipMapLodBias, 0);

    // A texture with fewer levels than a full chain is still whole: its own levels are drawn.
    TexturePtr partial;
    ASSERT_OK(m_device->CreateTexture(4, 4, 2, 0, PixelFormat::A8R8G8B8, Pool::Managed, &partial));
    for (uint32_t level = 0; level < 2; ++level)
    {
        LockedRect locked;
        ASSERT_OK(partial->LockRect(level, &locked, nullptr, 0));
        for (uint32_t y = 0; y < (4u >> level); ++y)
            std::fill_n(reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + y * locked.pitch), 4u >> level,
                        colours[level]);
        ASSERT_OK(partial->UnlockRect(level));
    }
    ASSERT_OK(m_device->SetTexture(0, partial.get()));
    ASSERT_OK(DrawFull(0xFFFFFFFFu));
    EXPECT_TRUE(ColourNear(Pixel(8, 32), colours[0], 0));
}

// Outside 0..1 a bordered stage samples the border colour; a clamped one the edge texel.
TEST_F(GLDeviceTest, BorderAndClampAddressing)
{
    const uint32_t texel = 0xFFFF0000u;
    TexturePtr texture = MakeTexture(1, 1, PixelFormat::A8R8G8B8, &texel);
    ASSERT_OK(m_device->SetTexture(0, texture.get()));
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Texture);
    Tss(0, TextureStageState::BorderColour, 0xFF0000FFu);
    std::vector<ScreenVertex> v = Quad(-0.5f, -0.5f, 63.5f, 63.5f, 0xFFFFFFFFu);
    for (ScreenVertex& vertex : v)
    {
        vertex.u = vertex.u * 4.0f - 1.5f; // u and v from -1.5 to 2.5
        vertex.v = vertex.v * 4.0f - 1.5f;
    }
    ASSERT_OK(m_device->SetVertexShader(kScreenFvf));
    for (auto [address, outside] :
         {std::pair{TextureAddress::Border, 0xFF0000FFu}, {TextureAddress::Clamp, 0xFFFF0000u}})
    {
        Tss(0, TextureStageState::AddressU, address);
        Tss(0, TextureStageState::AddressV, address);
        ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v.data(), sizeof(ScreenVertex)));
        std::vector<uint32_t> pixels = Frame();
        // Left of u = 0, above v = 0, and inside both (24 is 0.0 .. 1.0 after 16 .. 32).
        for (auto [x, y, colour] : {std::tuple{2u, 24u, outside}, {24u, 2u, outside}, {24u, 24u, 0xFFFF0000u}})
            EXPECT_TRUE(ColourNear(pixels[y * kSize + x], colour, 1))
                << "address " << address << " at " << x << "," << y;
    }
}

// Stage 0 combines a texel T = (F0, 80, 20, alpha C0), the vertex colour D = (40, 80, C0, alpha 40) and the texture
// factor F = (10, 20, 30, alpha 80) by each operation's formula, worked out per channel.
TEST_F(GLDeviceTest, CombinerOperationsFollowTheirFormulas)
{
    const uint32_t texel = 0xC0F08020u, diffuse = 0x404080C0u;
    TexturePtr texture = MakeTexture(1, 1, PixelFormat::A8R8G8B8, &texel);
    ASSERT_TRUE(texture);
    Rs(RenderState::TextureFactor, 0x80102030u);
    Tss(0, TextureStageState::AlphaOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::AlphaArg1, TextureArg::Texture);
    const struct
    {
        const char* name;
        uint32_t op, arg1, arg2, expected;
    } cases[] = {
        {"complement", TextureOp::SelectArg1, TextureArg::Texture | TextureArg::Complement, 0, 0x0F7FDF},
        {"alpha replicated", TextureOp::SelectArg1, TextureArg::Diffuse | TextureArg::AlphaReplicate, 0, 0x404040},
        {"second argument", TextureOp::SelectArg2, TextureArg::Texture, TextureArg::TFactor, 0x102030},
        // T - D, clamped at 0
        {"subtract", TextureOp::Subtract, TextureArg::Texture, TextureArg::Diffuse, 0xB00000},
        // T + D - 128
        {"add signed", TextureOp::AddSigned, TextureArg::Texture, TextureArg::Diffuse, 0xB08060},
        // 2 T D / 255: F0 x 40 x 2 = 120, 80 x 80 x 2 = 128, 20 x C0 x 2 = 48
        {"modulate 2x", TextureOp::Modulate2x, TextureArg::Texture, TextureArg::Diffuse, 0x788030},
        // 4 T D / 255, clamped: F0 x 40 x 4 = 241, 80 x 80 x 4 = 257, 20 x C0 x 4 = 96
        {"modulate 4x", TextureOp::Modulate4x, TextureArg::Texture, TextureArg::Diffuse, 0xF1FF60},
        // T a + F (1 - a): a = 40 / FF, C0 / FF and 80 / FF
        {"blend by diffuse alpha", TextureOp::BlendDiffuseAlpha, TextureArg::Texture, TextureArg::TFactor, 0x48382C},
        {"blend by texture alpha", TextureOp::BlendTextureAlpha, TextureArg::Texture, TextureArg::TFactor, 0xB96824},
        {"blend by factor alpha", TextureOp::BlendFactorAlpha, TextureArg::Texture, TextureArg::TFactor, 0x805028},
    };
    ASSERT_OK(m_device->SetTexture(0, texture.get()));
    for (const auto& c : cases)
    {
        Tss(0, TextureStageState::ColourOp, c.op);
        Tss(0, TextureStageState::ColourArg1, c.arg1);
        Tss(0, TextureStageState::ColourArg2, c.arg2);
        ASSERT_OK(DrawFull(diffuse));
        EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFF000000u | c.expected, 2)) << c.name;
    }
    // At stage 1 the diffuse alpha (40) weighs the texel against the previous stage (the factor): as at stage 0.
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::TFactor);
    ASSERT_OK(m_device->SetTexture(1, texture.get()));
    Tss(1, TextureStageState::ColourOp, TextureOp::BlendDiffuseAlpha);
    Tss(1, TextureStageState::ColourArg1, TextureArg::Texture);
    Tss(1, TextureStageState::ColourArg2, TextureArg::Current);
    Tss(1, TextureStageState::AlphaOp, TextureOp::SelectArg1);
    Tss(1, TextureStageState::AlphaArg1, TextureArg::Current);
    Tss(1, TextureStageState::TexCoordIndex, 0);
    ASSERT_OK(DrawFull(diffuse));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFF48382Cu, 2));
    Tss(1, TextureStageState::ColourOp, TextureOp::Disable);

    // An alpha operation that is off passes the vertex alpha (40) on, not the texel's (C0).
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Texture);
    Tss(0, TextureStageState::AlphaOp, TextureOp::Disable);
    ASSERT_OK(DrawFull(diffuse));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0x40F08020u, 2, true));

    // Without a texture the stage still runs, on white: the texture times the vertex colour is the vertex colour, and
    // a new factor shows at the next draw.
    ASSERT_OK(m_device->SetTexture(0, nullptr));
    Tss(0, TextureStageState::ColourOp, TextureOp::Modulate);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Texture);
    Tss(0, TextureStageState::ColourArg2, TextureArg::Diffuse);
    ASSERT_OK(DrawFull(diffuse));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), diffuse, 1));
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::TFactor);
    for (uint32_t factor : {0xFF102030u, 0xFF706050u})
    {
        Rs(RenderState::TextureFactor, factor);
        ASSERT_OK(DrawFull(diffuse));
        EXPECT_TRUE(ColourNear(Pixel(32, 32), factor, 1));
    }
}

TEST_F(GLDeviceTest, FlatShadingAndFogFromTheSpecularAlphaOfScreenVertices)
{
    UseVertexColour();
    // Flat shading gives the whole triangle its first vertex's colour; Gouraud blends towards the others.
    ScreenVertex tri[3] = {
        {0, 0, 0.5f, 1, 0xFFFF0000u, 0, 0}, {64, 0, 0.5f, 1, 0xFF00FF00u, 0, 0}, {0, 64, 0.5f, 1, 0xFF0000FFu, 0, 0}};
    ASSERT_OK(m_device->SetVertexShader(kScreenFvf));
    for (auto [mode, near] : {std::pair{ShadeMode::Flat, 0xFFFF0000u}, {ShadeMode::Gouraud, 0xFF0000FFu}})
    {
        Rs(RenderState::ShadeMode, mode);
        ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleList, 1, tri, sizeof(ScreenVertex)));
        EXPECT_TRUE(ColourNear(Pixel(1, 61), near, 24)) << "shade mode " << mode; // next to the blue corner
    }
    Rs(RenderState::ShadeMode, ShadeMode::Gouraud);

    // A point 4 pixels wide round (40, 40) covers 38..41 each way.
    ClearTo(0xFF000000u);
    Rs(RenderState::PointSize, FloatBits(4.0f));
    ScreenVertex point = {40, 40, 0.5f, 1, 0xFFFFFFFFu, 0, 0};
    ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::PointList, 1, &point, sizeof(ScreenVertex)));
    EXPECT_EQ(Pixel(38, 38), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(41, 41), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(42, 40), 0xFF000000u);

    // Screen-space vertices take their fog factor from the specular alpha: 40 / FF of white, the rest green.
    struct FoggedVertex
    {
        float x, y, z, rhw;
        uint32_t diffuse, specular;
    };
    auto quad = [](uint32_t specular)
    {
        return std::vector<FoggedVertex>{{-0.5f, -0.5f, 0.5f, 1, 0xFFFFFFFFu, specular},
                                         {63.5f, -0.5f, 0.5f, 1, 0xFFFFFFFFu, specular},
                                         {-0.5f, 63.5f, 0.5f, 1, 0xFFFFFFFFu, specular},
                                         {63.5f, 63.5f, 0.5f, 1, 0xFFFFFFFFu, specular}};
    };
    Rs(RenderState::FogColour, 0x0000FF00u);
    ASSERT_OK(m_device->SetVertexShader(Fvf::XYZRHW | Fvf::Diffuse | Fvf::Specular));
    std::vector<FoggedVertex> unfogged = quad(0x40000000u);
    ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, unfogged.data(), sizeof(FoggedVertex)));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFFFFFFFFu, 0)); // fog off
    // With specular on, the specular colour adds to the diffuse one: (40, 40, 40) + (20, 40, 80).
    Rs(RenderState::SpecularEnable, 1);
    std::vector<FoggedVertex> shiny = quad(0x40204080u);
    for (FoggedVertex& vertex : shiny)
        vertex.diffuse = 0xFF404040u;
    ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, shiny.data(), sizeof(FoggedVertex)));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFF6080C0u, 1));
    Rs(RenderState::SpecularEnable, 0);
    Rs(RenderState::FogEnable, 1);
    for (auto [specular, expected] : {std::pair{0x40000000u, 0xFF40FF40u}, {0xFF000000u, 0xFFFFFFFFu}})
    {
        std::vector<FoggedVertex> v = quad(specular);
        ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v.data(), sizeof(FoggedVertex)));
        for (uint32_t at : {1u, 32u, 62u})
            EXPECT_TRUE(ColourNear(Pixel(at, at), expected, 2)) << std::hex << "specular " << specular << " at " << at;
    }
    // Transformed vertices right after take their fog from their depth again: linear 0..10 at 5 is half green.
    Rs(RenderState::FogVertexMode, FogMode::Linear);
    Rs(RenderState::FogStart, FloatBits(0.0f));
    Rs(RenderState::FogEnd, FloatBits(10.0f));
    UseOrthoCamera();
    ASSERT_OK(m_device->SetVertexShader(Fvf::XYZ | Fvf::Diffuse));
    ColourVertex deep[4] = {
        {-1, 1, 5, 0xFFFFFFFFu}, {1, 1, 5, 0xFFFFFFFFu}, {-1, -1, 5, 0xFFFFFFFFu}, {1, -1, 5, 0xFFFFFFFFu}};
    ASSERT_OK(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, deep, sizeof(ColourVertex)));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), Rgb(0.5f, 1.0f, 0.5f), 2));
}

// Parts of lights and materials: a light's own ambient, a point light at the index of an earlier spot light,
// and a material untouched by the vertex colours of unlit draws in between.
TEST_F(GLDeviceTest, LightsAndMaterialsKeepEveryPart)
{
    // The camera stands at x = -5 looking along +x; the quad lies in the plane x = 0 facing it.
    ASSERT_OK(m_device->SetTransform(TransformType::View, MatrixLookAtLH({-5, 0, 0}, {0, 0, 0}, {0, 1, 0})));
    ASSERT_OK(m_device->SetTransform(TransformType::Projection, MatrixOrthoLH(4.0f, 4.0f, 0.1f, 20.0f)));
    Rs(RenderState::ZEnable, 0); // every draw shows, whatever its depth
    MaterialDesc material;
    material.diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
    material.ambient = {1.0f, 0.5f, 0.0f, 1.0f};
    ASSERT_OK(m_device->SetMaterial(material));
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Diffuse);
    struct LitVertex
    {
        float x, y, z, nx, ny, nz;
    };
    LitVertex quad[4] = {{0, 2, 2, -1, 0, 0}, {0, 2, -2, -1, 0, 0}, {0, -2, 2, -1, 0, 0}, {0, -2, -2, -1, 0, 0}};
    auto drawLit = [&]
    {
        Rs(RenderState::Lighting, 1);
        EXPECT_EQ(m_device->SetVertexShader(Fvf::XYZ | Fvf::Normal), GfxResult::Ok);
        EXPECT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(LitVertex)), GfxResult::Ok);
        return Pixel(32, 32);
    };
    // A spot light narrowly pointed away leaves the quad dark, its ambient part too.
    LightDesc light;
    light.type = LightType::Spot;
    light.position = {-1000, 0, 0};
    light.direction = {0, 1, 0};
    light.phi = light.theta = 0.2f;
    light.attenuation0 = 1.0f;
    light.diffuse = {1, 1, 0.5f, 1};
    light.ambient = {0.25f, 0.25f, 0.25f, 1};
    ASSERT_OK(m_device->SetLight(0, light));
    ASSERT_OK(m_device->LightEnable(0, true));
    EXPECT_TRUE(ColourNear(drawLit(), Rgb(0.0f, 0.0f, 0.0f), 2));
    // The same light as a point far in front: its ambient (0.25) times the material's (1, 0.5, 0), plus its diffuse
    // (1, 1, 0.5) times the material's (0.5) in full (N . L = 1).
    const uint32_t lit = Rgb(0.75f, 0.625f, 0.25f);
    const LightDesc spot = light;
    light.type = LightType::Point;
    ASSERT_OK(m_device->SetLight(0, light));
    EXPECT_TRUE(ColourNear(drawLit(), lit, 2));
    // Attenuated by distance: 1 / (1 + 0.001 x 1000), 1 / (1 + 0.000001 x 1000^2) or 1 / 2, a half each way.
    for (auto [constant, linear, quadratic] :
         {std::tuple{1.0f, 0.001f, 0.0f}, {1.0f, 0.0f, 0.000001f}, {2.0f, 0.0f, 0.0f}})
    {
        light.attenuation0 = constant;
        light.attenuation1 = linear;
        light.attenuation2 = quadratic;
        ASSERT_OK(m_device->SetLight(0, light));
        EXPECT_TRUE(ColourNear(drawLit(), Rgb(0.375f, 0.3125f, 0.125f), 2))
            << constant << " " << linear << " " << quadratic;
    }
    light.attenuation0 = 1.0f;
    light.attenuation1 = light.attenuation2 = 0.0f;
    // A directional light at the index of a spot light, shining along +x onto the quad: the same.
    ASSERT_OK(m_device->SetLight(0, spot));
    EXPECT_TRUE(ColourNear(drawLit(), Rgb(0.0f, 0.0f, 0.0f), 2));
    light.type = LightType::Directional;
    light.direction = {1, 0, 0};
    ASSERT_OK(m_device->SetLight(0, light));
    EXPECT_TRUE(ColourNear(drawLit(), lit, 2));
    // Switched off and on again.
    ASSERT_OK(m_device->LightEnable(0, false));
    EXPECT_TRUE(ColourNear(drawLit(), 0xFF000000u, 0));
    ASSERT_OK(m_device->LightEnable(0, true));
    EXPECT_TRUE(ColourNear(drawLit(), lit, 2));
    // Lit geometry still follows the world transform: 3 units up leaves the lower half of the view empty.
    ASSERT_OK(m_device->SetTransform(TransformType::World, MatrixTranslation(0.0f, 3.0f, 0.0f)));
    ClearTo(0xFF000000u);
    EXPECT_TRUE(ColourNear(drawLit(), 0xFF000000u, 0));
    EXPECT_TRUE(ColourNear(Pixel(32, 4), lit, 2));
    // So it does when a light is given again after the world moved (the lights are placed under the view alone).
    ASSERT_OK(m_device->SetLight(0, light));
    ClearTo(0xFF000000u);
    EXPECT_TRUE(ColourNear(drawLit(), 0xFF000000u, 0));
    EXPECT_TRUE(ColourNear(Pixel(32, 4), lit, 2));
    ASSERT_OK(m_device->SetTransform(TransformType::World, MatrixIdentity()));
    // Normals twice as long light twice as much unless they are normalised: red and green saturate.
    for (LitVertex& vertex : quad)
        vertex.nx = -2.0f;
    EXPECT_TRUE(ColourNear(drawLit(), Rgb(1.0f, 1.0f, 0.5f), 2));
    Rs(RenderState::NormalizeNormals, 1);
    EXPECT_TRUE(ColourNear(drawLit(), lit, 2));
    // Unlit vertex colours in between do not reach the material.
    Rs(RenderState::Lighting, 0);
    ASSERT_OK(DrawFull(0xFF00FFFFu));
    EXPECT_TRUE(ColourNear(Pixel(32, 32), 0xFF00FFFFu, 0)); // screen vertices ignore the camera
    EXPECT_TRUE(ColourNear(drawLit(), lit, 2));
    // An emissive part adds to everything else.
    material.emissive = {0.0f, 0.0f, 0.5f, 1.0f};
    ASSERT_OK(m_device->SetMaterial(material));
    EXPECT_TRUE(ColourNear(drawLit(), Rgb(0.75f, 0.625f, 0.75f), 2));
    material.emissive = {};
    // Specular (0.25, power 128) with the light straight from the eye: seen from infinitely far, the half vector is
    // the normal and the highlight full; seen from the eye 5 away, the corners' half vectors are 14.8 degrees off
    // (cos^128 = 0.014) and it is all but gone.
    material.specular = {0.25f, 0.25f, 0.25f, 1.0f};
    material.power = 128.0f;
    ASSERT_OK(m_device->SetMaterial(material));
    light.specular = {1, 1, 1, 1};
    ASSERT_OK(m_device->SetLight(0, light));
    Rs(RenderState::SpecularEnable, 1);
    Rs(RenderState::LocalViewer, 0);
    EXPECT_TRUE(ColourNear(drawLit(), Rgb(1.0f, 0.875f, 0.5f), 2));
    Rs(RenderState::LocalViewer, 1);
    EXPECT_TRUE(ColourNear(drawLit(), lit, 3));
}

// Contexts without sampler objects keep the sampling in each texture: a texture used under one stage's filter and
// then another's shows each in turn, whichever textures came between.
TEST_F(GLDeviceTest, WithoutSamplerObjectsEachTextureCarriesItsSampling)
{
    struct SamplersOff
    {
        explicit SamplersOff(IDevice& device) : device(device), was(Gl().samplers) { Gl().samplers = false; }
        ~SamplersOff()
        {
            Gl().samplers = was;
            device.Reset(device.GetPresentParams());
        }
        IDevice& device;
        bool was;
    } off(*m_device);
    ASSERT_OK(m_device->EndScene());
    ASSERT_OK(m_device->Reset(m_device->GetPresentParams()));
    ASSERT_OK(m_device->BeginScene());
    ASSERT_OK(m_device->Clear(0, nullptr, ClearFlags::Target | ClearFlags::ZBuffer, 0xFF000000u, 1.0f, 0));
    const uint32_t halves[2] = {0xFFFF0000u, 0xFF00FF00u}, blue = 0xFF0000FFu;
    TexturePtr split = MakeTexture(2, 1, PixelFormat::A8R8G8B8, halves);
    TexturePtr plain = MakeTexture(1, 1, PixelFormat::A8R8G8B8, &blue);
    Tss(0, TextureStageState::ColourOp, TextureOp::SelectArg1);
    Tss(0, TextureStageState::ColourArg1, TextureArg::Texture);
    Tss(0, TextureStageState::AddressU, TextureAddress::Clamp);
    // Pixel 32 samples u = 32.5 / 64, texel coordinate 1.016: point sampling takes the green texel, linear sampling
    // 0.516 of it and 0.484 of the red one.
    const uint32_t mixed = Rgb(0.484f, 0.516f, 0.0f);
    const struct
    {
        ITexture* texture;
        uint32_t filter, expected;
    } steps[] = {
        {split.get(), TextureFilter::Point, 0xFF00FF00u},  {split.get(), TextureFilter::Linear, mixed},
        {plain.get(), TextureFilter::Point, 0xFF0000FFu},  {split.get(), TextureFilter::Point, 0xFF00FF00u},
        {plain.get(), TextureFilter::Linear, 0xFF0000FFu}, {split.get(), TextureFilter::Linear, mixed},
    };
    for (const auto& step : steps)
    {
        ASSERT_OK(m_device->SetTexture(0, step.texture));
        Tss(0, TextureStageState::MinFilter, step.filter);
        Tss(0, TextureStageState::MagFilter, step.filter);
        ASSERT_OK(DrawFull(0xFFFFFFFFu));
        EXPECT_TRUE(ColourNear(Pixel(32, 32), step.expected, 2)) << "filter " << step.filter;
    }
}

} // namespace
