// Reading a data tool's source file whole through the engine's file services, a read that fails included.
#pragma once

#include "engine/core/FileSystem.h"
#include "platform/Paths.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace tools
{

// True when the name is a regular file that opens for reading and holds no byte: the file services hand out no
// buffer for it, yet it is a file of its own.
inline bool IsEmptyFile(const std::string& name)
{
    if (!IsRegularFile(name.c_str()))
        return false;
    FILE* file = platform::OpenFile(name, "rb");
    if (!file)
        return false;
    const bool empty = std::fgetc(file) == EOF && !std::ferror(file);
    std::fclose(file);
    return empty;
}

// The whole file; false when the name is no regular file (a directory, say) or it cannot be read to its end. An
// empty file is read as an empty text.
inline bool ReadSourceFile(const std::string& name, std::string* text)
{
    uint32_t size = 0;
    const std::unique_ptr<char[]> buffer(GetFileSystem()->LoadFileSized(name.c_str(), &size));
    if (buffer)
    {
        text->assign(buffer.get(), size);
        return true;
    }
    if (!IsEmptyFile(name))
        return false;
    text->clear();
    return true;
}

} // namespace tools
