// WorldParams: every gameplay table of the park, read once from the data scripts when a world is built.
#pragma once

#include "scripts/RecordTable.h"
#include "scripts/WorldParamsRecords.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace datascript
{
class QuotedText;
}

// The tables are filled by the constructor from the data scripts in "data\script" and then only read, except for
// the unlock flags that research changes. Records are reached by id (their index) or by keyword.
//
// Every lookup by keyword has two forms: Get...ID reports a keyword that is missing and gives 0, the id of the
// first record, as stored game data expects; Find... is silent and gives kNotFound, so a caller can tell "none"
// from the first record. Every accessor by id checks the range: an id outside the table is reported and gives a
// zero-filled record that belongs to no id.
class WorldParams
{
public:
    static constexpr int32_t kNotFound = -1;

    static constexpr uint32_t kMaxBuildings = 55;
    static constexpr uint32_t kMaxMapGrids = 55;
    static constexpr uint32_t kMaxGuests = 9;
    static constexpr uint32_t kMaxStaff = 10;
    static constexpr uint32_t kMaxScenery = 70;
    static constexpr uint32_t kMaxAnimals = 20;
    static constexpr uint32_t kMaxResearch = 42;
    static constexpr uint32_t kMaxRescue = 30;
    static constexpr uint32_t kMaxShowMoves = 50;
    static constexpr uint32_t kMaxTraining = 50;

    // A token's prefix longer than this is refused.
    static constexpr size_t kMaxPrefix = 255;
    // The most points one NUM_ line of a map grid may make room for: one per cell of the grid.
    static constexpr int32_t kMaxMapPoints = MapGridInfo::kGridSize * MapGridInfo::kGridSize;

    static constexpr int kGuestIconCount = 12;
    static constexpr int kBuildingFlagCount = 4;

    static constexpr const char* kBuildingsFile = "data\\script\\mrvbuildings.pis";

    // Empty, zero-filled tables; sets g_pWorldParams. The load steps below fill them.
    WorldParams();
    // Builds and loads everything: the buildings file, the scenery, guest, guest list, animal, research, rescue,
    // map grid, show move and training files in that order, then the map grid links, the built-in staff, the anim
    // list, the show list and the icon textures.
    WorldParams(const char* buildingsFile, const char* guestListFile);
    // Frees everything and clears g_pWorldParams.
    ~WorldParams();
    WorldParams(const WorldParams&) = delete;
    WorldParams& operator=(const WorldParams&) = delete;

    // Load steps.
    // Reads the file's ".ble" form and processes it; a missing or empty file is skipped without a message.
    void LoadGameplayFile(const char* fileName);
    // The data-script grammar over buffer[0, size), which it overwrites; never reads or writes past it.
    void Process(char* buffer, uint32_t size);
    // Links every building type to the map grid named "MAP" and its keyword (map grid 0 when there is none).
    void LinkMapGrids();
    void AddBuiltInStaff();
    void LoadAnimList(const char* fileName);
    void LoadShowList(const char* fileName);
    void LoadTextures();

    // Declarations (false when refused: table full or keyword too long, both reported) and field lines.
    bool AddBuilding(const char* keyword);
    void AddBuildingData(int32_t id, const char* field, const char* value);
    bool AddMapGrid(const char* keyword);
    void AddMapGridData(int32_t id, const char* field, const char* value);
    bool AddGuest(const char* keyword);
    void AddGuestData(int32_t id, const char* field, const char* value);
    void AddNameData(std::string_view list, const char* name);
    bool AddStaff(const char* keyword, const char* gender, const char* staffType, const char* model,
                  const char* animName, int32_t wage);
    bool AddScenery(const char* keyword);
    void AddSceneryData(int32_t id, const char* field, const char* value);
    bool AddAnimal(const char* keyword);
    void AddAnimalData(int32_t id, const char* field, const char* value);
    bool AddResearch(const char* keyword);
    void AddResearchData(int32_t id, const char* field, const char* value);
    bool AddRescue(const char* keyword);
    void AddRescueData(int32_t id, const char* field, const char* value);
    bool AddShowMove(const char* keyword);
    void AddShowMoveData(int32_t id, const char* field, const char* value);
    bool AddTraining(const char* keyword);
    void AddTrainingData(int32_t id, const char* field, const char* value);

