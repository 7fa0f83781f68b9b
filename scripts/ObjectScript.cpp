// ObjectScript: compiling an object script (its command words, operands and limits) and running its States for an
// object.
#include "scripts/ObjectScript.h"

#include "engine/core/FileSystem.h"
#include "engine/core/Logger.h"
#include "scripts/DataScript.h"
#include "scripts/ObjectScriptVocabulary.h"
#include "scripts/ScriptHost.h"
#include "scripts/ScriptManager.h"
#include "scripts/ScriptParser.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace
{

const ScriptParser::Wording kObjectWording = {
    "ObjectScript",
    "Invalid Command Recieved in ObjectScript %s",
    "ObjectScript::ProcessMessageCommand - Unknown Command Found %s",
    "ObjectScript::ProcessCommand Invalid Command : %s",
    "SendMessage Command Not found %s",
    "ObjectScript::MessageCommand - Invalid command %s",
};

// The number a "RandUint3" or "Random" word carries after its prefix; negative numbers give 0 and numbers beyond
// 32 bits the largest.
uint32_t CountAfter(const std::string& word, size_t prefix)
{
    const long long value = std::strtoll(word.c_str() + prefix, nullptr, 10);
    if (value < 0)
        return 0;
    return value > static_cast<long long>(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(value);
}

bool StartsWith(const std::string& word, const char* prefix)
{
    return word.compare(0, std::strlen(prefix), prefix) == 0;
}

// How deep OnSend handlers are running inside each other.
uint32_t g_uSendNesting = 0;

} // namespace

class ObjectScriptParser : public ScriptParser
{
public:
    ObjectScriptParser(const char* text, uint32_t size, ObjectScript& script)
        : ScriptParser(text, size, kObjectWording, script.m_Texts), m_Script(script)
    {
    }

protected:
    void BeginState(const std::string& name, State& state) override
    {
        if (!DecodeStateName(name.c_str(), &state.value))
            Report("ObjectScript::DetermineState - State doesnt exist check state decode table");
    }

    void CommitState(const std::string& name, State&& state) override
    {
        if (m_Script.m_States.size() >= ObjectScript::kMaxStates)
        {
            Report("ObjectScript::ProcessStateCommand - more than %u States - %s dropped", ObjectScript::kMaxStates,
                   name.c_str());
            return;
        }
        m_Script.AddState(std::move(state));
    }

    uint32_t MaxMessageBlocks() const override { return ObjectScript::kMaxMessageBlocks; }

    bool ParseCommand(const std::string& word) override
    {
        static const struct
        {
            const char* word;
            uint32_t type;
        } kArithmetic[] = {{"Add", CMD_ADD},       {"Minus", CMD_MINUS},       {"MinusZeroCap", CMD_MINUS_ZERO_CAP},
                           {"Divide", CMD_DIVIDE}, {"Multiply", CMD_MULTIPLY}, {"Set", CMD_SET}};
        if (word == "Function")
            ParseFunction();
        else if (word == "Message")
            ParseMessage();
        else if (word == "ChangeState")
            ParseChangeState();
        else if (word == "PlayAnimation")
            ParseAnimation();
        else if (word == "If")
            ParseIf();
        else if (word == "Switch")
            ParseSwitch();
        else if (word == "PlaySound")
            ParsePlaySound();
        else
        {
            for (const auto& entry : kArithmetic)
            {
                if (word == entry.word)
                {
                    ParseArithmetic(entry.type, "ArithmeticCommand");
                    return true;
                }
            }
            return false;
        }
        return true;
    }

    ScriptOperand ParseOperand(const std::string& word) override
    {
        ScriptOperand operand;
        if (FindObjectVariable(word.c_str(), &operand.id))
            return operand;
        if (!word.empty() && word[0] == '"')
        {
            const size_t length = word.size() >= 2 && word.back() == '"' ? word.size() - 2 : word.size() - 1;
            operand.id = SCRIPT_OPERAND_TEXT;
            operand.text = m_Texts.Keep(std::string_view(word).substr(1, length));
        }
        else if (StartsWith(word, "RandUint3") || StartsWith(word, "Random"))
        {
            const bool range = StartsWith(word, "RandUint3");
            operand.id = range ? SCRIPT_OPERAND_RAND : SCRIPT_OPERAND_RANDOM;
            operand.number = CountAfter(word, range ? 9 : 6);
            // Reported here, once: every time it is read it gives 0 (or false).
            if (operand.number == 0)
                Report("ObjectScript - random number asked for in a range of 0 - %s reads as 0", word.c_str());
        }
        else if (StartsWith(word, "STATE_"))
        {
            operand.id = SCRIPT_OPERAND_NUMBER;
            uint32_t state = 0;
            if (!DecodeStateName(word.c_str(), &state))
                Report("ObjectScript::DetermineState - State doesnt exist check state decode table");
            operand.real = static_cast<float>(state);
        }
        else
        {
            if (word.empty() || !(std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '-'))
                Report("Data in script has not been defined and is not a number : %s", word.c_str());
            operand.id = SCRIPT_OPERAND_NUMBER;
            operand.real = datascript::ToReal(word.c_str());
        }
        return operand;
    }

    uint32_t FunctionIndex(const std::string& name, bool& found) override
    {
        const uint32_t function = FindScriptFunction(name.c_str());
        found = function != SF_NotFound;
        return function;
    }

    bool ParseMessageOption(const std::string& word, MessageData& data) override
    {
        if (ScriptParser::ParseMessageOption(word, data))
            return true;
        if (word == "FloatData")
            ReadOperand(data.floatData, "MessageCommand");
        else if (word == "State")
            ReadOperand(data.state, "MessageCommand");
        else if (word == "SendFrom")
            ReadOperand(data.sendFrom, "MessageCommand");
        else
            return false;
        return true;
    }

private:
    void ParseChangeState()
    {
        std::string name;
        if (!ReadWord(name, "ChangeStateCommand"))
            return AbandonCommand();
        auto data = std::make_unique<ChangeStateData>();
        // A name that is not a state changes to state 0 (STATE_NULL).
        if (!DecodeStateName(name.c_str(), &data->state))
            data->state = 0;
        std::string word;
        const uint32_t position = m_Reader.GetPosition();
        m_Reader.ReadToken(word);
        if (word == "End")
        {
            // Left to close its block, as the closing token would leave it.
            Report("ObjectScript::ChangeStateCommand - ';' expected - found End");
            m_Reader.Rewind(position);
        }
        else if (word != ";")
        {
            if (word == "Time")
                ReadNumber(data->delay, "ChangeStateCommand");
            else
                Report("ObjectScript::ChangeStateCommand - Invalid command %s", word.c_str());
            ReadClosing();
        }
        AddCommandToCurrent({CMD_CHANGE_STATE, std::move(data)});
    }

    void ParseAnimation()
    {
        std::string name;
        if (!ReadWord(name, "AnimationCommand"))
            return AbandonCommand();
        auto data = std::make_unique<AnimationData>();
        data->name = m_Texts.Keep(name);
        ParseOptions("AnimationCommand", "ObjectScript::AnimationCommand - Invalid Animation command %s",
                     [&](const std::string& option)
                     {
                         std::string value;
                         if (option == "Finish")
                         {
                             if (ReadWord(value, "AnimationCommand"))
                                 data->finish = m_Texts.Keep(value);
                         }
                         else if (option == "NotLooped")
                             data->notLooped = true;
                         else if (option == "Reverse")
                             data->reverse = true;
                         else if (option == "ExitState")
                         {
                             if (ReadWord(value, "AnimationCommand"))
                                 DecodeStateName(value.c_str(), &data->exitState);
                         }
                         else if (option == "EndMessage")
                         {
                             if (ReadWord(value, "AnimationCommand"))
                                 DecodeMessageName(value.c_str(), &data->endMessage);
                         }
                         else if (option == "MaxTime")
                             ReadNumber(data->maxTime, "AnimationCommand");
                         else
                             return false;
                         return true;
                     });
        AddCommandToCurrent({CMD_PLAY_ANIMATION, std::move(data)});
    }

    ObjectScript& m_Script;
};

ObjectScript::ObjectScript()
{
    std::memset(m_FirstState, -1, sizeof m_FirstState);
}

ObjectScript::~ObjectScript() = default;

void ObjectScript::Load(const char* fileName)
{
    uint32_t size = 0;
    std::unique_ptr<char[]> text(GetFileSystem()->ReadBleFileSized(BleFileName(fileName).c_str(), &size));
    // The objects that look the script up then stand idle: a misspelt file name is said, in the log.
    if (!text || size < 1)
        GetLogger()->Report(1, "ObjectScript::Load - cannot read the script %s - it stays empty",
                            fileName ? fileName : "");
    Compile(text.get(), text ? size : 0);
}

void ObjectScript::Compile(const char* text, uint32_t size)
{
    m_States.clear();
    m_Texts = ScriptTexts();
    std::memset(m_FirstState, -1, sizeof m_FirstState);
    if (!text || size < 1)
        return;
    ObjectScriptParser parser(text, size, *this);
    parser.ParseScript();
}

void ObjectScript::AddState(State&& state)
{
    if (state.value < STATE_NUM_STATES && m_FirstState[state.value] < 0)
        m_FirstState[state.value] = static_cast<int8_t>(m_States.size());
    m_States.push_back(std::move(state));
}

const State* ObjectScript::FindState(uint32_t state) const
{
    if (state >= STATE_NUM_STATES || m_FirstState[state] < 0)
        return nullptr;
    return &m_States[static_cast<size_t>(m_FirstState[state])];
}

namespace
{

// Lists that start one another at once (a State change, a message handled on the spot) form one chain. The
// message bus bounds how deep it nests, but a list that asks twice for the State it enters doubles the work at
// every level: a chain that runs more lists than this stops as a whole, with a report.
constexpr uint32_t kMaxRunsPerChain = 4096;
uint32_t g_uRunDepth = 0;
uint32_t g_uRunCount = 0;
bool g_bRunStopped = false;

// `reported` holds the objects already reported for a chain too long: a runaway goes on frame after frame, and is
// reported once.
void RunList(const CommandList& list, ScriptObject& object, std::unordered_set<uint32_t>& reported)
{
    if (g_uRunDepth == 0)
    {
        g_uRunCount = 0;
        g_bRunStopped = false;
    }
    if (g_bRunStopped)
        return;
    if (++g_uRunCount > kMaxRunsPerChain)
    {
        if (reported.insert(object.GetID()).second)
            GetLogger()->Report(0,
                                "ObjectScript - one chain of lists started at once ran more than %u lists - the rest "
                                "of it is dropped (object %u)",
                                kMaxRunsPerChain, object.GetID());
        g_bRunStopped = true;
        return;
    }
    ++g_uRunDepth;
    CommandList::PerformCommands(list, object);
    --g_uRunDepth;
}

} // namespace

void ObjectScript::PerformOnEntry(ScriptObject& object, uint32_t state) const
{
    if (const State* found = FindState(state))
        RunList(found->onEntry, object, m_RunawayReported);
}

void ObjectScript::PerformOnExit(ScriptObject& object, uint32_t state) const
{
    if (const State* found = FindState(state))
        RunList(found->onExit, object, m_RunawayReported);
}

void ObjectScript::PerformOnUpdate(ScriptObject& object, uint32_t state) const
{
    const ScriptHost* host = GetScriptHost();
    if (host && host->IsPaused())
        return;
    if (const State* found = FindState(state))
        RunList(found->onUpdate, object, m_RunawayReported);
}

bool ObjectScript::PerformOnReceipt(ScriptObject& object, const MessageRecord& record) const
{
    const uint32_t state = object.GetState();
    if (!FindState(state))
        return false;
    for (size_t i = static_cast<size_t>(m_FirstState[state]); i < m_States.size(); ++i)
    {
        if (m_States[i].value != state)
            continue;
        if (const MessageEntry* entry = m_States[i].FindMessage(record.dwType))
        {
            RunList(entry->onReceipt, object, m_RunawayReported);
            return true;
        }
    }
    return false;
}

void ObjectScript::PerformOnSend(ScriptObject& object, const MessageRecord& record) const
{
    const State* found = FindState(object.GetState());
    const MessageEntry* entry = found ? found->FindMessage(record.dwType) : nullptr;
    if (!entry)
        return;
    if (g_uSendNesting >= kMaxSendNesting)
    {
        GetLogger()->Report(0,
                            "ObjectScript::SendMessage - OnSend handlers nested deeper than %u - message %u from %u "
                            "posted without them",
                            kMaxSendNesting, record.dwType, object.GetID());
        return;
    }
    ++g_uSendNesting;
    RunList(entry->onSend, object, m_RunawayReported);
    --g_uSendNesting;
}

bool ObjectScript::SendMessage(ScriptObject& object, const MessageRecord& record) const
{
    PerformOnSend(object, record);
    ScriptHost* host = GetScriptHost();
    return host && host->PostScriptMessage(record);
}

bool ObjectScript::SendDelayedMessage(ScriptObject& object, const MessageRecord& record, float delay) const
{
    PerformOnSend(object, record);
    ScriptHost* host = GetScriptHost();
    return host && host->PostScriptMessageDelayed(record, delay);
}
