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
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

using movietest::Append;
using movietest::AppendPack1;
using movietest::AppendPack2;
using movietest::AppendPacket;
using movietest::AppendTimeStamp;
using platform::MovieStream;
using platform::MpegDemuxer;
using platform::MpegPacket;

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
    bool hasPts;
    int64_t pts;
};

std::vector<Taken> TakeAll(MpegDemuxer& demuxer)
{
    std::vector<Taken> all;
    MpegPacket packet;
    while (demuxer.NextPacket(&packet) && all.size() < 10000)
        all.push_back(
            {packet.streamId, std::vector<uint8_t>(packet.data, packet.data + packet.size), packet.hasPts, packet.pts});
    return all;
}

MovieStream::Options Unpaced()
{
    MovieStream::Options options;
    options.paced = false;
    options.audio = false;
    return options;
}

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

TEST(MpegDemuxerTest, Mpeg1PacketHeadersAreStrippedAndTimeStampsRead)
{
    testsupport::TempDir dir;
    std::vector<uint8_t> file;
    AppendPack1(file);
    // System header: its contents are skipped whole.
    AppendPacket(file, 0xBB, {}, {0x80, 0x01, 0x01, 0x04, 0xE1, 0xFF, 0xE0, 0xE0, 0x2E});
    // Video: two stuffing bytes, a buffer size, a presentation time stamp.
    std::vector<uint8_t> header = {0xFF, 0xFF, 0x60, 0x2E};
    AppendTimeStamp(header, 0x2, 90000);
    AppendPacket(file, 0xE0, header, Bytes(40, 1));
    // Padding is not handed out.
    AppendPacket(file, 0xBE, {}, std::vector<uint8_t>(30, 0xFF));
    // Audio with presentation and decoding time stamps; the largest 33-bit value survives.
    header.clear();
    AppendTimeStamp(header, 0x3, (int64_t{1} << 33) - 1);
    AppendTimeStamp(header, 0x1, 5);
    AppendPacket(file, 0xC0, header, Bytes(25, 100));
    // A packet without time stamps, then the program end code.
    AppendPack1(file);
    AppendPacket(file, 0xE0, {0x0F}, Bytes(7, 200));
    Append(file, {0x00, 0x00, 0x01, 0xB9});
    testsupport::WriteBytes(dir.File("a.mpg"), file);

    MpegDemuxer demuxer;
    ASSERT_TRUE(demuxer.Open(dir.File("a.mpg")));
    EXPECT_EQ(demuxer.GetKind(), MpegDemuxer::Kind::SystemStream);
    std::vector<Taken> all = TakeAll(demuxer);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].streamId, 0xE0);
    EXPECT_EQ(all[0].payload, Bytes(40, 1));
    EXPECT_TRUE(all[0].hasPts);
    EXPECT_EQ(all[0].pts, 90000);
    EXPECT_EQ(all[1].streamId, 0xC0);
    EXPECT_EQ(all[1].payload, Bytes(25, 100));
    EXPECT_EQ(all[1].pts, (int64_t{1} << 33) - 1);
    EXPECT_EQ(all[2].payload, Bytes(7, 200));
    EXPECT_FALSE(all[2].hasPts);
    EXPECT_EQ(demuxer.GetJunkBytes(), 0u);
    EXPECT_EQ(demuxer.GetDamagedPackets(), 0u);
}

