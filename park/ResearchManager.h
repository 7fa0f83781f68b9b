// ResearchManager: the park's research department: the daily budget spent on the research table's items in order,
// the effects of each completed item, its history, and its save record.
#pragma once

#include "gui/DialogListener.h"
#include "world/ParkServices.h"

#include <cstdint>
#include <vector>

struct ResearchInfo;

class ResearchManager : public ResearchService, public DialogListener
{
public:
    static constexpr float kMaxBudgetPerDay = 250.0f;
    static constexpr float kStartingSlider = 0.25f;
    // The row colour and height of the research list.
    static constexpr uint32_t kListColour = 0xFF6D6850;

    struct HistoryEntry
    {
        int32_t item;
        uint32_t dayComplete;
        uint32_t researchTime;
    };

    ResearchManager();

    // Spends the budget for `delta` game seconds on the current item; the money spent.
    float Update(float delta) override;
    float GetBudgetPerDay() const override { return m_fBudgetPerDay; }
    float GetSliderValue() const override { return m_fSliderValue; }
    // Sets the slider (held within 0 to 1; a value that is no number changes nothing) and the budget with it.
    void SetSliderValue(float value) override;
    static float GetMaxBudgetPerDay() { return kMaxBudgetPerDay; }

    // Money spent on the current item over its cost, at most 1; 0 when nothing is left (or the item costs nothing).
    float GetProgress() const;
    bool IsResearchLeft() const { return m_bResearchLeft; }
    int32_t GetCurrentResearch() const { return m_iCurrentResearch; }
    float GetResearchAmount() const { return static_cast<float>(m_dResearchAmount); }
    uint32_t GetDayStarted() const { return m_dwDayStarted; }
    const std::vector<HistoryEntry>& GetHistory() const { return m_ResearchHistory; }
    float GetStaffRecovery() const { return m_fStaffRecovery; }
    float GetCleanerTraining() const { return m_fCleanerTraining; }
    float GetMechanicTraining() const { return m_fMechanicTraining; }
    float GetCarerTraining() const { return m_fCarerTraining; }

    // Refills the "ResearchListBox" list of the open research panel.
    void FillResearchList();

    void GetVariable(const char* keyword, platform::WString& text) override;
    using DialogListener::SetVariable;
    void SetVariable(const char* keyword, const int32_t* value) override;
    void ResetPanelState() override {}

    void Dump(SerialStream& stream) const override;
    // False, with a report and the manager as it was, when the record is cut short or does not hold together (an
    // index beyond the research table, a history longer than the table or naming items not yet researched, a budget
    // outside what the slider gives, less than nothing spent).
    bool Load(SerialStream& stream) override;
    // The staff factors research raises: 0 the rest in a staff room, 1 cleaners, 2 mechanics, 3 zookeepers (the
    // energy a job costs is scaled by its kind's factor); 1 outside that range.
    static constexpr int32_t kStaffFactors = 4;
    float GetStaffFactor(int32_t which) const
    {
        switch (which)
        {
        case 0:
            return m_fStaffRecovery;
        case 1:
            return m_fCleanerTraining;
        case 2:
            return m_fMechanicTraining;
        case 3:
            return m_fCarerTraining;
        default:
            return 1.0f;
        }
    }

private:
    // The research record of an index, null outside the table.
    static const ResearchInfo* Item(int32_t index);
    static uint32_t ItemCount();
    void Complete();
    // The effect of an item; `withTeams` false leaves out the rescue teams (their manager saves them itself).
    void ApplyEffect(const ResearchInfo& item, bool withTeams);

    float m_fBudgetPerDay = 0.0f;
    int32_t m_iCurrentResearch = 0;
    // Money spent on the current item, kept to more places than a float holds: a frame's slice may be a small
    // fraction of a cent, which a float total of some thousands would lose. The save record holds it as a float,
    // and saving rounds it so (by less than a hundredth of a cent), so that a park loaded runs on as the saved one.
    mutable double m_dResearchAmount = 0.0;
    bool m_bResearchLeft = true;
    float m_fSliderValue = 0.0f;
    uint32_t m_dwDayStarted = 0;
    std::vector<HistoryEntry> m_ResearchHistory;
    float m_fStaffRecovery = 1.0f;
    float m_fCleanerTraining = 1.0f;
    float m_fMechanicTraining = 1.0f;
    float m_fCarerTraining = 1.0f;
};

// The park's research manager, null while there is none.
ResearchManager* GetResearchManager();
