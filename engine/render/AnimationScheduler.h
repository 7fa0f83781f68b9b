// The animation scheduler: starts key-frame animations on animated objects and stops each play-once animation
// when its end time comes, keeping the running play-once animations in one list ordered by end time.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

class AnimatedObject;

class AnimationScheduler
{
public:
    // Play type that stops at the end of the animation; every other type runs until replaced.
    static constexpr uint32_t kPlayOnce = 1;
    // Key-time units per scheduler tick (ticks are sixtieths of a game second).
    static constexpr uint32_t kKeyUnitsPerTick = 120;

    AnimationScheduler() = default;
    AnimationScheduler(const AnimationScheduler&) = delete;
    AnimationScheduler& operator=(const AnimationScheduler&) = delete;

    // The ticks an animation runs for (its frame count / 120); 0 for a handle that names no model.
    static uint32_t Length(uint32_t animation);
    // Starts the animation `delay` ticks from now and returns its end time (start + frame count / 120). A running
    // play-once animation of the object is stopped first. Play-once animations are listed until their end.
    uint32_t Play(AnimatedObject* object, uint32_t animation, uint32_t delay, uint32_t type);
    // Sets the time and stops, in end-time order, every listed animation whose end has come. Each entry is stopped
    // at most once an update: an animation played again while the update runs (from a stop) waits for the next.
    void Update(uint32_t now);
    // Forgets the object's entry (the object is not told).
    void Cancel(const AnimatedObject* object);
    // Lists a play-once animation again with its end time, without telling the object (a loaded object).
    void Reschedule(AnimatedObject* object, uint32_t type, uint32_t end);
    // Forgets every entry without telling the objects.
    void Clear();

    uint32_t GetTime() const { return m_uNow; }
    uint16_t GetCount() const { return m_uCount; }
    uint16_t GetHighestCount() const { return m_uHighest; }
    bool IsScheduled(const AnimatedObject* object) const { return Find(object) != nullptr; }
    // The listed objects and end times, front to back.
    std::vector<std::pair<AnimatedObject*, uint32_t>> GetEntries() const;

private:
    struct Entry
    {
        Entry* m_pPrev = nullptr;
        Entry* m_pNext = nullptr;
        AnimatedObject* m_pObject = nullptr;
        uint32_t m_uEnd = 0;
        uint32_t m_uUpdate = 0; // the update during which the entry was listed
    };

    Entry* Find(const AnimatedObject* object) const;
    // One entry per object: an earlier entry of the object is replaced.
    void Insert(AnimatedObject* object, uint32_t end);
    void Unlink(Entry* entry);

    uint32_t m_uNow = 0;
    Entry* m_pHead = nullptr;
    Entry* m_pTail = nullptr;
    std::deque<Entry> m_entries; // every entry made, listed or kept for reuse: they go with the scheduler
    Entry* m_pFree = nullptr;    // entries kept for reuse, chained through m_pNext
    Entry* m_pCursor = nullptr;  // the entry an update visits next (moved on when it is unlinked)
    uint32_t m_uUpdate = 0;      // counts the updates
    uint16_t m_uCount = 0;
    uint16_t m_uHighest = 0;
};

extern AnimationScheduler g_AnimationScheduler;
