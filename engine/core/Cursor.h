// The game's cursor: its mode (shape), hidden flag and locked flag, applied through the game input.
#pragma once

#include <cstdint>

class Cursor
{
public:
    // Modes 0 to 6 have shapes: 0 normal, 3 while the camera turns with the mouse, others for the tools.
    static constexpr int32_t kModeCount = 7;

    Cursor();
    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    // Stores the mode; modes 0 to 6 hand the shape id mode + 1 to the game input, others are only stored.
    void SetMode(int32_t mode);
    // Hides or shows the system cursor.
    void SetHidden(bool hidden);
    // Locks the cursor at its position (or frees it) through the game input.
    void SetLocked(bool locked);

    int32_t GetMode() const { return m_iMode; }
    bool IsHidden() const { return m_bHidden; }
    bool IsLocked() const { return m_bLocked; }

private:
    int32_t m_iMode = 0;
    bool m_bHidden = false;
    bool m_bLocked = false;
};

extern Cursor* g_pCursor;
