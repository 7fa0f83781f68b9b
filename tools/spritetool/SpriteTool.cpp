// spritetool: the picture statements, the bank list, palettes, run coding and the two files.
#include "tools/spritetool/SpriteTool.h"

#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "tools/SourceFile.h"
#include "tools/fonttool/FontTool.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <strings.h>

namespace spritetool
{
namespace
{

// The 1-5-5-5 value the display takes as transparent (pure green); a picture colour that packs to it is nudged.
constexpr uint32_t kKeyGreen = 0x03E0;

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

bool ReadFile(const std::string& name, std::string* text)
{
    return tools::ReadSourceFile(name, text);
}

std::string Substitute(const std::string& line, const std::vector<std::string>& arguments)
{
    std::string out;
    for (size_t i = 0; i < line.size(); ++i)
    {
        if (line[i] == '$' && i + 1 < line.size() && line[i + 1] >= '1' && line[i + 1] <= '9')
        {
            const size_t n = static_cast<size_t>(line[++i] - '1');
            out += n < arguments.size() ? arguments[n] : "";
        }
        else
            out += line[i];
    }
    return out;
}

bool Number(const std::string& word, int* value)
{
    char* end = nullptr;
    const long v = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || v < -100000 || v > 100000)
        return false;
    *value = static_cast<int>(v);
    return true;
}

bool Colour(const std::string& word, uint32_t* rgb)
{
    if (word.size() != 7 || word[0] != '#')
        return false;
    char* end = nullptr;
    const unsigned long v = std::strtoul(word.c_str() + 1, &end, 16);
    if (*end != '\0')
        return false;
    *rgb = static_cast<uint32_t>(v);
    const uint32_t r = (*rgb >> 16) & 0xFF, g = (*rgb >> 8) & 0xFF, b = *rgb & 0xFF;
    if ((((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3)) == kKeyGreen)
        *rgb = (r << 16) | (0xF0 << 8) | b;
    return true;
}

// The part of the rectangle inside the picture (a shape may reach far past the frame: only what lies on it is drawn).
void Rect(Picture& p, int x, int y, int w, int h, uint32_t rgb, bool on)
{
    const int64_t left = std::max<int64_t>(x, 0), right = std::min<int64_t>(int64_t{x} + w, p.width);
    const int64_t top = std::max<int64_t>(y, 0), bottom = std::min<int64_t>(int64_t{y} + h, p.height);
    for (int64_t yy = top; yy < bottom; ++yy)
        for (int64_t xx = left; xx < right; ++xx)
            p.Set(static_cast<int>(xx), static_cast<int>(yy), rgb, on);
}

void Line(Picture& p, int x1, int y1, int x2, int y2, uint32_t rgb)
{
    const int steps = std::max(std::abs(x2 - x1), std::abs(y2 - y1));
    for (int i = 0; i <= steps; ++i)
    {
        const double t = steps ? static_cast<double>(i) / steps : 0.0;
        p.Set(static_cast<int>(std::lround(x1 + (x2 - x1) * t)), static_cast<int>(std::lround(y1 + (y2 - y1) * t)),
              rgb);
    }
}

void Text(Picture& p, int x, int y, int scale, uint32_t rgb, const std::string& text)
{
    for (char c : text)
    {
        if (const char* const* rows = fonttool::GlyphRows(static_cast<unsigned char>(c)))
            for (int r = 0; r < fonttool::kGlyphRows; ++r)
                for (int col = 0; col < fonttool::kGlyphColumns; ++col)
                    if (rows[r][col] == '#')
                        Rect(p, x + col * scale, y + r * scale, scale, scale, rgb, true);
        x += (fonttool::kGlyphColumns + 1) * scale;
    }
}

void Write8(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
}
void Write16(std::vector<uint8_t>& out, uint32_t v)
{
    Write8(out, v & 0xFF);
    Write8(out, (v >> 8) & 0xFF);
}
void Write32(std::vector<uint8_t>& out, uint32_t v)
{
    Write16(out, v & 0xFFFF);
    Write16(out, v >> 16);
}

// Colours kept per palette by bank type (0: the bank keeps none).
size_t PaletteSize(int32_t type)
{
    switch (type)
    {
    case 1:
    case 2:
    case 5:
    case 9:
        return 256;
    case 3:
    case 6:
        return 64;
    default:
        return 0;
    }
}

} // namespace

void Picture::Set(int x, int y, uint32_t rgb, bool on)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    const size_t i = static_cast<size_t>(y) * width + x;
    pixels[i] = on ? rgb : 0;
    opaque[i] = on ? 1 : 0;
}

