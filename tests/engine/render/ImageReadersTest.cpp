// Tests for the image readers: TGA pixel rules and header fields, DDS top levels, DDT level tables, damaged and
// hostile files, and every TGA and DDS file of the shared corpus.
#include "engine/render/ImageReaders.h"

#include "engine/core/Stream.h"
#include "tests/engine/render/CorpusPixels.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace
{

using Bytes = std::vector<uint8_t>;
using Pixels = std::vector<uint32_t>;

void Put(Bytes& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t Get(const uint8_t* p, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

Bytes Cat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Pattern(size_t size, uint8_t seed)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 13);
    return bytes;
}

// Opaque grey pixels of the given levels.
Pixels Greys(std::initializer_list<uint32_t> levels)
{
    Pixels out;
    for (uint32_t level : levels)
        out.push_back(0xFF000000 | level * 0x010101u);
    return out;
}

Pixels Words(const uint8_t* bytes, size_t count)
{
    Pixels words(count);
    for (size_t i = 0; i < count; ++i)
        words[i] = Get(bytes + 4 * i, 4);
    return words;
}

// A TGA file: header, image ID, colour map, pixels.
Bytes Tga(uint8_t type, uint16_t w, uint16_t h, uint8_t depth, uint8_t descriptor, const Bytes& pixels,
          const Bytes& id = {}, uint8_t mapType = 0, uint16_t first = 0, uint16_t length = 0, uint8_t bits = 0,
          const Bytes& map = {})
{
    Bytes out = {static_cast<uint8_t>(id.size()), mapType, type};
    Put(out, first, 2);
    Put(out, length, 2);
    out.push_back(bits);
    Put(out, 0, 4);
    Put(out, w | uint32_t(h) << 16, 4);
    out.push_back(depth);
    out.push_back(descriptor);
    return Cat(Cat(Cat(out, id), map), pixels);
}

struct Image
{
    bool ok = false;
    uint32_t width = 0, height = 0;
    Pixels argb;
};

// Reads a TGA by name (stdio) and from a memory stream; both paths must agree.
Image LoadTgaFile(const std::string& path)
{
    Image result[2];
    Bytes bytes = testsupport::ReadBytes(path);
    FileStream memory(bytes.data(), static_cast<uint32_t>(bytes.size()));
    for (int i = 0; i < 2; ++i)
    {
        Image& r = result[i];
        auto pixels = i == 0 ? LoadTGAFile(path.c_str(), &r.width, &r.height)
                             : LoadTGA(path.c_str(), memory, &r.width, &r.height);
        r.ok = pixels != nullptr;
        if (pixels)
            r.argb = Words(pixels.get(), size_t(r.width) * r.height);
    }
    EXPECT_TRUE(result[0].ok == result[1].ok && result[0].argb == result[1].argb) << path;
    EXPECT_TRUE(result[0].ok || (result[0].width == 0 && result[0].height == 0)) << path;
    return result[0];
}

} // namespace

