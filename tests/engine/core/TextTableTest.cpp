// Tests of the game's text table: reading scrambled UTF-16 pair files, lookups by id and by place, hostile files.
#include "engine/core/TextTable.h"
#include "engine/core/FileSystem.h"
#include "engine/core/StringHashMap.h"
#include "platform/WideText.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

// UTF-16LE bytes of the text, preceded by the byte-order mark FF FE.
Bytes Utf16WithBom(const std::u16string& text)
{
    Bytes bytes = {0xFF, 0xFE};
    for (char16_t c : text)
    {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

Bytes Complemented(Bytes bytes)
{
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(~b);
    return bytes;
}

std::u16string W(const char16_t* text)
{
    return text;
}

class TextTableTest : public ::testing::Test
{
protected:
    // Writes the scrambled twin of "<dir>/text_uk.uni" and returns the .uni name the table is built from.
    std::string WriteTable(const Bytes& plain)
    {
        testsupport::WriteBytes(m_dir.File("text_uk.ble"), Complemented(plain));
        return m_dir.File("text_uk.uni");
    }
    std::string WriteTable(const std::u16string& text) { return WriteTable(Utf16WithBom(text)); }

    testsupport::TempDir m_dir;
    testsupport::RecordingReportSink m_sink;
};

// ---- Construction, the global pointer, empty and tiny files ----

TEST_F(TextTableTest, GlobalPointerFollowsTheTableLifetime)
{
    {
        TextTable table(WriteTable(u"\"A\" \"a\"").c_str());
        EXPECT_EQ(g_pTextTable, &table);
    }
    EXPECT_EQ(g_pTextTable, nullptr);
}

TEST_F(TextTableTest, ByteOrderMarkOnlyGivesAnEmptyTable)
{
    TextTable table(WriteTable(u"").c_str());
    EXPECT_EQ(table.GetPairCount(), 0u);
    EXPECT_EQ(W(table.GetText("A")), u"");
    EXPECT_EQ(table.FindIndex("A"), -1);
    EXPECT_EQ(W(table.GetTextByIndex(0)), u"");
}

TEST_F(TextTableTest, MissingFileGivesAnEmptyTableSilently)
{
    TextTable table(m_dir.File("text_french.uni").c_str());
    EXPECT_EQ(table.GetPairCount(), 0u);
    EXPECT_EQ(W(table.GetText("ANY")), u"");
    EXPECT_TRUE(m_sink.boxes.empty());
    EXPECT_TRUE(m_sink.debug.empty());
}

TEST_F(TextTableTest, FilesOfZeroToThreeBytesGiveAnEmptyTable)
{
    const std::vector<Bytes> tiny = {{}, {0x22}, {0xFF, 0xFE}, {0xFF, 0xFE, 0x22}};
    for (const Bytes& plain : tiny)
    {
        TextTable table(WriteTable(plain).c_str());
        EXPECT_EQ(table.GetPairCount(), 0u) << plain.size() << " bytes";
        EXPECT_EQ(W(table.GetText("")), u"");
    }
}

TEST_F(TextTableTest, ReadsTheScrambledTwinNotThePlainFile)
{
    // A plain file under the .uni name holds other texts; the table must come from the .ble file.
    testsupport::WriteBytes(m_dir.File("text_uk.uni"), Utf16WithBom(u"\"K\" \"plain\""));
    TextTable table(WriteTable(u"\"K\" \"scrambled\"").c_str());
    EXPECT_EQ(W(table.GetText("K")), u"scrambled");
}

TEST_F(TextTableTest, ReadsAFileWrittenByTheFileServices)
{
    Bytes plain = Utf16WithBom(u"\"GREETING\" \"Hi\"");
    std::string bytes(plain.begin(), plain.end());
    ASSERT_TRUE(GetFileSystem()->WriteBleFile(m_dir.File("text_german.ble").c_str(), bytes.data(),
                                              static_cast<uint32_t>(bytes.size())));
    TextTable table(m_dir.File("text_german.uni").c_str());
    EXPECT_EQ(W(table.GetText("GREETING")), u"Hi");
}

// ---- The pair format ----

TEST_F(TextTableTest, StringsAlternateBetweenIdAndText)
{
    TextTable table(WriteTable(u"\"HELLO\" \"Hello there\"\r\n\"BYE\"\t\"Goodbye\"\r\n").c_str());
    EXPECT_EQ(table.GetPairCount(), 2u);
    EXPECT_EQ(W(table.GetText("HELLO")), u"Hello there");
    EXPECT_EQ(W(table.GetText("BYE")), u"Goodbye");
    EXPECT_EQ(table.FindIndex("BYE"), 1);
    EXPECT_EQ(W(table.GetTextByIndex(0)), u"Hello there");
    EXPECT_EQ(W(table.GetTextByIndex(1)), u"Goodbye");
}

TEST_F(TextTableTest, NotesBetweenPairsAreIgnored)
{
    TextTable table(WriteTable(u"Note: these are menu texts\r\n\r\n\"A\" = \"first\" ; comment\r\n"
                               u"-- more notes --\r\n\"B\"\r\n\r\n\"second\"")
                        .c_str());
    EXPECT_EQ(table.GetPairCount(), 2u);
    EXPECT_EQ(W(table.GetText("A")), u"first");
    EXPECT_EQ(W(table.GetText("B")), u"second");
}

TEST_F(TextTableTest, TextSpanningLinesKeepsItsLineBreak)
{
    TextTable table(WriteTable(u"\"TWO_LINES\" \"first line\r\nsecond line\"").c_str());
    EXPECT_EQ(W(table.GetText("TWO_LINES")), u"first line\r\nsecond line");
}

TEST_F(TextTableTest, TextsKeepUnitsOutsideTheCodePage)
{
    TextTable table(WriteTable(u"\"CJK\" \"\u4E2D\u6587 \u00E9 \u20AC\"").c_str());
    EXPECT_EQ(W(table.GetText("CJK")), u"\u4E2D\u6587 \u00E9 \u20AC");
}

TEST_F(TextTableTest, AnEmptyStringIsAValidIdAndText)
{
    TextTable table(WriteTable(u"\"\" \"nameless\" \"EMPTY\" \"\"").c_str());
    EXPECT_EQ(table.GetPairCount(), 2u);
    EXPECT_EQ(W(table.GetText("")), u"nameless");
    EXPECT_EQ(W(table.GetText("EMPTY")), u"");
    EXPECT_EQ(table.FindIndex("EMPTY"), 1);
}

TEST_F(TextTableTest, AnOddTrailingByteIsIgnored)
{
    Bytes plain = Utf16WithBom(u"\"A\" \"x\"");
    plain.push_back(0x22);
    TextTable table(WriteTable(plain).c_str());
    EXPECT_EQ(table.GetPairCount(), 1u);
    EXPECT_EQ(W(table.GetText("A")), u"x");
}

TEST_F(TextTableTest, TheFirstUnitIsSkippedWhateverItHolds)
{
    // No byte-order mark: the first unit (here a quote) is skipped without a test of its value.
    Bytes plain;
    for (char16_t c : std::u16string(u"\"X\" \"ID\" \"TEXT\""))
    {
        plain.push_back(static_cast<uint8_t>(c & 0xFF));
        plain.push_back(static_cast<uint8_t>(c >> 8));
    }
    TextTable table(WriteTable(plain).c_str());
    // After the skipped quote the walk sees X" "ID" "TEXT": the first string is the space between the first two
    // quotes (the id), the second the space between the next two (its text); the last quote is never closed.
    EXPECT_EQ(table.GetPairCount(), 1u);
    EXPECT_EQ(W(table.GetText(" ")), u" ");
    EXPECT_EQ(table.FindIndex("ID"), -1);
}

// ---- Lookups ----

TEST_F(TextTableTest, LookupIgnoresLetterCase)
{
    TextTable table(WriteTable(u"\"LOADSAVE_NO_GAMES\" \"No saved games\" \"lower_id\" \"stored lower\"").c_str());
    EXPECT_EQ(W(table.GetText("loadsave_no_games")), u"No saved games");
    EXPECT_EQ(W(table.GetText("LoadSave_No_Games")), u"No saved games");
    EXPECT_EQ(W(table.GetText("LOWER_ID")), u"stored lower");
    EXPECT_EQ(table.FindIndex("Lower_Id"), 1);
    EXPECT_EQ(W(table.GetTextW(u"loadsave_NO_games")), u"No saved games");
}

TEST_F(TextTableTest, DuplicateIdFindsTheFirstOccurrence)
{
    TextTable table(WriteTable(u"\"OTHER\" \"o\" \"DUP\" \"first\" \"DUP\" \"second\"").c_str());
    EXPECT_EQ(table.GetPairCount(), 3u);
    EXPECT_EQ(W(table.GetText("DUP")), u"first");
    EXPECT_EQ(table.FindIndex("dup"), 1);
    EXPECT_EQ(W(table.GetTextByIndex(2)), u"second");
}

TEST_F(TextTableTest, NullIdsAndOutOfRangeIndicesGiveTheEmptyText)
{
    TextTable table(WriteTable(u"\"A\" \"a\" \"B\" \"b\"").c_str());
    EXPECT_EQ(W(table.GetText(nullptr)), u"");
    EXPECT_EQ(W(table.GetTextW(nullptr)), u"");
    EXPECT_EQ(table.FindIndex(nullptr), -1);
    for (int index : {-1, -2, 2, 3, 3000, INT_MAX, INT_MIN})
        EXPECT_EQ(W(table.GetTextByIndex(index)), u"") << index;
    EXPECT_EQ(W(table.GetTextByIndex(1)), u"b");
}

TEST_F(TextTableTest, AbsentIdsGiveTheEmptyTextEveryTime)
{
    TextTable table(WriteTable(u"\"PRESENT\" \"here\"").c_str());
    const char* absent[] = {"ABSENT", "PRESEN", "PRESENTX", "PRESENT ", ""};
    for (int round = 0; round < 10000; ++round)
    {
        for (const char* id : absent)
            ASSERT_EQ(W(table.GetText(id)), u"") << id;
    }
    EXPECT_EQ(W(table.GetText("present")), u"here");
    EXPECT_EQ(table.FindIndex("ABSENT"), -1);
}

// Lookups must answer exactly as the full probe of the id map would: the text of the first key, in probe order
// from the query's own start bucket, that equals the query without regard to case.
TEST_F(TextTableTest, LookupsMatchTheFullProbeOfTheIdMap)
{
    // Ids that differ only in case are separate pairs; which one a mixed-case query meets first depends on the
    // query's start bucket, not on the file order.
    const std::vector<std::pair<std::string, std::u16string>> pairs = {
        {"MENU_TITLE", u"t1"}, {"menu_title", u"t2"}, {"Menu_Title", u"t3"}, {"SCORE", u"s"},
        {"score", u"s2"},      {"GUEST_NAME", u"g"},  {"PARK", u"p"},        {"park", u"p2"},
    };
    std::u16string text;
    for (const auto& [id, value] : pairs)
        text += u"\"" + platform::AnsiToWide(id.c_str()) + u"\" \"" + value + u"\"\r\n";
    TextTable table(WriteTable(text).c_str());
    ASSERT_EQ(table.GetPairCount(), pairs.size());

    StringHashMap<const std::u16string*> reference(TextTable::kMaxPairs);
    for (const auto& pair : pairs)
        reference.Insert(pair.first.c_str(), &pair.second);

    const char* queries[] = {"MENU_TITLE", "menu_title", "Menu_Title",  "mENU_tITLE", "MENU_title", "Score", "sCORE",
                             "score",      "guest_name", "GUEST_NAMES", "Park",       "pARK",       "PaRk",  "absent",
                             "MENU_TITL",  "",           "SCORE_"};
    for (const char* query : queries)
    {
        auto it = reference.Find(query);
        std::u16string expected = it == reference.End() ? u"" : *it.Value();
        EXPECT_EQ(W(table.GetText(query)), expected) << query;
    }
}

TEST_F(TextTableTest, IdsAreConvertedThroughTheAnsiCodePage)
{
    // U+00E9 is byte 0xE9 in code page 1252, U+20AC (euro) is byte 0x80, U+0100 is not in the code page and
    // becomes '?'.
    TextTable table(WriteTable(u"\"CAF\u00C9\" \"cafe\" \"\u20AC_SIGN\" \"euro\" \"ID_\u0100\" \"outside\"").c_str());
    EXPECT_EQ(W(table.GetText("CAF\xC9")), u"cafe");
    EXPECT_EQ(W(table.GetTextW(u"CAF\u00C9")), u"cafe");
    EXPECT_EQ(W(table.GetText("\x80_SIGN")), u"euro");
    EXPECT_EQ(W(table.GetTextW(u"\u20AC_sign")), u"euro");
    EXPECT_EQ(W(table.GetTextW(u"ID_\u0100")), u"outside");
    EXPECT_EQ(W(table.GetText("ID_?")), u"outside");
    // Only ASCII letters fold: the lower-case e-acute is a different byte, so it does not match.
    EXPECT_EQ(W(table.GetText("CAF\xE9")), u"");
    EXPECT_EQ(table.FindIndex("id_?"), 2);
}

TEST_F(TextTableTest, WideIdsAreCutAtTheNarrowBuffer)
{
    // A 16-bit id longer than the 255 characters of the narrowing buffer is cut there.
    std::string longId(300, 'L');
    std::string cutId(TextTable::kWideIdBufferSize - 1, 'L');
    std::u16string text = u"\"" + platform::AnsiToWide(cutId.c_str()) + u"\" \"cut\"";
    TextTable table(WriteTable(text).c_str());
    EXPECT_EQ(W(table.GetTextW(platform::AnsiToWide(longId.c_str()).c_str())), u"cut");
    EXPECT_EQ(W(table.GetText(longId.c_str())), u"");
}

// ---- Hostile files ----

std::u16string ManyPairs(int count)
{
    std::u16string text;
    for (int i = 0; i < count; ++i)
    {
        std::string id = "ID_" + std::to_string(i);
        std::string value = "text " + std::to_string(i);
        text += u"\"" + platform::AnsiToWide(id.c_str()) + u"\" \"" + platform::AnsiToWide(value.c_str()) + u"\"\r\n";
    }
    return text;
}

TEST_F(TextTableTest, ThreeThousandPairsAllFit)
{
    TextTable table(WriteTable(ManyPairs(3000)).c_str());
    EXPECT_EQ(table.GetPairCount(), 3000u);
    EXPECT_EQ(table.GetMappedCount(), 3000u);
    EXPECT_EQ(W(table.GetText("ID_2999")), u"text 2999");
    EXPECT_EQ(W(table.GetText("id_0")), u"text 0");
    EXPECT_EQ(W(table.GetTextByIndex(2999)), u"text 2999");
    EXPECT_TRUE(m_sink.debug.empty());
}

TEST_F(TextTableTest, PairsBeyondThreeThousandAreRefusedAndReported)
{
    TextTable table(WriteTable(ManyPairs(3002)).c_str());
    EXPECT_EQ(table.GetPairCount(), 3000u);
    EXPECT_EQ(W(table.GetText("ID_2999")), u"text 2999");
    EXPECT_EQ(W(table.GetText("ID_3000")), u"");
    EXPECT_EQ(W(table.GetText("ID_3001")), u"");
    EXPECT_EQ(table.FindIndex("ID_3000"), -1);
    EXPECT_EQ(W(table.GetTextByIndex(3000)), u"");
    EXPECT_NE(m_sink.debug.find("text_uk.ble"), std::string::npos);
    EXPECT_TRUE(m_sink.boxes.empty());
}

TEST_F(TextTableTest, UnclosedTextIsDropped)
{
    TextTable table(WriteTable(u"\"A\" \"a\"\r\n\"B\" \"never closed\r\n").c_str());
    EXPECT_EQ(table.GetPairCount(), 1u);
    EXPECT_EQ(W(table.GetText("A")), u"a");
    EXPECT_EQ(W(table.GetText("B")), u"");
    EXPECT_EQ(table.FindIndex("B"), -1);
    EXPECT_FALSE(m_sink.debug.empty());
}

TEST_F(TextTableTest, UnclosedIdIsDropped)
{
    TextTable table(WriteTable(u"\"A\" \"a\" \"B").c_str());
    EXPECT_EQ(table.GetPairCount(), 1u);
    EXPECT_EQ(table.FindIndex("B"), -1);
}

TEST_F(TextTableTest, IdWithoutTextDoesNotCount)
{
    TextTable table(WriteTable(u"\"A\" \"a\" \"ORPHAN\"\r\n").c_str());
    EXPECT_EQ(table.GetPairCount(), 1u);
    EXPECT_EQ(table.FindIndex("ORPHAN"), -1);
    EXPECT_EQ(W(table.GetText("ORPHAN")), u"");
}

TEST_F(TextTableTest, ZeroUnitInsideQuotesEndsTheString)
{
    std::u16string text = u"\"AB";
    text.push_back(0);
    text += u"CD\" \"te";
    text.push_back(0);
    text += u"xt\"";
    TextTable table(WriteTable(text).c_str());
    EXPECT_EQ(table.GetPairCount(), 1u);
    EXPECT_EQ(W(table.GetText("AB")), u"te");
}

// ---- Language file names ----

TEST(TextTableFileNameTest, LanguageNumbersNameTheirFiles)
{
    EXPECT_STREQ(TextTable::FileNameForLanguage(0), "data/text_uk.uni");
    EXPECT_STREQ(TextTable::FileNameForLanguage(1), "data/text_french.uni");
    EXPECT_STREQ(TextTable::FileNameForLanguage(2), "data/text_italian.uni");
    EXPECT_STREQ(TextTable::FileNameForLanguage(3), "data/text_german.uni");
    EXPECT_STREQ(TextTable::FileNameForLanguage(4), "data/text_spanish.uni");
    EXPECT_STREQ(TextTable::FileNameForLanguage(5), "data/text_polish.uni");
    for (int other : {-1, 6, 9, 1000})
        EXPECT_STREQ(TextTable::FileNameForLanguage(other), "data/text_uk.uni") << other;
}

TEST(TextTableFileNameTest, RelativeNamesAreReadFromTheWorkingDirectory)
{
    testsupport::TempDir dir;
    testsupport::RecordingReportSink sink;
    std::filesystem::create_directories(dir.File("Data"));
    testsupport::WriteBytes(dir.File("Data/TEXT_ITALIAN.BLE"), Complemented(Utf16WithBom(u"\"CIAO\" \"ciao\"")));
    testsupport::ScopedCurrentDir cd(dir.Path());
    TextTable table(TextTable::FileNameForLanguage(2));
    EXPECT_EQ(W(table.GetText("CIAO")), u"ciao");
}

} // namespace
