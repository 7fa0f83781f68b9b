// Animal-rescue missions: offers, despatch and the teams' time plans, the GUI's keywords and the save record.
#include "park/RescueManager.h"

#include "engine/core/GameOptions.h"
#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/core/TextFormat.h"
#include "engine/core/TextTable.h"
#include "engine/core/WholeNumbers.h"
#include "gui/GUIManager.h"
#include "gui/GuiShell.h"
#include "park/Money.h"
#include "platform/Random.h"
#include "scripts/WorldParams.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

GameOptions* Options()
{
    GuiShell* shell = g_pGUIManager ? g_pGUIManager->GetShell() : nullptr;
    return shell ? shell->GetGuiOptions() : nullptr;
}

// The mission's fee in whole cents. The data gives it: a fee that is no finite amount, or below nothing, is no fee,
// so that a rescue never pays the player nor turns the cash into a non-number.
float FeeOf(const RescueInfo& mission)
{
    return std::isfinite(mission.fCost) && mission.fCost > 0.0f ? RoundToCents(mission.fCost) : 0.0f;
}

// The fee in whole dollars, as the panels show it.
int FeeDollars(const RescueInfo& mission)
{
    return static_cast<int>(FeeOf(mission));
}

float GameTime()
{
    return g_pWorld ? g_pWorld->GetGameTime() : 0.0f;
}

platform::WString Text(const char* key)
{
    return FormatTableText(key, {});
}

// The number after a keyword's prefix (n), or -1 when the keyword has another prefix or no number after it.
int32_t Suffix(const char* keyword, const char* prefix)
{
    const size_t length = std::strlen(prefix);
    if (std::strncmp(keyword, prefix, length) != 0)
        return -1;
    const char* digits = keyword + length;
    if (*digits < '0' || *digits > '9')
        return -1;
    char* end = nullptr;
    const long n = std::strtol(digits, &end, 10);
    return *end == '\0' && n < 1000 ? static_cast<int32_t>(n) : -1;
}

// What a team state shows: its status key (formatted with the animal's name when `withAnimal`) and location key
// (null: the mission's location text; "%d" keys take the team's number).
struct StateTexts
{
    const char* status;
    bool withAnimal;
    const char* location;
};
constexpr StateTexts kStateTexts[RescueManager::TEAM_STATE_COUNT] = {
    {"AR_TEAM_AVAILABLE", false, "AR_TEAM_ATHOME"}, {"AR_TEAM_ENROUTE", false, "AR_NULL"},
    {"AR_TEAM_AT_LOCATION", false, nullptr},        {"AR_TEAM_RESCUING", true, nullptr},
    {"AR_TEAM_NURSING", true, "AR_POOL_NUMBER_%d"}, {"AR_TEAM_RETURNING", false, "AR_NULL"},
    {"AR_TEAM_RESCUING", true, "AR_NULL"},          {"AR_TEAM_NURSING", true, "AR_POOL_NUMBER_%d"},
};

// Whether a busy team on a mission of a kind passes through a state.
bool TakesState(int32_t kind, uint32_t state)
{
    switch (kind)
    {
    case kRescueInSitu:
        return state == RescueManager::TEAM_NURSING;
    case kRescueOnLocation:
        return state == RescueManager::TEAM_EN_ROUTE || state == RescueManager::TEAM_RESCUING ||
               state == RescueManager::TEAM_RETURNING;
    case kRescueBackToBase:
        return state == RescueManager::TEAM_EN_ROUTE || state == RescueManager::TEAM_AT_LOCATION ||
               state == RescueManager::TEAM_RESCUING_HOME || state == RescueManager::TEAM_NURSING_HOME;
    default:
        return false;
    }
}

} // namespace

RescueManager* GetRescueManager()
{
    return g_pWorld ? dynamic_cast<RescueManager*>(g_pWorld->GetManagers().rescue.get()) : nullptr;
}

RescueManager::RescueManager()
{
    for (Team& team : m_Teams)
        ResetTeam(team);
}

