// AnimalPathComponent: the path models an animal type's animals ride in their building. Only what the building
// calls is here yet.
#pragma once

#include <cstdint>

class AnimalPathComponent
{
public:
    // Path actions.
    enum Action : int32_t
    {
        ACTION_MOVE = 0,
        ACTION_EAT = 1,
        ACTION_PLAY = 2,
        ACTION_REST = 3,
    };

    explicit AnimalPathComponent(int32_t animalType) : m_iAnimalType(animalType) {}

    void SetPosition(float /*x*/, float /*y*/, float /*z*/) {}
    void SetOrientation(float /*x*/, float /*y*/, float /*z*/) {}
    void AddAnimal(uint32_t /*animal*/) {}
    void PutOnPath(int32_t /*action*/, uint32_t /*animal*/) {}
    void SetVisible(bool /*visible*/) {}
    void Update() {}

    int32_t GetAnimalType() const { return m_iAnimalType; }

private:
    int32_t m_iAnimalType;
};
