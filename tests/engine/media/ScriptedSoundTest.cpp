// Tests for the sound script: its tokens, its five blocks and their tables, the room of each table, hostile scripts
// cut at every byte or with counts past the data, the problems it reports, and the building and opinion hooks.
#include "engine/media/ScriptedSound.h"
#include "engine/core/FileSystem.h"
#include "engine/media/SoundEventManager.h"
#include "engine/media/SoundManager.h"
#include "platform/Random.h"
#include "tests/engine/media/SoundTestPark.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <tuple>
#include <vector>

using soundtest::Constant;

namespace
{

using Reports = std::vector<std::string>;

// A script with every block, each value a single character so that a cut never shortens a number.
const std::string kFullScript = "SpriteSounds Dolphin\n"
                                " jump Group 2 2 a 1 b 0\n"
                                " Swim 1 c 1\n"
                                "End\n"
                                "BuildingSounds\n"
                                " FUNHOUSE loop1 1 0\n"
                                " Diner a 0 1\n"
                                " FUNHOUSE b 1 1\n"
                                "End\n"
                                "CrowdSound MaxNumber 8 MaxVolume 1 FadeTime 2 End\n"
                                "OpinionSounds\n"
                                " Female_BadSale Group 3 3 a 0 b 1 c 0\n"
                                " Male_GoodSale 1 a 1\n"
                                "End\n"
                                "Groups 3 2 7 4 End\n";

class ScriptedSoundTest : public ::testing::Test
{
protected:
    ScriptedSoundTest()
        : m_bank({{"a.wav", Constant(1000, 100)},
                  {"b.wav", Constant(2000, 100)},
                  {"c.wav", Constant(3000, 100)},
                  {"loop1.wav", Constant(4000, 100)}}),
          m_sound(true, "blsnd"), m_events(true)
    {
        m_park.banks["Dolphin"] = {"Idle", "Jump", "Swim"};
    }

    // The script parsed by a fresh table, and the message boxes it showed.
    std::unique_ptr<ScriptedSound> Parse(const std::string& text)
    {
        m_reports.boxes.clear();
        m_reports.debug.clear();
        auto script = std::make_unique<ScriptedSound>();
        script->Parse(text.data(), text.size());
        return script;
    }

    Reports Boxes() const
    {
        Reports texts;
        for (const auto& box : m_reports.boxes)
            texts.push_back(box.text);
        return texts;
    }

    soundtest::BankFolder m_bank;
    testsupport::RecordingReportSink m_reports;
    SoundManager m_sound;
    SoundEventManager m_events;
    soundtest::TestPark m_park;
};

// Whether the tables keep to their room and agree with themselves.
void ExpectWithinRoom(const ScriptedSound& script, const std::string& where)
{
    EXPECT_LE(script.GetSpriteSounds().size(), ScriptedSound::kMaxSprites) << where;
    EXPECT_LE(script.GetBuildingSounds().size(), ScriptedSound::kMaxBuildingSounds) << where;
    const auto agrees = [&](int32_t count, size_t files, size_t volumes, int32_t group)
    {
        EXPECT_EQ(static_cast<size_t>(count), files) << where;
        EXPECT_EQ(files, volumes) << where;
        EXPECT_TRUE(group >= -1 && group < ScriptedSound::kGroupCount) << where;
    };
    for (const SpriteSounds& sprite : script.GetSpriteSounds())
        for (const SpriteAnimSounds& anim : sprite.anims)
            agrees(anim.count, anim.files.size(), anim.volumes.size(), anim.group);
    for (int32_t i = 0; i < ScriptedSound::kOpinionCount; ++i)
    {
        const OpinionSound& o = script.GetOpinionSound(i);
        agrees(o.count, o.files.size(), o.volumes.size(), o.group);
    }
}

bool SameOpinion(const OpinionSound& a, const OpinionSound& b)
{
    return a.count == b.count && a.group == b.group && a.files == b.files && a.volumes == b.volumes;
}

bool SameBuilding(const BuildingSound& a, const BuildingSound& b)
{
    return std::tie(a.building, a.file, a.volume, a.playsOverMusic) ==
           std::tie(b.building, b.file, b.volume, b.playsOverMusic);
}

} // namespace

