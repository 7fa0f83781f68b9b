// Tests of the park's sounds: what the World answers its sounds (objects, sound positions, scene units, the pause, the
// guests on screen, the clock, the GUI's sprites), and buildings whose loop starts when they open, follows the
// listener, stops when they close and when they go.
#include "world/ParkSounds.h"
#include "engine/core/FileSystem.h"
#include "engine/media/ScriptedSound.h"
#include "engine/media/SoundEventManager.h"
#include "engine/media/SoundManager.h"
#include "gui/SpriteManager.h"
#include "scripts/ObjectStates.h"
#include "tests/engine/media/SoundTestPark.h"
#include "tests/park/BuildingTestSupport.h"
#include "tests/world/SaveBytes.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace bldtest;

namespace
{

const std::string kSampleData = std::string(TW_SOURCE_DIR) + "/sample-data";

std::string Tables()
{
    const std::vector<std::pair<std::string, std::string>> grid = {
        {"WIDTH", "1"}, {"HEIGHT", "1"}, {"FLAGROW0", "000"}, {"FLAGROW1", "IQ0"}, {"FLAGROW2", "000"}};
    std::string tables;
    for (const char* name : {"SHOP", "KIOSK"})
        tables += Record("BUILD", name, {{"RIDE_MODEL", "NONE"}, {"TABLE_MODEL", "NONE"}, {"GUESTCAPACITY", "2"}}) +
                  Record("MAPGRID", std::string("MAP") + name, grid);
    return tables;
}

// A park with sound: a bank of two loops, a sound script naming the shop's (in lower case) and the World's sounds.
class ParkSoundsTest : public ::testing::Test
{
protected:
    ParkSoundsTest()
        : m_bank({{"shop_loop.wav", soundtest::Constant(12000, 400)},
                  {"crowdbigloop.wav", soundtest::Constant(2000, 400)}}),
          m_sound(true, "blsnd"), m_events(true), m_park(Tables(), 16)
    {
        m_sound.SetSfxVolume(1.0f);
        std::string script = "BuildingSounds shop shop_loop 0.5 0 End";
        std::filesystem::create_directories(m_bank.Dir().File("data/sounds"));
        GetFileSystem()->WriteBleFile(m_bank.Dir().File("data/sounds/Sounds.ble").c_str(), script.data(),
                                      static_cast<uint32_t>(script.size()));
        m_pSounds = std::make_unique<ParkSounds>(*m_park.world, ScriptedSound::kScriptFile);
        // One-cell buildings are served from the cell on their left.
        for (int y = 0; y < 16; ++y)
            m_park.Footpath(3, y), m_park.Footpath(7, y);
    }

    // World frames with the sound frames after them, as the game runs them.
    void Frames(int count, float seconds = 0.05f)
    {
        for (int i = 0; i < count; ++i)
        {
            m_park.Frames(1, seconds);
            m_sound.Update(seconds);
            m_events.Update(seconds);
        }
    }

    void Listen(const platform::Vec3& at)
    {
        const float position[3] = {at.x, at.y, at.z}, forward[3] = {0, 0, 1}, up[3] = {0, 1, 0};
        m_sound.SetListener(position, forward, up);
    }

    // The channel volume of the object's loop; -1 when it has no entry, 0 when it is silent.
    int LoopVolume(uint32_t id) const
    {
        for (const ObjectSound& entry : m_events.GetObjectSounds())
            if (entry.objectId == id)
                return entry.playing ? m_sound.GetSampleVolume(entry.slot) : 0;
        return -1;
    }

    soundtest::BankFolder m_bank;
    SoundManager m_sound;
    SoundEventManager m_events;
    BuildingPark m_park;
    std::unique_ptr<ParkSounds> m_pSounds;
};

} // namespace

TEST_F(ParkSoundsTest, TheWorldAnswersItsSoundsAndLoadsTheirScript)
{
    World& world = *m_park.world;
    ParkSounds& sounds = *m_pSounds;
    EXPECT_EQ(g_pSoundPark, &sounds);
    EXPECT_EQ(g_pScriptedSound, &sounds.GetScript());
    ASSERT_EQ(sounds.GetScript().GetBuildingSounds().size(), 1u);
    EXPECT_EQ(sounds.GetScript().GetBuildingSounds()[0].file, "shop_loop");

    BuildingObject* shop = m_park.Build("SHOP", 4, 4);
    ASSERT_NE(shop, nullptr);
    EXPECT_EQ(std::string(sounds.GetObjectName(shop->GetID())), "SHOP");
    EXPECT_EQ(sounds.GetObjectName(shop->GetID() + 100), nullptr);
    // A building sounds from its place in the scene; an object without a sound position of its own writes none.
    platform::Vec3 at = {-1, -1, -1};
    ASSERT_TRUE(sounds.GetObjectSoundPosition(shop->GetID(), at));
    EXPECT_EQ(std::tuple(at.x, at.y, at.z),
              std::tuple(shop->GetPosition().x, shop->GetPosition().y, shop->GetPosition().z));
    EXPECT_GT(at.x, 0.0f);
    Stub* guest = m_park.Make(OBJECT_GUEST);
    at = {-1, -2, -3};
    ASSERT_TRUE(sounds.GetObjectSoundPosition(guest->GetID(), at));
    EXPECT_EQ(std::tuple(at.x, at.y, at.z), std::tuple(-1.0f, -2.0f, -3.0f));
    EXPECT_FALSE(sounds.GetObjectSoundPosition(shop->GetID() + 100, at));

    // Map points become scene points as the map places them; the pause, the guests drawn and the clock are the World's.
    const platform::Vec3 scene = sounds.WorldToScene({320.0f, 640.0f, 0.0f});
    const platform::Vec3 expected = WorldMap::WorldToScene({320.0f, 640.0f, 0.0f});
    EXPECT_EQ(std::tuple(scene.x, scene.y, scene.z), std::tuple(expected.x, expected.y, expected.z));
    world.SetPaused(true);
    world.CountGuestDrawn();
    world.CountGuestDrawn();
    EXPECT_EQ(std::tuple(sounds.IsPaused(), sounds.GetGuestsDrawn(), sounds.GetGameTime()),
              std::tuple(true, 2, world.GetGameTime()));
    world.SetPaused(false);
    EXPECT_FALSE(sounds.IsPaused());

    m_pSounds.reset();
    EXPECT_EQ(g_pSoundPark, nullptr);
    EXPECT_EQ(g_pScriptedSound, nullptr);
}

