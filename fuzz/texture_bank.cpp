// Fuzz target: the texture bank index (a count, then offset, size and name records) over a data file. The input
// serves as both files, so its records can point into itself; each entry found is then read as a DDT texture, as
// the texture loader does with a bank.
#include "engine/core/Stream.h"
#include "engine/render/ImageReaders.h"
#include "engine/render/TextureBank.h"
#include "fuzz/FuzzSupport.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteFile("textures.idx", data, size);
    fuzzsupport::WriteFile("textures.dat", data, size);
    TextureBank bank("textures.idx", "textures.dat");
    // Look up every name the index holds, whether or not the bank took its record.
    for (size_t at = 4; at + TextureBank::kRecordSize <= size; at += TextureBank::kRecordSize)
    {
        char name[TextureBank::kNameSize + 1] = {};
        std::memcpy(name, data + at + 8, TextureBank::kNameSize);
        uint32_t bytes = 0;
        const uint8_t* entry = bank.Find(name, &bytes);
        if (!entry)
            continue;
        if (entry < reinterpret_cast<const uint8_t*>(0x1000) || bytes > bank.GetDataSize())
            __builtin_trap();
        FileStream stream(entry, bytes);
        DDTHeader header;
        uint32_t pixelBytes = 0;
        std::unique_ptr<uint8_t[]> pixels = LoadDDT(name, stream, &header, 0, &pixelBytes);
        if (pixels && pixelBytes > 0)
        {
            volatile uint8_t sink = pixels[pixelBytes - 1];
            (void)sink;
        }
    }
    bank.Find("", nullptr);
    return 0;
}
