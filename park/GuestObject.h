// GuestObject: one visitor of the park. Its behaviour script ("GuestLogic") holds the states, their order and the
// animations; the class supplies the decisions the script calls by number (where to go, what to think, whether the
// price is fair) and the values it reads: ten growing desires, six opinions, cash, thoughts and the buildings it
// has visited. It arrives, walks the footpaths, queues, buys, sits, drops litter and leaves.
#pragma once

#include "park/RequestedObject.h"
#include "platform/WideText.h"
#include "world/MovingObject.h"

#include <cstdint>
#include <vector>

class BuildingObject;
class ObjectScript;
class Scenery;
struct GuestInfo;

class GuestObject : public HumanObject, public RequestedObject
{
public:
    // What a guest wants, by index; the feedback's missed-desire counters add QUEUE.
    enum Desire : int32_t
    {
        DESIRE_MEALS = 0,
        DESIRE_SNACKS = 1,
        DESIRE_ANIMAL_ATTRACT = 2,
        DESIRE_ANIMAL_SHOW = 3,
        DESIRE_AMUSEMENT = 4,
        DESIRE_RIDE = 5,
        DESIRE_RETAIL = 6,
        DESIRE_TOILET = 7,
        DESIRE_REST = 8,
        DESIRE_CASH = 9,
        DESIRE_COUNT = 10,
        DESIRE_QUEUE = 10,
    };
    // The desires whose growth is drawn from the guest type (all but TOILET and CASH).
    static constexpr int32_t kGrowingDesires = 9;
    // The desires with a preferred intensity (MEALS to RETAIL).
    static constexpr int32_t kPreferenceDesires = 7;
    enum Opinion : int32_t
    {
        OPINION_BEAUTY = 0,
        OPINION_CROWDING = 1,
        OPINION_WELFARE = 2,
        OPINION_PRICE = 3,
        OPINION_VARIETY = 4,
        OPINION_CLEANLINESS = 5,
        OPINION_COUNT = 6,
    };
    // The tolerances, in the order the guest type gives them.
    enum Tolerance : int32_t
    {
        TOL_BEAUTY_LOW,
        TOL_BEAUTY_HIGH,
        TOL_ANIMAL_LOW,
        TOL_ANIMAL_HIGH,
        TOL_PRICE_LOW,
        TOL_PRICE_HIGH,
        TOL_CLEAN_LOW,
        TOL_CLEAN_HIGH,
        TOL_COUNT,
    };
    // The overhead icons: 0 to 8 a desire's, then leaving and the thumbs.
    static constexpr int32_t kIconLeaving = 9;
    static constexpr int32_t kIconThumbsUp = 10;
    static constexpr int32_t kIconThumbsDown = 11;
    static constexpr float kIconSeconds = 2.0f;
    static constexpr float kIconHeight = 2.5f;
    static constexpr int32_t kThoughtSlots = 3;
    // Most visit records a guest keeps (and a saved guest may hold): one per building the park can have.
    static constexpr int32_t kMaxVisits = 500;
    static constexpr uint32_t kWalkAnimationSize = 16;
    // Cash below which a guest goes for more.
    static constexpr float kLowCash = 20.0f;
    static constexpr float kCashWithdrawal = 50.0f;
    // Happiness below which a guest leaves early.
    static constexpr float kUnhappy = 0.2f;
    // Hours in the park after which a guest goes home.
    static constexpr int32_t kLongestStay = 23;
    static constexpr float kToiletUrge = 0.6f;
    static constexpr float kThumbsDownDelay = 2.5f;
    // Squared distances (map units) of the distance bands, of the nearest seat and of a bin.
    static constexpr float kNearBand = 903168.0f;
    static constexpr float kMiddleBand = 3612672.0f;
    static constexpr float kFarBand = 8388608.0f;
    static constexpr float kSeatRange = 409000.0f;
    static constexpr float kBinRange = 50000.0f;
    // Cells a walk along a footpath looks ahead at most (a row of footpath across the whole map ends at its edge).
    static constexpr int32_t kMaxWalkCells = 4096;

