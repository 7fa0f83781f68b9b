// The music jukebox: track list editing, play modes and the attribute filter, the frame scan that measures a
// track and the ID3v1 tag that names it.
#include "engine/media/Jukebox.h"

#include "engine/media/SoundManager.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "platform/Strings.h"
#include "platform/audio/Sound.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace
{

// Layer III bitrates (kbit/s) and sample rates (Hz): MPEG-1 (ISO/IEC 11172-3) and the lower sample rates of
// MPEG-2 (ISO/IEC 13818-3). Index 0 and 15 of the bitrates and index 3 of the rates give no frame.
constexpr int32_t kBitrates[2][16] = {
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},     // MPEG-2
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}, // MPEG-1
};
constexpr int32_t kSampleRates[2][4] = {
    {22050, 24000, 16000, 0}, // MPEG-2
    {44100, 48000, 32000, 0}, // MPEG-1
};
constexpr int32_t kSamplesPerFrame[2] = {576, 1152};
constexpr int32_t kMinFrameSize = 2;
constexpr int32_t kMaxFrameSize = 2048;
constexpr int32_t kLayer3 = 1;

// The whole length of the ID3v2 tag whose 10-byte header is at p (its footer included); 0 when there is none.
uint64_t Id3v2TagLength(const uint8_t* p)
{
    if (p[0] != 'I' || p[1] != 'D' || p[2] != '3' || p[3] == 0xFF || p[4] == 0xFF)
        return 0;
    uint64_t size = 0;
    for (int i = 6; i < 10; ++i)
    {
        if (p[i] >= 0x80)
            return 0;
        size = (size << 7) | p[i];
    }
    return 10 + size + ((p[5] & 0x10) ? 10 : 0);
}

// An ID3v1 field: up to its first zero byte or its whole width; an empty field counts as absent.
std::optional<std::string> Id3Field(const uint8_t* field)
{
    size_t length = 0;
    while (length < Jukebox::kId3FieldSize && field[length] != 0)
        ++length;
    if (length == 0)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(field), length);
}

} // namespace

// ---------------------------------------------------------------------------------------------------------------
// Mp3FrameScanner

bool Mp3FrameScanner::ScanFile(const char* path)
{
    *this = Mp3FrameScanner();
    std::FILE* file = path ? platform::OpenFile(path, "rb") : nullptr;
    if (!file)
        return false;
    uint8_t block[kBlockSize];
    for (;;)
    {
        size_t got = std::fread(block, 1, sizeof block, file);
        if (got == 0)
            break;
        ScanBlock(block, got);
    }
    std::fclose(file);
    Finish();
    return true;
}

int32_t Mp3FrameScanner::MeasureFrame(const uint8_t* header)
{
    if (header[0] != 0xFF || ((header[1] >> 4) != 0xF && (header[1] >> 4) != 0xE))
        return 0;
    // The version bit is clear for MPEG-2 and for the 0xE (MPEG-2.5) case, which share the MPEG-2 tables.
    int version = (header[1] >> 3) & 1;
    int layer = (header[1] >> 1) & 3;
    int32_t bitrate = kBitrates[version][header[2] >> 4];
    int32_t sampleRate = kSampleRates[version][(header[2] >> 2) & 3];
    int32_t padding = (header[2] >> 1) & 1;
    if (bitrate == 0 || sampleRate == 0)
        return 0;
    int32_t size = bitrate * 125 * kSamplesPerFrame[version] / sampleRate + padding;
    if (size < kMinFrameSize || size > kMaxFrameSize)
        return 0;

    if (m_iFrameCount == 0)
    {
        m_iLayer = layer;
        m_iSampleRate = sampleRate;
        m_iBitrate = bitrate;
        m_iVersion = version ? 1 : 2;
        m_bStereo = (header[3] >> 6) != 3;
    }
    else
    {
        if (sampleRate != m_iSampleRate)
            return 0;
        if (bitrate != m_iBitrate)
            m_iBitrate = 0;
    }
    m_uFrameBytes += static_cast<uint64_t>(size);
    ++m_iFrameCount;
    m_iBitrateSumTotal += bitrate;
    return size;
}

