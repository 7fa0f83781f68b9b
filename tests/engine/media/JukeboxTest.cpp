// Tests of the music jukebox: the frame scan's track times on made-up and lame-encoded MP3s, hostile headers,
// ID3v1 tags, the play list's editing, and the play modes and pause on the sound manager's music stream.
#include "engine/media/Jukebox.h"

#include "engine/media/SoundManager.h"
#include "platform/Random.h"
#include "platform/audio/Sound.h"

#include "tests/platform/audio/AudioTestFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
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

std::vector<uint8_t> Frames(const FrameKind& kind, int count, std::vector<uint8_t> before = {})
{
    for (int i = 0; i < count; ++i)
    {
        before.insert(before.end(), kind.header, kind.header + 4);
        before.insert(before.end(), kind.size - 4, 0x00);
    }
    return before;
}

// A file of the bytes followed by a 128-byte ID3v1 tag; texts longer than 30 characters fill their field
// without a terminator.
std::vector<uint8_t> Tagged(std::vector<uint8_t> bytes, const std::string& title, const std::string& artist)
{
    std::vector<uint8_t> tag(128, 0);
    std::memcpy(tag.data(), "TAG", 3);
    std::memcpy(tag.data() + 3, title.data(), std::min<size_t>(title.size(), 30));
    std::memcpy(tag.data() + 33, artist.data(), std::min<size_t>(artist.size(), 30));
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    return bytes;
}

Mp3FrameScanner ScanBytes(const std::vector<uint8_t>& bytes, size_t blockSize = Mp3FrameScanner::kBlockSize)
{
    Mp3FrameScanner scanner;
    for (size_t at = 0; at < bytes.size(); at += blockSize)
        scanner.ScanBlock(bytes.data() + at, std::min(blockSize, bytes.size() - at));
    scanner.Finish();
    return scanner;
}

// ---------------------------------------------------------------------------------------------------------------
// Frame scan and track times

TEST(JukeboxFrameScanTest, FramesGiveTheTrackTime)
{
    // Play time = frames x samples per frame / whole kilohertz (44,100 Hz counts as 44, 22,050 as 22).
    std::vector<uint8_t> mixed; // 128 and 160 kbit/s alternating, some padded: no single bitrate, average 144
    for (int i = 0; i < 50; ++i)
        mixed = Frames(kMpeg1At160, 1, Frames(i % 4 == 0 ? kMpeg1At128Padded : kMpeg1At128, 1, mixed));
    std::vector<uint8_t> truncated = Frames(kMpeg1At128, 3); // ends inside its third frame: still counted
    truncated.resize(2 * 417 + 100);
    // Frames, junk bytes, play time, first-frame bitrate (0 when they differ), average, version, stereo.
    const std::pair<std::vector<uint8_t>, std::tuple<int, uint64_t, int, int, int, int, bool>> cases[] = {
        {Frames(kMpeg1At128, 1000), {1000, 0, 26181, 128, 128, 1, true}},
        {Frames(kMpeg2Mono64, 500), {500, 0, 500 * 576 / 22, 64, 64, 2, false}},
        {mixed, {100, 0, 100 * 1152 / 44, 0, 144, 1, true}},
        // Frames at another sample rate are junk, all but the last three bytes (too few for a header).
        {Frames(kMpeg1At48k, 10, Frames(kMpeg1At128, 10)), {10, 10 * 384 - 3, 10 * 1152 / 44, 128, 128, 1, true}},
        {truncated, {3, 0, 3 * 1152 / 44, 128, 128, 1, true}},
    };
    for (const auto& [bytes, expected] : cases)
    {
        Mp3FrameScanner s = ScanBytes(bytes);
        EXPECT_TRUE(s.IsValid() && s.GetLayer() == 1) << bytes.size();
        EXPECT_EQ(std::tuple(s.GetFrameCount(), s.GetJunkBytes(), s.GetPlayTime(), s.GetBitrate(),
                             s.GetAverageBitrate(), s.GetVersion(), s.IsStereo()),
                  expected)
            << bytes.size();
    }
}

