// Tests of the options: defaults, reading and writing "MRV2.ini", the play list and the dialog positions.
#include "engine/core/GameOptions.h"

#include "platform/FileOps.h"
#include "platform/Profile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace
{

// Lines as the profile writer ends them.
std::string Lines(std::initializer_list<const char*> lines)
{
    std::string text;
    for (const char* line : lines)
    {
        text += line;
        text += "\r\n";
    }
    return text;
}

class GameOptionsTest : public ::testing::Test
{
protected:
    std::string Path() const { return m_dir.File("MRV2.ini"); }

    // Writes the file and reads it into fresh options.
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

    static void ExpectDefaults(const GameOptions& options)
    {
        EXPECT_FLOAT_EQ(options.m_fMusicVol, 0.5f);
        EXPECT_FLOAT_EQ(options.m_fEffectsVol, 0.75f);
        EXPECT_EQ(options.m_iPlayMode, 1);
        EXPECT_EQ(options.m_iPlayListInUse, 1);
        EXPECT_TRUE(options.GetDialogPositions().empty());
        EXPECT_EQ(options.m_iResWidth, 800);
        EXPECT_EQ(options.m_iResHeight, 600);
        EXPECT_TRUE(options.m_bNudgeScroll);
        EXPECT_FLOAT_EQ(options.m_fDrawDist, 0.5f);
        EXPECT_EQ(options.m_iFilterType, 0);
        EXPECT_EQ(options.m_iMaterialQuality, 2);
        EXPECT_FLOAT_EQ(options.m_fObjectDetail, 0.5f);
        EXPECT_FLOAT_EQ(options.m_fShadowDrawDist, 0.5f);
        EXPECT_EQ(options.m_iDisplayBPP, 32);
        EXPECT_EQ(options.m_iTextureQuality, 2);
        EXPECT_EQ(options.m_iTextureDepth, 2);
        EXPECT_TRUE(options.m_bSystemCursor);
        EXPECT_EQ(options.m_iLanguage, 0);
        EXPECT_TRUE(options.m_bResearchPopups);
        EXPECT_TRUE(options.m_bConservationPopups);
        EXPECT_EQ(options.m_iRoofMode, 0);
        ExpectDefaultPlayList(options);
        int32_t width = 0;
        int32_t height = 0;
        options.GetResolution(&width, &height);
        EXPECT_EQ(width, 800);
        EXPECT_EQ(height, 600);
    }

    static void ExpectDefaultPlayList(const GameOptions& options)
    {
        ASSERT_EQ(options.GetPlayListCount(), 4);
        for (int32_t i = 0; i < 4; ++i)
        {
            EXPECT_STREQ(options.GetPlayListDirectory(i), "data\\soundtrack\\");
            EXPECT_EQ(options.GetPlayListFile(i), "track" + std::to_string(i + 1) + ".mp3");
            EXPECT_EQ(options.GetPlayListAttribute(i), 0);
            EXPECT_EQ(options.GetPlayListTime(i), 666);
        }
    }

    // The file the defaults save to, key by key from the section table.
    static std::string DefaultText()
    {
        return Lines({"[Tidewell 2 Options]",
                      "Version=1",
                      "[Language]",
                      "Language=0",
                      "[Sound]",
                      "MusicVol=0.500000",
                      "EffectsVol=0.750000",
                      "[Dialog]",
                      "DialogCount=0",
                      "[Video]",
                      "ResWidth=800",
                      "ResHeight=600",
                      "NudgeScroll=1",
                      "DrawDist=0.500000",
                      "FilterType=0",
                      "MaterialQuality=2",
                      "ObjectDetail=0.500000",
                      "ShadowDrawDist=0.500000",
                      "DisplayBPP=32",
                      "TextureQuality=2",
                      "TextureDepth=2",
                      "[PopupSettings]",
                      "Research=1",
                      "Conservation=1",
                      "[BuildingSettings]",
                      "RoofMode=0",
                      "[Mouse]",
                      "SystemCursor=1"});
    }

    testsupport::TempDir m_dir;
};

// --- Defaults and what makes the file count -------------------------------------------------------------------

TEST_F(GameOptionsTest, MissingFileGivesDefaultsAndTheDestructorWritesACompleteFile)
{
    {
        GameOptions options(Path());
        ExpectDefaults(options);
        EXPECT_FALSE(options.Load());
        EXPECT_EQ(options.GetPath(), Path());
    }
    EXPECT_EQ(testsupport::ReadText(Path()), DefaultText());
}

TEST_F(GameOptionsTest, EmptyFileGivesDefaults)
{
    auto options = LoadText("");
    ExpectDefaults(*options);
    EXPECT_FALSE(options->Load());
}

TEST_F(GameOptionsTest, VersionOtherThanOneIgnoresEverything)
{
    const std::string body = "[Language]\nLanguage=3\n[Video]\nResWidth=1024\nResHeight=768\n[Sound]\nMusicVol=0.1\n";
    for (const char* version : {"2", "0", "1.0", "01", "", "one"})
    {
        SCOPED_TRACE(version);
        auto options = LoadText(std::string("[Tidewell 2 Options]\nVersion=") + version + "\n" + body);
        ExpectDefaults(*options);
        EXPECT_FALSE(options->Load());
    }
    // The version must sit in its own section.
    auto options = LoadText("[Language]\nVersion=1\nLanguage=3\n");
    ExpectDefaults(*options);
}

TEST_F(GameOptionsTest, AbsentKeysKeepTheirDefaults)
{
    auto options = LoadBody("[Video]\nResWidth=1024\nResHeight=768\n");
    EXPECT_TRUE(options->Load());
    EXPECT_EQ(options->m_iResWidth, 1024);
    EXPECT_EQ(options->m_iResHeight, 768);
    options->m_iResWidth = 800;
    options->m_iResHeight = 600;
    ExpectDefaults(*options);
}

TEST_F(GameOptionsTest, TheWordDefaultReadsAsAnAbsentKey)
{
    auto options = LoadBody("[Language]\nLanguage=default\n[Sound]\nMusicVol=default\n[Video]\nResWidth=default\n");
    EXPECT_EQ(options->m_iLanguage, 0);
    EXPECT_FLOAT_EQ(options->m_fMusicVol, 0.5f);
    EXPECT_EQ(options->m_iResWidth, 800);
}

TEST_F(GameOptionsTest, ValuesAreNotRangeCheckedBeyondTheMendedOnes)
{
    auto options = LoadBody("[Language]\nLanguage=9\n[Video]\nDisplayBPP=16\nFilterType=7\nMaterialQuality=-1\n"
                            "TextureQuality=5\nTextureDepth=0\n[BuildingSettings]\nRoofMode=3\n");
    EXPECT_EQ(options->m_iLanguage, 9);
    EXPECT_EQ(options->m_iDisplayBPP, 16);
    EXPECT_EQ(options->m_iFilterType, 7);
    EXPECT_EQ(options->m_iMaterialQuality, -1);
    EXPECT_EQ(options->m_iTextureQuality, 5);
    EXPECT_EQ(options->m_iTextureDepth, 0);
    EXPECT_EQ(options->m_iRoofMode, 3);
}

TEST_F(GameOptionsTest, FlagsReadAnyNonZeroIntegerAsSet)
{
    auto options = LoadBody("[Video]\nNudgeScroll=5\n[Mouse]\nSystemCursor=0\n[PopupSettings]\nResearch=-3\n"
                            "Conservation=0\n");
    EXPECT_TRUE(options->m_bNudgeScroll);
    EXPECT_FALSE(options->m_bSystemCursor);
    EXPECT_TRUE(options->m_bResearchPopups);
    EXPECT_FALSE(options->m_bConservationPopups);

    options.reset(); // its destructor writes the file, so it goes before the next one is written
    options = LoadBody("[Video]\nNudgeScroll=0\n[Mouse]\nSystemCursor=x\n[PopupSettings]\nResearch=0\n");
    EXPECT_FALSE(options->m_bNudgeScroll);
    EXPECT_FALSE(options->m_bSystemCursor); // text that is not a number converts to 0
    EXPECT_FALSE(options->m_bResearchPopups);
    EXPECT_TRUE(options->m_bConservationPopups);
}

TEST_F(GameOptionsTest, NumbersFollowTheRuntimeConversions)
{
    auto options = LoadBody("[Language]\nLanguage= 4abc\n[Sound]\nMusicVol=.25xyz\nEffectsVol=abc\n"
                            "[Video]\nResWidth=1024.9\nResHeight=+768\n");
    EXPECT_EQ(options->m_iLanguage, 4);
    EXPECT_FLOAT_EQ(options->m_fMusicVol, 0.25f);
    EXPECT_FLOAT_EQ(options->m_fEffectsVol, 0.0f);
    EXPECT_EQ(options->m_iResWidth, 1024);
    EXPECT_EQ(options->m_iResHeight, 768);
}

// --- Dialog positions ---------------------------------------------------------------------------------------

TEST_F(GameOptionsTest, DialogCountFindsTheStoredIdsInOrder)
{
    auto options = LoadBody("[Dialog]\nDialogCount=2\nDialogXPos3=30\nDialogYPos3=31\nDialogXPos0=5\nDialogYPos0=6\n");
    const auto& positions = options->GetDialogPositions();
    ASSERT_EQ(positions.size(), 2u);
    EXPECT_EQ(positions[0].m_iId, 0);
    EXPECT_EQ(positions[0].m_iX, 5);
    EXPECT_EQ(positions[0].m_iY, 6);
    EXPECT_EQ(positions[1].m_iId, 3);
    EXPECT_EQ(positions[1].m_iX, 30);
    EXPECT_EQ(positions[1].m_iY, 31);
}

TEST_F(GameOptionsTest, DialogScanStopsOnceTheCountIsFound)
{
    auto options = LoadBody("[Dialog]\nDialogCount=1\nDialogXPos2=1\nDialogXPos4=2\n");
    ASSERT_EQ(options->GetDialogPositions().size(), 1u);
    EXPECT_EQ(options->GetDialogPositions()[0].m_iId, 2);
}

TEST_F(GameOptionsTest, AbsentDialogYReadsZeroAndAbsentXSkipsTheId)
{
    auto options = LoadBody("[Dialog]\nDialogCount=2\nDialogXPos1=70\nDialogYPos2=99\nDialogXPos5=-4\n");
    int32_t x = -1;
    int32_t y = -1;
    ASSERT_TRUE(options->GetDialogPosition(1, &x, &y));
    EXPECT_EQ(x, 70);
    EXPECT_EQ(y, 0);
    EXPECT_FALSE(options->GetDialogPosition(2, &x, &y));
    ASSERT_TRUE(options->GetDialogPosition(5, &x, &y));
    EXPECT_EQ(x, -4);
    EXPECT_EQ(y, 0);
}

TEST_F(GameOptionsTest, DialogPositionsAreIgnoredWithoutACount)
{
    for (const char* count : {"", "DialogCount=0\n", "DialogCount=-3\n"})
    {
        SCOPED_TRACE(count);
        auto options = LoadBody(std::string("[Dialog]\n") + count + "DialogXPos0=1\nDialogYPos0=2\n");
        EXPECT_TRUE(options->GetDialogPositions().empty());
    }
}

TEST_F(GameOptionsTest, HugeDialogCountEndsTheScanAtTheHighestId)
{
    auto start = std::chrono::steady_clock::now();
    auto options = LoadBody("[Dialog]\nDialogCount=2147483647\nDialogXPos7=1\nDialogYPos7=2\nDialogXPos1024=3\n"
                            "DialogXPos1025=4\nDialogXPos99999=5\n[Language]\nLanguage=2\n");
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(5));
    const auto& positions = options->GetDialogPositions();
    ASSERT_EQ(positions.size(), 2u);
    EXPECT_EQ(positions[0].m_iId, 7);
    EXPECT_EQ(positions[1].m_iId, GameOptions::kMaxDialogId);
    EXPECT_EQ(positions[1].m_iX, 3);
    // The rest of the file is still read.
    EXPECT_EQ(options->m_iLanguage, 2);
}

