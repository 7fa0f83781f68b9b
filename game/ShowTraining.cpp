// Show training: the scoring rules, the training game's states and the tool mode that stages them.
#include "game/ShowTraining.h"
#include "game/ShowTrainingEntry.h"

#include "engine/core/GameInput.h"
#include "engine/core/Logger.h"
#include "engine/core/TextFormat.h"
#include "engine/media/SoundEventManager.h"
#include "engine/media/SoundManager.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/BoneAnimation.h"
#include "engine/render/Font.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"
#include "engine/render/OptModel.h"
#include "engine/render/Scene.h"
#include "engine/render/SceneObject.h"
#include "engine/render/TextWriter.h"
#include "engine/render/TmFormat.h"
#include "gui/GUIManager.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"
#include "park/BuildingObject.h"
#include "park/ShowScheduler.h"
#include "platform/Strings.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldParamsRecords.h"
#include "world/CameraManager.h"
#include "world/GameCamera.h"
#include "world/ModelObjects.h"
#include "world/ObjectManager.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace showtraining
{

namespace
{

constexpr float kTwoPi = 6.283185307179586f;

float Clamp255(float value)
{
    return std::clamp(value, 0.0f, 255.0f);
}

} // namespace

int KeyOfChar(char c)
{
    return c >= '1' && c <= '4' ? c - '1' : kNoKey;
}

float KeyScore(float beatTime, float pressTime)
{
    const float off = std::fabs(beatTime - pressTime);
    if (off <= kPerfectWindow + kEdgeTolerance)
        return 1.0f;
    return std::max(0.0f, 1.0f - off / kHalfBeat);
}

int GradeFrame(float score)
{
    if (score >= 0.8f)
        return 3;
    if (score >= 0.6f)
        return 2;
    if (score >= 0.4f)
        return 1;
    return 0;
}

float AverageScore(float sum, int32_t judged)
{
    return judged > 0 ? sum / static_cast<float>(judged) : 0.0f;
}

FrameInput ReadFrame(const std::function<bool(int)>& pressed, bool anyKey, bool actorEnded)
{
    FrameInput input;
    for (int i = 0; i < 4 && input.arrow < 0; ++i)
        if (pressed(kArrowCodes[i]))
            input.arrow = i;
    input.anyKey = anyKey;
    input.actorEnded = actorEnded;
    return input;
}

std::vector<std::string> SoundNames(const TrainingSoundInfo& info)
{
    const auto name = [](const char* s) { return std::string(s ? s : ""); };
    std::vector<std::string> names = {name(info.szCountdown)};
    for (int i = 0; i < TrainingSoundInfo::kKeySounds; ++i)
        names.push_back(name(i < info.iNumKeySounds ? info.szKeySounds[i] : nullptr));
    for (const char* s : {info.szWrongKey, info.szLose, info.szWin, info.szTraining, info.szRide})
        names.push_back(name(s));
    return names;
}

bool IsAdded(float average)
{
    return average >= kAddThreshold;
}

// ---- the game

TrainingGame::TrainingGame(TrainingStage& stage, std::vector<TrainingMove> moves, std::vector<float> scores,
                           ShowAnimations show, bool preview)
    : m_Stage(stage), m_Moves(std::move(moves)), m_Scores(std::move(scores)), m_Show(std::move(show)),
      m_bPreview(preview)
{
    m_Scores.resize(m_Moves.size(), 0.0f);
}

const TrainingMove* TrainingGame::GetCurrentMove() const
{
    return m_MoveIndex >= 0 && static_cast<size_t>(m_MoveIndex) < m_Moves.size() ? &m_Moves[m_MoveIndex] : nullptr;
}

int32_t TrainingGame::KeyAt(int32_t index) const
{
    const TrainingMove* move = GetCurrentMove();
    if (!move || index < 0 || static_cast<size_t>(index) >= move->keys.size())
        return kNoKey;
    return KeyOfChar(move->keys[index]);
}

void TrainingGame::Begin()
{
    EnterState(m_bPreview ? kPreview : kSetup);
}

void TrainingGame::EnterState(int32_t state)
{
    m_State = state;
    switch (state)
    {
    case kSetup:
        m_Stage.CameraToArena();
        m_Stage.PlayAnimation(m_Show.start);
        m_CameraTimer = kCameraDelay;
        m_bCameraMoved = false;
        break;
    case kReady:
        PrepareMove();
        m_Stage.PlayAnimation(m_Show.sloop);
        m_CountIn = 0;
        m_CountTimer = 0.0f;
        m_bCounting = true;
        m_CountAlpha = 255.0f;
        m_CountAlphaTimer = kCountInAlphaTime;
        break;
    case kScoring:
        PrepareMove();
        m_ScoreSum = 0.0f;
        m_NextBeat = m_Time;
        m_bAwaiting = true;
        m_Stage.PlaySound(Sound::Start, 0);
        break;
    case kFailed:
        m_SubState = 0;
        break;
    case kAdded:
        m_SubState = 0;
        m_Stage.PlayMusic(Music::TrainingFadeOut);
        break;
    case kPreview:
        m_SubState = 0;
        m_Stage.CameraToArena();
        m_Stage.PlayAnimation(m_Show.start);
        break;
    default:
        break;
    }
}

void TrainingGame::PrepareMove()
{
    for (KeySlot& slot : m_Slots)
        slot = KeySlot{};
    m_KeyIndex = 0;
    m_Judged = 0;
    for (int32_t i = 0; i < 4; ++i)
        m_Slots[i].key = KeyAt(i);
    m_NextKeyToShow = 4;
}

void TrainingGame::Update(float dt, const FrameInput& input)
{
    switch (m_State)
    {
    case kSetup:
        m_CameraTimer -= dt;
        if (m_CameraTimer <= 0.0f && !m_bCameraMoved)
        {
            m_bCameraMoved = true;
            m_Stage.CameraOnward();
        }
        if (input.actorEnded)
            EnterState(kReady);
        break;
    case kReady:
        CountIn(dt);
        if (m_State == kReady && input.actorEnded)
            m_Stage.PlayAnimation(m_Show.loop);
        break;
    case kScoring:
        Advance(dt);
        Score(input);
        if (m_State == kScoring && input.actorEnded)
            m_Stage.PlayAnimation(m_Show.loop);
        break;
    case kFailed:
        Advance(dt);
        if (input.actorEnded)
            m_Stage.PlayAnimation(m_Show.loop);
        if (m_bNewBar)
        {
            if (m_SubState < 2)
                ++m_SubState;
            else
                NextMove();
        }
        break;
    case kAdded:
        Advance(dt);
        Perform(input);
        break;
    case kAllDone:
        if (input.actorEnded)
            m_Stage.PlayAnimation(m_Show.loop);
        if (input.anyKey)
        {
            m_Stage.SubmitScores(m_Scores);
            m_Stage.Leave();
        }
        break;
    case kPreview:
        Preview(input);
        break;
    default:
        break;
    }
}

void TrainingGame::CountIn(float dt)
{
    if (!m_bCounting)
        return;
    m_CountAlphaTimer = std::max(0.0f, m_CountAlphaTimer - dt);
    m_CountAlpha = m_CountAlphaTimer / kCountInAlphaTime * 255.0f;
    m_CountTimer -= dt;
    if (m_CountTimer > 0.0f)
        return;
    ++m_CountIn;
    if (m_CountIn >= 5)
    {
        m_CountIn = 0;
        m_bCounting = false;
        EnterState(kScoring);
        return;
    }
    m_Stage.PlaySound(m_CountIn == 4 ? Sound::CountHigh : Sound::CountLow, m_CountIn);
    m_CountTimer = 1.0f;
    m_CountAlpha = 255.0f;
    m_CountAlphaTimer = kCountInAlphaTime;
}

void TrainingGame::Advance(float dt)
{
    const float barBefore = std::floor(m_Time / kBarLength);
    m_Time += dt;
    m_bNewBar = std::floor(m_Time / kBarLength) != barBefore;
    m_ClockAngle = m_Time / kBarLength * kTwoPi;
    const TrainingMove* move = GetCurrentMove();
    const int32_t keyCount = move ? static_cast<int32_t>(move->keys.size()) : 0;
    for (KeySlot& slot : m_Slots)
    {
        const float t = (m_Time - slot.fadeStart) / kFadeTime;
        if (slot.status == KeySlot::kFadingIn)
        {
            slot.alpha = Clamp255(t * 255.0f);
            if (slot.alpha >= 255.0f)
                slot.status = KeySlot::kShown;
        }
        else if (slot.status == KeySlot::kFadingOut)
        {
            slot.alpha = Clamp255(255.0f - t * 255.0f);
            if (slot.alpha <= 0.0f)
            {
                if (m_NextKeyToShow < keyCount)
                {
                    slot.key = KeyAt(m_NextKeyToShow++);
                    slot.alpha = 0.0f;
                    slot.status = KeySlot::kFadingIn;
                    slot.fadeStart = m_Time;
                }
                else
                {
                    slot.key = kNoKey;
                    slot.status = KeySlot::kShown;
                }
            }
        }
        else
            slot.alpha = 255.0f;
        if (slot.grade >= 0)
            slot.gradeRise += kGradeRise * dt;
        if (slot.feedback)
        {
            const float alpha = 128.0f - (m_Time - slot.feedbackStart) / kFadeTime * 128.0f;
            if (alpha < 0.0f)
                slot.feedback = false;
            else
                slot.feedbackAlpha = alpha;
        }
    }
}

void TrainingGame::Score(const FrameInput& input)
{
    const TrainingMove* move = GetCurrentMove();
    const int32_t keyCount = move ? static_cast<int32_t>(move->keys.size()) : 0;
    if (m_KeyIndex >= keyCount)
    {
        FinishMove();
        return;
    }
    KeySlot& slot = m_Slots[m_KeyIndex % 4];
    if (m_bAwaiting && input.arrow >= 0 && input.arrow < 4)
    {
        m_bAwaiting = false;
        ++m_Judged;
        if (input.arrow != KeyAt(m_KeyIndex))
            m_Stage.PlaySound(Sound::Bad, 0);
        else
        {
            slot.feedback = true;
            slot.feedbackStart = m_Time;
            slot.feedbackAlpha = 128.0f;
            m_Stage.PlaySound(Sound::Good, m_GoodSound);
            m_GoodSound = (m_GoodSound + 1) % 5;
            const float score = KeyScore(m_NextBeat, m_Time);
            m_ScoreSum += score;
            slot.grade = GradeFrame(score);
            slot.gradeRise = 0.0f;
        }
    }
    if (m_Time >= m_NextBeat && slot.status == KeySlot::kShown)
    {
        slot.status = KeySlot::kFadingOut;
        slot.fadeStart = m_Time;
    }
    if (m_Time > m_NextBeat + kHalfBeat)
    {
        if (m_bAwaiting && KeyAt(m_KeyIndex) != kNoKey)
            ++m_Judged;
        m_bAwaiting = true;
        m_NextBeat += kBeatLength;
        ++m_KeyIndex;
        if (m_KeyIndex >= keyCount)
            FinishMove();
    }
}

void TrainingGame::FinishMove()
{
    const float average = AverageScore(m_ScoreSum, m_Judged);
    m_Scores[m_MoveIndex] = average;
    if (!IsAdded(average))
    {
        m_Stage.PlaySound(Sound::Lose, 0);
        EnterState(kFailed);
    }
    else
    {
        m_Stage.PlaySound(Sound::Win, 0);
        EnterState(kAdded);
    }
}

void TrainingGame::PlayMoveAnimation(int32_t index)
{
    const TrainingMove* move = GetCurrentMove();
    m_Stage.PlayAnimation(move && index >= 0 && static_cast<size_t>(index) < move->animations.size()
                              ? move->animations[index]
                              : std::string());
}

void TrainingGame::Perform(const FrameInput& input)
{
    if (input.actorEnded)
    {
        const TrainingMove* move = GetCurrentMove();
        const int32_t count = move ? static_cast<int32_t>(move->animations.size()) : 0;
        switch (m_SubState)
        {
        case 0:
            m_Stage.PlayAnimation(m_Show.eloop);
            m_SubState = 1;
            break;
        case 1:
            m_AnimIndex = 0;
            PlayMoveAnimation(0);
            m_SubState = 2;
            m_Stage.PlayMusic(Music::PerformanceStart);
            break;
        case 2:
            if (++m_AnimIndex >= count)
            {
                m_Stage.PlayAnimation(m_Show.sloop);
                m_SubState = 3;
            }
            else
                PlayMoveAnimation(m_AnimIndex);
            break;
        case 3:
            m_Stage.PlayAnimation(m_Show.loop);
            m_SubState = 4;
            break;
        default:
            break;
        }
    }
    if (m_bNewBar && m_SubState == 4)
    {
        m_Stage.PlayMusic(Music::PerformanceToTraining);
        NextMove();
    }
}

void TrainingGame::NextMove()
{
    ++m_MoveIndex;
    if (m_MoveIndex >= GetMoveCount())
    {
        m_MoveIndex = GetMoveCount() - 1;
        EnterState(kAllDone);
    }
    else
        EnterState(kScoring);
}

void TrainingGame::Preview(const FrameInput& input)
{
    if (!input.actorEnded)
        return;
    switch (m_SubState)
    {
    case 0:
        m_AnimIndex = 0;
        PlayMoveAnimation(0);
        m_SubState = 1;
        break;
    case 1:
    {
        const TrainingMove* move = GetCurrentMove();
        if (++m_AnimIndex < (move ? static_cast<int32_t>(move->animations.size()) : 0))
        {
            PlayMoveAnimation(m_AnimIndex);
            break;
        }
        if (m_MoveIndex + 1 >= GetMoveCount())
        {
            m_Stage.PlayAnimation(m_Show.end);
            m_SubState = 2;
        }
        else
        {
            ++m_MoveIndex;
            m_AnimIndex = 0;
            PlayMoveAnimation(0);
        }
        break;
    }
    default:
        m_Stage.Leave();
        break;
    }
}

// ---- the tables

bool CollectMoves(const std::vector<int32_t>& ids, const std::vector<ShowMoveInfo>& records,
                  const std::function<const char*(const std::string&)>& keysOf, bool preview,
                  std::vector<TrainingMove>& moves, std::string* why)
{
    const auto fail = [why, &moves](std::string reason)
    {
        if (why)
            *why = std::move(reason);
        moves.clear();
        return false;
    };
    moves.clear();
    if (ids.empty())
        return fail("the show has no scheduled move");
    for (int32_t id : ids)
    {
        const ShowMoveInfo* record = nullptr;
        for (const ShowMoveInfo& info : records)
            if (info.ID == id)
                record = &info;
        if (!record)
            return fail("a scheduled move has no record");
        TrainingMove move;
        move.id = id;
        move.keyword = record->Keyword;
        move.title = record->cTitle;
        if (platform::StrICmp(record->cSprite, "NONE") != 0)
            move.sprite = record->cSprite;
        for (int32_t i = 0; i < std::clamp(record->NumAnims, 0, ShowMoveInfo::kMaxAnims); ++i)
            move.animations.emplace_back(record->cMoveAnims[i]);
        if (!preview)
        {
            const char* keys = keysOf ? keysOf("TRAIN" + move.keyword) : nullptr;
            if (!keys)
                return fail("the move " + move.keyword + " has no training record");
            move.keys = keys;
            if (move.keys.empty())
                return fail("the move " + move.keyword + " has no keys to train");
        }
        moves.push_back(std::move(move));
    }
    return true;
}

bool CollectMoves(const WorldParams& params, const ShowScheduler& scheduler, bool preview,
                  std::vector<TrainingMove>& moves, std::string* why)
{
    const auto keysOf = [&params](const std::string& keyword) -> const char*
    {
        const int32_t training = params.FindTraining(keyword);
        return training < 0 ? nullptr : const_cast<WorldParams&>(params).GetTrainingInfo(training).szKeySequence;
    };
    return CollectMoves(scheduler.GetMoves(), scheduler.GetMoveRecords(), keysOf, preview, moves, why);
}

ShowAnimations CollectShowAnimations(const WorldParams& params, const std::string& show)
{
    const auto first = [&](const char* suffix)
    {
        const int32_t id = params.FindShowMove(show + suffix);
        if (id < 0)
            return std::string();
        const ShowMoveInfo& info = const_cast<WorldParams&>(params).GetShowMoveInfo(id);
        return info.NumAnims > 0 ? std::string(info.cMoveAnims[0]) : std::string();
    };
    return {first("START"), first("SLOOP"), first("LOOP"), first("ELOOP"), first("END")};
}

platform::Vec3 ArenaPoint(const platform::Vec3& local, const platform::Vec3& position,
                          const platform::Vec3& orientation)
{
    return platform::Vec3TransformCoord({local.x, local.y, -local.z}, PlacementMatrix(position, orientation));
}

} // namespace showtraining