TEST(TgaReaderTest, DecodesEveryAcceptedTypeDepthAndHeaderLayout)
{
    testsupport::TempDir dir;
    const Pixels mapped = {0xFF000064, 0xFFC80000, 0xFF009600, 0xFF000000, 0xFF000000, 0xFF000000};
    Bytes map15;
    for (uint32_t v : {31u << 10, 31u << 5, 31u})
        Put(map15, v, 2);
    const Bytes indices = {12, 10, 11, 9, 13, 200}; // the map holds entries 10..12; the others read as opaque black
    const struct
    {
        const char* what;
        Bytes file;
        Pixels expected; // top row first
    } cases[] = {
        {"grey", Tga(3, 3, 1, 8, 0, {0x80, 0, 0xFF}), {0xFF808080, 0xFF000000, 0xFFFFFFFF}},
        {"24-bit", Tga(2, 2, 1, 24, 0, {0x10, 0x20, 0x30, 0xFF, 0, 0x7F}), {0xFF302010, 0xFF7F00FF}},
        // 16 and 32-bit pixels carry alpha only when the descriptor's low 4 bits count attribute bits. 0xC12F is
        // 1 10000 01001 01111: red 16 -> 0x84, green 9 -> 0x4A, blue 15 -> 0x7B.
        {"32-bit, 8 attribute bits", Tga(2, 2, 1, 32, 0x08, {1, 2, 3, 4, 5, 6, 7, 0}), {0x04030201, 0x00070605}},
        {"32-bit, no attribute bits", Tga(2, 2, 1, 32, 0x00, {1, 2, 3, 4, 5, 6, 7, 0}), {0xFF030201, 0xFF070605}},
        {"16-bit, 1 attribute bit",
         Tga(2, 3, 1, 16, 0x01, {0x00, 0x80, 0xFF, 0x7F, 0x2F, 0xC1}),
         {0xFF000000, 0x00FFFFFF, 0xFF844A7B}},
        {"16-bit, no attribute bits",
         Tga(2, 3, 1, 16, 0x00, {0x00, 0x80, 0xFF, 0x7F, 0x2F, 0x41}),
         {0xFF000000, 0xFFFFFFFF, 0xFF844A7B}},
        // The descriptor's bit 5 puts the first stored row at the top, bit 4 the first stored pixel at the right.
        {"bottom left", Tga(3, 3, 2, 8, 0x00, {1, 2, 3, 4, 5, 6}), Greys({4, 5, 6, 1, 2, 3})},
        {"top left", Tga(3, 3, 2, 8, 0x28, {1, 2, 3, 4, 5, 6}), Greys({1, 2, 3, 4, 5, 6})},
        {"bottom right", Tga(3, 3, 2, 8, 0x10, {1, 2, 3, 4, 5, 6}), Greys({6, 5, 4, 3, 2, 1})},
        {"top right", Tga(3, 3, 2, 8, 0x30, {1, 2, 3, 4, 5, 6}), Greys({3, 2, 1, 6, 5, 4})},
        {"top right, 32-bit", Tga(2, 2, 1, 32, 0x38, {1, 2, 3, 4, 5, 6, 7, 8}), {0x08070605, 0x04030201}},
        {"image ID", Tga(2, 1, 1, 24, 0x20, {1, 2, 3}, Bytes(255, 0xEE)), {0xFF030201}},
        {"unused map", Tga(2, 1, 1, 24, 0x20, {1, 2, 3}, {'i'}, 1, 3, 5, 15, Bytes(10, 0xCD)), {0xFF030201}},
        {"map fields without map", Tga(2, 1, 1, 24, 0x20, {1, 2, 3}, {}, 0, 0, 300, 24), {0xFF030201}},
        {"15-bit map",
         Tga(1, 6, 1, 8, 0, indices, {'x'}, 1, 10, 3, 15, map15),
         {0xFF0000FF, 0xFFFF0000, 0xFF00FF00, 0xFF000000, 0xFF000000, 0xFF000000}},
        {"24-bit map", Tga(1, 6, 1, 8, 0, indices, {}, 1, 10, 3, 24, {0, 0, 200, 0, 150, 0, 100, 0, 0}), mapped},
        {"32-bit map", Tga(2, 6, 1, 8, 0, indices, {}, 1, 10, 3, 32, {0, 0, 200, 0x10, 0, 150, 0, 0, 100, 0, 0, 0}),
         mapped},
    };
    for (const auto& c : cases)
    {
        testsupport::WriteBytes(dir.File("t.tga"), c.file);
        Image image = LoadTgaFile(dir.File("t.tga"));
        ASSERT_TRUE(image.ok) << c.what;
        EXPECT_TRUE((image.width * image.height) == c.expected.size() && image.argb == c.expected) << c.what;
    }
}

