// The texture manager: every texture of the program under a small slot number, loaded once per name and placed
// on texture pages, with the alert texture for failed loads and the "TexLog.txt" log.
#pragma once

#include "engine/core/StringHashMap.h"
#include "engine/render/TexturePages.h"
#include "engine/render/TextureSlots.h"

#include <cstdint>
#include <memory>
#include <string>

class TextureBank;

// Slots are numbered from 1; slot 0 never holds a texture and stands for "no texture" (and for failure).
class TextureManager
{
public:
    static constexpr uint32_t kDefaultSlotCount = 1500;
    // Shared pages of formats 3 and 4 are this size; other formats use the page size.
    static constexpr uint32_t kSharedPageSize = 256;
    static constexpr uint32_t kMinPageSize = 256;
    static constexpr uint32_t kMaxPageSize = 1024;
    static constexpr const char* kAlertTextureName = "gamedata\\gameart\\DDT Files\\Test\\Alert.ddt";
    static constexpr const char* kBuildPathPrefix = "Z:\\TDMRV2\\GAME\\";
    static constexpr const char* kReservedName = "RESERVED";
    static constexpr uint32_t kAverageDefault = 0xFF7F7F7F;

    // Static construction: nothing allocated, no bank.
    TextureManager() = default;
    ~TextureManager();
    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;

    // Allocates the slots (slot count), the pages (slot count / 2) and the name map; starts "TexLog.txt" anew;
    // takes the page size from the device and the reduction level from the texture quality setting. A second
    // Init shuts the first down. Returns true.
    bool Init(uint32_t slotCount = kDefaultSlotCount);
    // Frees every slot and page (releasing the device textures) and the name map. Returns true.
    bool Shutdown();
    bool IsInitialised() const { return m_pSlots != nullptr; }

    // The slot of the named texture, loaded on first use (reference count + 1 on every call). reduce lets the
    // quality setting skip mip levels of DDT images; keep keeps the pixel copy. A file that cannot be read gives
    // the alert texture; 0 when even that fails, the name is too short or no slot is free.
    uint32_t Load(const char* name, bool reduce, bool keep);
    // The slot of a texture known under the name (canonicalised, any case), its reference count raised; or 0.
    uint32_t Find(const char* name);
    // A new empty texture in format 4 on a page of its own, entered under the name as given. 0 when no slot or
    // page is left.
    uint32_t CreateTexture(uint32_t width, uint32_t height, const char* name);
    uint32_t CreateTextureWithFormat(uint32_t width, uint32_t height, uint32_t format, const char* name);
    // Sends new pixels (rows of width texels in the format) for the slot's page; mip levels are rebuilt from
    // them. Returns true (a slot without a page changes nothing).
    bool UpdateTexture(uint32_t slot, const void* pixels, uint32_t width, uint32_t height, uint32_t format);
    // The slot's texture coordinates within its page (left, top, width, height); 0, 0, 1, 1 for a slot that
    // holds nothing.
    void GetTexCoords(uint32_t slot, float* pLeft, float* pTop, float* pWidth, float* pHeight) const;
    // The same as u scale, u offset, v scale, v offset.
    TexturePlacement GetPlacement(uint32_t slot) const;
    // Drops one reference; the last one frees the image, its page cells (or own page) and its name.
    void Release(uint32_t slot);
    // The bank that serves ".DDT" names while it is set (null: files).
    void SetTextureBank(const TextureBank* bank) { m_pBank = bank; }
    const TextureBank* GetTextureBank() const { return m_pBank; }
    // Frees the slot's name and pixel copy.
    void FreeSlotData(uint32_t slot);

    // ---- pages
    // A new page (number = pages used + 1) with its device texture; 0 (with a TexLog line) when the page
    // numbers are used up or the device refused it.
    uint32_t NewPage(uint32_t width, uint32_t height, uint32_t kind, uint32_t format);
    // The page for a w x h image of the format: the first shared page of that format with room, else a new
    // shared page. 0 (with a TexLog line) when the image is larger than a new page or no page can be made.
    uint32_t FindPageSpace(uint32_t width, uint32_t height, uint32_t format, uint32_t* pX, uint32_t* pY);

