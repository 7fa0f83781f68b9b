// The data-script grammar's building blocks: quote pass, token walk, prefixes and value conventions.
#include "scripts/DataScript.h"

#include "engine/core/Logger.h"
#include "platform/Strings.h"

#include <cfloat>
#include <limits>

namespace datascript
{

QuotedText::QuotedText(char* buffer, uint32_t size) : m_pBuffer(buffer), m_uEnd(size), m_bBalanced(true)
{
    bool inside = false;
    uint32_t opening = 0;
    for (uint32_t i = 0; i < size; ++i)
    {
        if (buffer[i] == '"')
        {
            if (inside)
                buffer[i] = 0;
            else
                opening = i;
            inside = !inside;
        }
        else if (!inside)
        {
            buffer[i] = 0;
        }
    }
    if (inside)
    {
        // The last token never closes: it is left out, so every token before it ends in its own NUL.
        m_bBalanced = false;
        m_uEnd = opening;
    }
}

uint32_t QuotedText::NextToken(uint32_t from) const
{
    for (uint32_t i = from; i < m_uEnd; ++i)
    {
        if (m_pBuffer[i] == '"')
            return i + 1;
    }
    return kNone;
}

Prefix SplitPrefix(const char* token)
{
    size_t n = 0;
    for (; token[n]; ++n)
    {
        if (token[n] != '_')
            continue;
        const std::string_view sofar(token, n);
        if (sofar != "JETTY" && sofar != "SECURITY")
            return {n, true};
    }
    return {n, false};
}

int32_t ToInteger(const char* value)
{
    return platform::ParseInt(value);
}

float ToReal(const char* value)
{
    const double number = platform::ParseFloat(value);
    // Outside the float range the conversion itself is undefined; the hardware would give an infinity.
    if (number > FLT_MAX)
        return std::numeric_limits<float>::infinity();
    if (number < -FLT_MAX)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(number);
}

bool IsYes(const char* value)
{
    return std::strcmp(value, "Yes") == 0;
}

bool IsYesAnyCase(const char* value)
{
    return platform::StrICmp(value, "Yes") == 0;
}

void CopyText(char* field, size_t size, const FieldLine& line)
{
    if (std::strlen(line.value) >= size)
        GetLogger()->Report(0, "%s - text too long for %s, cut to %zu characters - %s", line.where, line.field,
                            size - 1, line.value);
    platform::CopyString(field, size, line.value);
}

int32_t ChoiceOf(const char* const* words, size_t count, const char* value, bool anyCase)
{
    for (size_t i = 0; i < count; ++i)
    {
        const int order = anyCase ? platform::StrICmp(words[i], value) : std::strcmp(words[i], value);
        if (order == 0)
            return static_cast<int32_t>(i);
    }
    return -1;
}

} // namespace datascript
