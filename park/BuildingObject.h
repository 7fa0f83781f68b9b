// BuildingObject: every placed building of the park (attractions, rides, shops, restaurants, toilets, staff rooms,
// animal exhibits, show arenas and the park entrance): its data, lifecycle, service and sales, the components it
// owns, and the points and facts it answers to walkers and the World.
#pragma once

#include "park/RequestedObject.h"
#include "world/BuildingPoints.h"
#include "world/ParkFacts.h"
#include "world/StaticObject.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class AnimalPathComponent;
class CrowdFiller;
class QueueComponent;
class RideComponent;
class ShowScheduler;
struct AnimalInfo;
struct BuildingInfo;
struct MapGridInfo;
struct MapPoint;
struct MapPointList;

class BuildingObject : public StaticObject, public BuildingPoints, public BuildingFacts, public RequestedObject
{
public:
    // The fixed tables that bound a building; data asking for more is cut to them with a report.
    static constexpr uint32_t kMaxStaff = 10;
    static constexpr uint32_t kMaxTables = 15;
    static constexpr uint32_t kMaxAnimals = 20;
    static constexpr uint32_t kMaxAnimalPaths = 3;
    static constexpr int32_t kMaxEatPoints = 20;
    static constexpr int32_t kMaxViewPoints = 10;
    static constexpr uint32_t kProfitDays = 64;
    static constexpr uint32_t kMaxOpinions = 20;
    // The open status.
    static constexpr uint32_t kOpen = 0;
    static constexpr uint32_t kClosed = 1;
    // The repair state of a building that has broken down.
    static constexpr uint32_t kBrokenDown = 3;
    // Opinion lists.
    enum Opinion : int32_t
    {
        OPINION_PRICE = 0,
        OPINION_QUEUING = 1,
        OPINION_WELFARE = 2,
        OPINION_COUNT = 3,
    };
    // Status flags drawn above the building (the flag textures of the tables).
    enum StatusFlag : int32_t
    {
        FLAG_SPANNER = 0,
        FLAG_ANIMAL = 1,
        FLAG_FEET = 2,
        FLAG_CLOSED = 3,
    };
    // The alpha pulse of the status flags: a full swing takes this many game seconds.
    static constexpr float kFlagPulseSeconds = 1.5f;
    // Points of attraction a building loses per day of age.
    static constexpr float kAgeingPerDay = 0.02f;
    // Delay of the served message at a building whose guests watch from view points.
    static constexpr float kViewPointServeDelay = 0.1f;

    BuildingObject();
    ~BuildingObject() override;

    // ---- object operations
    bool Render() override;
    void Dump(SerialStream& stream) override;
    bool Load(SerialStream& stream) override;
    // Relinks the components, tables, animals and audience by their saved ids once every object has loaded.
    void PostLoad() override;
    void Create(const char* name) override;
    bool IsStateSupported(uint32_t state) override;
    bool OnStateEntry(uint32_t state) override;
    bool Update() override;
    bool OnStateExit() override;
    bool Message(const MessageRecord& record) override;
    void OnSelected(bool open, bool focus) override;
    void ClosePanel() override;
    void GetCentrePosition(platform::Vec3& centre) override;
    // The building's place in the scene.
    void GetSoundPosition(platform::Vec3& position) override;
    bool SetMechanicCalledByPlayer(bool called) override;
    // The player called the zookeepers to the building.
    void NoteZookeeperCalled() { m_bZookeeperCalled = true; }
    bool IsZookeeperCalled() const { return m_bZookeeperCalled; }
    BuildingPoints* GetBuildingPoints() override { return this; }

    // ---- keyword interface
    void GetVariable(const char* keyword, platform::WString& text) override;
    // A value from a widget: the price and the start level take it as a decimal number (a number adjuster's or a
    // slider's), the other keywords as a whole number.
    void SetVariable(const char* keyword, const DialogValue& value) override;
    // The 32-bit form: the price and the start level read their value's bits as a float.
    void SetVariable(const char* keyword, const int32_t* value) override;
    void ResetPanelState() override;

    // ---- the creation request (kind 2): the building's age and whether it starts broken
    bool SetUpFromRequest(uint8_t kind, const void* request) override;

