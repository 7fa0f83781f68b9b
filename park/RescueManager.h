// RescueManager: animal-rescue missions: offers drawn from the rescue table at random intervals, up to three rescue
// teams despatched on a time plan with a report of four lines each, the GUI's keywords and the save record.
#pragma once

#include "gui/DialogListener.h"
#include "world/ParkServices.h"

#include <cstdint>

struct RescueInfo;

class RescueManager : public RescueService, public DialogListener
{
public:
    static constexpr int32_t kMaxTeams = 3;
    static constexpr int32_t kReportLines = 4;
    static constexpr uint32_t kLineCapacity = 256;
    // Draws of a mission before the last one stands.
    static constexpr int32_t kMaxDraws = 1000;

    enum TeamState : uint32_t
    {
        TEAM_FREE = 0,
        TEAM_EN_ROUTE = 1,
        TEAM_AT_LOCATION = 2,
        TEAM_RESCUING = 3,
        TEAM_NURSING = 4,
        TEAM_RETURNING = 5,
        TEAM_RESCUING_HOME = 6,
        TEAM_NURSING_HOME = 7,
        TEAM_STATE_COUNT = 8,
    };

    struct ReportLine
    {
        bool bLineSet = false;
        float time = 0.0f;
        char16_t text[kLineCapacity] = {};
    };

    struct Team
    {
        int32_t CurrentRescueID = 0;
        uint32_t TeamState = TEAM_FREE;
        float NextTime = 0.0f;
        float RescueStartTime = 0.0f;
        float ArriveSiteTime = 0.0f;
        float LeaveSiteTime = 0.0f;
        float ArriveHomeTime = 0.0f;
        float RescueOverTime = 0.0f;
        ReportLine report[kReportLines];
    };

    RescueManager();

    void ScheduleFirstOffer() override { ScheduleNextOffer(); }
    void ScheduleNextOffer();
    void Update() override;
    float GetAcceptanceRatio() const override;
    void OfferRescue();
    // Sends the first free team on the standing offer; false (nothing done) without an offer or a free team.
    bool DespatchTeam();
    // One more team, up to three.
    void AddTeam();
    bool IsTeamBusy(int32_t team) const;
    bool AreAllTeamsBusy() const;
    const char* GetOfferedDangerSprite() const;
    const char* GetTeamDangerSprite(int32_t team) const;
    bool GetOfferedLocation(int32_t* x, int32_t* y) const;

    int32_t GetTeamCount() const { return m_NumRescueTeams; }
    const Team& GetTeam(int32_t team) const { return m_Teams[team]; }
    bool IsRescueOffered() const { return m_bRescueOffered; }
    int32_t GetOfferedRescue() const { return m_OfferedRescue; }
    float GetNextRescueTime() const { return m_NextRescueTime; }
    uint32_t GetRescuesOffered() const { return m_NumRescuesOffered; }
    uint32_t GetRescuesAccepted() const { return m_NumRescuesAccepted; }
    // A game hour in whole game seconds (the day length / 24); 0 without a park.
    static int32_t GameHour();

    void GetVariable(const char* keyword, platform::WString& text) override;
    using DialogListener::SetVariable;
    void SetVariable(const char* keyword, const int32_t* value) override;
    void ResetPanelState() override {}

    void Dump(SerialStream& stream) const override;
    // False, with a report and the manager as it was, when the record is cut short or does not hold together (a
    // team count outside 1 to 3, a mission index beyond the rescue table, a team state unknown, a time that is
    // no number).
    bool Load(SerialStream& stream) override;

private:
    static const RescueInfo* Mission(int32_t index);
    static uint32_t MissionCount();
    void ResetTeam(Team& team);
    void StepTeam(Team& team);
    void SetLine(Team& team, int32_t line, float time, const char* textKey);
    // The text for a team keyword (n 1-based); false when the keyword is not one of the team keywords.
    bool TeamVariable(const char* keyword, platform::WString& text) const;

    int32_t m_NumRescueTeams = 1;
    int32_t m_OfferedRescue = 0;
    bool m_bRescueOffered = false;
    float m_NextRescueTime = 0.0f;
    uint32_t m_NumRescuesOffered = 0;
    uint32_t m_NumRescuesAccepted = 0;
    Team m_Teams[kMaxTeams];
};

// The park's rescue manager, null while there is none.
RescueManager* GetRescueManager();
