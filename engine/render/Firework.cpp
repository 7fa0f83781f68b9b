// Fireworks: the palette and fade rows, particle systems, and the smoke, fountain, shell and sparkler effects.
#include "engine/render/Firework.h"

#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelHelpers.h"

#include <array>

using platform::Vec3;

namespace
{

constexpr float kStep = 1.0f / static_cast<float>(kEffectUpdateRate);
constexpr float kDamping = 0.95f;
constexpr float kUnitRand = 1.0f / 32767.0f;
// Built-in materials of the particles' billboards.
constexpr uint32_t kSmokeMaterial = 10;
constexpr uint32_t kSparkMaterial = 8;

constexpr uint32_t kPalette[16] = {0xFFFFFF, 0x1E1E1E, 0xEC9815, 0xFFF600, 0x4EFF00, 0x5151FF, 0xFF0000, 0x18F1FF,
                                   0xFF7AF4, 0xD4CC88, 0xFFD628, 0xC484FF, 0x18FFB6, 0xCCD5D7, 0xFFCFCF, 0xFF1D9D};

// Alpha by fade row and age (255 - life). Rows 6 to 15 stay 0.
using FadeTable = std::array<std::array<uint8_t, 256>, 16>;

uint32_t FlickerAlpha(uint32_t k)
{
    if (k == 0)
        return 255;
    if (k <= 239)
    {
        const uint32_t j = (k - 1) % 32;
        if (j <= 14)
            return 238 - 17 * j;
        return j <= 29 ? 17 * (j - 14) : 255;
    }
    if (k <= 246)
        return 17 * (k - 239);
    return k <= 253 ? 102 - 17 * (k - 247) : 0;
}

FadeTable BuildFadeTable()
{
    FadeTable rows = {};
    for (uint32_t k = 0; k < 256; ++k)
    {
        const uint32_t tail = k < 192 ? 255 : 252 - 4 * (k - 192);
        rows[0][k] = static_cast<uint8_t>(255 - k);
        rows[1][k] = static_cast<uint8_t>(FlickerAlpha(k));
        rows[2][k] = static_cast<uint8_t>(tail);
        rows[3][k] = static_cast<uint8_t>(k < 64 ? 4 * k : tail);
        rows[4][k] = static_cast<uint8_t>(k < 128 ? 2 * k : tail);
        rows[5][k] = static_cast<uint8_t>(k <= 128 ? 0 : k < 192 ? 4 * (k - 128) : tail);
    }
    return rows;
}

const FadeTable& Fades()
{
    static const FadeTable rows = BuildFadeTable();
    return rows;
}

Particle MakeParticle(const Vec3& position, const Vec3& velocity, uint8_t size, float gravityScale, uint8_t decay,
                      uint8_t palette, uint8_t fadeRow)
{
    const uint8_t code = static_cast<uint8_t>((fadeRow & 15) * 16 + (palette & 15));
    return {position, velocity, gravityScale, code, 255, decay, size};
}

} // namespace

uint32_t FireworkPalette(uint32_t index)
{
    return kPalette[index & 15];
}

uint8_t FireworkFade(uint32_t row, uint32_t age)
{
    return Fades()[row & 15][age & 255];
}

uint32_t ParticleColour(const Particle& particle)
{
    const uint32_t alpha = FireworkFade(particle.colourCode >> 4, 255u - particle.life);
    return FireworkPalette(particle.colourCode) + (alpha << 24);
}

// ---- the particle system

ParticleSystem::ParticleSystem(uint32_t capacity, uint32_t texture)
    : m_uTexture(texture), m_uCapacity(capacity), m_pParticles(std::make_unique<Particle[]>(capacity))
{
}

bool ParticleSystem::Add(const Particle& particle)
{
    if (m_uCount >= m_uCapacity)
        return false;
    m_pParticles[m_uCount++] = particle;
    return true;
}

uint32_t ParticleSystem::AddTracked(const Particle& particle)
{
    const uint32_t id = m_uNextId++;
    m_tracked.push_back({id, particle});
    return id;
}

Particle* ParticleSystem::FindTracked(uint32_t id)
{
    for (TrackedParticle& t : m_tracked)
        if (t.id == id)
            return &t.particle;
    return nullptr;
}

bool ParticleSystem::RemoveTracked(uint32_t id)
{
    for (auto it = m_tracked.begin(); it != m_tracked.end(); ++it)
        if (it->id == id)
        {
            m_tracked.erase(it);
            return true;
        }
    return false;
}

