// SceneObject: the base of everything a scene holds: model handle, position, orientation, bone mask and
// attachment slots.
#pragma once

#include "platform/gfx/Math.h"

#include <cstdint>
#include <vector>

class SerialStream;

// Model loading, the spatial index and model drawing are not wired in yet: SetModel yields no model, there are
// no attachment slots and no bones to toggle, and Render draws nothing. The fields and their save record are
// final.
class SceneObject
{
public:
    static constexpr uint32_t kNoModel = 0xFFFFFFFF;
    static constexpr uint32_t kDefaultBoneMask = 0x80000000;

    explicit SceneObject(uint32_t kind);
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    virtual bool Tick();
    virtual bool Render();
    // Distance along the ray to the posed model, 0 or less when it misses.
    virtual float IntersectRay(const platform::Vec3& origin, const platform::Vec3& direction);
    virtual void Dump(SerialStream& stream);
    // False when the stream failed.
    virtual bool Load(SerialStream& stream);
    virtual ~SceneObject();
    virtual uint32_t StartAnimation(uint32_t animation, uint32_t start, uint32_t type, uint32_t end);
    virtual void StopAnimation();

    void SetPosition(float x, float y, float z);
    void SetPositionVec(const platform::Vec3& position) { SetPosition(position.x, position.y, position.z); }
    void SetOrientation(float x, float y, float z);
    void SetOrientationVec(const platform::Vec3& orientation)
    {
        SetOrientation(orientation.x, orientation.y, orientation.z);
    }
    const platform::Vec3& GetPosition() const { return m_Pos; }
    const platform::Vec3& GetOrientation() const { return m_Ori; }

    // Loads the named model and returns its handle, 0 when it cannot be loaded.
    uint32_t SetModel(const char* name);
    uint32_t GetModel() const { return m_hModel; }
    // Switches a toggleable part of the model; false when the model has no such part.
    bool EnableBone(const char* name, bool enable);
    uint32_t GetBoneMask() const { return m_BoneEnable; }

    // Attachment slots (one per attachment point of the model). Out-of-range indices are ignored.
    bool AddAttachment(SceneObject* object);
    void SetAttachment(uint32_t index, SceneObject* object);
    void ClearAttachment(uint32_t index);
    void RemoveAttachment(const SceneObject* object);
    bool HasAttachment(uint32_t index) const;

    uint32_t GetKind() const { return m_uKind; }

protected:
    // Rebuilds the attachment slots and bounds from the current model.
    void SetupModelData();
    // Draws the model unanimated with the object's position, orientation, bone mask and attachments.
    void DrawModel() const;

    uint32_t m_uKind;
    uint32_t m_uVisibility = 0;
    platform::Vec3 m_Ori = {0.0f, 0.0f, 0.0f};
    uint32_t m_hModel = kNoModel;
    float m_fRadius = 1.0f;
    platform::Vec3 m_Centre = {0.0f, 0.0f, 0.0f};
    uint32_t m_uIndexCell = 0xFFFFFFFF;
    uint32_t m_BoneEnable = kDefaultBoneMask;
    std::vector<SceneObject*> m_Attachments;
    platform::Vec3 m_Pos = {0.0f, 0.0f, 0.0f};
};
