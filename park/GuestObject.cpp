// GuestObject: creation, the frame, messages, animations, drawing, the panel's opening and the save record.
#include "park/GuestObject.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/core/TextFormat.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/BillboardList.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "park/BuildingObject.h"
#include "park/ParkGui.h"
#include "park/ParkViews.h"
#include "platform/Random.h"
#include "scripts/ObjectScript.h"
#include "scripts/ObjectStates.h"
#include "scripts/ScriptManager.h"
#include "scripts/WorldParams.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{

// The type of a guest whose keyword the tables do not hold and that has no first type to fall back to.
const GuestInfo kNoType{};

constexpr const char* kScriptName = "GuestLogic";
constexpr const char* kPanel = "GuestPanel";
// Longest name a saved guest may hold.
constexpr uint32_t kSavedNameSize = 256;

float Random01()
{
    return static_cast<float>(platform::Rand()) / static_cast<float>(platform::kRandMax);
}

} // namespace

GuestObject::GuestObject() : HumanObject(3), m_pGuestType(&kNoType) {}

GuestObject::~GuestObject()
{
    if (m_pSeatHolder)
        m_pSeatHolder->RemoveAttachment(this);
    if (g_pWorld && g_pWorld->GetScene())
        g_pWorld->GetScene()->RemoveObject(this);
}

// ---------------------------------------------------------------- creation

float GuestObject::Held(float value)
{
    return std::isnan(value) ? 0.0f : std::clamp(value, -FLT_MAX, FLT_MAX);
}

float GuestObject::DrawRate(int32_t desire) const
{
    const GuestInfo& t = *m_pGuestType;
    float low = 0.0f, high = 0.0f;
    switch (desire)
    {
    case DESIRE_MEALS:
        low = t.fMealsDesireMin, high = t.fMealsDesireMax;
        break;
    case DESIRE_SNACKS:
        low = t.fSnacksDesireMin, high = t.fSnacksDesireMax;
        break;
    case DESIRE_ANIMAL_ATTRACT:
        low = t.fAnimalAttracDesireMin, high = t.fAnimalAttracDesireMax;
        break;
    case DESIRE_ANIMAL_SHOW:
        low = t.fAnimalShowDesireMin, high = t.fAnimalShowDesireMax;
        break;
    case DESIRE_AMUSEMENT:
        low = t.fAmuseDesireMin, high = t.fAmuseDesireMax;
        break;
    case DESIRE_RIDE:
        low = t.fRideDesireMin, high = t.fRideDesireMax;
        break;
    case DESIRE_RETAIL:
        low = t.fRetailDesireMin, high = t.fRetailDesireMax;
        break;
    case DESIRE_REST:
        low = t.fRestDesireMin, high = t.fRestDesireMax;
        break;
    default:
        return 0.0f;
    }
    const int32_t day = g_pWorld ? g_pWorld->GetDayLength() : 0;
    // Worked in doubles: the span between the widest bounds the type may give is beyond the reals.
    const double perDay = static_cast<double>(Random01()) * (static_cast<double>(Held(high)) - Held(low)) + Held(low);
    // The data give growth per game day.
    return day > 0 ? static_cast<float>(
                         std::clamp(perDay / day, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)))
                   : 0.0f;
}

