// Tests of imagetool: the day text's rules and errors, its tables running straight between key times and round
// midnight, the sun-colour image read back at the rows the game reads, the flare, lettered pictures, the DDT header,
// the command line, and the sample data's sky images and surround model made from their sources as shipped.
#include "tools/imagetool/ImageTool.h"
#include "engine/core/FileSystem.h"
#include "tests/support/TestSupport.h"
#include "tools/tmtool/TmText.h"
#include "tools/tmtool/TmWriter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

using namespace imagetool;

// A little-endian 32-bit word of the bytes at an offset.
uint32_t Word(const std::vector<uint8_t>& b, size_t at)
{
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

const char* const kTwoKeys = "# a day\n"
                             "sunrise 6:00\n"
                             "sunset 18:45\n"
                             "at 0:00  000000 000000 000000 000000 000000   0   0   0\n"
                             "at 12:00 C8C8C8 FF8040 102030 646464 80A0C0 200 100 255\n";

TEST(ImageTool, DayTextsAreReadOrNameWhatIsWrong)
{
    struct Case
    {
        std::string text;
        std::string error; // empty when the text is good
    };
    const std::string key = "at 12:00 C8C8C8 FF8040 102030 646464 80A0C0 200 100 255\n";
    const std::string times = "sunrise 6:00\nsunset 18:00\n";
    const Case cases[] = {
        {kTwoKeys, ""},
        {times + "at 25:00 000000 000000 000000 000000 000000 0 0 0\n", "line 3: not a time of day: 25:00"},
        {times + "at 6:0 000000 000000 000000 000000 000000 0 0 0\n", "line 3: not a time of day: 6:0"},
        {times + "at 6:60 000000 000000 000000 000000 000000 0 0 0\n", "line 3: not a time of day: 6:60"},
        {times + "at 6:00 00000G 000000 000000 000000 000000 0 0 0\n", "line 3: not a colour RRGGBB: 00000G"},
        {times + "at 6:00 0000000 000000 000000 000000 000000 0 0 0\n", "line 3: not a colour RRGGBB: 0000000"},
        {times + "at 6:00 000000 000000 000000 000000 000000 256 0 0\n", "line 3: not a number 0 to 255: 256"},
        {times + "at 6:00 000000 000000 000000 000000 000000 -1 0 0\n", "line 3: not a number 0 to 255: -1"},
        {times + "at 6:00 000000 000000 000000 000000 000000 0 0\n", "line 3: expected"},
        {times + "noon 000000\n", "line 3: expected"},
        {times + key + key, "line 4: a second key at 12:00"},
        {times, "no \"at\" line"},
        {"sunrise 6:00\n" + key, "a sunrise and a later sunset are needed"},
        {"sunset 18:00\n" + key, "a sunrise and a later sunset are needed"},
        {"sunrise 18:00\nsunset 6:00\n" + key, "a sunrise and a later sunset are needed"},
        {"sunrise 6:00\nsunset 6:01\n" + key, "a sunrise and a later sunset are needed"},
        {"sunrise 6\nsunset 18:00\n" + key, "line 1: not a time of day: 6"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        DaySource source;
        std::string error;
        EXPECT_EQ(ParseDayText(c.text, &source, &error), c.error.empty());
        EXPECT_EQ(error.substr(0, c.error.size()), c.error);
    }
}

TEST(ImageTool, TheTablesRunStraightBetweenKeyTimesAndRoundMidnight)
{
    DaySource source;
    std::string error;
    ASSERT_TRUE(ParseDayText(kTwoKeys, &source, &error)) << error;
    const DayTables tables = MakeDayTables(source);
    // Sixteen entries an hour: 06:00 is entry 96, 18:45 entry 300.
    EXPECT_EQ(std::tuple(tables.sunrise, tables.sunset), std::tuple(96, 300));
    struct Case
    {
        int entry;
        uint32_t diffuse; // table 0
        uint32_t mask;    // table 1
        int fogStart;
        int byte;
    };
    // From nothing at midnight to the noon key and back by the next midnight: a quarter of the way at 03:00 and
    // 21:00, half at 06:00 and 18:00 (each value rounded to the nearest).
    const Case cases[] = {
        {0, 0xFF000000, 0xFF000000, 0, 0},      {192, 0xFFC8C8C8, 0xFFFF8040, 200, 255},
        {96, 0xFF646464, 0xFF804020, 100, 128}, {288, 0xFF646464, 0xFF804020, 100, 128},
        {48, 0xFF323232, 0xFF402010, 50, 64},   {336, 0xFF323232, 0xFF402010, 50, 64},
        {383, 0xFF010101, 0xFF010100, 1, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(tables.colours[0][static_cast<size_t>(c.entry)], c.diffuse);
        EXPECT_EQ(tables.colours[1][static_cast<size_t>(c.entry)], c.mask);
        EXPECT_EQ(tables.numbers[0][static_cast<size_t>(c.entry)], c.fogStart);
        EXPECT_EQ(tables.numbers[2][static_cast<size_t>(c.entry)], c.byte);
    }
    // One key: the whole day alike.
    ASSERT_TRUE(ParseDayText("sunrise 5:00\nsunset 21:00\nat 3:30 112233 445566 778899 AABBCC DDEEFF 1 2 3\n", &source,
                             &error));
    const DayTables flat = MakeDayTables(source);
    for (int e : {0, 56, 200, 383})
        EXPECT_EQ(std::tuple(flat.colours[4][static_cast<size_t>(e)], flat.numbers[1][static_cast<size_t>(e)]),
                  std::tuple(0xFFDDEEFFu, uint8_t{2}));
}

TEST(ImageTool, TheSunColourImageHoldsEachTableAtTheRowTheGameReads)
{
    DaySource source;
    std::string error;
    ASSERT_TRUE(ParseDayText(kTwoKeys, &source, &error)) << error;
    const DayTables tables = MakeDayTables(source);
    const std::vector<uint8_t> image = WriteSunColourImage(tables);
    // An uncompressed 32-bit image of 384 x 192 with all its pixels.
    ASSERT_EQ(image.size(), 18u + 4u * 384u * 192u);
    EXPECT_EQ(std::tuple(image[2], image[16], image[12] | image[13] << 8, image[14] | image[15] << 8),
              std::tuple(2, 32, 384, 192));
    // Each table's row starts 18 + 4 w (h - n) bytes in, n = 33 + 16 k for k = 0 to 3 (colours), 4 (markers),
    // 6 (the fifth colours), 7 (fog start) and 9 (the byte), and n = 163 for the fog range.
    const auto pixel = [&](uint32_t n, uint32_t entry) { return Word(image, 18 + 4 * 384 * (192 - n) + 4 * entry); };
    for (uint32_t e : {0u, 95u, 96u, 192u, 300u, 383u})
    {
        SCOPED_TRACE(e);
        const uint32_t colourRows[5] = {33, 49, 65, 81, 129};
        for (size_t t = 0; t < 5; ++t)
            EXPECT_EQ(pixel(colourRows[t], e), tables.colours[t][e]);
        EXPECT_EQ(pixel(145, e) & 0xFF, tables.numbers[0][e]);
        EXPECT_EQ(pixel(163, e) & 0xFF, tables.numbers[1][e]);
        EXPECT_EQ(pixel(177, e) & 0xFF, tables.numbers[2][e]);
        EXPECT_EQ(pixel(97, e) & 0xFF, e == 96 ? 64u : e == 300 ? 192u : 0u);
    }
    // Every other pixel is opaque black.
    EXPECT_EQ(pixel(1, 10), 0xFF000000u);
    EXPECT_EQ(pixel(192, 383), 0xFF000000u);
}

TEST(ImageTool, TheFlareGlowsFromItsMiddleAndPicturesBecomeTexturesOrAreRefused)
{
    const std::vector<uint32_t> flare = MakeFlare(32, 0xFFC080);
    ASSERT_EQ(flare.size(), 32u * 32u);
    // Brightest round the middle, fading, black in the corners; the same all round.
    const uint32_t middle = flare[16 * 32 + 16], corner = flare[0];
    EXPECT_EQ(corner, 0xFF000000u);
    EXPECT_GT(middle & 0xFF0000, 0xE00000u);
    EXPECT_GT(middle >> 16 & 0xFF, flare[16 * 32 + 24] >> 16 & 0xFF);
    EXPECT_EQ(flare[16 * 32 + 24], flare[24 * 32 + 16]);
    EXPECT_EQ(flare[16 * 32 + 8], flare[8 * 32 + 16]);
    uint32_t side = 0, colour = 0;
    std::string error;
    EXPECT_TRUE(ParseFlareText("# glow\nsize 64\ncolour FFF0C8\n", &side, &colour, &error));
    EXPECT_EQ(std::tuple(side, colour), std::tuple(64u, 0xFFFFF0C8u));
    for (const char* bad : {"size 48\ncolour FFF0C8\n", "size 512\ncolour FFF0C8\n", "size 64\n", "glow 64\n"})
        EXPECT_FALSE(ParseFlareText(bad, &side, &colour, &error)) << bad;

    uint32_t w = 0, h = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(ParseLetterImage("# two by two\ncolour a 102030\ncolour b 405060\nab\nba\n", &w, &h, &pixels, &error));
    EXPECT_EQ(std::tuple(w, h), std::tuple(2u, 2u));
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF102030, 0xFF405060, 0xFF405060, 0xFF102030}));
    for (const char* bad : {"colour a 102030\nab\n", "colour a 102030\naa\na\n", "colour a 102030\n"})
        EXPECT_FALSE(ParseLetterImage(bad, &w, &h, &pixels, &error)) << bad;

    // The DDT: version 1.0, format 4, 2 x 2, a page of its own, one level of 16 bytes, the average colour.
    const std::vector<uint8_t> ddt = WriteDdt(2, 2, {0xFF102030, 0xFF405060, 0xFF405060, 0xFF102030});
    ASSERT_EQ(ddt.size(), 328u + 16u);
    EXPECT_EQ(std::tuple(ddt[0] | ddt[1] << 8, ddt[2] | ddt[3] << 8, Word(ddt, 8)), std::tuple(1, 0, 4u));
    EXPECT_EQ(std::tuple(Word(ddt, 20), Word(ddt, 24), ddt[44], Word(ddt, 60)), std::tuple(2u, 2u, uint8_t{1}, 1u));
    EXPECT_EQ(std::tuple(Word(ddt, 64), Word(ddt, 68), Word(ddt, 72), Word(ddt, 76), Word(ddt, 320)),
              std::tuple(0u, 2u, 2u, 16u, 16u));
    EXPECT_EQ(Word(ddt, 324), 0xFF283848u);
    EXPECT_EQ(Word(ddt, 328), 0xFF102030u);
    EXPECT_EQ(Word(ddt, 340), 0xFF102030u);
}

