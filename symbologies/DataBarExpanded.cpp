// GS1 DataBar Expanded and Expanded Stacked after ISO/IEC 24724:2011: the
// element strings as a bit stream (an encodation method, then the
// general-purpose field), cut into 12-bit symbol characters of 17 modules,
// paired around finder patterns, with a weighted check character first.
#include "symbologies/DataBar.h"

#include "symbologies/Digits.h"
#include "symbologies/Gs1Input.h"
#include "symbologies/Gs1Syntax.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <utility>

namespace kavren::detail {

namespace {

// FNC1 as the element strings carry it between fields of variable length.
constexpr char kFnc1 = '\x1d';

constexpr std::size_t kCharacterBits = 12;
constexpr std::size_t kMinimumBits = 36;  // 7.2.5: at least 3 data characters
constexpr std::size_t kMaximumBits = 252; // 21 data characters (22 symbol characters)
constexpr std::int32_t kChecksumModulus = 211;
constexpr std::int32_t kCharacterModules = 17;
constexpr std::int32_t kFinderModules = 15;

// ISO/IEC 24724 Table 14: the data character set, 17 modules, 4 odd and 4
// even elements.
constexpr std::array<DataBarGroup, 5> kGroups{{
    {0, 12, 5, 7, 2, 87, 4},
    {348, 10, 7, 5, 4, 52, 20},
    {1388, 8, 9, 4, 5, 30, 52},
    {2948, 6, 11, 3, 6, 10, 104},
    {3988, 4, 13, 1, 8, 1, 204},
}};

// ISO/IEC 24724 Table 15: the finder patterns A to F, light first when read
// left to right.
constexpr std::array<std::array<std::int32_t, 5>, 6> kFinders{{
    {1, 8, 4, 1, 1},
    {3, 6, 4, 1, 1},
    {3, 4, 6, 1, 1},
    {3, 2, 8, 1, 1},
    {2, 6, 5, 1, 1},
    {2, 2, 9, 1, 1},
}};

// ISO/IEC 24724 Table 16: the finder sequence of a symbol of 2 to 11
// finders, each finder as 2 x letter + (1 when read right to left): A1 is 0,
// A2 1, B1 2, ...
constexpr std::array<std::array<std::int8_t, 11>, 10> kSequences{{
    {0, 1},
    {0, 3, 2},
    {0, 5, 2, 7},
    {0, 9, 2, 7, 4},
    {0, 9, 2, 7, 6, 11},
    {0, 9, 2, 7, 8, 11, 10},
    {0, 1, 2, 3, 4, 5, 6, 7},
    {0, 1, 2, 3, 4, 5, 6, 9, 8},
    {0, 1, 2, 3, 4, 5, 6, 9, 10, 11},
    {0, 1, 2, 3, 4, 7, 6, 9, 8, 11, 10},
}};

// ---- The bit stream ----

void AddBits(std::string& bits, std::uint32_t value, std::size_t count)
{
    for (std::size_t i = count; i-- > 0;)
        bits += (value >> i) & 1U ? '1' : '0';
}

std::uint32_t Number(std::string_view digits)
{
    std::uint32_t value = 0;
    for (const char c : digits)
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    return value;
}

// The 12 GTIN digits after its first as four 10-bit groups of three.
void AddGtinGroups(std::string& bits, std::string_view gtin)
{
    for (std::size_t i = 1; i < 13; i += 3)
        AddBits(bits, Number(gtin.substr(i, 3)), 10);
}

// A character's code in the alphanumeric or ISO/IEC 646 field (7.2.5.5,
// Tables 9 and 10) and its bit count; 0 bits when that field has none.
struct Code {
    std::uint32_t value = 0;
    std::size_t bits = 0;
};

constexpr std::string_view kAlphaPunctuation = "*,-./";                // 58..62, 6 bits
constexpr std::string_view kIsoPunctuation = "!\"%&'()*+,-./:;<=>?_ "; // 232..252, 8 bits

Code AlphaCode(char c)
{
    if (IsDigit(c))
        return {static_cast<std::uint32_t>(c - '0' + 5), 5};
    if (c == kFnc1)
        return {15, 5};
    if (c >= 'A' && c <= 'Z')
        return {static_cast<std::uint32_t>(c - 'A' + 32), 6};
    if (const std::size_t at = kAlphaPunctuation.find(c); at != std::string_view::npos)
        return {static_cast<std::uint32_t>(58 + at), 6};
    return {};
}

Code IsoCode(char c)
{
    if (IsDigit(c) || c == kFnc1)
        return AlphaCode(c);
    if (c >= 'A' && c <= 'Z')
        return {static_cast<std::uint32_t>(c - 'A' + 64), 7};
    if (c >= 'a' && c <= 'z')
        return {static_cast<std::uint32_t>(c - 'a' + 90), 7};
    if (const std::size_t at = kIsoPunctuation.find(c); at != std::string_view::npos)
        return {static_cast<std::uint32_t>(232 + at), 8};
    return {};
}

bool IsNumeric(char c)
{
    return IsDigit(c) || c == kFnc1;
}

// Whether the `count` characters from `at` are all digits (or FNC1).
bool NumericRun(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size())
        return false;
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at),
                       text.begin() + static_cast<std::ptrdiff_t>(at + count), IsNumeric);
}

