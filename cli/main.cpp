#include "cli/Driver.h"

int main(int argc, char* argv[])
{
    return RunKavren(argc, argv);
}
