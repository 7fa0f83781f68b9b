// Tests for the positional sounds: object loops against the listener's distance, loud music and suspension, the
// one-shot queue with its range, group limits and wait for a slot, the crowd level, and slots taken over by others.
#include "engine/media/SoundEventManager.h"
#include "engine/media/ScriptedSound.h"
#include "engine/media/SoundManager.h"
#include "tests/engine/media/SoundTestPark.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

using soundtest::Constant;
using soundtest::MixedLeft;

namespace
{

constexpr int16_t kHum = 10000;
constexpr int16_t kPip = 8000;
constexpr int16_t kCrowd = 3000;
constexpr size_t kPipFrames = 2205;
constexpr uint32_t kObject = 7;

// The channel volume 0..255 of a level 0..1, worked out by hand: 255 x level, truncated.
int Byte(double level)
{
    return static_cast<int>(255.0 * level);
}

class SoundEventsTest : public ::testing::Test
{
protected:
    SoundEventsTest()
        : m_bank({{"hum.wav", Constant(kHum, 1000)},
                  {"pip.wav", Constant(kPip, kPipFrames)},
                  {"crowdbigloop.wav", Constant(kCrowd, 500)}}),
          m_sound(true, "blsnd"), m_events(true)
    {
        m_sound.SetSfxVolume(1.0f);
        Listen(0.0f, 0.0f, 0.0f);
    }

    // The listener at a place, facing +z with +y up.
    void Listen(float x, float y, float z)
    {
        const float at[3] = {x, y, z}, forward[3] = {0, 0, 1}, up[3] = {0, 1, 0};
        m_sound.SetListener(at, forward, up);
    }

    // Game frames of `seconds` each: the sound manager, then the positional sounds.
    void Frames(int count, float seconds = 1.0f / 30.0f)
    {
        for (int i = 0; i < count; ++i)
        {
            m_sound.Update(seconds);
            m_events.Update(seconds);
        }
    }

    void Place(uint32_t id, platform::Vec3 at) { m_park.objects[id] = {"HUT", at}; }

    const ObjectSound& Entry() const { return m_events.GetObjectSounds().at(0); }
    int EntryVolume() const { return Entry().playing ? m_sound.GetSampleVolume(Entry().slot) : 0; }

    soundtest::BankFolder m_bank;
    testsupport::RecordingReportSink m_reports;
    SoundManager m_sound;
    SoundEventManager m_events;
    soundtest::TestPark m_park;
};

} // namespace

TEST(DistanceVolumeTest, FullUpToNearFallingLinearlyToSilenceAtFar)
{
    const float nan = std::nanf("");
    // near, far, distance, volume, level by the rule: v below near, (1 - (d - near) / (far - near)) x v up to far.
    const std::tuple<float, float, float, float, float> cases[] = {
        {30, 100, 0, 0.8f, 0.8f},   {30, 100, 29.5f, 0.8f, 0.8f},  {30, 100, 30, 0.8f, 0.8f},
        {30, 100, 65, 0.8f, 0.4f},  {30, 100, 90, 1.0f, 1.0f / 7}, {30, 100, 100, 0.8f, 0.0f},
        {30, 100, 101, 0.8f, 0.0f}, {30, 100, nan, 0.8f, 0.0f},    {30, 100, INFINITY, 1.0f, 0.0f},
        {50, 50, 50, 0.6f, 0.6f},   {50, 50, 50.5f, 0.6f, 0.0f},
    };
    for (const auto& [nearD, farD, d, v, level] : cases)
        EXPECT_NEAR(DistanceVolume(nearD, farD, d, v), level, 1e-6f) << d;
}