TEST(MpegDemuxerTest, Mpeg2ProgramStreamPacksAndHeadersAreRead)
{
    testsupport::TempDir dir;
    std::vector<uint8_t> file;
    AppendPack2(file, 3);
    // MPEG-2 packet header: flags with a time stamp, 7 bytes of optional fields (5 used, 2 stuffing).
    std::vector<uint8_t> header = {0x81, 0x80, 0x07};
    AppendTimeStamp(header, 0x2, 3600);
    Append(header, {0xFF, 0xFF});
    AppendPacket(file, 0xE1, header, Bytes(33, 7));
    AppendPack2(file, 0);
    AppendPacket(file, 0xC2, {0x81, 0x00, 0x00}, Bytes(12, 50));
    testsupport::WriteBytes(dir.File("b.mpg"), file);

    MpegDemuxer demuxer;
    ASSERT_TRUE(demuxer.Open(dir.File("b.mpg")));
    std::vector<Taken> all = TakeAll(demuxer);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].streamId, 0xE1);
    EXPECT_EQ(all[0].payload, Bytes(33, 7));
    EXPECT_EQ(all[0].pts, 3600);
    EXPECT_EQ(all[1].streamId, 0xC2);
    EXPECT_EQ(all[1].payload, Bytes(12, 50));
    EXPECT_FALSE(all[1].hasPts);
}

TEST(MpegDemuxerTest, JunkBetweenPacketsIsSkippedUpToTheNextStartCode)
{
    testsupport::TempDir dir;
    std::vector<uint8_t> file(5, 0x00); // leading zero bytes before the first pack
    AppendPack1(file);
    Append(file, {0x12, 0x34, 0x00, 0x00, 0x56}); // 5 stray bytes
    AppendPacket(file, 0xE0, {0x0F}, Bytes(4, 9));
    Append(file, {0x00, 0x00, 0x01, 0x00}); // a picture start code where a packet belongs
    AppendPacket(file, 0xE0, {0x0F}, Bytes(4, 19));
    testsupport::WriteBytes(dir.File("c.mpg"), file);

    MpegDemuxer demuxer;
    ASSERT_TRUE(demuxer.Open(dir.File("c.mpg")));
    std::vector<Taken> all = TakeAll(demuxer);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].payload, Bytes(4, 9));
    EXPECT_EQ(all[1].payload, Bytes(4, 19));
    // The five leading zeros, the five stray bytes and the four bytes of the stray picture start code.
    EXPECT_EQ(demuxer.GetJunkBytes(), 5u + 5u + 4u);
}

TEST(MpegDemuxerTest, PacketsCutShortOrWithImpossibleHeadersStayInsideTheFile)
{
    testsupport::TempDir dir;
    {
        // The last packet claims 4000 bytes of payload but the file ends after 10.
        std::vector<uint8_t> file;
        AppendPack1(file);
        AppendPacket(file, 0xE0, {0x0F}, Bytes(6, 1));
        Append(file, {0x00, 0x00, 0x01, 0xE0, 0x0F, 0xA1, 0x0F});
        std::vector<uint8_t> tail = Bytes(10, 60);
        file.insert(file.end(), tail.begin(), tail.end());
        testsupport::WriteBytes(dir.File("cut.mpg"), file);
        MpegDemuxer demuxer;
        ASSERT_TRUE(demuxer.Open(dir.File("cut.mpg")));
        std::vector<Taken> all = TakeAll(demuxer);
        ASSERT_EQ(all.size(), 2u);
        EXPECT_EQ(all[1].payload, tail);
        EXPECT_EQ(demuxer.GetDamagedPackets(), 1u);
    }
    {
        // An MPEG-2 header whose optional-field length runs past its packet, an MPEG-1 header with too much
        // stuffing, and a time stamp that does not fit: all three packets are dropped, the good one kept.
        std::vector<uint8_t> file;
        AppendPack2(file, 0);
        AppendPacket(file, 0xE0, {0x80, 0x80, 0xF0}, Bytes(8, 1));
        AppendPacket(file, 0xE0, std::vector<uint8_t>(17, 0xFF), {0x0F, 1, 2});
        AppendPacket(file, 0xC0, {0x21, 0x00}, {});
        AppendPacket(file, 0xC0, {0x0F}, Bytes(3, 70));
        testsupport::WriteBytes(dir.File("bad.mpg"), file);
        MpegDemuxer demuxer;
        ASSERT_TRUE(demuxer.Open(dir.File("bad.mpg")));
        std::vector<Taken> all = TakeAll(demuxer);
        ASSERT_EQ(all.size(), 1u);
        EXPECT_EQ(all[0].payload, Bytes(3, 70));
        EXPECT_EQ(demuxer.GetDamagedPackets(), 3u);
    }
    {
        // A file that ends inside a start code and inside a pack header.
        std::vector<uint8_t> file;
        AppendPack1(file);
        Append(file, {0x00, 0x00, 0x01, 0xBA, 0x21, 0x00});
        testsupport::WriteBytes(dir.File("end.mpg"), file);
        MpegDemuxer demuxer;
        ASSERT_TRUE(demuxer.Open(dir.File("end.mpg")));
        EXPECT_TRUE(TakeAll(demuxer).empty());
    }
}

