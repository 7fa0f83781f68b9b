// CheckBox, RadioButton and RadioGroup: widgets that show and set named values of the dialog's object. A check box
// shows a boolean and toggles it (enabled, with its state flag, only while "<name>_STATE" reads non-zero); a radio
// group shows one whole number through its buttons, each standing for one value and each enabled by
// "<name>_STATUS_<value>".
#pragma once

#include "gui/BoundValue.h"
#include "gui/ContainerWidget.h"

#include <string>
#include <vector>

class Sprite;

class CheckBox : public Widget
{
public:
    CheckBox(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* sprite, const char* variable,
             bool stateFlag);
    ~CheckBox() override;

    // Reads the value (nothing is written back).
    void Update(float dt) override;
    void SetActive(bool active) override;
    // Inside the sprite on an opaque pixel.
    bool HitTest(int32_t x, int32_t y) override;
    // A press on the box toggles it and writes the new value (1 or 0).
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    // The sprite's frame 0 or 1 by the state, only while enabled.
    void DrawCached() override;

    // A new state; written to the object (as 1 for 1, else 0) when `write`.
    void SetState(int32_t state, bool write);
    int32_t GetState() const { return m_iChecked; }
    // Enabled without the state flag or without an object; otherwise while "<name>_STATE" reads non-zero.
    bool IsEnabled();
    const Sprite* GetSprite() const { return m_pSprite; }

private:
    BoundValue m_variable;
    Sprite* m_pSprite = nullptr;
    int32_t m_iChecked = 0;
    bool m_bStateFlag;
};

class RadioButton : public Widget
{
public:
    enum Bits : int32_t
    {
        BIT_OFF = 2,
        BIT_ON = 4,
        BIT_HOVER = 8,
        BIT_DISABLED = 16,
    };

    // A label of "None" (any case) shows none.
    RadioButton(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* sprite, const char* label,
                int32_t font, int32_t value);
    ~RadioButton() override;

    // The hover mark follows the cursor (with the sample "Button_Over" as it comes) while the button is off and
    // enabled.
    void Update(float dt) override;
    bool HitTest(int32_t x, int32_t y) override;
    // A press on an enabled button that is off marks it pressed for its group.
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    void DrawCached() override;
    // The label, centred in white.
    void Draw() override;

    void SetOn();
    void SetOff();
    void Disable();
    void Enable();
    int32_t GetBits() const { return m_iBits; }
    bool IsOn() const { return (m_iBits & BIT_ON) != 0; }
    bool IsDisabled() const { return (m_iBits & BIT_DISABLED) != 0; }
    int32_t GetValue() const { return m_iValue; }
    // The sprite frame that shows the state: 4 disabled and on, 3 disabled, 2 on, 1 hover, else 0.
    int32_t StateFrame() const;
    void ClearPressed() { m_bPressed = false; }

private:
    void SetBits(int32_t bits);

    int32_t m_iBits = BIT_OFF;
    int32_t m_iValue;
    Sprite* m_pSprite = nullptr;
    std::string m_label;
    int32_t m_iFont;
};

class RadioGroup : public ContainerWidget
{
public:
    // A background of "none" (any case) draws none.
    RadioGroup(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* variable, const char* background);
    ~RadioGroup() override;

    // Reads the value and each button's status, runs the buttons and writes the value of a pressed one.
    void Update(float dt) override;
    void SetActive(bool active) override;
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    bool OnMouseWheel(int32_t x, int32_t y, int32_t delta) override;
    void DrawCached() override;

private:
    BoundValue m_variable;
    // Its radio buttons (and any other widget the script placed in it) are the container's children.
    Sprite* m_pBackground = nullptr;
};
