// AnimalObject: creation, the frame's desires, opinions and health, messages through the script, the script's
// variables and functions, path animations, the panel, selling and the save record.
#include "park/AnimalObject.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/core/TextFormat.h"
#include "engine/media/SoundManager.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "park/BuildingObject.h"
#include "park/Money.h"
#include "park/ParkGui.h"
#include "platform/Random.h"
#include "scripts/ObjectScript.h"
#include "scripts/ObjectStates.h"
#include "scripts/ScriptManager.h"
#include "scripts/WorldParams.h"
#include "world/AnimalModelNames.h"
#include "world/CreationRequests.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>

namespace
{

// The type of an animal whose keyword the tables do not hold.
const AnimalInfo kNoType{};

// The play type of an animation that runs until it is replaced.
constexpr uint32_t kLoopPlay = 0;

float Random01()
{
    return static_cast<float>(platform::Rand()) / static_cast<float>(platform::kRandMax);
}

struct PathAnimation
{
    const char* name;
    int32_t action;
};

constexpr PathAnimation kPathAnimations[] = {{"PathMove", ANIMAL_ACTION_MOVE},
                                             {"PathEat", ANIMAL_ACTION_EAT},
                                             {"PathPlay", ANIMAL_ACTION_PLAY},
                                             {"PathRest", ANIMAL_ACTION_REST}};

} // namespace

AnimalObject::AnimalObject() : MovingObject(OBJECT_ANIMAL) {}

AnimalObject::~AnimalObject() = default;

const AnimalInfo& AnimalObject::GetAnimalInfo() const
{
    return m_pInfo ? *m_pInfo : kNoType;
}

BuildingObject* AnimalObject::Home() const
{
    return g_pObjectManager ? dynamic_cast<BuildingObject*>(g_pObjectManager->GetObject(m_dwHomeID)) : nullptr;
}

// ---------------------------------------------------------------- creation

void AnimalObject::Create(const char* name)
{
    MovingObject::Create(name);
    m_pInfo = nullptr;
    if (g_pWorldParams && g_pWorldParams->GetAnimalCount() > 0)
    {
        // An unknown keyword is reported and stands for the first type, as saved games expect.
        int32_t type = g_pWorldParams->FindAnimal(m_Name);
        if (type == WorldParams::kNotFound)
            type = g_pWorldParams->GetAnimalID(m_Name);
        m_pInfo = &g_pWorldParams->GetAnimalInfo(type);
    }
    const AnimalInfo& info = GetAnimalInfo();
    m_pScript =
        g_pScriptManager ? g_pScriptManager->GetScript(info.bUsePoints ? "AnimalLogic" : "AnimalPathLogic") : nullptr;
    SetDirection(2 * (platform::Rand() % 4));
    for (float& desire : m_Desires)
        desire = Random01();
    // Drawn by health level, rest before play; kept by desire, ill to happy.
    const float bounds[HEALTH_COUNT][DESIRE_COUNT][2] = {
        {{info.fRestDesireIllLow, info.fRestDesireIllHigh}, {info.fPlayDesireIllLow, info.fPlayDesireIllHigh}},
        {{info.fRestDesireSadLow, info.fRestDesireSadHigh}, {info.fPlayDesireSadLow, info.fPlayDesireSadHigh}},
        {{info.fRestDesireHappyLow, info.fRestDesireHappyHigh}, {info.fPlayDesireHappyLow, info.fPlayDesireHappyHigh}}};
    for (int32_t health = 0; health < HEALTH_COUNT; ++health)
    {
        for (int32_t desire = 0; desire < DESIRE_COUNT; ++desire)
        {
            const float low = bounds[health][desire][0], high = bounds[health][desire][1];
            m_DesireIncs[desire * static_cast<int32_t>(HEALTH_COUNT) + health] = low + Random01() * (high - low);
        }
    }
    for (float& opinion : m_Opinions)
        opinion = 1.0f;
    m_bIllLocked = false;
    UpdateHappiness();
    const float age = Random01();
    m_eAnimalAge = age > 0.75f ? AGE_OLD : age > 0.25f ? AGE_ADULT : AGE_YOUNG;
    m_pMessage = nullptr;
    m_iLastMoveDir = m_iDirection;
    SetMaxVelocity(info.fMoveSpeed);
    if (info.bNoPathAnims)
    {
        char path[256];
        std::snprintf(path, sizeof path, "%s%s/%s_mesh%s", WorldParams::GetAnimalModelPath(), info.keyword,
                      info.keyword, WorldParams::GetModelExtension());
        if (SetModel(path) == 0 && SetModel(kFallbackModel) == 0 && g_ModelManager.GetCapacity() > 0)
        {
            // A missing model must not end the game: the placeholder every missing model shows stands in.
            GetLogger()->Report(1, "AnimalObject::Create - can't load the model of %s: the placeholder stands in",
                                m_Name);
            SetModel(ModelManager::kPlaceholderName);
        }
        SetAnimationCount(1);
        SetAnimation(0, m_hModel);
        g_AnimationScheduler.Play(this, GetAnimation(0), 0, kLoopPlay);
    }
    if (g_pWorld && g_pWorld->GetScene() && !GetScene())
        g_pWorld->GetScene()->AddObject(this);
    // A path animal shows while a path carries it; one that walks the points (which nothing carries) shows at
    // once, or it would never be seen.
    SetVisible(info.bUsePoints);
    m_bFeedingTime = false;
    m_bItsShowTime = false;
}

