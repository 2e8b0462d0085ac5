// Codabar round trips: the program writes the PNG and two independent decoders
// must read it back in every look. zbarimg reports the start and stop letters
// (in upper case), ZXingReader only the characters between them.
#include "tests/alnum_support.h"

#include <gtest/gtest.h>

namespace {

struct ScanCase {
    const char* why;
    std::string data;
    std::string zbarRead;
    std::string zxingRead;
};

const ScanCase kCases[] = {
    {"worked example", "A40156B", "A40156B", "40156"},
    {"lower-case start/stop letters are encoded in upper case", "a1234567890d", "A1234567890D", "1234567890"},
    {"every inner symbol character", "c-$:/.+d", "C-$:/.+D", "-$:/.+"},
    {"same start and stop, digits and symbols", "D0123456789-$:/.+D", "D0123456789-$:/.+D",
     "0123456789-$:/.+"},
};

TEST(CodabarScan, BothDecodersReadEveryLook)
{
    int n = 0;
    for (const auto& c : kCases) {
        for (const auto& look : alnum::Looks()) {
            SCOPED_TRACE(std::string(c.why) + " / " + look.why);
            const std::string path = alnum::Draw(5, c.data, look.options, "cbar_" + std::to_string(++n));
            ASSERT_FALSE(path.empty());
            alnum::ExpectDecoders(path, look, c.zbarRead, c.zxingRead);
        }
    }
}

TEST(CodabarScan, OneDataCharacterIsAWellFormedSymbol)
{
    // Both decoders refuse symbols this short by default; zbarimg reads it once its
    // minimum length is lowered, which shows the symbol itself is right.
    const std::string path = alnum::Draw(5, "b7c", {"-n", "2"}, "cbar_short");
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(kt::RunCommand("zbarimg -q --raw -Scodabar.min-length=1 '" + path + "'").out, "B7C\n");
}

TEST(CodabarScan, InvalidTextWritesNoFile)
{
    for (const char* data : {"AB", "A1", "1A1", "A1B2C", "A12E", ""}) {
        SCOPED_TRACE(data);
        const std::string path = kt::ScratchPath("cbar_invalid.png");
        const kt::RunResult run = kt::RunKavren({"-t", "5", "-d", data, path});
        EXPECT_EQ(run.status, 6);
        EXPECT_FALSE(kt::FileExists(path));
    }
}

} // namespace
