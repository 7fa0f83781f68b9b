// Test input made on the spot: WAV files of generated tones, MP3s encoded from them with lame, sample banks.
#pragma once

#include "tests/support/TestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace audiotest
{

// Appends `bytes` bytes of v, little-endian.
inline void Put(std::vector<uint8_t>& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A "fmt " chunk body of plain PCM.
inline std::vector<uint8_t> FmtBody(int rate, int channels, int bits)
{
    std::vector<uint8_t> body;
    for (auto [v, n] : {std::pair{1, 2},
                        {channels, 2},
                        {rate, 4},
                        {rate * channels * bits / 8, 4},
                        {channels * bits / 8, 2},
                        {bits, 2}})
        Put(body, static_cast<uint32_t>(v), n);
    return body;
}

inline void PutChunk(std::vector<uint8_t>& out, const char* tag, const std::vector<uint8_t>& body)
{
    out.insert(out.end(), tag, tag + 4);
    Put(out, static_cast<uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() & 1)
        out.push_back(0);
}

// RIFF "WAVE" around the given chunks (already laid out), with a correct RIFF size.
inline std::vector<uint8_t> Riff(const std::vector<uint8_t>& chunks)
{
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    Put(out, static_cast<uint32_t>(chunks.size() + 4), 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E'});
    out.insert(out.end(), chunks.begin(), chunks.end());
    return out;
}

// A canonical WAV: one format chunk, then the data bytes as they stand.
inline std::vector<uint8_t> RawWav(int rate, int channels, int bits, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> chunks;
    PutChunk(chunks, "fmt ", FmtBody(rate, channels, bits));
    PutChunk(chunks, "data", data);
    return Riff(chunks);
}

// A canonical 16-bit PCM WAV of the interleaved values.
inline std::vector<uint8_t> Wav16(int rate, int channels, const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> data;
    for (int16_t s : samples)
        Put(data, static_cast<uint16_t>(s), 2);
    return RawWav(rate, channels, 16, data);
}

inline std::vector<int16_t> Sine(size_t frames, int rate, double hz, double amplitude)
{
    std::vector<int16_t> out;
    for (size_t i = 0; i < frames; ++i)
        out.push_back(static_cast<int16_t>(std::lround(amplitude * std::sin(6.283185307179586 * hz * i / rate))));
    return out;
}

inline bool HaveLame()
{
    return std::system("command -v lame >/dev/null 2>&1") == 0;
}

// Encodes a WAV file to MP3 with lame; `options` go before the file names (e.g. "-b 128").
inline bool EncodeMp3(const std::string& wavPath, const std::string& mp3Path, const std::string& options = "")
{
    std::string command = "lame --quiet " + options + " '" + wavPath + "' '" + mp3Path + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Counts sign changes from negative to non-negative in one channel of interleaved stereo output.
inline int CountRisingCrossings(const std::vector<int16_t>& stereo, size_t firstFrame, size_t frames, int channel)
{
    int count = 0;
    for (size_t i = firstFrame + 1; i < firstFrame + frames && i * 2 + 1 < stereo.size(); ++i)
        count += stereo[(i - 1) * 2 + channel] < 0 && stereo[i * 2 + channel] >= 0;
    return count;
}

// One 40-byte sample bank index record: offset, size, then the name cut or zero-filled to 32 bytes.
inline void PutBankRecord(std::vector<uint8_t>& index, uint32_t offset, uint32_t size, const std::string& name)
{
    Put(index, offset, 4);
    Put(index, size, 4);
    uint8_t field[32] = {};
    std::memcpy(field, name.data(), std::min<size_t>(name.size(), 32));
    index.insert(index.end(), field, field + 32);
}

// A sample bank's index and data file, the named files laid one after another.
struct BankFiles
{
    std::vector<uint8_t> index, data;

    void Add(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        PutBankRecord(index, static_cast<uint32_t>(data.size()), static_cast<uint32_t>(bytes.size()), name);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }

    void Write(const std::string& indexPath, const std::string& dataPath) const
    {
        testsupport::WriteBytes(indexPath, index);
        testsupport::WriteBytes(dataPath, data);
    }
};

} // namespace audiotest