bool AnimalObject::SetUpFromRequest(uint8_t kind, const void* request)
{
    if (kind == OBJECT_ANIMAL && request)
        m_dwHomeID = static_cast<const AnimalCreationRequest*>(request)->dwHome;
    // It stands where the World put it until it first moves.
    const platform::Vec3 scene = WorldMap::WorldToScene(m_WorldXYZ);
    SetPosition(scene.x, 0.0f, scene.z);
    return true;
}

void AnimalObject::SetDirection(int32_t direction)
{
    MovingObject::SetDirection(direction);
    if (GetAnimalInfo().bUsePoints)
        SetOrientation(0.0f, GetRotation(), 0.0f);
}

// ---------------------------------------------------------------- states and the frame

bool AnimalObject::IsStateSupported(uint32_t state)
{
    return state == STATE_NULL || state == STATE_STARTUP ||
           (state >= STATE_ANIMAL_EAT && state <= STATE_ANIMAL_GO_SHOW);
}

bool AnimalObject::OnStateEntry(uint32_t state)
{
    if (state == STATE_STARTUP)
    {
        MessageRecord created;
        created.dwSender = m_dwID;
        created.dwReciever = m_dwHomeID;
        created.dwType = MT_ANIMAL_CREATED;
        created.dwData2 = m_dwState;
        PostMessage(created);
    }
    if (m_pScript)
        m_pScript->PerformOnEntry(*this, state);
    return true;
}

bool AnimalObject::OnStateExit()
{
    if (m_pScript)
        m_pScript->PerformOnExit(*this, m_dwState);
    return true;
}

int32_t AnimalObject::GetHealthLevel() const
{
    if (m_bIllLocked)
        return HEALTH_ILL;
    return m_fHappiness > kHappy ? HEALTH_HAPPY : m_fHappiness > kUnwell ? HEALTH_SAD : HEALTH_ILL;
}

float AnimalObject::GetDesireIncrease(int32_t desire, int32_t health) const
{
    if (desire < 0 || desire >= DESIRE_COUNT || health < 0 || health >= HEALTH_COUNT)
        return 0.0f;
    return m_DesireIncs[desire * static_cast<int32_t>(HEALTH_COUNT) + health];
}

float AnimalObject::GetOpinion(int32_t index) const
{
    return index >= 0 && index < OPINION_COUNT ? m_Opinions[index] : 0.0f;
}

float AnimalObject::GetSaleValue() const
{
    return kSaleShare * GetAnimalInfo().fCost;
}

void AnimalObject::UpdateHappiness()
{
    m_fHappiness =
        (m_Opinions[OPINION_CROWDING] + m_Opinions[OPINION_CLEANLINESS] + m_Opinions[OPINION_FOOD]) * 0.333333f;
    if (!m_bIllLocked && m_fHappiness < kUnwell)
    {
        MessageRecord call;
        call.dwSender = m_dwID;
        call.dwReciever = m_dwHomeID;
        call.dwType = MT_CALL_ZOO;
        call.dwData2 = m_dwState;
        PostMessage(call);
        m_bIllLocked = true;
    }
}

