// Show moves, training entries, the anim list, the show list and the training-game sounds.
#include "engine/core/FileSystem.h"
#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "platform/Strings.h"
#include "scripts/DataScript.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldParamsDetail.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace
{

using datascript::FieldLine;
using datascript::FieldRule;
using datascript::QuotedText;
using datascript::SetText;

constexpr const char* kMoveWhere = "WorldParams::AddShowMoveData";
constexpr const char* kDifficulties[] = {"Easy", "Medium", "Hard"};

// ANIM1 to ANIM5 append in the order of the lines; "NONE" (any case) adds nothing.
void AddMoveAnim(ShowMoveInfo& move, const FieldLine& line)
{
    if (platform::StrICmp(line.value, "NONE") == 0)
        return;
    if (move.NumAnims >= ShowMoveInfo::kMaxAnims)
    {
        GetLogger()->Report(0, "%s - more than %d animations - %s", kMoveWhere, ShowMoveInfo::kMaxAnims, line.value);
        return;
    }
    SetText(move.cMoveAnims[move.NumAnims], line);
    ++move.NumAnims;
}

const FieldRule<ShowMoveInfo> kMoveFields[] = {
    {"TITLE", [](ShowMoveInfo& m, const FieldLine& l) { SetText(m.cTitle, l); }},
    {"DESCRIPTION", [](ShowMoveInfo& m, const FieldLine& l) { SetText(m.cDescription, l); }},
    {"SHOW", [](ShowMoveInfo& m, const FieldLine& l) { SetText(m.cShowName, l); }},
    {"MOVE_SPRITE", [](ShowMoveInfo& m, const FieldLine& l) { SetText(m.cSprite, l); }},
    {"UNLOCKING", [](ShowMoveInfo& m, const FieldLine& l) { m.bNeedsUnlocking = datascript::IsYes(l.value); }},
    {"ANIM1", AddMoveAnim},
    {"ANIM2", AddMoveAnim},
    {"ANIM3", AddMoveAnim},
    {"ANIM4", AddMoveAnim},
    {"ANIM5", AddMoveAnim},
    {"DIFFICULTY",
     [](ShowMoveInfo& m, const FieldLine& l)
     {
         // An unknown level keeps the one before, without a report.
         const int32_t level = datascript::ChoiceOf(kDifficulties, l.value);
         if (level >= 0)
             m.DiffcultyLevel = level;
     }},
};

const FieldRule<TrainingInfo> kTrainingFields[] = {
    {"TRAIN_MOVE", [](TrainingInfo& t, const FieldLine& l) { SetText(t.szTrainMove, l); }},
    {"KEY_SEQUENCE", [](TrainingInfo& t, const FieldLine& l) { SetText(t.szKeySequence, l); }},
};

struct ShowSounds
{
    const char* show;
    TrainingSoundInfo sounds;
};

const ShowSounds kShowSounds[] = {
    {"KAIKO",
     {"COUNTDOWN OPEN",
      TrainingSoundInfo::kKeySounds,
      {"SD 1", "SD 2", "SD 3", "SD 4", "SD 5"},
      "SD BAD",
      "KAIKO LOSE",
      "KAIKO WIN",
      "KAIKO TRAINING",
      "KAIKO RIDE"}},
    {"DOLPHIN",
     {"COUNTDOWN OPEN",
      TrainingSoundInfo::kKeySounds,
      {"SD 1a", "SD 2a", "SD 3a", "SD 4a", "SD 5a"},
      "SD BADA",
      "KAIKO LOSE",
      "KAIKO WIN",
      "Dolphin Training",
      "Dolphin Ride"}},
};

// The quoted tokens of a list file (anim list, show list), in order; the buffer keeps the texts.
struct ListFile
{
    std::unique_ptr<char[]> buffer;
    std::vector<const char*> tokens;
};

ListFile ReadListFile(const char* fileName)
{
    ListFile file;
    if (!fileName)
        return file;
    uint32_t size = 0;
    file.buffer.reset(GetFileSystem()->ReadBleFileSized(BleFileName(fileName).c_str(), &size));
    if (!file.buffer)
        return file;
    const QuotedText text(file.buffer.get(), size);
    for (uint32_t at = text.NextToken(0); at != QuotedText::kNone; at = text.NextToken(at))
        file.tokens.push_back(text.Text(at));
    return file;
}

} // namespace

