// Optimised models: building them from the source form (bones, meshes with distinct levels, capsules, interned
// material parts) and reading them from the optimised layout with every count and code checked.
#include "engine/render/OptModel.h"

#include "engine/render/ModelHelpers.h"
#include "engine/render/RecordReader.h"
#include "engine/render/TextureManager.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace
{

bool IsIdentity(const platform::Matrix& m)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m.m[r][c] != (r == c ? 1.0f : 0.0f))
                return false;
    return true;
}

// Scale components near nothing count as 1, and those within 0.01 of 1 become exactly 1.
float CleanScale(float s)
{
    if (s < 0.0001f || std::fabs(s - 1.0f) <= 0.01f)
        return 1.0f;
    return s;
}

bool IsNonZero(const platform::Vec3& v)
{
    return v.x != 0.0f || v.y != 0.0f || v.z != 0.0f;
}

float ReadRecordFloat(const uint8_t* p)
{
    float f;
    std::memcpy(&f, p, 4);
    return f;
}

void WriteRecordFloat(uint8_t* p, float f)
{
    std::memcpy(p, &f, 4);
}

// The 3-float vector at byte 16 of each 32-byte record, scaled to unit length when it has any.
void NormaliseRecordVectors(std::vector<uint8_t>* records)
{
    for (size_t at = 0; at + kTmKindRecordSize <= records->size(); at += kTmKindRecordSize)
    {
        uint8_t* v = records->data() + at + 16;
        const platform::Vec3 n = {ReadRecordFloat(v), ReadRecordFloat(v + 4), ReadRecordFloat(v + 8)};
        const float length = platform::Vec3Length(n);
        if (!(length > 0.0001f))
            continue;
        WriteRecordFloat(v, n.x / length);
        WriteRecordFloat(v + 4, n.y / length);
        WriteRecordFloat(v + 8, n.z / length);
    }
}

int16_t PackUnit(float value, float scale)
{
    const double scaled = static_cast<double>(value) * scale;
    if (!(scaled == scaled))
        return 0;
    return static_cast<int16_t>(std::clamp(std::trunc(scaled), -32768.0, 32767.0));
}

// ---- building