    // Keyword lookups, first exact match in id order.
    int32_t GetBuildingID(const char* keyword) const;
    int32_t GetStaffID(const char* keyword) const;
    int32_t GetGuestID(const char* keyword) const;
    int32_t GetAnimalID(const char* keyword) const;
    int32_t GetResearchID(const char* keyword) const;
    int32_t GetRescueID(const char* keyword) const;
    int32_t GetShowMoveID(const char* keyword) const;
    int32_t GetTrainingID(const char* keyword) const;
    // These two give 0 without a report.
    int32_t GetMapGridID(const char* keyword) const;
    int32_t GetSceneryID(const char* keyword) const;

    int32_t FindBuilding(std::string_view keyword) const { return m_buildings.Find(keyword); }
    int32_t FindMapGrid(std::string_view keyword) const { return m_mapGrids.Find(keyword); }
    int32_t FindGuest(std::string_view keyword) const { return m_guests.Find(keyword); }
    int32_t FindStaff(std::string_view keyword) const { return m_staff.Find(keyword); }
    int32_t FindScenery(std::string_view keyword) const { return m_scenery.Find(keyword); }
    int32_t FindAnimal(std::string_view keyword) const { return m_animals.Find(keyword); }
    int32_t FindResearch(std::string_view keyword) const { return m_research.Find(keyword); }
    int32_t FindRescue(std::string_view keyword) const { return m_rescue.Find(keyword); }
    int32_t FindShowMove(std::string_view keyword) const { return m_showMoves.Find(keyword); }
    int32_t FindTraining(std::string_view keyword) const { return m_training.Find(keyword); }

    bool IsBuildingKeyword(std::string_view prefix) const { return FindBuilding(prefix) != kNotFound; }
    bool IsMapGridKeyword(std::string_view prefix) const { return FindMapGrid(prefix) != kNotFound; }
    bool IsGuestKeyword(std::string_view prefix) const { return FindGuest(prefix) != kNotFound; }
    bool IsSceneryKeyword(std::string_view prefix) const { return FindScenery(prefix) != kNotFound; }
    bool IsAnimalKeyword(std::string_view prefix) const { return FindAnimal(prefix) != kNotFound; }
    bool IsResearchKeyword(std::string_view prefix) const { return FindResearch(prefix) != kNotFound; }
    bool IsRescueKeyword(std::string_view prefix) const { return FindRescue(prefix) != kNotFound; }
    bool IsShowMoveKeyword(std::string_view prefix) const { return FindShowMove(prefix) != kNotFound; }
    bool IsTrainingKeyword(std::string_view prefix) const { return FindTraining(prefix) != kNotFound; }
    static bool IsNameKeyword(std::string_view prefix);

    // Records by id.
    BuildingInfo& GetBuildingInfo(int32_t id);
    MapGridInfo& GetMapGridInfo(int32_t id);
    GuestInfo& GetGuestInfo(int32_t id);
    StaffInfo& GetStaffInfo(int32_t id);
    SceneryInfo& GetSceneryInfo(int32_t id);
    AnimalInfo& GetAnimalInfo(int32_t id);
    ResearchInfo& GetResearchInfo(int32_t id);
    RescueInfo& GetRescueInfo(int32_t id);
    ShowMoveInfo& GetShowMoveInfo(int32_t id);
    TrainingInfo& GetTrainingInfo(int32_t id);

    uint32_t GetBuildingCount() const { return m_buildings.Count(); }
    uint32_t GetStaffCount() const { return m_staff.Count(); }
    uint32_t GetGuestCount() const { return m_guests.Count(); }
    uint32_t GetAnimalCount() const { return m_animals.Count(); }
    uint32_t GetSceneryCount() const { return m_scenery.Count(); }
    uint32_t GetResearchCount() const { return m_research.Count(); }
    uint32_t GetRescueCount() const { return m_rescue.Count(); }
    uint32_t GetMapGridCount() const { return m_mapGrids.Count(); }
    uint32_t GetShowMoveCount() const { return m_showMoves.Count(); }
    uint32_t GetTrainingCount() const { return m_training.Count(); }

