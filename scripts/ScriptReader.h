// ScriptReader: the tokens of the two script languages, read from a script file's text: whitespace, comments
// from '/' to the line's end, ';' as a token of its own, and the parenthesised conditions of If and Switch.
#pragma once

#include <cstdint>
#include <string>

class ScriptReader
{
public:
    // Longest token, and longest condition (its parentheses included). Longer ones are cut (tokens) or refused
    // (conditions), with a report.
    static constexpr uint32_t kMaxTokenLength = 51;

    // Reads text[0, size); never past it. A UTF-8 byte order mark at its start is skipped. `language` names the
    // reader in its reports.
    ScriptReader(const char* text, uint32_t size, const char* language);

    // Each returns the number of characters it consumed.
    uint32_t SkipWhitespace();
    // From a '/' at the read position to the next line feed, or to the end of the text.
    uint32_t SkipComment();
    // Whitespace and comments, as many as follow each other.
    uint32_t SkipBlanks();
    // Skips blanks, then reads one token into `token` (empty at the end of the text).
    uint32_t ReadToken(std::string& token);
    // Skips every character up to the first '(' and reads from it up to and including the first ')'. `condition`
    // is empty, with a report, when there is no '(', no ')' after it, or the condition is longer than
    // kMaxTokenLength.
    uint32_t ReadCondition(std::string& condition);

    bool AtEnd() const { return m_uPos >= m_uSize; }
    uint32_t GetPosition() const { return m_uPos; }
    // Goes back to a position met before, to read its token again.
    void Rewind(uint32_t position) { m_uPos = position < m_uSize ? position : m_uSize; }
    const char* GetLanguage() const { return m_pLanguage; }

private:
    const char* m_pText;
    uint32_t m_uSize;
    uint32_t m_uPos = 0;
    const char* m_pLanguage;
};