void Mp3FrameScanner::ScanBlock(const uint8_t* data, size_t size)
{
    if (!data || size == 0)
        return;
    // The bytes carried from the previous block go in front of this one.
    const uint64_t start = m_uFileOffset - m_uCarryCount; // where block[0] stands in the file
    m_uFileOffset += size;
    std::vector<uint8_t> joined;
    const uint8_t* block = data;
    size_t length = size;
    if (m_uCarryCount > 0)
    {
        joined.reserve(m_uCarryCount + size);
        joined.assign(m_carry, m_carry + m_uCarryCount);
        joined.insert(joined.end(), data, data + size);
        block = joined.data();
        length = joined.size();
        m_uCarryCount = 0;
    }

    // A frame that ran past the previous block is stepped over first (past this block too, if need be).
    size_t p = m_uCarryOffset;
    m_uCarryOffset = 0;
    while (p < length)
    {
        // Tags in front of the audio (titles, pictures) are not audio: what they hold could pass for frame
        // headers and decide the track's rate and layer.
        if (start + p == m_uTagAt)
        {
            if (length - p < 10)
            {
                // A tag's header cut by the block's end: read whole with the next block.
                m_uCarryCount = length - p;
                std::memcpy(m_carry, block + p, m_uCarryCount);
                return;
            }
            if (const uint64_t tag = Id3v2TagLength(block + p))
            {
                m_uTagAt += tag;
                p += static_cast<size_t>(tag);
                continue;
            }
        }
        if (length - p < 4)
        {
            m_uCarryCount = length - p;
            std::memcpy(m_carry, block + p, m_uCarryCount);
            return;
        }
        int32_t frameSize = MeasureFrame(block + p);
        if (frameSize > 0)
            p += static_cast<size_t>(frameSize);
        else
        {
            ++m_uJunkBytes;
            ++p;
        }
    }
    m_uCarryOffset = p - length;
}

void Mp3FrameScanner::Finish()
{
    if (m_iFrameCount == 0 || m_uJunkBytes > m_uFrameBytes)
    {
        m_bValid = false;
        return;
    }
    m_bValid = true;
    int64_t kiloHertz = m_iSampleRate / 1000;
    int64_t samples = static_cast<int64_t>(m_iFrameCount) * (m_iVersion == 1 ? 1152 : 576);
    m_iPlayTime = static_cast<int32_t>(std::min<int64_t>(samples / kiloHertz, INT32_MAX));
    m_iBitrateSum = static_cast<int32_t>(m_iBitrateSumTotal / m_iFrameCount);
}

// ---------------------------------------------------------------------------------------------------------------
// Jukebox

Jukebox::Jukebox(SoundManager* soundManager) : m_pSoundManager(soundManager) {}

Jukebox::~Jukebox() = default;

bool Jukebox::ReadId3v1(const char* path, std::optional<std::string>* artist, std::optional<std::string>* title)
{
    if (artist)
        artist->reset();
    if (title)
        title->reset();
    std::FILE* file = path ? platform::OpenFile(path, "rb") : nullptr;
    if (!file)
        return false;
    // A file shorter than the tag has none; the read never starts before the file's first byte.
    uint8_t tag[kId3Size];
    bool tagged = false;
    if (std::fseek(file, 0, SEEK_END) == 0)
    {
        long size = std::ftell(file);
        if (size >= kId3Size && std::fseek(file, size - kId3Size, SEEK_SET) == 0 &&
            std::fread(tag, 1, kId3Size, file) == static_cast<size_t>(kId3Size))
            tagged = std::memcmp(tag, "TAG", 3) == 0;
    }
    std::fclose(file);
    if (tagged)
    {
        if (title)
            *title = Id3Field(tag + 3);
        if (artist)
            *artist = Id3Field(tag + 33);
    }
    return true;
}

bool Jukebox::AddTrack(const char* directory, const char* fileName, int32_t attribute, int32_t playTime)
{
    if (!directory || !fileName)
        return false;
    std::string path = platform::Format("%s%s", directory, fileName);
    std::FILE* file = platform::OpenFile(path, "rb");
    if (!file)
        return false;
    std::fclose(file);

    if (playTime == -1)
    {
        // The folder already ends with a separator; the doubled one folds away when the name is resolved.
        // A track in the current folder has an empty folder, and no separator goes in front of its name.
        std::string scanPath = directory[0] ? platform::Format("%s\\%s", directory, fileName) : path;
        Mp3FrameScanner scanner;
        if (!scanner.ScanFile(scanPath.c_str()) || !scanner.IsValid() || scanner.GetLayer() != kLayer3)
            return false;
        // Mostly audio to the scan is not yet playable: frames behind other bytes (text, a WAV file's header) are
        // refused by the music stream, and a track that cannot be played would stop the music when it came up.
        platform::SoundStream* stream = platform::SoundStreamOpen(path);
        if (!stream)
            return false;
        platform::SoundStreamClose(stream);
        playTime = scanner.GetPlayTime();
    }

    auto track = std::make_unique<JukeboxTrack>();
    track->m_fileName = fileName;
    track->m_directory = directory;
    track->m_iAttribute = attribute;
    track->m_iPlayTime = playTime;
    ReadId3v1(path.c_str(), &track->m_artist, &track->m_title);
    m_tracks.push_back(std::move(track));
    return true;
}