TEST(JukeboxFrameScanTest, ResultsDoNotDependOnWhereBlocksEnd)
{
    // Junk that puts frame headers across block ends at many different offsets; between the runs a header with
    // bitrate index 15, a lone 0xFF, headers with half a sync (the first byte, or the second's top bits, wrong),
    // and a last byte too short for a header.
    std::vector<uint8_t> bytes = Frames(kMpeg1At128, 7, std::vector<uint8_t>(1000, 0x20));
    bytes.insert(bytes.end(), {0xFF, 0xFB, 0xF0, 0x00, 0xFF, 0x7F, 0xFB, 0x90, 0x44, 0xFF, 0x1B, 0x90, 0x44});
    bytes = Frames(kMpeg1At128Padded, 9, Frames(kMpeg1At160, 13, bytes));
    bytes.push_back(0x01);
    for (size_t blockSize : {size_t{1}, size_t{3}, size_t{417}, Mp3FrameScanner::kBlockSize})
    {
        Mp3FrameScanner scanner = ScanBytes(bytes, blockSize);
        EXPECT_EQ(std::tuple(scanner.GetFrameCount(), scanner.GetFrameBytes(), scanner.GetJunkBytes()),
                  std::tuple(29, 7u * 417u + 13u * 522u + 9u * 418u, uint64_t{1013}))
            << blockSize;
    }
}

// An ID3v2 tag of `payload` bytes that look like compressed data (embedded pictures and the like), with a footer
// when asked.
std::vector<uint8_t> Id3v2Tag(uint32_t payload, uint32_t seed, bool footer = false)
{
    std::vector<uint8_t> tag = {'I', 'D', '3', 4, 0, static_cast<uint8_t>(footer ? 0x10 : 0x00)};
    for (int shift : {21, 14, 7, 0})
        tag.push_back(static_cast<uint8_t>((payload >> shift) & 0x7F));
    uint32_t x = seed;
    for (uint32_t i = 0; i < payload; ++i)
    {
        x = x * 1664525u + 1013904223u;
        tag.push_back(static_cast<uint8_t>(x >> 24));
    }
    if (footer)
        tag.insert(tag.end(), {'3', 'D', 'I', 4, 0, 0x10, tag[6], tag[7], tag[8], tag[9]});
    return tag;
}

TEST(JukeboxFrameScanTest, TagsBeforeTheAudioAreSteppedOver)
{
    // Whatever a tag at the start holds is not audio: the track is its 700 frames (18.3 s at 44.1 kHz), whichever
    // way the file is cut into blocks.
    std::vector<uint8_t> twoTags = Id3v2Tag(5000, 7);
    const std::vector<uint8_t> second = Id3v2Tag(3000, 8, true);
    twoTags.insert(twoTags.end(), second.begin(), second.end());
    const std::pair<const char*, std::vector<uint8_t>> tags[] = {
        {"picture tag", Id3v2Tag(30000, 1)},
        {"another picture", Id3v2Tag(30000, 99)},
        {"tag with footer", Id3v2Tag(12000, 5, true)},
        {"two tags", twoTags},
    };
    for (const auto& [what, tag] : tags)
        for (size_t blockSize : {size_t{7}, size_t{1000}, Mp3FrameScanner::kBlockSize})
        {
            Mp3FrameScanner scanner = ScanBytes(Frames(kMpeg1At128, 700, tag), blockSize);
            SCOPED_TRACE(std::string(what) + ", blocks of " + std::to_string(blockSize));
            EXPECT_TRUE(scanner.IsValid());
            EXPECT_EQ(scanner.GetLayer(), 1);
            EXPECT_EQ(scanner.GetSampleRate(), 44100);
            EXPECT_EQ(scanner.GetFrameCount(), 700);
            EXPECT_EQ(scanner.GetJunkBytes(), 0u);
            EXPECT_EQ(scanner.GetPlayTime(), 700 * 1152 / 44);
        }
}

