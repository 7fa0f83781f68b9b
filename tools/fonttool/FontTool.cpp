// fonttool: the built-in glyphs, the texture, rectangle and kerning files made from them, and the command line.
#include "tools/fonttool/FontTool.h"

#include "platform/FileOps.h"

#include <algorithm>
#include <cstdio>

namespace fonttool
{
namespace
{

constexpr int kFirst = 0x20;
constexpr int kLast = 0x7E;
constexpr int kNoBreakSpace = 0xA0;
constexpr int kCellsPerRow = 16;
constexpr int kCharacterCount = 256;
constexpr size_t kKerningSize = 65536;

// The printable ASCII characters in order, from the space.
const char* const kGlyphs[kLast - kFirst + 1][kGlyphRows] = {
    {".....", ".....", ".....", ".....", ".....", ".....", "....."}, // ' '
    {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."}, // '!'
    {".#.#.", ".#.#.", ".#.#.", ".....", ".....", ".....", "....."}, // '"'
    {".#.#.", ".#.#.", "#####", ".#.#.", "#####", ".#.#.", ".#.#."}, // '#'
    {"..#..", ".####", "#.#..", ".###.", "..#.#", "####.", "..#.."}, // '$'
    {"##...", "##..#", "...#.", "..#..", ".#...", "#..##", "...##"}, // '%'
    {".##..", "#..#.", "#.#..", ".#...", "#.#.#", "#..#.", ".##.#"}, // '&'
    {"..#..", "..#..", ".#...", ".....", ".....", ".....", "....."}, // '\''
    {"...#.", "..#..", ".#...", ".#...", ".#...", "..#..", "...#."}, // '('
    {".#...", "..#..", "...#.", "...#.", "...#.", "..#..", ".#..."}, // ')'
    {".....", "..#..", "#.#.#", ".###.", "#.#.#", "..#..", "....."}, // '*'
    {".....", "..#..", "..#..", "#####", "..#..", "..#..", "....."}, // '+'
    {".....", ".....", ".....", ".....", ".##..", "..#..", ".#..."}, // ','
    {".....", ".....", ".....", "#####", ".....", ".....", "....."}, // '-'
    {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}, // '.'
    {".....", "....#", "...#.", "..#..", ".#...", "#....", "....."}, // '/'
    {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}, // '0'
    {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}, // '1'
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}, // '2'
    {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}, // '3'
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}, // '4'
    {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}, // '5'
    {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}, // '6'
    {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}, // '7'
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}, // '8'
    {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}, // '9'
    {".....", ".##..", ".##..", ".....", ".##..", ".##..", "....."}, // ':'
    {".....", ".##..", ".##..", ".....", ".##..", "..#..", ".#..."}, // ';'
    {"...#.", "..#..", ".#...", "#....", ".#...", "..#..", "...#."}, // '<'
    {".....", ".....", "#####", ".....", "#####", ".....", "....."}, // '='
    {".#...", "..#..", "...#.", "....#", "...#.", "..#..", ".#..."}, // '>'
    {".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."}, // '?'
    {".###.", "#...#", "....#", ".##.#", "#.#.#", "#.#.#", ".###."}, // '@'
    {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}, // 'A'
    {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}, // 'B'
    {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}, // 'C'
    {"###..", "#..#.", "#...#", "#...#", "#...#", "#..#.", "###.."}, // 'D'
    {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}, // 'E'
    {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}, // 'F'
    {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}, // 'G'
    {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}, // 'H'
    {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}, // 'I'
    {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}, // 'J'
    {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}, // 'K'
    {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}, // 'L'
    {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}, // 'M'
    {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}, // 'N'
    {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}, // 'O'
    {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}, // 'P'
    {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}, // 'Q'
    {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}, // 'R'
    {".####", "#....", "#....", ".###.", "....#", "....#", "####."}, // 'S'
    {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}, // 'T'
    {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}, // 'U'
    {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}, // 'V'
    {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}, // 'W'
    {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}, // 'X'
    {"#...#", "#...#", "#...#", ".#.#.", "..#..", "..#..", "..#.."}, // 'Y'
    {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}, // 'Z'
    {".###.", ".#...", ".#...", ".#...", ".#...", ".#...", ".###."}, // '['
    {".....", "#....", ".#...", "..#..", "...#.", "....#", "....."}, // '\\'
    {".###.", "...#.", "...#.", "...#.", "...#.", "...#.", ".###."}, // ']'
    {"..#..", ".#.#.", "#...#", ".....", ".....", ".....", "....."}, // '^'
    {".....", ".....", ".....", ".....", ".....", ".....", "#####"}, // '_'
    {".#...", "..#..", "...#.", ".....", ".....", ".....", "....."}, // '`'
    {".....", ".....", ".###.", "....#", ".####", "#...#", ".####"}, // 'a'
    {"#....", "#....", "#.##.", "##..#", "#...#", "#...#", "####."}, // 'b'
    {".....", ".....", ".###.", "#....", "#....", "#...#", ".###."}, // 'c'
    {"....#", "....#", ".##.#", "#..##", "#...#", "#...#", ".####"}, // 'd'
    {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}, // 'e'
    {"..##.", ".#..#", ".#...", "###..", ".#...", ".#...", ".#..."}, // 'f'
    {".....", ".####", "#...#", "#...#", ".####", "....#", ".###."}, // 'g'
    {"#....", "#....", "#.##.", "##..#", "#...#", "#...#", "#...#"}, // 'h'
    {"..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."}, // 'i'
    {"...#.", ".....", "..##.", "...#.", "...#.", "#..#.", ".##.."}, // 'j'
    {"#....", "#....", "#..#.", "#.#..", "##...", "#.#..", "#..#."}, // 'k'
    {".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}, // 'l'
    {".....", ".....", "##.#.", "#.#.#", "#.#.#", "#...#", "#...#"}, // 'm'
    {".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"}, // 'n'
    {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."}, // 'o'
    {".....", ".....", "####.", "#...#", "####.", "#....", "#...."}, // 'p'
    {".....", ".....", ".##.#", "#..##", ".####", "....#", "....#"}, // 'q'
    {".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."}, // 'r'
    {".....", ".....", ".###.", "#....", ".###.", "....#", "####."}, // 's'
    {".#...", ".#...", "###..", ".#...", ".#...", ".#..#", "..##."}, // 't'
    {".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"}, // 'u'
    {".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."}, // 'v'
    {".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."}, // 'w'
    {".....", ".....", "#...#", ".#.#.", "..#..", ".#.#.", "#...#"}, // 'x'
    {".....", ".....", "#...#", "#...#", ".####", "....#", ".###."}, // 'y'
    {".....", ".....", "#####", "...#.", "..#..", ".#...", "#####"}, // 'z'
    {"...#.", "..#..", "..#..", ".#...", "..#..", "..#..", "...#."}, // '{'
    {"..#..", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}, // '|'
    {".#...", "..#..", "..#..", "...#.", "..#..", "..#..", ".#..."}, // '}'
    {".....", ".....", ".#...", "#.#.#", "...#.", ".....", "....."}, // '~'
};

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The cells of a texture row: 16, fewer where 16 would not fit.
constexpr int CellsPerRow(int scale)
{
    return std::min(kCellsPerRow, kTextureSize / CellWidth(scale));
}

int CellLeft(int character, int scale)
{
    return character % CellsPerRow(scale) * CellWidth(scale);
}

int CellTop(int character, int scale)
{
    return character / CellsPerRow(scale) * CellHeight(scale);
}

} // namespace

static_assert(kCellsPerRow * kCellWidth <= kTextureSize && kCharacterCount / kCellsPerRow * kCellHeight <= kTextureSize,
              "every character's cell lies in the texture");
static_assert(CellWidth(kSmallPixelScale) < kCellWidth && CellHeight(kSmallPixelScale) < kCellHeight,
              "the small font's cells are smaller");
static_assert(kNoBreakSpace / CellsPerRow(kLargePixelScale) * CellHeight(kLargePixelScale) +
                      CellHeight(kLargePixelScale) <=
                  kTextureSize,
              "every drawn character of the large font lies in the texture");

const char* const* GlyphRows(int character)
{
    // The no-break space (which keeps a text's leading space, as the text table's " %d" add-ons need) is a space.
    if (character == kNoBreakSpace)
        character = ' ';
    return character >= kFirst && character <= kLast ? kGlyphs[character - kFirst] : nullptr;
}

FontFiles MakeFont(int scale)
{
    if (scale != kSmallPixelScale && scale != kLargePixelScale)
        scale = kPixelScale;
    const int cellWidth = CellWidth(scale), cellHeight = CellHeight(scale);
    FontFiles files;
    // The glyph texture: white where a glyph pixel is set, transparent black elsewhere; each glyph one pixel in from
    // its cell's top-left corner.
    std::vector<uint32_t> pixels(static_cast<size_t>(kTextureSize) * kTextureSize, 0);
    for (int c = kFirst; c <= kLast; ++c)
    {
        const char* const* rows = GlyphRows(c);
        for (int y = 0; y < kGlyphRows * scale; ++y)
        {
            for (int x = 0; x < kGlyphColumns * scale; ++x)
            {
                if (rows[y / scale][x / scale] == '#')
                    pixels[static_cast<size_t>(CellTop(c, scale) + 1 + y) * kTextureSize + CellLeft(c, scale) + 1 + x] =
                        0xFFFFFFFF;
            }
        }
    }

    // The rectangles: the whole cell of every printable character and the no-break space, nothing for the others.
    Put(files.texCoords, static_cast<uint32_t>(cellHeight), 4);
    Put(files.texCoords, 0, 4);
    for (int c = 0; c < kCharacterCount; ++c)
    {
        const bool drawn = GlyphRows(c) != nullptr;
        const int left = drawn ? CellLeft(c, scale) : 0;
        const int top = drawn ? CellTop(c, scale) : 0;
        Put(files.texCoords, static_cast<uint32_t>(left), 2);
        Put(files.texCoords, static_cast<uint32_t>(top), 2);
        Put(files.texCoords, static_cast<uint32_t>(drawn ? left + cellWidth : 0), 2);
        Put(files.texCoords, static_cast<uint32_t>(drawn ? top + cellHeight : 0), 2);
    }

    // An uncompressed 32-bit TGA, top row first.
    files.texture.assign(18, 0);
    files.texture[2] = 2;
    files.texture[12] = kTextureSize & 0xFF;
    files.texture[13] = kTextureSize >> 8;
    files.texture[14] = kTextureSize & 0xFF;
    files.texture[15] = kTextureSize >> 8;
    files.texture[16] = 32;
    files.texture[17] = 0x28;
    for (uint32_t argb : pixels)
        Put(files.texture, argb, 4); // little-endian ARGB is the file's B, G, R, A

    files.kerning.assign(kKerningSize, 0);
    return files;
}

int Run(int argc, const char* const* argv)
{
    const std::string size = argc == 5 ? argv[4] : "";
    const bool small = size == "small", large = size == "large";
    if ((argc != 4 && !small && !large) || std::string(argv[1]) != "write")
    {
        std::fprintf(stderr, "usage: fonttool write <folder> <name> [small|large]\n");
        return 2;
    }
    const std::string base = std::string(argv[2]) + "/" + argv[3];
    const FontFiles files = MakeFont(small ? kSmallPixelScale : large ? kLargePixelScale : kPixelScale);
    // The rectangles point into the texture: the three files replace the old font together or not at all.
    const std::string texCoords = base + "TexCoord.Dat", texture = base + ".tga", kerning = base + ".Dat";
    if (!platform::WriteFilesAtomically({{texCoords, files.texCoords.data(), files.texCoords.size()},
                                         {texture, files.texture.data(), files.texture.size()},
                                         {kerning, files.kerning.data(), files.kerning.size()}}))
    {
        std::fprintf(stderr, "fonttool: cannot write the files of %s\n", base.c_str());
        return 1;
    }
    return 0;
}

} // namespace fonttool
