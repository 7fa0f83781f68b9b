// SpriteManager: the banks of the loaded sprite file pair, the sprites made on them by name, and the cache of frame
// textures shared by every sprite.
#pragma once

#include "gui/Sprite.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class SpriteManager
{
public:
    // The bank a name that no bank has falls back to.
    static constexpr const char* kFallbackBank = "dummy";
    static constexpr size_t kIndexHeaderSize = 28;

    SpriteManager() = default;
    // Unloads the banks and releases the cached frame textures.
    ~SpriteManager();
    SpriteManager(const SpriteManager&) = delete;
    SpriteManager& operator=(const SpriteManager&) = delete;

    // A new sprite on the first bank of that name (letter case ignored), else on "dummy"; with neither, a sprite
    // on no bank that keeps the asked name and draws nothing. A name the loaded file lacks is reported once.
    Sprite* CreateSprite(const char* bankName);
    Sprite* GetSprite(const char* bankName) { return CreateSprite(bankName); }
    // Deletes a sprite made here; null is ignored.
    void ReleaseSprite(Sprite* sprite);
    // Sprites made and not yet released.
    int GetLiveSprites() const { return m_iLive; }

    // Loads the banks of a sprite file pair (index ".hdr" and data ".Dat"), read plain; returns 0. Banks loaded
    // earlier stay: callers unload them first. A file that cannot be read gets one report naming it. Every count,
    // length and offset is checked against the files: what does not fit is reported and left out.
    int LoadSpriteFile(const char* indexName, const char* dataName);
    // The same from bytes in memory (the names serve the reports).
    int LoadSpriteData(const uint8_t* index, size_t indexSize, std::vector<uint8_t> data, const char* indexName);
    // Drops the loaded banks. A bank that still has sprites stays alive, with its frame data, until its last
    // sprite is released.
    void UnloadBanks();
    // The index file of the loaded pair; empty when none is loaded.
    const std::string& GetLoadedIndexName() const { return m_loadedIndex; }
    int32_t GetBankCount() const { return static_cast<int32_t>(m_banks.size()); }
    const SpriteBank* GetBank(int32_t i) const;

    // The frame texture cache: keys compared without regard to case; it grows as needed and is never flushed
    // while the manager lives.
    uint32_t FindCachedFrame(const char* key) const;
    void AddCachedFrame(const char* key, uint32_t slot);
    size_t GetCachedFrameCount() const { return m_frameCache.size(); }
    // Releases every cached texture (before the texture system shuts down).
    void ReleaseFrameCache();
    // Frames decoded into textures so far (cache misses).
    uint32_t GetDecodeCount() const { return m_uDecodes; }
    void CountDecode() { ++m_uDecodes; }

private:
    SpriteBank* FindBank(const char* name) const;
    static std::string CacheKey(const char* key);

    std::vector<std::unique_ptr<SpriteBank>> m_banks;
    // Banks unloaded while sprites still used them.
    std::vector<std::unique_ptr<SpriteBank>> m_retired;
    std::unordered_map<std::string, uint32_t> m_frameCache;
    // The last key looked up, folded to lower case.
    mutable std::string m_foldedKey;
    std::string m_loadedIndex;
    // Bank names (folded to lower case) already reported missing from the loaded file.
    std::unordered_set<std::string> m_missingReported;
    int m_iLive = 0;
    uint32_t m_uDecodes = 0;
};

// The program's sprite manager.
SpriteManager& GetSpriteManager();
