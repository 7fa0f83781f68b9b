// GameShell: what the park asks of the game shell above it, which registers itself here.
#pragma once

class GameShell
{
public:
    virtual ~GameShell() = default;
    // The options' object detail, 0 to 1.
    virtual float GetObjectDetail() const = 0;
};

// The registered game shell, or null (the park then uses the options' defaults).
GameShell* GetGameShell();
void SetGameShell(GameShell* shell);

// The object detail of the game shell's options, the options' default without a shell.
float GetObjectDetail();
