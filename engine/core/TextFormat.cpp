// The checked text formatter: each conversion is read, checked against its argument and handed on its own to the
// platform's bounded wide formatter with an argument of exactly the type the conversion names.
#include "engine/core/TextFormat.h"

#include "engine/core/TextTable.h"

#include <cstdint>
#include <iterator>
#include <string>

namespace
{

// Field sizes are read up to here and no further, so long digit runs cannot overflow.
constexpr int kCountCeiling = 1000;

enum class Wants
{
    Nothing,
    Whole,
    Real,
    Text,
};

Wants WantedBy(char16_t letter)
{
    switch (letter)
    {
    case u'd':
    case u'i':
    case u'u':
    case u'x':
    case u'X':
    case u'o':
    case u'c':
        return Wants::Whole;
    case u'f':
    case u'F':
    case u'e':
    case u'E':
    case u'g':
    case u'G':
        return Wants::Real;
    case u's':
    case u'S':
        return Wants::Text;
    default:
        return Wants::Nothing;
    }
}

bool IsFlag(char16_t c)
{
    return c == u'-' || c == u'+' || c == u' ' || c == u'#' || c == u'0';
}

// One conversion as read from the format: where it ends, its flags and sizes, and whether it can be printed.
struct Conversion
{
    const char16_t* end = nullptr;
    std::u16string flags;
    int width = -1;
    int precision = -1;
    char16_t letter = 0;
    bool usable = true;
};

int ReadCount(const char16_t*& p, bool& usable)
{
    if (*p == u'*')
    {
        ++p;
        usable = false;
        return -1;
    }
    int count = 0;
    while (*p >= u'0' && *p <= u'9')
    {
        if (count < kCountCeiling)
            count = count * 10 + (*p - u'0');
        ++p;
    }
    if (count > kMaxFieldWidth)
        usable = false;
    return count;
}

// Reads the conversion whose '%' is at `p`.
Conversion Read(const char16_t* p)
{
    Conversion c;
    ++p;
    while (IsFlag(*p))
        c.flags.push_back(*p++);
    if ((*p >= u'1' && *p <= u'9') || *p == u'*')
        c.width = ReadCount(p, c.usable);
    if (*p == u'.')
    {
        ++p;
        c.precision = ReadCount(p, c.usable);
    }
    if (p[0] == u'h' || p[0] == u'l')
        p += p[1] == p[0] ? 2 : 1;
    else if (p[0] == u'L' || p[0] == u'w')
        ++p;
    c.letter = *p;
    c.end = *p ? p + 1 : p;
    return c;
}

// The conversion rebuilt for the platform's formatter with its length letters replaced by `length`.
std::u16string Spec(const Conversion& c, const char16_t* length, char16_t letter)
{
    std::u16string spec = u"%" + c.flags;
    if (c.width >= 0)
        spec += platform::AnsiToWide(std::to_string(c.width).c_str());
    if (c.precision >= 0)
        spec += u"." + platform::AnsiToWide(std::to_string(c.precision).c_str());
    return spec + length + letter;
}

// Prints the conversion with its argument; false when they do not go together.
bool Print(const Conversion& c, const FormatArg& arg, platform::WString& out)
{
    char16_t piece[kMaxFieldWidth * 4 + 512];
    const Wants wants = WantedBy(c.letter);
    size_t length = 0;
    using Kind = FormatArg::Kind;
    if (wants == Wants::Whole && arg.GetKind() == Kind::Whole)
    {
        const long long value = arg.Whole();
        if (c.letter == u'c')
        {
            if (value <= 0 || value > 0xFFFF || c.precision >= 0)
                return false;
            length = platform::FormatWide(piece, std::size(piece), Spec(c, u"", u'c').c_str(), static_cast<int>(value));
        }
        else if (c.letter == u'd' || c.letter == u'i')
        {
            length = platform::FormatWide(piece, std::size(piece), Spec(c, u"ll", c.letter).c_str(), value);
        }
        else
        {
            // A 32-bit value shows as the 32-bit word it is, as the texts' own numbers do.
            const bool word = value >= INT32_MIN && value <= static_cast<long long>(UINT32_MAX);
            const unsigned long long bits = word ? static_cast<unsigned long long>(static_cast<uint32_t>(value))
                                                 : static_cast<unsigned long long>(value);
            length = platform::FormatWide(piece, std::size(piece), Spec(c, u"ll", c.letter).c_str(), bits);
        }
    }
    else if (wants == Wants::Real && arg.GetKind() == Kind::Real)
    {
        length = platform::FormatWide(piece, std::size(piece), Spec(c, u"", c.letter).c_str(), arg.Real());
    }
    else if (wants == Wants::Text && (arg.GetKind() == Kind::Narrow || arg.GetKind() == Kind::Wide))
    {
        const platform::WString narrow = platform::AnsiToWide(arg.Narrow());
        const char16_t* text = arg.GetKind() == Kind::Wide ? arg.Wide() : narrow.c_str();
        if (!text)
            text = u"";
        // Texts are padded by hand: they need nothing else, and may be longer than a number's piece.
        const size_t size = platform::WStrLen(text);
        const size_t shown = platform::WholeCharacterCut(
            text, c.precision >= 0 && static_cast<size_t>(c.precision) < size ? c.precision : size);
        const size_t pad = c.width > 0 && static_cast<size_t>(c.width) > shown ? c.width - shown : 0;
        const bool left = c.flags.find(u'-') != std::u16string::npos;
        if (!left)
            out.append(pad, u' ');
        out.append(text, shown);
        if (left)
            out.append(pad, u' ');
        return true;
    }
    else
    {
        return false;
    }
    out.append(piece, length);
    return true;
}

} // namespace

platform::WString FormatChecked(const char16_t* format, const FormatArg* args, size_t count)
{
    platform::WString out;
    if (!format)
        return out;
    const FormatArg* next = args;
    const FormatArg* end = args + (args ? count : 0);
    const char16_t* p = format;
    while (*p && out.size() < kMaxFormattedLength)
    {
        if (*p != u'%')
        {
            out.push_back(*p++);
            continue;
        }
        if (p[1] == u'%')
        {
            out.push_back(u'%');
            p += 2;
            continue;
        }
        const Conversion c = Read(p);
        const bool takesArgument = WantedBy(c.letter) != Wants::Nothing;
        const FormatArg* arg = takesArgument && next != end ? next++ : nullptr;
        if (!c.usable || !arg || !Print(c, *arg, out))
            out.append(p, c.end);
        p = c.end;
    }
    // The cut at the limit does not part the two halves of a character beyond U+FFFF, whether the limit falls
    // inside what was appended last or just before the unit of the format left over.
    if (out.size() > kMaxFormattedLength)
        out.resize(platform::WholeCharacterCut(out.c_str(), kMaxFormattedLength));
    else if (*p && !out.empty())
        out.resize(platform::WholeCharacterCut((out + *p).c_str(), out.size()));
    return out;
}

const char16_t* TableText(const char* id)
{
    return g_pTextTable ? g_pTextTable->GetText(id) : u"";
}

platform::WString FormatTableText(const char* id, std::initializer_list<FormatArg> args)
{
    return FormatChecked(TableText(id), args);
}
