// Tests for the sound manager: play forms and levels, slots, fades, SFX changes, 3D starts, streams, disabled sound.
#include "engine/media/SoundManager.h"
#include "engine/media/SampleBank.h"
#include "platform/audio/Sound.h"
#include "tests/platform/audio/AudioTestFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

using namespace audiotest;

namespace
{

constexpr int kRate = 22050;
constexpr int16_t kClickLevel = 8000;
constexpr int16_t kLoopLevel = 10000;
constexpr size_t kClickFrames = 2205; // 0.1 s at the mixing rate

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Writes data\sounds\blsnd.hdr / .spf below `root` holding the given files.
void WriteBank(const std::string& root, const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files)
{
    std::filesystem::create_directories(root + "/data/sounds");
    std::vector<uint8_t> index;
    std::vector<uint8_t> data;
    for (const auto& [name, bytes] : files)
    {
        Put32(index, static_cast<uint32_t>(data.size()));
        Put32(index, static_cast<uint32_t>(bytes.size()));
        char field[32] = {};
        name.copy(field, 31);
        index.insert(index.end(), field, field + 32);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    testsupport::WriteBytes(root + "/data/sounds/blsnd.hdr", index);
    testsupport::WriteBytes(root + "/data/sounds/blsnd.spf", data);
}

// Channel level expected for a constant source at a channel volume, as the mixer rounds it.
int Level(int16_t source, int channelVolume, double extraGain = 1.0)
{
    return static_cast<int>(std::lround(source * (channelVolume / 255.0) * extraGain));
}

class SoundManagerTest : public ::testing::Test
{
protected:
    SoundManagerTest() : m_cwd(m_dir.Path())
    {
        WriteBank(m_dir.Path(), {
                                    {"click.wav", Wav16(kRate, 1, Constant(kClickFrames, kClickLevel))},
                                    {"loop.wav", Wav16(kRate, 1, Constant(1000, kLoopLevel))},
                                    {"crowdbigloop.wav", Wav16(kRate, 1, Constant(500, 3000))},
                                    {"broken.wav", std::vector<uint8_t>(64, 0x5A)},
                                });
        platform::SoundUseManualMixing(true);
    }

    ~SoundManagerTest() override
    {
        m_manager.reset();
        platform::SoundUseManualMixing(false);
    }

    SoundManager& Manager(bool enabled = true)
    {
        if (!m_manager)
            m_manager = std::make_unique<SoundManager>(enabled, "blsnd");
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
    EXPECT_EQ(SoundManager::VolumeToByte(0.01f), 0);  // 2.55 -> 2 -> below 3
    EXPECT_EQ(SoundManager::VolumeToByte(0.012f), 3); // 3.06 -> 3
    EXPECT_EQ(SoundManager::VolumeToByte(0.5f), 127); // 127.5 truncated
    EXPECT_EQ(SoundManager::VolumeToByte(1.0f), 255);
    EXPECT_EQ(SoundManager::VolumeToByte(7.0f), 255);
    EXPECT_EQ(SoundManager::VolumeToByte(-0.5f), 0);
    EXPECT_EQ(SoundManager::VolumeToByte(NAN), 0);
    EXPECT_EQ(SoundManager::ClampUnit(NAN), 0.0f);
    EXPECT_EQ(SoundManager::ClampUnit(-1.0f), 0.0f);
    EXPECT_EQ(SoundManager::ClampUnit(0.25f), 0.25f);
    EXPECT_EQ(SoundManager::ClampUnit(INFINITY), 1.0f);
}

TEST_F(SoundManagerTest, DisabledManagerAnswersSilenceButKeepsItsLevels)
{
    SoundManager& sound = Manager(false);
    EXPECT_EQ(g_pSoundManager, &sound);
    EXPECT_FALSE(sound.IsEnabled());
    EXPECT_FALSE(platform::SoundIsInitialised());
    const float position[3] = {0, 0, 0};
    EXPECT_EQ(sound.PlaySample("click", 0, 0.0f), -1);
    EXPECT_EQ(sound.PlaySampleVolume("click", 1.0f, 0, 0.0f), -1);
    EXPECT_EQ(sound.PlaySampleScaled("click", 1.0f, 1.0f, 0, 0.0f), -1);
    EXPECT_EQ(sound.PlaySample3D("click", position, 0, 1), -1);
    EXPECT_EQ(sound.PlaySample3DVolume("click", 1.0f, position, 0, 1), -1);
    EXPECT_FALSE(sound.PlayStream("music.mp3"));
    EXPECT_FALSE(sound.IsStreamPlaying());
    EXPECT_FALSE(sound.IsStreamPaused());
    EXPECT_EQ(sound.FindSample("click"), -1);
    EXPECT_EQ(sound.CountSlotsWithTag(-1), 0);
    EXPECT_EQ(sound.GetCPUUsage(), 0);
    EXPECT_EQ(sound.GetSampleVolume(0), 0);
    sound.SetSfxVolume(0.7f);
    sound.SetMusicVolume(0.3f);
    EXPECT_FLOAT_EQ(sound.GetSfxVolume(), 0.7f);
    EXPECT_FLOAT_EQ(sound.GetMusicVolume(), 0.3f);
    // The bank is opened all the same.
    EXPECT_TRUE(sound.HasSample("click"));
    sound.Update(0.1f);
    sound.StopAllSamples();
    sound.PauseStream();
    sound.MuteSfx();
    m_manager.reset();
    EXPECT_EQ(g_pSoundManager, nullptr);
}

TEST_F(SoundManagerTest, StartsWithSilentLevelsAndTheBankOfItsName)
{
    SoundManager& sound = Manager();
    ASSERT_TRUE(sound.IsEnabled());
    EXPECT_EQ(g_pSoundManager, &sound);
    EXPECT_EQ(platform::SoundGetOutputRate(), kRate);
    EXPECT_EQ(sound.GetSfxVolume(), 0.0f);
    EXPECT_EQ(sound.GetMusicVolume(), 0.0f);
    EXPECT_EQ(sound.GetNearDistance(), 30.0f);
    EXPECT_EQ(sound.GetFarDistance(), 100.0f);
    EXPECT_TRUE(sound.HasSample("CrowdBigLoop"));
    EXPECT_FALSE(sound.HasSample("crowdbigloop.wav")); // the manager adds the extension itself
    // SFX volume 0: a sample starts, silently.
    int slot = sound.PlaySample("loop", SoundManager::kFlagLoop, 0.0f);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(sound.GetSampleVolume(slot), 0);
    EXPECT_EQ(Output(), std::make_pair(0, 0));
    m_manager.reset();
    EXPECT_FALSE(platform::SoundIsInitialised());
}

TEST_F(SoundManagerTest, PlayFormsSetChannelAndSlotLevels)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(0.5f);
    const float here[3] = {0, 0, 0};
    struct Case
    {
        int slot;
        int channel;
        float slotVolume;
    };
    std::vector<Case> cases = {
        {sound.PlaySample("loop", SoundManager::kFlagLoop, 0.0f), 127, 0.5f},
        {sound.PlaySampleVolume("loop", 0.4f, SoundManager::kFlagLoop, 0.0f), 51, 0.4f},       // 0.4 x 0.5
        {sound.PlaySampleScaled("loop", 0.6f, 0.5f, SoundManager::kFlagLoop, 0.0f), 76, 0.5f}, // 0.6 x 0.5
        {sound.PlaySample3D("loop", here, SoundManager::kFlagLoop, 4), 127, 0.5f},
        {sound.PlaySample3DVolume("loop", 0.4f, here, SoundManager::kFlagLoop, 4), 51, 0.4f},
    };
    for (size_t i = 0; i < cases.size(); ++i)
    {
        ASSERT_EQ(cases[i].slot, static_cast<int>(i));
        EXPECT_EQ(sound.GetSampleVolume(cases[i].slot), cases[i].channel) << i;
        EXPECT_FLOAT_EQ(sound.GetSlot(cases[i].slot).m_fVolume, cases[i].slotVolume) << i;
        EXPECT_STREQ(sound.GetSlot(cases[i].slot).m_pName.get(), "loop.wav");
    }
    EXPECT_EQ(sound.GetSlot(0).m_iTag, -1);
    EXPECT_EQ(sound.GetSlot(3).m_iTag, 4);
    EXPECT_EQ(sound.CountSlotsWithTag(4), 2);
    // What is heard is the sum of the five channels (the 3D ones sit on the listener: full level, centre).
    int expected = 0;
    for (const Case& c : cases)
        expected += Level(kLoopLevel, c.channel);
    auto [left, right] = Output();
    EXPECT_NEAR(left, expected, 3);
    EXPECT_NEAR(right, expected, 3);
}

TEST_F(SoundManagerTest, LowestVolumesSendSilence)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(0.01f);
    int quiet = sound.PlaySample("loop", SoundManager::kFlagLoop, 0.0f);
    EXPECT_EQ(sound.GetSampleVolume(quiet), 0);
    sound.SetSfxVolume(0.012f);
    int audible = sound.PlaySample("loop", SoundManager::kFlagLoop, 0.0f);
    EXPECT_EQ(sound.GetSampleVolume(audible), 3);
}

TEST_F(SoundManagerTest, MissingOrUnreadableSampleTakesNoSlot)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(1.0f);
    const float here[3] = {0, 0, 0};
    EXPECT_EQ(sound.PlaySample("nothere", 0, 0.0f), -1);
    EXPECT_EQ(sound.PlaySample3DVolume("nothere", 1.0f, here, 0, 2), -1);
    EXPECT_EQ(sound.PlaySample("broken", 0, 0.0f), -1); // in the bank, but not a sound file
    EXPECT_EQ(sound.PlaySample(nullptr, 0, 0.0f), -1);
    for (int i = 0; i < SoundManager::kSlotCount; ++i)
        EXPECT_FALSE(sound.GetSlot(i).m_bInUse) << i;
    // The first real sample still gets the first slot, and a stop aimed at a failed play's -1 does nothing.
    int slot = sound.PlaySample("loop", SoundManager::kFlagLoop, 0.0f);
    EXPECT_EQ(slot, 0);
    sound.StopSample(sound.PlaySample("nothere", 0, 0.0f));
    EXPECT_EQ(sound.GetSampleVolume(slot), 255);
}

