// ShowScheduler: the programme of an animal show building and its performance. Only what the building calls is
// here yet.
#pragma once

#include "platform/gfx/Math.h"

#include <cstdint>
#include <string>

class ShowScheduler
{
public:
    ShowScheduler(const char* showName, int32_t minMoves, int32_t maxMoves)
        : m_ShowName(showName ? showName : ""), m_iMinMoves(minMoves), m_iMaxMoves(maxMoves)
    {
    }

    void SetOwner(uint32_t owner) { m_OwnerID = owner; }
    void SetPosition(float x, float y, float z) { m_Position = {x, y, z}; }
    void SetOrientation(float x, float y, float z) { m_Orientation = {x, y, z}; }
    void StartShow() { m_bShowRunning = true; }
    void UpdateShow() {}
    // The show's rating, 0 to 1.
    float GetRating() const { return 0.0f; }

    uint32_t GetOwner() const { return m_OwnerID; }
    const std::string& GetShowName() const { return m_ShowName; }
    bool IsShowRunning() const { return m_bShowRunning; }
    const platform::Vec3& GetPosition() const { return m_Position; }
    const platform::Vec3& GetOrientation() const { return m_Orientation; }

private:
    std::string m_ShowName;
    int32_t m_iMinMoves;
    int32_t m_iMaxMoves;
    uint32_t m_OwnerID = 0xFFFFFFFF;
    bool m_bShowRunning = false;
    platform::Vec3 m_Position = {};
    platform::Vec3 m_Orientation = {};
};
