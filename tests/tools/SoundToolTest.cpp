// Tests of soundtool: the tone list's rules and errors, the shapes measured in the samples, the WAV files and the
// bank read back by the game's decoder and sample bank, the command line, and the sample bank as shipped with the
// sample sound script's names all in it.
#include "tools/soundtool/SoundTool.h"
#include "engine/media/SampleBank.h"
#include "engine/media/ScriptedSound.h"
#include "platform/audio/WavReader.h"
#include "tests/platform/audio/AudioTestFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{

using soundtool::Shape;
using soundtool::Tone;

const std::string kSampleData = std::string(TW_SOURCE_DIR) + "/sample-data";

Tone Make(Shape shape, double hz, double seconds, double level, bool loop, int rate = 8000)
{
    Tone tone;
    tone.name = "t";
    tone.shape = shape;
    tone.frequency = hz;
    tone.seconds = seconds;
    tone.level = level;
    tone.loop = loop;
    tone.rate = rate;
    return tone;
}

TEST(SoundTool, SourceLinesBecomeTonesOrNameTheLineAtFault)
{
    const std::string good = "# tones\n\nrate 11025\nhum sine 440 0.2 0.5 loop\r\n"
                             "  Pop   noise 0 0.1 1 shot\nrate 8000\nbuzz square 100 1 0 loop\n";
    std::vector<Tone> tones;
    std::string error;
    ASSERT_TRUE(soundtool::ParseSource(good, &tones, &error)) << error;
    ASSERT_EQ(tones.size(), 3u);
    EXPECT_EQ(std::tuple(tones[0].name, tones[0].shape, tones[0].frequency, tones[0].seconds, tones[0].level,
                         tones[0].loop, tones[0].rate),
              std::tuple(std::string("hum"), Shape::Sine, 440.0, 0.2, 0.5, true, 11025));
    EXPECT_EQ(std::tuple(tones[1].name, tones[1].shape, tones[1].loop, tones[1].rate),
              std::tuple(std::string("Pop"), Shape::Noise, false, 11025));
    EXPECT_EQ(std::tuple(tones[2].shape, tones[2].rate, tones[2].level), std::tuple(Shape::Square, 8000, 0.0));

    const std::pair<std::string, std::string> bad[] = {
        {"a sine 100 1 0.5 loop\nb saw 100 1 0.5 loop\n",
         "line 2: unknown shape saw (sine, square, triangle or noise)"},
        {"a sine 100 1 0.5\n", "line 1: a tone is: name shape frequency seconds level loop|shot"},
        {"a sine 100 1 0.5 loop extra\n", "line 1: a tone is: name shape frequency seconds level loop|shot"},
        {"a sine 100 1 0.5 once\n", "line 1: a tone is a loop or a shot, not once"},
        {"a sine 100 1 1.5 shot\n", "line 1: a: the level must be 0 to 1"},
        {"a sine 100 0 0.5 shot\n", "line 1: a: the length must be above 0 and at most 10 seconds"},
        {"a sine 100 11 0.5 shot\n", "line 1: a: the length must be above 0 and at most 10 seconds"},
        {"a sine 11025 1 0.5 shot\n", "line 1: a: the frequency must be above 0 and below half the rate"},
        {"a triangle 0 1 0.5 shot\n", "line 1: a: the frequency must be above 0 and below half the rate"},
        {"a sine 101.5 0.5 0.5 loop\n", "line 1: a: a loop must hold a whole number of periods and of samples"},
        {"rate 11025\na sine 100 0.5 0.5 loop\n",
         "line 2: a: a loop must hold a whole number of periods and of samples"},
        {"a-b sine 100 1 0.5 shot\n", "line 1: a-b: a name is 1 to 27 letters, digits or underscores"},
        {std::string(28, 'n') + " sine 100 1 0.5 shot\n",
         "line 1: " + std::string(28, 'n') + ": a name is 1 to 27 letters, digits or underscores"},
        {"a sine 100 1 0.5 shot\nA noise 0 1 0.5 shot\n", "line 2: A is given twice"},
        {"rate 100\n", "line 1: \"rate\" takes one rate of 8000 to 48000 Hz"},
        {"rate 8000 9\n", "line 1: \"rate\" takes one rate of 8000 to 48000 Hz"},
    };
    for (const auto& [source, message] : bad)
    {
        tones.assign(1, Tone{});
        EXPECT_FALSE(soundtool::ParseSource(source, &tones, &error)) << source;
        EXPECT_EQ(error, message) << source;
        EXPECT_TRUE(tones.empty()) << source;
    }
}

