// The build panel in the running program, by the pointer: its pages of building types chosen by their headers, a
// thumbnail chosen with its frame round it, the chosen type's name, cost, draw and description written beside and
// below (for every type, within their rows), the cost in red when the park cannot pay it, and Build placing the chosen
// type.
#include "engine/core/GameOptions.h"
#include "engine/core/TextTable.h"
#include "engine/render/TextWriter.h"
#include "gui/Image.h"
#include "gui/ImageList.h"
#include "gui/Sprite.h"
#include "gui/TabWindow.h"
#include "gui/VariableWidgets.h"
#include "park/ResearchManager.h"
#include "scripts/WorldParams.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/Player.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace
{

// The panel's corner; its pages' headers along y 334 to 356 (the park page's from x 310 to 400).
constexpr int kPanelLeft = 20;
constexpr int kPanelTop = 300;
constexpr int kParkHeaderX = 355;
constexpr int kHeaderY = 345;
// The lists' kinds: food and drink, park buildings.
constexpr int32_t kAnimalList = 0, kFoodList = 1, kParkList = 3;
constexpr int kAnimalsHeaderX = 261;

class BuildPanelPagesInGameTest : public gametest::FirstParkPointerTest
{
protected:
    ImageList* List(int32_t kind) const
    {
        for (const auto& item : Gui().GetItems())
            if (item->GetType() == WT_IMAGELIST && static_cast<ImageList*>(item.get())->GetKind() == kind)
                return static_cast<ImageList*>(item.get());
        return nullptr;
    }
    // The build panel opened by its toolbar command and slid in, the park paused under it.
    void OpenPanelPaused()
    {
        ASSERT_TRUE(ClickCommand("BuildList"));
        Run(60);
        ASSERT_TRUE(Gui().IsDialogOpen("BuildPanel"));
        g_pWorld->SetPaused(true);
    }
    // The active list's tab is the current one.
    bool Shown(const ImageList* list) const { return list && list->IsActive(); }
    // The chosen type's figures, as the park's tables hold them.
    void ExpectFiguresOf(int32_t type)
    {
        const BuildingInfo& info = g_pWorldParams->GetBuildingInfo(type);
        const std::string keyword = info.keyword;
        EXPECT_EQ(Written("BUILD_NAME_TEXT"), TableText("FAN_" + keyword));
        const std::string cost = "$" + std::to_string(info.iCost2Build);
        EXPECT_EQ(Written("BUILD_COST_AMOUNT"), std::u16string(cost.begin(), cost.end()));
        EXPECT_EQ(Written("BUILD_BUILDING_DESC"), TableText("FAD_" + keyword));
        EXPECT_FALSE(Written("BUILD_INTEN_DESC").empty());
    }
};

TEST_F(BuildPanelPagesInGameTest, EachPageOffersItsTypesAndTheChosenTypesFiguresFollow)
{
    ASSERT_NO_FATAL_FAILURE(OpenPanelPaused());

    // The food page comes first, its first type chosen, and the chosen type's figures beside it.
    ImageList* food = List(kFoodList);
    ImageList* park = List(kParkList);
    ASSERT_TRUE(food && park);
    ASSERT_TRUE(Shown(food));
    EXPECT_FALSE(Shown(park));
    ASSERT_FALSE(food->GetEntries().empty());
    EXPECT_EQ(Gui().GetSelection(0), food->GetEntries()[0].item);
    ExpectFiguresOf(Gui().GetSelection(0));

    // The park page's header: the park buildings the first scenario offers, its first chosen.
    Click(kParkHeaderX, kHeaderY);
    Run(2);
    ASSERT_TRUE(Shown(park));
    EXPECT_FALSE(Shown(food));
    std::set<std::string> offered;
    for (const BuildThumb& entry : park->GetEntries())
        offered.insert(entry.name);
    EXPECT_EQ(offered, (std::set<std::string>{"FAN_RESTSMALL", "FAN_STAFFSMALL", "FAN_INFORMATION", "FAN_ANIMALCARE",
                                              "FAN_GIFTSHOP"}));
    ASSERT_EQ(park->GetThumbs().size(), park->GetEntries().size());
    EXPECT_EQ(Gui().GetSelection(0), park->GetEntries()[0].item);

    // The second thumbnail clicked: chosen, framed, and its figures written.
    const GuiRect thumb = park->GetThumbs()[1]->GetRect();
    Click((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2);
    Run(2);
    const int32_t chosen = park->GetEntries()[1].item;
    EXPECT_EQ(Gui().GetSelection(0), chosen);
    ExpectFiguresOf(chosen);
    const gametest::Frame frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "build-panel-pages");
    EXPECT_TRUE(gametest::NearRgb(frame.At(kPanelLeft + 300, kPanelTop + 160), gametest::kPanelSand, 12));
    EXPECT_GT(
        gametest::CountNearRgb(frame, thumb.left - 2, thumb.top - 2, thumb.right + 2, thumb.bottom + 2, 0x3C7A3C, 16),
        100)
        << "no frame round the chosen thumbnail";
    EXPECT_EQ(gametest::CountNearRgb(frame, thumb.left - 2 - 54, thumb.top - 2, thumb.left - 6, thumb.bottom + 2,
                                     0x3C7A3C, 16),
              0)
        << "a frame round the first thumbnail too";
    EXPECT_GT(gametest::CountNearRgb(frame, kPanelLeft + 236, kPanelTop + 62, kPanelLeft + 430, kPanelTop + 80,
                                     gametest::kPanelText, 24),
              30)
        << "the chosen type's name is not written";

    // Without the money its cost is written in red.
    uint32_t colour = 0;
    Written("BUILD_COST_AMOUNT", &colour);
    EXPECT_NE(colour, Variable::kRed);
    g_pWorld->GetPlayer()->Cash = 0.0f;
    Written("BUILD_COST_AMOUNT", &colour);
    EXPECT_EQ(colour, Variable::kRed);

    // With it, Build starts placing the chosen type and the panel goes.
    g_pWorld->GetPlayer()->Cash = 1e6f;
    ASSERT_TRUE(ClickCommand("PlaceBuilding"));
    Run(2);
    EXPECT_EQ(Gui().GetMode(), 5) << "the building placement mode";
    EXPECT_EQ(Gui().GetSelection(0), chosen);
    EXPECT_FALSE(Gui().IsDialogOpen("BuildPanel"));
    ExpectNoReports();
    EXPECT_TRUE(running);
}

// Every type of every page chosen in turn: its name, cost, draw, description and what it needs fit their rows.
TEST_F(BuildPanelPagesInGameTest, EveryTypesFiguresFitThePanel)
{
    ASSERT_NO_FATAL_FAILURE(OpenPanelPaused());
    int chosen = 0;
    // The pages' headers: food, rides, animals, park.
    for (const int header : {72, 166, 259, kParkHeaderX})
    {
        Click(header, kHeaderY);
        Run(2);
        ImageList* page = nullptr;
        for (const auto& item : Gui().GetItems())
            if (item->GetType() == WT_IMAGELIST && item->IsActive() &&
                static_cast<ImageList*>(item.get())->GetKind() <= kParkList)
                page = static_cast<ImageList*>(item.get());
        ASSERT_NE(page, nullptr) << "no page under the header at " << header;
        ASSERT_EQ(page->GetThumbs().size(), page->GetEntries().size());
        for (size_t i = 0; i < page->GetThumbs().size(); ++i)
        {
            const GuiRect thumb = page->GetThumbs()[i]->GetRect();
            Click((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2);
            Run(2);
            ASSERT_EQ(Gui().GetSelection(0), page->GetEntries()[i].item);
            EXPECT_EQ(CutVariables(), "") << page->GetEntries()[i].name;
            ++chosen;
        }
    }
    EXPECT_GE(chosen, 10);
    EXPECT_TRUE(running);
}

// The build panel's and the scenery panel's lists: each list's selection frame is its thumbnails' size and two pixels
// more on every side, so that it rings the chosen thumbnail drawn two pixels inside it and covers no other.
TEST_F(BuildPanelPagesInGameTest, EverySelectionFrameRingsItsListsThumbnails)
{
    ASSERT_TRUE(ClickCommand("BuildList"));
    ASSERT_TRUE(Gui().OpenDialog("SceneryPanel", nullptr));
    Run(60);
    ASSERT_TRUE(Gui().IsDialogOpen("BuildPanel"));
    ASSERT_TRUE(Gui().IsDialogOpen("SceneryPanel"));
    std::set<int32_t> kinds;
    for (const auto& item : Gui().GetItems())
    {
        if (item->GetType() != WT_IMAGELIST)
            continue;
        const auto* list = static_cast<const ImageList*>(item.get());
        if (list->GetThumbs().empty())
            continue;
        SCOPED_TRACE(list->GetKind());
        kinds.insert(list->GetKind());
        const GuiRect thumb = list->GetThumbs().front()->GetRect();
        const Sprite* frame = list->GetSelectionFrame().GetSprite();
        ASSERT_NE(frame, nullptr) << list->GetSelectionFrame().GetSpriteName();
        EXPECT_EQ(frame->GetWidth(), thumb.right - thumb.left + 4) << list->GetSelectionFrame().GetSpriteName();
        EXPECT_EQ(frame->GetHeight(), thumb.bottom - thumb.top + 4) << list->GetSelectionFrame().GetSpriteName();
    }
    // The build panel's page on show (food and drink; the others fill when shown), the furniture, the paths, the
    // flowers, the ornaments and the trees.
    EXPECT_EQ(kinds, (std::set<int32_t>{kFoodList, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(running);
}

// The scenery panel's thumbnails: every one shows a frame its sprite has, no two of a list the same; a thumbnail chosen
// by the pointer names its item and its cost under the lists, each within its box in the panel's small font.
TEST_F(BuildPanelPagesInGameTest, EverySceneryThumbnailIsItsOwnAndTheChosenItemIsNamedAndPriced)
{
    ASSERT_TRUE(Gui().OpenDialog("SceneryPanel", nullptr));
    Run(60);
    ASSERT_TRUE(Gui().IsDialogOpen("SceneryPanel"));
    const TextWriter* writer = Gui().GetTextWriter(1);
    ASSERT_TRUE(writer && writer->GetFont());
    const auto boxOf = [&](const char* name)
    {
        for (const auto& item : Gui().GetItems())
            if (item->GetType() == WT_VARIABLE && item->IsActive() && std::string(item->GetName()) == name)
                return item->GetRect().right - item->GetRect().left;
        return -1;
    };
    int chosen = 0;
    for (int32_t kind : {4, 5, 6, 7, 8})
    {
        SCOPED_TRACE(kind);
        ImageList* list = List(kind);
        ASSERT_NE(list, nullptr);
        ASSERT_FALSE(list->GetThumbs().empty());
        std::set<std::pair<std::string, int32_t>> pictures;
        for (size_t i = 0; i < list->GetThumbs().size(); ++i)
        {
            const BuildThumb& entry = list->GetEntries()[i];
            const Sprite* sprite = list->GetThumbs()[i]->GetSprite();
            ASSERT_NE(sprite, nullptr) << entry.name;
            EXPECT_LT(entry.frame, sprite->GetFrameCount()) << entry.name << " shows a frame its sprite lacks";
            EXPECT_TRUE(pictures.insert({entry.sprite ? entry.sprite : "", entry.frame}).second)
                << entry.name << " shows the picture of another";
            // Chosen by the pointer: its name and cost below.
            const GuiRect r = list->GetThumbs()[i]->GetRect();
            Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            Run(3);
            ++chosen;
            const std::u16string name = Written("SP_SCENERY_DESC");
            if (entry.item < 0)
            {
                EXPECT_EQ(name, TableText("SP_SCENERY_RANDOM"));
                EXPECT_FALSE(name.empty()) << "the random choice is not named";
            }
            else
            {
                const SceneryInfo& info = g_pWorldParams->GetSceneryInfo(entry.item);
                std::string key = std::string("SP_DESC_") + info.keyword;
                for (char& c : key)
                    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                EXPECT_FALSE(TableText(key).empty()) << key << " is not in the text table";
                EXPECT_EQ(name, TableText(key));
                const std::string cost = std::to_string(info.iCost2Build);
                EXPECT_EQ(Written("SP_SCENERY_COST"), std::u16string(cost.begin(), cost.end()));
            }
            EXPECT_LE(writer->GetTextWidth(platform::WString(name.begin(), name.end()).c_str()),
                      boxOf("SP_SCENERY_DESC"))
                << "the name runs past its box";
        }
    }
    EXPECT_GE(chosen, 9);
    ExpectNoReports();
    EXPECT_TRUE(running);
}

// A page whose every type is still locked by research shows no thumbnail: nothing of another page stays chosen
// under it, so the figures beside it are blank and Build places nothing.
TEST_F(BuildPanelPagesInGameTest, APageWithNothingToBuildLeavesNothingChosen)
{
    const struct
    {
        const char* page;
        int32_t buildingClass;
        int headerX;
        int32_t list;
    } pages[] = {{"rides", 1, 166, 2}, {"park", 3, kParkHeaderX, kParkList}};
    // Every ride and park building locked, as before their research.
    for (uint32_t i = 0; i < g_pWorldParams->GetBuildingCount(); ++i)
        for (const auto& page : pages)
            if (g_pWorldParams->GetBuildingInfo(i).iAttractClass == page.buildingClass)
                g_pWorldParams->GetBuildingInfo(i).bNeedsUnlocking = true;
    g_pWorld->GetPlayer()->Cash = 1e6f;
    ASSERT_NO_FATAL_FAILURE(OpenPanelPaused());
    ImageList* food = List(kFoodList);
    ASSERT_TRUE(Shown(food));
    ASSERT_FALSE(food->GetEntries().empty());
    ASSERT_EQ(Gui().GetSelection(0), food->GetEntries()[0].item);

    for (const auto& page : pages)
    {
        SCOPED_TRACE(page.page);
        Click(page.headerX, kHeaderY);
        Run(2);
        ImageList* empty = List(page.list);
        ASSERT_TRUE(Shown(empty));
        EXPECT_TRUE(empty->GetThumbs().empty());
        EXPECT_EQ(Gui().GetSelection(0), -1) << "a food type stays chosen under the empty page";
        // The open panels refreshed (as every removal in the park does) with nothing on the page.
        Gui().RefreshOpenDialogs();
        Run(2);
        EXPECT_TRUE(empty->GetThumbs().empty());
        EXPECT_EQ(Gui().GetSelection(0), -1);
        EXPECT_EQ(Written("BUILD_NAME_TEXT"), u"");
        EXPECT_EQ(Written("BUILD_COST_AMOUNT"), u"");
        ASSERT_TRUE(ClickCommand("PlaceBuilding"));
        Run(2);
        EXPECT_NE(Gui().GetMode(), 5) << "Build on the empty page places a type of another page";
        EXPECT_TRUE(Gui().IsDialogOpen("BuildPanel"));

        // Back on the food page, its first type is chosen again.
        Click(72, kHeaderY);
        Run(2);
        EXPECT_EQ(Gui().GetSelection(0), food->GetEntries()[0].item);
    }
    ExpectNoReports();
    EXPECT_TRUE(running);
}

// A type unlocked while the panel is open joins its page when the open panels are refreshed (as every removal in
// the park does): the frame stays round the type that is chosen, wherever the new one comes in.
TEST_F(BuildPanelPagesInGameTest, ATypeUnlockedWhileThePanelIsOpenLeavesTheFrameOnTheChosenType)
{
    g_pWorld->GetPlayer()->Cash = 1e6f;
    ASSERT_NO_FATAL_FAILURE(OpenPanelPaused());
    ImageList* food = List(kFoodList);
    ASSERT_TRUE(Shown(food));
    ASSERT_GE(food->GetEntries().size(), 3u);
    // The page's first type locked (as before its research), then the page shown again.
    const int32_t locked = food->GetEntries()[0].item;
    g_pWorldParams->GetBuildingInfo(static_cast<uint32_t>(locked)).bNeedsUnlocking = true;
    Gui().RefreshOpenDialogs();
    Run(2);
    ASSERT_NE(food->GetEntries()[0].item, locked);

    // The second thumbnail chosen by the pointer.
    const GuiRect thumb = food->GetThumbs()[1]->GetRect();
    Click((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2);
    Run(2);
    const int32_t chosen = food->GetEntries()[1].item;
    ASSERT_EQ(Gui().GetSelection(0), chosen);

    // Research unlocks the first type again; the panel is refreshed.
    g_pWorldParams->GetBuildingInfo(static_cast<uint32_t>(locked)).bNeedsUnlocking = false;
    Gui().RefreshOpenDialogs();
    Run(2);
    ASSERT_EQ(food->GetEntries()[0].item, locked);
    EXPECT_EQ(Gui().GetSelection(0), chosen);
    ASSERT_GE(food->GetSelected(), 0);
    EXPECT_EQ(food->GetEntries()[static_cast<size_t>(food->GetSelected())].item, chosen)
        << "the frame went round another type than the one Build places";
    ExpectNoReports();
    EXPECT_TRUE(running);
}

// Research finishing an attraction while the panel shows its page: the type joins the page at once, as a finished
// scenery item joins its own, not only once the panel is opened again.
TEST_F(BuildPanelPagesInGameTest, AnAttractionResearchedWhileItsPageIsShownJoinsThePage)
{
    harness.GetGame().GetOptions().m_bResearchPopups = false;
    ASSERT_NO_FATAL_FAILURE(OpenPanelPaused());
    Click(kAnimalsHeaderX, kHeaderY);
    Run(2);
    ImageList* animals = List(kAnimalList);
    ASSERT_TRUE(Shown(animals));
    ResearchManager* research = GetResearchManager();
    ASSERT_NE(research, nullptr);
    const ResearchInfo& item = g_pWorldParams->GetResearchInfo(research->GetCurrentResearch());
    ASSERT_STREQ(item.szEffectKeyword, "ARENA");
    const std::string name = "FAN_ARENA";
    const auto offers = [&]
    {
        for (const BuildThumb& entry : animals->GetEntries())
            if (entry.name == name)
                return true;
        return false;
    };
    ASSERT_FALSE(offers()) << "the arena is offered before its research";
    const size_t before = animals->GetThumbs().size();

    research->SetSliderValue(1.0f);
    research->Update(1.0e6f);
    Run(3);
    ASSERT_EQ(research->GetCurrentResearch(), 1) << "the research did not complete";
    EXPECT_TRUE(offers()) << "the researched arena is missing from the open page";
    EXPECT_EQ(animals->GetThumbs().size(), before + 1);
    ExpectNoReports();
    EXPECT_TRUE(running);
}

} // namespace
