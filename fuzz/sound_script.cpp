// Fuzz target: the sound script. It is loaded scrambled as the park loads it, with sound and a park of a few objects
// and one sprite bank, then its hooks run (every building and opinion, a few frames of positional sounds and the
// crowd). The tables must keep to their room, and nothing may be reported after the load.
#include "engine/media/ScriptedSound.h"
#include "engine/media/SoundEventManager.h"
#include "engine/media/SoundManager.h"
#include "engine/media/SoundPark.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Strings.h"
#include "platform/audio/Sound.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

const char* const kAnimations[] = {"Idle", "Jump", "Swim"};

class FuzzSprite : public SoundSprite
{
public:
    explicit FuzzSprite(bool onBank) : m_bOnBank(onBank) {}
    void PlayAnimation(const char* name, float) override
    {
        m_current = 0;
        for (int32_t i = 0; m_bOnBank && i < 3; ++i)
            if (platform::StrICmp(kAnimations[i], name) == 0)
                m_current = i;
    }
    int32_t GetAnimation() const override { return m_current; }
    int32_t GetAnimationCount() const override { return m_bOnBank ? 3 : 0; }
    const char* GetAnimationName(int32_t index) const override
    {
        return m_bOnBank && index >= 0 && index < 3 ? kAnimations[index] : nullptr;
    }
    const char* GetName() const override { return m_bOnBank ? "Dolphin" : "dummy"; }

private:
    bool m_bOnBank;
    int32_t m_current = 0;
};

// Objects 1 to 4 named as buildings of the dictionary, spread along x.
class FuzzPark : public SoundPark
{
public:
    const char* GetObjectName(uint32_t id) const override
    {
        static const char* const kNames[] = {"FUNHOUSE", "DINER", "funhouse", "INFORMATION"};
        return id >= 1 && id <= 4 ? kNames[id - 1] : nullptr;
    }
    bool GetObjectSoundPosition(uint32_t id, platform::Vec3& position) const override
    {
        if (!GetObjectName(id))
            return false;
        position = {static_cast<float>(id) * 25.0f, 0.0f, 0.0f};
        return true;
    }
    platform::Vec3 WorldToScene(const platform::Vec3& world) const override { return {world.x, 0.0f, world.y}; }
    bool IsPaused() const override { return false; }
    int32_t GetGuestsDrawn() const override { return 30; }
    float GetGameTime() const override { return 1.0f; }
    std::unique_ptr<SoundSprite> CreateSprite(const char* bankName) override
    {
        return std::make_unique<FuzzSprite>(platform::StrICmp(bankName, "Dolphin") == 0);
    }
};

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    platform::SoundUseManualMixing(true);
    fuzzsupport::WriteBleFile(ScriptedSound::kScriptFile, data, size);
    FuzzPark park;
    g_pSoundPark = &park;
    {
        SoundManager sound(true, "blsnd");
        sound.SetSfxVolume(1.0f);
        SoundEventManager events(true);
        ScriptedSound script;
        script.Load(ScriptedSound::kScriptFile);
        Check(script.GetSpriteSounds().size() <= ScriptedSound::kMaxSprites);
        Check(script.GetBuildingSounds().size() <= ScriptedSound::kMaxBuildingSounds);
        for (const SpriteSounds& sprite : script.GetSpriteSounds())
            for (const SpriteAnimSounds& anim : sprite.anims)
                Check(anim.count == static_cast<int32_t>(anim.files.size()) &&
                      anim.files.size() == anim.volumes.size());
        for (int32_t i = 0; i < ScriptedSound::kOpinionCount; ++i)
        {
            const OpinionSound& opinion = script.GetOpinionSound(i);
            Check(opinion.count == static_cast<int32_t>(opinion.files.size()) &&
                  opinion.files.size() == opinion.volumes.size());
            Check(opinion.group >= -1 && opinion.group < ScriptedSound::kGroupCount);
            for (const std::string& file : opinion.files)
                Check(file.size() <= ScriptedSound::kMaxSoundNameLength);
        }
        Check(script.GetMaxNumber() > 0.0f);

        const uint64_t reportedAtLoad = fuzzsupport::MessageBoxCount();
        events.StartCrowdLoop();
        for (uint32_t id = 0; id <= 5; ++id)
            script.StartBuildingSound(id);
        for (int frame = 0; frame < 6; ++frame)
        {
            for (int32_t opinion = -1; opinion <= ScriptedSound::kOpinionCount; ++opinion)
                script.PlayOpinionSound(opinion, {static_cast<float>(frame * 20), 10.0f, 0.0f});
            sound.Update(0.05f);
            events.Update(0.05f);
        }
        script.StopObjectSounds(1);
        events.StopCrowdLoop();
        Check(fuzzsupport::MessageBoxCount() == reportedAtLoad);
    }
    g_pSoundPark = nullptr;
    return 0;
}
