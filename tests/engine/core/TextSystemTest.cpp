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
#include <sstream>
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

// Each file (with CR added before every LF, or as it stands) loads or fails, to the built-in entry 0 and these.
TEST_F(TextSystemTest, EntriesAreReadBetweenHeadersNotesAndBlankLines)
{
    const std::tuple<Bytes, bool, std::vector<std::u16string>> files[] = {
        // Empty and tiny files: the built-in entry alone.
        {Bytes{}, true, {}},
        {Bytes{0xFF}, true, {}},
        {Bytes{0xFF, 0xFE, 0x49}, true, {}},
        // Ids keep the low byte of each unit (U+0141 becomes 'A'); words after an id, a text or a token are
        // ignored; the text starts at the line's second unit even after leading spaces; a token without its
        // closing underscore runs to the line's end.
        {Uni(u"------------------\nSome header\n\nID_MENU_START\n\"Start game\"\n_start_\n\na note\n"
             u"ID_MENU_QUIT extra words\n\"Quit\" trailing\n_quit_ more\n"
             u"ID_\u0141\u00E9 rest\n  \"Hi\"\n_open token\nID_E\n\"\"\n__\n"),
         true,
         {u"ID_MENU_START|Start game|start", u"ID_MENU_QUIT|Quit|quit", u"ID_A\u00E9| |open token", u"ID_E||"}},
        // An id followed by an unquoted line: a null text and a failed load, and the next line is the token all
        // the same. A token line without an underscore gives a null token.
        {Uni(u"ID_FIRST\nnot quoted\n_tok_\nID_SECOND\n\"Second\"\nID_NOT_AN_ID\nID_THIRD\n\"Third\"\n_3_\n"),
         false,
         {u"ID_FIRST|<null>|tok", u"ID_SECOND|Second|<null>", u"ID_THIRD|Third|3"}},
        // Without CR the unit before LF is dropped; a last line without LF is read whole; an entry cut off by the
        // end is not counted.
        {Uni(u"ID_AX\n\"a\"!\n_tok_!\n", false), true, {u"ID_A|a|tok"}},
        {Uni(u"ID_A\r\n\"a\"\r\n_tok_", false), true, {u"ID_A|a|tok"}},
        {Uni(u"ID_A\r\n\"a\"\r\n_tok_\r\nID_B\r\n\"b\"\r\n", false), true, {u"ID_A|a|tok"}},
    };
    for (const auto& [bytes, loads, entries] : files)
    {
        SCOPED_TRACE(bytes.size());
        EXPECT_EQ(m_text.LoadTextTable(Write("case.uni", bytes).c_str()), loads);
        std::vector<std::u16string> read;
        for (int i = 1; i < m_text.GetEntryCount(0); ++i)
            read.push_back(Entry(m_text, 0, i));
        EXPECT_EQ(read, entries);
        EXPECT_EQ(Entry(m_text, 0, 0), u"ERROR|No Text!|__");
    }
    // The failed load left its id in the id buffer; the first entry's null text formats to nothing.
    m_text.LoadTextTable(Write("case.uni", std::get<0>(files[4])).c_str());
    EXPECT_STREQ(m_text.GetIdBuffer(), "ID_FIRST");
    EXPECT_EQ(W(m_text.FormatTextArgs(1, nullptr, 0)), u"");
    // Names and lengths: units after the opening quote, closing quote and the rest of the line included.
    m_text.LoadTextTable(Write("case.uni", std::get<0>(files[3])).c_str());
    EXPECT_STREQ(m_text.GetIdName(3), "ID_A\xE9");
    EXPECT_EQ(m_text.GetTextLength(2), 4 + 1 + 9);
    // GetText only terminates the caller's buffer.
    char buffer[8];
    std::memset(buffer, 'Z', sizeof(buffer));
    m_text.GetText("ID_MENU_START", buffer, sizeof(buffer));
    EXPECT_EQ(std::string(buffer, 2), std::string("\0Z", 2));
    m_text.GetText("ID_GAME_TITLE", nullptr, 1024);
}

