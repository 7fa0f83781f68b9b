// Fuzz target: the data-script grammar over every gameplay table. The input is a scrambled gameplay file, loaded
// as a world loads its buildings file (the grammar routes each declaration to its table by prefix, whichever file
// holds it); then the map grid links, the built-in staff, and every record read back by id and keyword.
#include "fuzz/FuzzSupport.h"
#include "scripts/WorldParams.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteBleFile(WorldParams::kBuildingsFile, data, size);
    WorldParams params(WorldParams::kBuildingsFile, "data\\script\\guestlist.pis");
    for (int32_t id = -1; id <= static_cast<int32_t>(params.GetBuildingCount()); ++id)
        params.GetBuildingInfo(id);
    for (int32_t id = -1; id <= static_cast<int32_t>(params.GetMapGridCount()); ++id)
        params.GetMapGridInfo(id);
    for (int32_t id = -1; id <= static_cast<int32_t>(params.GetGuestCount()); ++id)
        params.GetGuestInfo(id);
    for (int32_t id = -1; id <= static_cast<int32_t>(params.GetStaffCount()); ++id)
        params.GetStaffInfo(id);
    for (int32_t id = -1; id <= static_cast<int32_t>(params.GetSceneryCount()); ++id)
        params.GetSceneryInfo(id);
    for (int32_t id = -1; id <= static_cast<int32_t>(params.GetAnimalCount()); ++id)
        params.GetAnimalInfo(id);
    for (int32_t id = -1; id <= static_cast<int32_t>(params.GetResearchCount()); ++id)
        params.GetResearchInfo(id);
    for (int32_t id = -1; id <= static_cast<int32_t>(params.GetRescueCount()); ++id)
        params.GetRescueInfo(id);
    for (int32_t id = -1; id <= static_cast<int32_t>(params.GetShowMoveCount()); ++id)
    {
        const ShowMoveInfo& move = params.GetShowMoveInfo(id);
        std::vector<ShowMoveInfo> moves;
        params.GetShowMoves(move.cShowName, moves);
    }
    for (int32_t id = -1; id <= static_cast<int32_t>(params.GetTrainingCount()); ++id)
        params.GetTrainingInfo(id);
    for (const char* keyword : {"", "MAP", "A"})
    {
        params.GetBuildingID(keyword);
        params.GetStaffID(keyword);
        params.GetGuestID(keyword);
        params.GetAnimalID(keyword);
        params.GetResearchID(keyword);
        params.GetRescueID(keyword);
        params.GetShowMoveID(keyword);
        params.GetTrainingID(keyword);
        params.GetMapGridID(keyword);
        params.GetSceneryID(keyword);
    }
    return 0;
}