TEST_F(SoundManagerTest, ThirtyThirdSampleIsRefusedAndNothingStops)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(1.0f);
    for (int i = 0; i < SoundManager::kSlotCount; ++i)
        ASSERT_EQ(sound.PlaySample("loop", SoundManager::kFlagLoop, 0.0f), i);
    EXPECT_EQ(sound.PlaySample("loop", SoundManager::kFlagLoop, 0.0f), -1);
    EXPECT_EQ(sound.GetFreeSlot(), -1);
    sound.Update(0.02f);
    for (int i = 0; i < SoundManager::kSlotCount; ++i)
    {
        EXPECT_TRUE(sound.GetSlot(i).m_bInUse) << i;
        EXPECT_TRUE(platform::SoundIsPlaying(sound.GetSlot(i).m_iChannel)) << i;
    }
}

TEST_F(SoundManagerTest, LoopFadesInToItsTargetOverItsTime)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(1.0f);
    int slot = sound.PlaySample("loop", SoundManager::kFlagLoop, 0.5f);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(sound.GetSampleVolume(slot), 0);
    EXPECT_EQ(Output().first, 0);
    sound.Update(0.25f); // halfway: 255 / 0.5 x 0.25 = 127.5
    EXPECT_EQ(sound.GetSampleVolume(slot), 127);
    EXPECT_EQ(Output().first, Level(kLoopLevel, 127));
    sound.Update(0.25f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 255);
    sound.Update(0.1f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 255);
    EXPECT_EQ(sound.GetSlot(slot).m_iFadeMode, SoundSlot::kFadeNone);
    EXPECT_EQ(Output().first, kLoopLevel);
}

