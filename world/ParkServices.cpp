// ParkServices: the registration of the park layer.
#include "world/ParkServices.h"

namespace
{
ParkServices* s_pParkServices = nullptr;
}

ParkServices* GetParkServices()
{
    return s_pParkServices;
}

void SetParkServices(ParkServices* services)
{
    s_pParkServices = services;
}
