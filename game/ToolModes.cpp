// The park's tool modes and their preview models.
#include "game/ToolModes.h"
#include "game/ParkCommands.h"
#include "game/ShowTraining.h"

#include "engine/core/GameInput.h"
#include "engine/core/Logger.h"
#include "engine/media/SoundManager.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "gui/GuiShell.h"
#include "park/SceneryObject.h"
#include "platform/Input.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldParamsRecords.h"
#include "world/BaseObject.h"
#include "world/CameraManager.h"
#include "world/CreationRequests.h"
#include "world/CursorPicker.h"
#include "world/FloatingTextList.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/PathTileSet.h"
#include "world/Player.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <cmath>
#include <cstdio>
#include <string>

using namespace toolrules;

namespace
{

constexpr float kQuarterTurn = 1.5707963267948966f;
constexpr uint32_t kCostColour = 0xFFFF0000u;
constexpr uint32_t kRefundColour = 0xFF0000FFu;
constexpr uint32_t kEveryObject = 0xFFFFFFFFu;

template <typename Mode> std::unique_ptr<ToolMode> Make(GUIManager& owner)
{
    return std::make_unique<Mode>(owner);
}

std::unique_ptr<ToolMode> MakeIdle(GUIManager&)
{
    return std::make_unique<IdleMode>();
}

const SceneryInfo* SceneryAt(int32_t index)
{
    if (!g_pWorldParams || index < 0 || static_cast<uint32_t>(index) >= g_pWorldParams->GetSceneryCount())
        return nullptr;
    return &g_pWorldParams->GetSceneryInfo(index);
}

// The item of a selection slot when it is a path of that style, else null.
const SceneryInfo* PathItemAt(int32_t index, ScenePathFlag style)
{
    const SceneryInfo* item = SceneryAt(index);
    return item && item->iPathFlag == style ? item : nullptr;
}

std::string ModelFile(const char* folder, const char* name)
{
    return std::string(folder) + "/" + name + WorldParams::GetModelExtension();
}

Scene* ParkScene()
{
    return g_pWorld ? g_pWorld->GetScene() : nullptr;
}

bool Join(SceneObject* object)
{
    Scene* scene = ParkScene();
    return scene && scene->AddObject(object);
}

void Leave(SceneObject* object)
{
    if (object && object->GetScene())
        object->GetScene()->RemoveObject(*object);
}

} // namespace

void RegisterToolModes()
{
    GUIManager::RegisterToolMode(MODE_TILE_PAINT, &Make<TilePaintMode>);
    GUIManager::RegisterToolMode(MODE_SCENERY_PLACE, &Make<SceneryPlaceMode>);
    GUIManager::RegisterToolMode(MODE_SELECT, &Make<SelectMode>);
    GUIManager::RegisterToolMode(MODE_BUILD, &Make<BuildMode>);
    GUIManager::RegisterToolMode(MODE_IDLE, &MakeIdle);
    GUIManager::RegisterToolMode(MODE_PATH, &Make<PathMode>);
    GUIManager::RegisterToolMode(MODE_DOZER, &Make<SceneryDozerMode>);
    GUIManager::RegisterToolMode(MODE_QUEUE_PIECE, &Make<PathPieceMode>);
    GUIManager::RegisterToolMode(MODE_SCENERY_BRUSH, &Make<SceneryBrushMode>);
    GUIManager::RegisterToolMode(MODE_TRAINING, &Make<TrainingMode>);
}

// ---- previews

PreviewObject::PreviewObject(const char* model) : SceneObject(kKind)
{
    SetModel(model);
}

bool PreviewObject::DrawWith(uint32_t material)
{
    if (!GetModel())
        return false;
    g_GraphicsManager.DrawModel(GetModel(), GetVisibility(), GetPosition(), GetOrientation(), GetBoneMask(), nullptr, 0,
                                material);
    return true;
}

void SceneryPreview::SetRotation(int32_t quarterTurns)
{
    SetOrientation(0.0f, static_cast<float>(quarterTurns & 3) * kQuarterTurn, 0.0f);
}

int32_t SceneryPreview::GetQuarterTurns() const
{
    return static_cast<int32_t>(std::lround(GetOrientation().y / kQuarterTurn)) & 3;
}

// ---- shared

bool ParkToolMode::KeyPressed(int key)
{
    return g_pGameInput && g_pGameInput->IsKeyPressed(key);
}

bool ParkToolMode::KeyHeld(int key)
{
    return g_pGameInput && (g_pGameInput->IsKeyHeld(key) || g_pGameInput->IsKeyPressed(key));
}

bool ParkToolMode::TrackCursor(int32_t x, int32_t y)
{
    GetCursorPicker().Update(x, y);
    m_bOnMap = g_pWorldMap && g_pWorldMap->GetCursorGridPos(&m_Cursor);
    return m_bOnMap;
}

float ParkToolMode::Cash()
{
    return g_pWorld && g_pWorld->GetPlayer() ? g_pWorld->GetPlayer()->Cash : 0.0f;
}

