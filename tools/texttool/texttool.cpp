// texttool: makes the game's text tables from plain text (see TextTool.h).
#include "tools/texttool/TextTool.h"

int main(int argc, char** argv)
{
    return texttool::Run(argc, argv);
}
