// What the park asks of the GUI: its dialogs by name, the message box and the selection slots. The game shell
// registers the GUI manager's side; without one the park runs headless: no dialog opens, the message box is free
// at once and every selection slot reads 0.
#pragma once

#include "platform/WideText.h"

#include <cstdint>
#include <string>
#include <vector>

class DialogListener;

// One widget of a row the park builds into a list of the GUI: a text (by text id, or a text of its own) or a frame
// of a sprite, at a rectangle (x1, y1, x2, y2) of pixels within its row.
struct PanelItem
{
    enum Kind : uint8_t
    {
        TEXT = 0,
        SPRITE = 1,
    };
    Kind kind = TEXT;
    int32_t rect[4] = {};
    // A text id of the text table, or (when empty) the text itself.
    std::string textId;
    platform::WString text;
    uint32_t colour = 0xFF000000;
    std::string sprite;
    // The sprite's frame; -1 for the sprite as it plays.
    int32_t frame = -1;
};

// One row of such a list: its rectangle and its widgets.
struct PanelRow
{
    int32_t rect[4] = {};
    std::vector<PanelItem> items;
};

// A list of rows the GUI shows in a dialog (a scroll group) and that the park fills.
class PanelRowList
{
public:
    virtual ~PanelRowList() = default;
    virtual void Clear() = 0;
    virtual void AddRow(const PanelRow& row) = 0;
    virtual int32_t GetRowCount() const = 0;
    // Selects a row, held within the rows there are.
    virtual void SelectItem(int32_t row) = 0;
    // The selected row; -1 when none is.
    virtual int32_t GetSelectedItem() const = 0;
    virtual void EnsureVisible(int32_t row) = 0;
    virtual void SetTopItem(int32_t row) = 0;
    virtual int32_t GetTopItem() const = 0;
};

class ParkGui
{
public:
    virtual ~ParkGui() = default;
    // Opens the top-level dialog bound to the listener (or to none).
    virtual void OpenDialog(const char* name, DialogListener* listener) = 0;
    // Closes the dialog when it is open and tells its listener; whether it was open.
    virtual bool CloseDialog(const char* name) = 0;
    // Closes every dialog bound to the listener; whether any was.
    virtual bool CloseDialogsOfListener(DialogListener* listener) = 0;
    // No text is being shown in the "NewMessage" box.
    virtual bool IsMessageBoxFree() = 0;
    // Shows the text of a text id, or a text, in the "NewMessage" box for its display time (the passes of the
    // scrolling band).
    virtual void ShowMessage(const char* textId, float displayTime) = 0;
    virtual void ShowMessageText(const char16_t* text, float displayTime) = 0;
    virtual int32_t GetSelection(int32_t slot) = 0;
    // The other side of the selection slots, the world view's tool mode and the lists of rows that the park fills,
    // found by name among the loaded widgets (null when none is loaded).
    virtual void SetSelection(int32_t slot, int32_t value) { (void)slot, (void)value; }
    virtual void SetMode(int32_t mode) { (void)mode; }
    virtual PanelRowList* FindRowList(const char* name)
    {
        (void)name;
        return nullptr;
    }
};

// The registered GUI, or null.
ParkGui* GetParkGui();
void SetParkGui(ParkGui* gui);
