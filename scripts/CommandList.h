// The compiled form of both script languages: command nodes and their data, command lists, the States with their
// lists and message entries, and the texts a compiled script keeps. Objects run lists through
// CommandList::PerformCommands.
#pragma once

#include "scripts/ScriptValue.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ScriptObject;
class ScriptVariables;

// One numbering of the commands for both languages.
enum CommandType : uint32_t
{
    CMD_FUNCTION = 0,
    CMD_MESSAGE = 1,
    CMD_CHANGE_STATE = 2,
    CMD_PLAY_ANIMATION = 3,
    CMD_IF = 4,
    CMD_SWITCH = 5,
    CMD_ADD = 6,
    CMD_MINUS = 7,
    CMD_MINUS_ZERO_CAP = 8,
    CMD_DIVIDE = 9,
    CMD_MULTIPLY = 10,
    CMD_SET = 11,
    CMD_PLAY_SOUND = 12,
    CMD_CREATE = 13,
    CMD_PATH = 14,
    CMD_QUEUE = 15,
    CMD_LOAD_SCRIPT = 16,
    CMD_MOVE_CAMERA = 17,
    CMD_SHOW_MENU = 18,
    CMD_EMIT_TICKER = 19,
    // No command word makes it; performing it is reported.
    CMD_UNDEFINED = 20,
};

// Operators of If conditions.
enum ConditionOperator : uint32_t
{
    OP_AND = 0,
    OP_OR = 1,
    OP_GREATER = 2,
    OP_LESS = 3,
    OP_EQUAL = 4,
    OP_LESS_EQUAL = 5,
    OP_GREATER_EQUAL = 6,
    OP_NOT_EQUAL = 7,
    // An operator word that is none of the above: the condition is false.
    OP_INVALID = 0xFFFFFFFF,
};

// The lists of a State: 0 OnEntry, 1 OnExit, 2 OnUpdate, and the OnReceipt and OnSend lists of the message entry
// being parsed.
enum ListKind : uint32_t
{
    LIST_ON_ENTRY = 0,
    LIST_ON_EXIT = 1,
    LIST_ON_UPDATE = 2,
    LIST_ON_RECEIPT = 3,
    LIST_ON_SEND = 4,
};

// State value or message type of a name that did not resolve: it never matches.
constexpr uint32_t kUnresolvedScriptName = 0x0FFFFFFF;

// The texts a compiled script keeps (names, quoted texts); their addresses stay fixed while the store lives.
class ScriptTexts
{
public:
    const char* Keep(std::string_view text);

private:
    std::deque<std::string> m_Texts;
};

// The data record of a node; each command type has its own.
struct CommandData
{
    virtual ~CommandData() = default;
};

struct CommandNode
{
    uint32_t type = CMD_UNDEFINED;
    std::unique_ptr<CommandData> data;
};

class CommandList
{
public:
    void Add(CommandNode node) { m_Nodes.push_back(std::move(node)); }
    // Moves the nodes of another list to the end of this one.
    void Append(CommandList&& other)
    {
        for (CommandNode& node : other.m_Nodes)
            m_Nodes.push_back(std::move(node));
        other.m_Nodes.clear();
    }
    bool Empty() const { return m_Nodes.empty(); }
    size_t Size() const { return m_Nodes.size(); }
    const CommandNode& operator[](size_t index) const { return m_Nodes[index]; }
    std::vector<CommandNode>::const_iterator begin() const { return m_Nodes.begin(); }
    std::vector<CommandNode>::const_iterator end() const { return m_Nodes.end(); }

    // Performs the list for an object, node after node.
    static void PerformCommands(const CommandList& list, ScriptObject& object);

private:
    std::vector<CommandNode> m_Nodes;
};

struct FunctionData : CommandData
{
    uint32_t function = 0;
};

struct MessageData : CommandData
{
    uint32_t type = 0;
    ScriptOperand receiver;
    ScriptOperand data;
    ScriptOperand flags;
    // Absent (SCRIPT_OPERAND_NONE) unless given.
    ScriptOperand floatData;
    ScriptOperand state;
    ScriptOperand sendFrom;
    float time = 0.0f;
    float maxTime = 0.0f;
};

struct ChangeStateData : CommandData
{
    uint32_t state = 0;
    float delay = 0.0f;
};

struct AnimationData : CommandData
{
    const char* name = "";
    const char* finish = nullptr;
    // MT_NUM_MESSAGES (103): none.
    uint32_t endMessage = 103;
    // 0: none.
    uint32_t exitState = 0;
    float maxTime = 0.0f;
    bool reverse = false;
    bool notLooped = false;
};

struct IfData : CommandData
{
    CommandList thenList;
    CommandList elseList;
    ScriptOperand left;
    ScriptOperand right;
    uint32_t op = OP_INVALID;
    bool inElse = false;
};

struct SwitchCase
{
    ScriptOperand operand;
    CommandList list;
};

struct SwitchData : CommandData
{
    std::vector<SwitchCase> cases;
    ScriptOperand operand;
};

// Add, Minus, MinusZeroCap, Divide, Multiply and Set.
struct TwoOperandData : CommandData
{
    ScriptOperand target;
    ScriptOperand value;
    // Set once an integer division by 0 has been reported, so a list run every frame reports it once.
    mutable bool divideByZeroReported = false;
};

// PlaySound and the other commands that carry one text.
struct TextData : CommandData
{
    const char* text = "";
};

struct MessageEntry
{
    uint32_t type = kUnresolvedScriptName;
    CommandList onReceipt;
    CommandList onSend;
};

struct State
{
    // A STATE_ value in object scripts.
    uint32_t value = kUnresolvedScriptName;
    CommandList onEntry;
    CommandList onExit;
    CommandList onUpdate;
    // The message blocks in script order; while a block is parsed it is the last entry.
    std::vector<MessageEntry> messages;

    // Appends a node to one of the lists (LIST_ON_RECEIPT and LIST_ON_SEND: those of the last message entry).
    // False, with a report, for any other kind or when there is no message entry.
    bool AddCommand(CommandNode node, uint32_t listKind);
    // The first message entry of a type, or null.
    const MessageEntry* FindMessage(uint32_t type) const;
};

// The condition of an object script's If, or of one Switch case (with OP_EQUAL): Default on either side is true;
// without a right operand, the truth of the left value; against a quoted text, == and != compare texts without
// regard to case; otherwise both values are read (left first) and compared by the operator.
bool EvaluateCondition(ScriptObject& object, const ScriptOperand& left, const ScriptOperand& right, uint32_t op);

// Arithmetic and Set of either language on the variables of an object or the park: an integer target gives
// integer arithmetic (an integer division by 0 gives 0, reported once per command), any other target float
// arithmetic; Set copies the value. `where` names the caller in reports.
void PerformArithmetic(uint32_t type, const TwoOperandData& data, ScriptVariables& variables, const char* where);
