// Tests of the movie platform layer: the system-stream demultiplexer on hand-built and hostile streams, the
// decoder on movies made at test time and on the shared corpus, and the screen's placement of pictures.
#include "platform/movie/MovieScreen.h"
#include "platform/movie/MovieStream.h"
#include "platform/movie/MpegDemuxer.h"

#include "tests/platform/SdlTestEvents.h"
#include "tests/platform/movie/MovieTestFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
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

    DemuxFile d(file);
    ASSERT_TRUE(d.opened);
    EXPECT_EQ(d.demuxer.GetKind(), MpegDemuxer::Kind::SystemStream);
    EXPECT_EQ(TakeAll(d.demuxer), (std::vector<Taken>{{0xE0, Bytes(40, 1), true, 90000},
                                                      {0xC0, Bytes(25, 100), true, (int64_t{1} << 33) - 1},
                                                      {0xE0, Bytes(7, 200)},
                                                      {0xE1, Bytes(33, 7), true, 3600},
                                                      {0xC2, Bytes(12, 50)}}));
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
    DemuxFile d(file);
    EXPECT_EQ(TakeAll(d.demuxer), (std::vector<Taken>{{0xE0, Bytes(4, 9)}, {0xE0, Bytes(4, 19)}}));
    EXPECT_EQ(d.demuxer.GetJunkBytes(), 5u + 5u + 4u);
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

TEST(MovieStreamTest, ElementaryVideoGivesEveryPictureInOrderAtItsOwnSpeed)
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
    stream->Run();
    uint32_t start = platform::TickCount();
    for (int i = 0; i < kFrames; ++i)
    {
        ASSERT_TRUE(stream->Update()) << "picture " << i;
        const platform::MovieFrame& frame = stream->GetFrame();
        ASSERT_EQ(frame.pixels.size(), 40u * 24u);
        // A flat grey picture stays grey: opaque, equal channels near the level its studio-range luma stands for.
        int expected = static_cast<int>(std::lround((PictureLuma(i, kFrames) - 16) * 255.0 / 219.0));
        uint32_t centre = frame.pixels[12 * 40 + 20];
        EXPECT_EQ(centre >> 24, 0xFFu);
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(static_cast<int>((centre >> shift) & 0xFF), expected, 6) << "picture " << i;
    }
    // The last of twelve pictures at 25 per second is due 11 x 40 ms after the first.
    EXPECT_GE(platform::TickCount() - start, 11u * 40u - 2u);
    EXPECT_FALSE(stream->Update());
    EXPECT_EQ(stream->GetFramesDecoded(), static_cast<uint32_t>(kFrames));
}

TEST(MovieStreamTest, SystemStreamPlaysItsPicturesAndDecodesItsSound)
{
    if (!HaveTools(true))
        GTEST_SKIP() << "mjpegtools (mpeg2enc, mp2enc, mplex) are not installed";
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    testsupport::TempDir dir;
    ASSERT_TRUE(MakeSystemStream(dir.Path(), "movie.mpg", 32, 32, 10, 22050));
    std::unique_ptr<MovieStream> stream = MovieStream::Open(dir.File("movie.mpg"), kUnpacedWithSound);
    ASSERT_TRUE(stream);
    EXPECT_EQ(PlayOut(*stream), 10u);
    // Every MP2 frame the encoder wrote (144 x 128 kbit/s / 44.1 kHz bytes on average) comes back as 1152 samples.
    long mp2Frames = std::lround(std::filesystem::file_size(dir.File("movie.mpg.mp2")) * 44100 / (144.0 * 128000));
    EXPECT_EQ(std::tuple(stream->GetAudioRate(), stream->GetAudioChannels()), std::tuple(44100, 1));
    EXPECT_EQ(stream->GetAudioFramesDecoded(), static_cast<uint64_t>(mp2Frames) * 1152u);
    stream->Stop();
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
    // Cut in half: fewer pictures, no failure.
    std::unique_ptr<MovieStream> stream = open(std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() / 2));
    ASSERT_TRUE(stream);
    EXPECT_LT(PlayOut(*stream), 20u);
    // Garbage over the picture data: whatever decodes, the movie ends (a few hundred bytes hold no thousand
    // pictures).
    std::vector<uint8_t> noisy = whole;
    for (size_t i = 40; i < noisy.size(); i += 3)
        noisy[i] = static_cast<uint8_t>(i * 131);
    stream = open(noisy);
    EXPECT_LT(stream ? PlayOut(*stream) : 0u, 1000u);
    // A sequence header claiming 4095 x 4095 pixels: no movie.
    std::fill(whole.begin() + 4, whole.begin() + 7, 0xFF);
    EXPECT_FALSE(open(whole));
}

// The real files of the shared corpus: every movie plays, and nothing else there (no video at all) opens.
TEST(MovieStreamTest, CorpusMoviesPlayAndAudioFilesAreRefused)
{
    std::string corpus = testsupport::CorpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "corpus folder is absent";
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
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
    for (auto [x, y, colour] : {std::tuple{200, 150, 0xFF3060C0u}, std::tuple{101, 101, 0xFF3060C0u},
                                std::tuple{50, 50, 0xFF000000u}, std::tuple{350, 150, 0xFF000000u}})
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
