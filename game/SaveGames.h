// The save games: one entry per listed file "SaveGames/save<slot>.dat", the file's header, the slot rules and the
// time-of-day texts they show.
#pragma once

#include "platform/Paths.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class SerialStream;

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

// The save directory, created and addressed by this one name inside the user folder (SaveDirectoryPath).
constexpr const char* kSaveDirectory = "SaveGames";
// What a save file says it is, and its version (equal within FLT_EPSILON, bound included).
constexpr const char* kSaveIdentification = "Tidewell MRK2 Save";
constexpr float kSaveVersion = 4.9f;
constexpr uint32_t kSaveIdentificationSize = 128;

// The save directory in the user folder, where the save files are written and looked for.
inline std::string SaveDirectoryPath()
{
    return platform::UserFile(kSaveDirectory);
}

// The file of a slot: "<save directory>/save<slot>.dat".
std::string SaveSlotPath(int32_t slot);

// The slot a file name names: only "save<digits>.dat" (any case) with a value that fits a 32-bit integer; false
// for anything else ("saveX.dat", "save-1.dat", "save.dat", "save12.dat.tmp").
bool ParseSaveSlotName(std::string_view name, int32_t* slot);

// True when `version` is the version this program writes.
bool IsSaveVersion(float version);

// What heads a save file after the stream's own banner: the entry's figures and the sandbox flag.
void WriteSaveHeader(SerialStream& stream, const SaveGameEntry& entry, bool sandbox);

enum class SaveHeaderResult
{
    Ok,
    WrongIdentification,
    WrongVersion,
    Cut, // the stream ended or failed inside the header
};
// Reads the header into `entry` (its slot untouched) and the sandbox flag. Stops at the first thing wrong.
SaveHeaderResult ReadSaveHeader(SerialStream& stream, SaveGameEntry* entry, bool* sandbox);

// Newest first (save times compared unsigned), then by slot, so that the order is always the same.
void SortSaveGames(std::vector<std::unique_ptr<SaveGameEntry>>& entries);
// The smallest slot number from 0 up that no entry uses.
int32_t FindFreeSaveSlot(const std::vector<std::unique_ptr<SaveGameEntry>>& entries);

// The whole hours of a time of day, and its minutes rounded down to a quarter (0, 15, 30 or 45). A time outside 0 to
// 24 hours counts as the nearer end of the day, one that is not a number as midnight.
int32_t DayTimeToHour(float hours);
int32_t DayTimeToQuarterMinute(float hours);
