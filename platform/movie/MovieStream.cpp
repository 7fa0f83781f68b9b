// The movie decoder: demultiplexed video through libmpeg2 (converted to RGB here), audio through the MP3 decoder
// into a pushed stream of the sound back end, both placed on one clock by their time stamps.
#include "platform/movie/MovieStream.h"

#include "platform/Time.h"
#include "platform/audio/Mp3Decoder.h"
#include "platform/audio/Sound.h"
#include "platform/movie/MpegDemuxer.h"

extern "C"
{
#include <mpeg2dec/mpeg2.h>
}

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <unordered_set>

namespace platform
{
namespace
{

constexpr double kDefaultFrameRate = 25.0;
// Video read ahead of the decoder while looking for sound; past this the sound waits (a damaged file must not
// fill memory).
constexpr size_t kMaxPendingVideoBytes = 4u * 1024 * 1024;
// Video read at the start while looking for the first time stamps.
constexpr size_t kMaxPrimeBytes = 256 * 1024;
constexpr size_t kMaxQueuedAudioFrames = MovieStream::kMaxQueuedAudioFrames;
// Time stamps further than this from the ones they are measured against are damaged: first stamps of sound and
// pictures this far apart are not in step (the sound starts with the pictures), and a picture stamped this far
// after the one before follows it by one period. A 33-bit stamp can lie 26 hours away.
constexpr int64_t kMaxStampGapMs = 10000;
constexpr int64_t kMaxStampGap = kMaxStampGapMs * 90;
// The silence before the sound stays within the queue's bound at every MPEG audio rate.
static_assert(kMaxStampGapMs * 48 < kMaxQueuedAudioFrames);
// After the sound's time is up, how long the last picture may wait for the device to play out what it holds.
constexpr double kAudioTailSlackMs = 250.0;
// Channels the back end gets when the movie starts it.
constexpr int kSoundChannels = 4;
constexpr size_t kDecodeFrames = 4096;

inline uint8_t Clamp8(int v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// The decoder's memory comes cleared: reading a damaged stream it uses state and bytes it never wrote, which must
// be the same zeros every time rather than whatever the heap held. Blocks of its own (should ours fail) are left
// to it when freed.
std::mutex g_decoderMemoryLock;
std::unordered_set<void*>& DecoderBlocks()
{
    static auto* blocks = new std::unordered_set<void*>;
    return *blocks;
}

void* AllocateCleared(unsigned size, mpeg2_alloc_t)
{
    size_t rounded = (static_cast<size_t>(size) + 63) / 64 * 64;
    void* block = std::aligned_alloc(64, rounded);
    if (!block)
        return nullptr;
    std::memset(block, 0, rounded);
    std::lock_guard<std::mutex> lock(g_decoderMemoryLock);
    DecoderBlocks().insert(block);
    return block;
}

int FreeCleared(void* block)
{
    std::lock_guard<std::mutex> lock(g_decoderMemoryLock);
    if (DecoderBlocks().erase(block) == 0)
        return 0;
    std::free(block);
    return 1;
}

struct VideoPacket
{
    std::vector<uint8_t> bytes;
    bool hasPts = false;
    int64_t pts = 0;
};

} // namespace

struct MovieStream::Impl
{
    Options options;
    MpegDemuxer demuxer;
    bool demuxEnded = false;

    // Time stamps: every time on the movie's clock counts from the earliest first stamp of picture or sound.
    bool haveVideoPts = false;
    int64_t firstVideoPts = 0;
    bool haveAudioPts = false;
    int64_t firstAudioPts = 0;
    bool haveBase = false;
    int64_t basePts = 0;
    int64_t audioStartPts = 0; // the first sound stamp, or the clock's start when it is not in step

    // Video.
    mpeg2dec_t* video = nullptr;
    const mpeg2_info_t* info = nullptr;
    int videoStream = -1;
    std::deque<VideoPacket> pendingVideo; // read ahead of the decoder
    size_t pendingBytes = 0;
    // The bytes libmpeg2 is working on; it may read them until it asks for the next buffer.
    std::vector<uint8_t> videoChunk;
    bool endCodeFed = false;
    bool lastVideoCut = false; // the last video packet read was cut short by the end of the file
    // The buffer of the picture the video data ran out inside: part of it was never decoded, so it is not shown.
    const mpeg2_fbuf_t* cutPicture = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    unsigned framePeriod = 0; // 27 MHz ticks
    MovieFrame frame;
    double frameMs = 0.0;
    uint32_t framesDecoded = 0;   // pictures handed out
    uint32_t picturesDecoded = 0; // pictures whose every slice the decoder has been through
    uint32_t picturesDropped = 0; // decoded pictures not handed out
    bool videoEnded = false;

