// The park's tools in the running program: real pointer moves and presses on the game's window (through the X test
// extension of its private X server) lay a footpath, place a shop, select it and bulldoze a path cell; the park's
// state and the frame show each step.
#include "engine/core/GameInput.h"
#include "engine/render/GraphicsManager.h"
#include "game/Game.h"
#include "game/ToolModes.h"
#include "gui/GUIManager.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldParamsRecords.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "tests/game/XPointer.h"
#include "tests/platform/SdlTestEvents.h"
#include "world/BaseObject.h"
#include "world/CameraManager.h"
#include "world/FloatingTextList.h"
#include "world/ObjectManager.h"
#include "world/PathTileSet.h"
#include "world/Player.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace
{

using gametest::Frame;
using gametest::GameHarness;
using gametest::XPointer;

// The sample data's prices (src/data/script/mrvscenery.pis and mrvbuildings.pis).
constexpr float kFootpathCost = 10.0f;
constexpr float kKioskCost = 600.0f;

// Open ground: walkable, in the grid, and nothing built, laid or standing on it.
bool OpenGround(const GridPos& cell)
{
    const uint32_t f = g_pWorldMap->GetFlags(cell);
    return (f & 0x80000001u) == 0x80000001u && (f & 0x70000002u) == 0 && g_pWorldMap->GetObjectsAt(cell).empty();
}

// The first corner of a block of n x n cells of open ground, scanning from the map's middle row.
std::optional<GridPos> FindOpenBlock(int32_t n)
{
    const int32_t w = g_pWorldMap->GetWidth(), h = g_pWorldMap->GetHeight();
    for (int32_t y = 2; y + n < h - 2; ++y)
        for (int32_t x = 2; x + n < w - 2; ++x)
        {
            bool open = true;
            for (int32_t i = 0; i < n && open; ++i)
                for (int32_t j = 0; j < n && open; ++j)
                    open = OpenGround({x + i, y + j});
            if (open)
                return GridPos{x, y};
        }
    return std::nullopt;
}

int32_t SceneryIndex(const char* keyword)
{
    for (uint32_t i = 0; i < g_pWorldParams->GetSceneryCount(); ++i)
        if (std::string(g_pWorldParams->GetSceneryInfo(static_cast<int32_t>(i)).keyword) == keyword)
            return static_cast<int32_t>(i);
    return -1;
}

int32_t BuildingIndex(const char* keyword)
{
    for (uint32_t i = 0; i < g_pWorldParams->GetBuildingCount(); ++i)
        if (std::string(g_pWorldParams->GetBuildingInfo(static_cast<int32_t>(i)).keyword) == keyword)
            return static_cast<int32_t>(i);
    return -1;
}

class ToolModesInGameTest : public gametest::PointerGameTest
{
protected:
    void Prepare() override
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        // No research budget: the cash moves by what the tools pay alone.
        g_pWorld->GetManagers().research->SetSliderValue(0.0f);
        harness.RunFrames(3);
    }
    // Bare objects of the kind, off the map and never started, fill its pool; their ids, for `EmptyPool`.
    static std::vector<uint32_t> FillPool(const char* name, uint8_t kind)
    {
        std::vector<uint32_t> fillers;
        while (BaseObject* filler = g_pObjectManager->CreateObject(name, kind))
            fillers.push_back(filler->GetID());
        return fillers;
    }
    static void EmptyPool(const std::vector<uint32_t>& fillers)
    {
        for (uint32_t id : fillers)
            g_pObjectManager->RemoveObject(id);
    }
    // Where the middle of a cell is on the screen, as the current view shows it.
    static platform::Vec3 CellOnScreen(const GridPos& cell)
    {
        platform::Vec3 screen;
        g_GraphicsManager.ProjectToScreen(WorldMap::WorldToScene(WorldMap::GetCellCentre(cell)), &screen);
        return screen;
    }
    // The pointer over the middle of a cell.
    void MoveToCell(const GridPos& cell)
    {
        const platform::Vec3 screen = CellOnScreen(cell);
        pointer->MoveTo(static_cast<int>(std::lround(screen.x)) + offsetX,
                        static_cast<int>(std::lround(screen.y)) + offsetY);
        Settle();
    }
    // Takes the tool (mode, with `choice` in GUI selection slot `slot`) with no dialog open, and starts a drag with
    // it from the middle of one cell to the middle of another, the button held.
    void StartDrag(int32_t mode, int32_t slot, int32_t choice, const GridPos& from, const GridPos& to)
    {
        Gui().CloseAllDialogs();
        Gui().SetSelection(slot, choice);
        Gui().SetMode(mode);
        Settle();
        ASSERT_EQ(Gui().GetMode(), mode);
        MoveToCell(from);
        Press(true);
        MoveToCell(to);
        ASSERT_FALSE(Gui().IsRadarInputEnabled()) << "a drag is under way";
    }
    // The first block of n x n cells of open ground, with a camera high above its middle looking down at it; none
    // when the park has no such block.
    std::optional<GridPos> LookAtOpenBlock(int32_t n)
    {
        const std::optional<GridPos> corner = FindOpenBlock(n);
        if (!corner)
            return corner;
        const platform::Vec3 at =
            WorldMap::WorldToScene(WorldMap::GetCellCentre({corner->x + n / 2, corner->y + n / 2}));
        GameHarness::PlaceCamera({at.x, at.y + 45.0f, at.z - 20.0f}, at);
        harness.RunFrames(3);
        return corner;
    }
    // The middle cell of a row of three path cells laid across it, open on its two long sides.
    static void LayPathRowAround(const GridPos& cell)
    {
        for (int32_t dx = -1; dx <= 1; ++dx)
            ASSERT_TRUE(g_pPathTileSet->PlacePathTile({cell.x + dx, cell.y})) << dx;
    }
    // The scenery item placed on the cell by one click of its tool; a rail goes round the cell's open edges.
    void ClickScenery(const char* item, const GridPos& cell)
    {
        Gui().SetSelection(5, SceneryIndex(item));
        Gui().SetMode(2);
        Settle();
        MoveToCell(cell);
        Press(true);
        Press(false);
        harness.RunFrames(3);
    }
    GridPos CursorCell() const
    {
        GridPos cell{-1, -1};
        g_pWorldMap->GetCursorGridPos(&cell);
        return cell;
    }
};

