// The radar: the mapping between the park and its picture, the map drawing and its clipped view cone, the panels
// and the toggle button, the mouse-over test and the press on the picture that turns the camera.
#include "WidgetTestSupport.h"

#include "gui/GUIManager.h"
#include "gui/Radar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace
{

// The park of the first location: 128 x 128 cells of 32 x 64 map units.
constexpr float kMapW = 128.0f * 32.0f;
constexpr float kMapH = 128.0f * 64.0f;

struct MapCase
{
    const char* what;
    GuiRect image;
    float mx, my;
    float sx, sy;
};

TEST(RadarGeometry, ParkCornersAndMiddleLandOnThePictureWithTheParkYAxisUp)
{
    // A picture of 144 x 144 at (100, 200): the park's x runs right, its y up the screen.
    const MapCase cases[] = {
        {"origin, bottom left", {100, 200, 244, 344}, 0.0f, 0.0f, 100.0f, 344.0f},
        {"far corner, top right", {100, 200, 244, 344}, kMapW, kMapH, 244.0f, 200.0f},
        {"middle", {100, 200, 244, 344}, kMapW / 2, kMapH / 2, 172.0f, 272.0f},
        {"a quarter across, three quarters up", {0, 0, 128, 64}, kMapW / 4, kMapH * 3 / 4, 32.0f, 16.0f},
    };
    for (const MapCase& c : cases)
    {
        const RadarGeometry g{c.image, kMapW, kMapH};
        float sx = -1, sy = -1;
        g.MapToScreen(c.mx, c.my, &sx, &sy);
        EXPECT_FLOAT_EQ(sx, c.sx) << c.what;
        EXPECT_FLOAT_EQ(sy, c.sy) << c.what;
    }
}

TEST(RadarGeometry, APixelOfThePictureNamesTheParkPointAtItsCentre)
{
    const RadarGeometry g{{12, 8, 156, 152}, kMapW, kMapH};
    struct Pixel
    {
        int32_t x, y;
        bool inside;
    };
    const Pixel pixels[] = {{12, 8, true},  {155, 151, true},  {84, 80, true},  {11, 8, false},
                            {12, 7, false}, {156, 100, false}, {50, 152, false}};
    for (const Pixel& p : pixels)
    {
        float mx = -1, my = -1;
        ASSERT_EQ(g.ScreenToMap(p.x, p.y, &mx, &my), p.inside) << p.x << "," << p.y;
        if (!p.inside)
            continue;
        // Offsets inside the picture, as fractions of it, taken at the pixel's centre.
        const float fx = (static_cast<float>(p.x - 12) + 0.5f) / 144.0f;
        const float fy = (static_cast<float>(p.y - 8) + 0.5f) / 144.0f;
        EXPECT_FLOAT_EQ(mx, fx * 128.0f * 32.0f) << p.x;
        EXPECT_FLOAT_EQ(my, (128.0f * 32.0f - fy * 128.0f * 32.0f) * 2.0f) << p.y;
    }
}

TEST(RadarGeometry, AnEmptyPictureOrParkHasNoPoints)
{
    const RadarGeometry shapes[] = {
        {{0, 0, 0, 144}, kMapW, kMapH}, {{0, 0, 144, 144}, 0.0f, kMapH}, {{0, 0, 144, 144}, kMapW, std::nanf("")}};
    for (const RadarGeometry& g : shapes)
    {
        float mx, my;
        EXPECT_FALSE(g.ScreenToMap(1, 1, &mx, &my));
        RadarView view;
        view.buildings.push_back({0, 0, 64, 64});
        view.hasCamera = true;
        RadarDrawList list;
        list.rects.push_back({0, 0, 1, 1, 0});
        Radar::BuildDrawList(g, view, list);
        EXPECT_TRUE(list.rects.empty());
        EXPECT_TRUE(list.coneTriangles.empty());
    }
}

// A 128 x 128 picture at (0, 0) over the 128-cell park: one pixel a cell, row 0 at the park's far edge.
const RadarGeometry kPixelPerCell{{0, 0, 128, 128}, kMapW, kMapH};

TEST(RadarDrawing, BuildingsStaffAndGuestsAreDrawnInTheirColoursWhereTheyStand)
{
    RadarView view;
    view.mapWidth = kMapW;
    view.mapHeight = kMapH;
    // Cells x 10 to 19 and y 10 to 19; a turned 2 x 4 building given corner first at cells (100, 50).
    view.buildings.push_back({10 * 32.0f, 10 * 64.0f, 20 * 32.0f, 20 * 64.0f});
    view.buildings.push_back({102 * 32.0f, 54 * 64.0f, 100 * 32.0f, 50 * 64.0f});
    // A cleaner in the middle of cell (5, 5); one off the park.
    view.staff.push_back({5.5f * 32.0f, 5.5f * 64.0f});
    view.staff.push_back({-40.0f, 100.0f});
    // A guest in cell (64, 64).
    view.guests.push_back({64.2f * 32.0f, 64.2f * 64.0f});
    RadarDrawList list;
    Radar::BuildDrawList(kPixelPerCell, view, list);
    const std::vector<RadarDrawList::Rect> expected = {
        {10, 108, 20, 118, 0xFFA0A0A0}, // rows 128 - 20 to 128 - 10
        {100, 74, 102, 78, 0xFFA0A0A0}, // rows 128 - 54 to 128 - 50
        {5, 122, 7, 124, 0xFFFF0000},   // 2 x 2 from row 128 - 5.5
        {64, 63, 65, 64, 0xFF000000},   // one pixel, row 128 - 64.2
    };
    ASSERT_EQ(list.rects.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(list.rects[i].left, expected[i].left) << i;
        EXPECT_EQ(list.rects[i].top, expected[i].top) << i;
        EXPECT_EQ(list.rects[i].right, expected[i].right) << i;
        EXPECT_EQ(list.rects[i].bottom, expected[i].bottom) << i;
        EXPECT_EQ(list.rects[i].colour, expected[i].colour) << i;
    }
}

TEST(RadarDrawing, ABuildingOverThePicturesEdgeIsCutToIt)
{
    RadarView view;
    view.buildings.push_back({-10 * 32.0f, 120 * 64.0f, 4 * 32.0f, 140 * 64.0f});
    RadarDrawList list;
    Radar::BuildDrawList(kPixelPerCell, view, list);
    ASSERT_EQ(list.rects.size(), 1u);
    EXPECT_EQ(list.rects[0].left, 0);
    EXPECT_EQ(list.rects[0].top, 0);
    EXPECT_EQ(list.rects[0].right, 4);
    EXPECT_EQ(list.rects[0].bottom, 8);
}

double Area(const std::vector<RadarDrawList::Vertex>& t)
{
    double area = 0;
    for (size_t i = 0; i + 2 < t.size(); i += 3)
        area +=
            std::abs((t[i + 1].x - t[i].x) * (t[i + 2].y - t[i].y) - (t[i + 2].x - t[i].x) * (t[i + 1].y - t[i].y)) /
            2.0;
    return area;
}

struct ConeCase
{
    const char* what;
    float heading;
    // The side of the apex every vertex lies on: +1 right or below, -1 left or above, along x or y.
    int axis; // 0 x, 1 y
    int side;
};

TEST(RadarDrawing, TheViewConeStartsAtTheCameraPointsItsWayAndIsCutToThePicture)
{
    const ConeCase cases[] = {
        {"looking up the park", 0.0f, 1, -1},
        {"looking along x", std::numbers::pi_v<float> / 2, 0, +1},
        {"looking down the park", std::numbers::pi_v<float>, 1, +1},
        {"looking back along x", -std::numbers::pi_v<float> / 2, 0, -1},
    };
    for (const ConeCase& c : cases)
    {
        RadarView view;
        view.hasCamera = true;
        view.camera = {kMapW / 2, kMapH / 2}; // pixel (64, 64)
        view.heading = c.heading;
        RadarDrawList list;
        Radar::BuildDrawList(kPixelPerCell, view, list);
        ASSERT_GE(list.coneTriangles.size(), 3u) << c.what;
        ASSERT_EQ(list.coneTriangles.size() % 3, 0u) << c.what;
        bool apex = false;
        for (const RadarDrawList::Vertex& v : list.coneTriangles)
        {
            EXPECT_GE(v.x, -0.001f);
            EXPECT_LE(v.x, 128.001f);
            EXPECT_GE(v.y, -0.001f);
            EXPECT_LE(v.y, 128.001f);
            const float along = (c.axis == 0 ? v.x : v.y) - 64.0f;
            EXPECT_GE(along * static_cast<float>(c.side), -0.001f) << c.what;
            if (std::abs(v.x - 64.0f) < 0.001f && std::abs(v.y - 64.0f) < 0.001f)
            {
                apex = true;
                EXPECT_EQ(v.colour, 0x80FFFFFFu) << c.what;
            }
        }
        EXPECT_TRUE(apex) << c.what;
        // Each side of the cone goes 532 across for 400 along the heading (the heading plus and minus 45 degrees),
        // so 64 pixels along from the apex (the picture's edge) it has spread 64 x 532 / 400 sideways; for a
        // heading across the picture the screen axes swap the two lengths. The far edge lies beyond the picture.
        const double spread = c.axis == 1 ? 64.0 * 532.0 / 400.0 : 64.0 * 400.0 / 532.0;
        const double cut = std::min(spread, 64.0);
        // Inside the half of the picture it points into: a triangle, or when the sides leave through the picture's
        // sides, the half less the two corners outside the cone.
        const double wedge =
            spread >= 64.0 ? 64.0 * 128.0 - 2 * (0.5 * 64.0 * (64.0 * 64.0 / spread)) : 0.5 * 2 * cut * 64.0;
        EXPECT_NEAR(Area(list.coneTriangles), wedge, 0.5) << c.what;
    }
}

TEST(RadarDrawing, ATriangleIsKeptWholeInsideDroppedOutsideAndCutAcrossAnEdge)
{
    using V = RadarDrawList::Vertex;
    std::vector<V> out;
    const V inside[3] = {{1, 1, 1}, {9, 1, 2}, {1, 9, 3}};
    ClipRadarTriangle(inside, 0, 0, 10, 10, out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_NEAR(Area(out), 32.0, 1e-4);
    out.clear();
    const V outside[3] = {{11, 1, 1}, {19, 1, 2}, {11, 9, 3}};
    ClipRadarTriangle(outside, 0, 0, 10, 10, out);
    EXPECT_TRUE(out.empty());
    const V broken[3] = {{1, 1, 1}, {std::nanf(""), 1, 2}, {1, 9, 3}};
    ClipRadarTriangle(broken, 0, 0, 10, 10, out);
    EXPECT_TRUE(out.empty());
    // Half over the right edge: the colour fades from opaque black at x = 0 to clear at x = 20.
    const V across[3] = {{0, 0, 0xFF000000}, {20, 0, 0x00000000}, {0, 10, 0xFF000000}};
    ClipRadarTriangle(across, 0, 0, 10, 10, out);
    // The part left of x = 10: the triangle's 100 less the 25 of the corner beyond.
    EXPECT_NEAR(Area(out), 75.0, 1e-3);
    bool midEdge = false;
    for (const V& v : out)
        if (std::abs(v.x - 10.0f) < 1e-4 && std::abs(v.y) < 1e-4)
        {
            midEdge = true;
            EXPECT_EQ(v.colour >> 24, 0x80u); // half way from 0xFF to 0
        }
    EXPECT_TRUE(midEdge);
}

// ---- the panel in the GUI manager

struct Look
{
    float x, y;
};
class RecordingRadarPark : public RadarPark
{
public:
    bool GetRadarView(RadarView& v) override
    {
        v = view;
        return true;
    }
    void LookAtMapPos(float x, float y) override { looks.push_back({x, y}); }
    RadarView view;
    std::vector<Look> looks;
};

void ToggleRadar(int32_t)
{
    g_pGUIManager->ToggleRadarSize();
}
int g_fired = 0;
void Fire(int32_t)
{
    ++g_fired;
}
constexpr GuiCommand kRadarCommands[] = {{"ToggleRadarSize", ToggleRadar}, {"Fire", Fire}};

class RadarPanelTest : public widgettest::WidgetsTest
{
protected:
    static constexpr int32_t kPanel = 120;
    static constexpr int32_t kSmall = 40;
    static constexpr int32_t kPicture = 100;
    void SetUp() override
    {
        WidgetsTest::SetUp();
        // (The test banks' rows hold runs of at most 127 pixels.)
        guitest::Load(GetSpriteManager(), {widgettest::Bank("uis_scanner_paneldown", kPanel, kPanel, 1),
                                           widgettest::Bank("uis_scanner_panelup", kPanel, kSmall, 1),
                                           widgettest::Bank("uis_scanner_sb_paneldown", kPanel, kPanel, 1),
                                           widgettest::Bank("uis_scanner_sb_panelup", kPanel, kSmall, 1),
                                           widgettest::Bank("uis_scanner_upbutton", 16, 16, 4),
                                           widgettest::Bank("uis_scanner_downbutton", 16, 16, 4),
                                           widgettest::Bank("radar_test", kPicture, kPicture, 1)});
        SetGuiCommandTables(kRadarCommands, {});
        park.view.mapWidth = kMapW;
        park.view.mapHeight = kMapH;
        gui->SetRadarPark(&park);
        gui->SetMode(1);
    }
    RecordingRadarPark park;
};

TEST_F(RadarPanelTest, MadeExpandedOnTheMapPictureAndTheToggleSwapsThePanels)
{
    struct Case
    {
        bool sandbox;
        int toggles;
        bool expanded;
        const char* panel;
        const char* button;
        int32_t height;
    };
    const Case cases[] = {
        {false, 0, true, "uis_scanner_paneldown", "uis_scanner_upbutton", kPanel},
        {false, 1, false, "uis_scanner_panelup", "uis_scanner_downbutton", kSmall},
        {false, 2, true, "uis_scanner_paneldown", "uis_scanner_upbutton", kPanel},
        {true, 0, true, "uis_scanner_sb_paneldown", "uis_scanner_upbutton", kPanel},
        {true, 1, false, "uis_scanner_sb_panelup", "uis_scanner_downbutton", kSmall},
    };
    for (const Case& c : cases)
    {
        gui->CreateRadar("radar_test", c.sandbox, 20, 30);
        for (int i = 0; i < c.toggles; ++i)
            gui->ToggleRadarSize();
        const Radar& radar = gui->GetRadar();
        EXPECT_TRUE(gui->IsRadarActive());
        EXPECT_EQ(radar.IsExpanded(), c.expanded);
        EXPECT_STREQ(radar.GetPanelName(), c.panel);
        EXPECT_STREQ(radar.GetButtonImage(), c.button);
        EXPECT_EQ(radar.GetRect().left, 20);
        EXPECT_EQ(radar.GetRect().top, 30);
        EXPECT_EQ(radar.GetRect().right, 20 + kPanel);
        EXPECT_EQ(radar.GetRect().bottom, 30 + c.height);
        EXPECT_EQ(radar.GetMapRect().left, 32);
        EXPECT_EQ(radar.GetMapRect().top, 38);
        EXPECT_EQ(radar.GetMapRect().right, 32 + kPicture);
    }
    gui->ClearRadarActive();
    EXPECT_FALSE(gui->IsRadarActive());
    gui->DestroyRadar();
    EXPECT_FALSE(gui->GetRadar().IsCreated());
}

TEST_F(RadarPanelTest, APressOrHoldOnThePictureTurnsTheCameraToThePointUnderIt)
{
    struct Case
    {
        const char* what;
        int32_t x, y, event;
        bool inputEnabled;
        bool collapse;
        bool looks;
    };
    const Case cases[] = {
        {"press", 12 + 36, 8 + 78, ME_PRESSED, true, false, true},
        {"hold", 12 + 99, 8 + 1, ME_HELD, true, false, true},
        {"resting cursor", 12 + 36, 8 + 78, ME_NONE, true, false, false},
        {"press on the frame", 5, 100, ME_PRESSED, true, false, false},
        {"input off (a tool drags)", 12 + 36, 8 + 78, ME_PRESSED, false, false, false},
        {"collapsed", 12 + 20, 8 + 20, ME_PRESSED, true, true, false},
    };
    for (const Case& c : cases)
    {
        gui->CreateRadar("radar_test", false);
        if (c.collapse)
            gui->ToggleRadarSize();
        gui->SetRadarInputEnabled(c.inputEnabled);
        park.looks.clear();
        Frame(now += 10, c.x, c.y, c.event);
        ASSERT_EQ(park.looks.size(), c.looks ? 1u : 0u) << c.what;
        if (!c.looks)
            continue;
        const float fx = (static_cast<float>(c.x - 12) + 0.5f) / static_cast<float>(kPicture);
        const float fy = (static_cast<float>(c.y - 8) + 0.5f) / static_cast<float>(kPicture);
        EXPECT_FLOAT_EQ(park.looks[0].x, fx * kMapW) << c.what;
        EXPECT_FLOAT_EQ(park.looks[0].y, (1.0f - fy) * kMapH) << c.what;
    }
}

// A dialog over the picture keeps the presses it takes: a click on its button fires the button and leaves the camera
// where it was; with the dialog closed the same press turns the camera.
TEST_F(RadarPanelTest, APressADialogOverThePictureTakesDoesNotTurnTheCamera)
{
    Script("Font(TestFont)\nDialogItem D(20, 40, 200, 200, CLEAR, 1, 0)\n{\n"
           "    Button(10, 10, 80, 40, NONE, 0, NONE, Fire, NONE)\n}\n");
    ASSERT_TRUE(gui->OpenDialog("D", &listener));
    gui->CreateRadar("radar_test", false);
    g_fired = 0;
    park.looks.clear();
    // The button covers (30, 50) to (100, 80) of the screen, inside the picture's (12, 8) to (112, 108).
    Click(50, 60);
    EXPECT_EQ(g_fired, 1) << "the button did not take the click";
    EXPECT_TRUE(park.looks.empty()) << "the press went through the dialog to the radar";
    gui->CloseDialog("D");
    park.looks.clear();
    Frame(now += 1000, 50, 60);
    Step(50, 60, ME_PRESSED);
    EXPECT_EQ(park.looks.size(), 1u);
}

TEST_F(RadarPanelTest, TheCursorOverTheRadarCountsAsOverTheGuiOnlyWhenTheRadarIsAsked)
{
    gui->CreateRadar("radar_test", false);
    Frame(now += 10, 100, 100);
    EXPECT_TRUE(gui->IsMouseOverRadar());
    EXPECT_TRUE(gui->IsMouseOverGui(true));
    EXPECT_FALSE(gui->IsMouseOverGui(false));
    Frame(now += 10, 400, 300);
    EXPECT_FALSE(gui->IsMouseOverRadar());
    EXPECT_FALSE(gui->IsMouseOverGui(true));
    gui->ClearRadarActive();
    Frame(now += 10, 100, 100);
    EXPECT_FALSE(gui->IsMouseOverRadar());
}

TEST_F(RadarPanelTest, TheToggleButtonRollsThePanelUpAndDown)
{
    gui->CreateRadar("radar_test", false);
    ASSERT_TRUE(gui->GetRadar().IsExpanded());
    Click(Radar::kButtonOffset + 8, 8);
    EXPECT_FALSE(gui->GetRadar().IsExpanded());
    EXPECT_STREQ(gui->GetRadar().GetButtonImage(), "uis_scanner_downbutton");
    Click(Radar::kButtonOffset + 8, 8);
    EXPECT_TRUE(gui->GetRadar().IsExpanded());
}

TEST_F(RadarPanelTest, TheParkIsDrawnOnThePictureOnlyWhileExpanded)
{
    gui->CreateRadar("radar_test", false);
    // A building over cells 0 to 63 across and 64 to 127 up: the picture's top-left quarter.
    park.view.buildings.push_back({0, 64 * 64.0f, 64 * 32.0f, 128 * 64.0f});
    Frame(now += 10, 400, 300);
    widgettest::Fills();
    widgettest::DrawGui(*gui);
    const auto grey = widgettest::FillsOf(widgettest::Fills(), Radar::kBuildingColour);
    ASSERT_EQ(grey.size(), 1u);
    EXPECT_EQ(grey[0], (widgettest::Fill{12, 8, 12 + kPicture / 2, 8 + kPicture / 2, Radar::kBuildingColour}));
    gui->ToggleRadarSize();
    widgettest::DrawGui(*gui);
    EXPECT_TRUE(widgettest::FillsOf(widgettest::Fills(), Radar::kBuildingColour).empty());
}

} // namespace
