// ImageList: the build panel's grid of thumbnails (buildings by type, paths, scenery by category) with availability,
// counts coloured by the buildings' state, and the choice of an item into the selection slots and tool modes.
#pragma once

#include "gui/Widget.h"
#include "platform/WideText.h"

#include <memory>
#include <string>
#include <vector>

class Image;

struct BuildThumb
{
    const char* sprite = nullptr;
    int32_t frame = 0;
    std::string name;
    int32_t item = -1;
    platform::WString count;
    uint32_t colour = 0xFF000000;
    bool showCount = false;
};

struct BuildThumbLabel
{
    platform::WString text;
    uint32_t colour = 0xFF000000;
    int32_t x = 0;
    int32_t y = 0;
};

class ImageList : public Widget
{
public:
    static constexpr float kRefillTime = 2.0f;
    static constexpr uint32_t kCountNone = 0xFFFF0000;
    static constexpr uint32_t kCountFinished = 0xFF000000;
    static constexpr uint32_t kCountBuilding = 0xFFFF8000;
    // The widest gap between thumbnails a list takes from its script: every thumbnail then stands at a whole
    // number of pixels in range (a wider gap shows nothing more).
    static constexpr int32_t kMaxGap = 4096;

    ImageList(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t hGap, int32_t vGap,
              const char* category, const char* selectionSprite);
    ~ImageList() override;

    void Update(float dt) override;
    void Refresh() override;
    void SetDirty() override;
    void SetActive(bool active) override;
    void Move(int32_t dx, int32_t dy) override;
    // Placed at its home moved by (dx, dy), as its dialog lays it out; the thumbnails and labels go with it.
    void Reposition(int32_t dx, int32_t dy) override;
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    // The header of the page already shown was pressed again: its thumbnail (the first after a clearing) is chosen
    // again, with its tool.
    void OnTabClicked() override;
    void DrawCached() override;
    void Draw() override;

    void Advance(float dt, bool apply);
    void FillBuildings(int32_t type, const char* sprite, const char* grey);
    void FillPaths();
    void FillScenery(int32_t category, const char* sprite, bool random, int32_t randomFrame);
    void LayoutThumbs();
    void RebindThumbs();
    void Select(int32_t index);
    void ApplySelection();

    int32_t GetKind() const { return m_iKind; }
    int32_t GetSelected() const { return m_iSelected; }
    const std::vector<BuildThumb>& GetEntries() const { return m_entries; }
    const std::vector<std::unique_ptr<Image>>& GetThumbs() const { return m_thumbs; }
    // The frame drawn round the selected thumbnail.
    const Image& GetSelectionFrame() const { return *m_pFrame; }
    const std::vector<BuildThumbLabel>& GetLabels() const { return m_labels; }
    // The kind of a category name (case-sensitive); -1 for another.
    static int32_t KindOfCategory(const char* name);

private:
    void AddLabel(const BuildThumb& entry, const Image& thumb);

    int32_t m_iKind;
    int32_t m_iHGap;
    int32_t m_iVGap;
    std::unique_ptr<Image> m_pFrame;
    int32_t m_iSelected = 0;
    float m_fTimer = 0.0f;
    bool m_bRefillPending = true;
    int32_t m_iSceneryCategory = 0;
    std::vector<BuildThumb> m_entries;
    std::vector<std::unique_ptr<Image>> m_thumbs;
    std::vector<BuildThumbLabel> m_labels;
};