TEST_F(GameOptionsTest, SetDialogPositionUpdatesOrAppends)
{
    GameOptions options(Path());
    int32_t x = 0;
    int32_t y = 0;
    EXPECT_FALSE(options.GetDialogPosition(4, &x, &y));
    options.SetDialogPosition(10, 20, 4);
    options.SetDialogPosition(30, 40, 1);
    options.SetDialogPosition(11, 21, 4);
    ASSERT_EQ(options.GetDialogPositions().size(), 2u);
    ASSERT_TRUE(options.GetDialogPosition(4, &x, &y));
    EXPECT_EQ(x, 11);
    EXPECT_EQ(y, 21);
    ASSERT_TRUE(options.GetDialogPosition(1, &x, &y));
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
    EXPECT_FALSE(options.GetDialogPosition(0, &x, &y));
}

// --- Resets and the play list --------------------------------------------------------------------------------

TEST_F(GameOptionsTest, ResetsRestoreOnlyTheirOwnFields)
{
    GameOptions options(Path());
    options.m_fMusicVol = 0.1f;
    options.m_fEffectsVol = 0.2f;
    options.m_bNudgeScroll = false;
    options.m_fDrawDist = 0.9f;
    options.m_iFilterType = 1;
    options.m_iMaterialQuality = 1;
    options.m_fObjectDetail = 0.1f;
    options.m_fShadowDrawDist = 0.2f;
    options.m_iResWidth = 1024;
    options.m_iDisplayBPP = 16;
    options.m_iTextureQuality = 0;

    options.ResetVideo();
    EXPECT_TRUE(options.m_bNudgeScroll);
    EXPECT_FLOAT_EQ(options.m_fDrawDist, 0.5f);
    EXPECT_EQ(options.m_iFilterType, 0);
    EXPECT_EQ(options.m_iMaterialQuality, 2);
    EXPECT_FLOAT_EQ(options.m_fObjectDetail, 0.5f);
    EXPECT_FLOAT_EQ(options.m_fShadowDrawDist, 0.5f);
    EXPECT_EQ(options.m_iResWidth, 1024);
    EXPECT_EQ(options.m_iDisplayBPP, 16);
    EXPECT_EQ(options.m_iTextureQuality, 0);
    EXPECT_FLOAT_EQ(options.m_fMusicVol, 0.1f);

    options.ResetAudio();
    EXPECT_FLOAT_EQ(options.m_fMusicVol, 0.5f);
    EXPECT_FLOAT_EQ(options.m_fEffectsVol, 0.75f);
    EXPECT_EQ(options.m_iResWidth, 1024);
}

