// The gameplay table records read from the data scripts: building types, map grids, guests, staff, scenery,
// animals, research, rescue, show moves, training entries, name lists, the anim list and the show list.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

class SerialStream;
struct MapGridInfo;

// Every record of a declared table begins with its id (its index in the table, in declaration order over all
// files) and its keyword (NUL-terminated; the array size is the keyword's width). A field that no data line sets
// is 0, 0.0, empty or false.

// Attraction categories (ATTRACT_CAT_1) and the attraction class (build-panel group) each one gives.
enum AttractionCategory : int32_t
{
    kAttractNone = 0,
    kAttractAmusement = 1,
    kAttractAnimal = 2,
    kAttractSnacks = 3,
    kAttractMeals = 4,
    kAttractPark = 5,
    kAttractRetail = 6,
    kAttractRide = 7,
    kAttractToilet = 8,
    kAttractShow = 9,
    kAttractCash = 10,
};

// The build-panel groups (a building type's attraction class).
enum AttractionClass : int32_t
{
    kClassAnimal = 0,
    kClassRide = 1,
    kClassFood = 2,
    kClassPark = 3,
};

enum RideType : int32_t
{
    kRideNone = 0,
    kRideTime = 1,
    kRideAnim = 2,
    kRideAnimalShow = 3,
};

struct BuildingInfo
{
    static constexpr int kAnimalSlots = 3;

    int32_t id;
    char keyword[32];
    char szMenu[32];                    // MENU: build menu name
    bool bMenuAttach;                   // MENU_ATTACH
    int32_t iIcon;                      // ICON: the type's frame in the build-panel thumbnail sprites
    int32_t iAttractClass;              // derived from ATTRACT_CAT_1: the build-panel group (AttractionClass)
    int32_t iCost2Build;                // COST2BUILD, whole dollars
    int32_t iGridWidth;                 // the map grid's WIDTH, copied when the grids are linked
    int32_t iGridHeight;                // the map grid's HEIGHT, copied when the grids are linked
    int32_t iGuestCapacity;             // GUESTCAPACITY (for staff rooms: the staff who may rest inside)
    int32_t iMaxInstances;              // MAXINSTANCES, 0 for no limit
    int32_t iAttractCategory;           // ATTRACT_CAT_1 (AttractionCategory)
    float fAttractBaseIntensity;        // ATTRACT_BASE_INTEN_1: the intensity, 0 to 1
    float fAttractPrice;                // ATTRACT_PRICE_1
    float fAttractCost;                 // ATTRACT_COST_1
    char szAttractID[24];               // ATTRACT_ID_1
    int32_t iAnimalSlotCount;           // ANIMAL_n lines given, at most kAnimalSlots
    char szAnimal[kAnimalSlots][16];    // ANIMAL_1..ANIMAL_3: animal species keywords
    int32_t iAnimalFixed[kAnimalSlots]; // ANIMAL_1_FIXED..ANIMAL_3_FIXED
    bool bHasAnimals;                   // set by any ANIMAL_n line
    float fOptimumAnimalIn;             // OPTIMUM_ANIMAL_IN
    float fMaximumAnimalIn;             // MAXIMUM_ANIMAL_IN
    int32_t iHasStaff;                  // HAS_STAFF, 1 or 0: the number of servers the building hires
    char szTree[64];          // TREE: keyword of the building type that must stand first ("NONE" or "ENTRANCE": none)
    bool bServeAtOnce;        // SERVE_AT_ONCE
    float fServeTimeMin;      // SERVE_TIME_MIN
    float fServeTimeMax;      // SERVE_TIME_MAX
    char szStaffID[32];       // STAFF_ID: staff type keyword of the servers
    MapGridInfo* pMapGrid;    // the type's map grid, linked after loading (map grid 0 when it has none of its own)
    int32_t iRideType;        // RIDE_TYPE (RideType)
    char szRideModel[16];     // RIDE_MODEL
    char szRideAnim[24];      // RIDE_ANIM ("NONE" for none)
    bool bCovered;            // ROOF_TYPE "COVERED"
    bool bCutawayRoof;        // CUTAWAY_ROOF
    bool bHasCrowd;           // HAS_CROWD
    bool bUserBuild;          // USER_BUILD: the type is offered in the build panel
    bool bCanBreakdown;       // CAN_BREAKDOWN
    float fRepairDecay;       // REPAIR_DECAY
    bool bShowEnter;          // SHOWENTER
    char szTableModel[20];    // TABLE_MODEL
    bool bNeedsUnlocking;     // NEEDS_UNLOCKING: locked until research clears it
    bool bFollowGuest;        // FOLLOW_GUEST: the camera may keep following a guest inside
    bool bHasScheduler;       // HAS_SCHEDULER
    char szShowName[27];      // SHOW_NAME: key into the show list
    int32_t iMaxShowMoves;    // MAX_SHOWMOVES
    int32_t iMinShowMoves;    // MIN_SHOWMOVES
    char szViewPoint[24];     // VIEWPOINT: animation name at the first view points
    int32_t iViewPointCount;  // VIEWPOINT_COUNT
    char szViewPoint2[24];    // VIEWPOINT2: animation name at the second view points
    int32_t iViewPointCount2; // VIEWPOINT_COUNT2
    bool bKeepGuests;         // KEEP_GUESTS: guests leaving early stay in the building's lists
    bool bUpgraded;           // set by research (staff rooms); no data line sets it

