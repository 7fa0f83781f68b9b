// Tests of the DDS, BMP and JPEG writers: header fields, pixels read back by independent readers, refusals.
#include "platform/image/ImageWriters.h"
#include "tests/platform/image/ImageTestReaders.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace imagetest;

namespace
{

constexpr uint32_t kW = 37, kH = 23; // odd width: 24-bit BMP rows of 111 bytes need one padding byte

// The picture with 3 loud pixels after each row (stride kW + 3), so a writer that ignores the stride shows.
std::vector<uint32_t> Strided(const std::vector<uint32_t>& picture)
{
    std::vector<uint32_t> out;
    for (uint32_t y = 0; y < kH; ++y)
    {
        out.insert(out.end(), picture.begin() + y * kW, picture.begin() + (y + 1) * kW);
        out.insert(out.end(), 3, 0xFFFF00FFu);
    }
    return out;
}

void ExpectWords(const std::vector<uint8_t>& f, const std::vector<std::pair<size_t, uint32_t>>& words)
{
    for (const auto& [at, value] : words)
        EXPECT_EQ(Get32(f, at), value) << "offset " << at;
}

TEST(DdsWriterTest, HeaderFollowsTheFormatAndPixelsReadBackExactly)
{
    testsupport::TempDir tmp;
    const auto picture = MakePicture(kW, kH);
    for (auto layout : {platform::DdsPixelLayout::A8R8G8B8, platform::DdsPixelLayout::X8R8G8B8})
    {
        const bool alpha = layout == platform::DdsPixelLayout::A8R8G8B8;
        ASSERT_TRUE(platform::WriteDDS(tmp.File("a.dds"), Strided(picture).data(), kW, kH, kW + 3, layout));
        const auto f = testsupport::ReadBytes(tmp.File("a.dds"));
        ASSERT_EQ(f.size(), 128u + kW * kH * 4);
        // "DDS ", header size, flags caps|height|width|pitch|pixel format, height, width, pitch, no depth or
        // mip maps; pixel format: size, RGB (+ alpha pixels), no FourCC, 32 bits, masks; caps: texture only.
        // clang-format off
        ExpectWords(f, {{0, 0x20534444}, {4, 124}, {8, 0x100F}, {12, kH}, {16, kW}, {20, kW * 4}, {24, 0}, {28, 0},
                        {76, 32}, {80, alpha ? 0x41u : 0x40u}, {84, 0}, {88, 32}, {92, 0x00FF0000}, {96, 0x0000FF00},
                        {100, 0x000000FF}, {104, alpha ? 0xFF000000u : 0u}, {108, 0x1000}, {112, 0}});
        // clang-format on
        Image img;
        ASSERT_TRUE(ReadDds(f, &img));
        EXPECT_TRUE(img.width == kW && img.height == kH);
        for (size_t i = 0; i < picture.size(); ++i)
        {
            ASSERT_EQ(img.pixels[i], alpha ? picture[i] : picture[i] | 0xFF000000u) << i;
            ASSERT_EQ(f[128 + i * 4 + 3], alpha ? picture[i] >> 24 : 0xFF) << i; // the stored top byte
        }
    }
}

TEST(BmpWriterTest, HeadersFollowTheFormatAndRowsAreStoredBottomUp)
{
    testsupport::TempDir tmp;
    const auto picture = MakePicture(kW, kH);
    for (uint32_t bits : {24u, 32u})
    {
        ASSERT_TRUE(platform::WriteBMP(tmp.File("a.bmp"), Strided(picture).data(), kW, kH, kW + 3, bits));
        const auto f = testsupport::ReadBytes(tmp.File("a.bmp"));
        const uint32_t row = bits == 24 ? 112 : kW * 4;
        ASSERT_EQ(f.size(), 54u + row * kH);
        EXPECT_TRUE(f[0] == 'B' && f[1] == 'M');
        // File size, reserved, pixel offset; info size, width, height (positive: bottom-up), planes | bits << 16,
        // no compression, image size, no resolution or palette.
        // clang-format off
        ExpectWords(f, {{2, uint32_t(f.size())}, {6, 0}, {10, 54}, {14, 40}, {18, kW}, {22, kH}, {26, 1 | bits << 16},
                        {30, 0}, {34, row * kH}, {38, 0}, {42, 0}, {46, 0}, {50, 0}});
        // clang-format on
        const uint32_t bottomLeft = picture[(kH - 1) * kW];
        EXPECT_EQ(f[54] | f[55] << 8 | f[56] << 16, bottomLeft & 0xFFFFFF); // blue, green, red
        for (uint32_t r = 0; bits == 24 && r < kH; ++r)
            EXPECT_EQ(f[54 + r * row + 111], 0) << "padding of row " << r;
        Image img;
        ASSERT_TRUE(ReadBmp(f, &img));
        for (size_t i = 0; i < picture.size(); ++i)
            ASSERT_EQ(img.pixels[i], bits == 32 ? picture[i] : picture[i] | 0xFF000000u) << i;
    }
}

TEST(ImageWritersTest, BadImagesAndUnwritableNamesAreRefused)
{
    testsupport::TempDir tmp;
    const auto p = MakePicture(4, 4);
    const auto rgb = std::vector<uint8_t>(48, 0x80);
    const auto dds = platform::DdsPixelLayout::A8R8G8B8;
    const std::string name = tmp.File("x");
    // Empty sizes, null pixels, strides shorter than a row, other BMP depths; sizes beyond the 32-bit file
    // fields or JPEG's side limit are refused before any pixel is read.
    EXPECT_FALSE(platform::WriteDDS(name, nullptr, 4, 4, 4, dds));
    EXPECT_FALSE(platform::WriteDDS(name, p.data(), 65536, 65536, 65536, dds));
    EXPECT_FALSE(platform::WriteBMP(name, p.data(), 4, 0, 4, 24));
    EXPECT_FALSE(platform::WriteBMP(name, p.data(), 4, 4, 2, 24));
    EXPECT_FALSE(platform::WriteBMP(name, p.data(), 4, 4, 4, 16));
    EXPECT_FALSE(platform::WriteJPEG(name, rgb.data(), 70000, 1, 90));
    EXPECT_TRUE(std::filesystem::is_empty(tmp.Path()));
    // A name that cannot be written returns false: a missing folder, or a folder of that name.
    std::filesystem::create_directory(tmp.File("taken.jpg"));
    EXPECT_FALSE(platform::WriteJPEG(tmp.File("missing/shot.jpg"), rgb.data(), 4, 4, 90));
    EXPECT_FALSE(platform::WriteJPEG(tmp.File("taken.jpg"), rgb.data(), 4, 4, 90));
}

// A file the system cuts short (here by the limit on a file's size, in a child process) is a failed write: the
// writer says so and leaves no partial file behind.
TEST(ImageWritersTest, AWriteCutShortFailsAndLeavesNoFile)
{
    testsupport::TempDir tmp;
    const auto picture = MakePicture(64, 64); // 12 KiB and more in every format
    std::vector<uint8_t> rgb(64 * 64 * 3);    // noise: it does not compress to a few hundred bytes
    uint32_t noise = 12345;
    for (uint8_t& byte : rgb)
    {
        noise = noise * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(noise >> 24);
    }
    const struct
    {
        const char* name;
        std::function<bool(const std::string&)> write;
    } cases[] = {
        {"a.dds", [&](const std::string& f)
         { return platform::WriteDDS(f, picture.data(), 64, 64, 64, platform::DdsPixelLayout::A8R8G8B8); }},
        {"a.bmp", [&](const std::string& f) { return platform::WriteBMP(f, picture.data(), 64, 64, 64, 24); }},
        {"a.jpg", [&](const std::string& f) { return platform::WriteJPEG(f, rgb.data(), 64, 64, 100); }},
    };
    for (const auto& c : cases)
    {
        const std::string file = tmp.File(c.name);
        ASSERT_TRUE(c.write(file)) << c.name << " without a limit";
        ASSERT_GT(std::filesystem::file_size(file), 2048u) << c.name;
        std::filesystem::remove(file);
        const auto limitedWrite = [&]
        {
            rlimit limit{};
            limit.rlim_cur = limit.rlim_max = 1024;
            std::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::_exit(c.write(file) ? 1 : 0);
        };
        EXPECT_EXIT(limitedWrite(), ::testing::ExitedWithCode(0), "") << c.name;
        EXPECT_FALSE(std::filesystem::exists(file)) << c.name;
    }
}

// The quantisation steps follow the usual quality scaling of the standard's example tables: scale = 5000 / q
// below 50, else 200 - 2q; step = (base x scale + 50) / 100 kept within 1..255; both tables' DC bases are 16
// (luminance) and 17 (chrominance). Quality outside 1..100 is clamped.
TEST(JpegWriterTest, FrameIsYCbCrWithTwoByTwoChromaAndTheQualitysTables)
{
    const std::vector<uint8_t> rgb(16 * 16 * 3, 0x80);
    const std::pair<int, std::pair<int, int>> cases[] = {
        {90, {(16 * 20 + 50) / 100, (17 * 20 + 50) / 100}}, {0, {255, 255}}, {150, {1, 1}}};
    for (const auto& [quality, steps] : cases)
    {
        std::vector<uint8_t> f;
        ASSERT_TRUE(platform::EncodeJPEG(rgb.data(), 16, 16, quality, &f)) << quality;
        EXPECT_TRUE((f[0] << 8 | f[1]) == 0xFFD8 && (f[f.size() - 2] << 8 | f[f.size() - 1]) == 0xFFD9); // SOI, EOI
        Image img;
        JpegInfo info;
        ASSERT_TRUE(ReadJpeg(f, &img, &info)) << quality;
        EXPECT_TRUE(info.components == 3 && info.colorSpace == JCS_YCbCr);
        // Four luminance blocks to each Cb and Cr block.
        EXPECT_EQ(std::vector<int>(info.hSamp, info.hSamp + 3), (std::vector<int>{2, 1, 1}));
        EXPECT_EQ(std::vector<int>(info.vSamp, info.vSamp + 3), (std::vector<int>{2, 1, 1}));
        EXPECT_EQ(std::make_pair(info.lumaDcStep, info.chromaDcStep), steps) << quality;
    }
}

TEST(JpegWriterTest, AnySizeDecodesBackToItsSize)
{
    // Sides that are not whole 16-pixel units, and noise that codes far past the first 64 KB of output buffer.
    for (auto [w, h] : {std::pair{17u, 9u}, std::pair{512u, 256u}})
    {
        std::vector<uint8_t> rgb(size_t(w) * h * 3);
        uint32_t seed = 12345;
        for (auto& b : rgb)
            b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
        std::vector<uint8_t> f;
        ASSERT_TRUE(platform::EncodeJPEG(rgb.data(), w, h, 90, &f));
        Image img;
        ASSERT_TRUE(ReadJpeg(f, &img));
        EXPECT_TRUE(img.width == w && img.height == h);
        EXPECT_TRUE(w < 512 || f.size() > 64u * 1024) << f.size();
    }
}

} // namespace
