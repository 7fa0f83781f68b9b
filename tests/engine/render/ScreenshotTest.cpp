// Tests of the screenshot code: the format by extension, opaque DDS and BMP files, the RGB conversion and JPEG
// results.
#include "engine/render/Screenshot.h"
#include "tests/platform/image/ImageTestReaders.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace imagetest;

namespace
{

TEST(ScreenshotTest, ExtensionAfterTheFirstPointChoosesTheFormat)
{
    // clang-format off
    const std::pair<const char*, ScreenshotFileType> cases[] = {
        {"shot.jpg", ScreenshotFileType::JPG}, {"shot.JPG", ScreenshotFileType::JPG},
        {"shot.Jpg", ScreenshotFileType::JPG}, {"SHOT.DdS", ScreenshotFileType::DDS},
        {"shot.bmp", ScreenshotFileType::BMP}, {"shot.jpeg", ScreenshotFileType::None},
        {"shot", ScreenshotFileType::None},    {"shot.y.bmp", ScreenshotFileType::None}, // extension "y.bmp"
        {"shot.", ScreenshotFileType::None},   {nullptr, ScreenshotFileType::None},
    };
    // clang-format on
    for (const auto& [name, type] : cases)
        EXPECT_EQ(GetScreenshotFileType(name), type) << (name ? name : "null");
}

TEST(ScreenshotTest, EachFormatDecodesBackToThePictureWithoutItsAlpha)
{
    testsupport::TempDir tmp;
    const uint32_t w = 56, h = 50;
    const auto picture = MakePicture(w, h); // alpha varies from pixel to pixel, 0 included
    Image dds, bmp, jpg;
    ASSERT_TRUE(SaveScreenshotFile(tmp.File("a.dds").c_str(), w, h, picture.data()));
    ASSERT_TRUE(SaveScreenshotFile(tmp.File("b.BMP").c_str(), w, h, picture.data()));
    ASSERT_TRUE(SaveScreenshotFile(tmp.File("c.Jpg").c_str(), w, h, picture.data()));
    const std::vector<uint8_t> ddsFile = testsupport::ReadBytes(tmp.File("a.dds"));
    const std::vector<uint8_t> bmpFile = testsupport::ReadBytes(tmp.File("b.BMP"));
    ASSERT_TRUE(ReadDds(ddsFile, &dds) && ReadBmp(bmpFile, &bmp));
    JpegInfo info;
    ASSERT_TRUE(ReadJpeg(testsupport::ReadBytes(tmp.File("c.Jpg")), &jpg, &info));
    std::vector<uint32_t> opaque = picture;
    for (uint32_t& v : opaque)
        v |= 0xFF000000u;
    EXPECT_TRUE(dds.pixels == opaque && bmp.pixels == opaque && JpegCloseToPicture(jpg, picture));
    EXPECT_EQ(info.lumaDcStep, 3); // quality 90: (16 x (200 - 180) + 50) / 100

    // A viewer that honours alpha sees no holes: the DDS has no alpha mask (pixel-format flags RGB alone) and its
    // fourth byte is 0xFF all the same; the BMP has 24-bit pixels, with no byte for alpha at all.
    EXPECT_TRUE(Get32(ddsFile, 80) == 0x40u && Get32(ddsFile, 104) == 0u);
    ASSERT_EQ(ddsFile.size(), 128u + w * h * 4);
    for (size_t i = 128 + 3; i < ddsFile.size(); i += 4)
        ASSERT_EQ(ddsFile[i], 0xFF) << i;
    EXPECT_EQ(bmpFile[28], 24);
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

} // namespace
