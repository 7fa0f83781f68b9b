// ShowScheduler: the programme and its rating, the scheduler panel, the performance and the save record.
#include "park/ShowScheduler.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/core/TextFormat.h"
#include "engine/render/Scene.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "world/MessageHandler.h"
#include "world/ModelObjects.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace
{

constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kRed = 0xFFFF0000;
// An available move's row: where its difficulty label and, after it, the difficulty's level start (under the title
// and the description).
constexpr int32_t kLabelLeft = 56;
constexpr int32_t kLevelLeft = 140;

Scene* WorldScene()
{
    return g_pWorld ? g_pWorld->GetScene() : nullptr;
}

PanelItem TextItem(const char* textId, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour = kBlack)
{
    PanelItem item;
    item.kind = PanelItem::TEXT;
    item.textId = textId ? textId : "";
    item.rect[0] = x1, item.rect[1] = y1, item.rect[2] = x2, item.rect[3] = y2;
    item.colour = colour;
    return item;
}

PanelItem SpriteItem(const char* sprite, int32_t frame, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    PanelItem item;
    item.kind = PanelItem::SPRITE;
    item.sprite = sprite;
    item.frame = frame;
    item.rect[0] = x1, item.rect[1] = y1, item.rect[2] = x2, item.rect[3] = y2;
    return item;
}

const char* DifficultyText(int32_t level)
{
    switch (level)
    {
    case kMoveEasy:
        return "SS_MOVE_EASY";
    case kMoveMedium:
        return "SS_MOVE_MEDIUM";
    case kMoveHard:
        return "SS_MOVE_HARD";
    default:
        return nullptr;
    }
}

bool IsScore(float score)
{
    return score >= 0.0f && score <= 1.0f;
}

} // namespace

ShowScheduler::ShowScheduler(const char* showName, int32_t minMoves, int32_t maxMoves)
    : m_ShowName(showName ? showName : ""), m_iMinMoves(minMoves), m_iMaxMoves(maxMoves)
{
    if (g_pWorldParams)
        g_pWorldParams->GetShowMoves(m_ShowName.c_str(), m_ShowMoveInfo);
    ResetProgramme();
    // What no show of this programme can perform is said once, here.
    for (const char* suffix : {kStartSuffix, kEndSuffix})
    {
        const int32_t id = SpecialMove(suffix);
        if (id < 0 || !CanPerform(id))
            GetLogger()->Report(1, "ShowScheduler - show %s has no move %s%s to perform: its shows go without it",
                                m_ShowName.c_str(), m_ShowName.c_str(), suffix);
    }
    for (int32_t id : m_MoveList)
    {
        if (!CanPerform(id))
            GetLogger()->Report(1, "ShowScheduler - move %d of show %s cannot be performed: its shows skip it", id,
                                m_ShowName.c_str());
    }
}

ShowScheduler::~ShowScheduler() = default;

// ---------------------------------------------------------------- the programme

void ShowScheduler::ResetProgramme()
{
    m_MoveList.clear();
    if (g_pWorldParams)
        g_pWorldParams->GetShowMoveIDs(m_ShowName.c_str(), m_MoveList);
    m_ScoreList.assign(m_MoveList.size(), kDefaultScore);
    ComputeRating();
}

void ShowScheduler::ComputeRating()
{
    float sum = 0.0f;
    for (float score : m_ScoreList)
        sum += score >= kPerformScore ? score : 0.0f;
    m_fRating = std::clamp(sum * kRatingPerMove, 0.0f, 1.0f);
}

void ShowScheduler::SetScoreList(const std::vector<float>& scores)
{
    if (scores.size() != m_MoveList.size() || !std::all_of(scores.begin(), scores.end(), IsScore))
    {
        GetLogger()->Report(1,
                            "ShowScheduler::SetScoreList - %zu scores for a programme of %zu moves of show %s are "
                            "refused",
                            scores.size(), m_MoveList.size(), m_ShowName.c_str());
        return;
    }
    m_ScoreList = scores;
    ComputeRating();
}

