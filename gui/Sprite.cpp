// Sprite: frame selection by play mode, run decoding with clipping, the pixel test, the 16-bit blit and the textured
// drawing through the frame cache.
#include "gui/Sprite.h"

#include "engine/render/Display.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/TextureManager.h"
#include "gui/SpriteManager.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

// ---- runs

bool RunReader::NextRun(int32_t* start, int32_t* length, const uint8_t** colours)
{
    if (m_x >= m_width)
        return false;
    if (m_p >= m_end)
    {
        m_bTruncated = true;
        m_x = m_width;
        return false;
    }
    const int32_t n = static_cast<int8_t>(*m_p++);
    *start = m_x;
    if (n > 0)
    {
        const size_t available = static_cast<size_t>(m_end - m_p);
        int32_t bytes = n;
        if (static_cast<size_t>(n) > available)
        {
            bytes = static_cast<int32_t>(available);
            m_bTruncated = true;
        }
        *colours = m_p;
        *length = std::min(bytes, m_width - m_x);
        m_p += bytes;
        m_x += n;
    }
    else
    {
        *colours = nullptr;
        *length = std::min(-n, m_width - m_x);
        m_x += -n;
    }
    return true;
}

void RunReader::NextRow()
{
    int32_t start = 0, length = 0;
    const uint8_t* colours = nullptr;
    while (NextRun(&start, &length, &colours))
    {
    }
    m_x = 0;
}

// ---- animation and frame

int32_t Sprite::GetAnimationCount() const
{
    return m_pBank ? static_cast<int32_t>(m_pBank->m_anims.size()) : 0;
}

const SpriteAnim* Sprite::GetAnimationInfo(int32_t index) const
{
    if (!m_pBank || index < 0 || index >= GetAnimationCount())
        return nullptr;
    return &m_pBank->m_anims[static_cast<size_t>(index)];
}

int32_t Sprite::GetDirectionCount(int32_t index) const
{
    const SpriteAnim* anim = GetAnimationInfo(index);
    return anim ? anim->m_uDirections : 0;
}

int32_t Sprite::GetFrameCount() const
{
    const SpriteAnim* anim = CurrentAnim();
    return anim ? anim->m_uFrames : 0;
}

int32_t Sprite::GetWidth() const
{
    const SpriteAnim* anim = CurrentAnim();
    return anim ? anim->m_uWidth : 0;
}

int32_t Sprite::GetHeight() const
{
    const SpriteAnim* anim = CurrentAnim();
    return anim ? anim->m_uHeight : 0;
}

float Sprite::PlayAnimation(const char* name, float now)
{
    int32_t found = 0;
    for (int32_t i = 0; i < GetAnimationCount(); ++i)
        if (name && platform::StrICmp(m_pBank->m_anims[static_cast<size_t>(i)].m_szName, name) == 0)
        {
            found = i;
            break;
        }
    SetAnimation(found);
    m_fStartTime = now;
    return m_iFrameRate != 0 ? static_cast<float>(GetFrameCount()) / static_cast<float>(m_iFrameRate) : 0.0f;
}

void Sprite::SetAnimation(int32_t index)
{
    if (index == m_iAnimation)
        return;
    m_iAnimation = index;
    m_iFrame = 0;
}

void Sprite::SetDirection(int32_t direction)
{
    const int32_t count = GetDirectionCount(m_iAnimation);
    m_iDirection = count > 0 && direction >= count ? count - 1 : direction;
}

void Sprite::UpdateFrame(float now)
{
    if (m_fStartTime > now)
        m_fStartTime = now;
    const int32_t frames = GetFrameCount();
    if (m_iPlayMode == PLAY_MANUAL || frames <= 0)
        return;
    const double count = std::floor(static_cast<double>(m_iFrameRate) * (now - m_fStartTime));
    // The count only matters against the frame count: keep it in range of an int.
    const int64_t n = std::isfinite(count) ? static_cast<int64_t>(std::clamp(count, -1e9, 1e9)) : 0;
    if (m_iPlayMode == PLAY_BACKWARD_ONCE)
    {
        const int64_t d = frames - n;
        m_iFrame = d > 0 ? static_cast<int32_t>(std::min<int64_t>(d - 1, frames - 1)) : 0;
    }
    else if (m_iPlayMode == PLAY_FORWARD_ONCE)
        m_iFrame = n < frames ? static_cast<int32_t>(std::max<int64_t>(n, 0)) : frames - 1;
    else
        m_iFrame = static_cast<int32_t>(((n % frames) + frames) % frames);
}

