// The state and message decode table and the lookups by name and by number.
#include "scripts/ObjectStates.h"

#include <cstring>

#define TW_DECODE_ROW(name) {name, #name},

const DecodeRow g_DecodeTable[kDecodeTableSize] = {TW_OBJECT_STATES(TW_DECODE_ROW) TW_MESSAGE_TYPES(TW_DECODE_ROW)};

#undef TW_DECODE_ROW

namespace
{

bool FindRow(const char* name, uint32_t first, uint32_t end, uint32_t* value)
{
    if (!name)
        return false;
    for (uint32_t row = first; row < end; ++row)
    {
        if (std::strcmp(g_DecodeTable[row].name, name) == 0)
        {
            if (value)
                *value = g_DecodeTable[row].value;
            return true;
        }
    }
    return false;
}

} // namespace

bool DecodeStateName(const char* name, uint32_t* value)
{
    return FindRow(name, 0, STATE_NUM_STATES, value);
}

bool DecodeMessageName(const char* name, uint32_t* value)
{
    return FindRow(name, STATE_NUM_STATES, kDecodeTableSize, value);
}

const char* StateName(uint32_t state)
{
    if (state < STATE_NUM_STATES)
        return g_DecodeTable[state].name;
    if (state == STATE_NUM_STATES)
        return "STATE_NUM_STATES";
    return "UNKNOWN_STATE";
}
