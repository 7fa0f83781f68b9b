// SkyDome: the day's tables from the sun-colour image, the colours and sun of a time of day, the scene's light and
// fog, the dome's vertices and colours, the sun flare and the surround model.
#include "world/SkyDome.h"

#include "engine/core/FileSystem.h"
#include "engine/core/Logger.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/MaterialTable.h"
#include "engine/render/ModelManager.h"
#include "engine/render/SceneObject.h"
#include "engine/render/TextureManager.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

SkyDome g_SkyDome;

namespace
{

using platform::Vec3;

constexpr float kPi = 3.14159265358979f;
constexpr float kDegreesToRadians = kPi / 180.0f;
// The dome: a bottom ring below the horizon, then rings rising 6 degrees at a time.
constexpr float kBottomRadius = 300.0f;
constexpr float kBottomHeight = -30.0f;
constexpr float kRingStep = 0.10471976f;
constexpr float kVertexStep = 0.09817477f;
// The flare adds its texture's light to what is behind it, writing no depth.
constexpr int32_t kFlareMaterial = 8;
constexpr float kUnfogged = 1000.0f;
// Marker codes of the sunrise and sunset entries.
constexpr uint32_t kSunriseLow = 61, kSunriseHigh = 67;
constexpr uint32_t kSunsetLow = 189, kSunsetHigh = 195;

uint32_t Channel(uint32_t colour, int shift)
{
    return (colour >> shift) & 0xFF;
}

uint32_t ReadPixel(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

int32_t RoundToInt(float value)
{
    return static_cast<int32_t>(std::lround(value));
}

uint32_t ClampChannel(float value)
{
    return static_cast<uint32_t>(std::clamp(static_cast<int32_t>(value), 0, 255));
}

// The entries either side of a fraction of the day, and how far it lies from the first towards the second.
struct Between
{
    int32_t i0;
    int32_t i1;
    float t;
};

Between EntriesFor(float fraction)
{
    if (!std::isfinite(fraction) || fraction < 0.0f)
        fraction = 0.0f;
    while (fraction >= 1.0f)
        fraction -= 1.0f;
    const float s = static_cast<float>(SkyDome::kDayEntries) * fraction;
    int32_t i = static_cast<int32_t>(s);
    int32_t i0 = i >= SkyDome::kDayEntries ? i - SkyDome::kDayEntries : i;
    int32_t i1 = i + 1 >= SkyDome::kDayEntries ? i + 1 - SkyDome::kDayEntries : i + 1;
    return {i0, i1, s - static_cast<float>(i0)};
}

} // namespace

void SkyDome::RegisterMaterial()
{
    // The vertex colours alone, no texture, no blending, the depth tested but not written: everything drawn after
    // the dome lies in front of it.
    MaterialDescription dome;
    dome.m_material.m_aStages[0].m_uTextureMode = 0;
    dome.m_material.m_aStages[0].m_uColourOp = 0;
    dome.m_material.m_aStages[0].m_uAlphaOp = 0;
    dome.m_material.m_uBlendMode = 0;
    dome.m_material.m_uDepthAlphaFlags = 0;
    g_MaterialTable.Register(kDomeMaterial, dome);
}

void SkyDome::Init()
{
    RegisterMaterial();
    LoadColourImage(kColourFile);
    BuildDome();
    m_bEnabled = false;
    Update();
    m_uGroundModel = m_uCloudModel = 0;
    Release();
    if (g_TextureManager.IsInitialised())
        m_uFlareTexture = g_TextureManager.Load(kFlareTexture, false, false);
}

bool SkyDome::LoadColourImage(const char* file)
{
    UseDaylight();
    uint32_t size = 0;
    const std::unique_ptr<char[]> data(file ? GetFileSystem()->LoadFileSized(file, &size) : nullptr);
    if (!data)
    {
        // A data set without the day's colours is no fault: its parks stand in daylight.
        GetLogger()->Report(1, "SkyDome::Init - no %s: the sky keeps a fixed daylight", file ? file : "");
        return false;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.get());
    uint32_t width = 0, height = 0;
    bool usable = size >= kHeaderSize && bytes[2] == 2 && bytes[16] == 32;
    if (usable)
    {
        width = bytes[12] | static_cast<uint32_t>(bytes[13]) << 8;
        height = bytes[14] | static_cast<uint32_t>(bytes[15]) << 8;
        usable = width >= kMinImageWidth && height >= kMinImageHeight &&
                 static_cast<uint64_t>(size) >= kHeaderSize + 4ull * width * height;
    }
    if (!usable)
    {
        GetLogger()->Report(0,
                            "SkyDome::Init - %s is not an uncompressed 32-bit image of at least %u x %u pixels: "
                            "the sky keeps a fixed daylight",
                            file, kMinImageWidth, kMinImageHeight);
        return false;
    }

    // Each table is one row, counted from the end of the file's rows: 33 + 16 k rows in for table k.
    const auto row = [&](uint32_t rowsIn) { return bytes + kHeaderSize + 4ull * width * (height - rowsIn); };
    const auto tableRow = [&](uint32_t k) { return row(33 + 16 * k); };
    uint32_t colours[kColourTables][kDayEntries];
    uint8_t numbers[2][kDayEntries];
    uint8_t marks[kDayEntries];
    uint8_t singles[kDayEntries];
    const uint8_t* colourRows[kColourTables] = {tableRow(0), tableRow(1), tableRow(2), tableRow(3), tableRow(6)};
    const uint8_t* numberRows[2] = {tableRow(7), row(163)};
    for (int32_t e = 0; e < kDayEntries; ++e)
    {
        for (int32_t t = 0; t < kColourTables; ++t)
            colours[t][e] = ReadPixel(colourRows[t] + 4 * e) | 0xFF000000u;
        for (int32_t t = 0; t < 2; ++t)
            numbers[t][e] = static_cast<uint8_t>(ReadPixel(numberRows[t] + 4 * e));
        marks[e] = static_cast<uint8_t>(ReadPixel(tableRow(4) + 4 * e));
        singles[e] = static_cast<uint8_t>(ReadPixel(tableRow(9) + 4 * e));
    }
    int32_t sunrise = -1, sunset = -1;
    for (int32_t e = 0; e < kDayEntries; ++e)
    {
        if (sunrise < 0 && marks[e] >= kSunriseLow && marks[e] <= kSunriseHigh)
            sunrise = e;
        if (sunset < 0 && marks[e] >= kSunsetLow && marks[e] <= kSunsetHigh)
            sunset = e;
    }
    // The sun's way is measured from sunrise to sunset: without both, in that order, it has none.
    if (sunrise < 0 || sunset < 0 || sunset <= sunrise)
    {
        GetLogger()->Report(0,
                            "SkyDome::Init - %s marks no sunrise before its sunset (sunrise %d, sunset %d): the sky "
                            "keeps a fixed daylight",
                            file, sunrise, sunset);
        return false;
    }
    std::copy(&colours[0][0], &colours[0][0] + kColourTables * kDayEntries, &m_Colours[0][0]);
    std::copy(&numbers[0][0], &numbers[0][0] + 2 * kDayEntries, &m_Numbers[0][0]);
    std::copy(singles, singles + kDayEntries, m_Bytes);
    m_iSunrise = sunrise;
    m_iSunset = sunset;
    m_bTables = true;
    return true;
}

void SkyDome::UseDaylight()
{
    m_bTables = false;
    m_iSunrise = m_iSunset = -1;
    for (int32_t t = 0; t < kColourTables; ++t)
        std::fill(m_Colours[t], m_Colours[t] + kDayEntries, kDaylight[t]);
    std::fill(m_Numbers[0], m_Numbers[0] + kDayEntries, static_cast<uint8_t>(kDaylightFogStart));
    std::fill(m_Numbers[1], m_Numbers[1] + kDayEntries, static_cast<uint8_t>(kDaylightFogRange));
    std::fill(m_Bytes, m_Bytes + kDayEntries, static_cast<uint8_t>(0));
}

bool SkyDome::LoadSurround(const char* ground, const char* cloud)
{
    char path[512];
    m_CloudName = cloud ? cloud : "";
    if (ground)
    {
        std::snprintf(path, sizeof path, "%s\\%s", kGroundDirectory, ground);
        m_uGroundModel = g_ModelManager.Load(path);
    }
    if (cloud)
    {
        std::snprintf(path, sizeof path, "%s\\%s", kCloudDirectory, cloud);
        m_uCloudModel = g_ModelManager.Load(path);
    }
    if (m_uGroundModel == 0 && m_uCloudModel == 0)
        return false;
    m_bEnabled = true;
    return true;
}

void SkyDome::BuildDome()
{
    m_Vertices.assign(kVertexCount, Vertex{});
    for (int32_t ring = 0; ring <= kUpperRings; ++ring)
    {
        float radius = kBottomRadius;
        float height = kBottomHeight;
        if (ring > 0)
        {
            const float e = kRingStep * static_cast<float>(ring - 1);
            const float bulge = 2.0f * std::cos(e) + 1.0f;
            radius = 100.0f * std::cos(e) * bulge;
            height = 100.0f * std::sin(e) * bulge;
        }
        for (int32_t k = 0; k < kRingVertices; ++k)
        {
            const float a = kVertexStep * static_cast<float>(k);
            Vertex& v = m_Vertices[static_cast<size_t>(ring * kRingVertices + k)];
            v.position = {radius * std::cos(a), height, radius * std::sin(a)};
            v.u = static_cast<float>(k) / kRingVertices;
            v.v = static_cast<float>(ring) / kUpperRings;
        }
    }
    m_Indices.clear();
    m_Indices.reserve(kIndexCount);
    for (int32_t ring = 0; ring < kUpperRings; ++ring)
    {
        for (int32_t k = 0; k < kRingVertices; ++k)
        {
            const auto at = [&](int32_t r, int32_t c)
            { return static_cast<uint16_t>(r * kRingVertices + (c % kRingVertices)); };
            // Clockwise as seen from inside the dome.
            const uint16_t quad[6] = {at(ring, k), at(ring + 1, k + 1), at(ring + 1, k),
                                      at(ring, k), at(ring, k + 1),     at(ring + 1, k + 1)};
            m_Indices.insert(m_Indices.end(), quad, quad + 6);
        }
    }
    m_DrawVertices.assign(kVertexCount, TexturedVertex{});
}

std::array<uint32_t, SkyDome::kColourTables> SkyDome::ColoursFor(float fraction) const
{
    const Between b = EntriesFor(fraction);
    std::array<uint32_t, kColourTables> out{};
    for (int32_t t = 0; t < kColourTables; ++t)
    {
        const uint32_t a = m_Colours[t][b.i0];
        const uint32_t c = m_Colours[t][b.i1];
        uint32_t colour = 0;
        for (int shift = 0; shift < 32; shift += 8)
        {
            const float mixed =
                (1.0f - b.t) * static_cast<float>(Channel(a, shift)) + b.t * static_cast<float>(Channel(c, shift));
            colour |= std::min(static_cast<uint32_t>(mixed), 255u) << shift;
        }
        out[static_cast<size_t>(t)] = colour | 0xFF000000u;
    }
    return out;
}

std::array<float, 2> SkyDome::NumbersFor(float fraction) const
{
    const Between b = EntriesFor(fraction);
    std::array<float, 2> out{};
    for (int32_t t = 0; t < 2; ++t)
        out[static_cast<size_t>(t)] =
            (1.0f - b.t) * static_cast<float>(m_Numbers[t][b.i0]) + b.t * static_cast<float>(m_Numbers[t][b.i1]);
    return out;
}

float SkyDome::SunAngleFor(float fraction) const
{
    if (!m_bTables)
        return kDaylightSunAngle;
    if (!std::isfinite(fraction) || fraction < 0.0f)
        fraction = 0.0f;
    while (fraction >= 1.0f)
        fraction -= 1.0f;
    const float s = static_cast<float>(kDayEntries) * fraction;
    const float rise = static_cast<float>(m_iSunrise);
    const float set = static_cast<float>(m_iSunset);
    if (s >= rise && s < set)
        return 180.0f * std::clamp((s - rise) / (set - rise), 0.0f, 1.0f);
    const float since = s < rise ? s + static_cast<float>(kDayEntries) : s;
    const float night = static_cast<float>(kDayEntries) - (set - rise);
    return 180.0f + 180.0f * std::clamp((since - set) / night, 0.0f, 1.0f);
}

Vec3 SkyDome::SunDirectionForAngle(float degrees)
{
    const float a = degrees * kDegreesToRadians;
    return platform::Vec3Normalize({std::cos(a), std::sin(a), 0.5f});
}

uint32_t SkyDome::SkyColour(const Vec3& direction, const Vec3& sun)
{
    const float h = sun.y;
    int32_t r = RoundToInt(33.6f * h);
    int32_t g = RoundToInt(198.0f * h);
    int32_t b = RoundToInt(375.0f * h);
    const Vec3 v = platform::Vec3Normalize({150.0f * direction.x, 500.0f * direction.y, 50.0f * direction.z});
    const float facing = platform::Vec3Dot(sun, v);
    const float i = h >= 0.0f ? facing * (1.0f - h) * (1.0f - h) : facing * std::pow(1.0f + h, 4.0f);
    r += RoundToInt(900.0f * i);
    g += RoundToInt(250.0f * i);
    b += RoundToInt(-96.0f * i);
    return 0xFF000000u | ClampChannel(1.05f * static_cast<float>(r)) << 16 |
           ClampChannel(1.02f * static_cast<float>(g)) << 8 | ClampChannel(0.9f * static_cast<float>(b));
}

void SkyDome::Update()
{
    // Noon when there is no park to take the time from.
    float fraction = 0.5f;
    if (g_pWorld)
        fraction = static_cast<float>(g_pWorld->GetHour() * 60 + g_pWorld->GetMinute()) / 1440.0f;
    UpdateForDayFraction(fraction);
}

void SkyDome::UpdateForDayFraction(float fraction)
{
    m_Current = ColoursFor(fraction);
    const std::array<float, 2> numbers = NumbersFor(fraction);
    m_fFogStart = numbers[0];
    m_fFogRange = numbers[1];
    m_SunDirection = SunDirectionForAngle(SunAngleFor(fraction));

    // The light comes from the sun; the fog's colour is the fifth table's.
    GraphicsManager& gm = g_GraphicsManager;
    gm.SetLight(-m_SunDirection, m_Current[2], m_Current[0], m_Current[3], m_Current[1]);
    gm.SetFog(m_fFogStart, m_fFogRange, m_Current[4]);

    for (Vertex& vertex : m_Vertices)
    {
        vertex.colour = SkyColour(vertex.position * 0.01f, m_SunDirection);
        const uint32_t brightest =
            std::max({Channel(vertex.colour, 16), Channel(vertex.colour, 8), Channel(vertex.colour, 0)});
        vertex.grey = 0xFF000000u | brightest * 0x010101u;
    }
}

bool SkyDome::FlareFor(float sunHeight)
{
    const float v = 1.0f - sunHeight + 0.2f;
    if (!(v > 0.0f))
        return false;
    const uint32_t level = static_cast<uint32_t>(255.0f * std::clamp(v, 0.5f, 1.0f));
    m_uFlareColour = 0xFF000000u | level * 0x010101u;
    m_fFlareSize = sunHeight >= 1.0f ? 49.0f * sunHeight : 35.0f;
    return true;
}

void SkyDome::Render()
{
    Update();
    GraphicsManager& gm = g_GraphicsManager;
    const Vec3 eye = gm.GetEyePosition();

    // The dome round the eye, its colours alone, beyond the fog; the fog is sent again afterwards.
    for (size_t i = 0; i < m_Vertices.size(); ++i)
    {
        const Vertex& v = m_Vertices[i];
        m_DrawVertices[i] = {v.position.x, v.position.y, v.position.z, v.colour, v.u, v.v};
    }
    gm.ApplyFogScale(kUnfogged);
    gm.DrawTexturedPolysAt(m_DrawVertices.data(), static_cast<uint32_t>(m_DrawVertices.size()), m_Indices.data(),
                           static_cast<uint32_t>(m_Indices.size()), -1, -1, eye, kDomeMaterial);
    gm.SetFog(-1.0f, 0.0f, 0);

    m_bFlareShown = FlareFor(m_SunDirection.y) && m_uFlareTexture != 0;
    if (m_bFlareShown)
        gm.DrawBillboard(eye + m_SunDirection * kFlareDistance, m_fFlareSize, m_uFlareColour,
                         static_cast<int32_t>(m_uFlareTexture), kFlareMaterial);

    if (m_bEnabled && m_uCloudModel != 0)
        gm.DrawModel(m_uCloudModel, 0, m_Centre, {0.0f, 0.0f, 0.0f}, SceneObject::kDefaultBoneMask, nullptr, 0, 0);
}

void SkyDome::Release()
{
    if (m_uFlareTexture != 0 && g_TextureManager.IsInitialised())
        g_TextureManager.Release(m_uFlareTexture);
    m_uFlareTexture = 0;
}
