// GuiParser: the keyword table, the argument readers with their caps and checks, and the statements that build,
// nest and share widgets.
#include "gui/GuiParser.h"

#include "engine/core/Logger.h"
#include "gui/Button.h"
#include "gui/CheckBox.h"
#include "gui/ComboBox.h"
#include "gui/DialogItem.h"
#include "gui/Image.h"
#include "gui/ImageList.h"
#include "gui/ListBox.h"
#include "gui/NumberAdjust.h"
#include "gui/ObjectBrowser.h"
#include "gui/ReportText.h"
#include "gui/ScreenElements.h"
#include "gui/ScreenListBox.h"
#include "gui/ScrollBar.h"
#include "gui/ScrollGroup.h"
#include "gui/TabWindow.h"
#include "gui/Text.h"
#include "gui/VariableWidgets.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace
{

enum KeywordFlags : uint32_t
{
    K_TOP_LEVEL = 1,    // also goes into the top-level list
    K_NEW_DIALOG = 2,   // the dialog index grows first
    K_BLOCK = 4,        // a "{" must follow; the widget becomes the current parent
    K_OPEN = 8,         // becomes the current parent; a "{" that follows is consumed
    K_PARENT_ONLY = 16, // a child of the current parent only, never of an open tab
};

enum Special
{
    SP_NONE,
    SP_MAIN,
    SP_DEFINE,
    SP_FONT,
    SP_TICKER,
    SP_STOP,
};

using Maker = std::unique_ptr<Widget> (*)(const std::string& name, const std::vector<GuiArg>& args);

std::unique_ptr<Widget> MakeDialog(const std::string& name, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    return std::make_unique<DialogItem>(name.c_str(), r.left, r.top, r.right, r.bottom, a[1].s.c_str(),
                                        static_cast<int32_t>(a[2].u), a[3].u != 0);
}

std::unique_ptr<Widget> MakeButton(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    auto button = std::make_unique<Button>(r.left, r.top, r.right, r.bottom, a[1].s.c_str(), a[3].s.c_str(),
                                           a[4].s.c_str(), a[5].s.c_str(), a[2].u != 0);
    if (a[6].given)
        button->SetTooltip(a[6].s.c_str());
    return button;
}

// Arguments as the makers take them.
int32_t Int(const GuiArg& arg)
{
    return static_cast<int32_t>(arg.u);
}

template <typename W> std::unique_ptr<Widget> WithTooltip(std::unique_ptr<W> widget, const GuiArg& tooltip)
{
    if (tooltip.given)
        widget->SetTooltip(tooltip.s.c_str());
    return widget;
}

std::unique_ptr<Widget> MakeCheckBox(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    return WithTooltip(
        std::make_unique<CheckBox>(r.left, r.top, r.right, r.bottom, a[2].s.c_str(), a[3].s.c_str(), a[1].u != 0),
        a[4]);
}

std::unique_ptr<Widget> MakeTabWindow(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    return std::make_unique<TabWindow>(r.left, r.top, r.right, r.bottom);
}

std::unique_ptr<Widget> MakeSlider(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    return WithTooltip(
        std::make_unique<Slider>(r.left, r.top, r.right, r.bottom, a[1].s.c_str(), a[2].f, a[3].f, Int(a[4])), a[5]);
}

std::unique_ptr<Widget> MakeText(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    return std::make_unique<Text>(r.left, r.top, r.right, r.bottom, a[1].s.c_str(), Int(a[2]), a[3].u, Int(a[4]));
}

std::unique_ptr<Widget> MakeComboBox(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    return WithTooltip(std::make_unique<ComboBox>(r.left, r.top, r.right, r.bottom, a[1].s.c_str(), a[3].u, Int(a[4]),
                                                  Int(a[2]), Int(a[5]), a[6].u != 0),
                       a[7]);
}

std::unique_ptr<Widget> MakeImage(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    return WithTooltip(std::make_unique<Image>(r.left, r.top, r.right, r.bottom, a[2].s.c_str(), a[1].u != 0), a[3]);
}

std::unique_ptr<Widget> MakeTga(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    return std::make_unique<TGA>(r.left, r.top, r.right, r.bottom, a[1].s.c_str());
}

std::unique_ptr<Widget> MakeScreenItem(const std::string& name, const std::vector<GuiArg>& a)
{
    return std::make_unique<ScreenItem>(name.c_str(), a[0].r, a[1].s.c_str(), a[2].f, Int(a[3]), a[4].s.c_str(),
                                        a[5].s.c_str());
}

std::unique_ptr<Widget> MakeScreenImage(const std::string&, const std::vector<GuiArg>& a)
{
    return std::make_unique<ScreenImage>(a[0].r, a[1].s.c_str(), a[2].s.c_str());
}

std::unique_ptr<Widget> MakeScreenItemInfo(const std::string&, const std::vector<GuiArg>& a)
{
    ScreenItemInfo::Values v;
    v.enterAlpha = Int(a[2]);
    v.enterScale = a[3].f;
    v.enterKind = Int(a[4]);
    v.enterStartAlpha = Int(a[5]);
    v.enterDuration = a[6].f;
    v.enterDelay = a[7].f;
    v.enterStartScale = a[8].f;
    v.leaveKind = Int(a[9]);
    v.leaveAlpha = Int(a[10]);
    v.leaveDuration = a[11].f;
    v.leaveDelay = a[12].f;
    v.leaveScale = a[13].f;
    return std::make_unique<ScreenItemInfo>(a[0].r, a[1].s.c_str(), v);
}

std::unique_ptr<Widget> MakeScreenButton(const std::string&, const std::vector<GuiArg>& a)
{
    return std::make_unique<ScreenButton>(a[0].r, a[1].r, a[2].s.c_str(), a[3].s.c_str(), a[4].s.c_str(),
                                          a[5].s.c_str(), a[6].s.c_str());
}

std::unique_ptr<Widget> MakeScreenListBox(const std::string&, const std::vector<GuiArg>& a)
{
    return std::make_unique<ScreenListBox>(a[0].r, a[2].s.c_str(), Int(a[4]), Int(a[5]));
}

std::unique_ptr<Widget> MakeScreenVarImage(const std::string&, const std::vector<GuiArg>& a)
{
    return std::make_unique<ScreenVarImage>(a[0].r, a[1].s.c_str(), a[2].s.c_str());
}

std::unique_ptr<Widget> MakeScreenVar(const std::string&, const std::vector<GuiArg>& a)
{
    return std::make_unique<ScreenVar>(a[0].r, a[1].s.c_str(), a[2].s.c_str(), Int(a[3]), a[4].u);
}

std::unique_ptr<Widget> MakeIcon(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    auto icon = std::make_unique<Image>(r.left, r.top, r.right, r.bottom, a[1].s.c_str(), false);
    icon->SetFrame(Int(a[2]));
    return icon;
}

std::unique_ptr<Widget> MakeBar(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    return std::make_unique<Bar>(r.left, r.top, r.right, r.bottom, a[1].f, a[2].f, a[3].s.c_str(), Int(a[4]),
                                 a[5].given ? Int(a[5]) : 0);
}

std::unique_ptr<Widget> MakeNumberAdjust(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    return WithTooltip(std::make_unique<NumberAdjust>(r.left, r.top, r.right, r.bottom, Int(a[1]), Int(a[2]),
                                                      a[3].s.c_str(), a[4].u != 0, true),
                       a[5]);
}

std::unique_ptr<Widget> MakeRadioGroup(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    return std::make_unique<RadioGroup>(r.left, r.top, r.right, r.bottom, a[1].s.c_str(), a[2].s.c_str());
}

std::unique_ptr<Widget> MakeRadioButton(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    return WithTooltip(std::make_unique<RadioButton>(r.left, r.top, r.right, r.bottom, a[1].s.c_str(), a[4].s.c_str(),
                                                     Int(a[2]), Int(a[3])),
                       a[5]);
}

std::unique_ptr<Widget> MakeListBox(const std::string&, const std::vector<GuiArg>& a)
{
    return std::make_unique<ListBox>(a[0].r, a[1].r, a[2].s.c_str(), Int(a[3]), Int(a[4]));
}

std::unique_ptr<Widget> MakeScrollGroup(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    return std::make_unique<ScrollGroup>(r.left, r.top, r.right, r.bottom, a[1].s.c_str());
}

std::unique_ptr<Widget> MakeTable(const std::string&, const std::vector<GuiArg>& a)
{
    return std::make_unique<Table>(a[0].r, a[1].r, a[2].s.c_str(), Int(a[3]), Int(a[4]), a[5].u != 0);
}

std::unique_ptr<Widget> MakeVariable(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    return WithTooltip(
        std::make_unique<Variable>(r.left, r.top, r.right, r.bottom, a[1].s.c_str(), Int(a[2]), a[3].u, Int(a[4])),
        a[5]);
}

std::unique_ptr<Widget> MakeVariableImage(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    return WithTooltip(std::make_unique<VariableImage>(r.left, r.top, r.right, r.bottom, a[1].s.c_str()), a[2]);
}

std::unique_ptr<Widget> MakeImageList(const std::string&, const std::vector<GuiArg>& a)
{
    const GuiRect& r = a[0].r;
    return std::make_unique<ImageList>(r.left, r.top, r.right, r.bottom, Int(a[1]), Int(a[2]), a[3].s.c_str(),
                                       a[4].s.c_str());
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

// Signature letters: N name before "(", B bounds in the parent, A bounds on the screen, i integer, u unsigned,
// f float, s string, F font slot, T optional tooltip, o optional unsigned (both only after a ",").
struct GuiParser::Keyword
{
    const char* name;
    Special special;
    const char* signature;
    uint32_t flags;
    Maker maker;
    // The routine named when "(" is missing; null: nothing is reported.
    const char* routine;
};

namespace
{

using KW = GuiParser::Keyword;
constexpr KW kKeywords[] = {
    {"CheckBox", SP_NONE, "BussT", 0, MakeCheckBox, "GUIManager::process_checkbox"},
    {"DialogItem", SP_NONE, "NAsuu", K_TOP_LEVEL | K_NEW_DIALOG | K_BLOCK, MakeDialog,
     "GUIManager::process_dialog_box"},
    {"MainItem", SP_MAIN, "", 0, nullptr, nullptr},
    {"TabWindow", SP_NONE, "Au", K_OPEN, MakeTabWindow, "GUIManager::process_tabwindow"},
    {"Table", SP_NONE, "BBsuuu", K_OPEN, MakeTable, "GUIManager::process_table"},
    {"Define", SP_DEFINE, "", 0, nullptr, nullptr},
    {"Button", SP_NONE, "BsusssT", 0, MakeButton, "GUIManager::process_button"},
    {"Slider", SP_NONE, "BsffuT", 0, MakeSlider, "GUIManager::process_slider"},
    {"Text", SP_NONE, "BsFuu", 0, MakeText, "GUIManager::process_text"},
    {"Variable", SP_NONE, "BsFuuT", 0, MakeVariable, "GUIManager::process_variable"},
    {"ComboBox", SP_NONE, "BsuuFuuT", 0, MakeComboBox, "GUIManager::process_combobox"},
    {"VariableImage", SP_NONE, "BsT", 0, MakeVariableImage, "GUIManager::process_variableimage"},
    {"Image", SP_NONE, "BusT", 0, MakeImage, "GUIManager::process_image"},
    {"Font", SP_FONT, "", 0, nullptr, nullptr},
    {"TGA", SP_NONE, "Bs", 0, MakeTga, "GUIManager::process_tga"},
    {"TickerText", SP_TICKER, "", 0, nullptr, "GUIManager::process_scrollwindow"},
    {"ImageList", SP_NONE, "Buuss", 0, MakeImageList, "GUI_Parser::ProcessImageList"},
    {"Icon", SP_NONE, "Bsu", 0, MakeIcon, "GUIManager::ProcessIcon"},
    {"Bar", SP_NONE, "Bffsuo", 0, MakeBar, "GUIManager::ProcessBar"},
    {"NumberAdjust", SP_NONE, "BuFsuT", 0, MakeNumberAdjust, "GUIManager::ProcessNumberWidget"},
    {"RadioGroup", SP_NONE, "Bss", K_OPEN, MakeRadioGroup, "GUIManager::ProcessRadioGroup"},
    {"RadioButton", SP_NONE, "BsFusT", K_PARENT_ONLY, MakeRadioButton, "GUIManager::ProcessRadioButton"},
    {"ListBox", SP_NONE, "BBsuu", 0, MakeListBox, "GUIManager::ProcessListBox"},
    {"ScrollGroup", SP_NONE, "Bs", 0, MakeScrollGroup, "GUIManager::ProcessListBox"},
    {"ScreenItem", SP_NONE, "NAsfuss", K_TOP_LEVEL | K_BLOCK, MakeScreenItem, nullptr},
    {"ScreenImage", SP_NONE, "Ass", 0, MakeScreenImage, "GUIManager::ProcessScreenImage"},
    {"ScreenItemInfo", SP_NONE, "Asufuufffuufff", 0, MakeScreenItemInfo, "GUIManager::ProcessScreenImage"},
    {"ScreenButton", SP_NONE, "AAsssss", 0, MakeScreenButton, "GUIManager::ProcessScreenButton"},
    {"ScreenListBox", SP_NONE, "AAssuu", 0, MakeScreenListBox, "GUIManager::ProcessScreenListBox"},
    {"ScreenVarImage", SP_NONE, "Ass", 0, MakeScreenVarImage, "GUIManager::ProcessScreenVarImage"},
    {"ScreenVar", SP_NONE, "AssFu", 0, MakeScreenVar, "GUIManager::ProcessScreenVariable"},
    {"StartDebug", SP_STOP, "", 0, nullptr, nullptr},
};

} // namespace

void GuiParser::Report(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    AddFault(format, format, args);
    va_end(args);
}

void GuiParser::ReportKind(const std::string& kind, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    AddFault(kind, format, args);
    va_end(args);
}

void GuiParser::AddFault(const std::string& kind, const char* format, va_list args)
{
    for (GuiFault& fault : m_script.faults)
        if (fault.kind == kind)
        {
            ++fault.count;
            return;
        }
    char buffer[512];
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    m_script.faults.push_back(GuiFault{kind, buffer, 1});
}

void GuiParser::ReportFaults()
{
    const std::string where = m_scriptName.empty() ? std::string() : " in " + m_scriptName;
    for (const GuiFault& fault : m_script.faults)
    {
        if (fault.count > 1)
            GetLogger()->Report(0, "%s%s (%u times; the first is shown)", fault.text.c_str(), where.c_str(),
                                fault.count);
        else
            GetLogger()->Report(0, "%s%s", fault.text.c_str(), where.c_str());
    }
    for (const auto& [keyword, note] : m_skippedNotes)
        GetLogger()->Report(1,
                            "GUI_Parse - %s widgets are not built by this program yet; %u statements%s are skipped, "
                            "the first at file offset - %u",
                            keyword.c_str(), note.first, where.c_str(), static_cast<unsigned>(note.second));
}

void GuiParser::NoteSkipped(const char* keyword, size_t at)
{
    m_script.skipped.push_back(keyword);
    for (auto& [name, note] : m_skippedNotes)
        if (name == keyword)
        {
            ++note.first;
            return;
        }
    m_skippedNotes.push_back({keyword, {1u, at}});
}

// ---- lexical

void GuiParser::SkipBlanks()
{
    while (!AtEnd() && IsBlank(Peek()))
        ++m_pos;
}

void GuiParser::SkipLine()
{
    while (!AtEnd() && Peek() != '\n')
        ++m_pos;
}

std::string GuiParser::ReadWord()
{
    SkipBlanks();
    std::string word;
    while (!AtEnd())
    {
        const char c = Peek();
        if (c == '(' || c == '{' || c == '}' || IsBlank(c))
            break;
        if (word.size() < kMaxWord)
            word += c;
        ++m_pos;
    }
    return word;
}

void GuiParser::ConsumeDelimiter()
{
    while (!AtEnd() && (Peek() == ' ' || Peek() == '\t'))
        ++m_pos;
    m_lastDelimiter = '\0';
    if (Peek() == ',' || Peek() == ')')
        m_lastDelimiter = m_pText[m_pos++];
}

std::string GuiParser::ReadToken()
{
    SkipBlanks();
    std::string token;
    while (!AtEnd())
    {
        const char c = Peek();
        if (c == ',' || c == ')' || IsBlank(c))
            break;
        if (token.size() < kMaxWord)
            token += c;
        ++m_pos;
    }
    ConsumeDelimiter();
    return token;
}

int32_t GuiParser::ReadInt()
{
    const size_t at = m_pos;
    const std::string token = ReadToken();
    const char* p = token.c_str();
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    if (*p < '0' || *p > '9')
    {
        Report("GUI_Parse - a number was expected at file offset - %u", static_cast<unsigned>(at));
        return 0;
    }
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        value = std::min<int64_t>(value * 10 + (*p - '0'), int64_t{INT32_MAX} + 1);
    return static_cast<int32_t>(negative ? -value : std::min<int64_t>(value, INT32_MAX));
}

uint32_t GuiParser::ReadUnsigned()
{
    const size_t at = m_pos;
    const std::string token = ReadToken();
    uint32_t value = 0;
    bool bad = token.empty();
    for (char c : token)
    {
        if (c < '0' || c > '9')
        {
            bad = true;
            continue;
        }
        value = value * 10u + static_cast<uint32_t>(c - '0');
    }
    if (bad)
        Report("GUI_Parse - a whole number was expected at file offset - %u", static_cast<unsigned>(at));
    return value;
}

float GuiParser::ReadFloat()
{
    const size_t at = m_pos;
    const std::string token = ReadToken();
    float value = 0.0f;
    const char* begin = token.c_str() + (token.size() > 1 && token[0] == '+' ? 1 : 0);
    const auto result = std::from_chars(begin, token.c_str() + token.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value))
    {
        Report("GUI_Parse - a number was expected at file offset - %u", static_cast<unsigned>(at));
        return 0.0f;
    }
    return value;
}

std::string GuiParser::ReadString()
{
    SkipBlanks();
    const size_t at = m_pos;
    std::string text;
    bool cut = false;
    while (!AtEnd())
    {
        const char c = Peek();
        if (c == '\r' || c == '\n' || c == ',' || c == '(' || c == '{' || c == ')')
            break;
        if (text.size() < kMaxString)
            text += c;
        else
            cut = true;
        ++m_pos;
    }
    if (cut)
        Report("GUI_Parse - a text longer than %u characters is cut at file offset - %u",
               static_cast<unsigned>(kMaxString), static_cast<unsigned>(at));
    ConsumeDelimiter();
    return text;
}

std::string GuiParser::ReadName(bool stopAtBrace)
{
    SkipBlanks();
    std::string name;
    while (!AtEnd())
    {
        const char c = Peek();
        if (c == '(' || c == '\r' || c == '\n' || (stopAtBrace && c == '{'))
            break;
        if (name.size() < kMaxString)
            name += c;
        ++m_pos;
    }
    return name;
}

GuiRect GuiParser::ReadBounds(bool relative)
{
    SkipBlanks();
    uint32_t flags = 0;
    for (bool letter = true; letter && !AtEnd();)
    {
        switch (Peek())
        {
        case 'T':
            flags |= kBoundTop;
            break;
        case 'B':
            flags |= kBoundBottom;
            break;
        case 'L':
            flags |= kBoundLeft;
            break;
        case 'R':
            flags |= kBoundRight;
            break;
        case 'S':
            flags |= kBoundRightEdge;
            break;
        case 'C':
            flags |= kBoundCentre;
            break;
        case 'Y':
            flags |= kBoundMiddle;
            break;
        default:
            letter = false;
            continue;
        }
        ++m_pos;
    }
    const size_t at = m_pos;
    GuiRect r;
    r.left = ReadInt();
    r.top = ReadInt();
    r.right = ReadInt();
    r.bottom = ReadInt();
    // Edges far outside any screen are kept there, so the sums below cannot overflow.
    for (int32_t* edge : {&r.left, &r.top, &r.right, &r.bottom})
        *edge = std::clamp(*edge, -static_cast<int32_t>(kMaxOffset), static_cast<int32_t>(kMaxOffset));
    const int32_t w = m_iScreenWidth, h = m_iScreenHeight;
    if (flags & kBoundRight)
    {
        r.left = w - r.left;
        r.right = w - r.right;
    }
    if (flags & kBoundBottom)
    {
        r.top = h - r.top;
        r.bottom = h - r.bottom;
    }
    if (flags & kBoundRightEdge)
        r.right = w - r.right;
    if (flags & kBoundCentre)
    {
        const int32_t width = r.right - r.left;
        r.left = w / 2 - width / 2;
        r.right = r.left + width;
    }
    if (flags & kBoundMiddle)
    {
        const int32_t height = r.bottom - r.top;
        r.top = h / 2 - height / 2;
        r.bottom = r.top + height;
    }
    if (relative && m_pParent)
    {
        const GuiRect& p = m_pParent->GetRect();
        if (p.right != p.left && p.bottom != p.top)
        {
            r.left += p.left;
            r.right += p.left;
            r.top += p.top;
            r.bottom += p.top;
            if (r.right > p.right || r.bottom > p.bottom)
                Report(
                    "GUIManager::Read_in_bounds - Child object is not in the bounds \r\nof the parent object at file "
                    "offset - %u",
                    static_cast<unsigned>(at));
        }
    }
    return r;
}

uint32_t GuiParser::ReadFontSlot()
{
    const size_t at = m_pos;
    const uint32_t slot = ReadUnsigned();
    if (slot < kFontSlots)
        return slot;
    Report("GUI_Parse - font slot %u does not exist (0 to %d) at file offset - %u; slot 0 is used", slot,
           kFontSlots - 1, static_cast<unsigned>(at));
    return 0;
}

void GuiParser::SkipBlock()
{
    SkipBlanks();
    if (Peek() != '{')
        return;
    int braces = 0;
    int brackets = 0;
    while (!AtEnd())
    {
        const char c = m_pText[m_pos++];
        if (c == '(')
            ++brackets;
        else if (c == ')' && brackets > 0)
            --brackets;
        else if (c == '/' && brackets == 0)
            SkipLine();
        else if (c == '{')
            ++braces;
        else if (c == '}' && --braces == 0)
            return;
    }
}

// ---- the pass

GuiScript GuiParser::Parse(const char* text, size_t length)
{
    m_pText = text;
    m_length = text ? length : 0;
    m_pos = 0;
    m_bStopped = false;
    m_pParent = nullptr;
    m_parentStack.clear();
    m_pOpenTab = m_pTabParent = nullptr;
    m_defines.clear();
    m_weights.clear();
    m_uPlaced = 0;
    m_skippedNotes.clear();
    m_iDialogIndex = 0;
    m_pLastTable = nullptr;
    m_script = GuiScript{};
    while (!m_bStopped)
    {
        SkipBlanks();
        if (AtEnd())
            break;
        const char c = Peek();
        if (c == '<')
        {
            ++m_pos;
            TabOrColumn();
        }
        else if (c == '}')
        {
            ++m_pos;
            CloseBrace();
        }
        else if (c == '/')
            SkipLine();
        else if (c == '(')
            ++m_pos;
        else
        {
            const size_t at = m_pos;
            const std::string word = ReadWord();
            if (word.empty())
            {
                ++m_pos;
                Report("GUI_Parse - Invalid command at file offset - %u", static_cast<unsigned>(at));
            }
            else
                Statement(word);
        }
    }
    m_defines.clear();
    m_weights.clear();
    m_parentStack.clear();
    m_pParent = nullptr;
    m_pOpenTab = m_pTabParent = nullptr;
    ReportFaults();
    return std::move(m_script);
}

void GuiParser::Statement(const std::string& word)
{
    for (const Keyword& keyword : kKeywords)
        if (word == keyword.name)
        {
            switch (keyword.special)
            {
            case SP_MAIN:
                MainItemStatement();
                break;
            case SP_DEFINE:
                DefineStatement();
                break;
            case SP_FONT:
                FontStatement();
                break;
            case SP_TICKER:
                TickerStatement();
                break;
            case SP_STOP:
                m_bStopped = true;
                break;
            default:
                RunKeyword(keyword);
                break;
            }
            return;
        }
    DefinedName(word);
}

void GuiParser::ReadArguments(const char* signature, std::vector<GuiArg>& args)
{
    for (const char* s = signature; *s; ++s)
    {
        GuiArg arg;
        arg.given = true;
        switch (*s)
        {
        case 'B':
            arg.r = ReadBounds(true);
            break;
        case 'A':
            arg.r = ReadBounds(false);
            break;
        case 'i':
            arg.i = ReadInt();
            break;
        case 'u':
            arg.u = ReadUnsigned();
            break;
        case 'F':
            arg.u = ReadFontSlot();
            break;
        case 'f':
            arg.f = ReadFloat();
            break;
        case 's':
            arg.s = ReadString();
            break;
        case 'T':
            if ((arg.given = m_lastDelimiter == ','))
                arg.s = ReadString();
            break;
        case 'o':
            if ((arg.given = m_lastDelimiter == ','))
                arg.u = ReadUnsigned();
            break;
        default:
            break;
        }
        args.push_back(std::move(arg));
    }
}

void GuiParser::RunKeyword(const Keyword& keyword)
{
    const char* signature = keyword.signature;
    std::string name;
    if (*signature == 'N')
    {
        name = ReadName(false);
        ++signature;
    }
    if (Peek() != '(')
    {
        if (keyword.routine)
            ReportKind(std::string(keyword.routine) + " (",
                       "%s - Script Error \r\nNo open bracket found at file offset - %u", keyword.routine,
                       static_cast<unsigned>(m_pos));
        return;
    }
    ++m_pos;
    m_lastDelimiter = '\0';
    std::vector<GuiArg> args;
    ReadArguments(signature, args);
    if (!keyword.maker)
    {
        NoteSkipped(keyword.name, m_pos);
        if (keyword.flags & (K_BLOCK | K_OPEN))
            SkipBlock();
        return;
    }
    if (keyword.flags & K_NEW_DIALOG)
        ++m_iDialogIndex;
    Widget* widget =
        Add(keyword.maker(name, args), (keyword.flags & K_TOP_LEVEL) != 0, (keyword.flags & K_PARENT_ONLY) != 0);
    if (widget->GetType() == WT_TABLE)
        m_pLastTable = widget;
    if (keyword.flags & K_BLOCK)
    {
        if (ExpectBrace())
            PushParent(widget);
        else
            Report("GUIManager::process_dialog_box - Script Error \r\nNo open brace found at file offset - %u",
                   static_cast<unsigned>(m_pos));
    }
    else if (keyword.flags & K_OPEN)
    {
        SkipBlanks();
        if (Peek() == '{')
            ++m_pos;
        PushParent(widget);
    }
}

void GuiParser::TabOrColumn()
{
    const size_t at = m_pos;
    const std::string word = ReadWord();
    const bool tab = word.compare(0, 3, "TAB") == 0;
    if (!tab && word.compare(0, 3, "COL") != 0)
    {
        Report("GUI_Parse - Invalid command at file offset - %u", static_cast<unsigned>(at));
        return;
    }
    const char* routine = tab ? "GUI_Parse::process_tab" : "GUIManager::process_col";
    if (Peek() != '(')
    {
        ReportKind(std::string(routine) + " (", "%s - Script Error \r\nNo open bracket found at file offset - %u",
                   routine, static_cast<unsigned>(m_pos));
        return;
    }
    ++m_pos;
    m_lastDelimiter = '\0';
    // TAB: bounds on the screen, sprite, optional tooltip; COL: font slot, colour, name, left, right, content x,
    // keep-full-text flag, optional tooltip; a column stands in the open table built last.
    std::vector<GuiArg> args;
    ReadArguments(tab ? "AsT" : "FusuuuuT", args);
    SkipBlanks();
    if (Peek() == '>')
        ++m_pos;
    else
        ReportKind(std::string(routine) + " >", "%s - Script Error \r\nNo close symbol at file offset - %u", routine,
                   static_cast<unsigned>(m_pos));
    if (!tab)
    {
        // A column stands in the table built last while that table's block is open (so the column counts in the
        // walk over every container around it); one without such a table is read and skipped.
        if (!m_pLastTable || !IsOpenParent(m_pLastTable))
        {
            NoteSkipped("COL", at);
            return;
        }
        // Offsets far past any screen are kept there, as bounds are, so the sums cannot overflow.
        const auto offset = [](const GuiArg& arg) { return static_cast<int32_t>(std::min(arg.u, kMaxOffset)); };
        const GuiRect& t = m_pLastTable->GetRect();
        auto column = std::make_unique<TableColumn>(t.left + offset(args[3]), t.top, t.left + offset(args[4]), t.bottom,
                                                    args[2].s.c_str(), args[1].u, static_cast<int32_t>(args[0].u),
                                                    offset(args[5]), args[6].u != 0);
        if (args[7].given)
            column->SetTooltip(args[7].s.c_str());
        column->SetDialogIndex(m_iDialogIndex);
        m_pLastTable->AddChild(column.get());
        m_script.items.push_back(std::move(column));
        AddWeight(1);
        return;
    }
    SkipBlanks();
    if (m_pOpenTab)
    {
        Report("GUI_Parse - Only one tab can be defined at a time, file offset - %u", static_cast<unsigned>(at));
        SkipBlock();
        return;
    }
    const GuiRect& r = args[0].r;
    auto made = std::make_unique<Tab>(r.left, r.top, r.right, r.bottom, args[1].s.c_str());
    if (args[2].given)
        made->SetTooltip(args[2].s.c_str());
    Widget* built = Add(std::move(made), false);
    if (Peek() != '{')
    {
        Report("GUI_Parse::process_tab - Script Error \r\nNo open brace at file offset - %u",
               static_cast<unsigned>(m_pos));
        return;
    }
    ++m_pos;
    m_pOpenTab = built;
    m_pTabParent = m_pParent;
}

void GuiParser::CloseBrace()
{
    if (m_pOpenTab && m_pParent == m_pTabParent)
    {
        m_pOpenTab = m_pTabParent = nullptr;
        return;
    }
    if (!m_pParent)
    {
        Report("GUIManager::delete_parent - Script Error \r\nToo many close braces at file offset - %u",
               static_cast<unsigned>(m_pos));
        return;
    }
    if (m_parentStack.empty())
        m_pParent = nullptr;
    else
    {
        m_pParent = m_parentStack.back();
        m_parentStack.pop_back();
    }
}

void GuiParser::MainItemStatement()
{
    if (m_iScreenWidth < 800)
    {
        SkipBlock();
        return;
    }
    m_script.roots.push_back(std::make_unique<MainItem>(0, 0, 0, 0, MainItem::STYLE_NONE));
    if (ExpectBrace())
        PushParent(m_script.roots.back().get());
    else
        Report("GUIManager::process_main - Script Error \r\nNo open brace found at file offset - %u",
               static_cast<unsigned>(m_pos));
}

void GuiParser::DefineStatement()
{
    const size_t at = m_pos;
    const std::string name = ReadName(true);
    Widget* define = Add(std::make_unique<Define>(name.c_str()), false);
    if (!m_defines.emplace(name, define).second)
        Report("GUI_Parse - %s is defined again at file offset - %u; the first Define of that name is the one placed",
               ReportWord(name).c_str(), static_cast<unsigned>(at));
    if (ExpectBrace())
        PushParent(define);
    else
        Report("GUIManager::process_define - Script Error \r\nNo open bracket found at file offset - %u",
               static_cast<unsigned>(m_pos));
}

void GuiParser::FontStatement()
{
    if (Peek() != '(')
        return;
    ++m_pos;
    const size_t at = m_pos;
    std::string name = ReadString();
    if (m_script.fonts.size() >= kFontSlots)
    {
        Report("GUI_Parse - more than %d Font statements; the font at file offset - %u is left out", kFontSlots,
               static_cast<unsigned>(at));
        return;
    }
    // Font files are named in printable text; any other name keeps its slot without a font.
    if (name.empty() ||
        std::any_of(name.begin(), name.end(),
                    [](char c)
                    { return static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F; }))
    {
        Report("GUI_Parse - the font name %s at file offset - %u names no font file; its slot draws no text",
               ReportWord(name).c_str(), static_cast<unsigned>(at));
        name.clear();
    }
    m_script.fonts.push_back(std::move(name));
}

void GuiParser::TickerStatement()
{
    if (Peek() != '(')
    {
        Report("GUIManager::process_scrollwindow - Script Error \r\nNo open bracket found at file offset - %u",
               static_cast<unsigned>(m_pos));
        return;
    }
    ++m_pos;
    m_script.messageBand = ReadBounds(true);
    m_script.hasMessageBand = true;
}

void GuiParser::DefinedName(const std::string& word)
{
    const unsigned at = static_cast<unsigned>(m_pos - word.size());
    Widget* receiver = Receiver(false);
    const auto found = receiver ? m_defines.find(word) : m_defines.end();
    if (found != m_defines.end())
    {
        Widget* define = found->second;
        const uint32_t weight = Weight(define);
        const Widget* outermost = m_parentStack.empty() ? m_pParent : m_parentStack.front();
        if (IsOpenParent(define))
            Report("GUI_Parse - %s is placed inside itself at file offset - %u; it is left out",
                   ReportWord(word).c_str(), at);
        else if (Weight(outermost) + weight > kMaxDialogWidgets)
            Report("GUI_Parse - placing %s at file offset - %u would make more than %u widgets in one dialog; it is "
                   "left out",
                   ReportWord(word).c_str(), at, kMaxDialogWidgets);
        else if (m_uPlaced + weight > kMaxPlacedWidgets)
            Report("GUI_Parse - placing %s at file offset - %u would place more than %u widgets by name in the "
                   "script; it is left out",
                   ReportWord(word).c_str(), at, kMaxPlacedWidgets);
        else if (GiveTo(receiver, define, at))
        {
            AddWeight(weight);
            m_uPlaced += weight;
        }
        return;
    }
    if (!receiver)
        Report("GUI_Parse - No parent for defined item at file offset - %u", at);
    Report("GUI_Parse - Invalid Command/Defined item at file offset - %u string %s", at, ReportWord(word).c_str());
}

// ---- building

Widget* GuiParser::Receiver(bool parentOnly) const
{
    return m_pOpenTab && !parentOnly && m_pParent == m_pTabParent ? m_pOpenTab : m_pParent;
}

bool GuiParser::GiveTo(Widget* container, Widget* widget, size_t at)
{
    if (container->GetType() == WT_TABWINDOW && !TabWindow::TabOf(widget))
    {
        Report("GUI_Parse - only tabs stand in a tab window; the widget at file offset - %u is left out of it",
               static_cast<unsigned>(at));
        return false;
    }
    container->AddChild(widget);
    return true;
}

Widget* GuiParser::Add(std::unique_ptr<Widget> widget, bool topLevel, bool parentOnly)
{
    Widget* w = widget.get();
    m_script.items.push_back(std::move(widget));
    if (topLevel)
        m_script.topLevel.push_back(w);
    Widget* receiver = Receiver(parentOnly);
    if (receiver && GiveTo(receiver, w, m_pos))
        AddWeight(1);
    w->SetDialogIndex(m_iDialogIndex);
    return w;
}

bool GuiParser::ExpectBrace()
{
    SkipBlanks();
    if (Peek() != '{')
        return false;
    ++m_pos;
    return true;
}

bool GuiParser::PushParent(Widget* widget)
{
    if (m_parentStack.size() + 1 >= kMaxDepth)
    {
        Report("GUI_Parse - containers nest more than %u deep at file offset - %u; the block is skipped",
               static_cast<unsigned>(kMaxDepth), static_cast<unsigned>(m_pos));
        // The "{" is behind the cursor: skip to its matching "}".
        --m_pos;
        if (Peek() == '{')
            SkipBlock();
        else
            ++m_pos;
        return false;
    }
    if (m_pParent)
        m_parentStack.push_back(m_pParent);
    m_pParent = widget;
    return true;
}

uint32_t GuiParser::Weight(const Widget* widget) const
{
    const auto it = m_weights.find(widget);
    return it == m_weights.end() ? 1u : it->second;
}

void GuiParser::AddWeight(uint32_t weight)
{
    if (!m_pParent)
        return;
    auto add = [&](const Widget* container)
    {
        const auto [it, fresh] = m_weights.emplace(container, 1u);
        it->second += weight;
    };
    add(m_pParent);
    for (const Widget* parent : m_parentStack)
        add(parent);
}

bool GuiParser::IsOpenParent(const Widget* widget) const
{
    if (widget == m_pParent)
        return true;
    for (const Widget* parent : m_parentStack)
        if (parent == widget)
            return true;
    return false;
}
