// Tests of the fireworks: fade rows and palette, the particle step against closed forms, each kind's emission
// with a seeded generator replayed by an independent reference, spent effects, and their billboards.
#include "engine/render/Firework.h"
#include "DrawTestSupport.h"
#include "engine/render/EffectScheduler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{

using platform::Vec3;

// The runtime recurrence in 64-bit arithmetic reduced by hand, bits 16..30 taken by division.
struct ReferenceRand
{
    uint64_t state;
    uint32_t Next()
    {
        state = (state * 214013ull + 2531011ull) % 4294967296ull;
        return static_cast<uint32_t>((state / 65536ull) % 32768ull);
    }
};

constexpr double kDt = 1.0 / 30.0;
constexpr double kPi = 3.14159265358979323846;

// Where a particle is after m steps from p with velocity v, damped by 0.95 a step, under g x scale on y:
// x = p + dt v (1 - 0.95^m) / 0.05, and the gravity adds dt^2 g s 19 (m - (1 - 0.95^m) / 0.05).
Vec3 PositionAfter(Vec3 p, Vec3 v, double g, double s, int m)
{
    const double sum = (1.0 - std::pow(0.95, m)) / 0.05;
    const double fall = kDt * kDt * g * s * 19.0 * (m - sum);
    return {float(p.x + kDt * v.x * sum), float(p.y + kDt * v.y * sum + fall), float(p.z + kDt * v.z * sum)};
}

Vec3 Direction(double elevation, double heading)
{
    const double a = elevation * kPi / 180.0, b = heading * kPi / 180.0;
    return {float(std::cos(a) * std::cos(b)), float(std::sin(a)), float(std::cos(a) * std::sin(b))};
}