// ---- the mode

using namespace showtraining;

namespace
{

ShowScheduler* SchedulerOf(uint32_t building)
{
    if (!g_pObjectManager)
        return nullptr;
    auto* object = dynamic_cast<BuildingObject*>(g_pObjectManager->GetObject(building));
    return object ? object->GetScheduler() : nullptr;
}

bool CanTrain(const ShowScheduler& scheduler, bool preview, std::string* why)
{
    std::vector<TrainingMove> moves;
    if (!g_pWorldParams)
    {
        if (why)
            *why = "no tables";
        return false;
    }
    return CollectMoves(*g_pWorldParams, scheduler, preview, moves, why);
}

} // namespace

bool StartShowTraining(GUIManager& gui, DialogListener* dialogObject, bool preview)
{
    auto* scheduler = dynamic_cast<ShowScheduler*>(dialogObject);
    std::string why;
    if (!scheduler || !CanTrain(*scheduler, preview, &why))
    {
        GetLogger()->Report(1, "Show training not started: %s", scheduler ? why.c_str() : "no show scheduler");
        return false;
    }
    gui.SetSelection(ShowScheduler::kBuildingSelection, static_cast<int32_t>(scheduler->GetOwner()));
    gui.SetSelection(ShowScheduler::kTrainSelection, preview ? 0 : 1);
    gui.SetMode(ShowScheduler::kTrainingMode);
    return true;
}

