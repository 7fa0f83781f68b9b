// The sample bank: index reading, on-demand loads from the data file and the idle unloading.
#include "engine/media/SampleBank.h"

#include "platform/Paths.h"

#include <cstring>

namespace
{

uint32_t Read32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

SampleBank::SampleBank(const char* indexFileName, const char* dataFileName) : m_map(256)
{
    Load(indexFileName, dataFileName);
}

SampleBank::~SampleBank()
{
    m_map.Clear();
    m_entries.clear();
    if (m_pDataFile != nullptr)
        std::fclose(m_pDataFile);
}

void SampleBank::Load(const char* indexFileName, const char* dataFileName)
{
    m_pDataFile = dataFileName != nullptr ? platform::OpenFile(dataFileName, "rb") : nullptr;
    if (m_pDataFile != nullptr && std::fseek(m_pDataFile, 0, SEEK_END) == 0)
    {
        long end = std::ftell(m_pDataFile);
        m_uDataFileSize = end > 0 ? static_cast<uint64_t>(end) : 0;
    }
    FILE* index = indexFileName != nullptr ? platform::OpenFile(indexFileName, "rb") : nullptr;
    if (index == nullptr)
        return;
    uint8_t record[kRecordSize];
    // A partial record at the end of the index ends the reading; it is not entered.
    while (std::fread(record, 1, kRecordSize, index) == kRecordSize)
    {
        auto entry = std::make_unique<SampleEntry>();
        entry->m_uOffset = Read32(record);
        entry->m_uSize = Read32(record + 4);
        std::memcpy(entry->m_szName, record + 8, kNameSize);
        entry->m_szName[kNameSize] = '\0';
        // A record whose bytes do not lie inside the data file (or with no data file at all) is left out, so the
        // sample counts as missing rather than playing whatever the read leaves in the buffer.
        if (static_cast<uint64_t>(entry->m_uOffset) + entry->m_uSize > m_uDataFileSize || m_pDataFile == nullptr)
            continue;
        if (!m_map.Insert(entry->m_szName, entry.get()))
            continue; // the map is full: later records are ignored
        m_entries.push_back(std::move(entry));
    }
    std::fclose(index);
}

bool SampleBank::HasSample(const char* name) const
{
    return m_map.Find(name) != m_map.End();
}

const SampleEntry* SampleBank::FindEntry(const char* name) const
{
    auto it = m_map.Find(name);
    return it != m_map.End() ? it.Value() : nullptr;
}

const uint8_t* SampleBank::GetSample(const char* name, uint32_t* outSize)
{
    if (outSize != nullptr)
        *outSize = 0;
    auto it = m_map.Find(name);
    if (it == m_map.End())
        return nullptr;
    SampleEntry* entry = it.Value();
    if (!entry->m_pData)
    {
        if (m_pDataFile == nullptr)
            return nullptr;
        auto data = std::make_unique<uint8_t[]>(entry->m_uSize > 0 ? entry->m_uSize : 1);
        if (std::fseek(m_pDataFile, static_cast<long>(entry->m_uOffset), SEEK_SET) != 0 ||
            std::fread(data.get(), 1, entry->m_uSize, m_pDataFile) != entry->m_uSize)
            return nullptr; // the data file changed under us: nothing half-read is handed out
        entry->m_pData = std::move(data);
        m_uLoadedBytes += entry->m_uSize;
    }
    if (outSize != nullptr)
        *outSize = entry->m_uSize;
    ++entry->m_iUsers;
    return entry->m_pData.get();
}

void SampleBank::ReleaseSample(const char* name)
{
    auto it = m_map.Find(name);
    if (it == m_map.End())
        return;
    SampleEntry* entry = it.Value();
    if (entry->m_iUsers <= 0)
        return; // a release without a matching demand does not drive the count below 0
    if (entry->m_iUsers == 1)
        entry->m_fIdleTime = 0.0f;
    --entry->m_iUsers;
}

void SampleBank::Update(float frameSeconds)
{
    for (auto it = m_map.Begin(); it != m_map.End(); ++it)
    {
        SampleEntry* entry = it.Value();
        if (!entry->m_pData || entry->m_iUsers != 0)
            continue;
        entry->m_fIdleTime += frameSeconds;
        if (entry->m_fIdleTime > kIdleSeconds)
        {
            entry->m_pData.reset();
            m_uLoadedBytes -= entry->m_uSize;
        }
    }
}
