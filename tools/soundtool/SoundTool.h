// soundtool's work: a plain list of generated tones read, each tone rendered as a 16-bit mono WAV file, and the
// sample bank (40-byte index records over one data file) made of them.
//
// The source: blank lines and lines starting with '#' are skipped; "rate <Hz>" sets the sample rate of the tones
// after it (22050 until set); every other line is one tone:
//     <name> <shape> <frequency Hz> <seconds> <level 0..1> <loop|shot>
// shape: sine, square, triangle or noise (the game's 15-bit generator, started afresh for each tone; the frequency
// is not used). A loop is a whole number of periods, so it repeats without a click; a shot rises over its first
// and falls over its last hundredth of a second. The bank names each tone "<name>.wav".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace soundtool
{

enum class Shape
{
    Sine,
    Square,
    Triangle,
    Noise,
};

struct Tone
{
    std::string name;
    Shape shape = Shape::Sine;
    double frequency = 0.0;
    double seconds = 0.0;
    double level = 0.0;
    bool loop = false;
    int rate = 22050;
};

struct Bank
{
    std::vector<uint8_t> index;
    std::vector<uint8_t> data;
};

// Rates and lengths a tone may have.
constexpr int kMinRate = 8000;
constexpr int kMaxRate = 48000;
constexpr double kMaxSeconds = 10.0;
// Longest name: with ".wav" it fills the bank record's 32 bytes less its terminator.
constexpr size_t kMaxNameLength = 27;

// The tones of the source in order; false, with a message naming the line, for a line that is not a tone or a rate,
// a value out of range, a loop that is no whole number of periods or a name given twice (letter case ignored).
bool ParseSource(const std::string& source, std::vector<Tone>* tones, std::string* error);

// The tone's samples: round(seconds x rate) of them.
std::vector<int16_t> Render(const Tone& tone);

// A canonical RIFF WAVE file of 16-bit mono PCM.
std::vector<uint8_t> WavFile(const std::vector<int16_t>& samples, int rate);

// The bank of the tones, laid out in their order.
Bank MakeBank(const std::vector<Tone>& tones);

// The command line: "write <source.txt> <bank.hdr> <bank.spf>", or "tunes <tunes.txt> <folder>" (Tune.h). Returns the
// exit code; messages go to standard error.
int Run(int argc, const char* const* argv);

} // namespace soundtool
