// Tests for the sound back end: WAV reading, the mixer's levels, pan, resampling, 3D rules, streams and the device.
#include "platform/audio/Sound.h"
#include "platform/audio/MixMath.h"
#include "platform/audio/Mp3Decoder.h"
#include "platform/audio/WavReader.h"
#include "tests/platform/audio/AudioTestFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

using namespace audiotest;

namespace
{

constexpr int kRate = 22050;

// Output expected for a source value through a gain, as the mixer rounds it.
int Scaled(double value, double gain)
{
    return static_cast<int>(std::lround(value * gain));
}

std::vector<int16_t> Ramp(size_t frames, int start, int step)
{
    std::vector<int16_t> out;
    for (size_t i = 0; i < frames; ++i)
        out.push_back(static_cast<int16_t>(start + step * static_cast<int>(i)));
    return out;
}

// Runs the back end without a device so every test mixes a known number of frames.
class SoundMixerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::SoundUseManualMixing(true);
        ASSERT_TRUE(platform::SoundInit(OutputRate(), 8));
    }

    void TearDown() override
    {
        platform::SoundClose();
        for (platform::SoundSample* sample : m_samples)
            platform::SoundSampleFree(sample);
        for (platform::SoundStream* stream : m_streams)
            platform::SoundStreamClose(stream);
        platform::SoundUseManualMixing(false);
    }

    virtual int OutputRate() const { return kRate; }

    // Loads a 16-bit sample of the values (kept in m_samples) and plays it: the channel handle.
    int Play(const std::vector<int16_t>& values, unsigned mode = platform::kSound2D, int rate = kRate, int channels = 1)
    {
        auto wav = Wav16(rate, channels, values);
        m_samples.push_back(platform::SoundSampleLoad(wav.data(), wav.size(), mode));
        return platform::SoundPlay(m_samples.back());
    }

    platform::SoundStream* Keep(platform::SoundStream* stream) { return m_streams.emplace_back(stream); }

    static std::vector<int16_t> Render(int frames)
    {
        std::vector<int16_t> out(static_cast<size_t>(frames) * 2, 12345);
        platform::SoundRender(out.data(), frames);
        return out;
    }

    std::vector<platform::SoundSample*> m_samples;
    std::vector<platform::SoundStream*> m_streams;
};

class Mp3StreamTest : public SoundMixerTest
{
protected:
    int OutputRate() const override { return 44100; }

    // Renders until the stream's channel stops (at most `limit` frames).
    static std::vector<int16_t> RenderToEnd(int channel, int limit)
    {
        std::vector<int16_t> all;
        while (platform::SoundIsPlaying(channel) && static_cast<int>(all.size() / 2) < limit)
        {
            auto out = Render(4096);
            all.insert(all.end(), out.begin(), out.end());
        }
        return all;
    }

    testsupport::TempDir m_dir;
};

} // namespace

// ---------------------------------------------------------------------------------------------------------------
// WAV reading

TEST(WavReaderTest, DecodesEveryPcmWidthToSigned16)
{
    const std::tuple<std::vector<uint8_t>, int, std::vector<int16_t>> cases[] = {
        {RawWav(11025, 1, 8, {0, 128, 255, 192}), 1, {-32768, 0, 32512, 16384}}, // unsigned around 128
        {RawWav(11025, 1, 16, {0xE8, 0x03, 0x18, 0xFC, 0xFF, 0x7F, 0x00, 0x80}), 1, {1000, -1000, 32767, -32768}},
        {RawWav(11025, 1, 24, {0xAB, 0x34, 0x12, 0x00, 0x00, 0x80}), 1, {0x1234, -32768}}, // the top 16 bits
        {RawWav(11025, 2, 32, {0xFF, 0xFF, 0x34, 0x12, 0x00, 0x00, 0xFF, 0xFF}), 2, {0x1234, -1}},
    };
    for (const auto& [wav, channels, expected] : cases)
    {
        platform::PcmSound pcm;
        ASSERT_TRUE(platform::DecodeWav(wav.data(), wav.size(), &pcm)) << expected[1];
        EXPECT_EQ(pcm.channels, channels);
        EXPECT_EQ(pcm.samples, expected);
    }
    // Chunks in any order, an odd-sized one padded, and a trailing one after the data.
    std::vector<uint8_t> chunks;
    PutChunk(chunks, "LIST", {'a', 'b', 'c'});
    PutChunk(chunks, "data", {100, 0, 56, 255, 44, 1, 112, 254}); // 100, -200, 300, -400
    PutChunk(chunks, "fmt ", FmtBody(22050, 2, 16));
    PutChunk(chunks, "smpl", std::vector<uint8_t>(36, 7));
    auto wav = Riff(chunks);
    platform::PcmSound pcm;
    ASSERT_TRUE(platform::DecodeWav(wav.data(), wav.size(), &pcm));
    EXPECT_EQ(pcm.samples, (std::vector<int16_t>{100, -200, 300, -400}));
}

