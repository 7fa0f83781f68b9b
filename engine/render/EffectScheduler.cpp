// The effect scheduler: a ring of effect lists, the slot of each effect taken from its address.
#include "engine/render/EffectScheduler.h"

#include "platform/Time.h"

#include <cstdint>
#include <new>

EffectScheduler g_EffectScheduler;

EffectScheduler::EffectScheduler(uint32_t slotCount)
    : m_uSlotCount(slotCount ? slotCount : 1), m_pSlots(std::make_unique<Slot[]>(m_uSlotCount))
{
    for (uint32_t s = 0; s < m_uSlotCount; ++s)
        m_pSlots[s].cursor = m_pSlots[s].effects.end();
    if (!g_pEffectScheduler)
        g_pEffectScheduler = this;
}

EffectScheduler::~EffectScheduler()
{
    if (m_bOpen)
        Close();
    if (g_pEffectScheduler == this)
        g_pEffectScheduler = nullptr;
}

uint32_t EffectScheduler::AddressNoise(uint32_t a)
{
    const uint32_t n = (a << 13) ^ a;
    return ((n * n * 15731u + 789221u) * n - 771171059u) & 0x7FFFFFFFu;
}

uint32_t EffectScheduler::SlotFromNoise(uint32_t noise, uint32_t slotCount)
{
    const double fraction = 1.0 - static_cast<double>(noise) / 2147483648.0;
    const uint32_t slot = static_cast<uint32_t>(fraction * static_cast<double>(slotCount));
    // Noise 0 would give the slot count itself.
    return slot < slotCount ? slot : slotCount - 1;
}

uint32_t EffectScheduler::SlotOf(const void* address, uint32_t slotCount)
{
    const uint32_t low = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address));
    return SlotFromNoise(AddressNoise(low), slotCount);
}

bool EffectScheduler::Open(EffectSoundCallback sound)
{
    if (m_bOpen)
        return false;
    m_sound = std::move(sound);
    m_random.Seed(platform::TickCount());
    m_bOpen = true;
    return true;
}

void EffectScheduler::EmptySlots()
{
    for (uint32_t s = 0; s < m_uSlotCount; ++s)
    {
        Slot& slot = m_pSlots[s];
        while (!slot.effects.empty())
        {
            Firework* effect = slot.effects.front();
            slot.effects.pop_front();
            delete effect;
        }
        slot.cursor = slot.effects.end();
    }
    m_uCount = 0;
}

bool EffectScheduler::Close()
{
    if (!m_bOpen)
        return false;
    EmptySlots();
    m_bOpen = false;
    return true;
}

Firework* EffectScheduler::Spawn(const FireworkDesc& desc)
{
    if (!m_bOpen)
        return nullptr;
    Firework* effect = nullptr;
    try
    {
        effect = MakeEffect(desc);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
    if (!effect)
        return nullptr;
    m_pSlots[SlotOf(effect, m_uSlotCount)].effects.push_back(effect);
    ++m_uCount;
    if (m_uCount > m_uHighest)
        m_uHighest = m_uCount;
    return effect;
}

Firework* EffectScheduler::MakeEffect(const FireworkDesc& desc)
{
    switch (desc.kind)
    {
    case FIREWORK_SPARKLER:
        return new FireworkKind4(desc, m_random);
    case FIREWORK_SHELL:
        return new FireworkKind3(desc, m_sound, m_random);
    case FIREWORK_FOUNTAIN:
        return new FireworkKind2(desc, m_random);
    case FIREWORK_SMOKE:
        return new FireworkKind1(desc, m_random);
    default:
        return nullptr;
    }
}

bool EffectScheduler::Remove(Firework* effect)
{
    if (!m_bOpen || !effect)
        return false;
    Slot& slot = m_pSlots[SlotOf(effect, m_uSlotCount)];
    for (auto it = slot.effects.begin(); it != slot.effects.end(); ++it)
    {
        if (*it != effect)
            continue;
        // A walk standing on the removed node goes on with the next one.
        if (slot.cursor == it)
            ++slot.cursor;
        slot.effects.erase(it);
        --m_uCount;
        delete effect;
        return true;
    }
    return false;
}

bool EffectScheduler::Tick()
{
    if (!m_bOpen)
        return false;
    m_uCurrent = (m_uCurrent + 1) % m_uSlotCount;
    Slot& slot = m_pSlots[m_uCurrent];
    bool result = true;
    slot.cursor = slot.effects.begin();
    while (slot.cursor != slot.effects.end())
    {
        Firework* effect = *slot.cursor;
        ++slot.cursor;
        if (!effect)
            break;
        if (!effect->Tick() && !Remove(effect))
            result = false;
    }
    slot.cursor = slot.effects.end();
    return result;
}
