#include "cli/Driver.h"

// Placeholder: the run driver is being built.
const char* ErrorMessage(int) { return "Error: Unknown error."; }
std::uint32_t ParseHexColor(const char*) { return 0; }
std::uint32_t SwapRedBlue(std::uint32_t colour) { return colour; }
int PrintUsage(FILE*, int status) { return status; }
int RunKavren(int, char*[]) { return 2; }
