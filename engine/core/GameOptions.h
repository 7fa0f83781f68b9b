// The player's settings and the profile file "MRV2.ini" that keeps them between runs.
// It lives in the engine's core, not in the game shell, because the display and the renderer read the resolution
// and the video fields and the engine may not depend on the game shell.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One track of the music play list.
struct PlayListEntry
{
    std::string m_szDirectory;
    std::string m_szFile;
    int32_t m_iAttribute = 0; // 0 day track, 1 night track
    int32_t m_iTime = 0;      // play time in seconds
};

// Where the player left a movable dialog, under the dialog's position id.
struct DialogPosition
{
    int32_t m_iX = 0;
    int32_t m_iY = 0;
    int32_t m_iId = 0;
};

// The options live from the start of the game to its end; other parts read and change the fields directly and
// call Save when a dialog that edits them closes. The destructor writes the file back.
class GameOptions
{
public:
    // Dialog position ids the options keep: 0 to this value. Reading the file scans exactly these ids (so a
    // larger DialogCount than the file holds positions for ends the scan instead of searching for ever), and
    // only these are stored, so every position written is one the next run reads back.
    static constexpr int32_t kMaxDialogId = 1024;
    // Resolutions outside these bounds (a zero or absurd size in the file) fall back to 800 by 600.
    static constexpr int32_t kMinWidth = 320;
    static constexpr int32_t kMinHeight = 200;
    static constexpr int32_t kMaxSize = 8192;

    static constexpr float kDefaultMusicVol = 0.5f;
    static constexpr float kDefaultEffectsVol = 0.75f;
    static constexpr float kDefaultDrawDist = 0.5f;
    static constexpr float kDefaultObjectDetail = 0.5f;
    static constexpr float kDefaultShadowDrawDist = 0.5f;
    static constexpr int32_t kDefaultWidth = 800;
    static constexpr int32_t kDefaultHeight = 600;

    // The defaults, then the file "MRV2.ini" in the user folder (the current directory until one is set).
    GameOptions();
    // The defaults, then the file at `path`.
    explicit GameOptions(std::string path);
    // Writes the file, with a report when it cannot be written (SaveOrReport).
    ~GameOptions();

    GameOptions(const GameOptions&) = delete;
    GameOptions& operator=(const GameOptions&) = delete;

    // Reads the file over the current values; false (and nothing read) when its Version is not exactly "1".
    // Absent keys leave their fields unchanged.
    bool Load();
    // Writes the whole file anew (to a temporary file renamed over the old one); false when it cannot be written.
    bool Save() const;
    // Save, with a level 0 report naming the file when it cannot be written: for the options dialog's Done, the play
    // list's close and the write as the game closes, so that settings are never lost without a word.
    bool SaveOrReport() const;

    void SetDefaults();
    void ResetVideo();
    void ResetAudio();

    // The screen size in pixels; 800 by 600 when the stored size is out of bounds.
    void GetResolution(int32_t* pWidth, int32_t* pHeight) const;

    // Updates the record with that id, or appends a new one; an id outside 0..kMaxDialogId is not kept.
    void SetDialogPosition(int32_t x, int32_t y, int32_t id);
    // True and the position when a record with that id exists.
    bool GetDialogPosition(int32_t id, int32_t* pX, int32_t* pY) const;

    // The play list; an index out of range gives "" or 0.
    int32_t GetPlayListCount() const;
    const char* GetPlayListDirectory(int32_t i) const;
    const char* GetPlayListFile(int32_t i) const;
    int32_t GetPlayListAttribute(int32_t i) const;
    int32_t GetPlayListTime(int32_t i) const;
    void ClearPlayList();
    // Both strings are copied; a null string counts as empty.
    void AddPlayListEntry(const char* directory, const char* file, int32_t attribute, int32_t time);
    // Replaces the list with "track1.mp3" to "track4.mp3" in "data\soundtrack\", day tracks of 666 seconds.
    void SetDefaultPlayList();

    const std::string& GetPath() const { return m_szPath; }
    const std::vector<DialogPosition>& GetDialogPositions() const { return m_dialogPositions; }

    // The settings, in the order of the file's keys where they are stored.
    float m_fMusicVol = kDefaultMusicVol;
    float m_fEffectsVol = kDefaultEffectsVol;
    int32_t m_iPlayMode = 1;
    int32_t m_iPlayListInUse = 1; // the music player loads the play list only while this is set
    int32_t m_iResWidth = kDefaultWidth;
    int32_t m_iResHeight = kDefaultHeight;
    bool m_bNudgeScroll = true;
    float m_fDrawDist = kDefaultDrawDist;
    int32_t m_iFilterType = 0;
    int32_t m_iMaterialQuality = 2;
    float m_fObjectDetail = kDefaultObjectDetail;
    float m_fShadowDrawDist = kDefaultShadowDrawDist;
    int32_t m_iDisplayBPP = 32;
    int32_t m_iTextureQuality = 2;
    int32_t m_iTextureDepth = 2;
    bool m_bSystemCursor = true;
    int32_t m_iLanguage = 0; // 0 English, 1 French, 2 Italian, 3 German, 4 Spanish, 5 Polish
    bool m_bResearchPopups = true;
    bool m_bConservationPopups = true;
    int32_t m_iRoofMode = 0;

private:
    std::string m_szPath;
    std::vector<PlayListEntry> m_playList;
    std::vector<DialogPosition> m_dialogPositions;
};