void ParkToolMode::Charge(float amount, bool construction)
{
    if (!g_pWorld)
        return;
    if (Player* player = g_pWorld->GetPlayer())
        player->Cash -= amount;
    g_pWorld->m_fCostsToday += amount;
    (construction ? g_pWorld->m_fConstructCostToday : g_pWorld->m_fSceneryCostToday) += amount;
}

void ParkToolMode::PlaySample(const char* name)
{
    if (g_pSoundManager)
        g_pSoundManager->PlaySample(name, 0, 0.0f);
}

void ParkToolMode::FloatCostAt(const platform::Vec3& scene, int32_t amount, uint32_t colour, float height, bool refund)
{
    if (!g_pWorld || !g_pWorld->GetFloatingTexts())
        return;
    const std::string number = std::to_string(amount);
    std::u16string text = refund ? u"$" : u"-$";
    text.append(number.begin(), number.end());
    g_pWorld->GetFloatingTexts()->Add(scene.x, scene.y + height, scene.z, text.c_str(), colour,
                                      FloatingTextList::kRising, g_pWorld->GetGameTime(), 2.0f);
}

void ParkToolMode::FloatCost(const GridPos& cell, int32_t amount, uint32_t colour, float height, bool refund)
{
    FloatCostAt(WorldMap::WorldToScene(WorldMap::GetCellPoint(cell, 4)), amount, colour, height, refund);
}

void ParkToolMode::TellBuildings(uint32_t type, const GridPos& cell)
{
    if (!g_pWorld)
        return;
    MessageRecord record;
    record.dwSender = kEveryObject;
    record.dwReciever = kEveryObject;
    record.dwType = type;
    record.dwFlags = static_cast<uint32_t>(cell.x);
    record.dwData = static_cast<uint32_t>(cell.y);
    g_pWorld->SendToAllBuildings(record);
}

void ParkToolMode::DrawMarks(const std::vector<CellMark>& marks)
{
    if (!g_pWorldMap)
        return;
    for (const CellMark& mark : marks)
        g_pWorldMap->DrawCellQuad(mark.pos, mark.colour, 0.1f);
}

bool ParkToolMode::SendScenery(const char* keyword, const GridPos& cell, int32_t quarterTurns)
{
    if (!g_pMessageHandler)
        return false;
    SceneryCreationRequest request;
    std::snprintf(request.szKeyword, sizeof request.szKeyword, "%s", keyword);
    request.iGridX = cell.x;
    request.iGridY = cell.y;
    request.bHasDirection = 1;
    request.bDirection = static_cast<uint8_t>(quarterTurns & 3);
    return g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_SCENERY), &request);
}

void ParkToolMode::LeaveToSelect()
{
    m_Owner.AnimateDialog("SceneryPanel", DialogItem::SLIDE_OUT, 1.0f, 0);
    m_Owner.SetMode(MODE_SELECT);
}

// ---- drags

void DragToolMode::Exit()
{
    CancelGesture();
}

void DragToolMode::CancelGesture()
{
    if (!m_bDragging)
        return;
    m_bDragging = false;
    m_Owner.SetRadarInputEnabled(true);
    DragCancelled();
}

void DragToolMode::Update(float dt)
{
    m_Owner.UpdateMessage(dt);
    if (!KeyPressed(platform::kKeyEscape))
        return;
    if (m_bDragging)
        CancelGesture();
    else
        LeaveToSelect();
}

void DragToolMode::OnMouse(int32_t x, int32_t y, int32_t first, int32_t second)
{
    TrackCursor(x, y);
    if (!m_bDragging)
    {
        // Over the GUI (the radar, the toolbar, the progress box) a press is not the park's.
        if (first == 1 && second == 0 && !m_Owner.IsMouseOverGui(true) && m_bOnMap)
        {
            m_bDragging = true;
            m_Start = m_End = m_Cursor;
            m_Owner.SetRadarInputEnabled(false);
            DragChanged();
        }
        return;
    }
    if (first == 2 || first == 1)
    {
        const GridPos end = ClampDragEnd(m_Start, m_Cursor);
        if (!(end == m_End))
        {
            m_End = end;
            DragChanged();
        }
    }
    else if (first == 0)
    {
        DragReleased();
        m_bDragging = false;
        m_Owner.SetRadarInputEnabled(true);
    }
}

// ---- select

void SelectMode::Exit()
{
    if (g_pCameraManager)
        g_pCameraManager->StopTracking();
    m_Owner.SetRadarInputEnabled(true);
}

void SelectMode::Update(float dt)
{
    m_Owner.UpdateMessage(dt);
    if (!KeyPressed(platform::kKeyEscape))
        return;
    if (m_Owner.IsDialogOpen("CancelCamera"))
        ReleaseCamera();
    else if (m_Owner.GetOpenDialogCount() == 0)
        m_Owner.OpenDialog("InGameOptions", m_Owner.GetShell() ? m_Owner.GetShell()->GetShellListener() : nullptr);
    else
        m_Owner.CloseFrontDialog();
}

