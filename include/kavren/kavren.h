// kavren: barcodes as images, rendered into memory.
//
//   kavren::Options options;
//   options.symbology = kavren::Symbology::Ean13;
//   options.data = "590123412345";
//   kavren::Result result = kavren::Render(options);
//   if (!result)
//       std::cerr << result.message << '\n';   // "Error: Invalid barcode text."
//   else
//       write(result.bytes);                   // a whole PNG file
//
// Options start with the command line's defaults, and every command-line
// option is a field here: `kavren -t 11 -d 590123412345 out.png` writes the
// very bytes Render gives for the options above.
//
// Render reads only its arguments and writes only its result: no global or
// cached state, so any number of threads may render at once, each with its
// own or a shared const Options. It never prints, never exits, installs no
// signal handler, leaves the locale, the umask, the working directory and
// (on success) errno as they were, and releases everything it took.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavren {

// The symbologies, numbered as the command line's -t numbers them.
enum class Symbology : std::int32_t {
    Interleaved2of5 = 0,
    Industrial2of5 = 1,
    Code39 = 2,
    Code39Extended = 3,
    Code11 = 4,
    Codabar = 5,
    Msi = 6,
    Code128 = 7,
    Ean2 = 8,
    Ean5 = 9,
    Ean8 = 10,
    Ean13 = 11,
    Ean14 = 12,
    UpcA = 13,
    UpcE = 14,
    UccEan128 = 15,
    Sscc18 = 16,
    PostNet = 17,
    Planet = 18,
    Code93 = 19,
    Code93Extended = 20,
    Itf14 = 21,
    DataMatrix = 22,
    Gs1DataMatrix = 23,
    QrCode = 24,
    Gs1QrCode = 25,
    MicroQrCode = 26,
    IntelligentMail = 27,
    Rm4scc = 28,
    Kix = 29,
    AusPost = 30,
    AusPostReply = 31,
    AusPostRouting = 32,
    AusPostRedirect = 33,
    DataBar = 34,
    DataBarTruncated = 35,
    DataBarStacked = 36,
    DataBarStackedOmni = 37,
    DataBarExpanded = 38,
    DataBarExpandedStacked = 39,
};

// Rotation of bars and text together, counter-clockwise as seen in the image.
enum class Orientation : std::int32_t { Deg0 = 0, Deg90 = 90, Deg180 = 180, Deg270 = 270 };

// Where the symbol sits along the reading direction when the image is longer.
enum class BarcodeAlign : std::int32_t { Start = 0, End = 1, Centre = 2 };

// The human-readable text's layout. Start to Spread place the text as one
// run over the bars; the Ean layouts split EAN-13, EAN-8, UPC-A and UPC-E
// text into the digit groups of their halves (other symbologies draw them
// like Start).
enum class TextAlign : std::int32_t {
    Start = 0,             // from the first bar
    End = 1,               // ending at the last bar
    Centre = 2,            // centred over the bars
    Spread = 3,            // spread over the bars
    EanLeadingOutside = 4, // digit groups, the leading digit left of the bars
    EanBothOutside = 5,    // digit groups, leading and last digit outside
    EanInside = 6,         // digit groups, every digit under the bars
};

// Code 128's code set. A value beyond C (the command line's -a 4) selects no
// set at all: no Code 128 data can then be drawn (Status::InvalidText).
enum class Code128Set : std::int32_t { Auto = 0, A = 1, B = 2, C = 3 };

// Bearer bars of Interleaved 2 of 5 and ITF-14 (other symbologies draw none):
// a bar of the bar colour along the top and the bottom of the bars, across
// the symbol and its quiet zones, or a closed frame around bars and quiet zones.
enum class Bearer : std::int32_t { None = 0, Bars = 1, Box = 2 };

