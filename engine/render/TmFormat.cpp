// Reading ".tm" model files: the model record, then the bone tree level by level (all bone records of a level, then
// each bone's waves, key lists and subtree, then the level's submodels), with the checks every submodel passes.
#include "engine/render/TmFormat.h"

#include "engine/render/RecordReader.h"
#include "platform/Paths.h"
#include "platform/Strings.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{

constexpr uint32_t kSuspectVertexCount = 65000;

// The per-bone counts of a level's records, needed after all of them are read.
struct BoneCounts
{
    uint32_t m_uChildren = 0;
    uint32_t m_uSubModels = 0;
    uint32_t m_uWaves = 0;
};

std::string Format(const char* format, uint32_t value)
{
    char text[160];
    std::snprintf(text, sizeof(text), format, static_cast<int>(value));
    return text;
}

class TmReader
{
public:
    TmReader(const uint8_t* data, size_t size, const TmReadOptions& options, TmReadResult* result)
        : m_in(data, size), m_options(options), m_result(result)
    {
    }

    bool ReadHeader()
    {
        m_in.U16();
        m_in.U16();
        m_in.Bytes(&m_result->m_pModel->m_auHeaderSpare);
        return m_in.Good();
    }

    bool ReadModelRecord(SModel* m, uint32_t* boneCount);
    // Reads one level of the tree; false when an error stopped the reading.
    bool ReadBones(std::vector<SBone>* bones, uint32_t boneCount, std::vector<SubModel>* subModels,
                   uint32_t subModelCount, uint32_t depth);
    uint32_t Tell() const { return m_in.Tell(); }

private:
    bool Fail(const std::string& message)
    {
        m_result->m_messages.push_back(message);
        return false;
    }
    bool ReadBoneRecord(SBone* bone, BoneCounts* counts);
    bool ReadKeyLists(SBone* bone);
    // Reads one submodel record; false (with a message) when it does not fit the file or does not make sense.
    bool ReadSubModel(SubModel* sub);
    bool ReadLevel(SubModelLOD* level);
    bool ReadMaterial(SubModelLOD* level);
    // The loader's checks and the vertex-cache optimisation of a read submodel; false (with a message) when the
    // submodel must not be used.
    bool CheckSubModel(SubModel* sub);
    OrientedBox ReadBox()
    {
        OrientedBox box;
        box.m_centre = m_in.Vec3();
        box.m_halfSize = m_in.Vec3();
        box.m_orientation = m_in.Matrix();
        return box;
    }
    RecordReader m_in;
    const TmReadOptions& m_options;
    TmReadResult* m_result;
};

bool TmReader::ReadModelRecord(SModel* m, uint32_t* boneCount)
{
    *boneCount = m_in.U32();
    for (uint32_t& value : m->m_auValues)
        value = m_in.U32();
    m->m_bounds = m_in.Bounds();
    m->m_uFrameCount = m_in.U32();
    // Bounds place the model in the scene's index: they must be numbers.
    if (!m->m_bounds.IsFinite())
        return false;

    if (!m_in.Attachments(&m->m_attachments) || !m_in.Table(&m->m_uTableWidth, &m->m_uTableHeight, &m->m_table))
        return false;

    m->m_uBoxFlag = m_in.U32();
    if (m->m_uBoxFlag != 0)
        m->m_box = ReadBox();

    const uint32_t links = m_in.U32();
    if (!m_in.Fits(links, kTmLinkSize))
        return false;
    m->m_links.resize(links);
    for (ModelLink& link : m->m_links)
    {
        if (!m_in.Name(kTmLinkNameSize, &link.m_name))
            return false;
        link.m_a = m_in.Vec3();
        link.m_b = m_in.Vec3();
    }

    if (!m_in.Locators(&m->m_locators))
        return false;
    m->m_uTailValue = m_in.U32();
    m_in.Bytes(&m->m_auTail);
    return m_in.Good();
}

bool TmReader::ReadBoneRecord(SBone* bone, BoneCounts* counts)
{
    if (!m_in.Name(kTmBoneNameSize, &bone->m_name))
        return false;
    counts->m_uChildren = m_in.U32();
    bone->m_local = m_in.Matrix();
    bone->m_restPosition = m_in.Vec3();
    bone->m_restRotation = m_in.Vec3();
    bone->m_restScale = m_in.Vec3();
    counts->m_uWaves = m_in.U32();
    bone->m_uOverwritten = m_in.U32();
    counts->m_uSubModels = m_in.U32();
    bone->m_uValue16 = m_in.U16();
    m_in.Bytes(&bone->m_auCarried);
    bone->m_uHasKeyLists = m_in.U8();
    bone->m_uToggleBit = m_in.U32();
    bone->m_auPairA[0] = m_in.U16();
    bone->m_auPairA[1] = m_in.U16();
    bone->m_uFixedPositionValue = m_in.U32();
    bone->m_auPairB[0] = m_in.U16();
    bone->m_auPairB[1] = m_in.U16();
    m_in.Bytes(&bone->m_auTail);
    return m_in.Good();
}