bool ParticleSystem::Step(Particle& p) const
{
    if (p.life <= p.decay)
        return false;
    p.life = static_cast<uint8_t>(p.life - p.decay);
    p.position = p.position + p.velocity * kStep;
    p.velocity = p.velocity + m_gravity * (p.gravityScale * kStep);
    p.velocity = p.velocity * kDamping;
    return true;
}

bool ParticleSystem::Update()
{
    // From the last down: a spent particle takes the last one, which this pass has already stepped.
    for (uint32_t i = m_uCount; i-- > 0;)
    {
        if (!Step(m_pParticles[i]))
            m_pParticles[i] = m_pParticles[--m_uCount];
    }
    for (auto it = m_tracked.begin(); it != m_tracked.end();)
    {
        if (Step(it->particle))
            ++it;
        else
            it = m_tracked.erase(it);
    }
    return true;
}

bool ParticleSystem::Draw(uint32_t material) const
{
    const auto draw = [&](const Particle& p)
    {
        const uint32_t colour = ParticleColour(p);
        if ((colour >> 24) == 0)
            return;
        g_GraphicsManager.DrawBillboard(p.position, static_cast<float>(p.size) * 0.1f, colour,
                                        static_cast<int32_t>(m_uTexture), static_cast<int32_t>(material));
    };
    for (uint32_t i = 0; i < m_uCount; ++i)
        draw(m_pParticles[i]);
    for (const TrackedParticle& t : m_tracked)
        draw(t.particle);
    return true;
}

// ---- the firework

Firework::Firework(uint32_t capacity, uint32_t texture, uint32_t material, platform::RandomGenerator& random)
    : SceneObject(kFireworkSceneKind), m_random(random), m_uMaterial(material), m_particles(capacity, texture)
{
}

bool Firework::Tick()
{
    return m_particles.Update();
}

bool Firework::Render()
{
    return m_particles.Draw(m_uMaterial);
}

bool Firework::AddParticle(const Vec3& position, const Vec3& velocity, uint8_t size, float gravityScale, uint8_t decay,
                           uint8_t palette, uint8_t fadeRow, bool tracked, uint32_t* id)
{
    const Particle particle = MakeParticle(position, velocity, size, gravityScale, decay, palette, fadeRow);
    if (!tracked)
        return m_particles.Add(particle);
    const uint32_t newId = m_particles.AddTracked(particle);
    if (id)
        *id = newId;
    return true;
}

Vec3 Firework::RandomDirection(uint32_t elevationRange)
{
    const float heading = static_cast<float>(Rand() % 360);
    const float elevation = static_cast<float>(static_cast<int32_t>(RandBelow(elevationRange)) - 90);
    return DirectionFromAngles(elevation, heading);
}

void Firework::Spray(const Vec3& at, uint32_t count, uint32_t elevationRange, float speedBase, uint32_t speedRange,
                     const uint8_t (&palettes)[2], uint32_t decayBase, uint32_t decayRange, uint8_t size,
                     float gravityScale, uint8_t fadeRow)
{
    for (uint32_t n = 0; n < count; ++n)
    {
        const Vec3 direction = RandomDirection(elevationRange);
        const float speed = RandomSpeed(speedBase, speedRange);
        const uint8_t palette = PickOneOfTwo(palettes);
        const uint8_t decay = RandomDecay(decayBase, decayRange);
        AddParticle(at, direction * speed, size, gravityScale, decay, palette, fadeRow, false);
    }
}

void Firework::EmitSpark(const Vec3& position, uint8_t palette, float speed)
{
    const Vec3 direction = RandomDirection();
    const uint8_t decay = static_cast<uint8_t>((Rand() & 7) + 8);
    AddParticle(position, direction * speed, 10, 0.02f, decay, palette, 2, false);
}

void Firework::EmitSmoke(const Vec3& position)
{
    const uint8_t decay = static_cast<uint8_t>((Rand() & 3) + 2);
    const float gravityScale = static_cast<float>(Rand()) * kUnitRand * 0.3f + 0.1f;
    const uint8_t size = static_cast<uint8_t>(Rand() % 30 + 30);
    AddParticle(position, {0.0f, 0.0f, 0.0f}, size, gravityScale, decay, 1, 0, false);
}

