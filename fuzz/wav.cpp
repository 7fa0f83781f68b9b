// Fuzz target: the WAV reader, over the bytes of a sample as the sound manager hands them over.
#include "fuzz/FuzzSupport.h"
#include "platform/audio/WavReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    platform::PcmSound sound;
    if (platform::DecodeWav(data, size, &sound))
    {
        if (sound.channels < 1 || sound.channels > 2 || sound.rate < 1 ||
            sound.samples.size() % static_cast<size_t>(sound.channels) != 0)
            __builtin_trap(); // accepted, yet not a sound the mixer can play
        // Decoded samples are 16-bit, two per stored byte at most (8-bit input), from bytes the file holds.
        if (sound.samples.size() > 2 * size)
            __builtin_trap();
    }
    return 0;
}
