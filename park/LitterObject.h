// LitterObject: a piece of rubbish a guest dropped. It files its own cleaning request, waits for a cleaner to
// sweep it, and then goes; the map's drawing pass draws it when the eye is near.
#pragma once

#include "park/RequestedObject.h"
#include "world/StaticObject.h"

struct SceneryInfo;

class LitterObject : public StaticObject, public RequestedObject
{
public:
    // The model a piece shows when its own cannot be loaded.
    static constexpr const char* kFallbackModel = "lamp_00";

    LitterObject();

    // Drawn by the map's drawing pass (litter is in no scene): the model where it lies, every part shown.
    bool Render() override;
    // The static record only; the turn is drawn afresh on load.
    void Dump(SerialStream& stream) override;
    bool Load(SerialStream& stream) override;
    void Create(const char* name) override;
    bool IsStateSupported(uint32_t state) override;
    bool OnStateEntry(uint32_t state) override;
    bool Update() override;
    bool OnStateExit() override { return true; }
    bool Message(const MessageRecord& record) override { return StaticObject::Message(record); }

    // ---- the creation request (kind 10): the quarter turn the guest gave it
    bool SetUpFromRequest(uint8_t kind, const void* request) override;

    const SceneryInfo& GetInfo() const { return *m_pInfo; }

private:
    void StartUp();
    void Demolished();
    // A random turn about the vertical axis.
    void TurnAtRandom();

    const SceneryInfo* m_pInfo;
};
