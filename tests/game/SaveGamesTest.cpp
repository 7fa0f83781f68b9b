// The save games' rules without a running game: slot names, slot choice, list order, the time-of-day texts, the
// version rule and the header's bytes, with wrong, old and cut headers.
#include "game/SaveGames.h"
#include "engine/core/SerialStream.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace
{

struct SlotNameCase
{
    const char* name;
    bool isSlot;
    int32_t slot;
};

TEST(SaveGamesTest, OnlySaveDigitsDatNamesAreSlots)
{
    const SlotNameCase cases[] = {
        {"save0.dat", true, 0},
        {"save7.dat", true, 7},
        {"save12.dat", true, 12},
        {"SAVE3.DAT", true, 3},
        {"Save2147483647.dat", true, 2147483647},
        {"save2147483648.dat", false, 0},
        {"save99999999999999999999.dat", false, 0},
        {"saveX.dat", false, 0},
        {"save-1.dat", false, 0},
        {"save.dat", false, 0},
        {"save1.dat.tmp", false, 0},
        {"save1.datx", false, 0},
        {"xsave1.dat", false, 0},
        {"save 1.dat", false, 0},
        {"save1x.dat", false, 0},
        {"save1.txt", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases)
    {
        int32_t slot = -99;
        EXPECT_EQ(ParseSaveSlotName(c.name, &slot), c.isSlot) << c.name;
        if (c.isSlot)
        {
            EXPECT_EQ(slot, c.slot) << c.name;
        }
    }
}

std::vector<std::unique_ptr<SaveGameEntry>> Entries(std::initializer_list<std::pair<int32_t, int32_t>> slotsAndTimes)
{
    std::vector<std::unique_ptr<SaveGameEntry>> entries;
    for (const auto& [slot, time] : slotsAndTimes)
    {
        entries.push_back(std::make_unique<SaveGameEntry>());
        entries.back()->m_iSlot = slot;
        entries.back()->m_iSaveTime = time;
    }
    return entries;
}

TEST(SaveGamesTest, TheFreeSlotIsTheSmallestUnused)
{
    struct Case
    {
        std::vector<int32_t> slots;
        int32_t free;
    };
    const Case cases[] = {
        {{}, 0}, {{0, 1, 3}, 2}, {{1, 2}, 0}, {{3, 0, 2, 1}, 4}, {{5, 0, 2, 1}, 3}, {{0}, 1}, {{7}, 0},
    };
    for (const auto& c : cases)
    {
        std::vector<std::unique_ptr<SaveGameEntry>> entries;
        int32_t time = 100;
        for (int32_t slot : c.slots)
        {
            entries.push_back(std::make_unique<SaveGameEntry>());
            entries.back()->m_iSlot = slot;
            entries.back()->m_iSaveTime = time--;
        }
        EXPECT_EQ(FindFreeSaveSlot(entries), c.free) << ::testing::PrintToString(c.slots);
    }
}

TEST(SaveGamesTest, TheListIsNewestFirstThenBySlot)
{
    // A time past 2038 is negative as a signed value and must still sort as the newest.
    auto entries = Entries({{4, 100}, {2, 300}, {9, 200}, {1, 200}, {3, -5}, {0, 300}});
    SortSaveGames(entries);
    const int32_t expectedSlots[] = {3, 0, 2, 1, 9, 4};
    ASSERT_EQ(entries.size(), std::size(expectedSlots));
    for (size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(entries[i]->m_iSlot, expectedSlots[i]) << "row " << i;
}

TEST(SaveGamesTest, TimeOfDayShowsWholeHoursAndQuarterMinutes)
{
    struct Case
    {
        float hours;
        int32_t hour;
        int32_t minute;
    };
    const Case cases[] = {
        {13.8f, 13, 45}, {13.2f, 13, 0}, {13.5f, 13, 30},  {13.26f, 13, 15}, {13.74f, 13, 30},
        {0.0f, 0, 0},    {9.0f, 9, 0},   {23.99f, 23, 45}, {6.76f, 6, 45},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(DayTimeToHour(c.hours), c.hour) << c.hours;
        EXPECT_EQ(DayTimeToQuarterMinute(c.hours), c.minute) << c.hours;
    }
}

// A damaged save's time of day is shown within the day: not a number as midnight, anything outside 0 to 24 hours
// as the nearer end of the day.
TEST(SaveGamesTest, ATimeOfDayOutsideTheDayShowsWithinIt)
{
    struct Case
    {
        float hours;
        int32_t hour;
        int32_t minute;
    };
    const Case cases[] = {
        {NAN, 0, 0},    {-NAN, 0, 0},  {INFINITY, 24, 0}, {-INFINITY, 0, 0}, {1e30f, 24, 0},
        {-1e30f, 0, 0}, {3e9f, 24, 0}, {-3e9f, 0, 0},     {-0.5f, 0, 0},     {30.5f, 24, 0},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(DayTimeToHour(c.hours), c.hour) << c.hours;
        EXPECT_EQ(DayTimeToQuarterMinute(c.hours), c.minute) << c.hours;
    }
}

TEST(SaveGamesTest, TheVersionMatchesWithinFloatEpsilon)
{
    EXPECT_TRUE(IsSaveVersion(4.9f));
    EXPECT_FALSE(IsSaveVersion(4.8f));
    EXPECT_FALSE(IsSaveVersion(5.0f));
    // The neighbouring floats of 4.9 lie further than FLT_EPSILON away.
    EXPECT_FALSE(IsSaveVersion(std::nextafter(4.9f, 5.0f)));
    EXPECT_FALSE(IsSaveVersion(std::nextafter(4.9f, 4.0f)));
    EXPECT_FALSE(IsSaveVersion(NAN));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutFloat(std::vector<uint8_t>& out, float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    PutU32(out, bits);
}

void PutText(std::vector<uint8_t>& out, uint8_t tag, const std::string& text)
{
    out.push_back(tag);
    PutU32(out, static_cast<uint32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

SaveGameEntry SampleEntry()
{
    SaveGameEntry entry;
    entry.m_iSaveTime = 1765000000;
    entry.m_iScenario = 2;
    entry.m_iGameDay = 14;
    entry.m_fDayTime = 13.75f;
    entry.m_fCash = 12345.5f;
    entry.m_iGuests = 321;
    std::strcpy(entry.m_szTitle, "SCENARIO3_TITLE");
    return entry;
}

// The header written by hand, byte by byte, as the file layout lays it down.
std::vector<uint8_t> ExpectedHeader(const SaveGameEntry& e, bool sandbox,
                                    const char* identification = "Tidewell MRK2 Save", float version = 4.9f)
{
    std::vector<uint8_t> bytes;
    PutText(bytes, 0, "Binary Serial Stream");
    PutText(bytes, 0, identification);
    bytes.push_back(3);
    PutFloat(bytes, version);
    for (int32_t value : {e.m_iSaveTime, e.m_iScenario, e.m_iGameDay})
    {
        bytes.push_back(11);
        PutU32(bytes, static_cast<uint32_t>(value));
    }
    bytes.push_back(3);
    PutFloat(bytes, e.m_fDayTime);
    bytes.push_back(3);
    PutFloat(bytes, e.m_fCash);
    bytes.push_back(11);
    PutU32(bytes, static_cast<uint32_t>(e.m_iGuests));
    PutText(bytes, 1, e.m_szTitle);
    bytes.push_back(2);
    bytes.push_back(sandbox ? 1 : 0);
    return bytes;
}

TEST(SaveGamesTest, TheHeaderIsWrittenByteForByte)
{
    testsupport::TempDir dir;
    const std::string file = dir.File("save0.dat");
    const SaveGameEntry entry = SampleEntry();
    for (bool sandbox : {false, true})
    {
        {
            BinarySerialStream out(true, file.c_str());
            WriteSaveHeader(out, entry, sandbox);
            ASSERT_TRUE(out.Close());
        }
        EXPECT_EQ(testsupport::ReadBytes(file), ExpectedHeader(entry, sandbox)) << "sandbox " << sandbox;
    }
}

SaveHeaderResult ReadHeaderFrom(const std::string& file, const std::vector<uint8_t>& bytes, SaveGameEntry* entry,
                                bool* sandbox)
{
    testsupport::WriteBytes(file, bytes);
    BinarySerialStream in(false, file.c_str());
    return ReadSaveHeader(in, entry, sandbox);
}

TEST(SaveGamesTest, AWrittenHeaderReadsBack)
{
    testsupport::TempDir dir;
    const SaveGameEntry written = SampleEntry();
    SaveGameEntry read;
    read.m_iSlot = 6;
    bool sandbox = false;
    ASSERT_EQ(ReadHeaderFrom(dir.File("save6.dat"), ExpectedHeader(written, true), &read, &sandbox),
              SaveHeaderResult::Ok);
    EXPECT_EQ(read.m_iSlot, 6);
    EXPECT_EQ(read.m_iSaveTime, written.m_iSaveTime);
    EXPECT_EQ(read.m_iScenario, written.m_iScenario);
    EXPECT_EQ(read.m_iGameDay, written.m_iGameDay);
    EXPECT_EQ(read.m_fDayTime, written.m_fDayTime);
    EXPECT_EQ(read.m_fCash, written.m_fCash);
    EXPECT_EQ(read.m_iGuests, written.m_iGuests);
    EXPECT_STREQ(read.m_szTitle, written.m_szTitle);
    EXPECT_TRUE(sandbox);
}

TEST(SaveGamesTest, WrongOldAndCutHeadersAreRefused)
{
    testsupport::TempDir dir;
    const std::string file = dir.File("save1.dat");
    const SaveGameEntry entry = SampleEntry();
    const std::vector<uint8_t> good = ExpectedHeader(entry, false);
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        SaveHeaderResult result;
    };
    std::vector<Case> cases = {
        {"another identification", ExpectedHeader(entry, false, "Tidewell MRK1 Save"),
         SaveHeaderResult::WrongIdentification},
        {"an identification cut short", ExpectedHeader(entry, false, "Tidewell MRK2"),
         SaveHeaderResult::WrongIdentification},
        {"version 4.8", ExpectedHeader(entry, false, "Tidewell MRK2 Save", 4.8f), SaveHeaderResult::WrongVersion},
        {"empty file", {}, SaveHeaderResult::Cut},
    };
    // Cut after the stream banner, inside the identification, after it, inside the version, and one byte short of
    // the end.
    const size_t banner = 1 + 4 + 20;
    for (size_t size : {banner, banner + 10, banner + 5 + 18, banner + 5 + 18 + 3, good.size() - 1})
        cases.push_back({"cut", std::vector<uint8_t>(good.begin(), good.begin() + static_cast<ptrdiff_t>(size)),
                         SaveHeaderResult::Cut});
    for (const auto& c : cases)
    {
        SaveGameEntry read;
        bool sandbox = false;
        EXPECT_EQ(ReadHeaderFrom(file, c.bytes, &read, &sandbox), c.result) << c.what << " " << c.bytes.size();
    }
}

// The lists show a save's day counted from one: a damaged header's day count, however large, still has a next one.
TEST(SaveGamesTest, ADayCountBeyondTheListsIsHeldWithinThem)
{
    testsupport::TempDir dir;
    for (const uint32_t day : {0x7FFFFFFFu, 0x7FFFFFFEu, 0x80000000u, 0xFFFFFFFFu})
    {
        SaveGameEntry entry = SampleEntry();
        entry.m_iGameDay = static_cast<int32_t>(day);
        SaveGameEntry read;
        bool sandbox = false;
        ASSERT_EQ(ReadHeaderFrom(dir.File("save2.dat"), ExpectedHeader(entry, false), &read, &sandbox),
                  SaveHeaderResult::Ok);
        EXPECT_GE(read.m_iGameDay, 0) << day;
        EXPECT_LE(static_cast<int64_t>(read.m_iGameDay) + 1, INT32_MAX) << day;
    }
}

TEST(SaveGamesTest, AnOverlongTitleIsCutToTheEntry)
{
    testsupport::TempDir dir;
    SaveGameEntry entry = SampleEntry();
    std::vector<uint8_t> bytes = ExpectedHeader(entry, true);
    // Replace the title item with a 300-character one; the sandbox flag after it must still be read.
    const size_t titleAt = bytes.size() - 2 - (1 + 4 + std::strlen(entry.m_szTitle));
    bytes.resize(titleAt);
    PutText(bytes, 1, std::string(300, 'T'));
    bytes.push_back(2);
    bytes.push_back(1);
    SaveGameEntry read;
    bool sandbox = false;
    ASSERT_EQ(ReadHeaderFrom(dir.File("save2.dat"), bytes, &read, &sandbox), SaveHeaderResult::Ok);
    EXPECT_EQ(std::strlen(read.m_szTitle), static_cast<size_t>(SaveGameEntry::kTitleSize - 1));
    EXPECT_TRUE(sandbox);
}

} // namespace
