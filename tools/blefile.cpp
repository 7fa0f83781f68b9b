// blefile: scrambles a plain file into a .ble file, or unscrambles a .ble file back, through the file services.
#include "engine/core/FileSystem.h"
#include "platform/Paths.h"
#include "tools/SourceFile.h"

#include <cstdio>
#include <cstring>

namespace
{

int Usage()
{
    std::fprintf(stderr, "usage: blefile encode <plain> <out.ble>\n"
                         "       blefile decode <in.ble> <plain>\n");
    return 1;
}

int Encode(FileSystem& files, const char* plain, const char* ble)
{
    uint32_t size = 0;
    char* buffer = files.LoadFileSized(plain, &size);
    if (!buffer && !tools::IsEmptyFile(plain))
    {
        std::fprintf(stderr, "blefile: cannot read %s\n", plain);
        return 1;
    }
    bool ok = files.WriteBleFile(ble, buffer, size);
    delete[] buffer;
    if (!ok)
    {
        std::fprintf(stderr, "blefile: cannot write %s\n", ble);
        return 1;
    }
    return 0;
}

int Decode(FileSystem& files, const char* ble, const char* plain)
{
    uint32_t size = 0;
    char* buffer = files.ReadBleFileSized(ble, &size);
    if (!buffer && !tools::IsEmptyFile(ble))
    {
        std::fprintf(stderr, "blefile: cannot read %s\n", ble);
        return 1;
    }
    // The reader's buffer ends in one extra '.' byte that is not part of the contents.
    bool ok = files.WriteFile(plain, buffer, size);
    delete[] buffer;
    if (!ok)
    {
        std::fprintf(stderr, "blefile: cannot write %s\n", plain);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return Usage();
    FileSystem* files = GetFileSystem();
    if (std::strcmp(argv[1], "encode") == 0)
        return Encode(*files, argv[2], argv[3]);
    if (std::strcmp(argv[1], "decode") == 0)
        return Decode(*files, argv[2], argv[3]);
    return Usage();
}