void GuestObject::Create(const char* name)
{
    HumanObject::Create(name);
    m_pGuestType = &kNoType;
    if (g_pWorldParams && g_pWorldParams->GetGuestCount() > 0)
        m_pGuestType = &g_pWorldParams->GetGuestInfo(g_pWorldParams->GetGuestID(m_Name));
    const GuestInfo& t = *m_pGuestType;

    for (int32_t d : {DESIRE_MEALS, DESIRE_SNACKS, DESIRE_ANIMAL_ATTRACT, DESIRE_ANIMAL_SHOW, DESIRE_AMUSEMENT,
                      DESIRE_RIDE, DESIRE_RETAIL, DESIRE_REST})
        m_person[d] = DrawRate(d);
    m_person[DESIRE_TOILET] = 0.0f;
    m_person[DESIRE_CASH] = 0.0f;

    const float prefs[kPreferenceDesires] = {t.fMealsPrefInten,      t.fSnacksPrefInten, t.fAnimalAttractPrefInten,
                                             t.fAnimalShowPrefInten, t.fAmusePrefInten,  t.fRidePrefInten,
                                             t.fRetailPrefInten};
    std::transform(std::begin(prefs), std::end(prefs), m_DesirePrefs, Held);
    const float tolerances[TOL_COUNT] = {t.fBeautyTolLow, t.fBeautyTolHigh, t.fAnimalTolLow, t.fAnimalTolHigh,
                                         t.fPriceTolLow,  t.fPriceTolHigh,  t.fCleanTolLow,  t.fCleanTolHigh};
    std::transform(std::begin(tolerances), std::end(tolerances), m_Tolerance, Held);

    const float rating = g_pWorld ? static_cast<float>(g_pWorld->GetParkRating()) * 0.01f : 0.0f;
    std::fill(std::begin(m_opinion), std::end(m_opinion), rating);
    for (float& desire : m_desires)
        desire = Random01();
    m_desires[DESIRE_CASH] = 0.0f;
    m_bLastGood = false;
    m_bLastBad = false;
    m_bMissedPurchase = true;
    UpdateHappiness();

    m_pScript = g_pScriptManager ? g_pScriptManager->GetScript(kScriptName) : nullptr;
    m_cash = Held(t.fMoney);

    m_name.clear();
    if (g_pWorldParams)
    {
        const char* first = g_pWorldParams->GetRandomFirstName(t.iGender == kFemale ? kFemale : kMale);
        const char* surname = g_pWorldParams->GetRandomSurname();
        m_name = TableText(first);
        m_name += u" ";
        m_name += TableText(surname);
    }

    std::snprintf(m_WalkAnimation, sizeof m_WalkAnimation, "%s", "WALK_NORMAL");
    m_DestObjectID = kNoObjectID;
    m_fTimeArrived = g_pWorld ? g_pWorld->GetGameTime() : 0.0f;
    m_iHourOffset = 0;
    std::fill(std::begin(m_Thoughts), std::end(m_Thoughts), -1);
    std::fill(std::begin(m_ThoughtID), std::end(m_ThoughtID), -1);
    m_bLeavingEarly = false;
    m_VisitList.clear();
    // Room for the visits of a day's stay taken now, as the guest arrives, rather than in play.
    m_VisitList.reserve(16);
    m_bGotMap = false;
    m_iNumSouvenirs = 0;
    m_bBuyingMap = true;
    m_bRateSurroundings = (platform::Rand() & 1) != 0;
    m_uCandidates = 0;
    m_bVisitedAnimals = false;
    m_bNeedCash = false;
    m_ActionState = 0;
    m_ActivityPerson = 0;
    m_fIconTime = 0.0f;
    m_iIcon = 0;
    m_iNumTimesBlocked = 0;
    m_iActivityScore = 0;
    m_eActivityDesire = DESIRE_MEALS;
    m_fVarietyScore = 0.0f;
    m_iPointUsing = -1;
    m_bPointSecond = false;
    m_ViewPointCount = 0;
    m_ViewPointCount2 = 0;
    m_iWanderDir = 0;

    char path[256];
    std::snprintf(path, sizeof path, "%s%s%s", WorldParams::GetGuestModelPath(), t.szModel,
                  WorldParams::GetModelExtension());
    if (SetModel(path) == 0 && g_ModelManager.GetCapacity() > 0)
    {
        GetLogger()->Report(1, "GuestObject::Create - can't load the model of %s: the placeholder stands in", m_Name);
        SetModel(ModelManager::kPlaceholderName);
    }
    if (g_pWorld && g_pWorld->GetScene())
        g_pWorld->GetScene()->AddObject(this);
    LoadAnimationList(t.szAnimName, WorldParams::GetGuestModelPath());
}

