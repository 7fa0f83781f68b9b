// ScriptParser: what the two script languages share in compiling a script: the block grammar of State, OnEntry,
// OnExit, OnUpdate, Message, OnReceipt, OnSend and End, the nesting of If, Else, Switch and Case, and the commands
// both languages have (Function, Message, If, arithmetic, Set, PlaySound). Each language supplies its own command
// words, operand vocabulary, State names and limits.
#pragma once

#include "scripts/CommandList.h"
#include "scripts/ScriptReader.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class ScriptParser
{
public:
    // How a language words the reports that differ between the two.
    struct Wording
    {
        // The prefix of most reports: "ObjectScript" or "WorldScript".
        const char* language;
        // A top-level word that is not "State" (format with one %s, which may be left out).
        const char* invalidTopLevel;
        // A word in a Message block that is neither OnReceipt nor OnSend (one %s, which may be left out).
        const char* unknownMessageCommand;
        // A command word the language does not have (one %s), or null to skip it silently.
        const char* unknownCommand;
        // A Message command naming no message type (one %s): the command is dropped.
        const char* messageNotFound;
        // An option of a Message command that the language does not have (one %s), or null to skip it silently.
        const char* invalidMessageOption;
    };

    // Deepest nesting of If blocks; a deeper If is dropped with its body.
    static constexpr uint32_t kMaxIfDepth = 10;

    ScriptParser(const char* text, uint32_t size, const Wording& wording, ScriptTexts& texts);
    virtual ~ScriptParser() = default;
    ScriptParser(const ScriptParser&) = delete;
    ScriptParser& operator=(const ScriptParser&) = delete;

    // Compiles the whole text: State blocks until the text ends; any other top-level word is reported.
    void ParseScript();

protected:
    // A State block begins: the language resolves its name into the State.
    virtual void BeginState(const std::string& name, State& state) = 0;
    // A State block closed by its End; a State cut off by the end of the text is dropped, with a report.
    virtual void CommitState(const std::string& name, State&& state) = 0;
    // Most message blocks per State.
    virtual uint32_t MaxMessageBlocks() const = 0;
    // Parses the command that begins with `word`; false when the language has no such command word.
    virtual bool ParseCommand(const std::string& word) = 0;
    virtual ScriptOperand ParseOperand(const std::string& word) = 0;
    // The index of a function name; `found` false for a name the language does not have.
    virtual uint32_t FunctionIndex(const std::string& name, bool& found) = 0;
    // One option of a Message command (Time and MaxTime here); false when the language has no such option.
    virtual bool ParseMessageOption(const std::string& word, MessageData& data);

    // The commands both languages share, each read after its command word up to its closing ";".
    void ParseFunction();
    void ParseMessage();
    void ParseIf();
    void ParseSwitch();
    void ParseArithmetic(uint32_t type, const char* command);
    void ParsePlaySound();

    // Reads one word of a command. False, with a report, when the command is cut short by its ";" or an "End"
    // (either left to be read again) or by the end of the text.
    bool ReadWord(std::string& word, const char* command);
    bool ReadOperand(ScriptOperand& operand, const char* command);
    // A number (an unreadable one is 0).
    bool ReadNumber(float& number, const char* command);
    // Reads option words up to the command's ";" (an End met first is reported and left for its block); each is
    // handed to `option`, and one it does not know is reported with `invalidFormat` (one %s) unless that is null.
    void ParseOptions(const char* command, const char* invalidFormat,
                      const std::function<bool(const std::string&)>& option);
    // Ends a command cut short: takes its ";" when that comes next.
    void AbandonCommand();
    // Reads the token where a command's closing ";" stands. Any other word is reported and taken in its place; an
    // End is reported and left to close its block.
    void ReadClosing();
    // Adds a node where the parse stands: the open Switch's last case, the open If's then or else list, or the
    // State's list. False, and the node dropped, when it has no place (a Switch before its first Case, inside a
    // dropped block).
    bool AddCommandToCurrent(CommandNode node);
    void Report(const char* format, ...) __attribute__((format(printf, 2, 3)));

    ScriptReader m_Reader;
    Wording m_Wording;
    ScriptTexts& m_Texts;

private:
    enum FrameKind
    {
        FRAME_IF,
        FRAME_SWITCH,
        // A block that is read to its End and dropped.
        FRAME_DROPPED,
    };
    struct Frame
    {
        FrameKind kind;
        IfData* ifData;
        SwitchData* switchData;
    };

    void ParseState();
    void ParseMessageBlock(State& state);
    void ParseCommandList(State& state, uint32_t listKind);
    void ParseElse();
    void ParseCase();
    // Parses a condition's text "(LEFT [OPERATOR RIGHT])".
    void ParseCondition(const std::string& condition, IfData& data);
    // The operand of "(OPERAND)".
    std::string FirstConditionWord(const std::string& condition, size_t& position) const;
    bool InDroppedBlock() const { return !m_Frames.empty() && m_Frames.back().kind == FRAME_DROPPED; }
    uint32_t CountFrames(FrameKind kind) const;

    State* m_pState = nullptr;
    uint32_t m_uListKind = LIST_ON_ENTRY;
    std::vector<Frame> m_Frames;
};
