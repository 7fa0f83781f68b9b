// The program's entry point: runs the game in the current folder, which holds its data.
#include "game/Program.h"

int main()
{
    return RunProgram();
}
