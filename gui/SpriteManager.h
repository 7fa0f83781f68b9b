// SpriteManager: makes sprites on the sprite banks by name and takes them back.
#pragma once

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

private:
    int m_iLive = 0;
};

// The program's sprite manager.
SpriteManager& GetSpriteManager();
