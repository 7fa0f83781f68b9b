// Button: the widget through which the player gives commands. It shows a sprite frame (or an outline) per state,
// labels itself from the text table or its listener, is switched on, off or hidden by a state variable, and fires
// its command 0.05 s after a press, again and again while held when it auto-repeats.
#pragma once

#include "gui/GuiCommands.h"
#include "gui/Widget.h"
#include "platform/WideText.h"

#include <string>
#include <vector>

class DialogListener;
class Sprite;

class Button : public Widget
{
public:
    enum State : int32_t
    {
        STATE_NORMAL = 0,
        STATE_PRESSED = 1,
        STATE_OVER = 2,
        STATE_DISABLED = 3,
        STATE_FIRE_PENDING = 4,
    };
    enum VariableKind : int32_t
    {
        VAR_LABEL = 0,          // a text key, or with "BUTVAR_" the listener's value
        VAR_STATE = 1,          // "BUTSTATEVAR_": enables and disables, and labels
        VAR_STATE_NO_LABEL = 2, // "BUTSTATENTVAR_"
        VAR_VISIBILITY = 3,     // "BUTSTATEVISVAR_": shows and hides
    };
    static constexpr float kFireDelay = 0.05f;
    static constexpr float kFirstRepeatDelay = 0.75f;
    static constexpr float kRepeatDelay = 0.05f;

    // The commands are resolved in the in-game command table. An image other than "NONE" sizes the button to
    // the sprite.
    Button(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* image, const char* stateVariable,
           const char* command, const char* alternativeCommand, bool alwaysDraw);
    ~Button() override;

    void Update(float dt) override;
    void SetActive(bool active) override;
    bool HitTest(int32_t x, int32_t y) override;
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    bool OnRightMouse(int32_t x, int32_t y, int32_t event) override;
    void DrawCached() override;
    void Draw() override;
    bool HasChanged() const override;

    // Each acts only when the button is bound to the named command (IsBoundTo).
    void DisableByCommand(const char* name);
    void EnableByCommand(const char* name);
    void SetImageByCommand(const char* name, const char* image);
    void SetHeldByCommand(const char* name, bool held);
    // Some row of the in-game table with exactly this name holds this button's handler.
    bool IsBoundTo(const char* name) const;

    void SetAutoRepeat(bool repeat) { m_bAutoRepeat = repeat; }
    // Forgets a press that has not fired yet or that nobody has taken yet: the button is up and reports nothing.
    void CancelPress();
    int32_t GetState() const { return m_iState; }
    int32_t GetVariableKind() const { return m_iVariableKind; }
    const std::string& GetVariableName() const { return m_variable; }
    bool IsVisible() const { return m_bVisible; }
    bool IsHeld() const { return m_bHeld; }
    const std::string& GetImage() const { return m_image; }
    GuiCommandHandler GetCommand() const { return m_command; }
    GuiCommandHandler GetAlternativeCommand() const { return m_alternative; }
    Sprite* GetSprite() const { return m_pSprite; }

private:
    void AcquireSprite();
    void ReleaseSprite();
    // The sprite frame that shows the state.
    int32_t StateFrame() const;
    // The current dialog object's answer for the keyword; false (the text as it was) without a listener or when
    // it does not answer. A listener that did not answer is asked no more (reported once) until the button is
    // activated again.
    bool AskListener(const std::string& keyword, platform::WString& text);
    // The listener's value of "<variable>_STATE"; false when there is none.
    bool ReadStateVariable(int32_t* value);

    int32_t m_iState = STATE_NORMAL;
    int32_t m_iDrawnState = STATE_DISABLED;
    int32_t m_iVariableKind = VAR_LABEL;
    bool m_bAutoRepeat = false;
    std::string m_variable;
    float m_fPressTime = 0.0f;
    GuiCommandHandler m_command = nullptr;
    GuiCommandHandler m_alternative = nullptr;
    float m_fRepeatDelay = kFirstRepeatDelay;
    bool m_bVisible = true;
    std::string m_image;
    Sprite* m_pSprite = nullptr;
    bool m_bLabelIsValue = false;
    bool m_bHeld = false;
    bool m_bAlternativeFired = false;
    bool m_bAlwaysDraw = false;
    // The dialog objects that did not answer the variable (a shared button may serve several; not owned, never
    // dereferenced).
    std::vector<const DialogListener*> m_unanswered;
};