TEST_F(TextSystemTest, MissingFilesShowTheWarningAndLeaveTheTableShutdownEmptiesIt)
{
    std::string path = m_dir.File("english.uni");
    EXPECT_FALSE(m_text.LoadTextTable(path.c_str()));
    ASSERT_EQ(m_sink.boxes.size(), 1u);
    EXPECT_EQ(
        m_sink.boxes[0].title + ": " + m_sink.boxes[0].text,
        "Warning: Cannot read in " + path +
            " file - the program will now quit\nNote: You MUST have an english.uni in the current directory to start");
    EXPECT_EQ(m_text.GetEntryCount(0), 0);
    // LoadTextFile replaces table 0; a failed one (a missing file, a folder) leaves it as it was.
    Load(Entries(2));
    ASSERT_TRUE(m_text.LoadTextFile(WriteUni("other.uni", u"ID_C\n\"%d c\"\n_c_\n").c_str()));
    std::filesystem::create_directory(m_dir.File("folder.uni"));
    EXPECT_FALSE(m_text.LoadTextFile(path.c_str()) || m_text.LoadTextFile(m_dir.File("folder.uni").c_str()));
    ASSERT_EQ(m_sink.boxes.size(), 3u);
    EXPECT_NE(m_sink.boxes[2].text.find("Cannot read in " + m_dir.File("folder.uni")), std::string::npos);
    EXPECT_EQ(std::tuple(m_text.GetEntryCount(0), Entry(m_text, 0, 1)), std::tuple(2, u"ID_C|%d c|c"));
    // After a shutdown or an unload no entry is reachable.
    m_text.Shutdown();
    EXPECT_EQ(std::tuple(Entry(m_text, 0, 1), W(m_text.FormatText(1, 3))), std::tuple(u"<none>", u""));
    Load(Entries(1));
    EXPECT_FALSE(m_text.UnloadTextTables());
    EXPECT_EQ(m_text.GetEntryCount(0), 0);
}

TEST_F(TextSystemTest, MasterAndSlaveMustHoldTheSameNumberOfIds)
{
    std::string master = WriteUni("english.uni", u"ID_A\n\"Hello\"\n_a_\n");
    std::string slave = WriteUni("french.uni", u"ID_A\n\"Bonjour\"\n_a_\n");
    EXPECT_TRUE(m_text.LoadMasterAndSlave(master.c_str(), slave.c_str()));
    EXPECT_EQ(std::tuple(Entry(m_text, 1, 1), W(m_text.FormatTextArgs(1, nullptr, 0))),
              std::tuple(u"ID_A|Bonjour|a", u"Hello"));
    EXPECT_FALSE(m_text.LoadMasterAndSlave(WriteUni("longer.uni", Entries(2)).c_str(), slave.c_str()));
    ASSERT_EQ(m_sink.boxes.size(), 1u);
    EXPECT_EQ(m_sink.boxes[0].title + m_sink.boxes[0].text,
              "Number of ids appears to be different between final "
              "master and final slave files\n\nMaster Ids - 3\nSlave Ids - 2");
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
        EXPECT_EQ(std::tuple(m_text.GetFormatSpec(entry, 0), m_text.CountFormatSpecs(entry),
                             W(m_text.FormatTextArgs(entry, nullptr, 0))),
                  std::tuple(nullptr, 0, u""))
            << entry;
        m_text.InspectEntry(entry);
    }
}

