// The front end's screens, their elements, pictures and bubbles.
#include "gui/ScreenElements.h"

#include "engine/core/TextTable.h"
#include "engine/core/WholeNumbers.h"
#include "engine/media/SoundManager.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ImageReaders.h"
#include "engine/render/TextWriter.h"
#include "engine/render/TextureManager.h"
#include "gui/DialogListener.h"
#include "gui/GUIManager.h"
#include "gui/GuiShell.h"
#include "platform/Random.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

namespace
{

// A uniform value 0 .. 1 from the game's 15-bit generator.
float Uniform()
{
    return static_cast<float>(platform::Rand()) / static_cast<float>(platform::kRandMax);
}

// Whole pixels, toward zero, held to the range of a whole number (a scale from the script may be any float).
int32_t Trunc(float value)
{
    return TruncateToInt(value);
}

// The edge that lies `extent` pixels past `edge` (truncated toward zero), held to the range of a whole number; an
// extent that is not a number reaches nowhere.
int32_t EdgePast(int32_t edge, float extent)
{
    const double whole = std::isnan(extent) ? 0.0 : std::trunc(static_cast<double>(extent));
    return TruncateToInt(static_cast<double>(edge) + whole);
}

bool SameNoCase(const std::string& a, const char* b)
{
    return platform::StrICmp(a.c_str(), b) == 0;
}

void PlayFrontEndSample(const char* name)
{
    if (g_pSoundManager)
        g_pSoundManager->PlaySample(name, 1, 0.0f);
}

// The front end's scenario choice from the program above the GUI.
void ScenarioChoice(bool& sandbox, int32_t& index, int32_t& park)
{
    sandbox = false;
    index = 0;
    park = 0;
    if (g_pGUIManager && g_pGUIManager->GetShell())
        g_pGUIManager->GetShell()->GetScenarioChoice(&sandbox, &index, &park);
}

} // namespace

void FrontEndDisplaySize(int32_t& width, int32_t& height)
{
    width = g_pGUIManager ? g_pGUIManager->GetScreenWidth() : static_cast<int32_t>(kFrontEndPageWidth);
    height = g_pGUIManager ? g_pGUIManager->GetScreenHeight() : static_cast<int32_t>(kFrontEndPageHeight);
}

std::string FrontEndPicturePath(const char* file)
{
    return std::string("Data\\GUI\\") + (file ? file : "");
}

// ---- ScreenSpriteSet

uint32_t ScreenSpriteSet::TextureSide(uint32_t size)
{
    for (uint32_t side = 32; side < 1024; side *= 2)
        if (size <= side)
            return side;
    return 1024;
}

ScreenSpriteSet::ScreenSpriteSet(const std::string& fileName) : m_fileName(fileName)
{
    uint32_t width = 0, height = 0;
    std::unique_ptr<uint8_t[]> pixels = LoadTGAFile(m_fileName.c_str(), &width, &height);
    if (!pixels)
        return;
    // A picture larger than the largest texture is cut to it.
    m_uWidth = std::min<uint32_t>(width, 1024);
    m_uHeight = std::min<uint32_t>(height, 1024);
    m_uTextureWidth = TextureSide(m_uWidth);
    m_uTextureHeight = TextureSide(m_uHeight);
    if (!g_TextureManager.IsInitialised())
        return;
    m_uTexture = g_TextureManager.Find(m_fileName.c_str());
    if (m_uTexture)
        return;
    m_uTexture = g_TextureManager.CreateTexture(m_uTextureWidth, m_uTextureHeight, m_fileName.c_str());
    if (!m_uTexture)
        return;
    std::vector<uint32_t> texels(static_cast<size_t>(m_uTextureWidth) * m_uTextureHeight, 0u);
    const auto* source = reinterpret_cast<const uint32_t*>(pixels.get());
    for (uint32_t row = 0; row < m_uHeight; ++row)
        std::memcpy(&texels[static_cast<size_t>(row) * m_uTextureWidth], source + static_cast<size_t>(row) * width,
                    m_uWidth * sizeof(uint32_t));
    g_TextureManager.UpdateTexture(m_uTexture, texels.data(), m_uTextureWidth, m_uTextureHeight,
                                   kTextureFormatA8R8G8B8);
}

