// Tests for the sound back end: WAV reading, the mixer's levels, pan, resampling, 3D rules, streams and the device.
#include "platform/audio/Sound.h"
#include "platform/audio/MixMath.h"
#include "platform/audio/WavReader.h"
#include "tests/platform/audio/AudioTestFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
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

// Runs the back end without a device so every test mixes a known number of frames.
class SoundMixerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::SoundUseManualMixing(true);
        ASSERT_TRUE(platform::SoundInit(OutputRate(), 8));
        ASSERT_EQ(platform::SoundGetOutputRate(), OutputRate());
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

    platform::SoundSample* Load(const std::vector<uint8_t>& wav, unsigned mode = platform::kSound2D)
    {
        platform::SoundSample* sample = platform::SoundSampleLoad(wav.data(), wav.size(), mode);
        if (sample != nullptr)
            m_samples.push_back(sample);
        return sample;
    }

    platform::SoundStream* Keep(platform::SoundStream* stream)
    {
        if (stream != nullptr)
            m_streams.push_back(stream);
        return stream;
    }

    static std::vector<int16_t> Render(int frames)
    {
        std::vector<int16_t> out(static_cast<size_t>(frames) * 2, 12345);
        platform::SoundRender(out.data(), frames);
        return out;
    }

    std::vector<platform::SoundSample*> m_samples;
    std::vector<platform::SoundStream*> m_streams;
};

std::vector<int16_t> Ramp(size_t frames, int start, int step)
{
    std::vector<int16_t> out;
    for (size_t i = 0; i < frames; ++i)
        out.push_back(static_cast<int16_t>(start + step * static_cast<int>(i)));
    return out;
}

} // namespace

// ---------------------------------------------------------------------------------------------------------------
// WAV reading

TEST(WavReaderTest, Decodes8To32BitPcmToSigned16)
{
    platform::PcmSound pcm;

    auto wav16 = Wav16(11025, 1, {0, 1000, -1000, 32767, -32768});
    ASSERT_TRUE(platform::DecodeWav(wav16.data(), wav16.size(), &pcm));
    EXPECT_EQ(pcm.rate, 11025);
    EXPECT_EQ(pcm.channels, 1);
    EXPECT_EQ(pcm.samples, (std::vector<int16_t>{0, 1000, -1000, 32767, -32768}));

    // 8-bit data is unsigned around 128.
    std::vector<uint8_t> chunks;
    PutChunk(chunks, "fmt ", FmtBody(8000, 1, 8));
    PutChunk(chunks, "data", {0, 128, 255, 192});
    auto wav8 = Riff(chunks);
    ASSERT_TRUE(platform::DecodeWav(wav8.data(), wav8.size(), &pcm));
    EXPECT_EQ(pcm.samples, (std::vector<int16_t>{-32768, 0, 32512, 16384}));

    // 24 and 32 bits keep their top 16 bits.
    chunks.clear();
    PutChunk(chunks, "fmt ", FmtBody(48000, 1, 24));
    PutChunk(chunks, "data", {0xAB, 0x34, 0x12, 0x00, 0x00, 0x80});
    auto wav24 = Riff(chunks);
    ASSERT_TRUE(platform::DecodeWav(wav24.data(), wav24.size(), &pcm));
    EXPECT_EQ(pcm.samples, (std::vector<int16_t>{0x1234, -32768}));

    chunks.clear();
    PutChunk(chunks, "fmt ", FmtBody(48000, 2, 32));
    PutChunk(chunks, "data", {0xFF, 0xFF, 0x34, 0x12, 0x00, 0x00, 0xFF, 0xFF});
    auto wav32 = Riff(chunks);
    ASSERT_TRUE(platform::DecodeWav(wav32.data(), wav32.size(), &pcm));
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_EQ(pcm.samples, (std::vector<int16_t>{0x1234, -1}));
    EXPECT_EQ(pcm.Frames(), 1u);
}

TEST(WavReaderTest, WalksChunksInAnyOrderWithPadding)
{
    // An odd-sized chunk (padded) first, the data before the format, and a trailing chunk after both.
    std::vector<uint8_t> chunks;
    PutChunk(chunks, "LIST", {'a', 'b', 'c'});
    std::vector<uint8_t> data;
    for (int16_t v : {100, -200, 300, -400})
        Put16(data, static_cast<uint16_t>(v));
    PutChunk(chunks, "data", data);
    PutChunk(chunks, "fmt ", FmtBody(22050, 2, 16));
    PutChunk(chunks, "smpl", std::vector<uint8_t>(36, 7));
    auto wav = Riff(chunks);
    platform::PcmSound pcm;
    ASSERT_TRUE(platform::DecodeWav(wav.data(), wav.size(), &pcm));
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_EQ(pcm.samples, (std::vector<int16_t>{100, -200, 300, -400}));

    // The RIFF size is not trusted, and the last chunk may lack its pad byte.
    std::vector<uint8_t> odd;
    PutChunk(odd, "fmt ", FmtBody(8000, 1, 8));
    PutChunk(odd, "data", {1, 2, 3});
    auto unpadded = Riff(odd);
    unpadded.pop_back();
    unpadded[4] = 0xFF; // a RIFF size far beyond the file
    ASSERT_TRUE(platform::DecodeWav(unpadded.data(), unpadded.size(), &pcm));
    EXPECT_EQ(pcm.Frames(), 3u);
}

