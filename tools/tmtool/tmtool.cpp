// tmtool: writes .tm models and the optimised layout from model text, and dumps models as text.
#include "tools/tmtool/TmTool.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string out;
    std::string err;
    const int code = tmtool::RunTmTool(args, &out, &err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return code;
}
