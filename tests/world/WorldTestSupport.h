// Shared pieces of the world tests: a probe object that records what happens to it, the park's singletons set
// up for one test, and helpers for reports and message records.
#pragma once

#include "engine/core/GameParameters.h"
#include "scripts/ObjectStates.h"
#include "tests/support/TestSupport.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/StaticObject.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace worldtest
{

// One delivered message as a probe saw it.
struct Seen
{
    uint32_t receiver;
    uint32_t type;
    uint32_t data;
    float time;
};

// A static object that logs its state handlers and messages in one shared journal, and can run a test's code
// from inside its message handling.
class Probe : public StaticObject
{
public:
    Probe() : StaticObject(8) {}
    ~Probe() override;

    bool IsStateSupported(uint32_t state) override { return state != unsupported; }
    bool OnStateEntry(uint32_t state) override;
    bool OnStateExit() override;
    bool Message(const MessageRecord& record) override;

    // The shared journal of every probe: "entry 3", "exit", "msg <receiver> <type>", "dtor <id>".
    static std::vector<std::string>& Journal();
    // Every message delivered to any probe, in delivery order.
    static std::vector<Seen>& Delivered();

    uint32_t unsupported = 0xFFFF;
    bool failEntry = false;
    bool failExit = false;
    // Run after the message has been journalled; its result is the handler's.
    std::function<bool(Probe&, const MessageRecord&)> onMessage;
    int updates = 0;
};

// The park's singletons for one test: a World, a MessageHandler, an ObjectManager and a 16 x 16 map, every kind
// made as a Probe; reports recorded instead of shown.
class Park
{
public:
    Park();
    ~Park();

    // Creates a probe of a kind with its kind byte set, as the World's creation handler would.
    Probe* Make(uint8_t kind, const char* name = "PROBE");
    // Advances the game clock by a frame of `seconds` at speed 1 and delivers what is due.
    void Frame(float seconds);
    // The texts of the reports made since the last call.
    std::vector<std::string> TakeReports();
    size_t CountReports(const std::string& fragment) const;

    testsupport::RecordingReportSink reports;
    std::unique_ptr<World> world;
    std::unique_ptr<WorldMap> map;
    std::unique_ptr<ObjectManager> objects;
    std::unique_ptr<MessageHandler> messages;
};

MessageRecord Record(uint32_t sender, uint32_t receiver, uint32_t type, uint32_t data = 0);

// Game parameters with the given day length, for the life of the object.
class DayLength
{
public:
    explicit DayLength(int seconds);

private:
    testsupport::TempDir m_dir;
    std::unique_ptr<GameParameters> m_params;
};

} // namespace worldtest
