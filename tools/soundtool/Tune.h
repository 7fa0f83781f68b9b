// soundtool's tunes: a plain list of short melodies, each rendered as a 16-bit mono WAV file that the data set's
// script encodes as a music track.
//
// The source: blank lines and lines starting with '#' are skipped; every other line is one tune:
//     <name> <rate Hz> <beat seconds> <level 0..1> <note> <note> ...
// A note is a letter A to G, an optional '#' (sharp) or 'b' (flat) and an octave 0 to 8 (A4 is 440 Hz, the
// equal-tempered scale around it); '-' is a beat of rest. Each note lasts one beat and sounds as a plucked string:
// it rises over 5 ms and fades away over its beat.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace soundtool
{

struct Tune
{
    std::string name;
    int rate = 22050;
    double beat = 0.0;
    double level = 0.0;
    std::vector<double> notes; // Hz; 0 for a rest
};

// Limits of a tune.
constexpr double kMinBeat = 0.05;
constexpr double kMaxBeat = 2.0;
constexpr double kMaxTuneSeconds = 60.0;

// The frequency of a note name ("A4", "C#5", "Bb3"); false for anything else.
bool NoteFrequency(const std::string& note, double* hz);

// The tunes of the source in order; false, with a message naming the line, for a line that is not a tune, a value
// out of range, an unknown note, a tune longer than a minute or a name given twice (letter case ignored).
bool ParseTunes(const std::string& source, std::vector<Tune>* tunes, std::string* error);

// The tune's samples: note i fills the samples from round(i x beat x rate) up to round((i + 1) x beat x rate).
std::vector<int16_t> RenderTune(const Tune& tune);

// The command line's second form: "tunes <source.txt> <folder>" writes <folder>/<name>.wav for every tune.
int RunTunes(const char* source, const char* folder);

} // namespace soundtool