void Jukebox::ClearTracks()
{
    m_tracks.clear();
    m_iCurrent = 0;
}

void Jukebox::MarkTrackDeleted(int32_t i)
{
    if (JukeboxTrack* track = Track(i))
        track->m_bDeleted = true;
}

void Jukebox::RemoveDeletedTracks()
{
    m_tracks.erase(std::remove_if(m_tracks.begin(), m_tracks.end(),
                                  [](const std::unique_ptr<JukeboxTrack>& t) { return t->m_bDeleted; }),
                   m_tracks.end());
    // The current index stays as it was, unless the list no longer reaches it.
    if (m_iCurrent >= GetTrackCount())
        m_iCurrent = std::max(GetTrackCount() - 1, 0);
}

void Jukebox::MoveTrackUp(int32_t i)
{
    if (i <= 0 || i >= GetTrackCount())
        return;
    std::swap(m_tracks[static_cast<size_t>(i)], m_tracks[static_cast<size_t>(i - 1)]);
    if (m_iCurrent == i)
        m_iCurrent = i - 1;
    else if (m_iCurrent == i - 1)
        m_iCurrent = i;
}

void Jukebox::MoveTrackDown(int32_t i)
{
    if (i < 0 || i >= GetTrackCount() - 1)
        return;
    std::swap(m_tracks[static_cast<size_t>(i)], m_tracks[static_cast<size_t>(i + 1)]);
    if (m_iCurrent == i)
        m_iCurrent = i + 1;
    else if (m_iCurrent == i + 1)
        m_iCurrent = i;
}

void Jukebox::ShuffleAll()
{
    for (size_t k = 1; k < m_tracks.size(); ++k)
    {
        size_t j = static_cast<size_t>(platform::Rand()) % (k + 1);
        std::swap(m_tracks[k], m_tracks[j]);
    }
}

void Jukebox::ShuffleTracks(const std::vector<int32_t>& indexList)
{
    // Each position takes part once; positions outside the list are passed over.
    std::vector<size_t> positions;
    for (int32_t i : indexList)
    {
        if (i < 0 || i >= GetTrackCount())
            continue;
        if (std::find(positions.begin(), positions.end(), static_cast<size_t>(i)) == positions.end())
            positions.push_back(static_cast<size_t>(i));
    }
    std::vector<std::unique_ptr<JukeboxTrack>> taken;
    taken.reserve(positions.size());
    for (size_t position : positions)
        taken.push_back(std::move(m_tracks[position]));
    for (size_t k = 1; k < taken.size(); ++k)
    {
        size_t j = static_cast<size_t>(platform::Rand()) % (k + 1);
        std::swap(taken[k], taken[j]);
    }
    for (size_t n = 0; n < positions.size(); ++n)
        m_tracks[positions[n]] = std::move(taken[n]);
}

std::string Jukebox::PlayPath(const JukeboxTrack& track) const
{
    return platform::Format("%s%s", track.m_directory.c_str(), track.m_fileName.c_str());
}

bool Jukebox::PlayCurrentTrack(bool resume)
{
    JukeboxTrack* track = Track(m_iCurrent);
    if (!track)
        return false;
    std::string path = PlayPath(*track);
    // A paused stream of this track goes on from where it stopped.
    if (resume && m_pSoundManager && m_pSoundManager->IsStreamPaused() && path == m_streamPath)
    {
        m_pSoundManager->ResumeStream();
        m_bPlaying = true;
        m_bOpenFailed = false;
        return true;
    }
    if (m_pSoundManager && m_pSoundManager->PlayStream(path.c_str()))
    {
        m_streamPath = std::move(path);
        m_bPlaying = true;
        m_bOpenFailed = false;
        return true;
    }
    m_streamPath.clear();
    m_bPlaying = false;
    m_bOpenFailed = true;
    return false;
}

void Jukebox::PlayFirstTrack()
{
    m_iCurrent = 0;
    if (m_tracks.empty())
        return;
    if (m_iAttributeFilter == kFilterAll)
    {
        PlayCurrentTrack(false);
        return;
    }
    for (int32_t i = 0; i < GetTrackCount(); ++i)
    {
        if (m_tracks[static_cast<size_t>(i)]->m_iAttribute == m_iAttributeFilter)
        {
            m_iCurrent = i;
            PlayCurrentTrack(false);
            return;
        }
    }
}

