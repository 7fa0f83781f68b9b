// The blefile tool run as a data maker runs it: every byte of the output is the complement of the input's, an empty
// file included, and an input that is not a readable file fails the run and writes nothing.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

std::vector<unsigned char> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

int RunBlefile(const std::string& mode, const std::string& in, const std::string& out)
{
    const std::string command =
        std::string("'") + TW_BLEFILE_PATH + "' " + mode + " '" + in + "' '" + out + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    return status == -1 ? -1 : WEXITSTATUS(status);
}

} // namespace

TEST(BleFileTool, EveryByteIsComplementedAnEmptyFileIncluded)
{
    testsupport::TempDir dir;
    const std::string in = dir.File("in.bin");
    const std::string out = dir.File("out.bin");
    const struct
    {
        const char* mode;
        std::vector<unsigned char> input;
        std::vector<unsigned char> output; // each byte b written as 255 - b
    } cases[] = {
        {"encode", {'a', 'b', 'c'}, {0x9E, 0x9D, 0x9C}},
        {"decode", {0x9E, 0x9D, 0x9C}, {'a', 'b', 'c'}},
        {"encode", {0x00, 0xFF, 0x2E}, {0xFF, 0x00, 0xD1}},
        // An empty script is a script the game reads as one with nothing in it: it has an empty scrambled twin.
        {"encode", {}, {}},
        {"decode", {}, {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.mode) + " of " + std::to_string(c.input.size()) + " bytes");
        std::filesystem::remove(out);
        WriteBytes(in, c.input);
        EXPECT_EQ(RunBlefile(c.mode, in, out), 0);
        ASSERT_TRUE(std::filesystem::is_regular_file(out));
        EXPECT_EQ(ReadBytes(out), c.output);
    }
}

TEST(BleFileTool, AnInputThatIsNoReadableFileFailsAndWritesNothing)
{
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.File("folder"));
    // A file of 4 GiB (sparse: it takes no room) is more than a 32-bit size holds: it is no empty file either.
    WriteBytes(dir.File("huge.bin"), {'x'});
    std::filesystem::resize_file(dir.File("huge.bin"), std::uintmax_t{1} << 32);
    const std::string out = dir.File("out.bin");
    for (const char* mode : {"encode", "decode"})
        for (const std::string& in : {dir.File("missing.bin"), dir.File("folder"), dir.File("huge.bin")})
        {
            SCOPED_TRACE(std::string(mode) + " of " + in);
            EXPECT_EQ(RunBlefile(mode, in, out), 1);
            EXPECT_FALSE(std::filesystem::exists(out));
        }
}