bool Sprite::GetCodedFrame(CodedFrame* out) const
{
    const SpriteAnim* anim = CurrentAnim();
    if (!anim || !anim->m_bTablesValid || anim->m_uFrames == 0 || anim->m_uDirections == 0 || !m_pBank->m_pData)
        return false;
    const int32_t frame = std::clamp(m_iFrame, 0, anim->m_uFrames - 1);
    const int32_t direction = std::clamp(m_iDirection, 0, anim->m_uDirections - 1);
    const std::vector<uint8_t>& data = *m_pBank->m_pData;
    const size_t entry = anim->m_indexTable + 2 * (static_cast<size_t>(anim->m_uFrames) * direction + frame);
    const uint32_t block = data[entry] | (data[entry + 1] << 8);
    if (block >= anim->m_uBlockCount)
        return false;
    const size_t at = anim->m_offsetTable + 4 * static_cast<size_t>(block);
    const uint64_t offset = static_cast<uint64_t>(data[at]) | (static_cast<uint64_t>(data[at + 1]) << 8) |
                            (static_cast<uint64_t>(data[at + 2]) << 16) | (static_cast<uint64_t>(data[at + 3]) << 24);
    if (anim->m_frameBase + offset > data.size())
        return false;
    out->begin = data.data() + anim->m_frameBase + offset;
    out->end = data.data() + data.size();
    out->width = anim->m_uWidth;
    out->height = anim->m_uHeight;
    return true;
}

uint16_t Sprite::PaletteColour(uint8_t index) const
{
    if (!m_pBank || m_pBank->m_palettes.empty())
        return static_cast<uint16_t>(((index >> 3) << 10) | ((index >> 3) << 5) | (index >> 3));
    const size_t palette =
        m_iPalette >= 0 && static_cast<size_t>(m_iPalette) < m_pBank->m_palettes.size() ? m_iPalette : 0;
    const std::vector<uint16_t>& colours = m_pBank->m_palettes[palette];
    return index < colours.size() ? colours[index] : 0;
}

bool Sprite::IsOpaqueAt(int32_t x, int32_t y) const
{
    CodedFrame frame;
    if (x < 1 || y < 0 || !GetCodedFrame(&frame) || y >= frame.height)
        return false;
    RunReader runs(frame);
    for (int32_t row = 0; row < y; ++row)
        runs.NextRow();
    int32_t start = 0, length = 0;
    const uint8_t* colours = nullptr;
    while (runs.NextRun(&start, &length, &colours))
        if (x <= start + length)
            return colours != nullptr;
    return false;
}

void Sprite::DecodeFrameARGB(uint32_t* pixels, int32_t bufferWidth, int32_t bufferHeight) const
{
    std::fill(pixels, pixels + static_cast<size_t>(bufferWidth) * bufferHeight, 0u);
    CodedFrame frame;
    if (!GetCodedFrame(&frame))
        return;
    RunReader runs(frame);
    for (int32_t row = 0; row < frame.height && row < bufferHeight; ++row, runs.NextRow())
    {
        int32_t start = 0, length = 0;
        const uint8_t* colours = nullptr;
        while (runs.NextRun(&start, &length, &colours))
        {
            if (!colours)
                continue;
            for (int32_t i = 0; i < length && start + i < bufferWidth; ++i)
            {
                const uint16_t c = PaletteColour(colours[i]);
                const uint32_t r = (c >> 10) & 31, g = (c >> 5) & 31, b = c & 31;
                pixels[static_cast<size_t>(row) * bufferWidth + start + i] =
                    0xFF000000u | (((r << 3) | (r >> 2)) << 16) | (((g << 3) | (g >> 2)) << 8) | ((b << 3) | (b >> 2));
            }
        }
    }
}

// ---- drawing