const ShowMoveInfo* ShowScheduler::FindRecord(const std::vector<ShowMoveInfo>& records, int32_t id)
{
    for (const ShowMoveInfo& record : records)
    {
        if (record.ID == id)
            return &record;
    }
    return nullptr;
}

bool ShowScheduler::CanPerform(int32_t id) const
{
    const ShowMoveInfo* record = FindRecord(m_ShowMoveInfo, id);
    return record && record->NumAnims > 0 && record->NumAnims <= ShowMoveInfo::kMaxAnims;
}

int32_t ShowScheduler::SpecialMove(const char* suffix) const
{
    if (!g_pWorldParams)
        return -1;
    const std::string name = m_ShowName + suffix;
    const int32_t id = g_pWorldParams->FindShowMove(name);
    return id == WorldParams::kNotFound ? -1 : id;
}

// ---------------------------------------------------------------- the show

void ShowScheduler::Post(uint32_t type) const
{
    if (g_pMessageHandler)
        g_pMessageHandler->Send({m_OwnerID, m_OwnerID, type});
}

void ShowScheduler::StartShow()
{
    if (m_CurrentState == kRunning)
        return;
    m_pActor = std::make_unique<ShowModel>();
    m_pActor->SetPosition(m_Position.x, m_Position.y, m_Position.z);
    m_pActor->SetOrientation(m_Orientation.x, m_Orientation.y, m_Orientation.z);
    if (Scene* scene = WorldScene())
        scene->AddObject(m_pActor.get());
    m_CurrentMoveList.clear();
    m_CurrentShowMoveInfo = m_ShowMoveInfo;
    const int32_t opening = SpecialMove(kStartSuffix);
    if (opening >= 0 && CanPerform(opening))
        m_CurrentMoveList.push_back(opening);
    for (size_t i = 0; i < m_MoveList.size() && i < m_ScoreList.size(); ++i)
    {
        if (m_ScoreList[i] >= kPerformScore && CanPerform(m_MoveList[i]))
            m_CurrentMoveList.push_back(m_MoveList[i]);
    }
    const int32_t closing = SpecialMove(kEndSuffix);
    if (closing >= 0 && CanPerform(closing))
        m_CurrentMoveList.push_back(closing);
    m_CurrentMoveIndex = 0;
    m_CurrentAnimIndex = 0;
    m_CurrentState = kRunning;
    if (m_CurrentMoveList.empty())
    {
        // Nothing to perform: the show is over as it starts, and its audience goes.
        EndShow();
        return;
    }
    PlayCurrentAnimation();
}

std::string ShowScheduler::AnimationFile(const std::vector<ShowMoveInfo>& records, const std::vector<int32_t>& moves,
                                         int32_t moveIndex, int32_t animIndex)
{
    if (moveIndex < 0 || static_cast<size_t>(moveIndex) >= moves.size())
        return {};
    const ShowMoveInfo* record = FindRecord(records, moves[static_cast<size_t>(moveIndex)]);
    if (!record || animIndex < 0 || animIndex >= std::min(record->NumAnims, ShowMoveInfo::kMaxAnims))
        return {};
    char path[256];
    std::snprintf(path, sizeof path, "%s%s%s", WorldParams::GetShowModelPath(), record->cMoveAnims[animIndex],
                  WorldParams::GetModelExtension());
    return path;
}

void ShowScheduler::PlayCurrentAnimation()
{
    if (!m_pActor)
        return;
    const std::string file =
        AnimationFile(m_CurrentShowMoveInfo, m_CurrentMoveList, m_CurrentMoveIndex, m_CurrentAnimIndex);
    if (!file.empty())
        m_pActor->LoadAndPlay(file.c_str());
}