OptMesh BuildMesh(SubModel& sub, bool* channelsStored)
{
    OptMesh mesh;
    const SubModelLOD& level0 = sub.m_levels[0];
    const uint32_t diffuse = level0.m_material.m_uDiffuse;
    mesh.m_uFlags = sub.m_uColourFlag != 0 ? 1 : 0;
    switch (sub.m_uVertexKind)
    {
    case 0:
    {
        const uint32_t n = std::min<uint32_t>(sub.GetVertexCount(), static_cast<uint32_t>(sub.m_positions.size()));
        mesh.m_uVertexCount = n;
        mesh.m_positions.assign(sub.m_positions.begin(), sub.m_positions.begin() + n);
        mesh.m_normals.resize(n);
        mesh.m_vertices.resize(n);
        for (uint32_t i = 0; i < n; ++i)
        {
            if (i < sub.m_normals.size())
                mesh.m_normals[i] = sub.m_normals[i];
            OptVertex& v = mesh.m_vertices[i];
            if (i < sub.m_uvs.size())
            {
                v.m_fU = sub.m_uvs[i].x;
                v.m_fV = sub.m_uvs[i].y;
            }
            v.m_uColour = i < sub.m_colours.size() ? ColourModulate(sub.m_colours[i], diffuse) : 0;
        }
        break;
    }
    case 1:
    case 2:
    case 4:
        mesh.m_uKind = sub.m_uVertexKind == 4 ? 3 : static_cast<uint8_t>(sub.m_uVertexKind);
        mesh.m_uVertexCount = sub.m_uRecordCount;
        mesh.m_records = sub.m_records;
        if (sub.m_uVertexKind != 4)
            NormaliseRecordVectors(&mesh.m_records);
        break;
    default: // kind 3 and kinds without a layout: nothing to draw
        break;
    }

    // How far the mesh is drawn at all: a level that draws nothing ends the range at its distance.
    if (mesh.m_uKind == 0 && sub.m_levels.size() > 1)
    {
        for (size_t i = 1; i < sub.m_levels.size(); ++i)
        {
            const SubModelLOD& level = sub.m_levels[i];
            if (level.m_indices.empty() || level.m_uVertexCount == 0 || level.m_fSwitchDistance <= 0.0f)
            {
                mesh.m_fFarDistance = level.m_fSwitchDistance;
                break;
            }
            if (level.m_uRegistration != 0)
                mesh.m_fFarDistance = level.m_fSwitchDistance;
        }
    }

    for (size_t i = 0; i < sub.m_levels.size(); ++i)
    {
        const SubModelLOD& level = sub.m_levels[i];
        if (i > 0 && LevelsEqual(level, sub.m_levels[i - 1]))
            continue;
        mesh.m_afLevelDistance[mesh.m_levels.size()] = level.m_fSwitchDistance;
        OptMeshLOD lod;
        const SMaterial& material = level.m_material;
        lod.m_uSortClass =
            SortClassOf(material.m_uBlendMode, (material.m_uDepthAlphaFlags & 2) != 0, level.m_uOwnByte, mesh.m_uKind);
        lod.m_auSpare = {level.m_auBytes[0], level.m_auBytes[1], level.m_auBytes[2]};
        lod.m_uVertexCount = level.m_uVertexCount;
        lod.m_uIndexCount = static_cast<uint32_t>(level.m_indices.size());
        lod.m_uValue = level.m_uValueA;
        lod.m_indices = level.m_indices;
        if (!InternMaterial(material, &lod.m_parts, false) && channelsStored)
            *channelsStored = false;
        for (int stage = 0; stage < 2; ++stage)
        {
            lod.m_aiTexture[stage] = material.m_aStages[stage].m_iTexture;
            lod.m_aszTexture[stage] = level.m_aszTexture[stage];
        }
        lod.m_uIndexHandle = level.m_uMeshHandle;
        mesh.m_levels.push_back(std::move(lod));
    }
    mesh.m_uVertexHandle = level0.m_uMeshHandle;

    // The capsule that stands for the mesh far away.
    const uint32_t count = mesh.m_uKind == 0 ? mesh.m_uVertexCount : sub.m_uRecordCount;
    if (count >= 11 && sub.m_fCapsuleRadius > 0.0001f)
    {
        if (sub.m_uVertexKind == 0)
            ComputeCapsule(&sub);
        for (int i = 0; i < 2; ++i)
            mesh.m_auColours[i] = ColourModulate(sub.m_auColours[i], diffuse) | 0xFF000000;
        mesh.m_capsuleA = sub.m_capsuleA;
        mesh.m_capsuleB = sub.m_capsuleB;
        if (sub.m_fCapsuleRadius > 0.0001f)
            mesh.m_fCapsuleRadius = sub.m_fCapsuleRadius;
    }
    return mesh;
}

OptBone BuildBone(SBone& bone, bool* channelsStored)
{
    OptBone out;
    out.m_auHeader[1] = bone.m_uToggleBit;
    if (bone.m_uHasKeyLists != 0)
        out.m_uFlags |= OptBoneFlags::kHasKeyLists;
    if (!IsIdentity(bone.m_local))
    {
        out.m_local = bone.m_local;
        out.m_uFlags |= OptBoneFlags::kLocalMatrix;
    }
    out.m_scale = {CleanScale(bone.m_restScale.x), CleanScale(bone.m_restScale.y), CleanScale(bone.m_restScale.z)};
    out.m_rotation = bone.m_restRotation;
    out.m_position = bone.m_restPosition;
    if (out.m_scale.x != 1.0f || out.m_scale.y != 1.0f || out.m_scale.z != 1.0f)
        out.m_uFlags |= OptBoneFlags::kScale;
    if (IsNonZero(out.m_rotation))
        out.m_uFlags |= OptBoneFlags::kRotation;
    if (IsNonZero(out.m_position))
        out.m_uFlags |= OptBoneFlags::kPosition;
    out.m_waves = bone.m_waves;
    out.m_uWaveCount = static_cast<uint32_t>(bone.m_waves.size());
    if (!bone.m_waves.empty())
        out.m_uFlags |= OptBoneFlags::kScale | OptBoneFlags::kRotation | OptBoneFlags::kPosition;
    out.m_name = bone.m_name;
    out.m_auValues = bone.m_auPairA;
    for (SubModel& sub : bone.m_subModels)
        if (!sub.m_levels.empty())
            out.m_meshes.push_back(BuildMesh(sub, channelsStored));
    for (SBone& child : bone.m_children)
        if (!IsOcclusionBone(child.m_name))
            out.m_children.push_back(BuildBone(child, channelsStored));
    return out;
}

