// The settings of one run as the command line gives them: the library's
// options, with its defaults. The option table (cli/OptionTable.h) says which
// option sets which field.
#pragma once

#include "kavren/kavren.h"

using RunOptions = kavren::Options;
