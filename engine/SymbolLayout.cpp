#include "engine/SymbolLayout.h"

#include "engine/Barcode.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kavren::detail {

std::int32_t Resolution(const Options& o)
{
    return o.dpi > 0 ? o.dpi : kDefaultDpi;
}

bool ReadsHorizontally(Orientation orientation)
{
    return orientation == Orientation::Deg0 || orientation == Orientation::Deg180;
}

double DefaultSide(const Options& o)
{
    // The text of the default font height fits into it at any resolution.
    constexpr double kDefaultSide = 200.0;
    if (o.unit == Unit::Pixels)
        return kDefaultSide;
    return kDefaultSide * Resolution(o) / kDefaultDpi;
}

std::int32_t GivenPixels(std::int32_t side, const Options& o)
{
    if (side <= 0)
        return 0;
    const std::int32_t dpi = Resolution(o);
    std::int32_t pixels = 0;
    XDimToPixels(side, dpi, dpi, o.unit, true, &pixels);
    return std::max(pixels, 1);
}

namespace {

QuietZones Quiet(const EncodedSymbol& symbol, const Options& options)
{
    return options.quietZones ? symbol.quiet : QuietZones{};
}

double StretchWeight(const EncodedSymbol& symbol)
{
    double total = 0.0;
    for (const SymbolRow& row : symbol.rows)
        if (row.stretch > 0.0)
            total += row.stretch;
    return total;
}

// Whether the symbol fits `thickness` across at these metrics: a stretching
// symbol needs room for its stretching rows (whole pixels: the symbol's
// fewest), a fixed one its whole thickness.
bool FitsAcross(const EncodedSymbol& symbol, const Options& options, const SymbolMetrics& g, double thickness)
{
    const double fixed = FixedThickness(symbol, options, g);
    if (!Stretches(symbol))
        return thickness >= fixed;
    return g.wholePixels ? thickness - fixed >= symbol.minStretchPixels : thickness > fixed;
}

// Both frame sides in the image: length x thickness at 0 and 180 degrees.
Rect ImageArea(const Options& o, double length, double thickness)
{
    const auto along = static_cast<std::int32_t>(length);
    const auto across = static_cast<std::int32_t>(thickness);
    return ReadsHorizontally(o.orientation) ? Rect{0, along, 0, across} : Rect{0, across, 0, along};
}

// Half a length; whole pixels truncate.
double Half(const SymbolMetrics& g, double length)
{
    return g.wholePixels ? std::trunc(length / 2.0) : length / 2.0;
}

// The share of the free space before the symbol that the alignment gives.
double AlignShift(const Options& o, const SymbolMetrics& g, double freeSpace)
{
    freeSpace = std::max(freeSpace, 0.0);
    switch (o.barcodeAlign) {
    case BarcodeAlign::Start: return 0.0;
    case BarcodeAlign::End: return freeSpace;
    case BarcodeAlign::Centre: break;
    }
    return Half(g, freeSpace);
}

// Adds a bar cut to the frame; nothing when nothing of it is inside.
void AddBox(Layout& out, BarBox bar)
{
    if (bar.along < 0.0) {
        bar.length += bar.along;
        bar.along = 0.0;
    }
    bar.length = std::min(bar.length, out.length - bar.along);
    if (bar.across < 0.0) {
        bar.height += bar.across;
        bar.across = 0.0;
    }
    bar.height = std::min(bar.height, out.thickness - bar.across);
    if (bar.length > 0.0 && bar.height > 0.0)
        out.bars.push_back(bar);
}

ModuleSpan End(const ModuleSpan& start, const ModuleSpan& length)
{
    return {start.modules + length.modules, start.wides + length.wides};
}

// How far guard bars run into a text band of `band`.
double GuardRun(const EncodedSymbol& symbol, const SymbolMetrics& g, double band)
{
    if (symbol.guardModules > 0.0)
        return std::min(g.Modules(symbol.guardModules), band);
    return band - Half(g, band);
}

// A text item as a run on the text line `line`, `along` being where the
// symbol's first module lies.
TextRun PlaceText(const TextItem& item, const Options& options, const SymbolMetrics& g, double along,
                  double line, double freeAlong)
{
    // The box an end-aligned item without a span ends in: longer than any text.
    constexpr double kEndBox = 10000.0;
    constexpr std::int32_t kEnd = static_cast<std::int32_t>(TextAlign::End);
    TextRun run;
    run.text = item.text;
    run.along = along + (g.Along(item.start) + g.Modules(item.inset));
    run.across = line;
    run.span = g.Along(item.span) - 2.0 * g.Modules(item.inset);
    if (item.align == kEnd && item.span == ModuleSpan{}) {
        run.along -= kEndBox;
        run.span = kEndBox;
    }
    // A text aligned over the bars also takes the odd pixel that centring
    // leaves after them.
    if (item.align >= 1 && item.align <= 3 && (item.role == TextRole::Main || item.role == TextRole::Gs1Hri))
        run.span += freeAlong - 2.0 * Half(g, freeAlong);
    run.mode = item.align;
    run.fontHeight = options.fontHeight;
    if (item.fontScale != 1.0)
        run.fontHeight =
            std::max(1, static_cast<std::int32_t>(std::lround(options.fontHeight * item.fontScale)));
    return run;
}

} // namespace

