// The player's settings and the profile file "MRV2.ini" that keeps them between runs.
#include "engine/core/GameOptions.h"

#include "engine/core/Logger.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/Strings.h"

#include <cmath>
#include <utility>

namespace
{

// Every value is read with this fallback; reading it back means the key is absent and the field stays as it is.
constexpr const char* kAbsent = "default";
// Buffer sizes of the reads: 128 characters for everything but the two volumes.
constexpr size_t kValueCapacity = 128;
constexpr size_t kVolumeCapacity = 1024;

constexpr const char* kOptionsSection = "Tidewell 2 Options";
constexpr const char* kLanguageSection = "Language";
constexpr const char* kSoundSection = "Sound";
constexpr const char* kDialogSection = "Dialog";
constexpr const char* kVideoSection = "Video";
constexpr const char* kPopupSection = "PopupSettings";
constexpr const char* kBuildingSection = "BuildingSettings";
constexpr const char* kMouseSection = "Mouse";

bool ResolutionInBounds(int32_t width, int32_t height)
{
    return width >= GameOptions::kMinWidth && height >= GameOptions::kMinHeight && width <= GameOptions::kMaxSize &&
           height <= GameOptions::kMaxSize;
}

// Reads the profile into the fields, skipping absent keys.
class OptionsReader
{
public:
    explicit OptionsReader(const platform::ProfileDocument& doc) : m_doc(doc) {}

    bool Read(const char* section, const char* key, size_t capacity, std::string* pValue) const
    {
        *pValue = m_doc.GetString(section, key, kAbsent, capacity);
        return *pValue != kAbsent;
    }

    void ReadInt(const char* section, const char* key, int32_t* pField) const
    {
        std::string value;
        if (Read(section, key, kValueCapacity, &value))
            *pField = platform::ParseInt(value.c_str());
    }

    // Any integer other than 0 reads as set.
    void ReadFlag(const char* section, const char* key, bool* pField) const
    {
        std::string value;
        if (Read(section, key, kValueCapacity, &value))
            *pField = platform::ParseInt(value.c_str()) != 0;
    }

    // A fraction 0..1: larger values read as 1, smaller as 0, text that is not a number as 0 and NaN as the
    // field's default.
    void ReadFraction(const char* section, const char* key, size_t capacity, float fallback, float* pField) const
    {
        std::string value;
        if (!Read(section, key, capacity, &value))
            return;
        double number = platform::ParseFloat(value.c_str());
        if (std::isnan(number))
            *pField = fallback;
        else if (number < 0.0)
            *pField = 0.0f;
        else if (number > 1.0)
            *pField = 1.0f;
        else
            *pField = static_cast<float>(number);
    }

private:
    const platform::ProfileDocument& m_doc;
};

std::string IntText(int32_t value)
{
    return platform::Format("%d", static_cast<int>(value));
}

} // namespace

GameOptions::GameOptions() : GameOptions(platform::UserFile("MRV2.ini")) {}

GameOptions::GameOptions(std::string path) : m_szPath(std::move(path))
{
    SetDefaults();
    Load();
}

GameOptions::~GameOptions()
{
    // Written as the game closes: a file that cannot be written is told, naming it, as at Done.
    SaveOrReport();
}

void GameOptions::SetDefaults()
{
    m_dialogPositions.clear();
    ResetAudio();
    m_iPlayMode = 1;
    SetDefaultPlayList();
    m_iPlayListInUse = 1;
    m_bSystemCursor = true;
    m_iResWidth = kDefaultWidth;
    m_iResHeight = kDefaultHeight;
    m_iDisplayBPP = 32;
    m_iTextureQuality = 2;
    m_iTextureDepth = 2;
    ResetVideo();
    m_bResearchPopups = true;
    m_bConservationPopups = true;
    m_iLanguage = 0;
    m_iRoofMode = 0;
}

void GameOptions::ResetVideo()
{
    m_bNudgeScroll = true;
    m_fDrawDist = kDefaultDrawDist;
    m_iFilterType = 0;
    m_iMaterialQuality = 2;
    m_fObjectDetail = kDefaultObjectDetail;
    m_fShadowDrawDist = kDefaultShadowDrawDist;
}

void GameOptions::ResetAudio()
{
    m_fMusicVol = kDefaultMusicVol;
    m_fEffectsVol = kDefaultEffectsVol;
}

