// WorldParams: construction and load order, the data-script token walk, keyword lookups, record access, names
// and textures.
#include "scripts/WorldParams.h"

#include "engine/core/FileSystem.h"
#include "engine/core/Logger.h"
#include "engine/render/TextureManager.h"
#include "platform/Random.h"
#include "platform/Strings.h"
#include "scripts/DataScript.h"
#include "scripts/WorldParamsDetail.h"

#include <memory>

WorldParams* g_pWorldParams = nullptr;

namespace
{

using datascript::QuotedText;

// The gameplay files read after the buildings file, in load order; the caller's guest list comes third.
constexpr const char* kSceneryFile = "data\\script\\mrvscenery.pis";
constexpr const char* kGuestExtraFile = "data\\script\\guestextra.pis";
constexpr const char* kLaterFiles[] = {
    "data\\script\\mrvanimals.pis",  "data\\script\\mrvresearch.pis",  "data\\script\\mrvrescue.pis",
    "data\\script\\mrvmapgrids.pis", "data\\script\\mrvshowmoves.pis", "data\\script\\mrvtraining.pis",
};
constexpr const char* kAnimListFile = "data\\script\\mrvanimlist.pis";
constexpr const char* kShowListFile = "data\\script\\mrvshows.pis";

constexpr const char* kTextureFolder = "Data/GUI/";
constexpr const char* kBuildingFlagFiles[WorldParams::kBuildingFlagCount] = {
    "bf_spanner.tga",
    "bf_animal.tga",
    "bf_feet.tga",
    "bf_closed.tga",
};

// One record family of the grammar: the prefix that declares a record, the lookup of declared keywords, the
// declaration and the field line.
struct Family
{
    std::string_view declarePrefix;
    int32_t (WorldParams::*find)(std::string_view) const;
    bool (WorldParams::*declare)(const char*);
    void (WorldParams::*fieldLine)(int32_t, const char*, const char*);
};

// In the order the prefix tests run; the name lists are tested right after the guest types.
constexpr Family kFamilies[] = {
    {"BUILD", &WorldParams::FindBuilding, &WorldParams::AddBuilding, &WorldParams::AddBuildingData},
    {"MAPGRID", &WorldParams::FindMapGrid, &WorldParams::AddMapGrid, &WorldParams::AddMapGridData},
    {"GUEST", &WorldParams::FindGuest, &WorldParams::AddGuest, &WorldParams::AddGuestData},
    {"SCENERY", &WorldParams::FindScenery, &WorldParams::AddScenery, &WorldParams::AddSceneryData},
    {"ANIMAL", &WorldParams::FindAnimal, &WorldParams::AddAnimal, &WorldParams::AddAnimalData},
    {"RESEARCH", &WorldParams::FindResearch, &WorldParams::AddResearch, &WorldParams::AddResearchData},
    {"RESCUE", &WorldParams::FindRescue, &WorldParams::AddRescue, &WorldParams::AddRescueData},
    {"MOVE", &WorldParams::FindShowMove, &WorldParams::AddShowMove, &WorldParams::AddShowMoveData},
    {"TRAINING", &WorldParams::FindTraining, &WorldParams::AddTraining, &WorldParams::AddTrainingData},
};
constexpr size_t kNamesAfterFamily = 2;

std::string_view View(const char* text)
{
    return text ? std::string_view(text) : std::string_view();
}

// An id lookup of the reporting kind: 0, with the message, when nothing matches.
int32_t IdOrReport(int32_t id, const char* message, const char* keyword)
{
    if (id != WorldParams::kNotFound)
        return id;
    GetLogger()->Report(0, message, keyword ? keyword : "");
    return 0;
}

} // namespace

WorldParams::WorldParams() : m_pNames(new NameLists())
{
    g_pWorldParams = this;
}

WorldParams::WorldParams(const char* buildingsFile, const char* guestListFile) : WorldParams()
{
    LoadGameplayFile(buildingsFile);
    LoadGameplayFile(kSceneryFile);
    LoadGameplayFile(kGuestExtraFile);
    LoadGameplayFile(guestListFile);
    for (const char* file : kLaterFiles)
        LoadGameplayFile(file);
    LinkMapGrids();
    AddBuiltInStaff();
    LoadAnimList(kAnimListFile);
    LoadShowList(kShowListFile);
    LoadTextures();
}