// ---- reading

class OptReader
{
public:
    OptReader(const uint8_t* data, size_t size, const OptReadOptions& options) : m_in(data, size), m_options(options) {}

    bool ReadModel(OptModel* model);
    // Puts what the stream brought for the engine-wide tables there: the channel runs into the channel store, the
    // material parts into their tables. Called once the whole stream proved sound; false (and the store as it
    // was) when the runs do not fit the store.
    bool Commit();
    // The levels whose textures are to be loaded once the whole stream proved sound.
    std::vector<OptMeshLOD*> m_textured;

private:
    using Run = std::vector<MaterialChannel>;
    // A level's parts as read, waiting for the stream to end well.
    struct PendingLevel
    {
        OptMeshLOD* m_pLevel;
        StateSet m_state;
        TextureTransformSet m_transform;
        Run m_transformRun;
        LightingSet m_light;
        Run m_lightRun;
    };

    bool ReadBone(OptBone* bone, uint32_t depth);
    bool ReadMesh(OptMesh* mesh);
    bool ReadLevel(OptMeshLOD* lod);
    bool ReadTrack(OptKeyTrack* track);
    bool ReadString(std::string* out);
    // Reads `count` channels; false when they do not fit the stream or could never fit the store.
    bool ReadChannels(uint32_t count, Run* run);

    RecordReader m_in;
    const OptReadOptions& m_options;
    std::vector<std::pair<OptBone*, Run>> m_boneWaves;
    std::vector<PendingLevel> m_levels;
};

bool OptReader::ReadString(std::string* out)
{
    const uint32_t length = m_in.U32();
    if (!m_in.Good() || length >= kOptNameLimit || !m_in.Fits(length, 1))
        return false;
    std::string text(length, '\0');
    m_in.Bytes(reinterpret_cast<uint8_t*>(text.data()), length);
    out->assign(text.c_str());
    return m_in.Good();
}

bool OptReader::ReadChannels(uint32_t count, Run* run)
{
    if (count > ChannelStore::kCapacity || !m_in.Fits(count, kWaveRecordSize))
        return false;
    run->resize(count);
    for (MaterialChannel& channel : *run)
        channel = m_in.Wave();
    return m_in.Good();
}

bool OptReader::Commit()
{
    const uint32_t mark = g_ChannelStore.GetCount();
    auto store = [](const Run& run, int32_t* first)
    {
        *first = g_ChannelStore.Store(run.data(), static_cast<uint32_t>(run.size()));
        return *first >= 0;
    };
    bool stored = true;
    for (auto& [bone, run] : m_boneWaves)
        stored = stored && store(run, &bone->m_iWaveRun);
    for (PendingLevel& level : m_levels)
        stored = stored && store(level.m_transformRun, &level.m_transform.m_iChannelFirst) &&
                 store(level.m_lightRun, &level.m_light.m_iChannelFirst);
    if (!stored)
    {
        g_ChannelStore.Truncate(mark);
        return false;
    }
    for (PendingLevel& level : m_levels)
    {
        MaterialPartNumbers& parts = level.m_pLevel->m_parts;
        parts.m_iStateSet =
            g_StateSetTable.Intern(m_options.m_bValidate ? ValidatedStateSet(level.m_state) : level.m_state);
        parts.m_iTextureTransformSet = g_TextureTransformSetTable.Intern(level.m_transform);
        parts.m_iLightingSet = g_LightingSetTable.Intern(level.m_light);
    }
    return true;
}

