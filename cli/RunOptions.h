// The settings of one run as the command line gives them: the library's
// options, with its defaults, and the command line's own. The option table
// (cli/OptionTable.h) says which option sets which field.
#pragma once

#include "kavren/kavren.h"

struct RunOptions : kavren::Options {
    bool strict = false; // --strict: every warning is an error instead
    // -n was given; without it a 4-state postal code takes its standard's
    // nominal bar width at the resolution.
    bool xDimensionGiven = false;
    // -t was given: without it, --digital-link draws a QR Code.
    bool symbologyGiven = false;
};
