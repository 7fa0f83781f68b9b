// Profile (.ini) documents: line-preserving parser, lookups and in-place updates in the Windows manner.
#include "platform/Profile.h"

#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/WideText.h"

#include <cstdio>

namespace platform
{
namespace
{

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b)
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

// A value written by a program must not break the line structure: it ends at the first line break.
std::string_view SingleLine(std::string_view s)
{
    size_t end = s.find_first_of("\r\n");
    return end == std::string_view::npos ? s : s.substr(0, end);
}

// Decodes UTF-16 text (after its byte-order mark) into 8-bit code page 1252 text.
std::string Utf16ToAnsi(std::string_view bytes, bool bigEndian)
{
    WString wide;
    wide.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    {
        auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        char16_t unit = static_cast<char16_t>(lo | (hi << 8));
        // A NUL unit would end the conversion early; the text around it is still worth reading.
        wide.push_back(unit == 0 ? u' ' : unit);
    }
    return WideToAnsi(wide.c_str());
}

} // namespace

void ProfileDocument::Clear()
{
    m_lines.clear();
}

void ProfileDocument::Parse(std::string_view text)
{
    m_lines.clear();
    std::string converted;
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF && static_cast<unsigned char>(text[1]) == 0xFE)
    {
        converted = Utf16ToAnsi(text.substr(2), false);
        text = converted;
    }
    else if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFE &&
             static_cast<unsigned char>(text[1]) == 0xFF)
    {
        converted = Utf16ToAnsi(text.substr(2), true);
        text = converted;
    }
    else if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
    {
        text.remove_prefix(3);
    }

    bool inSection = false;
    size_t pos = 0;
    while (pos < text.size())
    {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view raw = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size())
        {
            // CR LF, LF and a lone CR each end one line.
            if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n')
                pos += 2;
            else
                pos += 1;
        }

        Line line;
        line.text = std::string(raw);
        std::string_view body = Trim(raw);
        if (!body.empty() && body.front() == '[')
        {
            size_t close = body.rfind(']');
            if (close != std::string_view::npos)
            {
                line.isSection = true;
                line.section = std::string(Trim(body.substr(1, close - 1)));
                inSection = true;
            }
            // A header without its ']' is malformed: skipped, and the current section goes on.
        }
        else if (!body.empty() && body.front() != ';' && inSection)
        {
            size_t equals = body.find('=');
            std::string_view name = Trim(body.substr(0, equals));
            if (!name.empty())
            {
                line.isKey = true;
                line.key = std::string(name);
                if (equals != std::string_view::npos)
                {
                    std::string_view value = Trim(body.substr(equals + 1));
                    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front())
                        value = value.substr(1, value.size() - 2);
                    line.value = std::string(value);
                    line.hasValue = true;
                }
            }
        }
        m_lines.push_back(std::move(line));
    }
}

bool ProfileDocument::Load(std::string_view fileName)
{
    m_lines.clear();
    FILE* file = OpenFile(fileName, "rb");
    if (!file)
        return false;
    std::string data;
    char chunk[16384];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
        data.append(chunk, n);
    bool ok = !std::ferror(file);
    std::fclose(file);
    if (!ok)
        return false;
    Parse(data);
    return true;
}

std::string ProfileDocument::Text() const
{
    std::string out;
    for (const Line& line : m_lines)
    {
        out += line.text;
        out += "\r\n";
    }
    return out;
}

bool ProfileDocument::Save(std::string_view fileName) const
{
    std::string text = Text();
    return WriteFileAtomically(fileName, text.data(), text.size());
}

std::string ProfileDocument::GetString(std::string_view section, std::string_view key, std::string_view fallback,
                                       size_t capacity) const
{
    section = Trim(section);
    key = Trim(key);
    std::string_view result = fallback;
    bool sectionFound = false;
    for (const Line& line : m_lines)
    {
        if (line.isSection)
        {
            if (sectionFound)
                break; // only the first matching section is searched
            sectionFound = SameName(line.section, section);
            continue;
        }
        if (sectionFound && line.isKey && SameName(line.key, key))
        {
            if (line.hasValue)
                result = line.value;
            break;
        }
    }
    if (capacity != 0 && result.size() > capacity - 1)
        result = result.substr(0, capacity - 1);
    return std::string(result);
}

bool ProfileDocument::HasKey(std::string_view section, std::string_view key) const
{
    section = Trim(section);
    key = Trim(key);
    bool sectionFound = false;
    for (const Line& line : m_lines)
    {
        if (line.isSection)
        {
            if (sectionFound)
                return false;
            sectionFound = SameName(line.section, section);
            continue;
        }
        if (sectionFound && line.isKey && SameName(line.key, key))
            return true;
    }
    return false;
}

void ProfileDocument::SetString(std::string_view section, std::string_view key, std::string_view value)
{
    section = Trim(SingleLine(section));
    key = Trim(SingleLine(key));
    value = SingleLine(value);
    if (key.empty())
        return; // a nameless key could never be read back

    size_t header = m_lines.size();
    for (size_t i = 0; i < m_lines.size(); ++i)
    {
        if (m_lines[i].isSection && SameName(m_lines[i].section, section))
        {
            header = i;
            break;
        }
    }

    if (header == m_lines.size())
    {
        Line head;
        head.text = "[" + std::string(section) + "]";
        head.section = std::string(section);
        head.isSection = true;
        m_lines.push_back(std::move(head));
        header = m_lines.size() - 1;
    }

    // Reparse the written line so reading it back gives exactly what a reload of the file would.
    auto makeLine = [](std::string_view name, std::string_view text)
    {
        ProfileDocument scratch;
        scratch.Parse("[s]\n" + std::string(name) + "=" + std::string(text));
        return scratch.m_lines.back();
    };

    size_t lastContent = header;
    for (size_t i = header + 1; i < m_lines.size() && !m_lines[i].isSection; ++i)
    {
        Line& line = m_lines[i];
        if (line.isKey && SameName(line.key, key))
        {
            line = makeLine(line.key, value);
            return;
        }
        if (!Trim(line.text).empty())
            lastContent = i;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(lastContent + 1), makeLine(key, value));
}

std::vector<std::string> ProfileDocument::Sections() const
{
    std::vector<std::string> names;
    for (const Line& line : m_lines)
    {
        if (line.isSection)
            names.push_back(line.section);
    }
    return names;
}

} // namespace platform
