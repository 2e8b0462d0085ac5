// The public library: options in, engine, renderer, bytes out. Everything a
// render uses lives on its own stack, so renders on several threads share
// nothing but constant tables.
#include "kavren/kavren.h"

#include "api/Compliance.h"
#include "api/RenderSteps.h"
#include "engine/Barcode.h"
#include "engine/SymbolLayout.h"
#include "image/EpsWriter.h"
#include "image/GlyphPlacement.h"
#include "image/MyPngWriter.h"
#include "image/RasterRenderer.h"
#include "image/SvgWriter.h"
#include "image/VectorLimits.h"
#include "symbologies/Symbologies.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>
#include <new>
#include <optional>
#include <string_view>
#include <utility>

namespace kavren {

// The library's own internals.
using namespace detail;

namespace {

// The raster starts white and the background colour is painted over it;
// transparent, it starts as the background colour at alpha 0 instead.
constexpr Colour kRasterWhite = 0xffffff;
constexpr int kDefaultCompression = -2;
// 9999-12-31 23:59:59 UTC: the PNG text time stamp has four year digits.
constexpr std::int64_t kLastTimestamp = 253402300799;

// The colour the raster starts as. A two-colour raster starts as the
// background, so its palette holds no white that the background covers.
Colour Canvas(const Options& o)
{
    return o.transparent || o.mono ? ToColour(o.background) : kRasterWhite;
}

const char* FontPath(const Options& o)
{
    return o.font.empty() ? nullptr : o.font.c_str();
}

std::string Number(double value)
{
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc{} ? std::string(text, end) : std::string("?");
}

} // namespace

std::string detail::FindInvalidOption(const Options& o)
{
    if (o.width < 0)
        return "width must not be negative";
    if (o.height < 0)
        return "height must not be negative";
    if (!(o.xDimension > 0.0 && std::isfinite(o.xDimension)))
        return "xDimension must be above 0";
    switch (o.orientation) {
    case Orientation::Deg0:
    case Orientation::Deg90:
    case Orientation::Deg180:
    case Orientation::Deg270: break;
    default: return "orientation must be 0, 90, 180 or 270";
    }
    if (o.barcodeAlign < BarcodeAlign::Start || o.barcodeAlign > BarcodeAlign::Centre)
        return "barcodeAlign is none of the named alignments";
    if (o.textAlign < TextAlign::Start || o.textAlign > TextAlign::EanInside)
        return "textAlign is none of the named alignments";
    if (!(o.wideToNarrow >= kMinWideToNarrow && std::isfinite(o.wideToNarrow)))
        return "wideToNarrow must be " + Number(kMinWideToNarrow) + " or more";
    if (o.barReduction < -kMaxBarReduction || o.barReduction > kMaxBarReduction)
        return "barReduction must be within -" + Number(kMaxBarReduction) + ".." + Number(kMaxBarReduction);
    if (o.fontHeight < 1)
        return "fontHeight must be 1 or more";
    if (o.bearer < Bearer::None || o.bearer > Bearer::Box)
        return "bearer is none of the named styles";
    if (o.bearerWidth < 1 || o.bearerWidth > kMaxBearerWidth)
        return "bearerWidth must be within 1.." + Number(kMaxBearerWidth);
    if (o.timestamp && (*o.timestamp < 0 || *o.timestamp > kLastTimestamp))
        return "timestamp must be within the years 1970 to 9999";
    if (o.format < Format::Png || o.format > Format::Eps)
        return "format is none of the named formats";
    if (o.unit < Unit::Pixels || o.unit > Unit::Mils)
        return "unit is none of the named units";
    if (o.dpi < 0 || o.dpi > kMaxDpi)
        return "dpi must be within 1.." + Number(kMaxDpi) + ", or 0 for " + Number(kDefaultDpi);
    if (o.font.find('\0') != std::string::npos)
        return "font holds a NUL byte";
    return {};
}

CBarcodeSettings detail::ClassicSettings(const Options& o, const char* data)
{
    CBarcodeSettings s;
    s.m_Type = static_cast<std::int32_t>(o.symbology);
    s.m_Data = data;
    s.m_FontHeight = o.fontHeight;
    s.m_Orientation = static_cast<std::int32_t>(o.orientation);
    s.m_BackColor = ToColour(o.background);
    s.m_BarColor = ToColour(o.barColour);
    s.m_TextColor = ToColour(o.textColour);
    s.m_QuietZones = o.quietZones;
    s.m_BarcodeAlign = static_cast<std::int32_t>(o.barcodeAlign);
    s.m_TextAlign = static_cast<std::int32_t>(o.textAlign);
    s.m_ShowGuards = o.showGuards;
    s.m_ShowText = o.showText;
    s.m_TextBelow = o.textBelow;
    s.m_ShowStartStop = o.showStartStop;
    s.m_ShowCheckDigit = o.showCheckDigit;
    s.m_CalcCheckDigit = o.calcCheckDigit;
    s.m_ConvertNonPrinting = o.convertNonPrinting;
    s.m_Compliant = o.compliant;
    s.m_Code128Charset = static_cast<std::int32_t>(o.code128Set);
    s.m_WideToNarrow = o.wideToNarrow;
    s.m_BarReduction = o.barReduction;
    s.m_EanTextFlush = o.eanTextFlush;
    s.m_Gs1Check = o.gs1Check;
    s.m_KeepBackground = o.transparent;
    s.m_Bearer = static_cast<BearerStyle>(o.bearer);
    s.m_BearerWidth = o.bearerWidth;
    return s;
}

std::optional<detail::EncodeResult> detail::EncodeDirect(const Options& options, std::string_view data)
{
    const SymbologyRow* row = FindSymbology(static_cast<std::int32_t>(options.symbology));
    if (row == nullptr || row->encode == nullptr)
        return std::nullopt;
    return EncodeWith(*row, options, data);
}

Status detail::SetUpClassic(const Options& options, CBarcode& manager)
{
    if (!manager.GetSymbology())
        return Status::CantSetType;
    detail::FitCompliantText(options, *manager.GetSymbology());
    return Status::Ok;
}

namespace {

// Hands a whole document to the sink; false when it refuses it or throws, as
// the PNG's sink is treated.
bool Deliver(const ByteSink& sink, const std::string& document)
{
    try {
        return sink(reinterpret_cast<const std::uint8_t*>(document.data()), document.size());
    } catch (...) {
        return false;
    }
}

// The drawn PNG with the resolution and time the options give, into the sink.
Status WritePng(CMyPngWriter& writer, const Options& options, const ByteSink& sink)
{
    if (options.dpi > 0)
        writer.m_PixelsPerMetre = CMyPngWriter::PixelsPerMetre(options.dpi);
    if (options.timestamp)
        writer.m_Timestamp = static_cast<std::time_t>(*options.timestamp);
    return writer.WriteToSink(sink) ? Status::Ok : Status::CantCloseFile;
}

// The shapes as an SVG or EPS document (`title` names it), written whole and
// then handed to the sink: CantInitPng for a layout or a document beyond the
// vector limits.
Status WriteVector(const Options& options, const Layout& layout, CFontFace& face, const std::string& title,
                   const ByteSink& sink)
{
    if (!detail::VectorLayoutFits(layout))
        return Status::CantInitPng;
    VectorOptions vector;
    vector.dpi = Resolution(options);
    vector.unit = options.unit;
    vector.fontPath = FontPath(options);
    vector.face = &face;
    vector.title = title;
    std::string document;
    const bool written = options.format == Format::Svg ? WriteSvg(layout, vector, document)
                                                       : WriteEps(layout, vector, document);
    if (!written || document.size() > detail::kMaxVectorDocument)
        return Status::CantInitPng;
    return Deliver(sink, document) ? Status::Ok : Status::CantCloseFile;
}

// The widest ink of the symbol's texts in pixels at the resolution, drawn
// along the reading direction.
double TextInk(const detail::EncodedSymbol& symbol, const Options& options, const CFontFace& face)
{
    const std::int32_t dpi = Resolution(options);
    double widest = 0.0;
    for (const detail::TextItem& item : symbol.texts) {
        std::int64_t left = 0;
        std::int64_t right = 0;
        bool inked = false;
        PlaceGlyphs(face, dpi, dpi, reinterpret_cast<const unsigned char*>(item.text.data()),
                    item.text.size(), options.fontHeight, 0, 0, 0, 0, 0.0, EGlyphLoad::kSmooth,
                    [&](FT_GlyphRec_* glyph, std::int64_t x, std::int64_t) {
                        FT_BBox box{};
                        FT_Glyph_Get_CBox(glyph, FT_GLYPH_BBOX_PIXELS, &box);
                        left = inked ? std::min<std::int64_t>(left, x + box.xMin) : x + box.xMin;
                        right = inked ? std::max<std::int64_t>(right, x + box.xMax) : x + box.xMax;
                        inked = true;
                    });
        if (inked)
            widest = std::max(widest, static_cast<double>(right - left));
    }
    return widest;
}

// Whether the symbol's text may be wider than the symbol, so that the image
// grows for it (FitWideText): a matrix or stacked symbol's.
bool TextMayWiden(const detail::EncodedSymbol& symbol)
{
    return symbol.kind == detail::SymbolKind::Matrix || symbol.kind == detail::SymbolKind::Stacked;
}

// The text (HRI) of a matrix or stacked symbol may be wider than the
// symbol: a GS1 DataBar Stacked's element string is. An image as long as the
// symbol (its length not given) then grows along to hold the text, by an
// even number of pixels, with the symbol centred in it and its text centred
// on it. `drawn` gets the options to lay it out with; the symbol to lay out
// is returned: `symbol`, or its copy in `centred` with its texts centred.
const detail::EncodedSymbol& FitWideText(const detail::EncodedSymbol& symbol, const Options& options,
                                         const CFontFace& face, detail::SymbolFrame& frame, Options& drawn,
                                         std::optional<detail::EncodedSymbol>& centred)
{
    drawn = options;
    if (!TextMayWiden(symbol) || !detail::ShowsText(symbol, options))
        return symbol;
    constexpr double kTextMargin = 2.0; // pixels of background either side of the text
    const double needed = TextInk(symbol, options, face) + 2.0 * kTextMargin;
    if (!(needed > frame.length))
        return symbol;
    const bool whole = frame.area.right > 0;
    const double extra = whole ? 2.0 * std::ceil((needed - frame.length) / 2.0) : needed - frame.length;
    frame.length += extra;
    if (whole) {
        const auto along = static_cast<std::int32_t>(std::min(frame.length, static_cast<double>(INT32_MAX)));
        (ReadsHorizontally(options.orientation) ? frame.area.right : frame.area.bottom) = along;
    }
    drawn.barcodeAlign = BarcodeAlign::Centre;
    constexpr auto kCentred = static_cast<std::int32_t>(TextAlign::Centre);
    const auto isCentred = [](const detail::TextItem& item) { return item.align == kCentred; };
    if (std::all_of(symbol.texts.begin(), symbol.texts.end(), isCentred))
        return symbol;
    centred = symbol;
    for (detail::TextItem& item : centred->texts)
        item.align = kCentred;
    return *centred;
}

// A text with ink outside the image is not the label asked for: the image
// is written, as it always was, with a warning.
void WarnOfCutText(const CImageWriter& writer, std::vector<std::string>& warnings)
{
    if (writer.TextCut())
        warnings.push_back("the human-readable text does not fit the image: part of it is cut");
}

// The detail line of an image side past the limit (CImageWriter::kMaxDimension).
std::string PastSideLimit(const std::string& side)
{
    return "image " + side + " exceeds 1,000,000 pixels";
}

// The image in whole pixels, as the PNG draws it: fixed when its side along
// the reading direction is given, else that side follows from the module
// width, rounded to whole pixels as the engine rounds it (`module`; 0 for
// a fixed image). `why`: the limit a symbol too long for any image broke.
Status PixelArea(const Options& o, const CBarcode& manager, Rect& area, std::int32_t& module, std::string& why)
{
    module = 0;
    const bool horizontal = ReadsHorizontally(o.orientation);
    std::int32_t width = GivenPixels(o.width, o);
    std::int32_t height = GivenPixels(o.height, o);
    if ((horizontal ? width : height) == 0) {
        const std::int32_t dpi = Resolution(o);
        double length = 0.0;
        if (XDimToPixels(o.xDimension, dpi, dpi, o.unit, horizontal, &module) != 0)
            return Status::InvalidArgument;
        // Invalid data leaves no symbol to measure (nothing at all without
        // quiet zones): that is the data's fault, as with them.
        if (manager.CalcSymbolLength(module, 1, 1, SizeUnit::Pixels, &length) != 0) {
            const CBarcodeSym& sym = *manager.GetSymbology();
            if (module < 1)
                return Status::InvalidArgument;
            if (!sym.m_Valid)
                return Status::InvalidText;
            // A length that no int32 holds cannot become an image side: an
            // image too large, as one past the side limit is. A module width
            // that saturated the conversion is no width at all.
            if (module == INT32_MAX || sym.GetSymbolLength(module) != INT32_MAX)
                return Status::InvalidArgument;
            why = PastSideLimit(std::string(horizontal ? "width" : "height") + " at a module of " +
                                std::to_string(module) + " pixels");
            return Status::CantInitPng;
        }
        if (!(length >= 0.0))
            return Status::InvalidArgument;
        (horizontal ? width : height) = static_cast<std::int32_t>(length);
    }
    std::int32_t side = RoundHalfAway(DefaultSide(o));
    if (std::int32_t pixels = 0; o.compliant && (horizontal ? height : width) == 0 &&
                                 XDimToPixels(o.xDimension, Resolution(o), Resolution(o), o.unit,
                                              horizontal, &pixels) == 0)
        if (const double across = detail::CompliantAcross(o, *manager.GetSymbology(), pixels); across > 0.0)
            side = std::max(RoundHalfAway(std::min(across, static_cast<double>(INT32_MAX))), 1);
    area = Rect{0, width > 0 ? width : side, 0, height > 0 ? height : side};
    return Status::Ok;
}

// Why a font file cannot be used, for the detail line: the system's reason
// when it cannot be read, else that it holds no font FreeType loads.
std::string FontFailure(const std::string& font)
{
    if (font.empty())
        return "the embedded font cannot be loaded";
    std::FILE* file = std::fopen(font.c_str(), "rb");
    if (!file)
        return "font " + font + ": " + std::strerror(errno);
    std::fclose(file);
    return "font " + font + ": not a TrueType or OpenType font";
}

// Which limit the raster broke (CImageWriter::Init), else the font that failed.
std::string InitFailure(const Options& o, const Rect& area, std::int32_t channels)
{
    const auto side = [](const char* name, std::int32_t pixels) {
        std::string text(name);
        text += ' ';
        text += std::to_string(pixels);
        return PastSideLimit(text);
    };
    if (area.right > CImageWriter::kMaxDimension)
        return side("width", area.right);
    if (area.bottom > CImageWriter::kMaxDimension)
        return side("height", area.bottom);
    const std::int64_t bytes = std::int64_t{area.right} * area.bottom * channels;
    if (bytes > CImageWriter::kMaxRasterBytes)
        return "image of " + std::to_string(area.right) + " x " + std::to_string(area.bottom) +
               " pixels exceeds the raster limit of 1 GiB";
    CFontFace face;
    if (face.Open(FontPath(o)) != 0)
        return FontFailure(o.font);
    return "no memory for a raster of " + std::to_string(area.right) + " x " + std::to_string(area.bottom) +
           " pixels";
}

// The x-dimension is drawn as asked or not at all: a symbol whose bars find
// no room across at that width (beside bearer bars) must not be drawn
// narrower in an image sized for the wider one. `module` 0: a fixed image.
bool DrawnAsAsked(const detail::SymbolMetrics& g, std::int32_t module)
{
    return module <= 0 || g.module == module;
}

// The image in whole pixels: as the element pattern measures it (PixelArea)
// with `pattern`, else as the encoded symbol does (PixelImage).
Status SizeImage(const detail::EncodedSymbol& symbol, const Options& options, double band,
                 const detail::PatternImage* pattern, detail::SymbolFrame& frame, std::int32_t& module)
{
    if (pattern == nullptr)
        return detail::PixelImage(symbol, options, band, frame, module);
    Rect area;
    if (const Status status = PixelArea(options, pattern->manager, area, module, pattern->why);
        status != Status::Ok)
        return status;
    const bool horizontal = ReadsHorizontally(options.orientation);
    frame = detail::SymbolFrame{};
    frame.area = area;
    frame.length = horizontal ? area.right : area.bottom;
    frame.thickness = horizontal ? area.bottom : area.right;
    return Status::Ok;
}

// The whole-pixel metrics in the image: a pattern's symbol takes the widest
// module its image holds (DrawnAsAsked then judges it), any other symbol the
// module it was sized for.
Status FitImage(const detail::EncodedSymbol& symbol, const Options& options, double band,
                const detail::SymbolFrame& frame, std::int32_t module, const detail::PatternImage* pattern,
                detail::SymbolMetrics& g)
{
    return detail::FitPixels(symbol, options, band, frame, pattern != nullptr ? 0 : module, g);
}

// The encoded symbol as a PNG, in the order of the checks of every PNG: the
// image's size, the image, then the fit at the text band it measures, then
// the data.
Status RenderSymbolPng(const Options& options, const detail::EncodedSymbol& symbol, bool valid,
                       const ByteSink& sink, std::vector<std::string>& warnings,
                       const detail::PatternImage* pattern)
{
    const std::int32_t dpi = Resolution(options);
    const bool text = detail::ShowsText(symbol, options);
    // A symbol that does not stretch across is as thick as its text band
    // makes it, so the band is measured before the image is made; a text
    // that may widen the image is measured then too (FitWideText).
    double band = 0.0;
    CFontFace face;
    const bool stretches = detail::Stretches(symbol);
    if (text && (!stretches || TextMayWiden(symbol))) {
        if (face.Open(FontPath(options)) != 0)
            return Status::CantInitPng;
        if (!stretches)
            band = MeasureTextBand(face, options.fontHeight, dpi, dpi);
    }
    detail::SymbolFrame frame;
    std::int32_t module = 0;
    if (const Status status = SizeImage(symbol, options, band, pattern, frame, module); status != Status::Ok)
        return status;
    Options drawn = options;
    std::optional<detail::EncodedSymbol> centred;
    const detail::EncodedSymbol& shown =
        module > 0 && text ? FitWideText(symbol, options, face, frame, drawn, centred) : symbol;
    CMyPngWriter writer(frame.area.right, frame.area.bottom, FontPath(options), dpi, dpi, Canvas(options),
                        kDefaultCompression);
    writer.SetAlpha(options.transparent);
    writer.SetIndexed(options.mono);
    if (!writer.Init()) {
        if (pattern != nullptr)
            pattern->why = InitFailure(options, frame.area, writer.GetChannels());
        return Status::CantInitPng;
    }
    if (text)
        band = writer.MeasureTextHeight(options.fontHeight);
    detail::SymbolMetrics g;
    if (const Status status = FitImage(symbol, options, band, frame, module, pattern, g);
        status != Status::Ok)
        return status;
    if (!valid)
        return Status::InvalidText;
    DrawLayout(writer, detail::LayOutSymbol(shown, drawn, g, frame));
    if (const int height = writer.FailedFontHeight(); height != 0) {
        if (pattern != nullptr)
            pattern->why = "a glyph of the text cannot be rendered at font height " + std::to_string(height);
        return Status::CantInitPng;
    }
    if (pattern != nullptr && !DrawnAsAsked(g, module))
        return Status::InvalidSize;
    WarnOfCutText(writer, warnings);
    return WritePng(writer, options, sink);
}

// The encoded symbol as SVG or EPS: whole pixels when the unit is pixels or
// the side along is given, else exact lengths.
Status RenderSymbolVector(const Options& options, const detail::EncodedSymbol& symbol,
                          const std::string& title, bool valid, const ByteSink& sink,
                          const detail::PatternImage* pattern)
{
    // The font is loaded whether or not text is shown, as for the PNG.
    CFontFace face;
    if (face.Open(FontPath(options)) != 0) {
        if (pattern != nullptr)
            pattern->why = FontFailure(options.font);
        return Status::CantInitPng;
    }
    const std::int32_t dpi = Resolution(options);
    const double band =
        detail::ShowsText(symbol, options) ? MeasureTextBand(face, options.fontHeight, dpi, dpi) : 0.0;
    detail::SymbolMetrics g;
    detail::SymbolFrame frame;
    const bool exact = options.unit != Unit::Pixels &&
                       (ReadsHorizontally(options.orientation) ? options.width : options.height) <= 0;
    Options drawn = options;
    std::optional<detail::EncodedSymbol> centred;
    const detail::EncodedSymbol* shown = &symbol;
    std::int32_t module = 0;
    if (exact) {
        double across = 0.0;
        if (pattern != nullptr) {
            // A module no whole number of pixels holds is refused as the PNG refuses it.
            const double exactModule = SizeToPixels(options.xDimension, dpi, options.unit);
            if (!(exactModule <= static_cast<double>(INT32_MAX)))
                return Status::InvalidArgument;
            across = detail::CompliantAcross(options, *pattern->manager.GetSymbology(), exactModule);
        }
        if (const Status status = detail::FitExact(symbol, options, band, g, frame, across);
            status != Status::Ok)
            return status;
        shown = &FitWideText(symbol, options, face, frame, drawn, centred);
    } else {
        if (const Status status = SizeImage(symbol, options, band, pattern, frame, module);
            status != Status::Ok)
            return status;
        if (module > 0)
            shown = &FitWideText(symbol, options, face, frame, drawn, centred);
        if (const Status status = FitImage(symbol, options, band, frame, module, pattern, g);
            status != Status::Ok)
            return status;
    }
    if (!valid)
        return Status::InvalidText;
    if (pattern != nullptr && !DrawnAsAsked(g, module))
        return Status::InvalidSize;
    return WriteVector(drawn, detail::LayOutSymbol(*shown, drawn, g, frame), face, title, sink);
}

} // namespace

Status detail::RenderSymbol(const Options& options, const EncodedSymbol& symbol, const std::string& title,
                            bool valid, const ByteSink& sink, std::vector<std::string>& warnings,
                            const PatternImage* pattern)
{
    return options.format == Format::Png ? RenderSymbolPng(options, symbol, valid, sink, warnings, pattern)
                                         : RenderSymbolVector(options, symbol, title, valid, sink, pattern);
}

namespace {

// A classic symbology's object drawn through its encoded symbol, at the font
// height its text was fitted to (FitCompliantText) and titled by its text.
Status RenderPattern(const Options& options, const CBarcode& manager, const ByteSink& sink, std::string& why,
                     std::vector<std::string>& warnings)
{
    const CBarcodeSym& sym = *manager.GetSymbology();
    Options drawn = options;
    drawn.fontHeight = sym.m_FontHeight;
    const detail::PatternImage pattern{manager, why};
    return detail::RenderSymbol(drawn, sym.ToEncodedSymbol(), sym.m_DisplayText, sym.m_Valid, sink, warnings,
                                &pattern);
}

// The title of a vector document: the symbol's main text, else the data.
std::string SymbolTitle(const detail::EncodedSymbol& symbol, std::string_view data)
{
    for (const detail::TextItem& item : symbol.texts)
        if (item.role == detail::TextRole::Main || item.role == detail::TextRole::Gs1Hri)
            return item.text;
    return std::string(data);
}

// Build the symbol, then draw it in the format asked for. `why`: what a
// failed data check said, or which limit or font failed the image;
// `warnings`: what a drawn symbol changed of the data.
Status RenderBarcode(const Options& options, const char* data, const ByteSink& sink, std::string& why,
                     std::vector<std::string>& warnings)
{
    if (std::optional<detail::EncodeResult> encoded = detail::EncodeDirect(options, data)) {
        if (!*encoded) {
            why = std::move(encoded->detail);
            return encoded->status;
        }
        return detail::RenderSymbol(options, encoded->symbol, SymbolTitle(encoded->symbol, data), true, sink,
                                    warnings);
    }
    CBarcode manager(CreateBarcodeSym, detail::ClassicSettings(options, data));
    if (const Status status = detail::SetUpClassic(options, manager); status != Status::Ok)
        return status;
    const Status status = RenderPattern(options, manager, sink, why, warnings);
    if (status == Status::InvalidText)
        why = manager.GetSymbology()->m_ErrorDetail;
    if (status == Status::Ok && !manager.GetSymbology()->m_Warning.empty())
        warnings.insert(warnings.begin(), manager.GetSymbology()->m_Warning);
    return status;
}

} // namespace

std::string_view StatusMessage(Status status)
{
    switch (status) {
    case Status::Ok: return "Ok.";
    case Status::InvalidArgument: return "Error: Invalid argument.";
    case Status::Fail: return "Error: Fail.";
    case Status::CantInitPng: return "Error: Cant initialize PNG creator.";
    case Status::CantSetType: return "Error: Cant set up a barcode type (symbology)";
    case Status::InvalidSize: return "Error: Invalid barcode size.";
    case Status::InvalidText: return "Error: Invalid barcode text.";
    case Status::NoFileName: return "Error: Output file name cant be empty.";
    case Status::CantOpenFile: return "Error: Cant open output file.";
    case Status::CantCloseFile: return "Error: Cant close output file.";
    case Status::UnknownException: return "Error: Unknown exception.";
    }
    return "Error: Unknown error.";
}

Result Render(const Options& options)
{
    return Render(options, options.data);
}

Result Render(const Options& options, std::string_view data)
{
    std::vector<std::uint8_t> bytes;
    Result result = Render(options, data, [&bytes](const std::uint8_t* piece, std::size_t size) {
        bytes.insert(bytes.end(), piece, piece + size);
        return true;
    });
    // Collecting in memory fails only when memory does.
    if (result.status == Status::CantCloseFile)
        return detail::Outcome<Result>(Status::Fail);
    result.bytes = std::move(bytes);
    return result;
}

Result Render(const Options& options, std::string_view data, const ByteSink& sink)
{
    const int callerErrno = errno;
    try {
        if (std::string invalid = detail::FindInvalidOption(options); !invalid.empty())
            return detail::Outcome<Result>(Status::InvalidArgument, std::move(invalid));
        // The symbologies read their data as C text, as the command line hands it over.
        if (data.find('\0') != std::string_view::npos)
            return detail::Outcome<Result>(Status::InvalidText, "the data holds a NUL byte");
        std::string detail;
        std::vector<std::string> warnings;
        if (const Status status = RenderBarcode(detail::CompliantOptions(options),
                                                std::string(data).c_str(), sink, detail, warnings);
            status != Status::Ok)
            return detail::Outcome<Result>(status, std::move(detail));
        errno = callerErrno; // the libraries below may have left theirs
        Result result = detail::Outcome<Result>(Status::Ok);
        result.warnings = std::move(warnings);
        return result;
    } catch (const std::bad_alloc&) {
        return detail::Outcome<Result>(Status::Fail);
    } catch (...) {
        return detail::Outcome<Result>(Status::UnknownException);
    }
}

} // namespace kavren