bool TmReader::ReadKeyLists(SBone* bone)
{
    static const char* const kNumKeys[kKeyListCount] = {"Failed to read in RTS Rotation Num Keys",
                                                        "Failed to read in RTS Scale Num Keys",
                                                        "Failed to read in RTS Pos Num Keys"};
    static const char* const kKeyList[kKeyListCount] = {"Failed to read in RTS Rotation Key List",
                                                        "Failed to read in RTS Scale Key List",
                                                        "Failed to read in RTS Pos Key List"};
    bone->m_pKeys = std::make_unique<KeyListSet>();
    bone->m_pKeys->m_name = bone->m_name;
    for (int list = 0; list < kKeyListCount; ++list)
    {
        const uint32_t count = m_in.U32();
        if (!m_in.Good())
            return Fail(kNumKeys[list]);
        if (count == 0)
            continue;
        if (!m_in.Fits(count, kTmKeySize))
            return Fail(kKeyList[list]);
        std::vector<KeyFrame>& keys = bone->m_pKeys->m_lists[list];
        keys.resize(count);
        for (KeyFrame& key : keys)
        {
            key.m_uTime = m_in.U32();
            for (float& value : key.m_afValue)
                value = m_in.F32();
        }
    }
    const std::vector<KeyFrame>& positions = bone->m_pKeys->m_lists[kKeysPosition];
    if (!positions.empty())
        m_result->m_pModel->m_uLargestKeyTime =
            std::max(m_result->m_pModel->m_uLargestKeyTime, positions.back().m_uTime);
    return true;
}

bool TmReader::ReadBones(std::vector<SBone>* bones, uint32_t boneCount, std::vector<SubModel>* subModels,
                         uint32_t subModelCount, uint32_t depth)
{
    if (boneCount == 0 && subModelCount == 0)
        return true;
    if (depth > kTmMaxBoneDepth)
        return Fail("Failed to read in Bones");
    std::vector<BoneCounts> counts;
    if (boneCount >= 1)
    {
        if (!m_in.Fits(boneCount, kTmBoneRecordSize))
            return Fail("Failed to read in Bones");
        bones->resize(boneCount);
        counts.resize(boneCount);
        for (uint32_t i = 0; i < boneCount; ++i)
        {
            if (!ReadBoneRecord(&(*bones)[i], &counts[i]))
            {
                bones->resize(i);
                return Fail("Failed to read in Bones");
            }
        }
    }

    for (uint32_t i = 0; i < boneCount; ++i)
    {
        SBone& bone = (*bones)[i];
        const uint32_t waves = counts[i].m_uWaves;
        if (waves > 0)
        {
            if (!m_in.Fits(waves, kWaveRecordSize))
                return Fail("Failed to read in Bone Waves");
            bone.m_waves.resize(waves);
            for (WaveRecord& wave : bone.m_waves)
                wave = m_in.Wave();
        }
        if (bone.m_uHasKeyLists != 0 && !ReadKeyLists(&bone))
            return false;
        if (!ReadBones(&bone.m_children, counts[i].m_uChildren, &bone.m_subModels, counts[i].m_uSubModels, depth + 1))
            return false;
    }

    if (subModelCount == 0)
        return true;
    // The smallest submodel record is well over 100 bytes: a count beyond what remains cannot be right.
    if (!m_in.Fits(subModelCount, 100))
        return Fail("Failed to read in SubModels");
    subModels->reserve(subModelCount);
    bool complete = true;
    for (uint32_t i = 0; i < subModelCount; ++i)
    {
        SubModel sub;
        if (!ReadSubModel(&sub))
        {
            complete = false;
            break;
        }
        subModels->push_back(std::move(sub));
    }
    for (size_t i = 0; i < subModels->size(); ++i)
    {
        if (!CheckSubModel(&(*subModels)[i]))
        {
            subModels->resize(i);
            return false;
        }
    }
    return complete;
}

