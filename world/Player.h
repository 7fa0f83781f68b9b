// Player: the player's account in the park: a name and the cash.
#pragma once

#include <cstdint>

class SerialStream;

class Player
{
public:
    // Longest name: 63 characters and the terminator.
    static constexpr uint32_t kNameSize = 64;

    // Takes the name (cut to fit) with no cash.
    explicit Player(const char16_t* name);

    void Dump(SerialStream& stream) const;
    // False, with a report and the account as it was, when the saved record is cut short.
    bool Load(SerialStream& stream);

    char16_t Name[kNameSize] = {};
    // Dollars; may be negative.
    float Cash = 0.0f;
};
