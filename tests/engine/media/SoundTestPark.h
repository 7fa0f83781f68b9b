// Test pieces for the park's sounds: a park of named objects at set places with a pause flag, a count of guests on
// screen and sprite banks of named animations; and a sample bank of constant-level WAV files in a temporary
// data\sounds folder, mixed by hand.
#pragma once

#include "engine/media/SoundPark.h"
#include "platform/Strings.h"
#include "platform/audio/Sound.h"
#include "tests/platform/audio/AudioTestFiles.h"
#include "tests/support/TestSupport.h"

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace soundtest
{

// A sprite on a bank of named animations; it counts itself in the park's live sprites.
class TestSprite : public SoundSprite
{
public:
    TestSprite(std::string name, std::vector<std::string> anims, int* live)
        : m_name(std::move(name)), m_anims(std::move(anims)), m_pLive(live)
    {
        ++*m_pLive;
    }
    ~TestSprite() override { --*m_pLive; }

    void PlayAnimation(const char* name, float time) override
    {
        m_current = 0;
        lastTime = time;
        for (size_t i = 0; i < m_anims.size(); ++i)
        {
            if (platform::StrICmp(m_anims[i].c_str(), name) == 0)
            {
                m_current = static_cast<int32_t>(i);
                return;
            }
        }
    }
    int32_t GetAnimation() const override { return m_current; }
    int32_t GetAnimationCount() const override { return static_cast<int32_t>(m_anims.size()); }
    const char* GetAnimationName(int32_t index) const override
    {
        return index >= 0 && static_cast<size_t>(index) < m_anims.size() ? m_anims[index].c_str() : nullptr;
    }
    const char* GetName() const override { return m_name.c_str(); }

    float lastTime = -1.0f;

private:
    std::string m_name;
    std::vector<std::string> m_anims;
    int32_t m_current = 0;
    int* m_pLive;
};

// A park of objects by id, registered while it lives. A world point becomes the scene point (x / 2, 0, y / 2).
class TestPark : public SoundPark
{
public:
    struct Object
    {
        std::string name;
        platform::Vec3 position;
        bool hasPosition = true;
    };

    TestPark() { g_pSoundPark = this; }
    ~TestPark() override
    {
        if (g_pSoundPark == this)
            g_pSoundPark = nullptr;
    }

    const char* GetObjectName(uint32_t id) const override
    {
        auto it = objects.find(id);
        return it != objects.end() ? it->second.name.c_str() : nullptr;
    }
    bool GetObjectSoundPosition(uint32_t id, platform::Vec3& position) const override
    {
        auto it = objects.find(id);
        if (it == objects.end())
            return false;
        if (it->second.hasPosition)
            position = it->second.position;
        return true;
    }
    platform::Vec3 WorldToScene(const platform::Vec3& world) const override
    {
        return {world.x / 2.0f, 0.0f, world.y / 2.0f};
    }
    bool IsPaused() const override { return paused; }
    int32_t GetGuestsDrawn() const override { return guests; }
    float GetGameTime() const override { return gameTime; }
    std::unique_ptr<SoundSprite> CreateSprite(const char* bankName) override
    {
        // Banks are found whatever the letter case, as the sprite manager finds them.
        for (const auto& [name, anims] : banks)
        {
            if (platform::StrICmp(name.c_str(), bankName) == 0)
                return std::make_unique<TestSprite>(bankName, anims, &liveSprites);
        }
        return std::make_unique<TestSprite>(bankName, std::vector<std::string>{}, &liveSprites);
    }

    std::map<uint32_t, Object> objects;
    std::map<std::string, std::vector<std::string>> banks;
    bool paused = false;
    int32_t guests = 0;
    float gameTime = 0.0f;
    int liveSprites = 0;
};

constexpr int kRate = 22050;

// A constant-level mono sample of `frames` frames.
inline std::vector<uint8_t> Constant(int16_t level, size_t frames)
{
    return audiotest::Wav16(kRate, 1, std::vector<int16_t>(frames, level));
}

// The named WAV files as the bank data\sounds\blsnd of a temporary folder that is the current folder while it
// lives; the back end is mixed by hand.
class BankFolder
{
public:
    explicit BankFolder(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files) : m_cwd(m_dir.Path())
    {
        std::filesystem::create_directories(m_dir.File("data/sounds"));
        audiotest::BankFiles bank;
        for (const auto& [name, bytes] : files)
            bank.Add(name, bytes);
        bank.Write(m_dir.File("data/sounds/blsnd.hdr"), m_dir.File("data/sounds/blsnd.spf"));
        platform::SoundUseManualMixing(true);
    }
    ~BankFolder() { platform::SoundUseManualMixing(false); }
    const testsupport::TempDir& Dir() const { return m_dir; }

private:
    testsupport::TempDir m_dir;
    testsupport::ScopedCurrentDir m_cwd;
};

// Left output of the mix a few frames on.
inline int MixedLeft()
{
    std::vector<int16_t> out(16);
    platform::SoundRender(out.data(), 8);
    return out[12];
}

} // namespace soundtest