void ShowScheduler::UpdateShow()
{
    if (m_CurrentState != kRunning || !m_pActor || !m_pActor->HasAnimationEnded())
        return;
    const ShowMoveInfo* record =
        m_CurrentMoveIndex >= 0 && static_cast<size_t>(m_CurrentMoveIndex) < m_CurrentMoveList.size()
            ? FindRecord(m_CurrentShowMoveInfo, m_CurrentMoveList[m_CurrentMoveIndex])
            : nullptr;
    if (record && m_CurrentAnimIndex + 1 < std::min(record->NumAnims, ShowMoveInfo::kMaxAnims))
    {
        ++m_CurrentAnimIndex;
        PlayCurrentAnimation();
        return;
    }
    Post(MT_SHOW_MOVE_FINISHED);
    if (m_CurrentState != kRunning)
        return;
    if (static_cast<size_t>(m_CurrentMoveIndex) + 1 < m_CurrentMoveList.size())
    {
        ++m_CurrentMoveIndex;
        m_CurrentAnimIndex = 0;
        PlayCurrentAnimation();
        return;
    }
    EndShow();
}

void ShowScheduler::EndShow()
{
    m_CurrentState = kIdle;
    m_pActor.reset();
    m_CurrentMoveList.clear();
    m_CurrentShowMoveInfo.clear();
    Post(MT_SHOW_FINISHED);
}

// ---------------------------------------------------------------- the panel

const char* ShowScheduler::MoveGrade(float rating)
{
    return rating >= 0.8f   ? "SS_MOVE_EXCELLENT"
           : rating >= 0.6f ? "SS_MOVE_GOOD"
           : rating >= 0.4f ? "SS_MOVE_AV"
           : rating >= 0.2f ? "SS_MOVE_BELOW_AV"
                            : "SS_MOVE_POOR";
}

const char* ShowScheduler::ScoreGrade(float score)
{
    return score >= 0.9f   ? "SS_RATING_EXCELLENT"
           : score >= 0.7f ? "SS_RATING_GOOD"
           : score >= 0.5f ? "SS_RATING_AVERAGE"
                           : "SS_RATING_NOT_TRAINED";
}

uint32_t ShowScheduler::ScoreColour(float score)
{
    return score >= kPerformScore ? kBlack : kRed;
}

std::vector<const ShowMoveInfo*> ShowScheduler::AvailableMoves() const
{
    std::vector<const ShowMoveInfo*> moves;
    for (const ShowMoveInfo& record : m_ShowMoveInfo)
    {
        if (!record.bNeedsUnlocking)
            moves.push_back(&record);
    }
    return moves;
}

