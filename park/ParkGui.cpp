// The GUI the park talks to, when one is registered.
#include "park/ParkGui.h"

namespace
{

ParkGui* s_gui = nullptr;

} // namespace

ParkGui* GetParkGui()
{
    return s_gui;
}

void SetParkGui(ParkGui* gui)
{
    s_gui = gui;
}