TEST(TgaReaderTest, RefusesWithTheReadersMessages)
{
    testsupport::TempDir dir;
    testsupport::RecordingReportSink sink;
    const std::string path = dir.File("t.tga");
    const std::string damaged = "LoadTGA : Damaged or truncated file (" + path + ")";
    Bytes good = Tga(2, 4, 3, 24, 0, Pattern(36, 5));
    Bytes longId = Tga(2, 1, 1, 24, 0, {});
    longId[0] = 255;
    // clang-format off
    const struct { Bytes file; std::string message; } cases[] = {
        {Tga(2, 0, 5, 32, 0, {}), "LoadTGA : No Image data (" + path + ")"},
        {Tga(10, 1, 1, 32, 0, {}), "LoadTGA : Can't handle this image type   (ImageID - 10) (" + path + ")"},
        {Tga(2, 1, 1, 15, 0, {}), "LoadTGA : Can't handle this Colour Depth (Depth - 15) (" + path + ")"},
        {Tga(3, 1, 1, 16, 0, {}),
         "LoadTGA : Can't handle this Colour Depth for B&W images - (Depth 16) (" + path + ")"},
        {Bytes(good.begin(), good.begin() + 17), damaged}, {Bytes(good.begin(), good.end() - 1), damaged},
        {longId, damaged}, {Tga(1, 2, 1, 8, 0, {}, {}, 1, 0, 256, 24, Bytes(100, 0)), damaged}, // map cut short
        {Tga(1, 2, 1, 8, 0, {0, 0}, {}, 0, 0, 256, 24), damaged},            // no map at all
        {Tga(2, 65535, 65535, 32, 0, Bytes(64, 0)), damaged},                // 16 GiB claimed
    };
    // clang-format on
    for (const auto& c : cases)
    {
        testsupport::WriteBytes(path, c.file);
        sink.boxes.clear();
        EXPECT_FALSE(LoadTgaFile(path).ok) << c.message;
        ASSERT_EQ(sink.boxes.size(), 2u) << c.message;
        EXPECT_TRUE(sink.boxes[0].text == c.message && sink.boxes[1].text == c.message) << sink.boxes[0].text;
    }

    sink.boxes.clear();
    uint32_t w = 5, h = 5;
    EXPECT_TRUE(LoadTGAFile(dir.File("missing.tga").c_str(), &w, &h) == nullptr && (w + h) == 0u);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, "LoadTGA : Failed to load Texture " + dir.File("missing.tga") + "\n");
}

namespace
{

// A DDS file: 128-byte header with the fields the reader uses, then the data.
Bytes Dds(uint32_t w, uint32_t h, uint32_t flags, const char* fourCC, uint32_t bits, const Bytes& data,
          uint32_t caps1 = 0x1000, uint32_t caps2 = 0, std::array<uint32_t, 4> masks = {})
{
    Bytes out = {'D', 'D', 'S', ' ', 124, 0, 0, 0, 0, 0, 0, 0};
    Put(out, h, 4);
    Put(out, w, 4);
    out.resize(80, 0);
    Put(out, flags, 4);
    out.insert(out.end(), fourCC, fourCC + 4);
    Put(out, bits, 4);
    for (uint32_t mask : masks) // red, green, blue, alpha
        Put(out, mask, 4);
    Put(out, caps1, 4);
    Put(out, caps2, 4);
    out.resize(kDDSHeaderSize, 0);
    return Cat(out, data);
}

struct DdsResult
{
    bool ok = false;
    uint32_t format = 0;
    Bytes pixels;
    DDSHeader header;
};

DdsResult LoadDdsFile(const std::string& path)
{
    DdsResult r;
    std::unique_ptr<uint8_t[]> pixels;
    uint32_t size = 1;
    r.ok = LoadDDS(path.c_str(), &pixels, &r.header, &r.format, &size);
    EXPECT_TRUE(r.ok == (pixels != nullptr) && (r.ok || size == 0)) << path;
    if (pixels)
        r.pixels.assign(pixels.get(), pixels.get() + size);
    return r;
}

} // namespace

