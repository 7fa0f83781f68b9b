// MessageBand: the scrolling line of the park's messages: a text that enters at the band's right end, runs left a
// number of passes, and on its last pass comes to rest at the band's left end.
#pragma once

#include <cstdint>

class MessageBand
{
public:
    // The longest step a frame may take, in seconds, and the speed in pixels per second at game speed 1.
    static constexpr float kMaxStep = 0.5f;
    static constexpr float kPixelsPerSecond = 80.0f;

    void SetBand(int32_t left, int32_t right)
    {
        m_iBandLeft = left;
        m_iBandRight = right;
    }
    // A new text of that width in pixels starts at the band's right end.
    void Show(int32_t textWidth, int32_t passes);
    // Moves the text by the frame's time (capped) times the game speed; nothing while paused or not showing.
    void Update(float dt, float gameSpeed, bool paused);

    bool IsShowing() const { return m_bShowing; }
    bool HasText() const { return m_bHasText; }
    int32_t GetLeft() const { return m_iLeft; }
    int32_t GetRight() const { return m_iLeft + m_iWidth; }
    int32_t GetPasses() const { return m_iPasses; }

private:
    int32_t m_iBandLeft = 0;
    int32_t m_iBandRight = 0;
    int32_t m_iLeft = 0;
    int32_t m_iWidth = 0;
    int32_t m_iPasses = 0;
    float m_fCarry = 0.0f;
    bool m_bShowing = false;
    bool m_bHasText = false;
};