ScreenSpriteSet::~ScreenSpriteSet()
{
    if (m_uTexture && g_TextureManager.IsInitialised())
        g_TextureManager.Release(m_uTexture);
}

void ScreenSpriteSet::DrawPicture(int32_t left, int32_t top, int32_t right, int32_t bottom, uint8_t alpha) const
{
    if (!m_uTexture || m_uTextureWidth == 0 || m_uTextureHeight == 0)
        return;
    const float u1 = static_cast<float>(m_uWidth) / static_cast<float>(m_uTextureWidth);
    const float v1 = static_cast<float>(m_uHeight) / static_cast<float>(m_uTextureHeight);
    g_GraphicsManager.DrawTexturedRect(
        static_cast<float>(left), static_cast<float>(top), static_cast<float>(right), static_cast<float>(bottom), 0.0f,
        0.0f, u1, v1, (static_cast<uint32_t>(alpha) << 24) | 0xFFFFFFu, static_cast<int32_t>(m_uTexture), kDrawFlags);
}

// ---- BubbleSet

BubbleSet::BubbleSet() : BubbleSet(std::make_unique<ScreenSpriteSet>(FrontEndPicturePath("bubble.tga"))) {}

BubbleSet::BubbleSet(std::unique_ptr<ScreenSpriteSet> picture) : m_pPicture(std::move(picture))
{
    for (int i = 0; i < kStartBubbles; ++i)
        NewBubble(true);
}

void BubbleSet::NewBubble(bool randomHeight)
{
    Bubble bubble;
    bubble.opacity = m_fAlpha;
    bubble.size = 0.25f + 0.75f * Uniform();
    bubble.x = 1.1f * Uniform() - 0.1f;
    bubble.y = randomHeight ? Uniform() : 1.1f;
    m_bubbles.push_back(bubble);
}

void BubbleSet::Update(float dt)
{
    m_fCountdown -= dt;
    if (m_fCountdown <= 0.0f)
    {
        m_fCountdown = m_fInterval * (0.5f + Uniform());
        NewBubble(false);
    }
    for (Bubble& bubble : m_bubbles)
    {
        bubble.y -= dt * 0.2f / (1.5f * bubble.size);
        bubble.age += dt;
        if (bubble.y <= -0.2f)
            bubble.done = true;
    }
    if (m_bFading)
    {
        m_fFadeTime += dt;
        const float opacity = std::clamp(m_fFadeStart + (m_fAlpha - m_fFadeStart) * m_fFadeTime, 0.0f, 1.0f);
        for (Bubble& bubble : m_bubbles)
            bubble.opacity = opacity;
        if (m_fFadeTime >= 1.0f)
            m_bFading = false;
    }
    std::erase_if(m_bubbles, [](const Bubble& bubble) { return bubble.done; });
}

void BubbleSet::SetAlpha(float alpha)
{
    m_fFadeStart = m_fAlpha;
    m_fAlpha = std::clamp(alpha, 0.0f, 1.0f);
    m_fFadeTime = 0.0f;
    m_bFading = true;
}

void BubbleSet::Draw(int32_t width, int32_t height) const
{
    if (!m_pPicture)
        return;
    const float pw = static_cast<float>(m_pPicture->GetWidth());
    const float ph = static_cast<float>(m_pPicture->GetHeight());
    constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
    for (const Bubble& bubble : m_bubbles)
    {
        const float scale = bubble.size + 0.1f * std::sin(kTwoPi * bubble.age / 4.0f + 1.8849558f);
        const int32_t left = Trunc(static_cast<float>(width) * bubble.x +
                                   0.8f * std::sin(kTwoPi * bubble.age / 7.0f) * pw * bubble.size);
        const int32_t top = Trunc(static_cast<float>(height) * bubble.y);
        const int32_t right = left + Trunc(pw * scale);
        const int32_t bottom = top + Trunc(ph * scale);
        m_pPicture->DrawPicture(left, top, right, bottom,
                                static_cast<uint8_t>(std::clamp(bubble.opacity, 0.0f, 1.0f) * 255.0f));
    }
}

// ---- ScreenElement

ScreenElement::ScreenElement(const GuiRect& rect, const char* name)
    : Widget(rect.left, rect.top, rect.right, rect.bottom), m_name(name ? name : ""),
      m_fX(static_cast<float>(rect.left) / kFrontEndPageWidth), m_fY(static_cast<float>(rect.top) / kFrontEndPageHeight)
{
}

