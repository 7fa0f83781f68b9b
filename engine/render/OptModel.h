// The optimised model: the form drawing uses. Bones keep what drawing and animation need, meshes keep up to five
// distinct levels of detail, and every level's material is interned as three part numbers. Built from a source
// model or read from a stream in the optimised layout.
#pragma once

#include "engine/render/MaterialParts.h"
#include "engine/render/TmFormat.h"
#include "engine/render/Waveform.h"
#include "platform/gfx/Math.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct DrawInstance;

// Flags of an optimised bone.
namespace OptBoneFlags
{
constexpr uint32_t kLocalMatrix = 0x2;
constexpr uint32_t kScale = 0x4;
constexpr uint32_t kRotation = 0x8;
constexpr uint32_t kPosition = 0x10;
constexpr uint32_t kHasKeyLists = 0x100;
constexpr uint32_t kAll = kLocalMatrix | kScale | kRotation | kPosition | kHasKeyLists;
} // namespace OptBoneFlags

// Sizes of the optimised layout.
constexpr uint32_t kOptKeySize = 32;
constexpr uint32_t kOptLinkSize = 96;
constexpr uint32_t kOptNameLimit = 512; // names longer than this, terminator included, are refused
constexpr uint32_t kOptVertexSize = 16;
constexpr float kOptNoFarDistance = 1.0e9f;

// A vertex's drawing values besides position and normal.
struct OptVertex
{
    uint32_t m_uColour = 0;
    uint32_t m_uZero = 0;
    float m_fU = 0.0f;
    float m_fV = 0.0f;
};

// The key frames of a streamed bone: per frame a rotation quaternion (x, y, w, z, each x 32768) and a position
// (x, y, z, each x 256), all truncated toward zero.
struct OptKeyTrack
{
    uint32_t m_uTicksPerFrame = 1;
    std::vector<std::array<int16_t, 7>> m_keys;
    uint32_t m_uEndValue = 0;

    // Never 0, so that frame numbers can always be computed from a clock.
    uint32_t GetTicksPerFrame() const { return m_uTicksPerFrame == 0 ? 1 : m_uTicksPerFrame; }
    // One key from eight floats: quaternion x, y, z, w at 4 to 7, position at 0 to 2.
    static std::array<int16_t, 7> PackKey(const float (&values)[8]);
};

// One distinct level of detail.
struct OptMeshLOD
{
    uint8_t m_uSortClass = 0;
    std::array<uint8_t, 3> m_auSpare = {};
    uint32_t m_uVertexCount = 0;
    uint32_t m_uIndexCount = 0;
    uint32_t m_uValue = 0;
    std::vector<uint16_t> m_indices; // static meshes only
    MaterialPartNumbers m_parts;
    int32_t m_aiTexture[2] = {-1, -1}; // texture manager slots
    std::string m_aszTexture[2];       // their names (empty: none)
    uint32_t m_uIndexHandle = 0;       // the mesh-manager handle of its index range
    DrawInstance* m_pInstances = nullptr;
    DrawInstance* m_pOverrideInstances = nullptr;
};

// One mesh of a bone: kind 0 keeps positions, normals and vertex records; kinds 1 to 3 keep 32-byte records.
struct OptMesh
{
    float m_fFarDistance = kOptNoFarDistance;
    std::array<float, 5> m_afLevelDistance = {};
    uint8_t m_uKind = 0;
    uint8_t m_uFlags = 0; // bit 0: the submodel had vertex colours
    uint8_t m_uByte = 0;
    std::vector<OptMeshLOD> m_levels; // at most 5
    uint32_t m_uVertexHandle = 0;     // the mesh-manager handle of its vertex range
    uint32_t m_uVertexCount = 0;
    std::vector<platform::Vec3> m_positions;
    std::vector<platform::Vec3> m_normals;
    std::vector<OptVertex> m_vertices;
    std::vector<uint8_t> m_records;
    std::array<uint32_t, 2> m_auColours = {};
    platform::Vec3 m_capsuleA = {};
    platform::Vec3 m_capsuleB = {};
    float m_fCapsuleRadius = 10000.0f;
};

struct OptBone
{
    uint32_t m_uFlags = 0;
    std::array<uint32_t, 2> m_auHeader = {}; // the second is the toggle bit of the bone
    platform::Matrix m_local = {};           // zero when the bone's matrix is the identity
    platform::Vec3 m_scale = {1.0f, 1.0f, 1.0f};
    platform::Vec3 m_rotation = {};
    platform::Vec3 m_position = {};
    std::vector<WaveRecord> m_waves; // a built bone's own copy
    int32_t m_iWaveRun = -1;         // a streamed bone's waves: their place in the channel store
    uint32_t m_uWaveCount = 0;
    std::unique_ptr<OptKeyTrack> m_pTrack;
    std::vector<OptBone> m_children;
    std::vector<OptMesh> m_meshes;
    std::array<uint16_t, 2> m_auValues = {};
    std::string m_name;

    uint32_t GetToggleBit() const { return m_auHeader[1]; }
    // The bone's waves, wherever they are kept (null when it has none).
    const WaveRecord* GetWaves() const;
};

struct OptModel
{
    std::array<uint32_t, 2> m_auHeader = {};
    std::vector<OptBone> m_bones;
    ModelBounds m_bounds;
    uint32_t m_uFrameCount = 0;
    uint32_t m_uTableWidth = 0;
    uint32_t m_uTableHeight = 0;
    std::vector<uint32_t> m_table;
    std::vector<AttachmentPoint> m_attachments;
    std::vector<Locator> m_locators;
    std::vector<ModelLink> m_links;

    const Locator* FindLocator(const char* name) const;
};

// Whether a child bone of this name is left out of the optimised tree (occlusion geometry, never drawn): its name
// holds "OCCLUSION" in any letter case.
bool IsOcclusionBone(const std::string& name);

// The sort class of a level from its blend mode, alpha test, the level's own byte and the mesh kind.
uint8_t SortClassOf(uint8_t blendMode, bool alphaTest, uint8_t ownByte, uint8_t meshKind);

// The bounding capsule of a submodel of vertex kind 0 (written into its capsule fields): from its box when it has
// one, else from its bounds.
void ComputeCapsule(SubModel* sub);

// Builds the optimised form of a source model (the submodels' capsules are computed on the way). Materials are
// interned without validation; false in `*channelsStored` when a channel run did not fit the channel store.
std::unique_ptr<OptModel> BuildOptModel(SModel& model, bool* channelsStored = nullptr);

struct OptReadOptions
{
    // Load the levels' textures through the texture manager (else the slots stay 0).
    bool m_bLoadTextures = true;
    // Have the renderer, when there is one, check each state set.
    bool m_bValidate = true;
};

// Reads an optimised model from a stream of bytes. Every count and length is checked against what follows, index
// lists against the vertices, codes against their tables; a stream that is short or does not make sense is
// refused (null) and nothing read from it is kept.
std::unique_ptr<OptModel> ReadOptModel(const uint8_t* data, size_t size, const OptReadOptions& options = {});
