// Fuzz target: a game font's texture-coordinate and kerning files (the input split between them), and the glyph
// widths and advances the text writer asks for.
#include "engine/render/Font.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    // The first byte says how much of the rest is the coordinate file (in 16-byte steps, so a whole one fits).
    const size_t split = size > 0 ? std::min<size_t>(size - 1, static_cast<size_t>(data[0]) * 16) : 0;
    fuzzsupport::WriteFile("Data\\Fonts\\FuzzTexCoord.Dat", data + (size > 0), split);
    fuzzsupport::WriteFile("Data\\Fonts\\Fuzz.Dat", data + (size > 0) + split, size > 0 ? size - 1 - split : 0);
    Font font("Fuzz");
    font.GetHeight();
    for (int a = 0; a < 300; a += 7)
        for (int b = 0; b < 300; b += 11)
            font.GetAdvance(static_cast<char16_t>(a), static_cast<char16_t>(b));
    font.GetAdvance(0xFFFF, 0xFFFE);
    for (int c = 0; c < 256; ++c)
        font.GetGlyphWidth(static_cast<char16_t>(c));
    return 0;
}
