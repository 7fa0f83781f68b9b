// Tests of spritetool and the sample sprite files: what the picture statements draw, read back through the sprite
// manager; the limits of a bank's palette and of its name; the sample files made from their sources, holding the
// stand-in and every bank the program names, with no blank frame.
#include "GuiTestSupport.h"

#include "tools/spritetool/SpriteTool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <tuple>

namespace
{

const std::string kSprites = std::string(TW_SOURCE_DIR) + "/sample-data/src/sprites";
const std::string kMade = std::string(TW_SOURCE_DIR) + "/sample-data/data/sprites";

// The 6 x 5 frame one picture statement draws, as rows of '.' (transparent) and '#' (the colour #F8F8F8).
std::vector<std::string> Drawn(const std::string& statement)
{
    spritetool::Picture picture(6, 5);
    std::string error;
    EXPECT_TRUE(spritetool::DrawPicture(statement, {}, picture, &error)) << error;
    spritetool::BankSource bank{"b", 1, {}};
    bank.anims.push_back({"a", 1, 1, 6, 5, {picture}});
    spritetool::SpriteFiles files;
    EXPECT_TRUE(spritetool::WriteSpriteFiles({bank}, &files, &error)) << error;
    SpriteManager sprites;
    sprites.LoadSpriteData(files.index.data(), files.index.size(), files.data, "b.hdr");
    Sprite* sprite = sprites.CreateSprite("b");
    std::vector<uint32_t> pixels(6 * 5);
    sprite->DecodeFrameARGB(pixels.data(), 6, 5);
    sprites.ReleaseSprite(sprite);
    std::vector<std::string> rows(5, std::string(6, '.'));
    for (int i = 0; i < 30; ++i)
        if (pixels[i] == 0xFFFFFFFF)
            rows[i / 6][i % 6] = '#';
        else if (pixels[i] != 0)
            rows[i / 6][i % 6] = '?';
    return rows;
}

TEST(SpriteToolTest, PictureStatementsDrawTheirShapes)
{
    using Rows = std::vector<std::string>;
    const std::pair<const char*, Rows> cases[] = {
        {"rect 1 1 2 3 #F8F8F8", {"......", ".##...", ".##...", ".##...", "......"}},
        {"border 1 #F8F8F8", {"######", "#....#", "#....#", "#....#", "######"}},
        {"box 1 0 4 4 1 #F8F8F8", {".####.", ".#..#.", ".#..#.", ".####.", "......"}},
        {"disc 2 2 1 #F8F8F8", {"......", "..#...", ".###..", "..#...", "......"}},
        {"fill #F8F8F8\nclear 0 0 6 4\n", {"......", "......", "......", "......", "######"}},
        {"fill #F8F8F8\nround 2", {"..##..", ".####.", "######", ".####.", "..##.."}},
        {"line 0 0 5 0 #F8F8F8\n# a comment", {"######", "......", "......", "......", "......"}},
        {"text 0 0 1 #F8F8F8 I", {".###..", "..#...", "..#...", "..#...", "..#..."}},
    };
    for (const auto& [statement, rows] : cases)
        EXPECT_EQ(Drawn(statement), rows) << statement;
    spritetool::Picture picture(4, 4);
    std::string error;
    EXPECT_FALSE(spritetool::DrawPicture("rect 1 1 #F8F8F8", {}, picture, &error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
    EXPECT_TRUE(spritetool::DrawPicture("fill $1", {"#102030"}, picture, &error));
    EXPECT_EQ(picture.pixels[0], 0x102030u);
}

TEST(SpriteToolTest, ABankHoldsAsManyColoursAsItsPaletteAndNoMore)
{
    for (const auto& [type, limit] : {std::pair{1, 256}, std::pair{3, 64}})
        for (int colours : {limit, limit + 1})
        {
            spritetool::Picture picture(colours, 1);
            for (int x = 0; x < colours; ++x)
                picture.Set(x, 0, static_cast<uint32_t>(x) * 0x010101u);
            spritetool::BankSource bank{"wide", type, {}};
            bank.anims.push_back({"a", 1, 1, colours, 1, {picture}});
            spritetool::SpriteFiles files;
            std::string error;
            EXPECT_EQ(spritetool::WriteSpriteFiles({bank}, &files, &error), colours <= limit) << type << " " << colours;
        }
}

// Reads list.txt holding `list` beside more.txt holding `included`: read or not as `read`, and refused with `error`.
void ExpectListRead(const testsupport::TempDir& dir, const char* list, const char* included, bool read,
                    const char* error)
{
    testsupport::WriteBytes(dir.File("more.txt"), std::vector<uint8_t>(included, included + strlen(included)));
    testsupport::WriteBytes(dir.File("list.txt"), std::vector<uint8_t>(list, list + strlen(list)));
    std::vector<spritetool::BankSource> banks;
    std::string message;
    EXPECT_EQ(spritetool::ReadBankList(dir.File("list.txt"), dir.Path(), &banks, &message), read) << list << message;
    if (!read)
    {
        EXPECT_NE(message.find(error), std::string::npos) << message;
    }
}

// Bank lists refused with their line: a bank named twice, in one list or through an include and whatever the case
// (the game would only ever find the first); a list that includes itself, directly or through others and however its
// name is spelt, refused at the include instead of being read without end. A list included twice side by side is
// read twice.
TEST(SpriteToolTest, ListsThatNameABankTwiceOrIncludeThemselvesAreRefused)
{
    testsupport::TempDir dir;
    const struct
    {
        const char* list;
        const char* included;
        bool read;
        const char* error;
    } cases[] = {
        {"bank one\nbank two\n", "", true, ""},
        {"bank one\nbank ONE\n", "", false, "named"},
        {"bank one\ninclude more.txt\n", "bank One\n", false, "named"},
        {"include list.txt\n", "", false, "is already being read"},
        {"include ./list.txt\n", "", false, "is already being read"},
        {"bank one\ninclude more.txt\n", "# more\ninclude list.txt\n", false, "is already being read"},
        {"include more.txt\n", "include more.txt\n", false, "is already being read"},
        {"include more.txt\ninclude more.txt\nbank one\n", "# nothing but a comment\n", true, ""},
    };
    for (const auto& c : cases)
        ExpectListRead(dir, c.list, c.included, c.read, c.error);
}

// Animations the file cannot hold, or the game could never show, refused at their line: counts and sides beyond what
// the index keeps (8-bit directions, 16-bit frames and sides; a frame drawn whole before it is coded), and a second
// animation of a name in one bank (the game finds the first, whatever the case). One that lacks frames is named
// with the line that declared it.
TEST(SpriteToolTest, AnimationsTheFileCannotHoldAreRefusedAtTheirLine)
{
    testsupport::TempDir dir;
    testsupport::WriteText(dir.File("dot.pic"), "rect 0 0 1 1 #102030\n");
    const struct
    {
        const char* list;
        bool read;
        const char* error;
    } cases[] = {
        {"bank b\nanim a 1 1 8 8\nframe dot.pic\n", true, ""},
        {"bank b\nanim a 1 255 1 1\n", false, "lacks frames"},
        {"bank b\nanim a 1 256 8 8\nframe dot.pic\n", false, "list.txt line 2: at most 255 directions"},
        {"bank b\nanim a 65536 1 8 8\nframe dot.pic\n", false, "list.txt line 2: at most 255 directions"},
        {"bank b\nanim a 300 255 8 8\nframe dot.pic\n", false, "list.txt line 2: at most 255 directions"},
        {"bank b\nanim a 100000 100000 8 8\nframe dot.pic\n", false, "list.txt line 2: at most 255 directions"},
        {"bank b\nanim a 1 1 70000 8\nframe dot.pic\n", false, "list.txt line 2: a frame is at most"},
        {"bank b\nanim a 1 1 8 70000\nframe dot.pic\n", false, "list.txt line 2: a frame is at most"},
        {"bank b\nanim a 1 1 100000 100000\nframe dot.pic\n", false, "list.txt line 2: a frame is at most"},
        {"bank b\nanim a 1 1 8 8\nframe dot.pic\nanim A 1 1 8 8\nframe dot.pic\n", false,
         "list.txt line 4: an animation named A again"},
        {"bank b\nanim a 1 1 8 8\nframe dot.pic\nbank c\nanim a 1 1 8 8\nframe dot.pic\n", true, ""},
        {"bank b\nanim a 2 1 8 8\nframe dot.pic\nanim c 1 1 8 8\nframe dot.pic\n", false,
         "list.txt line 2: bank b animation a lacks frames"},
    };
    for (const auto& c : cases)
        ExpectListRead(dir, c.list, "", c.read, c.error);
}

// A bank's name is kept in the index behind a one-byte length that counts its terminator: the longest name that fits
// is written and found again by the game; a longer one is refused at its line instead of writing an index whose
// banks after it are misread.
TEST(SpriteToolTest, BankNamesTheIndexCannotHoldAreRefusedAtTheirLine)
{
    testsupport::TempDir dir;
    testsupport::WriteText(dir.File("dot.pic"), "rect 0 0 1 1 #102030\n");
    const struct
    {
        size_t length;
        bool read;
    } cases[] = {{1, true}, {254, true}, {255, false}, {300, false}};
    for (const auto& c : cases)
    {
        const std::string name(c.length, 'n');
        const std::string list =
            "bank " + name + "\nanim a 1 1 1 1\nframe dot.pic\nbank after\nanim a 1 1 1 1\n" + "frame dot.pic\n";
        ExpectListRead(dir, list.c_str(), "", c.read, "list.txt line 1: a bank name is at most 254 characters");
        if (!c.read)
            continue;
        std::vector<spritetool::BankSource> banks;
        std::string error;
        ASSERT_TRUE(spritetool::ReadBankList(dir.File("list.txt"), dir.Path(), &banks, &error)) << error;
        spritetool::SpriteFiles files;
        ASSERT_TRUE(spritetool::WriteSpriteFiles(banks, &files, &error)) << error;
        SpriteManager sprites;
        sprites.LoadSpriteData(files.index.data(), files.index.size(), files.data, "list.hdr");
        // Both banks are read back whole: the long name and the bank after it.
        ASSERT_EQ(sprites.GetBankCount(), 2) << c.length;
        for (const std::string& bank : {name, std::string("after")})
        {
            Sprite* sprite = sprites.CreateSprite(bank.c_str());
            EXPECT_EQ(sprite->GetBankName(), bank) << c.length;
            EXPECT_EQ(sprite->GetWidth(), 1) << c.length;
            sprites.ReleaseSprite(sprite);
        }
    }
}

// The list is never written over, nor are the index and the data one file: such a run is refused and leaves the
// list as it was.
TEST(SpriteToolTest, ARunThatWouldWriteOverItsListOrPutIndexAndDataInOneFileIsRefused)
{
    testsupport::TempDir dir;
    const std::string list = dir.File("list.txt"), index = dir.File("out.hdr"), data = dir.File("out.Dat");
    const std::string text = "bank b\nanim a 1 1 2 2\nframe dot.pic\n";
    testsupport::WriteText(dir.File("dot.pic"), "rect 0 0 1 1 #102030\n");
    const struct
    {
        std::string index, data;
        int code;
    } rows[] = {
        {index, data, 0},
        {list, data, 1},
        {index, list, 1},
        {dir.File("one"), dir.File("one"), 1},
        {index, dir.File("./out.hdr"), 1},
    };
    for (const auto& row : rows)
    {
        testsupport::WriteText(list, text);
        const char* const argv[] = {"spritetool",       "write",           list.c_str(),
                                    dir.Path().c_str(), row.index.c_str(), row.data.c_str()};
        EXPECT_EQ(spritetool::Run(6, argv), row.code) << row.index << " " << row.data;
        EXPECT_EQ(testsupport::ReadText(list), text);
    }
}

// The command line run in the folder `dir`: one 64 x 64 bank written to out.hdr (about 800 bytes) and out.Dat
// (about 4,000 bytes); true when it reports a failure.
bool SpriteToolFails(const std::string& dir)
{
    const std::string list = dir + "/list.txt", pictures = dir + "/pictures";
    const std::string index = dir + "/out.hdr", data = dir + "/out.Dat";
    const char* const argv[] = {"spritetool", "write", list.c_str(), pictures.c_str(), index.c_str(), data.c_str()};
    return spritetool::Run(6, argv) != 0;
}

// A write cut short (a full disk, here a file size limit) fails the run and leaves both files of the pair as they
// were, whichever of the two is cut: the game never gets a cut file, nor an index that does not match its data.
TEST(SpriteToolTest, AWriteCutShortFailsAndLeavesBothFilesAsTheyWere)
{
    for (const uint64_t limit : {100u, 2000u})
    {
        SCOPED_TRACE(limit);
        testsupport::TempDir dir;
        std::filesystem::create_directory(dir.File("pictures"));
        testsupport::WriteText(dir.File("pictures/p.txt"), "fill #102030\n");
        testsupport::WriteText(dir.File("list.txt"), "bank one\nanim a 1 1 64 64\nframe p.txt\n");
        testsupport::WriteText(dir.File("out.hdr"), "old index");
        testsupport::WriteText(dir.File("out.Dat"), "old data");

        EXPECT_TRUE(testsupport::RunWithFileSizeLimit(limit, SpriteToolFails, dir.Path()));
        EXPECT_EQ(testsupport::ReadText(dir.File("out.hdr")), "old index");
        EXPECT_EQ(testsupport::ReadText(dir.File("out.Dat")), "old data");
        EXPECT_FALSE(std::filesystem::exists(dir.File("out.hdr.tmp")));
        EXPECT_FALSE(std::filesystem::exists(dir.File("out.Dat.tmp")));
    }
    // Without a limit the same run writes both.
    testsupport::TempDir dir;
    std::filesystem::create_directory(dir.File("pictures"));
    testsupport::WriteText(dir.File("pictures/p.txt"), "fill #102030\n");
    testsupport::WriteText(dir.File("list.txt"), "bank one\nanim a 1 1 64 64\nframe p.txt\n");
    EXPECT_FALSE(SpriteToolFails(dir.Path()));
    EXPECT_GT(testsupport::ReadBytes(dir.File("out.hdr")).size(), 100u);
    EXPECT_GT(testsupport::ReadBytes(dir.File("out.Dat")).size(), 2000u);
}

TEST(SpriteToolTest, TheSampleSpriteFilesAreMadeFromTheirSourcesAndHoldEveryNamedBank)
{
    const std::set<std::string> common = {"dummy",
                                          "UIS_combobox_textarea",
                                          "UIS_combobox_textarea_w",
                                          "UI3_combobox_textarea_b",
                                          "UIS_combobox_button",
                                          "UIS_combobox_button_w",
                                          "UI3_combobox_button_b",
                                          "UI3_SCROLLBAR_SLIDER",
                                          "UI3_scrollbar_up",
                                          "UI3_scrollbar_down",
                                          "UI3_slider_button",
                                          "UI3_inc_flat",
                                          "UI3_dec_flat",
                                          "UI3_field_n_left",
                                          "UI3_field_n_right",
                                          "UI3_obj_checks",
                                          "UIS_intensity_blocks",
                                          "UIS_smiles",
                                          "UI3_ob_listsmiles",
                                          "UIS_BAR_STARS",
                                          "UIS_BAR_ENDCAP",
                                          "UIS_bar_debt_backing",
                                          "UI3_ob_goto",
                                          "UI3_bar_message_goto",
                                          "UIS_bar_message_up",
                                          "UIS_bar_message_down",
                                          "UIS_sc_in",
                                          "UIS_sc_out",
                                          "UI3_mp3_icon_sun",
                                          "UI3_mp3_icon_moon",
                                          "UI3_mp3_icon_repeat",
                                          "uis_fef_tick_icon",
                                          "uis_fef_lock_icon",
                                          "uis_guest_photos",
                                          "uis_staff_photos",
                                          "uis_animal_photos",
                                          "UIS_rs_blob",
                                          "UIS_progress_done",
                                          "UIS_scanner_progressbacking",
                                          "UIS_SS_Numbers"};
    const std::set<std::string> inGame = {"uis_scanner_paneldown",
                                          "uis_scanner_panelup",
                                          "uis_scanner_sb_paneldown",
                                          "uis_scanner_sb_panelup",
                                          "uis_scanner_upbutton",
                                          "uis_scanner_downbutton",
                                          "uis_progress_extension1",
                                          "uis_progress_extension2",
                                          "uis_progress_extension3",
                                          "UI3_sc_thumb_path",
                                          "UI3_sc_thumb_tree",
                                          "UI3_sc_thumb_plant",
                                          "UI3_sc_thumb_orn",
                                          "UI3_sc_thumb_furn",
                                          "UI3_sc_thumb_flower",
                                          "UI3_bp_thumb",
                                          "UI3_bp_thumb_grey",
                                          "UI3_bp_preview",
                                          "UIS_TS_METER",
                                          "UIS_TS_BANNER",
                                          "TS_Perfect",
                                          "TS_Numbers",
                                          "TS_GradeText",
                                          "TS_ClockBG",
                                          "TS_ClockHand",
                                          "TS_Button_CU",
                                          "TS_Button_CR",
                                          "TS_Button_CL",
                                          "TS_Button_CD",
                                          "tdpathtile",
                                          "queuetile"};
    const std::set<std::string> frontEnd = {"UIS_mainmenu_panel", "UIS_menu_button", "UIS_small_button",
                                            "UIS_confirm_panel", "UIS_options_panel"};
    for (const auto& [file, own] : {std::pair{"VA2FESprites", &frontEnd}, std::pair{"VA2IGSprites", &inGame}})
    {
        SCOPED_TRACE(file);
        std::vector<spritetool::BankSource> banks;
        spritetool::SpriteFiles files;
        std::string error;
        ASSERT_TRUE(spritetool::ReadBankList(kSprites + "/" + file + ".txt", kSprites + "/pictures", &banks, &error))
            << error;
        ASSERT_TRUE(spritetool::WriteSpriteFiles(banks, &files, &error)) << error;
        EXPECT_EQ(testsupport::ReadBytes(kMade + "/" + file + ".hdr"), files.index) << "run tools/make-sample-data.sh";
        EXPECT_EQ(testsupport::ReadBytes(kMade + "/" + file + ".Dat"), files.data) << "run tools/make-sample-data.sh";

        testsupport::RecordingReportSink reports;
        SpriteManager sprites;
        sprites.LoadSpriteData(files.index.data(), files.index.size(), files.data, file);
        EXPECT_TRUE(reports.debug.empty()) << reports.debug;
        std::set<std::string> names;
        for (int32_t b = 0; b < sprites.GetBankCount(); ++b)
            names.insert(sprites.GetBank(b)->m_name);
        for (const std::set<std::string>* wanted : {&common, own})
            for (const std::string& name : *wanted)
                EXPECT_TRUE(names.count(name)) << name;
        // No frame of any direction is blank.
        for (const std::string& name : names)
        {
            Sprite* sprite = sprites.CreateSprite(name.c_str());
            sprite->SetPlayMode(Sprite::PLAY_MANUAL);
            for (int32_t a = 0; a < sprite->GetAnimationCount(); ++a)
            {
                sprite->SetAnimation(a);
                for (int32_t d = 0; d < sprite->GetDirectionCount(a); ++d)
                    for (int32_t f = 0; f < sprite->GetFrameCount(); ++f)
                    {
                        sprite->SetDirection(d);
                        sprite->SetFrame(f);
                        bool opaque = false;
                        for (int32_t y = 0; y < sprite->GetHeight() && !opaque; ++y)
                            for (int32_t x = 1; x <= sprite->GetWidth() && !opaque; ++x)
                                opaque = sprite->IsOpaqueAt(x, y);
                        EXPECT_TRUE(opaque) << name << " frame " << f;
                    }
            }
            // Past its last animation, or before its first, a sprite has no directions.
            EXPECT_EQ(std::tuple(sprite->GetDirectionCount(sprite->GetAnimationCount()), sprite->GetDirectionCount(-1)),
                      std::tuple(0, 0))
                << name;
            sprites.ReleaseSprite(sprite);
        }
    }
}

} // namespace

TEST(SpriteToolTest, ShapesReachingFarPastTheFrameDrawWhatLiesOnItAtOnce)
{
    using Rows = std::vector<std::string>;
    const Rows full(5, "######"), none(5, "......");
    // Each shape covers the whole 6 x 5 frame or misses it wholly; its sides, radius or corners lie tens of thousands
    // of pixels out.
    const std::pair<const char*, Rows> cases[] = {
        {"disc 2 2 50000 #F8F8F8", full},
        {"ring 3 2 60000 60000 #F8F8F8", {"######", "######", "###.##", "######", "######"}},
        {"ring 3 2 60000 10 #F8F8F8", none},
        {"rect -50000 -50000 100000 100000 #F8F8F8", full},
        {"box -50000 -50000 100000 100000 2 #F8F8F8", none},
        {"border 90000 #F8F8F8", full},
        {"fill #F8F8F8\nround 50000", none},
        {"fill #F8F8F8\nclear -50000 -50000 100000 100000", none},
    };
    const auto start = std::chrono::steady_clock::now();
    for (const auto& [statement, rows] : cases)
        EXPECT_EQ(Drawn(statement), rows) << statement;
    // A handful of pixels to look at: no time worth the name, even in a debug build.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(SpriteToolTest, AListIncludedAgainUnderAnotherCaseIsRefusedAtThatInclude)
{
    // Lists are read whatever the case of the names that include them, so a name spelt in another case is the same
    // list: the include that would read it again is the one refused.
    testsupport::TempDir dir;
    const struct
    {
        const char* list;
        const char* included;
        const char* error;
    } cases[] = {
        {"include LIST.txt\n", "", "list.txt line 1: includes LIST.txt, which is already being read"},
        {"bank one\ninclude More.txt\n", "include LIST.TXT\n",
         "More.txt line 1: includes LIST.TXT, which is already being read"},
    };
    for (const auto& c : cases)
        ExpectListRead(dir, c.list, c.included, false, c.error);
}

// A list's includes are read beside it, however the folders on the way to it were written: a list reached through
// "sub\more.txt" reads its own includes from sub, not from the folder of the list that named it.
TEST(SpriteToolTest, IncludesAreReadBesideTheListWhateverItsSeparators)
{
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.File("sub/deep"));
    testsupport::WriteText(dir.File("deeper.txt"), "bank outer\n");
    testsupport::WriteText(dir.File("sub/deeper.txt"), "bank inner\n");
    testsupport::WriteText(dir.File("sub/more.txt"), "include deeper.txt\n");
    testsupport::WriteText(dir.File("sub/deep/last.txt"), "bank deepest\n");
    testsupport::WriteText(dir.File("sub/onward.txt"), "include deep\\last.txt\n");
    const struct
    {
        const char* list;
        const char* bank;
    } cases[] = {
        {"include sub/more.txt\n", "inner"},
        {"include sub\\more.txt\n", "inner"},
        {"include SUB\\More.txt\n", "inner"},
        {"include sub\\onward.txt\n", "deepest"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.list);
        testsupport::WriteText(dir.File("list.txt"), c.list);
        std::vector<spritetool::BankSource> banks;
        std::string message;
        ASSERT_TRUE(spritetool::ReadBankList(dir.File("list.txt"), dir.Path(), &banks, &message)) << message;
        ASSERT_EQ(banks.size(), 1u);
        EXPECT_EQ(banks[0].name, c.bank);
    }
}