TEST(WavReaderTest, RefusesWhatItCannotPlayOrIsCutShortAndLeavesTheOutputAlone)
{
    const std::vector<uint8_t> good = Wav16(200, 1, {1, 2});
    // One byte changed each: not RIFF (first or last letter), float, 3 channels, rate 0, 12 bits, no data chunk.
    std::vector<std::vector<uint8_t>> bad;
    for (auto [at, value] : {std::pair{0, 'X'}, {3, 'X'}, {20, 3}, {22, 3}, {24, 0}, {34, 12}, {36, 'X'}})
        (bad.emplace_back(good))[static_cast<size_t>(at)] = static_cast<uint8_t>(value);
    std::vector<uint8_t> chunks;
    PutChunk(chunks, "fmt ", std::vector<uint8_t>(14, 1)); // too short to hold its fields
    PutChunk(chunks, "data", {0, 0});
    bad.push_back(Riff(chunks));
    bad.push_back(good); // a chunk that claims more bytes than the file holds
    bad.back().insert(bad.back().end(), {'J', 'U', 'N', 'K', 0x00, 0x00, 0x00, 0x48});
    platform::PcmSound pcm;
    for (size_t i = 0; i < bad.size(); ++i)
    {
        pcm.rate = 777;
        EXPECT_FALSE(platform::DecodeWav(bad[i].data(), bad[i].size(), &pcm)) << "case " << i;
        EXPECT_EQ(pcm.rate, 777) << "case " << i;
    }
    auto wav = Wav16(22050, 2, Sine(100, 22050, 1000.0, 8000.0));
    for (size_t length = 0; length <= wav.size(); ++length)
    {
        platform::PcmSound cut;
        bool decoded = platform::DecodeWav(wav.data(), length, &cut);
        EXPECT_LE(cut.Frames(), decoded ? 50u : 0u);
    }
}