bool TmReader::ReadMaterial(SubModelLOD* level)
{
    SMaterial& m = level->m_material;
    m.m_uDiffuse = m_in.U32();
    m.m_uSelfIllumination = m_in.U32();
    m.m_uSpecular = m_in.U32();
    m.m_fSpecularPower = m_in.F32();
    for (int layer = 0; layer < 2; ++layer)
    {
        MaterialStage& stage = m.m_aStages[layer];
        stage.m_uTextureMode = m_in.U16();
        stage.m_uSampling = m_in.U8();
        stage.m_iMipBias = static_cast<int8_t>(m_in.U8());
        m_in.U32(); // the texture handle of the program that wrote the file
        stage.m_iTexture = -1;
        stage.m_uColourOp = m_in.U16();
        stage.m_uAlphaOp = m_in.U16();
        const uint32_t nameLength = m_in.U32();
        std::string name;
        if (!m_in.Name(kTmTextureNameSize, &name))
            return false;
        if (nameLength > 0)
            level->m_aszTexture[layer] = name;
    }
    m.m_uBlendMode = m_in.U8();
    m.m_uDepthCompare = m_in.U8();
    m.m_uAlphaRef = m_in.U8();
    m.m_uDepthAlphaFlags = m_in.U8();
    level->m_uMaterialSpare = m_in.U16();
    const uint32_t animators = m_in.U32();
    if (!m_in.Fits(animators, kWaveRecordSize))
        return false;
    m.m_channels.resize(animators);
    for (MaterialChannel& channel : m.m_channels)
        channel = m_in.Wave();
    return m_in.Good();
}

bool TmReader::ReadLevel(SubModelLOD* level)
{
    level->m_fSwitchDistance = m_in.F32();
    const uint32_t indices = m_in.U32();
    if (!m_in.Fits(indices, 2))
        return false;
    level->m_indices.resize(indices);
    for (uint16_t& index : level->m_indices)
        index = m_in.U16();
    level->m_uVertexCount = m_in.U32();
    level->m_uValueA = m_in.U32();
    m_in.Bytes(&level->m_auBytes);
    level->m_uOwnByte = m_in.U8();
    level->m_uRegistration = m_in.U32();
    level->m_uValueB = m_in.U32();
    m_in.Bytes(&level->m_auCarried);
    return ReadMaterial(level);
}

bool TmReader::ReadSubModel(SubModel* sub)
{
    if (!m_in.Name(kTmSubModelNameSize, &sub->m_name))
        return Fail("Failed to read in SubModels");
    sub->m_uValue = m_in.U32();
    sub->m_bounds = m_in.Bounds();
    if (m_in.Good() && !sub->m_bounds.IsFinite())
        return Fail("SubModel bounds are not finite");
    sub->m_uLevelCountByte = m_in.U8();
    const uint32_t levels = std::max<uint32_t>(sub->m_uLevelCountByte, 1);
    if (levels > kTmMaxLevels)
        return Fail("Failed to read in SubModels");
    sub->m_levels.resize(levels);
    for (SubModelLOD& level : sub->m_levels)
        if (!ReadLevel(&level))
            return Fail("Failed to read in SubModels");

    const uint32_t n = sub->GetVertexCount();
    sub->m_uVertexKind = m_in.U32();
    sub->m_uRecordCount = m_in.U32();
    if (sub->m_uVertexKind == 0)
    {
        if (!m_in.Fits(n, 12))
            return Fail("Failed to read in SubModels");
        sub->m_positions.resize(n);
        for (platform::Vec3& p : sub->m_positions)
            p = m_in.Vec3();
    }
    else if (sub->m_uVertexKind <= 4)
    {
        if (!m_in.Fits(sub->m_uRecordCount, kTmKindRecordSize))
            return Fail("Failed to read in SubModels");
        sub->m_records.resize(size_t{sub->m_uRecordCount} * kTmKindRecordSize);
        m_in.Bytes(sub->m_records.data(), static_cast<uint32_t>(sub->m_records.size()));
    }
    if (!m_in.Fits(n, 20))
        return Fail("Failed to read in SubModels");
    sub->m_normals.resize(n);
    for (platform::Vec3& normal : sub->m_normals)
        normal = m_in.Vec3();
    sub->m_uvs.resize(n);
    for (platform::Vec2& uv : sub->m_uvs)
        uv = m_in.Vec2();
    sub->m_uColourFlag = m_in.U8();
    if (sub->m_uColourFlag != 0)
    {
        if (!m_in.Fits(n, 4))
            return Fail("Failed to read in SubModels");
        sub->m_colours.resize(n);
        for (uint32_t& colour : sub->m_colours)
            colour = m_in.U32();
    }
    sub->m_uCapsuleValue = m_in.U32();
    sub->m_capsuleA = m_in.Vec3();
    sub->m_capsuleB = m_in.Vec3();
    sub->m_fCapsuleRadius = m_in.F32();
    sub->m_auColours[0] = m_in.U32();
    sub->m_auColours[1] = m_in.U32();
    sub->m_uBoxFlag = m_in.U32();
    if (sub->HasBox())
        sub->m_box = ReadBox();
    sub->m_auTail[0] = m_in.U32();
    sub->m_auTail[1] = m_in.U32();
    m_in.Bytes(&sub->m_auTailBytes);
    if (!m_in.Good())
        return Fail("Failed to read in SubModels");

    // Every level draws from the submodel's vertices (kind 0) or records (kinds 1 to 4). A kind-0 level is drawn
    // from the first of its own vertex count of them, so its indices must stay below that count as well.
    const uint32_t available = sub->m_uVertexKind == 0 ? n : sub->m_uVertexKind <= 4 ? sub->m_uRecordCount : 0;
    for (const SubModelLOD& level : sub->m_levels)
    {
        if (level.m_indices.size() % 3 != 0 || level.m_uVertexCount > std::max(available, n))
            return Fail("SubModel indices are out of range");
        const uint32_t limit = sub->m_uVertexKind == 0 ? std::min(available, level.m_uVertexCount) : available;
        for (uint16_t index : level.m_indices)
            if (index >= limit)
                return Fail("SubModel indices are out of range");
    }

    // Derived values: the area of level 0's triangles and the size of the box.
    if (sub->m_uVertexKind == 0 && sub->m_fArea < 1.1920929e-7f)
    {
        const std::vector<uint16_t>& tri = sub->m_levels[0].m_indices;
        double area = 0.0;
        for (size_t i = 0; i + 2 < tri.size(); i += 3)
        {
            const platform::Vec3 a = sub->m_positions[tri[i]];
            const platform::Vec3 e1 = sub->m_positions[tri[i + 1]] - a;
            const platform::Vec3 e2 = sub->m_positions[tri[i + 2]] - a;
            area += 0.5 * platform::Vec3Length(platform::Vec3Cross(e1, e2));
        }
        sub->m_fArea = static_cast<float>(area);
    }
    if (sub->HasBox())
    {
        const platform::Vec3 h = sub->m_box.m_halfSize;
        sub->m_fBoxSize = 2.0f * (h.x + h.y + h.z);
        if (m_options.m_bDerive && (h.x < 0.01f || h.y < 0.01f || h.z < 0.01f))
            sub->m_fCapsuleRadius = 10000000.0f;
    }
    return true;
}

