// The park layer's side of the World: makes the park's managers; the object classes answer as they are written.
#include "park/ParkWorldServices.h"

#include "park/BuildingObject.h"
#include "park/CleaningManager.h"
#include "park/ConstructionManager.h"
#include "park/FeedbackManager.h"
#include "park/GuestObject.h"
#include "park/RepairManager.h"
#include "park/RequestedObject.h"
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
    // What a guest's opinions say; an object that is not one of the park's guests answers nothing.
    GuestFigures GetGuestFigures(BaseObject& object) override
    {
        GuestFigures figures;
        const auto* guest = dynamic_cast<const GuestObject*>(&object);
        if (!guest)
            return figures;
        figures.happiness = guest->GetHappiness();
        figures.price = guest->GetOpinion(GuestObject::OPINION_PRICE);
        figures.queue = guest->GetOpinion(GuestObject::OPINION_CROWDING);
        figures.beauty = guest->GetOpinion(GuestObject::OPINION_BEAUTY);
        figures.cleanliness = guest->GetOpinion(GuestObject::OPINION_CLEANLINESS);
        figures.variety = guest->GetOpinion(GuestObject::OPINION_VARIETY);
        figures.welfare = guest->GetOpinion(GuestObject::OPINION_WELFARE);
        figures.visitedAnimals = guest->HasVisitedAnimals();
        figures.leavingEarly = guest->IsLeavingEarly();
        figures.gender = guest->GetGender();
        return figures;
    }
    float GetShowRating(BaseObject& building) override
    {
        const auto* facts = dynamic_cast<const BuildingObject*>(&building);
        return facts ? facts->GetShowScore() : 0.0f;
    }
    // An object that is not one of the park's buildings stands open.
    bool IsBuildingOpen(BaseObject& building) override
    {
        const auto* park = dynamic_cast<const BuildingObject*>(&building);
        return !park || park->IsOpen();
    }
    // Each park class takes the rest of its own request; a class that takes none accepts the object as placed.
    bool SetUpCreated(BaseObject& object, uint8_t kind, const void* request) override
    {
        auto* requested = dynamic_cast<RequestedObject*>(&object);
        return !requested || requested->SetUpFromRequest(kind, request);
    }
};

ParkWorldServices s_services;

} // namespace

void RegisterParkWorldServices()
{
    SetParkServices(&s_services);
}
