// GS1 DataBar Omnidirectional, Truncated, Stacked and Stacked
// Omnidirectional after ISO/IEC 24724:2011, and what every DataBar form
// shares: the element widths of a character value, the rows as an encoded
// symbol, the separator rows.
#include "symbologies/DataBar.h"

#include "symbologies/Digits.h"
#include "symbologies/Gs1Syntax.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <utility>

namespace kavren::detail {

namespace {

// Ways to choose r of n (0 when there are none).
std::int32_t Combinations(std::int32_t n, std::int32_t r)
{
    if (n < 0 || r < 0 || r > n)
        return 0;
    std::int64_t result = 1;
    for (std::int32_t i = 1; i <= std::min(r, n - r); ++i)
        result = result * (n - std::min(r, n - r) + i) / i;
    return static_cast<std::int32_t>(result);
}

} // namespace

std::vector<std::int32_t> DataBarWidths(std::int32_t value, std::int32_t modules, std::int32_t elements,
                                        std::int32_t widest, bool noNarrow)
{
    // ISO/IEC 24724 Annex B: element by element, the width whose block of
    // patterns holds the value; each block counts the patterns of the
    // remaining elements, less those without a narrow element (unless
    // allowed) and those with an element above the widest.
    std::vector<std::int32_t> widths(static_cast<std::size_t>(elements), 0);
    bool narrowSeen = false;
    for (std::int32_t bar = 0; bar < elements - 1; ++bar) {
        const std::int32_t rest = elements - bar - 1; // elements after this one
        std::int32_t width = 1;
        std::int32_t block = 0;
        for (;; ++width) {
            block = Combinations(modules - width - 1, rest - 1);
            if (!noNarrow && !narrowSeen && width > 1 && modules - width - rest >= rest)
                block -= Combinations(modules - width - rest - 1, rest - 1);
            if (rest > 1) {
                std::int32_t tooWide = 0;
                for (std::int32_t w = modules - width - (rest - 1); w > widest; --w)
                    tooWide += Combinations(modules - width - w - 1, rest - 2);
                block -= tooWide * rest;
            } else if (modules - width > widest) {
                --block;
            }
            value -= block;
            if (value < 0)
                break;
        }
        value += block;
        modules -= width;
        widths[static_cast<std::size_t>(bar)] = width;
        narrowSeen = narrowSeen || width == 1;
    }
    widths.back() = modules;
    return widths;
}

std::vector<bool> DataBarRow::Modules(std::int32_t length) const
{
    std::vector<bool> modules(static_cast<std::size_t>(length), false);
    std::int32_t at = offset;
    bool dark = firstDark;
    for (const std::int32_t width : widths) {
        for (std::int32_t i = 0; i < width && at + i < length; ++i)
            modules[static_cast<std::size_t>(at + i)] = dark;
        at += width;
        dark = !dark;
    }
    return modules;
}

EncodeResult DataBarSymbol(const Options& options, const std::vector<std::vector<bool>>& rows,
                           const std::vector<double>& heights, const std::vector<bool>& stretches,
                           std::string hri)
{
    // ISO/IEC 24724 needs no quiet zone beyond the guards' light modules;
    // the options' 10 modules on both sides are kept as for every linear
    // symbol.
    constexpr double kQuiet = 10.0;
    EncodeResult result;
    EncodedSymbol& symbol = result.symbol;
    symbol.kind = rows.size() > 1 ? SymbolKind::Stacked : SymbolKind::Linear;
    std::size_t length = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::vector<bool>& row = rows[r];
        length = std::max(length, row.size());
        symbol.rows.push_back({heights[r], stretches[r] ? heights[r] : 0.0});
        for (std::size_t x = 0; x < row.size();) {
            if (!row[x]) {
                ++x;
                continue;
            }
            const std::size_t start = x;
            while (x < row.size() && row[x])
                ++x;
            symbol.darks.push_back({{static_cast<double>(start), 0},
                                    {static_cast<double>(x - start), 0},
                                    static_cast<std::int32_t>(r),
                                    1});
        }
    }
    symbol.length = {static_cast<double>(length), 0};
    symbol.quiet = {kQuiet, kQuiet, 0.0, 0.0};
    // The layouts Start to Spread place the line; the EAN digit groups are
    // EAN/UPC's own.
    const std::int32_t align =
        options.textAlign <= TextAlign::Spread ? static_cast<std::int32_t>(options.textAlign) : 0;
    symbol.texts.push_back({std::move(hri), TextRole::Gs1Hri, {0.0, 0}, symbol.length, align});
    return result;
}

