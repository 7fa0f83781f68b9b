// World: the park. Its game clock, pause flag and message entry; the rest of the park joins it as it is built.
#pragma once

#include "scripts/ScriptHost.h"
#include "scripts/ScriptManager.h"
#include "world/MessageRecord.h"

#include <cstdint>

// The park is the host its scripts run in (the pause, the message bus, scene positions).
class World : public ScriptHost
{
public:
    // Longest game time step of one frame, in game seconds.
    static constexpr float kMaxGameDeltaTime = 4.0f;

    // Stores the global pointer; the clock starts at 09:00 of day 0 when the day length is known ("iDAY_LENGTH_IN_
    // SECONDS" of the game parameters), at 0 otherwise; speed 1, not paused.
    World();
    virtual ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // The World's message entry (receiver kWorldID). With a payload it is a creation request; without one a
    // control message, which is always taken (true).
    virtual bool HandleMessage(const MessageRecord& record, const void* payload);

    // Advances the game clock by one frame of frameTime real seconds: nothing while paused, the frame time times
    // the game speed otherwise, at most kMaxGameDeltaTime; then the day count and the hour of day.
    void AdvanceClock(float frameTime);

    float GetGameTime() const { return m_fGameTime; }
    float GetGameDeltaTime() const { return m_fGameDeltaTime; }
    int32_t GetGameDay() const { return m_GameDay; }
    // Hour of day, above 0 up to and including 24.
    float GetGameDayTime() const { return m_GameDayTime; }
    int32_t GetDayLength() const { return m_iDayLength; }
    bool IsPaused() const { return m_bPaused; }
    void SetPaused(bool paused) { m_bPaused = paused; }
    // True only while the park is being built.
    bool IsStartingUp() const { return m_bStartup; }

    // Script host.
    bool PostScriptMessage(const MessageRecord& record) override;
    bool PostScriptMessageDelayed(const MessageRecord& record, float delay) override;
    platform::Vec3 ScenePosition(const platform::Vec3& worldPosition) const override;
    ScriptManager& GetScriptManager() { return m_ScriptManager; }

protected:
    float m_fGameTime = 0.0f;
    int32_t m_GameDay = 0;
    float m_GameDayTime = 0.0f;
    float m_LastGameDayTime = 0.0f;
    float m_fGameDeltaTime = 0.0f;
    float m_fGameSpeed = 1.0f;
    int32_t m_GameSpeedLevel = 0;
    // Game seconds per day; 0 when unknown (the day count and hour then stay put).
    int32_t m_iDayLength = 0;
    bool m_bStartup = true;
    bool m_bPaused = false;
    bool m_bForcedPaused = false;
    // The registered object scripts; they run in this park.
    ScriptManager m_ScriptManager{this};
};

// The park while it exists, null otherwise.
extern World* g_pWorld;