TEST(DdsReaderTest, ReadsTheTopLevelOfPlainTexturesOnly)
{
    testsupport::TempDir dir;
    auto load = [&dir](const Bytes& file)
    {
        testsupport::WriteBytes(dir.File("t.dds"), file);
        return LoadDdsFile(dir.File("t.dds"));
    };
    // RGB layouts become 32-bit ARGB (1-5-5-5 for 16 bits; 24 bits are left to the corpus).
    DdsResult r = load(Dds(2, 1, 0x41, "\0\0\0", 32, Pattern(8, 3)));
    EXPECT_TRUE(r.ok && r.format == 4 && r.pixels == Pattern(8, 3));
    EXPECT_TRUE(r.header.GetWidth() == 2 && r.header.GetHeight() == 1);
    r = load(Dds(2, 1, 0x40, "\0\0\0", 16, {0x00, 0x80, 0xFF, 0x7F}));
    EXPECT_TRUE(r.ok && r.format == 4 && Words(r.pixels.data(), 2) == (Pixels{0xFF000000, 0x00FFFFFF}));
    // DXT blocks are read whole, a partial block counted whole, and the levels after the top one are left.
    const struct
    {
        const char* fourCC;
        uint32_t w, h, format, bytes;
    } blocks[] = {{"DXT1", 8, 8, 5, 4 * 8}, {"DXT3", 8, 8, 7, 4 * 16}, {"DXT5", 5, 9, 9, 6 * 16}};
    for (const auto& c : blocks)
    {
        Bytes data = Pattern(c.bytes + 64, uint8_t(c.w));
        r = load(Dds(c.w, c.h, 0x4, c.fourCC, 0, data));
        EXPECT_TRUE(r.ok && r.format == c.format) << c.fourCC;
        EXPECT_EQ(r.pixels, Bytes(data.begin(), data.begin() + c.bytes)) << c.fourCC;
        EXPECT_FALSE(load(Dds(c.w, c.h, 0x4, c.fourCC, 0, Bytes(c.bytes - 1, 0))).ok) << c.fourCC;
    }

    const Bytes data = Pattern(64, 1);
    const Bytes good = Dds(4, 4, 0x40, "\0\0\0", 32, data);
    // clang-format off
    const Bytes refused[] = {
        Dds(4, 4, 0x40, "\0\0\0", 32, data, 0x8),           // not a texture
        Dds(4, 4, 0x40, "\0\0\0", 32, data, 0x1000, 0x200), // cube map
        Dds(4, 4, 0x40, "\0\0\0", 8, data),                 // no conversion for 8 bits
        Dds(4, 4, 0x4, "DX10", 0, data),                    // FourCC other than DXT1/3/5
        Dds(0, 4, 0x40, "\0\0\0", 32, data), Bytes(good.begin(), good.end() - 1),
        Dds(20000, 20000, 0x40, "\0\0\0", 32, data), // 1.6 GB claimed
    };
    // clang-format on
    for (size_t i = 0; i < std::size(refused); ++i)
        EXPECT_FALSE(load(refused[i]).ok) << i;
    EXPECT_FALSE(LoadDdsFile(dir.File("missing.dds")).ok);
}

