// Image and Bar: a sprite of the banks at its natural size that reports presses on its opaque pixels and can change
// frame or sprite (the script's Image and Icon, and a part of other widgets), and a horizontal gauge of a named
// value between a minimum and a maximum, filling from the left or growing from its centre.
#pragma once

#include "gui/BoundValue.h"
#include "gui/Widget.h"

#include <string>

class Sprite;

class Image : public Widget
{
public:
    static constexpr size_t kMaxName = 31;

    // The rectangle is the sprite's size at (left, top); right and bottom are not used.
    Image(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* sprite, bool live);
    ~Image() override;

    // The dirty mark also asks for the layer's upload.
    void SetDirty() override;
    void SetActive(bool active) override;
    // Inside the sprite on an opaque pixel; stored as the mouse-over flag.
    bool HitTest(int32_t x, int32_t y) override;
    // Never takes the event: a press over it sets the pressed flag, a hold the held flag, for the owner to read.
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    void DrawCached() override;
    // A live image draws itself on the screen every frame.
    void Draw() override;

    // Shows frame n, the sprite in manual play.
    void SetFrame(int32_t frame);
    // Another sprite (a name equal to the current one changes nothing); the rectangle takes its size.
    void SetSprite(const char* name);
    // The sprite on the screen with its top-left corner at (x, y).
    void DrawAt(int32_t x, int32_t y);
    bool IsHeld() const { return m_bHeld; }
    void ClearPressed() { m_bPressed = false; }
    const std::string& GetSpriteName() const { return m_spriteName; }
    Sprite* GetSprite() const { return m_pSprite; }
    bool IsLive() const { return m_bLive; }

private:
    void TakeSprite(const char* name);

    Sprite* m_pSprite = nullptr;
    std::string m_spriteName;
    bool m_bLive;
    bool m_bHeld = false;
};

class Bar : public Widget
{
public:
    enum Style : int32_t
    {
        STYLE_FILL = 0,   // fills from the left
        STYLE_CENTRE = 1, // grows left or right from the centre
    };
    static constexpr uint32_t kBackColour = 0xFFDCE8FF;
    static constexpr uint32_t kFillColour = 0xFF1ADB7B;

    Bar(int32_t left, int32_t top, int32_t right, int32_t bottom, float minimum, float maximum, const char* variable,
        int32_t colourMode, int32_t style);

    // Reads the value and draws the gauge.
    void Draw() override;
    void SetActive(bool active) override;

    // The object whose value it shows instead of the dialog's (null: the dialog's).
    void SetObject(DialogListener* object) { m_pObject = object; }
    // The value last drawn, within minimum .. maximum (-1 before the first drawing).
    float GetValue() const { return m_fValue; }
    // The value's place from minimum (0) to maximum (1); 0 when the range is empty.
    float Fraction() const;
    // The fill colour of a filling bar for its colour mode at that fraction.
    static uint32_t FillColour(int32_t colourMode, float fraction);

private:
    float ReadValue();

    float m_fMinimum;
    float m_fMaximum;
    BoundValue m_variable;
    int32_t m_iWidth;
    int32_t m_iHeight;
    int32_t m_iColourMode;
    float m_fValue = -1.0f;
    int32_t m_iStyle;
    DialogListener* m_pObject = nullptr;
    bool m_bReported = false;
};
