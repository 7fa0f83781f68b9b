// The payloads of the requests that ask the World to create objects: a message to the World whose dwData is the
// object kind, with one of these records beside it.
#pragma once

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

// Kind 3: a guest of a guest type at a map position.
struct GuestCreationRequest
{
    char szKeyword[kCreationKeywordSize] = {};
    float fX = 0.0f;
    float fY = 0.0f;
    float fZ = 0.0f;
    // 1: the guest arrives through the park entrance; 0: it starts where it stands.
    uint8_t bAtEntrance = 0;
    // Hours already spent in the park.
    uint32_t dwHours = 0;
};

// Kind 2: a building with its footprint corner on a grid cell.
struct BuildingCreationRequest
{
    char szKeyword[kCreationKeywordSize] = {};
    int32_t iGridX = 0;
    int32_t iGridY = 0;
    // Quarter turns, 0 to 3.
    uint32_t dwRotation = 0;
    // -1: none given.
    float fPrice = -1.0f;
    uint32_t dwAge = 0;
    uint8_t bBroken = 0;
};

// Kinds 6 to 8: a staff member of a staff type starting at a building.
struct StaffCreationRequest
{
    char szKeyword[kCreationKeywordSize] = {};
    uint32_t dwBuilding = kNoObjectID;
};

// The message that carries a creation request of a kind to the World.
inline MessageRecord CreationRecord(uint32_t kind)
{
    MessageRecord record;
    record.dwSender = kWorldID;
    record.dwReciever = kWorldID;
    record.dwType = 0;
    record.dwData = kind;
    return record;
}
