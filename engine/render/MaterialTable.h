// The material table's built-in materials and the crossfade textures that follow the scene's brightness.
#pragma once

#include "engine/render/MaterialParts.h"
#include "engine/render/Waveform.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>

// One texture stage of a material.
struct MaterialStage
{
    uint16_t m_uTextureMode; // 0 none, 1 texture, 2 keep the bound texture, 3 and 5 reflection map, 4 and 6 normal map
    uint8_t m_uSampling;     // bits 0-1 filter (0 linear, 1 point), bits 2-3 mip filter (0 default, 4 linear, 8 none)
    int8_t m_iMipBias;       // device bias = value x 0.05 - 0.6
    int32_t m_iTexture;      // texture manager number, -1 none
    uint16_t m_uColourOp;
    uint16_t m_uAlphaOp;
};

// The fields of a material the renderer draws by, with the values every built-in material starts from.
struct MaterialFields
{
    uint32_t m_uDiffuse = 0xFFFFFFFF; // ARGB
    uint32_t m_uSelfIllumination = 0;
    uint32_t m_uSpecular = 0;
    float m_fSpecularPower = 0.0f;
    MaterialStage m_aStages[2] = {{1, 0, 0, -1, 2, 2}, {0, 0, 0, -1, 0, 0}};
    uint8_t m_uBlendMode = 4;
    uint8_t m_uDepthCompare = 1;
    uint8_t m_uAlphaRef = 127;
    uint8_t m_uDepthAlphaFlags = 1; // bit 0 depth write, bit 1 alpha test
};

// The build record of a material: its fields and its fixed animator slots (all empty by default).
struct MaterialDescription
{
    MaterialFields m_material;
    WaveRecord m_aAnimators[kAnimatorSlotCount] = {};
};

// The state set a material is drawn with: the description normalised (texture modes, unused stage 1) and made
// canonical (settings that cannot change the picture are cleared), so that materials drawing alike share one.
StateSet MakeStateSet(const MaterialDescription& description);

// Built-in and registered materials by number. Each entry keeps its fields, its compacted animators and the
// numbers of its material parts. So far the state sets are made; the texture-transform and lighting parts come
// with the model materials (their numbers stay -1).
class MaterialTable
{
public:
    static constexpr int kEntryCount = 255;
    static constexpr int kBuiltInCount = 30;

    // Builds the built-in materials; run once by the graphics manager after the device exists.
    void BuildDefaults();
    // The entry `number` (0 to 254; others are ignored) takes the description's fields and used animators, and
    // the numbers of its parts.
    void Register(int32_t number, const MaterialDescription& description);
    // Frees the animator lists of the built-in and extra entries.
    void FreeAnimators();

    bool AreDefaultsBuilt() const { return m_bDefaultsBuilt; }
    // The part numbers of an entry; all -1 for a number outside the table or an entry never registered.
    MaterialPartNumbers GetParts(int32_t number) const;
    // The fields of a registered entry, or null.
    const MaterialFields* GetFields(int32_t number) const;
    // The animators of an entry (an empty list for a number outside the table).
    const AnimatorList& GetAnimators(int32_t number) const;

private:
    struct Entry
    {
        MaterialFields m_fields;
        AnimatorList m_animators;
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