bool AnimalObject::Update()
{
    const float dt = g_pWorld ? g_pWorld->GetGameDeltaTime() : 0.0f;
    const int32_t day = g_pWorld ? g_pWorld->GetDayLength() : 0;
    const AnimalInfo& info = GetAnimalInfo();
    if (day > 0)
    {
        const float length = static_cast<float>(day);
        const int32_t health = GetHealthLevel();
        for (int32_t desire = 0; desire < DESIRE_COUNT; ++desire)
        {
            if (m_Desires[desire] < 1.0f)
                m_Desires[desire] += m_DesireIncs[desire * static_cast<int32_t>(HEALTH_COUNT) + health] / length * dt;
        }
        // The home's state reaches the animal only while the home stands.
        if (const BuildingObject* home = Home())
        {
            m_Opinions[OPINION_CLEANLINESS] = home->GetRepairCondition();
            const float crowding = home->GetInfo().fOptimumAnimalIn - home->GetAnimalIntensity();
            const float change = crowding / static_cast<float>(std::max(day / 2, 1)) * dt;
            m_Opinions[OPINION_CROWDING] = std::clamp(m_Opinions[OPINION_CROWDING] + change, 0.0f, 1.0f);
        }
        m_Opinions[OPINION_FOOD] = std::max(m_Opinions[OPINION_FOOD] - info.fFoodDecay / length * dt, 0.0f);
        UpdateHappiness();
    }
    if (!MovingObject::Update())
        GetLogger()->Report(0, "AnimalObject::Update - error calling MovingObject::update - %s", m_Name);
    if (m_pScript)
        m_pScript->PerformOnUpdate(*this, m_dwState);
    return true;
}

// ---------------------------------------------------------------- messages

bool AnimalObject::Message(const MessageRecord& record)
{
    if (record.dwType == MT_ANIMAL_FEEDING_TIME)
    {
        m_bFeedingTime = true;
    }
    else if (record.dwType == MT_ANIMAL_ZOO_VISITED)
    {
        m_bIllLocked = false;
        m_Opinions[OPINION_FOOD] = 1.0f;
        // Its happiness follows at once: its home, which may look before the animal's next frame, must not call a
        // zookeeper again for an animal just cared for. (Fed, it is never low enough to call one itself.)
        UpdateHappiness();
    }
    else if (record.dwType == MT_ANIMAL_SHOW_FINISHED)
    {
        // The show it was called to is over: one that has not come yet must not start another for empty stands.
        m_bItsShowTime = false;
    }
    const MessageRecord* previous = m_pMessage;
    m_pMessage = &record;
    bool handled = m_pScript && m_pScript->PerformOnReceipt(*this, record);
    if (!handled)
        handled = MovingObject::Message(record);
    m_pMessage = previous;
    return handled;
}

bool AnimalObject::PostMessage(MessageRecord record)
{
    return m_pScript && m_pScript->SendMessage(*this, record);
}

bool AnimalObject::PostDelayedMessage(MessageRecord record, float delay)
{
    return m_pScript && m_pScript->SendDelayedMessage(*this, record, delay);
}

void AnimalObject::SendSelf(uint32_t type, uint32_t flags, uint32_t data, uint32_t state)
{
    MessageRecord record = SelfMessage(type, flags, data);
    record.dwData2 = state;
    PostMessage(record);
}

void AnimalObject::ChangeState(uint32_t state)
{
    SendSelf(MT_STATECHANGE, 0, state, m_dwState);
}

void AnimalObject::MoveTo(const platform::Vec3& point)
{
    // The point's map position as whole numbers (a point off the map reads 0).
    const auto whole = [](float v)
    { return std::isfinite(v) && v >= 0.0f && v < 4294967296.0f ? static_cast<uint32_t>(v) : 0u; };
    SendSelf(MT_MOVE_DIRECT_2POINT, whole(point.x), whole(point.y), m_dwState);
}

// ---------------------------------------------------------------- script variables and functions

