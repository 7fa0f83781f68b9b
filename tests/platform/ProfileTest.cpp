// Tests for profile (.ini) documents: Windows lookup rules, in-place writing, encodings and the shared corpus.
#include "platform/Profile.h"

#include "platform/Paths.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using platform::ProfileDocument;

namespace
{

const char* const kNone = "default";

ProfileDocument Parsed(std::string_view text)
{
    ProfileDocument doc;
    doc.Parse(text);
    return doc;
}

std::vector<std::string> Names(std::initializer_list<const char*> names)
{
    return std::vector<std::string>(names.begin(), names.end());
}

// Little-endian UTF-16 bytes with a byte-order mark, as Notepad saves "Unicode" text.
std::string Utf16Le(const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text)
    {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::string Utf16Be(const std::u16string& text)
{
    std::string bytes = "\xFE\xFF";
    for (char16_t unit : text)
    {
        bytes.push_back(static_cast<char>(unit >> 8));
        bytes.push_back(static_cast<char>(unit & 0xFF));
    }
    return bytes;
}

} // namespace

TEST(ProfileTest, NamesMatchWithoutRegardToCaseAndAreTrimmed)
{
    ProfileDocument doc = Parsed("[Video]\nResWidth=1024\n  ResHeight \t=\t 768  \n");
    EXPECT_EQ(doc.GetString("Video", "ResWidth", kNone), "1024");
    EXPECT_EQ(doc.GetString("VIDEO", "reswidth", kNone), "1024");
    EXPECT_EQ(doc.GetString("video", "RESHEIGHT", kNone), "768");
    EXPECT_EQ(doc.GetString(" video ", "\tresheight ", kNone), "768");
    EXPECT_EQ(doc.GetString("Sound", "ResWidth", kNone), kNone);
    EXPECT_EQ(doc.GetString("Video", "ResDepth", kNone), kNone);
}

TEST(ProfileTest, SectionHeadersAreTrimmedAndEndAtTheClosingBracket)
{
    ProfileDocument doc = Parsed("  [  Sound Settings  ]  \nMusicVol=0.5\n[Mouse] trailing words\nSystemCursor=0\n");
    EXPECT_EQ(doc.Sections(), Names({"Sound Settings", "Mouse"}));
    EXPECT_EQ(doc.GetString("sound settings", "musicvol", kNone), "0.5");
    EXPECT_EQ(doc.GetString("Mouse", "SystemCursor", kNone), "0");
}

TEST(ProfileTest, OnePairOfMatchingQuotesIsRemovedFromAValue)
{
    ProfileDocument doc = Parsed("[q]\n"
                                 "a=\"quoted text\"\n"
                                 "b='single'\n"
                                 "c=\"mixed'\n"
                                 "d=\"\"twice\"\"\n"
                                 "e=\"\n"
                                 "f=  \"  inner spaces  \"  \n"
                                 "g=say \"hi\"\n");
    EXPECT_EQ(doc.GetString("q", "a", kNone), "quoted text");
    EXPECT_EQ(doc.GetString("q", "b", kNone), "single");
    EXPECT_EQ(doc.GetString("q", "c", kNone), "\"mixed'");
    EXPECT_EQ(doc.GetString("q", "d", kNone), "\"twice\"");
    EXPECT_EQ(doc.GetString("q", "e", kNone), "\"");
    EXPECT_EQ(doc.GetString("q", "f", kNone), "  inner spaces  ");
    EXPECT_EQ(doc.GetString("q", "g", kNone), "say \"hi\"");
}

TEST(ProfileTest, OnlyLinesStartingWithASemicolonAreComments)
{
    ProfileDocument doc = Parsed("[s]\n"
                                 ";hidden=1\n"
                                 "   ; indented=2\n"
                                 "#hash=3\n"
                                 "value=4 ; not a comment here\n");
    EXPECT_EQ(doc.GetString("s", "hidden", kNone), kNone);
    EXPECT_EQ(doc.GetString("s", ";hidden", kNone), kNone);
    EXPECT_EQ(doc.GetString("s", "indented", kNone), kNone);
    EXPECT_EQ(doc.GetString("s", "#hash", kNone), "3");
    EXPECT_EQ(doc.GetString("s", "value", kNone), "4 ; not a comment here");
}

TEST(ProfileTest, EmptyValuesAndKeysWithoutValues)
{
    ProfileDocument doc = Parsed("[s]\nempty=\nblank =   \nbare\n");
    EXPECT_EQ(doc.GetString("s", "empty", kNone), "");
    EXPECT_EQ(doc.GetString("s", "blank", kNone), "");
    EXPECT_TRUE(doc.HasKey("s", "empty"));
    // A name with no '=' is a key without a value: present, but the lookup gives the fallback.
    EXPECT_TRUE(doc.HasKey("s", "BARE"));
    EXPECT_EQ(doc.GetString("s", "bare", kNone), kNone);
    EXPECT_FALSE(doc.HasKey("s", "missing"));
    EXPECT_FALSE(doc.HasKey("t", "bare"));
}

TEST(ProfileTest, FirstMatchingSectionAndFirstMatchingKeyWin)
{
    ProfileDocument doc = Parsed("[Dialog]\n"
                                 "DialogCount=1\n"
                                 "DialogCount=2\n"
                                 "[Other]\n"
                                 "x=1\n"
                                 "[DIALOG]\n"
                                 "DialogCount=3\n"
                                 "DialogXPos0=10\n");
    EXPECT_EQ(doc.GetString("dialog", "DialogCount", kNone), "1");
    // A key that only the second copy of a section holds is not found.
    EXPECT_EQ(doc.GetString("Dialog", "DialogXPos0", kNone), kNone);
    EXPECT_FALSE(doc.HasKey("Dialog", "DialogXPos0"));
    EXPECT_EQ(doc.Sections(), Names({"Dialog", "Other", "DIALOG"}));
}

TEST(ProfileTest, KeysBeforeTheFirstSectionBelongToNoSection)
{
    ProfileDocument doc = Parsed("loose=1\n[]\nnamed=2\n[s]\nk=v\n");
    EXPECT_EQ(doc.GetString("", "loose", kNone), kNone);
    EXPECT_EQ(doc.GetString("s", "loose", kNone), kNone);
    EXPECT_FALSE(doc.HasKey("", "loose"));
    // An empty header is still a header, with an empty name.
    EXPECT_EQ(doc.GetString("", "named", kNone), "2");
    EXPECT_EQ(doc.Sections(), Names({"", "s"}));
}

TEST(ProfileTest, ResultIsCutToTheCapacity)
{
    ProfileDocument doc = Parsed("[s]\nk=abcdefgh\n");
    EXPECT_EQ(doc.GetString("s", "k", kNone, 4), "abc");
    EXPECT_EQ(doc.GetString("s", "k", kNone, 9), "abcdefgh");
    EXPECT_EQ(doc.GetString("s", "k", kNone, 1), "");
    EXPECT_EQ(doc.GetString("s", "k", kNone, 0), "abcdefgh");
    // The fallback is copied into the same buffer, so it is cut the same way.
    EXPECT_EQ(doc.GetString("s", "missing", kNone, 4), "def");
}

TEST(ProfileTest, EveryLineEndingEndsALine)
{
    ProfileDocument doc = Parsed("[a]\r\none=1\r\n[b]\ntwo=2\n[c]\rthree=3\rfour=4");
    EXPECT_EQ(doc.Sections(), Names({"a", "b", "c"}));
    EXPECT_EQ(doc.GetString("a", "one", kNone), "1");
    EXPECT_EQ(doc.GetString("b", "two", kNone), "2");
    EXPECT_EQ(doc.GetString("c", "three", kNone), "3");
    EXPECT_EQ(doc.GetString("c", "four", kNone), "4");
}

TEST(ProfileTest, MalformedLinesAreSkipped)
{
    ProfileDocument doc = Parsed("[good]\n"
                                 "a=1\n"
                                 "[unterminated\n"
                                 "b=2\n"
                                 "=nameless\n"
                                 "   =\n"
                                 "===\n"
                                 "c=3\n");
    EXPECT_EQ(doc.Sections(), Names({"good"}));
    // The broken header starts no section: the keys after it stay in [good].
    EXPECT_EQ(doc.GetString("good", "b", kNone), "2");
    EXPECT_EQ(doc.GetString("good", "c", kNone), "3");
    EXPECT_EQ(doc.GetString("unterminated", "b", kNone), kNone);
    EXPECT_EQ(doc.GetString("good", "", kNone), kNone);
}

TEST(ProfileTest, HostileBytesNeverBreakParsing)
{
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
    junk += std::string("\0[s]\0\nk=\0v\n", 12);
    ProfileDocument doc = Parsed(junk);
    doc.GetString("s", "k", kNone, 16);
    doc.SetString("s", "k", "1");
    EXPECT_EQ(doc.GetString("s", "k", kNone), "1");

    ProfileDocument empty = Parsed("");
    EXPECT_TRUE(empty.Sections().empty());
    EXPECT_EQ(empty.Text(), "");
    ProfileDocument bomOnly = Parsed("\xFF\xFE");
    EXPECT_TRUE(bomOnly.Sections().empty());
    ProfileDocument oddUtf16 = Parsed(std::string("\xFF\xFE[\0s\0]\0\n", 9));
    EXPECT_EQ(oddUtf16.Sections(), Names({"s"}));
}

TEST(ProfileTest, Utf8ByteOrderMarkIsSkipped)
{
    ProfileDocument doc = Parsed("\xEF\xBB\xBF[Language]\nLanguage=3\n");
    EXPECT_EQ(doc.Sections(), Names({"Language"}));
    EXPECT_EQ(doc.GetString("Language", "Language", kNone), "3");
    EXPECT_EQ(doc.Text(), "[Language]\r\nLanguage=3\r\n");
}

TEST(ProfileTest, Utf16TextIsReadThroughCodePage1252)
{
    const std::u16string text = u"[Sound]\r\nMusicVol = 0.25\r\nName=Caf\u00E9 \u20AC5 \u4E2D\r\n";
    for (const std::string& bytes : {Utf16Le(text), Utf16Be(text)})
    {
        ProfileDocument doc = Parsed(bytes);
        EXPECT_EQ(doc.Sections(), Names({"Sound"}));
        EXPECT_EQ(doc.GetString("sound", "musicvol", kNone), "0.25");
        // é and € have 1252 bytes; the CJK character does not.
        EXPECT_EQ(doc.GetString("Sound", "Name", kNone), "Caf\xE9 \x80"
                                                         "5 ?");
    }
}

TEST(ProfileTest, SettingAnExistingKeyReplacesItsLineInPlace)
{
    ProfileDocument doc =
        Parsed("; options\n[Video]\nResWidth = 800\n; keep me\nResHeight=600\n\n[Mouse]\nSystemCursor=1\n");
    doc.SetString("VIDEO", "reswidth", "1024");
    EXPECT_EQ(doc.GetString("Video", "ResWidth", kNone), "1024");
    // The key keeps the spelling the file gave it; everything else stays byte for byte.
    EXPECT_EQ(doc.Text(), "; options\r\n[Video]\r\nResWidth=1024\r\n; keep me\r\nResHeight=600\r\n\r\n[Mouse]\r\n"
                          "SystemCursor=1\r\n");
}

TEST(ProfileTest, SettingANewKeyAppendsItAtTheEndOfItsSection)
{
    ProfileDocument doc = Parsed("[Video]\nResWidth=800\n\n[Mouse]\nSystemCursor=1\n");
    doc.SetString("video", "ResHeight", "600");
    doc.SetString("Mouse", "Speed", "3");
    EXPECT_EQ(doc.Text(), "[Video]\r\nResWidth=800\r\nResHeight=600\r\n\r\n[Mouse]\r\nSystemCursor=1\r\nSpeed=3\r\n");
}

TEST(ProfileTest, SettingAKeyOfANewSectionAppendsTheSectionAtTheEnd)
{
    ProfileDocument doc;
    doc.SetString("Tidewell 2 Options", "Version", "1");
    doc.SetString("Language", "Language", "0");
    doc.SetString("Sound", "MusicVol", "0.500000");
    doc.SetString("Sound", "EffectsVol", "0.750000");
    doc.SetString("Language", "Language", "2");
    EXPECT_EQ(doc.Text(), "[Tidewell 2 Options]\r\nVersion=1\r\n[Language]\r\nLanguage=2\r\n[Sound]\r\n"
                          "MusicVol=0.500000\r\nEffectsVol=0.750000\r\n");
    EXPECT_EQ(doc.Sections(), Names({"Tidewell 2 Options", "Language", "Sound"}));
}

TEST(ProfileTest, SettingWritesToTheFirstOfDuplicateSectionsAndKeys)
{
    ProfileDocument doc = Parsed("[s]\nk=1\nk=2\n[S]\nk=3\n");
    doc.SetString("s", "K", "9");
    EXPECT_EQ(doc.Text(), "[s]\r\nk=9\r\nk=2\r\n[S]\r\nk=3\r\n");
}

TEST(ProfileTest, SettingAKeyWithoutAValueGivesItOne)
{
    ProfileDocument doc = Parsed("[s]\nbare\n");
    doc.SetString("s", "bare", "now");
    EXPECT_EQ(doc.GetString("s", "bare", kNone), "now");
    EXPECT_EQ(doc.Text(), "[s]\r\nbare=now\r\n");
}

TEST(ProfileTest, ValuesReadBackAsAReloadedFileWould)
{
    ProfileDocument doc;
    doc.SetString("s", "spaced", "  padded  ");
    doc.SetString("s", "quoted", "\"q\"");
    // A line break in a value would split the file's line; the value ends there instead.
    doc.SetString("s", "broken", "first\r\n[evil]\nk=v");
    doc.SetString("s", "", "nameless");

    ProfileDocument reloaded = Parsed(doc.Text());
    for (const ProfileDocument* d : {&doc, &reloaded})
    {
        EXPECT_EQ(d->GetString("s", "spaced", kNone), "padded");
        EXPECT_EQ(d->GetString("s", "quoted", kNone), "q");
        EXPECT_EQ(d->GetString("s", "broken", kNone), "first");
        EXPECT_EQ(d->Sections(), Names({"s"}));
    }
}

TEST(ProfileTest, ClearEmptiesTheDocument)
{
    ProfileDocument doc = Parsed("[s]\nk=v\n");
    doc.Clear();
    EXPECT_TRUE(doc.Sections().empty());
    EXPECT_EQ(doc.Text(), "");
    EXPECT_EQ(doc.GetString("s", "k", kNone), kNone);
}

TEST(ProfileTest, SaveWritesCrLfLinesAndLoadReadsThemBack)
{
    testsupport::TempDir dir;
    platform::InvalidatePathCache();
    ProfileDocument doc;
    doc.SetString("Video", "ResWidth", "1280");
    doc.SetString("Mouse", "SystemCursor", "0");
    ASSERT_TRUE(doc.Save(dir.File("MRV2.ini")));
    EXPECT_EQ(testsupport::ReadText(dir.File("MRV2.ini")), "[Video]\r\nResWidth=1280\r\n[Mouse]\r\nSystemCursor=0\r\n");

    ProfileDocument loaded;
    ASSERT_TRUE(loaded.Load(dir.Path() + "\\mrv2.INI"));
    EXPECT_EQ(loaded.GetString("video", "reswidth", kNone), "1280");
    EXPECT_EQ(loaded.GetString("mouse", "systemcursor", kNone), "0");
    EXPECT_EQ(loaded.Text(), doc.Text());
}

TEST(ProfileTest, SaveReplacesTheFileOfAnyCaseAndLeavesNoTemporary)
{
    testsupport::TempDir dir;
    platform::InvalidatePathCache();
    testsupport::WriteText(dir.File("Mrv2.INI"), "[Old]\nlong=a much longer text than the new document holds\n");
    ProfileDocument doc;
    doc.SetString("New", "k", "v");
    ASSERT_TRUE(doc.Save(dir.File("MRV2.ini")));

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"Mrv2.INI"});
    EXPECT_EQ(testsupport::ReadText(dir.File("Mrv2.INI")), "[New]\r\nk=v\r\n");
}