bool GuestObject::SetUpFromRequest(uint8_t kind, const void* request)
{
    if (kind != OBJECT_GUEST || !request)
        return true;
    // The hours already spent count from an earlier arrival, so that they are kept across a save.
    const int32_t hours = static_cast<const GuestCreationRequest*>(request)->iHoursInPark;
    const int32_t day = g_pWorld ? g_pWorld->GetDayLength() : 0;
    if (hours > 0 && day >= 24)
        m_fTimeArrived -= static_cast<float>(hours) * static_cast<float>(day / 24);
    return true;
}

int32_t GuestObject::GetGender() const
{
    return m_pGuestType->iGender == kFemale ? kFemale : kMale;
}

// ---------------------------------------------------------------- states

bool GuestObject::IsStateSupported(uint32_t state)
{
    return state == STATE_NULL || state == STATE_STARTUP ||
           (state >= STATE_GUEST_SEARCH_DESIRE && state <= STATE_STARTUP_NO_ENTRANCE);
}

bool GuestObject::OnStateEntry(uint32_t state)
{
    if (m_pScript)
        m_pScript->PerformOnEntry(*this, state);
    return true;
}

bool GuestObject::OnStateExit()
{
    if (m_pScript)
        m_pScript->PerformOnExit(*this, m_dwState);
    return true;
}

void GuestObject::OnRemoval()
{
    if (BuildingObject* building = CurrentBuilding())
    {
        // A view point still held is given back, or no other guest could ever stand at it again.
        if (m_iPointUsing >= 0)
            building->SetViewPointInUse(m_bPointSecond, m_iPointUsing, false);
        building->ForgetGuest(m_dwID);
    }
    m_iPointUsing = -1;
}

// ---------------------------------------------------------------- the frame

bool GuestObject::Update()
{
    m_bDebugBreak = false;
    const float delta = g_pWorld ? g_pWorld->GetGameDeltaTime() : 0.0f;
    GrowDesires(delta);
    if (!HumanObject::Update())
        GetLogger()->Report(0, "GuestObject::Update - error calling HumanObject::update - %s", m_Name);
    if (m_pScript)
        m_pScript->PerformOnUpdate(*this, m_dwState);
    if (m_fIconTime > 0.0f)
        m_fIconTime = std::max(m_fIconTime - delta, 0.0f);
    return true;
}

// ---------------------------------------------------------------- messages

bool GuestObject::Message(const MessageRecord& record)
{
    // The record is kept for the script variables that read it; nested messages keep their own.
    const MessageRecord current = record;
    const MessageRecord* previous = m_pCurrentMessage;
    m_pCurrentMessage = &current;
    switch (current.dwType)
    {
    case MT_MOVE_NEW_GRID_SQUARE:
        if (m_bRateSurroundings)
            RateSurroundings();
        m_bRateSurroundings = !m_bRateSurroundings;
        break;
    case MT_BUILDING_BEING_REMOVED:
        std::erase_if(m_VisitList, [&](const Visit& v) { return v.m_VisitedID == current.dwSender; });
        break;
    case MT_THUMBS_DOWN:
        ShowThumbsDown();
        break;
    default:
        break;
    }
    bool handled = m_pScript && m_pScript->PerformOnReceipt(*this, current);
    if (!handled)
        handled = HumanObject::Message(current);
    m_pCurrentMessage = previous;
    return handled;
}

bool GuestObject::PostMessage(MessageRecord record)
{
    return m_pScript && m_pScript->SendMessage(*this, record);
}

bool GuestObject::PostDelayedMessage(MessageRecord record, float delay)
{
    return m_pScript && m_pScript->SendDelayedMessage(*this, record, delay);
}

void GuestObject::Tell(uint32_t type, uint32_t flags, uint32_t data)
{
    if (g_pMessageHandler)
        g_pMessageHandler->Send(SelfMessage(type, flags, data));
}

void GuestObject::TellDelayed(uint32_t type, float delay)
{
    PostDelayedMessage(SelfMessage(type), delay);
}

// ---------------------------------------------------------------- animations and drawing

