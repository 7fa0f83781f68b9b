// The game's text writer: wrapping at spaces and '~', alignment, clipping to the rectangle, measuring, truncation.
#include "engine/render/TextWriter.h"

#include "engine/render/Font.h"
#include "engine/render/GraphicsManager.h"

#include <algorithm>
#include <string>
#include <vector>

namespace
{

constexpr float kTexelNudge = 1.0f / 512.0f;
// The material of text quads.
constexpr int32_t kTextMaterial = 1;
constexpr char16_t kSpace = u' ';
constexpr char16_t kEllipsis[] = u"...";

int TextLength(const char16_t* text)
{
    return text ? static_cast<int>(platform::WStrLen(text)) : 0;
}

bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Units the character at i takes within the first `length` units: two for a surrogate pair, else one. A character
// beyond U+FFFF is one character beyond the font's tables, drawn and measured once.
int CharUnits(const char16_t* text, int i, int length)
{
    return i + 1 < length && IsHighSurrogate(text[i]) && IsLowSurrogate(text[i + 1]) ? 2 : 1;
}

// Whether the unit at i is the second half of a surrogate pair.
bool ContinuesPair(const char16_t* text, int i)
{
    return i > 0 && IsLowSurrogate(text[i]) && IsHighSurrogate(text[i - 1]);
}

} // namespace

void TextWriter::SetRect(int x, int y, int width, int height)
{
    m_iX = x;
    m_iY = y;
    m_iWidth = width;
    m_iHeight = height;
}

int TextWriter::RangeWidth(const char16_t* text, int length) const
{
    if (!m_pFont)
        return 0;
    int width = 0;
    for (int i = 0, units = 1; i < length; i += units)
    {
        units = CharUnits(text, i, length);
        width += m_pFont->GetAdvance(text[i], i + units < length ? text[i + units] : 0);
    }
    return width;
}

int TextWriter::GetTextWidth(const char16_t* text) const
{
    return RangeWidth(text, TextLength(text));
}

void TextWriter::DrawLine(int x, int y, const char16_t* text)
{
    DrawRange(x, y, text, TextLength(text));
}

void TextWriter::DrawRange(int x, int y, const char16_t* text, int length)
{
    if (!m_pFont || !text || length <= 0)
        return;
    const Font& font = *m_pFont;
    const int textWidth = RangeWidth(text, length);
    if (m_iAlignment == kAlignRight)
        x += m_iWidth - textWidth;
    else if (m_iAlignment == kAlignCentre)
        x += (m_iWidth - textWidth) / 2; // signed: an over-wide line overhangs both edges alike
    const float texWidth = static_cast<float>(font.GetTextureWidth());
    const int rectRight = m_iX + m_iWidth;
    const int rectBottom = m_iY + m_iHeight;
    for (int i = 0, units = 1; i < length; i += units)
    {
        units = CharUnits(text, i, length);
        const char16_t c = text[i];
        const GlyphRect& rect = font.GetRect(c);
        int l = rect.m_uLeft;
        int r = l + font.GetGlyphWidth(c);
        int t = rect.m_uTop;
        int b = std::max<int>(rect.m_uBottom, t);
        int sx = m_iX + x;
        int sy = m_iY + y;
        x += font.GetAdvance(c, i + units < length ? text[i + units] : 0);
        if (texWidth <= 0.0f || sx > rectRight || sy > rectBottom || sx + (r - l) < m_iX || sy + (b - t) < m_iY)
            continue;
        if (sx < m_iX)
        {
            l += m_iX - sx;
            sx = m_iX;
        }
        if (sx + (r - l) > rectRight)
            r = l + (rectRight - sx);
        if (sy < m_iY)
        {
            t += m_iY - sy;
            sy = m_iY;
        }
        if (sy + (b - t) > rectBottom)
            b = t + (rectBottom - sy);
        g_GraphicsManager.DrawTexturedRect(
            static_cast<float>(sx), static_cast<float>(sy), static_cast<float>(sx + (r - l)),
            static_cast<float>(sy + (b - t)) - 1.0f, l / texWidth + kTexelNudge, t / texWidth + kTexelNudge,
            r / texWidth + kTexelNudge, (b - 1) / texWidth + kTexelNudge, m_uColour, font.GetTexture(), kTextMaterial);
    }
}