Colour ToColour(Rgb rgb)
{
    return Colour{rgb.red} | Colour{rgb.green} << 8 | Colour{rgb.blue} << 16;
}

bool ShowsText(const EncodedSymbol& symbol, const Options& options)
{
    if (!options.showText || (symbol.texts.empty() && !symbol.textBand))
        return false;
    return symbol.kind != SymbolKind::Matrix || options.hri;
}

double SymbolMetrics::Along(const ModuleSpan& span) const
{
    return Modules(span.modules) + span.wides * wide;
}

double SymbolMetrics::Modules(double modules) const
{
    const double length = modules * module;
    return wholePixels ? static_cast<double>(RoundHalfAway(length)) : length;
}

SymbolMetrics PixelMetrics(const Options& options, std::int32_t module, double textBand)
{
    SymbolMetrics g;
    g.module = module;
    g.wide = std::max(RoundHalfAway(static_cast<double>(options.wideToNarrow) * module), 0);
    // A percentage of the module, truncated toward zero to whole pixels.
    g.reduction = std::trunc(options.barReduction / 100.0 * static_cast<double>(module));
    g.textBand = textBand;
    return g;
}

SymbolMetrics ExactMetrics(const Options& options, double module, double textBand)
{
    SymbolMetrics g;
    g.wholePixels = false;
    g.module = module;
    g.wide = std::max(static_cast<double>(options.wideToNarrow) * module, 0.0);
    g.reduction = options.barReduction / 100.0 * module;
    g.textBand = textBand;
    return g;
}

double SymbolLength(const EncodedSymbol& symbol, const Options& options, const SymbolMetrics& g)
{
    const QuietZones q = Quiet(symbol, options);
    return g.Modules(q.leading) + g.Along(symbol.length) + g.Modules(q.trailing);
}

double FixedThickness(const EncodedSymbol& symbol, const Options& options, const SymbolMetrics& g)
{
    const QuietZones q = Quiet(symbol, options);
    double total = g.Modules(q.top) + g.Modules(q.bottom) + g.textBand;
    for (const SymbolRow& row : symbol.rows)
        if (!(row.stretch > 0.0))
            total += g.Modules(row.height);
    return total;
}

bool Stretches(const EncodedSymbol& symbol)
{
    return StretchWeight(symbol) > 0.0;
}

