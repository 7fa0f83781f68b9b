// BuildingObject: wear, breakdown, repair, animal care and toilet cleanliness. Only the breakdown a world script
// asks for at creation is here yet; wear, repairs, zookeeper visits and toilet cleaning come with the repair and
// cleaning job boards.
#include "park/BuildingObject.h"
#include "park/ParkManagers.h"
#include "park/RepairManager.h"
#include "world/World.h"

void BuildingObject::BreakDown()
{
    m_RepairState = kBrokenDown;
    if (g_pWorld)
    {
        m_fLastFaultDayTime = g_pWorld->GetGameDayTime();
        m_LastFaultDay = g_pWorld->GetGameDay();
    }
    ++m_NumFaults;
    if (!IsBeingDemolished())
    {
        if (RepairManager* mechanics = GetMechanicsRepair())
            mechanics->RequestRepair(m_dwID, RepairManager::REPAIR_BREAKDOWN);
    }
    SetWaterDirtStage(2);
}

void BuildingObject::SetWaterDirtStage(int32_t stage)
{
    EnableBone("Water_dirt1", stage == 1);
    EnableBone("Water_dirt2", stage == 2);
}

bool BuildingObject::SetMechanicCalledByPlayer(bool called)
{
    m_fRepairStateOnBreakdown = m_fRepairState;
    return called;
}

void BuildingObject::ApplyWear() {}

void BuildingObject::CheckAnimalCare() {}

void BuildingObject::UseToilet() {}

void BuildingObject::OnCareMessage(const MessageRecord& /*record*/) {}

void BuildingObject::ResetCleanliness()
{
    m_fCleanliness = 1.0f;
    m_bTooStinky = false;
    EnableBone("FLYSWARM", false);
    EnableBone("FOG", false);
}
