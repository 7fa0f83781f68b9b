// Radar: its panels and toggle button, the mapping between the park and the picture, the map drawing with the view
// cone clipped to the picture, and the press that turns the camera.
#include "gui/Radar.h"

#include "engine/render/GraphicsManager.h"
#include "gui/Button.h"
#include "gui/Image.h"
#include "gui/MainItem.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{

constexpr const char* kPanelLarge = "uis_scanner_paneldown";
constexpr const char* kPanelSmall = "uis_scanner_panelup";
constexpr const char* kPanelLargeAlt = "uis_scanner_sb_paneldown";
constexpr const char* kPanelSmallAlt = "uis_scanner_sb_panelup";
constexpr const char* kButtonRollUp = "uis_scanner_upbutton";
constexpr const char* kButtonRollDown = "uis_scanner_downbutton";

int32_t Floor(float v)
{
    return static_cast<int32_t>(std::floor(v));
}

uint32_t Mix(uint32_t a, uint32_t b, float t)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
    {
        const float ca = static_cast<float>((a >> shift) & 0xFF), cb = static_cast<float>((b >> shift) & 0xFF);
        const float c = std::clamp(ca + (cb - ca) * t, 0.0f, 255.0f);
        out |= static_cast<uint32_t>(std::lround(c)) << shift;
    }
    return out;
}

// A polygon of a clipped triangle: a pass keeps at most each edge's start and its crossing, so the four passes
// leave at most 3 x 2^4 vertices (a convex one no more than seven).
struct ClipPolygon
{
    RadarDrawList::Vertex vertices[48];
    size_t count = 0;
};

// One Sutherland-Hodgman pass: keeps the side where inside(v) holds.
template <typename Inside, typename Cross> ClipPolygon ClipPass(const ClipPolygon& in, Inside inside, Cross cross)
{
    ClipPolygon out;
    for (size_t i = 0; i < in.count; ++i)
    {
        const RadarDrawList::Vertex& a = in.vertices[i];
        const RadarDrawList::Vertex& b = in.vertices[(i + 1) % in.count];
        const bool ia = inside(a), ib = inside(b);
        if (ia)
            out.vertices[out.count++] = a;
        if (ia != ib)
        {
            const float t = cross(a, b);
            out.vertices[out.count++] = {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, Mix(a.colour, b.colour, t)};
        }
    }
    return out;
}

} // namespace

// ---- geometry

bool RadarGeometry::IsUsable() const
{
    return image.right > image.left && image.bottom > image.top && mapWidth > 0.0f && mapHeight > 0.0f &&
           std::isfinite(mapWidth) && std::isfinite(mapHeight);
}

void RadarGeometry::MapToScreen(float mx, float my, float* sx, float* sy) const
{
    const float w = static_cast<float>(image.right - image.left), h = static_cast<float>(image.bottom - image.top);
    *sx = static_cast<float>(image.left) + mx / mapWidth * w;
    *sy = static_cast<float>(image.top) + (1.0f - my / mapHeight) * h;
}

bool RadarGeometry::ScreenToMap(int32_t sx, int32_t sy, float* mx, float* my) const
{
    if (!IsUsable() || sx < image.left || sx >= image.right || sy < image.top || sy >= image.bottom)
        return false;
    const float w = static_cast<float>(image.right - image.left), h = static_cast<float>(image.bottom - image.top);
    const float dx = static_cast<float>(sx - image.left) + 0.5f, dy = static_cast<float>(sy - image.top) + 0.5f;
    *mx = dx / w * mapWidth;
    *my = (1.0f - dy / h) * mapHeight;
    return true;
}

