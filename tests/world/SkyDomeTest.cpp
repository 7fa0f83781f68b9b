// Tests of the sky: the day's tables read from their rows of the sun-colour image, images that cannot serve refused
// with a fixed daylight kept, colours blended between entries and wrapped at midnight, the sun's way from sunrise to
// sunset and round the night, the sky's colour by the sun, the dome's rings, the light and fog handed to the
// graphics manager by the time of day, the flare and the surround; on OpenGL, by pixels, the sky at noon and at
// dusk and the fog's colour.
#include "tests/engine/render/DrawTestSupport.h"
#include "tests/world/WorldTestSupport.h"

#include "engine/render/ModelManager.h"
#include "world/SkyDome.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

namespace
{

using platform::Vec3;

constexpr float kPi = 3.14159265358979f;

// A sun-colour image written out from its format: an 18-byte header, then the rows as stored; table rows lie 33 +
// 16 k rows before the end of the rows (k = 0 to 3 the first four colour tables, 4 the markers, 6 the fifth colour
// table, 7 the first numbers), the second numbers 163 rows before it and the bytes at k = 9.
class DayImage
{
public:
    DayImage(uint32_t width = 384, uint32_t height = 178)
        : w(width), h(height), stored(static_cast<size_t>(width) * height, 0xFF000000u)
    {
    }
    uint32_t* RowsBeforeEnd(uint32_t n) { return &stored[static_cast<size_t>(h - n) * w]; }
    uint32_t* Table(uint32_t k) { return RowsBeforeEnd(33 + 16 * k); }
    std::vector<uint8_t> Bytes(uint8_t type = 2, uint8_t bits = 32) const
    {
        std::vector<uint8_t> b(18, 0);
        b[2] = type;
        b[12] = static_cast<uint8_t>(w), b[13] = static_cast<uint8_t>(w >> 8);
        b[14] = static_cast<uint8_t>(h), b[15] = static_cast<uint8_t>(h >> 8);
        b[16] = bits;
        for (uint32_t p : stored)
            for (int i = 0; i < 4; ++i)
                b.push_back(static_cast<uint8_t>(p >> (8 * i)));
        return b;
    }

    uint32_t w, h;
    std::vector<uint32_t> stored;
};

// The test day: colour table k entry e is ((e + k) & 0xFF, (2 e) & 0xFF, k x 40) with alpha 0x11 (which the reader
// replaces); the fog starts at e / 2 and runs e & 0xFF; the byte is 255 - (e & 0xFF); sunrise at 96, sunset at
// 288, with near misses of both codes before them.
DayImage TestDay(uint32_t width = 384, uint32_t height = 178)
{
    DayImage image(width, height);
    const uint32_t rows[5] = {0, 1, 2, 3, 6};
    for (uint32_t e = 0; e < 384; ++e)
    {
        for (uint32_t t = 0; t < 5; ++t)
            image.Table(rows[t])[e] = 0x11000000u | ((e + t) & 0xFF) << 16 | ((2 * e) & 0xFF) << 8 | (t * 40);
        image.Table(7)[e] = 0xAABBCC00u | (e / 2);
        image.RowsBeforeEnd(163)[e] = 0x55443300u | (e & 0xFF);
        image.Table(9)[e] = 0x01020300u | (255 - (e & 0xFF));
    }
    uint32_t* marks = image.Table(4);
    marks[10] = 60, marks[20] = 68, marks[30] = 188, marks[40] = 196;
    marks[96] = 0x12345640;  // low byte 64
    marks[288] = 0xFF0000BE; // low byte 190
    marks[300] = 62;         // a later sunrise code changes nothing
    return image;
}

uint32_t TestColour(int32_t table, int32_t entry)
{
    const uint32_t t = static_cast<uint32_t>(table), e = static_cast<uint32_t>(entry);
    return 0xFF000000u | ((e + t) & 0xFF) << 16 | ((2 * e) & 0xFF) << 8 | (t * 40);
}

class SkyDomeTest : public rendertest::DrawTest
{
protected:
    void SetUp() override
    {
        rendertest::DrawTest::SetUp();
        g_TextureManager.Init();
    }
    void TearDown() override
    {
        sky.Release();
        g_TextureManager.Shutdown();
        rendertest::DrawTest::TearDown();
    }
    bool Load(const std::vector<uint8_t>& bytes)
    {
        testsupport::WriteBytes(dir.File("sun.tga"), bytes);
        return sky.LoadColourImage(dir.File("sun.tga").c_str());
    }