    // Audio.
    int audioStream = -1;
    std::unique_ptr<Mp3Decoder> audio;
    bool audioFailed = false;
    uint64_t audioFrames = 0;
    std::vector<int16_t> heldPcm; // decoded before the clock's start was known
    std::vector<int16_t> pcm;
    bool soundTried = false;
    bool ownsBackEnd = false;
    SoundStream* sound = nullptr;
    int soundChannel = -1;

    // Clock.
    bool running = false;
    uint32_t startTick = 0;
    bool holding = false;
    double endMs = 0.0;

    ~Impl()
    {
        if (sound)
            SoundStreamClose(sound);
        if (ownsBackEnd)
            SoundClose();
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

    // Reads one packet: sound is decoded at once, video joins the queue ahead of the decoder. False at the end.
    bool ReadPacket()
    {
        MpegPacket packet;
        if (demuxEnded || !demuxer.NextPacket(&packet))
        {
            demuxEnded = true;
            return false;
        }
        if (IsMpegAudioStream(packet.streamId))
        {
            if (audioStream < 0)
                audioStream = packet.streamId;
            if (packet.streamId == audioStream && options.audio)
            {
                if (packet.hasPts && !haveAudioPts)
                {
                    haveAudioPts = true;
                    firstAudioPts = packet.pts;
                }
                DecodeAudio(packet.data, packet.size);
            }
            return true;
        }
        if (videoStream < 0)
            videoStream = packet.streamId;
        if (packet.streamId != videoStream || packet.size == 0 || videoEnded)
            return true;
        if (packet.hasPts && !haveVideoPts)
        {
            haveVideoPts = true;
            firstVideoPts = packet.pts;
        }
        lastVideoCut = packet.cut;
        pendingVideo.push_back(
            {std::vector<uint8_t>(packet.data, packet.data + packet.size), packet.hasPts, packet.pts});
        pendingBytes += packet.size;
        return true;
    }

    // Hands the next video packet to libmpeg2 with its time stamp. At the end of the file a sequence end code
    // follows once, so the last picture comes out.
    bool FeedVideo()
    {
        while (pendingVideo.empty() && ReadPacket())
        {
        }
        if (!pendingVideo.empty())
        {
            VideoPacket& packet = pendingVideo.front();
            videoChunk = std::move(packet.bytes);
            pendingBytes -= videoChunk.size();
            if (packet.hasPts)
                mpeg2_tag_picture(video, static_cast<uint32_t>(packet.pts), static_cast<uint32_t>(packet.pts >> 32));
            pendingVideo.pop_front();
            mpeg2_buffer(video, videoChunk.data(), videoChunk.data() + videoChunk.size());
            return true;
        }
        if (endCodeFed)
            return false;
        endCodeFed = true;
        // A byte that is no part of a start code first: a file cut inside a start code prefix must not join it to
        // this one.
        static const uint8_t kSequenceEnd[5] = {0xFF, 0x00, 0x00, 0x01, 0xB7};
        videoChunk.assign(kSequenceEnd, kSequenceEnd + 5);
        mpeg2_buffer(video, videoChunk.data(), videoChunk.data() + videoChunk.size());
        return true;
    }

    // The picture this end code completes was cut off by the end of the data: a bare video stream ends a whole
    // last picture with its own end code, a system stream with a whole packet.
    bool DataEndedInsidePicture() const
    {
        return demuxer.GetKind() == MpegDemuxer::Kind::VideoElementary || lastVideoCut;
    }

    // A new picture's buffer starts black, so no part the data leaves out shows what the memory held before.
    void ClearPicture(const mpeg2_fbuf_t* fbuf)
    {
        const mpeg2_sequence_t* sequence = info->sequence;
        if (!fbuf || !sequence || !fbuf->buf[0] || !fbuf->buf[1] || !fbuf->buf[2])
            return;
        std::fill_n(fbuf->buf[0], static_cast<size_t>(sequence->width) * sequence->height, uint8_t{16});
        for (int plane = 1; plane < 3; ++plane)
            std::fill_n(fbuf->buf[plane], static_cast<size_t>(sequence->chroma_width) * sequence->chroma_height,
                        uint8_t{128});
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

    // A picture is there to show: one more was decoded than has been shown, into a buffer with every plane. (At
    // the end of a file cut short after its sequence header the decoder names a buffer nothing was decoded into.)
    bool HasPicture() const
    {
        const mpeg2_fbuf_t* fbuf = info->display_fbuf;
        return picturesDecoded > framesDecoded + picturesDropped && width > 0 && info->sequence && fbuf &&
               fbuf->buf[0] && fbuf->buf[1] && fbuf->buf[2];
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

    double FrameRate() const { return framePeriod ? 27000000.0 / framePeriod : kDefaultFrameRate; }
    double PeriodMs() const { return 1000.0 / FrameRate(); }
    double MsOf(int64_t pts) const { return std::max(0.0, static_cast<double>(pts - basePts) / 90.0); }

    // The time of the picture about to be shown: its own stamp, or one period after the one before (also when
    // its stamp lies too far after that one's time).
    double PictureTime(const mpeg2_picture_t* picture) const
    {
        const double before = framesDecoded ? frameMs : 0.0;
        if (picture && (picture->flags & PIC_FLAG_TAGS))
        {
            double stamped = MsOf((static_cast<int64_t>(picture->tag2) << 32) | picture->tag);
            if (stamped <= before + kMaxStampGapMs)
                return stamped;
        }
        if (framesDecoded == 0)
            return haveVideoPts ? MsOf(firstVideoPts) : 0.0;
        return frameMs + PeriodMs();
    }

    // Fixes the clock's start once the first stamps are known, and sends what sound was held for it.
    void SetBase()
    {
        haveBase = true;
        bool inStep = haveVideoPts && haveAudioPts && std::abs(firstAudioPts - firstVideoPts) <= kMaxStampGap;
        if (inStep)
            basePts = std::min(firstVideoPts, firstAudioPts);
        else if (haveVideoPts || haveAudioPts)
            basePts = haveVideoPts ? firstVideoPts : firstAudioPts;
        audioStartPts = inStep ? firstAudioPts : basePts;
        std::vector<int16_t> held = std::move(heldPcm);
        QueueAudio(held.data(), held.size() / Mp3Decoder::kChannels);
    }

    double AudioStartMs() const { return haveBase ? MsOf(audioStartPts) : 0.0; }
    double AudioEndMs() const
    {
        int rate = audio ? audio->Rate() : 0;
        return AudioStartMs() + (rate > 0 ? static_cast<double>(audioFrames) * 1000.0 / rate : 0.0);
    }

    void DecodeAudio(const uint8_t* data, size_t size)
    {
        if (audioFailed || size == 0)
            return;
        if (!audio && !(audio = Mp3Decoder::OpenFeed()))
        {
            audioFailed = true;
            return;
        }
        if (!audio->Feed(data, size))
        {
            audioFailed = true;
            return;
        }
        pcm.resize(kDecodeFrames * Mp3Decoder::kChannels);
        while (size_t got = audio->Read(pcm.data(), kDecodeFrames))
        {
            audioFrames += got;
            QueueAudio(pcm.data(), got);
        }
    }

    // Sends decoded frames to the back end, the silence before the sound's start first.
    void QueueAudio(const int16_t* frames, size_t count)
    {
        if (count == 0)
            return;
        if (!haveBase)
        {
            // Sound read before the first picture obeys the same bound: a file with far more sound than pictures
            // before its first picture (or none at all) must not fill memory.
            const size_t held = heldPcm.size() / Mp3Decoder::kChannels;
            const size_t kept = held < kMaxQueuedAudioFrames ? std::min(count, kMaxQueuedAudioFrames - held) : 0;
            heldPcm.insert(heldPcm.end(), frames, frames + kept * Mp3Decoder::kChannels);
            return;
        }
        if (!soundTried)
            OpenSound();
        if (sound && SoundStreamQueuedFrames(sound) < kMaxQueuedAudioFrames)
            SoundStreamQueuePcm(sound, frames, count);
    }

    void OpenSound()
    {
        soundTried = true;
        int rate = audio->Rate();
        if (!SoundIsInitialised())
        {
            // Nothing runs the back end yet (the movie plays before the game's sound starts): the movie runs it.
            if (!SoundInit(rate, kSoundChannels))
                return;
            ownsBackEnd = true;
        }
        sound = SoundStreamCreatePcm(rate, Mp3Decoder::kChannels);
        if (!sound)
            return;
        size_t silence = static_cast<size_t>(std::llround(AudioStartMs() * rate / 1000.0));
        std::vector<int16_t> zeros(silence * Mp3Decoder::kChannels, 0);
        SoundStreamQueuePcm(sound, zeros.data(), silence);
        soundChannel = SoundStreamPlay(sound, !running);
    }

    // Reads on until the decoded sound reaches `targetMs` on the clock (or the file ends, or too much video
    // waits). Without a sound stream nothing is read ahead.
    void PumpAudio(double targetMs)
    {
        while (audioStream >= 0 && !audioFailed && options.audio && AudioEndMs() < targetMs &&
               pendingBytes < kMaxPendingVideoBytes && ReadPacket())
        {
        }
    }

    uint32_t Now() const { return TickCount() - startTick; }

    // Waits until `ms` on the clock, keeping the sound ahead of it.
    void WaitUntil(double ms)
    {
        PumpAudio(ms + kAudioLeadMs);
        if (!options.paced)
            return;
        for (;;)
        {
            uint32_t now = Now();
            if (now >= ms)
                return;
            PumpAudio(now + kAudioLeadMs);
            SleepMs(std::min<uint32_t>(static_cast<uint32_t>(std::ceil(ms - now)), 5));
        }
    }

    // After the last picture: keeps it up until its own time and the sound's have run out. True while waiting.
    bool Hold()
    {
        if (!holding)
        {
            holding = true;
            PumpAudio(std::numeric_limits<double>::infinity());
            if (sound)
                SoundStreamFinishPcm(sound);
            endMs = std::max(framesDecoded > 0 ? frameMs + PeriodMs() : 0.0, AudioEndMs());
        }
        if (!options.paced || !running)
            return false;
        uint32_t now = Now();
        bool soundLeft = sound && SoundStreamQueuedFrames(sound) > 0;
        if (now >= endMs && (!soundLeft || now >= endMs + kAudioTailSlackMs))
            return false;
        SleepMs(5);
        return true;
    }
};

std::unique_ptr<MovieStream> MovieStream::Open(std::string_view fileName, const Options& options)
{
    auto impl = std::make_unique<Impl>();
    impl->options = options;
    if (!impl->demuxer.Open(fileName))
        return nullptr;
    static std::once_flag hooks;
    std::call_once(hooks, [] { mpeg2_malloc_hooks(AllocateCleared, FreeCleared); });
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
    // A system stream is read on (within a bound) until the first stamps of both picture and sound are known:
    // the clock starts at the earlier one.
    if (impl->demuxer.GetKind() == MpegDemuxer::Kind::SystemStream)
    {
        while (!(impl->haveVideoPts && (impl->haveAudioPts || !options.audio)) && impl->pendingBytes < kMaxPrimeBytes &&
               impl->ReadPacket())
        {
        }
    }
    impl->SetBase();
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
    if (d.soundChannel >= 0)
        SoundSetPaused(d.soundChannel, false);
}

bool MovieStream::Update()
{
    Impl& d = *m_pImpl;
    if (!d.running)
        Run();
    if (d.videoEnded)
        return d.Hold();
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
        if (state == STATE_PICTURE)
            d.ClearPicture(d.info->current_fbuf);
        if (state == STATE_SLICE)
        {
            ++d.picturesDecoded;
            if (d.endCodeFed && d.DataEndedInsidePicture())
                d.cutPicture = d.info->current_fbuf;
        }
        if ((state == STATE_SLICE || state == STATE_END || state == STATE_INVALID_END) && d.HasPicture())
        {
            if (d.info->display_fbuf == d.cutPicture)
            {
                ++d.picturesDropped;
                continue;
            }
            d.ConvertPicture(d.info->display_fbuf);
            d.frameMs = d.PictureTime(d.info->display_picture);
            ++d.framesDecoded;
            d.WaitUntil(d.frameMs);
            return true;
        }
    }
    d.videoEnded = true;
    return d.Hold();
}

const MovieFrame& MovieStream::GetFrame() const
{
    return m_pImpl->frame;
}

double MovieStream::GetFrameTimeMs() const
{
    return m_pImpl->frameMs;
}

void MovieStream::Stop()
{
    Impl& d = *m_pImpl;
    d.running = false;
    if (d.sound)
        SoundStreamStop(d.sound);
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
    return m_pImpl->audio ? m_pImpl->audio->Rate() : 0;
}

int32_t MovieStream::GetAudioChannels() const
{
    return m_pImpl->audio ? m_pImpl->audio->SourceChannels() : 0;
}

double MovieStream::GetAudioStartMs() const
{
    return m_pImpl->AudioStartMs();
}

double MovieStream::GetAudioEndMs() const
{
    return m_pImpl->AudioEndMs();
}

bool MovieStream::IsAudioOpen() const
{
    return m_pImpl->sound != nullptr;
}

} // namespace platform
