// The animation scheduler: play, the end-time ordered list of play-once animations, and their stopping.
#include "engine/render/AnimationScheduler.h"

#include "engine/render/AnimatedObject.h"
#include "engine/render/ModelManager.h"

AnimationScheduler g_AnimationScheduler;

AnimationScheduler::Entry* AnimationScheduler::Find(const AnimatedObject* object) const
{
    for (Entry* e = m_pHead; e; e = e->m_pNext)
        if (e->m_pObject == object)
            return e;
    return nullptr;
}

void AnimationScheduler::Unlink(Entry* entry)
{
    if (entry == m_pCursor)
        m_pCursor = entry->m_pNext;
    (entry->m_pPrev ? entry->m_pPrev->m_pNext : m_pHead) = entry->m_pNext;
    (entry->m_pNext ? entry->m_pNext->m_pPrev : m_pTail) = entry->m_pPrev;
    entry->m_pPrev = nullptr;
    entry->m_pNext = m_pFree;
    entry->m_pObject = nullptr;
    m_pFree = entry;
    --m_uCount;
}

void AnimationScheduler::Insert(AnimatedObject* object, uint32_t end)
{
    if (Entry* old = Find(object))
        Unlink(old);
    Entry* entry = m_pFree;
    if (entry)
        m_pFree = entry->m_pNext;
    else
        entry = &m_entries.emplace_back();
    entry->m_pObject = object;
    entry->m_uEnd = end;
    entry->m_uUpdate = m_uUpdate;

    // Before the head when earlier than it, at the tail when at least as late as the tail (or the end is 0),
    // else in front of the first entry that ends strictly later.
    Entry* before = nullptr;
    if (end != 0 && m_pHead)
    {
        if (end < m_pHead->m_uEnd)
        {
            before = m_pHead;
        }
        else if (end < m_pTail->m_uEnd)
        {
            before = m_pHead;
            while (before && before->m_uEnd <= end)
                before = before->m_pNext;
        }
    }
    entry->m_pNext = before;
    entry->m_pPrev = before ? before->m_pPrev : m_pTail;
    (entry->m_pPrev ? entry->m_pPrev->m_pNext : m_pHead) = entry;
    (before ? before->m_pPrev : m_pTail) = entry;
    ++m_uCount;
    if (m_uCount > m_uHighest)
        m_uHighest = m_uCount;
}

uint32_t AnimationScheduler::Length(uint32_t animation)
{
    uint32_t frames = 0;
    if (const OptModel* opt = g_ModelManager.GetOptModel(animation))
        frames = opt->m_uFrameCount;
    else if (const SModel* model = g_ModelManager.GetModel(animation))
        frames = model->m_uFrameCount;
    return frames / kKeyUnitsPerTick;
}

uint32_t AnimationScheduler::Play(AnimatedObject* object, uint32_t animation, uint32_t delay, uint32_t type)
{
    if (!object)
        return 0;
    if (object->IsAnimating() && object->GetAnimationType() == kPlayOnce)
    {
        object->StopAnimation();
        Cancel(object);
    }
    const uint32_t start = m_uNow + delay;
    const uint32_t end = start + Length(animation);
    object->StartAnimation(animation, start, type, end);
    if (type == kPlayOnce)
        Insert(object, end);
    return end;
}

void AnimationScheduler::Update(uint32_t now)
{
    m_uNow = now;
    // Entries listed from here on carry this update's number and are passed over: a stop that plays again (even
    // an animation that ends at once) is stopped by a later update, never again by this one. A stop may unlink
    // any entry; the cursor moves on past it.
    const uint32_t update = ++m_uUpdate;
    m_pCursor = m_pHead;
    while (m_pCursor && m_pCursor->m_pObject && m_pCursor->m_uEnd <= now)
    {
        Entry* entry = m_pCursor;
        m_pCursor = entry->m_pNext;
        if (entry->m_uUpdate == update)
            continue;
        AnimatedObject* object = entry->m_pObject;
        Unlink(entry);
        object->StopAnimation();
    }
    m_pCursor = nullptr;
}

void AnimationScheduler::Cancel(const AnimatedObject* object)
{
    if (Entry* entry = Find(object))
        Unlink(entry);
}

void AnimationScheduler::Reschedule(AnimatedObject* object, uint32_t type, uint32_t end)
{
    if (object && type == kPlayOnce)
        Insert(object, end);
}

void AnimationScheduler::Clear()
{
    while (m_pHead)
        Unlink(m_pHead);
}

std::vector<std::pair<AnimatedObject*, uint32_t>> AnimationScheduler::GetEntries() const
{
    std::vector<std::pair<AnimatedObject*, uint32_t>> out;
    for (const Entry* e = m_pHead; e; e = e->m_pNext)
        out.emplace_back(e->m_pObject, e->m_uEnd);
    return out;
}
