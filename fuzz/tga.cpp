// Fuzz target: the TGA reader, by file name as the texture loader opens it and over a memory stream as a texture
// bank hands it out.
#include "engine/core/Stream.h"
#include "engine/render/ImageReaders.h"
#include "fuzz/FuzzSupport.h"

namespace
{

void Check(const std::unique_ptr<uint8_t[]>& pixels, uint32_t width, uint32_t height)
{
    if (!pixels)
        return;
    // Touch the first and last pixel: the buffer must hold width x height of them.
    volatile uint8_t sink = pixels[0];
    sink = pixels[static_cast<size_t>(width) * height * 4 - 1];
    (void)sink;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteFile("image.tga", data, size);
    uint32_t width = 0, height = 0;
    std::unique_ptr<uint8_t[]> pixels = LoadTGAFile("image.tga", &width, &height);
    Check(pixels, width, height);

    FileStream stream(data, static_cast<uint32_t>(size));
    uint32_t w2 = 0, h2 = 0;
    std::unique_ptr<uint8_t[]> again = LoadTGA("image.tga", stream, &w2, &h2);
    Check(again, w2, h2);
    if ((pixels != nullptr) != (again != nullptr) || w2 != width || h2 != height)
        __builtin_trap(); // the two ways in disagree
    return 0;
}
