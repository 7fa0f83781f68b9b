// The checked text formatter: printf-style formatting of texts that come from data (the text table), where each
// conversion must match the type of the argument it takes and anything else is printed as it stands.
#pragma once

#include "platform/WideText.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>

// One argument of a checked format: a whole number, a real number or a text (8-bit or 16-bit).
class FormatArg
{
public:
    enum class Kind : uint8_t
    {
        Whole,
        Real,
        Narrow,
        Wide,
    };

    FormatArg(int value) : m_kind(Kind::Whole), m_whole(value) {}
    FormatArg(unsigned value) : m_kind(Kind::Whole), m_whole(value) {}
    FormatArg(long long value) : m_kind(Kind::Whole), m_whole(value) {}
    FormatArg(double value) : m_kind(Kind::Real), m_real(value) {}
    FormatArg(const char* text) : m_kind(Kind::Narrow), m_narrow(text) {}
    FormatArg(const char16_t* text) : m_kind(Kind::Wide), m_wide(text) {}

    Kind GetKind() const { return m_kind; }
    long long Whole() const { return m_whole; }
    double Real() const { return m_real; }
    const char* Narrow() const { return m_narrow; }
    const char16_t* Wide() const { return m_wide; }

private:
    Kind m_kind;
    long long m_whole = 0;
    double m_real = 0.0;
    const char* m_narrow = nullptr;
    const char16_t* m_wide = nullptr;
};

// The conversions, with flags (- + space # 0), a width and a precision of at most kMaxFieldWidth and the length
// letters h, hh, l, ll, L and w, take the next argument in turn:
//   d i u x X o c   a whole number;     f F e E g G   a real number;     s S   a text of either width.
// "%%" prints '%'. A conversion whose argument is missing or of another kind, an unknown or incomplete conversion,
// '*' widths and wider fields are printed literally (a conversion still uses up its argument, so the ones after it
// keep their places). A null format or text prints nothing; the result is cut at kMaxFormattedLength units.
platform::WString FormatChecked(const char16_t* format, const FormatArg* args, size_t count);
inline platform::WString FormatChecked(const char16_t* format, std::initializer_list<FormatArg> args)
{
    return FormatChecked(format, args.begin(), args.size());
}

// The same with the format taken from the text table by its id (the empty text without a table or for an
// unknown id).
platform::WString FormatTableText(const char* id, std::initializer_list<FormatArg> args);

// The text of an id in the text table, the empty text without a table.
const char16_t* TableText(const char* id);

constexpr int kMaxFieldWidth = 64;
constexpr size_t kMaxFormattedLength = 2048;
