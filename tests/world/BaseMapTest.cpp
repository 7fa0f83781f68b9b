// Tests of the ground under the park on the recording device: the source image's texels repeat across the map, a
// source that is missing or not of power-of-two sides leaves the map without one, the tile textures hold their
// texels with their neighbours' in their borders, painting reaches every tile that covers a texel and is sent at the
// next upload, the filled tiles are drawn flat and textured at the map's height, each over the texels it shows, lit
// from above or tinted by the sky, cut where they come near the eye, and sizes that cannot make tiles are refused;
// on OpenGL, by pixels, each texel shows over its own four scene units; a park grid gives its path atlases back.
#include "tests/engine/render/DrawTestSupport.h"
#include "tests/support/TestSupport.h"

#include "engine/render/D3DRenderer.h"
#include "world/BaseMap.h"
#include "world/SkyDome.h"
#include "world/WorldMap.h"

#include <cstring>
#include <filesystem>
#include <map>
#include <set>
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
    // The graphics manager again with the texture depth setting 2 (32-bit tiles), and the texture system.
    void SetUp() override
    {
        DrawTest::SetUp();
        Restart(2);
    }
    void TearDown() override
    {
        map.Release();
        g_TextureManager.Shutdown();
        DrawTest::TearDown();
    }
    void Restart(uint32_t textureDepth)
    {
        map.Release();
        g_TextureManager.Shutdown();
        gm.Shutdown();
        RendererSettings settings;
        settings.m_uOption2 = textureDepth;
        gm.Create(settings, nullptr);
        ASSERT_TRUE(gm.BeginFrame(0));
        g_TextureManager.Init();
        Dev()->ClearLog();
    }
    // Level 0 of a tile's texture as the renderer holds it.
    std::vector<uint32_t> DeviceTexels(const BaseMap::Tile& tile)
    {
        std::vector<uint32_t> texels(128 * 128);
        EXPECT_TRUE(gm.GetRenderer()->ReadTexture(texels.data(), 128 * 128 * 4, tile.page));
        return texels;
    }
    // The textured draws, decoded.
    std::vector<DecodedDraw<TexturedVertex>> TexturedDraws()
    {
        gm.BeginBatch(BATCH_NONE, 0, 1);
        std::vector<DecodedDraw<TexturedVertex>> out;
        for (const auto& draw : Draws())
            if (draw.fvf == kFvfTexturedVertex)
                out.push_back(Decode<TexturedVertex>(draw));
        return out;
    }
    // The map as the park grid makes it: 480 x 480 texels in tiles of 128 with a border of 4, at height -0.1 (with no
    // second texture: there is none in the test's folder).
    void Make(const std::string& source) { map.Create(source.c_str(), "", 480, 480, 128, -0.1f, 4); }

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
    // A painted texel reads as painted; its neighbours still read the source the map was filled from.
    map.FillAll();
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
    EXPECT_TRUE(TexturedDraws().empty());

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
        EXPECT_TRUE(TexturedDraws().empty());
    }
    EXPECT_TRUE(reports.boxes.empty()) << reports.boxes[0].text;
}

// The 256 x 256 source of the tile tests: red the column, green the row, blue their sum, so no two texels of one
// repeat of the source are alike.
uint32_t Pixel(uint32_t x, uint32_t y)
{
    return x << 16 | y << 8 | ((x + y) & 0xFF);
}

std::vector<uint32_t> CountingPixels()
{
    std::vector<uint32_t> pixels;
    for (uint32_t y = 0; y < 256; ++y)
        for (uint32_t x = 0; x < 256; ++x)
            pixels.push_back(Pixel(x, y));
    return pixels;
}

// The source texel of map texel (x, y): the source repeats every 256 texels both ways.
uint32_t SourceAt(int32_t x, int32_t y)
{
    return 0xFF000000u |
           Pixel(static_cast<uint32_t>(((x % 256) + 256) % 256), static_cast<uint32_t>(((y % 256) + 256) % 256));
}

// Tile (column, row) of 120 texels with a border of 4 covers texels 120 column - 4 to 120 column + 123.
bool Covers(int32_t column, int32_t row, int32_t x, int32_t y)
{
    return x >= 120 * column - 4 && x <= 120 * column + 123 && y >= 120 * row - 4 && y <= 120 * row + 123;
}