    // ---- points walkers walk to
    bool GetQueueStartPosition(platform::Vec3& out) override;
    void GetServeInPosition(platform::Vec3& out) override;
    void GetServeOutPosition(platform::Vec3& out) override;
    int32_t GetQueuePointCount() override;
    float GetQueuePointX(int32_t index, bool inwards) override;
    float GetQueuePointY(int32_t index, bool inwards) override;
    int32_t GetInWalkPointCount(uint8_t kind) override;
    bool GetInWalkPoint(uint8_t kind, int32_t index, platform::Vec3& out) override;
    int32_t GetOutWalkPointCount(uint8_t kind) override;
    bool GetOutWalkPoint(uint8_t kind, int32_t index, platform::Vec3& out) override;
    int32_t GetThruWalkPointCount(uint8_t kind) override;
    bool GetThruWalkPoint(uint8_t kind, int32_t index, platform::Vec3& out) override;
    // The animals' and viewers' points; the counts are cut to the building's tables.
    int32_t GetEatPointCount() const;
    bool GetEatPoint(int32_t index, platform::Vec3& out) const;
    int32_t GetEatNodeCount() const;
    bool GetEatNode(int32_t index, platform::Vec3& out) const;
    int32_t GetViewPointCount(bool second) const;
    bool GetViewPoint(int32_t index, platform::Vec3& out) const;
    bool GetViewPoint2(int32_t index, platform::Vec3& out) const;
    int32_t GetInterestPointCount() const;
    bool GetInterestPoint(int32_t index, platform::Vec3& out) const;

    // ---- facts the World reads
    bool IsUnderConstruction() const override;
    bool IsBeingDemolished() const override;
    bool IsBrokenDown() const override { return m_RepairState == kBrokenDown; }
    bool IsStaffRoom() const override { return m_bIsStaffRoom; }
    bool IsPlayerBuilt() const override { return m_bBuiltByUser; }
    float GetIncomeToday() const override { return m_fIncomeToday; }
    uint32_t GetVisitsToday() const override { return static_cast<uint32_t>(m_NumVisitsToday); }
    float GetShowScore() const override;
    std::u16string GetDisplayName() const override;
    void AdoptAnimal(uint32_t slot) override;

    // ---- the queue
    void JoinQueue(uint32_t guest);
    void LeaveQueue(uint32_t guest);
    int32_t GetQueuePosition(uint32_t guest) const;
    bool IsQueueNotFull() const;
    // Makes the queue on the serve-in cell (one way) or else the serve in-out cell (two way); none without either.
    void CreateQueue();

    // ---- opening, closing, selling
    bool IsOpen() const { return m_OpenStatus == kOpen; }
    bool CanOpen();
    void Open();
    void Close();
    void Sell();
    void ShowServers();
    void HideServers();
    void PlaceEntrance();

    // ---- guests and animals
    float GetAttraction() const;
    uint32_t GetAnimal(int32_t index) const;
    bool CanAdoptAnimal(uint32_t slot) const;
    // The animal slot shown in row `row` of the adoption list, which leaves out the animals still to be unlocked;
    // -1 when the list has no such row.
    int32_t GetAdoptableSlot(int32_t row) const;
    float GetAnimalLoad() const;
    void AddLeaver(uint32_t guest);
    void RemoveLeaver(uint32_t guest);
    void RemoveGuest(uint32_t guest);
    // A guest who is taken out of the park lets go of the building: of its place inside, on the ride, among the
    // leavers and in the queue (where the guests behind it move up).
    void ForgetGuest(uint32_t guest);
    bool IsRideIdle() const;
    // A guest joins or leaves the audience: the crowd filler, when there is one, seats or takes away its figures.
    void AddToCrowd(uint32_t guest);
    void RemoveFromCrowd(uint32_t guest);
    // Opinion value codes: 0 bad (0.0), 2 good (1.0), anything else 0.5.
    void AddOpinion(int32_t list, int32_t code);
    float GetOpinionMean(int32_t list) const;
    // One copy of the record to each of the building's animals, in holding order.
    void SendToAnimals(MessageRecord record);
    // An animal leaves the building (sold): out of the animal list and the path components.
    void RemoveAnimal(uint32_t animal);
    // The eat points taken by animals (indices beyond the building's points read as taken and are not kept).
    bool IsEatPointInUse(int32_t point) const;
    void SetEatPointInUse(int32_t point, bool used);

