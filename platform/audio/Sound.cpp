// The sound back end: channel table, our mixer with a linear resampler, MP3 and pushed streams, the SDL device.
#include "platform/audio/Sound.h"

#include "platform/audio/MixMath.h"
#include "platform/audio/Mp3Decoder.h"
#include "platform/audio/WavReader.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <vector>

namespace platform
{

struct SoundSample
{
    PcmSound pcm;
    unsigned mode = 0;
};

struct SoundStream
{
    std::unique_ptr<Mp3Decoder> decoder; // null for a pushed stream
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> queue; // decoded or pushed frames, interleaved
    size_t head = 0;            // first frame of the queue not yet mixed
    bool finished = false;      // no more frames will come (decoder at its end, or the pusher said so)
    uint64_t consumed = 0;      // frames mixed since the start
    int channel = -1;           // handle of the channel it last played on

    size_t Available() const { return queue.size() / static_cast<size_t>(channels) - head; }
};

namespace
{

constexpr int kMaxChannels = 256;
constexpr uint32_t kSerialMask = 0x7FFFFF;
constexpr size_t kDecodeChunkFrames = 4096;

struct Channel
{
    uint32_t serial = 0;
    bool active = false;
    SoundSample* sample = nullptr;
    SoundStream* stream = nullptr;
    double position = 0.0; // in source frames; for streams relative to the queue's head
    int volume = 255;
    int pan = 128;
    bool paused = false;
    float position3D[3] = {};
    float velocity3D[3] = {};
};

struct State
{
    std::mutex lock;
    bool initialised = false;
    bool manual = false;
    SDL_AudioDeviceID device = 0;
    int outputRate = 0;
    std::vector<Channel> channels;
    float listenerPosition[3] = {};
    float listenerVelocity[3] = {};
    float listenerForward[3] = {0.0f, 0.0f, 1.0f};
    float listenerUp[3] = {0.0f, 1.0f, 0.0f};
    float rolloff = 1.0f;
    int sfxMaster = 255;
    std::vector<float> mix;
    // CPU figure: mixing time against the output time it produced.
    double mixSeconds = 0.0;
    double outputSeconds = 0.0;
    float cpuPercent = 0.0f;
};

State& S()
{
    static State state;
    return state;
}

std::atomic<size_t> g_memoryCurrent{0};
std::atomic<size_t> g_memoryHighest{0};

void MemoryAdd(size_t bytes)
{
    size_t now = g_memoryCurrent.fetch_add(bytes) + bytes;
    size_t high = g_memoryHighest.load();
    while (now > high && !g_memoryHighest.compare_exchange_weak(high, now))
    {
    }
}

void MemorySub(size_t bytes)
{
    g_memoryCurrent.fetch_sub(bytes);
}

size_t SampleBytes(const SoundSample* sample)
{
    return sizeof(SoundSample) + sample->pcm.samples.capacity() * sizeof(int16_t);
}

// Tracks a stream queue's capacity change in the memory figures.
void TrackQueue(SoundStream* stream, size_t capacityBefore)
{
    size_t after = stream->queue.capacity();
    if (after > capacityBefore)
        MemoryAdd((after - capacityBefore) * sizeof(int16_t));
    else if (after < capacityBefore)
        MemorySub((capacityBefore - after) * sizeof(int16_t));
}

int MakeHandle(int index, uint32_t serial)
{
    return static_cast<int>((serial << 8) | static_cast<uint32_t>(index));
}

// The channel a handle names while it is still the same use of that channel; null otherwise.
Channel* Lookup(int handle)
{
    State& s = S();
    if (handle < 0 || !s.initialised)
        return nullptr;
    size_t index = static_cast<uint32_t>(handle) & 0xFFu;
    uint32_t serial = static_cast<uint32_t>(handle) >> 8;
    if (index >= s.channels.size())
        return nullptr;
    Channel& channel = s.channels[index];
    if (channel.serial != serial || !channel.active)
        return nullptr;
    return &channel;
}

void Deactivate(Channel& channel)
{
    channel.active = false;
    channel.sample = nullptr;
    channel.stream = nullptr;
}

// Takes the first free channel; -1 when none.
int TakeChannel()
{
    State& s = S();
    for (size_t i = 0; i < s.channels.size(); ++i)
    {
        Channel& channel = s.channels[i];
        if (channel.active)
            continue;
        uint32_t serial = (channel.serial & kSerialMask) + 1;
        if (serial > kSerialMask)
            serial = 1;
        channel = Channel{};
        channel.serial = serial;
        channel.active = true;
        return static_cast<int>(i);
    }
    return -1;
}

// Drops mixed frames from the front of a stream queue once they make up most of it.
void CompactQueue(SoundStream* stream)
{
    size_t before = stream->queue.capacity();
    size_t ch = static_cast<size_t>(stream->channels);
    if (stream->head == 0)
        return;
    if (stream->head * ch * 2 >= stream->queue.size() || stream->head > 65536)
    {
        stream->queue.erase(stream->queue.begin(), stream->queue.begin() + static_cast<ptrdiff_t>(stream->head * ch));
        stream->head = 0;
    }
    TrackQueue(stream, before);
}

// Makes at least `wanted` frames available when the stream can still produce them. The reads are bounded: a
// decoder that gives nothing ends the stream, and no decoder can keep the mixer here longer than the frames need.
void FillStream(SoundStream* stream, size_t wanted)
{
    size_t reads = wanted / kDecodeChunkFrames + 2;
    for (; reads > 0 && stream->Available() < wanted && !stream->finished && stream->decoder; --reads)
    {
        size_t before = stream->queue.capacity();
        size_t oldSize = stream->queue.size();
        stream->queue.resize(oldSize + kDecodeChunkFrames * Mp3Decoder::kChannels);
        size_t got = stream->decoder->Read(stream->queue.data() + oldSize, kDecodeChunkFrames);
        stream->queue.resize(oldSize + got * Mp3Decoder::kChannels);
        TrackQueue(stream, before);
        if (got == 0)
            stream->finished = true;
    }
}

void ResetStream(SoundStream* stream)
{
    size_t before = stream->queue.capacity();
    stream->queue.clear();
    stream->queue.shrink_to_fit();
    TrackQueue(stream, before);
    stream->head = 0;
    stream->consumed = 0;
    if (stream->decoder)
        stream->finished = !stream->decoder->Rewind();
}

StereoGains ChannelGains(const State& s, const Channel& channel, bool positional)
{
    float level = static_cast<float>(channel.volume) / 255.0f;
    float pan = static_cast<float>(channel.pan);
    if (channel.sample != nullptr)
        level *= static_cast<float>(s.sfxMaster) / 255.0f;
    if (positional)
    {
        float d[3] = {channel.position3D[0] - s.listenerPosition[0], channel.position3D[1] - s.listenerPosition[1],
                      channel.position3D[2] - s.listenerPosition[2]};
        float distance = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        level *= DistanceGain(distance, s.rolloff);
        pan = ListenerPan(s.listenerPosition, s.listenerForward, s.listenerUp, channel.position3D);
    }
    StereoGains gains = PanGains(pan);
    gains.left *= level;
    gains.right *= level;
    return gains;
}

// Reads frame `index` of interleaved source as (left, right); a mono source gives the same value twice, and a
// positional stereo source is folded to mono first.
inline void Frame(const int16_t* src, int channels, size_t index, bool fold, float* left, float* right)
{
    if (channels == 1)
    {
        *left = *right = src[index];
        return;
    }
    float l = src[index * 2];
    float r = src[index * 2 + 1];
    if (fold)
        l = r = (l + r) * 0.5f;
    *left = l;
    *right = r;
}

void MixSample(State& s, Channel& channel, float* mix, int frames)
{
    const SoundSample* sample = channel.sample;
    const PcmSound& pcm = sample->pcm;
    size_t length = pcm.Frames();
    bool loop = (sample->mode & kSoundLoop) != 0;
    bool positional = (sample->mode & kSound3D) != 0;
    if (length == 0 || pcm.rate <= 0)
    {
        Deactivate(channel);
        return;
    }
    StereoGains gains = ChannelGains(s, channel, positional);
    double step = static_cast<double>(pcm.rate) / static_cast<double>(s.outputRate);
    double len = static_cast<double>(length);
    double pos = channel.position;
    const int16_t* src = pcm.samples.data();
    for (int i = 0; i < frames; ++i)
    {
        if (pos >= len)
        {
            if (!loop)
                break;
            pos = std::fmod(pos, len);
        }
        size_t index = static_cast<size_t>(pos);
        float frac = static_cast<float>(pos - static_cast<double>(index));
        size_t next = index + 1 < length ? index + 1 : (loop ? 0 : index);
        float al, ar, bl, br;
        Frame(src, pcm.channels, index, positional, &al, &ar);
        Frame(src, pcm.channels, next, positional, &bl, &br);
        mix[i * 2] += (al + (bl - al) * frac) * gains.left;
        mix[i * 2 + 1] += (ar + (br - ar) * frac) * gains.right;
        pos += step;
    }
    channel.position = pos;
    if (!loop && pos >= len)
        Deactivate(channel);
}

void MixStream(State& s, Channel& channel, float* mix, int frames)
{
    SoundStream* stream = channel.stream;
    StereoGains gains = ChannelGains(s, channel, false);
    double step = static_cast<double>(stream->rate) / static_cast<double>(s.outputRate);
    double pos = channel.position;
    bool ended = false;
    for (int i = 0; i < frames; ++i)
    {
        size_t index = static_cast<size_t>(pos);
        FillStream(stream, index + 2);
        size_t available = stream->Available();
        if (index >= available)
        {
            if (stream->finished)
            {
                ended = true;
                break;
            }
            continue; // a pushed stream waiting for more frames: silence, the position holds
        }
        const int16_t* src = stream->queue.data() + stream->head * static_cast<size_t>(stream->channels);
        float frac = static_cast<float>(pos - static_cast<double>(index));
        size_t next = index + 1 < available ? index + 1 : index;
        float al, ar, bl, br;
        Frame(src, stream->channels, index, false, &al, &ar);
        Frame(src, stream->channels, next, false, &bl, &br);
        mix[i * 2] += (al + (bl - al) * frac) * gains.left;
        mix[i * 2 + 1] += (ar + (br - ar) * frac) * gains.right;
        pos += step;
    }
    size_t whole = static_cast<size_t>(pos);
    whole = std::min(whole, stream->Available());
    stream->head += whole;
    stream->consumed += whole;
    channel.position = pos - static_cast<double>(whole);
    CompactQueue(stream);
    if (ended || (stream->finished && stream->Available() == 0))
        Deactivate(channel);
}

void RenderLocked(int16_t* out, int frames)
{
    State& s = S();
    if (!s.initialised || s.outputRate <= 0)
    {
        std::fill(out, out + static_cast<size_t>(frames) * 2, int16_t{0});
        return;
    }
    auto started = std::chrono::steady_clock::now();
    s.mix.assign(static_cast<size_t>(frames) * 2, 0.0f);
    for (Channel& channel : s.channels)
    {
        if (!channel.active || channel.paused)
            continue;
        if (channel.sample != nullptr)
            MixSample(s, channel, s.mix.data(), frames);
        else if (channel.stream != nullptr)
            MixStream(s, channel, s.mix.data(), frames);
        else
            Deactivate(channel);
    }
    for (size_t i = 0; i < s.mix.size(); ++i)
    {
        float v = std::nearbyint(s.mix[i]);
        out[i] = static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f));
    }
    auto spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    s.mixSeconds += spent;
    s.outputSeconds += static_cast<double>(frames) / s.outputRate;
    if (s.outputSeconds >= 1.0)
    {
        s.cpuPercent = static_cast<float>(100.0 * s.mixSeconds / s.outputSeconds);
        s.mixSeconds = 0.0;
        s.outputSeconds = 0.0;
    }
}