void ExpectNear(const Vec3& actual, const Vec3& expected, float tolerance = 2e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(FireworkColourTest, FadeRowsAndPaletteByHand)
{
    struct Point
    {
        uint32_t row, age, alpha;
    };
    // clang-format off
    const Point points[] = {
        {0, 0, 255},   {0, 100, 155}, {1, 0, 255},   {1, 1, 238},   {1, 15, 0},    {1, 16, 17},   {1, 30, 255},
        {1, 31, 255},  {1, 32, 255},  {1, 33, 238},  {1, 239, 0},   {1, 240, 17},  {1, 246, 119}, {1, 247, 102},
        {1, 253, 0},   {1, 255, 0},   {2, 191, 255}, {2, 192, 252}, {2, 255, 0},   {3, 10, 40},   {3, 63, 252},
        {3, 64, 255},  {3, 200, 220}, {4, 127, 254}, {4, 128, 255}, {4, 191, 255}, {5, 128, 0},   {5, 129, 4},
        {5, 191, 252}, {5, 192, 252}, {5, 0, 0},
    };
    // clang-format on
    for (const Point& p : points)
        EXPECT_EQ(FireworkFade(p.row, p.age), p.alpha) << "row " << p.row << " age " << p.age;
    for (uint32_t row = 6; row < 16; ++row)
        for (uint32_t age : {0u, 100u, 255u})
            EXPECT_EQ(FireworkFade(row, age), 0) << row;
    EXPECT_TRUE(FireworkPalette(2) == 0xEC9815u && FireworkPalette(15) == 0xFF1D9Du);

    // Palette 0, row 0, life 128: alpha 128 over white; palette 6, row 2 at birth: opaque red.
    Particle p = {{0, 0, 0}, {0, 0, 0}, 0.0f, 0x00, 128, 0, 10};
    EXPECT_EQ(ParticleColour(p), 0x80FFFFFFu);
    p.colourCode = 0x26;
    p.life = 255;
    EXPECT_EQ(ParticleColour(p), 0xFFFF0000u);
}

Particle MakeParticle(Vec3 position, Vec3 velocity, float gravityScale, uint8_t decay)
{
    return {position, velocity, gravityScale, 0, 255, decay, 10};
}

TEST(ParticleSystemTest, StepMovesDampsAndEndsParticlesAtTheirDecay)
{
    ParticleSystem system(8, 3);
    ASSERT_TRUE(system.Add(MakeParticle({1, 2, 3}, {30, 6, -9}, 1.0f, 1)));
    ASSERT_TRUE(system.Add(MakeParticle({0, 0, 0}, {0, 0, 0}, 0.0f, 0)));   // never dies of age
    ASSERT_TRUE(system.Add(MakeParticle({0, 0, 0}, {0, 0, 0}, 0.0f, 254))); // one step
    for (int m = 1; m <= 10; ++m)
        system.Update();
    // The third (last in the array) died in its second step.
    ASSERT_EQ(system.GetCount(), 2u);
    ExpectNear(system.At(0).position, PositionAfter({1, 2, 3}, {30, 6, -9}, -20.0, 1.0, 10));
    EXPECT_TRUE(system.At(0).life == 245 && system.At(1).life == 255);
    for (int m = 0; m < 1000; ++m)
        system.Update();
    ASSERT_EQ(system.GetCount(), 1u);
    EXPECT_EQ(system.At(0).decay, 0);

    // A life equal to the decay ends in the step; the particle moved into its place is stepped once.
    ParticleSystem two(4, 0);
    two.Add(MakeParticle({0, 0, 0}, {0, 0, 0}, 0.0f, 255));
    two.Add(MakeParticle({0, 0, 0}, {3, 0, 0}, 0.0f, 5));
    two.Update();
    ASSERT_EQ(two.GetCount(), 1u);
    EXPECT_EQ(two.At(0).life, 250);
    EXPECT_NEAR(two.At(0).position.x, 0.1f, 1e-6f);
    EXPECT_NEAR(two.At(0).velocity.x, 2.85f, 1e-6f);
}

TEST(ParticleSystemTest, ArrayIsBoundedTrackedParticlesAreNot)
{
    ParticleSystem system(2, 0);
    EXPECT_TRUE(system.Add(MakeParticle({}, {}, 0.0f, 1)) && system.Add(MakeParticle({}, {}, 0.0f, 1)));
    EXPECT_TRUE(!(system.Add(MakeParticle({}, {}, 0.0f, 1))) && system.GetCount() == 2u);

    EXPECT_EQ(system.AddTracked(MakeParticle({1, 0, 0}, {}, 0.0f, 0)), 0u);
    EXPECT_EQ(system.AddTracked(MakeParticle({2, 0, 0}, {}, 0.0f, 0)), 1u);
    EXPECT_EQ(system.AddTracked(MakeParticle({3, 0, 0}, {}, 0.0f, 255)), 2u);
    ASSERT_NE(system.FindTracked(1), nullptr);
    EXPECT_TRUE(system.FindTracked(1)->position.x == 2.0f && system.RemoveTracked(1) && !system.RemoveTracked(1));
    EXPECT_TRUE(system.FindTracked(1) == nullptr && system.GetTrackedCount() == 2u);
    // A spent tracked particle leaves in the step; ids are not reused.
    system.Update();
    EXPECT_TRUE(system.GetTrackedCount() == 1u && system.FindTracked(2) == nullptr);
    EXPECT_EQ(system.AddTracked(MakeParticle({}, {}, 0.0f, 0)), 3u);
}

// A scheduler opened with a recorder of its sounds and seeded.
class FireworkSchedulerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scheduler.Open(
            [this](const char* name, const Vec3& at, float volume)
            {
                sounds.push_back(name);
                soundPositions.push_back(at);
                EXPECT_EQ(volume, 1.0f);
            }));
        scheduler.SeedRandom(kSeed);
    }
    static constexpr uint32_t kSeed = 777;
    EffectScheduler scheduler;
    ReferenceRand ref{kSeed};
    std::vector<std::string> sounds;
    std::vector<Vec3> soundPositions;
};

TEST_F(FireworkSchedulerTest, SparklerParticlesAfterThreeTicksAndTheGamesGeneratorUntouched)
{
    platform::SRand(4242);
    FireworkDesc desc;
    desc.kind = FIREWORK_SPARKLER;
    desc.position = {1, 2, 3};
    Firework* effect = scheduler.Spawn(desc);
    ASSERT_NE(effect, nullptr);
    EXPECT_TRUE(effect->GetKind() == 6u && effect->GetMaterial() == 8u && effect->GetParticles().GetCapacity() == 200u);

    struct Spark
    {
        Vec3 velocity;
        uint32_t decay;
        int born;
    };
    std::vector<Spark> sparks;
    for (int tick = 1; tick <= 3; ++tick)
    {
        EXPECT_TRUE(scheduler.Tick());
        for (int n = 0; n < 4; ++n)
        {
            const double speed = ref.Next() % 20 + 15.0;
            const double heading = ref.Next() % 360;
            const double elevation = int(ref.Next() % 180) - 90;
            const uint32_t decay = (ref.Next() & 7) + 8;
            sparks.push_back({Direction(elevation, heading) * float(speed), decay, tick});
        }
    }
    const ParticleSystem& particles = effect->GetParticles();
    ASSERT_EQ(particles.GetCount(), 12u);
    for (uint32_t i = 0; i < 12; ++i)
    {
        SCOPED_TRACE(i);
        const int steps = 3 - sparks[i].born + 1;
        ExpectNear(particles.At(i).position, PositionAfter({1, 2, 3}, sparks[i].velocity, -20.0, 0.02, steps));
        EXPECT_TRUE(particles.At(i).life == (255u - steps * sparks[i].decay) && particles.At(i).size == 10);
        EXPECT_EQ(particles.At(i).colourCode, 0x23);
    }
    // The game's sequence goes on as if the fireworks had never run.
    ReferenceRand game{4242};
    EXPECT_EQ(uint32_t(platform::Rand()), game.Next());
}