// With both tables full to their last entry, every table number and entry index outside them gives nothing:
// no count, no entry, no dump, while the last real entry of each is there. An expansion first leaves the
// service's other counters away from zero, so that a bound read one place too far would not land on a zero.
TEST_F(TextSystemTest, TableNumbersAndEntryIndicesOutsideTheTablesGiveNothing)
{
    std::u16string master = Entries(TextSystem::kMaxEntries - 1);
    master.replace(master.find(u"text 1"), 6, u"%d%d%d");
    ASSERT_TRUE(m_text.LoadMasterAndSlave(WriteUni("master.uni", master).c_str(),
                                          WriteUni("slave.uni", Entries(TextSystem::kMaxEntries - 1)).c_str()));
    const uintptr_t args[] = {TextSystem::TextArg(1), TextSystem::TextArg(2), TextSystem::TextArg(3)};
    EXPECT_EQ(W(m_text.FormatTextArgs(1, args, 3)), u"123");
    const int last = TextSystem::kMaxEntries - 1;
    EXPECT_EQ(std::tuple(Entry(m_text, 0, last), Entry(m_text, 1, last)),
              std::tuple(u"ID_4999|text 4999|4999", u"ID_4999|text 4999|4999"));
    const std::string dump = m_dir.File("dump.uni");
    for (int table : {-1, TextSystem::kTableCount, TextSystem::kTableCount + 1, INT_MAX, INT_MIN})
    {
        EXPECT_EQ(m_text.GetEntryCount(table), 0) << table;
        for (int index : {0, 1, last})
            EXPECT_EQ(m_text.GetEntry(table, index), nullptr) << table << " " << index;
        EXPECT_FALSE(m_text.WriteTextDump(table, dump.c_str())) << table;
        EXPECT_FALSE(std::filesystem::exists(dump)) << table;
    }
    for (int table = 0; table < TextSystem::kTableCount; ++table)
    {
        EXPECT_EQ(m_text.GetEntryCount(table), TextSystem::kMaxEntries);
        for (int index : {-1, TextSystem::kMaxEntries, TextSystem::kMaxEntries + 1, INT_MAX, INT_MIN})
            EXPECT_EQ(m_text.GetEntry(table, index), nullptr) << table << " " << index;
    }
    // The current table's operations answer the same way one past its end.
    EXPECT_STREQ(m_text.GetIdName(TextSystem::kMaxEntries), "");
    EXPECT_EQ(std::tuple(m_text.GetTextLength(TextSystem::kMaxEntries),
                         W(m_text.FormatTextArgs(TextSystem::kMaxEntries, nullptr, 0))),
              std::tuple(0, u""));
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

// A character beyond U+FFFF (two units) that the end of the output buffer falls inside is left out whole; one that
// ends exactly at the buffer's end is kept.
TEST_F(TextExpansionTest, TheCutAtTheBufferKeepsCharactersWhole)
{
    const std::u16string wave = u"\U0001F30A";
    const auto Repeat = [](const std::u16string& unit, int times)
    {
        std::u16string out;
        for (int i = 0; i < times; ++i)
            out += unit;
        return out;
    };
    const int room = TextSystem::kOutputSize - 1; // units before the terminator
    struct Cut
    {
        const char* what;
        std::u16string text;
        std::u16string expected;
    };
    const Cut cases[] = {
        {"inside the pair", std::u16string(room - 1, u'y') + wave + u"z", std::u16string(room - 1, u'y')},
        {"just after the pair", std::u16string(room - 2, u'y') + wave + u"z", std::u16string(room - 2, u'y') + wave},
        {"among pairs, inside one", u"yy" + Repeat(wave, 600), u"yy" + Repeat(wave, (room - 2) / 2)},
    };
    for (const Cut& c : cases)
    {
        // The texts fit a line of the file (2,048 units) but not the output buffer.
        Load(u"ID_LONG\n\"" + c.text + u"\"\n_l_\n");
        EXPECT_TRUE(W(m_text.FormatTextArgs(1, nullptr, 0)) == c.expected) << c.what;
    }
}

// Past 5,000 entries (the built-in one counted) or 2,048 units on a line the load fails, reported, and keeps what
// came before; the program goes on.
TEST_F(TextSystemTest, EntriesBeyondFiveThousandOrLinesBeyond2048UnitsStopTheLoad)
{
    ASSERT_TRUE(m_text.LoadTextTable(WriteUni("full.uni", Entries(TextSystem::kMaxEntries - 1)).c_str()));
    EXPECT_EQ(m_text.GetEntryCount(0), TextSystem::kMaxEntries);
    EXPECT_TRUE(m_sink.debug.empty());
    EXPECT_FALSE(m_text.LoadTextTable(WriteUni("over.uni", Entries(TextSystem::kMaxEntries + 3)).c_str()));
    EXPECT_EQ(m_text.GetEntryCount(0), TextSystem::kMaxEntries);
    EXPECT_STREQ(m_text.GetIdName(TextSystem::kMaxEntries - 1), "ID_4999");
    EXPECT_NE(m_sink.debug.find("over.uni"), std::string::npos);
    // Quotes and CR around 2045 units make exactly 2048 units before the line feed: accepted; one more is not.
    std::u16string fits(TextSystem::kMaxLineUnits - 3, u'w');
    Load(u"ID_A\n\"" + fits + u"\"\n_a_\n");
    EXPECT_EQ(Entry(m_text, 0, 1), u"ID_A|" + fits + u"|a");
    std::string path = WriteUni("long.uni", u"ID_A\n\"a\"\n_a_\nID_B\n\"" + fits + u"w\"\n_b_\nID_C\n\"c\"\n_c_\n");
    testing::internal::CaptureStdout();
    bool loaded = m_text.LoadTextTable(path.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "MAX_UNI_LENGTH exceeded. Increase it....\n");
    EXPECT_FALSE(loaded);
    EXPECT_EQ(std::tuple(m_text.GetEntryCount(0), Entry(m_text, 0, 1)), std::tuple(2, u"ID_A|a|a"));
}

TEST_F(TextSystemTest, DumpHasTheExactLayoutReadsBackIntoTheSameEntriesAndReportsFailures)
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
    TextSystem reread;
    ASSERT_TRUE(reread.LoadTextTable(path.c_str()));
    EXPECT_EQ(std::tuple(Entry(reread, 0, 1), Entry(reread, 0, 2)), std::tuple(u"ID_A|Caf\u00E9 %d|a", u"ID_B||"));
    // No table 2 writes nothing; a file that cannot be opened is reported; a folder in the backup's place cannot
    // be replaced: reported, but the dump itself succeeds.
    std::filesystem::remove(path);
    EXPECT_FALSE(m_text.WriteTextDump(2, path.c_str()));
    EXPECT_FALSE(std::filesystem::exists(path));
    std::string unopenable = m_dir.File("no_such_folder/dump.uni");
    EXPECT_FALSE(m_text.WriteTextDump(0, unopenable.c_str()));
    std::filesystem::remove(path + ".bak");
    std::filesystem::create_directories(path + ".bak/inside");
    EXPECT_TRUE(m_text.WriteTextDump(0, path.c_str()));
    EXPECT_FALSE(testsupport::ReadBytes(path).empty());
    std::vector<std::string> boxes;
    for (const auto& box : m_sink.boxes)
        boxes.push_back(box.title + ": " + box.text);
    EXPECT_EQ(boxes, (std::vector<std::string>{"Warning: File saved ok!",
                                               "Warning: Cannot write to " + unopenable +
                                                   "- make sure no other application is using this file!",
                                               "Warning: File saved ok!", "Error: Failed to make a backup!"}));
}