TEST_F(SoundManagerTest, FadeOutEndsWithTheSlotStoppedAndFree)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(1.0f);
    int slot = sound.PlaySample("loop", SoundManager::kFlagLoop, 0.0f);
    EXPECT_EQ(sound.FadeOutSample(slot, 0.2f), 255);
    sound.Update(0.1f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 127); // 255 - 255 / 0.2 x 0.1
    EXPECT_TRUE(sound.GetSlot(slot).m_bInUse);
    sound.Update(0.15f);
    EXPECT_FALSE(sound.GetSlot(slot).m_bInUse);
    EXPECT_EQ(sound.FindSample("loop"), -1);
    EXPECT_EQ(Output(), std::make_pair(0, 0));
}

TEST_F(SoundManagerTest, FadeOfNoTimeActsAtOnce)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(1.0f);
    int slot = sound.PlaySample("loop", SoundManager::kFlagLoop, 0.0f);
    sound.FadeSampleTo(slot, 0.5f, 0.0f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 127);
    EXPECT_EQ(sound.GetSlot(slot).m_iFadeMode, SoundSlot::kFadeNone);
    sound.Update(0.1f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 127);
    EXPECT_EQ(Output().first, Level(kLoopLevel, 127));

    sound.FadeSampleTo(slot, 0.2f, -1.0f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 51);
    EXPECT_FLOAT_EQ(sound.GetSlot(slot).m_fVolume, 0.2f);

    EXPECT_EQ(sound.FadeOutSample(slot, 0.0f), 51);
    EXPECT_FALSE(sound.GetSlot(slot).m_bInUse);
    EXPECT_EQ(Output(), std::make_pair(0, 0));
    int other = sound.PlaySample("loop", SoundManager::kFlagLoop, 0.0f);
    EXPECT_EQ(sound.FadeOutSample(other, -0.5f), 255);
    EXPECT_FALSE(sound.GetSlot(other).m_bInUse);
}

