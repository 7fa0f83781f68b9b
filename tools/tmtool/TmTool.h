// The tmtool command line: write .tm files and the optimised layout from model text, and dump any model as text.
#pragma once

#include <string>
#include <vector>

namespace tmtool
{

// Runs one command (the arguments after the program name); what it prints goes to `out` and `err`. Returns the
// exit code: 0 done, 1 failed, 2 bad usage.
int RunTmTool(const std::vector<std::string>& args, std::string* out, std::string* err);

} // namespace tmtool
