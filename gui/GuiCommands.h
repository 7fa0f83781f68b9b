// The command tables buttons resolve their command names in: the game shell owns the rows and registers them here
// (the in-game table for Button, the front-end table for ScreenButton).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// A handler gets the dialog index of the widget that fired it.
using GuiCommandHandler = void (*)(int32_t dialogIndex);

struct GuiCommand
{
    const char* name;
    GuiCommandHandler handler;
};

// The tables the game shell registered (empty until then). The rows must outlive every button built on them.
void SetGuiCommandTables(std::span<const GuiCommand> inGame, std::span<const GuiCommand> frontEnd);
std::span<const GuiCommand> GetInGameCommands();
std::span<const GuiCommand> GetFrontEndCommands();

// Every row whose name equals `name` without regard to case; the last such row wins. Null when none does.
GuiCommandHandler ResolveGuiCommand(std::span<const GuiCommand> table, const char* name);
