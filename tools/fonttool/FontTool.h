// fonttool's work: the three files of a game font made from 5 x 7 pixel glyphs of the printable ASCII characters,
// each pixel drawn as a square block (2 x 2 by default, 1 x 1 for the small font, 3 x 3 for the large one):
// "<name>TexCoord.Dat" (height, a
// zero, 256 glyph rectangles), "<name>.tga" (a 256 x 256 texture, white glyphs on transparent) and "<name>.Dat"
// (65,536 kerning bytes, all zero).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fonttool
{

constexpr int kTextureSize = 256;
constexpr int kGlyphColumns = 5;
constexpr int kGlyphRows = 7;
// Every character has a cell in the texture, 16 cells to a row of the texture (15 for the large font), in character
// order; its glyph rectangle is the whole cell (so the cell width is the pen advance). The glyph stands one pixel in
// from the cell's top-left corner; the cell is the glyph and a pixel of space on each side.
constexpr int kPixelScale = 2;
constexpr int kSmallPixelScale = 1;
constexpr int kLargePixelScale = 3;
constexpr int CellWidth(int scale)
{
    return kGlyphColumns * scale + 2;
}
constexpr int CellHeight(int scale)
{
    return kGlyphRows * scale + 2;
}
constexpr int kCellWidth = CellWidth(kPixelScale);
constexpr int kCellHeight = CellHeight(kPixelScale);

// The 7 rows of a character's glyph, five characters each ('#' set, '.' clear); null for a character outside
// the printable ASCII range (0x20 to 0x7E).
const char* const* GlyphRows(int character);

struct FontFiles
{
    std::vector<uint8_t> texCoords; // 2,056 bytes
    std::vector<uint8_t> texture;   // the TGA file
    std::vector<uint8_t> kerning;   // 65,536 bytes
};

// The font with each glyph pixel drawn `scale` x `scale` (1, 2 or 3; any other scale makes the default font).
FontFiles MakeFont(int scale = kPixelScale);

// The command line: "write <folder> <name> [small|large]" writes the three files into the folder, of the small or
// the large font when asked. Returns the exit code.
int Run(int argc, const char* const* argv);

} // namespace fonttool
