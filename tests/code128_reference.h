// Reading Code 128 patterns back, the way a reader would, for the Code 128 and
// GS1-128 suites: element codes to symbol values, values to the data bytes the
// code sets give them (ISO/IEC 15417, Tables 7 and 8).
#pragma once

#include "symbologies/Code128.h"

#include <cstdint>
#include <string>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace c128t {

// Width in modules and colour of an element code of 1..4 modules; 0 for other codes.
inline int ElementWidth(std::uint8_t code, bool& bar)
{
    switch (code) {
    case BAR1: bar = true; return 1;
    case BAR2: bar = true; return 2;
    case BAR3: bar = true; return 3;
    case BAR4: bar = true; return 4;
    case SPACE1: bar = false; return 1;
    case SPACE2: bar = false; return 2;
    case SPACE3: bar = false; return 3;
    case SPACE4: bar = false; return 4;
    default: return 0;
    }
}

// "1" per bar module, "0" per space module.
inline std::string ModuleString(const std::vector<std::uint8_t>& pattern)
{
    std::string s;
    for (std::uint8_t code : pattern) {
        bool bar = false;
        const int w = ElementWidth(code, bar);
        s.append(static_cast<std::size_t>(w), bar ? '1' : '0');
    }
    return s;
}

// The widths of one table row as modules, e.g. value 0 -> "11011001100".
inline std::string RowModules(int value)
{
    std::string s;
    bool bar = true;
    for (int w : Code128Widths[static_cast<std::size_t>(value)]) {
        s.append(static_cast<std::size_t>(w), bar ? '1' : '0');
        bar = !bar;
    }
    return s;
}

// Symbol values from the start character to the check character. Empty when the
// pattern is not a well-formed symbol: alternating elements, known characters,
// the stop with its final bar, and a check value that matches.
inline std::vector<int> PatternToValues(const std::vector<std::uint8_t>& pattern)
{
    std::vector<int> values;
    if (pattern.size() < 13 || pattern.size() % 6 != 1)
        return {};
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        bool bar = false;
        if (ElementWidth(pattern[i], bar) == 0 || bar != (i % 2 == 0))
            return {};
    }
    for (std::size_t i = 0; i + 1 < pattern.size(); i += 6) {
        int found = -1;
        for (std::size_t v = 0; v < Code128Widths.size() && found < 0; ++v) {
            bool same = true;
            for (std::size_t e = 0; e < 6; ++e) {
                bool bar = false;
                same = same && ElementWidth(pattern[i + e], bar) == Code128Widths[v][e];
            }
            if (same)
                found = static_cast<int>(v);
        }
        if (found < 0)
            return {};
        values.push_back(found);
    }
    if (pattern.back() != BAR2 || values.back() != C128_STOP || values.size() < 3)
        return {};
    values.pop_back();
    long sum = values[0];
    for (std::size_t i = 1; i + 1 < values.size(); ++i)
        sum += static_cast<long>(i) * values[i];
    if (sum % 103 != values.back())
        return {};
    return values;
}

// The data bytes a reader reports for values from start to check (check not read):
// FNC1 as byte 134, FNC3 and FNC2 as 128 and 129. "?" marks a value the
// current set gives no data meaning (a shift or FNC4), which the encoder must never emit.
inline std::string ValuesToBytes(const std::vector<int>& values)
{
    std::string out;
    if (values.empty())
        return "?";
    int set = values[0] - C128_START_A + 1; // 1 A, 2 B, 3 C
    if (set < 1 || set > 3)
        return "?";
    int shifted = 0; // the set a SHIFT returns to after one character
    for (std::size_t i = 1; i + 1 < values.size(); ++i) {
        const int v = values[i];
        if (shifted != 0 && i > 1 && values[i - 1] != 98) {
            set = shifted;
            shifted = 0;
        }
        if (v == 98 && set != 3 && shifted == 0) {
            shifted = set;
            set = 3 - set; // A and B swap for the next character
        } else if (v == C128_FNC1)
            out += static_cast<char>(Code128ByteFnc1);
        else if (set == 3 && v < 100)
            out += std::string{static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
        else if (v == C128_CODE_C)
            set = 3;
        else if (v == C128_CODE_B && set != 2)
            set = 2;
        else if (v == C128_CODE_A && set != 1)
            set = 1;
        else if (v == 96 || v == 97)
            out += static_cast<char>(v + 32); // FNC3, FNC2
        else if (set == 1 && v < 64)
            out += static_cast<char>(v + 32);
        else if (set == 1 && v < 96)
            out += static_cast<char>(v - 64); // control characters NUL..US
        else if (set == 2 && v < 96)
            out += static_cast<char>(v + 32);
        else
            out += '?';
    }
    return out;
}

} // namespace c128t
