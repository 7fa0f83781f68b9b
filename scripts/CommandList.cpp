// The compiled script's storage: kept texts, State lists and message entries, and the arithmetic both languages
// share.
#include "scripts/CommandList.h"

#include "engine/core/Logger.h"
#include "scripts/ScriptHost.h"

const char* ScriptTexts::Keep(std::string_view text)
{
    return m_Texts.emplace_back(text).c_str();
}

bool State::AddCommand(CommandNode node, uint32_t listKind)
{
    CommandList* list = nullptr;
    switch (listKind)
    {
    case LIST_ON_ENTRY:
        list = &onEntry;
        break;
    case LIST_ON_EXIT:
        list = &onExit;
        break;
    case LIST_ON_UPDATE:
        list = &onUpdate;
        break;
    case LIST_ON_RECEIPT:
        list = messages.empty() ? nullptr : &messages.back().onReceipt;
        break;
    case LIST_ON_SEND:
        list = messages.empty() ? nullptr : &messages.back().onSend;
        break;
    default:
        break;
    }
    if (!list)
    {
        GetLogger()->Report(0, "State::AddCommand - Invalid Command List has been specified");
        return false;
    }
    list->Add(std::move(node));
    return true;
}

const MessageEntry* State::FindMessage(uint32_t type) const
{
    if (type == kUnresolvedScriptName)
        return nullptr;
    for (const MessageEntry& entry : messages)
    {
        if (entry.type == type)
            return &entry;
    }
    return nullptr;
}

namespace
{

uint32_t IntegerResult(uint32_t type, uint32_t a, uint32_t b, const TwoOperandData& data, const char* where)
{
    switch (type)
    {
    case CMD_ADD:
        return a + b;
    case CMD_MINUS:
    case CMD_MINUS_ZERO_CAP:
        return a - b;
    case CMD_DIVIDE:
        if (b == 0)
        {
            if (!data.divideByZeroReported)
                GetLogger()->Report(0, "%s - integer division by 0 gives 0", where);
            data.divideByZeroReported = true;
            return 0;
        }
        return a / b;
    default:
        return a * b;
    }
}

float FloatResult(uint32_t type, float a, float b)
{
    switch (type)
    {
    case CMD_ADD:
        return a + b;
    case CMD_MINUS:
        return a - b;
    case CMD_MINUS_ZERO_CAP:
        return a - b < 0.0f ? 0.0f : a - b;
    case CMD_DIVIDE:
        return a / b;
    default:
        return a * b;
    }
}

} // namespace

void PerformArithmetic(uint32_t type, const TwoOperandData& data, ScriptVariables& variables, const char* where)
{
    if (type == CMD_SET)
    {
        variables.SetScriptVariable(data.target, variables.GetScriptVariable(data.value));
        return;
    }
    const ScriptValue a = variables.GetScriptVariable(data.target);
    const ScriptValue b = variables.GetScriptVariable(data.value);
    if (a.type == SCRIPT_VALUE_UINT)
    {
        const uint32_t right = b.type == SCRIPT_VALUE_FLOAT ? FloatToWord(b.AsFloatBits()) : b.data;
        variables.SetScriptVariable(data.target, ScriptValue::UInt(IntegerResult(type, a.data, right, data, where)));
        return;
    }
    const float right = b.type == SCRIPT_VALUE_FLOAT ? b.AsFloatBits() : static_cast<float>(b.data);
    variables.SetScriptVariable(data.target, ScriptValue::Float(FloatResult(type, a.AsFloatBits(), right)));
}