TEST(ProfileTest, LoadOrSaveFailuresAreSafe)
{
    testsupport::TempDir dir;
    platform::InvalidatePathCache();
    ProfileDocument doc = Parsed("[s]\nk=v\n");
    EXPECT_FALSE(doc.Load(dir.File("missing.ini")));
    EXPECT_TRUE(doc.Sections().empty());
    EXPECT_EQ(doc.GetString("s", "k", kNone), kNone);

    doc.SetString("s", "k", "v");
    EXPECT_FALSE(doc.Save(dir.File("nodir/options.ini")));
    EXPECT_FALSE(fs::exists(dir.File("nodir")));
    EXPECT_TRUE(fs::is_empty(dir.Path()));
}

// The shared corpus: real INI files from other projects' test suites, read in place and never written.
class ProfileCorpusTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string corpus = testsupport::CorpusDir();
        if (corpus.empty())
            GTEST_SKIP() << "the shared corpus is not present";
        m_dir = corpus + "/ini";
        if (!fs::is_directory(m_dir))
            GTEST_SKIP() << "the corpus has no ini folder";
    }

    ProfileDocument Load(const std::string& name)
    {
        ProfileDocument doc;
        EXPECT_TRUE(doc.Load(m_dir + "/" + name)) << name;
        return doc;
    }

    std::string m_dir;
};

