// Tests for the image readers: TGA pixel rules and header fields, DDS top levels, DDT level tables, damaged and
// hostile files, and every TGA and DDS file of the shared corpus.
#include "engine/render/ImageReaders.h"

#include "engine/core/Stream.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

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

// A 1-5-5-5 word as 32-bit ARGB, each 5-bit channel widened to (c << 3) | (c >> 2).
uint32_t From1555(uint32_t v)
{
    auto widen = [v](int shift) { return (((v >> shift) & 31) << 3) | (((v >> shift) & 31) >> 2); };
    return ((v & 0x8000) ? 0xFF000000 : 0) | (widen(10) << 16) | (widen(5) << 8) | widen(0);
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
    const Pixels mapped = {0xFF000064, 0xFFC80000, 0xFF009600, 0xFF000000, 0xFF000000};
    Bytes map15;
    for (uint32_t v : {31u << 10, 31u << 5, 31u})
        Put(map15, v, 2);
    const Bytes indices = {12, 10, 11, 9, 13}; // the map holds entries 10..12; 9 and 13 read as opaque black
    const struct
    {
        const char* what;
        Bytes file;
        Pixels expected; // top row first
    } cases[] = {
        {"grey", Tga(3, 3, 1, 8, 0, {0x80, 0, 0xFF}), {0xFF808080, 0xFF000000, 0xFFFFFFFF}},
        {"24-bit", Tga(2, 2, 1, 24, 0, {0x10, 0x20, 0x30, 0xFF, 0, 0x7F}), {0xFF302010, 0xFF7F00FF}},
        {"32-bit", Tga(2, 1, 1, 32, 0, {1, 2, 3, 4}), {0x04030201}},
        {"16-bit",
         Tga(2, 3, 1, 16, 0, {0x00, 0x80, 0xFF, 0x7F, 0x2F, 0xC1}),
         {0xFF000000, 0x00FFFFFF, From1555(0xC12F)}},
        {"bottom first", Tga(3, 2, 2, 8, 0x00, {1, 2, 3, 4}), {0xFF030303, 0xFF040404, 0xFF010101, 0xFF020202}},
        {"top first", Tga(3, 2, 2, 8, 0x28, {1, 2, 3, 4}), {0xFF010101, 0xFF020202, 0xFF030303, 0xFF040404}},
        {"image ID", Tga(2, 1, 1, 24, 0x20, {1, 2, 3}, Bytes(255, 0xEE)), {0xFF030201}},
        {"unused map", Tga(2, 1, 1, 24, 0x20, {1, 2, 3}, {'i'}, 1, 3, 5, 15, Bytes(10, 0xCD)), {0xFF030201}},
        {"map fields without map", Tga(2, 1, 1, 24, 0x20, {1, 2, 3}, {}, 0, 0, 300, 24), {0xFF030201}},
        {"15-bit map",
         Tga(1, 5, 1, 8, 0, indices, {'x'}, 1, 10, 3, 15, map15),
         {0xFF0000FF, 0xFFFF0000, 0xFF00FF00, 0xFF000000, 0xFF000000}},
        {"24-bit map", Tga(1, 5, 1, 8, 0, indices, {}, 1, 10, 3, 24, {0, 0, 200, 0, 150, 0, 100, 0, 0}), mapped},
        {"32-bit map", Tga(2, 5, 1, 8, 0, indices, {}, 1, 10, 3, 32, {0, 0, 200, 0x10, 0, 150, 0, 0, 100, 0, 0, 0}),
         mapped},
    };
    for (const auto& c : cases)
    {
        testsupport::WriteBytes(dir.File("t.tga"), c.file);
        Image image = LoadTgaFile(dir.File("t.tga"));
        ASSERT_TRUE(image.ok) << c.what;
        EXPECT_EQ(image.width * image.height, c.expected.size()) << c.what;
        EXPECT_EQ(image.argb, c.expected) << c.what;
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
    const struct
    {
        Bytes file;
        std::string message;
    } cases[] = {
        {Tga(2, 0, 5, 32, 0, {}), "LoadTGA : No Image data (" + path + ")"},
        {Tga(10, 1, 1, 32, 0, {}), "LoadTGA : Can't handle this image type   (ImageID - 10) (" + path + ")"},
        {Tga(2, 1, 1, 15, 0, {}), "LoadTGA : Can't handle this Colour Depth (Depth - 15) (" + path + ")"},
        {Tga(3, 1, 1, 16, 0, {}),
         "LoadTGA : Can't handle this Colour Depth for B&W images - (Depth 16) (" + path + ")"},
        {Bytes(good.begin(), good.begin() + 17), damaged},
        {Bytes(good.begin(), good.end() - 1), damaged},
        {longId, damaged},
        {Tga(1, 2, 1, 8, 0, {}, {}, 1, 0, 256, 24, Bytes(100, 0)), damaged}, // map cut short
        {Tga(1, 2, 1, 8, 0, {0, 0}, {}, 0, 0, 256, 24), damaged},            // no map at all
        {Tga(2, 65535, 65535, 32, 0, Bytes(64, 0)), damaged},                // 16 GiB claimed
    };
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
    EXPECT_EQ(LoadTGAFile(dir.File("missing.tga").c_str(), &w, &h), nullptr);
    EXPECT_EQ(w + h, 0u);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, "LoadTGA : Failed to load Texture " + dir.File("missing.tga") + "\n");
}

