// fonttool: makes the game's GUI font files (see FontTool.h).
#include "tools/fonttool/FontTool.h"

int main(int argc, char** argv)
{
    return fonttool::Run(argc, argv);
}