    // ---- wear, breakdown and cleaning
    // Broken down from the start (a building the world script creates broken).
    void BreakDown();
    // Breaks down: closed, the mechanics called (not when breakdowns are off or a mechanic's request is filed).
    void BreakDownByWear();
    void ResetCleanliness();
    // A cleaner has cleaned the toilet: clean again, and one more clean today; the cleans of today.
    int32_t CleanToilet();
    int32_t GetTimesCleanedToday() const { return m_NumTimesCleanedToday; }
    // A message to the player: the text id's text with the building's display name in it.
    void PostBuildingFeedback(const char* textId);

    // ---- what construction reads and writes
    const BuildingInfo& GetInfo() const { return *m_pInfo; }
    // The type's map grid; null when the tables give none.
    const MapGridInfo* GetMapGrid() const;
    GridPos m_ServeInOutGrid = {-1, -1};
    GridPos m_ServeInGrid = {-1, -1};
    GridPos m_ServeOutGrid = {-1, -1};
    GridPos m_InsideQueueGrid = {-1, -1};
    bool m_bHasOutGrid = false;

    // ---- state read by tests, tools and the panel
    QueueComponent* GetQueue() const { return m_pQueueManager.get(); }
    RideComponent* GetRide() const { return m_pRide.get(); }
    CrowdFiller* GetCrowd() const { return m_pCrowd.get(); }
    ShowScheduler* GetScheduler() const { return m_pScheduler.get(); }
    uint32_t GetAnimalPathCount() const { return static_cast<uint32_t>(m_AnimalPaths.size()); }
    const AnimalPathComponent* GetAnimalPath(uint32_t i) const
    {
        return i < m_AnimalPaths.size() ? m_AnimalPaths[i].get() : nullptr;
    }
    uint32_t GetOpenStatus() const { return m_OpenStatus; }
    bool IsUserClosed() const { return m_bUserClose; }
    uint32_t GetServerCount() const;
    uint32_t GetServer(uint32_t slot) const { return slot < kMaxStaff ? m_staff[slot] : kNoObjectID; }
    bool IsServerBusy(uint32_t slot) const { return slot < kMaxStaff && m_staff_busy[slot]; }
    int32_t GetMaleServerCount() const { return m_numMalestaff; }
    int32_t GetFemaleServerCount() const { return m_numFemalestaff; }
    uint32_t GetTableCount() const { return m_iNumTables; }
    // The ids of the building's tables and of the animals it holds.
    std::span<const uint32_t> TableIds() const { return {m_Tables, std::min(m_iNumTables, kMaxTables)}; }
    std::span<const uint32_t> AnimalIds() const
    {
        return {m_dwAnimals, std::min(static_cast<uint32_t>(std::max(m_iNumAnimals, 0)), kMaxAnimals)};
    }
    // What the animals it holds sell for together, as its demolition pays and its confirmation offers: a value that
    // is no number adds nothing.
    float GetAnimalsSaleValue() const;
    uint32_t GetTable(uint32_t index) const { return index < kMaxTables ? m_Tables[index] : kNoObjectID; }
    int32_t GetAnimalCount() const { return m_iNumAnimals; }
    float GetAnimalIntensity() const { return m_fAnimalIntensity; }
    float GetAttractionPrice() const { return m_fAttractionPrice; }
    void SetAttractionPrice(float price) { m_fAttractionPrice = price; }
    float GetCostToday() const { return m_fCostToday; }
    float GetProfitToday() const { return m_fProfitToday; }
    float GetAverageProfit() const { return m_fAverageProfit; }
    float GetProfitRecord(uint32_t day) const { return day < kProfitDays ? m_fProfitRecord[day] : 0.0f; }
    int32_t GetBuildingAge() const { return m_BuildingAge; }
    int32_t GetNumFaults() const { return m_NumFaults; }
    uint32_t GetRepairState() const { return m_RepairState; }
    float GetRideStartLevel() const { return m_fRideStartLevel; }
    void SetRideStartLevel(float level) { m_fRideStartLevel = level; }
    float GetCurrentRideStartLevel() const { return m_fCurrentRideStartLevel; }
    const std::vector<uint32_t>& GetGuestList() const { return m_GuestList; }
    const std::vector<uint32_t>& GetLeavingList() const { return m_LeavingList; }
    uint32_t GetNumRestStaff() const { return m_NumRestStaff; }
    void SetNumRestStaff(uint32_t count) { m_NumRestStaff = count; }
    uint32_t GetInstanceNumber() const { return m_iInstanceNumber; }
    int32_t GetEntranceID() const { return m_dwEntranceID; }
    int32_t GetFlagAlpha() const { return m_iFlagAlpha; }
    bool IsFlagAlphaRising() const { return m_bFlagAlphaRising; }
    bool IsSoundPlaying() const { return m_bSoundPlaying; }
    bool IsToilet() const { return m_bIsToilet; }
    bool IsRoofCut() const { return m_bRoofState; }
    float GetCleanliness() const { return m_fCleanliness; }
    float GetRepairCondition() const { return m_fRepairState; }
    // The status flags to draw, bottom first; the count.
    uint32_t GetStatusFlags(int32_t out[4]) const;

