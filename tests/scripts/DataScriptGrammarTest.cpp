// Tests of the data-script grammar: the quote pass, prefixes, declarations and field lines, value conventions,
// keyword lookups, range-checked records, table limits and damaged scripts.
#include "scripts/DataScript.h"
#include "tests/scripts/TablesTestSupport.h"

#include <gmock/gmock.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <tuple>

using tablestest::Quoted;
using tablestest::Record;
using tablestest::S;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

namespace
{
class Grammar : public tablestest::Tables
{
};
} // namespace

TEST_F(Grammar, TextOutsideQuotesChangesNothing)
{
    // Words, numbers, comments and line breaks between and around the tokens are ignored; a token may span lines.
    Process("// buildings 12 \r\n BUILD_KIOSK = \"BUILD_KIOSK\" 99 ; \"KIOSK_COST2BUILD\"\t-- cost --\n\"250\"x\n"
            "\"KIOSK_MENU\" \"two\nlines\" trailing words");
    EXPECT_THAT(Reports(), IsEmpty());
    ASSERT_EQ(params->GetBuildingCount(), 1u);
    const BuildingInfo& kiosk = params->GetBuildingInfo(0);
    EXPECT_EQ(std::tuple(kiosk.id, S(kiosk.keyword), kiosk.iCost2Build, S(kiosk.szMenu)),
              std::tuple(0, "KIOSK", 250, "two\nlines"));
}

TEST_F(Grammar, PrefixesAndRemaindersMayStandApartAndJettyAndSecurityKeepTheirUnderscore)
{
    // "KIOSK" "COST2BUILD" "250" sets what "KIOSK_COST2BUILD" "250" sets; "BUILD" "CAFE" declares CAFE and the
    // keyword token is not read again as a prefix. PIER_SMALL is declared, but its field lines have the prefix
    // PIER, which nothing declares; field lines before their declaration are reported twice (the value too).
    Process(Quoted({"CAFE_ICON",
                    "3",
                    "BUILD",
                    "KIOSK",
                    "KIOSK",
                    "COST2BUILD",
                    "250",
                    "BUILD",
                    "CAFE",
                    "CAFE_ICON",
                    "7",
                    "MALENAME",
                    "Ada",
                    "FEMALENAME_Bo",
                    "BUILD_JETTY_SMALL",
                    "JETTY_SMALL_GUESTCAPACITY",
                    "4",
                    "BUILD_SECURITY_HUT",
                    "SECURITY_HUT_ICON",
                    "3",
                    "BUILD_PIER_SMALL",
                    "PIER_SMALL_ICON",
                    "5"}));
    ASSERT_EQ(params->GetBuildingCount(), 5u);
    auto building = [&](int32_t id)
    {
        const BuildingInfo& b = params->GetBuildingInfo(id);
        return std::tuple(S(b.keyword), b.iCost2Build, b.iIcon, b.iGuestCapacity);
    };
    EXPECT_EQ(building(0), std::tuple("KIOSK", 250, 0, 0));
    EXPECT_EQ(building(1), std::tuple("CAFE", 0, 7, 0));
    EXPECT_EQ(building(2), std::tuple("JETTY_SMALL", 0, 0, 4));
    EXPECT_EQ(building(3), std::tuple("SECURITY_HUT", 0, 3, 0));
    EXPECT_EQ(building(4), std::tuple("PIER_SMALL", 0, 0, 0));
    EXPECT_EQ(std::tuple(params->GetNameLists().numMaleNames, S(params->GetNameLists().maleNames[0]),
                         S(params->GetNameLists().femaleNames[0])),
              std::tuple(1u, "Ada", "Bo"));
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::Process - unrecognised keyword prefix - CAFE",
                                       "WorldParams::Process - unrecognised keyword prefix - 3",
                                       "WorldParams::Process - unrecognised keyword prefix - PIER",
                                       "WorldParams::Process - unrecognised keyword prefix - 5"));
}