void SelectMode::OnMouse(int32_t x, int32_t y, int32_t first, int32_t second)
{
    TrackCursor(x, y);
    if (first != 1 || second == 2 || m_Owner.IsMouseOverGui(true))
        return;
    SceneResultList under;
    GetCursorPicker().PickObjectsAtScreenPoint(x, y, &under);
    // Scene objects that are not park objects (previews, ride parts) are never picked.
    std::vector<uint32_t> kinds;
    for (uint32_t i = 0; i < under.GetCount(); ++i)
    {
        const auto* object = dynamic_cast<const BaseObject*>(under.Get(i).m_pObject);
        kinds.push_back(object ? PickClassOf(object->GetType()) : 0u);
    }
    const int32_t chosen = ChoosePick(kinds);
    if (chosen < 0)
        return;
    auto* object = dynamic_cast<BaseObject*>(under.Get(static_cast<uint32_t>(chosen)).m_pObject);
    if (!object)
        return;
    if (kinds[chosen] == kPickMoving)
    {
        object->OnSelected(true, true);
        return;
    }
    SceneResultList ray;
    GetCursorPicker().PickObjectsFromEye(x, y, &ray);
    bool seen = false;
    for (uint32_t i = 0; i < ray.GetCount(); ++i)
        seen = seen || ray.Get(i).m_pObject == object;
    object->OnSelected(seen, !seen);
}

// ---- tile paint

void TilePaintMode::OnMouse(int32_t x, int32_t y, int32_t first, int32_t)
{
    TrackCursor(x, y);
    m_iLeft = first;
}

void TilePaintMode::Update(float)
{
    if ((m_iLeft == 1 || m_iLeft == 2) && m_bOnMap && !m_Owner.IsMouseOverGui(true) && g_pWorldMap)
        if (MapCell* cell = g_pWorldMap->GetCell(m_Cursor))
            cell->m_uiFlags = static_cast<uint32_t>(m_Owner.GetSelection(3));
}

// ---- building placement

BuildMode::~BuildMode()
{
    Leave(m_pPreview.get());
}

void BuildMode::Enter()
{
    const int32_t index = m_Owner.GetSelection(0);
    if (g_pWorldParams && index >= 0 && static_cast<uint32_t>(index) < g_pWorldParams->GetBuildingCount())
    {
        m_pType = &g_pWorldParams->GetBuildingInfo(index);
        m_iType = index;
    }
    if (!m_pType || !m_pType->pMapGrid)
    {
        // Nothing to place: the select tool comes back.
        GetLogger()->Report(1, "BuildMode::Enter - no building type %d to place", index);
        m_pType = nullptr;
        m_Owner.SetMode(MODE_SELECT);
        return;
    }
    m_pPreview =
        std::make_unique<BuildingPreview>(ModelFile(WorldParams::GetBuildingModelPath(), m_pType->keyword).c_str());
    if (!m_pPreview->IsLoaded())
        m_pPreview =
            std::make_unique<BuildingPreview>(ModelFile(WorldParams::GetBuildingModelPath(), "restlarge").c_str());
    if (!m_pPreview->IsLoaded())
    {
        // As the building itself does: the placeholder stands in rather than the program ending.
        GetLogger()->Report(1, "Can't load suitable building model");
        m_pPreview = std::make_unique<BuildingPreview>(ModelManager::kPlaceholderName);
    }
    Join(m_pPreview.get());
    if (m_pType->bCutawayRoof)
        m_pPreview->EnableBone("ROOF_OFF_00", true);
    m_bValid = true;
    m_iRotation = 0;
}

void BuildMode::Exit()
{
    m_Owner.CloseDialog("CancelBuildMode");
    Leave(m_pPreview.get());
    m_pPreview.reset();
}

GridPos BuildMode::Anchor() const
{
    return BuildAnchor(m_Cursor, m_pType->iGridWidth, m_pType->iGridHeight, m_iRotation);
}

void BuildMode::OnMouse(int32_t x, int32_t y, int32_t first, int32_t)
{
    TrackCursor(x, y);
    m_iLeft = first;
}

void BuildMode::OnMouseWheel(int32_t, int32_t, int32_t delta)
{
    m_iRotation = TurnBuildingByWheel(m_iRotation, delta);
}

