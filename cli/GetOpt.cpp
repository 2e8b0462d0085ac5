#include "cli/GetOpt.h"

// Placeholder: the option reader is being built.
int g_optIndex = 1;
const char* g_optArg = nullptr;
int g_optLetter = 0;
void ResetGetOpt() { g_optIndex = 1; }
int GetOpt(int, char* const[], const char*, const LongOption*, int*) { return -1; }