TEST_F(Grammar, DuplicatesAndSharedKeywordsGoToTheFirstMatch)
{
    // Two records of one keyword: field lines and lookups find the first. A building keyword that is also a
    // guest keyword takes the field lines, since building types are tested first.
    Process(Quoted({"BUILD_KIOSK", "BUILD_KIOSK", "KIOSK_ICON", "9", "GUEST_KIOSK", "KIOSK_MODEL", "m1"}));
    ASSERT_EQ(params->GetBuildingCount(), 2u);
    EXPECT_EQ(params->GetBuildingInfo(0).iIcon, 9);
    EXPECT_EQ(params->GetBuildingInfo(1).iIcon, 0);
    EXPECT_EQ(params->GetBuildingID("KIOSK"), 0);
    EXPECT_EQ(params->GetGuestCount(), 1u);
    EXPECT_STREQ(params->GetGuestInfo(0).szModel, "");
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddBuildingData - unrecognised building keyword - MODEL"));
}

TEST_F(Grammar, NameListsAreTestedRightAfterTheGuestTypes)
{
    // A guest type named SURNAME takes the SURNAME lines; a scenery type named MALENAME never sees its lines.
    Process(Quoted({"GUEST_SURNAME", "SCENERY_MALENAME", "SURNAME_MODEL", "m1", "MALENAME_Al"}));
    EXPECT_STREQ(params->GetGuestInfo(0).szModel, "m1");
    EXPECT_EQ(params->GetNameLists().numSurnames, 0u);
    EXPECT_EQ(params->GetNameLists().numMaleNames, 1u);
    EXPECT_THAT(Reports(), IsEmpty());
}

TEST_F(Grammar, OddQuoteCountKeepsTheTokensBeforeTheOpenOne)
{
    // Reported once per text; the last token never closes and is not applied.
    Process(Quoted({"BUILD_KIOSK", "KIOSK_ICON", "4"}) + "\"KIOSK_COST2BUILD\" \"250");
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::Process - odd number of quotes in gameplay file",
                                       "WorldParams::Process - keyword without a value at the end of the file - "
                                       "KIOSK_COST2BUILD"));
    EXPECT_EQ(params->GetBuildingInfo(0).iIcon, 4);
    EXPECT_EQ(params->GetBuildingInfo(0).iCost2Build, 0);
}

TEST_F(Grammar, KeywordsWithoutAValueAtTheEndAreRefused)
{
    const std::pair<std::string, const char*> rows[] = {
        {Quoted({"BUILD_KIOSK", "KIOSK_ICON"}), "KIOSK_ICON"},
        {Quoted({"BUILD_KIOSK", "KIOSK"}), "KIOSK"},
        {Quoted({"BUILD_KIOSK", "KIOSK", "ICON"}), "KIOSK"},
        {Quoted({"BUILD"}), "BUILD"},
        {Quoted({"SURNAME"}), "SURNAME"},
    };
    for (const auto& [text, token] : rows)
    {
        sink.boxes.clear();
        params = std::make_unique<WorldParams>();
        Process(text);
        EXPECT_THAT(
            Reports(),
            ElementsAre(std::string("WorldParams::Process - keyword without a value at the end of the file - ") +
                        token))
            << text;
        EXPECT_EQ(params->GetBuildingInfo(0).iIcon, 0) << text;
        EXPECT_EQ(params->GetNameLists().numSurnames, 0u) << text;
    }
    EXPECT_EQ(params->GetBuildingCount(), 0u);
}

TEST_F(Grammar, OverlongPrefixIsRefusedAndTheScanGoesOn)
{
    const std::string longPrefix(300, 'Q');
    Process(Quoted({longPrefix + "_X", "BUILD_KIOSK", "KIOSK_ICON", "2"}));
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_THAT(Reports()[0], HasSubstr("WorldParams::Process - keyword prefix too long - " + std::string(255, 'Q')));
    EXPECT_EQ(Reports()[0].find(std::string(256, 'Q')), std::string::npos);
    EXPECT_EQ(params->GetBuildingInfo(0).iIcon, 2);
    // 255 characters is still a prefix, reported as unrecognised like any other.
    sink.boxes.clear();
    Process(Quoted({std::string(255, 'Z')}));
    EXPECT_THAT(Reports(),
                ElementsAre("WorldParams::Process - unrecognised keyword prefix - " + std::string(255, 'Z')));
}