namespace {

// The largest whole-pixel module at which the symbol fits `length` along and
// `thickness` across (0: any thickness); 0 when none does. Lengths grow with
// the module, so a bisection finds it; a symbol that does not grow with its
// module (nothing but text) takes 1.
std::int32_t LargestModule(const EncodedSymbol& symbol, const Options& options, double textBand, double length,
                           double thickness)
{
    const auto fits = [&](std::int64_t m) {
        const SymbolMetrics at = PixelMetrics(options, static_cast<std::int32_t>(m), textBand);
        if (!(SymbolLength(symbol, options, at) <= length))
            return false;
        return thickness == 0 || FitsAcross(symbol, options, at, thickness);
    };
    if (!fits(1))
        return 0;
    if (SymbolLength(symbol, options, PixelMetrics(options, 1, textBand)) ==
        SymbolLength(symbol, options, PixelMetrics(options, 2, textBand)))
        return 1;
    std::int64_t good = 1;
    std::int64_t bad = static_cast<std::int64_t>(length) + 1;
    while (bad - good > 1) {
        const std::int64_t middle = good + (bad - good) / 2;
        (fits(middle) ? good : bad) = middle;
    }
    return static_cast<std::int32_t>(good);
}

} // namespace

Status PixelImage(const EncodedSymbol& symbol, const Options& options, double textBand, SymbolFrame& frame,
                  std::int32_t& module)
{
    const bool horizontal = ReadsHorizontally(options.orientation);
    const std::int32_t givenLength = GivenPixels(horizontal ? options.width : options.height, options);
    double across = GivenPixels(horizontal ? options.height : options.width, options);
    if (across == 0 && Stretches(symbol))
        across = RoundHalfAway(DefaultSide(options));
    module = 0;
    frame = SymbolFrame{};
    frame.length = givenLength;
    if (givenLength == 0) {
        const std::int32_t dpi = Resolution(options);
        if (XDimToPixels(options.xDimension, dpi, dpi, options.unit, horizontal, &module) != 0 ||
            module < 1)
            return Status::InvalidArgument;
        frame.length = SymbolLength(symbol, options, PixelMetrics(options, module, textBand));
        // A length that no int32 holds cannot become an image side.
        if (!(frame.length > 0.0 && frame.length < std::numeric_limits<std::int32_t>::max()))
            return Status::InvalidArgument;
    }
    if (across == 0) {
        // As thick as the symbol at its module.
        const std::int32_t m = module > 0 ? module : LargestModule(symbol, options, textBand, frame.length, 0);
        if (m == 0)
            return Status::InvalidSize;
        across = FixedThickness(symbol, options, PixelMetrics(options, m, textBand));
        if (!(across <= std::numeric_limits<std::int32_t>::max()))
            return Status::InvalidSize;
    }
    frame.thickness = across;
    frame.area = ImageArea(options, frame.length, frame.thickness);
    return Status::Ok;
}

Status FitPixels(const EncodedSymbol& symbol, const Options& options, double textBand, const SymbolFrame& frame,
                 std::int32_t module, SymbolMetrics& g)
{
    if (module == 0)
        module = LargestModule(symbol, options, textBand, frame.length, frame.thickness);
    if (module == 0)
        return Status::InvalidSize;
    g = PixelMetrics(options, module, textBand);
    // The x-dimension is drawn as asked or not at all.
    if (!(SymbolLength(symbol, options, g) <= frame.length) || !FitsAcross(symbol, options, g, frame.thickness))
        return Status::InvalidSize;
    return Status::Ok;
}

Status FitExact(const EncodedSymbol& symbol, const Options& options, double textBand, SymbolMetrics& g,
                SymbolFrame& frame, double across)
{
    const std::int32_t dpi = Resolution(options);
    const SizeUnit unit = options.unit;
    const double module = SizeToPixels(options.xDimension, dpi, unit);
    if (!(module >= kMinExactModule && std::isfinite(module)))
        return Status::InvalidArgument;
    g = ExactMetrics(options, module, textBand);
    const std::int32_t givenAcross = ReadsHorizontally(options.orientation) ? options.height : options.width;
    if (givenAcross > 0)
        across = SizeToPixels(givenAcross, dpi, unit);
    else if (!(across > 0.0))
        across = Stretches(symbol) ? DefaultSide(options) : FixedThickness(symbol, options, g);
    const double length = SymbolLength(symbol, options, g);
    if (!std::isfinite(across))
        return Status::InvalidArgument;
    if (!std::isfinite(length) || !FitsAcross(symbol, options, g, across))
        return Status::InvalidSize;
    frame = SymbolFrame{};
    frame.length = length;
    frame.thickness = across;
    return Status::Ok;
}

