// The save games' file names, header, order and slot choice.
#include "game/SaveGames.h"
#include "engine/core/SerialStream.h"
#include "gui/TickerList.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

std::string SaveSlotPath(int32_t slot)
{
    char name[32];
    std::snprintf(name, sizeof name, "/save%d.dat", static_cast<int>(slot));
    return SaveDirectoryPath() + name;
}

bool ParseSaveSlotName(std::string_view name, int32_t* slot)
{
    constexpr std::string_view kPrefix = "save";
    constexpr std::string_view kSuffix = ".dat";
    if (name.size() <= kPrefix.size() + kSuffix.size())
        return false;
    const std::string prefix(name.substr(0, kPrefix.size()));
    const std::string suffix(name.substr(name.size() - kSuffix.size()));
    if (platform::StrICmp(prefix.c_str(), "save") != 0 || platform::StrICmp(suffix.c_str(), ".dat") != 0)
        return false;
    const std::string_view digits = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    int64_t value = 0;
    for (char c : digits)
    {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > INT32_MAX)
            return false;
    }
    *slot = static_cast<int32_t>(value);
    return true;
}

bool IsSaveVersion(float version)
{
    return std::fabs(version - kSaveVersion) <= FLT_EPSILON;
}

void WriteSaveHeader(SerialStream& stream, const SaveGameEntry& entry, bool sandbox)
{
    stream.WriteHeader(kSaveIdentification);
    stream.WriteFloat("Version", kSaveVersion);
    stream.WriteUInt("Save time", static_cast<uint32_t>(entry.m_iSaveTime));
    stream.WriteUInt("Scenario number", static_cast<uint32_t>(entry.m_iScenario));
    stream.WriteUInt("GetGameDay", static_cast<uint32_t>(entry.m_iGameDay));
    stream.WriteFloat("GetGameDayTime", entry.m_fDayTime);
    stream.WriteFloat("PlayerCash", entry.m_fCash);
    stream.WriteUInt("NumGuests", static_cast<uint32_t>(entry.m_iGuests));
    stream.WriteString("ScenarioTitle", entry.m_szTitle);
    stream.WriteBool("SandBoxMode", sandbox);
}

SaveHeaderResult ReadSaveHeader(SerialStream& stream, SaveGameEntry* entry, bool* sandbox)
{
    char identification[kSaveIdentificationSize] = {};
    if (!stream.ReadHeader(identification, sizeof identification))
        return SaveHeaderResult::Cut;
    if (std::strcmp(identification, kSaveIdentification) != 0)
        return SaveHeaderResult::WrongIdentification;
    float version = 0.0f;
    if (!stream.ReadFloat(&version))
        return SaveHeaderResult::Cut;
    if (!IsSaveVersion(version))
        return SaveHeaderResult::WrongVersion;
    uint32_t saveTime = 0, scenario = 0, day = 0, guests = 0;
    bool ok = stream.ReadUInt(&saveTime) && stream.ReadUInt(&scenario) && stream.ReadUInt(&day) &&
              stream.ReadFloat(&entry->m_fDayTime) && stream.ReadFloat(&entry->m_fCash) && stream.ReadUInt(&guests) &&
              stream.ReadString(entry->m_szTitle, sizeof entry->m_szTitle) && stream.ReadBool(sandbox);
    if (!ok || !stream.Good())
        return SaveHeaderResult::Cut;
    entry->m_szTitle[sizeof entry->m_szTitle - 1] = '\0';
    entry->m_iSaveTime = static_cast<int32_t>(saveTime);
    entry->m_iScenario = static_cast<int32_t>(scenario);
    // Held below the largest count, so that the lists' day counted from one stays a number (a damaged header may
    // hold any).
    entry->m_iGameDay = static_cast<int32_t>(std::min<uint32_t>(day, INT32_MAX - 1));
    entry->m_iGuests = static_cast<int32_t>(guests);
    return SaveHeaderResult::Ok;
}

void SortSaveGames(std::vector<std::unique_ptr<SaveGameEntry>>& entries)
{
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b)
              {
                  const auto ta = static_cast<uint32_t>(a->m_iSaveTime);
                  const auto tb = static_cast<uint32_t>(b->m_iSaveTime);
                  if (ta != tb)
                      return ta > tb;
                  return a->m_iSlot < b->m_iSlot;
              });
}

int32_t FindFreeSaveSlot(const std::vector<std::unique_ptr<SaveGameEntry>>& entries)
{
    std::vector<int32_t> used;
    used.reserve(entries.size());
    for (const auto& entry : entries)
        used.push_back(entry->m_iSlot);
    std::sort(used.begin(), used.end());
    int32_t candidate = 0;
    for (int32_t slot : used)
        if (slot == candidate)
            ++candidate;
    return candidate;
}

namespace
{

// A time of day held to the day (a damaged file may hold anything): 0 to 24 hours, and midnight for one that is not
// a number.
float WithinDay(float hours)
{
    return std::isnan(hours) ? 0.0f : std::clamp(hours, 0.0f, 24.0f);
}

} // namespace

int32_t DayTimeToHour(float hours)
{
    return TickerList::HourOf(WithinDay(hours));
}

int32_t DayTimeToQuarterMinute(float hours)
{
    return TickerList::QuarterMinuteOf(WithinDay(hours));
}