TEST_F(ToolModesInGameTest, APathIsLaidAShopPlacedSelectedAndAPathCellBulldozedWithThePointer)
{
    constexpr int32_t kBlock = 10;
    const std::optional<GridPos> found = LookAtOpenBlock(kBlock);
    ASSERT_TRUE(found) << "the sample park has open ground";
    const GridPos corner = *found;
    EXPECT_EQ(Gui().GetMode(), 4) << "the park starts with the select tool";

    // The pointer over a cell picks that cell.
    const GridPos first{corner.x + 2, corner.y + 1};
    MoveToCell(first);
    ASSERT_EQ(CursorCell(), first);

    // The footpath tool with no path chosen, or a choice past the scenery table: a drag lays nothing, charges
    // nothing and reports nothing.
    for (const int32_t chosen : {-1, static_cast<int32_t>(g_pWorldParams->GetSceneryCount())})
    {
        Gui().SetSelection(5, chosen);
        Gui().SetMode(7);
        Settle();
        const float cash = g_pWorld->GetPlayer()->Cash;
        const size_t boxes = harness.Reports().boxes.size();
        MoveToCell(first);
        Press(true);
        MoveToCell({first.x + 4, first.y});
        Press(false);
        for (int32_t x = first.x; x <= first.x + 4; ++x)
            EXPECT_EQ(g_pWorldMap->GetFlags({x, first.y}) & CELL_FOOTPATH, 0u) << chosen << ", cell " << x;
        EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, cash) << chosen;
        EXPECT_EQ(harness.Reports().boxes.size(), boxes) << chosen;
        Gui().SetMode(4);
        Settle();
    }

    // The footpath tool: a drag over five cells of a row lays five cells of footpath at 10 each.
    Gui().SetSelection(5, SceneryIndex("FOOTPATH"));
    Gui().SetMode(7);
    Settle();
    const float cashBefore = g_pWorld->GetPlayer()->Cash;
    const GridPos last{first.x + 4, first.y};
    MoveToCell(first);
    Press(true);
    MoveToCell(last);
    Press(false);
    for (int32_t x = first.x; x <= last.x; ++x)
        EXPECT_NE(g_pWorldMap->GetFlags({x, first.y}) & CELL_FOOTPATH, 0u) << "cell " << x;
    EXPECT_EQ(g_pWorldMap->GetFlags({last.x + 1, first.y}) & CELL_FOOTPATH, 0u);
    EXPECT_EQ(g_pWorldMap->GetFlags({first.x, first.y + 1}) & CELL_FOOTPATH, 0u);
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, cashBefore - 5 * kFootpathCost);
    EXPECT_FLOAT_EQ(g_pWorld->m_fSceneryCostToday, 5 * kFootpathCost);
    GameHarness::Keep(harness.Screenshot(), "tools-footpath");
    // A quick click (pressed and let go before a frame passes) lays the one cell under the pointer.
    const GridPos clicked{first.x, first.y + 2};
    MoveToCell(clicked);
    pointer->Button(1, true);
    pointer->Button(1, false);
    Settle();
    Settle();
    EXPECT_NE(g_pWorldMap->GetFlags(clicked) & CELL_FOOTPATH, 0u);
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, cashBefore - 6 * kFootpathCost);

    // The build tool: the kiosk's preview follows the pointer; a click on open ground places it and charges it,
    // and the select tool comes back.
    const size_t kiosksBefore = g_pObjectManager->GetBuildingsByName("ICEKIOSK").size();
    Gui().SetSelection(0, BuildingIndex("ICEKIOSK"));
    Gui().SetMode(5);
    Settle();
    const GridPos site{corner.x + 4, corner.y + 6};
    MoveToCell(site);
    const Frame preview = harness.Screenshot();
    GameHarness::Keep(preview, "tools-kiosk-preview");
    {
        const auto* mode = dynamic_cast<BuildMode*>(Gui().GetCurrentMode());
        ASSERT_NE(mode, nullptr);
        ASSERT_NE(mode->GetPreview(), nullptr);
        EXPECT_TRUE(mode->GetPreview()->IsLoaded());
        EXPECT_NE(mode->GetPreview()->GetScene(), nullptr);
        // Round the pointer the footprint's cells are marked half-transparent green over the sand where the
        // kiosk's model leaves the ground open (its front half): green leads there.
        int green = 0;
        for (int32_t dx = -1; dx <= 1; ++dx)
            for (int32_t dy = -1; dy <= 1; ++dy)
            {
                const platform::Vec3 screen = CellOnScreen({site.x + dx, site.y + dy});
                const uint32_t pixel = preview.At(static_cast<int>(screen.x), static_cast<int>(screen.y));
                const uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
                green += g > r && g > b ? 1 : 0;
            }
        EXPECT_GT(green, 0) << "no footprint cell is marked green";
    }
    const float cashBeforeKiosk = g_pWorld->GetPlayer()->Cash;
    Press(true);
    Press(false);
    harness.RunFrames(3);
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, cashBeforeKiosk - kKioskCost);
    EXPECT_FLOAT_EQ(g_pWorld->m_fConstructCostToday, kKioskCost);
    const std::vector<BaseObject*> kiosks = g_pObjectManager->GetBuildingsByName("ICEKIOSK");
    ASSERT_EQ(kiosks.size(), kiosksBefore + 1);
    EXPECT_EQ(Gui().GetMode(), 4);
    EXPECT_NE(g_pWorldMap->GetFlags(site) & CELL_BUILDING, 0u) << "the kiosk stands where the pointer was";
    GameHarness::Keep(harness.Screenshot(), "tools-kiosk-placed");

    // The select tool: a click on the kiosk opens its panel.
    BaseObject* kiosk = nullptr;
    for (BaseObject* b : kiosks)
        if (b->GetGridPos().x >= corner.x && b->GetGridPos().x < corner.x + kBlock)
            kiosk = b;
    ASSERT_NE(kiosk, nullptr);
    EXPECT_EQ(kiosk->GetSelectLevel(), 0);
    {
        platform::Vec3 screen;
        const platform::Vec3 at = kiosk->GetPosition();
        g_GraphicsManager.ProjectToScreen({at.x, at.y + 0.5f, at.z}, &screen);
        pointer->MoveTo(static_cast<int>(std::lround(screen.x)) + offsetX,
                        static_cast<int>(std::lround(screen.y)) + offsetY);
        Settle();
    }
    Press(true);
    Press(false);
    EXPECT_EQ(kiosk->GetSelectLevel(), 2) << "the kiosk's panel is open";
    EXPECT_TRUE(Gui().IsDialogOpen("BUILDING_Menu"));

    // The bulldozer: a click on a footpath cell removes it and pays 5 back (the panel, which covers the right of the
    // park, closed first).
    Gui().CloseAllDialogs();
    Gui().SetMode(8);
    Settle();
    const float cashBeforeDozer = g_pWorld->GetPlayer()->Cash;
    MoveToCell(last);
    Press(true);
    Press(false);
    EXPECT_EQ(g_pWorldMap->GetFlags(last) & CELL_FOOTPATH, 0u);
    EXPECT_NE(g_pWorldMap->GetFlags({last.x - 1, last.y}) & CELL_FOOTPATH, 0u);
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, cashBeforeDozer + 5.0f);
    GameHarness::Keep(harness.Screenshot(), "tools-dozed");
}

// The building tool shows a see-through copy of the building: the lagoon, a blue pool when built, follows the pointer
// as a pale ghost through which the sand still shows, and places it where it is built for real.
TEST_F(ToolModesInGameTest, TheBuildingsPreviewIsASeeThroughCopyOfIt)
{
    constexpr int32_t kBlock = 8;
    const std::optional<GridPos> found = LookAtOpenBlock(kBlock);
    ASSERT_TRUE(found);
    const GridPos corner = *found;
    const GridPos site{corner.x + 4, corner.y + 4};
    const platform::Vec3 screen = CellOnScreen(site);
    const int px = static_cast<int>(screen.x), py = static_cast<int>(screen.y);
    struct Colour
    {
        int r, g, b;
    };
    const auto at = [&](const Frame& frame)
    {
        const uint32_t pixel = frame.At(px, py);
        return Colour{static_cast<int>(pixel >> 16 & 0xFF), static_cast<int>(pixel >> 8 & 0xFF),
                      static_cast<int>(pixel & 0xFF)};
    };
    const Colour sand = at(harness.Screenshot());

    Gui().SetSelection(0, BuildingIndex("LAGOON"));
    Gui().SetMode(5);
    Settle();
    MoveToCell(site);
    const Frame previewFrame = harness.Screenshot();
    GameHarness::Keep(previewFrame, "tools-lagoon-preview");
    const Colour ghost = at(previewFrame);
    const float cash = g_pWorld->GetPlayer()->Cash;
    Press(true);
    Press(false);
    harness.RunFrames(3);
    ASSERT_EQ(Gui().GetMode(), 4);
    ASSERT_LT(g_pWorld->GetPlayer()->Cash, cash) << "the lagoon was placed";
    const Frame builtFrame = harness.Screenshot();
    GameHarness::Keep(builtFrame, "tools-lagoon-built");
    const Colour built = at(builtFrame);

    // Built, the pool is blue where the sand was yellow; its ghost covers the same spot brighter than the sand, and
    // the sand's colour (more red than blue) shows through it.
    EXPECT_TRUE(sand.r > sand.b && built.b > built.r + 40) << "sand " << sand.r << "," << sand.g << "," << sand.b
                                                           << " built " << built.r << "," << built.g << "," << built.b;
    EXPECT_GT(ghost.r + ghost.g + ghost.b, sand.r + sand.g + sand.b + 30)
        << "the ghost " << ghost.r << "," << ghost.g << "," << ghost.b << " is not over the sand";
    EXPECT_GT(ghost.r, ghost.b) << "the ghost " << ghost.r << "," << ghost.g << "," << ghost.b
                                << " hides the sand behind it";
}

