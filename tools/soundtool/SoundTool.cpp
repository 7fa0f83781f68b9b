// soundtool: the tone list, the rendering of its shapes, the WAV files and the sample bank written atomically.
#include "tools/soundtool/SoundTool.h"
#include "tools/soundtool/Tune.h"

#include "platform/FileOps.h"
#include "platform/Random.h"
#include "platform/Strings.h"
#include "tools/SourceFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace soundtool
{

namespace
{

constexpr double kTwoPi = 6.283185307179586;
constexpr size_t kRecordNameSize = 32;

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool ReadShape(const std::string& word, Shape* shape)
{
    const std::pair<const char*, Shape> shapes[] = {
        {"sine", Shape::Sine}, {"square", Shape::Square}, {"triangle", Shape::Triangle}, {"noise", Shape::Noise}};
    for (const auto& [name, value] : shapes)
    {
        if (word == name)
        {
            *shape = value;
            return true;
        }
    }
    return false;
}

bool IsName(const std::string& name)
{
    return !name.empty() && name.size() <= kMaxNameLength &&
           std::all_of(name.begin(), name.end(),
                       [](char c) {
                           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                                  c == '_';
                       });
}

// The value of a periodic shape at `phase` (0..1 of a period), -1..1.
double Wave(Shape shape, double phase)
{
    switch (shape)
    {
    case Shape::Square:
        return phase < 0.5 ? 1.0 : -1.0;
    case Shape::Triangle:
        return phase < 0.25 ? 4.0 * phase : phase < 0.75 ? 2.0 - 4.0 * phase : 4.0 * phase - 4.0;
    default:
        return std::sin(kTwoPi * phase);
    }
}

// Checks one tone line; the message when it is wrong.
std::string CheckTone(const Tone& tone)
{
    if (!IsName(tone.name))
        return "a name is 1 to 27 letters, digits or underscores";
    if (!(tone.seconds > 0.0 && tone.seconds <= kMaxSeconds))
        return "the length must be above 0 and at most 10 seconds";
    if (!(tone.level >= 0.0 && tone.level <= 1.0))
        return "the level must be 0 to 1";
    if (tone.shape != Shape::Noise && !(tone.frequency > 0.0 && tone.frequency < tone.rate / 2.0))
        return "the frequency must be above 0 and below half the rate";
    if (tone.loop && tone.shape != Shape::Noise)
    {
        const double periods = tone.frequency * tone.seconds;
        const double samples = tone.seconds * tone.rate;
        if (std::fabs(periods - std::round(periods)) > 1e-9 || std::fabs(samples - std::round(samples)) > 1e-9)
            return "a loop must hold a whole number of periods and of samples";
    }
    return "";
}

} // namespace

bool ParseSource(const std::string& source, std::vector<Tone>* tones, std::string* error)
{
    tones->clear();
    std::istringstream lines(source);
    std::string line;
    int rate = 22050;
    for (int number = 1; std::getline(lines, line); ++number)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream words(line);
        std::string first;
        if (!(words >> first) || first[0] == '#')
            continue;
        const auto fail = [&](const std::string& why)
        {
            *error = "line " + std::to_string(number) + ": " + why;
            tones->clear();
            return false;
        };
        std::string rest;
        if (first == "rate")
        {
            if (!(words >> rate) || (words >> rest) || rate < kMinRate || rate > kMaxRate)
                return fail("\"rate\" takes one rate of 8000 to 48000 Hz");
            continue;
        }
        Tone tone;
        tone.name = first;
        tone.rate = rate;
        std::string shape, kind;
        if (!(words >> shape >> tone.frequency >> tone.seconds >> tone.level >> kind) || (words >> rest))
            return fail("a tone is: name shape frequency seconds level loop|shot");
        if (!ReadShape(shape, &tone.shape))
            return fail("unknown shape " + shape + " (sine, square, triangle or noise)");
        if (kind != "loop" && kind != "shot")
            return fail("a tone is a loop or a shot, not " + kind);
        tone.loop = kind == "loop";
        const std::string why = CheckTone(tone);
        if (!why.empty())
            return fail(tone.name + ": " + why);
        for (const Tone& earlier : *tones)
        {
            if (platform::StrICmp(earlier.name.c_str(), tone.name.c_str()) == 0)
                return fail(tone.name + " is given twice");
        }
        tones->push_back(tone);
    }
    return true;
}

