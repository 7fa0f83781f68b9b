// Tests of the movie platform layer: the system-stream demultiplexer on hand-built and hostile streams, the
// decoder on movies made at test time and on the shared corpus, and the screen's placement of pictures.
#include "platform/audio/Mp3Decoder.h"
#include "platform/audio/Sound.h"
#include "platform/movie/MovieScreen.h"
#include "platform/movie/MovieStream.h"
#include "platform/movie/MpegDemuxer.h"

#include "tests/platform/SdlTestEvents.h"
#include "tests/platform/audio/AudioTestFiles.h"
#include "tests/platform/movie/MovieTestFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

using namespace movietest;
using platform::MovieStream;
using platform::MpegDemuxer;

std::vector<uint8_t> Bytes(size_t count, uint8_t first)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(first + i);
    return bytes;
}

struct Taken
{
    uint8_t streamId;
    std::vector<uint8_t> payload;
    bool hasPts = false;
    int64_t pts = 0;
    bool operator==(const Taken&) const = default;
};

std::vector<Taken> TakeAll(MpegDemuxer& demuxer)
{
    std::vector<Taken> all;
    platform::MpegPacket p;
    while (demuxer.NextPacket(&p) && all.size() < 10000)
        all.push_back({p.streamId, std::vector<uint8_t>(p.data, p.data + p.size), p.hasPts, p.pts});
    return all;
}

// The bytes written to a file and opened with a demultiplexer.
struct DemuxFile
{
    explicit DemuxFile(const std::vector<uint8_t>& bytes) : opened(Open(bytes)) {}
    bool Open(const std::vector<uint8_t>& bytes)
    {
        testsupport::WriteBytes(dir.File("a.mpg"), bytes);
        return demuxer.Open(dir.File("a.mpg"));
    }

    testsupport::TempDir dir;
    MpegDemuxer demuxer;
    bool opened;
};

// Pictures handed out at once, with and without the sound.
const MovieStream::Options kUnpaced{.audio = false, .paced = false};
const MovieStream::Options kUnpacedWithSound{.audio = true, .paced = false};

// Plays a stream to its end (bounded) and returns the number of pictures.
uint32_t PlayOut(MovieStream& stream)
{
    for (int i = 0; i < 100000 && stream.Update(); ++i)
    {
    }
    return stream.GetFramesDecoded();
}

// ---------------------------------------------------------------------------------------------------------------
// Demultiplexer

TEST(MpegDemuxerTest, PacketHeadersOfBothVersionsAreStrippedAndTimeStampsRead)
{
    std::vector<uint8_t> file;
    AppendPack1(file);
    AppendPacket(file, 0xBB, {}, {0x80, 0x01, 0x01, 0x04, 0xE1, 0xFF, 0xE0, 0xE0, 0x2E}); // system header: skipped
    std::vector<uint8_t> header = {0xFF, 0xFF, 0x60, 0x2E}; // two stuffing bytes, a buffer size, a time stamp
    AppendTimeStamp(header, 0x2, 90000);
    AppendPacket(file, 0xE0, header, Bytes(40, 1));
    AppendPacket(file, 0xBE, {}, std::vector<uint8_t>(30, 0xFF)); // padding is not handed out
    header.clear();                                               // both time stamps; the largest 33-bit value
    AppendTimeStamp(header, 0x3, (int64_t{1} << 33) - 1);
    AppendTimeStamp(header, 0x1, 5);
    AppendPacket(file, 0xC0, header, Bytes(25, 100));
    AppendPack1(file);
    AppendPacket(file, 0xE0, {0x0F}, Bytes(7, 200)); // no time stamp
    Append(file, {0x00, 0x00, 0x01, 0xB9});          // program end
    // MPEG-2: optional fields of 7 bytes (a time stamp and 2 stuffing bytes), and a pack with stuffing.
    AppendPack2(file, 3);
    header = {0x81, 0x80, 0x07};
    AppendTimeStamp(header, 0x2, 3600);
    Append(header, {0xFF, 0xFF});
    AppendPacket(file, 0xE1, header, Bytes(33, 7));
    AppendPacket(file, 0xC2, {0x81, 0x00, 0x00}, Bytes(12, 50));
    AppendPacket(file, 0xBE, {}, std::vector<uint8_t>(8, 0xFF)); // padding that ends the file exactly

    DemuxFile d(file);
    ASSERT_TRUE(d.opened);
    EXPECT_EQ(d.demuxer.GetKind(), MpegDemuxer::Kind::SystemStream);
    EXPECT_EQ(TakeAll(d.demuxer), (std::vector<Taken>{{0xE0, Bytes(40, 1), true, 90000},
                                                      {0xC0, Bytes(25, 100), true, (int64_t{1} << 33) - 1},
                                                      {0xE0, Bytes(7, 200)},
                                                      {0xE1, Bytes(33, 7), true, 3600},
                                                      {0xC2, Bytes(12, 50)}}));
    EXPECT_EQ(d.demuxer.GetJunkBytes() + d.demuxer.GetDamagedPackets(), 0u);
    // A stream packet that ends the file exactly is whole.
    file.clear();
    AppendPack1(file);
    AppendPacket(file, 0xE0, {0x0F}, Bytes(9, 3));
    ASSERT_TRUE(d.Open(file));
    EXPECT_EQ(TakeAll(d.demuxer), (std::vector<Taken>{{0xE0, Bytes(9, 3)}}));
    EXPECT_EQ(d.demuxer.GetJunkBytes() + d.demuxer.GetDamagedPackets(), 0u);
}

