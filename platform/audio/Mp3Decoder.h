// MPEG audio decoding through libmpg123, reading the file through the game's path resolver.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace platform
{

class Mp3Decoder
{
public:
    // Opens the file and decodes up to its first frame to learn the format; null when the file is missing or no
    // MPEG audio frame is found near its start.
    static std::unique_ptr<Mp3Decoder> Open(std::string_view path);
    ~Mp3Decoder();

    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // Output is always interleaved stereo signed 16-bit (mono files are doubled) at the file's own rate.
    int Rate() const { return m_iRate; }
    static constexpr int kChannels = 2;

    // Decodes up to maxFrames frames into out (2 values each); 0 at the end of the stream or on a fatal error.
    size_t Read(int16_t* out, size_t maxFrames);
    // Back to the first frame.
    bool Rewind();
    // Length in frames: exact with a VBR index or a constant bitrate, an estimate otherwise; 0 when unknown.
    uint64_t LengthFrames() const;

private:
    Mp3Decoder() = default;
    static std::unique_ptr<Mp3Decoder> OpenWith(std::string_view path, long extraFlags);

    struct Handle;
    Handle* m_pHandle = nullptr;
    int m_iRate = 0;
    bool m_bEnded = false;
};

} // namespace platform