void ScreenElement::Update(float dt)
{
    UpdateTransition(dt);
}

void ScreenElement::StartTransition(int32_t kind, bool entering, bool hideAtEnd, float x, float y, float duration,
                                    float delay, float targetScale, int32_t targetAlpha)
{
    if (m_bRunning)
        return;
    m_fDelay = delay;
    m_fDuration = duration;
    m_fTargetScale = targetScale;
    m_uTargetAlpha = static_cast<uint8_t>(std::clamp(targetAlpha, 0, 255));
    m_fStartScale = m_fScale;
    m_uStartAlpha = m_uAlpha;
    m_fElapsed = 0.0f;
    m_bRunning = true;
    m_bWaiting = true;
    m_bHideAtEnd = hideAtEnd;
    const float w = GetRelativeWidth();
    const float h = GetRelativeHeight();
    if (entering)
    {
        m_fTargetX = x;
        m_fTargetY = y;
        switch (kind)
        {
        case KIND_TOP:
            m_fX = x, m_fY = -h;
            break;
        case KIND_BOTTOM:
            m_fX = x, m_fY = 1.0f;
            break;
        case KIND_LEFT:
            m_fX = -w, m_fY = y;
            break;
        case KIND_RIGHT:
            m_fX = 1.0f, m_fY = y;
            break;
        case KIND_FROM_HERE:
            break;
        default: // in place
            m_fX = x, m_fY = y;
            break;
        }
    }
    else
    {
        m_fTargetX = m_fX;
        m_fTargetY = m_fY;
        switch (kind)
        {
        case KIND_TOP:
            m_fTargetY = -h;
            break;
        case KIND_BOTTOM:
            m_fTargetY = 1.0f;
            break;
        case KIND_LEFT:
            m_fTargetX = -w;
            break;
        case KIND_RIGHT:
            m_fTargetX = 1.0f;
            break;
        default:
            break;
        }
    }
    m_fStartX = m_fX;
    m_fStartY = m_fY;
}

void ScreenElement::UpdateTransition(float dt)
{
    if (!m_bRunning)
        return;
    if (m_bWaiting)
    {
        m_fDelay -= dt;
        if (m_fDelay <= 0.0f)
            m_bWaiting = false;
    }
    if (m_bWaiting)
        return;
    m_fElapsed += dt;
    // A transition of no length reaches its targets at once.
    const float f = m_fDuration > 1.1920929e-07f ? std::min(m_fElapsed / m_fDuration, 1.0f) : 1.0f;
    const int32_t alpha =
        m_uStartAlpha + Trunc((static_cast<float>(m_uTargetAlpha) - static_cast<float>(m_uStartAlpha)) * f);
    m_uAlpha = static_cast<uint8_t>(std::clamp(alpha, 0, 255));
    m_fScale = m_fStartScale + (m_fTargetScale - m_fStartScale) * f;
    m_fX = m_fStartX + (m_fTargetX - m_fStartX) * f;
    m_fY = m_fStartY + (m_fTargetY - m_fStartY) * f;
    if (f >= 1.0f)
    {
        m_bRunning = false;
        if (m_bHideAtEnd)
            SetActive(false);
    }
}

GuiRect ScreenElement::RectFromCorner(float width, float widthPer, float height, float heightPer) const
{
    int32_t displayWidth = 0, displayHeight = 0;
    FrontEndDisplaySize(displayWidth, displayHeight);
    const float w = static_cast<float>(displayWidth), h = static_cast<float>(displayHeight);
    GuiRect rect;
    rect.left = Trunc(m_fX * w);
    rect.top = Trunc(m_fY * h);
    rect.right = EdgePast(rect.left, width * w / widthPer);
    rect.bottom = EdgePast(rect.top, height * h / heightPer);
    return rect;
}

GuiRect ScreenElement::ImageRect(uint32_t imageWidth, uint32_t imageHeight) const
{
    return RectFromCorner(m_fScale * static_cast<float>(imageWidth), kFrontEndPageWidth,
                          static_cast<float>(imageHeight) * m_fScale, kFrontEndPageHeight);
}