// A park whose every building slot is taken cannot make the building the tool asks for: the click costs nothing.
TEST_F(ToolModesInGameTest, ABuildingTheParkHasNoRoomForIsNotPaidFor)
{
    const std::optional<GridPos> found = LookAtOpenBlock(8);
    ASSERT_TRUE(found);
    const GridPos site{found->x + 4, found->y + 4};
    Gui().SetSelection(0, BuildingIndex("ICEKIOSK"));
    Gui().SetMode(5);
    Settle();
    MoveToCell(site);

    const std::vector<uint32_t> fillers = FillPool("ICEKIOSK", OBJECT_BUILDING);
    ASSERT_FALSE(fillers.empty());
    const size_t kiosks = g_pObjectManager->GetBuildingsByName("ICEKIOSK").size();
    const float cash = g_pWorld->GetPlayer()->Cash;
    const float costs = g_pWorld->m_fCostsToday;
    const float constructCosts = g_pWorld->m_fConstructCostToday;
    const int32_t constructed = g_pWorld->m_BuildingsConstructed;
    Press(true);
    Press(false);
    EXPECT_EQ(g_pObjectManager->GetBuildingsByName("ICEKIOSK").size(), kiosks);
    EXPECT_EQ(g_pWorldMap->GetFlags(site) & CELL_BUILDING, 0u);
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, cash);
    EXPECT_FLOAT_EQ(g_pWorld->m_fCostsToday, costs);
    EXPECT_FLOAT_EQ(g_pWorld->m_fConstructCostToday, constructCosts);
    EXPECT_EQ(g_pWorld->m_BuildingsConstructed, constructed);
    EmptyPool(fillers);
}

// Shift keeps the building tool for another of the same type, but a type the data allows only so many of is placed
// no further than that: the click past the limit places nothing, costs nothing and the tool goes. A type that is
// locked while the tool is held is placed no more either.
TEST_F(ToolModesInGameTest, ShiftPlacesNoBuildingPastItsTypesLimit)
{
    const std::optional<GridPos> found = LookAtOpenBlock(10);
    ASSERT_TRUE(found);
    const int32_t type = BuildingIndex("ICEKIOSK");
    ASSERT_GE(type, 0);
    BuildingInfo& info = g_pWorldParams->GetBuildingInfo(type);
    const int32_t maxInstances = info.iMaxInstances;
    const bool needsUnlocking = info.bNeedsUnlocking;
    struct Case
    {
        const char* what;
        bool lock; // the type is locked after the first kiosk, else it may have one kiosk more than stand now
    };
    const Case cases[] = {{"most instances", false}, {"locked", true}};
    int32_t row = 0;
    for (const Case& c : cases)
    {
        const size_t before = g_pObjectManager->GetBuildingsByName("ICEKIOSK").size();
        info.iMaxInstances = c.lock ? 0 : static_cast<int32_t>(before) + 1;
        info.bNeedsUnlocking = false;
        g_pWorld->GetPlayer()->Cash = 20000.0f;
        Gui().SetSelection(0, type);
        Gui().SetMode(5);
        Settle();
        ASSERT_EQ(Gui().GetMode(), 5) << c.what;
        const GridPos first{found->x + 2, found->y + 2 + row}, second{found->x + 6, found->y + 2 + row};
        row += 4;
        pointer->Key(XK_Shift_L, true);
        MoveToCell(first);
        Press(true);
        Press(false);
        harness.RunFrames(3);
        ASSERT_EQ(g_pObjectManager->GetBuildingsByName("ICEKIOSK").size(), before + 1) << c.what;
        EXPECT_EQ(Gui().GetMode(), 5) << c.what << ": Shift keeps the tool";
        if (c.lock)
            info.bNeedsUnlocking = true;
        const float cash = g_pWorld->GetPlayer()->Cash;
        const float costs = g_pWorld->m_fCostsToday;
        const int32_t constructed = g_pWorld->m_BuildingsConstructed;
        MoveToCell(second);
        Press(true);
        Press(false);
        harness.RunFrames(3);
        pointer->Key(XK_Shift_L, false);
        Settle();
        EXPECT_EQ(g_pObjectManager->GetBuildingsByName("ICEKIOSK").size(), before + 1) << c.what;
        EXPECT_EQ(g_pWorldMap->GetFlags(second) & CELL_BUILDING, 0u) << c.what;
        EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, cash) << c.what;
        EXPECT_FLOAT_EQ(g_pWorld->m_fCostsToday, costs) << c.what;
        EXPECT_EQ(g_pWorld->m_BuildingsConstructed, constructed) << c.what;
        EXPECT_EQ(Gui().GetMode(), 4) << c.what << ": no more of the type can be placed";
        Gui().SetMode(4);
        Settle();
    }
    info.iMaxInstances = maxInstances;
    info.bNeedsUnlocking = needsUnlocking;
}

// A park whose every slot for scenery is taken cannot make the items the scenery tools ask for: a placed item and a
// brushed rectangle cost nothing in the end.
TEST_F(ToolModesInGameTest, SceneryTheParkHasNoRoomForIsNotPaidFor)
{
    const std::optional<GridPos> found = LookAtOpenBlock(8);
    ASSERT_TRUE(found);
    const GridPos corner = *found;
    struct Case
    {
        const char* tool;
        int32_t mode;
        int32_t slot;
        int32_t choice;
        GridPos from, to;
    };
    const Case cases[] = {
        {"place a fountain",
         2,
         5,
         SceneryIndex("FOUNTAIN"),
         {corner.x + 2, corner.y + 2},
         {corner.x + 2, corner.y + 2}},
        {"brush tulips", 10, 14, 2, {corner.x + 1, corner.y + 1}, {corner.x + 3, corner.y + 3}},
    };
    for (const Case& c : cases)
    {
        Gui().SetSelection(c.slot, c.choice);
        Gui().SetMode(c.mode);
        Settle();
        ASSERT_EQ(Gui().GetMode(), c.mode) << c.tool;
        MoveToCell(c.from);

        const std::vector<uint32_t> fillers = FillPool("TULIPS", OBJECT_SCENERY);
        ASSERT_FALSE(fillers.empty()) << c.tool;
        const size_t fountains = g_pObjectManager->GetObjectsByName("FOUNTAIN").size();
        const float cash = g_pWorld->GetPlayer()->Cash;
        const float costs = g_pWorld->m_fCostsToday;
        const float sceneryCosts = g_pWorld->m_fSceneryCostToday;
        Press(true);
        MoveToCell(c.to);
        Press(false);
        harness.RunFrames(3);
        EXPECT_EQ(g_pObjectManager->GetObjectsByName("FOUNTAIN").size(), fountains) << c.tool;
        for (int32_t x = c.from.x; x <= c.to.x; ++x)
            for (int32_t y = c.from.y; y <= c.to.y; ++y)
                EXPECT_TRUE(g_pWorldMap->GetObjectsAt({x, y}).empty()) << c.tool << " " << x << "," << y;
        EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, cash) << c.tool;
        EXPECT_FLOAT_EQ(g_pWorld->m_fCostsToday, costs) << c.tool;
        EXPECT_FLOAT_EQ(g_pWorld->m_fSceneryCostToday, sceneryCosts) << c.tool;
        EmptyPool(fillers);
        Gui().SetMode(4);
        Settle();
    }
}

