// TextureBank: the index is read record by record up to its end; every record is checked against the data file.
#include "engine/render/TextureBank.h"

#include "engine/core/FileSystem.h"
#include "engine/core/Stream.h"

#include <cstring>

TextureBank::TextureBank(const char* indexFileName, const char* dataFileName) : m_map(kWantedBuckets)
{
    StdioStream index(indexFileName);
    if (!index.IsOpen())
        return;
    uint32_t count = index.ReadUInt32();
    if (index.IsFailed())
        return;

    // The data comes first so that each record can be checked against it as it is read.
    uint32_t dataSize = 0;
    m_pData.reset(GetFileSystem()->LoadFileSized(dataFileName, &dataSize));
    m_uDataSize = m_pData ? dataSize : 0;

    for (uint32_t i = 0; i < count; ++i)
    {
        auto record = std::make_unique<TextureBankRecord>();
        record->m_uOffset = index.ReadUInt32();
        record->m_uSize = index.ReadUInt32();
        index.Read(record->m_szName, kNameSize);
        if (index.IsFailed())
            break; // the index ends here, whatever its count says
        record->m_szName[kNameSize] = 0;
        if (static_cast<uint64_t>(record->m_uOffset) + record->m_uSize > m_uDataSize)
            continue;
        if (!m_map.Insert(record->m_szName, record.get()))
            continue; // the map is full
        m_records.push_back(std::move(record));
    }
}

TextureBank::~TextureBank()
{
    FreeRecords();
}

const uint8_t* TextureBank::Find(const char* name, uint32_t* pSize) const
{
    auto it = m_map.Find(name);
    if (it == m_map.End() || !m_pData)
    {
        if (pSize)
            *pSize = 0;
        return nullptr;
    }
    const TextureBankRecord* record = it.Value();
    if (pSize)
        *pSize = record->m_uSize;
    return reinterpret_cast<const uint8_t*>(m_pData.get()) + record->m_uOffset;
}

void TextureBank::FreeRecords()
{
    m_map.Clear();
    m_records.clear();
    m_pData.reset();
    m_uDataSize = 0;
}