TEST_F(ProfileCorpusTest, EveryFileLoadsAndSurvivesASaveAndReload)
{
    testsupport::TempDir temp;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(m_dir))
    {
        if (!entry.is_regular_file())
            continue;
        ++files;
        const std::string name = entry.path().filename().string();
        const std::string before = testsupport::ReadText(entry.path().string());
        ProfileDocument doc = Load(name);
        EXPECT_FALSE(doc.Sections().empty()) << name;

        ASSERT_TRUE(doc.Save(temp.File(name))) << name;
        ProfileDocument again;
        ASSERT_TRUE(again.Load(temp.File(name))) << name;
        EXPECT_EQ(again.Sections(), doc.Sections()) << name;
        EXPECT_EQ(again.Text(), doc.Text()) << name;
        EXPECT_EQ(testsupport::ReadText(entry.path().string()), before) << name << " was changed";
    }
    EXPECT_GE(files, 10);
}

TEST_F(ProfileCorpusTest, NormalFileHasNoInlineCommentsOrColonDelimiters)
{
    ProfileDocument doc = Load("inih__normal.ini");
    EXPECT_EQ(doc.Sections(), Names({"section1", "section 2", "empty", "comment_test", "colon_tests"}));
    EXPECT_EQ(doc.GetString("section1", "one", kNone), "This is a test  ; name=value comment");
    EXPECT_EQ(doc.GetString("section1", "two", kNone), "1234");
    EXPECT_EQ(doc.GetString("section1", "x", kNone), kNone);
    EXPECT_EQ(doc.GetString("Section 2", "HAPPY", kNone), "4");
    EXPECT_EQ(doc.GetString("section 2", "sad", kNone), "");
    EXPECT_EQ(doc.GetString("comment_test", "test1", kNone), "1;2;3 ; only this will be a comment");
    EXPECT_EQ(doc.GetString("comment_test", "test;3", kNone), "345 ; key should be \"test;3\"");
    EXPECT_EQ(doc.GetString("comment_test", "#test5", kNone), "567 ; entire line commented");
    EXPECT_EQ(doc.GetString("comment_test", "test7", kNone), "; blank value, except if inline comments disabled");
    EXPECT_EQ(doc.GetString("comment_test", "test8", kNone), "; not a comment, needs whitespace before ';'");
    // ':' is no delimiter: a line without '=' is a bare key, and the first '=' splits the others.
    EXPECT_TRUE(doc.HasKey("colon_tests", "Content-Type: text/html"));
    EXPECT_EQ(doc.GetString("colon_tests", "Content-Type", kNone), kNone);
    EXPECT_EQ(doc.GetString("colon_tests", "funny1 : with", kNone), "equals");
    EXPECT_EQ(doc.GetString("colon_tests", "funny2", kNone), "with : colons");
    EXPECT_EQ(doc.GetString("colon_tests", "funny3", kNone), "two = equals");
}

