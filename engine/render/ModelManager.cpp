// The model manager: handles and names, loading .tm files and optimised models, the placeholder, texture loading,
// texture-coordinate shifting and page mapping, and registration of static vertices with the mesh manager.
#include "engine/render/ModelManager.h"

#include "engine/core/Logger.h"
#include "engine/render/MeshManager.h"
#include "engine/render/ModelHelpers.h"
#include "engine/render/RenderTypes.h"
#include "engine/render/TextureManager.h"
#include "platform/Report.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

ModelManager g_ModelManager;

namespace
{

constexpr const char* kErrorCaption = "ERROR LOADING MODEL!";
constexpr const char* kPlaceholderCaption = "ERROR LOADING MODEL! Using placeholder...";
constexpr const char* kVersionCaption = "ERROR LOADING MODEL! Using placeholder";

void ShowModelError(const char* caption, const char* format, const char* name)
{
    char text[1024];
    std::snprintf(text, sizeof(text), format, name);
    platform::ShowMessageBox(caption, text);
}

std::string Upper(const char* text)
{
    std::string out = text ? text : "";
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

LitTexVertex MakeVertex(const platform::Vec3& p, const platform::Vec3& n, uint32_t colour, float u, float v)
{
    return {p.x, p.y, p.z, n.x, n.y, n.z, colour, 0, u, v};
}

template <class Bone> const Bone* FindBone(const std::vector<Bone>& bones, const std::string& upperName)
{
    for (const Bone& bone : bones)
    {
        if (Upper(bone.m_name.c_str()) == upperName)
            return &bone;
        if (const Bone* found = FindBone(bone.m_children, upperName))
            return found;
    }
    return nullptr;
}

uint32_t ToggleBitOf(const SBone& bone)
{
    return bone.m_uToggleBit;
}

uint32_t ToggleBitOf(const OptBone& bone)
{
    return bone.GetToggleBit();
}

} // namespace

bool ModelManager::Init(uint32_t capacity, bool buildOptimised)
{
    m_uCapacity = std::max<uint32_t>(capacity, 1);
    m_bBuildOptimised = buildOptimised;
    m_models.clear();
    m_models.resize(m_uCapacity);
    m_optModels.clear();
    m_optModels.resize(m_uCapacity);
    m_handleBits.assign((m_uCapacity + 31) / 32, 0);
    m_names.clear();
    m_names.resize(m_uCapacity);
    m_pNameMap = std::make_unique<StringHashMap<uint32_t>>(m_uCapacity);
    m_uBytesLoaded = 0;
    m_bLoadingPlaceholder = false;
    TakeHandle(); // handle 0 means no model
    return true;
}

void ModelManager::Shutdown()
{
    m_uCapacity = 0;
    m_bBuildOptimised = false;
    m_models.clear();
    m_optModels.clear();
    m_handleBits.clear();
    m_names.clear();
    m_pNameMap.reset();
    m_uBytesLoaded = 0;
    m_bLoadingPlaceholder = false;
}

uint32_t ModelManager::TakeHandle()
{
    for (uint32_t word = 0; word < m_handleBits.size(); ++word)
    {
        if (m_handleBits[word] == 0xFFFFFFFF)
            continue;
        for (uint32_t bit = 0; bit < 32; ++bit)
        {
            const uint32_t handle = word * 32 + bit;
            if (handle >= m_uCapacity)
                return 0;
            if ((m_handleBits[word] & (1u << bit)) == 0)
            {
                m_handleBits[word] |= 1u << bit;
                return handle;
            }
        }
    }
    return 0;
}

bool ModelManager::IsInUse(uint32_t handle) const
{
    return handle != 0 && handle < m_uCapacity && (m_handleBits[handle / 32] & (1u << (handle % 32))) != 0;
}

uint32_t ModelManager::StoreName(uint32_t handle, const char* name)
{
    NameEntry& entry = m_names[handle];
    entry.m_uRefCount = 1;
    entry.m_name = name;
    // A full name map keeps the model; only later loads of the name load it again.
    m_pNameMap->Insert(entry.m_name.c_str(), handle);
    return handle;
}

uint32_t ModelManager::Placeholder()
{
    if (m_bLoadingPlaceholder)
        return 0; // the placeholder itself failed: no endless retries
    m_bLoadingPlaceholder = true;
    const uint32_t handle = Load(kPlaceholderName);
    m_bLoadingPlaceholder = false;
    return handle;
}

uint32_t ModelManager::Load(const char* name)
{
    if (!name || !m_pNameMap)
        return 0;
    const auto found = m_pNameMap->Find(name);
    if (found != m_pNameMap->End())
    {
        ++m_names[found.Value()].m_uRefCount;
        return found.Value();
    }
    std::vector<uint8_t> bytes;
    if (!ReadModelFile(name, &bytes))
        return 0;
    m_uBytesLoaded += static_cast<uint32_t>(bytes.size());
    if (bytes.size() < kTmHeaderSize)
    {
        platform::ShowMessageBox(kPlaceholderCaption, "Failed to read model header");
        return Placeholder();
    }
    if (IsTmFile(bytes.data(), bytes.size()))
        return LoadTm(name, bytes);
    return LoadOptimised(name, bytes);
}

uint32_t ModelManager::LoadOptimised(const char* name, const std::vector<uint8_t>& bytes)
{
    std::unique_ptr<OptModel> model = ReadOptModel(bytes.data(), bytes.size());
    if (!model)
    {
        // A file that starts like a .tm of another version is most likely one.
        if (bytes[0] == 0 && bytes[1] == 0)
            ShowModelError(kVersionCaption, "Model version number is different!\nModel: %s", name);
        else
            ShowModelError(kVersionCaption, "Failed to read optimised model\nModel: %s", name);
        return Placeholder();
    }
    const uint32_t handle = TakeHandle();
    if (handle == 0)
    {
        GetLogger()->Report(1, "ModelManager::Load - no free model handle for %s", name);
        return 0;
    }
    StoreName(handle, name);
    for (OptBone& bone : model->m_bones)
        PrepareOptBone(bone);
    m_optModels[handle] = std::move(model);
    return handle;
}

uint32_t ModelManager::LoadTm(const char* name, const std::vector<uint8_t>& bytes)
{
    TmReadResult result = ReadTmModel(bytes.data(), bytes.size());
    if (!result.m_pModel)
    {
        ShowModelError(kPlaceholderCaption, "Failed to read model record\nModel: %s", name);
        return Placeholder();
    }
    for (const std::string& message : result.m_messages)
        platform::ShowMessageBox(kErrorCaption, message.c_str());
    const uint32_t handle = TakeHandle();
    if (handle == 0)
    {
        GetLogger()->Report(1, "ModelManager::Load - no free model handle for %s", name);
        return 0;
    }
    StoreName(handle, name);
    SModel& model = *result.m_pModel;
    model.m_uFrameCount = model.m_uLargestKeyTime;
    for (SBone& bone : model.m_bones)
        LoadTextures(bone);
    for (SBone& bone : model.m_bones)
        PrepareMeshes(bone);
    if (m_bBuildOptimised)
    {
        bool stored = true;
        m_optModels[handle] = BuildOptModel(model, &stored);
        if (!stored)
            GetLogger()->Report(1, "ModelManager::Load - material channels of %s left out: channel store full", name);
    }
    m_models[handle] = std::move(result.m_pModel);
    return handle;
}

void ModelManager::LoadTextures(SBone& bone)
{
    for (SubModel& sub : bone.m_subModels)
    {
        if (sub.m_levels.empty() || sub.m_levels.size() > kTmMaxLevels)
            continue;
        for (SubModelLOD& level : sub.m_levels)
        {
            for (int layer = 0; layer < 2; ++layer)
            {
                if (!level.HasTexture(layer))
                    continue;
                const uint32_t slot = g_TextureManager.Load(level.m_aszTexture[layer].c_str(), true, false);
                level.m_material.m_aStages[layer].m_iTexture = slot != 0 ? static_cast<int32_t>(slot) : -1;
            }
        }
    }
    for (SBone& child : bone.m_children)
        LoadTextures(child);
}

void ModelManager::PrepareMeshes(SBone& bone)
{
    for (SubModel& sub : bone.m_subModels)
        PrepareSubModel(sub);
    for (SBone& child : bone.m_children)
        PrepareMeshes(child);
}

void ModelManager::PrepareSubModel(SubModel& sub)
{
    if (sub.m_levels.size() > 1 && sub.m_levels[0].m_fSwitchDistance == 0.0f &&
        sub.m_levels[1].m_fSwitchDistance == 0.0f)
    {
        sub.m_levels.resize(1);
        sub.m_uLevelCountByte = 1;
    }
    if (sub.m_levels.empty() || sub.m_levels.size() > kTmMaxLevels)
        return;

    SubModelLOD& level0 = sub.m_levels[0];
    const int32_t texture = level0.m_material.m_aStages[0].m_iTexture;
    if (!sub.m_uvs.empty() && level0.HasTexture(0))
    {
        // Coordinates below 0 move up by whole units (the texture repeats), then into the texture's page.
        ShiftTexCoordsUp(&sub);
        if (m_bBuildOptimised && texture > 0)
        {
            const TexturePlacement page = g_TextureManager.GetPlacement(static_cast<uint32_t>(texture));
            for (platform::Vec2& uv : sub.m_uvs)
            {
                uv.x = uv.x * page.m_fUScale + page.m_fUOffset;
                uv.y = uv.y * page.m_fVScale + page.m_fVOffset;
            }
        }
    }
    if (sub.m_uVertexKind == 0 && m_bBuildOptimised)
        RegisterSubModel(sub);
    else
        level0.m_uMeshHandle = 0;
}

void ModelManager::RegisterSubModel(SubModel& sub)
{
    SubModelLOD& level0 = sub.m_levels[0];
    const uint32_t n = static_cast<uint32_t>(sub.m_positions.size());
    const uint32_t diffuse = level0.m_material.m_uDiffuse;
    std::vector<LitTexVertex> vertices(n);
    for (uint32_t i = 0; i < n; ++i)
    {
        const platform::Vec3 normal = i < sub.m_normals.size() ? sub.m_normals[i] : platform::Vec3{};
        const platform::Vec2 uv = i < sub.m_uvs.size() ? sub.m_uvs[i] : platform::Vec2{};
        const uint32_t colour = i < sub.m_colours.size() ? ColourModulate(sub.m_colours[i], diffuse) : 0;
        vertices[i] = MakeVertex(sub.m_positions[i], normal, colour, uv.x, uv.y);
    }
    level0.m_uMeshHandle = g_MeshManager.Register(
        1, 4, n, vertices.data(), static_cast<uint32_t>(level0.m_indices.size()), level0.m_indices.data());
    if (level0.m_uMeshHandle == 0)
        GetLogger()->Report(0, "Register static verts: Failed to Register Mesh");
    for (size_t i = 1; i < sub.m_levels.size(); ++i)
    {
        SubModelLOD& level = sub.m_levels[i];
        level.m_uMeshHandle = 0;
        if (level.m_uRegistration != 0)
            continue;
        level.m_uMeshHandle = g_MeshManager.Register(1, 4, 0, nullptr, static_cast<uint32_t>(level.m_indices.size()),
                                                     level.m_indices.data());
        if (level.m_uMeshHandle == 0)
            GetLogger()->Report(0, "Register static verts: Failed to Register Mesh");
    }
}

void ModelManager::PrepareOptBone(OptBone& bone)
{
    for (OptMesh& mesh : bone.m_meshes)
    {
        mesh.m_uVertexHandle = 0;
        for (OptMeshLOD& level : mesh.m_levels)
            level.m_uIndexHandle = 0;
        if (!m_bBuildOptimised || mesh.m_uKind != 0 || mesh.m_levels.empty())
            continue;
        OptMeshLOD& level0 = mesh.m_levels[0];
        const int32_t texture = level0.m_aiTexture[0];
        if (texture > 0 && !mesh.m_vertices.empty())
        {
            const TexturePlacement page = g_TextureManager.GetPlacement(static_cast<uint32_t>(texture));
            for (OptVertex& v : mesh.m_vertices)
            {
                v.m_fU = v.m_fU * page.m_fUScale + page.m_fUOffset;
                v.m_fV = v.m_fV * page.m_fVScale + page.m_fVOffset;
            }
        }
        // Small parts stay in memory for batching; larger ones go to the shared static buffers.
        if (mesh.m_uVertexCount <= kDynamicVertexLimit)
            continue;
        const uint32_t n = mesh.m_uVertexCount;
        std::vector<LitTexVertex> vertices(n);
        for (uint32_t i = 0; i < n; ++i)
        {
            const OptVertex& v = mesh.m_vertices[i];
            vertices[i] = MakeVertex(mesh.m_positions[i], mesh.m_normals[i], v.m_uColour, v.m_fU, v.m_fV);
        }
        const uint32_t handle =
            g_MeshManager.Register(1, 4, n, vertices.data(), level0.m_uIndexCount, level0.m_indices.data());
        if (handle == 0)
        {
            GetLogger()->Report(0, "Register static verts: Failed to Register Mesh");
            continue;
        }
        mesh.m_uVertexHandle = handle;
        level0.m_uIndexHandle = handle;
        // Drawing reads the shared buffers now; picking still tests level 0's triangles, so its positions and
        // indices stay.
        mesh.m_normals = {};
        mesh.m_vertices = {};
        for (size_t i = 1; i < mesh.m_levels.size(); ++i)
        {
            OptMeshLOD& level = mesh.m_levels[i];
            if (level.m_uVertexCount <= kDynamicVertexLimit)
                continue;
            level.m_uIndexHandle =
                g_MeshManager.Register(1, 4, 0, nullptr, level.m_uIndexCount, level.m_indices.data());
            if (level.m_uIndexHandle == 0)
                GetLogger()->Report(0, "Register static verts: Failed to Register Mesh");
            else
                level.m_indices = {};
        }
    }
    for (OptBone& child : bone.m_children)
        PrepareOptBone(child);
}

uint32_t ModelManager::FindBoneMask(uint32_t handle, const char* boneName)
{
    if (!IsInUse(handle) || !boneName)
        return 0;
    const std::string upper = Upper(boneName);
    uint32_t bit = 0;
    const char* found = nullptr;
    if (const OptModel* opt = m_optModels[handle].get())
    {
        if (const OptBone* bone = FindBone(opt->m_bones, upper))
        {
            bit = ToggleBitOf(*bone);
            found = bone->m_name.c_str();
        }
    }
    else if (const SModel* model = m_models[handle].get())
    {
        if (const SBone* bone = FindBone(model->m_bones, upper))
        {
            bit = ToggleBitOf(*bone);
            found = bone->m_name.c_str();
        }
    }
    if (!found)
        return 0;
    if (bit == 0 || bit == 0xFFFFFFFF)
    {
        GetLogger()->Report(0, "IterateFindModelBone - Bone %s is not toggleable\n", found);
        return 0;
    }
    return bit;
}

SModel* ModelManager::GetModel(uint32_t handle) const
{
    return IsInUse(handle) ? m_models[handle].get() : nullptr;
}

OptModel* ModelManager::GetOptModel(uint32_t handle) const
{
    return IsInUse(handle) ? m_optModels[handle].get() : nullptr;
}

const ModelBounds* ModelManager::GetBounds(uint32_t handle) const
{
    if (const OptModel* opt = GetOptModel(handle))
        return &opt->m_bounds;
    if (const SModel* model = GetModel(handle))
        return &model->m_bounds;
    return nullptr;
}

uint32_t ModelManager::GetRefCount(uint32_t handle) const
{
    return IsInUse(handle) ? m_names[handle].m_uRefCount : 0;
}

const char* ModelManager::GetName(uint32_t handle) const
{
    return IsInUse(handle) ? m_names[handle].m_name.c_str() : "";
}
