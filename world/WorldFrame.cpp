// World: the frame: clock, arrivals, managers, objects, new day and hour, due messages, removals, cursor, listener,
// floating texts, cameras, keys and the world script.
#include "world/World.h"

#include "engine/core/Cursor.h"
#include "engine/core/GameClock.h"
#include "engine/core/GameInput.h"
#include "engine/core/MouseState.h"
#include "engine/media/SoundManager.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/GraphicsManager.h"
#include "gui/GUIManager.h"
#include "platform/Input.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "scripts/WorldScript.h"
#include "world/BaseObject.h"
#include "world/CameraManager.h"
#include "world/FloatingTextList.h"
#include "world/GuestArrivals.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/Player.h"

#include <algorithm>
#include <cmath>
#include <iterator>

void World::Update()
{
    Update(g_pGameClock ? g_pGameClock->GetFrameTime() : 0.0f);
}

void World::Update(float frameTime)
{
    AdvanceClock(frameTime);
    // Animations run on the game time in sixtieths of a second; play-once animations that have run out stop.
    g_AnimationScheduler.Update(GetAnimationTime());
    if (m_pGuestArrivals)
        m_pGuestArrivals->Update(m_fGameDeltaTime);
    // Research charges the player's cash for the game time that passed (none while paused).
    if (m_Managers.research && m_pPlayer)
        ChargeResearch(m_Managers.research->Update(m_fGameDeltaTime));
    if (m_Managers.rescue)
        m_Managers.rescue->Update();
    if (!m_bPaused)
        UpdateObjects();
    if (m_Managers.feedback)
        m_Managers.feedback->Update();
    NewDayAndHour();
    if (g_pMessageHandler)
        g_pMessageHandler->Update();
    RemoveFlaggedObjects();
    UpdateCursor();
    if (g_pCameraManager && g_pSoundManager)
    {
        const platform::Vec3 eye = g_pCameraManager->GetEye();
        const platform::Vec3 at = g_pCameraManager->GetLookAt();
        float forward[3] = {at.x - eye.x, at.y - eye.y, at.z - eye.z};
        const float length = std::sqrt(forward[0] * forward[0] + forward[1] * forward[1] + forward[2] * forward[2]);
        if (length > 0.0f)
        {
            for (float& f : forward)
                f /= length;
        }
        const float position[3] = {eye.x, eye.y, eye.z};
        const float up[3] = {0.0f, 1.0f, 0.0f};
        g_pSoundManager->SetListener(position, forward, up);
    }
    if (m_pFloatingTexts)
        m_pFloatingTexts->Update(m_fGameTime);
    g_MouseState.Update();
    if (g_pCameraManager)
        g_pCameraManager->Update();
    UpdateKeys();
    if (WorldScript* script = m_ScriptManager.GetWorldScript())
        script->RunOnUpdate();
}

void World::ChargeResearch(float spent)
{
    // A frame's slice is a small fraction of a dollar: on a large cash it may be less than the cash can tell apart,
    // so what the cash could not take this frame is carried to the next frame research spends in.
    if (!(spent > 0.0f))
        return;
    const double owed = m_dResearchOwed + static_cast<double>(spent);
    const float before = m_pPlayer->Cash;
    const float after = static_cast<float>(static_cast<double>(before) - owed);
    const double taken = static_cast<double>(before) - static_cast<double>(after);
    m_pPlayer->Cash = after;
    m_dResearchOwed = std::isfinite(taken) ? owed - taken : 0.0;
}

void World::UpdateObjects()
{
    ObjectManager* objects = g_pObjectManager;
    if (!objects)
        return;
    // Buildings, then the other objects, then guests, each pool from its last slot down; litter is never updated.
    for (ObjectManager::Pool pool :
         {ObjectManager::POOL_BUILDING, ObjectManager::POOL_OTHER, ObjectManager::POOL_GUEST})
    {
        for (uint32_t i = objects->GetPoolCount(pool); i-- > 0;)
        {
            // An update may remove objects from the pool: a slot past its end holds none, and the walk goes on.
            BaseObject* object = objects->GetPoolObject(pool, i);
            if (object && !object->IsWaitingForDeath())
                object->Update();
        }
    }
}