TEST_F(ProfileCorpusTest, DuplicateSectionsKeepTheFirstValues)
{
    ProfileDocument doc = Load("inih__duplicate_sections.ini");
    EXPECT_EQ(doc.Sections(), Names({"section1", "section1"}));
    EXPECT_EQ(doc.GetString("section1", "single1", kNone), "abc");
    EXPECT_EQ(doc.GetString("section1", "single2", kNone), "xyz");
}

TEST_F(ProfileCorpusTest, CrLfFileWithBareNames)
{
    ProfileDocument doc = Load("inih__no_value.ini");
    EXPECT_EQ(doc.Sections(), Names({"section_list", "section0", "section1"}));
    EXPECT_TRUE(doc.HasKey("section_list", "section0"));
    EXPECT_TRUE(doc.HasKey("section_list", "section1"));
    EXPECT_EQ(doc.GetString("section_list", "section0", kNone), kNone);
    EXPECT_EQ(doc.GetString("section0", "key0", kNone), "val0");
    EXPECT_EQ(doc.GetString("section1", "key1", kNone), "val1");
}

TEST_F(ProfileCorpusTest, Utf8ByteOrderMarkBeforeTheFirstSection)
{
    ProfileDocument doc = Load("inih__bom.ini");
    EXPECT_EQ(doc.Sections(), Names({"bom_section"}));
    EXPECT_EQ(doc.GetString("bom_section", "bom_name", kNone), "bom_value");
    EXPECT_EQ(doc.GetString("bom_section", "key\xE2\x80\x9C", kNone), "value\xE2\x80\x9C");
}

