// AnimatedObject: the running animation's fields, the animation table and their part of the save record.
#include "engine/render/AnimatedObject.h"

#include "engine/core/SerialStream.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"

#include <algorithm>

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
    // Frames and the animation handle are saved as signed integers, the play type unsigned.
    stream.WriteBool("m_bAnimating", m_bAnimating);
    stream.WriteInt("m_CurrentFrame", static_cast<int32_t>(m_CurrentFrame));
    stream.WriteInt("m_MaxFrame", static_cast<int32_t>(m_MaxFrame));
    stream.WriteInt("m_CurrentAnimation", static_cast<int32_t>(m_CurrentAnimation));
    stream.WriteUInt("m_CurrentAnimType", m_CurrentAnimType);
    stream.WriteInt("m_LastFrame", static_cast<int32_t>(m_LastFrame));
    SceneObject::Dump(stream);
}

bool AnimatedObject::Load(SerialStream& stream)
{
    stream.BeginLoad();
    stream.ReadBool(&m_bAnimating);
    ReadSigned(stream, &m_CurrentFrame);
    ReadSigned(stream, &m_MaxFrame);
    uint32_t animation = 0;
    ReadSigned(stream, &animation);
    stream.ReadUInt(&m_CurrentAnimType);
    ReadSigned(stream, &m_LastFrame);
    m_CurrentAnimation = OwnAnimation(animation);
    g_AnimationScheduler.Cancel(this);
    if (m_bAnimating)
        g_AnimationScheduler.Reschedule(this, m_CurrentAnimType, m_LastFrame);
    return SceneObject::Load(stream);
}

uint32_t AnimatedObject::OwnAnimation(uint32_t saved) const
{
    // Handles are numbered in the order models are first loaded, which differs from run to run, so a saved handle
    // may name another object's animation, or another of this object's. An object whose creation built its table
    // plays the entry of that table that runs as long as the saved animation ran (its start to its end): the saved
    // handle when it is such an entry, else the first such entry, else none (the object stands unanimated until
    // its next animation, which still ends when the saved one would have). An object without a table keeps the
    // saved handle.
    if (saved == 0 || m_Animations.empty())
        return saved;
    const uint32_t span = m_LastFrame - m_CurrentFrame;
    const auto runsAsLong = [span](uint32_t handle)
    { return handle != 0 && AnimationScheduler::Length(handle) == span; };
    if (std::find(m_Animations.begin(), m_Animations.end(), saved) != m_Animations.end() && runsAsLong(saved))
        return saved;
    const auto own = std::find_if(m_Animations.begin(), m_Animations.end(), runsAsLong);
    return own != m_Animations.end() ? *own : 0;
}

float AnimatedObject::IntersectRay(const platform::Vec3& origin, const platform::Vec3& direction)
{
    return g_GraphicsManager.IntersectModel(m_hModel, m_CurrentAnimation, m_CurrentFrame, m_BoneEnable, 0, origin,
                                            direction);
}
