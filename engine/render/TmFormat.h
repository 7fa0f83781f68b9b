// The source form of a model and its ".tm" file: the model record, its bone tree, the bones' submodels with their
// levels of detail and materials, and the reader that builds them from a file's bytes, field by field.
#pragma once

#include "engine/render/Material.h"
#include "engine/render/Waveform.h"
#include "platform/gfx/Math.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The file's first two 16-bit values: 0, then the version this reader understands.
constexpr uint16_t kTmVersion = 10;
constexpr uint32_t kTmHeaderSize = 12;
constexpr uint32_t kTmMaxLevels = 5;
// Fixed field sizes of the file.
constexpr uint32_t kTmBoneNameSize = 50;
constexpr uint32_t kTmSubModelNameSize = 50;
constexpr uint32_t kTmLinkNameSize = 32;
constexpr uint32_t kTmTextureNameSize = 256;
constexpr uint32_t kTmBoneRecordSize = 689;
constexpr uint32_t kTmKeySize = 20;
constexpr uint32_t kTmAttachmentSize = 24;
constexpr uint32_t kTmLinkSize = 56; // the name and two vectors
constexpr uint32_t kTmLocatorSize = 56;
constexpr uint32_t kTmBoxSize = 88;
constexpr uint32_t kTmKindRecordSize = 32;
// Bone trees deeper than this are refused (no model nests so deep; it keeps hostile files off the stack).
constexpr uint32_t kTmMaxBoneDepth = 256;

// Eleven floats: minimum x, y, z; maximum x, y, z; centre x, y, z; one spare; radius. Element 4 (maximum y) is
// the model's top height.
struct ModelBounds
{
    std::array<float, 11> m_af = {};

    platform::Vec3 Min() const { return {m_af[0], m_af[1], m_af[2]}; }
    platform::Vec3 Max() const { return {m_af[3], m_af[4], m_af[5]}; }
    platform::Vec3 Centre() const { return {m_af[6], m_af[7], m_af[8]}; }
    float Radius() const { return m_af[10]; }
    // Whether minimum, maximum, centre and radius are all finite (element 9 is not read and may hold anything).
    bool IsFinite() const;
};

// A box with its own axes: centre, half-sizes along its three axes, and a matrix whose rows give its orientation.
struct OrientedBox
{
    platform::Vec3 m_centre = {};
    platform::Vec3 m_halfSize = {};
    platform::Matrix m_orientation = {};
};

// A point objects are attached to (five floats and a 32-bit value).
struct AttachmentPoint
{
    std::array<float, 5> m_afValues = {};
    uint32_t m_uValue = 0;
};

// A named link between two points; a scene object keeps one per link of its model. The flags start at 1 and the
// run-time vectors at 0.
struct ModelLink
{
    std::string m_name;
    uint32_t m_uFlagA = 1;
    uint32_t m_uFlagB = 1;
    platform::Vec3 m_a = {};
    platform::Vec3 m_b = {};
    uint32_t m_uFlagC = 1;
    platform::Vec3 m_aRuntime[2] = {};
    uint32_t m_uRuntime = 0;
};

// A named point of the model (camera points and the like), found by name without regard to case.
struct Locator
{
    platform::Vec3 m_position = {};
    platform::Vec3 m_vector = {};
    std::string m_name;
};

// One animation key: its time in key-time units and four floats.
struct KeyFrame
{
    uint32_t m_uTime = 0;
    std::array<float, 4> m_afValue = {};
};

// The key lists of a bone: rotation, scale and position, in that order.
enum KeyListIndex
{
    kKeysRotation = 0,
    kKeysScale = 1,
    kKeysPosition = 2,
    kKeyListCount = 3,
};

struct KeyListSet
{
    std::string m_name; // the bone's name
    std::vector<KeyFrame> m_lists[kKeyListCount];
};