void DeviceCallback(void*, Uint8* stream, int length)
{
    std::lock_guard<std::mutex> guard(S().lock);
    RenderLocked(reinterpret_cast<int16_t*>(stream), length / 4);
}

void Copy3(float* dst, const float* src)
{
    if (dst != nullptr)
    {
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
    }
}

} // namespace

bool SoundInit(int outputRate, int channelCount)
{
    SoundClose();
    if (outputRate <= 0 || channelCount <= 0)
        return false;
    channelCount = std::min(channelCount, kMaxChannels);
    State& s = S();
    bool manual;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        manual = s.manual;
    }
    SDL_AudioDeviceID device = 0;
    int rate = outputRate;
    if (!manual)
    {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return false;
        SDL_AudioSpec want{};
        SDL_AudioSpec have{};
        want.freq = outputRate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 1024;
        want.callback = DeviceCallback;
        device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
        if (device == 0)
        {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        rate = have.freq;
    }
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.channels.assign(static_cast<size_t>(channelCount), Channel{});
        s.device = device;
        s.outputRate = rate;
        s.sfxMaster = 255;
        s.rolloff = 1.0f;
        std::fill(s.listenerPosition, s.listenerPosition + 3, 0.0f);
        std::fill(s.listenerVelocity, s.listenerVelocity + 3, 0.0f);
        s.listenerForward[0] = s.listenerForward[1] = 0.0f;
        s.listenerForward[2] = 1.0f;
        s.listenerUp[0] = s.listenerUp[2] = 0.0f;
        s.listenerUp[1] = 1.0f;
        s.mixSeconds = s.outputSeconds = 0.0;
        s.cpuPercent = 0.0f;
        s.initialised = true;
    }
    if (device != 0)
        SDL_PauseAudioDevice(device, 0);
    return true;
}

