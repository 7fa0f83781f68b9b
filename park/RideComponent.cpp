// RideComponent: boarding, the ride's run, the send-off of the riders and the ride's save record.
#include "park/RideComponent.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/render/Scene.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "world/BaseObject.h"
#include "world/MessageHandler.h"
#include "world/ModelObjects.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <strings.h>

namespace
{

Scene* WorldScene()
{
    return g_pWorld ? g_pWorld->GetScene() : nullptr;
}

BaseObject* FindObject(uint32_t id)
{
    return g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
}

std::unique_ptr<RideObject> MakeModel(const char* format, const char* model)
{
    char path[256];
    std::snprintf(path, sizeof path, format, WorldParams::GetRideModelPath(), model, WorldParams::GetModelExtension());
    auto object = std::make_unique<RideObject>();
    object->LoadModel(path);
    if (Scene* scene = WorldScene())
        scene->AddObject(object.get());
    return object;
}

} // namespace

RideComponent::RideComponent(uint32_t owner, int32_t rideType, const char* model, int32_t capacity)
    : m_dwOwner(owner), m_RideType(rideType), m_iRideCapacity(capacity)
{
    if (!model || model[0] == 0 || strcasecmp(model, "NONE") == 0)
    {
        if (rideType == RIDE_ANIM)
            GetLogger()->Report(1, "RideComponent - a ride of models without a ride model ends as it starts");
        return;
    }
    m_pStatic = MakeModel("%s/%s_stat%s", model);
    m_pAnimated = MakeModel("%s/%s%s", model);
    m_pStatic->SetVisible(true);
    m_pAnimated->SetVisible(false);
}

RideComponent::~RideComponent()
{
    // Riders still carried go back into the scene with the ride.
    if (CarriesRiders())
    {
        for (uint32_t rider : m_RideObjectList)
            Alight(rider);
    }
}

void RideComponent::SetPosition(float x, float y, float z)
{
    m_Position = {x, y, z};
    for (RideObject* model : {m_pStatic.get(), m_pAnimated.get()})
    {
        if (model)
            model->SetPosition(x, y, z);
    }
}

void RideComponent::SetOrientation(float x, float y, float z)
{
    m_Orientation = {x, y, z};
    for (RideObject* model : {m_pStatic.get(), m_pAnimated.get()})
    {
        if (model)
            model->SetOrientation(x, y, z);
    }
}

void RideComponent::Board(uint32_t guest)
{
    BaseObject* rider = FindObject(guest);
    if (rider && rider->GetScene())
        rider->GetScene()->RemoveObject(*rider);
    for (RideObject* model : {m_pStatic.get(), m_pAnimated.get()})
    {
        if (model && !model->Carried().Carries(guest))
            model->Carried().Attach(*model, guest);
    }
}

void RideComponent::Alight(uint32_t guest)
{
    for (RideObject* model : {m_pStatic.get(), m_pAnimated.get()})
    {
        if (model)
            model->Carried().Detach(guest);
    }
    BaseObject* rider = FindObject(guest);
    Scene* scene = WorldScene();
    if (rider && scene && !rider->GetScene())
        scene->AddObject(rider);
}

void RideComponent::AddRider(uint32_t guest)
{
    m_RideObjectList.push_back(guest);
    if (CarriesRiders())
        Board(guest);
    if (g_pMessageHandler)
        g_pMessageHandler->Send({guest, guest, MT_PUT_ON_RIDE});
}

void RideComponent::RemoveRider(uint32_t guest)
{
    const auto found = std::find(m_RideObjectList.begin(), m_RideObjectList.end(), guest);
    if (found == m_RideObjectList.end())
        return;
    m_RideObjectList.erase(found);
    if (CarriesRiders())
        Alight(guest);
}

void RideComponent::StartRide()
{
    m_bRideRunning = true;
    switch (m_RideType)
    {
    case RIDE_ANIM:
        if (m_pStatic)
            m_pStatic->SetVisible(false);
        if (m_pAnimated)
        {
            m_pAnimated->SetVisible(true);
            m_pAnimated->PlayAnimation(false);
        }
        m_fRideTimer = kAnimRideTimer;
        m_fRideStartTime = g_pWorld ? g_pWorld->GetGameTime() : 0.0f;
        break;
    case RIDE_ANIMAL_SHOW:
        break;
    default:
        m_fRideTimer = kTimedRide;
        break;
    }
}

void RideComponent::PostComplete() const
{
    if (g_pMessageHandler)
        g_pMessageHandler->Send({m_dwOwner, m_dwOwner, MT_RIDE_COMPLETE});
}