bool DrawPicture(const std::string& text, const std::vector<std::string>& arguments, Picture& picture,
                 std::string* error)
{
    std::istringstream lines(text);
    int lineNumber = 0;
    for (std::string line; std::getline(lines, line);)
    {
        ++lineNumber;
        const size_t hash = line.find('#');
        // A '#' opens a comment only at the start of a statement (colours use it too).
        if (hash != std::string::npos && line.find_first_not_of(" \t") == hash)
            continue;
        const std::vector<std::string> w = Words(Substitute(line, arguments));
        if (w.empty())
            continue;
        int n[6] = {};
        uint32_t rgb = 0;
        auto numbers = [&](size_t count)
        {
            for (size_t i = 0; i < count; ++i)
                if (i + 1 >= w.size() || !Number(w[i + 1], &n[i]))
                    return false;
            return true;
        };
        auto colourAt = [&](size_t i) { return i < w.size() && Colour(w[i], &rgb); };
        const std::string& op = w[0];
        bool ok = true;
        if (op == "fill")
            ok = colourAt(1) && (Rect(picture, 0, 0, picture.width, picture.height, rgb, true), true);
        else if (op == "rect")
            ok = numbers(4) && colourAt(5) && (Rect(picture, n[0], n[1], n[2], n[3], rgb, true), true);
        else if (op == "clear")
            ok = numbers(4) && (Rect(picture, n[0], n[1], n[2], n[3], 0, false), true);
        else if (op == "box" && numbers(5) && colourAt(6))
        {
            const int t = n[4];
            Rect(picture, n[0], n[1], n[2], t, rgb, true);
            Rect(picture, n[0], n[1] + n[3] - t, n[2], t, rgb, true);
            Rect(picture, n[0], n[1], t, n[3], rgb, true);
            Rect(picture, n[0] + n[2] - t, n[1], t, n[3], rgb, true);
        }
        else if ((op == "disc" && numbers(3) && colourAt(4)) || (op == "ring" && numbers(4) && colourAt(5)))
        {
            // Only the pixels of the frame are looked at, with squares that a large radius cannot overflow.
            const int64_t r = n[2], inner = op == "ring" ? r - n[3] : -1;
            for (int py = std::max(0, n[1] - n[2]); py < picture.height && py <= int64_t{n[1]} + r; ++py)
                for (int px = std::max(0, n[0] - n[2]); px < picture.width && px <= int64_t{n[0]} + r; ++px)
                {
                    const int64_t x = px - n[0], y = py - n[1], d = x * x + y * y;
                    if (d <= r * r && (inner < 0 || d > inner * inner))
                        picture.Set(px, py, rgb);
                }
        }
        else if (op == "border" && numbers(1) && colourAt(2))
        {
            const int t = n[0], pw = picture.width, ph = picture.height;
            Rect(picture, 0, 0, pw, t, rgb, true);
            Rect(picture, 0, ph - t, pw, t, rgb, true);
            Rect(picture, 0, 0, t, ph, rgb, true);
            Rect(picture, pw - t, 0, t, ph, rgb, true);
        }
        else if (op == "round" && numbers(1))
        {
            // Each corner outside a quarter circle of radius r becomes transparent.
            // Corner distances past the frame's sides touch no pixel of it.
            const int64_t r = n[0];
            const int pw = picture.width, ph = picture.height;
            for (int y = 0; y < r && y < ph; ++y)
                for (int x = 0; x < r && x < pw; ++x)
                    if ((r - x) * (r - x) + (r - y) * (r - y) > r * r)
                        for (const auto& [cx, cy] : {std::pair{x, y}, std::pair{pw - 1 - x, y},
                                                     std::pair{x, ph - 1 - y}, std::pair{pw - 1 - x, ph - 1 - y}})
                            picture.Set(cx, cy, 0, false);
        }
        else if (op == "label" && numbers(1) && colourAt(2))
        {
            std::string words;
            for (size_t i = 3; i < w.size(); ++i)
                words += (i > 3 ? " " : "") + w[i];
            const int scale = std::max(n[0], 1);
            const int width = static_cast<int>(words.size()) * (fonttool::kGlyphColumns + 1) * scale - scale;
            Text(picture, (picture.width - width) / 2, (picture.height - fonttool::kGlyphRows * scale) / 2, scale, rgb,
                 words);
        }
        else if (op == "line")
            ok = numbers(4) && colourAt(5) && (Line(picture, n[0], n[1], n[2], n[3], rgb), true);
        else if (op == "text" && numbers(3) && colourAt(4))
        {
            std::string words;
            for (size_t i = 5; i < w.size(); ++i)
                words += (i > 5 ? " " : "") + w[i];
            Text(picture, n[0], n[1], std::max(n[2], 1), rgb, words);
        }
        else
            ok = false;
        if (!ok)
        {
            *error = "line " + std::to_string(lineNumber) + ": cannot read \"" + line + "\"";
            return false;
        }
    }
    return true;
}