bool OptReader::ReadTrack(OptKeyTrack* track)
{
    track->m_uTicksPerFrame = m_in.U32();
    const uint32_t keys = m_in.U32();
    if (!m_in.Fits(keys, kOptKeySize))
        return false;
    track->m_keys.resize(keys);
    for (auto& key : track->m_keys)
    {
        float values[8];
        for (float& value : values)
            value = m_in.F32();
        key = OptKeyTrack::PackKey(values);
    }
    track->m_uEndValue = m_in.U32();
    return m_in.Good();
}

bool OptReader::ReadLevel(OptMeshLOD* lod)
{
    lod->m_uSortClass = m_in.U8();
    for (uint8_t& b : lod->m_auSpare)
        b = m_in.U8();
    lod->m_uVertexCount = m_in.U32();
    lod->m_uIndexCount = m_in.U32();
    lod->m_uValue = m_in.U32();
    if (lod->m_uIndexCount % 3 != 0 || !m_in.Fits(lod->m_uIndexCount, 2))
        return false;
    lod->m_indices.resize(lod->m_uIndexCount);
    for (uint16_t& index : lod->m_indices)
        index = m_in.U16();

    StateSet state{};
    state.m_uBlendMode = m_in.U8();
    state.m_uAlphaRef = m_in.U8();
    state.m_uDepthCompare = m_in.U8();
    state.m_uDepthAlphaFlags = m_in.U8();
    state.m_uSampling0 = m_in.U8();
    state.m_uColourOp0 = m_in.U8();
    state.m_uAlphaOp0 = m_in.U8();
    state.m_iMipBias0 = static_cast<int8_t>(m_in.U8());
    state.m_uSampling1 = m_in.U8();
    state.m_uColourOp1 = m_in.U8();
    state.m_uAlphaOp1 = m_in.U8();
    state.m_iMipBias1 = static_cast<int8_t>(m_in.U8());
    state.m_auUnused[0] = m_in.U8();
    state.m_auUnused[1] = m_in.U8();
    state.m_uCoordKind0 = m_in.U8();
    state.m_uCoordKind1 = m_in.U8();
    // Codes beyond their tables have no meaning: such a level is not drawn from this stream.
    if (state.m_uColourOp0 > kMaxColourOp0 || state.m_uAlphaOp0 > kMaxAlphaOp0 || state.m_uColourOp1 > kMaxColourOp1 ||
        state.m_uAlphaOp1 > kMaxAlphaOp1 || state.m_uDepthCompare > kMaxDepthCompare || state.m_uCoordKind0 > 3 ||
        state.m_uCoordKind1 > 3)
        return false;

    PendingLevel pending{lod, state, {}, {}, {}, {}};
    TextureTransformSet& transform = pending.m_transform;
    transform.m_uChannelCount = m_in.U8();
    transform.m_uCoordKind0 = m_in.U8();
    transform.m_uCoordKind1 = m_in.U8();
    transform.m_uUnused = m_in.U8();
    if (transform.m_uCoordKind0 > 3 || transform.m_uCoordKind1 > 3 ||
        !ReadChannels(transform.m_uChannelCount, &pending.m_transformRun))
        return false;

    LightingSet& light = pending.m_light;
    uint32_t colours[3];
    for (uint32_t& colour : colours)
        colour = m_in.U32();
    std::memcpy(light.m_auDiffuse, &colours[0], 4);
    std::memcpy(light.m_auSelfIllumination, &colours[1], 4);
    std::memcpy(light.m_auSpecular, &colours[2], 4);
    light.m_fPower = m_in.F32();
    light.m_uChannelCount = m_in.U32();
    if (!ReadChannels(light.m_uChannelCount, &pending.m_lightRun))
        return false;

    for (std::string& name : lod->m_aszTexture)
        if (!ReadString(&name))
            return false;
    m_levels.push_back(std::move(pending));
    lod->m_aiTexture[0] = lod->m_aiTexture[1] = 0;
    lod->m_uIndexHandle = 0xFFFFFFFF;
    return m_in.Good();
}

