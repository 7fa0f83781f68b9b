// Scenery: every placed decoration of the park (plants, trees, benches, bins, lamps, path furniture, ornaments and
// entrance pieces). What an item does follows from its scenery type: a bench seats guests, a bin fills with litter
// and asks for a cleaner when full, a plant may want water, and an item may mark the ground under it.
#pragma once

#include "park/RequestedObject.h"
#include "world/StaticObject.h"

#include <cstdint>
#include <vector>

struct SceneryInfo;

class Scenery : public StaticObject, public RequestedObject
{
public:
    static constexpr int32_t kMaxSeats = 2;
    // The model an item shows when its own cannot be loaded.
    static constexpr const char* kFallbackModel = "lamp_00";
    // The part of a bin's model shown while it is full.
    static constexpr const char* kFullPart = "FULL";
    // A bin counts as full above this share of its capacity.
    static constexpr float kFullShare = 0.7f;
    // The share of its price the player gets back when an item is demolished.
    static constexpr float kRefundShare = 0.2f;

    Scenery();
    ~Scenery() override;

    // ---- object operations
    bool Render() override;
    void Dump(SerialStream& stream) override;
    // False, with a report, when the saved seats do not hold together (a seat count or seat index out of range).
    bool Load(SerialStream& stream) override;
    // Once the whole park has loaded (a guest may load after its bench): every guest that was sitting on the bench
    // rides on its model again and is out of the park's scene; a guest still on its way to its seat is left as it is,
    // and a seat held for anything but a guest of the park is free again.
    void PostLoad() override;
    void Create(const char* name) override;
    bool IsStateSupported(uint32_t state) override;
    bool OnStateEntry(uint32_t state) override;
    bool Update() override;
    bool OnStateExit() override { return true; }
    bool Message(const MessageRecord& record) override;
    // Moves the item and places its model over the middle of its footprint.
    void SetWorldPosition(const platform::Vec3& position) override;
    void OnSelected(bool open, bool focus) override;
    bool IsSelectable() override;
    void SetDirection(int32_t direction) override;
    bool IsRailPiece() const override;
    // The item demolishes itself (a message the pause never holds back).
    void Demolish() override;
    void GetVariable(const char* keyword, platform::WString& text) override;

    // ---- the creation request (kind 1): the owner
    bool SetUpFromRequest(uint8_t kind, const void* request) override;

    // ---- bins and benches
    // Bins: the litter held; above 70 % of the capacity it counts as full (the capacity), and never below 0. The
    // "FULL" part shows while it is full.
    void SetNumItems(int32_t count);
    int32_t GetNumItems() const { return m_NumItems; }
    // Seats still free; the next guest takes the first free one.
    int32_t GetFreeSeatCount();
    uint32_t GetSeatedGuest(int32_t seat) const
    {
        return seat >= 0 && seat < kMaxSeats ? m_AttachedGuest[seat] : kNoObjectID;
    }
    int32_t GetSeatedCount() const { return m_NumAttachedGuests; }
    int32_t GetSeatCount() const { return m_MaxNumAttachedGuests; }

    const SceneryInfo& GetInfo() const { return *m_pInfo; }
    bool IsBin() const { return m_bIsBin; }
    bool IsBench() const;
    uint32_t GetOwner() const { return m_dwOwner; }
    void SetOwner(uint32_t owner) { m_dwOwner = owner; }
    void SetCanSelect(bool can) { m_bCanSelect = can; }

    // The benches and the bins of the park, so that a guest looking for a seat or a bin does not walk the whole
    // pool of objects. Items come in the order they were made (not in pool order).
    static const std::vector<Scenery*>& GetBenches();
    static const std::vector<Scenery*>& GetBins();

private:
    // Each cell of the footprint, from the item's own cell, grid width columns by grid height rows.
    template <typename Visit> void ForEachFootprintCell(Visit visit) const;
    bool SetsGroundFlags() const;
    void StartUp();
    // The model over the middle of the footprint.
    void PlaceModel();
    void Demolished();
    // A guest asks for a seat (STATE_OCCUPIED) or gives its seat up (any other state).
    bool SeatMessage(const MessageRecord& record);
    // The guest rides on the model at the seat, with the item its seat holder, out of the park's scene; false when
    // the model has no place for the seat, and the guest stays in the scene.
    bool Seat(int32_t seat, BaseObject* guest);
    // Takes the guest off its seat: its model is detached and it goes back into the park's scene.
    void Unseat(int32_t seat);
    // A guest riding on the item (or on nothing) is detached and stands in the park's scene again; anything else is
    // left as it is.
    void SetDown(BaseObject* object);
    // Puts every guest riding on the model back into the park's scene.
    void ReleaseSitters();
    void Register();
    void Unregister();
    void LoadModel();

    uint32_t m_AttachedGuest[kMaxSeats] = {kNoObjectID, kNoObjectID};
    // Each seated guest's state when it sat down (not saved).
    uint32_t m_GuestStates[kMaxSeats] = {kNoObjectID, kNoObjectID};
    int32_t m_NumItems = 0;
    int32_t m_NumAttachedGuests = 0;
    int32_t m_MaxNumAttachedGuests = 1;
    int32_t m_FreeSeat = 0;
    bool m_bCanSelect = false;
    bool m_bIsBin = false;
    uint32_t m_dwOwner = kNoObjectID;
    const SceneryInfo* m_pInfo;
    bool m_bRegistered = false;
    // The footprint has been turned to the item's direction (at its start; a saved item's is saved turned).
    bool m_bTurned = false;
};
