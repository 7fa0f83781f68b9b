// HashString and NextHashPrime: the hash and the bucket counts of the name-keyed tables.
#include "engine/core/StringHash.h"

#include <algorithm>
#include <array>

namespace
{
constexpr std::array<uint32_t, 28> kHashPrimes = {
    53u,        97u,        193u,       389u,       769u,        1543u,       3079u,
    6151u,      12289u,     24593u,     49157u,     98317u,      196613u,     393241u,
    786433u,    1572869u,   3145739u,   6291469u,   12582917u,   25165843u,   50331653u,
    100663319u, 201326611u, 402653189u, 805306457u, 1610612741u, 3221225473u, 4294967291u,
};
} // namespace

uint32_t HashString(const char* name)
{
    uint32_t h = 0;
    for (const char* p = name; *p != 0; ++p)
    {
        // The byte is widened as a signed value: bytes of 128 and above subtract rather than add.
        int32_t c = static_cast<int8_t>(*p);
        h = h * 5u + static_cast<uint32_t>(c);
    }
    return h;
}

uint32_t NextHashPrime(uint32_t n)
{
    auto it = std::lower_bound(kHashPrimes.begin(), kHashPrimes.end(), n);
    return it == kHashPrimes.end() ? n : *it;
}
