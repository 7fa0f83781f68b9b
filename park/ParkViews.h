// What the park asks of the views and sounds above it: the camera (look at a place, stop and go on following an
// object) and the guests' voices. The game shell registers them; without one the park runs silent and the camera
// stays where it is.
#pragma once

#include "platform/gfx/Math.h"

#include <cstdint>

class ParkViews
{
public:
    virtual ~ParkViews() = default;
    // Turns the camera to a map position.
    virtual void LookAt(const platform::Vec3& mapPosition) = 0;
    // The camera stops following the object for a while (it has gone inside), or follows it again.
    virtual void PauseFollowing(uint32_t id) = 0;
    virtual void ResumeFollowing(uint32_t id) = 0;
    // One of the eight opinion sounds (0 to 3 a man's, 4 to 7 a woman's) at a map position.
    virtual void PlayOpinionSound(int32_t sound, const platform::Vec3& mapPosition) = 0;
};

// The registered views, or null.
ParkViews* GetParkViews();
void SetParkViews(ParkViews* views);
