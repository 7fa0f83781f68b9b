// GuiParser: reads a GUI script in one forward pass and builds its widgets through a table of keywords, each with
// its argument list and the maker of its widget: the dialogs and front-end screens, their children, the toolbar
// root, the fonts and the band of the scrolling message.
#pragma once

#include "gui/MainItem.h"
#include "gui/Widget.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// One kind of fault a pass met: the message of its first occurrence and how often it occurred.
struct GuiFault
{
    std::string kind;
    std::string text;
    uint32_t count = 0;
};

// What a pass built. The item list owns every widget; the other lists point into it.
struct GuiScript
{
    std::vector<std::unique_ptr<Widget>> items;
    // Dialogs and front-end screens, in script order.
    std::vector<Widget*> topLevel;
    // Every MainItem statement read (each is kept while widgets may point to it); the toolbar root is the last.
    std::vector<std::unique_ptr<MainItem>> roots;
    // The font names of the Font statements, slot n being the n-th (empty for a name that is no file name).
    std::vector<std::string> fonts;
    bool hasMessageBand = false;
    GuiRect messageBand;
    // Keywords read whose widgets this program does not build yet (their statements were skipped).
    std::vector<std::string> skipped;
    // The faults of the script, one entry per kind in the order first met; each was reported once, at the end of
    // the pass.
    std::vector<GuiFault> faults;

    MainItem* GetToolbarRoot() const { return roots.empty() ? nullptr : roots.back().get(); }
};

// One argument as read.
struct GuiArg
{
    int32_t i = 0;
    uint32_t u = 0;
    float f = 0.0f;
    std::string s;
    GuiRect r;
    bool given = false;
};

class GuiParser
{
public:
    static constexpr int kFontSlots = 10;
    static constexpr size_t kMaxWord = 32;
    static constexpr size_t kMaxString = 255;
    // Containers nest at most this deep; a deeper block is skipped.
    static constexpr size_t kMaxDepth = 32;
    // Edges and offsets in pixels are kept within this far of the screen's origin.
    static constexpr uint32_t kMaxOffset = 1000000;
    // A defined name places the Define itself, so a walk over a container visits a Define once per placement.
    // Placements are refused (and reported) when the walk over the outermost open container would pass this many
    // widgets, or when the widgets placed by name in the whole script would pass the second bound.
    static constexpr uint32_t kMaxDialogWidgets = 4096;
    static constexpr uint32_t kMaxPlacedWidgets = 65536;
    // Bound flag letters.
    static constexpr uint32_t kBoundTop = 1, kBoundBottom = 2, kBoundLeft = 4, kBoundRight = 8, kBoundRightEdge = 16,
                              kBoundCentre = 32, kBoundMiddle = 64;

    // The display size the bound flags measure from; the script's name (optional) goes into the reports.
    GuiParser(int32_t screenWidth, int32_t screenHeight, const char* scriptName = nullptr)
        : m_iScreenWidth(screenWidth), m_iScreenHeight(screenHeight), m_scriptName(scriptName ? scriptName : "")
    {
    }

    GuiScript Parse(const char* text, size_t length);

    // Keyword table entry (public so the table can be a plain array of the parser's own file).
    struct Keyword;

private:
    // ---- lexical
    char Peek() const { return m_pos < m_length ? m_pText[m_pos] : '\0'; }
    bool AtEnd() const { return m_pos >= m_length; }
    void SkipBlanks();
    void SkipLine();
    std::string ReadWord();
    // Reads a token up to ',', ')' or a blank and consumes a ',' or ')' after it; `delimiter` tells which.
    std::string ReadToken();
    int32_t ReadInt();
    uint32_t ReadUnsigned();
    float ReadFloat();
    std::string ReadString();
    // A name before "(" or "{" (DialogItem, ScreenItem, Define).
    std::string ReadName(bool stopAtBrace);
    GuiRect ReadBounds(bool relative);
    uint32_t ReadFontSlot();
    // Consumes a ',' or ')' after an argument (blanks before it skipped) and remembers which.
    void ConsumeDelimiter();
    // Skips blanks and, when a "{" follows, the whole block up to its matching "}".
    void SkipBlock();

    // ---- statements
    void Statement(const std::string& word);
    void RunKeyword(const Keyword& keyword);
    void ReadArguments(const char* signature, std::vector<GuiArg>& args);
    void TabOrColumn();
    void CloseBrace();
    void MainItemStatement();
    void DefineStatement();
    void FontStatement();
    void TickerStatement();
    void DefinedName(const std::string& word);

    // ---- building
    // Appends the widget to the item list and gives it to the container that receives it (the open tab, or with
    // `parentOnly` or without one the current parent).
    Widget* Add(std::unique_ptr<Widget> widget, bool topLevel, bool parentOnly = false);
    // The open tab while no container was opened inside it since, else the current parent.
    Widget* Receiver(bool parentOnly) const;
    // Gives a widget to a container; a tab window takes tabs only (a Define's first widget standing for it), and
    // anything else is reported and left out.
    bool GiveTo(Widget* container, Widget* widget, size_t at);
    // Makes the widget the current parent (the old one goes on the stack); false, with its block skipped, when the
    // nesting is too deep.
    bool PushParent(Widget* widget);
    bool IsOpenParent(const Widget* widget) const;
    // A "{" must follow (blanks skipped); it is consumed.
    bool ExpectBrace();

    // Records a fault of the kind named by its format; ReportKind names the kind itself. Each kind is reported
    // once, when the pass ends, with the text of its first occurrence and its count.
    void Report(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void ReportKind(const std::string& kind, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void AddFault(const std::string& kind, const char* format, va_list args) __attribute__((format(printf, 3, 0)));
    void ReportFaults();
    // A skipped statement of a widget not built yet; each keyword is noted once, when the pass ends.
    void NoteSkipped(const char* keyword, size_t at);

    // Widgets a walk over the widget visits (itself and, for a container, every placement below it).
    uint32_t Weight(const Widget* widget) const;
    // Adds to the weight of every open container.
    void AddWeight(uint32_t weight);

    int32_t m_iScreenWidth;
    int32_t m_iScreenHeight;
    const char* m_pText = nullptr;
    size_t m_length = 0;
    size_t m_pos = 0;
    bool m_bStopped = false;
    char m_lastDelimiter = '\0';
    Widget* m_pParent = nullptr;
    // The table the column statements add to: the one built last.
    Widget* m_pLastTable = nullptr;
    std::vector<Widget*> m_parentStack;
    // The tab whose page is being read, and the parent that was current when it opened.
    Widget* m_pOpenTab = nullptr;
    Widget* m_pTabParent = nullptr;
    // Defines by name; the first of a name is the one placed.
    std::unordered_map<std::string, Widget*> m_defines;
    // Weights of the containers built (widgets not listed weigh 1).
    std::unordered_map<const Widget*, uint32_t> m_weights;
    // Widgets added to containers by defined names so far.
    uint32_t m_uPlaced = 0;
    int32_t m_iDialogIndex = 0;
    std::string m_scriptName;
    // Per skipped keyword: how often, and the offset of the first.
    std::vector<std::pair<std::string, std::pair<uint32_t, size_t>>> m_skippedNotes;
    GuiScript m_script;
};
