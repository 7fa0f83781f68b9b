// Tests of the variable texts drawn from the text table (the scenario's texts, the gazetteer, the scenery panel, the
// version, the building tree, the counts of staff rooms, exhibits and show visits) and of the photo, gazetteer and
// rescue pictures.
#include "engine/core/TextTable.h"
#include "gui/GUIManager.h"
#include "gui/GuiShell.h"
#include "gui/PanelData.h"
#include "gui/VariableWidgets.h"
#include "tests/gui/EmptyPanelData.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{

// Scrambled text-table source of "id=text|id=text" pairs, in the order given.
std::unique_ptr<TextTable> MakeTable(const testsupport::TempDir& dir, const std::u16string& texts)
{
    return std::make_unique<TextTable>(testsupport::WriteTextTable(dir, texts).c_str());
}

class TextData : public EmptyPanelData
{
public:
    bool GetFigure(PanelFigure figure, double* value) override
    {
        const auto it = figures.find(figure);
        if (it == figures.end())
            return false;
        *value = it->second;
        return true;
    }
    int32_t GetBuildingRecordCount() override { return static_cast<int32_t>(records.size()); }
    bool GetBuildingRecord(int32_t i, BuildRecord* out) override
    {
        if (i < 0 || i >= GetBuildingRecordCount())
            return false;
        *out = records[static_cast<size_t>(i)];
        return true;
    }
    int32_t GetSceneryRecordCount() override { return static_cast<int32_t>(scenery.size()); }
    bool GetSceneryRecord(int32_t i, SceneryRecord* out) override
    {
        if (i < 0 || i >= GetSceneryRecordCount())
            return false;
        *out = scenery[static_cast<size_t>(i)];
        return true;
    }
    bool CheckBuildRequirement(int32_t i) override { return missing.at(static_cast<size_t>(i)); }
    bool CanBuildType(int32_t i) override { return canBuild.at(static_cast<size_t>(i)); }
    std::string GetTextId(PanelTextId which, int32_t n) override
    {
        const auto it = ids.find({which, n});
        return it == ids.end() ? std::string() : it->second;
    }

    std::map<PanelFigure, double> figures;
    std::vector<BuildRecord> records;
    std::vector<bool> missing, canBuild;
    std::vector<SceneryRecord> scenery;
    std::map<std::pair<PanelTextId, int32_t>, std::string> ids;

    int32_t GetObjectKind(DialogListener* object) override { return object == &someone ? kind : -1; }
    int32_t GetGuestPhotoFrame(DialogListener* object) override { return object == &someone ? photo : -1; }
    int32_t GetAnimalPhotoFrame(DialogListener* object) override
    {
        return object == &someone && kind == 9 ? photo : -1;
    }
    std::string GetRescueSprite(int32_t team) override
    {
        const auto it = rescueSprites.find(team);
        return it == rescueSprites.end() ? std::string() : it->second;
    }
    bool GetRescueLocation(int32_t* x, int32_t* y) override
    {
        *x = location[0], *y = location[1];
        return offered;
    }

    struct Someone : DialogListener
    {
        void GetVariable(const char*, platform::WString& text) override { text.clear(); }
        void ResetPanelState() override {}
    } someone;
    int32_t kind = -1, photo = -1;
    std::map<int32_t, std::string> rescueSprites;
    int32_t location[2] = {};
    bool offered = false;
};

using Shell = PanelDataShell;

constexpr uint32_t kOwn = 0xFF112233;

class PanelTexts : public ::testing::Test
{
protected:
    void SetUp() override { gui.SetShell(&shell); }
    void TearDown() override { gui.SetShell(nullptr); }

    struct Shown
    {
        bool drawn = false;
        std::string text;
        uint32_t colour = 0;
        int32_t indent = 0;
    };
    Shown Show(const char* name)
    {
        Variable variable(0, 0, 100, 20, name, 0, kOwn, 2);
        platform::WString text = u"stale";
        Shown shown;
        shown.drawn = variable.Compose(text, &shown.colour, &shown.indent);
        shown.text.assign(text.begin(), text.end());
        return shown;
    }

    testsupport::TempDir dir;
    std::unique_ptr<TextTable> table =
        MakeTable(dir, u"FIRST=first|IS_GUEST_COUNT=%d guests (%d men, %d women)|PM_BUILD_TREE_FORMAT=%d of %d|"
                       u"MAINMENU_VERSION=Version %.1f|PARK_A=Coral Bay 100%%|OBJ_A=Sell %s things|"
                       u"OBJ_B=Reach %d%%|TITLE_A=The Reef|MAINSS_SANDBOX3_TITLE=Sandbox three|"
                       u"GAZ_TEXT_2_4=Reef shark, page 4|GAZ_ANIMAL_2=Reef shark|SP_DESC_PALM=A palm|"
                       u"SP_SCENERY_RANDOM=Any plant|BUILDMENU_REQUIRES_NOTHING=Nothing|FAN_KIOSK=Tea Kiosk|"
                       u"DESC_A=Build a reef|OBJS_A=Three goals|FAN_CAFE=Reef Cafe");
    TextData data;
    Shell shell{&data};
    GUIManager gui{nullptr};
};

