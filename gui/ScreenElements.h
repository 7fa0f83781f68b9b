// The front end's screens and their elements: whole-picture textures, the rising bubbles, the element base with
// its enter, leave and glide transitions, pictures, buttons, value texts and value pictures, the placement record
// and the screen that places them and carries out its start command once every element has settled.
#pragma once

#include "gui/BoundValue.h"
#include "gui/GuiCommands.h"
#include "gui/Widget.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The layout page of the front end: coordinates are kept as fractions of it.
constexpr float kFrontEndPageWidth = 800.0f;
constexpr float kFrontEndPageHeight = 600.0f;

// The display's size in pixels (the GUI manager's, 800 x 600 without one).
void FrontEndDisplaySize(int32_t& width, int32_t& height);
// "Data\GUI\<file>".
std::string FrontEndPicturePath(const char* file);

// One picture file in a texture of its own, drawn stretched into a screen rectangle.
class ScreenSpriteSet
{
public:
    static constexpr int32_t kDrawFlags = 29;

    // Reuses a texture already known under the name; otherwise reads the TGA file into a new texture whose sides
    // are rounded up to 32 .. 1024. A file that cannot be read leaves a 0 x 0 picture that draws nothing.
    explicit ScreenSpriteSet(const std::string& fileName);
    ~ScreenSpriteSet();
    ScreenSpriteSet(const ScreenSpriteSet&) = delete;
    ScreenSpriteSet& operator=(const ScreenSpriteSet&) = delete;

    // The smallest of 32, 64, 128, 256, 512 and 1024 not below the size (1024 for anything larger).
    static uint32_t TextureSide(uint32_t size);

    void DrawPicture(int32_t left, int32_t top, int32_t right, int32_t bottom, uint8_t alpha) const;
    uint32_t GetWidth() const { return m_uWidth; }
    uint32_t GetHeight() const { return m_uHeight; }
    uint32_t GetTexture() const { return m_uTexture; }
    const std::string& GetFileName() const { return m_fileName; }

private:
    std::string m_fileName;
    uint32_t m_uWidth = 0;
    uint32_t m_uHeight = 0;
    uint32_t m_uTexture = 0;
    uint32_t m_uTextureWidth = 0;
    uint32_t m_uTextureHeight = 0;
};

// The bubbles rising over the front end.
class BubbleSet
{
public:
    static constexpr int kStartBubbles = 12;
    struct Bubble
    {
        float size = 1.0f;
        float age = 0.0f;
        float x = 0.0f;
        float y = 0.0f;
        bool done = false;
        float opacity = 0.0f;
    };

    // Interval 1 s, alpha 0.5, twelve bubbles at random heights; the picture is "bubble.tga".
    BubbleSet();
    explicit BubbleSet(std::unique_ptr<ScreenSpriteSet> picture);

    void Update(float dt);
    void Draw(int32_t width, int32_t height) const;
    // Fades over one second from the current alpha to `alpha`, kept within 0 .. 1.
    void SetAlpha(float alpha);
    void SetInterval(float seconds) { m_fInterval = seconds; }

    const std::vector<Bubble>& GetBubbles() const { return m_bubbles; }
    float GetAlpha() const { return m_fAlpha; }
    float GetInterval() const { return m_fInterval; }
    float GetCountdown() const { return m_fCountdown; }
    bool IsFading() const { return m_bFading; }

private:
    void NewBubble(bool randomHeight);

    std::vector<Bubble> m_bubbles;
    float m_fCountdown = 1.0f;
    float m_fInterval = 1.0f;
    float m_fAlpha = 0.5f;
    bool m_bFading = false;
    float m_fFadeTime = 0.0f;
    float m_fFadeStart = 0.5f;
    std::unique_ptr<ScreenSpriteSet> m_pPicture;
};

class ScreenItemInfo;

// The base of the front-end elements: a name, a place and size as page fractions, a scale, an alpha and one
// transition at a time.
class ScreenElement : public Widget
{
public:
    enum Kind : int32_t
    {
        KIND_TOP = 1,
        KIND_BOTTOM = 2,
        KIND_LEFT = 3,
        KIND_RIGHT = 4,
        KIND_IN_PLACE = 5,
        KIND_FROM_HERE = 6,
    };

    ScreenElement(const GuiRect& rect, const char* name);

