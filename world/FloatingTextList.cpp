// FloatingTextList: adding, stepping and drawing the floating texts.
#include "world/FloatingTextList.h"

#include "engine/render/Font.h"
#include "engine/render/TextWriter.h"

#include <algorithm>

FloatingTextList::FloatingTextList() = default;
FloatingTextList::~FloatingTextList() = default;

void FloatingTextList::Add(float x, float y, float z, const char16_t* text, uint32_t colour, int32_t kind,
                           float startTime, float duration)
{
    FloatingText entry;
    entry.kind = kind;
    entry.startTime = startTime;
    entry.duration = duration;
    entry.x = x;
    entry.y = y;
    entry.z = z;
    entry.baseHeight = y;
    entry.colour = colour;
    entry.startColour = colour;
    entry.text = text ? text : u"";
    m_Texts.push_back(std::move(entry));
}

void FloatingTextList::Update(float t)
{
    std::erase_if(m_Texts, [t](const FloatingText& e) { return e.startTime + e.duration < t; });
    for (FloatingText& e : m_Texts)
    {
        if (e.kind != kRising || !(e.duration > 0.0f))
            continue;
        const float f = (t - e.startTime) / e.duration;
        e.y = e.baseHeight + kRise * f;
        const float a = static_cast<float>(e.startColour >> 24);
        const float alpha = a - a * f;
        const uint32_t byte = alpha > 0.0f ? (alpha < 255.0f ? static_cast<uint32_t>(alpha) : 255u) : 0u;
        e.colour = (e.startColour & 0x00FFFFFFu) | (byte << 24);
    }
}

void FloatingTextList::Render()
{
    if (m_Texts.empty())
        return;
    if (!m_pWriter)
    {
        m_pFont = std::make_unique<Font>(kFontName);
        m_pWriter = std::make_unique<TextWriter>(m_pFont.get());
    }
    for (const FloatingText& e : m_Texts)
    {
        m_pWriter->SetColour(e.colour);
        m_pWriter->DrawText3D(e.x, e.y, e.z, e.text.c_str());
    }
}
