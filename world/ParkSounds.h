// ParkSounds: the park as its sounds see it (objects by id, their sound positions, the map's scene units, the pause,
// the guests on screen, the clock, the sprite banks) and the park's sound script, which it owns and loads.
#pragma once

#include "engine/media/SoundPark.h"

#include <memory>

class ScriptedSound;
class World;

class ParkSounds final : public SoundPark
{
public:
    // Registers itself as the park the sounds ask, then creates the sound script and loads `scriptFile`.
    ParkSounds(const World& world, const char* scriptFile);
    // Deletes the sound script and withdraws the registration.
    ~ParkSounds() override;
    ParkSounds(const ParkSounds&) = delete;
    ParkSounds& operator=(const ParkSounds&) = delete;

    ScriptedSound& GetScript() const { return *m_pScript; }

    const char* GetObjectName(uint32_t id) const override;
    bool GetObjectSoundPosition(uint32_t id, platform::Vec3& position) const override;
    platform::Vec3 WorldToScene(const platform::Vec3& world) const override;
    bool IsPaused() const override;
    int32_t GetGuestsDrawn() const override;
    float GetGameTime() const override;
    std::unique_ptr<SoundSprite> CreateSprite(const char* bankName) override;

private:
    const World& m_World;
    std::unique_ptr<ScriptedSound> m_pScript;
};