// What Render writes into Result::bytes.
enum class Format : std::int32_t {
    Png = 0, // an 8-bit RGB PNG file (RGBA when transparent)
    Svg = 1, // a standalone SVG 1.1 document, text as glyph outlines
    Eps = 2, // Encapsulated PostScript 3.0, text as glyph outlines
};

// The unit of xDimension, width and height; other than pixels they are
// converted at the resolution (Options::dpi).
enum class Unit : std::int32_t { Pixels = 0, Millimetres = 1, Inches = 2, Mils = 3 };

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    // From 0xRRGGBB, as the command line's colour options write it.
    static constexpr Rgb FromHex(std::uint32_t rrggbb)
    {
        return {static_cast<std::uint8_t>(rrggbb >> 16), static_cast<std::uint8_t>(rrggbb >> 8),
                static_cast<std::uint8_t>(rrggbb)};
    }
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// The bounds Render checks besides the named choices (the command line's
// ranges read the same constants).
inline constexpr float kMinWideToNarrow = 2.0F;      // below 2 a reader cannot tell wide from narrow
inline constexpr float kDefaultWideToNarrow = 2.5F;  // the wide element when none is given
inline constexpr std::int32_t kMaxBarReduction = 99; // percent of a module, either way
inline constexpr std::int32_t kDefaultDpi = 96;      // the resolution when none is given
inline constexpr std::int32_t kMaxDpi = 100000;
inline constexpr std::int32_t kMaxBearerWidth = 100; // modules

// One barcode. Plain value: copy it, change the data, render it anywhere.
struct Options {
    Symbology symbology = Symbology::Code128;
    std::string data = "1234567"; // any bytes; what each symbology accepts is its own rule

    // Image size in `unit`s; 0 is "not given". The side along the reading
    // direction (the width at 0 and 180 degrees), when given, fixes the image
    // and the widest whole-pixel module that fits is taken; when not given, it
    // follows from xDimension. The side across it is 200 pixels when not given.
    std::int32_t width = 0;
    std::int32_t height = 0;
    // Module width in `unit`s, above 0. The PNG rounds it to whole pixels; SVG
    // and EPS at a physical unit keep it exact.
    double xDimension = 2.0;
    Unit unit = Unit::Pixels;
    // Dots per inch, 1..kMaxDpi; 0 is "not given": kDefaultDpi, and the PNG
    // states no resolution (pHYs). Physical units convert at it, and the font
    // height is in points at it, so text keeps its physical size.
    std::int32_t dpi = 0;

    Orientation orientation = Orientation::Deg0;
    Rgb background{255, 255, 255};
    Rgb barColour{0, 0, 0};
    Rgb textColour{0, 0, 0};
    bool quietZones = true; // 10 modules on both sides
    BarcodeAlign barcodeAlign = BarcodeAlign::Centre;
    TextAlign textAlign = TextAlign::Start;
    bool showGuards = true; // EAN/UPC guard bars drawn long
    bool showText = true;
    bool textBelow = true; // text after the bars across the reading direction
    bool showStartStop = false;
    bool showCheckDigit = true;
    bool calcCheckDigit = true;
    bool eanTextFlush = false;      // EAN/UPC digit groups not inset by one module
    bool convertNonPrinting = true; // control characters shown by name
    Code128Set code128Set = Code128Set::Auto;
    float wideToNarrow = kDefaultWideToNarrow; // wide element in narrow modules, kMinWideToNarrow and above
    std::int32_t barReduction = 0; // percent of a module taken from each bar, ±kMaxBarReduction
    std::int32_t fontHeight = 14;  // points at the resolution, 1 and above
    // A TrueType or OpenType file for the text; empty: the embedded font. A
    // font that cannot be loaded fails the render with CantInitPng.
    std::string font;
    // GS1 data (UCC/EAN-128, SSCC-18, EAN-14) checked against the GS1 syntax
    // instead of corrected: a failure is Status::InvalidText with the rule in
    // Result::detail, e.g. "AI (17): 261332 is not a date".
    bool gs1Check = false;
    Bearer bearer = Bearer::None; // part of the symbol's extent: sizes count them, the text stays outside
    std::int32_t bearerWidth = 5; // in modules, 1..kMaxBearerWidth (GS1: at least twice the narrow bar)

