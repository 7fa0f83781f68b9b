// What a building asks of the animals it holds: the animal class answers it.
#pragma once

#include <cstdint>

class HomeAnimal
{
public:
    virtual ~HomeAnimal() = default;
    // The building's show is starting: the animal goes to perform.
    virtual void SetShowTime() = 0;
};

// What a building reads of the animals it looks after: the animal class answers it.
class CaredAnimal
{
public:
    virtual ~CaredAnimal() = default;
    // 0 to 1.
    virtual float GetHappiness() const = 0;
    // The animal's opinions (0 food, 1 cleanliness, 2 crowding), 0 to 1.
    virtual float GetOpinion(int32_t index) const = 0;
    // What the player gets back when the animal is sold.
    virtual float GetSaleValue() const = 0;
};