    // The available flag of the build tools: a type is available once nothing locks it.
    bool IsAvailable() const { return !bNeedsUnlocking; }
    // Whether another building must stand first: a TREE line naming one (absent or "NONE" names none).
    bool NeedsBuildingFirst() const { return szTree[0] != '\0' && std::strcmp(szTree, "NONE") != 0; }
};

// One point of a map grid's point list, in map units.
struct MapPoint
{
    float x;
    float y;
};

// A point list of a map grid: room for the number of points its NUM_ line gave, and the points given so far.
struct MapPointList
{
    std::vector<MapPoint> points; // size: the room the NUM_ line gave
    int32_t count = 0;            // points completed (Y lines), never more than the room

    const MapPoint& operator[](int32_t i) const { return points[static_cast<size_t>(i)]; }
};

enum MapPointListIndex : int32_t
{
    kInWalkPoints = 0,
    kOutWalkPoints,
    kSpawnPoints,
    kEatPoints,
    kEatNodes,
    kStaffPoints,
    kTablePoints,
    kViewPoints,
    kViewPoints2,
    kThruWalkPoints,
    kMechInPoints,
    kMechOutPoints,
    kZooInPoints,
    kZooOutPoints,
    kInterestPoints,
    kMapPointListCount,
};

// Flag grid cell codes (FLAGROW) and base plate codes (BASEPLATEROW).
enum MapCellCode : uint32_t
{
    kCellBlocked = 0x2,  // S
    kCellIn = 0x4,       // I
    kCellOut = 0x8,      // O
    kCellPath = 0x80,    // P
    kCellBody = 0x100,   // L
    kCellQueue = 0x110,  // Q
    kCellEntry = 0x120,  // E
    kCellAnimal = 0x140, // A
    kPlateTile = 0x1,    // T
    kPlateCover = 0x200, // C
};

struct MapGridInfo
{
    static constexpr int kGridSize = 45;
    // A footprint with its one-cell ring must fit the grid.
    static constexpr int kMaxFootprint = kGridSize - 2;

    int32_t id = 0;
    char keyword[64] = {};
    int32_t iWidth = 0;  // WIDTH, footprint width in cells
    int32_t iHeight = 0; // HEIGHT, footprint height in cells
    // Cell (x, y) is [x][y]: x the character position in a row's value, y the row number.
    uint32_t flags[kGridSize][kGridSize] = {};
    float heights[kGridSize][kGridSize] = {};
    uint32_t basePlate[kGridSize][kGridSize] = {};
    MapPointList lists[kMapPointListCount];