    Format format = Format::Png;
    // No background: the PNG is RGBA with the background at alpha 0 (bars
    // opaque, the text's anti-aliasing in alpha); SVG and EPS leave it out.
    bool transparent = false;
    // The time written into the PNG (tIME and "Creation Time"), seconds since
    // 1970 UTC; the time of the render when not given. Give it to get the
    // same bytes from every render.
    std::optional<std::int64_t> timestamp;

    // ---- Added after 1.5; the defaults change nothing of the above ----
    // Two colours and nothing else: text without anti-aliasing, hinted for
    // the pixel grid; the PNG at 1 bit per pixel with a two-entry palette.
    // SVG and EPS are the same with or without it.
    bool mono = false;
    // Quiet zones, human-readable layouts, text and bar heights, bearers and
    // Code 128 code sets as the GS1 and ISO/IEC rules draw them.
    bool compliant = false;
    // A forced symbol size (0: the smallest that holds the data): the QR Code
    // version 1..40 or Micro QR M1..M4 as 1..4; Data Matrix rows x columns.
    std::int32_t version = 0;
    std::int32_t matrixRows = 0;
    std::int32_t matrixColumns = 0;
    // QR Code error correction level (ISO/IEC 18004 7.5.1).
    enum class EcLevel : std::int32_t { L = 0, M = 1, Q = 2, H = 3 };
    EcLevel ecLevel = EcLevel::M;
    std::int32_t mask = -1; // QR Code data mask 0..7; -1 chosen by the penalty rules
    std::int32_t eci = -1;  // an ECI designator written before the data; -1 none
    bool dmre = false;      // Data Matrix rectangular extensions (ISO/IEC 21471) allowed
    bool hri = false;       // matrix and 4-state postal symbols: the data drawn as text under the symbol
    // A GS1 Digital Link URI prefix (e.g. "https://id.gs1.org"): GS1 data is
    // encoded as that URI instead of as element strings. Empty: off.
    std::string digitalLink;
    std::int32_t segments = 0; // DataBar Expanded (Stacked): segments per row, even 2..22; 0 the default
};

// The command line's exit statuses. Render returns 0 to 6; the file
// statuses 11 to 13 belong to programs that write files, as the command line.
enum class Status : std::int32_t {
    Ok = 0,
    InvalidArgument = 1, // an option out of its range, or no length for the x-dimension
    Fail = 2,            // out of memory
    CantInitPng = 3,     // the image cannot be made: too large (a side above 1,000,000 pixels at the
                         // resolution in every format, a raster above 1 GiB, an SVG or EPS document
                         // above 32 MiB), or the font or a glyph of the text fails
    CantSetType = 4,     // no such symbology
    InvalidSize = 5,     // the symbol does not fit the fixed image
    InvalidText = 6,     // the data is not valid for the symbology
    NoFileName = 11,
    CantOpenFile = 12,
    CantCloseFile = 13,
    UnknownException = 14,
};

// The command line's message for a status ("Error: Invalid barcode text.");
// "Error: Unknown error." for a number that names none.
std::string_view StatusMessage(Status status);

struct Result {
    Status status = Status::Ok;
    std::string_view message;        // StatusMessage(status): static text
    std::string detail;              // what exactly was wrong, when known; else empty
    std::vector<std::uint8_t> bytes; // the whole file on success; else empty
    // What the render changed of what it was given and drew anyway, e.g.
    // "check digit 8 replaced by 7: 5901234123457"; the status stays Ok.
    std::vector<std::string> warnings;

    explicit operator bool() const { return status == Status::Ok; }
};

// Receives a file piece by piece, in order; false refuses the piece and ends
// the render.
using ByteSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

