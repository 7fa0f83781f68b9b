// The movie decoder: demultiplexed video through libmpeg2 (converted to RGB here), audio through libmpg123 into
// an SDL audio queue, and the picture clock.
#include "platform/movie/MovieStream.h"

#include "platform/Time.h"
#include "platform/movie/MpegDemuxer.h"

#include <SDL.h>
#include <mpg123.h>

extern "C"
{
#include <mpeg2dec/mpeg2.h>
}

#include <algorithm>
#include <cstring>
#include <mutex>

namespace platform
{
namespace
{

// More queued sound than this is dropped: a stream with far more audio than pictures must not fill memory.
constexpr uint32_t kMaxQueuedAudioBytes = 16u * 1024 * 1024;
// Time the last picture may stay up after the sound queue should have drained.
constexpr uint32_t kAudioTailSlackMs = 1000;
constexpr double kDefaultFrameRate = 25.0;

void InitMpg123Once()
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

inline uint8_t Clamp8(int v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

} // namespace

struct MovieStream::Impl
{
    Options options;
    MpegDemuxer demuxer;

    // Video.
    mpeg2dec_t* video = nullptr;
    const mpeg2_info_t* info = nullptr;
    int videoStream = -1;
    // The bytes libmpeg2 is working on; it may read them until it asks for the next buffer.
    std::vector<uint8_t> videoChunk;
    bool endCodeFed = false;
    int32_t width = 0;
    int32_t height = 0;
    unsigned framePeriod = 0; // 27 MHz ticks
    MovieFrame frame;
    uint32_t framesDecoded = 0;
    bool videoEnded = false;

    // Audio.
    int audioStream = -1;
    mpg123_handle* audio = nullptr;
    bool audioFailed = false;
    int32_t audioRate = 0;
    int32_t audioChannels = 0;
    uint64_t audioFrames = 0;
    bool audioSubsystem = false;
    SDL_AudioDeviceID device = 0;
    std::vector<uint8_t> pcm;

    // Clock.
    bool running = false;
    uint32_t startTick = 0;
    bool inTail = false;
    uint32_t tailStart = 0;
    uint32_t tailLength = 0;

    ~Impl()
    {
        CloseDevice();
        if (audioSubsystem)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        if (audio)
            mpg123_delete(audio);
        if (video)
            mpeg2_close(video);
    }

    // What the parser says after it has been given input; kNoMoreInput when the file is used up.
    static constexpr int kNoMoreInput = -1;

    int Step()
    {
        for (;;)
        {
            mpeg2_state_t state = mpeg2_parse(video);
            if (state != STATE_BUFFER)
                return state;
            if (!FeedVideo())
                return kNoMoreInput;
        }
    }

    // Hands the next video packet to libmpeg2, decoding the audio packets met on the way. At the end of the
    // file a sequence end code follows once, so the last picture comes out.
    bool FeedVideo()
    {
        MpegPacket packet;
        while (demuxer.NextPacket(&packet))
        {
            if (IsMpegAudioStream(packet.streamId))
            {
                if (audioStream < 0)
                    audioStream = packet.streamId;
                if (packet.streamId == audioStream)
                    DecodeAudio(packet.data, packet.size);
                continue;
            }
            if (videoStream < 0)
                videoStream = packet.streamId;
            if (packet.streamId != videoStream || packet.size == 0)
                continue;
            videoChunk.assign(packet.data, packet.data + packet.size);
            mpeg2_buffer(video, videoChunk.data(), videoChunk.data() + videoChunk.size());
            return true;
        }
        if (endCodeFed)
            return false;
        endCodeFed = true;
        static const uint8_t kSequenceEnd[4] = {0x00, 0x00, 0x01, 0xB7};
        videoChunk.assign(kSequenceEnd, kSequenceEnd + 4);
        mpeg2_buffer(video, videoChunk.data(), videoChunk.data() + videoChunk.size());
        return true;
    }

    // Takes the size and rate of a (new) sequence header; false when the picture is too large or empty.
    bool TakeSequence()
    {
        const mpeg2_sequence_t* sequence = info->sequence;
        if (!sequence)
            return false;
        int32_t w = static_cast<int32_t>(sequence->picture_width);
        int32_t h = static_cast<int32_t>(sequence->picture_height);
        if (w <= 0 || h <= 0 || w > kMaxWidth || h > kMaxHeight || sequence->width < sequence->picture_width ||
            sequence->height < sequence->picture_height || sequence->chroma_width == 0 || sequence->chroma_height == 0)
            return false;
        width = w;
        height = h;
        framePeriod = sequence->frame_period;
        return true;
    }