void World::NewDayAndHour()
{
    // The hour of day reaches 24.0 when a frame ends exactly at midnight; that hour is the next day's first, which
    // the day's turn brings, so it counts as the day's last: a day has 24 hours however its frames fall.
    const int32_t h0 = std::min(static_cast<int32_t>(m_fLastGameDayTime), 23);
    const int32_t h1 = std::min(static_cast<int32_t>(m_GameDayTime), 23);
    MessageHandler* handler = g_pMessageHandler;
    // Each hour that has begun since the last frame is one step, however many a frame crosses: a frame of the
    // longest game time may cross several hours of a short day, and the hourly staff are paid by the hour.
    const auto newHour = [this, handler](int32_t day)
    {
        if (handler)
        {
            MessageRecord hour;
            hour.dwSender = kWorldID;
            hour.dwType = MT_NEW_HOUR;
            hour.dwData = static_cast<uint32_t>(day);
            SendToHourlyObjects(*handler, hour);
        }
        m_fTargetResearchRating = m_Managers.research ? m_Managers.research->GetBudgetPerDay() / 250.0f : 0.0f;
        const float d = m_fTargetResearchRating - m_fCurrentResearchRating;
        float rating =
            std::fabs(d) >= 0.1f ? m_fCurrentResearchRating + (d > 0.0f ? 0.1f : -0.1f) : m_fTargetResearchRating;
        m_fCurrentResearchRating = rating < 0.0f ? 0.0f : rating > 1.0f ? 1.0f : rating;
    };
    if (h0 > h1)
    {
        // The hours of the day that has ended come before its end.
        for (int32_t h = h0 + 1; h < 24; ++h)
            newHour(m_GameDay - 1);
        if (handler)
        {
            MessageRecord day;
            day.dwSender = kWorldID;
            day.dwType = MT_NEW_DAY;
            day.dwData = static_cast<uint32_t>(m_GameDay);
            SendToAllBuildings(day);
            SendToAllHumans(day);
            SendToAllAnimals(day);
        }
        for (int g = 0; g < 2; ++g)
            m_TodayGuestArrive[g] = m_TodayGuestDepart[g] = m_TodayGuestUnhappyDepart[g] = 0;
        EndOfDayAccounts();
        for (int32_t h = 0; h <= h1; ++h)
            newHour(m_GameDay);
    }
    else
    {
        for (int32_t h = h0 + 1; h <= h1; ++h)
            newHour(m_GameDay);
    }
    m_fLastGameDayTime = m_GameDayTime;
}

namespace
{

// Shifts a history one place towards its end, puts `today` first and returns the mean of the first min(days, n).
float PushHistory(float* record, int n, float today, int32_t days)
{
    for (int i = n - 1; i > 0; --i)
        record[i] = record[i - 1];
    record[0] = today;
    if (days <= 0)
        return record[0];
    const int count = days < n ? days : n;
    float sum = 0.0f;
    for (int i = 0; i < count; ++i)
        sum += record[i];
    return sum / static_cast<float>(count);
}

} // namespace

void World::EndOfDayAccounts()
{
    m_fAverageProfit = PushHistory(m_fProfitRecord, kHistoryLength, m_fIncomeToday - m_fCostsToday, m_GameDay);
    m_fAverageCost = PushHistory(m_fCostRecord, kHistoryLength, m_fCostsToday, m_GameDay);
    m_fAverageIncome = PushHistory(m_fIncomeRecord, kHistoryLength, m_fIncomeToday, m_GameDay);
    m_fIncomeToday = m_fDemolishIncomeToday = m_fAttractIncomeToday = m_fRetailIncomeToday = 0.0f;
    m_fCostsToday = m_fConstructCostToday = m_fSceneryCostToday = m_fWagesCostToday = m_fStockCostToday = 0.0f;
}

