// CreditsRoll: the credits table, the rise and fade of the lines and their drawing.
#include "gui/CreditsRoll.h"

#include "engine/core/TextTable.h"
#include "engine/render/TextWriter.h"
#include "gui/GUIManager.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace
{

// Every eighth row from the first is a heading in font 2 and red; the row before a heading leaves a gap.
constexpr int32_t kHeadingEvery = 8;

constexpr std::array<CreditsRoll::Row, CreditsRoll::kRowCount> MakeRows()
{
    std::array<CreditsRoll::Row, CreditsRoll::kRowCount> rows{};
    for (int32_t i = 0; i < CreditsRoll::kRowCount; ++i)
    {
        const bool heading = i % kHeadingEvery == 0;
        rows[i] = {heading ? 2 : 0, i, heading ? 0xFF0000u : 0x000000u, (i + 1) % kHeadingEvery == 0,
                   i == CreditsRoll::kRowCount - 1};
    }
    return rows;
}

constexpr std::array<CreditsRoll::Row, CreditsRoll::kRowCount> kRows = MakeRows();

} // namespace

const CreditsRoll::Row& CreditsRoll::GetRow(int32_t i)
{
    return kRows[static_cast<size_t>(std::clamp(i, 0, kRowCount - 1))];
}

CreditsRoll::CreditsRoll(int32_t screenWidth, int32_t screenHeight)
    : m_iScreenWidth(screenWidth), m_fStartY(static_cast<float>(screenHeight) * 492.0f / 600.0f),
      m_fSpeed(static_cast<float>(screenHeight) * 60.0f / 600.0f)
{
}

void CreditsRoll::Update(float dt)
{
    m_fScroll += dt * m_fSpeed;
    const bool step = m_fScroll >= 1.0f;
    if (step)
        m_fScroll -= 1.0f;
    for (Line& line : m_lines)
    {
        if (step)
            line.y -= 1.0f;
        line.age += dt;
        if (line.last)
        {
            m_bEnding = true;
            m_fEndCountdown = kEndDelay;
        }
    }
    std::erase_if(m_lines, [](const Line& line) { return line.age > kLineLife; });
    m_fSpawnCountdown -= dt;
    if (m_fSpawnCountdown <= 0.0f && m_iNextRow < kRowCount)
    {
        const Row& row = kRows[static_cast<size_t>(m_iNextRow)];
        m_lines.push_back({row.last, 40.0f / 800.0f, row.colour, row.textNumber, 0.0f, row.font, m_fStartY});
        m_fSpawnCountdown = row.gapAfter ? 0.6f : 0.3f;
        ++m_iNextRow;
    }
    if (m_bEnding)
        m_fEndCountdown -= dt;
}

void CreditsRoll::Draw() const
{
    if (!g_pGUIManager)
        return;
    for (const Line& line : m_lines)
    {
        TextWriter* writer = g_pGUIManager->GetTextWriter(line.font);
        if (!writer)
            continue;
        const float alpha = 255.0f * (line.age < 4.0f ? line.age : kLineLife - line.age);
        const uint32_t a = static_cast<uint32_t>(std::clamp(alpha, 0.0f, 255.0f));
        char key[32];
        std::snprintf(key, sizeof(key), "CREDIT_ENTRY_%d", line.textNumber);
        writer->SetRect(static_cast<int32_t>(line.x * static_cast<float>(m_iScreenWidth)), static_cast<int32_t>(line.y),
                        m_iScreenWidth * 720 / 800, 30);
        writer->SetAlignment(TextWriter::kAlignCentre);
        writer->SetColour((a << 24) | (line.colour & 0xFFFFFF));
        writer->DrawText(0, 0, g_pTextTable ? g_pTextTable->GetText(key) : u"");
    }
}