enum class Mode { Numeric, Alpha, Iso };

// Bits left to the end of the last data character at `used` bits: at least
// 3 data characters (7.2.5.6), and in a stacked symbol of `segments`
// characters per row no last row of one character (a pad character more).
std::size_t BitsLeft(std::size_t used, std::int32_t segments)
{
    std::size_t total = std::max(kMinimumBits, (used + kCharacterBits - 1) / kCharacterBits * kCharacterBits);
    const std::size_t characters = total / kCharacterBits + 1;
    const auto perRow = static_cast<std::size_t>(segments);
    if (segments > 0 && characters > perRow && characters % perRow == 1)
        total += kCharacterBits;
    return total - used;
}

// The general-purpose field (7.2.5.5): numeric, alphanumeric and ISO/IEC
// 646 modes, starting numeric, in a symbol of `segments` characters per row
// (0: one row). Returns the mode at the end.
Mode AddGeneral(std::string& bits, std::string_view text, std::int32_t segments)
{
    Mode mode = Mode::Numeric;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        switch (mode) {
        case Mode::Numeric:
            if (NumericRun(text, i, 2) && !(c == kFnc1 && text[i + 1] == kFnc1)) {
                // Two digits (FNC1 as 10) in 7 bits: 11 x d1 + d2 + 8.
                const auto value = [](char d) {
                    return d == kFnc1 ? 10U : static_cast<std::uint32_t>(d - '0');
                };
                AddBits(bits, 11 * value(c) + value(text[i + 1]) + 8, 7);
                i += 2;
            } else if (i + 1 == text.size() && IsDigit(c)) {
                // A last single digit: in 4 bits when 4 to 6 bits are left,
                // else with FNC1 as its pair.
                const std::size_t left = BitsLeft(bits.size(), segments);
                if (left >= 4 && left < 7)
                    AddBits(bits, static_cast<std::uint32_t>(c - '0' + 1), 4);
                else
                    AddBits(bits, 11 * static_cast<std::uint32_t>(c - '0') + 10 + 8, 7);
                ++i;
            } else {
                AddBits(bits, 0, 4); // latch to alphanumeric
                mode = Mode::Alpha;
            }
            break;
        case Mode::Alpha:
            if (c == kFnc1) {
                AddBits(bits, 15, 5); // FNC1, and back to numeric
                mode = Mode::Numeric;
                ++i;
            } else if (NumericRun(text, i, 6) ||
                       (i + 4 <= text.size() && NumericRun(text, i, text.size() - i))) {
                AddBits(bits, 0, 3); // latch to numeric
                mode = Mode::Numeric;
            } else if (const Code code = AlphaCode(c); code.bits > 0) {
                AddBits(bits, code.value, code.bits);
                ++i;
            } else {
                AddBits(bits, 4, 5); // latch to ISO/IEC 646
                mode = Mode::Iso;
            }
            break;
        case Mode::Iso: {
            const auto alphaAhead = [&] {
                if (i + 5 > text.size())
                    return false;
                for (std::size_t k = i; k < i + 5; ++k)
                    if (AlphaCode(text[k]).bits == 0)
                        return false;
                return true;
            };
            if (c == kFnc1) {
                AddBits(bits, 15, 5);
                mode = Mode::Numeric;
                ++i;
            } else if (NumericRun(text, i, 4)) {
                AddBits(bits, 0, 3);
                mode = Mode::Numeric;
            } else if (alphaAhead()) {
                AddBits(bits, 4, 5); // latch to alphanumeric
                mode = Mode::Alpha;
            } else {
                const Code code = IsoCode(c);
                AddBits(bits, code.value, code.bits);
                ++i;
            }
            break;
        }
        }
    }
    return mode;
}