void BuildMode::Update(float dt)
{
    m_Owner.UpdateMessage(dt);
    if (!m_pType || !g_pWorldMap)
        return;
    const GridPos anchor = Anchor();
    if (m_pPreview)
    {
        int32_t w = m_pType->iGridWidth, h = m_pType->iGridHeight;
        if (m_iRotation & 1)
            std::swap(w, h);
        platform::Vec3 corner = WorldMap::GridToWorld(anchor);
        const platform::Vec3 half = WorldMap::GetFootprintHalfSize(w, h);
        corner.x += half.x;
        corner.y += half.y;
        m_pPreview->SetPositionVec(WorldMap::WorldToScene(corner));
        m_pPreview->SetOrientation(0.0f, static_cast<float>(m_iRotation) * kQuarterTurn, 0.0f);
    }
    bool leave = false;
    if (m_iLeft == 1 && !m_Owner.IsMouseOverGui(true))
    {
        m_iLeft = 0;
        m_bValid =
            CheckBuildingPlacement(MapCellSource(*g_pWorldMap), *m_pType->pMapGrid, anchor, m_iRotation, nullptr);
        if (!m_bValid)
            PlaySample("click_bad_01");
        else if (!CanBuildMoreOfType(m_iType))
        {
            // Shift keeps the tool for another of the type, but not past its most instances (or once it is
            // locked): that click places nothing, costs nothing and the tool goes, as no more can be placed.
            PlaySample("click_bad_01");
            leave = true;
        }
        else
        {
            if (CanAffordBuilding(Cash(), m_pType->iCost2Build))
            {
                const float cost = static_cast<float>(m_pType->iCost2Build);
                Charge(cost, true);
                ++g_pWorld->m_BuildingsConstructed;
                BuildingCreationRequest request;
                std::snprintf(request.szKeyword, sizeof request.szKeyword, "%s", m_pType->keyword);
                request.iGridX = anchor.x;
                request.iGridY = anchor.y;
                request.iRotation = m_iRotation;
                if (g_pMessageHandler && g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_BUILDING), &request))
                    PlaySample("cash");
                else
                {
                    // The park made no building (it has no room for one, say): nothing is paid for.
                    Charge(-cost, true);
                    --g_pWorld->m_BuildingsConstructed;
                    PlaySample("click_bad_01");
                }
            }
            else
                PlaySample("click_bad_01");
            leave = !KeyHeld(platform::kKeyLeftShift) && !KeyHeld(platform::kKeyRightShift);
        }
    }
    if (KeyPressed(platform::kKeyEscape))
        leave = true;
    if (KeyPressed(platform::kKeySpace))
        m_iRotation = (m_iRotation + 1) & 3;
    if (leave)
        m_Owner.SetMode(MODE_SELECT);
}

void BuildMode::PreRender()
{
    if (!m_pType || !g_pWorldMap || m_Owner.IsMouseOverGui(true))
    {
        if (g_pGameInput)
            g_pGameInput->SetCursorShape(0);
        return;
    }
    std::vector<CellMark> marks;
    m_bValid = CheckBuildingPlacement(MapCellSource(*g_pWorldMap), *m_pType->pMapGrid, Anchor(), m_iRotation, &marks);
    DrawMarks(marks);
    if (g_pGameInput)
        g_pGameInput->SetCursorShape(m_bValid ? 0 : 5);
}

// ---- footpath

void PathMode::Enter()
{
    m_iIndex = m_Owner.GetSelection(5);
    m_pItem = SceneryAt(m_iIndex);
    m_bDragging = false;
}

void PathMode::Update(float dt)
{
    DragToolMode::Update(dt);
    const int32_t index = m_Owner.GetSelection(5);
    if (m_bDragging || index == m_iIndex)
        return;
    if (const SceneryInfo* item = PathItemAt(index, kFootPath))
    {
        m_iIndex = index;
        m_pItem = item;
    }
}

void PathMode::PreRender()
{
    if (!m_pItem || !g_pWorldMap)
        return;
    const MapCellSource cells(*g_pWorldMap);
    if (m_bDragging)
        DrawMarks(FootpathDragMarks(cells, m_Start, m_End, Cash(), m_pItem->iCost2Build));
    else if (m_bOnMap)
        DrawMarks({{m_Cursor, CanTakeFootpath(cells.Flags(m_Cursor)) ? kMarkGood : kMarkBad}});
}

void PathMode::DragReleased()
{
    if (!m_pItem || !g_pWorldMap || !g_pWorld)
        return;
    const PathPlan plan = PlanFootpath(MapCellSource(*g_pWorldMap), m_Start, m_End, Cash(), m_pItem->iCost2Build);
    const float cost = static_cast<float>(m_pItem->iCost2Build);
    bool laid = false;
    for (const GridPos& cell : plan.cells)
    {
        // A cell the path tiles could not take (their tables failed to load) is not paid for.
        if (!g_pPathTileSet || !g_pPathTileSet->PlacePathTile(cell))
            continue;
        laid = true;
        // Paid cell by cell, as the plan's budget ran: a rail the new path takes away pays its refund in between,
        // and that money stays the player's.
        Charge(cost, false);
        for (int32_t side = 0; side < 8; side += 2)
            g_pPathTileSet->RemoveRails(WorldMap::GetNeighbourPos(cell, side));
        TellBuildings(MT_PATH_PLACED, cell);
        FloatCost(cell, m_pItem->iCost2Build, kCostColour, 1.0f, false);
    }
    if (laid)
        PlaySample("Cash");
}

// ---- queue pieces

void PathPieceMode::Update(float dt)
{
    m_Owner.UpdateMessage(dt);
    const int32_t index = m_Owner.GetSelection(5);
    if (index == m_iIndex)
        return;
    if (const SceneryInfo* item = PathItemAt(index, kQueuePath))
    {
        m_iIndex = index;
        m_pItem = item;
    }
}