ScriptValue AnimalObject::GetScriptVariable(const ScriptOperand& operand)
{
    switch (operand.id)
    {
    case VAR_MESS_DATA:
        return ScriptValue::UInt(m_pMessage ? m_pMessage->dwData : 0);
    case VAR_ACTION_STATE:
        return ScriptValue::UInt(m_ActionState);
    case VAR_MESS_STATE:
        return ScriptValue::UInt(m_pMessage ? m_pMessage->dwData2 : 0);
    case VAR_HOME:
        return ScriptValue::UInt(m_dwHomeID);
    case VAR_EAT_COUNT:
        return ScriptValue::UInt(m_EatCount);
    case VAR_PLAY_COUNT:
        return ScriptValue::UInt(m_PlayCount);
    case VAR_REST_COUNT:
        return ScriptValue::UInt(m_RestCount);
    default:
        return MovingObject::GetScriptVariable(operand);
    }
}

void AnimalObject::SetScriptVariable(const ScriptOperand& operand, const ScriptValue& value)
{
    uint32_t* target = operand.id == VAR_ACTION_STATE ? &m_ActionState
                       : operand.id == VAR_EAT_COUNT  ? &m_EatCount
                       : operand.id == VAR_PLAY_COUNT ? &m_PlayCount
                       : operand.id == VAR_REST_COUNT ? &m_RestCount
                                                      : nullptr;
    if (target)
        *target = ScriptValueToInt(value);
    else
        MovingObject::SetScriptVariable(operand, value);
}

void AnimalObject::CallScriptFunction(uint32_t function)
{
    const AnimalInfo& info = GetAnimalInfo();
    switch (function)
    {
    case FN_CHECK_DESIRES:
        CheckDesires();
        break;
    case FN_FIND_EAT_POINT:
        FindEatPoint();
        break;
    case FN_FIND_WANDER_POINT:
        FindWanderPoint();
        break;
    case FN_FREE_EAT_POINT:
        FreeEatPoint();
        break;
    case FN_DO_MOVE_DELAY:
    {
        MessageRecord next = SelfMessage(MT_DO_NEXT_ACTION);
        next.dwData2 = STATE_ANIMAL_MOVEAROUND;
        PostDelayedMessage(next, info.fMoveDelay);
        break;
    }
    case FN_FIND_EAT_NODE:
        FindEatNode();
        break;
    case FN_NEXT_EAT_NODE:
        NextEatNode();
        break;
    case FN_SET_EAT_COUNT:
        m_EatCount = static_cast<uint32_t>(info.iEatCount);
        break;
    case FN_SET_PLAY_COUNT:
        m_PlayCount = static_cast<uint32_t>(info.iPlayCount);
        break;
    case FN_SET_REST_COUNT:
        m_RestCount = static_cast<uint32_t>(info.iRestCount);
        break;
    case FN_PLAY_ANIMAL_SOUND:
        PlayAnimalSound();
        break;
    default:
        break;
    }
}

void AnimalObject::CheckDesires()
{
    if (m_bItsShowTime)
    {
        m_bItsShowTime = false;
        ChangeState(STATE_ANIMAL_GO_SHOW);
        return;
    }
    if (m_bFeedingTime)
    {
        m_bFeedingTime = false;
        ChangeState(STATE_ANIMAL_GO_EAT);
        return;
    }
    static constexpr uint32_t kDesireStates[DESIRE_COUNT] = {STATE_ANIMAL_REST, STATE_ANIMAL_PLAY};
    for (int32_t desire = 0; desire < DESIRE_COUNT; ++desire)
    {
        if (m_Desires[desire] > kDesireUrge && m_dwState != kDesireStates[desire])
        {
            m_Desires[desire] = 0.0f;
            ChangeState(kDesireStates[desire]);
            return;
        }
    }
}

void AnimalObject::FindEatPoint()
{
    m_iPointUsing = -1;
    BuildingObject* home = Home();
    if (!home)
        return;
    for (int32_t point = 0; point < home->GetEatPointCount(); ++point)
    {
        platform::Vec3 at;
        if (home->IsEatPointInUse(point) || !home->GetEatPoint(point, at))
            continue;
        home->SetEatPointInUse(point, true);
        m_iPointUsing = point;
        MoveTo(at);
        return;
    }
}

void AnimalObject::FreeEatPoint()
{
    BuildingObject* home = Home();
    if (home && m_iPointUsing >= 0)
        home->SetEatPointInUse(m_iPointUsing, false);
    // Given up, the point may be the next animal's: this one must not free it again.
    m_iPointUsing = -1;
}

