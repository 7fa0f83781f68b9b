// GameParkGui: the GUI manager's side of what the park asks of the GUI (its dialogs, message band, selection slots,
// tool mode and the lists of rows the park fills), registered by the Game for as long as it lives.
#pragma once

#include "park/ParkGui.h"

#include <memory>
#include <string>
#include <unordered_map>

class GUIManager;
class ScrollGroup;

class GameParkGui : public ParkGui
{
public:
    explicit GameParkGui(GUIManager& gui);
    ~GameParkGui() override;
    GameParkGui(const GameParkGui&) = delete;
    GameParkGui& operator=(const GameParkGui&) = delete;

    void OpenDialog(const char* name, DialogListener* listener) override;
    bool CloseDialog(const char* name) override;
    bool CloseDialogsOfListener(DialogListener* listener) override;
    bool IsMessageBoxFree() override;
    // The message runs along the band as many times as its display time has whole units (at least once, at most
    // kMostPasses times).
    void ShowMessage(const char* textId, float displayTime) override;
    void ShowMessageText(const char16_t* text, float displayTime) override;
    static constexpr int32_t kMostPasses = 10;
    int32_t GetSelection(int32_t slot) override;
    void SetSelection(int32_t slot, int32_t value) override;
    void SetMode(int32_t mode) override;
    // The scroll group of that name in an open dialog (the front one first), else the first loaded one; null when
    // none is loaded.
    PanelRowList* FindRowList(const char* name) override;

    // The scroll group FindRowList answers for, or null.
    ScrollGroup* FindScrollGroup(const char* name) const;

private:
    static int32_t PassesOf(float displayTime);

    GUIManager& m_gui;
    // One list adapter a scroll group, made when first asked for.
    std::unordered_map<ScrollGroup*, std::unique_ptr<PanelRowList>> m_lists;
};
