// BaseMap: the ground texture under the park, one texel per grid cell, split into square tile textures and drawn
// just below the paths. The interface the park grid calls; painting, tiles and drawing come with the terrain.
#pragma once

#include <cstdint>
#include <map>
#include <utility>

class BaseMap
{
public:
    // Texel (x + 128, y + 128) belongs to grid cell (x, y).
    static constexpr int32_t kCellOffset = 128;

    // Records the source and second textures, the extent in texels, the tile size, the quads' height and the
    // tile border.
    void Create(const char* sourceTexture, const char* secondTexture, int32_t width, int32_t height, int32_t tileSize,
                float groundHeight, int32_t border);
    // Paints every texel of every tile from the source.
    void FillAll();
    // The source pixel for a texel, alpha 0xFF.
    uint32_t GetSourceTexel(int32_t x, int32_t y) const;
    // Writes a colour into every tile that covers the texel.
    void PaintTexel(int32_t x, int32_t y, uint32_t colour);
    // The texel's colour: the last one painted into it, else the source's.
    uint32_t GetTexel(int32_t x, int32_t y) const;
    // Sends the changed tiles to the renderer.
    void UploadDirtyTiles();
    // Draws the tiles that hold something (the ground pass passes 12).
    void Render(int32_t parameter);
    // Frees the tile records.
    void Release();

    bool IsCreated() const { return m_bCreated; }

private:
    bool m_bCreated = false;
    // The texels painted so far, by (x, y).
    std::map<std::pair<int32_t, int32_t>, uint32_t> m_Painted;
};
