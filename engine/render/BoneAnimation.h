// Posing bones: sampling key lists (held, not interpolated), the local transform of a source-form bone from its
// rest values, waves or key lists, and of an optimised bone from its flags, waves or key track.
#pragma once

#include "engine/render/OptModel.h"
#include "engine/render/TmFormat.h"
#include "platform/gfx/Math.h"

#include <cstdint>

// The first key whose time is at least `time` (binary search over keys in ascending time) and the key before it;
// both are 0 when it is the first key (or when no key reaches the time, the last key and the one before it).
void FindKeyPair(const KeyFrame* keys, uint32_t time, uint32_t count, uint32_t* previous, uint32_t* next);
// The key held at the clock (clock modulo the last key's time): its first three values. False (out untouched)
// for an empty list or a loop length of 0.
bool SampleKeyVector(const KeyFrame* keys, uint32_t count, uint32_t clock, platform::Vec3* out);
// The rotation held at the clock: the key's quaternion (x, y, z, w) with w negated. False as above.
bool SampleKeyRotation(const KeyFrame* keys, uint32_t count, uint32_t clock, platform::Matrix* out);

// Where a model stands: turned by the orientation (x pitch, y yaw, z roll), then moved to the position.
platform::Matrix PlacementMatrix(const platform::Vec3& position, const platform::Vec3& orientation);

// Scaling, then rotation (pitch about x, yaw about y, roll about z), then the translation.
platform::Matrix ComposeTransform(const platform::Vec3& scale, const platform::Vec3& rotation,
                                  const platform::Vec3& position);

// The local matrix of a source-form bone. `keys` supplies the key lists (the bone itself, or the animation's bone
// at the same place); without key lists the rest values and the bone's waves at `waveTime` are used. `clock` is
// in key-time units.
platform::Matrix SourceBoneLocal(const SBone& bone, const SBone* keys, uint32_t clock, uint32_t waveTime);

// The local matrix of an optimised bone; `keys` is the bone whose key track poses it (the bone itself or the
// animation's), or null.
platform::Matrix OptBoneLocal(const OptBone& bone, const OptBone* keys, uint32_t clock, uint32_t waveTime);