TEST_F(ProfileCorpusTest, ContinuationLinesAreNotPartOfValues)
{
    ProfileDocument doc = Load("inih__multi_line.ini");
    EXPECT_EQ(doc.GetString("section1", "multi", kNone), "this is a");
    EXPECT_EQ(doc.GetString("section1", "single2", kNone), "xyz");
    EXPECT_EQ(doc.GetString("section2", "multi", kNone), "a");
    EXPECT_EQ(doc.GetString("section3", "single", kNone), kNone);
    EXPECT_EQ(doc.GetString("section3", "name", kNone), "bob smith  ; comment line 1");
    EXPECT_EQ(doc.GetString("section3", "foo", kNone), "bar ;c1");
}

TEST_F(ProfileCorpusTest, UnterminatedSectionHeaderIsSkipped)
{
    ProfileDocument doc = Load("inih__bad_section.ini");
    EXPECT_EQ(doc.Sections(), Names({"section1", "section3   ; comment"}));
    EXPECT_EQ(doc.GetString("section1", "name1", kNone), "value1");
    EXPECT_EQ(doc.GetString("section2", "name2", kNone), kNone);
    EXPECT_EQ(doc.GetString("section3   ; comment", "name2", kNone), "value2");
}

TEST_F(ProfileCorpusTest, SimpleIniUtf8File)
{
    ProfileDocument doc = Load("simpleini__testsi-UTF8.ini");
    const std::string nihongo = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
    EXPECT_EQ(doc.Sections(), Names({"standard", "Standard", "Whitespace", "whitespace in section name", "Japanese",
                                     nihongo.c_str(), "", "MultiLine"}));
    EXPECT_EQ(doc.GetString("", "nosection", kNone), kNone);
    EXPECT_EQ(doc.GetString("STANDARD", "foo", kNone), "foo1");
    EXPECT_EQ(doc.GetString("Standard", "standard-2", kNone), kNone); // only in the second [Standard]
    EXPECT_EQ(doc.GetString("standard", nihongo, kNone), "ok1");
    EXPECT_EQ(doc.GetString("whitespace", "a", kNone), "");
    EXPECT_EQ(doc.GetString("whitespace in section name", "whitespace   in   key name", kNone),
              "whitespace in value   name");
    EXPECT_EQ(doc.GetString("Japanese", nihongo, kNone), nihongo);
    EXPECT_EQ(doc.GetString(nihongo, "nihongo", kNone), nihongo);
    EXPECT_EQ(doc.GetString("", "more", kNone), "no section name");
    EXPECT_EQ(doc.GetString("MultiLine", "multi", kNone), "<<<MULTI");
}