bool GameOptions::Load()
{
    platform::ProfileDocument doc;
    doc.Load(m_szPath); // a missing file reads as an empty document, which has no version
    OptionsReader reader(doc);

    std::string version;
    reader.Read(kOptionsSection, "Version", kValueCapacity, &version);
    if (version != "1")
        return false;

    reader.ReadInt(kLanguageSection, "Language", &m_iLanguage);

    reader.ReadFraction(kSoundSection, "MusicVol", kVolumeCapacity, kDefaultMusicVol, &m_fMusicVol);
    reader.ReadFraction(kSoundSection, "EffectsVol", kVolumeCapacity, kDefaultEffectsVol, &m_fEffectsVol);

    int32_t dialogCount = 0;
    reader.ReadInt(kDialogSection, "DialogCount", &dialogCount);
    int32_t found = 0;
    for (int32_t id = 0; found < dialogCount && id <= kMaxDialogId; ++id)
    {
        std::string xText;
        if (!reader.Read(kDialogSection, platform::Format("DialogXPos%d", id).c_str(), kValueCapacity, &xText))
            continue;
        // The y value is taken without the presence test: an absent y reads as 0.
        std::string yText =
            doc.GetString(kDialogSection, platform::Format("DialogYPos%d", id), kAbsent, kValueCapacity);
        // Reading the file again updates the records rather than doubling them.
        SetDialogPosition(platform::ParseInt(xText.c_str()), platform::ParseInt(yText.c_str()), id);
        ++found;
    }

    reader.ReadInt(kVideoSection, "ResWidth", &m_iResWidth);
    reader.ReadInt(kVideoSection, "ResHeight", &m_iResHeight);
    if (!ResolutionInBounds(m_iResWidth, m_iResHeight))
    {
        m_iResWidth = kDefaultWidth;
        m_iResHeight = kDefaultHeight;
    }
    reader.ReadFlag(kVideoSection, "NudgeScroll", &m_bNudgeScroll);
    reader.ReadFraction(kVideoSection, "DrawDist", kValueCapacity, kDefaultDrawDist, &m_fDrawDist);
    reader.ReadInt(kVideoSection, "FilterType", &m_iFilterType);
    reader.ReadInt(kVideoSection, "MaterialQuality", &m_iMaterialQuality);
    reader.ReadFraction(kVideoSection, "ObjectDetail", kValueCapacity, kDefaultObjectDetail, &m_fObjectDetail);
    reader.ReadFraction(kVideoSection, "ShadowDrawDist", kValueCapacity, kDefaultShadowDrawDist, &m_fShadowDrawDist);
    reader.ReadInt(kVideoSection, "DisplayBPP", &m_iDisplayBPP);
    reader.ReadInt(kVideoSection, "TextureQuality", &m_iTextureQuality);
    reader.ReadInt(kVideoSection, "TextureDepth", &m_iTextureDepth);

    reader.ReadFlag(kPopupSection, "Research", &m_bResearchPopups);
    reader.ReadFlag(kPopupSection, "Conservation", &m_bConservationPopups);

    reader.ReadInt(kBuildingSection, "RoofMode", &m_iRoofMode);

    reader.ReadFlag(kMouseSection, "SystemCursor", &m_bSystemCursor);
    return true;
}

