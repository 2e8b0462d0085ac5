// Code 93 and Code 93 Extended encoders: the C and K checks with their weight
// cycles, the termination bar, display texts and the full-ASCII shift pairs.
#include "symbologies/Code93.h"
#include "symbologies/Code93Ext.h"

#include "tests/alnum_support.h"

#include <gtest/gtest.h>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

using alnum::Encoded;
using alnum::Flags;
using alnum::Modules;

// AIM USS Code 93 characters as modules; the termination bar is one module.
const std::string START_STOP = "101011110", A = "110101000", U = "110010110";
const Flags Hidden{true, false};
// "A": start, A, C = A, K = U, stop, termination bar.
const std::string SYMBOL_A = START_STOP + A + A + U + START_STOP + "1";

// Class, data, flags, validity, display text, C, K, number of data values, modules where pinned.
struct Code93Case {
    bool extended; // CBarcodeSymCode93Ext
    const char* why;
    std::string data;
    Flags flags;
    bool valid;
    std::string display;
    int checkC;
    int checkK;
    std::size_t values;
    std::string modules;
};

const std::string Zeros20(20, '0'), Zeros14(14, '0');

// clang-format off
const Code93Case kCode93Cases[] = {
    {false, "worked example TEST93", "TEST93", {}, true, "TEST93+6", 41, 6, 6, ""},
    {false, "worked example CODE93", "CODE93", {}, true, "CODE93PV", 25, 31, 6, ""},
    {false, "checks hidden", "CODE93", Hidden, true, "CODE93", 25, 31, 6, ""},
    {false, "checks encoded without the calc flag", "CODE93", {false, true}, true, "CODE93PV", 25, 31, 6, ""},
    {false, "start/stop never shown", "CODE93", {true, true, true}, true, "CODE93PV", 25, 31, 6, ""},
    {false, "one character", "A", {}, true, "AAU", 10, 30, 1, SYMBOL_A},
    {false, "C weight 21 wraps to 1", "1" + Zeros20, {}, true, "1" + Zeros20 + "18", 1, 8, 21, ""},
    {false, "K weight 16 wraps to 1", "1" + Zeros14, {}, true, "1" + Zeros14 + "FG", 15, 16, 15, ""},
    {false, "$ / + % are data: 400, 586 mod 47", "$/+%", {}, true, "$/+%OM", 24, 22, 4, ""},
    {false, "no lower case", "test", {}, false, "", 0, 0, 0, ""},
    {false, "asterisk", "A*", {}, false, "", 0, 0, 0, ""},
    {false, "empty", "", {}, false, "", 0, 0, 0, ""},
    {false, "byte above 127", "\x80", {}, false, "", 0, 0, 0, ""},
    {true, "$ is one character", "$", {}, true, "$$N", 39, 23, 1, ""},
    {true, "! is (/)A", "!", {}, true, "!6K", 6, 20, 2, ""},
    {true, "CR is ($)M; K 46 shows as +", "~0D", {}, true, "<CR>E+", 14, 46, 2, ""},
    {true, "CR left out without conversion", "~0D", {true, true, false, false}, true, "E+", 14, 46, 2, ""},
    {true, "lower case as (+) pairs", "test", Hidden, true, "test", -1, -1, 8, ""},
    {true, "double tilde is (%)S", "~~", Hidden, true, "~", -1, -1, 2, ""},
    {true, "~80 dropped", "~80A", {}, true, "AAU", 10, 30, 1, SYMBOL_A},
    {true, "all escapes dropped: no data", "~80", {}, false, "", 0, 0, 0, ""},
    {true, "raw control character", "A\rB", {}, false, "", 0, 0, 0, ""},
    {true, "raw byte above 127", "A\xFF", {}, false, "", 0, 0, 0, ""},
};
// clang-format on

TEST(Code93Encode, Table)
{
    for (const auto& c : kCode93Cases) {
        SCOPED_TRACE(c.why);
        std::unique_ptr<CBarcodeSymCode93> sym;
        if (c.extended)
            sym = Encoded<CBarcodeSymCode93Ext>(c.data, c.flags);
        else
            sym = Encoded<CBarcodeSymCode93>(c.data, c.flags);
        ASSERT_EQ(sym->m_Valid, c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(sym->m_DisplayText, c.display);
        if (c.checkC >= 0) {
            EXPECT_EQ(sym->m_CheckC, c.checkC);
            EXPECT_EQ(sym->m_CheckK, c.checkK);
        }
        // 9 modules for each of start, data, C, K and stop, 1 for the termination bar.
        const std::string modules = Modules(sym->m_Pattern);
        EXPECT_EQ(modules.size(), 9 * (c.values + 4) + 1);
        EXPECT_EQ(modules.substr(0, 9), START_STOP);
        EXPECT_EQ(modules.substr(modules.size() - 10), START_STOP + "1");
        EXPECT_TRUE(c.modules.empty() || modules == c.modules) << modules;
    }
}

TEST(Code93ExtEncode, EveryRawByte)
{
    for (int b = 1; b < 256; ++b)
        EXPECT_EQ(Encoded<CBarcodeSymCode93Ext>(std::string(1, char(b)))->m_Valid, b >= 32 && b <= 127) << b;
}
TEST(Code93Encode, ArbitraryTexts)
{
    alnum::ExpectSoundForArbitraryTexts<CBarcodeSymCode93>("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%");
    alnum::ExpectSoundForArbitraryTexts<CBarcodeSymCode93Ext>("~~0123456789ABCDEFabcdef7*");
}

} // namespace
