// AnimalPathComponent: the path models an animal type's animals ride in their building. Only what the building
// calls is here yet: it keeps the animals it is given, the path each was last put on, whether the paths show and
// where they stand; the slots and the path models come with the component itself.
#pragma once

#include "platform/gfx/Math.h"

#include <cstdint>
#include <map>
#include <vector>

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
    void SetPosition(float x, float y, float z) { m_Position = {x, y, z}; }
    void SetOrientation(float x, float y, float z) { m_Orientation = {x, y, z}; }
    void AddAnimal(uint32_t animal) { m_Animals.push_back(animal); }
    void PutOnPath(int32_t action, uint32_t animal) { m_Paths[animal] = action; }
    void SetVisible(bool visible) { m_bVisible = visible; }
    void Update() {}

    int32_t GetAnimalType() const { return m_iAnimalType; }
    const std::vector<uint32_t>& GetAnimals() const { return m_Animals; }
    // The action of the path the animal was last put on; -1 when none.
    int32_t GetPath(uint32_t animal) const
    {
        const auto found = m_Paths.find(animal);
        return found == m_Paths.end() ? -1 : found->second;
    }
    bool IsVisible() const { return m_bVisible; }
    const platform::Vec3& GetPosition() const { return m_Position; }
    const platform::Vec3& GetOrientation() const { return m_Orientation; }

private:
    int32_t m_iAnimalType;
    std::vector<uint32_t> m_Animals;
    std::map<uint32_t, int32_t> m_Paths;
    platform::Vec3 m_Position = {};
    platform::Vec3 m_Orientation = {};
    bool m_bVisible = true;
};
