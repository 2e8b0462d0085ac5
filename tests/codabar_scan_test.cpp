// Codabar round trips: the program writes the PNG and two independent decoders
// must read it back in every look. zbarimg reports the start and stop letters
// (in upper case), ZXingReader only the characters between them.
#include "tests/alnum_support.h"

#include <gtest/gtest.h>

namespace {

TEST(CodabarScan, BothDecodersReadEveryLook)
{
    alnum::ExpectRoundTrips(5, "A40156B", "A40156B", "40156");                // worked example
    alnum::ExpectRoundTrips(5, "a1234567890d", "A1234567890D", "1234567890"); // lower-case letters
    alnum::ExpectRoundTrips(5, "c-$:/.+d", "C-$:/.+D", "-$:/.+");             // the symbol characters
}

TEST(CodabarScan, OneDataCharacterIsAWellFormedSymbol)
{
    // Both decoders refuse symbols this short by default; zbarimg reads it once its
    // minimum length is lowered, which shows the symbol itself is right.
    const std::string path = alnum::Draw(5, "b7c", {"-n", "2"}, "cbar_short");
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(kt::RunCommand("zbarimg -q --raw -Scodabar.min-length=1 '" + path + "'").out, "B7C\n");
}

} // namespace
