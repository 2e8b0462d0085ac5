// Shared by the two-width symbologies whose characters are rows of narrow and
// wide elements (Code 39, Codabar, Code 11).
#pragma once

#include "engine/BarcodeSym.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Appends a character's elements, alternating from the colour in force (`bar`
// true: a bar first); each entry is 1 for wide, 0 for narrow. `bar` flips after
// every element, so it ends as the colour of the next element.
template <std::size_t N>
void AppendTwoWidthChar(std::vector<std::uint8_t>& pattern, const std::array<std::uint8_t, N>& wide,
                        bool& bar)
{
    for (std::uint8_t w : wide) {
        if (bar)
            pattern.push_back(w ? WIDE_BAR : BAR1);
        else
            pattern.push_back(w ? WIDE_SPACE : SPACE1);
        bar = !bar;
    }
}

// Characters one after another, each followed by a narrow intercharacter gap
// but the last (the Codabar and Code 11 layout). `rowOf` gives a character's
// row of wide flags, or null for a character outside the table (skipped).
template <typename RowOf>
void AppendGappedChars(std::vector<std::uint8_t>& pattern, const std::string& bytes, RowOf rowOf)
{
    bool bar = true;
    bool appended = false;
    for (char c : bytes) {
        const auto* row = rowOf(c);
        if (!row)
            continue;
        AppendTwoWidthChar(pattern, *row, bar);
        pattern.push_back(SPACE1);
        bar = !bar;
        appended = true;
    }
    if (appended)
        pattern.pop_back(); // no gap after the stop character
}
