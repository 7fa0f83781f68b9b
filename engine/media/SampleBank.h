// SampleBank: the short sound effects, an index of 40-byte records over one data file, loaded on demand.
#pragma once

#include "engine/core/StringHashMap.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

// One sample of the bank.
struct SampleEntry
{
    char m_szName[33] = {}; // the record's 32 name bytes, always terminated
    uint32_t m_uSize = 0;
    uint32_t m_uOffset = 0;
    std::unique_ptr<uint8_t[]> m_pData; // the sample's bytes while loaded
    float m_fIdleTime = 0.0f;           // seconds since the last user released it
    int32_t m_iUsers = 0;
};

class SampleBank
{
public:
    static constexpr uint32_t kRecordSize = 40;
    static constexpr uint32_t kNameSize = 32;
    static constexpr float kIdleSeconds = 5.0f;

    SampleBank(const char* indexFileName, const char* dataFileName);
    ~SampleBank();

    SampleBank(const SampleBank&) = delete;
    SampleBank& operator=(const SampleBank&) = delete;

    bool HasSample(const char* name) const;
    // The sample's bytes (read now when not loaded) and their count, counting one more user; null and 0 when the
    // name is unknown or its bytes cannot be read.
    const uint8_t* GetSample(const char* name, uint32_t* outSize);
    void ReleaseSample(const char* name);
    // Frees samples that have had no user for more than five seconds of frame time.
    void Update(float frameSeconds);

    uint32_t GetLoadedBytes() const { return m_uLoadedBytes; }
    uint32_t GetSampleCount() const { return m_map.GetCount(); }
    // The entry of that name (for inspection), or null.
    const SampleEntry* FindEntry(const char* name) const;

private:
    void Load(const char* indexFileName, const char* dataFileName);

    StringHashMap<SampleEntry*> m_map;
    std::vector<std::unique_ptr<SampleEntry>> m_entries;
    FILE* m_pDataFile = nullptr;
    uint64_t m_uDataFileSize = 0;
    uint32_t m_uLoadedBytes = 0;
};
