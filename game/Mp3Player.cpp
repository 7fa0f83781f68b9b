// Mp3Player: the play list loaded from the options, the park's music hooks and the play list dialog.
#include "game/Mp3Player.h"

#include "engine/core/GameOptions.h"
#include "engine/media/Jukebox.h"
#include "engine/media/SoundManager.h"
#include "game/Game.h"
#include "gui/GUIManager.h"
#include "gui/ListBox.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

Mp3Player::Mp3Player(SoundManager* soundManager, GameOptions& options)
    : m_Options(options), m_pSound(soundManager), m_pJukebox(std::make_unique<Jukebox>(soundManager))
{
    LoadFromOptions();
}

Mp3Player::~Mp3Player() = default;

void Mp3Player::LoadFromOptions()
{
    if (m_Options.m_iPlayListInUse)
    {
        // Every track is measured from its file: the options' play list always starts from the defaults, whose
        // time (in seconds, where the jukebox counts thousandths) is a guess the same for every track.
        for (int32_t i = 0; i < m_Options.GetPlayListCount(); ++i)
            m_pJukebox->AddTrack(m_Options.GetPlayListDirectory(i), m_Options.GetPlayListFile(i),
                                 m_Options.GetPlayListAttribute(i), -1);
    }
    WriteToOptions();
}

void Mp3Player::WriteToOptions()
{
    m_Options.ClearPlayList();
    for (int32_t i = 0; i < m_pJukebox->GetTrackCount(); ++i)
        m_Options.AddPlayListEntry(m_pJukebox->GetTrackDirectory(i), m_pJukebox->GetTrackFileName(i),
                                   m_pJukebox->GetTrackAttribute(i), m_pJukebox->GetTrackTime(i) / 1000);
}

void Mp3Player::SetButtons(bool enabled, std::initializer_list<const char*> names)
{
    if (!g_pGUIManager)
        return;
    for (const char* name : names)
        enabled ? g_pGUIManager->EnableButtonsByCommand(name) : g_pGUIManager->DisableButtonsByCommand(name);
}

std::vector<int32_t> Mp3Player::Selected() const
{
    if (!m_pList)
        return {};
    std::vector<int32_t> rows = m_pList->GetSelection();
    std::sort(rows.begin(), rows.end());
    std::erase_if(rows, [this](int32_t row) { return row < 0 || row >= m_pJukebox->GetTrackCount(); });
    return rows;
}

void Mp3Player::FillList(bool clearSelection)
{
    if (m_pList)
    {
        m_pList->Clear();
        if (clearSelection)
            m_pList->ClearSelection();
        bool anyRepeat = false;
        for (int32_t i = 0; i < m_pJukebox->GetTrackCount(); ++i)
            anyRepeat = anyRepeat || m_pJukebox->GetTrackRepeat(i);
        for (int32_t i = 0; i < m_pJukebox->GetTrackCount(); ++i)
        {
            const char* artist = m_pJukebox->GetTrackArtist(i);
            const char* title = m_pJukebox->GetTrackTitle(i);
            std::string label = title ? title : "";
            if (artist && *artist)
                label = std::string(artist) + " - " + label;
            const bool repeat = m_pJukebox->GetTrackRepeat(i);
            const uint32_t colour = anyRepeat && !repeat ? kGrey : kText;
            const int32_t font = i == m_pJukebox->GetCurrentTrack() ? kCurrentTrackFont : 0;
            m_pList->AddText(i, 0, 240, 15, 2, font, colour, label.c_str(), true);
            if (repeat)
                m_pList->AddImage(i, 240, "UI3_mp3_icon_repeat");
            if (m_iFilterMode == kFilterDayNight)
                m_pList->AddImage(i, 255,
                                  m_pJukebox->GetTrackAttribute(i) != 0 ? "UI3_mp3_icon_moon" : "UI3_mp3_icon_sun");
            const int32_t seconds = m_pJukebox->GetTrackTime(i) / 1000;
            if (m_pJukebox->GetTrackTime(i) != 0)
            {
                char time[32];
                std::snprintf(time, sizeof time, "%d:%02d", seconds / 60, seconds % 60);
                // The time in the current track's font on every row, so that each row's "m:ss" fits the same
                // 35-pixel column (the other rows' font is the panels' larger one).
                m_pList->AddText(i, 285, 35, 15, 2, kCurrentTrackFont, colour, time, false);
            }
        }
    }
    WriteToOptions();
}

void Mp3Player::Redraw()
{
    const int32_t first = m_pList ? m_pList->GetFirst() : 0;
    FillList(false);
    if (m_pList)
        m_pList->SetFirst(first);
}

