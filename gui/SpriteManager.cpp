// SpriteManager: reading a sprite file pair with every count and offset checked, sprites by bank name, and the frame
// texture cache.
#include "gui/SpriteManager.h"

#include "engine/core/FileSystem.h"
#include "engine/core/Logger.h"
#include "engine/render/TextureManager.h"
#include "gui/ReportText.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace
{

// Little-endian reads over a byte range; a read past the end fails and leaves the value 0.
class ByteReader
{
public:
    ByteReader(const uint8_t* data, size_t size) : m_p(data), m_size(size) {}

    bool Skip(size_t n)
    {
        if (n > m_size - m_pos)
            return Fail();
        m_pos += n;
        return true;
    }
    bool Bytes(void* out, size_t n)
    {
        if (n > m_size - m_pos)
            return Fail();
        std::memcpy(out, m_p + m_pos, n);
        m_pos += n;
        return true;
    }
    template <typename T> bool Value(T* out)
    {
        *out = 0;
        uint8_t bytes[sizeof(T)];
        if (!Bytes(bytes, sizeof(T)))
            return false;
        uint64_t v = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            v |= static_cast<uint64_t>(bytes[i]) << (8 * i);
        *out = static_cast<T>(v);
        return true;
    }
    size_t Remaining() const { return m_size - m_pos; }
    size_t Position() const { return m_pos; }
    bool Failed() const { return m_bFailed; }

private:
    bool Fail()
    {
        m_bFailed = true;
        m_pos = m_size;
        return false;
    }

    const uint8_t* m_p;
    size_t m_size;
    size_t m_pos = 0;
    bool m_bFailed = false;
};

// Palette layout of a bank type: colours kept and bytes in the file per palette.
void PaletteLayout(int32_t type, size_t* kept, size_t* bytes)
{
    switch (type)
    {
    case 1:
    case 2:
    case 5:
    case 9:
        *kept = 256;
        *bytes = 768;
        break;
    case 3:
    case 6:
        *kept = 64;
        *bytes = 768;
        break;
    default:
        *kept = 0;
        *bytes = 0;
        break;
    }
}

uint16_t Pack555(uint8_t red, uint8_t green, uint8_t blue)
{
    return static_cast<uint16_t>(((red & 0xF8) << 7) | ((green & 0xF8) << 2) | (blue >> 3));
}

// The smallest animation record: name length, frames, directions, width, height, two values, offset, value, blocks.
constexpr size_t kMinAnimRecord = 1 + 2 + 1 + 2 + 2 + 4 + 4 + 4 + 2;

// Reads one bank record; false (with a report) when the index file ends or lies inside it.
bool ReadBank(ByteReader& in, SpriteBank& bank, const char* file)
{
    uint8_t nameLength = 0;
    char name[256] = {};
    if (!in.Value(&nameLength) || !in.Bytes(name, nameLength))
        return false;
    bank.m_name.assign(name, strnlen(name, nameLength));
    int32_t type = 0;
    if (!in.Value(&type) || (type == 5 && !in.Skip(4)))
        return false;
    bank.m_iType = type;
    int32_t paletteCount = 0;
    if (!in.Value(&paletteCount))
        return false;
    size_t kept = 0, bytes = 0;
    PaletteLayout(type, &kept, &bytes);
    if (paletteCount < 0 || (bytes && static_cast<size_t>(paletteCount) > in.Remaining() / bytes))
    {
        GetLogger()->Report(1, "SpriteManager::LoadSpriteFile - %s: bank %s has %d palettes, more than the file holds",
                            file, ReportWord(bank.m_name).c_str(), paletteCount);
        return false;
    }
    if (bytes)
        for (int32_t p = 0; p < paletteCount; ++p)
        {
            uint8_t rgb[768];
            in.Bytes(rgb, bytes);
            std::vector<uint16_t> colours(kept);
            for (size_t c = 0; c < kept; ++c)
                colours[c] = Pack555(rgb[3 * c], rgb[3 * c + 1], rgb[3 * c + 2]);
            bank.m_palettes.push_back(std::move(colours));
        }
    int32_t animCount = 0;
    if (!in.Value(&animCount))
        return false;
    if (animCount < 0 || static_cast<size_t>(animCount) > in.Remaining() / kMinAnimRecord)
    {
        GetLogger()->Report(1,
                            "SpriteManager::LoadSpriteFile - %s: bank %s has %d animations, more than the file "
                            "holds",
                            file, ReportWord(bank.m_name).c_str(), animCount);
        return false;
    }
    for (int32_t a = 0; a < animCount; ++a)
    {
        SpriteAnim anim;
        uint8_t length = 0;
        char animName[256] = {};
        if (!in.Value(&length) || !in.Bytes(animName, length))
            return false;
        if (length > SpriteAnim::kNameSize)
            GetLogger()->Report(1,
                                "SpriteManager::LoadSpriteFile - %s: an animation name of bank %s is %u bytes "
                                "long; it is cut",
                                file, ReportWord(bank.m_name).c_str(), length);
        platform::CopyString(anim.m_szName, sizeof(anim.m_szName), animName);
        if (!in.Value(&anim.m_uFrames) || !in.Value(&anim.m_uDirections) || !in.Value(&anim.m_uWidth) ||
            !in.Value(&anim.m_uHeight) || !in.Value(&anim.m_iValueA) || !in.Value(&anim.m_iValueB) ||
            !in.Value(&anim.m_uDataOffset) || !in.Value(&anim.m_uValue) || !in.Value(&anim.m_uBlockCount))
            return false;
        bank.m_anims.push_back(anim);
    }
    return true;
}

// Points the animation's tables into the data block when both fit in it.
void PlaceTables(SpriteAnim& anim, size_t dataSize)
{
    const uint64_t index = anim.m_uDataOffset;
    const uint64_t offsets = index + 2ull * anim.m_uFrames * anim.m_uDirections;
    const uint64_t base = offsets + 4ull * anim.m_uBlockCount;
    anim.m_bTablesValid = base <= dataSize;
    if (anim.m_bTablesValid)
    {
        anim.m_indexTable = static_cast<size_t>(index);
        anim.m_offsetTable = static_cast<size_t>(offsets);
        anim.m_frameBase = static_cast<size_t>(base);
    }
}

// Every frame the index table names is a block of the animation and starts inside the data.
bool TablesHold(const SpriteAnim& anim, const std::vector<uint8_t>& data)
{
    const size_t entries = static_cast<size_t>(anim.m_uFrames) * anim.m_uDirections;
    for (size_t i = 0; i < entries; ++i)
    {
        const size_t at = anim.m_indexTable + 2 * i;
        if ((data[at] | (data[at + 1] << 8)) >= anim.m_uBlockCount)
            return false;
    }
    for (size_t k = 0; k < anim.m_uBlockCount; ++k)
    {
        const size_t at = anim.m_offsetTable + 4 * k;
        const uint64_t offset =
            data[at] | (data[at + 1] << 8) | (data[at + 2] << 16) | (static_cast<uint64_t>(data[at + 3]) << 24);
        if (anim.m_frameBase + offset > data.size())
            return false;
    }
    return true;
}

// Takes the bytes of the animation's two tables from the budget when they fit in what is left.
bool WithinCheckBudget(const SpriteAnim& anim, uint64_t* budget)
{
    const uint64_t bytes = 2ull * anim.m_uFrames * anim.m_uDirections + 4ull * anim.m_uBlockCount;
    if (bytes > *budget)
        return false;
    *budget -= bytes;
    return true;
}

} // namespace

