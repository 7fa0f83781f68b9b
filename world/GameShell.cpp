// GameShell: the registration of the game shell and the defaults used without one.
#include "world/GameShell.h"

#include "engine/core/GameOptions.h"

namespace
{
GameShell* g_pGameShell = nullptr;
}

GameShell* GetGameShell()
{
    return g_pGameShell;
}

void SetGameShell(GameShell* shell)
{
    g_pGameShell = shell;
}

float GetObjectDetail()
{
    return g_pGameShell ? g_pGameShell->GetObjectDetail() : GameOptions::kDefaultObjectDetail;
}
