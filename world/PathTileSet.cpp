// PathTileSet: the table files, the joining rules, footpath tiles, queue shapes, laying and removing paths and
// queues, and the rails along path edges.
#include "world/PathTileSet.h"

#include "engine/core/FileSystem.h"
#include "engine/core/Logger.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"
#include "platform/Strings.h"
#include "world/BaseObject.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/QueueShapes.h"

#include <memory>
#include <string>
#include <vector>

PathTileSet* g_pPathTileSet = nullptr;

namespace
{

bool IsQueue(const MapCell& cell)
{
    return (cell.m_uiFlags & CELL_QUEUE) != 0;
}

bool IsFootpath(const MapCell& cell)
{
    return (cell.m_uiFlags & CELL_FOOTPATH) != 0;
}

bool IsBuilt(const MapCell& cell)
{
    return (cell.m_uiFlags & CELL_BUILDING) != 0;
}

// The side (0 to 3) of `from` on which `to` lies, or -1 when it is not a side neighbour.
int32_t SideTowards(const MapCell& from, const MapCell& to)
{
    const int32_t direction = WorldMap::DirectionTo(from.GetPos(), to.GetPos());
    return direction >= 0 && (direction & 1) == 0 ? direction / 2 : -1;
}

// Calls `token` (text, length) for each token of a table file, in order: tokens are separated by blanks and line
// ends, and a token that begins with '/' starts a comment to the end of the line. A ';' is a token of its own that
// no record counts, so it only separates.
template <class Token> void ForEachToken(const char* text, uint32_t size, Token token)
{
    uint32_t i = 0;
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (i < size)
    {
        const char c = text[i];
        if (blank(c))
        {
            ++i;
        }
        else if (c == '/')
        {
            while (i < size && text[i] != '\n')
                ++i;
        }
        else if (c == ';')
        {
            ++i;
        }
        else
        {
            const uint32_t start = i;
            while (i < size && !blank(text[i]) && text[i] != ';')
                ++i;
            token(text + start, i - start);
        }
    }
}

} // namespace

class PathTileSet::UpdateScope
{
public:
    explicit UpdateScope(PathTileSet& set) : m_Set(set) { m_Set.m_bUpdateMode = true; }
    ~UpdateScope() { m_Set.m_bUpdateMode = false; }
    UpdateScope(const UpdateScope&) = delete;
    UpdateScope& operator=(const UpdateScope&) = delete;

private:
    PathTileSet& m_Set;
};

PathTileSet::PathTileSet(const char* pathTileFile, const char* pavementTileSet)
{
    g_pPathTileSet = this;
    SpriteManager& sprites = GetSpriteManager();
    m_pPathSprite = sprites.CreateSprite(pavementTileSet && *pavementTileSet ? pavementTileSet : kDefaultPathSprites);
    m_pQueueSprite = sprites.CreateSprite(kQueueSprites);
    m_pPathSprite->SetPlayMode(Sprite::PLAY_MANUAL);
    m_pQueueSprite->SetPlayMode(Sprite::PLAY_MANUAL);
    bool loaded = ReadTable(pathTileFile, m_PathTiles);
    loaded = ReadTable(kQueueTilesFile, m_QueueTiles) && loaded;
    loaded = ReadTable(kQueuePathFile, m_QueuePath) && loaded;
    if (!loaded)
    {
        GetLogger()->Report(0, "PathTileSet::PathTileSet - the tile tables are incomplete: paths can't be laid");
        m_PathTiles.fill(0);
        m_QueueTiles.fill(0);
        m_QueuePath.fill(0);
    }
    m_bLoaded = loaded;
    m_bUpdateMode = false;
}

PathTileSet::~PathTileSet()
{
    GetSpriteManager().ReleaseSprite(m_pPathSprite);
    GetSpriteManager().ReleaseSprite(m_pQueueSprite);
    if (g_pPathTileSet == this)
        g_pPathTileSet = nullptr;
}

