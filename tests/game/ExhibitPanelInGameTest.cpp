// The first scenario's dolphin lagoon in the running program, by the pointer: a click on it opens its exhibit panel
// listing its two dolphins; an animal chosen in the list is rehomed (asked first, paid for) and one adopted from the
// adoption list (asked first, charged); a row's button opens that animal's panel, whose smiley shows how it feels.
#include "game/ParkCommands.h"
#include "gui/GuiCommands.h"
#include "park/AnimalObject.h"
#include "park/BuildingObject.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// The exhibit panel's corner, the adoption list's and the confirmation boxes'.
constexpr int kPanelLeft = 450;
constexpr int kPanelTop = 250;
constexpr int kAdoptLeft = 100;
constexpr int kAdoptTop = 226;
constexpr int kBoxLeft = 200;
constexpr int kBoxTop = 230;
// The animal list's rows in the panel: 20 high from 156.
constexpr int kRowTop = 156;

class ExhibitPanelInGameTest : public gametest::FirstParkPointerTest
{
protected:
    // Opens the lagoon's panel with a click on the lagoon.
    BuildingObject* OpenLagoon()
    {
        Click(300, 252);
        running = harness.RunFrames(5) && running;
        auto* lagoon = dynamic_cast<BuildingObject*>(OpenFor("EXHIBIT_Menu"));
        EXPECT_NE(lagoon, nullptr) << "the lagoon's panel did not open";
        EXPECT_TRUE(lagoon == nullptr || std::string(lagoon->GetName()) == "LAGOON");
        return lagoon;
    }
    void ClickPanel(int x, int y) { Click(kPanelLeft + x, kPanelTop + y); }
    // The lagoon's panel opened and its second dolphin chosen in the panel's list: that dolphin's id.
    void ChooseSecondDolphin(uint32_t* second)
    {
        BuildingObject* lagoon = OpenLagoon();
        ASSERT_NE(lagoon, nullptr);
        ASSERT_EQ(lagoon->GetAnimalCount(), 2);
        *second = lagoon->AnimalIds()[1];
        ClickPanel(60, kRowTop + 30);
        ASSERT_EQ(Gui().GetSelection(10), static_cast<int32_t>(*second));
    }
    // The text pixels along a row of the animal list (its name column).
    int RowWritten(const gametest::Frame& frame, int row) const
    {
        const int top = kPanelTop + kRowTop + 20 * row;
        return gametest::CountNearRgb(frame, kPanelLeft + 10, top, kPanelLeft + 120, top + 20, gametest::kPanelText,
                                      24);
    }
    float Cash() const { return g_pWorld->GetPlayer()->Cash; }
};

TEST_F(ExhibitPanelInGameTest, TheLagoonsPanelListsItsAnimalsRehomesOneAndAdoptsAnother)
{
    BuildingObject* lagoon = OpenLagoon();
    ASSERT_NE(lagoon, nullptr);
    ASSERT_EQ(lagoon->GetAnimalCount(), 2);
    gametest::Frame frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "exhibit-panel");
    EXPECT_TRUE(gametest::NearRgb(frame.At(kPanelLeft + 200, kPanelTop + 260), gametest::kPanelSand, 12));
    EXPECT_GT(RowWritten(frame, 0), 20);
    EXPECT_GT(RowWritten(frame, 1), 20);
    EXPECT_EQ(RowWritten(frame, 2), 0);

    // The first row chosen, Rehome asks with the animal's price; Yes sells it.
    const uint32_t first = lagoon->AnimalIds()[0];
    ClickPanel(60, kRowTop + 10);
    EXPECT_EQ(Gui().GetSelection(10), static_cast<int32_t>(first));
    ClickPanel(294, 235);
    Run(3);
    auto* animal = dynamic_cast<AnimalObject*>(OpenFor("ConfirmSellAnimal"));
    ASSERT_NE(animal, nullptr) << "Rehome did not ask";
    EXPECT_EQ(animal->GetID(), first);
    EXPECT_TRUE(Gui().IsModalDialogOpen());
    EXPECT_EQ(CutVariables(), "");
    const float value = animal->GetSaleValue();
    EXPECT_NE(Value(animal, "ANIMAL_CONFIRM_SELL")
                  .find(std::u16string(u"$") +
                        std::u16string(platform::AnsiToWide(std::to_string(static_cast<int>(value)).c_str()).c_str())),
              std::u16string::npos);
    const float before = Cash();
    Click(kBoxLeft + 135, kBoxTop + 72);
    Run(5);
    EXPECT_FALSE(Gui().IsDialogOpen("ConfirmSellAnimal"));
    // The park runs meanwhile: a ticket or a wage may move the cash by a few dollars.
    EXPECT_NEAR(Cash() - before, value, 5.0f);
    EXPECT_EQ(lagoon->GetAnimalCount(), 1);
    frame = harness.Screenshot();
    EXPECT_GT(RowWritten(frame, 0), 20);
    EXPECT_EQ(RowWritten(frame, 1), 0) << "the rehomed animal is still listed";

    // Adopt opens the list of what the lagoon takes: its dolphin, chosen and adopted (asked first) for its cost.
    ClickPanel(212, 235);
    Run(3);
    EXPECT_EQ(OpenFor("AdoptAnimal"), lagoon);
    Click(kAdoptLeft + 60, kAdoptTop + 44);
    EXPECT_EQ(Gui().GetSelection(11), 0);
    Click(kAdoptLeft + 70, kAdoptTop + 168);
    Run(3);
    ASSERT_EQ(OpenFor("ConfirmAdoptAnimal"), lagoon) << "Adopt did not ask";
    const float cost = 1200.0f;
    EXPECT_NE(Value(lagoon, "ANIMAL_CONFIRM_ADOPT").find(u"$1200"), std::u16string::npos);
    const float beforeAdoption = Cash();
    Click(kBoxLeft + 135, kBoxTop + 72);
    Run(10);
    EXPECT_FALSE(Gui().IsDialogOpen("ConfirmAdoptAnimal"));
    EXPECT_NEAR(beforeAdoption - Cash(), cost, 5.0f);
    EXPECT_EQ(lagoon->GetAnimalCount(), 2);
    frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "exhibit-adopted");
    EXPECT_GT(RowWritten(frame, 1), 20) << "the adopted animal is not listed";
    EXPECT_TRUE(running);
    ExpectNoReports();
}