TEST_F(SoundManagerTest, FadeToMovesFromThePresentLevel)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(0.5f);
    int slot = sound.PlaySample("loop", SoundManager::kFlagLoop, 0.0f); // 127
    sound.FadeSampleTo(slot, 1.0f, 1.0f);                               // to VolumeToByte(1 x 0.5) = 127
    sound.FadeSampleTo(slot, 0.2f, 1.0f);                               // to VolumeToByte(0.1) = 25
    EXPECT_EQ(sound.GetSlot(slot).m_fStart, 127.0f);
    sound.Update(0.5f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 76); // 127 + (25 - 127) / 1 x 0.5 = 76
    sound.Update(0.6f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 25);
}

TEST_F(SoundManagerTest, SfxChangeRescalesRestingSlotsAndLeavesFadesRunning)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(1.0f);
    int resting = sound.PlaySampleVolume("loop", 0.5f, SoundManager::kFlagLoop, 0.0f);
    int fading = sound.PlaySampleVolume("loop", 1.0f, SoundManager::kFlagLoop, 0.0f);
    sound.FadeSampleTo(fading, 0.8f, 1.0f); // 255 -> 204
    EXPECT_EQ(sound.GetSampleVolume(resting), 127);
    sound.SetSfxVolume(0.5f);
    EXPECT_EQ(sound.GetSampleVolume(resting), 63); // VolumeToByte(0.5 x 0.5)
    EXPECT_EQ(sound.GetSampleVolume(fading), 255); // untouched: it keeps fading to its old target
    sound.Update(1.1f);
    EXPECT_EQ(sound.GetSampleVolume(fading), 204);
    // Once at rest it follows the next change again.
    sound.SetSfxVolume(1.0f);
    EXPECT_EQ(sound.GetSampleVolume(fading), 204); // VolumeToByte(0.8 x 1)
    EXPECT_EQ(sound.GetSampleVolume(resting), 127);
}

TEST_F(SoundManagerTest, SetSampleVolumeLeavesTheSlotVolume)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(0.5f);
    int slot = sound.PlaySampleVolume("loop", 0.8f, SoundManager::kFlagLoop, 0.0f);
    sound.SetSampleVolume(slot, 0.2f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 25); // VolumeToByte(0.2 x 0.5)
    EXPECT_FLOAT_EQ(sound.GetSlot(slot).m_fVolume, 0.8f);
    sound.SetSfxVolume(1.0f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 204);
}

