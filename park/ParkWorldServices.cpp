// The park layer's side of the World: makes the park's managers; the object classes answer as they are written.
#include "park/ParkWorldServices.h"

#include "park/CleaningManager.h"
#include "park/ConstructionManager.h"
#include "park/FeedbackManager.h"
#include "park/RepairManager.h"
#include "park/RescueManager.h"
#include "park/ResearchManager.h"

namespace
{

class ParkWorldServices : public ParkServices
{
public:
    ParkManagers CreateManagers() override
    {
        ParkManagers managers;
        managers.mechanicsRepair = std::make_unique<RepairManager>();
        managers.zooRepair = std::make_unique<RepairManager>();
        managers.cleaning = std::make_unique<CleaningManager>();
        managers.feedback = std::make_unique<FeedbackManager>();
        managers.construction = std::make_unique<ConstructionManager>();
        managers.research = std::make_unique<ResearchManager>();
        managers.rescue = std::make_unique<RescueManager>();
        return managers;
    }
    // The guest, building and other park classes are not written yet: neutral answers.
    GuestFigures GetGuestFigures(BaseObject& /*guest*/) override { return {}; }
    float GetShowRating(BaseObject& /*building*/) override { return 0.0f; }
    bool IsBuildingOpen(BaseObject& /*building*/) override { return true; }
    bool SetUpCreated(BaseObject& /*object*/, uint8_t /*kind*/, const void* /*request*/) override { return true; }
};

ParkWorldServices s_services;

} // namespace

void RegisterParkWorldServices()
{
    SetParkServices(&s_services);
}
