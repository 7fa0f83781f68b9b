// Tests of the music jukebox: the frame scan's track times on made-up and lame-encoded MP3s, hostile headers,
// ID3v1 tags, the play list's editing, and the play modes and pause on the sound manager's music stream.
#include "engine/media/Jukebox.h"

#include "engine/media/SoundManager.h"
#include "platform/Random.h"
#include "platform/audio/Sound.h"

#include "tests/platform/movie/MovieTestFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

// MPEG audio frame headers and the frame lengths the standards give them (Layer III: 144 x bitrate / rate bytes
// for MPEG-1, 72 x bitrate / rate for MPEG-2, truncated, plus the padding byte).
struct FrameKind
{
    uint8_t header[4];
    size_t size;
};
constexpr FrameKind kMpeg1At128 = {{0xFF, 0xFB, 0x90, 0x44}, 417};       // 44.1 kHz joint stereo
constexpr FrameKind kMpeg1At128Padded = {{0xFF, 0xFB, 0x92, 0x44}, 418}; // the same with the padding bit
constexpr FrameKind kMpeg1At160 = {{0xFF, 0xFB, 0xA0, 0x44}, 522};       // 44.1 kHz
constexpr FrameKind kMpeg1At48k = {{0xFF, 0xFB, 0x94, 0x44}, 384};       // 128 kbit/s at 48 kHz
constexpr FrameKind kMpeg2Mono64 = {{0xFF, 0xF3, 0x80, 0xC4}, 208};      // 22.05 kHz mono
constexpr FrameKind kMpeg1LayerII = {{0xFF, 0xFD, 0x90, 0x44}, 417};     // Layer II header, Layer III sizes

void AppendFrames(std::vector<uint8_t>& out, const FrameKind& kind, int count)
{
    for (int i = 0; i < count; ++i)
    {
        out.insert(out.end(), kind.header, kind.header + 4);
        out.insert(out.end(), kind.size - 4, 0x00);
    }
}

std::vector<uint8_t> Frames(const FrameKind& kind, int count)
{
    std::vector<uint8_t> out;
    AppendFrames(out, kind, count);
    return out;
}

// A 128-byte ID3v1 tag; texts longer than 30 characters fill their field without a terminator.
std::vector<uint8_t> Id3v1Tag(const std::string& title, const std::string& artist)
{
    std::vector<uint8_t> tag(128, 0);
    std::memcpy(tag.data(), "TAG", 3);
    std::memcpy(tag.data() + 3, title.data(), std::min<size_t>(title.size(), 30));
    std::memcpy(tag.data() + 33, artist.data(), std::min<size_t>(artist.size(), 30));
    tag[127] = 12; // genre
    return tag;
}

Mp3FrameScanner ScanBytes(const std::vector<uint8_t>& bytes, size_t blockSize)
{
    Mp3FrameScanner scanner;
    for (size_t at = 0; at < bytes.size(); at += blockSize)
        scanner.ScanBlock(bytes.data() + at, std::min(blockSize, bytes.size() - at));
    scanner.Finish();
    return scanner;
}

bool HaveLame()
{
    return movietest::HaveTool("lame");
}

// Encodes a tone of `samples` samples at 44.1 kHz mono with lame; extra options go before the file names.
bool LameEncode(const testsupport::TempDir& dir, const std::string& name, int samples, const std::string& options)
{
    testsupport::WriteBytes(dir.File(name + ".wav"), movietest::MakeToneWav(44100, 1, samples));
    std::string command = "lame --quiet -m m -b 64 " + options + " '" + dir.File(name + ".wav") + "' '" +
                          dir.File(name) + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// ---------------------------------------------------------------------------------------------------------------
// Frame scan and track times

TEST(JukeboxFrameScanTest, ThousandFramesAt44100HzMeasure26181Ms)
{
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir.File("long.mp3"), Frames(kMpeg1At128, 1000));

    Mp3FrameScanner scanner;
    ASSERT_TRUE(scanner.ScanFile(dir.File("long.mp3").c_str()));
    EXPECT_TRUE(scanner.IsValid());
    // 1000 x 1152 samples over 44 (44,100 Hz in whole kilohertz).
    EXPECT_EQ(scanner.GetPlayTime(), 26181);
    EXPECT_EQ(scanner.GetFrameCount(), 1000);
    EXPECT_EQ(scanner.GetBitrate(), 128);
    EXPECT_EQ(scanner.GetAverageBitrate(), 128);
    EXPECT_EQ(scanner.GetSampleRate(), 44100);
    EXPECT_EQ(scanner.GetVersion(), 1);
    EXPECT_EQ(scanner.GetLayer(), 1);
    EXPECT_TRUE(scanner.IsStereo());
    EXPECT_EQ(scanner.GetFrameBytes(), 417000u);
    EXPECT_EQ(scanner.GetJunkBytes(), 0u);

    Jukebox jukebox(nullptr);
    ASSERT_TRUE(jukebox.AddTrack((dir.Path() + "/").c_str(), "long.mp3", 0, -1));
    EXPECT_EQ(jukebox.GetTrackTime(0), 26181);
}

