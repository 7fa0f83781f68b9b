// imagetool's work: the day's colour tables read from a text of key hours and written as the sun-colour image, a
// round sun flare, and lettered-colour pictures written as DDT textures.
//
// The day text: '#' lines and blank lines are skipped; "sunrise H:MM" and "sunset H:MM" give the two times the
// sun crosses the horizon; each "at H:MM" line gives the values at that time of day: five colours RRGGBB (the
// light's diffuse colour, the scene's colour mask, the light's own colour, the ambient colour, the fog colour),
// then the fog's start and range and one further byte (each 0 to 255). Between two key times every value runs in a
// straight line, round midnight from the last key to the first.
//
// The lettered picture: "colour <letter> <RRGGBB>" lines name colours, then one line per row of pixels, top row
// first, one letter a pixel; '#' lines are comments.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace imagetool
{

constexpr int kDayEntries = 384;
constexpr int kEntriesPerHour = kDayEntries / 24;
constexpr int kColourTables = 5;
// The sun-colour image: 384 x 192 pixels of 32 bits, rows stored from the bottom.
constexpr uint32_t kSunImageWidth = 384;
constexpr uint32_t kSunImageHeight = 192;
// Marker codes of the sunrise and sunset entries.
constexpr uint32_t kSunriseMark = 64;
constexpr uint32_t kSunsetMark = 192;

struct DayKey
{
    int minute = 0; // of the day, 0 to 1439
    std::array<uint32_t, kColourTables> colours{};
    std::array<int, 3> numbers{}; // fog start, fog range, the byte
};

struct DaySource
{
    int sunrise = -1; // minutes
    int sunset = -1;
    std::vector<DayKey> keys; // in the order of the day
};

struct DayTables
{
    std::array<std::array<uint32_t, kDayEntries>, kColourTables> colours{};
    std::array<std::array<uint8_t, kDayEntries>, 3> numbers{};
    int sunrise = 0; // entries
    int sunset = 0;
};

// The day text; false with "line N: ..." in `error` for a line that is none of the forms, a time or value out of
// range, two keys at one time, no key, or a sunrise or sunset missing or not in that order.
bool ParseDayText(const std::string& text, DaySource* out, std::string* error);
// The 384 entries of every table (entry e at e / 16 hours), each value rounded to the nearest whole number.
DayTables MakeDayTables(const DaySource& source);
// The image's bytes: an 18-byte header, then the rows from the bottom; the row (height - 33 - 16 k) counted from
// the first stored one holds colour table k for k = 0 to 3, the marker row at k = 4 (kSunriseMark at the
// sunrise entry, kSunsetMark at the sunset entry, 0 elsewhere), the fifth colour table at k = 6, the fog start at
// k = 7, the fog range at row (height - 163) and the byte at k = 9; every other pixel is opaque black.
std::vector<uint8_t> WriteSunColourImage(const DayTables& tables);

// A round flare of the colour on black, brightest in the middle: side x side pixels.
std::vector<uint32_t> MakeFlare(uint32_t side, uint32_t colour);
// The flare text: "size <pixels>" (a power of two from 8 to 256) and "colour <RRGGBB>".
bool ParseFlareText(const std::string& text, uint32_t* side, uint32_t* colour, std::string* error);

// The lettered picture; false with a message naming the line for a colour line that cannot be read, an unknown
// letter or a row of another length than the first, and false for no rows.
bool ParseLetterImage(const std::string& text, uint32_t* width, uint32_t* height, std::vector<uint32_t>* pixels,
                      std::string* error);
// An uncompressed 32-bit TGA, rows top first (pixels 0xAARRGGBB, opaque when the alpha is 0).
std::vector<uint8_t> WriteTga32(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels);
// A DDT texture of one level in format 4 (32-bit ARGB) on a page of its own, its average colour in the header.
std::vector<uint8_t> WriteDdt(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels);

// The command line: "suncols <day.txt> <out.tga>", "flare <flare.txt> <out.tga>", "ddt <picture.txt> <out.ddt>".
// Returns the exit code; messages go to standard error.
int Run(int argc, const char* const* argv);

} // namespace imagetool
