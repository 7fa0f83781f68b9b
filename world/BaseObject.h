// BaseObject: the root of every game object: name, id, kind, position, facing, state, animation list, messages,
// script variables, the keyword interface and the object's save record.
#pragma once

#include "engine/render/AnimatedObject.h"
#include "gui/DialogListener.h"
#include "scripts/ScriptHost.h"
#include "scripts/ScriptValue.h"
#include "world/MessageRecord.h"
#include "world/WorldMap.h"

#include <cstdint>
#include <string>
#include <vector>

class BuildingPoints;

// One anim-list record: the animations of a model (an owner keyword), played by a short name and stored in
// `count` files "<prefix><stem>_NN.tm".
struct AnimListItem
{
    std::string owner;
    std::string name;
    std::string stem;
    int32_t count = 0;
};

// The anim-list records of a model keyword, in data-file order (from the game data tables).
std::vector<AnimListItem> CollectAnimList(const char* modelKeyword);

// Its script sees it through ScriptObject: the id, state and position accessors and the script operations below
// implement that interface.
class BaseObject : public AnimatedObject, public DialogListener, public ScriptObject
{
public:
    // Room for a name: 15 characters and the terminator.
    static constexpr uint32_t MAX_NAMESIZE = 16;
    // Longest short name kept in the animation list.
    static constexpr uint32_t kMaxAnimNameLength = 19;
    // Most animation files one object loads; a longer anim list is refused.
    static constexpr uint32_t kMaxAnimations = 1024;

    // Script variable ids answered here.
    enum ScriptVariable : uint32_t
    {
        VAR_WAITING_FOR_DEATH = 20,
        VAR_WORLD_X = 79,
        VAR_WORLD_Y = 80,
        VAR_WORLD_STARTED = 106,
        VAR_ME = 107,
        VAR_NO_OBJECT = 110,
        VAR_TRUE = 111,
        VAR_FALSE = 112,
        VAR_STATE = 114,
        VAR_GAME_TIME = 115,
    };

    explicit BaseObject(uint32_t sceneKind);
    ~BaseObject() override;

    // Scene-object operations.
    bool Tick() override;
    // Draws the model unanimated while the object is visible.
    bool Render() override;
    void Dump(SerialStream& stream) override;
    bool Load(SerialStream& stream) override;
    // After a whole park has loaded: relinks what the object holds by id (nothing by default).
    virtual void PostLoad() {}
    // The World's removal step is about to delete the object, while every other object still exists: it lets go of
    // what other objects keep of it (nothing by default).
    virtual void OnRemoval() {}
    // The animation has ended: posts the end-of-animation message once, when one is set.
    void StopAnimation() override;

    // Initialises the members and takes the definition name (cut to MAX_NAMESIZE - 1 characters, with a report).
    virtual void Create(const char* name);
    virtual bool IsStateSupported(uint32_t state) = 0;
    virtual bool OnStateEntry(uint32_t state) = 0;
    // The shared step that every class's update runs: clears the one-shot debug flag.
    virtual bool Update() = 0;
    virtual bool OnStateExit() = 0;
    // The state change that every class's message handling runs: false for any message but MT_STATECHANGE.
    virtual bool Message(const MessageRecord& record) = 0;
    virtual bool PostMessage(MessageRecord record);
    virtual bool PostDelayedMessage(MessageRecord record, float delay);
    virtual uint32_t SetAnimationEndMessage(uint32_t type);
    virtual void PlayAnimation(const char* name, bool reverse, uint32_t exitState, bool looped, const char* finishName);
    virtual ScriptValue GetScriptVariable(const ScriptOperand& operand);
    virtual void SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value);
    virtual void CallScriptFunction(uint32_t function);
    // Moves the object (z is kept at 0) and keeps it in the object list of the map cell under it.
    virtual void SetWorldPosition(const platform::Vec3& position);
    virtual void OnSelected(bool open, bool focus);
    virtual void ClosePanel();
    virtual bool IsSelectable();
    virtual void SetVisible(bool visible);
    virtual void GetCentrePosition(platform::Vec3& centre);
    // Facing in radians.
    virtual float GetRotation();
    virtual void SetDirection(int32_t direction);
    // The points of a building that walkers walk to (null for every object that is not a building).
    virtual BuildingPoints* GetBuildingPoints();
    // True for scenery whose type is a rail piece.
    virtual bool IsRailPiece() const;
    // Has the object demolish itself (scenery does; other objects ignore it).
    virtual void Demolish();
    // Writes where the object's sounds come from (scene units) into `position`; an object that makes no sound of
    // its own writes nothing (buildings write their position).
    virtual void GetSoundPosition(platform::Vec3& position);

    // Keyword interface.
    void GetVariable(const char* keyword, platform::WString& text) override;
    void SetVariable(const char* keyword, const int32_t* value) override;
    void ResetPanelState() override;

    void SetID(uint32_t id) { m_dwID = id; }
    void SetType(uint8_t kind) { m_bType = kind; }
    // Stores the state without running exit or entry behaviour.
    void SetState(uint32_t state) { m_dwState = state; }
    void SetWaitingForDeath(bool waiting) { m_bWaitingForDeath = waiting; }
    // The one-shot debug flag (the object's next update clears it).
    void SetDebugBreak(bool on) { m_bDebugBreak = on; }
    GridPos GetGridPos() const { return WorldMap::WorldToGrid(m_WorldXYZ); }

    // Rebuilds the animation list and table from the anim-list records of a model keyword.
    void LoadAnimationList(const char* modelKeyword, const char* pathPrefix);
    // The same from records already collected.
    void LoadAnimationList(const std::vector<AnimListItem>& records, const char* pathPrefix);
    // The table index of an animation with this short name (one of them at random when several share it), or
    // -1 when there is none.
    int32_t FindAnimationIndex(const char* name) const;
    // Copies the script name of a state into the caller's buffer (cut to fit).
    static void GetStateName(uint32_t state, char* text, size_t capacity);

    const char* GetName() const { return m_Name; }
    uint32_t GetID() const { return m_dwID; }
    uint8_t GetType() const { return m_bType; }
    uint32_t GetState() const { return m_dwState; }
    const platform::Vec3& GetWorldPosition() const { return m_WorldXYZ; }
    bool IsVisible() const { return m_bVisible; }
    bool IsWaitingForDeath() const { return m_bWaitingForDeath; }
    bool IsDebugBreak() const { return m_bDebugBreak; }
    int32_t GetSelectLevel() const { return m_SelectLevel; }
    int32_t GetDirection() const { return m_iDirection; }
    uint32_t GetAnimationEndMessage() const { return m_EndAnimMessage; }
    const std::vector<std::string>& GetAnimationList() const { return m_AnimationList; }

protected:
    // Leaves the map cell list of the current position.
    void LeaveMapCell();

    bool m_bWaitingForDeath = false;
    char m_Name[MAX_NAMESIZE] = {};
    uint32_t m_dwID = 0xFFFFFFFF;
    uint8_t m_bType = 0;
    platform::Vec3 m_WorldXYZ = {0.0f, 0.0f, 0.0f};
    uint32_t m_dwState = 0;
    bool m_bVisible = true;
    bool m_bDebugBreak = false;
    int32_t m_SelectLevel = 0;
    int32_t m_iDirection = 0;
    uint32_t m_EndAnimMessage = 103;
    std::vector<std::string> m_AnimationList;
};
