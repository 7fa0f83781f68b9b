// StaffObject: what every employee of the park has (a staff type and its wage, energy, the day of hiring, three
// thoughts, dismissal, the player's pick-up and drop, the staff panel's keywords and the save record), and the base
// of the cleaner, the mechanic, the zookeeper and the shop server.
#pragma once

#include "park/RequestedObject.h"
#include "platform/WideText.h"
#include "world/MovingObject.h"

#include <cstdint>
#include <span>

class BuildingObject;
class ObjectScript;
struct StaffInfo;

class StaffObject : public HumanObject, public RequestedObject
{
public:
    // Feedback flags shared by every kind.
    static constexpr uint32_t kFeedbackStartWork = 0x200000;
    static constexpr uint32_t kFeedbackEndWork = 0x400000;
    static constexpr uint32_t kFeedbackSacked = 0x800000;
    static constexpr uint32_t kFeedbackIdle = 0x1000000;
    static constexpr int32_t kThoughtSlots = 3;
    static constexpr uint32_t kThoughtSize = 256;
    // Energy at and above which a staff member is at work.
    static constexpr float kAtWorkEnergy = 0.05f;
    // A dismissal costs this many hours of wages.
    static constexpr int32_t kDismissHours = 10;
    // Feedback message types of the kinds.
    static constexpr uint32_t kSackedMessageType = 7;
    // Most staff of one kind a save may claim: as many as the object pool holds.
    static constexpr int32_t kMaxSavedStaff = 16000;

    explicit StaffObject(uint32_t sceneKind);
    ~StaffObject() override;

    // ---- object operations
    bool Render() override;
    void Dump(SerialStream& stream) override;
    // False, with a report and the object as it was, when the record is cut short or damaged.
    bool Load(SerialStream& stream) override;
    void Create(const char* name) override;
    // The staff frame: the walk, the feedback, then the script's update of the current state (staff without a
    // script, like servers, run their own).
    bool Update() override;
    bool OnStateEntry(uint32_t state) override;
    bool OnStateExit() override;
    bool Message(const MessageRecord& record) override;
    bool PostMessage(MessageRecord record) override;
    bool PostDelayedMessage(MessageRecord record, float delay) override;
    void PlayAnimation(const char* name, bool reverse, uint32_t exitState, bool looped,
                       const char* finishName) override;
    ScriptValue GetScriptVariable(const ScriptOperand& operand) override;
    void SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value) override;
    void CallScriptFunction(uint32_t function) override;
    void OnSelected(bool open, bool focus) override;
    void ClosePanel() override;

    // ---- keyword interface (the staff panel)
    void GetVariable(const char* keyword, platform::WString& text) override;
    void SetVariable(const char* keyword, const int32_t* value) override;
    void ResetPanelState() override;

    // ---- the creation request: hired staff (kinds 6 to 8) start at a staff room's exit
    bool SetUpFromRequest(uint8_t kind, const void* request) override;

    // ---- staff operations
    virtual void SetHome(uint32_t id) { m_HomeID = id; }
    virtual void CheckFeedback();
    virtual void GiveFeedback() {}
    // The text-table id of a feedback flag (the first set flag decides), or null.
    virtual const char* GetFeedbackText(uint32_t flags);
    virtual void Dismiss();
    virtual void PickUp();
    virtual void DropAt(const platform::Vec3& position);
    virtual void CancelPickUp();
    virtual bool CanBePicked() { return false; }

    void PlaceAtBuilding(uint32_t building);
    void AddThought(uint32_t flag);
    void FindWanderPos();
    // Energy back over the frame's game time: two game hours for a full recovery at a factor of 1.
    void RestoreEnergy(bool inRoom);
    // The nearest open staff room with room left, taken (one more resting there); kNoObjectID when none.
    uint32_t FindStaffRoom();

    // ---- state read by the World, panels and tests
    uint32_t GetHomeID() const { return m_HomeID; }
    int32_t GetWage() const { return m_Wage; }
    float GetEnergy() const { return m_fEnergyLevel; }
    void SetEnergy(float energy) { m_fEnergyLevel = energy; }
    int32_t GetHiredOn() const { return m_HiredOn; }
    int32_t GetThoughtCount() const { return m_NumFeedBackMesslog; }
    const char16_t* GetThought(int32_t slot) const
    {
        return slot >= 0 && slot < kThoughtSlots ? m_Thoughts[slot] : u"";
    }
    bool IsSacked() const { return m_bGotTheSack; }
    const platform::Vec3& GetWanderPos() const { return m_WanderPos; }
    const platform::WString& GetStaffName() const { return m_name; }
    const StaffInfo& GetStaffType() const { return *m_pStaffType; }
    const ObjectScript* GetScript() const { return m_pScript; }
    void SetScript(const ObjectScript* script) { m_pScript = script; }
    void SetDestObject(uint32_t id) { m_DestObjectID = id; }
    int32_t GetActionStateValue() const { return m_ActionState; }

protected:
    // The building an id names, or null.
    static BuildingObject* BuildingOf(uint32_t id);
    static BaseObject* ObjectOf(uint32_t id);
    // A staff factor of the research (0 rest, 1 cleaners, 2 mechanics, 3 zookeepers).
    static float StaffFactor(int32_t which);
    // "<base>_01" to "_03", one drawn at random, in a buffer the next call overwrites.
    const char* Variant(const char* base);
    // One row of a staff kind's feedback texts: its flag, its text's key and whether the key names three numbered
    // variants, one chosen at random.
    struct FeedbackRow
    {
        uint32_t flag;
        const char* key;
        bool variant;
    };
    // The key of the first row whose flag is set, else the texts every staff member has.
    const char* FeedbackTextFrom(std::span<const FeedbackRow> rows, uint32_t flags);
    // The display name: a name of the list of the gender, " ", and the kind's numbered title.
    void MakeName(int32_t gender, const char* titleFormat, int32_t titles);
    // The state change the kinds use when a job goes away: no exit action.
    void EnterState(uint32_t state);
    void TellSelfNow(uint32_t type, uint32_t data = 0);
    void TellState(uint32_t state);
    void SendSelfDelayed(uint32_t type, uint32_t state, float delay);
    // Takes one resting staff off the staff room the object is bound for.
    void LeaveRoom();
    bool IsRestingState() const;
    void SetText(platform::WString& text, const char* id);

    const ObjectScript* m_pScript = nullptr;
    const MessageRecord* m_pCurrentMessage = nullptr;
    uint32_t m_HomeID = kNoObjectID;
    const StaffInfo* m_pStaffType;
    int32_t m_Wage = 0;
    float m_fEnergyLevel = 1.0f;
    int32_t m_LastAction = 0;
    int32_t m_walkpoint = 0;
    int32_t m_HiredOn = 0;
    int32_t m_NumFeedBackMesslog = 0;
    char16_t m_Thoughts[kThoughtSlots][kThoughtSize] = {};
    bool m_bGotTheSack = false;
    platform::Vec3 m_WanderPos = {0.0f, 0.0f, 0.0f};
    int32_t m_DebugInfo = 0;
    int32_t m_ActionState = 0;
    platform::WString m_name;
    // Counted in the kind's class-wide count (from Create to the destructor).
    bool m_bCounted = false;
    char m_Variant[96] = {};
};