TEST_F(ScriptedSoundTest, TheFiveBlocksFillTheirTables)
{
    m_park.gameTime = 12.5f;
    auto script = Parse(kFullScript);
    EXPECT_EQ(Boxes(), Reports{});
    EXPECT_EQ(g_pScriptedSound, script.get());

    // The sprite's rows follow its bank's animations; each entry lands on the animation its name selects.
    ASSERT_EQ(script->GetSpriteSounds().size(), 1u);
    const SpriteSounds& dolphin = script->GetSpriteSounds()[0];
    EXPECT_EQ(dolphin.sprite, "Dolphin");
    ASSERT_EQ(dolphin.anims.size(), 3u);
    EXPECT_EQ(dolphin.anims[0].count, 0);
    EXPECT_EQ(std::tie(dolphin.anims[1].files, dolphin.anims[1].volumes, dolphin.anims[1].group),
              std::tuple(std::vector<std::string>{"a", "b"}, std::vector<float>{1.0f, 0.0f}, 2));
    EXPECT_EQ(std::tie(dolphin.anims[2].files, dolphin.anims[2].group, dolphin.anims[2].cursor),
              std::tuple(std::vector<std::string>{"c"}, -1, 0));
    EXPECT_EQ(m_park.liveSprites, 0); // released at the block's End

    const std::vector<BuildingSound>& buildings = script->GetBuildingSounds();
    ASSERT_EQ(buildings.size(), 3u);
    EXPECT_TRUE(SameBuilding(buildings[0], {"FUNHOUSE", "loop1", 1.0f, 0}));
    EXPECT_TRUE(SameBuilding(buildings[1], {"Diner", "a", 0.0f, 1}));

    EXPECT_EQ(std::tuple(script->GetMaxNumber(), script->GetMaxVolume(), script->GetFadeTime()),
              std::tuple(8.0f, 1.0f, 2.0f));

    // Opinions are numbered in the order they come, whatever their names.
    EXPECT_EQ(script->GetOpinionEntries(), 2);
    EXPECT_TRUE(SameOpinion(script->GetOpinionSound(0), {3, 3, {0.0f, 1.0f, 0.0f}, {"a", "b", "c"}}));
    EXPECT_TRUE(SameOpinion(script->GetOpinionSound(1), {1, -1, {1.0f}, {"a"}}));
    EXPECT_EQ(script->GetOpinionSound(2).count, 0);
    EXPECT_EQ(script->GetOpinionSound(8).count, 0);
    EXPECT_EQ(script->GetOpinionSound(-1).count, 0);

    // Groups never set have the limit 0.
    EXPECT_EQ(std::tuple(script->GetGroupLimit(3), script->GetGroupLimit(7), script->GetGroupLimit(4)),
              std::tuple(2, 4, 0));
    EXPECT_EQ(std::tuple(script->GetGroupLimit(-1), script->GetGroupLimit(20)), std::tuple(0, 0));
    script.reset();
    EXPECT_EQ(g_pScriptedSound, nullptr);
}

TEST_F(ScriptedSoundTest, TokensEndAtWhiteSpaceOrSemicolonsAndCommentsRunToTheLineEnd)
{
    const std::string longToken(60, 'x'), cut(51, 'x');
    // Top-level tokens that are no block word are reported one by one, so the reports show the tokens.
    const std::pair<std::string, Reports> cases[] = {
        {"; foo;bar", {";", "foo", ";", "bar"}},
        {"a\tb\r\nc  \n", {"a", "b", "c"}},
        {"x/y / comment ; z\n/ another\nw", {"x/y", "w"}},
        {"Spritesounds groups END", {"Spritesounds", "groups", "END"}},
        {longToken + " q", {"*", cut, "q"}},
    };
    for (const auto& [text, tokens] : cases)
    {
        Parse(text);
        Reports expected;
        for (const std::string& token : tokens)
            expected.push_back(token == "*" ? "ScriptedSound - a token longer than 51 characters was cut to " + cut
                                            : "Invalid Command Recieved in ScriptedSound " + token);
        EXPECT_EQ(Boxes(), expected) << text;
    }
    // A comment between a name and its count, and between blocks.
    auto script = Parse("/ opinions\nOpinionSounds / of the men\n Male_GoodSale / which\n 1 a 1 End\n/ end\n");
    EXPECT_EQ(Boxes(), Reports{});
    EXPECT_EQ(script->GetOpinionSound(0).files, std::vector<std::string>{"a"});
}