void SoundClose()
{
    State& s = S();
    SDL_AudioDeviceID device = 0;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (!s.initialised)
            return;
        for (Channel& channel : s.channels)
            Deactivate(channel);
        s.initialised = false;
        s.outputRate = 0;
        device = s.device;
        s.device = 0;
    }
    // Closing waits for a running callback, which needs the lock: so never with the lock held.
    if (device != 0)
    {
        SDL_CloseAudioDevice(device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

bool SoundIsInitialised()
{
    std::lock_guard<std::mutex> guard(S().lock);
    return S().initialised;
}

void SoundUseManualMixing(bool manual)
{
    std::lock_guard<std::mutex> guard(S().lock);
    S().manual = manual;
}

void SoundRender(int16_t* out, int frames)
{
    if (out == nullptr || frames <= 0)
        return;
    std::lock_guard<std::mutex> guard(S().lock);
    RenderLocked(out, frames);
}

int SoundGetOutputRate()
{
    std::lock_guard<std::mutex> guard(S().lock);
    return S().outputRate;
}

SoundSample* SoundSampleLoad(const void* data, size_t size, unsigned mode)
{
    PcmSound pcm;
    if (!DecodeWav(data, size, &pcm) || pcm.Frames() == 0)
        return nullptr;
    SoundSample* sample = new SoundSample{std::move(pcm), mode};
    MemoryAdd(SampleBytes(sample));
    return sample;
}

void SoundSampleFree(SoundSample* sample)
{
    if (sample == nullptr)
        return;
    {
        std::lock_guard<std::mutex> guard(S().lock);
        for (Channel& channel : S().channels)
        {
            if (channel.active && channel.sample == sample)
                Deactivate(channel);
        }
    }
    MemorySub(SampleBytes(sample));
    delete sample;
}

uint32_t SoundSampleGetLength(const SoundSample* sample)
{
    return sample != nullptr ? static_cast<uint32_t>(sample->pcm.Frames()) : 0;
}

int SoundSampleGetRate(const SoundSample* sample)
{
    return sample != nullptr ? sample->pcm.rate : 0;
}

int SoundPlay(SoundSample* sample, bool paused)
{
    if (sample == nullptr)
        return -1;
    std::lock_guard<std::mutex> guard(S().lock);
    if (!S().initialised)
        return -1;
    int index = TakeChannel();
    if (index < 0)
        return -1;
    Channel& channel = S().channels[static_cast<size_t>(index)];
    channel.sample = sample;
    channel.paused = paused;
    return MakeHandle(index, channel.serial);
}

bool SoundStop(int handle)
{
    std::lock_guard<std::mutex> guard(S().lock);
    Channel* channel = Lookup(handle);
    if (channel == nullptr)
        return false;
    Deactivate(*channel);
    return true;
}

bool SoundIsPlaying(int handle)
{
    std::lock_guard<std::mutex> guard(S().lock);
    return Lookup(handle) != nullptr;
}

bool SoundSetVolume(int handle, int volume)
{
    std::lock_guard<std::mutex> guard(S().lock);
    Channel* channel = Lookup(handle);
    if (channel == nullptr)
        return false;
    channel->volume = std::clamp(volume, 0, 255);
    return true;
}

int SoundGetVolume(int handle)
{
    std::lock_guard<std::mutex> guard(S().lock);
    Channel* channel = Lookup(handle);
    return channel != nullptr ? channel->volume : 0;
}

bool SoundSetPan(int handle, int pan)
{
    std::lock_guard<std::mutex> guard(S().lock);
    Channel* channel = Lookup(handle);
    if (channel == nullptr)
        return false;
    channel->pan = std::clamp(pan, 0, 255);
    return true;
}

int SoundGetPan(int handle)
{
    std::lock_guard<std::mutex> guard(S().lock);
    Channel* channel = Lookup(handle);
    return channel != nullptr ? channel->pan : 128;
}

bool SoundSetPaused(int handle, bool paused)
{
    std::lock_guard<std::mutex> guard(S().lock);
    Channel* channel = Lookup(handle);
    if (channel == nullptr)
        return false;
    channel->paused = paused;
    return true;
}

bool SoundGetPaused(int handle)
{
    std::lock_guard<std::mutex> guard(S().lock);
    Channel* channel = Lookup(handle);
    return channel != nullptr && channel->paused;
}

bool Sound3DSetAttributes(int handle, const float* position, const float* velocity)
{
    std::lock_guard<std::mutex> guard(S().lock);
    Channel* channel = Lookup(handle);
    if (channel == nullptr || channel->sample == nullptr || (channel->sample->mode & kSound3D) == 0)
        return false;
    if (position != nullptr)
        Copy3(channel->position3D, position);
    if (velocity != nullptr)
        Copy3(channel->velocity3D, velocity);
    return true;
}

void Sound3DListenerSetAttributes(const float* position, const float* velocity, float fx, float fy, float fz, float ux,
                                  float uy, float uz)
{
    std::lock_guard<std::mutex> guard(S().lock);
    State& s = S();
    if (position != nullptr)
        Copy3(s.listenerPosition, position);
    if (velocity != nullptr)
        Copy3(s.listenerVelocity, velocity);
    s.listenerForward[0] = fx;
    s.listenerForward[1] = fy;
    s.listenerForward[2] = fz;
    s.listenerUp[0] = ux;
    s.listenerUp[1] = uy;
    s.listenerUp[2] = uz;
}

void Sound3DListenerGetAttributes(float* position, float* velocity, float* forward, float* up)
{
    std::lock_guard<std::mutex> guard(S().lock);
    State& s = S();
    Copy3(position, s.listenerPosition);
    Copy3(velocity, s.listenerVelocity);
    Copy3(forward, s.listenerForward);
    Copy3(up, s.listenerUp);
}

void Sound3DSetRolloffFactor(float rolloff)
{
    std::lock_guard<std::mutex> guard(S().lock);
    S().rolloff = rolloff > 0.0f ? rolloff : 0.0f;
}

float Sound3DDistanceGain(float distance, float rolloff)
{
    return DistanceGain(distance, rolloff);
}

void SoundSetSfxMasterVolume(int volume)
{
    std::lock_guard<std::mutex> guard(S().lock);
    S().sfxMaster = std::clamp(volume, 0, 255);
}

int SoundGetSfxMasterVolume()
{
    std::lock_guard<std::mutex> guard(S().lock);
    return S().sfxMaster;
}

void SoundUpdate()
{
    // The mixer releases finished channels as it goes; nothing waits for the frame.
}

float SoundGetCpuUsage()
{
    std::lock_guard<std::mutex> guard(S().lock);
    return S().initialised ? S().cpuPercent : 0.0f;
}

void SoundGetMemoryStats(size_t* current, size_t* highest)
{
    if (current != nullptr)
        *current = g_memoryCurrent.load();
    if (highest != nullptr)
        *highest = g_memoryHighest.load();
}

SoundStream* SoundStreamOpen(std::string_view path)
{
    std::unique_ptr<Mp3Decoder> decoder = Mp3Decoder::Open(path);
    if (!decoder)
        return nullptr;
    SoundStream* stream = new SoundStream();
    stream->rate = decoder->Rate();
    stream->channels = Mp3Decoder::kChannels;
    stream->decoder = std::move(decoder);
    MemoryAdd(sizeof(SoundStream));
    return stream;
}

SoundStream* SoundStreamCreatePcm(int rate, int channels)
{
    if (rate < 1 || rate > 384000 || (channels != 1 && channels != 2))
        return nullptr;
    SoundStream* stream = new SoundStream();
    stream->rate = rate;
    stream->channels = channels;
    MemoryAdd(sizeof(SoundStream));
    return stream;
}

bool SoundStreamQueuePcm(SoundStream* stream, const int16_t* frames, size_t frameCount)
{
    if (stream == nullptr || stream->decoder || (frames == nullptr && frameCount > 0))
        return false;
    std::lock_guard<std::mutex> guard(S().lock);
    size_t before = stream->queue.capacity();
    stream->queue.insert(stream->queue.end(), frames, frames + frameCount * static_cast<size_t>(stream->channels));
    stream->finished = false;
    TrackQueue(stream, before);
    return true;
}

size_t SoundStreamQueuedFrames(SoundStream* stream)
{
    if (stream == nullptr)
        return 0;
    std::lock_guard<std::mutex> guard(S().lock);
    return stream->Available();
}

void SoundStreamFinishPcm(SoundStream* stream)
{
    if (stream == nullptr || stream->decoder)
        return;
    std::lock_guard<std::mutex> guard(S().lock);
    stream->finished = true;
}

int SoundStreamPlay(SoundStream* stream, bool paused)
{
    if (stream == nullptr)
        return -1;
    std::lock_guard<std::mutex> guard(S().lock);
    if (!S().initialised || Lookup(stream->channel) != nullptr)
        return -1;
    if (stream->decoder && stream->finished && stream->Available() == 0)
        ResetStream(stream);
    int index = TakeChannel();
    if (index < 0)
        return -1;
    Channel& channel = S().channels[static_cast<size_t>(index)];
    channel.stream = stream;
    channel.paused = paused;
    stream->channel = MakeHandle(index, channel.serial);
    return stream->channel;
}

bool SoundStreamStop(SoundStream* stream)
{
    if (stream == nullptr)
        return false;
    std::lock_guard<std::mutex> guard(S().lock);
    if (Channel* channel = Lookup(stream->channel))
    {
        if (channel->stream == stream)
            Deactivate(*channel);
    }
    stream->channel = -1;
    ResetStream(stream);
    return true;
}

void SoundStreamClose(SoundStream* stream)
{
    if (stream == nullptr)
        return;
    {
        std::lock_guard<std::mutex> guard(S().lock);
        for (Channel& channel : S().channels)
        {
            if (channel.active && channel.stream == stream)
                Deactivate(channel);
        }
    }
    MemorySub(stream->queue.capacity() * sizeof(int16_t) + sizeof(SoundStream));
    delete stream;
}

uint32_t SoundStreamGetLengthMs(SoundStream* stream)
{
    if (stream == nullptr || stream->rate <= 0)
        return 0;
    std::lock_guard<std::mutex> guard(S().lock);
    uint64_t frames = stream->decoder ? stream->decoder->LengthFrames() : stream->consumed + stream->Available();
    return static_cast<uint32_t>(frames * 1000 / static_cast<uint64_t>(stream->rate));
}

uint32_t SoundStreamGetTimeMs(SoundStream* stream)
{
    if (stream == nullptr || stream->rate <= 0)
        return 0;
    std::lock_guard<std::mutex> guard(S().lock);
    return static_cast<uint32_t>(stream->consumed * 1000 / static_cast<uint64_t>(stream->rate));
}

int SoundStreamGetRate(SoundStream* stream)
{
    return stream != nullptr ? stream->rate : 0;
}

int SoundStreamGetChannels(SoundStream* stream)
{
    return stream != nullptr ? stream->channels : 0;
}

} // namespace platform