void World::RemoveFlaggedObjects()
{
    ObjectManager* objects = g_pObjectManager;
    if (!objects)
        return;
    bool removed = false;
    for (ObjectManager::Pool pool : {ObjectManager::POOL_BUILDING, ObjectManager::POOL_OTHER, ObjectManager::POOL_GUEST,
                                     ObjectManager::POOL_LITTER})
    {
        for (uint32_t i = objects->GetPoolCount(pool); i-- > 0;)
        {
            BaseObject* object = objects->GetPoolObject(pool, i);
            if (object && object->IsWaitingForDeath() && RemoveFlaggedObject(*object))
                removed = true;
        }
    }
    // The open panels show what is left.
    if (removed && g_pGUIManager)
        g_pGUIManager->RefreshOpenDialogs();
}

void World::CountBuiltCategory(const BaseObject& building, int32_t step)
{
    WorldParams* params = GetWorldParams();
    const int32_t type = params ? params->FindBuilding(building.GetName()) : WorldParams::kNotFound;
    if (type == WorldParams::kNotFound)
        return;
    const int32_t category = params->GetBuildingInfo(type).iAttractCategory;
    if (category == kAttractRide)
        m_RidesBuilt = std::max(m_RidesBuilt + step, 0);
    else if (category == kAttractAmusement)
        m_AmusementBuilt = std::max(m_AmusementBuilt + step, 0);
}

bool World::RemoveFlaggedObject(BaseObject& object)
{
    // Its panels close, a camera that followed the object stops, and the dialog that offers to stop it goes.
    if (g_pGUIManager)
        g_pGUIManager->CloseDialogsOfListener(&object);
    if (g_pCameraManager && g_pCameraManager->OnObjectRemoved(object.GetID()) && g_pGUIManager)
        g_pGUIManager->CloseDialog("CancelCamera");
    const uint8_t kind = object.GetType();
    if (kind == OBJECT_GUEST)
    {
        --m_NumGuests;
        if (object.GetState() == STATE_GUEST_LEAVING_WORLD)
        {
            ParkServices* park = GetParkServices();
            const GuestFigures figures = park ? park->GetGuestFigures(object) : GuestFigures{};
            const int g = figures.gender == 1 ? 1 : 0;
            if (figures.leavingEarly)
            {
                ++m_TotalGuestUnhappyDepart[g];
                ++m_TodayGuestUnhappyDepart[g];
            }
            ++m_TotalGuestDepart[g];
            ++m_TodayGuestDepart[g];
        }
    }
    else if (kind == OBJECT_BUILDING)
    {
        --m_NumBuildings;
        CountBuiltCategory(object, -1);
    }
    if (m_Managers.feedback)
        m_Managers.feedback->ForgetObject(object.GetID());
    object.OnStateExit();
    object.OnRemoval();
    return g_pObjectManager->RemoveObject(object.GetID());
}

void World::UpdateCursor()
{
    if (m_pInput)
        StepCursor(m_pInput->GetRightButton() != 0);
}

void World::StepCursor(bool rightHeld)
{
    // Holding the right button away from the toolbar turns the camera: the cursor stays where it is, in its turning
    // shape while the select tool is in hand. Letting go frees it, in the normal shape.
    if (!m_bCursorHeld)
    {
        if (!rightHeld || (g_pGUIManager && g_pGUIManager->IsMouseOverToolbar()))
            return;
        m_bCursorHeld = true;
        if (m_pCursor)
        {
            if (!g_pGUIManager || g_pGUIManager->IsSelectMode())
                m_pCursor->SetMode(3);
            m_pCursor->SetLocked(true);
        }
        return;
    }
    if (rightHeld)
        return;
    m_bCursorHeld = false;
    if (m_pCursor)
    {
        m_pCursor->SetMode(0);
        m_pCursor->SetLocked(false);
    }
}

void World::UpdateKeys()
{
    if (!m_pInput)
        return;
    for (int key : kParkKeys)
    {
        if (m_pInput->IsKeyPressed(key))
            OnKeyPressed(key);
    }
    StepMoneyChord(m_pInput->IsKeyHeld(kMoneyChord[0]), m_pInput->IsKeyPressed(kMoneyChord[1]));
    StepDebugChords(m_pInput->IsKeyHeld(kDebugModifiers[0]) && m_pInput->IsKeyHeld(kDebugModifiers[1]),
                    m_pInput->IsKeyPressed(kDebugOnKey), m_pInput->IsKeyPressed(kDebugOffKey));
    if (!m_bDebugKeys)
        return;
    for (int key : kDebugKeys)
        if (m_pInput->IsKeyPressed(key))
            OnDebugKey(key);
}