void Sprite::DrawToSurface(int32_t x, int32_t y, float now)
{
    UpdateFrame(now);
    if (!m_pBank || m_pBank->m_iType != 1 || !g_pDisplay)
        return;
    const SoftSurface* surface = g_pDisplay->GetSurface(g_pDisplay->GetCurrentSurface());
    CodedFrame frame;
    if (!surface || !GetCodedFrame(&frame))
        return;
    uint16_t* pixels = g_pDisplay->LockSurface();
    if (!pixels)
        return;
    const int32_t pitch = static_cast<int32_t>(g_pDisplay->GetSurfacePitch() / 2);
    const int32_t width = static_cast<int32_t>(surface->m_uWidth);
    const int32_t height = static_cast<int32_t>(surface->m_uHeight);
    platform::Point origin{};
    g_pDisplay->GetSurfacePosition(&origin);
    const int64_t left = static_cast<int64_t>(x) - origin.x;
    const int64_t top = static_cast<int64_t>(y) - origin.y;
    RunReader runs(frame);
    for (int32_t row = 0; row < frame.height; ++row, runs.NextRow())
    {
        const int64_t sy = top + row;
        if (sy >= height)
            break;
        if (sy < 0)
            continue;
        uint16_t* line = pixels + sy * pitch;
        int32_t start = 0, length = 0;
        const uint8_t* colours = nullptr;
        while (runs.NextRun(&start, &length, &colours))
        {
            if (!colours)
                continue;
            for (int32_t i = 0; i < length; ++i)
            {
                const int64_t sx = left + start + i;
                if (sx >= 0 && sx < width)
                    line[sx] = PaletteColour(colours[i]);
            }
        }
    }
    g_pDisplay->UnlockSurface();
}

uint32_t Sprite::FrameTexture(float* texRight, float* texBottom)
{
    const int32_t width = GetWidth(), height = GetHeight();
    if (width <= 0 || height <= 0)
        return 0;
    uint32_t tw = 0, th = 0;
    RoundUpTextureSize(static_cast<uint32_t>(width), static_cast<uint32_t>(height), &tw, &th);
    *texRight = static_cast<float>(width + 1) / static_cast<float>(tw);
    *texBottom = static_cast<float>(height + 1) / static_cast<float>(th);
    // The whole name goes into the key, however long: a key cut short would name another bank's frames too.
    char numbers[48];
    std::snprintf(numbers, sizeof(numbers), "_%d_%d_%d", m_iAnimation, m_iFrame, m_iDirection);
    // Written into a buffer kept between draws: a sprite finds its frame's texture in every frame it is drawn.
    std::string& key = m_frameKey;
    key.assign(m_name);
    key += numbers;
    SpriteManager& manager = GetSpriteManager();
    uint32_t slot = manager.FindCachedFrame(key.c_str());
    if (slot != 0)
        return slot;
    slot = g_TextureManager.CreateTexture(tw, th, key.c_str());
    if (slot == 0)
        return 0;
    manager.AddCachedFrame(key.c_str(), slot);
    manager.CountDecode();
    std::vector<uint32_t> pixels(static_cast<size_t>(tw) * th);
    DecodeFrameARGB(pixels.data(), static_cast<int32_t>(tw), static_cast<int32_t>(th));
    g_TextureManager.UpdateTexture(slot, pixels.data(), tw, th, 4);
    return slot;
}

void Sprite::Draw(float x, float y, float now)
{
    DrawScaled(x, y, x + static_cast<float>(GetWidth()), y + static_cast<float>(GetHeight()), now);
}

void Sprite::DrawScaled(float x1, float y1, float x2, float y2, float now)
{
    UpdateFrame(now);
    float u = 0.0f, v = 0.0f;
    const uint32_t slot = FrameTexture(&u, &v);
    if (slot == 0)
        return;
    g_GraphicsManager.DrawTexturedRect(x1, y1, x2, y2, 0.0f, 0.0f, u, v,
                                       (static_cast<uint32_t>(m_uAlpha) << 24) | 0xFFFFFFu, static_cast<int32_t>(slot),
                                       m_bBlend ? kBlendAlternative : kBlendNormal);
}

void Sprite::DrawQuad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, float now)
{
    UpdateFrame(now);
    float u = 0.0f, v = 0.0f;
    const uint32_t slot = FrameTexture(&u, &v);
    if (slot == 0)
        return;
    g_GraphicsManager.DrawTexturedQuad(x1, y1, x2, y2, x3, y3, x4, y4, 0.0f, 0.0f, u, v,
                                       (static_cast<uint32_t>(m_uAlpha) << 24) | 0xFFFFFFu, static_cast<int32_t>(slot),
                                       m_bBlend ? kBlendAlternative : kBlendNormal);
}
