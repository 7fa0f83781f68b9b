// Tests of the sample data set's gameplay tables: the scrambled files match their sources, every table loads
// without a report, and the records name only things that exist.
#include "engine/core/FileSystem.h"
#include "engine/core/TextTable.h"
#include "tests/scripts/TablesTestSupport.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <tuple>

using testing::IsEmpty;

namespace
{

const std::string kSampleData = std::string(TW_SOURCE_DIR) + "/sample-data";

class SampleData : public ::testing::Test
{
protected:
    SampleData()
    {
        testsupport::ScopedCurrentDir cwd(kSampleData);
        params = std::make_unique<WorldParams>(WorldParams::kBuildingsFile, "data\\script\\guestnames.pis");
    }

    std::vector<std::string> Reports() const { return tablestest::ReportTexts(sink); }

    testsupport::RecordingReportSink sink;
    std::unique_ptr<WorldParams> params;
};

bool IsBuilding(WorldParams& params, const char* keyword)
{
    return params.FindBuilding(keyword) != WorldParams::kNotFound;
}

} // namespace

TEST_F(SampleData, ScrambledFilesMatchTheirSources)
{
    // Made by tools/make-sample-data.sh: each script source under src/data/ has its .ble beside the game's other
    // data.
    const std::filesystem::path src = kSampleData + "/src";
    const std::filesystem::path scripts = src / "data";
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(scripts))
    {
        if (!entry.is_regular_file())
            continue;
        std::filesystem::path ble = kSampleData / std::filesystem::relative(entry.path(), src);
        ble.replace_extension(".ble");
        const std::vector<uint8_t> plain = testsupport::ReadBytes(entry.path().string());
        EXPECT_EQ(testsupport::ReadBytes(ble.string()), tablestest::Scrambled(std::string(plain.begin(), plain.end())))
            << ble << " is out of date: run tools/make-sample-data.sh";
        ++files;
    }
    EXPECT_GE(files, 12);
}

TEST_F(SampleData, EveryTableLoadsWithoutAReport)
{
    EXPECT_THAT(Reports(), IsEmpty());
    const NameLists& names = params->GetNameLists();
    EXPECT_EQ(std::tuple(params->GetStaffCount(), params->GetGuestCount(), params->GetMapGridCount(),
                         params->GetAnimalCount(), params->GetResearchCount(), params->GetRescueCount(),
                         params->GetSceneryCount() >= 3, names.numMaleNames > 0, names.numFemaleNames > 0,
                         names.numSurnames > 0),
              std::tuple(8u, 2u, 10u, 1u, 6u, 3u, true, true, true, true));
}

// Every first name and surname of the guest list is a text of the sample table, and the lists are long enough that
// a park of a hundred guests seldom holds two of one name.
TEST_F(SampleData, EveryNameOfTheGuestListHasItsText)
{
    testsupport::ScopedCurrentDir cwd(kSampleData);
    TextTable texts("data/text_uk.uni");
    const NameLists& names = params->GetNameLists();
    const auto check = [&](const char(*list)[NameLists::kNameSize], uint32_t count, const char* what)
    {
        for (uint32_t i = 0; i < count; ++i)
        {
            const char16_t* text = texts.GetText(list[i]);
            EXPECT_TRUE(text && *text) << what << " " << list[i] << " has no text";
        }
    };
    check(names.maleNames, names.numMaleNames, "male name");
    check(names.femaleNames, names.numFemaleNames, "female name");
    check(names.surnames, names.numSurnames, "surname");
    EXPECT_GE(std::min(names.numMaleNames, names.numFemaleNames) * names.numSurnames, 100u);
}

