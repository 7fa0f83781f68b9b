// The game's text table: every text the player sees, in the player's language, looked up by its text id.
#pragma once

#include "engine/core/StringHashMap.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_set>

class TextTable
{
public:
    static constexpr uint32_t kMaxPairs = 3000;
    // Room of the buffer a 16-bit id is narrowed into before it is looked up.
    static constexpr size_t kWideIdBufferSize = 256;

    // Reads the scrambled twin of `fileName` (its last four characters replaced by ".ble"). A missing or empty
    // file leaves the table empty. The table's address goes into g_pTextTable before anything else.
    explicit TextTable(const char* fileName);
    ~TextTable();
    TextTable(const TextTable&) = delete;
    TextTable& operator=(const TextTable&) = delete;

    // The text of an id compared without regard to case; the empty text for a null or unknown id. The text
    // belongs to the table.
    const char16_t* GetText(const char* id) const;
    // The id narrowed to 8 bits through the ANSI code page, then looked up as GetText does.
    const char16_t* GetTextW(const char16_t* id) const;
    // The text of a pair by its place in the file; the empty text for -1 and for any index outside the table.
    const char16_t* GetTextByIndex(int index) const;
    // Place of the first pair whose id equals `id` without regard to case, in file order; -1 when none does.
    int FindIndex(const char* id) const;

    uint32_t GetPairCount() const { return m_uPairCount; }
    // Pairs that went into the id map (all of them unless the map was full).
    uint32_t GetMappedCount() const { return m_idMap.GetCount(); }

    // The text file of a language number of the options; the UK file for any number outside 0 to 5.
    static const char* FileNameForLanguage(int language);

private:
    struct Pair
    {
        std::unique_ptr<char[]> pId;
        std::unique_ptr<char16_t[]> pText;
    };

    // Equality and hash that fold ASCII letters the way the id compare does, so one set entry stands for every
    // spelling of an id that the map's case-insensitive compare would match.
    struct FoldedHash
    {
        size_t operator()(std::string_view name) const;
    };
    struct FoldedEqual
    {
        bool operator()(std::string_view a, std::string_view b) const;
    };

    void Parse(const char* bleName, const uint8_t* bytes, int64_t size);
    void AddId(const char16_t* begin, size_t length);
    void AddText(const char16_t* begin, size_t length);

    StringHashMap<Pair*> m_idMap;
    // The unscrambled file's 16-bit units while it is parsed; freed before the constructor returns.
    std::unique_ptr<char16_t[]> m_pFileBuffer;
    uint32_t m_uPairCount = 0;
    std::unique_ptr<Pair[]> m_pPairs;
    // Every id in the map, compared without regard to case. The map's probe does not stop at empty buckets (a
    // key stored in another case may sit anywhere), so an unknown id would cost a pass over all buckets; this set
    // answers "not there" at once and sends every other lookup through the map's own probe, so results are those
    // of the full walk. The table never changes after construction, so the set never goes stale.
    std::unordered_set<std::string_view, FoldedHash, FoldedEqual> m_mappedIds;
};

// The one text table; set by its constructor and cleared by its destructor.
extern TextTable* g_pTextTable;
