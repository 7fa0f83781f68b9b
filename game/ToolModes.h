// The park's tool modes: selecting objects, placing buildings with a preview, laying footpath and queue path,
// placing, brushing and bulldozing scenery, painting map cells, and the idle mode of the front end. They are made by
// mode id for the GUI manager once RegisterToolModes has run.
#pragma once

#include "engine/render/MaterialTable.h"
#include "engine/render/SceneObject.h"
#include "game/ToolRules.h"
#include "gui/ToolMode.h"

#include <map>
#include <memory>
#include <utility>
#include <vector>

struct BuildingInfo;
struct SceneryInfo;

// Mode ids.
enum ToolModeId : int32_t
{
    MODE_TILE_PAINT = 1,
    MODE_SCENERY_PLACE = 2,
    MODE_NONE = 3,
    MODE_SELECT = 4,
    MODE_BUILD = 5,
    MODE_IDLE = 6,
    MODE_PATH = 7,
    MODE_DOZER = 8,
    MODE_QUEUE_PIECE = 9,
    MODE_SCENERY_BRUSH = 10,
    MODE_TRAINING = 11,
};

// Registers the makers of every mode above with the GUI manager.
void RegisterToolModes();

// A model shown where something would be placed; never saved, never a game object.
class PreviewObject : public SceneObject
{
public:
    static constexpr uint32_t kKind = 8;
    // Loads the model; false from IsLoaded when it could not be.
    explicit PreviewObject(const char* model);
    bool IsLoaded() const { return GetModel() != 0; }
    bool Render() override { return false; }
    void SetVisible(bool visible) { m_bVisible = visible; }
    bool IsVisible() const { return m_bVisible; }

protected:
    // Draws the model; a non-zero material draws every part of it with that material of the material table.
    bool DrawWith(uint32_t material);
    bool m_bVisible = true;
};

class BuildingPreview : public PreviewObject
{
public:
    using PreviewObject::PreviewObject;
    // Always drawn, see-through.
    bool Render() override { return DrawWith(MaterialTable::kSeeThrough); }
};

class SceneryPreview : public PreviewObject
{
public:
    using PreviewObject::PreviewObject;
    bool Render() override { return m_bVisible && DrawWith(0); }
    void SetRotation(int32_t quarterTurns);
    // The turn in quarter turns (0 to 3).
    int32_t GetQuarterTurns() const;
};

// What every park mode shares: the owner, the keys, the cursor cell, the player's money and the day's books.
class ParkToolMode : public ToolMode
{
public:
    explicit ParkToolMode(GUIManager& owner) : m_Owner(owner) {}

protected:
    static bool KeyPressed(int key);
    static bool KeyHeld(int key);
    // The cursor picker follows the pointer; the cell under it (false when not on the map).
    bool TrackCursor(int32_t x, int32_t y);
    static float Cash();
    // Takes (or with a negative amount gives back) money and books it as the day's scenery or construction cost.
    static void Charge(float amount, bool construction);
    static void PlaySample(const char* name);
    // A rising cost text over a cell (or a scene point), "-$n" (or "$n" when `refund`).
    static void FloatCost(const GridPos& cell, int32_t amount, uint32_t colour, float height, bool refund);
    static void FloatCostAt(const platform::Vec3& scene, int32_t amount, uint32_t colour, float height, bool refund);
    static void TellBuildings(uint32_t type, const GridPos& cell);
    static void DrawMarks(const std::vector<toolrules::CellMark>& marks);
    // Asks the park for a scenery item; false when it made none.
    static bool SendScenery(const char* keyword, const GridPos& cell, int32_t quarterTurns);
    // Escape with no drag under way: the scenery panel slides out and the select tool comes back.
    void LeaveToSelect();

    GUIManager& m_Owner;
    GridPos m_Cursor;
    bool m_bOnMap = false;
};

// The drag protocol of the rectangle tools.
class DragToolMode : public ParkToolMode
{
public:
    using ParkToolMode::ParkToolMode;
    // A drag still under way when the tool goes is dropped and the radar answers the pointer again.
    void Exit() override;
    void OnMouse(int32_t x, int32_t y, int32_t first, int32_t second) override;
    void Update(float dt) override;
    // A drag under way is dropped, as Escape drops it.
    void CancelGesture() override;

    bool IsDragging() const { return m_bDragging; }
    const GridPos& GetDragStart() const { return m_Start; }
    const GridPos& GetDragEnd() const { return m_End; }

protected:
    virtual void DragChanged() {}
    virtual void DragReleased() = 0;
    virtual void DragCancelled() {}

    bool m_bDragging = false;
    GridPos m_Start, m_End;
};

