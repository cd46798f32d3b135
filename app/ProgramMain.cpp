// The program file's entry point.
#include "app/Main.h"

int main(int argc, char** argv)
{
    return RunGlimmora(argc, argv);
}