TEST_F(Grammar, ValueConventions)
{
    const std::pair<const char*, int32_t> integers[] = {{" 12abc", 12}, {"-7", -7}, {"+3", 3},
                                                        {"abc", 0},     {"", 0},    {"99999999999", 2147483647}};
    for (const auto& [text, expected] : integers)
        EXPECT_EQ(datascript::ToInteger(text), expected) << text;
    const std::pair<const char*, float> reals[] = {{"2.5x", 2.5f}, {" -0.25", -0.25f}, {"x", 0.0f}, {"1e2", 100.0f}};
    for (const auto& [text, expected] : reals)
        EXPECT_FLOAT_EQ(datascript::ToReal(text), expected) << text;
    // Beyond the float range the value is an infinity of its sign; the largest floats themselves stay finite.
    EXPECT_EQ(datascript::ToReal("1e60"), std::numeric_limits<float>::infinity());
    EXPECT_EQ(datascript::ToReal("-1e60"), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(datascript::ToReal("3.4028234663852886e38"), std::numeric_limits<float>::max());
    EXPECT_EQ(datascript::ToReal("-3.4028234663852886e38"), -std::numeric_limits<float>::max());
    EXPECT_TRUE(datascript::IsYes("Yes"));
    for (const char* no : {"yes", "YES", "Yes ", "Y", ""})
        EXPECT_FALSE(datascript::IsYes(no)) << no;
    for (const char* yes : {"yes", "YES", "yEs"})
        EXPECT_TRUE(datascript::IsYesAnyCase(yes)) << yes;
    EXPECT_FALSE(datascript::IsYesAnyCase("Yess"));
}

TEST_F(Grammar, KeywordLookups)
{
    Process(Quoted({"BUILD_A", "BUILD_B", "GUEST_G", "ANIMAL_N", "RESEARCH_R", "RESCUE_S", "MOVE_M", "TRAINING_T",
                    "SCENERY_Y", "SCENERY_Z", "MAPGRID_P", "MAPGRID_Q"}));
    params->AddBuiltInStaff();
    EXPECT_EQ(params->GetBuildingID("B"), 1);
    EXPECT_EQ(params->GetSceneryID("Z"), 1);
    EXPECT_EQ(params->GetMapGridID("Q"), 1);
    EXPECT_EQ(params->GetStaffID("CLEANER"), 6);
    EXPECT_THAT(Reports(), IsEmpty());

    // Not found: 0, reported by all but the scenery and map grid lookups; the Find forms tell it from id 0.
    const std::tuple<int32_t, const char*> missing[] = {
        {params->GetBuildingID("b"), "GetBuildingID - keyword not found - b"},
        {params->GetStaffID("Cleaner"), "GetStaffID - keyword not found - Cleaner"},
        {params->GetGuestID("X"), "GetGuestID - keyword not found - X"},
        {params->GetAnimalID("X"), "GetAnimalID - keyword not found - X"},
        {params->GetResearchID("X"), "GetResearchID - keyword not found - X"},
        {params->GetRescueID("X"), "GetRescueID - keyword not found - X"},
        {params->GetShowMoveID("X"), "GetShowMoveID - keyword not found - X"},
        {params->GetTrainingID(nullptr), "GetTrainingID - keyword not found - "},
        {params->GetSceneryID("X"), nullptr},
        {params->GetMapGridID("X"), nullptr},
    };
    std::vector<std::string> reported;
    for (const auto& [id, report] : missing)
    {
        EXPECT_EQ(id, 0) << (report ? report : "");
        if (report)
            reported.push_back(std::string("WorldParams::") + report);
    }
    EXPECT_EQ(Reports(), reported);
    EXPECT_EQ(params->FindBuilding("A"), 0);
    EXPECT_EQ(params->FindBuilding("AB"), WorldParams::kNotFound);
    // The declared-keyword tests of the grammar, one family each.
    const std::pair<bool (WorldParams::*)(std::string_view) const, const char*> tests[] = {
        {&WorldParams::IsBuildingKeyword, "B"}, {&WorldParams::IsMapGridKeyword, "Q"},
        {&WorldParams::IsGuestKeyword, "G"},    {&WorldParams::IsSceneryKeyword, "Y"},
        {&WorldParams::IsAnimalKeyword, "N"},   {&WorldParams::IsResearchKeyword, "R"},
        {&WorldParams::IsRescueKeyword, "S"},   {&WorldParams::IsShowMoveKeyword, "M"},
        {&WorldParams::IsTrainingKeyword, "T"},
    };
    for (const auto& [test, keyword] : tests)
    {
        EXPECT_TRUE((params.get()->*test)(keyword)) << keyword;
        EXPECT_FALSE((params.get()->*test)("A_")) << keyword;
    }
    EXPECT_TRUE(WorldParams::IsNameKeyword("SURNAME"));
    EXPECT_FALSE(WorldParams::IsNameKeyword("SURNAMES"));
    EXPECT_EQ(params->FindScenery(""), WorldParams::kNotFound);
    EXPECT_EQ(params->FindMapGrid("P"), 0);
}

TEST_F(Grammar, RecordsOutsideTheTablesAreEmptyAndReported)
{
    Process(Record("BUILD", "A", {{"ICON", "5"}}) + Record("MOVE", "M", {{"TITLE", "t"}}));
    const int32_t badIds[] = {-1, 1, 55, std::numeric_limits<int32_t>::min()};
    for (int32_t id : badIds)
    {
        sink.boxes.clear();
        BuildingInfo& none = params->GetBuildingInfo(id);
        EXPECT_EQ(none.iIcon, 0) << id;
        EXPECT_STREQ(none.keyword, "") << id;
        // What a caller writes into the empty record is gone by the next call.
        none.iIcon = 77;
        EXPECT_EQ(params->GetBuildingInfo(id).iIcon, 0) << id;
        EXPECT_THAT(Reports(),
                    testing::Contains("WorldParams::GetBuildingInfo - id out of range - " + std::to_string(id)));
    }
    EXPECT_EQ(params->GetBuildingInfo(0).iIcon, 5);
    sink.boxes.clear();
    const ShowMoveInfo& noMove = params->GetShowMoveInfo(1);
    EXPECT_EQ(std::tuple(S(noMove.cTitle), noMove.ID, noMove.DiffcultyLevel), std::tuple("", 0, 0));
    EXPECT_EQ(std::tuple(params->GetMapGridInfo(0).id, params->GetGuestInfo(0).id, params->GetStaffInfo(0).iWage,
                         params->GetSceneryInfo(3).iIcon, params->GetAnimalInfo(0).fCost,
                         params->GetResearchInfo(0).iType, params->GetRescueInfo(0).iType,
                         S(params->GetTrainingInfo(0).szKeySequence)),
              std::tuple(0, 0, 0, 0, 0.0f, 0, 0, ""));
    for (const char* report : {"GetShowMoveInfo - id out of range - 1", "GetMapGridInfo - id out of range - 0",
                               "GetGuestInfo - id out of range - 0", "GetStaffInfo - id out of range - 0",
                               "GetSceneryInfo - id out of range - 3", "GetAnimalInfo - id out of range - 0",
                               "GetResearchInfo - id out of range - 0", "GetRescueInfo - id out of range - 0",
                               "GetTrainingInfo - id out of range - 0"})
        EXPECT_THAT(Reports(), testing::Contains(std::string("WorldParams::") + report));
    // A field line for an id out of range goes nowhere.
    sink.boxes.clear();
    params->AddBuildingData(3, "ICON", "8");
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddBuildingData - id out of range - 3"));
    EXPECT_EQ(params->GetBuildingInfo(0).iIcon, 5);
}

TEST_F(Grammar, TablesHoldTheirCapacityAndRefuseMore)
{
    struct Row
    {
        const char* prefix;
        uint32_t capacity;
        const char* where;
        uint32_t (WorldParams::*count)() const;
        bool (WorldParams::*declare)(const char*);
    };
    const Row rows[] = {
        {"BUILD", 55, "WorldParams::AddBuilding", &WorldParams::GetBuildingCount, &WorldParams::AddBuilding},
        {"MAPGRID", 55, "WorldParams::AddMapGrid", &WorldParams::GetMapGridCount, &WorldParams::AddMapGrid},
        {"GUEST", 9, "WorldParams::AddGuest", &WorldParams::GetGuestCount, &WorldParams::AddGuest},
        {"SCENERY", 70, "WorldParams::AddScenery", &WorldParams::GetSceneryCount, &WorldParams::AddScenery},
        {"ANIMAL", 20, "WorldParams::AddAnimal", &WorldParams::GetAnimalCount, &WorldParams::AddAnimal},
        {"RESEARCH", 42, "WorldParams::AddResearch", &WorldParams::GetResearchCount, &WorldParams::AddResearch},
        {"RESCUE", 30, "WorldParams::AddRescue", &WorldParams::GetRescueCount, &WorldParams::AddRescue},
        {"MOVE", 50, "WorldParams::AddShowMove", &WorldParams::GetShowMoveCount, &WorldParams::AddShowMove},
        {"TRAINING", 50, "WorldParams::AddTraining", &WorldParams::GetTrainingCount, &WorldParams::AddTraining},
    };
    for (const Row& row : rows)
    {
        sink.boxes.clear();
        params = std::make_unique<WorldParams>();
        std::string text;
        for (uint32_t i = 0; i <= row.capacity; ++i)
            text += "\"" + std::string(row.prefix) + "_K" + std::to_string(i) + "\"\n";
        Process(text);
        EXPECT_EQ((params.get()->*row.count)(), row.capacity) << row.prefix;
        const std::string last = "K" + std::to_string(row.capacity);
        EXPECT_THAT(Reports(), ElementsAre(std::string(row.where) + " - table full (" + std::to_string(row.capacity) +
                                           " records) - " + last))
            << row.prefix;
        // The declarations say whether they took a record.
        EXPECT_FALSE((params.get()->*row.declare)("MORE")) << row.prefix;
        params = std::make_unique<WorldParams>();
        EXPECT_TRUE((params.get()->*row.declare)("FIRST")) << row.prefix;
    }
    params = std::make_unique<WorldParams>();
    EXPECT_TRUE(params->AddBuilding("FITS"));
    EXPECT_FALSE(params->AddBuilding(std::string(32, 'x').c_str()));
    EXPECT_TRUE(params->AddMapGrid(std::string(63, 'g').c_str()));
    EXPECT_FALSE(params->AddMapGrid(std::string(64, 'g').c_str()));
    // The staff table holds ten: the eight built-in rows and two more.
    params->AddBuiltInStaff();
    EXPECT_TRUE(params->AddStaff("S8", "M", "0", "m", "a", 1));
    EXPECT_TRUE(params->AddStaff("S9", "F", "0", "m", "a", 1));
    EXPECT_FALSE(params->AddStaff("S10", "M", "0", "m", "a", 1));
    EXPECT_EQ(params->GetStaffCount(), 10u);
}

TEST_F(Grammar, RefusedDeclarationsAreReportedOnceAndTheirFieldLinesPassQuietly)
{
    // A record whose keyword is too long, then each table filled to its capacity and three more records, each
    // refused record with field lines (one of them with its field keyword standing apart). The data maker hears of
    // the long keyword once and of the full table once; the refused records' field lines, values and all, are
    // passed over, and the lines after them still count.
    struct Row
    {
        const char* prefix;
        uint32_t capacity;
        size_t keywordSize;
        const char* where;
        uint32_t (WorldParams::*count)() const;
    };
    const Row rows[] = {
        {"BUILD", 55, 32, "WorldParams::AddBuilding", &WorldParams::GetBuildingCount},
        {"MAPGRID", 55, 64, "WorldParams::AddMapGrid", &WorldParams::GetMapGridCount},
        {"GUEST", 9, 32, "WorldParams::AddGuest", &WorldParams::GetGuestCount},
        {"SCENERY", 70, 32, "WorldParams::AddScenery", &WorldParams::GetSceneryCount},
        {"ANIMAL", 20, 32, "WorldParams::AddAnimal", &WorldParams::GetAnimalCount},
        {"RESEARCH", 42, 16, "WorldParams::AddResearch", &WorldParams::GetResearchCount},
        {"RESCUE", 30, 24, "WorldParams::AddRescue", &WorldParams::GetRescueCount},
        {"MOVE", 50, 32, "WorldParams::AddShowMove", &WorldParams::GetShowMoveCount},
        {"TRAINING", 50, 32, "WorldParams::AddTraining", &WorldParams::GetTrainingCount},
    };
    for (const Row& row : rows)
    {
        sink.boxes.clear();
        params = std::make_unique<WorldParams>();
        const auto refused = [&](const std::string& keyword)
        {
            return Quoted(
                {std::string(row.prefix) + "_" + keyword, keyword + "_FIELD", "value 1", keyword, "FIELD", "value 2"});
        };
        const std::string tooLong(row.keywordSize, 'L');
        std::string text = refused(tooLong);
        for (uint32_t i = 0; i < row.capacity; ++i)
            text += Quoted({std::string(row.prefix) + "_K" + std::to_string(i)});
        for (const char* keyword : {"X1", "X2", "X3"})
            text += refused(keyword);
        Process(text + Quoted({"MALENAME_Al"}));
        EXPECT_EQ((params.get()->*row.count)(), row.capacity) << row.prefix;
        EXPECT_EQ(params->GetNameLists().numMaleNames, 1u) << row.prefix;
        EXPECT_THAT(
            Reports(),
            ElementsAre(std::string(row.where) + " - keyword too long (" + std::to_string(row.keywordSize - 1) +
                            " characters at most) - " + tooLong,
                        std::string(row.where) + " - table full (" + std::to_string(row.capacity) + " records) - X1"))
            << row.prefix;
    }
    // A keyword nobody declared is still reported, its value with it.
    sink.boxes.clear();
    params = std::make_unique<WorldParams>();
    Process(Quoted({"BUILD_" + std::string(32, 'L'), "NOBODY_ICON", "4"}));
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddBuilding - keyword too long (31 characters at most) - " +
                                           std::string(32, 'L'),
                                       "WorldParams::Process - unrecognised keyword prefix - NOBODY",
                                       "WorldParams::Process - unrecognised keyword prefix - 4"));
}

