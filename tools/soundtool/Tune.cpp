// soundtool's tunes: note names, the tune list, the plucked rendering and the WAV files of the music tracks.
#include "tools/soundtool/Tune.h"

#include "platform/FileOps.h"
#include "platform/Strings.h"
#include "tools/SourceFile.h"
#include "tools/soundtool/SoundTool.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace soundtool
{

namespace
{

constexpr double kTwoPi = 6.283185307179586;
constexpr double kAttackSeconds = 0.005;

bool IsTuneName(const std::string& name)
{
    return !name.empty() && name.size() <= kMaxNameLength &&
           std::all_of(name.begin(), name.end(),
                       [](char c) {
                           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                                  c == '_';
                       });
}

size_t NoteStart(const Tune& tune, size_t i)
{
    return static_cast<size_t>(std::lround(static_cast<double>(i) * tune.beat * tune.rate));
}

} // namespace

bool NoteFrequency(const std::string& note, double* hz)
{
    // Semitones of each letter above C.
    static const int kSteps[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (note.size() < 2 || note.size() > 3 || note[0] < 'A' || note[0] > 'G')
        return false;
    int semitone = kSteps[note[0] - 'A'];
    size_t at = 1;
    if (note.size() == 3)
    {
        if (note[1] == '#')
            ++semitone;
        else if (note[1] == 'b')
            --semitone;
        else
            return false;
        at = 2;
    }
    if (note[at] < '0' || note[at] > '8')
        return false;
    const int octave = note[at] - '0';
    // A4 is 440 Hz; each semitone a twelfth of an octave.
    const int fromA4 = (octave - 4) * 12 + semitone - 9;
    *hz = 440.0 * std::pow(2.0, fromA4 / 12.0);
    return true;
}

bool ParseTunes(const std::string& source, std::vector<Tune>* tunes, std::string* error)
{
    tunes->clear();
    std::istringstream lines(source);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream words(line);
        Tune tune;
        if (!(words >> tune.name) || tune.name[0] == '#')
            continue;
        const auto fail = [&](const std::string& why)
        {
            *error = "line " + std::to_string(number) + ": " + why;
            tunes->clear();
            return false;
        };
        if (!(words >> tune.rate >> tune.beat >> tune.level))
            return fail("a tune is: name rate beat level notes...");
        if (!IsTuneName(tune.name))
            return fail("a name is 1 to 27 letters, digits or underscores");
        if (tune.rate < kMinRate || tune.rate > kMaxRate)
            return fail(tune.name + ": the rate must be 8000 to 48000 Hz");
        if (!(tune.beat >= kMinBeat && tune.beat <= kMaxBeat))
            return fail(tune.name + ": the beat must be 0.05 to 2 seconds");
        if (!(tune.level >= 0.0 && tune.level <= 1.0))
            return fail(tune.name + ": the level must be 0 to 1");
        std::string note;
        while (words >> note)
        {
            double hz = 0.0;
            if (note != "-" && !NoteFrequency(note, &hz))
                return fail(tune.name + ": unknown note " + note);
            if (hz >= tune.rate / 2.0)
                return fail(tune.name + ": " + note + " is too high for the rate");
            tune.notes.push_back(hz);
        }
        if (tune.notes.empty())
            return fail(tune.name + ": a tune has at least one note");
        if (static_cast<double>(tune.notes.size()) * tune.beat > kMaxTuneSeconds)
            return fail(tune.name + ": a tune lasts at most a minute");
        for (const Tune& earlier : *tunes)
        {
            if (platform::StrICmp(earlier.name.c_str(), tune.name.c_str()) == 0)
                return fail(tune.name + " is given twice");
        }
        tunes->push_back(tune);
    }
    return true;
}

std::vector<int16_t> RenderTune(const Tune& tune)
{
    std::vector<int16_t> samples(NoteStart(tune, tune.notes.size()));
    const double amplitude = tune.level * 32767.0;
    const double attack = kAttackSeconds * tune.rate;
    for (size_t n = 0; n < tune.notes.size(); ++n)
    {
        const double hz = tune.notes[n];
        const size_t begin = NoteStart(tune, n), end = NoteStart(tune, n + 1);
        if (hz <= 0.0)
            continue;
        const double length = static_cast<double>(end - begin);
        for (size_t i = begin; i < end; ++i)
        {
            const double t = static_cast<double>(i - begin);
            // A string plucked: a quick rise, then a fade that reaches silence at the beat's end.
            const double gain = std::min(1.0, t / attack) * std::exp(-3.0 * t / length) * (1.0 - t / length);
            const double value = std::sin(kTwoPi * hz * t / tune.rate);
            samples[i] = static_cast<int16_t>(std::clamp(std::lround(value * gain * amplitude), -32767L, 32767L));
        }
    }
    return samples;
}

int RunTunes(const char* source, const char* folder)
{
    std::string text;
    if (!tools::ReadSourceFile(source, &text))
    {
        std::fprintf(stderr, "soundtool: cannot read %s\n", source);
        return 1;
    }
    std::vector<Tune> tunes;
    std::string error;
    if (!ParseTunes(text, &tunes, &error))
    {
        std::fprintf(stderr, "soundtool: %s: %s\n", source, error.c_str());
        return 1;
    }
    for (const Tune& tune : tunes)
    {
        const std::vector<uint8_t> file = WavFile(RenderTune(tune), tune.rate);
        const std::string path = std::string(folder) + "/" + tune.name + ".wav";
        if (!platform::WriteFileAtomically(path.c_str(), file.data(), file.size()))
        {
            std::fprintf(stderr, "soundtool: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

} // namespace soundtool