TEST(WavReaderTest, EveryCorpusFileLoadsButTheHostileOne)
{
    std::string corpus = testsupport::CorpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "no corpus folder";
    for (const auto& entry : std::filesystem::directory_iterator(corpus + "/wav"))
    {
        std::string name = entry.path().filename().string();
        auto bytes = testsupport::ReadBytes(entry.path().string());
        platform::PcmSound pcm;
        EXPECT_EQ(platform::DecodeWav(bytes.data(), bytes.size(), &pcm), !name.starts_with("hostile__")) << name;
        // 24-bit stereo behind a LIST chunk: 91908 data bytes of 6 per frame, as the corpus notes give them.
        if (name == "goaudio__listChunkInHeader.wav")
        {
            EXPECT_EQ(std::tuple(pcm.rate, pcm.channels, pcm.Frames()), std::tuple(44100, 2, size_t{91908 / 6}));
        }
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Mixing

TEST_F(SoundMixerTest, VolumePanAndTheSfxMasterScaleEachSideAndChannelsSumWithClipping)
{
    int channel = Play(std::vector<int16_t>(100, 10000), platform::kSound2D | platform::kSoundLoop);
    // The side panned away from fades linearly; the other keeps full level; volumes above 255 are clamped.
    const int cases[][4] = {
        {128, 128, Scaled(10000, 128.0 / 255.0), Scaled(10000, 128.0 / 255.0)},
        {400, 0, 10000, 0},
        {255, 192, Scaled(10000, 63.0 / 127.0), 10000},
    };
    for (const auto& c : cases)
    {
        ASSERT_TRUE(platform::SoundSetVolume(channel, c[0]) && platform::SoundSetPan(channel, c[1]));
        auto out = Render(16);
        EXPECT_EQ(std::pair(out[10], out[11]), (std::pair<int16_t, int16_t>(c[2], c[3]))) << c[0] << " " << c[1];
    }
    // The SFX master level scales every sample channel, and no stream.
    platform::SoundSetPan(channel, 128);
    platform::SoundStream* stream = Keep(platform::SoundStreamCreatePcm(kRate, 1));
    auto pcm = std::vector<int16_t>(1000, 4000);
    ASSERT_TRUE(platform::SoundStreamQueuePcm(stream, pcm.data(), pcm.size()));
    ASSERT_GE(platform::SoundStreamPlay(stream), 0);
    platform::SoundSetSfxMasterVolume(128);
    EXPECT_EQ(Render(8)[4], Scaled(10000, 128.0 / 255.0) + 4000);
    // Channels add up, and saturate rather than wrap.
    platform::SoundSetSfxMasterVolume(255);
    platform::SoundStreamStop(stream);
    platform::SoundStop(channel);
    Play(std::vector<int16_t>(100, 20000));
    int second = Play(std::vector<int16_t>(100, -5000));
    EXPECT_EQ(Render(10)[0], 15000);
    platform::SoundStop(second);
    Play(std::vector<int16_t>(100, 20000));
    EXPECT_EQ(Render(10)[0], 32767);
}

TEST_F(SoundMixerTest, OneShotEndsAfterItsLastFrameItsHandleGoesStaleAndChannelsRunOut)
{
    int first = Play(std::vector<int16_t>(100, 7000));
    EXPECT_EQ(Render(60)[59 * 2], 7000);
    auto out = Render(60);
    EXPECT_EQ(std::pair(out[39 * 2], out[40 * 2]), (std::pair<int16_t, int16_t>(7000, 0))); // frame 99 is the last
    EXPECT_FALSE(platform::SoundIsPlaying(first));
    // The next sound takes the same channel; the old handle reaches nothing.
    std::vector<int> handles = {Play(std::vector<int16_t>(100, 10), platform::kSound2D | platform::kSoundLoop)};
    EXPECT_EQ(first & 0xFF, handles[0] & 0xFF);
    EXPECT_FALSE(platform::SoundStop(first));
    // Eight channels, then none; freeing the sample stops every channel playing it.
    for (int i = 1; i < 8; ++i)
        handles.push_back(platform::SoundPlay(m_samples.back()));
    EXPECT_GE(*std::min_element(handles.begin(), handles.end()), 0);
    EXPECT_EQ(platform::SoundPlay(m_samples.back()), -1);
    platform::SoundSampleFree(m_samples.back());
    m_samples.pop_back();
    for (int handle : handles)
        EXPECT_FALSE(platform::SoundIsPlaying(handle));
    EXPECT_EQ(Render(4)[0], 0);
}

TEST_F(SoundMixerTest, LoopWrapsAroundAndPauseHoldsItsPlace)
{
    auto ramp = Ramp(100, -5000, 100);
    int channel = Play(ramp, platform::kSound2D | platform::kSoundLoop);
    auto out = Render(250);
    for (size_t i = 0; i < 250; ++i)
        ASSERT_EQ(out[i * 2], ramp[i % 100]) << i;
    ASSERT_TRUE(platform::SoundSetPaused(channel, true));
    EXPECT_EQ(Render(100), std::vector<int16_t>(200, 0));
    EXPECT_TRUE(platform::SoundIsPlaying(channel));
    platform::SoundSetPaused(channel, false);
    out = Render(100);
    for (size_t i = 0; i < 100; ++i)
        ASSERT_EQ(out[i * 2 + 1], ramp[(250 + i) % 100]) << i;
}

TEST_F(SoundMixerTest, PausedStartIsSilentUntilReleasedAndThenStartsAtItsFirstFrame)
{
    auto ramp = Ramp(100, 1000, 10);
    auto wav = Wav16(kRate, 1, ramp);
    m_samples.push_back(platform::SoundSampleLoad(wav.data(), wav.size(), platform::kSound2D));
    int channel = platform::SoundPlay(m_samples.back(), true);
    EXPECT_TRUE(platform::SoundGetPaused(channel));
    EXPECT_EQ(Render(50), std::vector<int16_t>(100, 0));
    ASSERT_TRUE(platform::SoundSetPaused(channel, false));
    auto out = Render(3);
    EXPECT_EQ(std::vector<int16_t>(out.begin(), out.end()), (std::vector<int16_t>{1000, 1000, 1010, 1010, 1020, 1020}));
}

TEST_F(SoundMixerTest, ResamplesLinearly)
{
    // Half the output rate: every second output frame lies halfway between two source frames.
    auto ramp = Ramp(50, 0, 200);
    int channel = Play(ramp, platform::kSound2D, kRate / 2);
    auto out = Render(98);
    for (size_t k = 0; k < 49; ++k)
    {
        ASSERT_EQ(out[(2 * k) * 2], ramp[k]) << k;
        ASSERT_EQ(out[(2 * k + 1) * 2], (ramp[k] + ramp[k + 1]) / 2) << k;
    }
    Render(2);
    EXPECT_FALSE(platform::SoundIsPlaying(channel)); // it lasts twice as many output frames as it has
}

TEST_F(SoundMixerTest, PositionalChannelFallsOffWithDistanceAndIsPannedAgainstTheListener)
{
    platform::Sound3DSetRolloffFactor(0.5f);
    int channel = Play(std::vector<int16_t>(100, 8000), platform::kSound3D | platform::kSoundLoop);
    // Full level up to the minimum distance of 1, then 1 / (1 + 0.5 (d - 1)); the listener's right is up x
    // forward (left-handed), and the far side fades as the pan rule says.
    auto gain = [](double d) { return d > 1.0 ? 1.0 / (1.0 + 0.5 * (d - 1.0)) : 1.0; };
    const double side45 = (255.0 - (128.0 + 128.0 * std::sqrt(0.5))) / 127.0;
    const std::tuple<std::vector<float>, std::vector<float>, double, double> cases[] = {
        {{0, 0, 0.5f}, {0, 0, 1}, 1.0, 1.0},
        {{0, 0, 21}, {0, 0, 1}, gain(21), gain(21)},
        {{4, 0, 0}, {0, 0, 1}, 0.0, gain(4)},                                      // on the right
        {{0, 0, 4}, {1, 0, 0}, gain(4), 0.0},                                      // facing +x, +z is on the left
        {{3, 0, 3}, {0, 0, 1}, gain(std::sqrt(18)) * side45, gain(std::sqrt(18))}, // 45 degrees right
        {{0, 0, 0}, {0, 0, 1}, 1.0, 1.0},                                          // on the listener: centre
    };
    const float origin[3] = {0, 0, 0};
    for (const auto& [source, forward, left, right] : cases)
    {
        ASSERT_TRUE(platform::Sound3DSetAttributes(channel, source.data(), nullptr));
        platform::Sound3DListenerSetAttributes(origin, nullptr, forward[0], forward[1], forward[2], 0, 1, 0);
        auto out = Render(8);
        EXPECT_NEAR(out[4], Scaled(8000, left), 1) << source[0] << "," << source[2];
        EXPECT_NEAR(out[5], Scaled(8000, right), 1) << source[0] << "," << source[2];
    }
    // The listener moves instead (3 units behind the source), and the channel volume applies on top.
    const float behind[3] = {0, 0, -3};
    platform::Sound3DListenerSetAttributes(behind, nullptr, 0, 0, 1, 0, 1, 0);
    platform::SoundSetVolume(channel, 51);
    EXPECT_NEAR(Render(8)[5], Scaled(8000, gain(3) * 51.0 / 255.0), 1);
    // The listener's vectors are kept as given.
    const float position[3] = {1, 2, 3}, velocity[3] = {4, 5, 6};
    platform::Sound3DListenerSetAttributes(position, velocity, 0, 0.6f, 0.8f, 0.28f, 0.96f, 0.05f);
    float got[4][3];
    platform::Sound3DListenerGetAttributes(got[0], got[1], got[2], got[3]);
    EXPECT_EQ(std::vector<float>(&got[0][0], &got[0][0] + 12),
              (std::vector<float>{1, 2, 3, 4, 5, 6, 0, 0.6f, 0.8f, 0.28f, 0.96f, 0.05f}));
    EXPECT_FALSE(
        platform::Sound3DSetAttributes(Play(std::vector<int16_t>(100, 0)), origin, nullptr)); // a plain channel
}

// A back end started again begins with the default rolloff of 1 and the listener at the origin facing +z, whatever
// the run before it set.
TEST_F(SoundMixerTest, ARestartedBackEndStartsWithTheDefaultRolloffAndListener)
{
    platform::Sound3DSetRolloffFactor(0.25f);
    const float away[3] = {50, 0, 50};
    platform::Sound3DListenerSetAttributes(away, nullptr, 1, 0, 0, 0, 1, 0);
    platform::SoundClose();
    ASSERT_TRUE(platform::SoundInit(OutputRate(), 8));
    const int channel = Play(std::vector<int16_t>(100, 9000), platform::kSound3D | platform::kSoundLoop);
    // 3 units straight ahead: both sides at 1 / (1 + 1 x (3 - 1)) = 1 / 3.
    const float ahead[3] = {0, 0, 3};
    ASSERT_TRUE(platform::Sound3DSetAttributes(channel, ahead, nullptr));
    const auto out = Render(8);
    EXPECT_NEAR(out[4], Scaled(9000, 1.0 / 3.0), 1);
    EXPECT_NEAR(out[5], Scaled(9000, 1.0 / 3.0), 1);
}

TEST(SoundBackEndTest, EveryCallIsSafeWithoutARunningBackEndAndMemoryIsAccounted)
{
    platform::SoundClose();
    EXPECT_FALSE(platform::SoundInit(0, 32));
    size_t before = 0, loaded = 0, after = 0;
    platform::SoundGetMemoryStats(&before, nullptr);
    auto wav = Wav16(kRate, 1, std::vector<int16_t>(10000, 1000));
    platform::SoundSample* sample = platform::SoundSampleLoad(wav.data(), wav.size(), platform::kSound2D);
    platform::SoundGetMemoryStats(&loaded, nullptr);
    EXPECT_GE(loaded, before + 20000);
    EXPECT_EQ(platform::SoundPlay(sample), -1);
    std::vector<int16_t> out(8, 99);
    platform::SoundRender(out.data(), 4);
    EXPECT_EQ(out, std::vector<int16_t>(8, 0));
    platform::SoundSampleFree(sample);
    platform::SoundGetMemoryStats(&after, nullptr);
    EXPECT_EQ(after, before);
}

// ---------------------------------------------------------------------------------------------------------------
// MP3 streams

TEST(MpegAudioFrameTest, HeadersGiveTheStandardsFrameSizesAndOthersAreNoFrames)
{
    // Frame bytes by the standards: Layer I 4 x (12 x bitrate / rate + padding); Layer II and MPEG-1 Layer III
    // 144 x bitrate / rate + padding; Layer III of MPEG-2 and 2.5 72 x bitrate / rate + padding (truncated).
    struct Case
    {
        uint8_t header[4];
        int version, layer, bitrate, rate, channels, bytes, samples;
    };
    const Case cases[] = {
        {{0xFF, 0xFF, 0xE0, 0x00}, 10, 1, 448, 44100, 2, 4 * 121, 384},   // 12 x 448000 / 44100 = 121.9
        {{0xFF, 0xFD, 0xE6, 0xC0}, 10, 2, 384, 48000, 1, 1152 + 1, 1152}, // padded, mono
        {{0xFF, 0xFB, 0x10, 0x00}, 10, 3, 32, 44100, 2, 104, 1152},       // 144 x 32000 / 44100 = 104.5
        {{0xFF, 0xF3, 0xE4, 0x00}, 20, 3, 160, 24000, 2, 480, 576},       // 72 x 160000 / 24000
        {{0xFF, 0xF7, 0xD8, 0x00}, 20, 1, 224, 16000, 2, 4 * 168, 384},   // 12 x 224000 / 16000
        {{0xFF, 0xF7, 0xA0, 0x00}, 20, 1, 160, 22050, 2, 4 * 87, 384},    // 12 x 160000 / 22050 = 87.1
        {{0xFF, 0xF5, 0x44, 0x00}, 20, 2, 32, 24000, 2, 192, 1152},       // 144 x 32000 / 24000
        {{0xFF, 0xF3, 0x44, 0x00}, 20, 3, 32, 24000, 2, 96, 576},         // 72 x 32000 / 24000
        {{0xFF, 0xE3, 0x18, 0xC0}, 25, 3, 8, 8000, 1, 72, 576},           // MPEG-2.5: 72 x 8000 / 8000
        {{0xFF, 0xE5, 0x40, 0x00}, 25, 2, 32, 11025, 2, 417, 1152},       // 144 x 32000 / 11025 = 417.9
    };
    for (const Case& c : cases)
    {
        platform::MpegAudioFrame f;
        ASSERT_TRUE(platform::ParseMpegAudioFrame(c.header, &f)) << c.bytes;
        EXPECT_EQ(std::tuple(f.version, f.layer, f.bitrate, f.rate, f.channels, f.bytes, f.samples),
                  std::tuple(c.version, c.layer, c.bitrate, c.rate, c.channels, c.bytes, c.samples));
    }
    // No sync, the reserved version, layer 0, free format, bitrate index 15, rate index 3.
    const uint8_t bad[][4] = {{0xFE, 0xFB, 0x90, 0}, {0xFF, 0xCB, 0x90, 0}, {0xFF, 0xEB, 0x90, 0},
                              {0xFF, 0xF9, 0x90, 0}, {0xFF, 0xFB, 0x00, 0}, {0xFF, 0xFB, 0xF0, 0},
                              {0xFF, 0xFB, 0x9C, 0}};
    for (const auto& header : bad)
    {
        platform::MpegAudioFrame f;
        EXPECT_FALSE(platform::ParseMpegAudioFrame(header, &f)) << int{header[1]} << " " << int{header[2]};
    }
}

// Tones of one second at 440 Hz (44.1 kHz, mono) coded as MPEG-1 Layer III by lame and as Layer II and Layer I by
// mp2enc, at bitrates with frames of different sizes: each plays at its pitch and level for its length; cut to a
// third it plays what there is and ends; emptied after it ended, it ends at once on a new start.
TEST_F(Mp3StreamTest, EncodedTonesPlayAtTheirPitchAndLength)
{
    if (!HaveLame() || std::system("command -v mp2enc >/dev/null") != 0)
        GTEST_SKIP() << "lame or mp2enc is not installed";
    testsupport::WriteBytes(m_dir.File("tone.wav"), Wav16(44100, 1, Sine(44100, 44100, 440.0, 16000.0)));
    // Each encoder's length: the tone and up to two frames of padding, or the tone less its last part frame.
    const std::tuple<const char*, const char*, double, double> files[] = {
        {"layer3.mp3", "lame --quiet -b 128 tone.wav layer3.mp3", 1000.0, 1030.0},
        {"layer2.mp3", "mp2enc -v 0 -l 2 -b 80 -r 44100 -m -o layer2.mp3 < tone.wav", 1000.0 - 26.2, 1000.0 + 52.3},
        {"layer1.mp3", "mp2enc -v 0 -l 1 -b 192 -r 44100 -m -o layer1.mp3 < tone.wav", 1000.0 - 8.8, 1000.0 + 17.5},
    };
    for (const auto& [name, command, shortest, longest] : files)
    {
        SCOPED_TRACE(name);
        ASSERT_EQ(std::system(("cd '" + m_dir.Path() + "' && " + command + " >/dev/null 2>&1").c_str()), 0);
        platform::SoundStream* stream = Keep(platform::SoundStreamOpen(m_dir.File(name)));
        ASSERT_NE(stream, nullptr);
        uint32_t length = platform::SoundStreamGetLengthMs(stream);
        EXPECT_GE(length, shortest);
        EXPECT_LE(length, longest);
        int channel = platform::SoundStreamPlay(stream);
        auto half = Render(22050);
        EXPECT_EQ(platform::SoundStreamGetTimeMs(stream), 500u);
        // 440 cycles a second: 110 rising crossings in a quarter second taken from the middle, at the tone's level.
        EXPECT_NEAR(CountRisingCrossings(half, 11025, 11025, 0), 110, 2);
        EXPECT_NEAR(*std::max_element(half.begin() + 22050, half.end()), 16000.0, 1600.0);
        RenderToEnd(channel, 44100 * 4);
        EXPECT_EQ(platform::SoundStreamGetTimeMs(stream), length);
        std::vector<uint8_t> bytes = testsupport::ReadBytes(m_dir.File(name));
        testsupport::WriteBytes(m_dir.File(name),
                                std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 3));
        stream = Keep(platform::SoundStreamOpen(m_dir.File(name)));
        ASSERT_NE(stream, nullptr);
        channel = platform::SoundStreamPlay(stream);
        RenderToEnd(channel, 44100 * 4);
        EXPECT_FALSE(platform::SoundIsPlaying(channel));
        EXPECT_NEAR(platform::SoundStreamGetTimeMs(stream), length / 3.0, 30.0);
        std::filesystem::resize_file(m_dir.File(name), 0);
        channel = platform::SoundStreamPlay(stream);
        Render(4096);
        EXPECT_FALSE(platform::SoundIsPlaying(channel));
    }
}

// A file is MPEG audio when, after any ID3v2 tag and zero padding, a frame starts at once and the next frame of
// its kind, an ID3v1 tag or the end of the file follows it; anything else is refused, not played as noise.
TEST_F(Mp3StreamTest, OnlyFilesOfMpegAudioFromTheirStartOpen)
{
    testsupport::WriteBytes(m_dir.File("tone.wav"), Wav16(44100, 1, Sine(44100, 44100, 440.0, 16000.0)));
    if (!HaveLame() || !EncodeMp3(m_dir.File("tone.wav"), m_dir.File("tone.mp3"), "-t -b 128"))
        GTEST_SKIP() << "lame is not installed";
    const std::vector<uint8_t> tone = testsupport::ReadBytes(m_dir.File("tone.mp3"));
    // Frames of 144 x 128 kbit/s / 44.1 kHz bytes, and the padding byte when the header's padding bit is set.
    auto frameSize = [&](size_t at) { return size_t{417} + ((tone[at + 2] >> 1) & 1); };
    const size_t second = frameSize(0), third = second + frameSize(second);
    auto first = [&](std::vector<uint8_t> after)
    {
        after.insert(after.begin(), tone.begin(), tone.begin() + static_cast<ptrdiff_t>(second));
        return after;
    };
    auto frameAfter = [&](uint8_t byte1, uint8_t byte2)
    {
        std::vector<uint8_t> next(tone.begin() + static_cast<ptrdiff_t>(second),
                                  tone.begin() + static_cast<ptrdiff_t>(third));
        next[1] = byte1;
        next[2] = byte2;
        return first(next);
    };
    std::vector<uint8_t> id3v2 = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
    id3v2.insert(id3v2.end(), 20 + 300, 0); // the tag's 20 bytes and zero padding
    id3v2.insert(id3v2.end(), tone.begin(), tone.end());
    std::vector<uint8_t> id3v1(128, 0);
    std::memcpy(id3v1.data(), "TAG", 3);
    // Loud noise as a WAV file: full of bytes that look like frame starts.
    std::vector<int16_t> noise(44100);
    uint32_t seed = 1;
    for (int16_t& v : noise)
        v = static_cast<int16_t>((seed = seed * 1103515245u + 12345u) >> 16);
    // The tone's frames carried in a movie's packets.
    std::vector<uint8_t> movie = {0x00, 0x00, 0x01, 0xBA, 0x21, 0x00, 0x01, 0x00, 0x01, 0x80, 0x00, 0x03};
    for (size_t at = 0; at < tone.size(); at += 2000)
    {
        size_t size = std::min<size_t>(2000, tone.size() - at);
        Put(movie, 0xC0010000u, 4); // 00 00 01 C0 as little-endian bytes
        movie.insert(movie.end(), {static_cast<uint8_t>((size + 1) >> 8), static_cast<uint8_t>(size + 1), 0x0F});
        movie.insert(movie.end(), tone.begin() + static_cast<ptrdiff_t>(at),
                     tone.begin() + static_cast<ptrdiff_t>(at + size));
    }
    const std::tuple<const char*, std::vector<uint8_t>, bool> files[] = {
        {"whole.mp3", tone, true},
        {"id3v2.mp3", id3v2, true},
        {"one frame.mp3", first({}), true},
        {"frame and tag.mp3", first(id3v1), true},
        {"frame and text.mp3", first(std::vector<uint8_t>(500, 'x')), false},
        {"then 48 kHz.mp3", frameAfter(0xFB, 0x94), false},
        {"then Layer II.mp3", frameAfter(0xFD, 0x90), false},
        {"text.mp3", std::vector<uint8_t>(5000, 'x'), false},
        {"zeros.mp3", std::vector<uint8_t>(20000, 0), false},
        {"noise.mp3", Wav16(44100, 1, noise), false},
        {"movie.mp3", movie, false},
    };
    for (const auto& [name, bytes, opens] : files)
    {
        testsupport::WriteBytes(m_dir.File(name), bytes);
        EXPECT_EQ(Keep(platform::SoundStreamOpen(m_dir.File(name))) != nullptr, opens) << name;
    }
    EXPECT_EQ(platform::SoundStreamOpen(m_dir.File("missing.mp3")), nullptr);
}

TEST_F(Mp3StreamTest, RateChangeInsideAFileKeepsThePitchAndTheLength)
{
    if (!HaveLame())
        GTEST_SKIP() << "lame is not installed";
    // One second of 440 Hz at 44.1 kHz, then one second of 440 Hz at 22.05 kHz, without header frames.
    testsupport::WriteBytes(m_dir.File("a.wav"), Wav16(44100, 1, Sine(44100, 44100, 440.0, 12000.0)));
    testsupport::WriteBytes(m_dir.File("b.wav"), Wav16(22050, 1, Sine(22050, 22050, 440.0, 12000.0)));
    ASSERT_TRUE(EncodeMp3(m_dir.File("a.wav"), m_dir.File("a.mp3"), "-t -b 128") &&
                EncodeMp3(m_dir.File("b.wav"), m_dir.File("b.mp3"), "-t -b 64"));
    auto joined = testsupport::ReadBytes(m_dir.File("a.mp3"));
    auto second = testsupport::ReadBytes(m_dir.File("b.mp3"));
    joined.insert(joined.end(), second.begin(), second.end());
    testsupport::WriteBytes(m_dir.File("ab.mp3"), joined);
    platform::SoundStream* stream = Keep(platform::SoundStreamOpen(m_dir.File("ab.mp3")));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(platform::SoundStreamGetRate(stream), 44100);
    // Two seconds, and each part's encoder delay and last-frame padding: under 60 ms each.
    EXPECT_GE(platform::SoundStreamGetLengthMs(stream), 2000u);
    EXPECT_LE(platform::SoundStreamGetLengthMs(stream), 2120u);
    auto out = RenderToEnd(platform::SoundStreamPlay(stream), 44100 * 4);
    EXPECT_NEAR(platform::SoundStreamGetTimeMs(stream), platform::SoundStreamGetLengthMs(stream), 30.0);
    // The second part keeps its pitch: 110 cycles in a quarter second taken from its middle.
    EXPECT_NEAR(CountRisingCrossings(out, 44100 * 3 / 2, 11025, 0), 110, 3);
}

// A track with a damaged stretch (a hole of zeros, a run of 0xFF bytes, text) in its first third goes on after the
// damage: it plays for its length less the stretch (at 128 kbit/s, 16 bytes a millisecond) and a few frames the
// damage cuts into, and its tone is heard again at the end; its measured length agrees.
TEST_F(Mp3StreamTest, ADamagedStretchIsSteppedOverAndTheRestOfTheTrackPlays)
{
    if (!HaveLame())
        GTEST_SKIP() << "lame is not installed";
    testsupport::WriteBytes(m_dir.File("tone.wav"), Wav16(44100, 1, Sine(3 * 44100, 44100, 440.0, 12000.0)));
    ASSERT_TRUE(EncodeMp3(m_dir.File("tone.wav"), m_dir.File("tone.mp3"), "-t -b 128"));
    const std::vector<uint8_t> tone = testsupport::ReadBytes(m_dir.File("tone.mp3"));
    platform::SoundStream* whole = Keep(platform::SoundStreamOpen(m_dir.File("tone.mp3")));
    ASSERT_NE(whole, nullptr);
    RenderToEnd(platform::SoundStreamPlay(whole), 44100 * 5);
    const double wholeMs = platform::SoundStreamGetTimeMs(whole);
    ASSERT_GE(wholeMs, 3000.0);
    constexpr double kFrameMs = 1152.0 * 1000.0 / 44100.0;
    const std::tuple<const char*, size_t, uint8_t> damages[] = {
        {"short hole", 800, 0x00}, {"hole", 6000, 0x00}, {"long hole", 20000, 0x00},
        {"0xFF run", 6000, 0xFF},  {"text", 6000, 'x'},
    };
    for (const auto& [name, size, fill] : damages)
    {
        SCOPED_TRACE(name);
        std::vector<uint8_t> bytes = tone;
        std::fill_n(bytes.begin() + static_cast<ptrdiff_t>(bytes.size() / 3), size, fill);
        testsupport::WriteBytes(m_dir.File("damaged.mp3"), bytes);
        platform::SoundStream* stream = Keep(platform::SoundStreamOpen(m_dir.File("damaged.mp3")));
        ASSERT_NE(stream, nullptr);
        auto out = RenderToEnd(platform::SoundStreamPlay(stream), 44100 * 5);
        const double playedMs = platform::SoundStreamGetTimeMs(stream);
        const double expectedMs = wholeMs - static_cast<double>(size) / 16.0;
        EXPECT_LE(playedMs, expectedMs + kFrameMs);
        EXPECT_GE(playedMs, expectedMs - 4 * kFrameMs);
        EXPECT_NEAR(platform::SoundStreamGetLengthMs(stream), playedMs, kFrameMs);
        // 440 cycles a second: 110 rising crossings in the quarter second before the last half second.
        const size_t frames = out.size() / 2;
        ASSERT_GT(frames, size_t{44100});
        EXPECT_NEAR(CountRisingCrossings(out, frames - 33075, 11025, 0), 110, 2);
    }
}

TEST_F(Mp3StreamTest, VariableBitrateLengthIsMeasuredNotGuessedFromTheFirstFrame)
{
    if (!HaveLame())
        GTEST_SKIP() << "lame is not installed";
    // A second of silence (the smallest frames), then two seconds of loud noise (the largest), with no header frame
    // that would give the length.
    std::vector<int16_t> samples(44100, 0);
    uint32_t seed = 7;
    for (int i = 0; i < 2 * 44100; ++i)
        samples.push_back(static_cast<int16_t>((seed = seed * 1103515245u + 12345u) >> 17));
    testsupport::WriteBytes(m_dir.File("vbr.wav"), Wav16(44100, 1, samples));
    ASSERT_TRUE(EncodeMp3(m_dir.File("vbr.wav"), m_dir.File("vbr.mp3"), "-t -V 2"));
    platform::SoundStream* stream = Keep(platform::SoundStreamOpen(m_dir.File("vbr.mp3")));
    ASSERT_NE(stream, nullptr);
    // Three seconds, and the encoder delay and padding.
    EXPECT_GE(platform::SoundStreamGetLengthMs(stream), 3000u);
    EXPECT_LE(platform::SoundStreamGetLengthMs(stream), 3060u);
}

TEST_F(Mp3StreamTest, EveryCorpusFileDecodesToItsKnownLength)
{
    std::string corpus = testsupport::CorpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "no corpus folder";
    // Rate, channels and the decoded values (frames x channels) an independent decoder reports for the file: a
    // plain stream, a bitrate that changes every frame with no index, a cut file whose header frame claims far
    // more, and a header frame with the encoder's delay.
    const std::map<std::string, std::tuple<int, int, long>> known = {
        {"minimp3__l3-hecommon.mp3", {44100, 2, 69120}},
        {"minimp3__M2L3_bitrate_22_all.mp3", {22050, 1, 274176}},
        {"taglib__mpeg2.mp3", {22050, 1, 111791}},
        {"minimp3__l3-nonstandard-sin1k0db_lame_vbrtag.mp3", {44100, 2, 725760}},
    };
    for (const auto& entry : std::filesystem::directory_iterator(corpus + "/mp3"))
    {
        std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        platform::SoundStream* stream = Keep(platform::SoundStreamOpen(entry.path().string()));
        ASSERT_NE(stream, nullptr);
        auto out = RenderToEnd(platform::SoundStreamPlay(stream), 44100 * 30);
        EXPECT_TRUE(std::any_of(out.begin(), out.end(), [](int16_t v) { return v != 0; }));
        if (auto it = known.find(name); it != known.end())
        {
            auto [rate, channels, samples] = it->second;
            EXPECT_EQ(platform::SoundStreamGetRate(stream), rate);
            // Within one MPEG frame (decoders may differ in how they treat encoder delay).
            EXPECT_NEAR(platform::SoundStreamGetTimeMs(stream), (samples / channels) * 1000.0 / rate,
                        1152.0 * 1000.0 / rate);
            EXPECT_NEAR(platform::SoundStreamGetLengthMs(stream), (samples / channels) * 1000.0 / rate,
                        1152.0 * 1000.0 / rate);
        }
    }
}

// The real device path, on SDL's disk driver: a looping tone mixed by the callback lands in the output file.
TEST(SoundDeviceTest, DiskDriverReceivesTheMixedOutput)
{
    testsupport::TempDir dir;
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    std::string oldDriver = driver != nullptr ? driver : "dummy";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", dir.File("out.raw").c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    bool started = platform::SoundInit(kRate, 4);
    auto wav = Wav16(kRate, 1, std::vector<int16_t>(500, 6000));
    platform::SoundSample* sample =
        platform::SoundSampleLoad(wav.data(), wav.size(), platform::kSound2D | platform::kSoundLoop);
    // Started paused and released once its level and pan are set: the callback, running all along, never mixes
    // it at the default level.
    int channel = platform::SoundPlay(sample, true);
    platform::SoundSetVolume(channel, 51);
    platform::SoundSetPan(channel, 0);
    platform::SoundSetPaused(channel, false);
    // Let the callback run until a good stretch of output has been written since the tone was released: the driver
    // may have written as much silence before it, on a busy machine.
    std::error_code ec;
    const uintmax_t released = std::filesystem::file_size(dir.File("out.raw"), ec);
    const uintmax_t enough = (ec ? 0 : released) + 200000;
    for (int i = 0; started && i < 1000 && !(std::filesystem::file_size(dir.File("out.raw"), ec) > enough && !ec); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    platform::SoundClose();
    platform::SoundSampleFree(sample);
    setenv("SDL_AUDIODRIVER", oldDriver.c_str(), 1);
    if (!started)
        GTEST_SKIP() << "SDL has no disk audio driver here";
    // Silence before the tone started, then the tone at its level on the left only; nothing else.
    auto bytes = testsupport::ReadBytes(dir.File("out.raw"));
    size_t toneFrames = 0, otherFrames = 0;
    for (size_t i = 0; i + 3 < bytes.size(); i += 4)
    {
        auto left = static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8));
        auto right = static_cast<int16_t>(bytes[i + 2] | (bytes[i + 3] << 8));
        bool tone = left == Scaled(6000, 51.0 / 255.0) && right == 0;
        toneFrames += tone;
        otherFrames += !tone && (left != 0 || right != 0);
    }
    EXPECT_GT(toneFrames, 1000u);
    EXPECT_EQ(otherFrames, 0u);
}
