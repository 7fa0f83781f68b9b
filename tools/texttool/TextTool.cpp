// texttool: parsing the plain source and writing the UTF-16 pair file.
#include "tools/texttool/TextTool.h"

#include "engine/core/FileSystem.h"
#include "engine/core/TextTable.h"
#include "platform/FileOps.h"
#include "platform/Strings.h"
#include "tools/SourceFile.h"

#include <cstdio>
#include <set>
#include <sstream>

namespace texttool
{
namespace
{

bool IsIdChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// UTF-8 to UTF-16; false for bytes that are no UTF-8 (bad lead or continuation bytes, overlong or surrogate
// forms, code points beyond U+10FFFF).
bool Utf8ToUtf16(const std::string& in, std::u16string* out)
{
    out->clear();
    for (size_t i = 0; i < in.size();)
    {
        const auto b = static_cast<unsigned char>(in[i]);
        int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || i + static_cast<size_t>(extra) >= in.size())
            return false;
        uint32_t code = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k)
        {
            const auto c = static_cast<unsigned char>(in[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            code = code << 6 | (c & 0x3F);
        }
        static const uint32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
        if (code < kMinimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        if (code >= 0x10000)
        {
            code -= 0x10000;
            out->push_back(static_cast<char16_t>(0xD800 | (code >> 10)));
            out->push_back(static_cast<char16_t>(0xDC00 | (code & 0x3FF)));
        }
        else
            out->push_back(static_cast<char16_t>(code));
        i += static_cast<size_t>(extra) + 1;
    }
    return true;
}

void PutUnit(std::vector<uint8_t>& bytes, char16_t unit)
{
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
}

void PutQuoted(std::vector<uint8_t>& bytes, const std::u16string& text)
{
    PutUnit(bytes, u'"');
    for (char16_t unit : text)
        PutUnit(bytes, unit);
    PutUnit(bytes, u'"');
}

} // namespace

bool ParseSource(const std::string& source, std::vector<TextPair>* pairs, std::string* error)
{
    pairs->clear();
    // Nothing is handed out from a source with a fault in it.
    auto fail = [&](const std::string& message)
    {
        *error = message;
        pairs->clear();
        return false;
    };
    std::set<std::string> seen;
    // A byte order mark that an editor put before the first line is no part of it.
    const std::string kByteOrderMark = "\xEF\xBB\xBF";
    std::istringstream lines(source.rfind(kByteOrderMark, 0) == 0 ? source.substr(kByteOrderMark.size()) : source);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number)
    {
        size_t start = 0;
        while (start < line.size() && IsSpace(line[start]))
            ++start;
        if (start == line.size() || line[start] == '#')
            continue;
        size_t idEnd = start;
        while (idEnd < line.size() && IsIdChar(line[idEnd]))
            ++idEnd;
        size_t textStart = idEnd;
        while (textStart < line.size() && IsSpace(line[textStart]))
            ++textStart;
        size_t textEnd = line.size();
        while (textEnd > textStart && IsSpace(line[textEnd - 1]))
            --textEnd;
        const std::string where = "line " + std::to_string(number) + ": ";
        if (idEnd == start || textStart == idEnd || textStart == textEnd)
            return fail(where + "expected an id, white space and a text");
        TextPair pair;
        pair.id = line.substr(start, idEnd - start);
        const std::string text = line.substr(textStart, textEnd - textStart);
        if (text.find('"') != std::string::npos)
            return fail(where + "a text cannot hold a double quote");
        if (!Utf8ToUtf16(text, &pair.text))
            return fail(where + "the text is not UTF-8");
        if (!seen.insert(Upper(pair.id)).second)
            return fail(where + "the id " + pair.id + " is given twice");
        if (pairs->size() == TextTable::kMaxPairs)
            return fail(where + "the game's text table holds at most " + std::to_string(TextTable::kMaxPairs) +
                        " texts; this one would be left out");
        pairs->push_back(std::move(pair));
    }
    return true;
}

std::vector<uint8_t> EncodeTable(const std::vector<TextPair>& pairs)
{
    std::vector<uint8_t> bytes;
    PutUnit(bytes, 0xFEFF);
    for (const TextPair& pair : pairs)
    {
        PutQuoted(bytes, std::u16string(pair.id.begin(), pair.id.end()));
        PutUnit(bytes, u' ');
        PutQuoted(bytes, pair.text);
        PutUnit(bytes, u'\r');
        PutUnit(bytes, u'\n');
    }
    return bytes;
}

int Run(int argc, const char* const* argv)
{
    if (argc != 4 || std::string(argv[1]) != "encode")
    {
        std::fprintf(stderr, "usage: texttool encode <source.txt> <table.ble>\n");
        return 2;
    }
    // The source is never written over.
    if (platform::IsSameFile(argv[2], argv[3]))
    {
        std::fprintf(stderr, "texttool: %s is the source; give another table to write\n", argv[3]);
        return 1;
    }
    std::string source;
    if (!tools::ReadSourceFile(argv[2], &source))
    {
        std::fprintf(stderr, "texttool: cannot read %s\n", argv[2]);
        return 1;
    }
    std::vector<TextPair> pairs;
    std::string error;
    if (!ParseSource(source, &pairs, &error))
    {
        std::fprintf(stderr, "texttool: %s: %s\n", argv[2], error.c_str());
        return 1;
    }
    std::vector<uint8_t> bytes = EncodeTable(pairs);
    if (!GetFileSystem()->WriteBleFile(argv[3], reinterpret_cast<char*>(bytes.data()),
                                       static_cast<uint32_t>(bytes.size())))
    {
        std::fprintf(stderr, "texttool: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}

} // namespace texttool