    // BT.601 studio-range YCbCr to RGB, chroma taken from its (possibly smaller) planes.
    void ConvertPicture(const mpeg2_fbuf_t* fbuf)
    {
        const mpeg2_sequence_t* sequence = info->sequence;
        frame.width = width;
        frame.height = height;
        frame.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        const unsigned lumaStride = sequence->width;
        const unsigned chromaStride = sequence->chroma_width;
        const unsigned xShift = sequence->chroma_width < sequence->width ? 1 : 0;
        const unsigned yShift = sequence->chroma_height < sequence->height ? 1 : 0;
        for (int32_t y = 0; y < height; ++y)
        {
            const uint8_t* rowY = fbuf->buf[0] + static_cast<size_t>(y) * lumaStride;
            const uint8_t* rowU = fbuf->buf[1] + static_cast<size_t>(y >> yShift) * chromaStride;
            const uint8_t* rowV = fbuf->buf[2] + static_cast<size_t>(y >> yShift) * chromaStride;
            uint32_t* out = frame.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
            for (int32_t x = 0; x < width; ++x)
            {
                int c = 298 * (rowY[x] - 16);
                int d = rowU[x >> xShift] - 128;
                int e = rowV[x >> xShift] - 128;
                uint8_t r = Clamp8((c + 409 * e + 128) >> 8);
                uint8_t g = Clamp8((c - 100 * d - 208 * e + 128) >> 8);
                uint8_t b = Clamp8((c + 516 * d + 128) >> 8);
                out[x] = 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | b;
            }
        }
    }

    void DecodeAudio(const uint8_t* data, size_t size)
    {
        if (audioFailed || size == 0)
            return;
        if (!audio && !StartAudioDecoder())
            return;
        if (mpg123_feed(audio, data, size) != MPG123_OK)
        {
            audioFailed = true;
            return;
        }
        pcm.resize(64 * 1024);
        for (;;)
        {
            size_t done = 0;
            int result = mpg123_read(audio, pcm.data(), pcm.size(), &done);
            if (result == MPG123_NEW_FORMAT)
            {
                long rate = 0;
                int channels = 0, encoding = 0;
                mpg123_getformat(audio, &rate, &channels, &encoding);
                if (rate != audioRate || channels != audioChannels)
                {
                    audioRate = static_cast<int32_t>(rate);
                    audioChannels = channels;
                    OpenDevice();
                }
                continue;
            }
            if (done > 0 && audioChannels > 0)
            {
                audioFrames += done / (2u * static_cast<unsigned>(audioChannels));
                if (device && SDL_GetQueuedAudioSize(device) < kMaxQueuedAudioBytes)
                    SDL_QueueAudio(device, pcm.data(), static_cast<Uint32>(done));
            }
            if (result == MPG123_OK)
                continue;
            if (result != MPG123_NEED_MORE && result != MPG123_DONE)
                audioFailed = true;
            break;
        }
    }

