// Australia Post 4-state customer barcodes (Customer Barcoding Technical
// Specifications): start bars, the format control code and the 8-digit
// delivery point identifier in the N table, customer information in the N or
// C table, tracker bars to fill the field, four Reed-Solomon parity symbols
// of three bars each, stop bars.
#include "symbologies/FourState.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace kavren::detail {
namespace {

// Bar values 0..3 as Australia Post numbers the four bar states.
constexpr std::array<BarState, 4> kBarOfValue = {BarState::Full, BarState::Ascender, BarState::Descender,
                                                 BarState::Tracker};
constexpr std::uint8_t kTrackerValue = 3;

// N encoding table: digit d as two bars, values kNTable[d] / 4 and % 4.
constexpr std::array<std::uint8_t, 10> kNTable = {0x0, 0x1, 0x2, 0x4, 0x5, 0x6, 0x8, 0x9, 0xA, 0xC};

// C encoding table: the characters in the order of their three bars' values
// read as base-4 numbers 0 to 63 (A = 000, ..., space = 003, # = 013).
constexpr std::array<char, 64> kCTable = {
    'A', 'B', 'C', ' ', 'D', 'E', 'F', '#', 'G', 'H', 'I', 'a', 'b', 'c', 'd', 'e',
    'J', 'K', 'L', 'f', 'M', 'N', 'O', 'g', 'P', 'Q', 'R', 'h', 'i', 'j', 'k', 'l',
    'S', 'T', 'U', 'm', 'V', 'W', 'X', 'n', 'Y', 'Z', '0', 'o', 'p', 'q', 'r', 's',
    '1', '2', '3', 't', '4', '5', '6', 'u', '7', '8', '9', 'v', 'w', 'x', 'y', 'z',
};

// GF(64) with the primitive polynomial x^6 + x + 1.
struct GaloisField64 {
    std::array<std::uint8_t, 126> exp{};
    std::array<std::uint8_t, 64> log{};

    constexpr GaloisField64()
    {
        unsigned value = 1;
        for (std::size_t i = 0; i < 63; ++i) {
            exp[i] = static_cast<std::uint8_t>(value);
            exp[i + 63] = static_cast<std::uint8_t>(value);
            log[value] = static_cast<std::uint8_t>(i);
            value <<= 1;
            if ((value & 0x40U) != 0) {
                value ^= 0x43U;
            }
        }
    }

