// Helpers for the Code 39, Code 93, Codabar and Code 11 suites: encode a text
// with chosen flags, read a pattern as modules, and run the decoder round trips.
#pragma once

#include "engine/BarcodeSym.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace alnum {

struct Flags {
    bool calc = true;    // m_CalcCheckDigit
    bool show = true;    // m_ShowCheckDigit
    bool stst = false;   // m_ShowStartStop
    bool convert = true; // m_ConvertNonPrinting
};

// A symbology of class T holding `data`, encoded once as the factory does.
template <typename T> std::unique_ptr<T> Encoded(const std::string& data, const Flags& f = {})
{
    CBarcodeSettings s;
    s.m_Data = data;
    s.m_CalcCheckDigit = f.calc;
    s.m_ShowCheckDigit = f.show;
    s.m_ShowStartStop = f.stst;
    s.m_ConvertNonPrinting = f.convert;
    auto sym = std::make_unique<T>(s);
    sym->Encode();
    return sym;
}

// The pattern as "1" per bar module and "0" per space module, a wide element
// counted as 2 modules; "not alternating" unless bars and spaces alternate from
// a first bar to a last bar.
inline std::string Modules(const std::vector<std::uint8_t>& pattern)
{
    static constexpr int widths[14] = {1, 2, 1, 2, 3, 3, 4, 4, 1, 0, 0, 0, 2, 2};
    static constexpr bool bars[14] = {1, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 0, 0, 1};
    std::string out;
    bool lastBar = false;
    for (std::uint8_t e : pattern) {
        if (e > 13 || widths[e] == 0 || bars[e] == lastBar)
            return "not alternating";
        lastBar = bars[e];
        out.append(static_cast<std::size_t>(widths[e]), lastBar ? '1' : '0');
    }
    return pattern.empty() || lastBar ? out : "not alternating";
}

// Texts of 0..60 bytes from 1..255, a third only from `likely` and the rest half
// from it so that many are valid: each must be invalid or give a sound pattern.
template <typename T> void ExpectSoundForArbitraryTexts(const std::string& likely)
{
    std::uint32_t seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; }; // reproducible
    for (int i = 0; i < 3000; ++i) {
        std::string text(next() % 61, ' ');
        const bool clean = next() % 3 == 0;
        for (char& c : text)
            c = clean || next() % 2 ? likely[next() % likely.size()] : static_cast<char>(1 + next() % 255);
        auto sym = Encoded<T>(text);
        if (sym->m_Valid) {
            ASSERT_NE(Modules(sym->m_Pattern), "not alternating") << text;
            ASSERT_FALSE(sym->m_Pattern.empty()) << text;
        }
    }
}

// One appearance of a symbol on the command line.
struct Look {
    const char* why;
    std::vector<std::string> options;
    // 1-pixel modules: zbarimg misses some symbols there (it times edges in
    // whole pixels), so it must read the right text or nothing.
    bool zbarMayMiss = false;
};

// Orientations, module widths, ratios 2 to 3 and colours, each value at least once.
inline const std::vector<Look>& Looks()
{
    static const std::vector<Look> looks = {
        {"defaults", {}},
        {"90 degrees, 1-pixel modules, ratio 2", {"-o", "90", "-n", "1", "-i", "2"}, true},
        {"180 degrees, 3-pixel modules, ratio 3", {"-o", "180", "-n", "3", "-i", "3"}},
        {"270 degrees, ratio 2.2 rounds to whole pixels", {"-o", "270", "-n", "2", "-i", "2.2"}},
        {"navy on light yellow, red text",
         {"-n", "1", "-i", "3", "-r", "000080", "-b", "ffff80", "-e", "800000"},
         true},
        {"dark green on pale blue at 90 degrees",
         {"-o", "90", "-n", "3", "-i", "2.5", "-r", "204020", "-b", "e0f0ff"}},
        {"fixed image size, widest module that fits", {"-x", "1500", "-y", "150", "-i", "2.8"}},
        {"text above, start/stop and check shown", {"-p", "0", "-z", "1", "-c", "1", "-o", "180", "-n", "2"}},
    };
    return looks;
}

// Runs the program for symbology `type`; the PNG path, or "" when the run failed.
inline std::string Draw(int type, const std::string& data, std::vector<std::string> options,
                        const std::string& name)
{
    const std::string path = kt::ScratchPath(name + ".png");
    options.insert(options.begin(), {"-t", std::to_string(type), "-d", data});
    options.push_back(path);
    return kt::RunKavren(options).status == 0 && kt::FileExists(path) ? path : "";
}

// What both decoders read from `path`, byte for byte.
inline void ExpectDecoders(const std::string& path, const Look& look, const std::string& zbarExpected,
                           const std::string& zxingExpected)
{
    std::string zbar = kt::RunCommand("zbarimg -q --raw '" + path + "'").out;
    if (!zbar.empty() && zbar.back() == '\n')
        zbar.pop_back();
    if (!(look.zbarMayMiss && zbar.empty())) {
        EXPECT_EQ(zbar, zbarExpected) << "zbarimg";
    }
    EXPECT_EQ(kt::RunCommand("ZXingReader -bytes '" + path + "'").out, zxingExpected) << "ZXingReader";
}

// Draws `data` as symbology `type` in every look; both decoders must read it.
inline void ExpectRoundTrips(int type, const std::string& data, const std::string& zbarExpected,
                             const std::string& zxingExpected, const std::vector<std::string>& extra = {})
{
    static int count = 0;
    for (const auto& look : Looks()) {
        SCOPED_TRACE(look.why);
        std::vector<std::string> options = look.options;
        options.insert(options.end(), extra.begin(), extra.end());
        const std::string path = Draw(type, data, options, "scan" + std::to_string(++count));
        ASSERT_FALSE(path.empty());
        ExpectDecoders(path, look, zbarExpected, zxingExpected);
    }
}

} // namespace alnum
