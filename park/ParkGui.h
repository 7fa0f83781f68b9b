// What the park asks of the GUI: its dialogs by name, the message box and the selection slots. The game shell
// registers the GUI manager's side; without one the park runs headless: no dialog opens, the message box is free
// at once and every selection slot reads 0.
#pragma once

#include <cstdint>

class DialogListener;

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
    // Shows the text of a text id, or a text, in the "NewMessage" box for `seconds`.
    virtual void ShowMessage(const char* textId, float seconds) = 0;
    virtual void ShowMessageText(const char16_t* text, float seconds) = 0;
    virtual int32_t GetSelection(int32_t slot) = 0;
};

// The registered GUI, or null.
ParkGui* GetParkGui();
void SetParkGui(ParkGui* gui);
