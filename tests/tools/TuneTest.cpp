// Tests of soundtool's tunes: note names against the equal-tempered pitches, the tune list's rules and errors, the
// plucked notes measured in the samples, the command line, and the shipped music tracks decoded back.
#include "tools/soundtool/Tune.h"
#include "platform/audio/Mp3Decoder.h"
#include "platform/audio/WavReader.h"
#include "tests/platform/audio/AudioTestFiles.h"
#include "tests/support/TestSupport.h"
#include "tools/soundtool/SoundTool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace
{

using soundtool::Tune;

const std::string kSampleData = std::string(TW_SOURCE_DIR) + "/sample-data";

// Mono samples as the interleaved stereo the crossing counter reads.
std::vector<int16_t> Stereo(const std::vector<int16_t>& mono)
{
    std::vector<int16_t> out;
    for (int16_t s : mono)
        out.insert(out.end(), {s, s});
    return out;
}

TEST(Tune, NoteNamesAreTheEqualTemperedPitchesAroundA440)
{
    // The concert-pitch table: A4 = 440 Hz, octaves double, a semitone is the twelfth root of two.
    const struct
    {
        const char* note;
        double hz;
    } cases[] = {
        {"A4", 440.0},     {"A5", 880.0},    {"A3", 220.0},     {"A0", 27.5},      {"C4", 261.6256},  {"C5", 523.2511},
        {"E5", 659.2551},  {"G4", 391.9954}, {"C8", 4186.0090}, {"C#4", 277.1826}, {"Db4", 277.1826}, {"D4", 293.6648},
        {"Bb3", 233.0819}, {"B3", 246.9417}, {"F#2", 92.4986},  {"Cb4", 246.9417},
    };
    for (const auto& c : cases)
    {
        double hz = 0.0;
        ASSERT_TRUE(soundtool::NoteFrequency(c.note, &hz)) << c.note;
        EXPECT_NEAR(hz, c.hz, 0.0005) << c.note;
    }
    for (const char* bad : {"H4", "A9", "A", "A#", "Ax4", "a4", "A44", "#4", ""})
    {
        double hz = -1.0;
        EXPECT_FALSE(soundtool::NoteFrequency(bad, &hz)) << bad;
    }
}

TEST(Tune, SourceLinesBecomeTunesOrNameTheLineAtFault)
{
    std::vector<Tune> tunes;
    std::string error;
    ASSERT_TRUE(soundtool::ParseTunes(
        "# music\n\none 8000 0.5 0.25 A4 - C5\r\nTwo 44100 0.1 1 A3\nabcdefghijklmnopqrstuvwxyz0 8000 0.5 1 A4\n",
        &tunes, &error))
        << error;
    ASSERT_EQ(tunes.size(), 3u); // the third has the longest name, 27 characters
    EXPECT_EQ(tunes[0].name, "one");
    EXPECT_EQ(tunes[0].rate, 8000);
    EXPECT_DOUBLE_EQ(tunes[0].beat, 0.5);
    EXPECT_DOUBLE_EQ(tunes[0].level, 0.25);
    ASSERT_EQ(tunes[0].notes.size(), 3u);
    EXPECT_DOUBLE_EQ(tunes[0].notes[0], 440.0);
    EXPECT_EQ(tunes[0].notes[1], 0.0);
    EXPECT_EQ(tunes[1].name, "Two");
    EXPECT_DOUBLE_EQ(tunes[1].notes[0], 220.0);

    const struct
    {
        const char* source;
        const char* message; // the start of the error
    } cases[] = {
        {"t 8000 0.5\n", "line 1: a tune is"},
        {"#\nt 8000 0.5 x A4\n", "line 2: a tune is"},
        {"t 7999 0.5 1 A4\n", "line 1: t: the rate"},
        {"t 48001 0.5 1 A4\n", "line 1: t: the rate"},
        {"t 8000 0.04 1 A4\n", "line 1: t: the beat"},
        {"t 8000 2.01 1 A4\n", "line 1: t: the beat"},
        {"t 8000 0.5 1.01 A4\n", "line 1: t: the level"},
        {"t 8000 0.5 -0.01 A4\n", "line 1: t: the level"},
        {"t 8000 0.5 1 A4 H2\n", "line 1: t: unknown note H2"},
        {"t 8000 0.5 1 A4 C8\n", "line 1: t: C8 is too high"}, // 4186 Hz is not below half of 8000
        {"t 8000 0.5 1\n", "line 1: t: a tune has at least one note"},
        {"t 8000 2 1 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4 A4\n",
         "line 1: t: a tune lasts at most a minute"},
        {"bad-name 8000 0.5 1 A4\n", "line 1: a name is"},
        {"abcdefghijklmnopqrstuvwxyz01 8000 0.5 1 A4\n", "line 1: a name is"}, // 28 characters
        {"t 8000 0.5 1 A4\nT 8000 0.5 1 A4\n", "line 2: T is given twice"},
    };
    for (const auto& c : cases)
    {
        tunes.assign(1, Tune{});
        error.clear();
        EXPECT_FALSE(soundtool::ParseTunes(c.source, &tunes, &error)) << c.source;
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << c.source << " -> " << error;
        EXPECT_TRUE(tunes.empty()) << c.source;
    }
    // Thirty beats of two seconds are exactly a minute: allowed.
    std::string minute = "t 8000 2 1";
    for (int i = 0; i < 30; ++i)
        minute += " A4";
    EXPECT_TRUE(soundtool::ParseTunes(minute, &tunes, &error)) << error;
}

TEST(Tune, EachNoteSoundsItsPitchForOneBeatAndFadesToSilence)
{
    Tune tune;
    tune.name = "t";
    tune.rate = 8000;
    tune.beat = 0.5;
    tune.level = 0.5;
    tune.notes = {400.0, 0.0, 250.0};
    const std::vector<int16_t> samples = soundtool::RenderTune(tune);
    // Three beats of 4000 samples.
    ASSERT_EQ(samples.size(), 12000u);
    const std::vector<int16_t> stereo = Stereo(samples);
    // A 400 Hz note starts a period every 20 samples, 250 Hz every 32: counted over the first 3800 samples of each
    // note (the last 200 are too quiet for whole-sample rounding), 189 and 118 periods start after the first.
    EXPECT_EQ(audiotest::CountRisingCrossings(stereo, 0, 3800, 0), 189);
    EXPECT_EQ(audiotest::CountRisingCrossings(stereo, 8000, 3800, 0), 118);
    // The rest is silent.
    EXPECT_TRUE(std::all_of(samples.begin() + 4000, samples.begin() + 8000, [](int16_t s) { return s == 0; }));
    // Never above the level; loud near the start, silent at the end of its beat (no click into the next).
    const auto peak = [&](size_t from, size_t to)
    {
        int m = 0;
        for (size_t i = from; i < to; ++i)
            m = std::max(m, std::abs(static_cast<int>(samples[i])));
        return m;
    };
    EXPECT_LE(peak(0, 12000), 16384);
    EXPECT_GT(peak(0, 400), 8000); // within the first 50 ms
    EXPECT_LT(peak(3960, 4000), 60);
    EXPECT_LT(peak(11960, 12000), 60);
    // It rises over its first 5 ms (40 samples) instead of starting at full strength.
    EXPECT_LT(peak(0, 10), 16384 / 4);

    // A beat that is no whole number of samples: note i starts at round(i x beat x rate).
    tune.rate = 11025;
    tune.beat = 0.05;
    tune.notes = {0.0, 0.0, 0.0};
    EXPECT_EQ(soundtool::RenderTune(tune).size(), 1654u); // 3 x 551.25, rounded
}

TEST(Tune, TheCommandLineWritesOneWavPerTune)
{
    testsupport::TempDir dir;
    testsupport::WriteText(dir.File("tunes.txt"), "a 8000 0.25 0.5 A4 E5\nb 16000 0.5 0.5 C4\n");
    const char* argv[] = {"soundtool", "tunes", nullptr, nullptr};
    const std::string source = dir.File("tunes.txt");
    argv[2] = source.c_str();
    argv[3] = dir.Path().c_str();
    ASSERT_EQ(soundtool::Run(4, argv), 0);
    const struct
    {
        const char* file;
        int rate;
        size_t frames;
    } wavs[] = {{"a.wav", 8000, 4000}, {"b.wav", 16000, 8000}};
    for (const auto& w : wavs)
    {
        const std::vector<uint8_t> bytes = testsupport::ReadBytes(dir.File(w.file));
        platform::PcmSound pcm;
        ASSERT_TRUE(platform::DecodeWav(bytes.data(), bytes.size(), &pcm)) << w.file;
        EXPECT_EQ(pcm.rate, w.rate) << w.file;
        EXPECT_EQ(pcm.channels, 1) << w.file;
        EXPECT_EQ(pcm.Frames(), w.frames) << w.file;
    }
    // A bad source writes nothing and fails.
    testsupport::WriteText(dir.File("bad.txt"), "c 8000 0.25 0.5 Q4\n");
    const std::string bad = dir.File("bad.txt");
    argv[2] = bad.c_str();
    EXPECT_EQ(soundtool::Run(4, argv), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("c.wav")));
    const std::string missing = dir.File("missing.txt");
    argv[2] = missing.c_str();
    EXPECT_EQ(soundtool::Run(4, argv), 1);
    // A folder that does not exist takes no file.
    argv[2] = source.c_str();
    const std::string nowhere = dir.File("no/such/folder");
    argv[3] = nowhere.c_str();
    EXPECT_EQ(soundtool::Run(4, argv), 1);
}