TEST_F(PanelTexts, CountsOfTheParkInTheirFormats)
{
    data.figures = {{PF_NUM_GUESTS, 9},
                    {PF_GUESTS_GENDER_0, 4},
                    {PF_GUESTS_GENDER_1, 5},
                    {PF_STAFFROOMS, 3},
                    {PF_ANIMAL_EXHIBITS, 6},
                    {PF_KAIKOADV_VISITS, 11},
                    {PF_ANIMAL_INCOME_TODAY, 99.9},
                    {PF_UNBUILT_AFTER_STARTUP, 7},
                    {PF_BUILDINGS_LEFT_TO_BUILD, 3},
                    {PF_VERSION, 2.0}};
    const struct
    {
        const char* name;
        const char* text;
    } cases[] = {
        {"GUEST_BREAKDOWN", "9 guests (4 men, 5 women)"},
        {"NUM_STAFFROOMS", "3"},
        {"NUM_ANIMAL_EXHIBITS", "6"},
        {"KAIKOADV_VISITS", "11"},
        // Truncated, not rounded.
        {"ANIMAL_ATTRACT_INCOME", "$99"},
        // Built of those unbuilt at the start: 7 - 3 of 7.
        {"BUILDING_TREE_COMPELETED", "4 of 7"},
        {"MAIN_VERSION", "Version 2.0"},
    };
    for (const auto& c : cases)
    {
        const Shown shown = Show(c.name);
        EXPECT_TRUE(shown.drawn) << c.name;
        EXPECT_EQ(shown.text, c.text) << c.name;
        EXPECT_EQ(shown.colour, kOwn) << c.name;
    }
    data.figures[PF_ANIMAL_INCOME_TODAY] = -3.7;
    EXPECT_EQ(Show("ANIMAL_ATTRACT_INCOME").text, "$-3");
}

TEST_F(PanelTexts, ScenarioTextsAreTheirOwnFormatsWithIndents)
{
    data.figures[PF_OBJECTIVE_COUNT] = 2;
    data.ids = {{{PT_PARK_TITLE, 0}, "PARK_A"},
                {{PT_SCENARIO_TITLE, 0}, "TITLE_A"},
                {{PT_SCENARIO_DESCRIPTION, 0}, "DESC_A"},
                {{PT_SCENARIO_OBJECTIVES, 0}, "OBJS_A"},
                {{PT_OBJECTIVE, 0}, "OBJ_A"},
                {{PT_OBJECTIVE, 1}, "OBJ_B"},
                {{PT_OBJECTIVE, 2}, "TITLE_A"}};
    // No GUI font here: the labels are 0 wide, so an objective is indented by its 35 alone.
    const struct
    {
        const char* name;
        const char* text;
        int32_t indent;
    } cases[] = {
        {"ISLAND_TITLE", "Coral Bay 100%", 0},
        {"SCENARIO_TITLE", "The Reef", 0},
        {"SCENARIO_DESCRIPTION", "Build a reef", 0},
        {"SCENARIO_OBJECTIVES", "Three goals", 0},
        // A conversion with no argument behind it is shown, never read.
        {"SCENARIO_OBJ_0", "Sell %s things", 35},
        {"SCENARIO_OBJ_1", "Reach %d%", 35},
        // Past the scenario's two objectives: empty, whatever text id lies behind it.
        {"SCENARIO_OBJ_2", "", 35},
        {"SCENARIO_OBJ_99999", "", 35},
    };
    for (const auto& c : cases)
    {
        const Shown shown = Show(c.name);
        EXPECT_TRUE(shown.drawn) << c.name;
        EXPECT_EQ(shown.text, c.text) << c.name;
        EXPECT_EQ(shown.indent, c.indent) << c.name;
    }
    // A sandbox game's title is its sandbox's, by its number counted from 1.
    data.figures[PF_SANDBOX] = 1;
    data.figures[PF_SCENARIO_NUMBER] = 2;
    EXPECT_EQ(Show("SCENARIO_TITLE").text, "Sandbox three");
}

