// Tests of texttool and fonttool: the text source's rules and errors, the table read back by the game's own text
// table, the command line, and the sample data's text table and GUI font made from their sources as shipped.
#include "engine/core/FileSystem.h"
#include "engine/core/TextTable.h"
#include "engine/render/Font.h"
#include "tests/support/TestSupport.h"
#include "tools/fonttool/FontTool.h"
#include "tools/texttool/TextTool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace
{

using texttool::TextPair;

TEST(TextTool, SourceLinesBecomePairsOrNameTheLineAtFault)
{
    struct Case
    {
        std::string source;
        std::vector<std::pair<std::string, std::u16string>> pairs; // empty with an error
        std::string error;
    };
    const Case cases[] = {
        {"# comment\n\n  A_1\tFirst text  \r\nb2 x\n", {{"A_1", u"First text"}, {"b2", u"x"}}, ""},
        {"E caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\n", {{"E", u"caf\u00E9 \u20AC \U0001F600"}}, ""},
        {"OK fine\nLONELY\n", {}, "line 2: expected an id"},
        {"OK fine\n= text\n", {}, "line 2: expected an id"},
        {"Q say \"hi\"\n", {}, "line 1: a text cannot hold a double quote"},
        {"A one\na two\n", {}, "line 2: the id a is given twice"},
        {"B \xC3\n", {}, "line 1: the text is not UTF-8"},
        {"B \xC0\xAF\n", {}, "line 1: the text is not UTF-8"},
        {"B \xED\xA0\x80\n", {}, "line 1: the text is not UTF-8"},
        {"B \x80x\n", {}, "line 1: the text is not UTF-8"},
        {"B \xF4\x90\x80\x80\n", {}, "line 1: the text is not UTF-8"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.source);
        std::vector<TextPair> pairs;
        std::string error;
        const bool ok = texttool::ParseSource(c.source, &pairs, &error);
        EXPECT_EQ(ok, c.error.empty());
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
        ASSERT_EQ(pairs.size(), ok ? c.pairs.size() : 0u);
        for (size_t i = 0; i < pairs.size(); ++i)
            EXPECT_TRUE(pairs[i].id == c.pairs[i].first && pairs[i].text == c.pairs[i].second) << i;
    }
}

// A source an editor saved with a UTF-8 byte order mark reads as the same source without it, whatever its first line;
// the mark anywhere else is text, and an id cannot hold it.
TEST(TextTool, AByteOrderMarkBeforeTheFirstLineIsNoPartOfIt)
{
    const std::string bom = "\xEF\xBB\xBF";
    for (const std::string& source :
         {std::string("# the table\nA_1 First\n"), std::string("A_1 First\n"), std::string("\r\nA_1 First\r\n")})
    {
        SCOPED_TRACE(source);
        std::vector<TextPair> plain, marked;
        std::string error;
        ASSERT_TRUE(texttool::ParseSource(source, &plain, &error)) << error;
        ASSERT_TRUE(texttool::ParseSource(bom + source, &marked, &error)) << error;
        ASSERT_EQ(marked.size(), 1u);
        EXPECT_EQ(std::tuple(marked[0].id, marked[0].text), std::tuple(plain[0].id, plain[0].text));
    }
    std::vector<TextPair> pairs;
    std::string error;
    EXPECT_FALSE(texttool::ParseSource("A_1 First\n" + bom + "B_2 Second\n", &pairs, &error));
    EXPECT_EQ(error.rfind("line 2: expected an id", 0), 0u) << error;
    ASSERT_TRUE(texttool::ParseSource("A_1 " + bom + "First\n", &pairs, &error)) << error;
    EXPECT_EQ(pairs[0].text, u"\uFEFFFirst");
}

// The game's table holds a set number of texts and leaves out the ones after them: a source of that many is taken
// whole; one more is refused at the line of the first text the game would leave out, comments and blank lines counted.
TEST(TextTool, ASourceOfMoreTextsThanTheGameHoldsIsRefusedAtTheFirstLeftOut)
{
    for (const size_t count : {size_t{TextTable::kMaxPairs} - 1, size_t{TextTable::kMaxPairs},
                               size_t{TextTable::kMaxPairs} + 1, size_t{TextTable::kMaxPairs} + 50})
    {
        SCOPED_TRACE(count);
        std::string source = "# many texts\n\n";
        for (size_t i = 0; i < count; ++i)
            source += "ID_" + std::to_string(i) + " text " + std::to_string(i) + "\n";
        std::vector<TextPair> pairs;
        std::string error;
        const bool fits = count <= TextTable::kMaxPairs;
        EXPECT_EQ(texttool::ParseSource(source, &pairs, &error), fits);
        EXPECT_EQ(pairs.size(), fits ? count : 0u);
        // Two lines before the texts: text n (from 1) stands on line n + 2.
        if (!fits)
        {
            EXPECT_EQ(error.rfind("line " + std::to_string(TextTable::kMaxPairs + 3) + ": ", 0), 0u) << error;
        }
    }
}

TEST(TextTool, TheGamesTextTableReadsWhatTheToolWrites)
{
    testsupport::TempDir dir;
    testsupport::WriteText(dir.File("texts.txt"), "# texts\nHELLO Hello there\nMoney $%d.%02d\nlast caf\xC3\xA9\n");
    const char* argv[] = {"texttool", "encode", nullptr, nullptr};
    const std::string source = dir.File("texts.txt"), table = dir.File("texts.ble");
    argv[2] = source.c_str();
    argv[3] = table.c_str();
    ASSERT_EQ(texttool::Run(4, argv), 0);
    TextTable texts(dir.File("texts.uni").c_str());
    EXPECT_EQ(texts.GetPairCount(), 3u);
    EXPECT_EQ(std::u16string(texts.GetText("hello")), u"Hello there");
    EXPECT_EQ(std::u16string(texts.GetText("MONEY")), u"$%d.%02d");
    EXPECT_EQ(std::u16string(texts.GetText("LAST")), u"caf\u00E9");
    // The file is the scrambled form: the byte-order mark comes back inverted.
    const std::vector<uint8_t> bytes = testsupport::ReadBytes(table);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_TRUE(bytes[0] == 0x00 && bytes[1] == 0x01);

    const char* wrong[] = {"texttool", "decode", source.c_str(), table.c_str()};
    EXPECT_EQ(texttool::Run(4, wrong), 2);
    const char* missing[] = {"texttool", "encode", "/no/such/file.txt", table.c_str()};
    EXPECT_EQ(texttool::Run(4, missing), 1);
}

const std::string kSampleData = std::string(TW_SOURCE_DIR) + "/sample-data";

TEST(SampleTexts, TheShippedTableIsMadeFromItsSource)
{
    std::vector<TextPair> pairs;
    std::string error;
    ASSERT_TRUE(texttool::ParseSource(testsupport::ReadText(kSampleData + "/src/text/text_uk.txt"), &pairs, &error))
        << error;
    std::vector<uint8_t> expected = texttool::EncodeTable(pairs);
    for (uint8_t& b : expected)
        b = static_cast<uint8_t>(~b);
    EXPECT_EQ(testsupport::ReadBytes(kSampleData + "/data/text_uk.ble"), expected)
        << "run tools/make-sample-data.sh after editing the source";
}

// The texts the park looks up by a name it forms: a guest's thoughts and the missed-desire messages in three
// wordings (1 to 3), the staff's remarks in three (01 to 03), the breakdown messages and the building panels' texts.
// An id written against its text (no blank between) would read as another id and leave the one asked for missing.
TEST(SampleTexts, EveryTextTheParkAsksForIsThere)
{
    std::vector<TextPair> pairs;
    std::string error;
    ASSERT_TRUE(texttool::ParseSource(testsupport::ReadText(kSampleData + "/src/text/text_uk.txt"), &pairs, &error))
        << error;
    std::set<std::string> ids;
    for (const TextPair& pair : pairs)
        ids.insert(pair.id);
    const char* const desires[] = {"MEALS", "SNACKS", "ANIMAL_ATTRACT", "ANIMAL_SHOW", "AMUSEMENT",
                                   "RIDE",  "RETAIL", "TOILET",         "REST"};
    std::vector<std::string> wanted;
    const auto threeWordings = [&](const std::string& base, bool twoDigits)
    {
        for (int n = 1; n <= 3; ++n)
            wanted.push_back(base + (twoDigits ? "_0" : "_") + std::to_string(n));
    };
    for (const char* desire : desires)
    {
        threeWordings(std::string("GUEST_THOUGHT_DESIRE_") + desire, false);
        threeWordings(std::string("FEEDBACK_MISSED_") + desire, false);
    }
    for (const char* missed : {"CASH", "QUEUE"})
        threeWordings(std::string("FEEDBACK_MISSED_") + missed, false);
    for (const char* thought : {"DESIRE_MAP", "ACTIVITY_GOOD", "ACTIVITY_AVERAGE", "ACTIVITY_BAD", "CROWDING_LOOKS_BAD",
                                "PRICE_GOOD", "PRICE_IS_BAD", "PRICE_WAS_BAD", "WELFARE_GOOD", "WELFARE_BAD"})
        threeWordings(std::string("GUEST_THOUGHT_") + thought, false);
    for (const char* remark :
         {"CLEANER_INNERTOUGHT_EMPTYBIN", "CLEANER_INNERTOUGHT_CLEANTOILET", "CLEANER_INNERTOUGHT_CLEANLITTER",
          "CLEANER_INNERTOUGHT_GOSTROLL", "CLEANER_INNERTOUGHT_STANDIDLE", "MECHANIC_INNERTOUGHT_INSPECTIONMADE",
          "MECHANIC_BUILDING_INNERTOUGHT_REPAIRMADE", "MECHANIC_SCENERY_INNERTOUGHT_WATERED",
          "MECHANIC_INNERTOUGHT_STANDIDLE", "ZOO_INSPECT", "STAFFTHOUGHT_STARTJOB", "STAFFTHOUGHT_STARTWORK",
          "STAFFTHOUGHT_ENDWORK"})
        threeWordings(std::string("FEEDBACK_") + remark, true);
    for (int n = 1; n <= 40; ++n)
        wanted.push_back("BUILDING_REPAIR_BROKEN_" + std::to_string(n));
    for (const char* id :
         {"FEEDBACK_BUILDING_BROKEN", "FEEDBACK_BUILDING_REPAIRED", "BUILDING_REPAIR_GOOD", "BI_REPAIR_FORMAT",
          "BI_INSTANCE_ADDON", "BI_CONFIRM_DEMOLISH", "OPEN", "CLOSED", "MENU_TIPTEXT_MOREINFO"})
        wanted.push_back(id);
    for (const std::string& id : wanted)
        EXPECT_EQ(ids.count(id), 1u) << id;
}

// A texel's alpha in a font's texture (an 18-byte TGA header, then 32-bit texels top row first).
uint8_t Coverage(const fonttool::FontFiles& font, int x, int y)
{
    return font.texture[18 + 4 * (static_cast<size_t>(y) * fonttool::kTextureSize + static_cast<size_t>(x)) + 3];
}

TEST(SampleFont, TheShippedGuiFontsAreTheToolsAndTheGameReadsThem)
{
    // The 5 x 7 glyphs drawn two pixels to a glyph pixel in a cell of 12 x 16, one pixel to one in a cell of 7 x 9
    // for the small font, three to one in a cell of 17 x 23 for the large one: a pixel of space round the glyph.
    struct Case
    {
        const char* name;
        const char* size;
        int scale;
        uint32_t height;
        int advance;
    };
    for (const Case& c : {Case{"GuiFont7", nullptr, 2, 16, 12}, Case{"GuiFont8", nullptr, 2, 16, 12},
                          Case{"GuiFont6", "small", 1, 9, 7}, Case{"GuiFont20b", "large", 3, 23, 17}})
    {
        SCOPED_TRACE(c.name);
        const fonttool::FontFiles files = fonttool::MakeFont(c.scale);
        const std::string base = kSampleData + "/data/Fonts/" + c.name;
        EXPECT_EQ(testsupport::ReadBytes(base + "TexCoord.Dat"), files.texCoords);
        EXPECT_EQ(testsupport::ReadBytes(base + ".tga"), files.texture);
        EXPECT_EQ(testsupport::ReadBytes(base + ".Dat"), files.kerning);

        testsupport::TempDir dir;
        const char* write[] = {"fonttool", "write", dir.Path().c_str(), "Font", c.size};
        ASSERT_EQ(fonttool::Run(c.size ? 5 : 4, write), 0);
        EXPECT_EQ(testsupport::ReadBytes(dir.File("Font.tga")), files.texture);

        testsupport::ScopedCurrentDir cwd(kSampleData);
        Font font(c.name);
        EXPECT_EQ(font.GetHeight(), c.height);
        for (int ch = 0; ch < 256; ++ch)
        {
            // The no-break space is as wide as a space.
            const bool printable = (ch >= 0x20 && ch <= 0x7E) || ch == 0xA0;
            EXPECT_EQ(font.GetGlyphWidth(static_cast<char16_t>(ch)), printable ? c.advance : 0) << ch;
        }
    }
    // The small font's pixels: the glyph of 'H' (its two uprights and its bar) one pixel in from its cell's corner.
    const fonttool::FontFiles small = fonttool::MakeFont(1);
    const auto texel = [&](int x, int y) { return Coverage(small, x, y); };
    const int left = 'H' % 16 * 7 + 1, top = 'H' / 16 * 9 + 1;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(texel(left + x, top + y), x == 0 || x == 4 || y == 3 ? 0xFF : 0x00) << x << "," << y;
    EXPECT_EQ(texel(left - 1, top), 0x00);
    // The large font's glyphs lie in its texture, one pixel in from their cells' corners, 15 cells to a row: the
    // last drawn character ('~') is set where its glyph is, each glyph pixel three by three.
    const fonttool::FontFiles large = fonttool::MakeFont(3);
    const auto largeTexel = [&](int x, int y) { return Coverage(large, x, y); };
    const int tildeLeft = '~' % 15 * 17 + 1, tildeTop = '~' / 15 * 23 + 1;
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 15; ++x)
            EXPECT_EQ(largeTexel(tildeLeft + x, tildeTop + y), fonttool::GlyphRows('~')[y / 3][x / 3] == '#' ? 0xFF : 0)
                << x << "," << y;
    // A scale the texture has no room for (or none at all) makes the default font.
    for (const int scale : {0, 4, -1})
        EXPECT_EQ(fonttool::MakeFont(scale).texCoords, fonttool::MakeFont().texCoords) << scale;

    testsupport::TempDir dir;
    for (const std::vector<const char*>& wrong :
         std::vector<std::vector<const char*>>{{"fonttool", "read", dir.Path().c_str(), "Font"},
                                               {"fonttool", "write", dir.Path().c_str(), "Font", "huge"},
                                               {"fonttool", "write", dir.Path().c_str()}})
        EXPECT_EQ(fonttool::Run(static_cast<int>(wrong.size()), wrong.data()), 2) << wrong.back();
}

} // namespace

