// CleaningManager: the park's cleaning requests (litter, bins, toilets) and the cleaners' jobs.
#pragma once

#include "world/ParkServices.h"

class CleaningManager : public OwnedParkManager
{
};