std::vector<bool> DataBarComplement(const std::vector<bool>& row, std::int32_t from, std::int32_t to,
                                    const std::vector<DataBarFinder>& finders)
{
    constexpr std::int32_t kFinderModules = 15;
    const auto size = static_cast<std::int32_t>(row.size());
    std::vector<bool> separator(row.size(), false);
    const auto at = [](std::int32_t i) { return static_cast<std::size_t>(i); };
    for (std::int32_t i = std::max(from, 0); i < std::min(to, size); ++i)
        separator[at(i)] = !row[at(i)];
    for (const DataBarFinder& finder : finders) {
        // Each light module that follows a light one in the finder's
        // reading direction takes the opposite of its neighbour.
        const std::int32_t step = finder.reversed ? -1 : 1;
        const std::int32_t first = finder.reversed ? finder.start + kFinderModules - 1 : finder.start;
        for (std::int32_t k = 0; k < kFinderModules; ++k) {
            const std::int32_t i = first + k * step;
            const std::int32_t before = i - step;
            if (i < from || i >= to || before < 0 || before >= size)
                continue;
            if (!row[at(i)] && !row[at(before)] && separator[at(before)])
                separator[at(i)] = false;
        }
    }
    return separator;
}

EncodeResult DataBarInvalid(std::string detail)
{
    return InvalidData(std::move(detail));
}