void PathPieceMode::Enter()
{
    m_iIndex = m_Owner.GetSelection(5);
    m_pItem = SceneryAt(m_iIndex);
}

bool PathPieceMode::PlacementTest(const GridPos& cell) const
{
    if (!m_pItem || !g_pWorldMap || !g_pPathTileSet)
        return false;
    if (!QueueGroundAllows(g_pWorldMap->GetFlags(cell), Cash(), m_pItem->iCost2Build, cell == m_LastPlaced))
        return false;
    for (int32_t side = 0; side < 8; side += 2)
    {
        const GridPos next = WorldMap::GetNeighbourPos(cell, side);
        if ((g_pWorldMap->GetFlags(next) & CELL_QUEUE) && g_pPathTileSet->IsQueueOpenTowards(next, cell))
            return true;
    }
    return false;
}

void PathPieceMode::OnMouse(int32_t x, int32_t y, int32_t first, int32_t second)
{
    if (!TrackCursor(x, y))
    {
        m_bCanPlace = false;
    }
    if (!(m_Cursor == m_LastPlaced))
        m_LastPlaced = {-1, -1};
    m_bCanPlace = m_bOnMap && !m_Owner.IsMouseOverGui(true) && PlacementTest(m_Cursor);
    // A piece the path tiles could not take (their tables failed to load) is not paid for.
    if (m_bCanPlace && (first == 1 || first == 2) && second != 2 && g_pPathTileSet->PlaceQueueTile(m_Cursor))
    {
        const float cost = static_cast<float>(m_pItem->iCost2Build);
        Charge(cost, false);
        m_LastPlaced = m_Cursor;
        PlaySample("Cash");
        FloatCost(m_Cursor, m_pItem->iCost2Build, kCostColour, 1.0f, false);
        TellBuildings(MT_QUEUE_PLACED, m_Cursor);
        for (int32_t side = 0; side < 8; side += 2)
            g_pPathTileSet->RemoveRails(WorldMap::GetNeighbourPos(m_Cursor, side));
        m_bCanPlace = false;
    }
    if (KeyPressed(platform::kKeyEscape))
        LeaveToSelect();
}

void PathPieceMode::PreRender()
{
    if (m_Owner.IsMouseOverGui(true))
    {
        if (g_pGameInput)
            g_pGameInput->SetCursorShape(0);
        return;
    }
    if (g_pWorldMap && m_bOnMap)
        g_pWorldMap->DrawCellQuad(m_Cursor, m_bCanPlace ? kMarkQueueGood : kMarkQueueBad, 0.1f);
}

// ---- scenery placement

SceneryPlaceMode::~SceneryPlaceMode()
{
    DropPreviews();
}

void SceneryPlaceMode::Enter()
{
    m_iIndex = m_Owner.GetSelection(5);
    m_pItem = SceneryAt(m_iIndex);
    if (!m_pItem)
    {
        m_Owner.SetMode(MODE_SELECT);
        return;
    }
    m_iRotation = 0;
    m_bRail = m_pItem->bRail;
    LoadPreviews();
}

void SceneryPlaceMode::Exit()
{
    DropPreviews();
}

void SceneryPlaceMode::DropPreviews()
{
    for (auto& preview : m_pPreviews)
    {
        Leave(preview.get());
        preview.reset();
    }
}

void SceneryPlaceMode::LoadPreviews()
{
    DropPreviews();
    std::string model = ModelFile(WorldParams::GetSceneryModelPath(), m_pItem->szModel);
    if (!SceneryPreview(model.c_str()).IsLoaded())
        model = ModelFile(WorldParams::GetSceneryModelPath(), "lamp_00");
    if (!SceneryPreview(model.c_str()).IsLoaded())
    {
        GetLogger()->Report(1, "Can't load suitable scenery model");
        model = ModelManager::kPlaceholderName;
    }
    for (auto& preview : m_pPreviews)
    {
        preview = std::make_unique<SceneryPreview>(model.c_str());
        preview->SetVisible(false);
        Join(preview.get());
    }
    if (!m_bRail)
        m_pPreviews[0]->SetVisible(true);
}

platform::Vec3 SceneryPlaceMode::ItemPosition(const GridPos& cell) const
{
    int32_t w = m_pItem->iGridWidth, h = m_pItem->iGridHeight;
    if (m_iRotation & 1)
        std::swap(w, h);
    platform::Vec3 corner = WorldMap::GridToWorld(cell);
    const platform::Vec3 half = WorldMap::GetFootprintHalfSize(w, h);
    corner.x += half.x;
    corner.y += half.y;
    return WorldMap::WorldToScene(corner);
}

