// CrowdFiller: the cheering figures of a show building's stands. Only what the building calls is here yet.
#pragma once

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

    void SetOwner(uint32_t owner) { m_Owner = owner; }
    void React(int32_t /*code*/) {}
    void Update(float /*delta*/) {}
    // The two figures' calls the building passes on.
    void AddPeople() {}
    void RemovePeople() {}

    uint32_t GetOwner() const { return m_Owner; }

private:
    uint32_t m_Owner = 0xFFFFFFFF;
};
