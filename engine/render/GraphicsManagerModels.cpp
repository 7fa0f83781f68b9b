// Model submission: the bone walks of both model forms (posing, level choice, distance and size culling, far
// meshes as line segments, attached objects), the model pass that draws the draw lists, and model ray picking.
#include "engine/render/BoneAnimation.h"
#include "engine/render/DrawLists.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/LineSegments.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/MaterialTable.h"
#include "engine/render/ModelHelpers.h"
#include "engine/render/ModelManager.h"
#include "engine/render/SceneObject.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

using platform::Matrix;
using platform::Vec3;

namespace
{

constexpr uint32_t kHighlightMaterial = 7;
constexpr uint32_t kNoAnimation = 0xFFFFFFFF;
constexpr float kAttachDistance = 300.0f;
constexpr float kPi = 3.14159265f;
// Far distances below this draw a mesh however far it is.
constexpr float kMinFarDistance = 0.0001f;
// Objects placed by one optimised walk and drawn after it; more are placed but not drawn.
constexpr uint32_t kMaxPlaced = 64;
// Attached objects that attach objects of their own are drawn this deep at most.
constexpr int kMaxAttachDepth = 4;
int g_iAttachDepth = 0;

enum Counter
{
    kModelsDrawn = 0,
    kMeshesConsidered = 1,
    kBoneMatrices = 2,
};

// The level a mesh is drawn at: past every level distance (times the detail factor) below the distance, stopping
// at a distance of 0 and at the last level.
template <class Distances> uint32_t ChooseLevel(const Distances& distances, uint32_t levels, float detail, float d)
{
    const uint32_t last = std::min<uint32_t>(levels, 5) - 1;
    uint32_t i = 0;
    while (i < last && i < 4 && distances(i) * detail < d)
    {
        if (distances(i) == 0.0f)
            break;
        ++i;
    }
    return i;
}

bool Shares(uint32_t toggleBit, uint32_t mask)
{
    return (toggleBit & mask) != 0;
}

// The source bones of one level that the optimised tree keeps, in order: children named for occlusion are left
// out of it (root bones never are).
struct KeptBones
{
    const std::vector<SBone>* list;
    bool children;
    size_t next = 0;

    // The source bone standing for the next optimised bone, or null past the list.
    const SBone* Next()
    {
        while (list && next < list->size())
        {
            const SBone& bone = list->at(next++);
            if (!children || !IsOcclusionBone(bone.m_name))
                return &bone;
        }
        return nullptr;
    }
    static size_t Count(const std::vector<SBone>& children)
    {
        return static_cast<size_t>(
            std::count_if(children.begin(), children.end(), [](const SBone& b) { return !IsOcclusionBone(b.m_name); }));
    }
};

// The per-call state of one model draw or ray query.
struct Walk
{
    GraphicsManager& gm;
    uint32_t boneMask = 0xFFFFFFFF;
    uint32_t overrideMaterial = 0;
    uint32_t drawParam = 0;
    uint32_t clock = 0;
    uint32_t waveTime = 0;
    float distance = 0.0f;
    float detail = 1.0f;
    SceneObject* const* attached = nullptr;
    uint32_t attachedCount = 0;
    const std::vector<AttachmentPoint>* points = nullptr;
    SceneObject* placed[kMaxPlaced] = {};
    uint32_t placedCount = 0;
    // Ray picking: the ray in model space and the nearest hit.
    Vec3 origin = {};
    Vec3 direction = {};
    float nearest = FLT_MAX;

    // Places the attached objects of the attachment range [first, first + count) on the bone; each is drawn at
    // once, or recorded to be drawn after the walk. Points beyond the model or slots beyond the caller's are
    // passed over.
    void Attach(uint32_t first, uint32_t count, const Matrix& world, bool drawNow)
    {
        if (!attached || !points || distance > kAttachDistance)
            return;
        const uint32_t end = std::min<uint32_t>({first + count, static_cast<uint32_t>(points->size()), attachedCount});
        for (uint32_t i = first; i < end; ++i)
        {
            SceneObject* object = attached[i];
            if (!object)
                continue;
            const AttachmentPoint& point = (*points)[i];
            Matrix m = platform::MatrixRotationYawPitchRoll(point.m_afValues[4] - kPi, -point.m_afValues[3], 0.0f);
            m.m[3][0] = point.m_afValues[0];
            m.m[3][1] = point.m_afValues[1];
            m.m[3][2] = point.m_afValues[2];
            const Matrix placedAt = m * world;
            const Vec3 angles = AnglesFromMatrix(placedAt);
            object->SetOrientation(-angles.x, -angles.y, -angles.z);
            object->SetPosition(placedAt.m[3][0], placedAt.m[3][1], placedAt.m[3][2]);
            if (drawNow)
                DrawAttached(object);
            else if (placedCount < kMaxPlaced)
                placed[placedCount++] = object;
        }
    }