TEST(MpegDemuxerTest, JunkAndDamagedPacketsAreSteppedOverInsideTheFile)
{
    // Five zeros before the first pack, five stray bytes, and a picture start code where a packet belongs.
    std::vector<uint8_t> file(5, 0x00);
    AppendPack1(file);
    Append(file, {0x12, 0x34, 0x00, 0x00, 0x56});
    AppendPacket(file, 0xE0, {0x0F}, Bytes(4, 9));
    Append(file, {0x00, 0x00, 0x01, 0x00});
    AppendPacket(file, 0xE0, {0x0F}, Bytes(4, 19));
    Append(file, {0x00, 0x00, 0x01, 0xE0, 0x00}); // the file ends inside a packet's length
    DemuxFile d(file);
    EXPECT_EQ(TakeAll(d.demuxer), (std::vector<Taken>{{0xE0, Bytes(4, 9)}, {0xE0, Bytes(4, 19)}}));
    EXPECT_EQ(std::tuple(d.demuxer.GetJunkBytes(), d.demuxer.GetDamagedPackets()), std::tuple(5u + 5u + 4u, 1u));
    // An MPEG-2 header whose optional fields run past its packet, an MPEG-1 header with too much stuffing and a
    // time stamp that does not fit are dropped; the last packet claims 4000 bytes but the file ends after 10.
    file.clear();
    AppendPack2(file, 0);
    AppendPacket(file, 0xE0, {0x80, 0x80, 0xF0}, Bytes(8, 1));
    AppendPacket(file, 0xE0, std::vector<uint8_t>(17, 0xFF), {0x0F, 1, 2});
    AppendPacket(file, 0xC0, {0x21, 0x00}, {});
    AppendPacket(file, 0xC0, {0x0F}, Bytes(3, 70));
    Append(file, {0x00, 0x00, 0x01, 0xE0, 0x0F, 0xA1, 0x0F});
    std::vector<uint8_t> tail = Bytes(10, 60);
    file.insert(file.end(), tail.begin(), tail.end());
    ASSERT_TRUE(d.Open(file));
    EXPECT_EQ(TakeAll(d.demuxer), (std::vector<Taken>{{0xC0, Bytes(3, 70)}, {0xE0, tail}}));
    EXPECT_EQ(d.demuxer.GetDamagedPackets(), 4u);
    // A stretch of junk longer than the read buffer (128 KiB) between two packets is counted byte for byte.
    file.clear();
    AppendPack1(file);
    AppendPacket(file, 0xE0, {0x0F}, Bytes(4, 9));
    file.insert(file.end(), 300000, 0x55);
    AppendPacket(file, 0xE0, {0x0F}, Bytes(4, 19));
    ASSERT_TRUE(d.Open(file));
    EXPECT_EQ(TakeAll(d.demuxer), (std::vector<Taken>{{0xE0, Bytes(4, 9)}, {0xE0, Bytes(4, 19)}}));
    EXPECT_EQ(d.demuxer.GetJunkBytes(), 300000u);
}

