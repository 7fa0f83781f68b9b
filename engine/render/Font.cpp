// A game font: reading its texture-coordinate and kerning tables and loading its glyph texture.
#include "engine/render/Font.h"

#include "engine/core/FileSystem.h"
#include "engine/core/Logger.h"
#include "engine/render/TextureManager.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace
{

const char* const kFontFolder = "Data\\Fonts\\";

uint32_t ReadUInt32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

uint16_t ReadUInt16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// Copies the first `cap` bytes of the file into out (zero beyond what the file holds). False when the file
// cannot be read; a file shorter than cap is reported at level 1.
bool ReadFontFile(const std::string& path, uint8_t* out, size_t cap)
{
    uint32_t size = 0;
    char* data = GetFileSystem()->LoadFileSized(path.c_str(), &size);
    if (!data)
        return false;
    const size_t used = std::min<size_t>(size, cap);
    std::memcpy(out, data, used);
    delete[] data;
    if (used < cap)
        GetLogger()->Report(1, "Font::Font - %s holds %u of %u bytes", path.c_str(), static_cast<unsigned>(used),
                            static_cast<unsigned>(cap));
    return true;
}

} // namespace

Font::Font(const char* name) : m_pKerning(new int8_t[kKerningSize]())
{
    const std::string base = std::string(kFontFolder) + (name ? name : "");

    uint8_t table[kTexCoordSize] = {};
    if (ReadFontFile(base + "TexCoord.Dat", table, sizeof(table)))
    {
        m_uHeight = std::min(ReadUInt32(table), kMaxHeight);
        m_uSecondValue = ReadUInt32(table + 4);
        for (int i = 0; i < kGlyphCount; ++i)
        {
            const uint8_t* p = table + 8 + i * 8;
            m_rects[i] = {ReadUInt16(p), ReadUInt16(p + 2), ReadUInt16(p + 4), ReadUInt16(p + 6)};
        }
    }
    else
    {
        GetLogger()->Report(0, "Font::Font - could not find TexCoord file %s", name ? name : "");
    }

    m_iTexture = static_cast<int32_t>(g_TextureManager.Load((base + ".tga").c_str(), false, false));
    if (const TextureSlot* slot = g_TextureManager.GetSlot(static_cast<uint32_t>(m_iTexture)))
        m_iTextureWidth = slot->m_uWidth;

    if (!ReadFontFile(base + ".Dat", reinterpret_cast<uint8_t*>(m_pKerning.get()), kKerningSize))
        GetLogger()->Report(0, "Font::Font - could not find Kerning file %s", name ? name : "");
}

int Font::GetGlyphWidth(char16_t c) const
{
    const GlyphRect& r = GetRect(c);
    return r.m_uRight > r.m_uLeft ? r.m_uRight - r.m_uLeft : 0;
}

int Font::GetAdvance(char16_t a, char16_t b) const
{
    const int advance = GetGlyphWidth(a) + (b != 0 ? GetKerning(a, b) : 0);
    return std::clamp(advance, 0, 65535);
}