TEST_F(FireworkSchedulerTest, FountainLaunchesEveryOtherTickAndTakesZeroRangesAsOne)
{
    FireworkDesc desc;
    desc.kind = FIREWORK_FOUNTAIN;
    desc.position = {0, 5, 0};
    desc.capacity = 50;
    RocketFountainParams& f = desc.fountain;
    f = {};
    f.launchCount = 3;
    f.launchInterval = 0;
    f.smokeChance = 0; // taken as 1: a puff every step
    f.headingBase = 90;
    f.headingRange = 0;
    f.elevationRange = 0;
    f.rocketSpeedBase = 30.0f;
    f.rocketSpeedRange = 0;
    f.rocketDecayRange = 0;
    f.sparkDecayRange = 0;
    f.sparkSpeedRange = 0;
    auto* effect = static_cast<FireworkKind2*>(scheduler.Spawn(desc));
    ASSERT_NE(effect, nullptr);
    const uint32_t launches[6] = {1, 1, 2, 2, 3, 3};
    for (int tick = 0; tick < 6; ++tick)
    {
        scheduler.Tick();
        EXPECT_EQ(effect->GetLaunchesDone(), launches[tick]) << tick;
        EXPECT_EQ(effect->GetParticles().GetTrackedCount(), launches[tick]) << tick;
    }
    // Heading 90, elevation 0: straight along +z at 30, no gravity: the first rocket after six steps.
    const Particle* first = effect->GetParticles().FindTracked(0);
    ASSERT_NE(first, nullptr);
    ExpectNear(first->position, PositionAfter({0, 5, 0}, {0, 0, 30}, 0.0, 0.0, 6));
    // One puff per rocket per step: 1 + 1 + 2 + 2 + 3 + 3, none spent yet (decay at most 5 a step).
    EXPECT_EQ(effect->GetParticles().GetCount(), 12u);

    // A fountain whose one rocket dies in its first step, without smoke or sparks, is spent on the next tick.
    scheduler.Close();
    ASSERT_TRUE(scheduler.Open(nullptr));
    f.launchCount = 1;
    f.rocketDecayBase = 255;
    f.smokeChance = 0xFFFFFFFF; // rand % chance is never 0 but for a draw of 0
    scheduler.SeedRandom(3);
    auto* once = static_cast<FireworkKind2*>(scheduler.Spawn(desc));
    ASSERT_NE(once, nullptr);
    EXPECT_TRUE(scheduler.Tick() && once->GetLaunchesDone() == 1u);
    EXPECT_EQ(once->GetParticles().GetTrackedCount() + once->GetParticles().GetCount(), 0u);
    EXPECT_TRUE(scheduler.GetCount() == 1u && scheduler.Tick() && scheduler.GetCount() == 0u);
}

