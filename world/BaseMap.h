// BaseMap: the ground texture under the park, one texel per grid cell, split into square tiles drawn just below
// the paths. So far the source image is read and each tile is drawn flat in the mean colour of the source texels
// it shows; the tile textures and the painted texels on screen come with the terrain.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

class BaseMap
{
public:
    // Texel (x + 128, y + 128) belongs to grid cell (x, y).
    static constexpr int32_t kCellOffset = 128;
    // Scene units a texel covers on each axis.
    static constexpr float kSceneUnitsPerTexel = 4.0f;
    // The ground pass's parameter.
    static constexpr int32_t kGroundPass = 12;

    // Records the source and second textures, the extent in texels, the tile size, the quads' height and the
    // tile border, and reads the source image (a TGA whose sides are powers of two). A source that is not there
    // or not of that form leaves the map without one: its texels read opaque black and nothing is drawn.
    void Create(const char* sourceTexture, const char* secondTexture, int32_t width, int32_t height, int32_t tileSize,
                float groundHeight, int32_t border);
    // Paints every texel of every tile from the source: the tiles hold something from then on.
    void FillAll();
    // The source pixel for a texel (the source repeats in both directions), alpha 0xFF.
    uint32_t GetSourceTexel(int32_t x, int32_t y) const;
    // Writes a colour into every tile that covers the texel.
    void PaintTexel(int32_t x, int32_t y, uint32_t colour);
    // The texel's colour: the last one painted into it, else the source's.
    uint32_t GetTexel(int32_t x, int32_t y) const;
    // Sends the changed tiles to the renderer.
    void UploadDirtyTiles();
    // Draws the tiles that hold something while the view frustum is valid, each a flat quad at the map's height
    // over the texels it shows, lit as by a light from straight above.
    void Render(int32_t parameter);
    // Frees the tile records and the source.
    void Release();

    bool IsCreated() const { return m_bCreated; }
    bool HasSource() const { return !m_Source.empty(); }
    // Tiles on each axis, and the texels a tile shows on each axis (its size less the border on both sides).
    int32_t GetTilesAcross() const { return m_iTilesAcross; }
    int32_t GetTilesDown() const { return m_iTilesDown; }
    int32_t GetTileSpan() const { return m_iTileSpan; }

private:
    bool m_bCreated = false;
    float m_fHeight = 0.0f;
    int32_t m_iTileSpan = 0;
    int32_t m_iTilesAcross = 0;
    int32_t m_iTilesDown = 0;
    uint32_t m_uSourceWidth = 0;
    uint32_t m_uSourceHeight = 0;
    // Source pixels, rows top first, 0xAARRGGBB.
    std::vector<uint32_t> m_Source;
    // The colour each tile is drawn in (row by row); 0 while the tile is blank.
    std::vector<uint32_t> m_TileColours;
    // The texels painted so far, by (x, y).
    std::map<std::pair<int32_t, int32_t>, uint32_t> m_Painted;
};
