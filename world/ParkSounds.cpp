// ParkSounds: the World's answers to its sounds, and sprites of the GUI's sprite manager for the sound script.
#include "world/ParkSounds.h"

#include "engine/media/ScriptedSound.h"
#include "gui/SpriteManager.h"
#include "world/BaseObject.h"
#include "world/ObjectManager.h"
#include "world/World.h"
#include "world/WorldMap.h"

namespace
{

// A sprite of the sprite manager, released when deleted.
class ManagedSoundSprite final : public SoundSprite
{
public:
    explicit ManagedSoundSprite(Sprite* sprite) : m_pSprite(sprite) {}
    ~ManagedSoundSprite() override { GetSpriteManager().ReleaseSprite(m_pSprite); }
    ManagedSoundSprite(const ManagedSoundSprite&) = delete;
    ManagedSoundSprite& operator=(const ManagedSoundSprite&) = delete;

    void PlayAnimation(const char* name, float time) override { m_pSprite->PlayAnimation(name, time); }
    int32_t GetAnimation() const override { return m_pSprite->GetAnimation(); }
    int32_t GetAnimationCount() const override { return m_pSprite->GetAnimationCount(); }
    const char* GetAnimationName(int32_t index) const override
    {
        const SpriteAnim* anim = m_pSprite->GetAnimationInfo(index);
        return anim ? anim->m_szName : nullptr;
    }
    const char* GetName() const override { return m_pSprite->GetName().c_str(); }

private:
    Sprite* m_pSprite;
};

} // namespace

ParkSounds::ParkSounds(const World& world, const char* scriptFile) : m_World(world)
{
    g_pSoundPark = this;
    m_pScript = std::make_unique<ScriptedSound>();
    m_pScript->Load(scriptFile);
}

ParkSounds::~ParkSounds()
{
    m_pScript.reset();
    if (g_pSoundPark == this)
        g_pSoundPark = nullptr;
}

const char* ParkSounds::GetObjectName(uint32_t id) const
{
    const BaseObject* object = g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
    return object ? object->GetName() : nullptr;
}

bool ParkSounds::GetObjectSoundPosition(uint32_t id, platform::Vec3& position) const
{
    BaseObject* object = g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
    if (!object)
        return false;
    object->GetSoundPosition(position);
    return true;
}

platform::Vec3 ParkSounds::WorldToScene(const platform::Vec3& world) const
{
    platform::Vec3 scene;
    WorldMap::WorldToSceneOut(world, &scene);
    return scene;
}

bool ParkSounds::IsPaused() const
{
    return m_World.IsPaused();
}

int32_t ParkSounds::GetGuestsDrawn() const
{
    return m_World.GetGuestsDrawn();
}

float ParkSounds::GetGameTime() const
{
    return m_World.GetGameTime();
}

std::unique_ptr<SoundSprite> ParkSounds::CreateSprite(const char* bankName)
{
    Sprite* sprite = GetSpriteManager().CreateSprite(bankName);
    if (!sprite)
        return nullptr;
    return std::make_unique<ManagedSoundSprite>(sprite);
}
