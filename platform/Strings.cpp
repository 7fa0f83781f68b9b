// 8-bit text helpers shared by every subsystem.
#include "platform/Strings.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace platform
{
namespace
{
int LowerAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// atof gives HUGE_VAL for a number too large and 0 (or the nearest tiny value) for one too small; strtod in the C
// locale over the same characters tells which.
double ParseOutOfRange(const char* first, const char* last)
{
    static locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    const std::string number(first, last);
    return cLocale ? ::strtod_l(number.c_str(), nullptr, cLocale) : 0.0;
}
} // namespace

int StrICmp(const char* a, const char* b)
{
    return StrNICmp(a, b, static_cast<size_t>(-1));
}

int StrNICmp(const char* a, const char* b, size_t n)
{
    for (size_t i = 0; i < n; ++i)
    {
        int ca = LowerAscii(static_cast<unsigned char>(a[i]));
        int cb = LowerAscii(static_cast<unsigned char>(b[i]));
        if (ca != cb || ca == 0)
            return ca - cb;
    }
    return 0;
}

size_t CopyString(char* dst, size_t cap, const char* src)
{
    return CopyTerminated(dst, cap, src);
}

size_t FormatStringV(char* buf, size_t cap, const char* format, va_list args)
{
    if (cap == 0)
        return 0;
    int n = std::vsnprintf(buf, cap, format ? format : "", args);
    if (n < 0)
    {
        buf[0] = 0;
        return 0;
    }
    return static_cast<size_t>(n) < cap ? static_cast<size_t>(n) : cap - 1;
}

size_t FormatString(char* buf, size_t cap, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    size_t n = FormatStringV(buf, cap, format, args);
    va_end(args);
    return n;
}

std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (n > 0)
    {
        out.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), format, args);
        out.resize(static_cast<size_t>(n));
    }
    va_end(args);
    return out;
}

int ParseInt(const char* text)
{
    if (!text)
        return 0;
    while (IsSpace(*text))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    long long value = 0;
    while (*text >= '0' && *text <= '9')
    {
        value = value * 10 + (*text++ - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

double ParseFloat(const char* text)
{
    if (!text)
        return 0.0;
    while (IsSpace(*text))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    // One sign only: from_chars would take a second one ("--5", "+-5"), atof does not.
    if (*text == '+' || *text == '-')
        return 0.0;
    double value = 0.0;
    const char* end = text + std::strlen(text);
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    {
        // Base 16, as atof reads it: digits, a fraction and a binary exponent after the prefix, which from_chars
        // does not take. A prefix with no digit after it leaves the 0 before it (and no second sign or word).
        const char* digits = text + 2;
        if (!std::isxdigit(static_cast<unsigned char>(*digits)) &&
            !(*digits == '.' && std::isxdigit(static_cast<unsigned char>(digits[1]))))
            return 0.0;
        const auto hex = std::from_chars(digits, end, value, std::chars_format::hex);
        if (hex.ec == std::errc::result_out_of_range)
            value = ParseOutOfRange(text, hex.ptr);
        else if (hex.ec != std::errc())
            return 0.0;
        return negative ? -value : value;
    }
    auto result = std::from_chars(text, end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
    {
        value = ParseOutOfRange(text, result.ptr);
    }
    else if (result.ec != std::errc())
    {
        return 0.0;
    }
    return negative ? -value : value;
}

std::string FormatFixed(double value, int decimals)
{
    if (decimals < 0)
        decimals = 6; // a negative precision reads as none given, as in printf
    if (decimals > 1000)
        decimals = 1000;
    // Room for the largest double's 309 integer digits, its sign and point, and the decimals.
    std::string buf(320 + static_cast<size_t>(decimals), '\0');
    auto result = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return "0";
    buf.resize(static_cast<size_t>(result.ptr - buf.data()));
    return buf;
}

} // namespace platform
