// The payloads of the requests that ask the World to create objects: a message to the World whose dwData is the
// object kind, with one of these records beside it. Each begins with the definition keyword of the new object.
#pragma once

#include "platform/gfx/Math.h"
#include "world/MessageRecord.h"

#include <cstdint>

// Room for a definition keyword: 31 characters and the terminator.
constexpr uint32_t kCreationKeywordSize = 32;

// Kind 1: scenery on a grid cell, optionally turned to a side, optionally owned by a building.
struct SceneryCreationRequest
{
    char szKeyword[kCreationKeywordSize] = {};
    int32_t iGridX = 0;
    int32_t iGridY = 0;
    uint8_t bHasDirection = 0;
    uint8_t bDirection = 0;
    // kWorldID: no owner.
    uint32_t dwOwner = kWorldID;
};

// Kind 2: a building whose footprint's corner is a grid cell, turned by quarter turns (0 to 3).
struct BuildingCreationRequest
{
    char szKeyword[kCreationKeywordSize] = {};
    int32_t iGridX = 0;
    int32_t iGridY = 0;
    int32_t iRotation = 0;
    // The price a world script gives (-1: none); the World does not use it.
    float fPrice = -1.0f;
    int32_t iBuildingAge = 0;
    uint8_t bCreatedBroken = 0;
};

// Kind 3: a guest at a world position, through the entrance or already inside.
struct GuestCreationRequest
{
    char szKeyword[kCreationKeywordSize] = {};
    platform::Vec3 position = {0.0f, 0.0f, 0.0f};
    uint8_t bStartsAtEntrance = 1;
    // Hours already spent in the park.
    int32_t iHoursInPark = 0;
};

// Kind 4: a table of a building, with its own model.
struct TableCreationRequest
{
    char szKeyword[kCreationKeywordSize] = {};
    char szModel[kCreationKeywordSize] = {};
    platform::Vec3 position = {0.0f, 0.0f, 0.0f};
    uint32_t dwOwner = kNoObjectID;
};

// Kind 5: a shop server at its shop.
struct ServerCreationRequest
{
    char szKeyword[kCreationKeywordSize] = {};
    platform::Vec3 position = {0.0f, 0.0f, 0.0f};
    uint32_t dwShop = kNoObjectID;
};

// Kinds 6, 7 and 8: a mechanic, cleaner or zookeeper starting at a building.
struct StaffCreationRequest
{
    char szKeyword[kCreationKeywordSize] = {};
    uint32_t dwBuilding = kNoObjectID;
};

// Kind 9: an animal of a home building.
struct AnimalCreationRequest
{
    char szKeyword[kCreationKeywordSize] = {};
    platform::Vec3 position = {0.0f, 0.0f, 0.0f};
    uint32_t dwHome = kNoObjectID;
    int32_t iDirection = 0;
};

// Kind 10: litter on a grid cell, turned by a quarter turn (0 to 3).
struct LitterCreationRequest
{
    char szKeyword[kCreationKeywordSize] = {};
    int32_t iGridX = 0;
    int32_t iGridY = 0;
    uint8_t bDirection = 0;
};

// The message that carries a creation request of a kind to the World.
inline MessageRecord CreationRecord(uint32_t kind, uint32_t sender = kWorldID)
{
    MessageRecord record;
    record.dwSender = sender;
    record.dwReciever = kWorldID;
    record.dwType = 0;
    record.dwData = kind;
    return record;
}
