// Shared pieces of the world tests.
#include "tests/world/WorldTestSupport.h"

namespace worldtest
{

Probe::~Probe()
{
    Journal().push_back("dtor " + std::to_string(m_dwID));
}

std::vector<std::string>& Probe::Journal()
{
    static std::vector<std::string> journal;
    return journal;
}

std::vector<Seen>& Probe::Delivered()
{
    static std::vector<Seen> delivered;
    return delivered;
}

bool Probe::OnStateEntry(uint32_t state)
{
    Journal().push_back("entry " + std::to_string(state) + " in " + std::to_string(m_dwState));
    return !failEntry;
}

bool Probe::OnStateExit()
{
    Journal().push_back("exit " + std::to_string(m_dwState));
    return !failExit;
}

bool Probe::Message(const MessageRecord& record)
{
    Journal().push_back("msg " + std::to_string(record.dwReciever) + " " + std::to_string(record.dwType));
    Delivered().push_back({record.dwReciever, record.dwType, record.dwData, record.fTime});
    if (onMessage)
        return onMessage(*this, record);
    return StaticObject::Message(record);
}

Park::Park()
{
    Probe::Journal().clear();
    Probe::Delivered().clear();
    ClearObjectKinds();
    for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
        RegisterObjectKind(kind, []() -> BaseObject* { return new Probe; });
    world = std::make_unique<World>();
    map = std::make_unique<WorldMap>(16, 16, WorldMap::kDefaultCellSize, "");
    messages = std::make_unique<MessageHandler>();
    objects = std::make_unique<ObjectManager>();
}

Park::~Park()
{
    objects.reset();
    messages.reset();
    map.reset();
    world.reset();
    ClearObjectKinds();
}

Probe* Park::Make(uint8_t kind, const char* name)
{
    auto* probe = static_cast<Probe*>(objects->CreateObject(name, kind));
    if (probe)
        probe->SetType(kind);
    return probe;
}

void Park::Frame(float seconds)
{
    world->AdvanceClock(seconds);
    messages->Update();
}

std::vector<std::string> Park::TakeReports()
{
    std::vector<std::string> texts;
    for (const auto& box : reports.boxes)
        texts.push_back(box.text);
    reports.boxes.clear();
    return texts;
}

size_t Park::CountReports(const std::string& fragment) const
{
    size_t n = 0;
    for (const auto& box : reports.boxes)
        n += box.text.find(fragment) != std::string::npos ? 1 : 0;
    return n;
}

MessageRecord Record(uint32_t sender, uint32_t receiver, uint32_t type, uint32_t data)
{
    MessageRecord r;
    r.dwSender = sender;
    r.dwReciever = receiver;
    r.dwType = type;
    r.dwData = data;
    return r;
}

DayLength::DayLength(int seconds)
{
    testsupport::WriteText(m_dir.File("gameparameters.pis"),
                           "'iDAY_LENGTH_IN_SECONDS' " + std::to_string(seconds) + "\r\n");
    m_params = std::make_unique<GameParameters>(m_dir.File("gameparameters.pis").c_str());
}

} // namespace worldtest