TEST(JukeboxFrameScanTest, Mpeg2MonoAndMixedBitratesAndPadding)
{
    // 500 MPEG-2 frames of 576 samples at 22 kHz (22,050 truncated): 500 x 576 / 22 = 13090 ms.
    Mp3FrameScanner mono = ScanBytes(Frames(kMpeg2Mono64, 500), Mp3FrameScanner::kBlockSize);
    EXPECT_TRUE(mono.IsValid());
    EXPECT_EQ(mono.GetPlayTime(), 13090);
    EXPECT_EQ(mono.GetVersion(), 2);
    EXPECT_FALSE(mono.IsStereo());
    EXPECT_EQ(mono.GetSampleRate(), 22050);

    // 128 and 160 kbit/s frames alternating, some padded: the kept bitrate is 0, the average 144.
    std::vector<uint8_t> mixed;
    for (int i = 0; i < 50; ++i)
    {
        AppendFrames(mixed, i % 4 == 0 ? kMpeg1At128Padded : kMpeg1At128, 1);
        AppendFrames(mixed, kMpeg1At160, 1);
    }
    Mp3FrameScanner scanner = ScanBytes(mixed, Mp3FrameScanner::kBlockSize);
    EXPECT_TRUE(scanner.IsValid());
    EXPECT_EQ(scanner.GetFrameCount(), 100);
    EXPECT_EQ(scanner.GetBitrate(), 0);
    EXPECT_EQ(scanner.GetAverageBitrate(), 144);
    EXPECT_EQ(scanner.GetFrameBytes(), mixed.size());
    EXPECT_EQ(scanner.GetJunkBytes(), 0u);
}

TEST(JukeboxFrameScanTest, ResultsDoNotDependOnWhereBlocksEnd)
{
    // Junk that puts frame headers across block ends at many different offsets.
    std::vector<uint8_t> bytes(1000, 0x20);
    AppendFrames(bytes, kMpeg1At128, 7);
    bytes.insert(bytes.end(), {0xFF, 0xFB, 0xF0, 0x00, 0xFF}); // a header with bitrate index 15, a lone 0xFF
    AppendFrames(bytes, kMpeg1At160, 13);
    AppendFrames(bytes, kMpeg1At128Padded, 9);
    bytes.push_back(0x01);

    // Expected from the layout: 29 frames; junk is the 1000 leading bytes and the five bytes between the runs,
    // and the last single byte is too short for a header.
    const uint64_t frameBytes = 7 * 417 + 13 * 522 + 9 * 418;
    for (size_t blockSize : {size_t{1}, size_t{2}, size_t{3}, size_t{5}, size_t{417}, size_t{4096}})
    {
        SCOPED_TRACE(blockSize);
        Mp3FrameScanner scanner = ScanBytes(bytes, blockSize);
        EXPECT_EQ(scanner.GetFrameCount(), 29);
        EXPECT_EQ(scanner.GetFrameBytes(), frameBytes);
        EXPECT_EQ(scanner.GetJunkBytes(), 1005u);
        EXPECT_TRUE(scanner.IsValid());
    }

    // A header split over the first two blocks of a file: 4094 junk bytes, then 20 frames.
    std::vector<uint8_t> split(4094, 0x11);
    AppendFrames(split, kMpeg1At128, 20);
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir.File("split.mp3"), split);
    Mp3FrameScanner scanner;
    ASSERT_TRUE(scanner.ScanFile(dir.File("split.mp3").c_str()));
    EXPECT_EQ(scanner.GetFrameCount(), 20);
    EXPECT_EQ(scanner.GetJunkBytes(), 4094u);
    EXPECT_TRUE(scanner.IsValid());
}

TEST(JukeboxFrameScanTest, FramesAtAnotherSampleRateAreJunk)
{
    std::vector<uint8_t> bytes = Frames(kMpeg1At128, 10);
    AppendFrames(bytes, kMpeg1At48k, 10);
    Mp3FrameScanner scanner = ScanBytes(bytes, Mp3FrameScanner::kBlockSize);
    EXPECT_EQ(scanner.GetFrameCount(), 10);
    // Every byte of the 48 kHz frames is junk, except the last three: too few for a header, never examined.
    EXPECT_EQ(scanner.GetJunkBytes(), 10u * 384u - 3u);
    EXPECT_TRUE(scanner.IsValid()); // 4170 frame bytes still outweigh 3840 junk bytes
    EXPECT_EQ(scanner.GetPlayTime(), 10 * 1152 / 44);
}

