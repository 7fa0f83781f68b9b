// Fuzz target: a GUI script. It is parsed on a wide and a narrow screen, then loaded into a GUI manager without a
// display, whose dialogs are all opened and given a few frames of mouse presses, holds and drags, with their
// cached repaints.
#include "fuzz/FuzzSupport.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "gui/GuiParser.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    const char* text = reinterpret_cast<const char*>(data);
    GuiParser(640, 480).Parse(text, size);
    GUIManager gui(nullptr);
    gui.LoadScriptText(text, size);
    std::vector<std::string> names;
    for (Widget* item : gui.GetTopLevel())
        if (item->GetType() == WT_DIALOG && item->GetName())
            names.emplace_back(item->GetName());
    for (size_t i = 0; i < names.size(); ++i)
        gui.OpenDialog(names[i].c_str(), nullptr, i % 3 == 2);
    // The mouse walks a diagonal, pressing, holding and releasing on the way.
    const int32_t events[] = {0, 1, 2, 2, 0, 3};
    for (int frame = 0; frame < 24; ++frame)
    {
        const int32_t at = frame * 37 % 800;
        gui.Update(0.02f, GuiMouse{at, at * 3 / 4, frame % 5 - 2, events[frame % 6], events[(frame + 2) % 6]});
        gui.DrawDialogs();
    }
    gui.SetSelection(3, 1);
    gui.RefreshOpenDialogs();
    gui.CloseAllDialogs();
    gui.Update(0.02f, GuiMouse{});
    return 0;
}