void Jukebox::StepTrack(int32_t direction)
{
    int32_t count = GetTrackCount();
    if (count == 0)
        return;
    if (m_tracks[static_cast<size_t>(m_iCurrent)]->m_bRepeat)
    {
        PlayCurrentTrack(false);
        return;
    }
    if (m_iAttributeFilter == kFilterAll)
    {
        m_iCurrent = (m_iCurrent + direction + count) % count;
        PlayCurrentTrack(false);
        return;
    }
    // The other tracks in order, wrapping, and the current track itself last.
    for (int32_t k = 1; k <= count; ++k)
    {
        int32_t i = ((m_iCurrent + direction * k) % count + count) % count;
        if (m_tracks[static_cast<size_t>(i)]->m_iAttribute != m_iAttributeFilter)
            continue;
        m_iCurrent = i;
        if (m_bPlaying)
            PlayCurrentTrack(false);
        return;
    }
    Stop();
}

void Jukebox::NextTrack()
{
    StepTrack(1);
}

void Jukebox::PreviousTrack()
{
    StepTrack(-1);
}

void Jukebox::Stop()
{
    if (m_pSoundManager)
        m_pSoundManager->StopStream();
    m_streamPath.clear();
    m_bPlaying = false;
}

void Jukebox::TogglePause()
{
    if (!m_pSoundManager)
        return;
    if (m_pSoundManager->IsStreamPaused())
        m_pSoundManager->ResumeStream();
    else
        m_pSoundManager->PauseStream();
}

bool Jukebox::IsStreamActive() const
{
    // A paused track has not ended.
    return m_pSoundManager && (m_pSoundManager->IsStreamPlaying() || m_pSoundManager->IsStreamPaused());
}

bool Jukebox::Update()
{
    if (!m_bPlaying || IsStreamActive())
        return false;
    if (m_iPlayMode == kPlayModeStop)
    {
        m_bPlaying = false;
        return false;
    }
    if (m_iPlayMode == kPlayModeNext)
    {
        NextTrack();
        return true;
    }
    return false;
}

bool Jukebox::IsStreamPlaying() const
{
    return m_pSoundManager && m_pSoundManager->IsStreamPlaying();
}

void Jukebox::SetCurrentTrack(int32_t i)
{
    m_iCurrent = std::clamp(i, 0, std::max(GetTrackCount() - 1, 0));
}

JukeboxTrack* Jukebox::Track(int32_t i) const
{
    if (i < 0 || i >= GetTrackCount())
        return nullptr;
    return m_tracks[static_cast<size_t>(i)].get();
}

int32_t Jukebox::GetTrackAttribute(int32_t i) const
{
    const JukeboxTrack* track = Track(i);
    return track ? track->m_iAttribute : 0;
}

void Jukebox::SetTrackAttribute(int32_t i, int32_t attribute)
{
    if (JukeboxTrack* track = Track(i))
        track->m_iAttribute = attribute;
}

const char* Jukebox::GetTrackFileName(int32_t i) const
{
    const JukeboxTrack* track = Track(i);
    return track ? track->m_fileName.c_str() : nullptr;
}

const char* Jukebox::GetTrackDirectory(int32_t i) const
{
    const JukeboxTrack* track = Track(i);
    return track ? track->m_directory.c_str() : nullptr;
}

int32_t Jukebox::GetTrackTime(int32_t i) const
{
    const JukeboxTrack* track = Track(i);
    return track ? track->m_iPlayTime : 0;
}

const char* Jukebox::GetTrackTitle(int32_t i) const
{
    const JukeboxTrack* track = Track(i);
    if (!track)
        return nullptr;
    return track->m_title ? track->m_title->c_str() : track->m_fileName.c_str();
}

const char* Jukebox::GetTrackArtist(int32_t i) const
{
    const JukeboxTrack* track = Track(i);
    return track && track->m_artist ? track->m_artist->c_str() : nullptr;
}

void Jukebox::SetTrackRepeat(int32_t i, bool repeat)
{
    JukeboxTrack* track = Track(i);
    if (!track)
        return;
    if (repeat)
        for (auto& other : m_tracks)
            other->m_bRepeat = false;
    track->m_bRepeat = repeat;
}

bool Jukebox::GetTrackRepeat(int32_t i) const
{
    const JukeboxTrack* track = Track(i);
    return track && track->m_bRepeat;
}

bool Jukebox::IsTrackDeleted(int32_t i) const
{
    const JukeboxTrack* track = Track(i);
    return track && track->m_bDeleted;
}

bool Jukebox::HasFilteredTrack() const
{
    return std::any_of(m_tracks.begin(), m_tracks.end(),
                       [this](const std::unique_ptr<JukeboxTrack>& t)
                       { return t->m_iAttribute == m_iAttributeFilter; });
}

bool Jukebox::HasUnfilteredTrack() const
{
    return std::any_of(m_tracks.begin(), m_tracks.end(),
                       [this](const std::unique_ptr<JukeboxTrack>& t)
                       { return t->m_iAttribute != m_iAttributeFilter; });
}