TEST(SoundTool, ShapesHaveTheirPeriodsLevelsAndEnvelopes)
{
    // 100 Hz at 8000 Hz: 80 samples a period, 50 periods in half a second; level 0.5 peaks at 16384 (0.5 x 32767).
    const std::vector<int16_t> sine = soundtool::Render(Make(Shape::Sine, 100, 0.5, 0.5, true));
    ASSERT_EQ(sine.size(), 4000u);
    std::vector<int16_t> stereo;
    for (int16_t s : sine)
        stereo.insert(stereo.end(), {s, s});
    EXPECT_EQ(audiotest::CountRisingCrossings(stereo, 0, sine.size(), 0), 49); // each period's start but the first
    EXPECT_EQ(sine[20], 16384);                                                // a quarter period in
    EXPECT_EQ(sine[60], -16384);
    EXPECT_EQ(sine[0], 0);

    const std::vector<int16_t> square = soundtool::Render(Make(Shape::Square, 100, 0.5, 0.5, true));
    EXPECT_TRUE(std::all_of(square.begin(), square.end(), [](int16_t s) { return s == 16384 || s == -16384; }));
    EXPECT_EQ((std::vector<int16_t>{square[0], square[39], square[40], square[79], square[80]}),
              (std::vector<int16_t>{16384, 16384, -16384, -16384, 16384}));

    const std::vector<int16_t> triangle = soundtool::Render(Make(Shape::Triangle, 100, 0.5, 1.0, true));
    EXPECT_EQ((std::vector<int16_t>{triangle[0], triangle[10], triangle[20], triangle[40], triangle[60], triangle[70]}),
              (std::vector<int16_t>{0, 16384, 32767, 0, -32767, -16384}));

    // Noise stays within its level, is the same every time, and is no constant.
    const std::vector<int16_t> noise = soundtool::Render(Make(Shape::Noise, 0, 0.25, 0.25, true));
    EXPECT_TRUE(std::all_of(noise.begin(), noise.end(), [](int16_t s) { return std::abs(s) <= 8192; }));
    EXPECT_EQ(noise, soundtool::Render(Make(Shape::Noise, 0, 0.25, 0.25, true)));
    EXPECT_GT(std::set<int16_t>(noise.begin(), noise.end()).size(), 1000u);

    // A shot rises over the first hundredth of a second (80 samples) and falls over the last.
    const std::vector<int16_t> shot = soundtool::Render(Make(Shape::Square, 100, 0.5, 0.5, false));
    EXPECT_EQ((std::vector<int16_t>{shot[0], shot[40], shot[80], shot[3999]}),
              (std::vector<int16_t>{0, -8192, 16384, 0}));
    EXPECT_EQ(shot[3959], 8192); // 40 samples from the end, in a high half period: half level
}

TEST(SoundTool, TheBankHoldsEachToneAsAWavFileTheGameReads)
{
    std::vector<Tone> tones;
    std::string error;
    ASSERT_TRUE(soundtool::ParseSource("rate 11025\nlow sine 110 0.4 0.3 loop\nHigh_2 square 2205 0.1 0.6 shot\n",
                                       &tones, &error))
        << error;
    const soundtool::Bank bank = soundtool::MakeBank(tones);
    ASSERT_EQ(bank.index.size(), 80u);
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir.File("b.hdr"), bank.index);
    testsupport::WriteBytes(dir.File("b.spf"), bank.data);
    SampleBank read(dir.File("b.hdr").c_str(), dir.File("b.spf").c_str());
    EXPECT_EQ(read.GetSampleCount(), 2u);
    uint32_t lastEnd = 0;
    for (const Tone& tone : tones)
    {
        const std::string name = tone.name + ".wav";
        const SampleEntry* entry = read.FindEntry(name.c_str());
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_EQ(entry->m_uOffset, lastEnd); // laid one after another
        lastEnd += entry->m_uSize;
        uint32_t size = 0;
        const uint8_t* bytes = read.GetSample(name.c_str(), &size);
        platform::PcmSound pcm;
        ASSERT_TRUE(platform::DecodeWav(bytes, size, &pcm)) << name;
        EXPECT_EQ(std::tuple(pcm.rate, pcm.channels, pcm.Frames()),
                  std::tuple(11025, 1, static_cast<size_t>(std::lround(tone.seconds * 11025))));
        EXPECT_EQ(pcm.samples, soundtool::Render(tone));
        // 44 bytes of header, two a sample.
        EXPECT_EQ(size, 44u + 2u * pcm.Frames());
    }
    EXPECT_EQ(lastEnd, bank.data.size());
}