// One level of detail of a submodel: a triangle list over the submodel's vertices and the material it is drawn
// with. A level above 0 shares level 0's vertices; its registration value says whether it is registered with
// the mesh manager against them (only when 0).
struct SubModelLOD
{
    float m_fSwitchDistance = 0.0f;
    std::vector<uint16_t> m_indices;
    uint32_t m_uVertexCount = 0;
    uint32_t m_uValueA = 0;
    std::array<uint8_t, 4> m_auBytes = {};
    uint8_t m_uOwnByte = 0; // feeds the sort class of the optimised level
    uint32_t m_uRegistration = 0;
    uint32_t m_uValueB = 0;
    std::array<uint8_t, 24> m_auCarried = {};
    SMaterial m_material;        // texture numbers are texture manager slots once loaded, -1 before
    std::string m_aszTexture[2]; // the layers' texture file names (empty: no texture)
    uint16_t m_uMaterialSpare = 0;

    // Run-time: the mesh-manager handle of the level, and whether the optimiser replaced its indices.
    uint32_t m_uMeshHandle = 0;
    bool m_bIndicesReplaced = false;

    bool HasTexture(int layer) const { return !m_aszTexture[layer].empty(); }
};

// One mesh of a bone. Vertex kind 0 keeps positions; kinds 1 to 4 keep 32-byte records instead.
struct SubModel
{
    std::string m_name;
    uint32_t m_uValue = 0xFFFFFFFF;
    ModelBounds m_bounds;
    uint8_t m_uLevelCountByte = 1; // as stored; 0 reads as 1
    std::vector<SubModelLOD> m_levels;
    uint32_t m_uVertexKind = 0;
    uint32_t m_uRecordCount = 0;
    std::vector<platform::Vec3> m_positions;
    std::vector<uint8_t> m_records; // kinds 1 to 4: record count x 32 bytes
    std::vector<platform::Vec3> m_normals;
    std::vector<platform::Vec2> m_uvs;
    uint8_t m_uColourFlag = 0;
    std::vector<uint32_t> m_colours;
    uint32_t m_uCapsuleValue = 0;
    platform::Vec3 m_capsuleA = {};
    platform::Vec3 m_capsuleB = {};
    float m_fCapsuleRadius = 0.0f;
    std::array<uint32_t, 2> m_auColours = {}; // the two colours of the far-away line
    uint32_t m_uBoxFlag = 0;                  // only the low byte counts
    OrientedBox m_box;
    std::array<uint32_t, 2> m_auTail = {};
    std::array<uint8_t, 16> m_auTailBytes = {};

    // Derived when read: the area of level 0's triangles and twice the sum of the box's half-sizes.
    float m_fArea = 0.0f;
    float m_fBoxSize = 0.0f;

    bool HasBox() const { return (m_uBoxFlag & 0xFF) != 0; }
    // The level by number; null outside 0 to 4 and beyond the levels held.
    SubModelLOD* GetLevel(int level);
    const SubModelLOD* GetLevel(int level) const;
    // Level 0's vertex count (0 without levels).
    uint32_t GetVertexCount() const { return m_levels.empty() ? 0 : m_levels[0].m_uVertexCount; }
    // Replace an array with an owned copy; a null array or a count of 0 is refused and changes nothing.
    bool SetIndices(int level, const uint16_t* indices, uint32_t count);
    // Also sets level 0's vertex count.
    bool SetPositions(const platform::Vec3* positions, uint32_t count);
    bool SetNormals(const platform::Vec3* normals, uint32_t count);
    bool SetTexCoords(const platform::Vec2* uvs, uint32_t count);
    bool SetColours(const uint32_t* colours, uint32_t count);
};

// Moves the texture coordinates of a submodel whose level 0 has a texture on layer 0 up by whole units (the texture
// repeats) so that none of level 0's is below 0; the loader does this before it maps them into the texture's page.
void ShiftTexCoordsUp(SubModel* sub);

// Two levels are equal when they have the same index count, the same vertex count and the same indices in order.
bool LevelsEqual(const SubModelLOD& a, const SubModelLOD& b);