std::vector<int16_t> Render(const Tone& tone)
{
    const size_t count = static_cast<size_t>(std::lround(tone.seconds * tone.rate));
    const size_t ramp = std::max<size_t>(1, static_cast<size_t>(tone.rate / 100));
    const double amplitude = tone.level * 32767.0;
    platform::RandomGenerator noise;
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i)
    {
        double value;
        if (tone.shape == Shape::Noise)
            value = noise.Next() / (platform::kRandMax / 2.0) - 1.0;
        else
        {
            const double cycles = tone.frequency * static_cast<double>(i) / tone.rate;
            value = Wave(tone.shape, cycles - std::floor(cycles));
        }
        double gain = 1.0;
        if (!tone.loop)
            gain = std::min({1.0, static_cast<double>(i) / ramp, static_cast<double>(count - 1 - i) / ramp});
        samples[i] = static_cast<int16_t>(std::clamp(std::lround(value * gain * amplitude), -32767L, 32767L));
    }
    return samples;
}

std::vector<uint8_t> WavFile(const std::vector<int16_t>& samples, int rate)
{
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    Put(out, 4 + 8 + 16 + 8 + dataBytes, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put(out, 16, 4);
    Put(out, 1, 2); // PCM
    Put(out, 1, 2); // mono
    Put(out, static_cast<uint32_t>(rate), 4);
    Put(out, static_cast<uint32_t>(rate) * 2, 4);
    Put(out, 2, 2);
    Put(out, 16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put(out, dataBytes, 4);
    for (int16_t sample : samples)
        Put(out, static_cast<uint16_t>(sample), 2);
    return out;
}

Bank MakeBank(const std::vector<Tone>& tones)
{
    Bank bank;
    for (const Tone& tone : tones)
    {
        const std::vector<uint8_t> file = WavFile(Render(tone), tone.rate);
        Put(bank.index, static_cast<uint32_t>(bank.data.size()), 4);
        Put(bank.index, static_cast<uint32_t>(file.size()), 4);
        const std::string name = tone.name + ".wav";
        uint8_t field[kRecordNameSize] = {};
        std::copy(name.begin(), name.end(), field);
        bank.index.insert(bank.index.end(), field, field + kRecordNameSize);
        bank.data.insert(bank.data.end(), file.begin(), file.end());
    }
    return bank;
}

int Run(int argc, const char* const* argv)
{
    if (argc == 4 && std::string(argv[1]) == "tunes")
        return RunTunes(argv[2], argv[3]);
    if (argc != 5 || std::string(argv[1]) != "write")
    {
        std::fprintf(stderr, "usage: soundtool write <source.txt> <bank.hdr> <bank.spf>\n"
                             "       soundtool tunes <tunes.txt> <folder>\n");
        return 2;
    }
    // The source is never written over, and the index and the data are two files.
    if (platform::IsSameFile(argv[2], argv[3]) || platform::IsSameFile(argv[2], argv[4]) ||
        std::string(argv[3]) == argv[4] || platform::IsSameFile(argv[3], argv[4]))
    {
        std::fprintf(stderr, "soundtool: the source, the index and the data must be three files\n");
        return 1;
    }
    std::string source;
    if (!tools::ReadSourceFile(argv[2], &source))
    {
        std::fprintf(stderr, "soundtool: cannot read %s\n", argv[2]);
        return 1;
    }
    std::vector<Tone> tones;
    std::string error;
    if (!ParseSource(source, &tones, &error))
    {
        std::fprintf(stderr, "soundtool: %s: %s\n", argv[2], error.c_str());
        return 1;
    }
    const Bank bank = MakeBank(tones);
    // The index points into the data: the two replace the old pair together or not at all.
    if (!platform::WriteFilesAtomically(
            {{argv[3], bank.index.data(), bank.index.size()}, {argv[4], bank.data.data(), bank.data.size()}}))
    {
        std::fprintf(stderr, "soundtool: cannot write %s or %s\n", argv[3], argv[4]);
        return 1;
    }
    return 0;
}

} // namespace soundtool
