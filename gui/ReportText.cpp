// ReportText: escaping and cutting of data words for reports.
#include "gui/ReportText.h"

std::string ReportWord(std::string_view word, size_t maxBytes)
{
    static constexpr char kHex[] = "0123456789abcdef";
    const bool cut = word.size() > maxBytes;
    if (cut)
        word = word.substr(0, maxBytes);
    std::string out;
    out.reserve(word.size() + 3);
    for (const char c : word)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\')
            out += "\\\\";
        else if (byte < 0x20 || byte >= 0x7F)
        {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
        else
            out += c;
    }
    if (cut)
        out += "...";
    return out;
}
