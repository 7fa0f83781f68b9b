// Tests of the renderer's texture table on the recording device: uploads of every format code, the memory
// estimate, mip chains given level by level, sub-regions filtered at the next bind, and read-back.
#include "engine/render/D3DRenderer.h"

#include "TextureTestFiles.h"
#include "platform/gfx/TextureUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace
{

using platform::PixelFormat;
using texturetest::SolidBlocks;
using Op = platform::RecordingDevice::Op;

class RendererTexturesTest : public rendertest::RecordingTest
{
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        hook.config.adapters[0].textureFormats.push_back(PixelFormat::DXT2);
        hook.config.adapters[0].textureFormats.push_back(PixelFormat::DXT4);
        CreateRenderer();
    }

    // Level `level` of the texture as 32-bit pixels.
    std::vector<uint32_t> ReadLevel(int32_t number, uint32_t level)
    {
        platform::ITexture* texture = renderer->GetTexture(number);
        platform::SurfaceDesc desc;
        texture->GetLevelDesc(level, &desc);
        platform::LockedRect locked;
        texture->LockRect(level, &locked, nullptr, platform::LockFlags::ReadOnly);
        std::vector<uint32_t> pixels(static_cast<size_t>(desc.width) * desc.height);
        platform::DecodePixels(desc.format, locked.bits, static_cast<uint32_t>(locked.pitch), desc.width, desc.height,
                               pixels.data());
        texture->UnlockRect(level);
        return pixels;
    }
};

TEST_F(RendererTexturesTest, EveryFormatCodeUploadsAndReadsBack)
{
    // An 8 x 8 image of pure red in each code's own layout reads back as 0xFFFF0000 throughout.
    // clang-format off
    const struct
    {
        uint32_t code;
        PixelFormat format;
        uint32_t texelBytes; // 0: 4 x 4 blocks of blockBytes
        uint32_t red;
        uint32_t blockBytes;
    } cases[] = {
        {1, PixelFormat::A1R5G5B5, 2, 0xFC00, 0}, {2, PixelFormat::R5G6B5, 2, 0xF800, 0},
        {3, PixelFormat::A4R4G4B4, 2, 0xFF00, 0}, {4, PixelFormat::A8R8G8B8, 4, 0xFFFF0000, 0},
        {5, PixelFormat::DXT1, 0, 0xF800, 8},     {6, PixelFormat::DXT2, 0, 0xF800, 16},
        {7, PixelFormat::DXT3, 0, 0xF800, 16},    {8, PixelFormat::DXT4, 0, 0xF800, 16},
        {9, PixelFormat::DXT5, 0, 0xF800, 16},
    };
    // clang-format on
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.code);
        const int32_t number = static_cast<int32_t>(c.code);
        ASSERT_TRUE(renderer->ReserveTexture(8, 8, c.code, number));
        platform::SurfaceDesc desc;
        renderer->GetTexture(number)->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.format, c.format);
        std::vector<uint8_t> image = SolidBlocks(c.blockBytes, c.blockBytes ? 4 : 0, static_cast<uint16_t>(c.red));
        for (uint32_t i = 0; i < 64 * c.texelBytes; ++i)
            image.push_back(static_cast<uint8_t>(c.red >> (8 * (i % c.texelBytes))));
        EXPECT_TRUE(renderer->UpdateTexture(image.data(), 8, 8, c.code, number));
        std::vector<uint32_t> pixels(64, 0);
        ASSERT_TRUE(renderer->ReadTexture(pixels.data(), 64 * 4, number));
        EXPECT_EQ(pixels, std::vector<uint32_t>(64, 0xFFFF0000));
    }

    // A destination of the wrong size is left untouched.
    std::vector<uint32_t> buffer(65, 0xABABABAB);
    EXPECT_FALSE(renderer->ReadTexture(buffer.data(), 65 * 4, 4));
    EXPECT_EQ(buffer, std::vector<uint32_t>(65, 0xABABABAB));
    // A code outside 1 to 9 names no format.
    testsupport::RecordingReportSink sink;
    EXPECT_TRUE(!(renderer->ReserveTexture(8, 8, 10, 20)) && renderer->GetTexture(20) == nullptr);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text.rfind("D3D:ReserveTexture (D3DXCheckTextureRequirements):- ", 0), 0u);
}

TEST_F(RendererTexturesTest, MemoryEstimateCountsRoundedSidesAndFourThirds)
{
    // clang-format off
    const uint32_t cases[][4] = {
        // width, height, code, bytes: sides to powers of two, bits per texel, the chain as 4/3 of level 0.
        {300, 200, 4, 512 * 256 * 32 * 4 / 24}, {64, 64, 5, 64 * 64 * 4 * 4 / 24}, {17, 3, 3, 32 * 4 * 16 * 4 / 24},
    };
    // clang-format on
    const uint32_t start = renderer->GetTextureMemoryEstimate();
    uint32_t total = start;
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_TRUE(renderer->ReserveTexture(cases[i][0], cases[i][1], cases[i][2], 100 + i));
        total += cases[i][3];
        EXPECT_EQ(renderer->GetTextureMemoryEstimate(), total) << i;
    }
    for (int i = 0; i < 3; ++i)
        renderer->ReleaseTexture(100 + i);
    EXPECT_EQ(renderer->GetTextureMemoryEstimate(), start);
}

