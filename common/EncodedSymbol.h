// The encoded symbol: what every encoder returns and nothing changes
// afterwards. It is in modules, blind to pixels, fonts and files; one layout
// step fits it into the image on both axes and the renderers draw the shapes.
//
// Across the reading direction a symbol is a stack of rows, each with a fixed
// height in modules or a share of the bar height the image leaves (a linear
// symbol is one stretching row; a stacked symbol several rows with fixed
// separators between them; a 4-state code three rows: ascender, tracker,
// descender; a matrix code one fixed row of one module per module row).
// A dark rectangle covers a run along the reading direction and a range of
// rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kavren::detail {

enum class SymbolKind : std::uint8_t { Linear = 0, Stacked = 1, FourState = 2, Matrix = 3 };

// A length along the reading direction: narrow modules plus a count of wide
// elements. The layout evaluates it as modules x m + wides x W, where W is the
// wide element of the symbol's wide-to-narrow ratio (whole pixels: rounded
// once per element, as the element pattern always drew it; exact units:
// ratio x m). Symbologies without wide elements leave `wides` at 0.
struct ModuleSpan {
    double modules = 0.0;
    std::int32_t wides = 0;

    friend bool operator==(const ModuleSpan&, const ModuleSpan&) = default;
};

// One row across the reading direction, in order from the edge the bars grow
// from (the top at 0 degrees). stretch 0: `height` modules, always; stretch
// above 0: a share, by weight, of what the image leaves for the stretching
// rows (`height` is then the row's nominal height in modules, for layouts
// that size the symbol from the module, e.g. a standard's minimum height).
struct SymbolRow {
    double height = 1.0;
    double stretch = 0.0;

    friend bool operator==(const SymbolRow&, const SymbolRow&) = default;
};

// One dark rectangle: along the reading direction from `start` for `length`,
// across it over rows [row, row + rows).
struct DarkRect {
    ModuleSpan start;
    ModuleSpan length;
    std::int32_t row = 0;
    std::int32_t rows = 1;
    // EAN/UPC guard bars: drawn long, into the text band, when guards are shown.
    bool guard = false;
    // Not narrowed by the bar width reduction (bearer bars are no bars of the
    // code; matrix modules and 4-state bars keep their nominal width).
    bool keepsWidth = false;
    // EAN/UPC add-on bars (GS1 General Specifications, add-on symbols): as
    // long as a guard bar on the text band's side, and a text band shorter
    // on the other, where the add-on's digits stand.
    bool addOn = false;

    friend bool operator==(const DarkRect&, const DarkRect&) = default;
};

// What a human-readable text item is, so that a layout can place and size it
// by its role.
enum class TextRole : std::uint8_t {
    Main = 0,     // the symbol's whole text
    EanGroup = 1, // one EAN/UPC digit group (the leading, a half's, the last digit)
    AddOn = 2,    // the digits of an EAN/UPC add-on
    Gs1Hri = 3,   // GS1 data with its AIs in parentheses
};

// One text item, placed along the reading direction over [start, start + span]
// by `align` (0 from the start, 1 ending at the end, 2 centred, 3 spread); an
// item aligned to its end without a span ends at its start. An add-on's
// digits stand on the far side of the rows from the text band.
struct TextItem {
    std::string text; // bytes; 128..255 are Latin-1
    TextRole role = TextRole::Main;
    ModuleSpan start;
    ModuleSpan span;
    std::int32_t align = 0;
    // Modules kept free at each end of the span (EAN/UPC digits stand one
    // module inside the bars they are printed under).
    double inset = 0.0;
    // Of the font height the options give (rounded, at least 1).
    double fontScale = 1.0;

    friend bool operator==(const TextItem&, const TextItem&) = default;
};

// Light margins in modules on the four sides of the symbol.
struct QuietZones {
    double leading = 0.0;  // before the first module in the reading direction
    double trailing = 0.0; // after the last
    double top = 0.0;      // before the first row
    double bottom = 0.0;   // after the last

    friend bool operator==(const QuietZones&, const QuietZones&) = default;
};

struct EncodedSymbol {
    SymbolKind kind = SymbolKind::Linear;
    ModuleSpan length; // along the reading direction, quiet zones excluded
    std::vector<SymbolRow> rows;
    std::vector<DarkRect> darks;
    std::vector<TextItem> texts;
    QuietZones quiet;
    // The text band is kept whenever text is shown, even without text items
    // (the element-pattern symbologies always kept it).
    bool textBand = false;
    // How far guard bars run into the text band, in modules; 0: half the band.
    // Never past the band.
    double guardModules = 0.0;
    // Whole-pixel layouts: the fewest pixels the stretching rows take
    // together (PostNet's short bar must be shorter than its tall one).
    std::int32_t minStretchPixels = 1;

    friend bool operator==(const EncodedSymbol&, const EncodedSymbol&) = default;
};

// A module matrix (row-major, `width` x `height`, true dark) as an encoded
// symbol: one fixed row of one module per matrix row, each horizontal run of
// dark modules one rectangle. `quiet` modules on every side.
EncodedSymbol MatrixSymbol(const std::vector<bool>& modules, std::int32_t width, std::int32_t height,
                           double quiet);

// The four bar states of a 4-state code (Royal Mail, KIX, Australia Post,
// USPS Intelligent Mail), as their specifications name them.
enum class BarState : std::uint8_t { Tracker = 0, Ascender = 1, Descender = 2, Full = 3 };

// Bars of one module with one module's gap (`pitch` modules from bar to bar)
// over three rows: ascender, tracker, descender, stretching in the ratio of
// their heights in modules.
EncodedSymbol FourStateSymbol(const std::vector<BarState>& bars, double pitch, double barWidth,
                              double ascender, double tracker, double descender, QuietZones quiet);

} // namespace kavren::detail
