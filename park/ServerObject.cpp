// ServerObject: serving the guests of its building, its start at the counter and its save record.
#include "park/ServerObject.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "park/BuildingObject.h"
#include "scripts/ObjectStates.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/Player.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <numbers>

ServerObject::ServerObject() : StaffObject(5) {}

void ServerObject::Create(const char* name)
{
    StaffObject::Create(name);
    m_dwActionState = 0;
    SetVisible(true);
    PlayAnimation("STAND_NORMAL", false, 0, true, nullptr);
}

bool ServerObject::SetUpFromRequest(uint8_t kind, const void* request)
{
    if (kind == OBJECT_SERVER && request)
        SetHome(static_cast<const ServerCreationRequest*>(request)->dwShop);
    return true;
}

bool ServerObject::IsStateSupported(uint32_t state)
{
    return state == STATE_NULL || state == STATE_STARTUP || state == STATE_STAFF_WORKING;
}

bool ServerObject::OnStateEntry(uint32_t state)
{
    switch (state)
    {
    case STATE_NULL:
        PostMessage(SelfMessage(MT_STATECHANGE, 0, STATE_STARTUP));
        break;
    case STATE_STARTUP:
    {
        SetPositionVec(WorldMap::WorldToScene(m_WorldXYZ));
        const BaseObject* home = ObjectOf(m_HomeID);
        const float degrees = static_cast<float>((home ? home->GetDirection() : 0) * 90 - 90);
        SetOrientation(0.0f, degrees * std::numbers::pi_v<float> / 180.0f, 0.0f);
        PostMessage(SelfMessage(MT_STATECHANGE, 0, STATE_STAFF_WORKING));
        MessageRecord created;
        created.dwSender = m_dwID;
        created.dwReciever = m_HomeID;
        created.dwType = MT_STAFF_CREATED;
        PostMessage(created);
        break;
    }
    default:
        break;
    }
    return true;
}

bool ServerObject::Update()
{
    if (!HumanObject::Update())
        GetLogger()->Report(0, "StaffObject::Update - error calling HumanObject::update - %s", m_Name);
    return true;
}

bool ServerObject::PostMessage(MessageRecord record)
{
    return BaseObject::PostMessage(record);
}

bool ServerObject::PostDelayedMessage(MessageRecord record, float delay)
{
    return BaseObject::PostDelayedMessage(record, delay);
}

void ServerObject::StopAnimation()
{
    StaffObject::StopAnimation();
    PlayAnimation("STAND_NORMAL", false, 0, true, nullptr);
}

bool ServerObject::Message(const MessageRecord& record)
{
    switch (record.dwType)
    {
    case MT_SERVE_GUEST:
    {
        MessageRecord served;
        served.dwSender = m_dwID;
        served.dwReciever = record.dwData;
        served.dwType = MT_SERVED_COMMOD;
        served.dwFlags = record.dwFlags;
        served.dwData = record.dwData;
        served.fData = record.fData;
        PostDelayedMessage(served, kServeDelay);
        m_dwActionState = 1;
        PostMessage(SelfMessage(MT_PLAYANIMATION, 0, 1));
        return true;
    }
    case MT_COMMOD_QUALITY:
    {
        MessageRecord done;
        done.dwSender = m_dwID;
        done.dwReciever = m_HomeID;
        done.dwType = MT_GUEST_SERVED;
        PostMessage(done);
        return true;
    }
    case MT_PLAYANIMATION:
        if (record.dwData == 1)
        {
            m_dwActionState = 1;
            SetAnimationEndMessage(MT_PLAYANIMATION);
            PlayAnimation("SERVE", false, 0, false, nullptr);
        }
        else
        {
            m_dwActionState = 0;
            PlayAnimation("STAND_NORMAL", false, 0, true, nullptr);
        }
        return true;
    case MT_NEW_DAY:
        if (g_pWorld && g_pWorld->GetPlayer())
            g_pWorld->GetPlayer()->Cash -= static_cast<float>(m_Wage);
        return true;
    default:
        return HumanObject::Message(record);
    }
}

void ServerObject::Dump(SerialStream& stream)
{
    stream.BeginSave();
    stream.WriteUInt("m_dwActionState", m_dwActionState);
    StaffObject::Dump(stream);
}

bool ServerObject::Load(SerialStream& stream)
{
    stream.BeginLoad();
    uint32_t action = 0;
    stream.ReadUInt(&action);
    if (!stream.Good() || action > 1)
    {
        GetLogger()->Report(0, "ServerObject::Load - the saved record of %s is cut short or damaged", m_Name);
        return false;
    }
    if (!StaffObject::Load(stream))
        return false;
    m_dwActionState = action;
    return true;
}