TEST(SoundTool, TheCommandLineWritesTheBankOrSaysWhatIsWrong)
{
    testsupport::TempDir dir;
    testsupport::WriteText(dir.File("tones.txt"), "a sine 100 1 0.5 shot\n");
    testsupport::WriteText(dir.File("bad.txt"), "a sine\n");
    const std::string hdr = dir.File("out.hdr"), spf = dir.File("out.spf");
    const auto run = [](std::vector<std::string> args)
    {
        std::vector<const char*> argv = {"soundtool"};
        for (const std::string& a : args)
            argv.push_back(a.c_str());
        return soundtool::Run(static_cast<int>(argv.size()), argv.data());
    };
    EXPECT_EQ(run({"write", dir.File("tones.txt")}), 2);
    EXPECT_EQ(run({"read", dir.File("tones.txt"), hdr, spf}), 2);
    EXPECT_EQ(run({"write", dir.File("missing.txt"), hdr, spf}), 1);
    EXPECT_EQ(run({"write", dir.File("bad.txt"), hdr, spf}), 1);
    EXPECT_FALSE(std::filesystem::exists(hdr));
    EXPECT_EQ(run({"write", dir.File("tones.txt"), hdr, spf}), 0);
    std::vector<Tone> tones;
    std::string error;
    ASSERT_TRUE(soundtool::ParseSource("a sine 100 1 0.5 shot\n", &tones, &error));
    const soundtool::Bank bank = soundtool::MakeBank(tones);
    EXPECT_EQ(testsupport::ReadBytes(hdr), bank.index);
    EXPECT_EQ(testsupport::ReadBytes(spf), bank.data);
}

// The command line run in the folder `dir` on its tones.txt; true when it reports a failure.
bool SoundToolFails(const std::string& dir)
{
    const std::string source = dir + "/tones.txt", hdr = dir + "/out.hdr", spf = dir + "/out.spf";
    const char* const argv[] = {"soundtool", "write", source.c_str(), hdr.c_str(), spf.c_str()};
    return soundtool::Run(5, argv) != 0;
}

// The index points into the data: a write cut short (a full disk, here a file size limit) fails the run and leaves
// the old pair whole, whether the index (40 bytes) or the data (44,144 bytes) is cut.
TEST(SoundTool, AWriteCutShortLeavesTheOldIndexAndDataTogether)
{
    for (const uint64_t limit : {20u, 1000u})
    {
        SCOPED_TRACE(limit);
        testsupport::TempDir dir;
        testsupport::WriteText(dir.File("tones.txt"), "a sine 100 1 0.5 shot\n");
        testsupport::WriteText(dir.File("out.hdr"), "old index");
        testsupport::WriteText(dir.File("out.spf"), "old data");
        EXPECT_TRUE(testsupport::RunWithFileSizeLimit(limit, SoundToolFails, dir.Path()));
        EXPECT_EQ(testsupport::ReadText(dir.File("out.hdr")), "old index");
        EXPECT_EQ(testsupport::ReadText(dir.File("out.spf")), "old data");
        EXPECT_FALSE(std::filesystem::exists(dir.File("out.hdr.tmp")));
        EXPECT_FALSE(std::filesystem::exists(dir.File("out.spf.tmp")));
    }
}