TEST_F(GameOptionsTest, SetDefaultsRestoresEverything)
{
    GameOptions options(Path());
    options.m_iLanguage = 3;
    options.m_iRoofMode = 1;
    options.m_bSystemCursor = false;
    options.m_bResearchPopups = false;
    options.m_iPlayMode = 0;
    options.m_iPlayListInUse = 0;
    options.m_iTextureDepth = 1;
    options.m_iResHeight = 1024;
    options.SetDialogPosition(1, 2, 3);
    options.ClearPlayList();
    options.AddPlayListEntry("music/", "mine.mp3", 1, 10);
    options.SetDefaults();
    ExpectDefaults(options);
}

TEST_F(GameOptionsTest, PlayListOperations)
{
    GameOptions options(Path());
    options.ClearPlayList();
    EXPECT_EQ(options.GetPlayListCount(), 0);

    char directory[] = "music/";
    char file[] = "song.mp3";
    options.AddPlayListEntry(directory, file, 1, 245);
    options.AddPlayListEntry(nullptr, nullptr, 0, -1);
    std::strcpy(directory, "xxxxx/"); // the entry holds its own copies
    std::strcpy(file, "yyyy.mp3");
    ASSERT_EQ(options.GetPlayListCount(), 2);
    EXPECT_STREQ(options.GetPlayListDirectory(0), "music/");
    EXPECT_STREQ(options.GetPlayListFile(0), "song.mp3");
    EXPECT_EQ(options.GetPlayListAttribute(0), 1);
    EXPECT_EQ(options.GetPlayListTime(0), 245);
    EXPECT_STREQ(options.GetPlayListDirectory(1), "");
    EXPECT_STREQ(options.GetPlayListFile(1), "");
    EXPECT_EQ(options.GetPlayListTime(1), -1);

    for (int32_t i : {-1, 2, 1000})
    {
        EXPECT_STREQ(options.GetPlayListDirectory(i), "");
        EXPECT_STREQ(options.GetPlayListFile(i), "");
        EXPECT_EQ(options.GetPlayListAttribute(i), 0);
        EXPECT_EQ(options.GetPlayListTime(i), 0);
    }

    options.SetDefaultPlayList();
    ExpectDefaultPlayList(options);
}

