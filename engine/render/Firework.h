// Fireworks: particle systems drawn as camera-facing squares, and the four kinds of effect that emit them.
#pragma once

#include "engine/render/EffectSchedulerBase.h"
#include "engine/render/SceneObject.h"
#include "platform/Random.h"
#include "platform/gfx/Math.h"

#include <cstdint>
#include <list>
#include <memory>

// Effect steps per second; one particle step lasts 1 / kEffectUpdateRate seconds.
constexpr uint32_t kEffectUpdateRate = 30;
// The kind every firework has as a scene object.
constexpr uint32_t kFireworkSceneKind = 6;

struct Particle
{
    platform::Vec3 position;
    platform::Vec3 velocity; // world units per second
    float gravityScale;      // share of the system's gravity acting on it
    uint8_t colourCode;      // low four bits the palette index, high four bits the fade row
    uint8_t life;            // 255 at birth
    uint8_t decay;           // life lost per step; 0 never dies of age
    uint8_t size;            // half-width in tenths of a world unit
};

// The colour a particle is drawn in: its palette colour with the alpha of its fade row at its age.
uint32_t ParticleColour(const Particle& particle);
// The palette colour (XRGB) and a fade row's alpha at an age (255 - life); indices are taken modulo 16.
uint32_t FireworkPalette(uint32_t index);
uint8_t FireworkFade(uint32_t row, uint32_t age);

// The particles of one effect: a fixed array of anonymous particles, and tracked particles found again by id.
class ParticleSystem
{
public:
    ParticleSystem(uint32_t capacity, uint32_t texture);

    // False (the particle dropped) when the array is full.
    bool Add(const Particle& particle);
    // Appends a tracked particle; never fails. Returns its id.
    uint32_t AddTracked(const Particle& particle);
    // The tracked particle with the id, or null.
    Particle* FindTracked(uint32_t id);
    bool RemoveTracked(uint32_t id);
    // Every living tracked particle, first added first.
    template <class F> void ForEachTracked(F&& f)
    {
        for (TrackedParticle& t : m_tracked)
            f(t.particle);
    }

    // One step: spent particles removed, the others moved and slowed.
    bool Update();
    // Every visible particle as a billboard of the material.
    bool Draw(uint32_t material) const;

    uint32_t GetCount() const { return m_uCount; }
    uint32_t GetCapacity() const { return m_uCapacity; }
    uint32_t GetTrackedCount() const { return static_cast<uint32_t>(m_tracked.size()); }
    Particle& At(uint32_t i) { return m_pParticles[i]; }
    const Particle& At(uint32_t i) const { return m_pParticles[i]; }
    uint32_t GetTexture() const { return m_uTexture; }
    const platform::Vec3& GetGravity() const { return m_gravity; }
    void SetGravity(const platform::Vec3& gravity) { m_gravity = gravity; }

private:
    struct TrackedParticle
    {
        uint32_t id;
        Particle particle;
    };
    // Life lost and motion of one step; false when the particle is spent.
    bool Step(Particle& particle) const;

    platform::Vec3 m_gravity = {0.0f, -20.0f, 0.0f};
    uint32_t m_uTexture;
    uint32_t m_uCapacity;
    uint32_t m_uCount = 0;
    std::unique_ptr<Particle[]> m_pParticles;
    uint32_t m_uNextId = 0;
    std::list<TrackedParticle> m_tracked;
};

// ---- spawn descriptions: a common head and the parameters of each kind (all zero unless set). A range is the
// divisor of a random number (a range of 0 counts as 1); decays keep their low byte; angles are degrees.

struct SmokeCloudParams
{
    platform::Vec3 extent; // particles are born between the position and position + extent
    float rise;            // the system's gravity becomes (0, rise, 0)
    uint32_t particlesPerStep;
    uint32_t decayBase, decayRange;
    uint32_t emittingSteps;
};

struct RocketFountainParams
{
    uint32_t launchCount;
    uint32_t smokeChance; // a rocket puffs smoke in a step when rand % chance is 0
    uint32_t launchInterval;
    float rocketSpeedBase;
    uint32_t rocketSpeedRange;
    uint32_t rocketDecayBase, rocketDecayRange;
    int32_t headingBase;
    uint32_t headingRange;
    int32_t elevationBase;
    uint32_t elevationRange;
    float rocketGravityScale;
    uint8_t rocketSize;
    uint8_t rocketPalette[4];
    uint8_t rocketFadeRow;
    uint32_t sparksPerStep;
    float sparkSpeedBase;
    uint32_t sparkSpeedRange;
    uint32_t sparkDecayBase, sparkDecayRange;
    float sparkGravityScale;
    uint8_t sparkSize;
    uint8_t sparkPalette[2];
    uint8_t sparkFadeRow;
};

struct ShellParams
{
    uint32_t climbSmokeChance;
    float launchSpeed;
    uint32_t trailSparksPerStep;
    uint32_t trailElevationRange; // trail elevation = rand % range - 90
    float trailSpeedBase;
    uint32_t trailSpeedRange;
    uint32_t trailDecayBase, trailDecayRange;
    uint8_t trailSize;
    float trailGravityScale;
    uint8_t trailPalette[2];
    uint8_t trailFadeRow;
    float starSpeedBase;
    uint32_t starSpeedRange;
    uint32_t starDecayBase, starDecayRange;
    int32_t starHeadingBase;
    uint32_t starHeadingRange;
    int32_t starElevationBase;
    uint32_t starElevationRange;
    uint32_t starCount;
    uint8_t starSize;
    float starGravityScale;
    uint32_t starSmokeChance;
    uint8_t starFadeRow;
    uint32_t starPalette; // low byte used
    uint32_t starSparksPerStep;
    float starSparkSpeedBase;
    uint32_t starSparkSpeedRange;
    uint32_t starSparkDecayBase, starSparkDecayRange;
    uint8_t starSparkSize;
    float starSparkGravityScale;
    uint8_t starSparkPalette[2];
    uint8_t starSparkFadeRow;
};

