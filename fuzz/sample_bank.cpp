// Fuzz target: the sample bank index (offset, size and name records) over a data file. The input serves as both
// files, so its records can point into itself; each sample found is loaded, decoded as the sound manager decodes
// it, released and unloaded again.
#include "engine/media/SampleBank.h"
#include "fuzz/FuzzSupport.h"
#include "platform/audio/WavReader.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteFile("samples.idx", data, size);
    fuzzsupport::WriteFile("samples.dat", data, size);
    SampleBank bank("samples.idx", "samples.dat");
    for (size_t at = 0; at + SampleBank::kRecordSize <= size; at += SampleBank::kRecordSize)
    {
        char name[SampleBank::kNameSize + 1] = {};
        std::memcpy(name, data + at + 8, SampleBank::kNameSize);
        if (!bank.HasSample(name))
            continue;
        uint32_t bytes = 0;
        const uint8_t* sample = bank.GetSample(name, &bytes);
        if (sample)
        {
            platform::PcmSound sound;
            platform::DecodeWav(sample, bytes, &sound);
            bank.ReleaseSample(name);
        }
    }
    bank.Update(1000.0f);
    bank.GetSample("", nullptr);
    return 0;
}
