// The file names of animal path models and animal mesh animations.
#include "world/AnimalModelNames.h"

#include "scripts/WorldParams.h"

#include <algorithm>
#include <cstdio>

namespace
{

constexpr const char* kActionWords[ANIMAL_ACTION_COUNT] = {"MOVE", "EAT", "PLAY", "REST"};
// Slots of one animal type in a building, and the numbers two digits give.
constexpr int32_t kMostSlots = 20;
constexpr int32_t kMostMeshes = 100;

std::string Name(const char* format, const char* type, int32_t action, int32_t number)
{
    char path[256];
    std::snprintf(path, sizeof path, format, WorldParams::GetAnimalModelPath(), type ? type : "", type ? type : "",
                  AnimalActionWord(action), number, WorldParams::GetModelExtension());
    return path;
}

} // namespace

const char* AnimalActionWord(int32_t action)
{
    return action >= 0 && action < ANIMAL_ACTION_COUNT ? kActionWords[action] : "";
}

std::string AnimalPathModelName(const char* type, int32_t action, int32_t slot)
{
    return Name("%s%s/%s_%s_%02d%s", type, action, slot);
}

std::string AnimalMeshName(const char* type, int32_t action, int32_t index)
{
    return Name("%s%s/%s_mesh_%s_%02d%s", type, action, index);
}

int32_t AnimalMeshCount(const AnimalInfo& type, int32_t action)
{
    switch (action)
    {
    case ANIMAL_ACTION_MOVE:
        return type.iMoveAnims;
    case ANIMAL_ACTION_EAT:
        return type.iEatAnims;
    case ANIMAL_ACTION_PLAY:
        return type.iPlayAnims;
    case ANIMAL_ACTION_REST:
        return type.iRestAnims;
    default:
        return 0;
    }
}

std::vector<std::string> AnimalPathModelNames(const AnimalInfo& type)
{
    std::vector<std::string> names;
    const int32_t paths = std::clamp(type.iNumPaths, 0, kMostSlots);
    for (int32_t action = 0; action < ANIMAL_ACTION_COUNT; ++action)
    {
        for (int32_t slot = 0; slot < paths; ++slot)
            names.push_back(AnimalPathModelName(type.keyword, action, slot));
    }
    return names;
}

std::vector<std::string> AnimalMeshNames(const AnimalInfo& type)
{
    std::vector<std::string> names;
    for (int32_t action : {ANIMAL_ACTION_MOVE, ANIMAL_ACTION_PLAY, ANIMAL_ACTION_REST, ANIMAL_ACTION_EAT})
    {
        const int32_t count = std::clamp(AnimalMeshCount(type, action), 0, kMostMeshes);
        for (int32_t index = 0; index < count; ++index)
            names.push_back(AnimalMeshName(type.keyword, action, index));
    }
    return names;
}
