// TableObject: a table with four chairs that belongs to a restaurant. A guest who buys a meal reserves a chair; when
// the restaurant serves the guest the table seats it (its model rides on the table's), changes it to eating and
// hands it the meal 20 game seconds later; when the guest is done the chair is free again. TableSeats is what the
// building asks of its tables.
#pragma once

#include "park/RequestedObject.h"
#include "world/StaticObject.h"

#include <array>
#include <cstdint>

class TableSeats
{
public:
    virtual ~TableSeats() = default;
    // None of the table's chairs is taken.
    virtual bool IsFree() const = 0;
    // True when a free chair was given to the guest.
    virtual bool ReserveSeat(uint32_t guest) = 0;
    // True when the guest held a chair of this table, which is now free.
    virtual bool ReleaseSeat(uint32_t guest) = 0;
};

class TableObject : public StaticObject, public TableSeats, public RequestedObject
{
public:
    static constexpr int32_t kChairs = 4;
    // Room for the model name: 19 characters and the terminator.
    static constexpr uint32_t kModelNameSize = 20;
    // Game seconds from sitting down to the meal.
    static constexpr float kMealDelay = 20.0f;

    struct Chair
    {
        int32_t ChairDir = 0;
        uint32_t ChairOccupier = kNoObjectID;
        bool ChairSeated = false;
        int32_t iPosition = 0;
    };

    TableObject();
    ~TableObject() override;

    bool Render() override;
    void Dump(SerialStream& stream) override;
    // False, with a report, when the record is cut short; a model that cannot be loaded shows the placeholder.
    bool Load(SerialStream& stream) override;
    void Create(const char* name) override;
    bool IsStateSupported(uint32_t state) override;
    bool OnStateEntry(uint32_t state) override;
    bool Update() override;
    bool OnStateExit() override { return true; }
    bool Message(const MessageRecord& record) override;
    ScriptValue GetScriptVariable(const ScriptOperand& operand) override
    {
        return BaseObject::GetScriptVariable(operand);
    }
    void SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value) override
    {
        BaseObject::SetScriptVariable(operand, value);
    }

    // ---- the creation request (kind 4): model, place and owner
    bool SetUpFromRequest(uint8_t kind, const void* request) override;

    // The table's model from the building models (the name cut to 19 characters); the placeholder when it cannot
    // be loaded.
    void SetModelName(const char* name);
    // Where the table stands (map units); the model stands on the cell's ground, turned at random.
    void SetPositionAt(float x, float y, float z);
    void SetOwner(uint32_t owner) { m_dwOwner = owner; }

    // ---- chairs
    bool IsFree() const override;
    // The first free chair, in chair order, is kept for the guest; false when all four are taken.
    bool ReserveSeat(uint32_t guest) override;
    // Frees the guest's chair; a seated guest goes back into the park's scene. False when the guest held none.
    bool ReleaseSeat(uint32_t guest) override;
    // After a load: every seated guest rides on the table again and is out of the park's scene; a chair held for no
    // guest of the park, or seating a guest who already sits at another table, is free again.
    void ReattachSeatedGuests();

    const Chair& GetChair(int32_t i) const { return m_Chairs[static_cast<size_t>(i)]; }
    uint32_t GetOwner() const { return m_dwOwner; }
    int32_t GetGuestsAdded() const { return m_GuestsAdded; }
    int32_t GetGuestsRemoved() const { return m_GuestsRemoved; }
    const char* GetModelName() const { return m_cTableModel; }

private:
    // Seats the guest of a reserved chair and serves it (MT_SERVE_GUEST).
    void Serve(uint32_t guest);
    // The seated object rides on the table's model at the chair, out of the park's scene, when the model has a
    // place there.
    void Carry(const Chair& chair, BaseObject* seated);

    std::array<Chair, kChairs> m_Chairs;
    uint32_t m_dwOwner = kNoObjectID;
    int32_t m_GuestsRemoved = 0;
    int32_t m_GuestsAdded = 0;
    char m_cTableModel[kModelNameSize] = {};
};