TEST_F(SoundEventsTest, AnObjectLoopPlaysAtTheLevelOfItsDistanceAndFallsSilentOutOfRange)
{
    Place(kObject, {65.0f, 0.0f, 0.0f});
    m_events.PlayForObject("hum", kObject, 0.8f, false);
    m_events.PlayForObject("pip", kObject, 0.1f, false); // the object has its sound: ignored
    ASSERT_EQ(m_events.GetObjectSounds().size(), 1u);
    EXPECT_FALSE(Entry().playing); // it starts at the next update
    // Held at 65 units for a second of frames at 30 a second, it reaches (1 - 35 / 70) x 0.8 = 0.4 exactly.
    Frames(30);
    ASSERT_TRUE(Entry().playing);
    EXPECT_EQ(EntryVolume(), Byte(0.4));
    EXPECT_EQ(MixedLeft(), std::lround(kHum * Byte(0.4) / 255.0));
    // Distances are straight lines in three dimensions, and the listener's own place counts.
    const std::tuple<platform::Vec3, platform::Vec3, double> moves[] = {
        {{20, 0, 0}, {0, 0, 0}, 0.8},                  // inside the near distance: full
        {{0, 65, 0}, {0, 0, 0}, 0.4},                  // straight above at 65
        {{530, 10, 500}, {500, 10, 460}, 0.8 * 5 / 7}, // 50 away: 1 - 20 / 70
    };
    for (const auto& [object, listener, level] : moves)
    {
        Place(kObject, object);
        Listen(listener.x, listener.y, listener.z);
        Frames(30);
        EXPECT_EQ(EntryVolume(), Byte(level)) << level;
    }
    // Past the far distance it fades out over 0.2 s and its slot is freed.
    const int slot = Entry().slot;
    Place(kObject, {500, 10, 561}); // 101 away
    Frames(1);
    EXPECT_FALSE(Entry().playing);
    Frames(7);
    EXPECT_FALSE(m_sound.GetSlot(slot).m_bInUse);
    EXPECT_EQ(MixedLeft(), 0);
    Frames(10);
    EXPECT_FALSE(Entry().playing); // nothing starts beyond far
    // Back in range it starts again, fading in.
    Listen(500, 10, 500);
    Place(kObject, {500, 10, 500});
    Frames(1);
    EXPECT_TRUE(Entry().playing);
    Frames(10);
    EXPECT_EQ(EntryVolume(), Byte(0.8));
}

TEST_F(SoundEventsTest, AnObjectLoopWaitsWhileItsObjectIsGoneAndStopsWithAFadeOut)
{
    m_events.PlayForObject("hum", kObject, 1.0f, false);
    Frames(5);
    ASSERT_EQ(m_events.GetObjectSounds().size(), 1u); // no such object: kept, not started
    EXPECT_FALSE(Entry().playing);
    Place(kObject, {10, 0, 0});
    // An object without a sound position of its own writes none: the origin stands for it.
    m_park.objects[kObject].hasPosition = false;
    Frames(5);
    ASSERT_TRUE(Entry().playing);
    const int slot = Entry().slot;
    m_park.objects.erase(kObject);
    Frames(5);
    EXPECT_TRUE(Entry().playing); // passed over while gone: its sound goes on
    // Stopping fades it out over 0.2 s and forgets the object.
    m_events.StopForObject(99); // not attached: nothing
    m_events.StopForObject(kObject);
    EXPECT_TRUE(m_events.GetObjectSounds().empty());
    Frames(3, 0.1f);
    EXPECT_FALSE(m_sound.GetSlot(slot).m_bInUse);
}

TEST_F(SoundEventsTest, SuspendedObjectSoundsFadeOutAndStartAgainWhenAllowed)
{
    Place(kObject, {0, 0, 0});
    m_events.PlayForObject("hum", kObject, 1.0f, false);
    Frames(5);
    ASSERT_TRUE(Entry().playing);
    m_events.SetObjectSoundsSuspended(true);
    Frames(10);
    EXPECT_FALSE(Entry().playing);
    EXPECT_EQ(m_sound.CountSlotsWithTag(-1), 0);
    m_events.SetObjectSoundsSuspended(false);
    Frames(10);
    EXPECT_EQ(EntryVolume(), 255);
}

TEST_F(SoundEventsTest, LoudMusicSilencesTheLoopsThatDoNotPlayOverIt)
{
    if (!audiotest::HaveLame())
        GTEST_SKIP() << "lame is not installed";
    const std::string wav = m_bank.Dir().File("music.wav"), mp3 = m_bank.Dir().File("music.mp3");
    testsupport::WriteBytes(
        wav, audiotest::Wav16(soundtest::kRate, 1, audiotest::Sine(soundtest::kRate * 4, soundtest::kRate, 440, 5000)));
    ASSERT_TRUE(audiotest::EncodeMp3(wav, mp3));
    Place(1, {0, 0, 0});
    Place(2, {0, 0, 0});
    m_events.PlayForObject("hum", 1, 1.0f, false);
    m_events.PlayForObject("hum", 2, 1.0f, true);
    const auto playing = [&] {
        return std::make_pair(bool(m_events.GetObjectSounds()[0].playing), bool(m_events.GetObjectSounds()[1].playing));
    };
    // Music at 0.05 is not loud; at 0.06 it is, for the loop that does not play over music; stopped, it is not.
    m_sound.SetMusicVolume(0.05f);
    ASSERT_TRUE(m_sound.PlayStream(mp3.c_str()));
    Frames(5);
    EXPECT_EQ(playing(), std::make_pair(true, true));
    m_sound.SetMusicVolume(0.06f);
    Frames(1);
    EXPECT_EQ(playing(), std::make_pair(false, true));
    const int slot = m_events.GetObjectSounds()[0].slot;
    Frames(7);
    EXPECT_FALSE(m_sound.GetSlot(slot).m_bInUse); // faded out in 0.2 s
    m_sound.StopStream();
    Frames(1);
    EXPECT_EQ(playing(), std::make_pair(true, true));
}