namespace
{

bool FontToolFails(const std::string& dir)
{
    const char* const argv[] = {"fonttool", "write", dir.c_str(), "Font"};
    return fonttool::Run(4, argv) != 0;
}

} // namespace

// A write cut short (a full disk, here a file size limit) fails the run and leaves the three files of the font as they
// were, whichever is cut: the game never gets rectangles that point into another texture than theirs.
TEST(FontTool, AWriteCutShortFailsAndLeavesTheFontsFilesAsTheyWere)
{
    const char* const names[] = {"FontTexCoord.Dat", "Font.tga", "Font.Dat"};
    // Limits that cut the texture (the largest file) and nothing before it, and that cut the first file written.
    for (const uint64_t limit : {100000u, 1000u})
    {
        SCOPED_TRACE(limit);
        testsupport::TempDir dir;
        for (const char* name : names)
            testsupport::WriteText(dir.File(name), std::string("old ") + name);
        EXPECT_TRUE(testsupport::RunWithFileSizeLimit(limit, FontToolFails, dir.Path()));
        for (const char* name : names)
        {
            EXPECT_EQ(testsupport::ReadText(dir.File(name)), std::string("old ") + name);
            EXPECT_FALSE(std::filesystem::exists(dir.File(std::string(name) + ".tmp"))) << name;
        }
    }
    // Without a limit the same run writes all three.
    testsupport::TempDir dir;
    EXPECT_FALSE(FontToolFails(dir.Path()));
    for (const char* name : names)
        EXPECT_GT(testsupport::ReadBytes(dir.File(name)).size(), 1000u) << name;
}
