// Tests of the type tags of the park managers' save records, whose 32-bit integer items named in the save format's
// table carry tag 5 and every other one tag 11, and of a building's own record, item by item; and of the values a
// building's record is refused for.
#include "engine/core/SerialStream.h"
#include "park/BuildingObject.h"
#include "park/ConstructionManager.h"
#include "tests/park/JobsTestSupport.h"
#include "tests/world/SaveBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace jobstest;

namespace
{

// Writes through to a binary stream and keeps each item's name in order, so the stored tags can be read back
// beside the names the binary form drops.
class NamingStream : public savebytes::WriteOnlyStream
{
public:
    explicit NamingStream(BinarySerialStream& out) : m_out(out) {}
    void BeginSave() override { m_out.BeginSave(); }
    void WriteUShort(const char* n, uint16_t v) override { Named(n), m_out.WriteUShort(n, v); }
    void WriteUInt(const char* n, uint32_t v) override { Named(n), m_out.WriteUInt(n, v); }
    void WriteUIntArray(const char* n, const uint32_t* v, int32_t c) override
    {
        Named(n), m_out.WriteUIntArray(n, v, c);
    }
    void WriteByteArray(const char* n, const uint8_t* v, int32_t c) override
    {
        Named(n), m_out.WriteByteArray(n, v, c);
    }
    void WriteByte(const char* n, uint8_t v) override { Named(n), m_out.WriteByte(n, v); }
    void WriteWideString(const char* n, const char16_t* t) override { Named(n), m_out.WriteWideString(n, t); }
    void WriteIntArray(const char* n, const int32_t* v, int32_t c) override { Named(n), m_out.WriteIntArray(n, v, c); }
    void WriteInt(const char* n, int32_t v) override { Named(n), m_out.WriteInt(n, v); }
    void WriteShort(const char* n, int16_t v) override { Named(n), m_out.WriteShort(n, v); }
    void WriteFloat(const char* n, float v) override { Named(n), m_out.WriteFloat(n, v); }
    void WriteBool(const char* n, bool v) override { Named(n), m_out.WriteBool(n, v); }
    void WriteString(const char* n, const char* t) override { Named(n), m_out.WriteString(n, t); }
    void WriteHeader(const char* t) override { Named(t), m_out.WriteHeader(t); }

