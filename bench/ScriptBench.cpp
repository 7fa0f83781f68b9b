// Benchmark of object scripts at a full park: 1,500 guests each running a 60-line OnUpdate list of conditions and
// integer and float arithmetic every frame (target: under 1 ms per frame).
#include "bench/BenchSupport.h"
#include "platform/Random.h"
#include "platform/Report.h"
#include "scripts/ObjectScript.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/StaticObject.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

// A guest-like object: its class answers its own variables (by id, any type) and hands the rest to the base.
class ScriptedGuest : public StaticObject
{
public:
    static constexpr uint32_t kVariables = 128;

    ScriptedGuest() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    ScriptValue GetScriptVariable(const ScriptOperand& operand) override
    {
        if (operand.id < kVariables && m_bKnown[operand.id])
            return m_Vars[operand.id];
        return BaseObject::GetScriptVariable(operand);
    }
    void SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value) override
    {
        if (operand.id < kVariables && m_bKnown[operand.id])
            m_Vars[operand.id] = value;
        else
            BaseObject::SetScriptVariable(operand, value);
    }
    void CallScriptFunction(uint32_t function) override { m_uCalls += function; }

    void Define(uint32_t id, const ScriptValue& value)
    {
        m_bKnown[id] = true;
        m_Vars[id] = value;
    }

    uint32_t m_uCalls = 0;

private:
    bool m_bKnown[kVariables] = {};
    ScriptValue m_Vars[kVariables] = {};
};

// Sixty lines of a wandering guest's update: its mood, purse, energy, bladder and queue bookkeeping.
const char* const kUpdateScript = R"(State STATE_GUEST_WALK_AROUND
OnUpdate
  Minus Happiness 0.001 ;
  If (Happiness < 0.2)
    Set ShouldLeavePark true ;
  Else
    Set ShouldLeavePark false ;
  End
  Add EnergyLevel 1 ;
  If (EnergyLevel >= 1000)
    Set EnergyLevel NumTimesBlocked ;
    Add Happiness 0.05 ;
  End
  MinusZeroCap MaxPrice 0.01 ;
  If (Cash <= MaxPrice)
    Add MissedPurchase 1 ;
  Else
    Minus Cash 1 ;
    Add Cash 1 ;
  End
  If (ShouldLeavePark && NotOnPath)
    Add NumTimesBlocked 1 ;
  End
  If (QueuePos != 0)
    Multiply QueueSpeed 1.0001 ;
    Divide QueueSpeed 1.0001 ;
  End
  If (WalkSpeed == 1.5)
    Add LitterInBin 1 ;
  End
  If (DesiredCommodText == "Chips")
    Add AttractionIndex 1 ;
    Minus AttractionIndex 1 ;
  End
  Switch (ActionState)
    Case 0:
      Add LastAction 1 ;
    Case 1:
      Minus LastAction 1 ;
    Case Default:
      Set LastAction 0 ;
  End
  If (CommodPrice > 2.5)
    Multiply CommodPrice 0.999 ;
  Else
    Multiply CommodPrice 1.001 ;
  End
  If (MissedPurchase > 10)
    Set MissedPurchase ActionState ;
    Function AlterPriceOpinion ;
  End
  Add BestOpinionVal WorstOpinionVal ;
  Minus BestOpinionVal WorstOpinionVal ;
  If (IceDropScore || CanLeaveBuilding)
    Add IceDropScore 0 ;
  End
  If (State == STATE_GUEST_WALK_AROUND)
    Add ViewPointCount 1 ;
  End
  If (Happiness > 2.9)
    Set Happiness 2.9 ;
  End
End
End
)";

struct ScriptPark
{
    static constexpr uint32_t kGuests = 1500;

    ScriptPark()
    {
        RegisterObjectKind(OBJECT_GUEST, []() -> BaseObject* { return new ScriptedGuest; });
        world = std::make_unique<World>();
        messages = std::make_unique<MessageHandler>();
        objects = std::make_unique<ObjectManager>();
        const std::string text = kUpdateScript;
        script.Compile(text.data(), static_cast<uint32_t>(text.size()));
        platform::SRand(3);
        for (uint32_t i = 0; i < kGuests; ++i)
        {
            auto* guest = static_cast<ScriptedGuest*>(objects->CreateObject("GUEST", OBJECT_GUEST));
            guest->SetType(OBJECT_GUEST);
            guest->SetState(STATE_GUEST_WALK_AROUND);
            const float spread = static_cast<float>(platform::Rand()) / static_cast<float>(platform::kRandMax);
            // Floats: mood, prices, speeds; integers: counters, cash, positions in queues.
            for (uint32_t id : {8u, 5u, 9u, 15u, 16u, 18u, 19u})
                guest->Define(id, ScriptValue::Float(spread * 3.0f));
            for (uint32_t id : {4u, 6u, 12u, 21u, 23u, 26u, 27u, 28u, 29u, 36u, 37u, 59u, 60u, 104u})
                guest->Define(id, ScriptValue::UInt(static_cast<uint32_t>(platform::Rand()) % 20));
            guest->Define(32, ScriptValue::Text(i % 3 == 0 ? "chips" : "Fish"));
            guests.push_back(guest);
        }
    }
    ~ScriptPark() { ClearObjectKinds(); }

    void Frame()
    {
        for (ScriptedGuest* guest : guests)
            script.PerformOnUpdate(*guest, guest->GetState());
    }

    QuietReports quiet;
    std::unique_ptr<World> world;
    std::unique_ptr<MessageHandler> messages;
    std::unique_ptr<ObjectManager> objects;
    ObjectScript script;
    std::vector<ScriptedGuest*> guests;
};

void BM_ObjectScriptUpdateFrame(benchmark::State& state)
{
    ScriptPark park;
    if (park.script.GetNumStates() != 1 || park.script.GetState(0).onUpdate.Size() != 18)
        state.SkipWithError("the update script did not compile");
    for (auto _ : state)
        park.Frame();
    state.SetItemsProcessed(state.iterations() * ScriptPark::kGuests);
}
BENCHMARK(BM_ObjectScriptUpdateFrame)->Unit(benchmark::kMillisecond);

} // namespace
