// Fuzz target: the DDS reader (top level of a 2D texture), by file name as the texture loader opens it.
#include "engine/render/ImageReaders.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteFile("image.dds", data, size);
    std::unique_ptr<uint8_t[]> pixels;
    DDSHeader header;
    uint32_t format = 0, bytes = 0;
    if (LoadDDS("image.dds", &pixels, &header, &format, &bytes))
    {
        if (!pixels || bytes == 0 || bytes != ImageLevelSize(format, header.GetWidth(), header.GetHeight()))
            __builtin_trap(); // success must hand out exactly one level of pixels
        volatile uint8_t sink = pixels[bytes - 1];
        (void)sink;
    }
    return 0;
}
