// The game's text writer: 16-bit texts in one font inside a rectangle, wrapped, aligned, measured and shortened.
#pragma once

#include "platform/WideText.h"

#include <cstddef>
#include <cstdint>

class Font;

class TextWriter
{
public:
    static constexpr int kAlignLeft = 0;
    static constexpr int kAlignRight = 1;
    static constexpr int kAlignCentre = 2;
    // The forced line break of DrawText.
    static constexpr char16_t kBreak = u'~';

    // The font is not owned; a null font draws nothing and measures 0.
    explicit TextWriter(Font* font) : m_pFont(font) {}

    void SetRect(int x, int y, int width, int height);
    void SetColour(uint32_t colour) { m_uColour = colour; }
    void SetAlignment(int alignment) { m_iAlignment = alignment; }

    // Sum of the glyph advances (kerning with the next character); 0 for an empty text.
    int GetTextWidth(const char16_t* text) const;
    // One line, no wrapping, at (x, y) relative to the rectangle, aligned in its width and clipped to it.
    void DrawLine(int x, int y, const char16_t* text);
    // The text wrapped at spaces to the rectangle's width, '~' forcing a break, lines 2 + 1.2 x font height
    // apart, stopping at the rectangle's bottom; a rectangle lower than 2.2 font heights gets one line.
    void DrawText(int x, int y, const char16_t* text);
    // DrawText at (0, 0) as a text run anchored at a world point, in the writer's colour.
    void DrawText3D(float x, float y, float z, const char16_t* text);
    // Lines the text takes wrapped at that width, every line starting at the indent ('~' is no break here unless
    // `breaks` is set, as DrawText breaks there).
    int CountLines(const char16_t* text, int width, int indent, bool breaks = false) const;
    // The widest line of that wrap, the indent included.
    int GetWrappedWidth(const char16_t* text, int width, int indent, bool breaks = false) const;
    // Shortens the text in place (a buffer of `capacity` units) until it fits the width, cutting characters and
    // ending it with "..."; never below "..." alone. Returns the final width.
    int TruncateToWidth(char16_t* text, size_t capacity, int width) const;
    int TruncateToWidth(platform::WString& text, int width) const;

    int GetX() const { return m_iX; }
    int GetY() const { return m_iY; }
    int GetWidth() const { return m_iWidth; }
    int GetHeight() const { return m_iHeight; }
    uint32_t GetColour() const { return m_uColour; }
    int GetAlignment() const { return m_iAlignment; }
    Font* GetFont() const { return m_pFont; }

private:
    // The width of `length` characters taken as a text of their own (the last has no kerning).
    int RangeWidth(const char16_t* text, int length) const;
    void DrawRange(int x, int y, const char16_t* text, int length);
    // Walks the wrap from pen x `start` within `width`, calling line(start, length) for every line; line returns
    // false to stop. With breaks, '~' forces a break. Returns the number of breaks.
    template <typename LineFn> int Wrap(const char16_t* text, int start, int width, bool breaks, LineFn line) const;

    int m_iX = 0;
    int m_iY = 0;
    int m_iWidth = 800;
    int m_iHeight = 600;
    uint32_t m_uColour = 0xFFFFFFFF;
    int m_iAlignment = kAlignLeft;
    Font* m_pFont = nullptr;
};
