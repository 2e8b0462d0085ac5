// The abstract symbology: a barcode's settings, its texts and its module
// pattern, the calling order the symbologies rely on, and the layout engine
// that turns any pattern into shapes (common/Shapes.h) for the renderers.
//
// A symbology fills in Validate, LoadData, BuildDisplayText and Encode (data to
// module pattern); it never touches pixels. The base lays out whatever the last
// Encode left. Failures are statuses and bools, never exceptions.
#pragma once

#include "common/EncodedSymbol.h"
#include "common/Shapes.h"
#include "engine/BarcodeSettings.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kavren::detail {

class CImageWriter;

// Element codes of m_Pattern. Widths are in modules of m_ModuleWidth pixels;
// W is RoundHalfAway(m_WideToNarrow x module width).
enum ElementCode : std::uint8_t {
    BAR1 = 0,   // bar, 1 module
    BAR2 = 1,   // bar, 2 modules
    SPACE1 = 2, // space, 1 module
    SPACE2 = 3, // space, 2 modules
    BAR3 = 4,   // bar, 3 modules
    SPACE3 = 5, // space, 3 modules
    BAR4 = 6,   // bar, 4 modules
    SPACE4 = 7, // space, 4 modules
    GUARD = 8,  // guard bar, 1 module, drawn into the text band
    POSTAL_SHORT = 9,
    POSTAL_TALL = 10,
    POSTAL_GAP = 11,
    WIDE_SPACE = 12, // W
    WIDE_BAR = 13,   // W
};

// Names of the control characters 0..31 as shown in display texts.
extern const char* const ControlCharNames[32];

// Renders data bytes as display text: bytes >= 32 are copied, control
// characters become their ControlCharNames entry or are dropped.
void BytesToText(const std::string& bytes, std::string& out, bool convertNonPrinting);

// Height of the text band for a font height in points; the raster writer's
// MeasureTextHeight in the program.
using TextMeasure = std::function<std::int32_t(std::int32_t fontHeight)>;

// The measures one layout is built from, in the layout's unit: whole pixels as
// Draw draws, or exact lengths at a module width that is not rounded.
struct LayoutMetrics {
    bool wholePixels = true;   // halves are truncated to whole pixels
    double module = 1.0;       // m
    double wide = 3.0;         // W
    double reduction = 0.0;    // taken from each bar's trailing side and given to the next space
    double quietZone = 0.0;    // before the first module
    double quietZoneAfter = 0.0; // after the last (the same unless compliant)
    double textBand = 0.0;     // th
    double freeSpace = 0.0;    // the frame's length beyond the symbol's, never negative
    double originAlong = 0.0;  // start of the first module in the frame
    double originAcross = 0.0; // the edge the bars grow from

    double Half(double value) const { return wholePixels ? std::trunc(value / 2.0) : value / 2.0; }
};

// Whole modules a symbology adds to its symbol beyond the pattern and the
// quiet zones (an attached add-on, bearer bars). Lengths, fits, origins and
// the text span all count them; the symbology lays out what is in them.
struct AddedModules {
    std::int32_t before = 0; // along the reading direction, before the leading quiet zone
    std::int32_t after = 0;  // along it, after the pattern's last element
    std::int32_t across = 0; // across it, on each side of the bars (the text band stays outside)
};

class CBarcodeSym : public CBarcodeSettings {
  public:
    explicit CBarcodeSym(const CBarcodeSettings& settings);
    virtual ~CBarcodeSym() = default;
    CBarcodeSym(const CBarcodeSym&) = delete;
    CBarcodeSym& operator=(const CBarcodeSym&) = delete;

    // Prepare, then build m_Pattern from m_DataBytes. False when invalid.
    virtual bool Encode() = 0;
    // 0 drawn, 1 no area, 5 does not fit, 6 invalid data text. BuildLayout,
    // then DrawLayout into the writer's raster.
    virtual int Draw(CImageWriter& writer, const Rect* area);
    // What Draw draws, as shapes: sets the members Draw sets, returns Draw's
    // status, and on 0 lays the bars and texts out in the area's frame. The
    // text band is measure(m_FontHeight) when the text is shown.
    int BuildLayout(const Rect* area, const TextMeasure& measure, Layout& out);
    // The same shapes at an exact module width of any positive size, nothing
    // rounded (all lengths in one unit, e.g. pixels of the output's
    // resolution, fractions kept): the frame is as long as the symbol with
    // its quiet zones (as in x-dimension mode) and `thickness` across,
    // textBand of it reserved for the text when shown. 0, 5 when the module
    // width is not positive or the thickness does not exceed the band, 6
    // invalid data text. Changes no member.
    int BuildExactLayout(double moduleWidth, double thickness, double textBand, Layout& out) const;
    // GetSymbolLength at an exact module width: the wide element is
    // m_WideToNarrow x m, not rounded.
    virtual double GetExactSymbolLength(double moduleWidth) const;
    // Pixels along the reading direction, both quiet zones included;
    // INT32_MAX when it cannot be computed (m = -1, or too long for int32).
    virtual std::int32_t GetSymbolLength(int moduleWidth) const;
    virtual bool FitsInto(int moduleWidth, int width, int height) const;
    virtual bool Validate() = 0;
    bool FitsCurrentArea() const;
    // Largest module width that fits, -1 when none.
    virtual std::int32_t FindModuleWidth(const Size* area) const;
    // Origin of the first module; returns its offset along the reading direction.
    virtual std::int32_t GetBarsOrigin(const Rect* area, int* x, int* y);
    virtual void LoadData();
    virtual void BuildDisplayText();
    // What the symbology adds around its pattern; nothing by default.
    virtual AddedModules GetAddedModules() const { return {}; }
    // The element pattern of an attached add-on (EAN/UPC), drawn in the
    // added modules after the pattern; null when the symbology takes none.
    virtual const std::vector<std::uint8_t>* GetAddOnPattern() const { return nullptr; }
    // The last encoding as an encoded symbol in modules: the one conversion
    // from the element pattern (wide elements as ModuleSpan::wides, guard
    // bars as guards, postal bars over two rows, bearers as rows and
    // rectangles, the text items as the layout places them).
    kavren::detail::EncodedSymbol ToEncodedSymbol() const;
    // ToEncodedSymbol's text items (with the text shown), the pattern
    // starting `offset` modules into the symbol and ending at `patternEnd`:
    // the display text; EAN and UPC add digit groups and an add-on's digits.
    virtual void AddTexts(double offset, const ModuleSpan& patternEnd, EncodedSymbol& symbol) const;

