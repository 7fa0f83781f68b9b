// 16-bit game text (UTF-16 char16_t): length, compare, copy, number texts, bounded formatting, code page 1252.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace platform
{

using WString = std::u16string;

size_t WStrLen(const char16_t* s);
int WStrCmp(const char16_t* a, const char16_t* b);
// Compare ignoring the case of ASCII letters.
int WStrICmp(const char16_t* a, const char16_t* b);
// Copies at most cap-1 units and always terminates (when cap > 0); returns the length copied.
size_t WStrCopy(char16_t* dst, size_t cap, const char16_t* src);
// Appends within cap (including the terminator); returns the new length.
size_t WStrCat(char16_t* dst, size_t cap, const char16_t* src);

// Where a text cut after `cut` units ends so that no character beyond U+FFFF loses its second half: `cut`, or one
// less when the unit before it is the first half of a pair the unit at it completes. Reads text[cut - 1] and
// text[cut] (a terminated text cut within its length may be asked).
size_t WholeCharacterCut(const char16_t* text, size_t cut);

// Integer and float to text ("%d" and "%f" shapes, C locale) into a bounded buffer; return the length.
size_t IntToWStr(int value, char16_t* dst, size_t cap);
size_t FloatToWStr(double value, int decimals, char16_t* dst, size_t cap);

// swprintf as the game used it, bounded: always terminated, truncated to cap-1 units; returns the length.
// Conversions: %d %i %u %x %X %o %c %f %e %g %p %%, with flags, width, precision and the h/l/ll length
// modifiers; %s takes a 16-bit text (const char16_t*), %S and %hs an 8-bit text (const char*), %c a 16-bit
// unit passed as int. A null text prints as "(null)".
size_t FormatWide(char16_t* buf, size_t cap, const char16_t* format, ...);
size_t FormatWideV(char16_t* buf, size_t cap, const char16_t* format, va_list args);

// The "ANSI code page" conversions (Windows-1252). Bytes 0x80-0x9F map through the 1252 table (its five
// unassigned bytes map to the same code unit); other bytes map to the same code point. Going back, units
// the code page lacks become '?'. Both stop at the terminator and always terminate within cap.
size_t AnsiToWide(const char* src, char16_t* dst, size_t cap);
size_t WideToAnsi(const char16_t* src, char* dst, size_t cap);
WString AnsiToWide(const char* src);
std::string WideToAnsi(const char16_t* src);

// UTF-8 conversions for the platform's own uses (window titles, message boxes, file names).
std::string WideToUtf8(const char16_t* src);
WString Utf8ToWide(const char* src);

} // namespace platform
