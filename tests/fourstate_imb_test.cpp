// USPS Intelligent Mail: the bars drawn into a PNG, read back by the tests'
// bar reader and decoded by USPS-B-3200's tables with the reader's decoder.
#include "symbologies/FourState.h"
#include "tests/support/FourStateReader.h"

#include <gtest/gtest.h>

#include <string>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

using kavren::detail::EncodeImb;
using kt::DecodeImb;

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
    // No text under the bars but when asked for, as USPS prints none.
    EXPECT_TRUE(symbol.texts.empty());
    kavren::Options hri;
    hri.hri = true;
    const kavren::detail::EncodeResult withText = EncodeImb(hri, kExamples[0].data);
    ASSERT_EQ(withText.symbol.texts.size(), 1U);
    EXPECT_EQ(withText.symbol.texts[0].text, kExamples[0].data);
}

} // namespace