TEST_F(GameOptionsTest, PlayListAndPlayModeAreNotStored)
{
    {
        GameOptions options(Path());
        options.ClearPlayList();
        options.AddPlayListEntry("music/", "song.mp3", 1, 245);
        options.m_iPlayMode = 0;
        options.m_iPlayListInUse = 0;
    }
    std::string text = testsupport::ReadText(Path());
    EXPECT_EQ(text.find("PlayList"), std::string::npos);
    EXPECT_EQ(text.find("song"), std::string::npos);

    // Keys of the play list left in the file are not read either.
    auto options = LoadBody("[Sound]\nPlayListMode=0\nPlayListCount=1\nPlayListTrack0=mine.mp3\n"
                            "PlayListDirectory0=music/\nPlayListAttribute0=1\nPlayListTime0=5\n");
    EXPECT_EQ(options->m_iPlayMode, 1);
    EXPECT_EQ(options->m_iPlayListInUse, 1);
    ExpectDefaultPlayList(*options);
}

// --- Saving ----------------------------------------------------------------------------------------------------

TEST_F(GameOptionsTest, DefaultsSaveTheSectionTableInOrder)
{
    GameOptions options(Path());
    ASSERT_TRUE(options.Save());
    EXPECT_EQ(testsupport::ReadText(Path()), DefaultText());
}