TEST_F(ScriptedSoundTest, CrowdKeysIgnoreLetterCaseAndUnknownKeysAreReportedWithoutTheirValues)
{
    // script, MaxNumber, MaxVolume, FadeTime, reports.
    const std::tuple<std::string, float, float, float, Reports> cases[] = {
        {"CrowdSound maxvolume 0.5 End", 50.0f, 0.5f, 0.2f, {}},
        {"CrowdSound Loudness 0.5 End",
         50.0f,
         0.75f,
         0.2f,
         {"Unknown CrowdSound command Loudness", "Unknown CrowdSound command 0.5"}},
        {"CrowdSound MAXNUMBER 12 fadetime 3 end End", 12.0f, 0.75f, 3.0f, {"Unknown CrowdSound command end"}},
        // The level divides by MaxNumber: 0, a negative or no number is refused; volume and fade must not be negative.
        {"CrowdSound MaxNumber 0 MaxNumber -4 MaxNumber nan MaxVolume -1 FadeTime inf End",
         50.0f,
         0.75f,
         0.2f,
         {"ScriptedSound - CrowdSound MaxNumber 0 refused: kept at 50",
          "ScriptedSound - CrowdSound MaxNumber -4 refused: kept at 50",
          "ScriptedSound - CrowdSound MaxNumber nan refused: kept at 50",
          "ScriptedSound - CrowdSound MaxVolume -1 refused: kept at 0.75",
          "ScriptedSound - CrowdSound FadeTime inf refused: kept at 0.2"}},
        {"CrowdSound MaxVolume 0 FadeTime 0 End", 50.0f, 0.0f, 0.0f, {}},
    };
    for (const auto& [text, number, volume, fade, reports] : cases)
    {
        auto script = Parse(text);
        EXPECT_EQ(std::tuple(script->GetMaxNumber(), script->GetMaxVolume(), script->GetFadeTime()),
                  std::tuple(number, volume, fade))
            << text;
        EXPECT_EQ(Boxes(), reports) << text;
    }
}

