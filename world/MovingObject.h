// MovingObject and HumanObject: the base of every object that walks. Movement orders arrive as messages and become
// walks along searched paths, a building's walk points, a queue's points or straight lines, stepped each frame in
// fixed 0.02 s steps of a small steering model; arrival and failure come back to the object as messages.
#pragma once

#include "world/BaseObject.h"
#include "world/Path.h"

#include <deque>
#include <memory>

class BuildingPoints;

class MovingObject : public BaseObject
{
public:
    // Steering behaviours.
    enum Behaviour : int32_t
    {
        BEHAVIOUR_SEEK = 1,
        BEHAVIOUR_ARRIVE = 2,
        BEHAVIOUR_WANDER = 3,
        BEHAVIOUR_FOLLOW = 4,
    };

    enum ScriptVariable : uint32_t
    {
        VAR_DEST_DIR = 24,
        VAR_DEST_OBJECT_EXIT_X = 30,
        VAR_DEST_OBJECT_EXIT_Y = 31,
        VAR_MOVING = 120,
        VAR_DEST_OBJECT = 121,
        VAR_DEST_OBJECT_ENTRANCE_X = 122,
        VAR_DEST_OBJECT_ENTRANCE_Y = 123,
    };

    // The fixed step of the steering, in game seconds.
    static constexpr float kStep = 0.02f;
    static constexpr float kMoveImHereDelay = 0.01f;
    static constexpr float kRampLength = 16.0f;
    static constexpr float kFollowPathRadius = 1.5f;
    static constexpr float kAlreadyThere = 0.1f;
    // The ranges a walker's values keep to; a saved walker outside them is refused. Walking speeds and steering
    // forces (map units per game second): scripts and data set them, about 10 to 60. The mass: 5, which nothing
    // changes. The arrival radius (map units): 1.5, which nothing changes. Game times: the clock's. The game time
    // not yet stepped: at most a frame's longest step and the step left over from the frame before.
    static constexpr float kMinSteer = 0.01f;
    static constexpr float kMaxSteer = 512.0f;
    // The least steering force a walker is given: guest scripts set the force to four tenths of the speed, so the
    // slowest walk has less than kMinSteer (which the steering then uses).
    static constexpr float kMinForce = kMinSteer * 0.4f;
    static constexpr float kMinMass = 1.0f;
    static constexpr float kMaxMass = 100.0f;
    static constexpr float kMaxTolerance = 64.0f;
    static constexpr float kMaxGameTime = 1073741824.0f;
    static constexpr float kMaxTimeRemaining = 4.0f + kStep;

    explicit MovingObject(uint32_t sceneKind);
    ~MovingObject() override;

    void Dump(SerialStream& stream) override;
    // False, with a report, when the record is cut short or does not hold together: a saved path that does not
    // fit the map or itself, walk points beyond what a building holds, or a value outside what a walk makes of it
    // (a position or a point walked to off the map, a speed, force, mass, height or time beyond its range, or no
    // number at all). A refused record leaves the walk as it was.
    bool Load(SerialStream& stream) override;
    void Create(const char* name) override;
    bool Update() override;
    bool Message(const MessageRecord& record) override;
    ScriptValue GetScriptVariable(const ScriptOperand& operand) override;
    void SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value) override;
    // A walker stands on the map: a position off it is taken to its nearest point on the map (a coordinate that is
    // no number leaves the walker where it is along that axis).
    void SetWorldPosition(const platform::Vec3& position) override;

    // The approximate reciprocal the steering uses: the float with bits 0x7F000000 less x's, refined once.
    static float ApproxReciprocal(float x);

    bool IsMoving() const { return m_bMoving; }
    int32_t GetBehaviour() const { return m_eBehaviourState; }
    void SetBehaviour(int32_t behaviour) { m_eBehaviourState = behaviour; }
    void SetFollow(uint32_t id, int32_t distance)
    {
        m_bFollowObject = true;
        m_dwFollowID = id;
        m_iFollowDistance = distance;
        m_bReachedFollowDistance = false;
    }
    const PathFollower* GetPathFollower() const { return m_pFollower.get(); }
    const platform::Vec2& GetSteerPosition() const { return m_vPosition; }
    const platform::Vec2& GetVelocity() const { return m_vVelocity; }
    const platform::Vec2& GetTarget() const { return m_vTarget; }
    const platform::Vec3& GetDestination() const { return m_DestXYZ; }
    uint32_t GetDestObjectID() const { return m_DestObjectID; }
    float GetMaxVelocity() const { return m_fMaxVel; }
    // Kept within kMinSteer to kMaxSteer.
    void SetMaxVelocity(float speed);
    float GetLastTimeRemaining() const { return m_fLastTimeRemaining; }
    float GetZOffset() const { return m_fZOffset; }
    int32_t GetPosOffset() const { return m_iPosOffset; }
    int32_t GetCurrWalkPt() const { return m_iCurrWalkPt; }
    int32_t GetNumWalkPts() const { return m_iNumWalkPts; }
    bool IsWalkingInBuilding() const { return m_bWalkInBuilding; }
    bool IsWalkingThruBuilding() const { return m_bWalkThruBuilding; }
    bool IsWalkingOnQueue() const { return m_bWalkOnQueue; }
    bool IsFollowing() const { return m_bFollowObject; }
    bool IsWaitingForMoveImHere() const { return m_bWaitingForMoveImHere; }
    const std::deque<int32_t>& GetQueueXPos() const { return m_QueueXPos; }
    const std::deque<int32_t>& GetQueueYPos() const { return m_QueueYPos; }