namespace
{

// A DDS file: 128-byte header with the fields the reader uses, then the data.
Bytes Dds(uint32_t w, uint32_t h, uint32_t flags, const char* fourCC, uint32_t bits, const Bytes& data,
          uint32_t caps1 = 0x1000, uint32_t caps2 = 0)
{
    Bytes out = {'D', 'D', 'S', ' ', 124, 0, 0, 0, 0, 0, 0, 0};
    Put(out, h, 4);
    Put(out, w, 4);
    out.resize(80, 0);
    Put(out, flags, 4);
    out.insert(out.end(), fourCC, fourCC + 4);
    Put(out, bits, 4);
    out.resize(108, 0);
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
    EXPECT_EQ(r.ok, pixels != nullptr) << path;
    EXPECT_TRUE(r.ok || size == 0) << path;
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
    const Bytes refused[] = {
        Dds(4, 4, 0x40, "\0\0\0", 32, data, 0x8),           // not a texture
        Dds(4, 4, 0x40, "\0\0\0", 32, data, 0x1000, 0x200), // cube map
        Dds(4, 4, 0x40, "\0\0\0", 8, data),                 // no conversion for 8 bits
        Dds(4, 4, 0x4, "DX10", 0, data),                    // FourCC other than DXT1/3/5
        Dds(0, 4, 0x40, "\0\0\0", 32, data),
        Bytes(good.begin(), good.end() - 1),
        Dds(20000, 20000, 0x40, "\0\0\0", 32, data), // 1.6 GB claimed
    };
    for (size_t i = 0; i < std::size(refused); ++i)
        EXPECT_FALSE(load(refused[i]).ok) << i;
    EXPECT_FALSE(LoadDdsFile(dir.File("missing.dds")).ok);
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

// An independent decode of an uncompressed TGA from the file's bytes: where each output pixel's bytes sit.
Pixels ReferenceTga(const Bytes& f)
{
    uint32_t w = Get(&f[12], 2), h = Get(&f[14], 2), depth = f[16], entry = (f[7] + 7) / 8;
    size_t map = 18 + f[0], data = map + (f[1] ? Get(&f[5], 2) * entry : 0);
    Pixels out;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
        {
            const uint8_t* p = &f[data + ((f[17] & 0x20 ? y : h - 1 - y) * size_t(w) + x) * (depth / 8)];
            if (depth == 8 && f[2] != 3)
                p = &f[map + (*p - Get(&f[3], 2)) * entry];
            uint32_t bytes = depth == 8 ? (f[2] == 3 ? 1 : entry) : depth / 8;
            out.push_back(bytes == 4   ? Get(p, 4) | (depth == 8 ? 0xFF000000 : 0)
                          : bytes == 3 ? 0xFF000000 | Get(p, 3)
                          : bytes == 2 ? From1555(Get(p, 2) | (depth == 16 ? 0 : 0x8000))
                                       : 0xFF000000 | p[0] * 0x010101u);
        }
    return out;
}

} // namespace

TEST(ImageReadersCorpusTest, EveryTgaIsDecodedOrRefusedCleanly)
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
    size_t read = 0;
    for (const std::string& path : files)
    {
        std::string name = std::filesystem::path(path).filename().string();
        Image image = LoadTgaFile(path);
        EXPECT_EQ(image.ok, accepted.count(name) == 1) << name;
        if (!image.ok)
            continue;
        ++read;
        Bytes file = testsupport::ReadBytes(path);
        EXPECT_TRUE(image.width == Get(&file[12], 2) && image.height == Get(&file[14], 2)) << name;
        EXPECT_TRUE(image.argb == ReferenceTga(file)) << name;
    }
    EXPECT_EQ(read, accepted.size());
}

TEST(ImageReadersCorpusTest, EveryDdsIsDecodedOrRefusedCleanly)
{
    std::vector<std::string> files = CorpusFiles("dds");
    if (files.empty())
        GTEST_SKIP() << "no corpus";
    // From the manifest: every plain 2D texture of 16, 24 or 32 RGB bits or DXT1/3/5 is read; the DX10 file and
    // the hostile files are refused.
    size_t read = 0;
    for (const std::string& path : files)
    {
        std::string name = std::filesystem::path(path).filename().string();
        DdsResult r = LoadDdsFile(path);
        EXPECT_EQ(r.ok, name.rfind("hostile__", 0) != 0 && name != "oiio__dds_dxgi_bc1_srgb.dds") << name;
        if (!r.ok)
            continue;
        ++read;
        Bytes f = testsupport::ReadBytes(path);
        const uint8_t* data = &f[128];
        uint32_t w = Get(&f[16], 4), h = Get(&f[12], 4), bits = Get(&f[88], 4);
        std::string fourCC(reinterpret_cast<const char*>(&f[84]), 4);
        if (f[80] & 0x4)
        {
            uint32_t blocks = ((w + 3) / 4) * ((h + 3) / 4) * (fourCC == "DXT1" ? 8 : 16);
            EXPECT_EQ(r.format, fourCC == "DXT1" ? 5u : fourCC == "DXT3" ? 7u : 9u) << name;
            EXPECT_EQ(r.pixels, Bytes(data, data + blocks)) << name;
            continue;
        }
        Pixels expected;
        for (uint32_t i = 0; i < w * h; ++i)
            expected.push_back(bits == 32   ? Get(data + 4 * i, 4)
                               : bits == 24 ? 0xFF000000 | Get(data + 3 * i, 3)
                                            : From1555(Get(data + 2 * i, 2)));
        EXPECT_EQ(r.format, 4u) << name;
        ASSERT_EQ(r.pixels.size(), 4u * w * h) << name;
        EXPECT_TRUE(Words(r.pixels.data(), w * h) == expected) << name;
    }
    EXPECT_EQ(read, 19u); // 26 files: 6 hostile, 1 DX10
}
