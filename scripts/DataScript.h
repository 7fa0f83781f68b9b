// The data-script grammar's building blocks: the quote pass, the quoted-token walk, keyword prefixes, the value
// conventions (integer, real, text, Yes-flag) and the table-driven field lines of the record families.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace datascript
{

// A data script after the quote pass: only the quoted texts remain, each NUL-terminated in place of its closing
// quote and preceded by its opening quote; every other byte is NUL. A final quote left open is not a token: the
// tokens all lie before End(), so a token's text always ends within the buffer.
class QuotedText
{
public:
    static constexpr uint32_t kNone = UINT32_MAX;

    // Runs the quote pass over buffer[0, size) in place; never reads or writes past it.
    QuotedText(char* buffer, uint32_t size);

    // False when the count of quotes was odd.
    bool Balanced() const { return m_bBalanced; }
    uint32_t End() const { return m_uEnd; }
    // The position of the text of the first token whose opening quote is at `from` or later; kNone when none.
    uint32_t NextToken(uint32_t from) const;
    const char* Text(uint32_t position) const { return m_pBuffer + position; }

private:
    char* m_pBuffer;
    uint32_t m_uEnd;
    bool m_bBalanced;
};

// A token's prefix: its characters up to its first underscore, except that an underscore met while the prefix
// is exactly "JETTY" or "SECURITY" belongs to the prefix. `underscore` tells whether an underscore ended it.
struct Prefix
{
    size_t length;
    bool underscore;
};
Prefix SplitPrefix(const char* token);

// The value conventions: integer (atoi), real (atof, as a 32-bit float; beyond the float range it becomes an
// infinity), Yes-flag ("Yes" exactly, or without regard to case).
int32_t ToInteger(const char* value);
float ToReal(const char* value);
bool IsYes(const char* value);
bool IsYesAnyCase(const char* value);

// One field line on its way to a record: where it is handled (for reports), its field keyword and its value.
struct FieldLine
{
    const char* where;
    const char* field;
    const char* value;
};

// Copies the line's value into a text field; a value longer than the field is cut to fit, with a report.
void CopyText(char* field, size_t size, const FieldLine& line);
template <size_t N> void SetText(char (&field)[N], const FieldLine& line)
{
    CopyText(field, N, line);
}

// A field keyword of a family and what its value does to a record.
template <class Record> struct FieldRule
{
    const char* keyword;
    void (*apply)(Record& record, const FieldLine& line);
};

// Applies the rule whose keyword equals the line's field keyword exactly; false when no rule has it.
template <class Record, size_t N>
bool ApplyField(const FieldRule<Record> (&rules)[N], Record& record, const FieldLine& line)
{
    for (const FieldRule<Record>& rule : rules)
    {
        if (std::strcmp(rule.keyword, line.field) == 0)
        {
            rule.apply(record, line);
            return true;
        }
    }
    return false;
}

// The number of the word equal to the value (exactly, or without regard to case); -1 when none is.
int32_t ChoiceOf(const char* const* words, size_t count, const char* value, bool anyCase);
template <size_t N> int32_t ChoiceOf(const char* const (&words)[N], const char* value, bool anyCase = false)
{
    return ChoiceOf(words, N, value, anyCase);
}

} // namespace datascript
