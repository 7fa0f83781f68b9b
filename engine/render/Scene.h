// The scene: the scene objects of one 3D view kept in a spatial index (a fixed-depth quadtree over the ground),
// culled against the view, drawn grouped by model, picked by rays and queried by radius.
#pragma once

#include "engine/render/RadixSorter.h"
#include "engine/render/SceneObject.h"
#include "platform/gfx/Math.h"

#include <cstdint>
#include <memory>
#include <vector>

// Objects of this kind (firework effects) live in the root cell, are never picked and are drawn last.
constexpr uint32_t kSceneEffectKind = 6;

// Objects with a key, kept in ascending key order; entries with key 0 stay at the end.
class SceneResultList
{
public:
    struct Entry
    {
        SceneObject* m_pObject;
        float m_fKey;
    };

    // Before the first entry whose key is at least this one (or 0); a key of 0 goes at the end.
    void Insert(SceneObject* object, float key);
    void Append(SceneObject* object, float key);
    void Clear() { m_entries.clear(); }
    uint32_t GetCount() const { return static_cast<uint32_t>(m_entries.size()); }
    uint32_t GetHighestCount() const { return m_uHighest; }
    const Entry& Get(uint32_t i) const { return m_entries[i]; }
    SceneObject* First() const { return m_entries.empty() ? nullptr : m_entries.front().m_pObject; }

private:
    std::vector<Entry> m_entries;
    uint32_t m_uHighest = 0;
};

// What a scene needs of its spatial index.
class SpatialIndex
{
public:
    virtual ~SpatialIndex() = default;
    virtual bool Open(const platform::Vec3& origin, const platform::Vec3& size) = 0;
    virtual bool Close() = 0;
    virtual bool Cull() = 0;
    virtual void Move(SceneObject& object) = 0;
    virtual bool Insert(SceneObject& object) = 0;
    virtual bool Remove(SceneObject& object) = 0;
    virtual bool IsOpen() const = 0;
    virtual SceneObject* const* GetVisibleObjects() const = 0;
    virtual const uint32_t* GetVisibleKeys() const = 0;
    virtual uint32_t GetVisibleCount() const = 0;
    virtual const platform::Vec3& GetOrigin() const = 0;
    virtual const platform::Vec3& GetExtent() const = 0;
    virtual const uint32_t* GetStatistics() const = 0;
    virtual SceneObject* PickNearestAtPoint(const platform::Vec3& point) = 0;
    virtual SceneObject* PickNearestAtScreen(int16_t x, int16_t y) = 0;
    virtual void PickAtScreen(SceneResultList* list, int16_t x, int16_t y) = 0;
    virtual void PickAtPoint(SceneResultList* list, const platform::Vec3& point) = 0;
    virtual uint32_t CountInRadius(const platform::Vec3& point, float radius, uint32_t kind, uint32_t limit) = 0;
    virtual void CollectInRadius(const platform::Vec3& point, float radius, uint32_t kind, SceneResultList* list) = 0;
    virtual void CollectAll(SceneResultList* list) = 0;
};

// A quadtree of six levels (1365 cells in one array) over x from 0 and z from 0; an object lives in the smallest
// cell that holds its box (position +- bounding radius).
class SceneTree : public SpatialIndex
{
public:
    static constexpr uint32_t kDepth = 5;
    static constexpr uint32_t kCellCount = 1365;
    static constexpr uint32_t kNoCell = SceneObject::kNoCell;
    static constexpr float kHeight = 100.0f;
    static constexpr uint32_t kStatisticCount = 10;
    static constexpr uint32_t kVisibleGrowth = 1000;
    // Statistics of the last cull.
    enum Statistic
    {
        kCellsVisited = 0,
        kCellsSkipped = 1,
        kCellsWhole = 2,
        kObjectsTested = 3,
        kObjectsVisible = 4,
    };

    SceneTree() = default;
    ~SceneTree() override;
    SceneTree(const SceneTree&) = delete;
    SceneTree& operator=(const SceneTree&) = delete;

    bool Open(const platform::Vec3& origin, const platform::Vec3& size) override;
    // Every object still held is removed (its cell and scene cleared).
    bool Close() override;
    bool Cull() override;
    void Move(SceneObject& object) override;
    bool Insert(SceneObject& object) override;
    bool Remove(SceneObject& object) override;
    bool IsOpen() const override { return m_bOpen; }
    SceneObject* const* GetVisibleObjects() const override { return m_visible.data(); }
    const uint32_t* GetVisibleKeys() const override { return m_visibleKeys.data(); }
    uint32_t GetVisibleCount() const override { return m_uVisibleCount; }
    const platform::Vec3& GetOrigin() const override { return m_origin; }
    const platform::Vec3& GetExtent() const override { return m_extent; }
    const uint32_t* GetStatistics() const override { return m_auStatistics; }
    SceneObject* PickNearestAtPoint(const platform::Vec3& point) override;
    SceneObject* PickNearestAtScreen(int16_t x, int16_t y) override;
    void PickAtScreen(SceneResultList* list, int16_t x, int16_t y) override;
    void PickAtPoint(SceneResultList* list, const platform::Vec3& point) override;
    // Objects of the kind within the radius, counted exactly up to the limit; when there are more the walk stops
    // as soon as the count passes the limit, so the answer is then above the limit but not the total.
    uint32_t CountInRadius(const platform::Vec3& point, float radius, uint32_t kind, uint32_t limit) override;
    // Objects of the kind nearer than the radius, by ascending squared distance (distance 0 last).
    void CollectInRadius(const platform::Vec3& point, float radius, uint32_t kind, SceneResultList* list) override;
    void CollectAll(SceneResultList* list) override;
    // Every object along the ray (not of the effect kind) whose model it meets, nearest first.
    void RayQuery(SceneResultList* list, const platform::Vec3& origin, const platform::Vec3& direction);