// Ten bytes in front of the audio that only look like the start of a tag (another name, a version or size byte no tag
// has) are junk to the scan, not a tag: nothing after them is stepped over.
TEST(JukeboxFrameScanTest, BytesThatAreNoTagAreNotSteppedOver)
{
    const std::pair<const char*, std::vector<uint8_t>> fronts[] = {
        {"another name", {'I', 'D', 'X', 4, 0, 0, 0, 0, 0x10, 0}},
        {"a name cut short", {'I', 'X', '3', 4, 0, 0, 0, 0, 0x10, 0}},
        {"a version of 255", {'I', 'D', '3', 0xFF, 0, 0, 0, 0, 0x10, 0}},
        {"a revision of 255", {'I', 'D', '3', 4, 0xFF, 0, 0, 0, 0x10, 0}},
        {"a size byte of 128", {'I', 'D', '3', 4, 0, 0, 0, 0, 0x80, 0}},
    };
    for (const auto& [what, front] : fronts)
    {
        Mp3FrameScanner scanner = ScanBytes(Frames(kMpeg1At128, 700, front), Mp3FrameScanner::kBlockSize);
        EXPECT_EQ(std::tuple(scanner.GetFrameCount(), scanner.GetJunkBytes()), std::tuple(700, uint64_t{10})) << what;
    }
}

// Each file is added when it is mostly Layer III audio, with its measured time and its ID3v1 tag's title and
// artist (the title falls back to the file name, empty fields count as missing).
TEST(JukeboxAddTest, FilesAreMeasuredAndNamedOrRefused)
{
    testsupport::TempDir dir;
    std::string folder = dir.Path() + "/";
    std::vector<uint8_t> forbidden; // bitrate indices 0 and 15 and sample-rate index 3 make no frames at all
    for (uint8_t third : {0x00, 0xF0, 0x9C})
        for (int i = 0; i < 70; ++i)
            forbidden.insert(forbidden.end(), {0xFF, 0xFB, third, 0x44});
    std::vector<uint8_t> mostlyText = Frames(kMpeg1At128, 5);
    mostlyText.insert(mostlyText.end(), 3000, 'x');
    const char* none = nullptr;
    const std::tuple<const char*, std::vector<uint8_t>, bool, int, const char*, const char*> files[] = {
        {"empty.mp3", {}, false, 0, none, none},
        {"mostlytext.mp3", mostlyText, false, 0, none, none},
        {"forbidden.mp3", forbidden, false, 0, none, none},
        {"layer2.mp3", Frames(kMpeg1LayerII, 100), false, 0, none, none},
        // The artist fills all 30 characters with no terminator (31 were given); the title keeps its padding
        // spaces; the tag's 128 bytes are junk to the scan.
        {"tagged.mp3", Tagged(Frames(kMpeg1At128, 40), "Morning Rounds  ", "The Very Long Name Of The Band!"), true,
         40 * 1152 / 44, "Morning Rounds  ", "The Very Long Name Of The Band"},
        {"blank.mp3", Tagged(Frames(kMpeg1At128, 10), "", ""), true, 10 * 1152 / 44, "blank.mp3", none},
    };
    Jukebox jukebox(nullptr);
    for (const auto& [name, bytes, added, time, title, artist] : files)
    {
        testsupport::WriteBytes(dir.File(name), bytes);
        ASSERT_EQ(jukebox.AddTrack(folder.c_str(), name, 0, -1), added) << name;
        if (!added)
            continue;
        int32_t i = jukebox.GetTrackCount() - 1;
        EXPECT_EQ(std::tuple(jukebox.GetTrackTime(i), std::string(jukebox.GetTrackTitle(i))), std::tuple(time, title));
        EXPECT_STREQ(jukebox.GetTrackArtist(i), artist);
    }
    EXPECT_FALSE(jukebox.AddTrack(folder.c_str(), "missing.mp3", 0, -1));
    // Nor do they with the padding bit, in either version: such headers back to back are no chain of the shortest
    // frames.
    for (const uint8_t second : {0xFB, 0xF3})
        for (const uint8_t third : {0x02, 0xF2})
        {
            std::vector<uint8_t> bytes;
            for (int i = 0; i < 70; ++i)
                bytes.insert(bytes.end(), {0xFF, second, third, 0x44});
            testsupport::WriteBytes(dir.File("padded.mp3"), bytes);
            EXPECT_FALSE(jukebox.AddTrack(folder.c_str(), "padded.mp3", 0, -1)) << int(second) << " " << int(third);
        }
    // No folder or no name: nothing to open, whatever the play time.
    EXPECT_FALSE(jukebox.AddTrack(nullptr, "tagged.mp3", 0, 1000));
    EXPECT_FALSE(jukebox.AddTrack(folder.c_str(), nullptr, 0, 1000));
    EXPECT_EQ(jukebox.GetTrackCount(), 2);
    // A known play time skips the scan: any file that opens is taken.
    EXPECT_TRUE(jukebox.AddTrack(folder.c_str(), "layer2.mp3", 1, 5000));
    EXPECT_EQ(jukebox.GetTrackTime(2), 5000);
    // A file shorter than a tag has none, even one starting with "TAG".
    std::optional<std::string> artist, title;
    testsupport::WriteText(dir.File("short.mp3"), "TAGshort");
    ASSERT_TRUE(Jukebox::ReadId3v1(dir.File("short.mp3").c_str(), &artist, &title));
    EXPECT_FALSE(title || artist);
    // A lame-encoded tone of 1500 ms: more (44,100 Hz counts as 44 kHz), and lame's tag frame, encoder delay and
    // last-frame padding add under four frames of 1152 samples.
    if (!audiotest::HaveLame())
        return;
    constexpr int kSamples = 44100 * 3 / 2;
    testsupport::WriteBytes(dir.File("tone.wav"),
                            audiotest::Wav16(44100, 1, audiotest::Sine(kSamples, 44100, 440, 8000)));
    ASSERT_TRUE(audiotest::EncodeMp3(dir.File("tone.wav"), dir.File("tone.mp3"), "-m m -b 64"));
    ASSERT_TRUE(jukebox.AddTrack(folder.c_str(), "tone.mp3", 0, -1));
    EXPECT_GE(jukebox.GetTrackTime(3), 1500);
    EXPECT_LE(jukebox.GetTrackTime(3), kSamples / 44 + 4 * 1152 / 44);
}