TEST_F(ToolModesInGameTest, TheBrushScattersPlantsOverADraggedRectangleAndChargesEach)
{
    constexpr int32_t kBlock = 6;
    const std::optional<GridPos> found = LookAtOpenBlock(kBlock);
    ASSERT_TRUE(found);
    const GridPos corner = *found;
    // Plants are scattered on every brushable cell (tulips, 25 each, the only plant the brush may scatter).
    const auto tulipsAt = [](const GridPos& cell)
    {
        int n = 0;
        for (BaseObject* o : g_pWorldMap->GetObjectsAt(cell))
            n += std::string(o->GetName()) == "TULIPS" ? 1 : 0;
        return n;
    };
    Gui().SetSelection(14, 2);
    Gui().SetMode(10);
    Settle();
    const float cash = g_pWorld->GetPlayer()->Cash;
    const GridPos from{corner.x + 1, corner.y + 1}, to{corner.x + 3, corner.y + 3};
    MoveToCell(from);
    Press(true);
    MoveToCell(to);
    // During the drag the money is taken, nothing is built yet.
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, cash - 9 * 25.0f);
    EXPECT_EQ(tulipsAt(from), 0);
    GameHarness::Keep(harness.Screenshot(), "tools-brush-drag");
    Press(false);
    harness.RunFrames(3);
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, cash - 9 * 25.0f);
    for (int32_t x = from.x; x <= to.x; ++x)
        for (int32_t y = from.y; y <= to.y; ++y)
            EXPECT_EQ(tulipsAt({x, y}), 1) << x << "," << y;
    EXPECT_EQ(tulipsAt({to.x + 1, to.y}), 0);
    GameHarness::Keep(harness.Screenshot(), "tools-brush-done");
}

} // namespace

namespace
{

int32_t CountNamedAt(const GridPos& cell, const char* name)
{
    int n = 0;
    for (BaseObject* o : g_pWorldMap->GetObjectsAt(cell))
        n += std::string(o->GetName()) == name ? 1 : 0;
    return n;
}

TEST_F(ToolModesInGameTest, TheTilePaintToolWritesTheChosenFlagsIntoEveryCellThePointerPassesWhilePressed)
{
    constexpr int32_t kBlock = 6;
    const std::optional<GridPos> found = LookAtOpenBlock(kBlock);
    ASSERT_TRUE(found);
    const GridPos corner = *found;
    const GridPos from{corner.x + 1, corner.y + 2};
    const GridPos beside{corner.x + 1, corner.y + 3};
    const uint32_t before = g_pWorldMap->GetFlags(from);
    const uint32_t besideBefore = g_pWorldMap->GetFlags(beside);
    // Any word not already there: the open ground's own with one more bit.
    const uint32_t painted = before | 0x00000100u;
    ASSERT_NE(painted, before);
    Gui().SetSelection(3, static_cast<int32_t>(painted));
    Gui().SetMode(1);
    Settle();
    // The pointer resting on a cell paints nothing.
    MoveToCell(from);
    EXPECT_EQ(g_pWorldMap->GetFlags(from), before);
    // Pressed and moved cell by cell along the row, each cell passed takes the word.
    Press(true);
    for (int32_t x = from.x; x <= from.x + 3; ++x)
        MoveToCell({x, from.y});
    Press(false);
    for (int32_t x = from.x; x <= from.x + 3; ++x)
        EXPECT_EQ(g_pWorldMap->GetFlags({x, from.y}), painted) << "cell " << x;
    EXPECT_EQ(g_pWorldMap->GetFlags(beside), besideBefore);
    // Released, the pointer paints no more.
    MoveToCell(beside);
    EXPECT_EQ(g_pWorldMap->GetFlags(beside), besideBefore);
}

TEST_F(ToolModesInGameTest, TheSceneryToolPlacesOneItemWhereItFitsAndIsPaidFor)
{
    constexpr int32_t kBlock = 8;
    constexpr float kFountainCost = 400.0f; // src/data/script/mrvscenery.pis, 2 x 2 cells on land
    const std::optional<GridPos> found = LookAtOpenBlock(kBlock);
    ASSERT_TRUE(found);
    const GridPos corner = *found;
    Gui().SetSelection(5, SceneryIndex("FOUNTAIN"));
    Gui().SetMode(2);
    Settle();
    ASSERT_EQ(Gui().GetMode(), 2);
    const GridPos site{corner.x + 2, corner.y + 2};
    const float cash = g_pWorld->GetPlayer()->Cash;
    MoveToCell(site);
    Press(true);
    Press(false);
    harness.RunFrames(3);
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, cash - kFountainCost);
    EXPECT_EQ(CountNamedAt(site, "FOUNTAIN"), 1);
    EXPECT_EQ(Gui().GetMode(), 2) << "the tool stays for the next item";

    struct Refused
    {
        const char* why;
        GridPos cell;
        float cash;
    };
    const Refused refused[] = {
        {"over the fountain's own cells", {site.x + 1, site.y + 1}, 10000.0f},
        {"a dollar short", {site.x + 3, site.y + 3}, kFountainCost - 1.0f},
    };
    for (const Refused& r : refused)
    {
        g_pWorld->GetPlayer()->Cash = r.cash;
        const size_t fountains = g_pObjectManager->GetObjectsByName("FOUNTAIN").size();
        MoveToCell(r.cell);
        Press(true);
        Press(false);
        harness.RunFrames(3);
        EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, r.cash) << r.why;
        EXPECT_EQ(g_pObjectManager->GetObjectsByName("FOUNTAIN").size(), fountains) << r.why;
    }
    // Exactly the cost is enough.
    g_pWorld->GetPlayer()->Cash = kFountainCost;
    const GridPos second{site.x + 3, site.y + 3};
    MoveToCell(second);
    Press(true);
    Press(false);
    harness.RunFrames(3);
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, 0.0f);
    EXPECT_EQ(CountNamedAt(second, "FOUNTAIN"), 1);

    // The bulldozer takes it away again: the player gets a fifth of its price back, and the day's books show the
    // same sum the player got.
    Gui().SetMode(8);
    Settle();
    ASSERT_EQ(Gui().GetMode(), 8);
    const float income = g_pWorld->m_fIncomeToday;
    const float demolishIncome = g_pWorld->m_fDemolishIncomeToday;
    MoveToCell(second);
    Press(true);
    Press(false);
    harness.RunFrames(3);
    EXPECT_EQ(CountNamedAt(second, "FOUNTAIN"), 0);
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, kFountainCost / 5.0f);
    EXPECT_FLOAT_EQ(g_pWorld->m_fIncomeToday - income, kFountainCost / 5.0f);
    EXPECT_FLOAT_EQ(g_pWorld->m_fDemolishIncomeToday - demolishIncome, kFountainCost / 5.0f);
}

TEST_F(ToolModesInGameTest, TheQueueToolLaysAPieceOnlyBesideAQueueOpenTowardsIt)
{
    constexpr int32_t kBlock = 8;
    constexpr float kQueueCost = 15.0f; // QUEUEPATH in src/data/script/mrvscenery.pis
    const std::optional<GridPos> found = LookAtOpenBlock(kBlock);
    ASSERT_TRUE(found);
    const GridPos corner = *found;
    // A queue's first cell, as a building's entrance starts one.
    const GridPos seed{corner.x + 3, corner.y + 3};
    ASSERT_TRUE(g_pPathTileSet->PlaceQueueTile(seed));
    Gui().SetSelection(5, SceneryIndex("QUEUEPATH"));
    Gui().SetMode(9);
    Settle();
    ASSERT_EQ(Gui().GetMode(), 9);

    struct Step
    {
        const char* what;
        GridPos cell;
        float cash;
        bool laid;
    };
    const Step steps[] = {
        {"two cells from the queue", {seed.x + 2, seed.y}, 10000.0f, false},
        {"diagonal to the queue", {seed.x + 1, seed.y + 1}, 10000.0f, false},
        {"beside the queue, a dollar short", {seed.x + 1, seed.y}, kQueueCost - 1.0f, false},
        {"beside the queue", {seed.x + 1, seed.y}, 10000.0f, true},
        {"beside the new end", {seed.x + 2, seed.y}, 10000.0f, true},
        {"on the queue itself", {seed.x + 2, seed.y}, 10000.0f, false},
    };
    for (const Step& s : steps)
    {
        g_pWorld->GetPlayer()->Cash = s.cash;
        const bool wasQueue = (g_pWorldMap->GetFlags(s.cell) & CELL_QUEUE) != 0;
        MoveToCell(s.cell);
        ASSERT_EQ(CursorCell(), s.cell) << s.what;
        Press(true);
        Press(false);
        EXPECT_EQ((g_pWorldMap->GetFlags(s.cell) & CELL_QUEUE) != 0, s.laid || wasQueue) << s.what;
        EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, s.laid ? s.cash - kQueueCost : s.cash) << s.what;
        // The pointer leaves the cell, so that the next press is a fresh one.
        MoveToCell({corner.x, corner.y});
    }
    // Held down and moved along from the queue's end, the tool lays a piece on each cell it comes to.
    g_pWorld->GetPlayer()->Cash = 10000.0f;
    const GridPos along[] = {{seed.x + 3, seed.y}, {seed.x + 4, seed.y}};
    MoveToCell(along[0]);
    Press(true);
    MoveToCell(along[1]);
    Press(false);
    for (const GridPos& cell : along)
        EXPECT_NE(g_pWorldMap->GetFlags(cell) & CELL_QUEUE, 0u) << cell.x;
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, 10000.0f - 2 * kQueueCost);
    MoveToCell({corner.x, corner.y});
    // With no queue item chosen (a data set that has none), the tool lays nothing and takes nothing.
    Gui().SetMode(4);
    Settle();
    Gui().SetSelection(5, -1);
    Gui().SetMode(9);
    Settle();
    ASSERT_EQ(Gui().GetMode(), 9);
    const GridPos next{seed.x + 5, seed.y};
    g_pWorld->GetPlayer()->Cash = 10000.0f;
    MoveToCell(next);
    Press(true);
    Press(false);
    EXPECT_EQ(g_pWorldMap->GetFlags(next) & CELL_QUEUE, 0u);
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, 10000.0f);
}

} // namespace

