// ScrollBar and Slider: the vertical scroll bar that lists build for themselves when they hold more rows than they
// show (arrow buttons that repeat while held, a thumb to drag, a track that pages), and the horizontal slider bound
// to a named value from 0 to 1 (the volumes, the research budget, or any value of the dialog's object).
#pragma once

#include "gui/BoundValue.h"
#include "gui/MainItem.h"
#include "gui/Widget.h"

#include <memory>

class Button;
class Image;

class ScrollBar : public Widget
{
public:
    // A thumb is never shorter than this.
    static constexpr int32_t kMinThumb = 6;
    static constexpr const char* kUpSprite = "UI3_scrollbar_up";
    static constexpr const char* kDownSprite = "UI3_scrollbar_down";

    // Active at once, the thumb placed from `first`; `mode` has no effect.
    ScrollBar(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t first, uint32_t count,
              uint32_t visible, int32_t mode);
    ~ScrollBar() override;

    // The arrow buttons' timing; each firing of one (the first 0.05 s after a press, then repeats while held)
    // scrolls one row.
    void Update(float dt) override;
    void Reposition(int32_t dx, int32_t dy) override;
    void SetActive(bool active) override;
    void Move(int32_t dx, int32_t dy) override;
    // Up one row for a positive delta, down one for a negative one; always taken.
    bool OnMouseWheel(int32_t x, int32_t y, int32_t delta) override;
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    void DrawCached() override;
    void Draw() override;
    void SetChanged(bool changed) override;
    bool HasChanged() const override;

    // The list's length (0 counts as an empty list: the thumb fills the track); first is kept within range.
    void SetCount(uint32_t count);
    // At most the last first row that still fills the view.
    void SetFirst(uint32_t first);
    void ScrollDown();
    void ScrollUp();

    uint32_t GetFirst() const { return m_uFirst; }
    uint32_t GetCount() const { return m_uCount; }
    uint32_t GetVisible() const { return m_uVisible; }
    // The first row that still fills the view: count - visible, 0 when the rows all fit.
    uint32_t GetLastFirst() const { return m_uCount > m_uVisible ? m_uCount - m_uVisible : 0; }
    int32_t GetThumbLength() const { return m_iThumbLength; }
    int32_t GetThumbExcess() const { return m_iThumbExcess; }
    const MainItem& GetThumb() const { return *m_pThumb; }
    Button& GetUpButton() const { return *m_pUp; }
    Button& GetDownButton() const { return *m_pDown; }
    int32_t GetButtonHeight() const { return m_iButtonHeight; }
    float GetTrackLength() const { return m_fTrack; }
    bool IsDragging() const { return m_bDragging; }

private:
    void PlaceThumb();
    void SizeThumb();

    uint32_t m_uFirst;
    uint32_t m_uCount;
    uint32_t m_uVisible;
    std::unique_ptr<Button> m_pUp;
    std::unique_ptr<Button> m_pDown;
    int32_t m_iButtonHeight = 0;
    float m_fTrack = 0.0f;
    std::unique_ptr<MainItem> m_pThumb;
    std::unique_ptr<MainItem> m_pBack;
    int32_t m_iThumbLength = 0;
    int32_t m_iThumbExcess = 0;
    bool m_bDragging = false;
    int32_t m_iMode;
    // The cursor's height at the last event: a drag moves the thumb by the cursor's movement since.
    int32_t m_iLastY = 0;
};

class Slider : public Widget
{
public:
    static constexpr const char* kKnobSprite = "UI3_slider_button";

    // The two numbers have no effect; the knob shows frame `frame`.
    Slider(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* variable, float, float, int32_t frame);
    ~Slider() override;

    // Reads the bound value and places the knob.
    void Update(float dt) override;
    void Reposition(int32_t dx, int32_t dy) override;
    void Move(int32_t dx, int32_t dy) override;
    void SetActive(bool active) override;
    // A press on the slider starts a drag; the knob follows the cursor and the value is written while the button
    // is held on it; moving off the slider or letting go ends the drag.
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    void Draw() override;

    // Cut to hundredths, then written to where the variable names.
    void SetValue(float value);
    float GetValue() const { return m_fValue; }
    bool IsDragging() const { return m_bDragging; }
    const Image& GetKnob() const { return *m_pKnob; }
    // The pixels the knob's left edge can travel.
    int32_t GetTravel() const;
    const std::string& GetVariable() const { return m_variable.GetName(); }

private:
    float ReadValue();

    BoundValue m_variable;
    bool m_bDragging = false;
    float m_fValue = 0.0f;
    std::unique_ptr<MainItem> m_pTrack;
    std::unique_ptr<Image> m_pKnob;
};