bool OptReader::ReadMesh(OptMesh* mesh)
{
    mesh->m_fFarDistance = m_in.F32();
    if (!(mesh->m_fFarDistance >= 0.0001f))
        mesh->m_fFarDistance = 999999.0f;
    for (float& distance : mesh->m_afLevelDistance)
        distance = m_in.F32();
    mesh->m_uKind = m_in.U8();
    mesh->m_uFlags = m_in.U8();
    mesh->m_uByte = m_in.U8();
    const uint8_t levels = m_in.U8();
    if (mesh->m_uKind > 3 || levels > kTmMaxLevels)
        return false;
    mesh->m_levels.resize(levels);
    for (OptMeshLOD& lod : mesh->m_levels)
        if (!ReadLevel(&lod))
            return false;
    m_in.U32(); // the vertex range is registered anew by the model manager
    mesh->m_uVertexHandle = 0xFFFFFFFF;
    mesh->m_uVertexCount = m_in.U32();
    if (m_in.U32() != mesh->m_uVertexCount)
        return false;
    const uint32_t n = mesh->m_uVertexCount;
    if (mesh->m_uKind == 0)
    {
        if (!m_in.Fits(n, 12 + 12 + kOptVertexSize))
            return false;
        mesh->m_positions.resize(n);
        for (platform::Vec3& p : mesh->m_positions)
            p = m_in.Vec3();
        mesh->m_normals.resize(n);
        for (platform::Vec3& normal : mesh->m_normals)
            normal = m_in.Vec3();
        mesh->m_vertices.resize(n);
        for (OptVertex& v : mesh->m_vertices)
        {
            v.m_uColour = m_in.U32();
            v.m_uZero = m_in.U32();
            v.m_fU = m_in.F32();
            v.m_fV = m_in.F32();
        }
    }
    else
    {
        if (!m_in.Fits(n, kTmKindRecordSize))
            return false;
        mesh->m_records.resize(size_t{n} * kTmKindRecordSize);
        m_in.Bytes(mesh->m_records.data(), static_cast<uint32_t>(mesh->m_records.size()));
    }
    mesh->m_auColours[0] = m_in.U32();
    mesh->m_auColours[1] = m_in.U32();
    mesh->m_capsuleA = m_in.Vec3();
    mesh->m_capsuleB = m_in.Vec3();
    mesh->m_fCapsuleRadius = m_in.F32();
    if (!m_in.Good())
        return false;

    // Every level indexes the mesh's vertices (a level of kind 0 the first of its own vertex count of them, which
    // it is drawn from); its triangles are then reordered for the vertex cache.
    for (OptMeshLOD& lod : mesh->m_levels)
    {
        if (lod.m_uVertexCount > n)
            return false;
        const uint32_t limit = mesh->m_uKind == 0 ? lod.m_uVertexCount : n;
        for (uint16_t index : lod.m_indices)
            if (index >= limit)
                return false;
        CreateMesh_NXT(lod.m_indices.data(), lod.m_uIndexCount, n);
        if (!lod.m_aszTexture[0].empty() || !lod.m_aszTexture[1].empty())
            m_textured.push_back(&lod);
    }
    return true;
}