void Mp3Player::Enable(bool open)
{
    if (!open)
    {
        m_Options.SaveOrReport();
        m_bDialogOpen = false;
        m_pList = nullptr;
        return;
    }
    m_pList =
        g_pGUIManager ? dynamic_cast<ListBox*>(g_pGUIManager->FindItem(GUIManager::kListBoxType, "PlayList")) : nullptr;
    if (!m_pList)
        return;
    m_pList->SetMultiSelect(true);
    SetFilterMode(m_iFilterMode);
    FillList(true);
    if (m_pJukebox->GetTrackCount() > 0)
    {
        m_pList->Select(m_pJukebox->GetCurrentTrack(), true);
        m_pList->EnsureVisible(m_pJukebox->GetCurrentTrack());
    }
    m_uLastSelectionCount = m_pList->GetSelection().size();
    m_bDialogOpen = true;
}

bool Mp3Player::ToggleDialog()
{
    if (!g_pGUIManager)
        return false;
    if (g_pGUIManager->IsDialogOpen(kDialogName))
    {
        g_pGUIManager->CloseDialog(kDialogName);
        Enable(false);
        return false;
    }
    // Closed some other way (every dialog closed at once): the options are written, then it opens again.
    if (m_bDialogOpen)
        Enable(false);
    if (!g_pGUIManager->OpenDialog(kDialogName, nullptr))
        return false;
    Enable(true);
    return m_bDialogOpen;
}

void Mp3Player::ChangeVolume(float step)
{
    // While the guide holds the music down to a share of the player's level, the step is taken from the player's
    // level and the music stays at its share of the new one.
    const float share = g_pGame ? g_pGame->GetGuideVolumeShare() : 1.0f;
    float volume = m_pSound && share >= 1.0f ? m_pSound->GetMusicVolume() : m_Options.m_fMusicVol;
    if (!std::isfinite(volume))
        volume = 0.0f;
    volume = std::clamp(std::round((volume + step) * 100.0f) / 100.0f, 0.0f, 1.0f);
    m_Options.m_fMusicVol = volume;
    if (m_pSound)
        m_pSound->SetMusicVolume(volume * share);
}

void Mp3Player::Update(float)
{
    if (m_bRebuild)
    {
        if (g_pGUIManager)
            g_pGUIManager->PushPause();
        Command(CMD_RESET);
        SetButtons(true, {kButtons[0], kButtons[1], kButtons[2], kButtons[3], kButtons[4], kButtons[5], kButtons[6],
                          kButtons[7]});
        m_bRebuild = false;
        if (g_pGUIManager)
        {
            g_pGUIManager->CloseDialog("MP3Refreshing");
            g_pGUIManager->PopPause();
        }
    }
    const bool changed = m_pJukebox->Update();
    if (!m_bDialogOpen || !m_pList)
        return;
    const size_t count = m_pList->GetSelection().size();
    if (count != m_uLastSelectionCount)
    {
        if (count >= 2 && m_uLastSelectionCount < 2)
            SetButtons(false, {"MP3_MoveUp", "MP3_MoveDown", "MP3_Repeat"});
        else if (count < 2 && m_uLastSelectionCount >= 2)
            SetButtons(true, {"MP3_MoveUp", "MP3_MoveDown", "MP3_Repeat"});
        m_uLastSelectionCount = count;
    }
    if (m_pJukebox->GetTrackCount() == 0)
        SetButtons(false, {"MP3_MoveUp", "MP3_MoveDown", "MP3_Repeat", "MP3_Sun", "MP3_Moon", "MP3_Delete",
                           "MP3_Shuffle", "MP3_AmpPlay"});
    if (m_pList->WasDoubleClicked())
        Command(CMD_PLAY);
    if (changed)
    {
        Redraw();
        if (!m_pList->GetSelection().empty())
            m_pList->EnsureVisible(m_pList->GetSelection().front());
    }
}