bool SceneryPlaceMode::FootprintOk(const GridPos& cell) const
{
    if (!g_pWorldMap)
        return false;
    int32_t w = std::max(m_pItem->iGridWidth, 1), h = std::max(m_pItem->iGridHeight, 1);
    if (m_iRotation & 1)
        std::swap(w, h);
    for (int32_t i = 0; i < w; ++i)
        for (int32_t j = 0; j < h; ++j)
        {
            const GridPos pos{cell.x + i, cell.y + j};
            if (!g_pWorldMap->CanPlaceSceneryAt(pos.x, pos.y, m_pItem->uBuildOn, m_pItem->iPathFlag) ||
                !g_pWorldMap->IsValidGridPos(pos))
                return false;
            for (BaseObject* object : g_pWorldMap->GetObjectsAt(pos))
                if (!(m_bRail && object->GetType() == OBJECT_SCENERY))
                    return false;
        }
    if (m_bRail)
        return m_Sides[0] || m_Sides[1] || m_Sides[2] || m_Sides[3];
    return true;
}

void SceneryPlaceMode::Update(float dt)
{
    m_Owner.UpdateMessage(dt);
    if (!m_pItem)
        return;
    for (auto& preview : m_pPreviews)
        if (preview)
            preview->SetPositionVec(ItemPosition(m_Cursor));
    if (!m_bRail && m_pPreviews[0])
        m_pPreviews[0]->SetRotation(m_iRotation);
    const int32_t index = m_Owner.GetSelection(5);
    if (index != m_iIndex && index != -1)
        if (const SceneryInfo* item = SceneryAt(index))
        {
            m_iIndex = index;
            m_pItem = item;
            m_bRail = item->bRail;
            LoadPreviews();
        }
}

void SceneryPlaceMode::PreRender()
{
    if (!m_pItem)
        return;
    if (m_Owner.IsMouseOverGui(true))
    {
        if (g_pGameInput)
            g_pGameInput->SetCursorShape(0);
        for (auto& preview : m_pPreviews)
            preview->SetVisible(false);
        return;
    }
    if (!m_bRail)
        m_pPreviews[0]->SetVisible(true);
    const bool ok = FootprintOk(m_Cursor) && Cash() - static_cast<float>(m_pItem->iCost2Build) >= 0.0f;
    if (g_pGameInput)
        g_pGameInput->SetCursorShape(ok ? 0 : 5);
    if (m_bRail)
    {
        for (int32_t k = 0; k < 4; ++k)
        {
            m_pPreviews[k]->SetVisible(ok && m_Sides[k]);
            m_pPreviews[k]->SetRotation(k);
        }
        return;
    }
    int32_t w = std::max(m_pItem->iGridWidth, 1), h = std::max(m_pItem->iGridHeight, 1);
    if (m_iRotation & 1)
        std::swap(w, h);
    std::vector<CellMark> marks;
    for (int32_t i = 0; i < w; ++i)
        for (int32_t j = 0; j < h; ++j)
            marks.push_back({{m_Cursor.x + i, m_Cursor.y + j}, ok ? kMarkGood : kMarkBad});
    DrawMarks(marks);
}

void SceneryPlaceMode::OnMouse(int32_t x, int32_t y, int32_t first, int32_t second)
{
    TrackCursor(x, y);
    if (!m_pItem)
        return;
    if (m_bRail && g_pPathTileSet)
    {
        g_pPathTileSet->GetPathEdges(m_Cursor, m_Sides);
        // An edge that already has a rail takes no second one.
        if (g_pWorldMap)
            for (const BaseObject* object : g_pWorldMap->GetObjectsAt(m_Cursor))
            {
                const int32_t side = object->GetDirection();
                if (object->GetType() == OBJECT_SCENERY && object->IsRailPiece() && side >= 0 && side < 4)
                    m_Sides[side] = 0;
            }
    }
    const float cost = static_cast<float>(m_pItem->iCost2Build);
    if (first == 1 && second != 2 && !m_Owner.IsMouseOverGui(true) && FootprintOk(m_Cursor) && Cash() - cost >= 0.0f)
    {
        Charge(cost, false);
        bool made = false;
        if (m_bRail)
        {
            static constexpr int32_t kOrder[4] = {3, 0, 2, 1};
            for (int32_t k : kOrder)
                if (m_Sides[k])
                    made = SendScenery(m_pItem->keyword, m_Cursor, k) || made;
        }
        else
            made = SendScenery(m_pItem->keyword, m_Cursor, m_iRotation);
        if (made)
        {
            PlaySample("cash");
            FloatCostAt(ItemPosition(m_Cursor), m_pItem->iCost2Build, kCostColour, 4.0f, false);
        }
        else
        {
            // The park made nothing (it has no room for more scenery, say): nothing is paid for.
            Charge(-cost, false);
            PlaySample("click_bad_01");
        }
    }
    if (KeyPressed(platform::kKeyEscape))
        LeaveToSelect();
    if (!m_bRail && KeyPressed(platform::kKeySpace))
        m_iRotation = (m_iRotation + 3) & 3;
}

void SceneryPlaceMode::OnMouseWheel(int32_t, int32_t, int32_t delta)
{
    if (!m_bRail)
        m_iRotation = TurnSceneryByWheel(m_iRotation, delta);
}

// ---- scenery brush

SceneryBrushMode::~SceneryBrushMode()
{
    m_Previews.clear();
}

