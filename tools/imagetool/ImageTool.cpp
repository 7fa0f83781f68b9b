// imagetool: the day text and its tables, the sun-colour image, the flare, the lettered pictures, TGA and DDT.
#include "tools/imagetool/ImageTool.h"

#include "engine/core/FileSystem.h"
#include "platform/FileOps.h"
#include "tools/SourceFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <utility>

namespace imagetool
{

namespace
{

constexpr int kMinutesPerDay = 1440;

std::string LineError(int line, const std::string& what)
{
    return "line " + std::to_string(line) + ": " + what;
}

// "H:MM" with H 0 to 23 and MM 0 to 59, as minutes of the day; -1 otherwise.
int ParseTime(const std::string& text)
{
    int hours = 0, minutes = 0;
    char colon = 0;
    std::istringstream in(text);
    if (!(in >> hours >> colon >> minutes) || colon != ':' || !in.eof() || hours < 0 || hours > 23 || minutes < 0 ||
        minutes > 59 || text.size() < 4 || text[text.size() - 3] != ':')
        return -1;
    return hours * 60 + minutes;
}

bool ParseColour(const std::string& text, uint32_t* out)
{
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    *out = 0xFF000000u | static_cast<uint32_t>(std::stoul(text, nullptr, 16));
    return true;
}

bool ParseByte(const std::string& text, int* out)
{
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *out = std::stoi(text);
    return *out <= 255;
}

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

int EntryOfMinute(int minute)
{
    return static_cast<int>(std::lround(static_cast<double>(minute) * kDayEntries / kMinutesPerDay)) % kDayEntries;
}

void PutU16(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

bool ReadFile(const char* name, std::string* out)
{
    return tools::ReadSourceFile(name, out);
}

bool WriteFile(const char* name, const std::vector<uint8_t>& bytes)
{
    return GetFileSystem()->WriteFile(name, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

} // namespace

bool ParseDayText(const std::string& text, DaySource* out, std::string* error)
{
    DaySource source;
    std::map<int, DayKey> keys;
    const std::vector<std::string> lines = Lines(text);
    for (size_t i = 0; i < lines.size(); ++i)
    {
        const int number = static_cast<int>(i) + 1;
        const std::vector<std::string> words = Words(lines[i]);
        if (words.empty() || words[0][0] == '#')
            continue;
        if ((words[0] == "sunrise" || words[0] == "sunset") && words.size() == 2)
        {
            const int minute = ParseTime(words[1]);
            if (minute < 0)
            {
                *error = LineError(number, "not a time of day: " + words[1]);
                return false;
            }
            (words[0] == "sunrise" ? source.sunrise : source.sunset) = minute;
            continue;
        }
        if (words[0] != "at" || words.size() != 2 + kColourTables + 3)
        {
            *error = LineError(number, "expected \"sunrise H:MM\", \"sunset H:MM\" or \"at H:MM\" with five colours "
                                       "and three numbers");
            return false;
        }
        DayKey key;
        key.minute = ParseTime(words[1]);
        if (key.minute < 0)
        {
            *error = LineError(number, "not a time of day: " + words[1]);
            return false;
        }
        for (int c = 0; c < kColourTables; ++c)
        {
            if (!ParseColour(words[static_cast<size_t>(2 + c)], &key.colours[static_cast<size_t>(c)]))
            {
                *error = LineError(number, "not a colour RRGGBB: " + words[static_cast<size_t>(2 + c)]);
                return false;
            }
        }
        for (int n = 0; n < 3; ++n)
        {
            if (!ParseByte(words[static_cast<size_t>(2 + kColourTables + n)], &key.numbers[static_cast<size_t>(n)]))
            {
                *error =
                    LineError(number, "not a number 0 to 255: " + words[static_cast<size_t>(2 + kColourTables + n)]);
                return false;
            }
        }
        if (!keys.emplace(key.minute, key).second)
        {
            *error = LineError(number, "a second key at " + words[1]);
            return false;
        }
    }
    if (keys.empty())
    {
        *error = "no \"at\" line";
        return false;
    }
    if (source.sunrise < 0 || source.sunset < 0 || EntryOfMinute(source.sunset) <= EntryOfMinute(source.sunrise))
    {
        *error = "a sunrise and a later sunset are needed";
        return false;
    }
    for (const auto& entry : keys)
        source.keys.push_back(entry.second);
    *out = source;
    return true;
}

DayTables MakeDayTables(const DaySource& source)
{
    DayTables tables;
    const std::vector<DayKey>& keys = source.keys;
    for (int e = 0; e < kDayEntries; ++e)
    {
        const double minute = static_cast<double>(e) * kMinutesPerDay / kDayEntries;
        // The last key at or before the time (round midnight: the day's last key), and the one after it.
        size_t a = keys.size() - 1;
        for (size_t k = 0; k < keys.size(); ++k)
            if (keys[k].minute <= minute)
                a = k;
        const size_t b = (a + 1) % keys.size();
        const double span = std::fmod(keys[b].minute - keys[a].minute + kMinutesPerDay, kMinutesPerDay);
        const double t = span > 0.0 ? std::fmod(minute - keys[a].minute + kMinutesPerDay, kMinutesPerDay) / span : 0.0;
        const auto mix = [t](double x, double y) { return static_cast<uint32_t>(std::lround(x + (y - x) * t)); };
        for (int c = 0; c < kColourTables; ++c)
        {
            uint32_t colour = 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8)
                colour |= mix((keys[a].colours[static_cast<size_t>(c)] >> shift) & 0xFF,
                              (keys[b].colours[static_cast<size_t>(c)] >> shift) & 0xFF)
                          << shift;
            tables.colours[static_cast<size_t>(c)][static_cast<size_t>(e)] = colour;
        }
        for (int n = 0; n < 3; ++n)
            tables.numbers[static_cast<size_t>(n)][static_cast<size_t>(e)] = static_cast<uint8_t>(
                mix(keys[a].numbers[static_cast<size_t>(n)], keys[b].numbers[static_cast<size_t>(n)]));
    }
    tables.sunrise = EntryOfMinute(source.sunrise);
    tables.sunset = EntryOfMinute(source.sunset);
    return tables;
}

std::vector<uint8_t> WriteSunColourImage(const DayTables& tables)
{
    const uint32_t w = kSunImageWidth, h = kSunImageHeight;
    std::vector<uint32_t> stored(static_cast<size_t>(w) * h, 0xFF000000u);
    const auto row = [&](uint32_t rowsIn) { return stored.data() + static_cast<size_t>(w) * (h - rowsIn); };
    const auto tableRow = [&](uint32_t k) { return row(33 + 16 * k); };
    const uint32_t colourRows[kColourTables] = {0, 1, 2, 3, 6};
    for (int e = 0; e < kDayEntries; ++e)
    {
        const size_t i = static_cast<size_t>(e);
        for (int c = 0; c < kColourTables; ++c)
            tableRow(colourRows[c])[i] = tables.colours[static_cast<size_t>(c)][i];
        tableRow(4)[i] = 0xFF000000u | (e == tables.sunrise ? kSunriseMark : e == tables.sunset ? kSunsetMark : 0u);
        tableRow(7)[i] = 0xFF000000u | tables.numbers[0][i];
        row(163)[i] = 0xFF000000u | tables.numbers[1][i];
        tableRow(9)[i] = 0xFF000000u | tables.numbers[2][i];
    }
    std::vector<uint8_t> bytes(18, 0);
    bytes[2] = 2;
    PutU16(bytes, 12, w);
    PutU16(bytes, 14, h);
    bytes[16] = 32;
    bytes[17] = 8; // eight bits of alpha, rows from the bottom
    for (uint32_t pixel : stored)
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(pixel >> (8 * i)));
    return bytes;
}

std::vector<uint32_t> MakeFlare(uint32_t side, uint32_t colour)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(side) * side);
    const double half = side / 2.0;
    for (uint32_t y = 0; y < side; ++y)
    {
        for (uint32_t x = 0; x < side; ++x)
        {
            const double d = std::hypot(x + 0.5 - half, y + 0.5 - half) / half;
            const double light = std::pow(std::clamp(1.0 - d, 0.0, 1.0), 1.5);
            uint32_t pixel = 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8)
                pixel |= static_cast<uint32_t>(std::lround(((colour >> shift) & 0xFF) * light)) << shift;
            pixels[static_cast<size_t>(y) * side + x] = pixel;
        }
    }
    return pixels;
}