TEST_F(FireworkSchedulerTest, ShellClimbsBurstsWithSoundsAndIsRemovedWhenSpent)
{
    FireworkDesc desc;
    desc.kind = FIREWORK_SHELL;
    desc.position = {4, 0, -2};
    desc.capacity = 100;
    ShellParams& s = desc.shell;
    s.launchSpeed = 0.0f; // the first step already turns the rocket down: it bursts on the second tick
    s.starCount = 5;
    s.starSpeedBase = 10.0f;
    s.starDecayBase = 40;
    s.starSmokeChance = 1000;
    s.starSparksPerStep = 1;
    s.starSparkDecayBase = 100;
    Firework* effect = scheduler.Spawn(desc);
    ASSERT_NE(effect, nullptr);
    auto* shell = static_cast<FireworkKind3*>(effect);

    static const char* const kLaunch[3] = {"GameData\\Sound\\Effects\\Firework\\Launch1.ogg",
                                           "GameData\\Sound\\Effects\\Firework\\Launch2.ogg",
                                           "GameData\\Sound\\Effects\\Firework\\Launch3.ogg"};
    EXPECT_TRUE(scheduler.Tick() && shell->GetStage() == 1u);
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0], kLaunch[ref.Next() % 3]);
    ExpectNear(soundPositions[0], {4, 0, -2});

    EXPECT_TRUE(scheduler.Tick() && shell->GetStage() == 2u);
    for (int star = 0; star < 5; ++star)
        for (int draw = 0; draw < 4; ++draw) // heading, elevation, speed, decay
            ref.Next();
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_EQ(sounds[1], "GameData\\Sound\\Effects\\Firework\\Explode" + std::to_string(ref.Next() % 6 + 1) + ".ogg");
    // The burst comes from where the rocket stood after its one step under half the gravity.
    ExpectNear(soundPositions[1], PositionAfter({4, 0, -2}, {0, 0, 0}, -20.0, 0.5, 1));
    EXPECT_EQ(effect->GetParticles().GetTrackedCount(), 5u);

    // Stars die after 7 steps (40 a step), their sparks later; then the effect is spent and removed.
    int ticks = 2;
    while (scheduler.GetCount() > 0 && ticks < 200)
    {
        EXPECT_TRUE(scheduler.Tick());
        ++ticks;
    }
    EXPECT_EQ(scheduler.GetCount(), 0u);
    EXPECT_LT(ticks, 200);
    EXPECT_GT(ticks, 9);
}

TEST_F(FireworkSchedulerTest, SmokeGrowsInItsBoxAndEndsWhenEmpty)
{
    FireworkDesc desc;
    desc.kind = FIREWORK_SMOKE;
    desc.capacity = 3;
    desc.position = {10, 0, 10};
    desc.smoke.extent = {2, 4, 6};
    desc.smoke.rise = 5.0f;
    desc.smoke.particlesPerStep = 2;
    desc.smoke.decayBase = 100;
    desc.smoke.decayRange = 0;
    desc.smoke.emittingSteps = 2;
    Firework* effect = scheduler.Spawn(desc);
    ASSERT_NE(effect, nullptr);
    EXPECT_TRUE(effect->GetMaterial() == 10u && effect->GetParticles().GetGravity().y == 5.0f);

    scheduler.Tick();
    const ParticleSystem& particles = effect->GetParticles();
    ASSERT_EQ(particles.GetCount(), 2u);
    for (uint32_t i = 0; i < 2; ++i)
    {
        const double rx = ref.Next() / 32767.0, ry = ref.Next() / 32767.0, rz = ref.Next() / 32767.0;
        const double u = ref.Next() / 32767.0 * 0.5 - 0.25, v = ref.Next() / 32767.0 * 0.5 - 0.25;
        ref.Next(); // the decay range of 0 counts as 1
        const Vec3 born = {float(10 + 2 * rx), float(4 * ry), float(10 + 6 * rz)};
        ExpectNear(particles.At(i).position, PositionAfter(born, {float(v), 0, float(u)}, 5.0, 0.1, 1));
        EXPECT_EQ(particles.At(i).size, 20); // sized at age 0, before the step
        EXPECT_EQ(particles.At(i).life, 155);
    }
    // The second step emits two more into a full array: one is dropped.
    scheduler.Tick();
    EXPECT_EQ(particles.GetCount(), 3u);
    // The third: the first two are spent (life 55, decay 100) and the third takes their place; it was sized at
    // age 100 before its step: 100 / 255 x 30 + 20 = 31.8.
    scheduler.Tick();
    ASSERT_EQ(particles.GetCount(), 1u);
    EXPECT_TRUE(particles.At(0).size == 31 && particles.At(0).life == 55);
    // The fourth empties the array; the fifth finds it empty and the effect is removed.
    scheduler.Tick();
    EXPECT_TRUE(particles.GetCount() == 0u && scheduler.GetCount() == 1u);
    scheduler.Tick();
    EXPECT_EQ(scheduler.GetCount(), 0u);

    // With no emitting steps the cloud is spent on its first tick.
    desc.smoke.emittingSteps = 0;
    ASSERT_NE(scheduler.Spawn(desc), nullptr);
    EXPECT_TRUE(scheduler.GetCount() == 1u && scheduler.Tick() && scheduler.GetCount() == 0u);
}