bool AnswerTrainingQuit(GUIManager& gui, bool quit)
{
    auto* mode = dynamic_cast<TrainingMode*>(gui.GetCurrentMode());
    if (!mode)
        return false;
    mode->AnswerQuit(quit);
    return true;
}

TrainingMode::TrainingMode(GUIManager& owner) : ParkToolMode(owner) {}

TrainingMode::~TrainingMode() = default;

ShowScheduler* TrainingMode::Scheduler() const
{
    return SchedulerOf(m_BuildingId);
}

void TrainingMode::Enter()
{
    m_BuildingId = static_cast<uint32_t>(m_Owner.GetSelection(ShowScheduler::kBuildingSelection));
    m_bPreview = m_Owner.GetSelection(ShowScheduler::kTrainSelection) != 1;
    m_bQuitPending = false;
    ShowScheduler* scheduler = Scheduler();
    std::vector<TrainingMove> moves;
    std::string why = "no show scheduler";
    if (!scheduler || !g_pWorldParams || !CollectMoves(*g_pWorldParams, *scheduler, m_bPreview, moves, &why))
    {
        // Nothing to train: the park stays as it is and the select tool comes back.
        GetLogger()->Report(1, "Show training not started: %s", why.c_str());
        m_Owner.SetMode(MODE_SELECT);
        return;
    }
    m_bEntered = true;
    m_pHud = std::make_unique<HudSprites>();
    m_fHudTime = 0.0f;
    m_Owner.PushPause();
    m_ShowName = scheduler->GetShowName();
    m_Position = scheduler->GetPosition();
    m_Orientation = scheduler->GetOrientation();
    if (g_pObjectManager)
        if (auto* building = dynamic_cast<BuildingObject*>(g_pObjectManager->GetObject(m_BuildingId)))
        {
            m_Position = building->GetPosition();
            m_Orientation = building->GetOrientation();
            m_BuildingModel = std::string(WorldParams::GetBuildingModelPath()) + "/" + building->GetInfo().keyword +
                              WorldParams::GetModelExtension();
        }
    m_Owner.CloseAllDialogs();
    m_Owner.SetLock(true);

    if (g_pWorld)
        g_pWorld->SetSceneHidden(true);
    m_pScene = std::make_unique<Scene>(Scene::kTreeIndex);
    const float cell = static_cast<float>(WorldMap::kDefaultCellSize);
    const float width = g_pWorldMap ? static_cast<float>(g_pWorldMap->GetWidth()) * cell / 2.0f : 1000.0f;
    const float depth = g_pWorldMap ? static_cast<float>(g_pWorldMap->GetHeight()) * cell : 1000.0f;
    m_pScene->Open({0.0f, 0.0f, 0.0f}, {width, 500.0f, depth});
    if (!m_BuildingModel.empty())
    {
        const uint32_t model = g_ModelManager.Load(m_BuildingModel.c_str());
        if (model)
        {
            m_pArena = std::make_unique<ModelInstance>(model, m_Position, m_Orientation);
            m_pScene->AddObject(m_pArena.get());
        }
    }
    if (g_pWorld)
        g_pWorld->FreezeClock(1);
    m_pAnimations = std::make_unique<AnimationScheduler>();
    m_pAnimations->Update(g_pWorld ? static_cast<uint32_t>(g_pWorld->GetTimeInMinutes()) : 0u);
    m_pActor = std::make_unique<ShowModel>();
    m_pActor->SetPositionVec(m_Position);
    m_pActor->SetOrientationVec(m_Orientation);
    m_pScene->AddObject(m_pActor.get());

    if (g_pCameraManager)
    {
        m_SavedCamera = g_pCameraManager->GetCurrentType();
        g_pCameraManager->SetCamera(GameCamera::kFixed, true);
    }
    TrainingSoundInfo sounds;
    if (!g_pWorldParams || !g_pWorldParams->GetTrainingSoundInfo(m_ShowName.c_str(), sounds))
        sounds = TrainingSoundInfo{};
    m_Sounds = SoundNames(sounds);
    if (g_pSoundEventManager)
        g_pSoundEventManager->SetCrowdMuted(true);
    if (g_pSoundManager)
    {
        m_bStreamWasPaused = g_pSoundManager->IsStreamPaused();
        g_pSoundManager->PauseStream();
        m_WaterSample = g_pSoundManager->PlaySampleVolume("water", 0.7f, SoundManager::kFlagLoop, 2.0f);
        if (!m_Sounds[9].empty())
            m_MusicSample = g_pSoundManager->PlaySampleVolume(m_Sounds[9].c_str(), 1.0f, SoundManager::kFlagLoop, 2.0f);
    }

    m_pGame = std::make_unique<TrainingGame>(*this, std::move(moves), scheduler->GetScores(),
                                             CollectShowAnimations(*g_pWorldParams, m_ShowName), m_bPreview);
    m_pGame->Begin();
}