TEST(WavReaderTest, AcceptsExtensiblePcmOnly)
{
    auto extensible = [](const std::vector<uint8_t>& guidHead)
    {
        std::vector<uint8_t> fmt = FmtBody(44100, 1, 16, 0xFFFE);
        Put16(fmt, 22); // cbSize
        Put16(fmt, 16); // valid bits
        Put32(fmt, 4);  // channel mask
        fmt.insert(fmt.end(), guidHead.begin(), guidHead.end());
        const uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        fmt.insert(fmt.end(), tail, tail + 14);
        std::vector<uint8_t> chunks;
        PutChunk(chunks, "fmt ", fmt);
        PutChunk(chunks, "data", {0x10, 0x00, 0x20, 0x00});
        return Riff(chunks);
    };
    platform::PcmSound pcm;
    auto pcmWav = extensible({0x01, 0x00});
    ASSERT_TRUE(platform::DecodeWav(pcmWav.data(), pcmWav.size(), &pcm));
    EXPECT_EQ(pcm.samples, (std::vector<int16_t>{16, 32}));
    auto floatWav = extensible({0x03, 0x00});
    EXPECT_FALSE(platform::DecodeWav(floatWav.data(), floatWav.size(), &pcm));
}

TEST(WavReaderTest, RefusesWhatItCannotPlayAndLeavesTheOutputAlone)
{
    auto build = [](const std::vector<uint8_t>& fmt, bool withData = true)
    {
        std::vector<uint8_t> chunks;
        PutChunk(chunks, "fmt ", fmt);
        if (withData)
            PutChunk(chunks, "data", {0, 0, 0, 0});
        return Riff(chunks);
    };
    std::vector<std::vector<uint8_t>> bad = {
        build(FmtBody(22050, 1, 16, 3)),     // IEEE float
        build(FmtBody(22050, 1, 16, 2)),     // ADPCM
        build(FmtBody(22050, 3, 16)),        // three channels
        build(FmtBody(22050, 0, 16)),        // no channels
        build(FmtBody(22050, 1, 12)),        // 12-bit
        build(FmtBody(0, 1, 16)),            // rate 0
        build(FmtBody(22050, 1, 16), false), // no data chunk
        Riff({}),                            // no chunks at all
    };
    // Format chunk too short to hold its fields.
    std::vector<uint8_t> shortFmt;
    PutChunk(shortFmt, "fmt ", std::vector<uint8_t>(14, 1));
    PutChunk(shortFmt, "data", {0, 0});
    bad.push_back(Riff(shortFmt));
    // Not RIFF / not WAVE.
    auto notRiff = Wav16(8000, 1, {1, 2});
    notRiff[0] = 'X';
    bad.push_back(notRiff);
    auto notWave = Wav16(8000, 1, {1, 2});
    notWave[8] = 'A';
    bad.push_back(notWave);
    // A chunk that claims more bytes than the file holds.
    auto overrun = Wav16(8000, 1, {1, 2});
    std::vector<uint8_t> liar = {'J', 'U', 'N', 'K', 0x00, 0x00, 0x00, 0x48};
    overrun.insert(overrun.end(), liar.begin(), liar.end());
    bad.push_back(overrun);

    for (size_t i = 0; i < bad.size(); ++i)
    {
        platform::PcmSound pcm;
        pcm.rate = 777;
        EXPECT_FALSE(platform::DecodeWav(bad[i].data(), bad[i].size(), &pcm)) << "case " << i;
        EXPECT_EQ(pcm.rate, 777) << "case " << i;
        EXPECT_TRUE(pcm.samples.empty()) << "case " << i;
    }
    platform::PcmSound pcm;
    EXPECT_FALSE(platform::DecodeWav(nullptr, 100, &pcm));
}

TEST(WavReaderTest, EveryTruncationIsReadSafely)
{
    auto wav = Wav16(22050, 2, Sine(50, 22050, 1000.0, 8000.0, 2));
    for (size_t length = 0; length <= wav.size(); ++length)
    {
        std::vector<uint8_t> cut(wav.begin(), wav.begin() + static_cast<ptrdiff_t>(length));
        platform::PcmSound pcm;
        bool decoded = platform::DecodeWav(cut.data(), cut.size(), &pcm);
        EXPECT_LE(pcm.Frames(), decoded ? 50u : 0u);
    }
}

