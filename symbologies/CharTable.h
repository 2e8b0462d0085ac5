// What the character-table symbologies share: finding a character's row in a
// table, and turning a row of widths into element codes. Code 39, Codabar and
// Code 11 rows are narrow/wide flags; Code 93 and Code 128 rows, like the
// EAN/UPC digits, are widths of one to four modules.
#pragma once

#include "engine/BarcodeSym.h"
#include "symbologies/Digits.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kavren::detail {

// Index of the first of the first `count` rows whose `character` is `c`; -1
// when none is. A smaller `count` leaves out rows that no text character
// stands for (start, stop, shift characters).
template <typename Row, std::size_t N>
constexpr int FindCharRow(const std::array<Row, N>& rows, char c, std::size_t count = N)
{
    for (std::size_t i = 0; i < count && i < N; ++i)
        if (rows[i].character == c)
            return static_cast<int>(i);
    return -1;
}

// True when the text is not empty and each of its characters has a row among
// the first `count`.
template <typename Row, std::size_t N>
bool IsTableText(const std::array<Row, N>& rows, const std::string& text, std::size_t count = N)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (FindCharRow(rows, c, count) < 0)
            return false;
    return true;
}

// Why the text is not table text (IsTableText), ending in what the symbology
// takes; empty when it is.
template <typename Row, std::size_t N>
std::string TableTextProblem(const std::array<Row, N>& rows, const std::string& text, std::string_view takes,
                             std::size_t count = N)
{
    if (text.empty())
        return "no data: " + std::string(takes);
    for (std::size_t i = 0; i < text.size(); ++i)
        if (FindCharRow(rows, text[i], count) < 0)
            return CharacterAt(text, i) + ": " + std::string(takes);
    return {};
}

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

// The element code of a bar (`bar` true) or a space of 1..4 modules; `bar`
// flips, so it ends as the colour of the next element.
inline void AppendModuleWidth(std::vector<std::uint8_t>& pattern, std::uint8_t modules, bool& bar)
{
    static constexpr std::array<std::uint8_t, 5> Bars = {0, BAR1, BAR2, BAR3, BAR4};
    static constexpr std::array<std::uint8_t, 5> Spaces = {0, SPACE1, SPACE2, SPACE3, SPACE4};
    pattern.push_back(bar ? Bars[modules] : Spaces[modules]);
    bar = !bar;
}

// A row of module widths (1..4 each) as element codes, from the colour in force.
template <typename Widths>
void AppendModuleWidths(std::vector<std::uint8_t>& pattern, const Widths& widths, bool& bar)
{
    for (const std::uint8_t modules : widths)
        AppendModuleWidth(pattern, modules, bar);
}

} // namespace kavren::detail