bool ParseFlareText(const std::string& text, uint32_t* side, uint32_t* colour, std::string* error)
{
    uint32_t size = 0, rgb = 0;
    const std::vector<std::string> lines = Lines(text);
    for (size_t i = 0; i < lines.size(); ++i)
    {
        const std::vector<std::string> words = Words(lines[i]);
        if (words.empty() || words[0][0] == '#')
            continue;
        const int number = static_cast<int>(i) + 1;
        if (words.size() == 2 && words[0] == "size" && words[1].find_first_not_of("0123456789") == std::string::npos &&
            words[1].size() <= 3)
        {
            size = static_cast<uint32_t>(std::stoul(words[1]));
        }
        else if (words.size() == 2 && words[0] == "colour" && ParseColour(words[1], &rgb))
        {
        }
        else
        {
            *error = LineError(number, "expected \"size <pixels>\" or \"colour RRGGBB\"");
            return false;
        }
    }
    if (size < 8 || size > 256 || (size & (size - 1)) != 0 || rgb == 0)
    {
        *error = "a size that is a power of two from 8 to 256 and a colour are needed";
        return false;
    }
    *side = size;
    *colour = rgb;
    return true;
}

bool ParseLetterImage(const std::string& text, uint32_t* width, uint32_t* height, std::vector<uint32_t>* pixels,
                      std::string* error)
{
    std::map<char, uint32_t> palette;
    std::vector<std::pair<int, std::string>> rows; // line number and row
    const std::vector<std::string> lines = Lines(text);
    for (size_t i = 0; i < lines.size(); ++i)
    {
        const std::string& line = lines[i];
        const int number = static_cast<int>(i) + 1;
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> words = Words(line);
        // A row of letters holds no white space, so a line of words starting with "colour" names a colour.
        if (words.size() >= 2 && words[0] == "colour")
        {
            uint32_t rgb = 0;
            if (words.size() != 3 || words[1].size() != 1 || !ParseColour(words[2], &rgb))
            {
                *error = LineError(number, "expected \"colour <letter> <RRGGBB>\"");
                return false;
            }
            palette[words[1][0]] = rgb;
            continue;
        }
        rows.emplace_back(number, line);
    }
    if (rows.empty())
    {
        *error = "no rows of pixels";
        return false;
    }
    std::vector<uint32_t> out;
    for (const auto& [number, row] : rows)
    {
        if (row.size() != rows[0].second.size())
        {
            *error = LineError(number, "a row of " + std::to_string(row.size()) + " pixels, the first has " +
                                           std::to_string(rows[0].second.size()));
            return false;
        }
        for (char c : row)
        {
            const auto found = palette.find(c);
            if (found == palette.end())
            {
                *error = LineError(number, std::string("no colour ") + c);
                return false;
            }
            out.push_back(found->second);
        }
    }
    *width = static_cast<uint32_t>(rows[0].second.size());
    *height = static_cast<uint32_t>(rows.size());
    *pixels = out;
    return true;
}