TEST_F(BaseMapTest, FilledTilesHoldTheirTexelsWithTheirNeighboursInTheirBordersAndAreDrawnTexturedOverThem)
{
    testsupport::WriteBytes(dir.File("ground.tga"), Tga(256, 256, CountingPixels()));
    Make(dir.File("ground.tga"));
    ASSERT_EQ(map.GetTiles().size(), 16u);
    EXPECT_EQ(map.GetFormat(), 4u);
    for (size_t i = 0; i < 16; ++i)
    {
        const BaseMap::Tile& tile = map.GetTiles()[i];
        ASSERT_NE(tile.texture, 0u);
        EXPECT_EQ(std::string(g_TextureManager.GetSlot(tile.texture)->GetName()), "basemaptex_" + std::to_string(i));
        EXPECT_TRUE(tile.blank);
    }
    View();
    map.Render(BaseMap::kGroundPass);
    EXPECT_TRUE(TexturedDraws().empty()) << "blank tiles are not drawn";

    map.FillAll();
    View();
    map.Render(BaseMap::kGroundPass);
    // Each tile's texture, as the renderer holds it, is the source over its bordered square.
    for (int32_t row = 0; row < 4; ++row)
    {
        for (int32_t column = 0; column < 4; ++column)
        {
            const BaseMap::Tile& tile = map.GetTiles()[static_cast<size_t>(row * 4 + column)];
            EXPECT_FALSE(tile.blank || tile.needsUpload);
            const std::vector<uint32_t> texels = DeviceTexels(tile);
            int wrong = 0;
            for (int32_t ty = 0; ty < 128; ++ty)
                for (int32_t tx = 0; tx < 128; ++tx)
                    wrong += texels[static_cast<size_t>(ty * 128 + tx)] !=
                                     SourceAt(120 * column - 4 + tx, 120 * row - 4 + ty)
                                 ? 1
                                 : 0;
            EXPECT_EQ(wrong, 0) << "tile " << column << ", " << row;
        }
    }
    // Sixteen quads at the map's height, each over the 480 scene units of its 120 texels (texel x across x, texel
    // y across z, the texture's 0 to 1 inside the border), lit by the grey light from straight above.
    const auto draws = TexturedDraws();
    ASSERT_EQ(draws.size(), 16u);
    std::set<std::pair<int, int>> corners;
    for (const auto& draw : draws)
    {
        ASSERT_EQ(draw.vertices.size(), 4u);
        EXPECT_EQ(draw.indices.size(), 6u);
        float x0 = draw.vertices[0].x, z0 = draw.vertices[0].z;
        for (const TexturedVertex& v : draw.vertices)
            x0 = std::min(x0, v.x), z0 = std::min(z0, v.z);
        corners.insert({int(std::lround(x0)), int(std::lround(z0))});
        for (const TexturedVertex& v : draw.vertices)
        {
            EXPECT_NEAR(v.y, -0.1f, 1e-4f);
            EXPECT_EQ(v.colour, 0xFF808080u);
            EXPECT_TRUE(std::fabs(v.x - x0) < 0.01f || std::fabs(v.x - x0 - 480.0f) < 0.01f);
            EXPECT_TRUE(std::fabs(v.z - z0) < 0.01f || std::fabs(v.z - z0 - 480.0f) < 0.01f);
            EXPECT_NEAR(v.u, (v.x - x0) / 480.0f, 1e-5f);
            EXPECT_NEAR(v.v, (v.z - z0) / 480.0f, 1e-5f);
        }
    }
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(corners.count({480 * column, 480 * row}), 1u) << column << ", " << row;

    // Released, the map draws nothing, has no source and its textures are gone.
    map.Release();
    View();
    map.Render(BaseMap::kGroundPass);
    EXPECT_TRUE(TexturedDraws().empty());
    EXPECT_FALSE(map.IsCreated() || map.HasSource());
    EXPECT_EQ(g_TextureManager.Find("basemaptex_0"), 0u);

    // With the view pointing up from the ground the frustum does not reach it: nothing is drawn.
    Make(dir.File("ground.tga"));
    map.FillAll();
    gm.SetViewMatrix(platform::MatrixLookAtLH({960.0f, 10.0f, 960.0f}, {960.0f, 500.0f, 1000.0f}, {0.0f, 1.0f, 0.0f}),
                     true);
    gm.ApplyProjection();
    Dev()->ClearLog();
    ASSERT_FALSE(gm.IsFrustumValid());
    map.Render(BaseMap::kGroundPass);
    EXPECT_TRUE(TexturedDraws().empty());
}

