// PathTileSet: laying and removing footpath and queue path cell by cell, the footpath tile and queue shape of each
// cell chosen from its neighbours through three lookup tables, and the rail scenery along path edges.
#pragma once

#include "world/WorldMap.h"

#include <array>
#include <cstdint>
#include <string>

class Sprite;

class PathTileSet
{
public:
    static constexpr const char* kQueueTilesFile = "data//queuetiles.dat";
    static constexpr const char* kQueuePathFile = "data//queuepath.dat";
    static constexpr const char* kDefaultPathSprites = "tdpathtile";
    static constexpr const char* kQueueSprites = "queuetile";
    // The tile shown for a footpath mask whose table entry is 255.
    static constexpr uint8_t kFullTile = 8;
    // A queue tile table entry that defers to the queue path table.
    static constexpr uint8_t kUseQueuePathTable = 254;
    // The longest table file read: four KiB of record and comment for each of the 256 masks.
    static constexpr uint32_t kMaxTableFileSize = 256u * 4096u;

    using Table = std::array<uint8_t, 256>;

    // Creates the two sprites (the pavement set named, or "tdpathtile"; "queuetile"), reads the three tables and
    // stores the global pointer. A table file that is missing, empty or holds no record is reported and leaves
    // every table empty: nothing can then be laid.
    PathTileSet(const char* pathTileFile, const char* pavementTileSet);
    ~PathTileSet();
    PathTileSet(const PathTileSet&) = delete;
    PathTileSet& operator=(const PathTileSet&) = delete;

    // Reads one table file: records of eight mask bits (0 or 1, bit 0 first) and a value. False, with a report,
    // when the file is missing, longer than kMaxTableFileSize or holds no record; a record with a mask token other
    // than 0 and 1 is reported and skipped.
    static bool ReadTable(const char* fileName, Table& table);

    // True when the three tables were read.
    bool IsLoaded() const { return m_bLoaded; }

    // Laying and removing one cell; false (nothing changed) off the map or when the tables are not loaded.
    bool PlacePathTile(const GridPos& pos);
    bool RemovePathTile(const GridPos& pos);
    bool PlaceQueueTile(const GridPos& pos);
    bool RemoveQueueTile(const GridPos& pos);
    // Makes the cell queue path of the given shape (a building's queue entrance); false for a shape above 15.
    bool SetQueueTileShape(const GridPos& pos, uint32_t shape);
    // Recomputes one cell and its surroundings.
    bool RefreshTile(const GridPos& pos, bool clearNeighbourMarks, bool keepQueueShape);
    // Recomputes every path and queue cell (after a saved game is loaded, which keeps the flags but not tiles).
    void RefreshAll();

    // True when the cell is queue path and one of its joining openings leads to the other cell.
    bool IsQueueOpenTowards(const GridPos& pos, const GridPos& other) const;
    // Whether the path reaches each of the cell's four sides; zeros unless it is footpath not under a building.
    void GetPathEdges(const GridPos& pos, uint8_t out[4]) const;
    // Demolishes rail pieces around the cell that stand on a side the path no longer reaches.
    void RemoveRails(const GridPos& pos);
    // Asks the park to add rail pieces around the cell on the sides the path reaches that have none.
    void AddRails(const GridPos& pos);

    // Recomputes the tile of a footpath cell and the shape of a queue cell (exposed for the queue tracer).
    void ComputePathTile(MapCell& cell);
    uint32_t ComputeQueueShape(MapCell& cell);

    const Table& GetPathTable() const { return m_PathTiles; }
    const Table& GetQueueTileTable() const { return m_QueueTiles; }
    const Table& GetQueuePathTable() const { return m_QueuePath; }
    Sprite* GetPathSprite() const { return m_pPathSprite; }
    Sprite* GetQueueSprite() const { return m_pQueueSprite; }
    bool IsUpdating() const { return m_bUpdateMode; }

private:
    // Sets the update-mode flag for one scope.
    class UpdateScope;

    // Whether n joins t: a queue cell through its openings (strict while updating, else joining, unless the
    // caller names the joining ones), a footpath cell when footpath counts; two cells with CELL_NO_JOIN never.
    bool Joins(const MapCell& n, const MapCell& t, bool footpathCounts, bool joiningOpenings) const;
    bool JoinsByMode(const MapCell& n, const MapCell& t, bool footpathCounts) const
    {
        return Joins(n, t, footpathCounts, !m_bUpdateMode);
    }
    // Sets (or clears) the marks that the cell leaves in its neighbours' masks and recomputes their tiles.
    void MarkNeighbours(const MapCell& cell, bool set);
    // Turns a queue piece for a cell laid (or removed) beside it.
    void AdjustQueue(MapCell& queue, const MapCell& changed, bool laying);
    void SetShape(MapCell& cell, uint32_t shape);
    uint32_t LookupQueueShape(uint32_t mask) const;
    void RecomputeFootpathNeighbourTile(MapCell* neighbour);

    Table m_PathTiles{};
    Table m_QueueTiles{};
    Table m_QueuePath{};
    bool m_bLoaded = false;
    bool m_bUpdateMode = false;
    Sprite* m_pPathSprite = nullptr;
    Sprite* m_pQueueSprite = nullptr;
};

// The path tile set while a park exists, null otherwise.
extern PathTileSet* g_pPathTileSet;
