// PanelData: what the data-bound panels (the variable texts and pictures, the object browser and the build panel)
// read of the park. The GUI declares it; the program above implements it over the park and hands it out through
// GuiShell::GetPanelData. Objects are named by id and looked up again whenever they are read.
#pragma once

#include "platform/WideText.h"

#include <cstdint>
#include <string>
#include <vector>

class DialogListener;

constexpr uint32_t kNoObjectId = 0xFFFFFFFF;

// One object the object browser may list, with the fields its filters and sort orders read.
struct BrowserEntry
{
    uint32_t id = kNoObjectId;
    int32_t kind = 0;     // object kind: 2 building, 3 guest, 6 mechanic, 7 cleaner, 8 zookeeper, 9 animal
    bool removed = false; // flagged for removal
    // Guests.
    int32_t gender = 0;
    float happiness = 0.0f; // guests and animals
    float cash = 0.0f;
    float toiletDesire = 0.0f;
    enum GuestOpinion
    {
        GO_BEAUTY = 0,
        GO_QUEUING = 1,
        GO_WELFARE = 2,
        GO_PRICE = 3,
        GO_VARIETY = 4,
        GO_CLEANLINESS = 5,
    };
    float opinion[6] = {};
    // Buildings.
    float incomeToday = 0.0f;
    float costToday = 0.0f;
    float profitToday = 0.0f;
    float averageProfit = 0.0f;
    float repairState = 1.0f;
    uint32_t age = 0;
    uint32_t faults = 0;
    int32_t visitsToday = 0;
    bool staffRoom = false;
    bool userBuild = false;
    bool open = false;
    int32_t category = 0; // first attraction category
    // Animals: food, cleanliness, crowding.
    float animalOpinion[3] = {};
    // Staff.
    bool sacked = false;
    // The name the alphabetical orders compare: "BUILDING_NAME", "ANIMAL_NAME" or "STAFF_JOB_TITLE".
    platform::WString name;
};

// A building record as the build panel reads it.
struct BuildRecord
{
    int32_t type = 0; // 0 animal, 1 ride, 2 food, 3 park
    bool inBuildPanel = false;
    int32_t thumbFrame = 0;
    std::string keyword;
    int32_t cost = 0;
    int32_t category = 0; // first attraction category
    float intensity = 0.0f;
    std::string requirement; // the building type that must stand first ("ENTRANCE", "NONE" or empty: none)
};

// A scenery record as the build panel reads it.
struct SceneryRecord
{
    int32_t category = 0; // 1 paths
    bool available = false;
    int32_t pathStyle = 0;
    int32_t thumbFrame = 0;
    std::string keyword;
    float rating = 0.0f; // 0 to 1
    int32_t cost = 0;    // whole dollars
};

// The text ids of the park's scenario that the variable texts show.
enum PanelTextId : int32_t
{
    PT_PARK_TITLE = 0,
    PT_SCENARIO_TITLE,
    PT_SCENARIO_DESCRIPTION,
    PT_SCENARIO_OBJECTIVES,
    PT_OBJECTIVE, // objective n
};

// The park figures the variable texts and pictures show.
enum PanelFigure : int32_t
{
    PF_CASH = 0,
    PF_NUM_GUESTS,
    PF_DAY_TIME, // hours, 0 to 24
    PF_GAME_DAY, // 0 on the first day
    PF_PARK_RATING,
    PF_BEAUTY,
    PF_WELFARE,
    PF_ANIMAL_HAPPY,
    PF_OBJECTIVE_COUNT,
    PF_LITTER_COUNT,
    PF_BUILDING_COUNT,
    PF_STAFF_COUNT,
    PF_MECHANIC_COUNT,
    PF_CLEANER_COUNT,
    PF_SCENERY_COUNT,
    PF_INCOME_TODAY,
    PF_DEMOLISH_INCOME_TODAY,
    PF_ATTRACT_INCOME_TODAY,
    PF_RETAIL_INCOME_TODAY,
    PF_COSTS_TODAY,
    PF_CONSTRUCT_COST_TODAY,
    PF_WAGES_COST_TODAY,
    PF_STOCK_COST_TODAY,
    PF_SCENERY_COST_TODAY,
    PF_AVERAGE_PROFIT,
    PF_AVERAGE_COST,
    PF_AVERAGE_INCOME,
    PF_BUILDINGS_CONSTRUCTED,
    PF_DIFF_BUILDINGS_CONSTRUCTED,
    PF_LOWEST_GUEST_AVERAGE,
    PF_ANIMAL_INCOME_TOTAL,
    // The pairs of guest counts (the first and the second of each pair).
    PF_ARRIVE_TODAY_0,
    PF_ARRIVE_TODAY_1,
    PF_ARRIVE_TOTAL_0,
    PF_ARRIVE_TOTAL_1,
    PF_DEPART_TODAY_0,
    PF_DEPART_TODAY_1,
    PF_DEPART_TOTAL_0,
    PF_DEPART_TOTAL_1,
    PF_UNHAPPY_TODAY_0,
    PF_UNHAPPY_TODAY_1,
    PF_UNHAPPY_TOTAL_0,
    PF_UNHAPPY_TOTAL_1,
    // Guests of gender 0 and 1, counted over the guest pool.
    PF_GUESTS_GENDER_0,
    PF_GUESTS_GENDER_1,
    // Buildings standing (not being demolished): staff rooms and animal exhibits.
    PF_STAFFROOMS,
    PF_ANIMAL_EXHIBITS,
    // Today's visits to the finished show buildings "KAIKOADV".
    PF_KAIKOADV_VISITS,
    PF_ANIMAL_INCOME_TODAY,
    PF_UNBUILT_AFTER_STARTUP,
    PF_BUILDINGS_LEFT_TO_BUILD,
    PF_VERSION,
    PF_SANDBOX, // 1 in a sandbox game
    PF_SCENARIO_NUMBER,
    PF_RIDES_BUILT,     // buildings standing whose type is a ride
    PF_AMUSEMENT_BUILT, // buildings standing whose type is an amusement
    PF_COUNT
};