TEST_F(SoundEventsTest, QueuedSoundsInEarshotOverTheGroundPlayAndTheRestAreDropped)
{
    Listen(500, 10, 500);
    // Offsets from the listener. The range is measured over the ground (x and z): height does not count.
    const std::tuple<platform::Vec3, bool> cases[] = {
        {{0, 150, 0}, true},  {{0, 0, 150}, false},    {{99, 0, 0}, true},   {{70, 0, 70}, true},
        {{71, 0, 71}, false}, {{0, -400, -100}, true}, {{NAN, 0, 0}, false},
    };
    for (const auto& [offset, plays] : cases)
    {
        m_events.PlayAtPosition("pip", {500 + offset.x, 10 + offset.y, 500 + offset.z}, 1.0f, -1, -1);
        Frames(1);
        EXPECT_EQ(m_sound.FindSample("pip") != -1, plays) << offset.x << " " << offset.y << " " << offset.z;
        EXPECT_TRUE(m_events.GetQueue().empty());
        m_sound.StopAllSamples();
    }
}

TEST_F(SoundEventsTest, GroupLimitsCapTheSoundsOfAGroupThatPlayAtOnce)
{
    // limit, group, requests queued before one update, how many play.
    const std::tuple<int32_t, int32_t, int, int> cases[] = {
        {1, 3, 2, 1}, {2, 3, 3, 2}, {0, 3, 2, 0}, {-1, -1, 3, 3}, {5, 19, 4, 4},
    };
    for (const auto& [limit, group, requests, plays] : cases)
    {
        for (int i = 0; i < requests; ++i)
            m_events.PlayAtPosition("pip", {1, 0, 1}, 0.5f, limit, group);
        Frames(1);
        EXPECT_EQ(m_sound.CountSlotsWithTag(group), plays) << limit << " " << requests;
        EXPECT_TRUE(m_events.GetQueue().empty()); // dropped, not kept for later
        m_sound.StopAllSamples();
    }
    // Once the sound of a full group has finished, the next one plays.
    m_events.PlayAtPosition("pip", {0, 0, 0}, 1.0f, 1, 3);
    Frames(1);
    const int first = m_sound.FindSample("pip");
    ASSERT_NE(first, -1);
    EXPECT_EQ(MixedLeft(), kPip); // at the listener: no fall-off
    m_events.PlayAtPosition("pip", {0, 0, 0}, 1.0f, 1, 3);
    Frames(1);
    EXPECT_EQ(m_sound.CountSlotsWithTag(3), 1);
    std::vector<int16_t> rest(kPipFrames * 2);
    platform::SoundRender(rest.data(), static_cast<int>(kPipFrames));
    Frames(1);
    EXPECT_EQ(m_sound.CountSlotsWithTag(3), 0);
    m_events.PlayAtPosition("pip", {0, 0, 0}, 1.0f, 1, 3);
    Frames(1);
    EXPECT_EQ(m_sound.CountSlotsWithTag(3), 1);
}

TEST_F(SoundEventsTest, ASoundWithNoFreeSlotWaitsAQuarterSecondUnlessAnotherRequestComes)
{
    for (int i = 0; i < SoundManager::kSlotCount; ++i)
        ASSERT_EQ(m_sound.PlaySample("hum", SoundManager::kFlagLoop, 0.0f), i);
    m_events.PlayAtPosition("pip", {0, 0, 0}, 1.0f, -1, -1);
    Frames(1, 0.2f); // no slot: it starts waiting with 0.25 s left
    ASSERT_EQ(m_events.GetQueue().size(), 1u);
    EXPECT_TRUE(m_events.GetQueue()[0].waiting);
    Frames(1, 0.2f); // 0.05 s left
    EXPECT_EQ(m_events.GetQueue().size(), 1u);
    Frames(1, 0.1f);
    EXPECT_TRUE(m_events.GetQueue().empty());
    // A waiting sound gives way to a new request at once.
    m_events.PlayAtPosition("pip", {0, 0, 0}, 1.0f, -1, -1);
    Frames(1);
    m_events.PlayAtPosition("pip", {0, 0, 1}, 0.5f, -1, -1);
    ASSERT_EQ(m_events.GetQueue().size(), 1u);
    EXPECT_EQ(m_events.GetQueue()[0].position[2], 1.0f);
    // A slot freed while it waits lets it play.
    Frames(1);
    m_sound.StopSample(5);
    Frames(1);
    EXPECT_TRUE(m_events.GetQueue().empty());
    EXPECT_EQ(m_sound.FindSample("pip"), 5);
}

