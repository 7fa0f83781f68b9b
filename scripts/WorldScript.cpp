// WorldScript: compiling a world script (its named States, command words and operands) and running its States in
// the park.
#include "scripts/WorldScript.h"

#include "engine/core/FileSystem.h"
#include "engine/core/Logger.h"
#include "engine/core/TextTable.h"
#include "scripts/DataScript.h"
#include "scripts/ObjectStates.h"
#include "scripts/ScriptManager.h"
#include "scripts/ScriptParser.h"
#include "scripts/WorldCommands.h"
#include "scripts/WorldScriptHost.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <strings.h>

namespace
{

const ScriptParser::Wording kWorldWording = {
    "WorldScript",
    "Invalid Command Recieved in WorldScript",
    "WorldScript::ProcessMessageCommand - Unknown Command Found %s",
    nullptr,
    "WorldScript::MessageCommand - no message is named %s - the command is dropped",
    nullptr,
};

struct NamedValue
{
    const char* name;
    uint32_t value;
};

// The world variable names; they compare without regard to case.
constexpr NamedValue kWorldVariables[] = {
    {"GuestCount", WV_GuestCount},
    {"BreakdownCount", WV_BreakdownCount},
    {"CleanerCount", WV_CleanerCount},
    {"MechanicCount", WV_MechanicCount},
    {"ZooCount", WV_ZooCount},
    {"AllStaffCount", WV_AllStaffCount},
    {"SandBox", WV_SandBox},
    {"LitterCount", WV_LitterCount},
    {"UnHappyLeavers", WV_UnHappyLeavers},
    {"ProfitToday", WV_ProfitToday},
    {"ConstructCount", WV_ConstructCount},
    {"AllBuildingsOperating", WV_AllBuildingsOperating},
    {"GuestBeautyLevel", WV_GuestBeautyLevel},
    {"DiffConstructCount", WV_DiffConstructCount},
    {"BuildTreeExist", WV_BuildTreeExist},
    {"NumBuildings", WV_NumBuildings},
    {"IncomeToday", WV_IncomeToday},
    {"RidesBuilt", WV_RidesBuilt},
    {"AmusementBuilt", WV_AmusementBuilt},
    {"AnimalExhibitCount", WV_AnimalExhibitCount},
    {"AverageAnimalHappy", WV_AverageAnimalHappy},
    {"LowestGuestAverage", WV_LowestGuestAverage},
    {"AnimalExhibitIncome", WV_AnimalExhibitIncome},
    {"AnimalTotalIncome", WV_AnimalTotalIncome},
    {"GuestAverageWelfare", WV_GuestAverageWelfare},
    {"KaikoShowScore", WV_KaikoShowScore},
    {"Me", WV_Me},
    {"GameTime", WV_GameTime},
    {"ResortRating", WV_ResortRating},
    {"GameDay", WV_GameDay},
    {"PlayerCash", WV_PlayerCash},
};

// The operand prefixes that carry a number after them, in the order they are tried.
constexpr NamedValue kNumberPrefixes[] = {
    {"RandUint3", SCRIPT_OPERAND_RAND}, {"Random", SCRIPT_OPERAND_RANDOM}, {"Flag", WV_Flag}, {"Var", WV_Var},
    {"ScenarioObj", WV_ScenarioObj},
};

// The operand prefixes that carry a building definition name after them.
constexpr NamedValue kNamePrefixes[] = {
    {"BuildingCount", WV_BuildingCount},
    {"VisitCount", WV_VisitCount},
};

constexpr NamedValue kFunctions[] = {
    {"PauseGame", WF_PauseGame},
    {"ResumeGame", WF_ResumeGame},
    {"NoBreakDowns", WF_NoBreakDowns},
    {"AllowBreakDowns", WF_AllowBreakDowns},
    {"Debug", WF_Debug},
    {"NoLitter", WF_NoLitter},
};

constexpr NamedValue kCreateKinds[] = {
    {"Building", CREATE_BUILDING}, {"Guest", CREATE_GUEST}, {"Scenery", CREATE_SCENERY},
    {"Litter", CREATE_LITTER},     {"Staff", CREATE_STAFF}, {"Animal", CREATE_ANIMAL},
};

constexpr NamedValue kDirections[] = {
    {"N", 0}, {"NE", 1}, {"E", 2}, {"SE", 3}, {"S", 4}, {"SW", 5}, {"W", 6}, {"NW", 7},
};

constexpr NamedValue kArithmetic[] = {
    {"Add", CMD_ADD}, {"Minus", CMD_MINUS}, {"Divide", CMD_DIVIDE}, {"Multiply", CMD_MULTIPLY}, {"Set", CMD_SET},
};

bool StartsWith(const std::string& word, const char* prefix)
{
    return word.compare(0, std::strlen(prefix), prefix) == 0;
}

// The number after a prefix; negative numbers give 0 and numbers beyond 32 bits the largest.
uint32_t NumberAfter(const std::string& word, size_t prefix)
{
    const long long value = std::strtoll(word.c_str() + prefix, nullptr, 10);
    if (value < 0)
        return 0;
    return value > static_cast<long long>(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(value);
}

// The index after a Flag, Var or ScenarioObj prefix: digits only (leading zeros allowed), within 32 bits;
// kWorldNoIndex otherwise.
uint32_t IndexAfter(const std::string& word, size_t prefix)
{
    if (word.size() <= prefix)
        return kWorldNoIndex;
    uint64_t value = 0;
    for (size_t i = prefix; i < word.size(); ++i)
    {
        if (!std::isdigit(static_cast<unsigned char>(word[i])))
            return kWorldNoIndex;
        // Held at the no-index value once past it, so that no length of digits can wrap around.
        value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(word[i] - '0'), kWorldNoIndex);
    }
    return static_cast<uint32_t>(value);
}

// Most objects one Create command makes: the largest object pool.
constexpr int32_t kMaxCreateCount = 16000;

} // namespace