// Renders one barcode into Result::bytes. Never throws.
Result Render(const Options& options);
// The same with other data: many barcodes from one Options, nothing copied.
Result Render(const Options& options, std::string_view data);
// Streams the file into the sink instead (Result::bytes stays empty). The
// sink is first called once the barcode is drawn, so a render that fails
// never calls it; a sink that refuses a piece, or fails itself, ends the render with
// CantCloseFile, as a file that cannot be written ends the command line.
Result Render(const Options& options, std::string_view data, const ByteSink& sink);

// ---- The symbol itself, for programs that draw into their own canvas ----

// What a symbol is made of across the reading direction.
enum class SymbolKind : std::int32_t {
    Linear = 0,    // one row of bars
    Stacked = 1,   // rows of bars with separators
    FourState = 2, // bars of the postal codes, grouped over rows by state
    Matrix = 3,    // a grid of square modules
};

// What a text item of a symbol is.
enum class TextRole : std::int32_t {
    Main = 0,     // the symbol's whole text
    EanGroup = 1, // one EAN/UPC digit group
    AddOn = 2,    // the digits of an EAN/UPC add-on
    Gs1Hri = 3,   // GS1 data with its AIs in parentheses
};

// Lengths in modules. x runs along the reading direction from the symbol's
// first module (quiet zone excluded), the wide elements at
// Options::wideToNarrow; y across it from the first row.
struct ModuleRect {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;
    bool guard = false; // an EAN/UPC guard bar, drawn into the text band when guards are shown
};

// A row across the reading direction. A stretching row takes, with the
// others, what the image leaves across (`height` is then its nominal share);
// a fixed row is always `height` modules.
struct SymbolRowInfo {
    double y = 0.0;
    double height = 0.0;
    bool stretches = false;
};

// A human-readable text item laid over [x, x + width] along the reading
// direction: align 0 from x, 1 ending at x + width (at x when width is 0),
// 2 centred, 3 spread. `fontScale` scales the font height of the options
// (GS1's smaller digits outside a UPC symbol).
struct SymbolText {
    std::string text; // bytes; 128..255 are Latin-1
    TextRole role = TextRole::Main;
    double x = 0.0;
    double width = 0.0;
    std::int32_t align = 0;
    double fontScale = 1.0;
};

struct Margins {
    double leading = 0.0;  // before the first module in the reading direction
    double trailing = 0.0; // after the last
    double top = 0.0;      // before the first row
    double bottom = 0.0;   // after the last
};

// One encoded symbol in modules, as the images draw it before sizing.
struct SymbolGeometry {
    SymbolKind kind = SymbolKind::Linear;
    double width = 0.0;  // along the reading direction, quiet zones excluded
    double height = 0.0; // across it: the rows' heights
    std::vector<SymbolRowInfo> rows;
    std::vector<ModuleRect> rectangles; // the dark modules and bars
    std::vector<SymbolText> texts;      // empty when Options::showText is off
    Margins quietZones;                 // all 0 when Options::quietZones is off
};

struct Encoding {
    Status status = Status::Ok;
    std::string_view message; // StatusMessage(status)
    std::string detail;       // what exactly was wrong, when known
    SymbolGeometry symbol;    // on success

    explicit operator bool() const { return status == Status::Ok; }
};

// Encodes options.data as the symbology and the options that change modules
// would render it, without drawing: the statuses and details Render gives
// before it sizes the image. Never throws.
Encoding Encode(const Options& options);

struct SymbologyInfo {
    Symbology number;       // the -t number
    std::string_view name;  // as people write it, e.g. "EAN-13"
    std::string_view names; // the names -t takes, space separated, the first the canonical one
    SymbolKind kind;
};

// Every symbology, in number order.
std::vector<SymbologyInfo> ListSymbologies();

// The library's version, "major.minor".
std::string_view Version();

} // namespace kavren
