// The mixer's level rules: channel pan, 3D distance rolloff and listener-relative panning.
#pragma once

namespace platform
{

struct StereoGains
{
    float left = 1.0f;
    float right = 1.0f;
};

// Pan 0..255 (128 centre, values outside clamped): the side the sound is panned away from fades linearly to
// silence at the far end, the other side keeps full level; the centre plays at full level on both.
StereoGains PanGains(float pan);

// Inverse-distance rolloff with minimum distance 1: full level up to 1 unit, then 1 / (1 + rolloff x (d - 1)).
// A negative or not-a-number rolloff counts as 0 (no rolloff).
float DistanceGain(float distance, float rolloff);

// The pan 0..255 of a source as the listener hears it: 128 + 128 x (the cosine between the direction to the
// source and the listener's right, which is up x forward in left-handed coordinates), at most 255. A source at the
// listener's position, or a listener with degenerate axes, gives the centre.
float ListenerPan(const float* listenerPosition, const float* forward, const float* up, const float* source);

} // namespace platform