// Font operations as the service hands them on: one line per call, its arguments after its name (colours in hex).
class RecordedFonts : public TextFonts
{
public:
    explicit RecordedFonts(std::vector<std::string>* log) : m_log(log) {}

    int GetFontCount() const override { return 3; }
    void Clear() override { Log("Clear"); }
    bool LoadFont(const char* baseName) override { return Log("LoadFont", baseName), true; }
    void DrawText(int font, uint32_t colour, float x, float y, int width, int alignment, const char* text, bool oneLine,
                  int budget, FontCaret* pCaret) override
    {
        Log("DrawText", font, colour, x, y, text, width, alignment, oneLine, budget);
        Caret(pCaret);
    }
    void DrawString(int font, uint32_t colour, float x, float y, const char* text, int stopAt,
                    FontCaret* pCaret) override
    {
        Log("DrawString", font, colour, x, y, text, stopAt);
        Caret(pCaret);
    }
    void DrawText3D(int font, uint32_t colour, float x, float y, float z, int width, int alignment, const char* text,
                    bool oneLine) override
    {
        Log("DrawText3D", font, colour, x, y, z, text, width, alignment, oneLine);
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
    static std::string Text(uint32_t colour)
    {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08X", colour);
        return hex;
    }
    static std::string Text(const char* text) { return text ? text : "<null>"; }
    template <typename T> static std::string Text(T value) { return (std::ostringstream() << value).str(); }
    template <typename... T> void Log(const char* name, T... values)
    {
        std::string line = name;
        ((line += " " + Text(values)), ...);
        m_log->push_back(line);
    }
    static void Caret(FontCaret* pCaret)
    {
        if (pCaret)
            *pCaret = {1, 2, 3, 4};
    }

    std::vector<std::string>* m_log;
};

// Every 16-bit draw gives the fonts U+0000 to U+00FF as their own 8-bit codes and what lies beyond as '?': the
// units on either side of U+00FF, through each of the three wide draws.
TEST_F(TextSystemTest, WideDrawsKeepTheCodesUpToU00FFAndMarkTheRest)
{
    std::vector<std::string> log;
    m_text.SetFonts(std::make_unique<RecordedFonts>(&log));
    const char16_t text[] = u"\u007F\u0080\u00FE\u00FF\u0100\uFFFF";
    const std::string narrow = "\x7F\x80\xFE\xFF??";
    m_text.DrawTextW(0, 0, 10, 0, text, true);
    m_text.DrawStringW(0, 0, text);
    m_text.DrawText3DW(0, 0, 0, 10, 0, text, true);
    ASSERT_EQ(log.size(), 3u);
    for (const std::string& line : log)
        EXPECT_NE(line.find(" " + narrow + " "), std::string::npos) << line;
}

// The text lookup by id finds nothing: it terminates a buffer with room and leaves one without room alone.
TEST_F(TextSystemTest, GetTextOnlyTerminatesABufferThatHasRoom)
{
    char buffer[4] = {'a', 'b', 'c', 'd'};
    m_text.GetText("ID_ANY", buffer, 0);
    m_text.GetText("ID_ANY", buffer + 1, -1);
    m_text.GetText("ID_ANY", nullptr, 4);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    m_text.GetText("ID_ANY", buffer + 2, 1);
    EXPECT_EQ(std::string(buffer, 4), std::string("ab\0d", 4));
}

// A dump that cannot be written whole (the device is full) is reported as failed, not as saved, and makes no
// backup.
TEST_F(TextSystemTest, ADumpOnAFullDeviceFails)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    Load(Entries(40));
    EXPECT_FALSE(m_text.WriteTextDump(0, "/dev/full"));
    std::vector<std::string> boxes;
    for (const auto& box : m_sink.boxes)
        boxes.push_back(box.title + ": " + box.text);
    EXPECT_EQ(boxes, std::vector<std::string>{"Warning: Cannot write to /dev/full- make sure no other application is "
                                              "using this file!"});
    EXPECT_FALSE(std::filesystem::exists("/dev/full.bak"));
}

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
        "DrawText 2 FF112233 1 2 ab 30 1 1 -1",
        "DrawText 2 FF000000 7 8 sh 40 0 0 -1",
        "DrawText 2 FF112233 5 6 sh 40 0 0 -1",
        "DrawString 2 FF112233 7 8 \xE9?x -1",
        "DrawText 2 FF112233 0 0 ? -1 2 0 -1",
        "DrawString 2 FF112233 9 9 up 0",
        "DrawText 2 FF112233 1 1 typed 50 0 0 3",
        "DrawText3D 0 FF112233 1 2 3 w? 60 1 1",
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

