// Test helpers for the fonts: generated font files and glyph textures, and the textured quads that text drawing
// sends through the global graphics manager on the recording device.
#pragma once

#include "engine/render/D3DRenderer.h"
#include "engine/render/Font.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/TextureManager.h"
#include "tests/engine/render/RenderTestSupport.h"
#include "tests/engine/render/TextureTestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fonttest
{

inline void PutLE(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A size x size TGA, every texel `argb`.
inline void WriteTga(const std::string& path, int size, uint32_t argb)
{
    testsupport::WriteBytes(path, texturetest::MakeTGA(size, size, std::vector<uint32_t>(size_t(size) * size, argb)));
}

// The three files of a game font; a size of 0 writes an empty file, which reads as a missing one.
struct FontFiles
{
    uint32_t height = 10;
    uint32_t secondValue = 0;
    std::vector<GlyphRect> rects = std::vector<GlyphRect>(Font::kGlyphCount);
    std::vector<int8_t> kerning = std::vector<int8_t>(Font::kKerningSize);
    size_t texCoordBytes = Font::kTexCoordSize;
    size_t kerningBytes = Font::kKerningSize;

    void Write(const std::string& root, const std::string& name) const
    {
        const std::string base = root + "/Data/Fonts/" + name;
        std::filesystem::create_directories(root + "/Data/Fonts");
        std::vector<uint8_t> table;
        PutLE(table, height, 4);
        PutLE(table, secondValue, 4);
        for (const GlyphRect& r : rects)
            for (uint16_t v : {r.m_uLeft, r.m_uTop, r.m_uRight, r.m_uBottom})
                PutLE(table, v, 2);
        table.resize(texCoordBytes);
        testsupport::WriteBytes(base + "TexCoord.Dat", table);
        std::vector<uint8_t> pairs(kerning.begin(), kerning.end());
        pairs.resize(kerningBytes);
        testsupport::WriteBytes(base + ".Dat", pairs);
        WriteTga(base + ".tga", 64, 0xFFFFFFFF);
    }
};

// One textured quad as the batch drew it: corners, texture coordinates, colour and device texture.
struct Quad
{
    float x0, y0, x1, y1, u0, v0, u1, v1;
    uint32_t colour;
    const void* texture;
};

// The global graphics manager on the recording device in a 2D pass, the texture manager started, in a temporary
// folder.
class FontDrawTest : public rendertest::RecordingTest
{
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        g_GraphicsManager.Create(RendererSettings{}, nullptr);
        g_TextureManager.Init();
        g_GraphicsManager.BeginFrame(0);
        g_GraphicsManager.Begin2D();
    }

    void TearDown() override
    {
        g_GraphicsManager.EndFrame();
        g_TextureManager.Shutdown();
        g_GraphicsManager.Shutdown();
        RecordingTest::TearDown();
    }

    // Draws the pending batch and returns the textured quads drawn since the last call, in order.
    std::vector<Quad> Quads()
    {
        g_GraphicsManager.BeginBatch(BATCH_NONE, 0, 1);
        auto* device = static_cast<platform::RecordingDevice*>(
            static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer())->GetDevice());
        std::vector<Quad> quads;
        for (const auto& draw : device->draws)
        {
            if (draw.stride != sizeof(TexturedVertex))
                continue;
            EXPECT_TRUE(draw.inScene);
            std::vector<TexturedVertex> v(draw.vertexBytes.size() / sizeof(TexturedVertex));
            std::memcpy(v.data(), draw.vertexBytes.data(), v.size() * sizeof(TexturedVertex));
            // Gathered per index: a quad's six indices are corners 0, 1, 2, 0, 2, 3.
            for (size_t i = 0; i + 5 < v.size(); i += 6)
                quads.push_back({v[i].x, v[i].y, v[i + 2].x, v[i + 2].y, v[i].u, v[i].v, v[i + 2].u, v[i + 2].v,
                                 v[i].colour, draw.textures[0]});
        }
        device->ClearLog();
        return quads;
    }
};

} // namespace fonttest
