// What the World's queries read of the park's buildings and animals. The park's classes implement these beside
// their object class; an object that implements neither reads as a finished, working building with no takings,
// or as an animal of no happiness.
#pragma once

#include <cstdint>
#include <string>

class BuildingFacts
{
public:
    virtual ~BuildingFacts() = default;
    virtual bool IsUnderConstruction() const = 0;
    virtual bool IsBeingDemolished() const = 0;
    // Broken down and waiting for its repair.
    virtual bool IsBrokenDown() const = 0;
    virtual bool IsStaffRoom() const = 0;
    // Placed by the player (not by the scenario).
    virtual bool IsPlayerBuilt() const = 0;
    virtual float GetIncomeToday() const = 0;
    virtual uint32_t GetVisitsToday() const = 0;
    virtual float GetShowScore() const = 0;
    // The name shown to the player, by which the next and previous buttons order the buildings.
    virtual std::u16string GetDisplayName() const = 0;
    virtual void AdoptAnimal(uint32_t slot) = 0;
};

class AnimalFacts
{
public:
    virtual ~AnimalFacts() = default;
    virtual float GetHappiness() const = 0;
};