void GuestObject::PlayAnimation(const char* name, bool /*reverse*/, uint32_t /*exitState*/, bool looped,
                                const char* /*finishName*/)
{
    if (!name)
        return;
    if (std::strcmp(name, "WalkAnimation") == 0)
    {
        name = m_WalkAnimation;
    }
    else if (std::strcmp(name, "ViewPoint") == 0 || std::strcmp(name, "ViewPoint2") == 0)
    {
        if (const BuildingObject* building = CurrentBuilding())
            name = name[9] == '2' ? building->GetInfo().szViewPoint2 : building->GetInfo().szViewPoint;
    }
    const int32_t index = FindAnimationIndex(name);
    if (index < 0)
        return;
    g_AnimationScheduler.Play(this, GetAnimation(static_cast<uint32_t>(index)), 0,
                              looped ? 0 : AnimationScheduler::kPlayOnce);
}

bool GuestObject::Render()
{
    if (!m_bVisible)
        return true;
    g_GraphicsManager.DrawAnimatedModel(m_hModel, m_CurrentAnimation, m_uVisibility, m_CurrentFrame, m_Pos, m_Ori, 0);
    if (g_pWorld)
        g_pWorld->CountGuestDrawn();
    if (m_fIconTime > 0.0f && g_pWorldParams)
    {
        const platform::Vec3 above = {m_Pos.x, m_Pos.y + kIconHeight, m_Pos.z};
        g_BillboardList.Add(above, 1.0f, 0xFFFFFFFF, g_pWorldParams->GetGuestIconTexture(m_iIcon), 4);
    }
    return true;
}

void GuestObject::ShowIcon(int32_t icon)
{
    m_iIcon = icon;
    m_fIconTime = kIconSeconds;
}

void GuestObject::PlayVoice(uint32_t eventKind)
{
    if (platform::Rand() % 100 > 25)
        return;
    // Event kinds 4, 3, 0 and 1 and the voice each has, a man's and a woman's.
    static constexpr int32_t kKinds[4] = {4, 3, 0, 1};
    static constexpr int32_t kVoices[2][4] = {{2, 3, 0, 1}, {6, 7, 4, 5}};
    for (int i = 0; i < 4; ++i)
    {
        if (static_cast<uint32_t>(kKinds[i]) != eventKind)
            continue;
        if (ParkViews* views = GetParkViews())
            views->PlayOpinionSound(kVoices[GetGender()][i], m_WorldXYZ);
        return;
    }
}

// ---------------------------------------------------------------- the panel

void GuestObject::OnSelected(bool select, bool focus)
{
    ParkGui* gui = GetParkGui();
    if (!select)
    {
        if (m_SelectLevel == 0)
            m_SelectLevel = 1;
        return;
    }
    switch (m_SelectLevel)
    {
    case 0:
    case 1:
    {
        const bool wasClosed = m_SelectLevel == 0;
        if (g_pObjectManager)
            g_pObjectManager->ClosePanelsOfKind(OBJECT_GUEST);
        if (gui)
            gui->OpenDialog(kPanel, this);
        m_SelectLevel = 2;
        if (wasClosed && (gui || focus))
        {
            if (ParkViews* views = GetParkViews())
                views->LookAt(m_WorldXYZ);
        }
        break;
    }
    default:
        if (gui)
            gui->CloseDialogsOfListener(this);
        m_SelectLevel = 0;
        break;
    }
}

void GuestObject::ClosePanel()
{
    m_SelectLevel = 0;
}

void GuestObject::ResetPanelState()
{
    if (m_SelectLevel == 2)
        m_SelectLevel = 1;
}

// ---------------------------------------------------------------- save record

