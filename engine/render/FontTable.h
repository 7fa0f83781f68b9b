// The text service's bitmap fonts: the ".ttb" table of 256 glyphs on two textures, line wrapping and glyph drawing.
#pragma once

#include "engine/core/TextFonts.h"

#include <cstddef>
#include <cstdint>

// One glyph of a font table: its rectangle in its texture and the vertical offset of its quad.
struct FontGlyph
{
    uint16_t m_uFirst = 0; // not used
    uint16_t m_uX = 0;
    uint16_t m_uY = 0;
    uint16_t m_uWidth = 0;
    uint16_t m_uHeight = 0;
    uint16_t m_uOffset = 0;
};

// Where a wrapped line ends.
enum class FontLineEnd
{
    LineFeed, // at a line feed (not part of the line)
    Overflow, // the width (or the line buffer) was exceeded
    Text,     // the end of the text: what was left over
};

// One wrapped line: a range of the text.
struct FontLine
{
    int iStart = 0;
    int iLength = 0;
    int iWidth = 0; // sum of the glyph widths of the line's characters
    FontLineEnd end = FontLineEnd::Text;
};

struct FontTable
{
    static constexpr size_t kFileSize = 3112;
    static constexpr size_t kBlockHeaderSize = 20;
    static constexpr size_t kGlyphRecordSize = 12;
    static constexpr int kGlyphCount = 256;
    static constexpr int kGlyphsPerBlock = 128;
    // Characters collected for one line before it is ended anyway (the line buffer's room less its terminator).
    static constexpr int kMaxLineLength = 1023;
    // A glyph wider or higher than this is drawn in the box of the space glyph.
    static constexpr int kMaxGlyphBox = 30;
    // Header values beyond this size cannot describe a font: such a table is refused.
    static constexpr int32_t kMaxHeaderValue = 65536;
    static constexpr int kBasicLatin = 0;
    static constexpr int kLatin1Supplement = 1;

    // The header of the second block (the one a font keeps).
    int32_t m_iTextureWidth = 0;
    int32_t m_iTextureHeight = 0;
    int32_t m_iDescent = 0;
    int32_t m_iBaseline = 0;
    int32_t m_iLineAdvance = 0;
    // Texture slots of the "Basic Latin" (0 to 127) and "Latin-1 Supplement" (128 to 255) textures.
    int32_t m_aiTexture[2] = {};
    FontGlyph m_glyphs[kGlyphCount];

    // Reads the bytes of a ".ttb" file. False (the table left as it was) when the data is shorter than a table or
    // its header has a texture side that is not positive or a value beyond kMaxHeaderValue.
    bool Parse(const uint8_t* data, size_t size);

    const FontGlyph& Glyph(uint8_t c) const { return m_glyphs[c]; }
    int GlyphWidth(uint8_t c) const { return m_glyphs[c].m_uWidth; }
    // Line step of a wrapped text: 2 x line advance - baseline - descent.
    int LineStep() const { return 2 * m_iLineAdvance - m_iBaseline - m_iDescent; }

    // The next wrapped line of the text from *pPos, which moves past it (and past the space or line feed that
    // ended it). Width -1 is no limit. Alignment 2 keeps line feeds as ordinary characters; the others end a
    // line there. False when the text is used up.
    bool NextLine(const uint8_t* text, int* pPos, int width, int alignment, FontLine* pLine) const;

    // Draws `length` characters (up to a terminator) as one textured quad each, pen from (x, y), in the colour.
    // With lineFeeds a line feed moves the pen to the start of the next line; without it it is a glyph. With
    // stopAt >= 0 drawing stops before the character at that index and the caret is reported there.
    // Returns the pen x after the last character drawn.
    float DrawRun(float x, float y, const uint8_t* text, int length, bool lineFeeds, uint32_t colour, int stopAt,
                  FontCaret* pCaret) const;

    // The width of the widest line (split at line feeds) and the height of the text, as the service measures.
    void Measure(const uint8_t* text, int* pWidth, int* pHeight) const;
};
