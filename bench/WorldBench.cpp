// Benchmarks of the object framework at a full park: immediate and delayed message delivery over 18,000 objects
// and lookups by id at several pool sizes.
#include "bench/BenchSupport.h"
#include "platform/Random.h"
#include "platform/Report.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/StaticObject.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace
{

// An object that counts what it is sent and answers nothing.
class Counter : public StaticObject
{
public:
    Counter() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    bool Message(const MessageRecord& record) override
    {
        received += record.dwData;
        return true;
    }
    uint64_t received = 0;
};

// A park of `total` objects: 1,500 guests, 500 buildings, 490 litter and the rest other kinds (at 18,000), made
// with some churn so that the ids are not one unbroken run.
struct BenchPark
{
    explicit BenchPark(uint32_t total)
    {
        for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
            RegisterObjectKind(kind, []() -> BaseObject* { return new Counter; });
        world = std::make_unique<World>();
        messages = std::make_unique<MessageHandler>();
        objects = std::make_unique<ObjectManager>();
        const uint32_t guests = total * 1500 / 18000, buildings = total * 500 / 18000, litter = total * 490 / 18000;
        auto make = [&](uint8_t kind, uint32_t n)
        {
            for (uint32_t i = 0; i < n; ++i)
            {
                BaseObject* o = objects->CreateObject("BENCH", kind);
                o->SetType(kind);
                // Every fourth object is replaced at once by another of its kind.
                if (i % 4 == 3)
                {
                    objects->RemoveObject(o->GetID());
                    objects->CreateObject("BENCH", kind)->SetType(kind);
                }
            }
        };
        make(OBJECT_GUEST, guests);
        make(OBJECT_BUILDING, buildings);
        make(OBJECT_LITTER, litter);
        make(OBJECT_SCENERY, total - guests - buildings - litter);
        ids = objects->GetIdsOfKind(OBJECT_GUEST);
        for (uint8_t kind : {OBJECT_BUILDING, OBJECT_LITTER, OBJECT_SCENERY})
        {
            std::vector<uint32_t> more = objects->GetIdsOfKind(kind);
            ids.insert(ids.end(), more.begin(), more.end());
        }
        platform::SRand(1);
        for (size_t i = ids.size() - 1; i > 0; --i)
            std::swap(ids[i], ids[static_cast<size_t>(platform::Rand()) % (i + 1)]);
    }
    ~BenchPark() { ClearObjectKinds(); }

    QuietReports quiet; // the full-pool reports of the set-up
    std::unique_ptr<World> world;
    std::unique_ptr<MessageHandler> messages;
    std::unique_ptr<ObjectManager> objects;
    std::vector<uint32_t> ids; // every live id, shuffled
};

constexpr uint32_t kFullPark = 18000;
constexpr int kImmediatePerFrame = 20000;
constexpr int kDelayedPerFrame = 5000;

MessageRecord To(uint32_t id)
{
    MessageRecord r;
    r.dwSender = kWorldID;
    r.dwReciever = id;
    r.dwType = 60;
    r.dwData = 1;
    return r;
}

// One frame's immediate sends: 20,000 deliveries to objects spread over all four pools.
void BM_ImmediateDelivery(benchmark::State& state)
{
    BenchPark park(kFullPark);
    size_t next = 0;
    for (auto _ : state)
    {
        for (int i = 0; i < kImmediatePerFrame; ++i)
        {
            park.messages->Send(To(park.ids[next]));
            next = next + 1 == park.ids.size() ? 0 : next + 1;
        }
        // The frame ends: the senders' shares start again.
        park.messages->Update();
    }
    state.SetItemsProcessed(state.iterations() * kImmediatePerFrame);
    state.counters["ns_per_delivery"] = benchmark::Counter(static_cast<double>(state.iterations() * kImmediatePerFrame),
                                                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ImmediateDelivery)->Unit(benchmark::kMillisecond);

// One frame's delayed traffic: 5,000 messages posted, then the frame's Update delivers them all.
void BM_DelayedDelivery(benchmark::State& state)
{
    BenchPark park(kFullPark);
    size_t next = 0;
    for (auto _ : state)
    {
        for (int i = 0; i < kDelayedPerFrame; ++i)
        {
            park.messages->SendDelayed(To(park.ids[next]), 0.0f);
            next = next + 1 == park.ids.size() ? 0 : next + 1;
        }
        park.world->AdvanceClock(1.0f / 60.0f);
        park.messages->Update();
    }
    state.SetItemsProcessed(state.iterations() * kDelayedPerFrame);
    state.counters["ns_per_delivery"] = benchmark::Counter(static_cast<double>(state.iterations() * kDelayedPerFrame),
                                                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DelayedDelivery)->Unit(benchmark::kMillisecond);

// A whole frame of both, with 5,000 more delayed messages still waiting for later frames.
void BM_FrameOfMessages(benchmark::State& state)
{
    BenchPark park(kFullPark);
    for (int i = 0; i < kDelayedPerFrame; ++i)
        park.messages->SendDelayed(To(park.ids[static_cast<size_t>(i)]), 1.0e9f);
    size_t next = 0;
    for (auto _ : state)
    {
        for (int i = 0; i < kImmediatePerFrame; ++i)
        {
            park.messages->Send(To(park.ids[next]));
            next = next + 1 == park.ids.size() ? 0 : next + 1;
        }
        for (int i = 0; i < kDelayedPerFrame; ++i)
        {
            park.messages->SendDelayed(To(park.ids[next]), 0.0f);
            next = next + 1 == park.ids.size() ? 0 : next + 1;
        }
        park.world->AdvanceClock(1.0f / 60.0f);
        park.messages->Update();
    }
    state.SetItemsProcessed(state.iterations() * (kImmediatePerFrame + kDelayedPerFrame));
}
BENCHMARK(BM_FrameOfMessages)->Unit(benchmark::kMillisecond);

// Lookups by id at growing pool sizes: the time per lookup should not grow with the number of objects.
void BM_GetObject(benchmark::State& state)
{
    BenchPark park(static_cast<uint32_t>(state.range(0)));
    size_t next = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(park.objects->GetObject(park.ids[next]));
        next = next + 1 == park.ids.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetObject)->Arg(1000)->Arg(4500)->Arg(18000);

} // namespace