bool GameOptions::Save() const
{
    // A fresh document: keys and sections that are not ours do not survive.
    platform::ProfileDocument doc;
    auto fraction = [](float value) { return platform::FormatFixed(value); };

    doc.SetString(kOptionsSection, "Version", "1");
    doc.SetString(kLanguageSection, "Language", IntText(m_iLanguage));
    doc.SetString(kSoundSection, "MusicVol", fraction(m_fMusicVol));
    doc.SetString(kSoundSection, "EffectsVol", fraction(m_fEffectsVol));

    doc.SetString(kDialogSection, "DialogCount", IntText(static_cast<int32_t>(m_dialogPositions.size())));
    for (const DialogPosition& position : m_dialogPositions)
    {
        doc.SetString(kDialogSection, platform::Format("%s%d", "DialogXPos", position.m_iId), IntText(position.m_iX));
        doc.SetString(kDialogSection, platform::Format("%s%d", "DialogYPos", position.m_iId), IntText(position.m_iY));
    }

    doc.SetString(kVideoSection, "ResWidth", IntText(m_iResWidth));
    doc.SetString(kVideoSection, "ResHeight", IntText(m_iResHeight));
    doc.SetString(kVideoSection, "NudgeScroll", IntText(m_bNudgeScroll ? 1 : 0));
    doc.SetString(kVideoSection, "DrawDist", fraction(m_fDrawDist));
    doc.SetString(kVideoSection, "FilterType", IntText(m_iFilterType));
    doc.SetString(kVideoSection, "MaterialQuality", IntText(m_iMaterialQuality));
    doc.SetString(kVideoSection, "ObjectDetail", fraction(m_fObjectDetail));
    doc.SetString(kVideoSection, "ShadowDrawDist", fraction(m_fShadowDrawDist));
    doc.SetString(kVideoSection, "DisplayBPP", IntText(m_iDisplayBPP));
    doc.SetString(kVideoSection, "TextureQuality", IntText(m_iTextureQuality));
    doc.SetString(kVideoSection, "TextureDepth", IntText(m_iTextureDepth));

    doc.SetString(kPopupSection, "Research", IntText(m_bResearchPopups ? 1 : 0));
    doc.SetString(kPopupSection, "Conservation", IntText(m_bConservationPopups ? 1 : 0));
    doc.SetString(kBuildingSection, "RoofMode", IntText(m_iRoofMode));
    doc.SetString(kMouseSection, "SystemCursor", IntText(m_bSystemCursor ? 1 : 0));

    return doc.Save(m_szPath);
}

bool GameOptions::SaveOrReport() const
{
    if (Save())
        return true;
    GetLogger()->Report(0, "Couldn't save the options to %s", m_szPath.c_str());
    return false;
}

void GameOptions::GetResolution(int32_t* pWidth, int32_t* pHeight) const
{
    bool valid = ResolutionInBounds(m_iResWidth, m_iResHeight);
    if (pWidth)
        *pWidth = valid ? m_iResWidth : kDefaultWidth;
    if (pHeight)
        *pHeight = valid ? m_iResHeight : kDefaultHeight;
}

void GameOptions::SetDialogPosition(int32_t x, int32_t y, int32_t id)
{
    if (id < 0 || id > kMaxDialogId)
        return;
    for (DialogPosition& position : m_dialogPositions)
    {
        if (position.m_iId == id)
        {
            position.m_iX = x;
            position.m_iY = y;
            return;
        }
    }
    m_dialogPositions.push_back(DialogPosition{x, y, id});
}

bool GameOptions::GetDialogPosition(int32_t id, int32_t* pX, int32_t* pY) const
{
    for (const DialogPosition& position : m_dialogPositions)
    {
        if (position.m_iId == id)
        {
            if (pX)
                *pX = position.m_iX;
            if (pY)
                *pY = position.m_iY;
            return true;
        }
    }
    return false;
}

int32_t GameOptions::GetPlayListCount() const
{
    return static_cast<int32_t>(m_playList.size());
}

const char* GameOptions::GetPlayListDirectory(int32_t i) const
{
    if (i < 0 || i >= GetPlayListCount())
        return "";
    return m_playList[static_cast<size_t>(i)].m_szDirectory.c_str();
}

const char* GameOptions::GetPlayListFile(int32_t i) const
{
    if (i < 0 || i >= GetPlayListCount())
        return "";
    return m_playList[static_cast<size_t>(i)].m_szFile.c_str();
}

int32_t GameOptions::GetPlayListAttribute(int32_t i) const
{
    if (i < 0 || i >= GetPlayListCount())
        return 0;
    return m_playList[static_cast<size_t>(i)].m_iAttribute;
}

int32_t GameOptions::GetPlayListTime(int32_t i) const
{
    if (i < 0 || i >= GetPlayListCount())
        return 0;
    return m_playList[static_cast<size_t>(i)].m_iTime;
}

void GameOptions::ClearPlayList()
{
    m_playList.clear();
}

void GameOptions::AddPlayListEntry(const char* directory, const char* file, int32_t attribute, int32_t time)
{
    PlayListEntry entry;
    entry.m_szDirectory = directory ? directory : "";
    entry.m_szFile = file ? file : "";
    entry.m_iAttribute = attribute;
    entry.m_iTime = time;
    m_playList.push_back(std::move(entry));
}

void GameOptions::SetDefaultPlayList()
{
    m_playList.clear();
    for (const char* file : {"track1.mp3", "track2.mp3", "track3.mp3", "track4.mp3"})
        AddPlayListEntry("data\\soundtrack\\", file, 0, 666);
}
