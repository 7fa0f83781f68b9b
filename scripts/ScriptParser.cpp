// ScriptParser: the block grammar, the nesting of If and Switch, and the commands both script languages share.
#include "scripts/ScriptParser.h"

#include "engine/core/Logger.h"
#include "scripts/DataScript.h"
#include "scripts/ObjectStates.h"

#include <cstdarg>
#include <cstdio>

namespace
{

bool IsConditionSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

struct OperatorWord
{
    const char* word;
    uint32_t op;
};

constexpr OperatorWord kOperators[] = {
    {"&&", OP_AND},           {"||", OP_OR},         {">", OP_GREATER},     {"<", OP_LESS},
    {"==", OP_EQUAL},         {"<=", OP_LESS_EQUAL}, {"=<", OP_LESS_EQUAL}, {">=", OP_GREATER_EQUAL},
    {"=>", OP_GREATER_EQUAL}, {"!=", OP_NOT_EQUAL},
};

} // namespace

ScriptParser::ScriptParser(const char* text, uint32_t size, const Wording& wording, ScriptTexts& texts)
    : m_Reader(text, size, wording.language), m_Wording(wording), m_Texts(texts)
{
}

void ScriptParser::Report(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    GetLogger()->Report(0, "%s", text);
}

void ScriptParser::ParseScript()
{
    std::string token;
    while (!m_Reader.AtEnd())
    {
        m_Reader.ReadToken(token);
        if (token.empty())
            break;
        if (token == "State")
            ParseState();
        else
            Report(m_Wording.invalidTopLevel, token.c_str());
    }
}

void ScriptParser::ParseState()
{
    std::string name;
    m_Reader.ReadToken(name);
    State state;
    BeginState(name, state);
    std::string token;
    for (;;)
    {
        m_Reader.ReadToken(token);
        if (token.empty())
        {
            Report("%s::ProcessStateCommand - State %s cut off by the end of the script - dropped", m_Wording.language,
                   name.c_str());
            return;
        }
        if (token == "End")
            break;
        if (token == "OnEntry")
            ParseCommandList(state, LIST_ON_ENTRY);
        else if (token == "OnExit")
            ParseCommandList(state, LIST_ON_EXIT);
        else if (token == "OnUpdate")
            ParseCommandList(state, LIST_ON_UPDATE);
        else if (token == "Message")
            ParseMessageBlock(state);
        else
            Report("%s::ProcessStateCommand - Unknown Command Found : %s", m_Wording.language, token.c_str());
    }
    CommitState(name, std::move(state));
}

void ScriptParser::ParseMessageBlock(State& state)
{
    std::string name;
    m_Reader.ReadToken(name);
    MessageEntry& entry = state.messages.emplace_back();
    if (!DecodeMessageName(name.c_str(), &entry.type))
        Report("%s::DetermineMessage - Message doesn't exist check message decode table %s", m_Wording.language,
               name.c_str());
    std::string token;
    for (;;)
    {
        m_Reader.ReadToken(token);
        if (token.empty())
        {
            // Cut off by the end of the text: the block is not kept.
            state.messages.pop_back();
            return;
        }
        if (token == "End")
            break;
        if (token == "OnReceipt")
            ParseCommandList(state, LIST_ON_RECEIPT);
        else if (token == "OnSend")
            ParseCommandList(state, LIST_ON_SEND);
        else
            Report(m_Wording.unknownMessageCommand, token.c_str());
    }
    if (state.messages.size() > MaxMessageBlocks())
    {
        Report("%s::ProcessMessageCommand - more than %u message blocks in a State - %s dropped", m_Wording.language,
               MaxMessageBlocks(), name.c_str());
        state.messages.pop_back();
    }
}

void ScriptParser::ParseCommandList(State& state, uint32_t listKind)
{
    m_pState = &state;
    m_uListKind = listKind;
    m_Frames.clear();
    std::string token;
    for (;;)
    {
        m_Reader.ReadToken(token);
        if (token.empty())
            break;
        if (token == "End")
        {
            if (m_Frames.empty())
                break;
            m_Frames.pop_back();
        }
        else if (token == "Else")
            ParseElse();
        else if (token == "Case")
            ParseCase();
        else if (!ParseCommand(token) && m_Wording.unknownCommand)
            Report(m_Wording.unknownCommand, token.c_str());
    }
    m_Frames.clear();
    m_pState = nullptr;
}

uint32_t ScriptParser::CountFrames(FrameKind kind) const
{
    uint32_t count = 0;
    for (const Frame& frame : m_Frames)
        count += frame.kind == kind ? 1 : 0;
    return count;
}