TEST(SoundTool, TheSampleBankIsMadeFromItsSourceAndHoldsEverySoundTheSampleScriptNames)
{
    std::vector<Tone> tones;
    std::string error;
    ASSERT_TRUE(soundtool::ParseSource(testsupport::ReadText(kSampleData + "/src/sounds/blsnd.txt"), &tones, &error))
        << error;
    const soundtool::Bank bank = soundtool::MakeBank(tones);
    EXPECT_EQ(testsupport::ReadBytes(kSampleData + "/data/sounds/blsnd.hdr"), bank.index)
        << "run tools/make-sample-data.sh";
    EXPECT_EQ(testsupport::ReadBytes(kSampleData + "/data/sounds/blsnd.spf"), bank.data)
        << "run tools/make-sample-data.sh";

    SampleBank shipped((kSampleData + "/data/sounds/blsnd.hdr").c_str(),
                       (kSampleData + "/data/sounds/blsnd.spf").c_str());
    const auto has = [&](const std::string& name) { return shipped.HasSample((name + ".wav").c_str()); };
    EXPECT_TRUE(has("crowdbigloop")); // the crowd ambience the park screen runs
    testsupport::RecordingReportSink reports;
    ScriptedSound script;
    const std::string text = testsupport::ReadText(kSampleData + "/src/data/sounds/Sounds.dat");
    script.Parse(text.data(), text.size());
    EXPECT_TRUE(reports.boxes.empty());
    std::set<std::string> buildings;
    for (const BuildingSound& entry : script.GetBuildingSounds())
    {
        EXPECT_TRUE(has(entry.file)) << entry.file;
        buildings.insert(entry.building);
    }
    EXPECT_TRUE(buildings.count("FUNHOUSE") && buildings.count("DINER")); // the sample parks' buildings
    EXPECT_EQ(script.GetOpinionEntries(), ScriptedSound::kOpinionCount);
    for (int32_t i = 0; i < ScriptedSound::kOpinionCount; ++i)
    {
        const OpinionSound& opinion = script.GetOpinionSound(i);
        EXPECT_GT(opinion.count, 0) << ScriptedSound::kOpinionNames[i];
        EXPECT_GT(script.GetGroupLimit(opinion.group), 0) << ScriptedSound::kOpinionNames[i];
        for (const std::string& file : opinion.files)
            EXPECT_TRUE(has(file)) << file;
    }
}

// The samples the program plays by their own names (the GUI's button click, pointer-over and refusal sounds, the
// message band's new message, the tools' purchase sound in either spelling and the training screen's sea) and the
// call each animal of the sample table plays, in the sample bank the game opens; names are matched without regard
// to case.
TEST(SoundTool, TheSampleBankHoldsEverySoundTheProgramAndTheAnimalTablePlay)
{
    SampleBank shipped((kSampleData + "/data/sounds/blsnd.hdr").c_str(),
                       (kSampleData + "/data/sounds/blsnd.spf").c_str());
    std::vector<std::string> names = {"ButtonClick", "Button_Over", "click_bad_01", "NewMessage",
                                      "Cash",        "cash",        "water"};
    // "<ANIMAL>_SOUND_NAME" "<sample>" in the animal table's source; "NONE" plays nothing.
    std::istringstream animals(testsupport::ReadText(kSampleData + "/src/data/script/mrvanimals.pis"));
    std::string line;
    int calls = 0;
    while (std::getline(animals, line))
    {
        std::istringstream words(line);
        std::string key, value;
        if (!(words >> key >> value) || key.size() < 13 || key.compare(key.size() - 12, 12, "_SOUND_NAME\"") != 0)
            continue;
        ++calls;
        value = value.substr(1, value.size() - 2);
        if (value != "NONE")
            names.push_back(value);
    }
    EXPECT_GE(calls, 1) << "the animal table names no sound";
    for (const std::string& name : names)
    {
        uint32_t size = 0;
        EXPECT_NE(shipped.GetSample((name + ".wav").c_str(), &size), nullptr) << name;
        EXPECT_GT(size, 44u) << name;
        if (size > 0)
        {
            shipped.ReleaseSample((name + ".wav").c_str());
        }
    }
}

} // namespace
