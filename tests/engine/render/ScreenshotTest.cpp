// Tests of the screenshot code: the format by extension, the RGB conversion, JPEG results and 16-bit read-back.
#include "engine/render/Screenshot.h"
#include "tests/platform/image/ImageTestReaders.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace imagetest;
using platform::PixelFormat;

namespace
{

TEST(ScreenshotTest, ExtensionAfterTheFirstPointChoosesTheFormat)
{
    const std::pair<const char*, ScreenshotFileType> cases[] = {
        {"shot.jpg", ScreenshotFileType::JPG}, {"shot.JPG", ScreenshotFileType::JPG},
        {"shot.Jpg", ScreenshotFileType::JPG}, {"SHOT.DdS", ScreenshotFileType::DDS},
        {"shot.bmp", ScreenshotFileType::BMP}, {"shot.jpeg", ScreenshotFileType::None},
        {"shot", ScreenshotFileType::None},    {"shot.y.bmp", ScreenshotFileType::None}, // extension "y.bmp"
        {"shot.", ScreenshotFileType::None},   {nullptr, ScreenshotFileType::None},
    };
    for (const auto& [name, type] : cases)
        EXPECT_EQ(GetScreenshotFileType(name), type) << (name ? name : "null");
}

TEST(ScreenshotTest, EachFormatDecodesBackToThePicture)
{
    testsupport::TempDir tmp;
    const uint32_t w = 56, h = 50;
    const auto picture = MakePicture(w, h);
    Image dds, bmp, jpg;
    ASSERT_TRUE(SaveScreenshotFile(tmp.File("a.dds").c_str(), w, h, picture.data()));
    ASSERT_TRUE(SaveScreenshotFile(tmp.File("b.BMP").c_str(), w, h, picture.data()));
    ASSERT_TRUE(SaveScreenshotFile(tmp.File("c.Jpg").c_str(), w, h, picture.data()));
    ASSERT_TRUE(ReadDds(testsupport::ReadBytes(tmp.File("a.dds")), &dds));
    ASSERT_TRUE(ReadBmp(testsupport::ReadBytes(tmp.File("b.BMP")), &bmp));
    JpegInfo info;
    ASSERT_TRUE(ReadJpeg(testsupport::ReadBytes(tmp.File("c.Jpg")), &jpg, &info));
    EXPECT_EQ(dds.pixels, picture); // A8R8G8B8 surfaces: alpha kept
    EXPECT_EQ(bmp.pixels, picture);
    EXPECT_TRUE(JpegCloseToPicture(jpg, picture));
    EXPECT_EQ(info.lumaDcStep, 3); // quality 90: (16 x (200 - 180) + 50) / 100
}

TEST(ScreenshotTest, JpegTakesRedGreenBlueFromStridedRows)
{
    // 0x80FF8040 becomes the bytes 0xFF, 0x80, 0x40; the pixel after each row is not part of the picture.
    const uint32_t pixels[] = {0x80FF8040, 0x00040506, 0xDEADBEEF, 0x00070809, 0x000A0B0C, 0xDEADBEEF};
    uint8_t rgb[13];
    std::memset(rgb, 0x55, sizeof(rgb));
    ConvertCapturedToRGB(pixels, 2, 2, 3, rgb);
    const uint8_t expected[13] = {0xFF, 0x80, 0x40, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0x55};
    EXPECT_EQ(std::memcmp(rgb, expected, 13), 0);

    // The same through the file: magenta padding pixels after each row must not reach the JPEG.
    testsupport::TempDir tmp;
    const uint32_t w = 56, h = 50, stride = 60;
    const auto picture = MakePicture(w, h);
    std::vector<uint32_t> captured(size_t(stride) * h, 0xFFFF00FFu);
    for (uint32_t y = 0; y < h; ++y)
        std::memcpy(&captured[size_t(y) * stride], &picture[size_t(y) * w], w * 4);
    ASSERT_TRUE(WriteScreenshotJPEG(tmp.File("s.jpg").c_str(), w, h, stride, captured.data()));
    Image img;
    ASSERT_TRUE(ReadJpeg(testsupport::ReadBytes(tmp.File("s.jpg")), &img));
    EXPECT_TRUE(JpegCloseToPicture(img, picture));
    // The encoder's size is the rectangle's, wherever it lies.
    const std::vector<uint8_t> grey(20 * 10 * 3, 0x80);
    ASSERT_TRUE(EncodeJPEGFile(platform::Rect{5, 7, 25, 17}, grey.data(), tmp.File("r.jpg").c_str(), 90));
    ASSERT_TRUE(ReadJpeg(testsupport::ReadBytes(tmp.File("r.jpg")), &img));
    EXPECT_TRUE(img.width == 20u && img.height == 10u);
}

TEST(ScreenshotTest, FailuresReturnFalseAndLeaveNoFile)
{
    testsupport::TempDir tmp;
    const auto p = MakePicture(16, 16);
    const std::vector<uint8_t> rgb(16 * 16 * 3, 0x80);
    testsupport::ScopedCurrentDir cwd(tmp.Path());
    std::filesystem::create_directory("dir.jpg");
    // Unknown extensions, unwritable names (the JPEG path reports its real result), bad sizes and rectangles.
    for (const char* name : {"shot.jpeg", "shot", "shot.y.bmp", "shot.png", "no/folder/shot.jpg", "dir.jpg"})
        EXPECT_FALSE(SaveScreenshotFile(name, 16, 16, p.data())) << name;
    EXPECT_FALSE(WriteScreenshotJPEG("no/folder/shot.jpg", 16, 16, 16, p.data()));
    EXPECT_FALSE(WriteScreenshotJPEG("a.jpg", 16, 16, 15, p.data()));
    EXPECT_FALSE(WriteScreenshotJPEG("a.jpg", 0, 16, 16, p.data()));
    EXPECT_FALSE(WriteScreenshotJPEG("a.jpg", 16, 16, 16, nullptr));
    EXPECT_FALSE(EncodeJPEGFile(platform::Rect{4, 4, 4, 20}, rgb.data(), "a.jpg", 90));
    EXPECT_FALSE(EncodeJPEGFile(platform::Rect{0, 9, 16, 8}, rgb.data(), "a.jpg", 90));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1); // only dir.jpg
}

