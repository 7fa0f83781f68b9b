// Pan, rolloff and listener-relative panning used by the mixer.
#include "platform/audio/MixMath.h"

#include <cmath>

namespace platform
{

StereoGains PanGains(float pan)
{
    if (!(pan >= 0.0f))
        pan = 0.0f;
    if (pan > 255.0f)
        pan = 255.0f;
    StereoGains gains;
    if (pan > 128.0f)
        gains.left = (255.0f - pan) / 127.0f;
    if (pan < 128.0f)
        gains.right = pan / 128.0f;
    return gains;
}

float DistanceGain(float distance, float rolloff)
{
    constexpr float kMinDistance = 1.0f;
    if (!(rolloff > 0.0f) || !(distance > kMinDistance))
        return 1.0f;
    return kMinDistance / (kMinDistance + rolloff * (distance - kMinDistance));
}

float ListenerPan(const float* listenerPosition, const float* forward, const float* up, const float* source)
{
    float d[3] = {source[0] - listenerPosition[0], source[1] - listenerPosition[1], source[2] - listenerPosition[2]};
    // right = up x forward
    float r[3] = {up[1] * forward[2] - up[2] * forward[1], up[2] * forward[0] - up[0] * forward[2],
                  up[0] * forward[1] - up[1] * forward[0]};
    float dl = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    float rl = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
    if (!(dl > 1e-6f) || !(rl > 1e-6f))
        return 128.0f;
    float side = (d[0] * r[0] + d[1] * r[1] + d[2] * r[2]) / (dl * rl);
    if (side > 1.0f)
        side = 1.0f;
    if (side < -1.0f)
        side = -1.0f;
    float pan = 128.0f + 128.0f * side;
    return pan > 255.0f ? 255.0f : pan;
}

} // namespace platform
