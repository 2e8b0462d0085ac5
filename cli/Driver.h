// The run driver: one command line in, one PNG file out, an exit status back.
#pragma once

#include "cli/GetOpt.h"

#include <cstdint>
#include <cstdio>

// The program's short-option string and its long-option table (ends with a
// null name; its order decides abbreviations).
extern const char* const KavrenOptionString;
const LongOption* KavrenLongOptions();

const char* ErrorMessage(int code);
std::uint32_t ParseHexColor(const char* text);
std::uint32_t SwapRedBlue(std::uint32_t colour);
// Writes the banner and usage text to the stream and returns status.
int PrintUsage(FILE* stream, int status);

// The whole run; returns the process exit status. Reads only its arguments,
// writes only the output file and the standard streams.
int RunKavren(int argc, char* argv[]);
