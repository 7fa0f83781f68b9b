// Mp3Player: the park's music player: a jukebox filled from the options' play list, day and night music. So far
// it loads the play list and plays it; its "PlayList" dialog comes with the GUI.
#pragma once

#include "gui/GUIManager.h"

#include <cstdint>
#include <memory>

class GameOptions;
class Jukebox;
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

    // Moves on to the next track when one has ended.
    void Update(float frameTime) override;
    // The script was reset: the "PlayList" dialog is gone.
    void Disable() override { m_bDialogOpen = false; }

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

    GameOptions& m_Options;
    std::unique_ptr<Jukebox> m_pJukebox;
    bool m_bDialogOpen = false;
    int32_t m_iFilterMode = kFilterDayNight;
    bool m_bNight = false;
};