TEST_F(RendererTexturesTest, MipDataFillsEachLevelFromItsOffsetAndNoFurther)
{
    // DXT1 16 x 16, five levels: the data holds levels of 16, 8, 4, 4 and 4 texels square.
    ASSERT_TRUE(renderer->ReserveTexture(16, 16, 5, 3) && renderer->GetTexture(3)->GetLevelCount() == 5u);
    const uint16_t colours[5] = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000};
    const uint32_t expected[5] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000};
    const uint32_t blocks[5] = {16, 4, 1, 1, 1};
    std::vector<uint8_t> chain;
    for (int level = 0; level < 5; ++level)
    {
        const std::vector<uint8_t> part = SolidBlocks(8, blocks[level], colours[level]);
        chain.insert(chain.end(), part.begin(), part.end());
    }
    // Exactly as long as the chain, on the heap: a read past it is caught.
    auto data = std::make_unique<uint8_t[]>(chain.size());
    std::copy(chain.begin(), chain.end(), data.get());
    EXPECT_TRUE(renderer->UpdateTexture(data.get(), 16, 16, 5, 3, true));
    for (uint32_t level = 0; level < 5; ++level)
        EXPECT_EQ(ReadLevel(3, level).front(), expected[level]) << "level " << level;

    // 32-bit 8 x 8, four levels down to a single texel: 64 + 16 + 4 + 1 pixels.
    ASSERT_TRUE(renderer->ReserveTexture(8, 8, 4, 4) && renderer->GetTexture(4)->GetLevelCount() == 4u);
    const uint32_t sides[4] = {8, 4, 2, 1};
    auto pixels = std::make_unique<uint32_t[]>(85);
    uint32_t* at = pixels.get();
    for (uint32_t level = 0; level < 4; ++level)
        at = std::fill_n(at, sides[level] * sides[level], expected[level]);
    EXPECT_TRUE(renderer->UpdateTexture(pixels.get(), 8, 8, 4, 4, true));
    for (uint32_t level = 0; level < 4; ++level)
        EXPECT_EQ(ReadLevel(4, level), std::vector<uint32_t>(sides[level] * sides[level], expected[level]))
            << "level " << level;
}

TEST_F(RendererTexturesTest, SubRegionIsFilteredOnceAtTheNextBind)
{
    ASSERT_TRUE(renderer->ReserveTexture(8, 8, 4, 5));
    const std::vector<uint32_t> black(64, 0xFF000000);
    renderer->UpdateTexture(black.data(), 8, 8, 4, 5, false);
    // A white 4 x 4 corner: level 1's top-left texel becomes the mean of four of its texels.
    const std::vector<uint32_t> white(16, 0xFFFFFFFF);
    renderer->UpdateTextureSubRegion(white.data(), 4, 4, 0, 0, 4, 5);
    EXPECT_EQ(ReadLevel(5, 1).front(), 0xFF000000u); // not yet filtered
    Device()->ClearLog();
    renderer->SetDeviceTexturePipe(0, 5);
    renderer->ApplyTexturePipes();
    EXPECT_TRUE(ReadLevel(5, 1).front() == 0xFFFFFFFF && ReadLevel(5, 1)[3] == 0xFF000000);
    EXPECT_EQ(Device()->CountOps(Op::ResourceManagerDiscardBytes), 1u);
    // Bound again after no texture: nothing is filtered or trimmed. Number 0 leaves the pipe as it is.
    for (int32_t number : {-1, 5, 0})
    {
        renderer->SetDeviceTexturePipe(0, number);
        renderer->ApplyTexturePipes();
    }
    EXPECT_EQ(Device()->CountOps(Op::ResourceManagerDiscardBytes), 1u);
    EXPECT_EQ(Device()->GetTexture(0), renderer->GetTexture(5));

    // DXT1: 6 x 6 texels are 2 x 2 blocks; written at (4, 4) the partial blocks land whole.
    ASSERT_TRUE(renderer->ReserveTexture(16, 16, 5, 6));
    renderer->UpdateTextureSubRegion(SolidBlocks(8, 4, 0xF800).data(), 6, 6, 4, 4, 5, 6);
    const std::vector<uint32_t> level = ReadLevel(6, 0);
    EXPECT_TRUE(level[4 * 16 + 4] == 0xFFFF0000 && level[11 * 16 + 11] == 0xFFFF0000 &&
                level[3 * 16 + 3] != 0xFFFF0000);
    // 5 x 5 texels at (8, 8) also take 2 x 2 whole blocks: (15, 15) is in the last one.
    renderer->UpdateTextureSubRegion(SolidBlocks(8, 4, 0x07E0).data(), 5, 5, 8, 8, 5, 6);
    const std::vector<uint32_t> green = ReadLevel(6, 0);
    EXPECT_TRUE(green[8 * 16 + 8] == 0xFF00FF00 && green[15 * 16 + 15] == 0xFF00FF00 &&
                green[7 * 16 + 7] == 0xFFFF0000);
}