// The elements from `first` on as the general-purpose field reads them.
std::string Rest(const std::vector<Gs1Element>& elements, std::size_t first)
{
    return Gs1ElementString({elements.begin() + static_cast<std::ptrdiff_t>(first), elements.end()}, kFnc1);
}

bool Is(const Gs1Element& element, std::string_view first, std::string_view last)
{
    return element.ai.size() == first.size() && element.ai >= first && element.ai <= last;
}

// A GS1 date YYMMDD as the 16-bit field of 7.2.5.4.4: YY x 384 + (MM - 1)
// x 32 + DD; none when the month is out of range.
std::optional<std::uint32_t> DateField(std::string_view date)
{
    if (date.size() != 6 || !IsDigitText(date))
        return std::nullopt;
    const std::uint32_t month = Number(date.substr(2, 2));
    const std::uint32_t day = Number(date.substr(4, 2));
    if (month < 1 || month > 12 || day > 31)
        return std::nullopt;
    return Number(date.substr(0, 2)) * 384 + (month - 1) * 32 + day;
}

// The encodation method and the fields it fixes (7.2.5.4), chosen in the
// standard's order: the first whose conditions the data meets. Appends the
// method's bits after the linkage flag; `general` is what the
// general-purpose field then carries; `variable` whether the method has the
// 2-bit variable length field, placed at `variableAt`.
struct Method {
    std::string general;
    bool variable = true;
    std::size_t variableAt = 0;
};

Method ChooseMethod(const std::vector<Gs1Element>& elements, std::string& bits)
{
    Method method;
    const std::size_t count = elements.size();
    const bool gtin = count > 0 && elements[0].ai == "01" && elements[0].value.size() == 14 &&
                      IsDigitText(elements[0].value);
    // The compressed methods carry (01) of indicator digit 9 with 12 digits.
    const bool variableMeasure = gtin && elements[0].value[0] == '9' && count > 1;
    const std::string_view id = gtin ? std::string_view(elements[0].value) : std::string_view();
    if (variableMeasure) {
        const Gs1Element& second = elements[1];
        const bool weight = second.value.size() == 6 && IsDigitText(second.value);
        const std::uint32_t value = weight ? Number(second.value) : 0;
        if (count == 2 && weight && second.ai == "3103" && value <= 32767) {
            bits += "0100";
            AddGtinGroups(bits, id);
            AddBits(bits, value, 15);
            method.variable = false;
            return method;
        }
        if (count == 2 && weight &&
            ((second.ai == "3202" && value <= 9999) || (second.ai == "3203" && value <= 22767))) {
            bits += "0101";
            AddGtinGroups(bits, id);
            AddBits(bits, second.ai == "3203" ? value + 10000 : value, 15);
            method.variable = false;
            return method;
        }
        const bool measure =
            weight && value <= 99999 && (Is(second, "3100", "3109") || Is(second, "3200", "3209"));
        constexpr std::array<std::string_view, 4> kDates = {"11", "13", "15", "17"};
        const auto* date =
            count == 3 ? std::find(kDates.begin(), kDates.end(), elements[2].ai) : kDates.end();
        const std::optional<std::uint32_t> dateField =
            date != kDates.end() ? DateField(elements[2].value) : std::optional<std::uint32_t>(38400);
        if (measure && (count == 2 || date != kDates.end()) && dateField) {
            // 0111 then the date AI's place and whether the weight is (320x).
            const auto dateIndex =
                static_cast<std::uint32_t>(date != kDates.end() ? date - kDates.begin() : 0);
            bits += "0111";
            AddBits(bits, dateIndex * 2 + (second.ai[1] == '2' ? 1U : 0U), 3);
            AddGtinGroups(bits, id);
            AddBits(bits, static_cast<std::uint32_t>(second.ai[3] - '0') * 100000 + value, 20);
            AddBits(bits, *dateField, 16);
            method.variable = false;
            return method;
        }
        const bool price = second.value.size() <= 15 && IsDigitText(second.value);
        if (Is(second, "3920", "3923") && price) {
            bits += "01100";
            method.variableAt = bits.size();
            bits += "00";
            AddGtinGroups(bits, id);
            AddBits(bits, static_cast<std::uint32_t>(second.ai[3] - '0'), 2);
            method.general = second.value + (count > 2 ? kFnc1 + Rest(elements, 2) : "");
            return method;
        }
        const bool currencyPrice =
            second.value.size() > 3 && second.value.size() <= 18 && IsDigitText(second.value);
        if (Is(second, "3930", "3933") && currencyPrice) {
            bits += "01101";
            method.variableAt = bits.size();
            bits += "00";
            AddGtinGroups(bits, id);
            AddBits(bits, static_cast<std::uint32_t>(second.ai[3] - '0'), 2);
            AddBits(bits, Number(second.value.substr(0, 3)), 10);
            method.general = second.value.substr(3) + (count > 2 ? kFnc1 + Rest(elements, 2) : "");
            return method;
        }
    }
    if (gtin) {
        bits += "1";
        method.variableAt = bits.size();
        bits += "00";
        AddBits(bits, static_cast<std::uint32_t>(id[0] - '0'), 4);
        AddGtinGroups(bits, id);
        method.general = Rest(elements, 1);
        return method;
    }
    bits += "00";
    method.variableAt = bits.size();
    bits += "00";
    method.general = Rest(elements, 0);
    return method;
}

