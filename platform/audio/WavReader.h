// Reading whole RIFF WAVE files held in memory into interleaved signed 16-bit PCM.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform
{

struct PcmSound
{
    int rate = 0;
    int channels = 0;             // 1 or 2
    std::vector<int16_t> samples; // interleaved, frames x channels values
    size_t Frames() const { return channels > 0 ? samples.size() / static_cast<size_t>(channels) : 0; }
};

// Accepts PCM (format 1, or the extensible form with the PCM sub-format) of 8 (unsigned), 16, 24 or 32 bits,
// one or two channels, any rate from 1 Hz to 384 kHz, chunks in any order. The RIFF size field is not trusted;
// every chunk must lie inside the bytes given (a missing pad byte after the last chunk is allowed). False, with
// `out` untouched, for anything else.
bool DecodeWav(const void* data, size_t size, PcmSound* out);

} // namespace platform