template <typename LineFn>
int TextWriter::Wrap(const char16_t* text, int start, int width, bool breaks, LineFn line) const
{
    int pen = start;
    int penAtWord = start;
    int lineStart = 0;
    int wordStart = 0;
    int breakCount = 0;
    int i = 0;
    for (; text[i] != 0; ++i)
    {
        // The second half of a pair was measured with the first.
        if (ContinuesPair(text, i))
            continue;
        const char16_t c = text[i];
        if (breaks && c == kBreak && i != lineStart)
        {
            ++breakCount;
            if (!line(lineStart, i - lineStart))
                return breakCount;
            lineStart = wordStart = i + 1;
            pen = penAtWord = start;
            continue;
        }
        if (c != kSpace && i > 0 && text[i - 1] == kSpace)
        {
            wordStart = i;
            penAtWord = pen;
        }
        const int advance = m_pFont->GetAdvance(c, text[i + CharUnits(text, i, i + 2)]);
        // A word longer than the line is not broken, and a space needs no room: where a line breaks, its spaces
        // are left out.
        if (pen + advance <= width || wordStart == lineStart || c == kSpace)
        {
            pen += advance;
            continue;
        }
        // The line ends before the current word, less the spaces in front of it.
        int lineEnd = wordStart;
        while (lineEnd > lineStart && text[lineEnd - 1] == kSpace)
            --lineEnd;
        ++breakCount;
        if (!line(lineStart, lineEnd - lineStart))
            return breakCount;
        pen = start + (pen - penAtWord) + advance;
        penAtWord = start;
        lineStart = wordStart;
    }
    line(lineStart, i - lineStart);
    return breakCount;
}

void TextWriter::DrawText(int x, int y, const char16_t* text)
{
    if (!m_pFont || !text)
        return;
    const int height = static_cast<int>(m_pFont->GetHeight());
    const int extra = height * 12 / 10; // floor(1.2 x height)
    if (height + extra > m_iHeight || text[0] == 0)
    {
        DrawLine(x, y, text);
        return;
    }
    const int step = 2 + extra;
    int lineY = y;
    Wrap(text, x, m_iWidth, true,
         [&](int start, int length)
         {
             DrawRange(x, lineY, text + start, length);
             lineY += step;
             return height + lineY <= m_iHeight;
         });
}

void TextWriter::DrawText3D(float x, float y, float z, const char16_t* text)
{
    if (!m_pFont)
        return;
    g_GraphicsManager.BeginTextQueue(platform::Vec3{x, y, z}, m_uColour, m_pFont->GetTexture());
    DrawText(0, 0, text);
    g_GraphicsManager.EndTextQueue();
}

int TextWriter::CountLines(const char16_t* text, int width, int indent, bool breaks) const
{
    if (!m_pFont || !text)
        return 1;
    return Wrap(text, indent, width, breaks, [](int, int) { return true; }) + 1;
}

int TextWriter::GetWrappedWidth(const char16_t* text, int width, int indent, bool breaks) const
{
    if (!m_pFont || !text)
        return 0;
    int widest = 0;
    Wrap(text, indent, width, breaks,
         [&](int start, int length)
         {
             widest = std::max(widest, indent + RangeWidth(text + start, length));
             return true;
         });
    return widest;
}

int TextWriter::TruncateToWidth(char16_t* text, size_t capacity, int width) const
{
    if (!text || capacity == 0)
        return 0;
    int textWidth = GetTextWidth(text);
    if (textWidth <= width)
        return textWidth;
    constexpr int kEllipsisLength = 3;
    if (capacity < kEllipsisLength + 1)
    {
        text[0] = 0;
        return 0;
    }
    // The longest cut that fits, the first dropping the last two characters; "..." alone is the end. Widths grow
    // with the characters kept, so the cut is found by halving rather than one character at a time.
    int longest = TextLength(text);
    for (int dropped = 0; dropped < 2 && longest > 0; ++dropped)
        longest -= ContinuesPair(text, longest - 1) ? 2 : 1;
    longest = std::min(longest, static_cast<int>(capacity) - kEllipsisLength - 1);
    std::u16string probe;
    auto fits = [&](int cut)
    {
        probe.assign(text, static_cast<size_t>(cut));
        probe += kEllipsis;
        return GetTextWidth(probe.c_str()) <= width;
    };
    int best = 0;
    for (int low = 1, high = longest; low <= high;)
    {
        const int middle = low + (high - low) / 2;
        if (fits(middle))
            best = middle, low = middle + 1;
        else
            high = middle - 1;
    }
    // A cut never parts the two halves of a character.
    if (ContinuesPair(text, best))
        --best;
    platform::WStrCopy(text + best, kEllipsisLength + 1, kEllipsis);
    return GetTextWidth(text);
}

int TextWriter::TruncateToWidth(platform::WString& text, int width) const
{
    std::vector<char16_t> buffer(text.begin(), text.end());
    buffer.resize(text.size() + 4, 0);
    const int result = TruncateToWidth(buffer.data(), buffer.size(), width);
    text = buffer.data();
    return result;
}