// The data characters' bits, padded (7.2.5.6): after the data an
// alphanumeric latch when it ended numeric, then 00100 repeated; at least
// 36 bits, and in a stacked symbol of `segments` characters per row no last
// row of one character.
struct Stream {
    std::string bits;
    std::string detail; // why the data does not fit
};

Stream BitStream(const std::vector<Gs1Element>& elements, std::int32_t segments)
{
    Stream stream;
    std::string& bits = stream.bits;
    bits.push_back('0'); // linkage flag: no composite component
    const Method method = ChooseMethod(elements, bits);
    const Mode mode = AddGeneral(bits, method.general, segments);
    if (bits.size() > kMaximumBits) {
        stream.detail = "the data needs " + std::to_string(bits.size()) +
                        " bits; GS1 DataBar Expanded holds 252 (21 characters: 74 digits or 41 letters)";
        return stream;
    }
    const std::size_t total = bits.size() + BitsLeft(bits.size(), segments);
    std::string pad = mode == Mode::Numeric ? "0000" : "";
    while (pad.size() < total - bits.size())
        pad += "00100";
    bits += pad.substr(0, total - bits.size());
    if (method.variable) {
        // 7.2.5.3: an odd number of symbol characters, and more than 14.
        const std::size_t characters = total / kCharacterBits + 1;
        bits[method.variableAt] = characters % 2 == 1 ? '1' : '0';
        bits[method.variableAt + 1] = characters > 14 ? '1' : '0';
    }
    return stream;
}

// ---- The symbol characters ----

using Widths8 = std::array<std::int32_t, 8>;

Widths8 CharacterWidths(std::int32_t value)
{
    std::size_t g = kGroups.size() - 1;
    while (kGroups[g].first > value)
        --g;
    const DataBarGroup& group = kGroups[g];
    const std::int32_t v = value - group.first;
    const std::vector<std::int32_t> odd =
        DataBarWidths(v / group.evenCount, group.oddModules, 4, group.oddWidest, false);
    const std::vector<std::int32_t> even =
        DataBarWidths(v % group.evenCount, group.evenModules, 4, group.evenWidest, true);
    Widths8 widths{};
    for (std::size_t j = 0; j < 4; ++j) {
        widths[2 * j] = odd[j];
        widths[2 * j + 1] = even[j];
    }
    return widths;
}

// The symbol: its characters' widths (the check character first) and the
// finder of each pair.
struct Characters {
    std::vector<Widths8> widths;
    std::vector<std::int8_t> finders;
};