    // A building that could serve the desire being searched for, with its scores.
    struct Candidate
    {
        BuildingObject* building = nullptr;
        float distance = 0.0f;
        float intensity = 0.0f;
        float repeat = 1.0f;
        float total = 0.0f;
    };
    struct Visit
    {
        uint32_t m_VisitedID = kNoObjectID;
        int32_t m_iVisitedCount = 0;
    };

    GuestObject();
    ~GuestObject() override;

    // ---- object operations
    bool Render() override;
    void Dump(SerialStream& stream) override;
    // False, with a report, when the record is cut short or holds more visits than the park has buildings.
    bool Load(SerialStream& stream) override;
    void Create(const char* name) override;
    bool IsStateSupported(uint32_t state) override;
    bool OnStateEntry(uint32_t state) override;
    bool Update() override;
    bool OnStateExit() override;
    // Leaves the building it is at (its queue, its seat, its ride).
    void OnRemoval() override;
    bool Message(const MessageRecord& record) override;
    bool PostMessage(MessageRecord record) override;
    bool PostDelayedMessage(MessageRecord record, float delay) override;
    void PlayAnimation(const char* name, bool reverse, uint32_t exitState, bool looped,
                       const char* finishName) override;
    ScriptValue GetScriptVariable(const ScriptOperand& operand) override;
    void SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value) override;
    void CallScriptFunction(uint32_t function) override;
    void OnSelected(bool select, bool focus) override;
    void ClosePanel() override;

    // ---- keyword interface (the guest panel)
    void GetVariable(const char* keyword, platform::WString& text) override;
    void ResetPanelState() override;

    // ---- the creation request (kind 3): the hours already spent in the park
    bool SetUpFromRequest(uint8_t kind, const void* request) override;

    // ---- desires and the choice of a destination (GuestDesires.cpp)
    void GrowDesires(float delta);
    // Desire d drops to 0 and its growth is drawn again.
    void DrawDesireRate(int32_t desire);
    int32_t GetHoursInPark() const;
    void SearchDesire();
    // The open buildings that serve the category (only those named "INFORMATION" when asked), in pool order, into
    // the candidate list; their number.
    uint32_t FindCandidates(int32_t category, bool informationOnly);
    void SeekRest();
    bool FindBench();
    void OnMissedDesire(int32_t desire);
    static int32_t GetDesireCategory(int32_t desire);
    int32_t GetDesireIcon(int32_t desire) const;
    static const char* GetDesireName(int32_t desire);

    // ---- opinions and thoughts (GuestOpinions.cpp)
    // Adds one of the key's variants ("<base>_1" to "_3") as the newest thought; the text table's pair index, or -1
    // when the table has no such variant (nothing changes then).
    int32_t AddThought(const char* base, uint32_t object);
    void AddDesireThought(int32_t desire);
    void CheckQueue();
    void FinishedQueueing();
    void LeaveQueue();
    void PriceTooHigh();
    void AlterPriceOpinion();
    void WelfareOpinion();
    void PostActivityScore();
    void MissedDesire();
    void RateSurroundings();
    void LowerOpinions(float amount);
    void UpdateHappiness();
    void ShowThumbsOverlay();
    void ShowIcon(int32_t icon);
    void ShowThumbsUp() { ShowIcon(kIconThumbsUp); }
    void ShowThumbsDown() { ShowIcon(kIconThumbsDown); }
    // With a chance of 26 in 100, the voice of an event (3 bad, 4 good, 0 and 1 others) for the guest's gender.
    void PlayVoice(uint32_t eventKind);

    // ---- script functions with no other home (GuestScript.cpp)
    void GetConsumePoint();
    void GetonPath();
    void WalkAlongPath();
    void CheckForPathTurn();
    void HeadForBin();
    void CreateLitter();
    void FindViewPoint(bool second);
    void FaceInterestPoint();
    void AddVisit();
    // The band (0 to 3; 4 is never given) of an opinion value the script reads.
    static int32_t OpinionBand(float value);

    // ---- state read by the World, the panel, the browser and tests
    const GuestInfo& GetGuestType() const { return *m_pGuestType; }
    float GetDesire(int32_t d) const { return d >= 0 && d < DESIRE_COUNT ? m_desires[d] : 0.0f; }
    void SetDesire(int32_t d, float level)
    {
        if (d >= 0 && d < DESIRE_COUNT)
            m_desires[d] = level;
    }
    // Growth per game second.
    float GetDesireRate(int32_t d) const { return d >= 0 && d < DESIRE_COUNT ? m_person[d] : 0.0f; }
    float GetOpinion(int32_t o) const { return o >= 0 && o < OPINION_COUNT ? m_opinion[o] : 0.0f; }
    void SetOpinion(int32_t o, float value)
    {
        if (o >= 0 && o < OPINION_COUNT)
            m_opinion[o] = value;
    }
    float GetTolerance(int32_t t) const { return t >= 0 && t < TOL_COUNT ? m_Tolerance[t] : 0.0f; }
    float GetDesirePreference(int32_t d) const { return d >= 0 && d < kPreferenceDesires ? m_DesirePrefs[d] : 0.0f; }
    float GetHappiness() const { return m_fHappiness; }
    float GetCash() const { return m_cash; }
    void SetCash(float cash) { m_cash = cash; }
    const platform::WString& GetGuestName() const { return m_name; }
    const char* GetWalkAnimation() const { return m_WalkAnimation; }
    uint32_t GetActionState() const { return m_ActionState; }
    float GetTimeArrived() const { return m_fTimeArrived; }
    int32_t GetThought(int32_t slot) const { return slot >= 0 && slot < kThoughtSlots ? m_Thoughts[slot] : -1; }
    int32_t GetThoughtID(int32_t slot) const { return slot >= 0 && slot < kThoughtSlots ? m_ThoughtID[slot] : -1; }
    const std::vector<Visit>& GetVisits() const { return m_VisitList; }
    int32_t GetVisitCount() const { return static_cast<int32_t>(m_VisitList.size()); }
    int32_t CountVisits(uint32_t building) const;
    const std::vector<Candidate>& GetCandidates() const { return m_Candidates; }
    uint32_t GetCandidateCount() const { return m_uCandidates; }
    bool HasMap() const { return m_bGotMap; }
    void SetHasMap(bool map) { m_bGotMap = map; }
    int32_t GetSouvenirs() const { return m_iNumSouvenirs; }
    void SetSouvenirs(int32_t n) { m_iNumSouvenirs = n; }
    bool IsBuyingMap() const { return m_bBuyingMap; }
    bool IsLeavingEarly() const { return m_bLeavingEarly; }
    bool IsLastGood() const { return m_bLastGood; }
    bool IsLastBad() const { return m_bLastBad; }
    void SetLastGood(bool good) { m_bLastGood = good; }
    void SetLastBad(bool bad) { m_bLastBad = bad; }
    bool IsMissedPurchase() const { return m_bMissedPurchase; }
    bool NeedsCash() const { return m_bNeedCash; }
    bool HasVisitedAnimals() const { return m_bVisitedAnimals; }
    int32_t GetActivityScore() const { return m_iActivityScore; }
    void SetActivityScore(int32_t score) { m_iActivityScore = score; }
    int32_t GetActivityDesire() const { return m_eActivityDesire; }
    void SetActivityDesire(int32_t desire) { m_eActivityDesire = desire; }
    float GetVarietyScore() const { return m_fVarietyScore; }
    int32_t GetPointUsing() const { return m_iPointUsing; }
    int32_t GetWanderDir() const { return m_iWanderDir; }
    void SetWanderDir(int32_t direction) { m_iWanderDir = direction; }
    bool GetSurroundingsToggle() const { return m_bRateSurroundings; }
    void SetSurroundingsToggle(bool rate) { m_bRateSurroundings = rate; }
    float GetIconTime() const { return m_fIconTime; }
    int32_t GetIcon() const { return m_iIcon; }
    void SetDestObject(uint32_t id) { m_DestObjectID = id; }
    const ObjectScript* GetScript() const { return m_pScript; }
    void SetScript(const ObjectScript* script) { m_pScript = script; }
    int32_t GetGender() const;
    float GetMaxForce() const { return m_fMaxForce; }
    // The bench or table whose model the guest rides on while it sits (null while it stands in the scene); the
    // guest leaves it when it goes, and the holder forgets it when the holder goes first.
    void SetSeatHolder(SceneObject* holder) { m_pSeatHolder = holder; }
    SceneObject* GetSeatHolder() const { return m_pSeatHolder; }

