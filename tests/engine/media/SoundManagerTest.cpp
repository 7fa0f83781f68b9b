// Tests for the sound manager: play forms and levels, slots, fades, SFX changes, 3D starts, streams, disabled sound.
#include "engine/media/SoundManager.h"
#include "engine/media/SampleBank.h"
#include "platform/Paths.h"
#include "platform/audio/Sound.h"
#include "tests/platform/audio/AudioTestFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

using namespace audiotest;

namespace
{

constexpr int kRate = 22050;
constexpr int16_t kClickLevel = 8000;
constexpr int16_t kLoopLevel = 10000;
constexpr size_t kClickFrames = 2205; // 0.1 s at the mixing rate
constexpr int kLoop = SoundManager::kFlagLoop;

// Channel level expected for a constant source at a channel volume, as the mixer rounds it.
int Level(int16_t source, int channelVolume, double extraGain = 1.0)
{
    return static_cast<int>(std::lround(source * (channelVolume / 255.0) * extraGain));
}

// A manager mixed by hand over the bank data\sounds\blsnd.hdr / .spf in a temporary current folder.
class SoundManagerTest : public ::testing::Test
{
protected:
    SoundManagerTest() : m_cwd(m_dir.Path())
    {
        std::filesystem::create_directories(m_dir.File("data/sounds"));
        BankFiles bank;
        bank.Add("click.wav", Wav16(kRate, 1, std::vector<int16_t>(kClickFrames, kClickLevel)));
        bank.Add("loop.wav", Wav16(kRate, 1, std::vector<int16_t>(1000, kLoopLevel)));
        bank.Add("crowdbigloop.wav", Wav16(kRate, 1, std::vector<int16_t>(500, 3000)));
        bank.Add("broken.wav", std::vector<uint8_t>(64, 0x5A));
        bank.Write(m_dir.File("data/sounds/blsnd.hdr"), m_dir.File("data/sounds/blsnd.spf"));
        platform::SoundUseManualMixing(true);
    }

    ~SoundManagerTest() override
    {
        m_manager.reset();
        platform::SoundUseManualMixing(false);
    }

    // A new manager, with the SFX volume at full unless it is to keep the level it starts with.
    SoundManager& Manager(bool enabled = true, bool full = true)
    {
        m_manager.reset(); // the old one closes the back end as it goes: before the new one starts it
        m_manager = std::make_unique<SoundManager>(enabled, "blsnd");
        if (full)
            m_manager->SetSfxVolume(1.0f);
        return *m_manager;
    }

    static std::vector<int16_t> Render(int frames)
    {
        std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
        platform::SoundRender(out.data(), frames);
        return out;
    }

    // Left and right output of the mix, a few frames in.
    static std::pair<int, int> Output()
    {
        auto out = Render(8);
        return {out[6], out[7]};
    }

    testsupport::TempDir m_dir;
    testsupport::ScopedCurrentDir m_cwd;
    std::unique_ptr<SoundManager> m_manager;
};

} // namespace

