// Tests of the text service's unicode tables: .uni loading, text expansion, the dump and hostile files.
#include "engine/core/TextSystem.h"
#include "platform/WideText.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

// A .uni file: byte-order mark, then the text in UTF-16LE with each '\n' written as CR LF (or left alone).
Bytes Uni(const std::u16string& text, bool crlf = true)
{
    Bytes bytes = {0xFF, 0xFE};
    for (char16_t c : text)
    {
        if (crlf && c == u'\n')
            bytes.insert(bytes.end(), {0x0D, 0x00});
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

std::u16string W(const char16_t* text)
{
    return text ? std::u16string(text) : std::u16string(u"<null>");
}

// Entries ID_1 .. ID_count with texts "text <n>" and tokens "_<n>_".
std::u16string Entries(int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "ID_" + std::to_string(i) + "\n\"text " + std::to_string(i) + "\"\n_" + std::to_string(i) + "_\n";
    return std::u16string(text.begin(), text.end());
}

// Entry `index` of `table` as "id|text|token" ("<null>" for a null part), or "<none>".
std::u16string Entry(const TextSystem& system, int table, int index)
{
    const TextEntry* entry = system.GetEntry(table, index);
    return entry ? entry->id + u"|" + W(entry->Text()) + u"|" + W(entry->Token()) : u"<none>";
}

class TextSystemTest : public ::testing::Test
{
protected:
    std::string Write(const std::string& name, const Bytes& bytes)
    {
        testsupport::WriteBytes(m_dir.File(name), bytes);
        return m_dir.File(name);
    }
    std::string WriteUni(const std::string& name, const std::u16string& text) { return Write(name, Uni(text)); }
    // Loads the text as table 0 and expects the load to succeed.
    void Load(const std::u16string& text) { ASSERT_TRUE(m_text.LoadTextTable(WriteUni("table.uni", text).c_str())); }

    testsupport::TempDir m_dir;
    testsupport::RecordingReportSink m_sink;
    TextSystem m_text;
};

TEST_F(TextSystemTest, GetTextOnlyTerminatesTheCallersBuffer)
{
    Load(u"ID_GENERAL_DIRECTX_FAIL\n\"DirectX failed\"\n__\n");
    char buffer[1024];
    std::memset(buffer, 'Z', sizeof(buffer));
    m_text.GetText("ID_GENERAL_DIRECTX_FAIL", buffer, sizeof(buffer));
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(buffer[1], 'Z');
    m_text.GetText("ID_GAME_TITLE", nullptr, 1024);
}

TEST_F(TextSystemTest, EmptyAndTinyFilesGiveTheBuiltInEntryAlone)
{
    for (const Bytes& bytes : std::vector<Bytes>{{}, {0xFF}, {0xFF, 0xFE, 0x49}})
    {
        SCOPED_TRACE(bytes.size());
        EXPECT_TRUE(m_text.LoadTextTable(Write("tiny.uni", bytes).c_str()));
        EXPECT_EQ(m_text.GetEntryCount(0), 1);
        EXPECT_EQ(Entry(m_text, 0, 0), u"ERROR|No Text!|__");
    }
}

TEST_F(TextSystemTest, ReadsEntriesBetweenHeadersNotesAndBlankLines)
{
    Load(u"------------------\nSome header\n\nID_MENU_START\n\"Start game\"\n_start_\n\na note\n"
         u"ID_MENU_QUIT extra words\n\"Quit\" trailing\n_quit_ more\n"
         u"ID_\u0141\u00E9 rest\n  \"Hi\"\n_open token\nID_E\n\"\"\n__\n");
    ASSERT_EQ(m_text.GetEntryCount(0), 5);
    EXPECT_EQ(Entry(m_text, 0, 2), u"ID_MENU_QUIT|Quit|quit");
    // Ids keep the low byte of each unit (U+0141 becomes 'A'); the text starts at the line's second unit even
    // after leading spaces; a token without its closing underscore runs to the line's end.
    EXPECT_EQ(Entry(m_text, 0, 3), u"ID_A\u00E9| |open token");
    EXPECT_EQ(Entry(m_text, 0, 4), u"ID_E||");
    EXPECT_STREQ(m_text.GetIdName(3), "ID_A\xE9");
    // Length: units after the opening quote, closing quote and the rest of the line included.
    EXPECT_EQ(m_text.GetTextLength(2), 4 + 1 + 9);
}

TEST_F(TextSystemTest, MissingTextOrTokenLinesAreConsumedInTheirPlace)
{
    // An id line followed by an unquoted line: null text, load fails, the id is left in the id buffer, and the
    // next line is the token all the same. A token line without an underscore gives a null token.
    EXPECT_FALSE(m_text.LoadTextTable(WriteUni("gaps.uni", u"ID_FIRST\nnot quoted\n_tok_\nID_SECOND\n\"Second\"\n"
                                                           u"ID_NOT_AN_ID\nID_THIRD\n\"Third\"\n_3_\n")
                                          .c_str()));
    ASSERT_EQ(m_text.GetEntryCount(0), 4);
    EXPECT_EQ(Entry(m_text, 0, 1), u"ID_FIRST|<null>|tok");
    EXPECT_EQ(Entry(m_text, 0, 2), u"ID_SECOND|Second|<null>");
    EXPECT_EQ(Entry(m_text, 0, 3), u"ID_THIRD|Third|3");
    EXPECT_STREQ(m_text.GetIdBuffer(), "ID_FIRST");
    EXPECT_EQ(W(m_text.FormatTextArgs(1, nullptr, 0)), u"");
}

TEST_F(TextSystemTest, LineEndingsAndTheEndOfTheData)
{
    // Files as they stand, without CRs added; each gives the entry ID_A, "a", "tok".
    for (const char16_t* file : {
             u"ID_AX\n\"a\"!\n_tok_!\n",                     // without CR the unit before LF is dropped
             u"ID_A\r\n\"a\"\r\n_tok_",                      // a last line without LF is read whole
             u"ID_A\r\n\"a\"\r\n_tok_\r\nID_B\r\n\"b\"\r\n", // an entry cut off by the end is not counted
         })
    {
        SCOPED_TRACE(platform::WideToAnsi(file));
        EXPECT_TRUE(m_text.LoadTextTable(Write("case.uni", Uni(file, false)).c_str()));
        ASSERT_EQ(m_text.GetEntryCount(0), 2);
        EXPECT_EQ(Entry(m_text, 0, 1), u"ID_A|a|tok");
    }
}

TEST_F(TextSystemTest, MissingFileShowsTheWarningAndLeavesTheTable)
{
    std::string path = m_dir.File("english.uni");
    EXPECT_FALSE(m_text.LoadTextTable(path.c_str()));
    ASSERT_EQ(m_sink.boxes.size(), 1u);
    EXPECT_EQ(m_sink.boxes[0].title + ": " + m_sink.boxes[0].text,
              "Warning: Cannot read in " + path +
                  " file - the program will now quit\nNote: You MUST have an english.uni in "
                  "the current directory to start");
    EXPECT_EQ(m_text.GetEntryCount(0), 0);

    // LoadTextFile replaces table 0; a failed one leaves it as it was.
    Load(Entries(2));
    ASSERT_TRUE(m_text.LoadTextFile(WriteUni("other.uni", u"ID_C\n\"c\"\n_c_\n").c_str()));
    EXPECT_FALSE(m_text.LoadTextFile(path.c_str()));
    ASSERT_EQ(m_text.GetEntryCount(0), 2);
    EXPECT_EQ(Entry(m_text, 0, 1), u"ID_C|c|c");

    // A directory under the file's name is no file to read either.
    std::filesystem::create_directory(m_dir.File("folder.uni"));
    EXPECT_FALSE(m_text.LoadTextFile(m_dir.File("folder.uni").c_str()));
    ASSERT_EQ(m_sink.boxes.size(), 3u);
    EXPECT_NE(m_sink.boxes[2].text.find("Cannot read in " + m_dir.File("folder.uni")), std::string::npos);
    EXPECT_EQ(Entry(m_text, 0, 1), u"ID_C|c|c");
}

TEST_F(TextSystemTest, ShutdownAndUnloadLeaveNoEntryReachable)
{
    Load(u"ID_A\n\"%d apples\"\n_a_\n");
    m_text.Shutdown();
    EXPECT_EQ(Entry(m_text, 0, 1), u"<none>");
    EXPECT_EQ(W(m_text.FormatText(1, 3)), u"");

    Load(Entries(1));
    EXPECT_FALSE(m_text.UnloadTextTables());
    EXPECT_EQ(m_text.GetEntryCount(0), 0);
}

TEST_F(TextSystemTest, MasterAndSlaveMustHoldTheSameNumberOfIds)
{
    std::string master = WriteUni("english.uni", u"ID_A\n\"Hello\"\n_a_\n");
    std::string slave = WriteUni("french.uni", u"ID_A\n\"Bonjour\"\n_a_\n");
    EXPECT_TRUE(m_text.LoadMasterAndSlave(master.c_str(), slave.c_str()));
    EXPECT_EQ(Entry(m_text, 1, 1), u"ID_A|Bonjour|a");
    EXPECT_EQ(W(m_text.FormatTextArgs(1, nullptr, 0)), u"Hello");

    std::string longer = WriteUni("longer.uni", Entries(2));
    EXPECT_FALSE(m_text.LoadMasterAndSlave(longer.c_str(), slave.c_str()));
    ASSERT_EQ(m_sink.boxes.size(), 1u);
    EXPECT_EQ(m_sink.boxes[0].title + m_sink.boxes[0].text,
              "Number of ids appears to be different between final master and final slave "
              "files\n\nMaster Ids - 3\nSlave Ids - 2");
}

TEST_F(TextSystemTest, FormatSpecsAreFoundAndCountedAndBadIndicesGiveNothing)
{
    Load(u"ID_A\n\"a%db%q%\"\n_a_\nID_B\n\"%d %f %s %i %x %% %\"\n_b_\n");
    EXPECT_EQ(m_text.GetFormatSpec(1, 1), m_text.GetEntry(0, 1)->Text() + 2);
    for (int position : {4, 7, -1}) // '%' before 'q', '%' at the end, outside the text
        EXPECT_EQ(m_text.GetFormatSpec(1, position), nullptr) << position;
    EXPECT_EQ(m_text.CountFormatSpecs(2), 4);
    for (int entry : {-1, 3, INT_MIN})
    {
        EXPECT_STREQ(m_text.GetIdName(entry), "");
        EXPECT_EQ(m_text.GetFormatSpec(entry, 0), nullptr);
        EXPECT_EQ(m_text.CountFormatSpecs(entry), 0);
        EXPECT_EQ(W(m_text.FormatTextArgs(entry, nullptr, 0)), u"") << entry;
        m_text.InspectEntry(entry);
    }
}

class TextExpansionTest : public TextSystemTest
{
protected:
    void SetUp() override
    {
        Load(u"ID_COUNT\n\"%d apples\"\n_1_\nID_PRICE\n\"Price %f\"\n_2_\nID_NAME\n\"Hello %s!\"\n_3_\n"
             u"ID_OUTER\n\"A%iB%d\"\n_4_\nID_INNER\n\"<%d>\"\n_5_\nID_PERCENT\n\"100% %x %%d %\"\n_6_\n"
             u"ID_LINES\n\"one\\ntwo\\n\\nthree%\\n\"\n_7_\nID_SELF\n\"x%i\"\n_8_\n"
             u"ID_PING\n\"a%i\"\n_9_\nID_PONG\n\"b%i\"\n_10_\n");
    }
};

TEST_F(TextExpansionTest, ArgumentSlotsAreWrittenIntoTheText)
{
    auto arg = [](auto value) { return TextSystem::TextArg(value); };
    const std::tuple<int, std::vector<uintptr_t>, std::u16string> cases[] = {
        {1, {arg(-5)}, u"-5 apples"},
        {2, {arg(2.125f)}, u"Price 2.12"},
        // Code page 1252: 0xE9 is e-acute, 0x80 the euro sign.
        {3, {arg("Ren\xE9 \x80")}, u"Hello Ren\u00E9 \u20AC!"},
        {3, {arg(static_cast<const char*>(nullptr))}, u"Hello !"},
        // "%i" expands the named entry in place, which takes the following arguments.
        {4, {arg(5), arg(7), arg(9)}, u"A<7>B9"},
        {4, {arg(4000), arg(2)}, u"AB2"},
        // A '%' before anything else is copied and the unit after it handled normally.
        {6, {arg(5)}, u"100% %x %5 %"},
        // Backslash-n becomes a line feed in this form.
        {7, {}, u"one\ntwo\n\nthree%\n"},
        // Conversions beyond the arguments read 0 (a null text) instead of whatever follows the caller's array.
        {1, {}, u"0 apples"},
        {2, {}, u"Price 0.00"},
        {3, {}, u"Hello !"},
        {4, {arg(5)}, u"A<0>B0"},
    };
    for (const auto& [entry, args, expected] : cases)
    {
        EXPECT_EQ(W(m_text.FormatTextArgs(entry, args.empty() ? nullptr : args.data(), static_cast<int>(args.size()))),
                  expected)
            << entry;
        EXPECT_EQ(m_text.GetOutputLength(), static_cast<int>(expected.size()));
    }
    // The count is the end of the caller's arguments even when memory follows it.
    const uintptr_t three[] = {arg(5), arg(7), arg(9)};
    EXPECT_EQ(W(m_text.FormatTextArgs(4, three, 2)), u"A<7>B0");
    EXPECT_EQ(W(m_text.FormatTextArgs(1, three, -1)), u"0 apples");
    // A text edited to ask for a text where its caller passes numbers reads no text, not the number as a pointer.
    const uintptr_t numbers[] = {arg(5), TextSystem::TextArg(2.5f)};
    EXPECT_EQ(W(m_text.FormatTextArgs(3, numbers, 2)), u"Hello !");
    EXPECT_EQ(W(m_text.FormatTextArgs(3, numbers + 1, 1)), u"Hello !");
    // The variable-argument form takes doubles and keeps backslash-n as written.
    EXPECT_EQ(W(m_text.FormatText(2, 2.25)), u"Price 2.25");
    EXPECT_EQ(W(m_text.FormatText(7)), u"one\\ntwo\\n\\nthree%\\n");
}

TEST_F(TextExpansionTest, ReferenceLoopsAreBoundedByTheNestingDepth)
{
    // Entry 8 names itself; entries 9 and 10 name each other.
    std::vector<uintptr_t> self(64, TextSystem::TextArg(8)), cycle;
    EXPECT_EQ(W(m_text.FormatTextArgs(8, self.data(), static_cast<int>(self.size()))),
              std::u16string(TextSystem::kMaxReferenceDepth + 1, u'x'));
    std::u16string expected;
    for (int i = 0; i < 64; ++i)
        cycle.push_back(TextSystem::TextArg(i % 2 == 0 ? 10 : 9));
    for (int depth = 0; depth <= TextSystem::kMaxReferenceDepth; ++depth)
        expected.push_back(depth % 2 == 0 ? u'a' : u'b');
    EXPECT_EQ(W(m_text.FormatTextArgs(9, cycle.data(), static_cast<int>(cycle.size()))), expected);
}

TEST_F(TextExpansionTest, OutputIsCutAtTheBufferAndTerminated)
{
    // Sixteen references to a 200-unit text would give 3200 units.
    Load(u"ID_LONG\n\"" + std::u16string(200, u'y') +
         u"\"\n_l_\nID_FAN\n\"%i%i%i%i%i%i%i%i%i%i%i%i%i%i%i%i\"\n_f_\n"
         u"ID_NAME\n\"Hello %s!\"\n_3_\n");
    std::vector<uintptr_t> args(16, TextSystem::TextArg(1));
    EXPECT_EQ(W(m_text.FormatTextArgs(2, args.data(), static_cast<int>(args.size()))),
              std::u16string(TextSystem::kOutputSize - 1, u'y'));
    std::string longText(3000, 'q');
    uintptr_t name[] = {TextSystem::TextArg(longText.c_str())};
    EXPECT_EQ(W(m_text.FormatTextArgs(3, name, 1)), u"Hello " + std::u16string(TextSystem::kOutputSize - 7, u'q'));
}

TEST_F(TextSystemTest, EntriesBeyondFiveThousandAreRefused)
{
    ASSERT_TRUE(m_text.LoadTextTable(WriteUni("full.uni", Entries(TextSystem::kMaxEntries - 1)).c_str()));
    EXPECT_EQ(m_text.GetEntryCount(0), TextSystem::kMaxEntries);
    EXPECT_TRUE(m_sink.debug.empty());

    EXPECT_FALSE(m_text.LoadTextTable(WriteUni("over.uni", Entries(TextSystem::kMaxEntries + 3)).c_str()));
    EXPECT_EQ(m_text.GetEntryCount(0), TextSystem::kMaxEntries);
    EXPECT_STREQ(m_text.GetIdName(TextSystem::kMaxEntries - 1), "ID_4999");
    EXPECT_NE(m_sink.debug.find("over.uni"), std::string::npos);
}

TEST_F(TextSystemTest, LineOverTwoThousandAndFortyEightUnitsStopsTheLoadWithoutEndingTheProgram)
{
    // Quotes and CR around 2045 units make exactly 2048 units before the line feed: accepted.
    std::u16string fits(TextSystem::kMaxLineUnits - 3, u'w');
    Load(u"ID_A\n\"" + fits + u"\"\n_a_\n");
    EXPECT_EQ(Entry(m_text, 0, 1), u"ID_A|" + fits + u"|a");

    std::string path = WriteUni("long.uni", u"ID_A\n\"a\"\n_a_\nID_B\n\"" + fits + u"w\"\n_b_\nID_C\n\"c\"\n_c_\n");
    testing::internal::CaptureStdout();
    bool loaded = m_text.LoadTextTable(path.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "MAX_UNI_LENGTH exceeded. Increase it....\n");
    EXPECT_FALSE(loaded);
    // Entries before the long line stay; its entry and everything after are left out.
    EXPECT_EQ(m_text.GetEntryCount(0), 2);
    EXPECT_EQ(Entry(m_text, 0, 1), u"ID_A|a|a");
}

TEST_F(TextSystemTest, DumpHasTheExactLayoutAndReadsBackIntoTheSameEntries)
{
    std::string master = WriteUni("english.uni", Entries(2));
    std::string slave = WriteUni("french.uni", u"ID_A\n\"Caf\u00E9 %d\"\n_a_\nID_B\n\"\"\nno token\n");
    ASSERT_TRUE(m_text.LoadMasterAndSlave(master.c_str(), slave.c_str()));
    m_text.SetClock([] { return std::time_t(1700000000); }); // 14 November 2023, 22:13:20 UTC
    std::string path = m_dir.File("dump.uni");
    testsupport::WriteBytes(path + ".bak", {1, 2, 3});
    ASSERT_TRUE(m_text.WriteTextDump(1, path.c_str()));

    std::u16string header = u"------------------\nRavel Unicode File\n------------------\n"
                            u"Date Created: (22:13:20, 14/11/2023)\n\nToken reference\n\n"
                            u"%d = Decimal number eg 1, 5, 7\n%f = Floating point number eg 1.23, 2.5\n"
                            u"%s = String eg \"Hello\", \"This is a string\"\n"
                            u"%i = Identifier eg ID_FRONTEND_MAINMENU_STARTGAME\n\n"
                            u"Order and number of tokens in every language must match english.uni master\n\n\n" +
                            std::u16string(87, u'-') + u"\n\n";
    Bytes expected = Uni(header + u"ID_A \n\"Caf\u00E9 %d\" \n_a_ \n \nID_B \n\"\" \n__ \n \n", false);
    EXPECT_EQ(testsupport::ReadBytes(path), expected);
    EXPECT_EQ(testsupport::ReadBytes(path + ".bak"), expected); // the older backup is replaced
    ASSERT_EQ(m_sink.boxes.size(), 1u);
    EXPECT_EQ(m_sink.boxes[0].text, "File saved ok!");

    TextSystem reread;
    ASSERT_TRUE(reread.LoadTextTable(path.c_str()));
    EXPECT_EQ(Entry(reread, 0, 1), u"ID_A|Caf\u00E9 %d|a");
    EXPECT_EQ(Entry(reread, 0, 2), u"ID_B||");
}

TEST_F(TextSystemTest, DumpFailuresAreReported)
{
    Load(Entries(1));
    std::string unopenable = m_dir.File("no_such_folder/dump.uni");
    EXPECT_FALSE(m_text.WriteTextDump(0, unopenable.c_str()));
    ASSERT_EQ(m_sink.boxes.size(), 1u);
    EXPECT_EQ(m_sink.boxes[0].text,
              "Cannot write to " + unopenable + "- make sure no other application is using this file!");
    std::string path = m_dir.File("dump.uni");
    EXPECT_FALSE(m_text.WriteTextDump(2, path.c_str())); // no table 2
    EXPECT_FALSE(std::filesystem::exists(path));

    // A folder in the backup's place cannot be replaced: reported, but the dump itself succeeds.
    m_sink.boxes.clear();
    std::filesystem::create_directories(path + ".bak/inside");
    EXPECT_TRUE(m_text.WriteTextDump(0, path.c_str()));
    ASSERT_EQ(m_sink.boxes.size(), 2u);
    EXPECT_EQ(m_sink.boxes[1].title + ": " + m_sink.boxes[1].text, "Error: Failed to make a backup!");
    EXPECT_FALSE(testsupport::ReadBytes(path).empty());
}

// Font operations as the service hands them on: one line per call, with the font, colour and text it passed.
class RecordedFonts : public TextFonts
{
public:
    explicit RecordedFonts(std::vector<std::string>* log) : m_log(log) {}

    int GetFontCount() const override { return 3; }
    void Clear() override { Log("Clear"); }
    bool LoadFont(const char* baseName) override
    {
        Log(std::string("LoadFont ") + baseName);
        return true;
    }
    void DrawText(int font, uint32_t colour, float x, float y, int width, int alignment, const char* text, bool oneLine,
                  int budget, FontCaret* pCaret) override
    {
        Log(Call("DrawText", font, colour, x, y, text) + " " + std::to_string(width) + " " + std::to_string(alignment) +
            (oneLine ? " one" : " all") + " " + std::to_string(budget));
        Caret(pCaret);
    }
    void DrawString(int font, uint32_t colour, float x, float y, const char* text, int stopAt,
                    FontCaret* pCaret) override
    {
        Log(Call("DrawString", font, colour, x, y, text) + " " + std::to_string(stopAt));
        Caret(pCaret);
    }
    void DrawText3D(int font, uint32_t colour, float x, float y, float z, int width, int alignment, const char* text,
                    bool oneLine) override
    {
        Log(Call("DrawText3D", font, colour, x, y, text) + " z" + std::to_string(int(z)) + " " + std::to_string(width) +
            " " + std::to_string(alignment) + (oneLine ? " one" : " all"));
    }
    int MeasureTextHeight(const char* text, int font, int width, int mode, int* pHeight) override
    {
        *pHeight = 5;
        return int(std::strlen(text)) + font * 100 + width * 10 + mode;
    }
    void MeasureText(const char* text, int font, int* pWidth, int* pHeight) override
    {
        *pWidth = int(std::strlen(text));
        *pHeight = font;
    }
    int GetFontHeight(int font) override { return 20 + font; }
    int GetGlyphWidth(int font, int character) override { return font * 1000 + character; }

private:
    static std::string Call(const char* name, int font, uint32_t colour, float x, float y, const char* text)
    {
        char head[96];
        std::snprintf(head, sizeof head, "%s font%d %08X %g,%g ", name, font, colour, x, y);
        return head + std::string(text ? text : "<null>");
    }
    static void Caret(FontCaret* pCaret)
    {
        if (pCaret)
            *pCaret = {1, 2, 3, 4};
    }
    void Log(const std::string& line) { m_log->push_back(line); }

    std::vector<std::string>* m_log;
};

TEST_F(TextSystemTest, FontOperationsCarryTheCurrentFontAndColourToTheFonts)
{
    std::vector<std::string> log;
    m_text.SetFonts(std::make_unique<RecordedFonts>(&log));
    EXPECT_EQ(m_text.GetFontCount(), 3);
    EXPECT_TRUE(m_text.LoadFont("Big"));
    m_text.SetFont(2);
    m_text.SetColour(0xFF112233);
    m_text.DrawText(1, 2, 30, 1, "ab", true);
    // The shadow: black, two pixels down and right, left-aligned and wrapped, then the text itself.
    m_text.DrawTextShadowed(5, 6, "sh", 40);
    // 16-bit texts reach the fonts as the tables' 8-bit codes, '?' beyond them.
    m_text.DrawStringW(7, 8, u"\u00E9\u0416x");
    m_text.DrawTextW(0, 0, -1, 2, u"\u0100", false);
    float caret[4] = {};
    m_text.DrawStringUpTo(9, 9, "up", -4, &caret[0], &caret[1], &caret[2], &caret[3]);
    EXPECT_EQ(std::vector<float>(caret, caret + 4), (std::vector<float>{1, 2, 3, 4}));
    m_text.DrawTextUpTo(1, 1, 50, 0, "typed", 3, nullptr, nullptr, nullptr, nullptr);
    // World text selects the first font, which stays selected.
    m_text.DrawText3DW(1, 2, 3, 60, 1, u"w\u0416", true);
    EXPECT_EQ(m_text.GetCurrentFont(), 0);
    const std::vector<std::string> expected = {
        "LoadFont Big",
        "DrawText font2 FF112233 1,2 ab 30 1 one -1",
        "DrawText font2 FF000000 7,8 sh 40 0 all -1",
        "DrawText font2 FF112233 5,6 sh 40 0 all -1",
        "DrawString font2 FF112233 7,8 \xE9?x -1",
        "DrawText font2 FF112233 0,0 ? -1 2 all -1",
        "DrawString font2 FF112233 9,9 up 0",
        "DrawText font2 FF112233 1,1 typed 50 0 all 3",
        "DrawText3D font0 FF112233 1,2 w? z3 60 1 one",
    };
    EXPECT_EQ(log, expected);

    // Measures name their font; the glyph width is the current font's.
    int width = 0, height = 0;
    EXPECT_EQ(m_text.MeasureTextHeight("abc", 1, 2, 1, &height), 3 + 100 + 20 + 1);
    m_text.MeasureText("abcd", 3, &width, &height);
    EXPECT_EQ(std::pair(width, height), std::pair(4, 3));
    EXPECT_EQ(m_text.GetFontHeight(2), 22);
    m_text.SetFont(1);
    EXPECT_EQ(m_text.GetGlyphWidth('A'), 1065);
    log.clear();
    m_text.Init(); // forgets the fonts
    EXPECT_EQ(log, std::vector<std::string>{"Clear"});
}

TEST_F(TextSystemTest, WithoutFontsNothingIsDrawnAndEverythingMeasuresZero)
{
    EXPECT_EQ(m_text.GetFontCount(), 0);
    EXPECT_FALSE(m_text.LoadFont("Font"));
    EXPECT_NE(m_sink.debug.find("LoadFont"), std::string::npos);
    m_text.DrawText(0, 0, 10, 0, "a", false);
    m_text.DrawTextShadowed(0, 0, "a", 10);
    m_text.DrawString(0, 0, "a");
    m_text.DrawText3D(0, 0, 0, 10, 0, "a", false);
    int width = -1, height = -1;
    EXPECT_EQ(m_text.MeasureTextHeight("a", 0, 10, 0, &height), 0);
    EXPECT_EQ(height, 0);
    m_text.MeasureText("a", 0, &width, &height);
    EXPECT_EQ(std::pair(width, height), std::pair(0, 0));
    EXPECT_EQ(m_text.GetFontHeight(0) + m_text.GetGlyphWidth('a'), 0);
    float caret[4] = {-1, -1, -1, -1};
    m_text.DrawTextUpTo(0, 0, 10, 0, "a", 1, &caret[0], &caret[1], &caret[2], &caret[3]);
    EXPECT_EQ(std::vector<float>(caret, caret + 4), (std::vector<float>{0, 0, 0, 0}));
}

} // namespace
