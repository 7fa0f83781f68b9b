// SkyDome: the sky round the park, its light and fog by the time of day, and the distant surround model. The day's
// colours come from rows of 384 pixels (one per 1/384 of a day, from midnight) in the sun-colour image.
#pragma once

#include "engine/render/RenderTypes.h"
#include "platform/gfx/Math.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class SkyDome
{
public:
    static constexpr int32_t kDayEntries = 384;
    static constexpr int32_t kColourTables = 5;
    // The smallest image that holds every row the tables are read from.
    static constexpr uint32_t kMinImageWidth = 384;
    static constexpr uint32_t kMinImageHeight = 177;
    static constexpr uint32_t kHeaderSize = 18;
    static constexpr int32_t kRingVertices = 64;
    static constexpr int32_t kUpperRings = 16;
    static constexpr int32_t kVertexCount = kRingVertices * (kUpperRings + 1);
    static constexpr int32_t kIndexCount = kRingVertices * kUpperRings * 6;
    static constexpr float kFlareDistance = 100.0f;
    // The material number the dome is drawn with (one of the table's numbers past the built-in ones).
    static constexpr int32_t kDomeMaterial = 40;
    static constexpr const char* kColourFile = "Data/Textures/Suncols.tga";
    static constexpr const char* kFlareTexture = "Data/Textures/SunFlare.tga";
    static constexpr const char* kGroundDirectory = "GAMEDATA\\GAMEART\\TM Files\\Common\\world exterior\\Ground";
    static constexpr const char* kCloudDirectory = "Data\\Models\\D_Ezize\\fluff";
    // The fixed daylight kept when the colour image cannot be used: light, fog and sky of a clear midday.
    static constexpr uint32_t kDaylight[kColourTables] = {0xFFB4B4B4, 0xFFFFFFFF, 0xFF000000, 0xFF4B4B4B, 0xFF9CB8D8};
    static constexpr float kDaylightFogStart = 150.0f;
    static constexpr float kDaylightFogRange = 150.0f;
    static constexpr float kDaylightSunAngle = 90.0f;

    // A dome vertex: its position round the eye, its sky colour, the grey of that colour's brightest channel and
    // texture coordinates round and up the dome.
    struct Vertex
    {
        platform::Vec3 position;
        uint32_t colour;
        uint32_t grey;
        float u, v;
    };

    // Loads the colour image, builds the dome, clears the enabled flag and both surround models, computes the first
    // colours and loads the flare texture.
    void Init();
    // Reads the day's tables from a colour image. An image that is not an uncompressed 32-bit TGA of at least
    // 384 x 177 pixels with all of them there, or whose marker row has no sunrise before its sunset, is reported in
    // a message box and leaves a fixed daylight (a missing one too, reported to the debugger output); false then.
    bool LoadColourImage(const char* file);
    // Loads the ground and cloud surround models by name (either may be null); false when neither loaded, else the
    // surround is enabled.
    bool LoadSurround(const char* ground, const char* cloud);
    void SetCentre(const platform::Vec3& centre) { m_Centre = centre; }
    void SetEnabled(bool enabled) { m_bEnabled = enabled; }
    // The colours, sun, light, fog and dome for the park's time of day.
    void Update();
    // The same for a fraction of the day (0 midnight, 0.5 noon; 1 or more wraps).
    void UpdateForDayFraction(float fraction);
    // Update, the dome round the eye, the sun flare, and the cloud surround at the centre while enabled.
    void Render();
    // Gives the flare texture back (the park is going).
    void Release();

    // ---- the day's values
    bool HasDayTables() const { return m_bTables; }
    int32_t GetSunrise() const { return m_iSunrise; }
    int32_t GetSunset() const { return m_iSunset; }
    // Entry `entry` (0 to 383) of colour table `table` (0 to 4), number table 0 or 1, and the byte table.
    uint32_t GetTableColour(int32_t table, int32_t entry) const { return m_Colours[table][entry]; }
    uint8_t GetTableNumber(int32_t table, int32_t entry) const { return m_Numbers[table][entry]; }
    uint8_t GetTableByte(int32_t entry) const { return m_Bytes[entry]; }
    // The five colours between two entries for a fraction of the day.
    std::array<uint32_t, kColourTables> ColoursFor(float fraction) const;
    // The two numbers (fog start and range) likewise.
    std::array<float, 2> NumbersFor(float fraction) const;
    // The sun's angle in degrees: 0 at sunrise, 180 at sunset, on round to 360 by the next sunrise.
    float SunAngleFor(float fraction) const;
    static platform::Vec3 SunDirectionForAngle(float degrees);
    // The sky's colour in a direction for a sun direction.
    static uint32_t SkyColour(const platform::Vec3& direction, const platform::Vec3& sun);

    // ---- the state of the last update
    const platform::Vec3& GetSunDirection() const { return m_SunDirection; }
    uint32_t GetCurrentColour(int32_t table) const { return m_Current[table]; }
    float GetFogStart() const { return m_fFogStart; }
    float GetFogRange() const { return m_fFogRange; }
    const std::vector<Vertex>& GetVertices() const { return m_Vertices; }
    const std::vector<uint16_t>& GetIndices() const { return m_Indices; }
    // Where the flare was last drawn, its half size and colour; whether it was.
    bool IsFlareShown() const { return m_bFlareShown; }
    float GetFlareSize() const { return m_fFlareSize; }
    uint32_t GetFlareColour() const { return m_uFlareColour; }

    const platform::Vec3& GetCentre() const { return m_Centre; }
    bool IsEnabled() const { return m_bEnabled; }
    uint32_t GetGroundModel() const { return m_uGroundModel; }
    uint32_t GetCloudModel() const { return m_uCloudModel; }
    // The cloud surround's name as last given to LoadSurround.
    const std::string& GetCloudName() const { return m_CloudName; }

private:
    // Enters the dome's material in the material table.
    static void RegisterMaterial();
    void BuildDome();
    void UseDaylight();
    // The sun flare's size and colour for the sun's height; false when it is not shown.
    bool FlareFor(float sunHeight);

    platform::Vec3 m_Centre = {0.0f, 0.0f, 0.0f};
    bool m_bEnabled = false;
    bool m_bTables = false;
    uint32_t m_Colours[kColourTables][kDayEntries] = {};
    uint8_t m_Numbers[2][kDayEntries] = {};
    uint8_t m_Bytes[kDayEntries] = {};
    int32_t m_iSunrise = -1;
    int32_t m_iSunset = -1;
    platform::Vec3 m_SunDirection = {0.0f, 1.0f, 0.0f};
    std::array<uint32_t, kColourTables> m_Current = {};
    float m_fFogStart = 0.0f;
    float m_fFogRange = 0.0f;
    std::vector<Vertex> m_Vertices;
    std::vector<uint16_t> m_Indices;
    std::vector<TexturedVertex> m_DrawVertices;
    uint32_t m_uGroundModel = 0;
    uint32_t m_uCloudModel = 0;
    std::string m_CloudName;
    uint32_t m_uFlareTexture = 0;
    bool m_bFlareShown = false;
    float m_fFlareSize = 0.0f;
    uint32_t m_uFlareColour = 0;
};

// The one sky of the program.
extern SkyDome g_SkyDome;