TEST_F(SoundManagerTest, PositionalStartRescalesFromItsOwnLevel)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(1.0f);
    const float here[3] = {0, 0, 0};
    // A loud 2D sample uses slot 0 and is stopped; the next start reuses the slot.
    int first = sound.PlaySampleVolume("loop", 1.0f, SoundManager::kFlagLoop, 0.0f);
    sound.StopSample(first);
    int positional = sound.PlaySample3DVolume("loop", 0.2f, here, SoundManager::kFlagLoop, 7);
    ASSERT_EQ(positional, first);
    EXPECT_EQ(sound.GetSampleVolume(positional), 51);
    sound.SetSfxVolume(0.5f);
    EXPECT_EQ(sound.GetSampleVolume(positional), 25); // VolumeToByte(0.2 x 0.5), not the old slot's 1.0 x 0.5

    // A free slot that is taken again starts from nothing.
    sound.StopSample(positional);
    ASSERT_EQ(sound.GetFreeSlot(), positional);
    const SoundSlot& slot = sound.GetSlot(positional);
    EXPECT_EQ(slot.m_fVolume, 0.0f);
    EXPECT_EQ(slot.m_fTarget, 0.0f);
    EXPECT_EQ(slot.m_iTag, -1);
    EXPECT_EQ(slot.m_iChannel, -1);
    EXPECT_EQ(slot.m_pName, nullptr);
}

TEST_F(SoundManagerTest, PositionalSamplesFallOffWithDistanceFromTheListener)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(1.0f);
    const float origin[3] = {0, 0, 0};
    const float forward[3] = {0, 0, 1};
    const float up[3] = {0, 1, 0};
    sound.SetListener(origin, forward, up);
    // Rolloff 0.15: 1 / (1 + 0.15 x (11 - 1)) = 0.4 at 11 units.
    const float at11[3] = {0, 0, 11};
    int slot = sound.PlaySample3D("loop", at11, SoundManager::kFlagLoop, 2);
    ASSERT_GE(slot, 0);
    auto [left, right] = Output();
    EXPECT_NEAR(left, Level(kLoopLevel, 255, 0.4), 1);
    EXPECT_NEAR(right, Level(kLoopLevel, 255, 0.4), 1);
    sound.StopSample(slot);

    const float at101[3] = {0, 0, 101}; // 1 / 16
    slot = sound.PlaySample3D("loop", at101, SoundManager::kFlagLoop, 2);
    EXPECT_NEAR(Output().first, Level(kLoopLevel, 255, 1.0 / 16.0), 1);
    // The listener walks up to it: full level.
    const float close[3] = {0, 0, 100.5f};
    sound.SetListener(close, forward, up);
    float read[3] = {};
    sound.GetListener(read);
    EXPECT_EQ(read[2], 100.5f);
    EXPECT_NEAR(Output().first, kLoopLevel, 1);
    // To the listener's right it is heard on the right only.
    const float east[3] = {0, 0, 0};
    const float facingNegativeX[3] = {-1, 0, 0};
    sound.SetListener(east, facingNegativeX, up); // the source at +z is now on the right
    auto [l2, r2] = Output();
    EXPECT_EQ(l2, 0);
    EXPECT_NEAR(r2, Level(kLoopLevel, 255, 1.0 / 16.0), 1);
    EXPECT_EQ(sound.CountSlotsWithTag(2), 1);
}

TEST_F(SoundManagerTest, FinishedOneShotFreesItsSlotWithinAFrame)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(1.0f);
    int slot = sound.PlaySample("click", 0, 0.0f);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(Output().first, kClickLevel);
    sound.Update(0.0f);
    EXPECT_TRUE(sound.GetSlot(slot).m_bInUse);
    Render(static_cast<int>(kClickFrames));
    sound.Update(0.016f);
    EXPECT_FALSE(sound.GetSlot(slot).m_bInUse);
    EXPECT_EQ(sound.FindSample("click"), -1);
}