TEST(MpegDemuxerTest, BareVideoPassesThroughWholeAndOtherFilesAreRefused)
{
    std::vector<uint8_t> file = {0x00, 0x00, 0x01, 0xB3};
    for (size_t i = 0; i < 3 * MpegDemuxer::kElementaryChunk + 123; ++i)
        file.push_back(static_cast<uint8_t>(i * 7));
    DemuxFile d(file);
    EXPECT_EQ(d.demuxer.GetKind(), MpegDemuxer::Kind::VideoElementary);
    std::vector<uint8_t> joined;
    for (const Taken& t : TakeAll(d.demuxer))
        joined.insert(joined.end(), t.payload.begin(), t.payload.end());
    EXPECT_EQ(joined, file);
    // Text, and a pack header beyond the probe window.
    std::vector<uint8_t> late(MpegDemuxer::kProbeBytes + 16, 0x55);
    AppendPack1(late);
    for (const auto& bad : {std::vector<uint8_t>{'n', 'o', 't', '\n'}, late})
    {
        EXPECT_FALSE(d.Open(bad));
        EXPECT_TRUE(TakeAll(d.demuxer).empty());
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Decoder

// A clock for paced movies: every reading moves it 10 ms on and mixes those 10 ms of the sound back end's output,
// as a device in step with the clock would, keeping what was mixed.
class MovieClock : public testsupport::ManualTimeSource
{
public:
    static constexpr uint32_t kStepMs = 10;

    // A movie still waiting after a minute waits for a stamp far off: the clock jumps there, and the test sees it.
    uint32_t TickCount() override
    {
        if (ticks > 60000)
            ticks = 1u << 31;
        uint32_t now = ticks;
        ticks += kStepMs;
        if (int rate = platform::SoundGetOutputRate(); rate > 0)
        {
            std::vector<int16_t> out(static_cast<size_t>(rate / 100) * 2);
            platform::SoundRender(out.data(), rate / 100);
            mixed.insert(mixed.end(), out.begin(), out.end());
        }
        return now;
    }

    // Waiting takes no real time: the clock runs on as it is read.
    void Sleep(uint32_t) override {}

    // The clock's time since `start` as the last reading gave it.
    uint32_t LastReading(uint32_t start) const { return ticks - kStepMs - start; }

    std::vector<int16_t> mixed; // stereo frames from the first reading on
};

// The grey a flat picture of studio-range luma `luma` shows: equal channels at (luma - 16) x 255 / 219.
int GreyOf(int luma)
{
    return static_cast<int>(std::lround((luma - 16) * 255.0 / 219.0));
}

// Whether every colour channel of the pixel lies within 6 of the grey.
bool IsGrey(uint32_t pixel, int grey)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((pixel >> shift) & 0xFF) - grey) > 6)
            return false;
    return true;
}

// A picture as it was handed out: the clock's time (from Run) and its centre pixel.
struct Shown
{
    uint32_t at;
    uint32_t centre;
};

// Movies with their sound on the back end, mixed by hand.
class PacedMovieTest : public ::testing::Test
{
protected:
    void SetUp() override { platform::SoundUseManualMixing(true); }
    void TearDown() override
    {
        platform::SoundClose();
        platform::SoundUseManualMixing(false);
    }

    // Plays the movie to its end on the clock: each picture as it was handed out, and the time the movie ended.
    // `soundEndMs` (when not 0) is where the sound ends on the clock: at every picture the sound must be decoded
    // 40 ms beyond it, or to its end.
    std::vector<Shown> PlayPaced(MovieStream& stream, uint32_t* endTime, double soundEndMs = 0.0)
    {
        uint32_t start = m_clock.ticks;
        stream.Run();
        std::vector<Shown> shown;
        for (int i = 0; i < 10000 && stream.Update(); ++i)
        {
            if (stream.GetFramesDecoded() == shown.size())
                continue;
            const platform::MovieFrame& frame = stream.GetFrame();
            shown.push_back({m_clock.LastReading(start),
                             frame.pixels[static_cast<size_t>(frame.height / 2) * frame.width + frame.width / 2]});
            if (soundEndMs > 0.0)
            {
                EXPECT_GE(stream.GetAudioEndMs(), std::min(stream.GetFrameTimeMs() + 40.0, soundEndMs - 1.0))
                    << "picture " << shown.size();
            }
        }
        *endTime = m_clock.LastReading(start);
        return shown;
    }

    // Opens the shared corpus's movie with sound into *stream; leaves it null (and the test skipped or failed)
    // when the corpus folder is absent or the movie does not open.
    static void OpenCorpusMovie(std::unique_ptr<MovieStream>* stream)
    {
        const std::string corpus = testsupport::CorpusDir();
        if (corpus.empty())
            GTEST_SKIP() << "corpus folder is absent";
        *stream = MovieStream::Open(corpus + "/mpeg/fastled__test_audio_video.mpg", MovieStream::Options{});
        ASSERT_TRUE(*stream);
    }

    MovieClock m_clock;
};

// Each picture is handed out at the first reading of the clock at or after its time (readings 10 ms apart), and,
// when `frames` is given, shows the grey of picture i of a movie of that many.
void ExpectShownAt(const std::vector<Shown>& shown, const std::vector<double>& due, int frames = 0)
{
    ASSERT_EQ(shown.size(), due.size());
    for (size_t i = 0; i < due.size(); ++i)
    {
        EXPECT_GE(shown[i].at, due[i]) << "picture " << i;
        EXPECT_LE(shown[i].at, due[i] + MovieClock::kStepMs) << "picture " << i;
        EXPECT_TRUE(!frames || IsGrey(shown[i].centre, GreyOf(PictureLuma(static_cast<int>(i), frames))))
            << "picture " << i;
    }
}

// Frames of the first non-zero output value in stereo frames.
size_t FirstSound(const std::vector<int16_t>& stereo)
{
    auto it = std::find_if(stereo.begin(), stereo.end(), [](int16_t v) { return v != 0; });
    return static_cast<size_t>(it - stereo.begin()) / 2;
}

