// Benchmarks of the park's sounds: a frame of the positional sounds at the most the sound script allows (55 building
// loops against a moving listener, the eight opinions queued at once in a limited group, the crowd level changing),
// and the parse of a sound script whose every table is full (targets: under 0.1 ms a frame, under 1 ms a parse).
#include "bench/BenchSupport.h"
#include "engine/media/ScriptedSound.h"
#include "engine/media/SoundEventManager.h"
#include "engine/media/SoundManager.h"
#include "engine/media/SoundPark.h"
#include "platform/audio/Sound.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace
{

// Buildings on a ring round the park's middle, close enough that every loop is in earshot of the listener.
class RingPark : public SoundPark
{
public:
    explicit RingPark(int buildings)
    {
        g_pSoundPark = this;
        for (int i = 0; i < buildings; ++i)
        {
            const float angle = 6.2831853f * static_cast<float>(i) / static_cast<float>(buildings);
            m_Positions.push_back({60.0f * std::cos(angle), 0.0f, 60.0f * std::sin(angle)});
        }
    }
    ~RingPark() override { g_pSoundPark = nullptr; }

    const char* GetObjectName(uint32_t id) const override { return id < m_Positions.size() ? "FUNHOUSE" : nullptr; }
    bool GetObjectSoundPosition(uint32_t id, platform::Vec3& position) const override
    {
        if (id >= m_Positions.size())
            return false;
        position = m_Positions[id];
        return true;
    }
    platform::Vec3 WorldToScene(const platform::Vec3& world) const override { return {world.x, 0.0f, world.y}; }
    bool IsPaused() const override { return false; }
    int32_t GetGuestsDrawn() const override { return guests; }
    float GetGameTime() const override { return 0.0f; }
    std::unique_ptr<SoundSprite> CreateSprite(const char*) override { return nullptr; }

    int32_t guests = 0;

private:
    std::vector<platform::Vec3> m_Positions;
};

// The sample data's sample bank, mixed by hand on the dummy driver, with the sound manager and positional sounds.
class SoundSetup
{
public:
    SoundSetup() : m_previous(std::filesystem::current_path())
    {
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        std::filesystem::current_path(std::filesystem::path(TW_SOURCE_DIR) / "sample-data");
        platform::SoundUseManualMixing(true);
        m_pSound = std::make_unique<SoundManager>(true, "blsnd");
        m_pSound->SetSfxVolume(1.0f);
        m_pEvents = std::make_unique<SoundEventManager>(true);
    }
    ~SoundSetup()
    {
        m_pEvents.reset();
        m_pSound.reset();
        platform::SoundUseManualMixing(false);
        std::filesystem::current_path(m_previous);
    }
    SoundManager& Sound() { return *m_pSound; }
    SoundEventManager& Events() { return *m_pEvents; }

private:
    QuietReports m_quiet;
    std::filesystem::path m_previous;
    std::unique_ptr<SoundManager> m_pSound;
    std::unique_ptr<SoundEventManager> m_pEvents;
};

// One game frame of sound at 30 frames a second: the sound manager's frame, then the positional sounds. The 55 loops
// outnumber the 32 slots, so the loops without one ask for a slot every frame; the listener circles, so every
// playing loop changes level every frame; the eight opinions of a frame are in one group of limit 2 and wait for
// slots; the crowd loop runs and the guests on screen change every frame. Leaves out the mixing itself (run between
// timed frames, as the audio thread runs it) and the sample bank's first reads (warmed before timing).
void BM_SoundEventsFrame(benchmark::State& state)
{
    SoundSetup setup;
    RingPark park(static_cast<int>(ScriptedSound::kMaxBuildingSounds));
    setup.Events().StartCrowdLoop();
    for (uint32_t id = 0; id < ScriptedSound::kMaxBuildingSounds; ++id)
        setup.Events().PlayForObject("funhouse_loop", id, 0.8f, false);
    const char* const opinions[] = {"male_yuck",   "male_huh",   "male_yes",   "male_boo",
                                    "female_yuck", "female_huh", "female_yes", "female_boo"};
    const float frame = 1.0f / 30.0f;
    std::vector<int16_t> mix(2 * 735);
    int tick = 0;
    const auto step = [&]()
    {
        const float angle = 0.05f * static_cast<float>(tick);
        const float at[3] = {20.0f * std::cos(angle), 10.0f, 20.0f * std::sin(angle)};
        const float forward[3] = {0, 0, 1}, up[3] = {0, 1, 0};
        setup.Sound().SetListener(at, forward, up);
        for (const char* name : opinions)
            setup.Events().PlayAtPosition(name, {at[0], 0.0f, at[2] + 5.0f}, 0.7f, 2, 1);
        park.guests = tick % 120;
        setup.Sound().Update(frame);
        setup.Events().Update(frame);
        ++tick;
    };
    for (int i = 0; i < 30; ++i)
    {
        step();
        platform::SoundRender(mix.data(), 735);
    }
    for (auto _ : state)
    {
        step();
        state.PauseTiming();
        platform::SoundRender(mix.data(), 735);
        state.ResumeTiming();
    }
    state.counters["loops"] = static_cast<double>(setup.Events().GetObjectSounds().size());
}
BENCHMARK(BM_SoundEventsFrame)->Unit(benchmark::kMicrosecond);

// A sound script at the room of every table: 30 sprites of 8 animation entries, 55 building loops, the eight
// opinions of three files each, the 20 group limits and the crowd rule, every file in the sample bank. Leaves out
// reading and unscrambling the file (the file system's own cost).
void BM_SoundScriptParse(benchmark::State& state)
{
    SoundSetup setup;
    std::string text;
    for (int s = 0; s < 30; ++s)
    {
        text += "SpriteSounds guest" + std::to_string(s) + "\n";
        for (int a = 0; a < 8; ++a)
            text += "  walk" + std::to_string(a) + " Group 1 2 male_yes 0.7 male_yay 0.6\n";
        text += "End\n";
    }
    text += "BuildingSounds\n";
    for (int b = 0; b < 55; ++b)
        text += "  BUILDING" + std::to_string(b) + " funhouse_loop 0.8 0\n";
    text += "End\nCrowdSound MaxNumber 50 MaxVolume 0.75 FadeTime 0.2 End\nOpinionSounds\n";
    for (const char* name : ScriptedSound::kOpinionNames)
        text += std::string("  ") + name + " Group 1 3 male_yuck 0.7 male_huh 0.6 male_boo 0.5\n";
    text += "End\nGroups\n";
    for (int g = 0; g < 20; ++g)
        text += "  " + std::to_string(g) + " 2\n";
    text += "End\n";
    for (auto _ : state)
    {
        ScriptedSound script;
        script.Parse(text.data(), text.size());
        benchmark::DoNotOptimize(script.GetBuildingSounds().data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_SoundScriptParse)->Unit(benchmark::kMicrosecond);

} // namespace
