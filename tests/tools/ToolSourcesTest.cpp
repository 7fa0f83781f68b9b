// The data tools' sources: a source that names a folder, or a picture that does, is a source that cannot be read:
// the tool says so, fails and writes nothing, while an empty source file is read as the empty text it is.
#include "tests/support/TestSupport.h"
#include "tools/imagetool/ImageTool.h"
#include "tools/soundtool/SoundTool.h"
#include "tools/spritetool/SpriteTool.h"
#include "tools/texttool/TextTool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace
{

int RunArgs(const std::function<int(int, const char* const*)>& run, const std::vector<std::string>& args)
{
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    return run(static_cast<int>(argv.size()), argv.data());
}

} // namespace

TEST(ToolSources, AFolderGivenAsTheSourceIsRefusedAndNothingIsWritten)
{
    testsupport::TempDir dir;
    const std::string folder = dir.File("folder");
    std::filesystem::create_directories(folder);
    // A bank list whose one frame names a folder among the pictures.
    const std::string pictures = dir.File("pictures");
    std::filesystem::create_directories(pictures + "/frame");
    const std::string list = dir.File("list.txt");
    testsupport::WriteText(list, "bank b\nanim a 1 1 4 4\nframe frame\n");
    const struct
    {
        const char* what;
        std::function<int(int, const char* const*)> run;
        std::vector<std::string> args;
        std::vector<std::string> outputs;
        const char* named; // what the message names as not read
    } cases[] = {
        {"texttool", texttool::Run, {"texttool", "encode", folder, dir.File("t.ble")}, {dir.File("t.ble")}, "folder"},
        {"soundtool write",
         soundtool::Run,
         {"soundtool", "write", folder, dir.File("s.hdr"), dir.File("s.spf")},
         {dir.File("s.hdr"), dir.File("s.spf")},
         "folder"},
        {"soundtool tunes",
         soundtool::Run,
         {"soundtool", "tunes", folder, dir.File("tunes")},
         {dir.File("tunes")},
         "folder"},
        {"imagetool ddt",
         imagetool::Run,
         {"imagetool", "ddt", folder, dir.File("i.ddt")},
         {dir.File("i.ddt")},
         "folder"},
        {"imagetool suncols",
         imagetool::Run,
         {"imagetool", "suncols", folder, dir.File("i.tga")},
         {dir.File("i.tga")},
         "folder"},
        {"spritetool list",
         spritetool::Run,
         {"spritetool", "write", folder, pictures, dir.File("a.hdr"), dir.File("a.Dat")},
         {dir.File("a.hdr"), dir.File("a.Dat")},
         "folder"},
        {"spritetool picture",
         spritetool::Run,
         {"spritetool", "write", list, pictures, dir.File("b.hdr"), dir.File("b.Dat")},
         {dir.File("b.hdr"), dir.File("b.Dat")},
         "frame"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        testing::internal::CaptureStderr();
        const int code = RunArgs(c.run, c.args);
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_EQ(code, 1);
        EXPECT_NE(message.find("cannot read"), std::string::npos) << message;
        EXPECT_NE(message.find(c.named), std::string::npos) << message;
        for (const std::string& output : c.outputs)
            EXPECT_FALSE(std::filesystem::exists(output)) << output;
    }
}

TEST(ToolSources, AnEmptySourceFileIsReadAsAnEmptyText)
{
    testsupport::TempDir dir;
    const std::string empty = dir.File("empty.txt");
    testsupport::WriteText(empty, "");
    // An empty text source and an empty tone list hold nothing, which the tools write as a table and a bank of
    // nothing; an empty picture has no rows, which the image tool names.
    EXPECT_EQ(RunArgs(texttool::Run, {"texttool", "encode", empty, dir.File("t.ble")}), 0);
    EXPECT_TRUE(std::filesystem::exists(dir.File("t.ble")));
    EXPECT_EQ(RunArgs(soundtool::Run, {"soundtool", "write", empty, dir.File("s.hdr"), dir.File("s.spf")}), 0);
    EXPECT_TRUE(std::filesystem::exists(dir.File("s.hdr")));
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunArgs(imagetool::Run, {"imagetool", "ddt", empty, dir.File("i.ddt")}), 1);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("no rows of pixels"), std::string::npos) << message;
}