void World::StepDebugChords(bool modifiersHeld, bool onPressed, bool offPressed)
{
    if (!modifiersHeld)
        return;
    if (onPressed)
        m_bDebugKeys = true;
    if (offPressed)
        m_bDebugKeys = false;
}

void World::OnDebugKey(int key)
{
    if (!m_bDebugKeys)
        return;
    for (size_t i = 0; i < std::size(kDebugCameraTypes); ++i)
        if (key == kDebugKeys[i])
        {
            if (g_pCameraManager)
                g_pCameraManager->SetCamera(kDebugCameraTypes[i], false);
            return;
        }
    switch (key)
    {
    case platform::kKeyEquals:
        m_fGameSpeed = m_fGameSpeed < 256.0f ? m_fGameSpeed * 2.0f : 16.0f;
        break;
    case platform::kKeyMinus:
        m_fGameSpeed = m_fGameSpeed > 0.5f ? m_fGameSpeed / 2.0f : 0.5f;
        break;
    case platform::kKeyF9:
        m_bDebugDisplay[0] = !m_bDebugDisplay[0];
        break;
    case platform::kKeyF10:
        m_bDebugDisplay[1] = !m_bDebugDisplay[1];
        break;
    case platform::kKeyF11:
        m_bWireframe = !m_bWireframe;
        g_GraphicsManager.SetFillMode(0, m_bWireframe);
        break;
    default:
        break;
    }
}

void World::StepMoneyChord(bool modifierHeld, bool keyPressed)
{
    // One modifier held, one key pressed.
    if (modifierHeld && keyPressed && m_pPlayer)
        m_pPlayer->Cash += kMoneyChordAmount;
}

void World::OnKeyPressed(int key)
{
    switch (key)
    {
    case platform::kKeyP:
        if (!m_bForcedPaused)
        {
            m_bPaused = !m_bPaused;
            if (g_pGUIManager)
                m_bPaused ? g_pGUIManager->OpenPauseBox() : g_pGUIManager->ClosePauseBox();
        }
        break;
    case platform::kKeyF5:
        if (g_pGUIManager)
            g_pGUIManager->ToggleLoadGameMenu();
        break;
    case platform::kKeyF4:
        if (g_pGUIManager)
            g_pGUIManager->ToggleSaveGameMenu();
        break;
    case platform::kKeyF2:
        if (g_pGUIManager)
            g_pGUIManager->ToggleInGameOptions();
        break;
    case platform::kKeyB:
        if (g_pGUIManager)
            g_pGUIManager->OpenBuildPanel();
        break;
    case platform::kKeyS:
        if (g_pGUIManager)
            g_pGUIManager->ToggleSceneryPanel();
        break;
    case platform::kKeyEquals:
        SetGameSpeedLevel(m_GameSpeedLevel + 1);
        OnDebugKey(key);
        break;
    case platform::kKeyMinus:
        SetGameSpeedLevel(m_GameSpeedLevel - 1);
        OnDebugKey(key);
        break;
    default:
        break;
    }
}

void World::SendToAllBuildings(const MessageRecord& record)
{
    if (g_pMessageHandler)
        ::SendToAllBuildings(*g_pMessageHandler, record);
}

void World::SendToAllOfKind(const MessageRecord& record, uint8_t kind)
{
    if (g_pMessageHandler)
        ::SendToAllOfKind(*g_pMessageHandler, kind, record);
}

void World::SendToAllHumans(const MessageRecord& record)
{
    for (uint8_t kind : {OBJECT_SERVER, OBJECT_MECHANIC, OBJECT_CLEANER, OBJECT_ZOOKEEPER, OBJECT_GUEST})
        SendToAllOfKind(record, kind);
}

void World::SendToAllAnimals(const MessageRecord& record)
{
    SendToAllOfKind(record, OBJECT_ANIMAL);
}

void World::SendToAllGuests(const MessageRecord& record)
{
    SendToAllOfKind(record, OBJECT_GUEST);
}