TEST_F(PacedMovieTest, ElementaryVideoGivesEveryPictureInOrderAtItsTimeAndHoldsTheLastForItsPeriod)
{
    if (!HaveTools(false))
        GTEST_SKIP() << "mpeg2enc is not installed";
    testsupport::TempDir dir;
    constexpr int kFrames = 12;
    // 40 x 24 is not a whole number of macroblocks wide: the picture is cropped from the coded size.
    ASSERT_TRUE(MakeVideo(dir.Path(), "grey.m1v", 40, 24, kFrames));
    std::unique_ptr<MovieStream> stream = MovieStream::Open(dir.File("grey.m1v"), {.audio = false});
    ASSERT_TRUE(stream);
    EXPECT_EQ(std::tuple(stream->GetWidth(), stream->GetHeight(), stream->GetFrameRate()), std::tuple(40, 24, 25.0));
    // No time stamps: picture i is due i x 40 ms after the start, and is handed out then, not a picture later. The
    // last stays up for its 40 ms; then the movie ends, and stays ended.
    uint32_t end = 0;
    std::vector<double> due;
    for (int i = 0; i < kFrames; ++i)
        due.push_back(40.0 * i);
    ExpectShownAt(PlayPaced(*stream, &end), due, kFrames);
    EXPECT_EQ(stream->GetFrame().pixels.size(), 40u * 24u);
    EXPECT_GE(end, 12u * 40u);
    EXPECT_LT(end, 12u * 40u + 2 * MovieClock::kStepMs);
    EXPECT_FALSE(stream->Update());
}

// Hand-stamped movies of 12 grey pictures (two groups with B pictures, coded out of display order) and 0.5 s of
// a 440 Hz tone: the clock starts at the earlier first stamp of picture or sound; the pictures come out at their
// stamps and the sound starts at its own. Stamps far from the rest are not trusted.
TEST_F(PacedMovieTest, StampsPlacePicturesAndTheSoundOnTheClock)
{
    if (!HaveTools(false) || std::system("command -v mp2enc >/dev/null") != 0)
        GTEST_SKIP() << "mjpegtools are not installed";
    testsupport::TempDir dir;
    constexpr int kFrames = 12;
    ASSERT_TRUE(MakeVideo(dir.Path(), "v.m1v", 32, 32, kFrames, {}, "-R 2 -g 6 -G 6") &&
                MakeAudio(dir.Path(), "a.mp2", 22050));
    const std::vector<CodedPicture> pictures = SplitPictures(testsupport::ReadBytes(dir.File("v.m1v")));
    const std::vector<std::vector<uint8_t>> sound = SplitMp2Frames(testsupport::ReadBytes(dir.File("a.mp2")), 128);
    ASSERT_EQ(pictures.size(), static_cast<size_t>(kFrames));
    constexpr int64_t kMs = 90, kDay = 24 * 3600 * 1000 * kMs;
    struct Case
    {
        const char* what;
        int64_t first;       // the first picture's stamp
        int64_t soundAt;     // the sound's first stamp after the first picture's
        int64_t pauseFrom6;  // added to the stamps of pictures 6 on
        int64_t picture6;    // added to picture 6's stamp only
        double soundMs;      // where the sound starts on the clock
        double firstPicture; // where picture 0 is due; picture i is due 40 i ms later, and the pause after 5
        double pause;
    };
    const Case cases[] = {
        {"sound 300 ms after the pictures, a pause after picture 5", 1000 * kMs, 300 * kMs, 200 * kMs, 0, 300, 0, 200},
        {"sound 200 ms before the pictures", 1000 * kMs, -200 * kMs, 0, 0, 0, 200, 0},
        {"sound stamped a day after the pictures", 1000 * kMs, kDay, 0, 0, 0, 0, 0},
        {"picture 6 stamped a day late", 1000 * kMs, 0, 0, kDay, 0, 0, 0},
        {"stamps past 32 bits", (int64_t{1} << 32) + 1000 * kMs, 0, 0, 0, 0, 0, 0},
        // At the 10 s limit stamps are still trusted; one tick past it they are not.
        {"sound 10 s after the pictures", 1000 * kMs, 10000 * kMs, 0, 0, 10000, 0, 0},
        {"sound 10 s and a tick after the pictures", 1000 * kMs, 10000 * kMs + 1, 0, 0, 0, 0, 0},
        {"picture 6 stamped 10 s after picture 5's time", 1000 * kMs, 0, 9960 * kMs, 0, 0, 0, 9960},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<StampedPacket> packets;
        for (size_t k = 0; k < pictures.size(); ++k)
        {
            int d = pictures[k].displayIndex;
            int64_t pts = c.first + 40 * kMs * d + (d >= 6 ? c.pauseFrom6 : 0) + (d == 6 ? c.picture6 : 0);
            packets.push_back({0xE0, pts, pictures[k].bytes, c.first + 40 * kMs * static_cast<int64_t>(k) - 1});
        }
        for (size_t k = 0; k < sound.size(); ++k)
        {
            int64_t at = c.first + static_cast<int64_t>(k) * 1152 * 90000 / 44100;
            packets.push_back({0xC0, at + c.soundAt, sound[k], at - 200 * kMs});
        }
        testsupport::WriteBytes(dir.File("movie.mpg"), Multiplex(packets));
        m_clock.mixed.clear();
        std::unique_ptr<MovieStream> stream = MovieStream::Open(dir.File("movie.mpg"), {});
        ASSERT_TRUE(stream);
        const double soundEnd = c.soundMs + sound.size() * 1152 / 44.1;
        uint32_t end = 0;
        std::vector<Shown> shown = PlayPaced(*stream, &end, soundEnd);
        std::vector<double> due;
        for (int i = 0; i < kFrames; ++i)
            due.push_back(c.firstPicture + 40.0 * i + (i >= 6 ? c.pause : 0.0));
        ExpectShownAt(shown, due, kFrames);
        // Every MP2 frame comes back as 1152 samples, heard from the sound's start at its pitch (110 cycles in a
        // quarter second); the movie lasts until both the sound and the last picture's period have run out.
        EXPECT_EQ(std::tuple(stream->GetAudioRate(), stream->GetAudioChannels(), stream->GetAudioFramesDecoded()),
                  std::tuple(44100, 1, uint64_t{1152} * sound.size()));
        const auto& mixed = m_clock.mixed;
        EXPECT_NEAR(FirstSound(mixed) / 44.1, c.soundMs, 30.0);
        EXPECT_NEAR(audiotest::CountRisingCrossings(mixed, FirstSound(mixed) + 2205, 11025, 0), 110, 3);
        EXPECT_GE(end, std::max(soundEnd, due.back() + 40.0) - MovieClock::kStepMs);
        EXPECT_LT(end, std::max(soundEnd, due.back() + 40.0) + 3 * MovieClock::kStepMs);
    }
}

