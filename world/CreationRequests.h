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
