// Helpers for the Code 39, Code 93, Codabar and Code 11 suites: encode a text
// with chosen flags and read the module pattern back as bars and spaces.
#pragma once

#include "engine/BarcodeSym.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace alnum {

struct Flags {
    bool calc = true;    // m_CalcCheckDigit
    bool show = true;    // m_ShowCheckDigit
    bool stst = false;   // m_ShowStartStop
    bool convert = true; // m_ConvertNonPrinting
};

inline CBarcodeSettings MakeSettings(const std::string& data, const Flags& f)
{
    CBarcodeSettings s;
    s.m_Data = data;
    s.m_CalcCheckDigit = f.calc;
    s.m_ShowCheckDigit = f.show;
    s.m_ShowStartStop = f.stst;
    s.m_ConvertNonPrinting = f.convert;
    return s;
}

// A symbology of class T holding `data`, encoded once as the factory does.
template <typename T> std::unique_ptr<T> Encoded(const std::string& data, const Flags& f = {})
{
    auto sym = std::make_unique<T>(MakeSettings(data, f));
    sym->Encode();
    return sym;
}

inline bool IsBar(std::uint8_t code)
{
    return code == BAR1 || code == BAR2 || code == BAR3 || code == BAR4 || code == WIDE_BAR || code == GUARD;
}

// Modules of one element, with a wide element counted as `wide` modules.
inline int ModulesOf(std::uint8_t code, int wide)
{
    switch (code) {
    case BAR1:
    case SPACE1:
    case GUARD: return 1;
    case BAR2:
    case SPACE2: return 2;
    case BAR3:
    case SPACE3: return 3;
    case BAR4:
    case SPACE4: return 4;
    case WIDE_BAR:
    case WIDE_SPACE: return wide;
    default: return 0;
    }
}

// The pattern as "1" per bar module and "0" per space module, wide elements
// `wide` modules; "not alternating" when two bars or two spaces touch, or when
// the pattern does not begin and end with a bar.
inline std::string Modules(const std::vector<std::uint8_t>& pattern, int wide = 2)
{
    if (pattern.empty())
        return "";
    if (!IsBar(pattern.front()) || !IsBar(pattern.back()))
        return "not alternating";
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool bar = IsBar(pattern[i]);
        if (i > 0 && bar == IsBar(pattern[i - 1]))
            return "not alternating";
        out.append(static_cast<std::size_t>(ModulesOf(pattern[i], wide)), bar ? '1' : '0');
    }
    return out;
}

// Pixel widths of the elements when drawn with module width m and wide width w.
inline std::vector<int> PixelWidths(const std::vector<std::uint8_t>& pattern, int m, int w)
{
    std::vector<int> widths;
    for (std::uint8_t code : pattern)
        widths.push_back(code == WIDE_BAR || code == WIDE_SPACE ? w : ModulesOf(code, 1) * m);
    return widths;
}

// Texts of 0..60 bytes from 1..255; a third drawn only from `likely`, the rest
// half from it, so that many are valid: every one must give a well-formed pattern or be invalid.
template <typename T> void ExpectSoundForArbitraryTexts(const std::string& likely, int count = 3000)
{
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u; // fixed sequence: failures reproduce
        return seed >> 8;
    };
    for (int i = 0; i < count; ++i) {
        std::string text(next() % 61, ' ');
        const bool clean = next() % 3 == 0;
        for (char& c : text)
            c = clean || next() % 2 ? likely[next() % likely.size()] : static_cast<char>(1 + next() % 255);
        auto sym = Encoded<T>(text);
        if (!sym->m_Valid) {
            ASSERT_FALSE(sym->Encode());
            continue;
        }
        ASSERT_FALSE(sym->m_Pattern.empty()) << text;
        ASSERT_NE(Modules(sym->m_Pattern), "not alternating") << text;
        for (std::uint8_t e : sym->m_Pattern)
            ASSERT_TRUE(e <= SPACE4 || e == WIDE_BAR || e == WIDE_SPACE) << text;
    }
}

// One appearance of a symbol on the command line, for the round trips.
struct Look {
    const char* why;
    std::vector<std::string> options;
    // 1-pixel modules: zbarimg misses some symbols there (it times edges in
    // whole pixels), so it must read the right text or nothing.
    bool zbarMayMiss = false;
};

// Orientations, module widths, wide-to-narrow ratios 2 to 3 and colours, each
// value at least once; a decoder has to read the symbol in every one.
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

// Runs the program for symbology `type` and `data` with the look's options;
// the PNG path, or "" when the run failed.
inline std::string Draw(int type, const std::string& data, const std::vector<std::string>& options,
                        const std::string& name)
{
    std::vector<std::string> args = {"-t", std::to_string(type), "-d", data};
    args.insert(args.end(), options.begin(), options.end());
    const std::string path = kt::ScratchPath(name + ".png");
    args.push_back(path);
    const kt::RunResult run = kt::RunKavren(args);
    return run.status == 0 && kt::FileExists(path) ? path : "";
}

// The bytes zbarimg reads, exactly (control characters included).
inline std::string ZbarBytes(const std::string& path)
{
    std::string out = kt::RunCommand("zbarimg -q --raw '" + path + "'").out;
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

// The bytes ZXingReader reads, exactly.
inline std::string ZXingBytes(const std::string& path)
{
    return kt::RunCommand("ZXingReader -bytes '" + path + "'").out;
}

// Checks what both decoders read from `path` against `expected`.
inline void ExpectDecoders(const std::string& path, const Look& look, const std::string& zbarExpected,
                           const std::string& zxingExpected)
{
    const std::string zbar = ZbarBytes(path);
    if (!(look.zbarMayMiss && zbar.empty())) {
        EXPECT_EQ(zbar, zbarExpected) << "zbarimg";
    }
    EXPECT_EQ(ZXingBytes(path), zxingExpected) << "ZXingReader";
}

inline void ExpectDecoders(const std::string& path, const Look& look, const std::string& expected)
{
    ExpectDecoders(path, look, expected, expected);
}

} // namespace alnum