bool WorldParams::AddShowMove(const char* keyword)
{
    // A new move starts with no animations.
    return worldparams::Declare(m_showMoves, keyword, "WorldParams::AddShowMove") != nullptr;
}

void WorldParams::AddShowMoveData(int32_t id, const char* field, const char* value)
{
    ShowMoveInfo& move = worldparams::RecordAt(m_showMoves, id, kMoveWhere);
    if (!datascript::ApplyField(kMoveFields, move, {kMoveWhere, field, value}))
        GetLogger()->Report(0, "%s - unrecognised showmove keyword - %s", kMoveWhere, field);
}

bool WorldParams::AddTraining(const char* keyword)
{
    return worldparams::Declare(m_training, keyword, "WorldParams::AddTraining") != nullptr;
}

void WorldParams::AddTrainingData(int32_t id, const char* field, const char* value)
{
    constexpr const char* kWhere = "WorldParams::AddTrainingData";
    TrainingInfo& training = worldparams::RecordAt(m_training, id, kWhere);
    if (!datascript::ApplyField(kTrainingFields, training, {kWhere, field, value}))
        GetLogger()->Report(0, "%s - unrecognised training keyword - %s", kWhere, field);
}

void WorldParams::LoadAnimList(const char* fileName)
{
    constexpr const char* kWhere = "WorldParams::LoadAnimList";
    const ListFile file = ReadListFile(fileName);
    // Files named so far per owner, and the owners already reported for naming too many.
    std::map<std::string, int32_t, std::less<>> ownerFiles;
    std::set<std::string, std::less<>> reportedOwners;
    // Groups of four tokens: owner, animation name, file stem, file count; an incomplete last group is dropped.
    for (size_t i = 0; i + 4 <= file.tokens.size(); i += 4)
    {
        AnimListEntry entry = {};
        SetText(entry.szOwner, {kWhere, "owner", file.tokens[i]});
        SetText(entry.szAnimName, {kWhere, "animation name", file.tokens[i + 1]});
        SetText(entry.szFileStem, {kWhere, "file stem", file.tokens[i + 2]});
        const int32_t count = datascript::ToInteger(file.tokens[i + 3]);
        entry.iFileCount = std::clamp(count, 0, AnimListEntry::kMaxFiles);
        if (entry.iFileCount != count)
            GetLogger()->Report(0, "%s - file count out of range (0 to %d) - %s %s", kWhere, AnimListEntry::kMaxFiles,
                                entry.szOwner, file.tokens[i + 3]);
        // An owner whose entries name more files than an object loads would have none of them loaded, and a report
        // at every object made: the files past the limit are left out here, said once per owner.
        int32_t& named = ownerFiles[entry.szOwner];
        const int32_t room = AnimListEntry::kMaxOwnerFiles - named;
        if (entry.iFileCount > room)
        {
            if (reportedOwners.emplace(entry.szOwner).second)
                GetLogger()->Report(0, "%s - more than %d animation files for %s - %s cut to %d files", kWhere,
                                    AnimListEntry::kMaxOwnerFiles, entry.szOwner, entry.szFileStem, room);
            entry.iFileCount = room;
        }
        named += entry.iFileCount;
        m_animList.push_back(entry);
    }
}

void WorldParams::LoadShowList(const char* fileName)
{
    const ListFile file = ReadListFile(fileName);
    // Pairs of tokens: show name, show-move keyword.
    for (size_t i = 0; i + 2 <= file.tokens.size(); i += 2)
    {
        ShowListEntry entry = {};
        SetText(entry.szShowName, {"WorldParams::LoadShowList", "show name", file.tokens[i]});
        entry.iShowMoveID = GetShowMoveID(file.tokens[i + 1]);
        m_showList.push_back(entry);
    }
}

