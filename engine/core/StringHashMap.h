// StringHashMap: the engine's fixed-size, name-keyed open-addressing table (names compared without regard to case).
#pragma once

#include "engine/core/StringHash.h"
#include "platform/Strings.h"

#include <cstdint>
#include <memory>

// Maps a zero-terminated 8-bit name to one value. The table is sized once from NextHashPrime and never grows.
// Keys are not copied: each key must stay valid while it is in the table (it normally belongs to the record the
// value points to).
//
// The start bucket is HashString(name) modulo the bucket count. HashString is case-sensitive while keys compare
// without regard to case, so Find walks the whole table before it gives up: empty entries do not end the probe,
// and a name that differs from a key only in case is still found. A missing name therefore costs a full pass.
//
// The table changes only through Insert, Erase and Clear; keys are read-only through iterators (values may be changed).
// All lookups go through FindIndex, so anything that remembers lookup results has exactly these places to
// hook into.
template <typename V> class StringHashMap
{
public:
    struct Entry
    {
        const char* pKey = nullptr;
        V value{};
        uint8_t bEmpty = 1; // 1 = empty, 0 = occupied
    };

    // A position in the table: an occupied entry, or End (just past the last bucket). Stepping skips empty entries.
    class Iterator
    {
    public:
        Iterator() = default;

        const char* Key() const { return m_pEntry->pKey; }
        V& Value() const { return m_pEntry->value; }

        // Stepping from End stays at End.
        Iterator& operator++()
        {
            if (*this != m_pMap->End())
                m_pEntry = m_pMap->NextOccupied(m_pEntry + 1);
            return *this;
        }
        bool operator==(const Iterator& other) const { return m_pEntry == other.m_pEntry && m_pMap == other.m_pMap; }
        bool operator!=(const Iterator& other) const { return !(*this == other); }

    private:
        friend class StringHashMap;
        Iterator(Entry* entry, const StringHashMap* map) : m_pEntry(entry), m_pMap(map) {}

        Entry* m_pEntry = nullptr;
        const StringHashMap* m_pMap = nullptr;
    };

    // A table of NextHashPrime(wantedSize) buckets, all empty.
    explicit StringHashMap(uint32_t wantedSize)
        : m_uBucketCount(NextHashPrime(wantedSize)), m_pBuckets(std::make_unique<Entry[]>(m_uBucketCount))
    {
    }

    StringHashMap(const StringHashMap&) = delete;
    StringHashMap& operator=(const StringHashMap&) = delete;

    // Enters the key in the first empty entry from its start bucket onward (wrapping). Equal keys are not looked
    // for: a repeated name takes a further entry and Find keeps returning the one nearer its start bucket. When no
    // entry is empty the key is not entered and false is returned (nothing is reported). A null key is refused.
    bool Insert(const char* key, V value)
    {
        if (key == nullptr)
            return false;
        uint32_t start = StartBucket(key);
        uint32_t i = start;
        while (m_pBuckets[i].bEmpty == 0)
        {
            i = (i + 1 == m_uBucketCount) ? 0 : i + 1;
            if (i == start)
                return false;
        }
        Entry& entry = m_pBuckets[i];
        entry.pKey = key;
        entry.value = value;
        entry.bEmpty = 0;
        ++m_uCount;
        return true;
    }

    // The first entry in probe order whose key equals the name without regard to case, or End.
    Iterator Find(const char* name) const { return Iterator(m_pBuckets.get() + FindIndex(name), this); }

    // The first occupied entry in bucket order, or End when the table is empty.
    Iterator Begin() const { return Iterator(NextOccupied(m_pBuckets.get()), this); }
    Iterator End() const { return Iterator(m_pBuckets.get() + m_uBucketCount, this); }

    // Empties the entry the iterator stands on (its key is forgotten, not freed); false for End or an empty entry.
    // Find never stops at an empty entry, so every other key stays reachable.
    bool Erase(const Iterator& it)
    {
        if (it.m_pMap != this || it.m_pEntry == nullptr || it == End() || it.m_pEntry->bEmpty != 0)
            return false;
        it.m_pEntry->bEmpty = 1;
        it.m_pEntry->pKey = nullptr;
        --m_uCount;
        return true;
    }

    // Marks every entry empty; frees nothing (the owners of the keys free their records themselves).
    void Clear()
    {
        for (uint32_t i = 0; i < m_uBucketCount; ++i)
            m_pBuckets[i].bEmpty = 1;
        m_uCount = 0;
    }

    uint32_t GetCount() const { return m_uCount; }
    uint32_t GetBucketCount() const { return m_uBucketCount; }

private:
    uint32_t StartBucket(const char* name) const { return HashString(name) % m_uBucketCount; }

    // Index of the matching entry, or the bucket count when there is none.
    uint32_t FindIndex(const char* name) const
    {
        if (name == nullptr)
            return m_uBucketCount;
        uint32_t start = StartBucket(name);
        uint32_t i = start;
        do
        {
            const Entry& entry = m_pBuckets[i];
            if (entry.bEmpty == 0 && platform::StrICmp(entry.pKey, name) == 0)
                return i;
            i = (i + 1 == m_uBucketCount) ? 0 : i + 1;
        } while (i != start);
        return m_uBucketCount;
    }

    Entry* NextOccupied(Entry* from) const
    {
        Entry* end = m_pBuckets.get() + m_uBucketCount;
        while (from != end && from->bEmpty != 0)
            ++from;
        return from;
    }

    uint32_t m_uBucketCount;
    std::unique_ptr<Entry[]> m_pBuckets;
    uint32_t m_uCount = 0;
};
