// SpriteManager: sprites by bank name. The banks themselves are loaded by the GUI's start-up; until then every name
// is taken as asked, and an empty name falls back to the default bank.
#include "gui/SpriteManager.h"

#include "gui/Sprite.h"

Sprite* SpriteManager::CreateSprite(const char* bankName)
{
    ++m_iLive;
    return new Sprite(bankName && *bankName ? bankName : kFallbackBank);
}

void SpriteManager::ReleaseSprite(Sprite* sprite)
{
    if (!sprite)
        return;
    --m_iLive;
    delete sprite;
}

int SpriteManager::LoadSpriteFile(const char* indexName, const char*)
{
    m_loadedIndex = indexName ? indexName : "";
    return 0;
}

void SpriteManager::UnloadBanks()
{
    m_loadedIndex.clear();
}

SpriteManager& GetSpriteManager()
{
    static SpriteManager manager;
    return manager;
}