TEST(SoundManagerLevelsTest, VolumeToByteTruncatesAndDropsTheLowestLevels)
{
    // 0.01 x 255 = 2.55 -> 2, below 3; 0.012 -> 3.06 -> 3; 0.5 -> 127.5 truncated.
    const float cases[][2] = {{0.01f, 0}, {0.012f, 3}, {0.5f, 127}, {7.0f, 255}, {NAN, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(SoundManager::VolumeToByte(c[0]), static_cast<int>(c[1])) << c[0];
}

TEST_F(SoundManagerTest, DisabledManagerAnswersSilence)
{
    SoundManager& sound = Manager(false, false);
    EXPECT_EQ(g_pSoundManager, &sound);
    const float position[3] = {0, 0, 0};
    EXPECT_EQ(sound.PlaySample("click", 0, 0.0f), -1);
    EXPECT_EQ(sound.PlaySample3D("click", position, 0, 1), -1);
    EXPECT_FALSE(sound.PlayStream("music.mp3"));
    EXPECT_TRUE(sound.HasSample("click")); // the bank is opened all the same
    EXPECT_EQ(sound.CountSlotsWithTag(-1), 0);
    sound.Update(0.1f);
    m_manager.reset();
    EXPECT_EQ(g_pSoundManager, nullptr);
}

TEST_F(SoundManagerTest, PlayFormsSetChannelAndSlotLevelsAndMissingSamplesTakeNoSlot)
{
    SoundManager& sound = Manager(true, false);
    EXPECT_EQ(platform::SoundGetOutputRate(), kRate);
    EXPECT_FALSE(sound.HasSample("crowdbigloop.wav")); // the manager adds the extension itself
    // The SFX volume starts at 0: a sample starts, silently.
    int silent = sound.PlaySample("loop", kLoop, 0.0f);
    EXPECT_EQ(Output(), std::make_pair(0, 0));
    sound.StopSample(silent);
    // A missing or unreadable sample returns -1 and takes no slot.
    const float here[3] = {0, 0, 0};
    EXPECT_EQ(sound.PlaySample("nothere", 0, 0.0f), -1);
    EXPECT_EQ(sound.PlaySample3DVolume("nothere", 1.0f, here, 0, 2), -1);
    EXPECT_EQ(sound.PlaySample("broken", 0, 0.0f), -1); // in the bank, but not a sound file
    sound.SetSfxVolume(0.5f);
    const std::tuple<int, int, float> cases[] = {
        {sound.PlaySample("loop", kLoop, 0.0f), 127, 0.5f},
        {sound.PlaySampleVolume("loop", 0.4f, kLoop, 0.0f), 51, 0.4f},       // 0.4 x 0.5
        {sound.PlaySampleScaled("loop", 0.6f, 0.5f, kLoop, 0.0f), 76, 0.5f}, // 0.6 x 0.5
        {sound.PlaySample3DVolume("loop", 0.4f, here, kLoop, 4), 51, 0.4f},
    };
    sound.StopSample(-1); // a stop aimed at a failed play's -1 does nothing
    for (int i = 0; i < 4; ++i)
    {
        const auto& [slot, channel, slotVolume] = cases[i];
        ASSERT_EQ(slot, i);
        EXPECT_EQ(sound.GetSampleVolume(slot), channel) << i;
        EXPECT_FLOAT_EQ(sound.GetSlot(slot).m_fVolume, slotVolume) << i;
    }
    EXPECT_EQ(sound.CountSlotsWithTag(4), 1);
    // A full table refuses more.
    for (int i = 4; i < SoundManager::kSlotCount; ++i)
        ASSERT_EQ(sound.PlaySample("loop", kLoop, 0.0f), i);
    EXPECT_EQ(sound.PlaySample("loop", kLoop, 0.0f), -1);
}

TEST_F(SoundManagerTest, FadesMoveTheLevelOverTheirTimeAndAFadeOfNoTimeActsAtOnce)
{
    SoundManager& sound = Manager();
    int slot = sound.PlaySample("loop", kLoop, 0.5f);
    EXPECT_EQ(Output().first, 0);
    sound.Update(0.25f); // halfway: 255 / 0.5 x 0.25 = 127.5
    EXPECT_EQ(Output().first, Level(kLoopLevel, 127));
    sound.Update(0.25f);
    EXPECT_EQ(Output().first, kLoopLevel);
    // A fade to a level starts from the present one: 255 + (51 - 255) / 1 x 0.5 = 153.
    sound.FadeSampleTo(slot, 0.2f, 1.0f);
    sound.Update(0.5f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 153);
    sound.Update(0.6f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 51);
    // A fade out ends with the slot stopped and free: 51 - 51 / 0.2 x 0.1 = 25.5.
    EXPECT_EQ(sound.FadeOutSample(slot, 0.2f), 51);
    sound.Update(0.1f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 25);
    sound.Update(0.15f);
    EXPECT_FALSE(sound.GetSlot(slot).m_bInUse);
    EXPECT_EQ(Output(), std::make_pair(0, 0));
    // Fades of no time, or less, set or stop at once.
    slot = sound.PlaySample("loop", kLoop, 0.0f);
    sound.FadeSampleTo(slot, 0.5f, 0.0f);
    EXPECT_EQ(sound.GetSlot(slot).m_iFadeMode, SoundSlot::kFadeNone);
    sound.Update(0.1f);
    EXPECT_EQ(Output().first, Level(kLoopLevel, 127));
    sound.FadeSampleTo(slot, 0.2f, -1.0f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 51);
    EXPECT_EQ(sound.FadeOutSample(slot, 0.0f), 51);
    EXPECT_FALSE(sound.GetSlot(slot).m_bInUse);
    EXPECT_EQ(Output(), std::make_pair(0, 0));
}

TEST_F(SoundManagerTest, SfxChangeRescalesRestingSlotsFromTheirOwnLevelAndLeavesFadesRunning)
{
    SoundManager& sound = Manager();
    int resting = sound.PlaySampleVolume("loop", 0.5f, kLoop, 0.0f);
    int fading = sound.PlaySampleVolume("loop", 1.0f, kLoop, 0.0f);
    sound.FadeSampleTo(fading, 0.8f, 1.0f); // 255 -> 204
    sound.SetSfxVolume(0.5f);
    EXPECT_EQ(sound.GetSampleVolume(resting), 63); // VolumeToByte(0.5 x 0.5)
    EXPECT_EQ(sound.GetSampleVolume(fading), 255); // untouched: it keeps fading to its old target
    sound.Update(1.1f);
    EXPECT_EQ(sound.GetSampleVolume(fading), 204);
    // A positional start records its own level in the slot a loud 2D sample used before.
    const float here[3] = {0, 0, 0};
    sound.StopSample(fading);
    int positional = sound.PlaySample3DVolume("loop", 0.2f, here, kLoop, 7);
    ASSERT_EQ(positional, fading);
    sound.SetSfxVolume(1.0f);
    EXPECT_EQ(sound.GetSampleVolume(positional), 51); // VolumeToByte(0.2), not the old slot's 1.0
    // A free slot that is taken again starts from nothing.
    sound.StopSample(positional);
    ASSERT_EQ(sound.GetFreeSlot(), positional);
    const SoundSlot& slot = sound.GetSlot(positional);
    EXPECT_EQ(std::tuple(slot.m_fVolume, slot.m_fTarget, slot.m_iTag), std::tuple(0.0f, 0.0f, -1));
}

TEST_F(SoundManagerTest, PositionalSamplesFallOffWithTheGameRolloffAndPanAgainstTheListener)
{
    SoundManager& sound = Manager();
    // Rolloff 0.15: 1 / (1 + 0.15 x (11 - 1)) = 0.4 at 11 units; facing -x, a source at +z is on the right.
    const float origin[3] = {0, 0, 0}, at11[3] = {0, 0, 11}, forward[3] = {-1, 0, 0}, up[3] = {0, 1, 0};
    sound.SetListener(origin, forward, up);
    sound.PlaySample3D("loop", at11, kLoop, 2);
    auto [left, right] = Output();
    EXPECT_EQ(left, 0);
    EXPECT_NEAR(right, Level(kLoopLevel, 255, 0.4), 1);
}

TEST_F(SoundManagerTest, SlotsFreeWhenTheirSoundEndsOrAllStopAndBadIndicesAreIgnored)
{
    SoundManager& sound = Manager();
    sound.PlaySample("loop", kLoop, 0.0f);
    int slot = sound.PlaySample("CLICK", 0, 0.0f);
    EXPECT_EQ(sound.FindSample("Click"), slot); // any letter case
    EXPECT_EQ(Output().first, kLoopLevel + kClickLevel);
    Render(static_cast<int>(kClickFrames));
    sound.Update(0.016f);
    EXPECT_FALSE(sound.GetSlot(slot).m_bInUse);
    sound.MuteSfx();
    EXPECT_EQ(Output(), std::make_pair(0, 0));
    sound.UnmuteSfx();
    EXPECT_EQ(Output().first, kLoopLevel);
    sound.StopAllSamples();
    EXPECT_EQ(Output(), std::make_pair(0, 0));
    slot = sound.PlaySample("loop", kLoop, 0.0f);
    for (int bad : {-100, SoundManager::kSlotCount})
    {
        sound.FadeSampleTo(bad, 0.0f, 1.0f);
        sound.FadeOutSample(bad, 0.0f);
        sound.SetSampleVolume(bad, 0.0f);
        sound.StopSample(bad);
    }
    sound.Update(1.0f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 255);
}

TEST_F(SoundManagerTest, SlotWhosePlayFoundNoChannelIsFreedAtTheNextUpdate)
{
    SoundManager& sound = Manager();
    // Two of the back end's channels (one per slot and one for the music) are taken outside the manager, so its
    // 32nd slot finds none free.
    auto wav = Wav16(kRate, 1, std::vector<int16_t>(100, 1));
    platform::SoundSample* outside = platform::SoundSampleLoad(wav.data(), wav.size(), platform::kSoundLoop);
    ASSERT_GE(platform::SoundPlay(outside), 0);
    ASSERT_GE(platform::SoundPlay(outside), 0);
    for (int i = 0; i < SoundManager::kSlotCount; ++i)
        ASSERT_EQ(sound.PlaySample("loop", kLoop, 0.0f), i);
    const SoundSlot& last = sound.GetSlot(SoundManager::kSlotCount - 1);
    EXPECT_EQ(last.m_iChannel, -1);
    sound.Update(0.016f);
    EXPECT_FALSE(last.m_bInUse);
    EXPECT_TRUE(sound.GetSlot(0).m_bInUse); // the slots that play stay
    EXPECT_EQ(sound.PlaySample("loop", kLoop, 0.0f), SoundManager::kSlotCount - 1);
    sound.StopAllSamples();
    platform::SoundSampleFree(outside);
}

TEST_F(SoundManagerTest, MusicStreamPlaysAtItsOwnLevelPausesAndGivesWay)
{
    if (!HaveLame())
        GTEST_SKIP() << "lame is not installed";
    for (auto [name, frames] : {std::pair{"a.mp3", 22050}, std::pair{"b.mp3", 11025}})
    {
        testsupport::WriteBytes(m_dir.File("tone.wav"), Wav16(kRate, 1, Sine(frames, kRate, 440.0, 12000.0)));
        ASSERT_TRUE(EncodeMp3(m_dir.File("tone.wav"), m_dir.File(name), "-b 64"));
    }
    auto peak = []
    {
        int most = 0;
        for (int16_t v : Render(kRate / 10))
            most = std::max(most, std::abs(static_cast<int>(v)));
        return most;
    };
    SoundManager& sound = Manager(true, false);
    size_t before = 0, after = 0;
    platform::SoundGetMemoryStats(&before, nullptr);
    sound.SetMusicVolume(0.01f); // below 3 out of 255: silent
    ASSERT_TRUE(sound.PlayStream("A.MP3"));
    EXPECT_EQ(peak(), 0);
    sound.SetMusicVolume(1.0f);
    int loud = peak();
    EXPECT_NEAR(loud, 12000, 1500);
    // The music follows its own volume; the SFX level and mute play no part in it.
    sound.MuteSfx();
    sound.SetMusicVolume(0.5f);
    EXPECT_NEAR(peak(), loud * 127 / 255, 800);
    sound.PauseStream();
    EXPECT_EQ(peak(), 0);
    // The next stream replaces the paused one and plays to its end.
    ASSERT_TRUE(sound.PlayStream("b.mp3"));
    EXPECT_FALSE(sound.IsStreamPaused());
    EXPECT_NEAR(sound.GetStreamLengthMs(), 500.0, 60.0);
    for (int i = 0; i < 20 && sound.IsStreamPlaying(); ++i)
        Render(kRate / 10);
    EXPECT_FALSE(sound.IsStreamPlaying());
    EXPECT_FALSE(sound.PlayStream("nothere.mp3"));
    EXPECT_EQ(sound.GetStreamLengthMs(), 0u);
    // Each stream given way to was closed: the back end holds no more than before the first.
    platform::SoundGetMemoryStats(&after, nullptr);
    EXPECT_EQ(after, before);
}

TEST_F(SoundManagerTest, MusicStreamFindsAChannelWhileEverySampleSlotPlays)
{
    if (!HaveLame())
        GTEST_SKIP() << "lame is not installed";
    testsupport::WriteBytes(m_dir.File("tone.wav"), Wav16(kRate, 1, Sine(kRate, kRate, 440.0, 12000.0)));
    ASSERT_TRUE(EncodeMp3(m_dir.File("tone.wav"), m_dir.File("track.mp3"), "-b 64"));
    const float position[3] = {0.0f, 0.0f, 0.0f};
    // A busy park: every slot holds a loop (some of them positional), and the next track starts before or after.
    for (bool streamFirst : {false, true})
    {
        SoundManager& sound = Manager();
        sound.SetMusicVolume(1.0f);
        if (streamFirst)
        {
            ASSERT_TRUE(sound.PlayStream("track.mp3"));
        }
        for (int i = 0; i < SoundManager::kSlotCount; ++i)
        {
            const int slot =
                i % 2 == 0 ? sound.PlaySample("loop", kLoop, 0.0f) : sound.PlaySample3D("loop", position, kLoop, -1);
            ASSERT_EQ(slot, i);
            EXPECT_NE(sound.GetSlot(i).m_iChannel, -1) << "slot " << i << (streamFirst ? " after the stream" : "");
        }
        if (!streamFirst)
        {
            EXPECT_TRUE(sound.PlayStream("track.mp3")) << "the track after the slots filled";
        }
        EXPECT_TRUE(sound.IsStreamPlaying()) << streamFirst;
        sound.Update(0.016f);
        for (int i = 0; i < SoundManager::kSlotCount; ++i)
            EXPECT_TRUE(sound.GetSlot(i).m_bInUse) << i;
        sound.StopStream();
        sound.StopAllSamples();
    }
}

// Puts the times of the data folder and everything in it an hour back, as for a data set installed long ago.
static void AgeDataFolder(const std::string& data)
{
    const auto hourAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(data))
        std::filesystem::last_write_time(entry.path(), hourAgo);
    std::filesystem::last_write_time(data, hourAgo);
}

TEST_F(SoundManagerTest, AMissingStreamIsRememberedUntilItsFolderChanges)
{
    AgeDataFolder(m_dir.File("data"));
    SoundManager& sound = Manager(true, false);
    const char* theme = "data\\soundtrack\\theme.mp3";
    // Sixty frames of an idle menu asking for a theme that is not there: the folders are looked through once.
    EXPECT_FALSE(sound.PlayStream(theme));
    const uint64_t scans = platform::GetDirectoryScanCount();
    for (int frame = 0; frame < 60; ++frame)
        EXPECT_FALSE(sound.PlayStream(theme));
    EXPECT_EQ(platform::GetDirectoryScanCount(), scans);

    // Another path is looked for at once.
    EXPECT_FALSE(sound.PlayStream("data\\soundtrack\\night6.mp3"));
    EXPECT_GT(platform::GetDirectoryScanCount(), scans);

    // A change elsewhere (the sounds folder, beside the missing one) does not bring the theme back.
    testsupport::WriteText(m_dir.File("data/sounds/note.txt"), "x");
    uint64_t before = platform::GetDirectoryScanCount();
    EXPECT_FALSE(sound.PlayStream(theme));
    EXPECT_EQ(platform::GetDirectoryScanCount(), before);

    // The folder appears (the data folder changes): looked for again, once.
    std::filesystem::create_directories(m_dir.File("data/SoundTrack"));
    AgeDataFolder(m_dir.File("data"));
    before = platform::GetDirectoryScanCount();
    EXPECT_FALSE(sound.PlayStream(theme));
    EXPECT_GT(platform::GetDirectoryScanCount(), before);
    before = platform::GetDirectoryScanCount();
    EXPECT_FALSE(sound.PlayStream(theme));
    EXPECT_EQ(platform::GetDirectoryScanCount(), before);

    // Forgetting (the play list changed) looks again.
    sound.ForgetMissingStreams();
    EXPECT_FALSE(sound.PlayStream(theme));
    EXPECT_GT(platform::GetDirectoryScanCount(), before);

    // The theme is put in its folder: it plays.
    if (!HaveLame())
        GTEST_SKIP() << "lame is not installed";
    testsupport::WriteBytes(m_dir.File("tone.wav"), Wav16(kRate, 1, Sine(kRate / 2, kRate, 440.0, 12000.0)));
    ASSERT_TRUE(EncodeMp3(m_dir.File("tone.wav"), m_dir.File("data/SoundTrack/Theme.mp3"), "-b 64"));
    EXPECT_TRUE(sound.PlayStream(theme));
    EXPECT_TRUE(sound.IsStreamPlaying());
}

TEST_F(SoundManagerTest, AStreamThatCannotBeDecodedIsTriedAgainWhenTheFileChanges)
{
    if (!HaveLame())
        GTEST_SKIP() << "lame is not installed";
    SoundManager& sound = Manager(true, false);
    testsupport::WriteBytes(m_dir.File("song.mp3"), std::vector<uint8_t>(4096, 0x00));
    EXPECT_FALSE(sound.PlayStream("song.mp3"));
    EXPECT_FALSE(sound.PlayStream("song.mp3"));
    testsupport::WriteBytes(m_dir.File("tone.wav"), Wav16(kRate, 1, Sine(kRate / 2, kRate, 440.0, 12000.0)));
    ASSERT_TRUE(EncodeMp3(m_dir.File("tone.wav"), m_dir.File("song.mp3"), "-b 64"));
    EXPECT_TRUE(sound.PlayStream("song.mp3"));
}
