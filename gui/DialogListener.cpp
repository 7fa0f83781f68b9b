// DialogListener: the typed value and the default setters.
#include "gui/DialogListener.h"

#include "engine/core/Logger.h"

#include <algorithm>
#include <cmath>

DialogValue DialogValue::Float(float value)
{
    DialogValue v{kFloat, 0, value};
    v.m_iValue = v.AsInt();
    return v;
}

int32_t DialogValue::AsInt() const
{
    if (m_kind == kInt)
        return m_iValue;
    if (std::isnan(m_fValue))
        return 0;
    if (m_fValue >= 2147483647.0f)
        return INT32_MAX;
    if (m_fValue <= -2147483648.0f)
        return INT32_MIN;
    return static_cast<int32_t>(m_fValue);
}

void DialogListener::SetVariable(const char* keyword, const DialogValue& value)
{
    if (value.IsFloat())
    {
        GetLogger()->Report(1, "DialogListener::SetVariable - %s takes whole numbers only", keyword ? keyword : "");
        return;
    }
    SetVariable(keyword, &value.m_iValue);
}

void DialogListener::SetVariable(const char*, const int32_t*) {}

int32_t DialogTextToInt(const char16_t* text)
{
    if (!text)
        return 0;
    while (*text == u' ' || *text == u'\t' || *text == u'\r' || *text == u'\n')
        ++text;
    bool negative = false;
    if (*text == u'+' || *text == u'-')
        negative = *text++ == u'-';
    int64_t value = 0;
    for (; *text >= u'0' && *text <= u'9'; ++text)
        value = std::min<int64_t>(value * 10 + (*text - u'0'), int64_t{INT32_MAX} + 1);
    value = negative ? -value : std::min<int64_t>(value, INT32_MAX);
    return static_cast<int32_t>(value);
}