class PanelData
{
public:
    virtual ~PanelData() = default;

    // ---- the object browser's pools (in slot order; objects flagged for removal included, marked)
    virtual void ListGuests(std::vector<BrowserEntry>& out) = 0;
    virtual void ListBuildings(std::vector<BrowserEntry>& out) = 0;
    // Mechanics, cleaners and zookeepers, in slot order.
    virtual void ListStaff(std::vector<BrowserEntry>& out) = 0;
    virtual void ListAnimals(std::vector<BrowserEntry>& out) = 0;
    // The object of that id, null once it is gone.
    virtual DialogListener* FindObject(uint32_t id) = 0;
    // The id of an object the panels were given; kNoObjectId for one that is no park object.
    virtual uint32_t GetObjectId(DialogListener* object) = 0;
    // Opens the panel of the object (its OnSelected).
    virtual void OpenObjectPanel(uint32_t id) = 0;
    // The animal ids of a building (false when the object is no building).
    virtual bool GetBuildingAnimals(DialogListener* building, std::vector<uint32_t>& out) = 0;
    // The number of buildings a guest visited (0 for another object).
    virtual int32_t GetVisitCount(DialogListener* guest) = 0;
    // The number of animal kinds a building offers that need no unlocking.
    virtual int32_t GetAvailableAnimalCount(DialogListener* building) = 0;

    // ---- figures
    virtual bool GetFigure(PanelFigure figure, double* value) = 0;
    // Objective n's state (0, 1 met, 2 failed); -1 outside the objectives.
    virtual int32_t GetObjectiveState(int32_t n) = 0;

    // ---- the build panel
    virtual int32_t GetBuildingRecordCount() = 0;
    virtual bool GetBuildingRecord(int32_t index, BuildRecord* out) = 0;
    virtual int32_t GetSceneryRecordCount() = 0;
    virtual bool GetSceneryRecord(int32_t index, SceneryRecord* out) = 0;
    virtual bool CheckBuildRequirement(int32_t index) = 0;
    virtual bool IsBuildTypeAtLimit(int32_t index) = 0;
    virtual bool CanBuildType(int32_t index) = 0;
    virtual int32_t CountBuildings(int32_t index) = 0;
    virtual int32_t CountFinishedBuildings(int32_t index) = 0;

    // ---- scenario texts: the text id (empty without one)
    virtual std::string GetTextId(PanelTextId /*which*/, int32_t /*n*/) { return {}; }

    // ---- photos: the object's kind (as in BrowserEntry; -1 for no park object) and a guest's photo frame (-1 for
    // no guest)
    virtual int32_t GetObjectKind(DialogListener* /*object*/) { return -1; }
    virtual int32_t GetGuestPhotoFrame(DialogListener* /*object*/) { return -1; }
    // The photo frame of an animal's species (-1 for no animal, or a species without a photo).
    virtual int32_t GetAnimalPhotoFrame(DialogListener* /*object*/) { return -1; }

    // ---- rescues: the danger sprite of the offered mission (team -1) or of rescue team `team`'s mission; empty
    // when none is offered or the team is not out. The offered mission's location; false when none is offered.
    virtual std::string GetRescueSprite(int32_t /*team*/) { return {}; }
    virtual bool GetRescueLocation(int32_t* /*x*/, int32_t* /*y*/) { return false; }
};

// The shell's panel data, or null (no GUI manager, no shell, no park).
PanelData* GetPanelData();
