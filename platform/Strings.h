// 8-bit text helpers: case-insensitive compares, bounded copies and printf-style formatting, C-locale numbers.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace platform
{

// _stricmp behaviour: ASCII letters compared without regard to case; <0, 0 or >0.
int StrICmp(const char* a, const char* b);
int StrNICmp(const char* a, const char* b, size_t n);

// Copies at most cap-1 characters and always terminates (when cap > 0); returns the length copied.
size_t CopyString(char* dst, size_t cap, const char* src);

// The bounded copy of CopyString for any character type (also behind WStrCopy); a null src copies nothing and a
// null dst is left alone.
template <class Char> size_t CopyTerminated(Char* dst, size_t cap, const Char* src)
{
    if (cap == 0 || !dst)
        return 0;
    size_t n = 0;
    if (src)
    {
        while (n + 1 < cap && src[n])
        {
            dst[n] = src[n];
            ++n;
        }
    }
    dst[n] = 0;
    return n;
}

// printf into buf, truncated to cap-1 characters and always terminated; returns the length written.
size_t FormatString(char* buf, size_t cap, const char* format, ...) __attribute__((format(printf, 3, 4)));
size_t FormatStringV(char* buf, size_t cap, const char* format, va_list args);

// printf into a std::string of any length.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// atoi and atof as the runtime reads them, always in the C locale: leading white space, an optional sign,
// as many digits as fit; 0 when nothing converts. Integers saturate at the 32-bit limits.
int ParseInt(const char* text);
double ParseFloat(const char* text);

// "%f" in the C locale (six decimals).
std::string FormatFixed(double value, int decimals = 6);

} // namespace platform
