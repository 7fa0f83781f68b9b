// The save games: one entry per listed file "savegames/save<slot>.dat", and the time-of-day texts they show.
#pragma once

#include "platform/Paths.h"

#include <cstdint>
#include <string>

struct SaveGameEntry
{
    static constexpr int kTitleSize = 64;

    int32_t m_iSlot = 0;
    int32_t m_iSaveTime = 0; // seconds since 1970
    int32_t m_iScenario = 0; // index within its category
    int32_t m_iGameDay = 0;
    float m_fDayTime = 0.0f; // hours 0-24
    float m_fCash = 0.0f;
    int32_t m_iGuests = 0;
    char m_szTitle[kTitleSize] = {}; // a text id
};

// The save directory as created and the files in it, both inside the user folder (SaveDirectoryPath).
constexpr const char* kSaveDirectory = "SaveGames";
constexpr const char* kSaveFolder = "savegames/";

// The save directory in the user folder, where the save files are written and looked for.
inline std::string SaveDirectoryPath()
{
    return platform::UserFile(kSaveDirectory);
}
