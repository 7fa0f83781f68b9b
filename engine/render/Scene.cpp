// The scene and its quadtree: filing objects by their boxes, culling whole subtrees, drawing grouped by model, ray
// picking through the cells, and radius counts and collections.
#include "engine/render/Scene.h"

#include "engine/render/BillboardList.h"

#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelHelpers.h"
#include "engine/render/ModelManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using platform::Matrix;
using platform::Vec3;

namespace
{

// The smallest rounded size: the finest cell is at least one unit.
constexpr uint32_t kMinRoundedSize = 32;
constexpr float kTopLimit = 128.0f;
constexpr uint32_t kWholeOutside = ClipCode::kOutside | ClipCode::kOutsideGround;

int32_t Round(float v)
{
    return static_cast<int32_t>(std::lround(std::clamp(v, -2.0e9f, 2.0e9f)));
}

float DistanceSq(const Vec3& a, const Vec3& b)
{
    return platform::Vec3LengthSq(a - b);
}

} // namespace

// ---- SceneResultList

void SceneResultList::Insert(SceneObject* object, float key)
{
    if (key == 0.0f)
    {
        Append(object, key);
        return;
    }
    auto at = std::find_if(m_entries.begin(), m_entries.end(),
                           [key](const Entry& e) { return e.m_fKey >= key || e.m_fKey == 0.0f; });
    m_entries.insert(at, {object, key});
    m_uHighest = std::max(m_uHighest, GetCount());
}

void SceneResultList::Append(SceneObject* object, float key)
{
    m_entries.push_back({object, key});
    m_uHighest = std::max(m_uHighest, GetCount());
}

// ---- SceneTree: layout

uint32_t SceneTree::LevelBase(uint32_t level)
{
    // 1 + 4 + ... + 4^(level - 1).
    return ((1u << (2 * level)) - 1) / 3;
}

uint32_t SceneTree::LevelOf(uint32_t cell)
{
    uint32_t level = 0;
    while (level < kDepth && cell >= LevelBase(level + 1))
        ++level;
    return level;
}

void SceneTree::CellPlace(uint32_t cell, uint32_t* level, uint32_t* column, uint32_t* row) const
{
    *level = LevelOf(cell);
    const uint32_t local = cell - LevelBase(*level);
    *row = local >> *level;
    *column = local & ((1u << *level) - 1);
}

void SceneTree::CellBox(uint32_t cell, Vec3* min, Vec3* max) const
{
    uint32_t level, column, row;
    CellPlace(cell, &level, &column, &row);
    const float sx = static_cast<float>(m_uSizeX >> level);
    const float sz = static_cast<float>(m_uSizeZ >> level);
    *min = {column * sx, 0.0f, row * sz};
    *max = {min->x + sx, static_cast<float>(m_cells[cell].m_uTopHeight), min->z + sz};
}

bool SceneTree::BeyondExtent(uint32_t cell) const
{
    uint32_t level, column, row;
    CellPlace(cell, &level, &column, &row);
    return static_cast<float>(column * (m_uSizeX >> level)) > m_extent.x ||
           static_cast<float>(row * (m_uSizeZ >> level)) > m_extent.z;
}

uint32_t SceneTree::FirstChild(uint32_t cell) const
{
    uint32_t level, column, row;
    CellPlace(cell, &level, &column, &row);
    const uint32_t width = 1u << (level + 1);
    return LevelBase(level + 1) + 2 * (row * width + column);
}

uint32_t SceneTree::FindCell(const Vec3& min, const Vec3& max) const
{
    const int32_t x0 = Round(min.x);
    const int32_t z0 = Round(min.z);
    const int32_t x1 = Round(max.x);
    const int32_t y1 = Round(max.y);
    const int32_t z1 = Round(max.z);
    if (x0 < 0 || z0 < 0 || x1 > static_cast<int32_t>(m_uSizeX) || z1 > static_cast<int32_t>(m_uSizeZ) ||
        static_cast<float>(y1) > kTopLimit || m_cells.empty())
        return 0;
    // A box touching the far edge stays in the last column or row.
    uint32_t cx0 = static_cast<uint32_t>(std::min<int32_t>(x0, m_uSizeX - 1)) >> m_uFineShiftX;
    uint32_t cx1 = static_cast<uint32_t>(std::min<int32_t>(x1, m_uSizeX - 1)) >> m_uFineShiftX;
    uint32_t rz0 = static_cast<uint32_t>(std::min<int32_t>(z0, m_uSizeZ - 1)) >> m_uFineShiftZ;
    uint32_t rz1 = static_cast<uint32_t>(std::min<int32_t>(z1, m_uSizeZ - 1)) >> m_uFineShiftZ;
    uint32_t level = kDepth;
    while (level > 0 && ((cx0 ^ cx1) + (rz0 ^ rz1)) != 0)
    {
        cx0 >>= 1;
        cx1 >>= 1;
        rz0 >>= 1;
        rz1 >>= 1;
        --level;
    }
    return LevelBase(level) + (rz0 << level) + cx0;
}