TEST_F(BaseMapTest, PaintingReachesEveryTileWhoseBorderCoversTheTexelAndIsSentAtTheNextUpload)
{
    testsupport::WriteBytes(dir.File("ground.tga"), Tga(256, 256, CountingPixels()));
    Make(dir.File("ground.tga"));
    map.FillAll();
    map.UploadDirtyTiles();
    struct Case
    {
        int32_t x, y;
        uint32_t colour;
    };
    const Case cases[] = {{60, 60, 0xFF123456},  {121, 50, 0xFF654321}, {118, 118, 0xFFABCDEF}, {123, 10, 0xFF102030},
                          {124, 10, 0xFF405060}, {115, 10, 0xFF708090}, {-3, -3, 0xFF0F0F0F},   {479, 479, 0u},
                          {483, 10, 0xFF111111}, {484, 10, 0xFF222222}, {-5, 0, 0xFF333333},    {300, 240, 0u}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        map.PaintTexel(c.x, c.y, c.colour);
        bool any = false;
        for (int32_t row = 0; row < 4; ++row)
        {
            for (int32_t column = 0; column < 4; ++column)
            {
                const bool covers = Covers(column, row, c.x, c.y);
                any = any || covers;
                EXPECT_EQ(map.GetTiles()[static_cast<size_t>(row * 4 + column)].needsUpload, covers)
                    << column << ", " << row;
            }
        }
        EXPECT_EQ(map.GetTexel(c.x, c.y), any ? c.colour : SourceAt(c.x, c.y));
        map.UploadDirtyTiles();
        for (int32_t row = 0; row < 4; ++row)
        {
            for (int32_t column = 0; column < 4; ++column)
            {
                const BaseMap::Tile& tile = map.GetTiles()[static_cast<size_t>(row * 4 + column)];
                EXPECT_FALSE(tile.needsUpload);
                if (!Covers(column, row, c.x, c.y))
                    continue;
                const std::vector<uint32_t> texels = DeviceTexels(tile);
                EXPECT_EQ(texels[static_cast<size_t>((c.y - 120 * row + 4) * 128 + (c.x - 120 * column + 4))],
                          c.colour);
            }
        }
    }
    // A tile painted before it was ever filled is no longer blank: it is drawn. Until then its texels read the
    // source's, as do those of the tiles still blank.
    Make(dir.File("ground.tga"));
    EXPECT_EQ(map.GetTexel(130, 10), SourceAt(130, 10));
    map.PaintTexel(130, 10, 0xFF00FF00);
    EXPECT_EQ(map.GetTexel(130, 10), 0xFF00FF00u);
    EXPECT_EQ(map.GetTexel(10, 10), SourceAt(10, 10));
    EXPECT_FALSE(map.GetTiles()[1].blank);
    EXPECT_TRUE(map.GetTiles()[0].blank && map.GetTiles()[2].blank);
    View();
    map.Render(BaseMap::kGroundPass);
    EXPECT_EQ(TexturedDraws().size(), 1u);
}

TEST_F(BaseMapTest, AQuadNearerTheEyeThanTheCutIsCutThereAndOneBehindItIsNotDrawn)
{
    testsupport::WriteBytes(dir.File("ground.tga"), Tga(256, 256, CountingPixels()));
    Make(dir.File("ground.tga"));
    map.FillAll();
    // The eye 10 above scene (600, 600), in tile (1, 1), looking along +x and a little down.
    const platform::Vec3 eye = {600.0f, 10.0f, 600.0f};
    gm.SetFog(200.0f, 200.0f, 0xFF808080);
    gm.SetProjection(90.0f, 4.0f / 3.0f, 1.0f, 5000.0f);
    gm.SetViewMatrix(platform::MatrixLookAtLH(eye, {700.0f, 0.0f, 600.0f}, {0.0f, 1.0f, 0.0f}), true);
    gm.ApplyProjection();
    gm.SetEyePosition(eye);
    Dev()->ClearLog();
    ASSERT_TRUE(gm.IsFrustumValid());
    map.Render(BaseMap::kGroundPass);
    const platform::Vec3 forward = platform::Vec3Normalize({100.0f, -10.0f, 0.0f});
    const auto draws = TexturedDraws();
    // The first column of tiles (x 0 to 480) lies wholly behind the eye; the second is cut; the others are whole.
    ASSERT_EQ(draws.size(), 12u);
    int cut = 0;
    for (const auto& draw : draws)
    {
        const size_t n = draw.vertices.size();
        ASSERT_GE(n, 3u);
        EXPECT_EQ(draw.indices.size(), 3 * (n - 2));
        float x0 = draw.vertices[0].x, z0 = draw.vertices[0].z;
        bool onCut = false;
        for (const TexturedVertex& v : draw.vertices)
        {
            const float along = platform::Vec3Dot(platform::Vec3{v.x, v.y, v.z} - eye, forward);
            EXPECT_GE(along, 0.1f - 1e-3f);
            onCut = onCut || std::fabs(along - 0.1f) < 1e-3f;
            x0 = std::min(x0, std::floor(v.x / 480.0f) * 480.0f), z0 = std::min(z0, std::floor(v.z / 480.0f) * 480.0f);
        }
        cut += onCut ? 1 : 0;
        // The texture follows the cut: each vertex keeps the coordinates of its place in the tile.
        for (const TexturedVertex& v : draw.vertices)
        {
            EXPECT_NEAR(v.u, (v.x - x0) / 480.0f, 1e-4f);
            EXPECT_NEAR(v.v, (v.z - z0) / 480.0f, 1e-4f);
        }
    }
    EXPECT_EQ(cut, 4);
}

