// AnimatedObject: a scene object that runs one key-frame animation at a time from its table of animations.
#pragma once

#include "engine/render/SceneObject.h"

#include <vector>

// The global animation scheduler starts its animations and stops the play-once ones at their end.
class AnimatedObject : public SceneObject
{
public:
    explicit AnimatedObject(uint32_t kind);
    ~AnimatedObject() override;

    void Dump(SerialStream& stream) override;
    bool Load(SerialStream& stream) override;
    // Records the running animation; returns the play type.
    uint32_t StartAnimation(uint32_t animation, uint32_t start, uint32_t type, uint32_t end) override;
    void StopAnimation() override;
    // The model posed by the running animation.
    float IntersectRay(const platform::Vec3& origin, const platform::Vec3& direction) override;

    // Makes a table of n empty animation entries.
    void SetAnimationCount(uint32_t count);
    uint32_t GetAnimationCount() const { return static_cast<uint32_t>(m_Animations.size()); }
    // Loads an animation file into an entry; true when it loaded. Out-of-range indices load nothing.
    bool LoadAnimation(uint32_t index, const char* name);
    void SetAnimation(uint32_t index, uint32_t handle);
    uint32_t GetAnimation(uint32_t index) const { return index < m_Animations.size() ? m_Animations[index] : 0; }

    bool IsAnimating() const { return m_bAnimating; }
    uint32_t GetCurrentAnimation() const { return m_CurrentAnimation; }
    uint32_t GetCurrentFrame() const { return m_CurrentFrame; }
    uint32_t GetAnimationType() const { return m_CurrentAnimType; }
    uint32_t GetLastFrame() const { return m_LastFrame; }
    uint32_t GetMaxFrame() const { return m_MaxFrame; }

protected:
    // The animation a loaded object plays for the saved handle (see Load).
    uint32_t OwnAnimation(uint32_t saved) const;

    bool m_bAnimating = false;
    uint32_t m_CurrentFrame = 0;
    uint32_t m_MaxFrame = 0;
    uint32_t m_LastFrame = 0;
    std::vector<uint32_t> m_Animations;
    uint32_t m_CurrentAnimation = 0;
    uint32_t m_CurrentAnimType = 0;
};