TEST_F(ScriptedSoundTest, EveryTableKeepsToItsRoomAndBadNumbersAreReported)
{
    std::string sprites, buildings, opinions;
    for (int i = 0; i < 31; ++i)
        sprites += "SpriteSounds Dolphin Jump 1 a 1 End\n";
    buildings = "BuildingSounds\n";
    for (int i = 0; i < 56; ++i)
        buildings += " B" + std::to_string(i) + " a 1 0\n";
    buildings += "End";
    opinions = "OpinionSounds\n";
    for (int i = 0; i < 9; ++i)
        opinions += std::string(" ") + ScriptedSound::kOpinionNames[i % 8] + " 1 a 1\n";
    opinions += "End";
    auto script = Parse(sprites);
    EXPECT_EQ(script->GetSpriteSounds().size(), 30u);
    EXPECT_EQ(Boxes(), Reports{"ScriptedSound - more than 30 SpriteSounds blocks: Dolphin left out"});
    EXPECT_EQ(m_park.liveSprites, 0);
    script = Parse(buildings);
    EXPECT_EQ(script->GetBuildingSounds().size(), 55u);
    EXPECT_EQ(script->GetBuildingSounds().back().building, "B54");
    EXPECT_EQ(Boxes(), Reports{"ScriptedSound - more than 55 BuildingSounds entries: B55 left out"});
    script = Parse(opinions);
    EXPECT_EQ(script->GetOpinionEntries(), 9);
    EXPECT_EQ(script->GetOpinionSound(7).files, std::vector<std::string>{"a"});
    EXPECT_EQ(Boxes(), Reports{"ScriptedSound - more than 8 opinion sounds: Male_StinkyToilet left out"});

    const std::string tooLong(32, 'n');
    // script, reports; the table each leaves is checked below.
    const std::pair<std::string, Reports> cases[] = {
        {"Groups 19 5 20 6 -1 7 99999999999 8 0 9 End",
         {"ScriptedSound - sound group 20 is not 0 to 19: its limit is left out",
          "ScriptedSound - sound group -1 is not 0 to 19: its limit is left out",
          "ScriptedSound - sound group 99999999999 is not 0 to 19: its limit is left out"}},
        // A group that is no number reads as 0, as every number does.
        {"OpinionSounds Male_StinkyToilet Group 20 1 a 1 Male_BuildingQueueClosed Group x 1 a 1 End",
         {"ScriptedSound - sound group 20 is not 0 to 19: the entry has no group"}},
        {"OpinionSounds Male_StinkyToilet 0 Male_BuildingQueueClosed x Male_GoodSale -3 a 1 End",
         {"Error in sound.dat around 0", "Error in sound.dat around x", "Error in sound.dat around -3",
          "ProcessOpinionSound, unknown or missing opinion, a", "ProcessOpinionSound, unknown or missing opinion, 1"}},
        {"OpinionSounds Male_Stinky 1 a 1 End",
         {"ProcessOpinionSound, unknown or missing opinion, Male_Stinky",
          "ProcessOpinionSound, unknown or missing opinion, 1", "ProcessOpinionSound, unknown or missing opinion, a",
          "ProcessOpinionSound, unknown or missing opinion, 1"}},
        {"BuildingSounds X " + tooLong + " 1 0 Y zz 1 0 End OpinionSounds Male_BadSale 2 " + tooLong + " 1 zz 1 End",
         {"ScriptedSound - sound name longer than 31 characters left out: " + tooLong,
          "Building Sound File Doesnt Exist zz",
          "ScriptedSound - sound name longer than 31 characters left out: " + tooLong, "Sound File Doesnt Exist zz"}},
    };
    for (const auto& [text, reports] : cases)
    {
        script = Parse(text);
        EXPECT_EQ(Boxes(), reports) << text;
        ExpectWithinRoom(*script, text);
    }
    // The last script: the long names left out, the missing sample kept.
    EXPECT_EQ(script->GetBuildingSounds().size(), 1u);
    EXPECT_EQ(script->GetOpinionSound(0).files, std::vector<std::string>{"zz"});
    script = Parse(cases[0].first);
    EXPECT_EQ(std::tuple(script->GetGroupLimit(19), script->GetGroupLimit(0), script->GetGroupLimit(1)),
              std::tuple(5, 9, 0));
    script = Parse(cases[1].first);
    EXPECT_EQ(std::tuple(script->GetOpinionSound(0).group, script->GetOpinionSound(1).group), std::tuple(-1, 0));
    script = Parse(cases[3].first);
    EXPECT_EQ(script->GetOpinionEntries(), 4); // each unknown token took a number
}

TEST_F(ScriptedSoundTest, ScriptsCutAtEveryByteKeepWhatTheirWholeBlocksAndEntriesSay)
{
    auto full = Parse(kFullScript);
    size_t lastBuildings = 0;
    for (size_t cut = 0; cut <= kFullScript.size(); ++cut)
    {
        const std::string where = "cut at " + std::to_string(cut);
        // Held in a buffer of exactly the bytes left, with nothing after them to stop a reader that runs on.
        const std::unique_ptr<char[]> bytes(new char[cut]);
        std::copy_n(kFullScript.data(), cut, bytes.get());
        m_reports.boxes.clear();
        auto script = std::make_unique<ScriptedSound>();
        script->Parse(bytes.get(), cut);
        ExpectWithinRoom(*script, where);
        EXPECT_EQ(m_park.liveSprites, 0) << where;
        // A cut ends the parse inside its entry: every entry kept is a whole one of the full script.
        const auto& buildings = script->GetBuildingSounds();
        ASSERT_LE(buildings.size(), full->GetBuildingSounds().size()) << where;
        for (size_t i = 0; i < buildings.size(); ++i)
            EXPECT_TRUE(SameBuilding(buildings[i], full->GetBuildingSounds()[i])) << where;
        EXPECT_GE(buildings.size(), lastBuildings) << where;
        lastBuildings = buildings.size();
        for (int32_t i = 0; i < ScriptedSound::kOpinionCount; ++i)
        {
            const OpinionSound& o = script->GetOpinionSound(i);
            EXPECT_TRUE(SameOpinion(o, OpinionSound{}) || SameOpinion(o, full->GetOpinionSound(i))) << where;
        }
        for (int32_t g = 0; g < ScriptedSound::kGroupCount; ++g)
            EXPECT_TRUE(script->GetGroupLimit(g) == 0 || script->GetGroupLimit(g) == full->GetGroupLimit(g)) << where;
        for (float value : {script->GetMaxNumber(), script->GetMaxVolume(), script->GetFadeTime()})
            EXPECT_TRUE(value == 8.0f || value == 1.0f || value == 2.0f || value == 50.0f || value == 0.75f ||
                        value == 0.2f)
                << where;
        // Only a token the cut shortened may be reported; the end of the data itself is no problem, so a cut
        // between two tokens reports nothing.
        const bool betweenTokens =
            cut == kFullScript.size() || std::isspace(static_cast<unsigned char>(kFullScript[cut]));
        EXPECT_LE(m_reports.boxes.size(), betweenTokens ? 0u : 1u) << where;
    }
    // Counts past the data end the parse without keeping the entry or making room for it.
    const std::string pastTheData[] = {
        "OpinionSounds Male_GoodSale 2000000000 a 1 b 1 End",
        "SpriteSounds Dolphin Jump 99999999999 a 1 End",
        "OpinionSounds Male_GoodSale Group 1 2147483647 a 1",
    };
    for (const std::string& text : pastTheData)
    {
        auto script = Parse(text);
        EXPECT_EQ(script->GetOpinionSound(0).count, 0) << text;
        EXPECT_TRUE(script->GetSpriteSounds().empty() || script->GetSpriteSounds()[0].anims[1].count == 0) << text;
        EXPECT_EQ(m_park.liveSprites, 0);
    }
}

