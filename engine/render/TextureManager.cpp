// The texture manager: slots by name, images read from TGA, DDS and DDT files or the texture bank, the alert
// texture for failed loads, placement on texture pages, and the "TexLog.txt" log.
#include "engine/render/TextureManager.h"

#include "engine/core/Logger.h"
#include "engine/core/Stream.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ImageReaders.h"
#include "engine/render/MaterialTable.h"
#include "engine/render/TextureBank.h"
#include "platform/Paths.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

TextureManager g_TextureManager;

namespace
{

// The key of a name-map entry kept for "RESERVED" once its slot's name is gone.
constexpr char kReservedKey[] = "RESERVED";
constexpr uint32_t kMaxSide = 0xFFFF; // slot sizes are 16-bit

std::string UpperCase(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool Contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

std::unique_ptr<char[]> CopyName(const char* name)
{
    const size_t length = std::strlen(name);
    auto copy = std::make_unique<char[]>(length + 1);
    std::memcpy(copy.get(), name, length + 1);
    return copy;
}

// Mip levels skipped by the reduction levels 1 to 4: the fewest halvings that bring both sides below the limit,
// at most maxSkips.
struct ReductionRule
{
    uint32_t limit;
    uint32_t maxSkips;
};
constexpr ReductionRule kReduction[5] = {{0, 0}, {513, 1}, {256, 2}, {128, 2}, {33, 2}};

// Mean of the red, green and blue bytes of 32-bit ARGB pixels (integer division), alpha 0xFF.
uint32_t AverageColour(const uint8_t* pixels, uint64_t count)
{
    if (count == 0)
        return TextureManager::kAverageDefault;
    uint64_t sum[3] = {};
    for (uint64_t i = 0; i < count; ++i)
        for (int c = 0; c < 3; ++c)
            sum[c] += pixels[i * 4 + c];
    return 0xFF000000u | static_cast<uint32_t>(sum[2] / count) << 16 | static_cast<uint32_t>(sum[1] / count) << 8 |
           static_cast<uint32_t>(sum[0] / count);
}

} // namespace

// ---------------------------------------------------------------------------------------------------------------
// log and size rule

void StartTexLog()
{
    if (FILE* file = platform::OpenFile(platform::UserFile(kTexLogFileName), "wt"))
    {
        std::fputs("Initialise Texture System \n", file);
        std::fclose(file);
    }
}

void TexLog(const char* format, ...)
{
    char buffer[4096];
    va_list args;
    va_start(args, format);
    platform::FormatStringV(buffer, sizeof buffer, format, args);
    va_end(args);
    if (FILE* file = platform::OpenFile(platform::UserFile(kTexLogFileName), "at"))
    {
        std::fputs(buffer, file);
        std::fclose(file);
    }
}

void RoundUpTextureSize(uint32_t width, uint32_t height, uint32_t* pWidth, uint32_t* pHeight)
{
    auto round = [](uint32_t side)
    {
        uint32_t size = 32;
        while (size < side && size < 1024)
            size <<= 1;
        return size;
    };
    if (pWidth)
        *pWidth = round(width);
    if (pHeight)
        *pHeight = round(height);
}

int32_t DeviceTextureForSlot(int32_t slot)
{
    return g_TextureManager.GetDeviceTexture(slot);
}

// ---------------------------------------------------------------------------------------------------------------
// life

TextureManager::~TextureManager() = default;

bool TextureManager::Init(uint32_t slotCount)
{
    if (IsInitialised())
        Shutdown();
    slotCount = std::max<uint32_t>(slotCount, 2);
    m_pNameMap = std::make_unique<StringHashMap<uint32_t>>(slotCount);
    m_pSlots = std::make_unique<TextureSlot[]>(slotCount);
    m_uSlotCapacity = slotCount;
    m_uPageCapacity = slotCount / 2;
    m_pPages = std::make_unique<TexturePage[]>(m_uPageCapacity);
    m_pPageList = std::make_unique<uint32_t[]>(m_uPageCapacity + 2);
    for (uint32_t i = 0; i < m_uPageCapacity + 2; ++i)
        m_pPageList[i] = i;
    m_uPagesUsed = 0;
    m_uTextureCount = 0;
    StartTexLog();

    DeviceInfo info;
    g_GraphicsManager.GetDeviceInfo(&info);
    m_uPageSize = std::clamp(std::min(info.m_uMaxTextureWidth, info.m_uMaxTextureHeight), kMinPageSize, kMaxPageSize);
    const uint32_t quality = g_GraphicsManager.GetVideoSettings().m_uTextureQuality;
    m_uReductionLevel = quality >= 4 ? 0 : 4 - quality;
    return true;
}

bool TextureManager::Shutdown()
{
    if (!IsInitialised())
        return true;
    for (uint32_t i = 0; i < m_uSlotCapacity; ++i)
        ClearSlot(m_pSlots[i]);
    m_pSlots.reset();
    m_uSlotCapacity = 0;
    for (uint32_t page = m_uPagesUsed; page >= 1; --page)
        m_pPages[page].Free();
    m_pPageList.reset();
    m_pPages.reset();
    m_uPagesUsed = 0;
    m_uPageCapacity = 0;
    m_uTextureCount = 0;
    m_pNameMap->Clear();
    m_pNameMap.reset();
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// names and slots

std::string TextureManager::CanonicalName(const char* name)
{
    if (!name)
        return std::string();
    const std::string upper = UpperCase(name);
    const size_t at = upper.find(kBuildPathPrefix);
    if (at == std::string::npos)
        return name;
    return upper.substr(at + std::strlen(kBuildPathPrefix));
}

TextureSlot* TextureManager::SlotAt(uint32_t slot) const
{
    if (!m_pSlots || slot == 0 || slot >= m_uSlotCapacity)
        return nullptr;
    return &m_pSlots[slot];
}

const TextureSlot* TextureManager::GetSlot(uint32_t slot) const
{
    return SlotAt(slot);
}

uint32_t TextureManager::FirstFreeSlot() const
{
    for (uint32_t i = 1; i < m_uSlotCapacity; ++i)
        if (m_pSlots[i].m_uRefCount == 0)
            return i;
    return 0;
}

void TextureManager::ClearSlot(TextureSlot& slot)
{
    slot = TextureSlot{};
}

void TextureManager::FreeSlotData(uint32_t slot)
{
    if (TextureSlot* s = SlotAt(slot))
    {
        // The name map keeps the name's own text as its key: the entry goes before the text does.
        RemoveName(slot);
        s->m_pszName.reset();
        s->m_pPixels.reset();
        s->m_uPixelBytes = 0;
    }
}

void TextureManager::EnterName(uint32_t index)
{
    TextureSlot& slot = m_pSlots[index];
    // An entry of the same name whose slot was released or holds another texture now would hide this one.
    for (auto it = m_pNameMap->Find(slot.GetName()); it != m_pNameMap->End(); it = m_pNameMap->Find(slot.GetName()))
    {
        const TextureSlot* other = SlotAt(it.Value());
        if (other && other->m_uRefCount > 0 && platform::StrICmp(other->GetName(), it.Key()) == 0)
            break;
        if (!m_pNameMap->Erase(it))
            break;
    }
    if (!m_pNameMap->Insert(slot.GetName(), index))
        TexLog("Texture name table full: %s not entered\n", slot.GetName());
}

void TextureManager::RemoveName(uint32_t index)
{
    TextureSlot& slot = m_pSlots[index];
    const char* name = slot.GetName();
    for (auto it = m_pNameMap->Begin(); it != m_pNameMap->End(); ++it)
    {
        if (it.Key() != name)
            continue;
        // The entry of a slot named exactly "RESERVED" stays, under a key that outlives the slot's name.
        if (m_pNameMap->Erase(it) && std::strcmp(name, kReservedName) == 0)
            m_pNameMap->Insert(kReservedKey, index);
        return;
    }
}

uint32_t TextureManager::Find(const char* name)
{
    if (!IsInitialised() || !name)
        return 0;
    const std::string canonical = CanonicalName(name);
    const auto it = m_pNameMap->Find(canonical.c_str());
    if (it == m_pNameMap->End())
        return 0;
    TextureSlot* slot = SlotAt(it.Value());
    // A kept "RESERVED" entry may outlive its texture: only a slot that still holds the name counts.
    if (!slot || slot->m_uRefCount == 0 || platform::StrICmp(slot->GetName(), it.Key()) != 0)
        return 0;
    ++slot->m_uRefCount;
    return it.Value();
}

uint32_t TextureManager::PlacedFormat(uint32_t format) const
{
    return (format == kTextureFormatA8R8G8B8 && m_uReductionLevel == 4) ? kTextureFormatA4R4G4B4 : format;
}

// ---------------------------------------------------------------------------------------------------------------
// loading

uint32_t TextureManager::Load(const char* name, bool reduce, bool keep)
{
    if (!IsInitialised() || !name)
        return 0;
    const std::string canonical = CanonicalName(name);
    if (canonical.size() <= 1)
        return 0;
    const std::string upper = UpperCase(canonical);
    if (const uint32_t found = Find(upper.c_str()))
        return found;
    if (Contains(upper, "CROSSFADE"))
        return LoadCrossfade(upper);

    const uint32_t index = FirstFreeSlot();
    if (index == 0)
    {
        TexLog("No free texture slot for %s\n", upper.c_str());
        return 0;
    }
    TextureSlot& slot = m_pSlots[index];
    ClearSlot(slot);
    slot.m_bKeepPixels = keep;
    std::string slotName = upper;
    if (!ReadIntoSlot(upper.c_str(), slot, reduce))
    {
        GetLogger()->Report(1, "Failed to Load Texture File %s", canonical.c_str());
        ClearSlot(slot);
        slot.m_bKeepPixels = keep;
        slotName = UpperCase(kAlertTextureName);
        if (!ReadIntoSlot(slotName.c_str(), slot, false))
        {
            ClearSlot(slot);
            GetLogger()->Report(0, "Couldn't load default alert texture");
            return 0;
        }
    }

    slot.m_uIndex = index;
    slot.m_uRefCount = 1;
    slot.m_pszName = CopyName(slotName.c_str());
    if (slot.m_uFormat == kTextureFormatA8R8G8B8)
        slot.m_uAverageColour = AverageColour(
            slot.m_pPixels.get(),
            std::min<uint64_t>(static_cast<uint64_t>(slot.m_uWidth) * slot.m_uHeight, slot.m_uPixelBytes / 4));
    if (!PlaceImage(slot))
    {
        TexLog("No texture page for %s (%u x %u, format %u)\n", slotName.c_str(), slot.m_uWidth, slot.m_uHeight,
               slot.m_uFormat);
        ClearSlot(slot);
        return 0;
    }
    ++m_uTextureCount;
    EnterName(index);
    return index;
}

bool TextureManager::ReadIntoSlot(const char* upperName, TextureSlot& slot, bool reduce)
{
    const std::string name = upperName;
    slot.m_uAverageColour = kAverageDefault;
    if (Contains(name, ".TGA"))
    {
        FileStream stream(upperName);
        if (!stream.IsOpen())
            return false;
        uint32_t width = 0;
        uint32_t height = 0;
        slot.m_pPixels = LoadTGA(upperName, stream, &width, &height);
        if (!slot.m_pPixels || width == 0 || height == 0)
            return false;
        slot.m_uWidth = static_cast<uint16_t>(width);
        slot.m_uHeight = static_cast<uint16_t>(height);
        slot.m_uPixelBytes = width * height * 4;
        slot.m_uFormat = kTextureFormatA8R8G8B8;
        slot.m_bOwnPage = 1;
        return true;
    }
    if (Contains(name, ".BMP"))
    {
        // No reader stands behind BMP textures: the load fails, so the alert texture takes the slot instead of
        // an image that was never read.
        TexLog("No reader for BMP texture (%s)\n", upperName);
        return false;
    }
    if (Contains(name, ".DDT"))
        return ReadDDTIntoSlot(upperName, slot, reduce);
    if (Contains(name, ".DDS"))
    {
        DDSHeader header;
        uint32_t format = 0;
        uint32_t size = 0;
        if (!LoadDDS(upperName, &slot.m_pPixels, &header, &format, &size) || !slot.m_pPixels)
            return false;
        if (header.GetWidth() == 0 || header.GetHeight() == 0 || header.GetWidth() > kMaxSide ||
            header.GetHeight() > kMaxSide)
            return false;
        slot.m_uWidth = static_cast<uint16_t>(header.GetWidth());
        slot.m_uHeight = static_cast<uint16_t>(header.GetHeight());
        slot.m_uPixelBytes = size;
        slot.m_uFormat = format;
        slot.m_bOwnPage = 1;
        return true;
    }
    TexLog("Unknown File extension type (%s)\n", upperName);
    return false;
}

bool TextureManager::ReadDDTIntoSlot(const char* upperName, TextureSlot& slot, bool reduce)
{
    std::unique_ptr<FileStream> stream;
    if (m_pBank)
    {
        // The bank names a texture by its file name alone: whatever follows the last separator of either kind.
        const char* leaf = upperName;
        for (const char* p = upperName; *p; ++p)
            if (*p == '\\' || *p == '/')
                leaf = p + 1;
        uint32_t size = 0;
        const uint8_t* data = m_pBank->Find(leaf, &size);
        if (!data)
            return false;
        stream = std::make_unique<FileStream>(data, size);
    }
    else
    {
        stream = std::make_unique<FileStream>(upperName);
        if (!stream->IsOpen())
            return false;
    }

    DDTHeader header;
    if (!ReadDDTHeader(upperName, *stream, &header))
        return false;
    const uint32_t levels = std::min(header.m_uMipLevels, kDDTMaxLevels);
    if (header.m_levels[0].m_uWidth == 0 && header.m_iWidth > 0 && header.m_iHeight > 0)
        CompleteDDTLevelTable(&header);
    const uint32_t width0 = static_cast<uint32_t>(std::max(header.m_iWidth, 0));
    const uint32_t height0 = static_cast<uint32_t>(std::max(header.m_iHeight, 0));

    // The first level to read: quality reduction first, then whatever fits a page.
    uint32_t k = 0;
    if (reduce && m_uReductionLevel != 0)
    {
        const ReductionRule& rule = kReduction[std::min<uint32_t>(m_uReductionLevel, 4)];
        while (k < rule.maxSkips && !((width0 >> k) < rule.limit && (height0 >> k) < rule.limit))
            ++k;
        while (k > 0 && ((width0 >> k) < 4 || (height0 >> k) < 4))
            --k;
    }
    if (levels == 0)
        k = 0;
    else
    {
        k = std::min(k, levels - 1);
        while (k + 1 < levels &&
               (header.m_levels[k].m_uWidth > m_uPageSize || header.m_levels[k].m_uHeight > m_uPageSize))
            ++k;
        while (k > 0 && (header.m_levels[k].m_uWidth < 16 || header.m_levels[k].m_uHeight < 16))
            --k;
    }

    stream->Seek(0);
    uint32_t size = 0;
    slot.m_pPixels = LoadDDT(upperName, *stream, &header, k, &size);
    if (!slot.m_pPixels)
        return false;
    const uint32_t width = k == 0 ? width0 : header.m_levels[k].m_uWidth;
    const uint32_t height = k == 0 ? height0 : header.m_levels[k].m_uHeight;
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        return false;

    slot.m_uWidth = static_cast<uint16_t>(width);
    slot.m_uHeight = static_cast<uint16_t>(height);
    slot.m_uPixelBytes = size;
    slot.m_uFormat = header.m_uFormat;
    slot.m_bOwnPage = header.m_bOwnPage ? 1 : 0;
    slot.m_uAverageColour = header.m_uAverageColour;
    slot.m_uMipLevels = header.m_uMipLevels > k ? header.m_uMipLevels - k : 0;
    int64_t left = header.m_iMarginLeft;
    int64_t right = header.m_iMarginRight;
    int64_t top = header.m_iMarginTop;
    int64_t bottom = header.m_iMarginBottom;
    if (!header.m_bOwnPage)
    {
        // The used part of level 0 and its offset, halved once per skipped level; the rest is margin.
        int64_t usedWidth = static_cast<int64_t>(width0) - left - right;
        int64_t usedHeight = static_cast<int64_t>(height0) - top - bottom;
        for (uint32_t i = 0; i < k; ++i)
        {
            usedWidth /= 2;
            usedHeight /= 2;
            left /= 2;
            top /= 2;
        }
        right = static_cast<int64_t>(width) - usedWidth - left;
        bottom = static_cast<int64_t>(height) - usedHeight - top;
    }
    slot.m_afMargins[0] = static_cast<float>(left);
    slot.m_afMargins[1] = static_cast<float>(right);
    slot.m_afMargins[2] = static_cast<float>(top);
    slot.m_afMargins[3] = static_cast<float>(bottom);
    return true;
}

uint32_t TextureManager::LoadCrossfade(std::string upperName)
{
    upperName.replace(upperName.size() - 3, 3, "TGA");
    if (const uint32_t found = Find(upperName.c_str()))
        return found;
    uint32_t width = 0;
    uint32_t height = 0;
    std::unique_ptr<uint8_t[]> pixels = LoadTGAFile(upperName.c_str(), &width, &height);
    // Two square images one above the other: anything shorter would leave the lower one unread.
    if (!pixels || width == 0 || height / 2 < width || height / 2 > kMaxSide)
    {
        GetLogger()->Report(1, "Failed to Load Texture File %s", upperName.c_str());
        return 0;
    }
    const uint32_t index = CreateSlot(width, height / 2, kTextureFormatA8R8G8B8, upperName.c_str(), false);
    if (index == 0)
        return 0;
    // The upper image shows until the crossfade list blends the first time.
    m_pPages[m_pSlots[index].m_uPage].Upload(pixels.get(), width, width, kTextureFormatA8R8G8B8);
    g_CrossfadeList.Add(upperName.c_str(), std::move(pixels), width, width, index, 4);
    EnterName(index);
    return index;
}

// ---------------------------------------------------------------------------------------------------------------
// created textures, updates and release

uint32_t TextureManager::CreateSlot(uint32_t width, uint32_t height, uint32_t format, const char* name, bool enterName)
{
    if (!IsInitialised() || width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        return 0;
    const uint32_t index = FirstFreeSlot();
    if (index == 0)
    {
        TexLog("No free texture slot for %s\n", name ? name : "");
        return 0;
    }
    TextureSlot& slot = m_pSlots[index];
    ClearSlot(slot);
    const uint32_t page = NewPage(width, height, TexturePage::kKindOwn, format);
    if (page == 0)
        return 0;
    slot.m_uIndex = index;
    slot.m_uFormat = format;
    slot.m_uWidth = static_cast<uint16_t>(width);
    slot.m_uHeight = static_cast<uint16_t>(height);
    slot.m_uRefCount = 1;
    slot.m_afTexCoords[2] = 1.0f;
    slot.m_afTexCoords[3] = 1.0f;
    slot.m_uAverageColour = kAverageDefault;
    slot.m_pszName = CopyName(name ? name : "");
    slot.m_uPage = page;
    // Counted like a loaded texture, so that its release does not take the count below the loaded ones.
    ++m_uTextureCount;
    if (enterName)
        EnterName(index);
    return index;
}

uint32_t TextureManager::CreateTexture(uint32_t width, uint32_t height, const char* name)
{
    return CreateSlot(width, height, kTextureFormatA8R8G8B8, name, true);
}

uint32_t TextureManager::CreateTextureWithFormat(uint32_t width, uint32_t height, uint32_t format, const char* name)
{
    return CreateSlot(width, height, format, name, true);
}

bool TextureManager::UpdateTexture(uint32_t slot, const void* pixels, uint32_t width, uint32_t height, uint32_t format)
{
    const TextureSlot* s = SlotAt(slot);
    if (s && s->m_uRefCount > 0 && s->m_uPage != 0 && s->m_uPage <= m_uPagesUsed)
        m_pPages[s->m_uPage].Upload(pixels, width, height, format);
    return true;
}

void TextureManager::GetTexCoords(uint32_t slot, float* pLeft, float* pTop, float* pWidth, float* pHeight) const
{
    const TextureSlot* s = SlotAt(slot);
    const bool held = s && s->m_uRefCount > 0;
    const float coords[4] = {held ? s->m_afTexCoords[0] : 0.0f, held ? s->m_afTexCoords[1] : 0.0f,
                             held ? s->m_afTexCoords[2] : 1.0f, held ? s->m_afTexCoords[3] : 1.0f};
    if (pLeft)
        *pLeft = coords[0];
    if (pTop)
        *pTop = coords[1];
    if (pWidth)
        *pWidth = coords[2];
    if (pHeight)
        *pHeight = coords[3];
}

TexturePlacement TextureManager::GetPlacement(uint32_t slot) const
{
    TexturePlacement placement;
    GetTexCoords(slot, &placement.m_fUOffset, &placement.m_fVOffset, &placement.m_fUScale, &placement.m_fVScale);
    return placement;
}

void TextureManager::Release(uint32_t slot)
{
    TextureSlot* s = SlotAt(slot);
    if (!s)
        return;
    if (s->m_uRefCount == 0)
    {
        TexLog("Release  ERROR  REFCOUNT 0  (Slot:%3d)  %s\n", static_cast<int>(slot), s->GetName());
        return;
    }
    if (--s->m_uRefCount > 0)
        return;
    const std::string name = s->GetName();
    if (Contains(name, "CROSSFADE"))
        g_CrossfadeList.Remove(name.c_str());
    s->m_pPixels.reset();
    if (s->m_uPage != 0 && s->m_uPage <= m_uPagesUsed)
    {
        TexturePage& page = m_pPages[s->m_uPage];
        if (page.GetKind() == TexturePage::kKindShared)
            page.ClearCells(*s);
        else
            page.Free();
    }
    RemoveName(slot);
    ClearSlot(*s);
    if (m_uTextureCount > 0)
        --m_uTextureCount;
}

// ---------------------------------------------------------------------------------------------------------------
// pages

bool TextureManager::PlaceImage(TextureSlot& slot)
{
    const bool noMargins = slot.m_afMargins[0] == 0.0f && slot.m_afMargins[1] == 0.0f && slot.m_afMargins[2] == 0.0f &&
                           slot.m_afMargins[3] == 0.0f;
    if (noMargins && slot.m_bOwnPage)
    {
        const uint32_t page =
            NewPage(slot.m_uWidth, slot.m_uHeight, TexturePage::kKindOwn, PlacedFormat(slot.m_uFormat));
        if (page == 0)
            return false;
        m_pPages[page].PlaceWhole(slot);
        return true;
    }
    uint32_t x = 0;
    uint32_t y = 0;
    const uint32_t page = FindPageSpace(slot.m_uWidth, slot.m_uHeight, slot.m_uFormat, &x, &y);
    if (page == 0)
        return false;
    m_pPages[page].PlaceAt(slot, x, y);
    return true;
}

uint32_t TextureManager::NewPage(uint32_t width, uint32_t height, uint32_t kind, uint32_t format)
{
    if (!IsInitialised())
        return 0;
    const uint32_t number = m_uPagesUsed + 1;
    if (number >= m_uPageCapacity)
    {
        // Every number is handed out: a page given back by a released texture is taken again, the lowest first,
        // so that textures made anew for each park do not use up the pages after a dozen parks.
        uint32_t freed = 0;
        for (uint32_t page = 1; page <= m_uPagesUsed && freed == 0; ++page)
            if (!m_pPages[page].IsInUse())
                freed = page;
        if (freed == 0)
        {
            TexLog("Out of texture pages: page %u refused (%u x %u)\n", number, width, height);
            return 0;
        }
        if (!m_pPages[freed].Create(freed, width, height, kind, format))
        {
            TexLog("Couldn't create texture page %u (%u x %u, format %u)\n", freed, width, height, format);
            return 0;
        }
        m_pPageList[freed] = freed;
        return freed;
    }
    if (!m_pPages[number].Create(number, width, height, kind, format))
    {
        TexLog("Couldn't create texture page %u (%u x %u, format %u)\n", number, width, height, format);
        return 0;
    }
    m_uPagesUsed = number;
    m_pPageList[number] = number;
    return number;
}

uint32_t TextureManager::FindPageSpace(uint32_t width, uint32_t height, uint32_t format, uint32_t* pX, uint32_t* pY)
{
    format = PlacedFormat(format);
    for (uint32_t number = 1; number <= m_uPagesUsed; ++number)
    {
        const TexturePage& page = m_pPages[number];
        if (page.IsInUse() && page.GetKind() == TexturePage::kKindShared && page.GetFormat() == format &&
            page.FindRoom(width, height, pX, pY))
            return number;
    }
    const uint32_t size =
        (format == kTextureFormatA4R4G4B4 || format == kTextureFormatA8R8G8B8) ? kSharedPageSize : m_uPageSize;
    if (width > size || height > size)
    {
        TexLog("Texture too large for a shared page (%u x %u, page %u x %u)\n", width, height, size, size);
        return 0;
    }
    const uint32_t number = NewPage(size, size, TexturePage::kKindShared, format);
    if (number == 0)
        return 0;
    *pX = 0;
    *pY = 0;
    return number;
}

// ---------------------------------------------------------------------------------------------------------------
// inspection

int32_t TextureManager::GetDeviceTexture(int32_t slot) const
{
    if (slot < 0)
        return -1;
    const TextureSlot* s = SlotAt(static_cast<uint32_t>(slot));
    if (!s || s->m_uRefCount == 0 || s->m_uPage == 0 || s->m_uPage > m_uPagesUsed)
        return 0;
    return static_cast<int32_t>(m_pPageList[s->m_uPage]);
}

const TexturePage* TextureManager::GetPage(uint32_t number) const
{
    if (!m_pPages || number == 0 || number > m_uPagesUsed)
        return nullptr;
    return &m_pPages[number];
}