namespace
{

// The name by which a list is known while it is read: its full path where it can be found.
std::string ListKey(const std::string& listFile)
{
    // Lists are found whatever the case of their names: the key is the file that is read.
    std::error_code failed;
    const std::filesystem::path path = std::filesystem::weakly_canonical(platform::ResolveExisting(listFile), failed);
    return failed ? listFile : path.string();
}

// Reads one list; `open` holds the lists whose includes are being read, this one last.
bool ReadList(const std::string& listFile, const std::string& pictureFolder, std::vector<BankSource>* banks,
              std::string* error, std::vector<std::string>* open)
{
    std::string text;
    if (!ReadFile(listFile, &text))
    {
        *error = "cannot read " + listFile;
        return false;
    }
    std::istringstream lines(text);
    int lineNumber = 0;
    for (std::string line; std::getline(lines, line);)
    {
        ++lineNumber;
        const std::string where = listFile + " line " + std::to_string(lineNumber) + ": ";
        const std::vector<std::string> w = Words(line);
        // A line whose first word starts with '#' is a comment (colours use the sign too).
        if (w.empty() || w[0][0] == '#')
            continue;
        int n[4] = {};
        if (w[0] == "include" && w.size() == 2)
        {
            const size_t slash = listFile.find_last_of("/\\");
            const std::string folder = slash == std::string::npos ? "" : listFile.substr(0, slash + 1);
            const std::string included = folder + w[1];
            if (std::find(open->begin(), open->end(), ListKey(included)) != open->end())
                return *error = where + "includes " + w[1] + ", which is already being read", false;
            open->push_back(ListKey(included));
            const bool read = ReadList(included, pictureFolder, banks, error, open);
            open->pop_back();
            if (!read)
                return false;
        }
        else if (w[0] == "bank" && (w.size() == 2 || w.size() == 3))
        {
            if (w[1].size() > kMaxBankName)
                return *error = where + "a bank name is at most " + std::to_string(kMaxBankName) + " characters", false;
            // The game finds a bank by its name, whatever its case: a second bank of a name would never be found.
            for (const BankSource& bank : *banks)
                if (strcasecmp(bank.name.c_str(), w[1].c_str()) == 0)
                    return *error = where + "a bank named " + w[1] + " again", false;
            banks->push_back({w[1], 1, {}});
            if (w.size() == 3 && !Number(w[2], &banks->back().type))
                return *error = where + "bad type", false;
        }
        else if (w[0] == "anim" && w.size() == 6 && !banks->empty() && Number(w[2], &n[0]) && Number(w[3], &n[1]) &&
                 Number(w[4], &n[2]) && Number(w[5], &n[3]) && n[0] > 0 && n[1] > 0 && n[2] >= 0 && n[3] >= 0 &&
                 w[1].size() < 32)
        {
            // The file keeps the counts in 16 and 8 bits: a larger one would be written cut to another value.
            if (n[1] > kMaxDirections || n[0] > kMaxFrames / n[1])
                return *error = where + "at most " + std::to_string(kMaxDirections) + " directions and " +
                                std::to_string(kMaxFrames) + " frames in all",
                       false;
            if (n[2] > kMaxSide || n[3] > kMaxSide)
                return *error = where + "a frame is at most " + std::to_string(kMaxSide) + " pixels a side", false;
            // The game finds an animation by its name, whatever its case: a second one of a name would never be found.
            for (const AnimSource& anim : banks->back().anims)
                if (strcasecmp(anim.name.c_str(), w[1].c_str()) == 0)
                    return *error = where + "an animation named " + w[1] + " again in bank " + banks->back().name,
                           false;
            banks->back().anims.push_back({w[1], n[0], n[1], n[2], n[3], {}, where});
        }
        else if (w[0] == "frame" && w.size() >= 2 && !banks->empty() && !banks->back().anims.empty())
        {
            AnimSource& anim = banks->back().anims.back();
            if (static_cast<int>(anim.pictures.size()) >= anim.frames * anim.directions)
                return *error = where + "more frames than the animation has", false;
            std::string picture;
            if (!ReadFile(pictureFolder + "/" + w[1], &picture))
                return *error = where + "cannot read picture " + w[1], false;
            anim.pictures.emplace_back(anim.width, anim.height);
            std::vector<std::string> arguments(w.begin() + 2, w.end());
            for (std::string& argument : arguments)
                std::replace(argument.begin(), argument.end(), '~', ' ');
            std::string drawError;
            if (!DrawPicture(picture, arguments, anim.pictures.back(), &drawError))
                return *error = where + w[1] + " " + drawError, false;
        }
        else
            return *error = where + "cannot read \"" + line + "\"", false;
    }
    for (const BankSource& bank : *banks)
        for (const AnimSource& anim : bank.anims)
            if (static_cast<int>(anim.pictures.size()) != anim.frames * anim.directions)
                return *error = anim.where + "bank " + bank.name + " animation " + anim.name + " lacks frames", false;
    return true;
}

} // namespace