class WorldScriptParser : public ScriptParser
{
public:
    WorldScriptParser(const char* text, uint32_t size, WorldScript& script)
        : ScriptParser(text, size, kWorldWording, script.m_Texts), m_Script(script)
    {
    }

protected:
    void BeginState(const std::string&, State&) override {}

    void CommitState(const std::string& name, State&& state) override
    {
        const uint32_t known = m_Script.FindState(name.c_str());
        if (known != WorldScript::kNoState)
        {
            // A name declared before is not declared again: its blocks go to the State parsed just before.
            Report("WorldScript::ProcessStateCommand - State %s declared twice - its blocks join the State before",
                   name.c_str());
            if (m_Script.m_States.empty())
                return;
            State& last = m_Script.m_States.back();
            last.onEntry.Append(std::move(state.onEntry));
            last.onExit.Append(std::move(state.onExit));
            last.onUpdate.Append(std::move(state.onUpdate));
            for (MessageEntry& entry : state.messages)
            {
                if (last.messages.size() >= WorldScript::kMaxMessageBlocks)
                {
                    Report("WorldScript::ProcessMessageCommand - more than %u message blocks in a State - dropped",
                           WorldScript::kMaxMessageBlocks);
                    break;
                }
                last.messages.push_back(std::move(entry));
            }
            return;
        }
        if (m_Script.m_States.size() >= WorldScript::kMaxStates)
        {
            Report("WorldScript::ProcessStateCommand - more than %u States - %s dropped", WorldScript::kMaxStates,
                   name.c_str());
            return;
        }
        m_Script.m_StateNames.push_back(name);
        m_Script.m_States.push_back(std::move(state));
    }

    uint32_t MaxMessageBlocks() const override { return WorldScript::kMaxMessageBlocks; }

