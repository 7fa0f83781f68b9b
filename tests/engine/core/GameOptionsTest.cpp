// Tests of the options: defaults, reading and writing "MRV2.ini", the play list and the dialog positions.
#include "engine/core/GameOptions.h"

#include "platform/FileOps.h"
#include "tests/platform/LocaleGuard.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace
{

// The lines of a profile file, separated by '|', each ended as the profile writer ends them.
std::string Lines(const std::string& lines)
{
    std::string text;
    for (char c : lines + "|")
        text += c == '|' ? std::string("\r\n") : std::string(1, c);
    return text;
}

// The file the defaults save to, key by key from the section table.
const std::string kDefaultText =
    Lines("[Tidewell 2 Options]|Version=1|[Language]|Language=0|[Sound]|MusicVol=0.500000|EffectsVol=0.750000|"
          "[Dialog]|DialogCount=0|[Video]|ResWidth=800|ResHeight=600|NudgeScroll=1|DrawDist=0.500000|FilterType=0|"
          "MaterialQuality=2|ObjectDetail=0.500000|ShadowDrawDist=0.500000|DisplayBPP=32|TextureQuality=2|"
          "TextureDepth=2|[PopupSettings]|Research=1|Conservation=1|[BuildingSettings]|RoofMode=0|[Mouse]|"
          "SystemCursor=1");

// The dialog positions as "id:x,y" in list order.
std::string Positions(const GameOptions& options)
{
    std::string out;
    for (const DialogPosition& p : options.GetDialogPositions())
        out += (out.empty() ? "" : " ") + std::to_string(p.m_iId) + ":" + std::to_string(p.m_iX) + "," +
               std::to_string(p.m_iY);
    return out;
}

std::pair<int32_t, int32_t> Resolution(const GameOptions& options)
{
    std::pair<int32_t, int32_t> size{-1, -1};
    options.GetResolution(&size.first, &size.second);
    return size;
}

class GameOptionsTest : public ::testing::Test
{
protected:
    std::string Path() const { return m_dir.File("MRV2.ini"); }

    // Writes the file and reads it into fresh options (whose destructor will write it back).
    std::unique_ptr<GameOptions> LoadText(const std::string& text)
    {
        testsupport::WriteText(Path(), text);
        return std::make_unique<GameOptions>(Path());
    }

    // A valid file holding the given lines after the version section.
    std::unique_ptr<GameOptions> LoadBody(const std::string& body)
    {
        return LoadText("[Tidewell 2 Options]\nVersion=1\n" + body);
    }

    static void ExpectDefaultPlayList(const GameOptions& options)
    {
        ASSERT_EQ(options.GetPlayListCount(), 4);
        for (int32_t i = 0; i < 4; ++i)
        {
            EXPECT_STREQ(options.GetPlayListDirectory(i), "data\\soundtrack\\");
            EXPECT_EQ(options.GetPlayListFile(i), "track" + std::to_string(i + 1) + ".mp3");
            EXPECT_EQ(std::tuple(options.GetPlayListAttribute(i), options.GetPlayListTime(i)), std::tuple(0, 666));
        }
    }

    // Every stored field through the file it saves to, and the play-list fields that are not stored.
    void ExpectDefaults(const GameOptions& options)
    {
        ASSERT_TRUE(options.Save());
        EXPECT_EQ(testsupport::ReadText(options.GetPath()), kDefaultText);
        EXPECT_EQ(std::tuple(options.m_iPlayMode, options.m_iPlayListInUse, options.GetPlayListCount()),
                  std::tuple(1, 1, 4));
    }

    testsupport::TempDir m_dir;
};

TEST_F(GameOptionsTest, FilesWithoutVersionOneGiveDefaultsAndTheDestructorWritesACompleteFile)
{
    {
        GameOptions options(Path()); // no file at all
        EXPECT_FALSE(options.Load());
    }
    EXPECT_EQ(testsupport::ReadText(Path()), kDefaultText);

    const std::string body = "\n[Language]\nLanguage=3\n[Video]\nResWidth=1024\nResHeight=768\n[Sound]\nMusicVol=0.1\n";
    const std::string head = "[Tidewell 2 Options]\nVersion=";
    for (const std::string& text : {std::string(""), head + "2" + body, head + "1.0" + body, "Version=1" + body})
    {
        SCOPED_TRACE(text);
        auto options = LoadText(text);
        EXPECT_FALSE(options->Load());
        ExpectDefaults(*options);
    }
}

// The options written as the game closes: when the file cannot be written the player is told once, naming the file,
// and the file keeps its old settings; a file that can be written is written without a word.
TEST_F(GameOptionsTest, TheOptionsWrittenAsTheGameClosesAreToldWhenTheyCannotBeWritten)
{
    testsupport::RecordingReportSink reports;
    {
        GameOptions options(Path());
    }
    const std::string before = testsupport::ReadText(Path());
    ASSERT_EQ(before, kDefaultText);
    ASSERT_TRUE(reports.boxes.empty());
    // A folder where the temporary file would go.
    std::filesystem::create_directories(Path() + ".tmp/in-the-way");
    {
        GameOptions options(Path());
        options.m_fMusicVol = 0.25f;
    }
    ASSERT_EQ(reports.boxes.size(), 1u);
    EXPECT_NE(reports.boxes[0].text.find(Path()), std::string::npos) << reports.boxes[0].text;
    EXPECT_EQ(testsupport::ReadText(Path()), before);

    std::filesystem::remove_all(Path() + ".tmp");
    {
        GameOptions options(Path());
        options.m_fMusicVol = 0.25f;
    }
    EXPECT_EQ(reports.boxes.size(), 1u);
    EXPECT_NE(testsupport::ReadText(Path()).find("MusicVol=0.250000\r\n"), std::string::npos);
}

TEST_F(GameOptionsTest, ValuesConvertLikeTheRuntimeAndAbsentKeysKeepTheirDefaults)
{
    // Integers are not range-checked; flags are set by any integer but 0; the word "default" reads as absent.
    auto o = LoadBody("[Language]\nLanguage= 9abc\n[Sound]\nMusicVol=.25xyz\nEffectsVol=abc\n[Video]\n"
                      "ResWidth=1024.9\nResHeight=+768\nNudgeScroll=5\nDisplayBPP=16\nMaterialQuality=-1\n"
                      "[Mouse]\nSystemCursor=0\n[PopupSettings]\nResearch=-3\nConservation=x\n"
                      "[BuildingSettings]\nRoofMode=default\n");
    EXPECT_TRUE(o->Load());
    EXPECT_EQ(std::tuple(o->m_iLanguage, o->m_fMusicVol, o->m_fEffectsVol, o->m_iResWidth, o->m_iResHeight),
              std::tuple(9, 0.25f, 0.0f, 1024, 768));
    EXPECT_EQ(std::tuple(o->m_bNudgeScroll, o->m_iDisplayBPP, o->m_iMaterialQuality, o->m_bSystemCursor),
              std::tuple(true, 16, -1, false));
    EXPECT_EQ(std::tuple(o->m_bResearchPopups, o->m_bConservationPopups, o->m_iRoofMode, o->m_iTextureQuality),
              std::tuple(true, false, 0, 2));
}

TEST_F(GameOptionsTest, DialogCountFindsStoredIdsInIdOrderAndTheScanIsBounded)
{
    const std::pair<const char*, const char*> rows[] = {
        {"DialogCount=2\nDialogXPos3=30\nDialogYPos3=31\nDialogXPos0=5\nDialogYPos0=6\n", "0:5,6 3:30,31"},
        // An absent y reads as 0; an absent x skips the id; a negative count reads none.
        {"DialogCount=2\nDialogXPos1=70\nDialogYPos2=99\nDialogXPos5=-4\n", "1:70,0 5:-4,0"},
        {"DialogCount=-3\nDialogXPos0=1\n", ""},
        // A count the file cannot satisfy ends the scan at the highest id instead of searching for ever.
        {"DialogCount=2147483647\nDialogXPos7=1\nDialogYPos7=2\nDialogXPos1024=3\nDialogXPos1025=4\n",
         "7:1,2 1024:3,0"},
    };
    for (const auto& [body, expected] : rows)
    {
        SCOPED_TRACE(body);
        auto start = std::chrono::steady_clock::now();
        auto options = LoadBody(std::string("[Dialog]\n") + body + "[Language]\nLanguage=2\n");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(Positions(*options), expected);
        EXPECT_EQ(options->m_iLanguage, 2); // the rest of the file is still read
    }
}

TEST_F(GameOptionsTest, OddAndHostileFilesReadWithoutHarm)
{
    std::string text = "\xEF\xBB\xBF\x01\x02\xff\xfe garbage\n====\n[unterminated\n=novalue\n[Tidewell 2 Options]\n"
                       "junk without equals\nVersion=1\n[]\n=\n[Language]\n\x7f\x80=\x81\nLanguage=2\n";
    text += std::string("\0\0zero\n", 7);
    text += "[Video]\nResWidth==1024\nResHeight=768\n[Sound]\nMusicVol=0.25" + std::string(5000, '0') + "\n";
    text += "[" + std::string(100000, 'S') + "]\n" + std::string(100000, 'k') + "=" + std::string(100000, 'v') + "\n";
    text += "[Mouse]\nSystemCursor=0\r\n";
    auto o = LoadText(text);
    EXPECT_TRUE(o->Load());
    // "=1024" is not a number, so the width is 0 and the size falls back.
    EXPECT_EQ(std::tuple(o->m_iLanguage, o->m_fMusicVol, o->m_bSystemCursor, o->m_iResWidth, o->m_iResHeight),
              std::tuple(2, 0.25f, false, 800, 600));
}

TEST_F(GameOptionsTest, AbsurdResolutionFallsBackTo800By600)
{
    const std::tuple<const char*, const char*, int32_t, int32_t> rows[] = {{"0", "0", 800, 600},
                                                                           {"99999999999", "600", 800, 600},
                                                                           {"319", "600", 800, 600},
                                                                           {"320", "200", 320, 200},
                                                                           {"8192", "8192", 8192, 8192}};
    for (const auto& [w, h, width, height] : rows)
    {
        auto options = LoadBody(std::string("[Video]\nResWidth=") + w + "\nResHeight=" + h + "\n");
        EXPECT_EQ(Resolution(*options), std::pair(width, height)) << w << "x" << h;
        EXPECT_EQ(std::pair(options->m_iResWidth, options->m_iResHeight), std::pair(width, height));
    }

    // A size put straight into the fields (as the video options do) is checked again when it is asked for.
    GameOptions options(Path());
    const std::tuple<int32_t, int32_t, int32_t, int32_t> fields[] = {{319, 600, 800, 600},   {320, 199, 800, 600},
                                                                     {8193, 600, 800, 600},  {640, 8193, 800, 600},
                                                                     {-1024, 768, 800, 600}, {1024, 768, 1024, 768}};
    for (const auto& [w, h, width, height] : fields)
    {
        options.m_iResWidth = w;
        options.m_iResHeight = h;
        EXPECT_EQ(Resolution(options), std::pair(width, height)) << w << "x" << h;
    }
    // Either output may be left out.
    options.GetResolution(nullptr, nullptr);
}

TEST_F(GameOptionsTest, FractionsAreClampedAndNanGivesTheDefault)
{
    auto o = LoadBody("[Sound]\nMusicVol=7\nEffectsVol=NAN\n[Video]\nDrawDist=-inf\nObjectDetail=inf\n"
                      "ShadowDrawDist=-0.5\n");
    EXPECT_EQ(std::tuple(o->m_fMusicVol, o->m_fEffectsVol, o->m_fDrawDist, o->m_fObjectDetail, o->m_fShadowDrawDist),
              std::tuple(1.0f, 0.75f, 0.0f, 1.0f, 0.0f));
}

TEST_F(GameOptionsTest, NumbersUseTheCLocaleWhateverTheProcessLocale)
{
    platformtest::DecimalCommaLocale locale;
    if (!locale.Active())
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    auto options = LoadBody("[Sound]\nMusicVol=0.25\nEffectsVol=0,5\n");
    // The comma ends the number, as it does in the C locale.
    EXPECT_EQ(std::tuple(options->m_fMusicVol, options->m_fEffectsVol), std::tuple(0.25f, 0.0f));
    options->m_fEffectsVol = 0.5f;
    ASSERT_TRUE(options->Save());
    std::string text = testsupport::ReadText(Path());
    EXPECT_NE(text.find(Lines("MusicVol=0.250000|EffectsVol=0.500000")), std::string::npos) << text;
}

TEST_F(GameOptionsTest, EveryStoredFieldRoundTripsByteForByte)
{
    // Not one value of the defaults: a field Load skipped or Save wrote wrong would show in the file.
    const std::string text =
        Lines("[Tidewell 2 Options]|Version=1|[Language]|Language=5|[Sound]|MusicVol=0.250000|EffectsVol=1.000000|"
              "[Dialog]|DialogCount=2|DialogXPos2=-5|DialogYPos2=0|DialogXPos9=640|DialogYPos9=480|[Video]|"
              "ResWidth=1280|ResHeight=1024|NudgeScroll=0|DrawDist=0.125000|FilterType=1|MaterialQuality=1|"
              "ObjectDetail=0.000000|ShadowDrawDist=0.375000|DisplayBPP=16|TextureQuality=0|TextureDepth=1|"
              "[PopupSettings]|Research=0|Conservation=0|[BuildingSettings]|RoofMode=2|[Mouse]|SystemCursor=0");
    {
        auto options = LoadText(text);
        EXPECT_TRUE(options->Load()); // a second read must not double the dialog positions
        ASSERT_TRUE(options->Save());
        EXPECT_EQ(testsupport::ReadText(Path()), text);
    }
    EXPECT_EQ(testsupport::ReadText(Path()), text);
}

// Positions are written in list order after their count, and read back by the next run in id order; ids the
// file scan cannot reach are not kept at all, rather than written and lost.
TEST_F(GameOptionsTest, DialogPositionsKeptAreWrittenInListOrderAndReadBack)
{
    {
        GameOptions options(Path());
        options.SetDialogPosition(100, -20, 12);
        options.SetDialogPosition(7, 8, 0);
        options.SetDialogPosition(101, -21, 12); // updates rather than appends
        for (int32_t id : {-1, 1025, INT32_MIN, INT32_MAX, 1024})
            options.SetDialogPosition(id % 1000, 7, id);
        EXPECT_EQ(Positions(options), "12:101,-21 0:7,8 1024:24,7");
        int32_t x = -9, y = -9;
        EXPECT_FALSE(options.GetDialogPosition(1, &x, &y) || options.GetDialogPosition(-1, &x, &y) ||
                     options.GetDialogPosition(1025, &x, &y));
        EXPECT_EQ(std::pair(x, y), std::pair(-9, -9));
        ASSERT_TRUE(options.Save());
        EXPECT_NE(testsupport::ReadText(Path()).find(
                      Lines("[Dialog]|DialogCount=3|DialogXPos12=101|DialogYPos12=-21|"
                            "DialogXPos0=7|DialogYPos0=8|DialogXPos1024=24|DialogYPos1024=7|[Video]")),
                  std::string::npos);
    }
    EXPECT_EQ(Positions(GameOptions(Path())), "0:7,8 12:101,-21 1024:24,7");
}

TEST_F(GameOptionsTest, KeysLeftByHandAndThePlayListAreNotStored)
{
    auto options = LoadBody("[Custom]\nFoo=bar\n[Video]\nExtra=1\n[Sound]\n3DProvider=2\nPlayListMode=0\n"
                            "PlayListCount=1\nPlayListTrack0=mine.mp3\nPlayListDirectory0=music/\n");
    EXPECT_EQ(options->m_iPlayMode, 1);
    ExpectDefaultPlayList(*options);
    options->ClearPlayList();
    options->AddPlayListEntry("music/", "song.mp3", 1, 245);
    options->m_iPlayMode = 0;
    options->m_iPlayListInUse = 0;
    ASSERT_TRUE(options->Save());
    EXPECT_EQ(testsupport::ReadText(Path()), kDefaultText);
}

TEST_F(GameOptionsTest, SaveReplacesTheFileWholeOrNotAtAll)
{
    const std::string oldText = "[Tidewell 2 Options]\nVersion=1\n[Language]\nLanguage=1\n";
    testsupport::WriteText(Path(), oldText);
    {
        GameOptions options(Path());
        options.m_iLanguage = 4;
        std::ifstream before(Path(), std::ios::binary); // opened on the old file, read after the save
        ASSERT_TRUE(options.Save());
        std::string seen((std::istreambuf_iterator<char>(before)), std::istreambuf_iterator<char>());
        EXPECT_EQ(seen, oldText); // the old file was replaced whole, not emptied and rewritten
    }
    EXPECT_NE(testsupport::ReadText(Path()).find("Language=4\r\n"), std::string::npos);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()), {}), 1);

    const std::string unreachable = m_dir.File("missing/MRV2.ini");
    EXPECT_FALSE(GameOptions(unreachable).Save());
    EXPECT_FALSE(platform::FileExists(unreachable));
}