bool OptReader::ReadBone(OptBone* bone, uint32_t depth)
{
    if (depth > kTmMaxBoneDepth)
        return false;
    bone->m_uFlags = m_in.U32();
    if (bone->m_uFlags & ~OptBoneFlags::kAll)
        return false;
    bone->m_auHeader[0] = m_in.U32();
    bone->m_auHeader[1] = m_in.U32();
    bone->m_local = m_in.Matrix();
    bone->m_scale = m_in.Vec3();
    bone->m_rotation = m_in.Vec3();
    bone->m_position = m_in.Vec3();
    bone->m_uWaveCount = m_in.U32();
    m_boneWaves.emplace_back(bone, Run{});
    if (!ReadChannels(bone->m_uWaveCount, &m_boneWaves.back().second))
        return false;
    if (m_in.U8() != 0)
    {
        bone->m_pTrack = std::make_unique<OptKeyTrack>();
        if (!ReadTrack(bone->m_pTrack.get()))
            return false;
    }
    // Every bone and mesh takes well over 100 bytes: larger counts cannot be right.
    const uint32_t children = m_in.U32();
    if (!m_in.Fits(children, 100))
        return false;
    bone->m_children.resize(children);
    for (OptBone& child : bone->m_children)
        if (!ReadBone(&child, depth + 1))
            return false;
    const uint32_t meshes = m_in.U32();
    if (!m_in.Fits(meshes, 50))
        return false;
    bone->m_meshes.resize(meshes);
    for (OptMesh& mesh : bone->m_meshes)
        if (!ReadMesh(&mesh))
            return false;
    bone->m_auValues[0] = m_in.U16();
    bone->m_auValues[1] = m_in.U16();
    return ReadString(&bone->m_name);
}

bool OptReader::ReadModel(OptModel* model)
{
    model->m_auHeader[0] = m_in.U32();
    model->m_auHeader[1] = m_in.U32();
    const uint32_t bones = m_in.U32();
    if (!m_in.Fits(bones, 100))
        return false;
    model->m_bones.resize(bones);
    for (OptBone& bone : model->m_bones)
        if (!ReadBone(&bone, 0))
            return false;
    model->m_bounds = m_in.Bounds();
    model->m_uFrameCount = m_in.U32();
    if (!model->m_bounds.IsFinite() || !m_in.Table(&model->m_uTableWidth, &model->m_uTableHeight, &model->m_table) ||
        !m_in.Attachments(&model->m_attachments) || !m_in.Locators(&model->m_locators))
        return false;
    const uint32_t links = m_in.U32();
    if (!m_in.Fits(links, kOptLinkSize))
        return false;
    model->m_links.resize(links);
    for (ModelLink& link : model->m_links)
    {
        if (!m_in.Name(kTmLinkNameSize, &link.m_name))
            return false;
        link.m_uFlagA = m_in.U32();
        link.m_uFlagB = m_in.U32();
        link.m_a = m_in.Vec3();
        link.m_b = m_in.Vec3();
        link.m_uFlagC = m_in.U32();
        link.m_aRuntime[0] = m_in.Vec3();
        link.m_aRuntime[1] = m_in.Vec3();
        link.m_uRuntime = m_in.U32();
    }
    // The layout ends with the links: anything after them means the stream is not what it claims to be.
    return m_in.Good() && m_in.Remaining() == 0;
}

} // namespace

// ---- records

bool IsOcclusionBone(const std::string& name)
{
    std::string upper = name;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper.find("OCCLUSION") != std::string::npos;
}

std::array<int16_t, 7> OptKeyTrack::PackKey(const float (&values)[8])
{
    return {PackUnit(values[4], 32768.0f), PackUnit(values[5], 32768.0f), PackUnit(values[7], 32768.0f),
            PackUnit(values[6], 32768.0f), PackUnit(values[0], 256.0f),   PackUnit(values[1], 256.0f),
            PackUnit(values[2], 256.0f)};
}

const WaveRecord* OptBone::GetWaves() const
{
    if (!m_waves.empty())
        return m_waves.data();
    return g_ChannelStore.Get(m_iWaveRun, m_uWaveCount);
}

const Locator* OptModel::FindLocator(const char* name) const
{
    if (!name)
        return nullptr;
    for (const Locator& locator : m_locators)
        if (platform::StrICmp(locator.m_name.c_str(), name) == 0)
            return &locator;
    return nullptr;
}

uint8_t SortClassOf(uint8_t blendMode, bool alphaTest, uint8_t ownByte, uint8_t meshKind)
{
    uint8_t sortClass;
    if (blendMode == 0 || blendMode == 2 || blendMode == 8)
        sortClass = alphaTest ? 4 : 0;
    else if (blendMode == 1 || blendMode == 9)
        sortClass = 16;
    else
        sortClass = ownByte != 0 ? 8 : 12;
    static const uint8_t kKindBits[4] = {0, 0x2, 0x3, 0x1};
    return static_cast<uint8_t>(sortClass | kKindBits[meshKind & 3]);
}

