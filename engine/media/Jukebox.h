// The music jukebox: the play list of MP3 tracks behind the game's music player, played one at a time as the
// sound manager's music stream, with its MPEG audio frame scanner (track times) and ID3v1 reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class SoundManager;

// Measures an MP3 file by walking its MPEG audio frame headers, 4096 bytes at a time.
class Mp3FrameScanner
{
public:
    static constexpr size_t kBlockSize = 4096;

    // Scans the whole file; false when it cannot be opened. The results below tell what was found.
    bool ScanFile(const char* path);

    // Scans the next block of the file (what the previous block left over is taken into account) and, at the
    // end, works out the results.
    void ScanBlock(const uint8_t* data, size_t size);
    void Finish();

    bool IsValid() const { return m_bValid; }
    int32_t GetPlayTime() const { return m_iPlayTime; } // milliseconds
    int32_t GetBitrate() const { return m_iBitrate; }   // kbit/s of the first frame, 0 when frames differ
    int32_t GetAverageBitrate() const { return m_iBitrateSum; }
    int32_t GetSampleRate() const { return m_iSampleRate; }
    bool IsStereo() const { return m_bStereo; }
    int32_t GetFrameCount() const { return m_iFrameCount; }
    int32_t GetVersion() const { return m_iVersion; } // 1 or 2
    int32_t GetLayer() const { return m_iLayer; }     // layer field of the first frame (1 = Layer III), -1
    uint64_t GetFrameBytes() const { return m_uFrameBytes; }
    uint64_t GetJunkBytes() const { return m_uJunkBytes; }

private:
    // The frame starting with these four header bytes: its size, or 0 when they make no frame.
    int32_t MeasureFrame(const uint8_t* header);

    int32_t m_iBitrate = 0;
    int32_t m_iSampleRate = 0;
    bool m_bStereo = false;
    int32_t m_iPlayTime = 0;
    int32_t m_iFrameCount = 0;
    int32_t m_iVersion = 0;
    int64_t m_iBitrateSumTotal = 0;
    int32_t m_iBitrateSum = 0;
    int32_t m_iLayer = -1;
    size_t m_uCarryOffset = 0;
    uint64_t m_uFileOffset = 0; // where in the file the next block starts
    uint64_t m_uTagAt = 0;      // where an ID3v2 tag may stand: the file's start, or right after such a tag
    uint8_t m_carry[9] = {};    // a header's first bytes (a tag's header is 10 bytes, a frame's 4)
    size_t m_uCarryCount = 0;
    uint64_t m_uFrameBytes = 0;
    uint64_t m_uJunkBytes = 0;
    bool m_bValid = false;
};

struct JukeboxTrack
{
    std::string m_fileName;
    std::string m_directory; // ends with a path separator
    std::optional<std::string> m_artist;
    std::optional<std::string> m_title;
    int32_t m_iAttribute = 0;
    bool m_bRepeat = false;
    bool m_bDeleted = false;
    int32_t m_iPlayTime = 0; // milliseconds
};

class Jukebox
{
public:
    static constexpr int32_t kPlayModeStop = 0; // stop when a track ends
    static constexpr int32_t kPlayModeNext = 1; // go on to the next track
    static constexpr int32_t kFilterAll = 2;    // every track qualifies
    static constexpr int kId3Size = 128;
    static constexpr int kId3FieldSize = 30;

    explicit Jukebox(SoundManager* soundManager);
    ~Jukebox();
    Jukebox(const Jukebox&) = delete;
    Jukebox& operator=(const Jukebox&) = delete;

    // Appends the track directory + fileName. A play time of -1 is measured by scanning the file; the track is
    // then added only when the file is mostly Layer III MPEG audio. False when the file cannot be opened.
    bool AddTrack(const char* directory, const char* fileName, int32_t attribute, int32_t playTime);
    void ClearTracks();
    void MarkTrackDeleted(int32_t i);
    void RemoveDeletedTracks();

    void MoveTrackUp(int32_t i);
    void MoveTrackDown(int32_t i);
    void ShuffleAll();
    // Shuffles the tracks at the listed indices among those positions.
    void ShuffleTracks(const std::vector<int32_t>& indexList);

    void PlayFirstTrack();
    // Starts the current track; with `resume`, a paused stream of that same track continues where it was.
    bool PlayCurrentTrack(bool resume);
    void NextTrack();
    void PreviousTrack();
    void Stop();
    // Pauses the playing stream, or resumes a paused one.
    void TogglePause();
    // Once per frame: true when a track ended and the next one was started.
    bool Update();

    int32_t GetTrackCount() const { return static_cast<int32_t>(m_tracks.size()); }
    bool IsStreamPlaying() const;
    int32_t GetCurrentTrack() const { return m_iCurrent; }
    void SetCurrentTrack(int32_t i);

    // Track queries: an index outside the list gives 0, false or null and changes nothing.
    int32_t GetTrackAttribute(int32_t i) const;
    void SetTrackAttribute(int32_t i, int32_t attribute);
    const char* GetTrackFileName(int32_t i) const;
    const char* GetTrackDirectory(int32_t i) const;
    int32_t GetTrackTime(int32_t i) const;
    // The ID3v1 title, or the file name when the track has none.
    const char* GetTrackTitle(int32_t i) const;
    // The ID3v1 artist, or null.
    const char* GetTrackArtist(int32_t i) const;
    // Setting the flag clears it on every other track.
    void SetTrackRepeat(int32_t i, bool repeat);
    bool GetTrackRepeat(int32_t i) const;
    bool IsTrackDeleted(int32_t i) const;

    // Some track's attribute equals the filter / differs from it.
    bool HasFilteredTrack() const;
    bool HasUnfilteredTrack() const;

    int32_t GetPlayMode() const { return m_iPlayMode; }
    void SetPlayMode(int32_t mode) { m_iPlayMode = mode; }
    int32_t GetAttributeFilter() const { return m_iAttributeFilter; }
    void SetAttributeFilter(int32_t filter) { m_iAttributeFilter = filter; }
    bool IsPlaying() const { return m_bPlaying; }
    bool HasOpenFailed() const { return m_bOpenFailed; }

    // Reads the ID3v1 tag at the end of the file into the artist and title (each null without a tag or when
    // the field is empty). False when the file cannot be opened.
    static bool ReadId3v1(const char* path, std::optional<std::string>* artist, std::optional<std::string>* title);

private:
    JukeboxTrack* Track(int32_t i) const;
    std::string PlayPath(const JukeboxTrack& track) const;
    bool IsStreamActive() const;
    // Steps from the current track (+1 or -1) as the repeat flag and the attribute filter direct.
    void StepTrack(int32_t direction);

    SoundManager* m_pSoundManager;
    std::vector<std::unique_ptr<JukeboxTrack>> m_tracks;
    int32_t m_iCurrent = 0;
    int32_t m_iPlayMode = kPlayModeNext;
    bool m_bPlaying = false;
    int32_t m_iAttributeFilter = kFilterAll;
    bool m_bOpenFailed = false;
    // The path the music stream was started on: only that track's paused stream is resumed.
    std::string m_streamPath;
};
