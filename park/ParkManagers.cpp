// The park's managers reached through the World.
#include "park/ParkManagers.h"

#include "park/CleaningManager.h"
#include "park/ConstructionManager.h"
#include "park/FeedbackManager.h"
#include "park/RepairManager.h"
#include "park/ResearchManager.h"
#include "world/World.h"

namespace
{

template <typename Manager, typename Base> Manager* FindOwned(std::unique_ptr<Base> ParkManagers::*member)
{
    return g_pWorld ? dynamic_cast<Manager*>((g_pWorld->GetManagers().*member).get()) : nullptr;
}

} // namespace

ConstructionManager* GetConstructionManager()
{
    return FindOwned<ConstructionManager>(&ParkManagers::construction);
}

CleaningManager* GetCleaningManager()
{
    return FindOwned<CleaningManager>(&ParkManagers::cleaning);
}

RepairManager* GetMechanicsRepair()
{
    return FindOwned<RepairManager>(&ParkManagers::mechanicsRepair);
}

RepairManager* GetZooRepair()
{
    return FindOwned<RepairManager>(&ParkManagers::zooRepair);
}

FeedbackManager* GetFeedbackManager()
{
    return FindOwned<FeedbackManager>(&ParkManagers::feedback);
}

ResearchManager* GetResearchManager()
{
    return g_pWorld ? dynamic_cast<ResearchManager*>(g_pWorld->GetManagers().research.get()) : nullptr;
}