namespace {

// ISO/IEC 24724 Table 3: the outside characters (1 and 3), 16 modules.
constexpr std::array<DataBarGroup, 5> kOutside{{
    {0, 12, 4, 8, 1, 161, 1},
    {161, 10, 6, 6, 3, 80, 10},
    {961, 8, 8, 4, 5, 31, 34},
    {2015, 6, 10, 3, 6, 10, 70},
    {2715, 4, 12, 1, 8, 1, 126},
}};
// ISO/IEC 24724 Table 4: the inside characters (2 and 4), 15 modules.
constexpr std::array<DataBarGroup, 4> kInside{{
    {0, 5, 10, 2, 7, 4, 84},
    {336, 7, 8, 4, 5, 20, 35},
    {1036, 9, 6, 6, 3, 48, 10},
    {1516, 11, 4, 8, 1, 81, 1},
}};
// ISO/IEC 24724 Table 6: the nine finder patterns, 15 modules each, light first.
constexpr std::array<std::array<std::int32_t, 5>, 9> kFinders{{
    {3, 8, 2, 1, 1},
    {3, 5, 5, 1, 1},
    {3, 3, 7, 1, 1},
    {3, 1, 9, 1, 1},
    {2, 7, 4, 1, 1},
    {2, 5, 6, 1, 1},
    {2, 3, 8, 1, 1},
    {1, 5, 7, 1, 1},
    {1, 3, 9, 1, 1},
}};

constexpr std::int64_t kLeftPairs = 4537077; // outside x inside values: 2841 x 1597
constexpr std::int32_t kInsideValues = 1597;
constexpr std::int32_t kChecksumModulus = 79;

using Widths8 = std::array<std::int32_t, 8>;

// The 8 element widths of one data character, odd and even interleaved.
Widths8 CharacterWidths(std::int32_t value, bool outside)
{
    const auto& groups =
        outside ? std::span<const DataBarGroup>(kOutside) : std::span<const DataBarGroup>(kInside);
    std::size_t g = groups.size() - 1;
    while (groups[g].first > value)
        --g;
    const DataBarGroup& group = groups[g];
    const std::int32_t v = value - group.first;
    // Outside characters number the even widths fastest, inside ones the odd.
    const std::int32_t odd = outside ? v / group.evenCount : v % group.oddCount;
    const std::int32_t even = outside ? v % group.evenCount : v / group.oddCount;
    const std::vector<std::int32_t> oddWidths =
        DataBarWidths(odd, group.oddModules, 4, group.oddWidest, outside);
    const std::vector<std::int32_t> evenWidths =
        DataBarWidths(even, group.evenModules, 4, group.evenWidest, !outside);
    Widths8 widths{};
    for (std::size_t j = 0; j < 4; ++j) {
        widths[2 * j] = oddWidths[j];
        widths[2 * j + 1] = evenWidths[j];
    }
    return widths;
}

Widths8 Reversed(Widths8 widths)
{
    std::reverse(widths.begin(), widths.end());
    return widths;
}

// The 14-digit GTIN of the data, or why there is none.
std::string ReadGtin(const Options& options, std::string_view data, std::string& gtin)
{
    if (std::string problem = DigitProblem(data, 13, 14, "GS1 DataBar takes 13 or 14 digits");
        !problem.empty())
        return problem;
    if (data.size() == 14 && options.gs1Check)
        if (std::string wrong = Gs1CheckTypedDigit("01", data); !wrong.empty())
            return wrong;
    // A typed 14th digit is replaced by the computed one, as for EAN-14.
    gtin = std::string(data.substr(0, 13));
    gtin += static_cast<char>('0' + Gs1CheckDigit(gtin));
    return {};
}

// The 46 elements of the linear symbol (ISO/IEC 24724 5.2): guard, data
// character 1, left finder, character 2 right to left, character 4, right
// finder right to left, character 3 right to left, guard; light first.
std::vector<std::int32_t> Elements(const std::string& gtin)
{
    std::int64_t value = 0;
    for (std::size_t i = 0; i < 13; ++i)
        value = value * 10 + (gtin[i] - '0');
    const std::int64_t left = value / kLeftPairs;
    const std::int64_t right = value % kLeftPairs;
    const std::array<std::int32_t, 4> values{
        static_cast<std::int32_t>(left / kInsideValues), static_cast<std::int32_t>(left % kInsideValues),
        static_cast<std::int32_t>(right / kInsideValues), static_cast<std::int32_t>(right % kInsideValues)};
    std::array<Widths8, 4> characters{};
    std::int32_t checksum = 0;
    std::int32_t weight = 1; // 3^k mod 79, k counting the elements of characters 1 to 4 in order
    for (std::size_t c = 0; c < 4; ++c) {
        characters[c] = CharacterWidths(values[c], c % 2 == 0);
        for (const std::int32_t width : characters[c]) {
            checksum = (checksum + width * weight) % kChecksumModulus;
            weight = weight * 3 % kChecksumModulus;
        }
    }
    // 5.2.4: the values 8 and 72 are skipped, leaving 9 x 9 finder pairs.
    if (checksum >= 8)
        ++checksum;
    if (checksum >= 72)
        ++checksum;
    const auto& leftFinder = kFinders[static_cast<std::size_t>(checksum / 9)];
    std::array<std::int32_t, 5> rightFinder = kFinders[static_cast<std::size_t>(checksum % 9)];
    std::reverse(rightFinder.begin(), rightFinder.end());

    std::vector<std::int32_t> elements = {1, 1};
    const auto append = [&](const auto& widths) {
        elements.insert(elements.end(), widths.begin(), widths.end());
    };
    append(characters[0]);
    append(leftFinder);
    append(Reversed(characters[1]));
    append(characters[3]);
    append(rightFinder);
    append(Reversed(characters[2]));
    elements.insert(elements.end(), {1, 1});
    return elements;
}

constexpr std::size_t kTopElements = 23; // guard, character 1, left finder, character 2
constexpr std::int32_t kLinearModules = 96;
constexpr std::int32_t kStackedModules = 50;
// Where the finders of the two rows start: after guard and character 1, and
// after guard and character 4.
constexpr std::int32_t kTopFinder = 18;
constexpr std::int32_t kBottomFinder = 17;

// The linear forms: one row of 96 modules, `height` modules high.
EncodeResult Linear(const Options& options, std::string_view data, double height)
{
    std::string gtin;
    if (std::string problem = ReadGtin(options, data, gtin); !problem.empty())
        return DataBarInvalid(std::move(problem));
    const DataBarRow row{Elements(gtin), false, 0};
    return DataBarSymbol(options, {row.Modules(kLinearModules)}, {height}, {true}, "(01)" + gtin);
}

// The two rows of the stacked forms (5.3): the left half with a guard after
// it, light first; a guard, then the right half, dark first.
std::pair<std::vector<bool>, std::vector<bool>> StackedRows(const std::string& gtin)
{
    const std::vector<std::int32_t> elements = Elements(gtin);
    DataBarRow top{{elements.begin(), elements.begin() + kTopElements}, false, 0};
    top.widths.insert(top.widths.end(), {1, 1});
    DataBarRow bottom{{1, 1}, true, 0};
    bottom.widths.insert(bottom.widths.end(), elements.begin() + kTopElements, elements.end());
    return {top.Modules(kStackedModules), bottom.Modules(kStackedModules)};
}

// 4 light modules at both ends of every separator row.
constexpr std::int32_t kSeparatorEdge = 4;

} // namespace

