// The sound script: its tokens and five blocks, the tables they fill, and the building and opinion hooks.
#include "engine/media/ScriptedSound.h"

#include "engine/core/FileSystem.h"
#include "engine/core/Logger.h"
#include "engine/media/SoundEventManager.h"
#include "engine/media/SoundManager.h"
#include "engine/media/SoundPark.h"
#include "platform/Random.h"
#include "platform/Strings.h"

#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <memory>

ScriptedSound* g_pScriptedSound = nullptr;

namespace
{

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The standard text-to-integer reading: leading digits after an optional sign, 0 when there are none; values
// beyond 32 bits are held at the nearest end.
int32_t ParseInt(const std::string& token)
{
    const long value = std::strtol(token.c_str(), nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

float ParseFloat(const std::string& token)
{
    return std::strtof(token.c_str(), nullptr);
}

bool IsOpinionName(const std::string& name)
{
    for (const char* known : ScriptedSound::kOpinionNames)
    {
        if (name == known)
            return true;
    }
    return false;
}

} // namespace

// One pass over the script text. Every block reader returns false when the data ends inside its block, which ends
// the parse.
class ScriptedSound::Parser
{
public:
    Parser(ScriptedSound& owner, const char* text, size_t size) : m_Owner(owner), m_pText(text), m_uSize(size) {}

    void Run()
    {
        std::string token;
        while (Next(token))
        {
            bool complete = true;
            if (token == "SpriteSounds")
                complete = SpriteBlock();
            else if (token == "BuildingSounds")
                complete = BuildingBlock();
            else if (token == "CrowdSound")
                complete = CrowdBlock();
            else if (token == "OpinionSounds")
                complete = OpinionBlock();
            else if (token == "Groups")
                complete = GroupsBlock();
            else
                Report("Invalid Command Recieved in ScriptedSound %s", token.c_str());
            if (!complete)
                break;
        }
        if (m_iReports > kMaxBoxReports)
            GetLogger()->Report(1, "ScriptedSound - %d problems in the sound script, the first %d shown", m_iReports,
                                kMaxBoxReports);
    }

private:
    void SkipSpaceAndComments()
    {
        while (m_uPos < m_uSize)
        {
            const char c = m_pText[m_uPos];
            if (IsSpace(c))
                ++m_uPos;
            else if (c == '/')
            {
                while (m_uPos < m_uSize && m_pText[m_uPos] != '\n')
                    ++m_uPos;
            }
            else
                break;
        }
    }

    // The next token; false at the end of the data.
    bool Next(std::string& token)
    {
        SkipSpaceAndComments();
        if (m_uPos >= m_uSize)
            return false;
        if (m_pText[m_uPos] == ';')
        {
            ++m_uPos;
            token = ";";
            return true;
        }
        const size_t start = m_uPos;
        while (m_uPos < m_uSize && !IsSpace(m_pText[m_uPos]) && m_pText[m_uPos] != ';')
            ++m_uPos;
        const size_t length = m_uPos - start;
        token.assign(m_pText + start, length < kMaxTokenLength ? length : kMaxTokenLength);
        if (length > kMaxTokenLength)
            Report("ScriptedSound - a token longer than %zu characters was cut to %s", kMaxTokenLength, token.c_str());
        return true;
    }

    // A problem of the script: in a message box while few have been shown, to the debugger output after that.
    void Report(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        char text[Logger::kBufferSize];
        va_list args;
        va_start(args, format);
        platform::FormatStringV(text, sizeof text, format, args);
        va_end(args);
        GetLogger()->Report(m_iReports < kMaxBoxReports ? 0 : 1, "%s", text);
        ++m_iReports;
    }

    // A group number of an entry: 0..19, else no group (-1) with a report.
    int32_t ReadGroup(const std::string& token)
    {
        const int32_t group = ParseInt(token);
        if (group >= 0 && group < kGroupCount)
            return group;
        Report("ScriptedSound - sound group %s is not 0 to %d: the entry has no group", token.c_str(), kGroupCount - 1);
        return -1;
    }

    // The optional "Group" group and the file count of an entry; false at the end of the data.
    bool ReadGroupAndCount(int32_t& group, int32_t& count)
    {
        std::string token;
        if (!Next(token))
            return false;
        if (token == "Group")
        {
            if (!Next(token))
                return false;
            group = ReadGroup(token);
            if (!Next(token))
                return false;
        }
        count = ParseInt(token);
        if (count <= 0)
        {
            Report("Error in sound.dat around %s", token.c_str());
            count = 0;
        }
        return true;
    }

    // `count` file and volume pairs. A name too long to play is left out; one the sample bank lacks is reported
    // (when there is a sound manager to ask) and kept. False at the end of the data.
    bool ReadFiles(int32_t count, std::vector<std::string>& files, std::vector<float>& volumes, const char* missing)
    {
        std::string file, volume;
        for (int32_t i = 0; i < count; ++i)
        {
            if (!Next(file) || !Next(volume))
                return false;
            if (!KeepableName(file))
                continue;
            if (g_pSoundManager && !g_pSoundManager->HasSample(file.c_str()))
                Report(missing, file.c_str());
            files.push_back(file);
            volumes.push_back(SoundManager::ClampUnit(ParseFloat(volume)));
        }
        return true;
    }

    bool KeepableName(const std::string& file)
    {
        if (file.size() <= kMaxSoundNameLength)
            return true;
        Report("ScriptedSound - sound name longer than %zu characters left out: %s", kMaxSoundNameLength, file.c_str());
        return false;
    }

    bool SpriteBlock()
    {
        std::string name, token;
        if (!Next(name))
            return false;
        SpriteSounds* record = nullptr;
        std::unique_ptr<SoundSprite> sprite;
        if (m_Owner.m_Sprites.size() < kMaxSprites)
        {
            record = &m_Owner.m_Sprites.emplace_back();
            record->sprite = name;
            if (g_pSoundPark)
                sprite = g_pSoundPark->CreateSprite(name.c_str());
            if (sprite && sprite->GetAnimationCount() > 0)
                record->anims.resize(static_cast<size_t>(sprite->GetAnimationCount()));
        }
        else
            Report("ScriptedSound - more than %zu SpriteSounds blocks: %s left out", kMaxSprites, name.c_str());
        for (;;)
        {
            if (!Next(token))
                return false;
            if (token == "End")
                return true;
            // The entry belongs to the animation the sprite is left on once the name is played.
            int32_t row = -1;
            if (sprite)
            {
                sprite->PlayAnimation(token.c_str(), g_pSoundPark ? g_pSoundPark->GetGameTime() : 0.0f);
                row = sprite->GetAnimation();
                const char* current = sprite->GetAnimationName(row);
                if (!current || platform::StrICmp(current, token.c_str()) != 0)
                    Report("Animation %s not found on sprite %s", token.c_str(), sprite->GetName());
            }
            else if (record)
                Report("Animation %s not found on sprite %s", token.c_str(), name.c_str());
            SpriteAnimSounds entry;
            int32_t count = 0;
            if (!ReadGroupAndCount(entry.group, count) ||
                !ReadFiles(count, entry.files, entry.volumes, "Sound File Doesnt Exist %s"))
                return false;
            entry.count = static_cast<int32_t>(entry.files.size());
            // A sprite on no bank has no rows: its entries are read and not kept.
            if (record && row >= 0 && static_cast<size_t>(row) < record->anims.size())
                record->anims[static_cast<size_t>(row)] = std::move(entry);
        }
    }

    bool BuildingBlock()
    {
        std::string name, file, volume, flag;
        for (;;)
        {
            if (!Next(name))
                return false;
            if (name == "End")
                return true;
            if (!Next(file) || !Next(volume) || !Next(flag))
                return false;
            if (!KeepableName(file))
                continue;
            if (g_pSoundManager && !g_pSoundManager->HasSample(file.c_str()))
                Report("Building Sound File Doesnt Exist %s", file.c_str());
            if (m_Owner.m_Buildings.size() >= kMaxBuildingSounds)
            {
                Report("ScriptedSound - more than %zu BuildingSounds entries: %s left out", kMaxBuildingSounds,
                       name.c_str());
                continue;
            }
            m_Owner.m_Buildings.push_back(
                {name, file, SoundManager::ClampUnit(ParseFloat(volume)), uint8_t{ParseInt(flag) != 0}});
        }
    }

    bool CrowdBlock()
    {
        std::string key, value;
        for (;;)
        {
            if (!Next(key))
                return false;
            if (key == "End")
                return true;
            float* target = nullptr;
            bool mustBePositive = false;
            if (platform::StrICmp(key.c_str(), "MaxNumber") == 0)
            {
                target = &m_Owner.m_fMaxNumber;
                mustBePositive = true;
            }
            else if (platform::StrICmp(key.c_str(), "MaxVolume") == 0)
                target = &m_Owner.m_fMaxVolume;
            else if (platform::StrICmp(key.c_str(), "FadeTime") == 0)
                target = &m_Owner.m_fFadeTime;
            if (!target)
            {
                Report("Unknown CrowdSound command %s", key.c_str());
                continue;
            }
            if (!Next(value))
                return false;
            // The crowd level divides by MaxNumber: it must be a number above 0; the others at least 0.
            const float v = ParseFloat(value);
            if (std::isfinite(v) && (mustBePositive ? v > 0.0f : v >= 0.0f))
                *target = v;
            else
                Report("ScriptedSound - CrowdSound %s %s refused: kept at %g", key.c_str(), value.c_str(),
                       static_cast<double>(*target));
        }
    }

    bool OpinionBlock()
    {
        std::string name;
        for (;;)
        {
            if (!Next(name))
                return false;
            if (name == "End")
                return true;
            const int32_t number = m_Owner.m_iOpinionEntries;
            if (number < INT32_MAX)
                ++m_Owner.m_iOpinionEntries;
            OpinionSound* slot = number < kOpinionCount ? &m_Owner.m_Opinions[static_cast<size_t>(number)] : nullptr;
            if (slot)
                *slot = OpinionSound{};
            if (!IsOpinionName(name))
            {
                Report("ProcessOpinionSound, unknown or missing opinion, %s", name.c_str());
                continue;
            }
            if (!slot)
                Report("ScriptedSound - more than %d opinion sounds: %s left out", kOpinionCount, name.c_str());
            OpinionSound entry;
            int32_t count = 0;
            if (!ReadGroupAndCount(entry.group, count) ||
                !ReadFiles(count, entry.files, entry.volumes, "Sound File Doesnt Exist %s"))
                return false;
            entry.count = static_cast<int32_t>(entry.files.size());
            if (slot)
                *slot = std::move(entry);
        }
    }

    bool GroupsBlock()
    {
        std::string group, limit;
        for (;;)
        {
            if (!Next(group))
                return false;
            if (group == "End")
                return true;
            if (!Next(limit))
                return false;
            const int32_t index = ParseInt(group);
            if (index < 0 || index >= kGroupCount)
            {
                Report("ScriptedSound - sound group %s is not 0 to %d: its limit is left out", group.c_str(),
                       kGroupCount - 1);
                continue;
            }
            m_Owner.m_GroupLimits[static_cast<size_t>(index)] = ParseInt(limit);
        }
    }

    ScriptedSound& m_Owner;
    const char* m_pText;
    size_t m_uSize;
    size_t m_uPos = 0;
    int m_iReports = 0;
};

ScriptedSound::ScriptedSound()
{
    g_pScriptedSound = this;
}

ScriptedSound::~ScriptedSound()
{
    if (g_pScriptedSound == this)
        g_pScriptedSound = nullptr;
}

void ScriptedSound::Load(const char* fileName)
{
    if (!fileName)
        return;
    uint32_t size = 0;
    std::unique_ptr<char[]> text(GetFileSystem()->ReadBleFileSized(BleFileName(fileName).c_str(), &size));
    if (text)
        Parse(text.get(), size);
}

void ScriptedSound::Parse(const char* text, size_t size)
{
    if (text)
        Parser(*this, text, size).Run();
}

int32_t ScriptedSound::GetGroupLimit(int32_t group) const
{
    return group >= 0 && group < kGroupCount ? m_GroupLimits[static_cast<size_t>(group)] : 0;
}

const OpinionSound& ScriptedSound::GetOpinionSound(int32_t opinion) const
{
    static const OpinionSound kNone;
    return opinion >= 0 && opinion < kOpinionCount ? m_Opinions[static_cast<size_t>(opinion)] : kNone;
}

void ScriptedSound::StartBuildingSound(uint32_t objectId)
{
    const char* name = g_pSoundPark ? g_pSoundPark->GetObjectName(objectId) : nullptr;
    if (!name || !g_pSoundEventManager)
        return;
    for (const BuildingSound& entry : m_Buildings)
    {
        if (platform::StrICmp(entry.building.c_str(), name) == 0)
        {
            g_pSoundEventManager->PlayForObject(entry.file.c_str(), objectId, entry.volume, entry.playsOverMusic != 0);
            return;
        }
    }
}

void ScriptedSound::StopObjectSounds(uint32_t objectId)
{
    if (g_pSoundEventManager)
        g_pSoundEventManager->StopForObject(objectId);
}

void ScriptedSound::PlayOpinionSound(int32_t opinion, const platform::Vec3& worldPosition)
{
    const OpinionSound& entry = GetOpinionSound(opinion);
    if (entry.count <= 0 || !g_pSoundPark || !g_pSoundEventManager)
        return;
    const size_t i = static_cast<size_t>(platform::Rand() % entry.count);
    const platform::Vec3 scene = g_pSoundPark->WorldToScene(worldPosition);
    const int32_t limit = entry.group >= 0 ? GetGroupLimit(entry.group) : -1;
    g_pSoundEventManager->PlayAtPosition(entry.files[i].c_str(), scene, entry.volumes[i], limit, entry.group);
}
