// RIFF WAVE parsing: a bounded chunk walk, then PCM conversion to signed 16 bits.
#include "platform/audio/WavReader.h"

#include <cstring>

namespace platform
{
namespace
{

uint32_t Read32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t Read16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

constexpr int kMaxRate = 384000;

// The sub-format GUID of extensible PCM: 00000001-0000-0010-8000-00AA00389B71.
constexpr uint8_t kPcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                      0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

} // namespace

bool DecodeWav(const void* data, size_t size, PcmSound* out)
{
    if (data == nullptr || out == nullptr || size < 12)
        return false;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    if (std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return false;

    const uint8_t* fmt = nullptr;
    uint32_t fmtSize = 0;
    const uint8_t* pcm = nullptr;
    uint32_t pcmSize = 0;

    size_t pos = 12;
    while (size - pos >= 8)
    {
        const uint8_t* header = bytes + pos;
        uint32_t chunkSize = Read32(header + 4);
        if (chunkSize > size - pos - 8)
            return false; // a chunk that claims more than the file holds: damaged or hostile
        const uint8_t* body = header + 8;
        if (std::memcmp(header, "fmt ", 4) == 0 && fmt == nullptr)
        {
            fmt = body;
            fmtSize = chunkSize;
        }
        else if (std::memcmp(header, "data", 4) == 0 && pcm == nullptr)
        {
            pcm = body;
            pcmSize = chunkSize;
        }
        size_t next = static_cast<size_t>(chunkSize) + (chunkSize & 1u);
        if (next >= size - pos - 8)
            break; // the last chunk (its pad byte may be missing)
        pos += 8 + next;
    }
    if (fmt == nullptr || pcm == nullptr || fmtSize < 16)
        return false;

    uint16_t formatTag = Read16(fmt);
    int channels = Read16(fmt + 2);
    uint32_t rate = Read32(fmt + 4);
    int bits = Read16(fmt + 14);
    if (formatTag == 0xFFFE)
    {
        // Extensible: cbSize 22, valid bits, channel mask, then the sub-format GUID.
        if (fmtSize < 40 || Read16(fmt + 16) < 22 || Read16(fmt + 24) != 1 ||
            std::memcmp(fmt + 26, kPcmGuidTail, sizeof(kPcmGuidTail)) != 0)
            return false;
    }
    else if (formatTag != 1)
    {
        return false;
    }
    if (channels < 1 || channels > 2 || rate < 1 || rate > static_cast<uint32_t>(kMaxRate))
        return false;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;

    size_t bytesPerSample = static_cast<size_t>(bits / 8);
    size_t frameBytes = bytesPerSample * static_cast<size_t>(channels);
    size_t frames = pcmSize / frameBytes;

    PcmSound result;
    result.rate = static_cast<int>(rate);
    result.channels = channels;
    result.samples.resize(frames * static_cast<size_t>(channels));
    const uint8_t* src = pcm;
    for (size_t i = 0; i < result.samples.size(); ++i, src += bytesPerSample)
    {
        int16_t value = 0;
        switch (bits)
        {
        case 8:
            value = static_cast<int16_t>((static_cast<int>(src[0]) - 128) * 256);
            break;
        case 16:
            value = static_cast<int16_t>(Read16(src));
            break;
        case 24:
            value = static_cast<int16_t>(Read16(src + 1));
            break;
        default:
            value = static_cast<int16_t>(Read16(src + 2));
            break;
        }
        result.samples[i] = value;
    }
    *out = std::move(result);
    return true;
}

} // namespace platform