TEST_F(Grammar, KeywordsAndTextsBeyondTheirFields)
{
    // A keyword that does not fit is refused (a cut one could never be reached); a text value is cut to fit.
    const std::string fits(31, 'k');
    Process(Quoted({"BUILD_" + fits + "X", "BUILD_" + fits, fits + "_MENU", std::string(40, 'm'),
                    "RESEARCH_" + std::string(15, 'r'), "RESEARCH_" + std::string(16, 'r')}));
    ASSERT_EQ(params->GetBuildingCount(), 1u);
    EXPECT_EQ(params->GetBuildingInfo(0).keyword, fits);
    EXPECT_EQ(params->GetBuildingInfo(0).szMenu, std::string(31, 'm'));
    EXPECT_EQ(params->GetResearchCount(), 1u);
    EXPECT_THAT(
        Reports(),
        ElementsAre("WorldParams::AddBuilding - keyword too long (31 characters at most) - " + fits + "X",
                    "WorldParams::AddBuildingData - text too long for MENU, cut to 31 characters - " +
                        std::string(40, 'm'),
                    "WorldParams::AddResearch - keyword too long (15 characters at most) - " + std::string(16, 'r')));
}

TEST_F(Grammar, FilesLoadInOrderIntoTheSameTables)
{
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.File("data/script"));
    auto write = [&](const char* name, const std::string& text)
    { testsupport::WriteBytes(dir.File(std::string("data/script/") + name), tablestest::Scrambled(text)); };
    // Each file declares one building; ids follow the load order. The same field set in every file keeps the
    // value of the file read last. The training file is missing.
    const char* order[] = {"first.ble",       "mrvscenery.ble", "guestextra.ble",  "guests.ble",      "mrvanimals.ble",
                           "mrvresearch.ble", "mrvrescue.ble",  "mrvmapgrids.ble", "mrvshowmoves.ble"};
    for (size_t i = 0; i < std::size(order); ++i)
    {
        const std::string n = std::to_string(i);
        write(order[i], Quoted({"BUILD_B" + n, "B0_ICON", n}));
    }
    write("mrvanimlist.ble", Quoted({"B0", "walk", "b0walk", "2"}));
    write("mrvshows.ble", Quoted({"SHOW", "X"}));
    testsupport::ScopedCurrentDir cwd(dir.Path());
    WorldParams loaded("data\\script\\first.pis", "DATA\\Script\\Guests.pis");

    ASSERT_EQ(loaded.GetBuildingCount(), std::size(order));
    for (size_t i = 0; i < std::size(order); ++i)
        EXPECT_EQ(loaded.GetBuildingInfo(static_cast<int32_t>(i)).keyword, "B" + std::to_string(i));
    EXPECT_EQ(loaded.GetBuildingInfo(0).iIcon, 8);
    EXPECT_EQ(loaded.GetStaffCount(), 8u);
    EXPECT_EQ(loaded.GetAnimListEntries().size(), 1u);
    ASSERT_EQ(loaded.GetShowListEntries().size(), 1u);
    // The show list names a move that no file declares: its lookup's report, and id 0.
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::GetShowMoveID - keyword not found - X"));
    EXPECT_EQ(g_pWorldParams, &loaded);
    // No texture manager runs here: the icons have no textures. Numbers outside the sets are reported.
    sink.boxes.clear();
    for (int n : {0, 11})
        EXPECT_EQ(loaded.GetGuestIconTexture(n), 0u) << n;
    for (int n : {0, 3})
        EXPECT_EQ(loaded.GetBuildingFlagTexture(n), 0u) << n;
    EXPECT_THAT(Reports(), IsEmpty());
    EXPECT_EQ(loaded.GetGuestIconTexture(12), 0u);
    EXPECT_EQ(loaded.GetGuestIconTexture(-1), 0u);
    EXPECT_EQ(loaded.GetBuildingFlagTexture(4), 0u);
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::GetGuestIconTexture - icon out of range - 12",
                                       "WorldParams::GetGuestIconTexture - icon out of range - -1",
                                       "WorldParams::GetBuildingFlagTexture - flag out of range - 4"));
}

