// ScriptReader: whitespace, comments, tokens and conditions.
#include "scripts/ScriptReader.h"

#include "engine/core/Logger.h"

#include <cstring>

namespace
{

bool IsWhitespace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

ScriptReader::ScriptReader(const char* text, uint32_t size, const char* language)
    : m_pText(text), m_uSize(text ? size : 0), m_pLanguage(language)
{
    // A UTF-8 byte order mark that an editor put before the first line is no part of the script: read as text, it
    // would join the first word and cost the script its first State.
    if (m_uSize >= 3 && std::memcmp(m_pText, "\xEF\xBB\xBF", 3) == 0)
        m_uPos = 3;
}

uint32_t ScriptReader::SkipWhitespace()
{
    const uint32_t start = m_uPos;
    while (m_uPos < m_uSize && IsWhitespace(m_pText[m_uPos]))
        ++m_uPos;
    return m_uPos - start;
}

uint32_t ScriptReader::SkipComment()
{
    if (m_uPos >= m_uSize || m_pText[m_uPos] != '/')
        return 0;
    const uint32_t start = m_uPos;
    while (m_uPos < m_uSize && m_pText[m_uPos] != '\n')
        ++m_uPos;
    if (m_uPos < m_uSize)
        ++m_uPos;
    return m_uPos - start;
}

uint32_t ScriptReader::SkipBlanks()
{
    const uint32_t start = m_uPos;
    while (SkipWhitespace() + SkipComment() > 0)
    {
    }
    return m_uPos - start;
}

uint32_t ScriptReader::ReadToken(std::string& token)
{
    const uint32_t start = m_uPos;
    SkipBlanks();
    token.clear();
    if (m_uPos >= m_uSize)
        return m_uPos - start;
    if (m_pText[m_uPos] == ';')
    {
        token = ";";
        ++m_uPos;
        return m_uPos - start;
    }
    const uint32_t first = m_uPos;
    while (m_uPos < m_uSize && !IsWhitespace(m_pText[m_uPos]) && m_pText[m_uPos] != ';')
        ++m_uPos;
    const uint32_t length = m_uPos - first;
    if (length > kMaxTokenLength)
        GetLogger()->Report(0, "%s::ReadToken - token longer than %u characters cut - %.*s", m_pLanguage,
                            kMaxTokenLength, static_cast<int>(kMaxTokenLength), m_pText + first);
    token.assign(m_pText + first, length > kMaxTokenLength ? kMaxTokenLength : length);
    return m_uPos - start;
}

uint32_t ScriptReader::ReadCondition(std::string& condition)
{
    const uint32_t start = m_uPos;
    condition.clear();
    while (m_uPos < m_uSize && m_pText[m_uPos] != '(')
        ++m_uPos;
    if (m_uPos >= m_uSize)
    {
        GetLogger()->Report(0, "%s::ReadCondition - condition without '('", m_pLanguage);
        return m_uPos - start;
    }
    const uint32_t first = m_uPos;
    while (m_uPos < m_uSize && m_pText[m_uPos] != ')')
        ++m_uPos;
    if (m_uPos >= m_uSize)
    {
        GetLogger()->Report(0, "%s::ReadCondition - condition without ')'", m_pLanguage);
        return m_uPos - start;
    }
    ++m_uPos;
    const uint32_t length = m_uPos - first;
    if (length > kMaxTokenLength)
        GetLogger()->Report(0, "%s::ReadCondition - condition longer than %u characters refused - %.*s", m_pLanguage,
                            kMaxTokenLength, static_cast<int>(kMaxTokenLength), m_pText + first);
    else
        condition.assign(m_pText + first, length);
    return m_uPos - start;
}