void SceneryBrushMode::Enter()
{
    TakeCategory(m_Owner.GetSelection(14));
    m_bDragging = false;
    m_Previews.clear();
}

void SceneryBrushMode::TakeCategory(int32_t category)
{
    m_iCategory = category;
    m_Candidates.clear();
    if (g_pWorldParams)
        for (uint32_t i = 0; i < g_pWorldParams->GetSceneryCount() && m_Candidates.size() < kMaxCandidates; ++i)
        {
            const SceneryInfo& info = g_pWorldParams->GetSceneryInfo(static_cast<int32_t>(i));
            if (info.iCategory == category && info.bVegFlag)
                m_Candidates.push_back(&info);
        }
    m_fDensity = category == 4 ? 0.2f : 1.0f;
}

void SceneryBrushMode::Update(float dt)
{
    DragToolMode::Update(dt);
    const int32_t category = m_Owner.GetSelection(14);
    if (!m_bDragging && category != m_iCategory)
        TakeCategory(category);
}

void SceneryBrushMode::Exit()
{
    DragToolMode::Exit();
    RefundAll();
}

bool SceneryBrushMode::Brushable(const GridPos& cell) const
{
    if (m_Candidates.empty() || !g_pWorldMap)
        return false;
    const SceneryInfo& first = *m_Candidates.front();
    return g_pWorldMap->CanPlaceSceneryAt(cell.x, cell.y, first.uBuildOn, first.iPathFlag) &&
           g_pWorldMap->IsValidGridPos(cell) && g_pWorldMap->GetObjectsAt(cell).empty();
}

void SceneryBrushMode::Refund(const GridPos& cell, Entry& entry)
{
    if (!entry.preview)
        return;
    // A preview out of the park's scene was paid for by a park that has gone (a game loaded in mid-drag): that
    // money is not the present park's.
    if (entry.preview->GetScene())
    {
        const SceneryInfo& item = *m_Candidates[static_cast<size_t>(entry.candidate)];
        Charge(-static_cast<float>(item.iCost2Build), false);
        FloatCost(cell, item.iCost2Build, kRefundColour, 8.0f, true);
    }
    Leave(entry.preview.get());
    entry.preview.reset();
}

void SceneryBrushMode::RefundAll()
{
    for (auto& [key, entry] : m_Previews)
        Refund({key.first, key.second}, entry);
    m_Previews.clear();
}

void SceneryBrushMode::Regenerate()
{
    for (auto it = m_Previews.begin(); it != m_Previews.end();)
    {
        const GridPos cell{it->first.first, it->first.second};
        if (InsideRect(cell, m_Start, m_End))
        {
            ++it;
            continue;
        }
        Refund(cell, it->second);
        it = m_Previews.erase(it);
    }
    bool first = true;
    for (const GridPos& cell : WalkRect(m_Start, m_End))
    {
        const bool isFirst = first;
        first = false;
        if (!Brushable(cell) || m_Previews.count({cell.x, cell.y}))
            continue;
        Entry& entry = m_Previews[{cell.x, cell.y}];
        const float r = static_cast<float>(platform::Rand()) / static_cast<float>(platform::kRandMax);
        if (r > m_fDensity && !isFirst)
            continue;
        const int32_t i = platform::Rand() % static_cast<int32_t>(m_Candidates.size());
        const SceneryInfo& item = *m_Candidates[static_cast<size_t>(i)];
        if (Cash() - static_cast<float>(item.iCost2Build) < 0.0f)
            continue;
        entry.candidate = i;
        entry.preview =
            std::make_unique<SceneryPreview>(ModelFile(WorldParams::GetSceneryModelPath(), item.szModel).c_str());
        platform::Vec3 corner = WorldMap::GridToWorld(cell);
        const platform::Vec3 half = WorldMap::GetFootprintHalfSize(1, 1);
        corner.x += half.x;
        corner.y += half.y;
        entry.preview->SetPositionVec(WorldMap::WorldToScene(corner));
        entry.preview->SetRotation(platform::Rand() & 3);
        if (!Join(entry.preview.get()))
        {
            entry.preview.reset();
            continue;
        }
        Charge(static_cast<float>(item.iCost2Build), false);
        FloatCost(cell, item.iCost2Build, kCostColour, 8.0f, false);
    }
}

void SceneryBrushMode::DragChanged()
{
    Regenerate();
}

void SceneryBrushMode::DragCancelled()
{
    RefundAll();
}

void SceneryBrushMode::DragReleased()
{
    Regenerate();
    for (auto& [key, entry] : m_Previews)
        if (entry.preview && !SendScenery(m_Candidates[static_cast<size_t>(entry.candidate)]->keyword,
                                          {key.first, key.second}, entry.preview->GetQuarterTurns()))
            // An item the park could not make (it has no room for more scenery, say) is given back.
            Refund({key.first, key.second}, entry);
    PlaySample("Cash");
    for (auto& [key, entry] : m_Previews)
        Leave(entry.preview.get());
    m_Previews.clear();
}

