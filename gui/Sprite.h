// Sprite banks and sprites: the banks of a loaded sprite file pair (palettes, animations and their run-length coded
// frames) and the drawable instances that show one animation frame of a bank.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One animation of a bank: its record from the index file and where its tables lie in the data block.
struct SpriteAnim
{
    static constexpr size_t kNameSize = 32;

    char m_szName[kNameSize] = {}; // zero-terminated, at most 31 characters
    uint16_t m_uFrames = 0;        // frames per direction
    uint8_t m_uDirections = 0;
    uint16_t m_uWidth = 0;
    uint16_t m_uHeight = 0;
    int16_t m_iValueA = 0; // kept, not used for drawing
    int16_t m_iValueB = 0;
    uint32_t m_uDataOffset = 0;
    uint32_t m_uValue = 0; // kept, not used
    uint16_t m_uBlockCount = 0;
    // Set when the data block holds both tables of the animation; an animation without them draws nothing.
    bool m_bTablesValid = false;
    size_t m_indexTable = 0;  // offsets into the data block
    size_t m_offsetTable = 0; // the frame offset table
    size_t m_frameBase = 0;   // the end of the offset table: coded frames are counted from here
};

// One bank record of the index file, with the data block its animations point into.
struct SpriteBank
{
    std::string m_name;
    int32_t m_iRefCount = 0;
    int32_t m_iType = 1;
    std::vector<SpriteAnim> m_anims;
    // Each palette holds 256 or 64 colours, 16-bit 1-5-5-5.
    std::vector<std::vector<uint16_t>> m_palettes;
    std::shared_ptr<const std::vector<uint8_t>> m_pData;
};

// The coded rows of one frame: from `begin` to the end of the data block.
struct CodedFrame
{
    const uint8_t* begin = nullptr;
    const uint8_t* end = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

class Sprite
{
public:
    // Play modes: 1 backwards once, 2 forwards once and hold, 3 manual (the caller sets the frame); any other
    // value loops.
    enum PlayMode : int32_t
    {
        PLAY_LOOP = 0,
        PLAY_BACKWARD_ONCE = 1,
        PLAY_FORWARD_ONCE = 2,
        PLAY_MANUAL = 3,
    };
    static constexpr int32_t kDefaultFrameRate = 18;
    // The blend states of textured drawing: the ordinary alpha blend, and the alternative one of the blend flag.
    static constexpr int32_t kBlendNormal = 2;
    static constexpr int32_t kBlendAlternative = 29;

    // Made by the sprite manager only. The bank may be null (no bank of that name and no "dummy"): such a sprite
    // has no size and draws nothing.
    Sprite(SpriteBank* bank, std::string name) : m_name(std::move(name)), m_pBank(bank) {}

    // Selects the first animation of that name (letter case ignored), else animation 0, and starts it at `now`;
    // returns its length in seconds (frames / frame rate).
    float PlayAnimation(const char* name, float now);
    // A different index starts at frame 0; the same index changes nothing.
    void SetAnimation(int32_t index);
    // Lowered to the animation's last direction.
    void SetDirection(int32_t direction);
    void SetFrameRate(int32_t rate) { m_iFrameRate = rate; }
    void SetPlayMode(int32_t mode) { m_iPlayMode = mode; }
    void SetFrame(int32_t frame) { m_iFrame = frame; }
    void SetPalette(int32_t palette) { m_iPalette = palette; }
    void SetAlpha(uint8_t alpha) { m_uAlpha = alpha; }
    void SetBlendFlag(bool blend) { m_bBlend = blend; }
    void SetName(const char* name) { m_name = name ? name : ""; }
    void SetStartTime(float start) { m_fStartTime = start; }

