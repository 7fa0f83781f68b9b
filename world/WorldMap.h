// WorldMap: the park grid of cells, each with its flags, height offset, footpath tile and the list of objects
// standing on it; the grid file, the conversions between grid cells, map units and scene units, neighbours,
// footprints, picking, markers, the save record and the ground drawing pass.
#pragma once

#include "platform/gfx/Math.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class BaseObject;
class BaseMap;
class SerialStream;
class QueueRailModel;

struct GridPos
{
    int32_t x = 0;
    int32_t y = 0;

    friend bool operator==(const GridPos&, const GridPos&) = default;
};

// The bits of a cell's flags word.
enum CellFlags : uint32_t
{
    CELL_GRID_WALKABLE = 0x1,         // walkable ground in the grid file; construction restores CELL_WALKABLE from it
    CELL_BUILDING = 0x2,              // occupied by a building
    CELL_GROUND_CLASS = 0x4,          // a ground class of the grid file
    CELL_CONNECTION = 0x10,           // a building's connection cell
    CELL_NO_JOIN = 0x20,              // a building's connection cell; two such cells never join
    CELL_NO_PAVEMENT = 0x40,          // closed to the pavement search
    CELL_QUEUE_SHAPE = 0xF00,         // queue shape code 0 to 15
    CELL_NEIGHBOUR_MASK = 0xFF0000,   // bit 16 + i: the neighbour in direction i is footpath
    CELL_CONSTRUCTION = 0x0F000000,   // written by construction
    CELL_FOOTPATH = 0x10000000,       // footpath
    CELL_SCENERY_GROUND = 0x20000000, // not walkable on foot, open to the scenery search
    CELL_QUEUE = 0x40000000,          // queue path
    CELL_WALKABLE = 0x80000000,       // walkable ground
};

constexpr uint32_t kQueueShapeShift = 8;
constexpr uint32_t kNeighbourMaskShift = 16;
// The queue shape of a free queue piece (no openings of its own).
constexpr uint32_t kFreeQueueShape = 8;

inline uint32_t QueueShapeOf(uint32_t flags)
{
    return (flags & CELL_QUEUE_SHAPE) >> kQueueShapeShift;
}

class MapCell
{
public:
    // A cell whose flags are kept at `flags`, in the map's grid of flags. Not copied: a copy would share the
    // cell's flags; moved only while the map lays out its cells.
    explicit MapCell(uint32_t& flags) : m_uiFlags(flags) {}
    MapCell(const MapCell&) = delete;
    MapCell(MapCell&&) = default;
    MapCell& operator=(const MapCell&) = delete;

    void AddObject(BaseObject* object);
    // Removes every occurrence.
    void RemoveObject(const BaseObject* object);
    bool ContainsObject(const BaseObject* object) const;
    uint32_t CountObjects() const { return m_pObjects ? static_cast<uint32_t>(m_pObjects->size()) : 0; }
    const std::vector<BaseObject*>& GetObjectList() const;
    GridPos GetPos() const { return {m_x, m_y}; }

    int32_t m_x = 0;
    int32_t m_y = 0;
    // The cell's word in the map's grid of flags (WorldMap::GetFlagGrid), which the path search reads.
    uint32_t& m_uiFlags;
    // Ground height offset of the cell.
    float m_ZOffset = 0.0f;
    // The footpath tile shown on the cell.
    uint8_t m_uTileIndex = 0;

private:
    // Made when the first object stands on the cell, so that a cell stays small for the path search.
    std::unique_ptr<std::vector<BaseObject*>> m_pObjects;
};

// Grid directions 0 to 7 run clockwise from +y; a cell's sides 0 to 3 are the directions 0, 2, 4 and 6.
constexpr int32_t kDirectionDX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t kDirectionDY[8] = {1, 1, 0, -1, -1, -1, 0, 1};

class WorldMap
{
public:
    // Map units per cell along y; a cell is half as wide along x.
    static constexpr int32_t kDefaultCellSize = 64;
    static constexpr float kOrigin = 512.0f;
    // The lowest and the highest ground height the map grids give a cell.
    static constexpr float kLowestGround = -4.0f;
    static constexpr float kHighestGround = 6.0f;
    static constexpr float kSceneUnitsPerCell = 4.0f;
    // The cell index of a position off the map.
    static constexpr uint32_t kNoCell = 0xFFFFFFFF;
    // Texels between the base map's low edges and the map's cells.
    static constexpr int32_t kBaseMapBorder = 128;
    // Most vertices in one batch of path or queue quads.
    static constexpr uint32_t kBatchVertices = 400;
    // Squared eye distances within which queue rails and litter are drawn.
    static constexpr float kRailDistanceSq = 18000.0f;
    static constexpr float kLitterDistanceSq = 4000.0f;
    // Rails are drawn from this object detail up.
    static constexpr float kRailDetail = 0.2f;
    static constexpr const char* kDistantTexture = "Data/Textures/DesertDistant.tga";
    static constexpr const char* kBaseTexture = "Data/Textures/cracked.ddt";
    static constexpr const char* kPathAtlas = "Data/Textures/Paths/PathAll_med.ddt";
    static constexpr const char* kQueueAtlas = "Data/Textures/Paths/QueueAll_med.ddt";
    // The size record of the save.
    static constexpr uint32_t kSaveSize = 168;