void ClipRadarTriangle(const RadarDrawList::Vertex (&triangle)[3], float left, float top, float right, float bottom,
                       std::vector<RadarDrawList::Vertex>& out)
{
    for (const RadarDrawList::Vertex& v : triangle)
        if (!std::isfinite(v.x) || !std::isfinite(v.y))
            return;
    // Kept off the heap: the cone is clipped in every frame the radar draws.
    ClipPolygon poly;
    for (const RadarDrawList::Vertex& v : triangle)
        poly.vertices[poly.count++] = v;
    using V = RadarDrawList::Vertex;
    poly = ClipPass(
        poly, [&](const V& v) { return v.x >= left; },
        [&](const V& a, const V& b) { return (left - a.x) / (b.x - a.x); });
    poly = ClipPass(
        poly, [&](const V& v) { return v.x <= right; },
        [&](const V& a, const V& b) { return (right - a.x) / (b.x - a.x); });
    poly = ClipPass(
        poly, [&](const V& v) { return v.y >= top; },
        [&](const V& a, const V& b) { return (top - a.y) / (b.y - a.y); });
    poly = ClipPass(
        poly, [&](const V& v) { return v.y <= bottom; },
        [&](const V& a, const V& b) { return (bottom - a.y) / (b.y - a.y); });
    for (size_t i = 1; i + 1 < poly.count; ++i)
    {
        out.push_back(poly.vertices[0]);
        out.push_back(poly.vertices[i]);
        out.push_back(poly.vertices[i + 1]);
    }
}

void Radar::BuildDrawList(const RadarGeometry& geometry, const RadarView& view, RadarDrawList& out)
{
    out.rects.clear();
    out.coneTriangles.clear();
    if (!geometry.IsUsable())
        return;
    const GuiRect& img = geometry.image;
    auto add = [&](int32_t l, int32_t t, int32_t r, int32_t b, uint32_t colour)
    {
        l = std::max(l, img.left);
        t = std::max(t, img.top);
        r = std::min(r, img.right);
        b = std::min(b, img.bottom);
        if (l < r && t < b)
            out.rects.push_back({l, t, r, b, colour});
    };
    for (const RadarBox& box : view.buildings)
    {
        float x0, y0, x1, y1;
        geometry.MapToScreen(std::min(box.x0, box.x1), std::max(box.y0, box.y1), &x0, &y0);
        geometry.MapToScreen(std::max(box.x0, box.x1), std::min(box.y0, box.y1), &x1, &y1);
        if (!std::isfinite(x0 + y0 + x1 + y1))
            continue;
        const int32_t l = Floor(x0), t = Floor(y0);
        add(l, t, std::max(static_cast<int32_t>(std::ceil(x1)), l + 1),
            std::max(static_cast<int32_t>(std::ceil(y1)), t + 1), kBuildingColour);
    }
    auto points = [&](const std::vector<RadarPoint>& list, int32_t size, uint32_t colour)
    {
        for (const RadarPoint& p : list)
        {
            float sx, sy;
            geometry.MapToScreen(p.x, p.y, &sx, &sy);
            if (!std::isfinite(sx) || !std::isfinite(sy) || sx < static_cast<float>(img.left) ||
                sy < static_cast<float>(img.top) || sx >= static_cast<float>(img.right) ||
                sy >= static_cast<float>(img.bottom))
                continue;
            add(Floor(sx), Floor(sy), Floor(sx) + size, Floor(sy) + size, colour);
        }
    };
    points(view.staff, 2, kStaffColour);
    points(view.guests, 1, kGuestColour);
    if (!view.hasCamera)
        return;
    float ax, ay;
    geometry.MapToScreen(view.camera.x, view.camera.y, &ax, &ay);
    const float quarter = std::numbers::pi_v<float> / 4.0f;
    const float a1 = view.heading - quarter, a2 = view.heading + quarter;
    const RadarDrawList::Vertex cone[3] = {
        {ax, ay, kConeApexColour},
        {ax + kConeAcross * std::sin(a1), ay - kConeAlong * std::cos(a1), kConeFarColour},
        {ax + kConeAcross * std::sin(a2), ay - kConeAlong * std::cos(a2), kConeFarColour},
    };
    ClipRadarTriangle(cone, static_cast<float>(img.left), static_cast<float>(img.top), static_cast<float>(img.right),
                      static_cast<float>(img.bottom), out.coneTriangles);
}

// ---- the panel

Radar::Radar() = default;

Radar::~Radar()
{
    Destroy();
}

void Radar::Create(int32_t x, int32_t y, const char* mapSprite, bool alternative)
{
    Destroy();
    m_x = x;
    m_y = y;
    m_bAlternative = alternative;
    m_bExpanded = true;
    m_mapName = mapSprite ? mapSprite : "";
    m_pMap = std::make_unique<Image>(x + kMapOffsetX, y + kMapOffsetY, 0, 0, m_mapName.c_str(), false);
    m_pMap->SetActive(true);
    TakePanel();
    MakeButton();
    m_bActive = true;
}