TEST_F(PanelTexts, ScriptTextIsTheTextOfTheMenuParameter)
{
    // The menu parameter is the text's place in the table: FIRST is 0, IS_GUEST_COUNT 1, ..., PARK_A 4.
    gui.OpenDialogWithParam("NO_SUCH_DIALOG", 4, nullptr);
    EXPECT_EQ(Show("ScriptText").text, "Coral Bay 100%%");
    gui.OpenDialogWithParam("NO_SUCH_DIALOG", 0, nullptr);
    EXPECT_EQ(Show("ScriptText").text, "first");
    gui.OpenDialogWithParam("NO_SUCH_DIALOG", 5000, nullptr);
    EXPECT_EQ(Show("ScriptText").text, "");
    gui.OpenDialogWithParam("NO_SUCH_DIALOG", -7, nullptr);
    EXPECT_EQ(Show("ScriptText").text, "");
}

TEST_F(PanelTexts, GazetteerTextsOfTheChosenAnimal)
{
    gui.SetSelection(13, 2);
    EXPECT_EQ(Show("GAZ_TEXT_4").text, "Reef shark, page 4");
    EXPECT_EQ(Show("GAZ_ANIMAL").text, "Reef shark");
}

TEST_F(PanelTexts, SceneryDescriptionAndCostOfTheChosenScenery)
{
    SceneryRecord palm;
    palm.keyword = "palm";
    palm.cost = 30;
    data.scenery = {palm};
    gui.SetSelection(5, -1);
    EXPECT_EQ(Show("SP_SCENERY_DESC").text, "Any plant");
    EXPECT_FALSE(Show("SP_SCENERY_COST").drawn);
    gui.SetSelection(5, 0);
    EXPECT_EQ(Show("SP_SCENERY_DESC").text, "A palm");
    const struct
    {
        double cash;
        uint32_t colour;
    } cases[] = {{20.0, Variable::kRed}, {29.9, Variable::kRed}, {30.0, kOwn}, {40.0, kOwn}};
    for (const auto& c : cases)
    {
        data.figures[PF_CASH] = c.cash;
        const Shown shown = Show("SP_SCENERY_COST");
        EXPECT_TRUE(shown.drawn);
        EXPECT_EQ(shown.text, "30");
        EXPECT_EQ(shown.colour, c.colour) << c.cash;
    }
}

TEST_F(PanelTexts, BuildingTreeNamesTheRequirementRedWhenItCannotBeMet)
{
    const struct
    {
        const char* requirement;
        bool missing;
        bool canBuild;
        const char* text;
        uint32_t colour;
    } cases[] = {
        {"ENTRANCE", false, true, "Nothing", kOwn},
        // Needing the entrance, the text keeps the widget's colour even when the type is refused.
        {"ENTRANCE", false, false, "Nothing", kOwn},
        {"NONE", true, true, "Nothing", kOwn},
        {"", false, true, "Nothing", kOwn},
        {"kiosk", false, true, "Tea Kiosk", kOwn},
        {"KIOSK", true, true, "Tea Kiosk", Variable::kRed},
        {"KIOSK", false, false, "Tea Kiosk", Variable::kRed},
    };
    for (const auto& c : cases)
    {
        BuildRecord record;
        record.requirement = c.requirement;
        data.records = {BuildRecord(), record};
        data.missing = {false, c.missing};
        data.canBuild = {true, c.canBuild};
        gui.SetSelection(0, 1);
        const Shown shown = Show("BUILD_BUILDING_TREE");
        EXPECT_EQ(shown.text, c.text) << c.requirement;
        EXPECT_EQ(shown.colour, c.colour) << c.requirement << " " << c.missing << c.canBuild;
    }
}

// The build panel's name and cost follow the building chosen in slot 0, the first record of the table included; with
// no building chosen they show nothing.
TEST_F(PanelTexts, TheChosenBuildingsNameAndCostShowForEveryRecord)
{
    BuildRecord kiosk, cafe;
    kiosk.keyword = "kiosk", kiosk.cost = 150;
    cafe.keyword = "cafe", cafe.cost = 320;
    data.records = {kiosk, cafe};
    const struct
    {
        int32_t chosen;
        const char* name;
        const char* cost;
    } cases[] = {{0, "Tea Kiosk", "$150"}, {1, "Reef Cafe", "$320"}, {-1, "", ""}, {2, "", ""}};
    for (const auto& c : cases)
    {
        gui.SetSelection(0, c.chosen);
        EXPECT_EQ(Show("BUILD_NAME_TEXT").text, c.name) << c.chosen;
        EXPECT_EQ(Show("BUILD_COST_AMOUNT").text, c.cost) << c.chosen;
    }
}