SpriteManager::~SpriteManager()
{
    UnloadBanks();
    ReleaseFrameCache();
}

const SpriteBank* SpriteManager::GetBank(int32_t i) const
{
    return i >= 0 && i < GetBankCount() ? m_banks[static_cast<size_t>(i)].get() : nullptr;
}

int SpriteManager::LoadSpriteFile(const char* indexName, const char* dataName)
{
    FileSystem* files = GetFileSystem();
    uint32_t indexSize = 0, dataSize = 0;
    std::unique_ptr<char[]> index(indexName ? files->LoadFileSized(indexName, &indexSize) : nullptr);
    std::unique_ptr<char[]> data(dataName ? files->LoadFileSized(dataName, &dataSize) : nullptr);
    if (!index || !data)
    {
        // One report for the pair, naming what is missing; the banks of a pair without its index are empty, and
        // the pictures of a pair without its data draw nothing.
        const std::string missing = !index && !data
                                        ? ReportWord(indexName ? indexName : "", kReportPathBytes) + " and " +
                                              ReportWord(dataName ? dataName : "", kReportPathBytes)
                                    : !index ? ReportWord(indexName ? indexName : "", kReportPathBytes)
                                             : ReportWord(dataName ? dataName : "", kReportPathBytes);
        GetLogger()->Report(0,
                            "SpriteManager::LoadSpriteFile - the sprite file %s cannot be read; its pictures are "
                            "not shown",
                            missing.c_str());
    }
    std::vector<uint8_t> block;
    if (data)
        block.assign(data.get(), data.get() + dataSize);
    return LoadSpriteData(reinterpret_cast<const uint8_t*>(index.get()), indexSize, std::move(block),
                          indexName ? indexName : "");
}