void RideComponent::Update()
{
    if (!m_bRideRunning)
        return;
    // A ride of models without its models (a data fault, reported when it was made) has nothing to wait for.
    if (m_RideType == RIDE_ANIM && (!m_pAnimated || m_pAnimated->HasAnimationEnded()))
    {
        if (m_pStatic)
        {
            m_pStatic->SetVisible(true);
            m_pStatic->PlayAnimation(true);
        }
        if (m_pAnimated)
            m_pAnimated->SetVisible(false);
        PostComplete();
        // Ended by the building's answer.
        if (!m_bRideRunning)
            return;
    }
    m_fRideTimer -= g_pWorld ? g_pWorld->GetGameDeltaTime() : 0.0f;
    if (m_fRideTimer <= 0.0f && m_RideType == RIDE_TIME)
        PostComplete();
}

void RideComponent::EndRide()
{
    for (size_t i = 0; i < m_RideObjectList.size(); ++i)
    {
        const uint32_t rider = m_RideObjectList[i];
        const float draw = static_cast<float>(platform::Rand()) / static_cast<float>(platform::kRandMax);
        const float delay = kSendOffDelay + draw * kSendOffSpread + kSendOffStep * static_cast<float>(i);
        if (g_pMessageHandler)
            g_pMessageHandler->SendDelayed({m_dwOwner, rider, MT_SERVED_COMMOD, kSendOffCode, kSendOffCode}, delay);
        if (CarriesRiders())
            Alight(rider);
    }
    m_RideObjectList.clear();
    m_bRideRunning = false;
}

void RideComponent::PostLoad()
{
    if (!CarriesRiders())
        return;
    for (uint32_t rider : m_RideObjectList)
        Board(rider);
}

void RideComponent::Dump(SerialStream& stream) const
{
    stream.WriteInt("m_RideObjectList.size()", static_cast<int32_t>(m_RideObjectList.size()));
    for (uint32_t rider : m_RideObjectList)
        stream.WriteUInt("m_RideObjectList[]", rider);
    stream.WriteUInt("m_dwOwner", m_dwOwner);
    stream.WriteBool("m_bRideRunning", m_bRideRunning);
    stream.WriteFloat("m_fRideTimer", m_fRideTimer);
    stream.WriteInt("m_RideType", m_RideType);
    stream.WriteInt("m_iRideCapacity", m_iRideCapacity);
    stream.WriteFloat("m_fRideStartTime", m_fRideStartTime);
    stream.WriteUInt("m_dwOwner", m_dwOwner);
    if (m_pStatic)
        m_pStatic->Dump(stream);
    if (m_pAnimated)
        m_pAnimated->Dump(stream);
}

bool RideComponent::Load(SerialStream& stream)
{
    for (uint32_t rider : m_RideObjectList)
    {
        if (CarriesRiders())
            Alight(rider);
    }
    m_RideObjectList.clear();
    m_bRideRunning = false;
    int32_t count = 0;
    stream.ReadInt(&count);
    if (count < 0 || count > kMostRiders)
    {
        GetLogger()->Report(0, "RideComponent::Load - a saved ride of %d riders is refused", count);
        return false;
    }
    std::vector<uint32_t> riders(static_cast<size_t>(count));
    for (uint32_t& rider : riders)
        stream.ReadUInt(&rider);
    uint32_t owner = 0;
    bool running = false;
    float timer = 0.0f, start = 0.0f;
    int32_t type = 0, capacity = 0;
    stream.ReadUInt(&owner);
    stream.ReadBool(&running);
    stream.ReadFloat(&timer);
    stream.ReadInt(&type);
    stream.ReadInt(&capacity);
    stream.ReadFloat(&start);
    stream.ReadUInt(&owner);
    bool good = stream.Good();
    if (m_pStatic)
        good = m_pStatic->Load(stream) && good;
    if (m_pAnimated)
        good = m_pAnimated->Load(stream) && good;
    if (!good || type < RIDE_NONE || type > RIDE_ANIMAL_SHOW || !std::isfinite(timer) || !std::isfinite(start))
    {
        GetLogger()->Report(0, "RideComponent::Load - the saved ride is damaged or cut short");
        return false;
    }
    m_RideObjectList = std::move(riders);
    m_dwOwner = owner;
    m_bRideRunning = running;
    m_fRideTimer = timer;
    m_RideType = type;
    m_iRideCapacity = capacity;
    m_fRideStartTime = start;
    return true;
}