TEST_F(GameOptionsTest, DefaultConstructorUsesTheCurrentDirectory)
{
    testsupport::WriteText(Path(), "[Tidewell 2 Options]\nVersion=1\n[Language]\nLanguage=3\n");
    testsupport::ScopedCurrentDir cwd(m_dir.Path());
    {
        GameOptions options;
        EXPECT_EQ(options.GetPath(), platform::CurrentDirectory() + "/MRV2.ini");
        EXPECT_EQ(options.m_iLanguage, 3);
        options.m_iLanguage = 1;
    }
    EXPECT_NE(testsupport::ReadText(Path()).find("Language=1\r\n"), std::string::npos);
}

TEST_F(GameOptionsTest, ResetsRestoreOnlyTheirOwnFields)
{
    auto o = LoadBody("[Sound]\nMusicVol=0.1\nEffectsVol=0.2\n[Video]\nNudgeScroll=0\nDrawDist=0.9\nFilterType=1\n"
                      "MaterialQuality=1\nObjectDetail=0.1\nShadowDrawDist=0.2\nResWidth=1024\nTextureQuality=0\n");
    o->ResetVideo();
    EXPECT_EQ(std::tuple(o->m_bNudgeScroll, o->m_fDrawDist, o->m_iFilterType, o->m_iMaterialQuality, o->m_fObjectDetail,
                         o->m_fShadowDrawDist, o->m_iResWidth, o->m_iTextureQuality, o->m_fMusicVol),
              std::tuple(true, 0.5f, 0, 2, 0.5f, 0.5f, 1024, 0, 0.1f));
    o->ResetAudio();
    EXPECT_EQ(std::tuple(o->m_fMusicVol, o->m_fEffectsVol, o->m_iResWidth), std::tuple(0.5f, 0.75f, 1024));

    o->m_iLanguage = 3;
    o->m_iPlayListInUse = 0;
    o->ClearPlayList();
    o->SetDefaults();
    ExpectDefaults(*o);
}

