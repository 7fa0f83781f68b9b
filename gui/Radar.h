// Radar: the small map of the park in the park screen's corner: the scenario's picture with the buildings, staff
// and guests drawn on it and the camera's view as a cone that fades out; a press on the map turns the camera to
// the point under the cursor. The park is read through RadarPark, which the program above the GUI implements.
#pragma once

#include "engine/render/RenderTypes.h"
#include "gui/Widget.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Button;
class Image;
class Sprite;

// A point and a box of the park in map units (x across, y up the radar).
struct RadarPoint
{
    float x = 0.0f;
    float y = 0.0f;
};
struct RadarBox
{
    float x0 = 0.0f;
    float y0 = 0.0f;
    float x1 = 0.0f;
    float y1 = 0.0f;
};

// The park as the radar shows it in one frame.
struct RadarView
{
    float mapWidth = 0.0f; // the park's extent in map units
    float mapHeight = 0.0f;
    std::vector<RadarBox> buildings; // footprints, already turned
    std::vector<RadarPoint> staff;   // cleaners, mechanics and zookeepers
    std::vector<RadarPoint> guests;
    bool hasCamera = false;
    RadarPoint camera;    // the camera's eye over the park
    float heading = 0.0f; // radians the camera looks, 0 up the radar (map +y), a quarter turn along map +x
};

class RadarPark
{
public:
    virtual ~RadarPark() = default;
    // The park this frame; false while there is none.
    virtual bool GetRadarView(RadarView& view) = 0;
    // Turns the camera to look at a point of the park, in map units.
    virtual void LookAtMapPos(float x, float y) = 0;
};

// Where the park lies on the screen: the map picture's rectangle and the park's extent.
struct RadarGeometry
{
    GuiRect image;
    float mapWidth = 0.0f;
    float mapHeight = 0.0f;

    bool IsUsable() const;
    // The screen point of a park point; the park's y axis points up the screen.
    void MapToScreen(float mx, float my, float* sx, float* sy) const;
    // The park point under a screen pixel's centre; false outside the picture or without a usable geometry.
    bool ScreenToMap(int32_t sx, int32_t sy, float* mx, float* my) const;
};

// What the radar draws on the map picture, in screen pixels.
struct RadarDrawList
{
    struct Rect
    {
        int32_t left, top, right, bottom; // right and bottom excluded
        uint32_t colour;
    };
    struct Vertex
    {
        float x, y;
        uint32_t colour;
    };
    std::vector<Rect> rects;           // buildings, then staff, then guests; clipped to the picture
    std::vector<Vertex> coneTriangles; // the view cone clipped to the picture, three vertices a triangle
};

class Radar
{
public:
    static constexpr uint32_t kGuestColour = 0xFF000000;
    static constexpr uint32_t kStaffColour = 0xFFFF0000;
    static constexpr uint32_t kBuildingColour = 0xFFA0A0A0;
    static constexpr uint32_t kConeApexColour = 0x80FFFFFF;
    static constexpr uint32_t kConeFarColour = 0x00FFFFFF;
    static constexpr int32_t kMapOffsetX = 12;
    static constexpr int32_t kMapOffsetY = 8;
    static constexpr int32_t kButtonOffset = 148;
    static constexpr float kConeAcross = 532.0f;
    static constexpr float kConeAlong = 400.0f;

    Radar();
    ~Radar();
    Radar(const Radar&) = delete;
    Radar& operator=(const Radar&) = delete;

    // Builds the radar at a screen position on the map picture of that name, expanded and active; the alternative
    // look takes the sandbox panels. A radar made before is destroyed first.
    void Create(int32_t x, int32_t y, const char* mapSprite, bool alternative);
    void Destroy();
    bool IsCreated() const { return m_pMap != nullptr; }
    bool IsActive() const { return m_bActive; }
    void SetActive(bool active) { m_bActive = active && IsCreated(); }
    bool IsExpanded() const { return m_bExpanded; }
    bool IsAlternative() const { return m_bAlternative; }
    // Swaps the large and the small panel.
    void ToggleSize();
    const char* GetPanelName() const;
    const char* GetButtonImage() const;
    const GuiRect& GetRect() const { return m_rect; }
    GuiRect GetMapRect() const;
    const std::string& GetMapSpriteName() const { return m_mapName; }

    // This frame's mouse: the mouse-over flag, the toggle button, and while expanded with input enabled a press or
    // hold on the picture turns the park's camera to the point under the cursor.
    void OnMouse(int32_t x, int32_t y, int32_t first, bool inputEnabled, RadarPark* park);
    bool IsMouseOver() const { return m_bMouseOver; }
    // The toggle button's step.
    void Update(float dt);
    void Draw(RadarPark* park);

    // The map drawing of a view over a picture rectangle.
    static void BuildDrawList(const RadarGeometry& geometry, const RadarView& view, RadarDrawList& out);

private:
    void MakeButton();
    void TakePanel();

    std::unique_ptr<Image> m_pMap;
    std::unique_ptr<Button> m_pButton;
    Sprite* m_pPanel = nullptr;
    std::string m_mapName;
    GuiRect m_rect;
    int32_t m_x = 0;
    int32_t m_y = 0;
    bool m_bActive = false;
    bool m_bExpanded = true;
    bool m_bAlternative = false;
    bool m_bMouseOver = false;
    // The button's picture changes after the button's own step (its command may run inside it).
    bool m_bButtonStale = false;
    RadarView m_view;
    RadarDrawList m_draw;
    // The draw list's rectangles as the graphics manager fills them.
    std::vector<ColourRect> m_fills;
};

// Clips a triangle to a rectangle (edges included), colours interpolated; appends the pieces as triangles.
void ClipRadarTriangle(const RadarDrawList::Vertex (&triangle)[3], float left, float top, float right, float bottom,
                       std::vector<RadarDrawList::Vertex>& out);