void GuestObject::Dump(SerialStream& stream)
{
    stream.BeginSave();
    stream.WriteArray("m_Tolerance", m_Tolerance, TOL_COUNT);
    stream.WriteArray("m_person", m_person, kGrowingDesires);
    stream.WriteArray("m_desires", m_desires, DESIRE_COUNT);
    stream.WriteArray("m_opinion", m_opinion, OPINION_COUNT);
    stream.WriteFloat("m_cash", m_cash);
    stream.WriteWideString("m_name", m_name.c_str());
    stream.WriteFloat("m_fHappiness", m_fHappiness);
    stream.WriteString("m_WalkAnimation", m_WalkAnimation);
    stream.WriteUInt("m_ActionState", m_ActionState);
    stream.WriteUInt("m_ActivityPerson", m_ActivityPerson);
    stream.WriteFloat("m_fTimeArrived", m_fTimeArrived);
    stream.WriteBool("m_bMissedPurchase", m_bMissedPurchase);
    stream.WriteBool("m_bLastGood", m_bLastGood);
    stream.WriteBool("m_bLastBad", m_bLastBad);
    stream.WriteBool("m_bLeavingEarly", m_bLeavingEarly);
    stream.WriteArray("m_Thoughts", m_Thoughts, kThoughtSlots);
    stream.WriteArray("m_ThoughtID", m_ThoughtID, kThoughtSlots);
    stream.WriteArray("m_DesirePrefs", m_DesirePrefs, kPreferenceDesires);
    stream.WriteInt("m_VisitList.size()", static_cast<int32_t>(m_VisitList.size()));
    for (const Visit& visit : m_VisitList)
    {
        stream.WriteUInt("pVisit->m_VisitedID", visit.m_VisitedID);
        stream.WriteInt("pVisit->m_iVisitedCount", visit.m_iVisitedCount);
    }
    stream.WriteBool("m_bGotMap", m_bGotMap);
    stream.WriteInt("m_iNumSouvenirs", m_iNumSouvenirs);
    stream.WriteBool("m_bBuyingMap", m_bBuyingMap);
    stream.WriteInt("m_iActivityScore", m_iActivityScore);
    stream.WriteInt("m_eActivityDesire", m_eActivityDesire);
    stream.WriteFloat("m_fVarietyScore", m_fVarietyScore);
    stream.WriteInt("m_iPointUsing", m_iPointUsing);
    stream.WriteInt("m_ViewPointCount", m_ViewPointCount);
    stream.WriteInt("m_ViewPointCount2", m_ViewPointCount2);
    stream.WriteInt("m_iWanderDir", m_iWanderDir);
    stream.WriteBool("m_bVisitedAnimals", m_bVisitedAnimals);
    stream.WriteBool("m_bNeedCash", m_bNeedCash);
    HumanObject::Dump(stream);
}

namespace
{

template <size_t N> bool AllFinite(const float (&values)[N], size_t count = N)
{
    return std::all_of(values, values + count, [](float v) { return std::isfinite(v); });
}

} // namespace