// A measured file goes on the play list only when the music stream can play it: frames behind text or behind a
// WAV file's header are mostly audio to the scan, but the stream refuses them, and the jukebox would stop the
// music on reaching them. Frames behind an ID3v2 tag, with or without an ID3v1 tag after them, are taken.
TEST(JukeboxAddTest, AMeasuredFileIsTakenOnlyWhenTheMusicStreamCanPlayIt)
{
    testsupport::TempDir dir;
    std::string folder = dir.Path() + "/";
    std::vector<uint8_t> id3v2 = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 40};
    id3v2.insert(id3v2.end(), 40, 0);
    std::vector<uint8_t> wavHeader = {'R',  'I',  'F', 'F', 0,  0,    0, 0, 'W',  'A', 'V', 'E',
                                      'f',  'm',  't', ' ', 30, 0,    0, 0, 0x55, 0,   2,   0,
                                      0x44, 0xAC, 0,   0,   0,  0xFA, 0, 0, 1,    0,   0,   0};
    wavHeader.insert(wavHeader.end(), 14, 0);
    wavHeader.insert(wavHeader.end(), {'d', 'a', 't', 'a', 0x90, 0x41, 0, 0});
    const std::tuple<const char*, std::vector<uint8_t>, bool> files[] = {
        {"plain.mp3", Frames(kMpeg1At128, 40), true},
        {"id3v2.mp3", Frames(kMpeg1At128, 40, id3v2), true},
        {"tags.mp3", Tagged(Frames(kMpeg1At128, 40, id3v2), "Title", "Artist"), true},
        {"text first.mp3", Frames(kMpeg1At128, 40, std::vector<uint8_t>(300, 'x')), false},
        {"wav header.mp3", Frames(kMpeg1At128, 40, wavHeader), false},
    };
    Jukebox jukebox(nullptr);
    for (const auto& [name, bytes, added] : files)
    {
        testsupport::WriteBytes(dir.File(name), bytes);
        EXPECT_EQ(jukebox.AddTrack(folder.c_str(), name, 0, -1), added) << name;
    }
    // Every track on the list opens as a music stream.
    ASSERT_EQ(jukebox.GetTrackCount(), 3);
    for (int32_t i = 0; i < jukebox.GetTrackCount(); ++i)
    {
        platform::SoundStream* stream = platform::SoundStreamOpen(folder + jukebox.GetTrackFileName(i));
        EXPECT_NE(stream, nullptr) << jukebox.GetTrackFileName(i);
        platform::SoundStreamClose(stream);
    }
}

