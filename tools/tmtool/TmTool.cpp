// The tmtool commands: "write" (text to .tm), "optimise" (text or .tm to the optimised layout) and "dump".
#include "tools/tmtool/TmTool.h"

#include "engine/render/OptModel.h"
#include "engine/render/TmFormat.h"
#include "platform/FileOps.h"
#include "tools/tmtool/TmText.h"
#include "tools/tmtool/TmWriter.h"

#include <cstdio>

namespace tmtool
{
namespace
{

constexpr const char* kUsage = "usage: tmtool write MODEL.txt OUT.tm\n"
                               "       tmtool optimise MODEL.txt|MODEL.tm OUT\n"
                               "       tmtool dump MODEL.tm|OPTIMISED [OUT.txt]\n";

bool ReadFile(const std::string& name, std::vector<uint8_t>* bytes)
{
    return ReadModelFile(name.c_str(), bytes);
}

// Written beside the target and renamed, so a failed write never leaves a cut file under the real name.
bool WriteFile(const std::string& name, const void* data, size_t size)
{
    return platform::WriteFileAtomically(name, data, size);
}

// The source model of a text or .tm file, read the way the engine's loader reads it.
bool LoadSource(const std::string& name, bool asLoader, SModel* model, std::string* err)
{
    std::vector<uint8_t> bytes;
    if (!ReadFile(name, &bytes))
    {
        *err += "tmtool: cannot read " + name + "\n";
        return false;
    }
    if (!IsTmFile(bytes.data(), bytes.size()))
    {
        std::string error;
        if (!ParseModelText(std::string(bytes.begin(), bytes.end()), model, &error))
        {
            *err += name + ": " + error + "\n";
            return false;
        }
        if (!asLoader)
            return true;
        bytes = WriteTmModel(*model);
    }
    TmReadOptions options;
    options.m_bDerive = asLoader;
    options.m_bOptimise = asLoader;
    TmReadResult result = ReadTmModel(bytes.data(), bytes.size(), options);
    for (const std::string& message : result.m_messages)
        *err += name + ": " + message + "\n";
    if (!result.m_pModel)
    {
        *err += name + ": not a readable model\n";
        return false;
    }
    if (asLoader)
        result.m_pModel->m_uFrameCount = result.m_pModel->m_uLargestKeyTime;
    *model = std::move(*result.m_pModel);
    return result.m_status == TmReadStatus::Ok;
}

int Write(const std::string& in, const std::string& outName, std::string* err)
{
    std::vector<uint8_t> bytes;
    if (!ReadFile(in, &bytes))
    {
        *err += "tmtool: cannot read " + in + "\n";
        return 1;
    }
    SModel model;
    std::string error;
    if (!ParseModelText(std::string(bytes.begin(), bytes.end()), &model, &error))
    {
        *err += in + ": " + error + "\n";
        return 1;
    }
    const std::vector<uint8_t> tm = WriteTmModel(model);
    // Only a model the game's reader takes whole is written.
    TmReadOptions raw;
    raw.m_bDerive = false;
    raw.m_bOptimise = false;
    const TmReadResult check = ReadTmModel(tm.data(), tm.size(), raw);
    if (!check.m_pModel || check.m_status != TmReadStatus::Ok)
    {
        for (const std::string& message : check.m_messages)
            *err += in + ": " + message + "\n";
        *err += in + ": not a readable model\n";
        return 1;
    }
    if (!WriteFile(outName, tm.data(), tm.size()))
    {
        *err += "tmtool: cannot write " + outName + "\n";
        return 1;
    }
    return 0;
}

// The game reads the optimised layout's texture coordinates as they stand and only maps them into the texture's
// page: they are moved up by whole units here, as the game's loader moves those of a .tm file.
void ShiftTexCoordsUp(std::vector<SBone>* bones)
{
    for (SBone& bone : *bones)
    {
        for (SubModel& sub : bone.m_subModels)
            ::ShiftTexCoordsUp(&sub);
        ShiftTexCoordsUp(&bone.m_children);
    }
}

int Optimise(const std::string& in, const std::string& outName, std::string* err)
{
    SModel model;
    if (!LoadSource(in, true, &model, err))
        return 1;
    ShiftTexCoordsUp(&model.m_bones);
    const std::unique_ptr<OptModel> opt = BuildOptModel(model);
    const std::vector<uint8_t> bytes = WriteOptModel(*opt);
    if (!WriteFile(outName, bytes.data(), bytes.size()))
    {
        *err += "tmtool: cannot write " + outName + "\n";
        return 1;
    }
    return 0;
}

int Dump(const std::string& in, const std::string* outName, std::string* out, std::string* err)
{
    std::vector<uint8_t> bytes;
    if (!ReadFile(in, &bytes))
    {
        *err += "tmtool: cannot read " + in + "\n";
        return 1;
    }
    std::string text;
    int code = 0;
    if (IsTmFile(bytes.data(), bytes.size()))
    {
        SModel model;
        code = LoadSource(in, false, &model, err) ? 0 : 1;
        if (code != 0 && model.m_bones.empty() && model.m_locators.empty() && model.m_links.empty())
            return 1;
        text = DumpModelText(model);
    }
    else
    {
        // The tool has no texture manager and no renderer: nothing is loaded or checked on a device.
        const std::unique_ptr<OptModel> opt = ReadOptModel(bytes.data(), bytes.size());
        if (!opt)
        {
            *err += in + ": neither a .tm file nor an optimised model\n";
            return 1;
        }
        text = DumpOptModelText(*opt);
    }
    if (!outName)
    {
        *out += text;
        return code;
    }
    if (!WriteFile(*outName, text.data(), text.size()))
    {
        *err += "tmtool: cannot write " + *outName + "\n";
        return 1;
    }
    return code;
}

} // namespace

int RunTmTool(const std::vector<std::string>& args, std::string* out, std::string* err)
{
    // The file read is never the one written: a slip of the arguments must not lose a model or its text.
    if (args.size() == 3 && platform::IsSameFile(args[1], args[2]))
    {
        *err += "tmtool: " + args[2] + " is the file read; give another to write\n";
        return 1;
    }
    if (args.size() == 3 && args[0] == "write")
        return Write(args[1], args[2], err);
    if (args.size() == 3 && args[0] == "optimise")
        return Optimise(args[1], args[2], err);
    if ((args.size() == 2 || args.size() == 3) && args[0] == "dump")
        return Dump(args[1], args.size() == 3 ? &args[2] : nullptr, out, err);
    *err += kUsage;
    return 2;
}

} // namespace tmtool