// One bone of the tree: a rest transform, optional waves and key lists, child bones and submodels.
struct SBone
{
    std::string m_name;
    platform::Matrix m_local = platform::MatrixIdentity();
    platform::Vec3 m_restPosition = {};
    platform::Vec3 m_restRotation = {};
    platform::Vec3 m_restScale = {1.0f, 1.0f, 1.0f};
    uint32_t m_uOverwritten = 0; // stored; its value is not used
    uint16_t m_uValue16 = 0;
    std::array<uint8_t, 448> m_auCarried = {};
    uint8_t m_uHasKeyLists = 0;
    uint32_t m_uToggleBit = 0xFFFFFFFF; // 0xFFFFFFFF: the bone cannot be toggled
    std::array<uint16_t, 2> m_auPairA = {};
    uint32_t m_uFixedPositionValue = 0;
    std::array<uint16_t, 2> m_auPairB = {};
    std::array<uint8_t, 56> m_auTail = {};

    std::vector<WaveRecord> m_waves;
    std::unique_ptr<KeyListSet> m_pKeys; // present when the bone has key lists
    std::vector<SBone> m_children;
    std::vector<SubModel> m_subModels;
    // Run-time colours: five groups of four floats.
    float m_aafColours[5][4] = {{0, 1, 1, 1}, {0, 1, 1, 1}, {0, 1, 1, 1}, {0, 1, 1, 1}, {0, 1, 1, 1}};

    // The translation comes from the local matrix instead of the position keys.
    bool HasFixedPosition() const { return m_uFixedPositionValue >= 1; }
    // The submodel by number; null outside the count.
    SubModel* GetSubModel(uint32_t index);
};

// The source form of a model.
struct SModel
{
    std::array<uint8_t, 8> m_auHeaderSpare = {};
    std::array<uint32_t, 3> m_auValues = {};
    ModelBounds m_bounds;
    uint32_t m_uFrameCount = 0; // the animation's length in key-time units (the loader sets it from the keys)
    std::vector<AttachmentPoint> m_attachments;
    uint32_t m_uTableWidth = 0;
    uint32_t m_uTableHeight = 0;
    std::vector<uint32_t> m_table; // width x height values when both are non-zero
    uint32_t m_uBoxFlag = 0;
    OrientedBox m_box;
    std::vector<ModelLink> m_links;
    std::vector<Locator> m_locators;
    uint32_t m_uTailValue = 0;
    std::array<uint8_t, 48> m_auTail = {};
    std::vector<SBone> m_bones; // the root bones

    // The largest time of the bones' last position keys, found while reading.
    uint32_t m_uLargestKeyTime = 0;

    // The locator of that name (any case), or null.
    const Locator* FindLocator(const char* name) const;
};

// What reading a .tm file came to.
enum class TmReadStatus
{
    Ok,           // everything read
    Partial,      // the bone tree stopped at an error: the model holds what was read before it
    ShortHeader,  // fewer than 12 bytes
    WrongVersion, // the file does not start with 0, 10
    BadModel,     // the model record does not fit the file
};

struct TmReadResult
{
    TmReadStatus m_status = TmReadStatus::Ok;
    std::unique_ptr<SModel> m_pModel; // null for ShortHeader, WrongVersion and BadModel
    std::vector<std::string> m_messages;
    uint32_t m_uBytesRead = 0;
};

// How much of the loader's own work the reading does besides parsing.
struct TmReadOptions
{
    // Submodels with a box whose smallest half-size is below 0.01 get the capsule radius 10,000,000.
    bool m_bDerive = true;
    // Level 0's triangles are reordered for the vertex cache (vertex order and winding kept); every such
    // submodel then has a colour array (zeros when the file had none).
    bool m_bOptimise = true;
};

// The whole of a model file, found through the path resolver; false when it cannot be opened.
bool ReadModelFile(const char* name, std::vector<uint8_t>* bytes);

// True when the bytes start like a .tm file: 16-bit 0, then version 10.
bool IsTmFile(const uint8_t* data, size_t size);

// Reads a .tm file from its bytes. Every count is checked against the bytes that follow before anything is
// made; the bone tree stops at the first record that does not fit or does not make sense, with a message.
TmReadResult ReadTmModel(const uint8_t* data, size_t size, const TmReadOptions& options = {});

// Reorders a triangle list in place for the vertex cache: the same triangles with the same winding, each
// triangle's indices in their order. Index counts that are not whole triangles, or indices at or beyond the
// vertex count, leave the list unchanged (false).
bool CreateMesh_NXT(uint16_t* indices, uint32_t indexCount, uint32_t vertexCount);
