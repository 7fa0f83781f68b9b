// SkyDome: the sky round the park, its light and fog by the time of day, and the distant surround model.
#pragma once

#include "platform/gfx/Math.h"

#include <string>

class SkyDome
{
public:
    // Prepares the dome; the surround is not shown until one is loaded.
    void Init();
    // Loads the ground and cloud surround models by name (either may be null); false when neither loaded.
    bool LoadSurround(const char* ground, const char* cloud);
    void SetCentre(const platform::Vec3& centre) { m_Centre = centre; }
    void SetEnabled(bool enabled) { m_bEnabled = enabled; }
    // Colours and light for the World's time of day.
    void Update();
    void Render();

    const platform::Vec3& GetCentre() const { return m_Centre; }
    bool IsEnabled() const { return m_bEnabled; }
    const std::string& GetCloudName() const { return m_CloudName; }

private:
    platform::Vec3 m_Centre = {0.0f, 0.0f, 0.0f};
    bool m_bEnabled = false;
    std::string m_CloudName;
};

// The one sky of the program.
extern SkyDome g_SkyDome;