bool ReadBankList(const std::string& listFile, const std::string& pictureFolder, std::vector<BankSource>* banks,
                  std::string* error)
{
    std::vector<std::string> open = {ListKey(listFile)};
    return ReadList(listFile, pictureFolder, banks, error, &open);
}

std::vector<uint8_t> EncodeRows(const Picture& picture, const std::vector<uint8_t>& indices)
{
    std::vector<uint8_t> out;
    for (int y = 0; y < picture.height; ++y)
    {
        int x = 0;
        while (x < picture.width)
        {
            const size_t row = static_cast<size_t>(y) * picture.width;
            const bool opaque = picture.opaque[row + x] != 0;
            int run = 0;
            while (x + run < picture.width && run < 127 && (picture.opaque[row + x + run] != 0) == opaque)
                ++run;
            if (opaque)
            {
                Write8(out, static_cast<uint32_t>(run));
                for (int i = 0; i < run; ++i)
                    Write8(out, indices[row + x + i]);
            }
            else
                Write8(out, static_cast<uint32_t>(static_cast<uint8_t>(static_cast<int8_t>(-run))));
            x += run;
        }
    }
    return out;
}

bool WriteSpriteFiles(const std::vector<BankSource>& banks, SpriteFiles* files, std::string* error)
{
    std::vector<uint8_t>& hdr = files->index;
    std::vector<uint8_t>& dat = files->data;
    // The 20-byte header, sized at once: GCC 12 misreads a range insert into an empty vector as an overflow.
    hdr.assign(20, 0);
    const char header[] = "TIDEWELL SPRITES";
    std::copy(header, header + sizeof(header) - 1, hdr.begin());
    dat.clear();
    Write32(hdr, 0);
    Write32(hdr, static_cast<uint32_t>(banks.size()));
    for (const BankSource& bank : banks)
    {
        const size_t paletteSize = PaletteSize(bank.type);
        std::vector<uint32_t> palette;
        std::map<uint32_t, uint8_t> slots;
        // Palette indices of every picture, in the bank's palette (or grey levels without one).
        std::vector<std::vector<std::vector<uint8_t>>> indices;
        for (const AnimSource& anim : bank.anims)
        {
            indices.emplace_back();
            for (const Picture& picture : anim.pictures)
            {
                std::vector<uint8_t> frame(picture.pixels.size());
                for (size_t i = 0; i < frame.size(); ++i)
                {
                    if (!picture.opaque[i])
                        continue;
                    const uint32_t rgb = picture.pixels[i];
                    if (paletteSize == 0)
                    {
                        frame[i] =
                            static_cast<uint8_t>(((rgb >> 16 & 0xFF) * 3 + (rgb >> 8 & 0xFF) * 6 + (rgb & 0xFF)) / 10);
                        continue;
                    }
                    auto found = slots.find(rgb);
                    if (found == slots.end())
                    {
                        if (palette.size() >= paletteSize)
                            return *error = "bank " + bank.name + " uses more than " + std::to_string(paletteSize) +
                                            " colours",
                                   false;
                        found = slots.emplace(rgb, static_cast<uint8_t>(palette.size())).first;
                        palette.push_back(rgb);
                    }
                    frame[i] = found->second;
                }
                indices.back().push_back(std::move(frame));
            }
        }
        Write8(hdr, static_cast<uint32_t>(bank.name.size() + 1));
        hdr.insert(hdr.end(), bank.name.begin(), bank.name.end());
        Write8(hdr, 0);
        Write32(hdr, static_cast<uint32_t>(bank.type));
        if (bank.type == 5)
            Write32(hdr, 0);
        Write32(hdr, paletteSize ? 1 : 0);
        if (paletteSize)
            for (size_t c = 0; c < 256; ++c)
            {
                const uint32_t rgb = c < palette.size() && c < paletteSize ? palette[c] : 0;
                Write8(hdr, rgb >> 16 & 0xFF);
                Write8(hdr, rgb >> 8 & 0xFF);
                Write8(hdr, rgb & 0xFF);
            }
        Write32(hdr, static_cast<uint32_t>(bank.anims.size()));
        for (size_t a = 0; a < bank.anims.size(); ++a)
        {
            const AnimSource& anim = bank.anims[a];
            // Identical coded frames are stored once.
            std::vector<std::vector<uint8_t>> blocks;
            std::vector<uint16_t> table;
            for (size_t f = 0; f < anim.pictures.size(); ++f)
            {
                std::vector<uint8_t> coded = EncodeRows(anim.pictures[f], indices[a][f]);
                auto same = std::find(blocks.begin(), blocks.end(), coded);
                table.push_back(static_cast<uint16_t>(same - blocks.begin()));
                if (same == blocks.end())
                    blocks.push_back(std::move(coded));
            }
            Write8(hdr, static_cast<uint32_t>(anim.name.size() + 1));
            hdr.insert(hdr.end(), anim.name.begin(), anim.name.end());
            Write8(hdr, 0);
            Write16(hdr, static_cast<uint32_t>(anim.frames));
            Write8(hdr, static_cast<uint32_t>(anim.directions));
            Write16(hdr, static_cast<uint32_t>(anim.width));
            Write16(hdr, static_cast<uint32_t>(anim.height));
            Write16(hdr, 0);
            Write16(hdr, 0);
            Write32(hdr, static_cast<uint32_t>(dat.size()));
            Write32(hdr, 0);
            Write16(hdr, static_cast<uint32_t>(blocks.size()));
            for (uint16_t entry : table)
                Write16(dat, entry);
            uint32_t offset = 0;
            for (const auto& block : blocks)
            {
                Write32(dat, offset);
                offset += static_cast<uint32_t>(block.size());
            }
            for (const auto& block : blocks)
                dat.insert(dat.end(), block.begin(), block.end());
        }
    }
    return true;
}

