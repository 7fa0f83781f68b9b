// ResearchManager: research funding and the items it unlocks.
#pragma once

#include "world/ParkServices.h"

#include <cstdint>

class ResearchManager : public ResearchService
{
public:
    // Nothing is researched yet, so nothing is spent.
    float Update(float /*delta*/) override { return 0.0f; }
    float GetBudgetPerDay() const override { return m_fBudgetPerDay; }
    // The staff factors research raises: 0 the rest in a staff room, 1 cleaners, 2 mechanics, 3 zookeepers (the
    // energy a job costs is scaled by its kind's factor). Research raises none yet: all stay 1.
    static constexpr int32_t kStaffFactors = 4;
    float GetStaffFactor(int32_t which) const
    {
        return which >= 0 && which < kStaffFactors ? m_StaffFactors[which] : 1.0f;
    }

private:
    float m_fBudgetPerDay = 0.0f;
    float m_StaffFactors[kStaffFactors] = {1.0f, 1.0f, 1.0f, 1.0f};
};
