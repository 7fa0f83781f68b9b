// imagetool: makes the sky's images and DDT textures from plain text (see ImageTool.h).
#include "tools/imagetool/ImageTool.h"

int main(int argc, char** argv)
{
    return imagetool::Run(argc, argv);
}
