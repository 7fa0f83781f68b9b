// soundtool: makes the data set's sample bank from a list of generated tones (see SoundTool.h).
#include "tools/soundtool/SoundTool.h"

int main(int argc, char** argv)
{
    return soundtool::Run(argc, argv);
}
