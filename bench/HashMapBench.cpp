// Benchmarks of StringHashMap lookups at 90% load: present names and absent names (a full pass each).
#include "engine/core/StringHashMap.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace
{
constexpr uint32_t kWanted = 3000; // 3079 buckets
constexpr size_t kNames = 2771;    // 90% of them occupied

std::vector<std::string> MakeNames(size_t count, const char* prefix)
{
    std::vector<std::string> names;
    names.reserve(count);
    for (size_t i = 0; i < count; ++i)
        names.push_back(std::string(prefix) + std::to_string(i) + ".ddt");
    return names;
}

struct LoadedMap
{
    LoadedMap() : names(MakeNames(kNames, "Textures\\Park_")), map(kWanted)
    {
        for (size_t i = 0; i < names.size(); ++i)
            map.Insert(names[i].c_str(), static_cast<uint32_t>(i));
    }
    std::vector<std::string> names;
    StringHashMap<uint32_t> map;
};

void BM_StringHashMapHit(benchmark::State& state)
{
    LoadedMap loaded;
    size_t i = 0;
    for (auto _ : state)
    {
        auto it = loaded.map.Find(loaded.names[i].c_str());
        benchmark::DoNotOptimize(it);
        i = (i + 1 == loaded.names.size()) ? 0 : i + 1;
    }
    state.counters["buckets"] = loaded.map.GetBucketCount();
    state.counters["names"] = loaded.map.GetCount();
}
BENCHMARK(BM_StringHashMapHit);

void BM_StringHashMapHitOtherCase(benchmark::State& state)
{
    LoadedMap loaded;
    std::vector<std::string> upper = loaded.names;
    for (std::string& name : upper)
        for (char& c : name)
            c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    size_t i = 0;
    for (auto _ : state)
    {
        auto it = loaded.map.Find(upper[i].c_str());
        benchmark::DoNotOptimize(it);
        i = (i + 1 == upper.size()) ? 0 : i + 1;
    }
}
BENCHMARK(BM_StringHashMapHitOtherCase);

void BM_StringHashMapMiss(benchmark::State& state)
{
    LoadedMap loaded;
    std::vector<std::string> absent = MakeNames(256, "Missing_");
    size_t i = 0;
    for (auto _ : state)
    {
        auto it = loaded.map.Find(absent[i].c_str());
        benchmark::DoNotOptimize(it);
        i = (i + 1 == absent.size()) ? 0 : i + 1;
    }
}
BENCHMARK(BM_StringHashMapMiss);
} // namespace
