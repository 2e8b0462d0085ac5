// Code 93 and Code 93 Extended round trips: the program writes the PNG and two
// independent decoders must read it back in every look. Both decoders check and
// strip C and K, and both apply the full-ASCII shifts themselves.
#include "tests/alnum_support.h"

#include <gtest/gtest.h>

namespace {

// Bytes from..to, as they are and as ~hh escapes.
std::string Bytes(int from, int to, bool escaped)
{
    std::string out;
    char escape[4];
    for (int b = from; b <= to; ++b) {
        std::snprintf(escape, sizeof escape, "~%02X", b);
        out += escaped ? std::string(escape) : std::string(1, static_cast<char>(b));
    }
    return out;
}

TEST(Code93Scan, BothDecodersReadEveryLook)
{
    const std::string all43 = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
    const std::pair<std::string, std::string> plain[] = {
        {"TEST93", "TEST93"}, // worked example (C "+", K "6")
        {all43, all43},
    };
    for (const auto& [data, read] : plain)
        alnum::ExpectRoundTrips(19, data, read, read);

    const std::pair<std::string, std::string> extended[] = {
        {Bytes(32, 125, false) + "~~", Bytes(32, 126, false)},      // every printable byte
        {Bytes(0, 31, true) + "~7f", Bytes(0, 31, false) + "\x7F"}, // control bytes and DEL
        {"~0D", "\r"},                                              // K is a shift character
        {"a~80b", "ab"},                                            // escape above 127 dropped
    };
    for (const auto& [data, read] : extended)
        alnum::ExpectRoundTrips(20, data, read, read);
}

} // namespace