TEST_F(GameOptionsTest, DialogKeysFollowTheCountInListOrder)
{
    GameOptions options(Path());
    options.SetDialogPosition(100, -20, 12);
    options.SetDialogPosition(7, 8, 0);
    ASSERT_TRUE(options.Save());
    std::string text = testsupport::ReadText(Path());
    std::string expected = Lines({"[Dialog]", "DialogCount=2", "DialogXPos12=100", "DialogYPos12=-20", "DialogXPos0=7",
                                  "DialogYPos0=8", "[Video]"});
    EXPECT_NE(text.find(expected), std::string::npos) << text;
}

TEST_F(GameOptionsTest, RoundTripOfNonDefaultValues)
{
    {
        GameOptions options(Path());
        options.m_fMusicVol = 0.25f;
        options.m_fEffectsVol = 1.0f;
        options.m_iResWidth = 1280;
        options.m_iResHeight = 1024;
        options.m_bNudgeScroll = false;
        options.m_fDrawDist = 0.125f;
        options.m_iFilterType = 1;
        options.m_iMaterialQuality = 1;
        options.m_fObjectDetail = 0.0f;
        options.m_fShadowDrawDist = 0.375f;
        options.m_iDisplayBPP = 16;
        options.m_iTextureQuality = 0;
        options.m_iTextureDepth = 1;
        options.m_bSystemCursor = false;
        options.m_iLanguage = 5;
        options.m_bResearchPopups = false;
        options.m_bConservationPopups = false;
        options.m_iRoofMode = 2;
        options.SetDialogPosition(640, 480, 9);
        options.SetDialogPosition(-5, 0, 2);
    }
    GameOptions options(Path());
    EXPECT_TRUE(options.Load()); // a second read over the first must not double the dialog positions
    EXPECT_EQ(options.m_fMusicVol, 0.25f);
    EXPECT_EQ(options.m_fEffectsVol, 1.0f);
    int32_t width = 0;
    int32_t height = 0;
    options.GetResolution(&width, &height);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 1024);
    EXPECT_FALSE(options.m_bNudgeScroll);
    EXPECT_EQ(options.m_fDrawDist, 0.125f);
    EXPECT_EQ(options.m_iFilterType, 1);
    EXPECT_EQ(options.m_iMaterialQuality, 1);
    EXPECT_EQ(options.m_fObjectDetail, 0.0f);
    EXPECT_EQ(options.m_fShadowDrawDist, 0.375f);
    EXPECT_EQ(options.m_iDisplayBPP, 16);
    EXPECT_EQ(options.m_iTextureQuality, 0);
    EXPECT_EQ(options.m_iTextureDepth, 1);
    EXPECT_FALSE(options.m_bSystemCursor);
    EXPECT_EQ(options.m_iLanguage, 5);
    EXPECT_FALSE(options.m_bResearchPopups);
    EXPECT_FALSE(options.m_bConservationPopups);
    EXPECT_EQ(options.m_iRoofMode, 2);
    // Read back in id order, since the scan walks the ids upwards.
    const auto& positions = options.GetDialogPositions();
    ASSERT_EQ(positions.size(), 2u);
    EXPECT_EQ(positions[0].m_iId, 2);
    EXPECT_EQ(positions[0].m_iX, -5);
    EXPECT_EQ(positions[0].m_iY, 0);
    EXPECT_EQ(positions[1].m_iId, 9);
    EXPECT_EQ(positions[1].m_iX, 640);
    EXPECT_EQ(positions[1].m_iY, 480);
}

