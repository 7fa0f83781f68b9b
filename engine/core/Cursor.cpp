// The game's cursor mode, visibility and lock.
#include "engine/core/Cursor.h"

#include "engine/core/GameInput.h"

Cursor* g_pCursor = nullptr;

Cursor::Cursor()
{
    g_pCursor = this;
    SetMode(0);
    m_bHidden = false;
    m_bLocked = false;
}

Cursor::~Cursor()
{
    if (g_pCursor == this)
        g_pCursor = nullptr;
}

void Cursor::SetMode(int32_t mode)
{
    m_iMode = mode;
    if (mode >= 0 && mode < kModeCount && g_pGameInput)
        g_pGameInput->SetCursorShape(mode + 1);
}

void Cursor::SetHidden(bool hidden)
{
    m_bHidden = hidden;
    if (hidden)
        HideSystemCursor();
    else
        ShowSystemCursor();
}

void Cursor::SetLocked(bool locked)
{
    m_bLocked = locked;
    if (g_pGameInput)
        g_pGameInput->LockCursor(locked);
}
