// The material table with its built-in materials, and the crossfade list.
#include "engine/render/MaterialTable.h"

#include "engine/render/TextureManager.h"
#include "engine/render/TextureSlots.h"

#include <algorithm>
#include <cmath>
#include <cstring>

MaterialTable g_MaterialTable;
CrossfadeList g_CrossfadeList;

namespace
{

// Animator slots by what they move (their order in a description).
enum AnimatorSlot
{
    kSlotOffsetU0 = 13,
    kSlotOffsetV0 = 14,
    kSlotRotation0 = 15,
    kSlotScaleU0 = 17,
    kSlotScaleV0 = 18,
    kSlotOffsetU1 = 19,
    kSlotOffsetV1 = 20,
    kSlotRotation1 = 21,
    kSlotScaleU1 = 23,
    kSlotScaleV1 = 24,
};

// A time-varying (or, with amplitude 0, constant) wave on a slot.
void Wave(MaterialDescription& d, int slot, uint8_t shape, float amplitude, float frequency, float phase, float offset)
{
    MakeWave(&d.m_aAnimators[slot], shape, amplitude, frequency, phase, offset);
}

void Constant(MaterialDescription& d, int slot, float value)
{
    Wave(d, slot, 1, 0.0f, 0.0f, 0.0f, value);
}

// Texture 0 shown without its outer 1/32 on every side.
void InsetFirstTexture(MaterialDescription& d)
{
    Constant(d, kSlotOffsetU0, 0.03125f);
    Constant(d, kSlotOffsetV0, 0.03125f);
    Constant(d, kSlotScaleU0, 0.9375f);
    Constant(d, kSlotScaleV0, 0.9375f);
}

// Texture 1 repeated `repeats` times across and down.
void TileSecondTexture(MaterialDescription& d, float repeats)
{
    Constant(d, kSlotScaleU1, repeats);
    Constant(d, kSlotScaleV1, repeats);
}

void Ops(MaterialDescription& d, int stage, uint16_t colour, uint16_t alpha)
{
    d.m_material.m_aStages[stage].m_uColourOp = colour;
    d.m_material.m_aStages[stage].m_uAlphaOp = alpha;
}

// Stage 1 drawn from a texture with these operations.
void SecondTexture(MaterialDescription& d, uint16_t colour, uint16_t alpha)
{
    d.m_material.m_aStages[1].m_uTextureMode = 1;
    Ops(d, 1, colour, alpha);
}

void Colours(MaterialDescription& d, uint32_t diffuse, uint32_t selfIllumination)
{
    d.m_material.m_uDiffuse = diffuse;
    d.m_material.m_uSelfIllumination = selfIllumination;
}

void Blend(MaterialDescription& d, uint8_t blendMode, uint8_t depthAlphaFlags)
{
    d.m_material.m_uBlendMode = blendMode;
    d.m_material.m_uDepthAlphaFlags = depthAlphaFlags;
}

void Flags(MaterialDescription& d, uint8_t depthAlphaFlags)
{
    d.m_material.m_uDepthAlphaFlags = depthAlphaFlags;
}

// The built-in materials in the order they are built; each starts from the defaults.
struct BuiltInMaterial
{
    int32_t number;
    void (*set)(MaterialDescription&);
};

const BuiltInMaterial kBuiltIns[] = {
    {1, [](MaterialDescription&) {}}, // the wireframe substitute and plain screen drawing
    {2, [](MaterialDescription& d) { d.m_material.m_aStages[0].m_uSampling = 1; }},
    {29, [](MaterialDescription&) {}},
    {3,
     [](MaterialDescription& d)
     {
         Ops(d, 0, 0, 0);
         d.m_material.m_uDepthCompare = 2;
     }},
    {4, [](MaterialDescription& d) { Blend(d, 0, 3); }},
    {5, [](MaterialDescription& d) { d.m_material.m_uBlendMode = 0; }},
    {6,
     [](MaterialDescription& d)
     {
         Colours(d, 0xFFFF0000, 0xFFFF0000);
         Ops(d, 0, 0, 0);
     }},
    {7, [](MaterialDescription& d) { d.m_material.m_uDiffuse = 0x80FFFFFF; }},
    {8, [](MaterialDescription& d) { Blend(d, 9, 0); }},
    {27, [](MaterialDescription& d) { Flags(d, 0); }},
    {9, [](MaterialDescription& d) { Flags(d, 0); }},
    {28,
     [](MaterialDescription& d)
     {
         Colours(d, 0xFFFFFF00, 0xFFFFFF00);
         Ops(d, 0, 0, 0);
     }},
    {17, // the untextured shadow
     [](MaterialDescription& d)
     {
         Ops(d, 0, 0, 1);
         Blend(d, 11, 0);
     }},
    {18, // the textured shadow
     [](MaterialDescription& d)
     {
         Ops(d, 0, 0, 1);
         Blend(d, 11, 2);
     }},
    {10,
     [](MaterialDescription& d)
     {
         d.m_material.m_uDiffuse = 0x7F000000;
         Flags(d, 0);
     }},
    {16,
     [](MaterialDescription& d)
     {
         d.m_material.m_aStages[0].m_uAlphaOp = 1;
         Flags(d, 3);
         d.m_material.m_uAlphaRef = 100;
     }},
    {11,
     [](MaterialDescription& d)
     {
         d.m_material.m_aStages[0].m_uAlphaOp = 1;
         Blend(d, 0, 3);
     }},
    {12,
     [](MaterialDescription& d)
     {
         Ops(d, 0, 8, 0);
         SecondTexture(d, 6, 1);
         Blend(d, 0, 3);
         d.m_material.m_uAlphaRef = 90;
         InsetFirstTexture(d);
         TileSecondTexture(d, 32.0f);
     }},
    {13,
     [](MaterialDescription& d)
     {
         Ops(d, 0, 8, 0);
         SecondTexture(d, 6, 1);
         Flags(d, 1);
         TileSecondTexture(d, 34.133335f);
     }},
    {23,
     [](MaterialDescription& d)
     {
         d.m_material.m_uDiffuse = 0;
         d.m_material.m_uSpecular = 0x008C96BE;
         d.m_material.m_fSpecularPower = 100.0f;
         Ops(d, 0, 5, 0);
         SecondTexture(d, 6, 1);
         Flags(d, 1);
         for (int slot : {kSlotOffsetU0, kSlotOffsetV0, kSlotOffsetU1, kSlotOffsetV1})
             Wave(d, slot, 2, 0.5f, 0.3f, 0.0f, 0.0f);
         Wave(d, kSlotRotation0, 2, 0.0f, 0.0f, 0.0f, 1.0f);
         Wave(d, kSlotRotation1, 2, 0.0f, 0.0f, 0.0f, 5.0f);
     }},
    {24,
     [](MaterialDescription& d)
     {
         d.m_material.m_uSpecular = 0x00FFC864;
         d.m_material.m_fSpecularPower = 8.0f;
         Ops(d, 0, 4, 2);
         SecondTexture(d, 5, 3);
         Flags(d, 3);
         for (int slot : {kSlotOffsetU0, kSlotOffsetV0, kSlotOffsetU1, kSlotOffsetV1})
             Wave(d, slot, 2, 0.5f, 0.3f, 0.0f, 0.0f);
         for (int slot : {kSlotRotation0, kSlotScaleU0, kSlotScaleV0, kSlotScaleU1, kSlotScaleV1})
             Wave(d, slot, 2, 0.0f, 0.0f, 0.0f, 2.0f);
         Wave(d, kSlotRotation1, 2, 0.0f, 0.0f, 0.0f, 5.0f);
     }},
    {20,
     [](MaterialDescription& d)
     {
         Ops(d, 0, 2, 0);
         Blend(d, 12, 0);
         InsetFirstTexture(d);
         TileSecondTexture(d, 8.0f);
     }},
    {15,
     [](MaterialDescription& d)
     {
         d.m_material.m_uDiffuse = 0x00FFFFFF;
         d.m_material.m_aStages[0].m_uAlphaOp = 0;
         Blend(d, 9, 1);
     }},
    {19,
     [](MaterialDescription& d)
     {
         Ops(d, 0, 2, 2);
         SecondTexture(d, 3, 3);
         Blend(d, 1, 0);
         TileSecondTexture(d, 4.0f);
         Wave(d, kSlotOffsetU1, 2, 0.5f, 0.1f, 0.0f, 0.0f);
         Wave(d, kSlotOffsetV1, 2, 0.5f, 0.1f, 0.0f, 0.0f);
     }},
    {21,
     [](MaterialDescription& d)
     {
         Colours(d, 0x776666AA, 0x776666AA);
         Ops(d, 0, 0, 0);
     }},
    {22,
     [](MaterialDescription& d)
     {
         Ops(d, 0, 8, 0);
         SecondTexture(d, 8, 1);
         Flags(d, 1);
     }},
    {MaterialTable::kSeeThrough, [](MaterialDescription& d) { d.m_material.m_uDiffuse = 0x80FFFFFF; }},
    {26, // the parts wireframe mode draws with
     [](MaterialDescription& d)
     {
         Colours(d, 0xFFFFFFFF, 0xFFFFFFFF);
         Ops(d, 0, 0, 0);
         Blend(d, 0, 0);
     }},
};

} // namespace