    static void DrawAttached(SceneObject* object)
    {
        if (g_iAttachDepth >= kMaxAttachDepth)
            return;
        ++g_iAttachDepth;
        object->Render();
        --g_iAttachDepth;
    }

    // ---- the optimised form

    void OptMeshes(OptBone& bone, const Matrix& world)
    {
        ModelDrawList* list = gm.GetModelDrawList();
        gm.m_auFrameCounter[kMeshesConsidered] += static_cast<uint32_t>(bone.m_meshes.size());
        for (OptMesh& mesh : bone.m_meshes)
        {
            // A far distance of nothing (a last level without a switch distance ends the range there) sets no
            // limit, as in the optimised layout.
            const bool limited = mesh.m_fFarDistance >= kMinFarDistance;
            if (mesh.m_levels.empty() || (limited && mesh.m_fFarDistance * detail < distance))
                continue;
            uint32_t level = 0;
            if (mesh.m_levels.size() > 1)
            {
                level = ChooseLevel([&](uint32_t i) { return mesh.m_afLevelDistance[i]; },
                                    static_cast<uint32_t>(mesh.m_levels.size()), detail, distance);
                const float size = mesh.m_fCapsuleRadius * detail;
                if (!(size > distance * 0.0005f))
                    continue;
                if (size < distance * 0.005f)
                {
                    FarLine(mesh, world);
                    continue;
                }
                if (mesh.m_levels[level].m_uIndexCount == 0)
                    continue;
            }
            Submit(list, mesh, mesh.m_levels[level], world);
        }
    }

    void Submit(ModelDrawList* list, OptMesh& mesh, OptMeshLOD& level, const Matrix& world)
    {
        if (!list)
            return;
        Matrix* matrix = list->GetMatrixPool().Acquire();
        if (matrix)
            *matrix = world;
        if (list->Add(&level, &mesh, matrix, static_cast<uint8_t>(overrideMaterial), static_cast<uint16_t>(drawParam)))
            ++gm.m_auFrameCounter[kBoneMatrices];
    }

    // A far line's colour: the override material's second colour, or the mesh colour lit by the scene light (the
    // pulsing highlight for the highlight material) with the material's own glow added.
    uint32_t LineColour(uint32_t meshColour, uint32_t glow) const
    {
        if (overrideMaterial != 0 && overrideMaterial != kHighlightMaterial)
        {
            const SMaterial* material = g_MaterialTable.GetMaterial(static_cast<int32_t>(overrideMaterial));
            return material ? material->m_uSelfIllumination : meshColour;
        }
        const uint32_t light = overrideMaterial == kHighlightMaterial ? gm.GetHighlightColour() : gm.GetLitViewColour();
        return ColourAdd(ColourModulate4(meshColour, light) | 0xFF000000u, glow);
    }

    void FarLine(const OptMesh& mesh, const Matrix& world)
    {
        LineSegmentList* lines = gm.GetLineSegments();
        if (!lines)
            return;
        Vec3 a;
        Vec3 b;
        TransformPoint(mesh.m_capsuleA, world, &a);
        TransformPoint(mesh.m_capsuleB, world, &b);
        // The mesh's material is its first level's: its self-illumination is the glow.
        uint32_t glow{};
        if (const LightingSet* set = g_LightingSetTable.Get(mesh.m_levels[0].m_parts.m_iLightingSet))
            std::memcpy(&glow, set->m_auSelfIllumination, sizeof(glow));
        lines->Add(a, b, mesh.m_fCapsuleRadius, LineColour(mesh.m_auColours[0], glow),
                   LineColour(mesh.m_auColours[1], glow));
    }

