// Tests for the sound manager: play forms and levels, slots, fades, SFX changes, 3D starts, streams, disabled sound.
#include "engine/media/SoundManager.h"
#include "engine/media/SampleBank.h"
#include "platform/audio/Sound.h"
#include "tests/platform/audio/AudioTestFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
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
        bank.Add("click.wav", Wav16(kRate, 1, Constant(kClickFrames, kClickLevel)));
        bank.Add("loop.wav", Wav16(kRate, 1, Constant(1000, kLoopLevel)));
        bank.Add("crowdbigloop.wav", Wav16(kRate, 1, Constant(500, 3000)));
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
    const float cases[][2] = {{0.01f, 0}, {0.012f, 3}, {0.5f, 127}, {1.0f, 255}, {7.0f, 255}, {-0.5f, 0}, {NAN, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(SoundManager::VolumeToByte(c[0]), static_cast<int>(c[1])) << c[0];
    EXPECT_EQ(SoundManager::ClampUnit(INFINITY), 1.0f);
}

TEST_F(SoundManagerTest, DisabledManagerAnswersSilenceButKeepsItsLevels)
{
    SoundManager& sound = Manager(false, false);
    EXPECT_EQ(g_pSoundManager, &sound);
    EXPECT_FALSE(platform::SoundIsInitialised());
    const float position[3] = {0, 0, 0};
    EXPECT_EQ(sound.PlaySample("click", 0, 0.0f), -1);
    EXPECT_EQ(sound.PlaySample3D("click", position, 0, 1), -1);
    EXPECT_FALSE(sound.PlayStream("music.mp3"));
    sound.SetSfxVolume(0.7f);
    EXPECT_FLOAT_EQ(sound.GetSfxVolume(), 0.7f);
    EXPECT_TRUE(sound.HasSample("click")); // the bank is opened all the same
    sound.Update(0.1f);
    sound.StopAllSamples();
    m_manager.reset();
    EXPECT_EQ(g_pSoundManager, nullptr);
}

TEST_F(SoundManagerTest, PlayFormsSetChannelAndSlotLevels)
{
    SoundManager& sound = Manager(true, false);
    EXPECT_TRUE(sound.HasSample("CrowdBigLoop"));
    EXPECT_FALSE(sound.HasSample("crowdbigloop.wav")); // the manager adds the extension itself
    // The SFX volume starts at 0: a sample starts, silently.
    int silent = sound.PlaySample("loop", kLoop, 0.0f);
    EXPECT_EQ(sound.GetSampleVolume(silent), 0);
    EXPECT_EQ(Output(), std::make_pair(0, 0));
    sound.StopSample(silent);

    sound.SetSfxVolume(0.5f);
    const float here[3] = {0, 0, 0};
    const std::tuple<int, int, float> cases[] = {
        {sound.PlaySample("loop", kLoop, 0.0f), 127, 0.5f},
        {sound.PlaySampleVolume("loop", 0.4f, kLoop, 0.0f), 51, 0.4f},       // 0.4 x 0.5
        {sound.PlaySampleScaled("loop", 0.6f, 0.5f, kLoop, 0.0f), 76, 0.5f}, // 0.6 x 0.5
        {sound.PlaySample3D("loop", here, kLoop, 4), 127, 0.5f},
        {sound.PlaySample3DVolume("loop", 0.4f, here, kLoop, 4), 51, 0.4f},
    };
    for (int i = 0; i < 5; ++i)
    {
        const auto& [slot, channel, slotVolume] = cases[i];
        ASSERT_EQ(slot, i);
        EXPECT_EQ(sound.GetSampleVolume(slot), channel) << i;
        EXPECT_FLOAT_EQ(sound.GetSlot(slot).m_fVolume, slotVolume) << i;
        EXPECT_STREQ(sound.GetSlot(slot).m_pName.get(), "loop.wav");
    }
    EXPECT_EQ(sound.GetSlot(0).m_iTag, -1);
    EXPECT_EQ(sound.CountSlotsWithTag(4), 2);
}

TEST_F(SoundManagerTest, MissingOrUnreadableSampleTakesNoSlotAndAFullTableRefusesMore)
{
    SoundManager& sound = Manager();
    const float here[3] = {0, 0, 0};
    EXPECT_EQ(sound.PlaySample("nothere", 0, 0.0f), -1);
    EXPECT_EQ(sound.PlaySample3DVolume("nothere", 1.0f, here, 0, 2), -1);
    EXPECT_EQ(sound.PlaySample("broken", 0, 0.0f), -1); // in the bank, but not a sound file
    EXPECT_EQ(sound.PlaySample(nullptr, 0, 0.0f), -1);
    // The first real sample still gets the first slot, and a stop aimed at a failed play's -1 does nothing.
    int slot = sound.PlaySample("loop", kLoop, 0.0f);
    EXPECT_EQ(slot, 0);
    sound.StopSample(sound.PlaySample("nothere", 0, 0.0f));
    EXPECT_EQ(sound.GetSampleVolume(slot), 255);

    for (int i = 1; i < SoundManager::kSlotCount; ++i)
        ASSERT_EQ(sound.PlaySample("loop", kLoop, 0.0f), i);
    EXPECT_EQ(sound.PlaySample("loop", kLoop, 0.0f), -1);
    sound.Update(0.02f);
    for (int i = 0; i < SoundManager::kSlotCount; ++i)
        EXPECT_TRUE(platform::SoundIsPlaying(sound.GetSlot(i).m_iChannel)) << i;
}

TEST_F(SoundManagerTest, FadesMoveTheLevelOverTheirTime)
{
    SoundManager& sound = Manager();
    int slot = sound.PlaySample("loop", kLoop, 0.5f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 0);
    EXPECT_EQ(Output().first, 0);
    sound.Update(0.25f); // halfway: 255 / 0.5 x 0.25 = 127.5
    EXPECT_EQ(sound.GetSampleVolume(slot), 127);
    EXPECT_EQ(Output().first, Level(kLoopLevel, 127));
    sound.Update(0.25f);
    EXPECT_EQ(Output().first, kLoopLevel);
    // A fade to a level starts from the present one: 255 + (51 - 255) / 1 x 0.5 = 153.
    sound.FadeSampleTo(slot, 0.2f, 1.0f);
    sound.Update(0.5f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 153);
    sound.Update(0.6f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 51);
    EXPECT_EQ(sound.GetSlot(slot).m_iFadeMode, SoundSlot::kFadeNone);
    // A fade out ends with the slot stopped and free: 51 - 51 / 0.2 x 0.1 = 25.5.
    EXPECT_EQ(sound.FadeOutSample(slot, 0.2f), 51);
    sound.Update(0.1f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 25);
    EXPECT_TRUE(sound.GetSlot(slot).m_bInUse);
    sound.Update(0.15f);
    EXPECT_FALSE(sound.GetSlot(slot).m_bInUse);
    EXPECT_EQ(Output(), std::make_pair(0, 0));
}

TEST_F(SoundManagerTest, FadeOfNoTimeActsAtOnce)
{
    SoundManager& sound = Manager();
    int slot = sound.PlaySample("loop", kLoop, 0.0f);
    sound.FadeSampleTo(slot, 0.5f, 0.0f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 127);
    EXPECT_EQ(sound.GetSlot(slot).m_iFadeMode, SoundSlot::kFadeNone);
    sound.Update(0.1f);
    EXPECT_EQ(Output().first, Level(kLoopLevel, 127));
    sound.FadeSampleTo(slot, 0.2f, -1.0f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 51);
    EXPECT_EQ(sound.FadeOutSample(slot, 0.0f), 51);
    EXPECT_FALSE(sound.GetSlot(slot).m_bInUse);
    EXPECT_EQ(Output(), std::make_pair(0, 0));
    int other = sound.PlaySample("loop", kLoop, 0.0f);
    EXPECT_EQ(sound.FadeOutSample(other, -0.5f), 255);
    EXPECT_FALSE(sound.GetSlot(other).m_bInUse);
}

TEST_F(SoundManagerTest, SfxChangeRescalesRestingSlotsFromTheirOwnLevelAndLeavesFadesRunning)
{
    SoundManager& sound = Manager();
    int resting = sound.PlaySampleVolume("loop", 0.5f, kLoop, 0.0f);
    int fading = sound.PlaySampleVolume("loop", 1.0f, kLoop, 0.0f);
    sound.FadeSampleTo(fading, 0.8f, 1.0f); // 255 -> 204
    int set = sound.PlaySampleVolume("loop", 0.8f, kLoop, 0.0f);
    sound.SetSampleVolume(set, 0.2f); // the channel now, not the slot's own level
    EXPECT_EQ(sound.GetSampleVolume(set), 51);
    sound.SetSfxVolume(0.5f);
    EXPECT_EQ(sound.GetSampleVolume(resting), 63); // VolumeToByte(0.5 x 0.5)
    EXPECT_EQ(sound.GetSampleVolume(set), 102);    // VolumeToByte(0.8 x 0.5)
    EXPECT_EQ(sound.GetSampleVolume(fading), 255); // untouched: it keeps fading to its old target
    sound.Update(1.1f);
    EXPECT_EQ(sound.GetSampleVolume(fading), 204);
    sound.SetSfxVolume(1.0f); // once at rest it follows the next change again
    EXPECT_EQ(sound.GetSampleVolume(fading), 204);
    EXPECT_EQ(sound.GetSampleVolume(resting), 127);

    // A positional start records its own level in the slot a loud 2D sample used before.
    const float here[3] = {0, 0, 0};
    sound.StopSample(fading);
    int positional = sound.PlaySample3DVolume("loop", 0.2f, here, kLoop, 7);
    ASSERT_EQ(positional, fading);
    sound.SetSfxVolume(0.5f);
    EXPECT_EQ(sound.GetSampleVolume(positional), 25); // VolumeToByte(0.2 x 0.5), not the old slot's 1.0 x 0.5
    // A free slot that is taken again starts from nothing.
    sound.StopSample(positional);
    ASSERT_EQ(sound.GetFreeSlot(), positional);
    const SoundSlot& slot = sound.GetSlot(positional);
    EXPECT_EQ(slot.m_fVolume, 0.0f);
    EXPECT_EQ(slot.m_fTarget, 0.0f);
    EXPECT_EQ(slot.m_iTag, -1);
    EXPECT_EQ(slot.m_pName, nullptr);
}

TEST_F(SoundManagerTest, PositionalSamplesFallOffWithDistanceAndPanAgainstTheListener)
{
    SoundManager& sound = Manager();
    // Rolloff 0.15: 1 / (1 + 0.15 x (11 - 1)) = 0.4 at 11 units ahead; facing -x, a source at +z is on the right.
    const float up[3] = {0, 1, 0};
    const float origin[3] = {0, 0, 0};
    const float at11[3] = {0, 0, 11};
    const float forwards[2][3] = {{0, 0, 1}, {-1, 0, 0}};
    const std::pair<int, int> heard[2] = {{Level(kLoopLevel, 255, 0.4), Level(kLoopLevel, 255, 0.4)},
                                          {0, Level(kLoopLevel, 255, 0.4)}};
    for (int i = 0; i < 2; ++i)
    {
        sound.SetListener(origin, forwards[i], up);
        int slot = sound.PlaySample3D("loop", at11, kLoop, 2);
        auto [left, right] = Output();
        EXPECT_NEAR(left, heard[i].first, 1) << i;
        EXPECT_NEAR(right, heard[i].second, 1) << i;
        EXPECT_EQ(sound.CountSlotsWithTag(2), 1);
        sound.StopSample(slot);
    }
}

TEST_F(SoundManagerTest, SlotsFreeWhenTheirSoundEndsOrAllStop)
{
    SoundManager& sound = Manager();
    sound.PlaySample("loop", kLoop, 0.0f);
    int slot = sound.PlaySample("CLICK", 0, 0.0f);
    EXPECT_EQ(sound.FindSample("Click"), slot); // any letter case
    EXPECT_EQ(sound.FindSample("clic"), -1);
    EXPECT_EQ(Output().first, kLoopLevel + kClickLevel);
    sound.Update(0.0f);
    EXPECT_TRUE(sound.GetSlot(slot).m_bInUse);
    Render(static_cast<int>(kClickFrames));
    sound.Update(0.016f);
    EXPECT_FALSE(sound.GetSlot(slot).m_bInUse);
    EXPECT_EQ(sound.FindSample("click"), -1);

    sound.MuteSfx();
    EXPECT_EQ(Output(), std::make_pair(0, 0));
    sound.UnmuteSfx();
    EXPECT_EQ(Output().first, kLoopLevel);
    sound.StopAllSamples();
    EXPECT_EQ(Output(), std::make_pair(0, 0));
    EXPECT_EQ(sound.FindSample("loop"), -1);
    // Indices outside the table are ignored.
    slot = sound.PlaySample("loop", kLoop, 0.0f);
    for (int bad : {-1, -100, SoundManager::kSlotCount, 1000})
    {
        sound.FadeSampleTo(bad, 0.0f, 1.0f);
        sound.FadeOutSample(bad, 0.0f);
        sound.SetSampleVolume(bad, 0.0f);
        sound.StopSample(bad);
    }
    sound.Update(1.0f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 255);
}

TEST_F(SoundManagerTest, MemoryFigureCountsTheBankWhileItHoldsSamples)
{
    SoundManager& sound = Manager();
    uint32_t idle = sound.GetMemoryUsed();
    int slot = sound.PlaySample("click", 0, 0.0f);
    // The bank's copy (the whole WAV file) and the back end's decoded copy.
    const uint32_t clickBytes = static_cast<uint32_t>(44 + kClickFrames * 2);
    EXPECT_EQ(sound.GetSampleBank()->GetLoadedBytes(), clickBytes);
    EXPECT_GE(sound.GetMemoryUsed(), idle + clickBytes + kClickFrames * 2);
    sound.StopSample(slot);
    sound.Update(5.1f);
    EXPECT_EQ(sound.GetMemoryUsed(), idle);
}

// The music stream: lame-encoded tones at the mixing rate.
TEST_F(SoundManagerTest, MusicStreamPlaysPausesAndGivesWayAtItsOwnLevel)
{
    if (!HaveLame())
        GTEST_SKIP() << "lame is not installed";
    for (auto [name, hz, frames] : {std::tuple{"a440.mp3", 440.0, 22050}, std::tuple{"b1000.mp3", 1000.0, 11025}})
    {
        testsupport::WriteBytes(m_dir.File("tone.wav"), Wav16(kRate, 1, Sine(frames, kRate, hz, 12000.0)));
        ASSERT_TRUE(EncodeMp3(m_dir.File("tone.wav"), m_dir.File(name), "-b 64"));
    }
    // Crossings a second over a tenth of a second after a short settling stretch, and the loudest value.
    auto frequency = [] { return CountRisingCrossings(Render(kRate / 5), kRate / 10, kRate / 10, 0) * 10; };
    auto peak = []
    {
        int most = 0;
        for (int16_t v : Render(kRate / 10))
            most = std::max(most, std::abs(static_cast<int>(v)));
        return most;
    };
    SoundManager& sound = Manager(true, false);
    sound.SetMusicVolume(0.01f); // below 3 out of 255: silent
    ASSERT_TRUE(sound.PlayStream("A440.MP3"));
    EXPECT_EQ(peak(), 0);
    sound.SetMusicVolume(1.0f);
    int loud = peak();
    EXPECT_NEAR(loud, 12000, 1500);
    // The music follows its own volume; the SFX level and mute play no part in it.
    sound.SetSfxVolume(0.0f);
    sound.MuteSfx();
    sound.SetMusicVolume(0.5f);
    EXPECT_NEAR(peak(), loud * 127 / 255, 800);
    sound.PauseStream();
    EXPECT_TRUE(sound.IsStreamPaused());
    EXPECT_EQ(peak(), 0);

    // The next stream replaces the first (paused or not): only the new tone is heard, and it plays to its end.
    ASSERT_TRUE(sound.PlayStream("b1000.mp3"));
    EXPECT_FALSE(sound.IsStreamPaused());
    EXPECT_NEAR(sound.GetStreamLengthMs(), 500.0, 60.0);
    EXPECT_NEAR(frequency(), 1000, 20);
    for (int i = 0; i < 20 && sound.IsStreamPlaying(); ++i)
        Render(kRate / 10);
    EXPECT_FALSE(sound.IsStreamPlaying());

    // A missing file or one that is no MP3 leaves no stream at all.
    testsupport::WriteText(m_dir.File("text.mp3"), "not music at all");
    for (const char* name : {"nothere.mp3", "text.mp3"})
    {
        EXPECT_FALSE(sound.PlayStream(name));
        EXPECT_FALSE(sound.IsStreamPlaying());
        EXPECT_EQ(sound.GetStreamLengthMs(), 0u);
    }
}