// A lettered picture that cannot be read names the line at fault: a colour line that is not "colour <letter>
// <RRGGBB>" (not taken for a row of pixels), a letter without a colour and a row of another length.
TEST(ImageTool, PicturesThatCannotBeReadNameTheLineAtFault)
{
    const struct
    {
        const char* text;
        const char* error;
    } cases[] = {
        {"# a picture\ncolour a FF00\naa\naa\n", "line 2: expected \"colour <letter> <RRGGBB>\""},
        {"colour a 102030\ncolour bb 405060\naa\n", "line 2: expected \"colour <letter> <RRGGBB>\""},
        {"colour a 102030\ncolour b 405060 7\naa\n", "line 2: expected \"colour <letter> <RRGGBB>\""},
        {"colour a 102030\n\naa\naa\nab\n", "line 5: no colour b"},
        {"colour a 102030\r\naa\r\n# note\r\naaa\r\n", "line 4: a row of 3 pixels, the first has 2"},
        {"colour a 102030\naa\na\n", "line 3: a row of 1 pixels, the first has 2"},
    };
    for (const auto& c : cases)
    {
        uint32_t w = 0, h = 0;
        std::vector<uint32_t> pixels;
        std::string error;
        EXPECT_FALSE(ParseLetterImage(c.text, &w, &h, &pixels, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(ImageTool, TheCommandLineWritesEachImageOrSaysWhy)
{
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir.File("day.txt"), std::vector<uint8_t>(kTwoKeys, kTwoKeys + std::strlen(kTwoKeys)));
    const std::string out = dir.File("out.tga");
    const std::string text = dir.File("day.txt");
    const char* const good[] = {"imagetool", "suncols", text.c_str(), out.c_str()};
    EXPECT_EQ(imagetool::Run(4, good), 0);
    DaySource source;
    std::string error;
    ASSERT_TRUE(ParseDayText(kTwoKeys, &source, &error));
    EXPECT_EQ(testsupport::ReadBytes(out), WriteSunColourImage(MakeDayTables(source)));
    const std::string missing = dir.File("missing.txt");
    const char* const noSource[] = {"imagetool", "suncols", missing.c_str(), out.c_str()};
    EXPECT_EQ(imagetool::Run(4, noSource), 1);
    const char* const badSource[] = {"imagetool", "flare", text.c_str(), out.c_str()};
    EXPECT_EQ(imagetool::Run(4, badSource), 1);
    const char* const unknown[] = {"imagetool", "sky", text.c_str(), out.c_str()};
    EXPECT_EQ(imagetool::Run(4, unknown), 2);
    EXPECT_EQ(imagetool::Run(2, unknown), 2);
}

TEST(SampleSky, TheSkyImagesAreWhatTheirSourcesDescribe)
{
    const std::string samples = TW_SOURCE_DIR "/sample-data/";
    std::string error;
    DaySource day;
    ASSERT_TRUE(ParseDayText(testsupport::ReadText(samples + "src/sky/Suncols.txt"), &day, &error)) << error;
    EXPECT_EQ(testsupport::ReadBytes(samples + "data/Textures/Suncols.tga"), WriteSunColourImage(MakeDayTables(day)))
        << "run tools/make-sample-data.sh";
    uint32_t side = 0, colour = 0;
    ASSERT_TRUE(ParseFlareText(testsupport::ReadText(samples + "src/sky/SunFlare.txt"), &side, &colour, &error));
    EXPECT_EQ(testsupport::ReadBytes(samples + "data/Textures/SunFlare.tga"),
              WriteTga32(side, side, MakeFlare(side, colour)))
        << "run tools/make-sample-data.sh";
    uint32_t w = 0, h = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(ParseLetterImage(testsupport::ReadText(samples + "src/sky/cracked.txt"), &w, &h, &pixels, &error));
    EXPECT_EQ(testsupport::ReadBytes(samples + "data/Textures/cracked.ddt"), WriteDdt(w, h, pixels))
        << "run tools/make-sample-data.sh";
    // The surround of the first park location, a model of twelve hills.
    SModel surround;
    ASSERT_TRUE(
        tmtool::ParseModelText(testsupport::ReadText(samples + "src/models/Surround_02.txt"), &surround, &error))
        << error;
    EXPECT_EQ(surround.m_bones.size(), 12u);
    EXPECT_EQ(testsupport::ReadBytes(samples + "data/Models/D_Ezize/fluff/Surround_02.tm"),
              tmtool::WriteTmModel(surround))
        << "run tools/make-sample-data.sh";
}

} // namespace