TEST(EffectSchedulerTest, OpenCloseSpawnAndRemove)
{
    EffectScheduler scheduler;
    EXPECT_TRUE(!scheduler.Close() && !scheduler.Tick() && !scheduler.Reserved3());
    FireworkDesc desc;
    EXPECT_EQ(scheduler.Spawn(desc), nullptr);

    // Deleting a shell lets go of its copy of the callback: the token's count shows which shells are alive.
    auto token = std::make_shared<int>(0);
    std::vector<std::string> firstHeard, secondHeard;
    ASSERT_TRUE(
        scheduler.Open([token, &firstHeard](const char* name, const Vec3&, float) { firstHeard.push_back(name); }));
    EXPECT_FALSE(scheduler.Open([&secondHeard](const char* name, const Vec3&, float) { secondHeard.push_back(name); }));

    desc.kind = 4;
    EXPECT_TRUE(scheduler.Spawn(desc) == nullptr && scheduler.GetCount() == 0u);

    desc.kind = FIREWORK_SHELL;
    desc.shell.starCount = 1;
    Firework* a = scheduler.Spawn(desc);
    Firework* b = scheduler.Spawn(desc);
    Firework* c = scheduler.Spawn(desc);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(scheduler.GetCount(), 3u);
    const long base = token.use_count();
    scheduler.Tick();
    EXPECT_EQ(firstHeard.size(), 3u); // each shell's launch, to the first callback
    EXPECT_TRUE(secondHeard.empty());

    EXPECT_TRUE(scheduler.Remove(b) && token.use_count() == (base - 1) && scheduler.GetCount() == 2u);
    EXPECT_EQ(scheduler.GetHighestCount(), 3u);
    FireworkKind4 stranger(desc, scheduler.GetRandom());
    EXPECT_TRUE(!scheduler.Remove(&stranger) && scheduler.GetCount() == 2u);

    EXPECT_TRUE(scheduler.Close() && token.use_count() == (base - 3) && scheduler.GetCount() == 0u);
    EXPECT_TRUE(scheduler.GetHighestCount() == 3u && !scheduler.Close());
    EXPECT_FALSE(scheduler.Remove(a)); // closed

    // Opened again; what is left at destruction goes with the scheduler.
    {
        EffectScheduler second;
        ASSERT_TRUE(second.Open([token](const char*, const Vec3&, float) {}) && second.Spawn(desc) != nullptr);
        EXPECT_EQ(token.use_count(), base - 3 + 2);
    }
    // A shell without a sound callback flies silently, bursts and dies out.
    desc.shell.starDecayBase = 100;
    EXPECT_TRUE(token.use_count() == (base - 3) && scheduler.Open(nullptr) && scheduler.Spawn(desc) != nullptr);
    for (int tick = 0; tick < 300 && scheduler.GetCount() > 0; ++tick)
        EXPECT_TRUE(scheduler.Tick());
    EXPECT_EQ(scheduler.GetCount(), 0u);
}

// The integer noise in 64-bit arithmetic, once as given and once in its adding form.
uint32_t ReferenceNoise(uint64_t a, bool adding)
{
    const uint64_t n = ((a << 13) % 4294967296ull) ^ a;
    const uint64_t inner = (n * n % 4294967296ull * 15731ull + 789221ull) % 4294967296ull;
    const uint64_t product = inner * n % 4294967296ull;
    const uint64_t value = adding ? product + 1376312589ull : product + 4294967296ull - 771171059ull;
    return static_cast<uint32_t>(value % 4294967296ull % 2147483648ull);
}

TEST(EffectSchedulerTest, SlotsFromAddressNoiseStayBelowTheSlotCount)
{
    EXPECT_TRUE(EffectScheduler::kSlotCount == 1u && EffectScheduler::AddressNoise(0) == 1376312589u);
    for (uint32_t a : {1u, 8u, 0x12345678u, 0xFFFFFFF0u, 0x7FFF0000u})
    {
        EXPECT_TRUE(EffectScheduler::AddressNoise(a) == ReferenceNoise(a, false) &&
                    EffectScheduler::AddressNoise(a) == ReferenceNoise(a, true))
            << a;
    }
    // (1 - noise / 2^31) x slots: noise 0 would be one past the table.
    EXPECT_TRUE(EffectScheduler::SlotFromNoise(0, 1) == 0u && EffectScheduler::SlotFromNoise(0, 7) == 6u);
    EXPECT_TRUE(EffectScheduler::SlotFromNoise(1, 7) == 6u && EffectScheduler::SlotFromNoise(0x7FFFFFFF, 7) == 0u);
    EXPECT_EQ(EffectScheduler::SlotFromNoise(0x40000000, 4), 2u);
    EXPECT_EQ(EffectScheduler::SlotFromNoise(0x40000001, 4), 1u);
}