uint32_t SceneTree::GetCellObjectCount(uint32_t cell) const
{
    return cell < m_cells.size() ? static_cast<uint32_t>(m_cells[cell].m_objects.size()) : 0;
}

uint32_t SceneTree::GetCellTopHeight(uint32_t cell) const
{
    return cell < m_cells.size() ? m_cells[cell].m_uTopHeight : 0;
}

// ---- SceneTree: life and filing

SceneTree::~SceneTree()
{
    if (m_bOpen)
        Close();
}

bool SceneTree::Open(const Vec3& origin, const Vec3& size)
{
    if (m_bOpen)
        return false;
    m_origin = origin;
    m_extent = {size.x, kHeight, size.z};
    const auto rounded = [](float s)
    {
        const uint32_t whole = s > 0.0f ? static_cast<uint32_t>(std::min(s, 1.0e9f)) : 0;
        return std::max(NextPowerOfTwo(whole), kMinRoundedSize);
    };
    m_uSizeX = rounded(size.x);
    m_uSizeZ = rounded(size.z);
    m_uFineShiftX = HighestSetBit(m_uSizeX >> kDepth);
    m_uFineShiftZ = HighestSetBit(m_uSizeZ >> kDepth);
    m_cells.assign(kCellCount, Cell{});
    for (uint32_t cell = 1; cell < kCellCount; ++cell)
    {
        uint32_t level, column, row;
        CellPlace(cell, &level, &column, &row);
        m_cells[cell].m_uParent =
            static_cast<uint16_t>(LevelBase(level - 1) + (row >> 1) * (1u << (level - 1)) + (column >> 1));
    }
    m_uObjectCount = 0;
    m_uVisibleCount = 0;
    m_bOpen = true;
    return true;
}

bool SceneTree::Close()
{
    if (!m_bOpen)
        return false;
    for (Cell& cell : m_cells)
    {
        for (SceneObject* object : cell.m_objects)
        {
            object->SetIndexCell(kNoCell);
            object->SetScene(nullptr);
        }
    }
    m_cells.clear();
    m_cells.shrink_to_fit();
    m_uObjectCount = 0;
    m_uVisibleCount = 0;
    m_bOpen = false;
    return true;
}

void SceneTree::BoxOf(const SceneObject& object, Vec3* min, Vec3* max) const
{
    BoxFromCentre(object.GetPosition(), object.GetRadius(), min, max);
}

void SceneTree::Link(uint32_t cell, SceneObject& object)
{
    Cell& c = m_cells[cell];
    c.m_objects.push_back(&object);
    c.m_uHighest = static_cast<uint16_t>(std::max<size_t>(c.m_uHighest, std::min<size_t>(c.m_objects.size(), 0xFFFF)));
    object.SetIndexCell(cell);
}

