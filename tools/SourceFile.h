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
    // The file services hand out no buffer for an empty file: it is one only when it opens and holds no byte.
    if (!IsRegularFile(name.c_str()))
        return false;
    FILE* file = platform::OpenFile(name, "rb");
    if (!file)
        return false;
    const bool empty = std::fgetc(file) == EOF && !std::ferror(file);
    std::fclose(file);
    if (empty)
        text->clear();
    return empty;
}

} // namespace tools