// The real MP3s of the shared corpus: each is measured or refused, and its tag read, without harm.
TEST(JukeboxCorpusTest, CorpusMp3sAreMeasuredOrRefused)
{
    std::string corpus = testsupport::CorpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "corpus folder is absent";
    std::string folder = corpus + "/mp3/";
    // From the corpus manifest: frames, sample rate and samples per frame (the ID3v2 tag in front of a file's one
    // frame is stepped over); the MPEG-2.5 file is measured by the MPEG-2 tables (the scan's rule), so it is only
    // read, not checked.
    const std::map<std::string, std::tuple<int, int, int>> known = {
        {"minimp3__l3-hecommon.mp3", {30, 44100, 1152}},
        {"minimp3__M2L3_bitrate_22_all.mp3", {476, 22050, 576}},
        {"taglib__mpeg2.mp3", {198, 22050, 576}},
        {"fastled__jazzy_percussion.mp3", {154, 44100, 1152}},
        {"minimp3__l3-nonstandard-sin1k0db_lame_vbrtag.mp3", {317, 44100, 1152}},
        {"taglib__rare_frames.mp3", {18, 44100, 1152}},
        {"taglib__id3v22-tda.mp3", {35, 44100, 1152}},
        {"minimp3__l3-nonstandard-id3v1.mp3", {1, 48000, 1152}},
        {"minimp3__l3-nonstandard-id3v2.mp3", {1, 48000, 1152}},
    };
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        Mp3FrameScanner scanner;
        ASSERT_TRUE(scanner.ScanFile(entry.path().string().c_str()));
        EXPECT_LE(scanner.GetFrameBytes() + scanner.GetJunkBytes(), static_cast<uint64_t>(entry.file_size()) + 2048);
        std::optional<std::string> artist, title;
        EXPECT_TRUE(Jukebox::ReadId3v1(entry.path().string().c_str(), &artist, &title));
        EXPECT_LE(std::max(artist.value_or("").size(), title.value_or("").size()), 30u);
        Jukebox jukebox(nullptr);
        bool added = jukebox.AddTrack(folder.c_str(), name.c_str(), 0, -1);
        auto it = known.find(name);
        if (it == known.end())
            continue;
        auto [frames, rate, samples] = it->second;
        EXPECT_EQ(added, rate > 0);
        EXPECT_NEAR(scanner.GetFrameCount(), frames, 1);
        // Play time: frames x samples per frame / whole kilohertz, within one frame.
        if (added)
        {
            EXPECT_NEAR(jukebox.GetTrackTime(0), frames * samples / (rate / 1000), samples / (rate / 1000));
        }
    }
}

// ---------------------------------------------------------------------------------------------------------------
// The play list, and playing it through the sound manager's music stream (the mixer driven by hand)

class JukeboxTest : public ::testing::Test
{
protected:
    // Each track: 20 silent MPEG-1 frames at 44.1 kHz, 0.52 s.
    void SetUp() override
    {
        platform::SoundUseManualMixing(true);
        m_pSound = std::make_unique<SoundManager>(true, "jukeboxtest");
        m_pSound->SetMusicVolume(1.0f);
        for (int i = 0; i < 6; ++i)
            testsupport::WriteBytes(m_dir.File(Name(i)), Frames(kMpeg1At128, 20));
    }

    void TearDown() override
    {
        m_pSound.reset();
        platform::SoundUseManualMixing(false);
    }

    static std::string Name(int i) { return "t" + std::to_string(i) + ".mp3"; }

    // A jukebox of one track for each attribute given.
    std::unique_ptr<Jukebox> Make(const std::vector<int>& attributes, bool withSound = true)
    {
        auto jukebox = std::make_unique<Jukebox>(withSound ? m_pSound.get() : nullptr);
        for (size_t i = 0; i < attributes.size(); ++i)
            EXPECT_TRUE(
                jukebox->AddTrack((m_dir.Path() + "/").c_str(), Name(static_cast<int>(i)).c_str(), attributes[i], -1));
        return jukebox;
    }

    static std::string Order(const Jukebox& jukebox)
    {
        std::string names;
        for (int i = 0; i < jukebox.GetTrackCount(); ++i)
            names += jukebox.GetTrackFileName(i)[1];
        return names;
    }

    // Mixes `ms` milliseconds of output and runs a frame of the sound manager.
    void Mix(int ms)
    {
        std::vector<int16_t> buffer(static_cast<size_t>(platform::SoundGetOutputRate() * ms / 1000) * 2);
        platform::SoundRender(buffer.data(), static_cast<int>(buffer.size() / 2));
        m_pSound->Update(ms / 1000.0f);
    }

