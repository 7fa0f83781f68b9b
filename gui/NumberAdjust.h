// NumberAdjust: a number from 0 to 999.99 of an object (a price, a wage, a count) stepped with a decrement and an
// increment button. In integer mode it shows one field; in decimal mode the whole part and two decimals in a second
// field, the field pressed last choosing whether a step is 1 or 0.1.
#pragma once

#include "gui/BoundValue.h"
#include "gui/Widget.h"

#include <memory>

class Button;
class Image;

class NumberAdjust : public Widget
{
public:
    enum Mode : int32_t
    {
        MODE_INTEGER = 0,
        MODE_DECIMAL = 1,
    };
    enum Part : int32_t
    {
        PART_WHOLE = 0,
        PART_DECIMALS = 1,
        PART_NONE = 2,
    };
    static constexpr float kMaximum = 999.99f;

    // With `tooltips`, the buttons tell what they do.
    NumberAdjust(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t mode, int32_t font,
                 const char* variable, bool wrap, bool tooltips);
    ~NumberAdjust() override;

    // Reads the value; each firing of a button (the first 0.05 s after a press, then repeats while held) steps it.
    void Update(float dt) override;
    void Reposition(int32_t dx, int32_t dy) override;
    void SetDirty() override;
    void SetActive(bool active) override;
    void Move(int32_t dx, int32_t dy) override;
    // A press on a field selects it; the buttons take the rest.
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    void DrawCached() override;
    void Draw() override;
    void SetChanged(bool changed) override;
    bool HasChanged() const override;
    // The tooltip goes to the fields.
    void SetTooltip(const char* key) override;

    // The object whose value it steps instead of the dialog's (null: the dialog's).
    void SetObject(DialogListener* object) { m_pObject = object; }
    void SelectPart(int32_t part);
    // One step up (refused past 999.99) or down (below 0: to the decimals alone, or with wrap to 999 and them),
    // written to the object.
    void Increment();
    void Decrement();
    float GetValue() const { return m_fValue; }
    int32_t GetPart() const { return m_iPart; }
    int32_t GetMode() const { return m_iMode; }
    // The texts it shows: the whole part, and in decimal mode the two decimals.
    void GetShownText(char* whole, size_t wholeSize, char* decimals, size_t decimalsSize) const;
    const Image& GetLeftField() const { return *m_pLeft; }
    const Image* GetRightField() const { return m_pRight.get(); }
    Button& GetIncrement() const { return *m_pIncrement; }
    Button& GetDecrement() const { return *m_pDecrement; }

private:
    DialogListener* Object() const;
    void Write(float value);

    DialogListener* m_pObject = nullptr;
    int32_t m_iMode;
    int32_t m_iFont;
    std::unique_ptr<Image> m_pLeft;
    std::unique_ptr<Image> m_pRight;
    std::unique_ptr<Button> m_pDecrement;
    std::unique_ptr<Button> m_pIncrement;
    int32_t m_iPart = PART_WHOLE;
    float m_fValue = 0.0f;
    BoundValue m_variable;
    bool m_bWrap;
};
