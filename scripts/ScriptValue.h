// ScriptOperand and ScriptValue: how an object script names a value and the typed value it reads back.
#pragma once

#include <cstdint>
#include <cstring>

// The operand kinds that carry their own value rather than naming a variable.
enum ScriptOperandKind : uint32_t
{
    SCRIPT_OPERAND_TEXT = 10,     // a quoted text
    SCRIPT_OPERAND_RAND = 108,    // "RandUint3" and a range
    SCRIPT_OPERAND_RANDOM = 109,  // "Random" and a one-in-N chance
    SCRIPT_OPERAND_NUMBER = 113,  // a number or a state name
    SCRIPT_OPERAND_DEFAULT = 116, // "Default"
    SCRIPT_OPERAND_NONE = 126,    // no operand
};

// A variable id, or one of the kinds above with its value: the text, the range or chance, or the number.
struct ScriptOperand
{
    uint32_t id = SCRIPT_OPERAND_NONE;
    uint32_t number = 0;
    float real = 0.0f;
    const char* text = nullptr;
};

enum ScriptValueType : uint32_t
{
    SCRIPT_VALUE_BOOL = 0,  // only the low byte of the data counts
    SCRIPT_VALUE_TEXT = 1,  // the text
    SCRIPT_VALUE_UINT = 2,  // an unsigned 32-bit integer
    SCRIPT_VALUE_FLOAT = 3, // the data word holds a float's bits
};

struct ScriptValue
{
    uint32_t type = SCRIPT_VALUE_BOOL;
    uint32_t data = 0;
    const char* text = nullptr;

    static ScriptValue Bool(bool value) { return {SCRIPT_VALUE_BOOL, value ? 1u : 0u, nullptr}; }
    static ScriptValue UInt(uint32_t value) { return {SCRIPT_VALUE_UINT, value, nullptr}; }
    static ScriptValue Float(float value)
    {
        ScriptValue v{SCRIPT_VALUE_FLOAT, 0, nullptr};
        std::memcpy(&v.data, &value, sizeof value);
        return v;
    }
    static ScriptValue Text(const char* value) { return {SCRIPT_VALUE_TEXT, 0, value}; }

    float AsFloatBits() const
    {
        float f;
        std::memcpy(&f, &data, sizeof f);
        return f;
    }
};

// The conversions every command uses: a bool gives its low byte, an integer itself, a float its value; a text
// gives 0. Floats become integers truncated toward zero, negative ones wrapped to 32 bits (so -1 is 0xFFFFFFFF);
// values beyond the 32-bit range saturate and a value that is not a number gives 0.
uint32_t FloatToWord(float value);
uint32_t ScriptValueToInt(const ScriptValue& value);
float ScriptValueToFloat(const ScriptValue& value);
// The truth of a value: a bool's low byte, an integer or a float not 0; a text is false.
bool IsScriptValueTrue(const ScriptValue& value);
