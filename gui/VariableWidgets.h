// Variable and VariableImage: a text and a picture bound to a named game value (cash, clock, ratings, smileys,
// counts, the build panel's and object browser's figures), or to what the dialog's object answers for the name.
#pragma once

#include "gui/BoundValue.h"
#include "gui/Widget.h"

#include <string>
#include <vector>

class PanelData;

namespace varimage
{
// Star i (0 to 4) of a rating row: 2 full, 1 half, 0 empty.
int32_t StarDirection(int32_t value, int32_t star);
// The smiley frame of a happiness, 0 to 4.
int32_t SmileyFrame(float happiness);
// The share of unhappy departures in whole percent; 0 when nobody departed.
int32_t UnhappyShare(int32_t unhappy, int32_t departed);
} // namespace varimage

class VariableImage : public Widget
{
public:
    static constexpr size_t kMaxName = 31;

    VariableImage(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* name);

    void SetActive(bool active) override;
    void DrawCached() override;
    void Draw() override;
    const char* GetName() const override { return m_name.c_str(); }

    void SetObject(DialogListener* object) { m_pObject = object; }
    DialogListener* GetObject() const { return m_pObject; }

    // What a frame's draw shows: a sprite and its frame (or direction) per step, computed without drawing.
    struct Step
    {
        std::string sprite;
        int32_t frame = 0;
        int32_t direction = -1; // a rating star's direction
        int32_t x = 0;
        int32_t y = 0;
        // A photo: drawn only from its own bank and only when the bank has the frame (never another picture).
        bool photo = false;
    };
    // The steps of the per-frame draw (empty: nothing drawn).
    std::vector<Step> PlanDraw();
    std::vector<Step> PlanDrawCached();

private:
    DialogListener* Object() const;
    void DrawSteps(const std::vector<Step>& steps, bool toSurface);
    void AddRating(std::vector<Step>& steps, const char* sprite, int32_t value);

    std::string m_name;
    DialogListener* m_pObject = nullptr;
    BoundValue m_value;
};

class Variable : public Widget
{
public:
    static constexpr size_t kMaxName = 47;
    static constexpr uint32_t kRed = 0xFFFF0000;
    enum Align : int32_t
    {
        ALIGN_RIGHT = 1,
        ALIGN_LEFT = 2,
        ALIGN_CENTRE = 4,
    };

    Variable(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* name, int32_t font, uint32_t colour,
             int32_t flags);

    // Coming up, it asks again for a name its object did not answer before.
    void SetActive(bool active) override;
    void Draw() override;
    const char* GetName() const override { return m_name.c_str(); }
    // The number of the GUI font it writes with.
    int32_t GetFont() const { return m_iFont; }

    // The text of this frame, its colour and indent; false when nothing is drawn.
    bool Compose(platform::WString& text, uint32_t* colour, int32_t* indent);

private:
    std::string m_name;
    uint32_t m_uColour;
    int32_t m_iFont;
    int32_t m_iFlags;
    BoundValue m_value;
};
