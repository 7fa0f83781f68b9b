// StaticObject: the base of the objects that stand still on the park grid: footprint and the work flags that
// cleaners, mechanics and their managers set.
#pragma once

#include "world/BaseObject.h"

class StaticObject : public BaseObject
{
public:
    explicit StaticObject(uint32_t sceneKind) : BaseObject(sceneKind) {}

    void Dump(SerialStream& stream) override;
    bool Load(SerialStream& stream) override;
    void Create(const char* name) override;
    bool Update() override;
    // Refuses the no-message type; anything else is a possible state change.
    bool Message(const MessageRecord& record) override;
    virtual bool SetMechanicCalledByPlayer(bool called);

    void SetGridW(uint8_t width) { m_bGridW = width; }
    void SetGridH(uint8_t height) { m_bGridH = height; }
    void SetCleaning(bool cleaning) { m_bCleaning = cleaning; }
    bool SetRepairing(bool repairing) { return m_bRepairing = repairing; }
    void SetCalledCleaning(bool called) { m_bCalledCleaning = called; }
    void SetCalledRepairing(bool called) { m_bCalledRepairing = called; }
    void SetCleanerCalledByPlayer(bool called) { m_bCleanerCalledByPlayer = called; }
    // Occupied, or a mechanic is already at work on it.
    bool IsRepairBusy() const;
    // Occupied, or a cleaner is already at work on it.
    bool IsCleaningBusy() const;

    uint8_t GetGridW() const { return m_bGridW; }
    uint8_t GetGridH() const { return m_bGridH; }
    bool IsCleaning() const { return m_bCleaning; }
    bool IsRepairing() const { return m_bRepairing; }
    bool IsCalledCleaning() const { return m_bCalledCleaning; }
    bool IsCalledRepairing() const { return m_bCalledRepairing; }
    bool IsCleanerCalledByPlayer() const { return m_bCleanerCalledByPlayer; }
    bool IsMechanicCalledByPlayer() const { return m_bMechanicCalledByPlayer; }

protected:
    uint8_t m_bGridW = 0;
    uint8_t m_bGridH = 0;
    bool m_bCleaning = false;
    bool m_bRepairing = false;
    bool m_bCalledCleaning = false;
    bool m_bCalledRepairing = false;
    bool m_bCleanerCalledByPlayer = false;
    bool m_bMechanicCalledByPlayer = false;
};