void AnimalObject::FindWanderPoint()
{
    const GridPos cell = GetGridPos();
    const auto open = [](const GridPos& pos)
    { return g_pWorldMap && g_pWorldMap->IsValidGridPos(pos) && (g_pWorldMap->GetFlags(pos) & kWanderCell) != 0; };
    bool found = m_iLastMoveDir >= 0 && m_iLastMoveDir < 8 && open(WorldMap::GetNeighbourPos(cell, m_iLastMoveDir));
    for (int32_t draw = 0; draw < kWanderDraws && !found; ++draw)
    {
        m_iLastMoveDir = platform::Rand() & 7;
        found = open(WorldMap::GetNeighbourPos(cell, m_iLastMoveDir));
    }
    if (!found)
    {
        SendSelf(MT_CANT_MOVE, 0, 0, m_dwState);
        return;
    }
    GridPos target = WorldMap::GetNeighbourPos(cell, m_iLastMoveDir);
    // Steps on in the same direction while the next cell is open; the map's edge ends every run.
    if (GetAnimalInfo().bMoveMultiple)
    {
        while (open(WorldMap::GetNeighbourPos(target, m_iLastMoveDir)))
            target = WorldMap::GetNeighbourPos(target, m_iLastMoveDir);
    }
    MoveTo(WorldMap::GetCellPoint(target, 4));
}

void AnimalObject::FindEatNode()
{
    const BuildingObject* home = Home();
    if (!home)
        return;
    int32_t nearest = -1;
    float best = 0.0f;
    platform::Vec3 bestAt;
    for (int32_t node = 0; node < home->GetEatNodeCount(); ++node)
    {
        platform::Vec3 at;
        if (!home->GetEatNode(node, at))
            continue;
        const float dx = at.x - m_WorldXYZ.x, dy = at.y - m_WorldXYZ.y, dz = m_WorldXYZ.z;
        const float distance = dx * dx + dy * dy + dz * dz;
        if (nearest < 0 || distance < best)
        {
            nearest = node;
            best = distance;
            bestAt = at;
        }
    }
    if (nearest < 0)
        return;
    m_iEatNode = nearest;
    MoveTo(bestAt);
}

void AnimalObject::NextEatNode()
{
    --m_iEatNode;
    platform::Vec3 at;
    const BuildingObject* home = Home();
    // A node the home no longer has ends the walk as the last node does.
    if (m_iEatNode >= 0 && home && home->GetEatNode(m_iEatNode, at))
    {
        MoveTo(at);
        return;
    }
    if (m_iEatNode < 0)
        m_iEatNode = -1;
    MessageRecord next = SelfMessage(MT_DO_NEXT_ACTION);
    next.dwData2 = STATE_ANIMAL_GO_EAT;
    PostMessage(next);
}

void AnimalObject::PlayAnimalSound()
{
    float chance = 0.0f;
    switch (m_dwState)
    {
    case STATE_ANIMAL_PLAY:
    case STATE_ANIMAL_REST:
    case STATE_ANIMAL_GO_EAT:
        chance = kActiveSoundChance;
        break;
    case STATE_ANIMAL_MOVEAROUND:
        chance = kMovingSoundChance;
        break;
    default:
        return;
    }
    const AnimalInfo& info = GetAnimalInfo();
    if (Random01() >= chance || strcasecmp(info.szSoundName, "NONE") == 0 || info.szSoundName[0] == 0)
        return;
    if (g_pSoundManager)
    {
        const platform::Vec3 at = WorldMap::WorldToScene(m_WorldXYZ);
        const float position[3] = {at.x, at.y, at.z};
        g_pSoundManager->PlaySample3D(info.szSoundName, position, 1, -1);
    }
}

// ---------------------------------------------------------------- animations and drawing

void AnimalObject::PlayMesh(int32_t action)
{
    const AnimalInfo& info = GetAnimalInfo();
    const int32_t count = AnimalMeshCount(info, action);
    if (count <= 0)
        return;
    int32_t index = 0;
    if (!info.bMatchMesh)
        index = platform::Rand() % count;
    else if (m_PathSlotNumber != kNoSlot)
        index = static_cast<int32_t>(m_PathSlotNumber);
    const std::string name = AnimalMeshName(info.keyword, action, index);
    SetModel(name.c_str());
    SetAnimationCount(1);
    LoadAnimation(0, name.c_str());
    // Played from its start for as long as it is not replaced; the replaced animation sends no end message.
    m_EndAnimMessage = MT_NUM_MESSAGES;
    g_AnimationScheduler.Play(this, GetAnimation(0), 0, kLoopPlay);
}