namespace
{

// The tools that take a drag over the ground: the mode, the GUI selection slot and the choice put in it.
struct DragTool
{
    const char* what;
    int32_t mode;
    int32_t slot;
    int32_t choice;
    bool pathFirst; // footpath to lay before the drag (for the bulldozer to find), where the test lays it
};

std::vector<DragTool> DragTools()
{
    return {
        {"footpath", 7, 5, SceneryIndex("FOOTPATH"), false},
        {"bulldozer", 8, 5, SceneryIndex("FOOTPATH"), true},
        {"plant brush", 10, 14, 2, false},
    };
}

// A key that opens the build panel in the middle of a drag brings the select tool back: the drag is dropped,
// whatever it had taken is given back, and the radar answers the pointer again.
TEST_F(ToolModesInGameTest, AToolLeftInTheMiddleOfADragGivesTheRadarBackAndLaysNothing)
{
    constexpr int32_t kBlock = 8;
    const std::optional<GridPos> found = LookAtOpenBlock(kBlock);
    ASSERT_TRUE(found);
    const GridPos corner = *found;
    for (const DragTool& tool : DragTools())
    {
        SCOPED_TRACE(tool.what);
        const float cash = g_pWorld->GetPlayer()->Cash;
        const GridPos from{corner.x + 1, corner.y + 1}, to{corner.x + 3, corner.y + 3};
        ASSERT_NO_FATAL_FAILURE(StartDrag(tool.mode, tool.slot, tool.choice, from, to));
        Key(XK_b);
        Settle();
        EXPECT_EQ(Gui().GetMode(), 4);
        Press(false);
        harness.RunFrames(3);
        EXPECT_TRUE(Gui().IsRadarInputEnabled());
        EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, cash);
        for (int32_t x = from.x; x <= to.x; ++x)
            for (int32_t y = from.y; y <= to.y; ++y)
            {
                EXPECT_EQ(g_pWorldMap->GetFlags({x, y}) & CELL_FOOTPATH, 0u) << x << "," << y;
                EXPECT_TRUE(g_pWorldMap->GetObjectsAt({x, y}).empty()) << x << "," << y;
            }
    }
}

// What takes the pointer from the park in the middle of a drag, the button let go meanwhile, and what gives it back.
struct Interruption
{
    const char* what;
    std::function<void()> take;
    std::function<void()> giveBack;
};

TEST_F(ToolModesInGameTest, ADragInterruptedInTheMiddleIsDroppedNotCarriedOutAtTheNextRelease)
{
    const Interruption interruptions[] = {
        // The focus goes with the button down; back, the player closes the pause box and the game runs on.
        {"the window loses the focus",
         [this]
         {
             sdltest::PushFocus(false);
             Settle();
             ASSERT_TRUE(harness.GetGame().IsDeactivated());
         },
         [this]
         {
             sdltest::PushFocus(true);
             Settle();
             ASSERT_FALSE(harness.GetGame().IsDeactivated());
             Gui().CloseAllDialogs();
         }},
        // A box the game puts up (a scenario won or lost, a question) takes the pointer until it is closed.
        {"a modal box opens",
         [this]
         {
             ASSERT_TRUE(Gui().OpenDialog("ExitConfirmBox", nullptr, true));
             Settle();
         },
         [this]
         {
             ASSERT_TRUE(Gui().CloseDialog("ExitConfirmBox"));
             Settle();
         }},
    };
    constexpr int32_t kBlock = 8;
    const std::optional<GridPos> found = LookAtOpenBlock(kBlock);
    ASSERT_TRUE(found);
    const GridPos corner = *found;
    for (const Interruption& interruption : interruptions)
        for (const DragTool& tool : DragTools())
        {
            SCOPED_TRACE(std::string(interruption.what) + ", " + tool.what);
            const GridPos from{corner.x + 1, corner.y + 1}, to{corner.x + 3, corner.y + 3};
            for (int32_t x = from.x; x <= to.x; ++x)
                for (int32_t y = from.y; y <= to.y; ++y)
                {
                    if (tool.pathFirst)
                    {
                        ASSERT_TRUE(g_pPathTileSet->PlacePathTile({x, y}));
                    }
                    ASSERT_TRUE(g_pWorldMap->GetObjectsAt({x, y}).empty());
                }
            const float cash = g_pWorld->GetPlayer()->Cash;
            ASSERT_NO_FATAL_FAILURE(StartDrag(tool.mode, tool.slot, tool.choice, from, to));

            ASSERT_NO_FATAL_FAILURE(interruption.take());
            Press(false);
            harness.RunFrames(3);
            ASSERT_NO_FATAL_FAILURE(interruption.giveBack());
            harness.RunFrames(5);

            EXPECT_TRUE(Gui().IsRadarInputEnabled()) << "the drag is still under way";
            EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, cash);
            for (int32_t x = from.x; x <= to.x; ++x)
                for (int32_t y = from.y; y <= to.y; ++y)
                {
                    EXPECT_EQ((g_pWorldMap->GetFlags({x, y}) & CELL_FOOTPATH) != 0, tool.pathFirst) << x << "," << y;
                    EXPECT_TRUE(g_pWorldMap->GetObjectsAt({x, y}).empty()) << x << "," << y;
                }
            // Leave the ground as it was for the next tool.
            Gui().SetMode(4);
            Settle();
            for (int32_t x = from.x; x <= to.x; ++x)
                for (int32_t y = from.y; y <= to.y; ++y)
                    if (g_pWorldMap->GetFlags({x, y}) & CELL_FOOTPATH)
                        g_pPathTileSet->RemovePathTile({x, y});
        }
}

} // namespace

