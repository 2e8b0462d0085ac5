// The run driver: one command line in, one image (PNG, SVG or EPS) out, an exit status back.
#pragma once

#include "cli/GetOpt.h"
#include "cli/OptionTable.h"
#include "cli/SingleRun.h"

#include <cstdio>

// Writes the banner and usage text to the stream and returns status.
int PrintUsage(FILE* stream, int status);

// The whole run; returns the process exit status. Reads only its arguments,
// writes only the output file and the standard streams.
int RunKavren(int argc, char* argv[]);
