// BaseMap: the ground texture under the park, one texel per grid cell, painted from a source image and changed where
// buildings stand, split into square tile textures (each with a border copied from its neighbours) that are sent
// to the renderer when they change and drawn as flat textured quads just below the paths.
#pragma once

#include <cstdint>
#include <vector>

class BaseMap
{
public:
    // Texel (x + 128, y + 128) belongs to grid cell (x, y).
    static constexpr int32_t kCellOffset = 128;
    // Scene units a texel covers on each axis.
    static constexpr float kSceneUnitsPerTexel = 4.0f;
    // The draw parameters: the ground pass's, and the one that tints the ground with the sky's colour.
    static constexpr int32_t kGroundPass = 12;
    static constexpr int32_t kSkyTinted = 20;
    // Quads are cut where they come nearer the eye than this (along the view).
    static constexpr float kNearCut = 0.1f;
    static constexpr float kSkyTintedFogScale = 5.0f;
    // The largest tile side and map extent taken, in texels.
    static constexpr int32_t kMaxTileSize = 1024;
    static constexpr int32_t kMaxExtent = 8192;

    struct Tile
    {
        // Nothing painted yet: the tile is not drawn.
        bool blank = true;
        bool needsUpload = true;
        // The texture manager slot of the tile's texture (0 without a texture system) and its renderer texture.
        uint32_t texture = 0;
        int32_t page = 0;
        // The tile's texels, rows of tile-size texels: 16-bit A4R4G4B4 in format 3, 32-bit ARGB in format 4.
        std::vector<uint8_t> texels;
    };

    BaseMap() = default;
    ~BaseMap();
    BaseMap(const BaseMap&) = delete;
    BaseMap& operator=(const BaseMap&) = delete;

    // Records the source image (a TGA whose sides are powers of two) and the second texture, the extent in texels,
    // the tile size, the quads' height and the tile border; makes or finds the tile textures ("basemaptex_<n>",
    // row by row), all blank and due for upload, and uploads them. A source that is not there or not of that form
    // leaves the map without one (its texels read opaque black); an extent, tile size or border that cannot make
    // tiles is reported and leaves no tiles.
    void Create(const char* sourceTexture, const char* secondTexture, int32_t width, int32_t height, int32_t tileSize,
                float groundHeight, int32_t border);
    // Paints every texel of every tile, borders included, from the source.
    void FillAll();
    // The source pixel for a texel (the source repeats in both directions), alpha 0xFF.
    uint32_t GetSourceTexel(int32_t x, int32_t y) const;
    // Writes a colour into every tile whose bordered square covers the texel; those tiles are no longer blank and
    // are due for upload.
    void PaintTexel(int32_t x, int32_t y, uint32_t colour);
    // The texel as the first tile that covers it holds it (in that tile's format, widened to ARGB); the source's
    // for a texel no tile covers or whose tile is still blank.
    uint32_t GetTexel(int32_t x, int32_t y) const;
    // Sends the tiles due for upload to the renderer.
    void UploadDirtyTiles();
    // Uploads what changed, then, while the view frustum is valid, draws every tile that is not blank as a textured
    // quad at the map's height (cut where it comes nearer the eye than kNearCut), coloured by the light from
    // straight above, or with kSkyTinted by the sky's second colour with the fog pushed five times as far out.
    void Render(int32_t parameter);
    // Frees the tiles, their textures, the second texture and the source.
    void Release();

    bool IsCreated() const { return m_bCreated; }
    bool HasSource() const { return !m_Source.empty(); }
    // Tiles on each axis, and the texels a tile shows on each axis (its size less the border on both sides).
    int32_t GetTilesAcross() const { return m_iTilesAcross; }
    int32_t GetTilesDown() const { return m_iTilesDown; }
    int32_t GetTileSpan() const { return m_iTileSpan; }
    int32_t GetTileSize() const { return m_iTileSize; }
    int32_t GetBorder() const { return m_iBorder; }
    // The tiles' texture format: 4 (32-bit) when the graphics manager's texture depth setting is 2 or more, else 3.
    uint32_t GetFormat() const { return m_uFormat; }
    const std::vector<Tile>& GetTiles() const { return m_Tiles; }
    uint32_t GetSecondTexture() const { return m_uSecondTexture; }
    float GetHeight() const { return m_fHeight; }

private:
    // Tile (column, row)'s texel at (x, y) of the map, written and read in the tile's format.
    void PutTexel(Tile& tile, int32_t column, int32_t row, int32_t x, int32_t y, uint32_t colour) const;
    uint32_t TexelAt(const Tile& tile, int32_t column, int32_t row, int32_t x, int32_t y) const;
    // The first and last tile on one axis whose bordered square covers the texel coordinate.
    void CoveringTiles(int32_t v, int32_t count, int32_t* first, int32_t* last) const;
    void ReleaseTextures();

    bool m_bCreated = false;
    float m_fHeight = 0.0f;
    int32_t m_iTileSize = 0;
    int32_t m_iBorder = 0;
    int32_t m_iTileSpan = 0;
    int32_t m_iTilesAcross = 0;
    int32_t m_iTilesDown = 0;
    uint32_t m_uFormat = 0;
    uint32_t m_uSourceWidth = 0;
    uint32_t m_uSourceHeight = 0;
    // Source pixels, rows top first, 0xAARRGGBB.
    std::vector<uint32_t> m_Source;
    uint32_t m_uSecondTexture = 0;
    std::vector<Tile> m_Tiles;
};