TEST(DdsReaderTest, ChannelsComeFromWhereThePixelFormatMasksPutThem)
{
    testsupport::TempDir dir;
    auto load = [&dir](uint32_t flags, uint32_t bits, std::array<uint32_t, 4> masks, const Bytes& data)
    {
        testsupport::WriteBytes(
            dir.File("t.dds"), Dds(uint32_t(data.size() * 8 / bits), 1, flags, "\0\0\0", bits, data, 0x1000, 0, masks));
        return LoadDdsFile(dir.File("t.dds"));
    };
    // Worked by hand: a 5-bit c widens to (c << 3) | (c >> 2), a 6-bit one to (c << 2) | (c >> 4), a 4-bit one to
    // c x 0x11, a 2-bit one to c x 0x55; a 10-bit channel keeps its top 8 bits. 0xAC03 in 5-6-5 is red 21 -> 0xAD,
    // green 32 -> 0x82, blue 3 -> 0x18. Flag 0x41 is RGB with alpha, 0x40 RGB alone.
    const struct
    {
        const char* what;
        uint32_t flags, bits;
        std::array<uint32_t, 4> masks;
        Bytes data;
        Pixels expected;
    } cases[] = {
        {"R5G6B5",
         0x40,
         16,
         {0xF800, 0x07E0, 0x001F, 0},
         {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x03, 0xAC},
         {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFAD8218}},
        {"A4R4G4B4", 0x41, 16, {0x0F00, 0x00F0, 0x000F, 0xF000}, {0x21, 0x84, 0xA5, 0x0F}, {0x88442211, 0x00FFAA55}},
        {"X4R4G4B4", 0x40, 16, {0x0F00, 0x00F0, 0x000F, 0}, {0x21, 0x84}, {0xFF442211}},
        {"A1R5G5B5", 0x41, 16, {0x7C00, 0x03E0, 0x001F, 0x8000}, {0x00, 0x80, 0xFF, 0x7F}, {0xFF000000, 0x00FFFFFF}},
        {"X1R5G5B5", 0x40, 16, {0x7C00, 0x03E0, 0x001F, 0}, {0x00, 0x80, 0xFF, 0x7F}, {0xFF000000, 0xFFFFFFFF}},
        {"A8R8G8B8", 0x41, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {0x10, 0x20, 0x30, 0x40}, {0x40302010}},
        {"X8R8G8B8", 0x40, 32, {0xFF0000, 0xFF00, 0xFF, 0}, {0x10, 0x20, 0x30, 0x00}, {0xFF302010}},
        {"A8B8G8R8", 0x41, 32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, {0x10, 0x20, 0x30, 0x40}, {0x40102030}},
        {"X8B8G8R8", 0x40, 32, {0xFF, 0xFF00, 0xFF0000, 0}, {0x10, 0x20, 0x30, 0x00}, {0xFF102030}},
        {"R8G8B8",
         0x40,
         24,
         {0xFF0000, 0xFF00, 0xFF, 0},
         {0x10, 0x20, 0x30, 0x40, 0x50, 0x60},
         {0xFF302010, 0xFF605040}},
        {"B8G8R8", 0x40, 24, {0xFF, 0xFF00, 0xFF0000, 0}, {0x10, 0x20, 0x30}, {0xFF102030}},
        // 0x600403FF: alpha 1 -> 0x55, red 0x200 -> 0x80, green 0x100 -> 0x40, blue 0x3FF -> 0xFF.
        {"A2R10G10B10", 0x41, 32, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}, {0xFF, 0x03, 0x04, 0x60}, {0x558040FF}},
        // Without any colour mask a header means the classic layout of its size, alpha included (0xC12F is
        // worked out with the TGA cases).
        {"no masks, 16 bits", 0x40, 16, {0, 0, 0, 0}, {0xFF, 0x7F, 0x2F, 0xC1}, {0x00FFFFFF, 0xFF844A7B}},
        {"no masks, 32 bits", 0x40, 32, {0, 0, 0, 0}, {0x10, 0x20, 0x30, 0x40}, {0x40302010}},
        {"no masks, 24 bits", 0x40, 24, {0, 0, 0, 0xFF000000}, {0x10, 0x20, 0x30}, {0xFF302010}},
    };
    for (const auto& c : cases)
    {
        DdsResult r = load(c.flags, c.bits, c.masks, c.data);
        ASSERT_TRUE(r.ok && r.format == 4) << c.what;
        EXPECT_EQ(Words(r.pixels.data(), r.pixels.size() / 4), c.expected) << c.what;
    }
    // Masks that are not one run of bits within the pixel are no layout the reader knows.
    // clang-format off
    const std::array<uint32_t, 4> refused[] = {
        {0xF0F0, 0x0F00, 0x000F, 0},       // red in two runs
        {0x1F0000, 0x07E0, 0x001F, 0},     // red beyond 16 bits
        {0xF800, 0x07E0, 0x001F, 0x10000}, // alpha beyond 16 bits
    };
    // clang-format on
    for (const auto& masks : refused)
        EXPECT_FALSE(load(0x41, 16, masks, {0, 0}).ok) << std::hex << masks[0];
    EXPECT_FALSE(load(0x41, 24, {0xFF000000, 0xFF00, 0xFF, 0}, {0, 0, 0}).ok); // red beyond 24 bits
    EXPECT_FALSE(load(0x40, 8, {0xE0, 0x1C, 0x03, 0}, {0x12}).ok);             // no 8-bit layout, masks or not
    EXPECT_TRUE(load(0x41, 32, {0xFF000000, 0xFF00, 0xFF, 0}, {0, 0, 0, 0}).ok);
}

namespace
{

struct Ddt
{
    uint16_t minor = 0;
    uint32_t format = 5, mipLevels = 3, totalSize = 168;
    std::vector<DDTLevel> table; // empty: all zero, computed on reading
    Bytes data = Pattern(200, 2);