bool TmReader::CheckSubModel(SubModel* sub)
{
    const uint32_t n = sub->GetVertexCount();
    if (n == 0)
        return true;
    if (n > kSuspectVertexCount)
        return Fail(Format("Number of vertices for submodel is suspect: %d", n));
    if (sub->m_positions.size() != n)
        return Fail("Failed to allocate memory for SubModel Vertices");
    if (sub->m_normals.size() != n)
        return Fail("Failed to allocate memory for SubModel Normals");
    if (sub->m_uvs.size() != n)
        return Fail("Failed to allocate memory for SubModel UV1s");
    for (const platform::Vec2& uv : sub->m_uvs)
        if (!std::isfinite(uv.x) || !std::isfinite(uv.y))
            return Fail("SubModel texture coordinates are not finite");

    SubModelLOD& level0 = sub->m_levels[0];
    if (m_options.m_bOptimise && sub->m_uVertexKind == 0 && !level0.m_indices.empty())
    {
        if (CreateMesh_NXT(level0.m_indices.data(), static_cast<uint32_t>(level0.m_indices.size()), n))
            level0.m_bIndicesReplaced = true;
        if (sub->m_colours.size() != n)
            sub->m_colours.assign(n, 0);
    }
    return true;
}

} // namespace

// ---- records

bool ModelBounds::IsFinite() const
{
    for (size_t i = 0; i < m_af.size(); ++i)
        if (i != 9 && !std::isfinite(m_af[i]))
            return false;
    return true;
}

SubModelLOD* SubModel::GetLevel(int level)
{
    if (level < 0 || level >= static_cast<int>(kTmMaxLevels) || static_cast<size_t>(level) >= m_levels.size())
        return nullptr;
    return &m_levels[static_cast<size_t>(level)];
}

const SubModelLOD* SubModel::GetLevel(int level) const
{
    return const_cast<SubModel*>(this)->GetLevel(level);
}

bool SubModel::SetIndices(int level, const uint16_t* indices, uint32_t count)
{
    SubModelLOD* lod = GetLevel(level);
    if (!lod || !indices || count == 0)
        return false;
    lod->m_indices.assign(indices, indices + count);
    return true;
}