    const MapPointList& List(MapPointListIndex which) const { return lists[which]; }
};

enum Gender : int32_t
{
    kMale = 0,
    kFemale = 1,
};

struct GuestInfo
{
    int32_t id;
    char keyword[32];
    char szModel[20];    // MODEL
    char szAnimName[24]; // ANIM_NAME: the anim list owner name
    int32_t iGender;     // GENDER "M" or "F" (Gender)
    float fMoney;        // MONEY
    float fLitter;       // LITTER
    float fBladder;      // BLADDER
    float fMealsDesireMin, fMealsDesireMax;
    float fSnacksDesireMin, fSnacksDesireMax;
    float fRestDesireMin, fRestDesireMax;
    float fAnimalShowDesireMin, fAnimalShowDesireMax;
    float fAnimalAttracDesireMin, fAnimalAttracDesireMax;
    float fAmuseDesireMin, fAmuseDesireMax;
    float fRideDesireMin, fRideDesireMax;
    float fRetailDesireMin, fRetailDesireMax;
    float fMealsPrefInten;
    float fSnacksPrefInten;
    float fAnimalAttractPrefInten;
    float fAnimalShowPrefInten;
    float fAmusePrefInten;
    float fRidePrefInten;
    float fRetailPrefInten;
    float fBeautyEffectBad, fBeautyEffectGood;
    float fCrowdEffectBad, fCrowdEffectGood;
    float fAnimalEffectBad, fAnimalEffectGood;
    float fPriceEffectBad, fPriceEffectGood;
    float fVarietyEffectBad, fVarietyEffectGood;
    float fCleanEffectBad, fCleanEffectGood;
    float fBeautyTolLow, fBeautyTolHigh;
    float fAnimalTolLow, fAnimalTolHigh;
    float fPriceTolLow, fPriceTolHigh;
    float fCleanTolLow, fCleanTolHigh;
    int32_t iPhotoFrame; // PHOTO_FRAME
};

// First names and surnames given to guests and staff; each name is a text id of up to 63 characters.
struct NameLists
{
    static constexpr int kNameSize = 64;
    static constexpr int kMaxMaleNames = 140;
    static constexpr int kMaxFemaleNames = 140;
    static constexpr int kMaxSurnames = 600;

    char maleNames[kMaxMaleNames][kNameSize];
    char femaleNames[kMaxFemaleNames][kNameSize];
    char surnames[kMaxSurnames][kNameSize];
    uint32_t numMaleNames;
    uint32_t numFemaleNames;
    uint32_t numSurnames;
};

// Staff type numbers kept by the staff objects.
enum StaffTypeNumber : int32_t
{
    kStaffServer = 0,
    kStaffCleaner = 5,
    kStaffZooKeeper = 6,
    kStaffMechanic = 7,
};

struct StaffInfo
{
    int32_t id;
    char keyword[32];
    int32_t iGender;     // Gender
    int32_t iStaffType;  // StaffTypeNumber
    char szModel[20];    // model name
    char szAnimName[24]; // anim list owner name
    int32_t iWage;       // whole dollars: per game hour, for servers per game day
};

enum SceneryCategory : int32_t
{
    kSceneryFurniture = 0,
    kSceneryPaths = 1,
    kSceneryPlants = 2,
    kSceneryOrnaments = 3,
    kSceneryTrees = 4,
    kSceneryShrubs = 5,
    kSceneryBillboard = 6,
    kSceneryOther = 7,
};

// Cell kinds a scenery type may stand on (BUILDON); the same bits as the world map's cell flags.
enum SceneryBuildOn : uint32_t
{
    kBuildOnLand = 0x1,
    kBuildOnPath = 0x10000000,
    kBuildOnQueue = 0x40000000,
};

enum ScenePathFlag : int32_t
{
    kNotPath = 0,
    kFootPath = 1,  // laid over a dragged rectangle
    kQueuePath = 2, // laid piece by piece
};