void AnimalObject::PlayAnimation(const char* name, bool, uint32_t, bool, const char*)
{
    for (const PathAnimation& path : kPathAnimations)
    {
        if (name && std::strcmp(name, path.name) == 0)
        {
            PlayMesh(path.action);
            return;
        }
    }
}

bool AnimalObject::Render()
{
    if (!m_bVisible || m_hModel == SceneObject::kNoModel || m_hModel == 0)
        return false;
    g_GraphicsManager.DrawAnimatedModel(m_hModel, m_CurrentAnimation, m_uVisibility, m_CurrentFrame, m_Pos, m_Ori, 0);
    return true;
}

// ---------------------------------------------------------------- the panel, the home, selling

void AnimalObject::OnSelected(bool selected, bool /*lookAt*/)
{
    if (!selected)
    {
        if (m_SelectLevel == 0)
            m_SelectLevel = 1;
        return;
    }
    ParkGui* gui = GetParkGui();
    if (m_SelectLevel == 2)
    {
        if (gui)
            gui->CloseDialogsOfListener(this);
        m_SelectLevel = 0;
        return;
    }
    // Pointed at first or not, one animal's panel is open at a time. (Looking at the animal comes with the
    // camera's commands.)
    if (g_pObjectManager)
        g_pObjectManager->ClosePanelsOfKind(OBJECT_ANIMAL);
    if (gui)
        gui->OpenDialog(kPanel, this);
    m_SelectLevel = 2;
}

void AnimalObject::ClosePanel()
{
    if (m_SelectLevel == 2)
    {
        if (ParkGui* gui = GetParkGui())
            gui->CloseDialogsOfListener(this);
    }
    m_SelectLevel = 0;
}

void AnimalObject::ResetPanelState()
{
    m_SelectLevel = 0;
}

void AnimalObject::SetShowTime()
{
    if (GetAnimalInfo().bShowAnimal)
        m_bItsShowTime = true;
}

void AnimalObject::Sell()
{
    // Sold once: an animal already going is not paid for again.
    if (m_bWaitingForDeath)
        return;
    FreeEatPoint();
    if (BuildingObject* home = Home())
        home->RemoveAnimal(m_dwID);
    if (g_pWorld && g_pWorld->GetPlayer())
        g_pWorld->GetPlayer()->Cash += RoundToCents(GetSaleValue());
    m_bWaitingForDeath = true;
}

