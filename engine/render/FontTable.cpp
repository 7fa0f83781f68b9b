// The text service's font tables: reading ".ttb" files, wrapping lines, measuring and drawing glyph quads.
#include "engine/render/FontTable.h"

#include "engine/render/GraphicsManager.h"

#include <algorithm>

namespace
{

constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kSpace = 0x20;
constexpr uint8_t kDelete = 0x7F;
constexpr float kTexelNudge = 1.0f / 512.0f;
// The material of text quads.
constexpr int32_t kTextMaterial = 1;

int32_t ReadInt32(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

uint16_t ReadUInt16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

bool HeaderValueFits(int32_t value)
{
    return value >= -FontTable::kMaxHeaderValue && value <= FontTable::kMaxHeaderValue;
}

} // namespace

bool FontTable::Parse(const uint8_t* data, size_t size)
{
    if (!data || size < kFileSize)
        return false;
    // The second block's header is the one the font keeps.
    const uint8_t* header = data + kBlockHeaderSize + kGlyphsPerBlock * kGlyphRecordSize;
    int32_t values[5];
    for (int i = 0; i < 5; ++i)
    {
        values[i] = ReadInt32(header + 4 * i);
        if (!HeaderValueFits(values[i]))
            return false;
    }
    if (values[0] <= 0 || values[1] <= 0)
        return false;
    m_iTextureWidth = values[0];
    m_iTextureHeight = values[1];
    m_iDescent = values[2];
    m_iBaseline = values[3];
    m_iLineAdvance = values[4];
    for (int block = 0; block < 2; ++block)
    {
        const uint8_t* record =
            data + block * (kBlockHeaderSize + kGlyphsPerBlock * kGlyphRecordSize) + kBlockHeaderSize;
        for (int i = 0; i < kGlyphsPerBlock; ++i, record += kGlyphRecordSize)
        {
            FontGlyph& g = m_glyphs[block * kGlyphsPerBlock + i];
            g.m_uFirst = ReadUInt16(record);
            g.m_uX = ReadUInt16(record + 2);
            g.m_uY = ReadUInt16(record + 4);
            g.m_uWidth = ReadUInt16(record + 6);
            g.m_uHeight = ReadUInt16(record + 8);
            g.m_uOffset = ReadUInt16(record + 10);
        }
    }
    return true;
}

bool FontTable::NextLine(const uint8_t* text, int* pPos, int width, int alignment, FontLine* pLine) const
{
    int pos = *pPos;
    if (!text || text[pos] == 0)
        return false;
    FontLine line;
    line.iStart = pos;
    int count = 0;
    int sum = 0;
    bool overflow = false;
    for (;;)
    {
        const uint8_t c = text[pos];
        if (c == 0)
        {
            line.end = FontLineEnd::Text;
            break;
        }
        if (c == kLineFeed && alignment != 2)
        {
            ++pos;
            line.end = FontLineEnd::LineFeed;
            break;
        }
        // A full line buffer ends the line as an over-wide one would.
        if (count == kMaxLineLength)
        {
            overflow = true;
            break;
        }
        sum += GlyphWidth(c);
        ++count;
        ++pos;
        if (width != -1 && sum > width)
        {
            overflow = true;
            break;
        }
    }
    line.iLength = count;
    line.iWidth = sum;
    if (overflow)
    {
        line.end = FontLineEnd::Overflow;
        // The last space ends the line; what follows it is read again for the next line.
        for (int k = count - 1; k >= 0; --k)
        {
            if (text[line.iStart + k] == kSpace)
            {
                line.iLength = k;
                pos = line.iStart + k + 1;
                line.iWidth = 0;
                for (int i = 0; i < k; ++i)
                    line.iWidth += GlyphWidth(text[line.iStart + i]);
                break;
            }
        }
    }
    *pPos = pos;
    *pLine = line;
    return true;
}

float FontTable::DrawRun(float x, float y, const uint8_t* text, int length, bool lineFeeds, uint32_t colour, int stopAt,
                         FontCaret* pCaret) const
{
    float penX = x;
    float penY = y;
    int i = 0;
    for (; text && i < length && text[i] != 0; ++i)
    {
        if (stopAt >= 0 && i == stopAt)
            break;
        const uint8_t c = text[i];
        if (lineFeeds && c == kLineFeed)
        {
            penX = x;
            penY += static_cast<float>(m_iLineAdvance);
            continue;
        }
        const FontGlyph& g = m_glyphs[c];
        int boxWidth = g.m_uWidth;
        int boxHeight = g.m_uHeight;
        if (boxWidth > kMaxGlyphBox || boxHeight > kMaxGlyphBox)
        {
            boxWidth = m_glyphs[kSpace].m_uWidth;
            boxHeight = m_glyphs[kSpace].m_uHeight;
        }
        if (c == kDelete)
        {
            penX += static_cast<float>(g.m_uWidth);
            continue;
        }
        const float left = penX;
        const float top = penY + static_cast<float>(g.m_uOffset) - static_cast<float>(m_iBaseline) - 1.0f;
        const float texWidth = static_cast<float>(m_iTextureWidth);
        const float texHeight = static_cast<float>(m_iTextureHeight);
        const float u0 = g.m_uX / texWidth + kTexelNudge;
        const float v0 = g.m_uY / texHeight + kTexelNudge;
        const float u1 = (g.m_uX + g.m_uWidth) / texWidth + kTexelNudge;
        const float v1 = (g.m_uY + g.m_uHeight) / texHeight + kTexelNudge;
        const int32_t texture = m_aiTexture[c >= 128 ? kLatin1Supplement : kBasicLatin];
        g_GraphicsManager.DrawTexturedRect(left, top, left + boxWidth, top + boxHeight, u0, v0, u1, v1, colour, texture,
                                           kTextMaterial);
        penX += static_cast<float>(boxWidth);
    }
    if (pCaret)
    {
        // The caret stands at the character where drawing stopped (the terminator's glyph past the end).
        const uint8_t c = (text && i < length) ? text[i] : 0;
        const FontGlyph& g = m_glyphs[c];
        const float top = penY + static_cast<float>(g.m_uOffset) - static_cast<float>(m_iBaseline) - 1.0f;
        pCaret->fX = penX - static_cast<float>(g.m_uWidth);
        pCaret->fY = top - static_cast<float>(m_iLineAdvance);
        pCaret->fWidth = static_cast<float>(g.m_uWidth);
        pCaret->fHeight = static_cast<float>(m_iLineAdvance);
    }
    return penX;
}

void FontTable::Measure(const uint8_t* text, int* pWidth, int* pHeight) const
{
    int widest = 0;
    int line = 0;
    int tallest = 0;
    for (const uint8_t* p = text; p && *p; ++p)
    {
        if (*p == kLineFeed)
        {
            line = 0;
            continue;
        }
        line += GlyphWidth(*p);
        widest = std::max(widest, line);
        tallest = std::max(tallest, m_glyphs[*p].m_uHeight + m_iBaseline);
    }
    if (pWidth)
        *pWidth = widest;
    if (pHeight)
        *pHeight = tallest - m_iBaseline;
}