void TrainingMode::Exit()
{
    if (!m_bEntered)
        return;
    m_bEntered = false;
    if (m_pAnimations && m_pActor)
        m_pAnimations->Cancel(m_pActor.get());
    if (m_pScene)
    {
        if (m_pActor)
            m_pScene->RemoveObject(m_pActor.get());
        if (m_pArena)
            m_pScene->RemoveObject(m_pArena.get());
    }
    m_pHud.reset();
    m_pActor.reset();
    m_pArena.reset();
    m_pScene.reset();
    m_pAnimations.reset();
    if (g_pCameraManager && m_SavedCamera >= 0)
        g_pCameraManager->SetCamera(m_SavedCamera, true);
    m_Owner.PopPause();
    m_Owner.CloseDialogsOfListener(this);
    m_Owner.SetLock(false);
    if (g_pWorld)
    {
        g_pWorld->SetClockFlag2(false);
        g_pWorld->FreezeClock(0);
        g_pWorld->SetSceneHidden(false);
        if (ShowScheduler* scheduler = Scheduler())
        {
            m_Owner.OpenDialog("ShowScheduler", scheduler);
            scheduler->RefreshPanel();
        }
    }
    StopSamples();
    m_pGame.reset();
}

void TrainingMode::StopSamples()
{
    if (g_pSoundEventManager)
        g_pSoundEventManager->SetCrowdMuted(false);
    if (!g_pSoundManager)
        return;
    if (!m_bStreamWasPaused)
        g_pSoundManager->ResumeStream();
    m_bStreamWasPaused = false;
    g_pSoundManager->FadeOutSample(m_WaterSample, 0.2f);
    g_pSoundManager->FadeOutSample(m_MusicSample, 0.2f);
    g_pSoundManager->StopSample(m_EndSample);
    g_pSoundManager->StopSample(m_PerformSample);
    m_WaterSample = m_MusicSample = m_EndSample = m_PerformSample = -1;
}

