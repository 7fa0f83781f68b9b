// fonttool's work: the three files of a game font made from 5 x 7 pixel glyphs of the printable ASCII characters,
// each pixel drawn as a 2 x 2 block: "<name>TexCoord.Dat" (height, a zero, 256 glyph rectangles), "<name>.tga" (a
// 256 x 256 texture, white glyphs on transparent) and "<name>.Dat" (65,536 kerning bytes, all zero).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fonttool
{

constexpr int kTextureSize = 256;
// Every character has a cell of this size in the texture, 16 cells to a row of the texture, in character order;
// its glyph rectangle is the whole cell (so the cell width is the pen advance).
constexpr int kCellWidth = 12;
constexpr int kCellHeight = 16;
constexpr int kGlyphColumns = 5;
constexpr int kGlyphRows = 7;
constexpr int kPixelScale = 2;

// The 7 rows of a character's glyph, five characters each ('#' set, '.' clear); null for a character outside
// the printable ASCII range (0x20 to 0x7E).
const char* const* GlyphRows(int character);

struct FontFiles
{
    std::vector<uint8_t> texCoords; // 2,056 bytes
    std::vector<uint8_t> texture;   // the TGA file
    std::vector<uint8_t> kerning;   // 65,536 bytes
};

FontFiles MakeFont();

// The command line: "write <folder> <name>" writes the three files into the folder. Returns the exit code.
int Run(int argc, const char* const* argv);

} // namespace fonttool
