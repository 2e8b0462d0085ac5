// Helpers for the engine suites: a symbology whose pattern is whatever the test
// says, and ways to read the raster back as text.
#pragma once

#include "engine/BarcodeSym.h"
#include "engine/SymbolLayout.h"
#include "image/MyPngWriter.h"
#include "image/RasterRenderer.h"
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

// The options a render of these settings is given (the settings the
// options give, backwards).
inline kavren::Options OptionsOf(const CBarcodeSettings& s)
{
    kavren::Options o;
    o.symbology = static_cast<kavren::Symbology>(s.m_Type);
    o.data = s.m_Data;
    o.fontHeight = s.m_FontHeight;
    o.orientation = static_cast<kavren::Orientation>(s.m_Orientation);
    const auto rgb = [](Colour c) {
        return kavren::Rgb{static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                           static_cast<std::uint8_t>(c >> 16)};
    };
    o.background = rgb(s.m_BackColor);
    o.barColour = rgb(s.m_BarColor);
    o.textColour = rgb(s.m_TextColor);
    o.quietZones = s.m_QuietZones;
    o.barcodeAlign = static_cast<kavren::BarcodeAlign>(s.m_BarcodeAlign);
    o.textAlign = static_cast<kavren::TextAlign>(s.m_TextAlign);
    o.showGuards = s.m_ShowGuards;
    o.showText = s.m_ShowText;
    o.textBelow = s.m_TextBelow;
    o.wideToNarrow = s.m_WideToNarrow;
    o.barReduction = s.m_BarReduction;
    o.compliant = s.m_Compliant;
    o.eanTextFlush = s.m_EanTextFlush;
    o.transparent = s.m_KeepBackground;
    return o;
}

// The frame of an image width x height for the settings' orientation.
inline SymbolFrame FrameOf(const CBarcodeSettings& s, double width, double height)
{
    SymbolFrame frame;
    const bool vertical = s.m_Orientation == 90 || s.m_Orientation == 270;
    frame.length = vertical ? height : width;
    frame.thickness = vertical ? width : height;
    return frame;
}

// The largest whole-pixel module (or just `module`, when given) at which the
// object's encoded symbol fits an image width x height with a text band of
// `band` pixels; -1 when none does.
inline std::int32_t FittingModule(const CBarcodeSym& sym, double width, double height, double band = 0.0,
                                  std::int32_t module = 0)
{
    SymbolMetrics g;
    const kavren::Status status =
        FitPixels(sym.ToEncodedSymbol(), OptionsOf(sym), band, FrameOf(sym, width, height), module, g);
    return status == kavren::Status::Ok ? static_cast<std::int32_t>(g.module) : -1;
}

// The whole-pixel layout of the object's encoded symbol in `area`, at the
// largest module that fits, laid out as the options of its settings say,
// with a text band of `textHeight` pixels when the text is shown.
struct Laid {
    kavren::Status status = kavren::Status::Ok;
    std::int32_t module = 0;
    double textBand = 0.0;
    Layout layout;
};
inline Laid LayOut(const CBarcodeSym& sym, const Rect& area, double textHeight)
{
    const kavren::Options o = OptionsOf(sym);
    const EncodedSymbol symbol = sym.ToEncodedSymbol();
    Laid laid;
    laid.textBand = ShowsText(symbol, o) ? textHeight : 0.0;
    SymbolFrame frame = FrameOf(sym, static_cast<double>(area.right) - area.left,
                                static_cast<double>(area.bottom) - area.top);
    frame.area = area;
    SymbolMetrics g;
    laid.status = FitPixels(symbol, o, laid.textBand, frame, 0, g);
    laid.module = static_cast<std::int32_t>(g.module);
    if (laid.status == kavren::Status::Ok)
        laid.layout = LayOutSymbol(symbol, o, g, frame);
    return laid;
}

// What a render draws of the object into `area` of the writer (LayOut, the
// band measured by the writer): status 0 drawn, 1 no area, 5 does not fit,
// 6 invalid data text; the module and the text band it was drawn with.
struct Drawn {
    int status = 0;
    std::int32_t module = 0;
    double textBand = 0.0;
};
inline Drawn DrawSym(CImageWriter& writer, const CBarcodeSym& sym, const Rect* area)
{
    if (area == nullptr)
        return {1};
    const Laid laid = LayOut(sym, *area, writer.MeasureTextHeight(sym.m_FontHeight));
    if (laid.status != kavren::Status::Ok)
        return {5};
    if (!sym.m_Valid)
        return {6};
    DrawLayout(writer, laid.layout);
    return {0, laid.module, laid.textBand};
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