bool ScriptParser::AddCommandToCurrent(CommandNode node)
{
    if (m_Frames.empty())
        return m_pState && m_pState->AddCommand(std::move(node), m_uListKind);
    const Frame& frame = m_Frames.back();
    switch (frame.kind)
    {
    case FRAME_IF:
        (frame.ifData->inElse ? frame.ifData->elseList : frame.ifData->thenList).Add(std::move(node));
        return true;
    case FRAME_SWITCH:
        if (frame.switchData->cases.empty())
        {
            Report("No Case has been defined for this statement");
            return false;
        }
        frame.switchData->cases.back().list.Add(std::move(node));
        return true;
    default:
        return false;
    }
}

void ScriptParser::ParseElse()
{
    if (!m_Frames.empty() && m_Frames.back().kind == FRAME_IF)
        m_Frames.back().ifData->inElse = true;
    else if (!InDroppedBlock())
        Report("%s::ProcessCommands - Else statement without if statement", m_Wording.language);
}

void ScriptParser::ParseCase()
{
    std::string token;
    if (!ReadWord(token, "CaseCommand"))
        return AbandonCommand();
    if (m_Frames.empty() || m_Frames.back().kind != FRAME_SWITCH)
    {
        if (!InDroppedBlock())
            Report("%s::ProcessCommands - Case outside a Switch statement - %s", m_Wording.language, token.c_str());
        return;
    }
    SwitchCase& entry = m_Frames.back().switchData->cases.emplace_back();
    entry.operand = ParseOperand(token.substr(0, token.find(':')));
}

std::string ScriptParser::FirstConditionWord(const std::string& condition, size_t& position) const
{
    while (position < condition.size() && IsConditionSpace(condition[position]))
        ++position;
    const size_t first = position;
    while (position < condition.size() && !IsConditionSpace(condition[position]) && condition[position] != ')')
        ++position;
    return condition.substr(first, position - first);
}

void ScriptParser::ParseCondition(const std::string& condition, IfData& data)
{
    size_t position = 1;
    data.left = ParseOperand(FirstConditionWord(condition, position));
    while (position < condition.size() && IsConditionSpace(condition[position]))
        ++position;
    if (position >= condition.size() || condition[position] == ')')
        return;
    const std::string op = FirstConditionWord(condition, position);
    data.op = OP_INVALID;
    for (const OperatorWord& entry : kOperators)
    {
        if (op == entry.word)
            data.op = entry.op;
    }
    if (data.op == OP_INVALID)
        Report("%s::IfCommand - Invalid Operator in if statement %s", m_Wording.language, op.c_str());
    const std::string right = FirstConditionWord(condition, position);
    if (!right.empty() && right[0] == '"')
    {
        data.right.id = SCRIPT_OPERAND_TEXT;
        data.right.text = m_Texts.Keep(right.size() >= 2 ? std::string_view(right).substr(1, right.size() - 2) : "");
    }
    else
        data.right = ParseOperand(right);
}

void ScriptParser::ParseIf()
{
    std::string condition;
    m_Reader.ReadCondition(condition);
    if (condition.empty() || InDroppedBlock())
    {
        m_Frames.push_back({FRAME_DROPPED, nullptr, nullptr});
        return;
    }
    if (CountFrames(FRAME_IF) >= kMaxIfDepth)
    {
        Report("%s::IfCommand - If statements nested deeper than %u - %s dropped with its commands", m_Wording.language,
               kMaxIfDepth, condition.c_str());
        m_Frames.push_back({FRAME_DROPPED, nullptr, nullptr});
        return;
    }
    auto data = std::make_unique<IfData>();
    ParseCondition(condition, *data);
    IfData* ifData = data.get();
    if (AddCommandToCurrent({CMD_IF, std::move(data)}))
        m_Frames.push_back({FRAME_IF, ifData, nullptr});
    else
        m_Frames.push_back({FRAME_DROPPED, nullptr, nullptr});
}

void ScriptParser::ParseSwitch()
{
    std::string condition;
    m_Reader.ReadCondition(condition);
    if (condition.empty() || InDroppedBlock())
    {
        m_Frames.push_back({FRAME_DROPPED, nullptr, nullptr});
        return;
    }
    if (CountFrames(FRAME_SWITCH) > 0)
    {
        Report("%s::SwitchCommand - Switch inside a Switch - %s dropped with its cases", m_Wording.language,
               condition.c_str());
        m_Frames.push_back({FRAME_DROPPED, nullptr, nullptr});
        return;
    }
    auto data = std::make_unique<SwitchData>();
    size_t position = 1;
    data->operand = ParseOperand(FirstConditionWord(condition, position));
    SwitchData* switchData = data.get();
    if (AddCommandToCurrent({CMD_SWITCH, std::move(data)}))
        m_Frames.push_back({FRAME_SWITCH, nullptr, switchData});
    else
        m_Frames.push_back({FRAME_DROPPED, nullptr, nullptr});
}

