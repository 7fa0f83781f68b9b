// The engine's text service: bitmap fonts (drawn by the graphics layer's TextFonts) and the master and slave
// unicode tables.
#pragma once

#include "engine/core/EngineService.h"
#include "engine/core/TextFonts.h"

#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

// One entry of a unicode table. Its strings belong to the entry.
struct TextEntry
{
    std::u16string id;
    std::u16string text;
    std::u16string token;
    bool bHasText = false;  // false: the file gave no text line (the text reads as null)
    bool bHasToken = false; // false: the token line did not begin with an underscore
    // Units on the text line after its opening quote, the closing quote and what follows it included.
    int32_t length = 0;

    const char16_t* Text() const { return bHasText ? text.c_str() : nullptr; }
    const char16_t* Token() const { return bHasToken ? token.c_str() : nullptr; }
};

// The service's interface: Init and Shutdown (from EngineService), then 33 further operations in a fixed order.
class TextSystemBase : public EngineService
{
public:
    // 2
    virtual int GetFontCount() = 0;
    // 3
    virtual bool LoadFont(const char* baseName) = 0;
    // 4
    virtual void DrawTextShadowed(float x, float y, const char* text, int width) = 0;
    // 5
    virtual void DrawTextW(float x, float y, int width, int alignment, const char16_t* text, bool oneLine) = 0;
    // 6
    virtual void DrawText(float x, float y, int width, int alignment, const char* text, bool oneLine) = 0;
    // 7
    virtual void DrawStringW(float x, float y, const char16_t* text) = 0;
    // 8
    virtual void DrawString(float x, float y, const char* text) = 0;
    // 9
    virtual void GetText(const char* id, char* buffer, int size) = 0;
    // 10
    virtual const char16_t* FormatText(int entry, ...) = 0;
    // 11
    virtual const char16_t* FormatTextV(int entry, va_list args) = 0;
    // 12
    virtual const char16_t* FormatTextArgs(int entry, const uintptr_t* args, int count) = 0;
    // 13
    virtual void DrawText3DW(float x, float y, float z, int width, int alignment, const char16_t* text,
                             bool oneLine) = 0;
    // 14
    virtual void DrawText3D(float x, float y, float z, int width, int alignment, const char* text, bool oneLine) = 0;
    // 15
    virtual void SetColour(uint32_t colour) = 0;
    // 16
    virtual uint32_t GetColour() = 0;
    // 17
    virtual void SetFont(int font) = 0;
    // 18
    virtual int MeasureTextHeight(const char* text, int font, int width, int mode, int* outHeight) = 0;
    // 19
    virtual void MeasureText(const char* text, int font, int* outWidth, int* outHeight) = 0;
    // 20
    virtual const char* GetIdName(int) { return nullptr; }
    // 21
    virtual int32_t GetTextLength(int) { return 0; }
    // 22
    virtual const char16_t* GetFormatSpec(int, int) { return nullptr; }
    // 23
    virtual int GetFontHeight(int font) = 0;
    // 24
    virtual void InspectEntry(int) {}
    // 25
    virtual int CountFormatSpecs(int) { return 0; }
    // 26
    virtual int GetGlyphWidth(int) { return 0; }
    // 27
    virtual void DrawStringUpTo(float x, float y, const char* text, int count, float* caretX, float* caretY,
                                float* caretWidth, float* caretHeight) = 0;
    // 28
    virtual void DrawTextUpTo(float x, float y, int width, int alignment, const char* text, int count, float* caretX,
                              float* caretY, float* caretWidth, float* caretHeight) = 0;
    // 29
    virtual bool NoOperation(int argument) = 0;
    // 30
    virtual bool LoadTextTable(const char* fileName) = 0;
    // 31
    virtual bool LoadMasterAndSlave(const char* masterFile, const char* slaveFile) = 0;
    // 32
    virtual bool UnloadTextTables() = 0;
    // 33
    virtual bool WriteTextDump(int table, const char* fileName) = 0;
    // 34
    virtual bool LoadTextFile(const char* fileName) = 0;
};

class TextSystem : public TextSystemBase
{
public:
    static constexpr int kTableCount = 2;
    static constexpr int kMaxEntries = 5000;
    static constexpr int kMaxLineUnits = 2048;
    static constexpr int kIdBufferSize = 2048;
    static constexpr int kLineBufferSize = 1024;
    static constexpr int kOutputSize = 1024;
    static constexpr int kMaxFonts = TextFonts::kMaxFonts;
    // The colour of the drop shadow under DrawTextShadowed.
    static constexpr uint32_t kShadowColour = 0xFF000000;
    // How deep "%i" references may nest; deeper references consume their argument and add nothing.
    static constexpr int kMaxReferenceDepth = 8;

    using Clock = std::function<std::time_t()>;

    TextSystem();
    ~TextSystem() override;
    TextSystem(const TextSystem&) = delete;
    TextSystem& operator=(const TextSystem&) = delete;

    // 0, 1
    int32_t Init() override;
    // Frees every entry of both tables; both tables are then empty (count 0).
    void Shutdown() override;

    // The fonts the font operations go to, owned by the service from here on (the graphics layer provides
    // them). Without fonts nothing is drawn, everything measures 0 and LoadFont fails.
    void SetFonts(std::unique_ptr<TextFonts> fonts);
    TextFonts* GetFonts() const { return m_pFonts.get(); }

