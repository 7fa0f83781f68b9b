// AnimatedObject: the running animation's fields, the animation table and their part of the save record.
#include "engine/render/AnimatedObject.h"

#include "engine/core/SerialStream.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"

AnimatedObject::AnimatedObject(uint32_t kind) : SceneObject(kind) {}

AnimatedObject::~AnimatedObject()
{
    g_AnimationScheduler.Cancel(this);
}

uint32_t AnimatedObject::StartAnimation(uint32_t animation, uint32_t start, uint32_t type, uint32_t end)
{
    m_CurrentAnimation = animation;
    m_CurrentFrame = start;
    m_bAnimating = true;
    m_CurrentAnimType = type;
    m_LastFrame = end;
    return type;
}

void AnimatedObject::StopAnimation()
{
    m_bAnimating = false;
    m_CurrentAnimation = 0;
    m_CurrentFrame = 0;
}

void AnimatedObject::SetAnimationCount(uint32_t count)
{
    m_Animations.assign(count, 0);
}

bool AnimatedObject::LoadAnimation(uint32_t index, const char* name)
{
    if (index >= m_Animations.size())
        return false;
    m_Animations[index] = g_ModelManager.Load(name);
    return m_Animations[index] != 0;
}

void AnimatedObject::SetAnimation(uint32_t index, uint32_t handle)
{
    if (index < m_Animations.size())
        m_Animations[index] = handle;
}

void AnimatedObject::Dump(SerialStream& stream)
{
    stream.BeginSave();
    stream.WriteBool("m_bAnimating", m_bAnimating);
    stream.WriteUInt("m_CurrentFrame", m_CurrentFrame);
    stream.WriteUInt("m_MaxFrame", m_MaxFrame);
    stream.WriteUInt("m_CurrentAnimation", m_CurrentAnimation);
    stream.WriteUInt("m_CurrentAnimType", m_CurrentAnimType);
    stream.WriteUInt("m_LastFrame", m_LastFrame);
    SceneObject::Dump(stream);
}

bool AnimatedObject::Load(SerialStream& stream)
{
    stream.BeginLoad();
    stream.ReadBool(&m_bAnimating);
    stream.ReadUInt(&m_CurrentFrame);
    stream.ReadUInt(&m_MaxFrame);
    stream.ReadUInt(&m_CurrentAnimation);
    stream.ReadUInt(&m_CurrentAnimType);
    stream.ReadUInt(&m_LastFrame);
    g_AnimationScheduler.Cancel(this);
    if (m_bAnimating)
        g_AnimationScheduler.Reschedule(this, m_CurrentAnimType, m_LastFrame);
    return SceneObject::Load(stream);
}

float AnimatedObject::IntersectRay(const platform::Vec3& origin, const platform::Vec3& direction)
{
    return g_GraphicsManager.IntersectModel(m_hModel, m_CurrentAnimation, m_CurrentFrame, m_BoneEnable, 0, origin,
                                            direction);
}
