// Shared test helpers: run the program, read its PNG back as pixels, ask the
// independent decoders what they see, and measure bars along a scan line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kt {

struct RunResult {
    int status = -1; // exit status, or 128 + signal number when killed by a signal
    std::string out; // standard output
    std::string err; // standard error
};

// Runs the kavren binary of this build with the arguments (program name not included).
RunResult RunKavren(const std::vector<std::string>& args);

// Runs a shell command line; captures standard output, discards standard error.
RunResult RunCommand(const std::string& commandLine);

// A path for a scratch file named `name` in a directory private to this test process.
std::string ScratchPath(const std::string& name);
bool FileExists(const std::string& path);
// The whole file as bytes; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Creates or truncates the file and writes the bytes.
void WriteFile(const std::string& path, const std::string& bytes);

// Data for one symbology: `before + c + after` is valid for it when c is a
// digit or one of `accepted`, so tests can put any byte in the middle of a
// text that is otherwise valid.
struct SymbologySample {
    std::int32_t type;
    const char* before;
    const char* after;
    const char* accepted; // bytes besides the digits that must give a picture
    std::string Valid() const { return std::string(before) + '1' + after; }
};
// The sample of every row of the symbology table, in table order (a test
// fails when a row has none).
std::vector<SymbologySample> SymbologySamples();

// An 8-bit RGB picture read back from a PNG.
struct Raster {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // row-major, 3 bytes per pixel

    // 0x00BBGGRR, the program's own colour layout.
    std::uint32_t At(int x, int y) const;
};
// The stored 8-bit RGB bytes, unconverted. False (with the raster empty) when
// the file is missing or not an 8-bit RGB PNG.
bool ReadPng(const std::string& path, Raster& out);
// The picture turned so that it reads left to right with the bars growing
// downward from the top edge, as at orientation 0 (orientations counter-clockwise).
Raster Upright(const Raster& r, int orientation);

// zbarimg's reading of the file, one "TYPE:data" line per symbol found (empty when none).
std::vector<std::string> Zbar(const std::string& path);
// ZXingReader's reading of the file with -1 -escape (one "file: content" line per symbol,
// non-graphical bytes as <..>), after the optional extra options (e.g. "-format Code128").
std::vector<std::string> ZXing(const std::string& path, const std::string& options = "");
// Only the decoded contents of ZXing(), without the file name prefix.
std::vector<std::string> ZXingTexts(const std::string& path, const std::string& options = "");

// A run of equal "darkness" along a scan line: dark when the pixel is closer to
// `dark` than to `light` (squared RGB distance).
struct Run {
    bool dark = false;
    int length = 0;
};
// Runs along row y (left to right) or column x (top to bottom).
std::vector<Run> RowRuns(const Raster& r, int y, std::uint32_t dark = 0, std::uint32_t light = 0xffffff);
std::vector<Run> ColumnRuns(const Raster& r, int x, std::uint32_t dark = 0, std::uint32_t light = 0xffffff);
// The runs from the first dark run to the last dark run, inclusive.
std::vector<Run> TrimToBars(const std::vector<Run>& runs);
// The widths of the trimmed runs divided by the module width, as a string of
// digits, e.g. "2112..." (widths that are not a whole number of modules give '?').
std::string ModuleString(const std::vector<Run>& runs, int moduleWidth);

} // namespace kt