// ---- the material table

void MaterialTable::BuildDefaults()
{
    for (int i = 0; i < kBuiltInCount; ++i)
        m_aEntries[i].m_material.m_channels.clear();
    m_uExtraCount = 0;
    for (const BuiltInMaterial& row : kBuiltIns)
    {
        MaterialDescription description;
        row.set(description);
        Register(row.number, description);
    }
    m_bDefaultsBuilt = true;
}

void MaterialTable::Register(int32_t number, const MaterialDescription& description)
{
    if (number < 0 || number >= kEntryCount)
        return;
    Entry& entry = m_aEntries[number];
    static_cast<MaterialFields&>(entry.m_material) = description.m_material;
    const AnimatorList animators = CompactAnimators(description.m_aAnimators);
    entry.m_material.m_channels.assign(animators.pRecords.get(), animators.pRecords.get() + animators.iCount);
    InternMaterial(entry.m_material, &entry.m_parts, false);
    entry.m_bRegistered = true;
    if (number >= kBuiltInCount)
        m_uExtraCount = std::max(m_uExtraCount, static_cast<uint32_t>(number - kBuiltInCount + 1));
}

void MaterialTable::FreeAnimators()
{
    for (Entry& entry : m_aEntries)
        entry.m_material.m_channels = {};
    m_bDefaultsBuilt = false;
}