TEST(MpegDemuxerTest, VideoElementaryStreamPassesThroughWhole)
{
    testsupport::TempDir dir;
    std::vector<uint8_t> file = {0x00, 0x00, 0x01, 0xB3};
    for (size_t i = 0; i < 3 * MpegDemuxer::kElementaryChunk + 123; ++i)
        file.push_back(static_cast<uint8_t>(i * 7));
    testsupport::WriteBytes(dir.File("v.m1v"), file);

    MpegDemuxer demuxer;
    ASSERT_TRUE(demuxer.Open(dir.File("v.m1v")));
    EXPECT_EQ(demuxer.GetKind(), MpegDemuxer::Kind::VideoElementary);
    std::vector<uint8_t> joined;
    for (const Taken& t : TakeAll(demuxer))
    {
        EXPECT_EQ(t.streamId, 0xE0);
        EXPECT_LE(t.payload.size(), MpegDemuxer::kElementaryChunk);
        joined.insert(joined.end(), t.payload.begin(), t.payload.end());
    }
    EXPECT_EQ(joined, file);
}

TEST(MpegDemuxerTest, FilesThatAreNotMpegAreRefused)
{
    testsupport::TempDir dir;
    MpegDemuxer demuxer;
    EXPECT_FALSE(demuxer.Open(dir.File("missing.mpg")));
    EXPECT_EQ(demuxer.GetKind(), MpegDemuxer::Kind::None);

    testsupport::WriteText(dir.File("text.mpg"), "this is not a movie\n");
    EXPECT_FALSE(demuxer.Open(dir.File("text.mpg")));

    testsupport::WriteBytes(dir.File("empty.mpg"), {});
    EXPECT_FALSE(demuxer.Open(dir.File("empty.mpg")));

    // The first start code is a picture, not a pack or a sequence.
    testsupport::WriteBytes(dir.File("picture.mpg"), {0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0xBA, 0x21});
    EXPECT_FALSE(demuxer.Open(dir.File("picture.mpg")));

    // A pack header beyond the probe window.
    std::vector<uint8_t> late(MpegDemuxer::kProbeBytes + 16, 0x55);
    AppendPack1(late);
    testsupport::WriteBytes(dir.File("late.mpg"), late);
    EXPECT_FALSE(demuxer.Open(dir.File("late.mpg")));
    MpegPacket packet;
    EXPECT_FALSE(demuxer.NextPacket(&packet));
}

// ---------------------------------------------------------------------------------------------------------------
// Decoder