void WorldParams::GetAnimList(const char* owner, std::vector<const AnimListEntry*>& list) const
{
    for (const AnimListEntry& entry : m_animList)
    {
        if (owner && std::strcmp(entry.szOwner, owner) == 0)
            list.push_back(&entry);
    }
}

void WorldParams::GetShowMoves(const char* showName, std::vector<ShowMoveInfo>& moves) const
{
    for (const ShowMoveInfo& move : m_showMoves)
    {
        if (showName && std::strcmp(move.cShowName, showName) == 0)
            moves.push_back(move);
    }
}

void WorldParams::GetShowMoveIDs(const char* showName, std::vector<int32_t>& ids) const
{
    for (const ShowListEntry& entry : m_showList)
    {
        if (showName && std::strcmp(entry.szShowName, showName) == 0)
            ids.push_back(entry.iShowMoveID);
    }
}

bool WorldParams::GetTrainingSoundInfo(const char* showName, TrainingSoundInfo& info) const
{
    for (const ShowSounds& row : kShowSounds)
    {
        if (showName && platform::StrICmp(row.show, showName) == 0)
        {
            info = row.sounds;
            return true;
        }
    }
    GetLogger()->Report(0, "WorldParams::GetTrainingSoundInfo - show not found - %s", showName ? showName : "");
    return false;
}

// ---- ShowMoveInfo in the save stream

void ShowMoveInfo::Dump(SerialStream& stream) const
{
    stream.WriteInt("ID", ID);
    stream.WriteString("Keyword", Keyword);
    stream.WriteString("cTitle", cTitle);
    stream.WriteString("cDescription", cDescription);
    stream.WriteString("cShowName", cShowName);
    stream.WriteString("cSprite", cSprite);
    stream.WriteBool("bNeedsUnlocking", bNeedsUnlocking);
    // The count written is the count of names that follow, whatever a caller left in NumAnims.
    const int32_t count = std::clamp(NumAnims, 0, kMaxAnims);
    stream.WriteUInt("NumAnims", static_cast<uint32_t>(count));
    stream.WriteUInt("DiffcultyLevel", static_cast<uint32_t>(DiffcultyLevel));
    for (int32_t i = 0; i < count; ++i)
        stream.WriteString("cMoveAnims", cMoveAnims[i]);
}

bool ShowMoveInfo::Load(SerialStream& stream)
{
    *this = ShowMoveInfo();
    stream.ReadInt(&ID);
    stream.ReadString(Keyword, sizeof(Keyword));
    stream.ReadString(cTitle, sizeof(cTitle));
    stream.ReadString(cDescription, sizeof(cDescription));
    stream.ReadString(cShowName, sizeof(cShowName));
    stream.ReadString(cSprite, sizeof(cSprite));
    stream.ReadBool(&bNeedsUnlocking);
    uint32_t count = 0;
    uint32_t level = 0;
    stream.ReadUInt(&count);
    stream.ReadUInt(&level);
    bool sound = true;
    if (level > kMoveHard)
    {
        GetLogger()->Report(0, "ShowMoveInfo::Load - difficulty out of range - %u", level);
        sound = false;
        level = kMoveEasy;
    }
    DiffcultyLevel = static_cast<int32_t>(level);
    // Every stored name is read, so the stream stays in step; the record keeps the first kMaxAnims.
    char spare[sizeof(cMoveAnims[0])];
    for (uint32_t i = 0; i < count && stream.Good(); ++i)
    {
        if (i >= kMaxAnims)
        {
            stream.ReadString(spare, sizeof(spare));
            continue;
        }
        if (stream.ReadString(cMoveAnims[i], sizeof(cMoveAnims[i])))
            NumAnims = static_cast<int32_t>(i) + 1;
    }
    if (count > kMaxAnims)
    {
        GetLogger()->Report(0, "ShowMoveInfo::Load - more than %d animations - %u", kMaxAnims, count);
        sound = false;
    }
    return sound && stream.Good();
}