int Run(int argc, const char* const* argv)
{
    if (argc != 6 || std::string(argv[1]) != "write")
    {
        std::fprintf(stderr, "usage: spritetool write <bank-list> <picture-folder> <index-file> <data-file>\n");
        return 2;
    }
    // The list is never written over, and the index and the data are two files.
    if (platform::IsSameFile(argv[2], argv[4]) || platform::IsSameFile(argv[2], argv[5]) ||
        std::string(argv[4]) == argv[5] || platform::IsSameFile(argv[4], argv[5]))
    {
        std::fprintf(stderr, "spritetool: the list, the index and the data must be three files\n");
        return 1;
    }
    std::vector<BankSource> banks;
    std::string error;
    SpriteFiles files;
    if (!ReadBankList(argv[2], argv[3], &banks, &error) || !WriteSpriteFiles(banks, &files, &error))
    {
        std::fprintf(stderr, "spritetool: %s\n", error.c_str());
        return 1;
    }
    // The index points into the data: the two replace the old pair together or not at all.
    if (!platform::WriteFilesAtomically(
            {{argv[4], files.index.data(), files.index.size()}, {argv[5], files.data.data(), files.data.size()}}))
    {
        std::fprintf(stderr, "spritetool: cannot write %s and %s\n", argv[4], argv[5]);
        return 1;
    }
    return 0;
}

} // namespace spritetool
