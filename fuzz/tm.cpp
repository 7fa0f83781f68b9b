// Fuzz target: ".tm" model files loaded whole by the model manager, as the game loads a model: the file read with
// its derived capsules and vertex cache order, its textures loaded (a few real ones are there under the names the
// dictionary knows, the alert texture for any other), two levels at distance 0 reduced to one, texture coordinates
// shifted and mapped into their texture pages, static vertices registered with the mesh manager, and the
// optimised form built, on the recording graphics device. The placeholder model stands in for refused files.
#include "engine/render/D3DRenderer.h"
#include "engine/render/DeviceEnum.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ImageReaders.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/MeshManager.h"
#include "engine/render/ModelManager.h"
#include "engine/render/TextureManager.h"
#include "engine/render/TmFormat.h"
#include "fuzz/FuzzSupport.h"
#include "platform/gfx/RecordingDevice.h"
#include "tools/tmtool/TmText.h"
#include "tools/tmtool/TmWriter.h"

#include <string>
#include <vector>

namespace
{

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// An uncompressed 32-bit TGA of one colour, rows stored top first.
std::vector<uint8_t> Tga(uint32_t side, uint32_t colour)
{
    std::vector<uint8_t> bytes(18, 0);
    bytes[2] = 2;
    Put32(bytes, 12, side | side << 16);
    bytes[16] = 32;
    bytes[17] = 0x28;
    for (uint32_t i = 0; i < side * side; ++i)
        for (int b = 0; b < 4; ++b)
            bytes.push_back(static_cast<uint8_t>(colour >> (8 * b)));
    return bytes;
}

// A 32-bit DDT of `side` (a multiple of 4) with a full chain of levels down to 4 x 4, on a page of its own or a
// part of a shared page; the level table is left for the reader to compute.
std::vector<uint8_t> Ddt(uint32_t side, bool ownPage, uint32_t colour)
{
    uint32_t levels = 0;
    uint32_t pixelBytes = 0;
    for (uint32_t s = side; s >= 4; s /= 2, ++levels)
        pixelBytes += s * s * 4;
    std::vector<uint8_t> bytes(kDDTHeaderSize, 0);
    bytes[0] = 1;
    Put32(bytes, 8, 4);
    Put32(bytes, 20, side);
    Put32(bytes, 24, side);
    bytes[44] = ownPage ? 1 : 0;
    Put32(bytes, 60, levels);
    Put32(bytes, 320, pixelBytes);
    Put32(bytes, 324, colour);
    for (uint32_t i = 0; i < pixelBytes; ++i)
        bytes.push_back(static_cast<uint8_t>(colour >> (8 * (i % 4))));
    return bytes;
}

void Write(const char* name, const std::vector<uint8_t>& bytes)
{
    fuzzsupport::WriteFile(name, bytes.data(), bytes.size());
}

constexpr const char* kPlaceholder = R"(model
    bone "Placeholder"
        submodel "Tri"
            vertex 0 0 0 0 0 -1 0 0
            vertex 0 1 0 0 0 -1 0 1
            vertex 1 0 0 0 0 -1 1 0
            level 0
                indices 0 1 2
                material
                end
            end
        end
    end
end
)";

// The recording device under the graphics manager, the textures and the placeholder, once per process.
D3DRenderer* Start()
{
    static platform::RecordingSystemHook hook;
    static D3DRenderer* renderer = nullptr;
    if (renderer)
        return renderer;
    hook.config.defaultPoolTextureLimit = 9; // the device measures its texture memory by filling this pool
    hook.config.adapters.push_back(platform::DefaultRecordingAdapter());
    ResetDeviceEnumeration();
    platform::InstallRecordingSystemFactory(&hook);
    g_GraphicsManager.Create(RendererSettings{}, nullptr);
    VideoSettings video;
    video.m_uTextureQuality = 4;
    g_GraphicsManager.ApplyVideoSettings(video);
    renderer = static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer());

    Write("tex/a.tga", Tga(8, 0xFF336699));
    Write("tex/b.tga", Tga(16, 0x80FFFFFF));
    Write("art/t.tga", Tga(32, 0xFF00FF00));
    Write("tex/a.ddt", Ddt(16, true, 0xFF102030));
    Write("tex/shared.ddt", Ddt(8, false, 0xFFFF0000));
    Write("gamedata/gameart/DDT Files/Test/Alert.ddt", Ddt(8, true, 0xFFFF00FF));
    SModel placeholder;
    std::string error;
    if (!tmtool::ParseModelText(kPlaceholder, &placeholder, &error))
        __builtin_trap();
    Write("gamedata/gameart/TM Files/test/Alert.tm", tmtool::WriteTmModel(placeholder));
    return renderer;
}

// Every registered level has its record in the mesh manager, with its indices.
void CheckRegistrations(const SBone& bone)
{
    for (const SubModel& sub : bone.m_subModels)
    {
        for (const SubModelLOD& level : sub.m_levels)
        {
            if (level.m_uMeshHandle == 0)
                continue;
            const MeshRecord* mesh = g_MeshManager.GetMesh(level.m_uMeshHandle);
            if (!mesh || mesh->m_uIndexCount != level.m_indices.size())
                __builtin_trap();
        }
    }
    for (const SBone& child : bone.m_children)
        CheckRegistrations(child);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    D3DRenderer* renderer = Start();

    // The reader alone never claims more bytes than it was given.
    if (ReadTmModel(data, size).m_uBytesRead > size)
        __builtin_trap();

    // Each input starts from a fresh set of tables, as a program that loads this one model would.
    static_cast<platform::RecordingDevice*>(renderer->GetDevice())->ClearLog();
    g_MeshManager.Close();
    g_MeshManager.Open(renderer);
    g_TextureManager.Init(64);
    g_TextureManager.SetReductionLevel(1); // the large DDT loses its first level
    g_ChannelStore = ChannelStore();
    g_StateSetTable = StateSetTable();
    g_TextureTransformSetTable = TextureTransformSetTable();
    g_LightingSetTable = LightingSetTable();
    g_ModelManager.Init(4, true);

    fuzzsupport::WriteFile("model.tm", data, size);
    const uint32_t handle = g_ModelManager.Load("model.tm");
    if (const SModel* model = g_ModelManager.GetModel(handle))
    {
        for (const SBone& bone : model->m_bones)
            CheckRegistrations(bone);
        model->FindLocator("root");
    }
    if (const OptModel* opt = g_ModelManager.GetOptModel(handle))
        opt->FindLocator("root");
    g_ModelManager.FindBoneMask(handle, "root");
    g_ModelManager.GetBounds(handle);
    return 0;
}