TEST(JukeboxFrameScanTest, FilesThatAreNotMostlyLayerIIIAudioAreNotAdded)
{
    testsupport::TempDir dir;
    std::string folder = dir.Path() + "/";
    testsupport::WriteBytes(dir.File("zeros.mp3"), std::vector<uint8_t>(50000, 0));
    testsupport::WriteText(dir.File("text.mp3"), "These are the words of a song, not its sound.\n");
    testsupport::WriteBytes(dir.File("empty.mp3"), {});
    // Five frames and then more text than audio.
    std::vector<uint8_t> mostlyText = Frames(kMpeg1At128, 5);
    mostlyText.insert(mostlyText.end(), 3000, 'x');
    testsupport::WriteBytes(dir.File("mostlytext.mp3"), mostlyText);
    // Headers with a forbidden bitrate index (0 and 15) or sample-rate index 3 make no frames at all.
    std::vector<uint8_t> forbidden;
    for (int i = 0; i < 200; ++i)
        forbidden.insert(forbidden.end(), {0xFF, 0xFB,
                                           static_cast<uint8_t>(i % 3 == 0   ? 0x00
                                                                : i % 3 == 1 ? 0xF0
                                                                             : 0x9C),
                                           0x44});
    testsupport::WriteBytes(dir.File("forbidden.mp3"), forbidden);
    // Valid frames, but Layer II.
    testsupport::WriteBytes(dir.File("layer2.mp3"), Frames(kMpeg1LayerII, 100));

    Jukebox jukebox(nullptr);
    for (const char* name :
         {"zeros.mp3", "text.mp3", "empty.mp3", "mostlytext.mp3", "forbidden.mp3", "layer2.mp3", "missing.mp3"})
        EXPECT_FALSE(jukebox.AddTrack(folder.c_str(), name, 0, -1)) << name;
    EXPECT_EQ(jukebox.GetTrackCount(), 0);

    Mp3FrameScanner scanner;
    EXPECT_FALSE(scanner.ScanFile(dir.File("missing.mp3").c_str()));
    EXPECT_FALSE(scanner.IsValid());

    // A known play time skips the scan: any file that opens is taken.
    EXPECT_TRUE(jukebox.AddTrack(folder.c_str(), "text.mp3", 1, 5000));
    EXPECT_EQ(jukebox.GetTrackTime(0), 5000);
    EXPECT_FALSE(jukebox.AddTrack(folder.c_str(), "missing.mp3", 1, 5000));
}

TEST(JukeboxFrameScanTest, TruncatedLastFrameIsCountedWithoutReadingPastTheFile)
{
    // The file ends inside its third frame and then with a lone header: the scan reads only what is there and
    // counts each frame whose header it saw.
    std::vector<uint8_t> bytes = Frames(kMpeg1At128, 2);
    AppendFrames(bytes, kMpeg1At128, 1);
    bytes.resize(2 * 417 + 100);
    Mp3FrameScanner scanner = ScanBytes(bytes, Mp3FrameScanner::kBlockSize);
    EXPECT_EQ(scanner.GetFrameCount(), 3);
    EXPECT_EQ(scanner.GetJunkBytes(), 0u);

    Mp3FrameScanner lone = ScanBytes({0xFF, 0xFB, 0x90, 0x44}, Mp3FrameScanner::kBlockSize);
    EXPECT_EQ(lone.GetFrameCount(), 1);
    // Three bytes cannot hold a header.
    Mp3FrameScanner tiny = ScanBytes({0xFF, 0xFB, 0x90}, Mp3FrameScanner::kBlockSize);
    EXPECT_EQ(tiny.GetFrameCount(), 0);
    EXPECT_FALSE(tiny.IsValid());
}

