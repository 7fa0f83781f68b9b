// BuildingObject: its panel and keywords, and its save record. Only the takings in money text are answered yet;
// the panel, the other keywords and the building's own save record come with the building panel and saved games.
#include "engine/core/SerialStream.h"
#include "park/BuildingObject.h"
#include "park/Money.h"

#include <cstring>

void BuildingObject::GetVariable(const char* keyword, platform::WString& text)
{
    text.clear();
    if (!keyword)
        return;
    const struct
    {
        const char* keyword;
        float value;
    } money[] = {{"BUILDING_INCOMETODAY$", m_fIncomeToday},
                 {"BUILDING_COSTTODAY$", m_fCostToday},
                 {"BUILDING_PROFITTODAY$", m_fProfitToday},
                 {"BUILDING_AVERAGEPROFIT$", m_fAverageProfit}};
    for (const auto& entry : money)
    {
        if (std::strcmp(keyword, entry.keyword) == 0)
            text = FormatMoney(entry.value);
    }
}

void BuildingObject::SetVariable(const char* /*keyword*/, const int32_t* /*value*/) {}

void BuildingObject::ResetPanelState()
{
    m_SelectLevel = 0;
}

void BuildingObject::OnSelected(bool /*open*/, bool /*focus*/) {}

void BuildingObject::ClosePanel()
{
    m_SelectLevel = 0;
}

void BuildingObject::Dump(SerialStream& stream)
{
    StaticObject::Dump(stream);
}

bool BuildingObject::Load(SerialStream& stream)
{
    return StaticObject::Load(stream);
}