// A character beyond U+FFFF stands in the text as two units, but it is one character beyond the font tables: each
// wide draw hands the fonts one '?' for it. A half of a pair standing alone is a character of its own.
TEST_F(TextSystemTest, WideDrawsMarkACharacterBeyondU_FFFFOnce)
{
    // clang-format off
    const struct { std::u16string text; std::string narrow; } cases[] = {
        {u"a\U0001F600b", "a?b"},
        {u"\U00010000\U0010FFFF", "??"},
        {u"x\U0001F600", "x?"},
        {std::u16string(u"a") + char16_t(0xD83D) + u"b", "a?b"}, // a first half without its second
        {std::u16string(u"a") + char16_t(0xDE00) + u"b", "a?b"}, // a second half without its first
        {std::u16string(u"a") + char16_t(0xDE00) + char16_t(0xD83D), "a??"}, // the halves the wrong way round
    };
    // clang-format on
    for (const auto& c : cases)
    {
        std::vector<std::string> log;
        m_text.SetFonts(std::make_unique<RecordedFonts>(&log));
        m_text.DrawTextW(0, 0, 10, 0, c.text.c_str(), true);
        m_text.DrawStringW(0, 0, c.text.c_str());
        m_text.DrawText3DW(0, 0, 0, 10, 0, c.text.c_str(), true);
        ASSERT_EQ(log.size(), 3u);
        for (const std::string& line : log)
            EXPECT_NE(line.find(" " + c.narrow + " "), std::string::npos) << line;
    }
}

// A wide text is drawn whole up to a full line buffer less its end mark, and cut there when longer.
TEST_F(TextSystemTest, WideDrawsKeepAWholeLineBufferOfCharacters)
{
    constexpr size_t kFits = TextSystem::kLineBufferSize - 1;
    for (const size_t length : {kFits - 1, kFits, kFits + 1, kFits + 40})
    {
        const std::u16string text(length, u'w');
        std::vector<std::string> log;
        m_text.SetFonts(std::make_unique<RecordedFonts>(&log));
        m_text.DrawTextW(0, 0, 10, 0, text.c_str(), true);
        m_text.DrawText3DW(0, 0, 0, 10, 0, text.c_str(), true);
        ASSERT_EQ(log.size(), 2u);
        const std::string drawn(std::min(length, kFits), 'w');
        for (const std::string& line : log)
        {
            EXPECT_NE(line.find(" " + drawn + " "), std::string::npos) << length;
            EXPECT_EQ(line.find(drawn + "w"), std::string::npos) << length;
        }
    }
}

} // namespace