TEST(MovieStreamTest, ElementaryVideoGivesEveryPictureInOrder)
{
    if (!movietest::HaveVideoTools())
        GTEST_SKIP() << "mpeg2enc is not installed";
    testsupport::TempDir dir;
    constexpr int kFrames = 12;
    // 40 x 24 is not a whole number of macroblocks wide: the picture is cropped from the coded size.
    ASSERT_TRUE(movietest::MakeVideo(dir.Path(), "grey.m1v", 40, 24, kFrames));

    std::unique_ptr<MovieStream> stream = MovieStream::Open(dir.File("grey.m1v"), Unpaced());
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->GetWidth(), 40);
    EXPECT_EQ(stream->GetHeight(), 24);
    EXPECT_DOUBLE_EQ(stream->GetFrameRate(), 25.0);
    for (int i = 0; i < kFrames; ++i)
    {
        ASSERT_TRUE(stream->Update()) << "picture " << i;
        const platform::MovieFrame& frame = stream->GetFrame();
        ASSERT_EQ(frame.width, 40);
        ASSERT_EQ(frame.height, 24);
        ASSERT_EQ(frame.pixels.size(), 40u * 24u);
        // A flat grey picture stays grey: equal channels near the level its luma stands for.
        int expected = movietest::GreyForLuma(movietest::PictureLuma(i, kFrames));
        uint32_t centre = frame.pixels[12 * 40 + 20];
        int r = (centre >> 16) & 0xFF, g = (centre >> 8) & 0xFF, b = centre & 0xFF;
        EXPECT_EQ(centre >> 24, 0xFFu);
        EXPECT_NEAR(r, expected, 6) << "picture " << i;
        EXPECT_NEAR(g, expected, 6) << "picture " << i;
        EXPECT_NEAR(b, expected, 6) << "picture " << i;
    }
    EXPECT_FALSE(stream->Update());
    EXPECT_FALSE(stream->Update());
    EXPECT_EQ(stream->GetFramesDecoded(), static_cast<uint32_t>(kFrames));
}

TEST(MovieStreamTest, SystemStreamPlaysItsPicturesAndDecodesItsSound)
{
    if (!movietest::HaveMuxTools())
        GTEST_SKIP() << "mjpegtools (mpeg2enc, mp2enc, mplex) are not installed";
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    testsupport::TempDir dir;
    constexpr int kFrames = 10;
    constexpr int kSamples = 22050;
    ASSERT_TRUE(movietest::MakeSystemStream(dir.Path(), "movie.mpg", 32, 32, kFrames, kSamples));

    MovieStream::Options options;
    options.paced = false;
    options.audio = true;
    std::unique_ptr<MovieStream> stream = MovieStream::Open(dir.File("movie.mpg"), options);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->GetWidth(), 32);
    EXPECT_EQ(PlayOut(*stream), static_cast<uint32_t>(kFrames));
    // Every MP2 frame the encoder wrote comes back as 1152 samples at the tone's rate and channel count.
    int mp2Frames = movietest::CountMp2Frames(testsupport::ReadBytes(dir.File("movie.mpg.mp2")));
    ASSERT_GT(mp2Frames, 0);
    EXPECT_EQ(stream->GetAudioRate(), 44100);
    EXPECT_EQ(stream->GetAudioChannels(), 1);
    EXPECT_EQ(stream->GetAudioFramesDecoded(), static_cast<uint64_t>(mp2Frames) * 1152u);
    EXPECT_TRUE(stream->IsAudioOpen());
    stream->Stop();
}

TEST(MovieStreamTest, PacedPlaybackTakesTheMoviesLength)
{
    if (!movietest::HaveVideoTools())
        GTEST_SKIP() << "mpeg2enc is not installed";
    testsupport::TempDir dir;
    constexpr int kFrames = 10;
    ASSERT_TRUE(movietest::MakeVideo(dir.Path(), "paced.m1v", 16, 16, kFrames));
    MovieStream::Options options;
    options.audio = false;
    std::unique_ptr<MovieStream> stream = MovieStream::Open(dir.File("paced.m1v"), options);
    ASSERT_TRUE(stream);
    stream->Run();
    uint32_t start = platform::TickCount();
    EXPECT_EQ(PlayOut(*stream), static_cast<uint32_t>(kFrames));
    // The last of ten pictures at 25 per second is due 9 x 40 ms after the first.
    EXPECT_GE(platform::TickCount() - start, 9u * 40u - 2u);
}