    bool ParseCommand(const std::string& word) override
    {
        if (word == "Function")
            ParseFunction();
        else if (word == "Message")
            ParseMessage();
        else if (word == "Create")
            ParseCreate();
        else if (word == "Path")
            ParsePath();
        else if (word == "Queue")
            ParseQueue();
        else if (word == "LoadScript")
            ParseTexts(CMD_LOAD_SCRIPT, "LoadScriptCommand", false);
        else if (word == "If")
            ParseIf();
        else if (word == "PlaySound")
            ParsePlaySound();
        else if (word == "MoveCamera")
            ParseMoveCamera();
        else if (word == "ShowMenu")
            ParseTexts(CMD_SHOW_MENU, "ShowMenuCommand", true);
        else if (word == "ChangeState")
            ParseChangeState();
        else if (word == "EmitTicker")
            ParseTicker();
        else
        {
            for (const NamedValue& entry : kArithmetic)
            {
                if (word == entry.name)
                {
                    ParseArithmetic(entry.value, "ArithmeticCommand");
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
        for (const NamedValue& entry : kWorldVariables)
        {
            if (strcasecmp(entry.name, word.c_str()) == 0)
            {
                operand.id = entry.value;
                return operand;
            }
        }
        if (!word.empty() && word[0] == '"')
        {
            const size_t length = word.size() >= 2 && word.back() == '"' ? word.size() - 2 : word.size() - 1;
            operand.id = SCRIPT_OPERAND_TEXT;
            operand.text = m_Texts.Keep(std::string_view(word).substr(1, length));
            return operand;
        }
        for (const NamedValue& entry : kNumberPrefixes)
        {
            if (StartsWith(word, entry.name))
            {
                operand.id = entry.value;
                const size_t prefix = std::strlen(entry.name);
                const bool random = entry.value == SCRIPT_OPERAND_RAND || entry.value == SCRIPT_OPERAND_RANDOM;
                operand.number = random ? NumberAfter(word, prefix) : IndexAfter(word, prefix);
                CheckNumber(operand, word);
                return operand;
            }
        }
        for (const NamedValue& entry : kNamePrefixes)
        {
            if (StartsWith(word, entry.name))
            {
                operand.id = entry.value;
                operand.text = m_Texts.Keep(std::string_view(word).substr(std::strlen(entry.name)));
                return operand;
            }
        }
        if (word.empty() || !(std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '-'))
            Report("Data in world script has not been defined and is not a number : %s", word.c_str());
        operand.id = SCRIPT_OPERAND_NUMBER;
        operand.real = datascript::ToReal(word.c_str());
        return operand;
    }

    uint32_t FunctionIndex(const std::string& name, bool& found) override
    {
        for (const NamedValue& entry : kFunctions)
        {
            if (strcasecmp(entry.name, name.c_str()) == 0)
            {
                found = true;
                return entry.value;
            }
        }
        found = false;
        return WF_NotFound;
    }

private:
    // Ranges and indexes the park cannot honour are reported once, here: the park then reads them as 0 and
    // ignores writes to them.
    void CheckNumber(const ScriptOperand& operand, const std::string& word)
    {
        if ((operand.id == SCRIPT_OPERAND_RAND || operand.id == SCRIPT_OPERAND_RANDOM) && operand.number == 0)
            Report("WorldScript - random number asked for in a range of 0 - %s reads as 0", word.c_str());
        else if (operand.number == kWorldNoIndex)
            Report("WorldScript - %s has no index of 0 or more - it reads as 0 and is never written", word.c_str());
        else if (operand.id == WV_Var && operand.number >= kWorldScriptVarCount)
            Report("WorldScript - there are %u script variables - %s reads as 0 and is never written",
                   kWorldScriptVarCount, word.c_str());
        else if (operand.id == WV_ScenarioObj && operand.number >= kWorldObjectiveCount)
            Report("WorldScript - there are %u scenario objectives - %s reads as 0 and is never written",
                   kWorldObjectiveCount, word.c_str());
    }

    bool ReadInteger(int32_t& value, const char* command)
    {
        std::string word;
        if (!ReadWord(word, command))
            return false;
        value = datascript::ToInteger(word.c_str());
        return true;
    }

    // "Random" (any case) or X Y.
    bool ReadPosition(CreateData& data)
    {
        std::string word;
        if (!ReadWord(word, "CreateCommand"))
            return false;
        if (strcasecmp(word.c_str(), "Random") == 0)
        {
            data.x = -1;
            data.y = -1;
            return true;
        }
        data.x = datascript::ToInteger(word.c_str());
        return ReadInteger(data.y, "CreateCommand");
    }

    // The number of objects, kept within the largest pool.
    void ReadCount(CreateData& data)
    {
        if (!ReadInteger(data.count, "CreateCommand"))
            return;
        if (data.count > kMaxCreateCount)
        {
            Report("WorldScript::CreateCommand - Number %d is more than %d objects - cut", data.count, kMaxCreateCount);
            data.count = kMaxCreateCount;
        }
    }

    // "Prices" numbers up to a ";" of their own: the last number is the price.
    void ReadPrices(CreateData& data)
    {
        std::string word;
        for (;;)
        {
            const uint32_t position = m_Reader.GetPosition();
            m_Reader.ReadToken(word);
            if (word == ";")
                return;
            if (word.empty() || word == "End")
            {
                Report("WorldScript::CreateCommand - price list cut short");
                m_Reader.Rewind(position);
                return;
            }
            data.price = datascript::ToReal(word.c_str());
        }
    }

    void ParseCreate()
    {
        auto data = std::make_unique<CreateData>();
        std::string kind;
        if (!ReadWord(kind, "CreateCommand"))
            return AbandonCommand();
        for (const NamedValue& entry : kCreateKinds)
        {
            if (kind == entry.name)
                data->kind = entry.value;
        }
        if (data->kind == CREATE_UNKNOWN)
        {
            Report("WorldScript::CreateCommand - Unhandled creation message");
            ParseOptions("CreateCommand", nullptr, [](const std::string&) { return true; });
            AddCommandToCurrent({CMD_CREATE, std::move(data)});
            return;
        }
        std::string name;
        if (!ReadWord(name, "CreateCommand"))
            return AbandonCommand();
        data->name = m_Texts.Keep(name);
        if (!ReadPosition(*data))
            return AbandonCommand();
        CreateData& create = *data;
        switch (create.kind)
        {
        case CREATE_BUILDING:
            if (!ReadInteger(create.third, "CreateCommand"))
                return AbandonCommand();
            ParseOptions("CreateCommand", "Invalid Extra command in worldscript create building command %s",
                         [&](const std::string& option)
                         {
                             if (option == "Prices")
                                 ReadPrices(create);
                             else if (option == "Age")
                                 ReadInteger(create.age, "CreateCommand");
                             else if (option == "Broken")
                                 create.broken = true;
                             else
                                 return false;
                             return true;
                         });
            break;
        case CREATE_GUEST:
            ParseOptions("CreateCommand", "Invalid Extra command in worldscript create guest command %s",
                         [&](const std::string& option)
                         {
                             if (option != "Number")
                                 return false;
                             ReadCount(create);
                             return true;
                         });
            break;
        case CREATE_SCENERY:
        case CREATE_LITTER:
            if (!create.IsRandom() && !ReadInteger(create.third, "CreateCommand"))
                return AbandonCommand();
            ParseOptions("CreateCommand", nullptr,
                         [&](const std::string& option)
                         {
                             if (option == "Number")
                                 ReadCount(create);
                             else
                                 create.extra = m_Texts.Keep(option);
                             return true;
                         });
            break;
        case CREATE_ANIMAL:
            if (!ReadInteger(create.third, "CreateCommand"))
                return AbandonCommand();
            ReadClosing();
            break;
        default:
            ReadClosing();
            break;
        }
        AddCommandToCurrent({CMD_CREATE, std::move(data)});
    }

    void ParsePath()
    {
        auto data = std::make_unique<PathData>();
        std::string direction;
        if (!ReadInteger(data->x, "PathCommand") || !ReadInteger(data->y, "PathCommand") ||
            !ReadInteger(data->count, "PathCommand") || !ReadWord(direction, "PathCommand"))
            return AbandonCommand();
        bool found = false;
        for (const NamedValue& entry : kDirections)
        {
            if (strcasecmp(entry.name, direction.c_str()) == 0)
            {
                data->direction = entry.value;
                found = true;
            }
        }
        ReadClosing();
        // Without a direction the path has nowhere to go: the command is dropped.
        if (!found)
        {
            Report("Invalid Direction Specified %s", direction.c_str());
            return;
        }
        AddCommandToCurrent({CMD_PATH, std::move(data)});
    }

    void ParseQueue()
    {
        auto data = std::make_unique<QueueData>();
        if (!ReadInteger(data->x, "QueueCommand") || !ReadInteger(data->y, "QueueCommand") ||
            !ReadInteger(data->shape, "QueueCommand"))
            return AbandonCommand();
        AddCommandToCurrent({CMD_QUEUE, std::move(data)});
        ReadClosing();
    }

    // LoadScript NAME FILE and ShowMenu DIALOG [PARAMETER].
    void ParseTexts(uint32_t type, const char* command, bool secondOptional)
    {
        auto data = std::make_unique<TwoTextData>();
        std::string word;
        if (!ReadWord(word, command))
            return AbandonCommand();
        data->first = m_Texts.Keep(word);
        const uint32_t position = m_Reader.GetPosition();
        m_Reader.ReadToken(word);
        if (secondOptional && (word == ";" || word.empty() || word == "End"))
            m_Reader.Rewind(position);
        else
        {
            m_Reader.Rewind(position);
            if (!ReadWord(word, command))
                return AbandonCommand();
            data->second = m_Texts.Keep(word);
        }
        AddCommandToCurrent({type, std::move(data)});
        ReadClosing();
    }

    void ParseMoveCamera()
    {
        auto data = std::make_unique<MoveCameraData>();
        if (!ReadNumber(data->x, "MoveCameraCommand") || !ReadNumber(data->y, "MoveCameraCommand") ||
            !ReadNumber(data->third, "MoveCameraCommand"))
            return AbandonCommand();
        AddCommandToCurrent({CMD_MOVE_CAMERA, std::move(data)});
        ReadClosing();
    }

    void ParseTicker()
    {
        std::string key;
        if (!ReadWord(key, "EmitTickerCommand"))
            return AbandonCommand();
        // The ticker shows the text of the key: a key the loaded text table does not hold would show an empty line.
        if (g_pTextTable && g_pTextTable->GetPairCount() > 0 && g_pTextTable->FindIndex(key.c_str()) < 0)
            Report("WorldScript::EmitTickerCommand - %s is not in the text table - the ticker shows no text",
                   key.c_str());
        auto data = std::make_unique<TextData>();
        data->text = m_Texts.Keep(key);
        AddCommandToCurrent({CMD_EMIT_TICKER, std::move(data)});
        ReadClosing();
    }

    void ParseChangeState()
    {
        std::string name;
        if (!ReadWord(name, "ChangeStateCommand"))
            return AbandonCommand();
        auto data = std::make_unique<WorldChangeStateData>();
        data->name = m_Texts.Keep(name);
        ParseOptions("ChangeStateCommand", "WorldScript::ChangeStateCommand - Invalid command %s",
                     [&](const std::string& option)
                     {
                         if (option != "Time")
                             return false;
                         ReadNumber(data->delay, "ChangeStateCommand");
                         return true;
                     });
        AddCommandToCurrent({CMD_CHANGE_STATE, std::move(data)});
    }

    WorldScript& m_Script;
};

WorldScript::WorldScript() = default;
WorldScript::~WorldScript() = default;

bool WorldScript::Load(const char* fileName)
{
    uint32_t size = 0;
    std::unique_ptr<char[]> text(fileName ? GetFileSystem()->ReadBleFileSized(BleFileName(fileName).c_str(), &size)
                                          : nullptr);
    if (!text || size < 1)
    {
        GetLogger()->Report(0, "WorldScript::Load - cannot read the world script %s", fileName ? fileName : "");
        Compile(nullptr, 0);
        return false;
    }
    Compile(text.get(), size);
    return true;
}

void WorldScript::Compile(const char* text, uint32_t size)
{
    m_States.clear();
    m_StateNames.clear();
    m_Texts = ScriptTexts();
    m_CurrentState = kNoState;
    if (!text || size < 1)
        return;
    WorldScriptParser parser(text, size, *this);
    parser.ParseScript();
}

uint32_t WorldScript::FindState(const char* name) const
{
    for (size_t i = 0; name && i < m_StateNames.size(); ++i)
    {
        if (m_StateNames[i] == name)
            return static_cast<uint32_t>(i);
    }
    return kNoState;
}

uint32_t WorldScript::GetStateIndex(const char* name) const
{
    const uint32_t index = FindState(name);
    if (index == kNoState && !m_States.empty())
        GetLogger()->Report(0, "Invalid State in WorldScript");
    return index;
}

void WorldScript::SetCurrentState(uint32_t state)
{
    if (state >= m_States.size())
    {
        if (state != kNoState)
            GetLogger()->Report(0, "WorldScript::SetCurrentState - no State %u - the current State is kept", state);
        return;
    }
    m_CurrentState = state;
}

bool WorldScript::IsInStartupState() const
{
    return m_CurrentState < m_States.size() && m_StateNames[m_CurrentState] == kStartupState;
}

void WorldScript::Start()
{
    const uint32_t startup = FindState(kStartupState);
    if (startup == kNoState)
    {
        GetLogger()->Report(0, "WorldScript::Start - the script has no State %s - it does not run", kStartupState);
        return;
    }
    m_CurrentState = startup;
    RunOnEntry();
}

void WorldScript::StartTimed(float /*time*/)
{
    Start();
}

bool WorldScript::ChangeStateTo(uint32_t state)
{
    if (state >= m_States.size())
    {
        GetLogger()->Report(0, "WorldScript::ChangeStateTo - no State %d - the current State is kept",
                            static_cast<int32_t>(state));
        return false;
    }
    m_CurrentState = state;
    RunOnEntry();
    return true;
}

void WorldScript::RunList(const CommandList& list, uint32_t state)
{
    ScriptHost* host = GetScriptHost();
    WorldScriptHost* world = host ? host->GetWorldScriptHost() : nullptr;
    if (!world)
        return;
    if (m_RunDepth >= kMaxRunDepth)
    {
        if (!m_bRunStopped)
            GetLogger()->Report(0,
                                "WorldScript - lists start one another more than %u deep at once - the rest of "
                                "this run is dropped",
                                kMaxRunDepth);
        m_bRunStopped = true;
        return;
    }
    // A new run starts without knowing the park.
    if (m_RunDepth++ == 0)
    {
        m_bFootpathMissing = false;
        m_bRunStopped = false;
    }
    const uint32_t outer = m_RunningState;
    m_RunningState = state;
    WorldCommand::PerformList(list, *this, *world);
    m_RunningState = outer;
    --m_RunDepth;
}

void WorldScript::RunOnEntry()
{
    if (m_CurrentState < m_States.size())
        RunList(m_States[m_CurrentState].onEntry, m_CurrentState);
}

void WorldScript::RunOnExit()
{
    if (m_CurrentState >= m_States.size())
        return;
    // The State is being left: a change it asks for now would start another change inside this one.
    const uint32_t outer = m_LeavingState;
    m_LeavingState = m_CurrentState;
    RunList(m_States[m_CurrentState].onExit, m_CurrentState);
    m_LeavingState = outer;
}

void WorldScript::RunOnUpdate()
{
    if (m_CurrentState < m_States.size())
        RunList(m_States[m_CurrentState].onUpdate, m_CurrentState);
}

bool WorldScript::HandleMessage(const MessageRecord& record)
{
    if (m_CurrentState >= m_States.size())
        return false;
    const MessageEntry* entry = m_States[m_CurrentState].FindMessage(record.dwType);
    if (!entry)
        return false;
    RunList(entry->onReceipt, m_CurrentState);
    return true;
}
