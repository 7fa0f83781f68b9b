// AnimalObject: one animal living in an animal building (its home). Its script drives it; the class keeps the
// numbers the script reads (two desires, three opinions, happiness, health, age), finds eating places, wander
// targets and path animations for it, calls the zookeeper when it is unwell, and answers the animal panel.
#pragma once

#include "park/AnimalPathComponent.h"
#include "park/RequestedObject.h"
#include "world/MovingObject.h"
#include "world/ParkFacts.h"

#include <cstdint>

class BuildingObject;
class ObjectScript;
struct AnimalInfo;

// What a building asks of the animals it holds: the animal class answers it.
class HomeAnimal
{
public:
    virtual ~HomeAnimal() = default;
    // The building's show is starting: the animal goes to perform.
    virtual void SetShowTime() = 0;
};

// What a building reads of the animals it looks after: the animal class answers it.
class CaredAnimal
{
public:
    virtual ~CaredAnimal() = default;
    // 0 to 1.
    virtual float GetHappiness() const = 0;
    // The animal's opinions (0 food, 1 cleanliness, 2 crowding), 0 to 1.
    virtual float GetOpinion(int32_t index) const = 0;
    // What the player gets back when the animal is sold.
    virtual float GetSaleValue() const = 0;
};

class AnimalObject : public MovingObject,
                     public RequestedObject,
                     public HomeAnimal,
                     public CaredAnimal,
                     public AnimalFacts,
                     public PathAnimal
{
public:
    enum Desire : int32_t
    {
        DESIRE_REST = 0,
        DESIRE_PLAY = 1,
        DESIRE_COUNT = 2,
    };
    enum OpinionIndex : int32_t
    {
        OPINION_FOOD = 0,
        OPINION_CLEANLINESS = 1,
        OPINION_CROWDING = 2,
        OPINION_COUNT = 3,
    };
    enum Health : int32_t
    {
        HEALTH_ILL = 0,
        HEALTH_SAD = 1,
        HEALTH_HAPPY = 2,
        HEALTH_COUNT = 3,
    };
    enum Age : int32_t
    {
        AGE_YOUNG = 0,
        AGE_ADULT = 1,
        AGE_OLD = 2,
    };
    enum ScriptVariable : uint32_t
    {
        VAR_MESS_DATA = 2,
        VAR_ACTION_STATE = 12,
        VAR_MESS_STATE = 25,
        VAR_HOME = 67,
        VAR_EAT_COUNT = 68,
        VAR_PLAY_COUNT = 69,
        VAR_REST_COUNT = 70,
    };
    enum ScriptFunction : uint32_t
    {
        FN_CHECK_DESIRES = 71,
        FN_FIND_EAT_POINT = 72,
        FN_FIND_WANDER_POINT = 73,
        FN_FREE_EAT_POINT = 74,
        FN_DO_MOVE_DELAY = 75,
        FN_FIND_EAT_NODE = 76,
        FN_NEXT_EAT_NODE = 77,
        FN_SET_EAT_COUNT = 78,
        FN_SET_PLAY_COUNT = 79,
        FN_SET_REST_COUNT = 80,
        FN_PLAY_ANIMAL_SOUND = 81,
    };
    // A sold animal brings back this share of its cost.
    static constexpr float kSaleShare = 0.75f;
    // Below this happiness an animal calls for a zookeeper (once, until visited); above kHappy it is happy, above
    // kUnwell sad, else ill.
    static constexpr float kUnwell = 0.33f;
    static constexpr float kHappy = 0.66f;
    // A desire above this moves the animal to that desire's state.
    static constexpr float kDesireUrge = 0.9f;
    // The cell flag of the cells an animal wanders over, and the draws of a new direction before it gives up.
    static constexpr uint32_t kWanderCell = 0x10;
    static constexpr int32_t kWanderDraws = 10;
    // Chances of the animal's sound in the states that make it.
    static constexpr float kActiveSoundChance = 0.9f;
    static constexpr float kMovingSoundChance = 0.3f;
    static constexpr const char* kPanel = "ANIMAL_Menu";
    // The model shown when an animal type's own cannot be loaded.
    static constexpr const char* kFallbackModel = "Data/Models/D_Ezize/testray.tm";
    static constexpr uint32_t kNoSlot = 0xFFFFFFFF;
    // The desire growths: rest ill, sad, happy, then play ill, sad, happy.
    static constexpr int32_t kDesireIncCount = 6;

    AnimalObject();
    ~AnimalObject() override;

    // ---- object operations
    bool Render() override;
    void Dump(SerialStream& stream) override;
    // False, with a report, when the record is cut short or holds a value no animal keeps (a number that is no
    // number, an opinion outside 0 to 1, an age, eat point, eat node or direction out of range).
    bool Load(SerialStream& stream) override;
    void Create(const char* name) override;
    bool IsStateSupported(uint32_t state) override;
    bool OnStateEntry(uint32_t state) override;
    bool Update() override;
    bool OnStateExit() override;
    bool Message(const MessageRecord& record) override;
    bool PostMessage(MessageRecord record) override;
    bool PostDelayedMessage(MessageRecord record, float delay) override;
    void PlayAnimation(const char* name, bool reverse, uint32_t exitState, bool looped,
                       const char* finishName) override;
    ScriptValue GetScriptVariable(const ScriptOperand& operand) override;
    void SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value) override;
    void CallScriptFunction(uint32_t function) override;
    void OnSelected(bool selected, bool lookAt) override;
    void ClosePanel() override;
    void SetDirection(int32_t direction) override;

    // ---- keyword interface
    void GetVariable(const char* keyword, platform::WString& text) override;
    void ResetPanelState() override;

    // ---- the creation request (kind 9): the home building
    bool SetUpFromRequest(uint8_t kind, const void* request) override;

    // ---- what the home building and the World ask
    void SetShowTime() override;
    float GetHappiness() const override { return m_fHappiness; }
    float GetOpinion(int32_t index) const override;
    float GetSaleValue() const override;
    void SetPathSlot(uint32_t slot) override { m_PathSlotNumber = slot; }
    // The player sells the animal (once): its home lets it go, the player is paid, the animal goes.
    void Sell();

    // ---- state read by tests, tools and the panel
    int32_t GetHealthLevel() const;
    float GetDesire(int32_t desire) const { return desire >= 0 && desire < DESIRE_COUNT ? m_Desires[desire] : 0.0f; }
    void SetDesire(int32_t desire, float value)
    {
        if (desire >= 0 && desire < DESIRE_COUNT)
            m_Desires[desire] = value;
    }
    // The growth per game day of a desire at a health level.
    float GetDesireIncrease(int32_t desire, int32_t health) const;
    void SetOpinion(int32_t index, float value)
    {
        if (index >= 0 && index < OPINION_COUNT)
            m_Opinions[index] = value;
    }
    uint32_t GetHome() const { return m_dwHomeID; }
    bool IsIllLocked() const { return m_bIllLocked; }
    int32_t GetAge() const { return m_eAnimalAge; }
    int32_t GetPointUsing() const { return m_iPointUsing; }
    int32_t GetEatNode() const { return m_iEatNode; }
    int32_t GetLastMoveDir() const { return m_iLastMoveDir; }
    void SetLastMoveDir(int32_t direction) { m_iLastMoveDir = direction; }
    uint32_t GetActionState() const { return m_ActionState; }
    uint32_t GetEatCount() const { return m_EatCount; }
    uint32_t GetPlayCount() const { return m_PlayCount; }
    uint32_t GetRestCount() const { return m_RestCount; }
    bool IsFeedingTime() const { return m_bFeedingTime; }
    bool IsShowTime() const { return m_bItsShowTime; }
    uint32_t GetPathSlot() const { return m_PathSlotNumber; }
    // The animal's type; a record of zeros when the tables have none.
    const AnimalInfo& GetAnimalInfo() const;
    const ObjectScript* GetScript() const { return m_pScript; }