TEST(MovieStreamTest, DamagedMoviesEndEarlyOrAreRefused)
{
    if (!movietest::HaveVideoTools())
        GTEST_SKIP() << "mpeg2enc is not installed";
    testsupport::TempDir dir;
    constexpr int kFrames = 20;
    ASSERT_TRUE(movietest::MakeVideo(dir.Path(), "whole.m1v", 32, 32, kFrames));
    std::vector<uint8_t> whole = testsupport::ReadBytes(dir.File("whole.m1v"));

    // Cut in half: fewer pictures, no failure.
    std::vector<uint8_t> half(whole.begin(), whole.begin() + static_cast<long>(whole.size() / 2));
    testsupport::WriteBytes(dir.File("half.m1v"), half);
    std::unique_ptr<MovieStream> stream = MovieStream::Open(dir.File("half.m1v"), Unpaced());
    ASSERT_TRUE(stream);
    uint32_t frames = PlayOut(*stream);
    EXPECT_LT(frames, static_cast<uint32_t>(kFrames));

    // Garbage over the picture data after the sequence header: whatever decodes, the movie comes to an end
    // (a few hundred bytes cannot hold a thousand pictures).
    std::vector<uint8_t> noisy = whole;
    for (size_t i = 40; i < noisy.size(); i += 3)
        noisy[i] = static_cast<uint8_t>(i * 131);
    testsupport::WriteBytes(dir.File("noisy.m1v"), noisy);
    stream = MovieStream::Open(dir.File("noisy.m1v"), Unpaced());
    if (stream)
    {
        EXPECT_LT(PlayOut(*stream), 1000u);
    }

    // Only the first 8 bytes of the sequence header: no picture size, no movie.
    testsupport::WriteBytes(dir.File("stub.m1v"), std::vector<uint8_t>(whole.begin(), whole.begin() + 8));
    EXPECT_FALSE(MovieStream::Open(dir.File("stub.m1v"), Unpaced()));

    // A sequence header claiming 4095 x 4095 pixels is refused before any picture memory is taken.
    std::vector<uint8_t> huge = whole;
    huge[4] = 0xFF;
    huge[5] = 0xFF;
    huge[6] = 0xFF;
    testsupport::WriteBytes(dir.File("huge.m1v"), huge);
    EXPECT_FALSE(MovieStream::Open(dir.File("huge.m1v"), Unpaced()));

    EXPECT_FALSE(MovieStream::Open(dir.File("nothing.mpg"), Unpaced()));
}

// The real files of the shared corpus: every movie plays, every MP3 (no video at all) is refused.
TEST(MovieStreamTest, CorpusMoviesPlayAndAudioFilesAreRefused)
{
    std::string corpus = testsupport::CorpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "corpus folder is absent";
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);

    struct Expected
    {
        const char* name;
        int32_t width;
        int32_t height;
        bool audio;
    };
    // Sizes and streams as the corpus manifest lists them.
    const Expected movies[] = {
        {"fastled__test_audio_video.mpg", 2, 2, true},
        {"fastled__file.mpeg", 2, 2, false},
        {"pygame__blue.mpg", 320, 240, false},
    };
    for (const Expected& e : movies)
    {
        std::string path = corpus + "/mpeg/" + e.name;
        if (!std::filesystem::exists(path))
            continue;
        SCOPED_TRACE(e.name);
        MovieStream::Options options;
        options.paced = false;
        std::unique_ptr<MovieStream> stream = MovieStream::Open(path, options);
        ASSERT_TRUE(stream);
        EXPECT_EQ(stream->GetWidth(), e.width);
        EXPECT_EQ(stream->GetHeight(), e.height);
        EXPECT_GE(PlayOut(*stream), 1u);
        if (e.audio)
        {
            EXPECT_EQ(stream->GetAudioRate(), 44100);
            EXPECT_EQ(stream->GetAudioChannels(), 1);
            EXPECT_GT(stream->GetAudioFramesDecoded(), 0u);
        }
        else
        {
            EXPECT_EQ(stream->GetAudioFramesDecoded(), 0u);
        }
        stream->Stop();
    }

    // Every other file there goes through the demultiplexer and the decoder without harm; none holds video.
    for (const char* folder : {"mp3", "wav"})
    {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(corpus + "/" + folder, error))
        {
            SCOPED_TRACE(entry.path().string());
            MpegDemuxer demuxer;
            if (demuxer.Open(entry.path().string()))
                TakeAll(demuxer);
            EXPECT_FALSE(MovieStream::Open(entry.path().string(), Unpaced()));
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
        platform::MovieFrame frame;
        frame.width = w;
        frame.height = h;
        frame.pixels.assign(static_cast<size_t>(w) * h, colour);
        return frame;
    }

    static bool Near(uint32_t a, uint32_t b)
    {
        for (int shift = 0; shift < 24; shift += 8)
        {
            int ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
            if (std::abs(ca - cb) > 3)
                return false;
        }
        return true;
    }
};