Characters SymbolCharacters(const std::string& bits)
{
    Characters symbol;
    const std::size_t data = bits.size() / kCharacterBits;
    const std::size_t count = data + 1;
    const auto& sequence = kSequences[(count + 1) / 2 - 2];
    symbol.finders.assign(sequence.begin(), sequence.begin() + static_cast<std::ptrdiff_t>((count + 1) / 2));
    symbol.widths.resize(count);
    std::int32_t checksum = 0;
    for (std::size_t k = 1; k < count; ++k) {
        std::int32_t value = 0;
        for (std::size_t b = (k - 1) * kCharacterBits; b < k * kCharacterBits; ++b)
            value = value * 2 + (bits[b] == '1' ? 1 : 0);
        symbol.widths[k] = CharacterWidths(value);
        // 7.2.6: the weights 3^j mod 211 of a character's row, the row by
        // the finder it stands beside and the side: A1 right 0, A2 left 1,
        // A2 right 2, B1 left 3, ...
        const std::int32_t finder = symbol.finders[k / 2];
        const std::int32_t row = 2 * finder + static_cast<std::int32_t>(k % 2) - 1;
        std::int32_t weight = 1;
        for (std::int32_t j = 0; j < 8 * row; ++j)
            weight = weight * 3 % kChecksumModulus;
        for (const std::int32_t width : symbol.widths[k]) {
            checksum = (checksum + width * weight) % kChecksumModulus;
            weight = weight * 3 % kChecksumModulus;
        }
    }
    symbol.widths[0] = CharacterWidths(kChecksumModulus * (static_cast<std::int32_t>(count) - 4) + checksum);
    return symbol;
}

// One row of characters [first, last): guard, then per pair the left
// character, its finder and the right character read right to left, guard.
// The finders' positions come with it, in modules from the row's start.
struct ElementRow {
    std::vector<std::int32_t> widths;
    bool firstDark = false;
    std::vector<DataBarFinder> finders;
};

ElementRow Elements(const Characters& symbol, std::size_t first, std::size_t last)
{
    ElementRow row;
    row.widths = {1, 1};
    std::int32_t at = 2;
    for (std::size_t k = first; k < last; ++k) {
        Widths8 widths = symbol.widths[k];
        if (k % 2 == 1) {
            std::reverse(widths.begin(), widths.end());
            row.widths.insert(row.widths.end(), widths.begin(), widths.end());
            at += kCharacterModules;
            continue;
        }
        row.widths.insert(row.widths.end(), widths.begin(), widths.end());
        at += kCharacterModules;
        const std::int32_t finder = symbol.finders[k / 2];
        std::array<std::int32_t, 5> pattern = kFinders[static_cast<std::size_t>(finder / 2)];
        const bool reversed = finder % 2 == 1;
        if (reversed)
            std::reverse(pattern.begin(), pattern.end());
        row.widths.insert(row.widths.end(), pattern.begin(), pattern.end());
        row.finders.push_back({at, false});
        at += kFinderModules;
    }
    row.widths.insert(row.widths.end(), {1, 1});
    // A pair of an odd place starts with a bar: pairs are 21 elements.
    row.firstDark = (first / 2) % 2 == 1;
    return row;
}

std::int32_t Sum(const std::vector<std::int32_t>& widths)
{
    std::int32_t sum = 0;
    for (const std::int32_t w : widths)
        sum += w;
    return sum;
}

constexpr double kRowHeight = 34.0; // 7.3: at least 34 modules per row
constexpr std::int32_t kSeparatorEdge = 4;

struct Parsed {
    std::vector<Gs1Element> elements;
    std::string detail;
};

Parsed Parse(const Options& options, std::string_view data)
{
    Gs1Data gs1 = ParseGs1(data, options.gs1Check);
    if (!gs1)
        return {{}, std::move(gs1.detail)};
    for (const Gs1Element& element : gs1.elements)
        for (std::size_t i = 0; i < element.value.size(); ++i)
            if (element.value[i] == kFnc1 || IsoCode(element.value[i]).bits == 0)
                return {{},
                        "AI (" + element.ai + "): " + CharacterAt(element.value, i) +
                            " is not in the character set of GS1 DataBar Expanded"};
    // (01) carries its computed check digit: the compressed methods leave it
    // out, so a reader computes it.
    for (Gs1Element& element : gs1.elements)
        if (element.ai == "01" && element.value.size() == 14 && IsDigitText(element.value))
            element.value.back() = static_cast<char>('0' + Gs1CheckDigit(element.value.substr(0, 13)));
    return {std::move(gs1.elements), {}};
}

} // namespace