const RescueInfo* RescueManager::Mission(int32_t index)
{
    if (!g_pWorldParams || index < 0 || static_cast<uint32_t>(index) >= g_pWorldParams->GetRescueCount())
        return nullptr;
    return &g_pWorldParams->GetRescueInfo(index);
}

uint32_t RescueManager::MissionCount()
{
    return g_pWorldParams ? g_pWorldParams->GetRescueCount() : 0;
}

int32_t RescueManager::GameHour()
{
    return g_pWorld ? g_pWorld->GetDayLength() / 24 : 0;
}

void RescueManager::ResetTeam(Team& team)
{
    team = Team{};
}

void RescueManager::ScheduleNextOffer()
{
    const float hour = static_cast<float>(GameHour());
    m_NextRescueTime = GameTime() + 6.0f * hour + static_cast<float>(platform::Rand()) / 32767.0f * 22.0f * hour;
}

void RescueManager::Update()
{
    if (GameTime() > m_NextRescueTime)
    {
        const bool care = g_pObjectManager && !g_pObjectManager->GetBuildingsByName("ANIMALCARE").empty();
        if (care && !AreAllTeamsBusy())
            OfferRescue();
        ScheduleNextOffer();
    }
    for (int32_t n = 0; n < m_NumRescueTeams; ++n)
    {
        Team& team = m_Teams[n];
        if (team.TeamState != TEAM_FREE && GameTime() > team.NextTime)
            StepTeam(team);
    }
}

void RescueManager::StepTeam(Team& team)
{
    const RescueInfo* mission = Mission(team.CurrentRescueID);
    if (!mission)
        return;
    const uint32_t state = team.TeamState;
    switch (mission->iType)
    {
    case kRescueInSitu:
        if (state == TEAM_NURSING)
        {
            team.TeamState = TEAM_FREE;
            SetLine(team, 1, team.RescueOverTime, mission->szRecoveryMessage);
        }
        break;
    case kRescueOnLocation:
        if (state == TEAM_EN_ROUTE)
        {
            team.TeamState = TEAM_RESCUING;
            team.NextTime = team.LeaveSiteTime;
            SetLine(team, 1, team.ArriveSiteTime, mission->szReport1);
        }
        else if (state == TEAM_RESCUING)
        {
            team.TeamState = TEAM_RETURNING;
            team.NextTime = team.ArriveHomeTime;
            SetLine(team, 2, team.LeaveSiteTime, mission->szReport2);
        }
        else if (state == TEAM_RETURNING)
        {
            team.TeamState = TEAM_FREE;
            SetLine(team, 3, team.RescueOverTime, mission->szRecoveryMessage);
        }
        break;
    case kRescueBackToBase:
        if (state == TEAM_EN_ROUTE)
        {
            team.TeamState = TEAM_AT_LOCATION;
            team.NextTime = team.LeaveSiteTime;
            SetLine(team, 1, team.ArriveSiteTime, mission->szReport1);
        }
        else if (state == TEAM_AT_LOCATION)
        {
            team.TeamState = TEAM_RESCUING_HOME;
            team.NextTime = team.ArriveHomeTime;
        }
        else if (state == TEAM_RESCUING_HOME)
        {
            team.TeamState = TEAM_NURSING_HOME;
            team.NextTime = team.RescueOverTime;
            SetLine(team, 2, team.ArriveHomeTime, mission->szReport2);
        }
        else if (state == TEAM_NURSING_HOME)
        {
            team.TeamState = TEAM_FREE;
            SetLine(team, 3, team.RescueOverTime, mission->szRecoveryMessage);
        }
        break;
    default:
        break;
    }
}

void RescueManager::SetLine(Team& team, int32_t line, float time, const char* textKey)
{
    ReportLine& report = team.report[line];
    report.bLineSet = true;
    report.time = time;
    if (textKey)
        platform::WStrCopy(report.text, kLineCapacity, Text(textKey).c_str());
}

