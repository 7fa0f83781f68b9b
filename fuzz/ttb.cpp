// Fuzz target: ".ttb" font tables loaded as the text service loads a font, and the text after the table's bytes
// wrapped, measured and drawn with it.
#include "engine/render/FontTable.h"
#include "engine/render/TextFontSet.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    const size_t tableBytes = std::min(size, FontTable::kFileSize);
    fuzzsupport::WriteFile("font.ttb", data, tableBytes);
    std::string text(reinterpret_cast<const char*>(data) + tableBytes, size - tableBytes);
    text.erase(std::find(text.begin(), text.end(), '\0'), text.end());

    TextFontSet fonts;
    if (!fonts.LoadFont("font"))
        return 0;
    const FontTable* table = fonts.GetFontTable(0);
    if (!table)
        __builtin_trap();
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.c_str());
    for (int width : {-1, 0, 1, 40, 300})
        for (int alignment = 0; alignment < 3; ++alignment)
        {
            int pos = 0;
            FontLine line;
            int lines = 0;
            while (table->NextLine(bytes, &pos, width, alignment, &line))
            {
                if (pos < 0 || static_cast<size_t>(pos) > text.size() || line.iStart < 0 || line.iLength < 0 ||
                    static_cast<size_t>(line.iStart) + line.iLength > text.size())
                    __builtin_trap(); // a line outside the text
                if (++lines > static_cast<int>(text.size()) + 1)
                    __builtin_trap(); // wrapping does not move on
            }
            int height = 0;
            fonts.MeasureTextHeight(text.c_str(), 0, width, alignment, &height);
            fonts.DrawText(0, 0xFFFFFFFF, 10.0f, 10.0f, width, alignment, text.c_str(), alignment == 1, -1, nullptr);
        }
    int w = 0, h = 0;
    fonts.MeasureText(text.c_str(), 0, &w, &h);
    table->Measure(bytes, &w, &h);
    for (int c = 0; c < 256; ++c)
        fonts.GetGlyphWidth(0, c);
    fonts.GetFontHeight(0);
    return 0;
}