void ScreenElement::DrawImage(const ScreenSpriteSet& image, uint8_t alpha) const
{
    const GuiRect r = ImageRect(image.GetWidth(), image.GetHeight());
    image.DrawPicture(r.left, r.top, r.right, r.bottom, alpha);
}

// ---- ScreenImage

ScreenImage::ScreenImage(const GuiRect& rect, const char* name, const char* file)
    : ScreenElement(rect, name), m_image(FrontEndPicturePath(file))
{
    m_iType = WT_SCREENIMAGE;
}

void ScreenImage::Draw()
{
    if (m_bActive)
        DrawImage(m_image);
}

float ScreenImage::GetRelativeWidth() const
{
    return static_cast<float>(m_image.GetWidth()) / kFrontEndPageWidth;
}

float ScreenImage::GetRelativeHeight() const
{
    return static_cast<float>(m_image.GetHeight()) / kFrontEndPageHeight;
}

// ---- ScreenButton

ScreenButton::ScreenButton(const GuiRect& rect, const GuiRect& hotArea, const char* name, const char* normal,
                           const char* highlight, const char* command, const char* enableVariable)
    : ScreenElement(rect, name), m_normal(FrontEndPicturePath(normal)), m_highlight(FrontEndPicturePath(highlight)),
      m_fHotLeft(static_cast<float>(hotArea.left) / kFrontEndPageWidth),
      m_fHotTop(static_cast<float>(hotArea.top) / kFrontEndPageHeight),
      m_fHotWidth(static_cast<float>(hotArea.right) / kFrontEndPageWidth),
      m_fHotHeight(static_cast<float>(hotArea.bottom) / kFrontEndPageHeight),
      m_handler(ResolveGuiCommand(GetFrontEndCommands(), command)),
      m_enableVariable(enableVariable ? enableVariable : "NONE"), m_enable(m_enableVariable)
{
    m_iType = WT_SCREENBUTTON;
}

void ScreenButton::SetActive(bool active)
{
    if (active)
        m_enable.Forget();
    ScreenElement::SetActive(active);
}

void ScreenButton::Update(float dt)
{
    UpdateTransition(dt);
    if (!m_bActive || SameNoCase(m_enableVariable, "NONE"))
        return;
    DialogListener* listener =
        g_pGUIManager && g_pGUIManager->GetShell() ? g_pGUIManager->GetShell()->GetShellListener() : nullptr;
    if (!listener)
        return;
    platform::WString text;
    if (!m_enable.Read(listener, m_enableVariable, text))
        return;
    if (DialogTextToInt(text.c_str()) == 0)
        m_iState = STATE_DISABLED;
    else if (m_iState == STATE_DISABLED)
        m_iState = STATE_IDLE;
}

bool ScreenButton::OnScreenMouse(float x, float y, int32_t event)
{
    if (!m_bActive || m_bRunning)
    {
        m_iState = STATE_IDLE;
        return false;
    }
    const float left = m_fX + m_fHotLeft, top = m_fY + m_fHotTop;
    const bool inside = left <= x && x <= left + m_fHotWidth && top <= y && y <= top + m_fHotHeight;
    if (!inside)
    {
        m_iState = STATE_IDLE;
        return false;
    }
    if (m_iState == STATE_OVER && event == ME_PRESSED)
    {
        if (m_handler)
            m_handler(m_iDialogIndex);
        PlayFrontEndSample("ButtonClick");
    }
    else if (m_iState == STATE_IDLE)
        PlayFrontEndSample("Button_Over");
    m_iState = STATE_OVER;
    return false;
}

void ScreenButton::Draw()
{
    if (!m_bActive)
        return;
    if (m_bRunning || m_iState == STATE_IDLE)
        DrawImage(m_normal);
    else if (m_iState == STATE_OVER)
        DrawImage(m_highlight);
    else
        DrawImage(m_normal, kDisabledAlpha);
}

float ScreenButton::GetRelativeWidth() const
{
    return static_cast<float>(m_normal.GetWidth()) / kFrontEndPageWidth;
}

float ScreenButton::GetRelativeHeight() const
{
    return static_cast<float>(m_normal.GetHeight()) / kFrontEndPageHeight;
}

// ---- ScreenItemInfo

