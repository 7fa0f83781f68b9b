// The park's sounds in the running program: the real Game, mixed by hand, enters the sample park; the fun house's
// loop from the sample sound script plays where the camera stands by it and fades as the camera moves away, and a
// guest's opinion plays once at a place in the park.
#include "engine/media/Jukebox.h"
#include "engine/media/ScriptedSound.h"
#include "engine/media/SoundEventManager.h"
#include "engine/media/SoundManager.h"
#include "game/Game.h"
#include "game/Mp3Player.h"
#include "park/BuildingObject.h"
#include "platform/audio/Sound.h"
#include "tests/game/GameHarness.h"
#include "world/BaseObject.h"
#include "world/CameraManager.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace
{

using gametest::GameHarness;

// The sample sound script gives the fun house "funhouse_loop" at 0.8; the sample bank's tone is a square wave at
// 0.2 of full scale (sample-data/src/data/sounds/Sounds.dat, sample-data/src/sounds/blsnd.txt).
constexpr float kFunHouseVolume = 0.8f;
constexpr double kToneAmplitude = 0.2 * 32767;

// The channel volume of the loop heard at distance d, worked out from the level rule: full up to 30 units, falling
// linearly to nothing at 100, times the effects volume, as 0..255 truncated (below 3 is silence).
int ExpectedChannelVolume(double d, double sfx)
{
    const double level = d <= 30.0 ? 1.0 : d > 100.0 ? 0.0 : 1.0 - (d - 30.0) / 70.0;
    const int byte = static_cast<int>(level * kFunHouseVolume * sfx * 255.0);
    return byte < 3 ? 0 : byte;
}

// The loudest left and right samples of a tenth of a second of the mix.
std::pair<int, int> MixPeaks()
{
    std::vector<int16_t> out(2205 * 2);
    platform::SoundRender(out.data(), 2205);
    std::pair<int, int> peaks = {0, 0};
    for (size_t i = 0; i < out.size(); i += 2)
    {
        peaks.first = std::max(peaks.first, std::abs(static_cast<int>(out[i])));
        peaks.second = std::max(peaks.second, std::abs(static_cast<int>(out[i + 1])));
    }
    return peaks;
}

int MixPeak()
{
    return MixPeaks().first;
}

class ParkSoundTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!harness.XvfbInstalled())
            GTEST_SKIP() << "Xvfb is not installed";
        // No sound device: the mixer runs only when the test renders it.
        platform::SoundUseManualMixing(true);
        std::string why;
        ASSERT_TRUE(harness.Start(&why)) << why;
    }
    void TearDown() override
    {
        harness.Stop();
        platform::SoundUseManualMixing(false);
    }

    GameHarness harness;
};

} // namespace

TEST_F(ParkSoundTest, TheFunHousesLoopPlaysByTheCameraAndFadesAsTheCameraMovesAway)
{
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    ASSERT_NE(g_pScriptedSound, nullptr);
    // The park's music would mix with the loop measured here: it stops.
    harness.GetGame().GetMp3Player().GetJukebox().Stop();
    harness.RunFrames(2);
    GameHarness::Keep(harness.Screenshot(), "park-sound");
    // The sample script and bank agree: nothing was reported about sounds while the park loaded.
    for (const auto& box : harness.Reports().boxes)
        EXPECT_EQ(box.text.find("ound"), std::string::npos) << box.text;

    const std::vector<BaseObject*> found = g_pObjectManager->GetBuildingsByName("FUNHOUSE");
    ASSERT_EQ(found.size(), 1u);
    const uint32_t id = found[0]->GetID();
    const platform::Vec3 at = found[0]->GetPosition();
    SoundManager& sound = harness.GetGame().GetSoundManager();
    const SoundEventManager& events = harness.GetGame().GetSoundEvents();
    const double sfx = sound.GetSfxVolume();
    ASSERT_GT(sfx, 0.0);
    const auto loop = [&]() -> const ObjectSound*
    {
        for (const ObjectSound& entry : events.GetObjectSounds())
            if (entry.objectId == id)
                return &entry;
        return nullptr;
    };
    // The fun house opened when the park was built (its serve cell is on the path from the avenue), and its loop
    // started with it.
    ASSERT_TRUE(static_cast<BuildingObject*>(found[0])->IsOpen());
    ASSERT_NE(loop(), nullptr);
    EXPECT_EQ(std::string(loop()->name), "funhouse_loop");

    // The camera 10 units above the fun house, then further back over the ground along -z.
    for (const float back : {0.0f, 45.0f, 70.0f, 95.0f, 120.0f, 0.0f})
    {
        GameHarness::PlaceCamera({at.x, at.y + 10.0f, at.z - back}, at);
        harness.RunFrames(8);
        const double d = std::sqrt(10.0 * 10.0 + back * back);
        const int expected = ExpectedChannelVolume(d, sfx);
        const ObjectSound* entry = loop();
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->playing != 0, expected > 0) << d;
        EXPECT_EQ(entry->playing ? sound.GetSampleVolume(entry->slot) : 0, expected) << d;
        // What the mixer plays: the tone at the loop's channel volume, the only sound of the park.
        EXPECT_NEAR(MixPeak(), kToneAmplitude * expected / 255.0, 2.0) << d;
    }

    // The fun house closes: its loop stops.
    g_pScriptedSound->StopObjectSounds(id);
    harness.RunFrames(8);
    EXPECT_EQ(loop(), nullptr);
    EXPECT_EQ(sound.FindSample("funhouse_loop"), -1);
    EXPECT_EQ(MixPeak(), 0);

    // A guest's opinion at the fun house plays once, in its group. The camera stands 20 units off on -z, looking
    // along +x with +y up: its right is -z, so the fun house is on its left.
    GameHarness::PlaceCamera({at.x, at.y, at.z - 20.0f}, {at.x + 20.0f, at.y, at.z - 20.0f});
    harness.RunFrames(1);
    g_pScriptedSound->PlayOpinionSound(2, found[0]->GetWorldPosition());
    harness.RunFrames(1);
    const auto [left, right] = MixPeaks();
    EXPECT_GT(left, 0);
    EXPECT_LT(right, left / 2);
    const int slot = std::max(sound.FindSample("male_yes"), sound.FindSample("male_yay"));
    ASSERT_NE(slot, -1);
    EXPECT_EQ(sound.GetSlot(slot).m_iTag, 1);
    harness.RunFrames(1);
    MixPeak(); // its quarter of a second played out
    MixPeak();
    harness.RunFrames(1);
    EXPECT_EQ(std::max(sound.FindSample("male_yes"), sound.FindSample("male_yay")), -1);
}
