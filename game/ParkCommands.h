// The in-game commands that act on the park (hiring, building, object panels, staff, shows, the gazetteer): their
// rows of the in-game command table, and the few with rules of their own, which tests call directly.
#pragma once

#include "gui/GuiCommands.h"

#include <cstdint>
#include <span>

class BaseObject;

// The rows the park adds to the in-game table.
std::span<const GuiCommand> GetParkCommandRows();

// Lets go an object the camera follows or rides on: the park's own camera comes back, following stops and the hint
// that offered to let it go closes (the "ExitCamera" command, Escape over the hint, a radar click).
void ReleaseCamera();

// Most staff members of one kind the player may hire.
constexpr uint32_t kMaxStaffOfKind = 20;

// The building a new staff member starts at: of the staff buildings neither under construction nor being
// demolished, the one nearest the map's origin (the first on ties); else the first "ENTRANCE"; null when neither.
BaseObject* ChooseStaffBuilding();
// Hires a staff member of kind 6, 7 or 8: refused with the "MessageBox" naming the limit at 20 of that kind; else a
// creation request to the World at the chosen building. True when the World made one.
bool HireStaff(uint8_t kind);
// Whether one more building of the type may stand: the park offers it, it is not locked, it is below its most
// instances and the building it needs first is finished.
bool CanBuildMoreOfType(int32_t type);
// Whether the building type chosen in the build panel may be placed: one more may stand (above) and the player keeps
// money over its cost.
bool CanPlaceBuildingType(int32_t type);