std::vector<PanelRow> ShowScheduler::AvailableRows() const
{
    std::vector<PanelRow> rows;
    for (const ShowMoveInfo* move : AvailableMoves())
    {
        PanelRow row;
        row.rect[2] = 232, row.rect[3] = 58;
        row.items.push_back(TextItem(move->cTitle, 56, 2, 216, 17));
        row.items.push_back(TextItem(move->cDescription, 56, 15, 216, 45));
        // The label, then the level beside it (not laid over each other).
        row.items.push_back(TextItem("SS_MOVE_DIFFICULTY", kLabelLeft, 42, kLevelLeft - 4, 57));
        if (const char* difficulty = DifficultyText(move->DiffcultyLevel))
            row.items.push_back(TextItem(difficulty, kLevelLeft, 42, 216, 57));
        if (strcasecmp(move->cSprite, "NONE") != 0)
            row.items.push_back(SpriteItem(move->cSprite, -1, 4, 5, 232, 58));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<PanelRow> ShowScheduler::ProgrammeRows() const
{
    std::vector<PanelRow> rows;
    for (size_t i = 0; i < m_MoveList.size(); ++i)
    {
        const int32_t id = m_MoveList[i];
        const bool known = g_pWorldParams && id >= 0 && static_cast<uint32_t>(id) < g_pWorldParams->GetShowMoveCount();
        const float score = i < m_ScoreList.size() ? m_ScoreList[i] : 0.0f;
        PanelRow row;
        row.rect[2] = 243, row.rect[3] = 29;
        row.items.push_back(SpriteItem(kNumberSprite, static_cast<int32_t>(i), 3, 3, 243, 29));
        row.items.push_back(TextItem(known ? g_pWorldParams->GetShowMoveInfo(id).cTitle : "", 36, 7, 180, 22));
        row.items.push_back(TextItem(ScoreGrade(score), 118, 7, 228, 22, ScoreColour(score)));
        rows.push_back(std::move(row));
    }
    return rows;
}

void ShowScheduler::RefillProgramme(int32_t select)
{
    ParkGui* gui = GetParkGui();
    PanelRowList* list = gui ? gui->FindRowList(kProgrammeList) : nullptr;
    if (!list)
        return;
    list->Clear();
    for (const PanelRow& row : ProgrammeRows())
        list->AddRow(row);
    list->SelectItem(select);
}

void ShowScheduler::RefreshPanel()
{
    ParkGui* gui = GetParkGui();
    if (PanelRowList* available = gui ? gui->FindRowList(kAvailableList) : nullptr)
    {
        available->Clear();
        for (const PanelRow& row : AvailableRows())
            available->AddRow(row);
        available->SelectItem(0);
    }
    RefillProgramme(0);
}

void ShowScheduler::Swap(int32_t from, int32_t to)
{
    PanelRowList* list = GetParkGui() ? GetParkGui()->FindRowList(kProgrammeList) : nullptr;
    const int32_t size = static_cast<int32_t>(m_MoveList.size());
    if (from < 0 || from >= size || to < 0 || to >= size)
        return;
    std::swap(m_MoveList[from], m_MoveList[to]);
    std::swap(m_ScoreList[from], m_ScoreList[to]);
    const int32_t top = list ? list->GetTopItem() : 0;
    RefillProgramme(to);
    if (list)
    {
        list->SetTopItem(top);
        list->EnsureVisible(to);
    }
}

void ShowScheduler::HandleButton(int32_t button)
{
    ParkGui* gui = GetParkGui();
    PanelRowList* programme = gui ? gui->FindRowList(kProgrammeList) : nullptr;
    const int32_t selected = programme ? programme->GetSelectedItem() : -1;
    switch (button)
    {
    case BUTTON_ADD:
    {
        PanelRowList* available = gui ? gui->FindRowList(kAvailableList) : nullptr;
        const int32_t chosen = available ? available->GetSelectedItem() : -1;
        const std::vector<const ShowMoveInfo*> moves = AvailableMoves();
        // No move chosen (or none to choose), or the programme is full: nothing to add.
        if (chosen < 0 || static_cast<size_t>(chosen) >= moves.size() ||
            static_cast<int64_t>(m_MoveList.size()) >= m_iMaxMoves)
            return;
        m_MoveList.push_back(moves[chosen]->ID);
        m_ScoreList.push_back(kAddedScore);
        RefillProgramme(selected);
        ComputeRating();
        break;
    }
    case BUTTON_REMOVE:
        if (selected < 0 || static_cast<size_t>(selected) >= m_MoveList.size() ||
            static_cast<int64_t>(m_MoveList.size()) <= m_iMinMoves)
            return;
        m_MoveList.erase(m_MoveList.begin() + selected);
        m_ScoreList.erase(m_ScoreList.begin() + selected);
        RefillProgramme(selected);
        ComputeRating();
        break;
    case BUTTON_UP:
        Swap(selected, selected - 1);
        break;
    case BUTTON_DOWN:
        Swap(selected, selected + 1);
        break;
    case BUTTON_TRAIN:
    case BUTTON_PREVIEW:
        if (gui)
        {
            gui->SetSelection(kBuildingSelection, static_cast<int32_t>(m_OwnerID));
            gui->SetSelection(kTrainSelection, button == BUTTON_TRAIN ? 1 : 0);
            gui->SetMode(kTrainingMode);
        }
        break;
    case BUTTON_RESET:
        ResetProgramme();
        RefillProgramme(0);
        break;
    default:
        GetLogger()->Report(0, "ShowScheduler, unhandled button");
        break;
    }
}

void ShowScheduler::GetVariable(const char* keyword, platform::WString& text)
{
    const auto is = [keyword](const char* name) { return keyword && std::strcmp(keyword, name) == 0; };
    const int64_t entries = static_cast<int64_t>(m_MoveList.size());
    if (is("SHOW_ADD_STATE"))
        text = entries < m_iMaxMoves ? u"1" : u"0";
    else if (is("SHOW_REMOVE_STATE"))
        text = entries > m_iMinMoves ? u"1" : u"0";
    else if (is("SHOW_TRAIN_STATE") || is("SHOW_UP_STATE") || is("SHOW_DOWN_STATE"))
        text = u"1";
    else if (is("SLOT_INFO"))
        text = FormatTableText("SS_SLOT_INFO", {static_cast<long long>(entries), m_iMaxMoves});
    else if (is("SHOW_RATING"))
        text = FormatTableText("SS_OVERALL_RATING_FORMAT", {TableText(MoveGrade(m_fRating))});
    else
        GetLogger()->Report(0, "ShowScheduler::GetVariable - data keyword not recognised - %s", keyword ? keyword : "");
}

void ShowScheduler::SetVariable(const char* /*keyword*/, const int32_t* /*value*/) {}

// ---------------------------------------------------------------- save record

void ShowScheduler::Dump(SerialStream& stream) const
{
    stream.WriteUInt("m_MoveList.size()", static_cast<uint32_t>(m_MoveList.size()));
    for (int32_t id : m_MoveList)
        stream.WriteInt("m_MoveList[i]", id);
    stream.WriteUInt("m_ShowMoveInfo.size()", static_cast<uint32_t>(m_ShowMoveInfo.size()));
    for (const ShowMoveInfo& record : m_ShowMoveInfo)
        record.Dump(stream);
    stream.WriteUInt("m_ScoreList.size()", static_cast<uint32_t>(m_ScoreList.size()));
    for (float score : m_ScoreList)
        stream.WriteFloat("m_ScoreList[i]", score);
    stream.WriteUInt("m_OwnerID", m_OwnerID);
    stream.WriteUInt("m_CurrentState", m_CurrentState);
    stream.WriteInt("m_CurrentMoveIndex", m_CurrentMoveIndex);
    stream.WriteInt("m_CurrentAnimIndex", m_CurrentAnimIndex);
    stream.WriteFloat("m_Position.vx", m_Position.x);
    stream.WriteFloat("m_Position.vy", m_Position.y);
    stream.WriteFloat("m_Position.vz", m_Position.z);
    stream.WriteFloat("m_Orientation.vx", m_Orientation.x);
    stream.WriteFloat("m_Orientation.vy", m_Orientation.y);
    stream.WriteFloat("m_Orientation.vz", m_Orientation.z);
    stream.WriteUInt("m_CurrentShowMoveInfo", static_cast<uint32_t>(m_CurrentShowMoveInfo.size()));
    for (const ShowMoveInfo& record : m_CurrentShowMoveInfo)
        record.Dump(stream);
    stream.WriteUInt("m_CurrentMoveList.size()", static_cast<uint32_t>(m_CurrentMoveList.size()));
    for (int32_t id : m_CurrentMoveList)
        stream.WriteInt("m_CurrentMoveList[i]", id);
    stream.WriteUInt("Has Show Object", m_pActor ? 1u : 0u);
    if (m_pActor)
        m_pActor->Dump(stream);
}

namespace
{

// A count item of the record; false when it is beyond the most the list may hold.
bool ReadCount(SerialStream& stream, uint32_t most, uint32_t& count)
{
    stream.ReadUInt(&count);
    return stream.Good() && count <= most;
}

bool ReadIds(SerialStream& stream, std::vector<int32_t>& ids)
{
    uint32_t count = 0;
    if (!ReadCount(stream, ShowScheduler::kMostEntries, count))
        return false;
    ids.resize(count);
    for (int32_t& id : ids)
        stream.ReadInt(&id);
    return stream.Good();
}

bool ReadRecords(SerialStream& stream, std::vector<ShowMoveInfo>& records)
{
    uint32_t count = 0;
    if (!ReadCount(stream, WorldParams::kMaxShowMoves, count))
        return false;
    records.resize(count);
    bool good = true;
    for (ShowMoveInfo& record : records)
        good = record.Load(stream) && good;
    return good;
}

} // namespace

bool ShowScheduler::Load(SerialStream& stream)
{
    std::vector<int32_t> moves, currentMoves;
    std::vector<ShowMoveInfo> records, currentRecords;
    std::vector<float> scores;
    uint32_t owner = 0, state = 0, hasActor = 0;
    int32_t moveIndex = 0, animIndex = 0;
    platform::Vec3 position, orientation;
    bool good = ReadIds(stream, moves) && ReadRecords(stream, records);
    uint32_t count = 0;
    good = good && ReadCount(stream, kMostEntries, count);
    if (good)
    {
        scores.resize(count);
        for (float& score : scores)
            stream.ReadFloat(&score);
        stream.ReadUInt(&owner);
        stream.ReadUInt(&state);
        stream.ReadInt(&moveIndex);
        stream.ReadInt(&animIndex);
        for (float* value : {&position.x, &position.y, &position.z, &orientation.x, &orientation.y, &orientation.z})
            stream.ReadFloat(value);
        good = ReadRecords(stream, currentRecords) && ReadIds(stream, currentMoves);
        stream.ReadUInt(&hasActor);
    }
    std::unique_ptr<ShowModel> actor;
    if (good && stream.Good() && hasActor == 1)
    {
        actor = std::make_unique<ShowModel>();
        actor->SetPosition(position.x, position.y, position.z);
        actor->SetOrientation(orientation.x, orientation.y, orientation.z);
        // Model handles are numbered in the order models are first loaded, which differs from run to run: the
        // actor takes its model by the name of the animation it was performing, so the saved handles find it.
        const std::string file = AnimationFile(currentRecords, currentMoves, moveIndex, animIndex);
        if (!file.empty())
            actor->LoadModel(file.c_str());
        good = actor->Load(stream);
    }
    const bool running = state == kRunning;
    good = good && stream.Good() && hasActor <= 1 && state <= kRunning && scores.size() == moves.size() &&
           std::all_of(scores.begin(), scores.end(), IsScore);
    // A running show performs a move of its run, with its actor.
    good = good && (!running || (actor && moveIndex >= 0 && static_cast<size_t>(moveIndex) < currentMoves.size() &&
                                 animIndex >= 0 && animIndex < ShowMoveInfo::kMaxAnims));
    if (!good)
    {
        GetLogger()->Report(0, "ShowScheduler::Load - the saved show of %s is damaged or cut short",
                            m_ShowName.c_str());
        m_CurrentState = kIdle;
        m_pActor.reset();
        m_CurrentMoveList.clear();
        m_CurrentShowMoveInfo.clear();
        ResetProgramme();
        return false;
    }
    m_MoveList = std::move(moves);
    m_ShowMoveInfo = std::move(records);
    m_ScoreList = std::move(scores);
    ComputeRating();
    m_OwnerID = owner;
    m_CurrentState = state;
    m_CurrentMoveIndex = moveIndex;
    m_CurrentAnimIndex = animIndex;
    m_Position = position;
    m_Orientation = orientation;
    m_CurrentShowMoveInfo = std::move(currentRecords);
    m_CurrentMoveList = std::move(currentMoves);
    // The actor stands in the arena only while a show runs: one saved with an idle show is read and let go.
    if (!running && actor)
    {
        GetLogger()->Report(0, "ShowScheduler::Load - the idle show of %s was saved with an actor: it is left out",
                            m_ShowName.c_str());
        actor.reset();
    }
    m_pActor = std::move(actor);
    if (m_pActor)
    {
        if (Scene* scene = WorldScene())
            scene->AddObject(m_pActor.get());
    }
    return true;
}