    // Validate, then LoadData and BuildDisplayText, then an empty pattern.
    bool Prepare();
    // Replaces the data text and re-encodes when it differs.
    void SetData(const char* text);
    bool HasData() const;
    static bool IsAllDigits(const char* text);

    // The leading quiet zone: 10 modules when m_QuietZones, or the
    // symbology's rule when m_Compliant (0 for a negative width).
    std::int32_t GetQuietZoneWidth(int moduleWidth) const;
    // The trailing one: the same, or the rule's (5 after an add-on).
    std::int32_t GetTrailingQuietZoneWidth(int moduleWidth) const;
    // The quiet zones in modules, 0 without quiet zones.
    std::int32_t GetQuietModules(bool trailing) const;
    // Extent along the reading direction minus GetSymbolLength; INT32_MIN when
    // the length cannot be computed.
    std::int32_t GetFreeSpace(int moduleWidth, int width, int height) const;

    // ---- The layout, in the frame of `out` (Shapes.h) ----
    // The metrics of the whole-pixel layout of the last Draw (m_ModuleWidth,
    // m_AreaWidth, m_AreaHeight, m_TextHeight), origin at the frame's corner.
    LayoutMetrics GetPixelMetrics() const;
    // The metrics at an exact module width, a text band and no free space.
    LayoutMetrics GetExactMetrics(double moduleWidth, double textBand) const;
    // An empty layout of the area of the last Draw, background left alone.
    Layout GetDrawFrame() const;
    // Whether the bar at m_Pattern[element] reaches into the text band as
    // the guard bars do: the guard bars themselves by default.
    virtual bool IsGuardLength(std::size_t element) const { return m_Pattern[element] == GUARD; }
    // The bars of m_Pattern; PostNet and Planet lay out their own.
    virtual void LayoutBars(const LayoutMetrics& g, Layout& out) const;
    // How much of the text band a guard bar leaves free: half of it, 5
    // modules less than all of it when compliant; all of it with the guards
    // not shown, none without text.
    double GetGuardCut(const LayoutMetrics& g) const;
    // The human-readable text; EAN and UPC lay out digit groups.
    virtual void LayoutText(const LayoutMetrics& g, Layout& out) const;
    void LayoutPlainText(const LayoutMetrics& g, const char* text, Layout& out) const;
    // One run of count characters (fewer when text ends before) whose pen
    // starts `offset` past the first module, on the text line `across`.
    void LayoutTextRun(const LayoutMetrics& g, double across, const char* text, int count, double offset,
                       double span, int mode, bool inset, Layout& out) const;
    void LayoutEanUpcText(const LayoutMetrics& g, Layout& out) const;
    // Adds a bar clipped to the frame; nothing when it is empty there, or when
    // the orientation is none of the four.
    static void AddBar(Layout& out, BarBox bar);
    static bool IsKnownOrientation(std::int32_t orientation);
    // The pattern's length in the layout's unit: no quiet zones, nothing added.
    double GetPatternLength(const LayoutMetrics& g) const;

    // Wide element W = RoundHalfAway(m_WideToNarrow x m), never negative.
    std::int32_t GetWideWidth(int moduleWidth) const;
    // Length of one element along the reading direction; 0 for the postal
    // codes and unknown codes.
    std::int32_t GetElementLength(std::uint8_t code, int moduleWidth) const;
    static bool IsBarElement(std::uint8_t code);
    // 90 and 270 read along y; every other orientation is laid out like 0.
    bool ReadsVertically() const { return m_Orientation == 90 || m_Orientation == 270; }
    // Text rotation in radians for m_Orientation; 0 for unknown orientations.
    double GetTextAngle() const;

    std::vector<std::uint8_t> m_Pattern; // element codes, first to last in reading order
    std::int32_t m_ModuleWidth = 1;      // pixels per module, set by Draw
    std::int32_t m_AreaWidth = 200;      // drawing area, set by Draw
    std::int32_t m_AreaHeight = 100;
    bool m_Valid = false;            // result of the last Validate
    std::string m_ErrorDetail;       // why the last Validate failed, when a check says more than "invalid"
    std::string m_Warning;           // what the last Validate changed of valid data (a replaced check digit)
    std::int32_t m_TextHeight = 0;   // text band in pixels, 0 when text is hidden
    Rect m_DrawArea{0, 200, 0, 100}; // area of the last Draw; bars never leave it
};

} // namespace kavren::detail