ScreenItemInfo::ScreenItemInfo(const GuiRect& rect, const char* name, const Values& values)
    : Widget(rect.left, rect.top, rect.right, rect.bottom), m_name(name ? name : ""), m_values(values)
{
    m_iType = WT_SCREENITEMINFO;
}

// ---- ScreenItem

ScreenItem::ScreenItem(const char* name, const GuiRect& rect, const char* background, float bubbleInterval,
                       int32_t bubbleAlpha, const char* startCommand, const char* secondWord)
    : Widget(rect.left, rect.top, rect.right, rect.bottom), m_name(name ? name : ""),
      m_startCommand(startCommand ? startCommand : "NONE"), m_secondWord(secondWord ? secondWord : ""),
      m_background(FrontEndPicturePath(background)), m_fBubbleInterval(bubbleInterval), m_iBubbleAlpha(bubbleAlpha)
{
    m_iType = WT_SCREENITEM;
}

void ScreenItem::AddChild(Widget* child)
{
    if (auto* info = dynamic_cast<ScreenItemInfo*>(child))
        m_children.push_back(info);
}

const ScreenItemInfo* ScreenItem::FindInfo(const ScreenElement& element) const
{
    for (const ScreenItemInfo* info : m_children)
        if (std::strcmp(info->GetName(), element.GetName()) == 0)
            return info;
    return nullptr;
}

bool ScreenItem::IsAnyChildLocked() const
{
    return std::any_of(m_elements.begin(), m_elements.end(),
                       [](const ScreenElement* element) { return element->IsTransitionRunning(); });
}

void ScreenItem::SetActive(bool active)
{
    if (!active)
    {
        m_iPhase = PHASE_SETTLED;
        m_bActive = false;
        return;
    }
    m_bActive = true;
    m_iPhase = PHASE_LEAVING;
    m_elements.clear();
    if (g_pGUIManager)
    {
        std::vector<Widget*> found;
        g_pGUIManager->CollectScreenElements(found);
        for (Widget* widget : found)
            if (auto* element = dynamic_cast<ScreenElement*>(widget))
                m_elements.push_back(element);
    }
    for (ScreenElement* element : m_elements)
    {
        if (FindInfo(*element) || !element->IsActive())
            continue;
        const ScreenItemInfo* last = element->GetPlacement();
        const ScreenItemInfo::Values values = last ? last->GetValues() : ScreenItemInfo::Values{};
        element->StartTransition(values.leaveKind, false, true, 0.0f, 0.0f, values.leaveDuration, values.leaveDelay,
                                 values.leaveScale, values.leaveAlpha);
    }
}

void ScreenItem::Update(float dt)
{
    for (ScreenElement* element : m_elements)
        element->Update(dt);
    if (m_iPhase == PHASE_LEAVING && !IsAnyChildLocked())
    {
        m_iPhase = PHASE_ENTERING;
        for (ScreenElement* element : m_elements)
        {
            const ScreenItemInfo* info = FindInfo(*element);
            if (!info)
                continue;
            const ScreenItemInfo::Values& v = info->GetValues();
            const GuiRect& r = info->GetRect();
            const float x = static_cast<float>(r.left) / kFrontEndPageWidth;
            const float y = static_cast<float>(r.top) / kFrontEndPageHeight;
            if (element->IsActive())
            {
                element->SetPlacement(info);
                element->StartTransition(ScreenElement::KIND_FROM_HERE, true, false, x, y, v.enterDuration,
                                         v.enterDelay, v.enterScale, v.enterAlpha);
            }
            else
            {
                element->SetActive(true);
                element->SetPlacement(info);
                element->SetAlpha(static_cast<uint8_t>(std::clamp(v.enterStartAlpha, 0, 255)));
                element->SetScale(v.enterStartScale);
                element->SetRelativeSize(static_cast<float>(r.right - r.left) / kFrontEndPageWidth,
                                         static_cast<float>(r.bottom - r.top) / kFrontEndPageHeight);
                element->StartTransition(v.enterKind, true, false, x, y, v.enterDuration, v.enterDelay, v.enterScale,
                                         v.enterAlpha);
            }
        }
    }
    else if (m_iPhase == PHASE_ENTERING && !IsAnyChildLocked())
    {
        m_iPhase = PHASE_SETTLED;
        if (!SameNoCase(m_startCommand, "NONE") && g_pGUIManager)
            g_pGUIManager->StartGameState(m_startCommand.c_str());
    }
}