private:
    // The home building, or null when it is gone (or is no building).
    BuildingObject* Home() const;
    void UpdateHappiness();
    // A message from the animal to itself (through its script), the sixth field the state given.
    void SendSelf(uint32_t type, uint32_t flags, uint32_t data, uint32_t state);
    void ChangeState(uint32_t state);
    void MoveTo(const platform::Vec3& point);
    void CheckDesires();
    void FindEatPoint();
    void FindWanderPoint();
    void FreeEatPoint();
    void FindEatNode();
    void NextEatNode();
    void PlayAnimalSound();
    // Plays a mesh animation of an action looping (a path animation's partner).
    void PlayMesh(int32_t action);

    const AnimalInfo* m_pInfo = nullptr;
    const ObjectScript* m_pScript = nullptr;
    // The message being handled, read by MessData and MessState; null when none is.
    const MessageRecord* m_pMessage = nullptr;

    float m_Desires[DESIRE_COUNT] = {};
    float m_DesireIncs[kDesireIncCount] = {};
    float m_Opinions[OPINION_COUNT] = {1.0f, 1.0f, 1.0f};
    uint32_t m_dwHomeID = kNoObjectID;
    float m_fHappiness = 1.0f;
    bool m_bIllLocked = false;
    int32_t m_eAnimalAge = AGE_ADULT;
    int32_t m_iPointUsing = -1;
    int32_t m_iEatNode = -1;
    int32_t m_iSleepNode = -1;
    int32_t m_iLastMoveDir = 0;
    uint32_t m_ActionState = 0;
    uint32_t m_EatCount = 0;
    uint32_t m_PlayCount = 0;
    uint32_t m_RestCount = 0;
    bool m_bFeedingTime = false;
    bool m_bItsShowTime = false;
    uint32_t m_PathSlotNumber = kNoSlot;
};
