// CleaningManager: the park's cleaning requests (litter, bins, toilets) and the cleaners' jobs. Only what the
// buildings and construction call is here yet: requests are not kept.
#pragma once

#include "world/ParkServices.h"

#include <cstdint>

class CleaningManager : public OwnedParkManager
{
public:
    // Cleaning states of an object, as its panel shows them.
    enum CleaningState : int32_t
    {
        CLEAN_NO_CLEANERS = 1,
        CLEAN_NOT_NEEDED = 2,
        CLEAN_REQUIRED = 3,
        CLEAN_ON_ROUTE = 4,
        CLEAN_CLEANING = 5,
    };

    void RequestCleaning(uint32_t /*id*/) {}
    void RequestUrgentCleaning(uint32_t /*id*/) {}
    void CancelCleaning(uint32_t /*id*/) {}
    // A request for the object is pending or assigned.
    bool HoldsRequest(uint32_t /*id*/) const { return false; }
    int32_t GetCleaningState(uint32_t /*id*/) const { return CLEAN_NOT_NEEDED; }
};
