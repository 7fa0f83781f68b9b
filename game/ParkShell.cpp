// ParkShell: the game's options answered to the park.
#include "game/ParkShell.h"

#include "engine/core/GameOptions.h"

ParkShell::ParkShell(const GameOptions& options) : m_Options(options)
{
    SetGameShell(this);
}

ParkShell::~ParkShell()
{
    if (GetGameShell() == this)
        SetGameShell(nullptr);
}

float ParkShell::GetObjectDetail() const
{
    return m_Options.m_fObjectDetail;
}