void AnimalObject::GetVariable(const char* keyword, platform::WString& text)
{
    text.clear();
    const auto is = [keyword](const char* name) { return keyword && std::strcmp(keyword, name) == 0; };
    const auto real = [](float value) { return FormatChecked(u"%.2f", {static_cast<double>(value)}); };
    const AnimalInfo& info = GetAnimalInfo();
    if (is("ANIMAL_NAME"))
    {
        text = TableText((std::string("AT_") + info.keyword).c_str());
    }
    else if (is("ANIMAL_DESIRE"))
    {
        text = TableText(m_Desires[DESIRE_REST] >= m_Desires[DESIRE_PLAY] ? "AP_DESIRE_REST" : "AP_DESIRE_PLAY");
    }
    else if (is("ANIMAL_ACTIVITY"))
    {
        const char* activity = m_dwState == STATE_ANIMAL_EAT || m_dwState == STATE_ANIMAL_GO_EAT ? "AP_EATING"
                               : m_dwState == STATE_ANIMAL_PLAY                                  ? "AP_PLAYING"
                               : m_dwState == STATE_ANIMAL_REST                                  ? "AP_RESTING"
                               : m_dwState == STATE_ANIMAL_MOVEAROUND                            ? "AP_MOVING"
                                                                                                 : "AP_NOTHING";
        text = TableText(activity);
    }
    else if (is("ANIMAL_AGE"))
    {
        const char* ages[] = {"ANIMAL_AGE_YOUNG", "ANIMAL_AGE_ADULT", "ANIMAL_AGE_OLD"};
        if (m_eAnimalAge >= AGE_YOUNG && m_eAnimalAge <= AGE_OLD)
            text = TableText(ages[m_eAnimalAge]);
    }
    else if (is("ANIMAL_DESIRE_REST") || is("ANIMAL_DESIRE_PLAY"))
    {
        text = real(m_Desires[is("ANIMAL_DESIRE_REST") ? DESIRE_REST : DESIRE_PLAY]);
    }
    else if (keyword && std::strncmp(keyword, "ANIMAL_DESINC_", 14) == 0)
    {
        static constexpr const char* kRates[] = {"ANIMAL_DESINC_REST_ILL",   "ANIMAL_DESINC_REST_SAD",
                                                 "ANIMAL_DESINC_REST_HAPPY", "ANIMAL_DESINC_PLAY_ILL",
                                                 "ANIMAL_DESINC_PLAY_SAD",   "ANIMAL_DESINC_PLAY_HAPPY"};
        for (int32_t i = 0; i < kDesireIncCount; ++i)
        {
            if (is(kRates[i]))
            {
                text = real(m_DesireIncs[i]);
                return;
            }
        }
        GetLogger()->Report(0, "AnimalObject::GetVariable - data keyword not recognised - %s", keyword);
    }
    else if (is("ANIMAL_OPINION_FOOD") || is("ANIMAL_OPINION_CLEANLINESS") || is("ANIMAL_OPINION_CROWDING"))
    {
        text = real(m_Opinions[is("ANIMAL_OPINION_FOOD")          ? OPINION_FOOD
                               : is("ANIMAL_OPINION_CLEANLINESS") ? OPINION_CLEANLINESS
                                                                  : OPINION_CROWDING]);
    }
    else if (is("ANIMAL_HEALTH_LEVEL"))
    {
        const char* levels[] = {"ANIMAL_HEALTH_ILL", "ANIMAL_HEALTH_SAD", "ANIMAL_HEALTH_HAPPY"};
        text = TableText(levels[GetHealthLevel()]);
    }
    else if (is("ANIMAL_HEALTH"))
    {
        text = real(m_fHappiness);
    }
    else if (is("ANIMAL_STATE_STRING"))
    {
        text = platform::AnsiToWide(StateName(m_dwState));
    }
    else if (is("ANIMAL_CONFIRM_SELL"))
    {
        const float value = GetSaleValue();
        const long long dollars = std::isfinite(value) ? static_cast<long long>(std::clamp(value, -2e9f, 2e9f)) : 0;
        text = FormatTableText("ANIMAL_CONFIRM_SELL", {dollars});
    }
    else
    {
        GetLogger()->Report(0, "AnimalObject::GetVariable - data keyword not recognised - %s", keyword ? keyword : "");
    }
}

// ---------------------------------------------------------------- save record

void AnimalObject::Dump(SerialStream& stream)
{
    stream.WriteArray("m_Desires", m_Desires, DESIRE_COUNT);
    stream.WriteArray("m_DesireIncs", m_DesireIncs, kDesireIncCount);
    stream.WriteArray("m_Opinions", m_Opinions, OPINION_COUNT);
    stream.WriteUInt("m_dwHomeID", m_dwHomeID);
    stream.WriteFloat("m_fHappiness", m_fHappiness);
    stream.WriteBool("m_bIllLocked", m_bIllLocked);
    stream.WriteInt("m_eAnimalAge", m_eAnimalAge);
    stream.WriteInt("m_iPointUsing", m_iPointUsing);
    stream.WriteInt("m_iEatNode", m_iEatNode);
    stream.WriteInt("m_iSleepNode", m_iSleepNode);
    stream.WriteInt("m_iLastMoveDir", m_iLastMoveDir);
    stream.WriteUInt("m_ActionState", m_ActionState);
    stream.WriteUInt("m_EatCount", m_EatCount);
    stream.WriteUInt("m_PlayCount", m_PlayCount);
    stream.WriteUInt("m_RestCount", m_RestCount);
    stream.WriteBool("m_bFeedingTime", m_bFeedingTime);
    stream.WriteBool("m_bItsShowTime", m_bItsShowTime);
    stream.WriteUInt("m_PathSlotNumber", m_PathSlotNumber);
    MovingObject::Dump(stream);
}