    // The cell for a box: the root when it leaves the tree, else the smallest cell that holds it.
    uint32_t FindCell(const platform::Vec3& min, const platform::Vec3& max) const;
    uint32_t GetObjectCount() const { return m_uObjectCount; }
    uint32_t GetCellObjectCount(uint32_t cell) const;
    uint32_t GetCellTopHeight(uint32_t cell) const;
    // The rounded size and the finest cell size in x and z.
    uint32_t GetRoundedSizeX() const { return m_uSizeX; }
    uint32_t GetRoundedSizeZ() const { return m_uSizeZ; }
    uint32_t GetFineCellX() const { return 1u << m_uFineShiftX; }
    uint32_t GetFineCellZ() const { return 1u << m_uFineShiftZ; }
    static uint32_t LevelBase(uint32_t level);
    static uint32_t LevelOf(uint32_t cell);

private:
    struct Cell
    {
        std::vector<SceneObject*> m_objects;
        uint16_t m_uHighest = 0;
        uint8_t m_uTopHeight = 10;
        uint16_t m_uParent = 0;
    };

    void BoxOf(const SceneObject& object, platform::Vec3* min, platform::Vec3* max) const;
    // Column, row and level of a cell, its box on the ground and its first child.
    void CellPlace(uint32_t cell, uint32_t* level, uint32_t* column, uint32_t* row) const;
    void CellBox(uint32_t cell, platform::Vec3* min, platform::Vec3* max) const;
    bool BeyondExtent(uint32_t cell) const;
    uint32_t FirstChild(uint32_t cell) const;
    void Link(uint32_t cell, SceneObject& object);
    bool Unlink(uint32_t cell, SceneObject& object);
    // Raises the top heights from the cell up to the first cell already as high as the object.
    void RaiseTopHeights(uint32_t cell, const SceneObject& object);
    void AddVisible(SceneObject* object, uint32_t code);
    void AddWhole(uint32_t cell, uint32_t code);
    void CullCell(uint32_t cell, uint32_t request);
    void RayCell(SceneResultList* list, const platform::Vec3& origin, const platform::Vec3& direction, uint32_t cell);
    uint32_t CountCell(uint32_t cell, const platform::Vec3& point, float radius, uint32_t kind, uint32_t limit);

    bool m_bOpen = false;
    platform::Vec3 m_origin = {};
    platform::Vec3 m_extent = {};
    uint32_t m_uSizeX = 0;
    uint32_t m_uSizeZ = 0;
    uint32_t m_uFineShiftX = 0;
    uint32_t m_uFineShiftZ = 0;
    std::vector<Cell> m_cells;
    uint32_t m_uObjectCount = 0;
    std::vector<SceneObject*> m_visible;
    std::vector<uint32_t> m_visibleKeys;
    uint32_t m_uVisibleCount = 0;
    uint32_t m_auStatistics[kStatisticCount] = {};
};

class Scene : public SceneHost
{
public:
    static constexpr uint32_t kTreeIndex = 2;

    // Kind 2 makes a quadtree; other kinds make a scene without an index (it cannot be opened).
    explicit Scene(uint32_t indexKind = kTreeIndex);
    // A scene over an index the caller made.
    explicit Scene(std::unique_ptr<SpatialIndex> index);
    ~Scene() override;
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // False when the index is already open (or there is none).
    bool Open(const platform::Vec3& origin, const platform::Vec3& size);
    bool Close();
    bool IsOpen() const { return m_bOpen; }
    // False when the object is in a scene already or the index refuses it.
    bool AddObject(SceneObject* object);
    // False when the object is not in this scene.
    bool RemoveObject(SceneObject* object);
    void RemoveObject(SceneObject& object) override { RemoveObject(&object); }
    void ObjectMoved(SceneObject& object) override;
    // Culls, then draws the visible objects grouped by model, the model pass, the after-models drawer and last the
    // effect objects. False when the cull fails.
    bool Render();
    void PickAtScreen(SceneResultList* list, int16_t x, int16_t y);
    void PickAtPoint(SceneResultList* list, const platform::Vec3& point);

    SpatialIndex* GetIndex() const { return m_pIndex.get(); }
    uint32_t GetAdditions() const { return m_uAdditions; }
    uint32_t GetRemovals() const { return m_uRemovals; }
    const uint32_t* GetStatistics() const { return m_auStatistics; }

    // Drawn by every scene between the model pass and the effect objects: the billboard list.
    static void (*s_pAfterModels)();

private:
    bool m_bOpen = false;
    std::unique_ptr<SpatialIndex> m_pIndex;
    uint32_t m_uAdditions = 0;
    uint32_t m_uRemovals = 0;
    std::unique_ptr<RadixSorter> m_pSorter;
    uint32_t m_auStatistics[SceneTree::kStatisticCount] = {};
};
