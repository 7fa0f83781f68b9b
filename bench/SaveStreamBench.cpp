// Save-stream throughput: one million typed values written to and read back from a temporary binary save file.
#include "engine/core/SerialStream.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace
{

constexpr int kValues = 1000000;
// Each round writes five values of different tags, the mix a game object's record has.
constexpr int kPerRound = 5;

std::string BenchFile()
{
    return (std::filesystem::temp_directory_path() / ("tw_savebench_" + std::to_string(::getpid()) + ".sav")).string();
}

void WriteValues(const std::string& path)
{
    BinarySerialStream out(true, path.c_str());
    for (int i = 0; i < kValues / kPerRound; ++i)
    {
        out.WriteInt("m_iValue", i);
        out.WriteUInt("m_dwFlags", static_cast<uint32_t>(i) * 2654435761u);
        out.WriteFloat("m_fTime", static_cast<float>(i) * 0.25f);
        out.WriteBool("m_bActive", (i & 1) != 0);
        out.WriteUShort("m_wKind", static_cast<uint16_t>(i));
    }
    out.Close();
}

void BM_SaveStreamWrite(benchmark::State& state)
{
    std::string path = BenchFile();
    for (auto _ : state)
        WriteValues(path);
    state.SetItemsProcessed(state.iterations() * kValues);
    std::remove(path.c_str());
}
BENCHMARK(BM_SaveStreamWrite)->Unit(benchmark::kMillisecond);

void BM_SaveStreamRead(benchmark::State& state)
{
    std::string path = BenchFile();
    WriteValues(path);
    for (auto _ : state)
    {
        BinarySerialStream in(false, path.c_str());
        int32_t i32 = 0;
        uint32_t u32 = 0;
        float f = 0;
        bool b = false;
        uint16_t u16 = 0;
        int64_t sum = 0;
        for (int i = 0; i < kValues / kPerRound; ++i)
        {
            in.ReadInt(&i32);
            in.ReadUInt(&u32);
            in.ReadFloat(&f);
            in.ReadBool(&b);
            in.ReadUShort(&u16);
            sum += i32 + u32 + static_cast<int64_t>(f) + b + u16;
        }
        benchmark::DoNotOptimize(sum);
        if (in.IsFailed())
            state.SkipWithError("the save file did not read back");
    }
    state.SetItemsProcessed(state.iterations() * kValues);
    std::remove(path.c_str());
}
BENCHMARK(BM_SaveStreamRead)->Unit(benchmark::kMillisecond);

} // namespace
