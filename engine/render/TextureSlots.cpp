// Texture slots are their own renderer texture numbers until the texture manager maps them to texture pages.
#include "engine/render/TextureSlots.h"

int32_t DeviceTextureForSlot(int32_t slot)
{
    return slot;
}
