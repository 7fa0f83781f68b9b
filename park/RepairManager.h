// RepairManager: repair, maintenance and inspection jobs (one for the mechanics, one for the zookeepers). Only
// what the buildings and construction call is here yet: requests are not kept.
#pragma once

#include "world/ParkServices.h"

#include <cstdint>

class RepairManager : public OwnedParkManager
{
public:
    // Request types.
    enum RequestType : uint32_t
    {
        REPAIR_SERVICE = 0,
        REPAIR_BREAKDOWN = 1,
        REPAIR_WATERING = 2,
        REPAIR_ZOO_VISIT = 3,
    };

    void RequestRepair(uint32_t /*id*/, uint32_t /*type*/) {}
    void CancelRepair(uint32_t /*id*/) {}
    // A request for the object is pending or assigned.
    bool HoldsRequest(uint32_t /*id*/) const { return false; }
};
