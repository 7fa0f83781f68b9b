// Sprite: one animated picture drawn from a sprite bank.
#pragma once

#include <cstdint>
#include <string>

class Sprite
{
public:
    // Play modes: 1 backwards once, 2 forwards once, 3 manual; any other value loops.
    enum PlayMode : int32_t
    {
        PLAY_BACKWARD_ONCE = 1,
        PLAY_FORWARD_ONCE = 2,
        PLAY_MANUAL = 3,
    };

    explicit Sprite(std::string bank) : m_Bank(std::move(bank)) {}

    void SetPlayMode(int32_t mode) { m_iPlayMode = mode; }
    int32_t GetPlayMode() const { return m_iPlayMode; }
    // The name of the bank the sprite draws from.
    const std::string& GetBankName() const { return m_Bank; }

private:
    std::string m_Bank;
    int32_t m_iPlayMode = 0;
};
