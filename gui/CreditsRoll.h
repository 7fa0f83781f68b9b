// CreditsRoll: the credit lines that rise over the front end, one row of the credits table after another, each
// fading in and out over its five seconds on screen.
#pragma once

#include <cstdint>
#include <vector>

class CreditsRoll
{
public:
    static constexpr int32_t kRowCount = 111;
    static constexpr float kFirstLineDelay = 3.0f;
    static constexpr float kLineLife = 5.0f;
    static constexpr float kEndDelay = 5.0f;

    struct Row
    {
        int32_t font;       // GUI font slot
        int32_t textNumber; // the text key is "CREDIT_ENTRY_<number>"
        uint32_t colour;    // RGB
        bool gapAfter;      // the next row waits 0.6 s instead of 0.3 s
        bool last;
    };

    struct Line
    {
        bool last;
        float x; // fraction of the screen width
        uint32_t colour;
        int32_t textNumber;
        float age;
        int32_t font;
        float y; // pixels
    };

    // The roll for a screen of that size.
    CreditsRoll(int32_t screenWidth, int32_t screenHeight);

    void Start() { m_iNextRow = 0; }
    void Update(float dt);
    void Draw() const;
    bool IsFinished() const { return m_bEnding && m_fEndCountdown < 0.0f; }

    const std::vector<Line>& GetLines() const { return m_lines; }
    static const Row& GetRow(int32_t i);

private:
    int32_t m_iScreenWidth;
    int32_t m_iNextRow = 0;
    std::vector<Line> m_lines;
    bool m_bEnding = false;
    float m_fEndCountdown = kEndDelay;
    float m_fSpawnCountdown = kFirstLineDelay;
    float m_fStartY;
    float m_fScroll = 0.0f;
    float m_fSpeed;
};