void RescueManager::OfferRescue()
{
    const uint32_t missions = MissionCount();
    // A table without missions has nothing to offer.
    if (missions == 0)
        return;
    int32_t r = 0;
    for (int32_t draw = 0; draw < kMaxDraws; ++draw)
    {
        r = static_cast<int32_t>(static_cast<uint32_t>(platform::Rand()) % missions);
        bool taken = false;
        for (int32_t n = 0; n < m_NumRescueTeams; ++n)
            taken = taken || (m_Teams[n].TeamState != TEAM_FREE && m_Teams[n].CurrentRescueID == r);
        if (!taken)
            break;
    }
    ++m_NumRescuesOffered;
    m_bRescueOffered = true;
    m_OfferedRescue = r;
    GameOptions* options = Options();
    // The pop-up, which holds the mouse until answered, shows "AR_POPUP_MESSAGE": its dialog value 4 is that text's
    // place in the text table.
    if (options && options->m_bConservationPopups && g_pGUIManager)
    {
        const int32_t message = g_pTextTable ? g_pTextTable->FindIndex("AR_POPUP_MESSAGE") : -1;
        g_pGUIManager->OpenDialogWithValue(4, "RescuePopup", message, this, true);
    }
}

bool RescueManager::DespatchTeam()
{
    const RescueInfo* mission = m_bRescueOffered ? Mission(m_OfferedRescue) : nullptr;
    int32_t n = 0;
    while (n < m_NumRescueTeams && m_Teams[n].TeamState != TEAM_FREE)
        ++n;
    if (!mission || n == m_NumRescueTeams)
        return false;
    Team& team = m_Teams[n];
    ResetTeam(team);
    team.CurrentRescueID = m_OfferedRescue;
    team.TeamState = mission->iType == kRescueInSitu ? TEAM_NURSING : TEAM_EN_ROUTE;
    const float start = GameTime();
    const float hour = static_cast<float>(GameHour());
    team.RescueStartTime = start;
    team.report[0].bLineSet = true;
    team.report[0].time = start;
    const float travel = static_cast<float>(mission->iTransDelay) * hour;
    if (mission->iType == kRescueInSitu)
    {
        team.RescueOverTime = team.NextTime = start + static_cast<float>(mission->iRecoverDelay) * hour;
        SetLine(team, 0, start, mission->szReport1);
    }
    else
    {
        team.ArriveSiteTime = start + travel;
        if (mission->iType == kRescueOnLocation)
        {
            team.LeaveSiteTime = team.ArriveSiteTime + static_cast<float>(mission->iRecoverDelay) * hour;
            team.ArriveHomeTime = team.LeaveSiteTime + travel;
            team.RescueOverTime = team.ArriveHomeTime;
        }
        else
        {
            team.LeaveSiteTime = team.ArriveSiteTime + static_cast<float>(mission->iSiteDelay) * hour;
            team.ArriveHomeTime = team.LeaveSiteTime + travel;
            team.RescueOverTime = team.ArriveHomeTime + static_cast<float>(mission->iRecoverDelay) * hour;
        }
        team.NextTime = team.ArriveSiteTime;
        const platform::WString location = Text(mission->szLocation);
        const platform::WString line =
            FormatTableText(mission->iTransDelay <= 1 ? "AR_TEAM_ENROUTE_DETAILS_1" : "AR_TEAM_ENROUTE_DETAILS",
                            {n + 1, location.c_str(), mission->iTransDelay});
        platform::WStrCopy(team.report[0].text, kLineCapacity, line.c_str());
    }
    if (g_pWorld && g_pWorld->GetPlayer())
        g_pWorld->GetPlayer()->Cash -= FeeOf(*mission);
    m_bRescueOffered = false;
    ++m_NumRescuesAccepted;
    return true;
}

void RescueManager::AddTeam()
{
    if (m_NumRescueTeams >= kMaxTeams)
        return;
    ResetTeam(m_Teams[m_NumRescueTeams]);
    ++m_NumRescueTeams;
}

