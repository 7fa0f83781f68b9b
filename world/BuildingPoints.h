// BuildingPoints: the points of a building that walkers walk to, as the building answers them.
#pragma once

#include "platform/gfx/Math.h"

#include <cstdint>

class BuildingPoints
{
public:
    virtual ~BuildingPoints() = default;
    // The centre of the queue's start cell; false when the building has no valid queue.
    virtual bool GetQueueStartPosition(platform::Vec3& out) = 0;
    virtual void GetServeInPosition(platform::Vec3& out) = 0;
    virtual void GetServeOutPosition(platform::Vec3& out) = 0;
    // Walk points of the queue (0 without a queue); inwards chooses the file of a two-way queue.
    virtual int32_t GetQueuePointCount() = 0;
    virtual float GetQueuePointX(int32_t index, bool inwards) = 0;
    virtual float GetQueuePointY(int32_t index, bool inwards) = 0;
    // Entry, exit and walk-through points for an object kind; a point outside the count gives false.
    virtual int32_t GetInWalkPointCount(uint8_t kind) = 0;
    virtual bool GetInWalkPoint(uint8_t kind, int32_t index, platform::Vec3& out) = 0;
    virtual int32_t GetOutWalkPointCount(uint8_t kind) = 0;
    virtual bool GetOutWalkPoint(uint8_t kind, int32_t index, platform::Vec3& out) = 0;
    virtual int32_t GetThruWalkPointCount(uint8_t kind) = 0;
    virtual bool GetThruWalkPoint(uint8_t kind, int32_t index, platform::Vec3& out) = 0;
};
