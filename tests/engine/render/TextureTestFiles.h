// Test helpers for the textures: tiny TGA, DDS and DDT files and DXT blocks, and a texture manager on the
// recording device's graphics manager in a temporary folder.
#pragma once

#include "RenderTestSupport.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/TextureManager.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace texturetest
{

inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Appends bytes one at a time (GCC 12 misreads a range insert into a freshly sized vector as out of bounds).
inline void AppendBytes(std::vector<uint8_t>& b, const uint8_t* first, const uint8_t* last)
{
    // Grow geometrically: an exact reserve per call would copy the whole buffer every time.
    const size_t needed = b.size() + static_cast<size_t>(last - first);
    if (needed > b.capacity())
        b.reserve(std::max(needed, 2 * b.capacity()));
    for (; first != last; ++first)
        b.push_back(*first);
}

inline void AppendPixels(std::vector<uint8_t>& b, const std::vector<uint32_t>& argb)
{
    for (uint32_t p : argb)
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<uint8_t>(p >> (8 * i)));
}

// Opaque 4 x 4 blocks of one 5-6-5 colour: 8 bytes (DXT1) or 16 (DXT2 to DXT5, every alpha bit set, which is
// alpha 0xF explicit or index 7 between equal end points: 0xFF either way).
inline std::vector<uint8_t> SolidBlocks(uint32_t blockBytes, uint32_t count, uint16_t colour)
{
    std::vector<uint8_t> data;
    for (uint32_t b = 0; b < count; ++b)
    {
        data.resize(data.size() + blockBytes - 8, 0xFF);
        const uint8_t colourBlock[8] = {static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8)};
        AppendBytes(data, colourBlock, colourBlock + 8);
    }
    return data;
}

// An uncompressed 32-bit true-colour TGA, rows stored top first.
inline std::vector<uint8_t> MakeTGA(uint32_t width, uint32_t height, const std::vector<uint32_t>& argb)
{
    std::vector<uint8_t> b(18, 0);
    b[2] = 2;
    Put32(b, 12, width | height << 16);
    b[16] = 32;
    b[17] = 0x28;
    AppendPixels(b, argb);
    return b;
}

// A DDS of one level: "DXT1"/"DXT3"/"DXT5" blocks, or 32-bit RGB when fourCC is null.
inline std::vector<uint8_t> MakeDDS(uint32_t width, uint32_t height, const char* fourCC,
                                    const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> b(128, 0);
    Put32(b, 0, 0x20534444); // "DDS "
    Put32(b, 12, height);
    Put32(b, 16, width);
    Put32(b, 80, fourCC ? 0x4 : 0x40);
    if (fourCC)
        std::copy(fourCC, fourCC + 4, b.begin() + 84);
    Put32(b, 88, 32);
    Put32(b, 108, 0x1000);
    AppendBytes(b, data.data(), data.data() + data.size());
    return b;
}

struct DDTSpec
{
    uint32_t format = 4;
    uint32_t width = 8;
    uint32_t height = 8;
    uint32_t levels = 1;
    int32_t margins[4] = {}; // left, right, top, bottom
    uint8_t ownPage = 1;
};

// A DDT with an empty level table (the reader computes it) and average colour 0xFF112233, then `data`.
inline std::vector<uint8_t> MakeDDT(const DDTSpec& spec, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> b(328, 0);
    b[0] = 1;
    Put32(b, 8, spec.format);
    Put32(b, 20, spec.width);
    Put32(b, 24, spec.height);
    for (int i = 0; i < 4; ++i)
        Put32(b, 28 + 4 * i, static_cast<uint32_t>(spec.margins[i]));
    b[44] = spec.ownPage;
    Put32(b, 60, spec.levels);
    Put32(b, 320, static_cast<uint32_t>(data.size()));
    Put32(b, 324, 0xFF112233);
    AppendBytes(b, data.data(), data.data() + data.size());
    return b;
}

// 32-bit pixel data of levels as the DDT reader's table lays them out (each side rounded up to a multiple of 4,
// halved, at least 4); level i filled with colours[i].
inline std::vector<uint8_t> ChainPixels(uint32_t width, uint32_t height, const std::vector<uint32_t>& colours)
{
    std::vector<uint8_t> b;
    for (uint32_t colour : colours)
    {
        AppendPixels(b, std::vector<uint32_t>(static_cast<size_t>(width) * height, colour));
        width = std::max((width + 3) / 4 * 4 / 2, 4u);
        height = std::max((height + 3) / 4 * 4 / 2, 4u);
    }
    return b;
}

// The graphics manager on the recording device with the texture manager started at the best texture quality
// (reduction level 0); files go under the test's folder.
class TextureTest : public rendertest::RecordingTest
{
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        g_GraphicsManager.Create(RendererSettings{}, nullptr);
        VideoSettings video;
        video.m_uTextureQuality = 4;
        g_GraphicsManager.ApplyVideoSettings(video);
        g_TextureManager.Init(TextureManager::kDefaultSlotCount);
    }

    void TearDown() override
    {
        g_TextureManager.Shutdown();
        g_TextureManager.SetTextureBank(nullptr);
        g_GraphicsManager.Shutdown();
        RecordingTest::TearDown();
    }

    D3DRenderer& Renderer() { return *static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer()); }

    void Write(const std::string& path, const std::vector<uint8_t>& bytes)
    {
        const std::filesystem::path full = std::filesystem::path(dir.Path()) / path;
        std::filesystem::create_directories(full.parent_path());
        testsupport::WriteBytes(full.string(), bytes);
    }

    std::string TexLogText() { return testsupport::ReadText(dir.File("TexLog.txt")); }
};

} // namespace texturetest