TEST_F(Grammar, ScriptCutAtEveryByteNeverBreaksTheTables)
{
    // Every record kind, each with a few fields, rows and points; each prefix of it is processed on its own.
    const std::string script =
        Record("BUILD", "KIOSK", {{"ICON", "3"}, {"ANIMAL_1", "SEAL"}, {"RIDE_TYPE", "Time"}}) +
        Record("MAPGRID", "MAPKIOSK",
               {{"WIDTH", "2"},
                {"FLAGROW0", "0LL0"},
                {"ZROW1", "AB0K"},
                {"NUM_SPAWNPOINTS", "1"},
                {"SPAWNPOINTX", "1.5"},
                {"SPAWNPOINTY", "2"}}) +
        Record("GUEST", "G", {{"GENDER", "F"}, {"MONEY", "20"}}) + Quoted({"MALENAME_Al", "SURNAME_Bee"}) +
        Record("SCENERY", "BIN", {{"BUILDON", "Path"}, {"CATEGORY", "OTHER"}}) +
        Record("ANIMAL", "SEAL", {{"MOVE_ANIMS", "2"}}) + Record("RESEARCH", "R", {{"TYPE", "Attraction"}}) +
        Record("RESCUE", "S", {{"TYPE", "INSITU"}}) +
        Record("MOVE", "JUMP", {{"ANIM1", "j1"}, {"DIFFICULTY", "Hard"}}) +
        Record("TRAINING", "TRAINJUMP", {{"KEY_SEQUENCE", "12x"}});
    for (size_t cut = 0; cut <= script.size(); ++cut)
    {
        sink.boxes.clear();
        params = std::make_unique<WorldParams>();
        Process(script.substr(0, cut));
        params->LinkMapGrids();
        ASSERT_LE(params->GetBuildingCount(), 1u) << cut;
        ASSERT_LE(params->GetMapGridInfo(0).List(kSpawnPoints).count, 1) << cut;
    }
    // The whole script loads without a report.
    EXPECT_THAT(Reports(), IsEmpty());
    EXPECT_EQ(params->GetBuildingInfo(0).iGridWidth, 2);
    EXPECT_STREQ(params->GetTrainingInfo(0).szKeySequence, "12x");
}