    testsupport::TempDir dir;
    SkyDome sky;
};

TEST_F(SkyDomeTest, TheDaysTablesAreReadFromTheirRows)
{
    // Just tall enough (the byte table, 33 + 16 x 9 = 177 rows before the end, is the first row), and wider and
    // taller than needed: the rows are found by the image's own width and height.
    for (const auto& [w, h] : {std::pair(384u, 177u), std::pair(384u, 178u), std::pair(400u, 200u)})
    {
        SCOPED_TRACE(w);
        testsupport::RecordingReportSink reports;
        ASSERT_TRUE(Load(TestDay(w, h).Bytes()));
        EXPECT_TRUE(reports.boxes.empty());
        EXPECT_TRUE(sky.HasDayTables());
        EXPECT_EQ(std::tuple(sky.GetSunrise(), sky.GetSunset()), std::tuple(96, 288));
        for (int32_t e : {0, 1, 95, 191, 255, 256, 383})
        {
            for (int32_t t = 0; t < 5; ++t)
                EXPECT_EQ(sky.GetTableColour(t, e), TestColour(t, e)) << t << " " << e;
            EXPECT_EQ(sky.GetTableNumber(0, e), e / 2);
            EXPECT_EQ(sky.GetTableNumber(1, e), e & 0xFF);
            EXPECT_EQ(sky.GetTableByte(e), 255 - (e & 0xFF));
        }
    }
    // Any code from 61 to 67 marks sunrise, any from 189 to 195 sunset, the first of each.
    for (const auto& [rise, set] : {std::pair(61u, 189u), std::pair(67u, 195u)})
    {
        DayImage image = TestDay();
        image.Table(4)[50] = rise;
        image.Table(4)[250] = set;
        ASSERT_TRUE(Load(image.Bytes()));
        EXPECT_EQ(std::tuple(sky.GetSunrise(), sky.GetSunset()), std::tuple(50, 250));
    }
}

TEST_F(SkyDomeTest, AnImageThatCannotServeIsRefusedAndTheDayStaysAFixedDaylight)
{
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        bool good;
    };
    const auto edited = [](std::function<void(DayImage&)> edit, uint8_t type = 2, uint8_t bits = 32)
    {
        DayImage image = TestDay();
        edit(image);
        return image.Bytes(type, bits);
    };
    std::vector<uint8_t> cut = TestDay().Bytes();
    cut.pop_back();
    std::vector<uint8_t> narrowWithRoom = TestDay(383, 179).Bytes();
    // The shortest day without its first row: every table is there but the byte table.
    DayImage shortDay = TestDay(384, 177);
    shortDay.stored.erase(shortDay.stored.begin(), shortDay.stored.begin() + 384);
    shortDay.h = 176;
    const std::vector<uint8_t> oneRowTooFew = shortDay.Bytes();
    const std::vector<uint8_t> whole = TestDay().Bytes();
    const std::vector<uint8_t> headerOnly(whole.begin(), whole.begin() + 18);
    const Case cases[] = {
        {"good", TestDay().Bytes(), true},
        {"one row too few", oneRowTooFew, false},
        {"one column too few", narrowWithRoom, false},
        {"cut short", cut, false},
        {"header only", headerOnly, false},
        {"no header", {0, 0, 2}, false},
        {"24 bits", edited([](DayImage&) {}, 2, 24), false},
        {"run-length", edited([](DayImage&) {}, 10, 32), false},
        {"no sunrise", edited([](DayImage& i) { i.Table(4)[96] = 0; }), false},
        {"no sunset", edited([](DayImage& i) { i.Table(4)[288] = 0; }), false},
        {"sunset first", edited([](DayImage& i) { i.Table(4)[5] = 192; }), false},
        {"no markers", edited([](DayImage& i) { std::fill(i.Table(4), i.Table(4) + 384, 0xFF000000u); }), false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Load(TestDay().Bytes())); // a good day first: a refused one does not keep any of it
        testsupport::RecordingReportSink reports;
        EXPECT_EQ(Load(c.bytes), c.good);
        EXPECT_EQ(reports.boxes.size(), c.good ? 0u : 1u);
        EXPECT_EQ(sky.HasDayTables(), c.good);
        if (c.good)
            continue;
        // The fixed daylight at every time: the sun high in the sky, the same colours and fog.
        for (float f : {0.0f, 0.3f, 0.5f, 0.75f, 0.999f})
        {
            EXPECT_EQ(sky.SunAngleFor(f), 90.0f);
            const auto colours = sky.ColoursFor(f);
            for (int t = 0; t < 5; ++t)
                EXPECT_EQ(colours[static_cast<size_t>(t)], SkyDome::kDaylight[t]);
            EXPECT_EQ(sky.NumbersFor(f), (std::array<float, 2>{150.0f, 150.0f}));
            sky.UpdateForDayFraction(f);
            EXPECT_TRUE(std::isfinite(sky.GetSunDirection().x) && std::isfinite(sky.GetSunDirection().y));
        }
    }
    // A missing image is no fault of the data set: the debugger hears of it, no box.
    testsupport::RecordingReportSink reports;
    EXPECT_FALSE(sky.LoadColourImage(dir.File("missing.tga").c_str()));
    EXPECT_TRUE(reports.boxes.empty());
    EXPECT_NE(reports.debug.find("missing.tga"), std::string::npos);
    EXPECT_FALSE(sky.HasDayTables());
}