bool RescueManager::IsTeamBusy(int32_t team) const
{
    return team >= 0 && team < m_NumRescueTeams && m_Teams[team].TeamState != TEAM_FREE;
}

bool RescueManager::AreAllTeamsBusy() const
{
    for (int32_t n = 0; n < m_NumRescueTeams; ++n)
        if (m_Teams[n].TeamState == TEAM_FREE)
            return false;
    return true;
}

const char* RescueManager::GetOfferedDangerSprite() const
{
    const RescueInfo* mission = m_bRescueOffered ? Mission(m_OfferedRescue) : nullptr;
    return mission ? mission->szDangerSprite : nullptr;
}

const char* RescueManager::GetTeamDangerSprite(int32_t team) const
{
    const RescueInfo* mission = IsTeamBusy(team) ? Mission(m_Teams[team].CurrentRescueID) : nullptr;
    return mission ? mission->szDangerSprite : nullptr;
}

bool RescueManager::GetOfferedLocation(int32_t* x, int32_t* y) const
{
    if (const RescueInfo* mission = Mission(m_OfferedRescue))
    {
        *x = mission->iLocationX;
        *y = mission->iLocationY;
    }
    return m_bRescueOffered;
}

float RescueManager::GetAcceptanceRatio() const
{
    return m_NumRescuesOffered > 0 ? static_cast<float>(m_NumRescuesAccepted) / static_cast<float>(m_NumRescuesOffered)
                                   : 0.0f;
}

bool RescueManager::TeamVariable(const char* keyword, platform::WString& text) const
{
    static const char* const kTeamKeys[] = {
        "AR_TEAM_TITLE_",    "AR_TEAM_STATUS_",   "AR_TEAM_LOC_", "AR_TEAM_COST_",    "AR_RD_RD_",
        "AR_RD_NOTBUSY_",    "AR_RD_COST_TITLE_", "AR_RD_COST_",  "AR_RD_ETA_TITLE_", "AR_RD_ETA_",
        "AR_RD_POOL_TITLE_", "AR_RD_POOL_USE_",   "AR_RD_DAY1_",  "AR_RD_DAY2_",      "AR_RD_DAY3_",
        "AR_RD_DAY4_",       "AR_RD_DAY1D_",      "AR_RD_DAY2D_", "AR_RD_DAY3D_",     "AR_RD_DAY4D_",
    };
    const char* prefix = nullptr;
    int32_t n = -1;
    for (const char* key : kTeamKeys)
    {
        n = Suffix(keyword, key);
        if (n >= 0)
        {
            prefix = key;
            break;
        }
    }
    if (!prefix)
        return false;
    auto is = [prefix](const char* key) { return std::strcmp(prefix, key) == 0; };
    if (is("AR_RD_NOTBUSY_"))
    {
        if (n >= 1 && n <= m_NumRescueTeams && !m_Teams[n - 1].report[0].bLineSet)
        {
            char key[32];
            std::snprintf(key, sizeof key, "AR_TEAM_NOTBUSY_%d", n);
            text = Text(key);
        }
        else if (n > m_NumRescueTeams && n <= kMaxTeams)
            text = Text("AR_TEAM_NOT_RESEARCHED");
        return true;
    }
    if (n < 1 || n > m_NumRescueTeams)
        return true;
    const Team& team = m_Teams[n - 1];
    const RescueInfo* mission = Mission(team.CurrentRescueID);
    const bool busy = team.TeamState != TEAM_FREE && mission;
    if (is("AR_TEAM_TITLE_"))
    {
        char key[32];
        std::snprintf(key, sizeof key, "AR_TEAM_%d", n);
        text = Text(key);
    }
    else if (is("AR_TEAM_STATUS_") || is("AR_TEAM_LOC_"))
    {
        const StateTexts& texts = kStateTexts[team.TeamState < TEAM_STATE_COUNT ? team.TeamState : 0];
        const bool status = is("AR_TEAM_STATUS_");
        const platform::WString animal = mission ? Text(mission->szAnimalName) : platform::WString();
        if (status)
            text = texts.withAnimal ? FormatTableText(texts.status, {animal.c_str()}) : Text(texts.status);
        else if (!texts.location)
            text = mission ? Text(mission->szLocation) : platform::WString();
        else
        {
            char key[32];
            std::snprintf(key, sizeof key, texts.location, n);
            text = Text(key);
        }
    }
    else if (is("AR_TEAM_COST_"))
        text = busy ? FormatChecked(u"$%d", {FeeDollars(*mission)}) : Text("AR_TEAM_COST_NOWT");
    else if (!busy)
        return true;
    else if (is("AR_RD_RD_"))
        text = Text(mission->keyword);
    else if (is("AR_RD_COST_TITLE_"))
        text = Text("AR_COST");
    else if (is("AR_RD_COST_"))
        text = FormatChecked(u"$%d", {FeeDollars(*mission)});
    else if (is("AR_RD_ETA_TITLE_"))
        text = Text("AR_REMAINING_TIME");
    else if (is("AR_RD_ETA_"))
    {
        const int32_t hour = GameHour();
        // The whole hours left, plus one. A plan the data stretches past what the count holds shows the most it
        // holds; a plan already over shows the last hour.
        const double left = hour > 0 ? static_cast<double>((team.RescueOverTime - GameTime()) / hour) : 0.0;
        const int32_t h = left >= 1.0 ? TruncateToInt(left + 1.0) : 1;
        text = h > 1 ? FormatChecked(u"%d%s", {h, Text("AR_TIME_HOURS").c_str()}) : Text("AR_TIME_HOUR1");
    }
    else if (is("AR_RD_POOL_TITLE_"))
        text = Text("AR_USING_POOL");
    else if (is("AR_RD_POOL_USE_"))
        text = Text(mission->iType == kRescueOnLocation ? "AR_POOL_NO" : "AR_POOL_YES");
    return true;
}