TEST_F(GameOptionsTest, SavingTwiceGivesTheSameFile)
{
    GameOptions options(Path());
    options.m_iLanguage = 2;
    options.m_fDrawDist = 0.3f;
    options.SetDialogPosition(1, 2, 3);
    ASSERT_TRUE(options.Save());
    std::vector<uint8_t> first = testsupport::ReadBytes(Path());
    ASSERT_TRUE(options.Save());
    EXPECT_EQ(testsupport::ReadBytes(Path()), first);
    {
        GameOptions reread(Path()); // reading and writing again changes nothing either
    }
    EXPECT_EQ(testsupport::ReadBytes(Path()), first);
}

TEST_F(GameOptionsTest, KeysLeftByHandAreLostAtTheNextSave)
{
    auto options = LoadBody("[Custom]\nFoo=bar\n[Video]\nExtra=1\nResWidth=1024\n[Sound]\n3DProvider=2\n");
    EXPECT_EQ(options->m_iResWidth, 1024);
    ASSERT_TRUE(options->Save());
    platform::ProfileDocument doc;
    ASSERT_TRUE(doc.Load(Path()));
    EXPECT_FALSE(doc.HasKey("Custom", "Foo"));
    EXPECT_FALSE(doc.HasKey("Video", "Extra"));
    EXPECT_FALSE(doc.HasKey("Sound", "3DProvider"));
    EXPECT_EQ(doc.GetString("Video", "ResWidth", ""), "1024");
    std::vector<std::string> expected = {"Tidewell 2 Options", "Language",         "Sound", "Dialog", "Video",
                                         "PopupSettings",      "BuildingSettings", "Mouse"};
    EXPECT_EQ(doc.Sections(), expected);
}

TEST_F(GameOptionsTest, SaveReplacesTheFileAtomically)
{
    const std::string oldText = "[Tidewell 2 Options]\nVersion=1\n[Language]\nLanguage=1\n";
    testsupport::WriteText(Path(), oldText);
    GameOptions options(Path());
    options.m_iLanguage = 4;

    std::ifstream before(Path(), std::ios::binary); // opened on the old file, read after the save
    ASSERT_TRUE(before.is_open());
    ASSERT_TRUE(options.Save());
    std::string seen((std::istreambuf_iterator<char>(before)), std::istreambuf_iterator<char>());
    EXPECT_EQ(seen, oldText); // the old file was replaced whole, not emptied and rewritten

    platform::ProfileDocument doc;
    ASSERT_TRUE(doc.Load(Path()));
    EXPECT_EQ(doc.GetString("Language", "Language", ""), "4");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"MRV2.ini"});
}