void TrainingMode::Update(float dt)
{
    // The park stays paused behind the training: the pause key (or a script) may have set it running this frame.
    if (m_bEntered && g_pWorld && !g_pWorld->IsPaused())
        g_pWorld->SetPaused(true);
    if (!m_pGame || m_bQuitPending)
        return;
    m_fHudTime += dt;
    if (m_pAnimations && g_pWorld)
        m_pAnimations->Update(static_cast<uint32_t>(g_pWorld->GetTimeInMinutes()));
    const FrameInput input =
        ReadFrame([](int key) { return KeyPressed(key); }, g_pGameInput && g_pGameInput->AnyKeyPressed(),
                  !m_bActorPlaying || (m_pActor && m_pActor->HasAnimationEnded()));
    m_pGame->Update(dt, input);
    if (!m_pGame)
        return;
    const int32_t state = m_pGame->GetState();
    if (KeyPressed(kKeyEscape))
    {
        if (state == kPreview)
            Leave();
        else if (state <= kAdded)
        {
            // Drawn while the GUI is locked: the training hides every other dialog, and the player must see
            // the question that freezes it.
            if (m_Owner.IsDialogOpen(kQuitDialog) || m_Owner.OpenDialog(kQuitDialog, this, true, true))
            {
                m_bQuitPending = true;
                if (g_pWorld)
                    g_pWorld->SetClockFlag2(true);
            }
            else
            {
                // A GUI without the question could never answer it, and the frozen training would hold the
                // player for good: Escape leaves at once, as a confirmed quit does (the old scores are kept).
                GetLogger()->Report(1,
                                    "Show training: the GUI has no dialog %s to ask whether to quit: the "
                                    "training ends",
                                    kQuitDialog);
                Leave();
            }
        }
    }
}