void RescueManager::GetVariable(const char* keyword, platform::WString& text)
{
    text.clear();
    // The report lines: "AR_RD_DAYkD_" n the text, "AR_RD_DAYk_" n the time.
    for (int32_t line = 0; line < kReportLines; ++line)
    {
        char timeKey[16], textKey[16];
        std::snprintf(timeKey, sizeof timeKey, "AR_RD_DAY%d_", line + 1);
        std::snprintf(textKey, sizeof textKey, "AR_RD_DAY%dD_", line + 1);
        const int32_t nText = Suffix(keyword, textKey);
        const int32_t nTime = Suffix(keyword, timeKey);
        const int32_t n = nText >= 0 ? nText : nTime;
        if (n < 0)
            continue;
        if (n >= 1 && n <= m_NumRescueTeams && m_Teams[n - 1].report[line].bLineSet)
        {
            const ReportLine& report = m_Teams[n - 1].report[line];
            if (nText >= 0)
                text = report.text;
            else
            {
                const int32_t day = g_pWorld ? g_pWorld->GetDayLength() : 0;
                const double t = report.time > 0.0f ? report.time : 0.0;
                const double ofDay = day > 0 ? std::fmod(t, static_cast<double>(day)) : 0.0;
                // A saved time beyond the days the count holds shows the last of them.
                const double days = day > 0 ? std::floor(t / day) : 0.0;
                const int32_t dayNumber = std::min(TruncateToInt(days), INT32_MAX - 1) + 1;
                // The hour of day as the park's clock tells it: the day's share of 24 hours. (The whole game
                // seconds of a plan's hour would run past 24 on a day whose length 24 does not divide.)
                const double hours = day > 0 ? ofDay * 24.0 / static_cast<double>(day) : 0.0;
                const int32_t h = std::min(static_cast<int32_t>(hours), 23);
                const int32_t minute = std::min(static_cast<int32_t>((hours - h) * 60.0), 59) / 15 * 15;
                text = FormatTableText("AR_DAY_TIME", {dayNumber, h, minute});
            }
        }
        return;
    }
    if (TeamVariable(keyword, text))
        return;
    const RescueInfo* offered = m_bRescueOffered ? Mission(m_OfferedRescue) : nullptr;
    GameOptions* options = Options();
    const bool popups = options && options->m_bConservationPopups;
    if (std::strcmp(keyword, "AR_CUR_TITLE") == 0)
    {
        if (offered)
            text = Text("AR_ANIMAL_DANGER");
        else if (AreAllTeamsBusy())
            text = Text("AR_TEAMS_BUSY");
    }
    else if (std::strcmp(keyword, "AR_RESCUE_DETAILS") == 0)
    {
        if (offered)
            text = Text(offered->keyword);
    }
    else if (std::strcmp(keyword, "AR_FEE_TITLE") == 0)
    {
        if (offered)
            text = Text("AR_RESCUE_FEE");
    }
    else if (std::strcmp(keyword, "AR_FEE_AMOUNT") == 0)
    {
        if (offered)
            text = FormatChecked(u"$%d", {FeeDollars(*offered)});
    }
    else if (std::strcmp(keyword, "AR_DESPATCH_TEAM_STATE") == 0)
        text = offered ? u"1" : u"0";
    else if (std::strcmp(keyword, "AR_TEAMS_BUSY") == 0)
    {
        if (AreAllTeamsBusy())
            text = Text("AR_TEAMS_BUSY_DETAIL");
    }
    else if (std::strcmp(keyword, "RESCUE_POPUPS") == 0)
        text = popups ? u"1" : u"0";
    else if (std::strcmp(keyword, "NOT_RESCUE_POPUPS") == 0)
        text = popups ? u"0" : u"1";
    else
        GetLogger()->Report(0, "RescueManager::GetVariable - data keyword not recognised - %s", keyword);
}

