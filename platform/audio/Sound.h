// Our sound back end: samples and 3D channels, MP3 and pushed PCM streams, mixed by our own mixer on SDL2 audio.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform
{

struct SoundSample; // a loaded sample (decoded PCM), owned by the caller until SoundSampleFree
struct SoundStream; // an open stream, owned by the caller until SoundStreamClose

// Sample modes for SoundSampleLoad.
enum SoundMode : unsigned
{
    kSoundLoop = 0x1, // play from the start again when the end is reached
    kSound2D = 0x2,   // plain channel: volume and pan only
    kSound3D = 0x4,   // positional channel: attenuated by distance and panned against the listener
};

// Starts the back end mixing `outputRate` Hz on up to `channelCount` channels (samples and streams share them),
// closing it first when it runs (one owner at a time: the logo movie, then the sound manager). Opens the SDL audio
// device, or none after SoundUseManualMixing(true). False when no device can be opened:
// every call below is then safe and silent (plays return -1, opens return null).
bool SoundInit(int outputRate, int channelCount);
// Stops every channel, closes the device; open samples and streams stay valid handles that play nothing.
void SoundClose();
bool SoundIsInitialised();

// Tests: with manual mixing SoundInit opens no device and the mixer runs only through SoundRender.
void SoundUseManualMixing(bool manual);
// Mixes `frames` stereo frames of signed 16-bit output into `out` (2 x frames values) and advances every channel,
// exactly as the device callback does. Zeros when the back end is not running.
void SoundRender(int16_t* out, int frames);
// The output rate the mixer runs at (the device's rate when it differs from the one asked for); 0 when closed.
int SoundGetOutputRate();

// Loads a sample from a whole WAV file held in memory (RIFF "WAVE": PCM 8, 16, 24 or 32 bits, mono or stereo,
// any rate). Null for anything else or for a damaged file. The bytes are copied: the caller may free them at once.
SoundSample* SoundSampleLoad(const void* data, size_t size, unsigned mode);
// Stops every channel playing the sample, then frees it. Null is ignored.
void SoundSampleFree(SoundSample* sample);
// Frames (per channel) and native rate of a sample; 0 for null.
uint32_t SoundSampleGetLength(const SoundSample* sample);
int SoundSampleGetRate(const SoundSample* sample);

// Channel handles carry a use count, so a handle of a finished sound never reaches the next sound on that channel.
// Plays the sample on a free channel at volume 255 and centre pan; -1 when no channel is free. Started paused, it
// waits for SoundSetPaused(false), so its level and place can be set before the mixer hears any of it.
int SoundPlay(SoundSample* sample, bool paused = false);
bool SoundStop(int channel);
bool SoundIsPlaying(int channel);
// Channel volume 0..255 (clamped); SoundGetVolume gives 0 for an unknown channel.
bool SoundSetVolume(int channel, int volume);
int SoundGetVolume(int channel);
// Pan 0 (left) .. 128 (centre) .. 255 (right); the far side is faded linearly, the near side keeps full level.
bool SoundSetPan(int channel, int pan);
int SoundGetPan(int channel);
bool SoundSetPaused(int channel, bool paused);
bool SoundGetPaused(int channel);

// Three floats x, y, z each (a null velocity means none). Only for channels of 3D samples.
bool Sound3DSetAttributes(int channel, const float* position, const float* velocity);
// Left-handed: x right, y up, z forward when the listener faces +z with up +y.
void Sound3DListenerSetAttributes(const float* position, const float* velocity, float fx, float fy, float fz, float ux,
                                  float uy, float uz);
// Any out pointer may be null.
void Sound3DListenerGetAttributes(float* position, float* velocity, float* forward, float* up);
// Inverse-distance rolloff with minimum distance 1: gain = 1 / (1 + rolloff x (distance - 1)) beyond it.
void Sound3DSetRolloffFactor(float rolloff);
// The distance gain that rule gives (exposed so callers and tests share one definition).
float Sound3DDistanceGain(float distance, float rolloff);

// Master level 0..255 of every sample channel (streams keep theirs).
void SoundSetSfxMasterVolume(int volume);
int SoundGetSfxMasterVolume();

// Once per frame; the mixer needs nothing from it, but finished channels are released here as well.
void SoundUpdate();
// Share of real time the mixer spent mixing over the last second of output, in percent.
float SoundGetCpuUsage();
// Bytes held by samples and stream buffers now, and the most held at once.
void SoundGetMemoryStats(size_t* current, size_t* highest);

// Opens an MP3 file through the game's path resolver (any case, '\' or '/'); null when the file is missing or is
// not MPEG audio from its start (WAV files and movies are refused, not played as noise). A file whose rate
// changes plays at its first rate throughout.
SoundStream* SoundStreamOpen(std::string_view path);
// A stream fed by the caller with interleaved signed 16-bit frames (the movie's audio); null for a bad format.
SoundStream* SoundStreamCreatePcm(int rate, int channels);
// Appends frames to a pushed stream; false for other streams. Frames queued while it plays follow seamlessly.
bool SoundStreamQueuePcm(SoundStream* stream, const int16_t* frames, size_t frameCount);
// Frames of a pushed stream not yet mixed.
size_t SoundStreamQueuedFrames(SoundStream* stream);
// Marks a pushed stream complete: it stops playing once its queue runs dry (until then it waits for more).
void SoundStreamFinishPcm(SoundStream* stream);
// Starts the stream from where it stands on a free channel (paused when asked, as SoundPlay); -1 when none is
// free or it is already playing.
int SoundStreamPlay(SoundStream* stream, bool paused = false);
// Stops the stream's channel and rewinds it to the start.
bool SoundStreamStop(SoundStream* stream);
// Stops and frees. Null is ignored.
void SoundStreamClose(SoundStream* stream);
// Length (measured over every frame when the file opens) and play position, in milliseconds.
uint32_t SoundStreamGetLengthMs(SoundStream* stream);
uint32_t SoundStreamGetTimeMs(SoundStream* stream);
// Native rate and channel count of the decoded audio; 0 for null.
int SoundStreamGetRate(SoundStream* stream);
int SoundStreamGetChannels(SoundStream* stream);

} // namespace platform
