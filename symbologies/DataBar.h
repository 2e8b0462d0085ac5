// GS1 DataBar (ISO/IEC 24724:2011): the GTIN forms (Omnidirectional,
// Truncated, Stacked, Stacked Omnidirectional) and Expanded with its stacked
// form. Every form is built as rows of element widths, light and dark in
// turn, and drawn as dark runs in module rows; separator rows between stacked
// rows are module patterns of their own.
#pragma once

#include "symbologies/Encoder.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace kavren::detail {

// A GTIN of 13 digits (the check digit computed) or 14 (a wrong check digit
// replaced, or refused under options.gs1Check); HRI "(01)" and 14 digits.
EncodeResult EncodeDataBar(const Options& options, std::string_view data);            // 33 modules high
EncodeResult EncodeDataBarTruncated(const Options& options, std::string_view data);   // 13 modules high
EncodeResult EncodeDataBarStacked(const Options& options, std::string_view data);     // rows 5 and 7
EncodeResult EncodeDataBarStackedOmni(const Options& options, std::string_view data); // rows 33 and 33
// GS1 element strings in <AInn> markers or (AI) brackets; the stacked form
// with options.segments symbol characters per row (even 2..22, 0: 4).
EncodeResult EncodeDataBarExpanded(const Options& options, std::string_view data);
EncodeResult EncodeDataBarExpandedStacked(const Options& options, std::string_view data);

// ---- Shared by the forms, and by the tests of the character sets ----

// The widths of `elements` elements (bars or spaces) of `modules` modules in
// all, none wider than `widest`, numbered `value` in the order of ISO/IEC
// 24724 Annex B; unless `noNarrow`, a pattern without a 1-module element is
// excluded.
std::vector<std::int32_t> DataBarWidths(std::int32_t value, std::int32_t modules, std::int32_t elements,
                                        std::int32_t widest, bool noNarrow);

// One group of a character set (ISO/IEC 24724 Tables 3, 4 and 12): the
// values from `first` take `oddCount` x `evenCount` odd/even width pairs.
struct DataBarGroup {
    std::int32_t first;
    std::int32_t oddModules;
    std::int32_t evenModules;
    std::int32_t oddWidest;
    std::int32_t evenWidest;
    std::int32_t oddCount;
    std::int32_t evenCount;
};

// A row of a symbol: element widths from `offset` modules on, the first
// `dark` or light, then alternating.
struct DataBarRow {
    std::vector<std::int32_t> widths;
    bool firstDark = false;
    std::int32_t offset = 0;

    std::vector<bool> Modules(std::int32_t length) const;
};

// The rows (element rows and separator module rows) as an encoded symbol:
// `heights` modules per row, the element rows stretching by their height,
// the separators fixed; the HRI under it.
EncodeResult DataBarSymbol(const Options& options, const std::vector<std::vector<bool>>& rows,
                           const std::vector<double>& heights, const std::vector<bool>& stretches,
                           std::string hri);

// Where a finder pattern of a row lies: its first module, and whether it
// is read right to left.
struct DataBarFinder {
    std::int32_t start;
    bool reversed;
};

// A separator row: the complement of `row` over modules [from, to), light
// elsewhere, except that over a finder pattern the modules under a run of
// light ones alternate (dark first, in the finder's reading direction), so
// that the separator shows no wide bar beside the finder.
std::vector<bool> DataBarComplement(const std::vector<bool>& row, std::int32_t from, std::int32_t to,
                                    const std::vector<DataBarFinder>& finders);

EncodeResult DataBarInvalid(std::string detail);

} // namespace kavren::detail