TEST_F(SampleData, BuildingsCoverEveryCategoryAndNameWhatExists)
{
    std::set<int32_t> categories;
    for (uint32_t i = 0; i < params->GetBuildingCount(); ++i)
    {
        const BuildingInfo& b = params->GetBuildingInfo(static_cast<int32_t>(i));
        categories.insert(b.iAttractCategory);
        ASSERT_NE(b.pMapGrid, nullptr) << b.keyword;
        EXPECT_GT(b.iGridWidth, 0) << b.keyword;
        for (int slot = 0; slot < b.iAnimalSlotCount; ++slot)
            EXPECT_NE(params->FindAnimal(b.szAnimal[slot]), WorldParams::kNotFound) << b.keyword;
        if (b.iHasStaff)
        {
            EXPECT_NE(params->FindStaff(b.szStaffID), WorldParams::kNotFound) << b.keyword;
        }
        const std::string tree = b.szTree;
        if (tree != "NONE")
        {
            EXPECT_TRUE(IsBuilding(*params, b.szTree)) << b.keyword << " needs " << tree;
        }
        if (b.bHasScheduler)
        {
            std::vector<ShowMoveInfo> moves;
            params->GetShowMoves(b.szShowName, moves);
            EXPECT_GE(static_cast<int32_t>(moves.size()), b.iMaxShowMoves) << b.keyword;
            TrainingSoundInfo sounds;
            EXPECT_TRUE(params->GetTrainingSoundInfo(b.szShowName, sounds)) << b.keyword;
        }
    }
    for (int32_t category = 1; category <= 10; ++category)
        EXPECT_EQ(categories.count(category), 1u) << category;
    EXPECT_TRUE(IsBuilding(*params, "ENTRANCE"));
}

TEST_F(SampleData, ShowsTrainingResearchAndNamesFitTogether)
{
    // Every move but the show's opening and closing ones is in its programme and is trained.
    std::vector<int32_t> programme;
    params->GetShowMoveIDs("DOLPHIN", programme);
    EXPECT_EQ(programme.size() + 2, params->GetShowMoveCount());
    for (uint32_t i = 0; i < params->GetShowMoveCount(); ++i)
    {
        const ShowMoveInfo& move = params->GetShowMoveInfo(static_cast<int32_t>(i));
        EXPECT_GT(move.NumAnims, 0) << move.Keyword;
        if (std::string(move.Keyword) == "DOLPHINSTART" || std::string(move.Keyword) == "DOLPHINEND")
        {
            EXPECT_TRUE(move.bNeedsUnlocking) << move.Keyword;
            continue;
        }
        const std::string training = std::string("TRAIN") + move.Keyword;
        const int32_t id = params->FindTraining(training);
        ASSERT_NE(id, WorldParams::kNotFound) << training;
        EXPECT_STREQ(params->GetTrainingInfo(id).szTrainMove, move.Keyword);
        EXPECT_GT(move.NumAnims, 0) << move.Keyword;
    }
    for (uint32_t i = 0; i < params->GetResearchCount(); ++i)
    {
        const ResearchInfo& item = params->GetResearchInfo(static_cast<int32_t>(i));
        if (item.iType == kResearchAttraction)
        {
            const int32_t unlocks = params->FindBuilding(item.szEffectKeyword);
            ASSERT_NE(unlocks, WorldParams::kNotFound) << item.keyword;
            EXPECT_TRUE(params->GetBuildingInfo(unlocks).bNeedsUnlocking) << item.keyword;
        }
    }
    // Every guest type and animal has animations in the anim list.
    std::vector<const AnimListEntry*> anims;
    params->GetAnimList(params->GetGuestInfo(0).szAnimName, anims);
    EXPECT_FALSE(anims.empty());
    anims.clear();
    params->GetAnimList(params->GetAnimalInfo(0).szAnimName, anims);
    EXPECT_FALSE(anims.empty());
    // The five litter definitions guests drop exist as scenery.
    for (int n = 1; n <= 5; ++n)
        EXPECT_NE(params->FindScenery("Litter0" + std::to_string(n)), WorldParams::kNotFound) << n;
    EXPECT_THAT(Reports(), IsEmpty());
}
