// ParameterScript and GameParameters: reading the named-value script and turning it into typed parameters.
#include "engine/core/GameParameters.h"

#include "engine/core/FatalError.h"
#include "engine/core/Logger.h"
#include "engine/core/WholeNumbers.h"
#include "platform/Paths.h"
#include "platform/Strings.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

GameParameters* g_pGameParameters = nullptr;

// The script format:
// - Text ends at the first zero byte. Every byte outside 33..121 ('!'..'y') separates tokens, so 'z', '{', '|',
//   '}', '~' and all bytes of 128 and above are white space too.
// - An entry is a name between single quotes, then (after optional separators) its value: a number when the value
//   starts with a digit, '.' or '-'; a string when it starts with '"' (it runs to the next '"', separators and all);
//   otherwise any token, which gives an entry of neither type. Number and other tokens run to the next separator.
// - Numbers: optional '-', digits, optionally '.' and digits. Reading stops at the first byte that does not fit,
//   so "1e5" is 1, "+3" is not a number token at all and a lone "-" is -0.
// - Between entries '/' starts a comment up to the end of its line, the next carriage return (13) or line feed (10),
//   so that files with either kind of line end read alike; quotes inside it do not count. The
//   scan for the next name starts on the byte right after the previous value (or at the start of the text) and
//   that first byte is never taken for a comment.
// - Parsing ends when fewer than two single quotes remain in the text from where the scan starts.
// Damaged input is refused without reading past the text: a name whose closing quote is missing, or a string
// whose closing double quote is missing, ends parsing and that entry is dropped; a name with no value before the
// end of the text gives an entry of neither type.
namespace
{
bool IsSeparator(char c)
{
    auto u = static_cast<unsigned char>(c);
    return u < 33 || u > 121;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

float ParseNumber(const char* p)
{
    bool negative = false;
    if (*p == '-')
    {
        negative = true;
        ++p;
    }
    float value = 0.0f;
    while (IsDigit(*p))
        value = value * 10.0f + static_cast<float>(*p++ - '0');
    if (*p == '.')
    {
        ++p;
        float scale = 0.1f;
        while (IsDigit(*p))
        {
            value += static_cast<float>(*p++ - '0') * scale;
            scale *= 0.1f;
        }
    }
    return negative ? -value : value;
}

bool ReadWholeFile(const char* fileName, std::string* out)
{
    FILE* file = platform::OpenFile(fileName, "rb");
    if (file == nullptr)
        return false;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
        out->append(chunk, got);
    std::fclose(file);
    return true;
}

} // namespace

ParameterScript::ParameterScript(const char* fileName)
{
    std::string text;
    if (fileName != nullptr && ReadWholeFile(fileName, &text))
        Parse(text.c_str());
}

void ParameterScript::Parse(const char* text)
{
    size_t length = std::strlen(text);
    // quotesFrom[i]: single quotes in text[i..length).
    std::vector<uint32_t> quotesFrom(length + 1, 0);
    for (size_t i = length; i-- > 0;)
        quotesFrom[i] = quotesFrom[i + 1] + (text[i] == '\'' ? 1u : 0u);

    size_t scanStart = 0;
    while (quotesFrom[scanStart] >= 2)
    {
        size_t p = scanStart;
        while (text[p] != '\'')
        {
            if (text[p] == 0)
                return;
            if (text[p] == '/' && p != scanStart)
            {
                while (text[p] != 0 && text[p] != '\r' && text[p] != '\n')
                    ++p;
                continue;
            }
            ++p;
        }

        const char* nameBegin = text + p + 1;
        const char* nameEnd = std::strchr(nameBegin, '\'');
        if (nameEnd == nullptr)
            return; // unclosed name
        Entry entry;
        entry.name.assign(nameBegin, nameEnd);
        p = static_cast<size_t>(nameEnd - text) + 1;

        while (text[p] != 0 && IsSeparator(text[p]))
            ++p;
        char first = text[p];
        if (first == '"')
        {
            const char* stringBegin = text + p + 1;
            const char* stringEnd = std::strchr(stringBegin, '"');
            if (stringEnd == nullptr)
                return; // unclosed string
            entry.type = kString;
            entry.text.assign(stringBegin, stringEnd);
            p = static_cast<size_t>(stringEnd - text) + 1;
        }
        else
        {
            if (IsDigit(first) || first == '.' || first == '-')
            {
                entry.type = kNumber;
                entry.number = ParseNumber(text + p);
            }
            while (!IsSeparator(text[p]))
                ++p;
        }
        m_entries.push_back(std::move(entry));
        scanStart = p;
    }
}

const ParameterScript::Entry* ParameterScript::FindLast(const char* name) const
{
    if (name == nullptr)
        return nullptr;
    for (size_t i = m_entries.size(); i-- > 0;)
    {
        if (platform::StrICmp(m_entries[i].name.c_str(), name) == 0)
            return &m_entries[i];
    }
    return nullptr;
}

const float* ParameterScript::GetNumber(const char* name) const
{
    const Entry* entry = FindLast(name);
    return (entry != nullptr && entry->type == kNumber) ? &entry->number : nullptr;
}

const char* ParameterScript::GetString(const char* name) const
{
    const Entry* entry = FindLast(name);
    return (entry != nullptr && entry->type == kString) ? entry->text.c_str() : nullptr;
}

GameParameters::GameParameters(const char* fileName)
{
    g_pGameParameters = this;
    const char* shownName = fileName != nullptr ? fileName : "";
    ParameterScript script(fileName);
    for (uint32_t i = 0; i < script.GetEntryCount(); ++i)
    {
        const ParameterScript::Entry& entry = script.GetEntry(i);
        const char* name = entry.name.c_str();

        // Names and string values are held in 255 characters; a longer one is left out rather than cut, so a
        // parameter never takes a value nobody wrote.
        if (entry.name.size() > kMaxText || entry.text.size() > kMaxText)
        {
            GetLogger()->Report(1, "GameParameters - name or value longer than %zu characters, ignored - %.64s - %s",
                                kMaxText, name, shownName);
            continue;
        }

        Record record;
        platform::CopyString(record.szName, sizeof(record.szName), name);
        switch (name[0])
        {
        case 'b':
            if (entry.type != ParameterScript::kString)
                FatalError("GameParameters - wrong type in script for boolean (expecting string) - %s - %s", name,
                           shownName);
            record.bValue = entry.text == "true";
            break;
        case 'i':
            if (entry.type != ParameterScript::kNumber)
                FatalError("GameParameters - wrong type in script for integer (expecting float) - %s - %s", name,
                           shownName);
            record.iValue = TruncateToInt(entry.number);
            break;
        case 'f':
            if (entry.type != ParameterScript::kNumber)
                FatalError("GameParameters - wrong type in script for float (expecting float) - %s - %s", name,
                           shownName);
            record.fValue = entry.number;
            break;
        case 's':
            if (entry.type != ParameterScript::kString)
                FatalError("GameParameters - wrong type in script for string (expecting string) - %s - %s", name,
                           shownName);
            record.bHasString = true;
            record.sValue = entry.text;
            break;
        default:
            FatalError("GameParameters - error - none defined type (needs prefix) - %s - %s", name, shownName);
        }
        m_records.push_back(std::move(record));
    }
}

GameParameters::~GameParameters()
{
    if (g_pGameParameters == this)
        g_pGameParameters = nullptr;
}

const GameParameters::Record* GameParameters::FindFirst(const char* name) const
{
    if (name == nullptr)
        return nullptr;
    for (const Record& record : m_records)
    {
        if (std::strcmp(record.szName, name) == 0)
            return &record;
    }
    return nullptr;
}

bool GameParameters::GetBool(const char* name, bool* out) const
{
    const Record* record = FindFirst(name);
    if (record == nullptr)
        return false;
    *out = record->bValue;
    return true;
}

bool GameParameters::GetInt(const char* name, int32_t* out) const
{
    const Record* record = FindFirst(name);
    if (record == nullptr)
        return false;
    *out = record->iValue;
    return true;
}

bool GameParameters::GetFloat(const char* name, float* out) const
{
    const Record* record = FindFirst(name);
    if (record == nullptr)
        return false;
    *out = record->fValue;
    return true;
}

const char* GameParameters::GetString(const char* name) const
{
    const Record* record = FindFirst(name);
    return (record != nullptr && record->bHasString) ? record->sValue.c_str() : nullptr;
}