TEST_F(ScriptedSoundTest, SpriteEntriesGoToTheAnimationTheirNameSelects)
{
    m_park.gameTime = 3.0f;
    // script, the rows with files (animation index: first file), reports.
    const std::tuple<std::string, std::vector<std::pair<int, std::string>>, Reports> cases[] = {
        {"SpriteSounds dolphin IDLE 1 a 1 swim 1 b 1 End", {{0, "a"}, {2, "b"}}, {}},
        // An unknown animation is reported and the entry kept for the animation the sprite falls back to.
        {"SpriteSounds Dolphin Fly 1 c 1 End", {{0, "c"}}, {"Animation Fly not found on sprite Dolphin"}},
        // A count that is no number: no files for the entry.
        {"SpriteSounds Dolphin Jump none Swim 1 a 1 End", {{2, "a"}}, {"Error in sound.dat around none"}},
        // A sprite on no bank has no rows: its entries are read, reported and not kept.
        {"SpriteSounds Whale Idle 1 a 1 End", {}, {"Animation Idle not found on sprite Whale"}},
    };
    for (const auto& [text, rows, reports] : cases)
    {
        auto script = Parse(text);
        EXPECT_EQ(Boxes(), reports) << text;
        ASSERT_EQ(script->GetSpriteSounds().size(), 1u);
        std::vector<std::pair<int, std::string>> found;
        const auto& anims = script->GetSpriteSounds()[0].anims;
        for (size_t i = 0; i < anims.size(); ++i)
            if (anims[i].count > 0)
                found.emplace_back(static_cast<int>(i), anims[i].files[0]);
        EXPECT_EQ(found, rows) << text;
        EXPECT_EQ(m_park.liveSprites, 0);
    }
    // Without a park there are no sprites to ask: every entry is reported.
    g_pSoundPark = nullptr;
    auto script = Parse("SpriteSounds Dolphin Jump 1 a 1 End");
    g_pSoundPark = &m_park;
    EXPECT_EQ(Boxes(), Reports{"Animation Jump not found on sprite Dolphin"});
    EXPECT_TRUE(script->GetSpriteSounds()[0].anims.empty());
}

TEST_F(ScriptedSoundTest, AfterTenMessageBoxesTheProblemsGoToTheDebuggerOutput)
{
    std::string text;
    for (int i = 0; i < 25; ++i)
        text += "bad" + std::to_string(i) + " ";
    Parse(text);
    ASSERT_EQ(m_reports.boxes.size(), 10u);
    EXPECT_EQ(m_reports.boxes[9].text, "Invalid Command Recieved in ScriptedSound bad9");
    EXPECT_NE(m_reports.debug.find("Invalid Command Recieved in ScriptedSound bad10\n"), std::string::npos);
    EXPECT_NE(m_reports.debug.find("Invalid Command Recieved in ScriptedSound bad24\n"), std::string::npos);
    EXPECT_NE(m_reports.debug.find("25 problems in the sound script, the first 10 shown"), std::string::npos);
}