    testsupport::RecordingReportSink m_sink;
    testsupport::TempDir m_dir;
    std::unique_ptr<SoundManager> m_pSound;
};

TEST_F(JukeboxTest, EditingTheListKeepsTheCurrentTrackAndOrder)
{
    auto jukebox = Make({0, 0, 0, 0, 0, 0}, false);
    // Moving track 3 up while track 2 is current moves the current track down; moving it itself takes the index.
    jukebox->SetCurrentTrack(2);
    jukebox->MoveTrackUp(3);
    EXPECT_EQ(Order(*jukebox), "013245");
    EXPECT_EQ(jukebox->GetCurrentTrack(), 3);
    jukebox->MoveTrackDown(3);
    EXPECT_EQ(jukebox->GetCurrentTrack(), 4);
    jukebox->MoveTrackDown(5); // nothing moves past either end
    jukebox->MoveTrackUp(0);
    EXPECT_EQ(Order(*jukebox), "013425");
    // Deleted tracks go; the current index stays unless the list no longer reaches it.
    jukebox->MarkTrackDeleted(1);
    jukebox->RemoveDeletedTracks();
    EXPECT_EQ(Order(*jukebox), "03425");
    EXPECT_EQ(jukebox->GetCurrentTrack(), 4);
    jukebox->MarkTrackDeleted(2);
    jukebox->MarkTrackDeleted(3);
    jukebox->RemoveDeletedTracks();
    EXPECT_EQ(jukebox->GetCurrentTrack(), 2);
    // Indices outside the list are answered safely and change nothing.
    jukebox->SetCurrentTrack(10);
    jukebox->MarkTrackDeleted(7);
    jukebox->RemoveDeletedTracks();
    EXPECT_EQ(std::tuple(jukebox->GetCurrentTrack(), jukebox->GetTrackCount()), std::tuple(2, 3));
    EXPECT_EQ(jukebox->GetTrackTitle(-1), nullptr);
}

TEST_F(JukeboxTest, ShuffleFollowsTheRuntimeRandomSequence)
{
    // rand seeded with 1 gives 41, 18467, 6334, 26500, ...; for k = 1..4, j = rand % (k + 1) is 1, 2, 2, 0: only
    // the swaps (3, 2) and (4, 0) change anything.
    auto jukebox = Make({0, 0, 0, 0, 0}, false);
    platform::SRand(1);
    jukebox->ShuffleAll();
    EXPECT_EQ(Order(*jukebox), "41320");
    // The listed positions 4, 0, 2, 3 (holding t0, t4, t3, t2), shuffled by the same rule (only k = 3 swaps, with
    // 2) into t0, t4, t2, t3 and written back; outside and repeated positions take no part.
    platform::SRand(1);
    jukebox->ShuffleTracks({4, 0, 2, 3, 9, -1, 4});
    EXPECT_EQ(Order(*jukebox), "41230");
}

TEST_F(JukeboxTest, NextAndPreviousWrapRepeatAndFollowTheAttributeFilter)
{
    auto jukebox = Make({0, 1, 0, 1});
    jukebox->SetCurrentTrack(3);
    ASSERT_TRUE(jukebox->PlayCurrentTrack(false));
    jukebox->NextTrack();
    EXPECT_EQ(jukebox->GetCurrentTrack(), 0);
    EXPECT_TRUE(jukebox->IsStreamPlaying());
    jukebox->PreviousTrack();
    EXPECT_EQ(jukebox->GetCurrentTrack(), 3);
    // The repeated track (one at most) plays again from its start.
    jukebox->SetTrackRepeat(1, true);
    jukebox->SetTrackRepeat(3, true);
    EXPECT_FALSE(jukebox->GetTrackRepeat(1));
    Mix(200);
    uint32_t before = m_pSound->GetStreamTimeMs();
    jukebox->NextTrack();
    EXPECT_EQ(jukebox->GetCurrentTrack(), 3);
    EXPECT_LT(m_pSound->GetStreamTimeMs(), before);
    jukebox->SetTrackRepeat(3, false);
    // With a filter only matching tracks play.
    jukebox->SetAttributeFilter(1);
    jukebox->NextTrack();
    EXPECT_EQ(jukebox->GetCurrentTrack(), 1);
    // No track matches: the stream stops; while stopped the selection moves to the next match, starting nothing.
    jukebox->SetTrackAttribute(1, 0);
    jukebox->SetTrackAttribute(3, 0);
    jukebox->NextTrack();
    EXPECT_FALSE(jukebox->IsPlaying() || jukebox->IsStreamPlaying());
    jukebox->SetTrackAttribute(2, 1);
    jukebox->NextTrack();
    EXPECT_EQ(jukebox->GetCurrentTrack(), 2);
    EXPECT_FALSE(jukebox->IsStreamPlaying());
    jukebox->PlayFirstTrack(); // the first match
    EXPECT_TRUE(jukebox->IsStreamPlaying());
    // When the playing track is the only match, stepping on (either way) comes round to it and plays it again.
    for (bool forward : {true, false})
    {
        Mix(200);
        uint32_t played = m_pSound->GetStreamTimeMs();
        ASSERT_GT(played, 0u);
        forward ? jukebox->NextTrack() : jukebox->PreviousTrack();
        EXPECT_EQ(jukebox->GetCurrentTrack(), 2);
        EXPECT_TRUE(jukebox->IsPlaying() && jukebox->IsStreamPlaying());
        EXPECT_LT(m_pSound->GetStreamTimeMs(), played);
    }
}