bool GuestObject::Load(SerialStream& stream)
{
    stream.BeginLoad();
    // Read aside and taken in only once the record has been read whole and holds together.
    float tolerance[TOL_COUNT] = {}, person[DESIRE_COUNT] = {}, desires[DESIRE_COUNT] = {};
    float opinion[OPINION_COUNT] = {}, prefs[kPreferenceDesires] = {};
    float cash = 0.0f, happiness = 0.0f, arrived = 0.0f, variety = 0.0f;
    char16_t name[kSavedNameSize] = {};
    char walk[kWalkAnimationSize] = {};
    uint32_t actionState = 0, activityPerson = 0;
    bool missed = false, good = false, bad = false, early = false;
    int32_t thoughts[kThoughtSlots] = {}, thoughtIds[kThoughtSlots] = {};
    int32_t visits = 0;
    stream.ReadArray(tolerance, TOL_COUNT);
    stream.ReadArray(person, kGrowingDesires);
    stream.ReadArray(desires, DESIRE_COUNT);
    stream.ReadArray(opinion, OPINION_COUNT);
    stream.ReadFloat(&cash);
    stream.ReadWideString(name, kSavedNameSize);
    stream.ReadFloat(&happiness);
    stream.ReadString(walk, kWalkAnimationSize);
    stream.ReadUInt(&actionState);
    stream.ReadUInt(&activityPerson);
    stream.ReadFloat(&arrived);
    stream.ReadBool(&missed);
    stream.ReadBool(&good);
    stream.ReadBool(&bad);
    stream.ReadBool(&early);
    stream.ReadArray(thoughts, kThoughtSlots);
    stream.ReadArray(thoughtIds, kThoughtSlots);
    stream.ReadArray(prefs, kPreferenceDesires);
    stream.ReadInt(&visits);
    if (!stream.Good() || visits < 0 || visits > kMaxVisits)
    {
        GetLogger()->Report(0, "GuestObject::Load - the saved record of %s is cut short or holds %d visits", m_Name,
                            visits);
        return false;
    }
    std::vector<Visit> visitList(static_cast<size_t>(visits));
    bool visitsCounted = true;
    for (Visit& visit : visitList)
    {
        stream.ReadUInt(&visit.m_VisitedID);
        stream.ReadInt(&visit.m_iVisitedCount);
        // A building is visited a number of times, never fewer than none.
        visitsCounted = visitsCounted && visit.m_iVisitedCount >= 0;
    }
    bool gotMap = false, buyingMap = false, visitedAnimals = false, needCash = false;
    int32_t souvenirs = 0, activityScore = 0, activityDesire = 0, pointUsing = 0, viewPoints = 0, viewPoints2 = 0;
    int32_t wanderDir = 0;
    stream.ReadBool(&gotMap);
    stream.ReadInt(&souvenirs);
    stream.ReadBool(&buyingMap);
    stream.ReadInt(&activityScore);
    stream.ReadInt(&activityDesire);
    stream.ReadFloat(&variety);
    stream.ReadInt(&pointUsing);
    stream.ReadInt(&viewPoints);
    stream.ReadInt(&viewPoints2);
    stream.ReadInt(&wanderDir);
    stream.ReadBool(&visitedAnimals);
    stream.ReadBool(&needCash);
    const bool finite = AllFinite(tolerance) && AllFinite(person) && AllFinite(desires) && AllFinite(opinion) &&
                        AllFinite(prefs) && std::isfinite(cash) && std::isfinite(happiness) && std::isfinite(arrived) &&
                        std::isfinite(variety);
    // Every judgement keeps an opinion between 0 and 1; one outside would stay, and a happiness made of six beyond
    // what a real holds would be no number, which the guest's next record could not be read back with.
    const bool opinionsHeld =
        std::all_of(std::begin(opinion), std::end(opinion), [](float value) { return value >= 0.0f && value <= 1.0f; });
    if (!stream.Good() || !finite || !opinionsHeld || !visitsCounted || activityDesire < 0 ||
        activityDesire >= DESIRE_COUNT || pointUsing < -1 || pointUsing >= BuildingObject::kMaxViewPoints ||
        wanderDir < 0 || wanderDir > 7)
    {
        GetLogger()->Report(0, "GuestObject::Load - the saved record of %s is damaged", m_Name);
        return false;
    }
    if (!HumanObject::Load(stream))
        return false;
    std::copy(std::begin(tolerance), std::end(tolerance), m_Tolerance);
    std::copy(person, person + kGrowingDesires, m_person);
    m_person[DESIRE_CASH] = 0.0f;
    std::copy(std::begin(desires), std::end(desires), m_desires);
    std::copy(std::begin(opinion), std::end(opinion), m_opinion);
    m_cash = cash;
    m_name = name;
    m_fHappiness = happiness;
    std::memcpy(m_WalkAnimation, walk, sizeof m_WalkAnimation);
    m_ActionState = actionState;
    m_ActivityPerson = activityPerson;
    m_fTimeArrived = arrived;
    m_bMissedPurchase = missed;
    m_bLastGood = good;
    m_bLastBad = bad;
    m_bLeavingEarly = early;
    std::copy(std::begin(thoughts), std::end(thoughts), m_Thoughts);
    std::copy(std::begin(thoughtIds), std::end(thoughtIds), m_ThoughtID);
    std::copy(std::begin(prefs), std::end(prefs), m_DesirePrefs);
    m_VisitList = std::move(visitList);
    m_bGotMap = gotMap;
    m_iNumSouvenirs = souvenirs;
    m_bBuyingMap = buyingMap;
    m_iActivityScore = activityScore;
    m_eActivityDesire = activityDesire;
    m_fVarietyScore = variety;
    m_iPointUsing = pointUsing;
    m_ViewPointCount = viewPoints;
    m_ViewPointCount2 = viewPoints2;
    m_iWanderDir = wanderDir;
    m_bVisitedAnimals = visitedAnimals;
    m_bNeedCash = needCash;
    return true;
}