bool PathTileSet::ReadTable(const char* fileName, Table& table)
{
    table.fill(0);
    if (!fileName || !*fileName)
    {
        GetLogger()->Report(0, "PathTileSet::ReadTable - no tile table is named");
        return false;
    }
    // The length is checked before anything is read.
    const std::string scrambled = BleFileName(fileName);
    const uint32_t length = GetFileSystem()->GetFileSize(scrambled.c_str());
    if (length > kMaxTableFileSize)
    {
        GetLogger()->Report(0, "PathTileSet::ReadTable - the tile table %s holds %u bytes, more than %u", fileName,
                            length, kMaxTableFileSize);
        return false;
    }
    uint32_t size = 0;
    std::unique_ptr<char[]> text(length ? GetFileSystem()->ReadBleFileSized(scrambled.c_str(), &size) : nullptr);
    if (!text)
    {
        GetLogger()->Report(0, "PathTileSet::ReadTable - can't read the tile table %s", fileName);
        return false;
    }
    int32_t record[9];
    uint32_t fields = 0;
    uint32_t records = 0;
    ForEachToken(text.get(), size,
                 [&](const char* token, uint32_t tokenLength)
                 {
                     const std::string word(token, tokenLength);
                     record[fields++] = platform::ParseInt(word.c_str());
                     if (fields < 9)
                         return;
                     fields = 0;
                     uint32_t mask = 0;
                     bool bitsOk = true;
                     for (uint32_t bit = 0; bit < 8; ++bit)
                     {
                         if (record[bit] != 0 && record[bit] != 1)
                             bitsOk = false;
                         else
                             mask |= static_cast<uint32_t>(record[bit]) << bit;
                     }
                     if (bitsOk)
                     {
                         table[mask] = static_cast<uint8_t>(record[8]);
                         ++records;
                     }
                     else
                     {
                         GetLogger()->Report(0,
                                             "PathTileSet::ReadTable - %s: a mask bit other than 0 or 1 in record %u",
                                             fileName, records + 1);
                     }
                 });
    if (records == 0)
    {
        GetLogger()->Report(0, "PathTileSet::ReadTable - the tile table %s holds no record", fileName);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- the rules

bool PathTileSet::Joins(const MapCell& n, const MapCell& t, bool footpathCounts, bool joiningOpenings) const
{
    if ((n.m_uiFlags & CELL_NO_JOIN) && (t.m_uiFlags & CELL_NO_JOIN))
        return false;
    if (IsQueue(n))
    {
        const uint32_t shape = QueueShapeOf(n.m_uiFlags);
        const uint8_t openings = joiningOpenings ? queueshape::kJoining[shape] : queueshape::kStrict[shape];
        if (queueshape::IsOpen(openings, SideTowards(n, t)))
            return true;
    }
    return footpathCounts && IsFootpath(n);
}

void PathTileSet::SetShape(MapCell& cell, uint32_t shape)
{
    cell.m_uiFlags = (cell.m_uiFlags & ~CELL_QUEUE_SHAPE) | ((shape & 0xF) << kQueueShapeShift);
}

void PathTileSet::ComputePathTile(MapCell& cell)
{
    uint32_t mask = (cell.m_uiFlags & CELL_NEIGHBOUR_MASK) >> kNeighbourMaskShift;
    MapCell* sides[4];
    bool queueJoins = false;
    for (int32_t side = 0; side < 4; ++side)
    {
        sides[side] = g_pWorldMap ? g_pWorldMap->GetNeighbourCell(cell.GetPos(), side * 2) : nullptr;
        if (sides[side] && IsQueue(*sides[side]) && Joins(*sides[side], cell, false, true))
            queueJoins = true;
    }
    if (queueJoins)
    {
        // The path runs straight into a joining neighbour: the corners beside that side are not joined.
        for (int32_t side = 0; side < 4; ++side)
        {
            if (!sides[side] || !Joins(*sides[side], cell, true, true))
                continue;
            const uint32_t d = static_cast<uint32_t>(side * 2);
            mask |= 1u << d;
            mask &= ~(1u << ((d + 7) & 7));
            mask &= ~(1u << ((d + 1) & 7));
        }
    }
    uint8_t tile = m_PathTiles[mask & 0xFF];
    if (tile == 255)
        tile = kFullTile;
    if (!IsBuilt(cell))
        cell.m_uTileIndex = tile;
}

uint32_t PathTileSet::LookupQueueShape(uint32_t mask) const
{
    uint32_t entry = m_QueueTiles[mask & 0xFF];
    if (entry == kUseQueuePathTable)
        entry = m_QueuePath[mask & 0xFF];
    return entry;
}

uint32_t PathTileSet::ComputeQueueShape(MapCell& cell)
{
    uint32_t footpaths = 0;
    uint32_t queues = 0;
    uint32_t queueMask = 0;
    uint32_t joinMask = 0;
    int32_t firstFootpath = -1;
    for (int32_t side = 0; side < 4; ++side)
    {
        const MapCell* n = g_pWorldMap ? g_pWorldMap->GetNeighbourCell(cell.GetPos(), side * 2) : nullptr;
        if (!n)
            continue;
        const uint32_t bit = 1u << (side * 2);
        if (IsFootpath(*n))
        {
            ++footpaths;
            if (firstFootpath < 0)
                firstFootpath = side;
        }
        if (IsQueue(*n) && JoinsByMode(*n, cell, false))
        {
            ++queues;
            queueMask |= bit;
        }
        if (JoinsByMode(*n, cell, true))
            joinMask |= bit;
    }
    uint32_t shape;
    if (footpaths > 0 && queues == 0)
    {
        shape = LookupQueueShape(joinMask);
    }
    else if (footpaths > 0 && queues == 1)
    {
        const uint32_t mask = queueMask | (1u << (firstFootpath * 2));
        shape = m_QueueTiles[mask];
    }
    else
    {
        shape = LookupQueueShape(queueMask);
    }
    // Only 16 shapes exist: anything else in the tables is no shape, and never reaches the other flag bits.
    if (shape > 15)
        shape = kFreeQueueShape;
    SetShape(cell, shape);
    return shape;
}

void PathTileSet::RecomputeFootpathNeighbourTile(MapCell* neighbour)
{
    if (neighbour && IsFootpath(*neighbour) && !IsBuilt(*neighbour))
        ComputePathTile(*neighbour);
}

void PathTileSet::MarkNeighbours(const MapCell& cell, bool set)
{
    MapCell* around[8];
    g_pWorldMap->GetNeighbourCells(cell.GetPos(), around);
    for (int32_t i = 0; i < 8; ++i)
    {
        // The neighbour opposite direction i sees this cell in direction i.
        MapCell* n = around[(i + 4) & 7];
        if (!n)
            continue;
        const uint32_t bit = 1u << (kNeighbourMaskShift + i);
        if (set)
            n->m_uiFlags |= bit;
        else
            n->m_uiFlags &= ~bit;
    }
    for (MapCell* n : around)
    {
        if (n && IsFootpath(*n) && !IsBuilt(*n) &&
            m_PathTiles[(n->m_uiFlags & CELL_NEIGHBOUR_MASK) >> kNeighbourMaskShift] < 255)
            ComputePathTile(*n);
    }
}

void PathTileSet::AdjustQueue(MapCell& queue, const MapCell& changed, bool laying)
{
    const int32_t side = SideTowards(queue, changed);
    const uint32_t shape = QueueShapeOf(queue.m_uiFlags);
    const uint8_t openings = laying ? queueshape::kJoining[shape] : queueshape::kStrict[shape];
    if (!queueshape::IsOpen(openings, side))
        return;
    const int8_t next = laying ? queueshape::kWhenJoined[shape][side] : queueshape::kWhenNeighbourGoes[shape][side];
    if (next < 0 || static_cast<uint32_t>(next) == shape)
        return;
    SetShape(queue, static_cast<uint32_t>(next));
    // The footpath beside the piece joins it through its openings: its tile follows the new shape.
    for (int32_t s = 0; s < 4; ++s)
        RecomputeFootpathNeighbourTile(g_pWorldMap->GetNeighbourCell(queue.GetPos(), s * 2));
}

// ---------------------------------------------------------------- laying and removing

bool PathTileSet::PlacePathTile(const GridPos& pos)
{
    MapCell* cell = m_bLoaded && g_pWorldMap ? g_pWorldMap->GetCell(pos) : nullptr;
    if (!cell)
        return false;
    cell->m_uiFlags |= CELL_FOOTPATH;
    if (!IsBuilt(*cell))
        ComputePathTile(*cell);
    {
        UpdateScope scope(*this);
        MarkNeighbours(*cell, true);
    }
    MapCell* around[8];
    g_pWorldMap->GetNeighbourCells(pos, around);
    for (MapCell* n : around)
    {
        if (n && IsQueue(*n) && !IsBuilt(*n) && Joins(*n, *cell, false, true))
            AdjustQueue(*n, *cell, true);
    }
    return true;
}

bool PathTileSet::RemovePathTile(const GridPos& pos)
{
    MapCell* cell = m_bLoaded && g_pWorldMap ? g_pWorldMap->GetCell(pos) : nullptr;
    if (!cell)
        return false;
    cell->m_uiFlags &= ~CELL_FOOTPATH;
    UpdateScope scope(*this);
    MarkNeighbours(*cell, false);
    MapCell* around[8];
    g_pWorldMap->GetNeighbourCells(pos, around);
    for (MapCell* n : around)
    {
        if (n && IsQueue(*n) && !IsBuilt(*n) && JoinsByMode(*n, *cell, false))
            AdjustQueue(*n, *cell, false);
    }
    return true;
}

bool PathTileSet::PlaceQueueTile(const GridPos& pos)
{
    MapCell* cell = m_bLoaded && g_pWorldMap ? g_pWorldMap->GetCell(pos) : nullptr;
    if (!cell)
        return false;
    cell->m_uiFlags |= CELL_QUEUE;
    // A free piece turns no neighbour, but the footpath beside it joins it all the same.
    const bool free = ComputeQueueShape(*cell) == kFreeQueueShape;
    UpdateScope scope(*this);
    for (int32_t side = 0; side < 4; ++side)
    {
        MapCell* n = g_pWorldMap->GetNeighbourCell(pos, side * 2);
        if (!n)
            continue;
        if (!free && IsQueue(*n) && JoinsByMode(*cell, *n, false))
            AdjustQueue(*n, *cell, true);
        RecomputeFootpathNeighbourTile(n);
    }
    return true;
}

bool PathTileSet::RemoveQueueTile(const GridPos& pos)
{
    MapCell* cell = m_bLoaded && g_pWorldMap ? g_pWorldMap->GetCell(pos) : nullptr;
    if (!cell)
        return false;
    const uint32_t shape = QueueShapeOf(cell->m_uiFlags);
    const bool built = IsBuilt(*cell);
    cell->m_uiFlags &= ~CELL_QUEUE;
    {
        UpdateScope scope(*this);
        MapCell* around[8];
        g_pWorldMap->GetNeighbourCells(pos, around);
        for (MapCell* n : around)
        {
            if (n && IsQueue(*n) && !IsBuilt(*n) && JoinsByMode(*n, *cell, false))
                AdjustQueue(*n, *cell, false);
        }
    }
    if (built)
        return true;
    // Footpath beside the piece joined it through its joining openings, which may be more than its strict ones.
    for (int32_t side = 0; side < 4; ++side)
    {
        if (!queueshape::IsOpen(queueshape::kJoining[shape], side))
            continue;
        MapCell* n = g_pWorldMap->GetNeighbourCell(pos, side * 2);
        if (n && IsFootpath(*n))
            ComputePathTile(*n);
    }
    return true;
}

bool PathTileSet::SetQueueTileShape(const GridPos& pos, uint32_t shape)
{
    MapCell* cell = m_bLoaded && g_pWorldMap ? g_pWorldMap->GetCell(pos) : nullptr;
    if (!cell || shape > 15)
        return false;
    cell->m_uiFlags |= CELL_QUEUE;
    SetShape(*cell, shape);
    for (int32_t side = 0; side < 4; ++side)
        RecomputeFootpathNeighbourTile(g_pWorldMap->GetNeighbourCell(pos, side * 2));
    return true;
}

bool PathTileSet::RefreshTile(const GridPos& pos, bool clearNeighbourMarks, bool keepQueueShape)
{
    MapCell* cell = m_bLoaded && g_pWorldMap ? g_pWorldMap->GetCell(pos) : nullptr;
    if (!cell)
        return false;
    if (IsQueue(*cell) && !keepQueueShape)
    {
        const uint32_t shape = ComputeQueueShape(*cell);
        UpdateScope scope(*this);
        if (shape != kFreeQueueShape)
        {
            for (int32_t side = 0; side < 4; ++side)
            {
                MapCell* n = g_pWorldMap->GetNeighbourCell(pos, side * 2);
                if (!n)
                    continue;
                const uint32_t theirs = QueueShapeOf(n->m_uiFlags);
                // A neighbour that turns takes the footpath beside it along, as a piece turned by a join does.
                if (IsQueue(*n) && !IsBuilt(*n) && theirs >= 4 && theirs <= 8 && ComputeQueueShape(*n) != theirs)
                {
                    for (int32_t s = 0; s < 4; ++s)
                        RecomputeFootpathNeighbourTile(g_pWorldMap->GetNeighbourCell(n->GetPos(), s * 2));
                }
                RecomputeFootpathNeighbourTile(n);
            }
        }
    }
    if (IsFootpath(*cell))
    {
        if (!IsBuilt(*cell))
            ComputePathTile(*cell);
        UpdateScope scope(*this);
        MarkNeighbours(*cell, true);
    }
    if (clearNeighbourMarks)
    {
        UpdateScope scope(*this);
        MarkNeighbours(*cell, false);
    }
    return true;
}

void PathTileSet::RefreshAll()
{
    if (!m_bLoaded || !g_pWorldMap)
        return;
    // Every cell of the map, the edge rows and columns too: tiles are not saved, so none may be left unset.
    constexpr uint32_t kPathBits = 0x1FFF0F00;
    for (uint32_t i = 0; i < g_pWorldMap->GetCellCount(); ++i)
    {
        const MapCell& cell = g_pWorldMap->CellAt(i);
        if (cell.m_uiFlags & kPathBits)
            RefreshTile(cell.GetPos(), false, true);
    }
}

// ---------------------------------------------------------------- queries and rails

bool PathTileSet::IsQueueOpenTowards(const GridPos& pos, const GridPos& other) const
{
    const MapCell* cell = g_pWorldMap ? g_pWorldMap->GetCell(pos) : nullptr;
    if (!cell || !IsQueue(*cell))
        return false;
    const int32_t direction = WorldMap::DirectionTo(pos, other);
    if (direction < 0 || (direction & 1) != 0)
        return false;
    return queueshape::IsOpen(queueshape::kJoining[QueueShapeOf(cell->m_uiFlags)], direction / 2);
}

void PathTileSet::GetPathEdges(const GridPos& pos, uint8_t out[4]) const
{
    const MapCell* cell = g_pWorldMap ? g_pWorldMap->GetCell(pos) : nullptr;
    uint8_t edges = 0;
    if (cell && IsFootpath(*cell) && !IsBuilt(*cell))
        edges = queueshape::PathEdges(cell->m_uTileIndex);
    for (int32_t side = 0; side < 4; ++side)
        out[side] = static_cast<uint8_t>(edges >> side & 1u);
}

void PathTileSet::RemoveRails(const GridPos& pos)
{
    if (!g_pWorldMap)
        return;
    for (int32_t direction = 0; direction < 8; ++direction)
    {
        const GridPos around = WorldMap::GetNeighbourPos(pos, direction);
        if (!g_pWorldMap->IsValidGridPos(around))
            continue;
        uint8_t edges[4];
        GetPathEdges(around, edges);
        // Demolition may change the list: walk a copy.
        const std::vector<BaseObject*> objects = g_pWorldMap->GetObjectsAt(around);
        for (BaseObject* object : objects)
        {
            if (object->GetType() != OBJECT_SCENERY || !object->IsRailPiece())
                continue;
            const int32_t side = object->GetDirection();
            if (side >= 0 && side < 4 && edges[side] == 0)
                object->Demolish();
        }
    }
}

void PathTileSet::AddRails(const GridPos& pos)
{
    if (!g_pWorldMap || !g_pMessageHandler)
        return;
    for (int32_t direction = 0; direction < 8; ++direction)
    {
        const GridPos around = WorldMap::GetNeighbourPos(pos, direction);
        if (!g_pWorldMap->IsValidGridPos(around))
            continue;
        const std::vector<BaseObject*>& objects = g_pWorldMap->GetObjectsAt(around);
        const BaseObject* rail = nullptr;
        for (const BaseObject* object : objects)
        {
            if (object->GetType() == OBJECT_SCENERY && object->IsRailPiece())
            {
                rail = object;
                break;
            }
        }
        if (!rail)
            continue;
        const std::string name = rail->GetName();
        bool held[4] = {};
        for (const BaseObject* object : objects)
        {
            const int32_t side = object->GetDirection();
            if (object->GetType() == OBJECT_SCENERY && object->IsRailPiece() && name == object->GetName() &&
                side >= 0 && side < 4)
                held[side] = true;
        }
        uint8_t edges[4];
        GetPathEdges(around, edges);
        for (int32_t side = 0; side < 4; ++side)
        {
            if (edges[side] != 1 || held[side])
                continue;
            SceneryCreationRequest request;
            platform::CopyString(request.szKeyword, sizeof request.szKeyword, name.c_str());
            request.iGridX = around.x;
            request.iGridY = around.y;
            request.bHasDirection = 1;
            request.bDirection = static_cast<uint8_t>(side);
            g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_SCENERY), &request);
        }
    }
}