TEST_F(PacedMovieTest, CorpusMovieKeepsItsSoundWithItsPicturesAndLastsItsOwnLength)
{
    // 25 pictures at 25 a second in one packet stamped 48600 (90 kHz units), and MP2 sound from 47618 on: the
    // clock starts with the sound, and picture k is due (48600 - 47618) / 90 + 40 k ms later.
    std::unique_ptr<MovieStream> stream;
    OpenCorpusMovie(&stream);
    if (!stream)
        return;
    uint32_t end = 0;
    std::vector<double> due;
    for (int k = 0; k < 25; ++k)
        due.push_back((48600 - 47618) / 90.0 + 40.0 * k);
    ExpectShownAt(PlayPaced(*stream, &end), due);
    // The sound is heard from the first 10 ms on (not after the last picture), and the movie of a second of
    // pictures and a little more sound ends with its sound.
    EXPECT_LT(FirstSound(m_clock.mixed), 441u * 2);
    EXPECT_GE(end, 1000u);
    EXPECT_LT(end, 1150u);
    EXPECT_GE(end, stream->GetAudioEndMs());
}

// A movie with sound starts the back end with four channels: its own sound takes one, and three more sounds can play
// beside it until the movie ends.
TEST_F(PacedMovieTest, AMovieWithSoundLeavesThreeChannelsForOtherSounds)
{
    std::unique_ptr<MovieStream> stream;
    OpenCorpusMovie(&stream);
    if (!stream)
        return;
    for (int i = 0; i < 5 && stream->Update(); ++i)
    {
    }
    ASSERT_TRUE(platform::SoundIsInitialised());
    const std::vector<uint8_t> wav = audiotest::Wav16(22050, 1, std::vector<int16_t>(22050, 1000));
    platform::SoundSample* sample = platform::SoundSampleLoad(wav.data(), wav.size(), platform::kSound2D);
    ASSERT_NE(sample, nullptr);
    int played = 0;
    while (played < 10 && platform::SoundPlay(sample) >= 0)
        ++played;
    EXPECT_EQ(played, 3);
    platform::SoundSampleFree(sample);
}

TEST(MovieStreamTest, ColoursComeOutInTheirPlace)
{
    if (!HaveTools(false))
        GTEST_SKIP() << "mpeg2enc is not installed";
    testsupport::TempDir dir;
    // Studio-range Y 120, Cb 90, Cr 170, by the BT.601 equations: R = 1.164 (Y - 16) + 1.596 (Cr - 128),
    // G = 1.164 (Y - 16) - 0.392 (Cb - 128) - 0.813 (Cr - 128), B = 1.164 (Y - 16) + 2.017 (Cb - 128).
    const Yuv colour{120, 90, 170};
    ASSERT_TRUE(MakeVideo(dir.Path(), "colour.m1v", 16, 16, 3, colour));
    std::unique_ptr<MovieStream> stream = MovieStream::Open(dir.File("colour.m1v"), kUnpaced);
    ASSERT_TRUE(stream && stream->Update());
    double y = 1.164 * (colour.y - 16), cb = colour.cb - 128.0, cr = colour.cr - 128.0;
    const double expected[3] = {y + 1.596 * cr, y - 0.392 * cb - 0.813 * cr, y + 2.017 * cb};
    uint32_t pixel = stream->GetFrame().pixels[8 * 16 + 8];
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(static_cast<int>((pixel >> (16 - 8 * c)) & 0xFF), expected[c], 8) << "channel " << c;
}