TEST_F(BaseMapTest, TheSkyTintedGroundTakesTheSkysSecondColourWithTheFogFiveTimesAsFarOut)
{
    testsupport::WriteBytes(dir.File("ground.tga"), Tga(256, 256, CountingPixels()));
    Make(dir.File("ground.tga"));
    map.FillAll();
    // The sky without its colour image keeps the fixed daylight: its second colour is white.
    g_SkyDome.LoadColourImage(dir.File("none.tga").c_str());
    g_SkyDome.UpdateForDayFraction(0.5f);
    ASSERT_EQ(g_SkyDome.GetCurrentColour(1), 0xFFFFFFFFu);
    const auto fogEnds = [this]()
    {
        std::vector<float> ends;
        for (const auto& write : Dev()->renderStateWrites)
            if (write.state == platform::RenderState::FogEnd)
            {
                float f;
                std::memcpy(&f, &write.value, 4);
                ends.push_back(f);
            }
        return ends;
    };
    struct Case
    {
        int32_t parameter;
        uint32_t colour;
        std::vector<float> fogEnds;
    };
    // The view's fog: range 200 x 8 = 1600 (view range factor 1).
    const Case cases[] = {{BaseMap::kGroundPass, 0xFF808080, {}},
                          {BaseMap::kSkyTinted, 0xFFFFFFFF, {8000.0f, 1600.0f}}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.parameter);
        View();
        map.Render(c.parameter);
        const auto draws = TexturedDraws();
        ASSERT_EQ(draws.size(), 16u);
        for (const auto& draw : draws)
            for (const TexturedVertex& v : draw.vertices)
                EXPECT_EQ(v.colour, c.colour);
        EXPECT_EQ(fogEnds(), c.fogEnds);
        EXPECT_EQ(static_cast<D3DRenderer*>(gm.GetRenderer())->GetFogEnd(), 1600.0f);
    }
}

TEST_F(BaseMapTest, SizesThatCannotMakeTilesAreRefusedBeforeAnythingIsMade)
{
    testsupport::WriteBytes(dir.File("ground.tga"), Tga(256, 256, CountingPixels()));
    struct Case
    {
        int32_t width, height, tile, border;
        bool refused;
    };
    const Case cases[] = {{480, 480, 128, 4, false}, {0, 480, 128, 4, true},      {480, 0, 128, 4, true},
                          {-1, 480, 128, 4, true},   {480, 480, 100, 4, true},    {480, 480, 2048, 4, true},
                          {480, 480, 0, 4, true},    {480, 480, -128, 4, true},   {480, 480, 128, -1, true},
                          {9000, 480, 128, 4, true}, {480, 100000, 128, 4, true}, {64, 64, 1024, 0, false}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << ", " << c.tile << ", " << c.border);
        testsupport::RecordingReportSink reports;
        map.Create(dir.File("ground.tga").c_str(), "", c.width, c.height, c.tile, -0.1f, c.border);
        EXPECT_EQ(reports.boxes.size(), c.refused ? 1u : 0u);
        EXPECT_EQ(map.GetTiles().empty(), c.refused);
        EXPECT_EQ(g_TextureManager.Find("basemaptex_0") != 0, !c.refused);
        if (!c.refused)
            g_TextureManager.Release(map.GetTiles()[0].texture);
        // Whatever was refused, the map can be filled, painted, read and drawn.
        map.FillAll();
        map.PaintTexel(5, 5, 0);
        View();
        map.Render(BaseMap::kGroundPass);
        EXPECT_EQ(TexturedDraws().empty(), c.refused);
        map.Release();
    }
}