private:
    // The current building as a building, or null (none, gone, or not a building).
    BuildingObject* CurrentBuilding() const;
    // Messages from the guest to itself.
    void Tell(uint32_t type, uint32_t flags = 0, uint32_t data = 0);
    void TellDelayed(uint32_t type, float delay);
    void Leave();
    // Raises (positive) or cuts an opinion, kept within 0 to 1; an amount that is no number changes nothing.
    void ChangeOpinion(int32_t opinion, float amount);
    void RecordVerdict(int32_t category, int32_t verdict);
    float DrawRate(int32_t desire) const;
    // A number of the guest type as the guest keeps it: within the reals, and 0 for one that is no number (the
    // saved guest holds only real numbers, and a figure beyond them would make one).
    static float Held(float value);
    // A walk along footpath from the guest's cell in a direction: the centre of the last footpath cell, or false
    // when the first cell is none.
    bool WalkTarget(int32_t direction, platform::Vec3& centre) const;
    void PavementTo(const platform::Vec3& point, bool jitter);
    // Thought slot i as the panel shows it (a thought about a building that has gone is dropped).
    void ThoughtText(int32_t slot, platform::WString& text);

    const GuestInfo* m_pGuestType;
    const ObjectScript* m_pScript = nullptr;
    // The message being handled (null outside Message).
    const MessageRecord* m_pCurrentMessage = nullptr;
    float m_Tolerance[TOL_COUNT] = {};
    float m_person[DESIRE_COUNT] = {};
    float m_desires[DESIRE_COUNT] = {};
    float m_opinion[OPINION_COUNT] = {};
    float m_cash = 0.0f;
    platform::WString m_name;
    float m_fHappiness = 0.0f;
    char m_WalkAnimation[kWalkAnimationSize] = {};
    uint32_t m_ActionState = 0;
    uint32_t m_ActivityPerson = 0;
    float m_fTimeArrived = 0.0f;
    int32_t m_iHourOffset = 0;
    bool m_bLastGood = false;
    bool m_bLastBad = false;
    bool m_bMissedPurchase = false;
    float m_fIconTime = 0.0f;
    int32_t m_iIcon = 0;
    bool m_bLeavingEarly = false;
    int32_t m_iNumTimesBlocked = 0;
    int32_t m_Thoughts[kThoughtSlots] = {-1, -1, -1};
    int32_t m_ThoughtID[kThoughtSlots] = {-1, -1, -1};
    std::vector<Candidate> m_Candidates;
    uint32_t m_uCandidates = 0;
    float m_DesirePrefs[kPreferenceDesires] = {};
    std::vector<Visit> m_VisitList;
    bool m_bGotMap = false;
    int32_t m_iNumSouvenirs = 0;
    bool m_bBuyingMap = false;
    int32_t m_iActivityScore = 0;
    int32_t m_eActivityDesire = DESIRE_MEALS;
    float m_fVarietyScore = 0.0f;
    int32_t m_iPointUsing = -1;
    // Whether m_iPointUsing is one of the second set of view points (a loaded guest holds one of the first).
    bool m_bPointSecond = false;
    int32_t m_ViewPointCount = 0;
    int32_t m_ViewPointCount2 = 0;
    bool m_bRateSurroundings = false;
    int32_t m_iWanderDir = 0;
    bool m_bVisitedAnimals = false;
    bool m_bNeedCash = false;
    SceneObject* m_pSeatHolder = nullptr;
};
