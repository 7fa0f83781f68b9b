// The game's text table: reading the scrambled UTF-16 pair file, and lookups by id and by place.
#include "engine/core/TextTable.h"

#include "engine/core/FileSystem.h"
#include "engine/core/Logger.h"
#include "platform/WideText.h"

#include <cstring>

TextTable* g_pTextTable = nullptr;

namespace
{

const char16_t kEmptyText[1] = {0};
constexpr char16_t kQuote = u'"';

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

size_t TextTable::FoldedHash::operator()(std::string_view name) const
{
    size_t h = 0;
    for (char c : name)
        h = h * 31 + static_cast<unsigned char>(LowerAscii(c));
    return h;
}

bool TextTable::FoldedEqual::operator()(std::string_view a, std::string_view b) const
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

TextTable::TextTable(const char* fileName) : m_idMap(kMaxPairs), m_pPairs(std::make_unique<Pair[]>(kMaxPairs))
{
    g_pTextTable = this;
    if (!fileName)
        return;

    std::string bleName = BleFileName(fileName);
    uint32_t size = 0;
    std::unique_ptr<char[]> buffer(GetFileSystem()->ReadBleFileSized(bleName.c_str(), &size));
    if (!buffer)
        return;
    Parse(bleName.c_str(), reinterpret_cast<const uint8_t*>(buffer.get()), static_cast<int64_t>(size));
}

TextTable::~TextTable()
{
    // The members free the pairs; only the global pointer needs clearing.
    if (g_pTextTable == this)
        g_pTextTable = nullptr;
}

void TextTable::Parse(const char* bleName, const uint8_t* bytes, int64_t size)
{
    // Units after the byte-order mark; signed so that files of 0 to 3 bytes give none rather than wrapping.
    int64_t unitCount = size / 2 - 1;
    if (unitCount < 1)
        return;

    // The units are assembled from their bytes (little-endian), one spare unit for the terminator written over
    // a closing quote.
    size_t total = static_cast<size_t>(unitCount) + 1;
    m_pFileBuffer = std::make_unique<char16_t[]>(total + 1);
    for (size_t i = 0; i < total; ++i)
        m_pFileBuffer[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    m_pFileBuffer[total] = 0;

    char16_t* units = m_pFileBuffer.get();
    size_t end = total;
    bool expectId = true;
    for (size_t i = 1; i < end; ++i)
    {
        if (units[i] != kQuote)
            continue;
        if (expectId && m_uPairCount >= kMaxPairs)
        {
            GetLogger()->Report(1, "%s: more than %u texts; the rest are left out", bleName, kMaxPairs);
            break;
        }
        size_t begin = i + 1;
        size_t close = begin;
        while (close < end && units[close] != kQuote)
            ++close;
        if (close >= end)
        {
            // No closing quote before the end of the data: the open string is dropped and reading stops.
            GetLogger()->Report(1, "%s: a quoted string is not closed; it is left out", bleName);
            break;
        }
        units[close] = 0;
        // A zero unit inside the quotes ends the string early, as the terminator written over the quote does.
        size_t length = 0;
        while (units[begin + length] != 0)
            ++length;
        if (expectId)
            AddId(units + begin, length);
        else
            AddText(units + begin, length);
        expectId = !expectId;
        i = close;
    }
    m_pFileBuffer.reset();
}

void TextTable::AddId(const char16_t* begin, size_t length)
{
    Pair& pair = m_pPairs[m_uPairCount];
    pair.pId = std::make_unique<char[]>(length + 1);
    platform::WideToAnsi(begin, pair.pId.get(), length + 1);
}

void TextTable::AddText(const char16_t* begin, size_t length)
{
    Pair& pair = m_pPairs[m_uPairCount];
    pair.pText = std::make_unique<char16_t[]>(length + 1);
    std::memcpy(pair.pText.get(), begin, length * sizeof(char16_t));
    pair.pText[length] = 0;
    if (m_idMap.Insert(pair.pId.get(), &pair))
        m_mappedIds.insert(std::string_view(pair.pId.get()));
    ++m_uPairCount;
}

const char16_t* TextTable::GetText(const char* id) const
{
    if (!id)
        return kEmptyText;
    if (m_mappedIds.find(std::string_view(id)) == m_mappedIds.end())
        return kEmptyText;
    auto it = m_idMap.Find(id);
    if (it == m_idMap.End())
        return kEmptyText;
    return it.Value()->pText.get();
}

const char16_t* TextTable::GetTextW(const char16_t* id) const
{
    if (!id)
        return kEmptyText;
    char narrow[kWideIdBufferSize];
    platform::WideToAnsi(id, narrow, sizeof(narrow));
    return GetText(narrow);
}

const char16_t* TextTable::GetTextByIndex(int index) const
{
    if (index < 0 || static_cast<uint32_t>(index) >= m_uPairCount)
        return kEmptyText;
    const char16_t* text = m_pPairs[index].pText.get();
    return text ? text : kEmptyText;
}

int TextTable::FindIndex(const char* id) const
{
    if (!id)
        return -1;
    for (uint32_t i = 0; i < m_uPairCount; ++i)
    {
        if (platform::StrICmp(m_pPairs[i].pId.get(), id) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

const char* TextTable::FileNameForLanguage(int language)
{
    switch (language)
    {
    case 1:
        return "data/text_french.uni";
    case 2:
        return "data/text_italian.uni";
    case 3:
        return "data/text_german.uni";
    case 4:
        return "data/text_spanish.uni";
    case 5:
        return "data/text_polish.uni";
    default:
        return "data/text_uk.uni";
    }
}