void RescueManager::SetVariable(const char* keyword, const int32_t* value)
{
    GameOptions* options = Options();
    const bool on = value && *value != 0;
    if (!options)
        return;
    if (std::strcmp(keyword, "RESCUE_POPUPS") == 0)
        options->m_bConservationPopups = on;
    else if (std::strcmp(keyword, "NOT_RESCUE_POPUPS") == 0)
        options->m_bConservationPopups = !on;
}

void RescueManager::Dump(SerialStream& stream) const
{
    stream.BeginSave();
    stream.WriteClassHeader("RescueManager", 6328);
    stream.WriteUInt("m_NumRescueTeams", static_cast<uint32_t>(m_NumRescueTeams));
    stream.WriteUInt("m_OfferedRescue", static_cast<uint32_t>(m_OfferedRescue));
    stream.WriteBool("m_bRescueOffered", m_bRescueOffered);
    stream.WriteFloat("m_NextRescueTime", m_NextRescueTime);
    stream.WriteInt("m_NumRescuesOffered", static_cast<int32_t>(m_NumRescuesOffered));
    stream.WriteInt("m_NumRescuesAccepted", static_cast<int32_t>(m_NumRescuesAccepted));
    for (int32_t n = 0; n < m_NumRescueTeams; ++n)
    {
        const Team& team = m_Teams[n];
        stream.WriteUInt("CurrentRescueID", static_cast<uint32_t>(team.CurrentRescueID));
        stream.WriteInt("TeamState", static_cast<int32_t>(team.TeamState));
        stream.WriteFloat("NextTime", team.NextTime);
        stream.WriteFloat("RescueStartTime", team.RescueStartTime);
        stream.WriteFloat("ArriveSiteTime", team.ArriveSiteTime);
        stream.WriteFloat("LeaveSiteTime", team.LeaveSiteTime);
        stream.WriteFloat("ArriveHomeTime", team.ArriveHomeTime);
        stream.WriteFloat("RescueOverTime", team.RescueOverTime);
    }
    for (int32_t n = 0; n < m_NumRescueTeams; ++n)
        for (const ReportLine& line : m_Teams[n].report)
        {
            stream.WriteBool("bLineSet", line.bLineSet);
            stream.WriteFloat("time", line.time);
            stream.WriteWideString("string", line.text);
        }
}