// 16-bit channels widen by repeating their top bits: a 5-bit c becomes (c << 3) | (c >> 2), a 6-bit c becomes
// (c << 2) | (c >> 4). Worked values: 0xAC03 in R5G6B5 is red 21 -> 0xAD, green 32 -> 0x82, blue 3 -> 0x18;
// 0x061E in x1R5G5B5 is red 1 -> 0x08, green 16 -> 0x84, blue 30 -> 0xF7.
TEST(ScreenshotTest, ReadBackConvertsEveryBufferFormatTo32BitPixels)
{
    struct Case
    {
        PixelFormat format;
        uint32_t value, expected;
    };
    const Case cases[] = {
        {PixelFormat::R5G6B5, 0xF800, 0xFFFF0000},       {PixelFormat::R5G6B5, 0x07E0, 0xFF00FF00},
        {PixelFormat::R5G6B5, 0x001F, 0xFF0000FF},       {PixelFormat::R5G6B5, 0xAC03, 0xFFAD8218},
        {PixelFormat::X1R5G5B5, 0x061E, 0xFF0884F7},     {PixelFormat::X1R5G5B5, 0x861E, 0xFF0884F7},
        {PixelFormat::A1R5G5B5, 0x061E, 0x000884F7},     {PixelFormat::A1R5G5B5, 0xFFFF, 0xFFFFFFFF},
        {PixelFormat::A8R8G8B8, 0x12345678, 0x12345678}, {PixelFormat::X8R8G8B8, 0x00ABCDEF, 0xFFABCDEF},
    };
    for (const Case& c : cases)
    {
        const uint32_t bytes = c.format == PixelFormat::A8R8G8B8 || c.format == PixelFormat::X8R8G8B8 ? 4 : 2;
        // Two rows of three equal pixels, a pitch with 3 bytes of padding, starting at an odd address.
        const uint32_t pitch = 3 * bytes + 3;
        std::vector<uint8_t> src(1 + 2 * pitch, 0xEE);
        for (uint32_t i = 0; i < 6; ++i)
            for (uint32_t b = 0; b < bytes; ++b)
                src[1 + (i / 3) * pitch + (i % 3) * bytes + b] = static_cast<uint8_t>(c.value >> (8 * b));
        std::vector<uint32_t> out(7, 0x12121212);
        ASSERT_TRUE(ConvertPixelsTo32(c.format, src.data() + 1, pitch, 3, 2, out.data()));
        std::vector<uint32_t> expected(6, c.expected);
        expected.push_back(0x12121212); // nothing written past width x height pixels
        EXPECT_EQ(out, expected) << std::hex << c.value;
    }
    // Other formats, short pitches and null pointers write nothing.
    std::vector<uint8_t> src(64, 0x11);
    std::vector<uint32_t> out(4, 7);
    EXPECT_FALSE(ConvertPixelsTo32(PixelFormat::A4R4G4B4, src.data(), 8, 2, 2, out.data()));
    EXPECT_FALSE(ConvertPixelsTo32(PixelFormat::DXT1, src.data(), 8, 2, 2, out.data()));
    EXPECT_FALSE(ConvertPixelsTo32(PixelFormat::R5G6B5, src.data(), 3, 2, 2, out.data()));
    EXPECT_FALSE(ConvertPixelsTo32(PixelFormat::A8R8G8B8, src.data(), 7, 2, 2, out.data()));
    EXPECT_FALSE(ConvertPixelsTo32(PixelFormat::R5G6B5, nullptr, 4, 2, 2, out.data()));
    EXPECT_EQ(out, std::vector<uint32_t>(4, 7));
}

} // namespace
