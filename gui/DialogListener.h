// DialogListener: the keyword interface through which dialogs read and write the named values of what they show.
#pragma once

#include "platform/WideText.h"

#include <cstdint>

class DialogListener
{
public:
    virtual ~DialogListener() = default;
    // Writes the keyword's value as text; a keyword the listener does not know leaves the text as it was.
    virtual void GetVariable(const char* keyword, platform::WString& text) = 0;
    virtual void SetVariable(const char* keyword, const int32_t* value) = 0;
    // The listener's dialog has closed.
    virtual void ResetPanelState() = 0;
};