TEST_F(SoundManagerTest, FindSampleIgnoresLetterCase)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(1.0f);
    sound.PlaySample("loop", SoundManager::kFlagLoop, 0.0f);
    int slot = sound.PlaySample("CLICK", 0, 0.0f);
    ASSERT_EQ(slot, 1);
    EXPECT_STREQ(sound.GetSlot(slot).m_pName.get(), "CLICK.wav");
    EXPECT_EQ(sound.FindSample("Click"), 1);
    EXPECT_EQ(sound.FindSample("click"), 1);
    EXPECT_EQ(sound.FindSample("clic"), -1);
    EXPECT_EQ(sound.FindSample(nullptr), -1);
}

TEST_F(SoundManagerTest, StopAllSamplesAndMuteSilenceEverything)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(1.0f);
    for (int i = 0; i < 5; ++i)
        sound.PlaySample("loop", SoundManager::kFlagLoop, 0.0f);
    sound.MuteSfx();
    EXPECT_EQ(Output(), std::make_pair(0, 0));
    sound.UnmuteSfx();
    EXPECT_NE(Output().first, 0);
    sound.StopAllSamples();
    for (int i = 0; i < SoundManager::kSlotCount; ++i)
        EXPECT_FALSE(sound.GetSlot(i).m_bInUse) << i;
    EXPECT_EQ(Output(), std::make_pair(0, 0));
}

TEST_F(SoundManagerTest, IndicesOutsideTheTableAreIgnored)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(1.0f);
    int slot = sound.PlaySample("loop", SoundManager::kFlagLoop, 0.0f);
    for (int bad : {-1, -100, SoundManager::kSlotCount, 1000})
    {
        sound.FadeSampleTo(bad, 0.0f, 1.0f);
        EXPECT_EQ(sound.FadeOutSample(bad, 0.0f), 0);
        sound.SetSampleVolume(bad, 0.0f);
        sound.StopSample(bad);
        EXPECT_EQ(sound.GetSampleVolume(bad), 0);
    }
    sound.Update(1.0f);
    EXPECT_EQ(sound.GetSampleVolume(slot), 255);
}

TEST_F(SoundManagerTest, MemoryFigureCountsTheBankWhileItHoldsSamples)
{
    SoundManager& sound = Manager();
    sound.SetSfxVolume(1.0f);
    uint32_t idle = sound.GetMemoryUsed();
    int slot = sound.PlaySample("click", 0, 0.0f);
    ASSERT_GE(slot, 0);
    const uint32_t clickBytes = static_cast<uint32_t>(44 + kClickFrames * 2);
    EXPECT_EQ(sound.GetSampleBank()->GetLoadedBytes(), clickBytes);
    // The bank's copy and the back end's decoded copy.
    EXPECT_GE(sound.GetMemoryUsed(), idle + clickBytes + kClickFrames * 2);
    sound.StopSample(slot);
    sound.Update(5.1f);
    EXPECT_EQ(sound.GetSampleBank()->GetLoadedBytes(), 0u);
    EXPECT_EQ(sound.GetMemoryUsed(), idle);
    EXPECT_GE(sound.GetCPUUsage(), 0);
}

// ---------------------------------------------------------------------------------------------------------------
// The music stream

namespace
{

class SoundManagerStreamTest : public SoundManagerTest
{
protected:
    void SetUp() override
    {
        if (!HaveLame())
            GTEST_SKIP() << "lame is not installed";
        MakeTone("a440.mp3", 440.0, 22050);
        MakeTone("b1000.mp3", 1000.0, 11025);
    }

    void MakeTone(const std::string& name, double hz, size_t frames)
    {
        std::string wav = m_dir.File("tone.wav");
        testsupport::WriteBytes(wav, Wav16(kRate, 1, Sine(frames, kRate, hz, 12000.0)));
        ASSERT_TRUE(EncodeMp3(wav, m_dir.File(name), "-b 64"));
    }

    // Crossings a second measured over a tenth of a second, after a short settling stretch.
    static int Frequency()
    {
        auto out = Render(kRate / 5);
        return CountRisingCrossings(out, kRate / 10, kRate / 10, 0) * 10;
    }