TEST_F(BaseMapTest, SixteenBitTilesKeepFourBitsAChannel)
{
    // The texture depth setting below 2: the tiles are 16-bit, A4R4G4B4.
    Restart(1);
    testsupport::WriteBytes(dir.File("ground.tga"), Tga(256, 256, CountingPixels()));
    Make(dir.File("ground.tga"));
    EXPECT_EQ(map.GetFormat(), 3u);
    map.FillAll();
    map.PaintTexel(200, 200, 0x80FF8040);
    map.UploadDirtyTiles();
    const auto fourBits = [](uint32_t c)
    {
        uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8)
            out |= ((c >> shift & 0xFF) >> 4) * 17u << shift;
        return out;
    };
    const struct
    {
        int32_t x, y;
        uint32_t colour;
    } cases[] = {
        {0, 0, SourceAt(0, 0)}, {37, 250, SourceAt(37, 250)}, {300, 17, SourceAt(300, 17)}, {200, 200, 0x80FF8040}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(map.GetTexel(c.x, c.y), fourBits(c.colour)) << c.x << ", " << c.y;
        // Tile (1, 1) holds texels 116 to 243 both ways.
        const std::vector<uint32_t> texels = DeviceTexels(map.GetTiles()[5]);
        if (c.x >= 116 && c.x <= 243 && c.y >= 116 && c.y <= 243)
        {
            EXPECT_EQ(texels[static_cast<size_t>((c.y - 116) * 128 + (c.x - 116))], fourBits(c.colour));
        }
    }
}

TEST_F(BaseMapTest, ATileTextureOfItsNameIsUsedAgain)
{
    testsupport::WriteBytes(dir.File("ground.tga"), Tga(256, 256, CountingPixels()));
    const uint32_t kept = g_TextureManager.CreateTextureWithFormat(128, 128, 4, "basemaptex_3");
    ASSERT_NE(kept, 0u);
    Make(dir.File("ground.tga"));
    EXPECT_EQ(map.GetTiles()[3].texture, kept);
    EXPECT_NE(map.GetTiles()[2].texture, kept);
    EXPECT_EQ(g_TextureManager.GetSlot(kept)->m_uRefCount, 2u);
    map.Release();
    EXPECT_EQ(g_TextureManager.GetSlot(kept)->m_uRefCount, 1u);
    g_TextureManager.Release(kept);
}

// A DDT of one 32-bit level written out from its format (header of 328 bytes, then the texels).
std::vector<uint8_t> Ddt(uint32_t side, uint32_t colour)
{
    std::vector<uint8_t> bytes(328, 0);
    const auto put = [&](size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    };
    bytes[0] = 1;  // version 1.0
    put(8, 4);     // 32-bit ARGB
    put(20, side); // width
    put(24, side); // height
    bytes[44] = 1; // a page of its own
    put(60, 1);    // one level
    put(68, side); // level 0: offset 0, width, height, size
    put(72, side);
    put(76, side * side * 4);
    put(320, side * side * 4);
    put(324, colour);
    for (uint32_t i = 0; i < side * side; ++i)
        for (int b = 0; b < 4; ++b)
            bytes.push_back(static_cast<uint8_t>(colour >> (8 * b)));
    return bytes;
}

// A park grid takes its footpath and queue atlases from the texture system as it is made and gives both back when it
// goes: a park left and entered again holds no more textures than the first time.
TEST_F(BaseMapTest, AParkGridGivesItsPathAtlasesBackWhenItGoes)
{
    testsupport::ScopedCurrentDir cwd(dir.Path());
    std::filesystem::create_directories(dir.File("Data/Textures/Paths"));
    testsupport::WriteBytes(dir.File(WorldMap::kPathAtlas), Ddt(64, 0xFF808080));
    testsupport::WriteBytes(dir.File(WorldMap::kQueueAtlas), Ddt(64, 0xFF4060A0));
    const uint32_t before = g_TextureManager.GetTextureCount();
    for (int visit = 0; visit < 2; ++visit)
    {
        auto grid = std::make_unique<WorldMap>(16, 16, WorldMap::kDefaultCellSize, "");
        ASSERT_NE(grid->GetPathAtlas(), 0u);
        ASSERT_NE(grid->GetQueueAtlas(), 0u);
        EXPECT_NE(grid->GetPathAtlas(), grid->GetQueueAtlas());
        EXPECT_EQ(g_TextureManager.GetSlot(grid->GetPathAtlas())->m_uRefCount, 1u);
        EXPECT_EQ(g_TextureManager.GetSlot(grid->GetQueueAtlas())->m_uRefCount, 1u);
        grid.reset();
        EXPECT_EQ(g_TextureManager.GetTextureCount(), before) << "visit " << visit;
    }
}

