// RepairManager: repair, maintenance and inspection jobs (one for the mechanics, one for the zookeepers).
#pragma once

#include "world/ParkServices.h"

class RepairManager : public OwnedParkManager
{
};
