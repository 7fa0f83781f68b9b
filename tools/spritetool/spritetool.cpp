// spritetool: makes the sprite file pairs of the data set (see SpriteTool.h).
#include "tools/spritetool/SpriteTool.h"

int main(int argc, char** argv)
{
    return spritetool::Run(argc, argv);
}