TEST(BaseMapOnOpenGL, EachTexelShowsOverItsOwnFourSceneUnits)
{
    constexpr uint32_t kSide = 256;
    rendertest::GLGraphics gl(kSide);
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL context";
    // Five colours, texel (x, y) of the 16 x 16 source taking colour (3 x + 7 y) mod 5: a texel and its neighbours,
    // and texels four apart, differ.
    const uint32_t colours[5] = {0xC02010, 0x20C040, 0x3050D0, 0xE0E020, 0x602080};
    std::vector<uint32_t> pixels;
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x)
            pixels.push_back(colours[(3 * x + 7 * y) % 5]);
    std::filesystem::create_directories(gl.dir.File("Data/Textures"));
    testsupport::WriteBytes(gl.dir.File("Data/Textures/ground.tga"), Tga(16, 16, pixels));
    // The detail texture is the middle grey, which adds nothing.
    testsupport::WriteBytes(gl.dir.File("Data/Textures/cracked.ddt"), Ddt(16, 0xFF808080));
    BaseMap map;
    map.Create("Data/Textures/ground.tga", "Data/Textures/cracked.ddt", 480, 480, 128, -0.1f, 4);
    ASSERT_NE(map.GetSecondTexture(), 0u);
    map.FillAll();

    // Looking straight down on scene (600, 600) from 40 above, 90 degrees: 80 scene units across 256 pixels.
    GraphicsManager& gm = g_GraphicsManager;
    gm.SetClearMode(true, 0xFF000000);
    const platform::Vec3 eye = {600.0f, 40.0f, 600.0f};
    gm.SetProjection(90.0f, 1.0f, 1.0f, 1000.0f);
    gm.SetViewMatrix(platform::MatrixLookAtLH(eye, {600.0f, 0.0f, 600.0f}, {0.0f, 0.0f, 1.0f}), true);
    gm.SetEyePosition(eye);
    gm.SetFog(500.0f, 500.0f, 0xFF000000);
    gm.SetLight({0.0f, -1.0f, 0.0f}, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF);
    ASSERT_TRUE(gm.BeginFrame(0));
    map.Render(BaseMap::kGroundPass);
    gm.EndFrame();
    uint32_t w = 0, h = 0;
    const std::unique_ptr<uint32_t[]> frame = gm.GetRenderer()->ReadBackBuffer(&w, &h);
    ASSERT_TRUE(frame && w == kSide && h == kSide);
    gm.Present();
    // Texel x covers scene x from 4 x to 4 x + 4: the middle of texel (x, y) is at (4 x + 2, 4 y + 2).
    int checked = 0;
    for (int32_t ty = 140; ty <= 160; ++ty)
    {
        for (int32_t tx = 140; tx <= 160; ++tx)
        {
            platform::Vec3 screen;
            gm.ProjectToScreen({4.0f * tx + 2.0f, -0.1f, 4.0f * ty + 2.0f}, &screen);
            const int px = static_cast<int>(screen.x), py = static_cast<int>(screen.y);
            if (px < 0 || py < 0 || px >= int(kSide) || py >= int(kSide))
                continue;
            // The device's colour sums are not exact (a texel's channels come out a little brighter): the pixel is
            // told by the nearest of the five colours.
            const uint32_t pixel = frame[static_cast<size_t>(py) * kSide + px];
            int nearest = 0;
            double best = 1e9;
            for (int i = 0; i < 5; ++i)
            {
                double d = 0.0;
                for (int shift = 0; shift < 24; shift += 8)
                    d += std::pow(double(pixel >> shift & 0xFF) - double(colours[i] >> shift & 0xFF), 2.0);
                if (d < best)
                    best = d, nearest = i;
            }
            EXPECT_EQ(nearest, int((3 * (tx & 15) + 7 * (ty & 15)) % 5))
                << tx << ", " << ty << ": " << std::hex << pixel;
            ++checked;
        }
    }
    EXPECT_GT(checked, 300);
    map.Release();
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