TEST_F(PanelTexts, StaffAndGuestPhotosOfTheObject)
{
    const struct
    {
        const char* name;
        int32_t kind;
        int32_t photo;
        const char* sprite; // null: nothing drawn
        int32_t frame;
    } cases[] = {
        {"STAFF_PHOTO", 6, -1, "uis_staff_photos", 2}, // a mechanic
        {"STAFF_PHOTO", 7, -1, "uis_staff_photos", 0}, // a cleaner
        {"STAFF_PHOTO", 8, -1, "uis_staff_photos", 3}, // a zookeeper
        {"STAFF_PHOTO", 3, -1, nullptr, 0},            // a guest has no staff photo
        {"STAFF_PHOTO", -1, -1, nullptr, 0},
        {"GUEST_PHOTO", 3, 5, "uis_guest_photos", 5},
        {"GUEST_PHOTO", 3, 0, "uis_guest_photos", 0},
        {"GUEST_PHOTO", 6, -1, nullptr, 0},
        {"ANIMAL_PHOTO", 9, 2, "uis_animal_photos", 2}, // the species' photo frame
        {"ANIMAL_PHOTO", 9, 0, "uis_animal_photos", 0},
        {"ANIMAL_PHOTO", 9, -1, nullptr, 0}, // a species without a photo
        {"ANIMAL_PHOTO", 3, 4, nullptr, 0},  // a guest is no animal
    };
    for (const auto& c : cases)
    {
        data.kind = c.kind;
        data.photo = c.photo;
        VariableImage image(12, 34, 60, 80, c.name);
        image.SetObject(&data.someone);
        const auto steps = image.PlanDrawCached();
        if (!c.sprite)
        {
            EXPECT_TRUE(steps.empty()) << c.name << " " << c.kind;
            continue;
        }
        ASSERT_EQ(steps.size(), 1u) << c.name << " " << c.kind;
        EXPECT_EQ(steps[0].sprite, c.sprite);
        EXPECT_EQ(steps[0].frame, c.frame) << c.name << " " << c.kind;
        EXPECT_EQ(steps[0].x, 12);
        EXPECT_EQ(steps[0].y, 34);
    }
    // Without a bound object or a dialog object there is nobody to show.
    VariableImage nobody(0, 0, 10, 10, "STAFF_PHOTO");
    EXPECT_TRUE(nobody.PlanDrawCached().empty());
}

TEST_F(PanelTexts, GazetteerPicturesOfTheChosenAnimal)
{
    gui.SetSelection(13, 7);
    const struct
    {
        const char* name;
        const char* sprite;
    } cases[] = {{"GAZ_PICTURE", "UIS_GZ_7"}, {"GAZ_MAP", "UIS_GZ_MAP_7"}};
    for (const auto& c : cases)
    {
        VariableImage image(5, 6, 50, 60, c.name);
        const auto steps = image.PlanDrawCached();
        ASSERT_EQ(steps.size(), 1u) << c.name;
        EXPECT_EQ(steps[0].sprite, c.sprite);
        EXPECT_EQ(steps[0].x, 5);
        EXPECT_EQ(steps[0].y, 6);
    }
}

TEST_F(PanelTexts, RescuePicturesOfTheOfferAndTheTeamsOut)
{
    data.rescueSprites = {{-1, "UIS_danger_oil"}, {0, "UIS_danger_net"}, {2, "UIS_danger_storm"}};
    const struct
    {
        const char* name;
        const char* sprite; // null: nothing drawn
    } cases[] = {
        {"AR_RESCUE_ANIMAL", "UIS_danger_oil"},
        {"AR_RD_TEAM_1", "UIS_danger_net"},   // team 0
        {"AR_RD_TEAM_2", nullptr},            // team 1 is not out
        {"AR_RD_TEAM_3", "UIS_danger_storm"}, // team 2
        {"AR_RD_TEAM_0", nullptr},            // no team 0: never the offer's sprite
        {"AR_RD_TEAM_", nullptr},
    };
    for (const auto& c : cases)
    {
        VariableImage image(3, 4, 50, 60, c.name);
        const auto steps = image.PlanDraw();
        if (!c.sprite)
        {
            EXPECT_TRUE(steps.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(steps.size(), 1u) << c.name;
        EXPECT_EQ(steps[0].sprite, c.sprite);
        EXPECT_EQ(steps[0].x, 3);
        EXPECT_EQ(steps[0].y, 4);
    }
    data.rescueSprites.clear();
    VariableImage offer(3, 4, 50, 60, "AR_RESCUE_ANIMAL");
    EXPECT_TRUE(offer.PlanDraw().empty());
}

TEST_F(PanelTexts, RescueLocationOnlyWhileOffered)
{
    data.location[0] = 40;
    data.location[1] = 25;
    VariableImage image(100, 200, 300, 400, "AR_LOC");
    data.offered = false;
    EXPECT_TRUE(image.PlanDraw().empty());
    data.offered = true;
    const auto steps = image.PlanDraw();
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].sprite, "UIS_rs_blob");
    // No sprite bank is loaded here, so the blob measures 0 by 0: its corner is the location itself.
    EXPECT_EQ(steps[0].x, 140);
    EXPECT_EQ(steps[0].y, 225);
}

} // namespace