    // A grid of width x height cells (at least 1 x 1), its flags read from the grid file (no file name: all
    // flags 0); the base map and the tile atlases when the texture system is running. Stores the global pointer.
    WorldMap(int32_t width, int32_t height, int32_t cellSize, const char* gridFile);
    ~WorldMap();
    WorldMap(const WorldMap&) = delete;
    WorldMap& operator=(const WorldMap&) = delete;

    int32_t GetWidth() const { return m_iWidth; }
    int32_t GetHeight() const { return m_iHeight; }
    int32_t GetCellSize() const { return m_iCellSize; }
    uint32_t GetCellCount() const { return static_cast<uint32_t>(m_Cells.size()); }
    // Extent in map units: width x cell size / 2 along x, height x cell size along y.
    float GetExtentX() const { return static_cast<float>(m_iWidth) * static_cast<float>(m_iCellSize) * 0.5f; }
    float GetExtentY() const { return static_cast<float>(m_iHeight) * static_cast<float>(m_iCellSize); }
    const std::string& GetGridFile() const { return m_GridFile; }
    // False when the grid file could not be read (the flags then stay 0).
    bool IsGridLoaded() const { return m_bGridLoaded; }

    // ---- cells: every position is checked; a position off the map has no cell
    bool IsValidGridPos(const GridPos& pos) const;
    // y x width + x, or kNoCell off the map.
    uint32_t GetCellIndex(int32_t x, int32_t y) const;
    MapCell* GetCell(const GridPos& pos);
    const MapCell* GetCell(const GridPos& pos) const;
    MapCell* GetCellXY(int32_t x, int32_t y) { return GetCell({x, y}); }
    // By index, unchecked (for callers holding an index from GetCellIndex).
    MapCell& CellAt(uint32_t index) { return m_Cells[index]; }
    const MapCell& CellAt(uint32_t index) const { return m_Cells[index]; }
    // Every cell's flags, where the cells keep them: rows of width + 2 words, cell (x, y) at (y + 1) x (width + 2)
    // + x + 1, and a border one word wide all round holding 0, which no kind of path search may enter.
    const uint32_t* GetFlagGrid() const { return m_FlagGrid.data(); }
    // The flags of a cell, 0 off the map.
    uint32_t GetFlags(const GridPos& pos) const;
    // The objects standing on a cell; an empty list off the map.
    const std::vector<BaseObject*>& GetObjectsAt(const GridPos& pos) const;

    // ---- neighbours
    // The position one step away in a direction 0 to 7; any other direction leaves it unchanged.
    static GridPos GetNeighbourPos(const GridPos& pos, int32_t direction);
    // The neighbouring cell, null off the map.
    MapCell* GetNeighbourCell(const GridPos& pos, int32_t direction);
    // The eight neighbours in direction order, null where off the map.
    void GetNeighbourCells(const GridPos& pos, MapCell* out[8]);
    // True when (x, y) is one of the four side neighbours.
    static bool IsSideNeighbour(const GridPos& pos, int32_t x, int32_t y);
    // The direction 0 to 7 from one position to its neighbour, -1 when they are not neighbours.
    static int32_t DirectionTo(const GridPos& from, const GridPos& to);

    // ---- coordinates (map units: a cell is 32 along x and 64 along y; scene units: 4 per cell, origin 512)
    // The cell holding a map position: (x / 32, y / 64) truncated; positions beyond the integer range clamp.
    static GridPos WorldToGrid(const platform::Vec3& position);
    // The corner of a cell (32x, 64y, 0).
    static platform::Vec3 GridToWorld(const GridPos& pos);
    static platform::Vec3 GridToWorldXY(int32_t x, int32_t y) { return GridToWorld({x, y}); }
    // Corner + (16, 32).
    static platform::Vec3 GetCellCentre(const GridPos& pos);
    // Anchors from the corner: 0 (16, 64), 1 (16, 0), 2 (0, 32), 3 (32, 32), 4 the centre (16, 32); any other
    // the corner.
    static platform::Vec3 GetCellPoint(const GridPos& pos, int32_t anchor);
    static platform::Vec3 WorldToScene(const platform::Vec3& position);
    static void WorldToSceneOut(const platform::Vec3& position, platform::Vec3* out) { *out = WorldToScene(position); }
    static platform::Vec3 SceneToWorld(float sceneX, float sceneZ);
    static GridPos SceneToGrid(float sceneX, float sceneZ);
    static float GetOrigin() { return kOrigin; }
    static float GetSceneUnitsPerCell() { return kSceneUnitsPerCell; }
    float GetSceneMaxX() const { return kSceneUnitsPerCell * static_cast<float>(m_iWidth) + kOrigin; }
    float GetSceneMaxZ() const { return kSceneUnitsPerCell * static_cast<float>(m_iHeight) + kOrigin; }