    void Update(float dt) override;
    const char* GetName() const override { return m_name.c_str(); }
    virtual float GetRelativeWidth() const = 0;
    virtual float GetRelativeHeight() const = 0;

    // Ignored while a transition runs.
    void StartTransition(int32_t kind, bool entering, bool hideAtEnd, float x, float y, float duration, float delay,
                         float targetScale, int32_t targetAlpha);
    void UpdateTransition(float dt);
    // The picture at the element's place and scale, stretched to the display.
    void DrawImage(const ScreenSpriteSet& image) const { DrawImage(image, m_uAlpha); }
    void DrawImage(const ScreenSpriteSet& image, uint8_t alpha) const;
    // The screen rectangle DrawImage uses for a picture of that size.
    GuiRect ImageRect(uint32_t imageWidth, uint32_t imageHeight) const;
    // The screen rectangle from the element's corner reaching width x display width / widthPer across and
    // height x display height / heightPer down.
    GuiRect RectFromCorner(float width, float widthPer, float height, float heightPer) const;

    bool IsTransitionRunning() const { return m_bRunning; }
    float GetX() const { return m_fX; }
    float GetY() const { return m_fY; }
    void SetPosition(float x, float y)
    {
        m_fX = x;
        m_fY = y;
    }
    float GetScale() const { return m_fScale; }
    void SetScale(float scale) { m_fScale = scale; }
    uint8_t GetAlpha() const { return m_uAlpha; }
    void SetAlpha(uint8_t alpha) { m_uAlpha = alpha; }
    const ScreenItemInfo* GetPlacement() const { return m_pPlacement; }
    void SetPlacement(const ScreenItemInfo* info) { m_pPlacement = info; }
    void SetRelativeSize(float width, float height)
    {
        m_fRelWidth = width;
        m_fRelHeight = height;
    }
    float GetTargetX() const { return m_fTargetX; }
    float GetTargetY() const { return m_fTargetY; }

protected:
    std::string m_name;
    float m_fX;
    float m_fY;
    float m_fScale = 1.0f;
    uint8_t m_uAlpha = 255;
    float m_fTargetX = 0.0f;
    float m_fTargetY = 0.0f;
    float m_fTargetScale = 1.0f;
    uint8_t m_uTargetAlpha = 255;
    float m_fDelay = 0.0f;
    float m_fElapsed = 0.0f;
    float m_fDuration = 0.0f;
    uint8_t m_uStartAlpha = 255;
    float m_fStartScale = 1.0f;
    float m_fStartX = 0.0f;
    float m_fStartY = 0.0f;
    bool m_bRunning = false;
    bool m_bWaiting = false;
    bool m_bHideAtEnd = false;
    const ScreenItemInfo* m_pPlacement = nullptr;
    float m_fRelWidth = 0.0f;
    float m_fRelHeight = 0.0f;
};

// A picture of the front end; it takes no mouse input.
class ScreenImage : public ScreenElement
{
public:
    ScreenImage(const GuiRect& rect, const char* name, const char* file);
    void Draw() override;
    float GetRelativeWidth() const override;
    float GetRelativeHeight() const override;

private:
    ScreenSpriteSet m_image;
};

// A front-end button: a picture, its highlight, a hot area and a command of the front-end table.
class ScreenButton : public ScreenElement
{
public:
    enum State : int32_t
    {
        STATE_IDLE = 0,
        STATE_OVER = 1,
        STATE_DISABLED = 2,
    };
    static constexpr uint8_t kDisabledAlpha = 128;

    // The hot area is in page pixels from the element's place. A command name not in the front-end table leaves
    // the button without a handler: pressing it only plays the click.
    ScreenButton(const GuiRect& rect, const GuiRect& hotArea, const char* name, const char* normal,
                 const char* highlight, const char* command, const char* enableVariable);

    void Update(float dt) override;
    // Coming up, the enable variable is asked again, even of a listener that did not answer it before.
    void SetActive(bool active) override;
    bool OnScreenMouse(float x, float y, int32_t event) override;
    void Draw() override;
    float GetRelativeWidth() const override;
    float GetRelativeHeight() const override;