TEST_F(GameOptionsTest, SaveIntoAMissingFolderFailsQuietly)
{
    const std::string path = m_dir.File("missing/MRV2.ini");
    {
        GameOptions options(path);
        ExpectDefaults(options);
        EXPECT_FALSE(options.Save());
    }
    EXPECT_FALSE(platform::FileExists(path));
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
    platform::ProfileDocument doc;
    ASSERT_TRUE(doc.Load(Path()));
    EXPECT_EQ(doc.GetString("Language", "Language", ""), "1");
}

// --- Mended faults: sizes and fractions out of range, locale ---------------------------------------------------

TEST_F(GameOptionsTest, AbsurdResolutionFallsBackTo800By600)
{
    const char* cases[][2] = {{"0", "0"},      {"100000", "100000"}, {"1024", "0"},
                              {"0", "768"},    {"319", "600"},       {"800", "199"},
                              {"8193", "600"}, {"-800", "-600"},     {"99999999999", "600"}};
    for (const auto& size : cases)
    {
        SCOPED_TRACE(std::string(size[0]) + "x" + size[1]);
        auto options = LoadBody(std::string("[Video]\nResWidth=") + size[0] + "\nResHeight=" + size[1] + "\n");
        int32_t width = 0;
        int32_t height = 0;
        options->GetResolution(&width, &height);
        EXPECT_EQ(width, 800);
        EXPECT_EQ(height, 600);
        EXPECT_EQ(options->m_iResWidth, 800);
        EXPECT_EQ(options->m_iResHeight, 600);
    }
    // The bounds themselves are sizes a screen may have.
    for (const auto& size : {std::pair{320, 200}, std::pair{8192, 8192}})
    {
        auto options = LoadBody("[Video]\nResWidth=" + std::to_string(size.first) +
                                "\nResHeight=" + std::to_string(size.second) + "\n");
        int32_t width = 0;
        int32_t height = 0;
        options->GetResolution(&width, &height);
        EXPECT_EQ(width, size.first);
        EXPECT_EQ(height, size.second);
    }
}

TEST_F(GameOptionsTest, GetResolutionGuardsSizesSetInMemory)
{
    GameOptions options(Path());
    options.m_iResWidth = 0;
    options.m_iResHeight = 0;
    int32_t width = 0;
    int32_t height = 0;
    options.GetResolution(&width, &height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
}

TEST_F(GameOptionsTest, FractionsAreClampedAndNanGivesTheDefault)
{
    auto options = LoadBody("[Sound]\nMusicVol=7\nEffectsVol=-1\n[Video]\nDrawDist=nan\nObjectDetail=inf\n"
                            "ShadowDrawDist=1e300\n");
    EXPECT_EQ(options->m_fMusicVol, 1.0f);
    EXPECT_EQ(options->m_fEffectsVol, 0.0f);
    EXPECT_EQ(options->m_fDrawDist, 0.5f);
    EXPECT_EQ(options->m_fObjectDetail, 1.0f);
    EXPECT_EQ(options->m_fShadowDrawDist, 1.0f);

    options.reset();
    options = LoadBody("[Sound]\nMusicVol=nan\nEffectsVol=NAN\n[Video]\nDrawDist=-inf\nObjectDetail=-nan\n"
                       "ShadowDrawDist=-0.5\n");
    EXPECT_EQ(options->m_fMusicVol, 0.5f);
    EXPECT_EQ(options->m_fEffectsVol, 0.75f);
    EXPECT_EQ(options->m_fDrawDist, 0.0f);
    EXPECT_EQ(options->m_fObjectDetail, 0.5f);
    EXPECT_EQ(options->m_fShadowDrawDist, 0.0f);
}

TEST_F(GameOptionsTest, NumbersUseTheCLocaleWhateverTheProcessLocale)
{
    const char* previous = std::setlocale(LC_ALL, nullptr);
    std::string saved = previous ? previous : "C";
    const char* found = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR", "ru_RU.UTF-8",
                             "es_ES.UTF-8", "it_IT.UTF-8", "pl_PL.UTF-8"})
    {
        if (std::setlocale(LC_ALL, name))
        {
            found = name;
            break;
        }
    }
    if (!found)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    struct Restore
    {
        std::string name;
        ~Restore() { std::setlocale(LC_ALL, name.c_str()); }
    } restore{saved};

    auto options = LoadBody("[Sound]\nMusicVol=0.25\nEffectsVol=0,5\n");
    EXPECT_EQ(options->m_fMusicVol, 0.25f);
    EXPECT_EQ(options->m_fEffectsVol, 0.0f); // the comma ends the number, as it does in the C locale
    options->m_fEffectsVol = 0.5f;
    ASSERT_TRUE(options->Save());
    platform::ProfileDocument doc;
    ASSERT_TRUE(doc.Load(Path()));
    EXPECT_EQ(doc.GetString("Sound", "MusicVol", ""), "0.250000");
    EXPECT_EQ(doc.GetString("Sound", "EffectsVol", ""), "0.500000");
}

