// FloatingTextList: short texts shown at points of the 3D world (costs of placed buildings, refunds); each rises
// and fades or stands still, and goes when its time is over.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Font;
class TextWriter;

struct FloatingText
{
    // 1 rises and fades; any other kind stands still.
    int32_t kind = 0;
    float startTime = 0.0f;
    float duration = 0.0f;
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float baseHeight = 0.0f;
    uint32_t colour = 0;
    uint32_t startColour = 0;
    std::u16string text;
};

class FloatingTextList
{
public:
    static constexpr int32_t kRising = 1;
    // A rising text climbs this many scene units over its duration.
    static constexpr float kRise = 10.0f;
    static constexpr const char* kFontName = "GuiFont8";

    FloatingTextList();
    ~FloatingTextList();
    FloatingTextList(const FloatingTextList&) = delete;
    FloatingTextList& operator=(const FloatingTextList&) = delete;

    // Appends a text (copied) at a point in scene units.
    void Add(float x, float y, float z, const char16_t* text, uint32_t colour, int32_t kind, float startTime,
             float duration);
    // Drops the texts whose time is over at game time t; moves and fades the rising ones.
    void Update(float t);
    // Draws every text in its colour at its point, in the order they were added.
    void Render();

    const std::vector<FloatingText>& GetTexts() const { return m_Texts; }

private:
    std::vector<FloatingText> m_Texts;
    std::unique_ptr<Font> m_pFont;
    std::unique_ptr<TextWriter> m_pWriter;
};