    const std::string& GetName() const { return m_name; }
    // The name the sprite was asked for (the same as GetName).
    const std::string& GetBankName() const { return m_name; }
    int32_t GetPlayMode() const { return m_iPlayMode; }
    int32_t GetFrameRate() const { return m_iFrameRate; }
    SpriteBank* GetBank() const { return m_pBank; }
    int32_t GetFrame() const { return m_iFrame; }
    int32_t GetAnimation() const { return m_iAnimation; }
    int32_t GetDirection() const { return m_iDirection; }
    int32_t GetAnimationCount() const;
    const SpriteAnim* GetAnimationInfo(int32_t index) const;
    int32_t GetDirectionCount(int32_t index) const;
    // Frames per direction of the current animation (0 without one).
    int32_t GetFrameCount() const;
    int32_t GetWidth() const;
    int32_t GetHeight() const;
    // A bank and a current animation of some size: a picture to show and to hit.
    bool HasPicture() const { return m_pBank && GetWidth() > 0 && GetHeight() > 0; }
    uint8_t GetAlpha() const { return m_uAlpha; }

    // The frame for the time `now` by the play mode.
    void UpdateFrame(float now);
    // Textured drawing through the graphics manager, the frame's texture made once and cached.
    void Draw(float x, float y, float now);
    void DrawScaled(float x1, float y1, float x2, float y2, float now);
    void DrawQuad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, float now);
    // The frame blitted into the display's current 16-bit surface with its top-left corner at screen point (x, y),
    // clipped to the surface; only banks of type 1 draw.
    void DrawToSurface(int32_t x, int32_t y, float now);
    // Whether the current frame is opaque at (x, y) in frame coordinates, the left column being x = 1.
    bool IsOpaqueAt(int32_t x, int32_t y) const;

    // The coded rows of the current frame (frame and direction clamped); false when there are none.
    bool GetCodedFrame(CodedFrame* out) const;
    // The 16-bit colour of a palette index in the sprite's palette (grey when the bank keeps no palette).
    uint16_t PaletteColour(uint8_t index) const;
    // The current frame as 32-bit ARGB pixels in the top-left corner of a zeroed buffer of `bufferWidth` x
    // `bufferHeight`; pixels beyond the buffer are dropped.
    void DecodeFrameARGB(uint32_t* pixels, int32_t bufferWidth, int32_t bufferHeight) const;

private:
    const SpriteAnim* CurrentAnim() const { return GetAnimationInfo(m_iAnimation); }
    // The frame's texture slot, made on a cache miss; 0 when there is nothing to draw.
    uint32_t FrameTexture(float* texRight, float* texBottom);

    std::string m_name;
    // The frame texture's cache key of the last draw, kept for its room.
    std::string m_frameKey;
    float m_fStartTime = 0.0f;
    int32_t m_iPlayMode = PLAY_LOOP;
    int32_t m_iFrameRate = kDefaultFrameRate;
    int32_t m_iAnimation = 0;
    int32_t m_iFrame = 0;
    int32_t m_iDirection = 0;
    int32_t m_iPalette = 0;
    uint8_t m_uAlpha = 255;
    bool m_bBlend = false;
    SpriteBank* m_pBank;
};

// Walks the runs of coded rows: each run opens with a signed byte n, n > 0 opaque pixels with one palette byte
// each, n <= 0 a gap of -n transparent pixels. A row ends when its pixels reach the width (a run that passes it is
// cut there); rows and runs never read past the end of the data.
class RunReader
{
public:
    explicit RunReader(const CodedFrame& frame) : m_p(frame.begin), m_end(frame.end), m_width(frame.width) {}

    // The next run of the current row: its start column, its length (cut to the row) and, for an opaque run,
    // its palette bytes (null for a gap). False at the end of the row; call NextRow to go on.
    bool NextRun(int32_t* start, int32_t* length, const uint8_t** colours);
    // Skips what is left of the row and starts the next one.
    void NextRow();
    // The data ran out before the frame did.
    bool IsTruncated() const { return m_bTruncated; }

private:
    const uint8_t* m_p;
    const uint8_t* m_end;
    int32_t m_width;
    int32_t m_x = 0;
    bool m_bTruncated = false;
};
