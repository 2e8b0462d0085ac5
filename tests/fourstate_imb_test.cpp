// USPS Intelligent Mail: the bars drawn into a PNG, read back by the tests'
// bar reader and decoded by USPS-B-3200's tables with a decoder of this file.
#include "symbologies/FourState.h"
#include "tests/support/FourStateReader.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <string>

namespace {

__extension__ typedef unsigned __int128 Wide;

using kavren::detail::EncodeImb;

// USPS-B-3200 bar to character table, as four columns over bars 1..65.
constexpr std::string_view kDescenderCharacters =
    "HBJFIACEGDFIJHDAGBHEGIJCFBHFEDIHGACFEJDABGICAEFJGHFCGDIFBJIHEACGD";
constexpr std::array<int, 65> kDescenderBits = {2, 10, 12, 5, 9,  1, 5, 4,  3,  9,  11, 5, 10, 1, 6,  3, 4,
                                                1, 10, 0,  2, 11, 8, 6, 1,  12, 3,  8,  6, 4,  4, 11, 0, 6,
                                                1, 9,  11, 5, 3,  7, 3, 10, 7,  11, 8,  2, 10, 3, 5,  8, 0,
                                                3, 12, 11, 8, 4,  5, 1, 3,  0,  7,  12, 9, 8,  10};
constexpr std::string_view kAscenderCharacters =
    "EACGDFBJIHBCAGEICJFDABDHEGIJCAFBJEDIGHBCEDJFHIDACBEAJBHACEGDHBJFI";
constexpr std::array<int, 65> kAscenderBits = {3,  0,  8, 11, 1,  12, 8,  11, 10, 6, 4,  12, 2, 7, 9, 6, 7,
                                               9,  2,  8, 4,  0,  12, 7,  10, 9,  0, 7,  10, 5, 7, 9, 6, 8,
                                               2,  12, 1, 4,  2,  0,  1,  5,  4,  6, 12, 1,  0, 9, 4, 7, 5,
                                               10, 2,  6, 9,  11, 2,  12, 6,  7,  5, 11, 0,  3, 2};

int Reversed13(int value)
{
    int reversed = 0;
    for (int bit = 0; bit < 13; ++bit) {
        reversed |= ((value >> bit) & 1) << (12 - bit);
    }
    return reversed;
}

// Character value -> codeword: the 5-of-13 table as codewords 0..1286, the
// 2-of-13 table after it; -1 for no character.
std::array<int, 8192> CodewordOfCharacter()
{
    std::array<int, 8192> codeword{};
    codeword.fill(-1);
    int base = 0;
    for (const int ones : {5, 2}) {
        std::vector<int> pairs;
        std::vector<int> palindromes;
        for (int value = 0; value < 8192; ++value) {
            if (std::popcount(static_cast<unsigned>(value)) != ones || Reversed13(value) < value) {
                continue;
            }
            if (Reversed13(value) == value) {
                palindromes.push_back(value);
            } else {
                pairs.push_back(value);
                pairs.push_back(Reversed13(value));
            }
        }
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            codeword[static_cast<std::size_t>(pairs[i])] = base + static_cast<int>(i);
        }
        const int size = static_cast<int>(pairs.size() + palindromes.size());
        for (std::size_t i = 0; i < palindromes.size(); ++i) {
            codeword[static_cast<std::size_t>(palindromes[i])] = base + size - 1 - static_cast<int>(i);
        }
        base += size;
    }
    return codeword;
}

// CRC-11 (generator 0xF35, preset 0x7FF) over the 102 data bits, most
// significant first.
int Crc11(Wide value)
{
    int fcs = 0x7FF;
    for (int bit = 101; bit >= 0; --bit) {
        const int in = static_cast<int>((value >> bit) & 1);
        const bool feedback = (((fcs >> 10) & 1) ^ in) != 0;
        fcs = ((fcs << 1) ^ (feedback ? 0xF35 : 0)) & 0x7FF; // 0xF35 holds the x^11 term
    }
    return fcs;
}

std::string Digits(Wide value, int count)
{
    std::string digits(static_cast<std::size_t>(count), '0');
    for (int i = count - 1; i >= 0; --i) {
        digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + static_cast<int>(value % 10));
        value /= 10;
    }
    return digits;
}

