// The model-only scene objects: the carried objects of a model, path models, crowd figures, ride parts and show
// actors.
#include "world/ModelObjects.h"

#include "engine/core/SerialStream.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/GraphicsManager.h"
#include "world/BaseObject.h"
#include "world/ObjectManager.h"

#include <algorithm>

namespace
{

// The play type of an animation that runs until it is replaced.
constexpr uint32_t kLoopPlay = 0;

BaseObject* FindCarried(uint32_t id)
{
    return g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
}

// Loads the model and the same file as its one animation.
void LoadModelAndAnimation(AnimatedObject& object, const char* name)
{
    object.SetModel(name);
    object.SetAnimationCount(1);
    object.LoadAnimation(0, name);
}

} // namespace

// ---------------------------------------------------------------- carried objects

bool CarriedObjects::Attach(const SceneObject& model, uint32_t id)
{
    const uint32_t points = model.GetAttachmentCount();
    if (m_Ids.size() < points)
        m_Ids.resize(points, kNoObjectID);
    for (uint32_t i = 0; i < points; ++i)
    {
        if (m_Ids[i] == kNoObjectID)
        {
            m_Ids[i] = id;
            return true;
        }
    }
    return false;
}

void CarriedObjects::Detach(uint32_t id)
{
    std::replace(m_Ids.begin(), m_Ids.end(), id, kNoObjectID);
}

bool CarriedObjects::Carries(uint32_t id) const
{
    return id != kNoObjectID && std::find(m_Ids.begin(), m_Ids.end(), id) != m_Ids.end();
}

uint32_t CarriedObjects::Count() const
{
    return static_cast<uint32_t>(
        std::count_if(m_Ids.begin(), m_Ids.end(), [](uint32_t id) { return id != kNoObjectID; }));
}

void CarriedObjects::Place(SceneObject& model, bool show) const
{
    for (uint32_t i = 0; i < m_Ids.size() && i < model.GetAttachmentCount(); ++i)
    {
        BaseObject* object = m_Ids[i] == kNoObjectID ? nullptr : FindCarried(m_Ids[i]);
        model.SetAttachment(i, object);
        if (object && show)
            object->SetVisible(true);
    }
}

void CarriedObjects::Unplace(SceneObject& model, bool hide) const
{
    for (uint32_t i = 0; i < model.GetAttachmentCount(); ++i)
        model.ClearAttachment(i);
    if (!hide)
        return;
    for (uint32_t id : m_Ids)
    {
        if (BaseObject* object = id == kNoObjectID ? nullptr : FindCarried(id))
            object->SetVisible(false);
    }
}

// ---------------------------------------------------------------- ModelObject

ModelObject::ModelObject() : AnimatedObject(kKind) {}

ModelObject::~ModelObject() = default;

bool ModelObject::Render()
{
    if (m_CurrentAnimation == 0 || !m_Visible)
        return false;
    m_Carried.Place(*this, true);
    g_GraphicsManager.DrawAnimatedModelAttached(m_hModel, m_CurrentAnimation, m_uVisibility, m_CurrentFrame, m_Pos,
                                                m_Ori, 0, m_Attachments.data(),
                                                static_cast<uint32_t>(m_Attachments.size()));
    m_Carried.Unplace(*this, true);
    return true;
}

void ModelObject::Dump(SerialStream& stream)
{
    stream.WriteBool("m_Visible", m_Visible);
    AnimatedObject::Dump(stream);
}

bool ModelObject::Load(SerialStream& stream)
{
    stream.ReadBool(&m_Visible);
    const bool loaded = AnimatedObject::Load(stream);
    // An animation saved after its end (while the park was paused) has ended.
    m_bAnimationEnded = !m_bAnimating;
    return loaded;
}

void ModelObject::StopAnimation()
{
    AnimatedObject::StopAnimation();
    m_bAnimationEnded = true;
}

void ModelObject::LoadModel(const char* name)
{
    LoadModelAndAnimation(*this, name);
}

void ModelObject::PlayAnimation()
{
    g_AnimationScheduler.Play(this, GetAnimation(0), 0, AnimationScheduler::kPlayOnce);
    m_bAnimationEnded = false;
}

// ---------------------------------------------------------------- CrowdPerson

CrowdPerson::CrowdPerson() : AnimatedObject(kKind) {}

CrowdPerson::~CrowdPerson() = default;

bool CrowdPerson::Render()
{
    if (m_CurrentAnimation == 0)
        return false;
    g_GraphicsManager.DrawAnimatedModel(m_hModel, m_CurrentAnimation, m_uVisibility, m_CurrentFrame, m_Pos, m_Ori, 0);
    return true;
}