namespace
{

// A rail goes once round the open edges of a path cell: a second click on the same cell finds every edge railed and
// neither builds nor charges; an edge left open by a rail removed is railed again.
TEST_F(ToolModesInGameTest, ARailIsPlacedOnceOnEachOpenEdgeOfAPathCell)
{
    constexpr int32_t kBlock = 6;
    constexpr float kFenceCost = 20.0f; // FENCE in src/data/script/mrvscenery.pis
    const std::optional<GridPos> found = LookAtOpenBlock(kBlock);
    ASSERT_TRUE(found);
    const GridPos cell{found->x + 2, found->y + 2};
    ASSERT_NO_FATAL_FAILURE(LayPathRowAround(cell));
    uint8_t open[4] = {};
    g_pPathTileSet->GetPathEdges(cell, open);
    const int32_t openEdges = open[0] + open[1] + open[2] + open[3];
    ASSERT_EQ(openEdges, 2) << "the middle of a row of path is open on its two sides";
    Gui().SetSelection(5, SceneryIndex("FENCE"));
    Gui().SetMode(2);
    Settle();
    ASSERT_EQ(Gui().GetMode(), 2);
    g_pWorld->GetPlayer()->Cash = 1000.0f;
    const auto click = [&]
    {
        MoveToCell(cell);
        Press(true);
        Press(false);
        harness.RunFrames(3);
        // The pointer leaves the cell, so that the next press is a fresh one.
        MoveToCell({found->x, found->y});
    };
    click();
    EXPECT_EQ(CountNamedAt(cell, "FENCE"), openEdges);
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, 1000.0f - kFenceCost);
    click();
    EXPECT_EQ(CountNamedAt(cell, "FENCE"), openEdges) << "every edge already has its rail";
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, 1000.0f - kFenceCost);
    // One rail taken away: the next click puts back that one alone.
    BaseObject* one = nullptr;
    for (BaseObject* o : g_pWorldMap->GetObjectsAt(cell))
        if (std::string(o->GetName()) == "FENCE")
            one = o;
    ASSERT_NE(one, nullptr);
    one->Demolish();
    harness.RunFrames(3);
    ASSERT_EQ(CountNamedAt(cell, "FENCE"), openEdges - 1);
    const float before = g_pWorld->GetPlayer()->Cash;
    click();
    EXPECT_EQ(CountNamedAt(cell, "FENCE"), openEdges);
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, before - kFenceCost);

    // A rail taken away once more while every slot for scenery is taken: the park makes no rail, and it costs
    // nothing.
    for (BaseObject* o : g_pWorldMap->GetObjectsAt(cell))
        if (std::string(o->GetName()) == "FENCE")
            one = o;
    one->Demolish();
    harness.RunFrames(3);
    ASSERT_EQ(CountNamedAt(cell, "FENCE"), openEdges - 1);
    const std::vector<uint32_t> fillers = FillPool("TULIPS", OBJECT_SCENERY);
    const float full = g_pWorld->GetPlayer()->Cash;
    click();
    EXPECT_EQ(CountNamedAt(cell, "FENCE"), openEdges - 1);
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, full) << "a rail the park did not make is paid for";
    EmptyPool(fillers);
}

} // namespace

namespace
{

// The bulldozer on a path cell railed on two sides takes both rails (and, dragged, the path too): the player gets
// a fifth of each rail's price back, and the day's books show every rail's refund, as much as the cash rose.
TEST_F(ToolModesInGameTest, BulldozedRailsAreEachBookedAsTheRefundThePlayerGot)
{
    constexpr float kFenceCost = 20.0f; // FENCE in src/data/script/mrvscenery.pis
    constexpr float kPathRefund = 5.0f; // a bulldozed path cell
    const std::optional<GridPos> found = LookAtOpenBlock(8);
    ASSERT_TRUE(found);
    struct Case
    {
        const char* what;
        bool dragged;
        float cashBack;
    };
    const Case cases[] = {{"one click", false, 2 * kFenceCost / 5.0f},
                          {"dragged", true, 2 * kFenceCost / 5.0f + kPathRefund}};
    int32_t row = found->y + 1;
    for (const Case& c : cases)
    {
        // The middle of a row of three path cells, railed on its two open sides by one click of the fence tool.
        const GridPos cell{found->x + 3, row};
        row += 3;
        ASSERT_NO_FATAL_FAILURE(LayPathRowAround(cell)) << c.what;
        g_pWorld->GetPlayer()->Cash = 1000.0f;
        ClickScenery("FENCE", cell);
        ASSERT_EQ(CountNamedAt(cell, "FENCE"), 2) << c.what;
        Gui().SetMode(8);
        Settle();
        const float cash = g_pWorld->GetPlayer()->Cash;
        const float income = g_pWorld->m_fIncomeToday;
        const float demolishIncome = g_pWorld->m_fDemolishIncomeToday;
        MoveToCell(cell);
        Press(true);
        if (c.dragged)
            MoveToCell({cell.x, cell.y + 1});
        Press(false);
        harness.RunFrames(3);
        EXPECT_EQ(CountNamedAt(cell, "FENCE"), 0) << c.what;
        EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash - cash, c.cashBack) << c.what;
        EXPECT_FLOAT_EQ(g_pWorld->m_fIncomeToday - income, c.cashBack) << c.what;
        EXPECT_FLOAT_EQ(g_pWorld->m_fDemolishIncomeToday - demolishIncome, c.cashBack) << c.what;
        // The figure that rises from the cell is the rails' refund, both rails in one.
        const std::string figure = "$" + std::to_string(static_cast<int>(2 * kFenceCost / 5));
        const std::u16string railsBack(figure.begin(), figure.end());
        const auto& texts = g_pWorld->GetFloatingTexts()->GetTexts();
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const FloatingText& t) { return t.text == railsBack; }))
            << c.what;
        Gui().SetMode(4);
        Settle();
    }
}

// A bulldozer dragged over a railed path cell takes the rails and the path with them, unless a bench there is in use:
// then the rails go, the bench and the path under it stay.
TEST_F(ToolModesInGameTest, ADraggedBulldozerLeavesThePathUnderABenchInUse)
{
    constexpr int32_t kBlock = 8;
    const std::optional<GridPos> found = LookAtOpenBlock(kBlock);
    ASSERT_TRUE(found);
    struct Case
    {
        const char* what;
        bool bench;
        bool benchInUse;
        bool pathStays;
        int32_t railsStaying;
    };
    // A free bench is the one item the cell gives up to that pass of the drag: the rails and the path stay.
    const Case cases[] = {
        {"rails alone", false, false, false, 0},
        {"rails and a bench in use", true, true, true, 0},
        {"rails and a free bench", true, false, true, 2},
    };
    int32_t row = found->y + 1;
    for (const Case& c : cases)
    {
        // A row of three path cells; the middle one railed on its two open sides, with a bench when asked.
        const GridPos cell{found->x + 3, row};
        row += 2;
        ASSERT_NO_FATAL_FAILURE(LayPathRowAround(cell)) << c.what;
        g_pWorld->GetPlayer()->Cash = 10000.0f;
        for (const char* item : {"BENCH", "FENCE"})
        {
            if (std::string(item) == "BENCH" && !c.bench)
                continue;
            ClickScenery(item, cell);
            ASSERT_GE(CountNamedAt(cell, item), 1) << c.what << ": " << item;
        }
        if (c.benchInUse)
            for (BaseObject* o : g_pWorldMap->GetObjectsAt(cell))
                if (std::string(o->GetName()) == "BENCH")
                    o->SetState(STATE_OCCUPIED);
        // The bulldozer dragged from the cell along the row.
        Gui().SetMode(8);
        Settle();
        MoveToCell(cell);
        Press(true);
        MoveToCell({cell.x + 1, cell.y});
        Press(false);
        harness.RunFrames(3);
        EXPECT_EQ(CountNamedAt(cell, "FENCE"), c.railsStaying) << c.what;
        EXPECT_EQ(CountNamedAt(cell, "BENCH"), c.benchInUse ? 1 : 0) << c.what;
        EXPECT_EQ((g_pWorldMap->GetFlags(cell) & CELL_FOOTPATH) != 0, c.pathStays) << c.what;
        Gui().SetMode(4);
        Settle();
    }
}

} // namespace

namespace
{

// Another brush chosen while the brush is in hand takes over: the plant brush picked after the tree brush scatters
// plants.
TEST_F(ToolModesInGameTest, TheBrushChosenLastIsTheOneThatScatters)
{
    constexpr int32_t kBlock = 6;
    constexpr int32_t kTrees = 4, kPlants = 2; // the categories of PALM and TULIPS
    const std::optional<GridPos> found = LookAtOpenBlock(kBlock);
    ASSERT_TRUE(found);
    g_pWorld->GetPlayer()->Cash = 10000.0f;
    // As a brush thumbnail does: the category chosen, then the brush tool asked for.
    Gui().SetSelection(14, kTrees);
    Gui().SetMode(10);
    Settle();
    ASSERT_EQ(Gui().GetMode(), 10);
    Gui().SetSelection(14, kPlants);
    Gui().SetMode(10);
    Settle();
    const GridPos from{found->x + 1, found->y + 1}, to{found->x + 3, found->y + 3};
    MoveToCell(from);
    Press(true);
    MoveToCell(to);
    Press(false);
    harness.RunFrames(3);
    for (int32_t x = from.x; x <= to.x; ++x)
        for (int32_t y = from.y; y <= to.y; ++y)
        {
            EXPECT_EQ(CountNamedAt({x, y}, "TULIPS"), 1) << x << "," << y;
            EXPECT_EQ(CountNamedAt({x, y}, "PALM"), 0) << x << "," << y;
        }
}

} // namespace