// The music tracks shipped in the sample data are the tunes of their source, encoded: decoded back, each lasts its
// beats and follows its rendering closely.
TEST(Tune, TheShippedTracksAreTheirTunesEncoded)
{
    std::vector<Tune> tunes;
    std::string error;
    ASSERT_TRUE(soundtool::ParseTunes(testsupport::ReadText(kSampleData + "/src/soundtrack/tunes.txt"), &tunes, &error))
        << error;
    ASSERT_FALSE(tunes.empty());
    for (const Tune& tune : tunes)
    {
        const std::string path = kSampleData + "/data/soundtrack/" + tune.name + ".mp3";
        auto decoder = platform::Mp3Decoder::Open(path);
        ASSERT_NE(decoder, nullptr) << path << ": run tools/make-sample-data.sh";
        EXPECT_EQ(decoder->Rate(), tune.rate) << path;
        std::vector<int16_t> decoded;
        std::vector<int16_t> chunk(4096 * 2);
        while (size_t got = decoder->Read(chunk.data(), 4096))
            decoded.insert(decoded.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got * 2));
        const double seconds = static_cast<double>(decoded.size() / 2) / tune.rate;
        const double beats = static_cast<double>(tune.notes.size()) * tune.beat;
        EXPECT_GE(seconds, beats - 0.01) << path;
        EXPECT_LE(seconds, beats + 0.1) << path;
        // The best match of the rendering against the decoded left channel, over small shifts (the encoder's
        // delay), is close to a perfect correlation of 1.
        const std::vector<int16_t> rendered = soundtool::RenderTune(tune);
        double best = 0.0;
        for (size_t shift = 0; shift < 2400; shift += 1)
        {
            double dot = 0.0, a2 = 0.0, b2 = 0.0;
            // The first four seconds are enough to tell one tune from another.
            for (size_t i = 0;
                 i < rendered.size() && i < 4u * static_cast<size_t>(tune.rate) && (i + shift) * 2 < decoded.size();
                 i += 3)
            {
                const double a = rendered[i], b = decoded[(i + shift) * 2];
                dot += a * b, a2 += a * a, b2 += b * b;
            }
            if (a2 > 0 && b2 > 0)
                best = std::max(best, dot / std::sqrt(a2 * b2));
            if (best > 0.9)
                break;
        }
        EXPECT_GT(best, 0.9) << path;
    }
}

} // namespace
