// Object kinds and the table of classes that make them: the park's classes register here, and so can tests.
#pragma once

#include <cstdint>

class BaseObject;

enum ObjectKind : uint8_t
{
    OBJECT_SCENERY = 1,
    OBJECT_BUILDING = 2,
    OBJECT_GUEST = 3,
    OBJECT_TABLE = 4,
    OBJECT_SERVER = 5,
    OBJECT_MECHANIC = 6,
    OBJECT_CLEANER = 7,
    OBJECT_ZOOKEEPER = 8,
    OBJECT_ANIMAL = 9,
    OBJECT_LITTER = 10,
};

constexpr uint8_t kFirstObjectKind = OBJECT_SCENERY;
constexpr uint8_t kLastObjectKind = OBJECT_LITTER;

// Makes an empty object of one kind's class, for ObjectManager::CreateObject and ObjectManager::Load.
using ObjectFactory = BaseObject* (*)();

// Sets the class of a kind (1 to 10; others are ignored); a null factory removes it.
void RegisterObjectKind(uint8_t kind, ObjectFactory factory);
// The class of a kind, or null when none is registered or the kind is not 1 to 10.
ObjectFactory GetObjectFactory(uint8_t kind);
// Removes every registration.
void ClearObjectKinds();
