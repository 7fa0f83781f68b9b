// The park layer's one registration with the World.
#include "park/ParkLayer.h"

#include "park/ParkObjectKinds.h"
#include "park/ParkWorldServices.h"
#include "world/ObjectKinds.h"
#include "world/ParkServices.h"

void RegisterParkLayer()
{
    RegisterParkObjectKinds();
    RegisterParkWorldServices();
}

void UnregisterParkLayer()
{
    ClearObjectKinds();
    SetParkServices(nullptr);
}
