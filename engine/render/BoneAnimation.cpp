// Posing bones from rest values, waves, key lists and key tracks.
#include "engine/render/BoneAnimation.h"

#include "engine/render/Waveform.h"

using platform::Matrix;
using platform::Vec3;

namespace
{

// Bounds a key list: false for an empty list or one whose last key has time 0 (no loop to take a modulo of).
bool Loops(const KeyFrame* keys, uint32_t count)
{
    return keys && count > 0 && keys[count - 1].m_uTime > 0;
}

uint32_t HeldKey(const KeyFrame* keys, uint32_t count, uint32_t clock)
{
    uint32_t previous = 0;
    uint32_t next = 0;
    FindKeyPair(keys, clock % keys[count - 1].m_uTime, count, &previous, &next);
    return previous;
}

void SetTranslation(Matrix* m, const Vec3& p)
{
    m->m[3][0] = p.x;
    m->m[3][1] = p.y;
    m->m[3][2] = p.z;
}

// Applies a bone's waves: each wave's value replaces the position, rotation or scale components it targets.
void ApplyWaves(const WaveRecord* waves, uint32_t count, uint32_t time, Vec3* position, Vec3* rotation, Vec3* scale)
{
    for (uint32_t i = 0; i < count; ++i)
    {
        const float value = EvaluateWave(waves[i], time);
        float* targets[9] = {&position->x, &position->y, &position->z, &rotation->x, &rotation->y,
                             &rotation->z, &scale->x,    &scale->y,    &scale->z};
        for (uint32_t bit = 0; bit < 9; ++bit)
            if (waves[i].uTarget & (1u << ((bit / 3) * 4 + bit % 3)))
                *targets[bit] = value;
    }
}

} // namespace

void FindKeyPair(const KeyFrame* keys, uint32_t time, uint32_t count, uint32_t* previous, uint32_t* next)
{
    uint32_t low = 0;
    uint32_t high = count;
    while (low < high)
    {
        const uint32_t mid = low + (high - low) / 2;
        if (keys[mid].m_uTime < time)
            low = mid + 1;
        else
            high = mid;
    }
    if (low >= count && count > 0)
        low = count - 1;
    *next = low;
    *previous = low == 0 ? 0 : low - 1;
}

bool SampleKeyVector(const KeyFrame* keys, uint32_t count, uint32_t clock, Vec3* out)
{
    if (!Loops(keys, count))
        return false;
    const KeyFrame& key = keys[HeldKey(keys, count, clock)];
    *out = {key.m_afValue[0], key.m_afValue[1], key.m_afValue[2]};
    return true;
}

bool SampleKeyRotation(const KeyFrame* keys, uint32_t count, uint32_t clock, Matrix* out)
{
    if (!Loops(keys, count))
        return false;
    const KeyFrame& key = keys[HeldKey(keys, count, clock)];
    *out =
        platform::MatrixRotationQuaternion({key.m_afValue[0], key.m_afValue[1], key.m_afValue[2], -key.m_afValue[3]});
    return true;
}

Matrix PlacementMatrix(const Vec3& position, const Vec3& orientation)
{
    Matrix m = platform::MatrixRotationYawPitchRoll(orientation.y, orientation.x, orientation.z);
    SetTranslation(&m, position);
    return m;
}

Matrix ComposeTransform(const Vec3& scale, const Vec3& rotation, const Vec3& position)
{
    Matrix m = platform::MatrixScaling(scale.x, scale.y, scale.z) *
               platform::MatrixRotationYawPitchRoll(rotation.y, rotation.x, rotation.z);
    SetTranslation(&m, position);
    return m;
}

Matrix SourceBoneLocal(const SBone& bone, const SBone* keys, uint32_t clock, uint32_t waveTime)
{
    Vec3 scale = bone.m_restScale;
    if (scale.x < 0.00001f)
        scale = {1.0f, 1.0f, 1.0f};
    Vec3 rotation = bone.m_restRotation;
    Vec3 position = bone.m_restPosition;

    if (keys && keys->m_uHasKeyLists != 0 && keys->m_pKeys)
    {
        const KeyListSet& lists = *keys->m_pKeys;
        Matrix spin = platform::MatrixRotationYawPitchRoll(rotation.y, rotation.x, rotation.z);
        const auto& r = lists.m_lists[kKeysRotation];
        SampleKeyRotation(r.data(), static_cast<uint32_t>(r.size()), clock, &spin);
        const auto& s = lists.m_lists[kKeysScale];
        SampleKeyVector(s.data(), static_cast<uint32_t>(s.size()), clock, &scale);
        if (bone.HasFixedPosition())
            position = {bone.m_local.m[3][0], bone.m_local.m[3][1], bone.m_local.m[3][2]};
        else
        {
            const auto& p = lists.m_lists[kKeysPosition];
            SampleKeyVector(p.data(), static_cast<uint32_t>(p.size()), clock, &position);
        }
        Matrix local = platform::MatrixScaling(scale.x, scale.y, scale.z) * spin;
        SetTranslation(&local, position);
        return local;
    }

    ApplyWaves(bone.m_waves.data(), static_cast<uint32_t>(bone.m_waves.size()), waveTime, &position, &rotation, &scale);
    const bool moved = position.x != 0.0f || position.y != 0.0f || position.z != 0.0f || rotation.x != 0.0f ||
                       rotation.y != 0.0f || rotation.z != 0.0f || scale.x != 1.0f || scale.y != 1.0f ||
                       scale.z != 1.0f;
    if (!moved)
        return bone.m_local;
    return ComposeTransform(scale, rotation, position) * bone.m_local;
}

Matrix OptBoneLocal(const OptBone& bone, const OptBone* keys, uint32_t clock, uint32_t waveTime)
{
    const OptKeyTrack* track = keys ? keys->m_pTrack.get() : nullptr;
    if (track && !track->m_keys.empty())
    {
        const uint32_t frames = static_cast<uint32_t>(track->m_keys.size());
        const auto& key = track->m_keys[(clock / track->GetTicksPerFrame()) % frames];
        const platform::Quaternion q = {key[0] / 32768.0f, key[1] / 32768.0f, key[3] / 32768.0f, key[2] / 32768.0f};
        Matrix local = platform::MatrixRotationQuaternion(q);
        const Vec3 position = (bone.m_uFlags & OptBoneFlags::kHasKeyLists)
                                  ? bone.m_position
                                  : Vec3{key[4] / 256.0f, key[5] / 256.0f, key[6] / 256.0f};
        SetTranslation(&local, position);
        return local;
    }
    constexpr uint32_t kTransform = OptBoneFlags::kScale | OptBoneFlags::kRotation | OptBoneFlags::kPosition;
    const bool hasLocal = (bone.m_uFlags & OptBoneFlags::kLocalMatrix) != 0;
    if (bone.m_uFlags & kTransform)
    {
        Vec3 position = bone.m_position;
        Vec3 rotation = bone.m_rotation;
        Vec3 scale = bone.m_scale;
        ApplyWaves(bone.GetWaves(), bone.GetWaves() ? bone.m_uWaveCount : 0, waveTime, &position, &rotation, &scale);
        const Matrix local = ComposeTransform(scale, rotation, position);
        return hasLocal ? local * bone.m_local : local;
    }
    return hasLocal ? bone.m_local : platform::MatrixIdentity();
}