void TrainingMode::AnswerQuit(bool quit)
{
    m_Owner.CloseDialog(kQuitDialog);
    if (quit)
    {
        Leave();
        return;
    }
    m_bQuitPending = false;
    if (g_pWorld)
        g_pWorld->SetClockFlag2(false);
}

void TrainingMode::PreRender()
{
    if (m_pScene)
        m_pScene->Render();
}

void TrainingMode::Render()
{
    DrawHud();
}

// ---- the stage

void TrainingMode::PlayAnimation(const std::string& file)
{
    m_bActorPlaying = false;
    if (file.empty() || !m_pActor || !m_pAnimations)
        return;
    const std::string path = std::string(WorldParams::GetShowModelPath()) + file + WorldParams::GetModelExtension();
    m_pActor->LoadAndPlayOn(path.c_str(), *m_pAnimations, false);
    m_bActorPlaying = m_pActor->GetModel() != 0;
}

void TrainingMode::PlaySound(Sound sound, int32_t index)
{
    const auto play = [](const std::string& name)
    { return name.empty() || !g_pSoundManager ? -1 : g_pSoundManager->PlaySample(name.c_str(), 0, 0.0f); };
    switch (sound)
    {
    case Sound::CountLow:
        play("low");
        break;
    case Sound::CountHigh:
        play("high");
        break;
    case Sound::Start:
        play(m_Sounds[0]);
        break;
    case Sound::Good:
        play(m_Sounds[1 + std::clamp(index, 0, 4)]);
        break;
    case Sound::Bad:
        play(m_Sounds[6]);
        break;
    case Sound::Lose:
        m_EndSample = play(m_Sounds[7]);
        break;
    case Sound::Win:
        m_EndSample = play(m_Sounds[8]);
        break;
    }
}

void TrainingMode::PlayMusic(Music cue)
{
    if (!g_pSoundManager)
        return;
    switch (cue)
    {
    case Music::TrainingFadeOut:
        g_pSoundManager->FadeOutSample(m_MusicSample, 1.0f);
        m_MusicSample = -1;
        break;
    case Music::PerformanceStart:
        if (!m_Sounds[10].empty())
            m_PerformSample = g_pSoundManager->PlaySample(m_Sounds[10].c_str(), 0, 0.0f);
        break;
    case Music::PerformanceToTraining:
        g_pSoundManager->FadeOutSample(m_PerformSample, 1.0f);
        m_PerformSample = -1;
        if (!m_Sounds[9].empty())
            m_MusicSample = g_pSoundManager->PlaySampleVolume(m_Sounds[9].c_str(), 1.0f, SoundManager::kFlagLoop, 2.0f);
        break;
    }
}

bool TrainingMode::FindArenaPoint(const char* name, platform::Vec3& out) const
{
    const uint32_t handle = m_pArena ? m_pArena->GetModel() : 0;
    if (!handle)
        return false;
    const Locator* locator = nullptr;
    if (const SModel* model = g_ModelManager.GetModel(handle))
        locator = model->FindLocator(name);
    if (!locator)
        if (const OptModel* model = g_ModelManager.GetOptModel(handle))
            locator = model->FindLocator(name);
    if (!locator)
        return false;
    out = ArenaPoint(locator->m_position, m_Position, m_Orientation);
    return true;
}