const char* PickLaunchSound(platform::RandomGenerator& random)
{
    static const char* const kNames[3] = {"GameData\\Sound\\Effects\\Firework\\Launch1.ogg",
                                          "GameData\\Sound\\Effects\\Firework\\Launch2.ogg",
                                          "GameData\\Sound\\Effects\\Firework\\Launch3.ogg"};
    return kNames[random.Next() % 3];
}

const char* PickExplodeSound(platform::RandomGenerator& random)
{
    static const char* const kNames[6] = {
        "GameData\\Sound\\Effects\\Firework\\Explode1.ogg", "GameData\\Sound\\Effects\\Firework\\Explode2.ogg",
        "GameData\\Sound\\Effects\\Firework\\Explode3.ogg", "GameData\\Sound\\Effects\\Firework\\Explode4.ogg",
        "GameData\\Sound\\Effects\\Firework\\Explode5.ogg", "GameData\\Sound\\Effects\\Firework\\Explode6.ogg"};
    return kNames[random.Next() % 6];
}

// ---- smoke

FireworkKind1::FireworkKind1(const FireworkDesc& desc, platform::RandomGenerator& random)
    : Firework(desc.capacity, desc.texture, kSmokeMaterial, random), m_params(desc.smoke)
{
    SetPositionVec(desc.position);
    m_fRadius = 100.0f;
    m_particles.SetGravity({0.0f, m_params.rise, 0.0f});
}

bool FireworkKind1::Tick()
{
    if (m_params.emittingSteps != 0)
    {
        const Vec3 origin = GetPosition();
        const Vec3& extent = m_params.extent;
        for (uint32_t n = 0; n < m_params.particlesPerStep; ++n)
        {
            const float rx = static_cast<float>(Rand()) * kUnitRand;
            const float ry = static_cast<float>(Rand()) * kUnitRand;
            const float rz = static_cast<float>(Rand()) * kUnitRand;
            const Vec3 position = {origin.x + rx * extent.x, origin.y + ry * extent.y, origin.z + rz * extent.z};
            const float u = static_cast<float>(Rand()) * kUnitRand * 0.5f - 0.25f;
            const float v = static_cast<float>(Rand()) * kUnitRand * 0.5f - 0.25f;
            const uint8_t decay = RandomDecay(m_params.decayBase, m_params.decayRange);
            AddParticle(position, {v, 0.0f, u}, 50, 0.1f, decay, 1, 4, false);
        }
        --m_params.emittingSteps;
    }
    else if (m_particles.GetCount() == 0)
        return false;

    // Puffs grow with age from 2 to 5 world units.
    for (uint32_t i = 0; i < m_particles.GetCount(); ++i)
    {
        Particle& p = m_particles.At(i);
        p.size = static_cast<uint8_t>(static_cast<float>(255 - p.life) * 0.003921569f * 30.0f + 20.0f);
    }
    return m_particles.Update();
}

// ---- rocket fountain

FireworkKind2::FireworkKind2(const FireworkDesc& desc, platform::RandomGenerator& random)
    : Firework(desc.capacity, desc.texture, kSparkMaterial, random), m_params(desc.fountain)
{
    SetPositionVec(desc.position);
    m_fRadius = 100.0f;
}

bool FireworkKind2::Tick()
{
    const RocketFountainParams& p = m_params;
    if (m_uLaunches < p.launchCount)
    {
        if (m_uSinceLaunch <= p.launchInterval)
            ++m_uSinceLaunch;
        else
        {
            const float heading = static_cast<float>(static_cast<int32_t>(RandBelow(p.headingRange)) + p.headingBase);
            const float elevation =
                static_cast<float>(static_cast<int32_t>(RandBelow(p.elevationRange)) + p.elevationBase);
            const float speed = RandomSpeed(p.rocketSpeedBase, p.rocketSpeedRange);
            const uint8_t palette = PickOneOfFour(p.rocketPalette);
            const uint8_t decay = RandomDecay(p.rocketDecayBase, p.rocketDecayRange);
            AddParticle(GetPosition(), DirectionFromAngles(elevation, heading) * speed, p.rocketSize,
                        p.rocketGravityScale, decay, palette, p.rocketFadeRow, true);
            ++m_uLaunches;
            m_uSinceLaunch = 0;
        }
    }
    else if (m_particles.GetCount() == 0 && m_particles.GetTrackedCount() == 0)
        return false;

    m_particles.ForEachTracked(
        [&](const Particle& rocket)
        {
            const Vec3 at = rocket.position;
            if (RandBelow(p.smokeChance) == 0)
                EmitSmoke(at);
            Spray(at, p.sparksPerStep, 180, p.sparkSpeedBase, p.sparkSpeedRange, p.sparkPalette, p.sparkDecayBase,
                  p.sparkDecayRange, p.sparkSize, p.sparkGravityScale, p.sparkFadeRow);
        });
    return m_particles.Update();
}

