// GameShell: what the park asks of the game shell above it, which registers itself here.
#pragma once

#include <cstdint>

class GameShell
{
public:
    virtual ~GameShell() = default;
    // The options' object detail, 0 to 1.
    virtual float GetObjectDetail() const = 0;
    // The scenario has been won: it is marked so and scenario number `next` is unlocked.
    virtual void CompleteScenario(uint32_t /*next*/) {}
    // The options ask for the view to scroll when the cursor reaches a screen edge.
    virtual bool IsEdgeScrolling() const { return true; }
};

// The registered game shell, or null (the park then uses the options' defaults).
GameShell* GetGameShell();
void SetGameShell(GameShell* shell);

// The object detail of the game shell's options, the options' default without a shell.
float GetObjectDetail();
