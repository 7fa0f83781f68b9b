// The conversions between script values, integers and floats.
#include "scripts/ScriptValue.h"

#include <cmath>

uint32_t FloatToWord(float value)
{
    if (!std::isfinite(value))
        return 0;
    const double whole = std::trunc(static_cast<double>(value));
    if (whole >= 4294967295.0)
        return 0xFFFFFFFFu;
    if (whole < -2147483648.0)
        return 0x80000000u;
    if (whole < 0.0)
        return static_cast<uint32_t>(static_cast<int32_t>(whole));
    return static_cast<uint32_t>(whole);
}

uint32_t ScriptValueToInt(const ScriptValue& value)
{
    switch (value.type)
    {
    case SCRIPT_VALUE_BOOL:
        return value.data & 0xFFu;
    case SCRIPT_VALUE_UINT:
        return value.data;
    case SCRIPT_VALUE_FLOAT:
        return FloatToWord(value.AsFloatBits());
    default:
        return 0;
    }
}

float ScriptValueToFloat(const ScriptValue& value)
{
    switch (value.type)
    {
    case SCRIPT_VALUE_BOOL:
        return static_cast<float>(value.data & 0xFFu);
    case SCRIPT_VALUE_UINT:
        return static_cast<float>(value.data);
    case SCRIPT_VALUE_FLOAT:
        return value.AsFloatBits();
    default:
        return 0.0f;
    }
}

bool IsScriptValueTrue(const ScriptValue& value)
{
    switch (value.type)
    {
    case SCRIPT_VALUE_BOOL:
        return (value.data & 0xFFu) != 0;
    case SCRIPT_VALUE_UINT:
        return value.data != 0;
    case SCRIPT_VALUE_FLOAT:
        return value.AsFloatBits() != 0.0f;
    default:
        return false;
    }
}