    bool StartAudioDecoder()
    {
        InitMpg123Once();
        int error = 0;
        audio = mpg123_new(nullptr, &error);
        if (!audio)
        {
            audioFailed = true;
            return false;
        }
        mpg123_param(audio, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
        // Always 16-bit signed samples, at the stream's own rate and channel count.
        mpg123_format_none(audio);
        const long* rates = nullptr;
        size_t count = 0;
        mpg123_rates(&rates, &count);
        for (size_t i = 0; i < count; ++i)
            mpg123_format(audio, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
        if (mpg123_open_feed(audio) != MPG123_OK)
        {
            mpg123_delete(audio);
            audio = nullptr;
            audioFailed = true;
            return false;
        }
        return true;
    }

    void OpenDevice()
    {
        CloseDevice();
        if (!options.audio || audioRate <= 0 || audioChannels <= 0)
            return;
        if (!audioSubsystem)
        {
            if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            {
                // No sound device: the movie plays silently.
                options.audio = false;
                return;
            }
            audioSubsystem = true;
        }
        SDL_AudioSpec want{};
        want.freq = audioRate;
        want.format = AUDIO_S16SYS;
        want.channels = static_cast<Uint8>(audioChannels);
        want.samples = 2048;
        SDL_AudioSpec have{};
        // SDL converts to whatever the device plays.
        device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device && running)
            SDL_PauseAudioDevice(device, 0);
    }

    void CloseDevice()
    {
        if (device)
            SDL_CloseAudioDevice(device);
        device = 0;
    }

    double FrameRate() const { return framePeriod ? 27000000.0 / framePeriod : kDefaultFrameRate; }

    // Waits until picture `index` is due on the movie's clock.
    void WaitForPicture(uint32_t index)
    {
        if (!options.paced)
            return;
        uint32_t due = static_cast<uint32_t>(index * 1000.0 / FrameRate());
        for (;;)
        {
            uint32_t elapsed = TickCount() - startTick;
            if (elapsed >= due)
                return;
            SleepMs(std::min<uint32_t>(due - elapsed, 5));
        }
    }

    // After the last picture: keeps it up while the queued sound plays out (bounded). True while waiting.
    bool HoldForSound()
    {
        if (!options.paced || !device)
            return false;
        if (!inTail)
        {
            uint32_t bytesPerSecond = static_cast<uint32_t>(audioRate) * static_cast<uint32_t>(audioChannels) * 2;
            if (bytesPerSecond == 0)
                return false;
            inTail = true;
            tailStart = TickCount();
            tailLength = static_cast<uint32_t>(uint64_t{SDL_GetQueuedAudioSize(device)} * 1000 / bytesPerSecond) +
                         kAudioTailSlackMs;
        }
        if (SDL_GetQueuedAudioSize(device) == 0 || TickCount() - tailStart >= tailLength)
            return false;
        SleepMs(std::min<uint32_t>(static_cast<uint32_t>(1000.0 / FrameRate()), 40));
        return true;
    }
};

std::unique_ptr<MovieStream> MovieStream::Open(std::string_view fileName, const Options& options)
{
    auto impl = std::make_unique<Impl>();
    impl->options = options;
    if (!impl->demuxer.Open(fileName))
        return nullptr;
    impl->video = mpeg2_init();
    if (!impl->video)
        return nullptr;
    impl->info = mpeg2_info(impl->video);
    for (;;)
    {
        int state = impl->Step();
        if (state == Impl::kNoMoreInput)
            return nullptr;
        if (state == STATE_SEQUENCE)
        {
            if (!impl->TakeSequence())
                return nullptr;
            break;
        }
    }
    return std::unique_ptr<MovieStream>(new MovieStream(std::move(impl)));
}

MovieStream::MovieStream(std::unique_ptr<Impl> impl) : m_pImpl(std::move(impl)) {}

MovieStream::~MovieStream() = default;

int32_t MovieStream::GetWidth() const
{
    return m_pImpl->width;
}

int32_t MovieStream::GetHeight() const
{
    return m_pImpl->height;
}

double MovieStream::GetFrameRate() const
{
    return m_pImpl->FrameRate();
}

void MovieStream::Run()
{
    Impl& d = *m_pImpl;
    if (d.running)
        return;
    d.running = true;
    d.startTick = TickCount();
    if (d.device)
        SDL_PauseAudioDevice(d.device, 0);
}

bool MovieStream::Update()
{
    Impl& d = *m_pImpl;
    if (!d.running)
        Run();
    if (d.videoEnded)
        return d.HoldForSound();
    for (;;)
    {
        int state = d.Step();
        if (state == Impl::kNoMoreInput)
            break;
        if (state == STATE_SEQUENCE || state == STATE_SEQUENCE_MODIFIED)
        {
            if (!d.TakeSequence())
                break;
            continue;
        }
        if ((state == STATE_SLICE || state == STATE_END || state == STATE_INVALID_END) && d.info->display_fbuf)
        {
            d.ConvertPicture(d.info->display_fbuf);
            d.WaitForPicture(d.framesDecoded);
            ++d.framesDecoded;
            return true;
        }
    }
    d.videoEnded = true;
    return d.HoldForSound();
}

const MovieFrame& MovieStream::GetFrame() const
{
    return m_pImpl->frame;
}

void MovieStream::Stop()
{
    Impl& d = *m_pImpl;
    d.running = false;
    if (d.device)
    {
        SDL_PauseAudioDevice(d.device, 1);
        SDL_ClearQueuedAudio(d.device);
    }
}

uint32_t MovieStream::GetFramesDecoded() const
{
    return m_pImpl->framesDecoded;
}

uint64_t MovieStream::GetAudioFramesDecoded() const
{
    return m_pImpl->audioFrames;
}

int32_t MovieStream::GetAudioRate() const
{
    return m_pImpl->audioRate;
}

int32_t MovieStream::GetAudioChannels() const
{
    return m_pImpl->audioChannels;
}

bool MovieStream::IsAudioOpen() const
{
    return m_pImpl->device != 0;
}

} // namespace platform