bool RescueManager::Load(SerialStream& stream)
{
    stream.BeginLoad();
    char className[128];
    stream.ReadClassHeader(className, sizeof className);
    int32_t teams = 0, offered = 0;
    bool isOffered = false;
    float next = 0.0f;
    uint32_t numOffered = 0, numAccepted = 0;
    stream.ReadInt(&teams);
    stream.ReadInt(&offered);
    stream.ReadBool(&isOffered);
    stream.ReadFloat(&next);
    stream.ReadUInt(&numOffered);
    stream.ReadUInt(&numAccepted);
    auto refuse = [](const char* why)
    {
        GetLogger()->Report(0, "RescueManager::Load - %s", why);
        return false;
    };
    if (!stream.Good())
        return refuse("the record is cut short");
    if (teams < 1 || teams > kMaxTeams)
        return refuse("a team count outside 1 to 3");
    const int32_t missions = static_cast<int32_t>(MissionCount());
    // The offer index of a new manager is 0 even with no missions; a standing offer must name one.
    if (offered < 0 || (offered >= missions && (isOffered || offered != 0)))
        return refuse("the offered mission is beyond the rescue table");
    if (numAccepted > numOffered)
        return refuse("more rescues accepted than offered");
    // A time that is no number never comes: the offer would never be made, a team never come home.
    if (!std::isfinite(next))
        return refuse("the next offer's time is no number");
    Team loaded[kMaxTeams];
    for (int32_t n = 0; n < teams; ++n)
    {
        Team& team = loaded[n];
        stream.ReadInt(&team.CurrentRescueID);
        stream.ReadUInt(&team.TeamState);
        stream.ReadFloat(&team.NextTime);
        stream.ReadFloat(&team.RescueStartTime);
        stream.ReadFloat(&team.ArriveSiteTime);
        stream.ReadFloat(&team.LeaveSiteTime);
        stream.ReadFloat(&team.ArriveHomeTime);
        stream.ReadFloat(&team.RescueOverTime);
        if (team.TeamState >= TEAM_STATE_COUNT)
            return refuse("a team in a state no team takes");
        if (team.TeamState != TEAM_FREE && !Mission(team.CurrentRescueID))
            return refuse("a busy team's mission is beyond the rescue table");
        // A team in a state its kind of mission never takes would never step on, and never be free again.
        if (team.TeamState != TEAM_FREE && !TakesState(Mission(team.CurrentRescueID)->iType, team.TeamState))
            return refuse("a busy team in a state its kind of mission never takes");
        for (float time : {team.NextTime, team.RescueStartTime, team.ArriveSiteTime, team.LeaveSiteTime,
                           team.ArriveHomeTime, team.RescueOverTime})
            if (!std::isfinite(time))
                return refuse("a team's time plan holds a time that is no number");
    }
    for (int32_t n = 0; n < teams; ++n)
        for (ReportLine& line : loaded[n].report)
        {
            stream.ReadBool(&line.bLineSet);
            stream.ReadFloat(&line.time);
            stream.ReadWideString(line.text, kLineCapacity);
            if (stream.Good() && !std::isfinite(line.time))
                return refuse("a report line's time is no number");
        }
    if (!stream.Good())
        return refuse("the record is cut short");
    m_NumRescueTeams = teams;
    m_OfferedRescue = offered;
    m_bRescueOffered = isOffered;
    m_NextRescueTime = next;
    m_NumRescuesOffered = numOffered;
    m_NumRescuesAccepted = numAccepted;
    for (int32_t n = 0; n < kMaxTeams; ++n)
        m_Teams[n] = loaded[n];
    return true;
}