void ComputeCapsule(SubModel* sub)
{
    if (sub->HasBox())
    {
        const OrientedBox& box = sub->m_box;
        const float h[3] = {box.m_halfSize.x, box.m_halfSize.y, box.m_halfSize.z};
        int order[3] = {0, 1, 2};
        std::stable_sort(order, order + 3, [&](int a, int b) { return h[a] > h[b]; });
        const float longest = h[order[0]];
        const float middle = h[order[1]];
        const float smallest = h[order[2]];
        if (middle > 3.0f * smallest)
        {
            sub->m_fCapsuleRadius = 100000.0f;
            return;
        }
        const float radius = (middle + smallest) * 0.4f;
        const int k = order[0];
        const platform::Vec3 axis = {box.m_orientation.m[0][k], box.m_orientation.m[1][k], box.m_orientation.m[2][k]};
        const float half = longest - 0.8f * radius;
        sub->m_fCapsuleRadius = radius;
        sub->m_capsuleA = box.m_centre + axis * half;
        sub->m_capsuleB = box.m_centre - axis * half;
        return;
    }
    const platform::Vec3 min = sub->m_bounds.Min();
    const platform::Vec3 max = sub->m_bounds.Max();
    const platform::Vec3 centre = sub->m_bounds.Centre();
    const float extent[3] = {max.x - min.x, max.y - min.y, max.z - min.z};
    int axis = 0;
    for (int i = 1; i < 3; ++i)
        if (extent[i] >= extent[axis])
            axis = i;
    const float lo[3] = {min.x, min.y, min.z};
    const float hi[3] = {max.x, max.y, max.z};
    const float c[3] = {centre.x, centre.y, centre.z};
    float a[3] = {c[0], c[1], c[2]};
    float b[3] = {c[0], c[1], c[2]};
    a[axis] = 0.4f * c[axis] + 0.6f * lo[axis];
    b[axis] = 0.4f * c[axis] + 0.6f * hi[axis];
    sub->m_capsuleA = {a[0], a[1], a[2]};
    sub->m_capsuleB = {b[0], b[1], b[2]};
    sub->m_fCapsuleRadius = (extent[0] + extent[1] + extent[2] - extent[axis]) * 0.25f;
}

std::unique_ptr<OptModel> BuildOptModel(SModel& model, bool* channelsStored)
{
    if (channelsStored)
        *channelsStored = true;
    auto out = std::make_unique<OptModel>();
    out->m_bounds = model.m_bounds;
    out->m_uFrameCount = model.m_uFrameCount;
    for (SBone& bone : model.m_bones)
        out->m_bones.push_back(BuildBone(bone, channelsStored));
    out->m_uTableWidth = model.m_uTableWidth;
    out->m_uTableHeight = model.m_uTableHeight;
    out->m_table = model.m_table;
    out->m_attachments = model.m_attachments;
    out->m_locators = model.m_locators;
    out->m_links = model.m_links;
    return out;
}

std::unique_ptr<OptModel> ReadOptModel(const uint8_t* data, size_t size, const OptReadOptions& options)
{
    if (!data || size == 0)
        return nullptr;
    auto model = std::make_unique<OptModel>();
    OptReader reader(data, size, options);
    if (!reader.ReadModel(model.get()) || !reader.Commit())
        return nullptr;
    if (options.m_bLoadTextures && g_TextureManager.IsInitialised())
    {
        for (OptMeshLOD* lod : reader.m_textured)
            for (int stage = 0; stage < 2; ++stage)
                if (!lod->m_aszTexture[stage].empty())
                    lod->m_aiTexture[stage] =
                        static_cast<int32_t>(g_TextureManager.Load(lod->m_aszTexture[stage].c_str(), true, false));
    }
    return model;
}
