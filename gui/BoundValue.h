// BoundValue: how the data-bound widgets read and write a named value of the object their dialog shows (the current
// dialog object, or an object of their own), and the program's values some names stand for.
#pragma once

#include "gui/DialogListener.h"
#include "platform/WideText.h"

#include <string>
#include <vector>

class BoundValue
{
public:
    explicit BoundValue(std::string name = {}) : m_name(std::move(name)) {}

    const std::string& GetName() const { return m_name; }
    // The object's text for the keyword; false without an object or when it does not answer (the text stays as it
    // was). An object that did not answer a keyword is asked for it no more, with one note at level 1, until
    // Forget: the widgets ask every frame.
    bool Read(DialogListener* object, const std::string& keyword, platform::WString& text);
    // The leading whole or decimal number of the answer; 0 when there is no answer or number in it.
    int32_t ReadInt(DialogListener* object, const std::string& keyword);
    float ReadNumber(DialogListener* object, const std::string& keyword);
    // The same for the value's own name.
    int32_t ReadInt(DialogListener* object) { return ReadInt(object, m_name); }
    float ReadNumber(DialogListener* object) { return ReadNumber(object, m_name); }
    // Sets the value's own name on the object (nothing without one).
    void Write(DialogListener* object, const DialogValue& value) const;
    // Objects that did not answer are asked again.
    void Forget() { m_unanswered.clear(); }

private:
    std::string m_name;
    // The objects (never dereferenced) and keywords that went unanswered.
    std::vector<std::pair<const DialogListener*, std::string>> m_unanswered;
};

// The object the dialog being updated, drawn or given input was opened for (null without one or without a GUI
// manager).
DialogListener* CurrentDialogObject();
