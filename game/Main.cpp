// The program's entry point: runs the game on the data set the command line names (or the usual places).
#include "game/Program.h"

int main(int argc, char** argv)
{
    return RunProgram(argc, argv);
}