    // ATTRACT_CAT_1 word to category (0 for any other word), and the attraction class of a category 1 to 10.
    static int32_t GetAttractionCategory(const char* value);
    static int32_t GetAttractionClass(int32_t category);

    // Names.
    const NameLists& GetNameLists() const { return *m_pNames; }
    // A first name (male list for gender 0, female list otherwise) or a surname at a random index; the empty
    // text, reported once per list, while the list is empty.
    const char* GetRandomFirstName(int32_t gender);
    const char* GetRandomSurname();

    // Anim list, show list, show moves and training sounds.
    // Appends every anim-list entry of that owner, in file order; the entries stay owned by the tables.
    void GetAnimList(const char* owner, std::vector<const AnimListEntry*>& list) const;
    // Appends a copy of every show move of that show, in id order.
    void GetShowMoves(const char* showName, std::vector<ShowMoveInfo>& moves) const;
    // Appends the show-move id of every show-list entry of that show, in file order.
    void GetShowMoveIDs(const char* showName, std::vector<int32_t>& ids) const;
    // Fills the sounds of the show's training game (name compared without regard to case); false, with the
    // record untouched and a report, for a show that has none.
    bool GetTrainingSoundInfo(const char* showName, TrainingSoundInfo& info) const;
    const std::vector<AnimListEntry>& GetAnimListEntries() const { return m_animList; }
    const std::vector<ShowListEntry>& GetShowListEntries() const { return m_showList; }

    // Textures from the texture manager; 0 for a number out of range (reported).
    uint32_t GetGuestIconTexture(int32_t n) const;
    uint32_t GetBuildingFlagTexture(int32_t n) const;

    // Model folders and extension.
    static const char* GetBuildingModelPath() { return "Data/Models/D_Ezize"; }
    static const char* GetGuestModelPath() { return "Data/Models/D_Ezize/Characters/"; }
    static const char* GetStaffModelPath() { return "Data/Models/D_Ezize/Characters/Staff/"; }
    static const char* GetCrowdModelPath() { return "Data/Models/D_Ezize/Characters/"; }
    static const char* GetAnimalModelPath() { return "Data/Models/D_Ezize/Characters/Animals/"; }
    static const char* GetRideModelPath() { return "Data/Models/D_Ezize"; }
    static const char* GetSceneryModelPath() { return "Data/Models/D_Ezize/Scenery"; }
    static const char* GetShowModelPath() { return "Data/Models/D_Ezize/Shows/"; }
    static const char* GetModelExtension() { return ".tm"; }

private:
    uint32_t ProcessToken(const datascript::QuotedText& text, uint32_t start);

    RecordTable<BuildingInfo, kMaxBuildings> m_buildings;
    RecordTable<StaffInfo, kMaxStaff> m_staff;
    RecordTable<GuestInfo, kMaxGuests> m_guests;
    RecordTable<AnimalInfo, kMaxAnimals> m_animals;
    RecordTable<SceneryInfo, kMaxScenery> m_scenery;
    RecordTable<ResearchInfo, kMaxResearch> m_research;
    RecordTable<RescueInfo, kMaxRescue> m_rescue;
    RecordTable<MapGridInfo, kMaxMapGrids> m_mapGrids;
    RecordTable<ShowMoveInfo, kMaxShowMoves> m_showMoves;
    RecordTable<TrainingInfo, kMaxTraining> m_training;
    // Keywords whose declaration was refused (table full, keyword too long).
    std::set<std::string, std::less<>> m_refusedKeywords;
    std::unique_ptr<NameLists> m_pNames;
    bool m_bReportedEmptyNames[3] = {};
    bool m_bReportedFullNames[3] = {};
    std::vector<AnimListEntry> m_animList;
    std::vector<ShowListEntry> m_showList;
    uint32_t m_guestIcons[kGuestIconCount] = {};
    uint32_t m_buildingFlags[kBuildingFlagCount] = {};
};

// The one WorldParams of the running world; null while none exists.
extern WorldParams* g_pWorldParams;