enum FireworkDescKind : uint32_t
{
    FIREWORK_SPARKLER = 0,
    FIREWORK_SHELL = 1,
    FIREWORK_FOUNTAIN = 2,
    FIREWORK_SMOKE = 3,
};

struct FireworkDesc
{
    uint32_t kind = FIREWORK_SPARKLER;
    platform::Vec3 position = {0.0f, 0.0f, 0.0f};
    uint32_t texture = 0;        // texture manager slot of every particle
    uint32_t capacity = 0;       // particle array size (the sparkler always has 200)
    SmokeCloudParams smoke = {}; // read by the kind that uses it only
    RocketFountainParams fountain = {};
    ShellParams shell = {};
};

// An effect: a scene object of kind 6 without a model that owns a particle system. Random numbers come from the
// generator it is given (the scheduler's own), never from the game's.
class Firework : public SceneObject
{
public:
    Firework(uint32_t capacity, uint32_t texture, uint32_t material, platform::RandomGenerator& random);
    ~Firework() override = default;

    // One particle step; kinds emit first and return false once spent.
    bool Tick() override;
    bool Render() override;

    // Colour code = fade row x 16 + palette index. Tracked: always kept, its id written to `id`.
    bool AddParticle(const platform::Vec3& position, const platform::Vec3& velocity, uint8_t size, float gravityScale,
                     uint8_t decay, uint8_t palette, uint8_t fadeRow, bool tracked, uint32_t* id = nullptr);
    // A spark flying off in a random direction.
    void EmitSpark(const platform::Vec3& position, uint8_t palette, float speed);
    // A grey puff that rises slowly.
    void EmitSmoke(const platform::Vec3& position);

    ParticleSystem& GetParticles() { return m_particles; }
    uint32_t GetMaterial() const { return m_uMaterial; }

protected:
    uint32_t Rand() { return static_cast<uint32_t>(m_random.Next()); }
    // rand % range (the range at least 1).
    uint32_t RandBelow(uint32_t range) { return Rand() % (range ? range : 1); }
    uint8_t RandomDecay(uint32_t base, uint32_t range) { return static_cast<uint8_t>(RandBelow(range) + base); }
    float RandomSpeed(float base, uint32_t range) { return static_cast<float>(RandBelow(range)) + base; }
    // A direction of heading rand % 360 and elevation rand % elevationRange - 90, heading drawn first.
    platform::Vec3 RandomDirection(uint32_t elevationRange = 180);
    // `count` untracked particles from the point, each: direction (elevation rand % elevationRange - 90), speed,
    // one of the two palette indices, decay.
    void Spray(const platform::Vec3& at, uint32_t count, uint32_t elevationRange, float speedBase, uint32_t speedRange,
               const uint8_t (&palettes)[2], uint32_t decayBase, uint32_t decayRange, uint8_t size, float gravityScale,
               uint8_t fadeRow);
    uint8_t PickOneOfTwo(const uint8_t (&choices)[2]) { return choices[Rand() % 2]; }
    uint8_t PickOneOfFour(const uint8_t (&choices)[4]) { return choices[Rand() % 4]; }

    platform::RandomGenerator& m_random;
    uint32_t m_uMaterial;
    ParticleSystem m_particles;
};

// Smoke: a cloud born in a box for a number of steps, its puffs growing as they age.
class FireworkKind1 : public Firework
{
public:
    FireworkKind1(const FireworkDesc& desc, platform::RandomGenerator& random);
    bool Tick() override;

private:
    SmokeCloudParams m_params;
};

// A fountain of rockets launched one by one, each spraying sparks and smoke.
class FireworkKind2 : public Firework
{
public:
    FireworkKind2(const FireworkDesc& desc, platform::RandomGenerator& random);
    bool Tick() override;
    uint32_t GetLaunchesDone() const { return m_uLaunches; }

private:
    RocketFountainParams m_params;
    uint32_t m_uLaunches = 0;
    uint32_t m_uSinceLaunch = 9999999;
};

// A shell: a rocket climbs trailing sparks, bursts into stars at the top, and the stars spark as they fall.
class FireworkKind3 : public Firework
{
public:
    FireworkKind3(const FireworkDesc& desc, EffectSoundCallback sound, platform::RandomGenerator& random);
    bool Tick() override;
    uint32_t GetStage() const { return m_uStage; }

private:
    void PlaySound(const char* name, const platform::Vec3& position) const;

    ShellParams m_params;
    uint32_t m_uStage = 0;
    uint32_t m_uRocketId = 0;
    std::unique_ptr<uint32_t[]> m_pStarIds;
    EffectSoundCallback m_sound;
};

// A sparkler: four sparks a step, for ever.
class FireworkKind4 : public Firework
{
public:
    static constexpr uint32_t kCapacity = 200;
    FireworkKind4(const FireworkDesc& desc, platform::RandomGenerator& random);
    bool Tick() override;
};

// The sound names a shell picks from at launch and at its burst.
const char* PickLaunchSound(platform::RandomGenerator& random);
const char* PickExplodeSound(platform::RandomGenerator& random);
