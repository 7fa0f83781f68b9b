// FatalError: the silent start-up abort, made visible on standard error.
#include "engine/core/FatalError.h"

#include "platform/Report.h"
#include "platform/Strings.h"

#include <cstdarg>
#include <cstdio>

void FatalError(const char* format, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, format);
    platform::FormatStringV(buffer, sizeof(buffer), format, args);
    va_end(args);
    std::fprintf(stderr, "%s\n", buffer);
    platform::ExitProcess(0);
}
