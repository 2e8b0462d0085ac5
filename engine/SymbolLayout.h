// The layout step of an encoded symbol: fits it into the frame on both axes
// and turns its modules into the shapes (common/Shapes.h) every renderer
// draws. It reads the appearance options (size, unit, quiet zones,
// alignment, text, reduction, colours, orientation) and nothing of the
// symbology's rules.
#pragma once

#include "common/EncodedSymbol.h"
#include "common/Shapes.h"

#include <kavren/kavren.h>

#include <cstdint>

namespace kavren::detail {

// The resolution in dots per inch: the given one, else kDefaultDpi.
std::int32_t Resolution(const Options& o);
// 0 and 180 degrees read along the image's width.
bool ReadsHorizontally(Orientation orientation);

// The options' colour as the layouts and renderers hold it.
Colour ToColour(Rgb rgb);

// Vector coordinates carry six decimals: an exact module of at least 1/100
// pixel keeps four significant digits in every bar edge.
inline constexpr double kMinExactModule = 0.01;

// A side given in the options (options.width or options.height, in `unit`s)
// in whole pixels at the resolution, at least one; 0 when not given.
std::int32_t GivenPixels(std::int32_t side, const Options& o);
// The side of the image not given and not following from the x-dimension:
// 200 pixels, or with a physical unit the physical size of as many pixels at
// the default resolution (about 52.9 mm), in pixels at the resolution, exactly.
double DefaultSide(const Options& o);

// True when the layout shows the symbol's text band: text is on, the symbol
// has text items (or keeps its band), and a matrix symbol's only with
// options.hri.
bool ShowsText(const EncodedSymbol& symbol, const Options& options);

// The measures of one layout, in its unit: whole pixels, or exact lengths at
// a module width that is not rounded.
struct SymbolMetrics {
    bool wholePixels = true;
    double module = 1.0;    // m
    double wide = 3.0;      // W, the wide element
    double reduction = 0.0; // taken from each linear bar's trailing side
    double textBand = 0.0;  // 0 when the text is not shown

    // A length along the reading direction: modules x m (whole pixels:
    // rounded half away) plus wides x W.
    double Along(const ModuleSpan& span) const;
    // A length in plain modules (across, quiet zones), rounded like Along.
    double Modules(double modules) const;
};

// Whole-pixel metrics for module `m` pixels, or exact ones for `m` in the
// output's unit, with that text band.
SymbolMetrics PixelMetrics(const Options& options, std::int32_t module, double textBand);
SymbolMetrics ExactMetrics(const Options& options, double module, double textBand);

// Along the reading direction: both quiet zones and the symbol.
double SymbolLength(const EncodedSymbol& symbol, const Options& options, const SymbolMetrics& g);
// Across it: the quiet zones above and below, the fixed rows and the text
// band (what does not stretch).
double FixedThickness(const EncodedSymbol& symbol, const Options& options, const SymbolMetrics& g);
// True when some row takes a share of what the image leaves across.
bool Stretches(const EncodedSymbol& symbol);

// The frame in which a symbol is laid out: its extent on both axes, the free
// space along and across it, and the image area (all 0 for exact lengths).
struct SymbolFrame {
    Rect area;
    double length = 0.0;
    double thickness = 0.0;
};

// The image in whole pixels. The side along the reading direction given
// (options.width at 0 and 180 degrees, options.height at 90 and 270, in
// `unit`s): `module` 0, found by FitPixels; not given: the x-dimension rounded
// to whole pixels (`module`), and the image as long as the symbol. The side
// across, when not given, is 200 pixels for a symbol that stretches, else as
// thick as the symbol. InvalidArgument when the x-dimension gives no length.
Status PixelImage(const EncodedSymbol& symbol, const Options& options, double textBand, SymbolFrame& frame,
                  std::int32_t& module);
// The whole-pixel metrics in that image: the largest module that fits both
// sides (`module` 0), or `module` itself; InvalidSize when the symbol does not
// fit.
Status FitPixels(const EncodedSymbol& symbol, const Options& options, double textBand, const SymbolFrame& frame,
                 std::int32_t module, SymbolMetrics& g);
// Exact lengths in pixels at the resolution (SVG and EPS at a physical unit,
// the side along not given): the module not rounded, the frame as long as the
// symbol; across as given, else `across` pixels when above 0, else as
// FitPixels takes it. InvalidArgument for a module below 1/100 pixel,
// InvalidSize when the symbol does not fit.
Status FitExact(const EncodedSymbol& symbol, const Options& options, double textBand, SymbolMetrics& g,
                SymbolFrame& frame, double across = 0.0);

// The shapes of the symbol in the frame: quiet zones on all four sides (none
// with options.quietZones off), the alignment in the free space, the rows
// (fixed or sharing what is left across), bars reduced, guard bars into the
// text band, the text items on the band's line.
Layout LayOutSymbol(const EncodedSymbol& symbol, const Options& options, const SymbolMetrics& g,
                    const SymbolFrame& frame);

} // namespace kavren::detail