protected:
    // A message from the object to itself: sender and receiver its id, the sixth field its state.
    MessageRecord SelfMessage(uint32_t type, uint32_t flags = 0, uint32_t data = 0) const;
    void SendSelf(uint32_t type, uint32_t flags = 0, uint32_t data = 0);
    // Ends the walk and posts MT_MOVEIMHERE a little later.
    void Stop();
    // Ends the walk because what it led to is gone: every walk mode is dropped and MT_CANT_MOVE is sent.
    void StopLost();
    void ReleaseFollower();

    float m_fLastTimeRemaining = 0.0f;
    bool m_bMoving = false;
    float m_fMass = 5.0f;
    platform::Vec2 m_vPosition = {0.0f, 0.0f};
    platform::Vec2 m_vVelocity = {0.0f, 0.0f};
    platform::Vec2 m_vSteerForce = {0.0f, 0.0f};
    float m_fMaxForce = 15.0f;
    float m_fMaxVel = 35.0f;
    platform::Vec2 m_vTarget = {0.0f, 0.0f};
    platform::Vec3 m_DestXYZ = {0.0f, 0.0f, 0.0f};
    uint32_t m_DestObjectID = 0;
    uint32_t m_BuildingLeavingID = 0;
    int32_t m_eBehaviourState = BEHAVIOUR_SEEK;
    uint32_t m_GroupID = 0;
    bool m_bFollowObject = false;
    uint32_t m_dwFollowID = kNoObjectID;
    int32_t m_iFollowDistance = 0;
    bool m_bReachedFollowDistance = false;
    std::unique_ptr<PathFollower> m_pFollower;
    bool m_bWalkInBuilding = false;
    uint32_t m_dwBuildingID = kNoObjectID;
    bool m_bBuildingTraversal = false;
    int32_t m_iNumWalkPts = 0;
    int32_t m_iCurrWalkPt = 0;
    bool m_bWalkThruBuilding = false;
    bool m_bWalkOnQueue = false;
    bool m_bQueueTraversal = false;
    int32_t m_iTargetQueuePt = 0;
    std::deque<int32_t> m_QueueXPos;
    std::deque<int32_t> m_QueueYPos;
    int32_t m_iPosOffset = 0;
    bool m_bWaitingForMoveImHere = false;
    float m_fMessageReceived = 0.0f;
    float m_fTargetTolerance = 1.5f;
    float m_fZOffset = 0.0f;
    float m_fZRampDistance = -1.0f;
    float m_fZStartOffset = 0.0f;
    float m_fZEndOffset = 0.0f;

private:
    struct SavedWalk;
    // Reads the walker's own part of a saved record into `saved`; false with a report when it is cut short, does
    // not hold together or holds a value out of range.
    bool ReadWalk(SerialStream& stream, SavedWalk& saved);
    // Keeps a point on the map (no map: unchanged).
    static void KeepOnMap(platform::Vec2& point);

    // The building with its points, or null when the id names no object or no building.
    static BuildingPoints* FindBuilding(uint32_t id);
    // Sets the target of the next steering step; false when the walk has ended.
    bool UpdateTarget();
    // One steering step; true when the target has been reached.
    bool Steer(float dt);
    void Arrive();
    // Marks the path blocked, drops it and asks for a new search to the destination.
    void SearchAgain();
    void PlaceSceneObject();
    void UpdateHeight(const platform::Vec2& before);

    // A new order to a point or an object replaces the walk under way: the building's walk points, the walk
    // through it or the queue's points are walked no further.
    void EndWalkModes();
    // False (the walk stopped with MT_CANT_MOVE) when the destination lies off the map.
    bool DestinationOnMap();
    bool StartPointOrder(const MessageRecord& record);
    // False (the walk stopped with MT_CANT_MOVE) when the destination object is gone or off the map.
    bool StartObjectOrder(const MessageRecord& record, bool alwaysQueueFirst);
    // The start of an order that searches: false when it ended at once; else the walk is on.
    bool StartOrder(const MessageRecord& record, bool toPoint, bool alwaysQueueFirst);
    // Runs the searches of an order; true when a follower was found.
    bool SearchKind(int32_t kind, GridPos start, GridPos end, uint32_t snapMask);
    bool SearchFootpath(GridPos start, GridPos end, uint32_t mask);
    void EndOrder(bool searched);
    void HandlePavementFailure(const GridPos& start, const GridPos& end, uint32_t mask);
    void MoveAlongQueue(const MessageRecord& record);
    void MoveInBuilding(const MessageRecord& record, bool through);

    bool m_bSearched = false;
    // Counts the releases of the path follower, so that a step can tell a new order given while it ran.
    uint32_t m_uFollowerReleases = 0;
    // While a saved record is read its position is taken as it was saved, to be checked, height and all (which the
    // object itself keeps at 0).
    bool m_bLoading = false;
    float m_fLoadedHeight = 0.0f;
};

// The common base of guests and staff.
class HumanObject : public MovingObject
{
public:
    static constexpr uint32_t kUnknownVariable = 126;

    explicit HumanObject(uint32_t sceneKind) : MovingObject(sceneKind) {}

    void Dump(SerialStream& stream) override;
    bool Load(SerialStream& stream) override;
    void Create(const char* name) override;
    // Reports a failed movement step and goes on.
    bool Update() override;
    bool Message(const MessageRecord& record) override;
    // Guests and staff send through their scripts: here nothing is sent.
    bool PostMessage(MessageRecord record) override;
    bool PostDelayedMessage(MessageRecord record, float delay) override;
    ScriptValue GetScriptVariable(const ScriptOperand& operand) override;
    void SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value) override;
};
