// The model manager: turns model names into handles, loading each file once (".tm" source form or the optimised
// layout), with the placeholder model for files that cannot be read.
#pragma once

#include "engine/core/StringHashMap.h"
#include "engine/render/OptModel.h"
#include "engine/render/TmFormat.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ModelManager
{
public:
    static constexpr const char* kPlaceholderName = "gamedata\\gameart\\TM Files\\test\\Alert.tm";
    // Parts of an optimised model with more vertices than this are drawn from the shared static buffers.
    static constexpr uint32_t kDynamicVertexLimit = 80;

    ModelManager() = default;
    ModelManager(const ModelManager&) = delete;
    ModelManager& operator=(const ModelManager&) = delete;

    // Makes every table for `capacity` handles (a second Init forgets the models of the first) and reserves
    // handle 0. With buildOptimised every .tm model is also converted to the optimised form, its texture
    // coordinates mapped into texture pages and its vertices registered with the mesh manager. Returns true.
    bool Init(uint32_t capacity, bool buildOptimised);
    // Forgets every model and table: the manager is as it was before its first Init (no name gives a model).
    void Shutdown();

    // The handle of the named model, loading it when the name is not known yet (any later request of the same
    // name returns the same handle and raises its reference count). 0 when the file cannot be opened or every
    // handle is taken; the placeholder's handle when the file cannot be read as a model.
    uint32_t Load(const char* name);

    // The toggle bit of the named bone (letter case ignored), searched depth first; 0 when there is no such bone
    // or it cannot be toggled (which is reported).
    uint32_t FindBoneMask(uint32_t handle, const char* boneName);

    // The forms of a handle (null when absent or for a handle not in use).
    SModel* GetModel(uint32_t handle) const;
    OptModel* GetOptModel(uint32_t handle) const;
    // The 11 bound floats of the model (optimised form first), or null.
    const ModelBounds* GetBounds(uint32_t handle) const;
    uint32_t GetRefCount(uint32_t handle) const;
    // The name a handle was loaded under ("" for none).
    const char* GetName(uint32_t handle) const;
    bool IsInUse(uint32_t handle) const;
    uint32_t GetCapacity() const { return m_uCapacity; }
    bool IsBuildingOptimised() const { return m_bBuildOptimised; }
    uint32_t GetBytesLoaded() const { return m_uBytesLoaded; }

private:
    struct NameEntry
    {
        uint32_t m_uRefCount = 0;
        std::string m_name;
    };

    // The lowest free handle, marked taken; 0 when none is free.
    uint32_t TakeHandle();
    uint32_t StoreName(uint32_t handle, const char* name);
    // The placeholder's handle, loading it when needed; 0 while the placeholder itself is being loaded.
    uint32_t Placeholder();
    uint32_t LoadTm(const char* name, const std::vector<uint8_t>& bytes);
    uint32_t LoadOptimised(const char* name, const std::vector<uint8_t>& bytes);
    void LoadTextures(SBone& bone);
    void PrepareMeshes(SBone& bone);
    void PrepareSubModel(SubModel& sub);
    void RegisterSubModel(SubModel& sub);
    void PrepareOptBone(OptBone& bone);

    uint32_t m_uCapacity = 0;
    bool m_bBuildOptimised = false;
    std::vector<std::unique_ptr<SModel>> m_models;
    std::vector<std::unique_ptr<OptModel>> m_optModels;
    std::vector<uint32_t> m_handleBits;
    std::vector<NameEntry> m_names;
    std::unique_ptr<StringHashMap<uint32_t>> m_pNameMap;
    uint32_t m_uBytesLoaded = 0;
    bool m_bLoadingPlaceholder = false;
};

extern ModelManager g_ModelManager;
