// Tests of the text service's unicode tables: .uni loading, text expansion, the dump and hostile files.
#include "engine/core/TextSystem.h"
#include "platform/WideText.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

Bytes Utf16Bytes(const std::u16string& text)
{
    Bytes bytes;
    for (char16_t c : text)
    {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

// A .uni file: byte-order mark, then every line ended by CR LF.
Bytes UniFile(const std::vector<std::u16string>& lines)
{
    std::u16string text = u"\uFEFF";
    for (const std::u16string& line : lines)
        text += line + u"\r\n";
    return Utf16Bytes(text);
}

std::u16string U(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

std::u16string W(const char16_t* text)
{
    return text ? std::u16string(text) : std::u16string(u"<null>");
}

class TextSystemTest : public ::testing::Test
{
protected:
    std::string Write(const std::string& name, const Bytes& bytes)
    {
        std::string path = m_dir.File(name);
        testsupport::WriteBytes(path, bytes);
        return path;
    }
    std::string WriteUni(const std::string& name, const std::vector<std::u16string>& lines)
    {
        return Write(name, UniFile(lines));
    }
    // Loads the lines as table 0 and expects the load to succeed.
    void Load(const std::vector<std::u16string>& lines)
    {
        ASSERT_TRUE(m_text.LoadTextTable(WriteUni("table.uni", lines).c_str()));
    }

    testsupport::TempDir m_dir;
    testsupport::RecordingReportSink m_sink;
    TextSystem m_text;
};

void ExpectBuiltInEntry(const TextEntry* entry)
{
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->id, u"ERROR");
    EXPECT_EQ(W(entry->Text()), u"No Text!");
    EXPECT_EQ(W(entry->Token()), u"__");
    EXPECT_EQ(entry->length, 8);
}

// ---- Service state ----

TEST_F(TextSystemTest, StartsWithDefaultStateAndEmptyTables)
{
    EXPECT_EQ(m_text.GetColour(), 0xFFFFFFFFu);
    EXPECT_EQ(m_text.GetFontCount(), 0);
    EXPECT_EQ(m_text.GetCurrentFont(), 0);
    EXPECT_EQ(m_text.GetEntryCount(0), 0);
    EXPECT_EQ(m_text.GetEntryCount(1), 0);
    EXPECT_EQ(m_text.GetEntry(0, 0), nullptr);
    m_text.SetColour(0x80FF0000);
    m_text.SetFont(2);
    EXPECT_EQ(m_text.GetColour(), 0x80FF0000u);
    EXPECT_EQ(m_text.GetCurrentFont(), 2);
    EXPECT_TRUE(m_text.NoOperation(7));
    m_text.Init();
    EXPECT_EQ(m_text.GetColour(), 0xFFFFFFFFu);
    EXPECT_EQ(m_text.GetCurrentFont(), 0);
}

TEST_F(TextSystemTest, GetTextOnlyTerminatesTheBuffer)
{
    Load({u"ID_GENERAL_DIRECTX_FAIL", u"\"DirectX failed\"", u"__"});
    char buffer[1024];
    std::memset(buffer, 'Z', sizeof(buffer));
    m_text.GetText("ID_GENERAL_DIRECTX_FAIL", buffer, sizeof(buffer));
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(buffer[1], 'Z');
    m_text.GetText("ID_GAME_TITLE", nullptr, 1024);
    m_text.GetText("ID_GAME_TITLE", buffer, 0);
}

// ---- Loading ----

TEST_F(TextSystemTest, ByteOrderMarkOnlyGivesTheBuiltInEntry)
{
    ASSERT_TRUE(m_text.LoadTextTable(Write("empty.uni", {0xFF, 0xFE}).c_str()));
    EXPECT_EQ(m_text.GetEntryCount(0), 1);
    ExpectBuiltInEntry(m_text.GetEntry(0, 0));
    EXPECT_STREQ(m_text.GetIdName(0), "ERROR");
    EXPECT_EQ(m_text.GetTextLength(0), 8);
}

TEST_F(TextSystemTest, TinyAndOddSizedFilesLoadSafely)
{
    for (const Bytes& bytes : std::vector<Bytes>{{}, {0xFF}, {0xFF, 0xFE, 0x49}})
    {
        EXPECT_TRUE(m_text.LoadTextTable(Write("tiny.uni", bytes).c_str())) << bytes.size();
        EXPECT_EQ(m_text.GetEntryCount(0), 1) << bytes.size();
    }
}

TEST_F(TextSystemTest, ReadsEntriesBetweenHeadersNotesAndBlankLines)
{
    Load({u"------------------", u"Some header", u"", u"ID_MENU_START", u"\"Start game\"", u"_start_", u"",
          u"a note between entries", u"ID_MENU_QUIT extra words", u"\"Quit\" trailing", u"_quit_ more"});
    ASSERT_EQ(m_text.GetEntryCount(0), 3);
    ExpectBuiltInEntry(m_text.GetEntry(0, 0));

    const TextEntry* start = m_text.GetEntry(0, 1);
    EXPECT_EQ(start->id, u"ID_MENU_START");
    EXPECT_EQ(W(start->Text()), u"Start game");
    EXPECT_EQ(W(start->Token()), u"start");
    // Units after the opening quote: the ten letters and the closing quote.
    EXPECT_EQ(start->length, 11);

    const TextEntry* quit = m_text.GetEntry(0, 2);
    EXPECT_EQ(quit->id, u"ID_MENU_QUIT");
    EXPECT_EQ(W(quit->Text()), u"Quit");
    EXPECT_EQ(W(quit->Token()), u"quit");
    // Quit, the closing quote, a space and "trailing": 4 + 1 + 1 + 8.
    EXPECT_EQ(quit->length, 14);
    EXPECT_STREQ(m_text.GetIdName(2), "ID_MENU_QUIT");
}

TEST_F(TextSystemTest, IdLineWithoutTextLineGivesNullTextAndFailure)
{
    std::string path = WriteUni("missing_text.uni",
                                {u"ID_FIRST", u"not a quoted line", u"_tok_", u"ID_SECOND", u"\"Second\"", u"_two_"});
    EXPECT_FALSE(m_text.LoadTextTable(path.c_str()));
    ASSERT_EQ(m_text.GetEntryCount(0), 3);
    const TextEntry* first = m_text.GetEntry(0, 1);
    EXPECT_EQ(first->id, u"ID_FIRST");
    EXPECT_EQ(first->Text(), nullptr);
    // The line after the failed text line is taken as the token line all the same.
    EXPECT_EQ(W(first->Token()), u"tok");
    EXPECT_STREQ(m_text.GetIdBuffer(), "ID_FIRST");
    EXPECT_EQ(W(m_text.GetEntry(0, 2)->Text()), u"Second");
    // Expanding an entry without a text gives the empty text.
    EXPECT_EQ(W(m_text.FormatTextArgs(1, nullptr)), u"");
}

TEST_F(TextSystemTest, TokenLineWithoutUnderscoreGivesNullTokenAndIsConsumed)
{
    Load({u"ID_A", u"\"a\"", u"ID_NOT_AN_ID", u"ID_B", u"\"b\"", u"_b_"});
    ASSERT_EQ(m_text.GetEntryCount(0), 3);
    EXPECT_EQ(m_text.GetEntry(0, 1)->Token(), nullptr);
    // "ID_NOT_AN_ID" was consumed as the token line, so the next id is ID_B.
    EXPECT_EQ(m_text.GetEntry(0, 2)->id, u"ID_B");
    EXPECT_EQ(W(m_text.GetEntry(0, 2)->Token()), u"b");
}

TEST_F(TextSystemTest, TextAndTokenStopAtTheirClosingCharacter)
{
    Load({u"ID_A", u"\"no closing quote", u"_open token", u"ID_B", u"\"\"", u"__"});
    EXPECT_EQ(W(m_text.GetEntry(0, 1)->Text()), u"no closing quote");
    EXPECT_EQ(W(m_text.GetEntry(0, 1)->Token()), u"open token");
    EXPECT_EQ(W(m_text.GetEntry(0, 2)->Text()), u"");
    EXPECT_EQ(m_text.GetEntry(0, 2)->length, 1);
    EXPECT_EQ(W(m_text.GetEntry(0, 2)->Token()), u"");
}

TEST_F(TextSystemTest, TextIsTakenFromTheSecondUnitEvenAfterLeadingSpaces)
{
    // With two spaces before the quote the text runs from the second unit (a space) to the next quote (the
    // opening one).
    Load({u"ID_A", u"  \"Hi\"", u"_t_"});
    EXPECT_EQ(W(m_text.GetEntry(0, 1)->Text()), u" ");
    EXPECT_EQ(m_text.GetEntry(0, 1)->length, 5);
}

TEST_F(TextSystemTest, IdsKeepOnlyTheLowByteOfEachUnit)
{
    Load({u"ID_\u0141\u00E9 rest", u"\"x\"", u"_t_"});
    // U+0141 narrows to 0x41 ('A'); U+00E9 stays.
    EXPECT_EQ(m_text.GetEntry(0, 1)->id, u"ID_A\u00E9");
    EXPECT_STREQ(m_text.GetIdName(1), "ID_A\xE9");
}

TEST_F(TextSystemTest, LinesEndedByLineFeedAloneLoseTheirLastUnit)
{
    // Without CR the unit dropped before each line feed is the line's last character.
    std::string path = Write("lf.uni", Utf16Bytes(u"\uFEFFID_AB\n\"text\"!\n_tok_!\n"));
    ASSERT_TRUE(m_text.LoadTextTable(path.c_str()));
    ASSERT_EQ(m_text.GetEntryCount(0), 2);
    EXPECT_EQ(m_text.GetEntry(0, 1)->id, u"ID_A");
    EXPECT_EQ(W(m_text.GetEntry(0, 1)->Text()), u"text");
    EXPECT_EQ(W(m_text.GetEntry(0, 1)->Token()), u"tok");
}

TEST_F(TextSystemTest, LastLineWithoutLineFeedIsReadWhole)
{
    std::string bare = Write("bare.uni", Utf16Bytes(u"\uFEFFID_A\r\n\"a\"\r\n_tok_"));
    ASSERT_TRUE(m_text.LoadTextTable(bare.c_str()));
    ASSERT_EQ(m_text.GetEntryCount(0), 2);
    EXPECT_EQ(W(m_text.GetEntry(0, 1)->Token()), u"tok");

    std::string withCr = Write("cr.uni", Utf16Bytes(u"\uFEFFID_A\r\n\"a\"\r\n_tok\r"));
    ASSERT_TRUE(m_text.LoadTextTable(withCr.c_str()));
    EXPECT_EQ(W(m_text.GetEntry(0, 1)->Token()), u"tok");
}

TEST_F(TextSystemTest, EntryCutOffByTheEndOfTheFileIsNotCounted)
{
    Load({u"ID_A", u"\"a\"", u"_a_", u"ID_B", u"\"b\""});
    EXPECT_EQ(m_text.GetEntryCount(0), 2);
    EXPECT_EQ(m_text.GetEntry(0, 2), nullptr);
}

TEST_F(TextSystemTest, EmptyLineInPlaceOfTheTextGivesNullText)
{
    std::string path = Write("gap.uni", Utf16Bytes(u"\uFEFFID_A\r\n\n_t_\r\n"));
    EXPECT_FALSE(m_text.LoadTextTable(path.c_str()));
    ASSERT_EQ(m_text.GetEntryCount(0), 2);
    EXPECT_EQ(m_text.GetEntry(0, 1)->Text(), nullptr);
    EXPECT_EQ(W(m_text.GetEntry(0, 1)->Token()), u"t");
}

TEST_F(TextSystemTest, MissingFileShowsTheWarningAndFails)
{
    std::string path = m_dir.File("english.uni");
    EXPECT_FALSE(m_text.LoadTextTable(path.c_str()));
    ASSERT_EQ(m_sink.boxes.size(), 1u);
    EXPECT_EQ(m_sink.boxes[0].title, "Warning");
    EXPECT_EQ(m_sink.boxes[0].text, "Cannot read in " + path +
                                        " file - the program will now quit\nNote: You MUST have an english.uni in "
                                        "the current directory to start");
    EXPECT_EQ(m_text.GetEntryCount(0), 0);
    EXPECT_FALSE(m_text.LoadTextFile(nullptr));
}

TEST_F(TextSystemTest, LoadTextFileReplacesTableZero)
{
    Load({u"ID_A", u"\"a\"", u"_a_", u"ID_B", u"\"b\"", u"_b_"});
    ASSERT_TRUE(m_text.LoadTextFile(WriteUni("other.uni", {u"ID_C", u"\"c\"", u"_c_"}).c_str()));
    ASSERT_EQ(m_text.GetEntryCount(0), 2);
    EXPECT_EQ(m_text.GetEntry(0, 1)->id, u"ID_C");
    EXPECT_EQ(m_text.GetEntry(0, 2), nullptr);
    // A failed load leaves the table as it was.
    EXPECT_FALSE(m_text.LoadTextFile(m_dir.File("nothing.uni").c_str()));
    EXPECT_EQ(m_text.GetEntryCount(0), 2);
    EXPECT_EQ(m_text.GetEntry(0, 1)->id, u"ID_C");
}

TEST_F(TextSystemTest, ShutdownAndUnloadLeaveNoEntryReachable)
{
    Load({u"ID_A", u"\"%d apples\"", u"_a_"});
    m_text.Shutdown();
    EXPECT_EQ(m_text.GetEntryCount(0), 0);
    EXPECT_EQ(m_text.GetEntry(0, 1), nullptr);
    EXPECT_STREQ(m_text.GetIdName(1), "");
    EXPECT_EQ(m_text.GetTextLength(1), 0);
    EXPECT_EQ(m_text.CountFormatSpecs(1), 0);
    EXPECT_EQ(m_text.GetFormatSpec(1, 0), nullptr);
    uintptr_t args[] = {TextSystem::TextArg(3)};
    EXPECT_EQ(W(m_text.FormatTextArgs(1, args)), u"");
    EXPECT_EQ(W(m_text.FormatText(1, 3)), u"");

    Load({u"ID_A", u"\"a\"", u"_a_"});
    EXPECT_FALSE(m_text.UnloadTextTables());
    EXPECT_EQ(m_text.GetEntryCount(0), 0);
    EXPECT_EQ(m_text.GetEntry(0, 0), nullptr);
}

// ---- Master and slave ----

TEST_F(TextSystemTest, MasterAndSlaveWithEqualCountsLoadBoth)
{
    std::string master = WriteUni("english.uni", {u"ID_A", u"\"Hello\"", u"_a_"});
    std::string slave = WriteUni("french.uni", {u"ID_A", u"\"Bonjour\"", u"_a_"});
    EXPECT_TRUE(m_text.LoadMasterAndSlave(master.c_str(), slave.c_str()));
    EXPECT_EQ(W(m_text.GetEntry(0, 1)->Text()), u"Hello");
    EXPECT_EQ(W(m_text.GetEntry(1, 1)->Text()), u"Bonjour");
    // Lookups are served from the master.
    EXPECT_EQ(W(m_text.FormatTextArgs(1, nullptr)), u"Hello");
    EXPECT_TRUE(m_sink.boxes.empty());
}

TEST_F(TextSystemTest, MasterAndSlaveWithDifferentCountsFail)
{
    std::string master = WriteUni("english.uni", {u"ID_A", u"\"a\"", u"_a_", u"ID_B", u"\"b\"", u"_b_"});
    std::string slave = WriteUni("french.uni", {u"ID_A", u"\"a\"", u"_a_"});
    EXPECT_FALSE(m_text.LoadMasterAndSlave(master.c_str(), slave.c_str()));
    ASSERT_EQ(m_sink.boxes.size(), 1u);
    EXPECT_EQ(m_sink.boxes[0].title, "");
    EXPECT_EQ(m_sink.boxes[0].text, "Number of ids appears to be different between final master and final slave "
                                    "files\n\nMaster Ids - 3\nSlave Ids - 2");
}

TEST_F(TextSystemTest, MasterAndSlaveFailWhenALoadFails)
{
    std::string master = WriteUni("english.uni", {u"ID_A", u"not quoted", u"_a_"});
    std::string slave = WriteUni("french.uni", {u"ID_A", u"\"a\"", u"_a_"});
    EXPECT_FALSE(m_text.LoadMasterAndSlave(master.c_str(), slave.c_str()));
    EXPECT_TRUE(m_sink.boxes.empty());
    EXPECT_FALSE(m_text.LoadMasterAndSlave(m_dir.File("none.uni").c_str(), m_dir.File("none2.uni").c_str()));
}

// ---- Entry operations ----

TEST_F(TextSystemTest, FormatSpecsAreFoundAndCounted)
{
    Load({u"ID_A", u"\"a%db%q%\"", u"_a_", u"ID_B", u"\"%d %f %s %i %x %% %\"", u"_b_"});
    const char16_t* text = m_text.GetEntry(0, 1)->Text();
    EXPECT_EQ(m_text.GetFormatSpec(1, 1), text + 2);
    EXPECT_EQ(m_text.GetFormatSpec(1, 0), nullptr);
    EXPECT_EQ(m_text.GetFormatSpec(1, 4), nullptr); // '%' before 'q'
    EXPECT_EQ(m_text.GetFormatSpec(1, 6), nullptr); // '%' at the end
    EXPECT_EQ(m_text.GetFormatSpec(1, 7), nullptr);
    EXPECT_EQ(m_text.GetFormatSpec(1, -1), nullptr);
    EXPECT_EQ(m_text.GetFormatSpec(1, 100000), nullptr);
    EXPECT_EQ(m_text.CountFormatSpecs(1), 1);
    EXPECT_EQ(m_text.CountFormatSpecs(2), 4);
    m_text.InspectEntry(2);
    m_text.InspectEntry(-5);
}

TEST_F(TextSystemTest, EntryIndicesOutsideTheTableGiveNothing)
{
    Load({u"ID_A", u"\"a\"", u"_a_"});
    for (int entry : {-1, 2, 4999, 5000, INT_MAX, INT_MIN})
    {
        EXPECT_STREQ(m_text.GetIdName(entry), "") << entry;
        EXPECT_EQ(m_text.GetTextLength(entry), 0) << entry;
        EXPECT_EQ(m_text.GetFormatSpec(entry, 0), nullptr) << entry;
        EXPECT_EQ(m_text.CountFormatSpecs(entry), 0) << entry;
        EXPECT_EQ(W(m_text.FormatTextArgs(entry, nullptr)), u"") << entry;
        EXPECT_EQ(W(m_text.FormatText(entry)), u"") << entry;
        EXPECT_EQ(m_text.GetEntry(0, entry), nullptr) << entry;
    }
    EXPECT_EQ(m_text.GetEntry(2, 0), nullptr);
    EXPECT_EQ(m_text.GetEntry(-1, 0), nullptr);
    EXPECT_EQ(m_text.GetEntryCount(7), 0);
}

// ---- Expansion with an argument array ----

class TextExpansionTest : public TextSystemTest
{
protected:
    void SetUp() override
    {
        Load({u"ID_COUNT",   u"\"%d apples\"",
              u"_1_", // 1
              u"ID_PRICE",   u"\"Price %f\"",
              u"_2_", // 2
              u"ID_NAME",    u"\"Hello %s!\"",
              u"_3_", // 3
              u"ID_OUTER",   u"\"A%iB%d\"",
              u"_4_", // 4
              u"ID_INNER",   u"\"<%d>\"",
              u"_5_", // 5
              u"ID_PERCENT", u"\"100% %x %%d %\"",
              u"_6_", // 6
              u"ID_LINES",   u"\"one\\ntwo\\n\\nthree%\\n\"",
              u"_7_", // 7
              u"ID_SELF",    u"\"x%i\"",
              u"_8_", // 8
              u"ID_PING",    u"\"a%i\"",
              u"_9_", // 9
              u"ID_PONG",    u"\"b%i\"",
              u"_10_"}); // 10
    }
};

TEST_F(TextExpansionTest, NumbersAndStringsAreWrittenIntoTheText)
{
    uintptr_t negative[] = {TextSystem::TextArg(-5)};
    EXPECT_EQ(W(m_text.FormatTextArgs(1, negative)), u"-5 apples");
    uintptr_t extreme[] = {TextSystem::TextArg(INT_MIN)};
    EXPECT_EQ(W(m_text.FormatTextArgs(1, extreme)), u"-2147483648 apples");
    uintptr_t price[] = {TextSystem::TextArg(1.5f)};
    EXPECT_EQ(W(m_text.FormatTextArgs(2, price)), u"Price 1.50");
    uintptr_t rounding[] = {TextSystem::TextArg(2.125f)};
    EXPECT_EQ(W(m_text.FormatTextArgs(2, rounding)), u"Price 2.12");
    // %s converts through code page 1252: 0xE9 is e-acute and 0x80 the euro sign.
    uintptr_t name[] = {TextSystem::TextArg("Ren\xE9 \x80")};
    EXPECT_EQ(W(m_text.FormatTextArgs(3, name)), u"Hello Ren\u00E9 \u20AC!");
    uintptr_t none[] = {TextSystem::TextArg(static_cast<const char*>(nullptr))};
    EXPECT_EQ(W(m_text.FormatTextArgs(3, none)), u"Hello !");
    EXPECT_EQ(m_text.GetOutputLength(), 7);
}

TEST_F(TextExpansionTest, ReferencedEntryConsumesTheFollowingArguments)
{
    uintptr_t args[] = {TextSystem::TextArg(5), TextSystem::TextArg(7), TextSystem::TextArg(9)};
    EXPECT_EQ(W(m_text.FormatTextArgs(4, args)), u"A<7>B9");
    // A reference to entry 0 expands the built-in text; one outside the table adds nothing.
    uintptr_t builtIn[] = {TextSystem::TextArg(0), TextSystem::TextArg(1)};
    EXPECT_EQ(W(m_text.FormatTextArgs(4, builtIn)), u"ANo Text!B1");
    uintptr_t outside[] = {TextSystem::TextArg(4000), TextSystem::TextArg(2)};
    EXPECT_EQ(W(m_text.FormatTextArgs(4, outside)), u"AB2");
}

TEST_F(TextExpansionTest, PercentBeforeOtherUnitsIsCopied)
{
    uintptr_t args[] = {TextSystem::TextArg(5)};
    // "100% %x %%d %": the first '%' before a space, '%' before x, a '%' then "%d", and a final '%'.
    EXPECT_EQ(W(m_text.FormatTextArgs(6, args)), u"100% %x %5 %");
}

TEST_F(TextExpansionTest, BackslashNBecomesALineFeedInTheArrayForm)
{
    EXPECT_EQ(W(m_text.FormatTextArgs(7, nullptr)), u"one\ntwo\n\nthree%\n");
}

TEST_F(TextExpansionTest, SelfReferenceIsBoundedByTheNestingDepth)
{
    std::vector<uintptr_t> args(64, TextSystem::TextArg(8));
    std::u16string expected(TextSystem::kMaxReferenceDepth + 1, u'x');
    EXPECT_EQ(W(m_text.FormatTextArgs(8, args.data())), expected);
}

TEST_F(TextExpansionTest, ReferenceCycleIsBoundedByTheNestingDepth)
{
    std::vector<uintptr_t> args;
    for (int i = 0; i < 64; ++i)
        args.push_back(TextSystem::TextArg(i % 2 == 0 ? 10 : 9));
    std::u16string expected;
    for (int depth = 0; depth <= TextSystem::kMaxReferenceDepth; ++depth)
        expected.push_back(depth % 2 == 0 ? u'a' : u'b');
    EXPECT_EQ(W(m_text.FormatTextArgs(9, args.data())), expected);
}

TEST_F(TextExpansionTest, OutputIsCutAtTheBufferAndTerminated)
{
    // Sixteen references to a 200-unit text would give 3200 units: the output stops at 1023 and is terminated.
    Load({u"ID_LONG", u"\"" + std::u16string(200, u'y') + u"\"", u"_l_", u"ID_FAN",
          u"\"%i%i%i%i%i%i%i%i%i%i%i%i%i%i%i%i\"", u"_f_"});
    std::vector<uintptr_t> args(16, TextSystem::TextArg(1));
    const char16_t* out = m_text.FormatTextArgs(2, args.data());
    EXPECT_EQ(m_text.GetOutputLength(), TextSystem::kOutputSize - 1);
    EXPECT_EQ(W(out), std::u16string(TextSystem::kOutputSize - 1, u'y'));
}

TEST_F(TextExpansionTest, LongStringArgumentIsCut)
{
    std::string longText(3000, 'q');
    uintptr_t args[] = {TextSystem::TextArg(longText.c_str())};
    std::u16string out = W(m_text.FormatTextArgs(3, args));
    EXPECT_EQ(out.size(), static_cast<size_t>(TextSystem::kOutputSize - 1));
    EXPECT_EQ(out.substr(0, 6), u"Hello ");
    EXPECT_EQ(out.back(), u'q');
}

// ---- Expansion with a variable argument list ----

TEST_F(TextExpansionTest, VariableArgumentsTakeDoublesAndKeepBackslashN)
{
    EXPECT_EQ(W(m_text.FormatText(1, 12)), u"12 apples");
    EXPECT_EQ(W(m_text.FormatText(2, 2.25)), u"Price 2.25");
    EXPECT_EQ(W(m_text.FormatText(3, "World")), u"Hello World!");
    EXPECT_EQ(W(m_text.FormatText(4, 5, 7, 9)), u"A<7>B9");
    EXPECT_EQ(W(m_text.FormatText(7)), u"one\\ntwo\\n\\nthree%\\n");
}

const char16_t* CallFormatTextV(TextSystem& text, int entry, ...)
{
    va_list args;
    va_start(args, entry);
    const char16_t* result = text.FormatTextV(entry, args);
    va_end(args);
    return result;
}

TEST_F(TextExpansionTest, ArgumentListFormMatchesTheVariadicForm)
{
    EXPECT_EQ(W(CallFormatTextV(m_text, 2, -0.5)), u"Price -0.50");
    EXPECT_EQ(W(CallFormatTextV(m_text, 4, 0, 3)), u"ANo Text!B3");
    EXPECT_EQ(W(CallFormatTextV(m_text, 4, 1, 3, 4)), u"A3 applesB4");
    EXPECT_EQ(W(CallFormatTextV(m_text, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8)),
              std::u16string(TextSystem::kMaxReferenceDepth + 1, u'x'));
}

// ---- Hostile sizes ----

std::vector<std::u16string> Entries(int count)
{
    std::vector<std::u16string> lines;
    for (int i = 1; i <= count; ++i)
    {
        lines.push_back(U("ID_" + std::to_string(i)));
        lines.push_back(U("\"text " + std::to_string(i) + "\""));
        lines.push_back(U("_" + std::to_string(i) + "_"));
    }
    return lines;
}

TEST_F(TextSystemTest, FiveThousandEntriesFillTheTable)
{
    ASSERT_TRUE(m_text.LoadTextTable(WriteUni("full.uni", Entries(TextSystem::kMaxEntries - 1)).c_str()));
    EXPECT_EQ(m_text.GetEntryCount(0), TextSystem::kMaxEntries);
    EXPECT_STREQ(m_text.GetIdName(TextSystem::kMaxEntries - 1), "ID_4999");
    EXPECT_TRUE(m_sink.debug.empty());
}

TEST_F(TextSystemTest, EntriesBeyondFiveThousandAreRefused)
{
    EXPECT_FALSE(m_text.LoadTextTable(WriteUni("over.uni", Entries(TextSystem::kMaxEntries + 3)).c_str()));
    EXPECT_EQ(m_text.GetEntryCount(0), TextSystem::kMaxEntries);
    EXPECT_STREQ(m_text.GetIdName(TextSystem::kMaxEntries - 1), "ID_4999");
    EXPECT_EQ(W(m_text.FormatText(TextSystem::kMaxEntries)), u"");
    EXPECT_NE(m_sink.debug.find("over.uni"), std::string::npos);
}

TEST_F(TextSystemTest, LineOfTwoThousandAndFortyEightUnitsIsAccepted)
{
    // 2045 text units, the two quotes and the CR: exactly 2048 units before the line feed.
    std::u16string text(TextSystem::kMaxLineUnits - 3, u'w');
    ASSERT_TRUE(m_text.LoadTextTable(WriteUni("edge.uni", {u"ID_A", u"\"" + text + u"\"", u"_a_"}).c_str()));
    EXPECT_EQ(W(m_text.GetEntry(0, 1)->Text()), text);
    EXPECT_EQ(m_text.GetEntry(0, 1)->length, TextSystem::kMaxLineUnits - 2);
}

TEST_F(TextSystemTest, LongerLineStopsTheLoadWithoutEndingTheProgram)
{
    // 2046 text units, the two quotes and the CR: 2049 units, one more than a line may hold.
    std::u16string text(TextSystem::kMaxLineUnits - 2, u'w');
    std::string path = WriteUni(
        "long.uni", {u"ID_A", u"\"a\"", u"_a_", u"ID_B", u"\"" + text + u"\"", u"_b_", u"ID_C", u"\"c\"", u"_c_"});
    testing::internal::CaptureStdout();
    bool loaded = m_text.LoadTextTable(path.c_str());
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(loaded);
    EXPECT_EQ(printed, "MAX_UNI_LENGTH exceeded. Increase it....\n");
    // Entries before the long line stay; the entry it belongs to and everything after are left out.
    EXPECT_EQ(m_text.GetEntryCount(0), 2);
    EXPECT_STREQ(m_text.GetIdName(1), "ID_A");
    EXPECT_EQ(m_text.GetEntry(0, 2), nullptr);
}

// ---- The dump ----

// 14 November 2023, 22:13:20 UTC.
constexpr std::time_t kDumpTime = 1700000000;

std::u16string ExpectedHeader()
{
    std::u16string header;
    header += u"------------------\n";
    header += u"Ravel Unicode File\n";
    header += u"------------------\n";
    header += u"Date Created: (22:13:20, 14/11/2023)\n\n";
    header += u"Token reference\n\n";
    header += u"%d = Decimal number eg 1, 5, 7\n";
    header += u"%f = Floating point number eg 1.23, 2.5\n";
    header += u"%s = String eg \"Hello\", \"This is a string\"\n";
    header += u"%i = Identifier eg ID_FRONTEND_MAINMENU_STARTGAME\n\n";
    header += u"Order and number of tokens in every language must match english.uni master\n";
    header += u"\n\n";
    header += std::u16string(87, u'-') + u"\n\n";
    return header;
}

TEST_F(TextSystemTest, DumpHasTheExactHeaderAndEntryLayout)
{
    Load({u"ID_A", u"\"Caf\u00E9 %d\"", u"_a_", u"ID_B", u"\"b\"", u"no token"});
    m_text.SetClock([] { return kDumpTime; });
    std::string path = m_dir.File("dump.uni");
    ASSERT_TRUE(m_text.WriteTextDump(0, path.c_str()));

    Bytes expected = {0xFF, 0xFE};
    Bytes body = Utf16Bytes(ExpectedHeader() + u"ID_A \n\"Caf\u00E9 %d\" \n_a_ \n \n" + u"ID_B \n\"b\" \n__ \n \n");
    expected.insert(expected.end(), body.begin(), body.end());
    EXPECT_EQ(testsupport::ReadBytes(path), expected);
    EXPECT_EQ(testsupport::ReadBytes(path + ".bak"), expected);
    ASSERT_EQ(m_sink.boxes.size(), 1u);
    EXPECT_EQ(m_sink.boxes[0].title, "Warning");
    EXPECT_EQ(m_sink.boxes[0].text, "File saved ok!");
}

TEST_F(TextSystemTest, DumpReadsBackIntoTheSameEntries)
{
    Load({u"ID_FIRST", u"\"First text with %d and %s\"", u"_one_", u"ID_SECOND", u"\"\u00C0 la carte\"", u"_two_",
          u"ID_THIRD", u"\"\"", u"__"});
    std::string path = m_dir.File("dump.uni");
    ASSERT_TRUE(m_text.WriteTextDump(0, path.c_str()));

    TextSystem reread;
    ASSERT_TRUE(reread.LoadTextTable(path.c_str()));
    ASSERT_EQ(reread.GetEntryCount(0), m_text.GetEntryCount(0));
    ExpectBuiltInEntry(reread.GetEntry(0, 0));
    for (int i = 1; i < m_text.GetEntryCount(0); ++i)
    {
        const TextEntry* before = m_text.GetEntry(0, i);
        const TextEntry* after = reread.GetEntry(0, i);
        EXPECT_EQ(after->id, before->id) << i;
        EXPECT_EQ(W(after->Text()), W(before->Text())) << i;
        EXPECT_EQ(W(after->Token()), W(before->Token())) << i;
        EXPECT_EQ(after->length, before->length) << i;
    }
}

TEST_F(TextSystemTest, DumpOfTheSlaveTableAndOfAnEmptyTable)
{
    std::string master = WriteUni("english.uni", {u"ID_A", u"\"Hello\"", u"_a_"});
    std::string slave = WriteUni("french.uni", {u"ID_A", u"\"Bonjour\"", u"_a_"});
    ASSERT_TRUE(m_text.LoadMasterAndSlave(master.c_str(), slave.c_str()));
    m_text.SetClock([] { return kDumpTime; });
    ASSERT_TRUE(m_text.WriteTextDump(1, m_dir.File("slave.uni").c_str()));
    Bytes expected = {0xFF, 0xFE};
    Bytes body = Utf16Bytes(ExpectedHeader() + u"ID_A \n\"Bonjour\" \n_a_ \n \n");
    expected.insert(expected.end(), body.begin(), body.end());
    EXPECT_EQ(testsupport::ReadBytes(m_dir.File("slave.uni")), expected);

    // Only the built-in entry: the dump is the header alone.
    ASSERT_TRUE(m_text.LoadTextTable(Write("bom.uni", {0xFF, 0xFE}).c_str()));
    ASSERT_TRUE(m_text.WriteTextDump(0, m_dir.File("empty_dump.uni").c_str()));
    expected = {0xFF, 0xFE};
    body = Utf16Bytes(ExpectedHeader());
    expected.insert(expected.end(), body.begin(), body.end());
    EXPECT_EQ(testsupport::ReadBytes(m_dir.File("empty_dump.uni")), expected);
}

TEST_F(TextSystemTest, DumpReplacesAnOlderBackup)
{
    Load({u"ID_A", u"\"a\"", u"_a_"});
    std::string path = m_dir.File("dump.uni");
    testsupport::WriteBytes(path + ".bak", {1, 2, 3});
    ASSERT_TRUE(m_text.WriteTextDump(0, path.c_str()));
    EXPECT_EQ(testsupport::ReadBytes(path + ".bak"), testsupport::ReadBytes(path));
}

TEST_F(TextSystemTest, DumpThatCannotBeOpenedShowsTheWarning)
{
    Load({u"ID_A", u"\"a\"", u"_a_"});
    std::string path = m_dir.File("no_such_folder/dump.uni");
    EXPECT_FALSE(m_text.WriteTextDump(0, path.c_str()));
    ASSERT_EQ(m_sink.boxes.size(), 1u);
    EXPECT_EQ(m_sink.boxes[0].title, "Warning");
    EXPECT_EQ(m_sink.boxes[0].text, "Cannot write to " + path + "- make sure no other application is using this file!");
    EXPECT_FALSE(m_text.WriteTextDump(2, m_dir.File("dump.uni").c_str()));
    EXPECT_FALSE(m_text.WriteTextDump(-1, m_dir.File("dump.uni").c_str()));
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("dump.uni")));
}

TEST_F(TextSystemTest, FailedBackupIsReportedButTheDumpSucceeds)
{
    Load({u"ID_A", u"\"a\"", u"_a_"});
    std::string path = m_dir.File("dump.uni");
    // A folder in the backup's place cannot be replaced by a file.
    std::filesystem::create_directories(path + ".bak/inside");
    EXPECT_TRUE(m_text.WriteTextDump(0, path.c_str()));
    ASSERT_EQ(m_sink.boxes.size(), 2u);
    EXPECT_EQ(m_sink.boxes[0].text, "File saved ok!");
    EXPECT_EQ(m_sink.boxes[1].title, "Error");
    EXPECT_EQ(m_sink.boxes[1].text, "Failed to make a backup!");
    EXPECT_FALSE(testsupport::ReadBytes(path).empty());
}

} // namespace