void TrainingMode::CameraToArena()
{
    GameCamera* camera = g_pCameraManager ? g_pCameraManager->GetCurrentCamera() : nullptr;
    if (!camera)
        return;
    platform::Vec3 eye, at;
    if (!FindArenaPoint("CAM_POS_00", eye) || !FindArenaPoint("CAM_POS_LOOK_00", at))
    {
        // An arena without camera points is seen from in front of it and above.
        at = m_Position;
        eye = ArenaPoint({0.0f, 30.0f, 50.0f}, m_Position, m_Orientation);
    }
    camera->SetPositionVec(eye);
    camera->SetCurrentLookAt(at);
    camera->SetDestEyePos(eye.x, eye.y, eye.z);
    camera->SetDestLookAt(at.x, at.y, at.z, true);
}

void TrainingMode::CameraOnward()
{
    GameCamera* camera = g_pCameraManager ? g_pCameraManager->GetCurrentCamera() : nullptr;
    platform::Vec3 at;
    if (camera && FindArenaPoint("CAM_POS_LOOK_01", at))
        camera->SetDestLookAt(at.x, at.y, at.z, false);
}

void TrainingMode::SubmitScores(const std::vector<float>& scores)
{
    if (ShowScheduler* scheduler = Scheduler())
        scheduler->SetScoreList(scores);
}

void TrainingMode::Leave()
{
    m_Owner.SetMode(MODE_SELECT);
}

// ---- the picture

// The HUD's sprites, released with the mode.
struct TrainingMode::HudSprites
{
    struct Release
    {
        void operator()(Sprite* sprite) const { GetSpriteManager().ReleaseSprite(sprite); }
    };
    using Owned = std::unique_ptr<Sprite, Release>;
    static Owned Make(const char* name) { return Owned(GetSpriteManager().CreateSprite(name)); }

    Owned clock = Make("TS_ClockBG");
    Owned hand = Make("TS_ClockHand");
    Owned numbers = Make("TS_Numbers");
    Owned meter = Make("UIS_TS_METER");
    Owned banner = Make("UIS_TS_BANNER");
    Owned perfect = Make("TS_Perfect");
    Owned grade = Make("TS_GradeText");
    Owned keys[4] = {Make("TS_Button_CU"), Make("TS_Button_CL"), Make("TS_Button_CD"), Make("TS_Button_CR")};
    Owned icon;
    std::string iconName;
    // The large font the move's name is written in, black and centred.
    Font nameFont{"GuiFont20b"};
    TextWriter nameWriter{&nameFont};

    HudSprites()
    {
        nameWriter.SetAlignment(TextWriter::kAlignCentre);
        nameWriter.SetColour(0xFF000000u);
    }
};

