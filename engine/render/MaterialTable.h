// The material table's built-in materials and the crossfade textures that follow the scene's brightness.
#pragma once

#include <cstdint>

// Built-in and registered materials by number. So far only the set-up and tear-down the graphics manager runs
// exist; the materials themselves come with the material render states.
class MaterialTable
{
public:
    static constexpr int kEntryCount = 255;
    static constexpr int kBuiltInCount = 30;

    // Builds the built-in materials; run once by the graphics manager after the device exists.
    void BuildDefaults();
    // Frees the animator lists of the built-in and extra entries.
    void FreeAnimators();

    bool AreDefaultsBuilt() const { return m_bDefaultsBuilt; }

private:
    uint32_t m_uExtraCount = 0;
    bool m_bDefaultsBuilt = false;
};

extern MaterialTable g_MaterialTable;

// Textures shown as a blend of two images; the blend factor follows the light.
class CrossfadeList
{
public:
    // Every record moves to factor t (1 shows the upper image, 0 the lower).
    void SetFactor(float t);
    // Removes and frees every record.
    void Clear();

    uint16_t GetCount() const { return m_uCount; }
    // The factor of the last SetFactor (-1 before the first).
    float GetLastFactor() const { return m_fLastFactor; }

private:
    uint16_t m_uCount = 0;
    float m_fLastFactor = -1.0f;
};

extern CrossfadeList g_CrossfadeList;