EncodeResult EncodeDataBar(const Options& options, std::string_view data)
{
    return Linear(options, data, 33.0); // 5.2.3: at least 33 modules high
}

EncodeResult EncodeDataBarTruncated(const Options& options, std::string_view data)
{
    return Linear(options, data, 13.0); // 5.2.3: at least 13 modules high
}

EncodeResult EncodeDataBarStacked(const Options& options, std::string_view data)
{
    std::string gtin;
    if (std::string problem = ReadGtin(options, data, gtin); !problem.empty())
        return DataBarInvalid(std::move(problem));
    const auto [top, bottom] = StackedRows(gtin);
    // 5.3.2: one separator row: dark where the modules above and below are
    // both light, light where both are dark, and alternating where they
    // differ; its 4 modules at either end light.
    std::vector<bool> separator(top.size(), false);
    for (std::size_t i = kSeparatorEdge; i + kSeparatorEdge < top.size(); ++i) {
        if (top[i] == bottom[i])
            separator[i] = !top[i];
        else
            separator[i] = !separator[i - 1];
    }
    // 5.3.2: rows of 5 and 7 modules around a 1-module separator.
    return DataBarSymbol(options, {top, separator, bottom}, {5.0, 1.0, 7.0}, {true, false, true},
                         "(01)" + gtin);
}

EncodeResult EncodeDataBarStackedOmni(const Options& options, std::string_view data)
{
    std::string gtin;
    if (std::string problem = ReadGtin(options, data, gtin); !problem.empty())
        return DataBarInvalid(std::move(problem));
    const auto [top, bottom] = StackedRows(gtin);
    // 5.3.3: three separator rows: the complement of the row above, a row of
    // alternating modules, the complement of the row below; 4 light modules
    // at either end.
    const std::int32_t end = kStackedModules - kSeparatorEdge;
    const std::vector<bool> under = DataBarComplement(top, kSeparatorEdge, end, {{kTopFinder, false}});
    const std::vector<bool> over = DataBarComplement(bottom, kSeparatorEdge, end, {{kBottomFinder, true}});
    std::vector<bool> middle(top.size(), false);
    for (std::int32_t i = kSeparatorEdge + 1; i < end; i += 2)
        middle[static_cast<std::size_t>(i)] = true;
    // 5.3.3: rows of at least 33 modules each.
    return DataBarSymbol(options, {top, under, middle, over, bottom}, {33.0, 1.0, 1.0, 1.0, 33.0},
                         {true, false, false, false, true}, "(01)" + gtin);
}

} // namespace kavren::detail
