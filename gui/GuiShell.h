// GuiShell: what the GUI manager asks of the program above it (the game shell implements it and registers itself):
// the listener of the toolbar, the remembered dialog positions, the screen changes of the front end's start states,
// the park's pause and the preparation of the panels the shortcuts open.
#pragma once

#include <cstdint>

class DialogListener;
class GameOptions;
class PanelData;

class GuiShell
{
public:
    virtual ~GuiShell() = default;

    // The object the toolbar and the shell's own dialogs read their values from.
    virtual DialogListener* GetShellListener() { return nullptr; }
    // The position remembered under a dialog position id; false when none is.
    virtual bool GetDialogPosition(int32_t id, int32_t* x, int32_t* y)
    {
        (void)id, (void)x, (void)y;
        return false;
    }
    virtual void SetDialogPosition(int32_t id, int32_t x, int32_t y) { (void)id, (void)x, (void)y; }

    // Front-end start states.
    virtual void ClearScenarioList() {}
    virtual void TakeLoadListSelection() {}
    virtual void SelectScreen(int32_t screen) { (void)screen; }

    // The park's pause flag (false and ignored while there is no park).
    virtual bool HasPark() const { return false; }
    virtual bool IsParkPaused() const { return false; }
    virtual void SetParkPaused(bool paused) { (void)paused; }
    // The park's game speed (1 without a park).
    virtual float GetParkSpeed() const { return 1.0f; }

    // The save or load menu is about to open (the list is prepared) or has been closed.
    virtual void PrepareSaveMenu(bool load) { (void)load; }
    virtual void SaveMenuClosed(bool load) { (void)load; }
    // The camera used while the build and scenery panels are open.
    virtual void UseOverviewCamera() {}
    // Whether the building type chosen in the build panel may be built.
    virtual bool IsBuildingAvailable(int32_t type) const
    {
        (void)type;
        return false;
    }

    // The player's options that widgets change (the volumes, the video choices); null while there are none.
    virtual GameOptions* GetGuiOptions() { return nullptr; }
    // The video options were changed: they take effect.
    virtual void ApplyVideoOptions() {}
    // The share of the options' volumes the sound is held at for the moment: below 1 while something (the guide
    // playing an animal's call) has it turned down, else 1.
    virtual float GetVolumeShare() const { return 1.0f; }
    // A park figure a bar shows by its name when its dialog has no object ("GUEST_AV_PRICE" and the others);
    // false for a name the program does not know or while there is no park.
    virtual bool GetParkFigure(const char* name, float* value) const
    {
        (void)name, (void)value;
        return false;
    }
    // The research budget's slider value, 0 to 1; false while there is none.
    virtual bool GetResearchSpend(float* value) const
    {
        (void)value;
        return false;
    }
    virtual void SetResearchSpend(float value) { (void)value; }
    // The front end's scenario choice: the sandbox flag, the index within its category and the park number
    // (0: none).
    virtual void GetScenarioChoice(bool* sandbox, int32_t* index, int32_t* park) const
    {
        *sandbox = false;
        *index = 0;
        *park = 0;
    }
    // The park's records and figures the data-bound panels show; null while there is no park.
    virtual PanelData* GetPanelData() { return nullptr; }
};
