// RescueManager: animal rescue offers and the teams sent out.
#pragma once

#include "world/ParkServices.h"

class RescueManager : public RescueService
{
public:
    void ScheduleFirstOffer() override {}
    void Update() override {}
    // No rescue has been offered yet.
    float GetAcceptanceRatio() const override { return 0.0f; }
};