bool ScreenItem::OnScreenMouse(float x, float y, int32_t event)
{
    if (IsAnyChildLocked())
        return false;
    for (ScreenElement* element : m_elements)
        if (element->OnScreenMouse(x, y, event))
            return true;
    return false;
}

void ScreenItem::DrawBackground() const
{
    int32_t width = 0, height = 0;
    FrontEndDisplaySize(width, height);
    m_background.DrawPicture(0, 0, width, height, 255);
}

void ScreenItem::DrawElements() const
{
    for (ScreenElement* element : m_elements)
        element->Draw();
}

// ---- ScreenVar

ScreenVar::ScreenVar(const GuiRect& rect, const char* name, const char* variable, int32_t font, uint32_t colour)
    : ScreenElement(rect, name), m_variable(variable ? variable : ""), m_iFont(font), m_uColour(colour)
{
    m_iType = WT_SCREENVAR;
}

std::string ScreenVar::TextId() const
{
    if (!SameNoCase(m_variable, "CUR_SCENARIO_DESC"))
        return {};
    bool sandbox = false;
    int32_t index = 0, park = 0;
    ScenarioChoice(sandbox, index, park);
    char id[64];
    std::snprintf(id, sizeof id, sandbox ? "MAINSS_SANDBOX%d_DESC" : "MAINSS_SCENARIO%d_DESC", index + 1);
    return id;
}

void ScreenVar::Draw()
{
    if (!m_bActive)
        return;
    const std::string id = TextId();
    // The description is shown as it stands: a text table entry is never used as a format.
    const char16_t* text = !id.empty() && g_pTextTable ? g_pTextTable->GetText(id.c_str()) : u"";
    TextWriter* writer = g_pGUIManager ? g_pGUIManager->GetTextWriter(m_iFont) : nullptr;
    if (!writer || !text || !*text)
        return;
    const GuiRect r = TextRect();
    writer->SetAlignment(TextWriter::kAlignLeft);
    writer->SetColour((static_cast<uint32_t>(m_uAlpha) << 24) | (m_uColour & 0xFFFFFFu));
    // The writer's right edge (its left plus its width) stays within a whole number as the rectangle's does.
    writer->SetRect(r.left, r.top, TruncateToInt(static_cast<double>(r.right) - r.left),
                    TruncateToInt(static_cast<double>(r.bottom) - r.top));
    writer->DrawText(0, 0, text);
}

GuiRect ScreenVar::TextRect() const
{
    return RectFromCorner(m_fRelWidth * m_fScale, 1.0f, m_fRelHeight * m_fScale, 1.0f);
}

// ---- ScreenVarImage

ScreenVarImage::ScreenVarImage(const GuiRect& rect, const char* name, const char* variable)
    : ScreenElement(rect, name), m_variable(variable ? variable : "")
{
    m_iType = WT_SCREENVARIMAGE;
    if (SameNoCase(m_variable, "SCENARIO_THUMBNAIL"))
        for (size_t i = 0; i < kThumbnails.size(); ++i)
            m_images[i] = std::make_unique<ScreenSpriteSet>(FrontEndPicturePath(kThumbnails[i]));
}

const ScreenSpriteSet* ScreenVarImage::CurrentImage() const
{
    bool sandbox = false;
    int32_t index = 0, park = 0;
    ScenarioChoice(sandbox, index, park);
    if (park < 1 || park > static_cast<int32_t>(m_images.size()))
        return nullptr;
    return m_images[static_cast<size_t>(park - 1)].get();
}

float ScreenVarImage::GetRelativeWidth() const
{
    const ScreenSpriteSet* image = CurrentImage();
    return image ? static_cast<float>(image->GetWidth()) / kFrontEndPageWidth : 0.5f;
}

float ScreenVarImage::GetRelativeHeight() const
{
    const ScreenSpriteSet* image = CurrentImage();
    return image ? static_cast<float>(image->GetHeight()) / kFrontEndPageHeight : 0.5f;
}

void ScreenVarImage::Draw()
{
    if (!m_bActive)
        return;
    if (const ScreenSpriteSet* image = CurrentImage())
        DrawImage(*image);
}