EncodeResult EncodeDataBarExpanded(const Options& options, std::string_view data)
{
    const Parsed parsed = Parse(options, data);
    if (!parsed.detail.empty())
        return DataBarInvalid(parsed.detail);
    const Stream stream = BitStream(parsed.elements, 0);
    if (!stream.detail.empty())
        return DataBarInvalid(stream.detail);
    const Characters symbol = SymbolCharacters(stream.bits);
    const ElementRow row = Elements(symbol, 0, symbol.widths.size());
    const DataBarRow modules{row.widths, row.firstDark, 0};
    return DataBarSymbol(options, {modules.Modules(Sum(row.widths))}, {kRowHeight}, {true},
                         Gs1Hri(parsed.elements));
}

EncodeResult EncodeDataBarExpandedStacked(const Options& options, std::string_view data)
{
    constexpr std::int32_t kDefaultSegments = 4;
    const std::int32_t segments = options.segments == 0 ? kDefaultSegments : options.segments;
    if (segments < 2 || segments > 22 || segments % 2 != 0) {
        EncodeResult result;
        result.status = Status::InvalidArgument;
        result.detail = "segments must be an even number from 2 to 22";
        return result;
    }
    const Parsed parsed = Parse(options, data);
    if (!parsed.detail.empty())
        return DataBarInvalid(parsed.detail);
    const Stream stream = BitStream(parsed.elements, segments);
    if (!stream.detail.empty())
        return DataBarInvalid(stream.detail);
    const Characters symbol = SymbolCharacters(stream.bits);
    const std::size_t count = symbol.widths.size();
    const auto perRow = static_cast<std::size_t>(segments);
    const std::size_t rowCount = (count + perRow - 1) / perRow;
    const bool evenPairs = (perRow / 2) % 2 == 0;

    std::vector<std::vector<bool>> rows;
    std::vector<double> heights;
    std::vector<bool> stretches;
    std::vector<bool> previous;
    std::vector<DataBarFinder> previousFinders;
    for (std::size_t r = 0; r < rowCount; ++r) {
        const std::size_t first = r * perRow;
        const std::size_t last = std::min(count, first + perRow);
        ElementRow row = Elements(symbol, first, last);
        const std::int32_t width = Sum(row.widths);
        // 7.3.2: with an even number of pairs per row, the even rows (the
        // second, fourth, ...) read right to left; a last such row of an
        // odd number of finders (which would not keep its colours read right
        // to left) reads left to right instead, one module further right.
        const bool evenRow = r % 2 == 1;
        const bool shortLast = r + 1 == rowCount && ((last - first + 1) / 2) % 2 == 1;
        std::int32_t offset = 0;
        if (evenRow && evenPairs && shortLast) {
            offset = 1;
        } else if (evenRow && evenPairs) {
            const bool lastDark = row.firstDark != (row.widths.size() % 2 == 0);
            std::reverse(row.widths.begin(), row.widths.end());
            row.firstDark = lastDark;
            for (DataBarFinder& finder : row.finders)
                finder = {width - finder.start - kFinderModules, true};
        }
        for (DataBarFinder& finder : row.finders)
            finder.start += offset;
        const std::vector<bool> modules =
            DataBarRow{row.widths, row.firstDark, offset}.Modules(width + offset);
        if (r > 0) {
            // 7.3.3: three separator rows: the complement of the row above,
            // alternating modules, the complement of the row below; 4 light
            // modules at either end.
            const auto above = static_cast<std::int32_t>(previous.size());
            rows.push_back(
                DataBarComplement(previous, kSeparatorEdge, above - kSeparatorEdge, previousFinders));
            std::vector<bool> middle(previous.size(), false);
            for (std::int32_t i = kSeparatorEdge + 1; i < above - kSeparatorEdge; i += 2)
                middle[static_cast<std::size_t>(i)] = true;
            rows.push_back(std::move(middle));
            rows.push_back(DataBarComplement(modules, kSeparatorEdge + offset,
                                             width + offset - kSeparatorEdge, row.finders));
            heights.insert(heights.end(), {1.0, 1.0, 1.0});
            stretches.insert(stretches.end(), {false, false, false});
        }
        rows.push_back(modules);
        heights.push_back(kRowHeight);
        stretches.push_back(true);
        previous = modules;
        previousFinders = row.finders;
    }
    return DataBarSymbol(options, rows, heights, stretches, Gs1Hri(parsed.elements));
}

} // namespace kavren::detail
