// An open movie: video pictures decoded with libmpeg2 into 32-bit RGB, its MPEG audio decoded and pushed to the
// sound back end, pictures and sound kept together by their time stamps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace platform
{

// One decoded picture: width x height pixels, 0xAARRGGBB with opaque alpha, rows packed.
struct MovieFrame
{
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

class MovieStream
{
public:
    struct Options
    {
        // Decode the sound and play it through the sound back end (started for the movie when nothing runs it).
        bool audio = true;
        // Wait for each picture's time (the movie plays at its own speed); false hands pictures out at once.
        bool paced = true;
    };

    // The largest picture accepted; a larger one ends the movie.
    static constexpr int32_t kMaxWidth = 2048;
    static constexpr int32_t kMaxHeight = 2048;
    // How far the decoded sound runs ahead of the movie's clock.
    static constexpr uint32_t kAudioLeadMs = 500;
    // The most decoded sound, in sample frames, kept for the sound back end (held before the clock's start is
    // known, or queued to play); more is dropped (a stream with far more sound than pictures).
    static constexpr size_t kMaxQueuedAudioFrames = 4u * 1024 * 1024;

    // Opens the file and reads up to its first video sequence header, so the picture size is known (and on until
    // the first time stamps of picture and sound are known, within a bound). Null when the file is missing, is
    // not an MPEG system or video stream, or has no usable video.
    static std::unique_ptr<MovieStream> Open(std::string_view fileName, const Options& options);
    ~MovieStream();
    MovieStream(const MovieStream&) = delete;
    MovieStream& operator=(const MovieStream&) = delete;

    int32_t GetWidth() const;
    int32_t GetHeight() const;
    // Pictures per second from the sequence header (25 when the header gives none).
    double GetFrameRate() const;

    // Starts the movie's clock (and its sound).
    void Run();

    // Decodes the next picture and, when paced, waits until it is due on the movie's clock, keeping the sound
    // decoded ahead of the clock. After the last picture it returns true with the same frame until the sound and
    // the last picture's time have run out. False at the end of the movie or when the video cannot be decoded.
    bool Update();

    // The picture of the last successful Update, and its time in milliseconds from the start of the movie.
    const MovieFrame& GetFrame() const;
    double GetFrameTimeMs() const;

    // Stops the clock and silences the sound at once.
    void Stop();

    // Pictures decoded so far.
    uint32_t GetFramesDecoded() const;
    // Sound decoded so far, in sample frames, its format (0 before any sound: the rate it plays at, the channels
    // it was coded with), and where it starts and ends on the movie's clock, in milliseconds.
    uint64_t GetAudioFramesDecoded() const;
    int32_t GetAudioRate() const;
    int32_t GetAudioChannels() const;
    double GetAudioStartMs() const;
    double GetAudioEndMs() const;
    // Whether the sound back end took the movie's sound.
    bool IsAudioOpen() const;

    struct Impl;

private:
    explicit MovieStream(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_pImpl;
};

} // namespace platform