TEST_F(JukeboxTest, UpdateMovesOnOrStopsWhenATrackEndsAndPauseAndResumeHoldThePlace)
{
    auto jukebox = Make({0, 0, 0});
    ASSERT_TRUE(jukebox->PlayCurrentTrack(false));
    Mix(250);
    EXPECT_FALSE(jukebox->Update()); // still playing
    uint32_t position = m_pSound->GetStreamTimeMs();
    ASSERT_GT(position, 0u);
    // A paused track has not ended: the update leaves it alone, and mixing does not move it.
    jukebox->TogglePause();
    EXPECT_TRUE(m_pSound->IsStreamPaused());
    Mix(1000);
    EXPECT_FALSE(jukebox->Update());
    EXPECT_EQ(m_pSound->GetStreamTimeMs(), position);
    // The second toggle resumes rather than pausing again, from the same place.
    jukebox->TogglePause();
    EXPECT_FALSE(m_pSound->IsStreamPaused());
    Mix(100);
    EXPECT_GT(m_pSound->GetStreamTimeMs(), position);
    // The 0.52 s track ends within a second of output; in "next" mode the next one starts.
    Mix(1000);
    EXPECT_TRUE(jukebox->Update());
    EXPECT_EQ(jukebox->GetCurrentTrack(), 1);
    EXPECT_TRUE(jukebox->IsStreamPlaying());
    // In "stop" mode the jukebox stops at the end.
    jukebox->SetPlayMode(Jukebox::kPlayModeStop);
    Mix(1000);
    EXPECT_FALSE(jukebox->Update());
    EXPECT_FALSE(jukebox->IsPlaying());
    EXPECT_EQ(jukebox->GetCurrentTrack(), 1);
    // Playing with resume continues only the paused stream of the same track.
    jukebox->SetCurrentTrack(0);
    ASSERT_TRUE(jukebox->PlayCurrentTrack(false));
    Mix(200);
    jukebox->TogglePause();
    uint32_t paused = m_pSound->GetStreamTimeMs();
    ASSERT_TRUE(jukebox->PlayCurrentTrack(true));
    EXPECT_FALSE(m_pSound->IsStreamPaused());
    EXPECT_GE(m_pSound->GetStreamTimeMs(), paused);
    // With another track current, resume starts that one.
    Mix(200);
    jukebox->TogglePause();
    jukebox->SetCurrentTrack(1);
    ASSERT_TRUE(jukebox->PlayCurrentTrack(true));
    EXPECT_LT(m_pSound->GetStreamTimeMs(), 200u);
    // A track that cannot be opened leaves the jukebox stopped, and the update starts nothing.
    std::filesystem::remove(m_dir.File(Name(1)));
    EXPECT_FALSE(jukebox->PlayCurrentTrack(false));
    EXPECT_TRUE(jukebox->HasOpenFailed());
    EXPECT_FALSE(jukebox->IsPlaying());
    EXPECT_FALSE(jukebox->Update());
    EXPECT_TRUE(m_sink.boxes.empty());
}

} // namespace
