// SpriteManager: makes sprites on the sprite banks by name and takes them back.
#pragma once

#include <string>

class Sprite;

class SpriteManager
{
public:
    // The bank a name that no bank has falls back to.
    static constexpr const char* kFallbackBank = "dummy";

    // A new sprite on the named bank (names compare without regard to case).
    Sprite* CreateSprite(const char* bankName);
    // Deletes a sprite made here; null is ignored.
    void ReleaseSprite(Sprite* sprite);
    // Sprites made and not yet released.
    int GetLiveSprites() const { return m_iLive; }

    // Loads the banks of a sprite file pair (index ".hdr" and data ".Dat"), read plain; returns 0. Banks loaded
    // earlier stay: callers unload them first.
    int LoadSpriteFile(const char* indexName, const char* dataName);
    // Drops the loaded banks.
    void UnloadBanks();
    // The index file of the loaded pair; empty when none is loaded.
    const std::string& GetLoadedIndexName() const { return m_loadedIndex; }

private:
    int m_iLive = 0;
    std::string m_loadedIndex;
};

// The program's sprite manager.
SpriteManager& GetSpriteManager();
