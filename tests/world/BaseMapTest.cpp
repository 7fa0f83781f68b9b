// Tests of the ground under the park on the recording device: the source image's texels repeat across the map, a
// source that is missing or not of power-of-two sides leaves the map without one, and the filled tiles are drawn
// flat at the map's height, each over the texels it shows, in the mean colour of those texels lit from above.
#include "tests/engine/render/DrawTestSupport.h"
#include "tests/support/TestSupport.h"

#include "world/BaseMap.h"

#include <map>
#include <sstream>

using namespace rendertest;

namespace
{

// An uncompressed 24-bit TGA, rows top first, of the given 0xRRGGBB pixels (row by row).
std::vector<uint8_t> Tga(uint16_t width, uint16_t height, const std::vector<uint32_t>& pixels)
{
    std::vector<uint8_t> bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (uint16_t v : {width, height})
    {
        bytes.push_back(static_cast<uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    bytes.push_back(24);
    bytes.push_back(0x20);
    for (uint32_t p : pixels)
    {
        bytes.push_back(static_cast<uint8_t>(p & 0xFF));
        bytes.push_back(static_cast<uint8_t>((p >> 8) & 0xFF));
        bytes.push_back(static_cast<uint8_t>((p >> 16) & 0xFF));
    }
    return bytes;
}

class BaseMapTest : public DrawTest
{
protected:
    // The map as the park grid makes it: 480 x 480 texels in tiles of 128 with a border of 4, at height -0.1.
    void Make(const std::string& source)
    {
        map.Create(source.c_str(), "Data/Textures/cracked.ddt", 480, 480, 128, -0.1f, 4);
    }

    // The flat coloured quads drawn, by the scene point of their first corner.
    std::map<std::pair<int, int>, std::vector<ColourVertex>> Quads()
    {
        gm.BeginBatch(BATCH_NONE, 0, 1);
        std::map<std::pair<int, int>, std::vector<ColourVertex>> quads;
        for (const auto& draw : Draws())
        {
            if (draw.fvf != kFvfColourVertex)
                continue;
            const auto decoded = Decode<ColourVertex>(draw);
            for (size_t q = 0; q + 3 < decoded.vertices.size(); q += 4)
            {
                const std::vector<ColourVertex> quad(decoded.vertices.begin() + q, decoded.vertices.begin() + q + 4);
                float x0 = quad[0].x, z0 = quad[0].z;
                for (const ColourVertex& v : quad)
                    x0 = std::min(x0, v.x), z0 = std::min(z0, v.z);
                quads[{int(std::lround(x0)), int(std::lround(z0))}] = quad;
            }
        }
        return quads;
    }

    // From high above the middle of the map, looking down at a slant; one grey light from straight above.
    void View()
    {
        gm.SetFog(200.0f, 200.0f, 0xFF808080);
        gm.SetProjection(90.0f, 4.0f / 3.0f, 1.0f, 5000.0f);
        const platform::Vec3 eye = {960.0f, 1500.0f, 400.0f};
        gm.SetViewMatrix(platform::MatrixLookAtLH(eye, {960.0f, 0.0f, 960.0f}, {0.0f, 1.0f, 0.0f}), true);
        gm.ApplyProjection();
        gm.SetEyePosition(eye);
        gm.SetLight({0.0f, -1.0f, 0.0f}, 0xFF000000, 0xFF808080, 0xFF000000, 0xFFFFFFFF);
        Dev()->ClearLog();
    }

    testsupport::TempDir dir;
    BaseMap map;
};

TEST_F(BaseMapTest, TheSourceRepeatsAcrossTheMapAndOnlyAPowerOfTwoImageIsOne)
{
    // 4 x 2 pixels, each a colour of its own.
    const std::vector<uint32_t> pixels = {0x010203, 0x111213, 0x212223, 0x313233,
                                          0x414243, 0x515253, 0x616263, 0x717273};
    testsupport::WriteBytes(dir.File("good.tga"), Tga(4, 2, pixels));
    Make(dir.File("good.tga"));
    ASSERT_TRUE(map.IsCreated() && map.HasSource());
    struct Case
    {
        int32_t x, y;
    };
    const Case cases[] = {{0, 0}, {3, 1}, {4, 0}, {5, 3}, {-1, 0}, {0, -1}, {130, 129}, {479, 479}};
    for (const Case& c : cases)
    {
        const uint32_t column = static_cast<uint32_t>(((c.x % 4) + 4) % 4);
        const uint32_t row = static_cast<uint32_t>(((c.y % 2) + 2) % 2);
        EXPECT_EQ(map.GetSourceTexel(c.x, c.y), 0xFF000000u | pixels[row * 4 + column]) << c.x << ", " << c.y;
    }
    // A painted texel reads as painted; its neighbours still read the source.
    map.PaintTexel(5, 3, 0);
    EXPECT_EQ(map.GetTexel(5, 3), 0u);
    EXPECT_EQ(map.GetTexel(6, 3), 0xFF000000u | pixels[6]);
    EXPECT_EQ(std::tuple(map.GetTilesAcross(), map.GetTilesDown(), map.GetTileSpan()), std::tuple(4, 4, 120));

    // One is a power of two too: a single row repeats down the whole map.
    testsupport::WriteBytes(dir.File("row.tga"), Tga(2, 1, {0x0A0B0C, 0x1A1B1C}));
    Make(dir.File("row.tga"));
    ASSERT_TRUE(map.HasSource());
    EXPECT_EQ(std::tuple(map.GetSourceTexel(0, 7), map.GetSourceTexel(3, 200)), std::tuple(0xFF0A0B0Cu, 0xFF1A1B1Cu));

    // Tiles no wider than their borders show nothing: there are none.
    map.Create(dir.File("good.tga").c_str(), "", 480, 480, 8, -0.1f, 4);
    EXPECT_EQ(std::tuple(map.GetTilesAcross(), map.GetTilesDown()), std::tuple(0, 0));
    map.FillAll();
    View();
    map.Render(BaseMap::kGroundPass);
    EXPECT_TRUE(Quads().empty());

    // An image of other sides, or none at all, is no source; a missing one is no error (the park has no ground).
    testsupport::WriteBytes(dir.File("odd.tga"), Tga(3, 2, {1, 2, 3, 4, 5, 6}));
    testsupport::RecordingReportSink reports;
    for (const std::string& source : {dir.File("odd.tga"), dir.File("missing.tga"), std::string()})
    {
        SCOPED_TRACE(source);
        if (source.empty())
            map.Create(nullptr, nullptr, 480, 480, 128, -0.1f, 4);
        else
            Make(source);
        EXPECT_TRUE(map.IsCreated());
        EXPECT_FALSE(map.HasSource());
        EXPECT_EQ(map.GetSourceTexel(1, 1), 0xFF000000u);
        map.FillAll();
        View();
        map.Render(BaseMap::kGroundPass);
        EXPECT_TRUE(Quads().empty());
    }
    EXPECT_TRUE(reports.boxes.empty()) << reports.boxes[0].text;
}

TEST_F(BaseMapTest, FilledTilesAreDrawnFlatOverTheirTexelsInTheirMeanColourLitFromAbove)
{
    // 256 x 256 texels, red the column, green the row, blue their sum: no two tiles show the same texels.
    const auto pixel = [](uint32_t x, uint32_t y) { return x << 16 | y << 8 | ((x + y) & 0xFF); };
    std::vector<uint32_t> pixels;
    for (uint32_t y = 0; y < 256; ++y)
        for (uint32_t x = 0; x < 256; ++x)
            pixels.push_back(pixel(x, y));
    testsupport::WriteBytes(dir.File("ground.tga"), Tga(256, 256, pixels));
    Make(dir.File("ground.tga"));
    View();
    map.Render(BaseMap::kGroundPass);
    EXPECT_TRUE(Quads().empty()) << "blank tiles are not drawn";

    map.FillAll();
    View();
    map.Render(BaseMap::kGroundPass);
    const auto quads = Quads();
    ASSERT_EQ(quads.size(), 16u);
    for (int row = 0; row < 4; ++row)
    {
        for (int column = 0; column < 4; ++column)
        {
            SCOPED_TRACE(testing::Message() << column << ", " << row);
            // Tile (column, row) shows texels 120 column to 120 column + 119 across and the same rows down (the
            // source repeating every 256); a light of 0x80 from straight above scales each channel by 128 / 255.
            uint64_t sums[3] = {};
            const uint32_t top = 120u * static_cast<uint32_t>(row), left = 120u * static_cast<uint32_t>(column);
            for (uint32_t y = top; y < top + 120u; ++y)
                for (uint32_t x = left; x < left + 120u; ++x)
                    for (int c = 0; c < 3; ++c)
                        sums[c] += (pixel(x % 256, y % 256) >> (16 - 8 * c)) & 0xFF;
            uint32_t colour = 0xFF000000u;
            for (int c = 0; c < 3; ++c)
                colour |= static_cast<uint32_t>(sums[c] / 14400 * 128 / 255) << (16 - 8 * c);
            // A texel is 4 scene units: the tile's quad covers 480 units from (480 column, 480 row).
            const auto found = quads.find({480 * column, 480 * row});
            ASSERT_NE(found, quads.end());
            for (const ColourVertex& v : found->second)
            {
                EXPECT_NEAR(v.y, -0.1f, 1e-4f);
                EXPECT_EQ(v.colour, colour);
                EXPECT_TRUE(std::fabs(v.x - 480.0f * column) < 0.01f || std::fabs(v.x - 480.0f * (column + 1)) < 0.01f);
                EXPECT_TRUE(std::fabs(v.z - 480.0f * row) < 0.01f || std::fabs(v.z - 480.0f * (row + 1)) < 0.01f);
            }
        }
    }

    // Released, the map draws nothing and has no source.
    map.Release();
    View();
    map.Render(BaseMap::kGroundPass);
    EXPECT_TRUE(Quads().empty());
    EXPECT_FALSE(map.IsCreated() || map.HasSource());
    map.Create(dir.File("ground.tga").c_str(), "", 480, 480, 128, -0.1f, 4);
    map.FillAll();

    // With the view pointing up from the ground the frustum does not reach it: nothing is drawn.
    gm.SetViewMatrix(platform::MatrixLookAtLH({960.0f, 10.0f, 960.0f}, {960.0f, 500.0f, 1000.0f}, {0.0f, 1.0f, 0.0f}),
                     true);
    gm.ApplyProjection();
    Dev()->ClearLog();
    ASSERT_FALSE(gm.IsFrustumValid());
    map.Render(BaseMap::kGroundPass);
    EXPECT_TRUE(Quads().empty());
}

TEST(SampleGround, TheGroundTextureIsTheImageItsSourceTextDescribes)
{
    // "colour <letter> <RRGGBB>" lines, then rows of letters; '#' lines are comments.
    const std::string samples = TW_SOURCE_DIR "/sample-data/";
    std::istringstream text(testsupport::ReadText(samples + "src/textures/DesertDistant.txt"));
    std::map<char, uint32_t> palette;
    std::vector<std::string> rows;
    for (std::string line; std::getline(text, line);)
    {
        if (line.empty() || line[0] == '#')
            continue;
        if (line.rfind("colour ", 0) == 0)
            palette[line[7]] = static_cast<uint32_t>(std::stoul(line.substr(9), nullptr, 16));
        else
            rows.push_back(line);
    }
    ASSERT_FALSE(rows.empty());
    std::vector<uint32_t> pixels;
    for (const std::string& row : rows)
    {
        ASSERT_EQ(row.size(), rows[0].size());
        for (char c : row)
            pixels.push_back(palette.at(c));
    }
    EXPECT_EQ(testsupport::ReadBytes(samples + "data/Textures/DesertDistant.tga"),
              Tga(static_cast<uint16_t>(rows[0].size()), static_cast<uint16_t>(rows.size()), pixels))
        << "run tools/make-sample-data.sh";
    // The park grid can use it: both sides are powers of two.
    BaseMap map;
    map.Create((samples + "data/Textures/DesertDistant.tga").c_str(), "", 480, 480, 128, -0.1f, 4);
    EXPECT_TRUE(map.HasSource());
}

} // namespace