    // ---- inspection
    // The slot record, or null outside 1 .. slot count - 1 (also before Init).
    const TextureSlot* GetSlot(uint32_t slot) const;
    // The renderer texture number of the slot's page (see DeviceTextureForSlot).
    int32_t GetDeviceTexture(int32_t slot) const;
    // The page, or null outside 1 .. pages used.
    const TexturePage* GetPage(uint32_t number) const;
    // Entry n is the renderer texture number of page n (page count + 2 entries).
    const uint32_t* GetPageList() const { return m_pPageList.get(); }
    uint32_t GetPageCapacity() const { return m_uPageCapacity; }
    uint32_t GetPagesUsed() const { return m_uPagesUsed; }
    uint32_t GetSlotCapacity() const { return m_uSlotCapacity; }
    uint32_t GetTextureCount() const { return m_uTextureCount; }
    uint32_t GetReductionLevel() const { return m_uReductionLevel; }
    uint32_t GetPageSize() const { return m_uPageSize; }
    // For tests and tools: the reduction level (0 to 4) that Init took from the quality setting.
    void SetReductionLevel(uint32_t level) { m_uReductionLevel = level > 4 ? 4 : level; }

    // The canonical form of a texture name: when an upper-case copy holds the build-path prefix, the upper-case
    // text after it; else the name unchanged.
    static std::string CanonicalName(const char* name);

private:
    TextureSlot* SlotAt(uint32_t slot) const;
    uint32_t FirstFreeSlot() const;
    // Reads the file (or bank record) into the slot: size, format, margins, pixels. False on failure.
    bool ReadIntoSlot(const char* upperName, TextureSlot& slot, bool reduce);
    bool ReadDDTIntoSlot(const char* upperName, TextureSlot& slot, bool reduce);
    // Puts the slot's image on a page of its own or a shared page; false when no page could take it.
    bool PlaceImage(TextureSlot& slot);
    uint32_t LoadCrossfade(std::string upperName);
    // A slot with an empty own page of that size and format, named as given; 0 when none is left.
    uint32_t CreateSlot(uint32_t width, uint32_t height, uint32_t format, const char* name, bool enterName);
    // Enters the slot's name (after dropping entries of that name whose slot no longer holds it).
    void EnterName(uint32_t index);
    void RemoveName(uint32_t index);
    // The slot emptied back to all zero (name and pixels freed).
    static void ClearSlot(TextureSlot& slot);
    // Format 4 goes to pages of format 3 at the lowest quality.
    uint32_t PlacedFormat(uint32_t format) const;

    std::unique_ptr<TexturePage[]> m_pPages;
    std::unique_ptr<uint32_t[]> m_pPageList;
    uint32_t m_uPageCapacity = 0;
    uint32_t m_uPagesUsed = 0;
    std::unique_ptr<TextureSlot[]> m_pSlots;
    uint32_t m_uSlotCapacity = 0;
    uint32_t m_uTextureCount = 0;
    uint32_t m_uReductionLevel = 0;
    uint32_t m_uPageSize = kMinPageSize;
    const TextureBank* m_pBank = nullptr;
    std::unique_ptr<StringHashMap<uint32_t>> m_pNameMap; // name to slot number
};

// The program's one texture manager.
extern TextureManager g_TextureManager;

// Each of width and height becomes the smallest of 32, 64, 128, 256, 512 and 1024 not below it (anything
// above 512 gives 1024).
void RoundUpTextureSize(uint32_t width, uint32_t height, uint32_t* pWidth, uint32_t* pHeight);

// Appends a formatted line (up to 4095 characters) to "TexLog.txt".
void TexLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The log file's name, and starting it anew ("Initialise Texture System \n").
constexpr const char* kTexLogFileName = "TexLog.txt";
void StartTexLog();
