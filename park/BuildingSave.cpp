// The building's save record: its members, its components' records and its lists, read back with every count
// checked, and the relinking of its components once every object of a loaded park exists.
#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/media/ScriptedSound.h"
#include "park/AnimalPathComponent.h"
#include "park/BuildingObject.h"
#include "park/ConstructionManager.h"
#include "park/CrowdFiller.h"
#include "park/QueueComponent.h"
#include "park/RideComponent.h"
#include "park/ShowScheduler.h"
#include "park/TableObject.h"
#include "platform/Random.h"
#include "world/ObjectManager.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace
{

// Most guests a building's guest or leaving list can name: every guest of a full park.
constexpr uint32_t kMaxListedGuests = ObjectManager::kPoolCapacity[ObjectManager::POOL_GUEST];

template <size_t N> void WriteFlags(SerialStream& stream, const char* name, const bool (&flags)[N])
{
    uint8_t bytes[N];
    for (size_t i = 0; i < N; ++i)
        bytes[i] = flags[i] ? 1 : 0;
    stream.WriteByteArray(name, bytes, static_cast<int32_t>(N));
}

template <size_t N> void ReadFlags(SerialStream& stream, bool (&flags)[N])
{
    uint8_t bytes[N] = {};
    stream.ReadByteArray(bytes, static_cast<int32_t>(N));
    for (size_t i = 0; i < N; ++i)
        flags[i] = bytes[i] != 0;
}

// The building's tables of ids and counts (servers, tables, animals, animals of each type) are stored as arrays of
// signed words, as its save record lays them out; read back through the same form.
template <size_t N> void WriteIdArray(SerialStream& stream, const char* name, const uint32_t (&ids)[N])
{
    int32_t words[N];
    std::memcpy(words, ids, sizeof words);
    stream.WriteIntArray(name, words, static_cast<int32_t>(N));
}

template <size_t N> void ReadIdArray(SerialStream& stream, uint32_t (&ids)[N])
{
    int32_t words[N];
    std::memcpy(words, ids, sizeof words);
    stream.ReadIntArray(words, static_cast<int32_t>(N));
    std::memcpy(ids, words, sizeof words);
}

void WriteGrid(SerialStream& stream, const char* x, const char* y, const GridPos& cell)
{
    stream.WriteInt(x, cell.x);
    stream.WriteInt(y, cell.y);
}

void ReadGrid(SerialStream& stream, GridPos& cell)
{
    stream.ReadInt(&cell.x);
    stream.ReadInt(&cell.y);
}

// A list of ids: its count (checked against the most it can hold), then the ids. False when the count is beyond
// that or the stream failed.
bool ReadIdList(SerialStream& stream, std::vector<uint32_t>& list, uint32_t most)
{
    list.clear();
    uint32_t count = 0;
    if (!stream.ReadInt(reinterpret_cast<int32_t*>(&count)) || count > most)
        return false;
    for (uint32_t i = 0; i < count && stream.Good(); ++i)
    {
        int32_t id = 0;
        stream.ReadInt(&id);
        list.push_back(static_cast<uint32_t>(id));
    }
    return stream.Good();
}

bool ReadOpinions(SerialStream& stream, std::vector<float>& list, uint32_t most)
{
    list.clear();
    uint32_t count = 0;
    if (!stream.ReadInt(reinterpret_cast<int32_t*>(&count)) || count > most)
        return false;
    for (uint32_t i = 0; i < count && stream.Good(); ++i)
    {
        float value = 0.0f;
        stream.ReadFloat(&value);
        list.push_back(value);
    }
    return stream.Good();
}

} // namespace