// The row's button opens the animal's panel; its smiley is the happy one's green for a happy dolphin, read from the
// animal itself.
TEST_F(ExhibitPanelInGameTest, ARowsButtonOpensTheAnimalsPanelWithItsSmiley)
{
    BuildingObject* lagoon = OpenLagoon();
    ASSERT_NE(lagoon, nullptr);
    ClickPanel(279, kRowTop + 10);
    Run(5);
    auto* animal = dynamic_cast<AnimalObject*>(OpenFor("ANIMAL_Menu"));
    ASSERT_NE(animal, nullptr) << "no animal's panel opened";
    EXPECT_EQ(animal->GetID(), lagoon->AnimalIds()[0]);
    ASSERT_GT(animal->GetHappiness(), 0.8f) << "the sample's dolphins start happy";
    const gametest::Frame frame = harness.Screenshot();
    gametest::GameHarness::Keep(frame, "animal-panel");
    // The panel at 10, 336; the smiley at 150, 97, 16 pixels square: green (the happiest face), not red.
    const int x = 10 + 150, y = 336 + 97;
    EXPECT_GT(gametest::CountNearRgb(frame, x, y, x + 16, y + 16, 0x50C050, 40), 20);
    EXPECT_EQ(gametest::CountNearRgb(frame, x, y, x + 16, y + 16, 0xE05050, 40), 0);
    // Its name and what it does, written along the panel's first two rows.
    for (const int row : {6, 28})
        EXPECT_GT(gametest::PanelTextPixels(frame, 10, 336, row), 40) << row;
    EXPECT_TRUE(running);
    ExpectNoReports();
}

// Rehome asks about the animal chosen in the panel's own list, whatever another list chose since: the object
// browser's staff page (which publishes its chosen member at every refill) or its animals page.
TEST_F(ExhibitPanelInGameTest, RehomeAsksAboutTheAnimalChosenInThePanelsOwnList)
{
    if (g_pObjectManager->CountObjectsOfKind(OBJECT_CLEANER) == 0)
    {
        ASSERT_TRUE(HireStaff(OBJECT_CLEANER));
    }
    uint32_t second = 0;
    ASSERT_NO_FATAL_FAILURE(ChooseSecondDolphin(&second));
    BuildingObject* lagoon = dynamic_cast<BuildingObject*>(OpenFor("EXHIBIT_Menu"));
    ASSERT_NE(lagoon, nullptr);

    // The browser opened beside the panel (its toolbar button lies under the panel), on its staff page and then on
    // its animals page with the first dolphin chosen there.
    const GuiCommandHandler browser = ResolveGuiCommand(GetInGameCommands(), "ObjectBrowser");
    ASSERT_NE(browser, nullptr);
    browser(0);
    Run(5);
    ASSERT_TRUE(Gui().IsDialogOpen("ObjectBrowser"));
    ASSERT_EQ(OpenFor("EXHIBIT_Menu"), lagoon);
    const struct
    {
        const char* what;
        int headerX;
        int row; // the browser row clicked, -1 for none
    } steps[] = {{"the staff page shown", 355, -1}, {"a dolphin chosen on the animals page", 261, 0}};
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.what);
        Click(step.headerX, 105);
        Run(5);
        if (step.row >= 0)
            Click(100, 162 + 20 * step.row + 10);
        ASSERT_NE(Gui().GetSelection(10), static_cast<int32_t>(second)) << "the browser chose nothing";
        ClickPanel(294, 235);
        Run(3);
        auto* animal = dynamic_cast<AnimalObject*>(OpenFor("ConfirmSellAnimal"));
        ASSERT_NE(animal, nullptr) << "Rehome did not ask";
        EXPECT_EQ(animal->GetID(), second) << "Rehome asks about another animal than the one chosen in the panel";
        Click(kBoxLeft + 265, kBoxTop + 72); // No
        Run(3);
        ASSERT_FALSE(Gui().IsDialogOpen("ConfirmSellAnimal"));
    }
    EXPECT_EQ(lagoon->GetAnimalCount(), 2);
    EXPECT_TRUE(running);
    ExpectNoReports();
}

// Rehome bound in a dialog with no list of animals of its own asks about the animal last chosen in any list.
TEST_F(ExhibitPanelInGameTest, RehomeFromADialogWithoutAnAnimalListAsksAboutTheAnimalChosenLast)
{
    uint32_t second = 0;
    ASSERT_NO_FATAL_FAILURE(ChooseSecondDolphin(&second));
    const GuiCommandHandler sell = ResolveGuiCommand(GetInGameCommands(), "SellAnimal");
    ASSERT_NE(sell, nullptr);
    sell(-1);
    Run(3);
    auto* animal = dynamic_cast<AnimalObject*>(OpenFor("ConfirmSellAnimal"));
    ASSERT_NE(animal, nullptr) << "Rehome did not ask";
    EXPECT_EQ(animal->GetID(), second);
    EXPECT_TRUE(running);
    ExpectNoReports();
}

} // namespace