TEST(MovieStreamTest, DamagedMoviesEndEarlyOrAreRefused)
{
    if (!HaveTools(false))
        GTEST_SKIP() << "mpeg2enc is not installed";
    testsupport::TempDir dir;
    ASSERT_TRUE(MakeVideo(dir.Path(), "whole.m1v", 32, 32, 20));
    std::vector<uint8_t> whole = testsupport::ReadBytes(dir.File("whole.m1v"));
    auto open = [&](const std::vector<uint8_t>& bytes)
    {
        testsupport::WriteBytes(dir.File("damaged.m1v"), bytes);
        return MovieStream::Open(dir.File("damaged.m1v"), kUnpaced);
    };
    // A few bytes changed at random: whatever decodes, the movie ends (a few hundred bytes hold no thousand
    // pictures), and it decodes alike whatever the heap held before (damage leaves decoder state unset).
    auto decode = [&](const std::vector<uint8_t>& bytes)
    {
        std::vector<uint32_t> pixels;
        std::unique_ptr<MovieStream> stream = open(bytes);
        for (int i = 0; stream && i < 2000 && stream->Update(); ++i)
            pixels.insert(pixels.end(), stream->GetFrame().pixels.begin(), stream->GetFrame().pixels.end());
        return pixels;
    };
    uint32_t seed = 5;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int variant = 0; variant < 20; ++variant)
    {
        std::vector<uint8_t> damaged = whole;
        for (uint32_t k = next() % 10 + 1; k > 0; --k)
            damaged[30 + next() % (whole.size() - 30)] = static_cast<uint8_t>(next());
        std::vector<uint32_t> first = decode(damaged);
        EXPECT_LT(first.size(), 1000u * 32 * 32);
        std::vector<void*> blocks; // freed blocks full of 0xA5, for the next allocations to find
        for (size_t size = 100000; size >= 100; size /= 2)
            blocks.push_back(std::memset(std::malloc(size), 0xA5, size));
        for (void* block : blocks)
            std::free(block);
        EXPECT_TRUE(decode(damaged) == first) << variant;
    }
    std::unique_ptr<MovieStream> stream;
    // The first picture without its second slice (its lower macroblock row): the rows no slice reached are black.
    std::vector<ptrdiff_t> codes; // where each start code begins
    for (size_t i = 0; i + 3 < whole.size(); ++i)
        if (whole[i] == 0 && whole[i + 1] == 0 && whole[i + 2] == 1)
            codes.push_back(static_cast<ptrdiff_t>(i));
    auto slice = std::find_if(codes.begin(), codes.end(), [&](ptrdiff_t at) { return whole[at + 3] == 2; });
    ASSERT_LT(slice + 1, codes.end());
    std::vector<uint8_t> holed = whole;
    holed.erase(holed.begin() + slice[0], holed.begin() + slice[1]);
    stream = open(holed);
    ASSERT_TRUE(stream && stream->Update());
    EXPECT_TRUE(IsGrey(stream->GetFrame().pixels[8 * 32 + 16], GreyOf(PictureLuma(0, 20))));
    EXPECT_TRUE(IsGrey(stream->GetFrame().pixels[24 * 32 + 16], 0));
    // A sequence header claiming 4095 x 4095 pixels: no movie.
    std::fill(whole.begin() + 4, whole.begin() + 7, 0xFF);
    EXPECT_FALSE(open(whole));
    // A file of nothing but a sequence header (32 x 32, 25 pictures a second) and a group header: it opens, and
    // ends with no picture.
    stream = open({0x00, 0x00, 0x01, 0xB3, 0x02, 0x00, 0x20, 0x13, 0xFF, 0xFF,
                   0xE0, 0x18, 0x00, 0x00, 0x01, 0xB8, 0x00, 0x08, 0x00, 0x40});
    ASSERT_TRUE(stream);
    EXPECT_EQ(PlayOut(*stream), 0u);
}