TEST_F(ProfileCorpusTest, ShiftJisBytesPassThroughUntouched)
{
    ProfileDocument doc = Load("simpleini__testsi-SJIS.ini");
    const std::string nihongo = "\x93\xFA\x96\x7B\x8C\xEA";
    EXPECT_EQ(doc.GetString("standard", nihongo, kNone), "ok1");
    EXPECT_EQ(doc.GetString("Japanese", "nihongo", kNone), nihongo);
    EXPECT_EQ(doc.GetString("japanese", nihongo, kNone), nihongo);
    EXPECT_EQ(doc.GetString(nihongo, "nihongo", kNone), nihongo);
    EXPECT_EQ(doc.GetString("MultiLine", "single", kNone), "This is a single line.");
}

TEST_F(ProfileCorpusTest, SimpleIniDuplicateKeysKeepTheFirst)
{
    ProfileDocument doc = Load("simpleini__test1-input.ini");
    EXPECT_EQ(doc.Sections().front(), "ordered-1");
    EXPECT_EQ(doc.GetString("", "lonely-key", kNone), kNone);
    EXPECT_EQ(doc.GetString("ordered-1", "a-1", kNone), "blah");
    EXPECT_EQ(doc.GetString("multi-2", "test", kNone), "a");
    EXPECT_EQ(doc.GetString("integer", "dec", kNone), "42");
    EXPECT_EQ(doc.GetString("integer", "hex", kNone), "0x2a");
}

TEST_F(ProfileCorpusTest, Utf16LittleEndianFileWithoutFinalNewline)
{
    ProfileDocument doc = Load("goini__UTF-16-LE-BOM.ini");
    EXPECT_EQ(doc.Sections(), Names({"author"}));
    EXPECT_EQ(doc.GetString("Author", "e-mail", kNone), "example@email.com");
}