TEST_F(MovieScreenTest, WindowedPictureFillsItsRectangleOnly)
{
    auto screen = platform::MovieScreen::Create(platform::GameWindowHandle(), true, 200, 100);
    ASSERT_TRUE(screen);
    // A 2 x 2 picture scaled up into (100, 100) - (300, 200).
    ASSERT_TRUE(screen->Show(SolidFrame(2, 2, 0xFF3060C0u), platform::Rect{100, 100, 300, 200}));
    EXPECT_TRUE(Near(screen->ReadPixel(200, 150), 0xFF3060C0u));
    EXPECT_TRUE(Near(screen->ReadPixel(101, 101), 0xFF3060C0u));
    EXPECT_TRUE(Near(screen->ReadPixel(50, 50), 0xFF000000u));
    EXPECT_TRUE(Near(screen->ReadPixel(350, 150), 0xFF000000u));
}

TEST_F(MovieScreenTest, FullScreenPlacementCoversTheWholeWindow)
{
    // The window is 800 x 600; a 400 x 300 screen is stretched over all of it.
    auto screen = platform::MovieScreen::Create(platform::GameWindowHandle(), false, 400, 300);
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->Show(SolidFrame(4, 4, 0xFFE0A020u), platform::Rect{0, 0, 400, 300}));
    EXPECT_TRUE(Near(screen->ReadPixel(5, 5), 0xFFE0A020u));
    EXPECT_TRUE(Near(screen->ReadPixel(795, 595), 0xFFE0A020u));
    EXPECT_TRUE(Near(screen->ReadPixel(400, 300), 0xFFE0A020u));
}

TEST_F(MovieScreenTest, NothingIsShownWithoutAWindowOrAPicture)
{
    EXPECT_FALSE(platform::MovieScreen::Create(nullptr, false, 800, 600));
    EXPECT_FALSE(platform::MovieScreen::Create(platform::GameWindowHandle(), false, 0, 600));
    auto screen = platform::MovieScreen::Create(platform::GameWindowHandle(), true, 800, 600);
    ASSERT_TRUE(screen);
    EXPECT_FALSE(screen->Show(platform::MovieFrame{}, platform::Rect{0, 0, 800, 600}));
    platform::MovieFrame shortFrame = SolidFrame(4, 4, 0xFFFFFFFFu);
    shortFrame.pixels.resize(3);
    EXPECT_FALSE(screen->Show(shortFrame, platform::Rect{0, 0, 800, 600}));
    EXPECT_FALSE(screen->Show(SolidFrame(4, 4, 0xFFFFFFFFu), platform::Rect{10, 10, 10, 50}));
    EXPECT_EQ(screen->ReadPixel(10, 10), 0u);
}

} // namespace