struct SceneryInfo
{
    int32_t id;
    char keyword[32];
    char szModel[32];    // MODEL
    int32_t iCategory;   // CATEGORY (SceneryCategory)
    int32_t iGridWidth;  // GRIDWIDTH
    int32_t iGridHeight; // GRIDHEIGHT
    int32_t iCost2Build; // COST2BUILD, whole dollars
    uint32_t uBuildOn;   // BUILDON lines (SceneryBuildOn)
    bool bCollide;       // COLLIDE: a number other than 0
    int32_t iCapacity;   // CAPACITY: litter a bin holds
    bool bMenu;          // MENU: the item has a panel
    int32_t iIcon;       // ICON: the type's frame in the build-panel thumbnail sprites
    float fRating;       // RATING, 0 to 1
    bool bClean;         // CLEAN: a bin that wants emptying
    bool bWater;         // WATER: a plant to water
    int32_t iPathFlag;   // PATHFLAG (ScenePathFlag): the path style of the path tools
    bool bUserRemove;    // USERREMOVE: the bulldozer may remove it
    bool bVegFlag;       // VEGFLAG: vegetation the scenery brush may scatter
    bool bIsLitter;      // ISLITTER
    bool bActive;        // ACTIVE: available in the build panel (research sets it)
    bool bPlaceAuto;     // PLACE_MODE "Auto"
    bool bIsBench;       // ISBENCH
    bool bSetFlags;      // SET_FLAGS
    float fBeauty;       // BEAUTY: what the item adds to the beauty of the cells around it
    bool bRail;          // RAIL: a rail piece placed on path edges
};

struct AnimalInfo
{
    int32_t id;
    char keyword[32];
    char szAnimName[24]; // ANIM_NAME
    float fCost;         // COST
    float fIntensity;    // INTENSITY
    float fRestDesireIllLow, fRestDesireIllHigh;
    float fRestDesireSadLow, fRestDesireSadHigh;
    float fRestDesireHappyLow, fRestDesireHappyHigh;
    float fPlayDesireIllLow, fPlayDesireIllHigh;
    float fPlayDesireSadLow, fPlayDesireSadHigh;
    float fPlayDesireHappyLow, fPlayDesireHappyHigh;
    float fFoodDecay;     // FOOD_DECAY
    float fMoveDelay;     // MOVE_DELAY
    char szToSleep[16];   // TO_SLEEP
    char szToEat[16];     // TO_EAT
    float fMoveSpeed;     // MOVE_SPEED
    bool bMoveMultiple;   // MOVE_MULTIPLE
    int32_t iEatCount;    // EAT_COUNT
    int32_t iPlayCount;   // PLAY_COUNT
    int32_t iRestCount;   // REST_COUNT
    int32_t iGazNumber;   // GAZ_NUMBER
    bool bUsePoints;      // USEPOINTS
    bool bNeedsUnlocking; // NEEDS_UNLOCKING
    int32_t iMoveAnims;   // MOVE_ANIMS
    int32_t iEatAnims;    // EAT_ANIMS
    int32_t iPlayAnims;   // PLAY_ANIMS
    int32_t iRestAnims;   // REST_ANIMS
    bool bNoPathAnims;    // true until one of the four animation counts is set to a number other than 0
    int32_t iNumPaths;    // NUM_PATHS
    bool bMatchMesh;      // MATCH_MESH
    bool bShowAnimal;     // SHOW_ANIMAL
    char szSoundName[18]; // SOUND_NAME ("NONE" for none)
    // PHOTO_FRAME: the species' frame of the animal photos; -1 (not given) for none.
    int32_t iPhotoFrame = -1;
};

enum ResearchType : int32_t
{
    kResearchScenery = 0,
    kResearchStaffRecovery = 1,
    kResearchStaffTraining = 2,
    kResearchAttraction = 3,
    kResearchRescueTeams = 4,
    kResearchUnlockAnimal = 5,
};

