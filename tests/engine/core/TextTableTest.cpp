// Tests of the game's text table: reading scrambled UTF-16 pair files, lookups by id and by place, hostile files.
#include "engine/core/TextTable.h"
#include "engine/core/StringHashMap.h"
#include "platform/WideText.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

// UTF-16LE bytes of the text, preceded by a byte-order mark unless told otherwise.
Bytes Utf16(const std::u16string& text, bool bom = true)
{
    Bytes bytes;
    if (bom)
        bytes = {0xFF, 0xFE};
    for (char16_t c : text)
    {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

// The scrambled form: every byte complemented.
Bytes Scrambled(Bytes bytes)
{
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(~b);
    return bytes;
}

std::u16string W(const char16_t* text)
{
    return text;
}

std::u16string Quoted(const std::string& id, const std::string& text)
{
    return u"\"" + platform::AnsiToWide(id.c_str()) + u"\" \"" + platform::AnsiToWide(text.c_str()) + u"\"\r\n";
}

class TextTableTest : public ::testing::Test
{
protected:
    // Builds the table from the scrambled twin of "<dir>/text_uk.uni" holding these plain bytes.
    std::unique_ptr<TextTable> Make(const Bytes& plain)
    {
        testsupport::WriteBytes(m_dir.File("text_uk.ble"), Scrambled(plain));
        return std::make_unique<TextTable>(m_dir.File("text_uk.uni").c_str());
    }
    std::unique_ptr<TextTable> Make(const std::u16string& text) { return Make(Utf16(text)); }

    // Expects each id to look up its text.
    static void ExpectTexts(const TextTable& table, std::initializer_list<std::pair<const char*, const char16_t*>> rows)
    {
        for (auto [id, text] : rows)
            EXPECT_EQ(W(table.GetText(id)), text) << id;
    }

    testsupport::TempDir m_dir;
    testsupport::RecordingReportSink m_sink;
};

TEST_F(TextTableTest, MissingEmptyAndTinyFilesGiveAnEmptyTableSilently)
{
    // Sizes 0 to 3 bytes: the signed unit count (size / 2 - 1) must not wrap to a huge walk.
    for (const Bytes& plain : std::vector<Bytes>{{}, {0x22}, {0xFF, 0xFE, 0x22}})
    {
        auto table = Make(plain);
        EXPECT_EQ(table->GetPairCount(), 0u) << plain.size();
        EXPECT_EQ(W(table->GetTextByIndex(0)), u"");
    }
    TextTable missing(m_dir.File("text_french.uni").c_str());
    EXPECT_EQ(missing.GetPairCount(), 0u);
    EXPECT_TRUE(m_sink.boxes.empty());
    EXPECT_TRUE(m_sink.debug.empty());
}

TEST_F(TextTableTest, QuotedStringsAlternateIdAndTextNotesAreIgnoredAndTheGlobalPointerFollows)
{
    Bytes plain = Utf16(u"Note: menu texts\r\n\"HELLO\" = \"Hello there\" ; comment\r\n-- notes --\r\n"
                        u"\"TWO_LINES\"\r\n\r\n\"first\r\nsecond\"\t\"CJK\" \"\u4E2D\u6587 \u00E9\" \"\" \"nameless\" "
                        u"\"EMPTY\" \"\"");
    plain.push_back(0x22); // an odd trailing byte is not a unit
    auto table = Make(plain);
    EXPECT_EQ(g_pTextTable, table.get());
    EXPECT_EQ(table->GetPairCount(), 5u);
    ExpectTexts(*table, {{"HELLO", u"Hello there"},
                         {"TWO_LINES", u"first\r\nsecond"},
                         {"CJK", u"\u4E2D\u6587 \u00E9"},
                         {"", u"nameless"},
                         {"EMPTY", u""}});
    EXPECT_EQ(W(table->GetTextByIndex(1)), u"first\r\nsecond");

    // Without a byte-order mark a leading quote is skipped: the walk sees X" "ID" "TEXT", so the spaces between
    // quotes become an id and its text, and the last quote is never closed.
    table = Make(Utf16(u"\"X\" \"ID\" \"TEXT\"", false));
    EXPECT_EQ(table->GetPairCount(), 1u);
    EXPECT_EQ(W(table->GetText(" ")), u" ");
    table.reset();
    EXPECT_EQ(g_pTextTable, nullptr);
}

TEST_F(TextTableTest, LookupsIgnoreCaseFindTheFirstOccurrenceAndRefuseBadArguments)
{
    auto table =
        Make(u"\"LOADSAVE_NO_GAMES\" \"No saved games\" \"lower_id\" \"low\" \"DUP\" \"first\" \"DUP\" \"2nd\"");
    ExpectTexts(*table, {{"loadsave_no_games", u"No saved games"}, {"LOWER_ID", u"low"}, {"dup", u"first"}});
    EXPECT_EQ(W(table->GetTextW(u"LoadSave_No_GAMES")), u"No saved games");
    EXPECT_EQ(table->FindIndex("dup"), 2);
    // By index, in file order from 0: the second DUP is reached this way only.
    const std::u16string inOrder[] = {u"No saved games", u"low", u"first", u"2nd"};
    for (int index = 0; index < 4; ++index)
        EXPECT_EQ(W(table->GetTextByIndex(index)), inOrder[index]) << index;

    EXPECT_EQ(W(table->GetText(nullptr)), u"");
    EXPECT_EQ(table->FindIndex(nullptr), -1);
    for (int index : {-1, 4, INT_MIN})
        EXPECT_EQ(W(table->GetTextByIndex(index)), u"") << index;
}

// The miss shortcut must answer exactly as the full probe of the id map would: the first key, in probe order
// from the query's own bucket, that equals the query without regard to case; absent ids give the empty text.
TEST_F(TextTableTest, LookupsMatchTheFullProbeOfTheIdMap)
{
    const std::vector<std::pair<std::string, std::u16string>> pairs = {
        {"MENU_TITLE", u"t1"}, {"menu_title", u"t2"}, {"Menu_Title", u"t3"}, {"SCORE", u"s"}, {"score", u"s2"}};
    std::u16string text;
    StringHashMap<const std::u16string*> reference(TextTable::kMaxPairs);
    for (const auto& pair : pairs)
    {
        text += Quoted(pair.first, platform::WideToAnsi(pair.second.c_str()));
        reference.Insert(pair.first.c_str(), &pair.second);
    }
    auto table = Make(text);
    ASSERT_EQ(table->GetPairCount(), pairs.size());
    for (const char* query : {"MENU_TITLE", "mENU_tITLE", "sCORE", "absent", "MENU_TITL", ""})
    {
        auto it = reference.Find(query);
        EXPECT_EQ(W(table->GetText(query)), it == reference.End() ? u"" : *it.Value()) << query;
    }
}

TEST_F(TextTableTest, IdsAreConvertedThroughTheAnsiCodePage)
{
    // Code page 1252: U+00C9 is byte 0xC9, the euro sign is 0x80, U+0100 is outside and becomes '?'. Only ASCII
    // letters fold: the lower-case e-acute is another byte.
    auto table = Make(u"\"CAF\u00C9\" \"cafe\" \"\u20AC_SIGN\" \"euro\" \"ID_\u0100\" \"outside\"");
    ExpectTexts(*table, {{"CAF\xC9", u"cafe"}, {"\x80_sign", u"euro"}, {"ID_?", u"outside"}, {"CAF\xE9", u""}});
    EXPECT_EQ(W(table->GetTextW(u"ID_\u0100")), u"outside");

    // A 16-bit id longer than the narrowing buffer is cut at its 255 characters.
    table = Make(Quoted(std::string(TextTable::kWideIdBufferSize - 1, 'L'), "cut"));
    std::string longId(300, 'L');
    EXPECT_EQ(W(table->GetTextW(platform::AnsiToWide(longId.c_str()).c_str())), u"cut");
    EXPECT_EQ(W(table->GetText(longId.c_str())), u"");
}

TEST_F(TextTableTest, PairsBeyondThreeThousandAreRefusedAndReported)
{
    std::u16string text;
    for (int i = 0; i < 3002; ++i)
        text += Quoted("ID_" + std::to_string(i), "text " + std::to_string(i));
    auto table = Make(text);
    EXPECT_EQ(table->GetPairCount(), 3000u);
    EXPECT_EQ(table->GetMappedCount(), 3000u);
    ExpectTexts(*table, {{"id_2999", u"text 2999"}, {"ID_3000", u""}});
    EXPECT_NE(m_sink.debug.find("text_uk.ble"), std::string::npos);
    EXPECT_TRUE(m_sink.boxes.empty());
}

TEST_F(TextTableTest, UnclosedOrOrphanStringsAreDropped)
{
    // An unclosed text, an unclosed id (both reported), an id without a text.
    const std::pair<std::u16string, bool> cases[] = {{u"\"A\" \"a\"\r\n\"B\" \"never closed\r\n", true},
                                                     {u"\"A\" \"a\" \"B", true},
                                                     {u"\"A\" \"a\" \"B\"\r\n", false}}; // an id without its text
    for (const auto& [text, reported] : cases)
    {
        m_sink.debug.clear();
        auto table = Make(text);
        EXPECT_EQ(table->GetPairCount(), 1u);
        ExpectTexts(*table, {{"A", u"a"}, {"B", u""}});
        EXPECT_EQ(table->FindIndex("B"), -1);
        EXPECT_EQ(!m_sink.debug.empty(), reported);
    }
    // A zero unit inside the quotes ends the string there.
    auto table = Make(std::u16string(u"\"AB\0CD\" \"te\0xt\"", 15));
    EXPECT_EQ(table->GetPairCount(), 1u);
    EXPECT_EQ(W(table->GetText("AB")), u"te");
}

TEST(TextTableFileNameTest, LanguageNumbersNameTheirFiles)
{
    const char* names[] = {"data/text_uk.uni",     "data/text_french.uni",  "data/text_italian.uni",
                           "data/text_german.uni", "data/text_spanish.uni", "data/text_polish.uni"};
    for (int language = 0; language < 6; ++language)
        EXPECT_STREQ(TextTable::FileNameForLanguage(language), names[language]);
    for (int other : {-1, 6})
        EXPECT_STREQ(TextTable::FileNameForLanguage(other), "data/text_uk.uni") << other;
}

} // namespace