// Bar letters -> "TRACKING" or "TRACKING-ROUTING"; a message in brackets when
// the bars are no Intelligent Mail barcode.
std::string DecodeImb(const std::string& bars)
{
    if (bars.size() != 65) {
        return std::string("[").append(std::to_string(bars.size())).append(" bars]");
    }
    std::array<int, 10> characters{};
    for (std::size_t i = 0; i < 65; ++i) {
        if (bars[i] == 'F' || bars[i] == 'D') {
            characters[static_cast<std::size_t>(kDescenderCharacters[i] - 'A')] |= 1 << kDescenderBits[i];
        }
        if (bars[i] == 'F' || bars[i] == 'A') {
            characters[static_cast<std::size_t>(kAscenderCharacters[i] - 'A')] |= 1 << kAscenderBits[i];
        }
    }
    static const std::array<int, 8192> codewordOf = CodewordOfCharacter();
    int fcs = 0;
    std::array<int, 10> codewords{};
    for (std::size_t i = 0; i < 10; ++i) {
        const int ones = std::popcount(static_cast<unsigned>(characters[i]));
        if (ones == 8 || ones == 11) {
            fcs |= 1 << i;
            characters[i] ^= 0x1FFF;
        }
        codewords[i] = codewordOf[static_cast<std::size_t>(characters[i])];
        if (codewords[i] < 0) {
            return "[character " + std::to_string(i) + "]";
        }
    }
    if (codewords[0] >= 659) {
        fcs |= 0x400;
        codewords[0] -= 659;
    }
    if (codewords[9] % 2 != 0 || codewords[9] >= 1272) {
        return "[orientation]";
    }
    Wide value = static_cast<Wide>(codewords[0]);
    for (std::size_t i = 1; i < 9; ++i) {
        value = value * 1365 + static_cast<Wide>(codewords[i]);
    }
    value = value * 636 + static_cast<Wide>(codewords[9] / 2);
    if (Crc11(value) != fcs) {
        return "[crc]";
    }
    const std::string last18 = Digits(value, 18);
    value /= 1000000000000000000ULL;
    const char second = static_cast<char>('0' + static_cast<int>(value % 5));
    value /= 5;
    const char first = static_cast<char>('0' + static_cast<int>(value % 10));
    value /= 10;
    const std::string tracking = std::string{first, second} + last18;
    const auto routing = static_cast<std::uint64_t>(value);
    if (routing == 0) {
        return tracking;
    }
    if (routing <= 100000) {
        return tracking + "-" + Digits(routing - 1, 5);
    }
    if (routing <= 1000100000) {
        return tracking + "-" + Digits(routing - 100001, 9);
    }
    return tracking + "-" + Digits(routing - 1000100001, 11);
}

std::string Bars(const std::string& data)
{
    const kavren::detail::EncodeResult result = EncodeImb(kavren::Options{}, data);
    return result ? kt::BarsThroughPng(result.symbol) : "[" + result.detail + "]";
}

// USPS-B-3200's example encodings of one tracking code with each routing length.
struct Example {
    const char* data;
    const char* bars;
};
constexpr Example kExamples[] = {
    {"01234567094987654321", "ATTFATTDTTADTAATTDTDTATTDAFDDFADFDFTFFFFFTATFAAAATDFFTDAADFTFDTDT"},
    {"01234567094987654321-01234", "DTTAFADDTTFTDTFTFDTDDADADAFADFATDDFTAAAFDTTADFAAATDFDTDFADDDTDFFT"},
    {"01234567094987654321-012345678", "ADFTTAFDTTTTFATTADTAAATFTFTATDAAAFDDADATATDTDTTDFDTDATADADTDFFTFA"},
    {"01234567094987654321-01234567891", "AADTFFDFTDADTAADAATFDTDDAAADDTDTTDAFADADDDTFFFDDTTTADFAAADFTDAADA"},
};

TEST(ImbTest, SpecificationExamplesBarForBar)
{
    for (const Example& example : kExamples) {
        const std::string bars = Bars(example.data);
        EXPECT_EQ(bars, example.bars) << example.data;
        EXPECT_EQ(DecodeImb(bars), example.data);
    }
}