namespace
{

// A saved park loaded while a brush drag is under way comes back with the money it was saved with: what the drag
// took from the park left behind is not paid into the loaded one.
TEST_F(ToolModesInGameTest, AParkLoadedInTheMiddleOfABrushDragKeepsItsSavedCash)
{
    constexpr int32_t kBlock = 6;
    constexpr float kSavedCash = 10000.0f;
    const std::optional<GridPos> found = LookAtOpenBlock(kBlock);
    ASSERT_TRUE(found);
    Game& game = harness.GetGame();
    g_pWorld->GetPlayer()->Cash = kSavedCash;
    game.ScanSaveGames();
    const int32_t slot = game.FindFreeSlot();
    ASSERT_TRUE(game.SaveToSlot(slot));
    game.ScanSaveGames();
    int32_t entry = -1;
    for (int32_t i = 0; i < game.GetSaveGameCount(); ++i)
        if (game.GetSaveGame(i)->m_iSlot == slot)
            entry = i;
    ASSERT_GE(entry, 0);

    Gui().SetSelection(14, 2);
    Gui().SetMode(10);
    Settle();
    MoveToCell({found->x + 1, found->y + 1});
    Press(true);
    MoveToCell({found->x + 3, found->y + 3});
    ASSERT_LT(g_pWorld->GetPlayer()->Cash, kSavedCash) << "the drag has taken the plants' price";
    // As the load dialog does: the saved park asked for, through the main menu.
    game.RequestLoad(entry);
    game.SelectScreen(Game::kMainMenuScreen);
    harness.RunFrames(3);
    ASSERT_NE(g_pWorld, nullptr);
    EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, kSavedCash);
    Press(false);
}

} // namespace

namespace
{

// A press on the progress box over the park is the box's: the drag tools under it lay, clear and brush nothing on
// the ground the box hides, and take no money.
TEST_F(ToolModesInGameTest, APressOnTheProgressBoxLeavesTheGroundBehindItAlone)
{
    ASSERT_TRUE(Gui().IsProgressExtensionShown());
    // A camera high over the middle of the park: the ground reaches up behind the box at the top of the screen.
    const GridPos middle{g_pWorldMap->GetWidth() / 2, g_pWorldMap->GetHeight() / 2};
    const platform::Vec3 at = WorldMap::WorldToScene(WorldMap::GetCellCentre(middle));
    GameHarness::PlaceCamera({at.x, at.y + 45.0f, at.z - 20.0f}, at);
    harness.RunFrames(3);
    // A point of the box that the box's picture covers, with a cell of the park behind it and nothing standing there.
    const GuiRect box = Gui().GetProgressExtensionRect();
    std::optional<GridPos> hidden;
    for (int y = box.top + 4; y < box.bottom && !hidden; y += 6)
        for (int x = box.left + 4; x < box.right && !hidden; x += 12)
        {
            Move(x, y);
            const GridPos cell = CursorCell();
            if (Gui().IsMouseOverProgressExtension() && g_pWorldMap->IsValidGridPos(cell) &&
                g_pWorldMap->GetObjectsAt(cell).empty())
                hidden = cell;
        }
    ASSERT_TRUE(hidden) << "no cell of the park lies behind the progress box";
    MapCell* cell = g_pWorldMap->GetCell(*hidden);
    ASSERT_NE(cell, nullptr);

    struct Case
    {
        const char* what;
        int32_t mode;
        bool path; // the cell is footpath before the press
    };
    const Case cases[] = {
        {"footpath", MODE_PATH, false},
        {"bulldozer", MODE_DOZER, true},
        {"plant brush", MODE_SCENERY_BRUSH, false},
    };
    for (const Case& c : cases)
    {
        // Open ground, walkable and in the grid, with footpath on it when the case asks.
        cell->m_uiFlags = CELL_WALKABLE | CELL_GRID_WALKABLE;
        if (c.path)
        {
            ASSERT_TRUE(g_pPathTileSet->PlacePathTile(*hidden)) << c.what;
        }
        const uint32_t flags = cell->m_uiFlags;
        g_pWorld->GetPlayer()->Cash = 10000.0f;
        Gui().SetSelection(5, SceneryIndex("FOOTPATH"));
        Gui().SetSelection(14, 2); // the plants
        Gui().SetMode(c.mode);
        Settle();
        ASSERT_EQ(Gui().GetMode(), c.mode) << c.what;
        ASSERT_TRUE(Gui().IsMouseOverProgressExtension()) << c.what;
        ASSERT_TRUE(CursorCell() == *hidden) << c.what;
        Press(true);
        Press(false);
        harness.RunFrames(3);
        EXPECT_EQ(cell->m_uiFlags, flags) << c.what;
        EXPECT_TRUE(g_pWorldMap->GetObjectsAt(*hidden).empty()) << c.what;
        EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, 10000.0f) << c.what;
        Gui().SetMode(MODE_SELECT);
        Settle();
        if (c.path)
        {
            g_pPathTileSet->RemovePathTile(*hidden);
        }
    }
}

} // namespace

namespace
{

// A park whose path tile tables failed to load goes on without new paths: the footpath and queue tools take no money
// for paths they cannot lay, and the bulldozer pays nothing for a path it cannot take away.
TEST_F(ToolModesInGameTest, PathsThePathTilesCannotLayOrLiftCostAndPayNothing)
{
    constexpr int32_t kBlock = 8;
    const std::optional<GridPos> found = LookAtOpenBlock(kBlock);
    ASSERT_TRUE(found);
    const GridPos corner = *found;
    // Laid while the park's own path tiles are in place: a footpath cell and a queue's first cell.
    const GridPos footpath{corner.x + 2, corner.y + 2};
    const GridPos seed{corner.x + 4, corner.y + 4};
    ASSERT_TRUE(g_pPathTileSet->PlacePathTile(footpath));
    ASSERT_TRUE(g_pPathTileSet->PlaceQueueTile(seed));

    struct Case
    {
        const char* what;
        int32_t mode;
        const char* item;
        GridPos from, to; // the press and the release
        uint32_t flag;    // the path flag the cell keeps or lacks
        bool flagged;     // the cell has it before and after
    };
    const GridPos open{corner.x + 1, corner.y + 5};
    const Case cases[] = {
        {"a footpath drag", MODE_PATH, "FOOTPATH", open, {open.x, open.y + 1}, CELL_FOOTPATH, false},
        {"a queue piece beside the queue",
         MODE_QUEUE_PIECE,
         "QUEUEPATH",
         {seed.x + 1, seed.y},
         {seed.x + 1, seed.y},
         CELL_QUEUE,
         false},
        {"a bulldozer click on the footpath", MODE_DOZER, "FOOTPATH", footpath, footpath, CELL_FOOTPATH, true},
    };
    // The park's own path tiles come back however the test ends.
    struct Restore
    {
        PathTileSet* parks;
        ~Restore() { g_pPathTileSet = parks; }
    } restore{g_pPathTileSet};
    {
        // Path tiles from tables that are not there.
        const PathTileSet broken("data/no-such-path-tiles.txt", "");
        ASSERT_FALSE(broken.IsLoaded());
        ASSERT_EQ(g_pPathTileSet, &broken);
        for (const Case& c : cases)
        {
            Gui().SetSelection(5, SceneryIndex(c.item));
            Gui().SetMode(c.mode);
            Settle();
            ASSERT_EQ(Gui().GetMode(), c.mode) << c.what;
            g_pWorld->GetPlayer()->Cash = 10000.0f;
            const float costs = g_pWorld->m_fCostsToday, income = g_pWorld->m_fIncomeToday;
            MoveToCell(c.from);
            Press(true);
            MoveToCell(c.to);
            Press(false);
            harness.RunFrames(3);
            EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, 10000.0f) << c.what;
            EXPECT_FLOAT_EQ(g_pWorld->m_fCostsToday, costs) << c.what;
            EXPECT_FLOAT_EQ(g_pWorld->m_fIncomeToday, income) << c.what;
            for (const GridPos& cell : {c.from, c.to})
                EXPECT_EQ((g_pWorldMap->GetFlags(cell) & c.flag) != 0, c.flagged) << c.what;
            Gui().SetMode(MODE_SELECT);
            Settle();
        }
    }
}

} // namespace