    // Fonts: up to kMaxFonts ".ttb" tables with their two textures. Drawing uses the current font and colour;
    // an operation on a font that is not loaded draws nothing and measures 0. 16-bit texts are drawn with
    // the glyph of each character up to U+00FF and '?' for characters beyond the tables.
    int GetFontCount() override;
    // Loads "<baseName>.ttb" and its textures as the next font; false when the file cannot be opened, is no
    // font table (too short, impossible header) or four fonts are loaded already.
    bool LoadFont(const char* baseName) override;
    void DrawTextShadowed(float x, float y, const char* text, int width) override;
    void DrawTextW(float x, float y, int width, int alignment, const char16_t* text, bool oneLine) override;
    void DrawText(float x, float y, int width, int alignment, const char* text, bool oneLine) override;
    void DrawStringW(float x, float y, const char16_t* text) override;
    void DrawString(float x, float y, const char* text) override;
    void DrawText3DW(float x, float y, float z, int width, int alignment, const char16_t* text, bool oneLine) override;
    void DrawText3D(float x, float y, float z, int width, int alignment, const char* text, bool oneLine) override;
    int MeasureTextHeight(const char* text, int font, int width, int mode, int* outHeight) override;
    void MeasureText(const char* text, int font, int* outWidth, int* outHeight) override;
    int GetFontHeight(int font) override;
    int GetGlyphWidth(int character) override;
    void DrawStringUpTo(float x, float y, const char* text, int count, float* caretX, float* caretY, float* caretWidth,
                        float* caretHeight) override;
    void DrawTextUpTo(float x, float y, int width, int alignment, const char* text, int count, float* caretX,
                      float* caretY, float* caretWidth, float* caretHeight) override;

    // Looks nothing up: only terminates the caller's buffer, which then reads as the empty text.
    void GetText(const char* id, char* buffer, int size) override;

    // Expansion of an entry of the current table into the output buffer (see TextSystem.cpp for the rules).
    // FormatText and FormatTextV take "%d" as int, "%f" as double, "%s" as const char*, "%i" as int, and copy
    // backslash-n as it stands. FormatTextArgs takes `count` slots, one per argument (build them with TextArg),
    // reads a conversion beyond them as 0 (a null text for "%s") and turns backslash-n into a line feed.
    const char16_t* FormatText(int entry, ...) override;
    const char16_t* FormatTextV(int entry, va_list args) override;
    const char16_t* FormatTextArgs(int entry, const uintptr_t* args, int count) override;

    void SetColour(uint32_t colour) override { m_uColour = colour; }
    uint32_t GetColour() override { return m_uColour; }
    void SetFont(int font) override { m_iCurrentFont = font; }

    // Operations on one entry of the current table; an entry outside the table gives "", 0 or null.
    const char* GetIdName(int entry) override;
    int32_t GetTextLength(int entry) override;
    const char16_t* GetFormatSpec(int entry, int position) override;
    void InspectEntry(int entry) override;
    int CountFormatSpecs(int entry) override;

    bool NoOperation(int) override { return true; }

    bool LoadTextTable(const char* fileName) override;
    bool LoadMasterAndSlave(const char* masterFile, const char* slaveFile) override;
    bool UnloadTextTables() override;
    bool WriteTextDump(int table, const char* fileName) override;
    bool LoadTextFile(const char* fileName) override;

    // Inspection of the tables (tools and tests).
    int GetEntryCount(int table) const;
    const TextEntry* GetEntry(int table, int index) const;
    // Units in the output buffer after the last expansion.
    int GetOutputLength() const { return m_iOutputLength; }
    int GetCurrentFont() const { return m_iCurrentFont; }
    // The id buffer as the last failed load or GetIdName left it.
    const char* GetIdBuffer() const { return m_szIdBuffer; }

    // The clock that dates a dump (seconds since the epoch, taken as UTC); the system clock by default.
    void SetClock(Clock clock) { m_clock = std::move(clock); }

    // Argument slots of FormatTextArgs: "%d" and "%i" read the low 32 bits as a signed integer, "%f" the low
    // 32 bits as a float, "%s" the whole slot as a pointer to an 8-bit text. Numbers carry kNumberSlotTag in their
    // high half (never part of a program address), so a text whose "%s" stands where its caller passes a number
    // reads no text instead of following the number as a pointer.
    static constexpr uintptr_t kNumberSlotTag = uintptr_t{0xFFFF0000u} << 32;
    static_assert(sizeof(uintptr_t) == 8, "number slots are tagged in the high half of a 64-bit slot");
    static uintptr_t TextArg(int value) { return kNumberSlotTag | static_cast<uint32_t>(value); }
    static uintptr_t TextArg(float value)
    {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof(bits));
        return kNumberSlotTag | bits;
    }
    static uintptr_t TextArg(const char* text) { return reinterpret_cast<uintptr_t>(text); }

private:
    class ArgumentSource;
    class VaArgumentSource;
    class SlotArgumentSource;

    const TextEntry* CurrentEntry(int entry) const;
    void FreeTable(int table);
    bool LoadTable(int table, const char* fileName);
    const char16_t* Expand(int entry, ArgumentSource& args, bool lineFeeds);
    void ExpandEntry(int entry, ArgumentSource& args, bool lineFeeds, int depth);
    bool Put(char16_t unit);
    void PutText(const char16_t* text);

    int m_iCurrentTable = 0;
    int m_iCurrentFont = 0;
    uint32_t m_uColour = 0xFFFFFFFF;
    std::unique_ptr<TextFonts> m_pFonts;
    char m_szIdBuffer[kIdBufferSize] = {};
    char m_szLineBuffer[kLineBufferSize] = {};
    int m_iOutputLength = 0;
    char16_t m_szOutput[kOutputSize] = {};
    std::unique_ptr<TextEntry> m_tables[kTableCount][kMaxEntries];
    int m_entryCounts[kTableCount] = {};
    int m_iArgumentIndex = 0;
    Clock m_clock;
};
