// The text service's fonts: loading ".ttb" tables with their textures, wrapped and aligned drawing, measuring.
#include "engine/render/TextFontSet.h"

#include "engine/core/Logger.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/TextureManager.h"
#include "platform/Paths.h"
#include "platform/Strings.h"

#include <cstdio>
#include <string>
#include <vector>

namespace
{

const uint8_t* Bytes(const char* text)
{
    return reinterpret_cast<const uint8_t*>(text);
}

} // namespace

const FontTable* TextFontSet::GetFontTable(int font) const
{
    return font >= 0 && font < m_iFontCount ? &m_fonts[font] : nullptr;
}

bool TextFontSet::LoadFont(const char* baseName)
{
    if (!baseName)
        return false;
    if (m_iFontCount >= kMaxFonts)
    {
        GetLogger()->Report(1, "LoadFont : no room for a further font (%s)", baseName);
        return false;
    }
    const std::string fileName = platform::Format("%s.ttb", baseName);
    FILE* file = platform::OpenFile(fileName, "rb");
    if (!file)
        return false;
    std::vector<uint8_t> data(FontTable::kFileSize);
    const size_t got = std::fread(data.data(), 1, data.size(), file);
    std::fclose(file);
    FontTable& table = m_fonts[m_iFontCount];
    if (!table.Parse(data.data(), got))
    {
        GetLogger()->Report(1, "LoadFont : %s is not a font table", fileName.c_str());
        return false;
    }
    table.m_aiTexture[FontTable::kBasicLatin] = static_cast<int32_t>(
        g_TextureManager.Load(platform::Format("%s_Basic Latin_Texture.tga", baseName).c_str(), false, false));
    table.m_aiTexture[FontTable::kLatin1Supplement] = static_cast<int32_t>(
        g_TextureManager.Load(platform::Format("%s_Latin-1 Supplement_Texture.tga", baseName).c_str(), false, false));
    ++m_iFontCount;
    return true;
}

void TextFontSet::DrawText(int font, uint32_t colour, float x, float y, int width, int alignment, const char* text,
                           bool oneLine, int budget, FontCaret* pCaret)
{
    const FontTable* table = GetFontTable(font);
    if (!table || !text)
        return;
    const uint8_t* s = Bytes(text);
    int pos = 0;
    FontLine line;
    while (table->NextLine(s, &pos, width, alignment, &line))
    {
        float lineX = x;
        if (alignment == 1)
            lineX = x - static_cast<float>(line.iWidth / 2) + static_cast<float>(width / 2);
        else if (alignment == 2)
            lineX = x - static_cast<float>(line.iWidth) + static_cast<float>(width);
        if (budget >= 0 && budget <= line.iLength)
        {
            // The line in which the budget runs out is the last one drawn.
            table->DrawRun(lineX, y, s + line.iStart, line.iLength, false, colour, budget, pCaret);
            return;
        }
        table->DrawRun(lineX, y, s + line.iStart, line.iLength, false, colour, -1, nullptr);
        if (budget >= 0)
            budget -= line.iLength;
        if (line.end == FontLineEnd::Text)
            return;
        y += static_cast<float>(table->LineStep());
        // Without a width, alignments 0 and 1 draw only up to the first line feed.
        if (oneLine || (alignment != 2 && width == -1))
            return;
    }
}

void TextFontSet::DrawString(int font, uint32_t colour, float x, float y, const char* text, int stopAt,
                             FontCaret* pCaret)
{
    if (const FontTable* table = GetFontTable(font))
        table->DrawRun(x, y, Bytes(text), INT32_MAX, true, colour, stopAt, pCaret);
}

void TextFontSet::DrawText3D(int font, uint32_t colour, float x, float y, float z, int width, int alignment,
                             const char* text, bool oneLine)
{
    const FontTable* table = GetFontTable(font);
    if (!table)
        return;
    g_GraphicsManager.BeginTextQueue(platform::Vec3{x, y, z}, colour, table->m_aiTexture[FontTable::kBasicLatin]);
    DrawText(font, colour, 0.0f, 0.0f, width, alignment, text, oneLine, -1, nullptr);
    g_GraphicsManager.EndTextQueue();
}

int TextFontSet::MeasureTextHeight(const char* text, int font, int width, int mode, int* pHeight)
{
    const FontTable* table = GetFontTable(font);
    if (mode < 0 || mode > 2 || !table || !text)
    {
        if (pHeight)
            *pHeight = 0;
        return 0;
    }
    const uint8_t* s = Bytes(text);
    int pos = 0;
    int lines = 0;
    bool leftOver = false;
    FontLine line;
    while (table->NextLine(s, &pos, width, mode, &line))
    {
        if (line.end == FontLineEnd::LineFeed && width == -1)
            return -1;
        if (line.end == FontLineEnd::Text)
        {
            leftOver = line.iLength > 0;
            break;
        }
        ++lines;
    }
    const int height = lines * table->LineStep() + (leftOver ? table->m_iLineAdvance : 0);
    if (pHeight)
        *pHeight = height;
    return height;
}

void TextFontSet::MeasureText(const char* text, int font, int* pWidth, int* pHeight)
{
    if (const FontTable* table = GetFontTable(font))
    {
        table->Measure(Bytes(text), pWidth, pHeight);
        return;
    }
    if (pWidth)
        *pWidth = 0;
    if (pHeight)
        *pHeight = 0;
}

int TextFontSet::GetFontHeight(int font)
{
    const FontTable* table = GetFontTable(font);
    return table ? table->Glyph('I').m_uHeight : 0;
}

int TextFontSet::GetGlyphWidth(int font, int character)
{
    const FontTable* table = GetFontTable(font);
    return table ? table->GlyphWidth(static_cast<uint8_t>(character & 0xFF)) : 0;
}
