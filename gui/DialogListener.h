// DialogListener: the keyword interface through which dialogs read and write the named values of what they show.
#pragma once

#include "platform/WideText.h"

#include <cstdint>

// A value a widget hands to its listener: a whole number (check boxes, radio buttons) or a decimal number (sliders,
// number adjusters). The kind travels with the value, so the listener never has to guess.
struct DialogValue
{
    enum Kind : uint8_t
    {
        kInt = 0,
        kFloat = 1,
    };

    static DialogValue Int(int32_t value) { return DialogValue{kInt, value, static_cast<float>(value)}; }
    static DialogValue Float(float value);

    bool IsFloat() const { return m_kind == kFloat; }
    // The value as a whole number: a decimal number truncated toward zero, saturated at the int range; NaN reads 0.
    int32_t AsInt() const;
    // The value as a decimal number.
    float AsFloat() const { return m_fValue; }

    Kind m_kind = kInt;
    int32_t m_iValue = 0;
    float m_fValue = 0.0f;
};

class DialogListener
{
public:
    virtual ~DialogListener() = default;
    // Writes the keyword's value as text; a keyword the listener does not know leaves the text as it was.
    virtual void GetVariable(const char* keyword, platform::WString& text) = 0;
    // Sets the named value. The default hands whole numbers to the integer form below and reports a decimal number
    // as one this listener cannot take.
    virtual void SetVariable(const char* keyword, const DialogValue& value);
    // The integer form, for listeners whose values are all whole numbers.
    virtual void SetVariable(const char* keyword, const int32_t* value);
    // The listener's dialog has closed.
    virtual void ResetPanelState() = 0;
};

// The leading decimal integer of a listener's text (blanks skipped, a sign allowed, saturated at the int range);
// 0 when there is none.
int32_t DialogTextToInt(const char16_t* text);
// The leading decimal number of a listener's text (blanks skipped, a sign, digits with an optional fraction and
// exponent), read without regard to the locale and kept within the float range; 0 when there is none.
float DialogTextToFloat(const char16_t* text);