    // ---- what guests read and hold
    bool IsTooStinky() const { return m_bTooStinky; }
    // A view point (first or second set) a guest stands at; indices outside the table are never in use.
    bool IsViewPointInUse(bool second, int32_t index) const
    {
        return index >= 0 && index < kMaxViewPoints && (second ? m_bViewPoint2InUse : m_bViewPointInUse)[index];
    }
    void SetViewPointInUse(bool second, int32_t index, bool used)
    {
        if (index >= 0 && index < kMaxViewPoints)
            (second ? m_bViewPoint2InUse : m_bViewPointInUse)[index] = used;
    }

private:
    // The member a decimal keyword sets (the price, the start level); null for any other keyword.
    float* DecimalField(const char* keyword);

    // ---- lifecycle
    void CreateStaff();
    void CreateTables();
    void CreateEntrance();
    void AssignInstanceNumber();
    void PlaceModel();
    void UpdateDemolishing();
    void UpdateWorking();
    void PulseFlags(float delta);
    void UpdateSound();
    bool AdoptFixedAnimals();
    // The animal type of a slot of the building's type (ANIMAL_1 to ANIMAL_3); null for a slot it does not fill.
    const AnimalInfo* SlotAnimal(uint32_t slot) const;
    void RecomputeAnimalIntensity();
    // A map grid point placed at the footprint; false when the list has no such point.
    bool PlacePoint(const MapPointList& list, int32_t index, platform::Vec3& out) const;
    const MapPointList* WalkList(int32_t which) const;
    // The debug view: the map grid's walk, view and interest points as ground crosses, then the queue's points.
    void DrawDebugPoints() const;

    // ---- messages
    // Sends a message from the building to one receiver.
    void SendTo(uint32_t receiver, uint32_t type, uint32_t data = 0, float fData = 0.0f);
    void SendToAllHumans(uint32_t type);
    // Tells the guest the price when the building can take it now; whether it could.
    bool OfferPrice(uint32_t guest);
    void AcceptPrice(uint32_t guest);
    void BookSale(const MessageRecord& record);
    void CloseDay();
    void OnStaffCreated(const MessageRecord& record);
    void OnTableCreated(uint32_t table);
    void OnAnimalCreated(uint32_t animal);
    void OnQueuePathChanged(const MessageRecord& record);
    // The queue went bad: close, tell everyone, re-check the queue and reopen when it can.
    void CloseForBadQueue();
    // Opens (and shows the servers) when the building can open.
    void ReopenIfPossible();
    // The last animal is gone: closed until the next arrives, and an audience still waiting for its show sent off.
    void CloseForNoAnimals();
    // An audience in a show building waiting for a show that has not begun is sent off; a show under way plays to
    // its end.
    void SendOffWaitingAudience();
    // Guests at which a ride starts at the level: trunc(capacity x level), held within 0 to the capacity (a ride
    // never holds more than its capacity, and it starts when full).
    uint32_t RideStartThreshold(float level) const;
    // The ride starts, and each animal is told its show time has come.
    void StartRide();
    // Whether a message comes from where and when the building's lifecycle expects it; the others are ignored.
    bool IsExpectedStateChange(const MessageRecord& record) const;
    bool IsExpectedSender(const MessageRecord& record) const;
    // Whether the id is one of the building's servers or animals.
    bool IsOwnServer(uint32_t id) const;
    bool IsOwnAnimal(uint32_t id) const;
    // The value truncated toward zero and held within low..high, NaN counting as 0: every whole number the
    // building derives from a data or panel value goes through here.
    static long long Truncated(double value, long long low, long long high);

