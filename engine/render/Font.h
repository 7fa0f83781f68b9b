// A game font: its glyph texture, glyph rectangles and kerning pairs, read from "Data\Fonts\".
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// A glyph's rectangle in the font texture, in texels.
struct GlyphRect
{
    uint16_t m_uLeft = 0;
    uint16_t m_uTop = 0;
    uint16_t m_uRight = 0;
    uint16_t m_uBottom = 0;
};

class Font
{
public:
    static constexpr int kGlyphCount = 256;
    // Bytes of the texture-coordinate file that are read: height, second value, 256 rectangles.
    static constexpr size_t kTexCoordSize = 2056;
    // Bytes of the kerning file that are read.
    static constexpr size_t kKerningSize = 65536;
    // A larger height in the texture-coordinate file is taken as this.
    static constexpr uint32_t kMaxHeight = 65535;
    // Characters beyond the tables are drawn and measured as this one.
    static constexpr char16_t kReplacement = u'?';

    // Reads "Data\Fonts\<name>TexCoord.Dat", loads "Data\Fonts\<name>.tga" and reads "Data\Fonts\<name>.Dat". A
    // missing table is reported and left zero; a short one is taken as far as it goes (the rest zero).
    explicit Font(const char* name);
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    int32_t GetTexture() const { return m_iTexture; }
    // Width in texels of the font texture (0 when it did not load); it serves both texture directions.
    int GetTextureWidth() const { return m_iTextureWidth; }
    uint32_t GetHeight() const { return m_uHeight; }
    uint32_t GetSecondValue() const { return m_uSecondValue; }

    const GlyphRect& GetRect(char16_t c) const { return m_rects[Code(c)]; }
    // right - left of the character's rectangle (0 for a rectangle whose right lies left of its left).
    int GetGlyphWidth(char16_t c) const;
    // The kerning offset after a when b follows: the byte at a x 255 + b.
    int GetKerning(char16_t a, char16_t b) const { return m_pKerning[Code(a) * 255 + Code(b)]; }
    // The pen advance of a followed by b (0: the end of the text, no kerning), kept within 0 to 65535.
    int GetAdvance(char16_t a, char16_t b) const;

    // The table code of a character: itself up to U+00FF, else the replacement.
    static uint8_t Code(char16_t c) { return static_cast<uint8_t>(c <= 0xFF ? c : kReplacement); }

private:
    int32_t m_iTexture = 0;
    int m_iTextureWidth = 0;
    GlyphRect m_rects[kGlyphCount];
    std::unique_ptr<int8_t[]> m_pKerning;
    uint32_t m_uHeight = 0;
    uint32_t m_uSecondValue = 0;
};
