// SceneObject: position, orientation, model handle, bone mask, attachments and the scene part of the save record.
#include "engine/render/SceneObject.h"

#include "engine/core/SerialStream.h"

#include <algorithm>

SceneObject::SceneObject(uint32_t kind) : m_uKind(kind) {}

SceneObject::~SceneObject() = default;

bool SceneObject::Tick()
{
    return true;
}

bool SceneObject::Render()
{
    return false;
}

float SceneObject::IntersectRay(const platform::Vec3&, const platform::Vec3&)
{
    return 0.0f;
}

uint32_t SceneObject::StartAnimation(uint32_t, uint32_t, uint32_t, uint32_t)
{
    return 0;
}

void SceneObject::StopAnimation() {}

void SceneObject::SetPosition(float x, float y, float z)
{
    m_Pos = {x, y, z};
}

void SceneObject::SetOrientation(float x, float y, float z)
{
    m_Ori = {x, y, z};
}

uint32_t SceneObject::SetModel(const char*)
{
    // No model manager yet: every name is a model that cannot be loaded.
    m_hModel = 0;
    SetupModelData();
    return m_hModel;
}

// Bounds, links and attachment slots come from the model; until models load there is nothing to copy.
void SceneObject::SetupModelData() {}

void SceneObject::DrawModel() const {}

bool SceneObject::EnableBone(const char*, bool)
{
    return false;
}

bool SceneObject::AddAttachment(SceneObject* object)
{
    auto it = std::find(m_Attachments.begin(), m_Attachments.end(), nullptr);
    if (it == m_Attachments.end())
        return false;
    *it = object;
    return true;
}

void SceneObject::SetAttachment(uint32_t index, SceneObject* object)
{
    if (index < m_Attachments.size())
        m_Attachments[index] = object;
}

void SceneObject::ClearAttachment(uint32_t index)
{
    SetAttachment(index, nullptr);
}

void SceneObject::RemoveAttachment(const SceneObject* object)
{
    std::replace(m_Attachments.begin(), m_Attachments.end(), const_cast<SceneObject*>(object),
                 static_cast<SceneObject*>(nullptr));
}

bool SceneObject::HasAttachment(uint32_t index) const
{
    return index < m_Attachments.size() && m_Attachments[index] != nullptr;
}

void SceneObject::Dump(SerialStream& stream)
{
    stream.WriteFloat("m_Ori.x", m_Ori.x);
    stream.WriteFloat("m_Ori.y", m_Ori.y);
    stream.WriteFloat("m_Ori.z", m_Ori.z);
    stream.WriteFloat("m_Pos.x", m_Pos.x);
    stream.WriteFloat("m_Pos.y", m_Pos.y);
    stream.WriteFloat("m_Pos.z", m_Pos.z);
    stream.WriteUInt("m_BoneEnable", m_BoneEnable);
    stream.WriteUInt("m_hModel", m_hModel);
}

bool SceneObject::Load(SerialStream& stream)
{
    stream.ReadFloat(&m_Ori.x);
    stream.ReadFloat(&m_Ori.y);
    stream.ReadFloat(&m_Ori.z);
    stream.ReadFloat(&m_Pos.x);
    stream.ReadFloat(&m_Pos.y);
    stream.ReadFloat(&m_Pos.z);
    stream.ReadUInt(&m_BoneEnable);
    stream.ReadUInt(&m_hModel);
    SetupModelData();
    return stream.Good();
}
