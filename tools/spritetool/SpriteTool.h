// spritetool's work: sprite file pairs made from a bank list and a folder of pictures.
//
// The bank list, one statement a line (a line starting with '#' is a comment):
//   include <list>                              the statements of another list (beside this one)
//   bank <name> [type]                          a bank (type 1 when not given)
//   anim <name> <frames> <directions> <width> <height>
//   frame <picture> [arguments...]              one line per frame, direction by direction; '~' in an
//                                               argument stands for a space
// A picture is a text file in the picture folder: drawing statements on a frame that starts transparent, each on a
// line of its own (a line starting with '#' is a comment), where $1 to $9 stand for the frame line's arguments:
//   fill <colour>                               the whole frame
//   rect <x> <y> <w> <h> <colour>               a filled rectangle
//   box <x> <y> <w> <h> <thickness> <colour>    a rectangle's border
//   disc <cx> <cy> <r> <colour>                 a filled circle
//   ring <cx> <cy> <r> <thickness> <colour>
//   line <x1> <y1> <x2> <y2> <colour>           a one-pixel line
//   clear <x> <y> <w> <h>                       transparent again
//   text <x> <y> <scale> <colour> <words...>    letters of the 5 x 7 GUI glyphs, each pixel scale x scale
//   border <thickness> <colour>                 a border round the whole frame
//   round <r>                                   the corners outside quarter circles of radius r cleared
//   label <scale> <colour> <words...>           letters centred in the frame
// Colours are #RRGGBB. Every frame of a bank draws from one palette of at most 256 colours (64 for types 3 and 6),
// made from the colours the bank's pictures use; banks of types 4, 7 and 8 keep no palette and store each pixel's
// grey level.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace spritetool
{

// An RGB picture with a coverage mask.
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0xRRGGBB
    std::vector<uint8_t> opaque;  // 1 where drawn

    Picture(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h), opaque(pixels.size()) {}
    void Set(int x, int y, uint32_t rgb, bool on = true);
};

struct AnimSource
{
    std::string name;
    int frames = 1;
    int directions = 1;
    int width = 0;
    int height = 0;
    std::vector<Picture> pictures; // frames x directions, direction by direction
    std::string where = {};        // the list and line that declared it, for messages
};

// The most an animation may hold: its counts and sides are written in 8 and 16 bits, and a frame is drawn whole in
// memory before it is coded.
constexpr int kMaxFrames = 65535; // frames x directions
constexpr int kMaxDirections = 255;
constexpr int kMaxSide = 4096;
// A bank's name is written behind a one-byte length that counts its terminator.
constexpr size_t kMaxBankName = 254;

struct BankSource
{
    std::string name;
    int32_t type = 1;
    std::vector<AnimSource> anims;
};

struct SpriteFiles
{
    std::vector<uint8_t> index; // ".hdr"
    std::vector<uint8_t> data;  // ".Dat"
};

// Draws one picture statement list on the picture; false (with the message) at the first bad statement.
bool DrawPicture(const std::string& text, const std::vector<std::string>& arguments, Picture& picture,
                 std::string* error);
// Reads a bank list whose pictures lie in `pictureFolder`; false (with the message) on the first error.
bool ReadBankList(const std::string& listFile, const std::string& pictureFolder, std::vector<BankSource>* banks,
                  std::string* error);
// The coded rows of a picture: runs of gaps and of palette indices, each row exactly its width.
std::vector<uint8_t> EncodeRows(const Picture& picture, const std::vector<uint8_t>& indices);
// The two files; false (with the message) when a bank needs more colours than its palette holds.
bool WriteSpriteFiles(const std::vector<BankSource>& banks, SpriteFiles* files, std::string* error);

// The command line: "write <list> <picture-folder> <index-file> <data-file>". Returns the exit code.
int Run(int argc, const char* const* argv);

} // namespace spritetool