TEST(JukeboxFrameScanTest, LameEncodedTrackMeasuresItsLength)
{
    if (!HaveLame())
        GTEST_SKIP() << "lame is not installed";
    testsupport::TempDir dir;
    constexpr int kSamples = 44100 * 3 / 2; // 1.5 s
    ASSERT_TRUE(LameEncode(dir, "tone.mp3", kSamples, ""));

    Jukebox jukebox(nullptr);
    ASSERT_TRUE(jukebox.AddTrack((dir.Path() + "/").c_str(), "tone.mp3", 0, -1));
    // At least the tone's 1500 ms (more, as 44,100 Hz is taken as 44 kHz); lame adds its tag frame, its encoder
    // delay and the padding of the last frame: under four frames of 1152 samples (105 ms).
    int32_t time = jukebox.GetTrackTime(0);
    EXPECT_GE(time, 1500);
    EXPECT_LE(time, kSamples / 44 + 4 * 1152 / 44);
    // Without a tag the title is the file name.
    EXPECT_STREQ(jukebox.GetTrackTitle(0), "tone.mp3");
    EXPECT_EQ(jukebox.GetTrackArtist(0), nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// ID3v1

TEST(JukeboxId3Test, HandMadeTagGivesTitleAndArtist)
{
    testsupport::TempDir dir;
    std::string folder = dir.Path() + "/";
    std::vector<uint8_t> tagged = Frames(kMpeg1At128, 40);
    // The artist fills all 30 characters with no terminator; the title keeps its padding spaces.
    std::vector<uint8_t> tag = Id3v1Tag("Morning Rounds  ", "The Very Long Name Of The Band!");
    tagged.insert(tagged.end(), tag.begin(), tag.end());
    testsupport::WriteBytes(dir.File("tagged.mp3"), tagged);

    Jukebox jukebox(nullptr);
    ASSERT_TRUE(jukebox.AddTrack(folder.c_str(), "tagged.mp3", 1, -1));
    EXPECT_STREQ(jukebox.GetTrackTitle(0), "Morning Rounds  ");
    // 31 characters were given; the field holds the first 30 and the copy stops at its end.
    EXPECT_STREQ(jukebox.GetTrackArtist(0), "The Very Long Name Of The Band");
    // The tag's 128 bytes are junk to the scan, which still counts 40 frames.
    EXPECT_EQ(jukebox.GetTrackTime(0), 40 * 1152 / 44);
}

TEST(JukeboxId3Test, ShortFilesAndEmptyFieldsGiveNoTag)
{
    testsupport::TempDir dir;
    std::optional<std::string> artist, title;

    // A file shorter than a tag, even one starting with "TAG": nothing is read from before its start.
    testsupport::WriteText(dir.File("short.mp3"), "TAGshort");
    ASSERT_TRUE(Jukebox::ReadId3v1(dir.File("short.mp3").c_str(), &artist, &title));
    EXPECT_FALSE(title);
    EXPECT_FALSE(artist);

    // Exactly a tag: the whole file is the tag.
    testsupport::WriteBytes(dir.File("only.mp3"), Id3v1Tag("Only", "Tag"));
    ASSERT_TRUE(Jukebox::ReadId3v1(dir.File("only.mp3").c_str(), &artist, &title));
    EXPECT_EQ(title, "Only");
    EXPECT_EQ(artist, "Tag");

    // Empty fields count as missing: the title falls back to the file name.
    std::vector<uint8_t> blank = Frames(kMpeg1At128, 10);
    std::vector<uint8_t> tag = Id3v1Tag("", "");
    blank.insert(blank.end(), tag.begin(), tag.end());
    testsupport::WriteBytes(dir.File("blank.mp3"), blank);
    Jukebox jukebox(nullptr);
    ASSERT_TRUE(jukebox.AddTrack((dir.Path() + "/").c_str(), "blank.mp3", 0, -1));
    EXPECT_STREQ(jukebox.GetTrackTitle(0), "blank.mp3");
    EXPECT_EQ(jukebox.GetTrackArtist(0), nullptr);

    EXPECT_FALSE(Jukebox::ReadId3v1(dir.File("missing.mp3").c_str(), &artist, &title));
}

TEST(JukeboxId3Test, LameWrittenTagIsRead)
{
    if (!HaveLame())
        GTEST_SKIP() << "lame is not installed";
    testsupport::TempDir dir;
    ASSERT_TRUE(LameEncode(dir, "song.mp3", 44100, "--id3v1-only --tt 'Gates Open' --ta 'Keeper Band'"));
    Jukebox jukebox(nullptr);
    ASSERT_TRUE(jukebox.AddTrack((dir.Path() + "/").c_str(), "song.mp3", 0, -1));
    EXPECT_STREQ(jukebox.GetTrackTitle(0), "Gates Open");
    EXPECT_STREQ(jukebox.GetTrackArtist(0), "Keeper Band");
}

// The real MP3s of the shared corpus: each is measured or refused, and its tag read, without harm. Where the
// corpus manifest gives a file's frames, the scan agrees.
TEST(JukeboxCorpusTest, CorpusMp3sAreMeasuredOrRefused)
{
    std::string corpus = testsupport::CorpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "corpus folder is absent";
    std::string folder = corpus + "/mp3/";
    std::error_code error;
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    {
        std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        ++seen;
        Mp3FrameScanner scanner;
        ASSERT_TRUE(scanner.ScanFile(entry.path().string().c_str()));
        EXPECT_LE(scanner.GetFrameBytes() + scanner.GetJunkBytes(), static_cast<uint64_t>(entry.file_size()) + 2048);
        std::optional<std::string> artist, title;
        EXPECT_TRUE(Jukebox::ReadId3v1(entry.path().string().c_str(), &artist, &title));
        EXPECT_LE(artist.value_or("").size(), 30u);
        EXPECT_LE(title.value_or("").size(), 30u);
        Jukebox jukebox(nullptr);
        bool added = jukebox.AddTrack(folder.c_str(), name.c_str(), 0, -1);
        EXPECT_EQ(added, jukebox.GetTrackCount() == 1);
        EXPECT_EQ(added, scanner.IsValid() && scanner.GetLayer() == 1);
        EXPECT_EQ(jukebox.GetTrackTime(0), added ? scanner.GetPlayTime() : 0);
    }
    if (seen == 0)
        GTEST_SKIP() << "no MP3s in the corpus";

    // From the manifest: a 30-frame MPEG-1 44.1 kHz constant-bitrate stream without tags.
    Mp3FrameScanner hecommon;
    if (hecommon.ScanFile((folder + "minimp3__l3-hecommon.mp3").c_str()))
    {
        EXPECT_TRUE(hecommon.IsValid());
        EXPECT_EQ(hecommon.GetFrameCount(), 30);
        EXPECT_EQ(hecommon.GetBitrate(), 128);
        EXPECT_EQ(hecommon.GetPlayTime(), 30 * 1152 / 44);
        EXPECT_TRUE(hecommon.IsStereo());
    }
    // An ID3v2 tag of 1856 bytes before a single 192-byte frame: mostly not audio, refused.
    Jukebox jukebox(nullptr);
    if (std::filesystem::exists(folder + "minimp3__l3-nonstandard-id3v2.mp3"))
    {
        EXPECT_FALSE(jukebox.AddTrack(folder.c_str(), "minimp3__l3-nonstandard-id3v2.mp3", 0, -1));
    }
    // MPEG-2 mono at 22.05 kHz whose bitrate changes frame to frame.
    Mp3FrameScanner lsf;
    if (lsf.ScanFile((folder + "minimp3__M2L3_bitrate_22_all.mp3").c_str()))
    {
        EXPECT_TRUE(lsf.IsValid());
        EXPECT_EQ(lsf.GetVersion(), 2);
        EXPECT_FALSE(lsf.IsStereo());
        EXPECT_EQ(lsf.GetBitrate(), 0);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Play list editing (no sound needed)

class JukeboxListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = m_dir.Path() + "/";
        for (int i = 0; i < 6; ++i)
            testsupport::WriteText(m_dir.File(Name(i)), "track");
    }

    static std::string Name(int i) { return "t" + std::to_string(i) + ".mp3"; }

    void Fill(Jukebox& jukebox, int count)
    {
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(jukebox.AddTrack(m_folder.c_str(), Name(i).c_str(), 0, 1000 * (i + 1)));
    }

    std::vector<std::string> Order(const Jukebox& jukebox)
    {
        std::vector<std::string> names;
        for (int i = 0; i < jukebox.GetTrackCount(); ++i)
            names.push_back(jukebox.GetTrackFileName(i));
        return names;
    }

    testsupport::TempDir m_dir;
    std::string m_folder;
};

TEST_F(JukeboxListTest, MovingTracksCarriesTheCurrentTrackAlong)
{
    Jukebox jukebox(nullptr);
    Fill(jukebox, 5);
    // Moving track 3 up while track 2 is current: the current track moves down to 3 and stays current.
    jukebox.SetCurrentTrack(2);
    jukebox.MoveTrackUp(3);
    EXPECT_EQ(Order(jukebox), (std::vector<std::string>{"t0.mp3", "t1.mp3", "t3.mp3", "t2.mp3", "t4.mp3"}));
    EXPECT_EQ(jukebox.GetCurrentTrack(), 3);
    // Moving the current track itself up takes the index with it.
    jukebox.MoveTrackUp(3);
    EXPECT_EQ(jukebox.GetCurrentTrack(), 2);
    EXPECT_STREQ(jukebox.GetTrackFileName(2), "t2.mp3");
    // Down is the mirror image.
    jukebox.MoveTrackDown(1);
    EXPECT_EQ(jukebox.GetCurrentTrack(), 1);
    EXPECT_STREQ(jukebox.GetTrackFileName(1), "t2.mp3");
    // Nothing moves past either end.
    std::vector<std::string> before = Order(jukebox);
    jukebox.MoveTrackUp(0);
    jukebox.MoveTrackDown(4);
    EXPECT_EQ(Order(jukebox), before);
}

TEST_F(JukeboxListTest, RepeatIsHeldByOneTrackAtMost)
{
    Jukebox jukebox(nullptr);
    Fill(jukebox, 6);
    jukebox.SetTrackRepeat(5, true);
    jukebox.SetTrackRepeat(2, true);
    EXPECT_TRUE(jukebox.GetTrackRepeat(2));
    EXPECT_FALSE(jukebox.GetTrackRepeat(5));
    jukebox.SetTrackRepeat(2, false);
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(jukebox.GetTrackRepeat(i));
}

TEST_F(JukeboxListTest, DeletedTracksGoAndTheRestKeepTheirOrder)
{
    Jukebox jukebox(nullptr);
    Fill(jukebox, 6);
    jukebox.SetCurrentTrack(2);
    jukebox.MarkTrackDeleted(1);
    jukebox.MarkTrackDeleted(4);
    EXPECT_TRUE(jukebox.IsTrackDeleted(1));
    jukebox.RemoveDeletedTracks();
    EXPECT_EQ(Order(jukebox), (std::vector<std::string>{"t0.mp3", "t2.mp3", "t3.mp3", "t5.mp3"}));
    EXPECT_EQ(jukebox.GetCurrentTrack(), 2); // left as it was
    EXPECT_EQ(jukebox.GetTrackTime(3), 6000);

    // When the list no longer reaches the current index, the last track becomes current.
    jukebox.SetCurrentTrack(3);
    jukebox.MarkTrackDeleted(2);
    jukebox.MarkTrackDeleted(3);
    jukebox.RemoveDeletedTracks();
    EXPECT_EQ(jukebox.GetTrackCount(), 2);
    EXPECT_EQ(jukebox.GetCurrentTrack(), 1);
    jukebox.NextTrack(); // must not touch a removed track

    jukebox.ClearTracks();
    EXPECT_EQ(jukebox.GetTrackCount(), 0);
    EXPECT_EQ(jukebox.GetCurrentTrack(), 0);
    jukebox.NextTrack();
    jukebox.PreviousTrack();
    EXPECT_FALSE(jukebox.PlayCurrentTrack(false));
}

TEST_F(JukeboxListTest, ShuffleFollowsTheRuntimeRandomSequence)
{
    // The runtime's rand seeded with 1 gives 41, 18467, 6334, 26500, ... For k = 1..4, j = rand % (k + 1) is
    // 1, 2, 2, 0: only the swaps (3, 2) and (4, 0) change anything.
    Jukebox jukebox(nullptr);
    Fill(jukebox, 5);
    jukebox.SetCurrentTrack(1);
    platform::SRand(1);
    jukebox.ShuffleAll();
    EXPECT_EQ(Order(jukebox), (std::vector<std::string>{"t4.mp3", "t1.mp3", "t3.mp3", "t2.mp3", "t0.mp3"}));
    EXPECT_EQ(jukebox.GetCurrentTrack(), 1);

    // The listed positions 4, 0, 2, 3 are taken in that order (t4, t0, t2, t3), shuffled by the same rule
    // (only k = 3 swaps, with 2) into t4, t0, t3, t2 and written back to 4, 0, 2, 3.
    Jukebox part(nullptr);
    Fill(part, 5);
    platform::SRand(1);
    part.ShuffleTracks({4, 0, 2, 3});
    EXPECT_EQ(Order(part), (std::vector<std::string>{"t0.mp3", "t1.mp3", "t3.mp3", "t2.mp3", "t4.mp3"}));

    // Positions outside the list and repeated positions take no part.
    part.ShuffleTracks({9, -1, 1, 1});
    EXPECT_EQ(part.GetTrackCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_NE(part.GetTrackFileName(i), nullptr);
}

TEST_F(JukeboxListTest, QueriesAndFilterTests)
{
    Jukebox jukebox(nullptr);
    Fill(jukebox, 3);
    jukebox.SetTrackAttribute(1, 1);
    EXPECT_EQ(jukebox.GetTrackAttribute(1), 1);
    EXPECT_EQ(jukebox.GetTrackDirectory(0), m_folder);
    EXPECT_EQ(jukebox.GetPlayMode(), Jukebox::kPlayModeNext);
    EXPECT_EQ(jukebox.GetAttributeFilter(), Jukebox::kFilterAll);
    // With filter 2 no track's attribute equals it.
    EXPECT_FALSE(jukebox.HasFilteredTrack());
    EXPECT_TRUE(jukebox.HasUnfilteredTrack());
    jukebox.SetAttributeFilter(1);
    EXPECT_TRUE(jukebox.HasFilteredTrack());
    EXPECT_TRUE(jukebox.HasUnfilteredTrack());
    jukebox.SetTrackAttribute(0, 1);
    jukebox.SetTrackAttribute(2, 1);
    EXPECT_FALSE(jukebox.HasUnfilteredTrack());

    jukebox.SetCurrentTrack(10);
    EXPECT_EQ(jukebox.GetCurrentTrack(), 2);
    jukebox.SetCurrentTrack(-4);
    EXPECT_EQ(jukebox.GetCurrentTrack(), 0);
    // Indices outside the list are answered safely.
    EXPECT_EQ(jukebox.GetTrackFileName(3), nullptr);
    EXPECT_EQ(jukebox.GetTrackTitle(-1), nullptr);
    EXPECT_EQ(jukebox.GetTrackTime(99), 0);
    jukebox.SetTrackRepeat(7, true);
    jukebox.MarkTrackDeleted(7);
    EXPECT_EQ(jukebox.GetTrackCount(), 3);

    // Without a sound manager nothing can play: the open fails and the jukebox stays stopped.
    EXPECT_FALSE(jukebox.PlayCurrentTrack(false));
    EXPECT_TRUE(jukebox.HasOpenFailed());
    EXPECT_FALSE(jukebox.IsPlaying());
    EXPECT_FALSE(jukebox.IsStreamPlaying());
}

// ---------------------------------------------------------------------------------------------------------------
// Playing through the sound manager's music stream (the mixer driven by hand)

class JukeboxPlayTest : public ::testing::Test
{
protected:
    // Each track: 20 silent MPEG-1 frames at 44.1 kHz, 0.52 s.
    static constexpr int kTrackFrames = 20;

    void SetUp() override
    {
        platform::SoundUseManualMixing(true);
        m_pSound = std::make_unique<SoundManager>(true, "jukeboxtest");
        if (!m_pSound->IsEnabled())
            GTEST_SKIP() << "the sound back end did not start";
        m_pSound->SetMusicVolume(1.0f);
        m_folder = m_dir.Path() + "/";
        for (int i = 0; i < 6; ++i)
            testsupport::WriteBytes(m_dir.File(Name(i)), Frames(kMpeg1At128, kTrackFrames));
    }

    void TearDown() override
    {
        m_pSound.reset();
        platform::SoundUseManualMixing(false);
    }

    static std::string Name(int i) { return "p" + std::to_string(i) + ".mp3"; }

    void Fill(Jukebox& jukebox, const std::vector<int>& attributes)
    {
        for (size_t i = 0; i < attributes.size(); ++i)
            ASSERT_TRUE(jukebox.AddTrack(m_folder.c_str(), Name(static_cast<int>(i)).c_str(), attributes[i], -1));
    }

    // Mixes `ms` milliseconds of output.
    void Mix(int ms)
    {
        int rate = platform::SoundGetOutputRate();
        int frames = rate * ms / 1000;
        std::vector<int16_t> buffer(static_cast<size_t>(frames) * 2);
        platform::SoundRender(buffer.data(), frames);
        m_pSound->Update(ms / 1000.0f);
    }

    testsupport::RecordingReportSink m_sink;
    testsupport::TempDir m_dir;
    std::string m_folder;
    std::unique_ptr<SoundManager> m_pSound;
};

TEST_F(JukeboxPlayTest, FilterAllWrapsAtBothEnds)
{
    Jukebox jukebox(m_pSound.get());
    Fill(jukebox, {0, 1, 0, 1});
    jukebox.SetCurrentTrack(3);
    ASSERT_TRUE(jukebox.PlayCurrentTrack(false));
    jukebox.NextTrack();
    EXPECT_EQ(jukebox.GetCurrentTrack(), 0);
    EXPECT_TRUE(jukebox.IsStreamPlaying());
    jukebox.PreviousTrack();
    EXPECT_EQ(jukebox.GetCurrentTrack(), 3);
    EXPECT_TRUE(jukebox.IsPlaying());
}

TEST_F(JukeboxPlayTest, AttributeFilterPicksMatchingTracksOrStops)
{
    Jukebox jukebox(m_pSound.get());
    Fill(jukebox, {0, 1, 0});
    jukebox.SetAttributeFilter(1);
    jukebox.SetCurrentTrack(1);
    ASSERT_TRUE(jukebox.PlayCurrentTrack(false));
    // Only track 1 matches: the search comes round to it last and plays it again.
    jukebox.NextTrack();
    EXPECT_EQ(jukebox.GetCurrentTrack(), 1);
    EXPECT_TRUE(jukebox.IsStreamPlaying());
    jukebox.PreviousTrack();
    EXPECT_EQ(jukebox.GetCurrentTrack(), 1);
    EXPECT_TRUE(jukebox.IsPlaying());

    // No track matches: the stream stops.
    jukebox.SetTrackAttribute(1, 0);
    jukebox.NextTrack();
    EXPECT_FALSE(jukebox.IsPlaying());
    EXPECT_FALSE(jukebox.IsStreamPlaying());
    EXPECT_EQ(jukebox.GetCurrentTrack(), 1);

    // While stopped the selection moves to the next match but nothing starts.
    jukebox.SetTrackAttribute(0, 1);
    jukebox.NextTrack();
    EXPECT_EQ(jukebox.GetCurrentTrack(), 0);
    EXPECT_FALSE(jukebox.IsStreamPlaying());
}

TEST_F(JukeboxPlayTest, PlayFirstTrackHonoursTheFilter)
{
    Jukebox jukebox(m_pSound.get());
    Fill(jukebox, {0, 0, 1, 1});
    jukebox.SetAttributeFilter(1);
    jukebox.PlayFirstTrack();
    EXPECT_EQ(jukebox.GetCurrentTrack(), 2);
    EXPECT_TRUE(jukebox.IsStreamPlaying());
    jukebox.Stop();

    jukebox.SetAttributeFilter(3);
    jukebox.SetCurrentTrack(3);
    jukebox.PlayFirstTrack();
    EXPECT_EQ(jukebox.GetCurrentTrack(), 0);
    EXPECT_FALSE(jukebox.IsStreamPlaying());
    EXPECT_FALSE(jukebox.IsPlaying());

    jukebox.SetAttributeFilter(Jukebox::kFilterAll);
    jukebox.PlayFirstTrack();
    EXPECT_EQ(jukebox.GetCurrentTrack(), 0);
    EXPECT_TRUE(jukebox.IsStreamPlaying());
}

TEST_F(JukeboxPlayTest, RepeatedTrackPlaysAgainFromItsStart)
{
    Jukebox jukebox(m_pSound.get());
    Fill(jukebox, {0, 0, 0, 0, 0, 0});
    jukebox.SetTrackRepeat(5, true);
    jukebox.SetTrackRepeat(2, true);
    EXPECT_FALSE(jukebox.GetTrackRepeat(5));
    jukebox.SetCurrentTrack(2);
    ASSERT_TRUE(jukebox.PlayCurrentTrack(false));
    Mix(200);
    uint32_t before = m_pSound->GetStreamTimeMs();
    EXPECT_GT(before, 0u);
    jukebox.NextTrack();
    EXPECT_EQ(jukebox.GetCurrentTrack(), 2);
    EXPECT_LT(m_pSound->GetStreamTimeMs(), before);
    jukebox.PreviousTrack();
    EXPECT_EQ(jukebox.GetCurrentTrack(), 2);
}

TEST_F(JukeboxPlayTest, UpdateMovesOnOrStopsWhenATrackEnds)
{
    Jukebox jukebox(m_pSound.get());
    Fill(jukebox, {0, 0, 0});
    ASSERT_TRUE(jukebox.PlayCurrentTrack(false));
    Mix(100);
    EXPECT_FALSE(jukebox.Update()); // still playing
    // The 0.52 s track ends within a second of output.
    Mix(1000);
    EXPECT_FALSE(jukebox.IsStreamPlaying());
    EXPECT_TRUE(jukebox.Update());
    EXPECT_EQ(jukebox.GetCurrentTrack(), 1);
    EXPECT_TRUE(jukebox.IsStreamPlaying());

    jukebox.SetPlayMode(Jukebox::kPlayModeStop);
    Mix(1000);
    EXPECT_FALSE(jukebox.Update());
    EXPECT_FALSE(jukebox.IsPlaying());
    EXPECT_EQ(jukebox.GetCurrentTrack(), 1);
    EXPECT_FALSE(jukebox.Update());
}

TEST_F(JukeboxPlayTest, TogglePauseResumesThePausedTrackWhereItWas)
{
    Jukebox jukebox(m_pSound.get());
    Fill(jukebox, {0, 0});
    ASSERT_TRUE(jukebox.PlayCurrentTrack(false));
    Mix(250);
    uint32_t position = m_pSound->GetStreamTimeMs();
    ASSERT_GT(position, 0u);

    jukebox.TogglePause();
    EXPECT_TRUE(m_pSound->IsStreamPaused());
    EXPECT_TRUE(jukebox.IsPlaying());
    // A paused track has not ended: the update leaves it alone, and mixing does not move it.
    Mix(1000);
    EXPECT_FALSE(jukebox.Update());
    EXPECT_EQ(jukebox.GetCurrentTrack(), 0);
    EXPECT_EQ(m_pSound->GetStreamTimeMs(), position);

    // The second toggle resumes rather than pausing again, from the same place.
    jukebox.TogglePause();
    EXPECT_FALSE(m_pSound->IsStreamPaused());
    EXPECT_TRUE(jukebox.IsStreamPlaying());
    EXPECT_GE(m_pSound->GetStreamTimeMs(), position);
    Mix(100);
    EXPECT_GT(m_pSound->GetStreamTimeMs(), position);

    // Playing the current track with resume continues a paused stream; without it the track restarts.
    jukebox.TogglePause();
    uint32_t paused = m_pSound->GetStreamTimeMs();
    ASSERT_TRUE(jukebox.PlayCurrentTrack(true));
    EXPECT_FALSE(m_pSound->IsStreamPaused());
    EXPECT_GE(m_pSound->GetStreamTimeMs(), paused);
    ASSERT_TRUE(jukebox.PlayCurrentTrack(false));
    EXPECT_LT(m_pSound->GetStreamTimeMs(), paused);

    // A paused stream belongs to its own track: with another track current, resume starts that one.
    Mix(200);
    jukebox.TogglePause();
    jukebox.SetCurrentTrack(1);
    ASSERT_TRUE(jukebox.PlayCurrentTrack(true));
    EXPECT_FALSE(m_pSound->IsStreamPaused());
    EXPECT_LT(m_pSound->GetStreamTimeMs(), 200u);
}

TEST_F(JukeboxPlayTest, TrackThatCannotBeOpenedLeavesTheJukeboxStopped)
{
    Jukebox jukebox(m_pSound.get());
    Fill(jukebox, {0, 0});
    std::filesystem::remove(m_dir.File(Name(1)));
    jukebox.SetCurrentTrack(1);
    EXPECT_FALSE(jukebox.PlayCurrentTrack(false));
    EXPECT_TRUE(jukebox.HasOpenFailed());
    EXPECT_FALSE(jukebox.IsPlaying());
    // Nothing was playing, so the update starts nothing.
    EXPECT_FALSE(jukebox.Update());
    jukebox.SetCurrentTrack(0);
    EXPECT_TRUE(jukebox.PlayCurrentTrack(false));
    EXPECT_FALSE(jukebox.HasOpenFailed());
    EXPECT_TRUE(m_sink.boxes.empty());
}

} // namespace
