// CleanerObject: the staff member who sweeps litter, empties bins and cleans toilets. Its behaviour script
// ("CleanerLogic") decides when to look for work, walk, clean, rest and idle; this class finds and finishes the
// jobs on the cleaning board, keeps the day's counts and tells the player when a toilet is too busy.
#pragma once

#include "park/StaffObject.h"

class CleanerObject : public StaffObject
{
public:
    static constexpr uint32_t kFeedbackToiletsBusy = 0x2;
    static constexpr uint32_t kFeedbackEmptyBin = 0x4;
    static constexpr uint32_t kFeedbackCleanToilet = 0x8;
    static constexpr uint32_t kFeedbackStroll = 0x10;
    static constexpr uint32_t kFeedbackCleanLitter = 0x20;
    static constexpr uint32_t kFeedbackUnhappy = 0x100000;
    static constexpr uint32_t kFeedbackMessageType = 9;
    // Cleans of one toilet in a day after which it is reported as too busy.
    static constexpr int32_t kBusyToiletCleans = 6;
    // The wait while a toilet is cleaned, in game seconds: 15 x its dirt, within these bounds.
    static constexpr int32_t kShortestToiletClean = 2;
    static constexpr int32_t kLongestToiletClean = 15;
    // Energy a job costs at a cleaner factor of 1.
    static constexpr float kLitterEnergy = 0.05f;
    static constexpr float kBinEnergy = 0.1f;
    static constexpr float kToiletEnergy = 0.1f;

    CleanerObject();
    ~CleanerObject() override;

    void Dump(SerialStream& stream) override;
    bool Load(SerialStream& stream) override;
    void Create(const char* name) override;
    bool IsStateSupported(uint32_t state) override;
    bool Message(const MessageRecord& record) override;
    ScriptValue GetScriptVariable(const ScriptOperand& operand) override;
    void CallScriptFunction(uint32_t function) override;
    void SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value) override;
    void CheckFeedback() override;
    void GiveFeedback() override;
    const char* GetFeedbackText(uint32_t flags) override;
    void Dismiss() override;
    void PickUp() override;
    void DropAt(const platform::Vec3& position) override;
    void CancelPickUp() override;
    bool CanBePicked() override;
    void GetVariable(const char* keyword, platform::WString& text) override;
    void SetVariable(const char* keyword, const int32_t* value) override;

    // The live cleaners.
    static int32_t GetCount() { return m_sCleanerCount; }

    bool FoundLitter() const { return m_bLitterFound; }
    bool FoundBin() const { return m_bBinFound; }
    bool FoundToilet() const { return m_bToiletFound; }
    void SetCleanFlags(bool toilets, bool litter, bool bins)
    {
        m_bCleanToilets = toilets;
        m_bCleanLitter = litter;
        m_bCleanBins = bins;
    }
    int32_t GetToiletsToday() const { return m_ToiletsToday; }
    int32_t GetBinsToday() const { return m_BinsToday; }
    int32_t GetLitterToday() const { return m_LitterToday; }
    uint32_t GetDestObject() const { return m_DestObjectID; }
    const platform::Vec3& GetBinPos() const { return m_BinPos; }
    bool IsUrgentClean() const { return m_bUrgentClean; }
    int32_t GetUrgentType() const { return m_UrgentType; }
    // The wait of CleanToiletTime for a toilet of this cleanliness, in whole game seconds.
    static int32_t ToiletCleanSeconds(float cleanliness);

private:
    bool IsGoingState() const;
    void ReleaseJob();
    void RemoveLitter();
    void GoToBinFront();
    void CleanBin();
    void CleanToilet();

    static int32_t m_sCleanerCount;

    bool m_bLitterFound = false;
    bool m_bToiletFound = false;
    bool m_bBinFound = false;
    bool m_bCleanToilets = true;
    bool m_bCleanLitter = true;
    bool m_bCleanBins = true;
    int32_t m_ToiletsToday = 0;
    int32_t m_BinsToday = 0;
    int32_t m_LitterToday = 0;
    // No toilet is kNoObjectID (0 is an object's id like any other).
    uint32_t m_BusyToilet = kNoObjectID;
    uint32_t m_FeedbackStatus = 0x0100003E;
    uint32_t m_RequiredFeedback = 1;
    uint32_t m_CurrentFeedback = 0;
    platform::Vec3 m_BinPos = {0.0f, 0.0f, 0.0f};
    int32_t m_UrgentType = 0;
    bool m_bUrgentClean = false;
};