void BuildingObject::Dump(SerialStream& stream)
{
    WriteIdArray(stream, "m_staff", m_staff);
    stream.WriteUInt("m_numMalestaff", static_cast<uint32_t>(m_numMalestaff));
    stream.WriteUInt("m_numFemalestaff", static_cast<uint32_t>(m_numFemalestaff));
    WriteFlags(stream, "m_staff_busy", m_staff_busy);
    stream.WriteFloat("m_LastMsgTime", m_LastMsgTime);
    stream.WriteInt("m_OpenStatus", static_cast<int32_t>(m_OpenStatus));
    stream.WriteInt("m_NumRestStaff", static_cast<int32_t>(m_NumRestStaff));
    stream.WriteFloat("m_fAttractionPrice", m_fAttractionPrice);
    stream.WriteFloat("m_fIncomeToday", m_fIncomeToday);
    stream.WriteFloat("m_fCostToday", m_fCostToday);
    stream.WriteFloat("m_fProfitToday", m_fProfitToday);
    stream.WriteFloat("m_fAverageProfit", m_fAverageProfit);
    stream.WriteUInt("m_BuildingAge", static_cast<uint32_t>(m_BuildingAge));
    // The profit record travels as the bits of its floats in an unsigned word array.
    uint32_t profit[kProfitDays];
    std::memcpy(profit, m_fProfitRecord, sizeof profit);
    stream.WriteUIntArray("m_fProfitRecord", profit, kProfitDays);
    stream.WriteFloat("m_fLastFaultDayTime", m_fLastFaultDayTime);
    stream.WriteUInt("m_LastFaultDay", static_cast<uint32_t>(m_LastFaultDay));
    stream.WriteUInt("m_NumFaults", static_cast<uint32_t>(m_NumFaults));
    stream.WriteInt("m_RepairState", static_cast<int32_t>(m_RepairState));
    stream.WriteBool("m_bWasBroken", m_bWasBroken);
    stream.WriteUInt("m_LastRepairCall", static_cast<uint32_t>(m_LastRepairCall));
    stream.WriteFloat("m_fLastRepairDayTime", m_fLastRepairDayTime);
    stream.WriteUInt("m_LastRepairDay", static_cast<uint32_t>(m_LastRepairDay));
    stream.WriteUInt("m_NumVisitsToday", static_cast<uint32_t>(m_NumVisitsToday));
    stream.WriteUInt("m_LastFailTime", static_cast<uint32_t>(m_LastFailTime));
    stream.WriteUInt("m_NumTimesCleanedToday", static_cast<uint32_t>(m_NumTimesCleanedToday));
    stream.WriteBool("m_bUserClose", m_bUserClose);
    stream.WriteBool("m_bBuiltByUser", m_bBuiltByUser);
    stream.WriteInt("m_iNumTables", static_cast<int32_t>(m_iNumTables));
    WriteIdArray(stream, "m_Tables", m_Tables);
    stream.WriteBool("m_bSoundPlaying", m_bSoundPlaying);
    stream.WriteInt("m_SoundID", static_cast<int32_t>(m_SoundID));
    WriteGrid(stream, "m_ServeInOutGrid.x", "m_ServeInOutGrid.y", m_ServeInOutGrid);
    WriteGrid(stream, "m_ServeInGrid.x", "m_ServeInGrid.y", m_ServeInGrid);
    WriteGrid(stream, "m_ServeOutGrid.x", "m_ServeOutGrid.y", m_ServeOutGrid);
    WriteGrid(stream, "m_InsideQueueGrid.x", "m_InsideQueueGrid.y", m_InsideQueueGrid);
    stream.WriteBool("m_bHasOutGrid", m_bHasOutGrid);
    m_pRide->Dump(stream);
    stream.WriteFloat("m_fRideStartLevel", m_fRideStartLevel);
    stream.WriteFloat("m_fCurrentRideStartLevel", m_fCurrentRideStartLevel);
    stream.WriteBool("m_bIsToilet", m_bIsToilet);
    stream.WriteBool("m_bIsStaffRoom", m_bIsStaffRoom);
    stream.WriteFloat("m_fRepairState", m_fRepairState);
    stream.WriteFloat("m_fRepairStateOnBreakdown", m_fRepairStateOnBreakdown);
    WriteIdArray(stream, "m_dwAnimals", m_dwAnimals);
    WriteFlags(stream, "m_bEatPointUse", m_bEatPointUse);
    WriteFlags(stream, "m_bSleepPointUse", m_bSleepPointUse);
    stream.WriteUInt("m_iNumAnimals", static_cast<uint32_t>(m_iNumAnimals));
    WriteIdArray(stream, "m_dwAnimalQuantites", m_dwAnimalQuantites);
    stream.WriteInt("m_iAnimalsToZoo", static_cast<int32_t>(m_iAnimalsToZoo));
    stream.WriteFloat("m_fAnimalIntensity", m_fAnimalIntensity);
    stream.WriteBool("m_bWaitingForAnimalEat", m_bWaitingForAnimalEat);
    stream.WriteBool("m_pQueueManager", m_pQueueManager != nullptr);
    if (m_pQueueManager)
        m_pQueueManager->Dump(stream);
    stream.WriteInt("m_iInstanceNumber", static_cast<int32_t>(m_iInstanceNumber));
    stream.WriteInt("m_GuestList.size()", static_cast<int32_t>(m_GuestList.size()));
    for (uint32_t guest : m_GuestList)
        stream.WriteUInt("m_GuestList[i]", guest);
    stream.WriteInt("m_LeavingList.size()", static_cast<int32_t>(m_LeavingList.size()));
    for (uint32_t guest : m_LeavingList)
        stream.WriteUInt("m_LeavingList[i]", guest);
    WriteFlags(stream, "m_bViewPointInUse", m_bViewPointInUse);
    WriteFlags(stream, "m_bViewPoint2InUse", m_bViewPoint2InUse);
    stream.WriteUInt("m_dwEntranceID", static_cast<uint32_t>(m_dwEntranceID));
    stream.WriteFloat("m_fCleanliness", m_fCleanliness);
    stream.WriteBool("m_bTooStinky", m_bTooStinky);
    stream.WriteBool("m_bRoofState", m_bRoofState);
    for (const std::vector<float>& opinions : m_Opinions)
    {
        stream.WriteInt("list size", static_cast<int32_t>(opinions.size()));
        for (float value : opinions)
            stream.WriteFloat("list float", value);
    }
    for (const auto& path : m_AnimalPaths)
        path->Dump(stream);
    if (m_pCrowd)
        m_pCrowd->Dump(stream);
    if (m_pScheduler)
        m_pScheduler->Dump(stream);
    StaticObject::Dump(stream);
}

