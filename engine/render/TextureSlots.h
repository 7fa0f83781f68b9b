// How a texture manager slot maps to the renderer texture number of the device texture that holds it.
#pragma once

#include <cstdint>

// The renderer texture number holding the slot's texture (the texture page's device texture once pages exist);
// -1 stays -1. Until the texture manager keeps its own table, a slot is its own renderer texture number.
int32_t DeviceTextureForSlot(int32_t slot);