Layout LayOutSymbol(const EncodedSymbol& symbol, const Options& options, const SymbolMetrics& g,
                    const SymbolFrame& frame)
{
    Layout out;
    out.area = frame.area;
    out.orientation = static_cast<std::int32_t>(options.orientation);
    out.length = frame.length;
    out.thickness = frame.thickness;
    out.paintBackground = !options.transparent;
    out.background = ToColour(options.background);
    out.barColour = ToColour(options.barColour);
    out.textColour = ToColour(options.textColour);

    const QuietZones q = Quiet(symbol, options);
    const bool text = ShowsText(symbol, options);
    const double band = text ? g.textBand : 0.0;
    const double fixed = FixedThickness(symbol, options, g);
    const double freeAlong = std::max(frame.length - SymbolLength(symbol, options, g), 0.0);
    const double along = AlignShift(options, g, freeAlong) + g.Modules(q.leading);
    // A stretching symbol fills the frame across; a fixed one is aligned in it.
    const bool stretches = Stretches(symbol);
    const double start = stretches ? 0.0 : AlignShift(options, g, frame.thickness - fixed);
    const double textAbove = text && !options.textBelow ? band : 0.0;

    // The rows' edges across, first to last: fixed rows their modules, the
    // stretching rows what is left by weight (whole pixels: each edge rounded).
    const double left = stretches ? std::max(frame.thickness - fixed, 0.0) : 0.0;
    const double weight = StretchWeight(symbol);
    std::vector<double> edges;
    edges.reserve(symbol.rows.size() + 1);
    double fixedSoFar = start + textAbove + g.Modules(q.top);
    double stretchSoFar = 0.0;
    const auto stretchEdge = [&] {
        const double share = weight > 0.0 ? left * stretchSoFar / weight : 0.0;
        return g.wholePixels ? std::round(share) : share;
    };
    edges.push_back(fixedSoFar);
    for (const SymbolRow& row : symbol.rows) {
        if (row.stretch > 0.0)
            stretchSoFar += row.stretch;
        else
            fixedSoFar += g.Modules(row.height);
        edges.push_back(fixedSoFar + stretchEdge());
    }
    const double rowsEnd = edges.back();

    // Bars lose the reduction on their trailing side; guard bars (with guards
    // shown) run into the text band, by half of it unless the symbol says.
    const double guardRun = text && options.showGuards ? GuardRun(symbol, g, band) : 0.0;
    const auto rowEdge = [&](std::int32_t row) {
        const auto last = static_cast<std::int32_t>(symbol.rows.size());
        return edges[static_cast<std::size_t>(std::clamp<std::int32_t>(row, 0, last))];
    };
    out.bars.reserve(symbol.darks.size());
    for (const DarkRect& dark : symbol.darks) {
        const double from = along + g.Along(dark.start);
        const double to = along + g.Along(End(dark.start, dark.length));
        double top = rowEdge(dark.row);
        double bottom = rowEdge(dark.row + dark.rows);
        if (dark.guard && guardRun > 0.0)
            (options.textBelow ? bottom : top) += options.textBelow ? guardRun : -guardRun;
        if (dark.addOn)
            (options.textBelow ? top : bottom) += options.textBelow ? band : -band;
        AddBox(out, {from, top, to - from - (dark.keepsWidth ? 0.0 : g.reduction), bottom - top});
    }

    if (!text)
        return out;
    // The pen runs on the band's descender line: the band's far edge below
    // the symbol, its near edge (the symbol's) above it.
    const double line = options.textBelow ? rowsEnd + g.Modules(q.bottom) + band : start + band;
    // An add-on's digits stand inside the rows on the other side: one band
    // from their near edge with the text below, on their far edge above.
    const double addOnLine = options.textBelow ? edges.front() + band : rowsEnd;
    out.texts.reserve(symbol.texts.size());
    for (const TextItem& item : symbol.texts)
        out.texts.push_back(
            PlaceText(item, options, g, along, item.role == TextRole::AddOn ? addOnLine : line, freeAlong));
    return out;
}

} // namespace kavren::detail