TEST_F(GameOptionsTest, PlayListKeepsItsOwnCopiesAndGuardsItsIndexes)
{
    GameOptions options(Path());
    options.ClearPlayList();
    char directory[] = "music/";
    char file[] = "song.mp3";
    options.AddPlayListEntry(directory, file, 1, 245);
    std::strcpy(directory, "xxxxx/");
    std::strcpy(file, "yyyy.mp3");
    ASSERT_EQ(options.GetPlayListCount(), 1);
    EXPECT_EQ(std::tuple(std::string(options.GetPlayListDirectory(0)), std::string(options.GetPlayListFile(0)),
                         options.GetPlayListAttribute(0), options.GetPlayListTime(0)),
              std::tuple("music/", "song.mp3", 1, 245));
    for (int32_t i : {-1, 1})
        EXPECT_EQ(std::tuple(std::string(options.GetPlayListDirectory(i)), std::string(options.GetPlayListFile(i)),
                             options.GetPlayListAttribute(i), options.GetPlayListTime(i)),
                  std::tuple("", "", 0, 0));
}

} // namespace

// A file cut short at any byte (a full disk, a crash while another program wrote it) reads without harm: every key
// whose whole line survived keeps its value, every key whose line was lost keeps its default, and the file written
// back is whole again.
TEST_F(GameOptionsTest, AFileCutAtAnyByteKeepsTheWholeLinesAndIsWrittenBackWhole)
{
    // Not one value of the defaults, in the order the file is written.
    const std::string full =
        Lines("[Tidewell 2 Options]|Version=1|[Language]|Language=3|[Sound]|MusicVol=0.250000|EffectsVol=1.000000|"
              "[Dialog]|DialogCount=1|DialogXPos4=33|DialogYPos4=44|[Video]|ResWidth=1024|ResHeight=768|"
              "NudgeScroll=0|DrawDist=0.125000|FilterType=1|MaterialQuality=1|ObjectDetail=0.000000|"
              "ShadowDrawDist=0.375000|DisplayBPP=16|TextureQuality=0|TextureDepth=1|[PopupSettings]|Research=0|"
              "Conservation=0|[BuildingSettings]|RoofMode=2|[Mouse]|SystemCursor=0");
    // The keys whose value stands alone on its line, with the default each falls back to (ResWidth and ResHeight
    // are read as a pair, the dialog position with its count: they are checked whole or not at all below).
    const std::vector<std::pair<std::string, std::string>> keys = {
        {"Language", "0"},        {"MusicVol", "0.500000"},     {"EffectsVol", "0.750000"},
        {"NudgeScroll", "1"},     {"DrawDist", "0.500000"},     {"FilterType", "0"},
        {"MaterialQuality", "2"}, {"ObjectDetail", "0.500000"}, {"ShadowDrawDist", "0.500000"},
        {"DisplayBPP", "32"},     {"TextureQuality", "2"},      {"TextureDepth", "2"},
        {"Research", "1"},        {"Conservation", "1"},        {"RoofMode", "0"},
        {"SystemCursor", "1"}};
    auto valueIn = [](const std::string& text, const std::string& key)
    {
        const size_t at = text.find("\r\n" + key + "=");
        if (at == std::string::npos)
            return std::string("(absent)");
        const size_t from = at + 2 + key.size() + 1;
        return text.substr(from, text.find("\r\n", from) - from);
    };
    const size_t versionEnd = full.find("Version=1") + std::strlen("Version=1");
    for (size_t cut = 0; cut <= full.size(); ++cut)
    {
        const std::string part = full.substr(0, cut);
        std::pair<int32_t, int32_t> read;
        {
            auto options = LoadText(part);
            read = Resolution(*options);
            ASSERT_TRUE(options->Save()) << "cut at " << cut;
        }
        const std::string written = testsupport::ReadText(Path());
        // Written back whole: every key of the complete file is there, after the version.
        ASSERT_EQ(written.rfind(Lines("[Tidewell 2 Options]|Version=1"), 0), 0u) << "cut at " << cut;
        for (const auto& [key, fallback] : keys)
        {
            const std::string line = "\r\n" + key + "=" + valueIn(full, key) + "\r\n";
            const size_t begins = full.find("\r\n" + key + "=");
            const std::string seen = valueIn(written, key);
            if (cut >= versionEnd && full.find(line) + line.size() <= cut)
                EXPECT_EQ(seen, valueIn(full, key)) << key << ", cut at " << cut;
            else if (cut < versionEnd || cut <= begins + 2)
                EXPECT_EQ(seen, fallback) << key << ", cut at " << cut;
            else
                EXPECT_NE(seen, "(absent)") << key << ", cut at " << cut;
        }
        // The size: 1024 by 768 once both are whole; 1024 wide while the height's line has no '=' yet (its default
        // height, 600); a part of either number is a size out of bounds, which falls back to 800 by 600.
        const size_t widthEnd = full.find("ResWidth=1024") + std::strlen("ResWidth=1024");
        const size_t heightBegins = full.find("\r\nResHeight=") + 2;
        std::pair<int32_t, int32_t> size{800, 600};
        if (cut >= versionEnd && cut >= heightBegins + std::strlen("ResHeight=768"))
            size = {1024, 768};
        else if (cut >= versionEnd && cut >= widthEnd && cut < heightBegins + std::strlen("ResHeight="))
            size = {1024, 600};
        EXPECT_EQ(read, size) << "cut at " << cut;
    }
}
