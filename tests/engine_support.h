// Helpers for the engine suites: a symbology whose pattern is whatever the test
// says, and ways to read the raster back as text.
#pragma once

#include "engine/BarcodeSym.h"
#include "image/MyPngWriter.h"
#include "tests/support/TestSupport.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace et {

// Element codes for a module string: '1' a dark module, '0' a light one; runs
// of 1 to 4 modules become the matching bar or space codes.
inline std::vector<std::uint8_t> Modules(std::string_view bits)
{
    static constexpr std::uint8_t Bars[] = {BAR1, BAR2, BAR3, BAR4};
    static constexpr std::uint8_t Spaces[] = {SPACE1, SPACE2, SPACE3, SPACE4};
    std::vector<std::uint8_t> codes;
    for (std::size_t i = 0; i < bits.size();) {
        std::size_t run = 1;
        while (i + run < bits.size() && bits[i + run] == bits[i] && run < 4)
            ++run;
        codes.push_back(bits[i] == '1' ? Bars[run - 1] : Spaces[run - 1]);
        i += run;
    }
    return codes;
}

// Encodes to a fixed pattern; the data text "bad" (and an empty one) is invalid.
// With m_CalcCheckDigit set a final one-module bar stands in for a check character.
class CTestSym : public CBarcodeSym {
  public:
    CTestSym(const CBarcodeSettings& settings, std::vector<std::uint8_t> codes)
        : CBarcodeSym(settings), m_Codes(std::move(codes))
    {
    }

    bool Encode() override
    {
        ++m_EncodeCalls;
        if (!Prepare())
            return false;
        m_Pattern = m_Codes;
        if (m_CalcCheckDigit)
            m_Pattern.push_back(BAR1);
        return true;
    }
    bool Validate() override { return HasData() && m_Data != "bad"; }

    std::vector<std::uint8_t> m_Codes;
    int m_EncodeCalls = 0;
};

// Settings for the tests: no stand-in check bar, so the pattern is exactly the codes.
inline CBarcodeSettings PlainSettings()
{
    CBarcodeSettings s;
    s.m_CalcCheckDigit = false;
    return s;
}

// A new object encoded once, as the factory hands them out.
inline std::unique_ptr<CTestSym> MakeSym(std::vector<std::uint8_t> codes,
                                         const CBarcodeSettings& settings = PlainSettings())
{
    auto sym = std::make_unique<CTestSym>(settings, std::move(codes));
    sym->Encode();
    return sym;
}

inline std::unique_ptr<CMyPngWriter> MakeWriter(int width, int height)
{
    auto writer = std::make_unique<CMyPngWriter>(width, height, nullptr, 96, 96, 0xffffff, -2);
    if (!writer->Init())
        return nullptr;
    return writer;
}

inline kt::Raster Snapshot(const CImageWriter& writer)
{
    kt::Raster r;
    r.width = writer.GetWidth();
    r.height = writer.GetHeight();
    for (int y = 0; y < r.height; ++y) {
        const std::uint8_t* row = writer.GetRow(y);
        r.rgb.insert(r.rgb.end(), row, row + 3 * r.width);
    }
    return r;
}

// The pixels from (x, y) in steps of (dx, dy), `count` of them: '#' where the
// pixel is exactly `ink`, '.' where it is exactly `paper`, '?' otherwise.
inline std::string Line(const kt::Raster& r, int x, int y, int dx, int dy, int count, std::uint32_t ink = 0,
                        std::uint32_t paper = 0xffffff)
{
    std::string s;
    for (int i = 0; i < count; ++i, x += dx, y += dy) {
        const std::uint32_t c = r.At(x, y);
        s += c == ink ? '#' : c == paper ? '.' : '?';
    }
    return s;
}

// Bounding box of the pixels that are neither `paper` nor `ink`-exact bars
// inside the given rows and columns: used to find where text went.
struct Box {
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
    bool Empty() const { return right < 0; }
};
inline Box InkBox(const kt::Raster& r, int x0, int x1, int y0, int y1, std::uint32_t paper = 0xffffff)
{
    Box b;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (r.At(x, y) == paper)
                continue;
            b.left = std::min(b.left, x);
            b.right = std::max(b.right, x);
            b.top = std::min(b.top, y);
            b.bottom = std::max(b.bottom, y);
        }
    }
    return b;
}

} // namespace et
