// The file names of an animal type's path models and of its own mesh animations, shared by the animal path
// component, the animal and the World's preload.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AnimalInfo;

// The four path actions, in the order their words and counts are kept.
enum AnimalAction : int32_t
{
    ANIMAL_ACTION_MOVE = 0,
    ANIMAL_ACTION_EAT = 1,
    ANIMAL_ACTION_PLAY = 2,
    ANIMAL_ACTION_REST = 3,
    ANIMAL_ACTION_COUNT = 4,
};

// "MOVE", "EAT", "PLAY", "REST"; the empty text for any other action.
const char* AnimalActionWord(int32_t action);
// The path model of an action and a slot: "<animal folder><type>/<type>_<ACTION>_<slot, two digits>.tm".
std::string AnimalPathModelName(const char* type, int32_t action, int32_t slot);
// A mesh animation of an action: "<animal folder><type>/<type>_mesh_<ACTION>_<index, two digits>.tm".
std::string AnimalMeshName(const char* type, int32_t action, int32_t index);
// The number of mesh animations the type has for an action (its MOVE_ANIMS, EAT_ANIMS, PLAY_ANIMS, REST_ANIMS).
int32_t AnimalMeshCount(const AnimalInfo& type, int32_t action);
// Every path model of the type (each action in order, slots 0 to NUM_PATHS - 1), then every mesh animation (MOVE,
// PLAY, REST, EAT, each from index 0), as the World's preload loads them. Counts below 0 give none; counts are held
// within the 20 slots an animal type can fill and the hundred numbers two digits give.
std::vector<std::string> AnimalPathModelNames(const AnimalInfo& type);
std::vector<std::string> AnimalMeshNames(const AnimalInfo& type);
