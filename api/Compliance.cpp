#include "api/Compliance.h"

#include "engine/Barcode.h"
#include "engine/CompliantRules.h"
#include "engine/SymbolLayout.h"
#include "image/GlyphPlacement.h"

#include <ft2build.h>
#include FT_GLYPH_H

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kavren::detail {
namespace {

constexpr double kMillimetresPerInch = 25.4;
// The embedded font's digit height in ems (Liberation Sans: 1409 of 2048).
constexpr double kDigitEms = 1409.0 / 2048.0;

// The module in pixels at the resolution as the image draws it: whole pixels
// for a PNG and for pixel units, else exact.
double ModulePixels(const Options& o)
{
    const std::int32_t dpi = Resolution(o);
    if (o.format == Format::Png || o.unit == Unit::Pixels) {
        std::int32_t pixels = 0;
        XDimToPixels(o.xDimension, dpi, dpi, o.unit, ReadsHorizontally(o.orientation), &pixels);
        return pixels;
    }
    return SizeToPixels(o.xDimension, dpi, o.unit);
}

// Points at the resolution whose digits are kDigitModules modules high.
std::int32_t DigitFontHeight(const Options& o)
{
    const double em = kDigitModules * ModulePixels(o) / kDigitEms;
    const double points = em * 72.0 / Resolution(o);
    if (!(points >= 1.0))
        return 1;
    return points >= 1e6 ? 1000000 : static_cast<std::int32_t>(std::lround(points));
}

// The pen's advance over the text at a font height, in pixels.
double TextAdvance(const CFontFace& face, std::int32_t dpi, const std::string& text, std::int32_t fontHeight)
{
    double end = 0.0;
    PlaceGlyphs(face, dpi, dpi, reinterpret_cast<const unsigned char*>(text.data()), text.size(), fontHeight,
                0, 0, 0, 0, 0.0, EGlyphLoad::kOutline, [&](FT_GlyphRec_* glyph, std::int64_t x, std::int64_t) {
                    end = std::max(end, static_cast<double>(x) + glyph->advance.x / 65536.0);
                });
    return end;
}

} // namespace

Options CompliantOptions(const Options& options)
{
    Options o = options;
    if (!o.compliant)
        return o;
    if (FindCompliantRule(static_cast<std::int32_t>(o.symbology)) != nullptr)
        o.fontHeight = DigitFontHeight(o);
    switch (o.symbology) {
    // GS1 General Specifications 5.2.5: the EAN-13 leading digit left of the
    // symbol, the UPC-A and UPC-E number system and check digits outside it,
    // the EAN-8 digits in two groups of four under its halves.
    case Symbology::Ean13: o.textAlign = TextAlign::EanLeadingOutside; break;
    case Symbology::UpcA:
    case Symbology::UpcE: o.textAlign = TextAlign::EanBothOutside; break;
    case Symbology::Ean8: o.textAlign = TextAlign::EanInside; break;
    case Symbology::Ean2:
    case Symbology::Ean5: break;
    // GS1 General Specifications 5.3.4: ITF-14 carries a bearer frame, or at
    // least bars along its top and bottom.
    case Symbology::Itf14:
        if (o.bearer == Bearer::None)
            o.bearer = Bearer::Box;
        o.textAlign = TextAlign::Centre;
        break;
    // The human-readable line centred under the bars (ISO/IEC 15417 4.8,
    // ISO/IEC 16388 4.3, GS1 General Specifications 4.15).
    default: o.textAlign = TextAlign::Centre; break;
    }
    return o;
}

double CompliantAcross(const Options& o, const CBarcodeSym& sym, double module)
{
    const CompliantRule* rule = o.compliant ? FindCompliantRule(sym.m_Type) : nullptr;
    if (rule == nullptr || !(module > 0.0))
        return 0.0;
    const double pixelsPerMillimetre = Resolution(o) / kMillimetresPerInch;
    double bars = rule->barModules * module;
    if (!(bars > 0.0))
        bars = rule->barMillimetres * pixelsPerMillimetre;
    if (!(bars > 0.0))
        bars = std::max(kMinBarMillimetres * pixelsPerMillimetre,
                        kMinBarShare * sym.GetExactPatternLength(module));
    double band = 0.0;
    if (sym.m_ShowText) {
        CFontFace face;
        const std::int32_t dpi = Resolution(o);
        band = face.Open(o.font.empty() ? nullptr : o.font.c_str()) == 0
                   ? MeasureTextBand(face, sym.m_FontHeight, dpi, dpi)
                   : 0.0;
    }
    return bars + band + 2.0 * sym.GetAddedModules().across * module;
}

void FitCompliantText(const Options& o, CBarcodeSym& sym)
{
    // GS1 General Specifications 4.15: the human-readable interpretation of
    // element strings shows each AI in parentheses before its data; the
    // ITF-14's one element string is the GTIN (01), check digit included.
    if (o.compliant && sym.m_ShowText && o.symbology == Symbology::Itf14 && sym.m_DataBytes.size() == 14)
        sym.m_DisplayText = "(01) " + sym.m_DataBytes;
    const bool groups = o.textAlign >= TextAlign::EanLeadingOutside && o.textAlign <= TextAlign::EanInside;
    if (!o.compliant || !sym.m_ShowText || groups || FindCompliantRule(sym.m_Type) == nullptr ||
        sym.m_DisplayText.empty())
        return;
    CFontFace face;
    if (face.Open(o.font.empty() ? nullptr : o.font.c_str()) != 0)
        return; // the render fails on the font itself
    const std::int32_t dpi = Resolution(o);
    const double span = sym.GetExactPatternLength(ModulePixels(o));
    // Smaller until the text fits over the bars: the first step scales by
    // the excess, the next ones take a point at a time.
    const double advance = TextAdvance(face, dpi, sym.m_DisplayText, sym.m_FontHeight);
    if (!(advance > span) || !(span > 0.0))
        return;
    sym.m_FontHeight = std::max(1, static_cast<std::int32_t>(sym.m_FontHeight * span / advance));
    while (sym.m_FontHeight > 1 && TextAdvance(face, dpi, sym.m_DisplayText, sym.m_FontHeight) > span)
        --sym.m_FontHeight;
}

} // namespace kavren::detail
