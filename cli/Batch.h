// Batch runs: one barcode per line of a file, each written as a single run
// with the same options and that line's data would write it.
//
// A line "NAME<TAB>DATA" names its file (relative to the folder of the
// output name; an absolute name or a ".." component is refused); any other
// line is data alone and its file is named by the output name as a pattern:
// each run of '#' in its last component becomes the line number, zero-padded
// to the run's length, and a pattern without '#' gets "-N" before its
// extension. Lines are counted as the file has them (empty lines, which are
// skipped, count too), so names and messages point at the line in an editor.
// A trailing carriage return is removed.
//
// A failed line prints "line N: " and the usual message to standard error and
// the batch goes on; the messages come in line order, then a summary
// ("998 of 1000 barcodes written"). The exit status is 0 when every line was
// written, otherwise that of the first failed line.
#pragma once

#include "cli/OptionTable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct BatchSettings {
    std::optional<std::string> file; // "-": standard input; none: a single run
    std::int32_t jobs = 0;           // barcodes rendered at once; 0: one per processor core
};

// Stores the value of --batch or --jobs; false for any other option.
bool ApplyBatchOption(const OptionSpec& option, const char* text, BatchSettings& batch);

// The whole batch; returns the exit status.
int RunBatch(const RunOptions& options, const BatchSettings& batch, const char* outputName);

// The file name of a data line from the output name pattern.
std::string PatternName(std::string_view pattern, std::uint64_t line);
