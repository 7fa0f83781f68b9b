// SceneObject: the base of everything a scene holds: model handle, position, orientation, bone mask, links and
// attachment slots; ModelInstance, a plain model placed in a scene.
#pragma once

#include "engine/render/TmFormat.h"
#include "platform/gfx/Math.h"

#include <cstdint>
#include <vector>

class SceneObject;
class SerialStream;

// What a scene offers the objects it holds; the scene sets itself on an object when it takes it.
class SceneHost
{
public:
    virtual ~SceneHost() = default;
    // The object's position changed: the spatial index files it again.
    virtual void ObjectMoved(SceneObject& object) = 0;
    // The object leaves the scene (it is being destroyed).
    virtual void RemoveObject(SceneObject& object) = 0;
};

class SceneObject
{
public:
    static constexpr uint32_t kNoModel = 0xFFFFFFFF;
    static constexpr uint32_t kDefaultBoneMask = 0x80000000;
    static constexpr uint32_t kNoCell = 0xFFFFFFFF;

    explicit SceneObject(uint32_t kind);
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    virtual bool Tick();
    // Draws the object; false when it draws nothing.
    virtual bool Render();
    // Distance along the ray to the posed model, 0 or less when it misses.
    virtual float IntersectRay(const platform::Vec3& origin, const platform::Vec3& direction);
    virtual void Dump(SerialStream& stream);
    // False when the stream failed.
    virtual bool Load(SerialStream& stream);
    virtual ~SceneObject();
    virtual uint32_t StartAnimation(uint32_t animation, uint32_t start, uint32_t type, uint32_t end);
    virtual void StopAnimation();

    // Moves the object; the scene holding it is told.
    void SetPosition(float x, float y, float z);
    void SetPositionVec(const platform::Vec3& position) { SetPosition(position.x, position.y, position.z); }
    // Turns the object (the scene is not told).
    void SetOrientation(float x, float y, float z);
    void SetOrientationVec(const platform::Vec3& orientation)
    {
        SetOrientation(orientation.x, orientation.y, orientation.z);
    }
    const platform::Vec3& GetPosition() const { return m_Pos; }
    const platform::Vec3& GetOrientation() const { return m_Ori; }
    // The inverse of the placement (orientation, then position), which carries rays into the model's space; null
    // when it cannot be inverted. Kept with the placement it was made for and made again once that changed.
    const platform::Matrix* GetInversePlacement() const;

    // Loads the named model and returns its handle, 0 when it cannot be loaded (the object then draws nothing).
    uint32_t SetModel(const char* name);
    uint32_t GetModel() const { return m_hModel; }
    // The model's 11 bound floats, or null without a model.
    const ModelBounds* GetModelBoundingBox() const;
    // Switches a toggleable bone of the model; false when the model has no such bone or it cannot be toggled.
    bool EnableBone(const char* name, bool enable);
    uint32_t GetBoneMask() const { return m_BoneEnable; }
    void SetBoneMask(uint32_t mask) { m_BoneEnable = mask; }

    // Attachment slots (one per attachment point of the model). Indices past the slots are ignored.
    bool AddAttachment(SceneObject* object);
    void SetAttachment(uint32_t index, SceneObject* object);
    void ClearAttachment(uint32_t index);
    void RemoveAttachment(const SceneObject* object);
    bool HasAttachment(uint32_t index) const;
    SceneObject* GetAttachment(uint32_t index) const
    {
        return index < m_Attachments.size() ? m_Attachments[index] : nullptr;
    }
    uint32_t GetAttachmentCount() const { return static_cast<uint32_t>(m_Attachments.size()); }
    const std::vector<ModelLink>& GetLinks() const { return m_Links; }

    uint32_t GetKind() const { return m_uKind; }
    float GetRadius() const { return m_fRadius; }
    const platform::Vec3& GetCentre() const { return m_Centre; }
    // The scene holding the object (set by the scene), its visibility code and index cell (written by the index).
    SceneHost* GetScene() const { return m_pScene; }
    void SetScene(SceneHost* scene) { m_pScene = scene; }
    uint32_t GetVisibility() const { return m_uVisibility; }
    void SetVisibility(uint32_t code) { m_uVisibility = code; }
    uint32_t GetIndexCell() const { return m_uIndexCell; }
    void SetIndexCell(uint32_t cell) { m_uIndexCell = cell; }

protected:
    // Rebuilds links, bounds and attachment slots from the current model; does nothing without a loaded model.
    void SetupModelData();
    // Copies the radius and centre of the model's bounds.
    void CopyBounds();
    // Draws the model unanimated with the object's position, orientation, bone mask and attachments.
    void DrawModel() const;
    // Reads a field saved as a signed integer into its unsigned member.
    static void ReadSigned(SerialStream& stream, uint32_t* value);

    std::vector<ModelLink> m_Links;
    SceneHost* m_pScene = nullptr;
    uint32_t m_uKind;
    uint32_t m_uVisibility = 0;
    platform::Vec3 m_Ori = {0.0f, 0.0f, 0.0f};
    uint32_t m_hModel = kNoModel;
    float m_fRadius = 1.0f;
    platform::Vec3 m_Centre = {0.0f, 0.0f, 0.0f};
    uint32_t m_uIndexCell = kNoCell;
    uint32_t m_BoneEnable = kDefaultBoneMask;
    std::vector<SceneObject*> m_Attachments;
    platform::Vec3 m_Pos = {0.0f, 0.0f, 0.0f};

private:
    mutable platform::Matrix m_inversePlacement = {};
    mutable platform::Vec3 m_inverseFor[2] = {}; // the position and orientation it was made for
    mutable uint8_t m_uInverseState = 0;         // 0 not made, 1 made, 2 the placement has no inverse
};

// A plain, unanimated model placed in a scene.
class ModelInstance : public SceneObject
{
public:
    static constexpr uint32_t kKind = 1;

    ModelInstance(uint32_t model, const platform::Vec3& position, const platform::Vec3& orientation);

    bool Tick() override;
    bool Render() override;
    float IntersectRay(const platform::Vec3& origin, const platform::Vec3& direction) override;
};