TEST(WavReaderTest, CorpusFilesLoadAndTheHostileOneIsRefused)
{
    std::string corpus = testsupport::CorpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "no corpus folder";
    struct Expected
    {
        const char* file;
        int rate;
        int channels;
        size_t frames; // data bytes / (channels x bytes per sample), from the corpus notes
    };
    const Expected files[] = {
        {"hound__waveformatex-8bit-11025Hz-mono.wav", 11025, 1, 4},
        {"pygame__car_door.wav", 11025, 1, 3735},
        {"goaudio__8bit.wav", 44100, 1, 88200},
        {"goaudio__kick.wav", 22050, 1, 8968 / 2},
        {"goaudio__kick-16b441k.wav", 44100, 2, 31128 / 4},
        {"hound__pcmwaveformat-16bit-44100Hz-mono-extra.wav", 44100, 1, 4},
        {"goaudio__listChunkInHeader.wav", 44100, 2, 91908 / 6},
        {"wavefile__16bit-8kHz-1c-reaper-region.wav", 8000, 2, 96000 / 4},
        {"hound__nonstandard-01.wav", 48000, 2, 1},
        {"hound__pop.wav", 44100, 1, 100},
        {"taglib__uint8we.wav", 8000, 2, 46986 / 2},
        {"goaudio__bwf.wav", 44100, 1, 21861 / 3},
    };
    for (const Expected& e : files)
    {
        auto bytes = testsupport::ReadBytes(corpus + "/wav/" + e.file);
        ASSERT_FALSE(bytes.empty()) << e.file;
        platform::PcmSound pcm;
        ASSERT_TRUE(platform::DecodeWav(bytes.data(), bytes.size(), &pcm)) << e.file;
        EXPECT_EQ(pcm.rate, e.rate) << e.file;
        EXPECT_EQ(pcm.channels, e.channels) << e.file;
        EXPECT_EQ(pcm.Frames(), e.frames) << e.file;
        platform::SoundSample* sample = platform::SoundSampleLoad(bytes.data(), bytes.size(), platform::kSound2D);
        EXPECT_NE(sample, nullptr) << e.file;
        EXPECT_EQ(platform::SoundSampleGetLength(sample), e.frames) << e.file;
        platform::SoundSampleFree(sample);
    }
    auto hostile = testsupport::ReadBytes(corpus + "/wav/hostile__taglib__infloop.wav");
    ASSERT_FALSE(hostile.empty());
    platform::PcmSound pcm;
    EXPECT_FALSE(platform::DecodeWav(hostile.data(), hostile.size(), &pcm));
    EXPECT_EQ(platform::SoundSampleLoad(hostile.data(), hostile.size(), platform::kSound2D), nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// Level rules

TEST(MixMathTest, InverseDistanceRolloffWithMinimumDistanceOne)
{
    // gain = 1 / (1 + rolloff x (d - 1)) beyond one unit; full level inside it.
    EXPECT_FLOAT_EQ(platform::DistanceGain(0.0f, 0.15f), 1.0f);
    EXPECT_FLOAT_EQ(platform::DistanceGain(0.5f, 0.15f), 1.0f);
    EXPECT_FLOAT_EQ(platform::DistanceGain(1.0f, 0.15f), 1.0f);
    EXPECT_FLOAT_EQ(platform::DistanceGain(11.0f, 0.15f), 0.4f);
    EXPECT_FLOAT_EQ(platform::DistanceGain(3.0f, 1.0f), 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(platform::DistanceGain(101.0f, 0.15f), 1.0f / 16.0f);
    EXPECT_FLOAT_EQ(platform::DistanceGain(50.0f, 0.0f), 1.0f);
    EXPECT_FLOAT_EQ(platform::DistanceGain(50.0f, -2.0f), 1.0f);
    EXPECT_FLOAT_EQ(platform::DistanceGain(NAN, 1.0f), 1.0f);
    // Farther is never louder.
    float previous = 2.0f;
    for (float d = 0.0f; d < 500.0f; d += 7.5f)
    {
        float gain = platform::Sound3DDistanceGain(d, 0.15f);
        EXPECT_LE(gain, previous);
        previous = gain;
    }
}

TEST(MixMathTest, ListenerPanUsesTheListenersRight)
{
    const float origin[3] = {0, 0, 0};
    const float forwardZ[3] = {0, 0, 1};
    const float forwardX[3] = {1, 0, 0};
    const float up[3] = {0, 1, 0};
    const float east[3] = {5, 0, 0};
    const float west[3] = {-5, 0, 0};
    const float north[3] = {0, 0, 5};
    EXPECT_FLOAT_EQ(platform::ListenerPan(origin, forwardZ, up, east), 255.0f);
    EXPECT_FLOAT_EQ(platform::ListenerPan(origin, forwardZ, up, west), 0.0f);
    EXPECT_FLOAT_EQ(platform::ListenerPan(origin, forwardZ, up, north), 128.0f);
    // Facing +x, a source at +z is on the left (left-handed axes).
    EXPECT_FLOAT_EQ(platform::ListenerPan(origin, forwardX, up, north), 0.0f);
    // On the listener itself, and with degenerate axes: the centre.
    EXPECT_FLOAT_EQ(platform::ListenerPan(origin, forwardZ, up, origin), 128.0f);
    EXPECT_FLOAT_EQ(platform::ListenerPan(origin, up, up, east), 128.0f);
    // 45 degrees to the right: 128 + 128 x cos 45.
    const float diagonal[3] = {3, 0, 3};
    EXPECT_NEAR(platform::ListenerPan(origin, forwardZ, up, diagonal), 128.0f + 128.0f * std::sqrt(0.5f), 1e-3f);
}

// ---------------------------------------------------------------------------------------------------------------
// Mixing

TEST_F(SoundMixerTest, SampleAtTheOutputRatePlaysUnchanged)
{
    auto tone = Sine(300, kRate, 440.0, 12000.0);
    platform::SoundSample* sample = Load(Wav16(kRate, 1, tone));
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(platform::SoundSampleGetLength(sample), 300u);
    EXPECT_EQ(platform::SoundSampleGetRate(sample), kRate);
    int channel = platform::SoundPlay(sample);
    ASSERT_GE(channel, 0);
    EXPECT_EQ(platform::SoundGetVolume(channel), 255);
    EXPECT_EQ(platform::SoundGetPan(channel), 128);
    auto out = Render(300);
    for (size_t i = 0; i < 300; ++i)
    {
        ASSERT_EQ(out[i * 2], tone[i]) << i;
        ASSERT_EQ(out[i * 2 + 1], tone[i]) << i;
    }
}

TEST_F(SoundMixerTest, VolumeAndPanScaleEachSide)
{
    platform::SoundSample* sample =
        Load(Wav16(kRate, 1, Constant(4000, 10000)), platform::kSound2D | platform::kSoundLoop);
    int channel = platform::SoundPlay(sample);
    ASSERT_GE(channel, 0);

    ASSERT_TRUE(platform::SoundSetVolume(channel, 128));
    auto out = Render(16);
    EXPECT_EQ(out[10], Scaled(10000, 128.0 / 255.0));
    EXPECT_EQ(out[11], Scaled(10000, 128.0 / 255.0));

    platform::SoundSetVolume(channel, 400); // clamped
    EXPECT_EQ(platform::SoundGetVolume(channel), 255);
    ASSERT_TRUE(platform::SoundSetPan(channel, 0));
    out = Render(16);
    EXPECT_EQ(out[10], 10000);
    EXPECT_EQ(out[11], 0);

    platform::SoundSetPan(channel, 255);
    out = Render(16);
    EXPECT_EQ(out[10], 0);
    EXPECT_EQ(out[11], 10000);

    platform::SoundSetPan(channel, 64);
    out = Render(16);
    EXPECT_EQ(out[10], 10000);
    EXPECT_EQ(out[11], Scaled(10000, 64.0 / 128.0));

    platform::SoundSetPan(channel, 192);
    out = Render(16);
    EXPECT_EQ(out[10], Scaled(10000, 63.0 / 127.0));
    EXPECT_EQ(out[11], 10000);

    platform::SoundSetVolume(channel, 0);
    out = Render(16);
    EXPECT_EQ(out[10], 0);
    EXPECT_EQ(out[11], 0);
}

TEST_F(SoundMixerTest, ChannelsAddUpAndClip)
{
    platform::SoundSample* a = Load(Wav16(kRate, 1, Constant(100, 20000)));
    platform::SoundSample* b = Load(Wav16(kRate, 1, Constant(100, -5000)));
    platform::SoundPlay(a);
    int cb = platform::SoundPlay(b);
    auto out = Render(10);
    EXPECT_EQ(out[0], 15000);
    // Two loud ones saturate rather than wrap.
    platform::SoundStop(cb);
    platform::SoundPlay(a);
    out = Render(10);
    EXPECT_EQ(out[0], 32767);
}

TEST_F(SoundMixerTest, OneShotEndsAfterItsLastFrame)
{
    platform::SoundSample* sample = Load(Wav16(kRate, 1, Constant(100, 7000)));
    int channel = platform::SoundPlay(sample);
    auto out = Render(60);
    EXPECT_EQ(out[59 * 2], 7000);
    EXPECT_TRUE(platform::SoundIsPlaying(channel));
    out = Render(60);
    EXPECT_EQ(out[39 * 2], 7000); // frame 99 of the sample
    EXPECT_EQ(out[40 * 2], 0);
    EXPECT_EQ(out[59 * 2 + 1], 0);
    EXPECT_FALSE(platform::SoundIsPlaying(channel));
    // Ending exactly on a render boundary ends it there too.
    channel = platform::SoundPlay(sample);
    Render(100);
    EXPECT_FALSE(platform::SoundIsPlaying(channel));
}

TEST_F(SoundMixerTest, StaleHandleNeverReachesTheNextSoundOnItsChannel)
{
    platform::SoundSample* shortOne = Load(Wav16(kRate, 1, Constant(10, 1000)));
    platform::SoundSample* longOne = Load(Wav16(kRate, 1, Constant(1000, 3000)));
    int first = platform::SoundPlay(shortOne);
    Render(20);
    ASSERT_FALSE(platform::SoundIsPlaying(first));
    int second = platform::SoundPlay(longOne);
    ASSERT_GE(second, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(first & 0xFF, second & 0xFF); // the same channel was reused
    EXPECT_FALSE(platform::SoundSetVolume(first, 0));
    EXPECT_FALSE(platform::SoundStop(first));
    EXPECT_FALSE(platform::SoundSetPaused(first, true));
    EXPECT_EQ(platform::SoundGetVolume(first), 0);
    EXPECT_TRUE(platform::SoundIsPlaying(second));
    EXPECT_EQ(Render(4)[0], 3000);
}

TEST_F(SoundMixerTest, LoopingSampleWrapsAround)
{
    auto ramp = Ramp(100, -5000, 100);
    platform::SoundSample* sample = Load(Wav16(kRate, 1, ramp), platform::kSound2D | platform::kSoundLoop);
    int channel = platform::SoundPlay(sample);
    auto out = Render(350);
    for (size_t i = 0; i < 350; ++i)
        ASSERT_EQ(out[i * 2], ramp[i % 100]) << i;
    EXPECT_TRUE(platform::SoundIsPlaying(channel));
    platform::SoundStop(channel);
    EXPECT_FALSE(platform::SoundIsPlaying(channel));
    EXPECT_EQ(Render(4)[0], 0);
}

TEST_F(SoundMixerTest, ResamplesLinearly)
{
    // Half the output rate: every second output frame lies halfway between two source frames.
    auto ramp = Ramp(50, 0, 200);
    platform::SoundSample* slow = Load(Wav16(kRate / 2, 1, ramp));
    int channel = platform::SoundPlay(slow);
    auto out = Render(98);
    for (size_t k = 0; k < 49; ++k)
    {
        ASSERT_EQ(out[(2 * k) * 2], ramp[k]) << k;
        ASSERT_EQ(out[(2 * k + 1) * 2], (ramp[k] + ramp[k + 1]) / 2) << k;
    }
    // It lasts twice as many output frames as it has.
    EXPECT_TRUE(platform::SoundIsPlaying(channel));
    Render(2);
    EXPECT_FALSE(platform::SoundIsPlaying(channel));

    // Twice the output rate: every second source frame is heard.
    platform::SoundSample* fast = Load(Wav16(kRate * 2, 1, ramp));
    channel = platform::SoundPlay(fast);
    out = Render(25);
    for (size_t k = 0; k < 25; ++k)
        ASSERT_EQ(out[k * 2], ramp[2 * k]) << k;
    EXPECT_FALSE(platform::SoundIsPlaying(channel));

    // A 1 kHz tone recorded at 8 kHz still has 1000 cycles a second at the output rate.
    platform::SoundSample* tone = Load(Wav16(8000, 1, Sine(8000, 8000, 1000.0, 10000.0)));
    platform::SoundPlay(tone);
    out = Render(kRate);
    int crossings = CountRisingCrossings(out, 0, kRate, 0);
    EXPECT_NEAR(crossings, 1000, 2);
}

TEST_F(SoundMixerTest, StereoSampleKeepsItsSides)
{
    std::vector<int16_t> stereo;
    for (int i = 0; i < 20; ++i)
    {
        stereo.push_back(static_cast<int16_t>(1000 + i));
        stereo.push_back(static_cast<int16_t>(-2000 - i));
    }
    platform::SoundPlay(Load(Wav16(kRate, 2, stereo)));
    auto out = Render(20);
    for (size_t i = 0; i < 40; ++i)
        ASSERT_EQ(out[i], stereo[i]) << i;
}

TEST_F(SoundMixerTest, PausedChannelHoldsItsPlace)
{
    auto ramp = Ramp(40, 100, 100);
    int channel = platform::SoundPlay(Load(Wav16(kRate, 1, ramp)));
    auto out = Render(10);
    EXPECT_EQ(out[9 * 2], ramp[9]);
    ASSERT_TRUE(platform::SoundSetPaused(channel, true));
    EXPECT_TRUE(platform::SoundGetPaused(channel));
    out = Render(100);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[199], 0);
    EXPECT_TRUE(platform::SoundIsPlaying(channel));
    platform::SoundSetPaused(channel, false);
    out = Render(10);
    EXPECT_EQ(out[0], ramp[10]);
    EXPECT_EQ(out[9 * 2], ramp[19]);
}

TEST_F(SoundMixerTest, RunsOutOfChannelsAndFreesThemAgain)
{
    platform::SoundSample* loop = Load(Wav16(kRate, 1, Constant(100, 10)), platform::kSound2D | platform::kSoundLoop);
    std::vector<int> handles;
    for (int i = 0; i < 8; ++i)
    {
        int handle = platform::SoundPlay(loop);
        ASSERT_GE(handle, 0) << i;
        handles.push_back(handle);
    }
    EXPECT_EQ(platform::SoundPlay(loop), -1);
    platform::SoundStop(handles[3]);
    int again = platform::SoundPlay(loop);
    EXPECT_EQ(again & 0xFF, handles[3] & 0xFF);
    for (int i = 0; i < 8; ++i)
    {
        EXPECT_EQ(platform::SoundIsPlaying(handles[i]), i != 3) << i;
    }
    // Freeing a sample stops every channel that plays it.
    platform::SoundSampleFree(loop);
    m_samples.clear();
    for (int handle : handles)
        EXPECT_FALSE(platform::SoundIsPlaying(handle));
    EXPECT_FALSE(platform::SoundIsPlaying(again));
    EXPECT_EQ(Render(4)[0], 0);
}

TEST_F(SoundMixerTest, SfxMasterVolumeLeavesStreamsAlone)
{
    platform::SoundSample* loop =
        Load(Wav16(kRate, 1, Constant(100, 10000)), platform::kSound2D | platform::kSoundLoop);
    platform::SoundPlay(loop);
    platform::SoundStream* stream = Keep(platform::SoundStreamCreatePcm(kRate, 1));
    ASSERT_NE(stream, nullptr);
    auto pcm = Constant(1000, 4000);
    ASSERT_TRUE(platform::SoundStreamQueuePcm(stream, pcm.data(), pcm.size()));
    ASSERT_GE(platform::SoundStreamPlay(stream), 0);

    EXPECT_EQ(Render(8)[4], 14000);
    platform::SoundSetSfxMasterVolume(0);
    EXPECT_EQ(platform::SoundGetSfxMasterVolume(), 0);
    EXPECT_EQ(Render(8)[4], 4000);
    platform::SoundSetSfxMasterVolume(128);
    EXPECT_EQ(Render(8)[4], Scaled(10000, 128.0 / 255.0) + 4000);
}

TEST_F(SoundMixerTest, PositionalChannelFallsOffWithDistance)
{
    platform::Sound3DSetRolloffFactor(0.5f);
    const float origin[3] = {0, 0, 0};
    platform::Sound3DListenerSetAttributes(origin, nullptr, 0, 0, 1, 0, 1, 0);
    platform::SoundSample* sample =
        Load(Wav16(kRate, 1, Constant(100, 9000)), platform::kSound3D | platform::kSoundLoop);
    int channel = platform::SoundPlay(sample);
    ASSERT_GE(channel, 0);

    struct Case
    {
        float z;
        double gain;
    };
    // In front of the listener: both sides alike, 1 / (1 + 0.5 (d - 1)) beyond one unit.
    for (Case c : {Case{0.5f, 1.0}, Case{1.0f, 1.0}, Case{3.0f, 0.5}, Case{5.0f, 1.0 / 3.0}, Case{21.0f, 1.0 / 11.0}})
    {
        const float position[3] = {0, 0, c.z};
        ASSERT_TRUE(platform::Sound3DSetAttributes(channel, position, nullptr));
        auto out = Render(8);
        EXPECT_NEAR(out[4], Scaled(9000, c.gain), 1) << c.z;
        EXPECT_NEAR(out[5], Scaled(9000, c.gain), 1) << c.z;
    }
    // The listener moves, not the source: the distance is what counts.
    const float position[3] = {0, 0, 5};
    platform::Sound3DSetAttributes(channel, position, nullptr);
    const float near[3] = {0, 0, 2};
    platform::Sound3DListenerSetAttributes(near, nullptr, 0, 0, 1, 0, 1, 0);
    EXPECT_NEAR(Render(8)[4], Scaled(9000, 1.0 / 2.0), 1);
    // The channel volume and the SFX master still apply on top.
    platform::SoundSetVolume(channel, 51);
    EXPECT_NEAR(Render(8)[4], Scaled(9000, 0.5 * 51.0 / 255.0), 1);
}

TEST_F(SoundMixerTest, PositionalChannelIsPannedAgainstTheListener)
{
    platform::Sound3DSetRolloffFactor(0.0f);
    const float origin[3] = {0, 0, 0};
    platform::Sound3DListenerSetAttributes(origin, nullptr, 0, 0, 1, 0, 1, 0);
    platform::SoundSample* sample =
        Load(Wav16(kRate, 1, Constant(100, 8000)), platform::kSound3D | platform::kSoundLoop);
    int channel = platform::SoundPlay(sample);

    const float right[3] = {4, 0, 0};
    platform::Sound3DSetAttributes(channel, right, nullptr);
    auto out = Render(8);
    EXPECT_EQ(out[4], 0);
    EXPECT_EQ(out[5], 8000);

    const float left[3] = {-4, 0, 0};
    platform::Sound3DSetAttributes(channel, left, nullptr);
    out = Render(8);
    EXPECT_EQ(out[4], 8000);
    EXPECT_EQ(out[5], 0);

    // Turned to face +x, the source straight ahead of the old view (+z) is on the left.
    const float ahead[3] = {0, 0, 4};
    platform::Sound3DSetAttributes(channel, ahead, nullptr);
    platform::Sound3DListenerSetAttributes(origin, nullptr, 1, 0, 0, 0, 1, 0);
    out = Render(8);
    EXPECT_EQ(out[4], 8000);
    EXPECT_EQ(out[5], 0);

    // A stereo 3D sample is folded to one voice before it is placed.
    std::vector<int16_t> split;
    for (int i = 0; i < 50; ++i)
    {
        split.push_back(6000);
        split.push_back(2000);
    }
    platform::SoundStop(channel);
    channel = platform::SoundPlay(Load(Wav16(kRate, 2, split), platform::kSound3D | platform::kSoundLoop));
    const float front[3] = {4, 0, 0}; // straight ahead of a listener facing +x
    platform::Sound3DSetAttributes(channel, front, nullptr);
    out = Render(8);
    EXPECT_EQ(out[4], 4000);
    EXPECT_EQ(out[5], 4000);
}

TEST_F(SoundMixerTest, PositionOnlyForPositionalChannelsAndListenerReadsBack)
{
    int flat = platform::SoundPlay(Load(Wav16(kRate, 1, Constant(100, 1))));
    const float p[3] = {1, 2, 3};
    const float v[3] = {4, 5, 6};
    EXPECT_FALSE(platform::Sound3DSetAttributes(flat, p, v));
    EXPECT_FALSE(platform::Sound3DSetAttributes(-1, p, v));

    platform::Sound3DListenerSetAttributes(p, v, 0, 0, 1, 0, 1, 0);
    float position[3] = {};
    float velocity[3] = {};
    float forward[3] = {};
    float up[3] = {};
    platform::Sound3DListenerGetAttributes(position, velocity, forward, up);
    EXPECT_EQ(position[2], 3.0f);
    EXPECT_EQ(velocity[0], 4.0f);
    EXPECT_EQ(forward[2], 1.0f);
    EXPECT_EQ(up[1], 1.0f);
    // A null velocity leaves the old one; null outputs are allowed.
    platform::Sound3DListenerSetAttributes(v, nullptr, 1, 0, 0, 0, 1, 0);
    platform::Sound3DListenerGetAttributes(position, velocity, nullptr, nullptr);
    EXPECT_EQ(position[0], 4.0f);
    EXPECT_EQ(velocity[2], 6.0f);
}

TEST_F(SoundMixerTest, PushedStreamPlaysWaitsAndEnds)
{
    platform::SoundStream* stream = Keep(platform::SoundStreamCreatePcm(kRate, 2));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(platform::SoundStreamGetChannels(stream), 2);
    std::vector<int16_t> frames;
    for (int i = 0; i < 100; ++i)
    {
        frames.push_back(static_cast<int16_t>(i * 10));
        frames.push_back(static_cast<int16_t>(-i * 10));
    }
    platform::SoundStreamQueuePcm(stream, frames.data(), 60);
    int channel = platform::SoundStreamPlay(stream);
    ASSERT_GE(channel, 0);
    EXPECT_EQ(platform::SoundStreamPlay(stream), -1); // already playing
    auto out = Render(80);
    for (size_t i = 0; i < 60; ++i)
        ASSERT_EQ(out[i * 2], frames[i * 2]) << i;
    EXPECT_EQ(out[70 * 2 + 1], 0);
    // Run dry but not finished: it waits, still playing, and goes on seamlessly.
    EXPECT_TRUE(platform::SoundIsPlaying(channel));
    EXPECT_EQ(platform::SoundStreamQueuedFrames(stream), 0u);
    platform::SoundStreamQueuePcm(stream, frames.data() + 120, 40);
    EXPECT_EQ(platform::SoundStreamQueuedFrames(stream), 40u);
    out = Render(40);
    for (size_t i = 0; i < 40; ++i)
        ASSERT_EQ(out[i * 2 + 1], frames[(60 + i) * 2 + 1]) << i;
    EXPECT_EQ(platform::SoundStreamGetTimeMs(stream), 100u * 1000u / kRate);
    platform::SoundStreamFinishPcm(stream);
    Render(1);
    EXPECT_FALSE(platform::SoundIsPlaying(channel));
    // Bad formats and misuse.
    EXPECT_EQ(platform::SoundStreamCreatePcm(0, 1), nullptr);
    EXPECT_EQ(platform::SoundStreamCreatePcm(kRate, 3), nullptr);
    EXPECT_FALSE(platform::SoundStreamQueuePcm(nullptr, frames.data(), 1));
}

TEST_F(SoundMixerTest, MemoryAndCpuFigures)
{
    size_t before = 0;
    platform::SoundGetMemoryStats(&before, nullptr);
    auto wav = Wav16(kRate, 1, Constant(10000, 5));
    platform::SoundSample* sample = platform::SoundSampleLoad(wav.data(), wav.size(), platform::kSound2D);
    ASSERT_NE(sample, nullptr);
    size_t loaded = 0;
    size_t highest = 0;
    platform::SoundGetMemoryStats(&loaded, &highest);
    EXPECT_GE(loaded, before + 20000);
    EXPECT_GE(highest, loaded);
    platform::SoundSampleFree(sample);
    size_t after = 0;
    platform::SoundGetMemoryStats(&after, nullptr);
    EXPECT_EQ(after, before);

    platform::SoundPlay(Load(Wav16(kRate, 1, Constant(100, 5)), platform::kSound2D | platform::kSoundLoop));
    Render(kRate + 100);
    float cpu = platform::SoundGetCpuUsage();
    EXPECT_GE(cpu, 0.0f);
    EXPECT_LT(cpu, 100.0f);
}

TEST(SoundBackEndTest, EveryCallIsSafeWithoutARunningBackEnd)
{
    platform::SoundClose();
    EXPECT_FALSE(platform::SoundIsInitialised());
    auto wav = Wav16(kRate, 1, Constant(100, 1000));
    platform::SoundSample* sample = platform::SoundSampleLoad(wav.data(), wav.size(), platform::kSound2D);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(platform::SoundPlay(sample), -1);
    EXPECT_EQ(platform::SoundPlay(nullptr), -1);
    EXPECT_FALSE(platform::SoundIsPlaying(0));
    EXPECT_FALSE(platform::SoundSetVolume(0, 10));
    EXPECT_EQ(platform::SoundGetVolume(0), 0);
    EXPECT_FALSE(platform::SoundStop(-1));
    EXPECT_FALSE(platform::SoundSetPaused(0x7FFFFFFF, true));
    EXPECT_EQ(platform::SoundGetCpuUsage(), 0.0f);
    platform::SoundStream* stream = platform::SoundStreamCreatePcm(kRate, 1);
    EXPECT_EQ(platform::SoundStreamPlay(stream), -1);
    platform::SoundStreamClose(stream);
    std::vector<int16_t> out(8, 99);
    platform::SoundRender(out.data(), 4);
    EXPECT_EQ(out, std::vector<int16_t>(8, 0));
    platform::SoundSampleFree(sample);
    platform::SoundSampleFree(nullptr);
    platform::SoundStreamClose(nullptr);
    platform::SoundUpdate();
    EXPECT_FALSE(platform::SoundInit(0, 32));
    EXPECT_FALSE(platform::SoundInit(kRate, 0));
}

// ---------------------------------------------------------------------------------------------------------------
// MP3 streams

namespace
{

class Mp3StreamTest : public SoundMixerTest
{
protected:
    int OutputRate() const override { return 44100; }

    // Renders until the stream's channel stops (at most `limit` frames); returns the frames rendered.
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

    // A one-second 440 Hz tone at 44.1 kHz, mono, encoded at 128 kbit/s.
    std::string MakeToneMp3(const testsupport::TempDir& dir, const std::string& name)
    {
        std::string wav = dir.File("tone.wav");
        testsupport::WriteBytes(wav, Wav16(44100, 1, Sine(44100, 44100, 440.0, 16000.0)));
        std::string mp3 = dir.File(name);
        if (!EncodeMp3(wav, mp3, "-b 128"))
            return "";
        return mp3;
    }
};

} // namespace

TEST_F(Mp3StreamTest, DecodesALameToneThroughThePathResolver)
{
    if (!HaveLame())
        GTEST_SKIP() << "lame is not installed";
    testsupport::TempDir dir;
    ASSERT_FALSE(MakeToneMp3(dir, "Tone.mp3").empty());
    // Any letter case and backslashes reach the file.
    std::string asked = dir.Path() + "/TONE.MP3";
    platform::SoundStream* stream = Keep(platform::SoundStreamOpen(asked));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(platform::SoundStreamGetRate(stream), 44100);
    EXPECT_EQ(platform::SoundStreamGetChannels(stream), 2);
    // One second, give or take an encoder frame.
    EXPECT_NEAR(static_cast<double>(platform::SoundStreamGetLengthMs(stream)), 1000.0, 30.0);

    int channel = platform::SoundStreamPlay(stream);
    ASSERT_GE(channel, 0);
    auto half = Render(22050);
    EXPECT_EQ(platform::SoundStreamGetTimeMs(stream), 500u);
    // 440 cycles a second: 110 rising crossings in a quarter second taken from the middle.
    EXPECT_NEAR(CountRisingCrossings(half, 11025, 11025, 0), 110, 2);
    double peak = 0.0;
    for (size_t i = 11025 * 2; i < half.size(); ++i)
        peak = std::max(peak, std::fabs(static_cast<double>(half[i])));
    EXPECT_NEAR(peak, 16000.0, 1600.0);

    auto rest = RenderToEnd(channel, 44100 * 4);
    EXPECT_FALSE(platform::SoundIsPlaying(channel));
    EXPECT_NEAR(static_cast<double>(platform::SoundStreamGetTimeMs(stream)), 1000.0, 30.0);

    // The stream's volume scales it like any channel; stop rewinds, so it plays again from the start.
    ASSERT_TRUE(platform::SoundStreamStop(stream));
    EXPECT_EQ(platform::SoundStreamGetTimeMs(stream), 0u);
    channel = platform::SoundStreamPlay(stream);
    ASSERT_GE(channel, 0);
    platform::SoundSetVolume(channel, 0);
    auto silent = Render(11025);
    EXPECT_EQ(*std::max_element(silent.begin(), silent.end()), 0);
    EXPECT_EQ(platform::SoundStreamGetTimeMs(stream), 250u);
}

TEST_F(Mp3StreamTest, PlaysAgainAfterItEnded)
{
    if (!HaveLame())
        GTEST_SKIP() << "lame is not installed";
    testsupport::TempDir dir;
    std::string mp3 = MakeToneMp3(dir, "tone.mp3");
    ASSERT_FALSE(mp3.empty());
    platform::SoundStream* stream = Keep(platform::SoundStreamOpen(mp3));
    ASSERT_NE(stream, nullptr);
    int channel = platform::SoundStreamPlay(stream);
    RenderToEnd(channel, 44100 * 4);
    ASSERT_FALSE(platform::SoundIsPlaying(channel));
    channel = platform::SoundStreamPlay(stream);
    ASSERT_GE(channel, 0);
    auto out = Render(22050);
    EXPECT_NEAR(CountRisingCrossings(out, 11025, 11025, 1), 110, 2);
}

TEST_F(Mp3StreamTest, RefusesWhatIsNotMpegAudio)
{
    testsupport::TempDir dir;
    EXPECT_EQ(platform::SoundStreamOpen(dir.File("missing.mp3")), nullptr);
    testsupport::WriteText(dir.File("notes.mp3"), std::string(5000, 'x') + "this is a text file, not audio\n");
    EXPECT_EQ(platform::SoundStreamOpen(dir.File("notes.mp3")), nullptr);
    testsupport::WriteBytes(dir.File("zeros.mp3"), std::vector<uint8_t>(20000, 0));
    EXPECT_EQ(platform::SoundStreamOpen(dir.File("zeros.mp3")), nullptr);
    testsupport::WriteBytes(dir.File("empty.mp3"), {});
    EXPECT_EQ(platform::SoundStreamOpen(dir.File("empty.mp3")), nullptr);
}

TEST_F(Mp3StreamTest, TruncatedFileEndsCleanly)
{
    if (!HaveLame())
        GTEST_SKIP() << "lame is not installed";
    testsupport::TempDir dir;
    std::string mp3 = MakeToneMp3(dir, "tone.mp3");
    ASSERT_FALSE(mp3.empty());
    auto bytes = testsupport::ReadBytes(mp3);
    for (size_t cut : {size_t{700}, bytes.size() / 3, bytes.size() - 1})
    {
        std::string path = dir.File("cut.mp3");
        testsupport::WriteBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(cut)));
        platform::SoundStream* stream = platform::SoundStreamOpen(path);
        if (stream == nullptr)
            continue; // too little left to find a frame: refused, which is fine
        int channel = platform::SoundStreamPlay(stream);
        RenderToEnd(channel, 44100 * 4);
        EXPECT_FALSE(platform::SoundIsPlaying(channel)) << cut;
        // Never longer than the whole tone.
        EXPECT_LE(platform::SoundStreamGetTimeMs(stream), 1030u) << cut;
        platform::SoundStreamClose(stream);
    }
}

TEST_F(Mp3StreamTest, CorpusFilesDecodeToTheirKnownLength)
{
    std::string corpus = testsupport::CorpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "no corpus folder";
    struct Expected
    {
        const char* file;
        int rate;
        int channels;
        long samples; // decoded values (frames x channels) an independent decoder reports for the file
    };
    const Expected files[] = {
        {"minimp3__l3-hecommon.mp3", 44100, 2, 69120},
        {"minimp3__M2L3_bitrate_22_all.mp3", 22050, 1, 274176},
        {"taglib__mpeg2.mp3", 22050, 1, 111791},
        {"fastled__jazzy_percussion.mp3", 44100, 2, 350002},
        {"minimp3__l3-nonstandard-sin1k0db_lame_vbrtag.mp3", 44100, 2, 725760},
        {"taglib__rare_frames.mp3", 44100, 2, 39168},
        {"taglib__id3v22-tda.mp3", 44100, 2, 78336},
        {"minimp3__l3-nonstandard-id3v2.mp3", 48000, 1, 1152},
        {"minimp3__l3-nonstandard-id3v1.mp3", 48000, 1, 1152},
        {"pygame__house_lo.mp3", 11025, 1, 80064},
    };
    for (const Expected& e : files)
    {
        platform::SoundStream* stream = platform::SoundStreamOpen(corpus + "/mp3/" + e.file);
        ASSERT_NE(stream, nullptr) << e.file;
        EXPECT_EQ(platform::SoundStreamGetRate(stream), e.rate) << e.file;
        int channel = platform::SoundStreamPlay(stream);
        ASSERT_GE(channel, 0) << e.file;
        auto out = RenderToEnd(channel, 44100 * 30);
        EXPECT_FALSE(platform::SoundIsPlaying(channel)) << e.file;
        bool audible = false;
        for (int16_t v : out)
            audible = audible || v != 0;
        EXPECT_TRUE(audible) << e.file;
        // The decoded length, within one MPEG frame (decoders may differ in how they treat encoder delay).
        double expectedMs = static_cast<double>(e.samples / e.channels) * 1000.0 / e.rate;
        double frameMs = 1152.0 * 1000.0 / e.rate;
        EXPECT_NEAR(static_cast<double>(platform::SoundStreamGetTimeMs(stream)), expectedMs, frameMs) << e.file;
        platform::SoundStreamClose(stream);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// The real device path, on SDL's disk driver: a looping tone mixed by the callback lands in the output file.

namespace
{

class ScopedEnv
{
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
        {
            m_had = true;
            m_old = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_had)
            setenv(m_name, m_old.c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had = false;
    std::string m_old;
};

} // namespace

TEST(SoundDeviceTest, DiskDriverReceivesTheMixedOutput)
{
    testsupport::TempDir dir;
    std::string output = dir.File("out.raw");
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", output);
    ScopedEnv delay("SDL_DISKAUDIODELAY", "0");
    platform::SoundUseManualMixing(false);
    if (!platform::SoundInit(kRate, 4))
        GTEST_SKIP() << "SDL has no disk audio driver here";
    EXPECT_GT(platform::SoundGetOutputRate(), 0);
    auto wav = Wav16(kRate, 1, Constant(500, 6000));
    platform::SoundSample* sample =
        platform::SoundSampleLoad(wav.data(), wav.size(), platform::kSound2D | platform::kSoundLoop);
    int channel = platform::SoundPlay(sample);
    ASSERT_GE(channel, 0);
    platform::SoundSetVolume(channel, 51);
    platform::SoundSetPan(channel, 0);
    const int expected = Scaled(6000, 51.0 / 255.0);
    // Let the callback run until a good stretch of output has been written.
    auto started = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - started < std::chrono::seconds(5))
    {
        std::error_code ec;
        if (std::filesystem::file_size(output, ec) > 200000 && !ec)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    platform::SoundClose();
    platform::SoundSampleFree(sample);

    auto bytes = testsupport::ReadBytes(output);
    ASSERT_GE(bytes.size(), 4u);
    size_t toneFrames = 0;
    size_t otherFrames = 0;
    for (size_t i = 0; i + 3 < bytes.size(); i += 4)
    {
        auto left = static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8));
        auto right = static_cast<int16_t>(bytes[i + 2] | (bytes[i + 3] << 8));
        if (left == expected && right == 0)
            ++toneFrames;
        else if (left != 0 || right != 0)
            ++otherFrames;
    }
    // Silence before the tone started, then the tone at its level on the left only; nothing else.
    EXPECT_GT(toneFrames, 1000u);
    EXPECT_EQ(otherFrames, 0u);
}