    Bytes Encode() const
    {
        Bytes out;
        Put(out, 1 | uint32_t(minor) << 16, 4);
        for (uint32_t v : {0xDEADBEEFu, format, 0x5C5C5C5Cu, 0x5C5C5C5Cu, 16u, 16u, 1u, uint32_t(-2), 3u, 4u})
            Put(out, v, 4);
        out.insert(out.end(), 16, 0x33); // own-page flag, then unused bytes
        Put(out, mipLevels, 4);
        for (size_t i = 0; i < kDDTMaxLevels; ++i)
        {
            DDTLevel level = i < table.size() ? table[i] : DDTLevel{};
            for (uint32_t v : {level.m_uOffset, level.m_uWidth, level.m_uHeight, level.m_uSize})
                Put(out, v, 4);
        }
        Put(out, totalSize, 4);
        Put(out, 0xFF112233, 4);
        return Cat(out, data);
    }
};

} // namespace

// A level's bytes up to the largest a 64-bit count holds, and past it the saturated count, never a wrapped one.
// (2^31 - 1)(2^31 + 1) = 2^62 - 1 texels of 4 bytes make 2^64 - 4 bytes exactly; one texel more does not fit.
TEST(ImageLevelSizeTest, TheLargestLevelsAreCountedExactlyOrSaturate)
{
    const uint32_t below = 0x7FFFFFFFu, above = 0x80000001u;
    const struct
    {
        uint32_t format, width, height;
        uint64_t bytes;
    } cases[] = {
        {kImageFormatA8R8G8B8, below, above, UINT64_MAX - 3},
        {kImageFormatA8R8G8B8, above, above, UINT64_MAX},
        {kImageFormatR5G6B5, below, above, (UINT64_MAX >> 1) - 1},
        {kImageFormatA8R8G8B8, 0xFFFFFFFFu, 0xFFFFFFFFu, UINT64_MAX},
        {kImageFormatDXT1, 13, 7, 4 * 2 * 8},
        {kImageFormatDXT5, 13, 7, 4 * 2 * 16},
        {99, 4, 4, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ImageLevelSize(c.format, c.width, c.height), c.bytes)
            << c.format << ": " << c.width << " x " << c.height;
}

TEST(DdtReaderTest, LevelTableIsComputedWithEachFormatsRealSize)
{
    // The worked example (DXT1 64 x 64), 4 bytes per texel for 32-bit, and whole blocks for sides that are not
    // multiples of 4 (13 x 7 halves to 8 x 4, then 4 x 4).
    const struct
    {
        uint32_t format;
        int32_t width, height;
        std::vector<uint32_t> sizes;
    } cases[] = {{5, 64, 64, {2048, 512, 128, 32, 8, 8}}, {4, 8, 8, {256, 64, 64}}, {5, 13, 7, {64, 16, 8}}};
    for (const auto& c : cases)
    {
        DDTHeader header;
        header.m_uFormat = c.format;
        header.m_iWidth = c.width;
        header.m_iHeight = c.height;
        header.m_uMipLevels = static_cast<uint32_t>(c.sizes.size());
        CompleteDDTLevelTable(&header);
        uint32_t offset = 0;
        for (size_t i = 0; i < c.sizes.size(); ++i)
        {
            const DDTLevel& level = header.m_levels[i];
            EXPECT_TRUE(level.m_uOffset == offset && level.m_uSize == c.sizes[i]) << c.format << " level " << i;
            offset += c.sizes[i];
        }
        EXPECT_EQ(header.m_levels[c.sizes.size()].m_uWidth, 0u);
    }
}

TEST(DdtReaderTest, ReadsLevelsAndRefusesHeadersThatDoNotFitTheFile)
{
    testsupport::RecordingReportSink sink;
    Bytes pixels;
    DDTHeader header;
    auto load = [&](const Ddt& ddt, uint32_t level)
    {
        Bytes file = ddt.Encode();
        FileStream stream(file.data(), static_cast<uint32_t>(file.size()));
        uint32_t size = 1;
        auto data = LoadDDT("t.ddt", stream, &header, level, &size);
        EXPECT_TRUE(data || size == 0);
        pixels = data ? Bytes(data.get(), data.get() + size) : Bytes();
        return data != nullptr;
    };

    Ddt ddt; // DXT1 16 x 16, 3 levels computed: 128 + 32 + 8 bytes
    ASSERT_TRUE(load(ddt, 0));
    EXPECT_EQ(pixels, Bytes(ddt.data.begin(), ddt.data.begin() + 168));
    EXPECT_TRUE(header.m_uFormat == 5 && header.m_iMarginRight == -2 && header.m_bOwnPage == 0x33 &&
                header.m_uAverageColour == 0xFF112233 && header.m_levels[2].m_uOffset == 160);
    ASSERT_TRUE(load(ddt, 1));
    EXPECT_EQ(pixels, Bytes(ddt.data.begin() + 128, ddt.data.begin() + 168));
    Ddt stored = ddt; // a stored table is used as it stands: level 1 after 100 bytes of padding
    stored.table = {{0, 16, 16, 128}, {228, 8, 8, 32}, {260, 4, 4, 8}};
    stored.data = Pattern(268, 4);
    ASSERT_TRUE(load(stored, 1));
    EXPECT_EQ(pixels, Bytes(stored.data.begin() + 228, stored.data.end()));

    std::vector<std::pair<Ddt, uint32_t>> bad(8, {ddt, 0});
    bad[0].first.minor = 1;
    bad[1].first.mipLevels = 17;
    bad[2].first.totalSize = 201;        // one past the file
    bad[3].first.totalSize = 0xFFFFFFFF; // no huge allocation either
    bad[4].second = 3;                   // no such level
    bad[5] = {ddt, 1};
    bad[5].first.table = {{0, 16, 16, 0}, {0x7FFFFFF0, 8, 8, 0}, {160, 4, 4, 0}};
    bad[6] = {ddt, 2};
    bad[6].first.table = {{0, 16, 16, 0}, {128, 8, 8, 0}, {195, 4, 4, 0}}; // last level cut
    bad[7].first.format = 10;
    for (size_t i = 0; i < bad.size(); ++i)
    {
        sink.boxes.clear();
        EXPECT_FALSE(load(bad[i].first, bad[i].second)) << i;
        ASSERT_EQ(sink.boxes.size(), 1u) << i;
        EXPECT_EQ(sink.boxes[0].text,
                  i == 0 ? "Failed to Load DDT Texture File (wrong version number Major-1,  Minor-1, )t.ddt"
                         : "Failed to Load DDT Texture File (sizes or offsets do not fit the file)t.ddt")
            << i;
    }
    Bytes cut = ddt.Encode();
    FileStream shortHeader(cut.data(), kDDTHeaderSize - 1);
    EXPECT_FALSE(ReadDDTHeader("t.ddt", shortHeader, &header));
}

// The shared corpus: real files from other projects' test suites, read in place.
namespace
{

std::vector<std::string> CorpusFiles(const std::string& kind)
{
    std::vector<std::string> files;
    std::string dir = testsupport::CorpusDir();
    if (!dir.empty() && std::filesystem::is_directory(dir + "/" + kind))
        for (const auto& entry : std::filesystem::directory_iterator(dir + "/" + kind))
            files.push_back(entry.path().string());
    return files;
}

// The ImageMagick samples of a corpus file, or null when it has none.
const corpuspixels::File* Samples(const std::string& name)
{
    for (const corpuspixels::File& file : corpuspixels::kFiles)
        if (name == file.name)
            return &file;
    return nullptr;
}

// Each channel within 2 of the sample: the decoders widen 5 and 6-bit channels by scaling, the readers by
// repeating the top bits, which differ by at most 1. Where the decoder's alpha does not count (it read alpha the
// header does not declare), the pixel must be opaque.
void ExpectSamples(const corpuspixels::File& file, uint32_t width, uint32_t height, const Pixels& argb)
{
    ASSERT_TRUE(width == file.width && height == file.height) << file.name;
    for (const corpuspixels::Sample& sample : file.samples)
    {
        uint32_t got = argb[size_t(sample.y) * width + sample.x];
        uint32_t expected = file.alphaCounts ? sample.argb : sample.argb | 0xFF000000;
        bool close = true;
        for (int shift = 0; shift < 32; shift += 8)
            close = close && std::abs(int((got >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) <= 2;
        EXPECT_TRUE(close) << file.name << " at " << sample.x << ", " << sample.y << ": " << std::hex << got
                           << " against " << expected;
    }
}

} // namespace

TEST(ImageReadersCorpusTest, EveryTgaIsDecodedAsAnIndependentDecoderSeesIt)
{
    std::vector<std::string> files = CorpusFiles("tga");
    if (files.empty())
        GTEST_SKIP() << "no corpus";
    testsupport::RecordingReportSink sink;
    // From the manifest: the uncompressed files of types 1, 2 and 3 at depths the reader takes. The run-length
    // types are refused like any other type, and so is every hostile file.
    // clang-format off
    const std::set<std::string> accepted = {
        "tgago__utc16.tga", "tgago__utc24.tga", "tgago__utc32.tga", "tgago__ucm8.tga", "tgago__ubw8.tga",
        "imagers__b5-noattrib.tga", "imagers__b5-attrib.tga", "imagers__b5-cmap.tga", "imagers__b5-unused-cmap.tga",
        "imagers__cmap_offset.tga", "pfim__true-24-bottom-right.tga", "pillow__tga_id_field.tga", "pillow__p_16.tga",
        "pillow__200x32_l_tl_raw.tga", "tm__FLAG_T16.TGA", "tm__FLAG_B32.TGA", "tacent__Dock317x177.tga"};
    // clang-format on
    size_t read = 0, sampled = 0;
    for (const std::string& path : files)
    {
        std::string name = std::filesystem::path(path).filename().string();
        Image image = LoadTgaFile(path);
        EXPECT_EQ(image.ok, accepted.count(name) == 1) << name;
        if (!image.ok)
            continue;
        ++read;
        if (const corpuspixels::File* samples = Samples(name))
        {
            ++sampled;
            ExpectSamples(*samples, image.width, image.height, image.argb);
        }
    }
    EXPECT_EQ(read, accepted.size());
    EXPECT_EQ(sampled, accepted.size() - 1); // all but imagers__b5-unused-cmap.tga
    // That one is the picture of imagers__b5-noattrib.tga with a colour map put before the pixels.
    const std::string dir = std::filesystem::path(files[0]).parent_path().string();
    EXPECT_EQ(LoadTgaFile(dir + "/imagers__b5-unused-cmap.tga").argb,
              LoadTgaFile(dir + "/imagers__b5-noattrib.tga").argb);
}

TEST(ImageReadersCorpusTest, EveryDdsIsDecodedAsAnIndependentDecoderSeesIt)
{
    std::vector<std::string> files = CorpusFiles("dds");
    if (files.empty())
        GTEST_SKIP() << "no corpus";
    // From the manifest: every plain 2D texture of 16, 24 or 32 RGB bits or DXT1/3/5 is read; the DX10 file and
    // the hostile files are refused.
    size_t read = 0, sampled = 0;
    for (const std::string& path : files)
    {
        std::string name = std::filesystem::path(path).filename().string();
        DdsResult r = LoadDdsFile(path);
        EXPECT_EQ(r.ok, name.rfind("hostile__", 0) != 0 && name != "oiio__dds_dxgi_bc1_srgb.dds") << name;
        if (!r.ok)
            continue;
        ++read;
        Bytes f = testsupport::ReadBytes(path);
        std::string fourCC(reinterpret_cast<const char*>(&f[84]), 4);
        EXPECT_EQ(r.format, (f[80] & 0x4) == 0 ? 4u : fourCC == "DXT1" ? 5u : fourCC == "DXT3" ? 7u : 9u) << name;
        if (const corpuspixels::File* samples = Samples(name))
        {
            ++sampled;
            ASSERT_EQ(r.pixels.size(), 4u * r.header.GetWidth() * r.header.GetHeight()) << name;
            ExpectSamples(*samples, r.header.GetWidth(), r.header.GetHeight(),
                          Words(r.pixels.data(), r.pixels.size() / 4));
        }
    }
    EXPECT_EQ(read, 19u);   // 26 files: 6 hostile, 1 DX10
    EXPECT_EQ(sampled, 9u); // the uncompressed ones but X1R5G5B5
}