// A movie whose first picture comes only after minutes of sound: the sound read before it is not all kept. It
// reaches the sound back end when the movie opens, and what the back end then holds stays within the bound on
// kept sound (allowing for its queue growing to twice what it holds) instead of the whole five minutes.
TEST(MovieStreamTest, SoundBeforeTheFirstPictureIsKeptWithinTheBound)
{
    if (!HaveTools(true))
        GTEST_SKIP() << "mjpegtools are not installed";
    testsupport::TempDir dir;
    constexpr int kSeconds = 300;
    ASSERT_TRUE(MakeAudio(dir.Path(), "long.mp2", 44100 * kSeconds, 32));
    ASSERT_TRUE(MakeVideo(dir.Path(), "short.m1v", 32, 32, 5));
    const std::vector<uint8_t> sound = testsupport::ReadBytes(dir.File("long.mp2"));
    const std::vector<uint8_t> video = testsupport::ReadBytes(dir.File("short.m1v"));
    std::vector<uint8_t> movie;
    AppendPack1(movie);
    // MPEG-1 packets without stamps: the one header byte 0x0F, then up to 2000 bytes of data.
    auto appendAll = [&](uint8_t streamId, const std::vector<uint8_t>& bytes)
    {
        for (size_t at = 0; at < bytes.size(); at += 2000)
            AppendPacket(
                movie, streamId, {0x0F},
                std::vector<uint8_t>(bytes.begin() + static_cast<ptrdiff_t>(at),
                                     bytes.begin() + static_cast<ptrdiff_t>(std::min(at + 2000, bytes.size()))));
    };
    appendAll(0xC0, sound);
    appendAll(0xE0, video);
    testsupport::WriteBytes(dir.File("late.mpg"), movie);

    // The sound alone, held whole, would take this many bytes.
    constexpr size_t kBytesPerFrame = platform::Mp3Decoder::kChannels * sizeof(int16_t);
    ASSERT_GT(size_t{44100} * kSeconds * kBytesPerFrame, 2 * MovieStream::kMaxQueuedAudioFrames * kBytesPerFrame);
    size_t before = 0;
    platform::SoundGetMemoryStats(&before, nullptr);
    std::unique_ptr<MovieStream> stream = MovieStream::Open(dir.File("late.mpg"), kUnpacedWithSound);
    ASSERT_TRUE(stream);
    ASSERT_TRUE(stream->IsAudioOpen());
    size_t after = 0;
    platform::SoundGetMemoryStats(&after, nullptr);
    EXPECT_GT(after, before);
    EXPECT_LE(after - before, 2 * MovieStream::kMaxQueuedAudioFrames * kBytesPerFrame);
    // The movie still plays its pictures.
    EXPECT_EQ(PlayOut(*stream), 5u);
}

// Movies cut at every byte: each opens or not, and plays to an end without harm; every picture handed out is
// whole (in a made movie: flat at the grey of its place), never one the cut left partly undecoded, and a longer
// cut gives no fewer pictures.
TEST(MovieStreamTest, MoviesCutAtEveryByteEndCleanly)
{
    testsupport::TempDir dir;
    std::vector<std::pair<std::vector<uint8_t>, int>> movies; // the bytes, and the pictures of a made movie
    // The corpus file cut just after its sequence header (where its end-of-stream picture was never decoded).
    if (std::string corpus = testsupport::CorpusDir(); !corpus.empty())
        movies.push_back({testsupport::ReadBytes(corpus + "/mpeg/fastled__file.mpeg"), 0});
    if (HaveTools(true) && MakeSystemStream(dir.Path(), "small.mpg", 16, 16, 3, 4410))
        for (const char* name : {"small.mpg", "small.mpg.m1v"})
            movies.push_back({testsupport::ReadBytes(dir.File(name)), 3});
    if (movies.empty())
        GTEST_SKIP() << "neither the corpus nor mjpegtools are here";
    platform::SoundUseManualMixing(true);
    int cuts = 0;
    for (const auto& [bytes, frames] : movies)
    {
        // Every byte of the headers and the first packets, then a sample through the rest.
        uint32_t shorter = 0;
        for (size_t length = 0; length < bytes.size(); length += length < 1024 ? 1 : 23)
        {
            // A new file each time: rewriting one file over and over waits on the disk.
            std::string name = dir.File("cut" + std::to_string(++cuts) + ".mpg");
            testsupport::WriteBytes(name, std::vector<uint8_t>(bytes.begin(), bytes.begin() + length));
            std::unique_ptr<MovieStream> stream = MovieStream::Open(name, kUnpacedWithSound);
            for (int i = 0; stream && i < 1000 && stream->Update(); ++i)
            {
                const platform::MovieFrame& frame = stream->GetFrame();
                ASSERT_EQ(frame.pixels.size(), static_cast<size_t>(frame.width) * frame.height) << length;
                ASSERT_GT(frame.width, 0) << length;
                int grey = GreyOf(PictureLuma(static_cast<int>(stream->GetFramesDecoded()) - 1, frames));
                for (uint32_t pixel : frame.pixels)
                    ASSERT_TRUE(!frames || IsGrey(pixel, grey)) << length;
            }
            uint32_t pictures = stream ? stream->GetFramesDecoded() : 0;
            EXPECT_GE(pictures, shorter) << length;
            shorter = pictures;
        }
    }
    platform::SoundUseManualMixing(false);
}

