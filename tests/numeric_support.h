// Helpers of the 2 of 5, MSI and postal suites: run the program into a PNG,
// turn the picture back to the orientation-0 view, and spell module patterns.
#pragma once

#include "engine/BarcodeSym.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace kt {

// ISO/IEC 16390, Table 1: the 2 of 5 digit patterns, n narrow and w wide.
inline constexpr std::array<const char*, 10> kTwoOfFive = {"nnwwn", "wnnnw", "nwnnw", "wwnnn", "nnwnw",
                                                           "wnwnn", "nwwnn", "nnnww", "wnnwn", "nwnwn"};

// Pattern elements as n (narrow) and w (wide); "!" when an element is neither
// a narrow nor a wide one of its kind, or bars and spaces do not alternate.
inline std::string Widths(const std::vector<std::uint8_t>& pattern)
{
    std::string s;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool bar = i % 2 == 0;
        if (pattern[i] == (bar ? BAR1 : SPACE1))
            s += 'n';
        else if (pattern[i] == (bar ? WIDE_BAR : WIDE_SPACE))
            s += 'w';
        else
            return "!";
    }
    return s;
}

// Industrial 2 of 5 of these digits: start, five bars per digit each followed
// by a narrow space, stop.
inline std::string IndustrialWidths(const std::string& digits)
{
    std::string s = "wnwnnn";
    for (const char d : digits)
        for (const char* w = kTwoOfFive[static_cast<std::size_t>(d - '0')]; *w != '\0'; ++w)
            s += std::string(1, *w) + "n";
    return s + "wnnnw";
}

// Interleaved 2 of 5 of an even number of digits: start, each pair with the
// first digit in the bars and the second in the spaces, stop.
inline std::string InterleavedWidths(const std::string& digits)
{
    std::string s = "nnnn";
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        for (std::size_t j = 0; j < 5; ++j)
            s += std::string(1, kTwoOfFive[static_cast<std::size_t>(digits[i] - '0')][j]) +
                 kTwoOfFive[static_cast<std::size_t>(digits[i + 1] - '0')][j];
    return s + "wnn";
}

// MSI of these digits: start wn, each bit 1 as wn and 0 as nw, most
// significant first, stop nwn.
inline std::string MsiWidths(const std::string& digits)
{
    std::string s = "wn";
    for (const char d : digits)
        for (const char bit : std::bitset<4>(static_cast<unsigned>(d - '0')).to_string())
            s += bit == '1' ? "wn" : "nw";
    return s + "nwn";
}

// An n/w string in modules, as kt::ModuleString reads a picture: 1 per narrow
// element, `wide` per wide one.
inline std::string ModulesOf(const std::string& widths, int wide)
{
    std::string s;
    for (const char c : widths)
        s += c == 'w' ? static_cast<char>('0' + wide) : '1';
    return s;
}

// Runs the program with the arguments and an output file; the picture read back.
inline Raster RunToRaster(const std::vector<std::string>& args, const std::string& name)
{
    const std::string path = ScratchPath(name);
    std::vector<std::string> all = args;
    all.push_back(path);
    const RunResult run = RunKavren(all);
    EXPECT_EQ(run.status, 0) << run.err;
    Raster raster;
    EXPECT_TRUE(ReadPng(path, raster)) << path;
    return raster;
}

// USPS PostNet digit patterns, T tall and S short; two tall bars per digit.
inline constexpr std::array<const char*, 10> kPostNet = {"TTSSS", "SSSTT", "SSTST", "SSTTS", "STSST",
                                                         "STSTS", "STTSS", "TSSST", "TSSTS", "TSTSS"};

// The bars of a postal symbol of these digits, frame bars included; Planet
// swaps tall and short in the digits.
inline std::string PostalBars(const std::string& digits, bool postNet)
{
    std::string s = "T";
    for (const char c : digits) {
        for (const char* p = kPostNet[static_cast<std::size_t>(c - '0')]; *p != '\0'; ++p)
            s += postNet ? *p : (*p == 'T' ? 'S' : 'T');
    }
    return s + "T";
}

// Runs the program (x-dimension mode or a size that leaves no free space) and
// reads the bars back along the reading direction, across the bar band, in
// modules; both quiet zones must be 10 modules.
inline std::string ReadModules(const std::vector<std::string>& args, int orientation, int module,
                               bool textAbove, const std::string& name)
{
    const Raster r = Upright(RunToRaster(args, name), orientation);
    if (r.height == 0)
        return "no picture";
    const auto runs = RowRuns(r, textAbove ? r.height * 3 / 4 : r.height / 4);
    EXPECT_EQ(runs.front().length, 10 * module);
    EXPECT_EQ(runs.back().length, 10 * module);
    return ModuleString(TrimToBars(runs), module);
}

} // namespace kt
