// Mp3Player: the play list loaded from the options and the park's music hooks.
#include "game/Mp3Player.h"

#include "engine/core/GameOptions.h"
#include "engine/media/Jukebox.h"

Mp3Player::Mp3Player(SoundManager* soundManager, GameOptions& options)
    : m_Options(options), m_pJukebox(std::make_unique<Jukebox>(soundManager))
{
    LoadFromOptions();
}

Mp3Player::~Mp3Player() = default;

void Mp3Player::LoadFromOptions()
{
    if (m_Options.m_iPlayListInUse)
    {
        for (int32_t i = 0; i < m_Options.GetPlayListCount(); ++i)
            m_pJukebox->AddTrack(m_Options.GetPlayListDirectory(i), m_Options.GetPlayListFile(i),
                                 m_Options.GetPlayListAttribute(i), m_Options.GetPlayListTime(i));
    }
    m_Options.ClearPlayList();
    for (int32_t i = 0; i < m_pJukebox->GetTrackCount(); ++i)
        m_Options.AddPlayListEntry(m_pJukebox->GetTrackDirectory(i), m_pJukebox->GetTrackFileName(i),
                                   m_pJukebox->GetTrackAttribute(i), m_pJukebox->GetTrackTime(i));
}

void Mp3Player::Update(float)
{
    m_pJukebox->Update();
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
    if (m_iFilterMode == kFilterDayNight)
        ApplyFilter();
}

void Mp3Player::SetFilterMode(int32_t mode)
{
    m_iFilterMode = mode == kFilterDayNight ? kFilterDayNight : kFilterAll;
    ApplyFilter();
}

void Mp3Player::ShuffleAll()
{
    m_pJukebox->ShuffleAll();
}

void Mp3Player::PlayFirstTrack()
{
    m_pJukebox->PlayFirstTrack();
}

void Mp3Player::Stop()
{
    m_pJukebox->Stop();
}
