// 16-bit game text: string helpers, bounded swprintf-style formatting and code page 1252 / UTF-8 conversions.
#include "platform/WideText.h"

#include "platform/Strings.h"

#include <charconv>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <locale.h>
#include <type_traits>

namespace platform
{
namespace
{

// Bytes 0x80-0x9F of Windows-1252; the five unassigned bytes keep their own value.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t AnsiUnit(unsigned char c)
{
    return (c >= 0x80 && c <= 0x9F) ? kCp1252High[c - 0x80] : static_cast<char16_t>(c);
}

// The 1252 byte of a code point, or '?' when the code page lacks it.
char AnsiByte(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<char>(cp);
    for (int i = 0; i < 32; ++i)
    {
        if (kCp1252High[i] == cp)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

bool IsHighSurrogate(char16_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}

bool IsLowSurrogate(char16_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Reads one code point from 16-bit text; lone surrogates come back as themselves.
char32_t NextCodePoint(const char16_t*& p)
{
    char16_t u = *p++;
    if (IsHighSurrogate(u) && IsLowSurrogate(*p))
    {
        char16_t lo = *p++;
        return 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (lo - 0xDC00);
    }
    return u;
}

char16_t LowerUnit(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// The "C" locale, so numbers never pick up the process locale's decimal comma.
locale_t CLocale()
{
    static locale_t locale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

// Output with a hard bound: at most cap-1 units are kept, the rest is counted away.
class BoundedOutput
{
public:
    BoundedOutput(char16_t* buf, size_t cap) : m_pBuf(buf), m_uCap(cap) {}

    void Put(char16_t c)
    {
        if (m_uLen + 1 < m_uCap)
            m_pBuf[m_uLen++] = c;
        else if (!m_bCut)
        {
            m_bCut = true;
            m_uFirstDropped = c;
        }
    }
    void PutRepeated(char16_t c, size_t n)
    {
        for (size_t i = 0; i < n && m_uLen + 1 < m_uCap; ++i)
            Put(c);
    }
    void PutAscii(const char* s, size_t n)
    {
        for (size_t i = 0; i < n; ++i)
            Put(static_cast<char16_t>(static_cast<unsigned char>(s[i])));
    }
    size_t Finish()
    {
        // The cut does not part the two halves of a character beyond U+FFFF.
        if (m_bCut && m_uLen > 0 && IsLowSurrogate(m_uFirstDropped) && IsHighSurrogate(m_pBuf[m_uLen - 1]))
            --m_uLen;
        if (m_uCap > 0)
            m_pBuf[m_uLen] = 0;
        return m_uLen;
    }
    size_t Cap() const { return m_uCap; }

private:
    char16_t* m_pBuf;
    size_t m_uCap;
    size_t m_uLen = 0;
    bool m_bCut = false;
    char16_t m_uFirstDropped = 0;
};

enum class Length
{
    None,
    Char,
    Short,
    Long,
    LongLong,
    Size,
    IntMax,
    PtrDiff,
    LongDouble,
};

struct Spec
{
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alt = false;
    bool zero = false;
    int width = 0;
    int precision = -1;
    Length length = Length::None;
    bool narrow = false; // 'h' given: %hs and %hc take 8-bit text
    bool wide = false;   // 'l' or 'w' given: %lS and %lC take 16-bit text
};

// Prints one numeric conversion through snprintf in the C locale and copies the result out.
template <typename T> void PutNumber(BoundedOutput& out, const Spec& spec, char conv, const char* lengthText, T value)
{
    char format[48];
    int n = std::snprintf(format, sizeof(format), "%%%s%s%s%s%s", spec.left ? "-" : "", spec.plus ? "+" : "",
                          spec.space ? " " : "", spec.alt ? "#" : "", spec.zero ? "0" : "");
    if (spec.width > 0)
        n += std::snprintf(format + n, sizeof(format) - static_cast<size_t>(n), "%d", spec.width);
    if (spec.precision >= 0)
        n += std::snprintf(format + n, sizeof(format) - static_cast<size_t>(n), ".%d", spec.precision);
    std::snprintf(format + n, sizeof(format) - static_cast<size_t>(n), "%s%c", lengthText, conv);

    locale_t previous = ::uselocale(CLocale());
    char small[128];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int needed = std::snprintf(small, sizeof(small), format, value);
    if (needed >= 0 && static_cast<size_t>(needed) < sizeof(small))
    {
        out.PutAscii(small, static_cast<size_t>(needed));
    }
    else if (needed >= 0)
    {
        std::string big(static_cast<size_t>(needed) + 1, '\0');
        std::snprintf(big.data(), big.size(), format, value);
        out.PutAscii(big.data(), static_cast<size_t>(needed));
    }
#pragma GCC diagnostic pop
    ::uselocale(previous);
}

void PutPadded(BoundedOutput& out, const Spec& spec, const char16_t* text, size_t len)
{
    size_t width = spec.width > 0 ? static_cast<size_t>(spec.width) : 0;
    size_t pad = width > len ? width - len : 0;
    if (!spec.left)
        out.PutRepeated(u' ', pad);
    for (size_t i = 0; i < len; ++i)
        out.Put(text[i]);
    if (spec.left)
        out.PutRepeated(u' ', pad);
}

void PutWideText(BoundedOutput& out, const Spec& spec, const char16_t* text)
{
    if (!text)
        text = u"(null)";
    size_t len = 0;
    while (text[len] && (spec.precision < 0 || len < static_cast<size_t>(spec.precision)))
        ++len;
    PutPadded(out, spec, text, WholeCharacterCut(text, len));
}

void PutNarrowText(BoundedOutput& out, const Spec& spec, const char* text)
{
    if (!text)
        text = "(null)";
    size_t len = 0;
    while (text[len] && (spec.precision < 0 || len < static_cast<size_t>(spec.precision)))
        ++len;
    WString wide;
    wide.reserve(len);
    for (size_t i = 0; i < len; ++i)
        wide.push_back(AnsiUnit(static_cast<unsigned char>(text[i])));
    PutPadded(out, spec, wide.data(), wide.size());
}

template <typename Signed, typename Unsigned>
void PutInteger(BoundedOutput& out, const Spec& spec, char conv, Signed s, Unsigned u)
{
    if (conv == 'd' || conv == 'i')
        PutNumber(out, spec, conv, "ll", static_cast<long long>(s));
    else
        PutNumber(out, spec, conv, "ll", static_cast<unsigned long long>(u));
}

void FormatInteger(BoundedOutput& out, const Spec& spec, char conv, va_list& args)
{
    switch (spec.length)
    {
    case Length::Char:
    {
        int v = va_arg(args, int);
        PutInteger(out, spec, conv, static_cast<signed char>(v), static_cast<unsigned char>(v));
        break;
    }
    case Length::Short:
    {
        int v = va_arg(args, int);
        PutInteger(out, spec, conv, static_cast<short>(v), static_cast<unsigned short>(v));
        break;
    }
    case Length::Long:
    {
        long v = va_arg(args, long);
        PutInteger(out, spec, conv, v, static_cast<unsigned long>(v));
        break;
    }
    case Length::LongLong:
    {
        long long v = va_arg(args, long long);
        PutInteger(out, spec, conv, v, static_cast<unsigned long long>(v));
        break;
    }
    case Length::Size:
    {
        size_t v = va_arg(args, size_t);
        PutInteger(out, spec, conv, static_cast<std::make_signed_t<size_t>>(v), v);
        break;
    }
    case Length::IntMax:
    {
        intmax_t v = va_arg(args, intmax_t);
        PutInteger(out, spec, conv, v, static_cast<uintmax_t>(v));
        break;
    }
    case Length::PtrDiff:
    {
        ptrdiff_t v = va_arg(args, ptrdiff_t);
        PutInteger(out, spec, conv, v, static_cast<std::make_unsigned_t<ptrdiff_t>>(v));
        break;
    }
    default:
    {
        int v = va_arg(args, int);
        PutInteger(out, spec, conv, v, static_cast<unsigned int>(v));
        break;
    }
    }
}

// Width or precision digits; huge values are held to a limit past which the bounded output cannot tell.
int ReadCount(const char16_t*& p, int limit)
{
    long long n = 0;
    while (*p >= u'0' && *p <= u'9')
    {
        n = n * 10 + (*p++ - u'0');
        if (n > limit)
            n = limit;
    }
    return static_cast<int>(n);
}

} // namespace

size_t WStrLen(const char16_t* s)
{
    if (!s)
        return 0;
    size_t n = 0;
    while (s[n])
        ++n;
    return n;
}

int WStrCmp(const char16_t* a, const char16_t* b)
{
    if (!a)
        a = u"";
    if (!b)
        b = u"";
    for (;; ++a, ++b)
    {
        if (*a != *b || *a == 0)
            return static_cast<int>(*a) - static_cast<int>(*b);
    }
}

int WStrICmp(const char16_t* a, const char16_t* b)
{
    if (!a)
        a = u"";
    if (!b)
        b = u"";
    for (;; ++a, ++b)
    {
        char16_t ca = LowerUnit(*a);
        char16_t cb = LowerUnit(*b);
        if (ca != cb || ca == 0)
            return static_cast<int>(ca) - static_cast<int>(cb);
    }
}

size_t WholeCharacterCut(const char16_t* text, size_t cut)
{
    return text && cut > 0 && IsHighSurrogate(text[cut - 1]) && IsLowSurrogate(text[cut]) ? cut - 1 : cut;
}

size_t WStrCopy(char16_t* dst, size_t cap, const char16_t* src)
{
    size_t n = CopyTerminated(dst, cap, src);
    // The copy is not cut between the two halves of a character beyond U+FFFF.
    if (n > 0 && src && WholeCharacterCut(src, n) < n)
        dst[--n] = 0;
    return n;
}

size_t WStrCat(char16_t* dst, size_t cap, const char16_t* src)
{
    if (cap == 0 || !dst)
        return 0;
    size_t len = 0;
    while (len < cap && dst[len])
        ++len;
    if (len == cap)
    {
        // No terminator inside the buffer: end it at the last unit rather than run past it.
        dst[cap - 1] = 0;
        return cap - 1;
    }
    return len + WStrCopy(dst + len, cap - len, src);
}

size_t IntToWStr(int value, char16_t* dst, size_t cap)
{
    char text[16];
    auto result = std::to_chars(text, text + sizeof(text), value);
    BoundedOutput out(dst, cap);
    out.PutAscii(text, static_cast<size_t>(result.ptr - text));
    return out.Finish();
}

size_t FloatToWStr(double value, int decimals, char16_t* dst, size_t cap)
{
    if (decimals < 0)
        decimals = 6; // a negative precision reads as none given, as in printf
    if (decimals > 1000)
        decimals = 1000;
    std::string text(340 + static_cast<size_t>(decimals), '\0');
    auto result = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, decimals);
    BoundedOutput out(dst, cap);
    if (result.ec == std::errc())
        out.PutAscii(text.data(), static_cast<size_t>(result.ptr - text.data()));
    return out.Finish();
}

size_t FormatWide(char16_t* buf, size_t cap, const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    size_t n = FormatWideV(buf, cap, format, args);
    va_end(args);
    return n;
}

size_t FormatWideV(char16_t* buf, size_t cap, const char16_t* format, va_list args)
{
    if (!buf || cap == 0)
        return 0;
    BoundedOutput out(buf, cap);
    if (!format)
        return out.Finish();

    va_list ap;
    va_copy(ap, args);
    // Widths and precisions beyond this cannot change what fits in the buffer.
    const int limit = cap > 1000000 ? 1000000 + 512 : static_cast<int>(cap) + 512;

    const char16_t* p = format;
    while (*p)
    {
        if (*p != u'%')
        {
            out.Put(*p++);
            continue;
        }
        const char16_t* start = p++;
        if (*p == u'%')
        {
            out.Put(u'%');
            ++p;
            continue;
        }

        Spec spec;
        for (;; ++p)
        {
            if (*p == u'-')
                spec.left = true;
            else if (*p == u'+')
                spec.plus = true;
            else if (*p == u' ')
                spec.space = true;
            else if (*p == u'#')
                spec.alt = true;
            else if (*p == u'0')
                spec.zero = true;
            else
                break;
        }
        if (*p == u'*')
        {
            ++p;
            int w = va_arg(ap, int);
            if (w < 0)
            {
                spec.left = true;
                w = w == INT32_MIN ? limit : -w;
            }
            spec.width = w > limit ? limit : w;
        }
        else
        {
            spec.width = ReadCount(p, limit);
        }
        if (*p == u'.')
        {
            ++p;
            if (*p == u'*')
            {
                ++p;
                int prec = va_arg(ap, int);
                spec.precision = prec < 0 ? -1 : (prec > limit ? limit : prec);
            }
            else
            {
                spec.precision = ReadCount(p, limit);
            }
        }

        switch (*p)
        {
        case u'h':
            ++p;
            spec.narrow = true;
            spec.length = Length::Short;
            if (*p == u'h')
            {
                ++p;
                spec.length = Length::Char;
            }
            break;
        case u'l':
            ++p;
            spec.wide = true;
            spec.length = Length::Long;
            if (*p == u'l')
            {
                ++p;
                spec.length = Length::LongLong;
            }
            break;
        case u'w':
            ++p;
            spec.wide = true;
            break;
        case u'L':
            ++p;
            spec.length = Length::LongDouble;
            break;
        case u'z':
            ++p;
            spec.length = Length::Size;
            break;
        case u'j':
            ++p;
            spec.length = Length::IntMax;
            break;
        case u't':
            ++p;
            spec.length = Length::PtrDiff;
            break;
        case u'I':
            if (p[1] == u'6' && p[2] == u'4')
            {
                p += 3;
                spec.length = Length::LongLong;
            }
            else if (p[1] == u'3' && p[2] == u'2')
            {
                p += 3;
            }
            else
            {
                ++p;
                spec.length = Length::Size;
            }
            break;
        default:
            break;
        }

        char16_t conv = *p;
        if (conv)
            ++p;
        switch (conv)
        {
        case u'd':
        case u'i':
        case u'u':
        case u'x':
        case u'X':
        case u'o':
            FormatInteger(out, spec, static_cast<char>(conv), ap);
            break;
        case u'f':
        case u'F':
        case u'e':
        case u'E':
        case u'g':
        case u'G':
        case u'a':
        case u'A':
            if (spec.length == Length::LongDouble)
                PutNumber(out, spec, static_cast<char>(conv), "L", va_arg(ap, long double));
            else
                PutNumber(out, spec, static_cast<char>(conv), "", va_arg(ap, double));
            break;
        case u'c':
        case u'C':
        {
            int v = va_arg(ap, int);
            bool narrow = conv == u'c' ? spec.narrow : !spec.wide;
            char16_t unit = narrow ? AnsiUnit(static_cast<unsigned char>(v)) : static_cast<char16_t>(v);
            PutPadded(out, spec, &unit, 1);
            break;
        }
        case u's':
        case u'S':
        {
            bool narrow = conv == u's' ? spec.narrow : !spec.wide;
            if (narrow)
                PutNarrowText(out, spec, va_arg(ap, const char*));
            else
                PutWideText(out, spec, va_arg(ap, const char16_t*));
            break;
        }
        case u'p':
        {
            const void* ptr = va_arg(ap, const void*);
            Spec hex;
            hex.width = static_cast<int>(2 * sizeof(void*));
            hex.zero = true;
            PutNumber(out, hex, 'X', "ll", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(ptr)));
            break;
        }
        default:
            // Unknown or unsupported (%n among them): shown as written, and no argument is taken.
            while (start < p)
                out.Put(*start++);
            break;
        }
    }
    va_end(ap);
    return out.Finish();
}

size_t AnsiToWide(const char* src, char16_t* dst, size_t cap)
{
    BoundedOutput out(dst, dst ? cap : 0);
    if (src)
    {
        for (size_t i = 0; src[i] && i + 1 < out.Cap(); ++i)
            out.Put(AnsiUnit(static_cast<unsigned char>(src[i])));
    }
    return out.Finish();
}

size_t WideToAnsi(const char16_t* src, char* dst, size_t cap)
{
    if (!dst || cap == 0)
        return 0;
    size_t n = 0;
    if (src)
    {
        const char16_t* p = src;
        while (*p && n + 1 < cap)
            dst[n++] = AnsiByte(NextCodePoint(p));
    }
    dst[n] = 0;
    return n;
}

WString AnsiToWide(const char* src)
{
    WString out;
    if (src)
    {
        for (; *src; ++src)
            out.push_back(AnsiUnit(static_cast<unsigned char>(*src)));
    }
    return out;
}

std::string WideToAnsi(const char16_t* src)
{
    std::string out;
    if (src)
    {
        const char16_t* p = src;
        while (*p)
            out.push_back(AnsiByte(NextCodePoint(p)));
    }
    return out;
}

std::string WideToUtf8(const char16_t* src)
{
    std::string out;
    if (!src)
        return out;
    const char16_t* p = src;
    while (*p)
    {
        char32_t cp = NextCodePoint(p);
        if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD; // a lone surrogate has no UTF-8 form
        if (cp < 0x80)
        {
            out.push_back(static_cast<char>(cp));
        }
        else if (cp < 0x800)
        {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
        else if (cp < 0x10000)
        {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
        else
        {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

WString Utf8ToWide(const char* src)
{
    WString out;
    if (!src)
        return out;
    const auto* p = reinterpret_cast<const unsigned char*>(src);
    while (*p)
    {
        unsigned char lead = *p;
        char32_t cp;
        int extra;
        char32_t minimum;
        if (lead < 0x80)
        {
            out.push_back(lead);
            ++p;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF)
        {
            cp = lead & 0x1F;
            extra = 1;
            minimum = 0x80;
        }
        else if (lead >= 0xE0 && lead <= 0xEF)
        {
            cp = lead & 0x0F;
            extra = 2;
            minimum = 0x800;
        }
        else if (lead >= 0xF0 && lead <= 0xF4)
        {
            cp = lead & 0x07;
            extra = 3;
            minimum = 0x10000;
        }
        else
        {
            out.push_back(0xFFFD); // a stray continuation byte or an impossible lead byte
            ++p;
            continue;
        }
        int taken = 0;
        while (taken < extra && (p[1 + taken] & 0xC0) == 0x80)
        {
            cp = (cp << 6) | (p[1 + taken] & 0x3F);
            ++taken;
        }
        if (taken < extra || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        {
            // A cut, overlong or out-of-range sequence: one replacement, then go on after what was read.
            out.push_back(0xFFFD);
            p += 1 + taken;
            continue;
        }
        p += 1 + extra;
        if (cp >= 0x10000)
        {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        }
        else
        {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

} // namespace platform