bool SceneTree::Unlink(uint32_t cell, SceneObject& object)
{
    if (cell >= m_cells.size())
        return false;
    std::vector<SceneObject*>& list = m_cells[cell].m_objects;
    auto it = std::find(list.begin(), list.end(), &object);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

bool SceneTree::Insert(SceneObject& object)
{
    if (m_cells.empty())
        return false;
    Vec3 min, max;
    BoxOf(object, &min, &max);
    const uint32_t cell = object.GetKind() == kSceneEffectKind ? 0 : FindCell(min, max);
    Link(cell, object);
    ++m_uObjectCount;
    RaiseTopHeights(cell, object);
    return true;
}

void SceneTree::RaiseTopHeights(uint32_t cell, const SceneObject& object)
{
    const float top = object.GetCentre().y + object.GetRadius();
    const uint8_t h = static_cast<uint8_t>(std::clamp(top, 0.0f, 255.0f));
    for (uint32_t c = cell;; c = m_cells[c].m_uParent)
    {
        if (m_cells[c].m_uTopHeight >= h)
            break;
        m_cells[c].m_uTopHeight = h;
        if (c == 0)
            break;
    }
}

bool SceneTree::Remove(SceneObject& object)
{
    if (!Unlink(object.GetIndexCell(), object))
        return false;
    object.SetIndexCell(kNoCell);
    object.SetScene(nullptr);
    --m_uObjectCount;
    return true;
}

void SceneTree::Move(SceneObject& object)
{
    Vec3 min, max;
    BoxOf(object, &min, &max);
    const uint32_t cell = FindCell(min, max);
    const uint32_t old = object.GetIndexCell();
    if (cell != old)
    {
        if (!Unlink(old, object))
            return;
        Link(cell, object);
    }
    // Objects are filed where they are made and moved to their places after, and some change their models where
    // they stand: the cell's box must hold them for culling and picking, as it would had they been filed there.
    RaiseTopHeights(cell, object);
}

// ---- culling

void SceneTree::AddVisible(SceneObject* object, uint32_t code)
{
    object->SetVisibility(code);
    if (m_uVisibleCount >= m_visible.size())
    {
        m_visible.resize(m_visible.size() + kVisibleGrowth);
        m_visibleKeys.resize(m_visible.size());
    }
    m_visible[m_uVisibleCount] = object;
    m_visibleKeys[m_uVisibleCount] = object->GetModel();
    ++m_uVisibleCount;
}

void SceneTree::AddWhole(uint32_t cell, uint32_t code)
{
    if (BeyondExtent(cell))
        return;
    for (SceneObject* object : m_cells[cell].m_objects)
        AddVisible(object, code);
    if (LevelOf(cell) >= kDepth)
        return;
    const uint32_t first = FirstChild(cell);
    const uint32_t width = 1u << (LevelOf(cell) + 1);
    for (uint32_t child : {first, first + 1, first + width, first + width + 1})
        AddWhole(child, code);
}

void SceneTree::CullCell(uint32_t cell, uint32_t request)
{
    if (BeyondExtent(cell))
        return;
    ++m_auStatistics[kCellsVisited];
    Vec3 min, max;
    CellBox(cell, &min, &max);
    const uint32_t code = g_GraphicsManager.TestBoxCorners(min, max, request);
    if (code == kWholeOutside)
    {
        ++m_auStatistics[kCellsSkipped];
        return;
    }
    if (code == 0 || code == ClipCode::kOutside || code == ClipCode::kOutsideGround)
    {
        ++m_auStatistics[kCellsWhole];
        AddWhole(cell, code);
        return;
    }
    for (SceneObject* object : m_cells[cell].m_objects)
    {
        ++m_auStatistics[kObjectsTested];
        // A test that does not look at the footprint leaves the object outside it, as the request presets.
        uint32_t objectCode = g_GraphicsManager.TestObject(*object, request);
        if (!(request & ClipCode::kGround))
            objectCode |= request & ClipCode::kOutsideGround;
        object->SetVisibility(objectCode);
        if ((objectCode & kWholeOutside) != kWholeOutside)
            AddVisible(object, objectCode);
    }
    if (LevelOf(cell) >= kDepth)
        return;
    const uint32_t first = FirstChild(cell);
    const uint32_t width = 1u << (LevelOf(cell) + 1);
    for (uint32_t child : {first, first + 1, first + width, first + width + 1})
        CullCell(child, request);
}

bool SceneTree::Cull()
{
    m_uVisibleCount = 0;
    std::memset(m_auStatistics, 0, sizeof(m_auStatistics));
    if (m_cells.empty())
        return true;
    const uint32_t request = g_GraphicsManager.ShadowsActiveForView() ? 0x3F3Fu : 0x403Fu;
    CullCell(0, request);
    m_auStatistics[kObjectsVisible] = m_uVisibleCount;
    return true;
}

// ---- picking

void SceneTree::RayCell(SceneResultList* list, const Vec3& origin, const Vec3& direction, uint32_t cell)
{
    if (BeyondExtent(cell))
        return;
    Vec3 min, max, hit;
    CellBox(cell, &min, &max);
    if (!RayBox(origin, direction, min, max, &hit))
        return;
    for (SceneObject* object : m_cells[cell].m_objects)
    {
        if (object->GetKind() == kSceneEffectKind)
            continue;
        const ModelBounds* bounds = object->GetModelBoundingBox();
        const Matrix* inverse = bounds ? object->GetInversePlacement() : nullptr;
        if (!inverse)
            continue;
        // The ray in the model's space: the direction without the placement's translation.
        const Vec3 o = platform::Vec3TransformCoord(origin, *inverse);
        const Vec3 d = platform::Vec3TransformNormal(direction, *inverse);
        if (!RayBox(o, d, bounds->Min(), bounds->Max(), &hit))
            continue;
        const float t = object->IntersectRay(o, d);
        if (t > 0.0f)
            list->Insert(object, t);
    }
    if (LevelOf(cell) >= kDepth)
        return;
    const uint32_t first = FirstChild(cell);
    const uint32_t width = 1u << (LevelOf(cell) + 1);
    for (uint32_t child : {first, first + 1, first + width, first + width + 1})
        RayCell(list, origin, direction, child);
}

void SceneTree::RayQuery(SceneResultList* list, const Vec3& origin, const Vec3& direction)
{
    if (!m_cells.empty() && list)
        RayCell(list, origin, direction, 0);
}

void SceneTree::PickAtScreen(SceneResultList* list, int16_t x, int16_t y)
{
    Vec3 origin, direction;
    g_GraphicsManager.GetPickRay(x, y, &origin, &direction);
    RayQuery(list, origin, direction);
}

void SceneTree::PickAtPoint(SceneResultList* list, const Vec3& point)
{
    const Vec3 origin = g_GraphicsManager.GetEyePosition();
    RayQuery(list, origin, NormaliseVector(point - origin));
}

SceneObject* SceneTree::PickNearestAtPoint(const Vec3& point)
{
    SceneResultList list;
    PickAtPoint(&list, point);
    return list.First();
}

SceneObject* SceneTree::PickNearestAtScreen(int16_t x, int16_t y)
{
    SceneResultList list;
    PickAtScreen(&list, x, y);
    return list.First();
}

// ---- radius queries

uint32_t SceneTree::CountCell(uint32_t cell, const Vec3& point, float radius, uint32_t kind, uint32_t limit)
{
    if (BeyondExtent(cell))
        return 0;
    Vec3 min, max;
    CellBox(cell, &min, &max);
    const bool overlapX = point.x + radius >= min.x && point.x - radius <= max.x;
    const bool overlapZ = point.z + radius >= min.z && point.z - radius <= max.z;
    if (!overlapX && !overlapZ)
        return 0;
    const float r2 = radius * radius;
    const Vec3 corners[4] = {{min.x, 0, min.z}, {max.x, 0, min.z}, {min.x, 0, max.z}, {max.x, 0, max.z}};
    const bool inside =
        std::all_of(std::begin(corners), std::end(corners), [&](const Vec3& c) { return DistanceSq(c, point) < r2; });
    uint32_t c = 0;
    for (const SceneObject* object : m_cells[cell].m_objects)
        if (object->GetKind() == kind && (inside || DistanceSq(object->GetPosition(), point) < r2))
            ++c;
    if (LevelOf(cell) >= kDepth || c > limit)
        return c;
    // Each child gets what is left of the limit once everything counted so far is taken off; a child that passes
    // it passes the whole limit, and the walk stops. So the count is exact up to the limit and above it past it.
    const uint32_t first = FirstChild(cell);
    const uint32_t width = 1u << (LevelOf(cell) + 1);
    uint32_t total = c;
    for (uint32_t child : {first, first + 1, first + width, first + width + 1})
    {
        const uint32_t left = limit - total;
        const uint32_t n = CountCell(child, point, radius, kind, left);
        total += n;
        if (n > left)
            break;
    }
    return total;
}

uint32_t SceneTree::CountInRadius(const Vec3& point, float radius, uint32_t kind, uint32_t limit)
{
    return m_cells.empty() ? 0 : CountCell(0, point, radius, kind, limit);
}

void SceneTree::CollectInRadius(const Vec3& point, float radius, uint32_t kind, SceneResultList* list)
{
    const float r2 = radius * radius;
    for (const Cell& cell : m_cells)
    {
        for (SceneObject* object : cell.m_objects)
        {
            if (object->GetKind() != kind)
                continue;
            const float d2 = DistanceSq(object->GetPosition(), point);
            if (d2 < r2)
                list->Insert(object, d2);
        }
    }
}

void SceneTree::CollectAll(SceneResultList* list)
{
    for (const Cell& cell : m_cells)
        for (SceneObject* object : cell.m_objects)
            list->Append(object, 0.0f);
}

// ---- Scene

namespace
{
void DrawBillboards()
{
    g_BillboardList.Draw();
}
} // namespace

void (*Scene::s_pAfterModels)() = DrawBillboards;

Scene::Scene(uint32_t indexKind)
{
    if (indexKind == kTreeIndex)
        m_pIndex = std::make_unique<SceneTree>();
}

Scene::Scene(std::unique_ptr<SpatialIndex> index) : m_pIndex(std::move(index)) {}

Scene::~Scene()
{
    if (m_bOpen)
        Close();
}

bool Scene::Open(const Vec3& origin, const Vec3& size)
{
    if (!m_pIndex || !m_pIndex->Open(origin, size))
        return false;
    m_pSorter = std::make_unique<RadixSorter>();
    m_bOpen = true;
    return true;
}

bool Scene::Close()
{
    if (!m_pIndex)
        return false;
    const bool closed = m_pIndex->Close();
    m_pSorter.reset();
    m_bOpen = false;
    return closed;
}

bool Scene::AddObject(SceneObject* object)
{
    if (!object || object->GetScene() || !m_pIndex || !m_pIndex->Insert(*object))
        return false;
    object->SetScene(this);
    ++m_uAdditions;
    return true;
}

bool Scene::RemoveObject(SceneObject* object)
{
    if (!object || object->GetScene() != this)
        return false;
    m_pIndex->Remove(*object);
    object->SetScene(nullptr);
    ++m_uRemovals;
    return true;
}

void Scene::ObjectMoved(SceneObject& object)
{
    if (m_pIndex)
        m_pIndex->Move(object);
}

bool Scene::Render()
{
    m_uAdditions = 0;
    m_uRemovals = 0;
    if (!m_pIndex || !m_pIndex->Cull())
        return false;
    std::memcpy(m_auStatistics, m_pIndex->GetStatistics(), sizeof(m_auStatistics));
    const uint32_t count = m_pIndex->GetVisibleCount();
    Renderer* renderer = g_GraphicsManager.GetRenderer();
    // The scene draws in the normal pass: a shadow pass left open would draw every model in the shadow material.
    if (renderer)
        renderer->BeginShadowPass(false, false);
    if (count == 0 || !m_pSorter)
    {
        // The billboards are drawn even with no object in view: kept, they would pile up frame after frame.
        g_GraphicsManager.DrawSceneModels(renderer);
        if (s_pAfterModels)
            s_pAfterModels();
        return true;
    }
    SceneObject* const* objects = m_pIndex->GetVisibleObjects();
    const uint32_t* order = m_pSorter->Sort(m_pIndex->GetVisibleKeys(), 4, 4, count);
    // Effect objects carry no model and sort last: they are held back until after the model pass.
    uint32_t drawn = count;
    while (drawn > 0 && objects[order[drawn - 1]]->GetKind() == kSceneEffectKind)
        --drawn;
    for (uint32_t i = 0; i < drawn; ++i)
        objects[order[i]]->Render();
    g_GraphicsManager.DrawSceneModels(renderer);
    if (s_pAfterModels)
        s_pAfterModels();
    for (uint32_t i = drawn; i < count; ++i)
        objects[order[i]]->Render();
    return true;
}

void Scene::PickAtScreen(SceneResultList* list, int16_t x, int16_t y)
{
    if (m_pIndex)
        m_pIndex->PickAtScreen(list, x, y);
}

void Scene::PickAtPoint(SceneResultList* list, const Vec3& point)
{
    if (m_pIndex)
        m_pIndex->PickAtPoint(list, point);
}
