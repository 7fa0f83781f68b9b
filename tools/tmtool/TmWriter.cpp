// The .tm and optimised-layout writers: every record field by field, little-endian, in the readers' order.
#include "tools/tmtool/TmWriter.h"

#include <cstring>
#include <string>

namespace tmtool
{
namespace
{

class ByteWriter
{
public:
    void U8(uint8_t v) { m_bytes.push_back(v); }
    void U16(uint16_t v)
    {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v)
    {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void F32(float f)
    {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        U32(bits);
    }
    void Vec3(const platform::Vec3& v)
    {
        F32(v.x);
        F32(v.y);
        F32(v.z);
    }
    void Matrix(const platform::Matrix& m)
    {
        for (const auto& row : m.m)
            for (float value : row)
                F32(value);
    }
    void Bytes(const uint8_t* data, size_t n) { m_bytes.insert(m_bytes.end(), data, data + n); }
    template <size_t N> void Bytes(const std::array<uint8_t, N>& data) { Bytes(data.data(), N); }
    // A zero-padded name field (the name cut to leave room for its terminator).
    void Name(const std::string& name, size_t size)
    {
        const size_t n = name.size() < size ? name.size() : size - 1;
        Bytes(reinterpret_cast<const uint8_t*>(name.data()), n);
        m_bytes.insert(m_bytes.end(), size - n, 0);
    }
    void Wave(const WaveRecord& wave)
    {
        uint8_t bytes[kWaveRecordSize];
        WriteWaveRecord(wave, bytes);
        Bytes(bytes, kWaveRecordSize);
    }
    void Bounds(const ModelBounds& bounds)
    {
        for (float value : bounds.m_af)
            F32(value);
    }
    void Box(const OrientedBox& box)
    {
        Vec3(box.m_centre);
        Vec3(box.m_halfSize);
        Matrix(box.m_orientation);
    }
    void Table(uint32_t width, uint32_t height, const std::vector<uint32_t>& values)
    {
        U32(width);
        U32(height);
        if (width != 0 && height != 0)
            for (size_t i = 0; i < size_t{width} * height; ++i)
                U32(i < values.size() ? values[i] : 0);
    }
    void Attachments(const std::vector<AttachmentPoint>& points)
    {
        U32(static_cast<uint32_t>(points.size()));
        for (const AttachmentPoint& point : points)
        {
            for (float value : point.m_afValues)
                F32(value);
            U32(point.m_uValue);
        }
    }
    void Locators(const std::vector<Locator>& locators)
    {
        U32(static_cast<uint32_t>(locators.size()));
        for (const Locator& locator : locators)
        {
            Vec3(locator.m_position);
            Vec3(locator.m_vector);
            Name(locator.m_name, kTmLinkNameSize);
        }
    }
    // A length and that many bytes.
    void String(const std::string& text)
    {
        U32(static_cast<uint32_t>(text.size()));
        Bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }

    std::vector<uint8_t> m_bytes;
};

// ---- .tm

void WriteMaterial(ByteWriter& out, const SubModelLOD& level)
{
    const SMaterial& m = level.m_material;
    out.U32(m.m_uDiffuse);
    out.U32(m.m_uSelfIllumination);
    out.U32(m.m_uSpecular);
    out.F32(m.m_fSpecularPower);
    for (int layer = 0; layer < 2; ++layer)
    {
        const MaterialStage& stage = m.m_aStages[layer];
        out.U16(stage.m_uTextureMode);
        out.U8(stage.m_uSampling);
        out.U8(static_cast<uint8_t>(stage.m_iMipBias));
        out.U32(0);
        out.U16(stage.m_uColourOp);
        out.U16(stage.m_uAlphaOp);
        const std::string& name = level.m_aszTexture[layer];
        out.U32(static_cast<uint32_t>(name.size()));
        out.Name(name, kTmTextureNameSize);
    }
    out.U8(m.m_uBlendMode);
    out.U8(m.m_uDepthCompare);
    out.U8(m.m_uAlphaRef);
    out.U8(m.m_uDepthAlphaFlags);
    out.U16(level.m_uMaterialSpare);
    out.U32(static_cast<uint32_t>(m.m_channels.size()));
    for (const MaterialChannel& channel : m.m_channels)
        out.Wave(channel);
}

void WriteSubModel(ByteWriter& out, const SubModel& sub)
{
    out.Name(sub.m_name, kTmSubModelNameSize);
    out.U32(sub.m_uValue);
    out.Bounds(sub.m_bounds);
    const bool storedAsZero = sub.m_uLevelCountByte == 0 && sub.m_levels.size() == 1;
    out.U8(storedAsZero ? 0 : static_cast<uint8_t>(sub.m_levels.size()));
    for (const SubModelLOD& level : sub.m_levels)
    {
        out.F32(level.m_fSwitchDistance);
        out.U32(static_cast<uint32_t>(level.m_indices.size()));
        for (uint16_t index : level.m_indices)
            out.U16(index);
        out.U32(level.m_uVertexCount);
        out.U32(level.m_uValueA);
        out.Bytes(level.m_auBytes);
        out.U8(level.m_uOwnByte);
        out.U32(level.m_uRegistration);
        out.U32(level.m_uValueB);
        out.Bytes(level.m_auCarried);
        WriteMaterial(out, level);
    }
    out.U32(sub.m_uVertexKind);
    out.U32(sub.m_uRecordCount);
    const uint32_t n = sub.GetVertexCount();
    if (sub.m_uVertexKind == 0)
        for (uint32_t i = 0; i < n; ++i)
            out.Vec3(i < sub.m_positions.size() ? sub.m_positions[i] : platform::Vec3{});
    else if (sub.m_uVertexKind <= 4)
        for (size_t i = 0; i < size_t{sub.m_uRecordCount} * kTmKindRecordSize; ++i)
            out.U8(i < sub.m_records.size() ? sub.m_records[i] : 0);
    for (uint32_t i = 0; i < n; ++i)
        out.Vec3(i < sub.m_normals.size() ? sub.m_normals[i] : platform::Vec3{});
    for (uint32_t i = 0; i < n; ++i)
    {
        const platform::Vec2 uv = i < sub.m_uvs.size() ? sub.m_uvs[i] : platform::Vec2{};
        out.F32(uv.x);
        out.F32(uv.y);
    }
    out.U8(sub.m_uColourFlag);
    if (sub.m_uColourFlag != 0)
        for (uint32_t i = 0; i < n; ++i)
            out.U32(i < sub.m_colours.size() ? sub.m_colours[i] : 0);
    out.U32(sub.m_uCapsuleValue);
    out.Vec3(sub.m_capsuleA);
    out.Vec3(sub.m_capsuleB);
    out.F32(sub.m_fCapsuleRadius);
    out.U32(sub.m_auColours[0]);
    out.U32(sub.m_auColours[1]);
    out.U32(sub.m_uBoxFlag);
    if (sub.HasBox())
        out.Box(sub.m_box);
    out.U32(sub.m_auTail[0]);
    out.U32(sub.m_auTail[1]);
    out.Bytes(sub.m_auTailBytes);
}

void WriteBoneRecord(ByteWriter& out, const SBone& bone)
{
    out.Name(bone.m_name, kTmBoneNameSize);
    out.U32(static_cast<uint32_t>(bone.m_children.size()));
    out.Matrix(bone.m_local);
    out.Vec3(bone.m_restPosition);
    out.Vec3(bone.m_restRotation);
    out.Vec3(bone.m_restScale);
    out.U32(static_cast<uint32_t>(bone.m_waves.size()));
    out.U32(bone.m_uOverwritten);
    out.U32(static_cast<uint32_t>(bone.m_subModels.size()));
    out.U16(bone.m_uValue16);
    out.Bytes(bone.m_auCarried);
    out.U8(bone.m_uHasKeyLists);
    out.U32(bone.m_uToggleBit);
    out.U16(bone.m_auPairA[0]);
    out.U16(bone.m_auPairA[1]);
    out.U32(bone.m_uFixedPositionValue);
    out.U16(bone.m_auPairB[0]);
    out.U16(bone.m_auPairB[1]);
    out.Bytes(bone.m_auTail);
}

// One level of the tree: every bone record, then each bone's waves, key lists and subtree, then the submodels.
void WriteBones(ByteWriter& out, const std::vector<SBone>& bones, const std::vector<SubModel>* subModels)
{
    for (const SBone& bone : bones)
        WriteBoneRecord(out, bone);
    for (const SBone& bone : bones)
    {
        for (const WaveRecord& wave : bone.m_waves)
            out.Wave(wave);
        if (bone.m_uHasKeyLists != 0)
        {
            for (int list = 0; list < kKeyListCount; ++list)
            {
                const std::vector<KeyFrame> none;
                const std::vector<KeyFrame>& keys = bone.m_pKeys ? bone.m_pKeys->m_lists[list] : none;
                out.U32(static_cast<uint32_t>(keys.size()));
                for (const KeyFrame& key : keys)
                {
                    out.U32(key.m_uTime);
                    for (float value : key.m_afValue)
                        out.F32(value);
                }
            }
        }
        WriteBones(out, bone.m_children, &bone.m_subModels);
    }
    if (subModels)
        for (const SubModel& sub : *subModels)
            WriteSubModel(out, sub);
}

// ---- optimised layout

void WriteChannels(ByteWriter& out, int32_t first, uint32_t count)
{
    const MaterialChannel* run = g_ChannelStore.Get(first, count);
    for (uint32_t i = 0; i < count; ++i)
        out.Wave(run ? run[i] : MaterialChannel{});
}

void WriteOptLevel(ByteWriter& out, const OptMeshLOD& lod)
{
    out.U8(lod.m_uSortClass);
    for (uint8_t b : lod.m_auSpare)
        out.U8(b);
    out.U32(lod.m_uVertexCount);
    out.U32(static_cast<uint32_t>(lod.m_indices.size()));
    out.U32(lod.m_uValue);
    for (uint16_t index : lod.m_indices)
        out.U16(index);
    const StateSet* state = g_StateSetTable.Get(lod.m_parts.m_iStateSet);
    const StateSet s = state ? *state : StateSet{};
    for (uint8_t b :
         {s.m_uBlendMode, s.m_uAlphaRef, s.m_uDepthCompare, s.m_uDepthAlphaFlags, s.m_uSampling0, s.m_uColourOp0,
          s.m_uAlphaOp0, static_cast<uint8_t>(s.m_iMipBias0), s.m_uSampling1, s.m_uColourOp1, s.m_uAlphaOp1,
          static_cast<uint8_t>(s.m_iMipBias1), s.m_auUnused[0], s.m_auUnused[1], s.m_uCoordKind0, s.m_uCoordKind1})
        out.U8(b);
    const TextureTransformSet* transform = g_TextureTransformSetTable.Get(lod.m_parts.m_iTextureTransformSet);
    const TextureTransformSet t = transform ? *transform : TextureTransformSet{};
    out.U8(t.m_uChannelCount);
    out.U8(t.m_uCoordKind0);
    out.U8(t.m_uCoordKind1);
    out.U8(t.m_uUnused);
    WriteChannels(out, t.m_iChannelFirst, t.m_uChannelCount);
    const LightingSet* light = g_LightingSetTable.Get(lod.m_parts.m_iLightingSet);
    const LightingSet l = light ? *light : LightingSet{};
    for (const uint8_t* colour : {l.m_auDiffuse, l.m_auSelfIllumination, l.m_auSpecular})
        out.Bytes(colour, 4);
    out.F32(l.m_fPower);
    out.U32(l.m_uChannelCount);
    WriteChannels(out, l.m_iChannelFirst, l.m_uChannelCount);
    for (const std::string& name : lod.m_aszTexture)
        out.String(name);
}

void WriteOptMesh(ByteWriter& out, const OptMesh& mesh)
{
    out.F32(mesh.m_fFarDistance);
    for (float distance : mesh.m_afLevelDistance)
        out.F32(distance);
    out.U8(mesh.m_uKind);
    out.U8(mesh.m_uFlags);
    out.U8(mesh.m_uByte);
    out.U8(static_cast<uint8_t>(mesh.m_levels.size()));
    for (const OptMeshLOD& lod : mesh.m_levels)
        WriteOptLevel(out, lod);
    out.U32(0xFFFFFFFF);
    out.U32(mesh.m_uVertexCount);
    out.U32(mesh.m_uVertexCount);
    if (mesh.m_uKind == 0)
    {
        for (uint32_t i = 0; i < mesh.m_uVertexCount; ++i)
            out.Vec3(i < mesh.m_positions.size() ? mesh.m_positions[i] : platform::Vec3{});
        for (uint32_t i = 0; i < mesh.m_uVertexCount; ++i)
            out.Vec3(i < mesh.m_normals.size() ? mesh.m_normals[i] : platform::Vec3{});
        for (uint32_t i = 0; i < mesh.m_uVertexCount; ++i)
        {
            const OptVertex v = i < mesh.m_vertices.size() ? mesh.m_vertices[i] : OptVertex{};
            out.U32(v.m_uColour);
            out.U32(v.m_uZero);
            out.F32(v.m_fU);
            out.F32(v.m_fV);
        }
    }
    else
    {
        for (size_t i = 0; i < size_t{mesh.m_uVertexCount} * kTmKindRecordSize; ++i)
            out.U8(i < mesh.m_records.size() ? mesh.m_records[i] : 0);
    }
    out.U32(mesh.m_auColours[0]);
    out.U32(mesh.m_auColours[1]);
    out.Vec3(mesh.m_capsuleA);
    out.Vec3(mesh.m_capsuleB);
    out.F32(mesh.m_fCapsuleRadius);
}

void WriteOptBone(ByteWriter& out, const OptBone& bone)
{
    out.U32(bone.m_uFlags);
    out.U32(bone.m_auHeader[0]);
    out.U32(bone.m_auHeader[1]);
    out.Matrix(bone.m_local);
    out.Vec3(bone.m_scale);
    out.Vec3(bone.m_rotation);
    out.Vec3(bone.m_position);
    const WaveRecord* waves = bone.GetWaves();
    out.U32(waves ? bone.m_uWaveCount : 0);
    for (uint32_t i = 0; waves && i < bone.m_uWaveCount; ++i)
        out.Wave(waves[i]);
    out.U8(bone.m_pTrack ? 1 : 0);
    if (bone.m_pTrack)
    {
        const OptKeyTrack& track = *bone.m_pTrack;
        out.U32(track.m_uTicksPerFrame);
        out.U32(static_cast<uint32_t>(track.m_keys.size()));
        for (const auto& key : track.m_keys)
        {
            // Eight floats: position, a float not kept, then the quaternion x, y, z, w.
            const float values[8] = {key[4] / 256.0f,   key[5] / 256.0f,   key[6] / 256.0f,   0.0f,
                                     key[0] / 32768.0f, key[1] / 32768.0f, key[3] / 32768.0f, key[2] / 32768.0f};
            for (float value : values)
                out.F32(value);
        }
        out.U32(track.m_uEndValue);
    }
    out.U32(static_cast<uint32_t>(bone.m_children.size()));
    for (const OptBone& child : bone.m_children)
        WriteOptBone(out, child);
    out.U32(static_cast<uint32_t>(bone.m_meshes.size()));
    for (const OptMesh& mesh : bone.m_meshes)
        WriteOptMesh(out, mesh);
    out.U16(bone.m_auValues[0]);
    out.U16(bone.m_auValues[1]);
    out.String(bone.m_name);
}

} // namespace

std::vector<uint8_t> WriteTmModel(const SModel& m)
{
    ByteWriter out;
    out.U16(0);
    out.U16(kTmVersion);
    out.Bytes(m.m_auHeaderSpare);
    out.U32(static_cast<uint32_t>(m.m_bones.size()));
    for (uint32_t value : m.m_auValues)
        out.U32(value);
    out.Bounds(m.m_bounds);
    out.U32(m.m_uFrameCount);
    out.Attachments(m.m_attachments);
    out.Table(m.m_uTableWidth, m.m_uTableHeight, m.m_table);
    out.U32(m.m_uBoxFlag);
    if (m.m_uBoxFlag != 0)
        out.Box(m.m_box);
    out.U32(static_cast<uint32_t>(m.m_links.size()));
    for (const ModelLink& link : m.m_links)
    {
        out.Name(link.m_name, kTmLinkNameSize);
        out.Vec3(link.m_a);
        out.Vec3(link.m_b);
    }
    out.Locators(m.m_locators);
    out.U32(m.m_uTailValue);
    out.Bytes(m.m_auTail);
    WriteBones(out, m.m_bones, nullptr);
    return std::move(out.m_bytes);
}

std::vector<uint8_t> WriteOptModel(const OptModel& m)
{
    ByteWriter out;
    out.U32(m.m_auHeader[0]);
    out.U32(m.m_auHeader[1]);
    out.U32(static_cast<uint32_t>(m.m_bones.size()));
    for (const OptBone& bone : m.m_bones)
        WriteOptBone(out, bone);
    out.Bounds(m.m_bounds);
    out.U32(m.m_uFrameCount);
    out.Table(m.m_uTableWidth, m.m_uTableHeight, m.m_table);
    out.Attachments(m.m_attachments);
    out.Locators(m.m_locators);
    out.U32(static_cast<uint32_t>(m.m_links.size()));
    for (const ModelLink& link : m.m_links)
    {
        out.Name(link.m_name, kTmLinkNameSize);
        out.U32(link.m_uFlagA);
        out.U32(link.m_uFlagB);
        out.Vec3(link.m_a);
        out.Vec3(link.m_b);
        out.U32(link.m_uFlagC);
        out.Vec3(link.m_aRuntime[0]);
        out.Vec3(link.m_aRuntime[1]);
        out.U32(link.m_uRuntime);
    }
    return std::move(out.m_bytes);
}

} // namespace tmtool