WorldParams::~WorldParams()
{
    if (g_pWorldParams == this)
        g_pWorldParams = nullptr;
}

void WorldParams::LoadGameplayFile(const char* fileName)
{
    if (!fileName)
        return;
    uint32_t size = 0;
    std::unique_ptr<char[]> buffer(GetFileSystem()->ReadBleFileSized(BleFileName(fileName).c_str(), &size));
    if (buffer)
        Process(buffer.get(), size);
}

void WorldParams::Process(char* buffer, uint32_t size)
{
    if (!buffer)
        return;
    const QuotedText text(buffer, size);
    if (!text.Balanced())
        GetLogger()->Report(0, "WorldParams::Process - odd number of quotes in gameplay file");
    for (uint32_t at = text.NextToken(0); at != QuotedText::kNone; at = text.NextToken(at))
        at = ProcessToken(text, at);
}

// Handles the token whose text starts at `start`; returns where the walk goes on looking for the next quote.
uint32_t WorldParams::ProcessToken(const QuotedText& text, uint32_t start)
{
    const char* token = text.Text(start);
    const datascript::Prefix split = datascript::SplitPrefix(token);
    const std::string_view prefix(token, split.length);
    if (split.length > kMaxPrefix)
    {
        GetLogger()->Report(0, "WorldParams::Process - keyword prefix too long - %.*s...", static_cast<int>(kMaxPrefix),
                            token);
        return start;
    }

    // The remainder: the rest of the token after the underscore, or else the whole next token.
    const uint32_t rest = split.underscore ? start + static_cast<uint32_t>(split.length) + 1 : text.NextToken(start);
    auto trailing = [&]()
    {
        GetLogger()->Report(0, "WorldParams::Process - keyword without a value at the end of the file - %s", token);
        return text.End();
    };

    for (size_t i = 0; i < std::size(kFamilies); ++i)
    {
        const Family& family = kFamilies[i];
        if (prefix == family.declarePrefix)
        {
            if (rest == QuotedText::kNone)
                return trailing();
            // A refused declaration is reported once, there; its keyword is kept so that its field lines are not
            // reported again, two messages a line, as keywords nobody declared.
            if (!(this->*family.declare)(text.Text(rest)))
                m_refusedKeywords.emplace(text.Text(rest));
            // Going on inside the remainder skips the keyword, wherever it stood.
            return rest;
        }
        const int32_t id = (this->*family.find)(prefix);
        if (id != kNotFound)
        {
            const uint32_t value = rest == QuotedText::kNone ? QuotedText::kNone : text.NextToken(rest);
            if (value == QuotedText::kNone)
                return trailing();
            (this->*family.fieldLine)(id, text.Text(rest), text.Text(value));
            // Going on inside the value keeps it from being read as a keyword.
            return value;
        }
        if (i == kNamesAfterFamily && IsNameKeyword(prefix))
        {
            if (rest == QuotedText::kNone)
                return trailing();
            AddNameData(prefix, text.Text(rest));
            return rest;
        }
    }
    if (m_refusedKeywords.find(prefix) != m_refusedKeywords.end())
    {
        // A field line of a refused record: passed over, value and all.
        const uint32_t value = rest == QuotedText::kNone ? QuotedText::kNone : text.NextToken(rest);
        return value == QuotedText::kNone ? text.End() : value;
    }
    GetLogger()->Report(0, "WorldParams::Process - unrecognised keyword prefix - %.*s", static_cast<int>(prefix.size()),
                        prefix.data());
    return start;
}

// ---- lookups

int32_t WorldParams::GetBuildingID(const char* keyword) const
{
    return IdOrReport(FindBuilding(View(keyword)), "WorldParams::GetBuildingID - keyword not found - %s", keyword);
}

int32_t WorldParams::GetStaffID(const char* keyword) const
{
    return IdOrReport(FindStaff(View(keyword)), "WorldParams::GetStaffID - keyword not found - %s", keyword);
}

int32_t WorldParams::GetGuestID(const char* keyword) const
{
    return IdOrReport(FindGuest(View(keyword)), "WorldParams::GetGuestID - keyword not found - %s", keyword);
}

int32_t WorldParams::GetAnimalID(const char* keyword) const
{
    return IdOrReport(FindAnimal(View(keyword)), "WorldParams::GetAnimalID - keyword not found - %s", keyword);
}