    int32_t GetState() const { return m_iState; }
    GuiCommandHandler GetHandler() const { return m_handler; }

private:
    ScreenSpriteSet m_normal;
    ScreenSpriteSet m_highlight;
    float m_fHotLeft;
    float m_fHotTop;
    float m_fHotWidth;
    float m_fHotHeight;
    int32_t m_iState = STATE_IDLE;
    GuiCommandHandler m_handler = nullptr;
    std::string m_enableVariable;
    // A name the game does not answer is asked once while the button is shown, and leaves its state as it is.
    BoundValue m_enable;
};

// Where a screen places one element and how it enters and leaves.
class ScreenItemInfo : public Widget
{
public:
    struct Values
    {
        int32_t enterAlpha = 255;
        float enterScale = 1.0f;
        int32_t enterKind = 5;
        int32_t enterStartAlpha = 0;
        float enterDuration = 0.0f;
        float enterDelay = 0.0f;
        float enterStartScale = 1.0f;
        int32_t leaveKind = 5;
        int32_t leaveAlpha = 0;
        float leaveDuration = 0.0f;
        float leaveDelay = 0.0f;
        float leaveScale = 1.0f;
    };

    ScreenItemInfo(const GuiRect& rect, const char* name, const Values& values);
    const char* GetName() const override { return m_name.c_str(); }
    const Values& GetValues() const { return m_values; }

private:
    std::string m_name;
    Values m_values;
};

// One front-end screen: its background, its bubbles' rate and opacity, the elements it places and its start
// command.
class ScreenItem : public Widget
{
public:
    enum Phase : int32_t
    {
        PHASE_LEAVING = 0,
        PHASE_ENTERING = 1,
        PHASE_SETTLED = 2,
    };

    ScreenItem(const char* name, const GuiRect& rect, const char* background, float bubbleInterval, int32_t bubbleAlpha,
               const char* startCommand, const char* secondWord);

    void SetActive(bool active) override;
    void Update(float dt) override;
    bool OnScreenMouse(float x, float y, int32_t event) override;
    void AddChild(Widget* child) override;
    const char* GetName() const override { return m_name.c_str(); }

    void DrawBackground() const;
    void DrawElements() const;
    bool IsAnyChildLocked() const;
    const ScreenItemInfo* FindInfo(const ScreenElement& element) const;

    int32_t GetPhase() const { return m_iPhase; }
    float GetBubbleInterval() const { return m_fBubbleInterval; }
    int32_t GetBubbleAlpha() const { return m_iBubbleAlpha; }
    const std::string& GetStartCommand() const { return m_startCommand; }
    const std::vector<ScreenElement*>& GetElements() const { return m_elements; }

private:
    std::string m_name;
    std::string m_startCommand;
    std::string m_secondWord;
    ScreenSpriteSet m_background;
    float m_fBubbleInterval;
    int32_t m_iBubbleAlpha;
    std::vector<ScreenItemInfo*> m_children;
    std::vector<ScreenElement*> m_elements;
    int32_t m_iPhase = PHASE_SETTLED;
};

// The text a front-end value names (the chosen scenario's description), wrapped in the placed rectangle.
class ScreenVar : public ScreenElement
{
public:
    ScreenVar(const GuiRect& rect, const char* name, const char* variable, int32_t font, uint32_t colour);
    void Draw() override;
    float GetRelativeWidth() const override { return m_fRelWidth; }
    float GetRelativeHeight() const override { return m_fRelHeight; }
    // The text id shown for the current choice; empty for a variable that names nothing.
    std::string TextId() const;
    // The screen rectangle the text wraps in: its placed share of the display at the element's scale.
    GuiRect TextRect() const;

private:
    std::string m_variable;
    int32_t m_iFont;
    uint32_t m_uColour;
};

// The picture a front-end value names (the chosen scenario's park thumbnail).
class ScreenVarImage : public ScreenElement
{
public:
    static constexpr std::array<const char*, 3> kThumbnails = {"thumb_perrinhold.tga", "thumb_sallowby.tga",
                                                               "thumb_dunmere.tga"};

    ScreenVarImage(const GuiRect& rect, const char* name, const char* variable);
    void Draw() override;
    float GetRelativeWidth() const override;
    float GetRelativeHeight() const override;
    // The picture for the current choice; null for none.
    const ScreenSpriteSet* CurrentImage() const;

private:
    std::string m_variable;
    std::array<std::unique_ptr<ScreenSpriteSet>, 3> m_images;
};
