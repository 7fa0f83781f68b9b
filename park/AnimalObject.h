// What a building asks of the animals it holds: the animal class answers it.
#pragma once

class HomeAnimal
{
public:
    virtual ~HomeAnimal() = default;
    // The building's show is starting: the animal goes to perform.
    virtual void SetShowTime() = 0;
};
