// TextureBank: many DDT textures in one data file, named by an index of 40-byte records.
#pragma once

#include "engine/core/StringHashMap.h"

#include <cstdint>
#include <memory>
#include <vector>

// The park's texture bank: index and data file.
constexpr char kTextureBankIndexFile[] = "Data/Textures/MRV2TEX.HDR";
constexpr char kTextureBankDataFile[] = "Data/Textures/MRV2TEX.GTB";

// One texture of the bank.
struct TextureBankRecord
{
    char m_szName[33] = {}; // the record's 32 name bytes, always terminated
    uint32_t m_uSize = 0;   // bytes
    uint32_t m_uOffset = 0; // from the start of the data file
};

class TextureBank
{
public:
    static constexpr uint32_t kRecordSize = 40;
    static constexpr uint32_t kNameSize = 32;
    static constexpr uint32_t kWantedBuckets = 1000;

    // Reads the index (a 32-bit record count, then the records), reads the data file whole and enters every
    // record under its name. Reading stops at the end of the index even when the count promises more; records
    // whose bytes do not lie inside the data file are left out, as are records beyond the map's capacity. A
    // missing index or data file gives an empty bank.
    TextureBank(const char* indexFileName, const char* dataFileName);
    ~TextureBank();

    TextureBank(const TextureBank&) = delete;
    TextureBank& operator=(const TextureBank&) = delete;

    // The texture's bytes inside the data (valid while the bank lives) and their count; null and 0 when the name
    // is unknown. Names compare without regard to case; of two records with one name the first in the index wins.
    const uint8_t* Find(const char* name, uint32_t* pSize) const;

    // Frees every record, empties the map and frees the data (the destructor's work).
    void FreeRecords();

    uint32_t GetRecordCount() const { return m_map.GetCount(); }
    uint32_t GetDataSize() const { return m_uDataSize; }

private:
    StringHashMap<const TextureBankRecord*> m_map;
    std::unique_ptr<char[]> m_pData;
    uint32_t m_uDataSize = 0;
    std::vector<std::unique_ptr<TextureBankRecord>> m_records;
};
