// ScriptedSound: the sound script of a park (sprite animation sounds, a looping sound per kind of building, the crowd
// level rule, the guests' spoken opinions and the limits of the sound groups) and the hooks that play from it.
#pragma once

#include "platform/gfx/Math.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The sounds of one animation of a sprite.
struct SpriteAnimSounds
{
    std::vector<std::string> files;
    std::vector<float> volumes;
    int32_t count = 0;
    int32_t group = -1;
    int32_t cursor = 0;
};

// One SpriteSounds block: the sprite's bank name and a row per animation of its bank.
struct SpriteSounds
{
    std::string sprite;
    std::vector<SpriteAnimSounds> anims;
};

// One BuildingSounds entry.
struct BuildingSound
{
    std::string building;
    std::string file;
    float volume = 0.0f;
    uint8_t playsOverMusic = 0;
};

// One opinion sound: the files one of which plays, each at its own volume.
struct OpinionSound
{
    int32_t count = 0;
    int32_t group = -1;
    std::vector<float> volumes;
    std::vector<std::string> files;
};

class ScriptedSound
{
public:
    static constexpr const char* kScriptFile = "Data\\Sounds\\Sounds.dat";
    static constexpr size_t kMaxSprites = 30;
    static constexpr size_t kMaxBuildingSounds = 55;
    static constexpr int32_t kOpinionCount = 8;
    static constexpr int32_t kGroupCount = 20;
    // Longest token of the script; a longer one is cut to this length.
    static constexpr size_t kMaxTokenLength = 51;
    // Longest sound name the positional sounds keep; a longer one is left out.
    static constexpr size_t kMaxSoundNameLength = 31;
    // Problems shown in a message box during one load; the rest go to the debugger output.
    static constexpr int kMaxBoxReports = 10;
    static constexpr float kDefaultMaxNumber = 50.0f;
    static constexpr float kDefaultMaxVolume = 0.75f;
    static constexpr float kDefaultFadeTime = 0.2f;

    // The opinions in the order the callers number them.
    static constexpr const char* kOpinionNames[kOpinionCount] = {
        "Male_StinkyToilet",   "Male_BuildingQueueClosed",   "Male_GoodSale",   "Male_BadSale",
        "Female_StinkyToilet", "Female_BuildingQueueClosed", "Female_GoodSale", "Female_BadSale",
    };

    // Stores the global pointer; empty tables, the crowd's defaults.
    ScriptedSound();
    // Clears the global pointer.
    ~ScriptedSound();
    ScriptedSound(const ScriptedSound&) = delete;
    ScriptedSound& operator=(const ScriptedSound&) = delete;

    // Reads the script scrambled (the name with ".ble" for its last four characters) and parses it; an empty or
    // missing file leaves the tables as they are. Every problem is reported and parsing goes on.
    void Load(const char* fileName);
    // Parses script text held in memory (what Load does once the file is read).
    void Parse(const char* text, size_t size);

    // Starts the looping sound of the first BuildingSounds entry whose name is the object's name (letter case
    // ignored) on that object; nothing for an unknown object or a building with no entry.
    void StartBuildingSound(uint32_t objectId);
    // Stops the sound on that object.
    void StopObjectSounds(uint32_t objectId);
    // Queues one of the opinion's files at random, at its own volume, at a point of the park's map; nothing for an
    // opinion outside 0..7 or one with no files.
    void PlayOpinionSound(int32_t opinion, const platform::Vec3& worldPosition);

    float GetMaxNumber() const { return m_fMaxNumber; }
    float GetMaxVolume() const { return m_fMaxVolume; }
    float GetFadeTime() const { return m_fFadeTime; }
    // The most sounds of a group that play at once; 0 until set and for a group outside 0..19.
    int32_t GetGroupLimit(int32_t group) const;

    const std::vector<SpriteSounds>& GetSpriteSounds() const { return m_Sprites; }
    const std::vector<BuildingSound>& GetBuildingSounds() const { return m_Buildings; }
    const OpinionSound& GetOpinionSound(int32_t opinion) const;
    // Opinion entries numbered so far (at most 8 are kept).
    int32_t GetOpinionEntries() const { return m_iOpinionEntries; }

private:
    class Parser;

    std::vector<SpriteSounds> m_Sprites;
    std::vector<BuildingSound> m_Buildings;
    std::array<OpinionSound, kOpinionCount> m_Opinions;
    int32_t m_iOpinionEntries = 0;
    std::array<int32_t, kGroupCount> m_GroupLimits = {};
    float m_fMaxNumber = kDefaultMaxNumber;
    float m_fMaxVolume = kDefaultMaxVolume;
    float m_fFadeTime = kDefaultFadeTime;
};

// The park's sound script while a park exists, null otherwise.
extern ScriptedSound* g_pScriptedSound;
