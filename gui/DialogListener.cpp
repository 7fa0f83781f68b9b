// DialogListener: the typed value and the default setters.
#include "gui/DialogListener.h"

#include "engine/core/Logger.h"
#include "engine/core/WholeNumbers.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <string>

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
    return TruncateToInt(m_fValue);
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

float DialogTextToFloat(const char16_t* text)
{
    if (!text)
        return 0.0f;
    while (*text == u' ' || *text == u'\t' || *text == u'\r' || *text == u'\n')
        ++text;
    const bool negative = *text == u'-';
    if (*text == u'+' || *text == u'-')
        ++text;
    // The number's characters as ASCII: at most 64 significant digits of the whole part (more would pass any
    // float), a point and at most 64 digits of the fraction, and an exponent.
    constexpr size_t kMaxDigits = 64;
    std::string number;
    bool any = false;
    while (*text == u'0')
        ++text, any = true;
    for (; *text >= u'0' && *text <= u'9'; ++text, any = true)
    {
        if (number.size() >= kMaxDigits)
            return negative ? -FLT_MAX : FLT_MAX;
        number += static_cast<char>(*text);
    }
    if (number.empty())
        number = "0";
    if (*text == u'.')
    {
        ++text;
        number += '.';
        for (size_t n = 0; *text >= u'0' && *text <= u'9'; ++text, ++n, any = true)
            if (n < kMaxDigits)
                number += static_cast<char>(*text);
    }
    if (!any)
        return 0.0f;
    if ((*text == u'e' || *text == u'E') &&
        ((text[1] >= u'0' && text[1] <= u'9') ||
         ((text[1] == u'+' || text[1] == u'-') && text[2] >= u'0' && text[2] <= u'9')))
    {
        ++text;
        const bool down = *text == u'-';
        if (*text == u'+' || *text == u'-')
            ++text;
        int exponent = 0;
        for (; *text >= u'0' && *text <= u'9'; ++text)
            exponent = std::min(exponent * 10 + (*text - u'0'), 999);
        number += down ? "e-" : "e";
        number += std::to_string(exponent);
    }
    double value = 0.0;
    const auto result = std::from_chars(number.c_str(), number.c_str() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = number.find("e-") != std::string::npos ? 0.0 : FLT_MAX;
    else if (result.ec != std::errc())
        return 0.0f;
    value = std::min(value, static_cast<double>(FLT_MAX));
    return static_cast<float>(negative ? -value : value);
}
