// The data tools never write over the file they read: an output named like the source, through another spelling or
// a link, is refused with a message and the source is left as it was; so is a bank whose index and data are one file.
#include "tests/support/TestSupport.h"
#include "tools/imagetool/ImageTool.h"
#include "tools/soundtool/SoundTool.h"
#include "tools/texttool/TextTool.h"
#include "tools/tmtool/TmTool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace
{

// A model text, a text table source, a tone list and a lettered picture, each good for its tool.
const char* const kModel = "model\n bone \"Body\"\n  submodel \"Box\"\n   vertex 0 0 0  0 0 1  0 0\n"
                           "   vertex 1 0 0  0 0 1  1 0\n   vertex 0 1 0  0 0 1  0 1\n   level 0\n    indices 0 1 2\n"
                           "    material\n     diffuse 0xFFF0E0C0\n    end\n   end\n  end\n end\nend\n";
const char* const kTexts = "GREETING Hello\n";
const char* const kTones = "rate 11025\nbeep sine 441 0.2 0.2 shot\n";
const char* const kPicture = "colour a 102030\naa\naa\n";

int RunArgs(const std::function<int(int, const char* const*)>& run, const std::vector<std::string>& args)
{
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    return run(static_cast<int>(argv.size()), argv.data());
}

int Tm(int argc, const char* const* argv)
{
    std::string out, err;
    return tmtool::RunTmTool(std::vector<std::string>(argv + 1, argv + argc), &out, &err);
}

} // namespace

TEST(ToolOutputs, NoToolWritesOverTheFileItReads)
{
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.File("sub"));
    const std::string src = dir.File("source.txt");
    // The same file through a name with a detour and through a link; "other" is a file of its own.
    const std::string detour = dir.File("sub/../source.txt"), link = dir.File("link.txt"), other = dir.File("out");
    std::filesystem::create_symlink(src, link);
    const struct
    {
        const char* what;
        const char* source;
        std::function<int(int, const char* const*)> run;
        std::vector<std::string> args; // "SRC" the source, "OUT" where the row writes
    } tools[] = {
        {"tmtool write", kModel, Tm, {"tmtool", "write", "SRC", "OUT"}},
        {"tmtool optimise", kModel, Tm, {"tmtool", "optimise", "SRC", "OUT"}},
        {"texttool", kTexts, texttool::Run, {"texttool", "encode", "SRC", "OUT"}},
        {"soundtool index", kTones, soundtool::Run, {"soundtool", "write", "SRC", "OUT", dir.File("bank.spf")}},
        {"soundtool data", kTones, soundtool::Run, {"soundtool", "write", "SRC", dir.File("bank.hdr"), "OUT"}},
        {"imagetool", kPicture, imagetool::Run, {"imagetool", "ddt", "SRC", "OUT"}},
    };
    for (const auto& tool : tools)
        for (const std::string& out : {src, detour, link, other})
        {
            SCOPED_TRACE(std::string(tool.what) + " writing " + out);
            testsupport::WriteText(src, tool.source);
            std::filesystem::remove(other);
            std::vector<std::string> args = tool.args;
            for (std::string& arg : args)
                arg = arg == "SRC" ? src : arg == "OUT" ? out : arg;
            const bool same = out != other;
            EXPECT_EQ(RunArgs(tool.run, args), same ? 1 : 0);
            EXPECT_EQ(testsupport::ReadText(src), tool.source);
            EXPECT_EQ(std::filesystem::exists(other), !same);
        }
    // A bank's index and data written to one file would leave neither: refused, whether the file is there or not.
    for (bool there : {false, true})
    {
        const std::string bank = dir.File("bank.both");
        std::filesystem::remove(bank);
        if (there)
            testsupport::WriteText(bank, "old");
        testsupport::WriteText(src, kTones);
        EXPECT_EQ(RunArgs(soundtool::Run, {"soundtool", "write", src, bank, bank}), 1);
        EXPECT_EQ(std::filesystem::exists(bank), there);
    }
}