void Radar::Destroy()
{
    m_pButton.reset();
    m_pMap.reset();
    if (m_pPanel)
        GetSpriteManager().ReleaseSprite(m_pPanel);
    m_pPanel = nullptr;
    m_bActive = false;
    m_bMouseOver = false;
    m_bButtonStale = false;
    m_rect = {};
}

const char* Radar::GetPanelName() const
{
    if (m_bAlternative)
        return m_bExpanded ? kPanelLargeAlt : kPanelSmallAlt;
    return m_bExpanded ? kPanelLarge : kPanelSmall;
}

const char* Radar::GetButtonImage() const
{
    return m_bExpanded ? kButtonRollUp : kButtonRollDown;
}

GuiRect Radar::GetMapRect() const
{
    return m_pMap ? m_pMap->GetRect() : GuiRect{};
}

void Radar::TakePanel()
{
    if (m_pPanel)
        GetSpriteManager().ReleaseSprite(m_pPanel);
    m_pPanel = GetSpriteManager().CreateSprite(GetPanelName());
    m_rect = {m_x, m_y, m_x + m_pPanel->GetWidth(), m_y + m_pPanel->GetHeight()};
}

void Radar::MakeButton()
{
    m_pButton = std::make_unique<Button>(m_x + kButtonOffset, m_y, m_x + kButtonOffset, m_y, GetButtonImage(), "None",
                                         "ToggleRadarSize", nullptr, true);
    m_pButton->SetActive(true);
    m_bButtonStale = false;
}

void Radar::ToggleSize()
{
    if (!IsCreated())
        return;
    m_bExpanded = !m_bExpanded;
    TakePanel();
    m_bButtonStale = true;
}

void Radar::OnMouse(int32_t x, int32_t y, int32_t first, bool inputEnabled, RadarPark* park)
{
    if (!m_bActive)
    {
        m_bMouseOver = false;
        return;
    }
    if (m_bButtonStale)
        MakeButton();
    const int64_t dx = int64_t{x} - m_rect.left, dy = int64_t{y} - m_rect.top;
    const bool inRect = x >= m_rect.left && x < m_rect.right && y >= m_rect.top && y < m_rect.bottom;
    const bool onMap = m_bExpanded && m_pMap->HitTest(x, y);
    m_bMouseOver = (inRect && m_pPanel->HasPicture() &&
                    m_pPanel->IsOpaqueAt(static_cast<int32_t>(dx) + 1, static_cast<int32_t>(dy))) ||
                   onMap;
    m_pButton->OnMouse(x, y, first);
    if (!onMap || !inputEnabled || !park || (first != 1 && first != 2))
        return;
    RadarView view;
    if (!park->GetRadarView(view))
        return;
    const RadarGeometry geometry{GetMapRect(), view.mapWidth, view.mapHeight};
    float mx, my;
    if (geometry.ScreenToMap(x, y, &mx, &my))
        park->LookAtMapPos(mx, my);
}

void Radar::Update(float dt)
{
    if (!m_bActive)
        return;
    m_pButton->Update(dt);
    if (m_bButtonStale)
        MakeButton();
}

void Radar::Draw(RadarPark* park)
{
    if (!m_bActive)
        return;
    if (m_bButtonStale)
        MakeButton();
    if (m_bExpanded)
    {
        m_pMap->DrawAt(m_pMap->GetRect().left, m_pMap->GetRect().top);
        if (park && park->GetRadarView(m_view))
        {
            BuildDrawList({GetMapRect(), m_view.mapWidth, m_view.mapHeight}, m_view, m_draw);
            m_fills.clear();
            for (const RadarDrawList::Rect& r : m_draw.rects)
                m_fills.push_back({static_cast<float>(r.left), static_cast<float>(r.top), static_cast<float>(r.right),
                                   static_cast<float>(r.bottom), r.colour});
            g_GraphicsManager.DrawRects(m_fills);
            for (size_t i = 0; i + 2 < m_draw.coneTriangles.size(); i += 3)
            {
                const RadarDrawList::Vertex* v = &m_draw.coneTriangles[i];
                g_GraphicsManager.DrawTriangle(v[0].x, v[0].y, v[1].x, v[1].y, v[2].x, v[2].y, v[0].colour, v[1].colour,
                                               v[2].colour);
            }
        }
    }
    m_pPanel->Draw(static_cast<float>(m_x), static_cast<float>(m_y), GuiNow());
    m_pButton->Draw();
}
