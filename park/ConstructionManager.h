// ConstructionManager: buildings placed by the player and their construction.
#pragma once

#include "world/ParkServices.h"

class ConstructionManager : public OwnedParkManager
{
};