TEST_F(ScriptedSoundTest, LoadReadsTheScrambledFileAndAMissingOneLeavesTheTablesEmpty)
{
    std::string bytes = kFullScript;
    std::filesystem::create_directories(m_bank.Dir().File("Data/Sounds"));
    ASSERT_TRUE(GetFileSystem()->WriteBleFile(m_bank.Dir().File("Data/Sounds/Sounds.ble").c_str(), bytes.data(),
                                              static_cast<uint32_t>(bytes.size())));
    ScriptedSound script;
    script.Load("Data\\Sounds\\Sounds.dat");
    EXPECT_EQ(script.GetBuildingSounds().size(), 3u);
    EXPECT_EQ(script.GetGroupLimit(7), 4);
    ScriptedSound missing;
    missing.Load("Data\\Sounds\\Other.dat");
    missing.Load(nullptr);
    missing.Parse(nullptr, 10);
    EXPECT_TRUE(missing.GetBuildingSounds().empty());
    EXPECT_EQ(missing.GetOpinionEntries(), 0);
    EXPECT_EQ(Boxes(), Reports{});
}

TEST_F(ScriptedSoundTest, ABuildingStartsTheFirstEntryOfItsNameInAnyLetterCase)
{
    auto script = Parse(kFullScript);
    m_park.objects[1] = {"funhouse", {0, 0, 0}};
    m_park.objects[2] = {"DINER", {0, 0, 0}};
    m_park.objects[3] = {"SHED", {0, 0, 0}};
    for (uint32_t id : {1u, 2u, 3u, 99u})
        script->StartBuildingSound(id);
    const auto& sounds = m_events.GetObjectSounds();
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_EQ(std::tuple(sounds[0].objectId, std::string(sounds[0].name), sounds[0].volume, sounds[0].playsOverMusic),
              std::tuple(1u, std::string("loop1"), 1.0f, uint8_t{0}));
    EXPECT_EQ(std::tuple(sounds[1].objectId, std::string(sounds[1].name), sounds[1].volume, sounds[1].playsOverMusic),
              std::tuple(2u, std::string("a"), 0.0f, uint8_t{1}));
    script->StopObjectSounds(1);
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0].objectId, 2u);
}

TEST_F(ScriptedSoundTest, AnOpinionQueuesOneOfItsFilesAtRandomAtThatFilesVolume)
{
    auto script = Parse("OpinionSounds Male_StinkyToilet Group 3 3 a 0.2 b 0.4 c 0.6 Male_GoodSale 1 b 0.9 "
                        "Male_BadSale 0 End Groups 3 2 End");
    const std::set<std::pair<std::string, float>> files = {{"a", 0.2f}, {"b", 0.4f}, {"c", 0.6f}};
    std::set<std::pair<std::string, float>> heard;
    platform::SRand(7);
    for (int i = 0; i < 60; ++i)
    {
        script->PlayOpinionSound(0, {100.0f, 40.0f, 0.0f});
        const PositionalSound& queued = m_events.GetQueue().back();
        const std::pair<std::string, float> pick(queued.name, queued.volume);
        EXPECT_TRUE(files.count(pick)) << pick.first;
        heard.insert(pick);
        // At the scene point of the world point, with the group's limit.
        EXPECT_EQ(std::tuple(queued.position[0], queued.position[1], queued.position[2], queued.limit, queued.group),
                  std::tuple(50.0f, 0.0f, 20.0f, 2, 3));
    }
    EXPECT_EQ(heard, files);
    const size_t queued = m_events.GetQueue().size();
    script->PlayOpinionSound(1, {0, 0, 0}); // no group: no limit either
    EXPECT_EQ(std::tuple(m_events.GetQueue().back().limit, m_events.GetQueue().back().group), std::tuple(-1, -1));
    for (int32_t nothing : {2, 3, -1, 8, 1000})
        script->PlayOpinionSound(nothing, {0, 0, 0});
    EXPECT_EQ(m_events.GetQueue().size(), queued + 1);
}