bool AnimalObject::Load(SerialStream& stream)
{
    float desires[DESIRE_COUNT] = {}, incs[kDesireIncCount] = {}, opinions[OPINION_COUNT] = {};
    uint32_t home = 0, action = 0, eat = 0, play = 0, rest = 0, slot = 0;
    float happiness = 0.0f;
    bool locked = false, feeding = false, show = false;
    int32_t age = 0, point = 0, node = 0, sleep = 0, direction = 0;
    stream.ReadArray(desires, DESIRE_COUNT);
    stream.ReadArray(incs, kDesireIncCount);
    stream.ReadArray(opinions, OPINION_COUNT);
    stream.ReadUInt(&home);
    stream.ReadFloat(&happiness);
    stream.ReadBool(&locked);
    for (int32_t* value : {&age, &point, &node, &sleep, &direction})
        stream.ReadInt(value);
    for (uint32_t* value : {&action, &eat, &play, &rest})
        stream.ReadUInt(value);
    stream.ReadBool(&feeding);
    stream.ReadBool(&show);
    stream.ReadUInt(&slot);
    const auto finite = [](const float* values, int32_t count)
    { return std::all_of(values, values + count, [](float v) { return std::isfinite(v); }); };
    const bool good = stream.Good() && finite(desires, DESIRE_COUNT) && finite(incs, kDesireIncCount) &&
                      std::all_of(opinions, opinions + OPINION_COUNT, [](float v) { return v >= 0.0f && v <= 1.0f; }) &&
                      std::isfinite(happiness) && age >= AGE_YOUNG && age <= AGE_OLD && point >= -1 &&
                      point < BuildingObject::kMaxEatPoints && node >= -1 && direction >= 0 && direction < 8 &&
                      (slot == kNoSlot || slot < AnimalPathComponent::kSlots);
    if (!good)
    {
        GetLogger()->Report(0, "AnimalObject::Load - the saved animal %s is damaged or cut short", m_Name);
        return false;
    }
    std::copy(desires, desires + DESIRE_COUNT, m_Desires);
    std::copy(incs, incs + kDesireIncCount, m_DesireIncs);
    std::copy(opinions, opinions + OPINION_COUNT, m_Opinions);
    m_dwHomeID = home;
    m_fHappiness = happiness;
    m_bIllLocked = locked;
    m_eAnimalAge = age;
    m_iPointUsing = point;
    m_iEatNode = node;
    m_iSleepNode = sleep;
    m_iLastMoveDir = direction;
    m_ActionState = action;
    m_EatCount = eat;
    m_PlayCount = play;
    m_RestCount = rest;
    m_bFeedingTime = feeding;
    m_bItsShowTime = show;
    m_PathSlotNumber = slot;
    // Handles are numbered in the order models are first loaded, which differs from run to run. An animal that
    // shows its action meshes lists them all while its record loads, so the saved animation finds its own mesh
    // again, and the animal shows that mesh (not whatever model the saved handle names in this run).
    const AnimalInfo& info = GetAnimalInfo();
    std::vector<std::string> meshes;
    if (!info.bNoPathAnims)
        meshes = AnimalMeshNames(info);
    if (!meshes.empty())
    {
        SetAnimationCount(static_cast<uint32_t>(meshes.size()));
        for (uint32_t i = 0; i < meshes.size(); ++i)
            LoadAnimation(i, meshes[i].c_str());
    }
    if (!MovingObject::Load(stream))
        return false;
    if (!meshes.empty())
    {
        const uint32_t playing = GetCurrentAnimation();
        size_t shown = meshes.size();
        for (size_t i = 0; i < meshes.size() && shown == meshes.size(); ++i)
        {
            if (playing != 0 && GetAnimation(static_cast<uint32_t>(i)) == playing)
                shown = i;
        }
        for (size_t i = 0; i < meshes.size() && shown == meshes.size(); ++i)
        {
            if (m_hModel != 0 && GetAnimation(static_cast<uint32_t>(i)) == m_hModel)
                shown = i;
        }
        if (shown < meshes.size())
        {
            const uint32_t animation = GetAnimation(static_cast<uint32_t>(shown));
            SetModel(meshes[shown].c_str());
            SetAnimationCount(1);
            SetAnimation(0, animation);
        }
        else
        {
            // No mesh of its own stands for the saved handles: the animal shows nothing until it plays a mesh.
            SetAnimationCount(0);
            if (m_hModel != 0 && m_hModel != kNoModel)
            {
                m_hModel = kNoModel;
                SetupModelData();
            }
        }
    }
    return true;
}
