// One barcode into one output file, and the lines a failed run prints: what
// the single run and every line of a batch share.
#pragma once

#include "cli/RunOptions.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Writes the text and a newline to the stream and flushes it.
void PrintLine(FILE* stream, const char* text);
// Writes the program's name, version and copyright line.
void PrintBanner(FILE* stream);

const char* ErrorMessage(int code);
// Writes the banner, the status's message and, when there is one, the
// detail to standard error; returns code.
int PrintFailure(int code, const std::string& detail = {});

// What writing one barcode came to: the exit status and, when the library
// said more, the detail.
struct Written {
    Written(int status = 0, std::string detail = {}, std::vector<std::string> warnings = {})
        : status(status), detail(std::move(detail)), warnings(std::move(warnings))
    {
    }

    int status = 0;
    std::string detail;
    // What the run changed of what it was asked (a replaced check digit, an
    // extension that names no format), in order; each a "Warning: " line.
    std::vector<std::string> warnings;
};
// Renders the data with the options into the output named path (see
// cli/OutputFile.h): the file is complete or left as it was. Prints nothing.
// With options.strict a warning fails the run instead, writing nothing.
// The caller takes the fatal signals (cli/RemoveOnSignal.h) for an
// interrupted run to leave no temporary file.
Written WriteBarcode(const RunOptions& options, std::string_view data, const char* path);
// The same into a file of a batch, resolved in its folder (cli/OutputFile.h).
Written WriteBarcode(const RunOptions& options, std::string_view data, const struct OutputTarget& target);

// The format a file name asks for: SVG for a name ending in ".svg", EPS for
// ".eps" (any letter case), PNG for every other name ("-" included).
kavren::Format FileNameFormat(std::string_view path);
// No format yet: --format did not name one, so each file's name decides.
inline constexpr auto FormatFromFileName = static_cast<kavren::Format>(-1);
