// Mp3Player: the park's music player: a jukebox filled from the options' play list, day and night music, and the
// "PlayList" dialog's list of tracks with the commands that mark, repeat, shuffle, delete, move, play and skip them.
#pragma once

#include "gui/GUIManager.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

class GameOptions;
class Jukebox;
class ListBox;
class SoundManager;

class Mp3Player : public GuiFrameHolder
{
public:
    // Filter modes: day and night tracks told apart, or every track alike.
    static constexpr int32_t kFilterDayNight = 0;
    static constexpr int32_t kFilterAll = 1;

    // A jukebox on the sound manager, loaded from the options' play list.
    Mp3Player(SoundManager* soundManager, GameOptions& options);
    ~Mp3Player() override;
    Mp3Player(const Mp3Player&) = delete;
    Mp3Player& operator=(const Mp3Player&) = delete;

    // While the options' play list is in use, every track of it goes into the jukebox (tracks whose file
    // cannot be read are dropped); then the jukebox's list is written back to the options.
    void LoadFromOptions();

    enum CommandId : int32_t
    {
        CMD_SUN = 0,
        CMD_MOON = 1,
        CMD_REPEAT = 2,
        CMD_SHUFFLE = 3,
        CMD_DELETE = 4,
        CMD_MOVE_UP = 5,
        CMD_MOVE_DOWN = 6,
        CMD_PLAY = 7,
        CMD_FILTER_DAY_NIGHT = 8,
        CMD_FILTER_ALL = 9,
        CMD_NEXT = 10,
        CMD_PREVIOUS = 11,
        CMD_STOP = 12,
        CMD_PAUSE = 13,
        CMD_REBUILD = 14,
        CMD_RESET = 15,
    };
    // The rows' texts: opaque black, and opaque grey for the tracks beside a repeated one (a colour with no alpha
    // would draw nothing).
    static constexpr uint32_t kText = 0xFF000000;
    static constexpr uint32_t kGrey = 0xFF808080;
    // The GUI font of the current track's row (every other row is in font 0) and of every row's time.
    static constexpr int32_t kCurrentTrackFont = 1;
    static constexpr const char* kDialogName = "PlayList";
    // One press of the volume buttons: a tenth of the whole range.
    static constexpr float kVolumeStep = 0.1f;
    // The dialog's buttons, in the order the commands 0 to 7 use them.
    static constexpr const char* kButtons[] = {"MP3_Sun",    "MP3_Moon",   "MP3_Repeat",   "MP3_Shuffle",
                                               "MP3_Delete", "MP3_MoveUp", "MP3_MoveDown", "MP3_AmpPlay"};

    // A rebuild that was asked for; the next track when one has ended; the dialog's buttons and list.
    void Update(float frameTime) override;
    // The script was reset: the "PlayList" dialog is gone.
    void Disable() override
    {
        m_bDialogOpen = false;
        m_pList = nullptr;
    }
    // The "PlayList" dialog opened (its list is filled) or closed (the options are written).
    void Enable(bool open);
    // Opens the "PlayList" dialog and fills its list, or closes it and writes the options; true when it is now
    // open (false also when the script has no such dialog, which the GUI manager reports).
    bool ToggleDialog();
    // The music volume one step up (or down, for a negative step), in hundredths and kept within 0 .. 1: the
    // options' music volume and the sound manager's.
    void ChangeVolume(float step);
    // One of the commands above, on the rows selected in the dialog's list.
    void Command(int32_t n);
    // The dialog's rows from the jukebox's tracks; the jukebox's list is then written back to the options.
    void FillList(bool clearSelection);
    // Writes the jukebox's tracks into the options' play list.
    void WriteToOptions();
    ListBox* GetList() const { return m_pList; }
    bool IsDialogOpen() const { return m_bDialogOpen; }

    // The park's hooks: the time of day the music follows, the filter mode, and the play list.
    void SetDayNight(bool night);
    void SetFilterMode(int32_t mode);
    void ShuffleAll();
    void PlayFirstTrack();
    void Stop();

    Jukebox& GetJukebox() const { return *m_pJukebox; }
    int32_t GetFilterMode() const { return m_iFilterMode; }
    bool IsNight() const { return m_bNight; }

private:
    // The jukebox's attribute filter for the filter mode and the time of day.
    void ApplyFilter();
    // The list redrawn keeping its top row.
    void Redraw();
    void SetButtons(bool enabled, std::initializer_list<const char*> names);
    std::vector<int32_t> Selected() const;

    GameOptions& m_Options;
    SoundManager* m_pSound;
    std::unique_ptr<Jukebox> m_pJukebox;
    ListBox* m_pList = nullptr;
    size_t m_uLastSelectionCount = 0;
    bool m_bAutoSwitch = true;
    bool m_bRebuild = false;
    int32_t m_iLastTrack = -1;
    bool m_bDialogOpen = false;
    int32_t m_iFilterMode = kFilterDayNight;
    bool m_bNight = false;
};
