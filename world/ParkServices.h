// ParkServices: what the World asks of the park layer above it (its managers and its object classes), declared
// here and implemented by the park, which registers itself. Without a registration the World runs without them.
#pragma once

#include <cstdint>
#include <memory>

class BaseObject;
class SerialStream;

// A manager the World owns (creates, keeps and deletes) and saves with the park.
class OwnedParkManager
{
public:
    virtual ~OwnedParkManager() = default;
    // The manager's save record; a manager with nothing to keep writes nothing.
    virtual void Dump(SerialStream& stream) const { (void)stream; }
    // Reads what Dump wrote; false, with a report, when the record is refused.
    virtual bool Load(SerialStream& stream)
    {
        (void)stream;
        return true;
    }
};

// The feedback log and ticker.
class FeedbackService : public OwnedParkManager
{
public:
    // A feedback message type this scenario does not show.
    virtual void SuppressMessageType(const char* type) = 0;
    // A message for the player: a text id, the object it is about (0xFFFFFFFE the park) and its type.
    virtual void AddMessage(const char* textId, uint32_t id, uint32_t type) = 0;
    // Once per frame.
    virtual void Update() = 0;
    // Forgets an object that is being removed, in its queued and logged messages.
    virtual void ForgetObject(uint32_t id) = 0;
};

// Research funding.
class ResearchService : public OwnedParkManager
{
public:
    // Advances the research by `delta` game seconds; the money spent on it in that time.
    virtual float Update(float delta) = 0;
    // The budget per game day the slider gives.
    virtual float GetBudgetPerDay() const = 0;
    // The budget slider, 0 to 1.
    virtual float GetSliderValue() const = 0;
    virtual void SetSliderValue(float value) = 0;
};

// Rescue offers.
class RescueService : public OwnedParkManager
{
public:
    virtual void ScheduleFirstOffer() = 0;
    // Once per frame.
    virtual void Update() = 0;
    // Accepted rescues over offered ones.
    virtual float GetAcceptanceRatio() const = 0;
};

// The mechanics' job board, as the world script reads it.
class RepairService : public OwnedParkManager
{
public:
    // Requests filed and waiting for a worker.
    virtual uint32_t CountOpenRequests() const = 0;
};

// The records of buildings being built or pulled down, as the World's building counts read them.
class ConstructionService : public OwnedParkManager
{
public:
    // The buildings of a definition name: all of them, or only those neither under construction nor being
    // demolished.
    virtual uint32_t CountBuildings(const char* name, bool finishedOnly) const = 0;
};

// Every manager of a park, made in the order they are listed.
struct ParkManagers
{
    std::unique_ptr<OwnedParkManager> mechanicsRepair;
    std::unique_ptr<OwnedParkManager> zooRepair;
    std::unique_ptr<OwnedParkManager> cleaning;
    std::unique_ptr<FeedbackService> feedback;
    std::unique_ptr<OwnedParkManager> construction;
    std::unique_ptr<ResearchService> research;
    std::unique_ptr<RescueService> rescue;
};

// What a guest's class tells the World for the rating, the averages and the departure counters.
struct GuestFigures
{
    float happiness = 0.0f;
    float price = 0.0f;
    float queue = 0.0f;
    float beauty = 0.0f;
    float cleanliness = 0.0f;
    float variety = 0.0f;
    float welfare = 0.0f;
    bool visitedAnimals = false;
    bool leavingEarly = false;
    // 0 male, 1 female.
    int32_t gender = 0;
};

// The park layer's side of the World.
class ParkServices
{
public:
    virtual ~ParkServices() = default;
    virtual ParkManagers CreateManagers() = 0;
    virtual GuestFigures GetGuestFigures(BaseObject& guest) = 0;
    // The rating the show scheduler of a show building keeps, 0 to 1.
    virtual float GetShowRating(BaseObject& building) = 0;
    // Open status 0: open to guests.
    virtual bool IsBuildingOpen(BaseObject& building) = 0;
    // The park class's own part of a creation request (kind 1 to 10, the request record of that kind) after the
    // World has placed the object. False refuses the request: the World then removes the object again.
    virtual bool SetUpCreated(BaseObject& object, uint8_t kind, const void* request) = 0;
};

// The registered park layer, or null.
ParkServices* GetParkServices();
void SetParkServices(ParkServices* services);