TEST_F(SkyDomeTest, ColoursAndNumbersBlendBetweenTwoEntriesAndWrapAtMidnight)
{
    DayImage image = TestDay();
    image.Table(0)[10] = 0xFF102030;
    image.Table(0)[11] = 0xFF304050;
    image.Table(0)[383] = 0xFF804020;
    image.Table(0)[0] = 0xFF002040;
    image.Table(7)[10] = 100;
    image.Table(7)[11] = 110;
    ASSERT_TRUE(Load(image.Bytes()));
    struct Case
    {
        float fraction;
        uint32_t colour; // of table 0
        float fogStart;
    };
    // A quarter of the way from entry 10 to 11: each channel 0.75 a + 0.25 b, cut to a whole number.
    const Case cases[] = {
        {10.0f / 384.0f, 0xFF102030, 100.0f},
        {10.25f / 384.0f, 0xFF182838, 102.5f},
        {10.5f / 384.0f, 0xFF203040, 105.0f},
        {383.5f / 384.0f, 0xFF403030, (191.0f + 0.0f) / 2.0f},
        {1.0f, 0xFF002040, 0.0f},
        {1.0f + 10.25f / 384.0f, 0xFF182838, 102.5f},
        {-0.5f, 0xFF002040, 0.0f},
        {std::nanf(""), 0xFF002040, 0.0f},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(sky.ColoursFor(c.fraction)[0], c.colour) << c.fraction;
        EXPECT_NEAR(sky.NumbersFor(c.fraction)[0], c.fogStart, 1e-3f) << c.fraction;
    }
    // Every table blends alike; the alpha is always 0xFF.
    const auto colours = sky.ColoursFor(100.5f / 384.0f);
    for (int32_t t = 1; t < 5; ++t)
    {
        const uint32_t a = TestColour(t, 100), b = TestColour(t, 101);
        uint32_t expected = 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8)
            expected |= (((a >> shift & 0xFF) + (b >> shift & 0xFF)) / 2) << shift;
        EXPECT_EQ(colours[static_cast<size_t>(t)], expected) << t;
    }
}