bool ScriptParser::ReadWord(std::string& word, const char* command)
{
    const uint32_t position = m_Reader.GetPosition();
    m_Reader.ReadToken(word);
    if (word.empty())
    {
        Report("%s::%s - command cut short by the end of the script", m_Wording.language, command);
        return false;
    }
    if (word == ";" || word == "End")
    {
        // Left to be read again: the ";" by the command, the End by its block.
        Report("%s::%s - command cut short by %s", m_Wording.language, command, word.c_str());
        m_Reader.Rewind(position);
        return false;
    }
    return true;
}

void ScriptParser::AbandonCommand()
{
    const uint32_t position = m_Reader.GetPosition();
    std::string token;
    m_Reader.ReadToken(token);
    if (token != ";")
        m_Reader.Rewind(position);
}

bool ScriptParser::ReadOperand(ScriptOperand& operand, const char* command)
{
    std::string word;
    if (!ReadWord(word, command))
        return false;
    operand = ParseOperand(word);
    return true;
}

bool ScriptParser::ReadNumber(float& number, const char* command)
{
    std::string word;
    if (!ReadWord(word, command))
        return false;
    number = datascript::ToReal(word.c_str());
    return true;
}

void ScriptParser::ParseOptions(const char* command, const char* invalidFormat,
                                const std::function<bool(const std::string&)>& option)
{
    std::string token;
    for (;;)
    {
        const uint32_t position = m_Reader.GetPosition();
        m_Reader.ReadToken(token);
        if (token.empty() || token == ";")
            return;
        if (token == "End")
        {
            Report("%s::%s - ';' expected - found End", m_Wording.language, command);
            m_Reader.Rewind(position);
            return;
        }
        if (!option(token) && invalidFormat)
            Report(invalidFormat, token.c_str());
    }
}

void ScriptParser::ReadClosing()
{
    const uint32_t position = m_Reader.GetPosition();
    std::string token;
    m_Reader.ReadToken(token);
    if (token == "End")
    {
        // The End of the list (or of the If around the command) is left to close it: taken here, the next State's
        // blocks would join this one.
        Report("%s - ';' expected - found End", m_Wording.language);
        m_Reader.Rewind(position);
    }
    else if (!token.empty() && token != ";")
    {
        // Taken in the place of the ";" as the grammar has it, but said: a ";" left out before the next command
        // takes that command's word with it, and an operand too many stands where the ";" should.
        Report("%s - ';' expected - found %s", m_Wording.language, token.c_str());
    }
}

void ScriptParser::ParseFunction()
{
    std::string name;
    if (!ReadWord(name, "FunctionCommand"))
        return AbandonCommand();
    bool found = true;
    auto data = std::make_unique<FunctionData>();
    data->function = FunctionIndex(name, found);
    if (!found)
        Report("%s::FunctionCommand - Invalid Function %s", m_Wording.language, name.c_str());
    AddCommandToCurrent({CMD_FUNCTION, std::move(data)});
    ReadClosing();
}

bool ScriptParser::ParseMessageOption(const std::string& word, MessageData& data)
{
    if (word == "Time")
        ReadNumber(data.time, "MessageCommand");
    else if (word == "MaxTime")
        ReadNumber(data.maxTime, "MessageCommand");
    else
        return false;
    return true;
}

void ScriptParser::ParseMessage()
{
    std::string name;
    if (!ReadWord(name, "MessageCommand"))
        return AbandonCommand();
    auto data = std::make_unique<MessageData>();
    const bool known = DecodeMessageName(name.c_str(), &data->type);
    if (!known)
        Report(m_Wording.messageNotFound, name.c_str());
    if (!ReadOperand(data->receiver, "MessageCommand") || !ReadOperand(data->data, "MessageCommand") ||
        !ReadOperand(data->flags, "MessageCommand"))
        return AbandonCommand();
    ParseOptions("MessageCommand", m_Wording.invalidMessageOption,
                 [&](const std::string& option) { return ParseMessageOption(option, *data); });
    // A misspelt name sends nothing: read as the first type, it would ask for its receiver's object to be removed.
    if (known)
        AddCommandToCurrent({CMD_MESSAGE, std::move(data)});
}

void ScriptParser::ParseArithmetic(uint32_t type, const char* command)
{
    auto data = std::make_unique<TwoOperandData>();
    if (!ReadOperand(data->target, command) || !ReadOperand(data->value, command))
        return AbandonCommand();
    AddCommandToCurrent({type, std::move(data)});
    ReadClosing();
}

void ScriptParser::ParsePlaySound()
{
    std::string name;
    if (!ReadWord(name, "PlaySoundCommand"))
        return AbandonCommand();
    auto data = std::make_unique<TextData>();
    data->text = m_Texts.Keep(name);
    AddCommandToCurrent({CMD_PLAY_SOUND, std::move(data)});
    ReadClosing();
}
