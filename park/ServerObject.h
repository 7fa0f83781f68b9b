// ServerObject: the person behind a shop's or restaurant's counter. Its building sends it each guest who has paid;
// it hands the goods over two game seconds later, tells the building and plays its serve animation. Everything it
// does is written in its message handling: it has no behaviour script, no panel and cannot be picked up.
#pragma once

#include "park/StaffObject.h"

class ServerObject : public StaffObject
{
public:
    // Game seconds between a guest's payment and the goods.
    static constexpr float kServeDelay = 2.0f;

    ServerObject();

    void Dump(SerialStream& stream) override;
    bool Load(SerialStream& stream) override;
    void StopAnimation() override;
    void Create(const char* name) override;
    bool IsStateSupported(uint32_t state) override;
    bool OnStateEntry(uint32_t state) override;
    bool Update() override;
    bool OnStateExit() override { return true; }
    bool Message(const MessageRecord& record) override;
    bool PostMessage(MessageRecord record) override;
    bool PostDelayedMessage(MessageRecord record, float delay) override;
    void OnSelected(bool /*open*/, bool /*focus*/) override {}
    bool SetUpFromRequest(uint8_t kind, const void* request) override;

    // 1 while the serve animation plays, 0 while the server stands.
    uint32_t GetServeState() const { return m_dwActionState; }

private:
    uint32_t m_dwActionState = 0;
};