bool BuildingObject::Load(SerialStream& stream)
{
    // A loaded building was started before it was saved; its pending breakdown check is taken as its chain's.
    m_bStarted = true;
    m_BreakdownCheck = kUnknownBreakdownCheck;
    auto refuse = [this](const char* why)
    {
        GetLogger()->Report(0, "BuildingObject::Load - %s: %s", m_Name, why);
        return false;
    };
    auto readU = [&stream](uint32_t& value) { stream.ReadUInt(&value); };
    auto readI = [&stream](int32_t& value) { stream.ReadInt(&value); };

    ReadIdArray(stream, m_staff);
    readI(m_numMalestaff);
    readI(m_numFemalestaff);
    ReadFlags(stream, m_staff_busy);
    stream.ReadFloat(&m_LastMsgTime);
    readU(m_OpenStatus);
    readU(m_NumRestStaff);
    stream.ReadFloat(&m_fAttractionPrice);
    stream.ReadFloat(&m_fIncomeToday);
    stream.ReadFloat(&m_fCostToday);
    stream.ReadFloat(&m_fProfitToday);
    stream.ReadFloat(&m_fAverageProfit);
    readI(m_BuildingAge);
    uint32_t profit[kProfitDays] = {};
    stream.ReadUIntArray(profit, kProfitDays);
    std::memcpy(m_fProfitRecord, profit, sizeof profit);
    stream.ReadFloat(&m_fLastFaultDayTime);
    readI(m_LastFaultDay);
    readI(m_NumFaults);
    readU(m_RepairState);
    // A broken building's remark is chosen again: it may differ from the one before the save.
    if (m_RepairState == kBrokenDown)
        std::snprintf(m_RepairText, sizeof m_RepairText, "BUILDING_REPAIR_BROKEN_%d", platform::Rand() % 40 + 1);
    stream.ReadBool(&m_bWasBroken);
    readI(m_LastRepairCall);
    stream.ReadFloat(&m_fLastRepairDayTime);
    readI(m_LastRepairDay);
    readI(m_NumVisitsToday);
    readI(m_LastFailTime);
    readI(m_NumTimesCleanedToday);
    stream.ReadBool(&m_bUserClose);
    stream.ReadBool(&m_bBuiltByUser);
    readU(m_iNumTables);
    ReadIdArray(stream, m_Tables);
    stream.ReadBool(&m_bSoundPlaying);
    readU(m_SoundID);
    ReadGrid(stream, m_ServeInOutGrid);
    ReadGrid(stream, m_ServeInGrid);
    ReadGrid(stream, m_ServeOutGrid);
    ReadGrid(stream, m_InsideQueueGrid);
    stream.ReadBool(&m_bHasOutGrid);
    if (!stream.Good())
        return refuse("the record is cut short");
    if (m_iNumTables > kMaxTables)
        return refuse("more tables than a building holds");
    if (!m_pRide->Load(stream))
        return refuse("the ride's record is refused");
    stream.ReadFloat(&m_fRideStartLevel);
    stream.ReadFloat(&m_fCurrentRideStartLevel);
    stream.ReadBool(&m_bIsToilet);
    stream.ReadBool(&m_bIsStaffRoom);
    stream.ReadFloat(&m_fRepairState);
    stream.ReadFloat(&m_fRepairStateOnBreakdown);
    ReadIdArray(stream, m_dwAnimals);
    ReadFlags(stream, m_bEatPointUse);
    ReadFlags(stream, m_bSleepPointUse);
    readI(m_iNumAnimals);
    ReadIdArray(stream, m_dwAnimalQuantites);
    readU(m_iAnimalsToZoo);
    stream.ReadFloat(&m_fAnimalIntensity);
    stream.ReadBool(&m_bWaitingForAnimalEat);
    bool hasQueue = false;
    stream.ReadBool(&hasQueue);
    if (!stream.Good())
        return refuse("the record is cut short");
    if (m_iNumAnimals < 0 || m_iNumAnimals > static_cast<int32_t>(kMaxAnimals))
        return refuse("more animals than a building holds");
    // The condition runs from 1 (new) down to 0 and the intensity is a sum of the animals' own: the building's
    // animals take both into their opinions, and a record of theirs holding no number would not load again.
    if (!(m_fRepairState >= 0.0f && m_fRepairState <= 1.0f))
        return refuse("a condition outside new to worn out");
    if (std::isnan(m_fAnimalIntensity))
        return refuse("an animal intensity that is no number");
    if (m_numMalestaff < 0 || m_numFemalestaff < 0 ||
        static_cast<uint64_t>(m_numMalestaff) + static_cast<uint64_t>(m_numFemalestaff) > kMaxStaff)
        return refuse("more servers than a building holds");
    if (hasQueue)
    {
        CreateQueue();
        // A saved queue needs a serve cell to stand on; a record that says otherwise does not hold together.
        if (!m_pQueueManager)
            return refuse("a saved queue without a serve cell");
        if (!m_pQueueManager->Load(stream))
            return refuse("the queue's record is refused");
    }
    else
    {
        m_pQueueManager.reset();
    }
    readU(m_iInstanceNumber);
    if (!ReadIdList(stream, m_GuestList, kMaxListedGuests))
        return refuse("the guest list is cut short or longer than a park's guests");
    if (!ReadIdList(stream, m_LeavingList, kMaxListedGuests))
        return refuse("the leaving list is cut short or longer than a park's guests");
    ReadFlags(stream, m_bViewPointInUse);
    ReadFlags(stream, m_bViewPoint2InUse);
    readI(m_dwEntranceID);
    stream.ReadFloat(&m_fCleanliness);
    stream.ReadBool(&m_bTooStinky);
    stream.ReadBool(&m_bRoofState);
    for (std::vector<float>& opinions : m_Opinions)
        if (!ReadOpinions(stream, opinions, kMaxOpinions))
            return refuse("an opinion list is cut short or longer than it is kept");
    for (const auto& path : m_AnimalPaths)
        if (!path->Load(stream))
            return refuse("an animal path's record is refused");
    if (m_pCrowd && !m_pCrowd->Load(stream))
        return refuse("the crowd's record is refused");
    if (m_pScheduler && !m_pScheduler->Load(stream))
        return refuse("the show's record is refused");
    if (!StaticObject::Load(stream))
        return refuse("the object's record is refused");
    if (!stream.Good())
        return refuse("the record is cut short");
    // A building stands turned by one of four quarter turns, as it was asked for.
    if (GetDirection() < 0 || GetDirection() > 3)
        return refuse("a turn other than the four quarter turns");
    PlaceModel();
    // The park's objects are still being read: the building is not yet found by its id.
    ConstructionManager::RepaintGround(*this);
    return true;
}

void BuildingObject::PostLoad()
{
    m_pRide->PostLoad();
    for (uint32_t table : TableIds())
        if (auto* object = dynamic_cast<TableObject*>(g_pObjectManager ? g_pObjectManager->GetObject(table) : nullptr))
        {
            object->SetOwner(m_dwID);
            // Guests eating at the table when the game was saved sit at it again.
            object->ReattachSeatedGuests();
        }
    for (const auto& path : m_AnimalPaths)
        path->PostLoad();
    if (m_pCrowd)
        m_pCrowd->PostLoad();
    // The saved flag says the loop was playing when the game was saved; in the loaded park it plays again.
    if (m_bSoundPlaying && g_pScriptedSound)
        g_pScriptedSound->StartBuildingSound(m_dwID);
}