bool SubModel::SetPositions(const platform::Vec3* positions, uint32_t count)
{
    if (!positions || count == 0 || m_levels.empty())
        return false;
    m_positions.assign(positions, positions + count);
    m_levels[0].m_uVertexCount = count;
    return true;
}

bool SubModel::SetNormals(const platform::Vec3* normals, uint32_t count)
{
    if (!normals || count == 0)
        return false;
    m_normals.assign(normals, normals + count);
    return true;
}

bool SubModel::SetTexCoords(const platform::Vec2* uvs, uint32_t count)
{
    if (!uvs || count == 0)
        return false;
    m_uvs.assign(uvs, uvs + count);
    return true;
}

bool SubModel::SetColours(const uint32_t* colours, uint32_t count)
{
    if (!colours || count == 0)
        return false;
    m_colours.assign(colours, colours + count);
    return true;
}

void ShiftTexCoordsUp(SubModel* sub)
{
    if (sub->m_levels.empty() || sub->m_levels.size() > kTmMaxLevels || sub->m_uvs.empty() ||
        !sub->m_levels[0].HasTexture(0))
        return;
    float minU = 9999.0f;
    float minV = 9999.0f;
    const size_t n = std::min<size_t>(sub->GetVertexCount(), sub->m_uvs.size());
    for (size_t i = 0; i < n; ++i)
    {
        minU = std::min(minU, sub->m_uvs[i].x);
        minV = std::min(minV, sub->m_uvs[i].y);
    }
    // As many whole units as it takes, at once.
    const float shiftU = minU < 0.0f ? std::ceil(-minU) : 0.0f;
    const float shiftV = minV < 0.0f ? std::ceil(-minV) : 0.0f;
    for (platform::Vec2& uv : sub->m_uvs)
    {
        uv.x += shiftU;
        uv.y += shiftV;
    }
}

bool LevelsEqual(const SubModelLOD& a, const SubModelLOD& b)
{
    return a.m_uVertexCount == b.m_uVertexCount && a.m_indices == b.m_indices;
}

SubModel* SBone::GetSubModel(uint32_t index)
{
    return index < m_subModels.size() ? &m_subModels[index] : nullptr;
}

const Locator* SModel::FindLocator(const char* name) const
{
    if (!name)
        return nullptr;
    for (const Locator& locator : m_locators)
        if (platform::StrICmp(locator.m_name.c_str(), name) == 0)
            return &locator;
    return nullptr;
}

// ---- reading

bool ReadModelFile(const char* name, std::vector<uint8_t>* bytes)
{
    FILE* file = name ? platform::OpenFile(name, "rb") : nullptr;
    if (!file)
        return false;
    uint8_t block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof(block), file)) > 0)
        bytes->insert(bytes->end(), block, block + got);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool IsTmFile(const uint8_t* data, size_t size)
{
    return data && size >= 4 && data[0] == 0 && data[1] == 0 && data[2] == (kTmVersion & 0xFF) &&
           data[3] == (kTmVersion >> 8);
}

TmReadResult ReadTmModel(const uint8_t* data, size_t size, const TmReadOptions& options)
{
    TmReadResult result;
    if (!data || size < kTmHeaderSize)
    {
        result.m_status = TmReadStatus::ShortHeader;
        return result;
    }
    if (!IsTmFile(data, size))
    {
        result.m_status = TmReadStatus::WrongVersion;
        return result;
    }
    result.m_pModel = std::make_unique<SModel>();
    TmReader reader(data, size, options, &result);
    reader.ReadHeader();
    uint32_t boneCount = 0;
    if (!reader.ReadModelRecord(result.m_pModel.get(), &boneCount))
    {
        result.m_pModel.reset();
        result.m_status = TmReadStatus::BadModel;
        return result;
    }
    if (!reader.ReadBones(&result.m_pModel->m_bones, boneCount, nullptr, 0, 0))
        result.m_status = TmReadStatus::Partial;
    result.m_uBytesRead = reader.Tell();
    return result;
}

bool CreateMesh_NXT(uint16_t* indices, uint32_t indexCount, uint32_t vertexCount)
{
    if (!indices || indexCount == 0 || indexCount % 3 != 0)
        return false;
    std::vector<unsigned int> in(indices, indices + indexCount);
    for (unsigned int index : in)
        if (index >= vertexCount)
            return false;
    std::vector<unsigned int> out(indexCount);
    meshopt_optimizeVertexCache(out.data(), in.data(), indexCount, vertexCount);
    for (uint32_t i = 0; i < indexCount; ++i)
        indices[i] = static_cast<uint16_t>(out[i]);
    return true;
}