TEST_F(SkyDomeTest, TheSunRisesAtSunriseCrossesTheSkyBySunsetAndGoesRoundUnderTheGround)
{
    ASSERT_TRUE(Load(TestDay().Bytes())); // sunrise 96 (06:00), sunset 288 (18:00)
    struct Case
    {
        float entry;
        float angle;
    };
    const Case cases[] = {
        {96.0f, 0.0f},
        {144.0f, 45.0f},
        {192.0f, 90.0f},
        {287.0f, 180.0f * 191.0f / 192.0f},
        {288.0f, 180.0f},
        {336.0f, 225.0f},
        {0.0f, 270.0f},
        {48.0f, 315.0f},
        {95.0f, 180.0f + 180.0f * 191.0f / 192.0f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(sky.SunAngleFor(c.entry / 384.0f), c.angle, 1e-3f) << c.entry;
    // A longer day: sunrise at 50, sunset at 300; noon (192) is 142 / 250 of the day's way, midnight 84 / 134 of
    // the night's.
    DayImage image = TestDay();
    image.Table(4)[96] = 0, image.Table(4)[288] = 0, image.Table(4)[50] = 64, image.Table(4)[300] = 192;
    ASSERT_TRUE(Load(image.Bytes()));
    EXPECT_NEAR(sky.SunAngleFor(0.5f), 180.0f * 142.0f / 250.0f, 1e-3f);
    EXPECT_NEAR(sky.SunAngleFor(0.0f), 180.0f + 180.0f * 84.0f / 134.0f, 1e-3f);

    // The direction: (cos, sin, 0.5) made a unit vector.
    const float n = std::sqrt(1.25f);
    const struct
    {
        float angle;
        Vec3 direction;
    } directions[] = {{0.0f, {1.0f / n, 0.0f, 0.5f / n}},
                      {90.0f, {0.0f, 1.0f / n, 0.5f / n}},
                      {180.0f, {-1.0f / n, 0.0f, 0.5f / n}},
                      {270.0f, {0.0f, -1.0f / n, 0.5f / n}}};
    for (const auto& d : directions)
    {
        const Vec3 v = SkyDome::SunDirectionForAngle(d.angle);
        EXPECT_NEAR(v.x, d.direction.x, 1e-5f);
        EXPECT_NEAR(v.y, d.direction.y, 1e-5f);
        EXPECT_NEAR(v.z, d.direction.z, 1e-5f);
    }
}

TEST_F(SkyDomeTest, TheSkysColourComesFromTheSunsHeightAndHowNearItTheDirectionLooks)
{
    const float n = std::sqrt(1.25f);
    struct Case
    {
        const char* name;
        Vec3 direction;
        Vec3 sun;
        uint32_t colour;
    };
    // Worked by hand from the rules: a sun straight up gives (34, 198, 375) scaled by (1.05, 1.02, 0.9), blue cut
    // to 255; a sun on the horizon adds 900, 250 and -96 times how nearly the view looks at it; a sun half below
    // the horizon dims that by (1 - 0.5)^4.
    const Case cases[] = {
        {"overhead", {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, 0xFF23C9FF},
        {"at the sun", {3.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, 0xFFFFFF00},
        {"away from it", {-3.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, 0xFF000056},
        {"under the horizon", {1.0f, 0.0f, 0.0f}, {0.8660254f, -0.5f, 0.0f}, 0xFF210000},
        // Noon (sun (0, 2, 1) / sqrt 5) looking level across it: (30, 177, 335) scaled.
        {"noon level", {3.0f, 0.0f, 0.0f}, {0.0f, 1.0f / n, 0.5f / n}, 0xFF1FB4FF},
        // Sunset (sun (-2, 0, 1) / sqrt 5) looking away from it and towards it.
        {"dusk away", {3.0f, 0.0f, 0.0f}, {-1.0f / n, 0.0f, 0.5f / n}, 0xFF00004D},
        {"dusk towards", {-3.0f, 0.0f, 0.0f}, {-1.0f / n, 0.0f, 0.5f / n}, 0xFFFFE400},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SkyDome::SkyColour(c.direction, c.sun), c.colour)
            << c.name << std::hex << " " << SkyDome::SkyColour(c.direction, c.sun);
}

TEST_F(SkyDomeTest, TheDomeIsARingBelowTheHorizonAndSixteenRingsRisingSixDegreesAtATimeSeenFromInside)
{
    sky.Init();
    const auto& vertices = sky.GetVertices();
    const auto& indices = sky.GetIndices();
    ASSERT_EQ(vertices.size(), 64u * 17u);
    ASSERT_EQ(indices.size(), 64u * 16u * 6u);
    struct Case
    {
        int ring;
        float radius, height;
    };
    // Ring r > 0 at elevation 6 (r - 1) degrees: radius 100 cos e (2 cos e + 1), height 100 sin e (2 cos e + 1).
    const Case cases[] = {{0, 300.0f, -30.0f}, {1, 300.0f, 0.0f}, {11, 100.0f, 173.20508f}, {16, 0.0f, 100.0f}};
    for (const Case& c : cases)
    {
        for (int k : {0, 16, 40})
        {
            const Vec3& p = vertices[static_cast<size_t>(c.ring * 64 + k)].position;
            const float a = 2.0f * kPi * static_cast<float>(k) / 64.0f;
            EXPECT_NEAR(p.x, c.radius * std::cos(a), 1e-2f) << c.ring << " " << k;
            EXPECT_NEAR(p.z, c.radius * std::sin(a), 1e-2f) << c.ring << " " << k;
            EXPECT_NEAR(p.y, c.height, 1e-2f) << c.ring << " " << k;
        }
    }
    // Every triangle turns its front to the middle, where the eye is (clockwise seen from it), but the ones that
    // shrink to the top point.
    int facing = 0;
    for (size_t i = 0; i < indices.size(); i += 3)
    {
        ASSERT_LT(indices[i], vertices.size());
        ASSERT_LT(indices[i + 1], vertices.size());
        ASSERT_LT(indices[i + 2], vertices.size());
        const Vec3 a = vertices[indices[i]].position, b = vertices[indices[i + 1]].position,
                   c = vertices[indices[i + 2]].position;
        const Vec3 normal = platform::Vec3Cross(b - a, c - a);
        if (platform::Vec3Length(normal) < 1e-3f)
            continue;
        EXPECT_GT(platform::Vec3Dot(normal, -a), 0.0f) << i;
        ++facing;
    }
    EXPECT_GE(facing, 64 * 15 * 2);
}

TEST_F(SkyDomeTest, TheLightFogAndDomeFollowTheTimeOfDay)
{
    DayImage image = TestDay();
    // Noon (192) and dusk (288): light, mask, light colour, ambient and fog colour, and the fog's numbers.
    const uint32_t noon[5] = {0xFFB4B4B4, 0xFFFFFFFF, 0xFF000000, 0xFF4B4B4B, 0xFF9CB8D8};
    const uint32_t dusk[5] = {0xFFC07850, 0xFFF0C8A0, 0xFF100800, 0xFF504040, 0xFFC88860};
    const uint32_t rows[5] = {0, 1, 2, 3, 6};
    for (int t = 0; t < 5; ++t)
    {
        image.Table(rows[t])[192] = noon[t];
        image.Table(rows[t])[288] = dusk[t];
    }
    image.Table(7)[192] = 150, image.RowsBeforeEnd(163)[192] = 140;
    image.Table(7)[288] = 110, image.RowsBeforeEnd(163)[288] = 120;
    ASSERT_TRUE(Load(image.Bytes()));
    sky.Init(); // the dome; the colours come from the image loaded here
    ASSERT_TRUE(Load(image.Bytes()));
    struct Case
    {
        float fraction;
        const uint32_t* colours;
        float fogStart, fogRange;
        float sunAngle;
    };
    const Case cases[] = {{0.5f, noon, 150.0f, 140.0f, 90.0f}, {0.75f, dusk, 110.0f, 120.0f, 180.0f}};
    std::vector<uint32_t> noonDome;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.fraction);
        sky.UpdateForDayFraction(c.fraction);
        const float a = c.sunAngle * kPi / 180.0f;
        const Vec3 sun = platform::Vec3Normalize({std::cos(a), std::sin(a), 0.5f});
        // The light travels away from the sun: light colour, diffuse, ambient and mask from tables 3, 1, 4 and 2.
        EXPECT_NEAR(gm.GetLightDirection().x, -sun.x, 1e-5f);
        EXPECT_NEAR(gm.GetLightDirection().y, -sun.y, 1e-5f);
        EXPECT_NEAR(gm.GetLightDirection().z, -sun.z, 1e-5f);
        EXPECT_EQ(gm.GetSceneLightColour(), c.colours[2]);
        EXPECT_EQ(gm.GetColourMask(), c.colours[1]);
        EXPECT_EQ(gm.GetShadowColour() & 0xFFFFFF, c.colours[3] & 0xFFFFFF);
        uint32_t faced = 0; // a surface facing the light: the diffuse colour plus the ambient, each channel to 255
        for (int shift = 0; shift < 24; shift += 8)
            faced |= std::min(255u, (c.colours[0] >> shift & 0xFF) + (c.colours[3] >> shift & 0xFF)) << shift;
        EXPECT_TRUE(rendertest::NearRgb(gm.GetLitColour(gm.GetLightDirection()), faced, 1));
        // The fog: its start and range (the graphics manager keeps the range in its units, eight to one) and the
        // fifth table's colour.
        EXPECT_EQ(gm.GetFogStart(), c.fogStart);
        EXPECT_EQ(gm.GetFogRange(), c.fogRange * 8.0f);
        EXPECT_TRUE(rendertest::NearRgb(gm.GetFogColour(), c.colours[4], 1));
        // The dome: each vertex the sky's colour of its direction, with the grey of its brightest channel.
        std::vector<uint32_t> dome;
        for (const SkyDome::Vertex& v : sky.GetVertices())
        {
            dome.push_back(v.colour);
            const uint32_t top = std::max({v.colour >> 16 & 0xFF, v.colour >> 8 & 0xFF, v.colour & 0xFF});
            EXPECT_EQ(v.grey, 0xFF000000u | top << 16 | top << 8 | top);
        }
        if (noonDome.empty())
            noonDome = dome;
        else
            EXPECT_NE(dome, noonDome);
    }
    // At dusk the sky is brightest on the sun's side (-x) of the horizon ring and red there.
    const uint32_t west = sky.GetVertices()[64 + 32].colour, east = sky.GetVertices()[64].colour;
    EXPECT_GT(west >> 16 & 0xFF, east >> 16 & 0xFF);
    EXPECT_GT(west >> 16 & 0xFF, west & 0xFF);
}

TEST_F(SkyDomeTest, TheParksClockSetsTheTimeOfDay)
{
    worldtest::DayLength day(240);
    World world; // 09:00 of day 0
    ASSERT_EQ(world.GetHour(), 9);
    ASSERT_TRUE(Load(TestDay().Bytes())); // sunrise 06:00, sunset 18:00
    sky.Update();
    // 09:00 is 3 / 12 of the way from sunrise to sunset: 45 degrees.
    const Vec3 expected = platform::Vec3Normalize({std::cos(kPi / 4.0f), std::sin(kPi / 4.0f), 0.5f});
    EXPECT_NEAR(sky.GetSunDirection().x, expected.x, 1e-5f);
    EXPECT_NEAR(sky.GetSunDirection().y, expected.y, 1e-5f);
    // With its minutes: 09:30 (95 s into a 240 s day) is 3.5 / 12 of the way.
    world.SetGameTime(95.0);
    sky.Update();
    const float a = 180.0f * 3.5f / 12.0f * kPi / 180.0f;
    EXPECT_NEAR(sky.GetSunDirection().y, platform::Vec3Normalize({std::cos(a), std::sin(a), 0.5f}).y, 1e-5f);
}

TEST_F(SkyDomeTest, TheFlareShinesFromTheSunAndTheSurroundIsDrawnWhileEnabled)
{
    // The sky's files in the working folder: the day, the flare and the surround model of the first park.
    worldtest::DayLength day(240);
    testsupport::ScopedCurrentDir cwd(dir.Path());
    std::filesystem::create_directories(dir.File("Data/Textures"));
    testsupport::WriteBytes(dir.File("Data/Textures/Suncols.tga"), TestDay().Bytes());
    testsupport::WriteBytes(dir.File("Data/Textures/SunFlare.tga"),
                            testsupport::ReadBytes(TW_SOURCE_DIR "/sample-data/data/Textures/SunFlare.tga"));
    std::filesystem::create_directories(dir.File("Data/Models/D_Ezize/fluff"));
    testsupport::WriteBytes(
        dir.File("Data/Models/D_Ezize/fluff/Surround_02.tm"),
        testsupport::ReadBytes(TW_SOURCE_DIR "/sample-data/data/Models/D_Ezize/fluff/Surround_02.tm"));
    g_ModelManager.Init(8, false);
    testsupport::RecordingReportSink reports;
    sky.Init();
    EXPECT_TRUE(reports.boxes.empty());
    EXPECT_TRUE(sky.HasDayTables());
    EXPECT_FALSE(sky.IsEnabled());

    EXPECT_FALSE(sky.LoadSurround(nullptr, "Nowhere.tm"));
    EXPECT_FALSE(sky.IsEnabled());
    EXPECT_FALSE(sky.LoadSurround(nullptr, nullptr));
    EXPECT_TRUE(sky.LoadSurround(nullptr, "Surround_02.tm"));
    EXPECT_TRUE(sky.IsEnabled());
    EXPECT_NE(sky.GetCloudModel(), 0u);
    EXPECT_EQ(sky.GetGroundModel(), 0u);
    EXPECT_STREQ(g_ModelManager.GetName(sky.GetCloudModel()), "Data\\Models\\D_Ezize\\fluff\\Surround_02.tm");

    struct Case
    {
        float fraction;
        bool enabled;
        uint32_t flare;
        int models;
    };
    // The flare's grey is 255 (1.2 - the sun's height), no less than half and no more than whole: half at noon
    // (the sun 2 / sqrt 5 high), whole at sunset and through the night.
    const Case cases[] = {{0.5f, true, 0xFF7F7F7F, 1}, {0.75f, true, 0xFFFFFFFF, 1}, {0.0f, false, 0xFFFFFFFF, 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.fraction);
        sky.SetEnabled(c.enabled);
        sky.UpdateForDayFraction(c.fraction);
        EXPECT_EQ(sky.GetCurrentColour(0), TestColour(0, static_cast<int32_t>(c.fraction * 384.0f)));
        const uint32_t modelsBefore = gm.GetModelsDrawn();
        Dev()->ClearLog();
        // Render takes the time from the park's clock; without a park it is noon.
        sky.Render();
        EXPECT_TRUE(sky.IsFlareShown());
        EXPECT_EQ(sky.GetFlareSize(), 35.0f);
        EXPECT_EQ(sky.GetFlareColour(), 0xFF7F7F7Fu);
        EXPECT_EQ(gm.GetModelsDrawn() - modelsBefore, static_cast<uint32_t>(c.models));
        // The dome in one draw of its 1088 vertices, then the flare's quad.
        gm.BeginBatch(BATCH_NONE, 0, 1);
        size_t dome = 0, quads = 0;
        for (const auto& draw : Draws())
        {
            dome += draw.numVertices == 1088 ? 1 : 0;
            quads += draw.numVertices == 4 ? 1 : 0;
        }
        EXPECT_EQ(std::tuple(dome, quads), std::tuple(1u, 1u));
    }
    // The flare's grey by the sun's height, whatever the hour.
    for (const auto& [fraction, grey] :
         {std::pair(0.5f, 0xFF7F7F7Fu), std::pair(0.75f, 0xFFFFFFFFu), std::pair(0.0f, 0xFFFFFFFFu),
          std::pair(0.3125f, 0xFF000000u | 0x010101u * static_cast<uint32_t>(
                                                           255.0f * (1.2f - std::sin(kPi / 8.0f) / std::sqrt(1.25f))))})
    {
        // 07:30 is 1.5 / 12 of the way from sunrise to sunset: 22.5 degrees.
        World world;
        world.SetGameTime(static_cast<double>(fraction) * 240.0);
        sky.Render();
        EXPECT_EQ(sky.GetFlareColour(), grey) << fraction;
    }
    // Without its texture there is no flare.
    sky.Release();
    Dev()->ClearLog();
    sky.Render();
    EXPECT_FALSE(sky.IsFlareShown());
    // The models loaded here are forgotten, so no later test finds them under their names.
    g_ModelManager.Init(8, false);
}

// ---- OpenGL

// Reads the pixel under the screen point of a scene point after a frame that drew the sky (and whatever `more`
// draws after it), the eye at (500, 10, 500) looking level along +x.
uint32_t SkyPixelAt(SkyDome& sky, float fraction, const Vec3& direction, const std::function<void()>& more = {})
{
    constexpr uint32_t kSide = 64;
    GraphicsManager& gm = g_GraphicsManager;
    const Vec3 eye = {500.0f, 10.0f, 500.0f};
    gm.SetClearMode(true, 0xFF000000);
    gm.SetProjection(90.0f, 1.0f, 1.0f, 2000.0f);
    gm.SetViewMatrix(platform::MatrixLookAtLH(eye, eye + direction, {0.0f, 1.0f, 0.0f}), true);
    gm.SetEyePosition(eye);
    sky.UpdateForDayFraction(fraction);
    if (!gm.BeginFrame(0))
        return 0;
    World world;
    world.SetGameTime(static_cast<double>(fraction) * 240.0);
    sky.Render();
    if (more)
        more();
    gm.EndFrame();
    uint32_t w = 0, h = 0;
    const std::unique_ptr<uint32_t[]> frame = gm.GetRenderer()->ReadBackBuffer(&w, &h);
    gm.Present();
    if (!frame || w != kSide || h != kSide)
        return 0;
    return frame[static_cast<size_t>(kSide / 2) * kSide + kSide / 2] & 0xFFFFFF;
}

TEST(SkyOnOpenGL, TheSkyAtNoonAndAtDuskIsTheColourTheSunGivesItAndTheFogFollows)
{
    rendertest::GLGraphics gl(64);
    if (!gl.Ready())
        GTEST_SKIP() << "no OpenGL context";
    worldtest::DayLength day(240);
    std::filesystem::create_directories(gl.dir.File("Data/Textures"));
    DayImage image = TestDay();
    image.Table(6)[192] = 0xFF9CB8D8; // the fog's colour at noon and at dusk
    image.Table(6)[288] = 0xFFC88860;
    for (uint32_t e : {192u, 288u})
        image.Table(7)[e] = 20, image.RowsBeforeEnd(163)[e] = 10; // near fog: from 20 to 100
    testsupport::WriteBytes(gl.dir.File("Data/Textures/Suncols.tga"), image.Bytes());
    SkyDome sky;
    sky.Init();
    ASSERT_TRUE(sky.HasDayTables());
    // Level at the horizon, the colours worked by hand from the sun's height and place (as in the formula test):
    // at noon a clear blue; at dusk dark blue away from the sun (east) and orange towards it (west).
    struct Case
    {
        float fraction;
        Vec3 direction;
        uint32_t rgb;
    };
    const Case cases[] = {{0.5f, {1.0f, 0.0f, 0.0f}, 0x1FB4FF},
                          {0.75f, {1.0f, 0.0f, 0.0f}, 0x00004D},
                          {0.75f, {-1.0f, 0.0f, 0.0f}, 0xFFE400}};
    for (const Case& c : cases)
    {
        const uint32_t pixel = SkyPixelAt(sky, c.fraction, c.direction);
        EXPECT_TRUE(rendertest::NearRgb(pixel, c.rgb, 8)) << c.fraction << std::hex << " " << pixel;
    }
    // A white square 400 ahead, far beyond the fog's end, shows the fog's colour of the hour.
    for (const auto& [fraction, fog] : {std::pair(0.5f, 0x9CB8D8u), std::pair(0.75f, 0xC88860u)})
    {
        const uint32_t pixel =
            SkyPixelAt(sky, fraction, {1.0f, 0.0f, 0.0f},
                       []()
                       {
                           const ColourVertex square[4] = {{0.0f, -50.0f, -50.0f, 0xFFFFFFFF},
                                                           {0.0f, 50.0f, -50.0f, 0xFFFFFFFF},
                                                           {0.0f, 50.0f, 50.0f, 0xFFFFFFFF},
                                                           {0.0f, -50.0f, 50.0f, 0xFFFFFFFF}};
                           const uint16_t both[12] = {0, 1, 2, 0, 2, 3, 0, 2, 1, 0, 3, 2};
                           g_GraphicsManager.DrawPolysAt(square, 4, both, 12, {900.0f, 10.0f, 500.0f}, 1);
                       });
        EXPECT_TRUE(rendertest::NearRgb(pixel, fog, 8)) << fraction << std::hex << " " << pixel;
    }
    sky.Release();
}

} // namespace