// --- Odd and hostile files ---------------------------------------------------------------------------------------

TEST_F(GameOptionsTest, GarbageLinesAreSkipped)
{
    std::string text = "\x01\x02\xff\xfe garbage\n====\n[unterminated\n=novalue\n[Tidewell 2 Options]\n"
                       "junk without equals\nVersion=1\n[]\n=\n[Language]\n\x7f\x80=\x81\nLanguage=2\n";
    text += std::string("\0\0zero\n", 7);
    text += "[Video]\nResWidth==1024\nResHeight=768\n";
    auto options = LoadText(text);
    EXPECT_TRUE(options->Load());
    EXPECT_EQ(options->m_iLanguage, 2);
    EXPECT_EQ(options->m_iResHeight, 600); // "=1024" is not a number, so the width is 0 and the size falls back
    EXPECT_EQ(options->m_iResWidth, 800);
}

TEST_F(GameOptionsTest, KeysOutsideAnySectionAreNotRead)
{
    auto options = LoadText("Version=1\nLanguage=3\nResWidth=1024\n");
    EXPECT_FALSE(options->Load());
    ExpectDefaults(*options);
}

TEST_F(GameOptionsTest, ByteOrderMarkIsSkipped)
{
    auto options = LoadText("\xEF\xBB\xBF[Tidewell 2 Options]\r\nVersion=1\r\n[Language]\r\nLanguage=5\r\n");
    EXPECT_TRUE(options->Load());
    EXPECT_EQ(options->m_iLanguage, 5);
}

TEST_F(GameOptionsTest, VeryLongValuesAndNamesAreSafe)
{
    std::string longDigits(5000, '0');
    std::string body = "[Sound]\nMusicVol=0.25" + longDigits + "\n";
    body += "[Video]\nResWidth=1" + longDigits + "\n";
    body += "[Language]\nLanguage=3" + std::string(100000, 'x') + "\n";
    body += "[" + std::string(100000, 'S') + "]\n" + std::string(100000, 'k') + "=" + std::string(100000, 'v') + "\n";
    body += "[Mouse]\nSystemCursor=0\n";
    auto options = LoadBody(body);
    EXPECT_EQ(options->m_fMusicVol, 0.25f);
    EXPECT_EQ(options->m_iResWidth, 800); // saturates far beyond any screen
    EXPECT_EQ(options->m_iLanguage, 3);
    EXPECT_FALSE(options->m_bSystemCursor);

    // A long version text is not "1".
    options.reset();
    options = LoadText("[Tidewell 2 Options]\nVersion=1" + std::string(200, 'x') + "\n[Language]\nLanguage=3\n");
    EXPECT_FALSE(options->Load());
    EXPECT_EQ(options->m_iLanguage, 0);
}

} // namespace