    // Walks the bones beside the animation's bones at the same places, in both its forms (its key tracks, or its
    // key lists where it has no tracks), and beside the model's own source bones (its rest values and key lists).
    // Where the animation has no bone at a place, the model's own bone poses itself. Below the roots the source
    // lists hold the occlusion bones the optimised tree leaves out: places count the bones that are kept.
    void OptBones(std::vector<OptBone>& bones, const std::vector<OptBone>* keyBones, const std::vector<SBone>* keyLists,
                  const std::vector<SBone>* own, const Matrix& parent, bool draw, bool children = false)
    {
        KeptBones ownBones{own, children};
        KeptBones listBones{keyLists, children};
        for (size_t i = 0; i < bones.size(); ++i)
        {
            OptBone& bone = bones[i];
            const SBone* ownBone = ownBones.Next();
            const SBone* listBone = listBones.Next();
            if (!Shares(bone.GetToggleBit(), boneMask))
                continue;
            const bool hasTrack = keyBones && i < keyBones->size();
            const bool hasLists = listBone != nullptr;
            const bool animated = hasTrack || hasLists;
            const OptBone* keys = hasTrack ? &(*keyBones)[i] : animated ? nullptr : &bone;
            const SBone* lists = hasLists ? listBone : animated ? nullptr : ownBone;
            Matrix local;
            if ((!keys || !keys->m_pTrack) && lists && lists->m_pKeys && ownBone)
                local = SourceBoneLocal(*ownBone, lists, clock, waveTime);
            else
                local = OptBoneLocal(bone, keys, clock, waveTime);
            const Matrix world = local * parent;
            if (draw)
            {
                OptMeshes(bone, world);
                Attach(bone.m_auValues[0], bone.m_auValues[1], world, false);
            }
            else
                OptRay(bone, world);
            const bool follow = hasTrack && keys->m_children.size() >= bone.m_children.size();
            const bool followLists = hasLists && KeptBones::Count(lists->m_children) >= bone.m_children.size();
            OptBones(bone.m_children, follow ? &keys->m_children : nullptr, followLists ? &lists->m_children : nullptr,
                     ownBone ? &ownBone->m_children : nullptr, world, draw, true);
        }
    }

    void OptRay(const OptBone& bone, const Matrix& world)
    {
        if (bone.m_meshes.empty())
            return;
        Vec3 o;
        Vec3 d;
        if (!IntoBone(world, &o, &d))
            return;
        for (const OptMesh& mesh : bone.m_meshes)
        {
            // Meshes whose vertices live only in the shared device buffers keep no positions here.
            if (mesh.m_uKind != 0 || mesh.m_levels.empty())
                continue;
            const OptMeshLOD& level = mesh.m_levels[0];
            nearest = GraphicsManager::IntersectTriangles(
                mesh.m_positions.data(), static_cast<uint32_t>(mesh.m_positions.size()), level.m_indices.data(),
                static_cast<uint32_t>(level.m_indices.size()), o, d, nearest);
        }
    }

    // ---- the source form

    void SourceMeshes(const SBone& bone, const Matrix& world)
    {
        MaterialBuckets* buckets = gm.GetMaterialBuckets();
        bool haveMatrix = false;
        for (const SubModel& sub : bone.m_subModels)
        {
            ++gm.m_auFrameCounter[kMeshesConsidered];
            if (sub.m_levels.empty())
                continue;
            const uint32_t levels = static_cast<uint32_t>(sub.m_levels.size());
            uint32_t level =
                ChooseLevel([&](uint32_t i) { return sub.m_levels[i].m_fSwitchDistance; }, levels, detail, distance);
            const int32_t forced = gm_forced;
            if (forced >= 0 && static_cast<uint32_t>(forced) < levels)
                level = static_cast<uint32_t>(forced);
            const SubModelLOD& lod = sub.m_levels[level];
            if (lod.m_indices.empty())
                continue;
            const float radius = sub.m_bounds.Radius();
            float size = radius <= 1.1920929e-07f ? 100000.0f
                         : distance <= 0.01f      ? radius * 1000.0f
                                                  : radius / distance;
            size *= detail;
            if (!(size > 0.0002f) || size < 0.005f || !buckets)
                continue;
            if (!haveMatrix)
            {
                Matrix* matrix = buckets->AcquireMatrix();
                if (!matrix)
                    return;
                *matrix = world;
                haveMatrix = true;
                ++gm.m_auFrameCounter[kBoneMatrices];
            }
            buckets->Add(&sub, &lod, overrideMaterial, drawParam, true);
        }
    }

    void SourceBones(const std::vector<SBone>& bones, const std::vector<SBone>* keyBones, const Matrix& parent,
                     bool draw)
    {
        for (size_t i = 0; i < bones.size(); ++i)
        {
            const SBone& bone = bones[i];
            if (!Shares(bone.m_uToggleBit, boneMask))
                continue;
            const SBone* keys = keyBones && i < keyBones->size() ? &(*keyBones)[i] : &bone;
            const Matrix world = SourceBoneLocal(bone, keys, clock, waveTime) * parent;
            if (draw)
            {
                SourceMeshes(bone, world);
                Attach(bone.m_auPairA[0], bone.m_auPairA[1], world, true);
            }
            else
                SourceRay(bone, world);
            const std::vector<SBone>* keyChildren =
                keys != &bone && keys->m_children.size() >= bone.m_children.size() ? &keys->m_children : nullptr;
            SourceBones(bone.m_children, keyChildren, world, draw);
        }
    }