struct ResearchInfo
{
    int32_t id;
    char keyword[16];
    char szEffectKeyword[16]; // EFFECT_KEYWORD
    char szCompleteMess[20];  // COMPLETEMESS
    float fCost;              // COST
    int32_t iType;            // TYPE (ResearchType)
    float fArgument;          // ARGUMENT
    float fArgument2;         // ARGUMENT2
};

enum RescueType : int32_t
{
    kRescueInSitu = 0,
    kRescueOnLocation = 1,
    kRescueBackToBase = 2,
};

struct RescueInfo
{
    int32_t id;
    char keyword[24];
    int32_t iLocationX;         // LOCATION_X
    int32_t iLocationY;         // LOCATION_Y
    float fCost;                // COST
    char szInitDescription[24]; // INIT_DESCRIPTION
    char szReport1[24];         // REPORT_1
    char szReport2[24];         // REPORT_2
    char szRecoveryMessage[24]; // RECOVERY_MESSAGE
    char szLocation[24];        // LOCATION
    char szAnimalName[24];      // ANIMAL_NAME
    char szDangerSprite[24];    // DANGER_SPRITE
    int32_t iTransDelay;        // TRANS_DELAY
    int32_t iRecoverDelay;      // RECOVER_DELAY
    int32_t iSiteDelay;         // SITE_DELAY
    float fAnimalCost;          // ANIMAL_COST
    int32_t iType;              // TYPE (RescueType)
};

enum ShowMoveDifficulty : int32_t
{
    kMoveEasy = 0,
    kMoveMedium = 1,
    kMoveHard = 2,
};

struct ShowMoveInfo
{
    static constexpr int kMaxAnims = 5;

    int32_t ID = 0;
    char Keyword[32] = {};
    char cTitle[24] = {};                // TITLE: text id of the move's name
    char cDescription[24] = {};          // DESCRIPTION
    char cShowName[24] = {};             // SHOW
    bool bNeedsUnlocking = false;        // UNLOCKING
    char cSprite[24] = {};               // MOVE_SPRITE ("NONE" for none)
    int32_t NumAnims = 0;                // animation names held, 0 to kMaxAnims
    char cMoveAnims[kMaxAnims][24] = {}; // ANIM1..ANIM5 in the order given
    int32_t DiffcultyLevel = 0;          // DIFFICULTY (ShowMoveDifficulty)

    // The record in the typed save stream (a show scheduler's saved programme).
    void Dump(SerialStream& stream) const;
    // Reads what Dump wrote; false when the stream failed or the record read is damaged.
    bool Load(SerialStream& stream);
};

struct TrainingInfo
{
    int32_t id;
    char keyword[32];        // "TRAIN" and the show move's keyword
    char szTrainMove[24];    // TRAIN_MOVE
    char szKeySequence[248]; // KEY_SEQUENCE: '1' to '4' and 'x'
};

// One entry of the anim list: the animation files of one animation of one model or type.
struct AnimListEntry
{
    static constexpr int32_t kMaxFiles = 100; // numbered 00 to 99
    // The most files the entries of one owner name together: an object loads at most this many animations.
    static constexpr int32_t kMaxOwnerFiles = 1024;

    char szOwner[24];    // the model or type name whose animation this is
    char szAnimName[24]; // the name the object plays it by
    char szFileStem[24]; // files "<stem>_00" to "<stem>_<count-1>"
    int32_t iFileCount;  // 0 to kMaxFiles
};

// One entry of the show list: a move of a show's programme, in file order.
struct ShowListEntry
{
    char szShowName[24];
    int32_t iShowMoveID;
};

// The sounds of a show's training game.
struct TrainingSoundInfo
{
    static constexpr int kKeySounds = 5;

    const char* szCountdown = nullptr;
    int32_t iNumKeySounds = 0;
    const char* szKeySounds[kKeySounds] = {};
    const char* szWrongKey = nullptr;
    const char* szLose = nullptr;
    const char* szWin = nullptr;
    const char* szTraining = nullptr;
    const char* szRide = nullptr;
};
