// Profile (.ini) files read and written as the Windows profile functions do.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform
{

// An ini document held in memory. Reading follows GetPrivateProfileString: section and key names match
// without regard to case, the first matching section and the first matching key in it win, names and values
// are trimmed of spaces and tabs, one pair of matching surrounding quotes (' or ") is removed from a value,
// lines starting with ';' are comments, a line without '=' inside a section is a key with no value (not
// returned by GetString), text before the first section belongs to no section. A UTF-8 byte-order mark is
// skipped; a UTF-16 file (with its byte-order mark) is read as UTF-16 and converted to 8-bit text through
// code page 1252. CR LF, LF and lone CR all end lines. Malformed lines are skipped; nothing ever fails.
// Writing follows WritePrivateProfileString: an existing key's value is replaced in place, a new key is
// appended at the end of its section, a new section is appended at the end of the file.
class ProfileDocument
{
public:
    // Parses the text of a file.
    void Parse(std::string_view text);
    // Loads a file through the path resolver; false when it cannot be read (the document is then empty).
    bool Load(std::string_view fileName);
    // Writes the document atomically (temporary file and rename), lines ending in CR LF.
    bool Save(std::string_view fileName) const;
    std::string Text() const;

    // The value of a key; `fallback` when the section or key is absent. Like the Windows call, the result
    // is cut to capacity-1 characters when `capacity` is not 0.
    std::string GetString(std::string_view section, std::string_view key, std::string_view fallback,
                          size_t capacity = 0) const;
    bool HasKey(std::string_view section, std::string_view key) const;
    void SetString(std::string_view section, std::string_view key, std::string_view value);
    void Clear();

    // Section names in file order (for tests and tools).
    std::vector<std::string> Sections() const;

private:
    struct Line
    {
        std::string text;    // the raw line, kept for writing back unchanged
        std::string section; // for a section header: its name
        std::string key;     // for a key line: its trimmed name
        std::string value;   // for a key line: its trimmed, unquoted value
        bool isSection = false;
        bool isKey = false;
        bool hasValue = false;
    };
    std::vector<Line> m_lines;
};

} // namespace platform