namespace
{

// A path chosen in the scenery panel while the tool of its style is in hand is the one that tool lays and charges
// for: a park's tables may offer several footpaths, and several queue paths, at different prices.
TEST_F(ToolModesInGameTest, ThePathChosenLastIsTheOneThePathToolsLayAndChargeFor)
{
    // The sample data's prices (src/data/script/mrvscenery.pis): FOOTPATH 10, QUEUEPATH 15. The second item of each
    // case is given the tool's path style for the test, as a second path of that style in a park's tables.
    struct Case
    {
        const char* what;
        int32_t mode;
        int32_t style; // the tool's path style: 1 footpath, 2 queue path
        const char* first;
        const char* second;
        float secondPrice;
        uint32_t flag;
    };
    const Case cases[] = {
        {"the footpath tool", MODE_PATH, 1, "FOOTPATH", "QUEUEPATH", 15.0f, CELL_FOOTPATH},
        {"the queue tool", MODE_QUEUE_PIECE, 2, "QUEUEPATH", "FOOTPATH", 10.0f, CELL_QUEUE},
    };
    constexpr int32_t kBlock = 8;
    const std::optional<GridPos> found = LookAtOpenBlock(kBlock);
    ASSERT_TRUE(found);
    int32_t row = found->y + 1;
    for (const Case& c : cases)
    {
        SceneryInfo& second = g_pWorldParams->GetSceneryInfo(SceneryIndex(c.second));
        const int32_t style = second.iPathFlag;
        second.iPathFlag = c.style;
        // A queue's first cell for the queue tool to join, as a building's entrance starts one.
        const GridPos seed{found->x + 1, row}, cell{found->x + 2, row};
        if (c.mode == MODE_QUEUE_PIECE)
        {
            ASSERT_TRUE(g_pPathTileSet->PlaceQueueTile(seed)) << c.what;
        }
        // As the panel's path thumbnails do: the item chosen, then the tool of its style asked for.
        Gui().SetSelection(5, SceneryIndex(c.first));
        Gui().SetMode(c.mode);
        Settle();
        ASSERT_EQ(Gui().GetMode(), c.mode) << c.what;
        Gui().SetSelection(5, SceneryIndex(c.second));
        Gui().SetMode(c.mode);
        Settle();
        g_pWorld->GetPlayer()->Cash = 10000.0f;
        MoveToCell(cell);
        ASSERT_EQ(CursorCell(), cell) << c.what;
        Press(true);
        Press(false);
        harness.RunFrames(3);
        EXPECT_NE(g_pWorldMap->GetFlags(cell) & c.flag, 0u) << c.what;
        EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash, 10000.0f - c.secondPrice) << c.what;
        second.iPathFlag = style;
        Gui().SetMode(MODE_SELECT);
        Settle();
        row += 3;
    }
}

} // namespace

namespace
{

// A rail left on a side its path no longer reaches (the path cell there was bulldozed) is taken away when footpath
// is laid near it; its refund, a fifth of its price, stays with the player on top of what the new path cost.
TEST_F(ToolModesInGameTest, ARailTheFootpathToolTakesAwayPaysItsRefund)
{
    // The sample data's prices (src/data/script/mrvscenery.pis).
    constexpr float kFootpathCost = 10.0f;
    constexpr float kFenceRefund = 20.0f / 5.0f; // FENCE costs 20; a demolished item returns a fifth
    const std::optional<GridPos> found = LookAtOpenBlock(10);
    ASSERT_TRUE(found);
    struct Case
    {
        const char* what;
        int32_t length; // cells of the new footpath, in a column from the cell beside the railed one
    };
    const Case cases[] = {{"one cell", 1}, {"a drag of three cells", 3}};
    int32_t row = found->y + 1;
    for (const Case& c : cases)
    {
        // The middle of a row of three path cells, railed on its two path edges by one click of the fence tool;
        // then the row's end on one side is bulldozed, and that side's rail is left where no path is.
        const GridPos cell{found->x + 3, row};
        row += 5;
        ASSERT_NO_FATAL_FAILURE(LayPathRowAround(cell)) << c.what;
        g_pWorld->GetPlayer()->Cash = 1000.0f;
        ClickScenery("FENCE", cell);
        ASSERT_EQ(CountNamedAt(cell, "FENCE"), 2) << c.what;
        Gui().SetMode(MODE_DOZER);
        Settle();
        MoveToCell({cell.x + 1, cell.y});
        Press(true);
        Press(false);
        harness.RunFrames(3);
        ASSERT_EQ(g_pWorldMap->GetFlags({cell.x + 1, cell.y}) & CELL_FOOTPATH, 0u) << c.what;
        ASSERT_EQ(CountNamedAt(cell, "FENCE"), 2) << c.what << ": the bulldozer leaves the rail";

        Gui().SetSelection(5, SceneryIndex("FOOTPATH"));
        Gui().SetMode(MODE_PATH);
        Settle();
        const float cash = g_pWorld->GetPlayer()->Cash;
        MoveToCell({cell.x, cell.y + 1});
        Press(true);
        MoveToCell({cell.x, cell.y + c.length});
        Press(false);
        harness.RunFrames(3);
        for (int32_t i = 1; i <= c.length; ++i)
            EXPECT_NE(g_pWorldMap->GetFlags({cell.x, cell.y + i}) & CELL_FOOTPATH, 0u) << c.what << ", cell " << i;
        EXPECT_EQ(CountNamedAt(cell, "FENCE"), 1) << c.what;
        EXPECT_FLOAT_EQ(g_pWorld->GetPlayer()->Cash - cash, kFenceRefund - static_cast<float>(c.length) * kFootpathCost)
            << c.what;
        Gui().SetMode(MODE_SELECT);
        Settle();
    }
}

} // namespace

// The scenery panel's Bulldoze button starts the bulldozer, shown held down while it works: a click on a footpath
// cell then takes it up and pays part of its price back.
TEST_F(ToolModesInGameTest, TheSceneryPanelsBulldozeButtonClearsAPathCellClickedAfterIt)
{
    const std::optional<GridPos> corner = LookAtOpenBlock(3);
    ASSERT_TRUE(corner);
    const GridPos middle{corner->x + 1, corner->y + 1};
    LayPathRowAround(middle);
    harness.RunFrames(3);
    ASSERT_NE(g_pWorldMap->GetFlags(middle) & CELL_FOOTPATH, 0u);

    Key(XK_s);
    harness.RunFrames(60); // it slides in
    ASSERT_TRUE(Gui().IsDialogOpen("SceneryPanel"));
    Button* bulldoze = Bound("SceneryDozer");
    ASSERT_NE(bulldoze, nullptr) << "the scenery panel has no button that starts the bulldozer";
    const GuiRect r = bulldoze->GetRect();
    Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_NE(dynamic_cast<SceneryDozerMode*>(Gui().GetCurrentMode()), nullptr);

    const float cash = g_pWorld->GetPlayer()->Cash;
    MoveToCell(middle);
    Press(true);
    Press(false);
    harness.RunFrames(3);
    EXPECT_EQ(g_pWorldMap->GetFlags(middle) & CELL_FOOTPATH, 0u);
    EXPECT_GT(g_pWorld->GetPlayer()->Cash, cash);
    EXPECT_LT(g_pWorld->GetPlayer()->Cash, cash + kFootpathCost);
    EXPECT_TRUE(running);
}