// The encodation's edges: each routing length at its smallest and largest
// value (the largest routing with the largest tracking code fills all 102
// bits), with and without the hyphen; the reading is the hyphenated form.
struct Boundary {
    const char* data;
    const char* read; // null: data
};
constexpr Boundary kBoundaries[] = {
    {"00000000000000000000", nullptr},
    {"94999999999999999999", nullptr},
    {"00000000000000000000-", "00000000000000000000"},
    {"00000000000000000000-00000", nullptr},
    {"00000000000000000000-99999", nullptr},
    {"00000000000000000000-000000000", nullptr},
    {"00000000000000000000-999999999", nullptr},
    {"00000000000000000000-00000000000", nullptr},
    {"94999999999999999999-99999999999", nullptr},
    {"0123456709498765432199999", "01234567094987654321-99999"},
    {"01234567094987654321000000000", "01234567094987654321-000000000"},
    {"9499999999999999999999999999999", "94999999999999999999-99999999999"},
    {"00700901234567890123", nullptr}, // a 9-digit mailer ID (first digit 9), a 6-digit serial
};

TEST(ImbTest, EncodationBoundariesReadBack)
{
    for (const Boundary& row : kBoundaries) {
        EXPECT_EQ(DecodeImb(Bars(row.data)), row.read != nullptr ? row.read : row.data) << row.data;
    }
}

constexpr const char* kInvalid[] = {
    "",
    "0123456709498765432",              // 19 digits
    "012345670949876543210",            // 21: no routing code of 1 digit
    "01234567094987654321-0123",        // 4-digit routing code
    "01234567094987654321-0123456789",  // 10-digit routing code
    "012345670949876543210123456789",   // 30 digits
    "01234567094987654321012345678912", // 32 digits
    "05234567094987654321",             // barcode identifier's second digit 5
    "0123456709498765432A",
    "0123456709-4987654321",
    "01234567094987654321-01234-5678",
    "01234567094987654321 01234",
};

TEST(ImbTest, InvalidDataIsRefused)
{
    for (const char* data : kInvalid) {
        const kavren::detail::EncodeResult result = EncodeImb(kavren::Options{}, data);
        EXPECT_EQ(result.status, kavren::Status::InvalidText) << data;
        EXPECT_FALSE(result.detail.empty()) << data;
    }
}

// At a module of 0.020 inch the symbol meets USPS-B-3200's dimensions.
TEST(ImbTest, GeometryInInchesMeetsTheStandard)
{
    const kavren::detail::EncodeResult result = EncodeImb(kavren::Options{}, kExamples[0].data);
    ASSERT_TRUE(result);
    const kavren::detail::EncodedSymbol& symbol = result.symbol;
    constexpr double kModule = 0.020;
    ASSERT_EQ(symbol.rows.size(), 3U);
    ASSERT_EQ(symbol.darks.size(), 65U);
    const double pitch = symbol.darks[1].start.modules * kModule;
    EXPECT_GE(1.0 / pitch, 20.0);
    EXPECT_LE(1.0 / pitch, 24.0);
    const double ascender = symbol.rows[0].height * kModule;
    const double tracker = symbol.rows[1].height * kModule;
    const double descender = symbol.rows[2].height * kModule;
    EXPECT_GE(tracker, 0.039);
    EXPECT_LE(tracker, 0.057);
    EXPECT_GE(ascender + tracker, 0.091);
    EXPECT_LE(descender + tracker, 0.131);
    EXPECT_GE(ascender + tracker + descender, 0.125);
    EXPECT_LE(ascender + tracker + descender, 0.165);
    const double length = symbol.length.modules * kModule;
    EXPECT_GE(length, 2.667); // 65 bars at 24 to 20 bars per inch
    EXPECT_LE(length, 3.225);
    EXPECT_DOUBLE_EQ(symbol.quiet.leading * kModule, 0.125);
    EXPECT_DOUBLE_EQ(symbol.quiet.top * kModule, 0.028);
    ASSERT_EQ(symbol.texts.size(), 1U);
    EXPECT_EQ(symbol.texts[0].text, kExamples[0].data);
}

} // namespace
