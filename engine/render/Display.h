// The display: sizes the main window, starts the graphics manager and the texture system, and keeps the 16-bit
// overlay surfaces the GUI paints into, uploading them to textures and drawing them as screen rectangles.
#pragma once

#include "platform/Window.h"

#include <cstdint>
#include <memory>
#include <vector>

class GameOptions;

// One overlay: X1R5G5B5 pixels in system memory, uploaded to its texture when they changed.
struct SoftSurface
{
    bool m_bInUse = false;                 // false while the record is free for reuse
    std::unique_ptr<uint16_t[]> m_pPixels; // row by row
    uint32_t m_uTexture = 0;               // texture manager slot (0: none)
    uint32_t m_uWidth = 0;
    uint32_t m_uHeight = 0;
    uint32_t m_uPitch = 0; // bytes per row (width x 2)
    int32_t m_iX = 0;      // screen position
    int32_t m_iY = 0;
    bool m_bBlank = false; // every pixel holds the colour key
    bool m_bDirty = false; // the pixels changed since the last upload
};

// Made once by the game with the main window; reached through g_pDisplay. Surface handles are indices into the
// surface list; an index that names no surface in use is ignored by every operation.
class Display
{
public:
    static constexpr uint16_t kColourKey = 0x03E0; // pure green: the transparent pixel value
    // The largest surface side: the staging image of an upload holds 1024 x 1024 pixels.
    static constexpr uint32_t kMaxSurfaceSize = 1024;
    static constexpr uint32_t kTextureSlots = 1500;
    // The built-in material surfaces are drawn with (alpha blended, like text).
    static constexpr int32_t kSurfaceMaterial = 1;

    // Starts the renderer for the window (null: a device without a visible window) and the texture system.
    // The options give the resolution and the colour depth (null: 800 by 600, 32 bits). No usable graphics
    // device destroys the window and ends the program with exit code -1.
    Display(void* window, uint32_t width, uint32_t height, bool windowed, const GameOptions* options = nullptr);
    // Deletes the surfaces and shuts the texture system, then the graphics manager, down.
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // Checks for a device, sizes the window for the client area wanted and starts the graphics manager.
    bool InitRenderer(void* window, bool windowed, uint32_t width, uint32_t height);

    // ---- surfaces
    // A surface of width x height pixels (not blank, dirty) in the first free record or a new one; with a
    // texture it takes the texture known under the name or creates one of the rounded-up size. Returns its index,
    // or -1 (with a log line) for a side above 1024 pixels. The last flag is passed by the GUI and not read.
    int32_t CreateSurface(uint32_t width, uint32_t height, const char* name, bool withTexture, bool unused = false);
    // Frees the pixels and the record (the texture stays with the texture manager).
    void FreeSurface(int32_t index);
    // Fills the surface with the colour key unless it is blank already.
    void ClearSurface(int32_t index);
    void SelectSurface(int32_t index);
    void SetSurfacePosition(int32_t index, int32_t x, int32_t y);
    void MoveSurface(int32_t index, int32_t x, int32_t y) { SetSurfacePosition(index, x, y); }
    // The layer upload: the pixels go to the texture at the next DrawSurface.
    void MarkSurfaceDirty(int32_t index);
    // Uploads the pixels when dirty and queues a screen rectangle from (x, y) the size of the surface.
    void DrawSurface(int32_t x, int32_t y, int32_t index);

    // ---- the current surface (each does nothing, or gives null / 0, without one)
    // Fills it with ((red & 0xF8) << 7) | ((green & 0xF8) << 2) | (blue >> 3).
    void FillSurface(uint8_t red, uint8_t green, uint8_t blue);
    // Its pixels, handed out until UnlockSurface; the surface is no longer blank.
    uint16_t* LockSurface();
    uint32_t GetSurfacePitch() const;
    void UnlockSurface() { m_bLocked = false; }
    // Its screen position (0, 0 without one).
    void GetSurfacePosition(platform::Point* out) const;

    // ---- state
    bool IsWindowed() const { return m_bWindowed; }
    bool IsRendererReady() const { return m_bRendererReady; }
    uint32_t GetWidth() const { return m_uWidth; }
    uint32_t GetHeight() const { return m_uHeight; }
    uint16_t GetColourKey() const { return m_uColourKey; }
    int32_t GetCurrentSurface() const { return m_iCurrent; }
    bool IsLocked() const { return m_bLocked; }
    // The client rectangle in screen coordinates, read when the window was sized.
    const platform::Rect& GetClientRect() const { return m_clientRect; }
    // The record at the index (in use or free), or null outside the list.
    const SoftSurface* GetSurface(int32_t index) const;
    int32_t GetSurfaceCount() const { return static_cast<int32_t>(m_surfaces.size()); }

private:
    // The surface in use at the index, or null.
    SoftSurface* UsedSurface(int32_t index) const;
    SoftSurface* CurrentSurface() const { return UsedSurface(m_iCurrent); }
    // Converts the surface into the staging image (rows textureWidth long, transparent padding).
    void FillStaging(const SoftSurface& surface, uint32_t textureWidth, uint32_t textureHeight);
    void SizeWindow(uint32_t width, uint32_t height);

    bool m_bWindowed = false;
    uint32_t m_uWidth = 0;
    uint32_t m_uHeight = 0;
    void* m_pWindow = nullptr;
    const GameOptions* m_pOptions = nullptr;
    std::vector<std::unique_ptr<SoftSurface>> m_surfaces;
    int32_t m_iCurrent = -1;
    bool m_bLocked = false;
    uint16_t m_uColourKey = kColourKey;
    bool m_bRendererReady = false;
    platform::Rect m_clientRect;
    // The staging image of every upload (32-bit pixels), allocated once.
    std::unique_ptr<uint32_t[]> m_pStaging;
};

// The display while it exists.
extern Display* g_pDisplay;
