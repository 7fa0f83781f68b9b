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
using Names = std::vector<std::string>;

namespace
{

const char* const kNone = "default";

ProfileDocument Parsed(std::string_view text)
{
    ProfileDocument doc;
    doc.Parse(text);
    return doc;
}

// UTF-16 bytes with a byte-order mark, as Notepad saves "Unicode" text.
std::string Utf16(const std::u16string& text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text)
    {
        bytes.push_back(static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF));
        bytes.push_back(static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8));
    }
    return bytes;
}

} // namespace

TEST(ProfileTest, LookupsFollowTheWindowsRules)
{
    ProfileDocument doc =
        Parsed("loose=1\n  [  Video Settings  ] trailing words\nResWidth=1024\n"
               "  ResHeight \t=\t 768  \n   ; indented=2\n#hash=3\nvalue=4 ; not a comment\n"
               "a=\"quoted text\"\nb='single'\nc=\"mixed'\nd=\"\"twice\"\"\ne=\"\nf=  \"  inner  \"  \n"
               "empty=\nbare\n[unterminated\ninside=5\n=nameless\ndup=1\ndup=2\n"
               "[Other]\n[VIDEO SETTINGS]\ndup=3\nsecond=6\n[]\nnamed=7\n");
    const char* const rows[][3] = {
        {"video settings", "reswidth", "1024"},
        {" VIDEO SETTINGS ", "\tresheight ", "768"},
        {"Video Settings", "; indented", kNone},
        {"Video Settings", "value", "4 ; not a comment"},
        // One pair of matching quotes goes; anything else stays.
        {"Video Settings", "a", "quoted text"},
        {"Video Settings", "c", "\"mixed'"},
        {"Video Settings", "e", "\""},
        {"Video Settings", "f", "  inner  "},
        {"Video Settings", "empty", ""},
        // A name with no '=' is a key without a value: the lookup gives the fallback.
        {"Video Settings", "bare", kNone},
        // A header without its ']' starts no section; a nameless key is skipped.
        {"Video Settings", "inside", "5"},
        {"Video Settings", "", kNone},
        // The first matching section and the first matching key win: the second copy is never searched.
        {"Video Settings", "dup", "1"},
        {"Video Settings", "second", kNone},
        // Text before the first section belongs to none; an empty header is a section with an empty name.
        {"", "loose", kNone},
        {"", "named", "7"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(doc.GetString(row[0], row[1], kNone), row[2]) << row[0] << " / " << row[1];
    EXPECT_EQ(doc.Sections(), (Names{"Video Settings", "Other", "VIDEO SETTINGS", ""}));
    EXPECT_TRUE(doc.HasKey("video settings", "BARE"));

    // Like the Windows call, the result (the fallback too) is cut to capacity-1 characters.
    EXPECT_EQ(doc.GetString("Video Settings", "a", kNone, 11), "quoted tex");
}

TEST(ProfileTest, LineEndingsByteOrderMarksAndHostileBytes)
{
    ProfileDocument doc = Parsed("\xEF\xBB\xBF[a]\r\none=1\r\n[b]\ntwo=2\n[c]\rthree=3\rfour=4");
    EXPECT_EQ(doc.Sections(), (Names{"a", "b", "c"}));
    EXPECT_EQ(doc.GetString("a", "one", kNone) + doc.GetString("b", "two", kNone) + doc.GetString("c", "three", kNone) +
                  doc.GetString("c", "four", kNone),
              "1234");
    EXPECT_EQ(doc.Text().substr(0, 5), "[a]\r\n"); // the mark is not written back

    // UTF-16 either way round is read through code page 1252: é and € have bytes, the CJK character does not.
    const std::u16string text = u"[Sound]\r\nMusicVol = 0.25\r\nName=Caf\u00E9 \u20AC5 \u4E2D\r\n";
    for (bool bigEndian : {false, true})
    {
        doc = Parsed(Utf16(text, bigEndian));
        EXPECT_EQ(doc.GetString("sound", "musicvol", kNone), "0.25");
        EXPECT_EQ(doc.GetString("Sound", "Name", kNone), "Caf\xE9 \x80"
                                                         "5 ?");
    }

    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
    doc = Parsed(junk + std::string("\0[s]\0\nk=\0v\n", 12));
    doc.SetString("s", "k", "1");
    EXPECT_EQ(doc.GetString("s", "k", kNone), "1");
    EXPECT_TRUE(Parsed("\xFF\xFE").Sections().empty());
    EXPECT_EQ(Parsed(std::string("\xFF\xFE[\0s\0]\0\n", 9)).Sections(), Names{"s"}); // an odd last byte
}

TEST(ProfileTest, WritingChangesOnlyTheLinesItMust)
{
    ProfileDocument doc = Parsed("; options\n[Video]\nResWidth = 800\n; keep me\nbare\n\n[Mouse]\nk=1\nk=2\n[MOUSE]\n");
    doc.SetString("VIDEO", "reswidth", "1024"); // replaced in place, keeping the file's spelling of the key
    doc.SetString("video", "ResHeight", "600"); // appended after the section's last line, before the blank one
    doc.SetString("Video", "bare", "now");      // a key without a value gets one
    doc.SetString("mouse", "K", "9");           // the first of duplicate sections and keys
    doc.SetString("Sound", "MusicVol", "0.5");  // a new section goes at the end
    EXPECT_EQ(doc.Text(), "; options\r\n[Video]\r\nResWidth=1024\r\n; keep me\r\nbare=now\r\nResHeight=600\r\n\r\n"
                          "[Mouse]\r\nk=9\r\nk=2\r\n[MOUSE]\r\n[Sound]\r\nMusicVol=0.5\r\n");
    EXPECT_EQ(doc.GetString("Video", "ResWidth", kNone), "1024");
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
        EXPECT_EQ(d->Sections(), Names{"s"});
    }
}

TEST(ProfileTest, SaveReplacesTheFileOfAnyCaseAndLoadReadsItBack)
{
    testsupport::TempDir dir;
    platform::InvalidatePathCache();
    testsupport::WriteText(dir.File("Mrv2.INI"), "[Old]\nlong=a much longer text than the new document holds\n");
    ProfileDocument doc;
    doc.SetString("Video", "ResWidth", "1280");
    doc.SetString("Mouse", "SystemCursor", "0");
    ASSERT_TRUE(doc.Save(dir.File("MRV2.ini")));
    EXPECT_EQ(testsupport::ReadText(dir.File("Mrv2.INI")), "[Video]\r\nResWidth=1280\r\n[Mouse]\r\nSystemCursor=0\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);

    ProfileDocument loaded;
    ASSERT_TRUE(loaded.Load(dir.Path() + "\\mrv2.ini"));
    EXPECT_EQ(loaded.Text(), doc.Text());

    // Failures are safe: a failed load leaves an empty document, a failed save leaves nothing behind.
    EXPECT_FALSE(loaded.Load(dir.File("missing.ini")));
    EXPECT_TRUE(loaded.Sections().empty());
    EXPECT_FALSE(doc.Save(dir.File("nodir/options.ini")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

// The shared corpus: real INI files from other projects' test suites, read in place and never written.
TEST(ProfileCorpusTest, EveryFileReadsWithoutHarmAndKeepsTheWindowsRules)
{
    const std::string corpus = testsupport::CorpusDir();
    if (corpus.empty() || !fs::is_directory(corpus + "/ini"))
        GTEST_SKIP() << "the shared corpus has no ini folder";
    const std::string dir = corpus + "/ini/";

    testsupport::TempDir temp;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir))
    {
        const std::string name = entry.path().filename().string();
        const std::string before = testsupport::ReadText(entry.path().string());
        ProfileDocument doc;
        ASSERT_TRUE(doc.Load(entry.path().string())) << name;
        EXPECT_FALSE(doc.Sections().empty()) << name;
        ASSERT_TRUE(doc.Save(temp.File(name))) << name;
        ProfileDocument again;
        ASSERT_TRUE(again.Load(temp.File(name))) << name;
        EXPECT_EQ(again.Text(), doc.Text()) << name;
        EXPECT_EQ(testsupport::ReadText(entry.path().string()), before) << name << " was changed";
        ++files;
    }
    EXPECT_GE(files, 10);

    const std::string nihongo = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
    const std::string sjis = "\x93\xFA\x96\x7B\x8C\xEA";
    const char* const rows[][4] = {
        // Neither inline comments nor ':' delimiters exist; the first '=' splits.
        {"inih__normal.ini", "section1", "one", "This is a test  ; name=value comment"},
        {"inih__normal.ini", "colon_tests", "funny3", "two = equals"},
        {"inih__duplicate_sections.ini", "section1", "single2", "xyz"},
        {"inih__no_value.ini", "section_list", "section0", kNone},
        {"inih__bom.ini", "bom_section", "bom_name", "bom_value"},
        {"inih__multi_line.ini", "section1", "multi", "this is a"},
        {"inih__bad_section.ini", "section3   ; comment", "name2", "value2"},
        {"simpleini__testsi-UTF8.ini", "Japanese", nihongo.c_str(), nihongo.c_str()},
        {"simpleini__testsi-SJIS.ini", sjis.c_str(), "nihongo", sjis.c_str()},
        {"simpleini__test1-input.ini", "multi-2", "test", "a"},
        {"goini__UTF-16-LE-BOM.ini", "Author", "e-mail", "example@email.com"},
    };
    for (const auto& row : rows)
    {
        ProfileDocument doc;
        ASSERT_TRUE(doc.Load(dir + row[0])) << row[0];
        EXPECT_EQ(doc.GetString(row[1], row[2], kNone), row[3]) << row[0] << ": " << row[1] << " / " << row[2];
    }
}