void TrainingMode::DrawHud()
{
    if (!m_pGame || !m_pHud)
        return;
    const int32_t state = m_pGame->GetState();
    if (state < kReady)
        return;
    HudSprites& hud = *m_pHud;
    const float now = m_fHudTime;
    const int32_t w = m_Owner.GetScreenWidth(), h = m_Owner.GetScreenHeight();
    const TrainingMove* move = m_pGame->GetCurrentMove();
    const int32_t number = m_pGame->GetMoveIndex() + 1, count = m_pGame->GetMoveCount();
    const char* first = "TRAINING_TRAINING_MOVE";
    const char* second = "TRAINING_FIRST_MOVE";
    bool banner = true;
    switch (state)
    {
    case kScoring:
        second = "TRAINING_EXPLAIN_SCORE";
        break;
    case kFailed:
        second = "TRAINING_MOVE_NOT_ADDED";
        break;
    case kAdded:
        first = "TRAINING_PERFORMING";
        second = "TRAINING_MOVE_ADDED";
        break;
    case kAllDone:
        first = "TRAINING_ALL_DONE";
        second = "TRAINING_ALL_DONE_2";
        break;
    case kPreview:
        banner = m_pGame->GetSubState() < 2;
        first = banner ? "TRAINING_PREVIEWING_MOVE" : "TRAINING_PREVIEW_OVER";
        second = "TRAINING_PREVIEW_QUIT";
        break;
    default:
        break;
    }
    if (state <= kAdded)
    {
        const int32_t b = h - 210;
        const float cx = 50.0f + static_cast<float>(hud.clock->GetWidth()) / 2.0f;
        const float cy = static_cast<float>(b) + static_cast<float>(hud.clock->GetHeight()) / 2.0f;
        hud.clock->Draw(50.0f, static_cast<float>(b), now);
        static constexpr float kKey[4][2] = {{103, -26}, {183, 53}, {103, 133}, {24, 53}};
        static constexpr float kFeedback[4][2] = {{86, -43}, {166, 36}, {86, 116}, {7, 36}};
        static constexpr float kGrade[4][2] = {{129, -14}, {209, 65}, {129, 145}, {50, 65}};
        for (int i = 0; i < 4; ++i)
        {
            const KeySlot& slot = m_pGame->GetSlots()[i];
            if (slot.key >= 0 && slot.key < 4)
            {
                Sprite& key = *hud.keys[slot.key];
                key.SetAlpha(static_cast<uint8_t>(std::clamp(slot.alpha, 0.0f, 255.0f)));
                key.Draw(kKey[i][0], static_cast<float>(b) + kKey[i][1], now);
            }
            if (slot.feedback)
            {
                hud.perfect->SetPlayMode(Sprite::PLAY_FORWARD_ONCE);
                hud.perfect->SetFrameRate(15);
                hud.perfect->SetStartTime(now - (m_pGame->GetTime() - slot.feedbackStart));
                hud.perfect->SetAlpha(static_cast<uint8_t>(std::clamp(slot.feedbackAlpha, 0.0f, 128.0f)));
                hud.perfect->Draw(kFeedback[i][0], static_cast<float>(b) + kFeedback[i][1], now);
            }
            if (slot.grade >= 0)
            {
                hud.grade->SetPlayMode(Sprite::PLAY_MANUAL);
                hud.grade->SetFrame(slot.grade);
                hud.grade->SetAlpha(255);
                hud.grade->Draw(kGrade[i][0], static_cast<float>(b) + kGrade[i][1] - slot.gradeRise, now);
            }
        }
        // The hand: a quad from the clock's centre outwards, turned by the clock angle.
        const float angle = m_pGame->GetClockAngle();
        const float c = std::cos(angle), sn = std::sin(angle);
        const float hw = static_cast<float>(hud.hand->GetWidth()) / 2.0f;
        const float hl = static_cast<float>(hud.hand->GetHeight());
        const auto turn = [&](float x, float y, float& outX, float& outY)
        {
            outX = cx + x * c - y * sn;
            outY = cy + x * sn + y * c;
        };
        float q[8];
        turn(-hw, -hl, q[0], q[1]);
        turn(hw, -hl, q[2], q[3]);
        turn(hw, 0.0f, q[4], q[5]);
        turn(-hw, 0.0f, q[6], q[7]);
        hud.hand->SetBlendFlag(true);
        hud.hand->DrawQuad(q[0], q[1], q[2], q[3], q[4], q[5], q[6], q[7], now);
        // The meter, and a white bar of 291 pixels at full score in proportion to the average so far.
        hud.meter->Draw(static_cast<float>(w - 383), static_cast<float>(h - 132), now);
        if (m_pGame->GetKeysJudged() > 0)
        {
            const float share = std::clamp(AverageScore(m_pGame->GetScoreSum(), m_pGame->GetKeysJudged()), 0.0f, 1.0f);
            const int32_t left = w - 383 + 40, top = h - 132 + 4;
            const int32_t bar[4] = {left, top, top + 8, left + static_cast<int32_t>(291.0f * share)};
            g_GraphicsManager.FillRect(bar, 0xFFFFFFFFu);
        }
    }
    if (state == kReady && m_pGame->GetCountIn() != 0)
    {
        hud.numbers->SetPlayMode(Sprite::PLAY_MANUAL);
        hud.numbers->SetFrame(m_pGame->GetCountIn() - 1);
        hud.numbers->SetAlpha(static_cast<uint8_t>(std::clamp(m_pGame->GetCountInAlpha(), 0.0f, 255.0f)));
        hud.numbers->Draw(static_cast<float>(w / 2 - 82), 200.0f, now);
    }
    const int32_t x0 = (w - hud.banner->GetWidth()) / 2;
    hud.banner->Draw(static_cast<float>(x0), 28.0f, now);
    if (banner && move && !move->sprite.empty())
    {
        if (hud.iconName != move->sprite)
        {
            hud.icon = HudSprites::Make(move->sprite.c_str());
            hud.iconName = move->sprite;
        }
        hud.icon->Draw(static_cast<float>(x0 + 19), 46.0f, now);
    }
    // The GUI's writer of font 1, or of its only font when the script has one.
    TextWriter* writer = m_Owner.GetTextWriter(1);
    if (!writer || !writer->GetFont())
        writer = m_Owner.GetTextWriter(0);
    if (!writer)
        return;
    const uint32_t colour = writer->GetColour();
    const int alignment = writer->GetAlignment();
    const int rx = writer->GetX(), ry = writer->GetY(), rw = writer->GetWidth(), rh = writer->GetHeight();
    writer->SetAlignment(TextWriter::kAlignCentre);
    writer->SetColour(0xFF000000u);
    const auto line = [](TextWriter& out, int x, int y, int width, int height, const char16_t* text)
    {
        out.SetRect(x, y, width, height);
        out.DrawLine(0, 0, text);
    };
    // The move's name in the large font (the GUI's when the large one has no glyphs).
    if (banner && move)
        line(hud.nameFont.GetHeight() > 0 ? hud.nameWriter : *writer, x0 + 77, 62, 238, 34,
             TableText(move->title.c_str()));
    line(*writer, x0 + 77, 47, 239, 15, FormatTableText(first, {number, count}).c_str());
    line(*writer, x0 + 12, 111, 335, 15, FormatTableText(second, {number, count}).c_str());
    if (state == kReady && m_pGame->GetCountIn() != 0 && m_pGame->GetCountIn() != 4)
    {
        writer->SetColour(0xFFFF733Du);
        line(*writer, 0, 150, w, 20, TableText("TRAINING_READY"));
    }
    writer->SetRect(rx, ry, rw, rh);
    writer->SetAlignment(alignment);
    writer->SetColour(colour);
}