MaterialPartNumbers MaterialTable::GetParts(int32_t number) const
{
    if (number < 0 || number >= kEntryCount)
        return MaterialPartNumbers{};
    return m_aEntries[number].m_parts;
}

const SMaterial* MaterialTable::GetMaterial(int32_t number) const
{
    if (number < 0 || number >= kEntryCount || !m_aEntries[number].m_bRegistered)
        return nullptr;
    return &m_aEntries[number].m_material;
}

void MaterialTable::SetTextures(int32_t number, int32_t texture, int32_t secondTexture)
{
    if (number < 0 || number >= kEntryCount || !m_aEntries[number].m_bRegistered)
        return;
    m_aEntries[number].m_material.m_aStages[0].m_iTexture = texture;
    m_aEntries[number].m_material.m_aStages[1].m_iTexture = secondTexture;
}

// ---- crossfade textures

void CrossfadeList::Add(const char* name, std::unique_ptr<uint8_t[]> pixels, uint32_t width, uint32_t height,
                        uint32_t slot, uint32_t bytesPerPixel)
{
    if (!name || !pixels || bytesPerPixel != 4 || width == 0)
        return;
    CrossfadeRecord record;
    record.m_uWidth = width;
    record.m_uHeight = height;
    record.m_pImages = std::move(pixels);
    record.m_pBlend = std::make_unique<uint8_t[]>(static_cast<size_t>(width) * width * 4);
    record.m_name = name;
    record.m_uSlot = slot;
    m_records.push_back(std::move(record));
    ++m_uCount;
    m_uHighest = std::max(m_uHighest, m_uCount);
}

void CrossfadeList::Remove(const char* name)
{
    if (!name)
        return;
    for (auto it = m_records.begin(); it != m_records.end(); ++it)
    {
        if (it->m_name == name)
        {
            m_records.erase(it);
            --m_uCount;
            return;
        }
    }
}

void CrossfadeList::SetFactor(float t)
{
    m_fLastFactor = t;
    for (CrossfadeRecord& record : m_records)
    {
        if (std::fabs(t - record.m_fLastFactor) < 0.05f)
            continue;
        record.m_fLastFactor = t;
        const uint32_t width = record.m_uWidth;
        // The blend buffer holds one square: a taller record blends no more than that.
        const uint32_t height = std::min(record.m_uHeight, width);
        if (height == 0)
            continue; // nothing to blend and no rows to upload
        const size_t bytes = static_cast<size_t>(width) * 4 * height;
        const uint8_t* a = record.m_pImages.get();
        const uint8_t* b = a + static_cast<size_t>(width) * width * 4;
        for (size_t i = 0; i < bytes; ++i)
        {
            // Each product rounds on its own: two halves may round up to 256.
            const long sum = std::lround(a[i] * t) + std::lround(b[i] * (1.0f - t));
            record.m_pBlend[i] = static_cast<uint8_t>(std::clamp(sum, 0L, 255L));
        }
        g_TextureManager.UpdateTexture(record.m_uSlot, record.m_pBlend.get(), width, height, kTextureFormatA8R8G8B8);
    }
}

void CrossfadeList::Clear()
{
    m_records.clear();
    m_uCount = 0;
    m_fLastFactor = -1.0f;
}

const CrossfadeRecord* CrossfadeList::Find(const char* name) const
{
    for (const CrossfadeRecord& record : m_records)
        if (name && record.m_name == name)
            return &record;
    return nullptr;
}
