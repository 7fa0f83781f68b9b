// SceneObject: position, orientation, the model with its links, bounds and attachment slots, the bone mask and the
// scene part of the save record; ModelInstance.
#include "engine/render/SceneObject.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/render/BoneAnimation.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"

#include <algorithm>
#include <cstring>

SceneObject::SceneObject(uint32_t kind) : m_uKind(kind) {}

SceneObject::~SceneObject()
{
    if (m_pScene)
        m_pScene->RemoveObject(*this);
}

bool SceneObject::Tick()
{
    return true;
}

bool SceneObject::Render()
{
    return false;
}

float SceneObject::IntersectRay(const platform::Vec3& origin, const platform::Vec3& direction)
{
    return g_GraphicsManager.IntersectModel(m_hModel, 0, 0, m_BoneEnable, 0, origin, direction);
}

uint32_t SceneObject::StartAnimation(uint32_t, uint32_t, uint32_t, uint32_t)
{
    return 0;
}

void SceneObject::StopAnimation() {}

void SceneObject::SetPosition(float x, float y, float z)
{
    m_Pos = {x, y, z};
    if (m_pScene)
        m_pScene->ObjectMoved(*this);
}

void SceneObject::SetOrientation(float x, float y, float z)
{
    m_Ori = {x, y, z};
}

const platform::Matrix* SceneObject::GetInversePlacement() const
{
    // Compared bit for bit: a placement read from a save or written by a subclass is noticed as well.
    if (m_uInverseState == 0 || std::memcmp(&m_inverseFor[0], &m_Pos, sizeof(m_Pos)) != 0 ||
        std::memcmp(&m_inverseFor[1], &m_Ori, sizeof(m_Ori)) != 0)
    {
        m_inverseFor[0] = m_Pos;
        m_inverseFor[1] = m_Ori;
        m_uInverseState = platform::MatrixInverse(PlacementMatrix(m_Pos, m_Ori), &m_inversePlacement) ? 1 : 2;
    }
    return m_uInverseState == 1 ? &m_inversePlacement : nullptr;
}

uint32_t SceneObject::SetModel(const char* name)
{
    m_hModel = g_ModelManager.Load(name);
    SetupModelData();
    // Its size may have changed with the model: the scene files it again.
    if (m_pScene)
        m_pScene->ObjectMoved(*this);
    return m_hModel;
}

const ModelBounds* SceneObject::GetModelBoundingBox() const
{
    return g_ModelManager.GetBounds(m_hModel);
}

void SceneObject::CopyBounds()
{
    if (const ModelBounds* bounds = g_ModelManager.GetBounds(m_hModel))
    {
        m_fRadius = bounds->Radius();
        m_Centre = bounds->Centre();
    }
}

void SceneObject::SetupModelData()
{
    if (!g_ModelManager.IsInUse(m_hModel))
        return;
    const OptModel* opt = g_ModelManager.GetOptModel(m_hModel);
    const SModel* model = g_ModelManager.GetModel(m_hModel);
    m_Links = opt ? opt->m_links : model ? model->m_links : std::vector<ModelLink>{};
    if (!m_Links.empty())
    {
        m_Links[0].m_uFlagA = 0;
        m_Links[0].m_uFlagC = 0;
    }
    CopyBounds();
    const size_t points = opt ? opt->m_attachments.size() : model ? model->m_attachments.size() : 0;
    m_Attachments.assign(points, nullptr);
}

void SceneObject::DrawModel() const
{
    g_GraphicsManager.DrawModel(m_hModel, m_uVisibility, m_Pos, m_Ori, m_BoneEnable, m_Attachments.data(),
                                static_cast<uint32_t>(m_Attachments.size()), 0);
}

bool SceneObject::EnableBone(const char* name, bool enable)
{
    const uint32_t bit = g_ModelManager.FindBoneMask(m_hModel, name);
    if (bit == 0)
        return false;
    if (enable)
        m_BoneEnable |= bit;
    else
        m_BoneEnable &= ~bit;
    return true;
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
    stream.WriteInt("m_BoneEnable", static_cast<int32_t>(m_BoneEnable));
    stream.WriteInt("m_hModel", static_cast<int32_t>(m_hModel));
}

void SceneObject::ReadSigned(SerialStream& stream, uint32_t* value)
{
    int32_t stored{};
    stream.ReadInt(&stored);
    *value = static_cast<uint32_t>(stored);
}

bool SceneObject::Load(SerialStream& stream)
{
    stream.ReadFloat(&m_Ori.x);
    stream.ReadFloat(&m_Ori.y);
    stream.ReadFloat(&m_Ori.z);
    stream.ReadFloat(&m_Pos.x);
    stream.ReadFloat(&m_Pos.y);
    stream.ReadFloat(&m_Pos.z);
    ReadSigned(stream, &m_BoneEnable);
    uint32_t model = kNoModel;
    ReadSigned(stream, &model);
    // Handles are numbered in the order models are first loaded, which differs from run to run: an object that was
    // made with its model (by name) keeps it, and only an object without one takes the saved handle.
    if (m_hModel != kNoModel && m_hModel != 0 && g_ModelManager.IsInUse(m_hModel))
        model = m_hModel;
    // A handle that names no loaded model is not used: the object is left without a model.
    if (model != kNoModel && model != 0 && !g_ModelManager.IsInUse(model))
    {
        GetLogger()->Report(1, "SceneObject::Load - model handle %u is not loaded", model);
        model = 0;
    }
    m_hModel = model;
    // Attachment contents are not saved: every slot starts empty.
    std::fill(m_Attachments.begin(), m_Attachments.end(), nullptr);
    SetupModelData();
    // The saved place (and the model's size) replace those the object was made with: a scene that holds it
    // already files it again.
    if (m_pScene)
        m_pScene->ObjectMoved(*this);
    return stream.Good();
}

// ---- ModelInstance

ModelInstance::ModelInstance(uint32_t model, const platform::Vec3& position, const platform::Vec3& orientation)
    : SceneObject(kKind)
{
    m_hModel = model;
    CopyBounds();
    SetPositionVec(position);
    SetOrientationVec(orientation);
}

bool ModelInstance::Tick()
{
    return false;
}

float ModelInstance::IntersectRay(const platform::Vec3& origin, const platform::Vec3& direction)
{
    return g_GraphicsManager.IntersectModel(m_hModel, 0, 0, 0xFFFFFFFF, 0, origin, direction);
}

bool ModelInstance::Render()
{
    DrawModel();
    return true;
}
