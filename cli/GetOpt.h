// Command-line option reader in the manner of getopt, with long options.
// Never permutes the command line: it stops at the first non-option element.
#pragma once

struct LongOption {
    const char* name;  // without the dashes; null ends the table
    int takesArgument; // 0 none, 1 required
    int* flag;         // when set, a match stores the letter here and returns 0
    int letter;        // returned on a match
};

extern int g_optIndex;       // next element to read; 1 at start
extern const char* g_optArg; // argument of the option just returned
extern int g_optLetter;      // short-option character just examined

// Resets the parser to read a new command line from element 1.
void ResetGetOpt();

// An option letter, '?' after a diagnostic on standard error, or -1 at the end
// of the options.
int GetOpt(int argc, char* const argv[], const char* optString, const LongOption* longOptions,
           int* longIndex);
