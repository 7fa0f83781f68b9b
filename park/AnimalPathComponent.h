// AnimalPathComponent: the path models one animal type's animals ride in their building. Each animal holds one of
// 20 slots; to move, eat, play or rest it is carried by the pre-animated path model of that action and slot, and
// when the path's animation ends the animal is told and the path starts again.
#pragma once

#include "platform/gfx/Math.h"
#include "world/AnimalModelNames.h"

#include <cstdint>
#include <memory>
#include <vector>

class ModelObject;
class SerialStream;

// What the path component sets on the animals it holds: the animal class answers it.
class PathAnimal
{
public:
    virtual ~PathAnimal() = default;
    virtual void SetPathSlot(uint32_t slot) = 0;
};

class AnimalPathComponent
{
public:
    // Path actions.
    enum Action : int32_t
    {
        ACTION_MOVE = ANIMAL_ACTION_MOVE,
        ACTION_EAT = ANIMAL_ACTION_EAT,
        ACTION_PLAY = ANIMAL_ACTION_PLAY,
        ACTION_REST = ANIMAL_ACTION_REST,
        ACTION_COUNT = ANIMAL_ACTION_COUNT,
    };
    static constexpr uint32_t kSlots = 20;
    static constexpr uint32_t kNoAnimal = 0xFFFFFFFF;

    // No animals, no path models; the paths show.
    explicit AnimalPathComponent(int32_t animalType);
    // Every path model goes.
    ~AnimalPathComponent();
    AnimalPathComponent(const AnimalPathComponent&) = delete;
    AnimalPathComponent& operator=(const AnimalPathComponent&) = delete;

    // Where the path models stand and how they are turned (the building's).
    void SetPosition(float x, float y, float z);
    void SetOrientation(float x, float y, float z);
    // An animal of the component's type takes the first free slot (none when all 20 are taken).
    void AddAnimal(uint32_t animal);
    // An animal of the component's type that holds a slot leaves its path model and its slot.
    void RemoveAnimal(uint32_t animal);
    // An animal of the component's type is taken off the path it rides and put on the path of the action and its
    // slot. An animal without a slot is not put on a path (reported).
    void PutOnPath(int32_t action, uint32_t animal);
    // Shows or hides every path model.
    void SetVisible(bool visible);
    // Each building update: a path whose animation has ended tells its animal and starts again.
    void Update();
    // The animals ride their paths again after a load.
    void PostLoad();

    void Dump(SerialStream& stream) const;
    // False, with a report, when the record is cut short: the component is then left empty. A second slot of one
    // animal, and a path carrying an animal that is not its slot's, are left out (reported).
    bool Load(SerialStream& stream);

    // The path models of the type (each action, slots 0 to NUM_PATHS - 1) and its mesh animations, loaded
    // through the model manager for the World's preload.
    static void PreloadAnimations(int32_t animalType);
    static void PreloadMeshes(int32_t animalType);

    int32_t GetAnimalType() const { return m_iAnimalType; }
    // The animals holding slots, in slot order.
    std::vector<uint32_t> GetAnimals() const;
    // The slot of an animal, or -1.
    int32_t GetSlot(uint32_t animal) const;
    // The animal of a slot, or kNoAnimal.
    uint32_t GetSlotAnimal(uint32_t slot) const { return slot < kSlots ? m_PathAnimals[slot] : kNoAnimal; }
    // The action of the path the animal rides; -1 when none.
    int32_t GetPath(uint32_t animal) const;
    // The path model of an action and a slot, or null.
    const ModelObject* GetPathModel(int32_t action, uint32_t slot) const;
    bool IsVisible() const { return m_bVisible; }
    const platform::Vec3& GetPosition() const { return m_Position; }
    const platform::Vec3& GetOrientation() const { return m_Orientation; }

private:
    // Whether the id names an animal of the component's type.
    bool IsOwnType(uint32_t animal) const;
    // Takes the animal off every path model of its slot.
    void TakeOffPaths(uint32_t slot, uint32_t animal);
    void DeleteModel(int32_t action, uint32_t slot);
    // A new path model of an action and a slot, placed, in the World's scene.
    std::unique_ptr<ModelObject> MakeModel(int32_t action, uint32_t slot) const;

    int32_t m_iAnimalType;
    uint32_t m_PathAnimals[kSlots];
    uint32_t m_AnimalsOnPath[ACTION_COUNT][kSlots];
    std::unique_ptr<ModelObject> m_Models[ACTION_COUNT][kSlots];
    platform::Vec3 m_Position = {};
    platform::Vec3 m_Orientation = {};
    bool m_bVisible = true;
};