TEST_F(SoundEventsTest, TheCrowdLevelFollowsTheGuestsOnScreenHoldsWhilePausedAndFadesWhenMuted)
{
    m_events.StartCrowdLoop();
    const int slot = m_events.GetCrowdSlot();
    ASSERT_NE(slot, -1);
    EXPECT_EQ(m_sound.GetSampleVolume(slot), 0); // it runs silent until the first crowd step
    // guests drawn, paused, muted, crowd level: guests / 50 x 0.75, at most 0.75 (the defaults); held while paused;
    // 0 when muted, paused or not.
    const std::tuple<int32_t, bool, bool, float> steps[] = {
        {25, false, false, 0.375f}, {80, false, false, 0.75f}, {0, false, false, 0.0f},   {36, false, false, 0.54f},
        {10, true, false, 0.54f},   {10, true, true, 0.0f},    {10, false, false, 0.15f},
    };
    for (const auto& [guests, paused, muted, level] : steps)
    {
        m_park.guests = guests;
        m_park.paused = paused;
        m_events.SetCrowdMuted(muted);
        Frames(1);
        EXPECT_FLOAT_EQ(m_events.GetCrowdLevel(), level) << guests;
        Frames(1, 0.25f); // past the fade time of 0.2 s
        EXPECT_EQ(m_sound.GetSampleVolume(slot), Byte(level)) << guests;
    }
    EXPECT_EQ(MixedLeft(), std::lround(kCrowd * Byte(0.15) / 255.0));
    m_events.StopCrowdLoop();
    EXPECT_FALSE(m_sound.GetSlot(slot).m_bInUse);
    EXPECT_EQ(m_events.GetCrowdSlot(), -1);
}

TEST_F(SoundEventsTest, ASilentCrowdStaysSilentWhenTheEffectsVolumeChanges)
{
    // Paused or not, with no guests in view the crowd loop is silent; moving the effects slider must not wake it.
    for (const bool paused : {false, true})
    {
        m_sound.SetSfxVolume(0.8f);
        m_events.StartCrowdLoop();
        const int slot = m_events.GetCrowdSlot();
        ASSERT_NE(slot, -1);
        m_park.guests = 0;
        m_park.paused = paused;
        Frames(1);
        m_sound.SetSfxVolume(0.6f);
        Frames(2);
        EXPECT_EQ(m_sound.GetSampleVolume(slot), 0) << paused;
        EXPECT_EQ(MixedLeft(), 0) << paused;
        // Guests in view bring it in at their level under the new effects volume: 25 / 50 x 0.75 x 0.6.
        m_park.paused = false;
        m_park.guests = 25;
        Frames(1);
        Frames(1, 0.25f);
        EXPECT_EQ(m_sound.GetSampleVolume(slot), Byte(0.375 * 0.6)) << paused;
        m_events.StopCrowdLoop();
        m_park.guests = 0;
        Frames(2);
    }
}

TEST_F(SoundEventsTest, AnEffectsVolumeChangedWhileTheCrowdFadesReachesTheCrowdOnceTheFadeIsOver)
{
    // The effects slider moves while the crowd is still fading to a new level, then the guests in view stay as
    // they are: the crowd ends at its level under the new effects volume, not the one it started fading under.
    for (const float sfx : {0.0f, 0.2f, 0.5f, 0.9f})
    {
        m_sound.SetSfxVolume(1.0f);
        m_events.StartCrowdLoop();
        const int slot = m_events.GetCrowdSlot();
        ASSERT_NE(slot, -1);
        m_park.guests = 25; // 25 / 50 x 0.75
        Frames(1);
        Frames(1, 0.05f); // a quarter of the way through the 0.2 s fade
        m_sound.SetSfxVolume(sfx);
        Frames(3, 0.25f); // the old fade ends, and the crowd fades again to its level under the new volume
        const int expected = Byte(0.375 * sfx);
        EXPECT_EQ(m_sound.GetSampleVolume(slot), expected) << sfx;
        EXPECT_EQ(MixedLeft(), std::lround(kCrowd * expected / 255.0)) << sfx;
        m_events.StopCrowdLoop();
        m_park.guests = 0;
        Frames(2);
    }
}