int SpriteManager::LoadSpriteData(const uint8_t* index, size_t indexSize, std::vector<uint8_t> data,
                                  const char* indexName)
{
    m_loadedIndex = indexName ? indexName : "";
    m_missingReported.clear();
    auto block = std::make_shared<const std::vector<uint8_t>>(std::move(data));
    ByteReader in(index, index ? indexSize : 0);
    int32_t bankCount = 0;
    if (!in.Skip(24) || !in.Value(&bankCount))
    {
        if (index)
            GetLogger()->Report(1, "SpriteManager::LoadSpriteFile - %s is too short for its header", indexName);
        return 0;
    }
    if (bankCount < 0)
        GetLogger()->Report(1, "SpriteManager::LoadSpriteFile - %s gives %d banks", indexName, bankCount);
    // The tables of a file's animations lie apart in its data, so together they are no larger than the data. Only
    // that much is checked ahead: animations whose tables overlap could otherwise make the check go over the same
    // bytes for hours. Frames left unchecked here are still checked when they are drawn.
    uint64_t checkBudget = block->size();
    for (int32_t b = 0; b < bankCount; ++b)
    {
        auto bank = std::make_unique<SpriteBank>();
        if (!ReadBank(in, *bank, indexName))
        {
            GetLogger()->Report(1, "SpriteManager::LoadSpriteFile - %s ends inside bank %d of %d; the rest is left out",
                                indexName, b, bankCount);
            break;
        }
        bank->m_pData = block;
        for (SpriteAnim& anim : bank->m_anims)
        {
            PlaceTables(anim, block->size());
            if (!anim.m_bTablesValid)
                GetLogger()->Report(1,
                                    "SpriteManager::LoadSpriteFile - animation %s of bank %s lies outside the data "
                                    "file",
                                    ReportWord(anim.m_szName).c_str(), ReportWord(bank->m_name).c_str());
            else if (WithinCheckBudget(anim, &checkBudget) && !TablesHold(anim, *block))
                GetLogger()->Report(1,
                                    "SpriteManager::LoadSpriteFile - animation %s of bank %s names frames the data "
                                    "file does not hold; they draw nothing",
                                    ReportWord(anim.m_szName).c_str(), ReportWord(bank->m_name).c_str());
        }
        m_banks.push_back(std::move(bank));
    }
    return 0;
}

void SpriteManager::UnloadBanks()
{
    for (auto& bank : m_banks)
        if (bank->m_iRefCount > 0)
            m_retired.push_back(std::move(bank));
    m_banks.clear();
    m_loadedIndex.clear();
}

SpriteBank* SpriteManager::FindBank(const char* name) const
{
    for (const auto& bank : m_banks)
        if (platform::StrICmp(bank->m_name.c_str(), name) == 0)
            return bank.get();
    return nullptr;
}

Sprite* SpriteManager::CreateSprite(const char* bankName)
{
    const char* name = bankName ? bankName : kFallbackBank;
    SpriteBank* bank = FindBank(name);
    // A name no bank of the loaded file has is reported once per name and file (with no banks loaded at all the
    // file's own report says it).
    if (!bank && !m_banks.empty() && m_missingReported.insert(CacheKey(name)).second)
        GetLogger()->Report(1, "SpriteManager::CreateSprite - %s has no sprite bank %s; %s", m_loadedIndex.c_str(),
                            ReportWord(name).c_str(),
                            FindBank(kFallbackBank) ? "the bank \"dummy\" is shown" : "nothing is shown");
    if (!bank && (bank = FindBank(kFallbackBank)) != nullptr)
        name = kFallbackBank;
    if (bank)
        ++bank->m_iRefCount;
    ++m_iLive;
    return new Sprite(bank, name);
}

void SpriteManager::ReleaseSprite(Sprite* sprite)
{
    if (!sprite)
        return;
    if (SpriteBank* bank = sprite->GetBank())
    {
        --bank->m_iRefCount;
        if (bank->m_iRefCount <= 0)
            std::erase_if(m_retired, [bank](const auto& retired) { return retired.get() == bank; });
    }
    --m_iLive;
    delete sprite;
}

std::string SpriteManager::CacheKey(const char* key)
{
    std::string folded(key ? key : "");
    for (char& c : folded)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

uint32_t SpriteManager::FindCachedFrame(const char* key) const
{
    // Folded into a buffer kept between calls: sprites look their frames up in every frame they are drawn.
    m_foldedKey.assign(key ? key : "");
    for (char& c : m_foldedKey)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto it = m_frameCache.find(m_foldedKey);
    return it == m_frameCache.end() ? 0 : it->second;
}

void SpriteManager::AddCachedFrame(const char* key, uint32_t slot)
{
    m_frameCache[CacheKey(key)] = slot;
}

void SpriteManager::ReleaseFrameCache()
{
    if (g_TextureManager.IsInitialised())
        for (const auto& entry : m_frameCache)
            g_TextureManager.Release(entry.second);
    m_frameCache.clear();
}

SpriteManager& GetSpriteManager()
{
    static SpriteManager manager;
    return manager;
}