    // ---- footprints
    // (w x 0.5 x 32, h x 0.5 x 64).
    static platform::Vec3 GetFootprintHalfSize(int32_t w, int32_t h);
    // A point inside a footprint of w x h cells turned by a rotation 0 to 3, from the corner of its grid cell, given
    // as an offset (ox, oy) in map units of the unturned footprint.
    static platform::Vec3 FootprintLocalToWorld(int32_t x, int32_t y, int32_t w, int32_t h, float ox, float oy,
                                                int32_t rotation);
    // Moves the position to the first cell of the walk round a footprint's border and gives the walk's two
    // directions.
    static void GetFootprintBorderStart(GridPos& pos, int32_t w, int32_t h, int32_t* firstDirection,
                                        int32_t* secondDirection, int32_t rotation);
    // Whether scenery of a type with the given BUILDON cell mask and PATHFLAG may stand on the cell (false off
    // the map).
    bool CanPlaceSceneryAt(int32_t x, int32_t y, uint32_t cellMask, int32_t pathFlag) const;

    // ---- picking: the ground point the cursor picker holds
    // False (the position still written) when the point is not over the map.
    bool GetCursorGridPos(GridPos* out) const;
    void GetCursorWorldPos(platform::Vec3* out) const;

    // ---- base map texels (cells off the map are ignored)
    void ClearBaseMapTexel(int32_t x, int32_t y);
    void RestoreBaseMapTexel(int32_t x, int32_t y);
    BaseMap* GetBaseMap() const { return m_pBaseMap.get(); }

    // ---- markers
    // A 4 x 4 coloured quad centred on a cell at a height, only for a cell on the map.
    void DrawCellQuad(const GridPos& pos, uint32_t colour, float height) const;
    static void DrawCellQuadXY(int32_t x, int32_t y, uint32_t colour, float height);

    // ---- the grid file and the save record
    // Writes the grid file under its name; false when it could not be written.
    bool SaveGridMap() const;
    // The grid file value of one cell's flags.
    static uint32_t GridFileValue(uint32_t flags);
    void Dump(SerialStream& stream) const;
    // False, with a report and every cell as it was, when the saved record is cut short or holds a height that is
    // not a finite number.
    bool Load(SerialStream& stream);

    // ---- the ground pass
    void Render();
    void SetShowGrid(bool on) { m_bShowGrid = on; }
    void SetShowFlags(bool on) { m_bShowFlags = on; }
    bool IsShowGrid() const { return m_bShowGrid; }
    bool IsShowFlags() const { return m_bShowFlags; }
    // The model drawn along queue sides (the scenery model of the queue rail); none draws no rails.
    void SetQueueRailModel(const char* modelFile);
    QueueRailModel& GetQueueRailModel() const { return *m_pRailModel; }
    // The rail turns of a queue shape (radians about the vertical axis), and how many there are.
    static uint32_t GetQueueRailAngles(uint32_t shape, float out[3]);
    // The texture slots of the tile atlases (0 when not loaded).
    uint32_t GetPathAtlas() const { return m_uPathAtlas; }
    uint32_t GetQueueAtlas() const { return m_uQueueAtlas; }

private:
    void LoadGridFile();
    void DrawGridLines(float height, uint32_t colour) const;
    void DrawFlagColours() const;

    int32_t m_iCellSize;
    int32_t m_iWidth;
    int32_t m_iHeight;
    std::string m_GridFile;
    std::vector<uint32_t> m_FlagGrid;
    std::vector<MapCell> m_Cells;
    bool m_bGridLoaded = false;
    std::unique_ptr<BaseMap> m_pBaseMap;
    uint32_t m_uPathAtlas = 0;
    uint32_t m_uQueueAtlas = 0;
    std::unique_ptr<QueueRailModel> m_pRailModel;
    bool m_bShowGrid = false;
    bool m_bShowFlags = false;
};

// The park grid while it exists, null otherwise.
extern WorldMap* g_pWorldMap;

// Two crossing lines 0.15 above the ground at a map position, each 2 x halfSize scene units long.
void DrawGroundCross(const platform::Vec3& position, uint32_t colour, float halfSize);
void DrawGroundCrossAt(platform::Vec3 position, uint32_t colour, float halfSize);
