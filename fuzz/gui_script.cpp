// Fuzz target: a GUI script. It is parsed on a wide and a narrow screen, then loaded into a GUI manager without a
// display, whose list boxes and scroll groups are filled with rows, whose dialogs are all opened (for no listener or
// for one that answers only some keywords) and given a few frames of mouse presses, holds, drags and wheel turns,
// with their cached repaints and drawing, a tab chosen and the rows scrolled. Every fault of a script is reported
// while it loads: a frame that reports one more is a finding.
#include "fuzz/FuzzSupport.h"
#include "gui/DialogItem.h"
#include "gui/DialogListener.h"
#include "gui/GUIManager.h"
#include "gui/GuiParser.h"
#include "gui/ListBox.h"
#include "gui/ScrollGroup.h"
#include "gui/Text.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

// Answers keywords of an even length with their length; leaves the others unanswered.
class PickyListener : public DialogListener
{
public:
    void GetVariable(const char* keyword, platform::WString& text) override
    {
        const size_t length = keyword ? std::strlen(keyword) : 1;
        if (length % 2 == 0)
            text = length % 4 == 0 ? u"0" : u"1";
    }
    void ResetPanelState() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    const char* text = reinterpret_cast<const char*>(data);
    GuiParser(640, 480).Parse(text, size);
    GUIManager gui(nullptr);
    gui.LoadScriptText(text, size);
    const uint64_t reportedAtLoad = fuzzsupport::MessageBoxCount();
    PickyListener listener;
    // Rows for the lists and items for the groups, as code fills them.
    for (const auto& item : gui.GetItems())
    {
        if (item->GetType() == WT_LISTBOX)
        {
            auto* list = static_cast<ListBox*>(item.get());
            for (int32_t row = 0; row < 12; ++row)
            {
                list->AddText(row, row * 3, 90, 0, row % 8, row % 3, 0xFF000000, "row \x80\xff", true);
                if (row % 3 == 0)
                    list->AddButton(row, 100, "UI3_bar_message_goto", row);
                if (row % 4 == 1)
                    list->AddImage(row, 120, "pic");
            }
            list->SetMultiSelect(size % 2 == 0);
            list->Select(40, false);
            list->EnsureVisible(9);
        }
        else if (item->GetType() == WT_SCROLLGROUP)
        {
            auto* group = static_cast<ScrollGroup*>(item.get());
            for (int32_t i = 0; i < 9; ++i)
                group->AddItem(std::make_unique<Text>(0, 0, 50, 5 + i * 7, u"item", 0, 0xFF000000, 2));
            group->SelectItem(20);
            group->EnsureVisible(8);
        }
    }
    std::vector<std::string> names;
    for (Widget* item : gui.GetTopLevel())
        if (item->GetType() == WT_DIALOG && item->GetName())
            names.emplace_back(item->GetName());
    for (size_t i = 0; i < names.size(); ++i)
        gui.OpenDialog(names[i].c_str(), i % 2 ? &listener : nullptr, i % 3 == 2);
    // The mouse walks a diagonal, pressing, holding and releasing on the way.
    const int32_t events[] = {0, 1, 2, 2, 0, 3};
    for (int frame = 0; frame < 24; ++frame)
    {
        const int32_t at = frame * 37 % 800;
        gui.Update(0.02f,
                   GuiMouse{at, at * 3 / 4, frame % 5 - 2, events[frame % 6], events[(frame + 2) % 6], frame % 4 == 1});
        gui.DrawDialogs();
        gui.Draw();
    }
    gui.SetSelection(3, 1);
    gui.RefreshOpenDialogs();
    for (const std::string& name : names)
        gui.SelectDialogTab(name.c_str(), static_cast<int32_t>(size % 3));
    gui.Update(0.02f, GuiMouse{400, 300, -1, 1, 0});
    gui.CloseAllDialogs();
    gui.Update(0.02f, GuiMouse{});
    // Opened again, every dialog is back at its home place.
    for (const std::string& name : names)
        if (gui.OpenDialog(name.c_str(), nullptr))
        {
            const Widget* dialog = gui.FindItem(WT_DIALOG, name.c_str());
            if (dialog && (dialog->GetRect().left != dialog->GetHomeRect().left ||
                           dialog->GetRect().top != dialog->GetHomeRect().top))
                std::abort();
        }
    gui.Update(0.02f, GuiMouse{});
    if (fuzzsupport::MessageBoxCount() != reportedAtLoad)
        std::abort();
    return 0;
}
