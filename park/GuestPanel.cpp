// GuestObject: the values the guest panel and the object browser's guest rows read by keyword.
#include "engine/core/Logger.h"
#include "engine/core/TextFormat.h"
#include "engine/core/TextTable.h"
#include "engine/core/WholeNumbers.h"
#include "park/GuestObject.h"
#include "scripts/ObjectStates.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace
{

constexpr const char* kVisitedPrefix = "VISITED_NAME_";

// The activity text of a state.
const char* ActivityKey(uint32_t state, uint32_t actionState)
{
    switch (state)
    {
    case STATE_GUEST_HEADING_DESIRE:
        return "GP_ACTIVITY_HEADING";
    case STATE_GUEST_WAITING_DESIRE:
    case STATE_GUEST_ENTER_BUILDING:
    case STATE_GUEST_DELAY_EXIT_BUILDING:
    case STATE_GUEST_MOVE_VIEWPOINT:
    case STATE_GUEST_WALKTHRU_BUILDING:
    case STATE_GUEST_MOVE_VIEWPOINT_2:
        return "GP_ACTIVITY_VISITING";
    case STATE_GUEST_EATING:
        return "GP_ACTIVITY_DRINK";
    case STATE_GUEST_EXIT_BUILDING:
    case STATE_GUEST_EXIT_QUEUE:
    case STATE_GUEST_LEFT_BUILDING:
        return "GP_ACTIVITY_EXIT";
    case STATE_GUEST_LEAVING_WORLD:
        return "GP_ACTIVITY_LEAVE";
    case STATE_GUEST_AT_TABLE:
        return "GP_ACTIVITY_EATING";
    case STATE_GUEST_WALK_AROUND:
        return "GP_ACTIVITY_WALK";
    case STATE_GUEST_JOIN_QUEUE:
        return "GP_ACTIVITY_QUEUE";
    case STATE_GUEST_ENTER_WORLD:
        return "GP_ACTIVITY_ENTER";
    case STATE_GUEST_HEADING_FOR_BENCH:
        return actionState != 0 ? "GP_ACTIVITY_BENCH" : "GP_ACTIVITY_GO_BENCH";
    case STATE_GUEST_HEADING_FOR_BIN:
        return "GP_ACTIVITY_BIN";
    default:
        return "GP_ACTIVITY_NONE";
    }
}

// The desire whose name follows a prefix in a keyword, among the first `count`; -1 when none.
int32_t DesireAfter(const char* keyword, const char* prefix, int32_t count)
{
    const size_t length = std::strlen(prefix);
    if (std::strncmp(keyword, prefix, length) != 0)
        return -1;
    for (int32_t d = 0; d < count; ++d)
    {
        if (std::strcmp(keyword + length, GuestObject::GetDesireName(d)) == 0)
            return d;
    }
    return -1;
}

platform::WString TwoPlaces(float value)
{
    return FormatChecked(u"%.2f", {static_cast<double>(value)});
}

} // namespace

void GuestObject::ThoughtText(int32_t slot, platform::WString& text)
{
    if (m_Thoughts[slot] == -1)
    {
        text.clear();
        return;
    }
    const char16_t* thought = g_pTextTable ? g_pTextTable->GetTextByIndex(m_Thoughts[slot]) : u"";
    if (m_ThoughtID[slot] == -1)
    {
        text = thought;
        return;
    }
    BaseObject* about =
        g_pObjectManager ? g_pObjectManager->GetObject(static_cast<uint32_t>(m_ThoughtID[slot])) : nullptr;
    if (!about)
    {
        // The building has gone: its thought goes, and the later ones move up.
        for (int32_t i = slot; i < kThoughtSlots - 1; ++i)
        {
            m_Thoughts[i] = m_Thoughts[i + 1];
            m_ThoughtID[i] = m_ThoughtID[i + 1];
        }
        m_Thoughts[kThoughtSlots - 1] = -1;
        m_ThoughtID[kThoughtSlots - 1] = -1;
        // The row reads empty this time: a panel that found its text untouched would take the keyword for one the
        // guest does not answer, and ask no more for the thought that moved up.
        text.clear();
        return;
    }
    // A building's name comes first; a thought about anything else (a seat) reads as the thought alone.
    text.clear();
    if (about->GetType() == OBJECT_BUILDING)
        about->GetVariable("BUILDING_NAME", text);
    text += thought;
}