int32_t WorldParams::GetResearchID(const char* keyword) const
{
    return IdOrReport(FindResearch(View(keyword)), "WorldParams::GetResearchID - keyword not found - %s", keyword);
}

int32_t WorldParams::GetRescueID(const char* keyword) const
{
    return IdOrReport(FindRescue(View(keyword)), "WorldParams::GetRescueID - keyword not found - %s", keyword);
}

int32_t WorldParams::GetShowMoveID(const char* keyword) const
{
    return IdOrReport(FindShowMove(View(keyword)), "WorldParams::GetShowMoveID - keyword not found - %s", keyword);
}

int32_t WorldParams::GetTrainingID(const char* keyword) const
{
    return IdOrReport(FindTraining(View(keyword)), "WorldParams::GetTrainingID - keyword not found - %s", keyword);
}

int32_t WorldParams::GetMapGridID(const char* keyword) const
{
    const int32_t id = FindMapGrid(View(keyword));
    return id == kNotFound ? 0 : id;
}

int32_t WorldParams::GetSceneryID(const char* keyword) const
{
    const int32_t id = FindScenery(View(keyword));
    return id == kNotFound ? 0 : id;
}

// ---- records by id

BuildingInfo& WorldParams::GetBuildingInfo(int32_t id)
{
    return worldparams::RecordAt(m_buildings, id, "WorldParams::GetBuildingInfo");
}

MapGridInfo& WorldParams::GetMapGridInfo(int32_t id)
{
    return worldparams::RecordAt(m_mapGrids, id, "WorldParams::GetMapGridInfo");
}

GuestInfo& WorldParams::GetGuestInfo(int32_t id)
{
    return worldparams::RecordAt(m_guests, id, "WorldParams::GetGuestInfo");
}

StaffInfo& WorldParams::GetStaffInfo(int32_t id)
{
    return worldparams::RecordAt(m_staff, id, "WorldParams::GetStaffInfo");
}

SceneryInfo& WorldParams::GetSceneryInfo(int32_t id)
{
    return worldparams::RecordAt(m_scenery, id, "WorldParams::GetSceneryInfo");
}

AnimalInfo& WorldParams::GetAnimalInfo(int32_t id)
{
    return worldparams::RecordAt(m_animals, id, "WorldParams::GetAnimalInfo");
}

ResearchInfo& WorldParams::GetResearchInfo(int32_t id)
{
    return worldparams::RecordAt(m_research, id, "WorldParams::GetResearchInfo");
}

RescueInfo& WorldParams::GetRescueInfo(int32_t id)
{
    return worldparams::RecordAt(m_rescue, id, "WorldParams::GetRescueInfo");
}

ShowMoveInfo& WorldParams::GetShowMoveInfo(int32_t id)
{
    return worldparams::RecordAt(m_showMoves, id, "WorldParams::GetShowMoveInfo");
}

TrainingInfo& WorldParams::GetTrainingInfo(int32_t id)
{
    return worldparams::RecordAt(m_training, id, "WorldParams::GetTrainingInfo");
}

// ---- textures

void WorldParams::LoadTextures()
{
    for (int n = 0; n < kGuestIconCount; ++n)
    {
        const std::string file = platform::Format("n_%03d.tga", n);
        m_guestIcons[n] =
            g_TextureManager.Load(platform::Format("%s%s", kTextureFolder, file.c_str()).c_str(), false, false);
    }
    for (int n = 0; n < kBuildingFlagCount; ++n)
        m_buildingFlags[n] = g_TextureManager.Load(
            platform::Format("%s%s", kTextureFolder, kBuildingFlagFiles[n]).c_str(), false, false);
}

uint32_t WorldParams::GetGuestIconTexture(int32_t n) const
{
    if (n >= 0 && n < kGuestIconCount)
        return m_guestIcons[n];
    GetLogger()->Report(0, "WorldParams::GetGuestIconTexture - icon out of range - %d", n);
    return 0;
}

uint32_t WorldParams::GetBuildingFlagTexture(int32_t n) const
{
    if (n >= 0 && n < kBuildingFlagCount)
        return m_buildingFlags[n];
    GetLogger()->Report(0, "WorldParams::GetBuildingFlagTexture - flag out of range - %d", n);
    return 0;
}