// The real files of the shared corpus: every movie plays, and nothing else there (no video at all) opens.
TEST(MovieStreamTest, CorpusMoviesPlayAndAudioFilesAreRefused)
{
    std::string corpus = testsupport::CorpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "corpus folder is absent";
    platform::SoundUseManualMixing(true);
    // Sizes and streams as the corpus manifest lists them.
    const std::tuple<const char*, int32_t, int32_t, bool> movies[] = {
        {"fastled__test_audio_video.mpg", 2, 2, true},
        {"fastled__file.mpeg", 2, 2, false},
        {"pygame__blue.mpg", 320, 240, false},
    };
    for (const auto& [name, width, height, audio] : movies)
    {
        SCOPED_TRACE(name);
        std::unique_ptr<MovieStream> stream = MovieStream::Open(corpus + "/mpeg/" + name, kUnpacedWithSound);
        ASSERT_TRUE(stream);
        EXPECT_EQ(std::tuple(stream->GetWidth(), stream->GetHeight()), std::tuple(width, height));
        EXPECT_GE(PlayOut(*stream), 1u);
        EXPECT_EQ(stream->GetAudioFramesDecoded() > 0, audio);
        stream->Stop();
    }
    platform::SoundUseManualMixing(false);
    for (const char* folder : {"mp3", "wav"})
    {
        for (const auto& entry : std::filesystem::directory_iterator(corpus + "/" + folder))
        {
            SCOPED_TRACE(entry.path().string());
            MpegDemuxer demuxer;
            if (demuxer.Open(entry.path().string()))
                TakeAll(demuxer);
            EXPECT_FALSE(MovieStream::Open(entry.path().string(), kUnpaced));
        }
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Screen

class MovieScreenTest : public sdltest::HeadlessWindowTest
{
protected:
    static platform::MovieFrame SolidFrame(int32_t w, int32_t h, uint32_t colour)
    {
        return platform::MovieFrame{w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h, colour)};
    }

    // Each colour channel within 3 of the expected one.
    static bool Near(uint32_t a, uint32_t b)
    {
        auto channel = [](uint32_t v, int shift) { return static_cast<int>((v >> shift) & 0xFF); };
        return std::abs(channel(a, 0) - channel(b, 0)) <= 3 && std::abs(channel(a, 8) - channel(b, 8)) <= 3 &&
               std::abs(channel(a, 16) - channel(b, 16)) <= 3;
    }
};

TEST_F(MovieScreenTest, PictureFillsItsRectangleWindowedOrTheWholeWindowFullScreen)
{
    auto screen = platform::MovieScreen::Create(platform::GameWindowHandle(), true, 200, 100);
    ASSERT_TRUE(screen);
    // A 2 x 2 picture scaled up into (100, 100) - (300, 200), black around it.
    ASSERT_TRUE(screen->Show(SolidFrame(2, 2, 0xFF3060C0u), platform::Rect{100, 100, 300, 200}));
    for (auto [x, y, colour] :
         {std::tuple{200, 150, 0xFF3060C0u}, std::tuple{101, 101, 0xFF3060C0u}, std::tuple{298, 198, 0xFF3060C0u},
          std::tuple{50, 50, 0xFF000000u}, std::tuple{350, 150, 0xFF000000u}, std::tuple{200, 250, 0xFF000000u}})
        EXPECT_TRUE(Near(screen->ReadPixel(x, y), colour)) << x << "," << y;
    screen.reset();
    // The window is 800 x 600; a 400 x 300 screen is stretched over all of it.
    screen = platform::MovieScreen::Create(platform::GameWindowHandle(), false, 400, 300);
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->Show(SolidFrame(4, 4, 0xFFE0A020u), platform::Rect{0, 0, 400, 300}));
    for (auto [x, y] : {std::pair{5, 5}, std::pair{795, 595}})
        EXPECT_TRUE(Near(screen->ReadPixel(x, y), 0xFFE0A020u)) << x << "," << y;
}

TEST_F(MovieScreenTest, NothingIsShownWithoutAWindowOrAWholePicture)
{
    EXPECT_FALSE(platform::MovieScreen::Create(nullptr, false, 800, 600));
    auto screen = platform::MovieScreen::Create(platform::GameWindowHandle(), true, 800, 600);
    ASSERT_TRUE(screen);
    platform::MovieFrame shortFrame = SolidFrame(4, 4, 0xFFFFFFFFu);
    shortFrame.pixels.resize(3);
    EXPECT_FALSE(screen->Show(shortFrame, platform::Rect{0, 0, 800, 600}));
    EXPECT_FALSE(screen->Show(SolidFrame(4, 4, 0xFFFFFFFFu), platform::Rect{10, 10, 10, 50}));
    EXPECT_EQ(screen->ReadPixel(10, 10), 0u);
}

} // namespace