void Mp3Player::Command(int32_t n)
{
    Jukebox& box = *m_pJukebox;
    const std::vector<int32_t> rows = Selected();
    switch (n)
    {
    case CMD_SUN:
    case CMD_MOON:
        for (int32_t row : rows)
            box.SetTrackAttribute(row, n == CMD_SUN ? 0 : 1);
        Redraw();
        break;
    case CMD_REPEAT:
    {
        if (rows.empty())
            break;
        const int32_t row = m_pList->GetSelection().front();
        if (row < 0 || row >= box.GetTrackCount())
            break;
        const bool on = !box.GetTrackRepeat(row);
        for (int32_t i = 0; i < box.GetTrackCount(); ++i)
            box.SetTrackRepeat(i, false);
        box.SetTrackRepeat(row, on);
        const bool alreadyPlaying = row == box.GetCurrentTrack() && box.IsStreamPlaying();
        if (on && !alreadyPlaying)
        {
            box.SetCurrentTrack(row);
            box.PlayCurrentTrack(false);
        }
        Redraw();
        break;
    }
    case CMD_SHUFFLE:
        if (rows.size() < 2)
            box.ShuffleAll();
        else
            box.ShuffleTracks(rows);
        Redraw();
        break;
    case CMD_DELETE:
    {
        if (rows.empty())
            break;
        const int32_t current = box.GetCurrentTrack();
        const bool playing = box.IsStreamPlaying();
        const bool currentGone = std::find(rows.begin(), rows.end(), current) != rows.end();
        const int32_t before =
            static_cast<int32_t>(std::count_if(rows.begin(), rows.end(), [current](int32_t r) { return r < current; }));
        for (int32_t row : rows)
            box.MarkTrackDeleted(row);
        box.RemoveDeletedTracks();
        const int32_t last = box.GetTrackCount() - 1;
        const int32_t moved = std::clamp(rows.back() - static_cast<int32_t>(rows.size() - 1), 0, std::max(last, 0));
        if (currentGone && playing && last >= 0)
        {
            box.SetCurrentTrack(moved);
            box.PlayCurrentTrack(false);
        }
        else if (currentGone && last < 0)
            box.Stop();
        else
            box.SetCurrentTrack(currentGone ? moved : current - before);
        Redraw();
        if (m_pList && last >= 0)
        {
            m_pList->Select(moved, true);
            m_pList->EnsureVisible(moved);
        }
        break;
    }
    case CMD_MOVE_UP:
    case CMD_MOVE_DOWN:
    {
        if (rows.empty())
            break;
        const int32_t row = m_pList->GetSelection().front();
        if (n == CMD_MOVE_UP)
            box.MoveTrackUp(row);
        else
            box.MoveTrackDown(row);
        Redraw();
        const int32_t to = n == CMD_MOVE_UP ? std::max(row - 1, 0) : std::min(row + 1, box.GetTrackCount() - 1);
        m_pList->Select(to, true);
        m_pList->EnsureVisible(to);
        break;
    }
    case CMD_PLAY:
        if (box.GetTrackCount() == 0)
            break;
        if (!m_bDialogOpen || !m_pList)
            box.PlayCurrentTrack(false);
        else if (!m_pList->GetSelection().empty() && !rows.empty())
        {
            box.SetCurrentTrack(m_pList->GetSelection().front());
            box.PlayCurrentTrack(false);
            Redraw();
        }
        break;
    case CMD_FILTER_DAY_NIGHT:
    case CMD_FILTER_ALL:
        SetFilterMode(n == CMD_FILTER_DAY_NIGHT ? kFilterDayNight : kFilterAll);
        Redraw();
        m_Options.m_iPlayMode = n == CMD_FILTER_DAY_NIGHT ? 1 : 0;
        break;
    case CMD_NEXT:
        box.NextTrack();
        Redraw();
        break;
    case CMD_PREVIOUS:
        box.PreviousTrack();
        Redraw();
        break;
    case CMD_STOP:
        box.Stop();
        break;
    case CMD_PAUSE:
        box.TogglePause();
        break;
    case CMD_REBUILD:
        m_bRebuild = true;
        break;
    case CMD_RESET:
        box.Stop();
        box.SetCurrentTrack(0);
        box.ClearTracks();
        WriteToOptions();
        m_Options.SetDefaultPlayList();
        LoadFromOptions();
        FillList(true);
        if (m_pList && box.GetTrackCount() > 0)
            m_pList->Select(0, true);
        if (box.GetTrackCount() > 0)
            SetButtons(true, {kButtons[0], kButtons[1], kButtons[2], kButtons[3], kButtons[4], kButtons[5], kButtons[6],
                              kButtons[7]});
        break;
    default:
        break;
    }
}

void Mp3Player::ApplyFilter()
{
    if (m_iFilterMode == kFilterAll)
        m_pJukebox->SetAttributeFilter(Jukebox::kFilterAll);
    else
        m_pJukebox->SetAttributeFilter(m_bNight ? 1 : 0);
}

void Mp3Player::SetDayNight(bool night)
{
    m_bNight = night;
    Jukebox& box = *m_pJukebox;
    const int32_t count = box.GetTrackCount();
    if (count == 0 || box.GetTrackRepeat(box.GetCurrentTrack()) || m_iFilterMode != kFilterDayNight)
        return;
    ApplyFilter();
    bool sun = false, moon = false;
    for (int32_t i = 0; i < count; ++i)
        (box.GetTrackAttribute(i) == 0 ? sun : moon) = true;
    if (!m_bAutoSwitch || !box.IsStreamPlaying() || !sun || !moon)
        return;
    box.Stop();
    if (m_iLastTrack >= 0)
        box.SetCurrentTrack(m_iLastTrack);
    m_iLastTrack = box.GetCurrentTrack();
    box.NextTrack();
    box.PlayCurrentTrack(false);
    if (m_bDialogOpen)
        Redraw();
}

void Mp3Player::SetFilterMode(int32_t mode)
{
    m_iFilterMode = mode == kFilterDayNight ? kFilterDayNight : kFilterAll;
    SetButtons(m_iFilterMode == kFilterDayNight, {"MP3_Sun", "MP3_Moon"});
    ApplyFilter();
}

void Mp3Player::ShuffleAll()
{
    m_pJukebox->ShuffleAll();
}

void Mp3Player::PlayFirstTrack()
{
    // Whatever music plays (the front end's theme) gives way to the park's, or to silence when the play list has
    // no track to play.
    m_pJukebox->Stop();
    m_pJukebox->PlayFirstTrack();
}

void Mp3Player::Stop()
{
    m_pJukebox->Stop();
}