TEST(EffectSchedulerTest, EachTickStepsOneSlotOfTheRing)
{
    EffectScheduler scheduler(4);
    ASSERT_TRUE(scheduler.Open(nullptr));
    FireworkDesc desc;
    std::vector<Firework*> effects;
    for (int i = 0; i < 12; ++i)
        effects.push_back(scheduler.Spawn(desc));
    std::vector<uint32_t> slotSizes(4);
    for (Firework* e : effects)
        ++slotSizes[EffectScheduler::SlotOf(e, 4)];
    // Ticks visit slots 1, 2, 3, 0: each sparkler gains its four sparks once in four ticks.
    for (uint32_t tick = 1; tick <= 4; ++tick)
    {
        scheduler.Tick();
        uint32_t stepped = 0;
        for (Firework* e : effects)
            stepped += e->GetParticles().GetCount() == 4 ? 1 : 0;
        uint32_t expected = 0;
        for (uint32_t s = 1; s <= tick; ++s)
            expected += slotSizes[s % 4];
        EXPECT_EQ(stepped, expected) << tick;
    }
}

TEST(FireworkEmitTest, SmokeAndSparksDrawTheirValuesInOrder)
{
    platform::RandomGenerator random(99);
    ReferenceRand ref{99};
    Firework effect(4, 0, 8, random);
    effect.EmitSmoke({1, 2, 3});
    const uint32_t decay = (ref.Next() & 3) + 2;
    const double scale = ref.Next() / 32767.0 * 0.3 + 0.1;
    const uint32_t size = ref.Next() % 30 + 30;
    const Particle& smoke = effect.GetParticles().At(0);
    EXPECT_EQ(smoke.decay, decay);
    EXPECT_NEAR(smoke.gravityScale, scale, 1e-6);
    EXPECT_TRUE(smoke.size == size && smoke.colourCode == 0x01);
    ExpectNear(smoke.velocity, {0, 0, 0});

    effect.EmitSpark({0, 0, 0}, 9, 12.0f);
    const double heading = ref.Next() % 360;
    const double elevation = int(ref.Next() % 180) - 90;
    const Particle& spark = effect.GetParticles().At(1);
    ExpectNear(spark.velocity, Direction(elevation, heading) * 12.0f);
    EXPECT_TRUE(spark.decay == ((ref.Next() & 7) + 8) && spark.colourCode == 0x29 && spark.size == 10);
    EXPECT_NEAR(spark.gravityScale, 0.02f, 1e-7f);
}

class FireworkDrawTest : public rendertest::DrawTest
{
};

TEST_F(FireworkDrawTest, VisibleParticlesBecomeBillboards)
{
    platform::RandomGenerator random(5);
    Firework effect(8, 0, 10, random);
    effect.AddParticle({1, 2, 3}, {}, 20, 0.0f, 0, 6, 0, false);  // red, opaque: drawn at size 2
    effect.AddParticle({0, 0, 0}, {}, 10, 0.0f, 0, 0, 7, false);  // fade row 7: never drawn
    effect.AddParticle({0, 0, 0}, {}, 10, 0.0f, 129, 0, 5, true); // row 5: hidden until 129 life is gone
    EXPECT_TRUE(effect.Render());
    ASSERT_EQ(Draws().size(), 1u);
    const auto quad = rendertest::Decode<TexturedVertex>(Draws()[0]);
    ASSERT_EQ(quad.vertices.size(), 4u);
    EXPECT_EQ(quad.vertices[0].colour, 0xFFFF0000u);
    EXPECT_NEAR(quad.vertices[2].x, 2.0f, 1e-6f);
    EXPECT_EQ(Dev()->transformWrites.back().matrix.m[3][1], 2.0f);

    Dev()->ClearLog();
    EXPECT_TRUE(effect.Tick());
    effect.Render();
    ASSERT_EQ(Draws().size(), 2u);
    // Life 126, age 129: alpha 4 of white.
    EXPECT_EQ(rendertest::Decode<TexturedVertex>(Draws()[1]).vertices[0].colour, 0x04FFFFFFu);
}

} // namespace
