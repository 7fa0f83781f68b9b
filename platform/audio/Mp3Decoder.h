// MPEG audio decoding through libmpg123: files read through the game's path resolver, or bytes fed by the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace platform
{

// One MPEG audio frame header (Layers I, II and III of MPEG-1, MPEG-2 and MPEG-2.5).
struct MpegAudioFrame
{
    int version = 0;  // 10 (MPEG-1), 20 (MPEG-2) or 25 (MPEG-2.5)
    int layer = 0;    // 1..3
    int bitrate = 0;  // kbit/s
    int rate = 0;     // Hz
    int channels = 0; // 1 or 2
    int bytes = 0;    // the whole frame, header included
    int samples = 0;  // per channel
};

// Reads the four header bytes at p; false for anything that is no frame we can decode (free format included).
bool ParseMpegAudioFrame(const uint8_t* p, MpegAudioFrame* out);

class Mp3Decoder
{
public:
    // Opens a file of MPEG audio: after any ID3v2 tags (and zero padding) the first frame must start at once and
    // the next frame, an ID3v1 tag or the end of the file must follow it. Null for a missing file or anything
    // else (WAV files, movies, text...). Learns the file's rate and its exact length.
    static std::unique_ptr<Mp3Decoder> Open(std::string_view path);
    // A decoder fed with Feed (the movie's audio packets); its rate is known after the first frame decodes.
    static std::unique_ptr<Mp3Decoder> OpenFeed();
    ~Mp3Decoder();

    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // Output is always interleaved stereo signed 16-bit (mono is doubled) at the rate of the first frame; frames
    // of another rate later in the stream are resampled to it. 0 before the first frame of a fed decoder.
    int Rate() const { return m_iRate; }
    // Channels of the coded audio (1 or 2) of the last frame decoded; 0 before any.
    int SourceChannels() const;
    static constexpr int kChannels = 2;

    // Decodes up to maxFrames frames into out (2 values each). 0 at the end of a file or on a fatal error; a fed
    // decoder also gives 0 when it needs more bytes.
    size_t Read(int16_t* out, size_t maxFrames);
    // Appends bytes to a fed decoder; false when the decoder cannot take them.
    bool Feed(const uint8_t* data, size_t size);
    // Back to the first frame of a file.
    bool Rewind();
    // Length of a file in frames at Rate(); 0 for a fed decoder.
    uint64_t LengthFrames() const { return m_uLength; }

    struct Handle;

private:
    Mp3Decoder() = default;
    bool Setup(long extraFlags);
    void PinRate(long rate);

    Handle* m_pHandle = nullptr;
    int m_iRate = 0;
    uint64_t m_uLength = 0;
    bool m_bFed = false;
    bool m_bEnded = false;
};

} // namespace platform