    static int Peak(int frames)
    {
        auto out = Render(frames);
        int peak = 0;
        for (int16_t v : out)
            peak = std::max(peak, std::abs(static_cast<int>(v)));
        return peak;
    }
};

} // namespace

TEST_F(SoundManagerStreamTest, PlaysPausesResumesAndEnds)
{
    SoundManager& sound = Manager();
    sound.SetMusicVolume(1.0f);
    ASSERT_TRUE(sound.PlayStream("A440.MP3"));
    EXPECT_TRUE(sound.IsStreamPlaying());
    EXPECT_FALSE(sound.IsStreamPaused());
    EXPECT_NEAR(sound.GetStreamLengthMs(), 1000.0, 60.0);
    EXPECT_NEAR(Frequency(), 440, 20);
    int loud = Peak(kRate / 10);
    EXPECT_NEAR(loud, 12000, 1500);

    sound.PauseStream();
    EXPECT_TRUE(sound.IsStreamPaused());
    EXPECT_TRUE(sound.IsStreamPlaying());
    uint32_t pausedAt = sound.GetStreamTimeMs();
    EXPECT_EQ(Peak(kRate / 10), 0);
    EXPECT_EQ(sound.GetStreamTimeMs(), pausedAt);
    sound.ResumeStream();
    EXPECT_FALSE(sound.IsStreamPaused());
    EXPECT_NEAR(Frequency(), 440, 20);
    EXPECT_GT(sound.GetStreamTimeMs(), pausedAt);

    // The music level follows its own volume; muting the effects does not touch it.
    sound.SetMusicVolume(0.5f);
    sound.MuteSfx();
    EXPECT_NEAR(Peak(kRate / 10), loud * 127 / 255, 800);
    sound.UnmuteSfx();

    for (int i = 0; i < 20 && sound.IsStreamPlaying(); ++i)
        Render(kRate / 10);
    EXPECT_FALSE(sound.IsStreamPlaying());
    EXPECT_FALSE(sound.IsStreamPaused());
    sound.StopStream();
    EXPECT_EQ(sound.GetStreamLengthMs(), 0u);
}

TEST_F(SoundManagerStreamTest, NextStreamClosesTheFirstAndAMissingFileLeavesNone)
{
    SoundManager& sound = Manager();
    sound.SetMusicVolume(1.0f);
    ASSERT_TRUE(sound.PlayStream("a440.mp3"));
    Render(kRate / 4);
    sound.PauseStream();
    ASSERT_TRUE(sound.PlayStream("b1000.mp3"));
    EXPECT_FALSE(sound.IsStreamPaused());
    EXPECT_NEAR(sound.GetStreamLengthMs(), 500.0, 60.0);
    // Only the new tone is heard: the first stream is gone, not merely left running.
    EXPECT_NEAR(Frequency(), 1000, 20);
    EXPECT_NEAR(Peak(kRate / 20), 12000, 1500);

    EXPECT_FALSE(sound.PlayStream("nothere.mp3"));
    EXPECT_FALSE(sound.IsStreamPlaying());
    EXPECT_EQ(sound.GetStreamLengthMs(), 0u);
    EXPECT_EQ(Peak(kRate / 10), 0);

    testsupport::WriteText(m_dir.File("text.mp3"), "not music at all");
    EXPECT_FALSE(sound.PlayStream("text.mp3"));
    EXPECT_FALSE(sound.IsStreamPlaying());
}

TEST_F(SoundManagerStreamTest, MusicVolumeSetBeforeAndWhilePlaying)
{
    SoundManager& sound = Manager();
    sound.SetMusicVolume(0.01f); // below 3 out of 255: silent
    ASSERT_TRUE(sound.PlayStream("a440.mp3"));
    EXPECT_EQ(Peak(kRate / 10), 0);
    sound.SetMusicVolume(1.0f);
    EXPECT_NEAR(Peak(kRate / 10), 12000, 1500);
    // The SFX level plays no part in the music.
    sound.SetSfxVolume(0.0f);
    EXPECT_NEAR(Peak(kRate / 10), 12000, 1500);
}
