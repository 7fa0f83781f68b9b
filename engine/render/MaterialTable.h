// The material table's built-in materials and the crossfade textures that follow the scene's brightness.
#pragma once

#include "engine/render/Material.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/Waveform.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>

// The build record of a material: its fields and its fixed animator slots (all empty by default).
struct MaterialDescription
{
    MaterialFields m_material;
    WaveRecord m_aAnimators[kAnimatorSlotCount] = {};
};

// Built-in and registered materials by number. Each entry keeps its material (fields and compacted animators) and
// the numbers of its three material parts.
class MaterialTable
{
public:
    static constexpr int kEntryCount = 255;
    static constexpr int kBuiltInCount = 30;
    // The wireframe substitute, the untextured and textured shadows, and the half-transparent white of a model
    // shown see-through.
    static constexpr int kWireframe = 1;
    static constexpr int kShadow = 17;
    static constexpr int kTexturedShadow = 18;
    static constexpr int kSeeThrough = 25;

    // Builds the built-in materials; run once by the graphics manager after the device exists.
    void BuildDefaults();
    // The entry `number` (0 to 254; others are ignored) takes the description's fields and used animators, and
    // the numbers of its parts.
    void Register(int32_t number, const MaterialDescription& description);
    // Frees the animator lists of the built-in and extra entries.
    void FreeAnimators();
    // Writes the texture numbers of both stages of a registered entry (others are ignored).
    void SetTextures(int32_t number, int32_t texture, int32_t secondTexture);

    bool AreDefaultsBuilt() const { return m_bDefaultsBuilt; }
    // The part numbers of an entry; all -1 for a number outside the table or an entry never registered.
    MaterialPartNumbers GetParts(int32_t number) const;
    // The material of a registered entry, or null.
    const SMaterial* GetMaterial(int32_t number) const;
    uint32_t GetExtraCount() const { return m_uExtraCount; }

private:
    struct Entry
    {
        SMaterial m_material;
        MaterialPartNumbers m_parts;
        bool m_bRegistered = false;
    };

    Entry m_aEntries[kEntryCount];
    uint32_t m_uExtraCount = 0;
    bool m_bDefaultsBuilt = false;
};

extern MaterialTable g_MaterialTable;

// A texture shown as a blend of two square images.
struct CrossfadeRecord
{
    uint32_t m_uWidth = 0;
    uint32_t m_uHeight = 0;
    std::unique_ptr<uint8_t[]> m_pImages; // image A (the upper square), then image B
    std::unique_ptr<uint8_t[]> m_pBlend;  // width x width x 4 bytes, uploaded to the slot
    std::string m_name;
    uint32_t m_uSlot = 0;
    float m_fLastFactor = -1.0f;
};

// Textures shown as a blend of two images; the blend factor follows the light.
class CrossfadeList
{
public:
    // Registers a texture manager slot whose image file holds two width x width squares one above the other
    // (`pixels`: both, 4 bytes per pixel). Other pixel sizes are refused.
    void Add(const char* name, std::unique_ptr<uint8_t[]> pixels, uint32_t width, uint32_t height, uint32_t slot,
             uint32_t bytesPerPixel);
    // Frees the first record of that name; an unknown name changes nothing.
    void Remove(const char* name);
    // Every record moves to factor t (1 shows the upper image, 0 the lower).
    void SetFactor(float t);
    // Removes and frees every record.
    void Clear();

    uint16_t GetCount() const { return m_uCount; }
    uint16_t GetHighestCount() const { return m_uHighest; }
    // The factor of the last SetFactor (-1 before the first).
    float GetLastFactor() const { return m_fLastFactor; }
    // The first record of that name, or null.
    const CrossfadeRecord* Find(const char* name) const;

private:
    std::list<CrossfadeRecord> m_records;
    uint16_t m_uCount = 0;
    uint16_t m_uHighest = 0;
    float m_fLastFactor = -1.0f;
};

extern CrossfadeList g_CrossfadeList;
