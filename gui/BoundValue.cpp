// BoundValue: asking the dialog's object for named values, once per object for a name it does not answer.
#include "gui/BoundValue.h"

#include "engine/core/Logger.h"
#include "gui/GUIManager.h"
#include "gui/ReportText.h"

#include <algorithm>

namespace
{

// What a text holds before it is asked; an answer replaces it.
const platform::WString kUnanswered(1, u'\uFFFF');

} // namespace

DialogListener* CurrentDialogObject()
{
    return g_pGUIManager ? g_pGUIManager->GetDialogObject() : nullptr;
}

bool BoundValue::Read(DialogListener* object, const std::string& keyword, platform::WString& text)
{
    if (!object)
        return false;
    const auto asked = [&](const std::pair<const DialogListener*, std::string>& entry)
    { return entry.first == object && entry.second == keyword; };
    if (std::any_of(m_unanswered.begin(), m_unanswered.end(), asked))
        return false;
    platform::WString answer = kUnanswered;
    object->GetVariable(keyword.c_str(), answer);
    if (answer != kUnanswered)
    {
        text = std::move(answer);
        return true;
    }
    m_unanswered.emplace_back(object, keyword);
    GetLogger()->Report(1,
                        "GUI - %s is not answered by the object of its dialog; it reads 0 and is asked no more while "
                        "the dialog stays open",
                        ReportWord(keyword).c_str());
    return false;
}

int32_t BoundValue::ReadInt(DialogListener* object, const std::string& keyword)
{
    platform::WString text;
    return Read(object, keyword, text) ? DialogTextToInt(text.c_str()) : 0;
}

float BoundValue::ReadNumber(DialogListener* object, const std::string& keyword)
{
    platform::WString text;
    return Read(object, keyword, text) ? DialogTextToFloat(text.c_str()) : 0.0f;
}

void BoundValue::Write(DialogListener* object, const DialogValue& value) const
{
    if (object)
        object->SetVariable(m_name.c_str(), value);
}
