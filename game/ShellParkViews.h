// ShellParkViews: the camera and the guests' voices as the park asks for them, through the camera manager and the
// park's sound script, and the park as the radar shows it; the park screen registers it while a park runs.
#pragma once

#include "gui/Radar.h"
#include "park/ParkViews.h"

class ShellParkViews final : public ParkViews, public RadarPark
{
public:
    void LookAt(const platform::Vec3& mapPosition) override;
    void PauseFollowing(uint32_t id) override;
    void ResumeFollowing(uint32_t id) override;
    void PlayOpinionSound(int32_t sound, const platform::Vec3& mapPosition) override;
    bool GetRadarView(RadarView& view) override;
    void LookAtMapPos(float x, float y) override;
};
