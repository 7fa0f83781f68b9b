// ResearchManager: research funding and the items it unlocks.
#pragma once

#include "world/ParkServices.h"

class ResearchManager : public ResearchService
{
public:
    // Nothing is researched yet, so nothing is spent.
    float Update(float /*delta*/) override { return 0.0f; }
    float GetBudgetPerDay() const override { return m_fBudgetPerDay; }

private:
    float m_fBudgetPerDay = 0.0f;
};
