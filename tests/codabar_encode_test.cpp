// Codabar encoder: user start/stop letters in either case, inner characters,
// gaps, and the text with and without the start/stop letters.
#include "symbologies/Codabar.h"

#include "tests/alnum_support.h"

#include <gtest/gtest.h>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

using alnum::Encoded;
using alnum::Flags;
using alnum::Modules;

// AIM USS Codabar characters as modules, a wide element 2 modules.
const std::string A = "1011001001", B = "1001001011", C = "1010010011";
const std::string ONE = "101011001", TWO = "101001011", THREE = "110010101";
const Flags StartStop{true, true, true};

// Data, flags, validity, display text, modules where pinned.
struct CodabarCase {
    const char* why;
    std::string data;
    Flags flags;
    bool valid;
    std::string display;
    std::string modules;
};

// clang-format off
const CodabarCase kCases[] = {
    {"A 1 2 3 B, letters hidden", "A123B", {}, true, "123", A + "0" + ONE + "0" + TWO + "0" + THREE + "0" + B},
    {"letters shown", "A123B", StartStop, true, "A123B", ""},
    {"lower-case letters encode in upper case", "a1c", {}, true, "1", A + "0" + ONE + "0" + C},
    {"lower-case letters shown as typed", "a40156c", StartStop, true, "a40156c", ""},
    {"every inner character", "D0123456789-$:/.+D", {}, true, "0123456789-$:/.+", ""},
    {"check flags have no effect", "A1B", {false, false}, true, "1", A + "0" + ONE + "0" + B},
    {"too short", "AB", {}, false, "", ""},
    {"no stop letter", "A1", {}, false, "", ""},
    {"no start letter", "1A1", {}, false, "", ""},
    {"start/stop letter inside", "A1B2C", {}, false, "", ""},
    {"lower-case letter inside", "A1b2C", {}, false, "", ""},
    {"E is no stop letter", "A12E", {}, false, "", ""},
    {"not a Codabar character", "A1X2B", {}, false, "", ""},
    {"empty", "", {}, false, "", ""},
};
// clang-format on

TEST(CodabarEncode, Table)
{
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.why);
        auto sym = Encoded<CBarcodeSymCodabar>(c.data, c.flags);
        ASSERT_EQ(sym->m_Valid, c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(sym->m_DisplayText, c.display);
        // Seven elements a character and a gap between neighbours.
        EXPECT_EQ(sym->m_Pattern.size(), c.data.size() * 8 - 1);
        const std::string modules = Modules(sym->m_Pattern);
        EXPECT_NE(modules, "not alternating");
        EXPECT_TRUE(c.modules.empty() || modules == c.modules) << modules;
    }
}

TEST(CodabarEncode, ArbitraryTexts)
{
    alnum::ExpectSoundForArbitraryTexts<CBarcodeSymCodabar>("AaBbCcDd0123456789-$:/.+");
}

} // namespace
