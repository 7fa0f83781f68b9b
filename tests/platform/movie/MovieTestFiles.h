// Test helpers: MPEG-1 movies made at test time with mjpegtools (mpeg2enc, mp2enc, mplex) from generated
// pictures and a generated tone, and hand-built system-stream bits.
#pragma once

#include "tests/platform/audio/AudioTestFiles.h"
#include "tests/support/TestSupport.h"

#include <algorithm>
#include <cstdint>
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

// A flat colour as studio-range Y, Cb and Cr; luma < 0 takes the grey steps of PictureLuma.
struct Yuv
{
    int y = -1, cb = 128, cr = 128;
};

// Writes `frames` flat 4:2:0 pictures (grey steps, or one colour) as YUV4MPEG and encodes them into an MPEG-1
// video elementary stream (`options` go to the encoder).
inline bool MakeVideo(const std::string& dir, const std::string& name, int width, int height, int frames,
                      Yuv colour = {}, const std::string& options = "")
{
    std::string y4m = "YUV4MPEG2 W" + std::to_string(width) + " H" + std::to_string(height) + " F25:1 Ip A1:1\n";
    const size_t pixels = static_cast<size_t>(width) * height;
    for (int i = 0; i < frames; ++i)
    {
        y4m += "FRAME\n";
        y4m.append(pixels, static_cast<char>(colour.y < 0 ? PictureLuma(i, frames) : colour.y));
        y4m.append(pixels / 4, static_cast<char>(colour.cb));
        y4m.append(pixels / 4, static_cast<char>(colour.cr));
    }
    testsupport::WriteText(dir + "/" + name + ".y4m", y4m);
    std::string command = "mpeg2enc -v 0 -f 0 " + options + " -o '" + dir + "/" + name + "' < '" + dir + "/" + name +
                          ".y4m' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// A 440 Hz tone of `audioFrames` samples at 44.1 kHz mono, coded by mp2enc as MPEG-1 Layer `layer` at `kbps`.
inline bool MakeAudio(const std::string& dir, const std::string& name, int audioFrames, int kbps = 128, int layer = 2)
{
    std::string base = "'" + dir + "/" + name;
    testsupport::WriteBytes(dir + "/" + name + ".wav",
                            audiotest::Wav16(44100, 1, audiotest::Sine(audioFrames, 44100, 440.0, 8000.0)));
    std::string command = "mp2enc -v 0 -l " + std::to_string(layer) + " -b " + std::to_string(kbps) +
                          " -r 44100 -m -o " + base + "' < " + base + ".wav' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Video plus an MP2 tone of `audioFrames` samples, multiplexed by mplex into an MPEG-1 system stream.
inline bool MakeSystemStream(const std::string& dir, const std::string& name, int width, int height, int frames,
                             int audioFrames)
{
    if (!MakeVideo(dir, name + ".m1v", width, height, frames) || !MakeAudio(dir, name + ".mp2", audioFrames))
        return false;
    std::string base = "'" + dir + "/" + name;
    std::string command = "mplex -v 0 -f 0 -o " + base + "' " + base + ".m1v' " + base + ".mp2' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
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

// One coded picture of a video elementary stream with the headers before it (the last one keeps what follows it,
// the end code), and its place in display order: its group's first picture plus its temporal reference.
struct CodedPicture
{
    std::vector<uint8_t> bytes;
    int displayIndex = 0;
};

inline std::vector<CodedPicture> SplitPictures(const std::vector<uint8_t>& video)
{
    std::vector<CodedPicture> pictures;
    size_t start = 0;
    bool open = false;
    int groupFirst = 0, inGroup = 0, display = 0;
    auto close = [&](size_t end) {
        pictures.push_back({std::vector<uint8_t>(video.begin() + start, video.begin() + end), display});
    };
    for (size_t i = 0; i + 5 < video.size(); ++i)
    {
        uint8_t code = video[i + 3];
        if (video[i] != 0 || video[i + 1] != 0 || video[i + 2] != 1 || (code != 0xB3 && code != 0xB8 && code != 0))
            continue;
        if (open)
            close(i), start = i, open = false;
        if (code == 0xB8)
            groupFirst += inGroup, inGroup = 0;
        if (code == 0)
            open = true, ++inGroup, display = groupFirst + ((video[i + 4] << 2) | (video[i + 5] >> 6));
    }
    if (open)
        close(video.size());
    return pictures;
}

// The frames of an MPEG-1 Layer II file coded at `kbps` and 44.1 kHz: 144 x bitrate / rate bytes, plus the
// padding byte its header's padding bit adds.
inline std::vector<std::vector<uint8_t>> SplitMp2Frames(const std::vector<uint8_t>& audio, int kbps)
{
    std::vector<std::vector<uint8_t>> frames;
    for (size_t at = 0; at + 4 <= audio.size();)
    {
        size_t size = 144 * kbps * 1000 / 44100 + ((audio[at + 2] >> 1) & 1);
        frames.emplace_back(audio.begin() + at, audio.begin() + std::min(at + size, audio.size()));
        at += size;
    }
    return frames;
}

// A system stream of hand-stamped packets (stream id, 90 kHz stamp, payload), laid out after one pack header in
// the order of the time each is needed (`at`, 90 kHz), with the program end code.
struct StampedPacket
{
    uint8_t streamId = 0;
    int64_t pts = 0;
    std::vector<uint8_t> payload;
    int64_t at = 0;
};

inline std::vector<uint8_t> Multiplex(std::vector<StampedPacket> packets)
{
    std::stable_sort(packets.begin(), packets.end(),
                     [](const StampedPacket& a, const StampedPacket& b) { return a.at < b.at; });
    std::vector<uint8_t> out;
    AppendPack1(out);
    for (const StampedPacket& packet : packets)
    {
        std::vector<uint8_t> header;
        AppendTimeStamp(header, 0x2, packet.pts);
        AppendPacket(out, packet.streamId, header, packet.payload);
    }
    Append(out, {0x00, 0x00, 0x01, 0xB9});
    return out;
}

} // namespace movietest