// ---- shell

FireworkKind3::FireworkKind3(const FireworkDesc& desc, EffectSoundCallback sound, platform::RandomGenerator& random)
    : Firework(desc.capacity, desc.texture, kSparkMaterial, random), m_params(desc.shell),
      m_pStarIds(std::make_unique<uint32_t[]>(desc.shell.starCount)), m_sound(std::move(sound))
{
    SetPositionVec(desc.position);
    m_fRadius = 100.0f;
}

void FireworkKind3::PlaySound(const char* name, const Vec3& position) const
{
    // A scheduler opened without a callback lets its shells fly silently.
    if (m_sound)
        m_sound(name, position, 1.0f);
}

bool FireworkKind3::Tick()
{
    const ShellParams& p = m_params;
    if (m_uStage == 0)
    {
        AddParticle(GetPosition(), {0.0f, p.launchSpeed, 0.0f}, 10, 0.5f, 0, 0, 0, true, &m_uRocketId);
        m_uStage = 1;
        PlaySound(PickLaunchSound(m_random), GetPosition());
    }
    else if (m_uStage == 1)
    {
        const Particle* rocket = m_particles.FindTracked(m_uRocketId);
        const Vec3 at = rocket ? rocket->position : GetPosition();
        if (!rocket || rocket->velocity.y < 0.0f)
        {
            for (uint32_t i = 0; i < p.starCount; ++i)
            {
                const float heading =
                    static_cast<float>(static_cast<int32_t>(RandBelow(p.starHeadingRange)) + p.starHeadingBase);
                const float elevation =
                    static_cast<float>(static_cast<int32_t>(RandBelow(p.starElevationRange)) + p.starElevationBase);
                const float speed = RandomSpeed(p.starSpeedBase, p.starSpeedRange);
                const uint8_t decay = RandomDecay(p.starDecayBase, p.starDecayRange);
                AddParticle(at, DirectionFromAngles(elevation, heading) * speed, p.starSize, p.starGravityScale, decay,
                            static_cast<uint8_t>(p.starPalette), p.starFadeRow, true, &m_pStarIds[i]);
            }
            PlaySound(PickExplodeSound(m_random), at);
            m_particles.RemoveTracked(m_uRocketId);
            m_uStage = 2;
        }
        else
        {
            if (RandBelow(p.climbSmokeChance) == 0)
                EmitSmoke(at);
            Spray(at, p.trailSparksPerStep, p.trailElevationRange, p.trailSpeedBase, p.trailSpeedRange, p.trailPalette,
                  p.trailDecayBase, p.trailDecayRange, p.trailSize, p.trailGravityScale, p.trailFadeRow);
        }
    }
    else if (m_uStage == 2)
    {
        if (m_particles.GetCount() == 0 && m_particles.GetTrackedCount() == 0)
            return false;
        for (uint32_t i = 0; i < p.starCount; ++i)
        {
            const Particle* star = m_particles.FindTracked(m_pStarIds[i]);
            if (!star)
                continue;
            const Vec3 at = star->position;
            if (RandBelow(p.starSmokeChance) == 0)
                EmitSmoke(at);
            Spray(at, p.starSparksPerStep, 180, p.starSparkSpeedBase, p.starSparkSpeedRange, p.starSparkPalette,
                  p.starSparkDecayBase, p.starSparkDecayRange, p.starSparkSize, p.starSparkGravityScale,
                  p.starSparkFadeRow);
        }
    }
    return m_particles.Update();
}

// ---- sparkler

FireworkKind4::FireworkKind4(const FireworkDesc& desc, platform::RandomGenerator& random)
    : Firework(kCapacity, desc.texture, kSparkMaterial, random)
{
    SetPositionVec(desc.position);
    m_fRadius = 100.0f;
}

bool FireworkKind4::Tick()
{
    for (int n = 0; n < 4; ++n)
    {
        const float speed = static_cast<float>(Rand() % 20) + 15.0f;
        EmitSpark(GetPosition(), 3, speed);
    }
    return m_particles.Update();
}
