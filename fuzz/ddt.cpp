// Fuzz target: the DDT texture reader over a memory stream, as the texture loader reads a file or a texture bank
// entry: the header, its level table, and the pixels from every first level it may pick.
#include "engine/core/Stream.h"
#include "engine/render/ImageReaders.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    FileStream stream(data, static_cast<uint32_t>(size));
    DDTHeader header;
    if (!ReadDDTHeader("IMAGE.DDT", stream, &header))
        return 0;
    if (header.m_levels[0].m_uWidth == 0 && header.m_iWidth > 0 && header.m_iHeight > 0)
        CompleteDDTLevelTable(&header);
    const uint32_t levels = std::max<uint32_t>(1, std::min(header.m_uMipLevels, kDDTMaxLevels));
    for (uint32_t first = 0; first < levels; ++first)
    {
        stream.Seek(0);
        DDTHeader read;
        uint32_t bytes = 0;
        std::unique_ptr<uint8_t[]> pixels = LoadDDT("IMAGE.DDT", stream, &read, first, &bytes);
        if (pixels && bytes > 0)
        {
            volatile uint8_t sink = pixels[bytes - 1];
            (void)sink;
        }
    }
    return 0;
}
