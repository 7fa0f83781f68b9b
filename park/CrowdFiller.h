// CrowdFiller: the cheering figures of a show building's stands. Only what the building calls is here yet: the
// number of seated figures (three per guest in the audience), the last reaction asked for and the time the
// figures' animations have run; the figures, seats and animations come with the component itself.
#pragma once

#include <algorithm>
#include <cstdint>

class CrowdFiller
{
public:
    // What the crowd reacts to.
    enum Reaction : int32_t
    {
        REACT_SHOW_STARTING = 0,
        REACT_MOVE_FINISHED = 3,
        REACT_SHOW_FINISHED = 4,
    };
    static constexpr int32_t kFiguresPerGuest = 3;

    void SetOwner(uint32_t owner) { m_Owner = owner; }
    void React(int32_t code) { m_LastReaction = code; }
    // Moves the figures' animations on by the frame's time.
    void Update(float delta) { m_fTime += delta; }
    // Three figures sit down; three leave, or as many as there are.
    void AddPeople() { m_iFigures += kFiguresPerGuest; }
    void RemovePeople() { m_iFigures = std::max(m_iFigures - kFiguresPerGuest, 0); }
    uint32_t GetOwner() const { return m_Owner; }
    int32_t GetFigureCount() const { return m_iFigures; }
    int32_t GetLastReaction() const { return m_LastReaction; }
    float GetTime() const { return m_fTime; }

private:
    uint32_t m_Owner = 0xFFFFFFFF;
    int32_t m_iFigures = 0;
    // None yet.
    int32_t m_LastReaction = -1;
    float m_fTime = 0.0f;
};
