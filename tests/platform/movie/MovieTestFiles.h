// Test helpers: MPEG-1 movies made at test time with mjpegtools (mpeg2enc, mp2enc, mplex) from generated
// pictures and a generated tone, and hand-built system-stream bits.
#pragma once

#include "tests/platform/audio/AudioTestFiles.h"
#include "tests/support/TestSupport.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace movietest
{

// Whether mpeg2enc (and with `mux` also mp2enc and mplex) can be run.
inline bool HaveTools(bool mux)
{
    std::string tools = mux ? "mpeg2enc mp2enc mplex" : "mpeg2enc";
    return std::system(("for t in " + tools + "; do command -v $t >/dev/null || exit 1; done").c_str()) == 0;
}

// The luma of picture i of a generated movie: a flat grey that steps up picture by picture.
inline int PictureLuma(int i, int frames)
{
    return 32 + (i * 180) / (frames > 1 ? frames - 1 : 1);
}

// The RGB level that studio-range luma y with neutral chroma stands for.
inline int GreyForLuma(int y)
{
    return static_cast<int>(std::lround((y - 16) * 255.0 / 219.0));
}

// Writes `frames` flat grey 4:2:0 pictures as YUV4MPEG and encodes them into an MPEG-1 video elementary stream.
inline bool MakeVideo(const std::string& dir, const std::string& name, int width, int height, int frames)
{
    std::string y4m = dir + "/" + name + ".y4m";
    std::FILE* file = std::fopen(y4m.c_str(), "wb");
    if (!file)
        return false;
    std::fprintf(file, "YUV4MPEG2 W%d H%d F25:1 Ip A1:1\n", width, height);
    std::vector<uint8_t> luma(static_cast<size_t>(width) * height);
    std::vector<uint8_t> chroma(static_cast<size_t>(width / 2) * (height / 2) * 2, 128);
    for (int i = 0; i < frames; ++i)
    {
        std::fputs("FRAME\n", file);
        std::fill(luma.begin(), luma.end(), static_cast<uint8_t>(PictureLuma(i, frames)));
        std::fwrite(luma.data(), 1, luma.size(), file);
        std::fwrite(chroma.data(), 1, chroma.size(), file);
    }
    std::fclose(file);
    std::string command = "mpeg2enc -v 0 -f 0 -o '" + dir + "/" + name + "' < '" + y4m + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Video plus an MP2 tone of `audioFrames` samples at 44.1 kHz mono, multiplexed into an MPEG-1 system stream.
inline bool MakeSystemStream(const std::string& dir, const std::string& name, int width, int height, int frames,
                             int audioFrames)
{
    if (!MakeVideo(dir, name + ".m1v", width, height, frames))
        return false;
    std::string base = "'" + dir + "/" + name;
    testsupport::WriteBytes(dir + "/" + name + ".wav",
                            audiotest::Wav16(44100, 1, audiotest::Sine(audioFrames, 44100, 440.0, 8000.0)));
    std::string command = "mp2enc -v 0 -b 128 -r 44100 -m -o " + base + ".mp2' < " + base +
                          ".wav' >/dev/null 2>&1 && mplex -v 0 -f 0 -o " + base + "' " + base + ".m1v' " + base +
                          ".mp2' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Counts the frames of an MPEG-1 Layer II file by walking its frame headers (frame size = 144 x bitrate /
// sample rate + padding); -1 when a header is broken.
inline int CountMp2Frames(const std::vector<uint8_t>& bytes)
{
    static const int kBitrates[16] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0};
    static const int kRates[4] = {44100, 48000, 32000, 0};
    size_t pos = 0;
    int frames = 0;
    for (; pos + 4 <= bytes.size(); ++frames)
    {
        int bitrate = kBitrates[bytes[pos + 2] >> 4];
        int rate = kRates[(bytes[pos + 2] >> 2) & 3];
        if (bytes[pos] != 0xFF || (bytes[pos + 1] & 0xFE) != 0xFC || bitrate == 0 || rate == 0)
            return -1;
        pos += static_cast<size_t>(144000 * bitrate / rate + ((bytes[pos + 2] >> 1) & 1));
    }
    return frames;
}

// Hand-built system-stream bits.
inline void Append(std::vector<uint8_t>& out, std::initializer_list<uint8_t> bytes)
{
    out.insert(out.end(), bytes);
}

// An MPEG-1 pack header (system clock 0, mux rate 1).
inline void AppendPack1(std::vector<uint8_t>& out)
{
    Append(out, {0x00, 0x00, 0x01, 0xBA, 0x21, 0x00, 0x01, 0x00, 0x01, 0x80, 0x00, 0x03});
}

// An MPEG-2 pack header with `stuffing` stuffing bytes.
inline void AppendPack2(std::vector<uint8_t>& out, uint8_t stuffing)
{
    Append(out, {0x00, 0x00, 0x01, 0xBA, 0x44, 0x00, 0x04, 0x00, 0x04, 0x01, 0x01, 0x89, 0xC3,
                 static_cast<uint8_t>(0xF8 | stuffing)});
    out.insert(out.end(), stuffing, 0xFF);
}

// The five bytes of a 33-bit time stamp behind a 4-bit marker.
inline void AppendTimeStamp(std::vector<uint8_t>& out, uint8_t marker, int64_t ts)
{
    Append(out, {static_cast<uint8_t>((marker << 4) | (((ts >> 30) & 0x07) << 1) | 1), static_cast<uint8_t>(ts >> 22),
                 static_cast<uint8_t>((((ts >> 15) & 0x7F) << 1) | 1), static_cast<uint8_t>(ts >> 7),
                 static_cast<uint8_t>(((ts & 0x7F) << 1) | 1)});
}

// A packet: start code, 16-bit length of everything after it, then `header` and `payload`.
inline void AppendPacket(std::vector<uint8_t>& out, uint8_t streamId, const std::vector<uint8_t>& header,
                         const std::vector<uint8_t>& payload)
{
    size_t length = header.size() + payload.size();
    Append(out, {0x00, 0x00, 0x01, streamId, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), payload.begin(), payload.end());
}

} // namespace movietest