void CrowdPerson::Play(uint32_t index, bool loop)
{
    g_AnimationScheduler.Play(this, GetAnimation(index), 0, loop ? kLoopPlay : AnimationScheduler::kPlayOnce);
}

void CrowdPerson::PlayAnimation(uint32_t index, bool loop)
{
    Play(index, loop);
    m_bTimersRunning = false;
}

void CrowdPerson::ScheduleAnimations(uint32_t firstIndex, uint32_t secondIndex, float secondDelay, float firstDelay)
{
    m_FirstAnimation = firstIndex;
    m_SecondAnimation = secondIndex;
    m_fSecondDelay = secondDelay;
    m_fFirstDelay = firstDelay;
    m_bFirstPlayed = false;
    m_bTimersRunning = true;
}

void CrowdPerson::UpdateTimers(float elapsed)
{
    if (!m_bTimersRunning)
        return;
    if (!m_bFirstPlayed)
    {
        if (m_fFirstDelay > 0.0f)
            m_fFirstDelay -= elapsed;
        if (m_fFirstDelay <= 0.0f)
        {
            Play(m_FirstAnimation, true);
            m_bFirstPlayed = true;
        }
        return;
    }
    m_fSecondDelay -= elapsed;
    if (m_fSecondDelay <= 0.0f)
    {
        m_bTimersRunning = false;
        Play(m_SecondAnimation, true);
    }
}

// ---------------------------------------------------------------- RideObject

RideObject::RideObject() : AnimatedObject(kKind) {}

RideObject::~RideObject() = default;

bool RideObject::Render()
{
    if (!m_bVisible || m_CurrentAnimation == 0)
        return false;
    m_Carried.Place(*this, false);
    g_GraphicsManager.DrawAnimatedModelAttached(m_hModel, m_CurrentAnimation, m_uVisibility, m_CurrentFrame, m_Pos,
                                                m_Ori, 0, m_Attachments.data(),
                                                static_cast<uint32_t>(m_Attachments.size()));
    m_Carried.Unplace(*this, false);
    return true;
}

void RideObject::Dump(SerialStream& stream)
{
    stream.WriteBool("m_bVisible", m_bVisible);
    AnimatedObject::Dump(stream);
}

bool RideObject::Load(SerialStream& stream)
{
    stream.ReadBool(&m_bVisible);
    const bool loaded = AnimatedObject::Load(stream);
    m_bAnimationEnded = !m_bAnimating;
    return loaded;
}

void RideObject::StopAnimation()
{
    AnimatedObject::StopAnimation();
    m_bAnimationEnded = true;
}

void RideObject::LoadModel(const char* name)
{
    LoadModelAndAnimation(*this, name);
    PlayAnimation(true);
}

void RideObject::PlayAnimation(bool loop)
{
    g_AnimationScheduler.Play(this, GetAnimation(0), 0, loop ? kLoopPlay : AnimationScheduler::kPlayOnce);
    m_bAnimationEnded = false;
}

// ---------------------------------------------------------------- ShowModel

ShowModel::ShowModel() : AnimatedObject(kKind) {}

ShowModel::~ShowModel()
{
    if (m_pScheduler)
        m_pScheduler->Cancel(this);
}

bool ShowModel::Render()
{
    if (m_CurrentAnimation == 0)
        return false;
    g_GraphicsManager.DrawAnimatedModelAttached(m_hModel, m_CurrentAnimation, m_uVisibility, m_CurrentFrame, m_Pos,
                                                m_Ori, 0, m_Attachments.data(),
                                                static_cast<uint32_t>(m_Attachments.size()));
    return true;
}

bool ShowModel::Load(SerialStream& stream)
{
    const bool loaded = AnimatedObject::Load(stream);
    m_bAnimationEnded = !m_bAnimating;
    return loaded;
}

void ShowModel::StopAnimation()
{
    AnimatedObject::StopAnimation();
    m_bAnimationEnded = true;
}

void ShowModel::LoadModel(const char* name)
{
    LoadModelAndAnimation(*this, name);
}

void ShowModel::LoadAndPlay(const char* name)
{
    LoadAndPlayOn(name, g_AnimationScheduler, false);
}

void ShowModel::LoadAndPlayOn(const char* name, AnimationScheduler& scheduler, bool loop)
{
    LoadModelAndAnimation(*this, name);
    if (m_pScheduler && m_pScheduler != &scheduler)
        m_pScheduler->Cancel(this);
    m_pScheduler = &scheduler;
    scheduler.Play(this, GetAnimation(0), 0, loop ? kLoopPlay : AnimationScheduler::kPlayOnce);
    m_bAnimationEnded = false;
}