    // ---- wear, care and cleaning
    void ApplyWear();
    void CheckAnimalCare();
    void UseToilet();
    void OnCareMessage(const MessageRecord& record);
    void SetWaterDirtStage(int32_t stage);
    void CheckBreakdown();
    // Posts the next check of the breakdown chain, half a game day on.
    void PostBreakdownCheck();
    // Whether a check (by the number it carries) belongs to the building's one chain of checks.
    bool IsCurrentBreakdownCheck(uint32_t check) const;
    void RepairStep(uint32_t mechanic);
    void ZooStep(uint32_t keeper);
    void CallZoo();

    // ---- the panel
    void OpenMenu();
    // Closes the dialogs bound to the building.
    void CloseOwnDialogs();

    const BuildingInfo* m_pInfo;
    uint32_t m_staff[kMaxStaff] = {};
    int32_t m_numMalestaff = 0;
    int32_t m_numFemalestaff = 0;
    bool m_staff_busy[kMaxStaff] = {};
    // The guest each server was last taken by, read only while the server is busy: a guest taken out of the park
    // frees its server. Not saved: after a load it is learnt again from the guest's payment (no object until then).
    uint32_t m_staff_guest[kMaxStaff];
    std::unique_ptr<QueueComponent> m_pQueueManager;
    float m_LastMsgTime = 0.0f;
    uint32_t m_OpenStatus = kOpen;
    uint32_t m_NumRestStaff = 0;
    float m_fAttractionPrice = 0.0f;
    float m_fIncomeToday = 0.0f;
    float m_fCostToday = 0.0f;
    float m_fProfitToday = 0.0f;
    float m_fAverageProfit = 0.0f;
    int32_t m_BuildingAge = 0;
    float m_fProfitRecord[kProfitDays] = {};
    float m_fLastFaultDayTime = -1.0f;
    int32_t m_LastFaultDay = 0;
    int32_t m_NumFaults = 0;
    uint32_t m_RepairState = 0;
    bool m_bWasBroken = false;
    int32_t m_LastRepairCall = 0;
    float m_fLastRepairDayTime = -1.0f;
    int32_t m_LastRepairDay = 0;
    int32_t m_NumVisitsToday = 0;
    int32_t m_LastFailTime = 0;
    int32_t m_NumTimesCleanedToday = 0;
    bool m_bUserClose = false;
    bool m_bBuiltByUser = false;
    uint32_t m_iNumTables = 0;
    uint32_t m_Tables[kMaxTables] = {};
    bool m_bSoundPlaying = false;
    uint32_t m_SoundID = 0;
    std::unique_ptr<RideComponent> m_pRide;
    float m_fRideStartLevel = 0.5f;
    float m_fCurrentRideStartLevel = 0.5f;
    bool m_bIsToilet = false;
    bool m_bIsStaffRoom = false;
    float m_fRepairState = 1.0f;
    float m_fRepairStateOnBreakdown = 0.0f;
    char m_RepairText[32] = {};
    uint32_t m_dwAnimals[kMaxAnimals] = {};
    bool m_bEatPointUse[kMaxEatPoints] = {};
    bool m_bSleepPointUse[kMaxEatPoints] = {};
    int32_t m_iNumAnimals = 0;
    uint32_t m_dwAnimalQuantites[kMaxAnimalPaths] = {};
    uint32_t m_iAnimalsToZoo = 0;
    bool m_bZookeeperCalled = false;
    float m_fAnimalIntensity = 0.0f;
    bool m_bWaitingForAnimalEat = false;
    uint32_t m_iInstanceNumber = 0xFFFFFFFF;
    std::vector<uint32_t> m_GuestList;
    std::vector<uint32_t> m_LeavingList;
    bool m_bViewPointInUse[kMaxViewPoints] = {};
    bool m_bViewPoint2InUse[kMaxViewPoints] = {};
    std::vector<float> m_Opinions[OPINION_COUNT];
    int32_t m_dwEntranceID = -1;
    float m_fCleanliness = 1.0f;
    bool m_bTooStinky = false;
    int32_t m_iFlagAlpha = 255;
    bool m_bFlagAlphaRising = false;
    std::vector<std::unique_ptr<AnimalPathComponent>> m_AnimalPaths;
    std::unique_ptr<CrowdFiller> m_pCrowd;
    std::unique_ptr<ShowScheduler> m_pScheduler;
    bool m_bRoofState = false;
    // The building has been started (or loaded): a start is taken once.
    bool m_bStarted = false;
    // The number of the last check of the breakdown chain posted; 0 before the first.
    static constexpr uint32_t kUnknownBreakdownCheck = 0xFFFFFFFF;
    uint32_t m_BreakdownCheck = 0;
};