    void SourceRay(const SBone& bone, const Matrix& world)
    {
        if (bone.m_subModels.empty())
            return;
        Vec3 o;
        Vec3 d;
        if (!IntoBone(world, &o, &d))
            return;
        for (const SubModel& sub : bone.m_subModels)
        {
            if (sub.m_uVertexKind != 0 || sub.m_levels.empty())
                continue;
            const SubModelLOD& level = sub.m_levels[0];
            nearest = GraphicsManager::IntersectTriangles(
                sub.m_positions.data(), static_cast<uint32_t>(sub.m_positions.size()), level.m_indices.data(),
                static_cast<uint32_t>(level.m_indices.size()), o, d, nearest);
        }
    }

    // The ray in the bone's space: the origin through the inverse world matrix, the direction through its 3 x 3
    // part only, so that ray parameters stay those of the model-space ray. False for a matrix with no inverse.
    bool IntoBone(const Matrix& world, Vec3* o, Vec3* d) const
    {
        Matrix inverse;
        if (!platform::MatrixInverse(world, &inverse))
            return false;
        *o = platform::Vec3TransformCoord(origin, inverse);
        *d = platform::Vec3TransformNormal(direction, inverse);
        return true;
    }

    int32_t gm_forced = -1;
    float depthOverride = 0.0f;
};

const std::vector<OptBone>* OptAnimationBones(uint32_t animation)
{
    if (animation == 0 || animation == kNoAnimation)
        return nullptr;
    const OptModel* model = g_ModelManager.GetOptModel(animation);
    return model ? &model->m_bones : nullptr;
}

const std::vector<SBone>* SourceBonesOf(uint32_t model)
{
    const SModel* source = g_ModelManager.GetModel(model);
    return source ? &source->m_bones : nullptr;
}

const std::vector<SBone>* SourceAnimationBones(uint32_t animation)
{
    if (animation == 0 || animation == kNoAnimation)
        return nullptr;
    const SModel* model = g_ModelManager.GetModel(animation);
    return model ? &model->m_bones : nullptr;
}

// Draws a model by either form.
void Draw(GraphicsManager& gm, Walk& walk, uint32_t model, uint32_t animation, const Vec3& position,
          const Vec3& orientation, bool& lastOptimised)
{
    gm.BeginBatch(BATCH_NONE, 0, 1);
    ++gm.m_auFrameCounter[kModelsDrawn];
    walk.detail = gm.GetDetailFactor();
    walk.waveTime = gm.GetFrameTime();
    const Matrix root = PlacementMatrix(position, orientation);
    if (OptModel* opt = g_ModelManager.GetOptModel(model))
    {
        lastOptimised = true;
        walk.distance = platform::Vec3Length(position - gm.GetEyePosition());
        walk.points = &opt->m_attachments;
        walk.OptBones(opt->m_bones, OptAnimationBones(animation), SourceAnimationBones(animation), SourceBonesOf(model),
                      root, true);
        for (uint32_t i = 0; i < walk.placedCount; ++i)
            Walk::DrawAttached(walk.placed[i]);
        return;
    }
    SModel* source = g_ModelManager.GetModel(model);
    if (!source)
        return;
    lastOptimised = false;
    Vec3 centre;
    TransformPoint(source->m_bounds.Centre(), root * gm.GetViewMatrix(), &centre);
    walk.distance = walk.depthOverride != 0.0f ? walk.depthOverride : centre.z < 0.0f ? 0.01f : centre.z;
    walk.points = &source->m_attachments;
    walk.SourceBones(source->m_bones, SourceAnimationBones(animation), root, true);
}

} // namespace

void GraphicsManager::DrawModel(uint32_t model, uint32_t drawParam, const Vec3& position, const Vec3& orientation,
                                uint32_t boneMask, SceneObject* const* attached, uint32_t attachedCount,
                                uint32_t overrideMaterial)
{
    Walk walk{*this};
    walk.boneMask = boneMask;
    walk.overrideMaterial = overrideMaterial;
    walk.drawParam = drawParam;
    walk.attached = attached;
    walk.attachedCount = attachedCount;
    walk.gm_forced = m_iForcedLevel;
    walk.clock = 120u * m_uFrameTime;
    walk.depthOverride = m_fDepthOverride;
    Draw(*this, walk, model, 0, position, orientation, m_bLastModelOptimised);
}