    constexpr std::uint8_t Multiply(std::uint8_t a, std::uint8_t b) const
    {
        return a == 0 || b == 0 ? 0 : exp[std::size_t{log[a]} + log[b]];
    }
};
constexpr GaloisField64 kField;

// The generator polynomial (x - a)(x - a^2)(x - a^3)(x - a^4), highest
// power first without its leading 1: x^4 + 30x^3 + 29x^2 + 17x + 48.
constexpr std::array<std::uint8_t, 4> kGenerator = {30, 29, 17, 48};

constexpr bool GeneratorHasRoots()
{
    for (std::size_t root = 1; root <= 4; ++root) {
        std::uint8_t value = 1;
        for (const std::uint8_t coefficient : kGenerator) {
            value = static_cast<std::uint8_t>(kField.Multiply(value, kField.exp[root]) ^ coefficient);
        }
        if (value != 0) {
            return false;
        }
    }
    return true;
}
static_assert(GeneratorHasRoots());

// The four parity symbols of the data symbols (the bars after the start bars
// in threes): the remainder of data(x) x^4 divided by the generator.
std::array<std::uint8_t, 4> Parity(const std::vector<std::uint8_t>& symbols)
{
    std::array<std::uint8_t, 4> parity{};
    for (const std::uint8_t symbol : symbols) {
        const std::uint8_t feedback = symbol ^ parity[0];
        for (std::size_t i = 0; i + 1 < parity.size(); ++i) {
            parity[i] = parity[i + 1] ^ kField.Multiply(feedback, kGenerator[i]);
        }
        parity[3] = kField.Multiply(feedback, kGenerator[3]);
    }
    return parity;
}

bool IsDigits(std::string_view text)
{
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

void AppendDigits(std::vector<std::uint8_t>& values, std::string_view digits)
{
    for (const char digit : digits) {
        const std::uint8_t pair = kNTable[static_cast<std::size_t>(digit - '0')];
        values.push_back(pair >> 2);
        values.push_back(pair & 3U);
    }
}

// False for a character outside the C table.
bool AppendCharacters(std::vector<std::uint8_t>& values, std::string_view text)
{
    for (const char c : text) {
        std::size_t index = 0;
        while (index < kCTable.size() && kCTable[index] != c) {
            ++index;
        }
        if (index == kCTable.size() || c == '\0') {
            return false;
        }
        values.push_back(static_cast<std::uint8_t>(index >> 4));
        values.push_back(static_cast<std::uint8_t>((index >> 2) & 3U));
        values.push_back(static_cast<std::uint8_t>(index & 3U));
    }
    return true;
}

// The format control code and the customer information's table for a length.
struct AusPostFormat {
    std::size_t length; // of the data: DPID and customer information
    const char* fcc;
    std::size_t dataBars; // between the start bars and the parity
    bool numericCustomer; // N table, else C table
};
// Standard Customer, Customer 2 (5 C or 8 N characters), Customer 3 (10 C or
// 15 N characters).
constexpr std::array<AusPostFormat, 5> kCustomerFormats = {{
    {8, "11", 21, true},
    {13, "59", 36, false},
    {16, "59", 36, true},
    {18, "62", 51, false},
    {23, "62", 51, true},
}};
constexpr std::size_t kDpidDigits = 8;

EncodeResult Encode(const Options& options, std::string_view data, const AusPostFormat& format)
{
    const std::string_view dpid = data.substr(0, kDpidDigits);
    const std::string_view customer = data.substr(kDpidDigits);
    if (!IsDigits(dpid)) {
        return FourStateInvalid("the DPID is 8 digits");
    }
    std::vector<std::uint8_t> values;
    AppendDigits(values, format.fcc);
    AppendDigits(values, dpid);
    if (format.numericCustomer) {
        if (!IsDigits(customer)) {
            return FourStateInvalid("customer information of 8 or 15 characters is digits");
        }
        AppendDigits(values, customer);
    } else if (!AppendCharacters(values, customer)) {
        return FourStateInvalid("customer information is letters, digits, space and #");
    }
    values.resize(format.dataBars, kTrackerValue);
    std::vector<std::uint8_t> symbols;
    for (std::size_t i = 0; i < values.size(); i += 3) {
        symbols.push_back(static_cast<std::uint8_t>(values[i] * 16 + values[i + 1] * 4 + values[i + 2]));
    }
    for (const std::uint8_t symbol : Parity(symbols)) {
        values.push_back(symbol >> 4);
        values.push_back((symbol >> 2) & 3U);
        values.push_back(symbol & 3U);
    }
    std::vector<BarState> bars{BarState::Ascender, BarState::Tracker}; // start bars 1, 3
    for (const std::uint8_t value : values) {
        bars.push_back(kBarOfValue[value]);
    }
    bars.push_back(BarState::Ascender); // stop bars 1, 3
    bars.push_back(BarState::Tracker);
    return FourStateResult(options, bars, kAusPostDimensions, std::string(data));
}

EncodeResult EncodeDpidOnly(const Options& options, std::string_view data, const char* fcc)
{
    if (data.size() != kDpidDigits) {
        return FourStateInvalid("the DPID is 8 digits");
    }
    return Encode(options, data, {kDpidDigits, fcc, 21, true});
}

} // namespace

EncodeResult EncodeAusPost(const Options& options, std::string_view data)
{
    for (const AusPostFormat& format : kCustomerFormats) {
        if (format.length == data.size()) {
            return Encode(options, data, format);
        }
    }
    return FourStateInvalid("8 digits, or 13, 16, 18 or 23 characters with customer information");
}

EncodeResult EncodeAusPostReply(const Options& options, std::string_view data)
{
    return EncodeDpidOnly(options, data, "45");
}

EncodeResult EncodeAusPostRouting(const Options& options, std::string_view data)
{
    return EncodeDpidOnly(options, data, "87");
}

EncodeResult EncodeAusPostRedirect(const Options& options, std::string_view data)
{
    return EncodeDpidOnly(options, data, "92");
}

} // namespace kavren::detail