void SceneryBrushMode::PreRender()
{
    std::vector<CellMark> marks;
    if (m_bDragging)
        for (const GridPos& cell : WalkRect(m_Start, m_End))
            marks.push_back({cell, Brushable(cell) ? kMarkGood : kMarkBad});
    else if (m_bOnMap)
        marks.push_back({m_Cursor, Brushable(m_Cursor) ? kMarkGood : kMarkBad});
    DrawMarks(marks);
}

// ---- bulldozer

void SceneryDozerMode::Exit()
{
    DragToolMode::Exit();
    m_Owner.SetButtonHeldByCommand("SceneryDozer", false);
}

void SceneryDozerMode::PreRender()
{
    if (!g_pWorldMap)
        return;
    const MapCellSource cells(*g_pWorldMap);
    std::vector<CellObject> objects;
    const auto mark = [&](const GridPos& cell)
    {
        cells.Objects(cell, objects);
        return CellMark{cell, DozerClearable(cells.Flags(cell), objects) ? kMarkGood : kMarkBad};
    };
    std::vector<CellMark> marks;
    if (m_bDragging)
        for (const GridPos& cell : WalkRect(m_Start, m_End))
            marks.push_back(mark(cell));
    else if (m_bOnMap)
        marks.push_back(mark(m_Cursor));
    DrawMarks(marks);
}

bool SceneryDozerMode::Clear(const GridPos& cell, bool single)
{
    const uint32_t flags = g_pWorldMap->GetFlags(cell);
    bool demolished = false;
    bool done = false;
    float refunds = 0.0f;
    // A copy: demolition takes the objects off the cell. What stays is what the path under it answers to.
    const std::vector<BaseObject*> objects = g_pWorldMap->GetObjectsAt(cell);
    std::vector<CellObject> staying;
    for (BaseObject* object : objects)
    {
        const auto* scenery = dynamic_cast<const Scenery*>(object);
        if (object->GetType() != OBJECT_SCENERY || !scenery || !scenery->GetInfo().bUserRemove ||
            object->GetState() == STATE_OCCUPIED)
        {
            staying.push_back(FactsOf(*object));
            continue;
        }
        const int32_t cost = scenery->GetInfo().iCost2Build;
        const bool rail = scenery->GetInfo().bRail;
        object->Demolish();
        refunds += Scenery::kRefundShare * static_cast<float>(cost);
        demolished = true;
        if (!rail)
        {
            done = true;
            break;
        }
    }
    if (demolished)
    {
        // Each item's own demolition pays the player its refund (every rail of a cell goes with one click); the
        // day's books and the floating figure show the sum the player got.
        g_pWorld->m_fIncomeToday += refunds;
        g_pWorld->m_fDemolishIncomeToday += refunds;
        FloatCost(cell, static_cast<int32_t>(refunds), kRefundColour, 1.0f, true);
    }
    if (done || (demolished && single))
        return true;
    // The path goes only where what stays on the cell lets it (a bench in use keeps the path under it).
    if (!DozerClearable(flags, staying))
        return demolished;
    const uint32_t footpath = CELL_GRID_WALKABLE | CELL_WALKABLE | CELL_FOOTPATH;
    const auto removePath = [&](bool queue)
    {
        // A path the path tiles could not take away (their tables failed to load) stays, and pays nothing.
        if (!g_pPathTileSet || !(queue ? g_pPathTileSet->RemoveQueueTile(cell) : g_pPathTileSet->RemovePathTile(cell)))
            return false;
        g_pWorld->m_fIncomeToday += 5.0f;
        g_pWorld->m_fDemolishIncomeToday += 5.0f;
        if (Player* player = g_pWorld->GetPlayer())
            player->Cash += 5.0f;
        FloatCost(cell, 5, kRefundColour, 1.0f, true);
        TellBuildings(queue ? MT_QUEUE_REMOVED : MT_PATH_REMOVED, cell);
        g_pPathTileSet->AddRails(cell);
        return true;
    };
    if ((flags & footpath) == footpath)
        return removePath(false) || demolished;
    if (flags & CELL_QUEUE)
        return removePath(true) || demolished;
    return demolished;
}

void SceneryDozerMode::DragReleased()
{
    if (!g_pWorldMap || !g_pWorld)
        return;
    const MapCellSource cells(*g_pWorldMap);
    std::vector<CellObject> objects;
    const auto clearable = [&](const GridPos& cell)
    {
        cells.Objects(cell, objects);
        return DozerClearable(cells.Flags(cell), objects);
    };
    if (m_Start == m_End)
    {
        if (clearable(m_Start) && Clear(m_Start, true))
            PlaySample("cash");
        return;
    }
    const GridPos low{std::min(m_Start.x, m_End.x), std::min(m_Start.y, m_End.y)};
    const GridPos high{std::max(m_Start.x, m_End.x), std::max(m_Start.y, m_End.y)};
    bool any = false;
    for (const GridPos& cell : WalkRect(low, high))
        if (clearable(cell) && Clear(cell, false))
            any = true;
    if (any)
        PlaySample("cash");
}