TEST_F(SoundEventsTest, TheCrowdTakesTheScriptsRuleAndWaitsForAPark)
{
    ScriptedSound script;
    const std::string text = "CrowdSound MaxNumber 20 maxvolume 0.5 FADETIME 1 End";
    script.Parse(text.data(), text.size());
    m_events.StartCrowdLoop();
    m_park.guests = 10;
    Frames(1);
    m_sound.Update(0.5f); // half of the script's fade to 10 / 20 x 0.5
    EXPECT_EQ(m_sound.GetSampleVolume(m_events.GetCrowdSlot()), static_cast<int>(Byte(0.25) / 2.0));
    m_sound.Update(0.6f);
    EXPECT_EQ(m_sound.GetSampleVolume(m_events.GetCrowdSlot()), Byte(0.25));
    // Without a park nothing changes the crowd.
    g_pSoundPark = nullptr;
    m_park.guests = 20;
    Frames(3, 0.5f);
    EXPECT_FLOAT_EQ(m_events.GetCrowdLevel(), 0.25f);
    g_pSoundPark = &m_park;
}

TEST_F(SoundEventsTest, SoundsNeverSteerASlotThatAnotherSoundHasTakenOver)
{
    Place(kObject, {0, 0, 0});
    m_events.PlayForObject("hum", kObject, 0.5f, false);
    m_events.StartCrowdLoop();
    Frames(5);
    const int objectSlot = Entry().slot, crowdSlot = m_events.GetCrowdSlot();
    ASSERT_TRUE(Entry().playing);
    // Everything stops (a screen change); other sounds take the two slots over at full level.
    m_sound.StopAllSamples();
    const int a = m_sound.PlaySample("pip", SoundManager::kFlagLoop, 0.0f);
    const int b = m_sound.PlaySample("pip", SoundManager::kFlagLoop, 0.0f);
    ASSERT_EQ(std::minmax(a, b), std::minmax(objectSlot, crowdSlot));
    m_park.guests = 30;
    Frames(10);
    EXPECT_EQ(m_sound.GetSampleVolume(a), 255);
    EXPECT_EQ(m_sound.GetSampleVolume(b), 255);
    // The object's loop starts again in a slot of its own.
    ASSERT_TRUE(Entry().playing);
    EXPECT_NE(Entry().slot, a);
    EXPECT_NE(Entry().slot, b);
    EXPECT_EQ(EntryVolume(), Byte(0.5));
    // Stopping the crowd and the object leaves the others alone.
    m_events.StopCrowdLoop();
    m_sound.StopSample(Entry().slot);
    m_sound.PlaySample("pip", SoundManager::kFlagLoop, 0.0f);
    m_events.StopForObject(kObject);
    Frames(10);
    EXPECT_EQ(m_sound.CountSlotsWithTag(-1), 3);
}

TEST_F(SoundEventsTest, NamesLongerThan31CharactersAndADisabledManagerQueueNothing)
{
    const std::string longest(31, 'a'), tooLong(32, 'a');
    m_events.PlayAtPosition(tooLong.c_str(), {0, 0, 0}, 1.0f, -1, -1);
    m_events.PlayForObject(tooLong.c_str(), 1, 1.0f, false);
    m_events.PlayAtPosition(nullptr, {0, 0, 0}, 1.0f, -1, -1);
    EXPECT_TRUE(m_events.GetQueue().empty());
    EXPECT_TRUE(m_events.GetObjectSounds().empty());
    EXPECT_NE(m_reports.debug.find(tooLong), std::string::npos);
    EXPECT_TRUE(m_reports.boxes.empty());
    m_events.PlayAtPosition(longest.c_str(), {0, 0, 0}, 1.0f, -1, -1);
    m_events.PlayForObject(longest.c_str(), 1, 1.0f, false);
    EXPECT_EQ(std::string(m_events.GetQueue().at(0).name), longest);
    EXPECT_EQ(std::string(m_events.GetObjectSounds().at(0).name), longest);

    SoundEventManager off(false);
    EXPECT_EQ(g_pSoundEventManager, &off);
    off.PlayAtPosition("pip", {0, 0, 0}, 1.0f, -1, -1);
    off.PlayForObject("hum", kObject, 1.0f, false);
    EXPECT_TRUE(off.GetQueue().empty());
    EXPECT_TRUE(off.GetObjectSounds().empty());
}
