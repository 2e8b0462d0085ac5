// Code 93 and Code 93 Extended round trips: the program writes the PNG and two
// independent decoders must read it back in every look. Both decoders check and
// strip C and K, and both apply the full-ASCII shifts themselves.
#include "tests/alnum_support.h"

#include <gtest/gtest.h>

namespace {

std::string Escapes(int from, int to)
{
    std::string text;
    char escape[4];
    for (int b = from; b <= to; ++b) {
        std::snprintf(escape, sizeof escape, "~%02X", b);
        text += escape;
    }
    return text;
}

std::string Bytes(int from, int to)
{
    std::string bytes;
    for (int b = from; b <= to; ++b)
        bytes += static_cast<char>(b);
    return bytes;
}

struct ScanCase {
    const char* why;
    int type;
    std::string data;
    std::string read; // what both decoders report
};

const ScanCase kCases[] = {
    {"worked example TEST93 (C +, K 6)", 19, "TEST93", "TEST93"},
    {"all 43 characters", 19, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%",
     "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%"},
    {"extended: every printable byte, the tilde doubled", 20, Bytes(32, 125) + "~~", Bytes(32, 126)},
    {"extended: every control byte and DEL as escapes", 20, Escapes(0, 31) + "~7f", Bytes(0, 31) + "\x7F"},
    {"extended: K is a shift character", 20, "~0D", "\r"},
    {"extended: escape above 127 dropped", 20, "a~80b", "ab"},
};

TEST(Code93Scan, BothDecodersReadEveryLook)
{
    int n = 0;
    for (const auto& c : kCases) {
        for (const auto& look : alnum::Looks()) {
            SCOPED_TRACE(std::string(c.why) + " / " + look.why);
            const std::string path = alnum::Draw(c.type, c.data, look.options, "c93_" + std::to_string(++n));
            ASSERT_FALSE(path.empty());
            alnum::ExpectDecoders(path, look, c.read);
        }
    }
}

TEST(Code93Scan, InvalidTextWritesNoFile)
{
    for (const auto& [type, data] : {std::pair{19, "test"}, std::pair{19, "A*"}, std::pair{20, ""},
                                     std::pair{20, "A\rB"}, std::pair{20, "~FF"}}) {
        SCOPED_TRACE(data);
        const std::string path = kt::ScratchPath("c93_invalid.png");
        const kt::RunResult run = kt::RunKavren({"-t", std::to_string(type), "-d", data, path});
        EXPECT_EQ(run.status, 6);
        EXPECT_FALSE(kt::FileExists(path));
    }
}

} // namespace