class SelectMode : public ParkToolMode
{
public:
    using ParkToolMode::ParkToolMode;
    void Exit() override;
    void Update(float dt) override;
    void OnMouse(int32_t x, int32_t y, int32_t first, int32_t second) override;
};

class IdleMode : public ToolMode
{
};

class TilePaintMode : public ParkToolMode
{
public:
    using ParkToolMode::ParkToolMode;
    void Update(float dt) override;
    void OnMouse(int32_t x, int32_t y, int32_t first, int32_t second) override;

private:
    int32_t m_iLeft = 0;
};

class BuildMode : public ParkToolMode
{
public:
    using ParkToolMode::ParkToolMode;
    ~BuildMode() override;
    void Enter() override;
    void Exit() override;
    void Update(float dt) override;
    void PreRender() override;
    void OnMouse(int32_t x, int32_t y, int32_t first, int32_t second) override;
    void OnMouseWheel(int32_t x, int32_t y, int32_t delta) override;

    int32_t GetRotation() const { return m_iRotation; }
    const BuildingInfo* GetBuildingType() const { return m_pType; }
    const BuildingPreview* GetPreview() const { return m_pPreview.get(); }

private:
    GridPos Anchor() const;

    const BuildingInfo* m_pType = nullptr;
    // The type's index in the building table (GUI selection slot 0 at Enter).
    int32_t m_iType = -1;
    std::unique_ptr<BuildingPreview> m_pPreview;
    bool m_bValid = true;
    int32_t m_iRotation = 0;
    int32_t m_iLeft = 0;
};

class PathMode : public DragToolMode
{
public:
    using DragToolMode::DragToolMode;
    void Enter() override;
    // Another footpath chosen while no drag is under way takes over.
    void Update(float dt) override;
    void PreRender() override;

protected:
    void DragReleased() override;

private:
    int32_t m_iIndex = -1;
    const SceneryInfo* m_pItem = nullptr;
};

class PathPieceMode : public ParkToolMode
{
public:
    using ParkToolMode::ParkToolMode;
    void Enter() override;
    void PreRender() override;
    // Another queue path chosen takes over.
    void Update(float dt) override;
    void OnMouse(int32_t x, int32_t y, int32_t first, int32_t second) override;

    bool CanPlace() const { return m_bCanPlace; }

private:
    bool PlacementTest(const GridPos& cell) const;

    int32_t m_iIndex = -1;
    const SceneryInfo* m_pItem = nullptr;
    bool m_bCanPlace = false;
    GridPos m_LastPlaced{-1, -1};
};

class SceneryPlaceMode : public ParkToolMode
{
public:
    using ParkToolMode::ParkToolMode;
    ~SceneryPlaceMode() override;
    void Enter() override;
    void Exit() override;
    void Update(float dt) override;
    void PreRender() override;
    void OnMouse(int32_t x, int32_t y, int32_t first, int32_t second) override;
    void OnMouseWheel(int32_t x, int32_t y, int32_t delta) override;

private:
    void LoadPreviews();
    void DropPreviews();
    bool FootprintOk(const GridPos& cell) const;
    platform::Vec3 ItemPosition(const GridPos& cell) const;

    int32_t m_iIndex = -1;
    const SceneryInfo* m_pItem = nullptr;
    int32_t m_iRotation = 0;
    bool m_bRail = false;
    uint8_t m_Sides[4] = {};
    std::unique_ptr<SceneryPreview> m_pPreviews[4];
};

class SceneryBrushMode : public DragToolMode
{
public:
    static constexpr size_t kMaxCandidates = 20;

    using DragToolMode::DragToolMode;
    ~SceneryBrushMode() override;
    void Enter() override;
    void Exit() override;
    // Another brush chosen while no drag is under way takes over.
    void Update(float dt) override;
    void PreRender() override;

    size_t GetCandidateCount() const { return m_Candidates.size(); }
    float GetDensity() const { return m_fDensity; }

protected:
    void DragChanged() override;
    void DragReleased() override;
    void DragCancelled() override;

private:
    struct Entry
    {
        std::unique_ptr<SceneryPreview> preview;
        int32_t candidate = -1;
    };
    void TakeCategory(int32_t category);
    bool Brushable(const GridPos& cell) const;
    void Regenerate();
    void Refund(const GridPos& cell, Entry& entry);
    void RefundAll();

    int32_t m_iCategory = -1;
    std::vector<const SceneryInfo*> m_Candidates;
    float m_fDensity = 1.0f;
    std::map<std::pair<int32_t, int32_t>, Entry> m_Previews;
};

class SceneryDozerMode : public DragToolMode
{
public:
    using DragToolMode::DragToolMode;
    void Exit() override;
    void PreRender() override;

protected:
    void DragReleased() override;

private:
    // Clears one cell; true when anything went.
    bool Clear(const GridPos& cell, bool single);
};