void GuestObject::GetVariable(const char* keyword, platform::WString& text)
{
    if (!keyword)
        keyword = "";
    int32_t d = -1;
    if (std::strcmp(keyword, "GUEST_NAME") == 0)
    {
        text = m_name;
    }
    else if (std::strcmp(keyword, "GUEST_CURRENTACTIVITY") == 0)
    {
        text = TableText(ActivityKey(m_dwState, m_ActionState));
    }
    else if (std::strcmp(keyword, "GUEST_DESIRE_0") == 0)
    {
        if (m_dwState == STATE_GUEST_LEAVING_WORLD)
        {
            text = TableText("GUEST_DESIRE_LEAVING");
        }
        else
        {
            int32_t strongest = DESIRE_MEALS;
            float best = 0.0f;
            for (int32_t i = 0; i < DESIRE_COUNT; ++i)
            {
                if (m_desires[i] > best)
                {
                    best = m_desires[i];
                    strongest = i;
                }
            }
            char key[64];
            std::snprintf(key, sizeof key, "GUEST_DESIRE_%s", GetDesireName(strongest));
            text = TableText(key);
        }
    }
    else if (std::strncmp(keyword, "GUEST_THOUGHT_", 14) == 0 && keyword[14] >= '0' && keyword[14] <= '2' &&
             keyword[15] == 0)
    {
        ThoughtText(keyword[14] - '0', text);
    }
    else if (std::strcmp(keyword, "GUEST_BEST_TODAY") == 0)
    {
    }
    else if ((d = DesireAfter(keyword, "GUEST_DESIRE_LEVEL_", kGrowingDesires)) >= 0)
    {
        const int32_t day = g_pWorld ? g_pWorld->GetDayLength() : 0;
        text = TwoPlaces(m_person[d] * static_cast<float>(day));
    }
    else if ((d = DesireAfter(keyword, "GUEST_DESIRE_INTEN_", kPreferenceDesires)) >= 0)
    {
        text = TwoPlaces(m_DesirePrefs[d]);
    }
    else if ((d = DesireAfter(keyword, "GUEST_DESIRE_", kGrowingDesires)) >= 0)
    {
        text = TwoPlaces(m_desires[d]);
    }
    else if (std::strncmp(keyword, "GUEST_OPINION_", 14) == 0)
    {
        static constexpr const char* kOpinions[OPINION_COUNT] = {"BEAUTY", "CROWDING", "WELFARE",
                                                                 "PRICE",  "VARIETY",  "CLEANLINESS"};
        const char* which = keyword + 14;
        if (std::strcmp(which, "OVERALL") == 0)
        {
            float sum = 0.0f;
            for (float opinion : m_opinion)
                sum += opinion;
            text = TwoPlaces(sum / static_cast<float>(OPINION_COUNT));
            return;
        }
        for (int32_t o = 0; o < OPINION_COUNT; ++o)
        {
            if (std::strcmp(which, kOpinions[o]) == 0)
            {
                text = TwoPlaces(m_opinion[o]);
                return;
            }
        }
        GetLogger()->Report(0, "GuestObject::GetVariable - data keyword not recognised - %s", keyword);
    }
    else if (std::strcmp(keyword, "GUEST_HAPPY_PERCENT") == 0)
    {
        text = FormatChecked(u"%d%%", {TruncateToInt(m_fHappiness * 100.0f)});
    }
    else if (std::strcmp(keyword, "GUEST_HAPPY_VALUE") == 0)
    {
        text = TwoPlaces(m_fHappiness);
    }
    else if (std::strcmp(keyword, "GUEST_CASH") == 0)
    {
        text = FormatChecked(u"$%d", {TruncateToInt(m_cash)});
    }
    else if (std::strcmp(keyword, "GUEST_HOURS_IN_PARK") == 0)
    {
        const int32_t hours = GetHoursInPark();
        text = hours == 1 ? platform::WString(TableText("GP_HOUR")) : FormatTableText("GP_HOURS", {hours});
    }
    else if (std::strncmp(keyword, kVisitedPrefix, std::strlen(kVisitedPrefix)) == 0)
    {
        // A number out of range, or none, answers the empty text.
        const char* digits = keyword + std::strlen(kVisitedPrefix);
        char* end = nullptr;
        errno = 0;
        const long n = std::strtol(digits, &end, 10);
        text.clear();
        if (end == digits || *end != 0 || errno != 0 || n < 0 || n >= static_cast<long>(m_VisitList.size()))
            return;
        BaseObject* building =
            g_pObjectManager ? g_pObjectManager->GetObject(m_VisitList[static_cast<size_t>(n)].m_VisitedID) : nullptr;
        if (building)
            building->GetVariable("BUILDING_NAME", text);
    }
    else if (std::strcmp(keyword, "INVENTORY") == 0)
    {
        if (!m_bGotMap && m_iNumSouvenirs == 0)
            text = TableText("GP_INVENTORY_NONE");
        else if (!m_bGotMap)
            text = FormatTableText("GP_INVENTORY_JUSTSOUVENIRS", {m_iNumSouvenirs});
        else if (m_iNumSouvenirs > 0)
            text = FormatTableText("GP_INVENTORY_SOUVENIRS", {m_iNumSouvenirs});
        else
            text = TableText("GP_INVENTORY_MAP");
    }
    else
    {
        GetLogger()->Report(0, "GuestObject::GetVariable - data keyword not recognised - %s", keyword);
    }
}
