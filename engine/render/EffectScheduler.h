// The effect scheduler: creates fireworks from their descriptions, steps them once per tick and deletes the
// spent ones. It draws its random numbers from a generator of its own, so effects never disturb the game's.
#pragma once

#include "engine/render/EffectSchedulerBase.h"
#include "engine/render/Firework.h"
#include "platform/Random.h"

#include <cstdint>
#include <list>
#include <memory>

class EffectScheduler : public EffectSchedulerBase
{
public:
    // Slots of the ring: effects are spread over them by address and one slot is stepped per tick.
    static constexpr uint32_t kSlotCount = 30 / kEffectUpdateRate;

    // Closed, with the ring of slots built; the global pointer is set while the object lives.
    explicit EffectScheduler(uint32_t slotCount = kSlotCount);
    ~EffectScheduler() override;
    EffectScheduler(const EffectScheduler&) = delete;
    EffectScheduler& operator=(const EffectScheduler&) = delete;

    // Opening also seeds the effects' generator from the clock; SeedRandom after it repeats a show exactly.
    bool Open(EffectSoundCallback sound) override;
    bool Close() override;
    bool Reserved3() override { return false; }
    Firework* Spawn(const FireworkDesc& desc) override;
    bool Remove(Firework* effect) override;
    bool Tick() override;
    uint32_t GetCount() const override { return m_uCount; }

    bool IsOpen() const { return m_bOpen; }
    uint32_t GetHighestCount() const { return m_uHighest; }
    uint32_t GetSlotCount() const { return m_uSlotCount; }
    void SeedRandom(uint32_t seed) { m_random.Seed(seed); }
    platform::RandomGenerator& GetRandom() { return m_random; }

    // The slot of an address: integer noise of its low 32 bits scaled to the slot count, never past the last.
    static uint32_t SlotOf(const void* address, uint32_t slotCount);
    static uint32_t SlotFromNoise(uint32_t noise, uint32_t slotCount);
    static uint32_t AddressNoise(uint32_t address);

private:
    struct Slot
    {
        std::list<Firework*> effects;
        std::list<Firework*>::iterator cursor; // the node a walk visits next
    };
    void EmptySlots();
    // The effect of the description's kind, or null for a kind that makes none.
    Firework* MakeEffect(const FireworkDesc& desc);

    bool m_bOpen = false;
    EffectSoundCallback m_sound;
    uint32_t m_uCount = 0;
    uint32_t m_uHighest = 0;
    uint32_t m_uSlotCount;
    uint32_t m_uCurrent = 0;
    std::unique_ptr<Slot[]> m_pSlots;
    platform::RandomGenerator m_random;
};

// The program's one effect scheduler (closed until someone opens it).
extern EffectScheduler g_EffectScheduler;

// The program's one effect scheduler (closed until someone opens it).
extern EffectScheduler g_EffectScheduler;