std::vector<uint8_t> WriteTga32(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels)
{
    std::vector<uint8_t> bytes(18, 0);
    bytes[2] = 2;
    PutU16(bytes, 12, width);
    PutU16(bytes, 14, height);
    bytes[16] = 32;
    bytes[17] = 0x28; // eight bits of alpha, rows from the top
    for (uint32_t pixel : pixels)
    {
        if ((pixel >> 24) == 0)
            pixel |= 0xFF000000u;
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(pixel >> (8 * i)));
    }
    return bytes;
}

std::vector<uint8_t> WriteDdt(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels)
{
    const uint32_t size = width * height * 4;
    std::vector<uint8_t> bytes(328, 0);
    PutU16(bytes, 0, 1);
    PutU16(bytes, 2, 0);
    PutU32(bytes, 8, 4);
    PutU32(bytes, 20, width);
    PutU32(bytes, 24, height);
    bytes[44] = 1;
    PutU32(bytes, 60, 1);
    PutU32(bytes, 64, 0);
    PutU32(bytes, 68, width);
    PutU32(bytes, 72, height);
    PutU32(bytes, 76, size);
    PutU32(bytes, 320, size);
    uint64_t sums[3] = {};
    for (uint32_t pixel : pixels)
        for (int c = 0; c < 3; ++c)
            sums[c] += (pixel >> (8 * c)) & 0xFF;
    uint32_t average = 0xFF000000u;
    for (int c = 0; c < 3; ++c)
        average |= static_cast<uint32_t>(pixels.empty() ? 0 : sums[c] / pixels.size()) << (8 * c);
    PutU32(bytes, 324, average);
    for (uint32_t pixel : pixels)
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(pixel >> (8 * i)));
    return bytes;
}

int Run(int argc, const char* const* argv)
{
    const std::string command = argc == 4 ? argv[1] : "";
    if (command != "suncols" && command != "flare" && command != "ddt")
    {
        std::fprintf(stderr, "usage: imagetool suncols <day.txt> <out.tga>\n"
                             "       imagetool flare <flare.txt> <out.tga>\n"
                             "       imagetool ddt <picture.txt> <out.ddt>\n");
        return 2;
    }
    // The source is never written over.
    if (platform::IsSameFile(argv[2], argv[3]))
    {
        std::fprintf(stderr, "imagetool: %s is the source; give another image to write\n", argv[3]);
        return 1;
    }
    std::string text;
    if (!ReadFile(argv[2], &text))
    {
        std::fprintf(stderr, "imagetool: cannot read %s\n", argv[2]);
        return 1;
    }
    std::string error;
    std::vector<uint8_t> bytes;
    if (command == "suncols")
    {
        DaySource source;
        if (ParseDayText(text, &source, &error))
            bytes = WriteSunColourImage(MakeDayTables(source));
    }
    else if (command == "flare")
    {
        uint32_t side = 0, colour = 0;
        if (ParseFlareText(text, &side, &colour, &error))
            bytes = WriteTga32(side, side, MakeFlare(side, colour));
    }
    else
    {
        uint32_t width = 0, height = 0;
        std::vector<uint32_t> pixels;
        if (ParseLetterImage(text, &width, &height, &pixels, &error))
            bytes = WriteDdt(width, height, pixels);
    }
    if (bytes.empty())
    {
        std::fprintf(stderr, "imagetool: %s: %s\n", argv[2], error.c_str());
        return 1;
    }
    if (!WriteFile(argv[3], bytes))
    {
        std::fprintf(stderr, "imagetool: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}

} // namespace imagetool