    std::vector<std::string> names;

private:
    void Named(const char* name) { names.emplace_back(name); }
    BinarySerialStream& m_out;
};

// Writes a record through `dump` into a binary save file and gives its items' names in the order written.
template <typename Dump> std::vector<std::string> DumpNamed(const std::string& file, Dump dump)
{
    BinarySerialStream out(true, file.c_str());
    NamingStream naming(out);
    dump(naming);
    EXPECT_TRUE(out.Close()) << file;
    return naming.names;
}

// The stored items of a binary save (after the stream's own banner), each as its tag, read by the stream format's
// item layout: texts and arrays are a count and their elements, the rest a fixed width.
std::vector<uint8_t> StoredTags(const std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> tags;
    size_t at = savebytes::kStreamBanner;
    const auto word = [&](size_t p) { return bytes[p] | bytes[p + 1] << 8 | bytes[p + 2] << 16 | bytes[p + 3] << 24; };
    while (at < bytes.size())
    {
        const uint8_t tag = bytes[at++];
        tags.push_back(tag);
        switch (tag)
        {
        case 0: // header
        case 1: // text
        case 9: // byte array
            at += 4 + word(at);
            break;
        case 7: // wide text
            at += 4 + 2 * word(at);
            break;
        case 6: // word arrays
        case 10:
            at += 4 + 4 * word(at);
            break;
        case 2: // bool, byte
        case 8:
            at += 1;
            break;
        case 4: // 16-bit values
        case 12:
            at += 2;
            break;
        default: // 32-bit values
            at += 4;
            break;
        }
    }
    return tags;
}

TEST(ManagerSaveTags, ThirtyTwoBitItemsCarryTheTagsOfTheSaveTable)
{
    JobPark park;
    Gui gui;
    // Every list of every board holds a record, so every item of the records is written.
    BuildingObject* kiosk = park.Small("KIOSK", 10);
    const uint32_t litter = park.At(OBJECT_LITTER, "LITTER", 0, 0)->GetID();
    const uint32_t bin = park.At(OBJECT_SCENERY, "Bin", 0, 0)->GetID();
    park.cleaning.RequestCleaning(litter);
    park.cleaning.AddAssigned(bin, false);
    park.mechanics.RequestRepair(kiosk->GetID(), RepairManager::REPAIR_BREAKDOWN);
    park.mechanics.AddAssigned(bin, false, RepairManager::REPAIR_WATERING);
    park.feedback.AddMessage("LOGGED", kiosk->GetID(), FeedbackManager::MESSAGE_BUILDING);
    gui.boxFree = false;
    park.feedback.AddMessage("QUEUED", kiosk->GetID(), FeedbackManager::MESSAGE_BUILDING);
    ASSERT_EQ(park.Construction().GetRecordCount(), 1u);

    // The save table's rows: the 32-bit integer items written with tag 5; all others are written with tag 11.
    const struct
    {
        const char* record;
        std::set<std::string> tagFive;
        std::function<void(SerialStream&)> save;
    } rows[] = {
        {"CleaningManager", {"sizeof", "List size", "iCalls"}, [&](SerialStream& s) { park.cleaning.Dump(s); }},
        {"ConstructionManager", {"sizeof", "List size"}, [&](SerialStream& s) { park.Construction().Dump(s); }},
        {"RepairManager", {"sizeof", "List size", "iCalls"}, [&](SerialStream& s) { park.mechanics.Dump(s); }},
        {"FeedbackManager", {"sizeof", "List size", "Buffer size"}, [&](SerialStream& s) { park.feedback.Dump(s); }},
    };
    for (const auto& row : rows)
    {
        const std::string file = park.dir.File(std::string(row.record) + ".sav");
        const std::vector<std::string> names = DumpNamed(file, [&](NamingStream& naming) { row.save(naming); });
        const std::vector<uint8_t> tags = StoredTags(testsupport::ReadBytes(file));
        ASSERT_EQ(tags.size(), names.size()) << row.record;
        std::set<std::string> seenFive;
        size_t elevens = 0;
        for (size_t i = 0; i < tags.size(); ++i)
        {
            if (tags[i] != 5 && tags[i] != 11)
                continue;
            const bool five = row.tagFive.count(names[i]) > 0;
            EXPECT_EQ(tags[i], five ? 5 : 11) << row.record << " " << names[i];
            if (five)
                seenFive.insert(names[i]);
            else
                ++elevens;
        }
        // Each item of the row was written, and some item with the other tag.
        EXPECT_EQ(seenFive, row.tagFive) << row.record;
        EXPECT_GT(elevens, 0u) << row.record;
    }
}

TEST(BuildingSaveTags, EachItemOfABuildingsOwnRecordCarriesTheTagOfItsSaveTable)
{
    JobPark park;
    BuildingObject* kiosk = park.Small("KIOSK", 10);
    ASSERT_NE(kiosk, nullptr);

    // The building's table: string 1, bool 2, float 3, unsigned 5, unsigned array 6, byte array 9, int array 10,
    // int 11. The id tables are unsigned arrays; the profit record, the bits of its floats, an int array.
    const std::pair<const char*, uint8_t> table[] = {
        {"m_staff", 6},
        {"m_numMalestaff", 11},
        {"m_numFemalestaff", 11},
        {"m_staff_busy", 9},
        {"m_LastMsgTime", 3},
        {"m_OpenStatus", 5},
        {"m_NumRestStaff", 5},
        {"m_fAttractionPrice", 3},
        {"m_fAverageProfit", 3},
        {"m_BuildingAge", 11},
        {"m_fProfitRecord", 10},
        {"m_fLastFaultDayTime", 3},
        {"m_LastFaultDay", 11},
        {"m_NumFaults", 11},
        {"m_RepairState", 5},
        {"m_bWasBroken", 2},
        {"m_LastRepairCall", 11},
        {"m_LastRepairDay", 11},
        {"m_NumTimesCleanedToday", 11},
        {"m_iNumTables", 5},
        {"m_Tables", 6},
        {"m_SoundID", 5},
        {"m_ServeInOutGrid.x", 5},
        {"m_InsideQueueGrid.y", 5},
        {"m_bHasOutGrid", 2},
        {"m_fCurrentRideStartLevel", 3},
        {"m_dwAnimals", 6},
        {"m_bEatPointUse", 9},
        {"m_bSleepPointUse", 9},
        {"m_iNumAnimals", 11},
        {"m_dwAnimalQuantites", 6},
        {"m_iAnimalsToZoo", 5},
        {"m_pQueueManager", 2},
        {"m_iInstanceNumber", 5},
        {"m_GuestList.size()", 5},
        {"m_LeavingList.size()", 5},
        {"m_bViewPoint2InUse", 9},
        {"m_dwEntranceID", 11},
        {"m_fCleanliness", 3},
        {"m_bRoofState", 2},
        {"list size", 5},
        {"list float", 3},
    };

    const std::string file = park.dir.File("Building.sav");
    const std::vector<std::string> names = DumpNamed(file, [&](NamingStream& naming) { kiosk->Dump(naming); });
    const std::vector<uint8_t> tags = StoredTags(testsupport::ReadBytes(file));
    ASSERT_EQ(tags.size(), names.size());
    for (const auto& [name, tag] : table)
    {
        size_t written = 0;
        for (size_t i = 0; i < names.size(); ++i)
        {
            if (names[i] != name)
                continue;
            ++written;
            EXPECT_EQ(static_cast<int>(tags[i]), static_cast<int>(tag)) << name;
        }
        EXPECT_GT(written, 0u) << name;
    }
}

// Where each stored item of a binary save (after the stream's own banner) starts, read by the stream format's item
// layout as StoredTags reads it.
std::vector<size_t> ItemStarts(const std::vector<uint8_t>& bytes)
{
    std::vector<size_t> starts;
    size_t at = savebytes::kStreamBanner;
    const auto word = [&](size_t p) { return bytes[p] | bytes[p + 1] << 8 | bytes[p + 2] << 16 | bytes[p + 3] << 24; };
    while (at < bytes.size())
    {
        starts.push_back(at);
        const uint8_t tag = bytes[at++];
        if (tag == 0 || tag == 1 || tag == 9)
            at += 4 + word(at);
        else if (tag == 7)
            at += 4 + 2 * word(at);
        else if (tag == 6 || tag == 10)
            at += 4 + 4 * word(at);
        else if (tag == 2 || tag == 8)
            at += 1;
        else if (tag == 4 || tag == 12)
            at += 2;
        else
            at += 4;
    }
    return starts;
}

TEST(BuildingRecordValues, AConditionOutsideNewToWornOutAnIntensityThatIsNoNumberOrAnOddTurnIsRefused)
{
    JobPark park;
    BuildingObject* kiosk = park.Small("KIOSK", 10);
    ASSERT_NE(kiosk, nullptr);
    const std::string file = park.dir.File("Building.sav");
    const std::vector<std::string> names = DumpNamed(file, [&](NamingStream& naming) { kiosk->Dump(naming); });
    const std::vector<uint8_t> bytes = testsupport::ReadBytes(file);
    const std::vector<size_t> starts = ItemStarts(bytes);
    ASSERT_EQ(starts.size(), names.size());
    const auto payloadOf = [&](const char* name)
    {
        const auto found = std::find(names.begin(), names.end(), name);
        return found == names.end() ? size_t{0} : starts[static_cast<size_t>(found - names.begin())] + 1;
    };

    // The condition is 1 new and falls with use to 0, where the building breaks down (its chance of a breakdown is
    // 1 less the condition); the animal intensity is the sum of the intensities of the animals held; a building is
    // built turned by one of four quarter turns, 0 to 3.
    const auto bits = [](float value) { return std::bit_cast<uint32_t>(value); };
    const uint32_t nan = bits(std::numeric_limits<float>::quiet_NaN());
    const uint32_t infinity = bits(std::numeric_limits<float>::infinity());
    const struct
    {
        const char* name;
        uint32_t value;
        bool loads;
    } cases[] = {
        {"m_fRepairState", bits(1.0f), true},
        {"m_fRepairState", bits(0.0f), true},
        {"m_fRepairState", bits(0.37f), true},
        {"m_fRepairState", bits(-0.01f), false},
        {"m_fRepairState", bits(1.01f), false},
        {"m_fRepairState", bits(1e30f), false},
        {"m_fRepairState", infinity, false},
        {"m_fRepairState", nan, false},
        {"m_fAnimalIntensity", bits(0.0f), true},
        {"m_fAnimalIntensity", bits(7.5f), true},
        {"m_fAnimalIntensity", nan, false},
        {"m_iDirection", 0u, true},
        {"m_iDirection", 3u, true},
        {"m_iDirection", 4u, false},
        {"m_iDirection", 0xFFFFFFFFu, false},
        {"m_iDirection", 0x7FFFFFFFu, false},
        {"m_iDirection", 0x80000000u, false},
    };
    for (const auto& [name, value, loads] : cases)
    {
        SCOPED_TRACE(std::string(name) + " " + std::to_string(value));
        const size_t at = payloadOf(name);
        ASSERT_GT(at, 0u);
        std::vector<uint8_t> changed(bytes.begin() + savebytes::kStreamBanner, bytes.end());
        std::memcpy(&changed[at - savebytes::kStreamBanner], &value, sizeof value);
        auto* copy = static_cast<BuildingObject*>(g_pObjectManager->CreateObject("KIOSK", OBJECT_BUILDING));
        ASSERT_NE(copy, nullptr);
        const size_t reportsBefore = park.reports.boxes.size();
        EXPECT_EQ(savebytes::LoadFrom(changed, [&](SerialStream& s) { return copy->Load(s); }), loads);
        if (loads)
        {
            EXPECT_EQ(park.reports.boxes.size(), reportsBefore);
        }
        else
        {
            ASSERT_EQ(park.reports.boxes.size(), reportsBefore + 1);
            EXPECT_NE(park.reports.boxes.back().text.find("BuildingObject::Load - KIOSK"), std::string::npos)
                << park.reports.boxes.back().text;
        }
    }
    park.reports.boxes.clear();
}

} // namespace