void GraphicsManager::DrawAnimatedModel(uint32_t model, uint32_t animation, uint32_t drawParam, uint32_t start,
                                        const Vec3& position, const Vec3& orientation, uint32_t overrideMaterial)
{
    DrawAnimatedModelAttached(model, animation, drawParam, start, position, orientation, overrideMaterial, nullptr, 0);
}

void GraphicsManager::DrawAnimatedModelAttached(uint32_t model, uint32_t animation, uint32_t drawParam, uint32_t start,
                                                const Vec3& position, const Vec3& orientation,
                                                uint32_t overrideMaterial, SceneObject* const* attached,
                                                uint32_t attachedCount)
{
    Walk walk{*this};
    walk.overrideMaterial = overrideMaterial;
    walk.drawParam = drawParam;
    walk.attached = attached;
    walk.attachedCount = attachedCount;
    walk.gm_forced = m_iForcedLevel;
    walk.clock = 120u * (m_uFrameTime - start);
    walk.depthOverride = m_fDepthOverride;
    Draw(*this, walk, model, animation, position, orientation, m_bLastModelOptimised);
}

uint32_t GraphicsManager::GetShadowColour() const
{
    return (m_uShadowDarkness << 24) | (m_uAmbient & 0xFFFFFF);
}

bool GraphicsManager::ShadowsActive(uint32_t pass) const
{
    return pass == 0 && (GetShadowColour() >> 24) != 0 && m_bShadowsOn;
}

void GraphicsManager::DrawSceneModels(Renderer* renderer)
{
    const uint32_t shadow = GetShadowColour();
    const bool shadowDark = (shadow & 0xFF) < 32 && ((shadow >> 8) & 0xFF) < 32 && ((shadow >> 16) & 0xFF) < 32;
    DrawLineSegments(0, false);
    if (m_bLastModelOptimised)
    {
        if (m_pModelList)
            m_pModelList->Draw(renderer, shadowDark);
    }
    else if (m_pBuckets)
        m_pBuckets->Draw(renderer);

    // Projected model shadows are not drawn by this pass: the lists are emptied under the shadow view.
    const Matrix saved = m_view;
    SetViewMatrix(m_view * m_shadowMatrix, false);
    SendViewMatrix();
    if (!m_bLastModelOptimised && m_pBuckets)
        m_pBuckets->DrawShadows(renderer, false);
    if (m_pModelList)
        m_pModelList->ClearChains();
    SetViewMatrix(saved, true);
    SendViewMatrix();

    if (m_pBuckets)
        m_pBuckets->EndFrame();
    if (m_pModelList)
        m_pModelList->Reset();
}

float GraphicsManager::IntersectTriangles(const Vec3* positions, uint32_t vertexCount, const uint16_t* indices,
                                          uint32_t indexCount, const Vec3& origin, const Vec3& direction, float nearest)
{
    if (!positions || !indices)
        return nearest;
    for (uint32_t i = 0; i + 3 <= indexCount; i += 3)
    {
        const uint16_t a = indices[i];
        const uint16_t b = indices[i + 1];
        const uint16_t c = indices[i + 2];
        if (a >= vertexCount || b >= vertexCount || c >= vertexCount)
            continue;
        float t = 0.0f;
        float u = 0.0f;
        float v = 0.0f;
        // A ray runs forwards from its origin: a triangle behind it is no hit.
        if (RayTriangle(origin, direction, positions[a], positions[b], positions[c], &t, &u, &v) && t > 0.0f &&
            t < nearest)
            nearest = t;
    }
    return nearest;
}

float GraphicsManager::IntersectModel(uint32_t model, uint32_t animation, uint32_t start, uint32_t boneMask, uint32_t,
                                      const Vec3& origin, const Vec3& direction)
{
    Walk walk{*this};
    walk.boneMask = boneMask;
    walk.origin = origin;
    walk.direction = direction;
    walk.clock = 120u * (m_uFrameTime - start);
    walk.waveTime = m_uFrameTime;
    const Matrix root = platform::MatrixIdentity();
    if (OptModel* opt = g_ModelManager.GetOptModel(model))
        walk.OptBones(opt->m_bones, OptAnimationBones(animation), SourceAnimationBones(animation), SourceBonesOf(model),
                      root, false);
    else if (SModel* source = g_ModelManager.GetModel(model))
        walk.SourceBones(source->m_bones, SourceAnimationBones(animation), root, false);
    return walk.nearest >= 1.7014117e38f ? 0.0f : walk.nearest;
}
