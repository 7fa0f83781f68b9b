// The registered command tables and the resolution of a command name.
#include "gui/GuiCommands.h"

#include "platform/Strings.h"

namespace
{

std::span<const GuiCommand> g_inGame;
std::span<const GuiCommand> g_frontEnd;

} // namespace

void SetGuiCommandTables(std::span<const GuiCommand> inGame, std::span<const GuiCommand> frontEnd)
{
    g_inGame = inGame;
    g_frontEnd = frontEnd;
}

std::span<const GuiCommand> GetInGameCommands()
{
    return g_inGame;
}

std::span<const GuiCommand> GetFrontEndCommands()
{
    return g_frontEnd;
}

GuiCommandHandler ResolveGuiCommand(std::span<const GuiCommand> table, const char* name)
{
    GuiCommandHandler found = nullptr;
    if (!name)
        return found;
    for (const GuiCommand& row : table)
        if (row.name && platform::StrICmp(row.name, name) == 0)
            found = row.handler;
    return found;
}