TEST_F(ParkSoundsTest, SpritesComeFromTheGuisSpriteBanks)
{
    SpriteManager& sprites = GetSpriteManager();
    sprites.LoadSpriteFile((kSampleData + "/data/sprites/VA2FESprites.hdr").c_str(),
                           (kSampleData + "/data/sprites/VA2FESprites.Dat").c_str());
    const int live = sprites.GetLiveSprites();
    {
        std::unique_ptr<SoundSprite> button = m_pSounds->CreateSprite("uis_menu_button");
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(sprites.GetLiveSprites(), live + 1);
        EXPECT_EQ(std::string(button->GetName()), "uis_menu_button");
        EXPECT_EQ(button->GetAnimationCount(), 1);
        EXPECT_EQ(std::string(button->GetAnimationName(0)), "default");
        EXPECT_EQ(button->GetAnimationName(1), nullptr);
        button->PlayAnimation("DEFAULT", 2.0f);
        EXPECT_EQ(button->GetAnimation(), 0);
        // A bank the file lacks falls back to "dummy".
        EXPECT_EQ(std::string(m_pSounds->CreateSprite("NoSuchBank")->GetName()), "dummy");
    }
    EXPECT_EQ(sprites.GetLiveSprites(), live);
    sprites.UnloadBanks();
}

TEST_F(ParkSoundsTest, ABuildingsLoopPlaysWhileItIsOpenAndFollowsTheListener)
{
    BuildingObject* shop = m_park.Build("SHOP", 4, 4);
    BuildingObject* kiosk = m_park.Build("KIOSK", 8, 4);
    ASSERT_TRUE(shop && kiosk);
    ASSERT_EQ(shop->GetState(), uint32_t{STATE_NULL});
    ASSERT_TRUE(shop->IsOpen());
    const uint32_t id = shop->GetID();
    const platform::Vec3 at = shop->GetPosition();
    Listen(at);
    Frames(10);
    // At the shop its loop plays at the script's 0.5; the kiosk has no entry in the script.
    EXPECT_EQ(LoopVolume(id), static_cast<int>(255 * 0.5));
    EXPECT_EQ(LoopVolume(kiosk->GetID()), -1);
    // 65 units off over the ground: (1 - 35 / 70) x 0.5.
    Listen({at.x + 39.0f, at.y, at.z + 52.0f});
    Frames(10);
    EXPECT_EQ(LoopVolume(id), static_cast<int>(255 * 0.25));
    // Closed, it stops; opened again, it starts again.
    shop->Close();
    Frames(10);
    EXPECT_EQ(LoopVolume(id), -1);
    EXPECT_EQ(m_sound.FindSample("shop_loop"), -1);
    shop->Open();
    Frames(10);
    EXPECT_EQ(LoopVolume(id), static_cast<int>(255 * 0.25));
    // Gone, it stops.
    m_park.objects->RemoveObject(id);
    Frames(10);
    EXPECT_EQ(LoopVolume(id), -1);
    EXPECT_EQ(m_sound.FindSample("shop_loop"), -1);
}

TEST_F(ParkSoundsTest, ABuildingsLoopPlaysAgainInALoadedParkWhileItIsOpen)
{
    // An open shop and a closed one are saved; in the loaded park the open one's loop plays again once its
    // buildings are relinked, the closed one stays silent.
    BuildingObject* open = m_park.Build("SHOP", 4, 4);
    BuildingObject* closed = m_park.Build("SHOP", 4, 8);
    ASSERT_TRUE(open && closed);
    closed->Close();
    const uint32_t openID = open->GetID(), closedID = closed->GetID();
    Listen(open->GetPosition());
    Frames(10);
    ASSERT_EQ(LoopVolume(openID), static_cast<int>(255 * 0.5));
    ASSERT_EQ(LoopVolume(closedID), -1);
    const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { m_park.objects->Dump(s); });
    ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return m_park.objects->Load(s); }));
    for (uint32_t id : {openID, closedID})
        m_park.objects->GetObject(id)->PostLoad();
    Frames(10);
    EXPECT_EQ(LoopVolume(openID), static_cast<int>(255 * 0.5));
    EXPECT_EQ(LoopVolume(closedID), -1);
}
