// ParkShell: the game shell as the park sees it, answering from the game's options.
#pragma once

#include "world/GameShell.h"

class GameOptions;

class ParkShell : public GameShell
{
public:
    // Registers itself with the park for its lifetime.
    explicit ParkShell(const GameOptions& options);
    ~ParkShell() override;
    ParkShell(const ParkShell&) = delete;
    ParkShell& operator=(const ParkShell&) = delete;

    float GetObjectDetail() const override;

private:
    const GameOptions& m_Options;
};