TEST_F(RendererTexturesTest, UnusableNumbersAndFormatsAreRefusedWithAReport)
{
    // Out of the table or an empty entry: nothing is written (the call still answers true, as for any texture).
    const std::vector<uint32_t> pixels(64, 0xFF000000);
    Device()->ClearLog();
    for (int32_t number : {-1, 5, 100000})
    {
        EXPECT_TRUE(renderer->UpdateTexture(pixels.data(), 8, 8, 4, number, false)) << number;
        EXPECT_TRUE(renderer->UpdateTexture(pixels.data(), 8, 8, 4, number)) << number;
    }
    void* bits = &bits;
    int32_t pitch = 7;
    renderer->LockTexture(100000, &bits, &pitch);
    EXPECT_TRUE(bits == nullptr && pitch == 0);
    renderer->UnlockTexture(100000);
    EXPECT_FALSE(renderer->ReserveTexture(8, 8, 4, 100000));
    EXPECT_TRUE(renderer->UpdateTextureSubRegion(pixels.data(), 2, 2, 0, 0, 4, 100000));
    renderer->ReleaseTexture(100000);
    EXPECT_TRUE(Device()->ops.empty() && renderer->GetTexture(100000) == nullptr);

    // An adapter without 32-bit or 4-bit-alpha textures: neither the format nor its fallback fits.
    testsupport::RecordingReportSink sink;
    hook.config.adapters[0].textureFormats = {PixelFormat::R5G6B5};
    renderer->Release();
    CreateRenderer();
    EXPECT_FALSE(renderer->ReserveTexture(8, 8, 4, 5));
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text.rfind("D3D:ReserveTexture (D3DXCheckTextureRequirements):- ", 0), 0u);
}

TEST_F(RendererTexturesTest, SubRegionIsConvertedIntoATextureOfAnotherFormat)
{
    // Without 32-bit textures the 32-bit image lives in 4-bit channels; a 2 x 2 region at (2, 2) keeps its layout.
    hook.config.adapters[0].textureFormats = {PixelFormat::A4R4G4B4};
    renderer->Release();
    CreateRenderer();
    ASSERT_TRUE(renderer->ReserveTexture(4, 4, 4, 3));
    const std::vector<uint32_t> black(16, 0xFF000000);
    renderer->UpdateTexture(black.data(), 4, 4, 4, 3);
    const uint32_t region[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    ASSERT_TRUE(renderer->UpdateTextureSubRegion(region, 2, 2, 2, 2, 4, 3));
    const std::vector<uint32_t> level = ReadLevel(3, 0);
    EXPECT_TRUE(level[2 * 4 + 2] == 0xFFFF0000u && level[2 * 4 + 3] == 0xFF00FF00u && level[3 * 4 + 2] == 0xFF0000FFu);
    EXPECT_TRUE(level[3 * 4 + 3] == 0xFFFFFFFFu && level[1 * 4 + 1] == 0xFF000000u);
}

TEST_F(RendererTexturesTest, ATextureWrittenThroughALockIsFilteredOnceByTheChangedPass)
{
    const std::vector<uint32_t> black(64, 0xFF000000);
    for (int32_t number : {5, 6})
    {
        ASSERT_TRUE(renderer->ReserveTexture(8, 8, 4, number));
        renderer->UpdateTexture(black.data(), 8, 8, 4, number, false);
    }
    Device()->ClearLog();
    renderer->RebuildChangedTextures(); // nothing written since the upload: no level is touched
    EXPECT_TRUE(Device()->CountOps(Op::LockTexture) == 0u && Device()->CountOps(Op::ResourceManagerDiscardBytes) == 1u);

    // Texture 6's level 0 turned white through the renderer's lock.
    void* bits = nullptr;
    int32_t pitch = 0;
    renderer->LockTexture(6, &bits, &pitch);
    ASSERT_NE(bits, nullptr);
    for (int row = 0; row < 8; ++row)
        std::fill_n(reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(bits) + row * pitch), 8, 0xFFFFFFFFu);
    renderer->UnlockTexture(6);
    renderer->RebuildChangedTextures();
    EXPECT_EQ(ReadLevel(6, 1), std::vector<uint32_t>(16, 0xFFFFFFFF));
    EXPECT_EQ(ReadLevel(6, 3), std::vector<uint32_t>(1, 0xFFFFFFFF));
    EXPECT_EQ(ReadLevel(5, 1), std::vector<uint32_t>(16, 0xFF000000));
    Device()->ClearLog();
    renderer->RebuildChangedTextures(); // done once: the flag is gone
    EXPECT_EQ(Device()->CountOps(Op::LockTexture), 0u);
}

} // namespace
